// Facts about d_Date, d_Interval, d_Time and d_Timestamp: the day number of
// every date of years 1 to 9999 beside a Julian/Gregorian calendar of the
// test's own, the ten days dropped in October 1582, weekday stepping, interval
// arithmetic on one float of seconds, times held with their zone, timestamps
// carrying whole days into the date, period overlaps and the clock.
#include <array>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "kvtm/kvtm.h"

namespace {

// ---- A reference calendar ----

struct CalendarDay {
  int16_t y;
  uint8_t m, d;
};

bool IsGregorian(int y, int m, int d) {
  return y > 1582 || (y == 1582 && (m > 10 || (m == 10 && d >= 15)));
}

int MonthLength(int y, int m, bool gregorian) {
  static const int kLengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (m != 2) return kLengths[m - 1];
  const bool leap = gregorian ? y % 4 == 0 && (y % 100 != 0 || y % 400 == 0) : y % 4 == 0;
  return leap ? 29 : 28;
}

CalendarDay Next(CalendarDay c) {
  if (c.y == 1582 && c.m == 10 && c.d == 4) return {1582, 10, 15};
  if (c.d < MonthLength(c.y, c.m, IsGregorian(c.y, c.m, c.d))) {
    return {c.y, c.m, static_cast<uint8_t>(c.d + 1)};
  }
  if (c.m < 12) return {c.y, static_cast<uint8_t>(c.m + 1), 1};
  return {static_cast<int16_t>(c.y + 1), 1, 1};
}

// Julian Day Number - 1 of 0001-01-01 in the Julian calendar.
constexpr long kFirstDayNumber = 1721423;
// Of 2000-01-01.
constexpr long kY2kDayNumber = 2451544;

// Every day from 0001-01-01 to 9999-12-31, Julian before 1582-10-15 and
// Gregorian from then on; entry i has the day number kFirstDayNumber + i.
const std::vector<CalendarDay>& Calendar() {
  static const std::vector<CalendarDay> days = [] {
    std::vector<CalendarDay> all(3652061);  // Julian Day Numbers 1721424 to 5373484
    CalendarDay* next = all.data();
    for (CalendarDay c{1, 1, 1}; c.y <= 9999; c = Next(c)) *next++ = c;
    all.resize(static_cast<size_t>(next - all.data()));
    return all;
  }();
  return days;
}

long ChronoDayNumber(int y, unsigned m, unsigned d) {
  using namespace std::chrono;
  return sys_days{year_month_day{year{y}, month{m}, day{d}}}.time_since_epoch().count() + 2440588;
}

bool Same(const d_Date& date, CalendarDay c) {
  return date.year() == c.y && date.month() == c.m && date.day() == c.d;
}

d_Date DateOf(CalendarDay c) { return d_Date(c.y, c.m, static_cast<unsigned short>(c.d)); }

void ExpectDate(const d_Date& date, int y, int m, int d) {
  EXPECT_EQ(date.year(), y);
  EXPECT_EQ(date.month(), m);
  EXPECT_EQ(date.day(), d);
}

// The six bytes of a d_Time as it holds them: zone hour, zone minute, hour
// and minute with the zone added, second, hundredths.
using Held = std::array<int8_t, 6>;

Held HeldOf(const d_Time& t) {
  Held h;
  std::memcpy(h.data(), &t, sizeof h);
  return h;
}

// Sets the default zone for one test and puts GMT back after it.
class ZoneTest : public testing::Test {
 protected:
  void TearDown() override { d_Time::set_default_Time_Zone(d_Time::GMT); }
};

// ---- Day numbers over the whole range ----

TEST(dDateDayNumber, CalendarMeetsChronoFromTheReformOn) {
  const std::vector<CalendarDay>& days = Calendar();
  ASSERT_EQ(days.size(), 3652061u);
  EXPECT_TRUE(Same(DateOf(days.back()), {9999, 12, 31}));
  int failures = 0;
  for (size_t i = 0; i < days.size(); ++i) {
    const CalendarDay c = days[i];
    if (!IsGregorian(c.y, c.m, c.d)) continue;
    if (ChronoDayNumber(c.y, c.m, c.d) - 1 != kFirstDayNumber + static_cast<long>(i) &&
        ++failures <= 5) {
      ADD_FAILURE() << c.y << "-" << int{c.m} << "-" << int{c.d};
    }
  }
  EXPECT_EQ(failures, 0);
}

TEST(dDateDayNumber, EveryDayOfYears1To9999) {
  const std::vector<CalendarDay>& days = Calendar();
  const d_Date y2k(2000, 1, 1);
  int failures = 0;
  for (size_t i = 0; i < days.size(); ++i) {
    const CalendarDay c = days[i];
    const long n = kFirstDayNumber + static_cast<long>(i);
    const d_Date date = DateOf(c);
    if (((date != y2k) != n - kY2kDayNumber || date.day_of_week() != (n + 2) % 7) &&
        ++failures <= 5) {
      ADD_FAILURE() << c.y << "-" << int{c.m} << "-" << int{c.d} << ": difference "
                    << (date != y2k) << " for " << n - kY2kDayNumber << ", weekday "
                    << date.day_of_week();
    }
  }
  EXPECT_EQ(failures, 0);
}

TEST(dDateDayNumber, EveryDayOfTheYearBothWays) {
  const std::vector<CalendarDay>& days = Calendar();
  int failures = 0;
  unsigned short dayOfYear = 0;
  for (const CalendarDay c : days) {
    dayOfYear = c.m == 1 && c.d == 1 ? 1 : dayOfYear + 1;
    const d_Date back(c.y, dayOfYear);
    if ((DateOf(c).day_of_year() != dayOfYear || !Same(back, c)) && ++failures <= 5) {
      ADD_FAILURE() << c.y << "-" << int{c.m} << "-" << int{c.d} << ": day "
                    << DateOf(c).day_of_year() << " for " << dayOfYear << ", back "
                    << back.year() << "-" << back.month() << "-" << back.day();
    }
  }
  EXPECT_EQ(failures, 0);
}

// Reports the first few dates that differ from the calendar's.
class CalendarCheck {
 public:
  ~CalendarCheck() { EXPECT_EQ(failures_, 0); }
  void Expect(const d_Date& got, size_t index, const char* how, size_t from) {
    if (Same(got, Calendar()[index]) || ++failures_ > 5) return;
    const CalendarDay c = Calendar()[from];
    ADD_FAILURE() << how << " from " << c.y << "-" << int{c.m} << "-" << int{c.d} << " gave "
                  << got.year() << "-" << got.month() << "-" << got.day();
  }

