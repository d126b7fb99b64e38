// KvString: exact buffers and the two empty forms, the size limit and its
// report, failed allocations, conversion, numbers into and out of text, the
// edits, searches, comparisons and list splitting; the text slots of the
// string rows; the multibyte conversions beyond what tests/check_utf8.py
// checks against Python (their strings, buffers, counts and limits, with
// operands in heap blocks of exactly their size).
#include <cmath>
#include <memory>
#include <tuple>

#include <gtest/gtest.h>

#include "kvstring_access.h"
#include "kvtm/kvmbs.h"
#include "test_util.h"

namespace {

using S = KvString&;
using U = unsigned short;
using L = std::vector<int64_t>;  // results in the order listed, which braces keep

// The whole buffer, terminator included; nothing for a string without one.
Bytes BufferOf(const KvString& s) {
  const uint8_t* p = reinterpret_cast<const uint8_t*>(KvStringAccess::BufferGet(s));
  return p != nullptr ? Bytes(p, p + s.SizeGet()) : Bytes();
}
std::tuple<int, int, Bytes> StateOf(const KvString& s) { return {s.CodeSetGet(), s.LanguageGet(), BufferOf(s)}; }
// The buffer of a text of 8-bit or 16-bit units (in this host's layout).
Bytes B8(const std::string& text) { return Bytes(text.c_str(), text.c_str() + text.size() + 1); }
Bytes B16(const std::u16string& text) { return Bytes((const char*)text.c_str(), (const char*)(text.c_str() + text.size() + 1)); }
// A string of code set `cs` holding the buffer as it is, or no buffer for {}.
KvString Make(uint8_t cs, const Bytes& buffer, uint8_t language = 1) {
  KvString s(cs, language);
  if (!buffer.empty()) KvStringAccess::AssignUnits(s, reinterpret_cast<const char*>(buffer.data()), cs, KvSTRING_WHOLE, 1);
  return s;
}
KvString W16(const std::u16string& text, uint8_t language = 1) { return Make(253, B16(text), language); }
std::u16string UnitsOf(const KvString& s) { return std::u16string((const char16_t*)s.StrGet(), s.Len()); }
std::string Repeated(size_t n, char c = 'a') { return std::string(n, c); }
const U* P(const std::u16string& text) { return reinterpret_cast<const U*>(text.c_str()); }

class KvStringTest : public testing::Test {
 protected:
  void SetUp() override { ___KvI18NContext(1); }
  void TearDown() override { ___KvI18NContext(1); }
};

TEST_F(KvStringTest, ConstructionAndTheTwoEmptyForms) {
  const U wide[] = {0x20AC, 'a', 0}, noUnits[] = {0};
  // Copies of named strings: a copy of a temporary would be elided.
  const KvString labelsOnly(5, 7), inner("ab\0cd", 5), labelled = W16(u"a", 4);
  struct Row { KvString s; int cs, language; Bytes buffer; uint16_t len; };  // buffer {}: none
  const Row rows[] = {
      {KvString("abc"), 1, 1, B8("abc"), 3},          {KvString("abcdef", 3), 1, 1, B8("abc"), 3},
      {KvString("abc", 0xFFFF), 1, 1, B8("abc"), 3},  {KvString("ab\0cd", 5), 1, 1, B8(std::string("ab\0cd", 5)), 2},
      {inner, 1, 1, B8("ab"), 2},                     {KvString('x'), 1, 1, B8("x"), 1},  // a copy stops at the zero
      {KvString(U(0x20AC)), 253, 1, B16(u"\u20AC"), 1}, {KvString(wide, 1), 253, 1, B16(u"\u20AC"), 1},
      {labelled, 253, 4, B16(u"a"), 1},               {Make(225, B16(u"a")), 225, 1, B16(u"a"), 1},
      {KvString(), 1, 1, {}, 0},                      {KvString(U(0)), 253, 1, {}, 0},
      {KvString(static_cast<const char*>(nullptr), 3), 1, 1, {}, 0}, {KvString("abc", 0), 1, 1, {}, 0},
      {labelsOnly, 5, 7, {}, 0},                      {KvString(""), 1, 1, B8(""), 0},
      {KvString(noUnits), 253, 1, B16(u""), 0},       {KvString() + KvString(), 1, 1, B8(""), 0}};
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::PrintToString(r.buffer));
    EXPECT_EQ(StateOf(r.s), std::tuple(r.cs, r.language, r.buffer));
    EXPECT_EQ((L{r.s.Len(), r.s.IsEmpty(), !r.s, r.s.StrGet()[0] == 0}), (L{r.len, r.len == 0, r.len == 0, r.len == 0}));
    EXPECT_TRUE(!r.buffer.empty() || r.s.StrGet()[1] == 0);  // the static text: empty in either width
  }
  KvString target("old"), source = W16(u"\u20AC", 4);
  target.Destruct(source);  // takes the buffer; the source keeps its labels only
  target.Destruct(target);
  EXPECT_EQ((std::vector{StateOf(target), StateOf(source), (target.d_deactivate(), StateOf(target))}),
            (std::vector<std::tuple<int, int, Bytes>>{{253, 4, B16(u"\u20AC")}, {253, 4, {}}, {0, 0, {}}}));
}

