#pragma once
// One program per library: a lock held for the library's folder while the program runs, so that
// a second copy started on the same library does not write over the first one's work at exit.
// Only a lock that a running copy of the program holds keeps another copy out. Anything else in
// the lock's place is taken over: the lock of a program that crashed, and also an empty file (a
// power cut), a file that cannot be read or makes no sense, a link or a folder; those are named in
// Note(). A link is removed, never what it points to; a folder that holds anything is moved aside.
#include <QString>
#include <memory>

class QLockFile;

enum TLockResult {
  lrLocked,         // this program holds the lock
  lrOpenElsewhere,  // a running copy of the program holds it
  lrNoLock          // no lock could be taken anywhere; Failure() says why
};

class TLibraryLock {
public:
  TLibraryLock();
  ~TLibraryLock();  // releases the lock
  TLibraryLock(const TLibraryLock&) = delete;
  TLibraryLock& operator=(const TLibraryLock&) = delete;

  // Takes the lock of `libraryDir` (ending in "/"). The lock file is ".velmora.lock" in that
  // folder, or, where the folder cannot hold one, a file named after the folder in the system's
  // temporary folder.
  TLockResult Acquire(const QString& libraryDir);
  // The lock file in use; empty while no lock is held.
  QString FileName() const;
  // For the user: what stood in the lock's place and was taken over, when it was not a lock some
  // program had left; empty otherwise.
  const QString& Note() const { return FNote; }
  // For the user: why no lock could be taken (lrNoLock).
  const QString& Failure() const { return FFailure; }
  // True when the lock taken had been left by a copy of this program that ended without closing
  // (it crashed, or was killed): what it had not saved is lost.
  bool LeftBehind() const { return FLeftBehind; }

private:
  enum TTake { tkTaken, tkHeld, tkImpossible };
  struct TPlace;  // what was found in the lock's place
  static TPlace Inspect(const QString& path);
  TTake Take(const QString& path);
  bool Clear(const QString& path, const TPlace& seen);

  std::unique_ptr<QLockFile> FLock;
  QString FNote;
  QString FFailure;
  bool FLeftBehind = false;
};
