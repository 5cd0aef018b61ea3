#include "vlm_SearchPanel.h"

#include <QAbstractListModel>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QSignalBlocker>
#include <QProgressBar>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <unordered_map>

#include "vlm_DateField.h"
#include "vlm_Library.h"
#include "vlm_Resources.h"
#include "vlm_Strings.h"
#include "vlm_Types.h"
#include "vlm_WordSearch.h"
#include "xml_node.h"

namespace {
constexpr int kSnippetRadius = 40;
// Journals read on threads ahead of the one taken into the tree: enough to keep the reading going,
// few enough that the documents waiting to be taken stay few.
constexpr std::size_t kReadAheadWindow = 8;
// Journals taken into the tree on one turn of the event loop, for at most this long.
constexpr qint64 kLoadTurnMs = 15;
// A level as the file keeps it (0 high to 200 low) for an energy as the editor shows it (+1 to -1).
int LevelOfEnergy(double energy) { return kEnergyMiddle - qRound(energy * kEnergyMiddle); }
constexpr int kMatchRole = Qt::UserRole;  // the snippet's match as QPoint(begin, length)
constexpr int kSnippetRole = Qt::UserRole + 1;

std::string_view AttributeOf(const TXMLNode& node, std::string_view name) {
  for (const auto& a : node.Attributes)
    if (a.Name == name) return a.Value.view();
  return {};
}

bool IsUndoKey(const QKeyEvent* key) {
  return key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo) ||
         key->keyCombination() == QKeyCombination(Qt::ControlModifier, Qt::Key_Y) ||
         key->keyCombination() == QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_Z);
}
}  // namespace

// The dreams found: a row each, its text made only when the view shows it.
class TSearchResults : public QAbstractListModel {
public:
  using QAbstractListModel::QAbstractListModel;
  struct TSource {
    TXMLNode* Entry;
    const TJournalIndex* Index;
    // Kept while the results show: an edit makes the panel drop its indexes, not the list's.
    std::shared_ptr<const TJournalIndex> Keep;
  };
  void Set(std::vector<TSource> sources, std::vector<TSearchHit> hits) {
    beginResetModel();
    Sources = std::move(sources);
    Hits = std::move(hits);
    endResetModel();
  }
  int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : static_cast<int>(Hits.size()); }
  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid() || index.row() >= static_cast<int>(Hits.size())) return {};
    const TSearchHit& hit = Hits[static_cast<std::size_t>(index.row())];
    const TSource& source = Sources[hit.Source];
    const TJournalIndex::TDream& dream = source.Index->Dreams()[hit.Dream];
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
      std::string head;
      if (dream.Day && dream.Day->Name == tagDay) head.append(AttributeOf(*dream.Day, attrName)).append("  ");
      head.append(AttributeOf(*source.Entry, attrName)).append("  ");
      head.append(AttributeOf(*dream.Experience, attrNumber)).append(litNumberSeparator);
      head.append(AttributeOf(*dream.Experience, attrTitle));
      if (role == Qt::DisplayRole) return FromCp(head);
      return FromCp(head) + QLatin1Char('\n') + FromCp(MakeSnippet(*source.Index, hit, kSnippetRadius).Text);
    }
    if (role == kSnippetRole || role == kMatchRole) {
      const TSnippet s = MakeSnippet(*source.Index, hit, kSnippetRadius);
      if (role == kSnippetRole) return FromCp(s.Text);
      // Positions in characters: one byte is one character in Windows-1251.
      return QPoint(static_cast<int>(s.MatchBegin), static_cast<int>(s.MatchLength));
    }
    return {};
  }

  std::vector<TSource> Sources;
  std::vector<TSearchHit> Hits;
};

namespace {
// Two lines a row: the night, journal, number and title; then the snippet, its match in bold.
class TResultDelegate : public QStyledItemDelegate {
public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override {
    return {option.rect.width(), option.fontMetrics.height() * 2 + 4};
  }
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    opt.text.clear();
    QStyle* style = opt.widget ? opt.widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);
    const bool selected = opt.state & QStyle::State_Selected;
    painter->save();
    painter->setPen(opt.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    const int h = opt.fontMetrics.height();
    QRect line = opt.rect.adjusted(3, 2, -3, 0);
    line.setHeight(h);
    painter->drawText(line, Qt::AlignLeft | Qt::AlignVCenter, opt.fontMetrics.elidedText(index.data().toString(), Qt::ElideRight, line.width()));
    line.translate(0, h);
    const QString snippet = index.data(kSnippetRole).toString();
    const QPoint match = index.data(kMatchRole).toPoint();
    QFont bold = opt.font;
    bold.setBold(true);
    int x = line.left();
    const QString parts[3] = {snippet.left(match.x()), snippet.mid(match.x(), match.y()), snippet.mid(match.x() + match.y())};
    for (int k = 0; k < 3 && x < line.right(); ++k) {
      painter->setFont(k == 1 ? bold : opt.font);
      const QFontMetrics fm(painter->font());
      const QString part = fm.elidedText(parts[k], Qt::ElideRight, line.right() - x);
      painter->drawText(QRect(x, line.top(), line.right() - x, h), Qt::AlignLeft | Qt::AlignVCenter, part);
      x += fm.horizontalAdvance(part);
    }
    painter->restore();
  }
};
}  // namespace

