#include "vlm_Backups.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "vlm_BackupPacking.h"
#include "vlm_Resources.h"
#include "xml_functions.h"

namespace {

constexpr std::size_t kStampSize = 17;  // YYYY-MM-DD-HHMMSS
constexpr const char* kPendingSuffix = ".xml.pending";

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* dir = ::opendir(folder.c_str())) {
    while (const dirent* entry = ::readdir(dir)) names.emplace_back(entry->d_name);
    ::closedir(dir);
  }
  return names;
}

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t put = ::write(fd, data, size);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) {
      if (put == 0) errno = EIO;
      return false;
    }
    data += put;
    size -= static_cast<std::size_t>(put);
  }
  return true;
}

std::string RealPath(const std::string& path) {
  char* resolved = ::realpath(path.empty() ? "." : path.c_str(), nullptr);
  std::string out = resolved ? resolved : path;
  std::free(resolved);
  while (out.size() > 1 && out.back() == '/') out.pop_back();
  return out;
}

// "@" and six letters and digits of an FNV-1a hash: the same text gives the same name in every run.
std::string HashSuffix(const std::string& text) {
  std::uint32_t hash = 2166136261u;
  for (const unsigned char c : text) hash = (hash ^ c) * 16777619u;
  char suffix[16];
  std::snprintf(suffix, sizeof suffix, "@%06x", hash & 0xffffffu);
  return suffix;
}

// Gives `from` the name `to` unless something is there already.
bool RenameWithoutReplacing(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  if (::link(from.c_str(), to.c_str()) != 0) return false;
  ::unlink(from.c_str());
  return true;
}

}  // namespace

