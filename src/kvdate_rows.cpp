// kvdate_rows.cpp — the descriptor rows of the date and time types: KvDate,
// KvTime, KvDateTime and the ODMG d_Date, d_Time, d_Timestamp, d_Interval.
#include <cstdio>
#include <cstring>
#include <new>

#include "kvdate_access.h"
#include "kvdatefmt.h"
#include "kvevaluate.h"
#include "kvformat.h"
#include "kvplatform/kvbase.h"
#include "kvplatform/kvmemfile.h"
#include "kvrows.h"
#include "kvtable.h"
#include "kvtm/kvdate.h"
#include "kvtm/kvodmg.h"
#include "kvtm/kvtypcmp.h"
#include "kvtm/kvtypevl.h"

// Stored forms: a year through ShortStore in the format's byte order, every
// other field one byte as it is; a d_Time is its six held bytes, an interval
// a float. Every value of a row stores alike, so a null value takes the room
// of any other.

namespace {

template <typename T>
void ConstructDates(void* values, uint32_t count, uint32_t) {
  if (count == 0) return;
  T* v = static_cast<T*>(values);
  new (&v[0]) T;
  for (uint32_t i = 1; i < count; ++i) new (&v[i]) T(v[0]);
}

void DestructDates(void*, uint32_t, uint32_t) {}

// One value's stored form.
void StoreYear(uint8_t* p, int16_t year, uint8_t format) { ShortStore(p, &year, format, 1); }
int16_t LoadYear(const uint8_t* p, uint8_t format) {
  int16_t year;
  ShortStore(&year, const_cast<uint8_t*>(p), format, 1);
  return year;
}
signed char SignedAt(const uint8_t* p, int i) { return static_cast<signed char>(p[i]); }

void StoreOne(uint8_t* p, const KvDate& v, uint8_t f) {
  StoreYear(p, v.YearGet(), f);
  p[2] = static_cast<uint8_t>(v.MonthGet());
  p[3] = static_cast<uint8_t>(v.DayGet());
}
void LoadOne(KvDate* v, const uint8_t* p, uint8_t f) {
  *v = KvDate(LoadYear(p, f), SignedAt(p, 2), SignedAt(p, 3));
}

void StoreOne(uint8_t* p, const KvTime& v, uint8_t) {
  p[0] = static_cast<uint8_t>(v.HourGet());
  p[1] = static_cast<uint8_t>(v.MinuteGet());
  p[2] = static_cast<uint8_t>(v.SecondGet());
}
void LoadOne(KvTime* v, const uint8_t* p, uint8_t) {
  *v = KvTime(SignedAt(p, 0), SignedAt(p, 1), SignedAt(p, 2));
}

void StoreOne(uint8_t* p, const KvDateTime& v, uint8_t f) {
  StoreOne(p, v.DateGet(), f);
  StoreOne(p + 4, v.TimeGet(), f);
}
void LoadOne(KvDateTime* v, const uint8_t* p, uint8_t f) {
  LoadOne(&v->DateGet(), p, f);
  LoadOne(&v->TimeGet(), p + 4, f);
}

void StoreOne(uint8_t* p, const d_Date& v, uint8_t f) {
  StoreYear(p, v.year(), f);
  p[2] = static_cast<uint8_t>(v.month());
  p[3] = static_cast<uint8_t>(v.day());
}
void LoadOne(d_Date* v, const uint8_t* p, uint8_t f) { *v = d_Date(LoadYear(p, f), p[2], p[3]); }

void StoreOne(uint8_t* p, const d_Time& v, uint8_t) {
  p[0] = static_cast<uint8_t>(KvDateAccess::ZoneHour(v));
  p[1] = static_cast<uint8_t>(KvDateAccess::ZoneMinute(v));
  p[2] = static_cast<uint8_t>(KvDateAccess::Hour(v));
  p[3] = static_cast<uint8_t>(KvDateAccess::Minute(v));
  p[4] = static_cast<uint8_t>(KvDateAccess::Second(v));
  p[5] = static_cast<uint8_t>(KvDateAccess::Hundredths(v));
}
void LoadOne(d_Time* v, const uint8_t* p, uint8_t) {
  int8_t held[6];
  std::memcpy(held, p, sizeof held);
  *v = KvDateAccess::TimeOf(held);
}

void StoreOne(uint8_t* p, const d_Timestamp& v, uint8_t f) {
  StoreOne(p, v.date(), f);
  StoreOne(p + 4, v.time(), f);
}
void LoadOne(d_Timestamp* v, const uint8_t* p, uint8_t f) {
  d_Date date(0, 1, 1);
  d_Time time(0L);
  LoadOne(&date, p, f);
  LoadOne(&time, p + 4, f);
  *v = d_Timestamp(date, time);
}

void StoreOne(uint8_t* p, const d_Interval& v, uint8_t f) {
  float seconds = v.SecondsGet();
  FloatStore(p, &seconds, f, 1);
}
void LoadOne(d_Interval* v, const uint8_t* p, uint8_t f) {
  float seconds;
  FloatStore(&seconds, const_cast<uint8_t*>(p), f, 1);
  *v = KvDateAccess::IntervalOf(seconds);
}

// Truncation toward zero of the seconds of an interval, kept within 32 bits.
int32_t WholeSeconds(double seconds) {
  if (!(seconds > -2147483648.0)) return seconds != seconds ? 0 : INT32_MIN;
  if (seconds >= 2147483647.0) return INT32_MAX;
  return static_cast<int32_t>(seconds);
}

// The seconds of the day a d_Time shows, zone-free; hundredths are dropped.
int32_t SecondsOfDay(const d_Time& t) {
  return ((KvDateAccess::Hour(t) - KvDateAccess::ZoneHour(t)) * 60 + KvDateAccess::Minute(t) -
          KvDateAccess::ZoneMinute(t)) * 60 + KvDateAccess::Second(t);
}

// One item of a text list, separator included: a native date its day
// number, an ODMG date the Julian Day Number, times their seconds of the
// day, intervals their whole seconds.
int ListItem(char* b, size_t n, const KvDate& v) {
  return std::snprintf(b, n, "%d;", static_cast<int32_t>(static_cast<long>(v)));
}
int ListItem(char* b, size_t n, const KvTime& v) {
  return std::snprintf(b, n, "%d,", static_cast<int32_t>(static_cast<long>(v)));
}
int ListItem(char* b, size_t n, const KvDateTime& v) {
  return std::snprintf(b, n, "%d:%d;", static_cast<int32_t>(static_cast<long>(v.DateGet())),
                       static_cast<int32_t>(static_cast<long>(v.TimeGet())));
}
int ListItem(char* b, size_t n, const d_Date& v) {
  return std::snprintf(b, n, "%d;", static_cast<int32_t>(KvDateAccess::DayNumber(v) + 1));
}
int ListItem(char* b, size_t n, const d_Time& v) {
  return std::snprintf(b, n, "%d,", SecondsOfDay(v));
}
int ListItem(char* b, size_t n, const d_Timestamp& v) {
  return std::snprintf(b, n, "%d:%d;", static_cast<int32_t>(KvDateAccess::DayNumber(v.date()) + 1),
                       SecondsOfDay(v.time()));
}
int ListItem(char* b, size_t n, const d_Interval& v) {
  return std::snprintf(b, n, "%d,", WholeSeconds(v.SecondsGet()));
}

// An ODMG date from a list number: a Julian Day Number in a ';' list, the
// day number itself in any other.
d_Date ListDate(int32_t number, uint16_t separator) {
  return KvDateAccess::DateOf(separator == ';' ? number - 1 : number);
}

// Where the time of a date-and-time item begins: after the item's ':', or
// null without one. Only the item's own text counts, so that a later
// item's ':' is never taken for it.
const char* ItemTime(const char* item, size_t length) {
  const void* colon = std::memchr(item, ':', length);
  return colon != nullptr ? static_cast<const char*>(colon) + 1 : nullptr;
}

// One value from a list item (its text runs on; length is the item's).
void FromItem(KvDate* v, const char* item, size_t, uint16_t) {
  *v = KvDate(static_cast<long>(ReadLongItem(item)));
}
void FromItem(KvTime* v, const char* item, size_t, uint16_t) {
  *v = KvTime(static_cast<long>(ReadLongItem(item)));
}
void FromItem(d_Interval* v, const char* item, size_t, uint16_t) {
  *v = KvDateAccess::IntervalOf(static_cast<float>(ReadLongItem(item)));
}
void FromItem(d_Time* v, const char* item, size_t, uint16_t) {
  *v = d_Time(static_cast<long>(ReadLongItem(item)));
}
void FromItem(d_Date* v, const char* item, size_t, uint16_t separator) {
  *v = ListDate(ReadLongItem(item), separator);
}
// "date:time"; ":time" stands for the all-zero date.
void FromItem(KvDateTime* v, const char* item, size_t length, uint16_t) {
  KvDate date(static_cast<long>(ReadLongItem(item)));
  KvTime time(0, 0, 0);
  const char* t = ItemTime(item, length);
  if (t != nullptr) {
    if (t == item + 1) date = KvDate(0, 0, 0);
    if (t < item + length) time = KvTime(static_cast<long>(ReadLongItem(t)));
  }
  *v = KvDateTime(date, time);
}
void FromItem(d_Timestamp* v, const char* item, size_t length, uint16_t separator) {
  d_Date date = ListDate(ReadLongItem(item), separator);
  d_Time time(0, 0, 0);
  const char* t = ItemTime(item, length);
  if (t != nullptr) {
    if (t == item + 1) date = d_Date(0, 0, 0);
    if (t < item + length) time = d_Time(static_cast<long>(ReadLongItem(t)));
  }
  *v = d_Timestamp(date, time);
}

// The date and time fields a value prints and scans through, and the value
// a scanned view gives. A date alone shows the current time, a time alone
// today; an ODMG time shows its zone-free clock.
KvDateTime ViewOf(const KvDate& v) { return KvDateTime(v); }
KvDateTime ViewOf(const KvTime& v) { return KvDateTime(v); }
KvDateTime ViewOf(const KvDateTime& v) { return v; }
KvDate NativeDate(const d_Date& v) {
  return KvDate(v.year(), static_cast<signed char>(v.month()), static_cast<signed char>(v.day()));
}
KvTime NativeTime(const d_Time& v) {
  const float second = KvDateAccess::Second(v) + KvDateAccess::Hundredths(v) / 100.0f;
  return KvTime(static_cast<signed char>(KvDateAccess::Hour(v) - KvDateAccess::ZoneHour(v)),
                static_cast<signed char>(KvDateAccess::Minute(v) - KvDateAccess::ZoneMinute(v)),
                static_cast<signed char>(static_cast<int32_t>(second)));
}
KvDateTime ViewOf(const d_Date& v) { return KvDateTime(NativeDate(v), KvTime(0, 0, 0)); }
KvDateTime ViewOf(const d_Time& v) { return KvDateTime(KvDate(0, 1, 1), NativeTime(v)); }
KvDateTime ViewOf(const d_Timestamp& v) {
  return KvDateTime(NativeDate(v.date()), NativeTime(v.time()));
}
// An interval shows as days (kept to a byte), hours, minutes and seconds.
KvDateTime ViewOf(const d_Interval& v) {
  const double s = v.SecondsGet();
  const int32_t whole = WholeSeconds(s);
  const int32_t days = WholeSeconds(s / 86400);
  return KvDateTime(KvDate(0, 1, static_cast<signed char>(days)),
                    KvTime(static_cast<signed char>(whole % 86400 / 3600),
                           static_cast<signed char>(whole % 3600 / 60),
                           static_cast<signed char>(WholeSeconds(s - whole + whole % 60))));
}

void FromView(KvDate* v, const KvDateTime& view) { *v = view.DateGet(); }
void FromView(KvTime* v, const KvDateTime& view) { *v = view.TimeGet(); }
void FromView(KvDateTime* v, const KvDateTime& view) { *v = view; }
void FromView(d_Date* v, const KvDateTime& view) { *v = d_Date(view.DateGet()); }
// An ODMG time prints zone-free, so the hour read is zone-free too: the
// default zone is added to it, as constructing from a native time does, and
// a time printed in any zone reads back as itself.
void FromView(d_Time* v, const KvDateTime& view) { *v = d_Time(view.TimeGet()); }
void FromView(d_Timestamp* v, const KvDateTime& view) {
  *v = d_Timestamp(d_Date(view.DateGet()), d_Time(view.TimeGet()));
}
void FromView(d_Interval* v, const KvDateTime& view) {
  const KvTime& t = view.TimeGet();
  *v = d_Interval(view.DateGet().DayGet(), t.HourGet(), t.MinuteGet(), t.SecondGet());
}

// The slots of the row of T, whose values store in S bytes each.
template <typename T, uint32_t S>
struct DateSlots {
  static uint32_t Store(void* stored, void* values, uint8_t format, uint32_t count) {
    if (stored == nullptr || values == nullptr) return 0;
    uint8_t* p = static_cast<uint8_t*>(stored);
    const T* v = static_cast<const T*>(values);
    for (uint32_t i = 0; i < count; ++i) StoreOne(p + size_t{i} * S, v[i], format & 15);
    return count * S;
  }

