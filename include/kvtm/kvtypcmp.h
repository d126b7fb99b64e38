// kvtypcmp.h — the compare function contract and the number compare functions.
#ifndef KVTM_KVTYPCMP_H
#define KVTM_KVTYPCMP_H

#include "kvtm/export.h"

// Status codes of a compare function (its last argument).
enum : int {
  // The bytes given end before the comparison was decided; the result holds
  // what was decided so far and the caller must compare the full values.
  KvCMP_INCOMPLETE = 2101,
  // A cut-down stored string is longer than an index key may be; result -1.
  KvCMP_KEY_TOO_LONG = -2999,
};

// Compare operator bits: the `op` of a compare function, and of an
// evaluator's relation word, where they combine with its KvREL_ bits
// (KvREL_EQUAL | KvCMP_IGNORE_CASE; constants, not enumerators, so that
// this draws no warning). The number types ignore them.
inline constexpr unsigned short KvCMP_EXACT = 0x0010;           // wildcards in operand 2 compare as plain values
inline constexpr unsigned short KvCMP_IGNORE_CASE = 0x0020;     // 'a' equals 'A'
inline constexpr unsigned short KvCMP_IGNORE_ACCENTS = 0x0040;  // 'e' equals 'é'
inline constexpr unsigned short KvCMP_SKIP_SPACES = 0x0080;     // spaces and control characters left out
inline constexpr unsigned short KvCMP_SIMPLE = 0x0100;          // full weights in one pass: no levels, no wildcards
inline constexpr unsigned short KvCMP_SKIP_SYMBOLS = 0x0200;    // punctuation and symbols left out

// Format byte flag: the stored form is an index key (Translate's target or
// source, DiskLenGet's format), not a record.
inline constexpr unsigned char KvFORMAT_KEY = 0x80;

// Compares two runs of `count` values of one type.
//   format   exactly 8: live values in memory; any other value: a stored
//            format (2 most significant byte first, else least first).
//   length1, length2  bytes available at values1, values2; 0 means count
//            times the element size.
//   op       compare operator; the number types ignore it.
//   status   set to 0, or to KvCMP_INCOMPLETE when a further element lies
//            beyond a buffer (the result then holds what was decided).
// Returns <0, 0 or >0; only the sign counts. count 0 returns 0 and reads
// nothing. An element is read only when it lies wholly within its buffer.
typedef long (*KvTypeCmpFunc)(unsigned char format, unsigned long length1, void* values1,
                              unsigned long length2, void* values2, unsigned short op,
                              unsigned long count, int& status);

// The number compare functions return exactly -1, 0 or 1 and order every
// type totally. Floating point: a NaN orders first, below -infinity, and
// equals every NaN whatever its sign and payload; +0 and -0 are equal.
KVTM_EXPORT long CharCompare(unsigned char format, unsigned long length1, void* values1,
                             unsigned long length2, void* values2, unsigned short op,
                             unsigned long count, int& status);  // signed bytes
KVTM_EXPORT long ByteCompare(unsigned char format, unsigned long length1, void* values1,
                             unsigned long length2, void* values2, unsigned short op,
                             unsigned long count, int& status);  // unsigned bytes
KVTM_EXPORT long ShortCompare(unsigned char format, unsigned long length1, void* values1,
                              unsigned long length2, void* values2, unsigned short op,
                              unsigned long count, int& status);
KVTM_EXPORT long WordCompare(unsigned char format, unsigned long length1, void* values1,
                             unsigned long length2, void* values2, unsigned short op,
                             unsigned long count, int& status);  // unsigned 16-bit
KVTM_EXPORT long IntCompare(unsigned char format, unsigned long length1, void* values1,
                            unsigned long length2, void* values2, unsigned short op,
                            unsigned long count, int& status);  // int and enum
KVTM_EXPORT long UnsignedCompare(unsigned char format, unsigned long length1, void* values1,
                                 unsigned long length2, void* values2, unsigned short op,
                                 unsigned long count, int& status);
KVTM_EXPORT long LongCompare(unsigned char format, unsigned long length1, void* values1,
                             unsigned long length2, void* values2, unsigned short op,
                             unsigned long count, int& status);  // signed 32-bit
