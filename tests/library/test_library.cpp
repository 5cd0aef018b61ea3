// The library core without a window: every operation undone leaves the documents byte for byte
// as before and redone as after; typing on is one step per field where the editor says so; a
// removed journal entry comes back with its pair and default mark; new nights go by their dates;
// only documents that changed are written.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "vlm_EntryFields.h"
#include "vlm_Library.h"
#include "vlm_TempFolder.h"
#include "vlm_Types.h"
#include "xml_node.h"

namespace fs = std::filesystem;

namespace {
const char* const kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" language=\"EN\" standalone=\"yes\"?>\r\n";

class LibraryTest : public ::testing::Test {
protected:
  void SetUp() override {
    Write("dreams.ini", std::string(kDeclaration) +
                            "<dreamlibrary name=\"L\">\r\n  <directory name=\"A\">\r\n"
                            "    <file name=\"J\" path=\"" + Path("j.xml") + "\" default=\"yes\" />\r\n"
                            "    <file name=\"K\" path=\"" + Path("k.xml") + "\" />\r\n"
                            "  </directory>\r\n</dreamlibrary>\r\n");
    for (const char* name : {"j.xml", "k.xml"})
      Write(name, std::string(kDeclaration) +
                      "<velmora>\r\n  <day name=\"d1\">\r\n    <experience number=\"001\" title=\"a\">\r\n"
                      "      <properties luciddream=\"true\" />\r\n    </experience>\r\n  </day>\r\n</velmora>\r\n");
    Library.Load(Path("dreams.ini"));
    Catalog = Library.Root().GetChild(0);
    Library.SetDefaultJournal(Catalog->GetChild(0));
    J = Library.OpenJournal(Path("j.xml"));
    K = Library.OpenJournal(Path("k.xml"));
    Library.Pairs().AddPair(Catalog->GetChild(0), J->Root.get());
  }

  std::string Path(const std::string& name) const { return (Dir / name).string(); }
  void Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(Path(name), std::ios::binary) << bytes;
  }
  std::string Texts() const { return Library.Document().SaveToString() + J->SaveToString() + K->SaveToString(); }
  static long long Stamp(const std::string& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return static_cast<long long>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec;
  }

  TTempFolder Folder{"velmora-library"};
  fs::path Dir = Folder.Path;
  mutable TLibrary Library;
  TXMLNode* Catalog = nullptr;
  TXMLParser* J = nullptr;
  TXMLParser* K = nullptr;
};
}  // namespace

TEST_F(LibraryTest, EveryStepUndoneAndRedoneLeavesTheDocumentsByteForByte) {
  std::vector<std::string> states{Texts()};
  auto step = [&](const std::function<void()>& change) {
    change();
    states.push_back(Texts());
    EXPECT_NE(states.back(), states[states.size() - 2]);
  };
  TXMLNode* day = J->Root->GetChild(0);
  TXMLNode* dream = day->GetChild(0);
  step([&] { Library.AddCatalog(Library.Root(), "New"); });
  step([&] { Library.AddJournal(*Catalog, "N", "n.xml", Path("n.xml")); });
  step([&] { day = Library.AddDay(*J, "d2"); });
  step([&] { Library.AddExperience(*J, *day, "002", "b"); });
  step([&] { Library.SetText(*J, *dream, tfDescription, "text"); });
  step([&] { Library.SetText(*J, *dream, tfTitle, "aa"); });
  step([&] { Library.SetLabel(*J, *dream, 1, false); });
  step([&] { Library.SetEnergy(*J, *dream, 40); });
  step([&] { Library.SetPicture(*J, *dream, "p.bmp"); });
  step([&] { Library.SetReadOnly(*J, *dream, true); });
  step([&] { Library.Exchange(*J, *J->Root, 0, 1); });
  step([&] { Library.Remove(Library.Document(), *Catalog, 1); });
  ASSERT_EQ(Library.UndoStack().count(), static_cast<int>(states.size()) - 1);
  for (std::size_t i = states.size() - 1; i > 0; --i) {
    Library.UndoStack().undo();
    EXPECT_EQ(Texts(), states[i - 1]) << "undo of step " << i;
  }
  for (std::size_t i = 1; i < states.size(); ++i) {
    Library.UndoStack().redo();
    EXPECT_EQ(Texts(), states[i]) << "redo of step " << i;
  }
}

