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

namespace {
// The keys a path is filed and looked up under, beyond its own spelling: the canonical form of the
// path, and the device and inode of the file when it is there.
std::vector<std::string> IdentityKeys(const std::string& path) {
  std::vector<std::string> keys;
  const std::string native = NativePath(path);
  std::error_code error;
  const auto canonical = std::filesystem::weakly_canonical(std::filesystem::absolute(native, error), error);
  if (!error) keys.push_back("c" + canonical.string());
  struct stat st {};
  if (::stat(native.c_str(), &st) == 0)
    keys.push_back("i" + std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino));
  return keys;
}
}  // namespace

void TFileIndex::File(const void* file, const std::string& path) {
  Forget(file);
  TEntry& entry = FEntries[file];
  entry.Path = path;
  entry.Order = FNextOrder++;
  entry.Keys = IdentityKeys(path);
  entry.Keys.push_back("p" + path);
  for (const std::string& key : entry.Keys) FByKey.emplace(key, file);
}

void TFileIndex::Forget(const void* file) {
  const auto found = FEntries.find(file);
  if (found == FEntries.end()) return;
  for (const std::string& key : found->second.Keys)
    for (auto [at, end] = FByKey.equal_range(key); at != end; ++at)
      if (at->second == file) {
        FByKey.erase(at);
        break;
      }
  FEntries.erase(found);
}

void TFileIndex::Clear() {
  FEntries.clear();
  FByKey.clear();
}

const void* TFileIndex::Find(const std::string& path) const {
  const void* best = nullptr;
  std::uint64_t bestOrder = 0;
  auto consider = [&](const std::string& key, bool confirmed) {
    for (auto [at, end] = FByKey.equal_range(key); at != end; ++at) {
      const TEntry& entry = FEntries.at(at->second);
      if ((best && entry.Order >= bestOrder) || !(confirmed || SameFile(entry.Path, path))) continue;
      best = at->second;
      bestOrder = entry.Order;
    }
  };
  consider("p" + path, true);  // the same spelling: no need to look on disk
  if (best) return best;
  for (const std::string& key : IdentityKeys(path)) consider(key, false);
  return best;
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
