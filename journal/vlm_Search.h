#pragma once
// Finding dreams as the user types: an index of a journal's searchable text, folded once, and the
// matching of a query (words and "quoted phrases", all of which must be found, in any order) with
// the filters by label, energy level and date. Works on the Windows-1251 bytes as they are kept;
// never changes a document. Plain C++ below the search panel.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "vlm_Dates.h"

class TXMLNode;

// Folds case in Windows-1251 (Latin, Russian and the other Cyrillic letters of the code page) and
// makes Ё/ё an е; line breaks, tabs and the no-break blank become blanks. One byte to one byte, so
// offsets in a folded text are offsets in the original.
unsigned char FoldByte(unsigned char c);
std::string FoldText(std::string_view cp1251);

// The terms of a query, folded: words split at blanks, and each "quoted phrase" as one term (its
// blank runs as one blank; an unclosed quote runs to the end). No empty term.
std::vector<std::string> ParseSearchQuery(std::string_view cp1251);
// True when every dream that matches `narrower` also matches `wider`: each term of `wider` lies
// within a term of `narrower` (typing on refines the last result instead of searching anew).
bool QueryNarrows(const std::vector<std::string>& wider, const std::vector<std::string>& narrower);

// A date as a day number (days since 1 January 1970); nullopt for a date that does not exist.
std::optional<int> DayNumber(int year, int month, int day);
// A day's name `dd.mm.yy` read as a date, its year by FullYear (vlm_Dates.h) when it is
// `thisYear` now; nullopt for a name that is not such a date.
std::optional<int> DayNumberOfName(std::string_view name, int thisYear = ThisYear());

enum TLabelFilter : std::uint8_t { lfEither, lfYes, lfNo };

struct TSearchFilter {
  TLabelFilter Labels[4] = {lfEither, lfEither, lfEither, lfEither};
  int EnergyMin = 0, EnergyMax = 200;  // a dream without an energy level counts as 100
  std::optional<int> DateFrom, DateTo;  // day numbers, inclusive; a night whose name is no date fails
  bool Active() const;
  bool operator==(const TSearchFilter&) const = default;
};

// The searchable text of every dream of one journal: its title, description and comment and its
// night's own comment, folded and kept in one buffer, with what the filters need. Valid while the
// journal is not changed (its nodes are pointed to).
class TJournalIndex {
public:
  enum TField { sfTitle, sfDescription, sfComment, sfDayComment, kFieldCount };
  struct TDream {
    const TXMLNode* Experience = nullptr;
    const TXMLNode* Day = nullptr;  // the element holding the dream (a day, as a rule)
    std::uint32_t Begin = 0;        // the title's first byte in Text()
    std::uint32_t FieldEnd[kFieldCount] = {};  // each field ends here; a 0 byte follows it
    std::optional<int> Date;
    int Energy = 100;
    std::uint8_t Labels = 0;  // bit n-1 for label n
  };

  explicit TJournalIndex(const TXMLNode& root);
  const std::vector<TDream>& Dreams() const { return FDreams; }
  std::string_view Text() const { return {FText.get(), FTextSize}; }
  std::uint32_t End(std::size_t dream) const { return FDreams[dream].FieldEnd[kFieldCount - 1] + 1; }
  bool Passes(const TDream& dream, const TSearchFilter& filter) const;
  // The original (unfolded) bytes of a field of a dream.
  static std::string_view FieldText(const TDream& dream, TField field);

private:
  std::vector<TDream> FDreams;
  std::unique_ptr<char[]> FText;  // not zero-filled first: every byte is written once
  std::size_t FTextSize = 0;
};

struct TSearchHit {
  std::uint32_t Source = 0;  // the index's position in the list searched
  std::uint32_t Dream = 0;   // in the index's Dreams()
  std::uint32_t At = 0;      // the first match in the index's Text() (the title's start without terms)
  std::uint32_t Length = 0;
};

// Every dream of `sources` (in order) that passes `filter` and holds every term. Without terms,
// every dream that passes an active filter; nothing when the filter is not active either.
std::vector<TSearchHit> SearchDreams(const std::vector<const TJournalIndex*>& sources,
                                     const std::vector<std::string>& terms, const TSearchFilter& filter);
// The same, looked for only among `previous` (a search with a wider query, same sources and filter).
std::vector<TSearchHit> RefineSearch(const std::vector<const TJournalIndex*>& sources,
                                     const std::vector<TSearchHit>& previous, const std::vector<std::string>& terms);

// The text around a hit: up to `radius` bytes either side of the match, cut at blanks, from the
// original field; the match's place in it.
struct TSnippet {
  TJournalIndex::TField Field = TJournalIndex::sfTitle;
  std::string Text;
  std::size_t MatchBegin = 0, MatchLength = 0;
};
TSnippet MakeSnippet(const TJournalIndex& index, const TSearchHit& hit, std::size_t radius);
