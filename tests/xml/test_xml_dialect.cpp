// Bytes the dialect cannot carry are replaced when written; every other byte survives a round trip.
#include <gtest/gtest.h>

#include <memory>

#include "xml_test_util.h"

namespace {

// The substitutions documented in the README, written out independently of the library.
char ExpectedNameByte(unsigned char b, bool first) {
  if (b <= 0x20 || b == '/' || b == '>' || b == '<' || b == '"' || b == '=') return '_';
  if (first && (b == '!' || b == '?')) return '_';
  return static_cast<char>(b);
}
char ExpectedValueByte(unsigned char b) {
  switch (b) {
    case '"': return '\x94';
    case '>': return '\x9B';
    case '<': return '\x8B';
    case '\r': case '\n': case 26: return ' ';
    default: return static_cast<char>(b);
  }
}
char ExpectedTextByte(unsigned char b) {
  if (b == '<') return '\x8B';
  if (b == 26) return ' ';
  return static_cast<char>(b);
}

struct Sample {
  std::string rootName, elementName, attributeName, value, text;
};

// A root holding an empty element with one attribute and an element with one text child.
std::unique_ptr<TXMLParser> Build(const Sample& s) {
  auto p = std::make_unique<TXMLParser>();
  p->Root->Name = s.rootName;
  TXMLNode* e = p->Root->AddChild(std::make_unique<TXMLNode>(s.elementName, nkEmpty));
  e->SetLevel(1);
  e->SetAttribute(s.attributeName, s.value);
  TXMLNode* t = p->Root->AddChild(std::make_unique<TXMLNode>("t"));
  t->SetLevel(1);
  t->AddChild(std::make_unique<TXMLNode>("", nkText))->Text = s.text;
  return p;
}

Sample Reload(const Sample& s, TXMLResult& status) {
  TXMLParser back;
  status = back.LoadFromString(Build(s)->SaveToString());
  Sample r;
  r.rootName = back.Root->Name;
  if (TXMLNode* e = back.Root->GetChild(0); e && !e->Attributes.empty()) {
    r.elementName = e->Name;
    r.attributeName = e->Attributes[0].Name;
    r.value = e->Attributes[0].Value;
  }
  if (TXMLNode* t = back.Root->GetChild(1); t && t->ChildCount() == 1) r.text = t->GetChild(0)->Text;
  return r;
}

TEST(XmlDialect, EveryByteInEveryPlace) {
  for (int i = 1; i < 256; ++i) {
    const unsigned char b = static_cast<unsigned char>(i);
    const std::string c(1, static_cast<char>(b));
    // In the middle of each string, and at the front of the names.
    Sample s{c + "r", "e" + c + "e", c + "a", "v" + c + "v", "t" + c + "t"};
    TXMLResult status;
    Sample r = Reload(s, status);
    ASSERT_EQ(status, xrOk) << "byte " << i;
    EXPECT_EQ(r.rootName, std::string(1, ExpectedNameByte(b, true)) + "r") << "byte " << i;
    EXPECT_EQ(r.elementName, "e" + std::string(1, ExpectedNameByte(b, false)) + "e") << "byte " << i;
    EXPECT_EQ(r.attributeName, std::string(1, ExpectedNameByte(b, true)) + "a") << "byte " << i;
    EXPECT_EQ(r.value, "v" + std::string(1, ExpectedValueByte(b)) + "v") << "byte " << i;
    EXPECT_EQ(r.text, "t" + std::string(1, ExpectedTextByte(b)) + "t") << "byte " << i;
  }
}

TEST(XmlDialect, AllBytesTogether) {
  std::string all;
  for (int i = 1; i < 256; ++i) all += static_cast<char>(i);
  std::string value, text;
  for (unsigned char b : all) value += ExpectedValueByte(b);
  // Text is trimmed of bytes up to 32 at both ends; nothing else collapses, as no two blanks meet.
  for (unsigned char b : all.substr(0x20)) text += ExpectedTextByte(b);  // from byte 0x21 on
  TXMLResult status;
  Sample r = Reload({"r", "e", "a", all, all}, status);
  ASSERT_EQ(status, xrOk);
  // In a value, the bytes up to 31 stay (a line is trimmed only at its ends); CR, LF and 26 become
  // blanks, and the blank run formed by 26, 27.. does not occur, so nothing collapses.
  EXPECT_EQ(r.value, value);
  EXPECT_EQ(r.text, text);
}

TEST(XmlDialect, DocumentedReaderEffects) {
  TXMLResult status;
  // Blank runs collapse inside a line, text is trimmed, CR LF in text becomes one blank.
  Sample r = Reload({"r", "e", "a", " x   y ", "  one \r\n two\r\n\r\nthree  "}, status);
  ASSERT_EQ(status, xrOk);
  EXPECT_EQ(r.value, " x y ");
  EXPECT_EQ(r.text, "one two three");
  // A value with CR LF gets two blanks, which then collapse.
  r = Reload({"r", "e", "a", "a\r\nb", "<!-- not a comment -->"}, status);
  ASSERT_EQ(status, xrOk);
  EXPECT_EQ(r.value, "a b");
  EXPECT_EQ(r.text, "\x8B!-- not a comment -->");
  // Names that would form a comment, a DOCTYPE or an instruction.
  r = Reload({"!--r", "!--e", "a", "<!--v-->", "t"}, status);
  ASSERT_EQ(status, xrOk);
  EXPECT_EQ(r.rootName, "_--r");
  EXPECT_EQ(r.elementName, "_--e");
  EXPECT_EQ(r.value, "\x8B!--v--\x9B");
}

TEST(XmlDialect, SafeFunctionsMatchTheWriter) {
  EXPECT_EQ(SafeName("a b/c>d<e\"f=g\x1Ah"), "a_b_c_d_e_f_g_h");
  EXPECT_EQ(SafeName("?x!y"), "_x!y");
  EXPECT_EQ(SafeValue("\"a\" > <b>\r\n\x1A"), "\x94" "a\x94 \x9B \x8B" "b\x9B   ");
  EXPECT_EQ(SafeText("a<b\x1A\r\n"), "a\x8B" "b \r\n");
}

// StoredValue predicts what a value reads back as, which lets a caller compare a fresh value with
// one that went through a file.
TEST(XmlDialect, StoredValueIsWhatAValueReadsBackAs) {
  for (const std::string value : {" x   y ", "a\r\nb", "\"q\" <a> b", "  ", "a \r\n\x1A b", "plain"}) {
    SCOPED_TRACE(value);
    TXMLResult status;
    const Sample r = Reload({"r", "e", "a", value, "t"}, status);
    ASSERT_EQ(status, xrOk);
    EXPECT_EQ(StoredValue(value), r.value);
    EXPECT_EQ(StoredValue(r.value), r.value);  // a value read back is stored as it is
  }
}

}  // namespace