 private:
  int failures_ = 0;
};

TEST(dDateDayNumber, EveryDayStepsOn) {
  const std::vector<CalendarDay>& days = Calendar();
  CalendarCheck check;
  d_Date date = DateOf(days.front());
  for (size_t i = 0; i + 1 < days.size(); ++i) {
    check.Expect(date++, i, "++ (value before)", i);
    check.Expect(date, i + 1, "++", i);
  }
}

TEST(dDateDayNumber, EveryDayStepsBack) {
  const std::vector<CalendarDay>& days = Calendar();
  CalendarCheck check;
  d_Date date = DateOf(days.back());
  for (size_t i = days.size() - 1; i > 0; --i) {
    check.Expect(date--, i, "-- (value before)", i);
    check.Expect(date, i - 1, "--", i);
  }
}

TEST(dDateDayNumber, EveryDayJumpsByIntervals) {
  // Jumps of up to 20000 days either way (a day count in a float of seconds
  // is exact there), by += and - on alternate days.
  const std::vector<CalendarDay>& days = Calendar();
  const long count = static_cast<long>(days.size());
  CalendarCheck check;
  for (long i = 0; i < count; ++i) {
    // i * 7919 itself would overflow a 32-bit long; its remainder does not.
    const long k = (i % 40001) * 7919 % 40001 - 20000;
    const long to = i + k;
    if (to < 0 || to >= count) continue;
    d_Date date = DateOf(days[i]);
    if (i % 2 == 0) {
      check.Expect(date += d_Interval(static_cast<int>(k)), to, "+=", i);
    } else {
      check.Expect(date - d_Interval(static_cast<int>(-k)), to, "-", i);
    }
  }
}

TEST(dDateDayNumber, TenDaysDroppedInOctober1582) {
  const d_Date last(1582, 10, 4);
  for (int d = 5; d <= 14; ++d) {
    SCOPED_TRACE(d);
    const d_Date missing(1582, 10, static_cast<unsigned short>(d));
    EXPECT_EQ(missing != last, d - 4);  // counted on as Julian days
    d_Date back = missing;
    ExpectDate(back += d_Interval(0), 1582, 10, d + 10);
  }
  d_Date step = last;
  step++;
  ExpectDate(step, 1582, 10, 15);
  step--;
  ExpectDate(step, 1582, 10, 4);
  EXPECT_EQ(d_Date(1582, 10, 15) != last, 1);
  EXPECT_EQ(d_Date(1582, 10, 15) != d_Date(1582, 10, 5), 0);
  EXPECT_EQ(d_Date(1582, 12, 31).day_of_year(), 355);
  ExpectDate(d_Date(1582, 278), 1582, 10, 15);
  EXPECT_EQ(d_Date(1582, 10, 4).day_of_week(), d_Date::Thursday);
  EXPECT_EQ(d_Date(1582, 10, 15).day_of_week(), d_Date::Friday);
}

TEST(dDateDayNumber, DayNumbersNear2To31WrapAsA32BitBuild) {
  // 2000-01-01 plus intervals of about 2^31 days; the month and day bytes
  // keep the low bits of what the calendar steps give.
  struct Row {
    float seconds;
    int y, m, d;
  };
  const Row rows[] = {
      {1.853e14f, -24317, 6, 2},       // day number 2147127532
      {1.8532886e14f, 14100, 249, 232},  // 2147461523: the Gregorian shift passes 2^31
      {1.8535e14f, 14649, 252, 227},   // 2147706191, past 2^31
      {-1.853e14f, 28438, 2, 16},      // -2142224444
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.seconds);
    d_Date date(2000, 1, 1);
    ExpectDate(date += d_Interval(0, 0, 0, r.seconds), r.y, r.m, r.d);
  }
}

// ---- d_Date ----

TEST(dDateCalendar, MonthLengths) {
  struct Row {
    short year;
    unsigned short month, days;
  };
  const Row rows[] = {
      {1900, 2, 28}, {2000, 2, 29}, {1500, 2, 29}, {1600, 2, 29}, {1700, 2, 28}, {2001, 2, 28},
      {2004, 2, 29}, {2001, 13, 0}, {2001, 0, 0},  {2001, 1, 31}, {2001, 4, 30}, {2001, 12, 31},
      {2001, 11, 30}, {-4, 2, 29},  {-1, 2, 28},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << r.year << "-" << r.month);
    EXPECT_EQ(d_Date::days_in_month(r.year, r.month), r.days);
    EXPECT_EQ(d_Date(r.year, r.month, 1).days_in_month(), r.days);
  }
}