TSearchPanel::TSearchPanel(TLibrary& core, QWidget* parent) : QWidget(parent), FCore(core) {
  CreateControls();
  FLoadTimer = new QTimer(this);
  FLoadTimer->setInterval(0);
  connect(FLoadTimer, &QTimer::timeout, this, [this] { LoadNext(); });
  connect(&FCore, &TLibrary::JournalReadAhead, this, [this] {
    if (Loading() && !FLoadTimer->isActive()) FLoadTimer->start();
  });
  connect(&FCore, &TLibrary::EntryChanged, this, [this] { Invalidate(false); });
  connect(&FCore, &TLibrary::ChildrenChanged, this, [this] { Invalidate(true); });
  connect(&FCore, &TLibrary::LibraryReplacing, this, [this] {
    // The entries waiting to be loaded go with the library's old tree.
    FToLoad.clear();
    FNextToLoad = 0;
    FTried.clear();
    FLoadTimer->stop();
    ShowLoading(false);
  });
}

TSearchPanel::~TSearchPanel() = default;

void TSearchPanel::CreateControls() {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->setSpacing(2);
  auto* row = new QHBoxLayout;
  edt_Search = new QLineEdit(this);
  edt_Search->setPlaceholderText(Text(res::SearchPlaceholder));
  edt_Search->setClearButtonEnabled(true);
  edt_Search->installEventFilter(this);
  btn_Filters = new QToolButton(this);
  btn_Filters->setText(QStringLiteral("…"));
  btn_Filters->setToolTip(Text(res::HintSearchFilters));
  btn_Filters->setCheckable(true);
  row->addWidget(edt_Search, 1);
  row->addWidget(btn_Filters);
  layout->addLayout(row);

  pnl_Filters = new QWidget(this);
  auto* grid = new QGridLayout(pnl_Filters);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setSpacing(2);
  cmb_Scope = new QComboBox(pnl_Filters);
  grid->addWidget(cmb_Scope, 0, 0, 1, 4);
  for (int n = 0; n < 4; ++n) {
    cmb_Labels[n] = new QComboBox(pnl_Filters);
    grid->addWidget(cmb_Labels[n], 1 + n / 2, (n % 2) * 2, 1, 2);
    connect(cmb_Labels[n], &QComboBox::currentIndexChanged, this, [this] { Search(); });
  }
  // The energy as the editor's scale shows it, low to high: -1 ... +1.
  grid->addWidget(new QLabel(Text(res::SearchEnergy), pnl_Filters), 3, 0);
  spn_EnergyMin = new QDoubleSpinBox(pnl_Filters);
  spn_EnergyMax = new QDoubleSpinBox(pnl_Filters);
  for (QDoubleSpinBox* spin : {spn_EnergyMin, spn_EnergyMax}) {
    spin->setRange(-1.0, 1.0);
    spin->setDecimals(2);
    spin->setSingleStep(0.05);
    spin->setValue(spin == spn_EnergyMax ? 1.0 : -1.0);
    connect(spin, &QDoubleSpinBox::valueChanged, this, [this] { Search(); });
  }
  grid->addWidget(spn_EnergyMin, 3, 1);
  grid->addWidget(new QLabel(Text(res::SearchEnergyTo), pnl_Filters), 3, 2, Qt::AlignCenter);
  grid->addWidget(spn_EnergyMax, 3, 3);
  chk_DateFrom = new QCheckBox(Text(res::SearchDateFrom), pnl_Filters);
  chk_DateTo = new QCheckBox(Text(res::SearchDateTo), pnl_Filters);
  dte_From = new TDateField(QDate::currentDate(), pnl_Filters);  // takes a typed date
  dte_To = new TDateField(QDate::currentDate(), pnl_Filters);
  grid->addWidget(chk_DateFrom, 4, 0);
  grid->addWidget(dte_From, 4, 1, 1, 3);
  grid->addWidget(chk_DateTo, 5, 0);
  grid->addWidget(dte_To, 5, 1, 1, 3);
  for (QDateEdit* date : {dte_From, dte_To}) {
    date->setCalendarPopup(true);
    date->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    connect(date, &QDateEdit::dateChanged, this, [this] { Search(); });
  }
  for (QCheckBox* box : {chk_DateFrom, chk_DateTo}) connect(box, &QCheckBox::toggled, this, [this] { Search(); });
  connect(cmb_Scope, &QComboBox::currentIndexChanged, this, [this] { Search(); });
  pnl_Filters->hide();
  connect(btn_Filters, &QToolButton::toggled, pnl_Filters, &QWidget::setVisible);
  layout->addWidget(pnl_Filters);

  auto* loading = new QHBoxLayout;
  prb_Loading = new QProgressBar(this);
  prb_Loading->setTextVisible(true);
  btn_StopLoading = new QToolButton(this);
  btn_StopLoading->setText(QStringLiteral("✕"));
  btn_StopLoading->setToolTip(Text(res::SearchStopLoading));
  connect(btn_StopLoading, &QToolButton::clicked, this, [this] { StopLoading(); });
  loading->addWidget(prb_Loading, 1);
  loading->addWidget(btn_StopLoading);
  layout->addLayout(loading);
  ShowLoading(false);
  lbl_Count = new QLabel(this);
  layout->addWidget(lbl_Count);

  lst_Results = new QListView(this);
  FModel = new TSearchResults(this);
  lst_Results->setModel(FModel);
  lst_Results->setItemDelegate(new TResultDelegate(lst_Results));
  lst_Results->setUniformItemSizes(true);  // tens of thousands of rows, laid out without measuring each
  lst_Results->setEditTriggers(QAbstractItemView::NoEditTriggers);
  lst_Results->installEventFilter(this);
  connect(lst_Results, &QListView::doubleClicked, this, [this](const QModelIndex& index) { OpenResult(index.row()); });
  layout->addWidget(lst_Results, 1);

  connect(edt_Search, &QLineEdit::textChanged, this, [this] { Search(); });
  setMinimumWidth(0);
}

