#include "vlm_Backups.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <utility>

#include "vlm_Resources.h"
#include "xml_functions.h"

namespace {

constexpr std::size_t kStampSize = 17;  // YYYY-MM-DD-HHMMSS
constexpr const char* kSuffix = ".xml.gz";
constexpr const char* kPendingSuffix = ".xml.pending";

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The time of a stamp "YYYY-MM-DD-HHMMSS" (local time), or -1.
std::time_t ParseStamp(const std::string& stamp) {
  if (stamp.size() != kStampSize) return -1;
  for (std::size_t i = 0; i < stamp.size(); ++i) {
    const bool dash = i == 4 || i == 7 || i == 10;
    if (dash ? stamp[i] != '-' : (stamp[i] < '0' || stamp[i] > '9')) return -1;
  }
  struct tm t {};
  t.tm_year = std::stoi(stamp.substr(0, 4)) - 1900;
  t.tm_mon = std::stoi(stamp.substr(5, 2)) - 1;
  t.tm_mday = std::stoi(stamp.substr(8, 2));
  t.tm_hour = std::stoi(stamp.substr(11, 2));
  t.tm_min = std::stoi(stamp.substr(13, 2));
  t.tm_sec = std::stoi(stamp.substr(15, 2));
  t.tm_isdst = -1;
  return std::mktime(&t);
}

std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* dir = ::opendir(folder.c_str())) {
    while (const dirent* entry = ::readdir(dir)) names.emplace_back(entry->d_name);
    ::closedir(dir);
  }
  return names;
}

bool WriteAll(int fd, const unsigned char* data, std::size_t size) {
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

}  // namespace

std::string BackupStem(const std::string& nativePath) {
  std::string name = nativePath.substr(nativePath.rfind('/') + 1);
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  return name;
}

std::string BackupName(const std::string& stem, std::time_t when) {
  char stamp[32];
  struct tm local {};
  ::localtime_r(&when, &local);
  std::strftime(stamp, sizeof stamp, "%Y-%m-%d-%H%M%S", &local);
  return stem + "-" + stamp + kSuffix;
}

std::vector<TBackupFile> ListBackups(const std::string& folder, const std::string& stem) {
  std::vector<TBackupFile> found;
  const std::string start = stem + "-";
  for (const std::string& name : Names(folder)) {
    if (name.size() != start.size() + kStampSize + std::strlen(kSuffix) || name.compare(0, start.size(), start) != 0 ||
        !EndsWith(name, kSuffix))
      continue;
    const std::time_t when = ParseStamp(name.substr(start.size(), kStampSize));
    if (when != -1) found.push_back({folder + name, when});
  }
  std::sort(found.begin(), found.end(), [](const TBackupFile& a, const TBackupFile& b) { return a.Time < b.Time; });
  return found;
}

std::vector<std::time_t> BackupsToThin(std::vector<std::time_t> times, std::time_t now) {
  constexpr std::time_t kDay = 86400;
  std::sort(times.rbegin(), times.rend());  // newest first: the newest of each day or month stays
  std::set<long> days, months;
  std::vector<std::time_t> thin;
  for (const std::time_t t : times) {
    const std::time_t age = now - t;
    if (age <= 2 * kDay) continue;
    struct tm local {};
    ::localtime_r(&t, &local);
    const long month = local.tm_year * 12L + local.tm_mon;
    const bool first = age <= 30 * kDay ? days.insert(month * 32 + local.tm_mday).second : months.insert(month).second;
    if (!first) thin.push_back(t);
  }
  return thin;
}

