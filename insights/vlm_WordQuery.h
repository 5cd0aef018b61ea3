#pragma once
// Search by word forms. A plain word finds the same word in any of its forms, by the same
// stemmers as the themes ("кот" finds "кота", "коту", "коте" and not "который"; "летать" finds
// "летал"); "кот*" finds every word that begins with "кот"; a word in quotes finds exactly that
// word; several words in quotes find them one after the other, as a phrase (whatever blanks or
// punctuation stand between them). Case never counts, and Ё is Е. Works on any Windows-1251 text
// (the original or the search index's folded one: offsets are the same), and with TInsights'
// word forms for a whole journal at once (TInsights::FindDreams).
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "vlm_Lexicon.h"

struct TWordTerm {
  enum TKind : std::uint8_t { Forms, Prefix, Exact, Phrase };
  TKind Kind = Forms;
  std::vector<std::string> Words;  // folded (lowercase, ё as е): one, or a phrase's
  bool operator==(const TWordTerm&) const = default;
};

// The terms of a query: words split at blanks and punctuation, a trailing "*" making a prefix,
// "quoted" words exact (one) or a phrase (several); an unclosed quote runs to the end.
std::vector<TWordTerm> ParseWordQuery(std::string_view cp1251);

// Where a term was found in a text: its bytes [Begin, End) (a phrase from its first word to its last).
struct TWordMatch {
  std::uint32_t Begin = 0, End = 0;
  std::uint32_t Term = 0;  // in Terms()
  bool operator==(const TWordMatch&) const = default;
};

// A query ready to match: the stems of its plain words made once, and each word met in the texts
// judged once and remembered. Not shared between threads (it keeps a stemmer and what it met).
class TWordQuery {
public:
  explicit TWordQuery(std::vector<TWordTerm> terms);
  explicit TWordQuery(std::string_view cp1251) : TWordQuery(ParseWordQuery(cp1251)) {}

  const std::vector<TWordTerm>& Terms() const { return FTerms; }
  bool Empty() const { return FTerms.empty(); }
  // Every place in `text` where a term is found, in the text's order.
  std::vector<TWordMatch> Find(std::string_view text);
  // True when every term is found in one of `texts` (the fields of a dream and its night).
  bool Matches(std::initializer_list<std::string_view> texts);

  // Which words of the terms a word satisfies, one bit per word (a phrase has a bit for each of
  // its words), from the word folded and its stem; All() is every bit. At most 64 words count.
  std::uint64_t WordMask(std::string_view folded, std::string_view stem) const;
  std::uint64_t All() const { return FAll; }
  bool HasPhrase() const;
  // The same for a word as found in a text (any case), judged once and remembered.
  std::uint64_t Mask(std::string_view word) { return MaskOf(word); }
  // The bit of a term's first word; a phrase's next words have the next bits.
  std::uint32_t FirstBit(std::size_t term) const { return FFirstSlot[term]; }
  // The folded word a bit stands for; for a plain word, its stem.
  std::string_view BitWord(std::size_t bit) const { return FSlots[bit].Word; }

private:
  friend class TInsights;
  // Marks in `found` (one a term) the terms found among the words of one text, given each word's
  // WordMask in order.
  void FoundIn(const std::vector<std::uint64_t>& masks, std::vector<char>& found) const;
  struct TSlot {
    TWordTerm::TKind Kind;
    std::string Word;  // folded; for Forms its stem
  };
  std::uint64_t MaskOf(std::string_view word);  // remembered
  std::vector<TWordTerm> FTerms;
  std::vector<TSlot> FSlots;
  std::vector<std::uint32_t> FFirstSlot;  // by term
  std::uint64_t FAll = 0;
  TStemmer FStemmer;
  TStringTable FSeen;
  std::vector<std::uint64_t> FSeenMasks;
  std::string FFolded;
};
