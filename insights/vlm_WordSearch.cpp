#include "vlm_WordSearch.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "vlm_Words.h"
#include "xml_functions.h"

namespace {

bool InWord(unsigned char c) { return kByteClass[c] != bcOther; }

// Whether a word (as ForEachWord splits the text) begins at `at`: not after a letter or digit, nor
// after a hyphen or apostrophe that joins it to the word before.
bool WordStartsAt(std::string_view text, std::size_t at) {
  if (at == 0) return true;
  const auto before = static_cast<unsigned char>(text[at - 1]);
  if (InWord(before)) return false;
  if (at < 2 || !InWord(static_cast<unsigned char>(text[at - 2]))) return true;
  if (before == '-') return false;
  return !(before == '\'' && IsLatinLetter(static_cast<unsigned char>(text[at - 2])) &&
           IsLatinLetter(static_cast<unsigned char>(text[at])));
}

// The first place in text[from, to) where `key` stands not right after a letter (a place a word
// may begin) and `accept(place)` is true; `to` when there is none. Sixteen places at a time where
// the processor can: most places of a short key lie inside words, and passing over them here keeps
// a one-letter query about as fast as a long one.
// With `whole`, only places where the key is followed by no letter either (a whole word).
template <class Accept>
std::size_t ScanWordStarts(std::string_view text, std::size_t from, std::size_t to, const std::string& key, bool whole,
                           Accept&& accept) {
  const std::size_t n = key.size();
  if (to < from + n) return to;
  const char* base = text.data();
  auto candidate = [&](std::size_t i) {
    if (i > 0) {
      const auto before = static_cast<unsigned char>(base[i - 1]);
      if (before >= 0xC0 || IsLatinLetter(before)) return false;
    }
    return std::memcmp(base + i, key.data(), n) == 0 && accept(i);
  };
  std::size_t i = from;
  if (i == 0) {
    if (candidate(0)) return 0;
    i = 1;
  }
#if defined(__SSE2__)
  const __m128i first = _mm_set1_epi8(key.front()), last = _mm_set1_epi8(key.back());
  const __m128i bias = _mm_set1_epi8(static_cast<char>(0x80));
  auto inRange = [&](__m128i v, int lo, int count) {  // lo <= v < lo + count, unsigned
    const __m128i shifted = _mm_xor_si128(_mm_sub_epi8(v, _mm_set1_epi8(static_cast<char>(lo))), bias);
    return _mm_cmplt_epi8(shifted, _mm_set1_epi8(static_cast<char>(count - 128)));
  };
  auto letters = [&](__m128i v) {
    return _mm_or_si128(_mm_or_si128(inRange(v, 'A', 26), inRange(v, 'a', 26)), inRange(v, 0xC0, 64));
  };
  for (; i + n + 16 <= to; i += 16) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + i + n - 1));
    const __m128i before = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + i - 1));
    __m128i hit = _mm_andnot_si128(letters(before), _mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, last)));
    if (whole) hit = _mm_andnot_si128(letters(_mm_loadu_si128(reinterpret_cast<const __m128i*>(base + i + n))), hit);
    for (unsigned m = static_cast<unsigned>(_mm_movemask_epi8(hit)); m; m &= m - 1) {
      const std::size_t at = i + static_cast<std::size_t>(__builtin_ctz(m));
      if (std::memcmp(base + at, key.data(), n) == 0 && accept(at)) return at;
    }
  }
#endif
  for (; i + n <= to; ++i)
    if (candidate(i)) return i;
  return to;
}

// Where the word beginning at `at` ends, as ForEachWord joins its parts.
std::size_t WordEnd(std::string_view text, std::size_t at, std::size_t to) {
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  std::size_t i = at;
  while (true) {
    while (i < to && InWord(s[i])) ++i;
    if (i + 1 < to && InWord(s[i + 1]) && (s[i] == '-' || (s[i] == '\'' && IsLatinLetter(s[i - 1]) && IsLatinLetter(s[i + 1])))) {
      ++i;
      continue;
    }
    return i;
  }
}

// The bytes every word with the stem `stem` begins with, given one such word. Snowball's Russian
// stemmer only takes endings away, so the stem begins each word; the English one may change the
// last two letters of what it keeps ("happy", "happiness": "happi"; "possibility": "possibl").
std::string FormsKey(const std::string& word, std::string_view stem) {
  std::size_t common = 0;
  while (common < word.size() && common < stem.size() && word[common] == stem[common]) ++common;
  if (ScriptOf(word) == TWordScript::English) common = std::min(common, std::max<std::size_t>(1, stem.size() - std::min<std::size_t>(stem.size(), 2)));
  return word.substr(0, std::max<std::size_t>(common, 1));
}

// Whether a stem has a vowel. The stemmers take nothing before a word's first vowel nor the vowel
// itself, so a stem without one is a whole word that has no other forms.
bool HasVowel(std::string_view stem) {
  static const std::string vowels = Utf8ToCp1251("аеиоуыэюяaeiouy");
  return stem.find_first_of(vowels) != std::string_view::npos;
}

}  // namespace

TWordSearch::TWordSearch(std::string_view cp1251) : FQuery(cp1251) {
  const auto& terms = FQuery.Terms();
  for (std::size_t t = 0; t < terms.size(); ++t) {
    const TWordTerm& term = terms[t];
    FKeys.push_back(term.Kind == TWordTerm::Forms ? FormsKey(term.Words.front(), FQuery.BitWord(FQuery.FirstBit(t)))
                                                  : term.Words.front());
    FOrder.push_back(t);
    const bool whole = term.Kind == TWordTerm::Exact ||
                       (term.Kind == TWordTerm::Forms && (ScriptOf(term.Words.front()) == TWordScript::Other ||
                                                          !HasVowel(FQuery.BitWord(FQuery.FirstBit(t)))));
    FChecks.push_back(term.Kind == TWordTerm::Prefix ? ckAny : whole ? ckWhole : ckStem);
    if (whole) FKeys.back() = term.Words.front();
  }
  std::stable_sort(FOrder.begin(), FOrder.end(), [this](std::size_t a, std::size_t b) { return FKeys[a].size() > FKeys[b].size(); });
}

