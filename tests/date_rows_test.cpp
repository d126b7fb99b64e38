// Facts about the date and time rows: stored bytes in both byte orders,
// sizes, arrays and their count block, translation, text lists, and the
// print and scan directives, hostile texts included.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "kvtable.h"
#include "kvtm/kvtm.h"
#include "test_util.h"

namespace {

// Pins the clock to 2026-12-06 10:20:30 in a zone one hour east, and the
// default ODMG zone to 0, for the life of the object.
class PinnedClock {
 public:
  PinnedClock() {
    bdate date{2026, 12, 6};
    btime time{10, 20, 30, 0, 3600};
    KvSetClockOverride(&date, &time);
    d_Time::set_default_Time_Zone(d_Time::GMT);
  }
  ~PinnedClock() {
    KvSetClockOverride(nullptr, nullptr);
    d_Time::set_default_Time_Zone(d_Time::GMT);
  }
};

template <typename T>
Bytes BytesOf(const T& value, size_t n = sizeof(T)) {
  Bytes out(n);
  std::memcpy(out.data(), &value, n);
  return out;
}

std::string Printed(char id, const void* value, const char* format = nullptr) {
  KvString out;
  KvTypeMgr().PrintToKvString(id, out, const_cast<void*>(value), format, 1);
  return out.StrGet();
}

template <typename T>
T Scanned(char id, KvString text, const char* format, T start) {
  KvTypeMgr().ScanFromKvString(id, &start, text, format, 1);
  return start;
}

template <typename T>
std::string List(char id, std::vector<T> values) {
  KvString* text = KvTypeMgr().ConvertToKvString(values.data(), id, values.size());
  std::string out = text->StrGet();
  delete text;
  return out;
}

// count values read from a text list by the row's ConvertFromKvString; the
// text left over in *rest.
template <typename T>
std::vector<T> FromList(char id, KvString text, uint32_t count, std::string* rest = nullptr) {
  T* values = static_cast<T*>(KvTypeMgr().ConvertFromKvString(&text, id, count));
  std::vector<T> out(values, values + count);
  KvTypeMgr().Delete(id, values, count);
  if (rest != nullptr) *rest = text.StrGet();
  return out;
}

std::string DateText(const KvDate& d) {
  return std::to_string(d.YearGet()) + "-" + std::to_string(d.MonthGet()) + "-" +
         std::to_string(d.DayGet());
}
std::string TimeText(const KvTime& t) {
  return std::to_string(t.HourGet()) + ":" + std::to_string(t.MinuteGet()) + ":" +
         std::to_string(t.SecondGet());
}

TEST(DateRows, StoredBytesInBothByteOrders) {
  PinnedClock clock;
  d_Time::set_default_Time_Zone(d_Time::GMT2);
  struct Row {
    char id;
    Bytes memory;
    uint8_t format;
    Bytes stored;
  };
  const KvDate date(2000, 1, 31);
  const KvTime time(13, 5, 9);
  const KvDateTime dateTime(date, time);
  const d_Date odmgDate(1582, 10, 15);
  const d_Time odmgTime(10, 30, 15.25f);  // held hour 12 in zone 2
  const d_Timestamp stamp(d_Date(2000, 2, 29), d_Time(23, 59, 59.5f, 0, 0));
  const d_Interval interval(1, 1, 1, 1.5f);  // 90061.5 seconds
  const Row rows[] = {
      {KvTYPE_DATE, BytesOf(date), 1, {0xD0, 0x07, 0x01, 0x1F}},
      {KvTYPE_DATE, BytesOf(date), 2, {0x07, 0xD0, 0x01, 0x1F}},
      {KvTYPE_DATE, BytesOf(KvDate(-1, -1, -1)), 2, {0xFF, 0xFF, 0xFF, 0xFF}},
      {KvTYPE_TIME, BytesOf(time), 1, {0x0D, 0x05, 0x09}},
      {KvTYPE_TIME, BytesOf(time), 2, {0x0D, 0x05, 0x09}},
      {KvTYPE_DATETIME, BytesOf(dateTime, 7), 1, {0xD0, 0x07, 0x01, 0x1F, 0x0D, 0x05, 0x09}},
      {KvTYPE_DATETIME, BytesOf(dateTime, 7), 2, {0x07, 0xD0, 0x01, 0x1F, 0x0D, 0x05, 0x09}},
      {KvTYPE_D_DATE, BytesOf(odmgDate), 1, {0x2E, 0x06, 0x0A, 0x0F}},
      {KvTYPE_D_DATE, BytesOf(odmgDate), 2, {0x06, 0x2E, 0x0A, 0x0F}},
      {KvTYPE_D_TIME, BytesOf(odmgTime), 1, {0x02, 0x00, 0x0C, 0x1E, 0x0F, 0x19}},
      {KvTYPE_D_TIME, BytesOf(odmgTime), 2, {0x02, 0x00, 0x0C, 0x1E, 0x0F, 0x19}},
      {KvTYPE_D_TIMESTAMP, BytesOf(stamp), 1,
       {0xD0, 0x07, 0x02, 0x1D, 0x00, 0x00, 0x17, 0x3B, 0x3B, 0x32}},
      {KvTYPE_D_TIMESTAMP, BytesOf(stamp), 2,
       {0x07, 0xD0, 0x02, 0x1D, 0x00, 0x00, 0x17, 0x3B, 0x3B, 0x32}},
      {KvTYPE_D_INTERVAL, BytesOf(interval), 1, {0xC0, 0xE6, 0xAF, 0x47}},
      {KvTYPE_D_INTERVAL, BytesOf(interval), 2, {0x47, 0xAF, 0xE6, 0xC0}},
  };
  KvTypeMgr mgr;
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << int(r.id) << " format " << int(r.format));
    Bytes memory(16, 0);
    std::memcpy(memory.data(), r.memory.data(), r.memory.size());
    Bytes stored(r.stored.size() + 2, 0xAA);
    EXPECT_EQ(mgr.Store(r.id, stored.data(), memory.data(), r.format, 1), r.stored.size());
    EXPECT_EQ(Bytes(stored.begin(), stored.begin() + r.stored.size()), r.stored);
    EXPECT_EQ(stored[r.stored.size()], 0xAA) << "wrote past its stored size";
    EXPECT_EQ(mgr.DiskLenGet(r.id, memory.data(), r.format, 1, 8), r.stored.size());

