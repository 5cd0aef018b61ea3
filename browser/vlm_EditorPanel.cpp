// The work area's controls as designed, filling them from an element, and their layout per kind.
#include "vlm_EditorPanel.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QSlider>
#include <QTextCursor>
#include <QToolButton>
#include <QSignalBlocker>
#include <algorithm>
#include <type_traits>

#include "vlm_EntryFields.h"
#include "vlm_Pictures.h"
#include "vlm_Resources.h"
#include "vlm_Strings.h"
#include "vlm_TypingSteps.h"
#include "vlm_Types.h"
#include "vlm_UserInteraction.h"
#include "vlm_Widgets.h"
#include "xml_functions.h"
#include "xml_node.h"

namespace {

// An attribute as an editor shows it: empty when absent.
QString Shown(const std::string& value) { return value == litUndefined ? QString() : FromCp(value); }


// The pictures of the two small picture buttons: a plus to open a file, a cross to clear.
QIcon Glyph(bool cross) {
  QPixmap pixmap(8, 8);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setPen(QPen(cross ? QColor(192, 0, 0) : QColor(0, 0, 128), 2));
  if (cross) {
    painter.drawLine(1, 1, 6, 6);
    painter.drawLine(1, 6, 6, 1);
  } else {
    painter.drawLine(4, 0, 4, 8);
    painter.drawLine(0, 4, 8, 4);
  }
  return QIcon(pixmap);
}
}  // namespace

TEditorPanel::TEditorPanel(TUserInteraction& ui, const QString& appDir, QWidget* parent)
    : QWidget(parent), FUi(ui), FAppDir(appDir) {
  CreateControls();
  NameObjects();
  ConnectHandlers();
}

void TEditorPanel::LoadEntry(TEditorKind kind, const TXMLNode& element, bool documentReadOnly,
                             const TXMLNode* nameEntry) {
  const TShowing showing(*this);
  FLoaded = true;
  FDocumentReadOnly = documentReadOnly;
  // A notice speaks of the entry shown before.
  FNotes.clear();
  FStatus.clear();
  ShowNotes();
  FillEditors(kind, element, nameEntry);
  ArrangeEditors(kind);
  FTyping->Restart();
  if (kind != ekExperience) return;
  if (element.GetAttribute(attrReadOnly) == litTrue)
    LockEditors();
  else
    UnlockEditors();
}

void TEditorPanel::ShowConfirmDelete(bool ask, bool enabled) {
  const TShowing showing(*this);
  box_ConfirmDelete->setChecked(ask);
  box_ConfirmDelete->setEnabled(enabled);
}

bool TEditorPanel::FocusField(TTextField field) {
  QWidget* editor = field == tfComment ? static_cast<QWidget*>(mmo_Comment) : edt_Name;
  if (!editor->isVisible()) return false;
  editor->setFocus(Qt::OtherFocusReason);
  if (auto* line = qobject_cast<QLineEdit*>(editor))
    line->end(false);
  else
    mmo_Comment->moveCursor(QTextCursor::End);
  return true;
}

bool TEditorPanel::FocusName() {
  if (!edt_Name->isVisible()) return false;
  edt_Name->setFocus(Qt::ShortcutFocusReason);
  edt_Name->selectAll();
  return true;
}

QString TEditorPanel::LabelCaption(int n) const { return LabelBox(n) ? LabelBox(n)->text() : QString(); }

void TEditorPanel::SetLabelCaption(int n, const QString& caption) {
  if (QCheckBox* box = LabelBox(n)) box->setText(caption);
}

