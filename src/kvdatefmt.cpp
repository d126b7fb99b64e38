// kvdatefmt.cpp — printing and scanning dates and times under '%' directives.
//
// The texts are those the library has always written and read, down to the
// month names ("Januar", "Februar") and the two-digit precision of "%e".
// "%I" writes the hours 0 to 12 as they are and 13 to 23 less 12, with "am"
// below 12 and "pm" from 12 on; scanning undoes exactly that, so every text
// the printer writes under a format holding the fields reads back to its
// value. Scanning reads like sscanf with a fixed width, but by hand, so that
// it can never run past the text it was given, whatever the format asks for.
#include "kvdatefmt.h"

#include <cstdio>
#include <cstring>

#include "kvformat.h"

namespace {

void AppendNumber(KvTextBuffer& text, const char* format, int value) {
  char digits[16];  // "%04.4d" of a 16-bit value needs at most 6 bytes
  const int n = std::snprintf(digits, sizeof digits, format, value);
  if (n > 0) text.Append(digits, static_cast<size_t>(n));
}

// The name, or its first three characters.
void AppendName(KvTextBuffer& text, const char* name, bool abbreviated) {
  size_t n = std::strlen(name);
  if (abbreviated && n > 3) n = 3;
  text.Append(name, n);
}

void AppendMonth(KvTextBuffer& text, int month, bool abbreviated) {
  if (month >= 1 && month <= 12) {
    AppendName(text, KvMonthName(month - 1), abbreviated);
  } else {
    AppendNumber(text, "%03.3d", month);
  }
}

}  // namespace

void KvPrintDateTime(KvTextBuffer& text, const KvDateTime& view, const char* format) {
  const KvDate& date = view.DateGet();
  const KvTime& time = view.TimeGet();
  const int hour = time.HourGet();
  for (const char* f = format != nullptr ? format : ""; *f != '\0'; ++f) {
    if (*f != '%') {
      text.Append(f, 1);
      continue;
    }
    ++f;
    switch (*f) {
      case '\0':
        return;
      case 'A':
      case 'a':
        AppendName(text, KvWeekdayName(date.DayOfTheDate()), *f == 'a');
        break;
      case 'B':
      case 'b':
        AppendMonth(text, date.MonthGet(), *f == 'b');
        break;
      case 'd':
        AppendNumber(text, "%02.2d", date.DayGet());
        break;
      case 'e':
        AppendNumber(text, "%2.2d", date.DayGet());
        break;
      case 'H':
        AppendNumber(text, "%02.2d", hour);
        break;
      case 'I':
        AppendNumber(text, "%02.2d", hour > 12 ? hour - 12 : hour);
        break;
      case 'M':
        AppendNumber(text, "%02.2d", time.MinuteGet());
        break;
      case 'S':
        AppendNumber(text, "%02.2d", time.SecondGet());
        break;
      case 'm':
        AppendNumber(text, "%02.2d", date.MonthGet());
        break;
      case 'Y':
        AppendNumber(text, "%04.4d", date.YearGet());
        break;
      case 'y':
        AppendNumber(text, "%02.2d", date.YearGet() % 100);
        break;
      case 'P':
        text.Append(hour < 12 ? "AM" : "PM", 2);
        break;
      case 'p':
        text.Append(hour < 12 ? "am" : "pm", 2);
        break;
      default:  // "%%" and any character that is no directive
        text.Append(f, 1);
        break;
    }
  }
}

namespace {

// A position in the text being scanned; it never passes the text's end.
class ScanText {
 public:
  ScanText(const char* text, size_t length) : text_(text), length_(length) {}

  void Skip(size_t n) { pos_ = n < length_ - pos_ ? pos_ + n : length_; }

  // Whether the next character after any blanks is a sign.
  bool SignAhead() const {
    size_t p = pos_;
    while (p < length_ && IsBlank(text_[p])) ++p;
    return p < length_ && (text_[p] == '-' || text_[p] == '+');
  }

