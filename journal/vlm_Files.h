#pragma once
// Files of the library on disk: whether a path names anything, and the one description of the
// files a save could not write.
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// True when anything is at a Windows-1251 path: a file, a folder, even a link to nowhere.
bool PathExists(std::string_view cp1251Path);

// True when two Windows-1251 paths lead to one file, whatever the spelling: "./a.xml", "a//b.xml",
// an absolute path, a symbolic or hard link. Files that are there are compared by device and inode
// (looked up now: a save replaces the file and its inode); a file not there yet by the canonical
// form of the path (its existing folders resolved, "." and ".." removed).
bool SameFile(std::string_view first, std::string_view second);

// True when the file at a Windows-1251 path (a link followed) is a regular file with other names
// too (hard links): a save writes it in place, so that every name keeps showing it.
bool HasOtherNames(std::string_view cp1251Path);

// Which of many files a path names, without comparing the path with each of them (SameFile on
// every one would look each file up on disk, at every look-up). Each file is filed under its path
// as given, the canonical form of that path and, while it exists, its device and inode as they were
// when it was filed; what these keys find is confirmed with SameFile. A file is filed again after
// its inode may have changed (a save replaces the file).
class TFileIndex {
public:
  // Files `file` (any pointer that names it to the owner) under `path`, replacing its old keys.
  void File(const void* file, const std::string& path);
  void Forget(const void* file);
  void Clear();
  bool Filed(const void* file) const { return FEntries.count(file) != 0; }
  // The file filed first among those `path` names (any spelling), or nullptr.
  const void* Find(const std::string& path) const;

private:
  struct TEntry {
    std::string Path;
    std::uint64_t Order = 0;
    std::vector<std::string> Keys;
  };
  std::unordered_map<const void*, TEntry> FEntries;
  std::unordered_multimap<std::string, const void*> FByKey;
  std::uint64_t FNextOrder = 0;
};

// A file that a save could not write, and why.
struct TJournalSaveFailure {
  std::string FileName;  // Windows-1251 bytes
  std::string Reason;    // the writer's text
};

// One line per failure ("file": reason), UTF-8, for a message to the user.
std::string SaveFailureList(const std::vector<TJournalSaveFailure>& failures);
