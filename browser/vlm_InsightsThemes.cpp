#include "vlm_InsightsThemes.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QTableWidget>
#include <algorithm>

#include "vlm_InsightsResources.h"
#include "vlm_Strings.h"

namespace {

constexpr QSize kSparkSize(120, 18);

// The small line of a theme over the periods of the themes' series.
QPixmap Sparkline(const std::vector<int>& series) {
  QPixmap picture(kSparkSize);
  picture.fill(Qt::transparent);
  if (series.size() < 2) return picture;
  const int highest = std::max(1, *std::max_element(series.begin(), series.end()));
  QPainter painter(&picture);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(QColor(0x2E, 0x6D, 0xB4), 1.5));
  QPolygonF line;
  const double step = (kSparkSize.width() - 2.0) / static_cast<double>(series.size() - 1);
  for (std::size_t i = 0; i < series.size(); ++i)
    line << QPointF(1 + step * static_cast<double>(i), kSparkSize.height() - 2 - (kSparkSize.height() - 4.0) * series[i] / highest);
  painter.drawPolyline(line);
  return picture;
}

QTableWidgetItem* Item(const QString& text) {
  auto* item = new QTableWidgetItem(text);
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  return item;
}

QTableWidgetItem* Number(int value) {
  QTableWidgetItem* item = Item(QString::number(value));
  item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
  return item;
}

}  // namespace

TThemesPanel::TThemesPanel(QWidget* parent) : QWidget(parent) {
  auto* layout = new QGridLayout(this);
  lbl_Status = new QLabel(this);
  lbl_Status->setWordWrap(true);
  layout->addWidget(lbl_Status, 0, 0, 1, 3);

  layout->addWidget(new QLabel(Text(res::ThemesRecurring), this), 1, 0);
  tbl_Themes = Table({Text(res::ThemesWord), Text(res::ThemesDreams), Text(res::ThemesOverTime)});
  tbl_Themes->setIconSize(kSparkSize);
  layout->addWidget(tbl_Themes, 2, 0, 3, 1);

  auto* rising = new QLabel(Text(res::ThemesRising), this);
  rising->setToolTip(Text(res::ThemesRisingHint));
  layout->addWidget(rising, 1, 1);
  tbl_Rising = Table({Text(res::ThemesWord), Text(res::ThemesRecent), Text(res::ThemesBefore)});
  tbl_Rising->setToolTip(Text(res::ThemesRisingHint));
  layout->addWidget(tbl_Rising, 2, 1);

  auto* withLabel = new QWidget(this);
  auto* row = new QHBoxLayout(withLabel);
  row->setContentsMargins(0, 0, 0, 0);
  row->addWidget(new QLabel(Text(res::ThemesWithLabel), withLabel));
  cmb_Label = new QComboBox(withLabel);
  row->addWidget(cmb_Label, 1);
  layout->addWidget(withLabel, 3, 1);
  tbl_LabelWords = Table({Text(res::ThemesWord), Text(res::ThemesInGroup), Text(res::ThemesOutside)});
  layout->addWidget(tbl_LabelWords, 4, 1);

  btn_Exclude = new QPushButton(this);
  btn_Exclude->setEnabled(false);
  layout->addWidget(btn_Exclude, 5, 0);
  layout->addWidget(new QLabel(Text(res::ThemesExcluded), this), 1, 2);
  lst_Excluded = new QListWidget(this);
  layout->addWidget(lst_Excluded, 2, 2, 3, 1);
  btn_Include = new QPushButton(this);
  btn_Include->setEnabled(false);
  layout->addWidget(btn_Include, 5, 2);
  layout->setColumnStretch(0, 3);
  layout->setColumnStretch(1, 2);
  layout->setColumnStretch(2, 1);
  layout->setRowStretch(2, 1);
  layout->setRowStretch(4, 1);

  connect(cmb_Label, &QComboBox::activated, this, [this] { emit LabelChosen(Label()); });
  connect(tbl_Themes, &QTableWidget::currentCellChanged, this, [this](int current) {
    const QTableWidgetItem* word = current >= 0 ? tbl_Themes->item(current, 0) : nullptr;
    btn_Exclude->setEnabled(word != nullptr);
    btn_Exclude->setText(word ? Text(res::ThemesExclude).arg(word->text()) : Text(res::ThemesExcludeNone));
  });
  connect(btn_Exclude, &QPushButton::clicked, this, [this] {
    const QTableWidgetItem* word = tbl_Themes->currentRow() >= 0 ? tbl_Themes->item(tbl_Themes->currentRow(), 0) : nullptr;
    std::string cp;
    if (!word || !ToCp(word->text(), cp)) return;
    std::vector<std::string> words = FExclusions;
    if (std::find(words.begin(), words.end(), cp) == words.end()) words.push_back(cp);
    emit ExclusionsEdited(words);
  });
  connect(lst_Excluded, &QListWidget::currentRowChanged, this, [this](int current) {
    btn_Include->setEnabled(current >= 0);
    btn_Include->setText(current >= 0 ? Text(res::ThemesInclude).arg(lst_Excluded->item(current)->text()) : Text(res::ThemesIncludeNone));
  });
  connect(btn_Include, &QPushButton::clicked, this, [this] {
    const int row = lst_Excluded->currentRow();
    if (row < 0 || static_cast<std::size_t>(row) >= FExclusions.size()) return;
    std::vector<std::string> words = FExclusions;
    words.erase(words.begin() + row);
    emit ExclusionsEdited(words);
  });
  btn_Exclude->setText(Text(res::ThemesExcludeNone));
  btn_Include->setText(Text(res::ThemesIncludeNone));
}

