#pragma once
// Keys of the small dialogs, which have no default or cancel button.
class QDialog;
class QKeyEvent;

// Enter presses only a focused, enabled push button and Escape does nothing. True when the key
// was one of the two (the event is then accepted).
bool HandleDialogKey(QDialog* dialog, QKeyEvent* event);
