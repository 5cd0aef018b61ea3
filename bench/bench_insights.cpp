// The insights of the 50-year journal (18,263 nights, 54,789 dreams, 43 MB), computed below the
// window from the journal's tree, read once before:
//   OverTimeFromTree:  a new engine reads the tree's records and counts the series of the whole
//                      journal at the period an 800-pixel chart needs (the chart shown first).
//   OverTimeChange:    the period or range changed: the series counted again from the records.
//   ThemesFirst:       a new engine reads the tree, copies the texts, makes every dream's word
//                      forms (stemming each distinct word) and counts the themes of the whole
//                      journal with their small series; counters: the word forms' and records'
//                      memory over the file's size.
//   ThemesAfterEdit:   one dream's description changed, passed on, and the themes counted again.
//   RisingThemes, LabelWords, Recall, FindDreams: the other questions, on a ready engine.
//   InternDistinctWords: 100,000 distinct words (the generated journal has 84: a real diary's
//                      vocabulary costs its stemming here) interned into a new lexicon.
// Then, in fresh processes (what a user pays on the first use): the medians of the first series
// and the first themes, and the heap the word forms keep, measured by the allocator.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <QFile>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "fifty_years.h"
#include "vlm_EntryFields.h"
#include "vlm_Insights.h"
#include "vlm_Lexicon.h"
#include "vlm_Types.h"
#include "vlm_WordQuery.h"
#include "xml_functions.h"
#include "xml_mainUnit.h"
#include "xml_node.h"

namespace {

TFiftyYearsLibrary& Folder() {
  static TFiftyYearsLibrary folder(false);
  return folder;
}

TXMLParser& Journal() {
  static TXMLParser* doc = [] {
    auto* d = new TXMLParser;
    d->LoadFromFile(Folder().Path());
    return d;
  }();
  return *doc;
}

double FileBytes() { return static_cast<double>(std::filesystem::file_size(Folder().Path())); }

TSeries FirstSeries(const TInsights& insights, const TScope& scope) {
  const auto span = insights.DateSpan(scope);
  return insights.OverTime(scope, {}, PeriodForWidth(span->first, span->second, 800));
}

// An engine with the journal's word forms made, shared by the cases that start from one.
struct TReady {
  TInsights Insights;
  TScope Scope;
  TReady() : Scope{Insights.AddJournal(*Journal().Root)} { Insights.Themes(Scope, {}); }
};
TReady& Ready() {
  static TReady ready;
  return ready;
}

void BM_OverTimeFromTree(benchmark::State& state) {
  const TXMLNode& root = *Journal().Root;  // read before the timing
  std::size_t buckets = 0;
  for (auto _ : state) {
    TInsights insights;
    const TScope scope{insights.AddJournal(root)};
    buckets = FirstSeries(insights, scope).Buckets.size();
  }
  state.counters["periods"] = static_cast<double>(buckets);
  if (buckets != 50) state.SkipWithError("not 50 years");
}

void BM_OverTimeChange(benchmark::State& state) {
  TReady& r = Ready();
  const auto span = r.Insights.DateSpan(r.Scope);
  int round = 0;
  for (auto _ : state) {
    const TPeriod period = kPeriods[round % 4];
    const TDateRange range = round % 2 ? TDateRange{} : TDateRange{span->second - 3650, span->second};
    benchmark::DoNotOptimize(r.Insights.OverTime(r.Scope, range, period));
    ++round;
  }
}

void BM_ThemesFirst(benchmark::State& state) {
  const TXMLNode& root = *Journal().Root;
  std::size_t indexBytes = 0, recordBytes = 0, themes = 0;
  for (auto _ : state) {
    TInsights insights;
    const TScope scope{insights.AddJournal(root)};
    insights.ReadTexts();
    insights.MakeWordForms();
    themes = insights.Themes(scope, {}).Items.size();
    state.PauseTiming();
    indexBytes = insights.WordIndexBytes();
    recordBytes = insights.RecordBytes();
    state.ResumeTiming();
  }
  state.counters["index/file"] = static_cast<double>(indexBytes) / FileBytes();
  state.counters["records/file"] = static_cast<double>(recordBytes) / FileBytes();
  state.counters["index_MB"] = static_cast<double>(indexBytes) / 1e6;
  if (themes != 30) state.SkipWithError("no themes");
}

void BM_ThemesAfterEdit(benchmark::State& state) {
  TReady& r = Ready();
  TXMLNode& root = *Journal().Root;
  TXMLNode& night = *root.GetChild(root.ChildCount() / 2);
  TXMLNode& dream = *night.GetChild(night.ChildCount() - 1);
  const std::string texts[] = {Utf8ToCp1251("Дракон летал над старым мостом, потом снова дракон."),
                               Utf8ToCp1251("Кошка ждала у окна, и зеркало светилось.")};
  int round = 0, first = 0;
  for (auto _ : state) {
    state.PauseTiming();
    SetChildText(dream, tagDescription, texts[round++ % 2]);
    state.ResumeTiming();
    r.Insights.UpdateDream(r.Scope[0], night, dream);
    first = r.Insights.Themes(r.Scope, {}).Items.front().Dreams;
  }
  state.counters["top_dreams"] = first;
}

void BM_RisingThemes(benchmark::State& state) {
  TReady& r = Ready();
  for (auto _ : state) benchmark::DoNotOptimize(r.Insights.RisingThemes(r.Scope, {}));
}

void BM_LabelWords(benchmark::State& state) {
  TReady& r = Ready();
  for (auto _ : state) benchmark::DoNotOptimize(r.Insights.LabelWords(r.Scope, {}, 1));
}

void BM_Recall(benchmark::State& state) {
  TReady& r = Ready();
  for (auto _ : state) benchmark::DoNotOptimize(r.Insights.Recall(r.Scope, {}, r.Insights.DateSpan(r.Scope)->second));
}

void BM_FindDreams(benchmark::State& state, const char* query) {
  TReady& r = Ready();
  std::size_t found = 0;
  for (auto _ : state) {
    TWordQuery q{Utf8ToCp1251(query)};
    found = r.Insights.FindDreams(r.Scope, {}, q).size();
  }
  state.counters["found"] = static_cast<double>(found);
}

void BM_InternDistinctWords(benchmark::State& state) {
  // Russian-looking words from syllables, each distinct.
  const char* const syllables[] = {"ка", "ро", "ми", "ле", "ту", "на", "вы", "зо", "пе", "ши", "да", "го", "ся", "бу", "ре", "лю"};
  std::vector<std::string> words;
  for (int i = 0; i < 100000; ++i) {
    std::string w;
    for (int v = i + 16; v; v /= 16) w += syllables[v % 16];
    words.push_back(Utf8ToCp1251(w + (i % 3 ? "ами" : "ого")));
  }
  for (auto _ : state) {
    TLexicon lexicon;
    for (const std::string& w : words) lexicon.Intern(w);
    benchmark::DoNotOptimize(lexicon.StemCount());
  }
}

BENCHMARK(BM_OverTimeFromTree)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_OverTimeChange)->Unit(benchmark::kMillisecond)->Iterations(40);
BENCHMARK(BM_ThemesFirst)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ThemesAfterEdit)->Unit(benchmark::kMillisecond)->Iterations(100);
BENCHMARK(BM_RisingThemes)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_LabelWords)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_Recall)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK_CAPTURE(BM_FindDreams, forms, "кошкой")->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK_CAPTURE(BM_FindDreams, phrase, "\"старый мост\"")->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_InternDistinctWords)->Unit(benchmark::kMillisecond)->Iterations(3);