void TSearchPanel::FillScope() {
  // Catalogs and journal entries of the library, indented by depth (explicit stack: the file
  // decides the depth). The choice is kept when its element is still there.
  const quintptr chosen = cmb_Scope->currentData().value<quintptr>();
  QSignalBlocker quiet(cmb_Scope);
  cmb_Scope->clear();
  cmb_Scope->addItem(Text(res::SearchWholeLibrary), QVariant::fromValue(quintptr{0}));
  struct TFrame {
    const TXMLNode* Node;
    std::size_t Next;
  };
  std::vector<TFrame> stack{{&FCore.Root(), 0}};
  while (!stack.empty()) {
    TFrame& frame = stack.back();
    if (frame.Next >= frame.Node->Children.size()) {
      stack.pop_back();
      continue;
    }
    const TXMLNode* child = frame.Node->Children[frame.Next++].get();
    if (child->Name != tagDirectory && child->Name != tagFile) continue;
    const int indent = static_cast<int>(std::min<std::size_t>(stack.size(), 12));
    cmb_Scope->addItem(QString(indent * 2, QLatin1Char(' ')) + FromCp(AttributeOf(*child, attrName)),
                       QVariant::fromValue(reinterpret_cast<quintptr>(child)));
    if (reinterpret_cast<quintptr>(child) == chosen) cmb_Scope->setCurrentIndex(cmb_Scope->count() - 1);
    if (child->Name == tagDirectory) stack.push_back({child, 0});
  }
  for (int n = 0; n < 4; ++n) {
    QSignalBlocker quietLabel(cmb_Labels[n]);
    const int at = std::max(0, cmb_Labels[n]->currentIndex());
    const QString caption = LabelCaption ? LabelCaption(n + 1) : Text(res::SearchLabelDefault).arg(n + 1);
    cmb_Labels[n]->clear();
    for (const char* pattern : {res::SearchLabelEither, res::SearchLabelYes, res::SearchLabelNo})
      cmb_Labels[n]->addItem(Text(pattern).arg(caption));
    cmb_Labels[n]->setCurrentIndex(at);
  }
}

void TSearchPanel::Activate() {
  FillScope();
  show();
  edt_Search->setFocus(Qt::ShortcutFocusReason);
  edt_Search->selectAll();
}

