#include "vlm_Words.h"

#include <libstemmer.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>
#include <vector>

#include "xml_functions.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// The Cyrillic capitals of the code page other than А..Я and Ё, each with its small letter.
constexpr unsigned char kOtherCyrillic[][2] = {{0x80, 0x90}, {0x81, 0x83}, {0x8A, 0x9A}, {0x8C, 0x9C}, {0x8D, 0x9D},
                                               {0x8E, 0x9E}, {0x8F, 0x9F}, {0xA1, 0xA2}, {0xA3, 0xBC}, {0xA5, 0xB4},
                                               {0xAA, 0xBA}, {0xAF, 0xBF}, {0xB2, 0xB3}, {0xBD, 0xBE}};

constexpr std::array<unsigned char, 256> MakeClasses() {
  std::array<unsigned char, 256> t{};
  for (int c = 'A'; c <= 'Z'; ++c) t[c] = t[c + 32] = bcLetter;
  for (int c = '0'; c <= '9'; ++c) t[c] = bcDigit;
  for (int c = 0xC0; c <= 0xFF; ++c) t[c] = bcLetter;
  t[0xA8] = t[0xB8] = bcLetter;
  for (const auto& p : kOtherCyrillic) t[p[0]] = t[p[1]] = bcLetter;
  return t;
}

constexpr std::array<unsigned char, 256> MakeLower(bool foldE) {
  std::array<unsigned char, 256> t{};
  for (int c = 0; c < 256; ++c) t[c] = static_cast<unsigned char>(c);
  for (int c = 'A'; c <= 'Z'; ++c) t[c] = static_cast<unsigned char>(c + 32);
  for (int c = 0xC0; c <= 0xDF; ++c) t[c] = static_cast<unsigned char>(c + 32);
  for (const auto& p : kOtherCyrillic) t[p[0]] = p[1];
  t[0xA8] = t[0xB8] = foldE ? 0xE5 : 0xB8;
  return t;
}

// а..я (0xE0..0xFF) in KOI8-R, whose small letters lie at 0xC0..0xDF in another order.
constexpr unsigned char kKoi8Small[32] = {0xC1, 0xC2, 0xD7, 0xC7, 0xC4, 0xC5, 0xD6, 0xDA, 0xC9, 0xCA, 0xCB,
                                          0xCC, 0xCD, 0xCE, 0xCF, 0xD0, 0xD2, 0xD3, 0xD4, 0xD5, 0xC6, 0xC8,
                                          0xC3, 0xDE, 0xDB, 0xDD, 0xDF, 0xD9, 0xD8, 0xDC, 0xC0, 0xD1};

constexpr std::array<unsigned char, 256> MakeFromKoi8() {
  std::array<unsigned char, 256> t{};
  for (int c = 0; c < 256; ++c) t[c] = static_cast<unsigned char>(c);
  for (int k = 0; k < 32; ++k) t[kKoi8Small[k]] = static_cast<unsigned char>(0xE0 + k);
  return t;
}
constexpr std::array<unsigned char, 256> kFromKoi8 = MakeFromKoi8();

// In UTF-8 here for reading; folded into Windows-1251 once, at first use.
const char* const kStopWords[] = {
    // Russian
    "а", "без", "более", "больше", "будет", "будто", "буду", "будут", "бы", "был", "была", "были", "было", "быть",
    "в", "вам", "вами", "вас", "ведь", "весь", "во", "вот", "все", "всё", "всего", "всех", "всю", "вся", "вы",
    "где", "да", "даже", "для", "до", "его", "ее", "её", "ей", "ему", "если", "есть", "еще", "ещё", "же", "за",
    "зачем", "здесь", "и", "из", "или", "им", "ими", "их", "к", "как", "какая", "какие", "какой", "когда", "кто",
    "ко", "который", "которая", "которое", "которые", "которого", "которой", "котором", "которым", "которых",
    "которую", "куда", "ли", "либо", "лишь", "меня", "мне", "много", "мной", "мое", "моё", "мой", "моя", "мои",
    "моих", "может", "мы", "на", "над", "нам", "нами", "нас", "не", "него", "нее", "неё", "ней", "нет", "ни",
    "ним", "ними", "них", "но", "ну", "о", "об", "обо", "он", "она", "они", "оно", "от", "ото", "очень", "перед",
    "по", "под", "пока", "после", "потом", "потому", "почему", "при", "про", "раз", "с", "сам", "сама", "сами",
    "само", "свой", "своя", "свои", "своего", "своей", "свою", "себе", "себя", "со", "собой", "так", "также",
    "такой", "там", "те", "тебе", "тебя", "тем", "то", "тогда", "того", "тоже", "той", "только", "том", "тот",
    "ту", "тут", "ты", "у", "уж", "уже", "хоть", "чего", "чем", "через", "что", "чтоб", "чтобы", "чуть", "эта",
    "эти", "этим", "этих", "это", "этого", "этой", "этом", "этот", "эту", "я",
    // English
    "a", "about", "above", "after", "again", "all", "am", "an", "and", "any", "are", "as", "at", "be", "because",
    "been", "before", "being", "below", "between", "both", "but", "by", "can", "could", "did", "do", "does",
    "doing", "don't", "down", "during", "each", "few", "for", "from", "had", "has", "have", "having", "he", "her",
    "here", "hers", "herself", "him", "himself", "his", "how", "i", "if", "in", "into", "is", "it", "its",
    "itself", "just", "me", "more", "most", "my", "myself", "no", "nor", "not", "now", "of", "off", "on", "once",
    "only", "or", "other", "our", "ours", "out", "over", "own", "same", "she", "should", "so", "some", "such",
    "than", "that", "the", "their", "them", "then", "there", "these", "they", "this", "those", "through", "to",
    "too", "under", "until", "up", "very", "was", "we", "were", "what", "when", "where", "which", "while", "who",
    "whom", "why", "will", "with", "would", "you", "your", "yours"};

}  // namespace

