#include "vlm_ProgramFolders.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

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
  if (FolderWritable(exe) && (libraryBeside || !starterInstalled)) return {exe, exe, true};
  return {WithSlash(userDataDir), starterInstalled ? installed : exe, false};
}

QString PrepareLibraryFolder(const TProgramFolders& folders) {
  if (folders.Portable) return {};
  const QString library = folders.LibraryDir;
  if (!QFileInfo::exists(library)) {
    if (!QDir().mkpath(library)) return library;
    QFile::setPermissions(library, kPrivateFolder);  // a diary is nobody else's business
  }
  if (QFileInfo::exists(library + LibraryFileName())) return {};
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

TProgramFolders ProgramFoldersOfThisProcess() {
  const QString exe = WithSlash(QCoreApplication::applicationDirPath());
  return ChooseProgramFolders(exe, exe + QStringLiteral(VELMORA_DATA_FROM_BIN),
                              QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
}
