#include "vlm_RestoreForm.h"

#include <QApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "vlm_EntryFields.h"
#include "vlm_Resources.h"
#include "vlm_Restore.h"
#include "vlm_Strings.h"
#include "vlm_Types.h"
#include "xml_node.h"

namespace {
constexpr int kElementRole = Qt::UserRole + 1;  // the preview's node: its element

QString Native(const std::string& path) { return QString::fromLocal8Bit(path.c_str()); }
}  // namespace

TRestoreForm::TRestoreForm(const QString& file, const std::vector<TBackupFile>& backups, bool library, QWidget* parent)
    : QDialog(parent), FBackups(backups.rbegin(), backups.rend()), FLibrary(library) {
  setWindowTitle(Text(res::RestoreTitle).arg(file));
  resize(760, 480);
  auto* layout = new QVBoxLayout(this);
  auto* split = new QSplitter(Qt::Horizontal, this);
  layout->addWidget(split, 1);

  lst_Backups = new QTreeWidget(split);
  lst_Backups->setRootIsDecorated(false);
  lst_Backups->setHeaderLabels({Text(res::RestoreColumnTime), Text(res::RestoreColumnDays),
                                Text(res::RestoreColumnDreams), Text(res::RestoreColumnSize)});
  lst_Backups->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  for (const TBackupFile& backup : FBackups) {
    auto* row = new QTreeWidgetItem(lst_Backups);
    row->setText(0, QDateTime::fromSecsSinceEpoch(backup.Time).toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")));
    const qint64 bytes = QFileInfo(Native(backup.Path)).size();
    row->setText(3, Text(res::RestoreSizeKb).arg((bytes + 1023) / 1024));
    for (int column : {1, 2}) row->setText(column, Text(res::RestoreCounting));
    for (int column : {1, 2, 3}) row->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
  }

  auto* right = new QWidget(split);
  auto* rightLayout = new QVBoxLayout(right);
  rightLayout->setContentsMargins(0, 0, 0, 0);
  rightLayout->addWidget(new QLabel(Text(res::RestorePreviewHint), right));
  tre_Preview = new QTreeWidget(right);
  tre_Preview->setHeaderHidden(true);
  rightLayout->addWidget(tre_Preview, 2);
  mem_Text = new QPlainTextEdit(right);
  mem_Text->setReadOnly(true);
  rightLayout->addWidget(mem_Text, 1);
  lbl_Problem = new QLabel(right);
  lbl_Problem->setWordWrap(true);
  lbl_Problem->hide();
  rightLayout->addWidget(lbl_Problem);
  split->setSizes({340, 420});

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  btn_Restore = new QPushButton(Text(res::RestoreButton), this);
  btn_Cancel = new QPushButton(Text(res::RestoreCancel), this);
  btn_Restore->setEnabled(false);
  buttons->addWidget(btn_Restore);
  buttons->addWidget(btn_Cancel);
  layout->addLayout(buttons);
  connect(btn_Restore, &QPushButton::clicked, this, &QDialog::accept);
  connect(btn_Cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(lst_Backups, &QTreeWidget::currentItemChanged, this, [this] { ShowChosen(); });
  connect(tre_Preview, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) { ShowText(item); });

  // Each backup is unpacked and read to count it: off the window's thread, newest first.
  FCounter = std::thread([this, backups = FBackups] {
    for (std::size_t i = 0; i < backups.size() && !FStop; ++i) {
      const TBackupContent content = ReadBackup(backups[i], FLibrary);
      const bool whole = content.Document != nullptr;
      QMetaObject::invokeMethod(
          this, [this, i, days = content.Days, dreams = content.Dreams, whole] { Counted(static_cast<int>(i), days, dreams, whole); },
          Qt::QueuedConnection);
    }
  });
  if (lst_Backups->topLevelItemCount() > 0) lst_Backups->setCurrentItem(lst_Backups->topLevelItem(0));
}

TRestoreForm::~TRestoreForm() {
  {
    const std::lock_guard<std::mutex> lock(FPreviewGuard->Lock);
    FPreviewGuard->Alive = false;  // a preview read still under way is dropped
  }
  FStop = true;
  if (FCounter.joinable()) FCounter.join();
}

QString TRestoreForm::ChosenPath() const {
  const int row = lst_Backups->indexOfTopLevelItem(lst_Backups->currentItem());
  return row < 0 || !FShown ? QString() : Native(FBackups[static_cast<std::size_t>(row)].Path);
}

void TRestoreForm::Counted(int row, int days, int dreams, bool whole) {
  ++FCounted;
  QTreeWidgetItem* item = lst_Backups->topLevelItem(row);
  if (!item) return;
  if (!whole) {
    item->setText(1, Text(res::RestoreDamaged));
    item->setText(2, QString());
  } else if (FLibrary) {
    item->setText(1, QString());
    item->setText(2, QString());
  } else {
    item->setText(1, QString::number(days));
    item->setText(2, QString::number(dreams));
  }
}

void TRestoreForm::ShowChosen() {
  tre_Preview->clear();
  mem_Text->clear();
  FShown.reset();
  btn_Restore->setEnabled(false);
  const int row = lst_Backups->indexOfTopLevelItem(lst_Backups->currentItem());
  if (row < 0) return;
  // Read on a thread of its own (a journal of many years takes a while): the list answers
  // meanwhile, and only the row still chosen when its copy is read is shown.
  lbl_Problem->setText(Text(res::RestorePreviewReading));
  lbl_Problem->show();
  const int wanted = ++FPreviewWanted;
  std::thread([guard = FPreviewGuard, backup = FBackups[static_cast<std::size_t>(row)], library = FLibrary, wanted, this] {
    auto content = std::make_shared<TBackupContent>(ReadBackup(backup, library));
    const std::lock_guard<std::mutex> lock(guard->Lock);
    if (guard->Alive)  // the dialog is there (it waits for this lock as it goes)
      QMetaObject::invokeMethod(this, [this, content, wanted] { Preview(std::move(*content), wanted); }, Qt::QueuedConnection);
  }).detach();
}

void TRestoreForm::Preview(TBackupContent content, int wanted) {
  if (wanted != FPreviewWanted) return;  // another row was chosen meanwhile
  FPreviewShown = wanted;
  lbl_Problem->setVisible(!content.Document);
  if (!content.Document) {
    lbl_Problem->setText(QString::fromUtf8(content.Problem.c_str()));
    return;
  }
  FShown = std::move(content.Document);
  // Nights and their dreams; for the library its catalogs and journals, without recursion.
  std::vector<std::pair<const TXMLNode*, QTreeWidgetItem*>> pending{{FShown->Root.get(), nullptr}};
  while (!pending.empty()) {
    const auto [element, parent] = pending.back();
    pending.pop_back();
    for (const auto& child : element->Children) {
      QString caption;
      if (child->Name == tagDay || child->Name == tagDirectory)
        caption = FromCp(child->GetAttribute(attrName));
      else if (child->Name == tagExperience)
        caption = FromCp(child->GetAttribute(attrNumber)) + QStringLiteral(". ") + FromCp(child->GetAttribute(attrTitle));
      else if (child->Name == tagFile)
        caption = FromCp(child->GetAttribute(attrName)) + QStringLiteral(" (") + FromCp(child->GetAttribute(attrPath)) +
                  QLatin1Char(')');
      else
        continue;
      auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tre_Preview);
      item->setText(0, caption);
      item->setData(0, kElementRole, QVariant::fromValue(static_cast<const void*>(child.get())));
      if (child->Name == tagDay || child->Name == tagDirectory) pending.emplace_back(child.get(), item);
    }
  }
  btn_Restore->setEnabled(true);
}

void TRestoreForm::ShowText(QTreeWidgetItem* item) {
  mem_Text->clear();
  if (!item) return;
  const auto* element = static_cast<const TXMLNode*>(item->data(0, kElementRole).value<const void*>());
  if (!element || (element->Name != tagDay && element->Name != tagExperience)) return;
  QString text = FromCp(ChildText(*element, tagDescription));
  const QString comment = FromCp(ChildText(*element, tagComment));
  if (!comment.isEmpty()) text += (text.isEmpty() ? QString() : QStringLiteral("\n\n")) + comment;
  mem_Text->setPlainText(text);
}
