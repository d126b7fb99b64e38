// Helpers shared by the test files. The standard headers they need (fixed
// width integers, the C string and memory routines, strings, vectors) and
// the library's own header come with this one, which the test files
// include instead of repeating them.
#ifndef KVTM_TESTS_TEST_UTIL_H
#define KVTM_TESTS_TEST_UTIL_H

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>
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

// Two byte strings one after the other; the sign of a compare's result;
// the text of an 8-bit KvString.
inline Bytes operator+(Bytes a, const Bytes& b) { return a.insert(a.end(), b.begin(), b.end()), a; }
inline int Sign(long v) { return (v > 0) - (v < 0); }
inline std::string Text(const KvString& s) { return std::string(s.StrGet(), s.Len()); }
// A KvInt64 built from its two words, which a 32-bit long holds as well.
inline KvInt64 Of(int64_t v) { return KvInt64(static_cast<unsigned long>(static_cast<uint32_t>(v)), static_cast<long>(static_cast<int32_t>(v >> 32))); }

// The bytes written in hexadecimal, two digits a byte ("00 32" or "0032").
inline Bytes Hex(const char* text) {
  Bytes out;
  for (const char* p = text; *p != 0; p += *p == ' ' ? 1 : 2)
    if (*p != ' ') out.push_back(static_cast<uint8_t>(std::strtoul(std::string(p, 2).c_str(), nullptr, 16)));
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
  ~Bounds() { KvMemFree(low), KvMemFree(high); }
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
struct ReportCounter {
  ReportCounter() { reportCount = 0; }
  ~ReportCounter() { KvSetAssertHandler(previous_); }
  int Count() const { return reportCount; }
  KvAssertHandler previous_ = KvSetAssertHandler(CountReport);
};

// While alive: string overflows are reported too, and counted.
struct OverflowCounter : ReportCounter {
  OverflowCounter() { DefaultConfig(KV_CONFIG_CURRENT)->Set("debug", "stringOverflow", 1); }
  ~OverflowCounter() { DefaultConfig(KV_CONFIG_CURRENT)->Set("debug", "stringOverflow", 0); }
};

// While alive (or until End): after `successes` more allocations every
// KvMemAlloc fails, and the memory handler returns instead of aborting, so
// the caller sees the failure; calls counts its calls, lastSize the size
// of the last.
struct AllocFailure {
  explicit AllocFailure(int32_t successes = 0) { calls = 0; KvSetAllocFailure(successes); }
  ~AllocFailure() { End(); }
  void End() { KvSetAllocFailure(-1); KvSetMemoryHandler(previous); }
  static int Note(unsigned long size) { lastSize = size; ++calls; return 0; }
  inline static int calls = 0;
  inline static unsigned long lastSize = 0;
  KvMemoryHandler previous = KvSetMemoryHandler(Note);
};

#endif  // KVTM_TESTS_TEST_UTIL_H
