// kvobjid.cpp — KvObjId, KvClassId and KvRef: their operators, texts and
// the functions of their descriptor rows.
//
// The compare functions live in kvtypcmp.cpp and the evaluators in
// kvtypevl.cpp, beside those of the other types.
#include "kvtm/kvobjid.h"

#include <charconv>
#include <cstring>
#include <iterator>
#include <new>
#include <type_traits>

#include "kvformat.h"
#include "kvplatform/kvbyteorder.h"
#include "kvstring_access.h"
#include "kvtm/kvstring.h"

// ---- Values ----

void KvObjId::SetHighestValue() {
  low_ = 4294967295u;
  high_ = 65535;
  block_ = 0;
}

KvObjId& KvObjId::operator++() {
  if (++low_ == 0) ++high_;
  return *this;
}

KvObjId& KvObjId::operator--() {
  if (low_ == 0) --high_;
  --low_;
  return *this;
}

KvObjId& KvObjId::operator+=(short n) {
  const uint32_t before = low_;
  low_ += static_cast<uint32_t>(static_cast<int32_t>(n));
  // |n| is far below 2^32, so low wraps at most once, and the direction of
  // n says which way.
  if (n > 0 && low_ < before) ++high_;
  if (n < 0 && low_ > before) --high_;
  return *this;
}

unsigned short KvObjId::operator==(const KvObjId& other) const {
  return low_ == other.low_ && high_ == other.high_;
}

long KvObjId::operator!=(const KvObjId& other) const {
  if (high_ != other.high_) return high_ > other.high_ ? 1 : -1;
  if (low_ != other.low_) return low_ > other.low_ ? 1 : -1;
  return 0;
}

long KvClassId::operator!=(const KvClassId& other) const {
  if (number_ != other.number_) return number_ > other.number_ ? 1 : -1;
  if (version_ != other.version_) return version_ > other.version_ ? 1 : -1;
  return 0;
}

unsigned short KvClassId::operator>(const KvClassId& other) const {
  return (*this != other) > 0;
}

KvRef& KvRef::operator=(const KvClassId& classId) {
  classId_ = classId;
  return *this;
}

KvRef& KvRef::operator=(const KvObjId& objId) {
  objId_ = objId;
  return *this;
}

KvRef& KvRef::operator=(unsigned short origin) {
  origin_ = origin;
  return *this;
}

unsigned short KvRef::operator==(const KvRef& other) const {
  return objId_ == other.objId_ && origin_ == other.origin_;
}

long KvRef::operator!=(const KvRef& other) const {
  const long objects = objId_ != other.objId_;
  if (objects != 0) return objects;
  if (origin_ != other.origin_) return origin_ > other.origin_ ? 1 : -1;
  return 0;
}

namespace {

bool NoObject(const KvObjId& id) { return id.LowGet() == 0 && id.HighGet() == 0; }

}  // namespace

unsigned short KvRef::IsInvalid() const {
  if (NoObject(objId_)) return 1;
  return classId_.NumberGet() == 0 || origin_ == KvREF_NO_ORIGIN;
}

unsigned short KvRef::IsValid() const { return !IsInvalid(); }

unsigned short KvRef::IsInvalidOriginId() const {
  if (NoObject(objId_)) return 1;
  return origin_ != KvREF_NO_ORIGIN && classId_.NumberGet() == 0;
}

unsigned short KvRef::IsValidOriginId() const { return !IsInvalidOriginId(); }

// ---- Texts ----

