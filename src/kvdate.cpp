// kvdate.cpp — KvDate, KvTime, KvDateTime and the calendar's name tables.
//
// Day numbers and seconds are 32-bit quantities in stored values and text
// lists, so every entry point narrows its long argument to 32 bits first and
// computes as a 32-bit build would. Fields are not validated when set. Time
// arithmetic computes its fields in 32 bits and stores them once they are
// back in range: summed in its 8-bit field an hour would wrap (19:38:29 plus
// 395,997 seconds would give the hour -127, not 9).
#include "kvtm/kvdate.h"

#include <cstdint>

#include "kvplatform/kvclock.h"

namespace {

const char* const kMonthNames[12] = {
    "Januar", "Februar", "March",     "April",   "May",      "June",
    "July",   "August",  "September", "October", "November", "December"};

const char* const kWeekdayNames[7] = {"Monday", "Tuesday",  "Wednesday", "Thursday",
                                      "Friday", "Saturday", "Sunday"};

// Signed 32-bit arithmetic that wraps as a 32-bit build's does.
int32_t Wrap(int64_t v) { return static_cast<int32_t>(v); }

// What a month of 1 to 13 adds to a day number's steps: the year's shift,
// b = year + 4800 + a with a = (month - 14) / 12 (-1 for January and
// February, which count with the year before), and the month's share,
// 367 * (month - 2 - 12 * a) / 12. Entry 0 stands for no month: its shift
// takes every 16-bit year below zero.
struct MonthStep {
  int32_t yearShift;
  int32_t term;
};
struct MonthSteps {
  MonthStep of[14];
};
constexpr MonthSteps MakeMonthSteps() {
  MonthSteps t{};
  t.of[0] = {-40000, 0};
  for (int32_t month = 1; month <= 13; ++month) {
    const int32_t a = (month - 14) / 12;
    t.of[month] = {4800 + a, 367 * (month - 2 - 12 * a) / 12};
  }
  return t;
}
constexpr MonthSteps kMonthSteps = MakeMonthSteps();

// The last steps of a day number's conversion, from its remainder l (the
// day of a year counted from 1 March, plus 31) to the month, the day, and 1
// for January and February, which belong to the next calendar year. A
// lookup costs less than the three divisions; l is 31 to 396 wherever the
// table is read.
struct MonthOfTheYear {
  uint8_t month, day, nextYear;
};
struct MonthsOfTheYear {
  MonthOfTheYear of[397];
};
constexpr MonthsOfTheYear MakeMonthsOfTheYear() {
  MonthsOfTheYear t{};
  for (int32_t l = 0; l < 397; ++l) {
    const int32_t j = 80 * l / 2447;
    const int32_t q = j / 11;
    t.of[l] = {static_cast<uint8_t>(j + 2 - 12 * q), static_cast<uint8_t>(l - 2447 * j / 80),
               static_cast<uint8_t>(q)};
  }
  return t;
}
constexpr MonthsOfTheYear kMonthsOfTheYear = MakeMonthsOfTheYear();

// The native day number of year, month, day; every division truncates, and
// month 13 means January of the next year.
int32_t NativeDayNumber(int16_t year, int32_t month, int32_t day) {
  if (static_cast<uint32_t>(month) < 14) {
    const MonthStep step = kMonthSteps.of[month];
    const int32_t b = year + step.yearShift;
    if (b >= 0) {
      // Every quotient here is of a non-negative number, where unsigned
      // division truncates alike and costs less than signed division, and
      // 3 * ((b + 100) / 100) / 4 is b / 100 - b / 400, which the compiler
      // draws from one multiplication.
      const uint32_t u = static_cast<uint32_t>(b);
      return static_cast<int32_t>(1461 * u / 4 - u / 100 + u / 400) + step.term + day - 32075;
    }
  }
  // Elsewhere (before -4800-03-01, or no month of 1 to 13) the same steps
  // in signed arithmetic, every quotient truncated toward zero.
  int32_t a = (month - 14) / 12;
  int32_t b = year + a + 4800;
  return 1461 * b / 4 + day - 32075 + 367 * (month - 2 - 12 * a) / 12 -
         3 * ((b + 100) / 100) / 4;
}

// Stores the date of a native day number.
void NativeDate(int32_t n, int16_t* year, int8_t* month, int8_t* day) {
  const uint32_t shifted = static_cast<uint32_t>(n) + 68569;
  if (shifted < (1u << 29)) {
    // From -4900-03-01 (day number -68569) to day number 2^29 - 68569 no
    // quotient is of a negative number and no product passes 2^31, so
    // unsigned arithmetic gives the signed results, at less cost.
    const uint32_t k = 4 * shifted / 146097;
    uint32_t l = shifted - (146097 * k + 3) / 4;
    const uint32_t i = 4000 * (l + 1) / 1461001;
    l = l - 1461 * i / 4 + 31;
    const MonthOfTheYear m = kMonthsOfTheYear.of[l];
    *day = static_cast<int8_t>(m.day);
    *month = static_cast<int8_t>(m.month);
    *year = static_cast<int16_t>(100 * static_cast<int32_t>(k) - 4900 +
                                 static_cast<int32_t>(i + m.nextYear));
    return;
  }
  // Elsewhere the same steps in signed arithmetic, wrapping where a 32-bit
  // build's do.
  int32_t l = Wrap(int64_t{n} + 68569);
  const int32_t k = Wrap(int64_t{4} * l) / 146097;
  l = Wrap(l - int64_t{Wrap(int64_t{146097} * k + 3) / 4});
  const int32_t i = Wrap(int64_t{4000} * Wrap(int64_t{l} + 1)) / 1461001;
  l = Wrap(l - int64_t{1461 * i / 4} + 31);
  const int32_t j = Wrap(int64_t{80} * l) / 2447;
  const int32_t q = j / 11;
  *day = static_cast<int8_t>(l - int64_t{2447 * j / 80});
  *month = static_cast<int8_t>(j + 2 - 12 * q);
  *year = static_cast<int16_t>(100 * (k - 49) + i + q);
}

}  // namespace