TEST(dDateCalendar, ConstructionAndConversion) {
  struct Row {
    short year;
    unsigned short dayOfYear;
    int y, m, d;
  };
  const Row rows[] = {
      {2000, 60, 2000, 2, 29}, {2001, 60, 2001, 3, 1},  {2001, 32, 2001, 2, 1},
      {2000, 366, 2000, 12, 31}, {2000, 367, 2001, 1, 1}, {1, 1, 1, 1, 1},
      {1900, 60, 1900, 3, 1},  // not a leap year
      {1500, 60, 1500, 2, 29},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << r.year << " day " << r.dayOfYear);
    ExpectDate(d_Date(r.year, r.dayOfYear), r.y, r.m, r.d);
  }
  EXPECT_EQ(d_Date(2000, 12, 31).day_of_year(), 366);
  EXPECT_EQ(d_Date(2000, 1, 1).day_of_week(), d_Date::Saturday);

  ExpectDate(d_Date(2000, 2, 30), 2000, 2, 30);  // kept as given
  ExpectDate(d_Date(KvDate(2001, 5, 7)), 2001, 5, 7);
  ExpectDate(d_Date(KvDateTime(KvDate(2001, 5, 7), KvTime(1, 2, 3))), 2001, 5, 7);
  ExpectDate(d_Date(d_Timestamp(d_Date(2001, 5, 7), d_Time(1, 2, 3))), 2001, 5, 7);
  d_Date d(1999, 1, 1);
  ExpectDate(d = KvDate(2002, 6, 8), 2002, 6, 8);
  ExpectDate(d = KvDateTime(KvDate(2003, 7, 9), KvTime(1, 2, 3)), 2003, 7, 9);
  ExpectDate(d = d_Timestamp(d_Date(2004, 8, 10), d_Time(1, 2, 3)), 2004, 8, 10);
  d = *&d;
  ExpectDate(d, 2004, 8, 10);
}

TEST(dDateCalendar, WeekdayStepping) {
  // 2000-01-05 is a Wednesday.
  struct Row {
    bool forward;
    d_Date::Weekday weekday;
    int y, m, d;
  };
  const Row rows[] = {
      {true, d_Date::Wednesday, 2000, 1, 12}, {true, d_Date::Thursday, 2000, 1, 6},
      {true, d_Date::Sunday, 2000, 1, 9},     {true, d_Date::Tuesday, 2000, 1, 11},
      {false, d_Date::Tuesday, 2000, 1, 4},   {false, d_Date::Wednesday, 1999, 12, 29},
      {false, d_Date::Thursday, 1999, 12, 30}, {false, d_Date::Saturday, 2000, 1, 1},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << (r.forward ? "next " : "previous ") << r.weekday);
    d_Date d(2000, 1, 5);
    ASSERT_EQ(d.day_of_week(), d_Date::Wednesday);
    d_Date& result = r.forward ? d.next(r.weekday) : d.previous(r.weekday);
    EXPECT_EQ(&result, &d);
    ExpectDate(d, r.y, r.m, r.d);
  }
}

TEST(dDateCalendar, IntervalsMoveByWholeDaysTruncated) {
  struct Row {
    d_Interval interval;
    int y, m, d;  // 2000-02-28 plus the interval
  };
  const Row rows[] = {
      {d_Interval(0, 47, 0, 0), 2000, 2, 29}, {d_Interval(0, 23, 0, 0), 2000, 2, 28},
      {d_Interval(0, -12, 0, 0), 2000, 2, 28}, {d_Interval(1, 12, 0, 0), 2000, 2, 29},
      {d_Interval(-1, -12, 0, 0), 2000, 2, 27}, {d_Interval(2, 0, 0, 0), 2000, 3, 1},
      {d_Interval(0, 0, 0, 86399.99f), 2000, 2, 28}, {d_Interval(366, 0, 0, 0), 2001, 2, 28},
      {d_Interval(-365, 0, 0, 0), 1999, 2, 28},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.interval.SecondsGet());
    const d_Date start(2000, 2, 28);
    ExpectDate(start + r.interval, r.y, r.m, r.d);
    ExpectDate(r.interval + start, r.y, r.m, r.d);
    ExpectDate(start - -r.interval, r.y, r.m, r.d);
    d_Date d = start;
    ExpectDate(d += r.interval, r.y, r.m, r.d);
    d = d_Date(r.y, static_cast<unsigned short>(r.m), static_cast<unsigned short>(r.d));
    ExpectDate(d -= r.interval, 2000, 2, 28);
  }
}

TEST(dDateCalendar, OrderIsTheDayNumberDifference) {
  struct Row {
    d_Date a, b;
    long difference;
  };
  const Row rows[] = {
      {d_Date(2000, 3, 1), d_Date(2000, 2, 28), 2},
      {d_Date(2000, 2, 28), d_Date(2000, 3, 1), -2},
      {d_Date(2000, 1, 1), d_Date(2000, 1, 1), 0},
      {d_Date(2001, 1, 1), d_Date(2000, 1, 1), 366},
      {d_Date(2000, 2, 30), d_Date(2000, 3, 1), 0},  // the same day number
      {d_Date(1, 1, 1), d_Date(2000, 1, 1), kFirstDayNumber - kY2kDayNumber},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.difference);
    EXPECT_EQ(r.a != r.b, r.difference);
    EXPECT_EQ(r.a == r.b, r.difference == 0);
    EXPECT_EQ(r.a < r.b, r.difference < 0);
    EXPECT_EQ(r.a <= r.b, r.difference <= 0);
    EXPECT_EQ(r.a > r.b, r.difference > 0);
    EXPECT_EQ(r.a >= r.b, r.difference >= 0);
  }
}