double MillisecondsSince(std::chrono::steady_clock::time_point t0) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

// The heap in use, mapped blocks (the large ones) included.
std::size_t HeapInUse() {
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

double ProcessorMs() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// One fresh process: the journal read, then the first series and the first themes timed (wall
// clock and processor time); the heap the engine keeps after them. Prints five numbers.
int OnceMode(const char* file) {
  TXMLParser doc;
  doc.LoadFromFile(file);
  if (doc.Status != xrOk) return 1;
  const std::size_t before = HeapInUse();
  TInsights insights;
  auto t0 = std::chrono::steady_clock::now();
  double cpu0 = ProcessorMs();
  const TScope scope{insights.AddJournal(*doc.Root)};
  benchmark::DoNotOptimize(FirstSeries(insights, scope));
  const double seriesMs = MillisecondsSince(t0), seriesCpu = ProcessorMs() - cpu0;
  t0 = std::chrono::steady_clock::now();
  cpu0 = ProcessorMs();
  insights.ReadTexts();
  insights.MakeWordForms();
  benchmark::DoNotOptimize(insights.Themes(scope, {}));
  const double themesMs = MillisecondsSince(t0), themesCpu = ProcessorMs() - cpu0;
  std::printf("%.3f %.3f %.3f %.3f %zu\n", seriesMs, seriesCpu, themesMs, themesCpu, HeapInUse() - before);
  return 0;
}

void PrintFresh(int rounds) {
  const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  std::vector<double> samples[5];
  for (int i = 0; i < rounds; ++i) {
    FILE* out = ::popen(("'" + self + "' --once '" + Folder().Path() + "'").c_str(), "r");
    if (!out) continue;
    double v[5] = {};
    if (std::fscanf(out, "%lf %lf %lf %lf %lf", &v[0], &v[1], &v[2], &v[3], &v[4]) == 5)
      for (int k = 0; k < 5; ++k) samples[k].push_back(v[k]);
    ::pclose(out);
  }
  auto median = [&](int k) {
    std::vector<double> v = samples[k];
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
  };
  std::printf("\nIn a fresh process, 50-year journal (%.1f MB), medians of %zu rounds:\n", FileBytes() / 1e6, samples[0].size());
  std::printf("  %-44s %9s %11s %8s\n", "", "wall", "processor", "limit");
  std::printf("  %-44s %6.1f ms %8.1f ms %5d ms\n", "first series (records read, whole journal)", median(0), median(1), 30);
  std::printf("  %-44s %6.1f ms %8.1f ms %5d ms\n", "first themes (texts, word forms, themes)", median(2), median(3), 400);
  std::printf("  %-44s %6.1f MB = %.2fx the file (limit 0.3x)\n", "heap the engine keeps", median(4) / 1e6, median(4) / FileBytes());
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && !std::strcmp(argv[1], "--once")) return OnceMode(argv[2]);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  PrintFresh(7);
  return 0;
}
