#include "vlm_Paths.h"

#include <QFileInfo>

#include "xml_functions.h"

std::string ResolvePath(std::string_view cp1251Path, std::string_view appDir) {
  const std::string path(cp1251Path);
  if (path.empty() || QFileInfo(QString::fromStdString(NativePath(path))).isAbsolute()) return path;
  if (PathExists(path)) return path;
  return std::string(appDir) + path;
}