// By their names the controls are found as a user finds them on screen (tests, accessibility).
void TEditorPanel::NameObjects() {
  const std::pair<QWidget*, const char*> named[] = {
      {img_Graphs, "img_Graphs"}, {lbl_Number, "lbl_Number"}, {edt_Number, "edt_Number"},
      {lbl_Name, "lbl_Name"}, {edt_Name, "edt_Name"}, {lbl_Description, "lbl_Description"},
      {mmo_Description, "mmo_Description"}, {lbl_Energy, "lbl_Energy"}, {trb_Energy, "trb_Energy"},
      {lbl_HighEnergyLevel, "lbl_HighEnergyLevel"}, {lbl_ZeroEnergyLevel, "lbl_ZeroEnergyLevel"},
      {lbl_LowEnergyLevel, "lbl_LowEnergyLevel"}, {lbl_Comment, "lbl_Comment"}, {mmo_Comment, "mmo_Comment"},
      {lbl_Image, "lbl_Image"}, {img_Image, "img_Image"}, {btn_LoadImage, "btn_LoadImage"},
      {btn_ClearImage, "btn_ClearImage"}, {box_Label1, "box_Label1"}, {box_Label2, "box_Label2"},
      {box_Label3, "box_Label3"}, {box_Label4, "box_Label4"}, {bvl_Border, "bvl_Border"},
      {btn_Copy_1, "btn_Copy_1"}, {btn_Copy_2, "btn_Copy_2"}, {btn_Copy_3, "btn_Copy_3"},
      {btn_Refresh_1, "btn_Refresh_1"}, {btn_Refresh_2, "btn_Refresh_2"}, {btn_Refresh_3, "btn_Refresh_3"},
      {btn_ReadOnly, "btn_ReadOnly"}, {box_ConfirmDelete, "box_ConfirmDelete"}, {lbl_Notice, "lbl_Notice"}};
  for (const auto& [widget, name] : named) widget->setObjectName(QLatin1String(name));
}

