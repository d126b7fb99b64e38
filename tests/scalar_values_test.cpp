// KvInt64, KvBoolean, KvObjId, KvClassId and KvRef as values: KvInt64's
// arithmetic against the compiler's own 64-bit arithmetic, the definitions
// where that has none, its 32-bit arguments, conversion from double; truth
// and its order; the identifiers' steps, order and validity. Their texts
// are in scalar_text_test.cpp, their rows' stored forms, compares and
// evaluators in scalar_rows_test.cpp.
#include <cmath>
#include <cstdio>
#include <limits>
#include <random>

#include <gtest/gtest.h>

#include "test_util.h"

namespace {

constexpr int64_t kMin = std::numeric_limits<int64_t>::min(), kMax = std::numeric_limits<int64_t>::max();

int64_t ValueOf(const KvInt64& v) { return static_cast<int64_t>(uint64_t{static_cast<uint32_t>(v.HighGet())} << 32 | v.LowGet()); }

// The library's definitions where native division has none: x / 0 is 0,
// x % 0 is x, MIN / -1 wraps to MIN; the remainder is that of the
// magnitudes, negative exactly when the signs differ.
int64_t Quotient(int64_t a, int64_t b) { return b == 0 ? 0 : b == -1 ? static_cast<int64_t>(0 - static_cast<uint64_t>(a)) : a / b; }
int64_t Remainder(int64_t a, int64_t b) { return b == 0 ? a : b == -1 ? 0 : b < 0 ? -(a % b) : a % b; }

// The first operation on a and b that disagrees with native (wrapping)
// arithmetic, or null. b also gives a shift count: below 67 from a
// non-negative b, its low 32 bits (mostly far beyond 63) from a negative one.
const char* Disagreement(int64_t a, int64_t b) {
  const KvInt64 x = Of(a), y = Of(b);
  const uint64_t ua = a, ub = b;
  const auto w = [](uint64_t v) { return static_cast<int64_t>(v); };
  const unsigned n = b >= 0 ? static_cast<unsigned>(b % 67) : static_cast<unsigned>(ub);
  const int64_t left = n < 64 ? w(ua << n) : 0, right = n < 64 ? a >> n : (a < 0 ? -1 : 0);
  KvInt64 s = x, d = x, m = x, q = x, r = x, l = x, h = x, i = x, j = x;
  const std::pair<const char*, bool> checks[] = {
      {"+ - *", ValueOf(x + y) == w(ua + ub) && ValueOf(x - y) == w(ua - ub) && ValueOf(x * y) == w(ua * ub)},
      {"/ %", ValueOf(x / y) == Quotient(a, b) && ValueOf(x % y) == Remainder(a, b) &&
                  ValueOf(x.Division(y, 0)) == Quotient(a, b) && ValueOf(x.Division(y, 7)) == Remainder(a, b)},
      // Quotient and remainder agree, wrapping included (a negative divisor
      // turns the remainder over).
      {"q b + r", ValueOf(b < 0 ? (x / y) * y - x % y : (x / y) * y + x % y) == a},
      {"& | ~ -", ValueOf(x & y) == (a & b) && ValueOf(x | y) == (a | b) && ValueOf(~x) == ~a && ValueOf(-x) == w(0 - ua)},
      {"Abs << >>", ValueOf(x.Abs()) == (a < 0 ? w(0 - ua) : a) && ValueOf(x << n) == left && ValueOf(x >> n) == right},
      {"compare", (x == y) == (a == b) && (x != y) == (a != b) && (x < y) == (a < b) && (x > y) == (a > b) &&
                      (x <= y) == (a <= b) && (x >= y) == (a >= b)},
      // The compound forms change the value and give it back.
      {"op=", ValueOf(s += y) == w(ua + ub) && ValueOf(s) == w(ua + ub) && ValueOf(d -= y) == w(ua - ub) &&
                  ValueOf(m *= y) == w(ua * ub) && ValueOf(q /= y) == Quotient(a, b) &&
                  ValueOf(r %= y) == Remainder(a, b) && ValueOf(l <<= n) == left && ValueOf(h >>= n) == right &&
                  ValueOf(++i) == w(ua + 1) && ValueOf(i) == w(ua + 1) && ValueOf(--j) == w(ua - 1)}};
  for (const auto& [what, agrees] : checks)
    if (!agrees) return what;
  return nullptr;
}

TEST(KvInt64, EdgeAndRandomOperandsAgreeWithNativeArithmetic) {
  std::vector<int64_t> edges = {0, 1, -1, 2, -2, 3, -3, 7, -7, 63, 64, 65, kMin, kMin + 1, kMax, kMax - 1, INT32_MAX,
                                INT32_MIN, 0xFFFFFFFF, 0x100000000, -0xFFFFFFFFLL, -0x100000000, 0x0123456789ABCDEF,
                                -0x0123456789ABCDEF, 3037000499, 3037000500, -3037000500};
  for (int k = 0; k < 63; k += 7) edges.insert(edges.end(), {int64_t{1} << k, -(int64_t{1} << k), (int64_t{1} << k) - 1});
  for (int64_t a : edges)
    for (int64_t b : edges) ASSERT_EQ(Disagreement(a, b), nullptr) << a << ", " << b;
  // Operands of every size, so that carries, signs and quotients of every
  // length occur: full patterns, 32-bit values, shifted ones, small ones.
  std::mt19937_64 random(20261206);
  const auto operand = [&random]() -> int64_t {
    const uint64_t r = random();
    const int64_t full = static_cast<int64_t>(random());
    return (r & 3) == 0 ? full : (r & 3) == 1 ? static_cast<int32_t>(full) : (r & 3) == 2 ? full >> (r >> 58)
                                                                                          : static_cast<int64_t>(r >> 2) % 1000 - 500;
  };
  for (int i = 0; i < 1000000; ++i) {
    const int64_t a = operand(), b = operand();
    if (const char* what = Disagreement(a, b)) FAIL() << what << " differs at " << a << ", " << b;
  }
}

// The references' definitions, pinned; long and int arguments are
// narrowed to 32 bits and sign-extended, unsigned long ones narrowed with
// high word 0.
TEST(KvInt64, TheDefinitionsAndThirtyTwoBitArguments) {
  KvInt64 assigned(7), negative(7);
  assigned = 4294967295UL, negative = -5L;
  const std::pair<KvInt64, int64_t> rows[] = {
      {Of(7) % Of(-2), -1}, {Of(-7) % Of(2), -1}, {Of(-7) % Of(-2), 1}, {Of(-7) / Of(2), -3}, {Of(42) / Of(0), 0}, {Of(42) % Of(0), 42},
      {Of(kMin) / Of(-1), kMin}, {Of(kMin) % Of(-1), 0}, {Of(kMin) / Of(3), -3074457345618258602}, {Of(kMin) % Of(3), -2}, {Of(kMin).Abs(), kMin},
      {KvInt64(), 0}, {KvInt64(-1L), -1}, {KvInt64(-1), -1}, {KvInt64(LongOf(2147483648)), INT32_MIN}, {KvInt64(LongOf(0x123456789)), 0x23456789},
      {KvInt64(UnsignedLongOf(0x100000005)), 5}, {KvInt64(0UL, 0x80000000L), kMin}, {assigned, 4294967295}, {negative, -5},
      {KvInt64(UnsignedLongOf(0x100000001), LongOf(0x100000002)), 0x200000001}};
  for (const auto& [value, expected] : rows) EXPECT_EQ(ValueOf(value), expected);
}

TEST(KvInt64, FromDoubleKeepsSevenSignificantDigits) {
  const double inf = std::numeric_limits<double>::infinity(), nan = std::numeric_limits<double>::quiet_NaN();
  const std::pair<double, int64_t> rows[] = {
      {123456789.0, 123456800}, {9999999.9, 10000000}, {2.5, 2}, {-2.5, -2}, {0.9999999, 0}, {-0.0, 0},
      {1e18, 1000000000000000000}, {9223372036854774784.0, 9223372000000000000},  // the largest double below 2^63
      {9223372036854775808.0, kMax}, {-1e19, -kMax}, {inf, kMax}, {-inf, -kMax}, {nan, 0}, {-nan, 0}};
  for (const auto& [d, value] : rows) EXPECT_EQ(ValueOf(KvInt64(d)), value) << d;
  // Against "%.6E" read back and truncated.
  std::mt19937_64 random(7);
  for (int i = 0; i < 100000; ++i) {
    const double d = std::ldexp(static_cast<double>(random() >> 11), -53) * std::pow(10.0, static_cast<double>(random() % 19));
    char text[40];
    std::snprintf(text, sizeof text, "%.6E", d);
    const int64_t expected = d < 1.0 ? 0 : static_cast<int64_t>(std::strtold(text, nullptr));
    ASSERT_EQ(std::make_pair(ValueOf(KvInt64(d)), ValueOf(KvInt64(-d))), std::make_pair(expected, -expected)) << text;
  }
}

// The members print "%S", appended, and scan it (16-bit text through its
// 8-bit counterpart; no text leaves the value).
TEST(KvInt64, MembersPrintAndScanDecimalText) {
  KvString out("n="), wide("-9223372036854775808");
  wide.SetCodeSet(KvCS_UNICODE);
  EXPECT_EQ(&Of(kMin).PrintToKvString(out), &out);
  KvInt64 v(99), w(99), x(99);
  v.ScanFromKvString(KvString()), w.ScanFromKvString(wide), x.ScanFromKvString(KvString("0x1F"));
  EXPECT_EQ(std::string(out.StrGet()) + " " + std::to_string(ValueOf(v)) + " " + std::to_string(ValueOf(w)) + " " + std::to_string(ValueOf(x)),
            "n=-9223372036854775808 99 -9223372036854775808 31");
}

// The fields of a reference: its object's, its origin, its class's.
std::string Fields(const KvRef& r) {
  const KvObjId& o = r.ObjIdGet();
  return std::string("B") + std::to_string(o.BlockGet()) + " L" + std::to_string(o.LowGet()) + " H" + std::to_string(o.HighGet()) + " D" +
         std::to_string(r.OriginGet()) + " C" + std::to_string(r.ClassIdGet().NumberGet()) + " V" + std::to_string(r.ClassIdGet().VersionGet());
}
std::string Fields(const KvObjId& o) { return Fields(KvRef(o, 0, KvClassId())); }

TEST(IdentityValues, StepsWrapAt48Bits) {
  // Against 64-bit arithmetic on the 48-bit object number; 'p' and 'm'
  // stand for ++ and --.
  for (uint32_t low : {0u, 5u, 4294967290u, 4294967295u})
    for (uint16_t high : {0, 2, 65535})
      for (int step : {int{'p'}, int{'m'}, 0, 1, -1, 10, -10, 32767, -32768}) {
        KvObjId id(7, low, high);
        KvObjId* same = step == 'p' ? &++id : step == 'm' ? &--id : &(id += static_cast<short>(step));
        const uint64_t n = ((uint64_t{high} << 32 | low) + (step == 'p' ? 1 : step == 'm' ? -1 : step)) & 0xFFFFFFFFFFFF;
        EXPECT_EQ(Fields(id) + (same == &id ? "" : " elsewhere"), Fields(KvObjId(7, static_cast<uint32_t>(n), static_cast<uint16_t>(n >> 32)))) << high << "/" << low << " " << step;
      }
  KvObjId highest(9, 1, 2);
  EXPECT_EQ(Fields((highest.SetHighestValue(), highest)), "B0 L4294967295 H65535 D0 C0 V0");
}

// The operators order as the memory-form compares do (format 8): KvObjId by
// high then low, KvRef by its object then origin, KvClassId by number then
// version; the block and the class take no part in KvObjId's and KvRef's.
TEST(IdentityValues, EqualityAndOrder) {
  const KvRef r1({1, 5, 0}, 2, {30, 1});
  const struct { KvRef b; long objIds, refs, classIds; } rows[] = {
      {r1, 0, 0, 0}, {{{9, 5, 0}, 2, {31, 0}}, 0, 0, -1}, {{{1, 5, 0}, 3, {30, 1}}, 0, -1, 0}, {{{1, 6, 0}, 0, {29, 9}}, -1, -1, 1},
      {{{1, 4294967295u, 0}, 0, {30, 2}}, -1, -1, -1}, {{{1, 0, 1}, 0, {31, 0}}, -1, -1, -1}};
  KvTypeMgr mgr;
  for (const auto& r : rows) {
    KvObjId oa[2] = {r1.ObjIdGet(), r1.ObjIdGet()}, ob[2] = {r1.ObjIdGet(), r.b.ObjIdGet()};
    KvClassId ca[2] = {r1.ClassIdGet(), r1.ClassIdGet()}, cb[2] = {r1.ClassIdGet(), r.b.ClassIdGet()};
    KvRef ra[2] = {r1, r1}, rb[2] = {r1, r.b};
    int status = -7;
    EXPECT_EQ(std::vector<long>({oa[1] != ob[1], -(ob[1] != oa[1]), ra[1] != rb[1], ca[1] != cb[1], mgr.Cmp(KvTYPE_OBJID, 0, oa, 0, ob, 0, 2, 8, status),
                                 mgr.Cmp(KvTYPE_REF, 0, ra, 0, rb, 0, 2, 8, status), mgr.Cmp(KvTYPE_CLASSID, 0, ca, 0, cb, 0, 2, 8, status), status,
                                 oa[1] == ob[1], ra[1] == rb[1], ca[1] > cb[1]}),
              std::vector<long>({r.objIds, r.objIds, r.refs, r.classIds, r.objIds, r.refs, r.classIds, 0, r.objIds == 0, r.refs == 0, r.classIds > 0}))
        << Fields(r.b);
  }
}

TEST(IdentityValues, RefPartsAndValidity) {
  KvRef ref(KvObjId(4, 9, 1), 2, KvClassId(30, 7));
  ref = KvClassId(31, 8), ref = KvObjId(5, 10, 2), ref = static_cast<unsigned short>(65535);
  EXPECT_EQ(Fields(ref), "B5 L10 H2 D65535 C31 V8");
  // An origin of 65535 is none: the reference is invalid, yet its origin
  // id valid; no object, or no class, makes both invalid.
  const uint16_t rows[][8] = {{0, 0, 1, 5, 1, 0, 1, 0}, {1, 0, 65535, 5, 1, 0, 0, 1}, {0, 1, 65535, 0, 1, 0, 0, 1},
                              {1, 0, 2, 5, 0, 1, 0, 1}, {0, 7, 65534, 1, 0, 1, 0, 1}, {1, 0, 2, 0, 1, 0, 1, 0}};
  const auto validity = [](const KvRef& v) { return std::vector<int>({v.IsInvalid(), v.IsValid(), v.IsInvalidOriginId(), v.IsValidOriginId()}); };
  for (const auto& r : rows) EXPECT_EQ(validity(KvRef(KvObjId(3, r[0], r[1]), r[2], KvClassId(r[3], 4))), std::vector<int>(r + 4, r + 8)) << r[0] << " " << r[2];
}

// Every non-zero byte is true, from either side; a long lies below a true
// value only when it is not positive, although == takes every non-zero
// long as true.
TEST(KvBoolean, TruthAndOrder) {
  const long withLong[][5] = {{1, 1, 1, 0, 0}, {1, 0, 0, 1, 0}, {1, -3, 1, 1, 0}, {1, 5, 1, 0, 0},
                              {0, 0, 1, 0, 0}, {0, 1, 0, 0, 1}, {0, -3, 0, 0, 1}, {5, 1, 1, 0, 0}};
  const auto order = [](const KvBoolean& a, const auto& b) { return (a == b) * 100 + (a > b) * 10 + (a < b); };
  for (const auto& r : withLong) EXPECT_EQ(order(KvBoolean(r[0]), r[1]), r[2] * 100 + r[3] * 10 + r[4]) << r[0] << " " << r[1];
  const uint8_t pairs[][5] = {{0, 0, 1, 0, 0}, {1, 0, 0, 1, 0}, {0, 1, 0, 0, 1}, {0xFF, 1, 1, 0, 0}, {1, 0xFF, 1, 0, 0}, {0x80, 0, 0, 1, 0}};
  const auto raw = [](uint8_t byte) { KvBoolean b; std::memcpy(&b, &byte, 1); return b; };
  for (const auto& p : pairs) EXPECT_EQ(order(raw(p[0]), raw(p[1])), p[2] * 100 + p[3] * 10 + p[4]) << int{p[0]} << " " << int{p[1]};
  KvBoolean b(-1), c(0L);
  EXPECT_EQ(std::memcmp(&b, "\x01", 1) | std::memcmp(&(c = 7L), "\x01", 1), 0);
}

}  // namespace
