#pragma once
// The insights view: what the dreams of a scope (the library, a catalog, a journal) say over a
// range of dates. Over time (dreams, nights, each label, mean energy per period), recall, themes
// and this night in earlier years, each on a tab; the charts and tables exported to files. The
// window owns it and tells it the scope, the labels and every change to the journals; the themes
// are counted on a worker the first time the view shows (vlm_InsightsEngines.h).
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "vlm_InsightsChart.h"
#include "vlm_InsightsEngines.h"

class QComboBox;
class QDateEdit;
class QLabel;
class QListWidget;
class QSaveFile;
class QTabWidget;
class QToolButton;
class TRecallPanel;
class TThemesPanel;
class TUserInteraction;

struct TScopeJournal {
  const TXMLNode* Root = nullptr;  // loaded
  QString Caption;                 // the journal's name in the tree
};

class TInsightsView : public QWidget {
  Q_OBJECT
public:
  enum TRangePreset { rpLastMonth, rpLastYear, rpAll, rpOwn };

  TInsightsView(TUserInteraction& ui, QWidget* parent = nullptr);
  ~TInsightsView() override;

  // What the view is about: `caption` names the scope (the row selected in the tree).
  void SetScope(const QString& caption, const std::vector<TScopeJournal>& journals);
  const QString& ScopeCaption() const { return FScopeCaption; }
  void SetLabels(const TLabelNames& labels);
  // The user's words that are never themes, as the library keeps them (Windows-1251).
  void SetExclusions(const std::vector<std::string>& words);

  // The library core's signals about the journals' elements, passed on as they come.
  void EntryChanged(const TXMLNode* element);
  void ChildrenChanged(const TXMLNode* parent, const TXMLNode* child);
  // A journal's root goes (read again, restored): let go of it before it is freed.
  void JournalGoing(const TXMLNode* root);

  TDateRange Range() const;
  // The range becomes first..last (days, inclusive), as the user's own dates.
  void NarrowTo(int first, int last);
  // The period of the charts now (the one chosen by hand, or the one the width gives).
  TPeriod Period() const { return FShownPeriod; }
  const TSeries& Series() const { return FSeries; }
  TInsightsEngines& Engines() { return *FEngines; }
  // Today as a day number (injectable for tests).
  std::function<int()> Today;

  // Set by the window: a word clicked is searched for; the exclusions edited are kept; handlers
  // run inside the window's error boundary.
  std::function<void(const QString& word)> SearchWord;
  std::function<void(const std::vector<std::string>& words)> ExclusionsChosen;
  // A dream of this night in an earlier year activated (double click, Enter): shown in the tree.
  std::function<void(const TXMLNode* experience)> OpenDream;
  std::function<bool(const std::function<void()>& handler)> Run;

  QLabel* lbl_Scope = nullptr;
  QComboBox* cmb_Range = nullptr;
  QDateEdit* dte_From = nullptr;
  QDateEdit* dte_To = nullptr;
  QComboBox* cmb_Period = nullptr;  // 0: by the width, then week, month, quarter, year
  QToolButton* btn_Export = nullptr;
  QTabWidget* tab_Pages = nullptr;
  TOverTimeChart* cht_Counts = nullptr;
  TOverTimeChart* cht_Energy = nullptr;
  TRecallPanel* pnl_Recall = nullptr;
  TThemesPanel* pnl_Themes = nullptr;
  QDateEdit* dte_Night = nullptr;
  QListWidget* lst_OnThisNight = nullptr;

  // Exporting (vlm_InsightsView_Export.cpp): the chart on the current tab (PNG or SVG by the
  // file's filter), and the tables as CSV; the file is asked for through the seam.
  void ExportChart(bool svg);
  void ExportTable(int table);  // 0 periods, 1 recall, 2 themes, 3 rising, 4 words of the label

protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

private:
  void CreateControls();
  void CreateExportMenu();
  void Handle(const std::function<void()>& handler);
  // Everything the records answer at once, and the themes when they are asked for.
  void Refresh();
  void RefreshSeries();
  void RefreshOnThisNight();
  void AskWords();
  // After a change: once, on the next turn of the event loop.
  void ScheduleRefresh();
  void ApplyPreset();
  TPeriod PeriodForChart() const;
  void ShowPeriodChoice();
  // Lets `write` fill a file the user chooses, replacing it whole or not at all; false when
  // cancelled or not written (the user is told).
  bool WriteChosenFile(const QString& proposed, const QStringList& filters, QString& filter,
                       const std::function<bool(QSaveFile& file)>& write);

  TUserInteraction& FUi;
  TInsightsEngines* FEngines = nullptr;
  QString FScopeCaption;
  std::vector<TScopeJournal> FJournals;
  TLabelNames FLabels;
  std::vector<std::string> FExclusions;
  TSeries FSeries;
  TPeriod FShownPeriod = TPeriod::Month;
  bool FWordsWanted = false;  // the view has been shown: the themes are counted and kept up to date
  bool FRefreshPending = false;
  bool FSettingRange = false;  // the range's controls are being set, not edited
};
