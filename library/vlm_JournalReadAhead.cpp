#include "vlm_JournalReadAhead.h"

#include <utility>

TJournalReadAhead::TJournalReadAhead(std::string path, std::function<void()> finished)
    : FPath(std::move(path)), FDocument(std::make_unique<TXMLParser>()) {
  FThread = std::thread([this, finished = std::move(finished)] {
    try {
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
