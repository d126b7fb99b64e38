// Facts about KvString: exact buffers, the two empty forms, the size limit
// and its report, code set conversion, construction, number formats,
// assignment, appending, and the edit primitive itself.
#include <iconv.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "kvstring_access.h"
#include "kvtm/kvtm.h"
#include "test_util.h"

namespace {

// The whole buffer, terminator included; nothing for a string without one.
Bytes BufferOf(const KvString& s) {
  const uint8_t* p = reinterpret_cast<const uint8_t*>(KvStringAccess::BufferGet(s));
  return p != nullptr ? Bytes(p, p + s.SizeGet()) : Bytes();
}

// 16-bit units in this host's memory layout.
Bytes Wide(std::initializer_list<uint16_t> units) { return MemoryOf<uint16_t>(units); }

// A string of code set `cs` holding `text` as it is (no conversion), or no
// buffer when `text` is empty.
KvString Make(uint8_t cs, const Bytes& text, uint8_t language = 1) {
  KvString s(cs, language);
  if (!text.empty())
    KvStringAccess::AssignUnits(s, reinterpret_cast<const char*>(text.data()), cs,
                                KvSTRING_WHOLE, 1);
  return s;
}

std::string Repeated(size_t n) { return std::string(n, 'a'); }
std::vector<unsigned short> RepeatedWide(size_t n) {
  std::vector<unsigned short> units(n, 0x263A);
  units.push_back(0);
  return units;
}

TEST(KvStringRepresentation, UnitWidthAndExactSize) {
  struct Row {
    uint8_t cs;
    Bytes buffer;
  };
  const Row rows[] = {
      {0, {'a', 'b', 'c', 0}},
      {1, {'a', 'b', 'c', 0}},
      {224, {'a', 'b', 'c', 0}},
      {225, Wide({'a', 'b', 'c', 0})},
      {253, Wide({'a', 'b', 'c', 0})},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(int{r.cs});
    KvString s(r.cs, 1);
    s += KvString("abc");
    EXPECT_EQ(s.CodeSetGet(), r.cs);
    EXPECT_EQ(s.SizeGet(), r.buffer.size());
    EXPECT_EQ(BufferOf(s), r.buffer);
    EXPECT_EQ(s.Len(), 3);
    EXPECT_EQ(s.IsEmpty(), 0);
  }
}

TEST(KvStringRepresentation, TwoEmptyForms) {
  const unsigned short noUnits[] = {0};
  const unsigned short* nullWide = nullptr;
  // Copies of named strings: a copy of a temporary would be elided.
  const KvString labelsOnly(5, 7), terminatorOnly("");
  struct Row {
    const char* what;
    KvString s;
    uint16_t size;  // 0: no buffer
    uint8_t cs;
  };
  const Row rows[] = {
      {"default", KvString(), 0, 1},
      {"zero char", KvString('\0'), 0, 1},
      {"zero 16-bit char", KvString(static_cast<unsigned short>(0)), 0, 253},
      {"null text", KvString(static_cast<const char*>(nullptr)), 0, 1},
      {"null 16-bit text", KvString(nullWide), 0, 253},
      {"count 0", KvString("abc", 0), 0, 1},
      {"code set and language", KvString(5, 7), 0, 5},
      {"\"\"", KvString(""), 1, 1},
      {"16-bit \"\"", KvString(noUnits), 2, 253},
      {"copy of no buffer", KvString(labelsOnly), 0, 5},
      {"copy of \"\"", KvString(terminatorOnly), 1, 1},
      {"no buffer + no buffer", KvString() + KvString(), 1, 1},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    EXPECT_EQ(r.s.SizeGet(), r.size);
    EXPECT_EQ(KvStringAccess::BufferGet(r.s) == nullptr, r.size == 0);
    EXPECT_EQ(r.s.CodeSetGet(), r.cs);
    EXPECT_EQ(r.s.Len(), 0);
    EXPECT_EQ(r.s.IsEmpty(), 1);
    EXPECT_EQ(!r.s, 1);
    ASSERT_NE(r.s.StrGet(), nullptr);
    EXPECT_EQ(r.s.StrGet()[0], 0);
    if (r.size != 1) {
      EXPECT_EQ(r.s.StrGet()[1], 0);  // the static text: empty in either width
    }
  }
}

TEST(KvStringRepresentation, DestructAndRelease) {
  KvString target("old");
  KvString source = Make(253, Wide({0x20AC, 0}), 4);
  target.Destruct(source);
  EXPECT_EQ(BufferOf(target), Wide({0x20AC, 0}));
  EXPECT_EQ(target.CodeSetGet(), 253);
  EXPECT_EQ(target.LanguageGet(), 4);
  EXPECT_EQ(KvStringAccess::BufferGet(source), nullptr);
  EXPECT_EQ(source.SizeGet(), 0);
  EXPECT_EQ(source.CodeSetGet(), 253);  // the moved-from string keeps its labels
  EXPECT_EQ(source.LanguageGet(), 4);

  target.Destruct(target);
  EXPECT_EQ(BufferOf(target), Wide({0x20AC, 0}));
  EXPECT_EQ(target.CodeSetGet(), 253);

  target.d_deactivate();
  EXPECT_EQ(target.SizeGet(), 0);
  EXPECT_EQ(target.CodeSetGet(), 0);
  EXPECT_EQ(target.LanguageGet(), 0);
}

std::vector<std::string> reports;
void NoteReport(const char* expression, const char* file, int line) {
  reports.push_back(std::string(expression) + "|" + file + "|" + std::to_string(line));
}

// While alive: reports are collected and the configuration asks for them
// (flag 1) or not (flag 0).
class OverflowReports {
 public:
  explicit OverflowReports(int32_t flag) : previous_(KvSetAssertHandler(NoteReport)) {
    reports.clear();
    DefaultConfig(KV_CONFIG_CURRENT)->Set("debug", "stringOverflow", flag);
  }
  ~OverflowReports() {
    DefaultConfig(KV_CONFIG_CURRENT)->Set("debug", "stringOverflow", 0);
    KvSetAssertHandler(previous_);
  }

