#pragma once
// A line edit shows formats (a misspelt word's underline, a search match's background) only
// through an input method's event, which replaces every format it had. Each source of formats
// sets its own ranges here, and the edit gets all of them together.
#include <QList>
#include <QTextLayout>

class QLineEdit;

// Replaces the ranges of `source` (a name of the caller's: "spelling", "search") in `edit`.
void SetLineFormats(QLineEdit* edit, const char* source, const QList<QTextLayout::FormatRange>& ranges);
// Every range the edit shows, of every source.
QList<QTextLayout::FormatRange> LineFormats(const QLineEdit* edit);
