// Searching from the window: the search panel below the tree, Ctrl+F, loading the journals a
// search needs as selecting them would, and showing a dream found.
#include <QCheckBox>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QSplitter>
#include <algorithm>

#include "vlm_EditorPanel.h"
#include "vlm_LibraryModel.h"
#include "vlm_MainForm.h"
#include "vlm_MatchHighlight.h"
#include "vlm_Paths.h"
#include "vlm_SearchPanel.h"
#include "vlm_Settings.h"
#include "vlm_Types.h"
#include "vlm_Widgets.h"

namespace {
// Wide enough for a result's two lines (night, journal, number and title; the text around the
// match) in the list's font.
int ReadableWidth(const QWidget& list) { return list.fontMetrics().averageCharWidth() * 52 + 24; }
}  // namespace

void Tfrm_MainForm::CreateSearchPanel() {
  // The tree shares the left side with the panel, which stays hidden until it is asked for.
  spt_Left = new QSplitter(Qt::Vertical, spt_Splitter);
  spt_Left->setChildrenCollapsible(false);
  spt_Splitter->insertWidget(0, spt_Left);
  spt_Left->addWidget(tre_Directory);
  pnl_Search = new TSearchPanel(*FCore, spt_Left);
  spt_Left->addWidget(pnl_Search);
  spt_Left->setStretchFactor(0, 1);
  pnl_Search->hide();

  pnl_Search->JournalReadable = [this](const TXMLNode* entry) {
    const std::string path = ResolvePath(entry->GetAttribute(attrPath));
    // A missing file would start an empty journal that counts as changed: a search changes nothing.
    return entry->GetAttribute(attrPath) != litUndefined && (FJournals->Find(path) || PathExists(path));
  };
  pnl_Search->ReadAhead = [this](const TXMLNode* entry) {
    FCore->ReadJournalAhead(ResolvePath(entry->GetAttribute(attrPath)));
  };
  pnl_Search->ReadingAhead = [this](const TXMLNode* entry) {
    return FCore->ReadingAhead(ResolvePath(entry->GetAttribute(attrPath)));
  };
  pnl_Search->LoadEntry = [this](TXMLNode* entry) {
    Run([this, entry] { LoadJournal(entry); });  // its rows show the journal, as a selection would
  };
  pnl_Search->OpenDream = [this](TXMLNode* entry, const TXMLNode* holder, const TXMLNode* experience) {
    Run([&] {
      ShowSearchResult(entry, holder, experience);
      if (NodeOf(tre_Directory->currentIndex()) == experience) FMatchHighlight->Show(pnl_Search->Query(), experience);
    });
  };
  pnl_Search->LabelCaption = [this](int n) { return pnl_WorkArea->LabelCaption(n); };
  pnl_Search->Hidden = [this] {
    NarrowAfterSearch();
    tre_Directory->setFocus();
  };

  // The matches stay marked in the dream opened from a result, following the query, until the
  // search is cleared or another entry is shown.
  FMatchHighlight = new TMatchHighlight(pnl_WorkArea->findChild<QLineEdit*>(QStringLiteral("edt_Name")),
                                        pnl_WorkArea->findChild<QPlainTextEdit*>(QStringLiteral("mmo_Description")),
                                        pnl_WorkArea->findChild<QPlainTextEdit*>(QStringLiteral("mmo_Comment")), this);
  connect(pnl_Search, &TSearchPanel::Searched, this, [this] {
    if (FMatchHighlight->Shown()) FMatchHighlight->Show(pnl_Search->Query(), FMatchHighlight->Shown());
  });
  connect(tre_Directory->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& current) {
    if (FMatchHighlight->Shown() && NodeOf(current) != FMatchHighlight->Shown()) FMatchHighlight->Clear();
  });
  // The user's width for the panel, kept while it shows.
  connect(spt_Splitter, &QSplitter::splitterMoved, this, [this] {
    if (pnl_Search->isVisible()) FSearchWidth = spt_Splitter->sizes().value(0);
  });

  auto* find = new QShortcut(QKeySequence::Find, this);
  find->setContext(Qt::WindowShortcut);
  connect(find, &QShortcut::activated, this, [this] {
    Run([this] {
      const bool wasHidden = pnl_Search->isHidden();
      pnl_Search->Activate();
      if (!wasHidden) return;
      spt_Left->setSizes({spt_Left->height() / 2, spt_Left->height() - spt_Left->height() / 2});
      WidenForSearch();
    });
  });
}

void Tfrm_MainForm::ShowSearchResult(TXMLNode* entry, const TXMLNode* holder, const TXMLNode* experience) {
  const QModelIndexList rows = FTreeModel->RowsOf(entry);
  const QModelIndex journal = rows.isEmpty() ? FTreeModel->Find(FTreeModel->index(0, 0), entry) : rows.first();
  if (!journal.isValid()) return;
  const QModelIndex day = holder ? FTreeModel->Find(journal, holder) : QModelIndex();
  const QModelIndex dream = FTreeModel->Find(day.isValid() ? day : journal, experience);
  if (!dream.isValid()) return;
  tre_Directory->ExpandAncestors(dream);
  tre_Directory->setCurrentIndex(dream);
  tre_Directory->scrollTo(dream);
}

void Tfrm_MainForm::WidenForSearch() {
  if (FSearchWidth <= 0) {
    const std::optional<int> kept = ReadLibrarySettings(*FLibrary->Root).Form.SearchWidth;
    FSearchWidth = kept && *kept > 0 ? *kept : ReadableWidth(*pnl_Search->lst_Results);
  }
  const QList<int> sizes = spt_Splitter->sizes();
  if (sizes.size() < 2) return;
  FTreeOwnWidth = sizes[0];
  // Never narrower than the tree was, and the work area keeps its least width.
  const int total = sizes[0] + sizes[1];
  const int left = std::clamp(FSearchWidth, std::min(sizes[0], total - kMinPaneWidth), std::max(sizes[0], total - kMinPaneWidth));
  spt_Splitter->setSizes({left, total - left});
}

void Tfrm_MainForm::NarrowAfterSearch() {
  const QList<int> sizes = spt_Splitter->sizes();
  if (FTreeOwnWidth <= 0 || sizes.size() < 2) return;
  spt_Splitter->setSizes({FTreeOwnWidth, sizes[0] + sizes[1] - FTreeOwnWidth});
  FTreeOwnWidth = 0;
}

int Tfrm_MainForm::TreeWidth() const {
  return pnl_Search && pnl_Search->isVisible() && FTreeOwnWidth > 0 ? FTreeOwnWidth : tre_Directory->width();
}
