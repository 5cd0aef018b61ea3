#pragma once
// A dream's fields as an export shows them (UTF-8 text), shared by every format.
#include <QString>
#include <QStringList>

#include "vlm_Export.h"

struct TDreamText {
  QString Number, Title;
  QStringList Labels;      // captions of the labels that are on
  QString EnergyWord, EnergyValue;
  QStringList Description;  // its lines (a description keeps the line breaks typed in it)
  QString Comment;
  QString Picture;  // the picture's file, empty for none
};

QString CpText(std::string_view cp1251);
TDreamText ReadDream(const TXMLNode& dream, const TExportContent& content, const TExportOptions& options);
QString NightTitle(const TXMLNode& day);
// The night's own comment, empty when it has none.
QString NightComment(const TXMLNode& day);
// Whether a journal gets a heading of its own: not when it alone is exported, under its own name.
bool JournalHeading(const TExportContent& content, const TExportJournal& journal);
// "Энергетика: высокая (0,6)" and the like.
QString EnergyLine(const TDreamText& dream);

// Calls the progress callback; false when the export is to stop.
class TProgress {
public:
  TProgress(const TExportOptions& options, int total) : FOptions(options), FTotal(total) {}
  bool Step(int dreams = 1) {
    FDone += dreams;
    return !FOptions.Progress || FOptions.Progress(FDone, FTotal);
  }

private:
  const TExportOptions& FOptions;
  int FTotal;
  int FDone = 0;
};
