// Facts about the text forms of the number types through the type manager:
// printing and scanning one value under a caller's format (hostile ones
// included), the bytes of the 1-byte family, and text lists.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "kvtm/kvtm.h"
#include "test_util.h"

namespace {

int reportCount = 0;
void CountReport(const char*, const char*, int) { ++reportCount; }

// While alive: overflow reports are asked for and counted.
class OverflowReports {
 public:
  OverflowReports() : previous_(KvSetAssertHandler(CountReport)) {
    reportCount = 0;
    DefaultConfig(KV_CONFIG_CURRENT)->Set("debug", "stringOverflow", 1);
  }
  ~OverflowReports() {
    DefaultConfig(KV_CONFIG_CURRENT)->Set("debug", "stringOverflow", 0);
    KvSetAssertHandler(previous_);
  }
  int Count() const { return reportCount; }

 private:
  KvAssertHandler previous_;
};

std::string Printed(char id, Bytes value, const char* format, uint32_t count = 1) {
  KvTypeMgr mgr;
  KvString out("old");
  EXPECT_EQ(&mgr.PrintToKvString(id, out, value.data(), format, count), &out);
  return std::string(out.StrGet(), out.Len());
}

// The memory bytes of a value after a scan; `guard` bytes of 0xA5 follow
// the value and must come back untouched.
Bytes Scanned(char id, Bytes value, const char* text, const char* format, uint32_t count = 1) {
  KvTypeMgr mgr;
  const size_t n = value.size();
  Bytes buffer = value;
  buffer.resize(n + 8, 0xA5);
  KvString t(text);
  EXPECT_EQ(mgr.ScanFromKvString(id, buffer.data(), t, format, count), buffer.data());
  EXPECT_EQ(Bytes(buffer.begin() + n, buffer.end()), Bytes(8, 0xA5)) << "written past the value";
  EXPECT_STREQ(t.StrGet(), text) << "a scan leaves its text alone";
  return Bytes(buffer.begin(), buffer.begin() + n);
}

TEST(NumberPrint, OneValueUnderTheFormat) {
  struct Row {
    char id;
    Bytes value;
    const char* format;  // null: the row's exchange format
    const char* text;
  };
  const Row rows[] = {
      {KvTYPE_BLOCKID, MemoryOf<uint32_t>({42}), nullptr, "#42"},
      {KvTYPE_DWORD, MemoryOf<uint32_t>({4294967295u}), nullptr, "4294967295"},
      {KvTYPE_DWORD, MemoryOf<uint32_t>({4294967295u}), "%ld", "-1"},
      {KvTYPE_DWORD, MemoryOf<uint32_t>({4294967295u}), "%lx", "ffffffff"},
      {KvTYPE_DWORD, MemoryOf<uint32_t>({4294967295u}), "%lo", "37777777777"},
      {KvTYPE_LONG, MemoryOf<int32_t>({-1}), nullptr, "-1"},
      {KvTYPE_LONG, MemoryOf<int32_t>({-1}), "%lu", "4294967295"},
      {KvTYPE_LONG, MemoryOf<int32_t>({-1}), "%08lX", "FFFFFFFF"},
      {KvTYPE_LONG, MemoryOf<int32_t>({7, 8}), "<%ld>", "<7>"},  // the first value only
      {KvTYPE_INT, MemoryOf<int32_t>({12345}), nullptr, "12345"},
      {KvTYPE_INT, MemoryOf<int32_t>({12345}), "%+d", "+12345"},
      {KvTYPE_INT, MemoryOf<int32_t>({12345}), "% d", " 12345"},
      {KvTYPE_INT, MemoryOf<int32_t>({12345}), "%-7d|", "12345  |"},
      {KvTYPE_INT, MemoryOf<int32_t>({12345}), "%.7i", "0012345"},
      {KvTYPE_INT, MemoryOf<int32_t>({-2147483647 - 1}), "%d", "-2147483648"},
      {KvTYPE_INT, MemoryOf<int32_t>({65}), "%c", "A"},
      {KvTYPE_UNSIGNED, MemoryOf<uint32_t>({4294967295u}), nullptr, "4294967295"},
      {KvTYPE_UNSIGNED, MemoryOf<uint32_t>({4294967295u}), "%d", "-1"},
      {KvTYPE_ENUM, MemoryOf<int32_t>({3}), nullptr, "3"},
      {KvTYPE_SHORT, MemoryOf<int16_t>({-5}), nullptr, "-5"},
      {KvTYPE_SHORT, MemoryOf<int16_t>({-5}), "%hu", "65531"},
      {KvTYPE_SHORT, MemoryOf<int16_t>({-5}), "%u", "4294967291"},
      {KvTYPE_SHORT, MemoryOf<int16_t>({-5}), "%x", "fffffffb"},
      {KvTYPE_SHORT, MemoryOf<int16_t>({-5}), "%hx", "fffb"},
      {KvTYPE_WORD, MemoryOf<uint16_t>({65535}), nullptr, "65535"},
      {KvTYPE_WORD, MemoryOf<uint16_t>({65535}), "%d", "-1"},
      {KvTYPE_WORD, MemoryOf<uint16_t>({65535}), "%#ho", "0177777"},
      {KvTYPE_FLOAT, MemoryOf<float>({0.1f}), nullptr, "0.100000"},
      {KvTYPE_FLOAT, MemoryOf<float>({0.1f}), "%.9g", "0.100000001"},
      {KvTYPE_FLOAT, MemoryOf<float>({0.1f}), "%e", "1.000000e-01"},
      {KvTYPE_DOUBLE, MemoryOf<double>({1.5}), nullptr, "1.500000"},
      {KvTYPE_DOUBLE, MemoryOf<double>({1.5}), "%Lg", "1.5"},
      {KvTYPE_DOUBLE, MemoryOf<double>({1.5}), "%a", "0x1.8p+0"},
      {KvTYPE_DOUBLE, MemoryOf<double>({1.5}), "%+08.2f", "+0001.50"},
      {KvTYPE_DOUBLE, MemoryOf<double>({1.5}), "%#.0f", "2."},
      {KvTYPE_DOUBLE, MemoryOf<double>({-0.0}), "%g", "-0"},
      {KvTYPE_DOUBLE, MemoryOf<double>({HUGE_VAL}), "%5.1lf", "  inf"},
      // Flags C gives no meaning for the conversion are dropped.
      {KvTYPE_INT, MemoryOf<int32_t>({5}), "%#d", "5"},
      {KvTYPE_UNSIGNED, MemoryOf<uint32_t>({5}), "%+u", "5"},
      {KvTYPE_INT, MemoryOf<int32_t>({65}), "%05c", "    A"},
      {KvTYPE_INT, MemoryOf<int32_t>({65}), "%-3.1c|", "A  |"},
      // A zero character ends the text.
      {KvTYPE_INT, MemoryOf<int32_t>({0}), "a%cb", "a"},
      {KvTYPE_INT, MemoryOf<int32_t>({5}), "", ""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(r.format != nullptr ? r.format : "(exchange)") + " type " +
                 std::to_string(r.id));
    EXPECT_EQ(Printed(r.id, r.value, r.format), r.text);
  }
}

TEST(NumberPrint, DirectivesThatDoNotFitAreLiteralText) {
  struct Row {
    char id;
    const char* format;
    const char* text;
  };
  // Values: short -5, long 7, double 1.5.
  const Row rows[] = {
      {KvTYPE_SHORT, "%s", "%s"},
      {KvTYPE_SHORT, "%n", "%n"},
      {KvTYPE_SHORT, "%p", "%p"},
      {KvTYPE_SHORT, "%*d", "%*d"},
      {KvTYPE_SHORT, "%1$d", "%1$d"},
      {KvTYPE_SHORT, "%", "%"},
      {KvTYPE_SHORT, "%5", "%5"},
      {KvTYPE_SHORT, "%-+ #0", "%-+ #0"},
      {KvTYPE_SHORT, "%%d", "%d"},
      {KvTYPE_SHORT, "100%% %d", "100% -5"},
      {KvTYPE_SHORT, "%ld", "%ld"},
      {KvTYPE_SHORT, "%hhd", "%hhd"},
      {KvTYPE_SHORT, "%hc", "%hc"},
      {KvTYPE_SHORT, "%d%d%d%s%n", "-5%d%d%s%n"},
      {KvTYPE_SHORT, "%s|%d|%x", "%s|-5|%x"},
      {KvTYPE_SHORT, "%zd %jd %'d %I64d", "%zd %jd %'d %I64d"},
      {KvTYPE_LONG, "%lld", "%lld"},
      {KvTYPE_LONG, "%hd", "%hd"},
      {KvTYPE_LONG, "%lc", "%lc"},
      {KvTYPE_LONG, "%f", "%f"},
      {KvTYPE_LONG, "%m %[a] %ls", "%m %[a] %ls"},
      {KvTYPE_DOUBLE, "%d", "%d"},
      {KvTYPE_DOUBLE, "%.*f", "%.*f"},
      {KvTYPE_DOUBLE, "%hf", "%hf"},
      {KvTYPE_DOUBLE, "%s %f %f", "%s 1.500000 %f"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.format);
    Bytes value = r.id == KvTYPE_SHORT  ? MemoryOf<int16_t>({-5})
                  : r.id == KvTYPE_LONG ? MemoryOf<int32_t>({7})
                                        : MemoryOf<double>({1.5});
    EXPECT_EQ(Printed(r.id, value, r.format), r.text);
  }
}

TEST(NumberPrint, NoTextBeyondWhatAStringHolds) {
  const std::string pad(65531, ' ');
  const std::string zeros(65531, '0');
  const std::string literal(70000, 'x');
  struct Row {
    char id;
    Bytes value;
    std::string format;
    std::string text;  // "(none)": refused, no text at all
  };
  const Row rows[] = {
      {KvTYPE_INT, MemoryOf<int32_t>({5}), "%100000d", pad + "5"},
      {KvTYPE_INT, MemoryOf<int32_t>({5}), "%99999999999999999999999d", pad + "5"},
      {KvTYPE_INT, MemoryOf<int32_t>({5}), "%-100000d", "5" + pad},
      {KvTYPE_INT, MemoryOf<int32_t>({5}), "%.100000d", zeros + "5"},
      {KvTYPE_DOUBLE, MemoryOf<double>({0.5}), "%.65530f", "0.5" + std::string(65529, '0')},
      {KvTYPE_INT, MemoryOf<int32_t>({5}), "x%100000d", "(none)"},
      {KvTYPE_DOUBLE, MemoryOf<double>({1.5}), "%.100000f", "(none)"},
      {KvTYPE_DOUBLE, MemoryOf<double>({1e300}), "%.100000e", "(none)"},
      {KvTYPE_INT, MemoryOf<int32_t>({5}), literal, "(none)"},
      {KvTYPE_CHAR, Bytes(70000, 'a'), "%c", "(none)"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.format.substr(0, 24));
    OverflowReports reports;
    KvTypeMgr mgr;
    KvString out("old");
    Bytes value = r.value;
    mgr.PrintToKvString(r.id, out, value.data(), r.format.c_str(),
                        static_cast<uint32_t>(value.size()));
    if (r.text == "(none)") {
      EXPECT_EQ(out.SizeGet(), 0);
      EXPECT_EQ(reports.Count(), 1);
    } else {
      EXPECT_EQ(out.Len(), r.text.size());
      EXPECT_TRUE(std::string(out.StrGet()) == r.text);
      EXPECT_EQ(reports.Count(), 0);
    }
  }
}

TEST(NumberPrint, EveryByteOfTheOneByteFamily) {
  struct Row {
    char id;
    Bytes bytes;
    const char* format;
    const char* text;
  };
  const Row rows[] = {
      {KvTYPE_CHAR, {'A', 7}, "%c", "A0x07"},
      {KvTYPE_CHAR, {10}, "%c", "0x0a"},
      {KvTYPE_BYTE, {200}, nullptr, "0xc8"},
      {KvTYPE_CHAR, {' ', '~', 0x7F, 0}, nullptr, " ~0x7f0x00"},
      {KvTYPE_CHAR, {'a', 'b', 'c'}, "[%c]", "[a][b][c]"},
      {KvTYPE_BYTE, {'A'}, "%d", "65"},
      {KvTYPE_BYTE, {'A'}, "%hhx", "41"},
      {KvTYPE_BYTE, {'A'}, "%5c", "    A"},
      {KvTYPE_BYTE, {'A'}, "%c%c", "A%c"},
      {KvTYPE_BYTE, {'A'}, "%s", "%s"},
      {KvTYPE_BYTE, {'A'}, "%hd", "%hd"},
      {KvTYPE_BYTE, {}, "%c", ""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.text);
    EXPECT_EQ(Printed(r.id, r.bytes, r.format, static_cast<uint32_t>(r.bytes.size())), r.text);
  }
}

TEST(NumberPrint, TheTextIsEightBitInTheDefaults) {
  const uint8_t previous = KvString::GetDefaultCodeSet();
  KvString::SetDefaultCodeSet(253);
  KvString out(253, 9);
  int32_t v = 42;
  KvTypeMgr().PrintToKvString(KvTYPE_INT, out, &v, "<%d>", 1);
  EXPECT_EQ(out.CodeSetGet(), KvString::GetDefault8CodeSet());
  EXPECT_EQ(out.LanguageGet(), KvString::GetDefaultLanguage());
  EXPECT_STREQ(out.StrGet(), "<42>");
  KvString::SetDefaultCodeSet(previous);
}

TEST(NumberScan, OneValueUnderTheFormat) {
  struct Row {
    char id;
    Bytes before;
    const char* text;
    const char* format;  // null: the row's exchange format
    Bytes after;
  };
  const Bytes long7 = MemoryOf<int32_t>({7});
  const Bytes short7 = MemoryOf<int16_t>({7});
  const Bytes double7 = MemoryOf<double>({7});
  const Row rows[] = {
      {KvTYPE_BLOCKID, long7, "#42", "#%lu", MemoryOf<uint32_t>({42})},
      {KvTYPE_BLOCKID, long7, "42", "#%lu", long7},
      {KvTYPE_BLOCKID, long7, "#42", nullptr, MemoryOf<uint32_t>({42})},
      {KvTYPE_LONG, long7, "  -12", nullptr, MemoryOf<int32_t>({-12})},
      {KvTYPE_LONG, long7, "x", "%ld", long7},
      {KvTYPE_LONG, long7, "", "%ld", long7},
      {KvTYPE_LONG, long7, "-", "%ld", long7},
      {KvTYPE_LONG, long7, "99999999999", "%ld", MemoryOf<int32_t>({2147483647})},
      {KvTYPE_LONG, long7, "-99999999999", "%ld", MemoryOf<int32_t>({-2147483647 - 1})},
      {KvTYPE_DWORD, long7, "4294967295", nullptr, MemoryOf<uint32_t>({4294967295u})},
      {KvTYPE_DWORD, long7, "4294967296", "%lu", MemoryOf<uint32_t>({4294967295u})},
      {KvTYPE_DWORD, long7, "-1", "%lu", MemoryOf<uint32_t>({4294967295u})},
      {KvTYPE_DWORD, long7, "-4294967296", "%lu", MemoryOf<uint32_t>({4294967295u})},
      {KvTYPE_INT, long7, "0x1f", "%i", MemoryOf<int32_t>({31})},
      {KvTYPE_INT, long7, "017", "%i", MemoryOf<int32_t>({15})},
      {KvTYPE_INT, long7, "017", "%d", MemoryOf<int32_t>({17})},
      {KvTYPE_INT, long7, "0x", "%x", MemoryOf<int32_t>({0})},
      {KvTYPE_INT, long7, "0xff", "%X", MemoryOf<int32_t>({255})},
      {KvTYPE_INT, long7, "ff", "%x", MemoryOf<int32_t>({255})},
      {KvTYPE_INT, long7, "778", "%o", MemoryOf<int32_t>({63})},
      {KvTYPE_INT, long7, "+5", "%d", MemoryOf<int32_t>({5})},
      {KvTYPE_INT, long7, "12345", "%3d", MemoryOf<int32_t>({123})},
      {KvTYPE_INT, long7, " A", "%c", MemoryOf<int32_t>({32})},
      {KvTYPE_UNSIGNED, long7, "4000000000", nullptr, MemoryOf<uint32_t>({4000000000u})},
      {KvTYPE_ENUM, long7, "3", nullptr, MemoryOf<int32_t>({3})},
      {KvTYPE_SHORT, short7, "70000", nullptr, MemoryOf<int16_t>({4464})},
      {KvTYPE_SHORT, short7, "70000", "%d", MemoryOf<int16_t>({4464})},
      {KvTYPE_SHORT, short7, "-1", "%hu", MemoryOf<int16_t>({-1})},
      {KvTYPE_WORD, short7, "65535", nullptr, MemoryOf<uint16_t>({65535})},
      {KvTYPE_DOUBLE, double7, "1.5e3x", nullptr, MemoryOf<double>({1500})},
      {KvTYPE_DOUBLE, double7, "\t-0.25", "%le", MemoryOf<double>({-0.25})},
      {KvTYPE_DOUBLE, double7, "1.2345", "%3lf", MemoryOf<double>({1.2})},
      {KvTYPE_DOUBLE, double7, "0x1p4", "%la", MemoryOf<double>({16})},
      {KvTYPE_DOUBLE, double7, "-inf", "%lg", MemoryOf<double>({-HUGE_VAL})},
      {KvTYPE_DOUBLE, double7, "abc", "%lf", double7},
      {KvTYPE_DOUBLE, double7, ".", "%lf", double7},
      {KvTYPE_FLOAT, MemoryOf<float>({7}), "2.5", nullptr, MemoryOf<float>({2.5f})},
      {KvTYPE_FLOAT, MemoryOf<float>({7}), "1e300", "%f", MemoryOf<float>({HUGE_VALF})},
      // Literal text matches itself; a blank in the format any run of
      // blanks, none included; the number itself skips blanks before it.
      {KvTYPE_INT, long7, "value: 42", "value:%d", MemoryOf<int32_t>({42})},
      {KvTYPE_INT, long7, "value : 42", "value:%d", long7},
      {KvTYPE_INT, long7, "value \t: 42", "value :%d", MemoryOf<int32_t>({42})},
      {KvTYPE_INT, long7, "value:42", "value : %d", MemoryOf<int32_t>({42})},
      {KvTYPE_INT, long7, " 42", "#%d", long7},
      {KvTYPE_INT, long7, "100%", "%d%%", MemoryOf<int32_t>({100})},
      {KvTYPE_INT, long7, "%5", "%%%d", MemoryOf<int32_t>({5})},
      {KvTYPE_INT, long7, "5", "%d trailing text", MemoryOf<int32_t>({5})},
      {KvTYPE_INT, long7, "12", "", long7},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(r.text) + " with " + (r.format != nullptr ? r.format : "(exchange)"));
    EXPECT_EQ(Scanned(r.id, r.before, r.text, r.format), r.after);
  }
}

