// Exporting the 50-year journal (18,263 nights, 54,789 dreams) with its two charts:
//   Html, Markdown, Text: the whole journal to one file (goals: HTML under 2 s, the others under 1 s).
//   Pdf:  the same on A4 pages; also the longest time between two calls of the progress callback
//         (the progress dialog should move at least every half second).
// At the end the PDF's time is printed over the text export's, both from this run.
// Pictures are named but not there, as after moving a journal without its pictures.
#include <benchmark/benchmark.h>

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>

#include "journal_generator.h"
#include "offscreen_main.h"
#include "vlm_Export.h"
#include "xml_mainUnit.h"

namespace {
struct TFiftyYears {
  QTemporaryDir Dir;
  TXMLParser Journal;
  TExportContent Content;
  TFiftyYears() {
    Journal.LoadFromString(GenerateJournal(50));
    Content.Title = QStringLiteral("Пятьдесят лет");
    ReadLabelCaptions(nullptr, Content);
    Content.Journals.push_back(JournalPart(Content.Title, *Journal.Root, {}));
  }
};

std::map<TExportFormat, double> gSeconds;  // the wall time of one export, the mean of the iterations

TFiftyYears& Fifty() {
  static TFiftyYears fifty;
  return fifty;
}

void Run(benchmark::State& state, TExportFormat format) {
  TFiftyYears& fifty = Fifty();
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
  gSeconds[format] = all.nsecsElapsed() / 1e9 / static_cast<double>(state.iterations());
  state.counters["dreams"] = fifty.Content.DreamCount();
  state.counters["longest_progress_gap_ms"] = static_cast<double>(longest);
}

void BM_Html(benchmark::State& state) { Run(state, TExportFormat::Html); }
void BM_Markdown(benchmark::State& state) { Run(state, TExportFormat::Markdown); }
void BM_Text(benchmark::State& state) { Run(state, TExportFormat::Text); }
void BM_Pdf(benchmark::State& state) { Run(state, TExportFormat::Pdf); }
}  // namespace

BENCHMARK(BM_Html)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_Markdown)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_Text)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_Pdf)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

int main(int argc, char** argv) {
  const int status = RunOffscreen<QGuiApplication>(argc, argv);
  if (gSeconds.count(TExportFormat::Pdf) && gSeconds.count(TExportFormat::Text))
    std::printf("PDF export %.0f ms, text export %.0f ms in the same run: %.1fx\n", gSeconds[TExportFormat::Pdf] * 1000,
                gSeconds[TExportFormat::Text] * 1000, gSeconds[TExportFormat::Pdf] / gSeconds[TExportFormat::Text]);
  return status;
}
