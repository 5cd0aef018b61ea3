#include "vlm_ProgramFolders.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include "vlm_Resources.h"
#include "vlm_Strings.h"
#include "vlm_Types.h"

#ifndef VELMORA_DATA_FROM_BIN
#define VELMORA_DATA_FROM_BIN "../share/velmora"
#endif

namespace {
QString WithSlash(QString dir) {
  if (!dir.isEmpty() && !dir.endsWith(QLatin1Char('/'))) dir += QLatin1Char('/');
  return dir;
}

QString LibraryFileName() { return QString::fromLatin1(litLibraryFile.data(), litLibraryFile.size()); }

// access() rather than the permission bits: it also knows read-only mounts and the superuser.
bool FolderWritable(const QString& dir) { return ::access(QFile::encodeName(dir).constData(), W_OK | X_OK) == 0; }

constexpr QFile::Permissions kPrivateFile = QFile::ReadOwner | QFile::WriteOwner;
constexpr QFile::Permissions kPrivateFolder = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;


// In the user's data folder, beside a library copied from a program's folder: that folder's name.
const QString kCopyMark = QStringLiteral(".velmora-copy-of");

QString CanonicalFolder(const QString& dir) {
  const QString canonical = QFileInfo(dir).canonicalFilePath();
  return canonical.isEmpty() ? QDir::cleanPath(dir) : canonical;
}

// The program's folder whose library the one in `libraryDir` is a copy of; empty when it is none.
QString CopiedFrom(const QString& libraryDir) {
  QFile mark(libraryDir + kCopyMark);
  if (!mark.open(QIODevice::ReadOnly)) return {};
  QByteArray line = mark.readLine();
  if (line.endsWith('\n')) line.chop(1);
  return QFile::decodeName(line);
}

QString CopyDate(const QString& libraryDir) {
  return QFileInfo(libraryDir + kCopyMark).lastModified().toString(QStringLiteral("dd.MM.yyyy HH:mm"));
}

QString CopyIfAbsent(const QString& from, const QString& to) {
  if (QFileInfo::exists(to) || QFileInfo(to).isSymLink()) return {};
  if (!QDir().mkpath(QFileInfo(to).path())) return QFileInfo(to).path();
  QFile source(from);
  // A second copy of the program starting at the same moment may have put it there first.
  if (!source.copy(to)) return QFileInfo::exists(to) ? QString() : QStringLiteral("%1: %2").arg(to, source.errorString());
  QFile::setPermissions(to, kPrivateFile);
  return {};
}
}  // namespace

TProgramFolders ChooseProgramFolders(const QString& exeDir, const QString& installedDataDir,
                                     const QString& userDataDir) {
  const QString exe = WithSlash(exeDir);
  const QString installed = WithSlash(QDir::cleanPath(installedDataDir));
  const bool libraryBeside = QFileInfo::exists(exe + LibraryFileName());
  const bool starterInstalled = QDir::cleanPath(installed) != QDir::cleanPath(exe) &&
                                QFileInfo(installed + LibraryFileName()).isFile();
  const QString user = WithSlash(userDataDir);
  if (FolderWritable(exe) && (libraryBeside || !starterInstalled)) {
    TProgramFolders portable{exe, exe, true};
    if (libraryBeside && QFileInfo::exists(user + LibraryFileName()) && CopiedFrom(user) == CanonicalFolder(exe))
      portable.OtherCopy = user;
    return portable;
  }
  return {user, starterInstalled ? installed : exe, false, libraryBeside ? exe : QString()};
}

QString PrepareLibraryFolder(const TProgramFolders& folders) {
  if (folders.Portable) return {};
  const QString library = folders.LibraryDir;
  if (!QFileInfo::exists(library)) {
    if (!QDir().mkpath(library)) return library;
    QFile::setPermissions(library, kPrivateFolder);  // a diary is nobody else's business
  }
  if (QFileInfo::exists(library + LibraryFileName())) return {};
  // A library from beside the program is the user's own: its copy says whose copy it is, so that
  // a start from that folder, once it can be written, tells about the copy.
  if (!folders.UnusedBeside.isEmpty() && QDir::cleanPath(folders.DataDir) == QDir::cleanPath(folders.UnusedBeside)) {
    QFile mark(library + kCopyMark);
    if (!mark.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        mark.write(QFile::encodeName(CanonicalFolder(folders.UnusedBeside)) + '\n') < 0 || !mark.flush())
      return QStringLiteral("%1: %2").arg(mark.fileName(), mark.errorString());
    mark.setPermissions(kPrivateFile);
  }
  // The journals first and the library last: a start that breaks off half way copies the rest
  // next time, and a library is never there without its journals.
  const QString journals = folders.DataDir + QStringLiteral("journals");
  QDirIterator it(journals, QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString from = it.next();
    const QString error = CopyIfAbsent(from, library + QDir(folders.DataDir).relativeFilePath(from));
    if (!error.isEmpty()) return error;
  }
  if (!QFileInfo::exists(folders.DataDir + LibraryFileName())) return {};  // no starter: an empty library
  return CopyIfAbsent(folders.DataDir + LibraryFileName(), library + LibraryFileName());
}

QString LibraryChoiceNote(const TProgramFolders& folders) {
  if (!folders.UnusedBeside.isEmpty()) {
    const QString used = folders.LibraryDir + LibraryFileName();
    if (CopiedFrom(folders.LibraryDir) == CanonicalFolder(folders.UnusedBeside))
      return Text(res::MsgLibraryCopyUsed).arg(folders.UnusedBeside, used, CopyDate(folders.LibraryDir));
    return Text(res::MsgLibraryBesideNotUsed).arg(folders.UnusedBeside, used);
  }
  if (!folders.OtherCopy.isEmpty())
    return Text(res::MsgLibraryHasOtherCopy)
        .arg(folders.LibraryDir + LibraryFileName(), folders.OtherCopy + LibraryFileName(), CopyDate(folders.OtherCopy));
  return {};
}

TProgramFolders ProgramFoldersOfThisProcess() {
  const QString exe = WithSlash(QCoreApplication::applicationDirPath());
  return ChooseProgramFolders(exe, exe + QStringLiteral(VELMORA_DATA_FROM_BIN),
                              QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
}
