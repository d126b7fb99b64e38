// kvstring.cpp — the library's string value: representation, the edit
// primitive, code set conversion and construction.
#include "kvtm/kvstring.h"

#include <cstdio>
#include <cstring>

#include "kvplatform/kvassert.h"
#include "kvplatform/kvbase.h"
#include "kvplatform/kvbyteorder.h"
#include "kvplatform/kvconfig.h"
#include "kvplatform/kvi18n.h"
#include "kvplatform/kvmemory.h"
#include "kvformat.h"
#include "kvstring_access.h"
#include "kvtm/kvchar.h"
#include "kvtm/kvtypemgr.h"

// The four fields are the memory form of type id 11: a pointer, then 16, 8
// and 8 bits, padded to the pointer's alignment.
static_assert(sizeof(KvString) == (sizeof(void*) == 8 ? 16 : 8), "KvString memory form");

namespace {

// StrGet's text for a string without a buffer: four zero bytes read as an
// empty text in either width.
char emptyText[4] = {0, 0, 0, 0};

// Units before the zero unit of `text`. Counted at full width so that a text
// too long for any string is refused as such rather than taken modulo 65536.
uint32_t UnitCount(const char* text, uint8_t width) {
  size_t n = 0;
  if (width == 1) {
    n = std::strlen(text);
  } else {
    while (text[2 * n] != 0 || text[2 * n + 1] != 0) ++n;
  }
  return n > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(n);
}

// One unit at `p`; 16-bit units in `unitFormat` (2: most significant byte
// first, else native order).
uint16_t ReadUnit(const char* p, uint8_t width, uint8_t unitFormat) {
  if (width == 1) return static_cast<uint8_t>(*p);
  if (KvFormatIsMsbFirst(unitFormat)) return KvLoadBits<uint16_t>(p, KvFORMAT_MSB_FIRST);
  uint16_t unit;
  std::memcpy(&unit, p, 2);
  return unit;
}

// Writes `unit` at `p` in native order; an 8-bit unit keeps the low byte.
void WriteUnit(char* p, uint16_t unit, uint8_t width) {
  if (width == 1) {
    *p = static_cast<char>(unit & 0xFF);
  } else {
    std::memcpy(p, &unit, 2);
  }
}

// The value in `target` of character `unit` of `source`. Code set 0 is the
// native one on both sides, so text labelled 0 and text in the native code
// set pass unchanged between each other.
uint16_t MapUnit(uint16_t unit, uint8_t source, uint8_t target) {
  const uint8_t native = KvLanguageContext::GetNativeCodeSet();
  if (source == KvCS_NATIVE) source = native;
  if (target == KvCS_NATIVE) target = native;
  if (source == target) return unit;
  return KvLanguageContext::QueryCodeSet(target)->MapFrom(unit, source);
}

}  // namespace

// ---- Representation ----

char* KvString::StrGet() const { return buffer_ != nullptr ? buffer_ : emptyText; }

unsigned short KvString::Len() const {
  if (buffer_ == nullptr) return 0;
  if (!KvCodeSetIsWide(codeSet_)) {
    // Bounded by the size: a buffer that was handed over (Adopt) is trusted
    // to be terminated, but a scan must not leave it if it is not.
    const char* zero = static_cast<const char*>(std::memchr(buffer_, 0, size_));
    return static_cast<unsigned short>(zero != nullptr ? zero - buffer_ : size_);
  }
  const uint32_t units = size_ / 2;
  uint32_t n = 0;
  while (n < units && (buffer_[2 * n] != 0 || buffer_[2 * n + 1] != 0)) ++n;
  return static_cast<unsigned short>(n);
}

unsigned short KvString::IsEmpty() const {
  if (buffer_ == nullptr) return 1;
  if (!KvCodeSetIsWide(codeSet_)) return buffer_[0] == 0 ? 1 : 0;
  uint16_t first = 0;
  ShortStore(&first, buffer_, KvFORMAT_LSB_FIRST, 1);
  return first == 0 ? 1 : 0;
}

void KvString::d_deactivate() {
  KvMemFree(buffer_);
  buffer_ = nullptr;
  size_ = 0;
  codeSet_ = 0;
  language_ = 0;
}

void KvString::Destruct(KvString& other) {
  if (&other == this) return;
  KvMemFree(buffer_);
  buffer_ = other.buffer_;
  size_ = other.size_;
  codeSet_ = other.codeSet_;
  language_ = other.language_;
  other.buffer_ = nullptr;
  other.size_ = 0;
}

