// kvformat.h — number texts: reading a number from text as the C library
// reads it, in the 32-bit arithmetic of the library's texts (internal).
#ifndef KVTM_SRC_KVFORMAT_H
#define KVTM_SRC_KVFORMAT_H

#include <cstdint>

// ---- Reading a number ----
//
// Every text the library reads was written by a 32-bit program, whose long
// is 32 bits: the readers compute as that program did, whatever the host.

// Zero-terminated 8-bit text as strtol reads it with base 0 (blanks and a
// sign skipped, "0x" hexadecimal, a leading 0 octal) or, with
// `plainDecimal`, as atol reads it (base 10). A value beyond the 32-bit
// range gives INT32_MIN or INT32_MAX; text without digits gives 0.
int32_t KvTextToLong(const char* text, bool plainDecimal);

// Zero-terminated 8-bit text as atof reads it.
double KvTextToDouble(const char* text);

// 16-bit units in native order up to a zero unit, each unit u taken as a
// decimal digit: value × 10 + (u − '0'), wrapping in 32 bits. Nothing but
// the digits 0 to 9 has its meaning: a sign or a blank is a digit too.
int32_t KvUnitsToLong(const char* units);

// The units before the first '.' by the same digit rule, computed as a real
// number (no wrap), plus (u − '0') / 10^k for the k-th unit u after it.
double KvUnitsToDouble(const char* units);

#endif  // KVTM_SRC_KVFORMAT_H
