#pragma once
// The backups of one file, newest first (date and time, days and dreams, size on disk), a
// read-only preview of the chosen one, and "Восстановить". The counts come from a worker thread
// as each backup is read; a damaged backup says so in its row and cannot be chosen.
#include <QDialog>
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "vlm_Backups.h"

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

  QTreeWidget* lst_Backups = nullptr;  // columns: time, days, dreams, size
  QTreeWidget* tre_Preview = nullptr;  // nights and dreams (catalogs and journals for the library)
  QPlainTextEdit* mem_Text = nullptr;  // the chosen dream's description and comment
  QLabel* lbl_Problem = nullptr;
  QPushButton* btn_Restore = nullptr;
  QPushButton* btn_Cancel = nullptr;

private:
  void ShowChosen();
  void ShowText(QTreeWidgetItem* item);
  void Counted(int row, int days, int dreams, bool whole);

  std::vector<TBackupFile> FBackups;  // newest first, as the rows
  bool FLibrary;
  std::unique_ptr<TXMLParser> FShown;  // the previewed backup's document
  int FCounted = 0;
  std::atomic<bool> FStop{false};
  std::thread FCounter;
};
