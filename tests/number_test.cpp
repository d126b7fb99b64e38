// Facts about the number rows (their order is typetable_test's): the walk
// over elements and short buffers, NaN, estimates and bounds; and
// their text forms through the type manager: one value printed or scanned
// under a caller's format (hostile ones included, none of which reaches
// the C library), the bytes of the 1-byte family, and text lists.
#include <cmath>

#include <gtest/gtest.h>

#include "test_util.h"

namespace {

Bytes S(int16_t v) { return MemoryOf<int16_t>({v}); }
Bytes L(int32_t v) { return MemoryOf<int32_t>({v}); }
Bytes F(float v) { return MemoryOf<float>({v}); }
Bytes D(double v) { return MemoryOf<double>({v}); }

// The result and the status of a compare (operator 0) through the manager.
std::pair<long, int> Compare(char id, unsigned long length1, Bytes& a, unsigned long length2, Bytes& b, unsigned long count, uint8_t format) {
  std::pair<long, int> out(0, 99);
  return out.first = KvTypeMgr().Cmp(id, length1, a.data(), length2, b.data(), 0, count, format, out.second), out;
}

// The walk reads an element only when it lies wholly within its buffer
// (lengths are 32-bit; 0 means the values whole); a missing or partial
// element ends it with KvCMP_INCOMPLETE, after a decided one too.
TEST(NumberCompare, ElementWalkAndShortBuffers) {
  Bytes a = MemoryOf<int16_t>({7, 8, 1}), b = MemoryOf<int16_t>({7, 8, 2}), c = MemoryOf<int16_t>({6, 8, 2}), none;
  const int open = KvCMP_INCOMPLETE;  // status
  const struct { Bytes* first; unsigned long length1, length2, count; long result; int status; } rows[] = {
      {&a, 0, 0, 3, -1, 0},   {&a, 6, 6, 3, -1, 0},   {&a, 0, 0, 0, 0, 0},   {&a, 0, 0, 2, 0, 0},
      {&a, 4, 0, 3, 0, open}, {&a, 0, 4, 3, 0, open}, {&a, 5, 6, 3, 0, open}, {&a, 1, 6, 3, 0, open},
      {&a, 100, 100, 3, -1, 0}, {&a, UnsignedLongOf(0x100000004), 0, 3, 0, open}, {&c, 2, 0, 3, -1, open}};
  for (const auto& r : rows) {
    EXPECT_EQ(Compare(KvTYPE_SHORT, r.length1, *r.first, r.length2, b, r.count, 8), std::make_pair(r.result, r.status)) << r.length1 << " " << r.count;
  }
  EXPECT_EQ(KvTypeMgr().Cmp(KvTYPE_SHORT, a.data(), b.data(), 0, 3, 8), -1);  // the short form drops the status
  EXPECT_EQ(Compare(KvTYPE_DOUBLE, 0, none, 0, none, 0, 8), std::make_pair(0l, 0));  // count 0 reads nothing
}

// Long arrays take the block scan (memcmp over blocks of 4 KB): equal bytes
// are equal values, but +0 equals -0 and a NaN every NaN, so a block whose
// bytes differ is walked value by value, and the first unequal pair
// decides, in every byte order; cut short, what is present is equal and
// the rest is missing.
TEST(NumberCompare, LongArraysCompareValuesNotBytes) {
  auto AsBytes = [](const std::vector<double>& v) { return reinterpret_cast<const uint8_t*>(v.data()); };
  const uint32_t n = 10000;
  std::vector<double> a(n);
  for (uint32_t i = 0; i < n; ++i) a[i] = i == 3000 ? 0 : i == 5000 ? INFINITY : i == 7000 ? NAN : i == 9999 ? 5 : i * 3;
  std::vector<double> b = a;
  b[3000] = -0.0, b[7000] = -NAN, b[9999] = 4;
  for (const bool first : {true, false}) {
    a[8000] = first ? 1 : 24000, b[8000] = first ? 2 : 24000;
    for (uint8_t format : {8, 1, 2}) {
      Bytes sa(n * 8), sb(n * 8);  // format 2 stores each value's bytes reversed
      for (uint32_t i = 0; i < n * 8; ++i) sa[i] = AsBytes(a)[format == 2 ? i ^ 7 : i], sb[i] = AsBytes(b)[format == 2 ? i ^ 7 : i];
      EXPECT_EQ(Compare(KvTYPE_DOUBLE, 0, sa, 0, sb, n, format), std::make_pair(first ? -1l : 1l, 0)) << first << " " << int{format};
      std::copy(sa.begin() + 8000 * 8, sa.end(), sb.begin() + 8000 * 8);
      EXPECT_EQ(Compare(KvTYPE_DOUBLE, 0, sa, 0, sb, n, format), std::make_pair(0l, 0)) << int{format};
      EXPECT_EQ(Compare(KvTYPE_DOUBLE, (n - 1) * 8 + 1, sa, 0, sb, n, format), std::make_pair(0l, int{KvCMP_INCOMPLETE}));
    }
  }
}

// Estimates over a range of keys (the share of it the condition covers),
// and the bounds, which are the value's stored bytes as they are; the
// relation word is left alone. Each type reads its own width and sign; a
// NaN orders below every number.
TEST(NumberEvaluate, EstimatesAndBounds) {
  const unsigned short lt = KvREL_LESS, gt = KvREL_GREATER, eq = KvREL_EQUAL;
  const struct { char id; const char *value, *lo, *hi; unsigned short relation; float estimate; const char* bounds; } rows[] = {
      {KvTYPE_SHORT, "0032", "0000", "0063", lt | eq, 0.51f, "high"}, {KvTYPE_SHORT, "0032", "0000", "0063", gt, 0.49f, "low"},
      {KvTYPE_SHORT, "0032", "0000", "0063", gt | eq, 0.5f, "low"},  {KvTYPE_SHORT, "0032", "0000", "0063", eq, 0.01f, "both"},
      {KvTYPE_SHORT, "0032", "0000", "0063", lt | gt, 0.99f, "none"}, {KvTYPE_SHORT, "0032", "0000", "0063", KvREL_KEEP | lt, 0.5f, "high"},
      {KvTYPE_SHORT, "0014", "0064", "00c7", gt, 1.0f, "low"},       {KvTYPE_SHORT, "0032", "0063", "0000", lt, 0.0f, "high"},
      {KvTYPE_SHORT, "01f4", "0064", "00c7", lt, 1.0f, "high"},      {KvTYPE_SHORT, "01f4", "0064", "00c7", eq, 0.0f, "both"},
      {KvTYPE_CHAR, "ff", "00", "09", lt, 0.0f, "high"},             {KvTYPE_BYTE, "ff", "00", "09", lt, 1.0f, "high"},
      {KvTYPE_SHORT, "ffff", "0000", "0009", lt, 0.0f, "high"},      {KvTYPE_WORD, "ffff", "0000", "0009", lt, 1.0f, "high"},
      {KvTYPE_INT, "ffffffff", "00000000", "00000009", lt, 0.0f, "high"}, {KvTYPE_ENUM, "00000005", "00000000", "00000009", lt, 0.5f, "high"},
      {KvTYPE_UNSIGNED, "ffffffff", "00000000", "00000009", lt, 1.0f, "high"}, {KvTYPE_LONG, "ffffffff", "00000000", "00000009", lt, 0.0f, "high"},
      {KvTYPE_DWORD, "ffffffff", "00000000", "00000009", lt, 1.0f, "high"}, {KvTYPE_BLOCKID, "00000005", "00000000", "00000009", gt, 0.4f, "low"},
      {KvTYPE_FLOAT, "40200000", "00000000", "41100000", lt, 0.25f, "high"}, {KvTYPE_D_INTERVAL, "40200000", "00000000", "41100000", lt, 0.25f, "high"},
      {KvTYPE_FLOAT, "7fc00000", "00000000", "41100000", lt, 0.0f, "high"},  // a NaN orders below every number
      {KvTYPE_DOUBLE, "4004000000000000", "0000000000000000", "4022000000000000", eq, 0.1f, "both"},
      {KvTYPE_DOUBLE, "fff8000000000001", "0000000000000000", "4022000000000000", gt, 1.0f, "low"}};
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::Message() << int{r.id} << " " << r.value << " relation " << r.relation);
    Bytes value = Hex(r.value), lo = Hex(r.lo), hi = Hex(r.hi);
    KvIdxBounds range = {lo.data(), hi.data(), static_cast<uint8_t>(lo.size()), static_cast<uint8_t>(hi.size())};
    unsigned short relation = r.relation;
    Bounds bounds;
    EXPECT_NEAR(KvTypeMgr().EvalAndBound(r.id, &range, relation, value.data(), 2, 1, &bounds), r.estimate, 1e-6);
    EXPECT_EQ(bounds.low && bounds.high ? "both" : bounds.low ? "low" : bounds.high ? "high" : "none", std::string(r.bounds));
    EXPECT_TRUE(relation == r.relation && (!bounds.low || bounds.Low() == value) && (!bounds.high || bounds.High() == value));
  }
}

