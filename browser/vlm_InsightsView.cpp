#include "vlm_InsightsView.h"

#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "vlm_InsightsAxis.h"
#include "vlm_InsightsRecall.h"
#include "vlm_InsightsResources.h"
#include "vlm_InsightsThemes.h"
#include "vlm_Strings.h"
#include "vlm_Types.h"
#include "xml_node.h"

TInsightsView::TInsightsView(TUserInteraction& ui, QWidget* parent) : QWidget(parent), FUi(ui) {
  setWindowTitle(Text(res::TitleInsights));
  FEngines = new TInsightsEngines(this);
  Today = [] { return DayOfDate(QDate::currentDate()); };
  CreateControls();
  CreateExportMenu();
  connect(FEngines, &TInsightsEngines::CountingChanged, this, [this](bool counting) {
    if (counting) pnl_Themes->SetCounting();
  });
  connect(FEngines, &TInsightsEngines::WordsReady, this, [this](const TWordsAnswer& answer) { pnl_Themes->Show(answer); });
}

TInsightsView::~TInsightsView() = default;

void TInsightsView::CreateControls() {
  auto* layout = new QVBoxLayout(this);
  lbl_Scope = new QLabel(this);
  QFont bold = lbl_Scope->font();
  bold.setBold(true);
  lbl_Scope->setFont(bold);
  layout->addWidget(lbl_Scope);

  auto* bar = new QHBoxLayout;
  layout->addLayout(bar);
  bar->addWidget(new QLabel(Text(res::InsightsRange), this));
  cmb_Range = new QComboBox(this);
  cmb_Range->addItems({Text(res::InsightsLastMonth), Text(res::InsightsLastYear), Text(res::InsightsAllTime), Text(res::InsightsOwnDates)});
  cmb_Range->setCurrentIndex(rpAll);
  bar->addWidget(cmb_Range);
  bar->addWidget(new QLabel(Text(res::InsightsFrom), this));
  dte_From = new QDateEdit(this);
  bar->addWidget(dte_From);
  bar->addWidget(new QLabel(Text(res::InsightsTo), this));
  dte_To = new QDateEdit(this);
  bar->addWidget(dte_To);
  for (QDateEdit* edit : {dte_From, dte_To}) {
    edit->setDisplayFormat(Text(res::InsightsDateFormat));
    edit->setCalendarPopup(true);
    edit->setDateRange(QDate(1, 1, 1), QDate(9999, 12, 31));
  }
  bar->addSpacing(12);
  bar->addWidget(new QLabel(Text(res::InsightsPeriod), this));
  cmb_Period = new QComboBox(this);
  cmb_Period->addItem(QString());
  for (const TPeriod period : kPeriods) cmb_Period->addItem(PeriodsText(period));
  bar->addWidget(cmb_Period);
  bar->addStretch(1);
  btn_Export = new QToolButton(this);
  btn_Export->setText(Text(res::InsightsExport));
  btn_Export->setPopupMode(QToolButton::InstantPopup);
  bar->addWidget(btn_Export);

  tab_Pages = new QTabWidget(this);
  layout->addWidget(tab_Pages, 1);
  auto* overTime = new QWidget(tab_Pages);
  auto* charts = new QVBoxLayout(overTime);
  cht_Counts = new TOverTimeChart(TOverTimeChart::Counts, overTime);
  cht_Energy = new TOverTimeChart(TOverTimeChart::Energy, overTime);
  charts->addWidget(cht_Counts, 3);
  charts->addWidget(cht_Energy, 2);
  tab_Pages->addTab(overTime, Text(res::TabOverTime));
  pnl_Recall = new TRecallPanel(tab_Pages);
  tab_Pages->addTab(pnl_Recall, Text(res::TabRecall));
  pnl_Themes = new TThemesPanel(tab_Pages);
  tab_Pages->addTab(pnl_Themes, Text(res::TabThemes));
  auto* night = new QWidget(tab_Pages);
  auto* nightLayout = new QVBoxLayout(night);
  auto* nightBar = new QHBoxLayout;
  nightLayout->addLayout(nightBar);
  nightBar->addWidget(new QLabel(Text(res::OnThisNightDate), night));
  dte_Night = new QDateEdit(QDate::currentDate(), night);
  dte_Night->setDisplayFormat(Text(res::InsightsDateFormat));
  dte_Night->setCalendarPopup(true);
  nightBar->addWidget(dte_Night);
  nightBar->addStretch(1);
  lst_OnThisNight = new QListWidget(night);
  nightLayout->addWidget(lst_OnThisNight, 1);
  tab_Pages->addTab(night, Text(res::TabOnThisNight));

  connect(cmb_Range, &QComboBox::activated, this, [this] { Handle([this] { ApplyPreset(); Refresh(); }); });
  for (QDateEdit* edit : {dte_From, dte_To})
    connect(edit, &QDateEdit::dateChanged, this, [this] {
      if (FSettingRange) return;
      Handle([this] {
        FSettingRange = true;
        cmb_Range->setCurrentIndex(rpOwn);
        FSettingRange = false;
        Refresh();
      });
    });
  connect(cmb_Period, &QComboBox::activated, this, [this] { Handle([this] { RefreshSeries(); }); });
  connect(dte_Night, &QDateEdit::dateChanged, this, [this] { Handle([this] { RefreshOnThisNight(); }); });
  connect(lst_OnThisNight, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
    const auto* experience = reinterpret_cast<const TXMLNode*>(item->data(Qt::UserRole).value<quintptr>());
    if (experience && OpenDream) Handle([&] { OpenDream(experience); });
  });
  for (TOverTimeChart* chart : {cht_Counts, cht_Energy})
    connect(chart, &TOverTimeChart::PeriodClicked, this, [this](int start, int next) { Handle([=, this] { NarrowTo(start, next - 1); }); });
  connect(pnl_Themes, &TThemesPanel::WordClicked, this, [this](const QString& word) {
    if (SearchWord) Handle([&] { SearchWord(word); });
  });
  connect(pnl_Themes, &TThemesPanel::LabelChosen, this, [this] { Handle([this] { AskWords(); }); });
  connect(pnl_Themes, &TThemesPanel::ExclusionsEdited, this, [this](const std::vector<std::string>& words) {
    if (ExclusionsChosen) Handle([&] { ExclusionsChosen(words); });
  });
  ShowPeriodChoice();
}

