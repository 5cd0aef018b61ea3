// Sealed journals: sealing and opening the 50-year journal (about 43 MB), each beside its plain
// peer in the same run, and the key derivation with the parameters tuned on this machine. The CPU
// column is the processor time of the whole process: Seal and Open run on up to four threads, so
// on an idle machine their wall time is about that divided by the cores.
//   Copy / Seal / Open:       memcpy of the journal's bytes; sealing them; opening them
//   Primitives:               the two passes a sealed chunk costs, over the whole text at once
//                             (ChaCha20 and Poly1305 from libsodium): the floor of Seal and Open
//   ReadPlain / ReadOpen:     reading the plain file in 64 KiB pieces (as the XML reader does); reading
//                             the sealed file and opening it in such pieces (TSealReader)
//   WritePlain / WriteSeal:   writing the text into a new file in 64 KiB pieces (as the XML writer
//                             does, no fsync); sealing it into one in such pieces (TSealWriter)
//   LoadPlain / LoadWhole:    the journal's tree from the plain file (LoadFromFile, as today); from
//                             the sealed file read whole, opened whole and parsed (LoadFromString):
//                             the cost of holding the text twice, page faults included
//   DeriveKey:                one login: Argon2id with the tuned parameters and the key unwrapped
//   OpenInLibrary/Plain|Sealed: the program's own path: a library core reads its library file and
//                             opens the journal (TLibrary::OpenJournal), plain in a plain library,
//                             sealed in an encrypted one, opened a chunk at a time as it is parsed
//                             (wall time, as the user waits)
//   SaveInLibrary/Plain|Sealed: the library core saves the changed journal (TLibrary::Save: the
//                             temporary file written, sealed as it is produced, flushed and renamed)
#include <benchmark/benchmark.h>
#include <sodium.h>
#include <stdlib.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "journal_generator.h"
#include "vlm_JournalSealing.h"
#include "vlm_Library.h"
#include "vlm_PosixFiles.h"
#include "vlm_Sealed.h"
#include "vlm_SealedStream.h"
#include "xml_mainUnit.h"

namespace fs = std::filesystem;

namespace {

struct TFixture {
  fs::path Dir;
  std::string Plain, Sealed;
  TLibraryKey Key;
  TKdfTuning Tuning;
  std::shared_ptr<TJournalSealing> Sealing;  // a copy of Key's for the library core
  std::string PlainPath() const { return (Dir / "plain.xml").string(); }
  std::string SealedPath() const { return (Dir / "sealed.xml").string(); }
};
TFixture* gFixture = nullptr;

std::string ReadFile(const std::string& path) {
  TPosixFiles files;
  std::string bytes, error;
  if (!files.Read(path, bytes, error)) std::fprintf(stderr, "%s\n", error.c_str());
  return bytes;
}

void SetBytes(benchmark::State& state) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * gFixture->Plain.size()));
}

void Copy(benchmark::State& state) {
  std::string out(gFixture->Plain.size(), '\0');
  for (auto _ : state) {
    std::memcpy(out.data(), gFixture->Plain.data(), out.size());
    benchmark::ClobberMemory();
  }
  SetBytes(state);
}

void SealJournal(benchmark::State& state) {
  std::string sealed;
  for (auto _ : state)
    if (Seal(gFixture->Plain, gFixture->Key, sealed) != seOk) state.SkipWithError("seal failed");
  SetBytes(state);
}

void OpenJournal(benchmark::State& state) {
  std::string plain;
  for (auto _ : state)
    if (OpenSealed(gFixture->Sealed, gFixture->Key, plain) != seOk) state.SkipWithError("open failed");
  SetBytes(state);
}

void Primitives(benchmark::State& state) {
  std::string out(gFixture->Plain.size(), '\0');
  const auto* in = reinterpret_cast<const unsigned char*>(gFixture->Plain.data());
  auto* to = reinterpret_cast<unsigned char*>(out.data());
  unsigned char key[32] = {1}, nonce[12] = {2}, mac[16];
  for (auto _ : state) {
    crypto_stream_chacha20_ietf_xor(to, in, out.size(), nonce, key);
    crypto_onetimeauth_poly1305(mac, to, out.size(), key);
    benchmark::DoNotOptimize(mac);
  }
  SetBytes(state);
}

