#include "vlm_JournalHash.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "vlm_Resources.h"
#include "vlm_Types.h"
#include "xml_functions.h"

namespace {

std::string DescribeFailures(const std::vector<TJournalSaveFailure>& failures) {
  return res::Format(res::MsgSaveFailed, {SaveFailureList(failures)});
}

// True when something exists at the path (a file, a folder, even a dangling link), i.e. the
// load failed for another reason than a missing file.
bool PathExists(const std::string& cp1251Path) {
  std::error_code error;
  const auto status = std::filesystem::symlink_status(NativePath(cp1251Path), error);
  return !error && status.type() != std::filesystem::file_type::not_found;
}

}  // namespace

std::string SaveFailureList(const std::vector<TJournalSaveFailure>& failures) {
  std::string list;
  for (const TJournalSaveFailure& failure : failures) {
    if (!list.empty()) list += '\n';
    list += res::Format(res::MsgSaveFailureItem, {Cp1251ToUtf8(failure.FileName), failure.Reason});
  }
  return list;
}

EJournalSaveError::EJournalSaveError(std::vector<TJournalSaveFailure> failures)
    : std::runtime_error(DescribeFailures(failures)), Failures(std::move(failures)) {}

TJournalHash::~TJournalHash() {
  // Destruction runs at exit: whatever fails, every other journal is still written and freed.
  try {
    std::vector<TJournalSaveFailure> failures = TrySaveAll();
    if (!failures.empty() && OnDestroyFailures) OnDestroyFailures(failures);
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
    document->Root = std::make_unique<TXMLNode>(std::string(tagJournal));
    document->Parameters = std::make_unique<TXMLParameters>();
    document->Parameters->DocType.Text = std::string(litJournalDocType);
  } else if (document->Status != xrOk) {
    // Writing back what was read would replace the user's file with a part of it.
    FUnreadable.push_back(document.get());
  }
  FDocuments.push_back(std::move(document));
  return FDocuments.back().get();
}

TXMLParser* TJournalHash::RegisterJournal(std::unique_ptr<TXMLParser> document) {
  if (!document) return nullptr;
  FDocuments.push_back(std::move(document));
  return FDocuments.back().get();
}

void TJournalHash::SaveAll() {
  std::vector<TJournalSaveFailure> failures = TrySaveAll();
  if (!failures.empty()) throw EJournalSaveError(std::move(failures));
}

std::vector<TJournalSaveFailure> TJournalHash::TrySaveAll() {
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
