// kvistring_rows.h — the descriptor rows of KvIString and KvCaseIString and
// what their stored forms, compare functions and evaluators share
// (internal).
//
// Stored form: one block for all count values, a marker byte, the 16-bit
// length T of what follows, then each text and its terminator. The key form
// of an index is a block of one folded text: marker 0xC0 (bit 7: the bytes
// are weights), T = the weights of the whole text + 1, the weights as far
// as the key holds them, a terminator. A key whose T says more than its
// bytes hold is cut.
#ifndef KVTM_SRC_KVISTRING_ROWS_H
#define KVTM_SRC_KVISTRING_ROWS_H

#include <cstdint>
#include <cstring>

#include "kvplatform/kvbase.h"
#include "kvtm/kvistring.h"
#include "kvtm/kvtypcmp.h"
#include "kvtm/kvtypes.h"
#include "kvtm/kvtypevl.h"

// The marker of a key block; stored values carry 0x40 or 0x01.
enum : uint8_t { KvISTR_MARKER_KEY = 0xC0 };

// The 16-bit length T of the block at `block`, in `format`'s byte order.
inline uint32_t KvInsensitiveLength(const void* block, uint8_t format) {
  uint16_t t;
  ShortStore(&t, const_cast<uint8_t*>(static_cast<const uint8_t*>(block) + 1), format, 1);
  return t;
}

// The bytes of the stored block at `block`: `given` when the caller gave a
// length (nonzero), else the block's own extent as its T says, for a key no
// further than its terminator (a cut key's T counts weights it no longer
// holds). The caller guarantees the three header bytes.
inline uint32_t KvInsensitiveBlockBytes(const uint8_t* block, uint8_t format, uint32_t given) {
  if (given != 0) return given;
  const uint32_t t = KvInsensitiveLength(block, format);
  if ((block[0] & KvISTR_FOLDED) == 0) return t + 3;
  const void* zero = std::memchr(block + 3, 0, t);
  return zero != nullptr ? static_cast<uint32_t>(static_cast<const uint8_t*>(zero) - block) + 1
                         : t + 3;
}

// The slots of the rows of S (KvIString or KvCaseIString); kvtypes.cpp.
// Values in memory are S objects, sizeof(S) bytes apart.
template <typename S>
struct KvInsensitiveSlots {
  static void* Create(uint32_t count);
  static void* Delete(void* values, uint32_t count);
  static uint32_t Store(void* stored, void* values, uint8_t format, uint32_t count);
  static uint32_t Load(void* values, void* stored, uint8_t format, uint32_t count);
  static uint32_t NullSize(uint32_t count);
  static uint32_t Size(void* values, uint8_t valueFormat, uint8_t storedFormat, uint32_t count);
  static uint32_t FileSize(MemFile* file, uint8_t format, uint32_t count);
  static void Construct(void* values, uint32_t count, uint32_t reserved);
  static void Destruct(void* values, uint32_t count, uint32_t reserved);
  static void Assign(void* target, void* source, uint32_t count, int32_t fill);
  static void CopyConstruct(void* target, void* source, uint32_t count, int32_t fill);
  static uint32_t Translate(void* target, uint8_t targetFormat, uint32_t targetLength,
                            void* source, uint8_t sourceFormat, uint32_t sourceLength,
                            uint32_t count);
  static KvString* ToText(void* values, uint32_t count);
  static void* FromText(KvString* text, uint32_t count);
  static KvString& Print(KvString& out, void* values, const char* format, uint32_t count);
  static void* Scan(void* values, KvString& text, const char* format, uint32_t count);
};

// Writes the weights of the n bytes of `text` (the bytes themselves when
// `folded`; otherwise each primary weight, and a second weight after it
// where the character has one; accents are dropped) to `out`, at most
// `room` of them. Returns the number of weights of the whole text, which
// exceeds `room` when they did not all fit. kvtypes.cpp.
template <typename S>
uint32_t KvFoldKey(uint8_t* out, uint32_t room, const uint8_t* text, uint32_t n, bool folded);

// Offset of the first '*', '?' or '\\' among the n bytes of a pattern, or
// -1. They are looked for in the text itself: among weights, 'c' of
// KvIString weighs 0x5C, the byte of a backslash. A folded pattern has no
// text, so there the weights of the three characters are looked for.
// kvtypcmp.cpp.
template <typename S>
int32_t KvFirstPatternChar(const uint8_t* pattern, uint32_t n, bool folded);

// The evaluator of the rows of S; kvtypevl.cpp.
template <typename S>
float KvEvalInsensitive(KvIdxBounds* range, unsigned short& relation, void* value,
                        uint8_t format, uint32_t count, KvIdxBounds* bounds);

// The row of S.
template <typename S>
constexpr KvTypeDescriptor KvInsensitiveRow(const char* name, KvTypeCmpFunc compare) {
  using Slots = KvInsensitiveSlots<S>;
  return KvTypeDescriptor{name,
                          Slots::Create,
                          Slots::Delete,
                          Slots::Store,
                          Slots::Load,
                          Slots::NullSize,
                          Slots::Size,
                          Slots::FileSize,
                          compare,
                          KvEvalInsensitive<S>,
                          Slots::ToText,
                          Slots::FromText,
                          Slots::Construct,
                          Slots::Destruct,
                          Slots::Assign,
                          Slots::CopyConstruct,
                          Slots::Translate,
                          "%s",
                          Slots::Print,
                          Slots::Scan,
                          static_cast<uint16_t>(sizeof(S)),
                          0};
}

#endif  // KVTM_SRC_KVISTRING_ROWS_H
