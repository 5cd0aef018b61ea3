#include "xml_mainUnit.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>
#include <random>

#include "xml_functions.h"

namespace {

// Reads a regular file whole into memory from malloc, with at least one spare byte after it;
// nullptr when it cannot be opened or read. Non-blocking, and only a regular file is read: a pipe,
// device or socket would block or never end.
char* ReadFile(const std::string& path, std::size_t& size) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return nullptr;
  struct stat st {};
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  std::size_t capacity = ok ? static_cast<std::size_t>(st.st_size) + 2 : 0;
  char* data = ok ? static_cast<char*>(std::malloc(capacity)) : nullptr;
  ok = data != nullptr;
  size = 0;
  while (ok) {
    if (size + 1 == capacity) {  // the file grew while it was read
      char* bigger = static_cast<char*>(std::realloc(data, 2 * capacity));
      if (!(ok = bigger != nullptr)) break;
      data = bigger;
      capacity *= 2;
    }
    ssize_t got = ::read(fd, data + size, capacity - 1 - size);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) ok = false;
    if (got <= 0) break;
    size += static_cast<std::size_t>(got);
  }
  ::close(fd);
  if (!ok) {
    std::free(data);
    return nullptr;
  }
  return data;
}

bool WriteAll(int fd, std::string_view data) {
  const char* p = data.data();
  std::size_t left = data.size();
  while (left > 0) {
    ssize_t put = ::write(fd, p, left);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    p += put;
    left -= static_cast<std::size_t>(put);
  }
  return true;
}

// Temporary files of a save are named "." + the file's name + kTempInfix + six letters or digits.
constexpr const char* kTempInfix = ".saving-";

bool IsTempSuffix(std::string_view s) {
  return s.size() == 6 && std::all_of(s.begin(), s.end(), [](char c) { return std::isalnum(static_cast<unsigned char>(c)); });
}

// Removes the temporary files that earlier saves of the same file left when they were killed.
void RemoveStaleTemporaries(const std::string& dir, const std::string& namePrefix) {
  DIR* d = ::opendir(dir.c_str());
  if (!d) return;
  while (const dirent* e = ::readdir(d)) {
    std::string_view name = e->d_name;
    if (!name.starts_with(namePrefix) || !IsTempSuffix(name.substr(namePrefix.size()))) continue;
    struct stat st {};
    if (::fstatat(::dirfd(d), e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid())
      ::unlinkat(::dirfd(d), e->d_name, 0);
  }
  ::closedir(d);
}

// Gives the unnamed file open as fd the name prefix + six random letters; false with errno set.
bool LinkUnnamed(int fd, const std::string& prefix, std::string& name) {
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::minstd_rand random(static_cast<unsigned>(std::random_device{}()));
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = prefix;
    for (int i = 0; i < 6; ++i) name += kLetters[random() % (sizeof kLetters - 1)];
    int r = ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW);
    if (r != 0 && errno == ENOENT) r = ::linkat(fd, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH);  // no /proc
    if (r == 0) return true;
    if (errno != EEXIST) break;
  }
  name.clear();
  return false;
}

// The path a save writes: a symbolic link is followed to its target, also to one that does not
// exist yet, so that the link stays. errnum is set (ELOOP) when links do not end.
std::string FollowLinks(std::string path, int& errnum) {
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    std::string link(PATH_MAX, '\0');
    ssize_t n = ::readlink(path.c_str(), link.data(), link.size());
    if (n <= 0) return path;
    link.resize(static_cast<std::size_t>(n));
    const std::size_t slash = path.rfind('/');
    path = link[0] == '/' || slash == std::string::npos ? link : path.substr(0, slash + 1) + link;
  }
  errnum = ELOOP;
  return path;
}

