#include "xml_sealing.h"

#include <atomic>

namespace {
// Read by the threads that load journals while the window's thread logs in or changes the key.
std::atomic<std::shared_ptr<const TXMLSealing>> gSealing;
}  // namespace

void SetSealing(std::shared_ptr<const TXMLSealing> sealing) { gSealing.store(std::move(sealing)); }

std::shared_ptr<const TXMLSealing> CurrentSealing() { return gSealing.load(); }

void WipeText(std::string& s) noexcept {
  s.resize(s.capacity());  // within the capacity: every byte the buffer held is reached
  volatile char* p = s.data();
  for (std::size_t i = 0; i < s.size(); ++i) p[i] = 0;
  s.clear();
}