QTableWidget* TThemesPanel::Table(const QStringList& headers) {
  auto* table = new QTableWidget(0, static_cast<int>(headers.size()), this);
  table->setHorizontalHeaderLabels(headers);
  table->verticalHeader()->hide();
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->setSelectionMode(QAbstractItemView::SingleSelection);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
  for (int c = 1; c < headers.size(); ++c) table->horizontalHeader()->setSectionResizeMode(c, QHeaderView::ResizeToContents);
  table->setToolTip(Text(res::ThemesClickHint));
  // A click on a word searches for it in all its forms.
  connect(table, &QTableWidget::cellClicked, this, [this, table](int row) {
    if (const QTableWidgetItem* word = table->item(row, 0)) emit WordClicked(word->text());
  });
  return table;
}

void TThemesPanel::SetLabelCaptions(const QStringList& captions) {
  const int label = Label();
  cmb_Label->clear();
  cmb_Label->addItems(captions);
  cmb_Label->setCurrentIndex(std::clamp(label - 1, 0, static_cast<int>(captions.size()) - 1));
}

int TThemesPanel::Label() const { return std::max(0, cmb_Label->currentIndex()) + 1; }

void TThemesPanel::SetCounting() { lbl_Status->setText(Text(res::InsightsCounting)); }

void TThemesPanel::Show(const TWordsAnswer& answer) {
  FAnswer = answer;
  if (!answer.Error.isEmpty()) lbl_Status->setText(Text(res::ThemesFailed).arg(answer.Error));
  else if (answer.Themes.Items.empty()) lbl_Status->setText(Text(res::ThemesNone));
  else lbl_Status->clear();
  const auto& items = answer.Themes.Items;
  tbl_Themes->setRowCount(static_cast<int>(items.size()));
  for (int r = 0; r < static_cast<int>(items.size()); ++r) {
    const TTheme& theme = items[static_cast<std::size_t>(r)];
    tbl_Themes->setItem(r, 0, Item(FromCp(theme.Word)));
    tbl_Themes->setItem(r, 1, Number(theme.Dreams));
    QTableWidgetItem* line = Item(QString());
    line->setIcon(QIcon(Sparkline(theme.Series)));
    tbl_Themes->setItem(r, 2, line);
  }
  tbl_Themes->setCurrentCell(-1, -1);
  FillContrast(tbl_Rising, answer.Rising);
  FillContrast(tbl_LabelWords, answer.LabelWords);
}

void TThemesPanel::FillContrast(QTableWidget* table, const TContrast& contrast) {
  table->setRowCount(static_cast<int>(contrast.Items.size()));
  for (int r = 0; r < static_cast<int>(contrast.Items.size()); ++r) {
    const TContrastItem& item = contrast.Items[static_cast<std::size_t>(r)];
    table->setItem(r, 0, Item(FromCp(item.Word)));
    table->setItem(r, 1, Number(item.InGroup));
    table->setItem(r, 2, Number(item.Outside));
  }
}

void TThemesPanel::SetExclusions(const std::vector<std::string>& words) {
  FExclusions = words;
  lst_Excluded->clear();
  for (const std::string& word : words) lst_Excluded->addItem(FromCp(word));
}
