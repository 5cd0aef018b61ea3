#include "vlm_Dates.h"

#include <atomic>
#include <ctime>

namespace {
std::atomic<int> gThisYear{0};  // 0: the clock's
}  // namespace

int FullYear(int yy, int thisYear) {
  const int latest = thisYear + 1;
  return latest - ((latest - yy) % 100 + 100) % 100;
}

int ThisYear() {
  if (const int set = gThisYear.load(std::memory_order_relaxed)) return set;
  const std::time_t now = std::time(nullptr);
  std::tm local {};
  localtime_r(&now, &local);
  return local.tm_year + 1900;
}

void SetThisYear(int year) { gThisYear.store(year, std::memory_order_relaxed); }
