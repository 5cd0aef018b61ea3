// Writing: exact lines, indentation and the declaration, and reading the result back.
#include <gtest/gtest.h>

#include <memory>

#include "xml_test_util.h"
#include "xml_textFile.h"

namespace {

TXMLNode* AddElement(TXMLNode& parent, const std::string& name, TXMLNodeKind kind = nkElement) {
  TXMLNode* n = parent.AddChild(std::make_unique<TXMLNode>(name, kind));
  n->SetLevel(parent.Level + 1);
  return n;
}

TXMLNode* AddText(TXMLNode& parent, const std::string& text) {
  TXMLNode* n = parent.AddChild(std::make_unique<TXMLNode>("", nkText));
  n->Text = text;
  return n;
}

TEST(XmlWriter, WorkedExampleIsSixLines) {
  TXMLParser p;
  p.Root->Name = "dreamlibrary";
  AddElement(*p.Root, "options", nkEmpty)->SetAttribute("confirmdelete", "yes");
  EXPECT_EQ(p.SaveToString(), Lines({kDeclaration, "", "", "<dreamlibrary>", "  <options confirmdelete=\"yes\" />",
                                     "</dreamlibrary>"}));
}

TEST(XmlWriter, NewJournalIsFiveLines) {
  TXMLParser p;
  p.Parameters->DocType.Text = "<!DOCTYPE vel_mora SYSTEM \"../vel_mora.dtd\">";
  p.Root->Name = "velmora";
  const std::string text = p.SaveToString();
  EXPECT_EQ(text, Lines({kDeclaration, "<!DOCTYPE vel_mora SYSTEM \"../vel_mora.dtd\">", "", "<velmora>", "</velmora>"}));
  TXMLParser back;
  ASSERT_EQ(back.LoadFromString(text), xrOk);
  EXPECT_EQ(back.Parameters->DocType.Text, p.Parameters->DocType.Text);
  EXPECT_EQ(back.Root->Name, "velmora");
  EXPECT_EQ(back.Root->ChildCount(), 0);
}

// A comment removed from inside the document type line can leave CR LF in it; written as it
// stands, the line would split in two and read back as another line.
TEST(XmlWriter, DocTypeLineGetsTheWritersReplacements) {
  TXMLParser p;
  ASSERT_EQ(p.LoadFromString("<?xml ?><!\r<!---->\n><r/>"), xrOk);
  ASSERT_EQ(p.Parameters->DocType.Text, "<!\r\n>");
  const std::string saved = p.SaveToString();
  TXMLParser back;
  ASSERT_EQ(back.LoadFromString(saved), xrOk);
  EXPECT_EQ(back.Parameters->DocType.Text, "<! >");
  EXPECT_EQ(back.SaveToString(), saved);
  p.Parameters->DocType.Text = "<!x<!--y>z>";  // would open a comment, and end at the first ">"
  ASSERT_EQ(back.LoadFromString(p.SaveToString()), xrOk);
  EXPECT_EQ(back.Parameters->DocType.Text, "<!x\x8B!--y\x9Bz>");
}

TEST(XmlWriter, RootWithoutNameDoesNotReadBack) {
  TXMLParser p;
  const std::string text = p.SaveToString();
  EXPECT_EQ(text, Lines({kDeclaration, "", "", "<>", "</>"}));
  TXMLParser back;
  EXPECT_EQ(back.LoadFromString(text), xrBadTag);
}

TEST(XmlWriter, ShapesOfElements) {
  TXMLParser p;
  p.Root->Name = "r";
  AddText(*AddElement(*p.Root, "one"), "  some   text  ");
  AddElement(*p.Root, "none");
  TXMLNode* nested = AddElement(*p.Root, "nested");
  AddElement(*nested, "leaf", nkEmpty)->SetAttribute("a", "1");
  AddText(*AddElement(*p.Root, "blank"), "   ");
  TXMLNode* empty = AddElement(*p.Root, "empty", nkEmpty);
  AddText(*empty, "never written");
  AddElement(*empty, "neither");
  TXMLNode* mixed = AddElement(*p.Root, "mixed");
  AddText(*mixed, "before");
  AddElement(*mixed, "c", nkEmpty);
  AddText(*mixed, "after");
  EXPECT_EQ(p.SaveToString(), Lines({kDeclaration, "", "", "<r>", "  <one>some text</one>", "  <none>", "  </none>",
                                     "  <nested>", "    <leaf a=\"1\" />", "  </nested>", "  <blank></blank>",
                                     "  <empty />", "  <mixed>", "before    <c />", "after  </mixed>", "</r>"}));
  TXMLParser back;
  ASSERT_EQ(back.LoadFromString(p.SaveToString()), xrOk);
  EXPECT_EQ(back.FindNode("one")->GetChild(0)->Text, "some text");
  EXPECT_EQ(back.FindNode("blank")->ChildCount(), 0);
  EXPECT_EQ(back.FindNode("empty")->ChildCount(), 0);
  EXPECT_EQ(back.FindNode("empty")->Kind, nkEmpty);
}

TEST(XmlWriter, DeclarationPiecesExtraAttributesAndStyleSheet) {
  TXMLParser p;
  ASSERT_EQ(p.LoadFromString(Lines({"<?xml version=\"1.1\" b=\"2\" a=\"1\"?>", "<?pi dropped?>", "<r />"})), xrOk);
  EXPECT_EQ(p.SaveToString(), Lines({"<?xml version=\"1.1\" encoding=\"UTF-8\" language=\"EN\" standalone=\"yes\" "
                                     "b=\"2\" a=\"1\"?>",
                                     "", "", "<r />"}));
  p.Parameters->StyleSheet = "style.css";
  p.Parameters->DocType.Text = "<!DOCTYPE r>";
  const std::string text = p.SaveToString();
  EXPECT_EQ(text, Lines({"<?xml version=\"1.1\" encoding=\"UTF-8\" language=\"EN\" standalone=\"yes\" b=\"2\" a=\"1\"?>",
                         "<?stylesheet link=\"style.css\"?>", "<!DOCTYPE r>", "", "<r />"}));
  TXMLParser back;
  EXPECT_NE(back.LoadFromString(text), xrOk);  // only one of the two is accepted
}

TEST(XmlWriter, AttributeOrderIsListOrder) {
  TXMLParser p;
  p.Root->Name = "r";
  p.Root->Kind = nkEmpty;
  p.Root->SetAttribute("a", "1");
  p.Root->SetAttribute("b", "2");
  p.Root->SetAttribute("a", "3");
  EXPECT_EQ(p.SaveToString(), Lines({kDeclaration, "", "", "<r a=\"3\" b=\"2\" />"}));
}

TEST(XmlWriter, IndentationFollowsLevelNotDepth) {
  TXMLParser p;
  p.Root->Name = "r";
  p.Root->AddChild(std::make_unique<TXMLNode>("unset", nkEmpty));  // no SetLevel: Level 0
  AddElement(*p.Root, "set", nkEmpty)->Level = 3;
  EXPECT_EQ(p.SaveToString(), Lines({kDeclaration, "", "", "<r>", "<unset />", "      <set />", "</r>"}));
}

TEST(XmlWriter, IndentationStopsGrowingAtTheCap) {
  TXMLNode n("deep", nkEmpty);
  n.Level = kMaxIndentLevel + 5;
  TXMLTextFile file;
  n.WriteTo(file);
  EXPECT_EQ(file.Buffer, std::string(2 * kMaxIndentLevel, ' ') + "<deep />\r\n");
}

}  // namespace