void TSearchPanel::Clear() {
  edt_Search->clear();  // searches again: an empty query with no filter finds nothing
}

int TSearchPanel::ResultCount() const { return FModel->rowCount({}); }

TSearchFilter TSearchPanel::Filter() const {
  TSearchFilter filter;
  for (int n = 0; n < 4; ++n) filter.Labels[n] = static_cast<TLabelFilter>(std::max(0, cmb_Labels[n]->currentIndex()));
  // The file's levels run the other way: +1 is 0, -1 is 200.
  filter.EnergyMin = LevelOfEnergy(spn_EnergyMax->value());
  filter.EnergyMax = LevelOfEnergy(spn_EnergyMin->value());
  auto day = [](const QDate& d) { return DayNumber(d.year(), d.month(), d.day()); };
  if (chk_DateFrom->isChecked()) filter.DateFrom = day(dte_From->date());
  if (chk_DateTo->isChecked()) filter.DateTo = day(dte_To->date());
  return filter;
}

void TSearchPanel::Search() {
  std::string query;
  const bool encodable = ToCp(edt_Search->text(), query);  // a character Windows-1251 lacks is in no dream
  auto search = std::make_unique<TWordSearch>(query);
  const TSearchFilter filter = Filter();
  if (!encodable || (search->Empty() && !filter.Active())) {
    FToLoad.clear();
    FNextToLoad = 0;
    FLoadTimer->stop();
    ShowLoading(false);
    FStopped = false;  // a cleared search loads what it needs again
    FLastQuery.clear();
    FLastSearch.reset();
    FModel->Set({}, {});
    lbl_Count->clear();
    emit Searched();
    return;
  }
  // The journal entries in scope, in the library's order; each journal searched once. Looked up
  // in sets: a library may hold thousands of journals.
  const auto* scope = reinterpret_cast<const TXMLNode*>(cmb_Scope->currentData().value<quintptr>());
  std::unordered_map<const TXMLNode*, TXMLNode*> paired;
  for (const TXMLPair& pair : FCore.Pairs().Pairs) paired[pair.First] = pair.Second;  // the last pair counts
  std::vector<TSearchResults::TSource> sources;
  std::vector<TXMLNode*> missing;
  std::size_t entries = 0, loaded = 0;
  struct TFrame {
    TXMLNode* Node;
    std::size_t Next;
    bool InScope;
  };
  std::vector<TFrame> stack{{&FCore.Root(), 0, scope == nullptr}};
  std::unordered_set<const TXMLNode*> roots;
  while (!stack.empty()) {
    TFrame& frame = stack.back();
    if (frame.Next >= frame.Node->Children.size()) {
      stack.pop_back();
      continue;
    }
    TXMLNode* child = frame.Node->Children[frame.Next++].get();
    const bool inScope = frame.InScope || child == scope;
    if (child->Name == tagDirectory) stack.push_back({child, 0, inScope});
    if (child->Name != tagFile || !inScope) continue;
    ++entries;
    const auto found = paired.find(child);
    TXMLNode* root = found == paired.end() ? nullptr : found->second;
    if (!root) {
      if (!FStopped && !FTried.count(child) && JournalReadable && JournalReadable(child)) missing.push_back(child);
      continue;
    }
    ++loaded;
    if (!roots.insert(root).second) continue;
    auto& index = FIndexes[root];
    if (!index) index = std::make_shared<TJournalIndex>(*root);
    sources.push_back({child, index.get(), index});
  }
  if (!missing.empty()) return StartLoading(std::move(missing));
  std::vector<const TJournalIndex*> indexes;
  for (const auto& s : sources) indexes.push_back(s.Index);
  std::vector<TSearchHit> hits = indexes == FLastSources && filter == FLastFilter && FLastSearch && FLastSearch->Narrows(*search)
                                     ? search->Refine(indexes, FModel->Hits)
                                     : search->Search(indexes, filter);
  FLastQuery = query;
  FLastSearch = std::move(search);
  FLastFilter = filter;
  FLastSources = indexes;
  lbl_Count->setText(FStopped && loaded < entries ? Text(res::SearchFoundPart).arg(hits.size()).arg(loaded).arg(entries)
                                                  : Text(res::SearchFound).arg(hits.size()));
  FModel->Set(std::move(sources), std::move(hits));
  if (FModel->rowCount({}) > 0) lst_Results->setCurrentIndex(FModel->index(0));
  emit Searched();
}

