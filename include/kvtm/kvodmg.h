// kvodmg.h — the ODMG date and time values: d_Date, d_Interval, d_Time,
// d_Timestamp.
#ifndef KVTM_KVODMG_H
#define KVTM_KVODMG_H

#include <cstdint>

#include "kvtm/export.h"
#include "kvtm/kvdate.h"

class d_Date;
class d_Interval;
class d_Time;
class d_Timestamp;

KVTM_EXPORT long operator!=(const d_Date& a, const d_Date& b);
KVTM_EXPORT long operator!=(const d_Time& a, const d_Time& b);
KVTM_EXPORT d_Time operator+(const d_Time& time, const d_Interval& interval);
KVTM_EXPORT d_Time operator-(const d_Time& time, const d_Interval& interval);
KVTM_EXPORT d_Interval operator-(const d_Time& a, const d_Time& b);

// A calendar date: year, month, day, in the layout of KvDate. Day arithmetic
// counts Julian-calendar days before 1582-10-15 and Gregorian days from it on,
// so 1582-10-04 is followed by 1582-10-15.
class KVTM_EXPORT d_Date {
 public:
  enum Weekday {
    Sunday = 0,
    Monday = 1,
    Tuesday = 2,
    Wednesday = 3,
    Thursday = 4,
    Friday = 5,
    Saturday = 6
  };
  enum Month {
    January = 1, February, March, April, May, June, July, August,
    September, October, November, December
  };

  // Today, from the clock.
  d_Date();
  // 1 January of year moved on by day_of_year - 1 days; a day past the
  // year's end runs into the next year.
  d_Date(short year, unsigned short day_of_year);
  // The three fields as given, neither checked nor normalised.
  d_Date(short year, unsigned short month, unsigned short day);
  // The year, month and day of the other value.
  d_Date(const d_Timestamp& ts);
  d_Date(const KvDate& date);
  d_Date(const KvDateTime& dateTime);

  d_Date& operator=(const d_Timestamp& ts);
  d_Date& operator=(const KvDate& date);
  d_Date& operator=(const KvDateTime& dateTime);

  // Today, from the clock.
  static d_Date current();

  short year() const { return year_; }
  unsigned short month() const { return month_; }
  unsigned short day() const { return day_; }

  // 1 for 1 January.
  unsigned short day_of_year() const;
  Weekday day_of_week() const;
  // Moves forward (back) to the next (previous) day of weekday w, a whole week
  // when the date already falls on w. Return the object.
  d_Date& next(Weekday w);
  d_Date& previous(Weekday w);

  // Move by the interval's whole days, truncated toward zero (23 hours move
  // nothing). Return the object.
  d_Date& operator+=(const d_Interval& interval);
  d_Date& operator-=(const d_Interval& interval);
  // One day on or back; return the date before the move.
  d_Date operator++(int);
  d_Date operator--(int);

  // Days of that month: 0 for a month outside 1 to 12; century years before
  // 1600 are leap years.
  static unsigned short days_in_month(short year, unsigned short month);
  unsigned short days_in_month() const;

 private:
  friend struct KvDateAccess;
  friend class d_Timestamp;
  friend long operator!=(const d_Date& a, const d_Date& b);

  // The date's day number (Julian Day Number - 1 from 1582-10-15 on) and back.
  long getAbsDate() const;
  d_Date& setAbsDate(long dayNumber);

  int16_t year_;
  uint8_t month_;
  uint8_t day_;
};
static_assert(sizeof(d_Date) == 4, "d_Date is year, month, day in 4 bytes");

// A signed duration in seconds, one day being 86400 seconds.
class KVTM_EXPORT d_Interval {
 public:
  // |day| days + |hour| hours + |minute| minutes + |second| seconds, negated
  // when any argument is negative: (1, -2) is -93600 seconds.
  d_Interval(int day = 0, int hour = 0, int minute = 0, float second = 0);

  d_Interval operator-() const;

  // The seconds split as a clock shows them, each truncated toward zero and
  // carrying the interval's sign.
  int day() const;
  int hour() const;
  int minute() const;
  float second() const;
  // The whole duration in seconds.
  float SecondsGet() const { return seconds_; }
  int is_zero() const { return seconds_ == 0; }

 private:
  friend struct KvDateAccess;
  float seconds_;
};
static_assert(sizeof(d_Interval) == 4, "d_Interval is one float of seconds");

