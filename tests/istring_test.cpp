// Facts about KvIString and KvCaseIString: the weights of both folding
// tables, the orders they give, the folded comparison and its limit and
// attributes, folding and unfolding whole texts, construction, numbers and
// the text edits.
#include <cfloat>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "kvtm/kvtm.h"
#include "test_util.h"

namespace {

using namespace std::string_view_literals;

TEST(KvIStringFold, EveryRangeOfBothTables) {
  struct Row {
    uint8_t b, primary, secondary, casePrimary, caseSecondary;
  };
  const Row rows[] = {
      {0, 0x00, 0, 0x00, 0},         {63, 0x3F, 0, 0x3F, 0},       {64, 0x40, 0, 0x40, 0},
      {'A', 0x54, 0, 0x54, 0},       {'a', 0x4E, 0, 0x54, 0},      {'o', 0x8A, 0, 0x90, 0},
      {127, 0x4B, 0, 0x4B, 0},       {128, 0xE0, 0, 0xE0, 0},      {140, 0x90, 0x69, 0x90, 0x69},
      {156, 0x8A, 0x64, 0x90, 0x69}, {159, 0xB3, 1, 0xB3, 1},      {160, 0xB0, 0, 0xB0, 0},
      {191, 0xCF, 0, 0xCF, 0},       {192, 0x54, 3, 0x54, 3},      {197, 0xBD, 0, 0xBD, 0},
      {209, 0x89, 0, 0x89, 0},       {215, 0x4C, 0, 0x4C, 0},      {223, 0x9C, 0x9C, 0x9D, 0x9D},
      {233, 0x64, 2, 0x69, 2},       {247, 0x4D, 0, 0x4D, 0},      {255, 0xB0, 1, 0xB3, 1},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(int{r.b});
    uint8_t s = 0xEE;
    EXPECT_EQ(KvIString::Fold(r.b, s), r.primary);
    EXPECT_EQ(s, r.secondary);
    EXPECT_EQ(KvCaseIString::Fold(r.b, s), r.casePrimary);
    EXPECT_EQ(s, r.caseSecondary);
  }
}

TEST(KvCaseIStringFold, BothCasesOfEveryLetterWeighTheSame) {
  uint8_t s1, s2;
  for (int upper = 0; upper < 256; ++upper) {
    const bool latin = (upper >= 'A' && upper <= 'Z') || (upper >= 192 && upper <= 222);
    if (!latin && upper != 140 && upper != 159) continue;
    if (upper == 215) continue;  // the multiplication sign has no lower case
    const int lower = upper == 140 ? 156 : upper == 159 ? 255 : upper + 32;
    SCOPED_TRACE(upper);
    EXPECT_EQ(KvCaseIString::Fold(upper, s1), KvCaseIString::Fold(lower, s2));
    EXPECT_EQ(s1, s2);
  }
}

TEST(KvIStringOrder, LowerCaseJustBelowItsCapitalThroughTheAlphabet) {
  for (char c = 'a'; c <= 'z'; ++c) {
    SCOPED_TRACE(c);
    const char upper = static_cast<char>(c - 32);
    EXPECT_EQ(KvIString(c) < KvIString(upper), 1);
    if (c != 'z') {
      EXPECT_EQ(KvIString(upper) < KvIString(static_cast<char>(c + 1)), 1);
    }
    EXPECT_EQ(KvCaseIString(c) == KvCaseIString(upper), 1);
  }
}

// Every operator agrees with the sign: -1 less, 0 equal, 1 greater.
template <typename T>
void ExpectOrder(const char* a, const char* b, int sign) {
  const T x(a), y(b);
  EXPECT_EQ(x == y, sign == 0);
  EXPECT_EQ(x != y, sign != 0);
  EXPECT_EQ(x < y, sign < 0);
  EXPECT_EQ(x > y, sign > 0);
  EXPECT_EQ(x <= y, sign <= 0);
  EXPECT_EQ(x >= y, sign >= 0);
}

TEST(KvIStringOrder, OperatorsOfBothClasses) {
  struct Row {
    const char* a;
    const char* b;
    int sign, caseSign;
  };
  const Row rows[] = {
      {"a", "A", -1, 0},           {"A", "b", -1, -1},           {"ABC", "abc", 1, 0},
      {"\xE9", "e", 0, 0},         {"\xC4" "b", "ab", 1, 0},     {"\xC4" "b", "Ab", 0, 0},
      {"ab", "abc", -1, -1},       {nullptr, "a", -1, -1},       {nullptr, nullptr, 0, 0},
      {"", nullptr, 0, 0},         {"Stra\xDF" "e", "Strasse", 0, 0},
      {"\xDF", "s", 1, 1},         {"\xDF", "ss", 0, 0},         {"\xDF", "ssa", -1, -1},
      {"ssa", "\xDF", 1, 1},       {"\xDF" "e", "sse", 0, 0},    {"\x8C", "OE", 0, 0},
      {"\x9C", "oe", 0, 0},        {"\x9C", "OE", -1, 0},        {"\xFF", "y", 0, 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(r.a ? r.a : "null") + " : " + (r.b ? r.b : "null"));
    ExpectOrder<KvIString>(r.a, r.b, r.sign);
    ExpectOrder<KvCaseIString>(r.a, r.b, r.caseSign);
  }
}

TEST(KvIStringFold, FoldedCompareLimitAndAttributes) {
  struct Row {
    bool caseClass;
    const char* t1;
    const char* t2;
    uint16_t limit;
    uint8_t a1, a2;
    int16_t result;
  };
  const Row rows[] = {
      {false, nullptr, nullptr, 0, 0, 0, 0},  {false, nullptr, "", 0, 0, 0, -1},
      {false, "a", nullptr, 0, 0, 0, 1},      {false, "", "a", 0, 0, 0, -97},
      {false, "\xE9", "", 0, 0, 0, 233},      {false, "a", "A", 0, 0, 0, -6},
      {false, "abc", "abd", 2, 0, 0, 0},      {false, "abc", "abd", 3, 0, 0, -4},
      {false, "\xDF" "a", "ssb", 2, 0, 0, 0}, {false, "\xDF" "a", "ssb", 3, 0, 0, -12},
      {false, "\xDF", "ssa", 0, 0, 0, -78},   {false, "\xDF", "s", 0, 0, 0, 156},
      // KvISTR_FOLDED: that side's bytes are weights already.
      {false, "\x4E\x5A", "ab", 0, 0x80, 0, 0},  {false, "ab", "\x4E\x5A", 0, 0, 0x80, 0},
      {false, "\x9C\x9C", "\xDF", 0, 0x80, 0, 0}, {false, "a", "A", 0, 0x80, 0x80, 32},
      {false, "a", "A", 0, 0x80, 0, 13},      {true, "\x54\x9D\x9D", "A\xDF", 0, 0xC0, 0, 0},
      // KvISTR_ACCENTS: KvCaseIString only, and only the first operand's.
      {true, "\xC4" "b", "ab", 0, 0x20, 0, 1},   {true, "\xC4" "b", "ab", 0, 0, 0x20, 0},
      {true, "\xE9", "e", 0, 0x20, 0, 2},     {true, "\xE9", "f", 0, 0x20, 0, -4},
      {true, "ABC", "abc", 0, 0x20, 0, 0},    {true, "\xDF", "ss", 0, 0x20, 0, -1},
      {true, "\xDF", "s", 0, 0x20, 0, -1},    {false, "\xE9", "e", 0, 0x20, 0, 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(r.t1 ? r.t1 : "null") + " : " + (r.t2 ? r.t2 : "null"));
    EXPECT_EQ(r.caseClass ? KvCaseIString::FoldedCompare(r.t1, r.t2, r.limit, r.a1, r.a2)
                          : KvIString::FoldedCompare(r.t1, r.t2, r.limit, r.a1, r.a2),
              r.result);
  }
  // Operators pass the attributes of both operands.
  KvCaseIString accented("\xE9"), plain("e");
  accented.AttributesSet(KvISTR_ACCENTS);
  EXPECT_EQ(accented > plain, 1);
  EXPECT_EQ(plain == accented, 1);
}

TEST(KvIStringFold, FoldTextBytesAndCounts) {
  struct Row {
    bool caseClass;
    const char* source;
    uint16_t limit;
    Bytes written;  // the rest of the target stays 0xEE
    uint16_t result;
  };
  const Row rows[] = {
      {false, "a\xDF", 0, {0x4E, 0x9C, 0x9C, 0}, 4},  {false, "a\xDF", 4, {0x4E, 0x9C, 0x9C, 0}, 4},
      {false, "a\xDF", 3, {0x4E, 0x9C, 0x9C}, 3},     {false, "a\xDF", 2, {0x4E, 0x9C}, 2},
      {false, "a\xDF", 1, {0x4E}, 1},                 {false, "\xE9", 0, {0x64, 0}, 2},
      {false, "", 0, {0}, 1},                         {false, "A\x8C", 0, {0x54, 0x90, 0x69, 0}, 4},
      {false, "\x9C", 0, {0x8A, 0x64, 0}, 3},         {true, "\x9C", 0, {0x90, 0x69, 0}, 3},
      {true, "\xC4" "B\xDF", 0, {0x54, 0x5B, 0x9D, 0x9D, 0}, 5},
      {true, "ab", 10, {0x54, 0x5B, 0}, 3},           {true, nullptr, 0, {}, 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(r.source ? r.source : "null") + " limit " + std::to_string(r.limit));
    Bytes target(12, 0xEE);
    char* t = reinterpret_cast<char*>(target.data());
    EXPECT_EQ(r.caseClass ? KvCaseIString::FoldText(t, r.source, r.limit)
                          : KvIString::FoldText(t, r.source, r.limit),
              r.result);
    Bytes expected = r.written;
    expected.resize(12, 0xEE);
    EXPECT_EQ(target, expected);
  }
  EXPECT_EQ(KvIString::FoldText(nullptr, "a", 0), 0);
}

TEST(KvCaseIStringFold, UnfoldTextBytesAndCounts) {
  struct Row {
    Bytes source;
    uint16_t limit;
    Bytes written;  // the rest of the target stays 0xEE
    uint16_t result;
  };
  const Row rows[] = {
      {{0x54, 0x5B, 0x9D, 0x9D, 0}, 5, {'A', 'B', 'S', 'S', 0}, 5},
      {{0x54, 0x5B, 0x9D, 0x9D, 0}, 9, {'A', 'B', 'S', 'S', 0}, 5},
      {{0x54, 0x5B, 0x9D, 0x9D, 0}, 3, {'A', 'B', 'S'}, 3},
      {{0x54, 0x5B, 0x9D, 0x9D, 0}, 0, {}, 1},
      {{0x54, 0x03, 0}, 3, {192, 0}, 3},           // a weight and its accent
      {{0x54, 0x02, 0}, 3, {'A', 2, 0}, 3},        // pairs only with the first entry's
      {{0x54, 0x03, 0}, 1, {'A'}, 1},              // the accent lies beyond the limit
      {{0xBD, 0}, 2, {173, 0}, 2},                 // a zero is never an accent
      {{0x90, 0x69, 0}, 3, {'O', 'E', 0}, 3},
      {{0xE0, 0xB0, 0x41, 0x4C, '0', 0}, 6, {128, 160, '`', 0x4C, '0', 0}, 6},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.limit);
    Bytes target(12, 0xEE);
    EXPECT_EQ(KvCaseIString::UnfoldText(reinterpret_cast<char*>(target.data()),
                                        reinterpret_cast<const char*>(r.source.data()), r.limit),
              r.result);
    Bytes expected = r.written;
    expected.resize(12, 0xEE);
    EXPECT_EQ(target, expected);
  }
  char target[4];
  EXPECT_EQ(KvCaseIString::UnfoldText(target, nullptr, 5), 0);
  EXPECT_EQ(KvCaseIString::UnfoldText(nullptr, "\x54", 1), 0);
}

