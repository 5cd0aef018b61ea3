#pragma once
// Shared by the browser tests: a scripted answer for every modal thing the window opens, and a
// library folder in a temporary directory that stands in for the executable's directory.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSlider>
#include <QToolButton>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <QIcon>
#include <QPersistentModelIndex>
#include <QTreeView>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "vlm_MainForm.h"
#include "vlm_UserInteraction.h"
#include "vlm_Widgets.h"

class TScriptedInteraction : public TUserInteraction {
public:
  TLoginResult AskCredentials(QWidget*, TAuthorizationMode mode) override {
    Modes.push_back(mode);
    if (Logins.empty()) return {};  // as if the dialog was closed
    TLoginResult r = Logins.front();
    Logins.pop_front();
    return r;
  }
  void ShowError(QWidget*, const QString& text) override { Errors << text; }
  void ShowWarning(QWidget*, const QString& text) override { Warnings << text; }
  bool AskGoBackAfterSaveFailure(QWidget*, const QString& text) override {
    SaveFailureQuestions << text;
    if (GoBack.empty()) return false;
    const bool back = GoBack.front();
    GoBack.pop_front();
    return back;
  }
  void OpenUrl(const QUrl& url) override { Urls.push_back(url); }
  // Answers in order; an answer the check refuses (a journal's path, a day's date) is dropped as the
  // real dialog stays open, and the next answer is taken. Without answers: Cancel.
  TNewElementResult AskNewElement(QWidget*, TNewElementKind kind, int number,
                                  const TTypedPathCheck& checkTypedPath) override {
    NewElementKinds.push_back(kind);
    NewElementNumbers.push_back(number);
    while (!NewElements.empty()) {
      TNewElementResult r = NewElements.front();
      NewElements.pop_front();
      if (r.Accepted && checkTypedPath && !checkTypedPath(kind == neJournal ? r.Second : r.First)) continue;
      return r;
    }
    return {};
  }
  TConfirmationResult AskConfirmation(QWidget*, const QString& question) override {
    Questions << question;
    if (WhileAsked) WhileAsked();  // what happens while the question is open
    if (Confirmations.empty()) return {};
    TConfirmationResult r = Confirmations.front();
    Confirmations.pop_front();
    return r;
  }
  bool AskReplaceFile(QWidget*, const QString& file) override {
    ReplaceQuestions << file;
    if (Replace.empty()) return false;
    const bool replace = Replace.front();
    Replace.pop_front();
    return replace;
  }
  QString AskOpenImage(QWidget*) override {
    ++ImageQuestions;
    if (ImageAnswers.empty()) return {};  // as if cancelled
    const QString path = ImageAnswers.front();
    ImageAnswers.pop_front();
    return path;
  }
  void ShowAbout(QWidget*) override { ++AboutShown; }
  // The restore dialog: the backup ChooseBackup picks from those offered; none without it.
  QString AskBackupToRestore(QWidget*, const QString&, const std::vector<TBackupFile>& backups, bool) override {
    return ChooseBackup ? ChooseBackup(backups) : QString();
  }
  std::function<QString(const std::vector<TBackupFile>&)> ChooseBackup;
  // Progress windows: the texts shown, the steps taken in all; from step CancelAtStep on (counted
  // from 1 over every window) the user has pressed "Отмена".
  class TScriptedProgress : public TProgressWindow {
  public:
    explicit TScriptedProgress(TScriptedInteraction& ui) : FUi(ui) {}
    bool Step(qint64, qint64) override { return ++FUi.ProgressSteps < FUi.CancelAtStep || FUi.CancelAtStep <= 0; }
    void SetText(const QString& text, bool) override { FUi.ProgressTexts << text; }

  private:
    TScriptedInteraction& FUi;
  };
  std::unique_ptr<TProgressWindow> ShowProgress(QWidget*, const QString& text) override {
    ProgressTexts << text;
    return std::make_unique<TScriptedProgress>(*this);
  }
  QStringList ProgressTexts;
  int ProgressSteps = 0;
  int CancelAtStep = 0;  // 0: never