// Without a range only the bounds are set, taking all count elements;
// without a bounds record only the estimate; a bound already set is kept;
// a failed key allocation leaves its bound null, after the memory handler.
TEST(NumberEvaluate, BoundsWithoutARangeKeptAndUnallocated) {
  KvTypeMgr mgr;
  int16_t lo = 0, hi = 99, v = 50, two[2] = {60, 50};
  KvIdxBounds range = {reinterpret_cast<uint8_t*>(&lo), reinterpret_cast<uint8_t*>(&hi), 2, 2};
  unsigned short eq = KvREL_EQUAL, ge = KvREL_GREATER | KvREL_EQUAL, lt = KvREL_LESS;
  Bounds kept, none;
  EXPECT_EQ(mgr.EvalAndBound(KvTYPE_SHORT, &range, lt, &v, 8, 1, nullptr) + mgr.EvalAndBound(KvTYPE_SHORT, nullptr, ge, &v, 8, 1, &kept), 0.5f);
  mgr.EvalAndBound(KvTYPE_SHORT, nullptr, eq, two, 8, 2, &kept);
  EXPECT_EQ(kept.Low() + kept.High(), S(50) + S(60) + S(50));
  AllocFailure failure;
  mgr.EvalAndBound(KvTYPE_SHORT, nullptr, eq, &v, 8, 1, &none);
  failure.End();
  EXPECT_TRUE(failure.calls == 2 && none.low == nullptr && none.lowLength == 0 && none.high == nullptr);
}

