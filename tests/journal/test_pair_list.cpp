// Pairs of library entries and journal roots: identity, order, and dropping deleted entries.
#include <gtest/gtest.h>

#include <memory>

#include "vlm_Types.h"
#include "vlm_XMLPairList.h"
#include "xml_node.h"

namespace {

TXMLNode* AddElement(TXMLNode& parent, std::string_view name) {
  TXMLNode* child = parent.AddChild(std::make_unique<TXMLNode>(std::string(name)));
  child->SetLevel(parent.Level + 1);
  return child;
}

}  // namespace

TEST(PairList, AddPairAppendsAlwaysAndAddUniquePairOnlyNewPairs) {
  TXMLNode entry{std::string(tagFile)}, other{std::string(tagFile)}, root{std::string(tagJournal)};
  TXMLPairList pairs;
  EXPECT_EQ(pairs.AddPair(&entry, &root), 0);
  EXPECT_EQ(pairs.AddPair(&entry, &root), 1);  // an identical second pair
  EXPECT_EQ(pairs.Count(), 2);

  pairs.AddUniquePair(&entry, &root);
  EXPECT_EQ(pairs.Count(), 2);
  pairs.AddUniquePair(&other, &root);  // same Second, other First: new
  EXPECT_EQ(pairs.Count(), 3);
  EXPECT_EQ(pairs.Pairs[2].First, &other);
  EXPECT_EQ(pairs.Pairs[2].Second, &root);
}

TEST(PairList, FirstOfMatchesByIdentityInOrderOfAddition) {
  // Equal names and attributes must not make two nodes the same.
  TXMLNode rootA{std::string(tagJournal)}, rootB{std::string(tagJournal)};
  TXMLNode entry1{std::string(tagFile)}, entry2{std::string(tagFile)}, entry3{std::string(tagFile)};
  for (TXMLNode* e : {&entry1, &entry2, &entry3}) e->SetAttribute(attrPath, "same.xml");

  TXMLPairList pairs;
  pairs.AddUniquePair(&entry1, &rootA);
  pairs.AddUniquePair(&entry2, &rootB);
  pairs.AddUniquePair(&entry3, &rootA);  // a second entry leading to rootA

  EXPECT_EQ(pairs.FirstOf(&rootA), &entry1);
  EXPECT_EQ(pairs.FirstOf(&rootB), &entry2);
  TXMLNode stranger{std::string(tagJournal)};
  EXPECT_EQ(pairs.FirstOf(&stranger), nullptr);
  EXPECT_EQ(pairs.FirstOf(nullptr), nullptr);
}

TEST(PairList, DestroyingTheListLeavesTheNodesAlone) {
  auto entry = std::make_unique<TXMLNode>(std::string(tagFile));
  auto root = std::make_unique<TXMLNode>(std::string(tagJournal));
  AddElement(*root, tagDay);
  {
    TXMLPairList pairs;
    pairs.AddPair(entry.get(), root.get());
  }
  EXPECT_EQ(entry->Name, tagFile);
  ASSERT_EQ(root->ChildCount(), 1);
  EXPECT_EQ(root->GetChild(0)->Name, tagDay);
}

TEST(PairList, DeletedLibraryEntriesAreNeverHandedOut) {
  TXMLNode library{std::string(tagDreamLibrary)};
  TXMLNode* catalogA = AddElement(library, tagDirectory);
  TXMLNode* nested = AddElement(*catalogA, tagDirectory);
  TXMLNode* fileInA = AddElement(*nested, tagFile);
  TXMLNode* catalogB = AddElement(library, tagDirectory);
  TXMLNode* fileInB = AddElement(*catalogB, tagFile);
  TXMLNode* secondEntry = AddElement(*catalogB, tagFile);
  TXMLNode rootOne{std::string(tagJournal)}, rootTwo{std::string(tagJournal)};

  TXMLPairList pairs;
  pairs.AddUniquePair(fileInA, &rootOne);
  pairs.AddUniquePair(fileInB, &rootTwo);
  pairs.AddUniquePair(secondEntry, &rootOne);

  // Deleting catalog A (which holds the first entry of rootOne, two levels down).
  pairs.RemoveFirstsIn(catalogA);
  library.DeleteChild(library.IndexOfChild(catalogA));
  EXPECT_EQ(pairs.FirstOf(&rootOne), secondEntry);
  EXPECT_EQ(pairs.FirstOf(&rootTwo), fileInB);
  EXPECT_EQ(pairs.Count(), 2);

  // Deleting an entry itself.
  pairs.RemoveFirstsIn(secondEntry);
  catalogB->DeleteChild(catalogB->IndexOfChild(secondEntry));
  EXPECT_EQ(pairs.FirstOf(&rootOne), nullptr);
  EXPECT_EQ(pairs.FirstOf(&rootTwo), fileInB);

  pairs.RemoveFirstsIn(nullptr);
  EXPECT_EQ(pairs.Count(), 1);
}

TEST(PairList, RemovingPairsUnderAVeryDeepCatalogNeedsNoRecursion) {
  TXMLNode library{std::string(tagDreamLibrary)};
  TXMLNode* top = AddElement(library, tagDirectory);
  TXMLNode* node = top;
  for (int i = 0; i < 200000; ++i) node = node->AddChild(std::make_unique<TXMLNode>(std::string(tagDirectory)));
  TXMLNode* entry = node->AddChild(std::make_unique<TXMLNode>(std::string(tagFile)));
  TXMLNode root{std::string(tagJournal)};
  TXMLPairList pairs;
  pairs.AddPair(entry, &root);
  pairs.RemoveFirstsIn(top);
  EXPECT_EQ(pairs.FirstOf(&root), nullptr);
}
