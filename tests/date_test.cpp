// Facts about KvDate, KvTime and KvDateTime: the day number and weekday of
// every date of years 1 to 9999 beside the standard library's calendar, the
// unnormalised dates, validity, ordering with wildcards, the time of day
// arithmetic that wraps around midnight, and the values read from the clock.
#include <chrono>
#include <cstdint>
#include <string>

#include <gtest/gtest.h>

#include "kvtm/kvtm.h"
#include "test_util.h"

namespace {

// The Julian Day Number of a proleptic Gregorian date, by <chrono>.
long ChronoDayNumber(int y, unsigned m, unsigned d) {
  using namespace std::chrono;
  return sys_days{year_month_day{year{y}, month{m}, day{d}}}.time_since_epoch().count() + 2440588;
}

// Reaches the protected calendar helpers.
struct DateProbe : KvDate {
  DateProbe(short y, signed char m, signed char d) : KvDate(y, m, d) {}
  using KvDate::dayabs;
  using KvDate::daynxtmonth;
  using KvDate::divide;
  using KvDate::modulo;
};

struct Ymd {
  int y, m, d;
};

void ExpectDate(const KvDate& date, Ymd want) {
  EXPECT_EQ(date.YearGet(), want.y);
  EXPECT_EQ(date.MonthGet(), want.m);
  EXPECT_EQ(date.DayGet(), want.d);
}

struct Hms {
  int h, m, s;
};

void ExpectTime(const KvTime& time, Hms want) {
  EXPECT_EQ(time.HourGet(), want.h);
  EXPECT_EQ(time.MinuteGet(), want.m);
  EXPECT_EQ(time.SecondGet(), want.s);
}

KvTime TimeOf(Hms t) {
  return KvTime(static_cast<signed char>(t.h), static_cast<signed char>(t.m),
                static_cast<signed char>(t.s));
}

KvDate DateOf(Ymd d) {
  return KvDate(static_cast<short>(d.y), static_cast<signed char>(d.m),
                static_cast<signed char>(d.d));
}

// ---- Day numbers and weekdays ----

TEST(KvDateDayNumber, EveryDayOfYears1To9999AgainstChrono) {
  using namespace std::chrono;
  long expected = ChronoDayNumber(1, 1, 1);
  int failures = 0;
  for (int y = 1; y <= 9999; ++y) {
    for (unsigned m = 1; m <= 12; ++m) {
      const unsigned last = static_cast<unsigned>(
          year_month_day_last{year{y}, month_day_last{month{m}}}.day());
      for (unsigned d = 1; d <= last; ++d, ++expected) {
        const long jdn = ChronoDayNumber(y, m, d);
        const KvDate date(static_cast<short>(y), static_cast<signed char>(m),
                          static_cast<signed char>(d));
        const KvDate back(jdn);
        const bool ok = jdn == expected && static_cast<long>(date) == jdn &&
                        back.YearGet() == y && back.MonthGet() == static_cast<int>(m) &&
                        back.DayGet() == static_cast<int>(d) &&
                        date.DayOfTheDate() == jdn % 7;
        if (!ok && ++failures <= 5) {
          ADD_FAILURE() << y << "-" << m << "-" << d << ": chrono " << jdn << ", number "
                        << static_cast<long>(date) << ", back " << back.YearGet() << "-"
                        << int{back.MonthGet()} << "-" << int{back.DayGet()} << ", weekday "
                        << date.DayOfTheDate();
        }
      }
    }
  }
  EXPECT_EQ(failures, 0);
  EXPECT_EQ(expected, ChronoDayNumber(9999, 12, 31) + 1);
}

TEST(KvDateDayNumber, ReferenceAndUnnormalisedDates) {
  struct Row {
    Ymd date;
    long number;
    Ymd normalised;  // the date of that number
  };
  const Row rows[] = {
      {{2000, 1, 1}, 2451545, {2000, 1, 1}},
      {{1970, 1, 1}, 2440588, {1970, 1, 1}},
      {{1, 1, 1}, 1721426, {1, 1, 1}},
      {{1582, 10, 15}, 2299161, {1582, 10, 15}},
      {{1582, 10, 10}, 2299156, {1582, 10, 10}},  // proleptic: no missing days
      {{9999, 12, 31}, 5373484, {9999, 12, 31}},
      {{1999, 13, 1}, 2451545, {2000, 1, 1}},     // month 13: January next year
      {{2001, 4, 31}, 2452031, {2001, 5, 1}},
      {{2000, 2, 30}, 2451605, {2000, 3, 1}},
      {{1900, 2, 29}, 2415080, {1900, 3, 1}},
      {{2000, 1, 0}, 2451544, {1999, 12, 31}},
      {{2000, 3, 0}, 2451604, {2000, 2, 29}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << r.date.y << "-" << r.date.m << "-" << r.date.d);
    const KvDate date = DateOf(r.date);
    EXPECT_EQ(static_cast<long>(date), r.number);
    ExpectDate(KvDate(r.number), r.normalised);
    ExpectDate(date + 0L, r.normalised);
  }
}

TEST(KvDateDayNumber, FarFromTheCalendarAsA32BitBuild) {
  // Fields out of range and years before -4799, where the quotients turn
  // negative and truncate toward zero.
  struct NumberRow {
    Ymd date;
    long number;
  };
  const NumberRow numbers[] = {
      {{2000, 0, 1}, 2451514},         {{2000, -1, 1}, 2451484},
      {{2000, 14, 1}, 2451942},        {{-4713, 11, 24}, 0},
      {{-4713, 1, 1}, -327},           {{-4799, 1, 1}, -31738},
      {{-4800, 3, 1}, -32044},         {{-4800, 1, 1}, -32103},  // -32104 by the calendar
      {{32767, 127, 127}, 13692923},   {{-32768, -128, -128}, -10251263},
  };
  for (const NumberRow& r : numbers) {
    SCOPED_TRACE(testing::Message() << r.date.y << "-" << r.date.m << "-" << r.date.d);
    EXPECT_EQ(static_cast<long>(DateOf(r.date)), r.number);
  }

  // Day numbers whose steps pass 2^31 wrap as in 32 bits; the fields keep
  // the low bits.
  struct DateRow {
    long number;
    Ymd date;
  };
  const DateRow dates[] = {
      {-68569, {-4900, 3, 1}},         {-68570, {-4900, 2, 30}},
      {536802342, {23210, 10, 17}},    {536802343, {32526, -4, -18}},
      {600000000, {8947, 0, -27}},     {-600000000, {-18372, 12, 16}},
      {-536940000, {23209, 5, 17}},    {2147483647, {-4713, 11, 23}},
      {-2147483647 - 1, {-4713, 11, 24}},
      {LongOf(4294967296 + 2451545), {2000, 1, 1}},  // a long argument counts in 32 bits
  };
  for (const DateRow& r : dates) {
    SCOPED_TRACE(r.number);
    ExpectDate(KvDate(r.number), r.date);
  }
}

TEST(KvDateDayNumber, TruncatingDivisionAndMonthEnds) {
  struct DivRow {
    long a, b, quotient, remainder;
  };
  const DivRow divisions[] = {
      {7, 2, 3, 1}, {-7, 2, -3, -1}, {7, -2, -3, 1}, {-7, -2, 3, -1}, {6, 3, 2, 0}, {-1, 7, 0, -1},
  };
  for (const DivRow& r : divisions) {
    SCOPED_TRACE(testing::Message() << r.a << " / " << r.b);
    EXPECT_EQ(DateProbe::divide(r.a, r.b), r.quotient);
    EXPECT_EQ(DateProbe::modulo(r.a, r.b), r.remainder);
  }

  struct MonthRow {
    Ymd date;
    long toNextMonth;
  };
  const MonthRow months[] = {
      {{2000, 2, 28}, 2},  {{2000, 2, 29}, 1}, {{1900, 2, 28}, 1}, {{2000, 12, 31}, 1},
      {{2001, 4, 31}, 0},  {{2001, 1, 1}, 31}, {{2000, 2, 30}, 0}, {{2000, 2, 31}, -1},
  };
  for (const MonthRow& r : months) {
    SCOPED_TRACE(testing::Message() << r.date.y << "-" << r.date.m << "-" << r.date.d);
    const DateProbe probe(static_cast<short>(r.date.y), static_cast<signed char>(r.date.m),
                          static_cast<signed char>(r.date.d));
    EXPECT_EQ(probe.daynxtmonth(), r.toNextMonth);
  }
  EXPECT_EQ(DateProbe(1999, 13, 1).dayabs(), DateProbe(2000, 1, 1).dayabs());
}

TEST(KvDateWeekday, NamesAndDaysBeyondTheWeek) {
  struct Row {
    Ymd date;
    int weekday;
    const char* name;
  };
  const Row rows[] = {
      {{2000, 1, 1}, KvSATURDAY, "Saturday"},
      {{2000, 1, 2}, KvSUNDAY, "Sunday"},
      {{2001, 1, 1}, KvMONDAY, "Monday"},
      {{2000, 2, 29}, KvTUESDAY, "Tuesday"},
      {{1, 1, 1}, KvMONDAY, "Monday"},
      {{4600, 2, 28}, KvFRIDAY, "Friday"},
      {{4600, 3, 1}, KvSATURDAY, "Saturday"},  // the congruence's sum is negative from here
      {{9999, 12, 31}, KvFRIDAY, "Friday"},
      {{0, 1, -128}, 7, "no day"},  // a negative remainder below year 1: no weekday
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const KvDate date = DateOf(r.date);
    EXPECT_EQ(date.DayOfTheDate(), r.weekday);
    EXPECT_STREQ(date.PrintDayOfTheDate().StrGet(), r.name);
  }

  const char* const months[] = {"Januar", "Februar", "March",     "April",   "May",      "June",
                                "July",   "August",  "September", "October", "November", "December"};
  for (int i = 0; i < 12; ++i) EXPECT_STREQ(KvMonthName(i), months[i]);
  const char* const days[] = {"Monday", "Tuesday", "Wednesday", "Thursday",
                              "Friday", "Saturday", "Sunday"};
  for (int i = 0; i < 7; ++i) EXPECT_STREQ(KvWeekdayName(i), days[i]);
  EXPECT_STREQ(KvWeekdayName(7), "no day");
  EXPECT_STREQ(KvWeekdayName(-1), "no day");
}

// ---- Validity, arithmetic, ordering ----

TEST(KvDateValidity, DayMustExistInItsMonth) {
  struct Row {
    Ymd date;
    unsigned short isDate, isLast;
  };
  const Row rows[] = {
      {{2000, 2, 29}, 1, 1}, {{1900, 2, 28}, 1, 1}, {{1900, 2, 29}, 0, 0},
      {{1600, 2, 29}, 1, 1}, {{2000, 2, 30}, 0, 0}, {{2001, 4, 31}, 0, 0},
      {{2001, 4, 30}, 1, 1}, {{2001, 12, 31}, 1, 1}, {{2001, 12, 30}, 1, 0},
      {{2001, 0, 1}, 0, 0},  {{2001, 13, 1}, 0, 0},  {{2001, 1, 0}, 0, 0},
      {{2001, 1, 32}, 0, 0}, {{2001, -1, 5}, 0, 0},  {{1582, 10, 10}, 1, 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << r.date.y << "-" << r.date.m << "-" << r.date.d);
    const KvDate date = DateOf(r.date);
    EXPECT_EQ(date.IsDate(), r.isDate);
    EXPECT_EQ(date.IsLastDayOfTheMonth(), r.isLast);
  }
}

TEST(KvDateArithmetic, ThroughTheDayNumber) {
  struct Row {
    Ymd date;
    long days;
    Ymd later;    // date + days, also by +=
    Ymd earlier;  // date - days, also by -=
  };
  const Row rows[] = {
      {{2000, 2, 28}, 1, {2000, 2, 29}, {2000, 2, 27}},
      {{2000, 3, 1}, 1, {2000, 3, 2}, {2000, 2, 29}},
      {{1999, 12, 31}, 1, {2000, 1, 1}, {1999, 12, 30}},
      {{2000, 2, 30}, 0, {2000, 3, 1}, {2000, 3, 1}},
      {{2000, 1, 1}, 366, {2001, 1, 1}, {1998, 12, 31}},
      {{2000, 1, 1}, -31, {1999, 12, 1}, {2000, 2, 1}},
      {{1582, 10, 15}, 1, {1582, 10, 16}, {1582, 10, 14}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << r.date.y << "-" << r.date.m << "-" << r.date.d << " "
                                    << r.days);
    const KvDate date = DateOf(r.date);
    ExpectDate(date + r.days, r.later);
    ExpectDate(date - r.days, r.earlier);
    KvDate d = date;
    ExpectDate(d += r.days, r.later);
    ExpectDate(d, r.later);
    d = date;
    ExpectDate(d -= r.days, r.earlier);
    ExpectDate(d, r.earlier);
    if (r.days == 1) {
      d = date;
      ExpectDate(++d, r.later);
      d = date;
      ExpectDate(--d, r.earlier);
    }
    EXPECT_EQ(DateOf(r.later) - date, static_cast<long>(DateOf(r.later)) - static_cast<long>(date));
  }
  EXPECT_EQ(KvDate(2000, 3, 1) - KvDate(2000, 2, 28), 2);
  EXPECT_EQ(KvDate(2000, 2, 28) - KvDate(2000, 3, 1), -2);

  KvDate self(2000, 2, 30);
  self = *&self;
  ExpectDate(self, {2000, 2, 30});
  ExpectDate(KvDate(self), {2000, 2, 30});
}

TEST(KvDateOrder, WildcardsSkipTheirField) {
  struct Row {
    Ymd a, b;
    long difference;
    unsigned short equal;
  };
  const Row rows[] = {
      {{2010, 5, 3}, {2010, 5, 3}, 0, 1},
      {{-1, 5, 3}, {2010, 5, 3}, 0, 0},  // a wildcard orders, never equals
      {{2010, 5, 3}, {-1, 5, 3}, 0, 0},
      {{2010, -1, 3}, {2010, 7, 3}, 0, 0},
      {{2010, 5, -1}, {2010, 5, 9}, 0, 0},
      {{-1, -1, -1}, {1999, 12, 31}, 0, 0},
      {{-1, -1, -1}, {-1, -1, -1}, 0, 1},
      {{-1, 12, 1}, {2010, 5, 3}, 7, 0},
      {{2010, -1, 1}, {2011, 5, 3}, -1, 0},
      {{2010, 5, 3}, {2011, 1, 1}, -1, 0},
      {{2010, 5, 3}, {2010, 7, 1}, -2, 0},
      {{2010, 5, 9}, {2010, 5, 3}, 6, 0},
      {{2010, 2, 31}, {2010, 3, 3}, -1, 0},  // fields, not day numbers
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << r.a.y << "-" << r.a.m << "-" << r.a.d << " vs " << r.b.y
                                    << "-" << r.b.m << "-" << r.b.d);
    const KvDate a = DateOf(r.a), b = DateOf(r.b);
    EXPECT_EQ(a != b, r.difference);
    EXPECT_EQ(a < b, r.difference < 0);
    EXPECT_EQ(a > b, r.difference > 0);
    EXPECT_EQ(a == b, r.equal);
  }
}

