// Helpers shared by the test files.
#ifndef KVTM_TESTS_TEST_UTIL_H
#define KVTM_TESTS_TEST_UTIL_H

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <vector>

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

#endif  // KVTM_TESTS_TEST_UTIL_H