  std::deque<TLoginResult> Logins;
  std::vector<TAuthorizationMode> Modes;
  QStringList Errors;
  QStringList Warnings;
  QStringList SaveFailureQuestions;
  std::deque<bool> GoBack;
  std::vector<QUrl> Urls;
  std::deque<TNewElementResult> NewElements;
  std::vector<TNewElementKind> NewElementKinds;
  std::vector<int> NewElementNumbers;
  std::deque<TConfirmationResult> Confirmations;
  std::function<void()> WhileAsked;
  QStringList Questions;
  std::deque<bool> Replace;
  QStringList ReplaceQuestions;
  std::deque<QString> ImageAnswers;
  int ImageQuestions = 0;
  int AboutShown = 0;
};

// A library folder: dreams.ini, journals and pictures written as the program expects them.
class TLibraryFolder {
public:
  TLibraryFolder() { EXPECT_TRUE(Dir.isValid()); }
  QString Path(const QString& name = QString()) const { return Dir.path() + QLatin1Char('/') + name; }
  // Writes `utf8` as Windows-1251 text with CR LF line ends.
  void Write(const QString& name, const QString& utf8) const;
  // The XML declaration and `body` as dreams.ini.
  void WriteLibrary(const QString& body) const { Write(QStringLiteral("dreams.ini"), Declaration() + body); }
  void WriteJournal(const QString& name, const QString& body) const { Write(name, Declaration() + body); }
  // A 16 by 16 picture of one colour.
  void WritePicture(const QString& name, QRgb colour) const;
  QByteArray Read(const QString& name) const;
  static QString Declaration() {
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\" language=\"EN\" standalone=\"yes\"?>\n");
  }
  // Six icons in the library's order (selected, library, catalog, journal, day, dream) of colour IconColour(i).
  QString SixIcons() const;
  static QRgb IconColour(int index) { return qRgb(40 * (index + 1), 10, 20); }

  QTemporaryDir Dir;
};

// A row of the window's tree as the tests handle it: a handle on the model's index with the few
// questions the tests ask of a row (its caption, picture, children, expansion in the view).
class TItem {
public:
  TItem() = default;
  TItem(std::nullptr_t) {}
  TItem(const QModelIndex& index) : Index(index) {}
  TItem(const QPersistentModelIndex& index) : Index(index) {}
  const TItem* operator->() const { return this; }
  operator QModelIndex() const { return Index; }
  explicit operator bool() const { return Index.isValid(); }
  QString text(int = 0) const { return Index.data().toString(); }
  QString toolTip(int = 0) const { return Index.data(Qt::ToolTipRole).toString(); }
  QIcon icon(int = 0) const { return Index.data(Qt::DecorationRole).value<QIcon>(); }
  int childCount() const { return Index.isValid() ? Index.model()->rowCount(Index) : 0; }
  TItem child(int row) const { return Index.isValid() ? Index.model()->index(row, 0, Index) : QModelIndex(); }
  TItem parent() const { return QModelIndex(Index).parent(); }
  bool isExpanded() const { return View && View->isExpanded(Index); }
  void setExpanded(bool expanded) const { View->setExpanded(Index, expanded); }
  bool isSelected() const { return View && View->selectionModel()->isSelected(Index); }
  friend bool operator==(const TItem& a, const TItem& b) { return a.Index == b.Index; }
  friend bool operator==(const TItem& a, std::nullptr_t) { return !a.Index.isValid(); }
  friend bool operator==(const QPersistentModelIndex& a, const TItem& b) { return a == b.Index; }
  friend bool operator==(const QModelIndex& a, const TItem& b) { return b.Index == a; }
  friend std::ostream& operator<<(std::ostream& out, const TItem& item) { return out << item.text().toStdString(); }

  QPersistentModelIndex Index;
  inline static QTreeView* View = nullptr;  // the tree of the window under test
};

// The controls of a window's work area, found by their names as a user finds them on screen.
struct TEditors {
  explicit TEditors(const QWidget* window) : W(window) {}
  template <class T = QWidget>
  T* Find(const char* name) const {
    T* control = W->findChild<T*>(QLatin1String(name));
    EXPECT_NE(control, nullptr) << name;
    return control;
  }
  QCheckBox* LabelBox(int n) const { return Find<QCheckBox>(("box_Label" + std::to_string(n)).c_str()); }