    Bytes loaded(16, 0);
    EXPECT_EQ(mgr.Load(r.id, loaded.data(), stored.data(), r.format, 1), r.stored.size());
    EXPECT_EQ(Bytes(loaded.begin(), loaded.begin() + r.memory.size()), r.memory);
  }
}

TEST(DateRows, SizesLengthsAndArrays) {
  PinnedClock clock;
  struct Row {
    char id;
    uint16_t memory;
    uint32_t stored;
  };
  const Row rows[] = {{KvTYPE_DATE, 4, 4},      {KvTYPE_TIME, 3, 3},
                      {KvTYPE_DATETIME, 8, 7},  {KvTYPE_D_DATE, 4, 4},
                      {KvTYPE_D_TIME, 6, 6},    {KvTYPE_D_TIMESTAMP, 10, 10},
                      {KvTYPE_D_INTERVAL, 4, 4}};
  KvTypeMgr mgr;
  for (const Row& r : rows) {
    SCOPED_TRACE(int(r.id));
    EXPECT_EQ(mgr.MemLenGet(r.id, 1), r.memory);
    EXPECT_EQ(mgr.IsFixed(r.id), 1);
    EXPECT_EQ(mgr.DiskLenGet(r.id, nullptr, 1, 5, 8), 5 * r.stored);
    uint8_t none = 0;
    MemFile file(&none, 1, 0);
    EXPECT_EQ(mgr.DiskLenGetFromMemFile(r.id, &file, 2, 3), 3 * r.stored);
    // No null marker: a null value takes the room of any value.
    EXPECT_EQ(kvStandardTable[KvTypeIndex(r.id)]->NullSizeGet(3), 3 * r.stored);
    // Values hold nothing to release: the destructor leaves them as they are.
    alignas(8) uint8_t made[2 * 10];
    mgr.ConstructorPtrGet(r.id)(made, 2, 0);
    const Bytes before(made, made + 2 * r.memory);
    mgr.DestructorPtrGet(r.id)(made, 2, 0);
    EXPECT_EQ(Bytes(made, made + 2 * r.memory), before);

    // An array carries its count in the four bytes before its first value.
    void* values = mgr.Create(r.id, 3);
    ASSERT_NE(values, nullptr);
    uint32_t count;
    std::memcpy(&count, static_cast<uint8_t*>(values) - 4, 4);
    EXPECT_EQ(count, 3u);
    mgr.Delete(r.id, values, 3);
    mgr.Delete(r.id, mgr.Create(r.id, 1), 1);
    mgr.Delete(r.id, nullptr, 3);
  }

  // New values are today and now, every element alike.
  auto* dates = static_cast<KvDate*>(mgr.Create(KvTYPE_DATE, 2));
  EXPECT_EQ(DateText(dates[0]), "2026-12-6");
  EXPECT_EQ(DateText(dates[1]), "2026-12-6");
  mgr.Delete(KvTYPE_DATE, dates, 2);
  auto* stamp = static_cast<d_Timestamp*>(mgr.Create(KvTYPE_D_TIMESTAMP, 1));
  EXPECT_EQ(stamp->year(), 2026);
  EXPECT_EQ(stamp->hour(), 10);
  EXPECT_EQ(stamp->minute(), 20);
  mgr.Delete(KvTYPE_D_TIMESTAMP, stamp, 1);
  auto* interval = static_cast<d_Interval*>(mgr.Create(KvTYPE_D_INTERVAL, 0));
  EXPECT_EQ(interval->SecondsGet(), 0.0f);
  mgr.Delete(KvTYPE_D_INTERVAL, interval, 0);

  KvTime times[2] = {KvTime(1, 2, 3), KvTime(4, 5, 6)};
  mgr.ConstructorPtrGet(KvTYPE_TIME)(times, 2, 0);
  EXPECT_EQ(TimeText(times[0]), "10:20:30");
  EXPECT_EQ(TimeText(times[1]), "10:20:30");
}

