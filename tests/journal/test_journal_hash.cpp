// The registry of open journals: one document per file whatever its spelling, read once, and saving that
// never destroys a file it could not read and tries every journal even when one fails.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "vlm_JournalHash.h"
#include "vlm_Resources.h"
#include "vlm_TempFolder.h"
#include "vlm_Types.h"
#include "xml_functions.h"
#include "xml_mainUnit.h"

namespace fs = std::filesystem;

namespace {

const std::string kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" language=\"EN\" standalone=\"yes\"?>\r\n";

std::string JournalText(const std::string& days) {
  return kDeclaration + std::string(litJournalDocType) + "\r\n\r\n<velmora>\r\n" + days + "</velmora>\r\n";
}
std::string Day(const std::string& name) { return "  <day name=\"" + name + "\">\r\n  </day>\r\n"; }

class JournalHashTest : public ::testing::Test {
protected:

  std::string PathOf(const std::string& name) const { return (Dir / name).string(); }
  static void Write(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  // A journal file as the reader sees it after a save.
  static std::unique_ptr<TXMLParser> Reload(const std::string& path) {
    auto document = std::make_unique<TXMLParser>();
    document->LoadFromFile(path);
    return document;
  }
  static TXMLNode* AddDay(TXMLParser& document, const std::string& name) {
    TXMLNode* day = document.Root->AddChild(std::make_unique<TXMLNode>(std::string(tagDay)));
    day->SetLevel(document.Root->Level + 1);
    day->SetAttribute(attrName, name);
    return day;
  }

  TTempFolder Folder{"velmora-journal"};
  fs::path Dir = Folder.Path;
};

TEST_F(JournalHashTest, AJournalIsReadOnceHoweverOftenItIsOpened) {
  const std::string path = PathOf("dec.xml");
  Write(path, JournalText(Day("01.12.26")));
  TJournalHash journals;
  TXMLParser* first = journals.OpenJournal(path);
  ASSERT_EQ(first->Status, xrOk);
  EXPECT_EQ(first->Root->ChildCount(), 1);

  Write(path, JournalText(Day("01.12.26") + Day("02.12.26")));
  TXMLParser* again = journals.OpenJournal(path);
  EXPECT_EQ(again, first);
  EXPECT_EQ(again->Root->ChildCount(), 1) << "the file must not be read a second time";
  EXPECT_EQ(journals.Documents().size(), 1u);
}

TEST_F(JournalHashTest, EverySpellingOfOneFileIsOneJournal) {
  const std::string path = PathOf("dec.xml");
  Write(path, JournalText(Day("01.12.26")));
  fs::create_directory(Dir / "sub");
  fs::create_symlink(path, Dir / "link.xml");
  fs::create_hard_link(path, Dir / "hard.xml");
  TJournalHash journals;
  TXMLParser* first = journals.OpenJournal(path);
  for (const std::string& spelling : {(Dir / "." / "dec.xml").string(), Dir.string() + "//dec.xml",
                                      (Dir / "sub" / ".." / "dec.xml").string(), PathOf("link.xml"), PathOf("hard.xml")}) {
    EXPECT_EQ(journals.OpenJournal(spelling), first) << spelling;
    EXPECT_EQ(journals.Find(spelling), first) << spelling;
  }
  EXPECT_EQ(journals.Documents().size(), 1u);
  // Saving replaces the file (a new inode); its other spellings still find the journal.
  AddDay(*first, "02.12.26");
  journals.SaveAll();
  EXPECT_EQ(journals.Find(PathOf("link.xml")), first);

  // A registered journal whose file is not there yet is found by any spelling too, without reading.
  auto created = std::make_unique<TXMLParser>();
  created->FileName = PathOf("new.xml");
  created->Root->Name = std::string(tagJournal);
  TXMLParser* registered = journals.RegisterJournal(std::move(created));
  EXPECT_EQ(journals.OpenJournal((Dir / "sub" / ".." / "new.xml").string()), registered);
  EXPECT_EQ(journals.Find(PathOf("other.xml")), nullptr);
  EXPECT_EQ(journals.Documents().size(), 2u);
  EXPECT_EQ(journals.RegisterJournal(nullptr), nullptr);
}

TEST_F(JournalHashTest, SavingNoJournalsWritesNothing) {
  {
    TJournalHash journals;
    EXPECT_TRUE(journals.SaveAll().Failures.empty());
  }
  EXPECT_TRUE(fs::is_empty(Dir));
}

TEST_F(JournalHashTest, ReleasedJournalsAreNotWrittenAgainOnDestruction) {
  const std::string path = PathOf("kept.xml");
  {
    TJournalHash journals;
    journals.OpenJournal(path)->Root->SetAttribute("x", "1");
    journals.SaveAll();
    std::ofstream(NativePath(path), std::ios::binary) << "changed by someone else";
    journals.ReleaseAll();
    EXPECT_TRUE(journals.Documents().empty());
  }
  std::ifstream in(NativePath(path), std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "changed by someone else");
}

TEST_F(JournalHashTest, AMissingJournalStartsEmptyAndIsSavedAsAValidFile) {
  const std::string path = PathOf("missing.xml");
  TJournalHash journals;
  TXMLParser* journal = journals.OpenJournal(path);
  EXPECT_EQ(journal->Status, xrCannotOpen);
  EXPECT_EQ(journals.StateOf(journal).Read, rsWhole);
  EXPECT_EQ(journal->Root->Name, tagJournal);
  EXPECT_EQ(journal->Root->ChildCount(), 0);
  EXPECT_EQ(journal->Parameters->DocType.Text, litJournalDocType);

  AddDay(*journal, "06.12.26");
  journals.SaveAll();
  EXPECT_EQ(Read(path).rfind(kDeclaration + std::string(litJournalDocType) + "\r\n", 0), 0u);
  auto reloaded = Reload(path);
  EXPECT_EQ(reloaded->Status, xrOk);
  EXPECT_EQ(reloaded->Root->Name, tagJournal);
  ASSERT_EQ(reloaded->Root->ChildCount(), 1);
  EXPECT_EQ(reloaded->Root->GetChild(0)->GetAttribute(attrName), "06.12.26");
}

TEST_F(JournalHashTest, APartlyReadJournalIsBackedUpOnceAndOneThatCannotBeReadIsNeverWritten) {
  const std::string broken = PathOf("broken.xml");
  const std::string brokenBytes = kDeclaration + "<velmora>\r\n  <day name=\"01.12.26\">\r\n    <experience";
  Write(broken, brokenBytes);
  const std::string folder = PathOf("folder.xml");  // there, but no file
  fs::create_directory(folder);
  const std::string dangling = PathOf("dangling.xml");
  fs::create_symlink(PathOf("nowhere.xml"), dangling);
  {
    TJournalHash journals;
    TXMLParser* partial = journals.OpenJournal(broken);
    TXMLParser* notAFile = journals.OpenJournal(folder);
    TXMLParser* toNowhere = journals.OpenJournal(dangling);
    EXPECT_EQ(partial->Root->Name, tagJournal) << "what was read stays available";
    EXPECT_EQ(journals.StateOf(partial).Read, rsPartial);
    EXPECT_FALSE(journals.IsReadOnly(partial));
    EXPECT_TRUE(journals.IsReadOnly(notAFile));
    EXPECT_TRUE(journals.IsReadOnly(toNowhere));
    EXPECT_EQ(journals.StateOf(notAFile).Reason, res::ReasonIsFolder);
    EXPECT_EQ(journals.StateOf(toNowhere).Reason, res::ReasonDanglingLink);
    EXPECT_EQ(journals.DocumentOfRoot(notAFile->Root.get()), notAFile);
    EXPECT_EQ(notAFile->Root->Name, tagJournal);

    AddDay(*partial, "changed");
    AddDay(*notAFile, "lost");
    const TSaveReport first = journals.SaveAll();
    EXPECT_TRUE(first.Failures.empty()) << "files refused by the rules are no failures";
    ASSERT_EQ(first.Backups.size(), 1u);
    EXPECT_EQ(first.Backups[0].FileName, broken);
    EXPECT_EQ(Read(first.Backups[0].Backup), brokenBytes);
    EXPECT_EQ(fs::path(first.Backups[0].Backup).parent_path(), Dir);
    EXPECT_EQ(Reload(broken)->Status, xrOk);
    EXPECT_EQ(journals.StateOf(partial).Backup, first.Backups[0].Backup);
    AddDay(*partial, "again");
    EXPECT_TRUE(journals.SaveAll().Backups.empty()) << "one backup per file and run";
  }
  EXPECT_EQ(Reload(broken)->Root->ChildCount(), 3);
  EXPECT_TRUE(fs::is_directory(folder));
  EXPECT_TRUE(fs::is_symlink(dangling));
  EXPECT_FALSE(fs::exists(PathOf("nowhere.xml")));
  EXPECT_EQ(std::distance(fs::directory_iterator(Dir), fs::directory_iterator()), 4);
}

class FailingWriteTest : public JournalHashTest {
protected:
  // Journals one, two (cannot be written: its folder is a plain file), three (its path is a
  // folder), four: registered in this order.
  void Register(TJournalHash& journals) {
    Write(PathOf("plain"), "not a folder");
    fs::create_directory(PathOf("folder.xml"));
    Write(PathOf("folder.xml/keep.txt"), "keep");
    for (const std::string& path : {PathOf("one.xml"), PathOf("plain/two.xml"), PathOf("four.xml")}) {
      TXMLParser* journal = journals.OpenJournal(path);
      ASSERT_FALSE(journals.IsReadOnly(journal)) << path;
      AddDay(*journal, "06.12.26");
      if (path == PathOf("plain/two.xml")) {
        auto created = std::make_unique<TXMLParser>();
        created->FileName = PathOf("folder.xml");
        created->Root->Name = std::string(tagJournal);
        journals.RegisterJournal(std::move(created));
      }
    }
  }
  void ExpectFailuresAndWrittenRest(const std::vector<TJournalSaveFailure>& failures) {
    ASSERT_EQ(failures.size(), 2u);
    EXPECT_EQ(failures[0].FileName, PathOf("plain/two.xml"));
    EXPECT_EQ(failures[1].FileName, PathOf("folder.xml"));
    EXPECT_FALSE(failures[0].Reason.empty());
    EXPECT_FALSE(failures[1].Reason.empty());
    for (const std::string& written : {PathOf("one.xml"), PathOf("four.xml")}) {
      auto reloaded = Reload(written);
      EXPECT_EQ(reloaded->Status, xrOk) << written;
      EXPECT_EQ(reloaded->Root->ChildCount(), 1) << written;
    }
    EXPECT_EQ(Read(PathOf("plain")), "not a folder");
    EXPECT_EQ(Read(PathOf("folder.xml/keep.txt")), "keep");
  }
};

TEST_F(FailingWriteTest, SaveAllWritesEveryOtherJournalAndReportsAllFailures) {
  TJournalHash journals;
  Register(journals);
  const std::vector<TJournalSaveFailure> failures = journals.SaveAll().Failures;
  ExpectFailuresAndWrittenRest(failures);
  const std::string message = SaveFailureList(failures);
  EXPECT_NE(message.find("two.xml"), std::string::npos);
  EXPECT_NE(message.find("folder.xml"), std::string::npos);
}

TEST_F(FailingWriteTest, TheDestructorWritesEveryJournalItCanAndNeverThrows) {
  EXPECT_NO_THROW({
    TJournalHash journals;
    Register(journals);
  });
  for (const std::string& written : {PathOf("one.xml"), PathOf("four.xml")})
    EXPECT_EQ(Reload(written)->Root->ChildCount(), 1) << written;
}

}  // namespace
