// kvint64.cpp — KvInt64: conversion from double, the decimal, octal and
// hexadecimal texts, and its descriptor row.
#include "kvtm/kvint64.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "kvformat.h"
#include "kvint64_rows.h"
#include "kvplatform/kvi18n.h"
#include "kvtm/kvstring.h"
#include "kvplatform/kvbase.h"
#include "kvplatform/kvmemfile.h"
#include "kvrows.h"
#include "kvtable.h"
#include "kvtm/kvtypcmp.h"
#include "kvtm/kvtypevl.h"

namespace {

KvInt64 OfBits(uint64_t bits) {
  return KvInt64(static_cast<unsigned long>(static_cast<uint32_t>(bits)),
                 static_cast<long>(static_cast<int32_t>(static_cast<uint32_t>(bits >> 32))));
}

uint64_t BitsOf(const KvInt64& v) {
  return static_cast<uint64_t>(static_cast<uint32_t>(v.HighGet())) << 32 | v.LowGet();
}

constexpr uint64_t kMax = 0x7FFFFFFFFFFFFFFFull;
constexpr uint64_t kMinMagnitude = 0x8000000000000000ull;

// The magnitude of a (1 <= a < 2^63) as "%E" shows it, seven significant
// digits: each digit after the first takes one power of ten from the
// exponent, digits beyond the units are dropped, and a remaining exponent
// multiplies. The digits are taken wherever they stand before the 'E', so
// the locale's decimal point, whatever it is, does not matter.
uint64_t SevenDigits(double a) {
  char text[32];
  const int n = std::snprintf(text, sizeof text, "%E", a);
  if (n <= 0 || static_cast<size_t>(n) >= sizeof text) return 0;
  const char* e = static_cast<const char*>(std::memchr(text, 'E', static_cast<size_t>(n)));
  if (e == nullptr) return 0;
  int exponent = 0;
  for (const char* p = e + 1; *p != 0; ++p) {
    if (*p >= '0' && *p <= '9') exponent = exponent * 10 + (*p - '0');
  }
  uint64_t magnitude = 0;
  bool first = true;
  for (const char* p = text; p < e; ++p) {
    if (*p < '0' || *p > '9') continue;
    if (!first) {
      if (exponent == 0) break;
      --exponent;
    }
    magnitude = magnitude * 10 + static_cast<uint64_t>(*p - '0');
    first = false;
  }
  for (; exponent > 0; --exponent) magnitude *= 10;
  return magnitude;
}

bool IsDirective(char c) {
  return c == 'S' || c == 'd' || c == 'i' || c == 'o' || c == 'x' || c == 'X';
}

// The base a directive demands; 0: any.
unsigned BaseOf(char directive) {
  switch (directive) {
    case 'x':
    case 'X':
      return 16;
    case 'o':
      return 8;
    case 'd':
    case 'i':
      return 10;
    default:
      return 0;
  }
}

// '0' to '9', then letters of either case from 10 on; 36 for anything
// else, which no base takes. ASCII only, whatever the locale.
unsigned DigitOf(char c) {
  const unsigned char u = static_cast<unsigned char>(c);
  if (u >= '0' && u <= '9') return u - '0';
  if (u >= 'a' && u <= 'z') return u - 'a' + 10;
  if (u >= 'A' && u <= 'Z') return u - 'A' + 10;
  return 36;
}

void AppendNumber(KvTextBuffer& text, const KvInt64& value, char directive) {
  const uint64_t bits = BitsOf(value);
  const bool negative = value.HighGet() < 0;
  // MIN's magnitude, 2^63, is exact in unsigned arithmetic.
  uint64_t magnitude = negative ? 0 - bits : bits;
  const unsigned base = directive == 'o' ? 8 : directive == 'x' || directive == 'X' ? 16 : 10;
  const char* digits = directive == 'X' ? "0123456789ABCDEF" : "0123456789abcdef";
  char out[32];  // "-0" and 22 octal digits at the most
  char* p = out + sizeof out;
  do {
    *--p = digits[magnitude % base];
    magnitude /= base;
  } while (magnitude != 0);
  if (base == 16) *--p = directive;
  if (base != 10) *--p = '0';
  if (negative) *--p = '-';
  text.Append(p, static_cast<size_t>(out + sizeof out - p));
}

// Reads one number of `directive` from text[*at] on, ending where the text
// ends or holds `stop`, the format character after the directive (0: the
// format's end). True with *bits and *at moved past the digits.
bool ReadNumber(const char* text, size_t length, size_t* at, char directive, char stop,
                uint64_t* bits) {
  size_t t = *at;
  const auto ends = [&](size_t i) { return i >= length || (stop != 0 && text[i] == stop); };
  bool negative = false;
  if (t < length && (text[t] == '-' || text[t] == '+')) {
    negative = text[t] == '-';
    ++t;
  }
  const unsigned demanded = BaseOf(directive);
  unsigned base = 10;
  if (t + 1 < length && text[t] == '0' && (text[t + 1] == 'x' || text[t + 1] == 'X')) {
    base = 16;
    t += 2;
  } else if (!ends(t) && text[t] == '0') {
    // A lone "0" is zero in every base: "%d" prints zero so, and must read
    // it back, although a leading 0 otherwise means octal.
    base = ends(t + 1) ? (demanded != 0 ? demanded : 8) : 8;
  }
  if (demanded != 0 && base != demanded) return false;
  // MIN prints as "-" and its magnitude, which has no positive
  // counterpart; it reads back only with the sign.
  const uint64_t limit = negative ? kMinMagnitude : kMax;
  uint64_t magnitude = 0;
  size_t digits = 0;
  for (; !ends(t); ++t, ++digits) {
    const unsigned d = DigitOf(text[t]);
    if (d >= base || magnitude > (limit - d) / base) return false;
    magnitude = magnitude * base + d;
  }
  if (digits == 0) return false;
  // The digits end where the format goes on, or both end together.
  if (t >= length && stop != 0) return false;
  *bits = negative ? 0 - magnitude : magnitude;
  *at = t;
  return true;
}

}  // namespace

