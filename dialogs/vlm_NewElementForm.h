#pragma once
// The new element dialog: names a new catalog, journal, day or experience. The caller sets
// FNumber (experiences only), calls SetKind, shows it and, after OK, reads First() and Second().
// The dialog changes no data.
#include <QDate>
#include <functional>

#include "vlm_CaptionedDialog.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class QValidator;
class TDreamCalendar;

enum TNewElementKind : unsigned char { neCatalog = 1, neJournal = 2, neDay = 3, neExperience = 4 };

class Tfrm_NewElement : public TCaptionedDialog {
  Q_OBJECT
public:
  explicit Tfrm_NewElement(QWidget* parent = nullptr);

  // Records the kind, then arranges caption, fields and buttons for it.
  void SetKind(TNewElementKind kind);
  // Both edits' change handler: OK is possible exactly when the fields of the kind are not empty.
  void edt_FirstChange();
  // The proposed value: a file name from the save dialog (journal) or today's date (day, which
  // SetKind proposes already).
  void btn_DefaultClick();
  // A day's date picked in a calendar that drops down below the field: it opens at the date
  // typed (or today), and a click on a date (or Enter) takes it and closes the calendar.
  void btn_PickDateClick();

  QString First() const;
  QString Second() const;
  // The last note on characters left out of a field because Windows-1251 cannot hold them.
  const QString& Note() const { return FNote; }

  // The save dialog for a journal's file: the chosen full file name, or empty when cancelled.
  // It asks itself before an existing file is replaced. Replaceable for tests.
  std::function<QString()> ChooseFile;
  // Asked when OK is pressed for a journal whose path was typed rather than chosen in the save
  // dialog: false keeps the dialog open (the path names a file the user does not want replaced).
  std::function<bool(const QString& path)> AcceptTypedPath;
  // Asked when OK is pressed for a day, with its date (or name): false keeps the dialog open (the
  // caller said why).
  std::function<bool(const QString& name)> AcceptDay;
  std::function<QDate()> Today = [] { return QDate::currentDate(); };

  int FNumber = 0;
  TNewElementKind FKind = neCatalog;

  QLabel* lbl_First = nullptr;
  QLineEdit* edt_First = nullptr;
  QToolButton* btn_Default = nullptr;
  QToolButton* btn_PickDate = nullptr;  // a day only
  TDreamCalendar* cal_Popup = nullptr;  // made when first dropped down
  QLabel* lbl_Second = nullptr;
  QLineEdit* edt_Second = nullptr;
  QPushButton* btn_Ok = nullptr;
  QPushButton* btn_Cancel = nullptr;

private:
  void btn_OkClick();
  QString RunSaveDialog();

  QString FChosenPath;  // the last file name the save dialog returned
  QString FNote;
  QValidator* FTitleValidator = nullptr;  // an experience's title; a journal's path has none
};
