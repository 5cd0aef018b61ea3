// Structural changes to the documents: new entries, exchanging entries while the elements the tree
// does not show stay put, removing entries with their pairs and the default-journal mark.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

#include "vlm_EntryFields.h"
#include "vlm_JournalHash.h"
#include "vlm_LibraryOps.h"
#include "vlm_TempFolder.h"
#include "vlm_Types.h"
#include "vlm_XMLPairList.h"
#include "xml_mainUnit.h"

namespace {

std::unique_ptr<TXMLParser> Parse(const std::string& body) {
  auto document = std::make_unique<TXMLParser>();
  EXPECT_EQ(document->LoadFromString("<?xml version=\"1.0\"?>\r\n" + body), xrOk);
  return document;
}

// The names of the children (with their `name` or `number` when they have one), in order.
std::string Order(const TXMLNode& parent) {
  std::string order;
  for (const auto& child : parent.Children) {
    if (!order.empty()) order += ' ';
    std::string label = child->GetAttribute(attrName);
    if (label == litUndefined) label = child->GetAttribute(attrNumber);
    order += label == litUndefined ? child->Name : label;
  }
  return order;
}

// The document written and read back, as the next start sees it.
std::string StoredOrder(const TXMLParser& document, const std::string& path = {}) {
  TXMLParser again;
  EXPECT_EQ(again.LoadFromString(document.SaveToString()), xrOk);
  const TXMLNode* node = again.Root.get();
  if (!path.empty()) node = node->FindNode(path);
  return Order(*node);
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

TEST(LibraryOps, TheTreeShowsCatalogsBelowTheRootAndSkipsSettingsAndDayComments) {
  auto library = Parse(
      "<dreamlibrary name=\"L\"><icon path=\"a.bmp\"/><directory name=\"A\"><file name=\"J\"/><label/></directory>"
      "<file name=\"stray\"/><options confirmdelete=\"no\"/><directory name=\"B\"/></dreamlibrary>");
  TXMLNode& root = *library->Root;
  ASSERT_EQ(ShownChildren(root).size(), 2u);
  EXPECT_EQ(ShownChild(root, 1)->GetAttribute(attrName), "B");
  EXPECT_EQ(ShownChild(root, 2), nullptr);
  EXPECT_EQ(ShownChild(root, -1), nullptr);
  EXPECT_EQ(ShownChildren(*ShownChild(root, 0)).size(), 1u);  // the journal, not the label

  auto journal = Parse("<velmora><day name=\"d\"><experience number=\"001\"/><comment>c</comment>"
                             "<experience number=\"002\"/></day></velmora>");
  const TXMLNode& day = *ShownChild(*journal->Root, 0);
  EXPECT_EQ(ShownChild(day, 1)->GetAttribute(attrNumber), "002");
}

TEST(LibraryOps, MovingKeepsTheHiddenElementsInTheirPlacesInTheStoredOrder) {
  auto library = Parse(
      "<dreamlibrary><directory name=\"A\"/><directory name=\"B\"/><form left=\"1\"/><directory name=\"C\"/>"
      "</dreamlibrary>");
  ASSERT_TRUE(ExchangeEntries(*library->Root, 2, 1));  // C up
  EXPECT_EQ(Order(*library->Root), "A C form B");
  EXPECT_EQ(StoredOrder(*library), "A C form B");
  ASSERT_TRUE(ExchangeEntries(*library->Root, 1, 2));  // and down again
  EXPECT_EQ(Order(*library->Root), "A B form C");

  auto journal = Parse("<velmora><day name=\"d\"><experience number=\"001\"/><comment>night</comment>"
                             "<experience number=\"002\"/></day></velmora>");
  TXMLNode& day = *journal->Root->GetChild(0);
  ASSERT_TRUE(ExchangeEntries(day, 1, 0));
  EXPECT_EQ(Order(day), "002 comment 001");
  EXPECT_EQ(StoredOrder(*journal, std::string(tagDay)), "002 comment 001");

  EXPECT_FALSE(ExchangeEntries(day, 1, 2));  // no third experience: nothing moves
  EXPECT_EQ(Order(day), "002 comment 001");
}

TEST(LibraryOps, NewEntriesAreAppendedOneLevelBelowTheirParent) {
  auto library = Parse(
      "<dreamlibrary name=\"L\"><icon path=\"i.bmp\"/><label caption=\"x\"/><form left=\"1\"/>"
      "<options confirmdelete=\"yes\"/></dreamlibrary>");
  TXMLNode* catalog = AppendCatalog(*library->Root, "2026");
  EXPECT_EQ(Order(*library->Root), "icon label form options 2026");
  EXPECT_EQ(catalog->Level, library->Root->Level + 1);
  EXPECT_NE(library->SaveToString().find("\r\n  <directory name=\"2026\">\r\n  </directory>\r\n</dreamlibrary>"),
            std::string::npos);

  auto journal = Parse("<velmora><day name=\"a\"><comment>c</comment></day></velmora>");
  TXMLNode* day = AppendDay(*journal->Root, "06.12.26");
  TXMLNode* dream = AppendExperience(*day, "003", "Flight");
  EXPECT_EQ(dream->Level, 2);
  EXPECT_NE(journal->SaveToString().find("    <experience number=\"003\" title=\"Flight\">\r\n    </experience>"),
            std::string::npos);
}

TEST(LibraryOps, WhatIsAddedBelowAnElementReadAsSelfClosingIsWritten) {
  auto library = Parse("<dreamlibrary name=\"L\"><directory name=\"A\" /></dreamlibrary>");
  AppendCatalog(*library->Root->GetChild(0), "B");
  EXPECT_EQ(StoredOrder(*library, "directory"), "B");
  auto journal = Parse("<velmora><day name=\"a\" /><day name=\"b\"><experience number=\"1\" /></day></velmora>");
  AppendExperience(*journal->Root->GetChild(0), "2", "t");
  SetChildText(*journal->Root->GetChild(1)->GetChild(0), tagDescription, "text");
  TXMLParser again;
  ASSERT_EQ(again.LoadFromString(journal->SaveToString()), xrOk);
  EXPECT_EQ(Order(*again.Root->GetChild(0)), "2");
  EXPECT_EQ(Order(*again.Root->GetChild(1)->GetChild(0)), "description");
}

TEST(LibraryOps, ProposedNumbersArePaddedToThreeDigits) {
  EXPECT_EQ(ProposedNumber(1), "001");
  EXPECT_EQ(ProposedNumber(12), "012");
  EXPECT_EQ(ProposedNumber(123), "123");
  EXPECT_EQ(ProposedNumber(1234), "1234");
}

TEST(LibraryOps, ANewJournalIsWrittenAtOnceRegisteredAndPaired) {
  TTempFolder dir{"velmora-ops"};
  const std::string file = (dir.Path / "dec.xml").string();
  auto library = Parse("<dreamlibrary><directory name=\"A\"/></dreamlibrary>");
  TXMLNode& catalog = *library->Root->GetChild(0);
  TJournalHash journals;
  TXMLPairList pairs;

  const TNewJournal created = CreateJournal(catalog, "Dec", "dec.xml", file, journals, pairs);
  EXPECT_EQ(ReadFile(file),
            "<?xml version=\"1.0\" encoding=\"UTF-8\" language=\"EN\" standalone=\"yes\"?>\r\n"
            "<!DOCTYPE vel_mora SYSTEM \"../vel_mora.dtd\">\r\n\r\n<velmora>\r\n</velmora>\r\n");
  ASSERT_EQ(catalog.ChildCount(), 1);
  EXPECT_EQ(created.Entry, catalog.GetChild(0));
  EXPECT_EQ(created.Entry->Kind, nkEmpty);
  EXPECT_EQ(created.Entry->GetAttribute(attrPath), "dec.xml");  // as typed, not as resolved
  EXPECT_EQ(journals.OpenJournal(file), created.Document);
  EXPECT_EQ(pairs.FirstOf(created.Document->Root.get()), created.Entry);

  // Its path again: the open journal's file is not replaced, and nothing is added.
  EXPECT_THROW(CreateJournal(catalog, "Again", "dec.xml", file, journals, pairs), std::runtime_error);
  const std::string otherSpelling = (dir.Path / "." / "dec.xml").string();
  EXPECT_THROW(CreateJournal(catalog, "Again", "./dec.xml", otherSpelling, journals, pairs), std::runtime_error);
  EXPECT_EQ(catalog.ChildCount(), 1);
  EXPECT_EQ(journals.Documents().size(), 1u);
}

TEST(LibraryOps, AJournalThatCannotBeWrittenLeavesNoEntryBehind) {
  TTempFolder dir{"velmora-ops"};
  auto library = Parse("<dreamlibrary><directory name=\"A\"><file name=\"old\"/></directory></dreamlibrary>");
  TXMLNode& catalog = *library->Root->GetChild(0);
  TJournalHash journals;
  TXMLPairList pairs;
  const std::string file = (dir.Path / "no such folder" / "dec.xml").string();
  EXPECT_THROW(CreateJournal(catalog, "Dec", file, file, journals, pairs), EInOutError);
  EXPECT_EQ(Order(catalog), "old");
  EXPECT_TRUE(journals.Documents().empty());
  EXPECT_EQ(pairs.Count(), 0);
}

TEST(LibraryOps, RemovingAnEntryDropsItsPairsAndTheDefaultMarkInsideIt) {
  auto library = Parse(
      "<dreamlibrary><directory name=\"A\"><directory name=\"A1\"><file name=\"J\" path=\"j.xml\"/></directory>"
      "</directory><directory name=\"B\"><file name=\"K\" path=\"k.xml\"/></directory></dreamlibrary>");
  TXMLNode& root = *library->Root;
  TXMLNode* j = root.FindNode(tagFile);
  TXMLNode* k = root.GetChild(1)->GetChild(0);
  TXMLNode journalJ{std::string(tagJournal)}, journalK{std::string(tagJournal)};
  TXMLPairList pairs;
  pairs.AddPair(j, &journalJ);
  pairs.AddPair(k, &journalK);
  TXMLNode* defaultJournal = j;

  ASSERT_TRUE(RemoveEntry(root, 0, pairs, defaultJournal));  // catalog A with J two levels down
  EXPECT_EQ(defaultJournal, nullptr);
  EXPECT_EQ(pairs.FirstOf(&journalJ), nullptr);
  EXPECT_EQ(pairs.FirstOf(&journalK), k);
  EXPECT_EQ(Order(root), "B");

  defaultJournal = k;
  TXMLNode& b = *root.GetChild(0);
  EXPECT_FALSE(RemoveEntry(b, 1, pairs, defaultJournal));
  TXMLNode* day = AppendDay(journalK, "d");
  ASSERT_TRUE(RemoveEntry(journalK, 0, pairs, defaultJournal));  // a day: the mark stays
  EXPECT_EQ(defaultJournal, k);
  EXPECT_EQ(journalK.IndexOfChild(day), -1);
}

TEST(LibraryOps, TwoEntriesOfOneJournalAreMovedAndRemovedEachOnItsOwn) {
  auto library = Parse(
      "<dreamlibrary><directory name=\"A\"><file name=\"same\" path=\"j.xml\"/><label/>"
      "<file name=\"same\" path=\"j.xml\"/><file name=\"other\" path=\"o.xml\"/></directory></dreamlibrary>");
  TXMLNode& catalog = *library->Root->GetChild(0);
  TXMLNode* first = catalog.GetChild(0);
  TXMLNode* second = catalog.GetChild(2);
  TXMLNode* other = catalog.GetChild(3);
  TXMLNode shared{std::string(tagJournal)};
  TXMLPairList pairs;
  pairs.AddPair(first, &shared);
  pairs.AddPair(second, &shared);
  EXPECT_TRUE(StandsFor(second, &shared, pairs));
  EXPECT_FALSE(StandsFor(other, &shared, pairs));

  // The second entry moves down past `other`; the first entry and the label stay.
  ASSERT_TRUE(ExchangeEntries(catalog, 1, 2));
  EXPECT_EQ(catalog.GetChild(0), first);
  EXPECT_EQ(catalog.GetChild(1)->Name, tagLabel);
  EXPECT_EQ(catalog.GetChild(2), other);
  EXPECT_EQ(catalog.GetChild(3), second);

  TXMLNode* defaultJournal = first;
  ASSERT_TRUE(RemoveEntry(catalog, 0, pairs, defaultJournal));
  EXPECT_EQ(defaultJournal, nullptr);
  EXPECT_EQ(pairs.FirstOf(&shared), second);  // the journal goes on through the other entry
  EXPECT_EQ(catalog.IndexOfChild(second), 2);
  EXPECT_EQ(catalog.IndexOfChild(other), 1);
}