  // An integer as sscanf's "%<width>d" reads it here: blanks skipped, then
  // at most width characters of sign and digits. False, and *value
  // untouched, without a digit.
  bool ReadNumber(int width, int* value) const {
    size_t p = pos_;
    while (p < length_ && IsBlank(text_[p])) ++p;
    const size_t end = width < static_cast<int>(length_ - p) ? p + width : length_;
    bool negative = false;
    if (p < end && (text_[p] == '-' || text_[p] == '+')) negative = text_[p++] == '-';
    int v = 0;
    const size_t digitsStart = p;
    for (; p < end && text_[p] >= '0' && text_[p] <= '9'; ++p) v = v * 10 + (text_[p] - '0');
    if (p == digitsStart) return false;
    *value = negative ? -v : v;
    return true;
  }

  // The first name of the table whose first three characters are the next
  // three here, or -1. *agreeing: how many characters here agree with it.
  int FindName(const char* (*nameOf)(int), int names, size_t* agreeing) const {
    if (length_ - pos_ < 3) return -1;
    for (int i = 0; i < names; ++i) {
      const char* name = nameOf(i);
      if (std::strncmp(name, text_ + pos_, 3) != 0) continue;
      size_t n = 3;
      while (name[n] != '\0' && pos_ + n < length_ && text_[pos_ + n] == name[n]) ++n;
      *agreeing = n;
      return i;
    }
    return -1;
  }

  // True when the rest of the text is exactly `rest`.
  bool RestIs(const char* rest) const {
    const size_t n = std::strlen(rest);
    return length_ - pos_ == n && std::memcmp(text_ + pos_, rest, n) == 0;
  }

 private:
  static bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

  const char* text_;
  size_t length_;
  size_t pos_ = 0;
};

}  // namespace

KvDateTime KvScanDateTime(const char* text, size_t length, const char* format) {
  int year = 0, month = 1, day = 1, hour = 0, minute = 0, second = 0;
  ScanText in(text, length);
  for (const char* f = format != nullptr ? format : ""; *f != '\0'; ++f) {
    if (*f != '%') {
      in.Skip(1);
      continue;
    }
    ++f;
    if (*f == '\0') break;
    int* field = nullptr;
    switch (*f) {
      case 'd':
      case 'e':
        field = &day;
        break;
      case 'm':
        field = &month;
        break;
      case 'H':
      case 'I':
        field = &hour;
        break;
      case 'M':
        field = &minute;
        break;
      case 'S':
        field = &second;
        break;
      case 'Y': {
        // Four digits, after a sign when there is one: a year before 1
        // prints as "-0005", and must not read back as "-000".
        const int width = in.SignAhead() ? 5 : 4;
        in.ReadNumber(width, &year);
        in.Skip(static_cast<size_t>(width));
        break;
      }
      case 'y':
        if (in.ReadNumber(2, &year)) year += 1900;
        in.Skip(2);
        break;
      case 'A':
      case 'a': {
        // The eighth name is "no day", which a date whose weekday is not
        // known (years far enough before 1) prints; passed over like the
        // seven, the rest of such a text reads back too.
        size_t agreeing;
        if (in.FindName(KvWeekdayName, 8, &agreeing) >= 0) in.Skip(agreeing);
        break;
      }
      case 'B':
      case 'b': {
        size_t agreeing;
        const int found = in.FindName(KvMonthName, 12, &agreeing);
        if (found >= 0) {
          month = found + 1;
          in.Skip(agreeing);
        }
        break;
      }
      case 'P':
      case 'p':
        // Only as the format's last directive can the rest be just these.
        // Noon prints as "12 pm" and is already hour 12; "am" changes
        // nothing, as hour 0 prints as "00 am".
        if (in.RestIs(*f == 'P' ? "PM" : "pm") && hour < 12) hour += 12;
        in.Skip(2);
        break;
      default:
        in.Skip(1);
        break;
    }
    if (field != nullptr) {
      in.ReadNumber(2, field);
      in.Skip(2);
    }
  }
  KvDateTime view(KvDate(static_cast<short>(year), static_cast<signed char>(month),
                         static_cast<signed char>(day)),
                  KvTime(static_cast<signed char>(hour), static_cast<signed char>(minute),
                         static_cast<signed char>(second)));
  if (!view.IsDaTime()) {
    view = KvDateTime(KvDate(0, 1, 1), KvTime(0, 0, 0));
  }
  return view;
}
