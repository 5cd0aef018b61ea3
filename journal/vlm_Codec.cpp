#include "vlm_Codec.h"

#include <array>
#include <cstddef>

namespace {

constexpr int kAlphabetSize = 130;

// The characters the codec scrambles, Windows-1251 bytes, in seven classes: Latin capitals,
// Latin small letters, the blank, the digits, the underscore, Cyrillic capitals (Ё after Е),
// Cyrillic small letters (ё after е).
constexpr char kBase[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZ"
    "abcdefghijklmnopqrstuvwxyz"
    " "
    "0123456789"
    "_"
    "\xC0\xC1\xC2\xC3\xC4\xC5\xA8\xC6\xC7\xC8\xC9\xCA\xCB\xCC\xCD\xCE\xCF\xD0\xD1\xD2\xD3\xD4\xD5"
    "\xD6\xD7\xD8\xD9\xDA\xDB\xDC\xDD\xDE\xDF"
    "\xE0\xE1\xE2\xE3\xE4\xE5\xB8\xE6\xE7\xE8\xE9\xEA\xEB\xEC\xED\xEE\xEF\xF0\xF1\xF2\xF3\xF4\xF5"
    "\xF6\xF7\xF8\xF9\xFA\xFB\xFC\xFD\xFE\xFF";

// The images: character i of alphabet k stands for character i of kBase. Each starts with the
// Latin small letters and then the capitals (both shuffled); the other five classes follow in a
// different order in each alphabet. No character is its own image, and the five images of a
// character all differ. Fixed for good: stored credentials are written with them.
constexpr char kSubstitution[5][kAlphabetSize + 1] = {
    // 1: Cyrillic small, underscore, blank, digits, Cyrillic capitals
    "bevshcagrpflnqmyzkdoxwujti"
    "ZMELVTKXYBDARIWGQSNJHFCOPU"
    "\xF0\xF6\xE2\xE1\xFF\xEA\xE8\xFD\xF3\xF8\xEE\xF7\xE0\xF4\xE6\xF2\xFE\xF9\xB8\xE4\xE3\xE5\xE9"
    "\xEF\xED\xEC\xF5\xFC\xE7\xFB\xEB\xFA\xF1"
    "_"
    " "
    "9608127345"
    "\xA8\xC8\xDE\xCD\xD6\xD8\xC5\xCF\xD7\xD0\xCA\xC9\xCC\xC3\xD4\xD9\xCB\xDB\xC6\xC0\xDD\xC4\xD1"
    "\xCE\xD2\xD3\xDA\xC7\xDC\xC2\xC1\xD5\xDF",
    // 2: underscore, Cyrillic capitals, digits, blank, Cyrillic small
    "ukblvpynjeazqtocgwxmisdfrh"
    "BOVMPJNYSLZGFUAQEXTIKWHDRC"
    "_"
    "\xC7\xDC\xC1\xCE\xD8\xC4\xD7\xD3\xC6\xDB\xC9\xA8\xC3\xD5\xCD\xD4\xC8\xDA\xCA\xC5\xD1\xDF\xD9"
    "\xD6\xCB\xDD\xDE\xC2\xD2\xCC\xCF\xD0\xC0"
    "6103798452"
    " "
    "\xED\xF8\xE0\xEE\xF4\xFB\xE7\xF0\xF2\xB8\xFC\xFE\xFA\xF9\xF5\xEC\xEB\xE5\xE3\xFF\xE4\xEF\xFD"
    "\xF7\xEA\xF3\xF1\xE2\xE9\xF6\xE6\xE8\xE1",
    // 3: digits, Cyrillic small, Cyrillic capitals, underscore, blank
    "qljafuzygchskvtoidbrmxwpne"
    "MPWNLKHRBQSFADOUJIETCGYXVZ"
    "0124957836"
    "\xEC\xF4\xFF\xEB\xFC\xED\xE9\xF0\xE0\xE1\xEF\xF7\xFD\xF9\xF1\xF2\xB8\xE3\xFB\xF5\xFA\xEA\xE6"
    "\xF6\xE5\xE4\xE7\xFE\xE2\xF8\xF3\xEE\xE8"
    "\xC9\xC2\xD8\xC3\xC1\xCA\xC7\xD7\xD3\xC4\xD4\xCC\xDD\xCE\xC6\xDC\xD9\xD5\xD0\xDF\xDA\xD1\xC0"
    "\xC8\xD2\xA8\xCD\xD6\xCF\xDE\xC5\xCB\xDB"
    "_"
    " ",
    // 4: Cyrillic small, digits, Cyrillic capitals, blank, underscore
    "xptvwhoefygmbskduilcnajzqr"
    "WXQUMSJCEIAOTKPFZGBDLHVYNR"
    "\xF5\xF8\xEA\xF3\xE9\xEE\xE5\xF0\xFE\xEF\xE4\xB8\xEC\xE3\xFB\xEB\xFD\xE6\xF9\xE7\xF2\xED\xF7"
    "\xF4\xFA\xE8\xFF\xE2\xF1\xFC\xE1\xE0\xF6"
    "3905267481"
    "\xD3\xDA\xC0\xCA\xCD\xD8\xDE\xDB\xC6\xCC\xDD\xD6\xCF\xC4\xC8\xD5\xC5\xD2\xA8\xDC\xD7\xC1\xC2"
    "\xC7\xDF\xD4\xD9\xCE\xD0\xCB\xD1\xC9\xC3"
    " "
    "_",
    // 5: Cyrillic capitals, blank, underscore, Cyrillic small, digits
    "rmauczlqhvbdxoftsywjkpiegn"
    "NEAFUYZWPXMDLHBKTCOSRVJIQG"
    "\xDA\xCD\xC1\xDD\xCC\xC2\xD2\xC9\xDB\xDE\xC3\xDC\xD1\xC8\xCE\xC0\xD3\xD8\xD0\xA8\xD7\xD6\xC7"
    "\xCB\xDF\xD9\xD4\xC4\xC6\xCA\xC5\xD5\xCF"
    " "
    "_"
    "\xE8\xF5\xEA\xE7\xEE\xF8\xE3\xF4\xEF\xFD\xE6\xFA\xF7\xEB\xF2\xE4\xE1\xF6\xF0\xF9\xFE\xED\xF1"
    "\xB8\xE2\xE0\xFF\xFB\xEC\xF3\xE5\xFC\xE9"
    "9172450836",
};

static_assert(sizeof(kBase) == kAlphabetSize + 1);

// Position (1..130) of every byte in a table, 0 for bytes the table does not hold.
using TPositions = std::array<unsigned char, 256>;

constexpr TPositions PositionsOf(const char* table) {
  TPositions positions{};
  for (int i = 0; i < kAlphabetSize; ++i) {
    auto& slot = positions[static_cast<unsigned char>(table[i])];
    if (slot == 0) slot = static_cast<unsigned char>(i + 1);  // first occurrence wins
  }
  return positions;
}

constexpr TPositions kBasePositions = PositionsOf(kBase);
constexpr std::array<TPositions, 5> kSubstitutionPositions = {
    PositionsOf(kSubstitution[0]), PositionsOf(kSubstitution[1]), PositionsOf(kSubstitution[2]),
    PositionsOf(kSubstitution[3]), PositionsOf(kSubstitution[4])};

// A short literal would be padded with NUL bytes silently; these checks catch any slip in a table.
constexpr bool IsPermutationOfBase(const char* table) {
  const TPositions positions = PositionsOf(table);
  for (int i = 0; i < kAlphabetSize; ++i)
    if (positions[static_cast<unsigned char>(kBase[i])] == 0) return false;
  return table[kAlphabetSize] == '\0';
}
static_assert(IsPermutationOfBase(kBase));
static_assert(IsPermutationOfBase(kSubstitution[0]) && IsPermutationOfBase(kSubstitution[1]) &&
              IsPermutationOfBase(kSubstitution[2]) && IsPermutationOfBase(kSubstitution[3]) &&
              IsPermutationOfBase(kSubstitution[4]));

// Alphabet index (0-based) for 1-based position p: alphabet (p mod 5) + 1.
constexpr std::size_t AlphabetFor(std::size_t p) { return p % 5; }

}  // namespace

int TCodec::BasePos(char c) const { return kBasePositions[static_cast<unsigned char>(c)]; }

char TCodec::BaseChar(int pos) const {
  return pos >= 1 && pos <= kAlphabetSize ? kBase[pos - 1] : '\0';
}

void TCodec::Encode(std::string_view text, std::string& result) const {
  result.reserve(result.size() + text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const int pos = BasePos(text[i]);
    // A byte outside the alphabet passes unchanged, so the user can always type it again.
    result.push_back(pos == 0 ? text[i] : kSubstitution[AlphabetFor(i + 1)][pos - 1]);
  }
}

void TCodec::Decode(std::string_view text, std::string& result) const {
  result.reserve(result.size() + text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const int pos = kSubstitutionPositions[AlphabetFor(i + 1)][static_cast<unsigned char>(text[i])];
    result.push_back(pos == 0 ? text[i] : BaseChar(pos));
  }
}

std::string TCodec::Encode(std::string_view text) const {
  std::string result;
  Encode(text, result);
  return result;
}

std::string TCodec::Decode(std::string_view text) const {
  std::string result;
  Decode(text, result);
  return result;
}

const char* TCodec::BaseAlphabet() { return kBase; }

const char* TCodec::SubstitutionAlphabet(int k) {
  return k >= 1 && k <= 5 ? kSubstitution[k - 1] : nullptr;
}
