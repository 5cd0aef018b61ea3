// Selecting a 10-year journal (3,653 days, 10,959 dreams) in the main window, offscreen, and
// taking back (and doing again) the deletion of a day of a 50-year journal:
//   FirstSelection: the journal is read, its branch added to the tree, both charts counted and
//                   drawn, and the window repainted. Each iteration starts a fresh window.
//   Reselection:    the catalog is selected, then the journal again (only the journal is timed):
//                   both charts counted again from the loaded journal and drawn.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFontDatabase>
#include <QPersistentModelIndex>
#include <QTemporaryDir>
#include <QToolButton>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "fifty_years.h"
#include "journal_generator.h"
#include "vlm_MainForm.h"
#include "vlm_Types.h"
#include "vlm_Widgets.h"
#include "silent_interaction.h"

namespace {

struct TFolder {
  QTemporaryDir Dir;
  TFolder() {
    const std::string journal = GenerateJournal(10);
    QFile file(Dir.filePath(QStringLiteral("ten.xml")));
    if (file.open(QIODevice::WriteOnly)) file.write(journal.data(), static_cast<qint64>(journal.size()));
  }
  // A library with one catalog holding the journal, not marked as the default: the window starts
  // without loading it. Written anew before every window, since closing marks the journal.
  void WriteLibrary() const {
    QFile file(Dir.filePath(QStringLiteral("dreams.ini")));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return;
    file.write("<?xml version=\"1.0\" encoding=\"UTF-8\" language=\"EN\" standalone=\"yes\"?>\r\n"
               "<dreamlibrary name=\"L\">\r\n"
               "  <label caption=\"1\" />\r\n  <label caption=\"2\" />\r\n"
               "  <label caption=\"3\" />\r\n  <label caption=\"4\" />\r\n"
               "  <directory name=\"C\">\r\n"
               "    <file name=\"Ten\" path=\"" + Dir.filePath(QStringLiteral("ten.xml")).toUtf8() + "\" />\r\n"
               "  </directory>\r\n"
               "</dreamlibrary>\r\n");
  }
};

TFolder& Folder() {
  static TFolder folder;
  return folder;
}

std::unique_ptr<Tfrm_MainForm> NewWindow(TUserInteraction& ui) {
  Folder().WriteLibrary();
  auto form = std::make_unique<Tfrm_MainForm>(ui, Folder().Dir.path() + QLatin1Char('/'));
  form->show();
  QApplication::processEvents();
  return form;
}

// The row captioned `caption` among the library's catalogs (journals are not entered).
QPersistentModelIndex Find(Tfrm_MainForm& form, const char* caption) {
  QAbstractItemModel* model = form.tre_Directory->model();
  for (std::vector<QModelIndex> pending{model->index(0, 0)}; !pending.empty();) {
    const QModelIndex index = pending.back();
    pending.pop_back();
    if (index.data().toString() == QString::fromUtf8(caption)) return index;
    const TXMLNode* element = Tfrm_MainForm::NodeOf(index);
    if (element && element->Name == tagJournal) continue;
    for (int i = model->rowCount(index) - 1; i >= 0; --i) pending.push_back(model->index(i, 0, index));
  }
  return {};
}

int Rows(Tfrm_MainForm& form, const QModelIndex& index) { return form.tre_Directory->model()->rowCount(index); }

void Select(Tfrm_MainForm& form, const QModelIndex& item) {
  form.tre_Directory->setCurrentIndex(item);
  QApplication::processEvents();  // the tree and the charts repainted
}

void BM_FirstSelection(benchmark::State& state) {
  TSilentInteraction ui;
  int days = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto form = NewWindow(ui);
    const QPersistentModelIndex journal = Find(*form, "Ten");
    state.ResumeTiming();
    Select(*form, journal);
    state.PauseTiming();
    days = Rows(*form, journal);
    form.reset();  // writes the journal back, untimed
    state.ResumeTiming();
  }
  if (days < 3650) state.SkipWithError(("days in the tree: " + std::to_string(days)).c_str());
  if (!ui.Failures.isEmpty()) state.SkipWithError(ui.Failures.first().toStdString().c_str());
}

void BM_Reselection(benchmark::State& state) {
  TSilentInteraction ui;
  auto form = NewWindow(ui);
  const QPersistentModelIndex journal = Find(*form, "Ten");
  const QPersistentModelIndex catalog = Find(*form, "C");
  Select(*form, journal);
  for (auto _ : state) {
    state.PauseTiming();
    Select(*form, catalog);
    state.ResumeTiming();
    Select(*form, journal);
  }
  if (!ui.Failures.isEmpty()) state.SkipWithError(ui.Failures.first().toStdString().c_str());
}

// A 50-year journal as the default one, with a day of it deleted: taking the deletion back and
// doing it again, each with the tree following and the window repainted.
struct TFiftyYears : TFiftyYearsLibrary {
  TFiftyYears() : TFiftyYearsLibrary(true) {}
};

void DayDeletionStep(benchmark::State& state, bool timeRedo) {
  TSilentInteraction ui;
  static TFiftyYears folder;
  auto form = std::make_unique<Tfrm_MainForm>(ui, folder.Dir.path() + QLatin1Char('/'));
  form->show();
  // The default journal is read on a thread while the window shows.
  QElapsedTimer waited;
  waited.start();
  while (form->DefaultJournalsPending() && waited.elapsed() < 20000) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  const QPersistentModelIndex journal = Find(*form, "Fifty");
  if (!journal.isValid() || Rows(*form, journal) < 18000) {
    state.SkipWithError("the 50-year journal is not in the tree");
    return;
  }
  Select(*form, form->tre_Directory->model()->index(9000, 0, journal));
  form->btn_Delete->click();
  QApplication::processEvents();
  for (auto _ : state) {
    if (timeRedo) state.PauseTiming();
    form->TakeStep(false);
    QApplication::processEvents();
    if (timeRedo) state.ResumeTiming(); else state.PauseTiming();
    form->TakeStep(true);
    QApplication::processEvents();
    if (!timeRedo) state.ResumeTiming();
  }
  if (!ui.Failures.isEmpty()) state.SkipWithError(ui.Failures.first().toStdString().c_str());
  form->Library().UndoStack().clear();
  form->Library().SetViewOnly(true);  // the files stay as generated
}

void BM_UndoDayDeletion(benchmark::State& state) { DayDeletionStep(state, false); }
void BM_RedoDayDeletion(benchmark::State& state) { DayDeletionStep(state, true); }

}  // namespace

BENCHMARK(BM_UndoDayDeletion)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);
BENCHMARK(BM_RedoDayDeletion)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);
BENCHMARK(BM_FirstSelection)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);
BENCHMARK(BM_Reselection)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(30);

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  for (const char* font : {"/usr/share/wine/fonts/tahoma.ttf", "/usr/share/wine/fonts/tahomabd.ttf"})
    if (QFile::exists(QLatin1String(font))) QFontDatabase::addApplicationFont(QLatin1String(font));
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
