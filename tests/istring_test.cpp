// KvIString and KvCaseIString as classes: both folding tables, the folded
// comparison with its limit and attributes and the operators over it,
// folding and unfolding whole texts; construction, numbers and the text
// edits, each row run on both classes. Their rows are in string_rows_test.
#include <cfloat>
#include <string_view>
#include <tuple>

#include <gtest/gtest.h>

#include "test_util.h"

namespace {

using namespace std::string_view_literals;

// The weights are stored in index keys and folded forms on disk: every
// entry of both tables is fixed, the odd ones too (215 as 0x4C, 209
// without its tilde, 197 and 198 after 'Z'), here as one FNV-1a hash of
// all 256 primary and secondary weights of both (so also that the case
// table weighs both cases of a letter alike, and that the other puts the
// lower case just below its capital, through the alphabet).
TEST(KvIStringFold, BothTablesAreFixed) {
  uint64_t hash = 14695981039346656037u;
  uint8_t s = 0, cs = 0;
  for (int b = 0; b < 256; ++b)
    for (uint8_t v : {KvIString::Fold(b, s), s, KvCaseIString::Fold(b, cs), cs}) hash = (hash ^ v) * 1099511628211u;
  EXPECT_EQ(hash, 8713430538120220633u);
  EXPECT_EQ(KvIString::Fold(223, s) << 8 | s, 0x9C9C);  // ß: two weights
}

// KvISTR_FOLDED: that side's bytes are weights already. KvISTR_ACCENTS:
// KvCaseIString only, and only the first operand's. Without a limit or
// attributes the operators agree with the sign.
TEST(KvIStringFold, FoldedCompareLimitAttributesAndOperators) {
  struct Row { bool caseClass; const char* t1; const char* t2; uint16_t limit; uint8_t a1, a2; int16_t result; };
  const Row rows[] = {
      {false, nullptr, nullptr, 0, 0, 0, 0}, {false, nullptr, "", 0, 0, 0, -1}, {false, "a", nullptr, 0, 0, 0, 1},
      {false, "", "a", 0, 0, 0, -97}, {false, "a", "A", 0, 0, 0, -6}, {true, "a", "A", 0, 0, 0, 0}, {false, "abc", "abd", 3, 0, 0, -4},
      {false, "\xDF" "a", "ssb", 2, 0, 0, 0}, {false, "\xDF" "a", "ssb", 3, 0, 0, -12}, {false, "\xDF", "s", 0, 0, 0, 156},
      {true, "Stra\xDF" "e", "STRASSE", 0, 0, 0, 0}, {false, "\x9C", "OE", 0, 0, 0, -6}, {false, "\xC4" "b", "ab", 0, 0, 0, 6},
      {false, "\x4E\x5A", "ab", 0, 0x80, 0, 0}, {false, "a", "A", 0, 0x80, 0x80, 32}, {false, "a", "A", 0, 0x80, 0, 13},
      {true, "\x54\x9D\x9D", "A\xDF", 0, 0xC0, 0, 0}, {true, "\xC4" "b", "ab", 0, 0x20, 0, 1}, {true, "\xC4" "b", "ab", 0, 0, 0x20, 0},
      {true, "\xE9", "e", 0, 0x20, 0, 2}, {true, "\xDF", "ss", 0, 0x20, 0, -1}, {false, "\xE9", "e", 0, 0x20, 0, 0},
      {false, "abc", "abd", 2, 0, 0, 0}, {false, "ab", "\x4E\x5A", 0, 0, 0x80, 0}};
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(r.t1 ? r.t1 : "null") + " : " + (r.t2 ? r.t2 : "null"));
    EXPECT_EQ(r.caseClass ? KvCaseIString::FoldedCompare(r.t1, r.t2, r.limit, r.a1, r.a2)
                          : KvIString::FoldedCompare(r.t1, r.t2, r.limit, r.a1, r.a2), r.result);
  }
  KvCaseIString accented("\xE9"), plain("e");  // the operators pass the attributes of both operands
  accented.AttributesSet(KvISTR_ACCENTS);
  EXPECT_EQ(accented > plain, 1);
  EXPECT_EQ(plain == accented, 1);
}

