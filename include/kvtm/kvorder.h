// kvorder.h — collation order values explained: the symbol or digit an
// order encodes, its description in words, and a representative 8-bit
// character.
//
// An order value, as KvStringIterator::GetNextOrder yields it:
//   0 to 79          space (13: the undefined ordering indicator)
//   80 to 16127      symbol number order - 80
//   16128 to 16383   digit (order & ~1 - 16128) / 10; bit 0: expanded form
//   16384 to 32767   letter: bits 12-13 case (0 upper), 7-11 accent,
//                    2-6 letter index (3 'A' ... 28 'Z'), 0-1 extension
//   32768 and above  a Han character
// A class byte of 20 or more marks a Han character whatever the value.
#ifndef KVTM_KVORDER_H
#define KVTM_KVORDER_H

#include "kvtm/export.h"

class KvString;

// The result of the extractors for an order of another class.
enum : int { KvORDER_WRONG_CLASS = -2002 };

// The symbol number of a symbol order (symbol := order - 80); else
// KvORDER_WRONG_CLASS with `symbol` unchanged.
KVTM_EXPORT int KvExtractSymbolFromOrder(unsigned short order, unsigned short& symbol);

// The digit of a digit order and its expanded bit; else KvORDER_WRONG_CLASS
// with both unchanged.
KVTM_EXPORT int KvExtractDigitFromOrder(unsigned short order, unsigned short& digit,
                                        unsigned short& expanded);

// `text` becomes the order described in English words, in the default
// 8-bit code set: "space" ("undefined ordering indicator" for 13), "symbol "
// and the symbol's name ("symbol full stop"; nothing after "symbol " when
// the symbol has no name), "digit 3" (" with expand" for the expanded
// form), "upper letter A" or "lower letter a" then " with " and the accent's
// name ("accent acute"; nothing for an accent number above 14) and " with
// extension" when the extension bits are set; "HAN character 0x8000\n"
// (newline included). The letter is the byte index + 62 in upper case,
// index + 94 in lower case, for every index: 'A' to 'Z' for 3 to 28, and
// ASCII characters around them for the others ("upper letter >" for 0,
// "upper letter [" for 29, where Danish puts AE). Returns 0.
KVTM_EXPORT int KvConvertOrderToString(unsigned short order, unsigned char cls, KvString& text);

// `ch` becomes a representative Windows-1252 character of the order: ' ' for
// a space, the symbol's character ('.' for a named symbol that has no ASCII
// one, '7' for a symbol without a name), '0' + digit, the letter (as in the
// text form: '>' for index 0, '[' for 29), 127 for a Han character. With `exact`
// nonzero an accented letter becomes the first of the characters 128 to 255
// whose order (neutral language) is exactly `order`, or stays the plain
// letter when none is; only then, and when `notation` is not null,
// `*notation` is set to the character's accent notation ("\\'e" for e acute,
// "\\AE", "" for characters below 192). In every other case `*notation` is
// left as it was, so a caller that starts it at null can tell. Returns 0.
KVTM_EXPORT int KvConvertOrderToChar(unsigned short order, unsigned char cls, unsigned char& ch,
                                     int exact, const char** notation);

#endif  // KVTM_KVORDER_H
