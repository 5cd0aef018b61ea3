#include "vlm_JournalHash.h"

#include <algorithm>

#include "vlm_Resources.h"
#include "vlm_Types.h"
#include "xml_functions.h"

TJournalHash::~TJournalHash() {
  // Destruction runs at exit: whatever fails, every other journal is still written and freed.
  try {
    SaveAll();
  } catch (...) {
  }
}

TXMLParser* TJournalHash::OpenJournal(const std::string& path) {
  for (const auto& document : FDocuments)
    if (document->FileName == path) return document.get();

  auto document = std::make_unique<TXMLParser>();
  document->LoadFromFile(path);
  if (document->Status == xrCannotOpen && !PathExists(path)) {
    // A missing file starts as a new empty journal, so the next save creates a valid file.
    document->Root = std::make_unique<TXMLNode>();
    document->Parameters = std::make_unique<TXMLParameters>();
  } else if (document->Status != xrOk) {
    // Writing back what was read would replace the user's file with a part of it.
    FUnreadable.push_back(document.get());
  }
  EnsureJournalRoot(*document);
  FDocuments.push_back(std::move(document));
  return FDocuments.back().get();
}

TXMLParser* TJournalHash::RegisterJournal(std::unique_ptr<TXMLParser> document) {
  if (!document) return nullptr;
  FDocuments.push_back(std::move(document));
  return FDocuments.back().get();
}

std::vector<TJournalSaveFailure> TJournalHash::SaveAll() {
  std::vector<TJournalSaveFailure> failures;
  for (const auto& document : FDocuments) {
    if (!IsWritable(document.get())) continue;
    // Copy: SaveToFile assigns FileName from its argument.
    const std::string fileName = document->FileName;
    try {
      document->SaveToFile(fileName);
    } catch (const EInOutError& error) {
      failures.push_back({error.FileName, error.Reason});
    } catch (const std::exception& error) {
      failures.push_back({fileName, error.what()});
    }
  }
  return failures;
}

void TJournalHash::ReleaseAll() {
  FUnreadable.clear();
  FDocuments.clear();
}

bool TJournalHash::IsWritable(const TXMLParser* document) const {
  return document != nullptr && std::find(FUnreadable.begin(), FUnreadable.end(), document) == FUnreadable.end();
}

std::vector<const TXMLParser*> TJournalHash::Unreadable() const { return FUnreadable; }

void EnsureJournalRoot(TXMLParser& document) {
  if (!document.Parameters) document.Parameters = std::make_unique<TXMLParameters>();
  if (!document.Root) document.Root = std::make_unique<TXMLNode>();
  if (!document.Root->Name.empty()) return;
  document.Root->Name = std::string(tagJournal);
  document.Root->Kind = nkElement;
  if (document.Parameters->DocType.Text.empty()) document.Parameters->DocType.Text = std::string(litJournalDocType);
}
