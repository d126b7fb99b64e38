// kvodmg.cpp — d_Date, d_Interval, d_Time, d_Timestamp.
//
// The day number of d_Date counts Julian-calendar days before 1582-10-15, so
// its arithmetic is in double precision with truncations at fixed places;
// intervals are one float of seconds. Each rounding below is part of the
// values databases hold: keep the precision of every step as it is.
#include "kvtm/kvodmg.h"

#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "kvplatform/kvclock.h"

namespace {

constexpr int32_t kSecondsPerDay = 86400;

// The zone of every d_Time made without one, in whole hours. Atomic so
// that constructions in other threads read it whole; nothing orders a
// change against them.
std::atomic<int32_t> defaultZone{0};

int32_t DefaultZone() { return defaultZone.load(std::memory_order_relaxed); }

// Signed 32-bit arithmetic that wraps as a 32-bit build's does.
int32_t Wrap(int64_t v) { return static_cast<int32_t>(v); }

// Truncation toward zero, saturating far outside the 32-bit range so that a
// huge float never makes the conversion undefined.
int32_t Trunc(double x) {
  if (!(x > -2147483648.0)) return x != x ? 0 : INT32_MIN;
  if (x >= 2147483647.0) return INT32_MAX;
  return static_cast<int32_t>(x);
}

// An interval of exactly these seconds: the constructor's sum of magnitudes,
// negated for a negative count, gives the float back unchanged.
d_Interval Seconds(float seconds) { return d_Interval(0, 0, 0, seconds); }

// The shared test of every overlaps(): the first period runs from lo to hi
// (already ordered); the second may be given in either order.
template <typename T>
int OverlapsOrdered(const T& lo, const T& hi, const T& b1, const T& b2) {
  auto within = [&](const T& x) { return (x != lo) >= 0 && (x != hi) <= 0; };
  if (within(b1) || within(b2)) return 1;
  if ((b1 != lo) <= 0 && (b2 != hi) >= 0) return 1;
  if ((b2 != lo) <= 0 && (b1 != hi) >= 0) return 1;
  return 0;
}

template <typename T>
int OverlapsSame(const T& a1, const T& a2, const T& b1, const T& b2) {
  if ((a1 != a2) <= 0) return OverlapsOrdered(a1, a2, b1, b2);
  return OverlapsOrdered(a2, a1, b1, b2);
}

// The clock fields of a count of seconds t >= 0 with its fraction x - t:
// hour within one day, minute, and the seconds with their fraction, rounded
// to single precision as an interval holds them.
void SplitSeconds(float x, int32_t* hour, int32_t* minute, float* second) {
  int32_t t = Trunc(x);
  *hour = t % kSecondsPerDay / 3600;
  *minute = t % 3600 / 60;
  *second = static_cast<float>(x - t + t % 60);
}

}  // namespace

// ---- d_Date ----

d_Date::d_Date() {
  bdate now{};
  rozararoze(&now);
  year_ = static_cast<int16_t>(now.year);
  month_ = now.month;
  day_ = now.day;
}

d_Date::d_Date(short year, unsigned short day_of_year) : year_(year), month_(1), day_(1) {
  setAbsDate(getAbsDate() + day_of_year - 1);
}

d_Date::d_Date(short year, unsigned short month, unsigned short day)
    : year_(year), month_(static_cast<uint8_t>(month)), day_(static_cast<uint8_t>(day)) {}

d_Date::d_Date(const d_Timestamp& ts) : d_Date(ts.date()) {}

d_Date::d_Date(const KvDate& date)
    : year_(date.YearGet()),
      month_(static_cast<uint8_t>(date.MonthGet())),
      day_(static_cast<uint8_t>(date.DayGet())) {}

d_Date::d_Date(const KvDateTime& dateTime) : d_Date(dateTime.DateGet()) {}

d_Date& d_Date::operator=(const d_Timestamp& ts) { return *this = ts.date(); }

d_Date& d_Date::operator=(const KvDate& date) { return *this = d_Date(date); }

d_Date& d_Date::operator=(const KvDateTime& dateTime) { return *this = d_Date(dateTime); }

d_Date d_Date::current() { return d_Date(); }

long d_Date::getAbsDate() const {
  int32_t y = year_;
  int32_t m = month_;
  if (m < 3) {
    y -= 1;
    m += 13;
  } else {
    m += 1;
  }
  int32_t n = Trunc(365.25 * y) + Trunc(30.6001 * m) + day_ + 1720994;
  // From 15 October 1582 on the Gregorian calendar drops the century leap
  // days that the Julian count above still holds.
  if (n >= 2299170) {
    int32_t q = y / 100;
    n = n + q / 4 - q + 2;
  }
  return n;
}

