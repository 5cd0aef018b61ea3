// HTML, Markdown and plain text: the same walk over journals, nights and dreams, in three forms.
#include "vlm_ExportWriters.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QImage>
#include <QImageReader>
#include <cstring>

#include "vlm_ExportCharts.h"
#include "vlm_Resources.h"

namespace {
constexpr int kMaxPictureWidth = 800;
constexpr qsizetype kFlushSize = 1 << 20;

QString Res(const char* utf8) { return QString::fromUtf8(utf8); }

void Put(QString& out, const QString& text) { out += text; }

QByteArray Png(const QImage& image) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return bytes;
}

// The walk shared by the formats: what each prints for a journal, a night and a dream.
struct TForm {
  std::function<void(const TExportJournal&)> Journal;
  std::function<void(const TXMLNode& day)> Night;
  std::function<void(const TDreamText&)> Dream;
};

bool Walk(const TExportContent& content, const TExportOptions& options, TProgress& progress, QString& out,
          const TFlush& flush, const TForm& form) {
  if (!progress.Step(0)) return false;
  for (const TExportJournal& journal : content.Journals) {
    form.Journal(journal);
    for (const TExportNight& night : journal.Nights) {
      form.Night(*night.Day);
      for (const TXMLNode* dream : night.Dreams) {
        form.Dream(ReadDream(*dream, content, options));
        if (!progress.Step()) return false;
        if (out.size() >= kFlushSize && !flush(out)) return true;  // the file tells at the end
      }
    }
  }
  return true;
}

QString Html(const QString& text) { return text.toHtmlEscaped(); }
}  // namespace

QImage ReadPicture(const QString& file) {
  if (file.isEmpty() || !QFileInfo(file).isFile()) return {};
  QImageReader reader(file);
  reader.setAutoTransform(true);
  return reader.read();
}

bool WriteHtml(const TExportContent& content, const TExportOptions& options, TProgress& progress, QString& out,
               const TFlush& flush) {
  QHash<QString, QByteArray> pictures;  // a file's data URI, made once
  auto image = [&](const QByteArray& uri, const QString& alt, const char* cls) {
    Put(out, QStringLiteral("<img class=\"%1\" alt=\"%2\" src=\"").arg(QLatin1String(cls), Html(alt)));
    out += QLatin1String(uri);
    out += "\">\n";
  };
  Put(out, QStringLiteral("<!DOCTYPE html>\n<html lang=\"ru\">\n<head>\n<meta charset=\"utf-8\">\n<title>%1</title>\n")
               .arg(Html(content.Title)));
  out += "<style>body{font-family:sans-serif;max-width:60em;margin:2em auto;padding:0 1em;line-height:1.4}"
         "h3{border-bottom:1px solid #aac;margin-top:1.6em}.dream{margin:1em 0 1.5em 1em}"
         ".meta{color:#335;margin:.2em 0}.comment{font-style:italic}img.picture{max-width:100%}"
         "img.chart{max-width:100%;margin:.3em 0}</style>\n</head>\n<body>\n";
  Put(out, QStringLiteral("<h1>%1</h1>\n").arg(Html(content.Title)));
  TForm form;
  form.Journal = [&](const TExportJournal& journal) {
    if (JournalHeading(content, journal)) Put(out, QStringLiteral("<h2>%1</h2>\n").arg(Html(journal.Name)));
    if (!journal.Root) return;
    const TJournalCharts charts = DrawJournalCharts(*journal.Root, content);
    for (const QImage* chart : {&charts.PerDay, &charts.Quality})
      image("data:image/png;base64," + Png(*chart).toBase64(), Res(res::ExportChartsAlt), "chart");
  };
  form.Night = [&](const TXMLNode& day) {
    Put(out, QStringLiteral("<h3>%1</h3>\n").arg(Html(NightTitle(day))));
    const QString comment = NightComment(day);
    if (!comment.isEmpty())
      Put(out, QStringLiteral("<p class=\"comment\">%1 %2</p>\n").arg(Html(Res(res::ExportNightComment)), Html(comment)));
  };
  form.Dream = [&](const TDreamText& dream) {
    Put(out, QStringLiteral("<div class=\"dream\">\n<h4>%1. %2</h4>\n").arg(Html(dream.Number), Html(dream.Title)));
    if (!dream.Labels.isEmpty())
      Put(out, QStringLiteral("<p class=\"meta\">%1 %2</p>\n").arg(Html(Res(res::ExportLabels)), Html(dream.Labels.join(QStringLiteral(", ")))));
    Put(out, QStringLiteral("<p class=\"meta\">%1</p>\n").arg(Html(EnergyLine(dream))));
    if (!dream.Description.isEmpty()) {
      QStringList lines;
      for (const QString& line : dream.Description) lines << Html(line);
      Put(out, QStringLiteral("<p>%1</p>\n").arg(lines.join(QStringLiteral("<br>\n"))));
    }
    if (!dream.Comment.isEmpty())
      Put(out, QStringLiteral("<p class=\"comment\">%1 %2</p>\n").arg(Html(Res(res::CaptionComment)), Html(dream.Comment)));
    if (!dream.Picture.isEmpty()) {
      auto found = pictures.find(dream.Picture);
      if (found == pictures.end()) {
        QImage picture = ReadPicture(dream.Picture);
        if (picture.width() > kMaxPictureWidth) picture = picture.scaledToWidth(kMaxPictureWidth, Qt::SmoothTransformation);
        found = pictures.insert(dream.Picture, picture.isNull() ? QByteArray() : "data:image/png;base64," + Png(picture).toBase64());
      }
      if (!found->isEmpty()) image(*found, dream.Title, "picture");
    }
    out += "</div>\n";
  };
  if (!Walk(content, options, progress, out, flush, form)) return false;
  out += "</body>\n</html>\n";
  return true;
}

