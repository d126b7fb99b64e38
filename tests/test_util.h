// Helpers shared by the test files.
#ifndef KVTM_TESTS_TEST_UTIL_H
#define KVTM_TESTS_TEST_UTIL_H

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "kvtm/kvtm.h"

using Bytes = std::vector<uint8_t>;

// The values in this host's memory layout, back to back.
template <typename T>
Bytes MemoryOf(std::initializer_list<T> values) {
  Bytes out(values.size() * sizeof(T));
  size_t i = 0;
  for (T v : values) std::memcpy(out.data() + sizeof(T) * i++, &v, sizeof(T));
  return out;
}

// A 64-bit quantity passed where the library takes a long or an unsigned
// long: a 64-bit host passes it whole, a 32-bit host only its low 32 bits,
// and the library must treat both alike.
inline long LongOf(int64_t v) { return static_cast<long>(v); }
inline unsigned long UnsignedLongOf(uint64_t v) { return static_cast<unsigned long>(v); }

// A bounds record whose keys are freed on destruction.
struct Bounds : KvIdxBounds {
  Bounds() : KvIdxBounds{nullptr, nullptr, 0, 0} {}
  ~Bounds() {
    KvMemFree(low);
    KvMemFree(high);
  }
  Bounds(const Bounds&) = delete;
  Bounds& operator=(const Bounds&) = delete;
  Bytes Low() const { return low == nullptr ? Bytes() : Bytes(low, low + lowLength); }
  Bytes High() const { return high == nullptr ? Bytes() : Bytes(high, high + highLength); }
};

// The n bytes of a key, none for a null one.
inline Bytes Key(const uint8_t* p, uint8_t n) { return p == nullptr ? Bytes() : Bytes(p, p + n); }

// Assertion reports counted while a ReportCounter lives.
inline int reportCount = 0;
inline void CountReport(const char*, const char*, int) { ++reportCount; }

// While alive: assertion reports are counted in reportCount, from 0.
class ReportCounter {
 public:
  ReportCounter() : previous_(KvSetAssertHandler(CountReport)) { reportCount = 0; }
  ~ReportCounter() { KvSetAssertHandler(previous_); }
  ReportCounter(const ReportCounter&) = delete;
  ReportCounter& operator=(const ReportCounter&) = delete;
  int Count() const { return reportCount; }

 private:
  KvAssertHandler previous_;
};

// While alive: string overflows are reported too, and counted.
class OverflowCounter : public ReportCounter {
 public:
  OverflowCounter() { DefaultConfig(KV_CONFIG_CURRENT)->Set("debug", "stringOverflow", 1); }
  ~OverflowCounter() { DefaultConfig(KV_CONFIG_CURRENT)->Set("debug", "stringOverflow", 0); }
};

#endif  // KVTM_TESTS_TEST_UTIL_H
