#pragma once
// The one place where an error raised by a handler ends: its text is shown and the handler ends;
// the program goes on. Every handler connected to a widget runs through Guard, so no exception
// crosses Qt's event loop.
#include <QString>
#include <exception>
#include <functional>

class QWidget;
class TUserInteraction;

// Runs `handler`; returns false when it raised (after showing the error through `ui`).
bool Guard(TUserInteraction& ui, QWidget* parent, const std::function<void()>& handler);

// The text shown for an error: the file name and reason of a write error, else what().
QString ErrorText(const std::exception& error);