namespace {
// Markdown's own characters shown as themselves.
QString Md(const QString& text) {
  auto special = [](QChar c) {
    const char16_t u = c.unicode();
    return u != 0 && u < 128 && std::strchr("\\`*_[]<>#|~&", static_cast<char>(u)) != nullptr;
  };
  qsizetype count = 0;
  for (const QChar c : text) count += special(c);
  const bool listLike = text.startsWith(QLatin1Char('-')) || text.startsWith(QLatin1Char('+'));
  if (count == 0 && !listLike) return text;
  // A line that would start a list stays a line of text.
  QString escaped;
  escaped.reserve(text.size() + count + 1);
  if (listLike) escaped += QLatin1Char('\\');
  for (const QChar c : text) {
    if (special(c)) escaped += QLatin1Char('\\');
    escaped += c;
  }
  return escaped;
}
}  // namespace

bool WriteMarkdown(const TExportContent& content, const TExportOptions& options, TProgress& progress, QString& out,
                   const TFlush& flush, const QString& folder, const QString& linkPrefix) {
  QHash<QString, QString> copied;  // a picture file's name in the folder, empty when not copied
  int files = 0;
  auto place = [&](const QString& suffix) {
    QDir().mkpath(folder);
    return QStringLiteral("%1.%2").arg(++files, 4, 10, QLatin1Char('0')).arg(suffix);
  };
  Put(out, QStringLiteral("# %1\n\n").arg(Md(content.Title)));
  TForm form;
  form.Journal = [&](const TExportJournal& journal) {
    if (JournalHeading(content, journal)) Put(out, QStringLiteral("## %1\n\n").arg(Md(journal.Name)));
    if (!journal.Root) return;
    const TJournalCharts charts = DrawJournalCharts(*journal.Root, content);
    for (const QImage* chart : {&charts.PerDay, &charts.Quality}) {
      const QString name = place(QStringLiteral("png"));
      if (chart->save(folder + QLatin1Char('/') + name, "PNG"))
        Put(out, QStringLiteral("![%1](<%2%3>)\n\n").arg(Md(Res(res::ExportChartsAlt)), linkPrefix, name));
    }
  };
  form.Night = [&](const TXMLNode& day) {
    Put(out, QStringLiteral("### %1\n\n").arg(Md(NightTitle(day))));
    const QString comment = NightComment(day);
    if (!comment.isEmpty()) Put(out, QStringLiteral("*%1 %2*\n\n").arg(Md(Res(res::ExportNightComment)), Md(comment)));
  };
  form.Dream = [&](const TDreamText& dream) {
    Put(out, QStringLiteral("#### %1. %2\n\n").arg(Md(dream.Number), Md(dream.Title)));
    if (!dream.Labels.isEmpty())
      Put(out, QStringLiteral("%1 %2  \n").arg(Md(Res(res::ExportLabels)), Md(dream.Labels.join(QStringLiteral(", ")))));
    Put(out, QStringLiteral("%1\n\n").arg(Md(EnergyLine(dream))));
    if (!dream.Description.isEmpty()) {
      QStringList lines;
      for (const QString& line : dream.Description) lines << Md(line);
      Put(out, lines.join(QStringLiteral("  \n")) + QStringLiteral("\n\n"));
    }
    if (!dream.Comment.isEmpty()) Put(out, QStringLiteral("*%1 %2*\n\n").arg(Md(Res(res::CaptionComment)), Md(dream.Comment)));
    if (!dream.Picture.isEmpty()) {
      auto found = copied.find(dream.Picture);
      if (found == copied.end()) {
        const QFileInfo info(dream.Picture);
        QString name;
        // Pictures a Markdown viewer shows are copied as they are; others (BMP) become PNG.
        static const QStringList kShown{QStringLiteral("png"), QStringLiteral("jpg"), QStringLiteral("jpeg"),
                                        QStringLiteral("gif"), QStringLiteral("webp")};
        const QString suffix = info.suffix().toLower();
        if (info.isFile() && kShown.contains(suffix)) {
          name = place(suffix);
          if (!QFile::copy(dream.Picture, folder + QLatin1Char('/') + name)) name.clear();
        } else if (const QImage picture = ReadPicture(dream.Picture); !picture.isNull()) {
          name = place(QStringLiteral("png"));
          if (!picture.save(folder + QLatin1Char('/') + name, "PNG")) name.clear();
        }
        found = copied.insert(dream.Picture, name);
      }
      if (!found->isEmpty()) Put(out, QStringLiteral("![%1](<%2%3>)\n\n").arg(Md(dream.Title), linkPrefix, *found));
    }
  };
  return Walk(content, options, progress, out, flush, form);
}

