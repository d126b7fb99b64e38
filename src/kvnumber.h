// kvnumber.h — reading one number element in a format code (internal).
#ifndef KVTM_SRC_KVNUMBER_H
#define KVTM_SRC_KVNUMBER_H

#include <bit>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "kvplatform/kvbyteorder.h"

// The unsigned type of the same width as T.
template <typename T>
using KvBitsOf = std::conditional_t<
    sizeof(T) == 1, uint8_t,
    std::conditional_t<sizeof(T) == 2, uint16_t,
                       std::conditional_t<sizeof(T) == 4, uint32_t, uint64_t>>>;

// The value of type T at `p` (any alignment). Format 8 is the live memory
// form; every other format is a stored byte order, converted as the base
// routines convert it. Single bytes are the same in every format.
template <typename T>
inline T KvReadNumber(const void* p, uint8_t format) {
  using U = KvBitsOf<T>;
  U bits;
  if constexpr (sizeof(T) == 1) {
    std::memcpy(&bits, p, 1);
  } else if (format == 8) {
    std::memcpy(&bits, p, sizeof(T));
  } else {
    bits = KvLoadBits<U>(p, format);
  }
  return std::bit_cast<T>(bits);
}

#endif  // KVTM_SRC_KVNUMBER_H