// The 1-byte family prints and scans every byte.
uint32_t CountOf(char id, const Bytes& values) { return id == KvTYPE_CHAR || id == KvTYPE_BYTE ? static_cast<uint32_t>(values.size()) : 1; }

// Print: the 1-byte family prints every byte (the printable ones under the
// format, the others as 0x%02x); the others print their first value. A
// directive that does not fit the value's type (a modifier of another
// width, %s, %n, %p, %*d, a second value) is literal text, and flags C
// gives no meaning for the conversion are dropped. Widths and precisions
// are clamped; a text longer than a string holds (65532 bytes), or one
// there is no memory for, is refused whole with one report: no text rather
// than a cut one that reads as another number. The text is new 8-bit text
// in the defaults, whatever the result held.
TEST(NumberText, PrintOneValueUnderTheFormat) {
  const std::string pad(65531, ' ');
  const struct { char id; Bytes values; std::string format; std::string text; } rows[] = {  // format "": the row's own
      {KvTYPE_BLOCKID, L(42), "", "#42"}, {KvTYPE_DWORD, L(-1), "", "4294967295"}, {KvTYPE_DWORD, L(-1), "%ld %%", "-1 %"},
      {KvTYPE_LONG, L(-1), "%08lX", "FFFFFFFF"}, {KvTYPE_LONG, L(7) + L(8), "<%ld>", "<7>"}, {KvTYPE_INT, L(12345), "% d|%+d", " 12345|%+d"},
      {KvTYPE_SHORT, S(-5), "%hu", "65531"}, {KvTYPE_SHORT, S(-5), "%x", "fffffffb"}, {KvTYPE_WORD, S(-1), "%#ho", "0177777"},
      {KvTYPE_FLOAT, F(0.1f), "%.9g", "0.100000001"}, {KvTYPE_DOUBLE, D(1.5), "%Lg %a", "1.5 %a"}, {KvTYPE_DOUBLE, D(1.5), "%+08.2f", "+0001.50"},
      {KvTYPE_DOUBLE, D(HUGE_VAL), "%5.1lf", "  inf"}, {KvTYPE_INT, L(5), "%#d", "5"}, {KvTYPE_INT, L(65), "%05.3c|", "    A|"},
      {KvTYPE_INT, L(0), "a%cb", "a"}, {KvTYPE_SHORT, S(-5), "%s%n%p", "%s%n%p"}, {KvTYPE_SHORT, S(-5), "%*d|%1$d|%.*d", "%*d|%1$d|%.*d"},
      {KvTYPE_SHORT, S(-5), "%d%d%d%s%n", "-5%d%d%s%n"}, {KvTYPE_SHORT, S(-5), "%ld %hhd %hc", "%ld %hhd %hc"},
      {KvTYPE_SHORT, S(-5), "%zd %'d %I64d %m", "%zd %'d %I64d %m"}, {KvTYPE_SHORT, S(-5), "100%", "100%"},
      {KvTYPE_SHORT, S(-5), "%-+ #05", "%-+ #05"}, {KvTYPE_LONG, L(7), "%lld %hd %lc %f", "%lld %hd %lc %f"},
      {KvTYPE_DOUBLE, D(1.5), "%d %hf %s %f %f", "%d %hf %s 1.500000 %f"}, {KvTYPE_CHAR, {'A', 7}, "%c", "A0x07"},
      {KvTYPE_BYTE, {200, 10}, "", "0xc80x0a"}, {KvTYPE_CHAR, {' ', '~', 0x7F, 0}, "", " ~0x7f0x00"},
      {KvTYPE_CHAR, {'a', 'b'}, "[%c%c]", "[a%c][b%c]"}, {KvTYPE_BYTE, {'A'}, "%d %hhx %5c", "65 %hhx %5c"}, {KvTYPE_BYTE, {'A'}, "%hd", "%hd"},
      {KvTYPE_BYTE, {'A', '~'}, "%hhd,", "65,126,"}, {KvTYPE_CHAR, {'~'}, "%#hhx", "0x7e"}, {KvTYPE_BYTE, {}, "%c", ""},
      {KvTYPE_INT, L(5), "%100000d", pad + "5"}, {KvTYPE_INT, L(5), "%-99999999999999999999d", "5" + pad},
      {KvTYPE_INT, L(5), "%.100000d", std::string(65531, '0') + "5"}, {KvTYPE_DOUBLE, D(0.5), "%.65530f", "0.5" + std::string(65529, '0')},
      {KvTYPE_INT, L(5), "x%100000d", ""}, {KvTYPE_DOUBLE, D(1e300), "%.100000e", ""}, {KvTYPE_INT, L(5), std::string(70000, 'x'), ""},
      {KvTYPE_CHAR, Bytes(70000, 'a'), "%c", ""}, {KvTYPE_INT, L(42), "<%d>", ""}};  // the last: no memory for the text
  for (const auto& r : rows) {
    Bytes values = r.values;
    OverflowCounter reports;
    AllocFailure failure(r.format == "<%d>" ? 0 : -1);
    KvString out("old");
    const bool same = &KvTypeMgr().PrintToKvString(r.id, out, values.data(), r.format.empty() ? nullptr : r.format.c_str(), CountOf(r.id, values)) == &out;
    failure.End();
    EXPECT_TRUE(same && out.StrGet() == r.text) << r.format.substr(0, 24);
    EXPECT_EQ(out.SizeGet() * 10 + reports.Count(), r.text.empty() && !r.values.empty() ? 1 : 10 * (r.text.size() + 1)) << r.format.substr(0, 24);
  }
  KvString::SetDefaultCodeSet(253);
  KvString out(253, 9);
  KvTypeMgr().PrintToKvString(KvTYPE_INT, out, L(42).data(), "<%d>", 1);
  ___KvI18NContext(1);
  EXPECT_EQ(std::string(out.StrGet()) + std::to_string(out.CodeSetGet()) + std::to_string(out.LanguageGet()), "<42>11");
}