TBackupKeeper::TBackupKeeper(std::string folder, TClock clock) : FFolder(std::move(folder)), FClock(std::move(clock)) {
  if (!FClock) FClock = [] { return std::time(nullptr); };
  // What an earlier program left: pending copies are packed now, half-written archives go.
  for (const std::string& name : Names(FFolder)) {
    if (name.size() < 2 || name[0] != '.') continue;
    struct stat st {};
    if (::lstat((FFolder + name).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;  // never opened
    if (EndsWith(name, ".xml.zst.tmp") || EndsWith(name, ".xml.gz.tmp")) {
      ::unlink((FFolder + name).c_str());
    } else if (EndsWith(name, kPendingSuffix) && name.size() > 1 + 1 + kStampSize + std::strlen(kPendingSuffix)) {
      const std::string base = name.substr(1, name.size() - 1 - std::strlen(kPendingSuffix));
      TJob job;
      job.Stem = base.substr(0, base.size() - kStampSize - 1);
      job.Pending = FFolder + name;
      job.Now = FClock();
      job.Stamp = ParseBackupStamp(base.substr(base.size() - kStampSize));
      if (job.Stamp == -1) continue;
      job.Shown = FFolder + BackupName(job.Stem, job.Stamp);
      FLatest[job.Stem] = std::max(FLatest[job.Stem], job.Stamp);
      FJobs.push_back(std::move(job));
    }
  }
  if (!FJobs.empty()) FWorker = std::thread([this] { Work(); });
}

TBackupKeeper::~TBackupKeeper() {
  Wait(kCloseWait);
  {
    std::lock_guard lock(FMutex);
    FStop = true;
  }
  FChanged.notify_all();
  if (FWorker.joinable()) FWorker.join();
}

bool TBackupKeeper::Keep(const std::string& cp1251Path, bool always) {
  const std::string native = NativePath(cp1251Path);
  struct stat st {};
  if (::stat(native.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;  // nothing to keep yet
  const std::string stem = StemOf(native);
  std::time_t now = FClock();
  std::time_t latest = FLatest.count(stem) ? FLatest[stem] : 0;
  if (const auto listed = BackupsOf(native); !listed.empty()) latest = std::max(latest, listed.back().Time);
  if (!always && latest != 0 && now - latest <= kGap) return false;
  if (now <= latest) now = latest + 1;  // a name of its own: never in place of a backup made this second

  auto problem = [&](int error) {
    Problem(stem, native, SystemErrorText(error));
    return false;
  };
  if (::mkdir(FFolder.c_str(), 0700) != 0 && errno != EEXIST) return problem(errno);
  TJob job;
  job.Stem = stem;
  job.LegacyStem = LegacyStemOf(native);
  const std::string final = BackupName(stem, now);
  job.Pending = FFolder + "." + final.substr(0, final.size() - std::strlen(".xml.zst")) + kPendingSuffix;
  job.Stamp = job.Now = now;
  job.Shown = native;
  // A second name for the old file: the save gives the file a new one and this keeps the old bytes.
  // A file with other names already is written in place by the save, and a file kept before a
  // restore would count this name as another one at its save: their bytes are read now.
  ::unlink(job.Pending.c_str());
  const bool read = st.st_nlink > 1 || always;
  if (read || ::linkat(AT_FDCWD, native.c_str(), AT_FDCWD, job.Pending.c_str(), AT_SYMLINK_FOLLOW) != 0) {
    const int error = read ? EMLINK : errno;
    if (error != EXDEV && error != EPERM && error != EMLINK && error != EOPNOTSUPP) return problem(error);
    // Another file system (or one without links): the bytes are read now.
    job.Pending.clear();
    int readError = 0;
    if (!ReadRegularFile(native, job.Bytes, readError)) return problem(readError);
  }
  FLatest[stem] = now;
  {
    std::lock_guard lock(FMutex);
    FJobs.push_back(std::move(job));
    FHoldUntil = std::chrono::steady_clock::now() + kHold;
  }
  FChanged.notify_all();
  if (!FWorker.joinable()) FWorker = std::thread([this] { Work(); });
  return true;
}

std::string TBackupKeeper::StemOf(const std::string& nativePath) const {
  const std::size_t slash = nativePath.rfind('/');
  const std::string folder = RealPath(slash == std::string::npos ? std::string() : nativePath.substr(0, slash + 1));
  // The backups' folder may not be there yet: its parent (the library's folder) is.
  const std::string library = RealPath(FFolder.substr(0, FFolder.rfind('/', FFolder.size() - 2) + 1));
  const std::string stem = BackupStem(nativePath);
  if (folder == library) return stem;
  const std::string inside = library == "/" ? library : library + "/";
  if (folder.compare(0, inside.size(), inside) == 0) return stem + HashSuffix(folder.substr(inside.size()));
  return stem + HashSuffix(folder);
}

std::string TBackupKeeper::LegacyStemOf(const std::string& nativePath) const {
  const std::size_t slash = nativePath.rfind('/');
  const std::string folder = RealPath(slash == std::string::npos ? std::string() : nativePath.substr(0, slash + 1));
  const std::string library = RealPath(FFolder.substr(0, FFolder.rfind('/', FFolder.size() - 2) + 1));
  const std::string stem = BackupStem(nativePath);
  return folder == library ? stem : stem + HashSuffix(folder);
}

std::vector<TBackupFile> TBackupKeeper::BackupsOf(const std::string& nativePath) const {
  std::vector<TBackupFile> found = ListBackups(FFolder, StemOf(nativePath));
  if (const std::string legacy = LegacyStemOf(nativePath); legacy != StemOf(nativePath)) {
    for (TBackupFile& b : ListBackups(FFolder, legacy)) found.push_back(std::move(b));
    std::stable_sort(found.begin(), found.end(), [](const TBackupFile& a, const TBackupFile& b) { return a.Time < b.Time; });
  }
  return found;
}

bool TBackupKeeper::Wait(std::chrono::milliseconds limit) {
  std::unique_lock lock(FMutex);
  FHoldUntil = {};
  FChanged.notify_all();
  return FChanged.wait_for(lock, limit, [this] { return FJobs.empty() && !FBusy; });
}

std::vector<std::string> TBackupKeeper::TakeProblems() {
  std::lock_guard lock(FMutex);
  return std::exchange(FProblems, {});
}

void TBackupKeeper::Problem(const std::string& stem, const std::string& shown, const std::string& reason) {
  {
    std::lock_guard lock(FMutex);
    if (FFailing[stem]) return;
    FFailing[stem] = true;
    FProblems.push_back(res::Format(res::MsgDatedBackupFailed, {shown, reason}));
  }
  if (OnProblem) OnProblem();
}

void TBackupKeeper::Succeeded(const std::string& stem) {
  std::lock_guard lock(FMutex);
  FFailing[stem] = false;
}

void TBackupKeeper::Work() {
  // The lowest priorities of this thread alone (Linux: a thread's nice and I/O class are its own).
  const auto self = static_cast<id_t>(::syscall(SYS_gettid));
  ::setpriority(PRIO_PROCESS, self, 19);
  constexpr int kIoPrioClassIdle = 3, kIoPrioClassShift = 13, kIoPrioWhoProcess = 1;
  ::syscall(SYS_ioprio_set, kIoPrioWhoProcess, static_cast<int>(self), kIoPrioClassIdle << kIoPrioClassShift);
  for (;;) {
    TJob job;
    {
      std::unique_lock lock(FMutex);
      for (;;) {
        if (FStop) return;  // what is left stays pending on disk for the next start
        if (!FJobs.empty() && std::chrono::steady_clock::now() >= FHoldUntil) break;
        if (FJobs.empty())
          FChanged.wait(lock);
        else
          FChanged.wait_until(lock, FHoldUntil);
      }
      job = std::move(FJobs.front());
      FJobs.pop_front();
      FBusy = true;
    }
    std::string reason;
    if (Compress(job, reason)) {
      Succeeded(job.Stem);
      Thin(job);
    } else if (!FStop) {
      Problem(job.Stem, job.Shown, reason);
    }
    {
      std::lock_guard lock(FMutex);
      FBusy = false;
    }
    FChanged.notify_all();
  }
}

bool TBackupKeeper::Compress(const TJob& job, std::string& reason) {
  std::string text;
  int error = 0;
  if (!job.Pending.empty() && !ReadRegularFile(job.Pending, text, error)) {
    reason = SystemErrorText(error);
    return false;
  }
  if (!Pack(job, job.Pending.empty() ? job.Bytes : text, reason)) return false;
  if (!job.Pending.empty()) ::unlink(job.Pending.c_str());
  return true;
}

bool TBackupKeeper::Pack(const TJob& job, const std::string& text, std::string& reason) {
  // The newest whole version of the last kBaseAge before this one: a small difference from it
  // takes its place (a day of notes is a few kilobytes, a whole journal megabytes).
  const TBackupFile* base = nullptr;
  const std::vector<TBackupFile> backups = ListBackups(FFolder, job.Stem);
  for (const TBackupFile& b : backups)
    if (b.Base.empty() && EndsWith(b.Path, ".xml.zst") && b.Time < job.Stamp && job.Stamp - b.Time <= kBaseAge) base = &b;
  std::string name = BackupName(job.Stem, job.Stamp), difference;
  if (base) {
    std::string baseText, why;
    int error = 0;
    struct stat st {};
    const bool small = UnpackBackup(base->Path, {}, baseText, why) && ::stat(base->Path.c_str(), &st) == 0 &&
                       PackBackup(text, &baseText, [&](const char* p, std::size_t n) { return difference.append(p, n), true; },
                                  FStop, error) &&
                       difference.size() <= static_cast<std::size_t>(st.st_size) / 2;
    if (FStop) return reason = SystemErrorText(ECANCELED), false;
    if (small) name = DifferenceName(job.Stem, job.Stamp, base->Time);
    else difference.clear();
  }

  const std::string final = FFolder + name, temp = FFolder + "." + name + ".tmp";
  const int out = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (out < 0) return reason = SystemErrorText(errno), false;
  int error = 0;
  bool ok = true;
  if (!difference.empty()) {
    ok = WriteAll(out, difference.data(), difference.size());
    error = errno;
  } else {
    ok = PackBackup(text, nullptr, [out](const char* p, std::size_t n) { return WriteAll(out, p, n); }, FStop, error);
  }
  if (ok && ::fsync(out) != 0) ok = false, error = errno;
  if (::close(out) != 0 && ok) ok = false, error = errno;
  if (ok && ::rename(temp.c_str(), final.c_str()) != 0) ok = false, error = errno;
  if (!ok) {
    ::unlink(temp.c_str());
    reason = SystemErrorText(error);
  }
  return ok;
}

void TBackupKeeper::Thin(const TJob& job) {
  std::vector<TBackupFile> backups = ListBackups(FFolder, job.Stem);
  std::vector<TBackupFile> legacy;
  if (!job.LegacyStem.empty() && job.LegacyStem != job.Stem) legacy = ListBackups(FFolder, job.LegacyStem);
  for (const TBackupFile& b : legacy) backups.push_back(b);
  std::stable_sort(backups.begin(), backups.end(), [](const TBackupFile& a, const TBackupFile& b) { return a.Time < b.Time; });
  for (const std::string& path : BackupFilesToThin(backups, job.Now)) ::unlink(path.c_str());
  // Those an earlier version named by the folder's absolute path take the name that stays when
  // the library's folder moves (whole versions all: no difference names them).
  const std::size_t legacyStart = FFolder.size() + job.LegacyStem.size();
  for (const TBackupFile& b : legacy) {
    struct stat st {};
    if (::lstat(b.Path.c_str(), &st) == 0) RenameWithoutReplacing(b.Path, FFolder + job.Stem + b.Path.substr(legacyStart));
  }
}
