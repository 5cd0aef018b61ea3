#include "vlm_Paths.h"

#include <QDir>
#include <QFileInfo>

#include "xml_functions.h"

std::string ResolvePath(std::string_view cp1251Path, std::string_view libraryDir, std::string_view appDir) {
  const std::string path(cp1251Path);
  if (path.empty() || QFileInfo(QString::fromStdString(NativePath(path))).isAbsolute()) return path;
  if (PathExists(path)) return path;
  const std::string inLibrary = std::string(libraryDir) + path;
  if (libraryDir == appDir || PathExists(inLibrary)) return inLibrary;
  const std::string inProgram = std::string(appDir) + path;
  return PathExists(inProgram) ? inProgram : inLibrary;
}

namespace {
// `file` relative to `folder` (both absolute and clean), or empty when it is not inside it.
QString Inside(const QString& file, const QString& folder) {
  const QString relative = QDir(folder).relativeFilePath(file);
  if (relative.isEmpty() || relative == QLatin1String("..") || relative.startsWith(QLatin1String("../")) ||
      QDir::isAbsolutePath(relative))
    return {};
  return relative;
}
}  // namespace

QString PathInLibrary(const QString& file, const QString& libraryDir) {
  const QFileInfo chosen(file);
  if (!chosen.isAbsolute() || libraryDir.isEmpty()) return file;
  QString relative = Inside(QDir::cleanPath(file), QDir::cleanPath(libraryDir));
  if (relative.isEmpty()) {
    // The same folders reached through links (the file itself may not be there yet).
    const QString folder = QFileInfo(chosen.absolutePath()).canonicalFilePath();
    const QString library = QFileInfo(libraryDir).canonicalFilePath();
    if (!folder.isEmpty() && !library.isEmpty()) relative = Inside(folder + QLatin1Char('/') + chosen.fileName(), library);
  }
  if (relative.isEmpty()) return file;
  const QFileInfo fromHere(relative);
  if (fromHere.exists() && fromHere.canonicalFilePath() != chosen.canonicalFilePath()) return file;
  return relative;
}