// Scan: literal text matches itself, a blank in the format any run of
// blanks; a number skips the blanks before it, reads within its width and
// clamps to 32 bits; a value is left as it was when the text does not
// match, and nothing is written past it (guard bytes follow), whatever the
// format asks. The 1-byte family reads byte i at character i, as "0x%x"
// when that reads. 16-bit text is read as 8-bit text and left as it was.
TEST(NumberText, ScanOneValueUnderTheFormat) {
  const struct { char id; Bytes before; std::string text; const char* format; Bytes after; } rows[] = {  // format null: the row's own
      {KvTYPE_BLOCKID, L(7), "#42", "#%lu", L(42)}, {KvTYPE_BLOCKID, L(7), "42", "#%lu", L(7)}, {KvTYPE_LONG, L(7), "  -12", nullptr, L(-12)},
      {KvTYPE_LONG, L(7), "-", "%ld", L(7)}, {KvTYPE_LONG, L(7), "-99999999999", "%ld", L(INT32_MIN)}, {KvTYPE_DWORD, L(7), "-1", "%lu", L(-1)},
      {KvTYPE_DWORD, L(7), "-4294967296", "%lu", L(-1)}, {KvTYPE_INT, L(7), "0x1f", "%i", L(31)}, {KvTYPE_INT, L(7), "017", "%i", L(15)},
      {KvTYPE_INT, L(7), "0x", "%x", L(0)}, {KvTYPE_INT, L(7), "778", "%o", L(63)}, {KvTYPE_INT, L(7), "1f;", "%x;", L(31)},
      {KvTYPE_INT, L(7), "12345", "%3d", L(123)}, {KvTYPE_INT, L(7), " A", "%c", L(32)}, {KvTYPE_SHORT, S(7), "70000", nullptr, S(4464)},
      {KvTYPE_SHORT, S(7), "-1", "%hu", S(-1)}, {KvTYPE_DOUBLE, D(7), "1.5e3x", nullptr, D(1500)}, {KvTYPE_DOUBLE, D(7), "1.2345", "%3le", D(1.2)},
      {KvTYPE_DOUBLE, D(7), "-inf", "%la", D(-HUGE_VAL)}, {KvTYPE_DOUBLE, D(7), ".", "%lf", D(7)}, {KvTYPE_FLOAT, F(7), "1e300", nullptr, F(HUGE_VALF)},
      {KvTYPE_INT, L(7), "value : 42", "value:%d", L(7)}, {KvTYPE_INT, L(7), "value \t: 42", "value :%d", L(42)},
      {KvTYPE_INT, L(7), "value:42", "value : %d", L(42)}, {KvTYPE_INT, L(7), "%5", "%%%d", L(5)}, {KvTYPE_SHORT, S(7), "abcdef", "%s", S(7)},
      {KvTYPE_SHORT, S(7), "%s 12", "%s %hd", S(12)}, {KvTYPE_SHORT, S(7), "5", "%d%d%d%s%n", S(5)}, {KvTYPE_SHORT, S(7), "8", "%n%d", S(7)},
      {KvTYPE_SHORT, S(7), "12", "%ld", S(7)}, {KvTYPE_SHORT, S(7), "%ld12", "%ld%hd", S(12)}, {KvTYPE_SHORT, S(7), "12", "%*d", S(7)},
      {KvTYPE_SHORT, S(7), "12", "%", S(7)}, {KvTYPE_SHORT, S(7), "123456789", "%100000d", S(-13035)}, {KvTYPE_SHORT, S(7), "AB", "%2c", S(7)},
      {KvTYPE_LONG, L(7), "12", "%lld", L(7)}, {KvTYPE_FLOAT, F(7), "1.5", "%lf", F(1.5f)}, {KvTYPE_DOUBLE, D(7), "1.5", "%5.2lf", D(7)},
      {KvTYPE_CHAR, {1, 1}, "AB", nullptr, {'A', 'B'}}, {KvTYPE_CHAR, {1}, "0x141", nullptr, {0x41}}, {KvTYPE_CHAR, {1}, "0x-1", nullptr, {0xFF}},
      {KvTYPE_CHAR, {1, 1, 1, 1}, "0x41BC", nullptr, {0xBC, 'x', '4', '1'}}, {KvTYPE_CHAR, {1}, "0x", nullptr, {'0'}},
      {KvTYPE_BYTE, {1, 1}, "300", "%d", {44, 0}}, {KvTYPE_BYTE, {1}, "-1", "%hhd", {0xFF}}, {KvTYPE_BYTE, {1}, "12", "%hd", {1}}};
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::PrintToString(r.text) + " with " + (r.format != nullptr ? r.format : "(exchange)"));
    Bytes values = r.before + Bytes(8, 0xA5);
    KvString text(r.text.c_str());
    EXPECT_EQ(KvTypeMgr().ScanFromKvString(r.id, values.data(), text, r.format, CountOf(r.id, r.before)), values.data());
    EXPECT_EQ(values, r.after + Bytes(8, 0xA5));
    EXPECT_TRUE(text.StrGet() == r.text && KvTypeMgr().ScanFromKvString(r.id, nullptr, text, r.format, 1) == nullptr);
  }
  KvString blockId(reinterpret_cast<const unsigned short*>(u"#42")), chars(reinterpret_cast<const unsigned short*>(u"A\u00e9"));
  Bytes id = L(7), bytes = {1, 1};
  KvTypeMgr().ScanFromKvString(KvTYPE_BLOCKID, id.data(), blockId, nullptr, 1), KvTypeMgr().ScanFromKvString(KvTYPE_CHAR, bytes.data(), chars, nullptr, 2);
  EXPECT_EQ(id + bytes + Bytes(1, blockId.CodeSetGet() > 224), L(42) + Bytes({'A', 0xE9, 1}));  // é of the default 8-bit code set, Windows-1252
}

