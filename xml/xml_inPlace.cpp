#include "xml_inPlace.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace {

constexpr const char* kInfix = ".inplace-";

bool OurCopyName(const std::string& name, const std::string& prefix) {
  if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0) return false;
  return std::all_of(name.end() - 6, name.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
  });
}

void FlushFolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  if (const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

}  // namespace

std::string InPlacePrefix(const std::string& nativeTarget) {
  const std::size_t slash = nativeTarget.rfind('/');
  return nativeTarget.substr(0, slash + 1) + "." + nativeTarget.substr(slash + 1) + kInfix;
}

TInPlaceResult CopyInPlace(int from, const std::string& nativeTarget) {
  TInPlaceResult result;
  struct stat st {};
  if (::fstat(from, &st) != 0) return {errno, false};
  const off_t size = st.st_size;
  const int to = ::open(nativeTarget.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
  if (to < 0) return {errno, false};
  struct stat target {};
  if (::fstat(to, &target) != 0 || !S_ISREG(target.st_mode)) {
    ::close(to);
    return {EINVAL, false};
  }
  // Room first: a disk that is full fails here, with the old text untouched.
  if (size > 0 && ::fallocate(to, FALLOC_FL_KEEP_SIZE, 0, size) != 0 && errno != EOPNOTSUPP && errno != ENOSYS) {
    result.Error = errno;
    ::close(to);
    return result;
  }
  result.Touched = true;
  std::vector<char> buffer(1 << 16);
  for (off_t at = 0; at < size && result.Error == 0;) {
    const ssize_t got = ::pread(from, buffer.data(), buffer.size(), at);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      result.Error = got == 0 ? EIO : errno;
      break;
    }
    for (ssize_t done = 0; done < got && result.Error == 0;) {
      const ssize_t put = ::pwrite(to, buffer.data() + done, static_cast<std::size_t>(got - done), at + done);
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0) result.Error = put == 0 ? EIO : errno;
      else done += put;
    }
    at += got;
  }
  if (result.Error == 0 && ::ftruncate(to, size) != 0) result.Error = errno;
  if (result.Error == 0 && ::fsync(to) != 0) result.Error = errno;
  if (::close(to) != 0 && result.Error == 0) result.Error = errno;
  return result;
}

void FinishInPlaceWrites(const std::string& nativeTarget) {
  const std::string prefix = InPlacePrefix(nativeTarget);
  const std::size_t slash = prefix.rfind('/');
  const std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : prefix.substr(0, slash);
  const std::string namePrefix = prefix.substr(slash + 1);
  DIR* d = ::opendir(dir.c_str());
  if (!d) return;
  std::vector<std::pair<struct timespec, std::string>> copies;
  while (const dirent* e = ::readdir(d)) {
    if (!OurCopyName(e->d_name, namePrefix)) continue;
    struct stat st {};
    if (::fstatat(::dirfd(d), e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid())
      copies.push_back({st.st_mtim, prefix.substr(0, slash + 1) + e->d_name});
  }
  ::closedir(d);
  if (copies.empty()) return;
  std::sort(copies.begin(), copies.end(), [](const auto& a, const auto& b) {
    return a.first.tv_sec != b.first.tv_sec ? a.first.tv_sec < b.first.tv_sec : a.first.tv_nsec < b.first.tv_nsec;
  });
  const int from = ::open(copies.back().second.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (from < 0) return;
  const bool done = CopyInPlace(from, nativeTarget).Error == 0;
  ::close(from);
  if (!done) return;
  for (const auto& copy : copies) ::unlink(copy.second.c_str());
  FlushFolderOf(nativeTarget);
}
