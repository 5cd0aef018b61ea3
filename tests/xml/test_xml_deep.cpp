// A document nested 100,000 elements deep loads, saves, reloads and is destroyed without recursion.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "vlm_TempFolder.h"
#include "xml_test_util.h"

namespace {

constexpr int kDepth = 100000;

TEST(XmlDeep, HundredThousandLevels) {
  std::string text = Doc("");
  for (int i = 0; i < kDepth; ++i) text += "<d>";
  text += "bottom";
  for (int i = 0; i < kDepth; ++i) text += "</d>";
  const TTempFolder folder("velmora-deep");
  const auto path = folder.Path / "deep.xml";
  std::ofstream(path, std::ios::binary) << text;

  auto p = std::make_unique<TXMLParser>();
  p->LoadFromFile(path.string());
  ASSERT_EQ(p->Status, xrOk);
  const TXMLNode* n = p->Root.get();
  int depth = 0;
  while (n->ChildCount() == 1 && n->GetChild(0)->Kind == nkElement) {
    n = n->GetChild(0);
    ++depth;
  }
  EXPECT_EQ(depth, kDepth - 1);
  EXPECT_EQ(n->Level, kDepth - 1);
  ASSERT_EQ(n->ChildCount(), 1);
  EXPECT_EQ(n->GetChild(0)->Text, "bottom");
  ASSERT_EQ(p->FindNode("missing"), nullptr);

  p->SaveToFile(path.string());
  auto back = std::make_unique<TXMLParser>();
  back->LoadFromFile(path.string());
  EXPECT_EQ(back->Status, xrOk);
  EXPECT_EQ(back->SaveToString(), p->SaveToString());
  p.reset();
  back.reset();
}

}  // namespace