namespace {

// Every field the directives of the three types name.
enum class Field : uint8_t { kNone, kBlock, kLow, kHigh, kOrigin, kNumber, kVersion };

struct Fields {
  uint32_t block = 0;
  uint32_t low = 0;
  uint16_t high = 0;
  uint16_t origin = 0;
  uint16_t number = 0;
  uint16_t version = 0;
};

// Block and low are 32 bits; the others, and the number a positional
// directive without a field stands for, are read as such.
uint32_t WidthMaximum(Field f) {
  return f == Field::kBlock || f == Field::kLow || f == Field::kNone ? 0xFFFFFFFFu : 0xFFFFu;
}

uint32_t FieldValue(const Fields& v, Field f) {
  switch (f) {
    case Field::kBlock: return v.block;
    case Field::kLow: return v.low;
    case Field::kHigh: return v.high;
    case Field::kOrigin: return v.origin;
    case Field::kNumber: return v.number;
    case Field::kVersion: return v.version;
    case Field::kNone: break;
  }
  return 0;
}

void SetField(Fields* v, Field f, uint32_t n) {
  switch (f) {
    case Field::kBlock: v->block = n; break;
    case Field::kLow: v->low = n; break;
    case Field::kHigh: v->high = static_cast<uint16_t>(n); break;
    case Field::kOrigin: v->origin = static_cast<uint16_t>(n); break;
    case Field::kNumber: v->number = static_cast<uint16_t>(n); break;
    case Field::kVersion: v->version = static_cast<uint16_t>(n); break;
    case Field::kNone: break;
  }
}

// The directives of a type: its letters and their fields, and the fields
// its positional directives take in turn (kNone past the last).
struct Directives {
  const char* letters;
  Field named[6];
  Field positional[5];
};

constexpr Directives kObjIdDirectives{
    "BLH", {Field::kBlock, Field::kLow, Field::kHigh}, {Field::kHigh, Field::kLow, Field::kBlock}};
constexpr Directives kClassIdDirectives{
    "CV", {Field::kNumber, Field::kVersion}, {Field::kNumber, Field::kVersion}};
constexpr Directives kRefDirectives{
    "BLHDCV",
    {Field::kBlock, Field::kLow, Field::kHigh, Field::kOrigin, Field::kNumber, Field::kVersion},
    {Field::kOrigin, Field::kHigh, Field::kLow, Field::kBlock, Field::kNumber}};

// One step through a format, the same for printing and scanning, so that
// what one writes the other reads.
struct Step {
  enum Kind : uint8_t { kEnd, kLiteral, kField } kind;
  char literal;  // kLiteral: the character printed; a scan passes one over
  Field field;   // kField: kNone for a positional directive without a field
  size_t length; // format characters taken
};

Step NextStep(const char* f, const Directives& d, size_t* positionals) {
  if (f[0] == '\0') return {Step::kEnd, 0, Field::kNone, 0};
  if (f[0] != '%') return {Step::kLiteral, f[0], Field::kNone, 1};
  const char c = f[1];
  if (c == '\0') return {Step::kEnd, 0, Field::kNone, 1};
  if (c == 'h' || c == 'l') {
    // The conversion character after the modifier ("u" in "%hu") is part
    // of the directive, whatever it is; the number is decimal anyway.
    const size_t k = (*positionals)++;
    const Field field = k < std::size(d.positional) ? d.positional[k] : Field::kNone;
    return {Step::kField, 0, field, f[2] != '\0' ? size_t{3} : size_t{2}};
  }
  const char* letter = std::strchr(d.letters, c);
  if (letter != nullptr) return {Step::kField, 0, d.named[letter - d.letters], 2};
  return {Step::kLiteral, c, Field::kNone, 2};  // "%%" and any other character
}

void AppendNumber(KvTextBuffer& text, uint32_t n) {
  char digits[10];
  const std::to_chars_result r = std::to_chars(digits, digits + sizeof digits, n);
  text.Append(digits, static_cast<size_t>(r.ptr - digits));
}

// Appends the text of `v` under `format`.
//
// A positional directive prints its field in full, whichever modifier it
// has: "%hu" of a 32-bit field would print only the low 16 bits, and the
// text would read back as another value.
void PrintFields(KvTextBuffer& text, const Fields& v, const Directives& d, const char* format) {
  size_t positionals = 0;
  for (const char* f = format; !text.Refused();) {
    const Step s = NextStep(f, d, &positionals);
    if (s.kind == Step::kEnd) return;
    f += s.length;
    if (s.kind == Step::kLiteral) {
      text.Append(&s.literal, 1);
    } else {
      AppendNumber(text, FieldValue(v, s.field));
    }
  }
}

bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// Reads a number at *pos as strtoul reads one into an unsigned number
// whose largest value is `maximum`: blanks, an optional sign, decimal
// digits. A number beyond the maximum gives the maximum; a '-' negates
// within the width. *pos moves past what was read. False, *pos kept,
// without a digit.
bool ReadUnsigned(const char* text, size_t length, size_t* pos, uint32_t maximum,
                  uint32_t* value) {
  size_t p = *pos;
  while (p < length && IsBlank(text[p])) ++p;
  bool negative = false;
  if (p < length && (text[p] == '-' || text[p] == '+')) negative = text[p++] == '-';
  const size_t digits = p;
  uint64_t n = 0;
  bool beyond = false;
  for (; p < length && text[p] >= '0' && text[p] <= '9'; ++p) {
    if (!beyond) {
      n = n * 10 + static_cast<uint64_t>(text[p] - '0');
      beyond = n > maximum;
    }
  }
  if (p == digits) return false;
  *pos = p;
  if (beyond) {
    *value = maximum;
  } else {
    *value = static_cast<uint32_t>(negative ? (0 - n) & maximum : n);
  }
  return true;
}

// The fields read from the `length` bytes at `text` under `format`.
//
// Every directive reads a number, positional ones without a field too:
// they printed one, and a format that goes on after them must find its
// cursor past it.
Fields ScanFields(const char* text, size_t length, const Directives& d, const char* format) {
  Fields v;
  size_t pos = 0;
  size_t positionals = 0;
  for (const char* f = format;;) {
    const Step s = NextStep(f, d, &positionals);
    if (s.kind == Step::kEnd) break;
    f += s.length;
    if (s.kind == Step::kLiteral) {
      if (pos < length) ++pos;
      continue;
    }
    uint32_t n;
    if (ReadUnsigned(text, length, &pos, WidthMaximum(s.field), &n)) SetField(&v, s.field, n);
  }
  return v;
}

// The fields of a value and the value of fields, per type.
Fields FieldsOf(const KvObjId& id) {
  Fields v;
  v.block = id.BlockGet();
  v.low = id.LowGet();
  v.high = id.HighGet();
  return v;
}
Fields FieldsOf(const KvClassId& id) {
  Fields v;
  v.number = id.NumberGet();
  v.version = id.VersionGet();
  return v;
}
Fields FieldsOf(const KvRef& ref) {
  Fields v = FieldsOf(ref.ObjIdGet());
  v.origin = ref.OriginGet();
  v.number = ref.ClassIdGet().NumberGet();
  v.version = ref.ClassIdGet().VersionGet();
  return v;
}

void FromFields(KvObjId* id, const Fields& v) { *id = KvObjId(v.block, v.low, v.high); }
void FromFields(KvClassId* id, const Fields& v) { *id = KvClassId(v.number, v.version); }
void FromFields(KvRef* ref, const Fields& v) {
  *ref = KvRef(KvObjId(v.block, v.low, v.high), v.origin, KvClassId(v.number, v.version));
}

const Directives& DirectivesOf(const KvObjId*) { return kObjIdDirectives; }
const Directives& DirectivesOf(const KvClassId*) { return kClassIdDirectives; }
const Directives& DirectivesOf(const KvRef*) { return kRefDirectives; }

// The exchange formats; the rows carry the same texts.
const char* ExchangeFormatOf(const KvObjId*) { return "(%H-%L#%B)"; }
const char* ExchangeFormatOf(const KvClassId*) { return "(%Cv%V)"; }
const char* ExchangeFormatOf(const KvRef*) { return "(%D:%H-%L#%B, %C)"; }

template <typename T>
void PrintValue(KvTextBuffer& text, const T& value, const char* format) {
  PrintFields(text, FieldsOf(value), DirectivesOf(&value),
              format != nullptr ? format : "");
}

template <typename T>
void ScanValue(T* value, const char* text, size_t length, const char* format) {
  FromFields(value, ScanFields(text, length, DirectivesOf(value), format != nullptr ? format : ""));
}

// The 8-bit text a scan reads: 8-bit text itself, 16-bit text through a
// copy kept in `narrow`. *length is the copy's own, so that nothing past
// it is read.
const char* NarrowText(const KvString& text, KvString& narrow, size_t* length) {
  if (!KvCodeSetIsWide(text.CodeSetGet())) {
    *length = text.Len();
    return text.StrGet();
  }
  narrow = text;
  narrow.SetCodeSet(KvString::GetDefault8CodeSet());
  *length = narrow.Len();
  return narrow.StrGet();
}

template <typename T>
KvString& PrintSlot(KvString& out, void* values, const char* format) {
  if (values == nullptr) return out;
  KvTextBuffer text;
  PrintValue(text, *static_cast<const T*>(values), format);
  text.AssignTo(out);
  return out;
}

template <typename T>
void* ScanSlot(void* values, const KvString& text, const char* format) {
  if (values == nullptr) return nullptr;
  KvString narrow;
  size_t length;
  const char* p = NarrowText(text, narrow, &length);
  ScanValue(static_cast<T*>(values), p, length, format);
  return values;
}

// ---- Text lists ----

uint16_t UnitAt(const char* units, size_t i, uint8_t width) {
  if (width == 1) return static_cast<uint8_t>(units[i]);
  uint16_t u;
  std::memcpy(&u, units + 2 * i, 2);
  return u;
}

// The values in the exchange format with "," between them. A list longer
// than a string holds ends after the last whole value, and the overflow is
// reported.
template <typename T>
KvString* ListOf(const void* values, uint32_t count) {
  if (values == nullptr) count = 0;
  const T* v = static_cast<const T*>(values);
  KvListText list;
  for (uint32_t i = 0; i < count; ++i) {
    KvTextBuffer item;
    if (i != 0) item.Append(",", 1);
    PrintValue(item, v[i], ExchangeFormatOf(v));
    if (!list.Add(item.Text(), item.Length())) break;
  }
  return list.Release();
}

// count new values read from a list, which is consumed: each value is
// scanned from the list's beginning and the list is cut after the first
// separator, the list's last character.
//
// The writer puts "," between values and none after the last, so the last
// character of its lists is the ")" that closes every value, and the cut
// leaves the "," before the next value, which the exchange format would
// then take for the "(" that opens it, reading every later field one
// character early. So a "," right after the separator is passed over as
// well. Lists that end every value with the separator themselves
// ("(1v0);(2v5);") read as before.
template <typename T>
void* ValuesOf(KvString* text, uint32_t count) {
  T* values = static_cast<T*>(T::Create(count));
  if (values == nullptr || text == nullptr) return values;
  KvString narrow;
  size_t narrowLength;
  const char* p = NarrowText(*text, narrow, &narrowLength);
  const uint8_t cs = text->CodeSetGet();
  const uint8_t width = KvUnitWidth(cs);
  const char* units = text->StrGet();
  const size_t length = text->Len();
  const uint16_t separator = length == 0 ? ',' : UnitAt(units, length - 1, width);
  size_t offset = 0;
  for (uint32_t i = 0; i < count; ++i) {
    const size_t start = offset < narrowLength ? offset : narrowLength;
    ScanValue(&values[i], p + start, narrowLength - start, ExchangeFormatOf(values));
    while (offset < length && UnitAt(units, offset, width) != separator) ++offset;
    if (offset < length) ++offset;
    if (separator != ',' && offset < length && UnitAt(units, offset, width) == ',') ++offset;
  }
  // The rest is taken from the string's own buffer, which the edit
  // releases only after copying.
  if (offset != 0) {
    KvStringAccess::AssignUnits(*text, units + width * offset, cs, KvSTRING_WHOLE,
                                KvFORMAT_LSB_FIRST);
  }
  return values;
}

// ---- Memory ----

// Arrays of KvObjId and KvRef record their count in the 4 bytes before
// the first value; a single value has no count.
constexpr uint32_t kCountBytes = 4;

template <typename T>
void ConstructZeroed(T* values, uint32_t count) {
  // Padding bytes too, so that the memory form of a new value is the same
  // every time.
  std::memset(static_cast<void*>(values), 0, sizeof(T) * size_t{count});
  for (uint32_t i = 0; i < count; ++i) new (&values[i]) T();
}

template <typename T>
void* CreateCounted(uint32_t count) {
  static_assert(kCountBytes % alignof(T) == 0, "values follow the count aligned");
  if (count <= 1) {
    void* p = ::operator new(sizeof(T), std::nothrow);
    if (p != nullptr) ConstructZeroed(static_cast<T*>(p), 1);
    return p;
  }
  if (count > (UINT32_MAX - kCountBytes) / sizeof(T)) return nullptr;
  uint8_t* block =
      static_cast<uint8_t*>(::operator new(kCountBytes + count * sizeof(T), std::nothrow));
  if (block == nullptr) return nullptr;
  std::memcpy(block, &count, kCountBytes);
  T* values = reinterpret_cast<T*>(block + kCountBytes);
  ConstructZeroed(values, count);
  return values;
}

// The values are trivially destructible: only the memory goes.
template <typename T>
void* DeleteCounted(void* values, uint32_t count) {
  if (values == nullptr) return nullptr;
  if (count < 2) {
    ::operator delete(values);
  } else {
    ::operator delete(static_cast<uint8_t*>(values) - kCountBytes);
  }
  return nullptr;
}

// KvClassId arrays carry no count, so one value and many free alike.
void* CreateClassIds(uint32_t count) {
  if (count == 0) count = 1;
  if (count > UINT32_MAX / sizeof(KvClassId)) return nullptr;
  void* p = ::operator new(count * sizeof(KvClassId), std::nothrow);
  if (p != nullptr) ConstructZeroed(static_cast<KvClassId*>(p), count);
  return p;
}

void* DeleteClassIds(void* values, uint32_t) {
  ::operator delete(values);
  return nullptr;
}

// The values are trivially copyable: they are copied as bytes, padding
// included, so that copies are alike byte for byte, and overlapping runs
// move as memmove moves them.
template <typename T>
void AssignValues(void* target, void* source, uint32_t count, int32_t fill) {
  static_assert(std::is_trivially_copyable_v<T>, "values copy as bytes");
  if (count == 0) return;
  if (fill == 0) {
    if (target != source) std::memmove(target, source, sizeof(T) * size_t{count});
    return;
  }
  uint8_t first[sizeof(T)];
  std::memcpy(first, source, sizeof(T));
  for (uint32_t i = 0; i < count; ++i)
    std::memcpy(static_cast<uint8_t*>(target) + sizeof(T) * size_t{i}, first, sizeof(T));
}

// ---- Stored forms ----

void StoreOne(uint8_t* p, const KvObjId& v, uint8_t format) {
  KvStoreBits<uint32_t>(p, v.BlockGet(), format);
  KvStoreBits<uint32_t>(p + 4, v.LowGet(), format);
  KvStoreBits<uint16_t>(p + 8, v.HighGet(), format);
}
void LoadOne(KvObjId* v, const uint8_t* p, uint8_t format) {
  *v = KvObjId(KvLoadBits<uint32_t>(p, format), KvLoadBits<uint32_t>(p + 4, format),
               KvLoadBits<uint16_t>(p + 8, format));
}

void StoreOne(uint8_t* p, const KvClassId& v, uint8_t format) {
  KvStoreBits<uint16_t>(p, v.NumberGet(), format);
  KvStoreBits<uint16_t>(p + 2, v.VersionGet(), format);
}
void LoadOne(KvClassId* v, const uint8_t* p, uint8_t format) {
  *v = KvClassId(KvLoadBits<uint16_t>(p, format), KvLoadBits<uint16_t>(p + 2, format));
}

void StoreOne(uint8_t* p, const KvRef& v, uint8_t format) {
  StoreOne(p, v.ObjIdGet(), format);
  KvStoreBits<uint16_t>(p + 10, v.OriginGet(), format);
  KvStoreBits<uint16_t>(p + 12, v.ClassIdGet().NumberGet(), format);
}
void LoadOne(KvRef* v, const uint8_t* p, uint8_t format) {
  KvObjId id;
  LoadOne(&id, p, format);
  *v = KvRef(id, KvLoadBits<uint16_t>(p + 10, format),
             KvClassId(KvLoadBits<uint16_t>(p + 12, format), 0));
}

template <typename T>
uint32_t StoreValues(void* stored, void* values, uint8_t format, uint32_t count) {
  if (stored == nullptr || values == nullptr) return 0;
  uint8_t* p = static_cast<uint8_t*>(stored);
  const T* v = static_cast<const T*>(values);
  for (uint32_t i = 0; i < count; ++i) StoreOne(p + size_t{i} * T::kStoredSize, v[i], format & 15);
  return count * T::kStoredSize;
}

template <typename T>
uint32_t LoadValues(void* values, void* stored, uint8_t format, uint32_t count) {
  if (stored == nullptr || values == nullptr) return 0;
  const uint8_t* p = static_cast<const uint8_t*>(stored);
  T* v = static_cast<T*>(values);
  for (uint32_t i = 0; i < count; ++i) LoadOne(&v[i], p + size_t{i} * T::kStoredSize, format & 15);
  return count * T::kStoredSize;
}

template <typename T>
uint32_t TranslateValues(void* target, uint8_t targetFormat, uint32_t targetLength,
                         void* source, uint8_t sourceFormat, uint32_t sourceLength,
                         uint32_t count) {
  const bool targetInMemory = (targetFormat & 8) != 0;
  const bool sourceInMemory = (sourceFormat & 8) != 0;
  if (targetInMemory || sourceInMemory) {
    const uint32_t targetSize = targetInMemory ? sizeof(T) : T::kStoredSize;
    const uint32_t sourceSize = sourceInMemory ? sizeof(T) : T::kStoredSize;
    if (targetLength != 0 && targetLength / targetSize < count) count = targetLength / targetSize;
    if (sourceLength != 0 && sourceLength / sourceSize < count) count = sourceLength / sourceSize;
  }
  if (targetInMemory && sourceInMemory) {
    AssignValues<T>(target, source, count, 0);
    return count * static_cast<uint32_t>(sizeof(T));
  }
  if (targetInMemory) return LoadValues<T>(target, source, sourceFormat, count);
  if (sourceInMemory) return StoreValues<T>(target, source, targetFormat, count);
  const uint32_t n = sourceLength < targetLength ? sourceLength : targetLength;
  if (sourceLength < targetLength) std::memset(target, 0, targetLength);
  if (n != 0) std::memmove(target, source, n);
  return n;
}

}  // namespace

