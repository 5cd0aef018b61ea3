// Loading from and saving to files: result codes, file names, atomic replacement, modes.
#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <functional>
#include <fstream>
#include <set>
#include <sstream>

#include "vlm_TempFolder.h"
#include "vlm_Unprivileged.h"
#include "xml_test_util.h"

namespace fs = std::filesystem;

namespace {
std::atomic<int> gFailingFsyncs{0};
}

// The library is linked statically into this binary, so its fsync calls come here: the next
// gFailingFsyncs calls fail with EIO.
extern "C" int fsync(int fd) {
  if (gFailingFsyncs > 0) {
    --gFailingFsyncs;
    errno = EIO;
    return -1;
  }
  return static_cast<int>(::syscall(SYS_fsync, fd));
}

namespace {

class XmlFiles : public ::testing::Test {
protected:
  static std::string Read(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  static void Write(const fs::path& p, const std::string& text) { std::ofstream(p, std::ios::binary) << text; }
  std::set<std::string> Entries() const {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.insert(e.path().filename().string());
    return names;
  }
  static void Fill(TXMLParser& p) {
    p.Root->Name = "velmora";
    for (int i = 0; i < 50; ++i) {
      auto day = std::make_unique<TXMLNode>("day");
      day->SetLevel(1);
      day->SetAttribute("name", std::to_string(i));
      p.Root->AddChild(std::move(day));
    }
  }

  TTempFolder folder{"velmora-xml"};
  fs::path dir = folder.Path;
};

TEST_F(XmlFiles, EmptyNameAndMissingFile) {
  TXMLParser p;
  p.FileName = "kept";
  p.LoadFromFile("");
  EXPECT_EQ(p.Status, xrNoFileName);
  EXPECT_EQ(p.FileName, "kept");
  const std::string missing = (dir / "missing.xml").string();
  p.LoadFromFile(missing);
  EXPECT_EQ(p.Status, xrCannotOpen);
  EXPECT_EQ(p.FileName, missing);
  EXPECT_EQ(p.Root->Name, "");
  EXPECT_EQ(p.Root->ChildCount(), 0);
  EXPECT_EQ(p.Parameters->Version, "1.0");
  p.LoadFromFile(dir.string());  // a folder cannot be read as a document
  EXPECT_EQ(p.Status, xrCannotOpen);
}

TEST_F(XmlFiles, FailedOpenKeepsTheDocument) {
  TXMLParser p;
  ASSERT_EQ(p.LoadFromString(Doc("<r a=\"1\" />")), xrOk);
  p.LoadFromFile((dir / "missing.xml").string());
  EXPECT_EQ(p.Status, xrCannotOpen);
  EXPECT_EQ(p.Root->GetAttribute("a"), "1");
}

TEST_F(XmlFiles, SaveAndLoadWithWindows1251FileName) {
  TXMLParser p;
  Fill(p);
  const std::string name = Utf8ToCp1251((dir / "Мои сны.xml").string());
  p.SaveToFile(name);
  EXPECT_EQ(p.FileName, name);
  ASSERT_TRUE(fs::exists(dir / "Мои сны.xml"));  // the name on disk is UTF-8
  EXPECT_EQ(Read(dir / "Мои сны.xml"), p.SaveToString());
  TXMLParser back;
  back.LoadFromFile(name);
  EXPECT_EQ(back.Status, xrOk);
  EXPECT_EQ(back.Root->ChildCount(), 50);
  EXPECT_EQ(Entries(), std::set<std::string>{"Мои сны.xml"});
}

TEST_F(XmlFiles, NewFileModeFollowsUmaskAndExistingModeIsKept) {
  TXMLParser p;
  Fill(p);
  mode_t old = umask(022);
  p.SaveToFile((dir / "new.xml").string());
  EXPECT_EQ(fs::status(dir / "new.xml").permissions(), fs::perms(0644));
  umask(077);
  p.SaveToFile((dir / "private.xml").string());
  EXPECT_EQ(fs::status(dir / "private.xml").permissions(), fs::perms(0600));
  umask(old);
  ASSERT_EQ(chmod((dir / "new.xml").c_str(), 0640), 0);
  p.SaveToFile((dir / "new.xml").string());
  EXPECT_EQ(fs::status(dir / "new.xml").permissions(), fs::perms(0640));
}

TEST_F(XmlFiles, ReplacedFileKeepsItsOwnerWhereAllowed) {
  if (geteuid() != 0) GTEST_SKIP() << "only root may give a file to another owner";
  Write(dir / "journal.xml", "old");
  ASSERT_EQ(chown((dir / "journal.xml").c_str(), 4321, 4322), 0);
  TXMLParser p;
  Fill(p);
  p.SaveToFile((dir / "journal.xml").string());
  struct stat st {};
  ASSERT_EQ(stat((dir / "journal.xml").c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, 4321u);
  EXPECT_EQ(st.st_gid, 4322u);
}

TEST_F(XmlFiles, SaveReplacesTheTargetOfASymbolicLink) {
  TXMLParser p;
  Fill(p);
  Write(dir / "real.xml", "old");
  fs::create_symlink("real.xml", dir / "link.xml");
  p.SaveToFile((dir / "link.xml").string());
  EXPECT_TRUE(fs::is_symlink(dir / "link.xml"));
  EXPECT_EQ(Read(dir / "real.xml"), p.SaveToString());
}

TEST_F(XmlFiles, FailedSaveToAFolderLeavesNothingBehind) {
  fs::create_directory(dir / "journal.xml");
  Write(dir / "journal.xml" / "inside", "x");
  TXMLParser p;
  Fill(p);
  const std::string target = (dir / "journal.xml").string();
  try {
    p.SaveToFile(target);
    FAIL() << "saving over a folder must raise";
  } catch (const EInOutError& e) {
    EXPECT_EQ(e.FileName, target);
    EXPECT_NE(std::string(e.what()).find(target), std::string::npos);
  }
  EXPECT_EQ(p.FileName, target);
  EXPECT_TRUE(fs::is_directory(dir / "journal.xml"));
  EXPECT_EQ(Entries(), std::set<std::string>{"journal.xml"});
}

TEST_F(XmlFiles, FailedSaveBelowARegularFileRaises) {
  Write(dir / "plain", "old");
  TXMLParser p;
  Fill(p);
  EXPECT_THROW(p.SaveToFile((dir / "plain" / "journal.xml").string()), EInOutError);
  EXPECT_EQ(Read(dir / "plain"), "old");
  EXPECT_EQ(Entries(), std::set<std::string>{"plain"});
}

// A write that fails half-way (here: the file size limit, which binds root too) keeps the old file.
TEST_F(XmlFiles, FailedWriteKeepsTheOldFileByteIdentical) {
  const std::string old = Doc(Lines({"<velmora>", "  <day name=\"old\">", "  </day>", "</velmora>"}));
  Write(dir / "journal.xml", old);
  TXMLParser p;
  Fill(p);
  ASSERT_GT(p.SaveToString().size(), 1000u);
  struct rlimit saved {};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  struct rlimit low = saved;
  low.rlim_cur = 512;
  auto oldHandler = signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &low), 0);
  bool raised = false;
  try {
    p.SaveToFile((dir / "journal.xml").string());
  } catch (const EInOutError& e) {
    raised = true;
    EXPECT_EQ(e.Reason, "Не удалось записать файл: файл слишком велик");
  }
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, oldHandler);
  EXPECT_TRUE(raised);
  EXPECT_EQ(Read(dir / "journal.xml"), old);
  EXPECT_EQ(Entries(), std::set<std::string>{"journal.xml"});
}

