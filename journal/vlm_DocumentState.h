#pragma once
// How a library or journal file was read, and the rules for writing it back:
// - read whole (or not there yet): written as it is;
// - read in part (a damaged file): before its first write the original bytes are kept beside it as
//   NAME.damaged-YYYYMMDD-HHMMSS, then it is written; when no backup can be made, it is not written;
// - there but not readable at all (no permission, a folder, a link to nowhere): never written;
// - not there (missing): written only once something was put into it (the library says when), and
//   never over a file that appeared at its name meanwhile without keeping that file beside it.
#include <ctime>
#include <string>
#include <vector>

#include "vlm_Files.h"

class TXMLParser;

enum TReadState { rsWhole, rsPartial, rsUnreadable };

struct TDocumentState {
  TReadState Read = rsWhole;
  std::string Reason;  // UTF-8: why the file was not read whole; empty when it was
  std::string Backup;  // Windows-1251: the backup kept of the partly read file, once made
  bool Missing = false;  // the file was not there when read (and has not been written since)
  bool ReadOnly() const { return Read == rsUnreadable; }
};

// What a save did besides writing: the files it could not write, and the backups it made.
struct TSaveReport {
  std::vector<TJournalSaveFailure> Failures;
  struct TBackup {
    std::string FileName;  // Windows-1251
    std::string Backup;    // Windows-1251
  };
  std::vector<TBackup> Backups;
  // Files that appeared at the name of a journal read as missing, kept beside it before it was
  // written: the file, and where its bytes are now.
  std::vector<TBackup> Appeared;
  void Append(TSaveReport other);
};

// The state of a document just loaded from `path`. A file that is not there is whole (new).
// Removes the partial copy that a backup killed part-way left beside the file (SaveByState too).
TDocumentState StateAfterLoad(const TXMLParser& document, const std::string& path);

// Writes `document` to its FileName by the rules of its state, recording failures and backups in
// `report`. Never raises for a write that fails. `keepLinks`: the file has other names (hard
// links), which keep showing it: it is written in place (TXMLParser::SaveToFile).
void SaveByState(TXMLParser& document, TDocumentState& state, TSaveReport& report, bool keepLinks = false);

// Keeps the present bytes of the file at `path` beside it as PATH.damaged-YYYYMMDD-HHMMSS (local
// time of `now`; "-2", "-3", ... is added when the name is taken, so no file is ever replaced).
// The copy is flushed to disk before it gets its name. Returns the backup's path (Windows-1251);
// raises EInOutError when no backup could be made.
std::string BackUpDamagedFile(const std::string& path, std::time_t now);

// Keeps the present bytes of the file at `path` (which another program changed while this one holds
// changes of its own) beside it as NAME.conflict-YYYYMMDD-HHMMSS.EXT, by the same rules. Returns the
// copy's path (Windows-1251); raises EInOutError when none could be made.
std::string KeepConflictCopy(const std::string& path, std::time_t now);

// Writes `document`'s text beside the file at `path` as NAME.conflict-YYYYMMDD-HHMMSS.EXT, by the
// same rules (nothing is ever replaced): the open version of a file another program removed.
// Returns the copy's path (Windows-1251); raises EInOutError when none could be made.
std::string KeepOpenVersionBeside(const TXMLParser& document, const std::string& path, std::time_t now);

// Why the file at `path` cannot be read, for the user (UTF-8).
std::string WhyNotReadable(const std::string& path);