TBackupKeeper::TBackupKeeper(std::string folder, TClock clock) : FFolder(std::move(folder)), FClock(std::move(clock)) {
  if (!FClock) FClock = [] { return std::time(nullptr); };
  // What an earlier program left: pending copies are compressed now, half-written archives go.
  for (const std::string& name : Names(FFolder)) {
    if (name.size() < 2 || name[0] != '.') continue;
    if (EndsWith(name, std::string(kSuffix) + ".tmp")) {
      ::unlink((FFolder + name).c_str());
    } else if (EndsWith(name, kPendingSuffix) && name.size() > 1 + 1 + kStampSize + std::strlen(kPendingSuffix)) {
      const std::string base = name.substr(1, name.size() - 1 - std::strlen(kPendingSuffix));
      TJob job;
      job.Stem = base.substr(0, base.size() - kStampSize - 1);
      job.Pending = FFolder + name;
      job.Final = FFolder + base + kSuffix;
      job.Now = FClock();
      job.Shown = job.Final;
      FLatest[job.Stem] = std::max(FLatest[job.Stem], ParseStamp(base.substr(base.size() - kStampSize)));
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
  if (const auto listed = ListBackups(FFolder, stem); !listed.empty()) latest = std::max(latest, listed.back().Time);
  if (!always && latest != 0 && now - latest <= kGap) return false;
  if (now <= latest) now = latest + 1;  // a name of its own: never in place of a backup made this second

  auto problem = [&](int error) {
    Problem(stem, native, SystemErrorText(error));
    return false;
  };
  if (::mkdir(FFolder.c_str(), 0700) != 0 && errno != EEXIST) return problem(errno);
  TJob job;
  job.Stem = stem;
  job.Final = FFolder + BackupName(stem, now);
  job.Pending = FFolder + "." + job.Final.substr(FFolder.size(), job.Final.size() - FFolder.size() - std::strlen(kSuffix)) +
                kPendingSuffix;
  job.Now = now;
  job.Shown = native;
  // A second name for the old file: the save gives the file a new one and this keeps the old bytes.
  ::unlink(job.Pending.c_str());
  if (::linkat(AT_FDCWD, native.c_str(), AT_FDCWD, job.Pending.c_str(), AT_SYMLINK_FOLLOW) != 0) {
    const int error = errno;
    if (error != EXDEV && error != EPERM && error != EMLINK && error != EOPNOTSUPP) return problem(error);
    // Another file system (or one without links): the bytes are read now.
    job.Pending.clear();
    const int fd = ::open(native.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return problem(errno);
    job.Bytes.resize(static_cast<std::size_t>(st.st_size));
    std::size_t got = 0;
    while (got < job.Bytes.size()) {
      const ssize_t n = ::read(fd, job.Bytes.data() + got, job.Bytes.size() - got);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    job.Bytes.resize(got);
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
  auto real = [](const std::string& path) {
    char* resolved = ::realpath(path.empty() ? "." : path.c_str(), nullptr);
    const std::string out = resolved ? resolved : path;
    std::free(resolved);
    return out;
  };
  const std::size_t slash = nativePath.rfind('/');
  const std::string folder = real(slash == std::string::npos ? std::string() : nativePath.substr(0, slash + 1));
  std::string stem = BackupStem(nativePath);
  // The backups' folder may not be there yet: its parent (the library's folder) is.
  if (folder == real(FFolder.substr(0, FFolder.rfind('/', FFolder.size() - 2) + 1))) return stem;
  std::uint32_t hash = 2166136261u;  // FNV-1a: the same folder gives the same name in every run
  for (const unsigned char c : folder) hash = (hash ^ c) * 16777619u;
  char suffix[16];
  std::snprintf(suffix, sizeof suffix, "@%06x", hash & 0xffffffu);
  return stem + suffix;
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
      Thin(job.Stem, job.Now);
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
  const std::string temp = FFolder + "." + job.Final.substr(FFolder.size()) + ".tmp";
  int in = -1;
  if (!job.Pending.empty() && (in = ::open(job.Pending.c_str(), O_RDONLY | O_CLOEXEC)) < 0) {
    reason = SystemErrorText(errno);
    return false;
  }
  const int out = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (out < 0) {
    reason = SystemErrorText(errno);
    if (in >= 0) ::close(in);
    return false;
  }
  z_stream z {};
  bool ok = deflateInit2(&z, 6, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) == Z_OK;  // +16: gzip
  int error = ok ? 0 : ENOMEM;
  std::vector<unsigned char> input(1 << 18), output(1 << 18);
  std::size_t offset = 0;
  for (bool last = false; ok && !last;) {
    if (FStop) {  // the program ends: the pending copy stays for the next start
      ok = false;
      error = ECANCELED;
      break;
    }
    std::size_t got = 0;
    if (in >= 0) {
      const ssize_t n = ::read(in, input.data(), input.size());
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        ok = false;
        error = errno;
        break;
      }
      got = static_cast<std::size_t>(n);
      z.next_in = input.data();
    } else {
      got = std::min(input.size(), job.Bytes.size() - offset);
      z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(job.Bytes.data() + offset));
      offset += got;
    }
    last = got == 0;
    z.avail_in = static_cast<uInt>(got);
    do {
      z.next_out = output.data();
      z.avail_out = static_cast<uInt>(output.size());
      deflate(&z, last ? Z_FINISH : Z_NO_FLUSH);
      if (!WriteAll(out, output.data(), output.size() - z.avail_out)) {
        ok = false;
        error = errno;
        break;
      }
    } while (z.avail_out == 0);
  }
  deflateEnd(&z);
  if (in >= 0) ::close(in);
  if (ok && ::fsync(out) != 0) {
    ok = false;
    error = errno;
  }
  if (::close(out) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (ok && ::rename(temp.c_str(), job.Final.c_str()) != 0) {
    ok = false;
    error = errno;
  }
  if (!ok) {
    ::unlink(temp.c_str());
    reason = SystemErrorText(error);
    return false;
  }
  if (!job.Pending.empty()) ::unlink(job.Pending.c_str());
  return true;
}

void TBackupKeeper::Thin(const std::string& stem, std::time_t now) {
  const std::vector<TBackupFile> backups = ListBackups(FFolder, stem);
  std::vector<std::time_t> times;
  for (const auto& b : backups) times.push_back(b.Time);
  const std::vector<std::time_t> thin = BackupsToThin(times, now);
  for (const auto& b : backups)
    if (std::find(thin.begin(), thin.end(), b.Time) != thin.end()) ::unlink(b.Path.c_str());
}