TEST_F(LibraryTest, TypingOnIsOneStepPerFieldAndEntryWhereTheEditorSaysSo) {
  TXMLNode* dream = J->Root->GetChild(0)->GetChild(0);
  const std::string before = J->SaveToString();
  Library.SetText(*J, *dream, tfComment, "t");
  for (const char* text : {"ty", "typ"}) Library.SetText(*J, *dream, tfComment, text, tsContinue);
  EXPECT_EQ(Library.UndoStack().count(), 1);
  Library.SetText(*J, *dream, tfTitle, "x", tsContinue);
  Library.SetText(*J, *dream, tfComment, "typo", tsContinue);
  Library.SetText(*K, *K->Root->GetChild(0)->GetChild(0), tfComment, "other", tsContinue);
  EXPECT_EQ(Library.UndoStack().count(), 4);
  EXPECT_EQ(Library.UndoStack().undoText(), QString::fromUtf8("изменение комментария"));
  // An edit that begins a step (a selection replaced, a pause) is never taken into the one before.
  Library.SetText(*K, *K->Root->GetChild(0)->GetChild(0), tfComment, "x");
  EXPECT_EQ(Library.UndoStack().count(), 5);
  Library.UndoStack().undo();
  EXPECT_EQ(ChildText(*K->Root->GetChild(0)->GetChild(0), tagComment), "other");
  Library.UndoStack().redo();
  // A field typed and taken back to what it was leaves no step.
  Library.SetText(*K, *K->Root->GetChild(0), tfName, "d9");
  Library.SetText(*K, *K->Root->GetChild(0), tfName, "d1", tsContinue);
  EXPECT_EQ(Library.UndoStack().count(), 5);
  while (Library.UndoStack().canUndo()) Library.UndoStack().undo();
  EXPECT_EQ(J->SaveToString(), before);
}

TEST_F(LibraryTest, ANumberThenATitleAreTwoStepsAndATitleSetToItselfNone) {
  TXMLNode* dream = J->Root->GetChild(0)->GetChild(0);
  Library.SetText(*J, *dream, tfNumber, "007", tsContinue);
  Library.SetText(*J, *dream, tfTitle, "b", tsContinue);
  EXPECT_EQ(Library.UndoStack().count(), 2);
  Library.SetText(*J, *dream, tfTitle, "b");
  EXPECT_EQ(Library.UndoStack().count(), 2);
  Library.UndoStack().undo();
  EXPECT_EQ(dream->GetAttribute(attrNumber), "007");
  EXPECT_EQ(dream->GetAttribute(attrTitle), "a");
}

TEST_F(LibraryTest, AFirstDefaultMarkAndNoQuestionBeforeDeletingChangeTheLibraryAndSaySo) {
  ASSERT_TRUE(Library.Save().Failures.empty());
  TLibrary library;  // the same file, with no mark set yet
  library.Load(Path("dreams.ini"));
  int told = 0;
  QObject::connect(&library, &TLibrary::ChangedDocumentsChanged, [&] { ++told; });
  library.SetDefaultJournal(library.Root().GetChild(0)->GetChild(1));
  EXPECT_TRUE(library.IsChanged(&library.Document()));
  EXPECT_GT(told, 0);
  ASSERT_TRUE(library.Save().Failures.empty());
  ASSERT_FALSE(library.IsChanged(&library.Document()));
  told = 0;
  library.SetConfirmDelete(false);
  EXPECT_TRUE(library.IsChanged(&library.Document()));
  EXPECT_GT(told, 0);
}