// Rows of overlapping periods as day offsets; the same rows serve dates,
// times and timestamps.
struct OverlapRow {
  int a1, a2, b1, b2, overlaps;
};
const OverlapRow kOverlapRows[] = {
    {10, 1, 10, 32, 1},  // reversed, touching the other's start
    {1, 10, 10, 32, 1},  {1, 10, 11, 32, 0}, {11, 32, 1, 10, 0}, {11, 32, 10, 1, 0},
    {5, 6, 1, 32, 1},    {5, 6, 32, 1, 1},   {1, 32, 5, 6, 1},   {32, 1, 6, 5, 1},
    {1, 10, 5, 20, 1},   {10, 1, 20, 5, 1},  {1, 1, 1, 1, 1},    {1, 1, 2, 2, 0},
    {20, 30, 1, 19, 0},  {20, 30, 19, 1, 0}, {20, 30, 30, 31, 1},
};

TEST(dDateCalendar, Overlaps) {
  auto day = [](int n) { return d_Date(2000, static_cast<unsigned short>(n)); };
  for (const OverlapRow& r : kOverlapRows) {
    SCOPED_TRACE(testing::Message() << r.a1 << " " << r.a2 << " " << r.b1 << " " << r.b2);
    EXPECT_EQ(overlaps(day(r.a1), day(r.a2), day(r.b1), day(r.b2)), r.overlaps);
    EXPECT_EQ(overlaps(day(r.b1), day(r.b2), day(r.a1), day(r.a2)), r.overlaps);
  }
}

// ---- d_Interval ----

TEST(dIntervalValue, MagnitudesSummedThenNegatedAsAWhole) {
  struct Row {
    d_Interval interval;
    float seconds;
  };
  const Row rows[] = {
      {d_Interval(), 0},
      {d_Interval(1, -2, 0, 0), -93600},  // not 79200
      {d_Interval(1, 2, 3, 4.5f), 93784.5f},
      {d_Interval(-1, 2, 3, 4), -93784},
      {d_Interval(0, 0, 0, -30), -30},
      {d_Interval(0, 0, -1, 30), -90},
      {d_Interval(0, 25, 0, 0), 90000},
      {d_Interval(2, 0, 0, 0), 172800},
      {d_Interval(0, 0, 0, 0.25f), 0.25f},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.seconds);
    EXPECT_EQ(r.interval.SecondsGet(), r.seconds);
    EXPECT_EQ(r.interval.is_zero(), r.seconds == 0);
  }
}

TEST(dIntervalValue, ClockFieldsTruncateTowardZeroWithTheSign) {
  struct Row {
    d_Interval interval;
    int day, hour, minute;
    float second;
  };
  const Row rows[] = {
      {d_Interval(), 0, 0, 0, 0},
      {d_Interval(1, 2, 3, 4.5f), 1, 2, 3, 4.5f},
      {d_Interval(-1, 2, 3, 4.5f), -1, -2, -3, -4.5f},
      {d_Interval(0, 23, 59, 59), 0, 23, 59, 59},
      {d_Interval(0, 0, 0, -59.75f), 0, 0, 0, -59.75f},
      {d_Interval(3, 0, 0, 0), 3, 0, 0, 0},
      {d_Interval(0, 25, 61, 0), 1, 2, 1, 0},   // fields carry into the larger ones
      {d_Interval(0, -36, 0, 0), -1, -12, 0, 0},
      {d_Interval(0, 0, 0, 0.25f), 0, 0, 0, 0.25f},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.interval.SecondsGet());
    EXPECT_EQ(r.interval.day(), r.day);
    EXPECT_EQ(r.interval.hour(), r.hour);
    EXPECT_EQ(r.interval.minute(), r.minute);
    EXPECT_EQ(r.interval.second(), r.second);
  }
}

TEST(dIntervalValue, Arithmetic) {
  const d_Interval minus30(0, 0, 0, -30);
  const d_Interval hour(0, 1, 0, 0);
  struct Row {
    d_Interval result;
    float seconds;
  };
  const Row rows[] = {
      {-hour, -3600},
      {-minus30, 30},
      {hour + minus30, 3570},
      {minus30 - hour, -3630},
      {minus30 * 2, -60},
      {2 * minus30, -60},
      {hour * -3, -10800},
      {hour * 0, 0},
      {hour / 4, 900},
      {minus30 / -4, 7.5f},
      {hour / 0, 3600},  // dividing by 0 gives the interval back
      {minus30 / 0, -30},
      {d_Interval(0, 0, 0, 1) / 3, 1.0f / 3.0f},
  };
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(rows[i].result.SecondsGet(), rows[i].seconds);
  }
  d_Interval copy;
  copy = minus30;
  EXPECT_EQ(copy.SecondsGet(), -30);
  EXPECT_EQ(copy == minus30, 1);
  EXPECT_EQ(copy < hour, 1);
  EXPECT_EQ(copy > hour, 0);
}

// ---- d_Time ----