// An edit or conversion whose result would pass 65533 bytes is refused
// whole, after the report the debug/stringOverflow setting asks for.
TEST_F(KvStringTest, OverflowIsReportedAndRefusedWhole) {
  struct Row { const char* what; void (*act)(S s); uint16_t size; uint8_t cs; size_t reports; };  // s starts as KvString()
  const Row rows[] = {
      {"65532 8-bit units", [](S s) { s = Repeated(65532).c_str(); }, 65533, 1, 0},
      {"65533 8-bit units", [](S s) { s = KvString(Repeated(65533).c_str()); }, 0, 1, 1},
      {"70000 units, never 4464", [](S s) { s = "abc"; s = Repeated(70000).c_str(); }, 0, 1, 1},
      {"self-append", [](S s) { s = Repeated(40000).c_str(); s += s; }, 40001, 1, 1},
      {"32766 16-bit units", [](S s) { s = P(std::u16string(32766, u'\u263A')); }, 0, 253, 1},
      {"32766 widened: the label stays", [](S s) { s = Repeated(32766).c_str(); s.SetCodeSet(253); }, 32767, 1, 1},
      {"8-bit into 16-bit up to it", [](S s) { s = P(u"\u263A"); s += KvString(Repeated(32764).c_str()); }, 65532, 253, 0},
      {"... and past it", [](S s) { s = P(u"\u263A"); s << Repeated(32765).c_str(); }, 4, 253, 1},
      {"upper case: every sharp s becomes SS", [](S s) { s = Repeated(40000, '\xDF').c_str(); s.ToUpper(); }, 40001, 1, 1},
      {"replace all stops before the replacement that would pass it",
       [](S s) { s = "aaa"; s.ReplaceAll("a", Repeated(30000).c_str(), 0); }, 60002, 1, 1}};
  for (int flag : {0, 1}) {
    for (const Row& r : rows) {
      OverflowCounter reports;
      DefaultConfig(KV_CONFIG_CURRENT)->Set("debug", "stringOverflow", flag);
      KvString s;
      r.act(s);
      EXPECT_EQ((L{s.SizeGet(), s.CodeSetGet(), reports.Count()}), (L{r.size, r.cs, flag * int64_t(r.reports)})) << r.what;
    }
  }
}

int memoryHandlerCalls = 0;
int ReturnWithoutMemory(unsigned long) { return ++memoryHandlerCalls, 0; }

TEST_F(KvStringTest, FailedAllocationKeepsTheOldText) {
  const std::tuple<KvString, int32_t, void (*)(S)> rows[] = {  // allocations that succeed before the failures
      {KvString("ab"), 0, [](S s) { s += KvString("cd"); }}, {KvString("ab"), 0, [](S s) { s.SetCodeSet(253); }},
      {W16(u"\u0390\u0390\u0390\u0390\u0390"), 1, [](S s) { s.ToUpper(); }}};  // growing its work area
  const KvMemoryHandler previous = KvSetMemoryHandler(ReturnWithoutMemory);
  for (const auto& [before, successes, act] : rows) {
    KvString s = before;
    memoryHandlerCalls = 0;
    KvSetAllocFailure(successes);
    act(s);
    KvSetAllocFailure(-1);
    EXPECT_EQ((L{memoryHandlerCalls >= 1, StateOf(s) == StateOf(before)}), (L{1, 1}));
  }
  const KvString euro = W16(u"\u20AC");
  char* out = nullptr;
  long size = 0;
  KvSetAllocFailure(0);
  KvString none("abc");  // made while nothing can be allocated: no text
  const long result = KvString2MultiByteString(euro, out, size);
  KvSetAllocFailure(-1);
  KvSetMemoryHandler(previous);
  EXPECT_EQ((L{none.SizeGet(), result, out == nullptr, size}), (L{0, KvMBS_INVALID, 1, 3}));
}

// SetCodeSet relabels within a width and converts across; MapToCodeSet
// converts; SetCodeSetCode relabels within a width only. (Every byte of
// every pair of code sets: CodeSets.IdsAndUnicodeMappings.)
TEST_F(KvStringTest, RelabelOrConvert) {
  enum Op { kSet, kMap, kSetCode };
  struct Row { uint8_t cs; Bytes text; Op op; uint8_t target; int result, csAfter; Bytes after; };  // result: of Map, SetCode
  const Row rows[] = {
      {1, B8("\x8A"), kSet, 5, 0, 5, B8("\x8A")},              {1, B8("\x8A"), kMap, 5, 0, 5, B8("\xA9")},
      {1, B8("\x80"), kSet, 253, 0, 253, B16(u"\u20AC")},      {253, B16(u"\u20AC"), kSet, 0, 0, 0, B8("\x80")},  // 0: native
      {0, B8("\x80"), kMap, 253, 0, 253, B16(u"\u20AC")},      {253, B16(u"\u20AC"), kMap, 0, -2002, 253, B16(u"\u20AC")},
      {253, B16(u"\u4E2D\u0104"), kMap, 2, 0, 2, B8("\x1A\x1A")}, {1, B8("\x80"), kSetCode, 253, -2002, 1, B8("\x80")},
      {1, {}, kSet, 253, 0, 253, {}},                          {253, B16(u"a"), kSetCode, 225, 0, 225, B16(u"a")}};
  for (const Row& r : rows) {
    KvString s = Make(r.cs, r.text, 3);
    if (r.op == kSet) s.SetCodeSet(r.target);
    EXPECT_EQ(r.op == kMap ? s.MapToCodeSet(r.target) : r.op == kSetCode ? s.SetCodeSetCode(r.target) : 0, r.result) << &r - rows;
    EXPECT_EQ(StateOf(s), std::tuple(r.csAfter, 3, r.after)) << &r - rows;
  }
}

