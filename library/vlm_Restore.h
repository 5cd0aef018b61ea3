#pragma once
// Bringing a dated backup (vlm_Backups.h) back: what a backup holds, read whole or refused with a
// reason, and a copy of its tree that a journal can take in place of its own (the undoable step
// is TLibrary::Restore).
#include <memory>
#include <string>

#include "vlm_BackupFiles.h"
#include "xml_mainUnit.h"

// A backup read back: its document, or why it cannot be used (UTF-8).
struct TBackupContent {
  std::unique_ptr<TXMLParser> Document;
  std::string Problem;
  int Days = 0, Dreams = 0;  // of a journal
};

// Reads a backup (vlm_BackupFiles.h) as a journal (`library`: as a library file). A file that is
// not one, is damaged (or the whole version a difference was taken from is), does not read whole
// or holds another kind of document gives a Problem and no document.
TBackupContent ReadBackup(const TBackupFile& backup, bool library);

// A copy of `root` and its subtree whose nodes and strings are its own (a loaded tree's live in
// its document), so that another document can hold it.
std::unique_ptr<TXMLNode> CopyTree(const TXMLNode& root);

// The days below a journal's root and the dreams in them.
void CountNights(const TXMLNode& root, int& days, int& dreams);
