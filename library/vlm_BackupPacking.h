#pragma once
// The bytes of the dated backups' files (vlm_BackupFiles.h): a version packed with zstd, whole or
// as its difference from a whole one (zstd's own "patch from" form: the whole version's text is
// the reference the difference is unpacked against), and any of them, or an older gzip backup,
// unpacked again. Only regular files are read, opened without waiting (a named pipe never blocks).
#include <atomic>
#include <cstddef>
#include <functional>
#include <string>

// No backup of a journal comes near this; a larger one is not unpacked into memory.
inline constexpr std::size_t kMaxBackupText = std::size_t(1) << 30;

// The bytes of the regular file at `nativePath`, at most `limit` of them; false with `error`
// (errno; EINVAL for anything but a regular file, EFBIG above the limit).
bool ReadRegularFile(const std::string& nativePath, std::string& bytes, int& error, std::size_t limit = kMaxBackupText);

// Packs `text`, whole or (with `base`) as its difference from `base`, handing the packed bytes to
// `sink` piece by piece (false from it stops). False with `error` (errno: ECANCELED once `stop` is
// true, ENOMEM when zstd fails).
bool PackBackup(const std::string& text, const std::string* base, const std::function<bool(const char*, std::size_t)>& sink,
                const std::atomic<bool>& stop, int& error);

// The text of the backup file at `nativePath`: a whole version (zstd, or gzip by its first bytes),
// or a difference unpacked against the whole version at `basePath`. False with the reason for the
// user (UTF-8) when the file cannot be read, is of no known kind, is damaged or its whole version is.
bool UnpackBackup(const std::string& nativePath, const std::string& basePath, std::string& text, std::string& problem);
