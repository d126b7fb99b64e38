// kvformat.cpp — number texts: reading numbers from text, and printing or
// scanning one value under a caller's format text.
#include "kvformat.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "kvplatform/kvbase.h"
#include "kvplatform/kvmemory.h"
#include "kvstring_access.h"
#include "kvtm/kvstring.h"

// ---- Reading a number ----

namespace {

// A 32-bit long clamps where the host's wider one does not.
int32_t ClampToLong32(long long v) {
  if (v < INT32_MIN) return INT32_MIN;
  if (v > INT32_MAX) return INT32_MAX;
  return static_cast<int32_t>(v);
}

uint16_t UnitAt(const char* units, size_t i) {
  uint16_t u;
  std::memcpy(&u, units + 2 * i, 2);
  return u;
}


}  // namespace

int32_t KvTextToLong(const char* text, bool plainDecimal) {
  // strtoll clamps only at 64 bits; clamping its result again gives what a
  // 32-bit strtol (and atol, which is strtol with base 10) gives.
  return ClampToLong32(std::strtoll(text, nullptr, plainDecimal ? 10 : 0));
}

double KvTextToDouble(const char* text) { return std::strtod(text, nullptr); }

int32_t KvUnitsToLong(const char* units) {
  // Unsigned, so that the wrap is defined; it is the 32-bit platform's.
  uint32_t value = 0;
  for (size_t i = 0; UnitAt(units, i) != 0; ++i)
    value = value * 10u + (static_cast<uint32_t>(UnitAt(units, i)) - '0');
  return static_cast<int32_t>(value);
}

double KvUnitsToDouble(const char* units) {
  // The whole part is a real number here: a double has no 32-bit range to
  // wrap in.
  size_t i = 0;
  double value = 0.0;
  for (uint16_t u; (u = UnitAt(units, i)) != 0 && u != '.'; ++i)
    value = value * 10.0 + (static_cast<int>(u) - '0');
  if (UnitAt(units, i) != '.') return value;
  double scale = 1.0;
  for (uint16_t u; (u = UnitAt(units, ++i)) != 0;) {
    scale *= 10.0;
    value += (static_cast<int>(u) - '0') / scale;
  }
  return value;
}

// ---- Text under construction ----

KvTextBuffer::~KvTextBuffer() { KvMemFree(data_); }

bool KvTextBuffer::Reserve(size_t n) {
  if (refused_) return false;
  if (n > limit_ - length_) {
    refused_ = true;
    return false;
  }
  const size_t need = length_ + n + 1;
  if (need <= capacity_) return true;
  size_t capacity = capacity_ < 64 ? 64 : 2 * capacity_;
  if (capacity < need) capacity = need;
  if (capacity > limit_ + 1) capacity = limit_ + 1;
  char* data = static_cast<char*>(KvMemAlloc(static_cast<uint32_t>(capacity)));
  if (data == nullptr) {
    refused_ = true;
    return false;
  }
  if (length_ != 0) std::memcpy(data, data_, length_);
  data[length_] = 0;
  KvMemFree(data_);
  data_ = data;
  capacity_ = capacity;
  return true;
}

bool KvTextBuffer::Append(const char* bytes, size_t n) {
  if (!Reserve(n)) return false;
  std::memcpy(End(), bytes, n);
  Grow(n);
  return true;
}

void KvTextBuffer::Grow(size_t n) {
  length_ += n;
  data_[length_] = 0;
}

void KvTextBuffer::AssignTo(KvString& out) const {
  if (refused_) {
    // As a string refuses text too long for it: no text rather than a cut
    // one that reads as a different number.
    out = static_cast<const char*>(nullptr);
    KvStringAccess::ReportOverflow();
    return;
  }
  out = Text();
}

void KvTextBuffer::AppendTo(KvString& out) const {
  if (refused_) {
    KvStringAccess::ReportOverflow();
    return;
  }
  // An append that would pass what a string holds is refused whole by the
  // string itself, and reported there.
  if (length_ != 0) out << Text();
}

// A new string's code set decides how many units a list may have.
KvListText::KvListText()
    : text_(KvSTRING_MAX_SIZE / KvUnitWidth(KvString().CodeSetGet()) - 1) {}

bool KvListText::Add(const char* item, size_t n) {
  if (text_.Refused()) return false;
  if (text_.Append(item, n)) return true;
  KvStringAccess::ReportOverflow();
  return false;
}

KvString* KvListText::Release() const {
  KvString* list = new (std::nothrow) KvString();
  if (list != nullptr && text_.Length() != 0) {
    KvStringAccess::AssignUnits(*list, text_.Text(), KvString::GetDefault8CodeSet(),
                                KvSTRING_WHOLE, KvFORMAT_LSB_FIRST);
  }
  return list;
}