// ---- KvTime ----

TEST(KvTimeSeconds, SplitWithoutReductionToOneDay) {
  struct Row {
    long seconds;
    Hms time;
  };
  const Row rows[] = {
      {0, {0, 0, 0}},       {3661, {1, 1, 1}},        {86399, {23, 59, 59}},
      {86400, {24, 0, 0}},  {90000, {25, 0, 0}},      {-1, {0, 0, -1}},
      {-3661, {-1, -1, -1}}, {45296, {12, 34, 56}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.seconds);
    const KvTime t(r.seconds);
    ExpectTime(t, r.time);
    EXPECT_EQ(static_cast<long>(t), r.seconds);
  }
}

TEST(KvTimeArithmetic, StaysATimeOfDay) {
  struct Row {
    Hms time;
    long seconds;
    Hms later;    // + seconds, also by +=
    Hms earlier;  // - seconds, also by -=
  };
  const Row rows[] = {
      {{23, 59, 59}, 1, {0, 0, 0}, {23, 59, 58}},
      {{0, 0, 0}, 1, {0, 0, 1}, {23, 59, 59}},
      {{10, 0, 0}, 86400, {10, 0, 0}, {10, 0, 0}},
      {{10, 0, 0}, 90061, {11, 1, 1}, {8, 58, 59}},
      {{12, 59, 30}, 45, {13, 0, 15}, {12, 58, 45}},
      {{23, 0, 0}, 7200, {1, 0, 0}, {21, 0, 0}},
      {{0, 0, 0}, 90000, {1, 0, 0}, {23, 0, 0}},
      {{1, 0, 0}, 172800, {1, 0, 0}, {1, 0, 0}},
      {{19, 38, 29}, 395997, {9, 38, 26}, {5, 38, 32}},  // in a byte: hour -127
      {{23, 59, 59}, INT32_MAX, {3, 14, 6}, {20, 45, 52}},
      {{10, 0, 0}, -30, {10, 0, -30}, {10, 0, 30}},   // negative counts are not raised
      {{10, 0, 0}, -3600, {9, 0, 0}, {11, 0, 0}},
      {{12, 0, 0}, -86401, {12, 0, -1}, {12, 0, 1}},  // whole days move nothing
      {{23, 0, 0}, -255600, {0, 0, 0}, {22, 0, 0}},
      {{0, 0, 0}, INT32_MIN, {-3, -14, -8}, {3, 14, 8}},
      {{12, 0, 0}, INT32_MIN, {9, -14, -8}, {15, 14, 8}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << r.time.h << ":" << r.time.m << ":" << r.time.s << " "
                                    << r.seconds);
    const KvTime t = TimeOf(r.time);
    ExpectTime(t + r.seconds, r.later);
    ExpectTime(t - r.seconds, r.earlier);
    KvTime u = t;
    ExpectTime(u += r.seconds, r.later);
    ExpectTime(u, r.later);
    u = t;
    ExpectTime(u -= r.seconds, r.earlier);
    ExpectTime(u, r.earlier);
    if (r.seconds == 1) {
      u = t;
      ExpectTime(++u, r.later);
      u = t;
      ExpectTime(--u, r.earlier);
    }
  }

  struct DiffRow {
    Hms a, b, difference;
  };
  const DiffRow diffs[] = {
      {{1, 0, 0}, {23, 0, 0}, {2, 0, 0}},     {{23, 0, 0}, {1, 0, 0}, {22, 0, 0}},
      {{0, 0, 0}, {0, 0, 1}, {23, 59, 59}},   {{12, 0, 0}, {1, 30, 30}, {10, 29, 30}},
      {{10, 30, 15}, {10, 30, 15}, {0, 0, 0}}, {{0, 0, 0}, {23, 59, 59}, {0, 0, 1}},
      {{100, 0, 0}, {-100, 0, 0}, {8, 0, 0}},  {{-128, 0, 0}, {127, 0, 0}, {9, 0, 0}},
  };
  for (const DiffRow& r : diffs) {
    SCOPED_TRACE(testing::Message() << r.a.h << ":" << r.a.m << ":" << r.a.s << " - " << r.b.h
                                    << ":" << r.b.m << ":" << r.b.s);
    ExpectTime(TimeOf(r.a) - TimeOf(r.b), r.difference);
  }
}

