#pragma once
// One program per library: a lock held for the library's folder while the program runs, so that
// a second copy started on the same library does not write over the first one's work at exit.
// A lock left by a program that crashed is taken over.
#include <QString>
#include <memory>

class QLockFile;

class TLibraryLock {
public:
  TLibraryLock();
  ~TLibraryLock();  // releases the lock
  TLibraryLock(const TLibraryLock&) = delete;
  TLibraryLock& operator=(const TLibraryLock&) = delete;

  // Takes the lock of `libraryDir` (ending in "/"); false when another running program holds it.
  // The lock file is ".velmora.lock" in that folder, or, where the folder cannot hold one, a file
  // named after the folder in the system's temporary folder.
  bool Acquire(const QString& libraryDir);
  // The lock file in use; empty before Acquire.
  QString FileName() const;

private:
  std::unique_ptr<QLockFile> FLock;
};