d_Date& d_Date::setAbsDate(long dayNumber) {
  // The sums wrap as a 32-bit build's do for day numbers near 2^31, which
  // an interval of a few million years reaches.
  int32_t j = Wrap(int64_t{static_cast<int32_t>(dayNumber)} + 1);
  int32_t a = j;
  if (j > 2299160) {
    int32_t alpha = Trunc((j - 1867216.25) / 36524.25);
    a = Wrap(int64_t{j} + 1 + alpha - alpha / 4);
  }
  int32_t b = Wrap(int64_t{a} + 1524);
  int32_t g = Trunc((b - 122.1) / 365.25);
  int32_t d = Trunc(365.25 * g);
  int32_t e = Trunc((b - d) / 30.6001);
  int32_t month = e < 14 ? e - 1 : e - 13;
  day_ = static_cast<uint8_t>(b - d - static_cast<int32_t>(std::floor(30.6001 * e)));
  month_ = static_cast<uint8_t>(month);
  year_ = static_cast<int16_t>(month > 2 ? g - 4716 : g - 4715);
  return *this;
}

unsigned short d_Date::day_of_year() const {
  return static_cast<unsigned short>(getAbsDate() - d_Date(year_, 1, 1).getAbsDate() + 1);
}

d_Date::Weekday d_Date::day_of_week() const {
  return static_cast<Weekday>((getAbsDate() + 2) % 7);
}

d_Date& d_Date::next(Weekday w) {
  long d = w - day_of_week();
  return setAbsDate(getAbsDate() + (d > 0 ? d : d + 7));
}

d_Date& d_Date::previous(Weekday w) {
  long d = day_of_week() - w;
  return setAbsDate(getAbsDate() - (d > 0 ? d : d + 7));
}

d_Date& d_Date::operator+=(const d_Interval& interval) {
  return setAbsDate(getAbsDate() + Trunc(interval.SecondsGet() / 86400.0));
}

d_Date& d_Date::operator-=(const d_Interval& interval) {
  return setAbsDate(getAbsDate() - Trunc(interval.SecondsGet() / 86400.0));
}

d_Date d_Date::operator++(int) {
  d_Date before = *this;
  setAbsDate(getAbsDate() + 1);
  return before;
}

d_Date d_Date::operator--(int) {
  d_Date before = *this;
  setAbsDate(getAbsDate() - 1);
  return before;
}

unsigned short d_Date::days_in_month(short year, unsigned short month) {
  switch (month) {
    case 1: case 3: case 5: case 7: case 8: case 10: case 12:
      return 31;
    case 4: case 6: case 9: case 11:
      return 30;
    case 2:
      if (year % 4 != 0) return 28;
      if (year % 100 != 0) return 29;
      // Century years follow the Gregorian rule from 1600 on only.
      return year % 400 != 0 && year >= 1600 ? 28 : 29;
    default:
      return 0;
  }
}

unsigned short d_Date::days_in_month() const { return days_in_month(year_, month_); }

d_Date operator+(const d_Date& date, const d_Interval& interval) {
  d_Date result = date;
  return result += interval;
}

d_Date operator+(const d_Interval& interval, const d_Date& date) { return date + interval; }

d_Date operator-(const d_Date& date, const d_Interval& interval) {
  d_Date result = date;
  return result -= interval;
}

// ---- d_Interval ----

d_Interval::d_Interval(int day, int hour, int minute, float second) {
  double sum = static_cast<double>(static_cast<float>(std::llabs(day) * 86400LL)) +
               static_cast<double>(static_cast<float>(std::llabs(hour) * 3600LL)) +
               static_cast<double>(static_cast<float>(std::llabs(minute) * 60LL)) +
               static_cast<double>(std::fabs(second));
  bool negative = day < 0 || hour < 0 || minute < 0 || second < 0;
  seconds_ = static_cast<float>(negative ? -sum : sum);
}

d_Interval d_Interval::operator-() const {
  d_Interval result;
  result.seconds_ = -seconds_;
  return result;
}

int d_Interval::day() const { return Trunc(seconds_ / 86400.0); }

int d_Interval::hour() const { return Trunc(seconds_) % kSecondsPerDay / 3600; }

int d_Interval::minute() const { return Trunc(seconds_) % 3600 / 60; }