// A time of day with hundredths of a second and a time zone. The hour and
// minute are held with the zone added; the accessors give them zone-free.
class KVTM_EXPORT d_Time {
 public:
  // Zones as whole hours east of Greenwich.
  enum Time_Zone {
    GMT = 0,
    GMT12 = 12, GMT_12 = -12,
    GMT1 = 1, GMT_1 = -1,
    GMT2 = 2, GMT_2 = -2,
    GMT3 = 3, GMT_3 = -3,
    GMT4 = 4, GMT_4 = -4,
    GMT5 = 5, GMT_5 = -5,
    GMT6 = 6, GMT_6 = -6,
    GMT7 = 7, GMT_7 = -7,
    GMT8 = 8, GMT_8 = -8,
    GMT9 = 9, GMT_9 = -9,
    GMT10 = 10, GMT_10 = -10,
    GMT11 = 11, GMT_11 = -11,
    USeastern = -5,
    UScentral = -6,
    USmountain = -7,
    USpacific = -8
  };

  // The zone of every time made without one; GMT at load. Not locked.
  static void set_default_Time_Zone(Time_Zone zone);
  // The clock's local zone, in whole hours; a zero offset leaves the default
  // as it was.
  static void set_default_Time_Zone_to_local();

  // The current time of day in the default zone, hundredths 0.
  d_Time();
  // In the default zone; second's fraction is kept as truncated hundredths.
  d_Time(unsigned short hour, unsigned short minute, float second = 0);
  d_Time(unsigned short hour, unsigned short minute, float second,
         short tz_hour, short tz_minute);
  // Seconds of the day in the default zone; a negative count is first raised
  // by whole days. No reduction to one day: 90000 gives hour 25.
  explicit d_Time(long seconds);
  d_Time(const d_Timestamp& ts);
  // The native time shifted into the default zone (the hour gains the zone).
  d_Time(const KvTime& time);
  d_Time(const KvDateTime& dateTime);

  d_Time& operator=(const d_Timestamp& ts);
  // The native fields in the default zone, the hour not shifted: construction
  // and assignment from a native time differ by the default zone.
  d_Time& operator=(const KvTime& time);
  d_Time& operator=(const KvDateTime& dateTime);

  static d_Time current();

  // Zone-free hour and minute; second with its hundredths.
  unsigned short hour() const;
  unsigned short minute() const;
  float second() const;
  short tz_hour() const { return tzHour_; }
  short tz_minute() const { return tzMinute_; }

  // Move around the clock, wrapping into one day; the zone stays. -= drops
  // the hundredths. Return the object.
  d_Time& operator+=(const d_Interval& interval);
  d_Time& operator-=(const d_Interval& interval);

 private:
  friend struct KvDateAccess;
  friend class d_Timestamp;
  friend d_Time operator+(const d_Time& time, const d_Interval& interval);
  friend d_Time operator-(const d_Time& time, const d_Interval& interval);
  friend d_Interval operator-(const d_Time& a, const d_Time& b);
  friend long operator!=(const d_Time& a, const d_Time& b);

  // Moves by delta seconds from the held hour and minute, and the seconds
  // with or without the hundredths.
  void Move(float delta, bool withHundredths);

  int8_t tzHour_;
  int8_t tzMinute_;
  int8_t hour_;
  int8_t minute_;
  int8_t second_;
  int8_t hundredths_;
};
static_assert(sizeof(d_Time) == 6, "d_Time is six bytes");

// A d_Date followed by a d_Time.
class KVTM_EXPORT d_Timestamp {
 public:
  // Today and the current time in the default zone.
  d_Timestamp();
  // That date at midnight in the default zone.
  explicit d_Timestamp(const d_Date& date);
  d_Timestamp(const d_Date& date, const d_Time& time);
  explicit d_Timestamp(short year, unsigned short month = 1, unsigned short day = 1,
              unsigned short hour = 0, unsigned short minute = 0,
              float second = 0);

  // Replaces the date only.
  d_Timestamp& operator=(const d_Date& date);
  // The native date, and the native time as d_Time::operator=(KvTime) takes it.
  d_Timestamp& operator=(const KvDateTime& dateTime);

  static d_Timestamp current();

  const d_Date& date() const { return date_; }
  const d_Time& time() const { return time_; }
  short year() const { return date_.year(); }
  unsigned short month() const { return date_.month(); }
  unsigned short day() const { return date_.day(); }
  unsigned short hour() const { return time_.hour(); }
  unsigned short minute() const { return time_.minute(); }
  float second() const { return time_.second(); }
  short tz_hour() const { return time_.tz_hour(); }
  short tz_minute() const { return time_.tz_minute(); }

  // Move by the interval, whole days carrying into the date. Return the
  // object.
  d_Timestamp& operator+=(const d_Interval& interval);
  d_Timestamp& operator-=(const d_Interval& interval);

 private:
  friend struct KvDateAccess;
  // Moves by delta seconds, whole days carrying into the date.
  void Move(float delta);

  d_Date date_;
  d_Time time_;
};
static_assert(sizeof(d_Timestamp) == 10, "d_Timestamp is a d_Date and a d_Time");

