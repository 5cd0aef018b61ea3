#pragma once
// Saving by itself: what changed reaches the disk at most `Interval` seconds after the first edit
// not yet written (so typing without a pause is saved too), and at once when the program loses
// the focus or the desktop session ends. A save that fails is reported once, then tried again
// every interval, without another word until one succeeds. With nothing changed nothing runs.
#include <QObject>
#include <QTimer>
#include <functional>
#include <vector>

#include "vlm_Files.h"

class TAutoSave : public QObject {
  Q_OBJECT
public:
  static constexpr int kDefaultSeconds = 30;
  using TSave = std::function<std::vector<TJournalSaveFailure>()>;  // the files not written
  using TReport = std::function<void(const std::vector<TJournalSaveFailure>&)>;
  // `changed`: something is not on disk yet; `save` writes it; `report` tells the user of a failure.
  TAutoSave(std::function<bool()> changed, TSave save, TReport report, QObject* parent = nullptr);

  // Seconds; 0 turns saving by itself off (losing the focus and the session's end still save).
  void SetInterval(int seconds);
  // Something was edited: the countdown starts unless it runs already.
  void Edited();
  // Writes what changed now (the countdown's end, the focus lost, the session ending).
  void SaveNow();
  // Connects the application's focus and the session's end to SaveNow.
  void WatchApplication();
  const QTimer& Timer() const { return FTimer; }
  bool Failing() const { return FFailing; }
  // Saving waits (the window closes, a question whose answer decides what is written is open, a
  // restore is under way); the countdown starts again. Other dialogs do not hold it back.
  std::function<bool()> Busy;

private:
  std::function<bool()> FChanged;
  TSave FSave;
  TReport FReport;
  QTimer FTimer;
  bool FFailing = false;  // the last save failed and was reported
  bool FSaving = false;
};
