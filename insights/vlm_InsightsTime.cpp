// TInsights over time: counts per period, recall, and the dreams of this night in earlier years.
#include <algorithm>

#include "vlm_InsightsData.h"

namespace {

// The dates with dreams in first..last, one byte a day.
struct TNightMap {
  int First = 0;
  std::vector<std::uint8_t> Has;
  TNightMap(int first, int last) : First(first), Has(static_cast<std::size_t>(last - first + 1), 0) {}
  void Mark(int day) { Has[static_cast<std::size_t>(day - First)] = 1; }
  bool Holds(int day) const { return day >= First && day - First < static_cast<int>(Has.size()) && Has[static_cast<std::size_t>(day - First)]; }
};

bool IsLeap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

}  // namespace

std::optional<double> TBucket::MeanEnergy() const {
  if (EnergyDreams == 0) return std::nullopt;
  return EnergySum / EnergyDreams;
}

std::optional<std::pair<int, int>> TInsights::DateSpan(const TScope& scope) const {
  std::optional<std::pair<int, int>> span;
  F->ForEachDream(scope, {}, false, [&](const TJournalData&, const TDreamRecord& dream) {
    if (!span) span = {dream.Date, dream.Date};
    span->first = std::min(span->first, dream.Date);
    span->second = std::max(span->second, dream.Date);
  });
  return span;
}

// The days the range covers, its open ends closed by the dreams' dates; none when nothing is there.
static std::optional<std::pair<int, int>> Bounds(const TInsights& insights, const TScope& scope, const TDateRange& range) {
  std::optional<std::pair<int, int>> span;
  if (!range.From || !range.To) {
    span = insights.DateSpan(scope);
    if (!span) return std::nullopt;
  }
  const int first = range.From ? *range.From : span->first;
  const int last = range.To ? *range.To : span->second;
  if (first > last) return std::nullopt;
  return std::pair{first, last};
}

TSeries TInsights::OverTime(const TScope& scope, const TDateRange& range, TPeriod period) const {
  TSeries series;
  series.Period = period;
  const auto bounds = Bounds(*this, scope, range);
  if (!bounds) return series;
  const auto [first, last] = *bounds;
  // Each day of the range to its bucket, so that a dream costs a look-up.
  std::vector<std::uint32_t> bucketOfDay(static_cast<std::size_t>(last - first + 1));
  for (int start = PeriodStart(period, first); start <= last;) {
    const int next = NextPeriodStart(period, start);
    TBucket bucket;
    bucket.Start = start;
    bucket.Next = next;
    series.Buckets.push_back(bucket);
    const auto index = static_cast<std::uint32_t>(series.Buckets.size() - 1);
    for (int day = std::max(start, first); day < next && day <= last; ++day) bucketOfDay[static_cast<std::size_t>(day - first)] = index;
    start = next;
  }
  TNightMap nights(first, last);
  const TDateRange closed{first, last};
  F->ForEachDream(scope, closed, false, [&](const TJournalData&, const TDreamRecord& dream) {
    TBucket& bucket = series.Buckets[bucketOfDay[static_cast<std::size_t>(dream.Date - first)]];
    ++bucket.Dreams;
    nights.Mark(dream.Date);
    for (int n = 0; n < kLabelCount; ++n) bucket.Labels[static_cast<std::size_t>(n)] += (dream.Labels >> n) & 1;
    if (dream.Energy >= 0) {
      ++bucket.EnergyDreams;
      bucket.EnergySum += static_cast<double>(kEnergyMiddle - dream.Energy) / kEnergyMiddle;
    }
  });
  for (std::size_t i = 0; i < nights.Has.size(); ++i)
    if (nights.Has[i]) ++series.Buckets[bucketOfDay[i]].Nights;
  return series;
}

TRecall TInsights::Recall(const TScope& scope, const TDateRange& range, int today) const {
  TRecall recall;
  F->ForEachDream(scope, {}, true, [&](const TJournalData&, const TDreamRecord& dream) {
    if (dream.Date == kNoDate) ++recall.UndatedDreams;
  });
  const auto bounds = Bounds(*this, scope, range);
  if (!bounds) return recall;
  const auto [first, last] = *bounds;
  TNightMap nights(first, last);
  F->ForEachDream(scope, TDateRange{first, last}, false, [&](const TJournalData&, const TDreamRecord& dream) {
    ++recall.Dreams;
    nights.Mark(dream.Date);
    ++recall.DreamsByWeekday[static_cast<std::size_t>(Weekday(dream.Date))];
    ++recall.DreamsByMonth[static_cast<std::size_t>(CivilDate(dream.Date).Month - 1)];
  });
  int run = 0;
  for (int day = first; day <= last; ++day) {
    if (!nights.Holds(day)) {
      run = 0;
      continue;
    }
    ++recall.Nights;
    ++recall.NightsByWeekday[static_cast<std::size_t>(Weekday(day))];
    ++recall.NightsByMonth[static_cast<std::size_t>(CivilDate(day).Month - 1)];
    if (++run > recall.LongestRun) {
      recall.LongestRun = run;
      recall.LongestRunStart = day - run + 1;
    }
  }
  if (recall.Nights) recall.DreamsPerNight = static_cast<double>(recall.Dreams) / recall.Nights;
  // The morning's dream may not be written down yet: a run that ended yesterday still runs.
  for (int day = nights.Holds(today) ? today : today - 1; nights.Holds(day); --day) ++recall.CurrentRun;
  return recall;
}

std::vector<TDreamRef> TInsights::OnThisNight(const TScope& scope, int day) const {
  const TCivilDate today = CivilDate(day);
  const bool leapDayToo = today.Month == 2 && today.Day == 28 && !IsLeap(today.Year);
  std::vector<std::pair<int, TDreamRef>> found;
  for (const std::uint32_t j : scope) {
    const TJournalData* data = F->LiveJournal(j);
    if (!data) continue;
    for (std::uint32_t d = 0; d < data->Dreams.size(); ++d) {
      const TDreamRecord& dream = data->Dreams[d];
      if (!dream.Experience || dream.Date == kNoDate || dream.Date >= day) continue;
      const TCivilDate date = CivilDate(dream.Date);
      if (date.Year >= today.Year || date.Month != today.Month) continue;
      if (date.Day == today.Day || (leapDayToo && date.Day == 29)) found.push_back({dream.Date, {j, d}});
    }
  }
  std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
  std::vector<TDreamRef> dreams;
  for (const auto& f : found) dreams.push_back(f.second);
  return dreams;
}
