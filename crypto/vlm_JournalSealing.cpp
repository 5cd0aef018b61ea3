#include "vlm_JournalSealing.h"

#include "vlm_Sealed.h"
#include "vlm_SealedStream.h"

namespace {
std::string Text(TSealError e) { return e == seOk ? std::string() : SealErrorText(e); }

class TWriter : public TXMLSealWriter {
public:
  TWriter(int fd, const TLibraryKey& key) : FWriter(fd, key) {}
  bool Write(std::string_view plain) override { return FWriter.Write(plain); }
  bool Finish() override { return FWriter.Finish(); }

private:
  TSealWriter FWriter;
};
class TReader : public TXMLOpenReader {
public:
  TReader(int fd, const TLibraryKey& key) : FReader(fd, key) {}
  std::string Begin() override {
    const TSealError e = FReader.Begin();
    return Text(e == seNotSealed ? seFoundPlain : e);
  }
  std::ptrdiff_t Read(char* to, std::size_t n) override { return FReader.Read(to, n); }
  std::string Error() const override { return Text(FReader.Error()); }

private:
  TSealReader FReader;
};
}  // namespace

std::string TJournalSealing::CheckForm(std::string_view head) const { return Text(ExpectSealed(head, Seals())); }

std::string TJournalSealing::Open(std::string_view sealed, std::string& plain) const {
  const TSealError e = OpenSealed(sealed, FKey, plain);
  return Text(e == seNotSealed ? seFoundPlain : e);
}

std::string TJournalSealing::Seal(std::string_view plain, std::string& sealed) const {
  return Text(::Seal(plain, FKey, sealed));
}

std::unique_ptr<TXMLSealWriter> TJournalSealing::Writer(int fd) const { return std::make_unique<TWriter>(fd, FKey); }

std::unique_ptr<TXMLOpenReader> TJournalSealing::Reader(int fd) const { return std::make_unique<TReader>(fd, FKey); }
