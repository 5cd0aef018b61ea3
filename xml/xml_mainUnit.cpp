#include "xml_mainUnit.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "xml_functions.h"

namespace {

std::string ErrnoText(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

// The text of a file being loaded, in memory of its own, so that the part already parsed can be
// given back to the system while the tree grows (the peak is then about the tree alone).
class TLoadBuffer {
public:
  ~TLoadBuffer() {
    if (Data) ::munmap(Data, Capacity);
  }
  // Reads the whole file, keeping one spare byte; false when it cannot be opened or read.
  bool Read(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && !S_ISDIR(st.st_mode);
    std::size_t expected = ok && S_ISREG(st.st_mode) ? static_cast<std::size_t>(st.st_size) : 0;
    ok = ok && Grow(expected + 1);
    while (ok) {
      // Full (the size was right, or the file grew, or it is not a regular file): probe for more.
      char probe[65536];
      bool full = Size + 1 >= Capacity;
      ssize_t got = full ? ::read(fd, probe, sizeof probe) : ::read(fd, Data + Size, Capacity - 1 - Size);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) ok = false;
      if (got <= 0) break;
      if (full) {
        if (!Grow(2 * Capacity + sizeof probe)) {
          ok = false;
          break;
        }
        std::memcpy(Data + Size, probe, static_cast<std::size_t>(got));
      }
      Size += static_cast<std::size_t>(got);
    }
    ::close(fd);
    return ok;
  }
  // Gives the whole pages inside [from, to) back; they are not read again. Ranges from 0 grow as
  // the parse advances, so only the part above the last such range is given back each time.
  void Release(std::size_t from, std::size_t to) {
    static const std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    if (from == 0) from = Released;
    from = (from + page - 1) / page * page;
    to = std::min(to, Capacity) / page * page;
    if (to <= from) return;
    ::madvise(Data + from, to - from, MADV_DONTNEED);
    if (from == Released) Released = to;
  }
  char* Data = nullptr;
  std::size_t Size = 0;

private:
  bool Grow(std::size_t capacity) {
    // Populated at once: cheaper than a fault for each page as the file is read in.
    void* p = ::mmap(nullptr, capacity, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
    if (p == MAP_FAILED) return false;
    if (Data) {
      std::memcpy(p, Data, Size);
      ::munmap(Data, Capacity);
    }
    Data = static_cast<char*>(p);
    Capacity = capacity;
    return true;
  }
  std::size_t Capacity = 0;
  std::size_t Released = 0;
};

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

mode_t NewFileMode() {
  mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

TXMLParser::TXMLParser() : Root(std::make_unique<TXMLNode>()), Parameters(std::make_unique<TXMLParameters>()) {}

TXMLParser::~TXMLParser() = default;

void TXMLParser::LoadFromFile(const std::string& fileName) {
  if (fileName.empty()) {
    Status = xrNoFileName;
    return;
  }
  FileName = fileName;
  TLoadBuffer buffer;
  if (!buffer.Read(NativePath(fileName))) {
    Status = xrCannotOpen;  // the document keeps what it had
    return;
  }
  ParseText(buffer.Data, buffer.Size, [&buffer](std::size_t from, std::size_t to) { buffer.Release(from, to); });
}

TXMLResult TXMLParser::LoadFromString(std::string text) {
  const std::size_t size = text.size();
  text.push_back(' ');  // the spare byte that joining may need
  return ParseText(text.data(), size, nullptr);
}

TXMLResult TXMLParser::ParseText(char* data, std::size_t size, const std::function<void(std::size_t, std::size_t)>& unused) {
  // A load replaces the whole document; what fails to read stays as far as it was filled.
  Root = std::make_unique<TXMLNode>();
  Parameters = std::make_unique<TXMLParameters>();
  FTextSize = size;
  size = JoinLines(data, size);
  size = RemoveComments(data, size, Status);
  if (Status != xrOk) return Status;
  // The text shrank (line ends and indentation go): the rest of the buffer would otherwise stay
  // resident until the tree, the largest part of the peak, is complete.
  if (unused) unused(size, FTextSize + 1);
  const std::string_view text(data, size);
  std::size_t pos = 0;
  Status = Parameters->ParsePrologue(text, pos);
  if (Status != xrOk) return Status;
  // The root must be an element: text standing in its place could not be written back.
  if (pos >= text.size() || text[pos] != '<') return Status = xrNoRoot;
  std::function<void(std::size_t)> consumed;
  if (unused) consumed = [&unused](std::size_t pos) { unused(0, pos); };
  Status = Root->Parse(0, text, pos, consumed);
  if (Status == xrOk && pos < text.size()) Status = xrRepeatedOrTrailing;
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
  std::string target = NativePath(fileName);
  // Replace a symbolic link's target, not the link.
  struct stat st {};
  if (::lstat(target.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    if (char* real = ::realpath(target.c_str(), nullptr)) {
      target = real;
      std::free(real);
    }
  }
  bool exists = ::stat(target.c_str(), &st) == 0;
  if (exists && S_ISDIR(st.st_mode)) throw EInOutError(fileName, "cannot write: " + std::string(std::strerror(EISDIR)));
  if (exists && ::access(target.c_str(), W_OK) != 0) throw EInOutError(fileName, ErrnoText("cannot write"));
  mode_t mode = exists ? (st.st_mode & 07777) : NewFileMode();

  std::size_t slash = target.rfind('/');
  std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
  std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
  std::string temp = (slash == std::string::npos ? std::string() : target.substr(0, slash + 1)) + "." + base + ".XXXXXX";
  int fd = ::mkstemp(temp.data());
  if (fd < 0) throw EInOutError(fileName, ErrnoText("cannot create a temporary file"));
  auto fail = [&](const char* what) {
    std::string reason = ErrnoText(what);
    if (fd >= 0) ::close(fd);
    ::unlink(temp.c_str());
    throw EInOutError(fileName, reason);
  };
  if (::fchmod(fd, mode) != 0) fail("cannot set the file mode");
  // Keep the old file's owner where that is allowed (for root); otherwise it stays the writer's.
  if (exists && ::fchown(fd, st.st_uid, st.st_gid) != 0) errno = 0;
  // The text goes to the temporary file in pieces as it is produced.
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
    ::unlink(temp.c_str());
    throw;
  }
  if (writeErrno != 0) {
    errno = writeErrno;
    fail("cannot write");
  }
  if (::fsync(fd) != 0) fail("cannot flush");
  int closed = ::close(fd);
  fd = -1;
  if (closed != 0) fail("cannot close");
  if (::rename(temp.c_str(), target.c_str()) != 0) fail("cannot replace the file");
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