// ---- The classes' own texts ----

KvString& KvObjId::PrintToKvString(KvString& out) const {
  return PrintSlot<KvObjId>(out, const_cast<KvObjId*>(this), ExchangeFormatOf(this));
}
void KvObjId::ScanFromKvString(const KvString& text) {
  ScanSlot<KvObjId>(this, text, ExchangeFormatOf(this));
}

KvString& KvClassId::PrintToKvString(KvString& out) const {
  return PrintSlot<KvClassId>(out, const_cast<KvClassId*>(this), ExchangeFormatOf(this));
}
void KvClassId::ScanFromKvString(const KvString& text) {
  ScanSlot<KvClassId>(this, text, ExchangeFormatOf(this));
}

KvString& KvRef::PrintToKvString(KvString& out) const {
  return PrintSlot<KvRef>(out, const_cast<KvRef*>(this), ExchangeFormatOf(this));
}
void KvRef::ScanFromKvString(const KvString& text) {
  ScanSlot<KvRef>(this, text, ExchangeFormatOf(this));
}

// ---- Descriptor row functions ----

void* KvObjId::Create(uint32_t count) { return CreateCounted<KvObjId>(count); }
void* KvObjId::Delete(void* values, uint32_t count) {
  return DeleteCounted<KvObjId>(values, count);
}
uint32_t KvObjId::Store(void* stored, void* values, uint8_t format, uint32_t count) {
  return StoreValues<KvObjId>(stored, values, format, count);
}
uint32_t KvObjId::Load(void* values, void* stored, uint8_t format, uint32_t count) {
  return LoadValues<KvObjId>(values, stored, format, count);
}
uint32_t KvObjId::NullSizeGet(uint32_t count) { return count * kStoredSize; }
uint32_t KvObjId::SizeGet(void*, uint8_t, uint8_t, uint32_t count) { return count * kStoredSize; }
uint32_t KvObjId::SizeGetFromMemFile(MemFile*, uint8_t, uint32_t count) {
  return count * kStoredSize;
}
uint32_t KvObjId::Translate(void* target, uint8_t targetFormat, uint32_t targetLength,
                            void* source, uint8_t sourceFormat, uint32_t sourceLength,
                            uint32_t count) {
  return TranslateValues<KvObjId>(target, targetFormat, targetLength, source, sourceFormat,
                                  sourceLength, count);
}
KvString* KvObjId::ConvertToKvString(void* values, uint32_t count) {
  return ListOf<KvObjId>(values, count);
}
void* KvObjId::ConvertFromKvString(KvString* text, uint32_t count) {
  return ValuesOf<KvObjId>(text, count);
}
KvString& KvObjId::PrintToString(KvString& out, void* values, const char* format, uint32_t) {
  return PrintSlot<KvObjId>(out, values, format);
}
void* KvObjId::ScanFromString(void* values, KvString& text, const char* format, uint32_t) {
  return ScanSlot<KvObjId>(values, text, format);
}
void KvObjId::Constructor(void* values, uint32_t count, uint32_t) {
  ConstructZeroed(static_cast<KvObjId*>(values), count);
}
void KvObjId::Destructor(void*, uint32_t, uint32_t) {}
void KvObjId::Assignment(void* target, void* source, uint32_t count, int32_t fill) {
  AssignValues<KvObjId>(target, source, count, fill);
}
void KvObjId::Copy(void* target, void* source, uint32_t count, int32_t fill) {
  AssignValues<KvObjId>(target, source, count, fill);
}