void TInsightsView::Handle(const std::function<void()>& handler) {
  if (Run) Run(handler);
  else handler();
}

void TInsightsView::SetScope(const QString& caption, const std::vector<TScopeJournal>& journals) {
  FScopeCaption = caption;
  FJournals = journals;
  std::vector<const TXMLNode*> roots;
  for (const TScopeJournal& journal : journals) roots.push_back(journal.Root);
  FEngines->SetScope(roots);
  lbl_Scope->setText(Text(res::InsightsScopeJournals).arg(caption).arg(journals.size()));
  ApplyPreset();
  Refresh();
}

void TInsightsView::SetLabels(const TLabelNames& labels) {
  FLabels = labels;
  QStringList captions;
  for (const QString& caption : labels.Captions) captions << caption;
  pnl_Themes->SetLabelCaptions(captions);
  RefreshSeries();
}

void TInsightsView::SetExclusions(const std::vector<std::string>& words) {
  if (words == FExclusions) return;
  FExclusions = words;
  pnl_Themes->SetExclusions(words);
  FEngines->SetExclusions(words);
  if (FWordsWanted) AskWords();
}

void TInsightsView::EntryChanged(const TXMLNode* element) {
  FEngines->EntryChanged(element);
  ScheduleRefresh();
}

void TInsightsView::ChildrenChanged(const TXMLNode* parent, const TXMLNode* child) {
  FEngines->ChildrenChanged(parent, child);
  ScheduleRefresh();
}

void TInsightsView::JournalGoing(const TXMLNode* root) {
  FEngines->JournalClosed(root);
  std::erase_if(FJournals, [root](const TScopeJournal& journal) { return journal.Root == root; });
  ScheduleRefresh();
}

void TInsightsView::ScheduleRefresh() {
  if (FRefreshPending || !isVisible()) return;
  FRefreshPending = true;
  QTimer::singleShot(0, this, [this] {
    FRefreshPending = false;
    Handle([this] { Refresh(); });
  });
}

TDateRange TInsightsView::Range() const {
  if (cmb_Range->currentIndex() == rpAll) return {};
  return {DayOfDate(dte_From->date()), DayOfDate(dte_To->date())};
}