void TSearchPanel::StartLoading(std::vector<TXMLNode*> missing) {
  const bool started = !Loading();
  FToLoad = std::move(missing);
  FNextToLoad = 0;
  for (std::size_t at = 0; at < kReadAheadWindow; ++at) ReadAheadAt(at);
  prb_Loading->setRange(0, static_cast<int>(FToLoad.size()));
  prb_Loading->setValue(0);
  prb_Loading->setFormat(Text(res::SearchLoading).arg(0).arg(FToLoad.size()));
  ShowLoading(true);
  if (started) FLoadTimer->start();
}

void TSearchPanel::ReadAheadAt(std::size_t at) {
  if (ReadAhead && at < FToLoad.size()) ReadAhead(FToLoad[at]);
}

void TSearchPanel::LoadNext() {
  // Journals read whole are taken into the tree one after another for a short while, so that the
  // window keeps answering; one still being read is waited for (the core's JournalReadAhead).
  QElapsedTimer turn;
  turn.start();
  while (Loading() && turn.elapsed() < kLoadTurnMs) {
    TXMLNode* entry = FToLoad[FNextToLoad];
    if (ReadingAhead && ReadingAhead(entry)) {
      FLoadTimer->stop();
      return;
    }
    ++FNextToLoad;
    FTried.insert(entry);  // a journal that does not come is not asked for again in this search
    ReadAheadAt(FNextToLoad + kReadAheadWindow - 1);
    if (LoadEntry) LoadEntry(entry);
  }
  prb_Loading->setValue(static_cast<int>(FNextToLoad));
  prb_Loading->setFormat(Text(res::SearchLoading).arg(FNextToLoad).arg(FToLoad.size()));
  if (Loading()) return;
  FLoadTimer->stop();
  FToLoad.clear();
  FNextToLoad = 0;
  ShowLoading(false);
  Search();
  FTried.clear();
}

void TSearchPanel::StopLoading() {
  if (!Loading()) return;
  // Each journal is taken whole or not at all; those read ahead and not taken wait in the core,
  // never written, until something opens them.
  FLoadTimer->stop();
  FToLoad.clear();
  FNextToLoad = 0;
  ShowLoading(false);
  FStopped = true;
  Search();
  FTried.clear();
}

void TSearchPanel::ShowLoading(bool on) {
  prb_Loading->setVisible(on);
  btn_StopLoading->setVisible(on);
}

void TSearchPanel::Invalidate(bool structure) {
  // The indexes point into the documents: they are made again at the next search. While the
  // nodes stay (an edited text), the results shown stay too; a node added or removed empties them.
  FIndexes.clear();
  FLastSources.clear();
  if (!structure) return;
  FModel->Set({}, {});
  FillScope();
  if (isVisible()) QTimer::singleShot(0, this, [this] { Search(); });
}

bool TSearchPanel::OpenResult(int row) {
  if (row < 0 || row >= ResultCount() || !OpenDream) return false;
  const TSearchHit& hit = FModel->Hits[static_cast<std::size_t>(row)];
  const auto& source = FModel->Sources[hit.Source];
  const auto& dream = source.Index->Dreams()[hit.Dream];
  OpenDream(source.Entry, dream.Day, dream.Experience);
  return true;
}

std::vector<TSearchPanel::TFound> TSearchPanel::Found() const {
  std::vector<TFound> found;
  for (const TSearchHit& hit : FModel->Hits) {
    const auto& source = FModel->Sources[hit.Source];
    const auto& dream = source.Index->Dreams()[hit.Dream];
    found.push_back({source.Entry, dream.Day, dream.Experience});
  }
  return found;
}

bool TSearchPanel::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::ShortcutOverride && watched == edt_Search && IsUndoKey(static_cast<QKeyEvent*>(event))) {
    event->ignore();  // the window's undo, wherever the focus is
    return true;
  }
  if (event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
  const int key = static_cast<QKeyEvent*>(event)->key();
  if (key == Qt::Key_Escape) {
    if (edt_Search->text().isEmpty()) {
      hide();
      if (Hidden) Hidden();
    } else {
      Clear();
      edt_Search->setFocus();
    }
    return true;
  }
  const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
  if (watched == edt_Search && enter) {
    OpenResult(0);
    return true;
  }
  if (watched == edt_Search && key == Qt::Key_Down && ResultCount() > 0) {
    lst_Results->setFocus();
    lst_Results->setCurrentIndex(FModel->index(0));
    return true;
  }
  if (watched == lst_Results && enter) {
    OpenResult(lst_Results->currentIndex().row());
    return true;
  }
  return QWidget::eventFilter(watched, event);
}