// Numbers become text as on the 32-bit platform: a long is 32 bits. An
// unsigned short is a number to 8-bit text, a character to 16-bit text.
TEST_F(KvStringTest, NumbersAndTextsAppended) {
  const std::pair<void (*)(S), Bytes> rows[] = {  // to "x" in 8 bits, or 16 where the result is
      {[](S s) { s << 'a' << '\0' << U(65) << 0.1f << -0.25; }, B8("xa650.100000001490116-0.25")},
      {[](S s) { const U euro[] = {0x20AC, 0}; s << euro << LongOf(0x100000007LL); }, B8("x\x80" "7")},
      {[](S s) { s.SetCodeSet(253); s << U(65) << U(0) << 42 << "a" << UnsignedLongOf(0x1FFFFFFFFULL); }, B16(u"xA42a4294967295")}};
  for (const auto& [append, after] : rows) {
    KvString s("x");
    append(s);
    EXPECT_EQ(BufferOf(s), after);
  }
  EXPECT_EQ((std::vector{Text(KvString(UnsignedLongOf(~0ULL))), Text(KvString(LongOf(1LL << 32))), Text(KvString(1.0 / 3)),
                         Text(KvString(123456789012345678.0)), Text(KvString(-0.0))}),
            (std::vector<std::string>{"4294967295", "0", "0.333333333333333", "1.23456789012346e+17", "-0"}));
  // New strings take the defaults of the moment; 8-bit text keeps 8 bits.
  KvString::SetDefaultCodeSet(253);
  KvString::SetDefaultLanguage(3);
  EXPECT_EQ((std::vector{StateOf(KvString(12)), StateOf(KvString(0.5)), StateOf(KvString("a"))}),
            (std::vector<std::tuple<int, int, Bytes>>{{253, 3, B16(u"12")}, {253, 3, B16(u"0.5")}, {1, 3, B8("a")}}));
}

// A sum takes the left labels, an assignment the assigned ones; text
// assigned takes the defaults.
TEST_F(KvStringTest, AssignmentAndSums) {
  const KvString a = Make(1, B8("ab"), 3), b = W16(u"\u20AC", 4);
  KvString self = a;
  self += self;
  const std::tuple<KvString, int, int, Bytes> rows[] = {
      {a + b, 1, 3, B8("ab\x80")}, {b + a, 253, 4, B16(u"\u20ACab")}, {KvString(5, 2) + a, 5, 2, B8("ab")},
      {a + W16(u"\u4E2D"), 1, 3, B8("ab\x1A")}, {self, 1, 3, B8("abab")}};
  for (const auto& [s, cs, language, buffer] : rows) EXPECT_EQ(StateOf(s), std::tuple(cs, language, buffer));
  const std::tuple<void (*)(S), int, int, Bytes> assignments[] = {  // to "old" in code set 253, language 4
      {[](S s) { s = KvString(5, 7); }, 5, 7, {}},     {[](S s) { KvString& alias = s; s = alias; }, 253, 4, B16(u"old")},
      {[](S s) { s = "ab"; }, 1, 1, B8("ab")},        {[](S s) { s = static_cast<const char*>(nullptr); }, 1, 1, {}},
      {[](S s) { const U z[] = {'z', 0}; s = z; }, 253, 1, B16(u"z")}};
  for (const auto& [assign, cs, language, after] : assignments) {
    KvString s = W16(u"old", 4);
    assign(s);
    EXPECT_EQ(StateOf(s), std::tuple(cs, language, after));
  }
}

// Only incoming 16-bit units are read in the unit format given; the kept part
// of the receiver stays native.
TEST_F(KvStringTest, EditPrimitiveReadsIncomingUnitsInTheirFormat) {
  struct Row { uint8_t cs; Bytes text, source; uint8_t sourceCs; uint32_t count, repeat; uint8_t mode, format; Bytes after; };
  const Row rows[] = {  // at position 1, from the source's start
      {253, B16(u"a"), {0x20, 0xAC, 0x00, 0x41, 0, 0}, 253, 2, 1, 3, 2, B16(u"a\u20ACA")},
      {1, B8("a"), {0x20, 0xAC, 0, 0}, 253, 1, 1, 3, 2, B8("a\x80")},
      {5, B8("a"), B8("\x80"), 0, 1, 2, 3, 1, B8("a\x80\x80")}};  // code set 0 into 8-bit: not mapped
  for (const Row& r : rows) {
    KvString s = Make(r.cs, r.text);
    KvStringAccess::EditUnits(s, reinterpret_cast<const char*>(r.source.data()), r.sourceCs, 1, 0, r.count, r.repeat, r.mode, r.format);
    EXPECT_EQ(StateOf(s), std::tuple(r.cs, 1, r.after)) << &r - rows;
  }
}

