#pragma once
// What a diary's dreams say over the years: counts over time, recall, recurring and rising themes,
// the words that go with a label, the dreams of this night in earlier years, and the dreams a
// query finds by word forms. Computed from compact records of the journals' dreams (date, labels,
// energy, and the set of word forms of each dream as interned ids), kept up to date dream by dream.
// Plain C++ below the window; all text is Windows-1251 bytes.
//
// Threads. An engine owns all its state (its own stemmers included): different engines may work
// on different threads at once; one engine is used by one thread at a time. The members marked
// [tree] read the journals' nodes: call them on the thread that owns the documents (the window's),
// or where no one changes the documents meanwhile. Every other member touches only the engine's
// own data and may run on any thread; in particular the costly first word forms:
//   window thread:  engine.AddJournal(root); engine.ReadTexts();   (records and a copy of the texts)
//   worker thread:  engine.MakeWordForms(); engine.Themes(...);    (the words found, interned, stemmed)
//   window thread:  edits made meanwhile are passed on (UpdateDream, ...) once the worker is done.
// Results are plain values, free of the engine. (bench/bench_insights.cpp measures each step on
// the 50-year journal.)
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "vlm_Periods.h"
#include "vlm_Types.h"

class TXMLNode;
class TWordQuery;

// Days (see vlm_Periods.h), both ends included; an open end is unbounded.
struct TDateRange {
  std::optional<int> From, To;
  bool Holds(int day) const { return (!From || day >= *From) && (!To || day <= *To); }
};

// The journals of an engine a question is about, by the ids AddJournal gave.
using TScope = std::vector<std::uint32_t>;

// A dream: its journal and its place among the journal's records (a removed dream's place is not
// reused; ReplaceJournal numbers the journal's dreams anew).
struct TDreamRef {
  std::uint32_t Journal = 0, Dream = 0;
  bool operator==(const TDreamRef&) const = default;
};

// One period of a series. Only dreams whose night's name is a date are counted over time.
struct TBucket {
  int Start = 0;  // the period's first day (see PeriodStart), also when the range starts later
  int Next = 0;   // the next period's first day
  int Dreams = 0;
  int Nights = 0;  // dates with at least one dream (nights of one date in several journals count once)
  std::array<int, kLabelCount> Labels{};  // dreams carrying label 1 .. 4
  int EnergyDreams = 0;    // dreams with a valid energy level
  double EnergySum = 0.0;  // their energies, +1 .. -1 as the night's chart shows them
  std::optional<double> MeanEnergy() const;
};

struct TSeries {
  TPeriod Period = TPeriod::Month;
  std::vector<TBucket> Buckets;  // every period from the range's (or the first dream's) to the last, empty ones too
};

struct TRecall {
  int Nights = 0, Dreams = 0;
  int UndatedDreams = 0;  // dreams in the scope whose night's name is no date (not in the figures)
  double DreamsPerNight = 0.0;
  int LongestRun = 0;          // consecutive dates with dreams
  std::optional<int> LongestRunStart;  // its first day (the earliest of equal runs)
  int CurrentRun = 0;          // the run (in the range) that ends today or, when today has none yet, yesterday
  std::array<int, 7> NightsByWeekday{}, DreamsByWeekday{};  // Monday first
  std::array<int, 12> NightsByMonth{}, DreamsByMonth{};     // January first
};

// A word form: its id in the engine, the spelling most dreams of the engine use for it, and the
// dreams of the scope and range that hold it (each dream once).
struct TTheme {
  std::uint32_t Stem = 0;
  std::string Word;
  int Dreams = 0;
  std::vector<int> Series;  // dreams holding it per period of TThemes::Starts
};

struct TThemeOptions {
  int Count = 30;     // the most frequent this many
  int MinDreams = 2;  // fewer is no theme
  std::optional<TPeriod> SeriesPeriod;  // of the small series; by default the one that gives at most 24 points
};

struct TThemes {
  int Dreams = 0;  // dreams counted (in the scope and range)
  TPeriod Period = TPeriod::Year;
  std::vector<int> Starts;  // the first day of each period of the series
  std::vector<TTheme> Items;  // most dreams first
};

// A word form over-represented in one group of dreams against the rest (see Contrast in
// vlm_InsightsThemes.cpp for the statistic).
struct TContrastItem {
  std::uint32_t Stem = 0;
  std::string Word;
  int InGroup = 0, Outside = 0;  // dreams holding it
  double Score = 0.0;            // a z-score: 3 and more is seldom chance
};