TEST(NumberScan, HostileFormatsNeverWriteBeyondTheValue) {
  struct Row {
    char id;
    const char* text;
    const char* format;
    int64_t after;  // the value read back at its width; 7 is "unchanged"
  };
  const Row rows[] = {
      {KvTYPE_SHORT, "abcdef", "%s", 7},
      {KvTYPE_SHORT, "%s 12", "%s %hd", 12},
      {KvTYPE_SHORT, "5", "%d%d%d%s%n", 5},
      {KvTYPE_SHORT, "%n7", "%n%d", 7},
      {KvTYPE_SHORT, "8", "%n%d", 7},
      {KvTYPE_SHORT, "12", "%ld", 7},
      {KvTYPE_SHORT, "%ld12", "%ld%hd", 12},
      {KvTYPE_SHORT, "12", "%*d", 7},
      {KvTYPE_SHORT, "12", "%1$d", 7},
      {KvTYPE_SHORT, "12", "%", 7},
      {KvTYPE_SHORT, "12", "%-d", 7},
      {KvTYPE_SHORT, "12", "%.3d", 7},
      {KvTYPE_SHORT, "123456789", "%100000d", -13035},  // 123456789 kept to 16 bits
      {KvTYPE_SHORT, "AB", "%2c", 7},
      {KvTYPE_SHORT, "AB", "%1c", 65},
      {KvTYPE_LONG, "12", "%lld", 7},
      {KvTYPE_LONG, "12", "%p", 7},
      {KvTYPE_FLOAT, "1.5", "%lf", 1},   // read as a float, never as 8 bytes
      {KvTYPE_FLOAT, "1.5", "%Lf", 1},
      {KvTYPE_FLOAT, "1.5", "%d", 7},
      {KvTYPE_DOUBLE, "1.5", "%5.2lf", 7},
      {KvTYPE_DOUBLE, "1.5", "%s", 7},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(r.text) + " with " + r.format);
    KvTypeMgr mgr;
    const uint16_t width = mgr.MemLenGet(r.id, 1);
    Bytes before = r.id == KvTYPE_SHORT    ? MemoryOf<int16_t>({7})
                   : r.id == KvTYPE_LONG   ? MemoryOf<int32_t>({7})
                   : r.id == KvTYPE_FLOAT  ? MemoryOf<float>({7})
                                           : MemoryOf<double>({7});
    ASSERT_EQ(before.size(), width);
    const Bytes after = Scanned(r.id, before, r.text, r.format);
    int64_t v = 0;
    if (r.id == KvTYPE_SHORT) {
      int16_t s;
      std::memcpy(&s, after.data(), 2);
      v = s;
    } else if (r.id == KvTYPE_LONG) {
      int32_t l;
      std::memcpy(&l, after.data(), 4);
      v = l;
    } else if (r.id == KvTYPE_FLOAT) {
      float f;
      std::memcpy(&f, after.data(), 4);
      v = static_cast<int64_t>(f);
    } else {
      double d;
      std::memcpy(&d, after.data(), 8);
      v = static_cast<int64_t>(d);
    }
    EXPECT_EQ(v, r.after);
  }
}

