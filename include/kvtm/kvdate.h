// kvdate.h — the native date and time values: KvDate, KvTime, KvDateTime.
#ifndef KVTM_KVDATE_H
#define KVTM_KVDATE_H

#include <cstdint>

#include "kvtm/export.h"
#include "kvtm/kvstring.h"

// Weekdays of KvDate::DayOfTheDate.
enum KvDaysOfTheWeek {
  KvMONDAY = 0,
  KvTUESDAY = 1,
  KvWEDNESDAY = 2,
  KvTHURSDAY = 3,
  KvFRIDAY = 4,
  KvSATURDAY = 5,
  KvSUNDAY = 6,
};

// The month names ("Januar", "Februar", "March", ... "December") and the
// weekday names ("Monday" ... "Sunday"), index 0 first. Fixed texts.
KVTM_EXPORT const char* KvMonthName(int index);
KVTM_EXPORT const char* KvWeekdayName(int index);

// A calendar date: year, month, day, not validated when set. Its day number
// is the Julian Day Number of the proleptic Gregorian calendar (2000-01-01
// is 2451545). A field holding -1 is a wildcard for the ordering
// (operator!=, <, >), never for operator==.
class KVTM_EXPORT KvDate {
 public:
  // Today, from the clock.
  KvDate();
  // The date of a day number.
  explicit KvDate(long dayNumber);
  // The three fields as given.
  KvDate(short year, signed char month, signed char day);

  // Sets today's date; returns the date.
  KvDate& Today();

  // The day number.
  operator long() const;

  // Days later or earlier, through the day number: always a normalised date.
  KvDate operator+(long days) const;
  KvDate operator-(long days) const;
  KvDate& operator+=(long days);
  KvDate& operator-=(long days);
  KvDate& operator++();
  KvDate& operator--();
  // This date's day number minus the other's.
  long operator-(const KvDate& other) const;

  // Three-way difference by year, month, day; a field holding -1 on either
  // side is skipped. Non-zero: unequal.
  long operator!=(const KvDate& other) const;
  unsigned short operator<(const KvDate& other) const { return (*this != other) < 0; }
  unsigned short operator>(const KvDate& other) const { return (*this != other) > 0; }
  // All three fields equal, exactly.
  unsigned short operator==(const KvDate& other) const;

  // The weekday, Monday 0 to Sunday 6, for every date of years 1 to 9999.
  KvDaysOfTheWeek DayOfTheDate() const;
  // The weekday's name, or "no day" for a weekday outside 0 to 6.
  KvString PrintDayOfTheDate() const;
  // 1 when the day exists in that month of that year.
  unsigned short IsDate() const;
  // 1 when the date is the last day of its month.
  unsigned short IsLastDayOfTheMonth() const;

  short YearGet() const { return year_; }
  signed char MonthGet() const { return month_; }
  signed char DayGet() const { return day_; }

 protected:
  // Quotient and remainder truncating toward zero; the remainder takes the
  // sign of a.
  static long divide(long a, long b);
  static long modulo(long a, long b);
  // The day number of the fields, and the fields of a day number.
  long dayabs() const;
  void dateabs(long dayNumber);
  // Days from this date to the first of the following month.
  long daynxtmonth() const;

 private:
  int16_t year_;
  int8_t month_;
  int8_t day_;
};
static_assert(sizeof(KvDate) == 4, "KvDate is year, month, day in 4 bytes");

// A time of day to the second, not validated when set.
class KVTM_EXPORT KvTime {
 public:
  // The current time of day, from the clock.
  KvTime();
  // hour = s / 3600, minute = s % 3600 / 60, second = s % 60 (truncating);
  // no reduction to one day: 90000 gives hour 25.
  explicit KvTime(long seconds);
  KvTime(signed char hour, signed char minute, signed char second);

  // Sets the current time; returns the time.
  KvTime& Now();

  // hour * 3600 + minute * 60 + second.
  operator long() const;

  // Seconds later or earlier as a time of day: whole days of the count move
  // nothing, the hour wraps into 0 to 23 (23:59:59 + 1 is 00:00:00, 01:00:00
  // - 172800 is 01:00:00). Neither carries upward what a negative count
  // leaves: from a time of day, + gives fields down to -23:-59:-59
  // (10:00:00 + -30 is 10:00:-30), - minutes and seconds up to 118
  // (23:59:59 - -1 is 23:59:60).
  KvTime operator+(long seconds) const;
  KvTime operator-(long seconds) const;
  KvTime& operator+=(long seconds);
  KvTime& operator-=(long seconds);
  KvTime& operator++();
  KvTime& operator--();
  // The difference of two times of day, modulo one day (hour 0 to 23).
  KvTime operator-(const KvTime& other) const;

  // Ordering by hour, minute, second (signed): +1 or -1 by the first
  // differing field, 0 when all are equal.
  long operator!=(const KvTime& other) const;
  unsigned short operator<(const KvTime& other) const { return (*this != other) < 0; }
  unsigned short operator>(const KvTime& other) const { return (*this != other) > 0; }
  unsigned short operator==(const KvTime& other) const { return (*this != other) == 0; }

  // 1 when 0 <= hour < 24, 0 <= minute < 60, 0 <= second < 60.
  unsigned short IsTime() const;

  signed char HourGet() const { return hour_; }
  signed char MinuteGet() const { return minute_; }
  signed char SecondGet() const { return second_; }

 private:
  int8_t hour_;
  int8_t minute_;
  int8_t second_;
};
static_assert(sizeof(KvTime) == 3, "KvTime is hour, minute, second in 3 bytes");

// A date and a time of day.
class KVTM_EXPORT KvDateTime {
 public:
  // Today and the current time.
  KvDateTime();
  KvDateTime(const KvDate& date, const KvTime& time);
  // That date with the current time; today with that time.
  explicit KvDateTime(const KvDate& date);
  explicit KvDateTime(const KvTime& time);

  // Reads the time, then the date, from the clock; returns the value.
  KvDateTime& Now();
  // Replaces the time part only.
  KvDateTime& operator=(const KvTime& time);

  // 1 when the date and the time are both valid.
  unsigned short IsDaTime() const;
  // The dates' ordering when it is non-zero, else the times'.
  long operator!=(const KvDateTime& other) const;

  const KvDate& DateGet() const { return date_; }
  const KvTime& TimeGet() const { return time_; }
  KvDate& DateGet() { return date_; }
  KvTime& TimeGet() { return time_; }

 private:
  KvDate date_;
  KvTime time_;
};
static_assert(sizeof(KvDateTime) == 8, "KvDateTime is a KvDate and a KvTime in 8 bytes");

#endif  // KVTM_KVDATE_H
