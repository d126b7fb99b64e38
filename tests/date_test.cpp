// The date and time values. Both day numbers are checked over every day of
// years 1 to 9999, KvDate's against <chrono>, d_Date's against a
// Julian/Gregorian calendar of the test's own; then the rules at the edges:
// unnormalised and wrapped fields, wildcards, times of day that wrap,
// intervals held in one float of seconds, zones, and the clock.
#include <algorithm>
#include <array>
#include <bit>
#include <chrono>

#include <gtest/gtest.h>

#include "test_util.h"

namespace {

using namespace std::chrono;

std::string Text(int a, int b, int c, const char* sep) { return std::to_string(a) + sep + std::to_string(b) + sep + std::to_string(c); }
std::string Text(const KvDate& d) { return Text(d.YearGet(), d.MonthGet(), d.DayGet(), "-"); }
std::string Text(const KvTime& t) { return Text(t.HourGet(), t.MinuteGet(), t.SecondGet(), ":"); }
std::string Text(const d_Date& d) { return Text(d.year(), d.month(), d.day(), "-"); }
KvDate D(int y, int m, int d) { return KvDate(static_cast<short>(y), static_cast<signed char>(m), static_cast<signed char>(d)); }
KvTime T(int h, int m, int s) { return KvTime(static_cast<signed char>(h), static_cast<signed char>(m), static_cast<signed char>(s)); }

// A d_Time's six bytes: zone hour and minute, hour and minute with the zone
// added, second, hundredths.
using Held = std::array<int8_t, 6>;
Held HeldOf(const d_Time& t) { return std::bit_cast<Held>(t); }
Held HeldOf(int zone, long q) {  // q quarter seconds of the held clock
  return {int8_t(zone), 0, int8_t(q / 14400), int8_t(q / 240 % 60), int8_t(q % 240 / 4), int8_t(q % 4 * 25)};
}

// ---- KvDate, KvTime, KvDateTime ----

TEST(KvDate, EveryDayOfYears1To9999AgainstChrono) {
  // The day number, the date back from it, the weekday (the textbook
  // congruence goes negative from 4600-03-01 on), validity, the month's end,
  // and a day's step each way through every operator.
  int failures = 0;
  KvDate prev(0, 12, 31);
  for (sys_days d = year{1} / 1 / 1; d < sys_days{year{10000} / 1 / 1}; d += days{1}) {
    const year_month_day ymd{d};
    const long jdn = d.time_since_epoch().count() + 2440588;
    const KvDate date = D(int{ymd.year()}, unsigned{ymd.month()}, unsigned{ymd.day()});
    const bool last = year_month_day{ymd.year() / ymd.month() / std::chrono::last} == ymd;
    const bool ok = static_cast<long>(date) == jdn && KvDate(jdn) == date && date.DayOfTheDate() == jdn % 7 &&
                    date.IsDate() && date.IsLastDayOfTheMonth() == last && prev + 1L == date && date - 1L == prev &&
                    date - prev == 1 && (KvDate(prev) += 1L) == date && (KvDate(date) -= 1L) == prev &&
                    ++KvDate(prev) == date && --KvDate(date) == prev;
    if (!ok && ++failures <= 5) ADD_FAILURE() << Text(date) << ", day " << jdn;
    prev = date;
  }
  EXPECT_EQ(failures, 0);
}

TEST(KvDate, OffTheCalendarAsA32BitBuild) {
  // Fields out of range count on from the month or year before; from year
  // -4799 down the quotients are negative and truncate toward zero. Day
  // numbers whose steps pass 2^31 wrap as in 32 bits, the fields keeping
  // the low bits.
  const struct { int y, m, d; long number; } numbers[] = {{1999, 13, 1, 2451545}, {2000, 0, 1, 2451514}, {2000, -1, 1, 2451484},
      {2000, 14, 1, 2451942}, {-4800, 3, 1, -32044}, {-4800, 1, 1, -32103} /* -32104 by the calendar */, {32767, 127, 127, 13692923}};
  for (const auto& r : numbers) EXPECT_EQ(static_cast<long>(D(r.y, r.m, r.d)), r.number) << r.y << " " << r.m << " " << r.d;
  const struct { long number; const char* date; } dates[] = {{-68570, "-4900-2-30"}, {536802343, "32526--4--18"},
      {-600000000, "-18372-12-16"}, {2147483647, "-4713-11-23"}, {LongOf(4294967296 + 2451545), "2000-1-1"}};  // a long counts in 32 bits
  for (const auto& r : dates) EXPECT_EQ(Text(KvDate(r.number)), r.date) << r.number;
  for (const KvDate& d : {D(2001, 0, 1), D(2001, 13, 1), D(2001, 1, 0), D(2001, 1, 32), D(2001, -1, 5), D(1900, 2, 29)})
    EXPECT_FALSE(d.IsDate()) << Text(d);
  // Below year 1 the congruence can leave no weekday.
  EXPECT_TRUE(D(0, 1, -128).DayOfTheDate() == 7 &&
              std::string(D(0, 1, -128).PrintDayOfTheDate().StrGet()) + D(4600, 3, 1).PrintDayOfTheDate().StrGet() == "no daySaturday");
  std::string names;
  for (int i = -1; i <= 12; ++i) names += std::string(KvMonthName(i)) + "," + KvWeekdayName(i) + ";";
  EXPECT_EQ(names, ",no day;Januar,Monday;Februar,Tuesday;March,Wednesday;April,Thursday;May,Friday;June,Saturday;"
                   "July,Sunday;August,no day;September,no day;October,no day;November,no day;December,no day;,no day;");
  // Order: fields in turn, not day numbers; a -1 on either side skips its
  // field, so a wildcard orders equal but is never ==.
  const struct { int ay, am, ad, by, bm, bd; long difference; int equal; } order[] = {{2010, 5, 3, 2010, 5, 3, 0, 1}, {-1, 5, 3, 2010, 5, 3, 0, 0},
      {2010, -1, 3, 2010, 7, 3, 0, 0}, {2010, 5, 3, 2010, 5, -1, 0, 0}, {-1, 12, 1, 2010, 5, 3, 7, 0}, {2010, 2, 31, 2010, 3, 3, -1, 0}};
  for (const auto& r : order) {
    const KvDate a = D(r.ay, r.am, r.ad), b = D(r.by, r.bm, r.bd);
    EXPECT_TRUE((a != b) == r.difference && (a < b) == (r.difference < 0) && (a > b) == (r.difference > 0) && (a == b) == r.equal)
        << Text(a) << " vs " << Text(b);
  }
}

TEST(KvTime, ArithmeticStaysATimeOfDay) {
  // A count of any size, whole days dropped, in 32-bit fields (19:38:29
  // plus 395,997 s once wrapped the hour's byte to -127); the difference
  // of two times is a time of day too; order is the seconds' order.
  const long counts[] = {0, 1, 59, 61, 3599, 3601, 45296, 86399, 86400, 90061, 172800, 395997, INT32_MAX};
  int failures = 0;
  for (long s = 0; s < 86400; s += 517) {
    const KvTime t(s);
    bool ok = t.IsTime() && static_cast<long>(t) == s && ++KvTime(t) == t + 1L && --KvTime(t) == t - 1L;
    for (const long c : counts) {
      const KvTime plus = t + c, minus = t - c;
      ok = ok && plus.IsTime() && static_cast<long>(plus) == (s + c % 86400) % 86400 && minus.IsTime() &&
           static_cast<long>(minus) == (s - c % 86400 + 86400) % 86400 && (KvTime(t) += c) == plus && (KvTime(t) -= c) == minus;
    }
    for (long u = 0; u < 86400; u += 4999)
      ok = ok && (t - KvTime(u)).IsTime() && static_cast<long>(t - KvTime(u)) == (s - u + 86400) % 86400 &&
           (t != KvTime(u)) == (s > u) - (s < u) && (t < KvTime(u)) == (s < u) && (t > KvTime(u)) == (s > u);
    if (!ok && ++failures <= 5) ADD_FAILURE() << Text(t);
  }
  EXPECT_EQ(failures, 0);
  // A negative count is not raised to a day: "+" leaves negative fields
  // within a day, "-" borrows.
  const struct { int h; long count; const char* sumAndDifference; } rows[] = {{10, -30, "10:0:-30 10:0:30"},
      {12, -86401, "12:0:-1 12:0:1"}, {23, -255600, "0:0:0 22:0:0"}, {0, INT32_MIN, "-3:-14:-8 3:14:8"}, {12, INT32_MIN, "9:-14:-8 15:14:8"}};
  for (const auto& r : rows) EXPECT_EQ(Text(T(r.h, 0, 0) + r.count) + " " + Text(T(r.h, 0, 0) - r.count), r.sumAndDifference);
  EXPECT_EQ(Text(T(100, 0, 0) - T(-100, 0, 0)) + " " + Text(T(-128, 0, 0) - T(127, 0, 0)), "8:0:0 9:0:0");
  // Seconds split without reduction to one day; signed fields in turn.
  EXPECT_EQ(Text(KvTime(90000L)) + " " + Text(KvTime(-1L)) + " " + Text(KvTime(-3661L)), "25:0:0 0:0:-1 -1:-1:-1");
  EXPECT_TRUE(static_cast<long>(T(-1, -1, -1)) == -3661 && (T(-1, 0, 0) != T(0, 0, 0)) == -1 && (T(10, 0, 59) != T(10, 0, -5)) == 1);
  for (const KvTime& t : {T(24, 0, 0), T(0, 60, 0), T(0, 0, 60), T(-1, 0, 0), T(0, -1, 0), T(0, 0, -1)}) EXPECT_FALSE(t.IsTime()) << Text(t);
  // KvDateTime: the date first, then the time.
  const KvDateTime a(D(2000, 1, 1), T(23, 0, 0)), b(D(2000, 1, 3), T(1, 0, 0)), wild(D(-1, 1, 1), T(9, 0, 0));
  EXPECT_TRUE((a != b) == -2 && (b != a) == 2 && (wild != a) == -1 && (a != a) == 0 && a.IsDaTime());
  KvDateTime c = b;
  c = T(24, 0, 0);
  EXPECT_EQ(Text(c.DateGet()) + " " + Text(c.TimeGet()) + std::to_string(c.IsDaTime() + KvDateTime(D(2000, 2, 30), T(1, 0, 0)).IsDaTime()),
            "2000-1-3 24:0:00");
}

// ---- d_Date ----

struct CalendarDay { int16_t y; uint8_t m, d; };
bool IsGregorian(CalendarDay c) { return c.y > 1582 || (c.y == 1582 && (c.m > 10 || (c.m == 10 && c.d >= 15))); }
int MonthLength(CalendarDay c) {
  static const int kLengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = c.y % 4 == 0 && (!IsGregorian(c) || c.y % 100 != 0 || c.y % 400 == 0);
  return c.m == 2 && leap ? 29 : kLengths[c.m - 1];
}
CalendarDay Next(CalendarDay c) {
  if (c.y == 1582 && c.m == 10 && c.d == 4) return {1582, 10, 15};
  if (c.d < MonthLength(c)) return {c.y, c.m, static_cast<uint8_t>(c.d + 1)};
  return c.m < 12 ? CalendarDay{c.y, static_cast<uint8_t>(c.m + 1), 1} : CalendarDay{static_cast<int16_t>(c.y + 1), 1, 1};
}
bool Same(const d_Date& date, CalendarDay c) { return date.year() == c.y && date.month() == c.m && date.day() == c.d; }
d_Date DateOf(CalendarDay c) { return d_Date(c.y, c.m, c.d); }

// Every day from 0001-01-01 to 9999-12-31, Julian before 1582-10-15 and
// Gregorian from then on; entry i has the day number kFirstDayNumber + i
// (the Julian Day Number less one).
constexpr long kFirstDayNumber = 1721423, kY2kDayNumber = 2451544;
const std::vector<CalendarDay>& Calendar() {
  static std::vector<CalendarDay> days;
  if (days.empty())
    for (CalendarDay c{1, 1, 1}; c.y <= 9999; c = Next(c)) days.push_back(c);
  return days;
}

TEST(dDate, EveryDayOfYears1To9999AgainstAJulianGregorianCalendar) {
  const std::vector<CalendarDay>& days = Calendar();
  ASSERT_EQ(days.size(), 3652061u);
  const long count = static_cast<long>(days.size());
  int failures = 0, dayOfYear = 0;
  const d_Date y2k(2000, 1, 1);
  for (long i = 0; i < count; ++i) {
    const CalendarDay c = days[i];
    const long n = kFirstDayNumber + i;
    const d_Date date = DateOf(c);
    dayOfYear = c.m == 1 && c.d == 1 ? 1 : dayOfYear + 1;
    // The reference meets <chrono> from the reform on. Month lengths follow
    // the Gregorian century rule from 1600 on only, the same here.
    bool ok = (!IsGregorian(c) || sys_days{year{c.y} / c.m / c.d}.time_since_epoch().count() + 2440587 == n) &&
              (date != y2k) == n - kY2kDayNumber && date.day_of_week() == (n + 2) % 7 && date.day_of_year() == dayOfYear &&
              Same(d_Date(c.y, static_cast<unsigned short>(dayOfYear)), c) && date.days_in_month() == MonthLength(c);
    // A day's step each way.
    d_Date up = date, down = date;
    if (i + 1 < count) ok = ok && Same(up++, c) && Same(up, days[i + 1]);
    if (i > 0) ok = ok && Same(down--, c) && Same(down, days[i - 1]);
    if (!ok && ++failures <= 5) ADD_FAILURE() << c.y << "-" << int{c.m} << "-" << int{c.d};
  }
  EXPECT_EQ(failures, 0);
}

TEST(dDate, EdgesOfTheCalendar) {
  // The ten days dropped in October 1582 count on as Julian days.
  for (unsigned short d = 5; d <= 14; ++d)
    EXPECT_TRUE((d_Date(1582, 10, d) != d_Date(1582, 10, 4)) == d - 4 && Same(d_Date(1582, 10, d) + d_Interval(0), {1582, 10, uint8_t(d + 10)})) << d;
  // 2000-01-01 plus about 2^31 days: the month and day bytes keep the low
  // bits of the calendar's steps, the Gregorian shift passing 2^31 too.
  EXPECT_EQ(Text(d_Date(2000, 1, 1) + d_Interval(0, 0, 0, 1.853e14f)) + " " + Text(d_Date(2000, 1, 1) + d_Interval(0, 0, 0, 1.8532886e14f)) + " " +
                Text(d_Date(2000, 1, 1) + d_Interval(0, 0, 0, -1.853e14f)), "-24317-6-2 14100-249-232 28438-2-16");
  EXPECT_EQ(d_Date::days_in_month(-4, 2) * 100 + d_Date::days_in_month(-1, 2) + d_Date::days_in_month(2001, 13) +
                d_Date::days_in_month(2001, 0), 2928);
  EXPECT_EQ(Text(d_Date(2000, 367)) + " " + Text(d_Date(2000, 2, 30)), "2001-1-1 2000-2-30");  // kept as given
  const d_Date first(1, 1, 1), y2k(2000, 1, 1);
  EXPECT_TRUE(d_Date(2000, 2, 30) == d_Date(2000, 3, 1) && first < y2k && first <= y2k && y2k > first && y2k >= y2k && !(y2k <= first));
  d_Date d(1999, 1, 1), e = d, f = d;
  d = D(2001, 5, 7), e = KvDateTime(D(2002, 6, 8), T(1, 2, 3)), f = d_Timestamp(d_Date(2003, 7, 9), d_Time(1, 2, 3));
  EXPECT_EQ(Text(d_Date(D(2001, 5, 7))) + Text(d_Date(KvDateTime(D(2002, 6, 8), T(1, 2, 3)))) + Text(d_Date(d_Timestamp(f))) + Text(d) +
                Text(e) + Text(f), "2001-5-72002-6-82003-7-92001-5-72002-6-82003-7-9");
  // next and previous: within a week, on the weekday asked for (2000-01-05
  // is a Wednesday).
  d_Date next(2000, 1, 5), previous = next, thursday = next, tuesday = next;
  EXPECT_TRUE(&next.next(d_Date::Wednesday) == &next && &previous.previous(d_Date::Wednesday) == &previous &&
              Text(next) + Text(previous) + Text(thursday.next(d_Date::Thursday)) + Text(tuesday.previous(d_Date::Tuesday)) ==
                  "2000-1-121999-12-292000-1-62000-1-4");
  // Intervals move by whole days truncated toward zero, thousands of days
  // at once (exact in a float of seconds).
  const struct { float seconds; long days; } moves[] = {{169200, 1}, {82800, 0}, {-43200, 0}, {-129600, -1}, {86399.99f, 0}, {1728000000, 20000}};
  for (const auto& r : moves) {
    const d_Interval iv(0, 0, 0, r.seconds);
    d_Date back = d_Date(2000, 2, 28) + iv;
    EXPECT_TRUE((back != d_Date(2000, 2, 28)) == r.days && iv + d_Date(2000, 2, 28) == back && d_Date(2000, 2, 28) - -iv == back &&
                Same(back -= iv, {2000, 2, 28})) << r.seconds;
  }
}

// ---- d_Interval, d_Time, d_Timestamp ----

TEST(dInterval, OneFloatOfSeconds) {
  // Magnitudes summed, then negated as a whole when any field is negative;
  // the clock fields truncate toward zero and carry the sign.
  const struct { d_Interval iv; float seconds; const char* fields; } rows[] = {
      {d_Interval(1, -2, 0, 0), -93600, "-1 -2 0 0.000000"},  // not 79200
      {d_Interval(-1, 2, 3, 4.5f), -93784.5f, "-1 -2 -3 -4.500000"}, {d_Interval(0, 0, -1, 30), -90, "0 0 -1 -30.000000"},
      {d_Interval(0, 25, 61, 0.25f), 93660.25f, "1 2 1 0.250000"},    {d_Interval(), 0, "0 0 0 0.000000"}};
  for (const auto& r : rows)
    EXPECT_EQ(std::to_string(r.iv.SecondsGet() == r.seconds && r.iv.is_zero() == (r.seconds == 0)) + " " + std::to_string(r.iv.day()) + " " +
                  std::to_string(r.iv.hour()) + " " + std::to_string(r.iv.minute()) + " " + std::to_string(r.iv.second()), std::string("1 ") + r.fields);
  const d_Interval minus30(0, 0, 0, -30), hour(0, 1);  // "/ 0" gives the interval back
  const std::pair<d_Interval, float> results[] = {{-hour, -3600},  {hour + minus30, 3570}, {minus30 - hour, -3630}, {minus30 * 2, -60},
                                                  {2 * minus30, -60}, {hour / 4, 900},  {minus30 / -4, 7.5f}, {hour / 0, 3600}};
  for (const auto& [iv, seconds] : results) EXPECT_EQ(iv.SecondsGet(), seconds);
  EXPECT_TRUE(minus30 == d_Interval(0, 0, 0, -30) && minus30 < hour && !(minus30 > hour));
}

TEST(dTime, HeldWithTheZoneAdded) {
  d_Time::set_default_Time_Zone(d_Time::GMT2);
  const d_Timestamp stamp(d_Date(2000, 1, 1), d_Time(1, 2, 3.5f, 4, 5));
  d_Time fromTime(1, 1, 1.5f, 7, 7), fromDateTime = fromTime, fromStamp = fromTime;
  fromTime = T(10, 0, 0), fromDateTime = KvDateTime(D(2000, 1, 1), T(10, 0, 0)), fromStamp = stamp;  // assigned: not shifted
  const struct { d_Time time; Held held; } rows[] = {
      {d_Time(10, 30, 15.29f), {2, 0, 12, 30, 15, 28}} /* hundredths truncated */, {d_Time(10, 30, 15.25f, -5, 30), {-5, 30, 5, 60, 15, 25}},
      {d_Time(2, 0, 0, -5, 0), {-5, 0, -3, 0, 0, 0}}, {d_Time(-1L), {2, 0, 25, 59, 59, 0}}, {d_Time(90000L), {2, 0, 27, 0, 0, 0}},
      {d_Time(-86400L), {2, 0, 2, 0, 0, 0}}, {d_Time(-172801L), {2, 0, 25, 59, 59, 0}}, {d_Time(T(10, 0, 0)), {2, 0, 12, 0, 0, 0}},
      {d_Time(KvDateTime(D(2000, 1, 1), T(10, 0, 0))), {2, 0, 12, 0, 0, 0}}, {fromTime, {2, 0, 10, 0, 0, 0}}, {fromDateTime, {2, 0, 10, 0, 0, 0}},
      {d_Time(stamp), {4, 5, 5, 7, 3, 50}}, {fromStamp, {4, 5, 5, 7, 3, 50}}};
  for (size_t i = 0; i < std::size(rows); ++i) EXPECT_EQ(HeldOf(rows[i].time), rows[i].held) << i;
  EXPECT_TRUE(d_Time(10, 30, 15.25f).hour() == 10 && d_Time(10, 30, 15.25f).minute() == 30 && d_Time(10, 30, 15.25f).second() == 15.25f &&
              d_Time(10, 30, 15.25f).tz_hour() == 2 && d_Time(10, 30, 15.25f).tz_minute() == 0);
  // The local zone is the clock's offset in whole hours; a zero offset keeps
  // the zone set before.
  const int32_t offsets[] = {0, 7200, 0, -18000, 5400, -5400, 0, 3599}, zones[] = {2, 2, 2, -5, 1, -1, -1, 0};
  for (int i = 0; i < 8; ++i) {
    const btime now = {13, 45, 30, 0, offsets[i]};
    KvSetClockOverride(nullptr, &now), d_Time::set_default_Time_Zone_to_local();
    EXPECT_EQ(d_Time(0, 0, 0).tz_hour(), zones[i]) << offsets[i];
  }
  KvSetClockOverride(nullptr, nullptr), d_Time::set_default_Time_Zone(d_Time::GMT);
}

TEST(dTime, AndTimestampArithmetic) {
  // A d_Time moves its held fields, zone included, modulo a day: "+=" keeps
  // the hundredths, "+", "-" and "-=" drop them first. A d_Timestamp moves
  // its zone-free time and carries whole days into the date, checked against
  // the calendar: whole days back included (they once landed a day early),
  // across the 1582 reform too. Quarter seconds are exact in the float sums.
  const std::vector<CalendarDay>& days = Calendar();
  const CalendarDay starts[] = {{1582, 10, 4}, {1582, 10, 15}, {2000, 2, 28}, {2000, 3, 1}, {2000, 1, 31}};
  long at[5];
  for (int i = 0; i < 5; ++i) at[i] = std::find_if(days.begin(), days.end(), [&](CalendarDay c) { return Same(DateOf(c), starts[i]); }) - days.begin();
  const float deltas[] = {0, 0.25f, 0.75f, 1, 59.5f, 3600, -1200, 46800.25f, 86399.75f, 86400, 172800, 200000.5f, 1209600.5f, -0.25f,
                          -1, -3600, -86400, -86400.5f, -172800, -172799, -172801, -172799.75f, -172800.5f, -1728000};
  int failures = 0;
  for (const int zone : {0, 2}) {
    d_Time::set_default_Time_Zone(static_cast<d_Time::Time_Zone>(zone));
    for (long q = 0, i = 0; q < 345600; q += 4001, ++i) {
      const d_Time t(static_cast<unsigned short>(q / 14400), static_cast<unsigned short>(q / 240 % 60), q % 240 / 4.0f);
      const d_Timestamp start(DateOf(starts[i % 5]), t);
      const long held = q + zone * 14400, whole = held - held % 4;
      for (const float delta : deltas) {
        const long d = static_cast<long>(delta * 4), total = q + d, shift = total >= 0 ? total / 345600 : -((345599 - total) / 345600);
        const d_Interval iv(0, 0, 0, delta);
        d_Time plus = t, minus = t;
        d_Timestamp later = start, earlier = start;
        bool ok = true;
        for (const auto& [got, quarters] : {std::pair(plus += iv, held + d), std::pair(minus -= iv, whole - d), std::pair(t + iv, whole + d),
                                            std::pair(iv + t, whole + d), std::pair(t - iv, whole - d)})
          ok = ok && HeldOf(got) == HeldOf(zone, (quarters % 345600 + 345600) % 345600);
        for (const d_Timestamp& got : {start + iv, iv + start, later += iv, earlier -= -iv, start - -iv})
          ok = ok && Same(got.date(), days[at[i % 5] + shift]) && HeldOf(got.time()) == HeldOf(zone, total - shift * 345600 + zone * 14400);
        if (!ok && ++failures <= 5) ADD_FAILURE() << Text(start.date()) << ", " << q << " quarter seconds + " << delta << ", zone " << zone;
      }
    }
  }
  EXPECT_EQ(failures, 0);
  d_Time::set_default_Time_Zone(d_Time::GMT);
  // The held hour -3 of zone -5 makes the whole interval negative first;
  // thousands of days go at once; 36000 s less 8.64e9 s rounds in a float.
  d_Time t(2, 0, 0, -5, 0);
  EXPECT_TRUE(&(t += d_Interval(0, 1)) == &t && HeldOf(t) == (Held{-5, 0, 22, 0, 0, 0}) &&
              HeldOf(d_Time(10, 0, 0) + d_Interval(-2000)) == (Held{0, 0, 10, 0, 0, 0}) &&
              HeldOf(d_Time(10, 0, 0) - d_Interval(100000)) == (Held{0, 0, 9, 57, 20, 0}));
  // Differences of the held fields; hundredths play no part.
  EXPECT_TRUE((d_Time(10, 0, 0) - d_Time(8, 30, 15.5f)).SecondsGet() == 5385 && (d_Time(10, 0, 0, 2, 0) - d_Time(10, 0, 0)).SecondsGet() == 7200 &&
              (d_Time(1, 0, 0) - d_Time(23, 0, 0)).SecondsGet() == -79200);
}

TEST(dTime, OrderOfZoneFreeFieldsThenWholeSeconds) {
  // Each time's whole second: a truncated difference once made 0.1 s equal
  // 0.9 s and 0.9 s equal 1.05 s, but 0.1 s less than 1.05 s.
  d_Time beforeMidnight(0, 0, 0, 2, 0);
  beforeMidnight -= d_Interval(0, 1);  // held hour 1 in zone 2: zone-free hour -1
  const struct { d_Time a, b; long order; } rows[] = {
      {d_Time(10, 0, 0.1f), d_Time(10, 0, 0.9f), 0}, {d_Time(10, 0, 0.9f), d_Time(10, 0, 1.05f), -1}, {d_Time(10, 0, 0.1f), d_Time(10, 0, 1.05f), -1},
      {d_Time(10, 0, 5), d_Time(10, 0, 1), 4},       {d_Time(11, 0, 0), d_Time(10, 59, 59), 1},       {d_Time(10, 5, 0), d_Time(10, 0, 0), 5},
      {d_Time(10, 0, 0, 2, 0), d_Time(10, 0, 0), 0}, {d_Time(10, 15, 0, 0, 30), d_Time(10, 15, 0), 0},
      {beforeMidnight, d_Time(23, 0, 0), 65535 - 23}};  // unsigned 16-bit hours
  for (size_t i = 0; i < std::size(rows); ++i)
    EXPECT_TRUE((rows[i].a != rows[i].b) == rows[i].order && (rows[i].a == rows[i].b) == (rows[i].order == 0) &&
                (rows[i].a < rows[i].b) == (rows[i].order < 0) && (rows[i].a > rows[i].b) == (rows[i].order > 0)) << i;
}

TEST(dTimestamp, ValueOrderAndOverlaps) {
  d_Time::set_default_Time_Zone(d_Time::GMT2);
  d_Timestamp ts(d_Date(2000, 1, 1), d_Time(1, 2, 3)), native = ts;
  ts = d_Date(2001, 5, 7), native = KvDateTime(D(2002, 6, 8), T(10, 0, 0));  // the hour is not shifted
  EXPECT_TRUE(HeldOf(d_Timestamp(2000, 2, 29, 10, 30, 15.5f).time()) == (Held{2, 0, 12, 30, 15, 50}) &&
              HeldOf(d_Timestamp(d_Date(2000, 1, 1)).time()) == (Held{2, 0, 2, 0, 0, 0}) && Same(ts.date(), {2001, 5, 7}) &&
              HeldOf(ts.time()) == (Held{2, 0, 3, 2, 3, 0}) && Same(native.date(), {2002, 6, 8}) && native.hour() == 8);
  // The dates order first, then the times.
  EXPECT_TRUE((d_Timestamp(2000, 1, 2, 1) != d_Timestamp(2000, 1, 1, 23)) == 1 && (d_Timestamp(2000, 1, 1, 10) != d_Timestamp(2000, 1, 1, 8)) == 2 &&
              d_Timestamp(2000, 1, 1, 1) < d_Timestamp(2000, 1, 3) && d_Timestamp(2000, 1, 3) > d_Timestamp(2000, 1, 1, 1));
  // Periods given either way round; touching ends overlap. The same offsets
  // serve days, ten-minute times and seven-hour timestamp steps.
  const int rows[][5] = {{10, 1, 10, 32, 1}, {1, 10, 11, 32, 0}, {11, 32, 10, 1, 0}, {5, 6, 32, 1, 1}, {32, 1, 6, 5, 1},
                         {10, 1, 20, 5, 1},  {1, 1, 2, 2, 0},    {20, 30, 19, 1, 0}, {20, 30, 30, 31, 1}};
  auto day = [](int n) { return d_Date(2000, static_cast<unsigned short>(n)); };
  auto time = [](int n) { return d_Time(n * 600L); };
  auto stamp = [](int n) { return d_Timestamp(2000, 1, 1) + d_Interval(0, n * 7); };
  for (const auto& r : rows)
    EXPECT_TRUE(overlaps(day(r[0]), day(r[1]), day(r[2]), day(r[3])) == r[4] && overlaps(day(r[2]), day(r[3]), day(r[0]), day(r[1])) == r[4] &&
                overlaps(time(r[0]), time(r[1]), time(r[2]), time(r[3])) == r[4] &&
                overlaps(stamp(r[0]), stamp(r[1]), stamp(r[2]), stamp(r[3])) == r[4]) << r[0] << " " << r[1] << " " << r[2] << " " << r[3];
  // A timestamp period against dates compares its dates, against times its
  // times (which may run backwards: 12:00 on 1 January to 06:00 on 1 February).
  const d_Timestamp morn(2000, 1, 10, 8), night(2000, 1, 10, 22), jan1(2000, 1, 1, 12), feb1(2000, 2, 1, 6);
  const d_Date jan10(2000, 1, 10), jan11(2000, 1, 11);
  EXPECT_TRUE(overlaps(jan1, morn, jan10, d_Date(2000, 2, 1)) && !overlaps(jan11, d_Date(2000, 2, 1), morn, jan1) && overlaps(night, morn, jan10, jan10) &&
              overlaps(morn, night, d_Time(22, 0, 0), d_Time(23, 0, 0)) && !overlaps(d_Time(22, 0, 1), d_Time(23, 0, 0), night, morn) &&
              overlaps(jan1, feb1, d_Time(7, 0, 0), d_Time(8, 0, 0)) && !overlaps(feb1, jan1, d_Time(13, 0, 0), d_Time(14, 0, 0)));
  d_Time::set_default_Time_Zone(d_Time::GMT);
}

}  // namespace