const char* KvMonthName(int index) {
  return index >= 0 && index < 12 ? kMonthNames[index] : "";
}

const char* KvWeekdayName(int index) {
  return index >= 0 && index < 7 ? kWeekdayNames[index] : "no day";
}

// ---- KvDate ----

KvDate::KvDate() { Today(); }

KvDate::KvDate(long dayNumber) { dateabs(dayNumber); }

KvDate::KvDate(short year, signed char month, signed char day)
    : year_(year), month_(month), day_(day) {}

KvDate& KvDate::Today() {
  bdate now{};
  rozararoze(&now);
  year_ = static_cast<int16_t>(now.year);
  month_ = static_cast<int8_t>(now.month);
  day_ = static_cast<int8_t>(now.day);
  return *this;
}

KvDate::operator long() const { return dayabs(); }

long KvDate::divide(long a, long b) { return a / b; }

long KvDate::modulo(long a, long b) { return a % b; }

long KvDate::dayabs() const { return NativeDayNumber(year_, month_, day_); }

void KvDate::dateabs(long dayNumber) {
  NativeDate(static_cast<int32_t>(dayNumber), &year_, &month_, &day_);
}

long KvDate::daynxtmonth() const {
  return NativeDayNumber(year_, month_ + 1, 1) - dayabs();
}

KvDate KvDate::operator+(long days) const {
  return KvDate(static_cast<long>(static_cast<int32_t>(dayabs() + static_cast<int32_t>(days))));
}

KvDate KvDate::operator-(long days) const {
  return KvDate(static_cast<long>(static_cast<int32_t>(dayabs() - static_cast<int32_t>(days))));
}

KvDate& KvDate::operator+=(long days) { return *this = *this + days; }

KvDate& KvDate::operator-=(long days) { return *this = *this - days; }

KvDate& KvDate::operator++() { return *this += 1; }

KvDate& KvDate::operator--() { return *this -= 1; }

long KvDate::operator-(const KvDate& other) const {
  return static_cast<int32_t>(dayabs() - other.dayabs());
}

long KvDate::operator!=(const KvDate& other) const {
  const int32_t mine[3] = {year_, month_, day_};
  const int32_t theirs[3] = {other.year_, other.month_, other.day_};
  for (int i = 0; i < 3; i++) {
    if (mine[i] == -1 || theirs[i] == -1) continue;
    if (mine[i] != theirs[i]) return mine[i] - theirs[i];
  }
  return 0;
}

unsigned short KvDate::operator==(const KvDate& other) const {
  return year_ == other.year_ && month_ == other.month_ && day_ == other.day_;
}

KvDaysOfTheWeek KvDate::DayOfTheDate() const {
  // A congruence on the fields; it agrees with the day number modulo 7 for
  // every Gregorian date while its sum stays positive.
  long a = divide(month_ - 14, 12);
  long y = year_ + a;
  long h = divide(y, 100);
  long m = month_ + 10;
  long w = divide((m - 12 * divide(m, 13)) * 13 - 1, 5) + divide((y - 100 * h) * 5, 4) +
           day_ - 2 * h + divide(y, 400) + 77;
  long r = modulo(w, 7);
  if (r < 0) {
    // The sum turns negative in spring 4600 as the century term outgrows the
    // others; from year 1 on the day number itself gives the weekday. Far
    // below year 1 the weekday stays unknown.
    if (year_ < 1) return static_cast<KvDaysOfTheWeek>(7);
    return static_cast<KvDaysOfTheWeek>(dayabs() % 7);
  }
  return static_cast<KvDaysOfTheWeek>((r + 6) % 7);
}

KvString KvDate::PrintDayOfTheDate() const {
  return KvString(KvWeekdayName(DayOfTheDate()));
}

unsigned short KvDate::IsDate() const {
  return day_ >= 1 && day_ <= 31 && month_ >= 1 && month_ <= 12 && daynxtmonth() > 0;
}