float d_Interval::second() const {
  int32_t t = Trunc(seconds_);
  return static_cast<float>(seconds_ - t + t % 60);
}

d_Interval operator+(const d_Interval& a, const d_Interval& b) {
  return Seconds(a.SecondsGet() + b.SecondsGet());
}

d_Interval operator-(const d_Interval& a, const d_Interval& b) {
  return Seconds(a.SecondsGet() - b.SecondsGet());
}

d_Interval operator*(const d_Interval& interval, int n) {
  return Seconds(interval.SecondsGet() * static_cast<float>(n));
}

d_Interval operator*(int n, const d_Interval& interval) { return interval * n; }

d_Interval operator/(const d_Interval& interval, int n) {
  if (n == 0) return interval;
  return Seconds(interval.SecondsGet() / static_cast<float>(n));
}

// ---- d_Time ----

namespace {

// The clock fields of an interval moved into one day. Very negative counts
// are first reduced by the remainder, so the loop ends whatever the float.
struct ClockFields {
  int32_t hour;
  int32_t minute;
  int32_t second;
  int32_t hundredths;
};

ClockFields ClockOf(float x) {
  while (x < 0) {
    if (x < -86400.0f * 1024) {
      x = static_cast<float>(std::fmod(static_cast<double>(x), 86400.0));
    } else {
      x += 86400.0f;
    }
  }
  ClockFields fields;
  float second;
  SplitSeconds(x, &fields.hour, &fields.minute, &second);
  fields.second = Trunc(second);
  fields.hundredths = Trunc((second - static_cast<float>(fields.second)) * 100.0f);
  return fields;
}

}  // namespace

void d_Time::set_default_Time_Zone(Time_Zone zone) {
  defaultZone.store(zone, std::memory_order_relaxed);
}

void d_Time::set_default_Time_Zone_to_local() {
  btime now{};
  dadavuvuve(&now);
  // A zero offset may only mean the clock could not tell; keep what was set.
  if (now.zoneOffset != 0) defaultZone.store(now.zoneOffset / 3600, std::memory_order_relaxed);
}

d_Time::d_Time() {
  btime now{};
  dadavuvuve(&now);
  const int32_t zone = DefaultZone();
  tzHour_ = static_cast<int8_t>(zone);
  tzMinute_ = 0;
  hour_ = static_cast<int8_t>(now.hour + zone);
  minute_ = static_cast<int8_t>(now.minute);
  second_ = static_cast<int8_t>(now.second);
  hundredths_ = 0;
}

d_Time::d_Time(unsigned short hour, unsigned short minute, float second)
    : d_Time(hour, minute, second, static_cast<short>(DefaultZone()), 0) {}

d_Time::d_Time(unsigned short hour, unsigned short minute, float second, short tz_hour,
               short tz_minute) {
  int32_t whole = Trunc(second);
  tzHour_ = static_cast<int8_t>(tz_hour);
  tzMinute_ = static_cast<int8_t>(tz_minute);
  hour_ = static_cast<int8_t>(hour + tz_hour);
  minute_ = static_cast<int8_t>(minute + tz_minute);
  second_ = static_cast<int8_t>(whole);
  hundredths_ = static_cast<int8_t>(Trunc((second - static_cast<float>(whole)) * 100.0f));
}

d_Time::d_Time(long seconds) {
  int32_t s = static_cast<int32_t>(seconds);
  // Raised by whole days into the day it falls in; computed in 64 bits so
  // that the most negative count does not overflow on the way.
  if (s < 0) s = static_cast<int32_t>(s + (86399LL - s) / kSecondsPerDay * kSecondsPerDay);
  const int32_t zone = DefaultZone();
  tzHour_ = static_cast<int8_t>(zone);
  tzMinute_ = 0;
  hour_ = static_cast<int8_t>(s / 3600 + zone);
  minute_ = static_cast<int8_t>(s % 3600 / 60);
  second_ = static_cast<int8_t>(s % 3600 % 60);
  hundredths_ = 0;
}

d_Time::d_Time(const d_Timestamp& ts) : d_Time(ts.time()) {}

d_Time::d_Time(const KvTime& time) {
  const int32_t zone = DefaultZone();
  tzHour_ = static_cast<int8_t>(zone);
  tzMinute_ = 0;
  hour_ = static_cast<int8_t>(time.HourGet() + zone);
  minute_ = time.MinuteGet();
  second_ = time.SecondGet();
  hundredths_ = 0;
}