KvInt64::KvInt64(double d) : low_(0), high_(0) {
  const double a = std::fabs(d);
  uint64_t magnitude = 0;
  if (a > 9223372036854774784.0) {
    // 2^63 and beyond (the next double below 2^63 is this bound).
    magnitude = kMax;
  } else if (a >= 1.0) {
    magnitude = SevenDigits(a);
  }
  // Below 1, and NaN, give 0.
  *this = OfBits(d < 0 ? 0 - magnitude : magnitude);
}

KvString& KvInt64::PrintToKvString(KvString& s) const {
  KvTextBuffer text;
  KvPrintInt64(text, *this, "%S");
  text.AppendTo(s);
  return s;
}

void KvInt64::ScanFromKvString(const KvString& s) {
  const char* text = s.StrGet();
  size_t length = s.Len();
  KvString narrow;
  if (KvCodeSetIsWide(s.CodeSetGet())) {
    narrow = s;
    narrow.SetCodeSet(KvString::GetDefault8CodeSet());
    text = narrow.StrGet();
    length = narrow.Len();
  }
  *this = KvScanInt64(text, length, "%S", *this);
}

void KvPrintInt64(KvTextBuffer& text, const KvInt64& value, const char* format) {
  const char* f = format != nullptr ? format : "%S";
  size_t i = 0;
  while (f[i] != 0 && !text.Refused()) {
    if (f[i] == '%' && IsDirective(f[i + 1])) {
      AppendNumber(text, value, f[i + 1]);
      i += 2;
    } else if (f[i] == '%') {
      // Copied, and so is the character after it, which starts nothing.
      const size_t n = f[i + 1] != 0 ? 2 : 1;
      text.Append(f + i, n);
      i += n;
    } else {
      const size_t start = i;
      while (f[i] != 0 && f[i] != '%') ++i;
      text.Append(f + start, i - start);
    }
  }
}

KvInt64 KvScanInt64(const char* text, size_t length, const char* format, const KvInt64& start) {
  const char* f = format != nullptr ? format : "%S";
  const KvInt64 failed(-1);
  KvInt64 value = start;
  size_t t = 0;
  size_t i = 0;
  while (f[i] != 0 && t < length) {
    if (f[i] == '%' && IsDirective(f[i + 1])) {
      uint64_t bits;
      if (!ReadNumber(text, length, &t, f[i + 1], f[i + 2], &bits)) return failed;
      value = OfBits(bits);
      i += 2;
      continue;
    }
    // A '%' before a non-directive is matched with that character, as
    // printing copies both.
    const size_t n = f[i] == '%' && f[i + 1] != 0 ? 2 : 1;
    for (size_t k = 0; k < n; ++k, ++t) {
      if (t >= length) return value;
      if (text[t] != f[i + k]) return failed;
    }
    i += n;
  }
  return value;
}

// ---- KvInt64 rows ----
//
// Stored form: 8 bytes a value, the low word and then the high word, each
// through LongStore in the format's byte order; the word order never
// changes with the format. An array in memory is that same run of 32-bit
// words, so LongStore converts a whole array at once.

