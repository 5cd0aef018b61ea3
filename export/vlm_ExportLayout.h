#pragma once
// What goes on the pages of a PDF and of the printer, in order: the title, each journal's heading
// and charts, its nights and their dreams. The flow places it (vlm_ExportPages for a Qt paint
// device, vlm_ExportPdf for a PDF file); a flow offers Font, Text, Height, PictureSize, Picture,
// KeepTogether, Width, Stopped and Lost.
#include <QHash>
#include <QImage>
#include <QStringList>

#include "vlm_Export.h"
#include "vlm_ExportCharts.h"
#include "vlm_ExportFields.h"
#include "vlm_ExportWriters.h"
#include "vlm_Resources.h"

// A family that holds Cyrillic, among those the system has.
QString CyrillicFamily();

// Done, Cancelled (the progress asked to stop), or Failed naming the dreams whose text did not
// all find a place on the pages.
template <class Flow>
TExportResult LayOutPages(const TExportContent& content, const TExportOptions& options, TProgress& progress, Flow& flow) {
  const QColor ink(Qt::black), heading(0x20, 0x30, 0x70), meta(0x33, 0x33, 0x55);
  const auto title = flow.Font(20, true), journalFont = flow.Font(16, true), nightFont = flow.Font(13, true),
             dreamFont = flow.Font(11.5, true), body = flow.Font(10.5), italic = flow.Font(10.5, false, true),
             small = flow.Font(9.5);
  QHash<QString, QImage> pictures;  // one image per file: the PDF holds it once
  QStringList lost;                 // the dreams whose text did not all find a place
  const TExportResult cancelled{TExportResult::Cancelled, {}};
  if (!progress.Step(0)) return cancelled;
  flow.Text(content.Title, title, heading, 0, 3);
  for (const TExportJournal& journal : content.Journals) {
    if (JournalHeading(content, journal)) flow.Text(journal.Name, journalFont, heading, 1.0, 4);
    if (journal.Root) {
      const TJournalCharts charts = DrawJournalCharts(*journal.Root, content);
      flow.Picture(charts.PerDay, flow.Width());
      flow.Picture(charts.Quality, flow.Width() / 2);
    }
    for (const TExportNight& night : journal.Nights) {
      flow.Text(NightTitle(*night.Day), nightFont, heading, 0.9, 4);
      const QString nightComment = NightComment(*night.Day);
      if (!nightComment.isEmpty())
        flow.Text(QString::fromUtf8(res::ExportNightComment) + QLatin1Char(' ') + nightComment, italic, meta, 0.2);
      for (const TXMLNode* node : night.Dreams) {
        const TDreamText dream = ReadDream(*node, content, options);
        const QString name = dream.Number + QStringLiteral(". ") + dream.Title;
        const QString labels = QString::fromUtf8(res::ExportLabels) + QLatin1Char(' ') + dream.Labels.join(QStringLiteral(", "));
        const QImage* picture = nullptr;
        if (!dream.Picture.isEmpty()) {
          auto found = pictures.find(dream.Picture);
          if (found == pictures.end()) found = pictures.insert(dream.Picture, ReadPicture(dream.Picture));
          if (!found->isNull()) picture = &*found;
        }
        // A picture stands under its dream's heading, on the page the dream starts on: a dream
        // whose heading and picture do not fit below the one before starts a new page.
        if (picture)
          flow.KeepTogether(flow.Height(name, dreamFont, 0.7) + (dream.Labels.isEmpty() ? 0 : flow.Height(labels, small, 0.1)) +
                            flow.Height(EnergyLine(dream), small, 0.1) + flow.PictureSize(*picture, flow.Width() * 0.6).height() * 1.1);
        const qsizetype lostBefore = flow.Lost();
        flow.Text(name, dreamFont, ink, 0.7, 3);
        if (!dream.Labels.isEmpty()) flow.Text(labels, small, meta, 0.1);
        flow.Text(EnergyLine(dream), small, meta, 0.1);
        if (picture) flow.Picture(*picture, flow.Width() * 0.6);
        for (const QString& line : dream.Description) flow.Text(line, body, ink, 0.2);
        if (!dream.Comment.isEmpty())
          flow.Text(QString::fromUtf8(res::CaptionComment) + QLatin1Char(' ') + dream.Comment, italic, meta, 0.2);
        if (flow.Lost() > lostBefore)
          lost << QString::fromUtf8(res::ExportTextNotPlaced).arg(name).arg(flow.Lost() - lostBefore);
        if (flow.Stopped() || !progress.Step()) return cancelled;
      }
    }
  }
  if (!lost.isEmpty()) return {TExportResult::Failed, lost.join(QStringLiteral("; "))};
  return {};
}
