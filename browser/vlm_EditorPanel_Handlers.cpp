// The change handlers of the editors: each emits the user's edit of the entry loaded, as it is to
// be stored.
#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSlider>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolButton>

#include "vlm_EditorPanel.h"
#include "vlm_EntryFields.h"
#include "vlm_ErrorBoundary.h"
#include "vlm_Pictures.h"
#include "vlm_Resources.h"
#include "vlm_Strings.h"
#include "vlm_Types.h"
#include "vlm_TypingSteps.h"
#include "vlm_UserInteraction.h"
#include "vlm_Widgets.h"

void TEditorPanel::ConnectHandlers() {
  auto refused = [this](const QString& bad) { ShowNotice(Text(res::MsgCharactersRefused).arg(bad)); };
  for (QLineEdit* edit : {edt_Number, edt_Name}) edit->setValidator(new TCp1251Validator(edit, refused));
  FTyping = new TTypingSteps(this);
  for (QWidget* field : std::initializer_list<QWidget*>{edt_Number, edt_Name, mmo_Description, mmo_Comment})
    FTyping->Watch(field);
  // Qt's change signals fire for the program's own changes too, as the handlers need.
  connect(edt_Number, &QLineEdit::textChanged, this, [this] { Run([this] { edt_NumberChange(); }); });
  connect(edt_Name, &QLineEdit::textChanged, this, [this] { Run([this] { edt_NameChange(); }); });
  connect(mmo_Description, &QPlainTextEdit::textChanged, this, [this] { Run([this] { mmo_DescriptionChange(); }); });
  connect(mmo_Comment, &QPlainTextEdit::textChanged, this, [this] { Run([this] { mmo_CommentChange(); }); });
  for (int n = 1; n <= kLabelCount; ++n)
    connect(LabelBox(n), &QCheckBox::toggled, this, [this, n] { Run([this, n] { box_LabelClick(n); }); });
  connect(btn_LoadImage, &QToolButton::clicked, this, [this] { Run([this] { btn_LoadImageClick(); }); });
  connect(btn_ClearImage, &QToolButton::clicked, this, [this] { Run([this] { btn_ClearImageClick(); }); });
  connect(trb_Energy, &QSlider::valueChanged, this, [this] { Run([this] { trb_EnergyChange(); }); });
  connect(lbl_HighEnergyLevel, &TLevelLabel::doubleClicked, this, [this] { Run([this] { lbl_HighEnergyLevelDblClick(); }); });
  connect(lbl_ZeroEnergyLevel, &TLevelLabel::doubleClicked, this, [this] { Run([this] { lbl_ZeroEnergyLevelDblClick(); }); });
  connect(lbl_LowEnergyLevel, &TLevelLabel::doubleClicked, this, [this] { Run([this] { lbl_LowEnergyLevelDblClick(); }); });
  connect(img_Image, &TLevelLabel::doubleClicked, this, [this] { Run([this] { ShowFullPicture(); }); });
  connect(btn_ReadOnly, &QCheckBox::toggled, this, [this] { Run([this] { btn_ReadOnlyClick(); }); });
  connect(box_ConfirmDelete, &QCheckBox::toggled, this, [this](bool ask) {
    Run([this, ask] {
      if (!FShowing) emit ConfirmDeleteEdited(ask);
    });
  });
}

void TEditorPanel::Run(const std::function<void()>& handler) { Guard(FUi, this, handler); }

bool TEditorPanel::Encode(const QString& text, std::string& bytes) {
  QString bad;
  if (ToCp(text, bytes, &bad)) return true;
  ShowNotice(Text(res::MsgCharactersRefused).arg(bad));
  return false;
}

