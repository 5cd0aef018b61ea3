// Loading, walking and saving generated journals with the program's XML library, side by side with
// pugixml on the same files. Prints the ratios the library is held to at the end.
//   velmora_bench_xml [benchmark options]   the benchmarks in one process, then the figures of
//                                           loading in fresh processes (what start-up pays)
//   velmora_bench_xml --once velmora|pugixml FILE   one load, walk and free in this process: prints
//                                           load ms, free ms, peak RSS KiB, RSS KiB before and after,
//                                           experiences, walk ms, processor ms of the load
//   velmora_bench_xml --write-journals DIR   write the generated journals into DIR and stop
#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <pugixml.hpp>
#include <string>
#include <vector>

#include "journal_generator.h"
#include "xml_mainUnit.h"

namespace fs = std::filesystem;

namespace {

const int kYears[] = {1, 10, 50};
fs::path gDir;

std::string JournalPath(int years) { return (gDir / ("journal-" + std::to_string(years) + "y.xml")).string(); }
std::string OutputPath(int years, const char* who) {
  return (gDir / ("saved-" + std::string(who) + "-" + std::to_string(years) + "y.xml")).string();
}

// Experiences and the sum of their energy levels, by the program's own way of walking the tree.
std::pair<long, long> WalkVelmora(const TXMLParser& doc) {
  long count = 0, energy = 0;
  for (const auto& day : doc.Root->Children) {
    if (day->Name != "day") continue;
    for (const auto& experience : day->Children) {
      if (experience->Name != "experience") continue;
      ++count;
      if (const TXMLNode* e = experience->FindNode("energy")) energy += std::atol(e->GetAttribute("level").c_str());
    }
  }
  return {count, energy};
}

std::pair<long, long> WalkPugixml(const pugi::xml_document& doc) {
  long count = 0, energy = 0;
  for (pugi::xml_node day : doc.child("velmora").children("day"))
    for (pugi::xml_node experience : day.children("experience")) {
      ++count;
      if (pugi::xml_node e = experience.child("energy")) energy += e.attribute("level").as_int();
    }
  return {count, energy};
}

// Loading is timed up to the finished tree; freeing it is timed apart (BM_Free_*).
void BM_Load_Velmora(benchmark::State& state) {
  const std::string path = JournalPath(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    auto doc = std::make_unique<TXMLParser>();
    doc->LoadFromFile(path);
    if (doc->Status != xrOk) state.SkipWithError("load failed");
    benchmark::DoNotOptimize(doc->Root.get());
    state.PauseTiming();
    doc.reset();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(fs::file_size(path)));
}

void BM_Load_Pugixml(benchmark::State& state) {
  const std::string path = JournalPath(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    auto doc = std::make_unique<pugi::xml_document>();
    if (!doc->load_file(path.c_str())) state.SkipWithError("load failed");
    benchmark::DoNotOptimize(doc->first_child());
    state.PauseTiming();
    doc.reset();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(fs::file_size(path)));
}

void BM_Free_Velmora(benchmark::State& state) {
  const std::string path = JournalPath(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    state.PauseTiming();
    auto doc = std::make_unique<TXMLParser>();
    doc->LoadFromFile(path);
    state.ResumeTiming();
    doc.reset();
  }
}

void BM_Free_Pugixml(benchmark::State& state) {
  const std::string path = JournalPath(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    state.PauseTiming();
    auto doc = std::make_unique<pugi::xml_document>();
    doc->load_file(path.c_str());
    state.ResumeTiming();
    doc.reset();
  }
}

void BM_Walk_Velmora(benchmark::State& state) {
  TXMLParser doc;
  doc.LoadFromFile(JournalPath(static_cast<int>(state.range(0))));
  std::pair<long, long> r;
  for (auto _ : state) benchmark::DoNotOptimize(r = WalkVelmora(doc));
  state.counters["experiences"] = static_cast<double>(r.first);
  state.counters["energy"] = static_cast<double>(r.second);
}

void BM_Walk_Pugixml(benchmark::State& state) {
  pugi::xml_document doc;
  doc.load_file(JournalPath(static_cast<int>(state.range(0))).c_str());
  std::pair<long, long> r;
  for (auto _ : state) benchmark::DoNotOptimize(r = WalkPugixml(doc));
  state.counters["experiences"] = static_cast<double>(r.first);
  state.counters["energy"] = static_cast<double>(r.second);
}

// Saving to a file: the library replaces the file atomically (temporary file, fsync, rename);
// pugixml writes in place without fsync. Both write the same journal, indented by two blanks.
void BM_Save_Velmora(benchmark::State& state) {
  const int years = static_cast<int>(state.range(0));
  TXMLParser doc;
  doc.LoadFromFile(JournalPath(years));
  const std::string out = OutputPath(years, "velmora");
  for (auto _ : state) doc.SaveToFile(out);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(fs::file_size(out)));
}