TEST(KvTimeOrder, SignedFieldsInTurn) {
  struct Row {
    Hms a, b;
    long order;
  };
  const Row rows[] = {
      {{10, 0, 0}, {10, 0, 0}, 0},   {{10, 0, 0}, {11, 0, 0}, -1}, {{11, 0, 0}, {10, 59, 59}, 1},
      {{10, 5, 0}, {10, 4, 59}, 1},  {{10, 5, 1}, {10, 5, 2}, -1}, {{-1, 0, 0}, {0, 0, 0}, -1},
      {{10, 0, 59}, {10, 0, -5}, 1},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << r.a.h << ":" << r.a.m << ":" << r.a.s << " vs " << r.b.h
                                    << ":" << r.b.m << ":" << r.b.s);
    const KvTime a = TimeOf(r.a), b = TimeOf(r.b);
    EXPECT_EQ(a != b, r.order);
    EXPECT_EQ(a < b, r.order < 0);
    EXPECT_EQ(a > b, r.order > 0);
    EXPECT_EQ(a == b, r.order == 0);
  }

  struct ValidRow {
    Hms time;
    unsigned short valid;
  };
  const ValidRow valid[] = {
      {{0, 0, 0}, 1},  {{23, 59, 59}, 1}, {{24, 0, 0}, 0},  {{0, 60, 0}, 0},
      {{0, 0, 60}, 0}, {{-1, 0, 0}, 0},   {{0, -1, 0}, 0},  {{0, 0, -1}, 0},
  };
  for (const ValidRow& r : valid) {
    SCOPED_TRACE(testing::Message() << r.time.h << ":" << r.time.m << ":" << r.time.s);
    EXPECT_EQ(TimeOf(r.time).IsTime(), r.valid);
  }
}