TEST(NumberScan, OneByteAtEachCharacter) {
  struct Row {
    char id;
    Bytes before;
    const char* text;
    const char* format;  // null: the row's exchange format
    Bytes after;
  };
  const Row rows[] = {
      {KvTYPE_CHAR, {1, 1}, "AB", nullptr, {'A', 'B'}},
      {KvTYPE_CHAR, {1}, "0x41", nullptr, {0x41}},
      {KvTYPE_CHAR, {1}, "0x141", nullptr, {0x41}},
      {KvTYPE_CHAR, {1}, "0x-1", nullptr, {0xFF}},
      // The hexadecimal form reads on past the byte's own character.
      {KvTYPE_CHAR, {1, 1, 1, 1}, "0x41BC", nullptr, {0xBC, 'x', '4', '1'}},
      {KvTYPE_CHAR, {1, 1, 1}, "A", nullptr, {'A', 1, 1}},
      {KvTYPE_CHAR, {1}, "0x", nullptr, {'0'}},
      {KvTYPE_CHAR, {1, 1}, "", nullptr, {1, 1}},
      {KvTYPE_BYTE, {1, 1}, "65", "%d", {65, 5}},
      {KvTYPE_BYTE, {1}, "300", "%d", {44}},
      {KvTYPE_BYTE, {1}, "-1", "%hhd", {0xFF}},
      {KvTYPE_BYTE, {1}, "zz", "%d", {1}},
      {KvTYPE_BYTE, {1}, "12", "%hd", {1}},
      {KvTYPE_BYTE, {1}, "AB", "%s", {1}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(r.text) + " with " + (r.format != nullptr ? r.format : "(exchange)"));
    EXPECT_EQ(Scanned(r.id, r.before, r.text, r.format, static_cast<uint32_t>(r.before.size())),
              r.after);
  }
}