// Lists: reading takes the list's last character as the separator,
// consumes the items read and reads a value beyond the text as 0 (options
// bit 0: plain decimal); each value is written as the KvString number
// constructors write it, then ",". A list longer than a string holds ends
// after a whole item, reported; a 16-bit process writes 16-bit lists.
TEST(NumberText, ListsReadBackAndConsumeTheirText) {
  const struct { char id; const char* text; uint32_t count; Bytes values; const char* rest; const char* written; int32_t options; } rows[] = {
      {KvTYPE_DOUBLE, "1.5,-2,", 2, D(1.5) + D(-2), "", "1.5,-2,", 0},
      {KvTYPE_FLOAT, "0.1;1e300;", 2, F(0.1f) + F(HUGE_VALF), "", "0.100000001490116,inf,", 0},
      {KvTYPE_CHAR, "-56,300,", 2, {200, 44}, "", "-56,44,", 0},      {KvTYPE_WORD, "65535,", 1, S(-1), "", "-1,", 0},
      {KvTYPE_SHORT, "70000,", 1, S(4464), "", "4464,", 0},           {KvTYPE_INT, "1,2,3,", 2, L(1) + L(2), "3,", "1,2,", 0},
      {KvTYPE_DWORD, "-1,4294967295,", 2, L(-1) + L(INT32_MAX), "", "-1,2147483647,", 0},
      {KvTYPE_BLOCKID, "-2147483648,", 1, L(INT32_MIN), "", "-2147483648,", 0},
      {KvTYPE_INT, " 1 , 2,", 3, L(1) + L(2) + L(0), "", "1,2,0,", 0}, {KvTYPE_INT, "1,2,", 0, {}, "1,2,", "", 0},
      {KvTYPE_INT, "12", 2, L(12) + L(0), "", "12,0,", 0},  // '2' is the separator
      {KvTYPE_LONG, "0x10,", 1, L(16), "", "16,", 0},         {KvTYPE_ENUM, "0x10,", 1, L(0), "", "0,", 1}};
  for (const auto& r : rows) {
    ___KvTypeMgrOptions() = r.options;
    KvString text(r.text);
    uint8_t* values = static_cast<uint8_t*>(KvTypeMgr().ConvertFromKvString(&text, r.id, r.count));
    ___KvTypeMgrOptions() = 0;
    KvString* written = KvTypeMgr().ConvertToKvString(values, r.id, r.count);
    EXPECT_EQ(Bytes(values, values + r.values.size()), r.values) << r.text;
    EXPECT_EQ(std::string(text.StrGet()) + "|" + written->StrGet() + "|" + std::to_string(written->CodeSetGet() * 10 + (written->SizeGet() == 0)),
              r.rest + std::string("|") + r.written + (r.count == 0 ? "|11" : "|10"));
    KvTypeMgr().Delete(r.id, values, r.count), delete written;
  }
  KvString::SetDefaultCodeSet(253);
  Bytes values = L(1) + L(-2) + L(INT32_MAX);
  KvString* text = KvTypeMgr().ConvertToKvString(values.data(), KvTYPE_INT, 3);
  ___KvI18NContext(1);
  uint8_t* back = static_cast<uint8_t*>(KvTypeMgr().ConvertFromKvString(text, KvTYPE_INT, 3));
  EXPECT_EQ(Bytes(back, back + 12) + Bytes(1, uint8_t(text->CodeSetGet())) + Bytes(1, uint8_t(text->Len())), values + Bytes(1, 253) + Bytes(1, 0));
  KvTypeMgr().Delete(KvTYPE_INT, back, 3), delete text;
  OverflowCounter reports;
  std::vector<int32_t> many(20000, -1000000000);  // "-1000000000," is 12 characters
  text = KvTypeMgr().ConvertToKvString(many.data(), KvTYPE_LONG, 20000);
  EXPECT_EQ(text->Len() * 1000 + text->StrGet()[65531] + reports.Count(), 65532 * 1000 + ',' + 1);  // 5461 whole items, one report
  delete text;
}

}  // namespace
