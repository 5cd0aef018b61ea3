#pragma once
// Dated backups of the library's files. Before a save replaces a file, its present version is kept
// in the library's `backups/` folder (vlm_BackupFiles.h: NAME-YYYY-MM-DD-HHMMSS.xml.zst, local
// time of the keeper's clock; NAME: StemOf), when the newest backup of that file is more than
// kGap old. The save only hard-links the old file there under a hidden name
// (`.NAME-YYYY-MM-DD-HHMMSS.xml.pending`; its bytes are read at once where no link can be made,
// where the file has other names and is written in place, and by KeepNow, whose link would count
// as another name at the save that follows); a worker thread packs it (as its
// difference from the newest whole version of the last kBaseAge when that is small, else whole),
// names the result and thins out the older backups. The worker starts kHold after the last file
// was kept (the save that keeps it writes meanwhile, and a save of several files keeps each), or
// at once when waited for; it runs at the lowest CPU and disk priority, so that it never slows the
// save or the window. A pending copy left by a program that ended first is packed when the next
// keeper starts. A backup that fails is reported (Problems) and never stops the save.
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

#include "vlm_BackupFiles.h"

class TBackupKeeper {
public:
  using TClock = std::function<std::time_t()>;
  // A backup at most every ten minutes per file: no stretch of editing loses more of what can be
  // brought back (thinning leaves one an hour after the first day).
  static constexpr std::time_t kGap = 600;
  // A version is kept as a difference from a whole one at most this old.
  static constexpr std::time_t kBaseAge = 30 * 86400;
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
  // in another folder "@" and a hash of its folder, so that two journals of one name in two
  // folders keep apart: of its path relative to the library's folder for a folder inside it (the
  // names stay when the library's folder is moved), of its absolute path for one outside.
  std::string StemOf(const std::string& nativePath) const;
  // The backups of the file at `nativePath`, oldest first: those of StemOf and those an earlier
  // version of the program named by the absolute path of its folder.
  std::vector<TBackupFile> BackupsOf(const std::string& nativePath) const;

private:
  struct TJob {
    std::string Stem, LegacyStem, Pending;  // native
    std::string Bytes;                      // the old file's bytes when no link was made
    std::time_t Stamp = 0;                  // the version's time, in its name
    std::time_t Now = 0;                    // when it was kept: thinning counts from then
    std::string Shown;                      // the file's path for messages (UTF-8)
  };
  std::string LegacyStemOf(const std::string& nativePath) const;
  bool Keep(const std::string& cp1251Path, bool always);
  void Problem(const std::string& stem, const std::string& shown, const std::string& reason);
  void Succeeded(const std::string& stem);
  void Work();
  bool Compress(const TJob& job, std::string& reason);
  // Writes `text` packed to its backup's name; a difference when that is small.
  bool Pack(const TJob& job, const std::string& text, std::string& reason);
  void Thin(const TJob& job);

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