 private:
  KvAssertHandler previous_;
};

TEST(KvStringLimits, OverflowIsReportedAndRefused) {
  struct Row {
    const char* what;
    int32_t flag;
    void (*act)(KvString& s);  // s starts as KvString()
    uint16_t size;             // afterwards
    uint8_t cs;
    size_t reports;
  };
  const Row rows[] = {
      {"65532 8-bit units", 1, [](KvString& s) { s = Repeated(65532).c_str(); }, 65533, 1, 0},
      {"65533 8-bit units", 1, [](KvString& s) { s = KvString(Repeated(65533).c_str()); }, 0, 1, 1},
      {"silent without the flag", 0, [](KvString& s) { s = KvString(Repeated(65533).c_str()); }, 0, 1, 0},
      {"one unit appended past the limit", 1,
       [](KvString& s) {
         s = Repeated(65532).c_str();
         s << 'b';
       },
       65533, 1, 1},
      {"70000 units constructed, never 4464", 1,
       [](KvString& s) { s = KvString(Repeated(70000).c_str()); }, 0, 1, 1},
      {"70000 units assigned release the old text", 1,
       [](KvString& s) {
         s = "abc";
         s = Repeated(70000).c_str();
       },
       0, 1, 1},
      {"self-append past the limit", 1,
       [](KvString& s) {
         s = Repeated(40000).c_str();
         s += s;
       },
       40001, 1, 1},
      {"32765 16-bit units", 1, [](KvString& s) { s = RepeatedWide(32765).data(); }, 65532, 253, 0},
      {"32766 16-bit units", 1, [](KvString& s) { s = RepeatedWide(32766).data(); }, 0, 253, 1},
      {"32765 8-bit units into 16-bit", 1,
       [](KvString& s) {
         s = Repeated(32765).c_str();
         s.SetCodeSet(253);
       },
       65532, 253, 0},
      {"32766 8-bit units into 16-bit: SetCodeSet keeps the label", 1,
       [](KvString& s) {
         s = Repeated(32766).c_str();
         s.SetCodeSet(253);
       },
       32767, 1, 1},
      {"32766 8-bit units into 16-bit: MapToCodeSet", 1,
       [](KvString& s) {
         s = Repeated(32766).c_str();
         EXPECT_EQ(s.MapToCodeSet(253), -2002);
       },
       32767, 1, 1},
      {"8-bit text appended to 16-bit up to the limit", 1,
       [](KvString& s) {
         s = RepeatedWide(1).data();
         s += KvString(Repeated(32764).c_str());
       },
       65532, 253, 0},
      {"8-bit text appended to 16-bit past the limit", 1,
       [](KvString& s) {
         s = RepeatedWide(1).data();
         s << Repeated(32765).c_str();
       },
       4, 253, 1},
      {"upper case past the limit: every sharp s becomes SS", 1,
       [](KvString& s) {
         s = std::string(40000, '\xDF').c_str();
         s.ToUpper();
       },
       40001, 1, 1},
      {"replace all stops before the replacement that would pass the limit", 1,
       [](KvString& s) {
         s = "aaa";
         s.ReplaceAll("a", Repeated(30000).c_str(), 0);
       },
       60002, 1, 1},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    OverflowReports guard(r.flag);
    KvString s;
    r.act(s);
    EXPECT_EQ(s.SizeGet(), r.size);
    EXPECT_EQ(s.CodeSetGet(), r.cs);
    EXPECT_EQ(reports.size(), r.reports);
    for (const std::string& report : reports)
      EXPECT_EQ(report, "\"String overflow\" && 0|src\\kvstring|1149");
  }
}

int memoryHandlerCalls = 0;
int ReturnWithoutMemory(unsigned long) {
  ++memoryHandlerCalls;
  return 0;
}

TEST(KvStringLimits, FailedAllocationKeepsTheOldText) {
  struct Row {
    const char* what;
    Bytes before;  // code set 1, or 253 when `wide`
    bool wide;
    int32_t successes;  // allocations that succeed before the failures
    void (*act)(KvString& s);
  };
  const Row rows[] = {
      {"append", {'a', 'b', 0}, false, 0, [](KvString& s) { s += KvString("cd"); }},
      {"insert", {'a', 'b', 0}, false, 0, [](KvString& s) { s.Insert(KvString("cd"), 1); }},
      {"upper case", {'a', 'b', 0}, false, 0, [](KvString& s) { s.ToUpper(); }},
      {"upper case growing its work area",
       Wide({0x0390, 0x0390, 0x0390, 0x0390, 0x0390, 0x0390, 0x0390, 0x0390, 0x0390, 0x0390, 0}),
       true, 1, [](KvString& s) { s.ToUpper(); }},
      {"widen to 16 bits", {'a', 'b', 0}, false, 0, [](KvString& s) { s.SetCodeSet(253); }},
  };
  const KvMemoryHandler previous = KvSetMemoryHandler(ReturnWithoutMemory);
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    const uint8_t cs = r.wide ? 253 : 1;
    KvString s = Make(cs, r.before);
    memoryHandlerCalls = 0;
    KvSetAllocFailure(r.successes);
    r.act(s);
    KvSetAllocFailure(-1);
    EXPECT_GE(memoryHandlerCalls, 1);
    EXPECT_EQ(BufferOf(s), r.before);
    EXPECT_EQ(s.CodeSetGet(), cs);
  }
  // A string made while nothing can be allocated has no text.
  KvSetAllocFailure(0);
  KvString none("abc");
  KvSetAllocFailure(-1);
  EXPECT_EQ(none.SizeGet(), 0);
  EXPECT_EQ(none.Len(), 0);
  KvSetMemoryHandler(previous);
}

