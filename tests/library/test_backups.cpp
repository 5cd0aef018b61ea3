// Dated backups: when one is made, what it holds, what thinning keeps, how they are named, and
// that a backup that cannot be made is named once and never stops the save.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>

#include "journal_generator.h"
#include "vlm_BackupPacking.h"
#include "vlm_Backups.h"
#include "vlm_Library.h"

namespace fs = std::filesystem;

namespace {
const char* const kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" language=\"EN\" standalone=\"yes\"?>\r\n";
constexpr std::time_t kStart = 1700000000;  // Nov 2023
constexpr std::time_t kDay = 86400;

std::string Unpack(const TBackupFile& backup) {
  std::string text, problem;
  return UnpackBackup(backup.Path, backup.Base, text, problem) ? text : "(" + problem + ")";
}

std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class BackupTest : public ::testing::Test {
protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "velmora-backups-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    Dir = pattern;
    Folder = (Dir / "backups").string() + "/";
    std::ofstream(Dir / "dreams.ini", std::ios::binary)
        << kDeclaration << "<dreamlibrary name=\"L\">\r\n  <file name=\"J\" path=\"" << (Dir / "j.xml").string()
        << "\" />\r\n</dreamlibrary>\r\n";
    std::ofstream(Dir / "j.xml", std::ios::binary) << kDeclaration << "<velmora>\r\n  <day name=\"d1\" />\r\n</velmora>\r\n";
  }
  void TearDown() override { fs::remove_all(Dir); }
  std::vector<TBackupFile> Backups(const std::string& stem) const { return ListBackups(Folder, stem); }

  fs::path Dir;
  std::string Folder;
  std::time_t Now = kStart;
};

TEST(BackupThinning, KeepsTwoDaysThenOneADayForThirtyDaysThenOneAMonth) {
  std::vector<std::time_t> times;
  for (std::time_t t = kStart - 400 * kDay; t <= kStart; t += kDay / 4) times.push_back(t);  // four a day
  const auto thin = BackupsToThin(times, kStart);
  std::set<std::time_t> gone(thin.begin(), thin.end());
  int recent = 0, daily = 0, monthly = 0;
  for (const std::time_t t : times) {
    if (gone.count(t)) continue;
    const std::time_t age = kStart - t;
    (age <= 2 * kDay ? recent : age <= 30 * kDay ? daily : monthly)++;
  }
  EXPECT_EQ(recent, 9);                  // every one of the last two days
  EXPECT_GE(daily, 28);                  // one for each date of the days 3 to 30 (29 dates touched)
  EXPECT_LE(daily, 29);
  EXPECT_GE(monthly, 12);                // one a month over the 12 to 13 months before
  EXPECT_LE(monthly, 14);
  EXPECT_TRUE(gone.count(kStart - 10 * kDay - kDay / 4) || gone.count(kStart - 10 * kDay));  // not two of one day
}

TEST(BackupThinning, KeepsEveryBackupOfTheLastDayThenOneAnHourUntilTwoDays) {
  std::vector<std::time_t> times;
  for (std::time_t t = kStart - 3 * kDay + 1; t <= kStart; t += 600) times.push_back(t);  // every 10 minutes
  const auto thin = BackupsToThin(times, kStart);
  std::set<std::time_t> gone(thin.begin(), thin.end());
  int lastDay = 0, dayBefore = 0, older = 0;
  for (const std::time_t t : times) {
    if (gone.count(t)) continue;
    const std::time_t age = kStart - t;
    (age <= kDay ? lastDay : age <= 2 * kDay ? dayBefore : older)++;
  }
  EXPECT_EQ(lastDay, 144);
  EXPECT_GE(dayBefore, 24);  // one in each hour the second day touches
  EXPECT_LE(dayBefore, 25);
  EXPECT_GE(older, 1);       // one in each date before
  EXPECT_LE(older, 2);
}

