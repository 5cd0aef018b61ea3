// Searching the 50-year journal (18,263 nights, 54,789 dreams, 43 MB) from the search panel of the
// main window, offscreen, beside the time it takes to read the file:
//   ReadJournal:  the file read into a document, nothing more.
//   FirstSearch:  a word typed into a fresh window: the journal loaded (its nodes in the tree),
//                 indexed and searched, and the result list shown.
//   Keystroke:    one letter more of two words of a description, typed one after the other ("старый
//                 мост"), to the updated and repainted result list; the mean over the letters.
//   SearchAnew:   a word pasted into an empty field: the whole journal's text searched for its
//                 forms; SearchAnewPrefix "зерк*" (every word so begun), SearchAnewPhrase
//                 "старый мост" in quotes (the two words one after the other).
//   IndexForms/N, IndexBytes/N: the search alone on the whole journal's index, by word forms
//                 and, as the peer in the same run, by the plain byte search of earlier versions.
//   FirstSearchOf5000Journals: a word typed into a fresh window on a library of 5,000 small
//                 journals, none loaded: every journal read and loaded, then searched. The counter
//                 longest_freeze_ms is the longest the window did not answer meanwhile.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>

#include "fifty_years.h"
#include "offscreen_main.h"
#include "vlm_MainForm.h"
#include "vlm_SearchPanel.h"
#include "silent_interaction.h"
#include "vlm_Search.h"
#include "vlm_WordSearch.h"
#include "xml_functions.h"
#include "xml_mainUnit.h"

namespace {

// The journal in a library that does not load it at the start.
struct TFiftyYears : TFiftyYearsLibrary {
  TFiftyYears() : TFiftyYearsLibrary(false) {}
};

TFiftyYears& Folder() {
  static TFiftyYears folder;
  return folder;
}

std::unique_ptr<Tfrm_MainForm> NewWindow(TUserInteraction& ui) {
  auto form = std::make_unique<Tfrm_MainForm>(ui, Folder().Dir.path() + QLatin1Char('/'));
  form->show();
  form->pnl_Search->Activate();
  QApplication::processEvents();
  return form;
}

// Types `text` into the field and waits for the list, repainted.
void Enter(Tfrm_MainForm& form, const QString& text) {
  form.pnl_Search->edt_Search->setText(text);
  while (form.pnl_Search->Loading()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
  QApplication::processEvents();
}

void BM_ReadJournal(benchmark::State& state) {
  for (auto _ : state) {
    auto doc = std::make_unique<TXMLParser>();
    doc->LoadFromFile(Folder().Path());
    state.PauseTiming();
    if (!doc->Root || doc->Root->ChildCount() < 18000) state.SkipWithError("the journal was not read");
    doc.reset();
    state.ResumeTiming();
  }
}

void BM_FirstSearch(benchmark::State& state) {
  TSilentInteraction ui;
  int found = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto form = NewWindow(ui);
    state.ResumeTiming();
    Enter(*form, QString::fromUtf8("зеркало"));
    state.PauseTiming();
    found = form->pnl_Search->ResultCount();
    form.reset();  // nothing changed: nothing is written
    state.ResumeTiming();
  }
  if (found < 1000) state.SkipWithError(("dreams found: " + std::to_string(found)).c_str());
  if (!ui.Failures.isEmpty()) state.SkipWithError(ui.Failures.first().toStdString().c_str());
}

void Typing(benchmark::State& state, bool anew, const char* query = "зеркало") {
  TSilentInteraction ui;
  auto form = NewWindow(ui);
  Enter(*form, QString::fromUtf8("сон"));  // loads and indexes the journal
  const QString words = QString::fromUtf8(anew ? query : "старый мост");
  int letters = 0, found = 0;
  for (auto _ : state) {
    if (anew) {
      state.PauseTiming();
      Enter(*form, QString());
      state.ResumeTiming();
      Enter(*form, words);
    } else {
      letters = letters % words.size() + 1;
      if (letters == 1) {  // typing starts again in an empty field
        state.PauseTiming();
        Enter(*form, QString());
        state.ResumeTiming();
      }
      Enter(*form, words.left(letters));
    }
    found = form->pnl_Search->ResultCount();
  }
  state.counters["found"] = found;
  if (!ui.Failures.isEmpty()) state.SkipWithError(ui.Failures.first().toStdString().c_str());
}

// 5,000 journals of two nights and six dreams each, in 50 catalogs.
struct TFiveThousand {
  QTemporaryDir Dir;
  static constexpr int kJournals = 5000;
  TFiveThousand() {
    const QByteArray declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" language=\"EN\" standalone=\"yes\"?>\r\n";
    QByteArray library = declaration + "<dreamlibrary name=\"L\">\r\n";
    QDir(Dir.path()).mkdir(QStringLiteral("journals"));
    for (int i = 0; i < kJournals; ++i) {
      const QByteArray name = "journals/j" + QByteArray::number(i) + ".xml";
      if (i % 100 == 0) library += (i ? "  </directory>\r\n" : "") + QByteArray("  <directory name=\"C\">\r\n");
      library += "    <file name=\"J" + QByteArray::number(i) + "\" path=\"" + name + "\" />\r\n";
      QByteArray journal = declaration + "<velmora>\r\n";
      for (int night = 1; night <= 2; ++night) {
        journal += "  <day name=\"0" + QByteArray::number(night) + ".01.24\">\r\n";
        for (int dream = 1; dream <= 3; ++dream)
          journal += "    <experience number=\"" + QByteArray::number(dream) + "\" title=\"Dream " + QByteArray::number(i) +
                     "\">\r\n      <description>Sea, a boat and the old bridge " + QByteArray::number(i) +
                     ".</description>\r\n    </experience>\r\n";
        journal += "  </day>\r\n";
      }
      QFile file(Dir.filePath(QString::fromLatin1(name)));
      if (file.open(QIODevice::WriteOnly)) file.write(journal + "</velmora>\r\n");
    }
    QFile file(Dir.filePath(QStringLiteral("dreams.ini")));
    if (file.open(QIODevice::WriteOnly)) file.write(library + "  </directory>\r\n</dreamlibrary>\r\n");
  }
};

void BM_FirstSearchOf5000Journals(benchmark::State& state) {
  static TFiveThousand library;
  TSilentInteraction ui;
  int found = 0;
  qint64 longest = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto form = std::make_unique<Tfrm_MainForm>(ui, library.Dir.path() + QLatin1Char('/'));
    form->show();
    form->pnl_Search->Activate();
    QApplication::processEvents();
    // The longest the event loop went without turning, from a timer that asks every 5 ms.
    QElapsedTimer since;
    QTimer tick;
    tick.setInterval(5);
    QObject::connect(&tick, &QTimer::timeout, [&] { longest = std::max(longest, since.restart()); });
    since.start();
    tick.start();
    state.ResumeTiming();
    Enter(*form, QStringLiteral("bridge"));
    state.PauseTiming();
    longest = std::max(longest, since.elapsed());
    tick.stop();
    found = form->pnl_Search->ResultCount();
    form.reset();
    state.ResumeTiming();
  }
  state.counters["longest_freeze_ms"] = static_cast<double>(longest);
  if (found != 6 * TFiveThousand::kJournals) state.SkipWithError(("dreams found: " + std::to_string(found)).c_str());
  if (!ui.Failures.isEmpty()) state.SkipWithError(ui.Failures.first().toStdString().c_str());
}

