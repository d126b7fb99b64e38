// Facts about the text forms of the number types through the type manager:
// one value printed or scanned under a caller's format (hostile ones
// included), the bytes of the 1-byte family, and text lists.
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "kvtm/kvtm.h"
#include "test_util.h"

namespace {

const Bytes kShort7 = MemoryOf<int16_t>({7});
const Bytes kLong7 = MemoryOf<int32_t>({7});
const Bytes kFloat7 = MemoryOf<float>({7});
const Bytes kDouble7 = MemoryOf<double>({7});

std::string Printed(char id, Bytes values, const char* format, uint32_t count = 1) {
  KvString out("old");
  EXPECT_EQ(&KvTypeMgr().PrintToKvString(id, out, values.data(), format, count), &out);
  return std::string(out.StrGet(), out.Len());
}

// The values after a scan. Guard bytes follow them and must stay as they
// were, and so must the text.
Bytes Scanned(char id, Bytes values, const char* text, const char* format, uint32_t count = 1) {
  const size_t n = values.size();
  values.resize(n + 8, 0xA5);
  KvString t(text);
  EXPECT_EQ(KvTypeMgr().ScanFromKvString(id, values.data(), t, format, count), values.data());
  EXPECT_EQ(Bytes(values.begin() + n, values.end()), Bytes(8, 0xA5)) << "written past the values";
  EXPECT_STREQ(t.StrGet(), text);
  values.resize(n);
  return values;
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
      {KvTYPE_DWORD, MemoryOf<uint32_t>({4294967295u}), "%ld %%", "-1 %"},
      {KvTYPE_LONG, MemoryOf<int32_t>({-1}), "%08lX", "FFFFFFFF"},  // 32 bits, as on the platform
      {KvTYPE_LONG, MemoryOf<int32_t>({7, 8}), "<%ld>", "<7>"},     // the first value only
      {KvTYPE_INT, MemoryOf<int32_t>({12345}), "% d|%+d", " 12345|%+d"},
      {KvTYPE_UNSIGNED, MemoryOf<uint32_t>({4294967295u}), "%d", "-1"},
      {KvTYPE_SHORT, MemoryOf<int16_t>({-5}), nullptr, "-5"},
      {KvTYPE_SHORT, MemoryOf<int16_t>({-5}), "%hu", "65531"},
      {KvTYPE_SHORT, MemoryOf<int16_t>({-5}), "%x", "fffffffb"},
      {KvTYPE_WORD, MemoryOf<uint16_t>({65535}), "%#ho", "0177777"},
      {KvTYPE_FLOAT, MemoryOf<float>({0.1f}), nullptr, "0.100000"},
      {KvTYPE_FLOAT, MemoryOf<float>({0.1f}), "%.9g", "0.100000001"},  // widened, not rounded
      {KvTYPE_DOUBLE, MemoryOf<double>({1.5}), "%Lg %a", "1.5 %a"},
      {KvTYPE_DOUBLE, MemoryOf<double>({1.5}), "%+08.2f", "+0001.50"},
      {KvTYPE_DOUBLE, MemoryOf<double>({HUGE_VAL}), "%5.1lf", "  inf"},
      // Flags C gives no meaning for the conversion are dropped.
      {KvTYPE_INT, MemoryOf<int32_t>({5}), "%#d", "5"},
      {KvTYPE_INT, MemoryOf<int32_t>({65}), "%05.3c|", "    A|"},
      {KvTYPE_INT, MemoryOf<int32_t>({0}), "a%cb", "a"},  // a zero character ends the text
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.text);
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
      {KvTYPE_SHORT, "%s%n%p", "%s%n%p"},
      {KvTYPE_SHORT, "%*d|%1$d|%.*d", "%*d|%1$d|%.*d"},
      {KvTYPE_SHORT, "%d%d%d%s%n", "-5%d%d%s%n"},
      {KvTYPE_SHORT, "%ld %hhd %hc", "%ld %hhd %hc"},
      {KvTYPE_SHORT, "%zd %'d %I64d %m", "%zd %'d %I64d %m"},
      {KvTYPE_SHORT, "100%", "100%"},
      {KvTYPE_SHORT, "%-+ #05", "%-+ #05"},
      {KvTYPE_LONG, "%lld %hd %lc %f", "%lld %hd %lc %f"},
      {KvTYPE_DOUBLE, "%d %hf %s %f %f", "%d %hf %s 1.500000 %f"},
  };
  const Bytes values[] = {MemoryOf<int16_t>({-5}), kLong7, MemoryOf<double>({1.5})};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.format);
    const Bytes& v = values[r.id == KvTYPE_SHORT ? 0 : r.id == KvTYPE_LONG ? 1 : 2];
    EXPECT_EQ(Printed(r.id, v, r.format), r.text);
  }
}