TEST(KvCaseIStringFold, UnfoldingFoldedCapitalsGivesTextOfTheSameWeights) {
  struct Row {
    const char* text;
    const char* unfolded;
    uint16_t count;  // of both FoldText and UnfoldText
  };
  const Row rows[] = {
      {"\xC4" "B\xDF", "ABSS", 5}, {"\xC9T\xC9", "ETE", 4}, {"\x8C" "UVRE", "OEUVRE", 7},
      {"\xD6\xDC\xC7", "OUC", 4},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.unfolded);
    char folded[16], text[16], refolded[16];
    ASSERT_EQ(KvCaseIString::FoldText(folded, r.text, 0), r.count);
    EXPECT_EQ(KvCaseIString::UnfoldText(text, folded, r.count), r.count);
    EXPECT_STREQ(text, r.unfolded);
    EXPECT_EQ(KvCaseIString::FoldText(refolded, text, 0), r.count);
    EXPECT_EQ(std::memcmp(refolded, folded, r.count), 0);
  }
}

TEST(KvIStringValue, ConstructionGivesTheseBytes) {
  const KvIString source("abc");
  KvIString marked("abc");
  marked.AttributesSet(0xC0);
  struct Row {
    const char* what;
    KvIString s;
    std::string_view bytes;  // before the final terminator; "": a null text
  };
  const Row rows[] = {
      {"\"\"", KvIString(""), ""},
      {"null", KvIString(static_cast<const char*>(nullptr)), ""},
      {"zero char", KvIString('\0'), ""},
      {"char", KvIString('x'), "x"},
      {"copy", KvIString(source), "abc"},
      {"copy of an attributed value", KvIString(marked), "abc"},
      {"n beyond the text", KvIString("abc", 5), "abc\0\0"sv},
      {"n within the text", KvIString("abcdef", 3), "abc"},
      {"n 0", KvIString("abc", 0), ""},
      {"null with n", KvIString(nullptr, 2), "\0\0"sv},
      {"int", KvIString(INT32_MIN), "-2147483648"},
      {"short", KvIString(static_cast<short>(-32768)), "-32768"},
      {"long: 32 bits", KvIString(static_cast<long>(0x100000005LL)), "5"},
      {"unsigned long: 32 bits", KvIString(static_cast<unsigned long>(0x1FFFFFFFFULL)),
       "4294967295"},
      {"double", KvIString(0.5), "0.500000"},
      {"double", KvIString(3.25), "3.250000"},
      {"tiny double", KvIString(-1e-7), "-0.000000"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    EXPECT_EQ(!r.s, r.bytes.empty());
    EXPECT_EQ(r.s.AttributesGet(), 0);
    if (r.bytes.empty()) continue;
    for (size_t i = 0; i < r.bytes.size(); ++i) EXPECT_EQ(r.s[int(i)], r.bytes[i]) << i;
    EXPECT_EQ(r.s[int(r.bytes.size())], 0);
  }
  EXPECT_STREQ(KvIString().StrGet(), "");
  // "%f" of the largest doubles: 309 digits, the point and six decimals.
  const KvIString huge(-DBL_MAX);
  EXPECT_EQ(huge.Len(), 317u);
  EXPECT_EQ(std::string(huge.StrGet()).substr(0, 5), "-1797");
  EXPECT_EQ(std::string(huge.StrGet()).substr(309), "8.000000");
  EXPECT_EQ(KvCaseIString(DBL_MAX).Len(), 316u);

  // The case-keeping class formats its numbers the same way.
  struct CaseRow {
    KvCaseIString s;
    const char* text;
  };
  const CaseRow caseRows[] = {
      {KvCaseIString(INT32_MIN), "-2147483648"},
      {KvCaseIString(static_cast<short>(-32768)), "-32768"},
      {KvCaseIString(static_cast<long>(0x100000005LL)), "5"},
      {KvCaseIString(static_cast<long>(-1)), "-1"},
      {KvCaseIString(static_cast<unsigned long>(0x1FFFFFFFFULL)), "4294967295"},
      {KvCaseIString(0.5), "0.500000"},
  };
  for (const CaseRow& r : caseRows) {
    EXPECT_STREQ(r.s.StrGet(), r.text);
    EXPECT_EQ(r.s.AttributesGet(), 0);
  }
}

TEST(KvIStringValue, NumbersFromTheText) {
  struct Row {
    const char* text;
    int i;
    short s;
    long l;
    double d;
  };
  const Row rows[] = {
      {nullptr, 0, 0, 0, 0.0},
      {"12abc", 12, 12, 12, 12.0},
      {" -7", -7, -7, -7, -7.0},
      {"70000", 70000, 4464, 70000, 70000.0},
      {"4000000000", 2147483647, -1, 2147483647, 4e9},
      {"-4000000000", INT32_MIN, 0, INT32_MIN, -4e9},
      {"3.25x", 3, 3, 3, 3.25},
      {"x1", 0, 0, 0, 0.0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.text ? r.text : "null");
    const KvCaseIString s(r.text);
    EXPECT_EQ(static_cast<int>(s), r.i);
    EXPECT_EQ(static_cast<short>(s), r.s);
    EXPECT_EQ(static_cast<long>(s), r.l);
    EXPECT_EQ(static_cast<double>(s), r.d);
    const KvIString folded(r.text);
    EXPECT_EQ(static_cast<int>(folded), r.i);
    EXPECT_EQ(static_cast<short>(folded), r.s);
    EXPECT_EQ(static_cast<long>(folded), r.l);
    EXPECT_EQ(static_cast<double>(folded), r.d);
  }
}

// Both classes share their text operations; each row runs on both.
template <typename T>
class KvIStringEdits : public ::testing::Test {};
using BothClasses = ::testing::Types<KvIString, KvCaseIString>;
TYPED_TEST_SUITE(KvIStringEdits, BothClasses);

TYPED_TEST(KvIStringEdits, GiveTheseTextsAndAttributes) {
  using T = TypeParam;
  struct Row {
    const char* what;
    const char* start;  // given the attributes 0xC0
    void (*act)(T& s);
    const char* text;  // null: a null text
    uint8_t attributes;
  };
  const Row rows[] = {
      {"insert beyond appends", "abc", [](T& s) { s.Insert(T("XY"), 10); }, "abcXY", 0xC0},
      {"insert", "abc", [](T& s) { s.Insert(T("XY"), 1); }, "aXYbc", 0xC0},
      {"insert nothing", "abc", [](T& s) { s.Insert(T(""), 1); }, "abc", 0xC0},
      {"insert into null", nullptr, [](T& s) { s.Insert(T("XY"), 3); }, "XY", 0xC0},
      {"insert itself", "ab", [](T& s) { s.Insert(s, 1); }, "aabb", 0xC0},
      {"replace never grows", "abc", [](T& s) { s.Replace(T("XYZ"), 1); }, "aXY", 0xC0},
      {"replace at the end", "abc", [](T& s) { s.Replace(T("X"), 3); }, "abc", 0xC0},
      {"replace beyond", "abc", [](T& s) { s.Replace(T("X"), 4); }, "abc", 0xC0},
      {"replace in null", nullptr, [](T& s) { s.Replace(T("X"), 0); }, nullptr, 0xC0},
      {"fill within", "abcdef", [](T& s) { s.Fill(2, 'x'); }, "xxcdef", 0xC0},
      {"fill beyond", "a", [](T& s) { s.Fill(2, 'x'); }, "xx", 0xC0},
      {"fill null with 0", nullptr, [](T& s) { s.Fill(0, 'x'); }, nullptr, 0xC0},
      {"expand", "ab", [](T& s) { s.Expand(4, '.'); }, "ab..", 0xC0},
      {"expand shorter", "ab", [](T& s) { s.Expand(1, '.'); }, "ab", 0xC0},
      {"expand null", nullptr, [](T& s) { s.Expand(2, '-'); }, "--", 0xC0},
      {"upper", "\xE0\xFF" "a\xF7\x9C\xDF\xFE", [](T& s) { s.ToUpper(); },
       "\xC0\x9F" "A\xF7\x8C\xDF\xDE", 0xC0},
      {"lower", "\xC0\x9F" "Z\xD7\x8C\xDF\xDE", [](T& s) { s.ToLower(); },
       "\xE0\xFF" "z\xD7\x9C\xDF\xFE", 0xC0},
      {"upper of null", nullptr, [](T& s) { s.ToUpper(); }, nullptr, 0xC0},
      {"space to zero", " a 0", [](T& s) { s.SpaceToZero(); }, "0a00", 0xC0},
      {"zero to space", "0a 0", [](T& s) { s.ZeroToSpace(); }, " a  ", 0xC0},
      {"cut all", "abc", [](T& s) { s.Cut(0, 3); }, nullptr, 0xC0},
      {"cut none", "abc", [](T& s) { s.Cut(1, 0); }, "abc", 0xC0},
      {"cut past the end", "abc", [](T& s) { s.Cut(1, 100); }, "a", 0xC0},
      {"cut middle", "abc", [](T& s) { s.Cut(1, 1); }, "ac", 0xC0},
      {"cut at the end", "abc", [](T& s) { s.Cut(3, 1); }, "abc", 0xC0},
      {"append", "ab", [](T& s) { s += T("cd"); }, "abcd", 0xC0},
      {"append to null", nullptr, [](T& s) { s += T("cd"); }, "cd", 0xC0},
      {"append itself", "ab", [](T& s) { s += s; }, "abab", 0xC0},
      {"sum", "ab", [](T& s) { s = s + T("c"); }, "abc", 0},
      {"assign a value", "ab", [](T& s) { T v("q"); v.AttributesSet(0x20); s = v; }, "q", 0x20},
      {"assign itself", "ab", [](T& s) { s = *&s; }, "ab", 0xC0},
      {"assign own text", "ab", [](T& s) { s = s.StrGet(); }, "ab", 0},
      {"assign \"\"", "ab", [](T& s) { s = ""; }, nullptr, 0},
      {"copy part", "abcd", [](T& s) { s = s.Copy(1, 2); }, "bc", 0},
      {"copy past the end", "abcd", [](T& s) { s = s.Copy(1, 100); }, "bcd", 0},
      {"copy at the end", "abcd", [](T& s) { s = s.Copy(4, 1); }, nullptr, 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    T s(r.start);
    s.AttributesSet(0xC0);
    r.act(s);
    EXPECT_EQ(!s, r.text == nullptr);
    EXPECT_STREQ(s.StrGet(), r.text != nullptr ? r.text : "");
    EXPECT_EQ(s.AttributesGet(), r.attributes);
  }
}

TYPED_TEST(KvIStringEdits, SubStringPosMatchesBytesExactly) {
  using T = TypeParam;
  struct Row {
    const char* text;
    const char* s;
    int pos;
  };
  const Row rows[] = {
      {"abc", "B", -1}, {"abc", "bc", 1}, {"abc", "", 3},     {nullptr, "", 0},
      {nullptr, "a", -1}, {"aXaX", "aX", 0}, {"\xE9t\xE9", "et", -1},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(r.text ? r.text : "null") + " : " + r.s);
    EXPECT_EQ(T(r.text).SubStringPos(T(r.s)), r.pos);
  }
}

}  // namespace