unsigned short KvDate::IsLastDayOfTheMonth() const { return daynxtmonth() == 1; }

// ---- KvTime ----

KvTime::KvTime() { Now(); }

KvTime::KvTime(long seconds) {
  int32_t s = static_cast<int32_t>(seconds);
  hour_ = static_cast<int8_t>(s / 3600);
  minute_ = static_cast<int8_t>(s % 3600 / 60);
  second_ = static_cast<int8_t>(s % 3600 % 60);
}

KvTime::KvTime(signed char hour, signed char minute, signed char second)
    : hour_(hour), minute_(minute), second_(second) {}

KvTime& KvTime::Now() {
  btime now{};
  dadavuvuve(&now);
  hour_ = static_cast<int8_t>(now.hour);
  minute_ = static_cast<int8_t>(now.minute);
  second_ = static_cast<int8_t>(now.second);
  return *this;
}

KvTime::operator long() const { return hour_ * 3600 + minute_ * 60 + second_; }

namespace {

constexpr int32_t kSecondsPerDay = 86400;

KvTime TimeOf(int32_t hour, int32_t minute, int32_t second) {
  return KvTime(static_cast<signed char>(hour), static_cast<signed char>(minute),
                static_cast<signed char>(second));
}

// The borrows after a field-wise subtraction, one step each for the minute
// and the second, then the hour into 0 to 23, however many days it fell
// (or, for a negative count, rose) out of it.
KvTime Borrowed(int32_t hour, int32_t minute, int32_t second) {
  if (second < 0) {
    second += 60;
    minute -= 1;
  }
  if (minute < 0) {
    minute += 60;
    hour -= 1;
  }
  hour %= 24;
  if (hour < 0) hour += 24;
  return TimeOf(hour, minute, second);
}

}  // namespace

// The count's whole days move no field (they are dropped first, keeping the
// count's sign): a time of day stays one whatever the count, and a negative
// count leaves what it always left, fields that may be negative but now
// within a day (12:00:00 plus -86,401 is 12:00:-1).
KvTime KvTime::operator+(long seconds) const {
  const int32_t s = static_cast<int32_t>(seconds) % kSecondsPerDay;
  const int32_t minutes = s / 60;
  const int32_t hours = minutes / 60;
  int32_t hour = hour_ + hours;
  int32_t minute = minute_ + (minutes - 60 * hours);
  int32_t second = second_ + s % 60;
  if (second >= 60) {
    second -= 60;
    minute += 1;
  }
  if (minute >= 60) {
    minute -= 60;
    hour += 1;
  }
  // Past midnight back into the day; an hour that started out of range keeps
  // its sign, within one day.
  return TimeOf(hour % 24, minute, second);
}

KvTime KvTime::operator-(long seconds) const {
  const int32_t s = static_cast<int32_t>(seconds) % kSecondsPerDay;
  const int32_t minutes = s / 60;
  const int32_t hours = minutes / 60;
  return Borrowed(hour_ - hours, minute_ - (minutes - 60 * hours), second_ - s % 60);
}

KvTime& KvTime::operator+=(long seconds) { return *this = *this + seconds; }

KvTime& KvTime::operator-=(long seconds) { return *this = *this - seconds; }

KvTime& KvTime::operator++() { return *this += 1; }

KvTime& KvTime::operator--() { return *this -= 1; }

KvTime KvTime::operator-(const KvTime& other) const {
  return Borrowed(hour_ - other.hour_, minute_ - other.minute_, second_ - other.second_);
}

long KvTime::operator!=(const KvTime& other) const {
  if (hour_ != other.hour_) return hour_ < other.hour_ ? -1 : 1;
  if (minute_ != other.minute_) return minute_ < other.minute_ ? -1 : 1;
  if (second_ != other.second_) return second_ < other.second_ ? -1 : 1;
  return 0;
}

unsigned short KvTime::IsTime() const {
  return hour_ >= 0 && hour_ < 24 && minute_ >= 0 && minute_ < 60 && second_ >= 0 &&
         second_ < 60;
}

// ---- KvDateTime ----

KvDateTime::KvDateTime() { Now(); }

KvDateTime::KvDateTime(const KvDate& date, const KvTime& time) : date_(date), time_(time) {}

KvDateTime::KvDateTime(const KvDate& date) : date_(date), time_() {}

KvDateTime::KvDateTime(const KvTime& time) : date_(), time_(time) {}

KvDateTime& KvDateTime::Now() {
  time_.Now();
  date_.Today();
  return *this;
}

KvDateTime& KvDateTime::operator=(const KvTime& time) {
  time_ = time;
  return *this;
}

unsigned short KvDateTime::IsDaTime() const { return date_.IsDate() && time_.IsTime(); }

long KvDateTime::operator!=(const KvDateTime& other) const {
  long dates = date_ != other.date_;
  if (dates != 0) return dates;
  return time_ != other.time_;
}
