#include "xml_mainUnit.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <ctime>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <random>
#include <unordered_map>
#include <vector>

#include "xml_functions.h"
#include "xml_inPlace.h"
#include "xml_resources.h"
#include "xml_sealing.h"
#include "xml_textFile.h"
#include "xml_textStream.h"

namespace {

// Opens a regular file for reading; -1 when it cannot be opened. Non-blocking, and only a regular
// file: a pipe, device or socket would block or never end.
int OpenRegularFile(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  struct stat st {};
  if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
    ::close(fd);
    fd = -1;
  }
  return fd;
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

// Writes the document's text to `fd` in pieces as it is produced, sealed by `sealing` when it is
// given; 0, or the errno of the first write that failed.
int WriteDocument(const TXMLParameters& parameters, const TXMLNode& root, int fd, const TXMLSealing* sealing) {
  int writeErrno = 0;
  const std::unique_ptr<TXMLSealWriter> sealed = sealing ? sealing->Writer(fd) : nullptr;
  TXMLTextFile file;
  file.Sink = [&](std::string_view piece) {
    if (writeErrno == 0 && !(sealed ? sealed->Write(piece) : WriteAll(fd, piece))) writeErrno = errno ? errno : EIO;
  };
  parameters.WriteTo(file);
  root.WriteTo(file);
  file.Flush();
  WipeText(file.Buffer);
  if (writeErrno == 0 && sealed && !sealed->Finish()) writeErrno = errno ? errno : EIO;
  return writeErrno;
}


void FlushFolder(const std::string& dir) {
  const int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    ::fsync(dirFd);
    ::close(dirFd);
  }
}

// Temporary files of a save are named "." + the file's name + kTempInfix + six letters or digits.
constexpr const char* kTempInfix = ".saving-";

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

// Renames the named temporary file `from` to `prefix` + six letters not taken yet.
bool RenameToFreeName(const std::string& from, const std::string& prefix, std::string& name) {
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::minstd_rand random(static_cast<unsigned>(std::random_device{}()));
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = prefix;
    for (int i = 0; i < 6; ++i) name += kLetters[random() % (sizeof kLetters - 1)];
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, name.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EEXIST) break;
  }
  name.clear();
  return false;
}