TEST_F(KvStringTest, Edits) {
  const std::tuple<const char*, void (*)(S), const char*> rows[] = {  // null: no buffer
      {"Hello", [](S s) { s.Insert("XX", 6); }, "Hello"},       {"Hello", [](S s) { s.Insert("XX", 1); }, "HXXello"},
      {nullptr, [](S s) { s.Insert("ab", 0); }, "ab"},          {"Hello", [](S s) { s.Replace("abcdef", 3); }, "Helab"},
      {"abc", [](S s) { s.Expand(5, '*'); }, "abc**"},          {"a-b", [](S s) { s.Replace(KvString(U(0x20AC)), 1); }, "a\x80" "b"},
      {nullptr, [](S s) { s.Expand(0, '*'); }, nullptr},        {"abc", [](S s) { s.Expand(5, U(0x20AC)); }, "abc\x80\x80"},
      {"abc", [](S s) { s.Expand(3, U('*')); }, "abc"},         {nullptr, [](S s) { s.Expand(0, U('*')); }, nullptr},
      {"abcdef", [](S s) { s.Fill(3, 'x'); }, "xxx"},           {"abc", [](S s) { s.Fill(0, 'x'); }, ""},
      {"abcdef", [](S s) { s.Fill(2, U(0x20AC)); }, "\x80\x80"}, {"abcdef", [](S s) { s.Cut(2, 2); }, "abef"},
      {"abcdef", [](S s) { s.Cut(2, -1); }, "ab"},              {"\t\xA0" "a b\r\n", [](S s) { s.Trim(); }, "a b"},
      {"  a  ", [](S s) { s.LeftTrim(); }, "a  "},              {"  a  ", [](S s) { s.RightTrim(); }, "  a"},
      {nullptr, [](S s) { s.RightTrim(); s.ToUpper(); }, nullptr}, {"aaa", [](S s) { s.ReplaceAll("a", "aa", 0); }, "aaaaaa"},
      {"aXbXc", [](S s) { s.ReplaceAll('X', '-', 2); }, "aXb-c"}, {"abc", [](S s) { s.ReplaceAll("", "x", 0); }, "abc"},  // "": none
      {"a\xE9" "b\xE9", [](S s) { s.ReplaceAll(U(0xE9), U(0x0160), 0); }, "a\x8A" "b\x8A"},
      {"stra\xDF" "e", [](S s) { s.ToUpper(); }, "STRASSE"},    {"\xC0" "B\x8C", [](S s) { s.ToLower(); }, "\xE0" "b\x9C"}};
  for (const auto& [before, edit, after] : rows) {
    KvString s(before);
    edit(s);
    EXPECT_EQ(StateOf(s), std::tuple(1, 1, after ? B8(after) : Bytes()));
  }
  // Edits of 16-bit text take 8-bit characters through the default code set.
  KvString w = W16(u"xy");
  EXPECT_EQ(UnitsOf(w.Insert("\xE9", 1).Expand(4, U(0x4E2D)).Expand(5, '\x80')), u"x\u00E9y\u4E2D\u20AC");
  EXPECT_EQ(UnitsOf(w.Fill(2, 'z')), u"zz");
  // ΐ upper-cases to three characters: ten need 30 units, more than twice
  // the 11-unit buffer; the size field is the bytes written.
  KvString greek = W16(std::u16string(10, u'\u0390')), sharp("\xDF");
  EXPECT_EQ((L{greek.ToUpper().SizeGet(), sharp.ToUpper().SizeGet()}), (L{62, 3}));
  EXPECT_EQ(UnitsOf(greek).substr(0, 4), u"\u0399\u0308\u0301\u0399");
}

