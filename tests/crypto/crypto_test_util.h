#pragma once
// What the encryption tests share: a cheap key derivation (the tuned one takes half a second) and
// journals as the program writes them.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "vlm_Keys.h"

// Failed checks name the error, not a raw byte.
inline void PrintTo(TSealError e, std::ostream* os) { *os << static_cast<int>(e) << " (" << SealErrorText(e) << ")"; }

// Argon2id at its least cost: the tests are about the format and the plan, not the cost.
inline constexpr TKdfParams kFastKdf{1, 8192};

// A journal of `days` nights in Windows-1251 with CR LF lines, holding `word` in its first dream.
inline std::string TestJournal(int days, const std::string& word = "lucidword") {
  std::string text = "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\r\n<velmora>\r\n";
  for (int d = 0; d < days; ++d)
    text += "  <day date=\"" + std::to_string(d) + "\">\r\n    <experience number=\"1\" title=\"\xD1\xEE\xED " +
            (d == 0 ? word : std::string("x")) +
            "\">\r\n      <description>\xCB\xE5\xF2\xE5\xEB \xED\xE0\xE4 \xEC\xEE\xF0\xE5\xEC, "
            "\xE2\xE8\xE4\xE5\xEB \xEC\xE0\xFF\xEA.</description>\r\n    </experience>\r\n  </day>\r\n";
  return text + "</velmora>\r\n";
}

// A new key for `password`; `recovery` receives its recovery line when given.
inline TLibraryKey TestKey(const std::string& password, std::string* recovery = nullptr) {
  TLibraryKey key;
  std::string line;
  EXPECT_EQ(TLibraryKey::Create(password, kFastKdf, key, line), seOk);
  if (recovery) *recovery = line;
  return key;
}