  const QWidget* W;
  QLineEdit* edt_Number = Find<QLineEdit>("edt_Number");
  QLineEdit* edt_Name = Find<QLineEdit>("edt_Name");
  QLabel* lbl_Name = Find<QLabel>("lbl_Name");
  QPlainTextEdit* mmo_Description = Find<QPlainTextEdit>("mmo_Description");
  QPlainTextEdit* mmo_Comment = Find<QPlainTextEdit>("mmo_Comment");
  QSlider* trb_Energy = Find<QSlider>("trb_Energy");
  QLabel* lbl_Energy = Find<QLabel>("lbl_Energy");
  QLabel* lbl_HighEnergyLevel = Find<QLabel>("lbl_HighEnergyLevel");
  QLabel* lbl_ZeroEnergyLevel = Find<QLabel>("lbl_ZeroEnergyLevel");
  QLabel* lbl_LowEnergyLevel = Find<QLabel>("lbl_LowEnergyLevel");
  QLabel* img_Image = Find<QLabel>("img_Image");
  QLabel* img_Graphs = Find<QLabel>("img_Graphs");
  QToolButton* btn_LoadImage = Find<QToolButton>("btn_LoadImage");
  QToolButton* btn_ClearImage = Find<QToolButton>("btn_ClearImage");
  QCheckBox* box_Label1 = LabelBox(1);
  QCheckBox* box_Label2 = LabelBox(2);
  QCheckBox* box_Label3 = LabelBox(3);
  QCheckBox* box_Label4 = LabelBox(4);
  QCheckBox* btn_ReadOnly = Find<QCheckBox>("btn_ReadOnly");
  QCheckBox* box_ConfirmDelete = Find<QCheckBox>("box_ConfirmDelete");
  QWidget* bvl_Border = Find<QWidget>("bvl_Border");
  QToolButton* btn_Copy_1 = Find<QToolButton>("btn_Copy_1");
  QToolButton* btn_Copy_2 = Find<QToolButton>("btn_Copy_2");
  QToolButton* btn_Refresh_1 = Find<QToolButton>("btn_Refresh_1");
  QToolButton* btn_Refresh_2 = Find<QToolButton>("btn_Refresh_2");
};

// Builds and shows windows on a library folder.
class BrowserTest : public ::testing::Test {
protected:
  Tfrm_MainForm* Open();
  // The tree row whose caption is `caption`, searched in the whole tree (rows not shown yet are
  // built on the way; a journal shown again below itself is searched once).
  TItem Item(const QString& caption) const;
  // Every row of the tree in its order, built as Item builds them.
  std::vector<TItem> AllItems() const;
  // The library's row and the current row.
  TItem TopItem() const;
  TItem CurrentItem() const;
  // The work area's controls of the window open.
  TEditors Editors() const { return TEditors(Form.get()); }
  // A real mouse click on a tree row.
  void ClickItem(const TItem& item) const;
  // The colour in the middle of a row's picture, in the given mode.
  static QRgb PictureColour(const TItem& item, QIcon::Mode mode);
  // Closes the window with the close box's path; true when it closed.
  bool Close();

  TLibraryFolder Library;
  TScriptedInteraction Ui;
  std::unique_ptr<Tfrm_MainForm> Form;
};

// A window on a library whose one journal, J (`j.xml`, the night d1), is the default; Journal is
// its document.
class OneJournalTest : public BrowserTest {
protected:
  void SetUp() override {
    Library.WriteLibrary(QStringLiteral("<dreamlibrary name=\"L\">\n  <directory name=\"A\">\n"
                                        "    <file name=\"J\" path=\"j.xml\" default=\"yes\" />\n"
                                        "  </directory>\n</dreamlibrary>\n"));
    Library.WriteJournal(QStringLiteral("j.xml"), QStringLiteral("<velmora>\n  <day name=\"d1\" />\n</velmora>\n"));
    Open();
    Journal = Form->Library().OpenJournal(Library.Path(QStringLiteral("j.xml")).toStdString());
  }
  TXMLParser* Journal = nullptr;
};
