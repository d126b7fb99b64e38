// kvboolean.h — a one-byte truth value.
#ifndef KVTM_KVBOOLEAN_H
#define KVTM_KVBOOLEAN_H

#include <cstdint>

#include "kvtm/export.h"

// One byte: 0 is false, anything else true. Values the library makes hold
// 0 or 1; a byte loaded from a database may hold any other non-zero value
// and is true like 1.
//
// The comparisons with a long are those databases were queried with: v is
// true for == when non-zero, but only v <= 0 lies below a true value, so a
// true value is both == -3 and > -3. Between two KvBoolean values false
// orders before true and every true byte is equal.
class KVTM_EXPORT KvBoolean {
 public:
  // False.
  KvBoolean() : value_(0) {}
  // 1 when v is non-zero, else 0.
  KvBoolean(long v);
  KvBoolean& operator=(long v);

  // 1 when both are true or both are false.
  unsigned short operator==(long v) const;
  unsigned short operator==(const KvBoolean& other) const;
  // 1 when this is true and v <= 0 (the other false).
  unsigned short operator>(long v) const;
  unsigned short operator>(const KvBoolean& other) const;
  // 1 when neither > nor == holds.
  unsigned short operator<(long v) const;
  unsigned short operator<(const KvBoolean& other) const;

 private:
  bool IsTrue() const { return value_ != 0; }

  uint8_t value_;
};

static_assert(sizeof(KvBoolean) == 1, "a KvBoolean is its one byte in memory and stored");

#endif  // KVTM_KVBOOLEAN_H