void* KvClassId::Create(uint32_t count) { return CreateClassIds(count); }
void* KvClassId::Delete(void* values, uint32_t count) { return DeleteClassIds(values, count); }
uint32_t KvClassId::Store(void* stored, void* values, uint8_t format, uint32_t count) {
  return StoreValues<KvClassId>(stored, values, format, count);
}
uint32_t KvClassId::Load(void* values, void* stored, uint8_t format, uint32_t count) {
  return LoadValues<KvClassId>(values, stored, format, count);
}
uint32_t KvClassId::NullSizeGet(uint32_t count) { return count * kStoredSize; }
uint32_t KvClassId::SizeGet(void*, uint8_t, uint8_t, uint32_t count) {
  return count * kStoredSize;
}
uint32_t KvClassId::SizeGetFromMemFile(MemFile*, uint8_t, uint32_t count) {
  return count * kStoredSize;
}
uint32_t KvClassId::Translate(void* target, uint8_t targetFormat, uint32_t targetLength,
                              void* source, uint8_t sourceFormat, uint32_t sourceLength,
                              uint32_t count) {
  return TranslateValues<KvClassId>(target, targetFormat, targetLength, source, sourceFormat,
                                    sourceLength, count);
}
KvString* KvClassId::ConvertToKvString(void* values, uint32_t count) {
  return ListOf<KvClassId>(values, count);
}
void* KvClassId::ConvertFromKvString(KvString* text, uint32_t count) {
  return ValuesOf<KvClassId>(text, count);
}
KvString& KvClassId::PrintToString(KvString& out, void* values, const char* format, uint32_t) {
  return PrintSlot<KvClassId>(out, values, format);
}
void* KvClassId::ScanFromString(void* values, KvString& text, const char* format, uint32_t) {
  return ScanSlot<KvClassId>(values, text, format);
}
void KvClassId::Constructor(void* values, uint32_t count, uint32_t) {
  ConstructZeroed(static_cast<KvClassId*>(values), count);
}
void KvClassId::Destructor(void*, uint32_t, uint32_t) {}
void KvClassId::Assignment(void* target, void* source, uint32_t count, int32_t fill) {
  AssignValues<KvClassId>(target, source, count, fill);
}
void KvClassId::Copy(void* target, void* source, uint32_t count, int32_t fill) {
  AssignValues<KvClassId>(target, source, count, fill);
}

