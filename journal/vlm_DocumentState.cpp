#include "vlm_DocumentState.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <functional>

#include "vlm_Resources.h"
#include "xml_functions.h"
#include "xml_mainUnit.h"

namespace {

// A backup is copied to ".NAME.damaged-XXXXXX" beside the file before it gets its dated name.
constexpr const char* kBackupInfix = ".damaged-";

[[noreturn]] void FailBackup(const std::string& path, int error, const char* reason) {
  throw EInOutError(path, res::Format(reason, {SystemErrorText(error)}));
}

bool CopyAll(int from, int to) {
  char buffer[1 << 16];
  for (;;) {
    const ssize_t got = ::read(from, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) return true;
    for (ssize_t done = 0; done < got;) {
      const ssize_t put = ::write(to, buffer + done, static_cast<std::size_t>(got - done));
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0) {
        if (put == 0) errno = EIO;
        return false;
      }
      done += put;
    }
  }
}

// Gives `temp` the name `name` unless something is there already (EEXIST then).
bool NameWithoutReplacing(const std::string& temp, const std::string& name) {
  if (::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, name.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  // A file system without that kind of rename: a hard link cannot replace anything either.
  if (::link(temp.c_str(), name.c_str()) != 0) return false;
  ::unlink(temp.c_str());
  return true;
}

// What a damaged file leaves behind that could not be written back: elements and attributes
// without a name (the tag the file broke off in). Without recursion: the file decides the depth.
void DropNameless(TXMLNode& root) {
  std::vector<TXMLNode*> pending{&root};
  while (!pending.empty()) {
    TXMLNode* node = pending.back();
    pending.pop_back();
    erase_if(node->Attributes, [](const TXMLAttribute& a) { return a.Name.empty(); });
    for (int i = node->ChildCount() - 1; i >= 0; --i) {
      TXMLNode* child = node->GetChild(i);
      if (child->Kind != nkText && child->Name.empty())
        node->DeleteChild(i);
      else
        pending.push_back(child);
    }
  }
}

// The part read of a damaged file, made fit to be written: true when its text reads back whole.
bool ReadyToWrite(TXMLParser& document) {
  DropNameless(*document.Root);
  TXMLParser check;
  return check.LoadFromString(document.SaveToString()) == xrOk;
}

}  // namespace

void TSaveReport::Append(TSaveReport other) {
  for (auto& f : other.Failures) Failures.push_back(std::move(f));
  for (auto& b : other.Backups) Backups.push_back(std::move(b));
  for (auto& b : other.Appeared) Appeared.push_back(std::move(b));
}

TDocumentState StateAfterLoad(const TXMLParser& document, const std::string& path) {
  RemoveLeftoverCopies(NativePath(path), kBackupInfix);
  TDocumentState state;
  if (document.Status == xrOk) return state;
  if (document.Status == xrRefused) {  // sealed with another key, damaged, or in the other form
    state.Read = rsUnreadable;
    state.Reason = document.Refusal;
    return state;
  }
  if (document.Status == xrCannotOpen || document.Status == xrNoFileName) {
    if (document.Status == xrCannotOpen && !PathExists(path)) {  // a new file
      state.Missing = true;
      return state;
    }
    state.Read = rsUnreadable;
    state.Reason = document.Status == xrNoFileName ? res::LoadStatusText(xrNoFileName) : WhyNotReadable(path);
    return state;
  }
  state.Read = rsPartial;
  state.Reason = res::LoadStatusText(document.Status);
  return state;
}

