#pragma once
// Dated backups of the library's files. Before a save replaces a file, its present version is kept
// in the library's `backups/` folder as NAME-YYYY-MM-DD-HHMMSS.xml.gz (gzip, local time of the
// keeper's clock; NAME: StemOf), when the newest backup of
// that file is more than an hour old. The save only hard-links the old file there under a hidden
// name (`.NAME-YYYY-MM-DD-HHMMSS.xml.pending`; its bytes are read at once only where no link can be
// made); a worker thread compresses it, names the result and thins out the older backups. The
// worker starts kHold after the last file was kept (the save that keeps it writes meanwhile, and
// a save of several files keeps each), or at once when waited for; it runs at the lowest CPU and
// disk priority, so that it never slows the save or the window. A
// pending copy left by a program that ended first is compressed when the next keeper starts.
// A backup that fails is reported (Problems) and never stops the save.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <ctime>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// One backup of a file, as found in the folder.
struct TBackupFile {
  std::string Path;  // native (UTF-8)
  std::time_t Time = 0;
};

// The part of a backup's name that names its file: the file name without its last extension.
std::string BackupStem(const std::string& nativePath);
// "STEM-YYYY-MM-DD-HHMMSS.xml.gz" for the local time of `when`.
std::string BackupName(const std::string& stem, std::time_t when);
// The backups of `stem` in `folder` (native, ending in "/"), oldest first.
std::vector<TBackupFile> ListBackups(const std::string& folder, const std::string& stem);
// Of the backups made at `times`, those thinning removes at `now`: every backup of the last two
// days stays, then the newest of each day for 30 days, then the newest of each month.
std::vector<std::time_t> BackupsToThin(std::vector<std::time_t> times, std::time_t now);

class TBackupKeeper {
public:
  using TClock = std::function<std::time_t()>;
  static constexpr std::time_t kGap = 3600;  // a backup at most once an hour per file
  // `folder`: native, ending in "/"; created when the first backup is made. No clock: the system's.
  explicit TBackupKeeper(std::string folder, TClock clock = {});
  // Waits for the compressions under way at most `kCloseWait`; what is left stays pending.
  ~TBackupKeeper();
  TBackupKeeper(const TBackupKeeper&) = delete;
  TBackupKeeper& operator=(const TBackupKeeper&) = delete;
  static constexpr std::chrono::seconds kCloseWait{5};
  static constexpr std::chrono::milliseconds kHold{1500};

  // Called before the file at `cp1251Path` is replaced by a save; never raises, never waits.
  void BeforeReplace(const std::string& cp1251Path) { Keep(cp1251Path, false); }
  // Keeps the file's present version now, however recent the newest backup (before a restore puts
  // another in its place). False, and a problem reported, when it could not be.
  bool KeepNow(const std::string& cp1251Path) { return Keep(cp1251Path, true); }
  // True when nothing is left to compress, waiting at most `limit` (the hold ends at once).
  bool Wait(std::chrono::milliseconds limit);
  // The backups that failed since the last call, one message each (UTF-8). A file whose backups
  // keep failing is named once until one succeeds again.
  std::vector<std::string> TakeProblems();
  // Called (on any thread) after a problem was added.
  std::function<void()> OnProblem;
  const std::string& Folder() const { return FFolder; }
  // The NAME of a file's backups (ListBackups finds them by it): the file's stem, and for a file
  // outside the library's folder "@" and a hash of its folder, so that two journals of one name
  // in two folders keep apart.
  std::string StemOf(const std::string& nativePath) const;

private:
  struct TJob {
    std::string Stem, Pending, Final;  // native
    std::string Bytes;                 // the old file's bytes when no link could be made
    std::time_t Now = 0;
    std::string Shown;  // the file's path for messages (UTF-8)
  };
  bool Keep(const std::string& cp1251Path, bool always);
  void Problem(const std::string& stem, const std::string& shown, const std::string& reason);
  void Succeeded(const std::string& stem);
  void Work();
  bool Compress(const TJob& job, std::string& reason);
  void Thin(const std::string& stem, std::time_t now);

  std::string FFolder;
  TClock FClock;
  std::map<std::string, std::time_t> FLatest;  // stem: the newest backup made or pending
  std::mutex FMutex;
  std::condition_variable FChanged;
  std::deque<TJob> FJobs;
  bool FBusy = false;
  std::chrono::steady_clock::time_point FHoldUntil{};  // the worker starts no job before
  std::atomic<bool> FStop{false};
  std::vector<std::string> FProblems;
  std::map<std::string, bool> FFailing;  // stem: its last backup failed (and was named)
  std::thread FWorker;
};