using dTimeConstruction = ZoneTest;
TEST_F(dTimeConstruction, HeldWithTheZoneAdded) {
  struct Row {
    int zone;
    d_Time (*make)();
    Held held;
  };
  const Row rows[] = {
      {0, [] { return d_Time(10, 30, 15.25f); }, {0, 0, 10, 30, 15, 25}},
      {0, [] { return d_Time(10, 30, 15.29f); }, {0, 0, 10, 30, 15, 28}},  // truncated
      {2, [] { return d_Time(10, 0, 0); }, {2, 0, 12, 0, 0, 0}},
      {2, [] { return d_Time(10, 30, 15.25f, -5, 30); }, {-5, 30, 5, 60, 15, 25}},
      {0, [] { return d_Time(2, 0, 0, -5, 0); }, {-5, 0, -3, 0, 0, 0}},
      {0, [] { return d_Time(-1L); }, {0, 0, 23, 59, 59, 0}},
      {0, [] { return d_Time(90000L); }, {0, 0, 25, 0, 0, 0}},
      {0, [] { return d_Time(3661L); }, {0, 0, 1, 1, 1, 0}},
      {0, [] { return d_Time(-86400L); }, {0, 0, 0, 0, 0, 0}},
      {0, [] { return d_Time(-86401L); }, {0, 0, 23, 59, 59, 0}},
      {0, [] { return d_Time(-172801L); }, {0, 0, 23, 59, 59, 0}},
      {2, [] { return d_Time(-1L); }, {2, 0, 25, 59, 59, 0}},
      {-5, [] { return d_Time(3600L); }, {-5, 0, -4, 0, 0, 0}},
      {2, [] { return d_Time(KvTime(10, 0, 0)); }, {2, 0, 12, 0, 0, 0}},
      {2, [] { return d_Time(KvDateTime(KvDate(2000, 1, 1), KvTime(10, 0, 0))); },
       {2, 0, 12, 0, 0, 0}},
      {2, [] { d_Time t(1, 1, 1.5f, 7, 7); t = KvTime(10, 0, 0); return t; }, {2, 0, 10, 0, 0, 0}},
      {2, [] { d_Time t(1, 1, 1.5f, 7, 7); t = KvDateTime(KvDate(2000, 1, 1), KvTime(10, 0, 0));
         return t; }, {2, 0, 10, 0, 0, 0}},
      {0, [] { return d_Time(d_Timestamp(d_Date(2000, 1, 1), d_Time(1, 2, 3.5f, 4, 5))); },
       {4, 5, 5, 7, 3, 50}},
      {0, [] { d_Time t(9, 9, 9); t = d_Timestamp(d_Date(2000, 1, 1), d_Time(1, 2, 3.5f, 4, 5));
         return t; }, {4, 5, 5, 7, 3, 50}},
  };
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    SCOPED_TRACE(i);
    d_Time::set_default_Time_Zone(static_cast<d_Time::Time_Zone>(rows[i].zone));
    EXPECT_EQ(HeldOf(rows[i].make()), rows[i].held);
  }
  d_Time::set_default_Time_Zone(d_Time::GMT2);
  const d_Time t(10, 30, 15.25f);
  EXPECT_EQ(t.hour(), 10);
  EXPECT_EQ(t.minute(), 30);
  EXPECT_EQ(t.second(), 15.25f);
  EXPECT_EQ(t.tz_hour(), 2);
  EXPECT_EQ(t.tz_minute(), 0);
  d_Time self = t;
  self = *&self;
  EXPECT_EQ(HeldOf(self), (Held{2, 0, 12, 30, 15, 25}));
}

using dTimeArithmetic = ZoneTest;
TEST_F(dTimeArithmetic, AroundTheClockKeepingTheZone) {
  enum Op { kPlusAssign, kMinusAssign, kPlus, kMinus };
  struct Row {
    d_Time time;
    Op op;
    d_Interval interval;
    Held held;
  };
  const Row rows[] = {
      {d_Time(10, 30, 15.25f), kPlusAssign, d_Interval(0, 14), {0, 0, 0, 30, 15, 25}},
      {d_Time(10, 30, 15.25f), kMinusAssign, d_Interval(0, 11), {0, 0, 23, 30, 15, 0}},
      {d_Time(10, 30, 15.25f), kPlus, d_Interval(0, 14), {0, 0, 0, 30, 15, 0}},
      {d_Time(10, 30, 15.25f), kMinus, d_Interval(0, 11), {0, 0, 23, 30, 15, 0}},
      {d_Time(23, 59, 59), kPlusAssign, d_Interval(0, 0, 0, 1), {0, 0, 0, 0, 0, 0}},
      {d_Time(0, 0, 0), kMinusAssign, d_Interval(0, 0, 0, 1), {0, 0, 23, 59, 59, 0}},
      {d_Time(0, 0, 0), kPlusAssign, d_Interval(-3, -1), {0, 0, 23, 0, 0, 0}},
      {d_Time(0, 0, 0), kMinus, d_Interval(10, 0, 0, 0.5f), {0, 0, 23, 59, 59, 50}},
      {d_Time(10, 0, 0.5f), kPlusAssign, d_Interval(0, 0, 0, 0.75f), {0, 0, 10, 0, 1, 25}},
      {d_Time(10, 0, 0.5f), kPlus, d_Interval(0, 0, 0, 0.75f), {0, 0, 10, 0, 0, 75}},
      {d_Time(10, 0, 0, 2, 0), kPlusAssign, d_Interval(0, 13), {2, 0, 1, 0, 0, 0}},
      {d_Time(10, 0, 0, 2, 30), kPlus, d_Interval(0, 0, 1), {2, 30, 12, 31, 0, 0}},
      // The held hour -3 makes the whole interval negative before the move.
      {d_Time(2, 0, 0, -5, 0), kPlusAssign, d_Interval(0, 1), {-5, 0, 22, 0, 0, 0}},
      {d_Time(10, 0, 0), kPlusAssign, d_Interval(3, 0, 0, 0), {0, 0, 10, 0, 0, 0}},
      // Thousands of days back are reduced to one day at once, not a day a
      // step.
      {d_Time(10, 0, 0), kPlusAssign, d_Interval(-2000, 0, 0, 0), {0, 0, 10, 0, 0, 0}},
      // The sum is a float: 36000 - 8.64e9 rounds to -8639964160 seconds.
      {d_Time(10, 0, 0), kMinus, d_Interval(100000, 0, 0, 0), {0, 0, 9, 57, 20, 0}},
  };
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    SCOPED_TRACE(i);
    const Row& r = rows[i];
    d_Time t = r.time;
    switch (r.op) {
      case kPlusAssign:
        EXPECT_EQ(&(t += r.interval), &t);
        break;
      case kMinusAssign:
        EXPECT_EQ(&(t -= r.interval), &t);
        break;
      case kPlus:
        t = r.time + r.interval;
        EXPECT_EQ(HeldOf(r.interval + r.time), r.held);
        break;
      case kMinus:
        t = r.time - r.interval;
        break;
    }
    EXPECT_EQ(HeldOf(t), r.held);
  }

  struct DiffRow {
    d_Time a, b;
    float seconds;
  };
  const DiffRow diffs[] = {
      {d_Time(10, 0, 0), d_Time(8, 30, 15.5f), 5385},  // hundredths play no part
      {d_Time(8, 30, 15), d_Time(10, 0, 0), -5385},
      {d_Time(10, 0, 0, 2, 0), d_Time(10, 0, 0), 7200},  // held hours
      {d_Time(1, 0, 0), d_Time(23, 0, 0), -79200},
  };
  for (const DiffRow& r : diffs) {
    SCOPED_TRACE(r.seconds);
    EXPECT_EQ((r.a - r.b).SecondsGet(), r.seconds);
  }
}

