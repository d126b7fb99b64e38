// kvdate_access.h — the held fields of the ODMG values, for their descriptor
// rows (internal).
#ifndef KVTM_SRC_KVDATE_ACCESS_H
#define KVTM_SRC_KVDATE_ACCESS_H

#include <cstdint>

#include "kvtm/kvodmg.h"

struct KvDateAccess {
  // The day number of d_Date (the Julian Day Number - 1 from 1582-10-15 on)
  // and the date of one.
  static long DayNumber(const d_Date& date) { return date.getAbsDate(); }
  static d_Date DateOf(long dayNumber) {
    d_Date date(0, 1, 1);
    date.setAbsDate(dayNumber);
    return date;
  }

  // The six bytes of a d_Time as held: zone hour, zone minute, hour and
  // minute with the zone added, second, hundredths.
  static int8_t ZoneHour(const d_Time& t) { return t.tzHour_; }
  static int8_t ZoneMinute(const d_Time& t) { return t.tzMinute_; }
  static int8_t Hour(const d_Time& t) { return t.hour_; }
  static int8_t Minute(const d_Time& t) { return t.minute_; }
  static int8_t Second(const d_Time& t) { return t.second_; }
  static int8_t Hundredths(const d_Time& t) { return t.hundredths_; }
  static d_Time TimeOf(const int8_t held[6]) {
    d_Time t(0L);
    t.tzHour_ = held[0];
    t.tzMinute_ = held[1];
    t.hour_ = held[2];
    t.minute_ = held[3];
    t.second_ = held[4];
    t.hundredths_ = held[5];
    return t;
  }

  // An interval of exactly these seconds (a negative zero stays one).
  static d_Interval IntervalOf(float seconds) {
    d_Interval interval;
    interval.seconds_ = seconds;
    return interval;
  }
};

#endif  // KVTM_SRC_KVDATE_ACCESS_H