// A save keeps the previous version at most every ten minutes; the files were written.
TEST_F(BackupTest, SaveKeepsThePreviousVersionEveryTenMinutes) {
  TBackupKeeper keeper(Folder, [this] { return Now; });
  TLibrary library;
  library.SetBeforeReplace([&](const std::string& file) { keeper.BeforeReplace(file); });
  library.Load((Dir / "dreams.ini").string());
  TXMLParser* journal = library.OpenJournal((Dir / "j.xml").string());
  const std::string before = Read(Dir / "j.xml");
  auto edit = [&](const char* name) {
    library.AddDay(*journal, name);
    ASSERT_TRUE(library.Save().Failures.empty());
    ASSERT_TRUE(keeper.Wait(std::chrono::seconds(10)));
  };
  edit("d2");
  ASSERT_EQ(Backups("j").size(), 1u);
  EXPECT_EQ(Unpack(Backups("j")[0]), before);
  EXPECT_TRUE(Backups("dreams").empty());  // the library did not change: not written, not kept
  EXPECT_NE(Read(Dir / "j.xml").find("d2"), std::string::npos);
  Now += 500;  // within ten minutes
  edit("d3");
  EXPECT_EQ(Backups("j").size(), 1u);
  Now += 200;
  edit("d4");
  ASSERT_EQ(Backups("j").size(), 2u);
  EXPECT_NE(Unpack(Backups("j")[1]).find("d3"), std::string::npos);
  EXPECT_EQ(Unpack(Backups("j")[1]).find("d4"), std::string::npos);
  EXPECT_TRUE(keeper.TakeProblems().empty());
  for (const auto& entry : fs::directory_iterator(Folder))  // no pending copy or temporary left
    EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();
}

// A journal with a second name (a hard link) is written in place: both names show the edit, and
// the backup holds the version before it.
TEST_F(BackupTest, AJournalWithAHardLinkIsWrittenInPlaceAndItsBackupKeepsTheOldVersion) {
  fs::create_hard_link(Dir / "j.xml", Dir / "linked.xml");
  TBackupKeeper keeper(Folder, [this] { return Now; });
  TLibrary library;
  library.SetBeforeReplace([&](const std::string& file) { keeper.BeforeReplace(file); });
  library.Load((Dir / "dreams.ini").string());
  TXMLParser* journal = library.OpenJournal((Dir / "j.xml").string());
  const std::string before = Read(Dir / "j.xml");
  library.AddDay(*journal, "d2");
  const TSaveReport report = library.Save();
  ASSERT_TRUE(report.Failures.empty()) << report.Failures[0].Reason;
  ASSERT_TRUE(keeper.Wait(std::chrono::seconds(10)));
  EXPECT_NE(Read(Dir / "linked.xml").find("d2"), std::string::npos) << "the other name shows the edit";
  EXPECT_EQ(fs::hard_link_count(Dir / "j.xml"), 2u);
  ASSERT_EQ(Backups("j").size(), 1u);
  EXPECT_EQ(Unpack(Backups("j")[0]), before);
}

// An hour of typing saved every 30 seconds: the restorable versions lie at most ten minutes apart.
TEST_F(BackupTest, AnHourOfTypingKeepsAVersionEveryTenMinutes) {
  TBackupKeeper keeper(Folder, [this] { return Now; });
  std::string text = "<velmora>";
  for (int save = 0; save < 120; ++save, Now += 30) {
    text += " word";
    std::ofstream(Dir / "j.xml", std::ios::binary) << text;
    keeper.BeforeReplace((Dir / "j.xml").string());
  }
  ASSERT_TRUE(keeper.Wait(std::chrono::seconds(20)));
  const auto backups = Backups("j");
  ASSERT_GE(backups.size(), 6u);
  for (std::size_t i = 1; i < backups.size(); ++i) EXPECT_LE(backups[i].Time - backups[i - 1].Time, 630);
  EXPECT_GE(backups.back().Time, Now - 630);
}