TEST(NumberPrint, NoTextBeyondWhatAStringHolds) {
  const std::string pad(65531, ' ');
  struct Row {
    char id;
    Bytes values;
    std::string format;
    std::string text;  // empty: refused, no text at all
  };
  const Row rows[] = {
      {KvTYPE_INT, MemoryOf<int32_t>({5}), "%100000d", pad + "5"},
      {KvTYPE_INT, MemoryOf<int32_t>({5}), "%-99999999999999999999d", "5" + pad},
      {KvTYPE_INT, MemoryOf<int32_t>({5}), "%.100000d", std::string(65531, '0') + "5"},
      {KvTYPE_DOUBLE, MemoryOf<double>({0.5}), "%.65530f", "0.5" + std::string(65529, '0')},
      {KvTYPE_INT, MemoryOf<int32_t>({5}), "x%100000d", ""},
      {KvTYPE_DOUBLE, MemoryOf<double>({1e300}), "%.100000e", ""},
      {KvTYPE_INT, MemoryOf<int32_t>({5}), std::string(70000, 'x'), ""},
      {KvTYPE_CHAR, Bytes(70000, 'a'), "%c", ""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.format.substr(0, 24));
    OverflowCounter reports;
    KvString out("old");
    Bytes values = r.values;
    KvTypeMgr().PrintToKvString(r.id, out, values.data(), r.format.c_str(),
                                static_cast<uint32_t>(values.size()));
    EXPECT_EQ(out.SizeGet(), r.text.empty() ? 0 : r.text.size() + 1);
    EXPECT_TRUE(out.StrGet() == r.text);
    EXPECT_EQ(reportCount, r.text.empty() ? 1 : 0);
  }
}

int memoryHandlerCalls = 0;
int ReturnWithoutMemory(unsigned long) {
  ++memoryHandlerCalls;
  return 0;
}

TEST(NumberPrint, NoMemoryForTheTextGivesNoText) {
  const KvMemoryHandler previous = KvSetMemoryHandler(ReturnWithoutMemory);
  memoryHandlerCalls = 0;
  OverflowCounter reports;
  KvString out("old");
  int32_t value = 42;
  KvSetAllocFailure(0);
  KvTypeMgr().PrintToKvString(KvTYPE_INT, out, &value, "<%d>", 1);
  KvSetAllocFailure(-1);
  KvSetMemoryHandler(previous);
  EXPECT_GE(memoryHandlerCalls, 1);
  EXPECT_EQ(out.SizeGet(), 0);  // never a cut text that reads as another number
  EXPECT_EQ(reportCount, 1);
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
      {KvTYPE_BYTE, {200, 10}, nullptr, "0xc80x0a"},
      {KvTYPE_CHAR, {' ', '~', 0x7F, 0}, nullptr, " ~0x7f0x00"},
      {KvTYPE_CHAR, {'a', 'b'}, "[%c%c]", "[a%c][b%c]"},
      {KvTYPE_BYTE, {'A'}, "%d %hhx %5c", "65 %hhx %5c"},
      {KvTYPE_BYTE, {'A'}, "%hd", "%hd"},
      {KvTYPE_BYTE, {'A', '~'}, "%hhd,", "65,126,"},
      {KvTYPE_CHAR, {'~'}, "%#hhx", "0x7e"},
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
  const Row rows[] = {
      {KvTYPE_BLOCKID, kLong7, "#42", "#%lu", MemoryOf<uint32_t>({42})},
      {KvTYPE_BLOCKID, kLong7, "42", "#%lu", kLong7},
      {KvTYPE_LONG, kLong7, "  -12", nullptr, MemoryOf<int32_t>({-12})},
      {KvTYPE_LONG, kLong7, "-", "%ld", kLong7},
      {KvTYPE_LONG, kLong7, "-99999999999", "%ld", MemoryOf<int32_t>({-2147483647 - 1})},
      {KvTYPE_DWORD, kLong7, "-1", "%lu", MemoryOf<uint32_t>({4294967295u})},
      {KvTYPE_DWORD, kLong7, "-4294967296", "%lu", MemoryOf<uint32_t>({4294967295u})},
      {KvTYPE_INT, kLong7, "0x1f", "%i", MemoryOf<int32_t>({31})},
      {KvTYPE_INT, kLong7, "017", "%i", MemoryOf<int32_t>({15})},
      {KvTYPE_INT, kLong7, "0x", "%x", MemoryOf<int32_t>({0})},
      {KvTYPE_INT, kLong7, "778", "%o", MemoryOf<int32_t>({63})},
      {KvTYPE_INT, kLong7, "1f;", "%x;", MemoryOf<int32_t>({31})},
      {KvTYPE_INT, kLong7, "12345", "%3d", MemoryOf<int32_t>({123})},
      {KvTYPE_INT, kLong7, " A", "%c", MemoryOf<int32_t>({32})},
      {KvTYPE_SHORT, kShort7, "70000", nullptr, MemoryOf<int16_t>({4464})},
      {KvTYPE_SHORT, kShort7, "-1", "%hu", MemoryOf<int16_t>({-1})},
      {KvTYPE_DOUBLE, kDouble7, "1.5e3x", nullptr, MemoryOf<double>({1500})},
      {KvTYPE_DOUBLE, kDouble7, "1.2345", "%3le", MemoryOf<double>({1.2})},
      {KvTYPE_DOUBLE, kDouble7, "-inf", "%la", MemoryOf<double>({-HUGE_VAL})},
      {KvTYPE_DOUBLE, kDouble7, ".", "%lf", kDouble7},
      {KvTYPE_FLOAT, kFloat7, "1e300", nullptr, MemoryOf<float>({HUGE_VALF})},
      // Literal text matches itself; a blank in the format any run of
      // blanks, none included; a number skips the blanks before it.
      {KvTYPE_INT, kLong7, "value : 42", "value:%d", kLong7},
      {KvTYPE_INT, kLong7, "value \t: 42", "value :%d", MemoryOf<int32_t>({42})},
      {KvTYPE_INT, kLong7, "value:42", "value : %d", MemoryOf<int32_t>({42})},
      {KvTYPE_INT, kLong7, "%5", "%%%d", MemoryOf<int32_t>({5})},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(r.text) + " with " + (r.format != nullptr ? r.format : "(exchange)"));
    EXPECT_EQ(Scanned(r.id, r.before, r.text, r.format), r.after);
  }
}

