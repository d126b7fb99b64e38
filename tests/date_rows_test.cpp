// The rows of the seven date and time types: stored bytes in both byte
// orders, sizes and arrays, translation, text lists, and the print and scan
// directives, with hostile texts and the exchange formats' round trip.
#include <algorithm>
#include <memory>

#include <gtest/gtest.h>

#include "kvdatefmt.h"
#include "kvtable.h"
#include "test_util.h"

namespace {

// Pins the clock to 2026-12-06 10:20:30 in a zone one hour east; puts the
// clock and the default ODMG zone back after each test.
class DateRows : public testing::Test {
 protected:
  void SetUp() override { KvSetClockOverride(&kToday, &kNow); }
  void TearDown() override { KvSetClockOverride(nullptr, nullptr); d_Time::set_default_Time_Zone(d_Time::GMT); }
  static constexpr bdate kToday{2026, 12, 6};
  static constexpr btime kNow{10, 20, 30, 0, 3600};
  KvTypeMgr mgr;
};

std::string Text(int a, int b, int c, const char* sep) { return std::to_string(a) + sep + std::to_string(b) + sep + std::to_string(c); }
std::string Text(const KvDateTime& v) {
  const KvDate& d = v.DateGet();
  return Text(d.YearGet(), d.MonthGet(), d.DayGet(), "-") + " " + Text(v.TimeGet().HourGet(), v.TimeGet().MinuteGet(), v.TimeGet().SecondGet(), ":");
}

// The text list of values, and count values read from a list (the text
// left over in *rest).
template <typename T>
std::string List(char id, std::vector<T> values) {
  std::unique_ptr<KvString> text(KvTypeMgr().ConvertToKvString(values.data(), id, static_cast<uint32_t>(values.size())));
  return text->StrGet();
}
template <typename T>
std::vector<T> FromList(char id, KvString text, uint32_t count, std::string* rest = nullptr) {
  T* values = static_cast<T*>(KvTypeMgr().ConvertFromKvString(&text, id, count));
  std::vector<T> out(values, values + count);
  KvTypeMgr().Delete(id, values, count);
  if (rest != nullptr) *rest = text.StrGet();
  return out;
}

TEST_F(DateRows, StoredBytesInBothByteOrders) {
  d_Time::set_default_Time_Zone(d_Time::GMT2);
  const struct { char id; Bytes memory, lsb, msb; } rows[] = {
      {KvTYPE_DATE, MemoryOf({KvDate(2000, 1, 31)}), {0xD0, 0x07, 0x01, 0x1F}, {0x07, 0xD0, 0x01, 0x1F}},
      {KvTYPE_DATE, MemoryOf({KvDate(-1, -1, -1)}), {0xFF, 0xFF, 0xFF, 0xFF}, {0xFF, 0xFF, 0xFF, 0xFF}},
      {KvTYPE_TIME, MemoryOf({KvTime(13, 5, 9)}), {0x0D, 0x05, 0x09}, {0x0D, 0x05, 0x09}},
      {KvTYPE_DATETIME, MemoryOf({KvDateTime(KvDate(2000, 1, 31), KvTime(13, 5, 9))}),
       {0xD0, 0x07, 0x01, 0x1F, 0x0D, 0x05, 0x09}, {0x07, 0xD0, 0x01, 0x1F, 0x0D, 0x05, 0x09}},
      {KvTYPE_D_DATE, MemoryOf({d_Date(1582, 10, 15)}), {0x2E, 0x06, 0x0A, 0x0F}, {0x06, 0x2E, 0x0A, 0x0F}},
      {KvTYPE_D_TIME, MemoryOf({d_Time(10, 30, 15.25f)}), {2, 0, 12, 30, 15, 25}, {2, 0, 12, 30, 15, 25}},  // held hour 12
      {KvTYPE_D_TIMESTAMP, MemoryOf({d_Timestamp(d_Date(2000, 2, 29), d_Time(23, 59, 59.5f, 0, 0))}),
       {0xD0, 0x07, 0x02, 0x1D, 0x00, 0x00, 0x17, 0x3B, 0x3B, 0x32}, {0x07, 0xD0, 0x02, 0x1D, 0x00, 0x00, 0x17, 0x3B, 0x3B, 0x32}},
      {KvTYPE_D_INTERVAL, MemoryOf({d_Interval(1, 1, 1, 1.5f)}), {0xC0, 0xE6, 0xAF, 0x47}, {0x47, 0xAF, 0xE6, 0xC0}}};
  for (const auto& r : rows) {
    for (const uint8_t format : {1, 2}) {
      Bytes want = format == 1 ? r.lsb : r.msb, stored(want.size() + 1, 0xAA), memory = r.memory, loaded(r.memory.size());
      const uint32_t n = static_cast<uint32_t>(want.size());
      want.push_back(0xAA);  // nothing written past the stored size
      EXPECT_TRUE(mgr.Store(r.id, stored.data(), memory.data(), format, 1) == n && stored == want &&
                  mgr.DiskLenGet(r.id, memory.data(), format, 1, 8) == n && mgr.Load(r.id, loaded.data(), stored.data(), format, 1) == n &&
                  std::equal(memory.begin(), memory.begin() + n, loaded.begin())) << int{r.id} << " format " << int{format};
    }
  }
}

TEST_F(DateRows, SizesArraysAndTranslate) {
  // New values are today and now (the ODMG time in the default zone), every
  // element alike; they hold nothing to release. No null marker: a null
  // value takes the room of any value.
  d_Time::set_default_Time_Zone(d_Time::GMT2);
  const struct { char id; uint16_t memory; uint32_t stored; Bytes made; } rows[] = {
      {KvTYPE_DATE, 4, 4, {0xEA, 0x07, 12, 6}}, {KvTYPE_TIME, 3, 3, {10, 20, 30}}, {KvTYPE_DATETIME, 8, 7, {0xEA, 0x07, 12, 6, 10, 20, 30}},
      {KvTYPE_D_DATE, 4, 4, {0xEA, 0x07, 12, 6}}, {KvTYPE_D_TIME, 6, 6, {2, 0, 12, 20, 30, 0}},
      {KvTYPE_D_TIMESTAMP, 10, 10, {0xEA, 0x07, 12, 6, 2, 0, 12, 20, 30, 0}}, {KvTYPE_D_INTERVAL, 4, 4, {0, 0, 0, 0}}};
  for (const auto& r : rows) {
    alignas(8) uint8_t none = 0, made[2 * 10];
    MemFile file(&none, 1, 0);
    EXPECT_TRUE(mgr.MemLenGet(r.id, 1) == r.memory && mgr.IsFixed(r.id) == 1 && mgr.DiskLenGet(r.id, nullptr, 1, 5, 8) == 5 * r.stored &&
                mgr.DiskLenGetFromMemFile(r.id, &file, 2, 3) == 3 * r.stored &&
                kvStandardTable[KvTypeIndex(r.id)]->NullSizeGet(3) == 3 * r.stored) << int{r.id};
    mgr.ConstructorPtrGet(r.id)(made, 2, 0);
    mgr.DestructorPtrGet(r.id)(made, 2, 0);
    EXPECT_TRUE(Bytes(made, made + r.stored) == r.made && Bytes(made + r.memory, made + r.memory + r.stored) == r.made) << int{r.id};
    // An array carries its count in the four bytes before it.
    uint8_t* values = static_cast<uint8_t*>(mgr.Create(r.id, 3));
    ASSERT_NE(values, nullptr);
    uint32_t count = 0;
    EXPECT_TRUE(std::memcpy(&count, values - 4, 4) && count == 3 && Bytes(values + 2 * r.memory, values + 2 * r.memory + r.stored) == r.made)
        << int{r.id};
    mgr.Delete(r.id, values, 3), mgr.Delete(r.id, mgr.Create(r.id, 1), 1), mgr.Delete(r.id, nullptr, 3);
  }
  // The clock asked again, and the native constructors that take half a value.
  KvDate date(1999, 1, 1);
  KvTime time(1, 2, 3);
  KvDateTime later(date, time), withDate{KvDate(2000, 2, 29)}, withTime{KvTime(8, 0, 0)};
  date.Today(), time.Now(), later.Now();
  EXPECT_TRUE(MemoryOf({date}) == rows[0].made && MemoryOf({time}) == rows[1].made && later.DateGet() == date && later.TimeGet() == time &&
              withDate.TimeGet() == time && withTime.DateGet() == date && MemoryOf({d_Date::current()}) == rows[3].made &&
              MemoryOf({d_Time::current()}) == rows[4].made && MemoryOf({d_Timestamp::current()}) == rows[5].made);

  // Memory to stored and back; memory to memory assigns, a length too short
  // for the count bounding it; stored to stored zero-fills a longer target.
  KvDate dates[2] = {KvDate(2000, 1, 31), KvDate(1999, 12, 1)}, back[2] = {KvDate(0L), KvDate(0L)}, copy[2] = {back[0], back[1]};
  uint8_t stored[8], source[3] = {1, 2, 3}, target[4] = {0xAA, 0xAA, 0xAA, 0xAA};
  EXPECT_TRUE(mgr.Translate(KvTYPE_DATE, stored, 2, 8, dates, 8, 8, 2) == 8 && mgr.Translate(KvTYPE_DATE, back, 8, 8, stored, 2, 8, 2) == 8 &&
              mgr.Translate(KvTYPE_DATE, copy, 8, 4, dates, 8, 8, 2) == 4 && mgr.Translate(KvTYPE_DATE, target, 1, 4, source, 2, 3, 1) == 3);
  EXPECT_EQ(Bytes(stored, stored + 8), (Bytes{0x07, 0xD0, 0x01, 0x1F, 0x07, 0xCF, 0x0C, 0x01}));
  EXPECT_TRUE(back[0] == dates[0] && back[1] == dates[1] && copy[0] == dates[0] && static_cast<long>(copy[1]) == 0);
  EXPECT_EQ(Bytes(target, target + 4), (Bytes{1, 2, 3, 0}));
}

TEST_F(DateRows, TextLists) {
  d_Time::set_default_Time_Zone(d_Time::GMT2);
  // Native dates their day numbers, ODMG dates Julian Day Numbers, times
  // their zone-free seconds (hundredths dropped), intervals whole seconds.
  EXPECT_EQ(List(KvTYPE_DATE, std::vector{KvDate(2000, 1, 1), KvDate(2000, 1, 2)}) + List(KvTYPE_TIME, std::vector{KvTime(1, 1, 1), KvTime(23, 59, 59)}) +
                List(KvTYPE_DATETIME, std::vector{KvDateTime(KvDate(2000, 1, 1), KvTime(1, 1, 1))}) +
                List(KvTYPE_D_DATE, std::vector{d_Date(2000, 1, 1), d_Date(1582, 10, 4)}) + List(KvTYPE_D_TIME, std::vector{d_Time(10, 0, 1.75f)}) +
                List(KvTYPE_D_TIMESTAMP, std::vector{d_Timestamp(d_Date(2000, 1, 1), d_Time(10, 0, 0))}) +
                List(KvTYPE_D_INTERVAL, std::vector{d_Interval(1, 1, 1, 1.5f), -d_Interval(0, 0, 0, 2.5f)}) + List(KvTYPE_DATE, std::vector<KvDate>{}),
            "2451545;2451546;3661,86399,2451545:3661;2451545;2299160;36001,2451545:36000;90061,-2,");
  // Read back: the items read are consumed; an ODMG time takes the default
  // zone; an ODMG date is a Julian Day Number in a ';' list only; a list in
  // the 16-bit code set reads as its 8-bit counterpart.
  std::string rest;
  KvString wide("2451545;-5;");
  wide.SetCodeSet(KvCS_UNICODE);
  const auto dates = FromList<KvDate>(KvTYPE_DATE, "2451545;2451546;7;", 2, &rest);
  const auto times = FromList<KvTime>(KvTYPE_TIME, "3661,86399,", 2);
  const auto seconds = FromList<d_Interval>(KvTYPE_D_INTERVAL, wide, 2);
  EXPECT_TRUE(static_cast<long>(dates[0]) == 2451545 && static_cast<long>(dates[1]) == 2451546 && rest == "7;" &&
              static_cast<long>(times[0]) == 3661 && static_cast<long>(times[1]) == 86399 && seconds[0].SecondsGet() == 2451545.0f &&
              seconds[1].SecondsGet() == -5.0f && FromList<d_Date>(KvTYPE_D_DATE, "2451545;", 1)[0] == d_Date(2000, 1, 1) &&
              FromList<d_Date>(KvTYPE_D_DATE, "2451544,", 1)[0] == d_Date(2000, 1, 1));
  EXPECT_EQ(MemoryOf({FromList<d_Time>(KvTYPE_D_TIME, "36001,-1,", 2)[1]}), (Bytes{2, 0, 25, 59, 59, 0}));
  // A date and time item takes the time after its own ':' only (a later
  // item's was once taken for it); a ':' first means the all-zero date.
  const struct { const char* text; std::vector<std::string> want; } rows[] = {
      {"2451545:3661;", {"2000-1-1 1:1:1"}}, {"2451545;2451546:60;", {"2000-1-1 0:0:0", "2000-1-2 0:1:0"}},
      {":3661;", {"0-0-0 1:1:1"}},           {"2451545:;", {"2000-1-1 0:0:0"}}, {"", {"-4713-11-24 0:0:0"}}};
  for (const auto& r : rows) {
    const auto values = FromList<KvDateTime>(KvTYPE_DATETIME, r.text, static_cast<uint32_t>(r.want.size()));
    for (size_t i = 0; i < r.want.size(); ++i) EXPECT_EQ(Text(values[i]), r.want[i]) << r.text;
  }
  const auto stamps = FromList<d_Timestamp>(KvTYPE_D_TIMESTAMP, "2451545;2451546:36000;:60;", 3);
  EXPECT_EQ(MemoryOf({stamps[0], stamps[1], stamps[2]}),
            (Bytes{0xD0, 0x07, 1, 1, 2, 0, 2, 0, 0, 0, 0xD0, 0x07, 1, 2, 2, 0, 12, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2, 1, 0, 0}));
}

TEST_F(DateRows, PrintAndScanDirectives) {
  const Bytes y2k = MemoryOf({KvDate(2000, 1, 1)}), onePm = MemoryOf({KvTime(13, 5, 9)});
  const struct { char id; Bytes value; const char* format; const char* text; } prints[] = {
      // Each row's exchange format (a null format); a date alone shows the
      // current time, a time alone today.
      {KvTYPE_DATE, y2k, nullptr, "Sat 01.Jan 2000"}, {KvTYPE_TIME, onePm, nullptr, "01:05:09 pm"},
      {KvTYPE_TIME, MemoryOf({KvTime(0, 30, 0)}), nullptr, "00:30:00 am"}, {KvTYPE_D_DATE, MemoryOf({d_Date(2000, 1, 1)}), nullptr, "Sat Jan 01"},
      {KvTYPE_DATETIME, MemoryOf({KvDateTime(KvDate(2000, 1, 1), KvTime(23, 59, 0))}), nullptr, "Sat 01.Jan 2000 11:59:00 pm"},
      {KvTYPE_D_TIME, MemoryOf({d_Time(10, 0, 7.99f, 2, 0)}), nullptr, "10:00:07 am"}, {KvTYPE_DATE, MemoryOf({KvDate(-5, 3, 1)}), "%Y", "-0005"},
      {KvTYPE_D_TIMESTAMP, MemoryOf({d_Timestamp(2000, 1, 1, 15, 4, 5.5f)}), nullptr, "Sat Jan 01 03:04:05 pm"},
      {KvTYPE_D_INTERVAL, MemoryOf({d_Interval(0, 13)}), nullptr, "00 days, 01 hours, 00 minutes, 00 seconds"},
      {KvTYPE_DATE, y2k, "%A %d %B %Y %H:%M:%S", "Saturday 01 Januar 2000 10:20:30"}, {KvTYPE_TIME, onePm, "%a %d %I %H %P", "Sun 06 01 13 PM"},
      {KvTYPE_TIME, MemoryOf({KvTime(12, 0, 0)}), "%I %p", "12 pm"}, {KvTYPE_DATE, MemoryOf({KvDate(1999, 2, 5)}), "%e|%d|%m|%y|%b|%B", "05|05|02|99|Feb|Februar"},
      {KvTYPE_DATE, MemoryOf({KvDate(2000, 13, 1)}), "%b %B", "013 013"}, {KvTYPE_DATE, y2k, "100%% %q%", "100% q"}};
  for (const auto& r : prints) {
    KvString out("at ");  // appended
    EXPECT_EQ(std::string(mgr.PrintToKvString(r.id, out, const_cast<uint8_t*>(r.value.data()), r.format, 1).StrGet()), std::string("at ") + r.text);
  }
  const struct { const char* text; const char* format; const char* view; } scans[] = {
      {"Sat 01.Jan 2000", "%a %e.%b %Y", "2000-1-1 0:0:0"}, {"Saturday 01 Januar 2000", "%A %d %B %Y", "2000-1-1 0:0:0"},
      {" 5.Jan 2000", "%e.%b %Y", "2000-1-5 0:0:0"},        {"Sat 31.Feb 2000", "%a %e.%b %Y", "0-1-1 0:0:0"},  // no such date: all zero
      {"24:00:00", "%H:%M:%S", "0-1-1 0:0:0"},              {"01:05:09 PM", "%I:%M:%S %P", "0-1-1 13:5:9"},
      {"01:05:09 pm ", "%I:%M:%S %p", "0-1-1 1:5:9"},  // "pm" only as the text's end
      // Noon prints as 12 pm and midnight as 00 am, so "pm" adds 12 below 12
      // only (12:30 pm once read as 24:30 and was rejected). "%Y" reads a
      // sign and four digits (once "-000").
      {"12:30:00 pm", "%I:%M:%S %p", "0-1-1 12:30:0"}, {"12:00:00 am", "%I:%M:%S %p", "0-1-1 12:0:0"},
      {"-0005-03-01", "%Y-%m-%d", "-5-3-1 0:0:0"},     {"-0005+2000", "%Y%Y", "2000-1-1 0:0:0"}, {"99", "%y", "1999-1-1 0:0:0"},
      {"1999-12-31 23:59:58", "%Y-%m-%d %H:%M:%S", "1999-12-31 23:59:58"}, {"xxxx-12-31", "%Y-%m-%d", "0-12-31 0:0:0"},
      // "%" and a character that is no directive skip one text character.
      {"2000x05", "%Y%j%m", "2000-5-1 0:0:0"}, {"2000-05", "%Y%", "2000-1-1 0:0:0"},
      // Hostile texts, each in a block of exactly its length (the empty one
      // in none): nothing is read past their end.
      {"", "%a %e.%b %Y %I:%M:%S %p", "0-1-1 0:0:0"}, {"Sa", "%A%B%Y%Y%Y%p", "0-1-1 0:0:0"}, {"-5", "%d", "0-1-1 0:0:0"},
      {"2000", "%Y%Y%Y%Y%d%m%H%M%S%y%e%I", "2000-1-1 0:0:0"}, {"\xff\xfe\x80 12", "%a %d", "0-1-1 0:0:0"}, {"12 ", "%d%m", "0-1-12 0:0:0"},
      {"Sat 01.Jan 2000 and a great deal more text", "%a %e.%b %Y", "2000-1-1 0:0:0"}, {"01.Jan 2000", nullptr, "0-1-1 0:0:0"}};
  for (const auto& r : scans) {
    const std::vector<char> exact(r.text, r.text + std::strlen(r.text));
    EXPECT_EQ(Text(KvScanDateTime(exact.empty() ? nullptr : exact.data(), exact.size(), r.format)), r.view) << r.text;
  }
  // Through a row: a text in the 16-bit code set reads as its 8-bit
  // counterpart; no value, no scan.
  KvString wide("Sat 01.Jan 2000");
  wide.SetCodeSet(KvCS_UNICODE);
  KvDate date(0L);
  mgr.ScanFromKvString(KvTYPE_DATE, &date, wide, "%a %e.%b %Y", 1);
  EXPECT_TRUE(static_cast<long>(date) == 2451545 && mgr.ScanFromKvString(KvTYPE_DATE, nullptr, wide, "%Y", 1) == nullptr);
}

// What a row prints under its exchange format scans back to the same stored
// bytes: every minute of a day, each with a date of a sample from -9999 to
// 9999, in two ODMG zones (a time scanned in a zone other than GMT once read
// back shifted). What a format leaves out does not come back: the ODMG dates
// show no year (it reads as 0), an interval no half of the day, and its days
// only as a January's (1 to 31; day 0 is no date, so one below a day reads
// as one day).
TEST_F(DateRows, PrintedTextsReadBack) {
  int failures = 0;
  auto readsBack = [&](char id, auto value, auto expected) {
    KvString text;
    mgr.PrintToKvString(id, text, &value, nullptr, 1);
    decltype(value) back;
    mgr.ScanFromKvString(id, &back, text, nullptr, 1);
    uint8_t want[10], got[10];
    if ((mgr.Store(id, want, &expected, 2, 1) != mgr.Store(id, got, &back, 2, 1) || std::memcmp(want, got, mgr.DiskLenGet(id, want, 2, 1, 8)) != 0) &&
        ++failures <= 5)
      ADD_FAILURE() << "row " << int{id} << ": " << text.StrGet();
  };
  for (const auto zone : {d_Time::GMT, d_Time::GMT_3}) {
    d_Time::set_default_Time_Zone(zone);
    for (int m = 0; m < 1440; ++m) {
      const int year = -9999 + m * 19998 / 1439, month = 1 + m % 12, hour = m / 60, minute = m % 60, second = m * 7 % 60;
      const int day = KvDate(year, month, 1 + m * 7 % 31).IsDate() ? 1 + m * 7 % 31 : 28;
      const KvDate date(year, month, day);
      const KvTime time(hour, minute, second);
      const d_Date odmg(year, month, day), noYear(0, month, day);
      const d_Time odmgTime(hour, minute, second);
      readsBack(KvTYPE_DATE, date, date);
      readsBack(KvTYPE_TIME, time, time);
      readsBack(KvTYPE_DATETIME, KvDateTime(date, time), KvDateTime(date, time));
      readsBack(KvTYPE_D_DATE, odmg, noYear);
      readsBack(KvTYPE_D_TIME, odmgTime, odmgTime);
      readsBack(KvTYPE_D_TIMESTAMP, d_Timestamp(odmg, odmgTime), d_Timestamp(noYear, odmgTime));
      readsBack(KvTYPE_D_INTERVAL, d_Interval(1 + m % 31, hour % 13, minute, second), d_Interval(1 + m % 31, hour % 13, minute, second));
      readsBack(KvTYPE_D_INTERVAL, d_Interval(0, hour % 13, minute, second), d_Interval(1));
    }
  }
  EXPECT_EQ(failures, 0);
}

}  // namespace
