#pragma once
// The search panel below the tree: a field searched as the user types, filters by label, energy,
// date and catalog or journal, and the list of dreams found. Journals of the library not loaded
// yet are loaded first: their files read on threads a few ahead, each taken whole into the tree on
// a turn of the event loop, with a progress bar and a button that stops the loading (the journals
// taken stay, the others are not searched until the search is cleared). It never changes a
// document; the window opens a result (vlm_MainForm_Search.cpp).
#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "vlm_Search.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QListView;
class QProgressBar;
class QTimer;
class QToolButton;
class TLibrary;
class TSearchResults;
class TWordSearch;
class TXMLNode;

class TSearchPanel : public QWidget {
  Q_OBJECT
public:
  TSearchPanel(TLibrary& core, QWidget* parent = nullptr);
  ~TSearchPanel() override;

  // Set by the window. A journal's path as it is opened; true when its file is there to be read.
  std::function<bool(const TXMLNode* entry)> JournalReadable;
  // Loads the journal of a library entry as selecting it would (its tree nodes included).
  std::function<void(TXMLNode* entry)> LoadEntry;
  // Starts reading an entry's journal on a thread of its own; true while that read is under way
  // (TLibrary::ReadJournalAhead). A search waits for such a read in the event loop: the window
  // keeps answering while a large journal is read, and several are read at once.
  std::function<void(const TXMLNode* entry)> ReadAhead;
  std::function<bool(const TXMLNode* entry)> ReadingAhead;
  // Selects the dream in the tree and shows it.
  std::function<void(TXMLNode* entry, const TXMLNode* holder, const TXMLNode* experience)> OpenDream;
  // After Escape in an empty field has hidden the panel.
  std::function<void()> Hidden;
  // The caption of label n (1..4).
  std::function<QString(int n)> LabelCaption;

  // Shows the panel and puts the focus into the search field.
  void Activate();
  // Empties the field and the results.
  void Clear();
  int ResultCount() const;
  bool Loading() const { return FNextToLoad < FToLoad.size(); }
  // Stops loading journals for the search: the list shows what the journals loaded hold, and
  // typing on searches only them, until the search is cleared.
  void StopLoading();
  // The query searched last (Windows-1251); empty while the search is clear.
  const std::string& Query() const { return FLastQuery; }
  // Opens the result in row `row`; false when there is none.
  bool OpenResult(int row);
  // The results in the list's order: each dream's journal entry, the element holding it (its
  // night) and the dream.
  struct TFound {
    TXMLNode* Entry;
    const TXMLNode* Holder;
    const TXMLNode* Experience;
  };
  std::vector<TFound> Found() const;

  QLineEdit* edt_Search = nullptr;
  QToolButton* btn_Filters = nullptr;
  QWidget* pnl_Filters = nullptr;
  QComboBox* cmb_Scope = nullptr;
  QComboBox* cmb_Labels[4] = {};
  // The energy as the editor shows it: from -1 (low) to +1 (high).
  QDoubleSpinBox* spn_EnergyMin = nullptr;
  QDoubleSpinBox* spn_EnergyMax = nullptr;
  QCheckBox* chk_DateFrom = nullptr;
  QCheckBox* chk_DateTo = nullptr;
  QDateEdit* dte_From = nullptr;
  QDateEdit* dte_To = nullptr;
  QProgressBar* prb_Loading = nullptr;
  QToolButton* btn_StopLoading = nullptr;
  QLabel* lbl_Count = nullptr;
  QListView* lst_Results = nullptr;

signals:
  // The result list was updated.
  void Searched();

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void CreateControls();
  void FillScope();
  TSearchFilter Filter() const;
  // Searches again for what the field and the filters say: loading missing journals first,
  // refining the last result when only more was typed.
  void Search();
  // Loads `missing` (after reading them ahead), then searches again.
  void StartLoading(std::vector<TXMLNode*> missing);
  void LoadNext();
  void ShowLoading(bool on);
  // Reads the journal of FToLoad[at] ahead, when there is one.
  void ReadAheadAt(std::size_t at);
  // The indexes of the documents changed are out of date; `structure`: nodes may be gone.
  void Invalidate(bool structure);

  TLibrary& FCore;
  TSearchResults* FModel = nullptr;
  QTimer* FLoadTimer = nullptr;
  std::vector<TXMLNode*> FToLoad;
  std::size_t FNextToLoad = 0;
  std::unordered_set<const TXMLNode*> FTried;  // entries loaded for this search whose journal did not come
  bool FStopped = false;  // the user stopped the loading: only the journals loaded are searched
  std::map<const TXMLNode*, std::shared_ptr<TJournalIndex>> FIndexes;  // by journal root
  std::string FLastQuery;
  std::unique_ptr<TWordSearch> FLastSearch;
  TSearchFilter FLastFilter;
  std::vector<const TJournalIndex*> FLastSources;
};