namespace {

constexpr uint32_t kInt64Size = sizeof(KvInt64);

// Converts count values' words between the two forms, in runs whose word
// count fits LongStore's 32-bit count.
uint32_t ConvertInt64Words(void* target, void* source, uint8_t format, uint32_t count) {
  if (target == nullptr || source == nullptr) return 0;
  constexpr uint32_t kRun = 1u << 28;
  uint8_t* t = static_cast<uint8_t*>(target);
  uint8_t* s = static_cast<uint8_t*>(source);
  for (uint32_t done = 0; done < count;) {
    const uint32_t n = count - done < kRun ? count - done : kRun;
    const size_t at = size_t{done} * kInt64Size;
    LongStore(t + at, s + at, format, 2 * n);
    done += n;
  }
  return count * kInt64Size;
}

uint32_t StoreInt64(void* stored, void* values, uint8_t format, uint32_t count) {
  return ConvertInt64Words(stored, values, format, count);
}

uint32_t LoadInt64(void* values, void* stored, uint8_t format, uint32_t count) {
  return ConvertInt64Words(values, stored, format, count);
}

uint32_t NullSizeInt64(uint32_t count) { return count * kInt64Size; }
uint32_t SizeInt64(void*, uint8_t, uint8_t, uint32_t count) { return count * kInt64Size; }
uint32_t FileSizeInt64(MemFile*, uint8_t, uint32_t count) { return count * kInt64Size; }

void ConstructInt64(void* values, uint32_t count, uint32_t) {
  KvInt64* v = static_cast<KvInt64*>(values);
  for (uint32_t i = 0; i < count; ++i) new (&v[i]) KvInt64;
}

void DestructInt64(void*, uint32_t, uint32_t) {}

// Memory to memory assigns; memory to stored and back go through Store and
// Load; stored to stored copies the bytes into a zero-filled target. A
// nonzero length also bounds the values converted in the memory cases.
uint32_t TranslateInt64(void* target, uint8_t targetFormat, uint32_t targetLength,
                        void* source, uint8_t sourceFormat, uint32_t sourceLength,
                        uint32_t count) {
  const bool targetInMemory = (targetFormat & 8) != 0;
  const bool sourceInMemory = (sourceFormat & 8) != 0;
  if (targetInMemory || sourceInMemory) {
    if (targetLength != 0 && targetLength / kInt64Size < count) count = targetLength / kInt64Size;
    if (sourceLength != 0 && sourceLength / kInt64Size < count) count = sourceLength / kInt64Size;
  }
  if (targetInMemory && sourceInMemory) {
    AssignValues<KvInt64>(target, source, count, 0);
    return count * kInt64Size;
  }
  if (targetInMemory) return LoadInt64(target, source, sourceFormat, count);
  if (sourceInMemory) return StoreInt64(target, source, targetFormat, count);
  const uint32_t n = sourceLength < targetLength ? sourceLength : targetLength;
  if (sourceLength < targetLength) std::memset(target, 0, targetLength);
  if (n != 0) std::memmove(target, source, n);
  return n;
}

// "12,-3," for two values: each value's "%S" text (the C library's "%lld"
// writes the same digits, MIN included) and a ",".
KvString* Int64List(void* values, uint32_t count) {
  if (values == nullptr) count = 0;
  const KvInt64* v = static_cast<const KvInt64*>(values);
  return ListText(count, [v](uint32_t i, char* buffer, size_t size) {
    const long long n = static_cast<long long>(
        static_cast<uint64_t>(static_cast<uint32_t>(v[i].HighGet())) << 32 | v[i].LowGet());
    return std::snprintf(buffer, size, "%lld,", n);
  });
}

// count new values read from the text list, which is consumed; each item
// is read by "%S" within its own text, and a value beyond the text's end
// stays 0.
void* Int64FromList(KvString* text, uint32_t count) {
  KvInt64* values = static_cast<KvInt64*>(CreateCounted<KvInt64>(count));
  if (values == nullptr) return nullptr;
  ListItems items(text);
  for (uint32_t i = 0; i < count; ++i) {
    size_t length;
    const char* item = items.Next(&length);
    values[i] = KvScanInt64(item, length, "%S", values[i]);
  }
  return values;
}

// One value, whatever the count, appended to `out`; a null format prints
// "%S". A text longer than a string holds is refused whole.
KvString& PrintInt64(KvString& out, void* values, const char* format, uint32_t) {
  if (values == nullptr) return out;
  KvTextBuffer text;
  KvPrintInt64(text, *static_cast<const KvInt64*>(values), format);
  text.AppendTo(out);
  return out;
}

void* ScanInt64(void* values, KvString& text, const char* format, uint32_t) {
  if (values == nullptr) return nullptr;
  KvString narrow;
  size_t length;
  const char* p = ScannedText(text, narrow, &length);
  KvInt64* v = static_cast<KvInt64*>(values);
  *v = KvScanInt64(p, length, format, *v);
  return values;
}

constexpr KvTypeDescriptor Int64Row() {
  KvTypeDescriptor row = EmptyRow("KvInt64", sizeof(KvInt64), 1, "%S");
  row.Create = CreateCounted<KvInt64>;
  row.Delete = DeleteCounted<KvInt64>;
  row.Store = StoreInt64;
  row.Load = LoadInt64;
  row.NullSizeGet = NullSizeInt64;
  row.SizeGet = SizeInt64;
  row.SizeGetFromMemFile = FileSizeInt64;
  row.ConvertToKvString = Int64List;
  row.ConvertFromKvString = Int64FromList;
  row.Constructor = ConstructInt64;
  row.Destructor = DestructInt64;
  row.Assignment = AssignValues<KvInt64>;
  row.Copy = CopyValues<KvInt64>;
  row.Translate = TranslateInt64;
  row.PrintToString = PrintInt64;
  row.ScanFromString = ScanInt64;
  row.Compare = Int64Compare;
  row.EvalAndBound = KvEvalInt64;
  return row;
}

}  // namespace

constinit KvTypeDescriptor kvInt64Row = Int64Row();
