#include "xml_mainUnit.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "xml_functions.h"

namespace {

std::string ErrnoText(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

// Reads a whole file; false when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& out) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  bool ok = ::fstat(fd, &st) == 0 && !S_ISDIR(st.st_mode);
  if (ok) {
    out.resize(static_cast<std::size_t>(st.st_size));
    std::size_t have = 0;
    for (;;) {
      if (have == out.size()) out.resize(have + 65536);  // the file may have grown, or be a pipe
      ssize_t got = ::read(fd, out.data() + have, out.size() - have);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) ok = false;
      if (got <= 0) break;
      have += static_cast<std::size_t>(got);
    }
    out.resize(have);
  }
  ::close(fd);
  return ok;
}

bool WriteAll(int fd, const std::string& data) {
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
  std::string text;
  if (!ReadWholeFile(NativePath(fileName), text)) {
    Status = xrCannotOpen;  // the document keeps what it had
    return;
  }
  LoadFromString(std::move(text));
}

TXMLResult TXMLParser::LoadFromString(std::string text) {
  // A load replaces the whole document; what fails to read stays as far as it was filled.
  Root = std::make_unique<TXMLNode>();
  Parameters = std::make_unique<TXMLParameters>();
  JoinLines(text);
  Status = RemoveComments(text);
  if (Status != xrOk) return Status;
  std::size_t pos = 0;
  Status = Parameters->ParsePrologue(text, pos);
  if (Status != xrOk) return Status;
  // The root must be an element: text standing in its place could not be written back.
  if (pos >= text.size() || text[pos] != '<') return Status = xrNoRoot;
  Status = Root->Parse(0, text, pos);
  if (Status == xrOk && pos < text.size()) Status = xrRepeatedOrTrailing;
  return Status;
}

std::string TXMLParser::SaveToString() const {
  TXMLTextFile file;
  Parameters->WriteTo(file);
  Root->WriteTo(file);
  return std::move(file.Buffer);
}

void TXMLParser::SaveToFile(const std::string& fileName) {
  FileName = fileName;
  const std::string text = SaveToString();
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
  if (!WriteAll(fd, text)) fail("cannot write");
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