constexpr std::size_t kPiece = 64 << 10;

void ReadPlain(benchmark::State& state) {
  std::string piece(kPiece, '\0');
  for (auto _ : state) {
    const int fd = ::open(gFixture->PlainPath().c_str(), O_RDONLY);
    while (::read(fd, piece.data(), piece.size()) > 0) {
    }
    ::close(fd);
  }
  SetBytes(state);
}

void ReadOpen(benchmark::State& state) {
  std::string piece(kPiece, '\0');
  for (auto _ : state) {
    const int fd = ::open(gFixture->SealedPath().c_str(), O_RDONLY);
    TSealReader reader(fd, gFixture->Key);
    if (reader.Begin() != seOk) state.SkipWithError("open failed");
    while (reader.Read(piece.data(), piece.size()) > 0) {
    }
    if (reader.Error() != seOk) state.SkipWithError("open failed");
    ::close(fd);
  }
  SetBytes(state);
}

// Writes the text into a new file in pieces, with `seal` or plain.
template <bool seal>
void WriteFile(benchmark::State& state) {
  const std::string path = (gFixture->Dir / "written.xml").string();
  const std::string_view text = gFixture->Plain;
  for (auto _ : state) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    bool ok = true;
    if (seal) {
      TSealWriter writer(fd, gFixture->Key);
      for (std::size_t at = 0; at < text.size(); at += kPiece) ok = ok && writer.Write(text.substr(at, kPiece));
      ok = ok && writer.Finish();
    } else {
      for (std::size_t at = 0; at < text.size(); at += kPiece) {
        const std::string_view piece = text.substr(at, kPiece);
        ok = ok && ::write(fd, piece.data(), piece.size()) == static_cast<ssize_t>(piece.size());
      }
    }
    ::close(fd);
    if (!ok) state.SkipWithError("write failed");
  }
  SetBytes(state);
}

void LoadPlain(benchmark::State& state) {
  for (auto _ : state) {
    TXMLParser doc;
    doc.LoadFromFile(gFixture->PlainPath());
    if (doc.Status != xrOk) state.SkipWithError("load failed");
  }
  SetBytes(state);
}

void LoadWhole(benchmark::State& state) {
  for (auto _ : state) {
    TXMLParser doc;
    std::string plain;
    if (OpenSealed(ReadFile(gFixture->SealedPath()), gFixture->Key, plain) != seOk ||
        doc.LoadFromString(plain) != xrOk)
      state.SkipWithError("load failed");
    WipeString(plain);
  }
  SetBytes(state);
}

void DeriveKey(benchmark::State& state) {
  for (auto _ : state) {
    TLibraryKey key;
    if (TLibraryKey::Unlock(gFixture->Key.Block(), "пароль", key) != seOk) state.SkipWithError("unlock failed");
  }
}

// A library folder with the journal in the form `sealed` asks for, and that form installed.
std::string LibraryFolder(bool sealed) {
  const fs::path dir = gFixture->Dir / (sealed ? "sealed-library" : "plain-library");
  if (!fs::exists(dir)) {
    fs::create_directories(dir);
    std::ofstream((dir / "dreams.ini").string(), std::ios::binary)
        << "<?xml version=\"1.0\"?>\r\n<dreamlibrary name=\"L\" />\r\n";
    std::ofstream((dir / "fifty.xml").string(), std::ios::binary) << (sealed ? gFixture->Sealed : gFixture->Plain);
  }
  SetSealing(sealed ? gFixture->Sealing : std::make_shared<TJournalSealing>());
  return dir.string() + "/";
}

template <bool sealed>
void OpenInLibrary(benchmark::State& state) {
  const std::string dir = LibraryFolder(sealed);
  for (auto _ : state) {
    TLibrary library;
    library.Load(dir + "dreams.ini");
    TXMLParser* journal = library.OpenJournal(dir + "fifty.xml");
    if (journal->Status != xrOk) state.SkipWithError("open failed");
  }
  SetSealing(nullptr);
  SetBytes(state);
}

