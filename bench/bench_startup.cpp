// Start-up of the program to a shown window, each round in a fresh process: a library whose
// default journal is a generated journal of 1, 10 or 50 years. The time runs from starting the
// process to the window's first paint, as the parent sees it (loading the program, Qt, the
// library and the tree included); the process's peak resident memory until then is reported
// beside it. The default journal is read on a thread while the window shows: shown_ms and
// shown_peak_rss_mib are the same figures up to the journal read and selected in the tree.
// Beside each round pugixml loads the same file in a fresh process (velmora_bench_xml --once, from
// the same folder): pugixml_ms is its load, shown_over_pugixml the ratio of the medians, and
// peak_over_file the peak at the journal shown over the file's size. longest_stall_ms is the
// longest time the window's event loop did not turn between the first paint and the journal shown
// (a timer asks every 5 ms): how long the window would not answer the user.
//
//   build/bin/velmora_bench_startup                  all sizes
//   build/bin/velmora_bench_startup --child DIR FD   one start (used by the rounds themselves)
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "journal_generator.h"
#include "vlm_Application.h"
#include "vlm_MainForm.h"
#include "vlm_UserInteraction.h"

extern char** environ;

namespace {

// A message box would wait for a person: a start that has something to say is a failed round.
class TFailOnMessages : public TQtUserInteraction {
public:
  void ShowError(QWidget*, const QString& text) override { Fail(text); }
  void ShowWarning(QWidget*, const QString& text) override { Fail(text); }

private:
  [[noreturn]] static void Fail(const QString& text) {
    std::fprintf(stderr, "start-up said: %s\n", text.toLocal8Bit().constData());
    std::_Exit(3);
  }
};

// Tells the parent on `fd` once the window has painted and once its default journal is shown,
// then ends without the shut-down writing.
class TFirstPaint : public QObject {
public:
  TFirstPaint(int fd, Tfrm_MainForm& window) : FFd(fd), FWindow(window) {}
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint && !FSeen) {
      FSeen = true;
      FSince.start();
      connect(&FTicks, &QTimer::timeout, this, [this] {
        FLongest = std::max(FLongest, FSince.restart());
      });
      FTicks.start(5);
      QTimer::singleShot(0, [this] {
        Tell();
        if (!FWindow.DefaultJournalsPending()) return Shown();
        QObject::connect(&FWindow, &Tfrm_MainForm::DefaultJournalsShown, [this] {
          QTimer::singleShot(0, [this] { Shown(); });  // after the rows are laid out
        });
      });
    }
    return false;
  }

private:
  // The process's own processor time too (the wall time depends on what else runs), and its peak.
  void Tell() {
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    const long long micros = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000000LL +
                             usage.ru_utime.tv_usec + usage.ru_stime.tv_usec;
    const std::string text = std::to_string(micros) + " " + std::to_string(usage.ru_maxrss) + " " +
                             std::to_string(std::max(FLongest, FSince.isValid() ? FSince.elapsed() : 0)) + "\n";
    if (write(FFd, text.data(), text.size()) != static_cast<ssize_t>(text.size())) std::_Exit(4);
  }
  void Shown() {
    QApplication::processEvents();  // the selection's repaint
    Tell();
    std::_Exit(0);
  }
  int FFd;
  Tfrm_MainForm& FWindow;
  bool FSeen = false;
  QTimer FTicks;
  QElapsedTimer FSince;
  qint64 FLongest = 0;
};

// What the program's main() does before its event loop, on the offscreen platform.
int Child(const char* dir, int fd) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  setenv("XDG_RUNTIME_DIR", (std::string(dir) + "runtime").c_str(), 1);
  int argc = 1;
  char name[] = "velmora";
  char* argv[] = {name, nullptr};
  TFailOnMessages ui;
  TVelmoraApplication app(argc, argv, ui);
  InstallQtTranslations(app);
  RegisterFonts();
  QApplication::setFont(QFont(QStringLiteral("Tahoma"), 8));
  Tfrm_MainForm window(ui, QString::fromLocal8Bit(dir));
  TFirstPaint painted(fd, window);
  window.installEventFilter(&painted);
  window.show();
  return app.exec();
}

void Put(const std::string& path, const std::string& bytes) {
  QDir().mkpath(QFileInfo(QString::fromStdString(path)).path());
  QFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
      file.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size())) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    std::exit(1);
  }
}

