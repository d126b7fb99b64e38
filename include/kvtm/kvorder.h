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

// `text` becomes the order described in English words ("upper letter A with
// accent acute", "symbol full stop", "digit 3 with expand", "space", "HAN
// character 0x8000\n"). Returns 0.
KVTM_EXPORT int KvConvertOrderToString(unsigned short order, unsigned char cls, KvString& text);

// `ch` becomes a representative 8-bit character of the order: the letter,
// digit or symbol ('7' for a symbol without one), ' ' for a space, 127 for a
// Han character. With `exact` nonzero an accented letter becomes the first
// Windows-1252 character of that exact order, and `*notation` (when
// `notation` is not null) its accent notation ("\\'e" for e acute; "" for
// characters below 192). Returns 0.
KVTM_EXPORT int KvConvertOrderToChar(unsigned short order, unsigned char cls, unsigned char& ch,
                                     int exact, const char** notation);

#endif  // KVTM_KVORDER_H
