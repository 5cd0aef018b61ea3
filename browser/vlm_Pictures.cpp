#include "vlm_Pictures.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>

#include "vlm_FileDialogLanguage.h"
#include "vlm_Resources.h"

bool LoadPicture(QImage& picture, const QString& path) {
  picture = QImage();
  // Opened without waiting (a pipe would wait for a writer) and checked on the open file itself.
  const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat st {};
  QFile file;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
    ::close(fd);
    return false;
  }
  // The name's suffix as the format hint, as QImage::load takes it from the file name.
  QImageReader reader(&file, QFileInfo(path).suffix().toLower().toLatin1());
  picture = reader.read();
  return !picture.isNull();
}

QStringList PictureFilters() {
  QStringList patterns;
  for (const QByteArray& format : QImageReader::supportedImageFormats())
    patterns << QStringLiteral("*.") + QString::fromLatin1(format).toLower();
  patterns.removeDuplicates();
  QStringList filters{QString::fromUtf8(res::FilterEveryPicture).arg(patterns.join(QLatin1Char(' ')))};
  return filters + NameFilters(res::FilterImage, true);  // "*.*" means every file there
}
