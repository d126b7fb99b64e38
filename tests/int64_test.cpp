// Facts about KvInt64 values: construction from 32-bit arguments and from
// doubles, arithmetic against the compiler's own 64-bit arithmetic, the
// definitions where that arithmetic has none, and the decimal text of
// PrintToKvString and ScanFromKvString.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "kvtm/kvtm.h"
#include "test_util.h"

namespace {

constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
constexpr int64_t kMax = std::numeric_limits<int64_t>::max();

KvInt64 Of(int64_t v) {
  const uint64_t bits = static_cast<uint64_t>(v);
  return KvInt64(static_cast<unsigned long>(bits & 0xFFFFFFFFu),
                 static_cast<long>(static_cast<int32_t>(static_cast<uint32_t>(bits >> 32))));
}

int64_t ValueOf(const KvInt64& v) {
  return static_cast<int64_t>(static_cast<uint64_t>(static_cast<uint32_t>(v.HighGet())) << 32 |
                              v.LowGet());
}

// The result of an unsigned 64-bit computation, which wraps modulo 2^64
// where the signed one would overflow.
int64_t Wrapped(uint64_t v) { return static_cast<int64_t>(v); }

// Quotient and remainder where native division is defined; the library's
// definitions where it is not.
int64_t Quotient(int64_t a, int64_t b) {
  if (b == 0) return 0;
  if (a == kMin && b == -1) return kMin;
  return a / b;
}
// The remainder of the magnitudes, negative when the signs differ.
int64_t Remainder(int64_t a, int64_t b) {
  if (b == 0) return a;
  if (b == -1) return 0;
  return b < 0 ? -(a % b) : a % b;
}

// a rebuilt from its quotient and remainder: q * b + r, or q * b - r for a
// negative divisor, whose remainder is turned over.
KvInt64 Rebuilt(const KvInt64& x, const KvInt64& y) {
  return y < KvInt64(0L) ? (x / y) * y - x % y : (x / y) * y + x % y;
}

// Every operation of the class on one pair, against the references.
void CheckPair(int64_t a, int64_t b) {
  const KvInt64 x = Of(a);
  const KvInt64 y = Of(b);
  const uint64_t wa = a;
  const uint64_t wb = b;
  ASSERT_EQ(ValueOf(x + y), Wrapped(wa + wb)) << a << " + " << b;
  ASSERT_EQ(ValueOf(x - y), Wrapped(wa - wb)) << a << " - " << b;
  ASSERT_EQ(ValueOf(x * y), Wrapped(wa * wb)) << a << " * " << b;
  ASSERT_EQ(ValueOf(x / y), Quotient(a, b)) << a << " / " << b;
  ASSERT_EQ(ValueOf(x % y), Remainder(a, b)) << a << " % " << b;
  ASSERT_EQ(ValueOf(x.Division(y, 0)), Quotient(a, b));
  ASSERT_EQ(ValueOf(x.Division(y, 7)), Remainder(a, b));
  // The quotient and the remainder always agree, wrapping included.
  ASSERT_EQ(ValueOf(Rebuilt(x, y)), a) << a << " and " << b;
  ASSERT_EQ(ValueOf(x & y), a & b);
  ASSERT_EQ(ValueOf(x | y), a | b);
  ASSERT_EQ(ValueOf(~x), ~a);
  ASSERT_EQ(ValueOf(-x), Wrapped(-wa));
  ASSERT_EQ(ValueOf(x.Abs()), a < 0 ? Wrapped(-wa) : a);
  ASSERT_EQ(x == y, a == b ? 1 : 0);
  ASSERT_EQ(x != y, a != b ? 1 : 0);
  ASSERT_EQ(x < y, a < b ? 1 : 0);
  ASSERT_EQ(x > y, a > b ? 1 : 0);
  ASSERT_EQ(x <= y, a <= b ? 1 : 0);
  ASSERT_EQ(x >= y, a >= b ? 1 : 0);
}

// The same facts without gtest's assertions, which cost more than the
// operations themselves in a loop of a million pairs.
bool PairAgrees(int64_t a, int64_t b) {
  const KvInt64 x = Of(a);
  const KvInt64 y = Of(b);
  const uint64_t wa = a;
  const uint64_t wb = b;
  return ValueOf(x + y) == Wrapped(wa + wb) && ValueOf(x - y) == Wrapped(wa - wb) &&
         ValueOf(x * y) == Wrapped(wa * wb) && ValueOf(x / y) == Quotient(a, b) &&
         ValueOf(x % y) == Remainder(a, b) && ValueOf(Rebuilt(x, y)) == a &&
         ValueOf(x & y) == (a & b) && ValueOf(x | y) == (a | b) && ValueOf(~x) == ~a &&
         ValueOf(-x) == Wrapped(-wa) && (x < y) == (a < b) && (x > y) == (a > b) &&
         (x == y) == (a == b);
}

std::vector<int64_t> EdgeValues() {
  std::vector<int64_t> v = {0,
                            1,
                            -1,
                            2,
                            -2,
                            3,
                            -3,
                            7,
                            -7,
                            kMin,
                            kMin + 1,
                            kMax,
                            kMax - 1,
                            INT32_MAX,
                            INT32_MIN,
                            int64_t{UINT32_MAX},
                            int64_t{UINT32_MAX} + 1,
                            -int64_t{UINT32_MAX},
                            -int64_t{UINT32_MAX} - 1,
                            0x0123456789ABCDEF,
                            -0x0123456789ABCDEF,
                            3037000499,   // floor(sqrt(MAX))
                            3037000500,
                            -3037000500};
  for (int k = 0; k < 63; k += 7) {
    v.push_back(int64_t{1} << k);
    v.push_back(-(int64_t{1} << k));
    v.push_back((int64_t{1} << k) - 1);
  }
  return v;
}

TEST(KvInt64, ArgumentsAreThirtyTwoBitQuantities) {
  struct Row {
    KvInt64 value;
    uint32_t low;
    int32_t high;
  };
  const Row rows[] = {
      {KvInt64(), 0, 0},
      {KvInt64(-1L), 0xFFFFFFFFu, -1},
      {KvInt64(-1), 0xFFFFFFFFu, -1},
      {KvInt64(4294967295UL), 0xFFFFFFFFu, 0},
      {KvInt64(2147483647L), 0x7FFFFFFFu, 0},
      // A long is narrowed to 32 bits, then sign-extended.
      {KvInt64(LongOf(2147483648)), 0x80000000u, -1},
      {KvInt64(LongOf(0x123456789)), 0x23456789u, 0},
      {KvInt64(LongOf(int64_t{1} << 40)), 0, 0},
      // An unsigned long is narrowed with high word 0.
      {KvInt64(UnsignedLongOf((uint64_t{1} << 32) + 5)), 5, 0},
      {KvInt64(INT32_MIN), 0x80000000u, -1},
      {KvInt64(0xFFFFFFFFUL, 0x7FFFFFFFL), 0xFFFFFFFFu, 0x7FFFFFFF},
      {KvInt64(0UL, 0x80000000L), 0, INT32_MIN},
      {KvInt64(UnsignedLongOf(0x100000001), LongOf(0x100000002)), 1, 2},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(r.value.LowGet(), r.low);
    EXPECT_EQ(r.value.HighGet(), r.high);
  }

  KvInt64 v(7);
  v = -1L;
  EXPECT_EQ(ValueOf(v), -1);
  v = 4294967295UL;
  EXPECT_EQ(ValueOf(v), 4294967295);
  v = -5;
  EXPECT_EQ(ValueOf(v), -5);
  v = Of(kMax);
  EXPECT_EQ(ValueOf(v), kMax);
}

TEST(KvInt64, EdgeOperandsAgreeWithNativeArithmetic) {
  const std::vector<int64_t> edges = EdgeValues();
  for (int64_t a : edges) {
    for (int64_t b : edges) {
      CheckPair(a, b);
      if (testing::Test::HasFatalFailure()) return;
    }
  }
  // Wrapping at both ends.
  EXPECT_EQ(ValueOf(Of(kMax) + KvInt64(1)), kMin);
  EXPECT_EQ(ValueOf(Of(kMin) - KvInt64(1)), kMax);
  EXPECT_EQ(ValueOf(Of(kMax) * KvInt64(2)), -2);
  EXPECT_EQ(ValueOf(KvInt64(3) * KvInt64(-1)), -3);
}

TEST(KvInt64, RandomOperandsAgreeWithNativeArithmetic) {
  std::mt19937_64 random(20261206);
  // Operands of every size: full 64-bit patterns, values within 32 bits
  // and small ones, so that carries, signs and quotients of every length
  // all occur.
  const auto operand = [&random]() -> int64_t {
    const uint64_t r = random();
    switch (r & 3) {
      case 0:
        return static_cast<int64_t>(random());
      case 1:
        return static_cast<int32_t>(random());
      case 2:
        return static_cast<int64_t>(random()) >> (r >> 58);
      default:
        return static_cast<int64_t>(r >> 2) % 1000 - 500;
    }
  };
  for (int i = 0; i < 1000000; ++i) {
    const int64_t a = operand();
    const int64_t b = operand();
    if (!PairAgrees(a, b)) {
      CheckPair(a, b);
      FAIL() << "differs at " << a << " and " << b;
    }
  }
}

TEST(KvInt64, DivisionSignsAndTheUndefinedCases) {
  struct Row {
    int64_t a, b, quotient, remainder;
  };
  const Row rows[] = {
      {7, 2, 3, 1},
      {-7, 2, -3, -1},
      {7, -2, -3, -1},
      {-7, -2, 3, 1},
      {6, -3, -2, 0},
      {1, 7, 0, 1},
      {-1, 7, 0, -1},
      // A zero divisor: quotient 0, remainder the dividend.
      {0, 0, 0, 0},
      {42, 0, 0, 42},
      {-42, 0, 0, -42},
      {kMin, 0, 0, kMin},
      // The quotient that overflows wraps to MIN.
      {kMin, -1, kMin, 0},
      {kMin, 1, kMin, 0},
      {kMin, 2, kMin / 2, 0},
      {kMin, 3, -3074457345618258602, -2},
      {kMin, kMin, 1, 0},
      {kMax, kMin, 0, -kMax},
      {kMin, kMax, -1, -1},
      {kMax, -1, -kMax, 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << r.a << " / " << r.b);
    EXPECT_EQ(ValueOf(Of(r.a) / Of(r.b)), r.quotient);
    EXPECT_EQ(ValueOf(Of(r.a) % Of(r.b)), r.remainder);
  }
  // MIN's magnitude has no positive counterpart: its negation is itself.
  EXPECT_EQ(ValueOf(Of(kMin).Abs()), kMin);
  EXPECT_EQ(ValueOf(-Of(kMin)), kMin);
  EXPECT_EQ(ValueOf(Of(kMin + 1).Abs()), kMax);
  EXPECT_EQ(ValueOf(KvInt64(0).Abs()), 0);
}

TEST(KvInt64, Shifts) {
  const int64_t values[] = {1, -1, -8, 0x0123456789ABCDEF, kMin, kMax, 0xFFFFFFFF, -0x100000000};
  const unsigned counts[] = {0, 1, 31, 32, 33, 63, 64, 65, 200, 0xFFFFFFFFu};
  for (int64_t v : values) {
    for (unsigned n : counts) {
      SCOPED_TRACE(testing::Message() << v << " by " << n);
      const int64_t left = n < 64 ? static_cast<int64_t>(static_cast<uint64_t>(v) << n) : 0;
      const int64_t right = n < 64 ? v >> n : (v < 0 ? -1 : 0);
      EXPECT_EQ(ValueOf(Of(v) << n), left);
      EXPECT_EQ(ValueOf(Of(v) >> n), right);
      KvInt64 x = Of(v);
      EXPECT_EQ(ValueOf(x <<= n), left);
      EXPECT_EQ(ValueOf(x), left);
      x = Of(v);
      EXPECT_EQ(ValueOf(x >>= n), right);
      EXPECT_EQ(ValueOf(x), right);
    }
  }
  EXPECT_EQ(ValueOf(KvInt64(1) << 63), kMin);
  EXPECT_EQ(ValueOf(KvInt64(-8) >> 1), -4);
  // The low word's top bit crosses into the high word and back.
  EXPECT_EQ((KvInt64(0x80000000UL) << 1).HighGet(), 1);
  EXPECT_EQ((KvInt64(0UL, 1L) >> 1).LowGet(), 0x80000000u);
}

TEST(KvInt64, CompoundFormsChangeTheValueAndReturnACopy) {
  KvInt64 v(10);
  KvInt64 r = (v += KvInt64(5));
  EXPECT_EQ(ValueOf(r), 15);
  r = (v -= KvInt64(20));
  EXPECT_EQ(ValueOf(r), -5);
  r = (v *= KvInt64(-3));
  EXPECT_EQ(ValueOf(r), 15);
  r = (v /= KvInt64(4));
  EXPECT_EQ(ValueOf(r), 3);
  r = (v %= KvInt64(2));
  EXPECT_EQ(ValueOf(r), 1);
  EXPECT_EQ(ValueOf(v), 1);
  // The copy is not the object: changing it leaves the value.
  (v += KvInt64(1)) += KvInt64(100);
  EXPECT_EQ(ValueOf(v), 2);

  KvInt64 top = Of(kMax);
  EXPECT_EQ(ValueOf(++top), kMin);
  EXPECT_EQ(ValueOf(top), kMin);
  EXPECT_EQ(ValueOf(--top), kMax);
  KvInt64 zero(0);
  EXPECT_EQ(ValueOf(--zero), -1);
  EXPECT_EQ(zero.LowGet(), 0xFFFFFFFFu);
  EXPECT_EQ(zero.HighGet(), -1);
}

TEST(KvInt64, ComparisonsAreSignedAcrossTheWords) {
  struct Row {
    KvInt64 a, b;
    int less;
  };
  // less: 1 when a < b, 0 when equal, -1 when a > b.
  const Row rows[] = {
      {KvInt64(0xFFFFFFFFUL, 0L), KvInt64(0UL, 1L), 1},
      {KvInt64(0UL, -1L), KvInt64(0xFFFFFFFFUL, -2L), -1},
      {KvInt64(-1), KvInt64(0), 1},
      {KvInt64(0x80000000UL), KvInt64(0x7FFFFFFFUL), -1},
      {Of(kMin), Of(kMax), 1},
      {KvInt64(5), KvInt64(5L), 0},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(r.a < r.b, r.less == 1 ? 1 : 0);
    EXPECT_EQ(r.a > r.b, r.less == -1 ? 1 : 0);
    EXPECT_EQ(r.a == r.b, r.less == 0 ? 1 : 0);
    EXPECT_EQ(r.a <= r.b, r.less != -1 ? 1 : 0);
    EXPECT_EQ(r.a >= r.b, r.less != 1 ? 1 : 0);
    EXPECT_EQ(r.a != r.b, r.less != 0 ? 1 : 0);
  }
}

TEST(KvInt64, FromDoubleKeepsSevenSignificantDigits) {
  const double inf = std::numeric_limits<double>::infinity();
  struct Row {
    double d;
    int64_t value;
  };
  const Row rows[] = {
      {123456789.0, 123456800},
      {2.5, 2},
      {-2.5, -2},
      {9999999.9, 10000000},
      {1234567.0, 1234567},
      {12345678.0, 12345680},
      {4294967296.0, 4294967000},
      {1.0, 1},
      {0.9999999, 0},
      {-0.5, 0},
      {0.0, 0},
      {-0.0, 0},
      {1e-300, 0},
      {1e18, 1000000000000000000},
      {9223372036854774784.0, 9223372000000000000},  // the largest double below 2^63
      {-9223372036854774784.0, -9223372000000000000},
      {9223372036854775808.0, kMax},
      {1e19, kMax},
      {-1e19, -kMax},
      {inf, kMax},
      {-inf, -kMax},
      // NaN is no number: 0.
      {std::numeric_limits<double>::quiet_NaN(), 0},
      {-std::numeric_limits<double>::quiet_NaN(), 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << r.d);
    EXPECT_EQ(ValueOf(KvInt64(r.d)), r.value);
  }

  // Against the rounding of "%.6E" read back as a number and truncated.
  std::mt19937_64 random(7);
  for (int i = 0; i < 100000; ++i) {
    const double d = std::ldexp(static_cast<double>(random() >> 11), -53) *
                     std::pow(10.0, static_cast<double>(random() % 19));
    char text[40];
    std::snprintf(text, sizeof text, "%.6E", d);
    const int64_t expected = d < 1.0 ? 0 : static_cast<int64_t>(std::strtold(text, nullptr));
    ASSERT_EQ(ValueOf(KvInt64(d)), expected) << text;
    ASSERT_EQ(ValueOf(KvInt64(-d)), -expected) << text;
  }
}

TEST(KvInt64, DecimalText) {
  struct Row {
    int64_t value;
    const char* text;
  };
  const Row rows[] = {{0, "0"},
                      {255, "255"},
                      {-255, "-255"},
                      {kMax, "9223372036854775807"},
                      {kMin, "-9223372036854775808"}};
  for (const Row& r : rows) {
    KvString out("n=");
    EXPECT_EQ(&Of(r.value).PrintToKvString(out), &out);
    EXPECT_EQ(std::string(out.StrGet()), std::string("n=") + r.text) << "the text is appended";
    KvInt64 back(99);
    back.ScanFromKvString(KvString(r.text));
    EXPECT_EQ(ValueOf(back), r.value);
  }

  struct Scan {
    const char* text;
    int64_t value;
  };
  const Scan scans[] = {
      {"0x1F", 31},
      {"-017", -15},
      {"+12", 12},
      {"9223372036854775808", -1},
      {"-9223372036854775809", -1},
      {"12x", -1},
      {" 12", -1},
      {"-", -1},
      {"", 99},  // no text: the value stays
  };
  for (const Scan& s : scans) {
    SCOPED_TRACE(s.text);
    KvInt64 v(99);
    v.ScanFromKvString(KvString(s.text));
    EXPECT_EQ(ValueOf(v), s.value);
  }
  KvInt64 v(99);
  v.ScanFromKvString(KvString());
  EXPECT_EQ(ValueOf(v), 99);

  // 16-bit text reads as its 8-bit counterpart.
  KvString wide("-9223372036854775808");
  wide.SetCodeSet(KvCS_UNICODE);
  v.ScanFromKvString(wide);
  EXPECT_EQ(ValueOf(v), kMin);
}

}  // namespace