void KvString::Adopt(char* buffer, uint16_t size) {
  if (buffer != buffer_) KvMemFree(buffer_);
  buffer_ = buffer;
  size_ = buffer != nullptr ? size : 0;
}

void KvString::ReportOverflow() {
  // An absent entry leaves the flag 0: by default a refused change is silent.
  int32_t flag = 0;
  DefaultConfig(KV_CONFIG_CURRENT)->Get("debug", "stringOverflow", &flag);
  if (flag != 0) KIVO_assert("\"String overflow\" && 0", "src\\kvstring", 1149);
}

uint32_t KvString::CopyUnits(char* target, const char* source, uint8_t width,
                             uint8_t unitFormat, uint32_t byteCount) {
  if (byteCount == 0) return 0;
  if (width == 2 && KvFormatIsMsbFirst(unitFormat))
    return ShortStore(target, const_cast<char*>(source), KvFORMAT_MSB_FIRST, byteCount / 2);
  std::memcpy(target, source, byteCount);
  return byteCount;
}

void KvString::EditUnits(const char* source, uint8_t sourceCodeSet, uint32_t position,
                         uint32_t sourceStart, uint32_t count, uint32_t repeat, uint8_t mode,
                         uint8_t unitFormat) {
  if (mode != KvEDIT_OVERWRITE && mode != KvEDIT_INSERT && mode != KvEDIT_REPLACE_TAIL) return;
  const uint8_t sw = KvUnitWidth(sourceCodeSet);
  const char* run = source != nullptr ? source + uint64_t{sw} * sourceStart : nullptr;
  if (mode != KvEDIT_REPLACE_TAIL && (run == nullptr || ReadUnit(run, sw, 1) == 0)) return;
  if (unitFormat == KvUNIT_FORMAT_DEFAULT) unitFormat = KvFORMAT_LSB_FIRST;
  if (repeat != 1) count = 1;

  // Sizes in 64 bits: a count from a caller's text may be far beyond what a
  // string can hold, and must be seen as such.
  const uint8_t w = KvUnitWidth(codeSet_);
  const uint64_t oldSize = buffer_ != nullptr ? size_ : 0;
  const uint64_t held = oldSize >= w ? oldSize / w - 1 : 0;  // units before the final zero
  const uint64_t pos = position < held ? position : held;
  uint64_t units = count;
  if (mode == KvEDIT_OVERWRITE) {
    if (units > held - pos) units = held - pos;  // overwriting never grows the text
    if (units == 0) return;
  }
  const uint64_t p = w * pos;
  const uint64_t e = w * (pos + units);
  const uint64_t n = run != nullptr ? w * units * repeat : 0;
  uint64_t newSize;
  if (mode == KvEDIT_OVERWRITE) {
    newSize = oldSize + n - (e - p);
  } else if (mode == KvEDIT_INSERT) {
    newSize = oldSize + n + (buffer_ == nullptr ? w : 0);  // a first buffer needs its terminator
  } else {
    newSize = p + n + w;
  }
  if (newSize > KvSTRING_MAX_SIZE) {
    // Refused whole: a cut result would silently lose text the caller sees
    // as written.
    ReportOverflow();
    return;
  }
  char* buffer = static_cast<char*>(KvMemAllocZero(static_cast<uint32_t>(newSize)));
  if (buffer == nullptr) return;  // the memory handler gave up; keep the old text

  // The kept parts are this string's own units, already in native order;
  // the unit format applies only to the incoming source units.
  if (buffer_ != nullptr) {
    std::memcpy(buffer, buffer_, p);
    if (mode == KvEDIT_INSERT) std::memcpy(buffer + p + n, buffer_ + p, oldSize - p);
    if (mode == KvEDIT_OVERWRITE) std::memcpy(buffer + p + n, buffer_ + e, oldSize - e);
  }
  if (n != 0) {
    const bool convert =
        (sourceCodeSet != codeSet_ && sourceCodeSet != KvCS_NATIVE) || sw != w;
    if (repeat != 1) {
      uint16_t unit = ReadUnit(run, sw, unitFormat);
      if (convert) unit = MapUnit(unit, sourceCodeSet, codeSet_);
      for (uint64_t i = 0; i < repeat; ++i) WriteUnit(buffer + p + w * i, unit, w);
    } else if (!convert) {
      CopyUnits(buffer + p, run, w, unitFormat, static_cast<uint32_t>(n));
    } else {
      // Only the run is mapped, not the source up to its terminator: the
      // run may hold zero units, and a long source must not make a short
      // edit overflow.
      KvLanguageContext::QueryCodeSet(codeSet_)->MapText(run, sourceCodeSet, unitFormat,
                                                         buffer + p, static_cast<uint32_t>(units));
    }
  }
  // The source may be this string's own buffer, so it is released last.
  KvMemFree(buffer_);
  buffer_ = buffer;
  size_ = static_cast<uint16_t>(newSize);
}

