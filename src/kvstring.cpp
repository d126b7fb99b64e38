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
#include "kvcollate.h"
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

// ---- Editing ----

KvString& KvString::Insert(const KvString& s, unsigned short pos) {
  if (pos > Len()) return *this;
  EditUnits(s.buffer_, s.codeSet_, pos, 0, s.Len(), 1, KvEDIT_INSERT, KvUNIT_FORMAT_DEFAULT);
  return *this;
}

KvString& KvString::Replace(const KvString& s, unsigned short pos) {
  const uint32_t length = Len();
  uint32_t n = s.Len();
  if (pos + n > length) n = pos < length ? length - pos : 0;
  if (n < 1) return *this;
  EditUnits(s.buffer_, s.codeSet_, pos, 0, n, 1, KvEDIT_OVERWRITE, KvUNIT_FORMAT_DEFAULT);
  return *this;
}

KvString& KvString::Fill(unsigned short n, char c) {
  const char unit[2] = {c, 0};
  EditUnits(unit, GetDefault8CodeSet(), 0, 0, 1, n, KvEDIT_REPLACE_TAIL, KvUNIT_FORMAT_DEFAULT);
  return *this;
}

KvString& KvString::Fill(unsigned short n, unsigned short c) {
  const unsigned short unit[2] = {c, 0};
  EditUnits(reinterpret_cast<const char*>(unit), GetDefault16CodeSet(), 0, 0, 1, n,
            KvEDIT_REPLACE_TAIL, KvUNIT_FORMAT_DEFAULT);
  return *this;
}

KvString& KvString::Expand(unsigned short n, char c) {
  const uint16_t length = Len();
  if (length >= n) return *this;
  const char unit[2] = {c, 0};
  EditUnits(unit, GetDefault8CodeSet(), length, 0, 1, n - length, KvEDIT_REPLACE_TAIL,
            KvUNIT_FORMAT_DEFAULT);
  return *this;
}

KvString& KvString::Expand(unsigned short n, unsigned short c) {
  const uint16_t length = Len();
  if (length >= n) return *this;
  const unsigned short unit[2] = {c, 0};
  EditUnits(reinterpret_cast<const char*>(unit), GetDefault16CodeSet(), length, 0, 1,
            n - length, KvEDIT_REPLACE_TAIL, KvUNIT_FORMAT_DEFAULT);
  return *this;
}

KvString& KvString::Cut(unsigned short pos, short n) {
  const uint32_t length = Len();
  if (pos >= length) return *this;
  const uint32_t count = n == -1 || pos + static_cast<uint32_t>(static_cast<uint16_t>(n)) > length
                             ? length - pos
                             : static_cast<uint16_t>(n);
  if (count < 1) return *this;
  // The units after the cut move down onto `pos`: the string is its own
  // source, which the edit reads before it releases the old buffer.
  const uint8_t w = KvUnitWidth(codeSet_);
  const uint32_t rest = length - pos - count;
  EditUnits(rest != 0 ? buffer_ + w * (pos + count) : nullptr, codeSet_, pos, 0, rest, 1,
            KvEDIT_REPLACE_TAIL, KvFORMAT_LSB_FIRST);
  return *this;
}

KvString& KvString::Trim() {
  LeftTrim();
  return RightTrim();
}

KvString& KvString::LeftTrim() {
  KvStringIterator it(*this);
  unsigned short count = 0;
  while (!it.IsEOS() && (*it).IsSpace()) {
    ++count;
    ++it;
  }
  return Cut(0, static_cast<short>(count));
}

KvString& KvString::RightTrim() {
  if (buffer_ == nullptr) return *this;
  uint16_t end = Len();
  const uint8_t w = KvUnitWidth(codeSet_);
  while (end > 0 && KvChar(*this, (end - 1) * w).IsSpace()) --end;
  return Cut(end, -1);
}

KvString& KvString::Transform(KvCharOperation& op) {
  if (size_ == 0) return *this;
  const uint8_t w = KvUnitWidth(codeSet_);
  // Most mappings give one character for one, a few two (so twice the old
  // size is the usual ceiling); rarer ones give three, for which the work
  // area grows rather than being overrun.
  uint32_t capacity = 2u * size_;
  char* out = static_cast<char*>(KvMemAllocZero(capacity));
  if (out == nullptr) return *this;
  uint32_t written = 0;
  KvStringIterator source(*this);
  for (;;) {
    const bool end = source.IsEOS() != 0;
    KvChar ch = *source;
    KvChar result = end ? ch : op.Apply(ch, &source);
    if (written + w > capacity) {
      char* larger = static_cast<char*>(KvMemAllocZero(2 * capacity));
      if (larger == nullptr) {
        KvMemFree(out);
        return *this;
      }
      std::memcpy(larger, out, written);
      KvMemFree(out);
      out = larger;
      capacity *= 2;
    }
    KvChar target(out + written, codeSet_, language_, 1);
    target = result;
    written += w;
    ++source;
    if (end) break;
  }
  if (written > KvSTRING_MAX_SIZE) {
    KvMemFree(out);
    ReportOverflow();
    return *this;
  }
  Adopt(out, static_cast<uint16_t>(written));
  return *this;
}

KvString& KvString::ToUpper() {
  ToUpperOperation op;
  return Transform(op);
}

KvString& KvString::ToLower() {
  ToLowerOperation op;
  return Transform(op);
}