// Fold (f: KvIString, F: KvCaseIString) or unfold (u) a text into a target
// of 0xEE bytes, within a limit.
TEST(KvIStringFold, FoldAndUnfoldTexts) {
  struct Row { char what; Bytes source; uint16_t limit; Bytes written; uint16_t result; };
  const Row rows[] = {
      {'f', {'a', 0xDF, 0}, 0, {0x4E, 0x9C, 0x9C, 0}, 4}, {'f', {'a', 0xDF, 0}, 3, {0x4E, 0x9C, 0x9C}, 3}, {'f', {}, 0, {}, 0},
      {'f', {0x9C, 0}, 0, {0x8A, 0x64, 0}, 3}, {'F', {0x9C, 0}, 0, {0x90, 0x69, 0}, 3}, {'F', {'a', 'b', 0}, 10, {0x54, 0x5B, 0}, 3},
      {'F', {0xC4, 'B', 0xDF, 0}, 0, {0x54, 0x5B, 0x9D, 0x9D, 0}, 5}, {'f', {0xE9, 0}, 0, {0x64, 0}, 2}, {'u', {0x54, 0x5B, 0}, 0, {}, 1},
      {'u', {0x54, 0x02, 0}, 3, {'A', 2, 0}, 3}, {'u', {0x54, 0x5B, 0x9D, 0x9D, 0}, 5, {'A', 'B', 'S', 'S', 0}, 5},
      {'u', {0x54, 0x5B, 0x9D, 0x9D, 0}, 3, {'A', 'B', 'S'}, 3},
      {'u', {0x54, 0x03, 0}, 3, {192, 0}, 3}, {'u', {0x54, 0x03, 0}, 1, {'A'}, 1},  // a weight and its accent; the accent past the limit
      {'u', {0xBD, 0}, 2, {173, 0}, 2}, {'u', {0xE0, 0xB0, 0x41, 0x4C, '0', 0}, 6, {128, 160, '`', 0x4C, '0', 0}, 6}, {'u', {}, 5, {}, 0}};
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << r.what << " " << r.source.size() << " limit " << r.limit);
    Bytes target(12, 0xEE), expected = r.written;
    char* t = reinterpret_cast<char*>(target.data());
    const char* s = r.source.empty() ? nullptr : reinterpret_cast<const char*>(r.source.data());
    EXPECT_EQ(r.what == 'f'   ? KvIString::FoldText(t, s, r.limit)
              : r.what == 'F' ? KvCaseIString::FoldText(t, s, r.limit) : KvCaseIString::UnfoldText(t, s, r.limit), r.result);
    expected.resize(12, 0xEE);
    EXPECT_EQ(target, expected);
  }
  EXPECT_EQ(KvIString::FoldText(nullptr, "a", 0) + KvCaseIString::UnfoldText(nullptr, "\x54", 1), 0);
}

// The class operations are one implementation behind two classes: each row
// runs on both.
template <typename T>
class KvIStringValue : public testing::Test {};
using BothClasses = testing::Types<KvIString, KvCaseIString>;
TYPED_TEST_SUITE(KvIStringValue, BothClasses);

// Texts of construction ("": a null text), without attributes even from a
// value that has them; numbers from the text, clamped to 32 bits.
TYPED_TEST(KvIStringValue, ConstructionAndNumbers) {
  using T = TypeParam;
  T marked("abc");
  marked.AttributesSet(0xC0);
  struct Row { T s; std::string_view bytes; };
  const Row rows[] = {
      {T(""), ""}, {T(static_cast<const char*>(nullptr)), ""}, {T('x'), "x"}, {T(marked), "abc"}, {T("abc", 5), "abc\0\0"sv},
      {T("abcdef", 3), "abc"}, {T(nullptr, 2), "\0\0"sv}, {T(INT32_MIN), "-2147483648"}, {T(static_cast<short>(-32768)), "-32768"},
      {T(LongOf(0x100000005LL)), "5"}, {T(UnsignedLongOf(0x1FFFFFFFFULL)), "4294967295"}, {T(0.5), "0.500000"}};
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(r.bytes));
    EXPECT_EQ(!r.s, r.bytes.empty());
    EXPECT_EQ(r.s.AttributesGet(), 0);
    if (!r.bytes.empty()) { EXPECT_EQ(std::string_view(r.s.StrGet(), r.bytes.size() + 1), std::string(r.bytes) + '\0'); }
  }
  EXPECT_EQ(std::string(T(-DBL_MAX).StrGet()).substr(309), "8.000000");  // "%f": 309 digits, the point, six decimals
  struct Number { const char* text; int i; short s; long l; double d; };
  for (const Number& n : {Number{nullptr, 0, 0, 0, 0.0}, Number{" -7", -7, -7, -7, -7.0}, Number{"70000", 70000, 4464, 70000, 7e4},
                          Number{"4000000000", INT32_MAX, -1, INT32_MAX, 4e9}, Number{"-4000000000", INT32_MIN, 0, INT32_MIN, -4e9},
                          Number{"3.25x", 3, 3, 3, 3.25}, Number{"x1", 0, 0, 0, 0.0}}) {
    const T s(n.text);
    EXPECT_EQ(static_cast<int>(s), n.i);
    EXPECT_EQ(static_cast<short>(s), n.s);
    EXPECT_EQ(static_cast<long>(s), n.l);
    EXPECT_EQ(static_cast<double>(s), n.d);
  }
}