void BM_Save_Pugixml(benchmark::State& state) {
  const int years = static_cast<int>(state.range(0));
  pugi::xml_document doc;
  doc.load_file(JournalPath(years).c_str());
  const std::string out = OutputPath(years, "pugixml");
  for (auto _ : state)
    if (!doc.save_file(out.c_str(), "  ", pugi::format_default, pugi::encoding_utf8)) state.SkipWithError("save failed");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(fs::file_size(out)));
}

// The text alone, without the file system.
void BM_SaveToString_Velmora(benchmark::State& state) {
  TXMLParser doc;
  doc.LoadFromFile(JournalPath(static_cast<int>(state.range(0))));
  for (auto _ : state) benchmark::DoNotOptimize(doc.SaveToString());
}

struct StringWriter : pugi::xml_writer {
  std::string text;
  void write(const void* data, size_t size) override { text.append(static_cast<const char*>(data), size); }
};

void BM_SaveToString_Pugixml(benchmark::State& state) {
  pugi::xml_document doc;
  doc.load_file(JournalPath(static_cast<int>(state.range(0))).c_str());
  for (auto _ : state) {
    StringWriter w;
    doc.save(w, "  ", pugi::format_default, pugi::encoding_utf8);
    benchmark::DoNotOptimize(w.text);
  }
}

#define VELMORA_BENCH(fn) BENCHMARK(fn)->Arg(1)->Arg(10)->Arg(50)->Unit(benchmark::kMillisecond)
VELMORA_BENCH(BM_Load_Velmora);
VELMORA_BENCH(BM_Load_Pugixml);
// Each freeing needs an untimed load first: a fixed count keeps the small journals from running
// hundreds of thousands of loads to fill the measuring time.
VELMORA_BENCH(BM_Free_Velmora)->Iterations(30);
VELMORA_BENCH(BM_Free_Pugixml)->Iterations(30);
VELMORA_BENCH(BM_Walk_Velmora);
VELMORA_BENCH(BM_Walk_Pugixml);
VELMORA_BENCH(BM_Save_Velmora);
VELMORA_BENCH(BM_Save_Pugixml);
VELMORA_BENCH(BM_SaveToString_Velmora);
VELMORA_BENCH(BM_SaveToString_Pugixml);

// Keeps the time per iteration of every run for the ratios.
// "BM_Free_Velmora/50/iterations:30" is recorded as "BM_Free_Velmora/50".
std::string BaseName(std::string name) {
  if (const auto cut = name.find("/iterations:"); cut != std::string::npos) name.erase(cut);
  return name;
}

class RecordingReporter : public benchmark::ConsoleReporter {
public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs)
      if (r.run_type == Run::RT_Iteration && r.iterations > 0 && !r.error_occurred)
        seconds[BaseName(r.benchmark_name())] = r.real_accumulated_time / static_cast<double>(r.iterations);
  }
  std::map<std::string, double> seconds;
};