void KvString::AssignUnits(const char* source, uint8_t sourceCodeSet, uint16_t count,
                           uint8_t unitFormat) {
  if (source == nullptr || count == 0) {
    Adopt(nullptr, 0);
    return;
  }
  // The whole of "" is an edit of no units, which leaves a terminator-only
  // buffer: construction from "" gives a buffer, from null none.
  const uint32_t units = count == KvSTRING_WHOLE ? UnitCount(source, KvUnitWidth(sourceCodeSet))
                                                 : count;
  EditUnits(source, sourceCodeSet, 0, 0, units, 1, KvEDIT_REPLACE_TAIL, unitFormat);
}

// ---- Code sets ----

uint16_t KvString::ConvertUnits(uint8_t sourceCodeSet, uint8_t targetCodeSet,
                                const char* source, char** out) {
  *out = nullptr;
  const uint8_t sw = KvUnitWidth(sourceCodeSet);
  const uint8_t tw = KvUnitWidth(targetCodeSet);
  const uint32_t units = source != nullptr ? UnitCount(source, sw) : 0;
  // 8-bit text of more than 32765 units has no 16-bit form within the limit.
  if ((uint64_t{units} + 1) * tw > KvSTRING_MAX_SIZE) return 0;
  const uint16_t size = static_cast<uint16_t>((units + 1) * tw);
  char* buffer = static_cast<char*>(KvMemAllocZero(size));
  if (buffer == nullptr) return 0;
  KvLanguageContext::QueryCodeSet(targetCodeSet)
      ->MapText(source, sourceCodeSet, KvFORMAT_LSB_FIRST, buffer, units);
  *out = buffer;
  return size;
}

int KvString::SetCodeSetCode(unsigned char codeSet) {
  if (KvCodeSetIsWide(codeSet) != KvCodeSetIsWide(codeSet_)) return KvERR_OUT_OF_RANGE;
  codeSet_ = codeSet;
  return 0;
}

void KvString::SetCodeSet(unsigned char codeSet) {
  if (buffer_ != nullptr && KvCodeSetIsWide(codeSet) != KvCodeSetIsWide(codeSet_)) {
    char* converted = nullptr;
    const uint16_t size = ConvertUnits(codeSet_, codeSet, buffer_, &converted);
    if (converted == nullptr) {
      // The label must keep describing the text it labels.
      ReportOverflow();
      return;
    }
    Adopt(converted, size);
  }
  codeSet_ = codeSet;
}

int KvString::MapToCodeSet(unsigned char codeSet) {
  if (codeSet == KvCS_NATIVE) return KvERR_OUT_OF_RANGE;
  if (codeSet == codeSet_) return 0;
  if (buffer_ != nullptr) {
    char* converted = nullptr;
    const uint16_t size = ConvertUnits(codeSet_, codeSet, buffer_, &converted);
    if (converted == nullptr) {
      ReportOverflow();
      return KvERR_OUT_OF_RANGE;
    }
    Adopt(converted, size);
  }
  codeSet_ = codeSet;
  return 0;
}

// ---- Defaults ----

unsigned char KvString::GetDefaultCodeSet() { return KvLanguageContext::GetDefaultCodeSet(); }
unsigned char KvString::GetDefault8CodeSet() { return KvLanguageContext::GetDefault8CodeSet(); }
unsigned char KvString::GetDefault16CodeSet() { return KvLanguageContext::GetDefault16CodeSet(); }
unsigned char KvString::GetDefaultLanguage() { return KvLanguageContext::GetDefaultLanguage(); }
unsigned short KvString::GetDefaultCmpOp() { return KvLanguageContext::GetDefaultCmpOp(); }
void KvString::SetDefaultCodeSet(unsigned char cs) { KvLanguageContext::SetDefaultCodeSet(cs); }
void KvString::SetDefaultLanguage(unsigned char l) { KvLanguageContext::SetDefaultLanguage(l); }
void KvString::SetDefaultCmpOp(unsigned short op) { KvLanguageContext::SetDefaultCmpOp(op); }

