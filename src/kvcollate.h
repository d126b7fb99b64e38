// kvcollate.h — the collation engine that every string comparison, search
// and sort of the library ends in (internal).
#ifndef KVTM_SRC_KVCOLLATE_H
#define KVTM_SRC_KVCOLLATE_H

#include <cstdint>

#include "kvtm/kvtypcmp.h"

// The public compare operator bits, as the engine reads them.
enum : uint16_t {
  KvCMP_OP_EXACT = KvCMP_EXACT,                    // '*' and '?' in operand 2 are plain characters
  KvCMP_OP_IGNORE_CASE = KvCMP_IGNORE_CASE,
  KvCMP_OP_IGNORE_ACCENTS = KvCMP_IGNORE_ACCENTS,
  KvCMP_OP_SKIP_SPACES = KvCMP_SKIP_SPACES,        // orders 1 to 0x4F
  KvCMP_OP_SIMPLE = KvCMP_SIMPLE,                  // full weights, no levels, no wildcards
  KvCMP_OP_SKIP_SYMBOLS = KvCMP_SKIP_SYMBOLS,      // orders 0x50 to 0x3EFF
};

// One operand: its code set (0: native; both 0 selects the byte path), its
// language and its zero-terminated text (null: missing).
struct KvCollateText {
  uint8_t codeSet;
  uint8_t language;
  const char* text;
  // Bytes readable at `text` (its buffer's size), or 0 when unknown; lets
  // the engine read several bytes at a time without passing the buffer.
  uint32_t bytes = 0;
  // The text goes on beyond what `text` holds (a cut index key): its end
  // is not an end, and a comparison that reaches it is undecided.
  bool cut = false;
};

// Which level decided a comparison.
enum KvCollateLevel : int {
  KvLEVEL_EQUAL = 0,
  KvLEVEL_PRIMARY = 1,
  KvLEVEL_ACCENT = 2,
  KvLEVEL_CASE = 3,
  KvLEVEL_PUNCTUATION = 4,
  KvLEVEL_BYTES = 5,     // the byte path
  KvLEVEL_WILDCARD = 6,  // the pattern could not be matched
  KvLEVEL_UNDECIDED = 7, // a cut text ran out first: the whole texts may order either way
};

// Orders text 1 against text 2, whose '*' and '?' are wildcards unless
// `op` has the exact bit. `limit` counts characters (0: result 0 at once;
// negative: no limit; callers pass the 16-bit limits they are given, and
// string search passes pattern lengths beyond 32767); `unitFormat` is how 16-bit units lie (2: most significant
// byte first). Returns <0, 0, >0. When `primary` is given and the operator
// skips spaces, it receives the primary difference reached while neither
// text went past the limit. `level`, when given, receives the deciding
// level, KvLEVEL_UNDECIDED when a cut text ran out before a difference
// between elements present on both sides, or a match, decided (the result
// is then what the texts present give). Allocates nothing but the restart
// candidates of a '*'.
long KvCollate(const KvCollateText& a, const KvCollateText& b, uint16_t op, int32_t limit,
               uint8_t unitFormat, long* primary, int* level);

// Orders two whole index keys of class `cls` (neither cut nor marked) in
// place: `bytes1` and `bytes2` bytes of 16-bit order units in `unitFormat`,
// ended by a zero unit or by the bytes. Gives in `result` exactly what
// KvCollate gives for the keys under `op`, and true; false, with nothing
// decided, where the keys hold what the general walk must weigh (ignorable
// orders where they can matter, the unit that closes a marked key). `op`
// is exact without the insensitive or simple bits, or it takes wildcards
// (without the simple bit), and key 2 is then a prefix ended by a '*'.
bool KvCollateKeys(const uint8_t* key1, uint32_t bytes1, const uint8_t* key2, uint32_t bytes2,
                   uint8_t cls, uint16_t op, uint8_t unitFormat, long* result);

// KvCollate without its fast path (the plain walk from the order table and
// the skip of an identical start): the general walk alone, with the same
// results. For the checks that hold the two against each other.
long KvCollateGeneral(const KvCollateText& a, const KvCollateText& b, uint16_t op, int32_t limit,
                      uint8_t unitFormat, long* primary, int* level);

// Index of the first '*' (or '?', unless `starOnly`) among the first
// `limit` characters of the text (-1: all), or -1. `byteOffset`, when
// given, receives the wildcard's offset in bytes.
int16_t KvFindWildcard(const KvCollateText& t, bool starOnly, int32_t limit,
                       uint32_t* byteOffset, uint8_t unitFormat);

// The collation orders of '*' and '?' (looked up once per process).
uint16_t KvStarOrder();
uint16_t KvQuestionOrder();

#endif  // KVTM_SRC_KVCOLLATE_H
