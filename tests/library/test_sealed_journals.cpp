// Journals of an encrypted library through the library's own load and save: sealed on disk,
// read back whole; a file that is damaged, sealed with another password or in the other form is
// refused with a reason and never written over.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "vlm_Backups.h"
#include "vlm_DocumentState.h"
#include "vlm_JournalSealing.h"
#include "vlm_Library.h"
#include "vlm_Restore.h"
#include "vlm_TempFolder.h"
#include "vlm_Types.h"
#include "xml_node.h"

namespace fs = std::filesystem;

namespace {
constexpr const char* kRare = "Zyxwortel";

std::shared_ptr<TJournalSealing> SealingOf(const char* password) {
  TLibraryKey key;
  std::string line;
  EXPECT_EQ(TLibraryKey::Create(password, {1, 8192}, key, line), seOk);
  return std::make_shared<TJournalSealing>(std::move(key));
}

class SealedJournalTest : public ::testing::Test {
protected:
  void SetUp() override {
    SetSealing(Sealing);
    Write("dreams.ini", "<?xml version=\"1.0\" encoding=\"UTF-8\" language=\"EN\" standalone=\"yes\"?>\r\n"
                        "<dreamlibrary name=\"L\" />\r\n");
    // A journal written by the library: a new file, a night and a dream with a rare word.
    TLibrary library;
    library.Load(Path("dreams.ini"));
    TXMLParser* journal = library.OpenJournal(Path("j.xml"));
    TXMLNode* day = library.AddDay(*journal, "01.02.03");
    TXMLNode* dream = library.AddExperience(*journal, *day, "001", "t");
    library.SetText(*journal, *dream, tfDescription, std::string("a ") + kRare + " b");
    library.MarkChanged(&library.Document());
    ASSERT_TRUE(library.Save().Failures.empty());
  }
  void TearDown() override { SetSealing(nullptr); }

  std::string Path(const std::string& name) const { return (Folder.Path / name).string(); }
  void Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(Path(name), std::ios::binary | std::ios::trunc) << bytes;
  }
  std::string Read(const std::string& name) const {
    std::ifstream in(Path(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  // Opens j.xml in a library of its own, changes it and saves: the state it was read in.
  TDocumentState OpenChangeAndSave() {
    TLibrary library;
    library.Load(Path("dreams.ini"));
    TXMLParser* journal = library.OpenJournal(Path("j.xml"));
    const TDocumentState state = library.Journals().StateOf(journal);
    library.AddDay(*journal, "02.02.03");
    library.Save();
    return state;
  }

  std::shared_ptr<TJournalSealing> Sealing = SealingOf("пароль");
  TTempFolder Folder{"velmora-sealed"};
};
}  // namespace

TEST_F(SealedJournalTest, RoundTripThroughTheLibrarysLoadAndSave) {
  const std::string sealed = Read("j.xml");
  EXPECT_TRUE(sealed.starts_with("VELMORA-SEALED 1\n"));
  EXPECT_EQ(sealed.find(kRare), std::string::npos);
  EXPECT_EQ(Read("dreams.ini").find("VELMORA-SEALED"), std::string::npos);  // the library file stays plain

  TLibrary library;
  EXPECT_EQ(library.Load(Path("dreams.ini")).Read, rsWhole);
  TXMLParser* journal = library.OpenJournal(Path("j.xml"));
  EXPECT_EQ(library.Journals().StateOf(journal).Read, rsWhole);
  EXPECT_NE(journal->SaveToString().find(kRare), std::string::npos);
}

TEST_F(SealedJournalTest, AFlippedOrCutByteIsRefusedAndNothingWritten) {
  const std::string good = Read("j.xml");
  for (const std::size_t at : {std::size_t{3}, std::size_t{100}, std::size_t{300}, good.size() - 1}) {
    std::string bad = good;
    bad[at] = static_cast<char>(bad[at] ^ 0x20);
    Write("j.xml", bad);
    const TDocumentState state = OpenChangeAndSave();
    EXPECT_TRUE(state.ReadOnly()) << at;
    EXPECT_FALSE(state.Reason.empty()) << at;
    EXPECT_EQ(Read("j.xml"), bad) << at;
  }
  Write("j.xml", good.substr(0, good.size() - 5));
  EXPECT_TRUE(OpenChangeAndSave().ReadOnly());
  EXPECT_EQ(Read("j.xml"), good.substr(0, good.size() - 5));
}

TEST_F(SealedJournalTest, AnotherPasswordOrTheOtherFormIsRefusedAndNothingWritten) {
  const std::string sealed = Read("j.xml");
  SetSealing(SealingOf("другой"));
  TDocumentState state = OpenChangeAndSave();
  EXPECT_TRUE(state.ReadOnly());
  EXPECT_EQ(state.Reason, SealErrorText(seOtherKey));
  EXPECT_EQ(Read("j.xml"), sealed);

  SetSealing(std::make_shared<TJournalSealing>());  // a library kept in plain meets a sealed journal
  state = OpenChangeAndSave();
  EXPECT_EQ(state.Reason, SealErrorText(seFoundSealed));
  EXPECT_EQ(Read("j.xml"), sealed);

  const std::string plain = "<?xml version=\"1.0\"?>\r\n<velmora />\r\n";
  Write("j.xml", plain);
  SetSealing(Sealing);  // an encrypted library meets a plain journal
  state = OpenChangeAndSave();
  EXPECT_EQ(state.Reason, SealErrorText(seFoundPlain));
  EXPECT_EQ(Read("j.xml"), plain);
}

TEST_F(SealedJournalTest, CopiesBesideTheJournalAndBackupsAreSealed) {
  TLibrary library;
  library.Load(Path("dreams.ini"));
  TXMLParser* journal = library.OpenJournal(Path("j.xml"));
  const std::string open = KeepOpenVersionBeside(*journal, Path("j.xml"), 0);
  const std::string conflict = KeepConflictCopy(Path("j.xml"), 0);
  for (const std::string& copy : {open, conflict}) {
    std::ifstream in(copy, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    EXPECT_TRUE(bytes.starts_with("VELMORA-SEALED 1\n")) << copy;
    EXPECT_EQ(bytes.find(kRare), std::string::npos) << copy;
  }
  // A backup is the sealed file, packed: it reads back as the journal.
  TBackupKeeper keeper(Path("backups/"));
  ASSERT_TRUE(keeper.KeepNow(Path("j.xml")));
  ASSERT_TRUE(keeper.Wait(std::chrono::seconds(20)));
  const std::vector<TBackupFile> backups = keeper.BackupsOf(Path("j.xml"));
  ASSERT_EQ(backups.size(), 1u);
  std::ifstream in(backups[0].Path, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}).find(kRare), std::string::npos);
  const TBackupContent content = ReadBackup(backups[0], false);
  ASSERT_TRUE(content.Document) << content.Problem;
  EXPECT_NE(content.Document->SaveToString().find(kRare), std::string::npos);
}