TEST(DateRows, Translate) {
  KvTypeMgr mgr;
  const KvDate dates[2] = {KvDate(2000, 1, 31), KvDate(1999, 12, 1)};

  // Memory to stored and back, in each byte order.
  uint8_t stored[8];
  EXPECT_EQ(mgr.Translate(KvTYPE_DATE, stored, 2, 8, const_cast<KvDate*>(dates), 8, 8, 2), 8u);
  EXPECT_EQ(Bytes(stored, stored + 8),
            (Bytes{0x07, 0xD0, 0x01, 0x1F, 0x07, 0xCF, 0x0C, 0x01}));
  KvDate back[2] = {KvDate(0L), KvDate(0L)};
  EXPECT_EQ(mgr.Translate(KvTYPE_DATE, back, 8, 8, stored, 2, 8, 2), 8u);
  EXPECT_TRUE(back[0] == dates[0] && back[1] == dates[1]);

  // Memory to memory assigns; a length too short for count bounds it.
  KvDate copy[2] = {KvDate(0L), KvDate(0L)};
  EXPECT_EQ(mgr.Translate(KvTYPE_DATE, copy, 8, 4, const_cast<KvDate*>(dates), 8, 8, 2), 4u);
  EXPECT_TRUE(copy[0] == dates[0]);
  EXPECT_EQ(long(copy[1]), 0);

  // Stored to stored: a shorter source zero-fills the target first.
  const uint8_t source[3] = {1, 2, 3};
  uint8_t target[4] = {0xAA, 0xAA, 0xAA, 0xAA};
  EXPECT_EQ(mgr.Translate(KvTYPE_DATE, target, 1, 4, const_cast<uint8_t*>(source), 2, 3, 1), 3u);
  EXPECT_EQ(Bytes(target, target + 4), (Bytes{1, 2, 3, 0}));
}

