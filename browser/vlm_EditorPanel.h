#pragma once
// The work area: the editors of the selected tree node, laid out for its kind, and the chart image
// with its buttons, which the statistics views draw into. The window loads an entry into the
// panel on each selection; the panel shows it and emits the user's edits of it, which the window
// applies through the library core. The panel never writes into a document itself.
//
//   vlm_EditorPanel.cpp           controls as designed, showing an entry, layout per kind, locking
//   vlm_EditorPanel_Handlers.cpp  the change handlers of the editors, which emit the edits
#include <QImage>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <string>

#include "vlm_Anchors.h"
#include "vlm_Library.h"

class QCheckBox;
class QImage;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QSlider;
class QToolButton;
class TBevel;
class TEditorSpelling;
class TLevelLabel;
class TTypingSteps;
class TUserInteraction;
class TXMLNode;

enum TEditorKind { ekLibrary = 0, ekCatalog = 1, ekJournal = 2, ekDay = 3, ekExperience = 4 };

class TEditorPanel : public QWidget {
  Q_OBJECT
public:
  // `appDir`: the executable's directory, ending in "/", where "empty.bmp" is looked for.
  TEditorPanel(TUserInteraction& ui, const QString& appDir, QWidget* parent = nullptr);

  // Shows `element` in the editors laid out for `kind`, writing nothing, and emits the user's
  // edits of it from now on. A journal's name is read from `nameEntry` (its library entry) when
  // given. With `documentReadOnly` (a document that is never written) the editors only show,
  // whatever the element says. The element is read here and not kept.
  void LoadEntry(TEditorKind kind, const TXMLNode& element, bool documentReadOnly, const TXMLNode* nameEntry = nullptr);
  // Emits nothing until the next LoadEntry (nothing is selected, or the entry is going away).
  void Unload() { FLoaded = false; }
  // The layout last arranged; -1 before the first.
  int Kind() const { return FKind; }

  // The library's own box "ask before deleting": shown as `ask`, enabled when the library is written.
  void ShowConfirmDelete(bool ask, bool enabled);
  // The name editor takes the focus with its text selected; false when it is not shown.
  bool FocusName();
  // The field (the name or title, the comment) takes the focus with the caret at its end, ready
  // for typing on; false when it is not shown.
  bool FocusField(TTextField field);
  // Where the steps of typing begin (vlm_TypingSteps.h); its clock can be replaced.
  TTypingSteps& Typing() const { return *FTyping; }
  // The picture of the dream shown, at its full size in a window of its own (a double-click on
  // it); none for the blank picture.
  void ShowFullPicture();
  QWidget* FullPictureWindow() const { return FPictureWindow; }
  // The caption of label box n = 1..4; a box without one is not shown.
  QString LabelCaption(int n) const;
  void SetLabelCaption(int n, const QString& caption);

  // A picture path as stored (Windows-1251) resolved for use; used as written when not set.
  std::function<std::string(const std::string&)> ResolvePath;
  // Runs after the work area's controls followed a new size of the area (the window's or the
  // splitter's), including the first layout; the charts are redrawn from here.
  std::function<void()> OnResize;

  // The chart image and its buttons (n = 1..3), for the statistics views.
  QLabel* Graphs() const { return img_Graphs; }
  TBevel* Border() const { return bvl_Border; }
  QToolButton* CopyButton(int n) const;
  QToolButton* RefreshButton(int n) const;
  TAnchorLayout* Anchors() const { return FLayout; }

  // What could not be shown or stored, and what was done (saved, exported), as the panel tells it
  // without a modal box; empty when there is nothing to tell.
  QString Notice() const;
  // Adds `text` to the notice line (until another entry is shown).
  void ShowNotice(const QString& text);
  // Puts `text` on the notice line in place of the last status (what the last save or export did).
  void ShowStatus(const QString& text);
  // The notice line, shown only while it holds something: the window places it below the area,
  // so that nothing lies under it.
  QLabel* NoticeLine() const { return lbl_Notice; }
  static constexpr int kNoticeLines = 3;

  // Spell checking in the name, description and comment, with the user's own word list kept in
  // `personalFile`; nothing changes when no dictionary is installed (vlm_EditorSpelling.cpp).
  void StartSpelling(const QString& personalFile);
  TEditorSpelling* Spelling() const { return FSpelling; }

  static constexpr int kDesignWidth = 452;
  static constexpr int kDesignHeight = 383;
  static constexpr int kMinCommentWidth = 120;

signals:
  // The user's edits of the entry loaded, as they are to be stored (Windows-1251): its name (a
  // dream's is tfTitle), number, description or comment; `step` tells whether it continues the
  // step of the last edit in the undo history (typing on) or begins one.
  void TextEdited(TTextField field, const std::string& text, TTextStep step);
  void LabelEdited(int n, bool on);
  void PictureEdited(const std::string& path);  // empty: no picture
  void EnergyEdited(int level);
  void ReadOnlyEdited(bool readOnly);
  void ConfirmDeleteEdited(bool ask);

private:
  friend class TEditorSpelling;  // runs its menu's actions inside the panel's error boundary
  // While one of these lives, the editors only show: filling and arranging them, locking and
  // unlocking, never emit an edit.
  class TShowing {
  public:
    explicit TShowing(TEditorPanel& panel) : FPanel(panel), FWas(panel.FShowing) { panel.FShowing = true; }
    ~TShowing() { FPanel.FShowing = FWas; }
    TShowing(const TShowing&) = delete;
    TShowing& operator=(const TShowing&) = delete;

