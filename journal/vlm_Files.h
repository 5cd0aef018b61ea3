#pragma once
// Files of the library on disk: whether a path names anything, and the one description of the
// files a save could not write.
#include <string>
#include <string_view>
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

// A file that a save could not write, and why.
struct TJournalSaveFailure {
  std::string FileName;  // Windows-1251 bytes
  std::string Reason;    // the writer's text
};

// One line per failure ("file": reason), UTF-8, for a message to the user.
std::string SaveFailureList(const std::vector<TJournalSaveFailure>& failures);