d_Time::d_Time(const KvDateTime& dateTime) : d_Time(dateTime.TimeGet()) {}

d_Time& d_Time::operator=(const d_Timestamp& ts) { return *this = ts.time(); }

d_Time& d_Time::operator=(const KvTime& time) {
  tzHour_ = static_cast<int8_t>(DefaultZone());
  tzMinute_ = 0;
  hour_ = time.HourGet();
  minute_ = time.MinuteGet();
  second_ = time.SecondGet();
  hundredths_ = 0;
  return *this;
}

d_Time& d_Time::operator=(const KvDateTime& dateTime) { return *this = dateTime.TimeGet(); }

d_Time d_Time::current() {
  btime now{};
  dadavuvuve(&now);
  return d_Time(now.hour, now.minute, now.second);
}

unsigned short d_Time::hour() const {
  int32_t minutes = ((hour_ - tzHour_) * 60 + (minute_ - tzMinute_)) % 1440;
  if (minutes < 0) minutes += 1440;
  return static_cast<unsigned short>(minutes / 60);
}

unsigned short d_Time::minute() const {
  int32_t minutes = (minute_ - tzMinute_) % 60;
  if (minutes < 0) minutes += 60;
  return static_cast<unsigned short>(minutes);
}

float d_Time::second() const { return second_ + hundredths_ / 100.0f; }

void d_Time::Move(float delta, bool withHundredths) {
  float s = second_;
  if (withHundredths) s += hundredths_ / 100.0f;
  d_Interval x = d_Interval(0, hour_, minute_, s) + Seconds(delta);
  ClockFields f = ClockOf(x.SecondsGet());
  hour_ = static_cast<int8_t>(f.hour);
  minute_ = static_cast<int8_t>(f.minute);
  second_ = static_cast<int8_t>(f.second);
  hundredths_ = static_cast<int8_t>(f.hundredths);
}

d_Time& d_Time::operator+=(const d_Interval& interval) {
  Move(interval.SecondsGet(), true);
  return *this;
}

d_Time& d_Time::operator-=(const d_Interval& interval) {
  Move(-interval.SecondsGet(), false);
  return *this;
}

d_Time operator+(const d_Time& time, const d_Interval& interval) {
  d_Time result = time;
  result.Move(interval.SecondsGet(), false);
  return result;
}

d_Time operator+(const d_Interval& interval, const d_Time& time) { return time + interval; }

d_Time operator-(const d_Time& time, const d_Interval& interval) {
  d_Time result = time;
  result.Move(-interval.SecondsGet(), false);
  return result;
}

d_Interval operator-(const d_Time& a, const d_Time& b) {
  return d_Interval(0, a.hour_, a.minute_, a.second_) - d_Interval(0, b.hour_, b.minute_, b.second_);
}

long operator!=(const d_Time& a, const d_Time& b) {
  // Zone-free hours and minutes as 16-bit unsigned numbers: a negative one
  // sorts after every other.
  long ha = static_cast<uint16_t>(a.hour_ - a.tzHour_);
  long hb = static_cast<uint16_t>(b.hour_ - b.tzHour_);
  if (ha != hb) return ha - hb;
  long ma = static_cast<uint16_t>(a.minute_ - a.tzMinute_);
  long mb = static_cast<uint16_t>(b.minute_ - b.tzMinute_);
  if (ma != mb) return ma - mb;
  // Each time's own whole second, hundredths cut off (toward the earlier
  // second, also for a negative held second). Truncating the difference
  // instead made 0.1 equal 0.9 and 0.9 equal 1.05 but 0.1 less than 1.05:
  // no order, and a sort or an index of such times goes wrong.
  const float sa = a.second_ + a.hundredths_ / 100.0f;
  const float sb = b.second_ + b.hundredths_ / 100.0f;
  return static_cast<long>(std::floor(sa)) - static_cast<long>(std::floor(sb));
}

int overlaps(const d_Time& a1, const d_Time& a2, const d_Time& b1, const d_Time& b2) {
  return OverlapsSame(a1, a2, b1, b2);
}

// ---- d_Timestamp ----

d_Timestamp::d_Timestamp() : d_Timestamp(current()) {}

d_Timestamp::d_Timestamp(const d_Date& date) : date_(date), time_(0, 0, 0) {}

d_Timestamp::d_Timestamp(const d_Date& date, const d_Time& time) : date_(date), time_(time) {}