const std::array<unsigned char, 256> kByteClass = MakeClasses();

namespace {

#if defined(__SSE2__)
// lo <= v < lo + count, byte by byte, unsigned.
__m128i InRange(__m128i v, int lo, int count) {
  const __m128i shifted = _mm_xor_si128(_mm_sub_epi8(v, _mm_set1_epi8(static_cast<char>(lo))), _mm_set1_epi8(static_cast<char>(0x80)));
  return _mm_cmplt_epi8(shifted, _mm_set1_epi8(static_cast<char>(count - 128)));
}
std::uint64_t Bits(__m128i mask) { return static_cast<std::uint32_t>(_mm_movemask_epi8(mask)); }
#endif

// Bit i for byte i of 64 lowered bytes: a letter or digit, a hyphen, an apostrophe, a Latin letter.
struct TBlockMasks {
  std::uint64_t Word = 0, Hyphen = 0, Apostrophe = 0, Latin = 0;
};

TBlockMasks Classify(const unsigned char* p) {
  TBlockMasks m;
#if defined(__SSE2__)
  for (int k = 0; k < 4; ++k) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
    const __m128i latin = InRange(v, 'a', 26);
    std::uint64_t word = Bits(_mm_or_si128(_mm_or_si128(latin, InRange(v, '0', 10)), InRange(v, 0xC0, 64)));
    // 0x80..0xBF: ё and the other Cyrillic letters among punctuation, from the table.
    for (unsigned high = static_cast<unsigned>(_mm_movemask_epi8(InRange(v, 0x80, 64))); high; high &= high - 1) {
      const int at = __builtin_ctz(high);
      if (kByteClass[p[16 * k + at]] != bcOther) word |= std::uint64_t{1} << at;
    }
    m.Word |= word << (16 * k);
    m.Latin |= Bits(latin) << (16 * k);
    m.Hyphen |= Bits(_mm_cmpeq_epi8(v, _mm_set1_epi8('-'))) << (16 * k);
    m.Apostrophe |= Bits(_mm_cmpeq_epi8(v, _mm_set1_epi8('\''))) << (16 * k);
  }
#else
  for (int i = 0; i < 64; ++i) {
    const std::uint64_t bit = std::uint64_t{1} << i;
    if (kByteClass[p[i]] != bcOther) m.Word |= bit;
    if (IsLatinLetter(p[i])) m.Latin |= bit;
    if (p[i] == '-') m.Hyphen |= bit;
    if (p[i] == '\'') m.Apostrophe |= bit;
  }
#endif
  return m;
}

}  // namespace

void FindWords(std::string_view lowered, std::vector<std::uint32_t>& bounds) {
  const auto* s = reinterpret_cast<const unsigned char*>(lowered.data());
  const std::size_t n = lowered.size(), blocks = (n + 63) / 64;
  unsigned char tail[64];
  auto masks = [&](std::size_t b) -> TBlockMasks {
    if (b >= blocks) return {};
    if ((b + 1) * 64 <= n) return Classify(s + b * 64);
    std::memset(tail, 0, sizeof tail);  // a 0 byte is no letter
    std::memcpy(tail, s + b * 64, n - b * 64);
    return Classify(tail);
  };
  TBlockMasks previous, current = masks(0);
  bool inWord = false;
  std::uint32_t begin = 0;
  for (std::size_t b = 0; b < blocks; ++b) {
    const TBlockMasks next = masks(b + 1);
    // A hyphen between two letters or digits joins them, and so does an apostrophe between two Latin letters.
    const std::uint64_t wordBefore = current.Word << 1 | previous.Word >> 63, wordAfter = current.Word >> 1 | next.Word << 63;
    const std::uint64_t latinBefore = current.Latin << 1 | previous.Latin >> 63, latinAfter = current.Latin >> 1 | next.Latin << 63;
    const std::uint64_t in = current.Word | (current.Hyphen & wordBefore & wordAfter) | (current.Apostrophe & latinBefore & latinAfter);
    for (int pos = 0; pos < 64;) {
      const std::uint64_t rest = (inWord ? ~in : in) >> pos;
      if (!rest) break;
      pos += __builtin_ctzll(rest);
      const auto at = static_cast<std::uint32_t>(b * 64 + static_cast<std::size_t>(pos));
      if (inWord) {
        bounds.push_back(begin);
        bounds.push_back(at);
      }
      begin = at;
      inWord = !inWord;
    }
    previous = current;
    current = next;
  }
  if (inWord) {
    bounds.push_back(begin);
    bounds.push_back(static_cast<std::uint32_t>(n));
  }
}