  static uint32_t Load(void* values, void* stored, uint8_t format, uint32_t count) {
    if (stored == nullptr || values == nullptr) return 0;
    const uint8_t* p = static_cast<const uint8_t*>(stored);
    T* v = static_cast<T*>(values);
    for (uint32_t i = 0; i < count; ++i) LoadOne(&v[i], p + size_t{i} * S, format & 15);
    return count * S;
  }

  static uint32_t NullSize(uint32_t count) { return count * S; }
  static uint32_t Size(void*, uint8_t, uint8_t, uint32_t count) { return count * S; }
  static uint32_t FileSize(MemFile*, uint8_t, uint32_t count) { return count * S; }

  // Memory to memory assigns; memory to stored and back go through Store
  // and Load; stored to stored copies the bytes into a zero-filled target.
  // A nonzero length also bounds the values converted in the memory cases.
  static uint32_t Translate(void* target, uint8_t targetFormat, uint32_t targetLength,
                            void* source, uint8_t sourceFormat, uint32_t sourceLength,
                            uint32_t count) {
    const bool targetInMemory = (targetFormat & 8) != 0;
    const bool sourceInMemory = (sourceFormat & 8) != 0;
    if (targetInMemory || sourceInMemory) {
      const uint32_t targetSize = targetInMemory ? sizeof(T) : S;
      const uint32_t sourceSize = sourceInMemory ? sizeof(T) : S;
      if (targetLength != 0 && targetLength / targetSize < count) count = targetLength / targetSize;
      if (sourceLength != 0 && sourceLength / sourceSize < count) count = sourceLength / sourceSize;
    }
    if (targetInMemory && sourceInMemory) {
      AssignValues<T>(target, source, count, 0);
      return count * sizeof(T);
    }
    if (targetInMemory) return Load(target, source, sourceFormat, count);
    if (sourceInMemory) return Store(target, source, targetFormat, count);
    const uint32_t n = sourceLength < targetLength ? sourceLength : targetLength;
    if (sourceLength < targetLength) std::memset(target, 0, targetLength);
    if (n != 0) std::memmove(target, source, n);
    return n;
  }

