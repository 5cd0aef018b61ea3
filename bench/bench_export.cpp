// Exporting the 50-year journal (18,263 nights, 54,789 dreams) with its two charts:
//   Html, Markdown, Text: the whole journal to one file (goals: HTML under 2 s, the others under 1 s).
//   Pdf:  the same on A4 pages; also the longest time between two calls of the progress callback
//         (the progress dialog should move at least every half second).
// Text100Years, Pdf100Years: the same of a 100-year journal.
// At the end the PDF's time is printed over the text export's, both from this run, and the
// 100-year times over the 50-year ones.
// Pictures are named but not there, as after moving a journal without its pictures.
#include <benchmark/benchmark.h>

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <utility>

#include "journal_generator.h"
#include "offscreen_main.h"
#include "vlm_Export.h"
#include "xml_mainUnit.h"

namespace {
struct TFiftyYears {
  QTemporaryDir Dir;
  TXMLParser Journal;
  TExportContent Content;
  explicit TFiftyYears(int years = 50) {
    Journal.LoadFromString(GenerateJournal(years));
    Content.Title = QStringLiteral("Пятьдесят лет");
    ReadLabelCaptions(nullptr, Content);
    Content.Journals.push_back(JournalPart(Content.Title, *Journal.Root, {}));
  }
};

// The wall time of one export, the mean of the iterations, by format and years.
std::map<std::pair<TExportFormat, int>, double> gSeconds;

TFiftyYears& Fifty(int years = 50) {
  static std::map<int, std::unique_ptr<TFiftyYears>> journals;
  std::unique_ptr<TFiftyYears>& journal = journals[years];
  if (!journal) journal = std::make_unique<TFiftyYears>(years);
  return *journal;
}

void Run(benchmark::State& state, TExportFormat format, int years = 50) {
  TFiftyYears& fifty = Fifty(years);
  TExportOptions options;
  options.Format = format;
  options.Output = fifty.Dir.filePath(QStringLiteral("fifty.") + ExportSuffix(format));
  options.PictureFile = [&fifty](const std::string& path) { return fifty.Dir.filePath(QString::fromStdString(path)); };
  QElapsedTimer since;
  qint64 longest = 0;
  options.Progress = [&](int, int) {
    if (since.isValid()) longest = std::max(longest, since.elapsed());
    since.start();
    return true;
  };
  QElapsedTimer all;
  all.start();
  for (auto _ : state) {
    since.invalidate();
    const TExportResult result = Export(fifty.Content, options);
    if (result.Outcome != TExportResult::Done) state.SkipWithError(result.Error.toUtf8().constData());
  }
  gSeconds[{format, years}] = all.nsecsElapsed() / 1e9 / static_cast<double>(state.iterations());
  state.counters["dreams"] = fifty.Content.DreamCount();
  state.counters["longest_progress_gap_ms"] = static_cast<double>(longest);
}

void BM_Html(benchmark::State& state) { Run(state, TExportFormat::Html); }
void BM_Markdown(benchmark::State& state) { Run(state, TExportFormat::Markdown); }
void BM_Text(benchmark::State& state) { Run(state, TExportFormat::Text); }
void BM_Pdf(benchmark::State& state) { Run(state, TExportFormat::Pdf); }
void BM_Text100Years(benchmark::State& state) { Run(state, TExportFormat::Text, 100); }
void BM_Pdf100Years(benchmark::State& state) { Run(state, TExportFormat::Pdf, 100); }
}  // namespace

BENCHMARK(BM_Html)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_Markdown)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_Text)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_Pdf)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_Text100Years)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_Pdf100Years)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

int main(int argc, char** argv) {
  const int status = RunOffscreen<QGuiApplication>(argc, argv);
  for (int years : {50, 100}) {
    const double pdf = gSeconds[{TExportFormat::Pdf, years}], text = gSeconds[{TExportFormat::Text, years}];
    if (pdf > 0 && text > 0)
      std::printf("%d years: PDF export %.0f ms, text export %.0f ms in the same run: %.1fx\n", years, pdf * 1000, text * 1000,
                  pdf / text);
  }
  for (TExportFormat format : {TExportFormat::Text, TExportFormat::Pdf})
    if (gSeconds[{format, 50}] > 0 && gSeconds[{format, 100}] > 0)
      std::printf("%s: 100 years take %.2fx the 50 years\n", qPrintable(ExportSuffix(format)),
                  gSeconds[{format, 100}] / gSeconds[{format, 50}]);
  return status;
}