d_Timestamp::d_Timestamp(short year, unsigned short month, unsigned short day,
                         unsigned short hour, unsigned short minute, float second)
    : date_(year, month, day), time_(hour, minute, second) {}

d_Timestamp& d_Timestamp::operator=(const d_Date& date) {
  date_ = date;
  return *this;
}

d_Timestamp& d_Timestamp::operator=(const KvDateTime& dateTime) {
  date_ = dateTime.DateGet();
  time_ = dateTime.TimeGet();
  return *this;
}

d_Timestamp d_Timestamp::current() {
  d_Time time = d_Time::current();
  return d_Timestamp(d_Date::current(), time);
}

void d_Timestamp::Move(float delta) {
  const d_Time& t = time_;
  int32_t dm = date_.day_;
  long day0 = date_.getAbsDate() - dm;
  float held = t.second_ + t.hundredths_ / 100.0f;
  float x = (d_Interval(dm, t.hour_ - t.tzHour_, t.minute_ - t.tzMinute_, held) +
             Seconds(delta)).SecondsGet();
  long days;
  if (x >= 0) {
    days = Trunc(x / 86400.0f);
  } else {
    int32_t k = Trunc(-x / 86400.0f);
    x = x + static_cast<float>((k + 1.0) * kSecondsPerDay);
    days = -(int64_t{k} + 1);  // k saturates at 2^31 - 1 for the largest floats
    // A whole number of days back leaves x at exactly one day: that day
    // belongs to the date, not to the time.
    if (x >= 86400.0f) {
      x -= 86400.0f;
      days += 1;
    }
  }
  date_.setAbsDate(day0 + days);
  int32_t hour, minute;
  float second;
  SplitSeconds(x, &hour, &minute, &second);
  time_ = d_Time(static_cast<unsigned short>(hour), static_cast<unsigned short>(minute), second,
                 t.tzHour_, t.tzMinute_);
}

d_Timestamp& d_Timestamp::operator+=(const d_Interval& interval) {
  Move(interval.SecondsGet());
  return *this;
}

d_Timestamp& d_Timestamp::operator-=(const d_Interval& interval) {
  Move(-interval.SecondsGet());
  return *this;
}

d_Timestamp operator+(const d_Timestamp& ts, const d_Interval& interval) {
  d_Timestamp result = ts;
  return result += interval;
}

d_Timestamp operator+(const d_Interval& interval, const d_Timestamp& ts) { return ts + interval; }

d_Timestamp operator-(const d_Timestamp& ts, const d_Interval& interval) {
  d_Timestamp result = ts;
  return result -= interval;
}

long operator!=(const d_Date& a, const d_Date& b) {
  return static_cast<int32_t>(a.getAbsDate() - b.getAbsDate());
}

long operator!=(const d_Timestamp& a, const d_Timestamp& b) {
  long dates = a.date() != b.date();
  if (dates != 0) return dates;
  return a.time() != b.time();
}

int overlaps(const d_Date& a1, const d_Date& a2, const d_Date& b1, const d_Date& b2) {
  return OverlapsSame(a1, a2, b1, b2);
}

int overlaps(const d_Timestamp& a1, const d_Timestamp& a2, const d_Timestamp& b1,
             const d_Timestamp& b2) {
  return OverlapsSame(a1, a2, b1, b2);
}

int overlaps(const d_Timestamp& a1, const d_Timestamp& a2, const d_Date& b1, const d_Date& b2) {
  // The full timestamps decide which end comes first; only their dates meet
  // the other period.
  bool inOrder = (a1 != a2) <= 0;
  const d_Timestamp& lo = inOrder ? a1 : a2;
  const d_Timestamp& hi = inOrder ? a2 : a1;
  return OverlapsOrdered(lo.date(), hi.date(), b1, b2);
}

int overlaps(const d_Date& a1, const d_Date& a2, const d_Timestamp& b1, const d_Timestamp& b2) {
  return overlaps(b1, b2, a1, a2);
}

int overlaps(const d_Timestamp& a1, const d_Timestamp& a2, const d_Time& b1, const d_Time& b2) {
  bool inOrder = (a1 != a2) <= 0;
  const d_Timestamp& lo = inOrder ? a1 : a2;
  const d_Timestamp& hi = inOrder ? a2 : a1;
  return OverlapsOrdered(lo.time(), hi.time(), b1, b2);
}

int overlaps(const d_Time& a1, const d_Time& a2, const d_Timestamp& b1, const d_Timestamp& b2) {
  return overlaps(b1, b2, a1, a2);
}
