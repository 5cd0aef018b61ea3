// The element tree: attributes, searching, children, levels and destruction.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "xml_node.h"
#include "xml_test_util.h"

// Counts live heap blocks of this test program, to see that a destroyed tree gives all back.
namespace {
std::atomic<long> gLive{0};
long LiveAllocations() { return gLive.load(); }
}  // namespace

void* operator new(std::size_t size) {
  void* p = std::malloc(size ? size : 1);
  if (!p) throw std::bad_alloc();
  ++gLive;
  return p;
}
// Not inlined, so that the compiler does not pair a new-expression with free() in its checks.
[[gnu::noinline]] static void Release(void* p) noexcept {
  if (p) --gLive;
  std::free(p);
}
[[gnu::noinline]] void operator delete(void* p) noexcept { Release(p); }
[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept { Release(p); }

namespace {

TXMLNode* Add(TXMLNode& parent, const std::string& name, TXMLNodeKind kind = nkElement) {
  return parent.AddChild(std::make_unique<TXMLNode>(name, kind));
}

TEST(XmlNode, NewNodeDefaults) {
  TXMLNode n;
  EXPECT_EQ(n.Name, "");
  EXPECT_EQ(n.Text, "");
  EXPECT_EQ(n.Level, 0);
  EXPECT_EQ(n.Kind, nkElement);
  EXPECT_EQ(n.ChildCount(), 0);
  EXPECT_TRUE(n.Attributes.empty());
}

TEST(XmlNode, AbsentAttributeReadsUndefined) {
  TXMLNode n;
  EXPECT_EQ(n.GetAttribute("a"), "undefined");
  n.SetAttribute("a", "undefined");
  EXPECT_EQ(n.GetAttribute("a"), n.GetAttribute("missing"));  // cannot be told apart
}

TEST(XmlNode, SetAttributeKeepsPositionOfExistingName) {
  TXMLNode n;
  n.SetAttribute("a", "1");
  n.SetAttribute("b", "2");
  n.SetAttribute("a", "3");
  ASSERT_EQ(n.Attributes.size(), 2u);
  EXPECT_EQ(n.Attributes[0].Name, "a");
  EXPECT_EQ(n.Attributes[0].Value, "3");
  EXPECT_EQ(n.Attributes[1].Name, "b");
  EXPECT_EQ(n.Attributes[1].Value, "2");
}

TEST(XmlNode, RepeatedAttributeNamesActOnTheFirstOnly) {
  TXMLNode n;
  n.Attributes.emplace_back("x", "first");
  n.Attributes.emplace_back("x", "second");
  EXPECT_EQ(n.GetAttribute("x"), "first");
  n.SetAttribute("x", "changed");
  EXPECT_EQ(n.Attributes[0].Value, "changed");
  EXPECT_EQ(n.Attributes[1].Value, "second");
  n.RemoveAttribute("x");
  ASSERT_EQ(n.Attributes.size(), 1u);
  EXPECT_EQ(n.Attributes[0].Value, "second");
  n.RemoveAttribute("x");
  n.RemoveAttribute("x");  // absent: nothing happens
  EXPECT_TRUE(n.Attributes.empty());
}

TEST(XmlNode, FindNodeTakesLastDirectChild) {
  TXMLNode root;
  TXMLNode* first = Add(root, "x");
  Add(*first, "x");  // a deeper x must not win over a direct child
  Add(root, "y");
  TXMLNode* third = Add(root, "x");
  EXPECT_EQ(root.FindNode("x"), third);
}

TEST(XmlNode, FindNodeSearchesSubtreesButNeverTheNodeItself) {
  TXMLNode root("x");
  TXMLNode* a = Add(root, "a");
  Add(root, "b");
  TXMLNode* grandchild = Add(*a, "x");
  EXPECT_EQ(root.FindNode("x"), grandchild);
  TXMLNode lonely("x");
  EXPECT_EQ(lonely.FindNode("x"), nullptr);
}

TEST(XmlNode, FindNodeOrderAcrossSubtrees) {
  // Child order decides between subtrees: the first child's subtree is searched completely first.
  TXMLNode root;
  TXMLNode* a = Add(root, "a");
  TXMLNode* b = Add(root, "b");
  TXMLNode* deepInA = Add(*Add(*a, "a1"), "x");
  Add(*b, "x");
  EXPECT_EQ(root.FindNode("x"), deepInA);
}

TEST(XmlNode, NameComparisonIsCaseSensitive) {
  TXMLNode root;
  Add(root, "energy");
  EXPECT_EQ(root.FindNode("Energy"), nullptr);
  root.SetAttribute("level", "1");
  EXPECT_EQ(root.GetAttribute("Level"), "undefined");
}

TEST(XmlNode, ChildAccessByIndexAndIdentity) {
  TXMLNode root;
  TXMLNode* a = Add(root, "a");
  TXMLNode* b = Add(root, "b");
  EXPECT_EQ(root.ChildCount(), 2);
  EXPECT_EQ(root.GetChild(0), a);
  EXPECT_EQ(root.GetChild(1), b);
  EXPECT_EQ(root.GetChild(2), nullptr);
  EXPECT_EQ(root.GetChild(-1), nullptr);
  EXPECT_EQ(root.IndexOfChild(b), 1);
  TXMLNode stranger("a");
  EXPECT_EQ(root.IndexOfChild(&stranger), -1);
  EXPECT_EQ(root.AddChild(std::unique_ptr<TXMLNode>()), nullptr);
  EXPECT_EQ(root.ChildCount(), 2);
}

TEST(XmlNode, AddChildKeepsLevelAndSetLevelRenumbers) {
  TXMLNode root;
  TXMLNode* child = Add(root, "c");
  TXMLNode* grandchild = Add(*child, "g");
  TXMLNode* text = Add(*grandchild, "", nkText);
  EXPECT_EQ(child->Level, 0);
  root.SetLevel(3);
  EXPECT_EQ(root.Level, 3);
  EXPECT_EQ(child->Level, 4);
  EXPECT_EQ(grandchild->Level, 5);
  EXPECT_EQ(text->Level, 6);
}

TEST(XmlNode, DeleteChildRemovesAndIgnoresBadIndexes) {
  TXMLNode root;
  Add(root, "a");
  TXMLNode* b = Add(root, "b");
  root.DeleteChild(2);
  root.DeleteChild(-1);
  EXPECT_EQ(root.ChildCount(), 2);
  root.GetChild(0)->AddChild(std::make_unique<TXMLNode>("a1"))->AddChild(std::make_unique<TXMLNode>("", nkText));
  const std::ptrdiff_t nodesBefore = TXMLNode::LiveNodes();
  root.DeleteChild(0);
  EXPECT_EQ(TXMLNode::LiveNodes(), nodesBefore - 3);  // the child with its subtree
  ASSERT_EQ(root.ChildCount(), 1);
  EXPECT_EQ(root.GetChild(0), b);
}

TEST(XmlNode, DestroyingRootFreesTheWholeTree) {
  {
    // Have whatever the first allocations set up in place before counting.
    std::vector<std::unique_ptr<TXMLNode>> warm(16);
    for (auto& n : warm) n = std::make_unique<TXMLNode>();
    warm[0]->SetAttribute("k", "v");
    Add(*warm[0], "c");
  }
  const long before = LiveAllocations();
  const std::ptrdiff_t nodesBefore = TXMLNode::LiveNodes();
  {
    auto root = std::make_unique<TXMLNode>("r");
    TXMLNode* a = Add(*root, "a");
    a->SetAttribute("k", "a value long enough to live on the heap");
    Add(*a, "", nkText)->Text = "text of a text child, long enough to be allocated";
    TXMLNode* b = Add(*a, "b");
    b->SetAttribute("k", "another value long enough to live on the heap");
    Add(*b, "", nkText)->Text = "another text child that needs heap memory";
    EXPECT_GT(LiveAllocations(), before + 3);
    EXPECT_EQ(TXMLNode::LiveNodes(), nodesBefore + 5);
  }
  EXPECT_EQ(LiveAllocations(), before);
  EXPECT_EQ(TXMLNode::LiveNodes(), nodesBefore);
}

// Growing and shrinking lists, copying and moving them between nodes and freeing them keeps every entry.
TEST(XmlNode, ListsKeepTheirEntriesWhenGrownCopiedMovedAndShrunk) {
  std::vector<std::unique_ptr<TXMLNode>> nodes;
  for (int k = 0; k < 3; ++k) {
    auto n = std::make_unique<TXMLNode>("n");
    for (int i = 0; i < 40; ++i) n->SetAttribute("a" + std::to_string(i), std::string(20, static_cast<char>('a' + i % 26)));
    for (int i = 0; i < 300; ++i) Add(*n, "c" + std::to_string(i));
    nodes.push_back(std::move(n));
  }
  nodes[1]->Attributes = nodes[0]->Attributes;  // a copy: its own memory
  nodes[2]->Children = std::move(nodes[0]->Children);
  nodes[0].reset();
  for (int i = 39; i >= 1; --i) nodes[1]->RemoveAttribute("a" + std::to_string(i));
  nodes[1]->Attributes.shrink_to_fit();
  ASSERT_EQ(nodes[1]->Attributes.size(), 1u);
  EXPECT_EQ(nodes[1]->GetAttribute("a0"), std::string(20, 'a'));
  EXPECT_EQ(nodes[2]->GetAttribute("a25"), std::string(20, 'z'));
  for (int i = 299; i >= 2; --i) nodes[2]->DeleteChild(i);
  nodes[2]->Children.shrink_to_fit();
  ASSERT_EQ(nodes[2]->ChildCount(), 2);
  EXPECT_EQ(nodes[2]->GetChild(1)->Name, "c1");
  EXPECT_EQ(nodes[1]->ChildCount(), 300);
  EXPECT_EQ(nodes[1]->GetChild(299)->Name, "c299");
}

TEST(XmlNode, VeryDeepTreeIsRenumberedSearchedAndDestroyed) {
  const std::ptrdiff_t nodesBefore = TXMLNode::LiveNodes();
  auto root = std::make_unique<TXMLNode>("r");
  TXMLNode* n = root.get();
  for (int i = 0; i < 200000; ++i) n = n->AddChild(std::make_unique<TXMLNode>("d"));
  n->AddChild(std::make_unique<TXMLNode>("bottom"));
  root->SetLevel(0);
  EXPECT_EQ(n->Level, 200000);
  EXPECT_EQ(root->FindNode("bottom")->Level, 200001);
  root.reset();  // must not overflow the stack
  EXPECT_EQ(TXMLNode::LiveNodes(), nodesBefore);
}

// A loaded tree's strings live in the document's memory; what is copied or moved out of the tree
// owns its bytes and stays valid after the document is gone.
TEST(XmlNode, StringsTakenOutOfALoadedTreeOutliveTheDocument) {
  auto doc = std::make_unique<TXMLParser>();
  ASSERT_EQ(doc->LoadFromString(Doc("<r a=\"value\">some text</r>")), xrOk);
  TXMLString name = doc->Root->Name;
  TXMLString text = std::move(doc->Root->GetChild(0)->Text);
  TXMLAttribute attribute = doc->Root->Attributes[0];
  const std::string& value = doc->Root->GetAttribute("a");
  doc->Root->Name = std::string("renamed");
  EXPECT_EQ(doc->Root->Name, "renamed");
  doc->Root->Name = doc->Root->Name.view().substr(2);  // a part of the string's own bytes
  EXPECT_EQ(doc->Root->Name, "named");
  doc.reset();
  EXPECT_EQ(name, "r");
  EXPECT_EQ(text, "some text");
  EXPECT_EQ(attribute.Name, "a");
  EXPECT_EQ(attribute.Value, "value");
  EXPECT_EQ(value, "value");
}

// Strings of up to seven bytes are kept in the string itself, longer ones elsewhere: names, values
// and text of every length around that boundary (and a value far longer than a tag usually is)
// read, copy, move and assign alike, and outlive their document.
TEST(XmlNode, StringsOfEveryLengthReadCopyAndMoveAlike) {
  auto letters = [](std::size_t n, int from) {  // Cyrillic letters, each byte different from the next
    std::string s;
    for (std::size_t i = 0; i < n; ++i) s += static_cast<char>(0xC0 + (from + i) % 64);
    return s;
  };
  for (std::size_t n : {1, 2, 3, 4, 6, 7, 8, 9, 70000}) {
    const std::string name = letters(n, 0), value = letters(n, 7), text = letters(n - 1, 3) + '\0';
    auto doc = std::make_unique<TXMLParser>();
    ASSERT_EQ(doc->LoadFromString(Doc("<r " + name + "=\"" + value + "\" k=\"" + value + "\">" + text + "</r>")), xrOk) << n;
    const TXMLNode& root = *doc->Root;
    ASSERT_EQ(root.Attributes.size(), 2u);
    EXPECT_EQ(root.Attributes[0].Name, name) << n;
    EXPECT_EQ(root.Attributes[0].Value, value) << n;
    EXPECT_EQ(root.Attributes[1].Value, value) << n;
    ASSERT_EQ(root.ChildCount(), 1);
    EXPECT_EQ(root.GetChild(0)->Text, text) << n;
    TXMLString copied = root.Attributes[0].Value;
    TXMLString moved = std::move(doc->Root->GetChild(0)->Text);
    TXMLString assigned;
    assigned = std::string_view(value).substr(1);
    assigned = assigned.view();  // from its own bytes
    doc.reset();
    EXPECT_EQ(copied, value) << n;
    EXPECT_EQ(moved, text) << n;
    EXPECT_EQ(assigned, value.substr(1)) << n;
  }
}

// A loaded tree lives in its document's memory; changed (nodes added and deleted, strings and
// lists grown), it still gives back everything when its document goes, and so does one unchanged.
TEST(XmlNode, LoadedTreeChangedOrNotIsFreedWithItsDocument) {
  const std::string text = Doc(Lines({"<r a=\"1\">", "<d n=\"x\">words</d>", "<d n=\"y\" />", "</r>"}));
  {
    TXMLParser warm;  // the first load sets up what the test program keeps anyway
    ASSERT_EQ(warm.LoadFromString(text), xrOk);
  }
  const long before = LiveAllocations();
  const std::ptrdiff_t nodesBefore = TXMLNode::LiveNodes();
  for (bool change : {false, true}) {
    auto doc = std::make_unique<TXMLParser>();
    ASSERT_EQ(doc->LoadFromString(text), xrOk);
    EXPECT_EQ(TXMLNode::LiveNodes(), nodesBefore + 4);  // the root and three read into the arena
    if (change) {
      TXMLNode* d = doc->Root->GetChild(0);
      d->SetAttribute("m", "a value long enough to live on the heap");
      d->GetChild(0)->Text = std::string("other words, long enough to live on the heap");
      d->AddChild(std::make_unique<TXMLNode>("added"))->SetLevel(2);
      doc->Root->DeleteChild(1);
      doc->Root->AddChild(std::make_unique<TXMLNode>("last"));
      TXMLParser back;
      ASSERT_EQ(back.LoadFromString(doc->SaveToString()), xrOk);
      EXPECT_EQ(back.Root->GetChild(0)->GetAttribute("m"), "a value long enough to live on the heap");
      EXPECT_EQ(back.Root->GetChild(0)->ChildCount(), 2);
      EXPECT_EQ(back.Root->GetChild(1)->Name, "last");
    }
    doc.reset();
    EXPECT_EQ(LiveAllocations(), before) << "changed: " << change;
    EXPECT_EQ(TXMLNode::LiveNodes(), nodesBefore) << "changed: " << change;
  }
}

}  // namespace