TEST(DateRows, TextLists) {
  PinnedClock clock;
  d_Time::set_default_Time_Zone(d_Time::GMT2);
  EXPECT_EQ(List(KvTYPE_DATE, std::vector<KvDate>{KvDate(2000, 1, 1), KvDate(2000, 1, 2)}),
            "2451545;2451546;");
  EXPECT_EQ(List(KvTYPE_TIME, std::vector<KvTime>{KvTime(1, 1, 1), KvTime(23, 59, 59)}),
            "3661,86399,");
  EXPECT_EQ(List(KvTYPE_DATETIME,
                 std::vector<KvDateTime>{KvDateTime(KvDate(2000, 1, 1), KvTime(1, 1, 1))}),
            "2451545:3661;");
  EXPECT_EQ(List(KvTYPE_D_DATE, std::vector<d_Date>{d_Date(2000, 1, 1), d_Date(1582, 10, 4)}),
            "2451545;2299160;");
  // Zone-free seconds; the hundredths are dropped.
  EXPECT_EQ(List(KvTYPE_D_TIME, std::vector<d_Time>{d_Time(10, 0, 1.75f)}), "36001,");
  EXPECT_EQ(List(KvTYPE_D_TIMESTAMP,
                 std::vector<d_Timestamp>{d_Timestamp(d_Date(2000, 1, 1), d_Time(10, 0, 0))}),
            "2451545:36000;");
  EXPECT_EQ(List(KvTYPE_D_INTERVAL,
                 std::vector<d_Interval>{d_Interval(1, 1, 1, 1.5f), -d_Interval(0, 0, 0, 2.5f)}),
            "90061,-2,");
  EXPECT_EQ(List(KvTYPE_DATE, std::vector<KvDate>{}), "");

  // Times read back from their seconds; an ODMG time takes the default zone.
  const auto times = FromList<KvTime>(KvTYPE_TIME, "3661,86399,", 2);
  EXPECT_EQ(TimeText(times[0]), "1:1:1");
  EXPECT_EQ(TimeText(times[1]), "23:59:59");
  const auto odmgTimes = FromList<d_Time>(KvTYPE_D_TIME, "36001,-1,", 2);
  EXPECT_EQ(BytesOf(odmgTimes[0]), (Bytes{2, 0, 12, 0, 1, 0}));
  EXPECT_EQ(BytesOf(odmgTimes[1]), (Bytes{2, 0, 25, 59, 59, 0}));

  std::string rest;
  auto dates = FromList<KvDate>(KvTYPE_DATE, "2451545;2451546;7;", 2, &rest);
  EXPECT_EQ(DateText(dates[0]), "2000-1-1");
  EXPECT_EQ(DateText(dates[1]), "2000-1-2");
  EXPECT_EQ(rest, "7;") << "the items read are consumed";

  // A Julian Day Number in a ';' list, the day number itself in any other.
  EXPECT_EQ(FromList<d_Date>(KvTYPE_D_DATE, "2451545;", 1)[0], d_Date(2000, 1, 1));
  EXPECT_EQ(FromList<d_Date>(KvTYPE_D_DATE, "2451544,", 1)[0], d_Date(2000, 1, 1));

  // A date and time item: the time after its own ':' only, a ':' first
  // meaning the all-zero date.
  struct Row {
    const char* text;
    uint32_t count;
    std::vector<std::string> expected;
  };
  const Row rows[] = {
      {"2451545:3661;", 1, {"2000-1-1 1:1:1"}},
      {"2451545;2451546:60;", 2, {"2000-1-1 0:0:0", "2000-1-2 0:1:0"}},
      {":3661;", 1, {"0-0-0 1:1:1"}},
      {"2451545:;", 1, {"2000-1-1 0:0:0"}},
      {"", 1, {"-4713-11-24 0:0:0"}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.text);
    auto values = FromList<KvDateTime>(KvTYPE_DATETIME, r.text, r.count);
    for (uint32_t i = 0; i < r.count; ++i) {
      EXPECT_EQ(DateText(values[i].DateGet()) + " " + TimeText(values[i].TimeGet()),
                r.expected[i]);
    }
  }
  auto stamps = FromList<d_Timestamp>(KvTYPE_D_TIMESTAMP, "2451545;2451546:36000;", 2);
  EXPECT_EQ(stamps[0].date(), d_Date(2000, 1, 1));
  EXPECT_EQ(stamps[0].hour(), 0);
  EXPECT_EQ(stamps[0].tz_hour(), 2);
  EXPECT_EQ(stamps[1].date(), d_Date(2000, 1, 2));
  EXPECT_EQ(stamps[1].hour(), 10);

  // A list in the 16-bit code set reads as its 8-bit counterpart.
  KvString wide("2451545;-5;");
  wide.SetCodeSet(KvCS_UNICODE);
  auto seconds = FromList<d_Interval>(KvTYPE_D_INTERVAL, wide, 2);
  EXPECT_EQ(seconds[0].SecondsGet(), 2451545.0f);
  EXPECT_EQ(seconds[1].SecondsGet(), -5.0f);
}

