// kvtypevl.h — index bounds and the evaluation contract.
#ifndef KVTM_KVTYPEVL_H
#define KVTM_KVTYPEVL_H

#include <cstdint>

#include "kvtm/export.h"

// Scan bounds of an index condition, keys in the stored format of the
// condition. An evaluator fills a bound only while it is null, allocating
// the key with KvMemAlloc; the caller owns the record and frees both keys
// with KvMemFree.
struct KvIdxBounds {
  uint8_t* low;         // lower bound key, or null for unbounded below
  uint8_t* high;        // upper bound key, or null for unbounded above
  uint8_t lowLength;    // bytes at low (low 8 bits of the key length)
  uint8_t highLength;   // bytes at high
};

// Bits of the relation word of a condition.
enum : unsigned short {
  KvREL_EQUAL = 0x0001,
  KvREL_LESS = 0x0002,
  KvREL_GREATER = 0x0004,
  KvREL_WIDENED = 0x0008,  // set by an evaluator: wildcards widened to a range
  KvREL_KEEP = 0x8000,     // never changed by an evaluator
};

// The longest index key, in bytes.
enum : unsigned { KvINDEX_MAX_KEYLEN = 254 };

// Turns a condition "key relation value" into scan bounds and returns the
// estimated share of the key range it selects (normally 0 to 1).
//   range   smallest (low) and largest (high) key held in the index, or
//           null when unknown; only their first element is read.
//   value   count elements in the stored form of `format`; the first one is
//           evaluated, all count are copied into the bounds.
//   bounds  receives the bounds, or null when only the estimate is wanted.
typedef float (*KvEvalFunc)(KvIdxBounds* range, unsigned short& relation, void* value,
                            uint8_t format, uint32_t count, KvIdxBounds* bounds);

// The string rows (KvString, KvIString, KvCaseIString) through EvalAndBound:
//   relation  KvString reads the compare operator bits of kvtypcmp.h from
//             0x7FF0 of the word (KvCMP_EXACT: '*' and '?' are plain;
//             ignore case or accents: the low bound takes the smallest
//             variant, the high bound the largest; skip spaces or symbols:
//             the bounds hold none). The insensitive rows read none: '*',
//             '?' and '\\' make a pattern under any operator. Every row
//             returns the word reduced to 0x800F, with KvREL_WIDENED when
//             the value was a pattern (KvString: or a marked key of class
//             20, which stands for more text).
//   value     one whole element in the stored form of `format`, read as far
//             as its length field says. The insensitive rows also take an
//             object with format 8; KvString has no memory form here.
//   count     not read: the bounds hold one key each.
//   bounds    keys in the key form (Translate to format | KvFORMAT_KEY),
//             each sized from its own key, cut at KvINDEX_MAX_KEYLEN with a
//             KIVO_assert report (a cut high bound still lies above every
//             key it stands for); KvMemAlloc'd, freed by the caller with
//             KvMemFree. A value that begins with a pattern character sets
//             no bound: the whole index is scanned.
//   range     read for the estimate alone; the bounds do not depend on it.
// KvREL_WIDENED: the bounds were made from the text before the pattern, so
// the keys between them are candidates, not matches. They are candidates in
// any case (ignore case or accents widen without the bit): a scan compares
// every key from the low bound to the high one with the stored value under
// the condition's operator, and where that returns KvCMP_INCOMPLETE (a cut
// key; for the insensitive rows every key, as keys hold no accents or
// bytes) it compares the row's whole value instead.

// The evaluators of the date and time rows. Each first clears every bit of
// the relation word outside 0x800F, copies count stored elements into the
// bounds (KvDate and d_Date 4 bytes, KvTime 3, KvDateTime 7, d_Time 6,
// d_Timestamp 10) and returns an estimate within [0, 1]. A value's position
// is a linear index of its fields (seconds of the day for the times, day
// numbers for KvDate, minutes for KvDateTime and d_Timestamp, year, month,
// day for d_Date); a range without both keys, with a key shorter than one
// element, or whose high key lies below its low one is measured as the
// single position 0. Count 0 reads no value and returns 0.
//
// A KvDate or d_Date value (the first element) with year -1, month 0xFF or
// day 0xFF stands for every date it matches under DateCompare (every valid
// date: months 1 to 12, days of the month) or d_DateCompare (every date):
// the bounds this call makes are widened to contain all of those dates,
// and KvREL_WIDENED is set. A d_Date wildcard year widens them to the
// lowest and highest key and estimates 1. Bounds set before are kept as
// they are.
KVTM_EXPORT float KvEvalDate(KvIdxBounds* range, unsigned short& relation, void* value,
                             uint8_t format, uint32_t count, KvIdxBounds* bounds);
KVTM_EXPORT float KvEvalTime(KvIdxBounds* range, unsigned short& relation, void* value,
                             uint8_t format, uint32_t count, KvIdxBounds* bounds);
KVTM_EXPORT float KvEvalDateTime(KvIdxBounds* range, unsigned short& relation, void* value,
                                 uint8_t format, uint32_t count, KvIdxBounds* bounds);
KVTM_EXPORT float KvEvald_Date(KvIdxBounds* range, unsigned short& relation, void* value,
                               uint8_t format, uint32_t count, KvIdxBounds* bounds);
KVTM_EXPORT float KvEvald_Time(KvIdxBounds* range, unsigned short& relation, void* value,
                               uint8_t format, uint32_t count, KvIdxBounds* bounds);
KVTM_EXPORT float KvEvald_Timestamp(KvIdxBounds* range, unsigned short& relation, void* value,
                                    uint8_t format, uint32_t count, KvIdxBounds* bounds);

// The evaluator of the KvInt64 row: the value (its first element) and the
// range keys are read in their stored form, a value's position being low
// word + high word * 2^32; the estimate is the share of the range's
// positions that the relation selects, within [0, 1], and 0 without a
// range (or with a key shorter than 8 bytes, or a high key below the low
// one). The bounds copy count elements of 8 bytes.
KVTM_EXPORT float KvEvalInt64(KvIdxBounds* range, unsigned short& relation, void* value,
                              uint8_t format, uint32_t count, KvIdxBounds* bounds);
// The bool row: 0.5 when the range has both keys, else 0. The bounds copy
// count bytes; the relation word is not changed.
KVTM_EXPORT float KvEvalBool(KvIdxBounds* range, unsigned short& relation, void* value,
                             uint8_t format, uint32_t count, KvIdxBounds* bounds);
// The KvBlob row: 1.0 (blob contents tell nothing of their share); no
// bound is set and the relation word is not changed.
KVTM_EXPORT float KvEvalBlob(KvIdxBounds* range, unsigned short& relation, void* value,
                             uint8_t format, uint32_t count, KvIdxBounds* bounds);

#endif  // KVTM_KVTYPEVL_H
