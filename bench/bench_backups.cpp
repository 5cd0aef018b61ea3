// Dated backups:
//   Save50Years/0 and /1: a save of the changed 50-year journal (about 43 MB) without and with a
//                         backup made (the old file linked aside; compressed on a worker thread,
//                         waited for outside the timing). The difference is what the user waits.
//   Save50Years/2:        the link made outside the timing: what is left of the difference is the
//                         file system's (the freed old file's blocks committed with the next save).
//   YearOfBackups10/0:    the 10-year journal (8.4 MB) saved once a day for a year, a night added
//                         each day, thinned as the program does; counters: backups kept, how many
//                         of them whole (the rest are differences), megabytes on disk, and what the
//                         same backups took as gzip files (level 6, as kept before).
//   YearOfBackups10/1:    the same journal with its descriptions made of random letters, so that
//                         it packs about as badly as plain text does (about 3.7 MB as gzip).
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <map>
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

// Descriptions of random letters: each letter of a description replaced by one of 33.
std::string Noisy(std::string text) {
  std::uint64_t state = 12345;
  const std::string open = "<description>", close = "</description>";
  for (std::size_t at = text.find(open); at != std::string::npos; at = text.find(open, at)) {
    at += open.size();
    const std::size_t end = text.find(close, at);
    for (std::size_t i = at; i < end; ++i) {
      if (static_cast<unsigned char>(text[i]) < 0xC0) continue;
      state = state * 6364136223846793005ULL + 1442695040888963407ULL;
      text[i] = static_cast<char>(0xE0 + (state >> 33) % 32);
    }
  }
  return text;
}

std::size_t GzipSize(const std::string& text) {
  uLongf size = compressBound(static_cast<uLong>(text.size()));
  std::string out(size, '\0');
  compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(text.data()),
            static_cast<uLong>(text.size()), 6);
  return size;
}

void YearOfBackups10(benchmark::State& state) {
  const std::string journal = state.range(0) == 1 ? Noisy(GenerateJournal(10)) : GenerateJournal(10);
  const std::string end = "</velmora>\r\n";
  const std::size_t lastDay = journal.rfind("  <day ");
  const std::string day = journal.substr(lastDay, journal.size() - end.size() - lastDay);
  for (auto _ : state) {
    TTempDir dir;
    std::time_t now = 1700000000;
    const std::string folder = (dir.Path / "backups").string() + "/";
    TBackupKeeper keeper(folder, [&] { return now; });
    const std::string start = journal.substr(0, journal.size() - end.size());
    auto version = [&](int d) {  // the file on day d: a night added each day
      std::string text = start;
      for (int i = 0; i <= d; ++i) text += day;
      return text + end;
    };
    std::map<std::time_t, int> days;  // the day of each backup's version
    for (int d = 0; d < 365; ++d, now += 86400) {
      std::ofstream(dir.Path / "j.xml", std::ios::binary | std::ios::trunc) << version(d);
      days[now] = d;
      keeper.BeforeReplace((dir.Path / "j.xml").string());
      keeper.Wait(std::chrono::minutes(5));
    }
    double bytes = 0, gzip = 0;
    for (const auto& entry : fs::directory_iterator(folder)) bytes += static_cast<double>(entry.file_size());
    const std::vector<TBackupFile> kept = ListBackups(folder, "j");
    int whole = 0;
    for (const TBackupFile& b : kept) {
      whole += b.Base.empty();
      gzip += static_cast<double>(GzipSize(version(days[b.Time])));
    }
    state.counters["kept"] = static_cast<double>(kept.size());
    state.counters["whole"] = whole;
    state.counters["MB_on_disk"] = bytes / 1e6;
    state.counters["MB_as_gzip"] = gzip / 1e6;
    state.counters["journal_MB"] = static_cast<double>(fs::file_size(dir.Path / "j.xml")) / 1e6;
  }
}
BENCHMARK(YearOfBackups10)->Arg(0)->Arg(1)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
