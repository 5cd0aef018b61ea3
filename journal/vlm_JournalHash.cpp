#include "vlm_JournalHash.h"

#include "vlm_Types.h"

TJournalHash::~TJournalHash() {
  // Destruction runs at exit: whatever fails, every other journal is still written and freed.
  try {
    SaveAll();
  } catch (...) {
  }
}

TXMLParser* TJournalHash::Find(const std::string& path) const {
  // The index holds only documents of this registry: the cast gives back what was filed.
  return const_cast<TXMLParser*>(static_cast<const TXMLParser*>(FFiles.Find(path)));
}

void TJournalHash::Refile(const TXMLParser* document) {
  if (FFiles.Filed(document)) FFiles.File(document, document->FileName);
}

TXMLParser* TJournalHash::OpenJournal(const std::string& path) {
  if (TXMLParser* open = Find(path)) return open;
  auto document = std::make_unique<TXMLParser>();
  document->LoadFromFile(path);
  return AdoptJournal(path, std::move(document));
}

TXMLParser* TJournalHash::AdoptJournal(const std::string& path, std::unique_ptr<TXMLParser> document) {
  if (!document) {  // never an empty document in place of the file's
    document = std::make_unique<TXMLParser>();
    document->LoadFromFile(path);
  }
  TDocumentState state = StateAfterLoad(*document, path);
  if (document->Status == xrCannotOpen && state.Read == rsWhole) {
    // A missing file starts as a new empty journal, so the next save creates a valid file.
    document->Root = std::make_unique<TXMLNode>();
    document->Parameters = std::make_unique<TXMLParameters>();
  }
  EnsureJournalRoot(*document);
  FFiles.File(document.get(), path);
  FDocuments.push_back(std::move(document));
  FStates.push_back(std::move(state));
  return FDocuments.back().get();
}

TXMLParser* TJournalHash::RegisterJournal(std::unique_ptr<TXMLParser> document) {
  if (!document) return nullptr;
  FFiles.File(document.get(), document->FileName);
  FDocuments.push_back(std::move(document));
  FStates.emplace_back();
  return FDocuments.back().get();
}

TSaveReport TJournalHash::SaveAll() {
  TSaveReport report;
  for (std::size_t i = 0; i < FDocuments.size(); ++i) {
    SaveByState(*FDocuments[i], FStates[i], report, HasOtherNames(FDocuments[i]->FileName));
    FFiles.File(FDocuments[i].get(), FDocuments[i]->FileName);
  }
  return report;
}

void TJournalHash::ReleaseAll() {
  FFiles.Clear();
  FStates.clear();
  FDocuments.clear();
}

const TDocumentState& TJournalHash::StateOf(const TXMLParser* document) const {
  static const TDocumentState whole;
  for (std::size_t i = 0; i < FDocuments.size(); ++i)
    if (FDocuments[i].get() == document) return FStates[i];
  return whole;
}

TDocumentState& TJournalHash::MutableStateOf(const TXMLParser* document) {
  static TDocumentState scratch;
  for (std::size_t i = 0; i < FDocuments.size(); ++i)
    if (FDocuments[i].get() == document) return FStates[i];
  scratch = {};
  return scratch;
}

const TXMLParser* TJournalHash::DocumentOfRoot(const TXMLNode* root) const {
  for (const auto& document : FDocuments)
    if (document->Root.get() == root) return document.get();
  return nullptr;
}

void EnsureJournalRoot(TXMLParser& document) {
  if (!document.Parameters) document.Parameters = std::make_unique<TXMLParameters>();
  if (!document.Root) document.Root = std::make_unique<TXMLNode>();
  if (!document.Root->Name.empty()) return;
  document.Root->Name = std::string(tagJournal);
  document.Root->Kind = nkElement;
  if (document.Parameters->DocType.Text.empty()) document.Parameters->DocType.Text = std::string(litJournalDocType);
}