TEST_F(XmlFiles, ReadOnlyFileIsNotReplaced) {
  Write(dir / "journal.xml", "old");
  chmod((dir / "journal.xml").c_str(), 0444);
  chmod(dir.c_str(), 0777);  // the folder is writable: only the file's own mode forbids the save
  TXMLParser p;
  Fill(p);
  AsUnprivilegedUser([&] {
    try {
      p.SaveToFile((dir / "journal.xml").string());
      ADD_FAILURE() << "a read-only file was replaced";
    } catch (const EInOutError& e) {
      EXPECT_EQ(e.Reason, "Не удалось записать файл: нет прав доступа");
    }
    EXPECT_EQ(Read(dir / "journal.xml"), "old");
    EXPECT_EQ(Entries(), std::set<std::string>{"journal.xml"});
  });
}

TEST_F(XmlFiles, FailingFlushIsReportedAndKeepsTheOldFile) {
  Write(dir / "journal.xml", "old");
  TXMLParser p;
  Fill(p);
  gFailingFsyncs = 1;
  try {
    p.SaveToFile((dir / "journal.xml").string());
    ADD_FAILURE() << "a failing fsync was not reported";
  } catch (const EInOutError& e) {
    EXPECT_EQ(e.Reason, "Не удалось сохранить файл на диск: ошибка ввода-вывода");
  }
  gFailingFsyncs = 0;
  EXPECT_EQ(Read(dir / "journal.xml"), "old");
  EXPECT_EQ(Entries(), std::set<std::string>{"journal.xml"});
}