TEST(DateRows, PrintDirectives) {
  PinnedClock clock;
  struct Row {
    char id;
    Bytes value;
    const char* format;  // null: the row's exchange format
    const char* text;
  };
  const KvDate y2k(2000, 1, 1);
  const Row rows[] = {
      {KvTYPE_DATE, BytesOf(y2k), nullptr, "Sat 01.Jan 2000"},
      {KvTYPE_DATE, BytesOf(y2k), "%A %d %B %Y", "Saturday 01 Januar 2000"},
      {KvTYPE_DATE, BytesOf(KvDate(1999, 2, 5)), "%e|%d|%m|%y|%b|%B", "05|05|02|99|Feb|Februar"},
      {KvTYPE_DATE, BytesOf(KvDate(2000, 13, 1)), "%b %B", "013 013"},
      // A date alone shows the current time.
      {KvTYPE_DATE, BytesOf(y2k), "%H:%M:%S", "10:20:30"},
      {KvTYPE_DATE, BytesOf(y2k), "100%% %q%", "100% q"},
      {KvTYPE_TIME, BytesOf(KvTime(13, 5, 9)), nullptr, "01:05:09 pm"},
      {KvTYPE_TIME, BytesOf(KvTime(0, 30, 0)), nullptr, "00:30:00 am"},
      {KvTYPE_TIME, BytesOf(KvTime(12, 0, 0)), "%I %H %P", "12 12 PM"},
      {KvTYPE_TIME, BytesOf(KvTime(13, 5, 9)), "%a %d", "Sun 06"},
      {KvTYPE_DATETIME, BytesOf(KvDateTime(y2k, KvTime(23, 59, 0))), nullptr,
       "Sat 01.Jan 2000 11:59:00 pm"},
      {KvTYPE_D_DATE, BytesOf(d_Date(2000, 1, 1)), nullptr, "Sat Jan 01"},
      {KvTYPE_D_TIME, BytesOf(d_Time(10, 0, 7.99f, 2, 0)), nullptr, "10:00:07 am"},
      {KvTYPE_D_TIMESTAMP, BytesOf(d_Timestamp(2000, 1, 1, 15, 4, 5.5f)), nullptr,
       "Sat Jan 01 03:04:05 pm"},
      {KvTYPE_D_INTERVAL, BytesOf(d_Interval(0, 0, 0, 90061.5f)), nullptr,
       "01 days, 01 hours, 01 minutes, 01 seconds"},
      {KvTYPE_D_INTERVAL, BytesOf(d_Interval(0, 0, 0, 46800)), nullptr,
       "00 days, 01 hours, 00 minutes, 00 seconds"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.text);
    EXPECT_EQ(Printed(r.id, r.value.data(), r.format), r.text);
  }

  // The text is appended.
  KvString out("at ");
  KvTime noon(12, 0, 0);
  KvTypeMgr().PrintToKvString(KvTYPE_TIME, out, &noon, "%H", 1);
  EXPECT_STREQ(out.StrGet(), "at 12");
}