// Each edit from a text with the attributes 0xC0 (null: a null text).
TYPED_TEST(KvIStringValue, EditsGiveTheseTextsAndAttributes) {
  using T = TypeParam;
  struct Row { const char* start; void (*act)(T& s); const char* text; uint8_t attributes = 0xC0; };
  const Row rows[] = {
      {"abc", [](T& s) { s.Insert(T("XY"), 10); }, "abcXY"}, {"abc", [](T& s) { s.Insert(T("XY"), 1); }, "aXYbc"},
      {nullptr, [](T& s) { s.Insert(T("XY"), 3); }, "XY"}, {"ab", [](T& s) { s.Insert(s, 1); }, "aabb"},
      {"abc", [](T& s) { s.Replace(T("XYZ"), 1); }, "aXY"}, {nullptr, [](T& s) { s.Replace(T("X"), 0); }, nullptr},
      {"abcdef", [](T& s) { s.Fill(2, 'x'); }, "xxcdef"}, {nullptr, [](T& s) { s.Fill(0, 'x'); }, nullptr},
      {"ab", [](T& s) { s.Expand(4, '.'); }, "ab.."}, {nullptr, [](T& s) { s.Expand(2, '-'); }, "--"}, {"ab", [](T& s) { s += s; }, "abab"},
      {"abc", [](T& s) { s.Replace(T("X"), 4); }, "abc"}, {"a", [](T& s) { s.Fill(2, 'x'); }, "xx"},
      {"abc", [](T& s) { s.Cut(1, 1); }, "ac"}, {" a 0", [](T& s) { s.SpaceToZero(); }, "0a00"}, {"abc", [](T& s) { s.Cut(1, 100); }, "a"},
      {"0a 0", [](T& s) { s.ZeroToSpace(); }, " a  "}, {"abc", [](T& s) { s.Cut(3, 1); }, "abc"}, {"ab", [](T& s) { s = ""; }, nullptr, 0},
      {"abc", [](T& s) { s.Cut(0, 3); }, nullptr}, {nullptr, [](T& s) { s += T("cd"); }, "cd"},
      {"\xE0\xFF" "a\xF7\x9C\xDF\xFE", [](T& s) { s.ToUpper(); }, "\xC0\x9F" "A\xF7\x8C\xDF\xDE"},
      {"\xC0\x9F" "Z\xD7\x8C\xDF\xDE", [](T& s) { s.ToLower(); }, "\xE0\xFF" "z\xD7\x9C\xDF\xFE"},
      {"ab", [](T& s) { s = s + T("c"); }, "abc", 0}, {"ab", [](T& s) { T v("q"); v.AttributesSet(0x20); s = v; }, "q", 0x20},
      {"abcd", [](T& s) { s = s.Copy(1, 2); }, "bc", 0}, {"abcd", [](T& s) { s = s.Copy(4, 1); }, nullptr, 0},
      {"ab", [](T& s) { s = s.StrGet(); }, "ab", 0}};
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(r.start ? r.start : "null") + " to " + (r.text ? r.text : "null"));
    T s(r.start);
    s.AttributesSet(0xC0);
    r.act(s);
    EXPECT_EQ(!s, r.text == nullptr);
    EXPECT_STREQ(s.StrGet(), r.text != nullptr ? r.text : "");
    EXPECT_EQ(s.AttributesGet(), r.attributes);
  }
  // The first position of the bytes exactly.
  const std::tuple<const char*, const char*, int> finds[] = {{"abc", "B", -1}, {"abc", "bc", 1}, {"abc", "", 3}, {nullptr, "a", -1},
                                                             {"aXaX", "aX", 0}, {"\xE9t\xE9", "et", -1}};
  for (auto [text, part, pos] : finds) EXPECT_EQ(T(text).SubStringPos(T(part)), pos) << (text ? text : "null") << " : " << part;
}

}  // namespace