long StatusKiB(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::strlen(field));
  return -1;
}
long PeakResidentKiB() { return StatusKiB("VmHWM:"); }

double MillisecondsSince(std::chrono::steady_clock::time_point t0) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

// Processor time of this process in ms (user and system): on a busy machine it varies less than
// the wall clock.
double ProcessorMs() {
  timespec t{};
  ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// One load, walk and free of FILE in this (fresh) process. The walk is the first one over the new
// tree, as at start-up.
int OnceMode(bool pugixml, const char* file) {
  const long before = StatusKiB("VmRSS:");
  double loadMs = 0, freeMs = 0, walkMs = 0, loadCpuMs = 0;
  long peak = 0;
  long count = 0;
  if (!pugixml) {
    const double cpu0 = ProcessorMs();
    auto t0 = std::chrono::steady_clock::now();
    auto doc = std::make_unique<TXMLParser>();
    doc->LoadFromFile(file);
    loadMs = MillisecondsSince(t0);
    loadCpuMs = ProcessorMs() - cpu0;
    if (doc->Status != xrOk) return 1;
    t0 = std::chrono::steady_clock::now();
    count = WalkVelmora(*doc).first;
    walkMs = MillisecondsSince(t0);
    peak = PeakResidentKiB();
    t0 = std::chrono::steady_clock::now();
    doc.reset();
    freeMs = MillisecondsSince(t0);
  } else {
    const double cpu0 = ProcessorMs();
    auto t0 = std::chrono::steady_clock::now();
    auto doc = std::make_unique<pugi::xml_document>();
    if (!doc->load_file(file)) return 1;
    loadMs = MillisecondsSince(t0);
    loadCpuMs = ProcessorMs() - cpu0;
    t0 = std::chrono::steady_clock::now();
    count = WalkPugixml(*doc).first;
    walkMs = MillisecondsSince(t0);
    peak = PeakResidentKiB();
    t0 = std::chrono::steady_clock::now();
    doc.reset();
    freeMs = MillisecondsSince(t0);
  }
  std::printf("%.3f %.3f %ld %ld %ld %ld %.3f %.3f\n", loadMs, freeMs, peak, before, StatusKiB("VmRSS:"), count, walkMs, loadCpuMs);
  return 0;
}

struct FreshFigures {
  double loadMs = 0, freeMs = 0, peakKiB = 0, beforeKiB = 0, afterFreeKiB = 0, walkMs = 0, loadCpuMs = 0;
};

// Medians of `rounds` fresh processes of each library, run alternately.
std::map<std::string, FreshFigures> MeasureFresh(const std::string& file, int rounds) {
  std::map<std::string, std::vector<std::array<double, 7>>> samples;
  const std::string self = fs::read_symlink("/proc/self/exe").string();
  for (int round = 0; round < rounds; ++round)
    for (const char* who : {"velmora", "pugixml"}) {
      const std::string command = "'" + self + "' --once " + who + " '" + file + "'";
      FILE* out = ::popen(command.c_str(), "r");
      if (!out) continue;
      std::array<double, 7> v{};
      long count = 0;
      if (std::fscanf(out, "%lf %lf %lf %lf %lf %ld %lf %lf", &v[0], &v[1], &v[2], &v[3], &v[4], &count, &v[5], &v[6]) == 8)
        samples[who].push_back(v);
      ::pclose(out);
    }
  std::map<std::string, FreshFigures> result;
  for (auto& [who, list] : samples) {
    auto median = [&list](int k) {
      std::vector<double> xs;
      for (const auto& v : list) xs.push_back(v[k]);
      std::sort(xs.begin(), xs.end());
      return xs.empty() ? 0.0 : xs[xs.size() / 2];
    };
    result[who] = {median(0), median(1), median(2), median(3), median(4), median(5), median(6)};
  }
  return result;
}

void PrintFresh(const std::string& file, int rounds) {
  const double mib = static_cast<double>(fs::file_size(file)) / 1048576.0;
  auto f = MeasureFresh(file, rounds);
  const FreshFigures& v = f["velmora"];
  const FreshFigures& p = f["pugixml"];
  std::printf("\nIn a fresh process, 50-year journal (%.1f MiB), medians of %d rounds each:\n", mib, rounds);
  std::printf("  %-34s %10s %10s %8s\n", "", "velmora", "pugixml", "speed");
  std::printf("  %-34s %7.1f ms %7.1f ms %7.2fx\n", "load", v.loadMs, p.loadMs, v.loadMs > 0 ? p.loadMs / v.loadMs : 0);
  std::printf("  %-34s %7.1f ms %7.1f ms %7.2fx\n", "  processor time of the load", v.loadCpuMs, p.loadCpuMs,
              v.loadCpuMs > 0 ? p.loadCpuMs / v.loadCpuMs : 0);
  std::printf("  %-34s %7.1f ms %7.1f ms %7.2fx\n", "first walk over the tree", v.walkMs, p.walkMs, v.walkMs > 0 ? p.walkMs / v.walkMs : 0);
  std::printf("  %-34s %7.1f ms %7.1f ms %7.2fx\n", "free", v.freeMs, p.freeMs, v.freeMs > 0 ? p.freeMs / v.freeMs : 0);
  std::printf("  %-34s %6.1f MiB %6.1f MiB\n", "peak RSS after load", v.peakKiB / 1024, p.peakKiB / 1024);
  std::printf("  %-34s %9.2fx %9.2fx\n", "  over the file size", v.peakKiB / 1024 / mib, p.peakKiB / 1024 / mib);
  std::printf("  %-34s %6.1f MiB %6.1f MiB\n", "RSS kept after freeing (over start)", (v.afterFreeKiB - v.beforeKiB) / 1024,
              (p.afterFreeKiB - p.beforeKiB) / 1024);
  std::fflush(stdout);
}

double Ratio(RecordingReporter& rep, const std::string& a, const std::string& b) {
  auto ia = rep.seconds.find(a), ib = rep.seconds.find(b);
  if (ia == rep.seconds.end() || ib == rep.seconds.end() || ia->second <= 0) return 0;
  return ib->second / ia->second;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && !std::strcmp(argv[1], "--once")) return OnceMode(!std::strcmp(argv[2], "pugixml"), argv[3]);

  const bool writeOnly = argc == 3 && !std::strcmp(argv[1], "--write-journals");
  gDir = writeOnly ? fs::path(argv[2]) : fs::temp_directory_path() / ("velmora-bench-" + std::to_string(getpid()));
  fs::create_directories(gDir);
  for (int years : kYears) {
    std::string text = GenerateJournal(years);
    std::ofstream(JournalPath(years), std::ios::binary) << text;
    std::printf("journal of %d years: %.1f MiB\n", years, text.size() / 1048576.0);
  }
  if (writeOnly) return 0;
  benchmark::Initialize(&argc, argv);
  RecordingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);

  std::printf("\nIn one process, speed relative to pugixml on the 50-year journal (1.0 = as fast):\n");
  for (const char* op : {"Load", "Free", "Walk", "Save", "SaveToString"}) {
    std::string v = std::string("BM_") + op + "_Velmora/50", p = std::string("BM_") + op + "_Pugixml/50";
    std::printf("  %-13s %.2fx\n", op, Ratio(reporter, v, p));
  }
  std::printf("Time of the 50-year journal over the 10-year journal (bar 5.5):\n");
  for (const char* op : {"Load", "Free", "Walk", "Save", "SaveToString"}) {
    std::string base = std::string("BM_") + op + "_Velmora/";
    std::printf("  %-13s %.2fx\n", op, Ratio(reporter, base + "10", base + "50"));
  }
  std::fflush(stdout);
  PrintFresh(JournalPath(50), 11);
  benchmark::Shutdown();
  fs::remove_all(gDir);
  return 0;
}
