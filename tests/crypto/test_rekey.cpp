// Re-keying: killed or failed at any step, every journal stays readable, and the restart leaves
// the library's key record and every journal agreeing.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "crypto_test_util.h"
#include "vlm_PosixFiles.h"
#include "vlm_Rekey.h"
#include "vlm_Sealed.h"
#include "vlm_TempFolder.h"

namespace {

// A disk in memory whose every change is one atomic step. After the kill nothing more reaches it;
// a full disk refuses writes and changes nothing.
class TFakeFiles : public TRekeyFiles {
public:
  std::map<std::string, std::string> Disk;
  int StepsBeforeKill = INT_MAX;
  int WritesBeforeFull = INT_MAX;
  bool LosesLastByte = false;  // a disk that says it wrote what it did not
  bool Killed = false;

  bool Exists(const std::string& path) override { return Disk.count(path) > 0; }
  bool Read(const std::string& path, std::string& bytes, std::string& error) override {
    if (Killed || !Disk.count(path)) return Fail(error);
    bytes = Disk[path];
    return true;
  }
  bool Write(const std::string& path, std::string_view bytes, std::string& error) override {
    if (WritesBeforeFull-- <= 0) {
      error = "на диске нет места";
      return false;
    }
    if (!Step()) return Fail(error);
    Disk[path] = std::string(bytes.substr(0, bytes.size() - (LosesLastByte && !bytes.empty())));
    return true;
  }
  bool Rename(const std::string& from, const std::string& to, std::string& error) override {
    if (!Step() || !Disk.count(from)) return Fail(error);
    Disk[to] = Disk[from];
    Disk.erase(from);
    return true;
  }
  bool Remove(const std::string& path, std::string& error) override {
    if (!Step()) return Fail(error);
    Disk.erase(path);
    return true;
  }

private:
  bool Step() {
    if (Killed || StepsBeforeKill-- <= 0) Killed = true;
    return !Killed;
  }
  static bool Fail(std::string& error) {
    error = "killed";
    return false;
  }
};

const std::string kLibrary = "/diary/dreams.ini";
const std::string kRecord = "/diary/dreams.ini.rekey";
const std::vector<std::string> kJournals = {"/diary/a.xml", "/diary/sub/b.xml", "/diary/c.xml"};

TStoreKeyRecord StoreIn(TRekeyFiles& files) {
  return [&files](const std::string& record, std::string& error) { return files.Write(kLibrary, record, error); };
}

class RekeyTest : public ::testing::Test {
protected:
  void SetUp() override {
    Old = TestKey("старый");
    ASSERT_EQ(TLibraryKey::Renew(Old, "новый", kFastKdf, New), seOk);
    Start.Disk[kLibrary] = Old.Block().ToText();
    for (std::size_t i = 0; i < kJournals.size(); ++i) {
      Plain.push_back(TestJournal(i == 1 ? 1000 : 5, "word" + std::to_string(i)));
      ASSERT_EQ(Seal(Plain[i], Old, Start.Disk[kJournals[i]]), seOk);
    }
  }
  TRekeyResult Run(TFakeFiles& files) {
    return RunRekey({kJournals, kRecord, New.Block().ToText(), Resealer(&Old, &New), StoreIn(files)}, files);
  }
  // Which of the two keys opens the journal, if either; its text must be the journal's.
  const TLibraryKey* KeyOf(const TFakeFiles& files, std::size_t i) {
    std::string plain;
    for (const TLibraryKey* key : {&Old, &New})
      if (OpenSealed(files.Disk.at(kJournals[i]), *key, plain) == seOk) return plain == Plain[i] ? key : nullptr;
    return nullptr;
  }
  // After a finished plan or restart: no record, no side file, and the key the library names opens
  // every journal.
  void ExpectSettled(const TFakeFiles& files, const std::string& where) {
    EXPECT_EQ(files.Disk.size(), kJournals.size() + 1) << where;
    TKeyBlock block;
    ASSERT_EQ(block.FromText(files.Disk.at(kLibrary)), seOk) << where;
    const TLibraryKey* named = block.KeyId == Old.Block().KeyId ? &Old : &New;
    for (std::size_t i = 0; i < kJournals.size(); ++i) EXPECT_EQ(KeyOf(files, i), named) << where << " journal " << i;
  }
  TLibraryKey Old, New;
  std::vector<std::string> Plain;
  TFakeFiles Start;
};

TEST_F(RekeyTest, RunsThroughAndEveryJournalOpensWithTheNewPasswordOnly) {
  TFakeFiles files = Start;
  const TRekeyResult r = Run(files);
  EXPECT_TRUE(r.Done) << r.Error;
  ExpectSettled(files, "done");
  EXPECT_EQ(KeyOf(files, 1), &New);
}

TEST_F(RekeyTest, AKillAtAnyStepAndAgainDuringTheRestartLeavesEveryJournalReadable) {
  int steps = 0;
  for (int kill = 0;; ++kill) {
    TFakeFiles files = Start;
    files.StepsBeforeKill = kill;
    const TRekeyResult r = Run(files);
    if (!files.Killed) {
      EXPECT_TRUE(r.Done);
      steps = kill;
      break;
    }
    for (std::size_t i = 0; i < kJournals.size(); ++i)
      EXPECT_NE(KeyOf(files, i), nullptr) << "killed after " << kill << " steps, journal " << i;
    // The restart, killed in turn at each of its own steps, then run whole.
    for (int again = 0;; ++again) {
      TFakeFiles restarted;
      restarted.Disk = files.Disk;
      restarted.StepsBeforeKill = again;
      TRekeyResult finished = FinishRekey(kRecord, StoreIn(restarted), restarted);
      const bool killedAgain = restarted.Killed;
      if (killedAgain) {
        for (std::size_t i = 0; i < kJournals.size(); ++i) EXPECT_NE(KeyOf(restarted, i), nullptr);
        restarted.StepsBeforeKill = INT_MAX;
        restarted.Killed = false;
        finished = FinishRekey(kRecord, StoreIn(restarted), restarted);
      }
      EXPECT_TRUE(finished.Done) << finished.Error;
      ExpectSettled(restarted, "killed after " + std::to_string(kill) + " and " + std::to_string(again));
      if (!killedAgain) break;
    }
  }
  // record, three side files, commit, three renames, library, record removed
  EXPECT_EQ(steps, 10);
}

TEST_F(RekeyTest, AFullDiskAtAnyWriteLeavesTheOldKeyOrFinishesOnTheNextStart) {
  for (int writes = 0; writes < 6; ++writes) {
    TFakeFiles files = Start;
    files.WritesBeforeFull = writes;
    const TRekeyResult r = Run(files);
    EXPECT_FALSE(r.Done);
    EXPECT_FALSE(r.Error.empty());
    if (!r.Committed) {
      ExpectSettled(files, "full after " + std::to_string(writes) + " writes");
      EXPECT_EQ(KeyOf(files, 0), &Old);
    } else {
      files.WritesBeforeFull = INT_MAX;  // space was made
      EXPECT_TRUE(FinishRekey(kRecord, StoreIn(files), files).Done);
      ExpectSettled(files, "finished after full");
      EXPECT_EQ(KeyOf(files, 0), &New);
    }
  }
}

TEST_F(RekeyTest, ANewFormThatDoesNotReadBackAsWrittenStopsThePlan) {
  TFakeFiles files = Start;
  files.LosesLastByte = true;
  const TRekeyResult r = Run(files);
  EXPECT_FALSE(r.Committed);
  EXPECT_NE(r.Error.find(kJournals[0]), std::string::npos) << r.Error;
  ExpectSettled(files, "lost a byte");
  EXPECT_EQ(KeyOf(files, 0), &Old);
}

TEST_F(RekeyTest, AJournalInAnotherFormIsNamedAndNothingChanges) {
  Start.Disk[kJournals[2]] = Plain[2];  // found plain in the encrypted library
  TFakeFiles files = Start;
  const TRekeyResult r = Run(files);
  EXPECT_FALSE(r.Committed);
  EXPECT_NE(r.Error.find(kJournals[2]), std::string::npos) << r.Error;
  EXPECT_EQ(files.Disk, Start.Disk);
  // An unfinished record blocks a new plan; a damaged one is left alone with a message.
  files.Disk[kRecord] = "VELMORA-REKEY 1\nstate committed\n";
  const auto before = files.Disk;
  EXPECT_FALSE(Run(files).Error.empty());
  EXPECT_EQ(files.Disk, before);
  const TRekeyResult finished = FinishRekey(kRecord, StoreIn(files), files);
  EXPECT_FALSE(finished.Done);
  EXPECT_NE(finished.Error.find(kRecord), std::string::npos);
  EXPECT_EQ(files.Disk, before);
}

TEST(RekeyOnDisk, EncryptionTurnedOnAndOffLeavesOnlyTheJournalsAndTheLibrary) {
  TTempFolder folder("velmora-rekey");
  const std::string library = (folder.Path / "dreams.ini").string();
  std::vector<std::string> journals = {(folder.Path / "a.xml").string(), (folder.Path / "b.xml").string()};
  std::filesystem::create_symlink("a.xml", folder.Path / "link.xml");
  journals.push_back((folder.Path / "link.xml").string());  // the same file through a link
  const std::string plain = TestJournal(50, "lucidword");
  for (std::size_t i = 0; i < 2; ++i) std::ofstream(journals[i], std::ios::binary) << plain;
  std::filesystem::permissions(journals[0], std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  TPosixFiles files;
  const TLibraryKey key = TestKey("пароль");
  auto store = [&](const std::string& record, std::string& error) { return files.Write(library, record, error); };

  TRekeyResult r = RunRekey({journals, library + ".rekey", key.Block().ToText(), Resealer(nullptr, &key), store}, files);
  ASSERT_TRUE(r.Done) << r.Error;
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folder.Path)) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"a.xml", "b.xml", "dreams.ini", "link.xml"}));
  EXPECT_TRUE(std::filesystem::is_symlink(folder.Path / "link.xml"));
  EXPECT_EQ(std::filesystem::status(journals[0]).permissions(),
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  for (std::size_t i = 0; i < 2; ++i) {
    std::string bytes, error, opened;
    ASSERT_TRUE(files.Read(journals[i], bytes, error)) << error;
    EXPECT_EQ(bytes.find("lucidword"), std::string::npos);
    ASSERT_EQ(OpenSealed(bytes, key, opened), seOk);
    EXPECT_EQ(opened, plain);
  }

  r = RunRekey({journals, library + ".rekey", "", Resealer(&key, nullptr), store}, files);
  ASSERT_TRUE(r.Done) << r.Error;
  std::string bytes, error;
  ASSERT_TRUE(files.Read(journals[1], bytes, error));
  EXPECT_EQ(bytes, plain);
}

}  // namespace
