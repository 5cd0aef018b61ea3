#include "vlm_Files.h"

#include <sys/stat.h>

#include <filesystem>
#include <system_error>

#include "vlm_Resources.h"
#include "xml_functions.h"

bool PathExists(std::string_view cp1251Path) {
  std::error_code error;
  const auto status = std::filesystem::symlink_status(NativePath(cp1251Path), error);
  return !error && status.type() != std::filesystem::file_type::not_found;
}

bool SameFile(std::string_view first, std::string_view second) {
  if (first == second) return true;
  const std::string a = NativePath(first), b = NativePath(second);
  struct stat sa {}, sb {};
  if (::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0) return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
  std::error_code errorA, errorB;
  const auto canonicalA = std::filesystem::weakly_canonical(std::filesystem::absolute(a, errorA), errorA);
  const auto canonicalB = std::filesystem::weakly_canonical(std::filesystem::absolute(b, errorB), errorB);
  return !errorA && !errorB && canonicalA == canonicalB;
}

bool HasOtherNames(std::string_view cp1251Path) {
  struct stat st {};
  return ::stat(NativePath(cp1251Path).c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_nlink > 1;
}

std::string SaveFailureList(const std::vector<TJournalSaveFailure>& failures) {
  std::string list;
  for (const TJournalSaveFailure& failure : failures) {
    if (!list.empty()) list += '\n';
    // The reason is the system's text (UTF-8) or the program's own; a file name is Windows-1251.
    const std::string reason = ValidUtf8(failure.Reason) ? failure.Reason : Cp1251ToUtf8(failure.Reason);
    list += res::Format(res::MsgSaveFailureItem, {Cp1251ToUtf8(failure.FileName), reason});
  }
  return list;
}