TEST(dTimeOrder, ZoneFreeFieldsThenWholeSeconds) {
  d_Time beforeMidnight(0, 0, 0, 2, 0);
  beforeMidnight -= d_Interval(0, 1);  // held hour 1 in zone 2: zone-free hour -1
  struct Row {
    d_Time a, b;
    long order;
  };
  const Row rows[] = {
      {d_Time(10, 0, 0.1f), d_Time(10, 0, 0.9f), 0},  // within the same second
      {d_Time(10, 0, 0.9f), d_Time(10, 0, 0.1f), 0},
      {d_Time(10, 0, 0.9f), d_Time(10, 0, 1.05f), -1},  // less apart, but the next second
      {d_Time(10, 0, 0.1f), d_Time(10, 0, 1.05f), -1},
      {d_Time(10, 0, 0.1f), d_Time(10, 0, 1.2f), -1},
      {d_Time(10, 0, 5), d_Time(10, 0, 1), 4},
      {d_Time(11, 0, 0), d_Time(10, 59, 59), 1},
      {d_Time(10, 5, 0), d_Time(10, 0, 0), 5},
      {d_Time(8, 0, 0), d_Time(10, 0, 0), -2},
      {d_Time(10, 0, 0, 2, 0), d_Time(10, 0, 0), 0},
      {d_Time(10, 15, 0, 0, 30), d_Time(10, 15, 0), 0},
      {beforeMidnight, d_Time(23, 0, 0), 65535 - 23},  // unsigned 16-bit hours
  };
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    SCOPED_TRACE(i);
    const Row& r = rows[i];
    EXPECT_EQ(r.a != r.b, r.order);
    EXPECT_EQ(r.a == r.b, r.order == 0);
    EXPECT_EQ(r.a < r.b, r.order < 0);
    EXPECT_EQ(r.a > r.b, r.order > 0);
  }
}

TEST(dTimeOrder, Overlaps) {
  auto at = [](int n) { return d_Time(static_cast<long>(n) * 600); };  // ten-minute steps
  for (const OverlapRow& r : kOverlapRows) {
    SCOPED_TRACE(testing::Message() << r.a1 << " " << r.a2 << " " << r.b1 << " " << r.b2);
    EXPECT_EQ(overlaps(at(r.a1), at(r.a2), at(r.b1), at(r.b2)), r.overlaps);
  }
}

using dTimeZone = ZoneTest;
TEST_F(dTimeZone, LocalZoneFromTheClock) {
  struct Row {
    int32_t offset;
    int zone;  // the default zone after the call
  };
  const Row rows[] = {
      {0, 0}, {7200, 2}, {0, 2}, {-18000, -5}, {5400, 1}, {-5400, -1}, {0, -1}, {3599, 0},
  };
  const bdate today = {2001, 5, 7};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.offset);
    const btime now = {13, 45, 30, 0, r.offset};
    KvSetClockOverride(&today, &now);
    d_Time::set_default_Time_Zone_to_local();
    EXPECT_EQ(d_Time(0, 0, 0).tz_hour(), r.zone);
  }
  d_Time::set_default_Time_Zone(d_Time::GMT3);
  const btime zero = {13, 45, 30, 0, 0};
  KvSetClockOverride(&today, &zero);
  d_Time::set_default_Time_Zone_to_local();  // a zero offset keeps an earlier zone
  EXPECT_EQ(d_Time(0, 0, 0).tz_hour(), 3);
  KvSetClockOverride(nullptr, nullptr);
}

// ---- d_Timestamp ----

