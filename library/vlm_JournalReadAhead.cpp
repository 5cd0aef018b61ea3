#include "vlm_JournalReadAhead.h"

#include <sys/stat.h>

#include <utility>

#include "xml_functions.h"

namespace {
std::string StampOf(const std::string& path) {
  struct stat st {};
  if (::stat(NativePath(path).c_str(), &st) != 0) return {};
  return std::to_string(st.st_dev) + ':' + std::to_string(st.st_ino) + ':' + std::to_string(st.st_size) + ':' +
         std::to_string(st.st_mtim.tv_sec) + '.' + std::to_string(st.st_mtim.tv_nsec);
}
}  // namespace

TJournalReadAhead::TJournalReadAhead(std::string path, std::function<void()> finished)
    : FPath(std::move(path)), FDocument(std::make_unique<TXMLParser>()) {
  FThread = std::thread([this, finished = std::move(finished)] {
    try {
      FStamp = StampOf(FPath);
      FDocument->LoadFromFile(FPath);
    } catch (...) {
      FError = std::current_exception();
    }
    FFinished.store(true, std::memory_order_release);
    try {
      if (finished) finished();
    } catch (...) {  // nothing may leave the thread; whoever waits still takes the document
    }
  });
}

TJournalReadAhead::~TJournalReadAhead() { Join(); }

void TJournalReadAhead::Join() {
  if (FThread.joinable()) FThread.join();
}

std::unique_ptr<TXMLParser> TJournalReadAhead::Take() {
  Join();  // after the join the document and the error are this thread's to read
  if (FError) {
    FDocument.reset();
    std::rethrow_exception(std::exchange(FError, nullptr));
  }
  return std::move(FDocument);
}

bool TJournalReadAhead::Current() const {
  if (!Finished()) return true;
  return StampOf(FPath) == FStamp;  // FStamp was written before FFinished was set
}