bool WriteText(const TExportContent& content, const TExportOptions& options, TProgress& progress, QString& out,
               const TFlush& flush) {
  auto underline = [&](const QString& text, char mark) {
    Put(out, text + QLatin1Char('\n'));
    out += QString(std::max<qsizetype>(text.size(), 3), QLatin1Char(mark)) + QLatin1Char('\n');
  };
  underline(content.Title, '=');
  out += '\n';
  TForm form;
  form.Journal = [&](const TExportJournal& journal) {
    if (!JournalHeading(content, journal)) return;
    underline(journal.Name, '=');
    out += '\n';
  };
  form.Night = [&](const TXMLNode& day) {
    underline(NightTitle(day), '-');
    const QString comment = NightComment(day);
    if (!comment.isEmpty()) Put(out, Res(res::ExportNightComment) + QLatin1Char(' ') + comment + QLatin1Char('\n'));
    out += '\n';
  };
  form.Dream = [&](const TDreamText& dream) {
    Put(out, dream.Number + QStringLiteral(". ") + dream.Title + QLatin1Char('\n'));
    if (!dream.Labels.isEmpty())
      Put(out, Res(res::ExportLabels) + QLatin1Char(' ') + dream.Labels.join(QStringLiteral(", ")) + QLatin1Char('\n'));
    Put(out, EnergyLine(dream) + QLatin1Char('\n'));
    if (!dream.Description.isEmpty())
      Put(out, Res(res::CaptionDescription) + QLatin1Char('\n') + dream.Description.join(QLatin1Char('\n')) + QLatin1Char('\n'));
    if (!dream.Comment.isEmpty()) Put(out, Res(res::CaptionComment) + QLatin1Char(' ') + dream.Comment + QLatin1Char('\n'));
    if (!dream.Picture.isEmpty()) Put(out, Res(res::CaptionImage) + QLatin1Char(' ') + dream.Picture + QLatin1Char('\n'));
    out += '\n';
  };
  return Walk(content, options, progress, out, flush, form);
}