// Dates. operator!= is the difference of the day numbers, a - b.
KVTM_EXPORT d_Date operator+(const d_Date& date, const d_Interval& interval);
KVTM_EXPORT d_Date operator+(const d_Interval& interval, const d_Date& date);
KVTM_EXPORT d_Date operator-(const d_Date& date, const d_Interval& interval);
KVTM_EXPORT long operator!=(const d_Date& a, const d_Date& b);
inline int operator==(const d_Date& a, const d_Date& b) { return (a != b) == 0; }
inline int operator<(const d_Date& a, const d_Date& b) { return (a != b) < 0; }
inline int operator<=(const d_Date& a, const d_Date& b) { return (a != b) <= 0; }
inline int operator>(const d_Date& a, const d_Date& b) { return (a != b) > 0; }
inline int operator>=(const d_Date& a, const d_Date& b) { return (a != b) >= 0; }

// Intervals. Dividing by 0 gives the interval back unchanged.
KVTM_EXPORT d_Interval operator+(const d_Interval& a, const d_Interval& b);
KVTM_EXPORT d_Interval operator-(const d_Interval& a, const d_Interval& b);
KVTM_EXPORT d_Interval operator*(const d_Interval& interval, int n);
KVTM_EXPORT d_Interval operator*(int n, const d_Interval& interval);
KVTM_EXPORT d_Interval operator/(const d_Interval& interval, int n);
inline int operator==(const d_Interval& a, const d_Interval& b) {
  return a.SecondsGet() == b.SecondsGet();
}
inline int operator<(const d_Interval& a, const d_Interval& b) {
  return a.SecondsGet() < b.SecondsGet();
}
inline int operator>(const d_Interval& a, const d_Interval& b) {
  return a.SecondsGet() > b.SecondsGet();
}

// Times. The difference of two times counts the held hours, minutes and whole
// seconds. operator!= orders by zone-free hour, then minute, then seconds
// with hundredths cut off to whole seconds: times within the same second
// are equal (10:00:00.90 equals 10:00:00.10 and is less than 10:00:01.05).
KVTM_EXPORT d_Time operator+(const d_Time& time, const d_Interval& interval);
KVTM_EXPORT d_Time operator+(const d_Interval& interval, const d_Time& time);
KVTM_EXPORT d_Time operator-(const d_Time& time, const d_Interval& interval);
KVTM_EXPORT d_Interval operator-(const d_Time& a, const d_Time& b);
KVTM_EXPORT long operator!=(const d_Time& a, const d_Time& b);
inline int operator==(const d_Time& a, const d_Time& b) { return (a != b) == 0; }
inline int operator<(const d_Time& a, const d_Time& b) { return (a != b) < 0; }
inline int operator>(const d_Time& a, const d_Time& b) { return (a != b) > 0; }

// Timestamps, ordered by date, then time.
KVTM_EXPORT d_Timestamp operator+(const d_Timestamp& ts, const d_Interval& interval);
KVTM_EXPORT d_Timestamp operator+(const d_Interval& interval, const d_Timestamp& ts);
KVTM_EXPORT d_Timestamp operator-(const d_Timestamp& ts, const d_Interval& interval);
KVTM_EXPORT long operator!=(const d_Timestamp& a, const d_Timestamp& b);
inline int operator==(const d_Timestamp& a, const d_Timestamp& b) { return (a != b) == 0; }
inline int operator<(const d_Timestamp& a, const d_Timestamp& b) { return (a != b) < 0; }
inline int operator>(const d_Timestamp& a, const d_Timestamp& b) { return (a != b) > 0; }

// 1 when the periods (a1, a2) and (b1, b2) share at least one instant; each
// period may be given in either order, and periods touching at an end
// overlap. In the mixed forms the timestamps' own order picks their period's
// ends, which are then compared by their date (or time) parts alone.
KVTM_EXPORT int overlaps(const d_Date& a1, const d_Date& a2,
                         const d_Date& b1, const d_Date& b2);
KVTM_EXPORT int overlaps(const d_Time& a1, const d_Time& a2,
                         const d_Time& b1, const d_Time& b2);
KVTM_EXPORT int overlaps(const d_Timestamp& a1, const d_Timestamp& a2,
                         const d_Timestamp& b1, const d_Timestamp& b2);
KVTM_EXPORT int overlaps(const d_Timestamp& a1, const d_Timestamp& a2,
                         const d_Date& b1, const d_Date& b2);
KVTM_EXPORT int overlaps(const d_Date& a1, const d_Date& a2,
                         const d_Timestamp& b1, const d_Timestamp& b2);
KVTM_EXPORT int overlaps(const d_Timestamp& a1, const d_Timestamp& a2,
                         const d_Time& b1, const d_Time& b2);
KVTM_EXPORT int overlaps(const d_Time& a1, const d_Time& a2,
                         const d_Timestamp& b1, const d_Timestamp& b2);

#endif  // KVTM_KVODMG_H