TEST(NumberScan, SixteenBitTextIsReadAsEightBit) {
  KvTypeMgr mgr;
  KvString blockId(reinterpret_cast<const unsigned short*>(u"#42"));
  uint32_t id = 7;
  mgr.ScanFromKvString(KvTYPE_BLOCKID, &id, blockId, nullptr, 1);
  EXPECT_EQ(id, 42u);
  EXPECT_GT(blockId.CodeSetGet(), 224) << "the text itself stays as it was";

  KvString real(reinterpret_cast<const unsigned short*>(u"-1.5"));
  double d = 7;
  mgr.ScanFromKvString(KvTYPE_DOUBLE, &d, real, nullptr, 1);
  EXPECT_EQ(d, -1.5);

  KvString chars(reinterpret_cast<const unsigned short*>(u"A\u00e9"));
  uint8_t bytes[2] = {1, 1};
  mgr.ScanFromKvString(KvTYPE_CHAR, bytes, chars, nullptr, 2);
  EXPECT_EQ(bytes[0], 'A');
  EXPECT_EQ(bytes[1], 0xE9);  // é in the default 8-bit code set, Windows-1252
}

TEST(NumberScan, NullValuesGiveNull) {
  KvTypeMgr mgr;
  KvString text("12");
  for (char id : {KvTYPE_CHAR, KvTYPE_SHORT, KvTYPE_LONG, KvTYPE_DOUBLE}) {
    EXPECT_EQ(mgr.ScanFromKvString(id, nullptr, text, nullptr, 1), nullptr);
    KvString out("kept");
    EXPECT_STREQ(mgr.PrintToKvString(id, out, nullptr, nullptr, 1).StrGet(), "kept");
  }
}