struct TContrast {
  int GroupDreams = 0, OutsideDreams = 0;
  std::vector<TContrastItem> Items;  // highest score first
};

struct TContrastOptions {
  int Count = 20;
  int MinDreams = 5;        // in the group
  double MinScore = 3.0;
  double MinRatio = 2.0;    // the group's share of dreams holding it over the rest's, at least
  std::optional<int> RecentFrom;  // rising themes: where the latest part begins (see RisingThemes)
};

class TInsights {
public:
  // Throws std::runtime_error when libstemmer has no Russian or English stemmer.
  TInsights();
  ~TInsights();
  TInsights(TInsights&&) noexcept;
  TInsights& operator=(TInsights&&) noexcept;

  // [tree] Reads a journal's dreams into records (not yet their words); returns its id. The
  // nodes are remembered: tell the engine about every later change of the journal below, and
  // remove the journal before its document goes.
  std::uint32_t AddJournal(const TXMLNode& root);
  // [tree] Reads the journal anew (after a change too large to pass on dream by dream).
  void ReplaceJournal(std::uint32_t journal, const TXMLNode& root);
  // Forgets a journal (its id stays unused).
  void RemoveJournal(std::uint32_t journal);
  // [tree] One dream of `night` (the element holding it) changed or was added: its record and,
  // when they are made, its word forms are read again (on the 50-year journal, well under 5 ms).
  void UpdateDream(std::uint32_t journal, const TXMLNode& night, const TXMLNode& experience);
  // [tree] A night changed: its name (date), its comment, or which dreams it holds (added,
  // deleted, moved in or out: call it for both nights of a move).
  void UpdateNight(std::uint32_t journal, const TXMLNode& night);
  // A night and its dreams were deleted (the pointer only identifies it).
  void RemoveNight(std::uint32_t journal, const TXMLNode* night);

  // [tree] Copies the texts of the dreams whose word forms are not made yet.
  void ReadTexts();
  // Makes the word forms of the texts ReadTexts copied.
  void MakeWordForms();
  // The user's own words that are never themes (any form of them), Windows-1251.
  void SetExclusions(const std::vector<std::string>& words);

  // A dream's nodes (nullptr once it was removed) and date (none when its night's name is no date).
  const TXMLNode* Experience(TDreamRef dream) const;
  const TXMLNode* Night(TDreamRef dream) const;
  std::optional<int> Date(TDreamRef dream) const;
  // The first and last date holding a dream in the scope.
  std::optional<std::pair<int, int>> DateSpan(const TScope& scope) const;

  TSeries OverTime(const TScope& scope, const TDateRange& range, TPeriod period) const;
  // `today` is a day number: the current run ends there.
  TRecall Recall(const TScope& scope, const TDateRange& range, int today) const;
  // The dreams of `day`'s date (day and month) in earlier years, the latest first; on 28 February
  // of a year without 29 February, those of 29 February too.
  std::vector<TDreamRef> OnThisNight(const TScope& scope, int day) const;

  // The members below need the word forms: without them they make them first ([tree] then).
  // The word forms held by the most dreams of the scope and range (the undated dreams too when
  // the range is open at both ends), each dream counted once. The counts are kept and follow the
  // changes passed on, so the same question after an edit costs a sum, not a count.
  TThemes Themes(const TScope& scope, const TDateRange& range, const TThemeOptions& options = {});
  // Themes much more frequent in the latest part of the range than before it (dated dreams). The
  // latest part begins at options.RecentFrom; by default it is the last year, quarter, month or
  // week of the range (or of the dreams' dates), the longest of them the range holds three times.
  TContrast RisingThemes(const TScope& scope, const TDateRange& range, const TContrastOptions& options = {});
  // Words over-represented in dreams carrying label `label` (1 .. 4) against those without it.
  TContrast LabelWords(const TScope& scope, const TDateRange& range, int label, const TContrastOptions& options = {});
  // [tree, for phrases] The dreams of the scope and range that hold every term of the query
  // (in a field of their own or their night's comment), journal by journal in the order read;
  // nothing for an empty query.
  std::vector<TDreamRef> FindDreams(const TScope& scope, const TDateRange& range, TWordQuery& query);

  // Bytes the word forms take (the lexicon, every dream's and night's ids, and the counts the last
  // themes keep for the next), and the records.
  std::size_t WordIndexBytes() const;
  std::size_t RecordBytes() const;

private:
  struct TData;
  std::unique_ptr<TData> F;
};