// The system's codec as an independent reference for the character tables.
class Codec {
 public:
  explicit Codec(const char* name)
      : toUnicode_(iconv_open("UTF-16LE", name)), fromUnicode_(iconv_open(name, "UTF-16LE")) {}
  ~Codec() {
    if (toUnicode_ != kFailed) iconv_close(toUnicode_);
    if (fromUnicode_ != kFailed) iconv_close(fromUnicode_);
  }
  bool Ok() const { return toUnicode_ != kFailed && fromUnicode_ != kFailed; }

  // The character of byte `b`. The Windows code pages leave a few C1
  // positions unassigned; those stand for the C1 control of their value.
  uint16_t ToUnicode(uint8_t b) const {
    uint8_t out[2];
    return Run(toUnicode_, &b, 1, out, 2) ? uint16_t(out[0] | out[1] << 8) : b;
  }
  // The byte of `ch`, 0x1A when the code set lacks it.
  uint8_t FromUnicode(uint16_t ch) const {
    const uint8_t in[2] = {uint8_t(ch & 0xFF), uint8_t(ch >> 8)};
    uint8_t out[1];
    if (Run(fromUnicode_, in, 2, out, 1)) return out[0];
    return ch >= 0x80 && ch <= 0x9F && ToUnicode(uint8_t(ch)) == ch ? uint8_t(ch) : 0x1A;
  }

 private:
  static inline const iconv_t kFailed = reinterpret_cast<iconv_t>(-1);
  static bool Run(iconv_t cd, const uint8_t* in, size_t inLength, uint8_t* out, size_t outLength) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* inp = reinterpret_cast<char*>(const_cast<uint8_t*>(in));
    char* outp = reinterpret_cast<char*>(out);
    return iconv(cd, &inp, &inLength, &outp, &outLength) != size_t(-1) && inLength == 0 &&
           outLength == 0;
  }
  iconv_t toUnicode_;
  iconv_t fromUnicode_;
};

