#include "vlm_Paths.h"

#include <QFileInfo>
#include <filesystem>
#include <system_error>

#include "xml_functions.h"

bool PathExists(std::string_view cp1251Path) {
  std::error_code error;
  const auto status = std::filesystem::symlink_status(NativePath(cp1251Path), error);
  return !error && status.type() != std::filesystem::file_type::not_found;
}

std::string ResolvePath(std::string_view cp1251Path, std::string_view appDir) {
  const std::string path(cp1251Path);
  if (path.empty() || QFileInfo(QString::fromStdString(NativePath(path))).isAbsolute()) return path;
  if (PathExists(path)) return path;
  return std::string(appDir) + path;
}