void TEditorPanel::CreateControls() {
  const QSize reference(kDesignWidth, kDesignHeight);
  resize(reference);
  FLayout = new TAnchorLayout(this);
  auto place = [&](QWidget* w, QRect bounds, TAnchors anchors, bool visible) {
    FLayout->Place(w, bounds, anchors, reference);
    w->setVisible(visible);
  };
  auto label = [&](auto*& l, int left, int top, const char* caption, TAnchors anchors, bool visible) {
    l = new std::remove_reference_t<decltype(*l)>(Text(caption), this);
    l->adjustSize();  // labels size themselves to their caption
    place(l, QRect(QPoint(left, top), l->size()), anchors, visible);
  };
  auto memo = [&](QPlainTextEdit*& m) {
    m = new QPlainTextEdit(this);
    m->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m->setTabChangesFocus(true);  // Tab leaves the field as in every other one; no tab is stored
  };
  auto flat = [&](QToolButton*& b, QRect bounds, const char* hint, TAnchors anchors, bool visible) {
    b = new QToolButton(this);
    b->setAutoRaise(true);
    b->setToolTip(Text(hint));
    b->setFocusPolicy(Qt::NoFocus);
    place(b, bounds, anchors, visible);
  };

  img_Graphs = new QLabel(this);
  img_Graphs->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  place(img_Graphs, QRect(QPoint(0, 0), reference), akAll, false);

  label(lbl_Number, 5, 2, res::CaptionNumber, akLeftTop, false);
  edt_Number = new QLineEdit(this);
  place(edt_Number, QRect(4, 17, 50, 21), akLeftTop, false);
  label(lbl_Name, 60, 2, res::CaptionName, akLeftTop, true);
  edt_Name = new QLineEdit(this);
  place(edt_Name, QRect(59, 17, 391, 21), akLeftTop | akRight, true);
  label(lbl_Description, 5, 44, res::CaptionDescription, akLeftTop, false);
  memo(mmo_Description);
  place(mmo_Description, QRect(4, 59, 373, 121), akAll, false);

  label(lbl_Energy, 383, 44, res::CaptionEnergy, akTop | akRight, true);
  trb_Energy = new QSlider(Qt::Vertical, this);
  trb_Energy->setRange(0, kEnergyMaximum);
  trb_Energy->setPageStep(20);
  trb_Energy->setSingleStep(1);
  trb_Energy->setValue(kEnergyMiddle);
  trb_Energy->setTickPosition(QSlider::NoTicks);
  trb_Energy->setInvertedAppearance(true);  // position 0 ("1") at the top, the maximum ("-1") at the bottom
  trb_Energy->setInvertedControls(true);
  place(trb_Energy, QRect(393, 59, 26, 121), akTop | akRight | akBottom, true);
  label(lbl_HighEnergyLevel, 421, 63, res::CaptionHighEnergyLevel, akTop | akRight, true);
  label(lbl_ZeroEnergyLevel, 421, 112, res::CaptionZeroEnergyLevel, akRight, true);
  label(lbl_LowEnergyLevel, 421, 161, res::CaptionLowEnergyLevel, akRight | akBottom, true);

  label(lbl_Comment, 5, 186, res::CaptionComment, akLeft | akBottom, false);
  memo(mmo_Comment);
  place(mmo_Comment, QRect(4, 202, 290, 64), akLeft | akRight | akBottom, false);
  label(lbl_Image, 298, 186, res::CaptionImage, akRight | akBottom, false);
  img_Image = new TLevelLabel(this);
  img_Image->setAlignment(Qt::AlignCenter);
  place(img_Image, QRect(298, 202, 140, 140), akRight | akBottom, false);
  flat(btn_LoadImage, QRect(440, 202, 10, 10), res::HintLoadImage, akRight | akBottom, false);
  flat(btn_ClearImage, QRect(440, 214, 10, 10), res::HintClearImage, akRight | akBottom, false);
  btn_LoadImage->setIcon(Glyph(false));
  btn_ClearImage->setIcon(Glyph(true));
  for (QToolButton* b : {btn_LoadImage, btn_ClearImage}) b->setIconSize(QSize(8, 8));

  QCheckBox** boxes[kLabelCount] = {&box_Label1, &box_Label2, &box_Label3, &box_Label4};
  for (int i = 0; i < kLabelCount; ++i) {
    *boxes[i] = new QCheckBox(this);
    place(*boxes[i], QRect(5, 269 + 20 * i, 265, 17), akLeft | akBottom, false);
  }

  bvl_Border = new TBevel(this);
  place(bvl_Border, QRect(4, 344, 446, 6), akLeft | akRight | akBottom, true);
  QToolButton** copies[3] = {&btn_Copy_1, &btn_Copy_2, &btn_Copy_3};
  QToolButton** refreshes[3] = {&btn_Refresh_1, &btn_Refresh_2, &btn_Refresh_3};
  for (int i = 0; i < 3; ++i) {
    flat(*copies[i], QRect(4 + 15 * i, 351, 15, 15), res::HintCopyGraph, akLeftTop, true);
    flat(*refreshes[i], QRect(4 + 15 * i, 366, 15, 15), res::HintRefreshGraph, akLeftTop, true);
  }
  btn_ReadOnly = new QCheckBox(Text(res::CaptionReadOnly), this);
  place(btn_ReadOnly, QRect(348, 359, 97, 17), akRight | akBottom, true);
  box_ConfirmDelete = new QCheckBox(Text(res::CaptionConfirmDelete), this);
  place(box_ConfirmDelete, QRect(5, 50, 300, 17), akLeftTop, false);

  // Below the area, placed by the window (NoticeLine): the editors and charts never lie under it.
  lbl_Notice = new QLabel(this);
  lbl_Notice->setWordWrap(true);
  lbl_Notice->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  lbl_Notice->setContentsMargins(4, 2, 4, 2);
  QPalette notice = lbl_Notice->palette();
  notice.setColor(QPalette::WindowText, QColor(160, 0, 0));  // stands out from the captions
  lbl_Notice->setPalette(notice);
  // At most a few lines, so that the editors keep their room; the tool tip holds the whole text.
  lbl_Notice->setMaximumHeight(kNoticeLines * lbl_Notice->fontMetrics().lineSpacing() + 4);
  lbl_Notice->hide();

  // The controls follow the area's size first; then what depends on them is placed.
  FLayout->AfterApply = [this] {
    FollowResize();
    if (OnResize) OnResize();
  };
  SetLevelColour(lbl_HighEnergyLevel, false);
  SetLevelColour(lbl_ZeroEnergyLevel, false);
  SetLevelColour(lbl_LowEnergyLevel, false);
}

