// kvtypcmp.cpp — the compare function contract and the number compare functions.
#include "kvtm/kvtypcmp.h"

#include <cstdint>
#include <cstring>
#include <type_traits>

#include "kvnumber.h"

// ---- Numbers ----

namespace {

// -1, 0 or 1; an unordered pair (a NaN on either side) orders -1.
template <typename T>
long Order(T a, T b) {
  if (a < b) return -1;
  if (a > b) return 1;
  if (a == b) return 0;
  return -1;
}

// Whether the n floating point values at p and q have the same bytes and
// p holds no exponent field of all ones (an infinity or a NaN): then every
// pair is equal. Integer operations without compares on 32-byte vectors
// (two halves on the baseline instruction set; the vectoriser will not
// take 64-bit lanes there by itself, so the vector type is spelled out).
template <typename T, bool kSwapped>
[[gnu::always_inline]] inline bool SameBytesNoSpecial(const uint8_t* p, const uint8_t* q,
                                                      uint32_t n) {
  using U = KvBitsOf<T>;
  typedef U Vector __attribute__((vector_size(32)));
  constexpr U exponent = sizeof(T) == 8 ? U(0x7FF0000000000000ull) : U(0x7F800000u);
  // The exponent bits as they lie in memory.
  constexpr U mask = kSwapped ? KvByteSwap(exponent) : exponent;
  constexpr int kTop = sizeof(U) * 8 - 1;
  // (~x & mask) is 0 exactly for an all-ones exponent and otherwise below
  // the top bit, so subtracting 1 sets the top bit only then.
  Vector differ = {};
  Vector special = {};
  const size_t bytes = static_cast<size_t>(n) * sizeof(U);
  size_t i = 0;
  for (; i + 2 * sizeof(Vector) <= bytes; i += 2 * sizeof(Vector)) {
    Vector x0, y0, x1, y1;
    std::memcpy(&x0, p + i, sizeof(Vector));
    std::memcpy(&y0, q + i, sizeof(Vector));
    std::memcpy(&x1, p + i + sizeof(Vector), sizeof(Vector));
    std::memcpy(&y1, q + i + sizeof(Vector), sizeof(Vector));
    differ |= (x0 ^ y0) | (x1 ^ y1);
    special |= (((~x0 & mask) - 1) | ((~x1 & mask) - 1)) >> kTop;
  }
  U any = 0;
  for (size_t k = 0; k < sizeof(Vector) / sizeof(U); ++k) any |= differ[k] | special[k];
  for (; i < bytes; i += sizeof(U)) {
    U x, y;
    std::memcpy(&x, p + i, sizeof(U));
    std::memcpy(&y, q + i, sizeof(U));
    any |= (x ^ y) | (((~x & mask) - 1) >> kTop);
  }
  return any == 0;
}

// The scan is the whole cost of comparing long equal arrays, so it is also
// built for AVX2, chosen when the library is loaded.
[[gnu::target_clones("avx2", "default")]] bool SameDoubles(const uint8_t* p, const uint8_t* q,
                                                            uint32_t n, bool swapped) {
  return swapped ? SameBytesNoSpecial<double, true>(p, q, n)
                 : SameBytesNoSpecial<double, false>(p, q, n);
}

[[gnu::target_clones("avx2", "default")]] bool SameFloats(const uint8_t* p, const uint8_t* q,
                                                           uint32_t n, bool swapped) {
  return swapped ? SameBytesNoSpecial<float, true>(p, q, n)
                 : SameBytesNoSpecial<float, false>(p, q, n);
}

// Index of the first of n element pairs whose values are not equal, or n.
//
// Equal bytes are equal integers in every byte order, so integers are
// found with memcmp alone. Floating point values differ from their bytes
// only at +0 / -0 (equal, other bytes) and at NaN (unequal, even to the
// same bytes), both of which have an exponent field of all zeros or all
// ones. So a block of equal bytes whose first operand has no exponent of
// all ones holds equal values; any other block is walked value by value.
template <typename T>
uint32_t FirstUnequal(const uint8_t* a, const uint8_t* b, uint32_t n, uint8_t format) {
  constexpr uint32_t kBlock = 4096 / sizeof(T);
  uint32_t i = 0;
  while (i < n) {
    const uint32_t m = n - i < kBlock ? n - i : kBlock;
    const uint8_t* p = a + static_cast<size_t>(i) * sizeof(T);
    const uint8_t* q = b + static_cast<size_t>(i) * sizeof(T);
    bool equal;
    if constexpr (std::is_integral_v<T>) {
      equal = std::memcmp(p, q, static_cast<size_t>(m) * sizeof(T)) == 0;
    } else {
      const bool swapped = format != 8 && KvFormatNeedsSwap(format);
      equal = sizeof(T) == 8 ? SameDoubles(p, q, m, swapped) : SameFloats(p, q, m, swapped);
    }
    if (!equal) {
      for (uint32_t j = 0; j < m; ++j) {
        const uint8_t* x = p + static_cast<size_t>(j) * sizeof(T);
        const uint8_t* y = q + static_cast<size_t>(j) * sizeof(T);
        if (!(KvReadNumber<T>(x, format) == KvReadNumber<T>(y, format))) return i + j;
      }
    }
    i += m;
  }
  return n;
}

// The element walk of every number compare function. Elements are
// compared in order until a pair differs; after each element, when a
// further one remains, the walk steps onto it only if it lies wholly
// within both buffers, and otherwise stops with KvCMP_INCOMPLETE (also
// when the element just compared already decided the result). Since the
// pairs before the first unequal one all compare 0 and step, the walk
// reduces to finding that pair among the elements both buffers hold.
template <typename T>
long CompareNumbers(unsigned char format, unsigned long length1, void* values1,
                    unsigned long length2, void* values2, unsigned long count, int& status) {
  // Counts and lengths are 32-bit quantities whatever the host's long.
  const uint32_t n = static_cast<uint32_t>(count);
  const uint32_t stride = sizeof(T);
  status = 0;
  if (n == 0) return 0;
  const uint32_t bytes1 = length1 != 0 ? static_cast<uint32_t>(length1) : n * stride;
  const uint32_t bytes2 = length2 != 0 ? static_cast<uint32_t>(length2) : n * stride;
  uint32_t present = n;
  if (bytes1 / stride < present) present = bytes1 / stride;
  if (bytes2 / stride < present) present = bytes2 / stride;
  const uint8_t* a = static_cast<const uint8_t*>(values1);
  const uint8_t* b = static_cast<const uint8_t*>(values2);
  const uint32_t k = FirstUnequal<T>(a, b, present, format);
  if (k == present) {
    if (present < n) status = KvCMP_INCOMPLETE;
    return 0;
  }
  const long result =
      Order(KvReadNumber<T>(a + k * stride, format), KvReadNumber<T>(b + k * stride, format));
  if (k + 1 < n && k + 1 >= present) status = KvCMP_INCOMPLETE;
  return result;
}

}  // namespace