// ---- Directives ----

namespace {

// The widest field and the longest precision a string could show.
constexpr uint32_t kFieldLimit = KvTextBuffer::kStringLimit;
// Width and precision digits saturate here, long before 32 bits wrap.
constexpr uint32_t kDigitsCap = 1000000;

enum class Modifier : uint8_t { kNone, kHH, kH, kL, kLL, kBigL, kOther };

// One directive of a format, from its '%' through its conversion character.
struct Directive {
  size_t length = 0;    // characters of the format it spans
  char conversion = 0;  // 0 when the format ends inside the directive
  bool minus = false;
  bool plus = false;
  bool blank = false;
  bool hash = false;
  bool zero = false;
  bool foreign = false;  // a '*' or an argument position: it names another argument
  bool hasWidth = false;
  uint32_t width = 0;
  bool hasPrecision = false;
  uint32_t precision = 0;
  Modifier modifier = Modifier::kNone;
};

bool IsDecimal(char c) { return c >= '0' && c <= '9'; }

// isspace of the C locale, whatever locale the application chose.
bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

uint32_t ReadDigits(const char*& p) {
  uint32_t v = 0;
  for (; IsDecimal(*p); ++p)
    if (v < kDigitsCap) v = 10 * v + static_cast<uint32_t>(*p - '0');
  return v;
}

// Skips "n$" at p when it is there.
bool SkipPosition(const char*& p) {
  const char* q = p;
  ReadDigits(q);
  if (q == p || *q != '$') return false;
  p = q + 1;
  return true;
}

Directive ParseDirective(const char* start) {
  Directive d;
  const char* p = start + 1;
  if (SkipPosition(p)) d.foreign = true;
  for (;; ++p) {
    if (*p == '-') {
      d.minus = true;
    } else if (*p == '+') {
      d.plus = true;
    } else if (*p == ' ') {
      d.blank = true;
    } else if (*p == '#') {
      d.hash = true;
    } else if (*p == '0') {
      d.zero = true;
    } else {
      break;
    }
  }
  if (*p == '*') {
    d.foreign = true;
    ++p;
    SkipPosition(p);
  } else if (IsDecimal(*p)) {
    d.hasWidth = true;
    d.width = ReadDigits(p);
  }
  if (*p == '.') {
    ++p;
    d.hasPrecision = true;
    if (*p == '*') {
      d.foreign = true;
      ++p;
      SkipPosition(p);
    } else {
      d.precision = ReadDigits(p);
    }
  }
  if (*p == 'h') {
    d.modifier = p[1] == 'h' ? Modifier::kHH : Modifier::kH;
    p += p[1] == 'h' ? 2 : 1;
  } else if (*p == 'l') {
    d.modifier = p[1] == 'l' ? Modifier::kLL : Modifier::kL;
    p += p[1] == 'l' ? 2 : 1;
  } else if (*p == 'L') {
    d.modifier = Modifier::kBigL;
    ++p;
  } else if (*p == 'q' || *p == 'j' || *p == 'z' || *p == 't') {
    d.modifier = Modifier::kOther;
    ++p;
  }
  d.conversion = *p;
  d.length = static_cast<size_t>(p - start) + (*p != 0 ? 1 : 0);
  return d;
}

bool IsIntegerConversion(char c) { return c != 0 && std::strchr("diouxX", c) != nullptr; }
bool IsRealConversion(char c) { return c != 0 && std::strchr("fFeEgGaA", c) != nullptr; }
bool IsSignedConversion(char c) { return c == 'd' || c == 'i'; }

// Whether the directive converts a value of the kind: the conversions of
// the kind, with no modifier or the one that names the kind's own width (l
// is 32 bits, as on the platform the texts come from). A 'c' with a
// modifier is a wide character, never a number.
bool Fits(const Directive& d, KvValueKind kind) {
  if (d.foreign || d.conversion == 0) return false;
  if (kind == KvValueKind::kReal) {
    return IsRealConversion(d.conversion) &&
           (d.modifier == Modifier::kNone || d.modifier == Modifier::kL ||
            d.modifier == Modifier::kBigL);
  }
  if (d.conversion == 'c') return d.modifier == Modifier::kNone;
  if (!IsIntegerConversion(d.conversion)) return false;
  const Modifier own = kind == KvValueKind::kByte    ? Modifier::kHH
                       : kind == KvValueKind::kShort ? Modifier::kH
                                                     : Modifier::kL;
  return d.modifier == Modifier::kNone || d.modifier == own;
}

// Scanning has no flags and no precision, and a 'c' reads one character.
bool FitsScan(const Directive& d, KvValueKind kind) {
  if (d.minus || d.plus || d.blank || d.hash || d.zero || d.hasPrecision) return false;
  if (d.conversion == 'c' && d.hasWidth && d.width != 1) return false;
  return Fits(d, kind);
}

// ---- Printing ----

template <typename T>
void FormatInto(KvTextBuffer& out, const char* directive, T arg) {
  const int n = std::snprintf(nullptr, 0, directive, arg);
  if (n < 0 || !out.Reserve(static_cast<size_t>(n))) return;
  std::snprintf(out.End(), static_cast<size_t>(n) + 1, directive, arg);
  out.Grow(static_cast<size_t>(n));
}

// Formats the value with a directive rebuilt from the caller's: only the
// flags C defines for the conversion, width and precision clamped, and no
// modifier, the value being narrowed here instead. So the C library only
// ever sees a directive of our making with an argument of its type.
void PrintDirective(KvTextBuffer& out, const Directive& d, KvValueKind kind,
                    const KvNumber& value) {
  const char c = d.conversion;
  const bool real = kind == KvValueKind::kReal;
  const bool isSigned = IsSignedConversion(c);
  char directive[32];
  size_t k = 0;
  directive[k++] = '%';
  if (d.minus) directive[k++] = '-';
  if (d.plus && (isSigned || real)) directive[k++] = '+';
  if (d.blank && (isSigned || real)) directive[k++] = ' ';
  if (d.hash && (real || c == 'o' || c == 'x' || c == 'X')) directive[k++] = '#';
  if (d.zero && c != 'c') directive[k++] = '0';
  if (d.hasWidth) {
    const uint32_t width = d.width < kFieldLimit ? d.width : kFieldLimit;
    k += static_cast<size_t>(std::snprintf(directive + k, sizeof directive - k, "%u", width));
  }
  if (d.hasPrecision && c != 'c') {
    const uint32_t precision = d.precision < kFieldLimit ? d.precision : kFieldLimit;
    k += static_cast<size_t>(std::snprintf(directive + k, sizeof directive - k, ".%u", precision));
  }
  directive[k++] = c;
  directive[k] = 0;

  if (real) {
    FormatInto(out, directive, value.real);
    return;
  }
  int32_t v = static_cast<int32_t>(value.bits);
  if (d.modifier == Modifier::kHH) {
    v = isSigned ? static_cast<int8_t>(v) : static_cast<uint8_t>(v);
  } else if (d.modifier == Modifier::kH) {
    v = isSigned ? static_cast<int16_t>(v) : static_cast<uint16_t>(v);
  }
  if (isSigned || c == 'c') {
    FormatInto(out, directive, static_cast<int>(v));
  } else {
    FormatInto(out, directive, static_cast<unsigned>(v));
  }
}

// ---- Scanning ----

unsigned DigitValue(char c) {
  if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
  if (c >= 'a' && c <= 'z') return static_cast<unsigned>(c - 'a' + 10);
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned>(c - 'A' + 10);
  return 99;
}

// An integer in the first `limit` bytes of s as strtol (signed) or strtoul
// reads it with the conversion's base, in 32 bits: a signed value beyond
// the range clamps to it; an unsigned one clamps to 4294967295, and a
// negative one wraps.
bool ReadInteger(const char* s, size_t limit, char conversion, uint32_t* bits, size_t* used) {
  unsigned base = conversion == 'i'                      ? 0
                  : conversion == 'o'                    ? 8
                  : conversion == 'd' || conversion == 'u' ? 10
                                                         : 16;
  size_t i = 0;
  bool negative = false;
  if (i < limit && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  // "0x" is a prefix only when a hexadecimal digit follows within the
  // field; otherwise the 0 is the number.
  const bool prefix = i + 2 < limit && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X') &&
                      DigitValue(s[i + 2]) < 16;
  if (base == 0) base = prefix ? 16 : i < limit && s[i] == '0' ? 8 : 10;
  if (base == 16 && prefix) i += 2;
  const size_t first = i;
  uint64_t magnitude = 0;
  for (; i < limit && DigitValue(s[i]) < base; ++i) {
    magnitude = magnitude * base + DigitValue(s[i]);
    if (magnitude > UINT32_MAX) magnitude = uint64_t{UINT32_MAX} + 1;  // saturated
  }
  if (i == first) return false;
  if (IsSignedConversion(conversion)) {
    int64_t v = negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
    if (v < INT32_MIN) v = INT32_MIN;
    if (v > INT32_MAX) v = INT32_MAX;
    *bits = static_cast<uint32_t>(static_cast<int32_t>(v));
  } else if (magnitude > UINT32_MAX) {
    *bits = UINT32_MAX;
  } else {
    *bits = negative ? 0u - static_cast<uint32_t>(magnitude) : static_cast<uint32_t>(magnitude);
  }
  *used = i;
  return true;
}

// A real in the first `limit` bytes of s as strtod reads it. strtod has no
// limit of its own, so it reads a terminated copy of the field.
bool ReadReal(const char* s, size_t limit, double* real, size_t* used) {
  if (limit == 0) return false;
  char* field = static_cast<char*>(KvMemAlloc(static_cast<uint32_t>(limit + 1)));
  if (field == nullptr) return false;
  std::memcpy(field, s, limit);
  field[limit] = 0;
  char* end = field;
  const double v = std::strtod(field, &end);
  const size_t n = static_cast<size_t>(end - field);
  KvMemFree(field);
  if (n == 0) return false;
  *real = v;
  *used = n;
  return true;
}

// The value directive's field at the start of text; the blanks before a
// number are skipped and do not count toward the width.
bool ReadField(const Directive& d, KvValueKind kind, const char* text, size_t length,
               KvNumber* value, size_t* used) {
  if (d.conversion == 'c') {
    if (length == 0) return false;
    value->bits = static_cast<uint8_t>(text[0]);
    *used = 1;
    return true;
  }
  size_t i = 0;
  while (i < length && IsBlank(text[i])) ++i;
  size_t field = length - i;
  if (d.hasWidth && d.width < field) field = d.width;
  size_t n = 0;
  if (kind == KvValueKind::kReal) {
    if (!ReadReal(text + i, field, &value->real, &n)) return false;
  } else if (!ReadInteger(text + i, field, d.conversion, &value->bits, &n)) {
    return false;
  }
  *used = i + n;
  return true;
}

}  // namespace

void KvPrintValue(KvTextBuffer& out, const char* format, KvValueKind kind,
                  const KvNumber& value) {
  if (format == nullptr) return;
  bool printed = false;
  for (const char* p = format; *p != 0 && !out.Refused();) {
    const char* percent = std::strchr(p, '%');
    if (percent == nullptr) {
      out.Append(p, std::strlen(p));
      return;
    }
    out.Append(p, static_cast<size_t>(percent - p));
    if (percent[1] == '%') {
      out.Append("%", 1);
      p = percent + 2;
      continue;
    }
    const Directive d = ParseDirective(percent);
    if (!printed && Fits(d, kind)) {
      PrintDirective(out, d, kind, value);
      printed = true;
    } else {
      out.Append(percent, d.length);
    }
    p = percent + d.length;
  }
}

bool KvScanValue(const char* text, size_t length, const char* format, KvValueKind kind,
                 KvNumber* value) {
  if (format == nullptr) return false;
  bool read = false;
  size_t pos = 0;
  for (const char* f = format; *f != 0;) {
    if (IsBlank(*f)) {
      while (IsBlank(*f)) ++f;
      while (pos < length && IsBlank(text[pos])) ++pos;
      continue;
    }
    // What the text must hold here, byte for byte: one character, or a
    // directive that is literal text.
    size_t literal = 1;
    if (f[0] == '%' && f[1] == '%') {
      ++f;
    } else if (f[0] == '%') {
      const Directive d = ParseDirective(f);
      if (!read && FitsScan(d, kind)) {
        KvNumber v = *value;
        size_t used = 0;
        if (!ReadField(d, kind, text + pos, length - pos, &v, &used)) return false;
        *value = v;
        read = true;
        pos += used;
        f += d.length;
        continue;
      }
      literal = d.length;
    }
    if (length - pos < literal || std::memcmp(text + pos, f, literal) != 0) return read;
    pos += literal;
    f += literal;
  }
  return read;
}

KvStringDirective KvFindStringDirective(const char* format) {
  KvStringDirective found;
  if (format == nullptr) return found;
  for (const char* p = std::strchr(format, '%'); p != nullptr; p = std::strchr(p, '%')) {
    if (p[1] == '%') {
      p += 2;
      continue;
    }
    const Directive d = ParseDirective(p);
    if (d.conversion == 's' && !d.foreign && d.modifier == Modifier::kNone) {
      found.start = p;
      found.end = p + d.length;
      found.left = d.minus;
      found.width = d.hasWidth ? std::min(d.width, kFieldLimit) : 0;
      found.hasPrecision = d.hasPrecision;
      found.precision = std::min(d.precision, kFieldLimit);
      return found;
    }
    if (d.conversion == 0) break;
    p += d.length;
  }
  return found;
}

void KvAppendLiteral(KvTextBuffer& out, const char* from, const char* to) {
  while (from < to) {
    const void* percent = std::memchr(from, '%', static_cast<size_t>(to - from));
    const char* stop = percent != nullptr ? static_cast<const char*>(percent) : to;
    out.Append(from, static_cast<size_t>(stop - from));
    if (stop == to) return;
    // A percent sign doubled stands for itself; a lone one is literal.
    out.Append("%", 1);
    from = stop + (stop + 1 < to && stop[1] == '%' ? 2 : 1);
  }
}
