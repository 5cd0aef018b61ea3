#include "vlm_FileWatch.h"

#include <sys/stat.h>

#include <QFile>
#include <utility>

TFileWatch::TFileWatch(QObject* parent) : QObject(parent) {
  FSettle.setSingleShot(true);
  FSettle.setInterval(kSettleMs);
  connect(&FWatcher, &QFileSystemWatcher::fileChanged, this, [this](const QString& path) {
    FPending.insert(path);
    FSettle.start();
  });
  connect(&FSettle, &QTimer::timeout, this, [this] { Settled(); });
  FPoll.setInterval(kPollMs);
  connect(&FPoll, &QTimer::timeout, this, [this] { LookForUnwatched(); });
  FPoll.start();
}

void TFileWatch::LookForUnwatched() {
  const QStringList watched = FWatcher.files();
  for (const auto& [path, stamp] : FKnown)
    if (!watched.contains(path) && !FPending.contains(path) && QFile::exists(path)) {
      FPending.insert(path);
      FSettle.start();
    }
}

TFileWatch::TStamp TFileWatch::StampOf(const QString& path) {
  struct stat st {};
  if (::stat(QFile::encodeName(path).constData(), &st) != 0) return {};
  return {true,
          static_cast<long long>(st.st_size),
          static_cast<long long>(st.st_mtim.tv_sec),
          static_cast<long long>(st.st_mtim.tv_nsec),
          static_cast<unsigned long long>(st.st_dev),
          static_cast<unsigned long long>(st.st_ino)};
}

void TFileWatch::Watch(const QString& path) {
  if (FKnown.count(path)) return;
  Known(path);
}

void TFileWatch::Known(const QString& path) {
  FKnown[path] = StampOf(path);
  FPending.remove(path);
  // After a rename over the file the watch is on a file that is gone: watch the name again.
  FWatcher.removePath(path);
  if (QFile::exists(path)) FWatcher.addPath(path);
}

bool TFileWatch::ChangedByOthers(const QString& path) const {
  const auto known = FKnown.find(path);
  return known != FKnown.end() && !(known->second == StampOf(path));
}

void TFileWatch::Settled() {
  const QSet<QString> pending = std::exchange(FPending, {});
  for (const QString& path : pending) {
    if (!ChangedByOthers(path)) {
      Known(path);  // the program's own save: only the watch follows the new file
      continue;
    }
    // A file replaced by a rename lost its watch; a file removed has none until it is back.
    FWatcher.removePath(path);
    if (QFile::exists(path)) FWatcher.addPath(path);
    if (OnChanged) OnChanged(path);
  }
}