TEST(NumberLists, ValuesToText) {
  struct Row {
    char id;
    Bytes values;
    uint32_t count;
    const char* text;
  };
  const Row rows[] = {
      {KvTYPE_DOUBLE, MemoryOf<double>({1.5, -2}), 2, "1.5,-2,"},
      {KvTYPE_DOUBLE, MemoryOf<double>({1.0 / 3, 1e300}), 2, "0.333333333333333,1e+300,"},
      {KvTYPE_FLOAT, MemoryOf<float>({0.1f}), 1, "0.100000001490116,"},
      {KvTYPE_BYTE, {200}, 1, "-56,"},
      {KvTYPE_CHAR, {'A', 0}, 2, "65,0,"},
      {KvTYPE_WORD, MemoryOf<uint16_t>({65535}), 1, "-1,"},
      {KvTYPE_SHORT, MemoryOf<int16_t>({-32768, 32767}), 2, "-32768,32767,"},
      {KvTYPE_DWORD, MemoryOf<uint32_t>({4294967295u}), 1, "-1,"},
      {KvTYPE_BLOCKID, MemoryOf<uint32_t>({2147483648u}), 1, "-2147483648,"},
      {KvTYPE_LONG, MemoryOf<int32_t>({-7}), 1, "-7,"},
      {KvTYPE_UNSIGNED, MemoryOf<uint32_t>({4294967295u}), 1, "-1,"},
      {KvTYPE_INT, MemoryOf<int32_t>({1, 2, 3}), 3, "1,2,3,"},
      {KvTYPE_ENUM, MemoryOf<int32_t>({7}), 1, "7,"},
  };
  KvTypeMgr mgr;
  for (const Row& r : rows) {
    SCOPED_TRACE(r.text);
    Bytes values = r.values;
    KvString* text = mgr.ConvertToKvString(values.data(), r.id, r.count);
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text->StrGet(), r.text);
    EXPECT_EQ(text->CodeSetGet(), KvString::GetDefaultCodeSet());
    delete text;
  }
  int32_t none = 5;
  KvString* empty = mgr.ConvertToKvString(&none, KvTYPE_INT, 0);
  EXPECT_EQ(empty->SizeGet(), 0);
  delete empty;
}