std::string WhyNotReadable(const std::string& path) {
  const std::string native = NativePath(path);
  struct stat st {};
  if (::lstat(native.c_str(), &st) == 0 && S_ISLNK(st.st_mode) && ::stat(native.c_str(), &st) != 0 && errno == ENOENT)
    return res::ReasonDanglingLink;
  if (::stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return res::ReasonIsFolder;
  const int fd = ::open(native.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return SystemErrorText(errno);
  ::close(fd);
  return res::LoadStatusText(xrCannotOpen);
}

namespace {
// Writes a copy beside the file at `path` (`fill` writes its bytes to the open file, mode 0600),
// flushed, then gives it the name `named(n)` (n = 1, 2, ...: the first that is free; nothing is
// ever replaced). Returns that name.
std::string WriteBeside(const std::string& path, const std::function<std::string(int)>& named, const char* reason,
                        const std::function<bool(int)>& fill) {
  const std::string native = NativePath(path);
  const std::size_t slash = native.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : native.substr(0, slash + 1);
  std::string temp = folder + "." + native.substr(folder.size()) + kBackupInfix + "XXXXXX";
  const int out = ::mkstemp(temp.data());
  if (out < 0) FailBackup(path, errno, reason);
  bool ok = fill(out) && ::fsync(out) == 0;
  int error = errno;
  if (::close(out) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (!ok) {
    ::unlink(temp.c_str());
    FailBackup(path, error, reason);
  }

  for (int n = 1; n < 1000; ++n) {
    const std::string name = named(n);
    if (NameWithoutReplacing(temp, NativePath(name))) {
      if (const int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
        ::fsync(dir);
        ::close(dir);
      }
      return name;
    }
    if (errno != EEXIST) break;
  }
  error = errno;
  ::unlink(temp.c_str());
  FailBackup(path, error, reason);
}

std::string Stamp(const char* format, std::time_t now, int n) {
  char stamp[40];
  struct tm local {};
  ::localtime_r(&now, &local);
  std::strftime(stamp, sizeof stamp, format, &local);
  return stamp + (n == 1 ? std::string() : "-" + std::to_string(n));
}

// Copies the present bytes of the file at `path` beside it (keeping its permissions) as WriteBeside.
std::string CopyBeside(const std::string& path, const std::function<std::string(int)>& named, const char* reason) {
  const int in = ::open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (in < 0) FailBackup(path, errno, reason);
  struct stat st {};
  if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
    const int error = S_ISREG(st.st_mode) ? errno : EINVAL;
    ::close(in);
    FailBackup(path, error, reason);
  }
  try {
    const std::string name =
        WriteBeside(path, named, reason, [&](int out) { return ::fchmod(out, st.st_mode & 07777) == 0 && CopyAll(in, out); });
    ::close(in);
    return name;
  } catch (...) {
    ::close(in);
    throw;
  }
}

// NAME.conflict-STAMP.EXT beside `path`: the copy keeps the file's extension, so it opens as the file does.
std::function<std::string(int)> ConflictName(const std::string& path, std::time_t now) {
  const std::size_t slash = path.rfind('/');
  std::size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash) || dot == slash + 1) dot = path.size();
  return [stem = path.substr(0, dot), extension = path.substr(dot), now](int n) {
    return stem + Stamp(".conflict-%Y%m%d-%H%M%S", now, n) + extension;
  };
}
}  // namespace

std::string BackUpDamagedFile(const std::string& path, std::time_t now) {
  return CopyBeside(path, [&](int n) { return path + Stamp(".damaged-%Y%m%d-%H%M%S", now, n); }, res::ReasonBackupFailed);
}

std::string KeepConflictCopy(const std::string& path, std::time_t now) {
  return CopyBeside(path, ConflictName(path, now), res::ReasonConflictCopyFailed);
}

std::string KeepOpenVersionBeside(const TXMLParser& document, const std::string& path, std::time_t now) {
  const std::string text = document.FileBytes();  // sealed as the file is
  return WriteBeside(path, ConflictName(path, now), res::ReasonOpenVersionNotKept, [&](int out) {
    for (std::size_t done = 0; done < text.size();) {
      const ssize_t put = ::write(out, text.data() + done, text.size() - done);
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0) return put == 0 ? (errno = EIO, false) : false;
      done += static_cast<std::size_t>(put);
    }
    return true;
  });
}

void SaveByState(TXMLParser& document, TDocumentState& state, TSaveReport& report, bool keepLinks) {
  if (state.ReadOnly()) return;  // refused by rule, announced when it was read: not a failure
  // A journal read as missing that still holds nothing: nobody put anything into it.
  if (state.Missing && document.Root && document.Root->Children.empty() && document.Root->Attributes.empty()) return;
  const std::string fileName = document.FileName;  // SaveToFile assigns FileName from its argument
  RemoveLeftoverCopies(NativePath(fileName), kBackupInfix);
  try {
    if (state.Missing && PathExists(fileName)) {
      // A file appeared at its name meanwhile (a folder put back, a sync tool): it is kept first.
      report.Appeared.push_back({fileName, KeepConflictCopy(fileName, std::time(nullptr))});
      state.Missing = false;
    }
    if (state.Read == rsPartial && !ReadyToWrite(document)) {
      report.Failures.push_back({fileName, res::ReasonPartNotWritable});
      return;
    }
    if (state.Read == rsPartial && state.Backup.empty()) {
      state.Backup = BackUpDamagedFile(fileName, std::time(nullptr));
      report.Backups.push_back({fileName, state.Backup});
    }
    document.SaveToFile(fileName, keepLinks);
    // The file now holds all of it; the backup keeps the original.
    state.Missing = false;
    state.Read = rsWhole;
    state.Reason.clear();
  } catch (const EInOutError& error) {
    report.Failures.push_back({error.FileName, error.Reason});
  } catch (const std::exception& error) {
    report.Failures.push_back({fileName, error.what()});
  }
}
