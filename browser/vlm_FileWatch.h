#pragma once
// Watches the files the program has open for changes made by other programs (a sync tool, a text
// editor, a second computer). Each file's size, time and inode are recorded when it is first
// watched and after each of the program's own writes, so its own saves are told apart (the inode
// counts: a file replaced by one of the same size and time is noticed; its permissions do not); a
// save that replaces the file by renaming drops the watch, so the file is watched again after each.
// A file that is not there (missing when opened, or removed) cannot be watched: it is looked for
// every kPollMs and, once there, counts as changed.
#include <QFileSystemWatcher>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>
#include <functional>
#include <map>

class TFileWatch : public QObject {
public:
  explicit TFileWatch(QObject* parent = nullptr);

  // Watches `path` from now on; its present state counts as known.
  void Watch(const QString& path);
  // The program itself has just written `path` (or read it again): its new state is known.
  void Known(const QString& path);
  // True when `path` is watched and is no longer as last known (changed, removed or moved).
  bool ChangedByOthers(const QString& path) const;
  // Called on the window's thread, shortly after the last notice, for each watched file that is
  // not as last known.
  std::function<void(const QString& path)> OnChanged;

  static constexpr int kSettleMs = 200;  // a writer's notices come in bursts: wait for the last
  static constexpr int kPollMs = 1000;

private:
  struct TStamp {
    bool Exists = false;
    long long Size = 0, Seconds = 0, Nanoseconds = 0;
    unsigned long long Device = 0, Inode = 0;
    bool operator==(const TStamp&) const = default;
  };
  static TStamp StampOf(const QString& path);
  void Settled();
  void LookForUnwatched();

  QFileSystemWatcher FWatcher;
  QTimer FSettle;
  QTimer FPoll;
  std::map<QString, TStamp> FKnown;
  QSet<QString> FPending;
};