TEST(NumberScan, HostileFormatsNeverWriteBeyondTheValue) {
  struct Row {
    char id;
    Bytes before;
    const char* text;
    const char* format;
    Bytes after;
  };
  const Row rows[] = {
      {KvTYPE_SHORT, kShort7, "abcdef", "%s", kShort7},
      {KvTYPE_SHORT, kShort7, "%s 12", "%s %hd", MemoryOf<int16_t>({12})},
      {KvTYPE_SHORT, kShort7, "5", "%d%d%d%s%n", MemoryOf<int16_t>({5})},
      {KvTYPE_SHORT, kShort7, "8", "%n%d", kShort7},
      {KvTYPE_SHORT, kShort7, "12", "%ld", kShort7},
      {KvTYPE_SHORT, kShort7, "%ld12", "%ld%hd", MemoryOf<int16_t>({12})},
      {KvTYPE_SHORT, kShort7, "12", "%*d", kShort7},
      {KvTYPE_SHORT, kShort7, "12", "%", kShort7},
      {KvTYPE_SHORT, kShort7, "123456789", "%100000d", MemoryOf<int16_t>({-13035})},
      {KvTYPE_SHORT, kShort7, "AB", "%2c", kShort7},
      {KvTYPE_LONG, kLong7, "12", "%lld", kLong7},
      {KvTYPE_FLOAT, kFloat7, "1.5", "%lf", MemoryOf<float>({1.5f})},  // never 8 bytes
      {KvTYPE_DOUBLE, kDouble7, "1.5", "%5.2lf", kDouble7},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(r.text) + " with " + r.format);
    EXPECT_EQ(Scanned(r.id, r.before, r.text, r.format), r.after);
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
      {KvTYPE_CHAR, {1}, "0x141", nullptr, {0x41}},
      {KvTYPE_CHAR, {1}, "0x-1", nullptr, {0xFF}},
      // The hexadecimal form reads on past the byte's own character.
      {KvTYPE_CHAR, {1, 1, 1, 1}, "0x41BC", nullptr, {0xBC, 'x', '4', '1'}},
      {KvTYPE_CHAR, {1}, "0x", nullptr, {'0'}},
      {KvTYPE_BYTE, {1, 1}, "300", "%d", {44, 0}},
      {KvTYPE_BYTE, {1}, "-1", "%hhd", {0xFF}},
      {KvTYPE_BYTE, {1}, "12", "%hd", {1}},
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
  EXPECT_GT(blockId.CodeSetGet(), 224);  // the text itself stays as it was

  KvString chars(reinterpret_cast<const unsigned short*>(u"A\u00e9"));
  uint8_t bytes[2] = {1, 1};
  mgr.ScanFromKvString(KvTYPE_CHAR, bytes, chars, nullptr, 2);
  EXPECT_EQ(bytes[1], 0xE9);  // é of the default 8-bit code set, Windows-1252
}

