#include "vlm_Paths.h"

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