TEST(NumberLists, TextToValuesConsumesTheText) {
  struct Row {
    char id;
    const char* text;
    uint32_t count;
    Bytes values;
    const char* rest;
    int32_t options = 0;
  };
  const Row rows[] = {
      {KvTYPE_DOUBLE, "1.5,-2,", 2, MemoryOf<double>({1.5, -2}), ""},
      {KvTYPE_FLOAT, "0.5,1e300,", 2, MemoryOf<float>({0.5f, HUGE_VALF}), ""},
      {KvTYPE_INT, "7;8;", 2, MemoryOf<int32_t>({7, 8}), ""},
      {KvTYPE_INT, "1,2,3,", 2, MemoryOf<int32_t>({1, 2}), "3,"},
      {KvTYPE_INT, "1,2,", 3, MemoryOf<int32_t>({1, 2, 0}), ""},
      {KvTYPE_INT, " 12 , 13,", 2, MemoryOf<int32_t>({12, 13}), ""},
      {KvTYPE_INT, "1,2,", 0, {}, "1,2,"},
      {KvTYPE_INT, "12", 2, MemoryOf<int32_t>({12, 0}), ""},  // '2' is the separator
      {KvTYPE_INT, "", 2, MemoryOf<int32_t>({0, 0}), ""},
      {KvTYPE_SHORT, "70000,", 1, MemoryOf<int16_t>({4464}), ""},
      {KvTYPE_WORD, "-1,", 1, MemoryOf<uint16_t>({65535}), ""},
      {KvTYPE_BYTE, "-56,", 1, {200}, ""},
      {KvTYPE_CHAR, "300,65,", 2, {44, 'A'}, ""},
      {KvTYPE_DWORD, "-1,", 1, MemoryOf<uint32_t>({4294967295u}), ""},
      {KvTYPE_DWORD, "4294967295,", 1, MemoryOf<uint32_t>({2147483647u}), ""},  // a 32-bit strtol
      {KvTYPE_LONG, "0x10,", 1, MemoryOf<int32_t>({16}), ""},
      {KvTYPE_LONG, "0x10,", 1, MemoryOf<int32_t>({0}), "", 1},
      {KvTYPE_ENUM, "017,", 1, MemoryOf<int32_t>({15}), ""},
      {KvTYPE_ENUM, "017,", 1, MemoryOf<int32_t>({17}), "", 1},
  };
  KvTypeMgr mgr;
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(r.text) + " count " + std::to_string(r.count));
    const int32_t previous = ___KvTypeMgrOptions();
    ___KvTypeMgrOptions() = r.options;
    KvString text(r.text);
    void* values = mgr.ConvertFromKvString(&text, r.id, r.count);
    ___KvTypeMgrOptions() = previous;
    ASSERT_NE(values, nullptr);
    const uint8_t* p = static_cast<const uint8_t*>(values);
    EXPECT_EQ(Bytes(p, p + r.values.size()), r.values);
    EXPECT_STREQ(text.StrGet(), r.rest);
    mgr.Delete(r.id, values, r.count);
  }
}