TEST(NumberScan, NullValuesGiveNull) {
  KvString text("12");
  for (char id : {KvTYPE_CHAR, KvTYPE_SHORT, KvTYPE_LONG, KvTYPE_DOUBLE})
    EXPECT_EQ(KvTypeMgr().ScanFromKvString(id, nullptr, text, nullptr, 1), nullptr);
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
      {KvTYPE_FLOAT, MemoryOf<float>({0.1f}), 1, "0.100000001490116,"},
      {KvTYPE_BYTE, {200, 'A'}, 2, "-56,65,"},
      {KvTYPE_WORD, MemoryOf<uint16_t>({65535}), 1, "-1,"},
      {KvTYPE_DWORD, MemoryOf<uint32_t>({4294967295u}), 1, "-1,"},
      {KvTYPE_BLOCKID, MemoryOf<uint32_t>({2147483648u}), 1, "-2147483648,"},
      {KvTYPE_INT, MemoryOf<int32_t>({1, 2, 3}), 3, "1,2,3,"},
      {KvTYPE_INT, MemoryOf<int32_t>({1}), 0, ""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.text);
    Bytes values = r.values;
    KvString* text = KvTypeMgr().ConvertToKvString(values.data(), r.id, r.count);
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text->StrGet(), r.text);
    EXPECT_EQ(text->CodeSetGet(), KvString::GetDefaultCodeSet());
    if (r.count == 0) {
      EXPECT_EQ(text->SizeGet(), 0);
    }
    delete text;
  }
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
      {KvTYPE_FLOAT, "0.5;1e300;", 2, MemoryOf<float>({0.5f, HUGE_VALF}), ""},
      {KvTYPE_INT, "7;8;", 2, MemoryOf<int32_t>({7, 8}), ""},
      {KvTYPE_INT, "1,2,3,", 2, MemoryOf<int32_t>({1, 2}), "3,"},
      {KvTYPE_INT, " 1 , 2,", 3, MemoryOf<int32_t>({1, 2, 0}), ""},
      {KvTYPE_INT, "1,2,", 0, {}, "1,2,"},
      {KvTYPE_INT, "12", 2, MemoryOf<int32_t>({12, 0}), ""},  // '2' is the separator
      {KvTYPE_SHORT, "70000,", 1, MemoryOf<int16_t>({4464}), ""},
      {KvTYPE_CHAR, "-56,300,", 2, {200, 44}, ""},
      {KvTYPE_DWORD, "-1,4294967295,", 2, MemoryOf<uint32_t>({4294967295u, 2147483647u}), ""},
      {KvTYPE_LONG, "0x10,", 1, MemoryOf<int32_t>({16}), ""},
      {KvTYPE_ENUM, "0x10,", 1, MemoryOf<int32_t>({0}), "", 1},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(r.text) + " count " + std::to_string(r.count));
    const int32_t previous = ___KvTypeMgrOptions();
    ___KvTypeMgrOptions() = r.options;
    KvString text(r.text);
    void* values = KvTypeMgr().ConvertFromKvString(&text, r.id, r.count);
    ___KvTypeMgrOptions() = previous;
    ASSERT_NE(values, nullptr);
    const uint8_t* p = static_cast<const uint8_t*>(values);
    EXPECT_EQ(Bytes(p, p + r.values.size()), r.values);
    EXPECT_STREQ(text.StrGet(), r.rest);
    KvTypeMgr().Delete(r.id, values, r.count);
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
  EXPECT_EQ(text->CodeSetGet(), 253);
  EXPECT_EQ(text->Len(), 16);  // "1,-2,2147483647,"
  void* out = mgr.ConvertFromKvString(text, KvTYPE_INT, 3);
  EXPECT_EQ(Bytes(static_cast<uint8_t*>(out), static_cast<uint8_t*>(out) + 12), values);
  EXPECT_EQ(text->Len(), 0);
  mgr.Delete(KvTYPE_INT, out, 3);
  delete text;
}

TEST(NumberLists, AListLongerThanAStringEndsAfterAWholeItem) {
  OverflowCounter reports;
  std::vector<int32_t> many(20000, -1000000000);  // "-1000000000," is 12 characters
  KvString* text = KvTypeMgr().ConvertToKvString(many.data(), KvTYPE_LONG, 20000);
  EXPECT_EQ(text->Len(), 65532);  // 5461 items
  EXPECT_EQ(text->StrGet()[65531], ',');
  EXPECT_EQ(reportCount, 1);
  delete text;
}

}  // namespace
