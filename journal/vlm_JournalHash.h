#pragma once
// The registry of loaded journal documents, one per file: two spellings of a path are one journal.
#include <memory>
#include <string>
#include <vector>

#include "vlm_DocumentState.h"
#include "vlm_Files.h"
#include "xml_mainUnit.h"

class TJournalHash {
public:
  TJournalHash() = default;
  // Writes every journal by the rules of its state, then frees them. An owner that must tell the
  // user about failures and backups calls SaveAll and ReleaseAll first; here they are not reported.
  ~TJournalHash();
  TJournalHash(const TJournalHash&) = delete;
  TJournalHash& operator=(const TJournalHash&) = delete;

  // The registered document of the file at `path` (any spelling of it: see SameFile), or none.
  TXMLParser* Find(const std::string& path) const;
  // The registered document of the file at `path` (any spelling), or a new one loaded from it. A missing file
  // gives a new empty journal. Every document handed out has a journal root; StateOf tells how
  // its file was read.
  TXMLParser* OpenJournal(const std::string& path);
  // The same for a document already read from the file at `path` (elsewhere, see TJournalReadAhead).
  TXMLParser* AdoptJournal(const std::string& path, std::unique_ptr<TXMLParser> document);
  // Appends a document built in memory (a new journal); returns it.
  TXMLParser* RegisterJournal(std::unique_ptr<TXMLParser> document);
  // Writes every journal in registration order by the rules of its state (vlm_DocumentState.h),
  // whatever fails; returns the failures and the backups made.
  TSaveReport SaveAll();

  // Frees every document without writing it: for an owner that has just written them all (or was
  // told by the user to leave the failed ones), so that destruction does not write them again.
  void ReleaseAll();

  // How the document's file was read; a document that is not registered reads as whole.
  const TDocumentState& StateOf(const TXMLParser* document) const;
  // The same, to be kept up to date by a save; a document that is not registered gets a scratch state.
  TDocumentState& MutableStateOf(const TXMLParser* document);
  // True for a journal whose file is there but could not be read at all: it is only viewed, never
  // written, and nothing may be added to it. StateOf(document).Reason says why.
  bool IsReadOnly(const TXMLParser* document) const { return StateOf(document).ReadOnly(); }
  // Looks the document's file up again for Find, after a save or a read may have replaced it.
  void Refile(const TXMLParser* document);
  // The registered document whose root is `root`, or none.
  const TXMLParser* DocumentOfRoot(const TXMLNode* root) const;

  const std::vector<std::unique_ptr<TXMLParser>>& Documents() const { return FDocuments; }

private:
  std::vector<std::unique_ptr<TXMLParser>> FDocuments;
  std::vector<TDocumentState> FStates;  // by the index of the document
  TFileIndex FFiles;  // the documents by their files, for Find
};

// Gives a document that has no journal root (a new one, or one whose root could not be read)
// an empty `velmora` root; a document without any prologue also gets the journal's document type.
void EnsureJournalRoot(TXMLParser& document);