mode_t NewFileMode() {
  mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

TXMLParser::TXMLParser() : Root(std::make_unique<TXMLNode>()), Parameters(std::make_unique<TXMLParameters>()) {}

TXMLParser::~TXMLParser() { FreeTree(); }

void TXMLParser::FreeTree() noexcept {
  TXMLNode::FreeTree(Root, FArena, xml_memory::HeapUses() == FHeapUsesAfterLoad);
  FText.reset();
}

void TXMLParser::LoadFromFile(const std::string& fileName) {
  if (fileName.empty()) {
    Status = xrNoFileName;
    return;
  }
  FileName = fileName;
  std::size_t size = 0;
  char* text = ReadFile(NativePath(fileName), size);
  if (!text) {
    Status = xrCannotOpen;  // the document keeps what it had
    return;
  }
  ParseText(text, size);
}

TXMLResult TXMLParser::LoadFromString(std::string_view text) {
  char* copy = static_cast<char*>(std::malloc(text.size() + 1));
  if (!copy) throw std::bad_alloc();
  std::memcpy(copy, text.data(), text.size());
  return ParseText(copy, text.size());
}

TXMLResult TXMLParser::ParseText(char* data, std::size_t size) {
  // A load replaces the whole document; what fails to read stays as far as it was filled. The old
  // tree goes before the text it borrows from.
  FreeTree();
  Root = std::make_unique<TXMLNode>();
  Parameters = std::make_unique<TXMLParameters>();
  FArena = std::make_unique<TXMLArena>();
  FText.reset(data);
  FTextSize = size;
  size = JoinLines(data, size);
  size = RemoveComments(data, size, Status);
  if (Status != xrOk) return Status;
  // Joining dropped the line ends and indentation: give back what they took at the end.
  if (char* smaller = static_cast<char*>(std::realloc(data, size + 1))) {
    (void)FText.release();
    FText.reset(data = smaller);
  }
  const std::string_view text(data, size);
  std::size_t pos = 0;
  Status = Parameters->ParsePrologue(text, pos);
  if (Status != xrOk) return Status;
  // The root must be an element: text standing in its place could not be written back.
  if (pos >= text.size() || text[pos] != '<') return Status = xrNoRoot;
  Status = Root->Parse(0, text, pos, FArena.get());
  if (Status == xrOk && pos < text.size()) Status = xrRepeatedOrTrailing;
  FHeapUsesAfterLoad = xml_memory::HeapUses();
  return Status;
}

std::string TXMLParser::SaveToString() const {
  TXMLTextFile file;
  file.Buffer.reserve(FTextSize + FTextSize / 8);
  Parameters->WriteTo(file);
  Root->WriteTo(file);
  return std::move(file.Buffer);
}

void TXMLParser::SaveToFile(const std::string& fileName) {
  FileName = fileName;
  auto raise = [&fileName](const char* action, int errnum) {
    throw EInOutError(fileName, std::string(action) + ": " + SystemErrorText(errnum));
  };
  int linkError = 0;
  const std::string target = FollowLinks(NativePath(fileName), linkError);
  if (linkError != 0) raise("Не удалось открыть файл", linkError);
  struct stat st {};
  bool exists = ::stat(target.c_str(), &st) == 0;
  if (exists && S_ISDIR(st.st_mode)) raise("Не удалось записать файл", EISDIR);
  if (exists && ::access(target.c_str(), W_OK) != 0) raise("Не удалось записать файл", errno);
  const mode_t mode = exists ? (st.st_mode & 07777) : NewFileMode();

  const std::size_t slash = target.rfind('/');
  const std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
  const std::string prefix = target.substr(0, slash + 1) + "." + target.substr(slash + 1) + kTempInfix;
  RemoveStaleTemporaries(dir, prefix.substr(slash + 1));

  // The text goes to a file without a name, which gets one only just before it replaces the old
  // file: a save killed part-way leaves nothing behind. Where the file system cannot do that, a
  // named temporary file is used, and the next save removes it if it was left.
  std::string temp;
  int fd = ::open(dir.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
  const bool unnamed = fd >= 0;
  if (!unnamed) {
    temp = prefix + "XXXXXX";
    fd = ::mkstemp(temp.data());
    if (fd < 0) raise("Не удалось создать временный файл", errno);
  }
  auto fail = [&](const char* action) {
    const int reason = errno;
    if (fd >= 0) ::close(fd);
    if (!temp.empty()) ::unlink(temp.c_str());
    raise(action, reason);
  };
  if (::fchmod(fd, mode) != 0) fail("Не удалось задать права файла");
  // Keep the old file's owner where that is allowed (for root); otherwise it stays the writer's.
  if (exists && ::fchown(fd, st.st_uid, st.st_gid) != 0) errno = 0;
  // The text goes to the file in pieces as it is produced.
  int writeErrno = 0;
  TXMLTextFile file;
  file.Sink = [&](std::string_view piece) {
    if (writeErrno == 0 && !WriteAll(fd, piece)) writeErrno = errno ? errno : EIO;
  };
  try {
    Parameters->WriteTo(file);
    Root->WriteTo(file);
    file.Flush();
  } catch (...) {  // out of memory while writing: leave no temporary file behind
    ::close(fd);
    if (!temp.empty()) ::unlink(temp.c_str());
    throw;
  }
  if (writeErrno != 0) {
    errno = writeErrno;
    fail("Не удалось записать файл");
  }
  if (::fsync(fd) != 0) fail("Не удалось сохранить файл на диск");
  if (unnamed && !LinkUnnamed(fd, prefix, temp)) fail("Не удалось создать временный файл");
  const int closed = ::close(fd);
  fd = -1;
  if (closed != 0) fail("Не удалось закрыть файл");
  if (::rename(temp.c_str(), target.c_str()) != 0) fail("Не удалось заменить файл");
  // Make the rename itself durable; the new file is in place whatever this returns.
  int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    ::fsync(dirFd);
    ::close(dirFd);
  }
}

TXMLNode* TXMLParser::FindNode(std::string_view name) const {
  if (Root->Name == name) return Root.get();
  return Root->FindNode(name);
}