TEST(KvStringCodeSets, EveryPairAgainstTheSystemCodec) {
  struct Set {
    uint8_t cs;
    const char* codec;
  };
  const Set sets[] = {{1, "CP1252"}, {2, "ISO-8859-1"}, {3, "ISO-8859-15"}, {4, "CP1250"},
                      {5, "ISO-8859-2"}};
  for (const Set& set : sets)
    if (!Codec(set.codec).Ok()) GTEST_SKIP() << "no system codec for " << set.codec;

  Bytes everyByte;
  for (int b = 1; b < 256; ++b) everyByte.push_back(uint8_t(b));
  everyByte.push_back(0);
  for (const Set& from : sets) {
    SCOPED_TRACE(from.codec);
    const Codec source(from.codec);
    const KvString original = Make(from.cs, everyByte);
    KvString wide = original;
    ASSERT_EQ(wide.MapToCodeSet(253), 0);
    ASSERT_EQ(wide.SizeGet(), 512);
    for (int b = 1; b < 256; ++b) {
      uint16_t unit;
      std::memcpy(&unit, wide.StrGet() + 2 * (b - 1), 2);
      ASSERT_EQ(unit, source.ToUnicode(uint8_t(b))) << "byte " << b;
    }
    ASSERT_EQ(wide.MapToCodeSet(from.cs), 0);  // every byte comes back
    EXPECT_EQ(BufferOf(wide), everyByte);

    for (const Set& to : sets) {
      SCOPED_TRACE(to.codec);
      const Codec target(to.codec);
      KvString s = original;
      ASSERT_EQ(s.MapToCodeSet(to.cs), 0);
      for (int b = 1; b < 256; ++b)
        ASSERT_EQ(uint8_t(s.StrGet()[b - 1]), target.FromUnicode(source.ToUnicode(uint8_t(b))))
            << "byte " << b;
    }
  }

  // Every character of the Basic Multilingual Plane into each 8-bit set.
  for (const Set& to : sets) {
    SCOPED_TRACE(to.codec);
    const Codec target(to.codec);
    for (uint32_t first = 1; first < 0x10000; first += 32765) {
      std::vector<unsigned short> units;
      for (uint32_t ch = first; ch < first + 32765 && ch < 0x10000; ++ch) units.push_back(ch);
      units.push_back(0);
      KvString s(units.data());
      ASSERT_EQ(s.MapToCodeSet(to.cs), 0);
      ASSERT_EQ(s.SizeGet(), units.size());
      for (size_t i = 0; i + 1 < units.size(); ++i) {
        const uint8_t b = uint8_t(s.StrGet()[i]);
        ASSERT_EQ(b, target.FromUnicode(units[i])) << "U+" << std::hex << units[i];
        if (b == '?' || b == '*') {
          ASSERT_EQ(units[i], b);  // wildcards are never substitutes
        }
      }
    }
  }
}

TEST(KvStringCodeSets, LiteralMappings) {
  struct Row {
    uint8_t from;
    uint16_t unit;
    uint8_t to;
    uint16_t expected;
  };
  const Row rows[] = {
      {1, 0x80, 253, 0x20AC},   {253, 0x20AC, 1, 0x80},   {5, 0xA1, 253, 0x0104},
      {253, 0x0104, 5, 0xA1},   {4, 0x8A, 253, 0x0160},   {253, 0x0160, 4, 0x8A},
      {1, 0x8A, 5, 0xA9},       {3, 0xA4, 1, 0x80},       {1, 0x80, 2, 0x1A},
      {2, 0xA4, 3, 0x1A},       {5, 0xA1, 1, 0x1A},       {253, 0x4E2D, 1, 0x1A},
      {253, 0x0104, 2, 0x1A},   {1, 0x81, 253, 0x0081},   {0, 0x80, 253, 0x20AC},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << int{r.from} << ":" << r.unit << " to " << int{r.to});
    const bool wideFrom = r.from > 224, wideTo = r.to > 224;
    KvString s = Make(r.from, wideFrom ? Wide({r.unit, 0}) : Bytes{uint8_t(r.unit), 0});
    EXPECT_EQ(s.MapToCodeSet(r.to), 0);
    EXPECT_EQ(BufferOf(s), wideTo ? Wide({r.expected, 0}) : Bytes({uint8_t(r.expected), 0}));
    EXPECT_EQ(s.CodeSetGet(), r.to);
  }
}

