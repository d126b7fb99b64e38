// kvbyteorder.h — one value at a time between memory and a stored byte
// order, inline, with the same rule as the conversion routines of kvbase.h.
#ifndef KVPLATFORM_KVBYTEORDER_H
#define KVPLATFORM_KVBYTEORDER_H

#include <bit>
#include <cstdint>
#include <cstring>

#include "kvplatform/kvbase.h"

// True when values of `format` have their bytes reversed relative to this
// host's memory layout.
inline bool KvFormatNeedsSwap(uint8_t format) {
  return KvFormatIsMsbFirst(format) == (std::endian::native == std::endian::little);
}

constexpr uint16_t KvByteSwap(uint16_t v) { return __builtin_bswap16(v); }
constexpr uint32_t KvByteSwap(uint32_t v) { return __builtin_bswap32(v); }
constexpr uint64_t KvByteSwap(uint64_t v) { return __builtin_bswap64(v); }

// The unsigned value of sizeof(U) bytes at `p` (any alignment) in `format`.
template <typename U>
inline U KvLoadBits(const void* p, uint8_t format) {
  U v;
  std::memcpy(&v, p, sizeof(U));
  return KvFormatNeedsSwap(format) ? KvByteSwap(v) : v;
}

// Writes `v` at `p` in `format`.
template <typename U>
inline void KvStoreBits(void* p, U v, uint8_t format) {
  if (KvFormatNeedsSwap(format)) v = KvByteSwap(v);
  std::memcpy(p, &v, sizeof(U));
}

#endif  // KVPLATFORM_KVBYTEORDER_H
