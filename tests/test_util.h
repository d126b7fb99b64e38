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

#endif  // KVTM_TESTS_TEST_UTIL_H
