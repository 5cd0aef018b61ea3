#pragma once
// The records behind TInsights, shared by its source files (not part of its interface).
#include <array>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "vlm_Insights.h"
#include "vlm_Lexicon.h"

inline constexpr int kNoDate = std::numeric_limits<int>::min();

// A list of distinct ids (in the order first met: a set, which no count needs sorted), kept as
// variable-length bytes (seven bits a byte) in a pool shared by a journal's lists. Ids are given
// in the order words are first met, so the common words have small ids and take a byte.
struct TIdSpan {
  std::uint32_t At = 0, Size = 0;
};

class TIdPool {
public:
  TIdSpan Add(const std::vector<std::uint32_t>& ids);
  void Release(TIdSpan span) { FGarbage += span.Size; }
  template <class F>
  void ForEach(TIdSpan span, F&& f) const {
    const std::uint8_t* p = FBytes.data() + span.At;
    const std::uint8_t* const end = p + span.Size;
    while (p < end) {
      std::uint32_t id = *p++;
      if (id & 0x80) {
        id &= 0x7F;
        for (int shift = 7;; shift += 7) {
          const std::uint32_t b = *p++;
          id |= (b & 0x7F) << shift;
          if (!(b & 0x80)) break;
        }
      }
      f(id);
    }
  }
  // Whether dropped lists take enough room to copy the live ones into a new pool.
  bool Wasteful() const { return FGarbage > (1u << 20) && FGarbage * 2 > FBytes.size(); }
  std::size_t MemoryBytes() const { return FBytes.capacity(); }
  // Copies `span` from `from` (a compaction).
  TIdSpan CopyFrom(const TIdPool& from, TIdSpan span);
  // Gives back what growing took beyond an eighth more than is used.
  void Trim();

private:
  std::vector<std::uint8_t> FBytes;
  std::size_t FGarbage = 0;
};

struct TNightRecord {
  const TXMLNode* Node = nullptr;  // nullptr: removed
  int Date = kNoDate;
  bool WordsMade = false;
  TIdSpan Words;  // of its own comment
};

struct TDreamRecord {
  const TXMLNode* Experience = nullptr;  // nullptr: removed
  std::uint32_t Night = 0;
  int Date = kNoDate;  // its night's
  std::int16_t Energy = -1;  // the stored level 0 .. kEnergyMaximum; -1: none that is valid
  std::uint8_t Labels = 0;   // bit n-1 for label n
  bool WordsMade = false;
  TIdSpan Words;  // every distinct word of its title, description and comment
  TIdSpan Stems;  // the distinct word forms of its countable words
};

struct TJournalData {
  const TXMLNode* Root = nullptr;  // nullptr: removed
  std::vector<TNightRecord> Nights;
  std::vector<TDreamRecord> Dreams;
  TIdPool Pool;
};

// A text ReadTexts copied, waiting for MakeWordForms.
struct TPendingText {
  std::uint32_t Journal = 0, Record = 0;
  bool Night = false;
  std::size_t Block = 0, Begin = 0, End = 0;  // in TData::PendingBlocks
};

// The dreams holding each word form per period of the last themes asked for, kept up to date as
// dreams change: the themes after an edit are summed from here, not counted again.
struct TThemeCounts {
  bool Valid = false;
  TScope Scope;
  TDateRange Range;
  TPeriod Period = TPeriod::Year;
  int First = 0, Last = -1;  // the days of the periods (the range, its open ends closed by the dates)
  std::vector<int> Starts;   // each period's first day
  std::vector<std::uint32_t> PeriodOfDay;  // by day - First
  std::size_t Stride = 0;    // word forms a row has room for
  // Row p < Starts.size(): the dated dreams of period p; the last row: the undated dreams (an
  // open range counts them, though no period shows them). Cell: dreams holding the word form.
  std::vector<std::uint32_t> Cells;
  int Dreams = 0;
  std::size_t Rows() const { return Starts.size() + 1; }
};

struct TInsights::TData {
  TLexicon Lexicon;
  std::vector<TJournalData> Journals;
  std::vector<std::uint32_t> WordDreams;  // by word: the engine's live dreams holding it (for display words)
  std::vector<std::string> Exclusions;    // folded
  std::vector<std::string> PendingBlocks;
  std::vector<TPendingText> Pending;
  bool WordsWanted = false;  // word forms were asked for: a dream read from now on gets them at once
  TThemeCounts Counts;

  TJournalData& Journal(std::uint32_t journal);
  const TJournalData* LiveJournal(std::uint32_t journal) const;  // nullptr for an unknown or removed one

  void ReadJournal(TJournalData& data, const TXMLNode& root);
  std::uint32_t NightOf(TJournalData& data, const TXMLNode& night);  // found or added; date read again
  void ReadDream(TJournalData& data, TDreamRecord& dream, const TXMLNode& experience);
  // The word forms of a dream's or night's text (fields separated by line breaks), replacing
  // what it had.
  void SetDreamWords(TJournalData& data, TDreamRecord& dream, std::string_view text);
  void SetNightWords(TJournalData& data, TNightRecord& night, std::string_view text);
  void DropWords(TJournalData& data, TDreamRecord& dream);
  // Adds (+1) or takes away (-1) a dream's word forms in Counts, or lets Counts go where it cannot.
  void CountDream(const TJournalData& data, const TDreamRecord& dream, int sign);
  // Counts anew the question Counts holds (scope, range, period and days), in one pass.
  void MakeCounts();
  void Compact(TJournalData& data);
  void ReadTexts();
  void MakeWordForms();
  void EnsureWords();
  void Forget(TJournalData& data);  // drops its records, words and pending texts

  // The dreams of the scope whose date is in the range; undated ones too when the range is open
  // at both ends and `undated` is set.
  template <class F>
  void ForEachDream(const TScope& scope, const TDateRange& range, bool undated, F&& f) const {
    const bool open = !range.From && !range.To;
    for (const std::uint32_t j : scope) {
      const TJournalData* data = LiveJournal(j);
      if (!data) continue;
      for (const TDreamRecord& dream : data->Dreams) {
        if (!dream.Experience) continue;
        if (dream.Date == kNoDate ? (open && undated) : range.Holds(dream.Date)) f(*data, dream);
      }
    }
  }

private:
  std::vector<std::uint32_t> FIds, FStems;
  // The text last collected in each word and word form: telling the first occurrence in a text
  // from the others costs a look-up, not a sort.
  std::vector<std::uint32_t> FWordStamp, FStemStamp;
  std::uint32_t FStamp = 0;
  std::vector<char> FLowered;
  std::vector<std::uint32_t> FBounds;
  void CollectWords(std::string_view text);  // into FIds, distinct; FStems: their countable word forms
};

// The texts of a dream's fields (title, description, comment) and of a night's own comment, as
// the search reads them.
std::array<std::string_view, 3> DreamFields(const TXMLNode& experience);
void AppendDreamText(const TXMLNode& experience, std::string& out);  // the fields, a line break between
std::string_view NightCommentText(const TXMLNode& night);
