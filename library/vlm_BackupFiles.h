#pragma once
// The files of the dated backups in the library's `backups/` folder, by their names:
//   STEM-YYYY-MM-DD-HHMMSS.xml.zst                        a whole version (zstd)
//   STEM-YYYY-MM-DD-HHMMSS.from-YYYY-MM-DD-HHMMSS.xml.zst  a version kept as its difference from
//                                                         the whole one of the second time
//   STEM-YYYY-MM-DD-HHMMSS.xml.gz                         a whole version (gzip, kept by earlier
//                                                         versions of the program; still read)
// (local time of the keeper's clock). Only regular files count: a pipe or link of such a name is
// never listed, so nothing ever opens it.
#include <ctime>
#include <string>
#include <vector>

// One backup of a file, as found in the folder.
struct TBackupFile {
  std::string Path;  // native (UTF-8)
  std::time_t Time = 0;
  std::string Base;  // a difference: the path of the whole version it was taken from; else empty
};

// The part of a backup's name that names its file: the file name without its last extension.
std::string BackupStem(const std::string& nativePath);
// The time of a stamp "YYYY-MM-DD-HHMMSS" (local time), or -1.
std::time_t ParseBackupStamp(const std::string& stamp);
// "STEM-YYYY-MM-DD-HHMMSS.xml.zst" for the local time of `when`.
std::string BackupName(const std::string& stem, std::time_t when);
// "STEM-YYYY-MM-DD-HHMMSS.from-YYYY-MM-DD-HHMMSS.xml.zst": `when` kept as a difference from the
// whole version of `base`.
std::string DifferenceName(const std::string& stem, std::time_t when, std::time_t base);
// The backups of `stem` in `folder` (native, ending in "/"), oldest first.
std::vector<TBackupFile> ListBackups(const std::string& folder, const std::string& stem);
// Of the backups made at `times`, those thinning removes at `now`: every backup of the last
// 24 hours stays, then the newest of each hour until two days, the newest of each day until 30
// days, then the newest of each month.
std::vector<std::time_t> BackupsToThin(std::vector<std::time_t> times, std::time_t now);
// The files of `backups` that thinning removes at `now`; a whole version stays as long as a
// difference that stays was taken from it.
std::vector<std::string> BackupFilesToThin(const std::vector<TBackupFile>& backups, std::time_t now);
