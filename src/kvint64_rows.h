// kvint64_rows.h — what the KvInt64 row, its compare function and its
// evaluator share: the stored form of one value and its texts (internal).
//
// Directives of the texts: %S, %d, %i decimal; %o octal after a "0"; %x,
// %X hexadecimal after "0x", "0X" (digits a-f, A-F). A negative value is
// "-" and its magnitude.
#ifndef KVTM_SRC_KVINT64_ROWS_H
#define KVTM_SRC_KVINT64_ROWS_H

#include <cstddef>
#include <cstdint>

#include "kvnumber.h"
#include "kvtm/kvint64.h"

class KvTextBuffer;

// One stored value at p: 8 bytes, the low word and then the high word,
// each in the byte order of `format` (format 8: the memory form, whose
// words lie in that same order).
inline KvInt64 KvReadInt64(const void* p, uint8_t format) {
  const uint8_t* bytes = static_cast<const uint8_t*>(p);
  return KvInt64(static_cast<unsigned long>(KvReadNumber<uint32_t>(bytes, format)),
                 static_cast<long>(KvReadNumber<int32_t>(bytes + 4, format)));
}

// Appends `format` (null: "%S") to `text` with every directive replaced by
// the value. Any other character is copied; a '%' before a character that
// is no directive is copied, and so is that character.
void KvPrintInt64(KvTextBuffer& text, const KvInt64& value, const char* format);

// The value read from the first `length` bytes of `text` under `format`
// (null: "%S"), starting from `start`; nothing beyond `length` is read.
// Format and text are walked together while both have characters: each
// directive reads a number, every other format character must equal the
// next text character ('%' before a non-directive, and that character, as
// well). A number is an optional sign, a base prefix ("0x" or "0X": 16, a
// leading "0" before more digits: 8, else 10), which must agree with the
// directive (%S takes any), then at least one digit, running to the text
// character that equals the format character after the directive (or to
// the end of both). The last directive read gives the value; a text that
// ends before the first directive leaves `start`. -1 when the text does
// not match or a magnitude passes MAX (MIN's magnitude reads when
// negative).
KvInt64 KvScanInt64(const char* text, size_t length, const char* format, const KvInt64& start);

#endif  // KVTM_SRC_KVINT64_ROWS_H
