// Writing an export safely: the file is written beside its final name and renamed into place only
// when complete (QSaveFile); Markdown's picture folder likewise, swapped in just before the file.
#include "vlm_Export.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryDir>

#include "vlm_ExportPdf.h"
#include "vlm_ExportWriters.h"
#include "vlm_Resources.h"

namespace {
constexpr qsizetype kFlushSize = 1 << 20;  // characters; the writers hand over about this much at a time

QString Res(const char* utf8) { return QString::fromUtf8(utf8); }

TExportResult Failed(const QString& file, const QString& reason) {
  return {TExportResult::Failed, Res(res::ExportCannotWrite).arg(QDir::toNativeSeparators(file), reason)};
}

// The Markdown file's picture folder: "name_files" beside "name.md".
QString PictureFolderName(const QString& output) { return QFileInfo(output).completeBaseName() + QStringLiteral("_files"); }

// Puts the folder written at `temp` in place of `final`; the old one (if any) is kept aside until
// `Commit` or put back by `Undo`.
class TFolderSwap {
public:
  bool Swap(const QString& temp, const QString& final) {
    FFinal = final;
    if (QFileInfo::exists(final)) {
      FAside = final + QStringLiteral(".old-") + QString::number(QDateTime::currentMSecsSinceEpoch());
      if (!QDir().rename(final, FAside)) return false;
    }
    if (QDir().rename(temp, final)) return FSwapped = true;
    Undo();
    return false;
  }
  void Undo() {
    if (FSwapped) QDir(FFinal).removeRecursively();
    if (!FAside.isEmpty()) QDir().rename(FAside, FFinal);
    FAside.clear();
    FSwapped = false;
  }
  void Commit() {
    if (!FAside.isEmpty()) QDir(FAside).removeRecursively();
  }

private:
  QString FFinal, FAside;
  bool FSwapped = false;
};
}  // namespace

std::optional<TExportFormat> ExportFormatOfName(const QString& name) {
  const QString n = name.toLower();
  if (n == QLatin1String("html") || n == QLatin1String("htm")) return TExportFormat::Html;
  if (n == QLatin1String("md") || n == QLatin1String("markdown")) return TExportFormat::Markdown;
  if (n == QLatin1String("txt") || n == QLatin1String("text")) return TExportFormat::Text;
  if (n == QLatin1String("pdf")) return TExportFormat::Pdf;
  return std::nullopt;
}

QString ExportSuffix(TExportFormat format) {
  switch (format) {
    case TExportFormat::Html: return QStringLiteral("html");
    case TExportFormat::Markdown: return QStringLiteral("md");
    case TExportFormat::Text: return QStringLiteral("txt");
    case TExportFormat::Pdf: return QStringLiteral("pdf");
  }
  return {};
}

TExportResult Export(const TExportContent& content, const TExportOptions& options) {
  QSaveFile file(options.Output);
  // QSaveFile leaves the old file alone and removes its temporary file unless committed.
  if (!file.open(QIODevice::WriteOnly)) return Failed(options.Output, file.errorString());
  TProgress progress(options, content.DreamCount());
  bool finished = false;
  if (options.Format == TExportFormat::Pdf) {
    const TExportResult painted = WritePdf(content, options, file);
    if (painted.Outcome == TExportResult::Failed) return Failed(options.Output, painted.Error);
    finished = painted.Outcome == TExportResult::Done;
  } else {
    QString out;
    out.reserve(kFlushSize + kFlushSize / 4);
    const TFlush flush = [&file](QString& text) {
      const QByteArray bytes = text.toUtf8();
      text.resize(0);  // keeps its room for the next part
      return file.write(bytes) == bytes.size();
    };
    std::optional<QTemporaryDir> pictures;  // Markdown's folder, written beside the file's final place
    QString folder;
    if (options.Format == TExportFormat::Markdown) {
      pictures.emplace(QFileInfo(options.Output).absolutePath() + QStringLiteral("/.") +
                       PictureFolderName(options.Output) + QStringLiteral(".export-XXXXXX"));
      if (!pictures->isValid()) return Failed(options.Output, pictures->errorString());
      folder = pictures->path();
      // A temporary folder is private to its owner; the pictures are as readable as the file.
      QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                                        QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
    }
    switch (options.Format) {
      case TExportFormat::Html: finished = WriteHtml(content, options, progress, out, flush); break;
      case TExportFormat::Text: finished = WriteText(content, options, progress, out, flush); break;
      case TExportFormat::Markdown:
        finished = WriteMarkdown(content, options, progress, out, flush, folder,
                                 PictureFolderName(options.Output) + QLatin1Char('/'));
        break;
      case TExportFormat::Pdf: break;
    }
    if (finished) flush(out);
    if (finished && options.Format == TExportFormat::Markdown && !QDir(folder).isEmpty()) {
      TFolderSwap swap;
      const QString final = QFileInfo(options.Output).absolutePath() + QLatin1Char('/') + PictureFolderName(options.Output);
      if (!swap.Swap(folder, final)) return Failed(final, Res(res::ExportFolderNotReplaced));
      if (!file.commit()) {
        swap.Undo();
        return Failed(options.Output, file.errorString());
      }
      swap.Commit();
      return {};
    }
  }
  if (!finished) {
    file.cancelWriting();
    return {TExportResult::Cancelled, {}};
  }
  if (!file.commit()) return Failed(options.Output, file.errorString());
  return {};
}
