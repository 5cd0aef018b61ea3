#include "vlm_LibraryLock.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>

namespace {

std::unique_ptr<QLockFile> TryLock(const QString& fileName, QLockFile::LockError& error) {
  auto lock = std::make_unique<QLockFile>(fileName);
  // Only a lock whose program is gone is stale, however old it is.
  lock->setStaleLockTime(0);
  lock->tryLock(100);
  error = lock->error();
  return lock;
}

}  // namespace

TLibraryLock::TLibraryLock() = default;
TLibraryLock::~TLibraryLock() = default;

QString TLibraryLock::FileName() const { return FLock ? FLock->fileName() : QString(); }

bool TLibraryLock::Acquire(const QString& libraryDir) {
  QLockFile::LockError error = QLockFile::NoError;
  FLock = TryLock(libraryDir + QStringLiteral(".velmora.lock"), error);
  if (error == QLockFile::NoError) return true;
  if (error == QLockFile::LockFailedError) return false;
  // The folder cannot hold the lock (read-only, say): lock its name in the temporary folder.
  const QString folder = QFileInfo(libraryDir).canonicalFilePath();
  const QByteArray key = QCryptographicHash::hash((folder.isEmpty() ? libraryDir : folder).toUtf8(),
                                                  QCryptographicHash::Sha1).toHex().left(16);
  FLock = TryLock(QDir::tempPath() + QStringLiteral("/velmora-%1.lock").arg(QString::fromLatin1(key)), error);
  // A library that cannot be locked anywhere is opened all the same: refusing would help nobody.
  return error != QLockFile::LockFailedError;
}
