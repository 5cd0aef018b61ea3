#include "vlm_MatchHighlight.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <algorithm>

#include "vlm_LineFormats.h"
#include "vlm_Search.h"
#include "vlm_Strings.h"

TMatchHighlight::TMatchHighlight(QLineEdit* title, QPlainTextEdit* description, QPlainTextEdit* comment,
                                 QObject* parent)
    : QObject(parent), FTitle(title), FMemos{description, comment} {
  connect(FTitle, &QLineEdit::textChanged, this, [this] { Mark(); });
  for (QPlainTextEdit* memo : FMemos) connect(memo, &QPlainTextEdit::textChanged, this, [this] { Mark(); });
}

QTextCharFormat TMatchHighlight::MatchFormat() {
  QTextCharFormat format;
  format.setBackground(QColor(255, 226, 110));  // a marker pen's yellow, as readers know it
  return format;
}

std::vector<std::pair<int, int>> TMatchHighlight::Matches(const QString& text, const std::vector<std::string>& terms) {
  std::vector<std::pair<int, int>> found;
  std::string bytes;
  // One character is one byte in Windows-1251: offsets in the folded bytes are offsets in the text.
  if (terms.empty() || !ToCp(text, bytes) || bytes.size() != static_cast<std::size_t>(text.size())) return found;
  const std::string folded = FoldText(bytes);
  for (const std::string& term : terms)
    for (std::size_t at = folded.find(term); !term.empty() && at != std::string::npos; at = folded.find(term, at + term.size()))
      found.push_back({static_cast<int>(at), static_cast<int>(term.size())});
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

void TMatchHighlight::Show(const std::vector<std::string>& terms, const void* shown) {
  FTerms = terms;
  FShown = terms.empty() ? nullptr : shown;
  Mark();
}

void TMatchHighlight::Mark() {
  if (FTerms.empty() && !FMarked) return;  // nothing to mark, nothing to take away
  FMarked = !FTerms.empty();
  const QTextCharFormat format = MatchFormat();
  QList<QTextLayout::FormatRange> title;
  for (const auto& [start, length] : Matches(FTitle->text(), FTerms)) title.push_back({start, length, format});
  SetLineFormats(FTitle, "search", title);
  for (QPlainTextEdit* memo : FMemos) {
    QList<QTextEdit::ExtraSelection> marks;
    for (const auto& [start, length] : Matches(memo->toPlainText(), FTerms)) {
      QTextCursor cursor(memo->document());
      cursor.setPosition(start);
      cursor.setPosition(start + length, QTextCursor::KeepAnchor);
      marks.push_back({cursor, format});
    }
    memo->setExtraSelections(marks);
  }
}
