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

// True when the kernel lists a lock on the file: QLockFile holds an flock on its lock file. For a
// file this program may not open (another user's), this list is the only way to tell.
bool ListedAsLocked(const struct stat& st) {
  FILE* locks = ::fopen("/proc/locks", "re");
  if (!locks) return false;
  char id[64];
  std::snprintf(id, sizeof id, " %02x:%02x:%llu ", major(st.st_dev), minor(st.st_dev),
                static_cast<unsigned long long>(st.st_ino));
  bool listed = false;
  char line[512];
  while (!listed && std::fgets(line, sizeof line, locks)) listed = std::strstr(line, id) != nullptr;
  ::fclose(locks);
  return listed;
}

// A process of this program's name runs as `pid` (taken to run when that cannot be told).
bool RunsThisProgram(qint64 pid) {
  if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno != EPERM) return false;
  const QString exe = QFile::symLinkTarget(QStringLiteral("/proc/%1/exe").arg(pid));
  return exe.isEmpty() || QFileInfo(exe).fileName() == QFileInfo(QCoreApplication::applicationFilePath()).fileName();
}

// A lock file as QLockFile writes it: process number, program, computer, each on a line.
TFound JudgeContent(const QByteArray& text) {
  if (text.isEmpty()) return fdEmpty;
  const QList<QByteArray> lines = text.split('\n');
  bool number = false;
  const qint64 pid = lines[0].toLongLong(&number);
  if (lines.size() < 4 || !number || pid <= 0) return fdGarbage;
  // A lock from another computer (a shared folder): whether its program still runs is not known.
  if (lines[2] != QSysInfo::machineHostName().toUtf8()) return fdHeld;
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
  if (S_ISLNK(st.st_mode) || S_ISDIR(st.st_mode) || !S_ISREG(st.st_mode)) {
    seen.Found = S_ISLNK(st.st_mode) ? fdLink : S_ISDIR(st.st_mode) ? fdFolder : fdOther;
    return seen;
  }
  const int fd = ::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    seen.Found = ListedAsLocked(st) ? fdHeld : fdUnreadable;
    return seen;
  }
  const bool locked = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
  char text[1024];
  const ssize_t got = ::read(fd, text, sizeof text);
  ::close(fd);  // lets go of the test lock too
  seen.Found = locked ? fdHeld : got < 0 ? fdUnreadable : JudgeContent(QByteArray(text, static_cast<qsizetype>(got)));
  return seen;
}

TLibraryLock::TTake TLibraryLock::Take(const QString& path) {
  if (Inspect(path).Found == fdLeftover) FLeftBehind = true;  // QLockFile takes it over silently
  for (int round = 0; round < 4; ++round) {
    auto lock = std::make_unique<QLockFile>(path);
    // QLockFile takes over by itself only the lock of a program that is gone, however old it is.
    lock->setStaleLockTime(0);
    if (lock->tryLock(100)) {
      FLock = std::move(lock);
      return tkTaken;
    }
    if (lock->error() != QLockFile::LockFailedError) return tkImpossible;
    TPlace seen = Inspect(path);
    if (seen.Young && (seen.Found == fdEmpty || seen.Found == fdGarbage)) {
      // A program taking the lock this moment creates the file before it writes it.
      QThread::msleep(300);
      seen = Inspect(path);
    }
    if (seen.Found == fdHeld) return tkHeld;
    if (seen.Found == fdUnknown || (seen.Found != fdGone && !Clear(path, seen))) return tkImpossible;
  }
  return tkImpossible;
}

bool TLibraryLock::Clear(const QString& path, const TPlace& seen) {
  // Another copy starting now may be clearing the same place: Qt's own guard for that, and only
  // the very thing that was judged is removed.
  QLockFile guard(path + QStringLiteral(".rmlock"));
  if (!guard.tryLock(1000)) return false;
  const QByteArray name = QFile::encodeName(path);
  struct stat st {};
  if (::lstat(name.constData(), &st) != 0) return errno == ENOENT;
  if (st.st_dev != seen.Device || st.st_ino != seen.Inode) return true;  // something new: judged next round
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
      default: break;  // the lock a program left: nothing to tell
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