  private:
    TEditorPanel& FPanel;
    bool FWas;
  };
  // True when the user's edits of an entry of this kind may be emitted now.
  bool Editing(TEditorKind kind) const { return FLoaded && !FShowing && FKind == kind; }
  void FillEditors(TEditorKind kind, const TXMLNode& element, const TXMLNode* nameEntry);
  void ArrangeEditors(TEditorKind kind);
  void LockEditors();
  void UnlockEditors();
  QCheckBox* LabelBox(int n) const;  // box_Label1 .. box_Label4 for n = 1..4
  void NameObjects();

  // Handlers of the editors. Each runs when its control's value changes and emits the edit,
  // except while the panel is only showing an entry (TShowing).
  void edt_NumberChange();
  void edt_NameChange();
  void mmo_DescriptionChange();
  void mmo_CommentChange();
  void box_LabelClick(int n);  // box_Label1Click .. box_Label4Click
  void btn_LoadImageClick();
  void btn_ClearImageClick();
  void trb_EnergyChange();
  void lbl_HighEnergyLevelDblClick();
  void lbl_ZeroEnergyLevelDblClick();
  void lbl_LowEnergyLevelDblClick();
  void btn_ReadOnlyClick();

  // Controls of the design.
  QLabel* img_Graphs = nullptr;
  QLabel* lbl_Number = nullptr;
  QLineEdit* edt_Number = nullptr;
  QLabel* lbl_Name = nullptr;
  QLineEdit* edt_Name = nullptr;
  QLabel* lbl_Description = nullptr;
  QPlainTextEdit* mmo_Description = nullptr;
  QLabel* lbl_Energy = nullptr;
  QSlider* trb_Energy = nullptr;
  TLevelLabel* lbl_HighEnergyLevel = nullptr;
  TLevelLabel* lbl_ZeroEnergyLevel = nullptr;
  TLevelLabel* lbl_LowEnergyLevel = nullptr;
  QLabel* lbl_Comment = nullptr;
  QPlainTextEdit* mmo_Comment = nullptr;
  QLabel* lbl_Image = nullptr;
  TLevelLabel* img_Image = nullptr;  // a double-click shows the picture at its full size
  QToolButton* btn_LoadImage = nullptr;
  QToolButton* btn_ClearImage = nullptr;
  QCheckBox* box_Label1 = nullptr;
  QCheckBox* box_Label2 = nullptr;
  QCheckBox* box_Label3 = nullptr;
  QCheckBox* box_Label4 = nullptr;
  TBevel* bvl_Border = nullptr;
  QToolButton* btn_Copy_1 = nullptr;
  QToolButton* btn_Copy_2 = nullptr;
  QToolButton* btn_Copy_3 = nullptr;
  QToolButton* btn_Refresh_1 = nullptr;
  QToolButton* btn_Refresh_2 = nullptr;
  QToolButton* btn_Refresh_3 = nullptr;
  QCheckBox* btn_ReadOnly = nullptr;
  QCheckBox* box_ConfirmDelete = nullptr;  // the library's: ask before deleting
  QLabel* lbl_Notice = nullptr;  // what could not be shown or stored, and the last status
  QStringList FNotes;
  QString FStatus;

  void CreateControls();
  void ConnectHandlers();
  // Runs a handler inside the error boundary.
  void Run(const std::function<void()>& handler);
  // `text` as Windows-1251 bytes; false (with a notice) when a character has none.
  bool Encode(const QString& text, std::string& bytes);
  // Removes from a memo what Windows-1251 cannot hold; true when something was removed.
  bool RefuseForeignCharacters(QPlainTextEdit* memo);
  void SetEditorsWritable(bool writable);
  void FillExperience(const TXMLNode& experience);
  // Shows `picture` in img_Image, made smaller to fit when it is larger than the box.
  void ShowPicture(const QImage& picture);
  // The blank picture "empty.bmp" of the program's folder; a null image (with a notice) when missing.
  QImage BlankPicture();
  void ColourLevels(int position);
  void SetEnergyByLabel(int level);
  static void SetLevelColour(QLabel* label, bool red);  // red, or black
  // The comment memo's place for the current layout and size.
  void PlaceComment();
  void ShowNotes();
  // Keeps what depends on the area's size where its layout wants it.
  void FollowResize();

  TUserInteraction& FUi;
  QString FAppDir;
  TAnchorLayout* FLayout = nullptr;
  bool FLoaded = false;  // an entry is loaded: its edits are emitted
  bool FDocumentReadOnly = false;
  int FKind = -1;
  bool FRefusing = false;  // a memo is being cleaned of characters it cannot keep
  bool FShowing = false;   // see TShowing
  TEditorSpelling* FSpelling = nullptr;
  TTypingSteps* FTyping = nullptr;
  QImage FPicture;  // the dream's own picture as read, null for the blank one
  QPointer<QWidget> FPictureWindow;
};
