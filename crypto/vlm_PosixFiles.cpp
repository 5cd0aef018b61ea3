#include "vlm_PosixFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "vlm_CryptoResources.h"
#include "xml_functions.h"
#include "xml_mainUnit.h"
#include "xml_resources.h"

namespace {

constexpr const char* kWritingInfix = ".writing-";

std::string Failed(const char* action, int errnum) { return std::string(action) + ": " + SystemErrorText(errnum); }

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

// Makes a rename or removal in the folder durable; the change itself is done whatever this does.
void FlushFolder(const std::string& path) {
  const int fd = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t put = ::write(fd, bytes.data(), bytes.size());
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) {
      if (put == 0) errno = EIO;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(put));
  }
  return true;
}

}  // namespace

bool TPosixFiles::Exists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

bool TPosixFiles::Read(const std::string& path, std::string& bytes, std::string& error) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    error = Failed(crypto_res::ActionRead, errno);
    return false;
  }
  struct stat st {};
  int reason = ::fstat(fd, &st) != 0 ? errno : S_ISREG(st.st_mode) ? 0 : EISDIR;  // only a regular file
  std::size_t got = 0;
  if (reason == 0) bytes.resize(static_cast<std::size_t>(st.st_size));
  while (reason == 0) {
    if (got == bytes.size()) bytes.resize(got + 65536);  // the file grew since fstat
    const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) reason = errno;
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  ::close(fd);
  bytes.resize(got);
  if (reason != 0) error = Failed(crypto_res::ActionRead, reason);
  return reason == 0;
}

bool TPosixFiles::Write(const std::string& path, std::string_view bytes, std::string& error) {
  RemoveLeftoverCopies(path, kWritingInfix);
  struct stat st {};
  mode_t mode = 0666;
  if (::stat(path.c_str(), &st) == 0) {
    mode = st.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode &= ~mask;
  }
  const std::size_t slash = path.rfind('/');
  const std::size_t name = slash == std::string::npos ? 0 : slash + 1;
  std::string temp = path.substr(0, name) + "." + path.substr(name) + kWritingInfix + "XXXXXX";
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) {
    error = Failed(xml_res::ActionCreateTemporary, errno);
    return false;
  }
  const char* action = nullptr;
  int reason = 0;
  auto fail = [&](const char* what) {
    if (!action) {
      action = what;
      reason = errno;
    }
  };
  if (::fchmod(fd, mode) != 0) fail(xml_res::ActionSetPermissions);
  else if (!WriteAll(fd, bytes)) fail(xml_res::ActionWrite);
  else if (::fsync(fd) != 0) fail(xml_res::ActionFlush);
  if (::close(fd) != 0) fail(xml_res::ActionClose);
  if (!action && ::rename(temp.c_str(), path.c_str()) != 0) fail(xml_res::ActionReplace);
  if (action) {
    ::unlink(temp.c_str());
    error = Failed(action, reason);
    return false;
  }
  FlushFolder(path);
  return true;
}

bool TPosixFiles::Rename(const std::string& from, const std::string& to, std::string& error) {
  struct stat st {};
  if (::stat(to.c_str(), &st) == 0) ::chmod(from.c_str(), st.st_mode & 07777);  // best effort
  if (::rename(from.c_str(), to.c_str()) != 0) {
    error = Failed(crypto_res::ActionRename, errno);
    return false;
  }
  FlushFolder(to);
  return true;
}

bool TPosixFiles::Remove(const std::string& path, std::string& error) {
  RemoveLeftoverCopies(path, kWritingInfix);  // what a write of it killed part-way left
  if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
    error = Failed(crypto_res::ActionRemove, errno);
    return false;
  }
  FlushFolder(path);
  return true;
}

std::string TPosixFiles::Target(const std::string& path) {
  char resolved[PATH_MAX];
  return ::realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}