KVTM_EXPORT long DwordCompare(unsigned char format, unsigned long length1, void* values1,
                              unsigned long length2, void* values2, unsigned short op,
                              unsigned long count, int& status);  // KvDWord, BlockId
KVTM_EXPORT long FloatCompare(unsigned char format, unsigned long length1, void* values1,
                              unsigned long length2, void* values2, unsigned short op,
                              unsigned long count, int& status);  // float, d_Interval
KVTM_EXPORT long DoubleCompare(unsigned char format, unsigned long length1, void* values1,
                               unsigned long length2, void* values2, unsigned short op,
                               unsigned long count, int& status);

// Strings in memory (format 8) or in a stored form that may be cut short,
// as index keys are. An index key (code set 254) against text compares
// with the orders of that text's own key. A result with status 0 is the
// whole values' own. Where a cut key, or one marked as standing for a
// longer text, runs out before anything decided, the whole values may
// order either way: result 0, status KvCMP_INCOMPLETE, and the caller
// compares the whole values. A cut text of more than 253 bytes: status
// KvCMP_KEY_TOO_LONG and -1. The compare operator's collation bits apply
// (case, accents, skipped spaces and symbols, '*' and '?' in operand 2).
KVTM_EXPORT long StringCompare(unsigned char format, unsigned long length1, void* values1,
                               unsigned long length2, void* values2, unsigned short op,
                               unsigned long count, int& status);
// The same for the legacy table, whose elements may be in the plain form
// (8-bit text without code set and language).
KVTM_EXPORT long LegacyStringCompare(unsigned char format, unsigned long length1, void* values1,
                                     unsigned long length2, void* values2, unsigned short op,
                                     unsigned long count, int& status);

// The insensitive string types: count KvIString (KvCaseIString) objects in
// memory form, or one stored block of count texts in any other format. A
// text whose attribute byte (the block's marker) has bit 0x80 is a key: its
// bytes are weights. Unless op has 0x0010 or 0x0100:
//   - '*', '?' and '\\' make operand 2 a pattern ('\\' escapes the next
//     character; \n, \r, \t are control characters): 0 when operand 1
//     matches, else the order of operand 1 against the text before the
//     first of them, or 1 when it begins with that text;
//   - otherwise texts of equal weights are ordered by their bytes.
// Status KvCMP_INCOMPLETE: a cut text (its block ends after its buffer)
// leaves the result open, where the rest could turn it: more characters, a
// star that makes operand 2 a pattern, or, but for the block's last text,
// just its zero (a buffer that lacks only the block's last byte holds
// every text whole; in a block of keys, a text before the last whose zero
// is the buffer's last byte may be whole or a key cut there); a further
// element is missing; a key and a text
// are ordered (a key cannot tell accents and bytes); or a key operand 1
// meets a pattern other than stars alone (KvIStringCompare then gives 0).
// KvCMP_KEY_TOO_LONG, result -1: a cut operand 2 holds more than 253 bytes
// of text.
KVTM_EXPORT long KvIStringCompare(unsigned char format, unsigned long length1, void* values1,
                                  unsigned long length2, void* values2, unsigned short op,
                                  unsigned long count, int& status);
// As KvIStringCompare, with the KvCaseIString weights (case does not
// count). Texts order as their index keys do: by the weights without
// accents first; only texts whose weights are equal to the end are ordered
// by their accents (an accented letter after its base letter; not when one
// side is a key), then by their bytes: "e" < "é" < "éa" < "ez". A cut text
// whose weights are equal so far leaves the order open. A text that does
// not match a pattern is ordered by the weights of the text before its
// first pattern character, then by the accents there. A key operand 1 is
// matched against a pattern (the result comes with KvCMP_INCOMPLETE).
KVTM_EXPORT long KvCaseIStringCompare(unsigned char format, unsigned long length1,
                                      void* values1, unsigned long length2, void* values2,
                                      unsigned short op, unsigned long count, int& status);

