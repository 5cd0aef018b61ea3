#pragma once
// The themes of the insights: the words in the most dreams (with a small line over time), the
// rising ones, the words that go with a label, and the user's own words that are never themes.
// A click on a word asks for a search of it; the exclusions are edited here and kept by the owner.
#include <QWidget>
#include <string>
#include <vector>

#include "vlm_InsightsEngines.h"

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTableWidget;

class TThemesPanel : public QWidget {
  Q_OBJECT
public:
  explicit TThemesPanel(QWidget* parent = nullptr);

  // The captions of the labels, for the chooser of the words that go with one.
  void SetLabelCaptions(const QStringList& captions);
  int Label() const;  // 1 .. 4
  void SetCounting();
  void Show(const TWordsAnswer& answer);
  const TWordsAnswer& Shown() const { return FAnswer; }
  // The user's exclusions (Windows-1251) as the library keeps them.
  void SetExclusions(const std::vector<std::string>& words);

  QLabel* lbl_Status = nullptr;
  QTableWidget* tbl_Themes = nullptr;
  QTableWidget* tbl_Rising = nullptr;
  QComboBox* cmb_Label = nullptr;
  QTableWidget* tbl_LabelWords = nullptr;
  QPushButton* btn_Exclude = nullptr;  // the word selected in the themes' table
  QListWidget* lst_Excluded = nullptr;
  QPushButton* btn_Include = nullptr;  // the exclusion selected in the list

signals:
  void WordClicked(const QString& word);
  void LabelChosen(int label);
  // The whole new list of exclusions, Windows-1251.
  void ExclusionsEdited(const std::vector<std::string>& words);

private:
  QTableWidget* Table(const QStringList& headers);
  void FillContrast(QTableWidget* table, const TContrast& contrast);

  TWordsAnswer FAnswer;
  std::vector<std::string> FExclusions;
};