// ---- KvDateTime ----

TEST(KvDateTimeOrder, DateFirstThenTime) {
  struct Row {
    Ymd da;
    Hms ta;
    Ymd db;
    Hms tb;
    long order;
    unsigned short validA;
  };
  const Row rows[] = {
      {{2000, 1, 1}, {10, 0, 0}, {2000, 1, 1}, {10, 0, 0}, 0, 1},
      {{2000, 1, 1}, {23, 0, 0}, {2000, 1, 2}, {1, 0, 0}, -1, 1},
      {{2000, 1, 3}, {1, 0, 0}, {2000, 1, 1}, {23, 0, 0}, 2, 1},
      {{2000, 1, 1}, {10, 0, 1}, {2000, 1, 1}, {10, 0, 0}, 1, 1},
      {{-1, 1, 1}, {9, 0, 0}, {2000, 1, 1}, {10, 0, 0}, -1, 1},  // year wildcard: the time decides
      {{2000, 2, 30}, {10, 0, 0}, {2000, 3, 1}, {10, 0, 0}, -1, 0},
      {{2000, 1, 1}, {24, 0, 0}, {2000, 1, 1}, {23, 0, 0}, 1, 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << r.da.y << "-" << r.da.m << "-" << r.da.d << " " << r.ta.h
                                    << ":" << r.ta.m << ":" << r.ta.s);
    const KvDateTime a(DateOf(r.da), TimeOf(r.ta)), b(DateOf(r.db), TimeOf(r.tb));
    EXPECT_EQ(a != b, r.order);
    EXPECT_EQ(a.IsDaTime(), r.validA);
  }

  KvDateTime dt(KvDate(2000, 1, 1), KvTime(10, 0, 0));
  dt = KvTime(11, 30, 0);
  ExpectDate(dt.DateGet(), {2000, 1, 1});
  ExpectTime(dt.TimeGet(), {11, 30, 0});
  const KvDateTime copy(dt);
  ExpectDate(copy.DateGet(), {2000, 1, 1});
  ExpectTime(copy.TimeGet(), {11, 30, 0});
}