void TInsightsView::NarrowTo(int first, int last) {
  FSettingRange = true;
  cmb_Range->setCurrentIndex(rpOwn);
  dte_From->setDate(DateOfDay(first));
  dte_To->setDate(DateOfDay(last));
  FSettingRange = false;
  Refresh();
}

void TInsightsView::ApplyPreset() {
  const QDate today = DateOfDay(Today());
  QDate from, to = today;
  switch (cmb_Range->currentIndex()) {
    case rpLastMonth: from = today.addMonths(-1).addDays(1); break;
    case rpLastYear: from = today.addYears(-1).addDays(1); break;
    case rpAll:
      if (const auto span = FEngines->Records().DateSpan(FEngines->Scope())) {
        from = DateOfDay(span->first);
        to = DateOfDay(span->second);
      } else {
        from = today;
      }
      break;
    default: return;  // the user's own dates stay
  }
  FSettingRange = true;
  dte_From->setDate(from);
  dte_To->setDate(to);
  FSettingRange = false;
}

TPeriod TInsightsView::PeriodForChart() const {
  if (cmb_Period->currentIndex() > 0) return kPeriods[cmb_Period->currentIndex() - 1];
  const TDateRange range = Range();
  int first = range.From.value_or(0), last = range.To.value_or(0);
  if (!range.From || !range.To) {
    const auto span = FEngines->Records().DateSpan(FEngines->Scope());
    if (!span) return TPeriod::Month;
    first = range.From.value_or(span->first);
    last = range.To.value_or(span->second);
  }
  return PeriodForWidth(first, std::max(first, last), cht_Counts->PlotWidth(), 10);
}

void TInsightsView::ShowPeriodChoice() {
  cmb_Period->setItemText(0, Text(res::InsightsPeriodAuto).arg(PeriodsText(FShownPeriod)));
}

void TInsightsView::Refresh() {
  if (!isVisible()) return;
  RefreshSeries();
  pnl_Recall->Show(FEngines->Records().Recall(FEngines->Scope(), Range(), Today()));
  RefreshOnThisNight();
  if (FWordsWanted) AskWords();
}

void TInsightsView::RefreshSeries() {
  if (!isVisible()) return;
  FShownPeriod = PeriodForChart();
  ShowPeriodChoice();
  FSeries = FEngines->Records().OverTime(FEngines->Scope(), Range(), FShownPeriod);
  cht_Counts->Show(FSeries, FLabels);
  cht_Energy->Show(FSeries, FLabels);
}

void TInsightsView::RefreshOnThisNight() {
  lst_OnThisNight->clear();
  const TInsights& records = FEngines->Records();
  for (const TDreamRef dream : records.OnThisNight(FEngines->Scope(), DayOfDate(dte_Night->date()))) {
    const TXMLNode* experience = records.Experience(dream);
    const auto date = records.Date(dream);
    if (!experience || !date) continue;
    const TXMLNode* root = FEngines->RootOf(dream.Journal);
    const auto journal = std::find_if(FJournals.begin(), FJournals.end(), [root](const TScopeJournal& j) { return j.Root == root; });
    auto* item = new QListWidgetItem(Text(res::OnThisNightItem)
                                         .arg(DateOfDay(*date).toString(Text(res::InsightsDateFormat)),
                                              FromCp(experience->GetAttribute(attrNumber)), FromCp(experience->GetAttribute(attrTitle)),
                                              journal == FJournals.end() ? QString() : journal->Caption),
                                     lst_OnThisNight);
    item->setData(Qt::UserRole, QVariant::fromValue(reinterpret_cast<quintptr>(experience)));
  }
  if (!lst_OnThisNight->count()) lst_OnThisNight->addItem(Text(res::OnThisNightNone));
}

void TInsightsView::AskWords() {
  FWordsWanted = true;
  FEngines->AskWords({Range(), pnl_Themes->Label()});
}

void TInsightsView::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // The themes are first counted now, not before the view is opened.
  FWordsWanted = true;
  ApplyPreset();
  Handle([this] { Refresh(); });
}

void TInsightsView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (cmb_Period->currentIndex() == 0 && isVisible() && PeriodForChart() != FShownPeriod) Handle([this] { RefreshSeries(); });
}
