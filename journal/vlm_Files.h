#pragma once
// Files of the library on disk: whether a path names anything, and the one description of the
// files a save could not write.
#include <string>
#include <string_view>
#include <vector>

// True when anything is at a Windows-1251 path: a file, a folder, even a link to nowhere.
bool PathExists(std::string_view cp1251Path);

// A file that a save could not write, and why.
struct TJournalSaveFailure {
  std::string FileName;  // Windows-1251 bytes
  std::string Reason;    // the writer's text
};

// One line per failure ("file": reason), UTF-8, for a message to the user.
std::string SaveFailureList(const std::vector<TJournalSaveFailure>& failures);
