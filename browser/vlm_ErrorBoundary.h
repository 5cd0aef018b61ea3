#pragma once
// The one place where an error raised by a handler ends: its text is shown and the handler ends;
// the program goes on. Every handler connected to a widget runs through Guard, and the application
// object runs every event through it, so no exception crosses Qt's event loop.
#include <QString>
#include <exception>
#include <utility>

class QWidget;
class TUserInteraction;

// Shows the error held by `error` through `ui`; never throws.
void ShowCaughtError(TUserInteraction& ui, QWidget* parent, std::exception_ptr error) noexcept;

// Runs `handler`; returns false when it raised (after showing the error through `ui`). A template,
// so that the application object can run every event through it without an allocation.
template <class THandler>
bool Guard(TUserInteraction& ui, QWidget* parent, THandler&& handler) {
  std::exception_ptr error;
  try {
    std::forward<THandler>(handler)();
    return true;
  } catch (...) {
    error = std::current_exception();
  }
  // Shown outside the catch block so that a failure while showing cannot rethrow into it.
  ShowCaughtError(ui, parent, error);
  return false;
}

// The text shown for an error: the file name and reason of a write error, else what().
QString ErrorText(const std::exception& error);