using dTimestampArithmetic = ZoneTest;
TEST_F(dTimestampArithmetic, WholeDaysCarryIntoTheDate) {
  struct Row {
    d_Date date;
    d_Time time;
    float seconds;  // added; negative rows also subtract the magnitude
    int y, m, d;
    Held held;
  };
  const Row rows[] = {
      {d_Date(2000, 1, 31), d_Time(23, 30, 0), 3600, 2000, 2, 1, {0, 0, 0, 30, 0, 0}},
      {d_Date(2000, 3, 1), d_Time(0, 10, 0), -1200, 2000, 2, 29, {0, 0, 23, 50, 0, 0}},
      {d_Date(2000, 3, 1), d_Time(0, 0, 0), -86400, 2000, 2, 29, {0, 0, 0, 0, 0, 0}},
      // Exact multiples of a day back give the true date at midnight.
      {d_Date(2000, 3, 1), d_Time(0, 0, 0), -172800, 2000, 2, 28, {0, 0, 0, 0, 0, 0}},
      {d_Date(2000, 3, 1), d_Time(0, 0, 0), -259200, 2000, 2, 27, {0, 0, 0, 0, 0, 0}},
      {d_Date(2000, 3, 15), d_Time(0, 0, 0), -1728000, 2000, 2, 24, {0, 0, 0, 0, 0, 0}},
      {d_Date(2000, 3, 1), d_Time(0, 0, 0, 2, 0), -172800, 2000, 2, 28, {2, 0, 2, 0, 0, 0}},
      {d_Date(2000, 3, 1), d_Time(0, 0, 0), -172799, 2000, 2, 28, {0, 0, 0, 0, 1, 0}},
      {d_Date(2000, 3, 1), d_Time(0, 0, 0), -172801, 2000, 2, 27, {0, 0, 23, 59, 59, 0}},
      {d_Date(2000, 3, 1), d_Time(0, 0, 0), -172799.75f, 2000, 2, 28, {0, 0, 0, 0, 0, 25}},
      {d_Date(2000, 3, 1), d_Time(0, 0, 0), -172800.5f, 2000, 2, 27, {0, 0, 23, 59, 59, 50}},
      {d_Date(2000, 3, 15), d_Time(12, 0, 0), -1728000, 2000, 2, 24, {0, 0, 12, 0, 0, 0}},
      {d_Date(2000, 3, 1), d_Time(0, 0, 0), 172800, 2000, 3, 3, {0, 0, 0, 0, 0, 0}},
      {d_Date(2000, 1, 31), d_Time(0, 0, 0), 2592000, 2000, 3, 1, {0, 0, 0, 0, 0, 0}},
      {d_Date(1999, 12, 31), d_Time(23, 59, 59.5f), 0.5f, 2000, 1, 1, {0, 0, 0, 0, 0, 0}},
      {d_Date(2000, 1, 1), d_Time(10, 0, 0.5f), 0.25f, 2000, 1, 1, {0, 0, 10, 0, 0, 75}},
      {d_Date(1582, 10, 4), d_Time(12, 0, 0), 86400, 1582, 10, 15, {0, 0, 12, 0, 0, 0}},
      {d_Date(1582, 10, 15), d_Time(12, 0, 0), -86400, 1582, 10, 4, {0, 0, 12, 0, 0, 0}},
      {d_Date(2000, 1, 1), d_Time(23, 0, 0, 2, 0), 3600, 2000, 1, 2, {2, 0, 2, 0, 0, 0}},
  };
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    SCOPED_TRACE(i);
    const Row& r = rows[i];
    const d_Timestamp start(r.date, r.time);
    const d_Interval interval(0, 0, 0, r.seconds);
    const d_Interval magnitude = r.seconds < 0 ? -interval : interval;
    d_Timestamp results[5] = {start + interval, interval + start, start, start, start};
    results[2] += interval;
    if (r.seconds < 0) {
      results[3] -= magnitude;
      results[4] = start - magnitude;
    } else {
      results[3] -= -interval;
      results[4] = start - -interval;
    }
    for (const d_Timestamp& ts : results) {
      ExpectDate(ts.date(), r.y, r.m, r.d);
      EXPECT_EQ(HeldOf(ts.time()), r.held);
    }
  }
}

using dTimestampValue = ZoneTest;
TEST_F(dTimestampValue, ConstructionOrderAndOverlaps) {
  d_Time::set_default_Time_Zone(d_Time::GMT2);
  const d_Timestamp fields(2000, 2, 29, 10, 30, 15.5f);
  ExpectDate(fields.date(), 2000, 2, 29);
  EXPECT_EQ(HeldOf(fields.time()), (Held{2, 0, 12, 30, 15, 50}));
  EXPECT_EQ(HeldOf(d_Timestamp(d_Date(2000, 1, 1)).time()), (Held{2, 0, 2, 0, 0, 0}));

  d_Timestamp ts(d_Date(2000, 1, 1), d_Time(1, 2, 3));
  ts = d_Date(2001, 5, 7);
  ExpectDate(ts.date(), 2001, 5, 7);
  EXPECT_EQ(HeldOf(ts.time()), (Held{2, 0, 3, 2, 3, 0}));
  ts = KvDateTime(KvDate(2002, 6, 8), KvTime(10, 0, 0));  // the hour is not shifted
  ExpectDate(ts.date(), 2002, 6, 8);
  EXPECT_EQ(HeldOf(ts.time()), (Held{2, 0, 10, 0, 0, 0}));
  ts = *&ts;
  ExpectDate(ts.date(), 2002, 6, 8);

  struct Row {
    d_Timestamp a, b;
    long order;
  };
  const Row rows[] = {
      {d_Timestamp(2000, 1, 2, 1), d_Timestamp(2000, 1, 1, 23), 1},
      {d_Timestamp(2000, 1, 1, 1), d_Timestamp(2000, 1, 3, 0), -2},
      {d_Timestamp(2000, 1, 1, 10), d_Timestamp(2000, 1, 1, 8), 2},
      {d_Timestamp(2000, 1, 1, 10, 0, 0.2f), d_Timestamp(2000, 1, 1, 10, 0, 0.7f), 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.order);
    EXPECT_EQ(r.a != r.b, r.order);
    EXPECT_EQ(r.a == r.b, r.order == 0);
    EXPECT_EQ(r.a < r.b, r.order < 0);
    EXPECT_EQ(r.a > r.b, r.order > 0);
  }

  // Hours of 2000-01-01 onward, so that both dates and times take part.
  auto at = [](int n) { return d_Timestamp(2000, 1, 1) + d_Interval(0, n * 7); };
  for (const OverlapRow& r : kOverlapRows) {
    SCOPED_TRACE(testing::Message() << r.a1 << " " << r.a2 << " " << r.b1 << " " << r.b2);
    EXPECT_EQ(overlaps(at(r.a1), at(r.a2), at(r.b1), at(r.b2)), r.overlaps);
  }
}