KvString& KvString::ReplaceAll(const KvString& from, const KvString& to, unsigned short start) {
  const uint32_t lf = from.Len();
  const uint32_t lt = to.Len();
  // An empty pattern would be found again right after each replacement.
  if (lf == 0) return *this;
  short pos = Find(from, start, KvCMP_DEFAULT);
  while (pos != -1) {
    // Check the growth first, so that a refused insert cannot leave the
    // match cut out.
    if ((uint64_t{Len()} - lf + lt + 1) * KvUnitWidth(codeSet_) > KvSTRING_MAX_SIZE) {
      ReportOverflow();
      break;
    }
    Cut(static_cast<unsigned short>(pos), static_cast<short>(lf));
    Insert(to, static_cast<unsigned short>(pos));
    const uint32_t next = static_cast<uint16_t>(pos) + lt;
    if (next > Len()) break;
    pos = Find(from, static_cast<unsigned short>(next), KvCMP_DEFAULT);
  }
  return *this;
}

KvString& KvString::ReplaceAll(char from, char to, unsigned short start) {
  return ReplaceAll(KvString(from), KvString(to), start);
}

KvString& KvString::ReplaceAll(unsigned short from, unsigned short to, unsigned short start) {
  return ReplaceAll(KvString(from), KvString(to), start);
}

// ---- Reading ----

KvString KvString::Copy(unsigned short pos, short n) const {
  const uint32_t length = Len();
  if (pos >= length || (n < 0 && n != -1)) return KvString("");
  const uint32_t count = n == -1 || pos + static_cast<uint32_t>(n) > length ? length - pos
                                                                           : static_cast<uint32_t>(n);
  KvString part(codeSet_, language_);
  part.AssignUnits(buffer_ + KvUnitWidth(codeSet_) * pos, codeSet_, static_cast<uint16_t>(count),
                   KvFORMAT_LSB_FIRST);
  return part;
}

KvString KvString::Left(unsigned short n) const {
  const uint16_t length = Len();
  return Copy(0, static_cast<short>(n < length ? n : length));
}

KvString KvString::Right(unsigned short n) const {
  const uint16_t length = Len();
  const uint16_t m = n < length ? n : length;
  return Copy(static_cast<unsigned short>(length - m), static_cast<short>(m));
}

short KvString::Find(const KvString& s, unsigned short start, unsigned short op) const {
  if (size_ == 0 || s.size_ == 0) return -1;
  const uint32_t length = Len();
  if (start > length) return -1;
  if (op == KvCMP_DEFAULT) op = GetDefaultCmpOp();
  // Lengths in characters, so that texts of either width find each other.
  const uint32_t patternLength = s.Len();
  const uint8_t w = KvUnitWidth(codeSet_);
  const KvCollateText pattern{s.codeSet_, s.language_, s.buffer_};
  for (uint32_t candidate = start; length - candidate >= patternLength; ++candidate) {
    const KvCollateText text{codeSet_, language_, buffer_ + w * candidate};
    if (KvCollate(text, pattern, op, static_cast<int32_t>(patternLength), KvFORMAT_LSB_FIRST,
                  nullptr, nullptr) == 0)
      return static_cast<short>(candidate);
    if (candidate == length) break;
  }
  return -1;
}

short KvString::Find(char c, unsigned short start, unsigned short op) const {
  if (c == 0) return -1;
  return Find(KvString(c), start, op);
}

short KvString::Find(unsigned short c, unsigned short start, unsigned short op) const {
  return Find(KvString(c), start, op);
}

short KvString::SubStringPos(const KvString& s, unsigned short op) { return Find(s, 0, op); }

long KvString::Compare(const KvString& s, short n, unsigned short op) const {
  if (n == 0) return 0;
  if (op == KvCMP_DEFAULT) op = GetDefaultCmpOp();
  const KvCollateText a{codeSet_, language_, buffer_, buffer_ != nullptr ? size_ : 0u};
  const KvCollateText b{s.codeSet_, s.language_, s.buffer_, s.buffer_ != nullptr ? s.size_ : 0u};
  return KvCollate(a, b, op, n, KvFORMAT_LSB_FIRST, nullptr, nullptr);
}

KvChar KvString::operator[](int i) {
  if (buffer_ == nullptr || i < 0 || i > Len()) return KvChar(static_cast<unsigned short>(0));
  return KvChar(*this, i * KvUnitWidth(codeSet_));
}

int KvSplitList(KvString& list, KvString& item, const KvString& sep, unsigned short& pos) {
  // The item ends at the separator and the next one starts after the whole
  // separator, however many characters it has.
  const uint32_t step = sep.Len() > 0 ? sep.Len() : 1;
  uint32_t from = pos;
  short f = list.Find(sep, static_cast<unsigned short>(from), KvCMP_DEFAULT);
  while (f == 0) {
    from += step;
    if (from > 0xFFFF) break;
    f = list.Find(sep, static_cast<unsigned short>(from), KvCMP_DEFAULT);
  }
  const uint32_t length = list.Len();
  if (f == -1) {
    if (from >= length) return KvERR_NO_ITEM;
    f = static_cast<short>(length);
  }
  const uint32_t end = static_cast<uint16_t>(f);
  item = list.Copy(static_cast<unsigned short>(from), static_cast<short>(end - from));
  item.Trim();
  pos = static_cast<unsigned short>(end + step);
  return 0;
}

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