// ---- Construction ----

KvString::KvString()
    : buffer_(nullptr),
      size_(0),
      codeSet_(GetDefaultCodeSet()),
      language_(GetDefaultLanguage()) {}

KvString::KvString(unsigned char codeSet, unsigned char language)
    : buffer_(nullptr), size_(0), codeSet_(codeSet), language_(language) {}

KvString::KvString(const KvString& other)
    : buffer_(nullptr), size_(0), codeSet_(other.codeSet_), language_(other.language_) {
  if (&other != this && other.buffer_ != nullptr)
    AssignUnits(other.buffer_, other.codeSet_, KvSTRING_WHOLE, KvFORMAT_LSB_FIRST);
}

KvString::KvString(char c) : KvString() {
  codeSet_ = GetDefault8CodeSet();
  const char text[2] = {c, 0};
  if (c != 0) AssignUnits(text, codeSet_, 1, KvFORMAT_LSB_FIRST);
}

KvString::KvString(unsigned short c) : KvString() {
  codeSet_ = GetDefault16CodeSet();
  const unsigned short text[2] = {c, 0};
  if (c != 0)
    AssignUnits(reinterpret_cast<const char*>(text), codeSet_, 1, KvFORMAT_LSB_FIRST);
}

KvString::KvString(const char* text) : KvString(text, KvSTRING_WHOLE) {}

KvString::KvString(const unsigned short* text) : KvString(text, KvSTRING_WHOLE) {}

KvString::KvString(const char* text, unsigned short count) : KvString() {
  codeSet_ = GetDefault8CodeSet();
  AssignUnits(text, codeSet_, count, KvFORMAT_LSB_FIRST);
}

KvString::KvString(const unsigned short* text, unsigned short count) : KvString() {
  codeSet_ = GetDefault16CodeSet();
  AssignUnits(reinterpret_cast<const char*>(text), codeSet_, count, KvFORMAT_LSB_FIRST);
}

// Numbers are formatted as 8-bit text in the default 8-bit code set and
// taken into the default code set, so a process whose default code set is
// 16-bit gets 16-bit digits. 32 bytes hold every integer of up to 64 bits;
// "%.15g" needs far less than 256.

void KvString::AssignNumber(const char* digits) {
  AssignUnits(digits, GetDefault8CodeSet(), KvSTRING_WHOLE, KvFORMAT_LSB_FIRST);
}

KvString::KvString(short v) : KvString(static_cast<int>(v)) {}

KvString::KvString(int v) : KvString() {
  char digits[32];
  std::snprintf(digits, sizeof(digits), "%d", v);
  AssignNumber(digits);
}

KvString::KvString(unsigned int v) : KvString() {
  char digits[32];
  std::snprintf(digits, sizeof(digits), "%u", v);
  AssignNumber(digits);
}

// A long is a 32-bit quantity in every text the library writes, whatever
// the host's long, so that texts match those of the 32-bit platform.
KvString::KvString(long v) : KvString() {
  char digits[32];
  std::snprintf(digits, sizeof(digits), "%d", static_cast<int32_t>(v));
  AssignNumber(digits);
}

KvString::KvString(unsigned long v) : KvString() {
  char digits[32];
  std::snprintf(digits, sizeof(digits), "%u", static_cast<uint32_t>(v));
  AssignNumber(digits);
}

KvString::KvString(double v) : KvString() {
  char digits[256];
  std::snprintf(digits, sizeof(digits), "%.15g", v);
  AssignNumber(digits);
}

KvString::~KvString() { d_deactivate(); }

// ---- Assignment and appending ----

KvString& KvString::operator=(const KvString& other) {
  if (&other == this) return *this;
  d_deactivate();
  codeSet_ = other.codeSet_;
  if (other.buffer_ != nullptr)
    AssignUnits(other.buffer_, other.codeSet_, KvSTRING_WHOLE, KvFORMAT_LSB_FIRST);
  language_ = other.language_;
  return *this;
}

KvString& KvString::operator=(const char* text) {
  d_deactivate();
  codeSet_ = GetDefault8CodeSet();
  AssignUnits(text, codeSet_, KvSTRING_WHOLE, KvFORMAT_LSB_FIRST);
  language_ = GetDefaultLanguage();
  return *this;
}

