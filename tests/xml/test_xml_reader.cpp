// Reading: line joining, comments, declaration, prologue, tags, attributes and result codes.
#include <gtest/gtest.h>

#include "xml_test_util.h"

namespace {

TXMLResult Load(TXMLParser& p, const std::string& text) { return p.LoadFromString(text); }

TEST(XmlReader, SelfClosingChildWithTwoAttributes) {
  for (const char* tag : {"<c a=\"1\" b=\"two words\" />", "<c a=\"1\" b=\"two words\"/>"}) {
    TXMLParser p;
    ASSERT_EQ(Load(p, Doc(Lines({"<r>", tag, "</r>"}))), xrOk) << tag;
    ASSERT_EQ(p.Root->ChildCount(), 1);
    TXMLNode* c = p.Root->GetChild(0);
    EXPECT_EQ(c->Kind, nkEmpty);
    EXPECT_EQ(c->Level, 1);
    ASSERT_EQ(c->Attributes.size(), 2u);
    EXPECT_EQ(c->Attributes[0].Name, "a");
    EXPECT_EQ(c->Attributes[0].Value, "1");
    EXPECT_EQ(c->Attributes[1].Name, "b");
    EXPECT_EQ(c->Attributes[1].Value, "two words");
  }
}

TEST(XmlReader, WordOnItsOwnLineGetsOneLeadingBlank) {
  TXMLParser p;
  ASSERT_EQ(Load(p, Doc(Lines({"<r>", "  word  ", "</r>"}))), xrOk);
  ASSERT_EQ(p.Root->ChildCount(), 1);
  EXPECT_EQ(p.Root->GetChild(0)->Kind, nkText);
  EXPECT_EQ(p.Root->GetChild(0)->Text, " word");
}

TEST(XmlReader, LinesAreCollapsedAndJoined) {
  TXMLParser p;
  // A tag continued on the next line is rejoined with one blank; blank runs inside a line collapse.
  ASSERT_EQ(Load(p, Doc(Lines({"<r a=\"x   y\"", "b=\"2\">one   two", "three</r>"}))), xrOk);
  EXPECT_EQ(p.Root->GetAttribute("a"), "x y");
  EXPECT_EQ(p.Root->GetAttribute("b"), "2");
  EXPECT_EQ(p.Root->GetChild(0)->Text, "one two three");
}

TEST(XmlReader, LoneLineFeedStaysAndCtrlZEndsTheFile) {
  TXMLParser p;
  ASSERT_EQ(Load(p, Doc("<r>a\nb\rc</r>\r\n\x1Atrailing garbage")), xrOk);
  EXPECT_EQ(p.Root->GetChild(0)->Text, "a\nb\rc");
}

TEST(XmlReader, EmptyAndBlankLinesAreSkipped) {
  TXMLParser p;
  ASSERT_EQ(Load(p, Doc(Lines({"", "<r>", " \t ", "", "</r>", "", "", ""}))), xrOk);
  EXPECT_EQ(p.Root->Name, "r");
  EXPECT_EQ(p.Root->ChildCount(), 0);
}

TEST(XmlReader, AttributeValueWithBlanksAndWithGreaterThan) {
  TXMLParser p;
  ASSERT_EQ(Load(p, Doc("<r a=\"x = y / z\" />")), xrOk);
  EXPECT_EQ(p.Root->GetAttribute("a"), "x = y / z");
  ASSERT_NE(Load(p, Doc("<r a=\"1>2\" />")), xrOk);  // the value is cut at ">"
  EXPECT_NE(p.Root->GetAttribute("a"), "1>2");
}

TEST(XmlReader, CommentsDisappearEverywhere) {
  TXMLParser p;
  ASSERT_EQ(Load(p, Doc(Lines({"<!-- on its own line -->", "<r a=\"x<!-- in a value -->y\">", "<!-- spanning", "several",
                               "lines -->", "te<!-- in text -->xt<c /></r>"}))),
            xrOk);
  EXPECT_EQ(p.Root->GetAttribute("a"), "xy");
  ASSERT_EQ(p.Root->ChildCount(), 2);
  EXPECT_EQ(p.Root->GetChild(0)->Text, " text");
  EXPECT_EQ(p.Root->GetChild(1)->Name, "c");
}

TEST(XmlReader, CommentJoinedFromBothSidesOfAnotherIsRemovedToo) {
  std::string text = "a<!<!-- x -->-- y -->b";
  EXPECT_EQ(RemoveComments(text), xrOk);
  EXPECT_EQ(text, "ab");
  text = "<!--->x-->y";  // "-->" is searched after the "<!--"
  EXPECT_EQ(RemoveComments(text), xrOk);
  EXPECT_EQ(text, "y");
}

TEST(XmlReader, DeclarationMustComeFirst) {
  TXMLParser p;
  EXPECT_EQ(Load(p, "\xEF\xBB\xBF" + Doc("<r />")), xrNoDeclaration);
  EXPECT_EQ(Load(p, Lines({"hello", kDeclaration, "<r />"})), xrNoDeclaration);
  EXPECT_EQ(Load(p, Lines({"<?XML version=\"1.0\"?>", "<r />"})), xrNoDeclaration);
  EXPECT_EQ(Load(p, Lines({"<?xml version=\"1.0\"?>", "<r />"})), xrOk);
  EXPECT_EQ(Load(p, Lines({"<? xml version=\"1.0\"?>", "<r />"})), xrOk);
  EXPECT_EQ(Load(p, ""), xrNoDeclaration);
  EXPECT_EQ(Load(p, "x"), xrNoDeclaration);
}

TEST(XmlReader, DeclarationKeysAndExtraAttributes) {
  TXMLParser p;
  ASSERT_EQ(Load(p, Lines({"<?xml version=\"1.1\" encoding=\"windows-1251\" mine=\"m\" language=\"RU\" standalone=\"no\" "
                           "other=\"o\"?>",
                           "<r />"})),
            xrOk);
  EXPECT_EQ(p.Parameters->Version, "1.1");
  EXPECT_EQ(p.Parameters->Encoding, "windows-1251");
  EXPECT_EQ(p.Parameters->Language, "RU");
  EXPECT_EQ(p.Parameters->Standalone, "no");
  ASSERT_EQ(p.Parameters->ExtraAttributes.size(), 2u);
  EXPECT_EQ(p.Parameters->ExtraAttributes[0].Name, "mine");
  EXPECT_EQ(p.Parameters->ExtraAttributes[0].Value, "m");
  EXPECT_EQ(p.Parameters->ExtraAttributes[1].Name, "other");
  EXPECT_EQ(p.Parameters->ExtraAttributes[1].Value, "o");
  // A blank before "?>" leaves the token "?> ", which is ignored; missing keys keep their defaults.
  ASSERT_EQ(Load(p, Lines({"<?xml encoding=\"cp1251\" ?>", "<r />"})), xrOk);
  EXPECT_EQ(p.Parameters->Encoding, "cp1251");
  EXPECT_EQ(p.Parameters->Version, "1.0");
  EXPECT_TRUE(p.Parameters->ExtraAttributes.empty());
}

TEST(XmlReader, RepeatedDeclarationKeyKeepsFirstValue) {
  TXMLParser p;
  EXPECT_EQ(Load(p, Lines({"<?xml version=\"1.0\" version=\"2.0\"?>", "<r />"})), xrRepeatedOrTrailing);
  EXPECT_EQ(p.Parameters->Version, "1.0");
}

TEST(XmlReader, OneInstructionOrOneDocTypeAfterTheDeclaration) {
  TXMLParser p;
  ASSERT_EQ(Load(p, Doc(Lines({"<!DOCTYPE vel_mora SYSTEM \"../vel_mora.dtd\">", "<velmora></velmora>"}))), xrOk);
  EXPECT_EQ(p.Parameters->DocType.Text, "<!DOCTYPE vel_mora SYSTEM \"../vel_mora.dtd\">");
  EXPECT_EQ(p.Root->Name, "velmora");
  ASSERT_EQ(Load(p, Doc(Lines({"<?stylesheet link=\"a.css\"?>", "<r />"}))), xrOk);
  EXPECT_EQ(p.Root->Name, "r");
  EXPECT_EQ(p.Parameters->StyleSheet, "");  // the instruction is dropped
  // Both together: the second is read as the root element and fails.
  EXPECT_NE(Load(p, Doc(Lines({"<?stylesheet link=\"a.css\"?>", "<!DOCTYPE x>", "<r />"}))), xrOk);
}

TEST(XmlReader, TextAfterTheRootElement) {
  TXMLParser p;
  EXPECT_EQ(Load(p, Doc(Lines({"<r>", "</r>", "tail"}))), xrRepeatedOrTrailing);
  EXPECT_EQ(Load(p, Doc(Lines({"<r />", "<r />"}))), xrRepeatedOrTrailing);
  EXPECT_EQ(p.Root->Name, "r");
}

TEST(XmlReader, EmptyStartTagNameAndStrayEndTag) {
  TXMLParser p;
  EXPECT_EQ(Load(p, Doc("< r></r>")), xrBadTag);
  EXPECT_EQ(Load(p, Doc("<r><></r>")), xrBadTag);
  EXPECT_EQ(Load(p, Doc(Lines({"<r>", "<a>", "</b>", "</a>", "</r>"}))), xrBadTag);
  // The nodes read before the failure stay, the failing child included.
  ASSERT_EQ(p.Root->ChildCount(), 1);
  TXMLNode* a = p.Root->GetChild(0);
  EXPECT_EQ(a->Name, "a");
  ASSERT_EQ(a->ChildCount(), 1);
  EXPECT_EQ(a->GetChild(0)->Name, "");
}

TEST(XmlReader, EndTagMustMatchLetterCase) {
  TXMLParser p;
  EXPECT_EQ(Load(p, Doc("<Energy></energy>")), xrBadTag);
  EXPECT_EQ(Load(p, Doc("<energy></energy >")), xrBadTag);  // nothing but the name inside
}

TEST(XmlReader, EntityReferencesAreNotDecoded) {
  TXMLParser p;
  ASSERT_EQ(Load(p, Doc("<r a=\"&amp;\">x&lt;y</r>")), xrOk);
  EXPECT_EQ(p.Root->GetChild(0)->Text, "x&lt;y");
  EXPECT_EQ(p.Root->GetAttribute("a"), "&amp;");
}

TEST(XmlReader, TrailingEmptyLinesDoNotMatter) {
  TXMLParser a, b;
  ASSERT_EQ(Load(a, Doc(Lines({"<r>", "<c x=\"1\" />", "</r>"}))), xrOk);
  ASSERT_EQ(Load(b, Doc(Lines({"<r>", "<c x=\"1\" />", "</r>", "", "", ""}))), xrOk);
  EXPECT_EQ(a.SaveToString(), b.SaveToString());
}

TEST(XmlReader, NamesEndOnlyAtBlankSlashOrGreaterThan) {
  TXMLParser p;
  ASSERT_EQ(Load(p, Doc("<a:b.c-d?e!><x=y/></a:b.c-d?e!>")), xrOk);
  EXPECT_EQ(p.Root->Name, "a:b.c-d?e!");
  EXPECT_EQ(p.Root->GetChild(0)->Name, "x=y");
  EXPECT_EQ(p.Root->GetChild(0)->Kind, nkEmpty);
}

TEST(XmlReader, AttributeTokenizerCountsQuotes) {
  TXMLParser p;
  // Exactly one byte separates attributes, whatever it is.
  ASSERT_EQ(Load(p, Doc("<r a=\"1\"b=\"2\"/>")), xrOk);
  ASSERT_EQ(p.Root->Attributes.size(), 2u);
  EXPECT_EQ(p.Root->Attributes[0].Name, "a");
  EXPECT_EQ(p.Root->Attributes[1].Name, "");  // "b" was taken as the separator
  EXPECT_EQ(p.Root->Attributes[1].Value, "2");
  EXPECT_EQ(p.Root->Kind, nkEmpty);
  // A repeated attribute is kept twice, in order.
  ASSERT_EQ(Load(p, Doc("<r a=\"1\" a=\"2\"></r>")), xrOk);
  ASSERT_EQ(p.Root->Attributes.size(), 2u);
  EXPECT_EQ(p.Root->GetAttribute("a"), "1");
}

TEST(XmlReader, OpenCasesEndWithNonZeroStatus) {
  const std::pair<std::string, TXMLResult> cases[] = {
      {"<?xml version=\"1.0\"", xrTruncated},                   // declaration without "?>"
      {Doc("<r><!-- open"), xrTruncated},                        // comment without "-->"
      {Doc("<r"), xrTruncated},                                  // start tag name runs to the end
      {Doc("<r a=\"1\""), xrTruncated},                          // attribute part runs to the end
      {Doc("<r/"), xrTruncated},
      {Doc("<r a></r>"), xrMalformedAttribute},                  // token without "="
      {kDeclaration, xrNoRoot},                                  // nothing after the prologue
      {Doc("<!DOCTYPE x>"), xrNoRoot},
      {Doc("<!DOCTYPE x"), xrTruncated},
      {Doc("<?pi x"), xrTruncated},
      {Doc(Lines({"<r>", "<a>", "text"})), xrTruncated},       // end tag never comes
      {Doc("<r><"), xrTruncated},
      {"<?xml a?>\r\n<r />", xrMalformedAttribute},
      // the removed comment leaves two blanks, so an empty token, which has no "=" either
      {"<?xml version=\"1.0\" <!-- c --> encoding=\"x\"?>\r\n<r />", xrMalformedAttribute},
  };
  for (const auto& [text, code] : cases) {
    TXMLParser p;
    EXPECT_EQ(p.LoadFromString(text), code) << text;
    EXPECT_EQ(p.Status, code);
  }
}

TEST(XmlReader, TruncatedFileKeepsWhatWasRead) {
  TXMLParser p;
  ASSERT_EQ(p.LoadFromString(Doc(Lines({"<velmora>", "<day name=\"1\">", "<experience number=\"001\">",
                                        "<description>text</description>"}))),
            xrTruncated);
  TXMLNode* experience = p.FindNode("experience");
  ASSERT_NE(experience, nullptr);
  ASSERT_EQ(experience->ChildCount(), 1);  // nothing empty is added where the text ended
  EXPECT_EQ(experience->GetChild(0)->GetChild(0)->Text, "text");
  EXPECT_EQ(p.Root->ChildCount(), 1);
  EXPECT_EQ(p.Root->GetChild(0)->ChildCount(), 1);
}

TEST(XmlReader, LoadReplacesPreviousContent) {
  TXMLParser p;
  ASSERT_EQ(Load(p, Doc(Lines({"<!DOCTYPE x>", "<r a=\"1\"><c /></r>"}))), xrOk);
  ASSERT_EQ(Load(p, Doc("<s></s>")), xrOk);
  EXPECT_EQ(p.Root->Name, "s");
  EXPECT_EQ(p.Root->ChildCount(), 0);
  EXPECT_TRUE(p.Root->Attributes.empty());
  EXPECT_EQ(p.Parameters->DocType.Text, "");
}

TEST(XmlReader, LevelsFollowDepth) {
  TXMLParser p;
  ASSERT_EQ(Load(p, Doc("<r><a><b>t</b></a></r>")), xrOk);
  TXMLNode* b = p.FindNode("b");
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(p.FindNode("r"), p.Root.get());
  EXPECT_EQ(p.FindNode("a")->Level, 1);
  EXPECT_EQ(b->Level, 2);
  EXPECT_EQ(b->GetChild(0)->Level, 3);
}

}  // namespace