void LowerInto(char* out, const char* in, std::size_t n) {
  std::size_t i = 0;
#if defined(__SSE2__)
  for (; i + 16 <= n; i += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
    const __m128i capital = _mm_or_si128(InRange(v, 'A', 26), InRange(v, 0xC0, 32));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_add_epi8(v, _mm_and_si128(capital, _mm_set1_epi8(0x20))));
    for (unsigned high = static_cast<unsigned>(_mm_movemask_epi8(InRange(v, 0x80, 64))); high; high &= high - 1) {
      const std::size_t at = i + static_cast<std::size_t>(__builtin_ctz(high));
      out[at] = static_cast<char>(kLower[static_cast<unsigned char>(in[at])]);
    }
  }
#endif
  for (; i < n; ++i) out[i] = static_cast<char>(kLower[static_cast<unsigned char>(in[i])]);
}
const std::array<unsigned char, 256> kLower = MakeLower(false);
const std::array<unsigned char, 256> kFoldE = MakeLower(true);

void LowerWord(std::string_view word, std::string& out) {
  out.resize(word.size());
  for (std::size_t i = 0; i < word.size(); ++i) out[i] = static_cast<char>(kLower[static_cast<unsigned char>(word[i])]);
}

void FoldWord(std::string_view word, std::string& out) {
  out.resize(word.size());
  for (std::size_t i = 0; i < word.size(); ++i) out[i] = static_cast<char>(kFoldE[static_cast<unsigned char>(word[i])]);
}

TWordScript ScriptOf(std::string_view folded) {
  bool russian = false, latin = false;
  for (const char ch : folded) {
    const auto c = static_cast<unsigned char>(ch);
    if (c >= 0xE0) russian = true;
    else if (IsLatinLetter(c)) latin = true;
    else if (c != '-' && c != '\'') return TWordScript::Other;  // a digit or another Cyrillic letter
  }
  if (russian == latin) return TWordScript::Other;
  return russian ? TWordScript::Russian : TWordScript::English;
}

bool IsStopWord(std::string_view folded) {
  static const std::vector<std::string> words = [] {
    std::vector<std::string> list;
    std::string word;
    for (const char* w : kStopWords) {
      FoldWord(Utf8ToCp1251(w), word);
      list.push_back(word);
    }
    std::sort(list.begin(), list.end());
    return list;
  }();
  return std::binary_search(words.begin(), words.end(), folded,
                            [](std::string_view a, std::string_view b) { return a < b; });
}

TStemmer::TStemmer()
    : FRussian(sb_stemmer_new("russian", "KOI8_R")), FEnglish(sb_stemmer_new("english", "ISO_8859_1")) {
  if (!FRussian || !FEnglish) {
    sb_stemmer_delete(FRussian);
    sb_stemmer_delete(FEnglish);
    throw std::runtime_error("libstemmer: the Russian or English stemmer is missing");
  }
}

TStemmer::~TStemmer() {
  sb_stemmer_delete(FRussian);
  sb_stemmer_delete(FEnglish);
}

std::string_view TStemmer::Stem(std::string_view folded) {
  const TWordScript script = ScriptOf(folded);
  if (script == TWordScript::Other || folded.size() > kLongestStemmed) return folded;
  FBuffer.assign(folded);
  sb_stemmer* stemmer = FEnglish;
  if (script == TWordScript::Russian) {
    stemmer = FRussian;
    for (char& c : FBuffer) {
      const auto u = static_cast<unsigned char>(c);
      if (u >= 0xE0) c = static_cast<char>(kKoi8Small[u - 0xE0]);
    }
  }
  const sb_symbol* stem =
      sb_stemmer_stem(stemmer, reinterpret_cast<const sb_symbol*>(FBuffer.data()), static_cast<int>(FBuffer.size()));
  if (!stem) throw std::bad_alloc();
  FBuffer.assign(reinterpret_cast<const char*>(stem), static_cast<std::size_t>(sb_stemmer_length(stemmer)));
  if (script == TWordScript::Russian)
    for (char& c : FBuffer) c = static_cast<char>(kFromKoi8[static_cast<unsigned char>(c)]);
  return FBuffer;
}

std::string StemOf(TStemmer& stemmer, std::string_view word) {
  std::string folded;
  FoldWord(word, folded);
  return std::string(stemmer.Stem(folded));
}
