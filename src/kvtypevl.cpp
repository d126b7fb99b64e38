// kvtypevl.cpp — index evaluation: bounds, coverage and the number evaluators.
#include <algorithm>
#include <cstring>

#include "kvevaluate.h"
#include "kvnumber.h"
#include "kvplatform/kvmemory.h"

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
