#include "vlm_MatchHighlight.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <algorithm>

#include "vlm_LineFormats.h"
#include "vlm_Strings.h"
#include "vlm_WordQuery.h"

TMatchHighlight::TMatchHighlight(QLineEdit* title, QPlainTextEdit* description, QPlainTextEdit* comment,
                                 QObject* parent)
    : QObject(parent), FTitle(title), FMemos{description, comment} {
  connect(FTitle, &QLineEdit::textChanged, this, [this] { Mark(); });
  for (QPlainTextEdit* memo : FMemos) connect(memo, &QPlainTextEdit::textChanged, this, [this] { Mark(); });
}

TMatchHighlight::~TMatchHighlight() = default;

QTextCharFormat TMatchHighlight::MatchFormat() {
  QTextCharFormat format;
  format.setBackground(QColor(255, 226, 110));  // a marker pen's yellow, as readers know it
  return format;
}

std::vector<std::pair<int, int>> TMatchHighlight::Matches(const QString& text, TWordQuery& query) {
  std::vector<std::pair<int, int>> found;
  std::string bytes;
  // One character is one byte in Windows-1251: offsets in the bytes are offsets in the text.
  if (query.Empty() || !ToCp(text, bytes) || bytes.size() != static_cast<std::size_t>(text.size())) return found;
  for (const TWordMatch& match : query.Find(bytes))
    found.push_back({static_cast<int>(match.Begin), static_cast<int>(match.End - match.Begin)});
  // Overlapping matches of different terms become one mark.
  std::sort(found.begin(), found.end());
  std::vector<std::pair<int, int>> merged;
  for (const auto& [start, length] : found) {
    if (!merged.empty() && start <= merged.back().first + merged.back().second)
      merged.back().second = std::max(merged.back().second, start + length - merged.back().first);
    else
      merged.push_back({start, length});
  }
  return merged;
}

void TMatchHighlight::Show(const std::string& query, const void* shown) {
  FQuery = std::make_unique<TWordQuery>(query);
  if (FQuery->Empty()) FQuery.reset();
  FShown = FQuery ? shown : nullptr;
  Mark();
}

void TMatchHighlight::Mark() {
  if (!FQuery && !FMarked) return;  // nothing to mark, nothing to take away
  FMarked = FQuery != nullptr;
  const std::vector<std::pair<int, int>> none;
  auto matches = [&](const QString& text) { return FQuery ? Matches(text, *FQuery) : none; };
  const QTextCharFormat format = MatchFormat();
  QList<QTextLayout::FormatRange> title;
  for (const auto& [start, length] : matches(FTitle->text())) title.push_back({start, length, format});
  SetLineFormats(FTitle, "search", title);
  for (QPlainTextEdit* memo : FMemos) {
    QList<QTextEdit::ExtraSelection> marks;
    for (const auto& [start, length] : matches(memo->toPlainText())) {
      QTextCursor cursor(memo->document());
      cursor.setPosition(start);
      cursor.setPosition(start + length, QTextCursor::KeepAnchor);
      marks.push_back({cursor, format});
    }
    memo->setExtraSelections(marks);
  }
}