  static KvString* ToText(void* values, uint32_t count) {
    if (values == nullptr) count = 0;
    const T* v = static_cast<const T*>(values);
    return ListText(count, [v](uint32_t i, char* buffer, size_t size) {
      return ListItem(buffer, size, v[i]);
    });
  }

  static void* FromText(KvString* text, uint32_t count) {
    T* values = static_cast<T*>(CreateCounted<T>(count));
    if (values == nullptr) return nullptr;
    ListItems items(text);
    for (uint32_t i = 0; i < count; ++i) {
      size_t length;
      const char* item = items.Next(&length);
      FromItem(&values[i], item, length, items.Separator());
    }
    return values;
  }

  // One value, whatever the count, appended to `out`; a null format prints
  // nothing. A text longer than a string holds is refused whole.
  static KvString& Print(KvString& out, void* values, const char* format, uint32_t) {
    if (values == nullptr) return out;
    KvTextBuffer text;
    KvPrintDateTime(text, ViewOf(*static_cast<const T*>(values)), format);
    text.AppendTo(out);
    return out;
  }

  static void* Scan(void* values, KvString& text, const char* format, uint32_t) {
    if (values == nullptr) return nullptr;
    KvString narrow;
    size_t length;
    const char* p = ScannedText(text, narrow, &length);
    FromView(static_cast<T*>(values), KvScanDateTime(p, length, format));
    return values;
  }
};

template <typename T, uint32_t S>
constexpr KvTypeDescriptor DateRow(const char* name, const char* format, KvTypeCmpFunc compare,
                         KvEvalFunc eval) {
  using Slots = DateSlots<T, S>;
  KvTypeDescriptor row = EmptyRow(name, sizeof(T), 1, format);
  row.Create = CreateCounted<T>;
  row.Delete = DeleteCounted<T>;
  row.Store = Slots::Store;
  row.Load = Slots::Load;
  row.NullSizeGet = Slots::NullSize;
  row.SizeGet = Slots::Size;
  row.SizeGetFromMemFile = Slots::FileSize;
  row.ConvertToKvString = Slots::ToText;
  row.ConvertFromKvString = Slots::FromText;
  row.Constructor = ConstructDates<T>;
  row.Destructor = DestructDates;
  row.Assignment = AssignValues<T>;
  row.Copy = CopyValues<T>;
  row.Translate = Slots::Translate;
  row.PrintToString = Slots::Print;
  row.ScanFromString = Slots::Scan;
  row.Compare = compare;
  row.EvalAndBound = eval;
  return row;
}

}  // namespace