TEST_F(KvStringTest, CopiesCharactersFindAndCompare) {
  const KvString s("abcdef");  // other negative counts than -1 give an empty string
  EXPECT_EQ(Text(s.Copy(2, 3)) + "|" + Text(s.Copy(2, -1)) + "|" + Text(s.Copy(4, 100)) + "|" + Text(s.Copy(2, -5)), "cde|cdef|ef|");
  EXPECT_EQ(Text(s.Left(10)) + "|" + Text(s.Left(2)) + "|" + Text(s.Right(2)) + "|" + Text(s.Right(10)), "abcdef|ab|ef|abcdef");
  EXPECT_EQ(s.Copy(6, 1).SizeGet(), 1);  // "": a buffer, no text
  KvString t("abc");
  KvChar outside = (t[1] = 'X', t[4]);  // beyond the text: a free null character, written nowhere
  EXPECT_EQ((L{t[3].ValueGet(), outside.ValueGet(), outside.CodeSetGet(), KvString()[0].ValueGet(), (outside = 'Q', Text(t) == "aXc")}),
            (L{0, 0, 253, 0, 1}));
  const std::tuple<KvString, KvString, U, U, short> finds[] = {  // text, pattern, start, operator, position
      {"abcabc", "bc", 0, 0x10, 1},  {"abcabc", "bc", 2, 0x10, 4}, {"abc", "abcd", 0, 0x10, -1}, {"abc", "a", 4, 0x10, -1},
      {"abc", "", 3, 0x10, 3},       {"abc", KvString(), 0, 0x10, -1}, {KvString(), "a", 0, 0x10, -1}, {"xABc", "ab", 0, 0x30, 1},
      {"xaQc", "a?c", 0, 0, 1},      {"a*c abc", "a*c", 1, 0x10, -1},  // exact: the star is a character
      // In characters, texts of either width find each other, but a 16-bit
      // character from 512 up is its own value.
      {"xx\xE9t\xE9", W16(u"\u00E9t"), 0, 0x10, 2}, {W16(u"a\u00E9b"), "\xE9" "b", 0, 0x10, 1}, {"a\x80", W16(u"\u20AC"), 0, 0x10, -1}};
  for (const auto& [text, pattern, start, op, position] : finds) EXPECT_EQ(text.Find(pattern, start, op), position) << Text(text);
  KvString abc("abc"), pattern("a*");
  const KvString abd("abd");
  EXPECT_EQ((L{abc.Find('c', 0, 0x10), abc.Find('\0', 0, 0x10), abc.Find(U('b'), 0, 0x10)}), (L{2, -1, 1}));
  EXPECT_EQ(KvString("abcabc").SubStringPos("ca", 0x10), 2);
  EXPECT_EQ((L{abc.Find("b?", 0, 0xFFFF), abc == pattern, abc > pattern}), (L{-1, 0, 1}));  // the default operator is exact
  KvString::SetDefaultCmpOp(0);
  EXPECT_EQ((L{abc.Find("b?", 0, 0xFFFF), abc == pattern, pattern == abc}), (L{1, 1, 0}));  // operand 2 holds the pattern
  KvString::SetDefaultCmpOp(0x0030);
  EXPECT_EQ((L{abd >= abc, abd <= abc, abd != abc, KvString("ab") < abc, KvString("ABC") == abc}), (L{1, 0, 1, 1, 1}));
  EXPECT_EQ((L{abc.Compare("abd", 2, 0x10), abc.Compare("abd", 0, 0x10), abc.Compare("abd", -1, 0x10) < 0}), (L{0, 0, 1}));
}

TEST_F(KvStringTest, SplitListContinuesAfterTheWholeSeparator) {
  const std::tuple<const char*, const char*, const char*> rows[] = {
      {"a, b,,c", ",", "a|b||c|"}, {",a,b", ",", "a|b|"}, {"x::y", "::", "x|y|"}, {"one", ",", "one|"}, {"", ",", ""}, {"a;;", ";", "a||"}};
  for (const auto& [text, sep, items] : rows) {
    KvString list(text), item("untouched");
    U pos = 0;
    std::string got;
    int result;
    while ((result = KvSplitList(list, item, KvString(sep), pos)) == 0 && got.size() < 50) got += Text(item) + "|";
    EXPECT_EQ(got + std::to_string(result), items + std::to_string(KvERR_NO_ITEM)) << text;
  }
  KvString a("a"), item("keep");  // from beyond the list: nothing
  U pos = 5;
  EXPECT_EQ((L{KvSplitList(a, item, KvString(","), pos), pos, item == KvString("keep")}), (L{KvERR_NO_ITEM, 5, 1}));
}

// 8-bit text reads as a 32-bit strtol with the base from the text, or under
// options bit 0 as atol, clamped to 32 bits; 16-bit text by the digit rule
// (each unit less '0'), wrapping in 32 bits.
TEST_F(KvStringTest, NumbersOfText) {
  struct Row { KvString s; int32_t options; long value; short asShort; };  // value: of long and int
  const Row rows[] = {
      {"0x10", 0, 16, 16},       {"0x10", 1, 0, 0},         {"0x10", ~1, 16, 16},      {"017", 0, 15, 15},     {"017", 1, 17, 17},
      {"08", 0, 0, 0},           {" \t-42abc", 1, -42, -42}, {"70000", 0, 70000, 4464}, {"2147483648", 0, 2147483647, -1},
      {"-2147483649", 1, -2147483647 - 1, 0}, {"0xFFFFFFFF", 0, 2147483647, -1}, {"abc", 0, 0, 0}, {KvString(), 0, 0, 0},
      {W16(u"0x10"), 0, 7210, 7210},  {W16(u"-1"), 1, -29, -29},  // 'x' is the digit 72, '-' the digit -3
      {W16(u"2147483648"), 0, -2147483647 - 1, 0}, {W16(u"4294967301"), 1, 5, 5}, {W16(u"12.5"), 0, 1185, 1185}};
  const int32_t options = ___KvTypeMgrOptions();
  for (const Row& r : rows) {
    ___KvTypeMgrOptions() = r.options;
    EXPECT_EQ(std::tuple(long(r.s), long(int(r.s)), short(r.s)), std::tuple(r.value, r.value, r.asShort)) << &r - rows;
  }
  // Reals: 8-bit text as atof, 16-bit text by the digit rule but for '.'.
  const std::pair<KvString, double> reals[] = {{"  -2.25e2x", -225.0}, {"0x1p4", 16.0}, {"1e400", HUGE_VAL}, {"3,5", 3.0},
                                               {W16(u"12.5"), 12.5}, {W16(u"0x10"), 7210.0}, {W16(u"4294967301"), 4294967301.0}};
  for (const auto& [s, value] : reals) EXPECT_EQ(double(s), value) << value;
  // Atol and Strtol refuse text that does not start a number; options bit 0 changes neither.
  const std::tuple<KvString, int, long, long> refusals[] = {  // text, result of both, Atol's value, Strtol's
      {"-12", 0, -12, -12}, {" 12", -1, 0, 0}, {"", -1, 0, 0}, {KvString(), -1, 0, 0}, {"0x10", 0, 0, 16}, {"017", 0, 17, 15},
      {"5 apples", 0, 5, 5}, {"-99999999999", 0, -2147483647 - 1, -2147483647 - 1},
      {"\xB2", 0, 0, 0},  // superscript two: a digit by its class, without a value
      {W16(u"-12"), 0, -288, -288}, {W16(u" 12"), -1, 0, 0}};
  ___KvTypeMgrOptions() = 1;
  for (const auto& [text, result, atolValue, strtolValue] : refusals) {
    long v = 77, w = 77;
    const int results[] = {text.Atol(v), text.Strtol(w)};
    EXPECT_EQ(std::tuple(results[0], v, results[1], w), std::tuple(result, atolValue, result, strtolValue));
  }
  ___KvTypeMgrOptions() = options;
}