// The date and time types: count objects in memory form (format 8),
// ordered by the value class's own comparison (a difference of any size),
// or count stored elements, ordered field by field with results -1, 0, 1:
//   DateCompare         KvDate, 4 bytes: year signed, month, day
//   d_DateCompare       d_Date, 4 bytes: year unsigned, month, day
//   TimeCompare         KvTime, 3 bytes: hour, minute, second as unsigned
//                       bytes (in memory they are signed)
//   DaTimeCompare       KvDateTime, 7 bytes (8 in memory): year signed,
//                       month, day, hour, minute, second
//   d_TimeCompare       d_Time, 6 bytes in stored order: zone hour, zone
//                       minute, hour, minute, second, hundredths
//   d_TimestampCompare  d_Timestamp, 10 bytes: the d_Date, then the d_Time
// Years are read in the format's byte order; single bytes are signed
// unless said otherwise. Unless op has KvCMP_EXACT, the stored dates of
// KvDate, d_Date and d_Timestamp take wildcards from operand 2: year -1
// matches every year; month 0xFF and day 0xFF match every month and day;
// month 0xFF alone orders by the days, day 0xFF alone by the months.
// The common walk applies: a further element beyond a buffer stops the
// walk with KvCMP_INCOMPLETE.
KVTM_EXPORT long DateCompare(unsigned char format, unsigned long length1, void* values1,
                             unsigned long length2, void* values2, unsigned short op,
                             unsigned long count, int& status);
KVTM_EXPORT long TimeCompare(unsigned char format, unsigned long length1, void* values1,
                             unsigned long length2, void* values2, unsigned short op,
                             unsigned long count, int& status);
KVTM_EXPORT long DaTimeCompare(unsigned char format, unsigned long length1, void* values1,
                               unsigned long length2, void* values2, unsigned short op,
                               unsigned long count, int& status);
KVTM_EXPORT long d_DateCompare(unsigned char format, unsigned long length1, void* values1,
                               unsigned long length2, void* values2, unsigned short op,
                               unsigned long count, int& status);
KVTM_EXPORT long d_TimeCompare(unsigned char format, unsigned long length1, void* values1,
                               unsigned long length2, void* values2, unsigned short op,
                               unsigned long count, int& status);
KVTM_EXPORT long d_TimestampCompare(unsigned char format, unsigned long length1,
                                    void* values1, unsigned long length2, void* values2,
                                    unsigned short op, unsigned long count, int& status);

// KvInt64: count values in memory form (format 8) or stored, 8 bytes each
// (the low word, then the high word, each in the format's byte order),
// ordered as signed 64-bit integers; -1, 0 or 1. The common walk applies:
// a further element beyond a buffer stops the walk with KvCMP_INCOMPLETE.
KVTM_EXPORT long Int64Compare(unsigned char format, unsigned long length1, void* values1,
                              unsigned long length2, void* values2, unsigned short op,
                              unsigned long count, int& status);
// KvBoolean values, one byte each in every format, by their truth: false
// orders before true, every non-zero byte is true. Results -1, 0, 1; the
// common walk (KvCMP_INCOMPLETE when a further element lies beyond a
// buffer).
KVTM_EXPORT long BooleanCompare(unsigned char format, unsigned long length1, void* values1,
                                unsigned long length2, void* values2, unsigned short op,
                                unsigned long count, int& status);

// Blobs: count KvBlob objects in memory form (format 8; the common walk:
// a nonzero length admits only the objects wholly within it), or one stored
// block (a 32-bit total, then per element a 32-bit length and its bytes) in
// any other format. Pairs are ordered by KvBlob::operator!= (bytes
// unsigned, then the shorter first) until one differs; results -1, 0, 1. A
// stored length of 0 means the bytes the block's total gives (total + 4).
// Stored bytes are read only within the lengths; a difference within the
// bytes both hold is final. Where they end first (a length field, or data
// of the shorter element, beyond a buffer) the result is 0 with
// KvCMP_INCOMPLETE. A negative length field counts as 0.
KVTM_EXPORT long BlobCompare(unsigned char format, unsigned long length1, void* values1,
                             unsigned long length2, void* values2, unsigned short op,
                             unsigned long count, int& status);

#endif  // KVTM_KVTYPCMP_H