TEST(KvStringCodeSets, RelabelOrConvert) {
  enum Op { kSet, kMap, kSetCode };
  struct Row {
    const char* what;
    uint8_t cs;
    Bytes text;  // empty: no buffer
    Op op;
    uint8_t target;
    int result;  // of MapToCodeSet and SetCodeSetCode
    uint8_t csAfter;
    Bytes after;
  };
  const Row rows[] = {
      {"set 8 to 8 relabels", 1, {0x8A, 0}, kSet, 5, 0, 5, {0x8A, 0}},
      {"map 8 to 8 converts", 1, {0x8A, 0}, kMap, 5, 0, 5, {0xA9, 0}},
      {"set 8 to 16 converts", 1, {0x80, 0}, kSet, 253, 0, 253, Wide({0x20AC, 0})},
      {"set 16 to 0 converts into native", 253, Wide({0x20AC, 0}), kSet, 0, 0, 0, {0x80, 0}},
      {"set 16 to 16 relabels", 253, Wide({0x20AC, 0}), kSet, 225, 0, 225, Wide({0x20AC, 0})},
      {"set without buffer", 1, {}, kSet, 253, 0, 253, {}},
      {"map to 0 refused", 253, Wide({0x20AC, 0}), kMap, 0, -2002, 253, Wide({0x20AC, 0})},
      {"map to the same", 1, {0x80, 0}, kMap, 1, 0, 1, {0x80, 0}},
      {"map from 0 is from native", 0, {0x80, 0}, kMap, 253, 0, 253, Wide({0x20AC, 0})},
      {"map without buffer", 1, {}, kMap, 253, 0, 253, {}},
      {"set code 8 to 16 refused", 1, {0x80, 0}, kSetCode, 253, -2002, 1, {0x80, 0}},
      {"set code 16 to 8 refused", 253, Wide({'a', 0}), kSetCode, 224, -2002, 253, Wide({'a', 0})},
      {"set code 8 to 224", 1, {0x80, 0}, kSetCode, 224, 0, 224, {0x80, 0}},
      {"set code 8 to 0", 1, {0x80, 0}, kSetCode, 0, 0, 0, {0x80, 0}},
      {"set code 16 to 225", 253, Wide({'a', 0}), kSetCode, 225, 0, 225, Wide({'a', 0})},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    KvString s = Make(r.cs, r.text, 3);
    int result = 0;
    if (r.op == kSet) s.SetCodeSet(r.target);
    if (r.op == kMap) result = s.MapToCodeSet(r.target);
    if (r.op == kSetCode) result = s.SetCodeSetCode(r.target);
    EXPECT_EQ(result, r.result);
    EXPECT_EQ(s.CodeSetGet(), r.csAfter);
    EXPECT_EQ(s.LanguageGet(), 3);
    EXPECT_EQ(BufferOf(s), r.after);
  }
}

TEST(KvStringConstruction, TextsCountsAndCopies) {
  const unsigned short wide[] = {0x20AC, 'a', 0};
  const KvString inner("ab\0cd", 5);
  const KvString labelled = Make(225, Wide({'a', 0}), 4);
  struct Row {
    const char* what;
    KvString s;
    uint8_t cs;
    uint8_t language;
    Bytes buffer;
    uint16_t len;
  };
  const Row rows[] = {
      {"text", KvString("abc"), 1, 1, {'a', 'b', 'c', 0}, 3},
      {"first 3 units", KvString("abcdef", 3), 1, 1, {'a', 'b', 'c', 0}, 3},
      {"whole by count", KvString("abc", 0xFFFF), 1, 1, {'a', 'b', 'c', 0}, 3},
      {"null with count", KvString(static_cast<const char*>(nullptr), 3), 1, 1, {}, 0},
      {"inner zero kept", KvString("ab\0cd", 5), 1, 1, {'a', 'b', 0, 'c', 'd', 0}, 2},
      {"copy stops at the zero", KvString(inner), 1, 1, {'a', 'b', 0}, 2},
      {"char", KvString('x'), 1, 1, {'x', 0}, 1},
      {"16-bit char", KvString(static_cast<unsigned short>(0x20AC)), 253, 1, Wide({0x20AC, 0}), 1},
      {"16-bit text", KvString(wide), 253, 1, Wide({0x20AC, 'a', 0}), 2},
      {"16-bit count", KvString(wide, 1), 253, 1, Wide({0x20AC, 0}), 1},
      {"copy keeps labels", KvString(labelled), 225, 4, Wide({'a', 0}), 1},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    EXPECT_EQ(r.s.CodeSetGet(), r.cs);
    EXPECT_EQ(r.s.LanguageGet(), r.language);
    EXPECT_EQ(BufferOf(r.s), r.buffer);
    EXPECT_EQ(r.s.SizeGet(), r.buffer.size());
    EXPECT_EQ(r.s.Len(), r.len);
  }
}

