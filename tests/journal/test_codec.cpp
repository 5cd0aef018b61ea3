// The credential codec: form of its tables, the cycle of alphabets and the round trip.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "vlm_Codec.h"

namespace {

// The classes of the base alphabet, numbered 0..6 in their base order.
int ClassOf(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return 0;
  if (c >= 'a' && c <= 'z') return 1;
  if (c == ' ') return 2;
  if (c >= '0' && c <= '9') return 3;
  if (c == '_') return 4;
  if ((c >= 0xC0 && c <= 0xDF) || c == 0xA8) return 5;
  if (c >= 0xE0 || c == 0xB8) return 6;
  return -1;
}

// The sequence of classes of a table, with runs collapsed: {1, 0, x, y, z, v, w} expected.
std::vector<int> ClassRuns(const std::string& table) {
  std::vector<int> runs;
  for (unsigned char c : table)
    if (runs.empty() || runs.back() != ClassOf(c)) runs.push_back(ClassOf(c));
  return runs;
}

std::string Base() { return TCodec::BaseAlphabet(); }
std::string Alphabet(int k) { return TCodec::SubstitutionAlphabet(k); }

}  // namespace

TEST(CodecTables, BaseHoldsTheSevenClassesInOrderWithYoInPlace) {
  const std::string base = Base();
  ASSERT_EQ(base.size(), 130u);
  EXPECT_EQ(ClassRuns(base), (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(std::set<char>(base.begin(), base.end()).size(), 130u);
  // Ё follows Е and ё follows е.
  EXPECT_EQ(base.find('\xA8'), base.find('\xC5') + 1);
  EXPECT_EQ(base.find('\xB8'), base.find('\xE5') + 1);
}

TEST(CodecTables, EverySubstitutionAlphabetIsAPermutationOfTheRequiredForm) {
  const std::string base = Base();
  const std::multiset<char> baseSet(base.begin(), base.end());
  std::set<std::vector<int>> orders;
  for (int k = 1; k <= 5; ++k) {
    SCOPED_TRACE(k);
    const std::string table = Alphabet(k);
    ASSERT_EQ(table.size(), 130u);
    EXPECT_EQ(std::multiset<char>(table.begin(), table.end()), baseSet);
    const std::vector<int> runs = ClassRuns(table);
    ASSERT_EQ(runs.size(), 7u) << "each class must be one contiguous run";
    EXPECT_EQ(runs[0], 1);  // Latin small first
    EXPECT_EQ(runs[1], 0);  // then Latin capitals
    EXPECT_EQ(std::set<int>(runs.begin() + 2, runs.end()), (std::set<int>{2, 3, 4, 5, 6}));
    orders.insert(runs);
  }
  EXPECT_EQ(orders.size(), 5u) << "the other classes must follow in a different order in each alphabet";
  EXPECT_EQ(TCodec::SubstitutionAlphabet(0), nullptr);
  EXPECT_EQ(TCodec::SubstitutionAlphabet(6), nullptr);
}

TEST(CodecPositions, BasePosAndBaseCharAreInverseAndZeroOutside) {
  TCodec codec;
  EXPECT_EQ(codec.BaseChar(0), '\0');
  EXPECT_EQ(codec.BaseChar(131), '\0');
  EXPECT_EQ(codec.BaseChar(-1), '\0');
  EXPECT_EQ(codec.BaseChar(1), 'A');
  EXPECT_EQ(codec.BaseChar(130), '\xFF');  // я
  for (int i = 1; i <= 130; ++i) EXPECT_EQ(codec.BasePos(codec.BaseChar(i)), i);
  EXPECT_EQ(codec.BasePos('!'), 0);
  EXPECT_EQ(codec.BasePos('-'), 0);
  EXPECT_EQ(codec.BasePos('\0'), 0);
}

TEST(CodecCycle, EmptyTextAndAppendingToTheResult) {
  TCodec codec;
  EXPECT_EQ(codec.Encode(""), "");
  EXPECT_EQ(codec.Decode(""), "");
  std::string result = "prefix";
  codec.Encode("abc", result);
  EXPECT_EQ(result.substr(0, 6), "prefix");
  EXPECT_EQ(result.size(), 9u);
  std::string back = "x";
  codec.Decode(result.substr(6), back);
  EXPECT_EQ(back, "xabc");
}

TEST(CodecCycle, SixEqualCharactersUseAlphabets2345Then1Then2) {
  TCodec codec;
  const std::string base = Base();
  for (int i = 0; i < 130; ++i) {
    SCOPED_TRACE(i);
    const std::string encoded = codec.Encode(std::string(6, base[i]));
    ASSERT_EQ(encoded.size(), 6u);
    EXPECT_EQ(encoded[0], encoded[5]);
    const int expectedAlphabet[6] = {2, 3, 4, 5, 1, 2};
    for (int p = 0; p < 6; ++p) {
      EXPECT_EQ(encoded[p], Alphabet(expectedAlphabet[p])[i]);
      EXPECT_NE(encoded[p], base[i]) << "an alphabet character must be scrambled";
    }
    EXPECT_EQ(std::set<char>(encoded.begin(), encoded.begin() + 5).size(), 5u)
        << "the same character must be encoded differently by different alphabets";
  }
}

TEST(CodecCycle, EncodedTextsFromEarlierBuildsStillDecode) {
  // Stored credentials depend on the tables: these values were written by this codec.
  TCodec codec;
  const std::string encoded = codec.Encode("Velmora_2026 \xC8\xE2\xE0\xED");  // "Иван"
  EXPECT_EQ(codec.Decode(encoded), "Velmora_2026 \xC8\xE2\xE0\xED");
  EXPECT_EQ(encoded, "sLOLWXM\xB8\xDD\xF6\xC1" "8\xF5\xD6\xDE\xED\xD9");
}

TEST(CodecRoundTrip, NamesAndPasswordsOfAnyLength) {
  TCodec codec;
  const std::string base = Base();
  const std::vector<std::string> samples = {
      "a", "Admin", "user_01", "\xCF\xE5\xF2\xF0 \xC8\xE2\xE0\xED\xEE\xE2",  // Петр Иванов
      "\xA8\xE6\xE8\xEA \xB8\xEB\xEA\xE0",                                    // Ёжик ёлка
      "pass word 123", std::string(97, 'z')};
  for (const std::string& s : samples) {
    EXPECT_EQ(codec.Decode(codec.Encode(s)), s);
    EXPECT_EQ(codec.Encode(s).size(), s.size());
  }
  // Every length up to 60, with characters from the whole alphabet.
  unsigned state = 12345;
  for (std::size_t length = 1; length <= 60; ++length) {
    std::string s;
    for (std::size_t j = 0; j < length; ++j) {
      state = state * 1103515245u + 12345u;
      s.push_back(base[(state >> 16) % 130]);
    }
    EXPECT_EQ(codec.Decode(codec.Encode(s)), s);
  }
}

TEST(CodecRoundTrip, EveryNonZeroByteAtEveryPositionOfTheCycle) {
  TCodec codec;
  for (int offset = 0; offset < 5; ++offset) {
    for (int b = 1; b <= 255; ++b) {
      const char c = static_cast<char>(b);
      const std::string s = std::string(static_cast<std::size_t>(offset), 'q') + c + "x";
      const std::string encoded = codec.Encode(s);
      ASSERT_EQ(encoded.size(), s.size());
      EXPECT_EQ(codec.Decode(encoded), s) << "byte " << b << " at position " << offset + 1;
      if (codec.BasePos(c) == 0)
        EXPECT_EQ(encoded[offset], c) << "byte " << b << " is outside the alphabet and must pass";
      else
        EXPECT_NE(encoded[offset], c) << "byte " << b;
    }
  }
}

TEST(CodecRoundTrip, PunctuationInPasswordsSurvives) {
  TCodec codec;
  const std::string password = "my-pass!word?#1";
  const std::string encoded = codec.Encode(password);
  EXPECT_EQ(encoded.find('\0'), std::string::npos);
  EXPECT_EQ(encoded[2], '-');
  EXPECT_EQ(codec.Decode(encoded), password);
}