bool TWordSearch::FindTerm(std::string_view text, std::size_t from, std::size_t to, std::size_t term, std::uint32_t& at,
                           std::uint32_t& length) {
  const std::string& key = FKeys[term];
  const std::size_t words = FQuery.Terms()[term].Words.size();
  const std::uint32_t firstBit = FQuery.FirstBit(term);
  std::size_t end = 0;
  const std::size_t begin = ScanWordStarts(text, from, to, key, FChecks[term] == ckWhole && words == 1, [&](std::size_t place) {
    if (!WordStartsAt(text, place)) return false;
    if (FChecks[term] != ckStem && words == 1) {
      end = WordEnd(text, place, to);
      return FChecks[term] == ckAny || end == place + key.size();
    }
    // The term's words one after the other, within one field (a 0 byte ends a field).
    std::size_t wordBegin = place;
    for (std::size_t k = 0; k < words; ++k) {
      if (k > 0) {
        wordBegin = end;
        while (wordBegin < to && text[wordBegin] != '\0' && !InWord(static_cast<unsigned char>(text[wordBegin]))) ++wordBegin;
        if (wordBegin >= to || text[wordBegin] == '\0') return false;
      }
      end = WordEnd(text, wordBegin, to);
      if (!((FQuery.Mask(text.substr(wordBegin, end - wordBegin)) >> (firstBit + k)) & 1)) return false;
    }
    return true;
  });
  if (begin >= to) return false;
  at = static_cast<std::uint32_t>(begin);
  length = static_cast<std::uint32_t>(end - begin);
  return true;
}

bool TWordSearch::HoldsAll(const TJournalIndex& index, std::size_t dream, std::uint32_t& at, std::uint32_t& length) {
  const std::size_t from = index.Dreams()[dream].Begin, to = index.End(dream);
  at = static_cast<std::uint32_t>(from);
  length = 0;
  bool first = true;
  for (const std::size_t term : FOrder) {
    std::uint32_t termAt = 0, termLength = 0;
    if (!FindTerm(index.Text(), from, to, term, termAt, termLength)) return false;
    if (first || termAt < at) {
      at = termAt;
      length = termLength;
      first = false;
    }
  }
  return true;
}

std::vector<TSearchHit> TWordSearch::Search(const std::vector<const TJournalIndex*>& sources, const TSearchFilter& filter) {
  std::vector<TSearchHit> hits;
  if (Empty() && !filter.Active()) return hits;
  for (std::uint32_t s = 0; s < sources.size(); ++s) {
    const TJournalIndex& index = *sources[s];
    const auto& dreams = index.Dreams();
    TSearchHit hit{s, 0, 0, 0};
    if (filter.Active() || Empty()) {
      for (std::size_t d = 0; d < dreams.size(); ++d)
        if (index.Passes(dreams[d], filter) && HoldsAll(index, d, hit.At, hit.Length)) {
          hit.Dream = static_cast<std::uint32_t>(d);
          hits.push_back(hit);
        }
      continue;
    }
    // The whole text is scanned for the first term; each dream it is found in is checked for the
    // rest, and the scan goes on after that dream.
    const std::string_view text = index.Text();
    std::size_t pos = 0, d = 0;
    std::uint32_t at = 0, length = 0;
    while (pos < text.size() && FindTerm(text, pos, text.size(), FOrder.front(), at, length)) {
      d = static_cast<std::size_t>(std::upper_bound(dreams.begin() + static_cast<std::ptrdiff_t>(d), dreams.end(), at,
                                                    [](std::uint32_t v, const auto& x) { return v < x.Begin; }) -
                                   dreams.begin()) - 1;
      if (FOrder.size() == 1 || HoldsAll(index, d, hit.At, hit.Length)) {
        if (FOrder.size() == 1) hit.At = at, hit.Length = length;
        hit.Dream = static_cast<std::uint32_t>(d);
        hits.push_back(hit);
      }
      pos = index.End(d);
    }
  }
  return hits;
}

std::vector<TSearchHit> TWordSearch::Refine(const std::vector<const TJournalIndex*>& sources, const std::vector<TSearchHit>& previous) {
  std::vector<TSearchHit> hits;
  for (TSearchHit hit : previous)
    if (HoldsAll(*sources[hit.Source], hit.Dream, hit.At, hit.Length)) hits.push_back(hit);
  return hits;
}

bool TWordSearch::Narrows(const TWordSearch& narrower) const {
  const auto& wider = FQuery.Terms();
  if (wider.empty()) return false;  // no terms: the filter alone decided, not the text
  return std::all_of(wider.begin(), wider.end(), [&](const TWordTerm& w) {
    return std::any_of(narrower.FQuery.Terms().begin(), narrower.FQuery.Terms().end(), [&](const TWordTerm& n) {
      if (n == w) return true;
      // A word that begins with what a wider "prefix*" asks for is found by it too.
      return w.Kind == TWordTerm::Prefix && (n.Kind == TWordTerm::Prefix || n.Kind == TWordTerm::Exact) &&
             n.Words.front().starts_with(w.Words.front());
    });
  });
}