constinit KvTypeDescriptor kvDateRow =
    DateRow<KvDate, 4>("KvDate", "%a %e.%b %Y", DateCompare, KvEvalDate);
constinit KvTypeDescriptor kvTimeRow =
    DateRow<KvTime, 3>("KvTime", "%I:%M:%S %p", TimeCompare, KvEvalTime);
constinit KvTypeDescriptor kvDateTimeRow = DateRow<KvDateTime, 7>(
    "KvDateTime", "%a %e.%b %Y %I:%M:%S %p", DaTimeCompare, KvEvalDateTime);
constinit KvTypeDescriptor kvODMGDateRow =
    DateRow<d_Date, 4>("d_Date", "%a %b %e", d_DateCompare, KvEvald_Date);
constinit KvTypeDescriptor kvODMGTimeRow =
    DateRow<d_Time, 6>("d_Time", "%I:%M:%S %p", d_TimeCompare, KvEvald_Time);
constinit KvTypeDescriptor kvODMGTimestampRow = DateRow<d_Timestamp, 10>(
    "d_Timestamp", "%a %b %e %I:%M:%S %p", d_TimestampCompare, KvEvald_Timestamp);

namespace {

// The interval is stored, compared, evaluated and translated as a float.
constexpr KvTypeDescriptor IntervalRow() {
  KvTypeDescriptor row =
      DateRow<d_Interval, 4>("d_Interval", "%e days, %I hours, %M minutes, %S seconds",
                             FloatCompare, KvEvalNumber<float>);
  row.NullSizeGet = FloatNullSizeGet;
  row.SizeGet = FloatSizeGet;
  row.SizeGetFromMemFile = FileSizeFloat;
  row.Translate = TranslateNumbers<4, FloatStore, FloatStore>;
  return row;
}

}  // namespace

constinit KvTypeDescriptor kvIntervalRow = IntervalRow();
