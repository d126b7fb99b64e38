// cmd_demo.cpp — kvtm demo: a short tour of what the library does.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli.h"
#include "kvplatform/kvmemory.h"
#include "kvtm/kvchar.h"
#include "kvtm/kvblob.h"
#include "kvtm/kvdate.h"
#include "kvtm/kvint64.h"
#include "kvtm/kvmbs.h"
#include "kvtm/kvobjid.h"
#include "kvtm/kvodmg.h"
#include "kvtm/kvorder.h"
#include "kvtm/kvstring.h"

namespace {

void Heading(const char* title) { std::printf("\n== %s ==\n", title); }

void DemoModule() {
  const char* description = nullptr;
  const char* module = nullptr;
  GetKvTypeMgrInfo(nullptr, nullptr, &description, nullptr, &module);
  std::printf("%s(module %s)\n", description, module);
}

void DemoTypes(KvTypeMgr& mgr) {
  Heading("Types by id");
  char id = 0;
  mgr.Name2KvTypeId("KvDateTime", id);
  std::printf("\"KvDateTime\" is id %d; id 25 is \"%s\", %u bytes in memory, fixed %u\n", id,
              mgr.NameGet(25, nullptr), mgr.MemLenGet(25, 1), mgr.IsFixed(25));
  std::printf("ids 0 to 27 are valid: IsValidType(27) = %d, IsValidType(28) = %d\n",
              mgr.IsValidType(27), mgr.IsValidType(28));
}

void DemoStore(KvTypeMgr& mgr) {
  Heading("Stored forms");
  int32_t values[2] = {12345, -2};
  for (uint8_t format : {1, 2}) {
    uint8_t stored[8];
    const unsigned long n = mgr.Store(KvTYPE_INT, stored, values, format, 2);
    std::printf("int 12345,-2 in format %u: %s\n", format, HexOf(stored, n).c_str());
  }
  const uint8_t msbFirst[] = {0x40, 0x09, 0x21, 0xFB, 0x54, 0x44, 0x2D, 0x18};
  double pi = 0;
  mgr.Load(KvTYPE_DOUBLE, &pi, const_cast<uint8_t*>(msbFirst), 2, 1);
  std::printf("double from %s (format 2): %.15g\n", HexOf(msbFirst, 8).c_str(), pi);
}

void DemoCompare(KvTypeMgr& mgr) {
  Heading("Comparison");
  int16_t a[3] = {7, 8, 1};
  int16_t b[3] = {7, 8, 2};
  int status = 0;
  long r = mgr.Cmp(KvTYPE_SHORT, 0, a, 0, b, 0, 3, 8, status);
  std::printf("short {7,8,1} vs {7,8,2}: %ld\n", r);
  r = mgr.Cmp(KvTYPE_SHORT, 4, a, 0, b, 0, 3, 8, status);
  std::printf("the same with only 4 bytes of the first: %ld, status %d (%s)\n", r, status,
              status == KvCMP_INCOMPLETE ? "KvCMP_INCOMPLETE: fetch the whole value" : "final");
  double nan = std::nan("");
  double one = 1.0;
  std::printf("double NaN vs 1: %ld, 1 vs NaN: %ld (a NaN orders first)\n",
              mgr.Cmp(KvTYPE_DOUBLE, &nan, &one, 0, 1, 8), mgr.Cmp(KvTYPE_DOUBLE, &one, &nan, 0, 1, 8));
  uint8_t x = 0x80, y = 0x01;
  std::printf("byte 0x80 vs 0x01: char %ld, KvByte %ld\n", mgr.Cmp(KvTYPE_CHAR, &x, &y, 0, 1, 8),
              mgr.Cmp(KvTYPE_BYTE, &x, &y, 0, 1, 8));
}

void DemoIndex(KvTypeMgr& mgr) {
  Heading("Index bounds");
  int16_t lo = 0, hi = 99, value = 50;
  KvIdxBounds range = {reinterpret_cast<uint8_t*>(&lo), reinterpret_cast<uint8_t*>(&hi), 2, 2};
  const struct {
    unsigned short relation;
    const char* text;
  } conditions[] = {{KvREL_LESS, "<"}, {KvREL_EQUAL | KvREL_GREATER, ">="}, {KvREL_LESS | KvREL_GREATER, "<>"}};
  for (const auto& c : conditions) {
    KvIdxBounds bounds = {};
    unsigned short relation = c.relation;
    const float estimate = mgr.EvalAndBound(KvTYPE_SHORT, &range, relation, &value, 8, 1, &bounds);
    std::printf("short key %-2s 50 over keys 0..99: estimate %.2f, scan from %s to %s\n", c.text,
                estimate, bounds.low ? "50" : "the start", bounds.high ? "50" : "the end");
    KvMemFree(bounds.low);
    KvMemFree(bounds.high);
  }
}

// The orders of a Windows-1252 text under a language, as hex.
std::string OrdersOf(const char* text, uint8_t language) {
  KvString s(text);
  std::string out;
  KvStringIterator walk(s.StrGet(), 1, language, 1);
  while (uint16_t order = walk.GetNextOrder(1)) {
    char piece[8];
    std::snprintf(piece, sizeof piece, "%s%04X", out.empty() ? "" : " ", order);
    out += piece;
  }
  return out;
}

void DemoCharacters() {
  Heading("Characters and code sets");
  KvString s("Stra\xDF" "e \x80" "5");  // Windows-1252
  KvString wide(s);
  wide.MapToCodeSet(253);
  const uint16_t* units = reinterpret_cast<const uint16_t*>(wide.StrGet());
  std::printf("\"Stra\xC3\x9F" "e \xE2\x82\xAC" "5\" in Windows-1252 is %u bytes; in Unicode %u bytes, the euro sign U+%04X\n",
              s.SizeGet(), wide.SizeGet(), units[7]);
  KvString latin2(s);
  latin2.MapToCodeSet(5);
  std::printf("in ISO-8859-2, which has no euro sign, it becomes 0x%02X (never '?' or '*')\n",
              static_cast<unsigned char>(latin2.StrGet()[7]));
  std::vector<char> upper(2 * s.SizeGet());
  KvStringIterator from(s);
  KvStringIterator to(upper.data(), 1, 1, 1);
  ToUpperOperation up;
  from.Transform(to, up);
  KvString shown(upper.data());
  std::printf("upper case grows the text: \"%s\"\n", Utf8Of(shown).c_str());
  std::printf("collation orders of \"chico\": neutral %s, Spanish %s\n", OrdersOf("chico", 1).c_str(),
              OrdersOf("chico", 2).c_str());
  std::printf("\"\xC3\xA5\" is a after ring (%s) in the neutral order, a letter after z (%s) in Danish\n",
              OrdersOf("\xE5", 1).c_str(), OrdersOf("\xE5", 3).c_str());
}

void DemoCollation() {
  Heading("Collation");
  // Windows-1252 texts: the accent nearest the end decides, lower case
  // comes before upper case, punctuation decides last.
  std::vector<KvString> words = {KvString("c\xF4t\xE9"), KvString("Cote"), KvString("cot\xE9"),
                                 KvString("c\xF4te"), KvString("cote"), KvString("co-te")};
  std::stable_sort(words.begin(), words.end(),
                   [](const KvString& a, const KvString& b) { return a.Compare(b, -1, KvCMP_EXACT) < 0; });
  std::string sorted;
  for (const KvString& w : words) sorted += (sorted.empty() ? "" : " < ") + Utf8Of(w);
  std::printf("%s\n", sorted.c_str());
  const KvString name("Stra\xDF" "enbahn");
  std::printf("\"Stra\xC3\x9F" "enbahn\" matches \"STRASS*\" ignoring case and accents: %s\n",
              name.Compare(KvString("STRASS*"), -1, 0x0060) == 0 ? "yes" : "no");
  KvString chico("chico");
  KvString cuna("cuna");
  KvString spanishChico(1, 2);
  spanishChico += chico;
  KvString spanishCuna(1, 2);
  spanishCuna += cuna;
  std::printf("\"chico\" sorts %s \"cuna\" in the neutral order, %s it in Spanish (ch after c)\n",
              chico.Compare(cuna, -1, KvCMP_EXACT) < 0 ? "before" : "after",
              spanishChico.Compare(spanishCuna, -1, KvCMP_EXACT) < 0 ? "before" : "after");
}

void DemoStringIndex(KvTypeMgr& mgr) {
  Heading("Strings in an index");
  KvString word("Stra\xDF" "e");
  unsigned char record[16];
  const unsigned long n = mgr.Store(KvTYPE_STRING, record, &word, 2, 1);
  std::printf("\"Stra\xC3\x9F" "e\" stored: %s\n", HexOf(record, n).c_str());
  unsigned char key[32];
  const unsigned long k = mgr.Translate(KvTYPE_STRING, key, 0x82, sizeof key, &word, 8, 0, 1);
  std::printf("its index key (collation orders; \xC3\x9F is two of them): %s\n", HexOf(key, k).c_str());
  // name = 'stra*' ignoring case: the bounds of an index scan.
  KvString pattern("STRA*");
  unsigned char value[16];
  mgr.Store(KvTYPE_STRING, value, &pattern, 2, 1);
  unsigned short relation = KvREL_EQUAL | KvCMP_IGNORE_CASE;
  KvIdxBounds bounds = {nullptr, nullptr, 0, 0};
  mgr.EvalAndBound(KvTYPE_STRING, nullptr, relation, value, 2, 1, &bounds);
  std::printf("name = 'STRA*' ignoring case scans from %s\n            to %s%s\n",
              HexOf(bounds.low, bounds.lowLength).c_str(), HexOf(bounds.high, bounds.highLength).c_str(),
              (relation & KvREL_WIDENED) ? " (widened)" : "");
  int status = 0;
  const long inLow = mgr.Cmp(KvTYPE_STRING, k, key, bounds.lowLength, bounds.low, KvCMP_IGNORE_CASE, 1, 2, status);
  const long inHigh = mgr.Cmp(KvTYPE_STRING, k, key, bounds.highLength, bounds.high, KvCMP_IGNORE_CASE, 1, 2, status);
  std::printf("the key of \"Stra\xC3\x9F" "e\" lies %s the bounds\n", inLow >= 0 && inHigh <= 0 ? "within" : "outside");
  KvMemFree(bounds.low);
  KvMemFree(bounds.high);
}

void DemoDates(KvTypeMgr& mgr) {
  Heading("Dates and times");
  KvDate y2k(2000, 1, 1);
  KvString printed("");
  mgr.PrintToKvString(KvTYPE_DATE, printed, &y2k, nullptr, 1);
  std::printf("KvDate 2000-01-01 is day %ld, a %s; printed: \"%s\"\n", static_cast<long>(y2k),
              y2k.PrintDayOfTheDate().StrGet(), printed.StrGet());
  unsigned char stored[4];
  mgr.Store(KvTYPE_DATE, stored, &y2k, 2, 1);
  std::printf("stored in format 2: %s\n", HexOf(stored, sizeof stored).c_str());
  d_Date reform(1582, 10, 4);
  reform++;
  std::printf("d_Date 1582-10-04 plus one day: %04d-%02d-%02d (the Gregorian reform)\n", reform.year(),
              reform.month(), reform.day());
  d_Timestamp march(2000, 3, 1);
  march -= d_Interval(2);
  std::printf("d_Timestamp 2000-03-01 00:00 minus two days: %04d-%02d-%02d %02d:%02d\n", march.year(),
              march.month(), march.day(), march.hour(), march.minute());
  // Christmas of any year: a wildcard year in the second operand.
  KvDate christmas(2026, 12, 24), anyChristmas(-1, 12, 24);
  unsigned char a[4], b[4];
  mgr.Store(KvTYPE_DATE, a, &christmas, 2, 1);
  mgr.Store(KvTYPE_DATE, b, &anyChristmas, 2, 1);
  int status = 0;
  std::printf("stored 2026-12-24 against *-12-24: %s\n",
              mgr.Cmp(KvTYPE_DATE, 4, a, 4, b, 0, 1, 2, status) == 0 ? "equal" : "unequal");
  KvDate anyDayOf2001(2001, -1, -1);
  unsigned char value[4];
  mgr.Store(KvTYPE_DATE, value, &anyDayOf2001, 2, 1);
  unsigned short relation = KvREL_EQUAL;
  KvIdxBounds bounds = {nullptr, nullptr, 0, 0};
  mgr.EvalAndBound(KvTYPE_DATE, nullptr, relation, value, 2, 1, &bounds);
  if (bounds.low != nullptr && bounds.high != nullptr) {
    KvDate low(0L), high(0L);
    mgr.Load(KvTYPE_DATE, &low, bounds.low, 2, 1);
    mgr.Load(KvTYPE_DATE, &high, bounds.high, 2, 1);
    std::printf("date = 2001-*-* scans the index from %04d-%02d-%02d to %04d-%02d-%02d%s\n",
                low.YearGet(), low.MonthGet(), low.DayGet(), high.YearGet(), high.MonthGet(),
                high.DayGet(), (relation & KvREL_WIDENED) ? " (widened)" : "");
  }
  KvMemFree(bounds.low);
  KvMemFree(bounds.high);
}

void DemoScalars(KvTypeMgr& mgr) {
  Heading("64-bit integers, blobs and identifiers");
  KvInt64 big = KvInt64(1L) << 62;
  KvInt64 wrapped = big * KvInt64(3L);
  KvString text("");
  mgr.PrintToKvString(KvTYPE_INT64, text, &big, "%S", 1);
  text << " * 3 wraps to ";
  mgr.PrintToKvString(KvTYPE_INT64, text, &wrapped, "%S", 1);
  text << " (";
  mgr.PrintToKvString(KvTYPE_INT64, text, &wrapped, "%x", 1);
  text << ")";
  std::printf("KvInt64 %s\n", text.StrGet());
  unsigned char stored[32];
  const unsigned long n = mgr.Store(KvTYPE_INT64, stored, &wrapped, 2, 1);
  std::printf("stored in format 2, low word first: %s\n", HexOf(stored, n).c_str());

  KvBlob blobs[2] = {KvBlob("ab", 2), KvBlob()};
  unsigned char block[32];
  const unsigned long b = mgr.Store(KvTYPE_BLOB, block, blobs, 1, 2);
  std::printf("blobs \"ab\" and empty stored: %s\n", HexOf(block, b).c_str());

  KvObjId id(7, 4294967295u, 1);
  ++id;
  KvString printed("");
  mgr.PrintToKvString(KvTYPE_OBJID, printed, &id, nullptr, 1);
  const unsigned long k = mgr.Store(KvTYPE_OBJID, stored, &id, 2, 1);
  std::printf("KvObjId (1-4294967295#7) plus one: %s, stored %s\n", printed.StrGet(),
              HexOf(stored, k).c_str());
  KvRef ref(id, 65535, KvClassId(30, 1));
  std::printf("a reference without an origin (65535) is %s\n", ref.IsValid() ? "valid" : "invalid");
}

void DemoText(KvTypeMgr& mgr) {
  Heading("Text in and out");
  KvString word("\xE9" "5.");  // Windows-1252
  KvStringIterator walk(word.StrGet(), 1, 1, 1);
  std::vector<unsigned short> orders;
  while (uint16_t order = walk.GetNextOrder(1)) {
    orders.push_back(order);
    KvString name("");
    KvConvertOrderToString(order, walk.CollationClassGet(), name);
    std::printf("order 0x%04X is %s\n", order, name.StrGet());
  }
  // A list of values that hold commas and control codes: the separator is
  // a character that none of them holds, so the list reads back.
  KvString values[2] = {KvString("a,b"), KvString("c\x01")};
  KvString* list = mgr.ConvertToKvString(values, KvTYPE_STRING, 2);
  if (list != nullptr) {
    const unsigned length = list->Len();
    const unsigned separator = static_cast<unsigned char>(list->StrGet()[length - 1]);
    // Reading the list back consumes its text.
    KvString* back = static_cast<KvString*>(mgr.ConvertFromKvString(list, KvTYPE_STRING, 2));
    std::printf("the list of \"a,b\" and \"c\\x01\" is %u bytes, each value ended by 0x%02X; it reads back %s\n",
                length, separator, back != nullptr && back[0] == values[0] && back[1] == values[1] ? "whole" : "broken");
    mgr.Delete(KvTYPE_STRING, back, 2);
    delete list;
  }
  // A caller's format is honoured for one string directive; anything else
  // in it is text, never handed to the C library.
  KvString printed("");
  mgr.PrintToKvString(KvTYPE_STRING, printed, &word, "[%-6s] %n %d", 1);
  std::printf("\"[%%-6s] %%n %%d\" prints \"%s\"\n", Utf8Of(printed).c_str());
  // A string of collation orders (code set 254) prints as what they stand for.
  orders.push_back(0);
  KvString orderText(orders.data());
  orderText.SetCodeSetCode(254);
  KvString notation("");
  mgr.PrintToKvString(KvTYPE_STRING, notation, &orderText, "%4M", 1);
  std::printf("its collation orders as characters with accent notation (%%4M): \"%s\"\n", notation.StrGet());
  // UTF-8 in and out.
  const char utf8[] = "gr\xC3\xBC\xC3\x9F \xE2\x82\xAC";
  KvString decoded("");
  const long used = KvMBS2KvString(utf8, decoded, sizeof utf8 - 1);
  char* encoded = nullptr;
  long size = 0;
  const long bytes = KvString2MultiByteString(decoded, encoded, size);
  std::printf("UTF-8 \"%s\": %ld bytes decode to %u characters, which encode to %ld bytes again\n", utf8,
              used, decoded.Len(), bytes);
  KvMemFree(encoded);
  unsigned short ch = 0;
  char overlong[] = "\xC0\xAF";
  std::printf("the overlong \"/\" C0 AF is refused: %d\n", KvMultiByte2WChar(&ch, overlong, 2));
}

}  // namespace

int CmdDemo(Args& args) {
  if (!args.words.empty()) throw UsageError();
  KvTypeMgr& mgr = Manager();
  DemoModule();
  DemoTypes(mgr);
  DemoStore(mgr);
  DemoCompare(mgr);
  DemoIndex(mgr);
  DemoCharacters();
  DemoCollation();
  DemoStringIndex(mgr);
  DemoText(mgr);
  DemoDates(mgr);
  DemoScalars(mgr);
  return 0;
}
