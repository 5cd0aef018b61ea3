#pragma once
// Reading a journal's file on a thread of its own, so that the window can show before a large
// journal is read. The document is handed over only whole (read as far as its file allowed, its
// Status says how), on the thread that takes it; nothing else sees it while it is being read.
#include <atomic>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "xml_mainUnit.h"

class TJournalReadAhead {
public:
  // Starts reading the file at `path` (Windows-1251). `finished` runs on the reading thread once
  // the read has ended: it may only post to another thread.
  TJournalReadAhead(std::string path, std::function<void()> finished);
  // Waits for the read to end; a document not taken is freed unseen and never written.
  ~TJournalReadAhead();
  TJournalReadAhead(const TJournalReadAhead&) = delete;
  TJournalReadAhead& operator=(const TJournalReadAhead&) = delete;

  const std::string& Path() const { return FPath; }
  bool Finished() const { return FFinished.load(std::memory_order_acquire); }
  // Waits for the rest of the read and hands the document over; raises what the read raised (out
  // of memory). Once only: afterwards it returns nothing.
  std::unique_ptr<TXMLParser> Take();
  // After the read: the file is still the one read (same inode, size and time). A read left
  // waiting while another program changed the file is read again rather than taken.
  bool Current() const;

private:
  void Join();

  const std::string FPath;
  std::unique_ptr<TXMLParser> FDocument;
  std::exception_ptr FError;
  std::atomic<bool> FFinished{false};
  std::string FStamp;  // the file's identity and time as the read began, written by the thread
  std::thread FThread;  // last: it starts once everything it uses is there
};