QToolButton* TEditorPanel::CopyButton(int n) const {
  switch (n) {
    case 1: return btn_Copy_1;
    case 2: return btn_Copy_2;
    case 3: return btn_Copy_3;
    default: return nullptr;
  }
}

QToolButton* TEditorPanel::RefreshButton(int n) const {
  switch (n) {
    case 1: return btn_Refresh_1;
    case 2: return btn_Refresh_2;
    case 3: return btn_Refresh_3;
    default: return nullptr;
  }
}

QCheckBox* TEditorPanel::LabelBox(int n) const {
  switch (n) {
    case 1: return box_Label1;
    case 2: return box_Label2;
    case 3: return box_Label3;
    case 4: return box_Label4;
    default: return nullptr;
  }
}

QString TEditorPanel::Notice() const { return lbl_Notice->isHidden() ? QString() : lbl_Notice->text(); }

void TEditorPanel::FollowResize() {
  // The zero label stays centred beside the track bar; the bevel spans the area less 6 pixels.
  const QRect track = trb_Energy->geometry();
  QRect zero = lbl_ZeroEnergyLevel->geometry();
  zero.moveTo(track.left() + 28, track.top() + (track.height() - zero.height()) / 2);
  FLayout->Place(lbl_ZeroEnergyLevel, zero);
  QRect border = bvl_Border->geometry();
  border.setWidth(width() - 6);
  FLayout->Place(bvl_Border, border);
  PlaceComment();
}

void TEditorPanel::FillEditors(TEditorKind kind, const TXMLNode& element, const TXMLNode* nameEntry) {
  const TShowing showing(*this);
  switch (kind) {
    case ekLibrary:
    case ekCatalog:
      edt_Name->setText(Shown(element.GetAttribute(attrName)));
      break;
    case ekJournal: {
      const TXMLNode& named = nameEntry ? *nameEntry : element;
      edt_Name->setText(Shown(named.GetAttribute(attrName)));
      break;
    }
    case ekDay:
      edt_Name->setText(Shown(element.GetAttribute(attrName)));
      mmo_Comment->setPlainText(FromCp(ChildText(element, tagComment)));
      break;
    case ekExperience:
      FillExperience(element);
      break;
  }
}

