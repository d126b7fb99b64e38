// Facts about the multibyte conversions: single characters both ways, every
// character of the Basic Multilingual Plane against a reference encoder,
// whole strings with their limits, and hostile bytes read only within their
// exact-size buffers.
#include <cstdint>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "kvplatform/kvi18n.h"
#include "kvplatform/kvmemory.h"
#include "kvtm/kvmbs.h"
#include "kvtm/kvstring.h"
#include "test_util.h"

namespace {

// A heap block of exactly the bytes given, so that AddressSanitizer reports
// any read past them.
class ExactBytes {
 public:
  explicit ExactBytes(const std::string& bytes) : size_(bytes.size()), data_(new char[size_]) {
    if (size_ > 0) std::memcpy(data_.get(), bytes.data(), size_);
  }
  ExactBytes(size_t size, char fill) : size_(size), data_(new char[size]) {
    std::memset(data_.get(), fill, size);
  }
  char* get() const { return data_.get(); }
  std::string str() const { return std::string(data_.get(), size_); }

 private:
  size_t size_;
  std::unique_ptr<char[]> data_;
};

// The units of a string's 16-bit text.
std::u16string UnitsOf(const KvString& s) {
  std::u16string units(s.Len(), u'\0');
  if (!units.empty()) std::memcpy(units.data(), s.StrGet(), 2 * units.size());
  return units;
}

KvString Wide(const std::u16string& units) {
  KvString s(reinterpret_cast<const unsigned short*>(units.c_str()));
  s.SetCodeSetCode(KvCS_UNICODE);
  return s;
}

KvString Narrow(uint8_t codeSet, const std::string& bytes) {
  KvString s(bytes.c_str());
  s.SetCodeSetCode(codeSet);
  return s;
}

// The UTF-8 of a BMP character written out from the bit patterns.
std::string ReferenceUtf8(char32_t c) {
  if (c < 0x80) return std::string(1, static_cast<char>(c));
  if (c < 0x800) return {static_cast<char>(0xC0 + c / 64), static_cast<char>(0x80 + c % 64)};
  return {static_cast<char>(0xE0 + c / 4096), static_cast<char>(0x80 + c / 64 % 64),
          static_cast<char>(0x80 + c % 64)};
}

// `value` written in a sequence of `length` bytes, whether or not that is its
// shortest form.
std::string Sequence(uint32_t value, int length) {
  if (length == 1) return std::string(1, static_cast<char>(value));
  std::string out(length, '\0');
  for (int i = length - 1; i > 0; --i, value >>= 6) out[i] = static_cast<char>(0x80 | (value & 0x3F));
  out[0] = static_cast<char>((0xFF00 >> length) | value);
  return out;
}

struct Decoded {
  long result;
  std::u16string units;
};

// What KvMBS2KvString gives for short input, one KvMultiByte2WChar at a time.
Decoded WalkByCharacter(char* s, uint32_t n) {
  Decoded d{0, u""};
  uint32_t used = 0;
  while (used < n) {
    unsigned short wc = 0xAAAA;
    const int r = KvMultiByte2WChar(&wc, s + used, n - used);
    if (r < 0) {
      EXPECT_EQ(wc, 0);
      return {KvMBS_INVALID, d.units};
    }
    EXPECT_GE(r, 1);
    if (wc == 0) break;
    d.units += static_cast<char16_t>(wc);
    used += static_cast<uint32_t>(r);
  }
  d.result = used;
  return d;
}

TEST(KvMultiByte2WChar, DecodesOneCharacter) {
  struct Row {
    std::string bytes;
    unsigned n;
    int result;
    unsigned short unit;
  };
  const Row rows[] = {
      {"\xC3\xA4", 2, 2, 0xE4},
      {"\xC0\x80", 2, -1, 0},  // an overlong zero
      {"\x80", 1, -1, 0},
      {"\xE2\x82", 2, -1, 0},
      {"A", 1, 1, 0x41},
      {std::string(1, '\0'), 1, 1, 0},
      {"A", 0, -1, 0},
      {"\xC3\xA4xyz", 5, 2, 0xE4},
      {"\xE2\x82\xAC", 3, 3, 0x20AC},
      {"\xE2\x82\xAC", 2, -1, 0},  // cut by n
      {"\xC2\x80", 2, 2, 0x80},
      {"\xDF\xBF", 2, 2, 0x7FF},
      {"\xC1\xBF", 2, -1, 0},  // 0x7F, overlong
      {"\xE0\xA0\x80", 3, 3, 0x800},
      {"\xE0\x9F\xBF", 3, -1, 0},  // 0x7FF, overlong
      {"\xEF\xBF\xBF", 3, 3, 0xFFFF},
      {"\xED\xA0\x80", 3, 3, 0xD800},  // surrogates are 3-byte forms like any other
      {"\xED\xBF\xBF", 3, 3, 0xDFFF},
      {"\xF0\x9F\x98\x80", 4, 4, 0xF600},  // U+1F600 keeps its low 16 bits
      {"\xF4\x8F\xBF\xBF", 4, 4, 0xFFFF},
      {"\xF7\xBF\xBF\xBF", 4, 4, 0xFFFF},  // 0x1FFFFF, beyond Unicode
      {"\xF0\x8F\xBF\xBF", 4, -1, 0},  // 0xFFFF, overlong
      {"\xF0\x90\x80\x80", 4, -1, 0},  // U+10000: low bits 0, the terminator
      {"\xF4\x80\x80\xAF", 4, -1, 0},  // U+10002F: low bits '/'
      {"\xF0\x90\x82\x80", 4, 4, 0x80},  // U+10080
      {"\xF0\x9F\x98\x80", 3, -1, 0},
      {"\xF8\x88\x80\x83\xA4", 5, 5, 0xE4},  // 0x2000E4
      {"\xF8\x88\x80\x81\x81", 5, -1, 0},  // 0x200041: low bits 'A'
      {"\xF8\x88\x80\x80\x80", 5, -1, 0},  // 0x200000
      {"\xFB\xBF\xBF\xBF\xBF", 5, 5, 0xFFFF},
      {"\xF8\x87\xBF\xBF\xBF", 5, -1, 0},  // 0x1FFFFF, overlong
      {"\xFB\xBF\xBF\xBF\xBF", 4, -1, 0},
      {"\xFD\xBF\xBF\xBF\xBF\xBF", 6, 6, 0xFFFF},  // 0x7FFFFFFF
      {"\xFC\x84\x80\x80\x80\x80", 6, -1, 0},  // 0x4000000
      {"\xFC\x84\x80\x80\x82\x80", 6, 6, 0x80},
      {"\xFC\x83\xBF\xBF\xBF\xBF", 6, -1, 0},  // 0x3FFFFFF, overlong
      {"\xFD\xBF\xBF\xBF\xBF\xBF", 5, -1, 0},
      {"\xFE\x80\x80\x80\x80\x80\x80", 7, -1, 0},
      {"\xFF", 1, -1, 0},
      {"\xBF\x80", 2, -1, 0},  // a continuation byte cannot lead
      {"\xE2\x41\x42", 3, -1, 0},
      {std::string("\xE2\0\x82", 3), 3, -1, 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::PrintToString(r.bytes));
    ExactBytes s(r.bytes);
    unsigned short wc = 0xAAAA;
    EXPECT_EQ(KvMultiByte2WChar(&wc, s.get(), r.n), r.result);
    EXPECT_EQ(wc, r.unit);
  }
}

TEST(KvMultiByte2WChar, NullArguments) {
  unsigned short wc = 0xAAAA;
  EXPECT_EQ(KvMultiByte2WChar(&wc, nullptr, 4), 0);
  EXPECT_EQ(wc, 0);
  ExactBytes s("\xC3\xA4");
  EXPECT_EQ(KvMultiByte2WChar(nullptr, s.get(), 2), 2);
  EXPECT_EQ(KvMultiByte2WChar(nullptr, s.get(), 1), -1);
}

TEST(KvWChar2MultiByte, EncodesOneCharacter) {
  struct Row {
    unsigned short unit;
    std::string bytes;
  };
  const Row rows[] = {
      {0x41, "A"},
      {0x20AC, "\xE2\x82\xAC"},
      {0, std::string(1, '\0')},
      {0x7F, "\x7F"},
      {0x80, "\xC2\x80"},
      {0x7FF, "\xDF\xBF"},
      {0x800, "\xE0\xA0\x80"},
      {0xD800, "\xED\xA0\x80"},
      {0xFFFF, "\xEF\xBF\xBF"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.unit);
    ExactBytes out(3, '\x5A');
    EXPECT_EQ(KvWChar2MultiByte(out.get(), r.unit), static_cast<int>(r.bytes.size()));
    EXPECT_EQ(out.str().substr(0, r.bytes.size()), r.bytes);
    EXPECT_EQ(out.str().substr(r.bytes.size()), std::string(3 - r.bytes.size(), '\x5A'));
  }
  EXPECT_EQ(KvWChar2MultiByte(nullptr, 0x41), 0);
}

TEST(KvMbsRoundTrip, EveryBmpCharacter) {
  for (char32_t c = 1; c <= 0xFFFF; ++c) {
    const std::string expected = ReferenceUtf8(c);
    char out[3];
    ASSERT_EQ(KvWChar2MultiByte(out, static_cast<unsigned short>(c)),
              static_cast<int>(expected.size())) << std::hex << static_cast<uint32_t>(c);
    ASSERT_EQ(std::string(out, expected.size()), expected) << std::hex << static_cast<uint32_t>(c);
    ExactBytes in(expected);
    unsigned short wc = 0;
    ASSERT_EQ(KvMultiByte2WChar(&wc, in.get(), static_cast<unsigned>(expected.size())),
              static_cast<int>(expected.size())) << std::hex << static_cast<uint32_t>(c);
    ASSERT_EQ(wc, c) << std::hex << static_cast<uint32_t>(c);
  }
  // Whole strings of 4096 characters, whose UTF-8 stays below the 32768
  // bytes a decoding takes.
  for (char32_t start = 0; start <= 0xFFFF; start += 4096) {
    SCOPED_TRACE(static_cast<uint32_t>(start));
    std::u16string units;
    std::string expected;
    for (char32_t c = start == 0 ? 1 : start; c < start + 4096; ++c) {
      units += static_cast<char16_t>(c);
      expected += ReferenceUtf8(c);
    }
    const KvString str = Wide(units);
    char* out = nullptr;
    long size = 0;
    ASSERT_EQ(KvString2MultiByteString(str, out, size), static_cast<long>(expected.size()));
    EXPECT_EQ(size, static_cast<long>(expected.size() + 1));
    EXPECT_EQ(std::string(out, size), expected + std::string(1, '\0'));
    KvMemFree(out);
    EXPECT_EQ(KvMBSLength(str, 0xFFFF), static_cast<long>(expected.size()));
    ExactBytes bounded(expected.size(), '\0');
    EXPECT_EQ(KvString2KvMBS(str, bounded.get(), static_cast<long>(expected.size())),
              static_cast<long>(expected.size()));
    EXPECT_EQ(bounded.str(), expected);
    KvString back;
    EXPECT_EQ(KvMBS2KvString(bounded.get(), back, static_cast<long>(expected.size())),
              static_cast<long>(expected.size()));
    EXPECT_EQ(UnitsOf(back), units);
  }
}

TEST(KvMBS2KvString, DecodesIntoTheString) {
  struct Row {
    std::string bytes;  // the whole buffer
    long n;
    long result;
    std::u16string units;
  };
  const Row rows[] = {
      {"abc", 3, 3, u"abc"},
      {std::string("abc\0", 4), 10, 3, u"abc"},  // stops at the zero byte
      {"abc", 2, 2, u"ab"},
      {"abc", 0, 0, u""},
      {"abc", -1, 0, u""},  // a negative count is 0
      {"abc", LongOf((int64_t{1} << 32) + 2), 2, u"ab"},  // a 32-bit count: 2
      {"", 0, 0, u""},
      {std::string("\0", 1), 1, 0, u""},
      {std::string("a\0b", 3), 3, 1, u"a"},
      {"ab\xC0\x80" "c", 5, -1, u"ab"},
      {"a\xE2\x82\xAC", 4, 4, u"a\u20AC"},
      {"a\xE2\x82", 3, -1, u"a"},
      {"a\xE2\x82\xAC", 3, -1, u"a"},
      {"\xF0\x9F\x98\x80" "b", 5, 5, u"\uF600b"},
      {"x\xF0\x90\x80\x80y", 6, -1, u"x"},
      {"\xED\xA0\x80\xED\xB0\x80", 6, 6, std::u16string{0xD800, 0xDC00}},
      {"\xFB\xBF\xBF\xBF\xBF\xC3\xA4", 7, 7, u"\uFFFF\u00E4"},
      {"ok\x80", 3, -1, u"ok"},
      {"ok\xFE", 3, -1, u"ok"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::PrintToString(r.bytes) + " n " + std::to_string(r.n));
    ExactBytes s(r.bytes);
    KvString target(KvCS_CP1252, KvLANG_SWEDISH);
    target << "old";
    EXPECT_EQ(KvMBS2KvString(s.get(), target, r.n), r.result);
    EXPECT_EQ(target.CodeSetGet(), KvCS_UNICODE);
    EXPECT_EQ(target.LanguageGet(), KvLANG_SWEDISH);
    EXPECT_EQ(UnitsOf(target), r.units);
    // Nothing decoded leaves no buffer at all.
    if (r.units.empty()) {
      EXPECT_EQ(target.SizeGet(), 0);
    }
  }
  KvString target = Wide(u"old");
  EXPECT_EQ(KvMBS2KvString(nullptr, target, 5), 0);
  EXPECT_EQ(target.SizeGet(), 0);
  EXPECT_EQ(KvMultiByteString2KvString(nullptr, target, 5), 0);
}

TEST(KvMBS2KvString, ChunksAndLimits) {
  auto bytes = [](const std::string& piece, size_t times) {
    std::string out;
    for (size_t i = 0; i < times; ++i) out += piece;
    return out;
  };
  auto units = [](const std::u16string& piece, size_t times) {
    std::u16string out;
    for (size_t i = 0; i < times; ++i) out += piece;
    return out;
  };
  struct Row {
    std::string bytes;
    long n;
    long result;
    std::u16string units;
  };
  const Row rows[] = {
      // Characters reach the string 256 at a time; every boundary holds.
      {bytes("\xC3\xA9", 255), 510, 510, units(u"\u00E9", 255)},
      {bytes("\xC3\xA9", 256), 512, 512, units(u"\u00E9", 256)},
      {bytes("\xC3\xA9", 257), 514, 514, units(u"\u00E9", 257)},
      {bytes("\xC3\xA9", 600), 1200, 1200, units(u"\u00E9", 600)},
      // 32768 bytes used: too long, though the character that reached the
      // limit is kept.
      {bytes("\xC3\xA9", 16384), 32768, KvMBS_TOO_LONG, units(u"\u00E9", 16384)},
      {bytes("\xC3\xA9", 16383) + "a", 32767, 32767, units(u"\u00E9", 16383) + u"a"},
      {bytes("\xE2\x82\xAC", 10922) + "ab", 32768, KvMBS_TOO_LONG, units(u"\u20AC", 10922) + u"ab"},
      {bytes("\xE2\x82\xAC", 20000), 60000, KvMBS_TOO_LONG, units(u"\u20AC", 10923)},
      // A string holds 32765 characters; the next one is refused, rather
      // than the whole last chunk lost.
      {bytes("a", 32765), 32765, 32765, units(u"a", 32765)},
      {bytes("a", 32766), 32766, KvMBS_TOO_LONG, units(u"a", 32765)},
      {bytes("a", 40000), 40000, KvMBS_TOO_LONG, units(u"a", 32765)},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::to_string(r.bytes.size()) + " bytes");
    ExactBytes s(r.bytes);
    KvString target;
    EXPECT_EQ(KvMBS2KvString(s.get(), target, r.n), r.result);
    EXPECT_EQ(target.SizeGet(), 2 * r.units.size() + 2);
    EXPECT_TRUE(UnitsOf(target) == r.units);
  }
}

