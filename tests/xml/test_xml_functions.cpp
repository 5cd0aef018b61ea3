// Text helpers: blank collapsing, value unquoting and the Windows-1251 code page.
#include <gtest/gtest.h>
#include <iconv.h>

#include <cerrno>
#include <cstring>

#include "xml_attribute.h"
#include "xml_functions.h"

namespace {

TEST(XmlFunctions, CollapseBlanks) {
  EXPECT_EQ(CollapseBlanks(""), "");
  EXPECT_EQ(CollapseBlanks(" \t\r\n\x01 "), "");
  EXPECT_EQ(CollapseBlanks("\t a   b \t\t c \r\n"), "a b \t\t c");
  EXPECT_EQ(CollapseBlanks("x\x7Fy"), "x\x7Fy");
  EXPECT_EQ(CollapseBlanks("\xA0x\xA0"), "\xA0x\xA0");  // no-break space is not a blank
}

TEST(XmlFunctions, UnquoteValue) {
  EXPECT_EQ(UnquoteValue("\"abc\" "), "abc");
  EXPECT_EQ(UnquoteValue("\"abc\"/> "), "abc");
  EXPECT_EQ(UnquoteValue("\"abc\"?> "), "abc");
  EXPECT_EQ(UnquoteValue("\"abc\"> "), "abc");
  EXPECT_EQ(UnquoteValue("'abc' "), "abc");  // the quotes are dropped whatever they are
  EXPECT_EQ(UnquoteValue("\"\" "), "");
  EXPECT_EQ(UnquoteValue("\" "), "");
  EXPECT_EQ(UnquoteValue(""), "");
  EXPECT_EQ(UnquoteValue("> "), "");
}

TEST(XmlFunctions, SystemErrorTextIsRussianForCommonReasons) {
  EXPECT_EQ(SystemErrorText(ENOSPC), "на диске нет места");
  EXPECT_EQ(SystemErrorText(EPERM), SystemErrorText(EACCES));
  for (int e : {EACCES, EROFS, ENOENT, EISDIR, EIO, EDQUOT}) {
    const std::string text = SystemErrorText(e);
    EXPECT_NE(text, std::strerror(e));
    EXPECT_EQ(Cp1251ToUtf8(Utf8ToCp1251(text)), text) << "not Cyrillic UTF-8: " << text;
  }
  EXPECT_EQ(SystemErrorText(EBADF), std::strerror(EBADF));
}

TEST(XmlFunctions, AttributeParse) {
  TXMLAttribute a;
  EXPECT_EQ(a.Parse("name=\"a b=c\" "), xrOk);
  EXPECT_EQ(a.Name, "name");
  EXPECT_EQ(a.Value, "a b=c");
  EXPECT_EQ(a.Parse("name =\"x\" "), xrOk);  // blanks around "=" belong to the name
  EXPECT_EQ(a.Name, "name ");
  EXPECT_EQ(a.Parse("novalue "), xrMalformedAttribute);
}

// The code page table against the C library's own converter.
TEST(XmlFunctions, Cp1251MatchesIconv) {
  iconv_t cd = iconv_open("UTF-8", "CP1251");
  ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
  for (int b = 1; b < 256; ++b) {
    if (b == 0x98) continue;
    char in[1] = {static_cast<char>(b)};
    char out[8] = {};
    char* ip = in;
    char* op = out;
    std::size_t il = 1, ol = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(iconv(cd, &ip, &il, &op, &ol), static_cast<std::size_t>(-1)) << b;
    std::string expected(out, op);
    std::string byte(1, static_cast<char>(b));
    EXPECT_EQ(Cp1251ToUtf8(byte), expected) << "byte " << b;
    EXPECT_EQ(Utf8ToCp1251(expected), byte) << "byte " << b;
  }
  iconv_close(cd);
  EXPECT_EQ(Cp1251ToUtf8("\x98"), "\xEF\xBF\xBD");
}

TEST(XmlFunctions, Utf8ToCp1251Fallbacks) {
  EXPECT_EQ(Utf8ToCp1251("Сны"), "\xD1\xED\xFB");
  EXPECT_EQ(Utf8ToCp1251("日本"), "??");
  EXPECT_EQ(Utf8ToCp1251("\xFF" "a\xD0"), "?a?");  // broken sequences
  EXPECT_EQ(Utf8ToCp1251("\xEF\xBF\xBD"), "?");
  EXPECT_EQ(NativePath("C:\\\xD1\xED\xFB"), "C:\\Сны");
}

// Decides whether a message of unknown origin is read as UTF-8 or as Windows-1251.
TEST(XmlFunctions, ValidUtf8AcceptsOnlyWellFormedText) {
  EXPECT_TRUE(ValidUtf8("Сны 日本 \xF0\x9F\x98\x80"));
  for (const char* bad : {"\xD1\xED\xFB",             // Windows-1251
                          "ab\xD0",                     // cut off at the end
                          "\xC0\xAF", "\xE0\x80\xAF",  // overlong
                          "\xED\xA0\x80",              // a surrogate
                          "\xF4\x90\x80\x80"})          // above U+10FFFF
    EXPECT_FALSE(ValidUtf8(bad)) << bad;
}

TEST(XmlFunctions, JoinLinesInPlace) {
  std::string t = "first\r\n<a>\r\n  b  c  \r\n\r\n<c>";
  JoinLines(t);
  EXPECT_EQ(t, " first<a> b c<c>");
  t = "one line";
  JoinLines(t);
  EXPECT_EQ(t, " one line");
  t = "<a>\r\rb\n\r\n";  // a lone CR or LF does not end a line
  JoinLines(t);
  EXPECT_EQ(t, "<a>\r\rb");
  t = "<a>\r\n\x1A<b>";
  JoinLines(t);
  EXPECT_EQ(t, "<a>");
}

}  // namespace