TEST_F(XmlFiles, PipesAndDevicesAreNotReadAndDoNotBlock) {
  ASSERT_EQ(mkfifo((dir / "pipe.xml").c_str(), 0600), 0);
  alarm(10);  // a blocking read ends the test binary instead of hanging it
  for (const std::string& path : {(dir / "pipe.xml").string(), std::string("/dev/zero"), std::string("/dev/null")}) {
    TXMLParser p;
    p.LoadFromFile(path);
    EXPECT_EQ(p.Status, xrCannotOpen) << path;
  }
  alarm(0);
}

TEST_F(XmlFiles, DanglingLinkGetsItsTargetCreated) {
  fs::create_directory(dir / "sub");
  fs::create_symlink("sub/real.xml", dir / "link.xml");
  fs::create_symlink("link.xml", dir / "chain.xml");
  TXMLParser p;
  Fill(p);
  p.SaveToFile((dir / "chain.xml").string());
  EXPECT_TRUE(fs::is_symlink(dir / "chain.xml"));
  EXPECT_TRUE(fs::is_symlink(dir / "link.xml"));
  EXPECT_EQ(Read(dir / "sub" / "real.xml"), p.SaveToString());
  // A link into a missing folder is refused, and stays a link.
  fs::create_symlink("gone/real.xml", dir / "lost.xml");
  EXPECT_THROW(p.SaveToFile((dir / "lost.xml").string()), EInOutError);
  EXPECT_TRUE(fs::is_symlink(dir / "lost.xml"));
  fs::create_symlink("loop.xml", dir / "loop.xml");
  EXPECT_THROW(p.SaveToFile((dir / "loop.xml").string()), EInOutError);
}

// Saves killed part-way (SIGKILL at various moments of a large save) leave the old or the new file
// whole and no partly written temporary file beside it.
TEST_F(XmlFiles, KilledSaveLeavesNoTemporaryFile) {
  TXMLParser p;
  p.Root->Name = "velmora";
  for (int i = 0; i < 200000; ++i) {
    auto day = std::make_unique<TXMLNode>("day");
    day->SetLevel(1);
    day->SetAttribute("name", "a rather long value to make the file large " + std::to_string(i));
    p.Root->AddChild(std::move(day));
  }
  const std::string path = (dir / "journal.xml").string();
  p.SaveToFile(path);
  const std::uintmax_t fullSize = fs::file_size(path);
  for (int round = 0; round < 6; ++round) {
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      close(ready[0]);
      if (write(ready[1], "x", 1) != 1) _exit(1);
      for (;;) p.SaveToFile(path);
    }
    close(ready[1]);
    char c;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    close(ready[0]);
    usleep(20000 + 37000 * round);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    // The text is written without a name; only a kill in the instant between naming the
    // finished file and the rename can leave one, complete, which the next save removes.
    for (const std::string& name : Entries()) {
      if (name == "journal.xml") continue;
      EXPECT_EQ(fs::file_size(dir / name), fullSize) << name << ", round " << round;
    }
    TXMLParser back;
    back.LoadFromFile(path);
    EXPECT_EQ(back.Status, xrOk);
    EXPECT_EQ(back.Root->ChildCount(), 200000);
  }
  p.SaveToFile(path);
  EXPECT_EQ(Entries(), std::set<std::string>{"journal.xml"});
}

