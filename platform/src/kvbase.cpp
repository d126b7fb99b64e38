// kvbase.cpp — number conversion between memory form and stored byte orders.
#include "kvplatform/kvbase.h"

#include <cstddef>
#include <cstring>

#include "kvplatform/kvbyteorder.h"

namespace {

// Copies or byte-reverses `count` units of type U. The per-unit memcpy
// keeps unaligned buffers legal and compiles to plain loads and stores, so
// the swap loop vectorises and the straight case is one memcpy.
template <typename U>
uint32_t Convert(void* target, const void* source, uint8_t format, uint32_t count) {
  const size_t bytes = static_cast<size_t>(count) * sizeof(U);
  if (!KvFormatNeedsSwap(format)) {
    if (bytes != 0 && target != source) std::memmove(target, source, bytes);
    return static_cast<uint32_t>(bytes);
  }
  unsigned char* t = static_cast<unsigned char*>(target);
  const unsigned char* s = static_cast<const unsigned char*>(source);
  for (size_t i = 0; i < count; ++i) {
    U v;
    std::memcpy(&v, s + i * sizeof(U), sizeof(U));
    v = KvByteSwap(v);
    std::memcpy(t + i * sizeof(U), &v, sizeof(U));
  }
  return static_cast<uint32_t>(bytes);
}

}  // namespace

uint32_t CharStore(void* target, void* source, uint8_t format, uint32_t count) {
  if (count != 0 && target != source) std::memmove(target, source, count);
  return count;
}

uint32_t ShortStore(void* target, void* source, uint8_t format, uint32_t count) {
  return Convert<uint16_t>(target, source, format, count);
}

uint32_t LongStore(void* target, void* source, uint8_t format, uint32_t count) {
  return Convert<uint32_t>(target, source, format, count);
}

uint32_t FloatStore(void* target, void* source, uint8_t format, uint32_t count) {
  return Convert<uint32_t>(target, source, format, count);
}

uint32_t DoubleStore(void* target, void* source, uint8_t format, uint32_t count) {
  return Convert<uint64_t>(target, source, format, count);
}

uint32_t IntStore(void* stored, void* values, uint8_t format, uint32_t count) {
  return Convert<uint32_t>(stored, values, format, count);
}

uint32_t IntLoad(void* values, void* stored, uint8_t format, uint32_t count) {
  return Convert<uint32_t>(values, stored, format, count);
}

uint32_t UnsignedStore(void* stored, void* values, uint8_t format, uint32_t count) {
  return Convert<uint32_t>(stored, values, format, count);
}

uint32_t UnsignedLoad(void* values, void* stored, uint8_t format, uint32_t count) {
  return Convert<uint32_t>(values, stored, format, count);
}

uint32_t CharSizeGet(void*, uint8_t, uint8_t, uint32_t count) { return count; }
uint32_t ShortSizeGet(void*, uint8_t, uint8_t, uint32_t count) { return count * 2; }
uint32_t LongSizeGet(void*, uint8_t, uint8_t, uint32_t count) { return count * 4; }
uint32_t IntSizeGet(void*, uint8_t, uint8_t, uint32_t count) { return count * 4; }
uint32_t FloatSizeGet(void*, uint8_t, uint8_t, uint32_t count) { return count * 4; }
uint32_t DoubleSizeGet(void*, uint8_t, uint8_t, uint32_t count) { return count * 8; }

uint32_t CharNullSizeGet(uint32_t count) { return count; }
uint32_t ShortNullSizeGet(uint32_t count) { return count * 2; }
uint32_t LongNullSizeGet(uint32_t count) { return count * 4; }
uint32_t IntNullSizeGet(uint32_t count) { return count * 4; }
uint32_t FloatNullSizeGet(uint32_t count) { return count * 4; }
uint32_t DoubleNullSizeGet(uint32_t count) { return count * 8; }