// ---- The text slots of the string rows ----

std::string Printed(char id, void* value, const char* format, KvString out = KvString(1, 3)) {
  KvTypeMgr().PrintToKvString(id, out, value, format, 1);
  EXPECT_EQ(out.LanguageGet(), KvString::GetDefaultLanguage()) << "a printed text is new text";
  return Text(out);
}

// Each value of a list ends with the smallest character in none of them,
// compared byte for byte, so that every list reads back to its values; the
// list's last character is the separator, and reading consumes the list.
TEST_F(KvStringTest, ListsReadBackWhateverTheValuesHold) {
  const std::pair<std::vector<std::string>, char> rows[] = {
      {{"ab", "cd"}, 1}, {{"a\x01", "b"}, 2}, {{"a\x02", "\x03"}, 1}, {{"\x01\x02\x03", "x,y", ""}, 4}, {{}, 1}};
  KvTypeMgr mgr;
  for (const auto& [values, separator] : rows) {
    const uint32_t n = static_cast<uint32_t>(values.size());
    auto* strings = static_cast<KvString*>(mgr.Create(KvTYPE_STRING, n));
    std::string expected, back;
    for (uint32_t i = 0; i < n; ++i) strings[i] = values[i].c_str(), expected += values[i] + separator;
    KvString* list = mgr.ConvertToKvString(strings, KvTYPE_STRING, n);
    EXPECT_EQ(Text(*list), expected);
    auto* read = static_cast<KvString*>(mgr.ConvertFromKvString(list, KvTYPE_STRING, n));
    for (uint32_t i = 0; i < n; ++i) back += read[i].StrGet() + std::string(1, separator);
    EXPECT_EQ(back + std::to_string(list->Len()), expected + "0");
    delete list;
    mgr.Delete(KvTYPE_STRING, read, n);
    mgr.Delete(KvTYPE_STRING, strings, n);
  }
  KvString commas("x,y"), wideList = W16(u"\u20AC\u0001\u4E2D\u0003A\u0003", 3);  // 16-bit values keep their units
  auto* back = static_cast<KvString*>(mgr.ConvertFromKvString(&wideList, KvTYPE_STRING, 2));
  auto* xy = static_cast<KvString*>(mgr.ConvertFromKvString(&commas, KvTYPE_STRING, 2));
  EXPECT_EQ(std::tuple(StateOf(back[0]), UnitsOf(back[1]), Text(xy[0]) + "|" + Text(xy[1])),
            std::tuple(std::tuple(253, 3, B16(u"\u20AC\u0001\u4E2D")), u"A", "x,|"));
  mgr.Delete(KvTYPE_STRING, back, 2);
  mgr.Delete(KvTYPE_STRING, xy, 2);
  KvIString insensitive[2] = {KvIString("ab\x01"), KvIString("AB")};  // 8-bit text, byte for byte
  std::unique_ptr<KvString> iList(mgr.ConvertToKvString(insensitive, KvTYPE_ISTRING, 2));
  auto* iBack = static_cast<KvIString*>(mgr.ConvertFromKvString(iList.get(), KvTYPE_ISTRING, 2));
  EXPECT_EQ(std::string(iBack[0].StrGet()) + "|" + iBack[1].StrGet(), "ab\x01|AB");
  mgr.Delete(KvTYPE_ISTRING, iBack, 2);
}

