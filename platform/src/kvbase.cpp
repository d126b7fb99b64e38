// kvbase.cpp — number conversion between memory form and stored byte orders.
#include "kvplatform/kvbase.h"

#include <cstddef>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "kvplatform/kvbyteorder.h"

namespace {

#if defined(__SSE2__)
// Reverses the bytes of each U lane of a 16-byte block: the 16-bit words
// of a lane reversed first (none for U of 16 bits), then the two bytes of
// each word. SSE2 alone has no byte shuffle; these are its cheapest steps.
template <typename U>
__m128i SwapLanes(__m128i v) {
  if constexpr (sizeof(U) == 4) {
    v = _mm_shufflelo_epi16(v, _MM_SHUFFLE(2, 3, 0, 1));
    v = _mm_shufflehi_epi16(v, _MM_SHUFFLE(2, 3, 0, 1));
  } else if constexpr (sizeof(U) == 8) {
    v = _mm_shufflelo_epi16(v, _MM_SHUFFLE(0, 1, 2, 3));
    v = _mm_shufflehi_epi16(v, _MM_SHUFFLE(0, 1, 2, 3));
  }
  return _mm_or_si128(_mm_slli_epi16(v, 8), _mm_srli_epi16(v, 8));
}
#endif

// Copies or byte-reverses `count` units of type U. Unaligned buffers are
// legal; a target that is the source itself is converted in place (each
// block is read before it is written).
template <typename U>
uint32_t Convert(void* target, const void* source, uint8_t format, uint32_t count) {
  const size_t bytes = static_cast<size_t>(count) * sizeof(U);
  if (!KvFormatNeedsSwap(format)) {
    if (bytes != 0 && target != source) std::memmove(target, source, bytes);
    return static_cast<uint32_t>(bytes);
  }
  unsigned char* t = static_cast<unsigned char*>(target);
  const unsigned char* s = static_cast<const unsigned char*>(source);
  size_t i = 0;
#if defined(__SSE2__)
  // The compiler leaves the loop below scalar (one bswap a unit); 16 bytes
  // at a time make arrays several times faster.
  for (; bytes - i >= 16; i += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(t + i), SwapLanes<U>(v));
  }
#endif
  for (; i < bytes; i += sizeof(U)) {
    U v;
    std::memcpy(&v, s + i, sizeof(U));
    v = KvByteSwap(v);
    std::memcpy(t + i, &v, sizeof(U));
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
