#pragma once
// The backups of one file, newest first (date and time, days and dreams, size on disk), a
// read-only preview of the chosen one, and "Восстановить". The counts come from a worker thread
// as each backup is read; a damaged backup says so in its row and cannot be chosen.
#include <QDialog>
#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "vlm_Backups.h"
#include "vlm_Restore.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class TXMLParser;

class TRestoreForm : public QDialog {
  Q_OBJECT
public:
  // `backups` as ListBackups gives them (oldest first); `library`: backups of the library file.
  TRestoreForm(const QString& file, const std::vector<TBackupFile>& backups, bool library, QWidget* parent = nullptr);
  ~TRestoreForm() override;

  // The chosen backup's path (native), empty when none.
  QString ChosenPath() const;
  // True once every row has its counts.
  bool Counted() const { return FCounted == static_cast<int>(FBackups.size()); }
  // True once the chosen row's copy is read and shown (or refused with its reason).
  bool PreviewShown() const { return FPreviewShown == FPreviewWanted; }

  QTreeWidget* lst_Backups = nullptr;  // columns: time, days, dreams, size
  QTreeWidget* tre_Preview = nullptr;  // nights and dreams (catalogs and journals for the library)
  QPlainTextEdit* mem_Text = nullptr;  // the chosen dream's description and comment
  QLabel* lbl_Problem = nullptr;
  QPushButton* btn_Restore = nullptr;
  QPushButton* btn_Cancel = nullptr;

private:
  void ShowChosen();
  // The copy read for the row chosen as the `wanted`-th; dropped when another was chosen since.
  void Preview(TBackupContent content, int wanted);
  void ShowText(QTreeWidgetItem* item);
  void Counted(int row, int days, int dreams, bool whole);

  std::vector<TBackupFile> FBackups;  // newest first, as the rows
  bool FLibrary;
  std::unique_ptr<TXMLParser> FShown;  // the previewed backup's document
  int FCounted = 0;
  std::atomic<bool> FStop{false};
  std::thread FCounter;
  // The preview's reading threads post to the dialog only while it is there.
  struct TGuard {
    std::mutex Lock;
    bool Alive = true;
  };
  std::shared_ptr<TGuard> FPreviewGuard = std::make_shared<TGuard>();
  int FPreviewWanted = 0, FPreviewShown = 0;
};
