// kvevaluate.h — arithmetic shared by the index evaluators (internal).
#ifndef KVTM_SRC_KVEVALUATE_H
#define KVTM_SRC_KVEVALUATE_H

#include <cstdint>

#include "kvtm/kvtypevl.h"

// Fills the bounds that are still null from the first `size` bytes of
// `value`: low unless the relation has KvREL_LESS, high unless it has
// KvREL_GREATER. A key whose allocation fails stays null.
void KvSetBounds(KvIdxBounds* bounds, unsigned short relation, const void* value, uint32_t size);

// Measure of the part of [lo, hi] that the relation bits select against a
// value standing for the positions [a, b] (a == b for an exact value).
double KvCoverage(unsigned short relation, double a, double b, double lo, double hi,
                  double step);

// The evaluator of a number row whose values are of type T (int8_t for
// char, uint8_t for KvByte, ... float, double): the value and the range keys
// are read as T in the condition's format, the estimate is the coverage of
// the value over (hi - lo + 1), and the bounds copy count elements. Without a
// range the estimate is 0. Instantiated for the eight number types.
template <typename T>
float KvEvalNumber(KvIdxBounds* range, unsigned short& relation, void* value, uint8_t format,
                   uint32_t count, KvIdxBounds* bounds);

// The evaluators of the KvString rows: the standard table's (values and
// keys in the header form) and the legacy table's (the plain form).
float KvEvalString(KvIdxBounds* range, unsigned short& relation, void* value, uint8_t format,
                   uint32_t count, KvIdxBounds* bounds);
float KvEvalLegacyString(KvIdxBounds* range, unsigned short& relation, void* value,
                         uint8_t format, uint32_t count, KvIdxBounds* bounds);

#endif  // KVTM_SRC_KVEVALUATE_H