KvString& KvString::operator=(const unsigned short* text) {
  d_deactivate();
  codeSet_ = GetDefault16CodeSet();
  AssignUnits(reinterpret_cast<const char*>(text), codeSet_, KvSTRING_WHOLE, KvFORMAT_LSB_FIRST);
  language_ = GetDefaultLanguage();
  return *this;
}

void KvString::operator+=(const KvString& other) {
  // Cutting at the length drops nothing but units hidden behind an inner
  // zero, and gives a string without a buffer its terminator.
  EditUnits(other.buffer_, other.codeSet_, Len(), 0, other.Len(), 1, KvEDIT_REPLACE_TAIL,
            KvUNIT_FORMAT_DEFAULT);
}

KvString operator+(const KvString& a, const KvString& b) {
  KvString sum(a.CodeSetGet(), a.LanguageGet());
  sum += a;
  sum += b;
  return sum;
}

KvString& KvString::operator<<(char c) {
  *this += KvString(c);
  return *this;
}

KvString& KvString::operator<<(unsigned short c) {
  // Only a 16-bit string can take any 16-bit value as a character; an 8-bit
  // one shows the number.
  if (KvCodeSetIsWide(codeSet_)) {
    *this += KvString(c);
  } else {
    *this += KvString(static_cast<unsigned int>(c));
  }
  return *this;
}

KvString& KvString::operator<<(const char* text) {
  *this += KvString(text);
  return *this;
}

KvString& KvString::operator<<(const unsigned short* text) {
  *this += KvString(text);
  return *this;
}

KvString& KvString::operator<<(const KvString& other) {
  *this += other;
  return *this;
}

KvString& KvString::operator<<(short v) {
  *this += KvString(v);
  return *this;
}

KvString& KvString::operator<<(int v) {
  *this += KvString(v);
  return *this;
}

KvString& KvString::operator<<(unsigned int v) {
  *this += KvString(v);
  return *this;
}

KvString& KvString::operator<<(long v) {
  *this += KvString(v);
  return *this;
}

KvString& KvString::operator<<(unsigned long v) {
  *this += KvString(v);
  return *this;
}

KvString& KvString::operator<<(double v) {
  *this += KvString(v);
  return *this;
}

KvString& KvString::operator<<(float v) {
  *this += KvString(static_cast<double>(v));
  return *this;
}

// ---- Numbers ----

namespace {

// Bit 0 of the options word asks for plain decimal in place of strtol's
// base detection, for applications whose texts carry leading zeros.
bool PlainDecimal() { return (___KvTypeMgrOptions() & 1) != 0; }

// Whether Atol and Strtol read the text at all: its first character is a
// digit by its collation class (so the digits of every script count, though
// only '0' to '9' have a value) or '-'.
bool StartsNumber(const KvString& s) {
  if (s.IsEmpty()) return false;
  const uint8_t cs = s.CodeSetGet();
  const uint16_t first = ReadUnit(s.StrGet(), KvUnitWidth(cs), KvFORMAT_LSB_FIRST);
  if (first == '-') return true;
  if (KvCodeSetIsWide(cs)) return KvChar(first, cs, s.LanguageGet()).IsDigit() != 0;
  return KvChar(static_cast<char>(first), cs, s.LanguageGet()).IsDigit() != 0;
}

}  // namespace

KvString::operator long() const {
  if (buffer_ == nullptr) return 0;
  if (KvCodeSetIsWide(codeSet_)) return KvUnitsToLong(buffer_);
  return KvTextToLong(buffer_, PlainDecimal());
}

KvString::operator int() const { return static_cast<int>(operator long()); }

KvString::operator short() const { return static_cast<short>(operator long()); }

KvString::operator double() const {
  if (buffer_ == nullptr) return 0.0;
  if (KvCodeSetIsWide(codeSet_)) return KvUnitsToDouble(buffer_);
  return KvTextToDouble(buffer_);
}

int KvString::Atol(long& v) const {
  v = 0;
  if (!StartsNumber(*this)) return -1;
  v = KvCodeSetIsWide(codeSet_) ? KvUnitsToLong(buffer_) : KvTextToLong(buffer_, true);
  return 0;
}

int KvString::Strtol(long& v) const {
  v = 0;
  if (!StartsNumber(*this)) return -1;
  v = KvCodeSetIsWide(codeSet_) ? KvUnitsToLong(buffer_) : KvTextToLong(buffer_, false);
  return 0;
}
