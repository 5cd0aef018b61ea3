// TInsights' themes: the word forms in the most dreams, the rising ones, and those that go with a
// label. Counted once per dream from each dream's sorted word-form ids into flat arrays.
#include <algorithm>
#include <cmath>

#include "vlm_InsightsData.h"
#include "vlm_Search.h"

namespace {

// The day `months` months before `day`, on the same day of the month or the month's last.
int MonthsBefore(int day, int months) {
  const TCivilDate d = CivilDate(day);
  int year = d.Year, month = d.Month - months;
  while (month < 1) {
    month += 12;
    --year;
  }
  for (int dom = d.Day;; --dom)
    if (const auto n = DayNumber(year, month, dom)) return *n;
}

// The latest year, quarter, month or week of first..last: the longest that first..last holds
// three times (so that "before" is long enough to compare with); else the last third.
int DefaultRecentFrom(int first, int last) {
  for (const int months : {12, 3, 1}) {
    const int from = MonthsBefore(last, months) + 1;
    if (from - first >= 2 * (last - from + 1)) return from;
  }
  if (last - 6 - first >= 14) return last - 6;
  return last - (last - first) / 3;
}

}  // namespace

// The word forms the user excluded (any form of a word excludes them all), by id.
static std::vector<std::uint8_t> ExcludedStems(TLexicon& lexicon, const std::vector<std::string>& exclusions) {
  std::vector<std::uint8_t> excluded(lexicon.StemCount(), 0);
  for (const std::string& word : exclusions)
    if (const auto stem = lexicon.FindStem(lexicon.Stemmer().Stem(word))) excluded[*stem] = 1;
  return excluded;
}

// The spelling of each of `stems` that most of the engine's dreams use.
static std::vector<std::string> DisplayWords(const TLexicon& lexicon, const std::vector<std::uint32_t>& wordDreams,
                                             const std::vector<std::uint32_t>& stems) {
  std::vector<std::int32_t> slot(lexicon.StemCount(), -1);
  for (std::size_t i = 0; i < stems.size(); ++i) slot[stems[i]] = static_cast<std::int32_t>(i);
  std::vector<std::uint32_t> best(stems.size(), 0);
  std::vector<std::string> words(stems.size());
  for (std::size_t i = 0; i < stems.size(); ++i) words[i] = lexicon.Stem(stems[i]);
  const std::size_t count = std::min(lexicon.WordCount(), wordDreams.size());
  for (std::uint32_t w = 0; w < count; ++w) {
    if (!lexicon.Countable(w)) continue;
    const std::int32_t s = slot[lexicon.StemOf(w)];
    if (s >= 0 && wordDreams[w] > best[static_cast<std::size_t>(s)]) {
      best[static_cast<std::size_t>(s)] = wordDreams[w];
      words[static_cast<std::size_t>(s)] = lexicon.Word(w);
    }
  }
  return words;
}

void TInsights::SetExclusions(const std::vector<std::string>& words) {
  F->Exclusions.clear();
  std::string folded;
  for (const std::string& word : words) {
    FoldWord(word, folded);
    F->Exclusions.push_back(folded);
  }
}

void TInsights::TData::CountDream(const TJournalData& data, const TDreamRecord& dream, int sign) {
  TThemeCounts& c = Counts;
  if (!c.Valid || !dream.WordsMade || !dream.Experience) return;
  const auto journal = static_cast<std::uint32_t>(&data - Journals.data());
  if (std::find(c.Scope.begin(), c.Scope.end(), journal) == c.Scope.end()) return;
  std::size_t row = c.Rows() - 1;
  if (dream.Date == kNoDate) {
    if (c.Range.From || c.Range.To) return;
  } else {
    if (!c.Range.Holds(dream.Date)) return;
    if (dream.Date < c.First || dream.Date > c.Last) {  // the dates' span moved: the periods change
      c.Valid = false;
      return;
    }
    row = c.PeriodOfDay[static_cast<std::size_t>(dream.Date - c.First)];
  }
  std::uint32_t highest = 0;
  data.Pool.ForEach(dream.Stems, [&](std::uint32_t stem) { highest = std::max(highest, stem); });
  if (highest >= c.Stride) {  // a word form new since the counts were made: wider rows
    const std::size_t stride = std::max<std::size_t>(highest + 1, Lexicon.StemCount()) + 64;
    std::vector<std::uint32_t> cells(c.Rows() * stride, 0);
    for (std::size_t r = 0; r < c.Rows(); ++r)
      std::copy_n(c.Cells.begin() + static_cast<std::ptrdiff_t>(r * c.Stride), c.Stride, cells.begin() + static_cast<std::ptrdiff_t>(r * stride));
    c.Cells.swap(cells);
    c.Stride = stride;
  }
  std::uint32_t* cells = c.Cells.data() + row * c.Stride;
  data.Pool.ForEach(dream.Stems, [&](std::uint32_t stem) { cells[stem] += static_cast<std::uint32_t>(sign); });
  c.Dreams += sign;
}