TEST(NumberLists, RoundTripInASixteenBitProcess) {
  const uint8_t previous = KvString::GetDefaultCodeSet();
  KvString::SetDefaultCodeSet(253);
  KvTypeMgr mgr;
  const Bytes values = MemoryOf<int32_t>({1, -2, 2147483647});
  Bytes in = values;
  KvString* text = mgr.ConvertToKvString(in.data(), KvTYPE_INT, 3);
  KvString::SetDefaultCodeSet(previous);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->CodeSetGet(), 253);
  EXPECT_EQ(text->Len(), 16);  // "1,-2,2147483647,"
  void* out = mgr.ConvertFromKvString(text, KvTYPE_INT, 3);
  EXPECT_EQ(Bytes(static_cast<uint8_t*>(out), static_cast<uint8_t*>(out) + 12), values);
  EXPECT_EQ(text->Len(), 0);
  EXPECT_EQ(text->CodeSetGet(), 253);
  mgr.Delete(KvTYPE_INT, out, 3);
  delete text;
}

TEST(NumberLists, AListLongerThanAStringEndsAfterAWholeItem) {
  OverflowReports reports;
  std::vector<int32_t> many(20000, -1000000000);  // "-1000000000," is 12 characters
  KvString* text = KvTypeMgr().ConvertToKvString(many.data(), KvTYPE_LONG, 20000);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->Len(), 65532);  // 5461 items
  EXPECT_EQ(text->StrGet()[65531], ',');
  EXPECT_EQ(reports.Count(), 1);
  delete text;
}

}  // namespace
