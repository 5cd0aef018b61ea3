// Documents that are only viewed: a journal (or the library) whose file is there but could not be
// read at all is never written, so nothing may be added to it, and the user is told why.
#include <QBoxLayout>
#include <QLabel>
#include <QToolButton>

#include "vlm_EditorPanel.h"
#include "vlm_MainForm.h"
#include "vlm_Widgets.h"
#include "vlm_Resources.h"
#include "vlm_Types.h"

void Tfrm_MainForm::CreateReadOnlyNotice() {
  QWidget* work = pnl_WorkArea->parentWidget();
  lbl_ReadOnlyReason = new QLabel(work);
  lbl_ReadOnlyReason->setObjectName(QStringLiteral("lbl_ReadOnlyReason"));
  lbl_ReadOnlyReason->setWordWrap(true);
  lbl_ReadOnlyReason->setMargin(4);
  lbl_ReadOnlyReason->setAutoFillBackground(true);
  lbl_ReadOnlyReason->setBackgroundRole(QPalette::ToolTipBase);
  lbl_ReadOnlyReason->setForegroundRole(QPalette::ToolTipText);
  // A line along the bottom of the work area, below its notices.
  if (auto* column = qobject_cast<QBoxLayout*>(work->layout())) column->addWidget(lbl_ReadOnlyReason);
  lbl_ReadOnlyReason->hide();
}

QString Tfrm_MainForm::ReadOnlyReason(const QModelIndex& node) const {
  if (node.isValid() && !FViewOnly.isEmpty()) return FViewOnly;  // nothing at all is written
  for (QModelIndex up = node; up.isValid(); up = up.parent()) {
    const TXMLNode* element = NodeOf(up);
    if (!element || element->Name != tagJournal) continue;
    const TXMLParser* journal = FJournals ? FJournals->DocumentOfRoot(element) : nullptr;
    if (journal && FJournals->IsReadOnly(journal))
      return QString::fromUtf8(res::MsgJournalReadOnly)
          .arg(QString::fromStdString(FJournals->StateOf(journal).Reason));
    return {};  // a journal that can be written, in a library that could be read
  }
  if (node.isValid() && LibraryState().ReadOnly())
    return QString::fromUtf8(res::MsgLibraryReadOnly).arg(QString::fromStdString(LibraryState().Reason));
  return {};
}

void Tfrm_MainForm::ShowReadOnlyState(const QModelIndex& node) {
  const QString reason = ReadOnlyReason(node);
  lbl_ReadOnlyReason->setText(reason);
  lbl_ReadOnlyReason->setVisible(!reason.isEmpty());
  if (!reason.isEmpty()) lbl_ReadOnlyReason->raise();
  EnableButtonsFor(node);  // the reason may be new (a file another program removed)
}
