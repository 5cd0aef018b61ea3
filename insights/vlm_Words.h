#pragma once
// The words of a dream's text, on the Windows-1251 bytes as they are kept: where each word lies,
// its lowercase spelling, its stem by Snowball's Russian or English stemmer, and the stop words
// of both languages. Plain C++; nothing here is shared between threads except constant tables.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct sb_stemmer;

// Byte classes of the code page: Latin and Cyrillic letters (Ё/ё and the other Cyrillic letters
// of Windows-1251 included), and the digits.
enum TByteClass : unsigned char { bcOther, bcLetter, bcDigit };
extern const std::array<unsigned char, 256> kByteClass;
// Lowercase in both alphabets; Ё becomes ё, so a display word keeps it.
extern const std::array<unsigned char, 256> kLower;
// Lowercase with ё read as е: the spelling words are compared and stemmed by.
extern const std::array<unsigned char, 256> kFoldE;

inline bool IsLatinLetter(unsigned char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }

// Calls f(begin, end) for each word of `text`, in order: a run of letters and digits; a hyphen
// between two such characters joins the parts ("кто-то", "по-русски", "2-й"), and so does an
// apostrophe between two Latin letters ("don't"). Offsets are bytes of `text`.
template <class F>
void ForEachWord(std::string_view text, F&& f) {
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size();
  std::size_t i = 0;
  while (i < n) {
    while (i < n && kByteClass[s[i]] == bcOther) ++i;
    if (i == n) break;
    const std::size_t begin = i;
    while (true) {
      while (i < n && kByteClass[s[i]] != bcOther) ++i;
      if (i + 1 < n && kByteClass[s[i + 1]] != bcOther &&
          (s[i] == '-' || (s[i] == '\'' && IsLatinLetter(s[i - 1]) && IsLatinLetter(s[i + 1])))) {
        ++i;
        continue;
      }
      break;
    }
    f(begin, i);
  }
}

// The same words as ForEachWord, of a text already lowered by LowerInto, found sixteen bytes at a
// time where the processor can: their [begin, end) offsets are appended in pairs to `bounds`. The
// words of every dream are found this way when its word forms are made.
void FindWords(std::string_view lowered, std::vector<std::uint32_t>& bounds);
// n bytes lowered by kLower from `in` to `out`.
void LowerInto(char* out, const char* in, std::size_t n);

// The word in lowercase (kLower) or folded (kFoldE), into `out`.
void LowerWord(std::string_view word, std::string& out);
void FoldWord(std::string_view word, std::string& out);

// What a word is, from its folded spelling.
enum class TWordScript : unsigned char {
  Russian,  // Russian letters only (and inner hyphens)
  English,  // Latin letters only (and inner hyphens and apostrophes)
  Other     // digits, mixed alphabets, other Cyrillic letters: never stemmed, never a theme
};
TWordScript ScriptOf(std::string_view folded);

// A stop word of Russian or English (the folded spelling: ё as е): pronouns, prepositions,
// conjunctions, particles and the commonest auxiliary verbs, in their usual forms.
bool IsStopWord(std::string_view folded);

// Snowball's Russian and English stemmers (Debian's libstemmer). The Russian one is used in KOI8-R,
// converted by table both ways; the English one in ISO 8859-1, whose Latin letters are ASCII as in
// Windows-1251. One object per thread: the stemmers keep their state between calls.
class TStemmer {
public:
  TStemmer();
  ~TStemmer();
  TStemmer(const TStemmer&) = delete;
  TStemmer& operator=(const TStemmer&) = delete;

  // The stem of a folded word (see FoldWord), in Windows-1251; a word of TWordScript::Other and a
  // word longer than kLongestStemmed bytes is its own stem. Valid until the next call.
  std::string_view Stem(std::string_view folded);
  static constexpr std::size_t kLongestStemmed = 48;

private:
  sb_stemmer* FRussian = nullptr;
  sb_stemmer* FEnglish = nullptr;
  std::string FBuffer;
};

// Stem(FoldWord(word)) for a word as typed or found.
std::string StemOf(TStemmer& stemmer, std::string_view word);
