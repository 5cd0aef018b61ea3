// Start-up of the program to a shown window, each round in a fresh process: a library whose
// default journal is a generated journal of 1, 10 or 50 years. The time runs from starting the
// process to the window's first paint, as the parent sees it (loading the program, Qt, the
// library, the journal and the tree included); the process's peak resident memory until then is
// reported beside it.
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
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

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

// Tells the parent on `fd` once the window has painted, then ends without the shut-down writing.
class TFirstPaint : public QObject {
public:
  explicit TFirstPaint(int fd) : FFd(fd) {}
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint && !FSeen) {
      FSeen = true;
      QTimer::singleShot(0, [this] {
        // The process's own processor time too: the wall time depends on what else runs.
        struct rusage usage {};
        getrusage(RUSAGE_SELF, &usage);
        const long long micros = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000000LL +
                                 usage.ru_utime.tv_usec + usage.ru_stime.tv_usec;
        const std::string text = std::to_string(micros) + " " + std::to_string(usage.ru_maxrss) + "\n";
        if (write(FFd, text.data(), text.size()) != static_cast<ssize_t>(text.size())) std::_Exit(4);
        std::_Exit(0);
      });
    }
    return false;
  }

private:
  int FFd;
  bool FSeen = false;
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
  TFirstPaint painted(fd);
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

struct TStart {
  double Seconds = 0;     // from starting the process to its first paint
  double CpuSeconds = 0;  // the process's processor time until then
  double PeakKiB = 0;     // the process's peak resident memory until then
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
  char text[32] = {};
  const bool painted = read(ready[0], text, sizeof text - 1) > 0;
  const auto end = std::chrono::steady_clock::now();
  close(ready[0]);
  int status = 0;
  struct rusage usage {};
  wait4(child, &status, 0, &usage);
  if (!painted || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "a start failed (status %d)\n", status);
    std::exit(1);
  }
  // The round ended without its shut-down: its lock is stale, and the next start need not judge it.
  QFile::remove(QString::fromStdString(dir + ".velmora.lock"));
  char* rest = nullptr;
  const double micros = static_cast<double>(std::strtoll(text, &rest, 10));
  return {std::chrono::duration<double>(end - start).count(), micros / 1e6, static_cast<double>(std::strtoll(rest, nullptr, 10))};
}

void StartUp(benchmark::State& state) {
  const std::string dir = PrepareLibrary(static_cast<int>(state.range(0)));
  StartOnce(dir);  // the files into the page cache, as for a user who starts the program again
  double cpu = 0, peak = 0;
  for (auto _ : state) {
    const TStart once = StartOnce(dir);
    state.SetIterationTime(once.Seconds);
    cpu += once.CpuSeconds;
    peak += once.PeakKiB;
  }
  state.counters["cpu_ms"] = benchmark::Counter(cpu * 1000, benchmark::Counter::kAvgIterations);
  state.counters["peak_rss_mib"] = benchmark::Counter(peak / 1024, benchmark::Counter::kAvgIterations);
}
BENCHMARK(StartUp)
    ->Arg(1)
    ->Arg(10)
    ->Arg(50)
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
