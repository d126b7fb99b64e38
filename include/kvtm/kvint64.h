// kvint64.h — KvInt64, a signed 64-bit integer held as two 32-bit words.
#ifndef KVTM_KVINT64_H
#define KVTM_KVINT64_H

#include <cstdint>

#include "kvtm/export.h"

class KvString;

// A signed 64-bit integer, -9223372036854775808 (MIN) to
// 9223372036854775807 (MAX): the value is high * 2^32 + low, two's
// complement. Its stored form is the low word and then the high word, each
// in the format's byte order.
//
// Arithmetic: addition, subtraction, multiplication, negation and shifts
// wrap modulo 2^64, as two's-complement arithmetic does. Division truncates
// toward zero; the remainder is that of the magnitudes, negative exactly when
// the operands' signs differ (-7 % 2 and 7 % -2 are -1, -7 % -2 is 1), as the
// type has always computed it. Where plain integer arithmetic has no result:
//   x / 0 is 0 and x % 0 is x;
//   MIN / -1 is MIN (the quotient wraps) and MIN % -1 is 0;
//   -MIN and Abs(MIN) are MIN (its magnitude has no positive counterpart).
//
// The arguments of type long, unsigned long and int are 32-bit quantities,
// as on the platform the type was made for: a long or an int is narrowed to
// 32 bits and sign-extended, an unsigned long narrowed to 32 bits with high
// word 0. So KvInt64(long(1) << 40) is 0 on a 64-bit host; build values
// beyond 32 bits from their two words.
class KVTM_EXPORT KvInt64 {
 public:
  // 0.
  KvInt64() : low_(0), high_(0) {}
  KvInt64(const KvInt64& other) = default;
  KvInt64(long v) : KvInt64(static_cast<int32_t>(v)) {}
  KvInt64(int v) : low_(static_cast<uint32_t>(v)), high_(v < 0 ? -1 : 0) {}
  KvInt64(unsigned long v) : low_(static_cast<uint32_t>(v)), high_(0) {}
  // high * 2^32 + low, each word narrowed to 32 bits.
  KvInt64(unsigned long low, long high)
      : low_(static_cast<uint32_t>(low)), high_(static_cast<int32_t>(high)) {}
  // The integer part of d rounded to seven significant digits (as "%E"
  // prints it): 123456789.0 gives 123456800, 9999999.9 gives 10000000, 2.5
  // gives 2. |d| < 1 and NaN give 0; |d| >= 2^63 (infinities included)
  // gives MAX, or -MAX when d is negative.
  KvInt64(double d);

  KvInt64& operator=(const KvInt64& other) = default;
  KvInt64& operator=(long v) { return *this = KvInt64(v); }
  KvInt64& operator=(int v) { return *this = KvInt64(v); }
  KvInt64& operator=(unsigned long v) { return *this = KvInt64(v); }

  // The low word (bits 0 to 31) and the high word (bits 32 to 63, signed).
  uint32_t LowGet() const { return low_; }
  int32_t HighGet() const { return high_; }

  // Signed comparisons; 1 or 0.
  int operator==(const KvInt64& o) const { return low_ == o.low_ && high_ == o.high_; }
  int operator!=(const KvInt64& o) const { return !(*this == o); }
  int operator>(const KvInt64& o) const { return Signed() > o.Signed(); }
  int operator<(const KvInt64& o) const { return Signed() < o.Signed(); }
  int operator>=(const KvInt64& o) const { return Signed() >= o.Signed(); }
  int operator<=(const KvInt64& o) const { return Signed() <= o.Signed(); }

  KvInt64 operator-() const { return OfBits(0 - Bits()); }
  KvInt64 operator+(const KvInt64& o) const { return OfBits(Bits() + o.Bits()); }
  KvInt64 operator-(const KvInt64& o) const { return OfBits(Bits() - o.Bits()); }
  KvInt64 operator*(const KvInt64& o) const { return OfBits(Bits() * o.Bits()); }
  KvInt64 operator/(const KvInt64& o) const { return Division(o, 0); }
  KvInt64 operator%(const KvInt64& o) const { return Division(o, 1); }
  // n of 64 or more gives 0.
  KvInt64 operator<<(unsigned n) const { return n < 64 ? OfBits(Bits() << n) : KvInt64(); }
  // Arithmetic: the sign is copied down; n of 64 or more gives 0 or -1.
  KvInt64 operator>>(unsigned n) const {
    return OfBits(static_cast<uint64_t>(Signed() >> (n < 64 ? n : 63)));
  }
  KvInt64 operator|(const KvInt64& o) const { return OfBits(Bits() | o.Bits()); }
  KvInt64 operator&(const KvInt64& o) const { return OfBits(Bits() & o.Bits()); }
  KvInt64 operator~() const { return OfBits(~Bits()); }
  // The value, negated when below 0 (MIN stays MIN).
  KvInt64 Abs() const { return high_ < 0 ? -*this : *this; }

  // The quotient when `remainder` is 0, else the remainder (definitions
  // above).
  KvInt64 Division(const KvInt64& divisor, int remainder) const {
    const int64_t a = Signed();
    const int64_t b = divisor.Signed();
    if (b == 0) return remainder != 0 ? *this : KvInt64();
    // The one quotient that overflows; the hardware traps on it.
    if (b == -1) return remainder != 0 ? KvInt64() : -*this;
    if (remainder == 0) return OfBits(static_cast<uint64_t>(a / b));
    // a % b carries the dividend's sign; this remainder is negative when
    // the signs differ, so a negative divisor turns it over.
    const int64_t r = a % b;
    return OfBits(static_cast<uint64_t>(b < 0 ? -r : r));
  }

  // The compound forms change the value and return a copy of the new value.
  KvInt64 operator+=(const KvInt64& o) { return *this = *this + o; }
  KvInt64 operator-=(const KvInt64& o) { return *this = *this - o; }
  KvInt64 operator*=(const KvInt64& o) { return *this = *this * o; }
  KvInt64 operator/=(const KvInt64& o) { return *this = *this / o; }
  KvInt64 operator%=(const KvInt64& o) { return *this = *this % o; }
  KvInt64 operator<<=(unsigned n) { return *this = *this << n; }
  KvInt64 operator>>=(unsigned n) { return *this = *this >> n; }
  KvInt64 operator++() { return *this = *this + KvInt64(1); }
  KvInt64 operator--() { return *this = *this - KvInt64(1); }

  // Appends the value in decimal ("-" and the magnitude when negative) and
  // returns s.
  KvString& PrintToKvString(KvString& s) const;
  // The value read from s (16-bit text through its 8-bit counterpart): an
  // optional sign, then digits in base 16 after "0x" or "0X", in base 8
  // after a leading "0" other than a lone "0", else in base 10, up to the
  // end of the text. -1 when the text holds anything else or a value
  // outside the range (the magnitude of MIN reads when negative); s without
  // text leaves the value as it was.
  void ScanFromKvString(const KvString& s);

 private:
  uint64_t Bits() const { return static_cast<uint64_t>(static_cast<uint32_t>(high_)) << 32 | low_; }
  int64_t Signed() const { return static_cast<int64_t>(Bits()); }
  static KvInt64 OfBits(uint64_t bits) {
    return KvInt64(static_cast<unsigned long>(static_cast<uint32_t>(bits)),
                   static_cast<long>(static_cast<int32_t>(bits >> 32)));
  }

  uint32_t low_;
  int32_t high_;
};
static_assert(sizeof(KvInt64) == 8, "KvInt64 is the low and the high word in 8 bytes");

#endif  // KVTM_KVINT64_H