long CharCompare(unsigned char format, unsigned long length1, void* values1,
                 unsigned long length2, void* values2, unsigned short, unsigned long count,
                 int& status) {
  return CompareNumbers<int8_t>(format, length1, values1, length2, values2, count, status);
}

long ByteCompare(unsigned char format, unsigned long length1, void* values1,
                 unsigned long length2, void* values2, unsigned short, unsigned long count,
                 int& status) {
  return CompareNumbers<uint8_t>(format, length1, values1, length2, values2, count, status);
}

long ShortCompare(unsigned char format, unsigned long length1, void* values1,
                  unsigned long length2, void* values2, unsigned short, unsigned long count,
                  int& status) {
  return CompareNumbers<int16_t>(format, length1, values1, length2, values2, count, status);
}

long WordCompare(unsigned char format, unsigned long length1, void* values1,
                 unsigned long length2, void* values2, unsigned short, unsigned long count,
                 int& status) {
  return CompareNumbers<uint16_t>(format, length1, values1, length2, values2, count, status);
}

long IntCompare(unsigned char format, unsigned long length1, void* values1,
                unsigned long length2, void* values2, unsigned short, unsigned long count,
                int& status) {
  return CompareNumbers<int32_t>(format, length1, values1, length2, values2, count, status);
}

long UnsignedCompare(unsigned char format, unsigned long length1, void* values1,
                     unsigned long length2, void* values2, unsigned short,
                     unsigned long count, int& status) {
  return CompareNumbers<uint32_t>(format, length1, values1, length2, values2, count, status);
}

long LongCompare(unsigned char format, unsigned long length1, void* values1,
                 unsigned long length2, void* values2, unsigned short, unsigned long count,
                 int& status) {
  return CompareNumbers<int32_t>(format, length1, values1, length2, values2, count, status);
}

long DwordCompare(unsigned char format, unsigned long length1, void* values1,
                  unsigned long length2, void* values2, unsigned short, unsigned long count,
                  int& status) {
  return CompareNumbers<uint32_t>(format, length1, values1, length2, values2, count, status);
}

long FloatCompare(unsigned char format, unsigned long length1, void* values1,
                  unsigned long length2, void* values2, unsigned short, unsigned long count,
                  int& status) {
  return CompareNumbers<float>(format, length1, values1, length2, values2, count, status);
}

long DoubleCompare(unsigned char format, unsigned long length1, void* values1,
                   unsigned long length2, void* values2, unsigned short, unsigned long count,
                   int& status) {
  return CompareNumbers<double>(format, length1, values1, length2, values2, count, status);
}
