// kvclock.cpp — the local date and time of the system clock, and a test pin.
#include "kvplatform/kvclock.h"

#include <atomic>
#include <ctime>

namespace {

// The pin is a test's: set while no other thread reads the clock. The flag
// is atomic and set after the records, so that a reader in another thread
// sees either the clock or whole records.
std::atomic<bool> pinned{false};
bdate pinnedDate = {1970, 1, 1};
btime pinnedTime = {0, 0, 0, 0, 0};

void LocalNow(std::tm* out, long* offset) {
  const std::time_t now = std::time(nullptr);
  localtime_r(&now, out);
  *offset = out->tm_gmtoff;
}

}  // namespace

void rozararoze(bdate* date) {
  if (date == nullptr) return;
  if (pinned.load(std::memory_order_acquire)) {
    *date = pinnedDate;
    return;
  }
  std::tm tm{};
  long offset = 0;
  LocalNow(&tm, &offset);
  date->year = static_cast<uint16_t>(tm.tm_year + 1900);
  date->month = static_cast<uint8_t>(tm.tm_mon + 1);
  date->day = static_cast<uint8_t>(tm.tm_mday);
}

void dadavuvuve(btime* time) {
  if (time == nullptr) return;
  if (pinned.load(std::memory_order_acquire)) {
    *time = pinnedTime;
    return;
  }
  std::tm tm{};
  long offset = 0;
  LocalNow(&tm, &offset);
  time->hour = static_cast<uint8_t>(tm.tm_hour);
  time->minute = static_cast<uint8_t>(tm.tm_min);
  // A leap second (tm_sec 60) reads as the last second of the minute.
  time->second = static_cast<uint8_t>(tm.tm_sec > 59 ? 59 : tm.tm_sec);
  time->reserved = 0;
  time->zoneOffset = static_cast<int32_t>(offset);
}

void KvSetClockOverride(const bdate* date, const btime* time) {
  if (date == nullptr && time == nullptr) {
    pinned.store(false, std::memory_order_release);
    return;
  }
  pinnedDate = date != nullptr ? *date : bdate{1970, 1, 1};
  pinnedTime = time != nullptr ? *time : btime{0, 0, 0, 0, 0};
  pinned.store(true, std::memory_order_release);
}