// A file with another name (a hard link) is written in place when asked, so that both names show
// the new text; a copy left by an in-place save killed part-way is finished by the next load.
TEST_F(XmlFiles, HardLinksAreKeptAndAKilledInPlaceWriteIsFinishedByTheNextLoad) {
  TXMLParser p;
  Fill(p);
  const std::string path = (dir / "journal.xml").string();
  p.SaveToFile(path);
  fs::create_hard_link(path, dir / "other.xml");
  p.Root->GetChild(0)->SetAttribute("name", "changed");
  p.SaveToFile(path, true);
  EXPECT_EQ(Read(dir / "other.xml"), p.SaveToString());
  EXPECT_EQ(fs::hard_link_count(path), 2u);
  EXPECT_EQ(Entries(), (std::set<std::string>{"journal.xml", "other.xml"}));

  // Killed while copying: the whole new text beside it, the file half old, half new.
  p.Root->GetChild(1)->SetAttribute("name", "new");
  const std::string text = p.SaveToString();
  Write(dir / ".journal.xml.inplace-Ab12Cd", text);
  std::ofstream(path, std::ios::binary | std::ios::in | std::ios::out) << text.substr(0, text.size() / 2);
  TXMLParser back;
  back.LoadFromFile(path);
  ASSERT_EQ(back.Status, xrOk);
  EXPECT_EQ(back.SaveToString(), text);
  EXPECT_EQ(Read(dir / "other.xml"), text);
  EXPECT_EQ(Entries(), (std::set<std::string>{"journal.xml", "other.xml"}));
}

// In-place saves killed at various moments: the file, under both names, is always whole.
TEST_F(XmlFiles, KilledInPlaceSavesLeaveTheFileWhole) {
  TXMLParser big, small;
  for (TXMLParser* p : {&big, &small}) {
    p->Root->Name = "velmora";
    for (int i = 0; i < (p == &big ? 150000 : 100000); ++i) {
      auto day = std::make_unique<TXMLNode>("day");
      day->SetLevel(1);
      day->SetAttribute("name", "a rather long value to make the file large " + std::to_string(i));
      p->Root->AddChild(std::move(day));
    }
  }
  const std::string path = (dir / "journal.xml").string();
  big.SaveToFile(path);
  fs::create_hard_link(path, dir / "other.xml");
  for (int round = 0; round < 6; ++round) {
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      close(ready[0]);
      if (write(ready[1], "x", 1) != 1) _exit(1);
      for (int i = 0;; ++i) (i % 2 ? big : small).SaveToFile(path, true);
    }
    close(ready[1]);
    char c;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    close(ready[0]);
    usleep(20000 + 53000 * round);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    TXMLParser back;
    back.LoadFromFile(path);
    ASSERT_EQ(back.Status, xrOk) << "round " << round;
    EXPECT_TRUE(back.Root->ChildCount() == 150000 || back.Root->ChildCount() == 100000);
    EXPECT_EQ(Read(dir / "other.xml"), Read(path));
    EXPECT_EQ(fs::hard_link_count(path), 2u);
  }
  EXPECT_EQ(Entries(), (std::set<std::string>{"journal.xml", "other.xml"}));
}

// A temporary file that a killed save left (where the file system has no unnamed files) is
// removed by the next save of the same file; other files are not.
TEST_F(XmlFiles, NextSaveRemovesLeftTemporaryFiles) {
  for (const char* name : {".journal.xml.saving-Ab12Cd", ".journal.xml.backup", ".journal.xml.saving-1234567",
                           ".other.xml.saving-Ab12Cd"})
    Write(dir / name, "left");
  TXMLParser p;
  Fill(p);
  p.SaveToFile((dir / "journal.xml").string());
  EXPECT_EQ(Entries(), (std::set<std::string>{"journal.xml", ".journal.xml.backup", ".journal.xml.saving-1234567",
                                              ".other.xml.saving-Ab12Cd"}));
}

TEST_F(XmlFiles, FileReadingRules) {
  // CR LF ends lines, byte 26 ends the file, trailing empty lines do not matter.
  Write(dir / "a.xml", Doc(Lines({"<r>", "  text", "  more", "</r>", "", ""})) + "\x1A<garbage");
  TXMLParser p;
  p.LoadFromFile((dir / "a.xml").string());
  ASSERT_EQ(p.Status, xrOk);
  EXPECT_EQ(p.Root->GetChild(0)->Text, " text more");
}

}  // namespace