TEST(dTimestampOverlaps, WithDatesAndTimes) {
  const d_Timestamp mornJan10(2000, 1, 10, 8), nightJan10(2000, 1, 10, 22);
  const d_Timestamp jan1(2000, 1, 1, 12), feb1(2000, 2, 1, 6);
  struct DateRow {
    d_Timestamp a1, a2;
    d_Date b1, b2;
    int overlaps;
  };
  const DateRow dateRows[] = {
      {jan1, mornJan10, d_Date(2000, 1, 10), d_Date(2000, 2, 1), 1},  // touching dates
      {mornJan10, jan1, d_Date(2000, 1, 10), d_Date(2000, 2, 1), 1},
      {jan1, mornJan10, d_Date(2000, 1, 11), d_Date(2000, 2, 1), 0},
      {jan1, mornJan10, d_Date(2000, 2, 1), d_Date(2000, 1, 11), 0},
      {nightJan10, mornJan10, d_Date(2000, 1, 10), d_Date(2000, 1, 10), 1},
      {mornJan10, nightJan10, d_Date(2000, 1, 9), d_Date(2000, 1, 9), 0},
      {mornJan10, mornJan10, d_Date(2000, 1, 1), d_Date(2000, 2, 1), 1},
      {jan1, feb1, d_Date(2000, 1, 5), d_Date(2000, 1, 6), 1},
  };
  for (size_t i = 0; i < sizeof dateRows / sizeof dateRows[0]; ++i) {
    SCOPED_TRACE(i);
    const DateRow& r = dateRows[i];
    EXPECT_EQ(overlaps(r.a1, r.a2, r.b1, r.b2), r.overlaps);
    EXPECT_EQ(overlaps(r.b1, r.b2, r.a1, r.a2), r.overlaps);
  }

  struct TimeRow {
    d_Timestamp a1, a2;
    d_Time b1, b2;
    int overlaps;
  };
  const TimeRow timeRows[] = {
      {mornJan10, nightJan10, d_Time(22, 0, 0), d_Time(23, 0, 0), 1},  // touching
      {nightJan10, mornJan10, d_Time(22, 0, 0), d_Time(23, 0, 0), 1},
      {mornJan10, nightJan10, d_Time(22, 0, 1), d_Time(23, 0, 0), 0},
      {mornJan10, nightJan10, d_Time(7, 0, 0), d_Time(6, 0, 0), 0},
      {mornJan10, nightJan10, d_Time(7, 0, 0), d_Time(23, 0, 0), 1},
      {mornJan10, nightJan10, d_Time(12, 0, 0), d_Time(13, 0, 0), 1},
      // The dates order this period, and its times run backwards: 12:00 to 06:00.
      {jan1, feb1, d_Time(7, 0, 0), d_Time(8, 0, 0), 1},
      {jan1, feb1, d_Time(3, 0, 0), d_Time(4, 0, 0), 0},
      {feb1, jan1, d_Time(13, 0, 0), d_Time(14, 0, 0), 0},
  };
  for (size_t i = 0; i < sizeof timeRows / sizeof timeRows[0]; ++i) {
    SCOPED_TRACE(i);
    const TimeRow& r = timeRows[i];
    EXPECT_EQ(overlaps(r.a1, r.a2, r.b1, r.b2), r.overlaps);
    EXPECT_EQ(overlaps(r.b1, r.b2, r.a1, r.a2), r.overlaps);
  }
}

// ---- The clock ----

using dDateClock = ZoneTest;
TEST_F(dDateClock, DefaultsReadThePinnedClock) {
  const bdate today = {2001, 5, 7};
  const btime now = {13, 45, 30, 0, 3600};
  KvSetClockOverride(&today, &now);
  d_Time::set_default_Time_Zone(d_Time::GMT2);

  ExpectDate(d_Date(), 2001, 5, 7);
  ExpectDate(d_Date::current(), 2001, 5, 7);
  const Held held = {2, 0, 15, 45, 30, 0};
  EXPECT_EQ(HeldOf(d_Time()), held);
  EXPECT_EQ(HeldOf(d_Time::current()), held);
  const d_Timestamp ts;
  ExpectDate(ts.date(), 2001, 5, 7);
  EXPECT_EQ(HeldOf(ts.time()), held);
  const d_Timestamp cur = d_Timestamp::current();
  ExpectDate(cur.date(), 2001, 5, 7);
  EXPECT_EQ(HeldOf(cur.time()), held);

  KvSetClockOverride(nullptr, nullptr);
}

}  // namespace
