// The program's texts: the placeholder filler, the load-status reasons, and that every text can
// be stored in Windows-1251 (documents and the windows both rely on it).
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "vlm_Resources.h"
#include "xml_functions.h"
#include "xml_types.h"

TEST(Resources, FormatFillsNumberedPlaceholdersOnce) {
  EXPECT_EQ(res::Format("\"%1\": %2", {"a.xml", "cannot write"}), "\"a.xml\": cannot write");
  EXPECT_EQ(res::Format("%2 %1 %2", {"x", "y"}), "y x y");
  EXPECT_EQ(res::Format("%1", {"%2"}), "%2") << "a file name holding %2 must stay as it is";
  EXPECT_EQ(res::Format("%1 %3", {"x"}), "x %3");
  EXPECT_EQ(res::Format("100% %", {}), "100% %");
  EXPECT_EQ(res::Format(res::MsgPictureNotLoaded, {"pic.bmp"}),
            "Не удалось загрузить изображение \"pic.bmp\".");
}

TEST(Resources, EveryLoadStatusHasAReason) {
  EXPECT_EQ(res::LoadStatusText(xrOk), "");
  for (int status : {xrCannotOpen, xrNoFileName, xrNoDeclaration, xrRepeatedOrTrailing, xrBadTag, xrTruncated,
                     xrMalformedAttribute, xrNoRoot, xrTooDeep})
    EXPECT_FALSE(res::LoadStatusText(status).empty()) << status;
  EXPECT_EQ(res::LoadStatusText(xrCannotOpen), res::StatusCannotOpen);
  EXPECT_NE(res::LoadStatusText(77).find("77"), std::string::npos);
}

TEST(Resources, EveryTextSurvivesWindows1251) {
  std::ifstream in(VELMORA_SOURCE_DIR "/journal/vlm_Resources.h", std::ios::binary);
  const std::string header{std::istreambuf_iterator<char>(in), {}};
  ASSERT_FALSE(header.empty());
  // Every string literal of the header; a backslash escapes the next character.
  int count = 0;
  for (std::size_t i = header.find('"'); i != std::string::npos; i = header.find('"', i + 1)) {
    std::string text;
    for (++i; i < header.size() && header[i] != '"'; ++i) {
      if (header[i] == '\\') text += header[i++];
      text += header[i];
    }
    ++count;
    const std::string cp1251 = Utf8ToCp1251(text);
    EXPECT_EQ(Cp1251ToUtf8(cp1251), text) << text;
    EXPECT_EQ(cp1251.find('?') == std::string::npos, text.find('?') == std::string::npos) << text;
  }
  EXPECT_GT(count, 100);
}
