#pragma once
// The registry of loaded journal documents, keyed by file path (exact bytes).
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "xml_mainUnit.h"

struct TJournalSaveFailure {
  std::string FileName;  // Windows-1251 bytes
  std::string Reason;    // the writer's text, as EInOutError carries it
};

// One line per failure ("file": reason), UTF-8, for a message to the user.
std::string SaveFailureList(const std::vector<TJournalSaveFailure>& failures);

// Raised by SaveAll after every writable journal was tried, when one or more failed.
class EJournalSaveError : public std::runtime_error {
public:
  explicit EJournalSaveError(std::vector<TJournalSaveFailure> failures);
  std::vector<TJournalSaveFailure> Failures;
};

class TJournalHash {
public:
  TJournalHash() = default;
  // Writes every writable journal, then frees them. Never throws: failures go to OnDestroyFailures.
  ~TJournalHash();
  TJournalHash(const TJournalHash&) = delete;
  TJournalHash& operator=(const TJournalHash&) = delete;

  // The registered document for this exact path, or a new one loaded from it. A missing file
  // gives a new empty journal; a file that could not be read whole is marked not writable.
  TXMLParser* OpenJournal(const std::string& path);
  // Appends a document built in memory (a new journal); returns it.
  TXMLParser* RegisterJournal(std::unique_ptr<TXMLParser> document);
  // Writes every writable journal in registration order; raises EJournalSaveError listing
  // every failure after trying them all.
  void SaveAll();
  // Writes every writable journal; returns the failures instead of raising.
  std::vector<TJournalSaveFailure> TrySaveAll();

  // Frees every document without writing it: for an owner that has just written them all (or was
  // told by the user to leave the failed ones), so that destruction does not write them again.
  void ReleaseAll();

  // False for a journal whose file exists but could not be read whole: it is never written.
  bool IsWritable(const TXMLParser* document) const;
  // The journals that are not written, in registration order.
  std::vector<const TXMLParser*> Unreadable() const;

  const std::vector<std::unique_ptr<TXMLParser>>& Documents() const { return FDocuments; }

  std::function<void(const std::vector<TJournalSaveFailure>&)> OnDestroyFailures;

private:
  std::vector<std::unique_ptr<TXMLParser>> FDocuments;
  std::vector<const TXMLParser*> FUnreadable;
};
