#pragma once
// The registry of loaded journal documents, keyed by file path (exact bytes).
#include <memory>
#include <string>
#include <vector>

#include "vlm_Files.h"
#include "xml_mainUnit.h"

class TJournalHash {
public:
  TJournalHash() = default;
  // Writes every writable journal, then frees them. An owner that must tell the user about
  // failures calls SaveAll and ReleaseAll first; whatever fails here is not reported.
  ~TJournalHash();
  TJournalHash(const TJournalHash&) = delete;
  TJournalHash& operator=(const TJournalHash&) = delete;

  // The registered document for this exact path, or a new one loaded from it. A missing file
  // gives a new empty journal; a file that could not be read whole is marked not writable.
  // Every document handed out has a journal root.
  TXMLParser* OpenJournal(const std::string& path);
  // Appends a document built in memory (a new journal); returns it.
  TXMLParser* RegisterJournal(std::unique_ptr<TXMLParser> document);
  // Writes every writable journal in registration order, whatever fails; returns the failures.
  std::vector<TJournalSaveFailure> SaveAll();

  // Frees every document without writing it: for an owner that has just written them all (or was
  // told by the user to leave the failed ones), so that destruction does not write them again.
  void ReleaseAll();

  // False for a journal whose file exists but could not be read whole: it is never written.
  bool IsWritable(const TXMLParser* document) const;
  // The journals that are not written, in registration order.
  std::vector<const TXMLParser*> Unreadable() const;

  const std::vector<std::unique_ptr<TXMLParser>>& Documents() const { return FDocuments; }

private:
  std::vector<std::unique_ptr<TXMLParser>> FDocuments;
  std::vector<const TXMLParser*> FUnreadable;
};

// Gives a document that has no journal root (a new one, or one whose root could not be read)
// an empty `velmora` root; a document without any prologue also gets the journal's document type.
void EnsureJournalRoot(TXMLParser& document);