// One "%s" is honoured (flag '-', width, precision, clamped to what a string
// holds); every other byte is literal text. The result has the value's code
// set (16-bit text the result's); order text prints under %1M to %4M.
TEST_F(KvStringTest, PrintUnderACallersFormatAndScan) {
  KvString value = Make(2, B8("abc")), out(1, 3), empty, a("a"), euro = W16(u"\u20ACA", 4), wideOut(253, 3), refused(253, 3);
  const std::pair<const char*, const char*> rows[] = {
      {"[%s]", "[abc]"}, {nullptr, "abc"}, {"%-5s|", "abc  |"}, {"%5.2s|", "   ab|"}, {"%.0s|", "|"}, {"%+08s|", "     abc|"},
      {"100%% %s %d %n %s %ls %*s", "100% abc %d %n %s %ls %*s"}, {"%", "%"}, {"%5", "%5"}, {"%d%s|", "%dabc|"}};
  for (const auto& [format, text] : rows) EXPECT_EQ(Printed(KvTYPE_STRING, &value, format), text);
  KvTypeMgr().PrintToKvString(KvTYPE_STRING, out, &value, "%s", 1);
  EXPECT_EQ((L{out.CodeSetGet(), Printed(KvTYPE_STRING, &empty, "[%s]") == "", int64_t(Printed(KvTYPE_STRING, &a, "%99999999s").size())}),
            (L{2, 1, 65532}));  // an empty value prints as itself; widths are clamped
  refused = "old";  // literal text past what a string holds gives no text, after the report
  {
    OverflowCounter reports;
    KvTypeMgr().PrintToKvString(KvTYPE_STRING, refused, &a, (std::string(70000, 'x') + "%s").c_str(), 1);
    EXPECT_EQ((L{reports.Count(), refused.SizeGet()}), (L{1, 0}));
  }
  EXPECT_EQ(Printed(KvTYPE_STRING, &euro, "<%s>"), "<\x80" "A>");
  KvTypeMgr().PrintToKvString(KvTYPE_STRING, wideOut, &euro, "<%-3s>", 1);
  EXPECT_EQ(UnitsOf(wideOut), u"<\u20ACA >");
  KvIString abc("Abc"), none;  // the insensitive strings print their 8-bit text
  EXPECT_EQ(Printed(KvTYPE_ISTRING, &abc, nullptr) + Printed(KvTYPE_CASEISTRING, &abc, "(%4s)") + Printed(KvTYPE_ISTRING, &none, "(%s)"), "Abc( Abc)");
  KvString orders = W16(u"\u500C\u5010\u410C\u3F1E");  // lower a, lower b, upper A with accent acute, the digit 3
  orders.SetCodeSetCode(KvCS_ORDERS);
  const std::pair<const char*, const char*> modes[] = {
      {"[%1M]", "[abA3]"}, {"[%2M]", "[ab\xC1" "3]"}, {"%4M.", "a.b.\\'A.3."}, {"<%s>", "<ab\xC1" "3>"},
      {"%3M|", "lower letter a|lower letter b|upper letter A with accent acute|digit 3|"}};
  for (const auto& [format, text] : modes) EXPECT_EQ(Printed(KvTYPE_STRING, &orders, format), text) << format;
  // Scan takes the whole text as the value.
  KvTypeMgr mgr;
  KvString scanned("old"), q("Q");
  KvIString insensitive("old");
  KvCaseIString caseInsensitive("old");
  mgr.ScanFromKvString(KvTYPE_STRING, &scanned, euro, "ignored %d", 1);
  EXPECT_EQ(StateOf(scanned), std::tuple(253, 4, B16(u"\u20ACA")));
  mgr.ScanFromKvString(KvTYPE_ISTRING, &insensitive, q, nullptr, 1);
  mgr.ScanFromKvString(KvTYPE_CASEISTRING, &caseInsensitive, euro, nullptr, 1);  // through its 8-bit copy
  EXPECT_EQ(std::string(insensitive.StrGet()) + caseInsensitive.StrGet(), "Q\x80" "A");
  EXPECT_EQ(mgr.ScanFromKvString(KvTYPE_STRING, nullptr, q, nullptr, 1), nullptr);
}

// ---- The multibyte conversions ----

struct Exact {  // a heap block of exactly the bytes given, or of `size` bytes 0x5A
  explicit Exact(const std::string& bytes, long size = 0) : text(bytes.empty() ? std::string(size > 0 ? size : 0, '\x5A') : bytes) {
    std::memcpy(block.get(), text.data(), text.size());
  }
  std::string str() const { return std::string(block.get(), text.size()); }
  std::string text;
  std::unique_ptr<char[]> block{new char[text.size()]};
};
std::string Times(const std::string& piece, size_t n) { return n == 0 ? "" : n == 1 ? piece : Times(piece + piece, n / 2) + Times(piece, n % 2); }

