#pragma once
// The form of a library's journals on disk (xml_sealing.h): sealed with the library's key, or,
// without a key, plain, with a sealed journal refused rather than read as a damaged one and then
// written over.
#include <memory>

#include "vlm_Keys.h"
#include "xml_sealing.h"

class TJournalSealing : public TXMLSealing {
public:
  TJournalSealing() = default;  // a library kept in plain
  explicit TJournalSealing(TLibraryKey key) : FKey(std::move(key)) {}

  bool Seals() const override { return !FKey.Empty(); }
  std::string CheckForm(std::string_view head) const override;
  std::string Open(std::string_view sealed, std::string& plain) const override;
  std::string Seal(std::string_view plain, std::string& sealed) const override;
  std::unique_ptr<TXMLSealWriter> Writer(int fd) const override;
  std::unique_ptr<TXMLOpenReader> Reader(int fd) const override;
  const TLibraryKey& Key() const noexcept { return FKey; }

private:
  TLibraryKey FKey;
};
