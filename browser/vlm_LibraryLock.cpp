#include "vlm_LibraryLock.h"

#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSysInfo>
#include <QThread>
#include <cerrno>
#include <cstring>
#include <ctime>

#include "vlm_Resources.h"
#include "vlm_Strings.h"

enum TFound { fdGone, fdHeld, fdLeftover, fdEmpty, fdGarbage, fdUnreadable, fdLink, fdFolder, fdOther, fdUnknown };

struct TLibraryLock::TPlace {
  TFound Found = fdGone;
  dev_t Device = 0;
  ino_t Inode = 0;
  bool Young = false;  // changed in the last two seconds
};

namespace {

// Whether anyone holds a lock on the file, asked of the lock itself: QLockFile holds an flock
// (and an fcntl lock) on its lock file for as long as its program runs. The kernel's list is read
// first, which disturbs nothing (a test lock of our own could make a copy that is taking the lock
// this moment fail to take its own); without that list, a shared flock is tried.
enum THeld { hdYes, hdNo, hdUnknown };
THeld LockHeld(const struct stat& st, int fd) {
  if (FILE* locks = ::fopen("/proc/locks", "re")) {
    char id[64];
    std::snprintf(id, sizeof id, " %02x:%02x:%llu ", major(st.st_dev), minor(st.st_dev),
                  static_cast<unsigned long long>(st.st_ino));
    bool listed = false;
    char line[512];
    while (!listed && std::fgets(line, sizeof line, locks)) listed = std::strstr(line, id) != nullptr;
    ::fclose(locks);
    return listed ? hdYes : hdNo;
  }
  if (fd < 0) return hdUnknown;
  if (::flock(fd, LOCK_SH | LOCK_NB) == 0) {
    ::flock(fd, LOCK_UN);
    return hdNo;
  }
  return errno == EWOULDBLOCK ? hdYes : hdUnknown;  // a file system without flock cannot tell
}

// A process of this program's name runs as `pid` (taken to run when that cannot be told). Asked
// only where the lock itself cannot answer.
bool RunsThisProgram(qint64 pid) {
  if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno != EPERM) return false;
  const QString exe = QFile::symLinkTarget(QStringLiteral("/proc/%1/exe").arg(pid));
  return exe.isEmpty() || QFileInfo(exe).fileName() == QFileInfo(QCoreApplication::applicationFilePath()).fileName();
}

// A lock file as QLockFile writes it: process number, program, computer, each on a line. `held`:
// what the lock itself said.
TFound JudgeContent(const QByteArray& text, THeld held) {
  if (text.isEmpty()) return fdEmpty;
  const QList<QByteArray> lines = text.split('\n');
  bool number = false;
  const qint64 pid = lines[0].toLongLong(&number);
  if (lines.size() < 4 || !number || pid <= 0) return fdGarbage;
  // A lock from another computer (a shared folder): whether its program still runs is not known.
  if (lines[2] != QSysInfo::machineHostName().toUtf8()) return fdHeld;
  // Nobody holds it: its program ended without letting go, whatever runs under its number now.
  if (held == hdNo) return fdLeftover;
  return RunsThisProgram(pid) ? fdHeld : fdLeftover;
}

// Moves a folder found in the lock's place to "NAME.moved-YYYYMMDD-HHMMSS" beside it, never over
// anything; returns the new name, empty when it could not be moved.
QString MoveAside(const QString& path) {
  const QString stamp = path + QDateTime::currentDateTime().toString(QStringLiteral(".'moved'-yyyyMMdd-HHmmss"));
  for (int n = 1; n < 100; ++n) {
    const QString aside = n == 1 ? stamp : stamp + QStringLiteral("-%1").arg(n);
    const QByteArray from = QFile::encodeName(path), to = QFile::encodeName(aside);
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0) return aside;
    if (errno == EINVAL || errno == ENOSYS) {  // no such rename here: look first, then rename
      struct stat st {};
      if (::lstat(to.constData(), &st) == 0) continue;
      return ::rename(from.constData(), to.constData()) == 0 ? aside : QString();
    }
    if (errno != EEXIST && errno != ENOTEMPTY) return {};
  }
  return {};
}

QString TemporaryLockName(const QString& libraryDir) {
  const QString folder = QFileInfo(libraryDir).canonicalFilePath();
  const QByteArray key = QCryptographicHash::hash((folder.isEmpty() ? libraryDir : folder).toUtf8(),
                                                  QCryptographicHash::Sha1).toHex().left(16);
  return QDir::tempPath() + QStringLiteral("/velmora-%1.lock").arg(QString::fromLatin1(key));
}

}  // namespace

TLibraryLock::TLibraryLock() = default;
TLibraryLock::~TLibraryLock() = default;

QString TLibraryLock::FileName() const { return FLock ? FLock->fileName() : QString(); }