mode_t NewFileMode() {
  mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// The hidden names (starting with ".") of a folder, read again only when the folder changed since
// (its inode or modification time): every journal read looks for leftovers beside it, and reading
// a folder of thousands of journals once for each of them would take minutes. A listing is kept
// only of a folder unchanged for two seconds: a time stamp is coarser than the clock, and a name
// added in the same tick as the listing would not change it.
std::vector<std::string> HiddenNames(const std::string& dir) {
  constexpr time_t kSettledSeconds = 2;
  struct TListing {
    dev_t Device = 0;
    ino_t Inode = 0;
    timespec Modified {};
    std::vector<std::string> Names;
  };
  static std::mutex guard;  // journals are read on several threads
  static std::unordered_map<std::string, TListing> listings;
  struct stat st {};
  if (::stat(dir.c_str(), &st) != 0) return {};
  {
    const std::lock_guard lock(guard);
    const auto found = listings.find(dir);
    if (found != listings.end() && found->second.Device == st.st_dev && found->second.Inode == st.st_ino &&
        found->second.Modified.tv_sec == st.st_mtim.tv_sec && found->second.Modified.tv_nsec == st.st_mtim.tv_nsec)
      return found->second.Names;
  }
  TListing listing{st.st_dev, st.st_ino, st.st_mtim, {}};
  DIR* d = ::opendir(dir.c_str());
  if (!d) return {};
  while (const dirent* e = ::readdir(d))
    if (e->d_name[0] == '.' && std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
      listing.Names.emplace_back(e->d_name);
  ::closedir(d);
  timespec now {};
  ::clock_gettime(CLOCK_REALTIME, &now);
  if (st.st_mtim.tv_sec + kSettledSeconds >= now.tv_sec) return listing.Names;
  const std::lock_guard lock(guard);
  return (listings[dir] = std::move(listing)).Names;
}

}  // namespace

void RemoveLeftoverCopies(const std::string& nativePath, std::string_view infix) {
  const std::size_t slash = nativePath.rfind('/');
  if (slash + 1 == nativePath.size()) return;  // no file name (slash + 1 is 0 for npos)
  const std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : nativePath.substr(0, slash);
  const std::string prefix = "." + nativePath.substr(slash + 1) + std::string(infix);
  auto ours = [&prefix](std::string_view name) {
    if (name.size() != prefix.size() + 6 || !name.starts_with(prefix)) return false;
    // mkstemp and LinkUnnamed draw the six from ASCII letters and digits only.
    return std::all_of(name.end() - 6, name.end(), [](char c) {
      return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    });
  };
  for (const std::string& name : HiddenNames(dir)) {
    if (!ours(name)) continue;
    const std::string leftover = dir + "/" + name;
    struct stat st {};
    if (::lstat(leftover.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid()) ::unlink(leftover.c_str());
  }
}

TXMLParser::TXMLParser() : Root(std::make_unique<TXMLNode>()), Parameters(std::make_unique<TXMLParameters>()) {}

TXMLParser::~TXMLParser() { FreeTree(); }

void TXMLParser::FreeTree() noexcept { FreeTree(xml_memory::HeapUses() == FHeapUsesAfterLoad); }

void TXMLParser::FreeTree(bool unchanged) noexcept { TXMLNode::FreeTree(Root, FArena, unchanged); }

void TXMLParser::LoadFromFile(const std::string& fileName) {
  if (fileName.empty()) {
    Status = xrNoFileName;
    return;
  }
  FileName = fileName;
  const std::string native = NativePath(fileName);
  int linkError = 0;
  const std::string target = FollowLinks(native, linkError);
  if (linkError == 0) {
    RemoveLeftoverCopies(target, kTempInfix);
    FinishInPlaceWrites(target);  // a save killed while it wrote in place is finished first
  }
  const int fd = OpenRegularFile(native);
  if (fd < 0) {
    Status = xrCannotOpen;  // the document keeps what it had
    return;
  }
  Refusal.clear();
  const std::shared_ptr<const TXMLSealing> sealing = Plain ? nullptr : CurrentSealing();
  if (sealing) {
    // The form is told from the first bytes (pread leaves the offset at the start); a sealed file
    // is then read whole and opened, a plain one read below as ever.
    char head[kSealingHeadBytes];
    ssize_t n = 0;
    do n = ::pread(fd, head, sizeof head, 0);
    while (n < 0 && errno == EINTR);
    if (n < 0) {
      ::close(fd);
      Status = xrCannotOpen;
      return;
    }
    std::string reason = sealing->CheckForm({head, static_cast<std::size_t>(n)});
    if (reason.empty() && sealing->Seals()) {
      // Opened a chunk at a time as the reader takes it, each chunk checked before it is handed on.
      const std::unique_ptr<TXMLOpenReader> reader = sealing->Reader(fd);
      reason = reader->Begin();
      if (reason.empty()) {
        TXMLTextStream stream([&reader](char* to, std::size_t count) { return reader->Read(to, count); });
        Read(stream);
        reason = reader->Error();  // a chunk changed part-way: the file is refused, never written
      }
    }
    if (sealing->Seals() || !reason.empty()) {
      ::close(fd);
      if (!reason.empty()) {
        Refusal = std::move(reason);
        Status = xrRefused;  // the document keeps what it had, or what was read before a changed chunk
      }
      return;
    }
  }
  TXMLTextStream stream(fd);
  Read(stream);
  ::close(fd);
}

TXMLResult TXMLParser::LoadFromString(std::string_view text) {
  TXMLTextStream stream(text);
  return Read(stream);
}

TXMLResult TXMLParser::LoadFromBytes(std::string_view bytes) {
  if (ReadSealed(bytes)) return Status;
  return LoadFromString(bytes);
}

bool TXMLParser::ReadSealed(std::string_view bytes) {
  Refusal.clear();
  const std::shared_ptr<const TXMLSealing> sealing = Plain ? nullptr : CurrentSealing();
  if (!sealing) return false;
  std::string reason = sealing->CheckForm(bytes.substr(0, kSealingHeadBytes));
  if (reason.empty() && !sealing->Seals()) return false;  // plain, as expected
  std::string plain;
  if (reason.empty()) reason = sealing->Open(bytes, plain);
  if (!reason.empty()) {
    Refusal = std::move(reason);
    Status = xrRefused;  // nothing was read: the document keeps what it had
    return true;
  }
  TXMLTextStream stream(plain);
  Read(stream);
  WipeText(plain);
  return true;
}

std::string TXMLParser::FileBytes() const {
  std::string text = SaveToString();
  const std::shared_ptr<const TXMLSealing> sealing = Plain ? nullptr : CurrentSealing();
  if (!sealing || !sealing->Seals()) return text;
  std::string sealed;
  const std::string reason = sealing->Seal(text, sealed);
  WipeText(text);
  if (!reason.empty()) throw std::runtime_error(reason);
  return sealed;
}

TXMLResult TXMLParser::Read(TXMLTextStream& stream) {
  // The new tree is built beside the old one, which a text that cannot be read leaves in place.
  // Otherwise it replaces the whole document; what fails to read stays as far as it was filled.
  const bool oldTreeUnchanged = xml_memory::HeapUses() == FHeapUsesAfterLoad;
  auto root = std::make_unique<TXMLNode>();
  auto parameters = std::make_unique<TXMLParameters>();
  auto arena = std::make_unique<TXMLArena>();
  std::size_t pos = 0;
  auto text = [&stream] { return stream.Text(); };
  stream.Need(pos, "?>");
  TXMLResult status = parameters->ParseDeclaration(text(), pos);
  if (status == xrOk) {
    stream.Need(pos, ">");
    if (text().substr(pos).starts_with("<?")) stream.Need(pos, "?>");
    status = parameters->ParseAfterDeclaration(text(), pos);
  }
  if (status == xrOk) {
    stream.NeedBytes(pos, 1);
    // The root must be an element: text standing in its place could not be written back.
    if (pos >= text().size() || text()[pos] != '<') status = xrNoRoot;
    else status = root->Parse(0, stream, pos, *arena);
  }
  if (status == xrOk) {
    stream.NeedBytes(pos, 1);
    if (pos < text().size()) status = xrRepeatedOrTrailing;
  }
  // A comment without an end fails the whole text, wherever the reading stopped.
  const bool commentsEnd = stream.Finish();
  if (stream.Failed()) {
    TXMLNode::FreeTree(root, arena, true);
    return Status = xrCannotOpen;
  }
  if (!commentsEnd) {
    TXMLNode::FreeTree(root, arena, true);
    root = std::make_unique<TXMLNode>();
    parameters = std::make_unique<TXMLParameters>();
    status = xrTruncated;
  }
  FreeTree(oldTreeUnchanged);
  Root = std::move(root);
  Parameters = std::move(parameters);
  FArena = std::move(arena);
  FTextSize = stream.BytesRead();
  FHeapUsesAfterLoad = xml_memory::HeapUses();
  return Status = status;
}

std::string TXMLParser::SaveToString() const {
  TXMLTextFile file;
  file.Buffer.reserve(FTextSize + FTextSize / 8);
  Parameters->WriteTo(file);
  Root->WriteTo(file);
  return std::move(file.Buffer);
}

void TXMLParser::SaveToFile(const std::string& fileName, bool keepLinks) {
  FileName = fileName;
  auto raise = [&fileName](const char* action, int errnum) {
    throw EInOutError(fileName, std::string(action) + ": " + SystemErrorText(errnum));
  };
  int linkError = 0;
  const std::string target = FollowLinks(NativePath(fileName), linkError);
  if (linkError != 0) raise(xml_res::ActionOpen, linkError);
  struct stat st {};
  bool exists = ::stat(target.c_str(), &st) == 0;
  if (exists && S_ISDIR(st.st_mode)) raise(xml_res::ActionWrite, EISDIR);
  if (exists && ::access(target.c_str(), W_OK) != 0) raise(xml_res::ActionWrite, errno);
  const mode_t mode = exists ? (st.st_mode & 07777) : NewFileMode();
  // A file with other names keeps them: written in place (xml_inPlace.h), not replaced.
  const bool inPlace = keepLinks && exists && S_ISREG(st.st_mode) && st.st_nlink > 1;

  const std::size_t slash = target.rfind('/');
  const std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
  const std::string prefix = target.substr(0, slash + 1) + "." + target.substr(slash + 1) + kTempInfix;
  RemoveLeftoverCopies(target, kTempInfix);
  FinishInPlaceWrites(target);

  // The text goes to a file without a name, which gets one only just before it replaces the old
  // file: a save killed part-way leaves nothing behind, unless it is killed between the naming
  // and the rename. Where the file system has no unnamed files, a named temporary file is used.
  // What a killed save left is removed when the file is next loaded or saved.
  std::string temp;
  int fd = ::open(dir.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, mode);  // read back when written in place
  const bool unnamed = fd >= 0;
  if (!unnamed) {
    temp = prefix + "XXXXXX";
    fd = ::mkstemp(temp.data());
    if (fd < 0) raise(xml_res::ActionCreateTemporary, errno);
  }
  auto fail = [&](const char* action) {
    const int reason = errno;
    if (fd >= 0) ::close(fd);
    if (!temp.empty()) ::unlink(temp.c_str());
    raise(action, reason);
  };
  if (::fchmod(fd, mode) != 0) fail(xml_res::ActionSetPermissions);
  // Keep the old file's owner where that is allowed (for root); otherwise it stays the writer's.
  if (exists && ::fchown(fd, st.st_uid, st.st_gid) != 0) errno = 0;
  int writeErrno = 0;
  try {
    const std::shared_ptr<const TXMLSealing> sealing = Plain ? nullptr : CurrentSealing();
    writeErrno = WriteDocument(*Parameters, *Root, fd, sealing && sealing->Seals() ? sealing.get() : nullptr);
  } catch (...) {  // out of memory while writing: leave no temporary file behind
    ::close(fd);
    if (!temp.empty()) ::unlink(temp.c_str());
    throw;
  }
  if (writeErrno != 0) {
    errno = writeErrno;
    fail(xml_res::ActionWrite);
  }
  if (::fsync(fd) != 0) fail(xml_res::ActionFlush);
  if (inPlace) return WriteInPlace(fd, unnamed, temp, target, dir, fileName);
  if (unnamed && !LinkUnnamed(fd, prefix, temp)) fail(xml_res::ActionCreateTemporary);
  const int closed = ::close(fd);
  fd = -1;
  if (closed != 0) fail(xml_res::ActionClose);
  if (::rename(temp.c_str(), target.c_str()) != 0) fail(xml_res::ActionReplace);
  FlushFolder(dir);  // the rename itself made durable; the new file is in place whatever this does
}

void TXMLParser::WriteInPlace(int fd, bool unnamed, std::string temp, const std::string& target, const std::string& dir,
                              const std::string& fileName) {
  auto raise = [&](const char* action, int errnum) {
    ::close(fd);
    if (!temp.empty()) ::unlink(temp.c_str());
    throw EInOutError(fileName, std::string(action) + ": " + SystemErrorText(errnum));
  };
  // The whole new text gets the name that the next load or save finishes a killed copy from.
  std::string named;
  if (unnamed ? !LinkUnnamed(fd, InPlacePrefix(target), named) : !RenameToFreeName(temp, InPlacePrefix(target), named))
    raise(xml_res::ActionCreateTemporary, errno);
  temp = named;
  FlushFolder(dir);
  const TInPlaceResult copied = CopyInPlace(fd, target);
  if (copied.Error != 0) {
    if (copied.Touched) temp.clear();  // the next load or save finishes the copy from it
    raise(xml_res::ActionWrite, copied.Error);
  }
  ::close(fd);
  ::unlink(temp.c_str());
  FlushFolder(dir);
}

TXMLNode* TXMLParser::FindNode(std::string_view name) const {
  if (Root->Name == name) return Root.get();
  return Root->FindNode(name);
}