bool TEditorPanel::RefuseForeignCharacters(QPlainTextEdit* memo) {
  const QString text = memo->toPlainText();
  std::string bytes;
  QString bad;
  if (ToCp(text, bytes, &bad)) return false;
  // Positions in the document are those of the plain text: one per UTF-16 unit and per line end.
  FRefusing = true;
  QTextCursor cursor(memo->document());
  cursor.beginEditBlock();
  for (qsizetype i = text.size(); i > 0;) {
    const qsizetype n = (i >= 2 && text.at(i - 1).isLowSurrogate() && text.at(i - 2).isHighSurrogate()) ? 2 : 1;
    i -= n;
    if (!bad.contains(text.mid(i, n))) continue;
    cursor.setPosition(static_cast<int>(i));
    cursor.setPosition(static_cast<int>(i + n), QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
  }
  cursor.endEditBlock();
  FRefusing = false;
  ShowNotice(Text(res::MsgCharactersRefused).arg(bad));
  return true;
}

void TEditorPanel::edt_NumberChange() {
  if (!Editing(ekExperience)) return;
  const TTextStep step = FTyping->Edited(edt_Number);
  std::string number;
  if (Encode(edt_Number->text(), number)) emit TextEdited(tfNumber, number, step);
}

void TEditorPanel::edt_NameChange() {
  if (!FLoaded || FShowing) return;
  const TTextStep step = FTyping->Edited(edt_Name);
  std::string name;
  if (Encode(edt_Name->text(), name)) emit TextEdited(FKind == ekExperience ? tfTitle : tfName, name, step);
}

void TEditorPanel::mmo_DescriptionChange() {
  if (FRefusing || !Editing(ekExperience)) return;
  RefuseForeignCharacters(mmo_Description);
  const TTextStep step = FTyping->Edited(mmo_Description);
  std::string text;
  if (Encode(mmo_Description->toPlainText(), text)) emit TextEdited(tfDescription, DescriptionText(text), step);
}

void TEditorPanel::mmo_CommentChange() {
  if (FRefusing || !(Editing(ekExperience) || Editing(ekDay))) return;
  RefuseForeignCharacters(mmo_Comment);
  const TTextStep step = FTyping->Edited(mmo_Comment);
  std::string text;
  if (Encode(mmo_Comment->toPlainText(), text)) emit TextEdited(tfComment, JoinCommentLines(text), step);
}

void TEditorPanel::box_LabelClick(int n) {
  if (Editing(ekExperience)) emit LabelEdited(n, LabelBox(n)->isChecked());
}

void TEditorPanel::btn_LoadImageClick() {
  if (!Editing(ekExperience)) return;
  const QString chosen = FUi.AskOpenImage(this);
  if (chosen.isEmpty() || !Editing(ekExperience)) return;  // the entry may have gone meanwhile
  std::string path;
  QString bad;
  if (!ToCp(chosen, path, &bad)) {
    ShowNotice(Text(res::MsgPicturePathRefused).arg(chosen));
    return;
  }
  QImage picture;
  if (!LoadPicture(picture, chosen)) {
    ShowNotice(Text(res::MsgPictureNotLoaded).arg(chosen));
    return;
  }
  ShowPicture(picture);
  FPicture = picture;
  emit PictureEdited(path);
}

void TEditorPanel::btn_ClearImageClick() {
  if (!Editing(ekExperience)) return;
  // Cleared even when the blank picture itself is missing: the user asked for no picture.
  ShowPicture(BlankPicture());
  FPicture = QImage();
  emit PictureEdited({});
}

void TEditorPanel::ColourLevels(int position) {
  const int maximum = trb_Energy->maximum();
  const int page = trb_Energy->pageStep();
  bool high = false, zero = false, low = false;
  if (position < trb_Energy->minimum() + page)
    high = true;
  else if ((maximum - page) / 2 < position && position < (maximum + page) / 2)
    zero = true;
  else if (position > maximum - page)
    low = true;
  SetLevelColour(lbl_HighEnergyLevel, high);
  SetLevelColour(lbl_ZeroEnergyLevel, zero);
  SetLevelColour(lbl_LowEnergyLevel, low);
}

void TEditorPanel::trb_EnergyChange() {
  if (Editing(ekExperience)) emit EnergyEdited(trb_Energy->value());
  ColourLevels(trb_Energy->value());
}

void TEditorPanel::SetEnergyByLabel(int level) {
  if (!trb_Energy->isEnabled()) return;
  // Stored even when the track bar shows that level already (a dream without a level shows the
  // middle): the user asked for it.
  if (trb_Energy->value() == level && Editing(ekExperience)) emit EnergyEdited(level);
  trb_Energy->setValue(level);
}

void TEditorPanel::lbl_HighEnergyLevelDblClick() { SetEnergyByLabel(trb_Energy->minimum()); }

void TEditorPanel::lbl_ZeroEnergyLevelDblClick() { SetEnergyByLabel(trb_Energy->maximum() / 2); }

void TEditorPanel::lbl_LowEnergyLevelDblClick() { SetEnergyByLabel(trb_Energy->maximum()); }

void TEditorPanel::btn_ReadOnlyClick() {
  if (FKind != ekExperience) return;
  const bool locked = btn_ReadOnly->isChecked();
  if (Editing(ekExperience) && !FDocumentReadOnly) emit ReadOnlyEdited(locked);
  if (locked)
    LockEditors();
  else
    UnlockEditors();
}
