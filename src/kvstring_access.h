// kvstring_access.h — the unit-level primitives of KvString for the
// library's own sources: characters and iterators, stored forms, string
// operations (internal).
#ifndef KVTM_SRC_KVSTRING_ACCESS_H
#define KVTM_SRC_KVSTRING_ACCESS_H

#include <cstdint>

#include "kvplatform/kvi18n.h"
#include "kvtm/kvstring.h"

// Edit modes of EditUnits.
enum : uint8_t {
  KvEDIT_OVERWRITE = 1,  // count units at the position are replaced by count source units
  KvEDIT_INSERT = 2,     // count source units go in before the position
  KvEDIT_REPLACE_TAIL = 3,  // the units from the position on are replaced by the source units
};

// Unit format 0xFF stands for the native order (format 1).
enum : uint8_t { KvUNIT_FORMAT_DEFAULT = 0xFF };

// Static forwarders to KvString's private primitives. Positions and counts
// are in units; `source` is a unit array of `sourceCodeSet` (8-bit or 16-bit
// by the code set) and may be any buffer, this string's own included.
struct KvStringAccess {
  // The edit primitive; every change of the text goes through it, and the
  // result always keeps the string's code set, width and language.
  // - OVERWRITE and INSERT with a null source, or one whose first unit of the
  //   run is zero, change nothing. REPLACE_TAIL with a null source cuts the
  //   text at the position.
  // - The source run is units [sourceStart, sourceStart + count). When its
  //   code set differs from the string's (and is not 0) or has the other
  //   width, each unit is mapped into the string's code set; else it is
  //   copied as it is.
  // - `repeat` other than 1 (REPLACE_TAIL only) writes `repeat` copies of
  //   the run's first unit; the count is then taken as 1.
  // - `unitFormat` is the byte order of the source's 16-bit units (2: most
  //   significant byte first); the string's own units stay in native order.
  // - A position beyond the units in the buffer is taken as their end, and
  //   OVERWRITE never reaches past them.
  // - A result above KvSTRING_MAX_SIZE bytes is reported (ReportOverflow)
  //   and refused: the string is left exactly as it was.
  // Otherwise a new zero-filled buffer of the exact size replaces the old.
  static void EditUnits(KvString& s, const char* source, uint8_t sourceCodeSet,
                        uint32_t position, uint32_t sourceStart, uint32_t count,
                        uint32_t repeat, uint8_t mode, uint8_t unitFormat) {
    s.EditUnits(source, sourceCodeSet, position, sourceStart, count, repeat, mode, unitFormat);
  }

  // Replaces the whole text by `count` units of `source` (KvSTRING_WHOLE:
  // up to its zero unit, measured at full width). A null source or count 0
  // leaves the string with no buffer; code set and language stay.
  static void AssignUnits(KvString& s, const char* source, uint8_t sourceCodeSet,
                          uint16_t count, uint8_t unitFormat) {
    s.AssignUnits(source, sourceCodeSet, count, unitFormat);
  }

  // Converts the zero-terminated `source` into a new zero-filled buffer in
  // `targetCodeSet` (0 on either side: the native code set), stored in *out;
  // returns its size in bytes, terminator included. The caller frees *out
  // with KvMemFree. A result above KvSTRING_MAX_SIZE bytes is not made:
  // returns 0 with *out null, and reports nothing.
  static uint16_t ConvertUnits(uint8_t sourceCodeSet, uint8_t targetCodeSet,
                               const char* source, char** out) {
    return KvString::ConvertUnits(sourceCodeSet, targetCodeSet, source, out);
  }

  // Copies `byteCount` bytes of units of `width`; 16-bit units with unit
  // format 2 are written most significant byte first. Returns the bytes
  // written. The areas must not overlap.
  static uint32_t CopyUnits(char* target, const char* source, uint8_t width,
                            uint8_t unitFormat, uint32_t byteCount) {
    return KvString::CopyUnits(target, source, width, unitFormat, byteCount);
  }

  // Takes ownership of `buffer` (from KvMemAlloc or KvMemAllocZero, or
  // null) as the string's buffer of `size` bytes, which the caller has made
  // zero-terminated within `size`; the old buffer is released. For
  // transformations that build the new text themselves.
  static void Adopt(KvString& s, char* buffer, uint16_t size) { s.Adopt(buffer, size); }

  // The buffer itself, null when the string has none (StrGet never is).
  static char* BufferGet(const KvString& s) { return s.buffer_; }

  // Sets the language label; the text is not touched.
  static void LanguageSet(KvString& s, uint8_t language) { s.language_ = language; }

  // The overflow report of a refused change: KIVO_assert when the
  // configuration asks for it, else nothing.
  static void ReportOverflow() { KvString::ReportOverflow(); }
};

// Bytes per unit of a code set: 2 above 224, else 1.
inline uint8_t KvUnitWidth(uint8_t codeSet) { return KvCodeSetIsWide(codeSet) ? 2 : 1; }

#endif  // KVTM_SRC_KVSTRING_ACCESS_H