void TInsights::TData::MakeCounts() {
  TThemeCounts& c = Counts;
  c.Starts.clear();
  c.PeriodOfDay.assign(static_cast<std::size_t>(std::max(0, c.Last - c.First + 1)), 0);
  for (int start = c.First <= c.Last ? PeriodStart(c.Period, c.First) : 1; start <= c.Last; start = NextPeriodStart(c.Period, start)) {
    c.Starts.push_back(start);
    const int next = NextPeriodStart(c.Period, start);
    for (int day = std::max(start, c.First); day < next && day <= c.Last; ++day)
      c.PeriodOfDay[static_cast<std::size_t>(day - c.First)] = static_cast<std::uint32_t>(c.Starts.size() - 1);
  }
  c.Stride = Lexicon.StemCount();
  c.Cells.assign(c.Rows() * c.Stride, 0);
  c.Dreams = 0;
  const std::size_t undated = c.Rows() - 1;
  ForEachDream(c.Scope, c.Range, true, [&](const TJournalData& journal, const TDreamRecord& dream) {
    const std::size_t row = dream.Date == kNoDate ? undated : c.PeriodOfDay[static_cast<std::size_t>(dream.Date - c.First)];
    std::uint32_t* cells = c.Cells.data() + row * c.Stride;
    journal.Pool.ForEach(dream.Stems, [&](std::uint32_t stem) { ++cells[stem]; });
    ++c.Dreams;
  });
  c.Valid = true;
}

TThemes TInsights::Themes(const TScope& scope, const TDateRange& range, const TThemeOptions& options) {
  F->EnsureWords();
  const auto span = DateSpan(scope);
  const int first = range.From ? *range.From : span ? span->first : 0;
  const int last = range.To ? *range.To : span ? span->second : -1;
  const TPeriod period = options.SeriesPeriod ? *options.SeriesPeriod : first <= last ? PeriodForWidth(first, last, 24, 1) : TPeriod::Year;
  TThemeCounts& c = F->Counts;
  if (!c.Valid || c.Scope != scope || c.Range.From != range.From || c.Range.To != range.To || c.Period != period ||
      c.First != first || c.Last != last) {
    c.Scope = scope;
    c.Range = range;
    c.Period = period;
    c.First = first;
    c.Last = last;
    F->MakeCounts();
  }
  const TLexicon& lexicon = F->Lexicon;
  std::vector<std::uint32_t> counts(c.Stride, 0);
  for (std::size_t r = 0; r < c.Rows(); ++r) {
    const std::uint32_t* row = c.Cells.data() + r * c.Stride;
    for (std::size_t s = 0; s < c.Stride; ++s) counts[s] += row[s];
  }
  const std::vector<std::uint8_t> excluded = ExcludedStems(F->Lexicon, F->Exclusions);
  std::vector<std::uint32_t> stems;
  for (std::uint32_t s = 0; s < std::min(counts.size(), excluded.size()); ++s)
    if (counts[s] >= static_cast<std::uint32_t>(std::max(1, options.MinDreams)) && !excluded[s]) stems.push_back(s);
  const auto order = [&](std::uint32_t a, std::uint32_t b) {
    return counts[a] != counts[b] ? counts[a] > counts[b] : lexicon.Stem(a) < lexicon.Stem(b);
  };
  const std::size_t count = std::min(stems.size(), static_cast<std::size_t>(std::max(0, options.Count)));
  std::partial_sort(stems.begin(), stems.begin() + static_cast<std::ptrdiff_t>(count), stems.end(), order);
  stems.resize(count);
  const std::vector<std::string> words = DisplayWords(lexicon, F->WordDreams, stems);
  TThemes themes;
  themes.Dreams = c.Dreams;
  themes.Period = period;
  themes.Starts = c.Starts;
  for (std::size_t i = 0; i < count; ++i) {
    TTheme& theme = themes.Items.emplace_back(TTheme{stems[i], words[i], static_cast<int>(counts[stems[i]]), {}});
    for (std::size_t p = 0; p < c.Starts.size(); ++p) theme.Series.push_back(static_cast<int>(c.Cells[p * c.Stride + stems[i]]));
  }
  return themes;
}