void TEditorPanel::FillExperience(const TXMLNode& experience) {
  edt_Number->setText(Shown(experience.GetAttribute(attrNumber)));
  edt_Name->setText(Shown(experience.GetAttribute(attrTitle)));
  // A description read back is one paragraph; one stored in this run keeps its CR LF breaks.
  mmo_Description->setPlainText(FromCp(ChildText(experience, tagDescription)).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
  // Set in one step: emptying first would store an empty comment before the real one.
  mmo_Comment->setPlainText(FromCp(ChildText(experience, tagComment)));

  // A picture that cannot be shown leaves the blank one and a notice; the rest is still filled,
  // so no value of the entry shown before stays on screen to be written into this one.
  QImage picture = BlankPicture();
  FPicture = QImage();
  if (const TXMLNode* image = DirectChild(experience, tagImage)) {
    const std::string path = image->GetAttribute(attrPath);
    if (path != litUndefined) {
      QImage own;
      const std::string resolved = ResolvePath ? ResolvePath(path) : path;
      if (LoadPicture(own, QString::fromStdString(NativePath(resolved))))
        picture = FPicture = own;
      else
        ShowNotice(Text(res::MsgPictureNotLoaded).arg(FromCp(path)));
    }
  }
  ShowPicture(picture);

  const bool hasProperties = DirectChild(experience, tagProperties) != nullptr;
  for (int n = 1; n <= kLabelCount; ++n) LabelBox(n)->setChecked(hasProperties && ReadLabelFlag(experience, n));

  const TEnergyLevel energy = ReadEnergyLevel(experience);
  const int middle = trb_Energy->maximum() / 2;
  const int low = (trb_Energy->maximum() - trb_Energy->pageStep()) / 2;
  const int high = (trb_Energy->maximum() + trb_Energy->pageStep()) / 2;
  switch (energy.State) {
    case TEnergyLevel::Valid:
      trb_Energy->setValue(energy.Level);
      if (low < trb_Energy->value() && trb_Energy->value() < high) SetLevelColour(lbl_ZeroEnergyLevel, true);
      break;
    case TEnergyLevel::Unset:  // an energy element without a level means the middle too
    case TEnergyLevel::Absent:
      trb_Energy->setValue(middle);
      SetLevelColour(lbl_ZeroEnergyLevel, true);
      break;
    case TEnergyLevel::Invalid: {
      // Shown as neutral without writing: the text stays in the file until the user sets a level.
      const QSignalBlocker quiet(trb_Energy);
      trb_Energy->setValue(middle);
      ColourLevels(middle);
      ShowNotice(Text(res::MsgEnergyNotInteger).arg(FromCp(energy.Text)));
      break;
    }
  }
}

QImage TEditorPanel::BlankPicture() {
  const QString path = FAppDir + QString::fromUtf8(litEmptyPicture.data(), static_cast<qsizetype>(litEmptyPicture.size()));
  QImage blank;
  if (!LoadPicture(blank, path)) ShowNotice(Text(res::MsgPictureNotLoaded).arg(path));
  return blank;
}

void TEditorPanel::ShowPicture(const QImage& picture) {
  if (picture.isNull()) {
    img_Image->clear();
    return;
  }
  const QSize box = img_Image->size();
  QPixmap pixmap = QPixmap::fromImage(picture);
  if (pixmap.width() > box.width() || pixmap.height() > box.height())
    pixmap = pixmap.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  img_Image->setPixmap(pixmap);
}

void TEditorPanel::ShowNotice(const QString& text) {
  if (FNotes.contains(text)) return;
  FNotes << text;
  ShowNotes();
}

void TEditorPanel::ShowStatus(const QString& text) {
  FStatus = text;
  ShowNotes();
}

void TEditorPanel::ShowNotes() {
  QStringList all = FNotes;
  if (!FStatus.isEmpty()) all << FStatus;
  lbl_Notice->setText(all.join(QLatin1Char(' ')));
  lbl_Notice->setToolTip(lbl_Notice->text());
  lbl_Notice->setVisible(!all.isEmpty());
}

void TEditorPanel::ArrangeEditors(TEditorKind kind) {
  FKind = kind;
  box_ConfirmDelete->setVisible(kind == ekLibrary);
  const QSize wa = size();
  auto setLeft = [&](QWidget* w, int left) { FLayout->Place(w, QRect(QPoint(left, w->y()), w->size())); };
  auto caption = [&](QLabel* l, const char* text) {
    l->setText(QString::fromUtf8(text));
    l->adjustSize();
    FLayout->Place(l, l->geometry());
  };
  auto show = [](std::initializer_list<QWidget*> ws, bool visible) {
    for (QWidget* w : ws) w->setVisible(visible);
  };
  const std::initializer_list<QWidget*> chartButtons = {btn_Copy_1, btn_Copy_2, btn_Copy_3,
                                                        btn_Refresh_1, btn_Refresh_2, btn_Refresh_3};
  const std::initializer_list<QWidget*> energy = {btn_ReadOnly, trb_Energy, lbl_Energy, lbl_HighEnergyLevel,
                                                  lbl_ZeroEnergyLevel, lbl_LowEnergyLevel};
  const std::initializer_list<QWidget*> picture = {lbl_Image, img_Image, btn_LoadImage, btn_ClearImage};
  const std::initializer_list<QWidget*> boxes = {box_Label1, box_Label2, box_Label3, box_Label4};
  QRect border = bvl_Border->geometry();

  if (kind == ekExperience) {
    img_Graphs->hide();
    lbl_Number->show();
    setLeft(lbl_Name, 60);
    caption(lbl_Name, res::CaptionName);
    edt_Number->show();
    FLayout->Place(edt_Name, QRect(59, edt_Name->y(), wa.width() - 61, edt_Name->height()));
    show({lbl_Description, mmo_Description}, true);
    lbl_Comment->show();
    FLayout->Place(lbl_Comment, QRect(QPoint(4, mmo_Description->y() + mmo_Description->height() + 6),
                                      lbl_Comment->size()));
    mmo_Comment->show();
    PlaceComment();
    show(picture, true);
    // Boxes are shown in order up to the first one without a caption.
    for (QWidget* w : boxes) {
      auto* box = static_cast<QCheckBox*>(w);
      if (box->text().isEmpty()) break;
      box->show();
    }
    border.moveTop(img_Graphs->height() - 39);
    FLayout->Place(bvl_Border, border, akLeft | akRight | akBottom);
    show(energy, true);
    show(chartButtons, false);
    return;
  }

  img_Graphs->setVisible(kind == ekJournal || kind == ekDay);
  lbl_Number->hide();
  setLeft(lbl_Name, 5);
  caption(lbl_Name, kind == ekDay ? res::CaptionDate : res::CaptionName);
  edt_Number->hide();
  FLayout->Place(edt_Name, QRect(4, edt_Name->y(), wa.width() - 6, edt_Name->height()));
  show({lbl_Description, mmo_Description}, false);
  border.moveTop(39);
  FLayout->Place(bvl_Border, border, akLeft | akTop | akRight);
  if (kind == ekDay) {
    lbl_Comment->show();
    mmo_Comment->show();
    PlaceComment();
  } else {
    show({lbl_Comment, mmo_Comment}, false);
  }
  show(picture, false);
  show(boxes, false);
  show(energy, false);
  show(chartButtons, false);
  // The read-only state of an experience does not carry over to the name of a catalog or the
  // comment of a day.
  edt_Name->setReadOnly(FDocumentReadOnly);
  mmo_Comment->setReadOnly(FDocumentReadOnly);
}

void TEditorPanel::PlaceComment() {
  const QSize wa = size();
  if (FKind == ekDay) {
    // The day's chart takes the upper half of the area below the bevel, the comment the lower.
    const QRect border = bvl_Border->geometry();
    const int r = (wa.height() - (border.top() + border.height())) / 2;
    FLayout->Place(lbl_Comment, QRect(QPoint(10, r + 35), lbl_Comment->size()));
    const int top = r + 40 + lbl_Comment->height();
    FLayout->Place(mmo_Comment, QRect(10, top, wa.width() - 20, wa.height() - 10 - top));
  } else if (FKind == ekExperience) {
    // As designed the comment ends 4 pixels left of the picture; it keeps doing so at every width,
    // so it never shrinks to nothing after the window was larger when the dream was selected.
    const int width = std::max(kMinCommentWidth, wa.width() - (kDesignWidth - 290));
    FLayout->Place(mmo_Comment, QRect(4, lbl_Comment->y() + lbl_Comment->height() + 3, width, 64));
  }
}

void TEditorPanel::SetEditorsWritable(bool writable) {
  edt_Number->setReadOnly(!writable);
  edt_Name->setReadOnly(!writable);
  mmo_Description->setReadOnly(!writable);
  mmo_Comment->setReadOnly(!writable);
  btn_LoadImage->setVisible(writable);
  btn_ClearImage->setVisible(writable);
  for (int n = 1; n <= kLabelCount; ++n) LabelBox(n)->setEnabled(writable);
  trb_Energy->setEnabled(writable);
  // In a document that is never written the box cannot unlock anything.
  btn_ReadOnly->setEnabled(!FDocumentReadOnly);
}

void TEditorPanel::LockEditors() {
  const TShowing showing(*this);
  SetEditorsWritable(false);
  btn_ReadOnly->setChecked(true);
}

void TEditorPanel::UnlockEditors() {
  const TShowing showing(*this);
  SetEditorsWritable(!FDocumentReadOnly);
  btn_ReadOnly->setChecked(false);
}

void TEditorPanel::SetLevelColour(QLabel* label, bool red) {
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, red ? QColor(255, 0, 0) : QColor(0, 0, 0));
  label->setPalette(palette);
}
