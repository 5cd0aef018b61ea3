#pragma once
// While the program writes its files it is busy, not stuck: the signal handler
// (app/vlm_SignalClose) never ends it then, however many signals come, so a save is never cut
// off half way. Read from a signal handler, hence a lock-free counter.
#include <atomic>

inline std::atomic<int> gWritingFiles{0};
static_assert(std::atomic<int>::is_always_lock_free);

// Counts as writing for the life of the object.
class TWritingFiles {
public:
  TWritingFiles() { gWritingFiles.fetch_add(1); }
  ~TWritingFiles() { gWritingFiles.fetch_sub(1); }
  TWritingFiles(const TWritingFiles&) = delete;
  TWritingFiles& operator=(const TWritingFiles&) = delete;
};