template <bool sealed>
void SaveInLibrary(benchmark::State& state) {
  const std::string dir = LibraryFolder(sealed);
  TLibrary library;
  library.Load(dir + "dreams.ini");
  TXMLParser* journal = library.OpenJournal(dir + "fifty.xml");
  for (auto _ : state) {
    library.MarkChanged(journal);
    if (!library.Save().Failures.empty()) state.SkipWithError("save failed");
  }
  SetSealing(nullptr);
  SetBytes(state);
}

BENCHMARK(Copy)->Unit(benchmark::kMillisecond)->MinTime(2)->MeasureProcessCPUTime();
BENCHMARK(SealJournal)->Name("Seal")->Unit(benchmark::kMillisecond)->MinTime(2)->MeasureProcessCPUTime();
BENCHMARK(OpenJournal)->Name("Open")->Unit(benchmark::kMillisecond)->MinTime(2)->MeasureProcessCPUTime();
BENCHMARK(Primitives)->Unit(benchmark::kMillisecond)->MinTime(2)->MeasureProcessCPUTime();
BENCHMARK(ReadPlain)->Unit(benchmark::kMillisecond)->MinTime(2)->MeasureProcessCPUTime();
BENCHMARK(ReadOpen)->Unit(benchmark::kMillisecond)->MinTime(2)->MeasureProcessCPUTime();
BENCHMARK(WriteFile<false>)->Name("WritePlain")->Unit(benchmark::kMillisecond)->MinTime(2)->MeasureProcessCPUTime();
BENCHMARK(WriteFile<true>)->Name("WriteSeal")->Unit(benchmark::kMillisecond)->MinTime(2)->MeasureProcessCPUTime();
BENCHMARK(LoadPlain)->Unit(benchmark::kMillisecond)->MinTime(2)->MeasureProcessCPUTime();
BENCHMARK(LoadWhole)->Unit(benchmark::kMillisecond)->MinTime(2)->MeasureProcessCPUTime();
BENCHMARK(DeriveKey)->Unit(benchmark::kMillisecond)->Iterations(5)->MeasureProcessCPUTime();
BENCHMARK(OpenInLibrary<false>)->Name("OpenInLibrary/Plain")->Unit(benchmark::kMillisecond)->MinTime(3)->UseRealTime();
BENCHMARK(OpenInLibrary<true>)->Name("OpenInLibrary/Sealed")->Unit(benchmark::kMillisecond)->MinTime(3)->UseRealTime();
BENCHMARK(SaveInLibrary<false>)->Name("SaveInLibrary/Plain")->Unit(benchmark::kMillisecond)->MinTime(3)->UseRealTime();
BENCHMARK(SaveInLibrary<true>)->Name("SaveInLibrary/Sealed")->Unit(benchmark::kMillisecond)->MinTime(3)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  TFixture fixture;
  gFixture = &fixture;
  std::string pattern = (fs::temp_directory_path() / "velmora-bench-crypto-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) return 1;
  fixture.Dir = pattern;
  fixture.Plain = GenerateJournal(50);
  fixture.Tuning = TuneKdf();
  std::string recovery;
  if (TLibraryKey::Create("пароль", fixture.Tuning.Params, fixture.Key, recovery) != seOk ||
      Seal(fixture.Plain, fixture.Key, fixture.Sealed) != seOk)
    return 1;
  TLibraryKey unlocked;
  if (TLibraryKey::Unlock(fixture.Key.Block(), "пароль", unlocked) != seOk) return 1;
  fixture.Sealing = std::make_shared<TJournalSealing>(std::move(unlocked));
  std::ofstream(fixture.PlainPath(), std::ios::binary) << fixture.Plain;
  std::ofstream(fixture.SealedPath(), std::ios::binary) << fixture.Sealed;
  std::printf("50-year journal: %.1f MB plain, %.1f MB sealed\n", fixture.Plain.size() / 1e6, fixture.Sealed.size() / 1e6);
  std::printf("tuned key derivation: Argon2id %llu passes over %llu MiB, %.0f ms when tuned\n",
              static_cast<unsigned long long>(fixture.Tuning.Params.OpsLimit),
              static_cast<unsigned long long>(fixture.Tuning.Params.MemLimit >> 20), fixture.Tuning.Seconds * 1e3);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  fs::remove_all(fixture.Dir);
  return 0;
}