// The search alone, on the index of the whole journal (no window): by word forms, and the plain
// byte search of earlier versions as the peer, in the same run. Queries by the argument.
const char* const kIndexQueries[] = {"с", "ста", "старый", "старый м", "старый мост", "зеркало"};

const TJournalIndex& FiftyYearsIndex() {
  static TXMLParser doc;
  static std::unique_ptr<TJournalIndex> index;
  if (!index) {
    doc.LoadFromFile(Folder().Path());
    index = std::make_unique<TJournalIndex>(*doc.Root);
  }
  return *index;
}

void BM_IndexForms(benchmark::State& state) {
  const TJournalIndex& index = FiftyYearsIndex();
  const std::string query = Utf8ToCp1251(kIndexQueries[state.range(0)]);
  std::size_t found = 0;
  for (auto _ : state) found = TWordSearch(query).Search({&index}, {}).size();
  state.SetLabel(kIndexQueries[state.range(0)]);
  state.counters["found"] = static_cast<double>(found);
  // No index of word forms is made: the folded text the search had before is all it keeps.
  state.counters["index_to_file"] = static_cast<double>(index.Text().size() + index.Dreams().size() * sizeof(TJournalIndex::TDream)) /
                                    static_cast<double>(QFileInfo(QString::fromStdString(Folder().Path())).size());
}

void BM_IndexBytes(benchmark::State& state) {
  const TJournalIndex& index = FiftyYearsIndex();
  const std::string query = Utf8ToCp1251(kIndexQueries[state.range(0)]);
  std::size_t found = 0;
  for (auto _ : state) found = SearchDreams({&index}, ParseSearchQuery(query), {}).size();
  state.SetLabel(kIndexQueries[state.range(0)]);
  state.counters["found"] = static_cast<double>(found);
}

void BM_Keystroke(benchmark::State& state) { Typing(state, false); }
void BM_SearchAnew(benchmark::State& state) { Typing(state, true); }
void BM_SearchAnewPrefix(benchmark::State& state) { Typing(state, true, "зерк*"); }
void BM_SearchAnewPhrase(benchmark::State& state) { Typing(state, true, "\"старый мост\""); }

}  // namespace

BENCHMARK(BM_ReadJournal)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_FirstSearch)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_Keystroke)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(110);
BENCHMARK(BM_SearchAnew)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);
BENCHMARK(BM_SearchAnewPrefix)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);
BENCHMARK(BM_SearchAnewPhrase)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);
BENCHMARK(BM_IndexForms)->DenseRange(0, 5)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_IndexBytes)->DenseRange(0, 5)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_FirstSearchOf5000Journals)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

int main(int argc, char** argv) { return RunOffscreen<QApplication>(argc, argv); }
