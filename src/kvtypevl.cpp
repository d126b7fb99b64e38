// kvtypevl.cpp — index evaluation: bounds, coverage and the number evaluators.
#include <algorithm>
#include <cstring>

#include "kvevaluate.h"
#include "kvistring_rows.h"
#include "kvnumber.h"
#include "kvplatform/kvassert.h"
#include "kvplatform/kvmemory.h"
#include "kvtable.h"

namespace {

uint8_t* CopyKey(const void* value, uint32_t size) {
  uint8_t* key = static_cast<uint8_t*>(KvMemAlloc(size));
  if (key != nullptr && size != 0) std::memcpy(key, value, size);
  return key;
}

}  // namespace

void KvSetBounds(KvIdxBounds* bounds, unsigned short relation, const void* value, uint32_t size) {
  if (bounds == nullptr) return;
  if (bounds->low == nullptr && (relation & KvREL_LESS) == 0) {
    bounds->low = CopyKey(value, size);
    if (bounds->low != nullptr) bounds->lowLength = static_cast<uint8_t>(size);
  }
  if (bounds->high == nullptr && (relation & KvREL_GREATER) == 0) {
    bounds->high = CopyKey(value, size);
    if (bounds->high != nullptr) bounds->highLength = static_cast<uint8_t>(size);
  }
}

double KvCoverage(unsigned short relation, double a, double b, double lo, double hi,
                  double step) {
  double covered = 0.0;
  if (relation & KvREL_GREATER) {
    const double t = b >= lo ? b : lo - step;
    if (hi - t > 0) covered += hi - t;
  }
  if (relation & KvREL_LESS) {
    const double t = a <= hi ? a : hi + step;
    if (t - lo > 0) covered += t - lo;
  }
  if (relation & KvREL_EQUAL) {
    const double width = std::min(b, hi) + step - std::max(a, lo);
    if (width > 0) covered += width;
  }
  return covered;
}

template <typename T>
float KvEvalNumber(KvIdxBounds* range, unsigned short& relation, void* value, uint8_t format,
                   uint32_t count, KvIdxBounds* bounds) {
  float estimate = 0.0f;
  if (range != nullptr && range->low != nullptr && range->high != nullptr) {
    const double v = static_cast<double>(KvReadNumber<T>(value, format));
    const double lo = static_cast<double>(KvReadNumber<T>(range->low, format));
    const double hi = static_cast<double>(KvReadNumber<T>(range->high, format));
    estimate = static_cast<float>(KvCoverage(relation, v, v, lo, hi, 1.0) / (hi - lo + 1.0));
  }
  KvSetBounds(bounds, relation, value, count * static_cast<uint32_t>(sizeof(T)));
  return estimate;
}

template float KvEvalNumber<int8_t>(KvIdxBounds*, unsigned short&, void*, uint8_t, uint32_t,
                                    KvIdxBounds*);
template float KvEvalNumber<uint8_t>(KvIdxBounds*, unsigned short&, void*, uint8_t, uint32_t,
                                     KvIdxBounds*);
template float KvEvalNumber<int16_t>(KvIdxBounds*, unsigned short&, void*, uint8_t, uint32_t,
                                     KvIdxBounds*);
template float KvEvalNumber<uint16_t>(KvIdxBounds*, unsigned short&, void*, uint8_t, uint32_t,
                                      KvIdxBounds*);
template float KvEvalNumber<int32_t>(KvIdxBounds*, unsigned short&, void*, uint8_t, uint32_t,
                                     KvIdxBounds*);
template float KvEvalNumber<uint32_t>(KvIdxBounds*, unsigned short&, void*, uint8_t, uint32_t,
                                      KvIdxBounds*);
template float KvEvalNumber<float>(KvIdxBounds*, unsigned short&, void*, uint8_t, uint32_t,
                                   KvIdxBounds*);
template float KvEvalNumber<double>(KvIdxBounds*, unsigned short&, void*, uint8_t, uint32_t,
                                    KvIdxBounds*);

// ---- KvIString and KvCaseIString ----
//
// Index keys of these types are folded texts (kvistring_rows.h), which
// order as their values do. A position on the key range is a key's first
// four weights read as a big-endian number.