TEST(DateRows, ScanDirectives) {
  PinnedClock clock;
  struct Row {
    const char* text;
    const char* format;
    const char* date;
    const char* time;
  };
  const Row rows[] = {
      {"Sat 01.Jan 2000", "%a %e.%b %Y", "2000-1-1", "0:0:0"},
      {"Sat 31.Feb 2000", "%a %e.%b %Y", "0-1-1", "0:0:0"},
      {"Saturday 01 Januar 2000", "%A %d %B %Y", "2000-1-1", "0:0:0"},
      {" 5.Jan 2000", "%e.%b %Y", "2000-1-5", "0:0:0"},
      {"01:05:09 pm", "%I:%M:%S %p", "0-1-1", "13:5:9"},
      {"01:05:09 PM", "%I:%M:%S %P", "0-1-1", "13:5:9"},
      {"01:05:09 pm ", "%I:%M:%S %p", "0-1-1", "1:5:9"},
      // Noon prints as 12 pm, midnight as 00 am; "pm" adds 12 below 12 only.
      {"12:00:00 am", "%I:%M:%S %p", "0-1-1", "12:0:0"},
      {"12:30:00 pm", "%I:%M:%S %p", "0-1-1", "12:30:0"},
      {"-0005+2000", "%Y%Y", "2000-1-1", "0:0:0"},
      {"-0005-03-01", "%Y-%m-%d", "-5-3-1", "0:0:0"},
      {"99", "%y", "1999-1-1", "0:0:0"},
      {"1999-12-31 23:59:58", "%Y-%m-%d %H:%M:%S", "1999-12-31", "23:59:58"},
      {"xxxx-12-31", "%Y-%m-%d", "0-12-31", "0:0:0"},
      // "%" and a character that is no directive skip one text character.
      {"2000x05", "%Y%j%m", "2000-5-1", "0:0:0"},
      {"2000%05", "%Y%%%m", "2000-5-1", "0:0:0"},
      {"2000-05", "%Y%", "2000-1-1", "0:0:0"},
      // Hostile texts: nothing is read past their end.
      {"", "%a %e.%b %Y %I:%M:%S %p", "0-1-1", "0:0:0"},
      {"Sat 0", "%a %e.%b %Y", "0-1-1", "0:0:0"},
      {"Sa", "%A%B%Y%Y%Y%p", "0-1-1", "0:0:0"},
      {"2000", "%Y%Y%Y%Y%d%m%H%M%S%y%e%I", "2000-1-1", "0:0:0"},
      {"\xff\xfe\x80 12", "%a %d", "0-1-1", "0:0:0"},
      {"Sat 01.Jan 2000 and a great deal more text", "%a %e.%b %Y", "2000-1-1", "0:0:0"},
      {"01.Jan 2000", nullptr, "0-1-1", "0:0:0"},
      {"-5", "%d", "0-1-1", "0:0:0"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.text);
    const KvDateTime view =
        Scanned(KvTYPE_DATETIME, r.text, r.format, KvDateTime(KvDate(7, 7, 7), KvTime(7, 7, 7)));
    EXPECT_EQ(DateText(view.DateGet()), r.date);
    EXPECT_EQ(TimeText(view.TimeGet()), r.time);
  }

  // A text in the 16-bit code set reads as its 8-bit counterpart.
  const char* full = "Sat 01.Jan 2000";
  KvString wide(full);
  wide.SetCodeSet(KvCS_UNICODE);
  EXPECT_EQ(DateText(Scanned(KvTYPE_DATE, wide, "%a %e.%b %Y", KvDate(0L))), "2000-1-1");

  // Each row takes its value from the scanned fields.
  EXPECT_EQ(TimeText(Scanned(KvTYPE_TIME, "01:05:09 pm", nullptr, KvTime(0L))), "13:5:9");
  EXPECT_EQ(Scanned(KvTYPE_D_DATE, "Sat Jan 01", "%a %b %e %Y", d_Date(1, 1, 1)),
            d_Date(0, 1, 1));
  EXPECT_EQ(Scanned(KvTYPE_D_DATE, "Jan 02 2001", "%b %e %Y", d_Date(1, 1, 1)),
            d_Date(2001, 1, 2));
  EXPECT_EQ(Scanned(KvTYPE_D_INTERVAL, "00 days, 01 hours, 00 minutes, 00 seconds", nullptr,
                    d_Interval())
                .SecondsGet(),
            86400.0f);
  EXPECT_EQ(Scanned(KvTYPE_D_INTERVAL, "02 days, 03 hours, 04 minutes, 05 seconds", nullptr,
                    d_Interval())
                .SecondsGet(),
            2 * 86400.0f + 3 * 3600 + 4 * 60 + 5);
  // A scanned ODMG time is zone-free, as printed: the default zone is added.
  d_Time::set_default_Time_Zone(d_Time::GMT2);
  const d_Time t = Scanned(KvTYPE_D_TIME, "10:00:00 am", nullptr, d_Time(0L));
  EXPECT_EQ(Bytes(BytesOf(t)), (Bytes{2, 0, 12, 0, 0, 0}));
  const d_Timestamp ts =
      Scanned(KvTYPE_D_TIMESTAMP, "Tue Feb 29 2000 01:02:03 pm", "%a %b %e %Y %I:%M:%S %p",
              d_Timestamp(d_Date(1, 1, 1)));
  EXPECT_EQ(ts.date(), d_Date(2000, 2, 29));
  EXPECT_EQ(Bytes(BytesOf(ts.time())), (Bytes{2, 0, 15, 2, 3, 0}));

  EXPECT_EQ(KvTypeMgr().ScanFromKvString(KvTYPE_DATE, nullptr, wide, "%Y", 1), nullptr);
}

