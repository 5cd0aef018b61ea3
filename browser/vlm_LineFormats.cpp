#include "vlm_LineFormats.h"

#include <QCoreApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <map>
#include <string>

namespace {
// The ranges of each source by edit; an edit's entry goes with the edit.
std::map<const QLineEdit*, std::map<std::string, QList<QTextLayout::FormatRange>>>& Sources() {
  static std::map<const QLineEdit*, std::map<std::string, QList<QTextLayout::FormatRange>>> sources;
  return sources;
}
}  // namespace

void SetLineFormats(QLineEdit* edit, const char* source, const QList<QTextLayout::FormatRange>& ranges) {
  auto& sources = Sources();
  if (!sources.count(edit)) QObject::connect(edit, &QObject::destroyed, [edit] { Sources().erase(edit); });
  sources[edit][source] = ranges;
  // Positions in the event count from the cursor; an event without text changes nothing else. A
  // read-only edit ignores it, hence the short unlocking.
  const int cursor = edit->cursorPosition();
  QList<QInputMethodEvent::Attribute> formats;
  for (const QTextLayout::FormatRange& range : LineFormats(edit))
    formats << QInputMethodEvent::Attribute(QInputMethodEvent::TextFormat, range.start - cursor, range.length, range.format);
  const bool readOnly = edit->isReadOnly();
  if (readOnly) edit->setReadOnly(false);
  QInputMethodEvent event(QString(), formats);
  QCoreApplication::sendEvent(edit, &event);
  if (readOnly) edit->setReadOnly(true);
}

QList<QTextLayout::FormatRange> LineFormats(const QLineEdit* edit) {
  QList<QTextLayout::FormatRange> all;
  const auto found = Sources().find(edit);
  if (found == Sources().end()) return all;
  for (const auto& [source, ranges] : found->second) all += ranges;
  return all;
}
