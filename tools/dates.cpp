// dates.cpp — date and time values at the terminal.
#include "dates.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "cli.h"
#include "kvtm/kvdate.h"
#include "kvtm/kvodmg.h"

namespace {

const char* ExpectedForm(char id) {
  switch (id) {
    case KvTYPE_DATE:
    case KvTYPE_D_DATE:
      return "YYYY-MM-DD, '*' for any field";
    case KvTYPE_TIME:
      return "HH:MM:SS";
    case KvTYPE_DATETIME:
      return "YYYY-MM-DDTHH:MM:SS";
    case KvTYPE_D_TIME:
      return "HH:MM:SS[.ff][+HH:MM]";
    case KvTYPE_D_TIMESTAMP:
      return "YYYY-MM-DDTHH:MM:SS[.ff][+HH:MM]";
    default:
      return "seconds";
  }
}

// Reads dates and times in their ISO 8601 forms.
class Reader : public TextReader {
 public:
  Reader(char id, const std::string& text) : TextReader(id, text, ExpectedForm(id)) {}

  // An unsigned decimal of 1 to `maxDigits` digits within [low, high], or
  // '*' (wildcard) when allowed: -1.
  long Number(int maxDigits, long low, long high, bool wildcard = false) {
    if (wildcard && Next('*')) return -1;
    long v = 0;
    int digits = 0;
    while (DigitNext() && digits < maxDigits) {
      v = v * 10 + TakeDigit();
      ++digits;
    }
    if (digits == 0 || v < low || v > high) Fail();
    return v;
  }

  KvDate Date() {
    const bool negative = Next('-');
    long year = Number(5, 0, 32767, !negative);
    if (negative) year = -year;
    Expect('-');
    const long month = Number(2, 1, 12, true);
    Expect('-');
    const long day = Number(2, 1, 31, true);
    // A day the month does not have is refused; with the year a wildcard
    // February keeps its 29th.
    if (day > 0 && month > 0) {
      const short y = year >= 0 || negative ? static_cast<short>(year) : 2000;
      if (!KvDate(y, static_cast<signed char>(month), static_cast<signed char>(day)).IsDate()) Fail();
    }
    return KvDate(static_cast<short>(year), static_cast<signed char>(month),
                  static_cast<signed char>(day));
  }

  // Hours, minutes, seconds; the fraction of a second in *fraction.
  KvTime Time(float* fraction) {
    const long hour = Number(2, 0, 23);
    Expect(':');
    const long minute = Number(2, 0, 59);
    Expect(':');
    const long second = Number(2, 0, 59);
    *fraction = 0;
    if (Next('.')) {
      float scale = 0.1f;
      const size_t start = pos_;
      while (DigitNext()) {
        *fraction += scale * static_cast<float>(TakeDigit());
        scale /= 10;
      }
      if (pos_ == start) Fail();
    }
    return KvTime(static_cast<signed char>(hour), static_cast<signed char>(minute),
                  static_cast<signed char>(second));
  }

  void DateTimeSeparator() {
    if (!Next('T') && !Next(' ')) Fail();
  }

  // An ODMG time: the zone given, or the default zone.
  d_Time OdmgTime() {
    float fraction;
    const KvTime t = Time(&fraction);
    const float second = static_cast<float>(t.SecondGet()) + fraction;
    if (AtEnd()) return d_Time(t.HourGet(), t.MinuteGet(), second);
    long zoneHour = 0, zoneMinute = 0;
    if (!Next('Z')) {
      const bool negative = Next('-');
      if (!negative) Expect('+');
      zoneHour = Number(2, 0, 14);
      if (Next(':')) zoneMinute = Number(2, 0, 59);
      if (negative) {
        zoneHour = -zoneHour;
        zoneMinute = -zoneMinute;
      }
    }
    return d_Time(t.HourGet(), t.MinuteGet(), second, static_cast<short>(zoneHour),
                  static_cast<short>(zoneMinute));
  }
};

std::string Field(int v, int width) {
  if (v == -1) return "*";
  if (v < 0) return "-" + Field(-v, width);
  char text[16];
  std::snprintf(text, sizeof text, "%0*d", width, v);
  return text;
}

std::string DateText(int year, int month, int day) {
  return Field(year, 4) + "-" + Field(month, 2) + "-" + Field(day, 2);
}

std::string TimeText(int hour, int minute, int second) {
  return Field(hour, 2) + ":" + Field(minute, 2) + ":" + Field(second, 2);
}

// The zone-free clock of an ODMG time as it prints, and its zone.
std::string OdmgTimeText(const d_Time& t) {
  int8_t held[6];
  std::memcpy(held, &t, sizeof held);  // zone hour, zone minute, hour, minute, second, hundredths
  std::string text = TimeText(held[2] - held[0], held[3] - held[1], held[4]);
  char tail[32];
  std::snprintf(tail, sizeof tail, ".%02d%c%02d:%02d", held[5], held[0] < 0 || held[1] < 0 ? '-' : '+',
                std::abs(held[0]), std::abs(held[1]));
  return text + tail;
}

}  // namespace