TEST(KvMBS2KvString, FromItsOwnText) {
  KvString str = Narrow(KvCS_CP1252, "caf\xC3\xA9");
  EXPECT_EQ(KvMBS2KvString(str.StrGet(), str, str.Len()), 5);
  EXPECT_EQ(UnitsOf(str), u"caf\u00E9");

  // A count beyond the text's buffer reads only the buffer.
  KvString more = Narrow(KvCS_CP1252, "x\xC3\xA9");
  EXPECT_EQ(KvMBS2KvString(more.StrGet() + 1, more, 1000), 2);
  EXPECT_EQ(UnitsOf(more), u"\u00E9");

  KvString self = Narrow(KvCS_CP1252, "\xE2\x82\xAC!");
  EXPECT_EQ(KvMultiByteString2KvString(self, self), 4);
  EXPECT_EQ(UnitsOf(self), u"\u20AC!");
}

TEST(KvMultiByteString2KvString, TakesAStringsUnitsAsBytes) {
  struct Row {
    KvString m;
    long result;
    std::u16string units;
  };
  const Row rows[] = {
      {Narrow(KvCS_CP1252, "caf\xC3\xA9"), 5, u"caf\u00E9"},
      {Narrow(KvCS_LATIN2, "\xE2\x82\xAC"), 3, u"\u20AC"},
      {Narrow(KvCS_CP1252, "a\xC3"), -1, u"a"},
      {Wide(std::u16string{'c', 'a', 'f', 0xC3, 0xA9}), 5, u"caf\u00E9"},
      {Wide(u"a\u20ACb"), -1, u"a"},  // a unit above 0xFF is no byte
      {Wide(std::u16string{'a', 0xC3, 0x100}), -1, u"a"},
      {Wide(u""), 0, u""},
      {KvString(), 0, u""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(&r - rows);
    KvString target;
    EXPECT_EQ(KvMultiByteString2KvString(r.m, target), r.result);
    EXPECT_EQ(UnitsOf(target), r.units);
    EXPECT_EQ(target.CodeSetGet(), KvCS_UNICODE);
  }
}

TEST(KvString2MultiByteString, NewOrCallerBuffer) {
  struct Row {
    KvString str;
    std::string bytes;
  };
  const Row rows[] = {
      {Narrow(KvCS_CP1252, "caf\xE9 \x80"), "caf\xC3\xA9 \xE2\x82\xAC"},
      {Narrow(KvCS_CP1252, "\x81"), "\xC2\x81"},  // undefined in Windows-1252: the C1 control
      {Narrow(KvCS_LATIN1, "\x80\xFF"), "\xC2\x80\xC3\xBF"},
      {Narrow(KvCS_LATIN9, "\xA4"), "\xE2\x82\xAC"},
      {Narrow(KvCS_CP1250, "\x8A"), "\xC5\xA0"},
      {Narrow(KvCS_LATIN2, "\xA3"), "\xC5\x81"},
      {Narrow(KvCS_NATIVE, "\x80"), "\xE2\x82\xAC"},  // the native code set, Windows-1252
      {Narrow(KvCS_CP1252, "plain"), "plain"},
      {Wide(u"a\u20AC\u00FC"), "a\xE2\x82\xAC\xC3\xBC"},
      {Wide(std::u16string{0xD800, 0xFFFF}), "\xED\xA0\x80\xEF\xBF\xBF"},
      {Wide(u""), ""},
      {KvString(), ""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::PrintToString(r.bytes));
    const long t = static_cast<long>(r.bytes.size());
    const std::string terminated = r.bytes + std::string(1, '\0');

    char* out = nullptr;
    long size = 0;
    EXPECT_EQ(KvString2MultiByteString(r.str, out, size), t);
    EXPECT_EQ(size, t + 1);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(std::string(out, t + 1), terminated);
    KvMemFree(out);

    // A size below 1 also asks for a new buffer, whatever `out` held.
    char mine[1] = {'\x5A'};
    out = mine;
    size = -7;
    EXPECT_EQ(KvString2MultiByteString(r.str, out, size), t);
    EXPECT_NE(out, mine);
    EXPECT_EQ(size, t + 1);
    EXPECT_EQ(std::string(out, t + 1), terminated);
    KvMemFree(out);
    EXPECT_EQ(mine[0], '\x5A');

    ExactBytes exact(r.bytes.size() + 1, '\x5A');
    out = exact.get();
    size = t + 1;
    EXPECT_EQ(KvString2MultiByteString(r.str, out, size), t);
    EXPECT_EQ(out, exact.get());
    EXPECT_EQ(size, t + 1);
    EXPECT_EQ(exact.str(), terminated);

    // No room for the terminator: nothing written, `size` the text's bytes.
    if (t > 0) {
      ExactBytes small(r.bytes.size(), '\x5A');
      out = small.get();
      size = t;
      EXPECT_EQ(KvString2MultiByteString(r.str, out, size), KvMBS_INVALID);
      EXPECT_EQ(size, t);
      EXPECT_EQ(small.str(), std::string(r.bytes.size(), '\x5A'));
    }
  }
}

int handlerCalls = 0;
int ReturningHandler(unsigned long) {
  ++handlerCalls;
  return 0;
}

TEST(KvString2MultiByteString, NewBufferUnavailable) {
  const KvString str = Wide(u"\u20AC");
  const KvMemoryHandler previous = KvSetMemoryHandler(ReturningHandler);
  handlerCalls = 0;
  KvSetAllocFailure(0);
  char* out = nullptr;
  long size = 0;
  const long result = KvString2MultiByteString(str, out, size);
  KvSetAllocFailure(-1);
  KvSetMemoryHandler(previous);
  EXPECT_EQ(result, KvMBS_INVALID);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(size, 3);
  EXPECT_EQ(handlerCalls, 1);
}

TEST(KvString2MultiByteString, EightBitTextBeyondAWideString) {
  // 40000 8-bit characters have no 16-bit string (32765 at most), yet their
  // UTF-8 is made whole.
  const KvString str = Narrow(KvCS_CP1252, std::string(40000, '\xE9'));
  ASSERT_EQ(str.Len(), 40000);
  std::string expected;
  for (int i = 0; i < 40000; ++i) expected += "\xC3\xA9";
  char* out = nullptr;
  long size = 0;
  EXPECT_EQ(KvString2MultiByteString(str, out, size), 80000);
  EXPECT_EQ(size, 80001);
  EXPECT_EQ(std::string(out, 80000), expected);
  KvMemFree(out);
  EXPECT_EQ(KvMBSLength(str, 0xFFFF), 80000);
  ExactBytes bounded(80000, '\0');
  EXPECT_EQ(KvString2KvMBS(str, bounded.get(), 80000), 80000);
  EXPECT_EQ(bounded.str(), expected);
}

TEST(KvString2KvMBS, IntoABoundedBuffer) {
  struct Row {
    KvString str;
    long size;
    long result;
    std::string out;  // the buffer of `size` bytes afterwards; it held 0x5A
  };
  const Row rows[] = {
      {Narrow(KvCS_CP1252, "hello"), 10, 5, std::string("hello\0\0\0\0\0", 10)},
      {Narrow(KvCS_LATIN2, "hello"), 5, 5, "hello"},
      // Cut text is reported, as in every other code set, and what fits is
      // written.
      {Narrow(KvCS_CP1252, "hello"), 2, KvMBS_TOO_LONG, "he"},
      {Narrow(KvCS_CP1252, "hello"), 0, KvMBS_TOO_LONG, ""},
      {Narrow(KvCS_CP1252, "hello"), -3, KvMBS_TOO_LONG, ""},
      {Narrow(KvCS_NATIVE, "hi"), 3, 2, std::string("hi\0", 3)},
      {Narrow(KvCS_CP1252, ""), 4, 0, std::string(4, '\0')},
      {KvString(), 2, 0, std::string(2, '\0')},
      // Beyond ASCII: the encoded characters, no zero fill.
      {Narrow(KvCS_CP1252, "ab\xE9"), 6, 4, "ab\xC3\xA9\x5A\x5A"},
      {Narrow(KvCS_CP1252, "ab\xE9"), 3, KvMBS_TOO_LONG, "ab\x5A"},
      {Narrow(KvCS_CP1252, "\xE9"), 2, 2, "\xC3\xA9"},
      {Wide(u"h\u20AC"), 4, 4, "h\xE2\x82\xAC"},
      {Wide(u"h\u20AC"), 3, KvMBS_TOO_LONG, "h\x5A\x5A"},
      {Wide(u"abc"), 5, 3, "abc\x5A\x5A"},
      {Wide(u"abc"), 0, KvMBS_TOO_LONG, ""},
      {Wide(u""), 2, 0, "\x5A\x5A"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::PrintToString(r.out) + " size " + std::to_string(r.size));
    ExactBytes out(r.size > 0 ? r.size : 0, '\x5A');
    EXPECT_EQ(KvString2KvMBS(r.str, out.get(), r.size), r.result);
    EXPECT_EQ(out.str(), r.out);
  }
  // A null buffer holds nothing.
  EXPECT_EQ(KvString2KvMBS(Narrow(KvCS_CP1252, ""), nullptr, 10), 0);
  EXPECT_EQ(KvString2KvMBS(Narrow(KvCS_CP1252, "a"), nullptr, 10), KvMBS_TOO_LONG);
  EXPECT_EQ(KvString2KvMBS(Wide(u"\u20AC"), nullptr, 10), KvMBS_TOO_LONG);
}

TEST(KvMBSLength, BytesOfTheFirstCharacters) {
  struct Row {
    KvString str;
    unsigned short n;
    long result;
  };
  const Row rows[] = {
      {Narrow(KvCS_CP1252, "hello"), 3, 3},
      {Wide(u"\u20AC"), 1, 3},
      {Narrow(KvCS_CP1252, "hello"), 0, 0},
      {Narrow(KvCS_CP1252, "hello"), 0xFFFF, 5},
      {Narrow(KvCS_CP1252, "h\xE9llo"), 2, 3},
      {Narrow(KvCS_CP1252, "h\xE9llo"), 0xFFFF, 6},
      {Narrow(KvCS_CP1250, "\x8A"), 1, 2},
      {Wide(u"a\u20AC\u00FC"), 0xFFFF, 6},
      {Wide(u"a\u20AC\u00FC"), 2, 4},
      {Wide(u"abc"), 2, 2},
      {Wide(u""), 5, 0},
      {KvString(), 5, 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.n);
    EXPECT_EQ(KvMBSLength(r.str, r.n), r.result);
  }
}

// Each decoding of `bytes`, cut at every length, in a block of exactly that
// length: the string decoding agrees with decoding one character at a time.
void DecodeEveryCut(const std::string& bytes) {
  for (size_t length = 0; length <= bytes.size(); ++length) {
    const std::string cut = bytes.substr(0, length);
    SCOPED_TRACE(testing::PrintToString(cut));
    ExactBytes s(cut);
    const Decoded walked = WalkByCharacter(s.get(), static_cast<uint32_t>(length));
    KvString str;
    EXPECT_EQ(KvMBS2KvString(s.get(), str, static_cast<long>(length)), walked.result);
    EXPECT_EQ(UnitsOf(str), walked.units);
    unsigned short wc;
    KvMultiByte2WChar(&wc, s.get(), static_cast<unsigned>(length));
  }
  // With a terminator, a count far beyond it reads nothing past it.
  ExactBytes terminated(bytes + std::string(1, '\0'));
  KvString str;
  const long result = KvMBS2KvString(terminated.get(), str, 1L << 20);
  EXPECT_TRUE(result >= KvMBS_TOO_LONG && result <= static_cast<long>(bytes.size()));
  unsigned short wc;
  KvMultiByte2WChar(&wc, terminated.get(), 1u << 20);
}

TEST(KvMbsHostile, ReadWithinTheirBuffers) {
  std::vector<std::string> hostile = {
      "\x80", "\xBF", "\x80\x80\x80\x80\x80\x80\x80", "\xFE", "\xFF",
      "\xFE\xBF\xBF\xBF\xBF\xBF\xBF", "\xFF\x80",
      "\xED\xA0\x80\xED\xB0\x80", "\xED\xBF\xBF", "\xC0\x80", "\xC1\xBF",
      "\xE0\x80\x80", "\xF0\x80\x80\x80", "\xF8\x80\x80\x80\x80",
      "\xFC\x80\x80\x80\x80\x80", "\xE2\x82" "a", std::string("\xF4\x8F\0\xBF", 4),
  };
  // Every form at its smallest and largest value and one below (overlong),
  // with a character after it.
  const uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000, 0x200000, 0x4000000};
  const uint32_t largest[] = {0, 0x7F, 0x7FF, 0xFFFF, 0x1FFFFF, 0x3FFFFFF, 0x7FFFFFFF};
  for (int length = 2; length <= 6; ++length) {
    for (uint32_t v : {smallest[length] - 1, smallest[length], smallest[length] + 0x41,
                       smallest[length] + 0xE4, largest[length], 0xD800u, 0x10FFFFu, 0x110000u})
      hostile.push_back("x" + Sequence(v, length) + "y");
  }
  for (const std::string& bytes : hostile) DecodeEveryCut(bytes);

  // Random bytes, with the bytes that matter to UTF-8 well represented.
  std::mt19937 random(20240611);
  const uint8_t palette[] = {0x00, 0x41, 0x7F, 0x80, 0x9F, 0xA0, 0xBF, 0xC0, 0xC1, 0xC2, 0xDF,
                             0xE0, 0xED, 0xEF, 0xF0, 0xF4, 0xF5, 0xF7, 0xF8, 0xFB, 0xFC, 0xFD,
                             0xFE, 0xFF};
  for (int i = 0; i < 3000; ++i) {
    std::string bytes(random() % 13, '\0');
    for (char& b : bytes)
      b = static_cast<char>(random() % 3 == 0 ? random() % 256 : palette[random() % sizeof palette]);
    DecodeEveryCut(bytes);
  }
}

}  // namespace
