// Inputs that once broke the reader or the writer (kept in fuzz/regressions) load without harm, and
// those that load save and read back to a stable text.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "xml_test_util.h"

namespace {

TEST(XmlRegressions, KeptFuzzInputs) {
  const std::filesystem::path dir = std::filesystem::path(VELMORA_SOURCE_DIR) / "fuzz" / "regressions";
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    std::ifstream in(entry.path(), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    TXMLParser first;
    if (first.LoadFromString(bytes) != xrOk) continue;
    ++count;
    TXMLParser once;
    ASSERT_EQ(once.LoadFromString(first.SaveToString()), xrOk) << entry.path();
    const std::string saved = once.SaveToString();
    TXMLParser twice;
    ASSERT_EQ(twice.LoadFromString(saved), xrOk) << entry.path();
    EXPECT_EQ(twice.SaveToString(), saved) << entry.path();
  }
  EXPECT_GT(count, 0);
}

// The first one: line feeds inside a value become blanks on writing, and their run then collapses.
TEST(XmlRegressions, LineFeedsInValue) {
  TXMLParser p;
  ASSERT_EQ(p.LoadFromString(Doc("<r a=\"y\n\n\nes\" />")), xrOk);
  EXPECT_EQ(p.Root->GetAttribute("a"), "y\n\n\nes");
  TXMLParser back;
  ASSERT_EQ(back.LoadFromString(p.SaveToString()), xrOk);
  EXPECT_EQ(back.Root->GetAttribute("a"), "y es");
}

}  // namespace
