// Searching the 50-year journal (18,263 nights, 54,789 dreams, 43 MB) from the search panel of the
// main window, offscreen, beside the time it takes to read the file:
//   ReadJournal:  the file read into a document, nothing more.
//   FirstSearch:  a word typed into a fresh window: the journal loaded (its nodes in the tree),
//                 indexed and searched, and the result list shown.
//   Keystroke:    one letter more of two words of a description, typed one after the other ("старый
//                 мост"), to the updated and repainted result list; the mean over the letters.
//   SearchAnew:   a word pasted into an empty field: the whole journal's text searched.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <cstdlib>
#include <memory>
#include <string>

#include "fifty_years.h"
#include "offscreen_main.h"
#include "vlm_MainForm.h"
#include "vlm_SearchPanel.h"
#include "silent_interaction.h"
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

void Typing(benchmark::State& state, bool anew) {
  TSilentInteraction ui;
  auto form = NewWindow(ui);
  Enter(*form, QString::fromUtf8("сон"));  // loads and indexes the journal
  const QString words = QString::fromUtf8(anew ? "зеркало" : "старый мост");
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

void BM_Keystroke(benchmark::State& state) { Typing(state, false); }
void BM_SearchAnew(benchmark::State& state) { Typing(state, true); }

}  // namespace

BENCHMARK(BM_ReadJournal)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_FirstSearch)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_Keystroke)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(110);
BENCHMARK(BM_SearchAnew)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);

int main(int argc, char** argv) { return RunOffscreen<QApplication>(argc, argv); }
