// The rules for writing a file that was not read whole: a backup beside it that never replaces
// anything, and no write when the backup cannot be made.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "vlm_DocumentState.h"
#include "vlm_TempFolder.h"
#include "xml_mainUnit.h"

namespace fs = std::filesystem;

namespace {

class DocumentStateTest : public ::testing::Test {
protected:
  std::string PathOf(const std::string& name) const { return (Dir / name).string(); }
  static void Write(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  std::size_t FileCount() const {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(Dir), fs::directory_iterator()));
  }
  TTempFolder Folder{"velmora-state"};
  fs::path Dir = Folder.Path;
};

TEST_F(DocumentStateTest, BackupsAreNamedByTheTimeAndNeverReplaceAnother) {
  const std::string file = PathOf("j.xml");
  Write(file, "first bytes");
  std::tm local{};
  local.tm_year = 2026 - 1900;
  local.tm_mon = 11;
  local.tm_mday = 7;
  local.tm_hour = 13;
  local.tm_min = 4;
  local.tm_sec = 5;
  local.tm_isdst = -1;
  const std::time_t now = std::mktime(&local);

  const std::string first = BackUpDamagedFile(file, now);
  EXPECT_EQ(first, file + ".damaged-20261207-130405");
  Write(file, "second bytes");
  const std::string second = BackUpDamagedFile(file, now);
  EXPECT_EQ(second, first + "-2");
  EXPECT_EQ(Read(first), "first bytes");
  EXPECT_EQ(Read(second), "second bytes");
  EXPECT_EQ(FileCount(), 3u) << "no temporary file is left";
}

// A backup or save killed part-way can leave a hidden copy of the file beside it (the save's
// beside the target of a link); opening or saving the file removes those, and nothing else.
TEST_F(DocumentStateTest, CopiesLeftByKilledSavesAndBackupsGoWhenTheFileIsOpenedOrSaved) {
  fs::create_directory(Dir / "sub");
  const std::string file = PathOf("j.xml");
  fs::create_symlink("sub/j.xml", file);
  Write(PathOf("sub/j.xml"), "<?xml version=\"1.0\"?>\r\n<velmora></velmora>\r\n");
  const std::vector<std::string> left = {".j.xml.damaged-Ab12Cd", "sub/.j.xml.saving-x9Y8z7"};
  const std::vector<std::string> kept = {"j.xml.damaged-20261207-130405", ".j.xml.damaged-Ab12C", ".j.xml.damaged-Ab12Cd7",
                                         ".j.xml.damaged-Ab-2Cd", ".k.xml.damaged-Ab12Cd", "sub/.k.xml.saving-x9Y8z7"};
  for (const std::string& name : kept) Write(PathOf(name), "kept");
  fs::create_directory(PathOf("sub/.j.xml.saving-Folder"));
  auto plant = [&] {
    for (const std::string& name : left) Write(PathOf(name), "left");
  };
  plant();
  TXMLParser document;
  document.LoadFromFile(file);
  TDocumentState state = StateAfterLoad(document, file);
  for (const std::string& name : left) EXPECT_FALSE(fs::exists(PathOf(name))) << name << " stayed after opening";
  plant();
  TSaveReport report;
  SaveByState(document, state, report);
  EXPECT_TRUE(report.Failures.empty());
  for (const std::string& name : left) EXPECT_FALSE(fs::exists(PathOf(name))) << name << " stayed after saving";
  for (const std::string& name : kept) EXPECT_EQ(Read(PathOf(name)), "kept") << name;
  EXPECT_TRUE(fs::is_directory(PathOf("sub/.j.xml.saving-Folder")));
}

TEST_F(DocumentStateTest, WhenNoBackupCanBeMadeNothingIsWrittenAndTheFailureIsReported) {
  const std::string file = PathOf("j.xml");
  Write(file, "<?xml version=\"1.0\"?>\r\n<velmora>\r\n<day>");
  TXMLParser document;
  document.LoadFromFile(file);
  TDocumentState state = StateAfterLoad(document, file);
  ASSERT_EQ(state.Read, rsPartial);
  // The damaged file has been replaced by something that cannot be copied.
  fs::remove(file);
  ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);

  TSaveReport report;
  SaveByState(document, state, report);
  ASSERT_EQ(report.Failures.size(), 1u);
  EXPECT_EQ(report.Failures[0].FileName, file);
  EXPECT_FALSE(report.Failures[0].Reason.empty());
  EXPECT_TRUE(report.Backups.empty());
  EXPECT_TRUE(fs::is_fifo(file)) << "nothing was written in its place";
  EXPECT_EQ(FileCount(), 1u);
  EXPECT_EQ(state.Read, rsPartial) << "the next save tries the backup again";
}

}  // namespace