TEST_F(LibraryTest, ANightNamedAsADateGoesAmongTheNightsByItsDate) {
  std::vector<TXMLNode*> added;
  for (const char* name : {"05.01.26", "01.01.26", "Отпуск", "03.01.26", "06.01.26"}) added.push_back(Library.AddDay(*J, name));
  auto names = [&] {
    std::string all;
    for (const auto& night : J->Root->Children) all += night->GetAttribute(attrName) + " ";
    return all;
  };
  // The night without a date that was there stays first; one named otherwise goes at the end.
  EXPECT_EQ(names(), "d1 01.01.26 03.01.26 05.01.26 Отпуск 06.01.26 ");
  Library.UndoStack().undo();
  Library.UndoStack().undo();
  Library.UndoStack().redo();
  EXPECT_EQ(names(), "d1 01.01.26 03.01.26 05.01.26 Отпуск ");
}

TEST_F(LibraryTest, ARemovedJournalEntryComesBackWithItsPairAndDefaultMark) {
  TXMLNode* entry = Catalog->GetChild(0);
  ASSERT_TRUE(Library.Remove(Library.Document(), *Catalog, 0));
  EXPECT_EQ(Library.DefaultJournal(), nullptr);
  EXPECT_EQ(Library.Pairs().FirstOf(J->Root.get()), nullptr);
  Library.UndoStack().undo();
  EXPECT_EQ(Catalog->GetChild(0), entry);
  EXPECT_EQ(Library.DefaultJournal(), entry);
  EXPECT_EQ(Library.Pairs().FirstOf(J->Root.get()), entry);
  // A new journal selected (so marked) and then undone gives the mark back.
  const TNewJournal created = Library.AddJournal(*Catalog, "N", "n.xml", Path("n.xml"));
  Library.SetDefaultJournal(created.Entry);
  Library.UndoStack().undo();
  EXPECT_EQ(Library.DefaultJournal(), entry);
  EXPECT_EQ(entry->GetAttribute(attrDefault), "yes");
  // Done again, it is selected again and takes the mark back.
  Library.UndoStack().redo();
  EXPECT_EQ(Library.DefaultJournal(), created.Entry);
  EXPECT_EQ(entry->GetAttribute(attrDefault), "no");
}

TEST_F(LibraryTest, OnlyChangedDocumentsAreWritten) {
  // Files dated in the past: a write dates them now, however coarse the clock of the file system.
  for (const char* name : {"dreams.ini", "j.xml", "k.xml"})
    fs::last_write_time(Path(name), fs::file_time_type::clock::now() - std::chrono::hours(24));
  const long long library = Stamp(Path("dreams.ini")), j = Stamp(Path("j.xml")), k = Stamp(Path("k.xml"));
  Library.SetDefaultJournal(Catalog->GetChild(0));  // marked already: no change
  Library.SetFormGeometry(1, 2, 3, 4, 5);
  Library.SetFormGeometry(1, 2, 3, 4, 5);
  EXPECT_TRUE(Library.IsChanged(&Library.Document()));
  EXPECT_FALSE(Library.IsChanged(J));
  Library.SetText(*J, *J->Root->GetChild(0), tfComment, "night");
  EXPECT_TRUE(Library.Save().Failures.empty());
  EXPECT_NE(Stamp(Path("dreams.ini")), library);
  EXPECT_NE(Stamp(Path("j.xml")), j);
  EXPECT_EQ(Stamp(Path("k.xml")), k);
  EXPECT_FALSE(Library.AnyChanged());
  // Nothing changed since: the next save writes nothing.
  fs::last_write_time(Path("j.xml"), fs::file_time_type::clock::now() - std::chrono::hours(24));
  const long long saved = Stamp(Path("j.xml"));
  Library.Save();
  EXPECT_EQ(Stamp(Path("j.xml")), saved);

  // Steps taken back to where the file was leave nothing to write; typing on after a save, a step
  // redone past it, or a new step in place of an undone one does.
  TXMLNode* day = J->Root->GetChild(0);
  Library.SetLabel(*J, *day->GetChild(0), 2, true);
  EXPECT_TRUE(Library.IsChanged(J));
  Library.UndoStack().undo();
  EXPECT_FALSE(Library.IsChanged(J));
  Library.UndoStack().undo();
  EXPECT_TRUE(Library.IsChanged(J));
  Library.UndoStack().redo();
  EXPECT_FALSE(Library.IsChanged(J));
  Library.UndoStack().undo();
  Library.SetText(*J, *day, tfComment, "day");
  EXPECT_TRUE(Library.IsChanged(J));
  Library.Save();
  Library.SetText(*J, *day, tfComment, "day!", tsContinue);  // merged into the step saved
  EXPECT_TRUE(Library.IsChanged(J));
  EXPECT_FALSE(Library.IsChanged(K));
  // A journal read again empties the history: what it changed elsewhere stays changed.
  EXPECT_NE(Library.ReadAgain(*K), nullptr);
  EXPECT_TRUE(Library.IsChanged(J));
  EXPECT_FALSE(Library.IsChanged(K));
}

