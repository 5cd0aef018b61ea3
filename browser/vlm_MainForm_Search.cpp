// Searching from the window: the search panel below the tree, Ctrl+F, loading the journals a
// search needs as selecting them would, and showing a dream found.
#include <QCheckBox>
#include <QShortcut>
#include <QSplitter>

#include "vlm_LibraryModel.h"
#include "vlm_MainForm.h"
#include "vlm_Paths.h"
#include "vlm_SearchPanel.h"
#include "vlm_Types.h"
#include "vlm_Widgets.h"

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
    Run([&] { ShowSearchResult(entry, holder, experience); });
  };
  pnl_Search->LabelCaption = [this](int n) { return pnl_WorkArea->LabelCaption(n); };
  pnl_Search->Hidden = [this] { tre_Directory->setFocus(); };

  auto* find = new QShortcut(QKeySequence::Find, this);
  find->setContext(Qt::WindowShortcut);
  connect(find, &QShortcut::activated, this, [this] {
    Run([this] {
      const bool wasHidden = pnl_Search->isHidden();
      pnl_Search->Activate();
      if (wasHidden) spt_Left->setSizes({spt_Left->height() / 2, spt_Left->height() - spt_Left->height() / 2});
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
