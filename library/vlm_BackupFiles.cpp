#include "vlm_BackupFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <tuple>

namespace {

constexpr std::size_t kStampSize = 17;  // YYYY-MM-DD-HHMMSS
constexpr const char* kWhole = ".xml.zst";
constexpr const char* kGzip = ".xml.gz";
constexpr const char* kFrom = ".from-";

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

std::time_t ParseBackupStamp(const std::string& stamp) {
  if (stamp.size() != kStampSize) return -1;
  for (std::size_t i = 0; i < stamp.size(); ++i) {
    const bool dash = i == 4 || i == 7 || i == 10;
    if (dash ? stamp[i] != '-' : (stamp[i] < '0' || stamp[i] > '9')) return -1;
  }
  struct tm t {};
  t.tm_year = std::stoi(stamp.substr(0, 4)) - 1900;
  t.tm_mon = std::stoi(stamp.substr(5, 2)) - 1;
  t.tm_mday = std::stoi(stamp.substr(8, 2));
  t.tm_hour = std::stoi(stamp.substr(11, 2));
  t.tm_min = std::stoi(stamp.substr(13, 2));
  t.tm_sec = std::stoi(stamp.substr(15, 2));
  t.tm_isdst = -1;
  return std::mktime(&t);
}

namespace {

std::string Stamp(std::time_t when) {
  char stamp[32];
  struct tm local {};
  ::localtime_r(&when, &local);
  std::strftime(stamp, sizeof stamp, "%Y-%m-%d-%H%M%S", &local);
  return stamp;
}

}  // namespace

std::string BackupStem(const std::string& nativePath) {
  std::string name = nativePath.substr(nativePath.rfind('/') + 1);
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  return name;
}

std::string BackupName(const std::string& stem, std::time_t when) { return stem + "-" + Stamp(when) + kWhole; }

std::string DifferenceName(const std::string& stem, std::time_t when, std::time_t base) {
  return stem + "-" + Stamp(when) + kFrom + Stamp(base) + kWhole;
}

std::vector<TBackupFile> ListBackups(const std::string& folder, const std::string& stem) {
  std::vector<TBackupFile> found;
  const std::string start = stem + "-";
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return found;
  const std::size_t fromSize = std::strlen(kFrom) + kStampSize + std::strlen(kWhole);
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name.compare(0, start.size(), start) != 0) continue;
    const std::string rest = name.substr(start.size());
    TBackupFile backup;
    if (rest.size() == kStampSize + std::strlen(kWhole) && EndsWith(rest, kWhole)) {
    } else if (rest.size() == kStampSize + std::strlen(kGzip) && EndsWith(rest, kGzip)) {
    } else if (rest.size() == kStampSize + fromSize && EndsWith(rest, kWhole) &&
               rest.compare(kStampSize, std::strlen(kFrom), kFrom) == 0) {
      const std::string base = rest.substr(kStampSize + std::strlen(kFrom), kStampSize);
      if (ParseBackupStamp(base) == -1) continue;
      backup.Base = folder + start + base + kWhole;
    } else {
      continue;
    }
    backup.Time = ParseBackupStamp(rest.substr(0, kStampSize));
    struct stat st {};
    if (backup.Time == -1 || ::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode))
      continue;
    backup.Path = folder + name;
    found.push_back(std::move(backup));
  }
  ::closedir(dir);
  std::sort(found.begin(), found.end(), [](const TBackupFile& a, const TBackupFile& b) {
    return std::tie(a.Time, a.Path) < std::tie(b.Time, b.Path);
  });
  return found;
}

namespace {
// For each of `times` (in their order), whether thinning removes it at `now`.
std::vector<bool> Thinned(const std::vector<std::time_t>& times, std::time_t now) {
  constexpr std::time_t kHour = 3600, kDay = 24 * kHour;
  std::vector<std::size_t> order(times.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  // Newest first: the newest of each hour, day or month stays.
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return times[a] > times[b]; });
  std::set<long long> hours, days, months;
  std::vector<bool> thinned(times.size(), false);
  for (const std::size_t i : order) {
    const std::time_t t = times[i], age = now - t;
    if (age <= kDay) continue;
    struct tm local {};
    ::localtime_r(&t, &local);
    const long long month = local.tm_year * 12LL + local.tm_mon;
    const long long day = month * 32 + local.tm_mday;
    const bool first = age <= 2 * kDay    ? hours.insert(day * 24 + local.tm_hour).second
                       : age <= 30 * kDay ? days.insert(day).second
                                          : months.insert(month).second;
    thinned[i] = !first;
  }
  return thinned;
}
}  // namespace

std::vector<std::time_t> BackupsToThin(std::vector<std::time_t> times, std::time_t now) {
  const std::vector<bool> thinned = Thinned(times, now);
  std::vector<std::time_t> thin;
  for (std::size_t i = 0; i < times.size(); ++i)
    if (thinned[i]) thin.push_back(times[i]);
  return thin;
}

std::vector<std::string> BackupFilesToThin(const std::vector<TBackupFile>& backups, std::time_t now) {
  std::vector<std::time_t> times;
  for (const auto& b : backups) times.push_back(b.Time);
  const std::vector<bool> thinned = Thinned(times, now);
  std::set<std::string> needed;
  for (std::size_t i = 0; i < backups.size(); ++i)
    if (!backups[i].Base.empty() && !thinned[i]) needed.insert(backups[i].Base);
  std::vector<std::string> files;
  for (std::size_t i = 0; i < backups.size(); ++i)
    if (thinned[i] && !needed.count(backups[i].Path)) files.push_back(backups[i].Path);
  return files;
}
