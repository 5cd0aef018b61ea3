// Dated backups:
//   Save50Years/0 and /1: a save of the changed 50-year journal (about 43 MB) without and with a
//                         backup made (the old file linked aside; compressed on a worker thread,
//                         waited for outside the timing). The difference is what the user waits.
//   Save50Years/2:        the link made outside the timing: what is left of the difference is the
//                         file system's (the freed old file's blocks committed with the next save).
//   YearOfBackups10:      the 10-year journal (8.6 MB) saved once a day for a year, thinned as the
//                         program does; counters: backups kept and megabytes on disk.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "journal_generator.h"
#include "vlm_Backups.h"
#include "vlm_Library.h"

namespace fs = std::filesystem;

namespace {

struct TTempDir {
  TTempDir() {
    std::string pattern = (fs::temp_directory_path() / "velmora-bench-backups-XXXXXX").string();
    Path = ::mkdtemp(pattern.data());
  }
  ~TTempDir() { fs::remove_all(Path); }
  fs::path Path;
};

void Save50Years(benchmark::State& state) {
  const bool backup = state.range(0) == 1;
  TTempDir dir;
  std::ofstream(dir.Path / "j.xml", std::ios::binary) << GenerateJournal(50);
  std::ofstream(dir.Path / "dreams.ini", std::ios::binary)
      << "<?xml version=\"1.0\" encoding=\"UTF-8\" language=\"EN\" standalone=\"yes\"?>\r\n<dreamlibrary />\r\n";
  std::time_t now = 1700000000;
  TBackupKeeper keeper((dir.Path / "backups").string() + "/", [&] { return now; });
  TLibrary library;
  if (backup) library.SetBeforeReplace([&](const std::string& file) { keeper.BeforeReplace(file); });
  library.Load((dir.Path / "dreams.ini").string());
  TXMLParser* journal = library.OpenJournal((dir.Path / "j.xml").string());
  for (auto _ : state) {
    state.PauseTiming();
    library.AddDay(*journal, "d");
    now += 2 * 3600;  // every save is more than an hour after the last backup
    if (state.range(0) == 2) keeper.BeforeReplace(journal->FileName);  // the link alone, untimed
    state.ResumeTiming();
    const TSaveReport report = library.Save();
    state.PauseTiming();
    if (!report.Failures.empty()) state.SkipWithError("the save failed");
    keeper.Wait(std::chrono::minutes(1));
    state.ResumeTiming();
  }
}
BENCHMARK(Save50Years)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(8);

void YearOfBackups10(benchmark::State& state) {
  for (auto _ : state) {
    TTempDir dir;
    std::ofstream(dir.Path / "j.xml", std::ios::binary) << GenerateJournal(10);
    std::time_t now = 1700000000;
    const std::string folder = (dir.Path / "backups").string() + "/";
    TBackupKeeper keeper(folder, [&] { return now; });
    for (int day = 0; day < 365; ++day, now += 86400) {
      keeper.BeforeReplace((dir.Path / "j.xml").string());
      keeper.Wait(std::chrono::minutes(1));
    }
    double bytes = 0;
    for (const auto& entry : fs::directory_iterator(folder)) bytes += static_cast<double>(entry.file_size());
    state.counters["kept"] = static_cast<double>(ListBackups(folder, "j").size());
    state.counters["MB_on_disk"] = bytes / 1e6;
    state.counters["journal_MB"] = static_cast<double>(fs::file_size(dir.Path / "j.xml")) / 1e6;
  }
}
BENCHMARK(YearOfBackups10)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
