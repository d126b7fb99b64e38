// The texts of KvInt64, bool, KvObjId, KvClassId and KvRef side by side:
// every print directive, hostile texts scanned, printed texts read back
// under their own format, text lists, and texts longer than a string holds.
// A value is given, and shown, by its text under the row's full format,
// which names every field it has.
#include <algorithm>
#include <array>
#include <memory>
#include <random>

#include <gtest/gtest.h>

#include "kvint64_rows.h"
#include "test_util.h"

namespace {

constexpr char kI = KvTYPE_INT64, kB = KvTYPE_BOOL, kO = KvTYPE_OBJID, kC = KvTYPE_CLASSID, kR = KvTYPE_REF;

// Every field: "%S" for KvInt64, the truth for bool (null), the directives'
// fields in a fixed order for the identifiers.
const char* Full(char id) { return id == kO ? "%H %L %B" : id == kC ? "%C %V" : id == kR ? "%D %H %L %B %C %V" : nullptr; }

// One value of row id, created and then read from `text` under `format`.
struct Value {
  char id;
  void* p = KvTypeMgr().Create(id, 1);
  Value(char id, const KvString& text, const char* format) : id(id) { Scan(text, format); }
  Value(char id, const char* text) : Value(id, KvString(text), Full(id)) {}
  ~Value() { KvTypeMgr().Delete(id, p, 1); }
  void Scan(KvString text, const char* format) { EXPECT_EQ(KvTypeMgr().ScanFromKvString(id, p, text, format, 1), p); }
  std::string Print(const char* format) const {
    KvString out;
    EXPECT_EQ(&KvTypeMgr().PrintToKvString(id, out, p, format, 1), &out);
    return std::string(out.StrGet(), out.Len());
  }
};

KvString Wide(const char* text) { KvString wide(text); return wide.SetCodeSet(KvCS_UNICODE), wide; }

TEST(ScalarText, PrintEveryDirective) {
  const char* const objId = "1 5 7";   // high 1, low 5, block 7
  const char* const ref = "2 0 9 4 30 7";  // origin 2, high 0, low 9, block 4, class 30 version 7
  const char* const maxRef = "65535 65535 4294967295 4294967295 65535 65535";
  const std::vector<char> endsInPercent = {'a', '%', 0};  // exactly sized: a read past the zero is seen under ASan
  const struct { char id; const char* value; const char* format; std::string text; } rows[] = {  // null: the exchange format
      {kI, "255", "%x", "0xff"}, {kI, "255", "%X", "0XFF"}, {kI, "255", "%o", "0377"}, {kI, "255", "%S", "255"}, {kI, "255", "%i", "255"},
      {kI, "-255", "%x", "-0xff"}, {kI, "-255", "%o", "-0377"}, {kI, "0", "%d", "0"}, {kI, "0", "%o", "00"}, {kI, "0", "%x", "0x0"},
      {kI, "255", nullptr, "255"}, {kI, "-9223372036854775808", "%S", "-9223372036854775808"},
      {kI, "-9223372036854775808", "%o", "-01000000000000000000000"}, {kI, "9223372036854775807", "%X", "0X7FFFFFFFFFFFFFFF"},
      {kI, "81985529216486895", "%x", "0x123456789abcdef"}, {kI, "42", "<%S> and <%x>", "<42> and <0x2a>"},
      // A '%' before a non-directive is copied with it.
      {kI, "42", "%q%%d 100%", "%q%%d 100%"}, {kI, "42", "%%%d", "%%42"}, {kI, "42", "", ""}, {kI, "42", endsInPercent.data(), "a%"},
      {kB, "1", "%d", "TRUE"}, {kB, "0", nullptr, "FALSE"}, {kO, objId, nullptr, "(1-5#7)"}, {kO, objId, "%B|%L|%H", "7|5|1"},
      // Positions without a field print 0; the character after h or l
      // belongs to the directive, whatever it is; a positional directive
      // prints its field whole (low under "%hu" is 70000, not 4464).
      {kO, objId, "%hu-%lu#%lu", "1-5#7"}, {kO, objId, "%lu %lu %lu %lu %hu", "1 5 7 0 0"}, {kO, objId, "%hd,%lx,%hh", "1,5,7"},
      {kO, objId, "[%h]", "[1"}, {kO, objId, "%h", "1"}, {kO, objId, "%l%H", "1H"}, {kO, objId, "100%%", "100%"},
      {kO, objId, "%x%Y%D%C%V%b", "xYDCVb"}, {kO, objId, "abc%", "abc"}, {kO, objId, "", ""},
      {kO, "3 70000 4294967295", "%hu %hu %hu", "3 70000 4294967295"}, {kC, "12 3", nullptr, "(12v3)"}, {kC, "12 3", "(%hu,%hu)", "(12,3)"},
      {kC, "12 3", "%V.%C %B%L%H%D", "3.12 BLHD"}, {kC, "12 3", "%lu %lu %lu", "12 3 0"}, {kR, ref, nullptr, "(2:0-9#4, 30)"},
      {kR, ref, "%V", "7"}, {kR, ref, "%hu %hu %hu %hu %hu %hu", "2 0 9 4 30 0"},
      {kR, maxRef, nullptr, "(65535:65535-4294967295#4294967295, 65535)"}, {kR, maxRef, Full(kR), maxRef}};
  for (const auto& r : rows) EXPECT_EQ(Value(r.id, r.value).Print(r.format), r.text) << int{r.id} << " " << (r.format ? r.format : "null");
  // No value: the text stays, and no value is scanned.
  KvString out("old");
  for (char id : {kI, kB, kO, kC, kR})
    EXPECT_TRUE(&KvTypeMgr().PrintToKvString(id, out, nullptr, "%d", 1) == &out && KvTypeMgr().ScanFromKvString(id, nullptr, out, nullptr, 1) == nullptr &&
                std::string(out.StrGet()) == "old") << int{id};
  // The identifiers' members scan and print the exchange format.
  const auto member = [](auto value, const char* text) { KvString out; return value.ScanFromKvString(KvString(text)), std::string(value.PrintToKvString(out).StrGet()); };
  EXPECT_EQ(member(KvObjId(), "(1-5#7)") + member(KvClassId(), "(12v3)") + member(KvRef(), "(2:0-9#4, 30)"), "(1-5#7)(12v3)(2:0-9#4, 30)");
  // An identifier's text longer than a string holds is refused whole: no
  // text, one report.
  std::string fits;
  for (int i = 0; i < 6553; ++i) fits += "%L";  // 65530 bytes
  for (const std::string& format : {fits + "xx", fits + "xxx", fits + "%L"}) {
    OverflowCounter reports;
    EXPECT_EQ(Value(kO, "0 4294967295 0").Print(format.c_str()).size() + reports.Count(), format == fits + "xx" ? 65532u : 1u);
  }
}

// Into values whose every field holds something: a scan sets them all.
// KvInt64 reads a number of the directive's base, -1 where the text does
// not match, and keeps the value where the text ends first. An identifier
// passes over literal characters without comparing them; an unreadable
// number leaves the cursor where it was; a number beyond a field gives its
// largest value, a '-' negates within its width; fields a format does not
// name become 0. Bool is true for exactly "T", "t", "TRUE", "true" and "1".
// 16-bit text reads through its 8-bit counterpart.
TEST(ScalarText, ScanHostileTexts) {
  const std::string zeros = std::string(200, '0') + "17", nines(200, '9');
  const unsigned short fullwidth[] = {0xFF11, 0xFF12, 0}, arabic[] = {0x0661, 0};
  const unsigned short wideOmega[] = {'(', 0x03A9, '1', '-', '5', '#', '7', ')', 0};
  const std::string max = "65535 4294967295 4294967295";
  const struct { char id; KvString text; const char* format; std::string value; } rows[] = {
      {kI, "0x1F", "%x", "31"}, {kI, "0X1f", "%X", "31"}, {kI, "31", "%x", "-1"}, {kI, "-017", "%S", "-15"}, {kI, "017", "%o", "15"},
      {kI, "017", "%d", "-1"}, {kI, "0x1F", "%d", "-1"}, {kI, "0x1F", "%S", "31"}, {kI, "+42", "%i", "42"}, {kI, "12", nullptr, "12"},
      {kI, "9223372036854775807", "%S", "9223372036854775807"}, {kI, "9223372036854775808", "%S", "-1"},
      {kI, "-9223372036854775808", "%S", "-9223372036854775808"}, {kI, "-9223372036854775809", "%S", "-1"},
      {kI, "-0x8000000000000000", "%x", "-9223372036854775808"}, {kI, "0xFFFFFFFFFFFFFFFFF", "%x", "-1"},
      {kI, "18446744073709551616", "%S", "-1"}, {kI, zeros.c_str(), "%S", "15"}, {kI, nines.c_str(), "%S", "-1"},
      // A lone zero is zero under every directive; literal text must match;
      // the digits must end where the format goes on.
      {kI, "0", "%d", "0"}, {kI, "-0", "%d", "0"}, {kI, "0", "%x", "0"}, {kI, "00", "%o", "0"}, {kI, "0,5", "%d,%d", "5"},
      {kI, "12,34", "%S,%S", "34"}, {kI, "12,x", "%S,%S", "-1"}, {kI, "<42>", "<%d>", "42"}, {kI, "[42>", "<%d>", "-1"},
      {kI, "%%42", "%%%d", "42"}, {kI, "%q42", "%q%d", "42"}, {kI, "12", "%S,", "-1"}, {kI, "12 ", "%S", "-1"},
      {kI, "12,", "%S,%S", "12"}, {kI, "<", "<%d>", "99"}, {kI, "", "%S", "99"}, {kI, "anything", "", "99"}, {kI, "-", "%S", "-1"},
      {kI, "+", "%d", "-1"}, {kI, "0x", "%x", "-1"}, {kI, "--5", "%S", "-1"}, {kI, " 12", "%S", "-1"}, {kI, "12a", "%d", "-1"},
      {kI, "1f", "%x", "-1"}, {kI, "08", "%S", "-1"}, {kI, "\xff\xfe", "%S", "-1"}, {kI, "\xef\xbc\x91\xef\xbc\x92", "%S", "-1"},
      {kI, "1\x80", "%S", "-1"}, {kI, Wide("<-0x10>"), "<%x>", "-16"}, {kI, KvString(fullwidth), "%S", "-1"},
      {kI, KvString(arabic), "%d", "-1"}, {kO, "(1-5#7)", nullptr, "1 5 7"}, {kO, "", nullptr, "0 0 0"}, {kO, KvString(), nullptr, "0 0 0"},
      {kO, "(", nullptr, "0 0 0"}, {kO, "(1-5#", nullptr, "1 5 0"}, {kO, "(1-5#7)", "", "0 0 0"}, {kO, "(1-5#7)", "(%H", "1 0 0"},
      {kO, "[1x5y7]", nullptr, "1 5 7"}, {kO, "( 1-\t5#\n7)", nullptr, "1 5 7"}, {kO, "(x-5#7)", nullptr, "0 4294967291 7"},
      {kO, "(99999999999999999999-99999999999999999999#4294967296)", nullptr, max}, {kO, "(65536-4294967295#4294967295)", nullptr, max},
      {kO, "(-1--1#-2)", nullptr, "65535 4294967295 4294967294"}, {kO, "(+1-+5#-0)", nullptr, "1 5 0"},
      {kO, "(--1-5#7)", nullptr, "0 4294967295 5"}, {kO, "(\xE9" "1-5#7)", nullptr, "0 1 5"}, {kO, Wide("(1-5#7)"), nullptr, "1 5 7"},
      {kO, KvString(wideOmega), nullptr, "0 1 5"},
      // Positional forms; one without a field reads its number away.
      {kO, "1 5 7 0 8", "%lu %lu %lu %lu %H", "8 5 7"}, {kO, "70000", "%h%l", "65535 0 0"}, {kO, "%1", "%%%H", "1 0 0"},
      {kC, "(12v", nullptr, "12 0"}, {kC, "(70000v-1)", nullptr, "65535 65535"}, {kC, "3 4", "%H %L", "0 0"},
      {kR, "(2:0-9#4, 30)", nullptr, "2 0 9 4 30 0"}, {kR, "7", "%V", "0 0 0 0 0 7"}, {kR, "(2:0-9#4,", nullptr, "2 0 9 4 0 0"},
      {kB, "T", nullptr, "TRUE"}, {kB, "t", nullptr, "TRUE"}, {kB, "TRUE", nullptr, "TRUE"}, {kB, "true", nullptr, "TRUE"},
      {kB, Wide("TRUE"), nullptr, "TRUE"}, {kB, "True", nullptr, "FALSE"}, {kB, Wide("tRUE"), nullptr, "FALSE"}, {kB, "TRUE ", nullptr, "FALSE"},
      {kB, " 1", nullptr, "FALSE"}, {kB, "11", nullptr, "FALSE"}, {kB, "", nullptr, "FALSE"}, {kB, "Tr", nullptr, "FALSE"},
      {kB, "FALSE", nullptr, "FALSE"}, {kB, "0", nullptr, "FALSE"}};
  const std::vector<std::pair<char, const char*>> starts = {{kI, "99"}, {kB, "1"}, {kO, "33 22 11"}, {kC, "55 66"}, {kR, "44 33 22 11 55 66"}};
  for (const auto& r : rows) {
    Value v(r.id, std::find_if(starts.begin(), starts.end(), [&](const auto& s) { return s.first == r.id; })->second);
    v.Scan(r.text, r.format);
    EXPECT_EQ(v.Print(Full(r.id)), r.value) << int{r.id} << " '" << KvString(r.text).StrGet() << "' " << (r.format ? r.format : "null");
  }
  // Only the text's own length is read: exactly sized buffers, no
  // terminator; a zero byte within them is no digit.
  const struct { const char* text; size_t length; int64_t value; } cuts[] = {
      {"0x1F", 3, 1}, {"0x1F", 2, -1}, {"-12", 1, -1}, {"123", 2, 12}, {"12,34", 3, 12}, {"1\0" "2", 3, -1}, {"12\0", 3, -1}, {"", 0, 99}};
  for (const auto& c : cuts) {
    const std::vector<char> exact(c.text, c.text + c.length);
    const KvInt64 v = KvScanInt64(exact.data(), c.length, std::string(c.text, c.length).find(',') != std::string::npos ? "%S,%S" : "%S", KvInt64(99));
    EXPECT_EQ(int64_t{v.HighGet()} * 4294967296 + v.LowGet(), c.value) << c.text;
  }
}

// What a format prints, the same format reads back: a KvInt64 its value,
// an identifier every field the format names (others become 0).
TEST(ScalarText, PrintedTextScansBack) {
  std::vector<int64_t> values = {0, 1, -1, 7, 8, -8, 15, 16, INT64_MIN, INT64_MIN + 1, INT64_MAX, 4294967296};
  std::mt19937_64 random(64);
  for (int i = 0; i < 2000; ++i) values.push_back(static_cast<int64_t>(random()) >> (random() % 64));
  for (const char* format : {"%S", "%d", "%i", "%o", "%x", "%X", "<%d>", "v=%x;", "%%%o"})
    for (int64_t x : values) {
      Value v(kI, std::to_string(x).c_str()), back(kI, x == 99 ? "98" : "99");
      back.Scan(KvString(v.Print(format).c_str()), format);
      ASSERT_EQ(back.Print("%S"), std::to_string(x)) << v.Print(format);
    }
  const struct { char id; const char* format; std::string named; } rows[] = {  // named: the fields' letters
      {kO, "(%H-%L#%B)", "HLB"}, {kO, "%B", "B"}, {kO, "%hu-%lu#%lu", "HLB"}, {kO, "%hu %hu %hu", "HLB"}, {kO, "%lu %lu %lu %lu %lu;%B", "HLB"},
      {kO, "%% %x %H%%%L %", "HL"}, {kO, "0%H", "H"}, {kC, "(%Cv%V)", "CV"}, {kC, "%lu,%lu,%lu,%V", "CV"}, {kC, "%V", "V"},
      {kR, "(%D:%H-%L#%B, %C)", "DHLBC"}, {kR, "%D %H %L %B %C %V", "DHLBCV"}, {kR, "%hu %hu %hu %hu %hu %hu %V", "DHLBCV"}};
  const std::array<uint32_t, 6> fields[] = {  // origin, high, low, block, number, version
      {0, 0, 0, 0, 0, 0}, {2, 1, 7, 5, 30, 4}, {65535, 65535, 4294967295u, 4294967295u, 65535, 65535}, {1, 65534, 65536, 4294967294u, 10, 100}};
  const auto text = [](char id, std::array<uint32_t, 6> f, const std::string& named) {
    for (int i = 0; i < 6; ++i) f[i] = named.find("DHLBCV"[i]) != std::string::npos ? f[i] : 0;
    const std::string h = std::to_string(f[1]) + " " + std::to_string(f[2]) + " " + std::to_string(f[3]);
    const std::string c = std::to_string(f[4]) + " " + std::to_string(f[5]);
    return id == kO ? h : id == kC ? c : std::to_string(f[0]) + " " + h + " " + c;
  };
  for (const auto& r : rows)
    for (const auto& f : fields) {
      Value v(r.id, text(r.id, f, "DHLBCV").c_str()), back(r.id, text(r.id, {44, 33, 22, 11, 55, 66}, "DHLBCV").c_str());
      back.Scan(KvString(v.Print(r.format).c_str()), r.format);
      EXPECT_EQ(back.Print(Full(r.id)), text(r.id, f, r.named)) << r.format << ": " << v.Print(r.format);
    }
}

// A list holds each value's text and a "," ("," between the identifiers'
// texts); read back, the list's last character ends each item, a ","
// right after it is passed over, an item that does not read leaves its
// value, and what is read is consumed. Shown: the values read, written as
// a list again.
TEST(ScalarText, ListsReadBackWhatTheyWrite) {
  KvTypeMgr mgr;
  const auto write = [&mgr](char id, void* values, uint32_t count) {
    std::unique_ptr<KvString> list(mgr.ConvertToKvString(values, id, count));
    return std::string(list->StrGet(), list->Len());
  };
  const std::string objIds = "(1-5#7),(65535-4294967295#0),(0-0#9)", refs = "(2:0-9#4, 30),(65535:3-2#1, 65535)";
  const unsigned short units[] = {'(', '3', 'v', '4', ')', ',', '(', '5', 'v', '6', ')', 0};
  const struct { char id; KvString text; uint32_t count; std::string values, rest; } rows[] = {
      {kI, "12,-3,-9223372036854775808,9223372036854775807,0,", 5, "12,-3,-9223372036854775808,9223372036854775807,0,", ""},
      {kI, "1,2,3,", 2, "1,2,", "3,"}, {kI, "0x10,017,x,,", 4, "16,15,-1,0,", ""}, {kI, "5,", 3, "5,0,0,", ""}, {kI, "7;8;", 2, "7,8,", ""},
      {kI, "9223372036854775808,", 1, "-1,", ""}, {kI, Wide("-9223372036854775808,42,"), 2, "-9223372036854775808,42,", ""},
      {kB, "1,0,1,", 3, "1,0,1,", ""}, {kB, "1;0;", 2, "1,0,", ""}, {kB, "10,x,", 2, "1,0,", ""}, {kB, "", 2, "0,0,", ""}, {kB, "1,", 3, "1,0,0,", ""},
      {kB, "true,1,", 2, "0,1,", ""}, {kB, " 1,1,", 2, "0,1,", ""}, {kB, "1", 1, "0,", ""}, {kO, objIds.c_str(), 3, objIds, ""},
      {kR, refs.c_str(), 2, refs, ""}, {kC, "(1v0),(2v5)", 1, "(1v0)", "(2v5)"}, {kC, "(1v0);(2v5);", 2, "(1v0),(2v5)", ""},
      {kC, "(1v0)x(2v5)x", 2, "(1v0),(2v5)", ""}, {kC, "(1v0),(2v5)", 3, "(1v0),(2v5),(0v0)", ""}, {kC, "(1v0),(2v5)", 0, "", "(1v0),(2v5)"},
      {kC, KvString(units), 2, "(3v4),(5v6)", ""}, {KvTYPE_BLOB, "1,2,", 3, "", "1,2,"}};  // a blob has no text: empty blobs
  for (const auto& r : rows) {
    KvString text = r.text;
    void* values = mgr.ConvertFromKvString(&text, r.id, r.count);
    EXPECT_EQ(write(r.id, values, r.count) + "|" + text.StrGet(), r.values + "|" + r.rest) << KvString(r.text).StrGet();
    mgr.Delete(r.id, values, r.count);
  }
  for (char id : {kI, kB, kO, kC, kR}) EXPECT_EQ(write(id, nullptr, 3), "");
  uint8_t bools[3] = {0x80, 0, 1};  // any non-zero byte is true; the print replaces the text
  KvString out("old");
  EXPECT_EQ(write(kB, bools, 3) + mgr.PrintToKvString(kB, out, bools, "%d", 1).StrGet(), "1,0,1,TRUE");
  // "(65535v65535)" and a ',' before each further one: 4680 values fit in
  // the 65532 characters of a string, the 4681st does not. The list ends
  // after a whole value, and the overflow is reported.
  std::vector<KvClassId> many(5000, KvClassId(65535, 65535));
  OverflowCounter reports;
  const std::string list = write(kC, many.data(), 5000);
  EXPECT_EQ(reports.Count(), 1);
  EXPECT_EQ(list.size() + 1, 4680 * 14u);
  EXPECT_EQ(list.substr(list.size() - 14), ",(65535v65535)");
}

}  // namespace
