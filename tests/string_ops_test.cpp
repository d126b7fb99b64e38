// Facts about KvString's operations: editing, searching, comparison,
// case transformation, character access and list splitting.
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "kvtm/kvtm.h"

namespace {

std::string Text(const KvString& s) { return std::string(s.StrGet(), s.Len()); }

// A 16-bit string (code set 253) of the given units.
KvString Wide(std::vector<uint16_t> units) {
  units.push_back(0);
  KvString s(units.data());
  return s;
}

class StringOps : public testing::Test {
 protected:
  void SetUp() override { ___KvI18NContext(1); }
  void TearDown() override { ___KvI18NContext(1); }
};

TEST_F(StringOps, Editing) {
  struct Row {
    const char* what;
    const char* before;
    std::function<void(KvString&)> edit;
    const char* after;
    bool hasBuffer;
  };
  const Row rows[] = {
      {"insert at the end", "Hello", [](KvString& s) { s.Insert("XX", 5); }, "HelloXX", true},
      {"insert beyond", "Hello", [](KvString& s) { s.Insert("XX", 6); }, "Hello", true},
      {"insert in the middle", "Hello", [](KvString& s) { s.Insert("XX", 1); }, "HXXello", true},
      {"insert nothing", "Hello", [](KvString& s) { s.Insert("", 1); }, "Hello", true},
      {"replace, cut at the end", "Hello", [](KvString& s) { s.Replace("abcdef", 3); }, "Helab", true},
      {"replace at the end", "Hello", [](KvString& s) { s.Replace("ab", 5); }, "Hello", true},
      {"expand", "abc", [](KvString& s) { s.Expand(5, '*'); }, "abc**", true},
      {"expand shorter", "abc", [](KvString& s) { s.Expand(2, '*'); }, "abc", true},
      {"fill", "abcdef", [](KvString& s) { s.Fill(3, 'x'); }, "xxx", true},
      {"fill 0", "abc", [](KvString& s) { s.Fill(0, 'x'); }, "", true},
      {"fill with a 16-bit character", "abcdef",
       [](KvString& s) { s.Fill(2, static_cast<unsigned short>(0x20AC)); }, "\x80\x80", true},
      {"expand with a 16-bit character", "abc",
       [](KvString& s) { s.Expand(5, static_cast<unsigned short>(0x20AC)); }, "abc\x80\x80", true},
      {"expand shorter with a 16-bit character", "abc",
       [](KvString& s) { s.Expand(3, static_cast<unsigned short>('*')); }, "abc", true},
      {"cut", "abcdef", [](KvString& s) { s.Cut(2, 2); }, "abef", true},
      {"cut the rest", "abcdef", [](KvString& s) { s.Cut(2, -1); }, "ab", true},
      {"cut too many", "abcdef", [](KvString& s) { s.Cut(2, 100); }, "ab", true},
      {"cut at the end", "abcdef", [](KvString& s) { s.Cut(6, 1); }, "abcdef", true},
      {"cut nothing", "abcdef", [](KvString& s) { s.Cut(2, 0); }, "abcdef", true},
      {"cut all", "abcdef", [](KvString& s) { s.Cut(0, 6); }, "", true},
      {"trim", "  a b  ", [](KvString& s) { s.Trim(); }, "a b", true},
      {"trim tabs and no-break spaces", "\t\xA0" "a\r\n", [](KvString& s) { s.Trim(); }, "a", true},
      {"trim spaces only", "   ", [](KvString& s) { s.Trim(); }, "", true},
      {"left trim", "  a  ", [](KvString& s) { s.LeftTrim(); }, "a  ", true},
      {"right trim", "  a  ", [](KvString& s) { s.RightTrim(); }, "  a", true},
      {"replace all", "aXbXc", [](KvString& s) { s.ReplaceAll("X", "YY", 0); }, "aYYbYYc", true},
      {"replace all growing", "aaa", [](KvString& s) { s.ReplaceAll("a", "aa", 0); }, "aaaaaa", true},
      {"replace all from 2", "aXbXc", [](KvString& s) { s.ReplaceAll('X', '-', 2); }, "aXb-c", true},
      {"replace all deleting", "aXbXc", [](KvString& s) { s.ReplaceAll("X", "", 0); }, "abc", true},
      {"replace all of empty", "abc", [](KvString& s) { s.ReplaceAll("", "x", 0); }, "abc", true},
      {"replace all of a 16-bit character", "a\xE9" "b\xE9",
       [](KvString& s) {
         s.ReplaceAll(static_cast<unsigned short>(0xE9), static_cast<unsigned short>(0x0160), 0);
       },
       "a\x8A" "b\x8A", true},
      {"upper case", "stra\xDF" "e", [](KvString& s) { s.ToUpper(); }, "STRASSE", true},
      {"lower case", "\xC0" "B\x8C", [](KvString& s) { s.ToLower(); }, "\xE0" "b\x9C", true},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    KvString s(r.before);
    r.edit(s);
    EXPECT_EQ(Text(s), r.after);
    EXPECT_EQ(s.SizeGet() != 0, r.hasBuffer);
    EXPECT_EQ(s.CodeSetGet(), 1);
  }
  // A string without a buffer.
  KvString none;
  none.ToUpper();
  none.RightTrim();
  EXPECT_EQ(none.SizeGet(), 0);
  none.Insert("ab", 0);
  EXPECT_EQ(Text(none), "ab");
}

TEST_F(StringOps, EditsConvertIntoTheReceiversCodeSet) {
  KvString s("a-b");
  s.Replace(Wide({0x20AC}), 1);  // € into Windows-1252
  EXPECT_EQ(Text(s), "a\x80" "b");
  KvString w = Wide({'x', 'y'});
  w.Insert("\xE9", 1);
  EXPECT_EQ(w.CodeSetGet(), 253);
  EXPECT_EQ(w.Len(), 3);
  EXPECT_EQ(reinterpret_cast<const uint16_t*>(w.StrGet())[1], 0xE9);
  w.Fill(2, 'z');
  EXPECT_EQ(w.Len(), 2);
  EXPECT_EQ(reinterpret_cast<const uint16_t*>(w.StrGet())[1], 'z');
  w.Expand(4, static_cast<unsigned short>(0x4E2D));
  EXPECT_EQ(w.Len(), 4);
  EXPECT_EQ(reinterpret_cast<const uint16_t*>(w.StrGet())[3], 0x4E2D);
  w.Expand(5, '\x80');  // € from the default 8-bit code set
  EXPECT_EQ(reinterpret_cast<const uint16_t*>(w.StrGet())[4], 0x20AC);
}

TEST_F(StringOps, CaseMappingMayNeedMoreThanTwiceTheSize) {
  // ΐ upper-cases to three characters: ten of them need 30 units, more than
  // twice the 11-unit buffer. The text grows instead of overrunning it.
  std::vector<uint16_t> units(10, 0x0390);
  KvString s = Wide(units);
  s.ToUpper();
  ASSERT_EQ(s.Len(), 30);
  const uint16_t* u = reinterpret_cast<const uint16_t*>(s.StrGet());
  EXPECT_EQ(u[0], 0x0399);
  EXPECT_EQ(u[1], 0x0308);
  EXPECT_EQ(u[2], 0x0301);
  EXPECT_EQ(s.SizeGet(), 62);  // the bytes written, terminator included
  // An 8-bit text keeps the doubled allocation but sizes to what it wrote.
  KvString t("\xDF");
  t.ToUpper();
  EXPECT_EQ(Text(t), "SS");
  EXPECT_EQ(t.SizeGet(), 3);
}

TEST_F(StringOps, CopiesAndAccess) {
  const KvString s("abcdef");
  EXPECT_EQ(Text(s.Copy(2, 3)), "cde");
  EXPECT_EQ(Text(s.Copy(2, -1)), "cdef");
  EXPECT_EQ(Text(s.Copy(4, 100)), "ef");
  EXPECT_EQ(Text(s.Copy(2, -5)), "");  // other negative counts: empty
  const KvString past = s.Copy(6, 1);
  EXPECT_EQ(past.SizeGet(), 1);        // KvString(""): a buffer, no text
  EXPECT_EQ(Text(s.Left(10)), "abcdef");
  EXPECT_EQ(Text(s.Left(2)), "ab");
  EXPECT_EQ(Text(s.Right(2)), "ef");
  EXPECT_EQ(Text(s.Right(10)), "abcdef");

  KvString t("abc");
  t[1] = 'X';
  EXPECT_EQ(Text(t), "aXc");
  EXPECT_EQ(t[3].ValueGet(), 0);  // the terminator
  KvChar outside = t[4];
  EXPECT_EQ(outside.ValueGet(), 0);
  EXPECT_EQ(outside.CodeSetGet(), 253);  // a free null character
  outside = 'Q';
  EXPECT_EQ(Text(t), "aXc");
  KvString none;
  EXPECT_EQ(none[0].ValueGet(), 0);
}

TEST_F(StringOps, Find) {
  struct Row {
    const char* what;
    KvString text;
    KvString pattern;
    unsigned short start;
    unsigned short op;
    short position;
  };
  const Row rows[] = {
      {"first", "abcabc", "bc", 0, 0x10, 1},
      {"from 2", "abcabc", "bc", 2, 0x10, 4},
      {"longer pattern", "abc", "abcd", 0, 0x10, -1},
      {"start beyond", "abc", "a", 4, 0x10, -1},
      {"empty pattern", "abc", "", 1, 0x10, 1},
      {"empty pattern at the end", "abc", "", 3, 0x10, 3},
      {"pattern without a buffer", "abc", KvString(), 0, 0x10, -1},
      {"text without a buffer", KvString(), "a", 0, 0x10, -1},
      {"case ignored", "xABc", "ab", 0, 0x30, 1},
      {"wildcard", "xaQc", "a?c", 0, 0, 1},
      {"exact star", "a*c abc", "a*c", 1, 0x10, -1},
      {"8-bit text, 16-bit pattern", "xx\xE9t\xE9", Wide({0xE9, 't'}), 0, 0x10, 2},
      {"16-bit text, 8-bit pattern", Wide({'a', 0xE9, 'b'}), "\xE9" "b", 0, 0x10, 1},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    EXPECT_EQ(r.text.Find(r.pattern, r.start, r.op), r.position);
  }
  const KvString s("abc");
  EXPECT_EQ(s.Find('c', 0, 0x10), 2);
  EXPECT_EQ(s.Find('\0', 0, 0x10), -1);
  EXPECT_EQ(s.Find(static_cast<unsigned short>('b'), 0, 0x10), 1);
  KvString t("abcabc");
  EXPECT_EQ(t.SubStringPos("ca", 0x10), 2);
  // 0xFFFF: the default operator, which is exact in a new process.
  EXPECT_EQ(t.Find("b?", 0, 0xFFFF), -1);
  KvString::SetDefaultCmpOp(0);
  EXPECT_EQ(t.Find("b?", 0, 0xFFFF), 1);
}

TEST_F(StringOps, ComparisonOperatorsFollowTheDefaultOperator) {
  const KvString abc("abc");
  const KvString pattern("a*");
  EXPECT_EQ(abc == pattern, 0);  // exact by default
  EXPECT_EQ(abc > pattern, 1);
  KvString::SetDefaultCmpOp(0);
  EXPECT_EQ(abc == pattern, 1);
  EXPECT_EQ(pattern == abc, 0);  // the right-hand operand holds the pattern
  KvString::SetDefaultCmpOp(0x0030);
  EXPECT_EQ(KvString("ABC") == abc, 1);
  EXPECT_EQ(KvString("abd") >= abc, 1);
  EXPECT_EQ(KvString("abd") <= abc, 0);
  EXPECT_EQ(KvString("abd") != abc, 1);
  EXPECT_EQ(KvString("ab") < abc, 1);
  EXPECT_EQ(abc.Compare("abd", 2, 0x10), 0);
  EXPECT_EQ(abc.Compare("abd", 0, 0x10), 0);
  EXPECT_LT(abc.Compare("abd", -1, 0x10), 0);
}

TEST_F(StringOps, SplitList) {
  struct Row {
    const char* list;
    const char* sep;
    std::vector<std::string> items;
  };
  const Row rows[] = {
      {"a, b,,c", ",", {"a", "b", "", "c"}},
      {",a,b", ",", {"a", "b"}},       // a leading separator is skipped
      {"x::y", "::", {"x", "y"}},      // the next item starts after the whole separator
      {"one", ",", {"one"}},
      {"", ",", {}},
      {"a;;", ";", {"a", ""}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.list);
    KvString list(r.list);
    KvString item("untouched");
    KvString sep(r.sep);
    unsigned short pos = 0;
    std::vector<std::string> items;
    int result;
    while ((result = KvSplitList(list, item, sep, pos)) == 0 && items.size() < 10) items.push_back(Text(item));
    EXPECT_EQ(items, r.items);
    EXPECT_EQ(result, KvERR_NO_ITEM);
  }
  KvString list("a");
  KvString item("keep");
  unsigned short pos = 5;
  EXPECT_EQ(KvSplitList(list, item, KvString(","), pos), KvERR_NO_ITEM);
  EXPECT_EQ(Text(item), "keep");
  EXPECT_EQ(pos, 5);
}

}  // namespace
