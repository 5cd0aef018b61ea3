#pragma once
// The program's progress window behind TUserInteraction::ShowProgress (a window-modal
// QProgressDialog that shows after half a second), and work run on a thread of its own while a
// progress window turns.
#include <QElapsedTimer>
#include <QString>
#include <atomic>
#include <chrono>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

#include "vlm_UserInteraction.h"

class QProgressDialog;
class QWidget;

class TQtProgressWindow : public TProgressWindow {
public:
  TQtProgressWindow(QWidget* parent, const QString& text);
  ~TQtProgressWindow() override;
  bool Step(qint64 done, qint64 total) override;
  void SetText(const QString& text, bool cancellable) override;

private:
  std::unique_ptr<QProgressDialog> FDialog;
  QElapsedTimer FLooked;  // since the window's events were last let through
  bool FCancellable = true;
};

// Runs `work` on a thread of its own while `progress` turns (how far is not known) and returns its
// result; nothing when the user cancelled first: the work then finishes on its own and its result
// is dropped, so it must own what it uses. An exception of the work is raised here.
template <class T>
std::optional<T> RunAside(TProgressWindow& progress, std::function<T()> work) {
  struct TShared {
    std::atomic<bool> Done{false};
    std::optional<T> Result;
    std::exception_ptr Error;
  };
  auto shared = std::make_shared<TShared>();
  std::thread([shared, work = std::move(work)] {
    try {
      shared->Result.emplace(work());
    } catch (...) {
      shared->Error = std::current_exception();
    }
    shared->Done = true;
  }).detach();
  // The window is asked first: a cancel is never lost to work that happened to be quick.
  while (progress.Step(0, 0)) {
    if (shared->Done) {
      if (shared->Error) std::rethrow_exception(shared->Error);
      return std::move(shared->Result);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return std::nullopt;
}