// Counts are 32-bit and negative ones count as 0; the string keeps its
// language, becomes 16-bit, and gets no buffer when nothing is decoded.
// Characters reach it 256 at a time; a decoding takes fewer than 32768 bytes
// and yields at most 32765 characters, keeping what fits. A string's units
// are taken as bytes, and one above 0xFF is none.
TEST(KvMbs, DecodingCountsLimitsAndTheString) {
  const std::tuple<std::string, long, long, std::u16string> rows[] = {
      {std::string("abc\0", 4), 10, 3, u"abc"}, {"abc", -1, 0, u""}, {"abc", LongOf((int64_t{1} << 32) + 2), 2, u"ab"},
      {"ab\xC0\x80" "c", 5, -1, u"ab"},         {Times("\xC3\xA9", 257), 514, 514, std::u16string(257, u'\u00E9')},
      {Times("\xC3\xA9", 16384), 32768, KvMBS_TOO_LONG, std::u16string(16384, u'\u00E9')},
      {Times("\xE2\x82\xAC", 20000), 60000, KvMBS_TOO_LONG, std::u16string(10923, u'\u20AC')},
      {Times("a", 32765), 32765, 32765, std::u16string(32765, u'a')}, {Times("a", 32766), 32766, KvMBS_TOO_LONG, std::u16string(32765, u'a')}};
  for (const auto& [bytes, n, result, units] : rows) {
    KvString target(KvCS_CP1252, KvLANG_SWEDISH);
    target << "old";
    EXPECT_EQ(KvMBS2KvString(Exact(bytes).block.get(), target, n), result) << bytes.size() << " bytes, n " << n;
    EXPECT_TRUE(StateOf(target) == std::tuple(253, int(KvLANG_SWEDISH), units.empty() ? Bytes() : B16(units))) << bytes.size();
  }
  KvString target = W16(u"old"), self = Make(1, B8("x\xC3\xA9")), whole = Make(1, B8("\xE2\x82\xAC!")), decoded[3];
  EXPECT_EQ(KvMBS2KvString(nullptr, target, 5) + KvMultiByteString2KvString(nullptr, target, 5) + target.SizeGet(), 0);
  EXPECT_EQ((L{KvMBS2KvString(self.StrGet() + 1, self, 1000), KvMultiByteString2KvString(whole, whole)}), (L{2, 4}));  // their own text
  EXPECT_EQ((L{KvMultiByteString2KvString(Make(5, B8("\xC3\xA9")), decoded[0]), KvMultiByteString2KvString(W16(u"c\u00C3\u00A9"), decoded[1]),
               KvMultiByteString2KvString(W16(u"a\u20ACb"), decoded[2])}), (L{2, 3, -1}));
  EXPECT_EQ(UnitsOf(self) + UnitsOf(whole) + UnitsOf(decoded[0]) + UnitsOf(decoded[1]) + UnitsOf(decoded[2]), u"\u00E9\u20AC!\u00E9c\u00E9a");
  unsigned short wc = 0xAAAA;
  EXPECT_EQ((L{KvMultiByte2WChar(&wc, nullptr, 4), wc, KvWChar2MultiByte(nullptr, 0x41)}), (L{0, 0, 0}));
  EXPECT_EQ(KvMultiByte2WChar(nullptr, Exact("\xC3\xA4").block.get(), 2), 2);
}

// A new buffer when asked (a size below 1), else the caller's, which must
// hold the terminator too; an 8-bit text too long for a 16-bit string
// encodes whole. A bounded encoding reports text that does not fit whatever
// the code set, after what fits; ASCII text is zero-filled, other text not.
TEST(KvMbs, EncodingIntoNewCallersAndBoundedBuffers) {
  const std::pair<KvString, std::string> rows[] = {
      {Make(0, B8("caf\xE9 \x80")), "caf\xC3\xA9 \xE2\x82\xAC"}, {W16(u"a\u20AC"), "a\xE2\x82\xAC"},
      {Make(1, B8(std::string(40000, '\xE9'))), Times("\xC3\xA9", 40000)}};
  for (const auto& [str, bytes] : rows) {
    const long t = static_cast<long>(bytes.size());
    char mine[1] = {'\x5A'}, *out = mine;
    long size = -7;
    EXPECT_EQ((L{KvString2MultiByteString(str, out, size), size}), (L{t, t + 1}));
    EXPECT_EQ(std::string(out, t + 1) + mine[0], bytes + '\0' + '\x5A');
    KvMemFree(out);
    Exact exact("", t + 1), small("", t);
    out = exact.block.get();
    size = t + 1;
    EXPECT_EQ((L{KvString2MultiByteString(str, out, size), size}), (L{t, t + 1}));
    out = small.block.get();
    size = t;  // no room for the terminator: nothing written, size the text's bytes
    EXPECT_EQ((L{KvString2MultiByteString(str, out, size), size}), (L{KvMBS_INVALID, t}));
    EXPECT_EQ(exact.str() + small.str(), bytes + '\0' + std::string(t, '\x5A'));
  }
  const std::tuple<KvString, long, long, std::string> bounded[] = {  // text, size, result, the buffer that held 0x5A
      {Make(1, B8("hello")), 10, 5, std::string("hello\0\0\0\0\0", 10)}, {Make(5, B8("hello")), 2, KvMBS_TOO_LONG, "he"},
      {Make(1, B8("hello")), -3, KvMBS_TOO_LONG, ""},       {KvString(), 2, 0, std::string(2, '\0')},
      {Make(1, B8("ab\xE9")), 6, 4, "ab\xC3\xA9\x5A\x5A"},  {Make(1, B8("ab\xE9")), 3, KvMBS_TOO_LONG, "ab\x5A"},
      {W16(u"h\u20AC"), 3, KvMBS_TOO_LONG, "h\x5A\x5A"},    {W16(u""), 2, 0, "\x5A\x5A"}};
  for (const auto& [str, size, result, after] : bounded) {
    Exact out("", size);
    EXPECT_EQ(KvString2KvMBS(str, out.block.get(), size), result) << after;
    EXPECT_EQ(out.str(), after);
  }
  EXPECT_EQ((L{KvString2KvMBS(Make(1, B8("")), nullptr, 10), KvString2KvMBS(Make(1, B8("a")), nullptr, 10),  // a null buffer holds nothing
               KvString2KvMBS(W16(u"\u20AC"), nullptr, 10), KvMBSLength(Make(1, B8("h\xE9llo")), 2), KvMBSLength(W16(u"a\u20AC\u00FC"), 2)}),
            (L{0, KvMBS_TOO_LONG, KvMBS_TOO_LONG, 3, 4}));
}

}  // namespace
