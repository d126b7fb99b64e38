// Facts about the numbers of KvString text: 8-bit text by base or as plain
// decimal, the digit rule of 16-bit text, reals, and the refusals of Atol
// and Strtol. Values are those of a 32-bit long.
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
    long value;  // of operator long and operator int
    short asShort;
  };
  const Row rows[] = {
      {"0x10", 0, 16, 16},
      {"0x10", 1, 0, 0},
      {"0x10", ~1, 16, 16},  // only bit 0 counts
      {"017", 0, 15, 15},
      {"017", 1, 17, 17},
      {"08", 0, 0, 0},
      {" \t-42abc", 1, -42, -42},
      {"70000", 0, 70000, 4464},
      // Beyond 32 bits the readers clamp as a 32-bit long does.
      {"2147483648", 0, 2147483647, -1},
      {"-2147483649", 1, -2147483647 - 1, 0},
      {"0xFFFFFFFF", 0, 2147483647, -1},
      {"abc", 0, 0, 0},
      {"", 0, 0, 0},
      {nullptr, 0, 0, 0},  // no buffer
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(r.text != nullptr ? r.text : "(none)") + " options " +
                 std::to_string(r.options));
    Options options(r.options);
    const KvString s(r.text);
    EXPECT_EQ(static_cast<long>(s), r.value);
    EXPECT_EQ(static_cast<int>(s), r.value);
    EXPECT_EQ(static_cast<short>(s), r.asShort);
  }
}

TEST(KvStringNumbers, SixteenBitTextByTheDigitRule) {
  struct Row {
    const char16_t* text;
    long value;
    short asShort;
    double real;
  };
  const Row rows[] = {
      {u"123", 123, 123, 123.0},
      {u"0x10", 7210, 7210, 7210.0},  // 'x' is the digit 72
      {u"-1", -29, -29, -29.0},       // '-' is the digit -3
      {u"70000", 70000, 4464, 70000.0},
      // Integers wrap in 32 bits, never clamp; the real has no such limit.
      {u"2147483648", -2147483647 - 1, 0, 2147483648.0},
      {u"4294967301", 5, 5, 4294967301.0},
      {u"12.5", 1185, 1185, 12.5},  // '.' is the digit -2
      {u"", 0, 0, 0.0},
      {nullptr, 0, 0, 0.0},  // no buffer
  };
  Options options(1);  // read by 8-bit text only
  for (const Row& r : rows) {
    SCOPED_TRACE(r.value);
    const KvString s = Wide(r.text);
    EXPECT_EQ(static_cast<long>(s), r.value);
    EXPECT_EQ(static_cast<int>(s), r.value);
    EXPECT_EQ(static_cast<short>(s), r.asShort);
    EXPECT_DOUBLE_EQ(static_cast<double>(s), r.real);
  }
}

TEST(KvStringNumbers, EightBitRealsAsAtof) {
  const std::pair<const char*, double> rows[] = {
      {"1.5", 1.5}, {"  -2.25e2x", -225.0}, {"0x1p4", 16.0},
      {"1e400", HUGE_VAL}, {"3,5", 3.0}, {"abc", 0.0},
  };
  for (const auto& [text, value] : rows)
    EXPECT_EQ(static_cast<double>(KvString(text)), value) << text;
}

TEST(KvStringNumbers, AtolAndStrtolRefuseTextNotStartingANumber) {
  struct Row {
    KvString text;
    int result;  // of both
    long atolValue;
    long strtolValue;
  };
  const Row rows[] = {
      {"-12", 0, -12, -12},
      {" 12", -1, 0, 0},
      {"", -1, 0, 0},
      {KvString(), -1, 0, 0},
      {"0x10", 0, 0, 16},
      {"017", 0, 17, 15},
      {"5 apples", 0, 5, 5},
      {"-99999999999", 0, -2147483647 - 1, -2147483647 - 1},
      {"\xB2", 0, 0, 0},  // superscript two: a digit by its class, without a value
      {Wide(u"-12"), 0, -288, -288},
      {Wide(u" 12"), -1, 0, 0},
  };
  for (int32_t word : {0, 1}) {  // the options word changes neither
    Options options(word);
    for (const Row& r : rows) {
      SCOPED_TRACE(r.atolValue);
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