TEST(KvStringConstruction, NumberFormats) {
  struct Row {
    const char* what;
    KvString s;
    const char* text;
  };
  const Row rows[] = {
      {"int 0", KvString(0), "0"},
      {"short -5", KvString(static_cast<short>(-5)), "-5"},
      {"short min", KvString(static_cast<short>(-32768)), "-32768"},
      {"int min", KvString(-2147483647 - 1), "-2147483648"},
      {"long -1", KvString(-1L), "-1"},
      {"unsigned long", KvString(4294967295UL), "4294967295"},
      {"unsigned", KvString(4294967295U), "4294967295"},
      {"double 1", KvString(1.0), "1"},
      {"double 0.1", KvString(0.1), "0.1"},
      {"double 1/3", KvString(1.0 / 3), "0.333333333333333"},
      {"double -0", KvString(-0.0), "-0"},
      {"double 2/3 rounds", KvString(2.0 / 3), "0.666666666666667"},
      {"double large", KvString(123456789012345678.0), "1.23456789012346e+17"},
      {"double small", KvString(1e-300), "1e-300"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    EXPECT_STREQ(r.s.StrGet(), r.text);
    EXPECT_EQ(r.s.SizeGet(), std::strlen(r.text) + 1);
    EXPECT_EQ(r.s.CodeSetGet(), 1);
  }
  // A long is 32 bits in every text, as on the 32-bit platform.
  EXPECT_STREQ(KvString(static_cast<long>(0xFFFFFFFFu) + (sizeof(long) == 8 ? 1L : 0L)).StrGet(),
               sizeof(long) == 8 ? "0" : "-1");
  EXPECT_STREQ(KvString(static_cast<unsigned long>(-1L)).StrGet(), "4294967295");
  EXPECT_STREQ(KvString(static_cast<long>(-2147483647 - 1)).StrGet(), "-2147483648");
}

TEST(KvStringConstruction, AppendOperators) {
  struct Row {
    const char* what;
    uint8_t cs;  // of the receiver, which holds "x"
    void (*append)(KvString& s);
    Bytes after;
  };
  const Row rows[] = {
      {"char", 1, [](KvString& s) { s << 'a'; }, {'x', 'a', 0}},
      {"zero char", 1, [](KvString& s) { s << '\0'; }, {'x', 0}},
      {"unsigned short to 8-bit is a number", 1,
       [](KvString& s) { s << static_cast<unsigned short>(65); }, {'x', '6', '5', 0}},
      {"unsigned short to 16-bit is a character", 253,
       [](KvString& s) { s << static_cast<unsigned short>(65); }, Wide({'x', 'A', 0})},
      {"zero unsigned short to 16-bit", 253,
       [](KvString& s) { s << static_cast<unsigned short>(0); }, Wide({'x', 0})},
      {"text", 1, [](KvString& s) { s << "bc"; }, {'x', 'b', 'c', 0}},
      {"16-bit text to 8-bit", 1,
       [](KvString& s) {
         const unsigned short euro[] = {0x20AC, 0};
         s << euro;
       },
       {'x', 0x80, 0}},
      {"string", 1, [](KvString& s) { s << KvString("yz"); }, {'x', 'y', 'z', 0}},
      {"int to 16-bit", 253, [](KvString& s) { s << 42; }, Wide({'x', '4', '2', 0})},
      {"short", 1, [](KvString& s) { s << static_cast<short>(-32768); },
       {'x', '-', '3', '2', '7', '6', '8', 0}},
      {"unsigned int", 1, [](KvString& s) { s << 4000000000u; },
       {'x', '4', '0', '0', '0', '0', '0', '0', '0', '0', '0', 0}},
      // long and unsigned long are 32 bits, as on the 32-bit platform.
      {"long", 1, [](KvString& s) { s << static_cast<long>(-2147483647 - 1); },
       {'x', '-', '2', '1', '4', '7', '4', '8', '3', '6', '4', '8', 0}},
      {"long past 32 bits", 1, [](KvString& s) { s << static_cast<long>(0x100000007LL); },
       {'x', '7', 0}},
      {"unsigned long past 32 bits", 253,
       [](KvString& s) { s << static_cast<unsigned long>(0x1FFFFFFFFULL); },
       Wide({'x', '4', '2', '9', '4', '9', '6', '7', '2', '9', '5', 0})},
      {"double", 1, [](KvString& s) { s << -0.25; }, {'x', '-', '0', '.', '2', '5', 0}},
      {"chained", 1, [](KvString& s) { s << 1 << "a"; }, {'x', '1', 'a', 0}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    KvString s = Make(r.cs, r.cs > 224 ? Wide({'x', 0}) : Bytes{'x', 0});
    r.append(s);
    EXPECT_EQ(BufferOf(s), r.after);
    EXPECT_EQ(s.CodeSetGet(), r.cs);
  }
  KvString s("x");
  s << 0.1f;
  EXPECT_STREQ(s.StrGet(), "x0.100000001490116");
}

TEST(KvStringConstruction, DefaultsAtTheMomentOfConstruction) {
  ___KvI18NContext(1);
  const KvString before(12);
  KvString::SetDefaultCodeSet(253);
  KvString::SetDefaultLanguage(3);
  struct Row {
    const char* what;
    KvString s;
    uint8_t cs;
    Bytes buffer;
  };
  const Row rows[] = {
      {"no text", KvString(), 253, {}},
      {"number in 16-bit", KvString(12), 253, Wide({'1', '2', 0})},
      {"double in 16-bit", KvString(0.5), 253, Wide({'0', '.', '5', 0})},
      {"8-bit text stays 8-bit", KvString("ab"), 1, {'a', 'b', 0}},
      {"8-bit char", KvString('a'), 1, {'a', 0}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    EXPECT_EQ(r.s.CodeSetGet(), r.cs);
    EXPECT_EQ(r.s.LanguageGet(), 3);
    EXPECT_EQ(BufferOf(r.s), r.buffer);
  }
  EXPECT_EQ(before.CodeSetGet(), 1);  // made before the change
  EXPECT_EQ(before.LanguageGet(), 1);
  ___KvI18NContext(1);
  EXPECT_EQ(KvString().CodeSetGet(), 1);
}

TEST(KvStringAssignment, CodeSetsAndLanguages) {
  struct Row {
    const char* what;
    void (*assign)(KvString& s);  // s holds "old" in code set 253, language 4
    uint8_t cs;
    uint8_t language;
    Bytes after;
  };
  const Row rows[] = {
      {"string", [](KvString& s) { s = Make(5, {0xA9, 0}, 2); }, 5, 2, {0xA9, 0}},
      {"string without buffer", [](KvString& s) { s = KvString(5, 7); }, 5, 7, {}},
      {"self", [](KvString& s) {
         KvString& alias = s;
         s = alias;
       }, 253, 4, Wide({'o', 'l', 'd', 0})},
      {"text takes the defaults", [](KvString& s) { s = "ab"; }, 1, 1, {'a', 'b', 0}},
      {"null text", [](KvString& s) { s = static_cast<const char*>(nullptr); }, 1, 1, {}},
      {"16-bit text", [](KvString& s) {
         const unsigned short text[] = {'z', 0};
         s = text;
       }, 253, 1, Wide({'z', 0})},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    KvString s = Make(253, Wide({'o', 'l', 'd', 0}), 4);
    r.assign(s);
    EXPECT_EQ(s.CodeSetGet(), r.cs);
    EXPECT_EQ(s.LanguageGet(), r.language);
    EXPECT_EQ(BufferOf(s), r.after);
  }
}

TEST(KvStringAppend, SumTakesTheLeftLabels) {
  const KvString a = Make(1, {'a', 'b', 0}, 3);
  const KvString b = Make(253, Wide({0x20AC, 0}), 4);
  struct Row {
    const char* what;
    KvString s;
    uint8_t cs;
    uint8_t language;
    Bytes buffer;
  };
  const Row rows[] = {
      {"8-bit + 16-bit", a + b, 1, 3, {'a', 'b', 0x80, 0}},
      {"16-bit + 8-bit", b + a, 253, 4, Wide({0x20AC, 'a', 'b', 0})},
      {"no buffer + text", KvString(5, 2) + a, 5, 2, {'a', 'b', 0}},
      {"text + no buffer", a + KvString(5, 2), 1, 3, {'a', 'b', 0}},
      {"missing character", a + Make(253, Wide({0x4E2D, 0})), 1, 3, {'a', 'b', 0x1A, 0}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    EXPECT_EQ(r.s.CodeSetGet(), r.cs);
    EXPECT_EQ(r.s.LanguageGet(), r.language);
    EXPECT_EQ(BufferOf(r.s), r.buffer);
  }
  KvString self = a;
  self += self;
  EXPECT_EQ(BufferOf(self), (Bytes{'a', 'b', 'a', 'b', 0}));
}

TEST(KvStringEdit, ModesRepeatAndUnitFormat) {
  struct Row {
    const char* what;
    uint8_t cs;
    Bytes text;    // of the receiver; empty: no buffer
    Bytes source;  // empty: null
    uint8_t sourceCs;
    uint32_t position, start, count, repeat;
    uint8_t mode, format;
    Bytes after;
  };
  const Bytes hello = {'H', 'e', 'l', 'l', 'o', 0};
  const Bytes xy = {'X', 'Y', 0};
  const Row rows[] = {
      {"overwrite", 1, hello, xy, 1, 1, 0, 2, 1, 1, 1, {'H', 'X', 'Y', 'l', 'o', 0}},
      {"overwrite stops at the end", 1, hello, xy, 1, 4, 0, 2, 1, 1, 1, {'H', 'e', 'l', 'l', 'X', 0}},
      {"overwrite without buffer", 1, {}, xy, 1, 0, 0, 2, 1, 1, 1, {}},
      {"insert at the end", 1, hello, xy, 1, 5, 0, 2, 1, 2, 1, {'H', 'e', 'l', 'l', 'o', 'X', 'Y', 0}},
      {"insert beyond the end", 1, hello, xy, 1, 99, 0, 1, 1, 2, 1, {'H', 'e', 'l', 'l', 'o', 'X', 0}},
      {"insert a source run", 1, {'a', 0}, {'a', 'b', 'c', 'd', 'e', 0}, 1, 0, 2, 3, 1, 2, 1,
       {'c', 'd', 'e', 'a', 0}},
      {"insert no units", 1, hello, {0}, 1, 0, 0, 0, 1, 2, 1, hello},
      {"insert without buffer", 1, {}, xy, 1, 0, 0, 2, 1, 2, 1, xy},
      {"tail null cuts", 1, hello, {}, 1, 2, 0, 0, 1, 3, 1, {'H', 'e', 0}},
      {"tail repeat", 1, hello, {'*', 0}, 1, 5, 0, 1, 3, 3, 1, {'H', 'e', 'l', 'l', 'o', '*', '*', '*', 0}},
      {"tail repeat 0", 1, hello, {'*', 0}, 1, 0, 0, 1, 0, 3, 1, {0}},
      {"tail repeat converted", 253, Wide({0}), {0x80, 0}, 1, 0, 0, 1, 2, 3, 1,
       Wide({0x20AC, 0x20AC, 0})},
      {"msb-first source, native kept part", 253, Wide({'a', 0}), {0x20, 0xAC, 0x00, 0x41, 0, 0},
       253, 1, 0, 2, 1, 3, 2, Wide({'a', 0x20AC, 'A', 0})},
      {"format 0xFF is native", 253, Wide({'a', 0}), Wide({0x20AC, 0}), 253, 1, 0, 1, 1, 3, 0xFF,
       Wide({'a', 0x20AC, 0})},
      {"msb-first source converted", 1, {'a', 0}, {0x20, 0xAC, 0, 0}, 253, 1, 0, 1, 1, 3, 2,
       {'a', 0x80, 0}},
      {"source 0 into 8-bit is not mapped", 5, {0}, {0x80, 0}, 0, 0, 0, 1, 1, 3, 1, {0x80, 0}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    KvString s = Make(r.cs, r.text);
    const char* source = r.source.empty() ? nullptr : reinterpret_cast<const char*>(r.source.data());
    KvStringAccess::EditUnits(s, source, r.sourceCs, r.position, r.start, r.count, r.repeat, r.mode,
                              r.format);
    EXPECT_EQ(BufferOf(s), r.after);
    EXPECT_EQ(s.CodeSetGet(), r.cs);
  }
}

TEST(KvStringEdit, CopyConvertAndAdopt) {
  struct CopyRow {
    uint8_t width, format;
    Bytes after;
  };
  const CopyRow copies[] = {
      {2, 2, {0x02, 0x01, 0x04, 0x03}}, {2, 1, {0x01, 0x02, 0x03, 0x04}},
      {1, 2, {0x01, 0x02, 0x03, 0x04}},
  };
  const char units[] = {0x01, 0x02, 0x03, 0x04};
  for (const CopyRow& r : copies) {
    char out[4] = {};
    EXPECT_EQ(KvStringAccess::CopyUnits(out, units, r.width, r.format, 4), 4u);
    EXPECT_EQ(Bytes(out, out + 4), r.after);
  }

  struct ConvertRow {
    uint8_t from, to;
    Bytes text;
    Bytes result;  // empty: refused
  };
  const ConvertRow conversions[] = {
      {1, 253, {'a', 'b', 'c', 0}, Wide({'a', 'b', 'c', 0})},
      {253, 1, Wide({0x20AC, 0}), {0x80, 0}},
      {1, 1, {0}, {0}},
  };
  for (const ConvertRow& r : conversions) {
    char* out = nullptr;
    const uint16_t size = KvStringAccess::ConvertUnits(
        r.from, r.to, reinterpret_cast<const char*>(r.text.data()), &out);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(size, r.result.size());
    EXPECT_EQ(Bytes(out, out + size), r.result);
    KvMemFree(out);
  }
  char* out = reinterpret_cast<char*>(1);
  EXPECT_EQ(KvStringAccess::ConvertUnits(1, 253, Repeated(32766).c_str(), &out), 0);
  EXPECT_EQ(out, nullptr);

  KvString s("old");
  char* buffer = static_cast<char*>(KvMemAllocZero(3));
  std::memcpy(buffer, "xy", 2);
  KvStringAccess::Adopt(s, buffer, 3);
  EXPECT_EQ(BufferOf(s), (Bytes{'x', 'y', 0}));
  EXPECT_EQ(s.Len(), 2);
}

}  // namespace