TLibraryLock::TPlace TLibraryLock::Inspect(const QString& path) {
  TPlace seen;
  const QByteArray name = QFile::encodeName(path);
  struct stat st {};
  if (::lstat(name.constData(), &st) != 0) {
    seen.Found = errno == ENOENT ? fdGone : fdUnknown;
    return seen;
  }
  seen.Device = st.st_dev;
  seen.Inode = st.st_ino;
  seen.Young = std::time(nullptr) - st.st_mtime < 2;
  if (!S_ISREG(st.st_mode)) {
    seen.Found = S_ISLNK(st.st_mode) ? fdLink : S_ISDIR(st.st_mode) ? fdFolder : fdOther;
    return seen;
  }
  // Never waits: O_NONBLOCK, and only the regular file seen above is read.
  const int fd = ::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  struct stat opened {};
  if (fd >= 0 && (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode) || opened.st_ino != st.st_ino)) {
    ::close(fd);
    seen.Found = fdOther;  // exchanged meanwhile: judged again next round
    return seen;
  }
  const THeld held = LockHeld(st, fd);
  if (fd < 0) {
    seen.Found = held == hdYes ? fdHeld : fdUnreadable;
    return seen;
  }
  char text[1024];
  const ssize_t got = ::read(fd, text, sizeof text);
  ::close(fd);
  seen.Found = held == hdYes ? fdHeld : got < 0 ? fdUnreadable : JudgeContent(QByteArray(text, static_cast<qsizetype>(got)), held);
  return seen;
}

TLibraryLock::TTake TLibraryLock::Take(const QString& path) {
  for (int round = 0; round < 4; ++round) {
    // Looked at before QLockFile opens anything there: it reads whatever stands in the lock's
    // place, and a named pipe would keep it waiting for ever.
    TPlace seen = Inspect(path);
    if (seen.Young && (seen.Found == fdEmpty || seen.Found == fdGarbage)) {
      // A program taking the lock this moment creates the file before it writes it.
      QThread::msleep(300);
      seen = Inspect(path);
    }
    if (seen.Found == fdHeld) return tkHeld;
    if (seen.Found == fdUnknown) return tkImpossible;
    if (seen.Found != fdGone) {
      if (!Clear(path, seen)) return tkImpossible;
    }
    auto lock = std::make_unique<QLockFile>(path);
    lock->setStaleLockTime(0);
    if (lock->tryLock(100)) {
      FLock = std::move(lock);
      return tkTaken;
    }
    if (lock->error() != QLockFile::LockFailedError) return tkImpossible;
    // Another copy took the place first: judged again.
  }
  return tkImpossible;
}

bool TLibraryLock::Clear(const QString& path, const TPlace& seen) {
  // Another copy starting now may be clearing the same place: Qt's own guard for that, and only
  // the very thing that was judged is removed.
  const QString guardPath = path + QStringLiteral(".rmlock");
  struct stat st {};
  // QLockFile reads what stands there: anything but a file or folder (a pipe) goes first.
  if (::lstat(QFile::encodeName(guardPath).constData(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode))
    ::unlink(QFile::encodeName(guardPath).constData());
  QLockFile guard(guardPath);
  if (!guard.tryLock(1000)) return false;
  const QByteArray name = QFile::encodeName(path);
  if (::lstat(name.constData(), &st) != 0) return errno == ENOENT;
  if (st.st_dev != seen.Device || st.st_ino != seen.Inode) return true;  // something new: judged next round
  if (S_ISREG(st.st_mode) && LockHeld(st, -1) == hdYes) return true;     // taken meanwhile: judged next round
  QString what;
  if (seen.Found == fdFolder) {
    // Never delete what the user may have put there: only an empty folder goes.
    if (::rmdir(name.constData()) == 0) {
      what = Text(res::LockWasEmptyFolder);
    } else {
      const QString aside = MoveAside(path);
      if (aside.isEmpty()) return false;
      what = Text(res::LockWasFolder).arg(aside);
    }
  } else {
    // unlink removes the name only: a link's target and a hard link's other names stay whole.
    if (::unlink(name.constData()) != 0) return errno == ENOENT;
    switch (seen.Found) {
      case fdEmpty: what = Text(res::LockWasEmpty); break;
      case fdGarbage: what = Text(res::LockWasGarbage); break;
      case fdUnreadable: what = Text(res::LockWasUnreadable); break;
      case fdLink: what = Text(res::LockWasLink); break;
      case fdOther: what = Text(res::LockWasOther); break;
      case fdLeftover: FLeftBehind = true; break;  // told as the end of a run that did not close
      default: break;
    }
  }
  if (!what.isEmpty()) FNote = Text(res::MsgLockTakenOver).arg(path, what);
  return true;
}

TLockResult TLibraryLock::Acquire(const QString& libraryDir) {
  FLock.reset();
  FNote.clear();
  FFailure.clear();
  FLeftBehind = false;
  const QString inFolder = libraryDir + QStringLiteral(".velmora.lock");
  const QString inTemp = TemporaryLockName(libraryDir);
  switch (Take(inFolder)) {
    case tkTaken:
      // A copy that started while the folder could not hold a lock holds the temporary one.
      if (Inspect(inTemp).Found != fdHeld) return lrLocked;
      FLock.reset();
      return lrOpenElsewhere;
    case tkHeld:
      return lrOpenElsewhere;
    case tkImpossible:
      break;
  }
  // The folder cannot hold the lock (read-only, say): lock its name in the temporary folder.
  switch (Take(inTemp)) {
    case tkTaken:
      return lrLocked;
    case tkHeld:
      return lrOpenElsewhere;
    case tkImpossible:
      break;
  }
  FFailure = Text(res::ReasonNoLock).arg(inFolder, inTemp);
  return lrNoLock;
}
