#include "vlm_UnsavedCopies.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <cerrno>

#include "vlm_Strings.h"
#include "vlm_WritingFiles.h"
#include "xml_mainUnit.h"

namespace {

// Writes `bytes` to the new file `path`, readable by the user alone, and flushes it to disk.
bool WriteNew(const QString& path, const std::string& bytes) {
  const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  bool ok = true;
  for (std::size_t done = 0; ok && done < bytes.size();) {
    const ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (put < 0 && errno == EINTR) continue;
    ok = put > 0;
    if (ok) done += static_cast<std::size_t>(put);
  }
  ok = ::fsync(fd) == 0 && ok;
  return ::close(fd) == 0 && ok;
}

// The file name of `original`, or that name with "-2", "-3", ... when `taken` has it already.
QString FreeName(const QString& original, QSet<QString>& taken) {
  const QFileInfo info(original.isEmpty() ? QStringLiteral("document.xml") : original);
  const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
  QString name = info.fileName();
  for (int n = 2; taken.contains(name); ++n) name = info.completeBaseName() + QStringLiteral("-%1").arg(n) + suffix;
  taken.insert(name);
  return name;
}

bool KeepIn(const QString& folder, const std::vector<const TXMLParser*>& documents) {
  QSet<QString> taken{QStringLiteral("originals.txt")};
  QString originals;
  for (const TXMLParser* document : documents) {
    const QString original = FromCp(document->FileName);
    const QString name = FreeName(original, taken);
    if (!WriteNew(folder + name, document->FileBytes()  /* sealed as the file is */)) return false;
    originals += name + QLatin1Char('\t') + QFileInfo(original).absoluteFilePath() + QLatin1Char('\n');
  }
  return WriteNew(folder + QStringLiteral("originals.txt"), originals.toUtf8().toStdString());
}

}  // namespace

QString KeepUnsavedCopies(const std::vector<const TXMLParser*>& documents, const QStringList& places,
                          std::time_t now) {
  const TWritingFiles writing;
  const QString stamp =
      QDateTime::fromSecsSinceEpoch(now).toString(QStringLiteral("'velmora-unsaved-'yyyyMMdd-HHmmss"));
  for (QString place : places) {
    if (place.isEmpty() || !QFileInfo(place).isDir()) continue;
    if (!place.endsWith(QLatin1Char('/'))) place += QLatin1Char('/');
    for (int n = 1; n < 100; ++n) {
      const QString folder = place + stamp + (n == 1 ? QString() : QStringLiteral("-%1").arg(n)) + QLatin1Char('/');
      if (::mkdir(QFile::encodeName(folder).constData(), 0700) != 0) {
        if (errno == EEXIST) continue;
        break;
      }
      if (KeepIn(folder, documents)) return folder;
      QDir(folder).removeRecursively();  // only this attempt's own copies
      break;
    }
  }
  return {};
}
