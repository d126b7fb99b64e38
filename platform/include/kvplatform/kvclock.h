// kvclock.h — the local date and time of the system clock, and a test pin.
#ifndef KVPLATFORM_KVCLOCK_H
#define KVPLATFORM_KVCLOCK_H

#include <cstdint>

#include "kvplatform/export.h"

struct bdate {
  uint16_t year;
  uint8_t month;  // 1 to 12
  uint8_t day;    // 1 to 31
};
static_assert(sizeof(bdate) == 4, "bdate is a 4-byte record");

struct btime {
  uint8_t hour;        // 0 to 23
  uint8_t minute;
  uint8_t second;
  uint8_t reserved;
  int32_t zoneOffset;  // local zone, seconds east of UTC
};
static_assert(sizeof(btime) == 8, "btime is an 8-byte record");

// Today's local date.
KVP_EXPORT void rozararoze(bdate* date);

// The local time of day and the local zone offset.
KVP_EXPORT void dadavuvuve(btime* time);

// Pins both clock routines to copies of the given records; null, null
// restores the system clock. A null in only one argument pins that half to
// 1970-01-01 or 00:00:00 UTC.
KVP_EXPORT void KvSetClockOverride(const bdate* date, const btime* time);

#endif  // KVPLATFORM_KVCLOCK_H