namespace {

// The first element's text of a condition value: an S object in memory
// form, else a stored block, whose T bounds the text.
struct ValueText {
  const uint8_t* bytes;
  uint32_t length;
  bool folded;
};

uint32_t TextBytes(const uint8_t* text, const void* end) {
  return static_cast<uint32_t>(static_cast<const uint8_t*>(end) - text);
}

template <typename S>
ValueText TextOfValue(const void* value, uint8_t format) {
  if ((format & 8) != 0) {
    const S& v = *static_cast<const S*>(value);
    return {reinterpret_cast<const uint8_t*>(v.StrGet()), v.Len(),
            (v.AttributesGet() & KvISTR_FOLDED) != 0};
  }
  const uint8_t* block = static_cast<const uint8_t*>(value);
  const uint32_t t = KvInsensitiveLength(block, format);
  const void* zero = std::memchr(block + 3, 0, t);
  const uint32_t n = zero != nullptr ? TextBytes(block + 3, zero) : t;
  return {block + 3, n, (block[0] & KvISTR_FOLDED) != 0};
}

// The position of the first `digits` weights of `key`, filled with zero
// bytes to four.
int64_t PositionOf(const uint8_t* key, uint32_t digits) {
  int64_t position = 0;
  for (uint32_t i = 0; i < 4; ++i) position = (position << 8) | (i < digits ? key[i] : 0);
  return position;
}

// The position of a range key, `length` bytes of a stored block. A range
// key that is not in key form is folded here, so that both ends of the
// range and the value are measured alike.
template <typename S>
int64_t RangePosition(const uint8_t* key, uint8_t length, uint8_t format) {
  if (length < 4) return 0;
  const void* zero = std::memchr(key + 3, 0, length - 3u);
  const uint32_t n = zero != nullptr ? TextBytes(key + 3, zero) : length - 3u;
  uint8_t weights[4];
  const uint32_t all = KvFoldKey<S>(weights, 4, key + 3, n, (key[0] & KvISTR_FOLDED) != 0);
  return PositionOf(weights, all < 4 ? all : 4);
}

// A bound: the key block of the k weights at `key`, with one weight 0xFF
// after them when `widen` (above every weight a character has, so that the
// bound passes every key that begins with them). A key longer than an
// index key may be is cut to the longest one; an upper bound then ends in
// 0xFF, so that it still passes the value.
uint8_t* BoundKey(const uint8_t* key, uint32_t k, bool widen, bool upper, uint8_t format,
                  uint8_t* length) {
  constexpr uint32_t kMaxWeights = KvINDEX_MAX_KEYLEN - 4;
  uint32_t kept = k;
  if (k + (widen ? 1 : 0) > kMaxWeights) {
    KIVO_assert("actualLen <= KvINDEX_MAX_KEYLEN", kvSourceTypevl, __LINE__);
    widen = upper;
    kept = upper ? kMaxWeights - 1 : kMaxWeights;
  }
  const uint32_t weights = kept + (widen ? 1 : 0);
  const uint32_t size = weights + 4;
  uint8_t* bound = static_cast<uint8_t*>(KvMemAlloc(size));
  if (bound == nullptr) return nullptr;
  bound[0] = KvISTR_MARKER_KEY;
  uint16_t t = static_cast<uint16_t>(weights + 1);
  ShortStore(bound + 1, &t, format, 1);
  if (kept != 0) std::memcpy(bound + 3, key, kept);
  if (widen) bound[3 + kept] = 0xFF;
  bound[3 + weights] = 0;
  *length = static_cast<uint8_t>(size);
  return bound;
}

}  // namespace

template <typename S>
float KvEvalInsensitive(KvIdxBounds* range, unsigned short& relation, void* value,
                        uint8_t format, uint32_t, KvIdxBounds* bounds) {
  relation &= KvREL_KEEP | 0x000F;

  // Without a range the whole key space is the range.
  int64_t lo = 0;
  int64_t hi = 0xFFFFFFFF;
  if (range != nullptr && range->low != nullptr && range->high != nullptr) {
    const int64_t low = RangePosition<S>(range->low, range->lowLength, format);
    const int64_t high = RangePosition<S>(range->high, range->highLength, format);
    if (low <= high) {
      lo = low;
      hi = high;
    }
  }
  const int64_t total = hi - lo + 1;

  const ValueText text = TextOfValue<S>(value, format);
  const int32_t wild = KvFirstPatternChar<S>(text.bytes, text.length, text.folded);
  // A value that begins with a pattern character takes every key.
  if (wild == 0) {
    relation |= KvREL_WIDENED;
    return 1.0f;
  }
  uint32_t n = text.length;
  if (wild > 0) {
    relation |= KvREL_WIDENED;
    n = static_cast<uint32_t>(wild);
  }
  uint8_t key[KvINDEX_MAX_KEYLEN];
  const uint32_t k = KvFoldKey<S>(key, sizeof key, text.bytes, n, text.folded);

  // A key of fewer than four weights also stands for the keys that extend
  // it: the byte after its weights runs up to 0xFF.
  const uint32_t digits = k < 4 ? k : 4;
  const int64_t pad = digits < 4 ? int64_t{0xFF} << (8 * (3 - digits)) : 0;
  const int64_t position = std::clamp(PositionOf(key, digits), lo - 1, hi + 1);
  const int64_t positionHigh = std::clamp(PositionOf(key, digits) + pad, lo - 1, hi + 1);
  const int64_t a = position - lo + 1;
  const int64_t b = positionHigh - lo + 1;
  int64_t share = 0;
  if (relation & KvREL_LESS) share += a;
  if (relation & KvREL_GREATER) share += std::max<int64_t>(total - b, 0);
  if (relation & KvREL_EQUAL) share += 1 + b - a;

  if (bounds != nullptr) {
    if (bounds->low == nullptr && (relation & KvREL_LESS) == 0)
      bounds->low = BoundKey(key, k, false, false, format, &bounds->lowLength);
    if (bounds->high == nullptr && (relation & KvREL_GREATER) == 0)
      bounds->high = BoundKey(key, k, wild > 0, true, format, &bounds->highLength);
  }
  return static_cast<float>(static_cast<double>(share) / static_cast<double>(total));
}

template float KvEvalInsensitive<KvIString>(KvIdxBounds*, unsigned short&, void*, uint8_t,
                                            uint32_t, KvIdxBounds*);
template float KvEvalInsensitive<KvCaseIString>(KvIdxBounds*, unsigned short&, void*,
                                                uint8_t, uint32_t, KvIdxBounds*);
