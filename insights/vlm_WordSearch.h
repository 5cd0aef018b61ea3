#pragma once
// The search panel's search by word forms, on the folded text of journals' search indexes
// (TJournalIndex, vlm_Search.h) with the query language of TWordQuery: "кот" finds "кота" and
// "коту" and not "который", "кот*" every word beginning so, "кот" in quotes that word alone,
// several quoted words a phrase. No index of word forms is kept: the text is scanned for the bytes
// every matching word begins with, and only the words found there are judged (each distinct word
// stemmed once per query).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "vlm_Search.h"
#include "vlm_WordQuery.h"

class TWordSearch {
public:
  explicit TWordSearch(std::string_view cp1251);

  bool Empty() const { return FQuery.Empty(); }
  // Every dream of `sources` (in order) that passes `filter` and holds every term; without terms,
  // every dream that passes an active filter; nothing when the filter is not active either. A
  // hit's At and Length are the earliest match.
  std::vector<TSearchHit> Search(const std::vector<const TJournalIndex*>& sources, const TSearchFilter& filter);
  // The same, looked for only among `previous` (see Narrows).
  std::vector<TSearchHit> Refine(const std::vector<const TJournalIndex*>& sources, const std::vector<TSearchHit>& previous);
  // True when every dream `narrower` finds, this query finds too (typing on after "ко*" searches
  // only what it found).
  bool Narrows(const TWordSearch& narrower) const;
  // Every match in a text (original or folded): its bytes.
  std::vector<TWordMatch> Find(std::string_view text) { return FQuery.Find(text); }

private:
  // The first match of term `term` in text[from, to).
  bool FindTerm(std::string_view text, std::size_t from, std::size_t to, std::size_t term, std::uint32_t& at,
                std::uint32_t& length);
  bool HoldsAll(const TJournalIndex& index, std::size_t dream, std::uint32_t& at, std::uint32_t& length);

  TWordQuery FQuery;
  std::vector<std::string> FKeys;    // by term: the folded bytes every word it matches begins with
  // By term: how a word that begins with the key is judged without stemming it, for a single word.
  enum TCheck : unsigned char { ckStem, ckWhole, ckAny };
  std::vector<TCheck> FChecks;
  std::vector<std::size_t> FOrder;   // the terms, the longest key (the rarest, as a rule) first
};
