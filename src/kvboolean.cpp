// kvboolean.cpp — the one-byte truth value.
#include "kvtm/kvboolean.h"

KvBoolean::KvBoolean(long v) : value_(v != 0 ? 1 : 0) {}

KvBoolean& KvBoolean::operator=(long v) {
  value_ = v != 0 ? 1 : 0;
  return *this;
}

unsigned short KvBoolean::operator==(long v) const { return IsTrue() == (v != 0); }

unsigned short KvBoolean::operator==(const KvBoolean& other) const {
  return IsTrue() == other.IsTrue();
}

// A long lies below a true value only when it is not positive: that is the
// order queries were written against, so it stays, although == takes every
// non-zero v as true.
unsigned short KvBoolean::operator>(long v) const { return IsTrue() && v <= 0; }

// Another KvBoolean is taken by its truth, not its byte: a loaded byte of
// 0xFF is as true as 1, so that == and > never both hold and the order is
// the same from either side.
unsigned short KvBoolean::operator>(const KvBoolean& other) const {
  return IsTrue() && !other.IsTrue();
}

unsigned short KvBoolean::operator<(long v) const { return !(*this > v) && !(*this == v); }

unsigned short KvBoolean::operator<(const KvBoolean& other) const {
  return !(*this > other) && !(*this == other);
}