// A `backups` that cannot hold files: named once, and every save is still done.
TEST_F(BackupTest, BackupThatCannotBeMadeIsNamedOnceAndTheSaveIsDone) {
  std::ofstream(Dir / "backups") << "not a folder";
  TBackupKeeper keeper(Folder, [this] { return Now; });
  int told = 0;
  keeper.OnProblem = [&] { ++told; };
  for (int i = 0; i < 3; ++i, Now += 2 * 3600) {
    std::ofstream(Dir / "j.xml", std::ios::binary) << "v" << i;
    keeper.BeforeReplace((Dir / "j.xml").string());
    keeper.Wait(std::chrono::seconds(10));
  }
  const auto problems = keeper.TakeProblems();
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_NE(problems[0].find("j.xml"), std::string::npos);
  EXPECT_EQ(told, 1);
}

// A pending copy left by a program that ended first becomes a backup at the next start.
TEST_F(BackupTest, PendingCopyLeftBehindIsCompressedAtTheNextStart) {
  fs::create_directories(Folder);
  const std::string name = BackupName("j", kStart);
  std::ofstream(Folder + "." + name.substr(0, name.size() - std::string(".zst").size()) + ".pending", std::ios::binary)
      << "old bytes";
  TBackupKeeper keeper(Folder, [this] { return Now; });
  ASSERT_TRUE(keeper.Wait(std::chrono::seconds(10)));
  ASSERT_EQ(Backups("j").size(), 1u);
  EXPECT_EQ(Unpack(Backups("j")[0]), "old bytes");
  EXPECT_EQ(std::distance(fs::directory_iterator(Folder), fs::directory_iterator()), 1);
}

// Two journals of one name in two folders of the library keep their backups apart, and they stay
// theirs when the library's folder moves.
TEST_F(BackupTest, JournalsOfOneNameInTwoFoldersKeepApartAndKeepTheirBackupsWhenTheLibraryMoves) {
  for (const char* folder : {"a", "b"}) {
    fs::create_directories(Dir / folder);
    std::ofstream(Dir / folder / "j.xml", std::ios::binary) << folder;
  }
  {
    TBackupKeeper keeper(Folder, [this] { return Now; });
    for (const char* folder : {"a", "b"}) keeper.BeforeReplace((Dir / folder / "j.xml").string());
    ASSERT_TRUE(keeper.Wait(std::chrono::seconds(10)));
    EXPECT_NE(keeper.StemOf((Dir / "a/j.xml").string()), keeper.StemOf((Dir / "b/j.xml").string()));
    for (const char* folder : {"a", "b"}) {
      const auto backups = keeper.BackupsOf((Dir / folder / "j.xml").string());
      ASSERT_EQ(backups.size(), 1u) << folder;
      EXPECT_EQ(Unpack(backups[0]), folder);
    }
  }
  const fs::path moved = Dir.string() + "-moved";
  fs::rename(Dir, moved);
  Dir = moved;
  TBackupKeeper keeper((Dir / "backups").string() + "/", [this] { return Now; });
  for (const char* folder : {"a", "b"}) {
    const auto backups = keeper.BackupsOf((Dir / folder / "j.xml").string());
    ASSERT_EQ(backups.size(), 1u) << folder;
    EXPECT_EQ(Unpack(backups[0]), folder);
  }
}