// A journal whose file is missing is written only once something is put into it, and a file that
// appeared at its name meanwhile (its folder put back) is never written over without being kept.
TEST_F(LibraryTest, AJournalWhoseFileIsMissingIsWrittenOnlyWithSomethingInItAndNeverOverAFileThatAppeared) {
  TXMLParser* missing = Library.OpenJournal(Path("m.xml"));
  EXPECT_FALSE(Library.IsChanged(missing));
  EXPECT_TRUE(Library.Save().Failures.empty());
  EXPECT_FALSE(fs::exists(Path("m.xml"))) << "nothing was put in: nothing is written";

  const std::string theirs = std::string(kDeclaration) + "<velmora>\r\n  <day name=\"twelve dreams\" />\r\n</velmora>\r\n";
  Write("m.xml", theirs);
  EXPECT_TRUE(Library.Save().Failures.empty());
  std::ifstream untouched(Path("m.xml"), std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(untouched), {}), theirs);

  Library.AddDay(*missing, "mine");
  const TSaveReport report = Library.Save();
  EXPECT_TRUE(report.Failures.empty());
  ASSERT_EQ(report.Appeared.size(), 1u) << "the file that appeared is kept, and said so";
  std::ifstream kept(report.Appeared[0].Backup, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), theirs);
  std::ifstream written(Path("m.xml"), std::ios::binary);
  EXPECT_NE(std::string(std::istreambuf_iterator<char>(written), {}).find("mine"), std::string::npos);
}

// A journal read ahead and left waiting (a search stopped before it was taken) is read again when
// another program changed its file meanwhile: the waiting copy would hide that version, and a
// save of it would write over it.
TEST_F(LibraryTest, AJournalReadAheadIsReadAgainWhenItsFileChangedMeanwhile) {
  Write("late.xml", std::string(kDeclaration) + "<velmora>\r\n  <day name=\"old\">\r\n  </day>\r\n</velmora>\r\n");
  Library.ReadJournalAhead(Path("late.xml"));
  for (int waited = 0; Library.ReadingAhead() && waited < 10000; waited += 10)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  Write("late.xml", std::string(kDeclaration) + "<velmora>\r\n  <day name=\"new, from elsewhere\">\r\n  </day>\r\n</velmora>\r\n");
  TXMLParser* late = Library.OpenJournal(Path("late.xml"));
  ASSERT_EQ(late->Root->ChildCount(), 1);
  EXPECT_EQ(late->Root->GetChild(0)->GetAttribute("name"), "new, from elsewhere");
}
