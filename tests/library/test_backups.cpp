// Dated backups: when one is made, what it holds, what thinning keeps, and that a backup that
// cannot be made is named once and never stops the save.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "journal_generator.h"
#include "vlm_Backups.h"
#include "vlm_Library.h"

namespace fs = std::filesystem;

namespace {
const char* const kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" language=\"EN\" standalone=\"yes\"?>\r\n";
constexpr std::time_t kStart = 1700000000;  // Nov 2023
constexpr std::time_t kDay = 86400;

std::string Gunzip(const std::string& path) {
  gzFile in = gzopen(path.c_str(), "rb");
  if (!in) return "(not opened)";
  std::string text;
  char buffer[65536];
  for (int got; (got = gzread(in, buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<std::size_t>(got));
  gzclose(in);
  return text;
}

std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class BackupTest : public ::testing::Test {
protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "velmora-backups-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    Dir = pattern;
    Folder = (Dir / "backups").string() + "/";
    std::ofstream(Dir / "dreams.ini", std::ios::binary)
        << kDeclaration << "<dreamlibrary name=\"L\">\r\n  <file name=\"J\" path=\"" << (Dir / "j.xml").string()
        << "\" />\r\n</dreamlibrary>\r\n";
    std::ofstream(Dir / "j.xml", std::ios::binary) << kDeclaration << "<velmora>\r\n  <day name=\"d1\" />\r\n</velmora>\r\n";
  }
  void TearDown() override { fs::remove_all(Dir); }
  std::vector<TBackupFile> Backups(const std::string& stem) const { return ListBackups(Folder, stem); }

  fs::path Dir;
  std::string Folder;
  std::time_t Now = kStart;
};

TEST(BackupThinning, KeepsTwoDaysThenOneADayForThirtyDaysThenOneAMonth) {
  std::vector<std::time_t> times;
  for (std::time_t t = kStart - 400 * kDay; t <= kStart; t += kDay / 4) times.push_back(t);  // four a day
  const auto thin = BackupsToThin(times, kStart);
  std::set<std::time_t> gone(thin.begin(), thin.end());
  int recent = 0, daily = 0, monthly = 0;
  for (const std::time_t t : times) {
    if (gone.count(t)) continue;
    const std::time_t age = kStart - t;
    (age <= 2 * kDay ? recent : age <= 30 * kDay ? daily : monthly)++;
  }
  EXPECT_EQ(recent, 9);                  // every one of the last two days
  EXPECT_GE(daily, 28);                  // one for each date of the days 3 to 30 (29 dates touched)
  EXPECT_LE(daily, 29);
  EXPECT_GE(monthly, 12);                // one a month over the 12 to 13 months before
  EXPECT_LE(monthly, 14);
  EXPECT_TRUE(gone.count(kStart - 10 * kDay - kDay / 4) || gone.count(kStart - 10 * kDay));  // not two of one day
}

// A save keeps the previous version, gzip-compressed, at most once an hour; the files were written.
TEST_F(BackupTest, SaveKeepsThePreviousVersionOnceAnHour) {
  TBackupKeeper keeper(Folder, [this] { return Now; });
  TLibrary library;
  library.SetBeforeReplace([&](const std::string& file) { keeper.BeforeReplace(file); });
  library.Load((Dir / "dreams.ini").string());
  TXMLParser* journal = library.OpenJournal((Dir / "j.xml").string());
  const std::string before = Read(Dir / "j.xml");
  auto edit = [&](const char* name) {
    library.AddDay(*journal, name);
    ASSERT_TRUE(library.Save().Failures.empty());
    ASSERT_TRUE(keeper.Wait(std::chrono::seconds(10)));
  };
  edit("d2");
  ASSERT_EQ(Backups("j").size(), 1u);
  EXPECT_EQ(Gunzip(Backups("j")[0].Path), before);
  EXPECT_TRUE(Backups("dreams").empty());  // the library did not change: not written, not kept
  EXPECT_NE(Read(Dir / "j.xml").find("d2"), std::string::npos);
  Now += 3000;  // within the hour
  edit("d3");
  EXPECT_EQ(Backups("j").size(), 1u);
  Now += 700;
  edit("d4");
  ASSERT_EQ(Backups("j").size(), 2u);
  EXPECT_NE(Gunzip(Backups("j")[1].Path).find("d3"), std::string::npos);
  EXPECT_EQ(Gunzip(Backups("j")[1].Path).find("d4"), std::string::npos);
  EXPECT_TRUE(keeper.TakeProblems().empty());
  for (const auto& entry : fs::directory_iterator(Folder))  // no pending copy or temporary left
    EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();
}

// A `backups` that cannot hold files: named once, and every save is still done.
TEST_F(BackupTest, BackupThatCannotBeMadeIsNamedOnceAndTheSaveIsDone) {
  std::ofstream(Dir / "backups") << "not a folder";
  TBackupKeeper keeper(Folder, [this] { return Now; });
  int told = 0;
  keeper.OnProblem = [&] { ++told; };
  for (int i = 0; i < 3; ++i, Now += 2 * 3600) {
    std::ofstream(Dir / "j.xml", std::ios::binary) << "v" << i;
    keeper.BeforeReplace((Dir / "j.xml").string());
    keeper.Wait(std::chrono::seconds(10));
  }
  const auto problems = keeper.TakeProblems();
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_NE(problems[0].find("j.xml"), std::string::npos);
  EXPECT_EQ(told, 1);
}

// A pending copy left by a program that ended first becomes a backup at the next start.
TEST_F(BackupTest, PendingCopyLeftBehindIsCompressedAtTheNextStart) {
  fs::create_directories(Folder);
  std::ofstream(Folder + "." + BackupName("j", kStart).substr(0, BackupName("j", kStart).size() - 3) + ".pending",
                std::ios::binary)
      << "old bytes";
  TBackupKeeper keeper(Folder, [this] { return Now; });
  ASSERT_TRUE(keeper.Wait(std::chrono::seconds(10)));
  ASSERT_EQ(Backups("j").size(), 1u);
  EXPECT_EQ(Gunzip(Backups("j")[0].Path), "old bytes");
  EXPECT_EQ(std::distance(fs::directory_iterator(Folder), fs::directory_iterator()), 1);
}

// A journal saved every day for a year: thinning leaves about 40 backups, in proportion under the
// 100 MB allowed for the 8.6 MB of a ten-year journal (a tenth of a one-year journal is used here
// to stay quick; velmora_bench_backups measures the ten-year journal itself).
TEST_F(BackupTest, AYearOfDailySavesStaysSmall) {
  const std::string text = GenerateJournal(1).substr(0, 86000);
  std::ofstream(Dir / "j.xml", std::ios::binary) << text;
  TBackupKeeper keeper(Folder, [this] { return Now; });
  for (int day = 0; day < 365; ++day, Now += kDay) {
    keeper.BeforeReplace((Dir / "j.xml").string());
    ASSERT_TRUE(keeper.Wait(std::chrono::seconds(10)));
  }
  std::uintmax_t bytes = 0;
  for (const auto& entry : fs::directory_iterator(Folder)) bytes += entry.file_size();
  const auto kept = Backups("j").size();
  EXPECT_GE(kept, 38u);
  EXPECT_LE(kept, 45u);
  EXPECT_LT(static_cast<double>(bytes), 100e6 * static_cast<double>(text.size()) / 8.6e6) << kept << " backups";
  RecordProperty("backup_bytes", std::to_string(bytes));
}

}  // namespace