// A portable program folder: the starter's pictures, a library with one catalog whose only
// journal, the generated one, is the default.
std::map<int, std::string> gPrepared;  // years -> folder

std::string PrepareLibrary(int years) {
  if (auto it = gPrepared.find(years); it != gPrepared.end()) return it->second;
  char tmpl[] = "/tmp/velmora-startup-XXXXXX";
  if (!mkdtemp(tmpl)) std::exit(1);
  const std::string dir = std::string(tmpl) + "/";
  const QString data = QStringLiteral(VELMORA_SOURCE_DIR "/data/");
  for (const char* picture : {"empty.bmp", "icons/selected.bmp", "icons/library.bmp", "icons/catalog.bmp",
                              "icons/journal.bmp", "icons/day.bmp", "icons/dream.bmp"}) {
    QDir().mkpath(QString::fromStdString(dir + "icons"));
    QFile::copy(data + QLatin1String(picture), QString::fromStdString(dir + picture));
  }
  QDir().mkpath(QString::fromStdString(dir + "runtime"));
  QFile::setPermissions(QString::fromStdString(dir + "runtime"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  Put(dir + "journals/journal.xml", GenerateJournal(years));
  Put(dir + "dreams.ini",
      "<?xml version=\"1.0\" encoding=\"UTF-8\" language=\"EN\" standalone=\"yes\"?>\r\n\r\n"
      "<dreamlibrary name=\"Bench\">\r\n"
      "  <icon path=\"icons/selected.bmp\" name=\"Selected\" />\r\n"
      "  <icon path=\"icons/library.bmp\" name=\"Dream Library\" />\r\n"
      "  <icon path=\"icons/catalog.bmp\" name=\"Dream Directory\" />\r\n"
      "  <icon path=\"icons/journal.bmp\" name=\"Dream File\" />\r\n"
      "  <icon path=\"icons/day.bmp\" name=\"One Night\" />\r\n"
      "  <icon path=\"icons/dream.bmp\" name=\"One Dream\" />\r\n"
      "  <label caption=\"Lucid\" />\r\n  <label caption=\"Astral\" />\r\n"
      "  <label caption=\"Out of body\" />\r\n  <label caption=\"Other\" />\r\n"
      "  <options confirmdelete=\"yes\" />\r\n"
      "  <directory name=\"Journals\">\r\n"
      "    <file name=\"Generated\" path=\"journals/journal.xml\" default=\"yes\" />\r\n"
      "  </directory>\r\n"
      "  <form left=\"308\" top=\"160\" width=\"663\" height=\"480\" treewidth=\"200\" />\r\n"
      "</dreamlibrary>\r\n");
  gPrepared[years] = dir;
  return dir;
}

std::string gSelf;
std::map<int64_t, std::vector<double>> gShown, gPeer;  // years -> each round's shown_ms and pugixml's load

// pugixml's load of `file` in a fresh process, in ms; 0 when velmora_bench_xml is not there.
double PugixmlLoad(const std::string& file) {
  const std::string peer = gSelf.substr(0, gSelf.rfind('/') + 1) + "velmora_bench_xml";
  if (access(peer.c_str(), X_OK) != 0) return 0;
  FILE* out = popen(("'" + peer + "' --once pugixml '" + file + "'").c_str(), "r");
  if (!out) return 0;
  double ms = 0;
  if (std::fscanf(out, "%lf", &ms) != 1) ms = 0;
  pclose(out);
  return ms;
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

struct TStart {
  double Seconds = 0;     // from starting the process to its first paint
  double CpuSeconds = 0;  // the process's processor time until then
  double PeakKiB = 0;     // the process's peak resident memory until then
  double ShownSeconds = 0, ShownPeakKiB = 0;  // the same to the default journal shown
  double LongestStallMs = 0;  // between the first paint and the journal shown
};

// One start in a fresh process.
TStart StartOnce(const std::string& dir) {
  int ready[2];
  if (pipe(ready) != 0) std::exit(1);
  const std::string fd = std::to_string(ready[1]);
  const char* args[] = {gSelf.c_str(), "--child", dir.c_str(), fd.c_str(), nullptr};
  const auto start = std::chrono::steady_clock::now();
  pid_t child = 0;
  if (posix_spawn(&child, gSelf.c_str(), nullptr, nullptr, const_cast<char**>(args), environ) != 0) std::exit(1);
  close(ready[1]);
  // Two lines: at the first paint, and once the journal is shown.
  std::string text;
  std::chrono::steady_clock::time_point painted, shown;
  for (char buffer[64]; std::count(text.begin(), text.end(), '\n') < 2;) {
    const ssize_t got = read(ready[0], buffer, sizeof buffer);
    if (got <= 0) break;
    const auto now = std::chrono::steady_clock::now();
    const bool hadLine = text.find('\n') != std::string::npos;
    text.append(buffer, static_cast<std::size_t>(got));
    if (!hadLine && text.find('\n') != std::string::npos) painted = now;
    if (std::count(text.begin(), text.end(), '\n') == 2) shown = now;
  }
  const bool complete = std::count(text.begin(), text.end(), '\n') == 2;
  close(ready[0]);
  int status = 0;
  struct rusage usage {};
  wait4(child, &status, 0, &usage);
  if (!complete || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "a start failed (status %d)\n", status);
    std::exit(1);
  }
  // The round ended without its shut-down: its lock is stale, and the next start need not judge it.
  QFile::remove(QString::fromStdString(dir + ".velmora.lock"));
  const char* p = text.c_str();
  char* rest = nullptr;
  const double micros = static_cast<double>(std::strtoll(p, &rest, 10));
  const double peak = static_cast<double>(std::strtoll(rest, &rest, 10));
  std::strtoll(rest, &rest, 10);
  std::strtoll(rest, &rest, 10);
  const double shownPeak = static_cast<double>(std::strtoll(rest, &rest, 10));
  const double stall = static_cast<double>(std::strtoll(rest, nullptr, 10));
  return {std::chrono::duration<double>(painted - start).count(), micros / 1e6, peak,
          std::chrono::duration<double>(shown - start).count(), shownPeak, stall};
}

void StartUp(benchmark::State& state) {
  const std::string dir = PrepareLibrary(static_cast<int>(state.range(0)));
  StartOnce(dir);  // the files into the page cache, as for a user who starts the program again
  double cpu = 0, peak = 0, shown = 0, shownPeak = 0, stall = 0;
  for (auto _ : state) {
    const TStart once = StartOnce(dir);
    state.SetIterationTime(once.Seconds);
    cpu += once.CpuSeconds;
    peak += once.PeakKiB;
    shown += once.ShownSeconds;
    shownPeak += once.ShownPeakKiB;
    stall = std::max(stall, once.LongestStallMs);
    state.PauseTiming();
    gShown[state.range(0)].push_back(once.ShownSeconds * 1000);
    gPeer[state.range(0)].push_back(PugixmlLoad(dir + "journals/journal.xml"));
    state.ResumeTiming();
  }
  state.counters["longest_stall_ms"] = stall;
  const double pugixml = Median(gPeer[state.range(0)]);
  state.counters["pugixml_ms"] = pugixml;
  if (pugixml > 0) state.counters["shown_over_pugixml"] = Median(gShown[state.range(0)]) / pugixml;
  state.counters["peak_over_file"] = benchmark::Counter(
      shownPeak * 1024 / static_cast<double>(QFileInfo(QString::fromStdString(dir + "journals/journal.xml")).size()),
      benchmark::Counter::kAvgIterations);
  state.counters["cpu_ms"] = benchmark::Counter(cpu * 1000, benchmark::Counter::kAvgIterations);
  state.counters["peak_rss_mib"] = benchmark::Counter(peak / 1024, benchmark::Counter::kAvgIterations);
  state.counters["shown_ms"] = benchmark::Counter(shown * 1000, benchmark::Counter::kAvgIterations);
  state.counters["shown_peak_rss_mib"] = benchmark::Counter(shownPeak / 1024, benchmark::Counter::kAvgIterations);
}
BENCHMARK(StartUp)
    ->Arg(1)
    ->Arg(10)
    ->Arg(50)
    ->Arg(100)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--child") == 0) return Child(argv[2], std::atoi(argv[3]));
  char self[4096];
  const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) return 1;
  gSelf.assign(self, static_cast<std::size_t>(n));
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  for (const auto& [years, dir] : gPrepared) QDir(QString::fromStdString(dir)).removeRecursively();
  return 0;
}