// ---- The clock ----

TEST(KvDateClock, DefaultsReadThePinnedClock) {
  const bdate today = {2001, 5, 7};
  const btime now = {13, 45, 30, 0, 3600};
  KvSetClockOverride(&today, &now);

  ExpectDate(KvDate(), {2001, 5, 7});
  KvDate d(1999, 1, 1);
  ExpectDate(d.Today(), {2001, 5, 7});
  ExpectDate(d, {2001, 5, 7});

  ExpectTime(KvTime(), {13, 45, 30});
  KvTime t(1, 2, 3);
  ExpectTime(t.Now(), {13, 45, 30});
  ExpectTime(t, {13, 45, 30});

  const KvDateTime both;
  ExpectDate(both.DateGet(), {2001, 5, 7});
  ExpectTime(both.TimeGet(), {13, 45, 30});
  const KvDateTime withDate{KvDate(2000, 2, 29)};
  ExpectDate(withDate.DateGet(), {2000, 2, 29});
  ExpectTime(withDate.TimeGet(), {13, 45, 30});
  const KvDateTime withTime{KvTime(8, 0, 0)};
  ExpectDate(withTime.DateGet(), {2001, 5, 7});
  ExpectTime(withTime.TimeGet(), {8, 0, 0});
  KvDateTime later(KvDate(2000, 1, 1), KvTime(1, 1, 1));
  later.Now();
  ExpectDate(later.DateGet(), {2001, 5, 7});
  ExpectTime(later.TimeGet(), {13, 45, 30});

  KvSetClockOverride(nullptr, nullptr);
}

}  // namespace
