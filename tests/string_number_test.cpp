// Facts about the numbers of KvString text: the 8-bit readers with and
// without the options bit, the digit rule of 16-bit text, reals, and the
// refusals of Atol and Strtol. Values are those of a 32-bit long.
#include <cmath>
#include <cstdint>
#include <string>

#include <gtest/gtest.h>

#include "kvtm/kvtm.h"

namespace {

// Sets the options word for the life of the object.
class Options {
 public:
  explicit Options(int32_t word) : previous_(___KvTypeMgrOptions()) {
    ___KvTypeMgrOptions() = word;
  }
  ~Options() { ___KvTypeMgrOptions() = previous_; }

 private:
  int32_t previous_;
};

KvString Wide(const char16_t* text) {
  return KvString(reinterpret_cast<const unsigned short*>(text));
}

TEST(KvStringNumbers, EightBitTextByBaseOrPlainDecimal) {
  struct Row {
    const char* text;
    int32_t options;
    long asLong;
    int asInt;
    short asShort;
  };
  const Row rows[] = {
      {"0x10", 0, 16, 16, 16},
      {"0x10", 1, 0, 0, 0},
      {"0X1f", 0, 31, 31, 31},
      {"017", 0, 15, 15, 15},
      {"017", 1, 17, 17, 17},
      {"08", 0, 0, 0, 0},  // 8 is no octal digit
      {"08", 1, 8, 8, 8},
      {"0x", 0, 0, 0, 0},
      {" \t-42abc", 0, -42, -42, -42},
      {" \t-42abc", 1, -42, -42, -42},
      {"+5", 0, 5, 5, 5},
      {"1e3", 0, 1, 1, 1},
      {"12,34,", 0, 12, 12, 12},
      {"70000", 0, 70000, 70000, 4464},
      {"-70000", 1, -70000, -70000, -4464},
      {"65535", 0, 65535, 65535, -1},
      {"2147483647", 0, 2147483647, 2147483647, -1},
      // Beyond 32 bits the reader clamps as a 32-bit long does.
      {"2147483648", 0, 2147483647, 2147483647, -1},
      {"2147483648", 1, 2147483647, 2147483647, -1},
      {"-2147483648", 0, -2147483647 - 1, -2147483647 - 1, 0},
      {"-2147483649", 1, -2147483647 - 1, -2147483647 - 1, 0},
      {"0xFFFFFFFF", 0, 2147483647, 2147483647, -1},
      {"-0x80000000", 0, -2147483647 - 1, -2147483647 - 1, 0},
      {"99999999999999999999999", 0, 2147483647, 2147483647, -1},
      {"-99999999999999999999999", 1, -2147483647 - 1, -2147483647 - 1, 0},
      {"abc", 0, 0, 0, 0},
      {"-", 0, 0, 0, 0},
      {"", 0, 0, 0, 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(r.text) + " options " + std::to_string(r.options));
    Options options(r.options);
    const KvString s(r.text);
    EXPECT_EQ(static_cast<long>(s), r.asLong);
    EXPECT_EQ(static_cast<int>(s), r.asInt);
    EXPECT_EQ(static_cast<short>(s), r.asShort);
  }
}

TEST(KvStringNumbers, OnlyBitZeroOfTheOptionsCounts) {
  Options options(~1);
  EXPECT_EQ(static_cast<int>(KvString("0x10")), 16);
  ___KvTypeMgrOptions() = 1;
  EXPECT_EQ(static_cast<int>(KvString("0x10")), 0);
}

TEST(KvStringNumbers, SixteenBitTextByTheDigitRule) {
  struct Row {
    const char16_t* text;
    long asLong;
    short asShort;
    double asDouble;
  };
  const Row rows[] = {
      {u"123", 123, 123, 123.0},
      {u"0x10", 7210, 7210, 7210.0},  // 'x' counts as the digit 72
      {u"12a", 169, 169, 169.0},
      {u"-1", -29, -29, -29.0},    // '-' counts as the digit -3
      {u" 1", -159, -159, -159.0},
      {u"70000", 70000, 4464, 70000.0},
      // Integers wrap in 32 bits, never clamp; the real has no such limit.
      {u"2147483648", -2147483647 - 1, 0, 2147483648.0},
      {u"4294967301", 5, 5, 4294967301.0},
      {u"12.5", 1185, 1185, 12.5},  // '.' counts as the digit -2
      {u"0.125", -1875, -1875, 0.125},
      {u".5", -15, -15, 0.5},
      {u"12.", 118, 118, 12.0},
      {u"1.2.5", 8185, 8185, 1.185},
      {u"", 0, 0, 0.0},
  };
  for (int32_t word : {0, 1}) {
    Options options(word);
    for (const Row& r : rows) {
      SCOPED_TRACE(static_cast<long>(r.asLong));
      const KvString s = Wide(r.text);
      ASSERT_GT(s.CodeSetGet(), 224);
      EXPECT_EQ(static_cast<long>(s), r.asLong);
      EXPECT_EQ(static_cast<int>(s), static_cast<int>(r.asLong));
      EXPECT_EQ(static_cast<short>(s), r.asShort);
      EXPECT_DOUBLE_EQ(static_cast<double>(s), r.asDouble);
    }
  }
}

TEST(KvStringNumbers, EightBitRealsAsAtof) {
  struct Row {
    const char* text;
    double value;
  };
  const Row rows[] = {
      {"1.5", 1.5},        {"  -2.25e2x", -225.0}, {"0x1p4", 16.0}, {"1e400", HUGE_VAL},
      {"3,5", 3.0},        {".5", 0.5},            {"abc", 0.0},    {"", 0.0},
      {"0.1", 0.1},        {"-0", -0.0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.text);
    EXPECT_EQ(static_cast<double>(KvString(r.text)), r.value);
  }
}

TEST(KvStringNumbers, NoTextIsZero) {
  Options options(0);
  for (uint8_t cs : {1, 253}) {
    const KvString none(cs, 1);
    EXPECT_EQ(static_cast<int>(none), 0);
    EXPECT_EQ(static_cast<short>(none), 0);
    EXPECT_EQ(static_cast<long>(none), 0);
    EXPECT_EQ(static_cast<double>(none), 0.0);
  }
}

TEST(KvStringNumbers, AtolAndStrtolRefuseTextNotStartingANumber) {
  struct Row {
    KvString text;
    int result;      // of both
    long atolValue;
    long strtolValue;
  };
  const KvString none;
  const KvString superscriptTwo("\xB2");  // a digit by its class, without a value
  const Row rows[] = {
      {"-12", 0, -12, -12},
      {" 12", -1, 0, 0},
      {"+12", -1, 0, 0},
      {"a1", -1, 0, 0},
      {"", -1, 0, 0},
      {none, -1, 0, 0},
      {"0x10", 0, 0, 16},
      {"-0x10", 0, 0, -16},
      {"017", 0, 17, 15},
      {"5 apples", 0, 5, 5},
      {"-", 0, 0, 0},
      {"99999999999", 0, 2147483647, 2147483647},
      {"-99999999999", 0, -2147483647 - 1, -2147483647 - 1},
      {superscriptTwo, 0, 0, 0},
      {Wide(u"123"), 0, 123, 123},
      {Wide(u"-12"), 0, -288, -288},
      {Wide(u" 12"), -1, 0, 0},
  };
  // The options word does not change them.
  for (int32_t word : {0, 1}) {
    Options options(word);
    for (const Row& r : rows) {
      SCOPED_TRACE(static_cast<long>(r.atolValue));
      long v = 77;
      EXPECT_EQ(r.text.Atol(v), r.result);
      EXPECT_EQ(v, r.atolValue);
      v = 77;
      EXPECT_EQ(r.text.Strtol(v), r.result);
      EXPECT_EQ(v, r.strtolValue);
    }
  }
}

}  // namespace