bool IsDateType(char id) {
  return id == KvTYPE_DATE || id == KvTYPE_TIME || id == KvTYPE_DATETIME || id == KvTYPE_D_DATE ||
         id == KvTYPE_D_TIME || id == KvTYPE_D_TIMESTAMP || id == KvTYPE_D_INTERVAL;
}

void ParseDate(char id, const std::string& text, void* out) {
  Reader in(id, text);
  float fraction;
  switch (id) {
    case KvTYPE_DATE:
      *static_cast<KvDate*>(out) = in.Date();
      break;
    case KvTYPE_D_DATE: {
      const KvDate d = in.Date();
      *static_cast<d_Date*>(out) = d_Date(d.YearGet(), static_cast<uint8_t>(d.MonthGet()),
                                          static_cast<uint8_t>(d.DayGet()));
      break;
    }
    case KvTYPE_TIME:
      *static_cast<KvTime*>(out) = in.Time(&fraction);
      if (fraction != 0) in.Fail();
      break;
    case KvTYPE_DATETIME: {
      const KvDate d = in.Date();
      in.DateTimeSeparator();
      const KvTime t = in.Time(&fraction);
      if (fraction != 0) in.Fail();
      *static_cast<KvDateTime*>(out) = KvDateTime(d, t);
      break;
    }
    case KvTYPE_D_TIME:
      *static_cast<d_Time*>(out) = in.OdmgTime();
      break;
    case KvTYPE_D_TIMESTAMP: {
      const d_Date d(in.Date());
      in.DateTimeSeparator();
      *static_cast<d_Timestamp*>(out) = d_Timestamp(d, in.OdmgTime());
      break;
    }
    case KvTYPE_D_INTERVAL: {
      char* end = nullptr;
      const double seconds = std::strtod(text.c_str(), &end);
      if (text.empty() || *end != '\0' || !std::isfinite(seconds)) in.Fail();
      *static_cast<d_Interval*>(out) = d_Interval(0, 0, 0, static_cast<float>(seconds));
      return;
    }
  }
  if (!in.AtEnd()) in.Fail();
}

std::string ShowDate(char id, const void* value) {
  switch (id) {
    case KvTYPE_DATE: {
      const KvDate& d = *static_cast<const KvDate*>(value);
      return DateText(d.YearGet(), d.MonthGet(), d.DayGet());
    }
    case KvTYPE_D_DATE: {
      const d_Date& d = *static_cast<const d_Date*>(value);
      return DateText(d.year(), d.month() == 0xFF ? -1 : d.month(), d.day() == 0xFF ? -1 : d.day());
    }
    case KvTYPE_TIME: {
      const KvTime& t = *static_cast<const KvTime*>(value);
      return TimeText(t.HourGet(), t.MinuteGet(), t.SecondGet());
    }
    case KvTYPE_DATETIME: {
      const KvDateTime& v = *static_cast<const KvDateTime*>(value);
      return ShowDate(KvTYPE_DATE, &v.DateGet()) + "T" + ShowDate(KvTYPE_TIME, &v.TimeGet());
    }
    case KvTYPE_D_TIME:
      return OdmgTimeText(*static_cast<const d_Time*>(value));
    case KvTYPE_D_TIMESTAMP: {
      const d_Timestamp& v = *static_cast<const d_Timestamp*>(value);
      return ShowDate(KvTYPE_D_DATE, &v.date()) + "T" + OdmgTimeText(v.time());
    }
    default: {
      char text[64];
      std::snprintf(text, sizeof text, "%.9g s", static_cast<const d_Interval*>(value)->SecondsGet());
      return text;
    }
  }
}