void* KvRef::Create(uint32_t count) { return CreateCounted<KvRef>(count); }
void* KvRef::Delete(void* values, uint32_t count) { return DeleteCounted<KvRef>(values, count); }
uint32_t KvRef::Store(void* stored, void* values, uint8_t format, uint32_t count) {
  return StoreValues<KvRef>(stored, values, format, count);
}
uint32_t KvRef::Load(void* values, void* stored, uint8_t format, uint32_t count) {
  return LoadValues<KvRef>(values, stored, format, count);
}
uint32_t KvRef::NullSizeGet(uint32_t count) { return count * kStoredSize; }
uint32_t KvRef::SizeGet(void*, uint8_t, uint8_t, uint32_t count) { return count * kStoredSize; }
uint32_t KvRef::SizeGetFromMemFile(MemFile*, uint8_t, uint32_t count) {
  return count * kStoredSize;
}
uint32_t KvRef::Translate(void* target, uint8_t targetFormat, uint32_t targetLength,
                          void* source, uint8_t sourceFormat, uint32_t sourceLength,
                          uint32_t count) {
  return TranslateValues<KvRef>(target, targetFormat, targetLength, source, sourceFormat,
                                sourceLength, count);
}
KvString* KvRef::ConvertToKvString(void* values, uint32_t count) {
  return ListOf<KvRef>(values, count);
}
void* KvRef::ConvertFromKvString(KvString* text, uint32_t count) {
  return ValuesOf<KvRef>(text, count);
}
KvString& KvRef::PrintToString(KvString& out, void* values, const char* format, uint32_t) {
  return PrintSlot<KvRef>(out, values, format);
}
void* KvRef::ScanFromString(void* values, KvString& text, const char* format, uint32_t) {
  return ScanSlot<KvRef>(values, text, format);
}
void KvRef::Constructor(void* values, uint32_t count, uint32_t) {
  ConstructZeroed(static_cast<KvRef*>(values), count);
}
void KvRef::Destructor(void*, uint32_t, uint32_t) {}
void KvRef::Assignment(void* target, void* source, uint32_t count, int32_t fill) {
  AssignValues<KvRef>(target, source, count, fill);
}
void KvRef::Copy(void* target, void* source, uint32_t count, int32_t fill) {
  AssignValues<KvRef>(target, source, count, fill);
}