// A backup an earlier version named by its folder's absolute path is offered, and takes the name
// that stays when the folder moves.
TEST_F(BackupTest, BackupsNamedByTheFolderPathAreFoundAndRenamedToStayWithTheLibrary) {
  fs::create_directories(Dir / "a");
  std::ofstream(Dir / "a/j.xml", std::ios::binary) << "now";
  std::uint32_t hash = 2166136261u;  // the name those versions gave: FNV-1a of the folder's real path
  for (const unsigned char c : fs::canonical(Dir / "a").string()) hash = (hash ^ c) * 16777619u;
  char stem[32];
  std::snprintf(stem, sizeof stem, "j@%06x", hash & 0xffffffu);
  fs::create_directories(Folder);
  const std::string legacy = Folder + BackupName(stem, kStart - kDay);
  gzFile out = gzopen((legacy.substr(0, legacy.size() - 4) + ".gz").c_str(), "wb");
  gzputs(out, "old");
  gzclose(out);

  TBackupKeeper keeper(Folder, [this] { return Now; });
  const std::string journal = (Dir / "a/j.xml").string();
  ASSERT_EQ(keeper.BackupsOf(journal).size(), 1u);
  EXPECT_EQ(Unpack(keeper.BackupsOf(journal)[0]), "old");
  keeper.BeforeReplace(journal);
  ASSERT_TRUE(keeper.Wait(std::chrono::seconds(10)));
  const auto renamed = ListBackups(Folder, keeper.StemOf(journal));
  ASSERT_EQ(renamed.size(), 2u);
  EXPECT_EQ(Unpack(renamed[0]), "old");
  EXPECT_EQ(Unpack(renamed[1]), "now");
}

// Named pipes with the names of a backup or of a pending copy are never opened: nothing waits.
TEST_F(BackupTest, NamedPipesInTheBackupsFolderAreNeverOpened) {
  fs::create_directories(Folder);
  const std::string pipe = Folder + BackupName("j", kStart - kDay);
  const std::string pending = Folder + "." + pipe.substr(Folder.size(), pipe.size() - Folder.size() - 4) + ".pending";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  ASSERT_EQ(::mkfifo(pending.c_str(), 0600), 0);
  TBackupKeeper keeper(Folder, [this] { return Now; });
  EXPECT_TRUE(Backups("j").empty());
  std::string text, problem;
  EXPECT_FALSE(UnpackBackup(pipe, {}, text, problem));
  keeper.BeforeReplace((Dir / "j.xml").string());
  ASSERT_TRUE(keeper.Wait(std::chrono::seconds(10)));
  EXPECT_EQ(Backups("j").size(), 1u);
}

// A journal saved every day for a year, a night added each day: thinning leaves about 40 backups,
// about one a month of them whole and the rest differences, and every one brings back exactly the
// version it was made of (velmora_bench_backups measures the ten-year journal).
TEST_F(BackupTest, AYearOfDailySavesKeepsDifferencesAndEveryOneRestores) {
  const std::string journal = GenerateJournal(1);
  std::map<std::time_t, std::size_t> lengths;  // the file's length when each backup was made
  TBackupKeeper keeper(Folder, [this] { return Now; });
  for (int day = 0; day < 365; ++day, Now += kDay) {
    const std::size_t length = 60000 + static_cast<std::size_t>(day) * 2000;
    std::ofstream(Dir / "j.xml", std::ios::binary | std::ios::trunc) << journal.substr(0, length);
    lengths[Now] = length;
    keeper.BeforeReplace((Dir / "j.xml").string());
    ASSERT_TRUE(keeper.Wait(std::chrono::seconds(60))) << "day " << day;
  }
  std::uintmax_t bytes = 0, largestWhole = 0;
  int whole = 0;
  const auto backups = Backups("j");
  for (const TBackupFile& backup : backups) {
    ASSERT_EQ(lengths.count(backup.Time), 1u) << backup.Path;
    EXPECT_EQ(Unpack(backup), journal.substr(0, lengths[backup.Time])) << backup.Path;
    if (backup.Base.empty()) largestWhole = std::max<std::uintmax_t>(largestWhole, fs::file_size(backup.Path)), ++whole;
  }
  for (const auto& entry : fs::directory_iterator(Folder)) bytes += entry.file_size();
  EXPECT_GE(backups.size(), 38u);
  EXPECT_LE(backups.size(), 60u);  // whole versions that differences were taken from stay with them
  EXPECT_LE(whole, 14);
  EXPECT_LT(bytes, 16 * largestWhole) << backups.size() << " backups, " << whole << " whole";
  RecordProperty("backup_bytes", std::to_string(bytes));
}

}  // namespace