// What a row prints under its exchange format scans back to the same stored
// bytes: every minute of a day, each with a date of a sample from -9999 to
// 9999, in two ODMG zones. What a format leaves out is not asked back: the
// ODMG dates show no year (it reads as 0), an interval no half of the day,
// and its days only as a January's (1 to 31).
TEST(DateRows, PrintedTextsReadBack) {
  PinnedClock clock;
  KvTypeMgr mgr;
  int failures = 0;
  auto readsBack = [&](char id, auto value, auto expected) {
    KvString text;
    mgr.PrintToKvString(id, text, &value, nullptr, 1);
    decltype(value) back;
    mgr.ScanFromKvString(id, &back, text, nullptr, 1);
    uint8_t want[10], got[10];
    const uint32_t n = static_cast<uint32_t>(mgr.Store(id, want, &expected, 2, 1));
    mgr.Store(id, got, &back, 2, 1);
    if (Bytes(got, got + n) != Bytes(want, want + n) && ++failures <= 5)
      ADD_FAILURE() << "row " << int{id} << ": " << text.StrGet();
  };
  for (const auto zone : {d_Time::GMT, d_Time::GMT_3}) {
    d_Time::set_default_Time_Zone(zone);
    for (int m = 0; m < 1440; ++m) {
      const short year = static_cast<short>(-9999 + m * 19998 / 1439);
      const signed char month = static_cast<signed char>(1 + m % 12);
      signed char day = static_cast<signed char>(1 + m * 7 % 31);
      if (!KvDate(year, month, day).IsDate()) day = 28;
      const int hour = m / 60, minute = m % 60, second = m * 7 % 60;
      const KvDate date(year, month, day);
      const KvTime time(static_cast<signed char>(hour), static_cast<signed char>(minute),
                        static_cast<signed char>(second));
      const d_Date odmg(year, month, day), noYear(0, month, day);
      const d_Time odmgTime(hour, minute, second);
      readsBack(KvTYPE_DATE, date, date);
      readsBack(KvTYPE_TIME, time, time);
      readsBack(KvTYPE_DATETIME, KvDateTime(date, time), KvDateTime(date, time));
      readsBack(KvTYPE_D_DATE, odmg, noYear);
      readsBack(KvTYPE_D_TIME, odmgTime, odmgTime);
      readsBack(KvTYPE_D_TIMESTAMP, d_Timestamp(odmg, odmgTime), d_Timestamp(noYear, odmgTime));
      const d_Interval interval(1 + m % 31, hour % 13, minute, second);
      readsBack(KvTYPE_D_INTERVAL, interval, interval);
    }
  }
  EXPECT_EQ(failures, 0);
}

}  // namespace
