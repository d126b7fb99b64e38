// Facts about the text slots of the string rows: lists that read back
// whatever the values hold, print under a caller's format without handing
// it to the C library, the order-value modes, and scan.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "kvstring_access.h"
#include "kvtm/kvtm.h"
#include "test_util.h"

namespace {

// A string of the given units in a code set.
KvString Units(std::vector<uint16_t> units, uint8_t cs, uint8_t language = 1) {
  units.push_back(0);
  KvString wide(units.data());
  KvStringAccess::LanguageSet(wide, language);
  if (cs == KvCS_ORDERS || cs == KvCS_UNICODE) {
    wide.SetCodeSetCode(cs);
    return wide;
  }
  KvString s(cs, language);
  s += wide;
  return s;
}

std::vector<uint16_t> UnitsOf(const KvString& s) {
  std::vector<uint16_t> out;
  const char* p = s.StrGet();
  const bool wide = s.CodeSetGet() > 224;
  for (size_t i = 0; i < s.Len(); ++i) {
    uint16_t u;
    if (wide) {
      std::memcpy(&u, p + 2 * i, 2);
    } else {
      u = static_cast<uint8_t>(p[i]);
    }
    out.push_back(u);
  }
  return out;
}

std::string Printed(char id, void* value, const char* format, KvString out = KvString()) {
  KvTypeMgr().PrintToKvString(id, out, value, format, 1);
  return std::string(out.StrGet(), out.Len());
}

TEST(StringText, ListsReadBackWhateverTheValuesHold) {
  struct Row {
    std::vector<std::string> values;
    uint8_t separator;
  };
  const Row rows[] = {
      {{"ab", "cd"}, 1},
      {{"a\x01", "b"}, 2},
      // Byte for byte: a control code in a value does not stand for another.
      {{"a\x02", "\x03"}, 1},
      {{"\x01\x02\x03", "x,y", ""}, 4},
      {{}, 1},
  };
  KvTypeMgr mgr;
  for (const Row& r : rows) {
    SCOPED_TRACE(r.values.size());
    const uint32_t n = static_cast<uint32_t>(r.values.size());
    auto* values = static_cast<KvString*>(mgr.Create(KvTYPE_STRING, n));
    std::string expected;
    for (uint32_t i = 0; i < n; ++i) {
      values[i] = r.values[i].c_str();
      expected += r.values[i] + static_cast<char>(r.separator);
    }
    KvString* list = mgr.ConvertToKvString(values, KvTYPE_STRING, n);
    EXPECT_EQ(std::string(list->StrGet(), list->Len()), expected);
    auto* back = static_cast<KvString*>(mgr.ConvertFromKvString(list, KvTYPE_STRING, n));
    for (uint32_t i = 0; i < n; ++i) EXPECT_EQ(std::string(back[i].StrGet()), r.values[i]);
    EXPECT_EQ(list->Len(), 0) << "the list is consumed";
    delete list;
    mgr.Delete(KvTYPE_STRING, back, n);
    mgr.Delete(KvTYPE_STRING, values, n);
  }

  // 16-bit values keep their units, the separator among them.
  KvString wide[2] = {Units({0x20AC, 0x0001, 0x0002}, KvCS_UNICODE, 3), Units({0x4E2D}, KvCS_UNICODE, 3)};
  KvString* list = mgr.ConvertToKvString(wide, KvTYPE_STRING, 2);
  EXPECT_EQ(list->CodeSetGet(), KvString().CodeSetGet()) << "a list is a new string";
  delete list;
  KvString wideList = Units({0x20AC, 0x0001, 0x4E2D, 0x0003, 0x41, 0x0003}, KvCS_UNICODE, 3);
  auto* back = static_cast<KvString*>(mgr.ConvertFromKvString(&wideList, KvTYPE_STRING, 2));
  EXPECT_EQ(UnitsOf(back[0]), (std::vector<uint16_t>{0x20AC, 0x0001, 0x4E2D}));
  EXPECT_EQ(UnitsOf(back[1]), (std::vector<uint16_t>{0x41}));
  EXPECT_EQ(back[0].CodeSetGet(), KvCS_UNICODE);
  EXPECT_EQ(back[0].LanguageGet(), 3);
  mgr.Delete(KvTYPE_STRING, back, 2);

  // A list's last character is its separator; "," for an empty list.
  KvString commas("x,y,");
  auto* xy = static_cast<KvString*>(mgr.ConvertFromKvString(&commas, KvTYPE_STRING, 3));
  EXPECT_STREQ(xy[0].StrGet(), "x");
  EXPECT_STREQ(xy[1].StrGet(), "y");
  EXPECT_STREQ(xy[2].StrGet(), "");
  mgr.Delete(KvTYPE_STRING, xy, 3);

  // The insensitive strings: 8-bit text, byte for byte.
  KvIString insensitive[2] = {KvIString("ab\x01"), KvIString("AB")};
  KvString* iList = mgr.ConvertToKvString(insensitive, KvTYPE_ISTRING, 2);
  EXPECT_EQ(std::string(iList->StrGet(), iList->Len()), "ab\x01\x02" "AB\x02");
  auto* iBack = static_cast<KvIString*>(mgr.ConvertFromKvString(iList, KvTYPE_ISTRING, 2));
  EXPECT_STREQ(iBack[0].StrGet(), "ab\x01");
  EXPECT_STREQ(iBack[1].StrGet(), "AB");
  mgr.Delete(KvTYPE_ISTRING, iBack, 2);
  delete iList;
}

TEST(StringText, PrintUnderACallersFormat) {
  struct Row {
    const char* format;
    const char* text;
  };
  const Row rows[] = {
      {"[%s]", "[abc]"},
      {nullptr, "abc"},
      {"%-5s|", "abc  |"},
      {"%5.2s|", "   ab|"},
      {"%.0s|", "|"},
      {"%+08s|", "     abc|"},
      {"100%% %s %d %n %s %ls %*s", "100% abc %d %n %s %ls %*s"},
      {"no directive", "no directive"},
      {"%", "%"},
      {"%5", "%5"},
      {"%d%s|", "%dabc|"},
      {"%ls %s", "%ls abc"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.format != nullptr ? r.format : "null");
    KvString value = Units({'a', 'b', 'c'}, 2, 4);
    KvString out(1, 3);
    KvTypeMgr().PrintToKvString(KvTYPE_STRING, out, &value, r.format, 1);
    EXPECT_EQ(std::string(out.StrGet(), out.Len()), r.text);
    EXPECT_EQ(out.CodeSetGet(), 2) << "the value's code set";
    EXPECT_EQ(out.LanguageGet(), KvString::GetDefaultLanguage()) << "new text's language";
  }

  // An empty value prints as itself, whatever the format.
  KvString empty;
  EXPECT_EQ(Printed(KvTYPE_STRING, &empty, "[%s]"), "");
  // A width beyond what a string holds is clamped to it.
  KvString a("a");
  EXPECT_EQ(Printed(KvTYPE_STRING, &a, "%99999999s").size(), 65532u);

  // So is literal text: past what a string holds it gives no text, after
  // the overflow report.
  const std::string longFormat = std::string(70000, 'x') + "%s";
  KvString refused(KvCS_UNICODE, 3);
  refused = "old";
  {
    OverflowCounter reports;
    KvTypeMgr().PrintToKvString(KvTYPE_STRING, refused, &a, longFormat.c_str(), 1);
    EXPECT_EQ(reports.Count(), 1);
  }
  EXPECT_EQ(refused.SizeGet(), 0);

  // 16-bit text prints into the code set of the result.
  KvString euro = Units({0x20AC, 0x41}, KvCS_UNICODE, 4);
  EXPECT_EQ(Printed(KvTYPE_STRING, &euro, "<%s>"), "<\x80" "A>");
  KvString wideOut(KvCS_UNICODE, 3);
  KvTypeMgr().PrintToKvString(KvTYPE_STRING, wideOut, &euro, "<%-3s>", 1);
  EXPECT_EQ(UnitsOf(wideOut), (std::vector<uint16_t>{'<', 0x20AC, 'A', ' ', '>'}));
  EXPECT_EQ(wideOut.LanguageGet(), KvString::GetDefaultLanguage());

  // The insensitive strings print their 8-bit text, new text as every print.
  KvIString abc("Abc");
  EXPECT_EQ(Printed(KvTYPE_ISTRING, &abc, nullptr), "Abc");
  KvString iOut(1, 3);
  KvTypeMgr().PrintToKvString(KvTYPE_CASEISTRING, iOut, &abc, "(%4s)", 1);
  EXPECT_STREQ(iOut.StrGet(), "( Abc)");
  EXPECT_EQ(iOut.LanguageGet(), KvString::GetDefaultLanguage());
  KvIString none;
  EXPECT_EQ(Printed(KvTYPE_ISTRING, &none, "(%s)"), "");
}

TEST(StringText, OrderValuesThroughTheirNames) {
  // Lower a, lower b, upper A with accent acute, the digit 3.
  KvString orders = Units({0x500C, 0x5010, 0x410C, 16128 + 30}, KvCS_ORDERS, 1);
  struct Row {
    const char* format;
    const char* text;
  };
  const Row rows[] = {
      {"[%1M]", "[abA3]"},
      {"[%2M]", "[ab\xC1" "3]"},
      {"%3M|", "lower letter a|lower letter b|upper letter A with accent acute|digit 3|"},
      {"%4M.", "a.b.\\'A.3."},
      {"<%s>", "<ab\xC1" "3>"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.format);
    KvString out(1, 3);
    KvTypeMgr().PrintToKvString(KvTYPE_STRING, out, &orders, r.format, 1);
    EXPECT_EQ(std::string(out.StrGet(), out.Len()), r.text);
    EXPECT_EQ(out.LanguageGet(), KvString::GetDefaultLanguage());
  }
}

TEST(StringText, ScanTakesTheWholeText) {
  KvTypeMgr mgr;
  KvString value("old");
  KvString text = Units({0x20AC, 0x41}, KvCS_UNICODE, 4);
  mgr.ScanFromKvString(KvTYPE_STRING, &value, text, "ignored %d", 1);
  EXPECT_EQ(UnitsOf(value), (std::vector<uint16_t>{0x20AC, 0x41}));
  EXPECT_EQ(value.CodeSetGet(), KvCS_UNICODE);
  EXPECT_EQ(value.LanguageGet(), 4);

  KvIString insensitive("old");
  KvString q("Q");
  mgr.ScanFromKvString(KvTYPE_ISTRING, &insensitive, q, nullptr, 1);
  EXPECT_STREQ(insensitive.StrGet(), "Q");
  KvCaseIString caseInsensitive("old");
  mgr.ScanFromKvString(KvTYPE_CASEISTRING, &caseInsensitive, text, nullptr, 1);
  EXPECT_STREQ(caseInsensitive.StrGet(), "\x80" "A") << "16-bit text through its 8-bit copy";
  EXPECT_EQ(mgr.ScanFromKvString(KvTYPE_STRING, nullptr, q, nullptr, 1), nullptr);
}

}  // namespace
