// The tree's model over the library core, without a window: its rows follow every operation and
// its undo, two entries of one journal show the same days, and Qt's model checker finds nothing
// wrong on the way.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QPersistentModelIndex>
#include <QSignalSpy>
#include <QStringList>
#include <algorithm>
#include <fstream>
#include <string>

#include "vlm_Library.h"
#include "vlm_LibraryModel.h"
#include "vlm_TempFolder.h"
#include "vlm_Types.h"
#include "xml_node.h"

namespace {
const char* const kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" language=\"EN\" standalone=\"yes\"?>\r\n";

QStringList Complaints;
void Collect(QtMsgType, const QMessageLogContext&, const QString& text) { Complaints << text; }

// Catalog A holds J1 and J2, two entries of one journal j.xml (one day d1 with one dream).
class LibraryModelTest : public ::testing::Test {
protected:
  void SetUp() override {
    Write("dreams.ini", std::string(kDeclaration) + "<dreamlibrary name=\"L\">\r\n  <directory name=\"A\">\r\n" +
                            "    <file name=\"J1\" path=\"" + Path("j.xml") + "\" />\r\n" +
                            "    <file name=\"J2\" path=\"" + Path("j.xml") + "\" />\r\n  </directory>\r\n</dreamlibrary>\r\n");
    WriteJournal("<day name=\"d1\">\r\n    <experience number=\"1\" title=\"a\" />\r\n  </day>\r\n");
    Library.Load(Path("dreams.ini"));
    J = Library.OpenJournal(Path("j.xml"));
    for (int i = 0; i < 2; ++i) Library.Pairs().AddPair(Catalog()->GetChild(i), J->Root.get());
    Complaints.clear();
    Previous = qInstallMessageHandler(Collect);
    Model.ShowLibrary(true);
  }
  void TearDown() override {
    qInstallMessageHandler(Previous);
    EXPECT_EQ(Complaints, QStringList()) << "the model checker's complaints";
  }

  std::string Path(const std::string& name) const { return (Folder.Path / name).string(); }
  void Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(Path(name), std::ios::binary) << bytes;
  }
  void WriteJournal(const std::string& days) const {
    Write("j.xml", std::string(kDeclaration) + "<velmora>\r\n  " + days + "</velmora>\r\n");
  }
  TXMLNode* Catalog() { return Library.Root().GetChild(0); }
  QModelIndex Row(const QModelIndex& parent, int row) const { return Model.index(row, 0, parent); }
  QModelIndex Top() const { return Row(QModelIndex(), 0); }
  QModelIndex Entry(int n) const { return Row(Row(Top(), 0), n); }
  QStringList Captions(const QModelIndex& parent) const {
    QStringList captions;
    for (int i = 0; i < Model.rowCount(parent); ++i) captions << Row(parent, i).data().toString();
    return captions;
  }

  TTempFolder Folder{"velmora-model"};
  TLibrary Library;
  TXMLParser* J = nullptr;
  TLibraryModel Model{Library};
  QAbstractItemModelTester Tester{&Model, QAbstractItemModelTester::FailureReportingMode::Warning};
  QtMessageHandler Previous = nullptr;
};

TEST_F(LibraryModelTest, RowsFollowEachOperationAndEachUndo) {
  EXPECT_EQ(Captions(Top()), QStringList{QStringLiteral("A")});
  ASSERT_EQ(Captions(Entry(0)), QStringList{QStringLiteral("d1")});
  EXPECT_EQ(Captions(Row(Entry(0), 0)), QStringList{QStringLiteral("1. a")});
  TXMLNode& root = *J->Root;
  std::vector<QStringList> seen{Captions(Entry(0))};
  const auto step = [&](const QStringList& expected) {
    EXPECT_EQ(Captions(Entry(0)), expected);
    seen.push_back(expected);
  };
  TXMLNode* d2 = Library.AddDay(*J, "d2");
  step({QStringLiteral("d1"), QStringLiteral("d2")});
  Library.AddExperience(*J, *d2, "2", "b");
  EXPECT_EQ(Captions(Row(Entry(0), 1)), QStringList{QStringLiteral("2. b")});
  // An exchange moves the rows: what points at a row follows it.
  const QPersistentModelIndex second = Row(Entry(0), 1);
  Library.Exchange(*J, root, 0, 1);
  step({QStringLiteral("d2"), QStringLiteral("d1")});
  EXPECT_EQ(second.row(), 0);
  EXPECT_EQ(second.data().toString(), QStringLiteral("d2"));
  // A rename tells the views which row changed, so they draw its caption again.
  const QSignalSpy changed(&Model, &QAbstractItemModel::dataChanged);
  Library.SetText(*J, *d2, tfName, "renamed");
  step({QStringLiteral("renamed"), QStringLiteral("d1")});
  EXPECT_TRUE(std::any_of(changed.begin(), changed.end(),
                          [&](const QList<QVariant>& signal) { return signal[0].toModelIndex() == Row(Entry(0), 0); }));
  Library.Remove(*J, root, 1);
  step({QStringLiteral("renamed")});
  Library.AddCatalog(Library.Root(), "B");
  EXPECT_EQ(Captions(Top()), (QStringList{QStringLiteral("A"), QStringLiteral("B")}));

  Library.UndoStack().undo();
  EXPECT_EQ(Captions(Top()), QStringList{QStringLiteral("A")});
  // Each step back shows the rows as they were before it (the dream's step counted twice).
  for (int i = static_cast<int>(seen.size()) - 2; i >= 0; --i) {
    Library.UndoStack().undo();
    if (i == 0) Library.UndoStack().undo();
    EXPECT_EQ(Captions(Entry(0)), seen[static_cast<std::size_t>(i)]) << "step back " << i;
  }
  EXPECT_FALSE(Library.UndoStack().canUndo());
  Library.Remove(Library.Document(), *Catalog(), 0);  // J1's entry goes and comes back with its pair
  EXPECT_EQ(Captions(Row(Top(), 0)), QStringList{QStringLiteral("J2")});
  Library.UndoStack().undo();
  EXPECT_EQ(Captions(Entry(0)), QStringList{QStringLiteral("d1")});
}

TEST_F(LibraryModelTest, BothEntriesOfASharedJournalShowEveryChange) {
  ASSERT_EQ(Captions(Entry(0)), Captions(Entry(1)));
  Model.rowCount(Row(Entry(1), 0));  // the dreams built under one entry only
  TXMLNode* d1 = J->Root->GetChild(0);
  Library.AddExperience(*J, *d1, "2", "b");
  Library.SetText(*J, *d1->GetChild(0), tfTitle, "changed");
  for (int n : {0, 1})
    EXPECT_EQ(Captions(Row(Entry(n), 0)), (QStringList{QStringLiteral("1. changed"), QStringLiteral("2. b")})) << n;
  Library.AddDay(*J, "d2");
  EXPECT_EQ(Captions(Entry(1)), (QStringList{QStringLiteral("d1"), QStringLiteral("d2")}));
  // Read again after another program wrote the file: both entries show the new days.
  const QPersistentModelIndex dream = Row(Row(Entry(0), 0), 0);
  WriteJournal("<day name=\"x\" />\r\n  <day name=\"y\" />\r\n");
  ASSERT_NE(Library.ReadAgain(*J), nullptr);
  EXPECT_FALSE(dream.isValid()) << "a row of the old days is gone";
  for (int n : {0, 1}) EXPECT_EQ(Captions(Entry(n)), (QStringList{QStringLiteral("x"), QStringLiteral("y")})) << n;
}
}  // namespace