// The word forms over-represented in a group of dreams against the others. `inGroup` and
// `outside` count, per word form, the dreams holding it in each.
//
// The statistic is the log odds ratio of a dream holding the word, group against the rest, with
// each odds smoothed by a Beta prior centred on the word's share of all the dreams (weight
// kPriorDreams dreams, half a dream at least on either side), divided by its standard error (the
// square root of the sum of the reciprocal smoothed counts, as Woolf's): a z-score, which weighs
// the size of the difference against how much evidence there is, as in Monroe, Colaresi and
// Quinn's "Fightin' Words" (2008). A word needs options.MinDreams dreams in the group, a z of
// options.MinScore (3: chance gives it about once in 700 words) and a share options.MinRatio times
// the rest's: many words give some by chance, and a tiny lift on a huge count is no finding.
static TContrast Contrast(const TLexicon& lexicon, const std::vector<std::uint32_t>& wordDreams,
                          const std::vector<std::uint8_t>& excluded, const std::vector<std::uint32_t>& inGroup,
                          const std::vector<std::uint32_t>& outside, int n1, int n0, const TContrastOptions& options) {
  constexpr double kPriorDreams = 10.0;
  TContrast contrast;
  contrast.GroupDreams = n1;
  contrast.OutsideDreams = n0;
  if (n1 == 0 || n0 == 0) return contrast;
  std::vector<std::pair<double, std::uint32_t>> found;
  for (std::uint32_t s = 0; s < inGroup.size(); ++s) {
    const double a = inGroup[s], b = outside[s];
    if (a < std::max(1, options.MinDreams) || excluded[s]) continue;
    if (a * n0 < options.MinRatio * b * n1) continue;
    const double p = (a + b) / (n1 + n0);
    const double alpha = 0.5 + kPriorDreams * p, beta = 0.5 + kPriorDreams * (1 - p);
    const double lift = std::log((a + alpha) / (n1 - a + beta)) - std::log((b + alpha) / (n0 - b + beta));
    const double z = lift / std::sqrt(1 / (a + alpha) + 1 / (n1 - a + beta) + 1 / (b + alpha) + 1 / (n0 - b + beta));
    if (z >= options.MinScore) found.push_back({z, s});
  }
  std::sort(found.begin(), found.end(), [](const auto& x, const auto& y) { return x.first != y.first ? x.first > y.first : x.second < y.second; });
  if (found.size() > static_cast<std::size_t>(std::max(0, options.Count))) found.resize(static_cast<std::size_t>(std::max(0, options.Count)));
  std::vector<std::uint32_t> stems;
  for (const auto& f : found) stems.push_back(f.second);
  const std::vector<std::string> words = DisplayWords(lexicon, wordDreams, stems);
  for (std::size_t i = 0; i < found.size(); ++i)
    contrast.Items.push_back({stems[i], words[i], static_cast<int>(inGroup[stems[i]]), static_cast<int>(outside[stems[i]]), found[i].first});
  return contrast;
}

TContrast TInsights::RisingThemes(const TScope& scope, const TDateRange& range, const TContrastOptions& options) {
  F->EnsureWords();
  const auto span = DateSpan(scope);
  const int first = range.From ? *range.From : span ? span->first : 0;
  const int last = range.To ? *range.To : span ? span->second : -1;
  if (first >= last) return {};
  const int recentFrom = options.RecentFrom ? *options.RecentFrom : DefaultRecentFrom(first, last);
  std::vector<std::uint32_t> recent(F->Lexicon.StemCount(), 0), before(F->Lexicon.StemCount(), 0);
  int n1 = 0, n0 = 0;
  F->ForEachDream(scope, TDateRange{first, last}, false, [&](const TJournalData& data, const TDreamRecord& dream) {
    const bool late = dream.Date >= recentFrom;
    ++(late ? n1 : n0);
    std::uint32_t* counts = late ? recent.data() : before.data();
    data.Pool.ForEach(dream.Stems, [&](std::uint32_t stem) { ++counts[stem]; });
  });
  return Contrast(F->Lexicon, F->WordDreams, ExcludedStems(F->Lexicon, F->Exclusions), recent, before, n1, n0, options);
}

TContrast TInsights::LabelWords(const TScope& scope, const TDateRange& range, int label, const TContrastOptions& options) {
  F->EnsureWords();
  if (label < 1 || label > kLabelCount) return {};
  std::vector<std::uint32_t> with(F->Lexicon.StemCount(), 0), without(F->Lexicon.StemCount(), 0);
  int n1 = 0, n0 = 0;
  F->ForEachDream(scope, range, true, [&](const TJournalData& data, const TDreamRecord& dream) {
    const bool on = (dream.Labels >> (label - 1)) & 1;
    ++(on ? n1 : n0);
    std::uint32_t* counts = on ? with.data() : without.data();
    data.Pool.ForEach(dream.Stems, [&](std::uint32_t stem) { ++counts[stem]; });
  });
  return Contrast(F->Lexicon, F->WordDreams, ExcludedStems(F->Lexicon, F->Exclusions), with, without, n1, n0, options);
}
