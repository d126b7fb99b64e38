// kvtypes.cpp — the descriptor table: the rows of every type, and the
// family functions of the primitive number types.
#include "kvtm/kvtypes.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <type_traits>

#include "kvdate_access.h"
#include "kvdatefmt.h"
#include "kvevaluate.h"
#include "kvformat.h"
#include "kvint64_rows.h"
#include "kvistring_rows.h"
#include "kvkey.h"
#include "kvplatform/kvassert.h"
#include "kvplatform/kvbase.h"
#include "kvplatform/kvi18n.h"
#include "kvplatform/kvmemfile.h"
#include "kvplatform/kvmemory.h"
#include "kvstored.h"
#include "kvstring_access.h"
#include "kvtable.h"
#include "kvtm/kvblob.h"
#include "kvtm/kvboolean.h"
#include "kvtm/kvdate.h"
#include "kvtm/kvobjid.h"
#include "kvtm/kvodmg.h"
#include "kvtm/kvorder.h"
#include "kvtm/kvstring.h"
#include "kvtm/kvtypcmp.h"
#include "kvtm/kvtypemgr.h"

// ---- Primitive families: one set of functions per memory width ----

namespace {

// Allocates count × width bytes with operator new; null when the product
// does not fit in 32 bits or the allocation fails.
void* AllocateNumbers(uint32_t count, uint32_t width, bool zero) {
  // Count 0 makes one value, as for every row: callers read and write the
  // first value whatever the count.
  if (count == 0) count = 1;
  if (width != 0 && count > UINT32_MAX / width) return nullptr;
  const uint32_t bytes = count * width;
  void* p = ::operator new(bytes, std::nothrow);
  if (p != nullptr && zero) std::memset(p, 0, bytes);
  return p;
}

// Only the 1-byte family zero-fills new values; the wider ones leave them
// unset, as callers load or construct into them at once.
void* Create1(uint32_t count) { return AllocateNumbers(count, 1, true); }
void* Create2(uint32_t count) { return AllocateNumbers(count, 2, false); }
void* Create4(uint32_t count) { return AllocateNumbers(count, 4, false); }
void* Create8(uint32_t count) { return AllocateNumbers(count, 8, false); }

void* DeleteNumbers(void* values, uint32_t) {
  ::operator delete(values);
  return nullptr;
}

template <uint32_t W>
void ConstructNumbers(void* values, uint32_t count, uint32_t) {
  std::memset(values, 0, static_cast<size_t>(count) * W);
}

void DestructNumbers(void*, uint32_t, uint32_t) {}

template <uint32_t W>
void AssignNumbers(void* target, void* source, uint32_t count, int32_t fill) {
  uint8_t* t = static_cast<uint8_t*>(target);
  if (fill == 0) {
    if (t != source) std::memmove(t, source, static_cast<size_t>(count) * W);
    return;
  }
  uint8_t first[W];
  std::memcpy(first, source, W);
  for (uint32_t i = 0; i < count; ++i) std::memcpy(t + static_cast<size_t>(i) * W, first, W);
}

// The stored length of the numbers at a memory file's position does not
// depend on their bytes, so the file is not read.
uint32_t FileSize1(MemFile*, uint8_t, uint32_t count) { return count; }
uint32_t FileSize2(MemFile*, uint8_t, uint32_t count) { return 2 * count; }
uint32_t FileSizeLong(MemFile*, uint8_t, uint32_t count) { return 4 * count; }
uint32_t FileSizeInt(MemFile*, uint8_t format, uint32_t count) {
  return IntSizeGet(nullptr, 8, format, count);
}
uint32_t FileSizeFloat(MemFile*, uint8_t format, uint32_t count) {
  return FloatSizeGet(nullptr, 8, format & 15, count);
}
uint32_t FileSizeDouble(MemFile*, uint8_t format, uint32_t count) {
  return DoubleSizeGet(nullptr, 8, format & 15, count);
}

// Translate of a width family whose base routines are Store and Load.
// Memory to memory copies; memory to stored and back go through the base
// routines; stored to stored copies the bytes as they are (no reordering,
// whatever the two codes) into a zero-filled target. A nonzero length also
// bounds the values converted in the memory cases, so that neither buffer
// is overrun.
template <uint32_t W, KvStoreFunc Store, KvLoadFunc Load>
uint32_t TranslateNumbers(void* target, uint8_t targetFormat, uint32_t targetLength,
                          void* source, uint8_t sourceFormat, uint32_t sourceLength,
                          uint32_t count) {
  const uint8_t t = targetFormat & 15;
  if ((t & 8) != 0 || (sourceFormat & 8) != 0) {
    if (targetLength != 0 && targetLength / W < count) count = targetLength / W;
    if (sourceLength != 0 && sourceLength / W < count) count = sourceLength / W;
  }
  if ((t & 8) != 0) {
    if ((sourceFormat & 8) != 0) {
      if (count != 0) std::memmove(target, source, static_cast<size_t>(count) * W);
      return count * W;
    }
    return Load(target, source, sourceFormat, count);
  }
  if ((sourceFormat & 8) != 0) return Store(target, source, t, count);
  const uint32_t n = sourceLength < targetLength ? sourceLength : targetLength;
  if (sourceLength < targetLength) std::memset(target, 0, targetLength);
  if (n != 0) std::memmove(target, source, n);
  return n;
}

constexpr KvTranslateFunc TranslateChar = TranslateNumbers<1, CharStore, CharStore>;
constexpr KvTranslateFunc TranslateShort = TranslateNumbers<2, ShortStore, ShortStore>;
constexpr KvTranslateFunc TranslateLong = TranslateNumbers<4, LongStore, LongStore>;
constexpr KvTranslateFunc TranslateInt = TranslateNumbers<4, IntStore, IntLoad>;
constexpr KvTranslateFunc TranslateUnsigned = TranslateNumbers<4, UnsignedStore, UnsignedLoad>;
constexpr KvTranslateFunc TranslateFloat = TranslateNumbers<4, FloatStore, FloatStore>;
constexpr KvTranslateFunc TranslateDouble = TranslateNumbers<8, DoubleStore, DoubleStore>;

// ---- Text forms of the primitive families ----
//
// A family's values in memory are read as M: int8_t for the 1-byte family,
// int16_t for the 2-byte one, int32_t for the long and int families (the
// unsigned rows share the signed ones' texts: a KvDWord 4294967295 is
// "-1,", as the 32-bit platform wrote it), float and double.

template <typename M>
M ValueAt(const void* values, uint32_t i) {
  M v;
  std::memcpy(&v, static_cast<const char*>(values) + sizeof(M) * size_t{i}, sizeof(M));
  return v;
}

template <typename M>
void SetValueAt(void* values, uint32_t i, M v) {
  std::memcpy(static_cast<char*>(values) + sizeof(M) * size_t{i}, &v, sizeof(M));
}

// The text of one list item: the value as the KvString number constructors
// write it ("%d", or "%.15g" for reals), then the separator.
int ItemText(char* item, size_t size, int32_t v) { return std::snprintf(item, size, "%d,", v); }
int ItemText(char* item, size_t size, double v) { return std::snprintf(item, size, "%.15g,", v); }

// ConvertToKvString: a list of count items, each written by
// item(i, buffer, size) with its separator; its length is returned. The
// text is made in 8-bit digits and taken into the default code set at once,
// as every number string is. A list longer than a string holds ends after
// the last whole item, and the overflow is reported.
template <typename ItemWriter>
KvString* ListText(uint32_t count, ItemWriter item) {
  KvListText list;
  for (uint32_t i = 0; i < count; ++i) {
    char buffer[40];  // the widest item, two "%d" and a separator, needs 24
    const int n = item(i, buffer, sizeof buffer);
    if (!list.Add(buffer, static_cast<size_t>(n))) break;
  }
  return list.Release();
}

// "1,2,3," for three values, an empty string for none.
template <typename M>
KvString* ListOf(void* values, uint32_t count) {
  using Text = std::conditional_t<std::is_floating_point_v<M>, double, int32_t>;
  if (values == nullptr) count = 0;
  return ListText(count, [values](uint32_t i, char* buffer, size_t size) {
    return ItemText(buffer, size, static_cast<Text>(ValueAt<M>(values, i)));
  });
}

// The readers of list items, as the KvString conversions read 8-bit text:
// operator short for the 1- and 2-byte families (kept to the width),
// operator long and operator int (the same 32-bit reader) for the others,
// operator double for reals.
bool PlainDecimal() { return (___KvTypeMgrOptions() & 1) != 0; }
int8_t ReadByteItem(const char* p) {
  return static_cast<int8_t>(KvTextToLong(p, PlainDecimal()));
}
int16_t ReadShortItem(const char* p) {
  return static_cast<int16_t>(KvTextToLong(p, PlainDecimal()));
}
int32_t ReadLongItem(const char* p) { return KvTextToLong(p, PlainDecimal()); }
float ReadFloatItem(const char* p) { return static_cast<float>(KvTextToDouble(p)); }
double ReadDoubleItem(const char* p) { return KvTextToDouble(p); }

uint16_t UnitAt(const char* units, size_t i, uint8_t width) {
  if (width == 1) return static_cast<uint8_t>(units[i]);
  uint16_t u;
  std::memcpy(&u, units + 2 * i, 2);
  return u;
}

// The items of a text list, for ConvertFromKvString. The separator is the
// text's last character ("," for an empty text); each item runs from the
// text's beginning to the first separator, and the text is cut after it. An
// item beyond the text's end is empty. The text is consumed: when the reader
// ends, the string holds what no item took.
//
// 16-bit text is read through an 8-bit copy: its own digit rule knows
// neither a sign nor a separator, so "-2," would not read back as -2. Each
// character has one counterpart, so positions agree in both.
class ListItems {
 public:
  explicit ListItems(KvString* text) : text_(text != nullptr ? text : &empty_) {
    cs_ = text_->CodeSetGet();
    width_ = KvUnitWidth(cs_);
    units_ = text_->StrGet();
    digits_ = units_;
    if (width_ == 2) {
      narrow_ = *text_;
      narrow_.SetCodeSet(KvString::GetDefault8CodeSet());
      digits_ = narrow_.StrGet();
    }
    length_ = text_->Len();
    separator_ = length_ == 0 ? ',' : UnitAt(units_, length_ - 1, width_);
  }

  ~ListItems() {
    // The rest is taken from the string's own buffer, which the edit
    // releases only after copying.
    if (offset_ != 0) {
      KvStringAccess::AssignUnits(*text_, units_ + width_ * offset_, cs_, KvSTRING_WHOLE,
                                  KvFORMAT_LSB_FIRST);
    }
  }

  ListItems(const ListItems&) = delete;
  ListItems& operator=(const ListItems&) = delete;

 private:
  // Moves past the next item and its separator; returns where it starts.
  size_t Advance(size_t* itemLength) {
    const size_t start = offset_;
    while (offset_ < length_ && UnitAt(units_, offset_, width_) != separator_) ++offset_;
    *itemLength = offset_ - start;
    if (offset_ < length_) ++offset_;
    return start;
  }

 public:
  // The next item as 8-bit text running on to the end of the list (a
  // number reader stops at the separator), and its length before the
  // separator.
  const char* Next(size_t* itemLength) { return digits_ + Advance(itemLength); }
  // The next item's units in the text's own code set.
  const char* NextUnits(size_t* itemLength) { return units_ + width_ * Advance(itemLength); }

  uint16_t Separator() const { return separator_; }
  uint8_t CodeSet() const { return cs_; }
  uint8_t Language() const { return text_->LanguageGet(); }

 private:
  KvString empty_{""};
  KvString* text_;
  KvString narrow_;
  const char* units_;
  const char* digits_;
  size_t length_;
  size_t offset_ = 0;
  uint16_t separator_;
  uint8_t cs_;
  uint8_t width_;
};

// count new values read from the text list, which is consumed. A value
// beyond the text's end is 0.
template <typename M, M (*Read)(const char*)>
void* ValuesOf(KvString* text, uint32_t count) {
  void* values = AllocateNumbers(count, sizeof(M), sizeof(M) == 1 || count == 0);
  if (values == nullptr) return nullptr;
  ListItems items(text);
  for (uint32_t i = 0; i < count; ++i) {
    size_t length;
    SetValueAt(values, i, Read(items.Next(&length)));
  }
  return values;
}

// The kind of value a family prints and scans, and its value as a number.
template <typename M>
constexpr KvValueKind KindOf() {
  if constexpr (std::is_floating_point_v<M>) return KvValueKind::kReal;
  if constexpr (sizeof(M) == 2) return KvValueKind::kShort;
  return KvValueKind::kLong;
}

template <typename M>
KvNumber NumberOf(M v) {
  KvNumber n;
  if constexpr (std::is_floating_point_v<M>) {
    n.real = v;  // a float widened, as a variadic call widens it
  } else {
    n.bits = static_cast<uint32_t>(static_cast<int32_t>(v));
  }
  return n;
}

template <typename M>
M ValueOf(const KvNumber& n) {
  if constexpr (std::is_floating_point_v<M>) {
    return static_cast<M>(n.real);
  } else {
    return static_cast<M>(n.bits);  // kept to the width
  }
}

// PrintToString of the 1-byte family: every byte, the printable ones under
// the format and the others as "0x%02x". Printable means what isprint holds
// for in the C locale, whatever locale the application chose.
KvString& PrintBytes(KvString& out, void* values, const char* format, uint32_t count) {
  if (values == nullptr && count != 0) return out;
  KvTextBuffer text;
  for (uint32_t i = 0; i < count && !text.Refused(); ++i) {
    const uint8_t byte = ValueAt<uint8_t>(values, i);
    KvNumber n;
    n.bits = byte;
    KvPrintValue(text, byte >= 0x20 && byte < 0x7F ? format : "0x%02x", KvValueKind::kByte, n);
  }
  text.AssignTo(out);
  return out;
}

// PrintToString of the other families: the first value only, whatever the
// count.
template <typename M>
KvString& PrintNumber(KvString& out, void* values, const char* format, uint32_t) {
  if (values == nullptr) return out;
  KvTextBuffer text;
  KvPrintValue(text, format, KindOf<M>(), NumberOf(ValueAt<M>(values, 0)));
  text.AssignTo(out);
  return out;
}

// The text a scan reads: 8-bit text itself, 16-bit text through an 8-bit
// copy kept in `narrow`.
const char* ScannedText(KvString& text, KvString& narrow, size_t* length) {
  *length = text.Len();
  if (!KvCodeSetIsWide(text.CodeSetGet())) return text.StrGet();
  narrow = text;
  narrow.SetCodeSet(KvString::GetDefault8CodeSet());
  // The copy's own length: nothing may be read past its text.
  *length = narrow.Len();
  return narrow.StrGet();
}

// ScanFromString of the 1-byte family: byte i is read at character i, as
// "0x%x" when a number follows that (its low 8 bits), else under the
// format; a byte that neither reads is left as it was.
void* ScanBytes(void* values, KvString& text, const char* format, uint32_t count) {
  if (values == nullptr) return nullptr;
  KvString narrow;
  size_t length;
  const char* p = ScannedText(text, narrow, &length);
  for (uint32_t i = 0; i < count && i < length; ++i) {
    KvNumber n;
    if (KvScanValue(p + i, length - i, "0x%x", KvValueKind::kLong, &n) ||
        KvScanValue(p + i, length - i, format, KvValueKind::kByte, &n)) {
      SetValueAt(values, i, static_cast<uint8_t>(n.bits));
    }
  }
  return values;
}

// ScanFromString of the other families: the first value, whatever the
// count; left as it was when the text does not match.
template <typename M>
void* ScanNumber(void* values, KvString& text, const char* format, uint32_t) {
  if (values == nullptr) return nullptr;
  KvString narrow;
  size_t length;
  const char* p = ScannedText(text, narrow, &length);
  KvNumber n;
  if (KvScanValue(p, length, format, KindOf<M>(), &n)) SetValueAt(values, 0, ValueOf<M>(n));
  return values;
}

struct TextSlots {
  KvToKvStringFunc toText;
  KvFromKvStringFunc fromText;
  KvPrintToKvStringFunc print;
  KvScanFromKvStringFunc scan;
};

constexpr TextSlots kByteText{ListOf<int8_t>, ValuesOf<int8_t, ReadByteItem>, PrintBytes,
                              ScanBytes};
constexpr TextSlots kShortText{ListOf<int16_t>, ValuesOf<int16_t, ReadShortItem>,
                               PrintNumber<int16_t>, ScanNumber<int16_t>};
constexpr TextSlots kLongText{ListOf<int32_t>, ValuesOf<int32_t, ReadLongItem>,
                              PrintNumber<int32_t>, ScanNumber<int32_t>};
constexpr TextSlots kFloatText{ListOf<float>, ValuesOf<float, ReadFloatItem>,
                               PrintNumber<float>, ScanNumber<float>};
constexpr TextSlots kDoubleText{ListOf<double>, ValuesOf<double, ReadDoubleItem>,
                                PrintNumber<double>, ScanNumber<double>};

}  // namespace

// ---- The rows ----

namespace {

// The KvString functions, defined after the rows.
template <typename T>
void* CreateValues(uint32_t count);
template <typename T>
void* DeleteValues(void* values, uint32_t count);
template <typename T>
void ConstructValues(void* values, uint32_t count, uint32_t);
template <typename T>
void DestructValues(void* values, uint32_t count, uint32_t);
template <typename T>
void AssignValues(void* target, void* source, uint32_t count, int32_t fill);
template <typename T>
void CopyValues(void* target, void* source, uint32_t count, int32_t fill);
uint32_t StoreString(void* stored, void* values, uint8_t format, uint32_t count);
uint32_t StoreLegacyString(void* stored, void* values, uint8_t format, uint32_t count);
uint32_t LoadString(void* values, void* stored, uint8_t format, uint32_t count);
uint32_t NullSizeString(uint32_t count);
KvString* StringList(void* values, uint32_t count);
void* StringsOfList(KvString* text, uint32_t count);
KvString& PrintString(KvString& out, void* values, const char* format, uint32_t count);
void* ScanString(void* values, KvString& text, const char* format, uint32_t count);
uint32_t SizeString(void* values, uint8_t valueFormat, uint8_t storedFormat, uint32_t count);
uint32_t SizeLegacyString(void* values, uint8_t valueFormat, uint8_t storedFormat,
                          uint32_t count);
uint32_t FileSizeString(MemFile* file, uint8_t format, uint32_t count);
uint32_t FileSizeLegacyString(MemFile* file, uint8_t format, uint32_t count);
uint32_t TranslateString(void* target, uint8_t tf, uint32_t tl, void* source, uint8_t sf,
                         uint32_t sl, uint32_t count);
uint32_t TranslateLegacyString(void* target, uint8_t tf, uint32_t tl, void* source, uint8_t sf,
                               uint32_t sl, uint32_t count);


template <typename T, uint32_t S>
KvTypeDescriptor DateRow(const char* name, const char* format, KvTypeCmpFunc compare,
                         KvEvalFunc eval);
KvTypeDescriptor Int64Row();
KvTypeDescriptor BoolRow();
KvTypeDescriptor BlobRow();

// A primitive number row.
constexpr KvTypeDescriptor NumberRow(const char* name, uint16_t width, KvCreateFunc create,
                                     KvStoreFunc store, KvLoadFunc load,
                                     KvNullSizeFunc nullSize, KvSizeFunc size,
                                     KvSizeFromMemFileFunc fileSize, KvTypeCmpFunc compare,
                                     KvEvalFunc eval, KvConstructFunc construct,
                                     KvAssignFunc assign, KvTranslateFunc translate,
                                     const TextSlots& text, const char* format) {
  return KvTypeDescriptor{name,        create,        DeleteNumbers, store,    load,
                          nullSize,    size,          fileSize,      compare,  eval,
                          text.toText, text.fromText, construct,     DestructNumbers,
                          assign,      assign,        translate,     format,   text.print,
                          text.scan,   width,         1};
}

// A row whose functions are not built yet: name, format and lengths only.
constexpr KvTypeDescriptor EmptyRow(const char* name, uint16_t memLength, uint16_t fixed,
                                    const char* format) {
  KvTypeDescriptor row{};
  row.name = name;
  row.exchangeFormat = format;
  row.memLength = memLength;
  row.fixed = fixed;
  return row;
}

// A row of the identity types, whose functions are static members of
// their classes.
template <typename T>
constexpr KvTypeDescriptor IdentityRow(const char* name, const char* format) {
  return KvTypeDescriptor{name,
                          T::Create,
                          T::Delete,
                          T::Store,
                          T::Load,
                          T::NullSizeGet,
                          T::SizeGet,
                          T::SizeGetFromMemFile,
                          T::Compare,
                          T::EvalAndBound,
                          T::ConvertToKvString,
                          T::ConvertFromKvString,
                          T::Constructor,
                          T::Destructor,
                          T::Assignment,
                          T::Copy,
                          T::Translate,
                          format,
                          T::PrintToString,
                          T::ScanFromString,
                          static_cast<uint16_t>(sizeof(T)),
                          1};
}

// The standard and the legacy KvString rows share everything but their
// stored form, sizes, comparison, evaluation and translation.
KvTypeDescriptor StringRow(bool legacy) {
  KvTypeDescriptor row = EmptyRow("KvString", sizeof(KvString), 0, "%s");
  row.ConvertToKvString = StringList;
  row.ConvertFromKvString = StringsOfList;
  row.PrintToString = PrintString;
  row.ScanFromString = ScanString;
  row.Create = CreateValues<KvString>;
  row.Delete = DeleteValues<KvString>;
  row.Store = legacy ? StoreLegacyString : StoreString;
  row.Load = LoadString;
  row.NullSizeGet = NullSizeString;
  row.SizeGet = legacy ? SizeLegacyString : SizeString;
  row.SizeGetFromMemFile = legacy ? FileSizeLegacyString : FileSizeString;
  row.Constructor = ConstructValues<KvString>;
  row.Destructor = DestructValues<KvString>;
  row.Assignment = AssignValues<KvString>;
  row.Copy = CopyValues<KvString>;
  row.Translate = legacy ? TranslateLegacyString : TranslateString;
  row.Compare = legacy ? LegacyStringCompare : StringCompare;
  row.EvalAndBound = legacy ? KvEvalLegacyString : KvEvalString;
  return row;
}

KvTypeDescriptor charRow = NumberRow(
    "char", 1, Create1, CharStore, CharStore, CharNullSizeGet, CharSizeGet, FileSize1,
    CharCompare, KvEvalNumber<int8_t>, ConstructNumbers<1>, AssignNumbers<1>, TranslateChar,
    kByteText, "%c");
KvTypeDescriptor shortRow = NumberRow(
    "short", 2, Create2, ShortStore, ShortStore, ShortNullSizeGet, ShortSizeGet, FileSize2,
    ShortCompare, KvEvalNumber<int16_t>, ConstructNumbers<2>, AssignNumbers<2>, TranslateShort,
    kShortText, "%hd");
KvTypeDescriptor longRow = NumberRow(
    "long", 4, Create4, LongStore, LongStore, LongNullSizeGet, LongSizeGet, FileSizeLong,
    LongCompare, KvEvalNumber<int32_t>, ConstructNumbers<4>, AssignNumbers<4>, TranslateLong,
    kLongText, "%ld");
KvTypeDescriptor doubleRow = NumberRow(
    "double", 8, Create8, DoubleStore, DoubleStore, DoubleNullSizeGet, DoubleSizeGet,
    FileSizeDouble, DoubleCompare, KvEvalNumber<double>, ConstructNumbers<8>, AssignNumbers<8>,
    TranslateDouble, kDoubleText, "%lf");
KvTypeDescriptor floatRow = NumberRow(
    "float", 4, Create4, FloatStore, FloatStore, FloatNullSizeGet, FloatSizeGet, FileSizeFloat,
    FloatCompare, KvEvalNumber<float>, ConstructNumbers<4>, AssignNumbers<4>, TranslateFloat,
    kFloatText, "%f");
KvTypeDescriptor wordRow = NumberRow(
    "KvWord", 2, Create2, ShortStore, ShortStore, ShortNullSizeGet, ShortSizeGet, FileSize2,
    WordCompare, KvEvalNumber<uint16_t>, ConstructNumbers<2>, AssignNumbers<2>, TranslateShort,
    kShortText, "%hu");
KvTypeDescriptor dwordRow = NumberRow(
    "KvDWord", 4, Create4, LongStore, LongStore, LongNullSizeGet, LongSizeGet, FileSizeLong,
    DwordCompare, KvEvalNumber<uint32_t>, ConstructNumbers<4>, AssignNumbers<4>, TranslateLong,
    kLongText, "%lu");
KvTypeDescriptor intRow = NumberRow(
    "int", 4, Create4, IntStore, IntLoad, IntNullSizeGet, IntSizeGet, FileSizeInt, IntCompare,
    KvEvalNumber<int32_t>, ConstructNumbers<4>, AssignNumbers<4>, TranslateInt, kLongText,
    "%d");
KvTypeDescriptor unsignedRow = NumberRow(
    "unsigned", 4, Create4, UnsignedStore, UnsignedLoad, IntNullSizeGet, IntSizeGet,
    FileSizeInt, UnsignedCompare, KvEvalNumber<uint32_t>, ConstructNumbers<4>,
    AssignNumbers<4>, TranslateUnsigned, kLongText, "%u");
KvTypeDescriptor enumRow = NumberRow(
    "enum", 4, Create4, IntStore, IntLoad, IntNullSizeGet, IntSizeGet, FileSizeInt, IntCompare,
    KvEvalNumber<int32_t>, ConstructNumbers<4>, AssignNumbers<4>, TranslateInt, kLongText,
    "%d");
KvTypeDescriptor byteRow = NumberRow(
    "KvByte", 1, Create1, CharStore, CharStore, CharNullSizeGet, CharSizeGet, FileSize1,
    ByteCompare, KvEvalNumber<uint8_t>, ConstructNumbers<1>, AssignNumbers<1>, TranslateChar,
    kByteText, "%c");
KvTypeDescriptor blockIdRow = NumberRow(
    "BlockId", 4, Create4, LongStore, LongStore, LongNullSizeGet, LongSizeGet, FileSizeLong,
    DwordCompare, KvEvalNumber<uint32_t>, ConstructNumbers<4>, AssignNumbers<4>, TranslateLong,
    kLongText, "#%lu");

KvTypeDescriptor stringRow = StringRow(false);
KvTypeDescriptor legacyStringRow = StringRow(true);
KvTypeDescriptor dateRow = DateRow<KvDate, 4>("KvDate", "%a %e.%b %Y", DateCompare, KvEvalDate);
KvTypeDescriptor timeRow = DateRow<KvTime, 3>("KvTime", "%I:%M:%S %p", TimeCompare, KvEvalTime);
KvTypeDescriptor objIdRow = IdentityRow<KvObjId>("KvObjId", "(%H-%L#%B)");
KvTypeDescriptor classIdRow = IdentityRow<KvClassId>("KvClassId", "(%Cv%V)");
KvTypeDescriptor refRow = IdentityRow<KvRef>("KvRef", "(%D:%H-%L#%B, %C)");
KvTypeDescriptor blobRow = BlobRow();
KvTypeDescriptor dateTimeRow =
    DateRow<KvDateTime, 7>("KvDateTime", "%a %e.%b %Y %I:%M:%S %p", DaTimeCompare, KvEvalDateTime);
KvTypeDescriptor iStringRow = KvInsensitiveRow<KvIString>("KvIString", KvIStringCompare);
KvTypeDescriptor caseIStringRow =
    KvInsensitiveRow<KvCaseIString>("KvCaseIString", KvCaseIStringCompare);
KvTypeDescriptor dDateRow = DateRow<d_Date, 4>("d_Date", "%a %b %e", d_DateCompare, KvEvald_Date);
KvTypeDescriptor dTimeRow = DateRow<d_Time, 6>("d_Time", "%I:%M:%S %p", d_TimeCompare, KvEvald_Time);
KvTypeDescriptor dTimestampRow = DateRow<d_Timestamp, 10>(
    "d_Timestamp", "%a %b %e %I:%M:%S %p", d_TimestampCompare, KvEvald_Timestamp);
KvTypeDescriptor int64Row = Int64Row();
KvTypeDescriptor boolRow = BoolRow();

// The interval is stored, compared, evaluated and translated as a float.
KvTypeDescriptor IntervalRow() {
  KvTypeDescriptor row =
      DateRow<d_Interval, 4>("d_Interval", "%e days, %I hours, %M minutes, %S seconds",
                             FloatCompare, KvEvalNumber<float>);
  row.NullSizeGet = FloatNullSizeGet;
  row.SizeGet = FloatSizeGet;
  row.SizeGetFromMemFile = FileSizeFloat;
  row.Translate = TranslateFloat;
  return row;
}
KvTypeDescriptor intervalRow = IntervalRow();

}  // namespace

KvTypeDescriptor* const kvStandardTable[KvTYPE_COUNT + 1] = {
    &charRow,      &shortRow,      &longRow,        &doubleRow,     &floatRow,
    &wordRow,      &dwordRow,      &intRow,         &unsignedRow,   &enumRow,
    &byteRow,      &stringRow,     &dateRow,        &timeRow,       &blockIdRow,
    &objIdRow,     &classIdRow,    &refRow,         &blobRow,       &dateTimeRow,
    &iStringRow,   &caseIStringRow, &dDateRow,      &dTimeRow,      &dTimestampRow,
    &intervalRow,  &int64Row,      &boolRow,        nullptr,
};

KvTypeDescriptor* const kvLegacyTable[KvTYPE_COUNT + 1] = {
    &charRow,      &shortRow,      &longRow,        &doubleRow,     &floatRow,
    &wordRow,      &dwordRow,      &intRow,         &unsignedRow,   &enumRow,
    &byteRow,      &legacyStringRow, &dateRow,      &timeRow,       &blockIdRow,
    &objIdRow,     &classIdRow,    &refRow,         &blobRow,       &dateTimeRow,
    &iStringRow,   &caseIStringRow, &dDateRow,      &dTimeRow,      &dTimestampRow,
    &intervalRow,  &int64Row,      &boolRow,        nullptr,
};

// ---- KvString: values, stored forms and translation ----

namespace {

// Class values: count 0 or 1 is a single object, a larger count an array
// whose count new[] records ahead of its first element.
template <typename T>
void* CreateValues(uint32_t count) {
  if (count <= 1) return new (std::nothrow) T;
  return new (std::nothrow) T[count];
}

template <typename T>
void* DeleteValues(void* values, uint32_t count) {
  if (values == nullptr) return nullptr;
  if (count <= 1)
    delete static_cast<T*>(values);
  else
    delete[] static_cast<T*>(values);
  return nullptr;
}

template <typename T>
void ConstructValues(void* values, uint32_t count, uint32_t) {
  T* v = static_cast<T*>(values);
  for (uint32_t i = 0; i < count; ++i) new (&v[i]) T;
}

template <typename T>
void DestructValues(void* values, uint32_t count, uint32_t) {
  T* v = static_cast<T*>(values);
  for (uint32_t i = 0; i < count; ++i) v[i].~T();
}

template <typename T>
void AssignValues(void* target, void* source, uint32_t count, int32_t fill) {
  T* t = static_cast<T*>(target);
  T* s = static_cast<T*>(source);
  for (uint32_t i = 0; i < count; ++i) t[i] = s[fill != 0 ? 0 : i];
}

template <typename T>
void CopyValues(void* target, void* source, uint32_t count, int32_t fill) {
  T* t = static_cast<T*>(target);
  T* s = static_cast<T*>(source);
  for (uint32_t i = 0; i < count; ++i) new (&t[i]) T(s[fill != 0 ? 0 : i]);
}

// Text bytes of a stored standard record of `s`: the buffer less its
// terminator unit (an 8-bit text keeps its zero byte as the first of the
// two closing bytes).
uint32_t StoredTextBytes(const KvString& s) {
  if (s.SizeGet() == 0) return 0;
  return s.SizeGet() - KvUnitWidth(s.CodeSetGet());
}

// Writes one standard record; returns its size.
uint32_t StoreRecord(uint8_t* p, const KvString& s, uint8_t f) {
  const uint32_t text = StoredTextBytes(s);
  KvStoredLengthSet(p, static_cast<uint16_t>(text + 4), f);
  p[2] = s.CodeSetGet();
  p[3] = s.LanguageGet();
  KvStringAccess::CopyUnits(reinterpret_cast<char*>(p + 4), s.StrGet(), KvUnitWidth(s.CodeSetGet()),
                            f, text);
  p[4 + text] = 0;
  p[5 + text] = KvSTORED_END_MARK;
  return text + 6;
}

uint32_t StoreString(void* stored, void* values, uint8_t format, uint32_t count) {
  uint8_t* p = static_cast<uint8_t*>(stored);
  const KvString* v = static_cast<const KvString*>(values);
  uint32_t total = 0;
  for (uint32_t i = 0; i < count; ++i) total += StoreRecord(p + total, v[i], format & 15);
  return total & 0xFFFF;
}

uint32_t StoreLegacyString(void* stored, void* values, uint8_t format, uint32_t count) {
  uint8_t* p = static_cast<uint8_t*>(stored);
  const KvString* v = static_cast<const KvString*>(values);
  uint32_t t = 0;
  for (uint32_t i = 0; i < count; ++i) {
    // The legacy form holds 8-bit text only.
    const uint32_t n = KvCodeSetIsWide(v[i].CodeSetGet()) ? 0 : v[i].Len();
    if (n != 0) std::memcpy(p + 2 + t, v[i].StrGet(), n);
    p[2 + t + n] = 0;
    t += n + 1;
  }
  KvStoredLengthSet(p, static_cast<uint16_t>(t), format);
  return t + 2;
}

// Reads the standard record at p into `value`; returns its size.
uint32_t LoadRecord(KvString& value, const uint8_t* p, uint8_t f) {
  const uint16_t length = KvStoredLength(p, f);
  const uint8_t cs = length >= 2 ? p[2] : 0;
  const uint8_t language = length >= 2 ? p[3] : 0;
  const uint32_t textBytes = length >= 4 ? length - 4u : 0u;
  const uint32_t units = KvCodeSetIsWide(cs) ? textBytes / 2 : textBytes;
  KvString loaded(cs, language);
  KvStringAccess::AssignUnits(loaded, reinterpret_cast<const char*>(p + 4), cs,
                              static_cast<uint16_t>(units), f);
  value.Destruct(loaded);
  return length + 2u;
}

uint32_t LoadString(void* values, void* stored, uint8_t format, uint32_t count) {
  // No value to load: not even the first record is read, as a caller may
  // hold none.
  if (count == 0) return 0;
  const uint8_t* p = static_cast<const uint8_t*>(stored);
  KvString* v = static_cast<KvString*>(values);
  const uint16_t length = KvStoredLength(p, format);
  if (length >= 1 && p[2 + length - 1] == 0) {
    // A legacy block: zero-terminated 8-bit texts, one per value, taking
    // the default 8-bit code set and language.
    uint32_t cursor = 2;
    for (uint32_t i = 0; i < count; ++i) {
      // Bounded by the block, whatever its bytes hold.
      const char* text = reinterpret_cast<const char*>(p + cursor);
      const size_t n = cursor < length + 2u ? strnlen(text, length + 2u - cursor) : 0;
      const std::string piece(text, n);
      v[i] = piece.c_str();
      cursor += static_cast<uint32_t>(n) + 1;
    }
    return length + 2u;
  }
  uint32_t total = 0;
  for (uint32_t i = 0; i < count; ++i) total += LoadRecord(v[i], p + total, format & 15);
  return total & 0xFFFF;
}

uint32_t NullSizeString(uint32_t count) { return 6 * count; }

// The code set a size is computed for: flag 32 takes a nonzero code set as
// 0, flag 64 a zero one as the native code set; 254 stays.
uint8_t EffectiveCodeSet(uint8_t cs, uint8_t format) {
  if (cs == KvCS_ORDERS) return cs;
  if (format & 32) return cs != 0 ? 0 : cs;
  if ((format & 64) && cs == 0) return KvLanguageContext::GetNativeCodeSet();
  return cs;
}

// Flag 128 asks for the size of the key form: up to two bytes of order
// per byte of 8-bit text, one per byte of 16-bit text (kept to 16 bits).
uint32_t KeySized(uint32_t s, uint8_t cs, uint8_t ownCodeSet, uint8_t format) {
  if ((format & 128) == 0 || cs == 0 || cs == KvCS_ORDERS) return s;
  return (KvCodeSetIsWide(ownCodeSet) ? s * 2 : s * 4) & 0xFFFF;
}

uint32_t SizeString(void* values, uint8_t valueFormat, uint8_t storedFormat, uint32_t count) {
  uint32_t total = 0;
  if (valueFormat & 8) {
    const KvString* v = static_cast<const KvString*>(values);
    for (uint32_t i = 0; i < count; ++i) {
      const uint32_t s = StoredTextBytes(v[i]) + 2;
      const uint8_t cs = EffectiveCodeSet(v[i].CodeSetGet(), storedFormat);
      total += KeySized(s, cs, v[i].CodeSetGet(), storedFormat) + 4;
    }
    return total;
  }
  const uint8_t* p = static_cast<const uint8_t*>(values);
  for (uint32_t i = 0; i < count; ++i) {
    const uint16_t length = KvStoredLength(p, storedFormat);
    if ((storedFormat & 128) == 0 && length >= 1 && p[2 + length - 1] == 0)
      return length + 2u;  // a legacy block holds every value
    // A record too short to hold its code set byte has none.
    const uint8_t own = length >= 1 ? p[2] : 0;
    const uint8_t cs = EffectiveCodeSet(own, storedFormat);
    total += KeySized(length, cs, own, storedFormat) + 2;
    p += length + 2u;
  }
  return total;
}

// The size reported for values whose record runs past a memory file's
// end: 65535 each, more than the file can hold. It saturates rather than
// wraps, as a wrapped product could pass for a size that fits.
uint32_t PastTheFile(uint32_t valuesLeft) {
  const uint64_t size = 65535ull * valuesLeft;
  return size > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(size);
}

uint32_t FileSizeString(MemFile* file, uint8_t format, uint32_t count) {
  unsigned long wanted = 2;
  const uint8_t* at = file->Seek(0, KvSEEK_CUR, &wanted, 0);
  if (at == nullptr || wanted < 2) return 0;
  // Records are walked within the file, never past its end.
  const uint32_t left = file->EndGet() - file->PosGet();
  uint32_t offset = 0;
  uint32_t total = 0;
  for (uint32_t i = 0; i < count; ++i) {
    if (offset + 2 > left) return PastTheFile(count - i);
    const uint16_t length = KvStoredLength(at + offset, format);
    const bool last = i + 1 == count;
    if ((format & 128) == 0 && !last) {
      if (offset + 2 + length > left) return PastTheFile(count - i);
      if (length >= 1 && at[offset + 2 + length - 1] == 0) return length + 2u;
    }
    const uint8_t cs = offset + 2 < left && length >= 1 ? at[offset + 2] : 0;
    total += KeySized(length, EffectiveCodeSet(cs, format), cs, format) + 2;
    offset += length + 2u;
  }
  return total;
}

uint32_t SizeLegacyString(void* values, uint8_t valueFormat, uint8_t storedFormat,
                          uint32_t count) {
  if (valueFormat & 8) {
    const KvString* v = static_cast<const KvString*>(values);
    uint32_t total = 2;
    for (uint32_t i = 0; i < count; ++i)
      total += (KvCodeSetIsWide(v[i].CodeSetGet()) ? 0 : v[i].Len()) + 1u;
    return total;
  }
  return KvStoredLength(values, storedFormat) + 2u;
}

uint32_t FileSizeLegacyString(MemFile* file, uint8_t format, uint32_t) {
  unsigned long wanted = 2;
  const uint8_t* at = file->Seek(0, KvSEEK_CUR, &wanted, 0);
  if (at == nullptr || wanted < 2) return 0;
  return KvStoredLength(at, format) + 2u;
}

}  // namespace

namespace {

// Stores values into a target of `tl` bytes, never past it: a store that
// needs more is made in a scratch buffer and cut to the target.
uint32_t StoreBounded(void* target, uint32_t tl, void* values, uint8_t format, uint32_t count,
                      KvStoreFunc store, uint32_t needed) {
  std::memset(target, 0, tl);
  if (needed <= tl) return store(target, values, format, count);
  uint8_t* scratch = static_cast<uint8_t*>(KvMemAllocZero(needed));
  if (scratch == nullptr) return 0;
  store(scratch, values, format, count);
  std::memcpy(target, scratch, tl);
  KvMemFree(scratch);
  return tl;
}

// One text walked into a key record: its units (a zero-terminated copy
// made by the caller), code set, language and whether the source was cut
// short, so that the key stands for a longer text.
struct KeySource {
  const char* text;
  uint8_t codeSet;
  uint8_t language;
  uint8_t unitFormat;
  bool cut;
};

// Writes the key record of one text at `out`, within `room` bytes: length,
// code set 254, the key's collation class (bit 7: the text goes on beyond
// what the key holds, in another class), the 16-bit units of KvKeyWalk in
// `format`, and for a whole text a zero unit whose second byte is the end
// mark 0xFF. A key that runs out of room, or whose source was cut, has no
// end and a length two bytes larger than the bytes written, which marks it
// as cut. Returns the bytes written; 0 when fewer than 5 bytes of room.
uint32_t WriteKey(uint8_t* out, uint32_t room, const KeySource& src, uint8_t format) {
  if (room < 5) return 0;
  KvKeyWalk walk(src.text, src.codeSet, src.language, src.unitFormat, src.cut);
  uint32_t w = 4;
  bool whole = false;
  uint16_t unit;
  while (w + 2 <= room && walk.Next(&unit)) {
    KvStoreBits<uint16_t>(out + w, unit, format & 15);
    w += 2;
    if (unit == 0) {
      whole = true;
      out[w - 1] = KvSTORED_END_MARK;
      break;
    }
  }
  KvStoredLengthSet(out, static_cast<uint16_t>(whole ? w - 2 : w), format);
  out[2] = KvCS_ORDERS;
  out[3] = walk.ClassGet();
  return w;
}

// A zero-terminated copy of `bytes` text bytes, so that walks never leave
// the stored element. Three zero bytes follow them: a whole zero unit of
// either width, also after 16-bit text cut in the middle of a unit.
struct TextCopy {
  explicit TextCopy(const uint8_t* text, uint32_t bytes)
      : data(bytes + 3 <= sizeof local ? local : static_cast<char*>(KvMemAlloc(bytes + 3))) {
    if (data == nullptr) return;
    if (bytes != 0) std::memcpy(data, text, bytes);
    data[bytes] = 0;
    data[bytes + 1] = 0;
    data[bytes + 2] = 0;
  }
  ~TextCopy() {
    if (data != local) KvMemFree(data);
  }
  TextCopy(const TextCopy&) = delete;
  TextCopy& operator=(const TextCopy&) = delete;

  char local[256];
  char* data;
};

// Whether count standard records lie wholly within the sl bytes at p.
bool RecordsFit(const uint8_t* p, uint32_t sl, uint8_t format, uint32_t count) {
  uint32_t offset = 0;
  for (uint32_t i = 0; i < count; ++i) {
    if (offset + 2 > sl) return false;
    offset += KvStoredLength(p + offset, format) + 2u;
    if (offset > sl) return false;
  }
  return true;
}

uint32_t TranslateStringToKeys(uint8_t* target, uint8_t tf, uint32_t tl, void* source,
                               uint8_t sf, uint32_t sl, uint32_t count, bool legacySource) {
  uint32_t total = 0;
  uint32_t remaining = tl;
  const uint8_t* src = static_cast<const uint8_t*>(source);
  uint32_t consumed = legacySource ? 2 : 0;  // a legacy block's texts follow its length
  for (uint32_t i = 0; i < count && remaining >= 5; ++i) {
    const uint8_t* text;
    uint32_t available;
    uint8_t cs;
    uint8_t language;
    bool cut = false;
    if (sf & 8) {
      const KvString& v = static_cast<const KvString*>(source)[i];
      text = reinterpret_cast<const uint8_t*>(v.StrGet());
      available = StoredTextBytes(v);
      cs = v.CodeSetGet();
      language = v.LanguageGet();
    } else if (legacySource) {
      if (consumed >= sl) break;
      text = src + consumed;
      available = static_cast<uint32_t>(strnlen(reinterpret_cast<const char*>(text), sl - consumed));
      cs = 0;
      language = 0;
      consumed += available + 1;
    } else {
      if (consumed + 4 > sl) break;
      const uint16_t length = KvStoredLength(src + consumed, sf);
      cs = src[consumed + 2];
      language = src[consumed + 3];
      const uint32_t textBytes = length >= 4 ? length - 4u : 0u;
      const uint32_t present = sl - consumed - 4;
      text = src + consumed + 4;
      available = textBytes < present ? textBytes : present;
      cut = available < textBytes;
      consumed += length + 2u;
    }
    const uint8_t ecs = EffectiveCodeSet(cs, tf);
    if (ecs == 0 || ecs == KvCS_ORDERS) break;  // handled as plain bytes by the caller
    const TextCopy copy(text, available);
    if (copy.data == nullptr) break;
    const KeySource ks{copy.data, ecs, language, static_cast<uint8_t>(sf & 15), cut};
    const uint32_t w = WriteKey(target + total, remaining, ks, tf);
    total += w;
    remaining -= w;
    if (cut) break;
  }
  return total & 0xFFFF;
}

uint32_t TranslateString(void* target, uint8_t tf, uint32_t tl, void* source, uint8_t sf,
                         uint32_t sl, uint32_t count) {
  uint8_t* out = static_cast<uint8_t*>(target);
  const uint8_t* src = static_cast<const uint8_t*>(source);
  // What the source holds.
  uint8_t cs = 0;
  bool legacy = false;
  uint16_t length = 0;
  if (sf & 8) {
    if (count != 0) cs = static_cast<const KvString*>(source)->CodeSetGet();
  } else {
    if (sl < 2) return 0;
    length = KvStoredLength(src, sf);
    legacy = length + 2u <= sl && length >= 1 && src[length + 1] == 0;
    cs = legacy || sl < 3 ? 0 : src[2];
  }

  if (tf & 8) {
    if (sf & 8) {
      AssignValues<KvString>(target, source, count, 0);
      return count * static_cast<uint32_t>(sizeof(KvString));
    }
    // Records read only within the source length.
    const bool whole = legacy || RecordsFit(src, sl, sf, count);
    if (whole) return LoadString(target, source, sf, count);
    // The first record was cut short (as index keys are): its text is what
    // the source holds; the other values are empty in its code set.
    KvString* v = static_cast<KvString*>(target);
    const uint8_t language = sl >= 4 ? src[3] : 0;
    const uint32_t bytes = sl >= 4 ? sl - 4 : 0;
    const uint32_t units = KvCodeSetIsWide(cs) ? bytes / 2 : bytes;
    KvString first(cs, language);
    KvStringAccess::AssignUnits(first, reinterpret_cast<const char*>(src + 4), cs,
                                static_cast<uint16_t>(units), sf & 15);
    v[0].Destruct(first);
    for (uint32_t i = 1; i < count; ++i) v[i] = KvString(cs, language);
    return sl + 2 + 6 * (count > 0 ? count - 1 : 0);
  }

  if ((sf & 8) && (tf & 128) == 0)
    return StoreBounded(target, tl, source, tf & 15, count, StoreString,
                        SizeString(source, 8, tf & 15, count));

  if ((tf & 128) == 0 && (sf & 8) == 0 && sf != tf) {
    KIVO_assert("\"format combination not supported\" && 0", kvSourceTypes, 1416);
    return 0;
  }

  const uint8_t ecs = EffectiveCodeSet(cs, tf);
  if ((tf & 128) != 0 && ecs != 0 && ecs != KvCS_ORDERS)
    return TranslateStringToKeys(out, tf, tl, source, sf, sl, count, legacy);

  if (legacy && (sf & 8) == 0) {
    // One legacy block becomes one standard record: its texts with their
    // zero bytes, and the end mark when it fits.
    const uint32_t n = sl + 2 < tl ? sl + 2 : tl;
    std::memset(out, 0, tl);
    if (n < 4) return 0;
    KvStoredLengthSet(out, static_cast<uint16_t>(length + 3), tf);
    out[2] = ecs;
    out[3] = 0;
    std::memcpy(out + 4, src + 2, n - 4);
    uint32_t written = n;
    if (sl + 3 <= tl) out[written++] = KvSTORED_END_MARK;
    return written;
  }

  // The same form: stored bytes copied as they are, the code set relabelled.
  uint32_t n;
  if (sf & 8) {
    const uint32_t size = SizeString(source, sf & 15, tf, count);
    uint8_t* scratch = static_cast<uint8_t*>(KvMemAllocZero(size));
    if (scratch == nullptr) return 0;
    const uint32_t stored = StoreString(scratch, source, tf & 15, count);
    n = stored < tl ? stored : tl;
    if (stored < tl) std::memset(out, 0, tl);
    std::memcpy(out, scratch, n);
    KvMemFree(scratch);
  } else {
    n = sl < tl ? sl : tl;
    if (sl < tl) std::memset(out, 0, tl);
    if (n != 0) std::memmove(out, src, n);
  }
  if (n > 2) out[2] = ecs;
  return n;
}

uint32_t TranslateLegacyString(void* target, uint8_t tf, uint32_t tl, void* source, uint8_t sf,
                               uint32_t sl, uint32_t count) {
  uint8_t* out = static_cast<uint8_t*>(target);
  const uint8_t* src = static_cast<const uint8_t*>(source);
  if (tf & 8) {
    if (sf & 8) {
      AssignValues<KvString>(target, source, count, 0);
      return count * static_cast<uint32_t>(sizeof(KvString));
    }
    // Never past the source: a legacy block holds every value; standard
    // records must each lie within it.
    if (sl < 2) return 0;
    const uint16_t length = KvStoredLength(src, sf);
    if (length + 2u > sl) return 0;
    const bool block = length >= 1 && src[length + 1] == 0;
    if (!block && !RecordsFit(src, sl, sf, count)) return 0;
    return LoadString(target, source, sf, count);
  }
  if (sf & 8)
    return StoreBounded(target, tl, source, tf, count, StoreLegacyString,
                        SizeLegacyString(source, 8, tf, count));
  if (sl < 2) return 0;
  const uint16_t length = KvStoredLength(src, sf);
  const bool standard = length + 2u <= sl && length >= 1 && src[length + 1] == KvSTORED_END_MARK;
  uint32_t n = standard ? sl - 3 : sl;
  const uint8_t* text = standard ? src + 4 : src + 2;
  if (n > tl) n = tl;
  if (n < tl) std::memset(out, 0, tl);
  if (n < 2) return 0;
  KvStoredLengthSet(out, static_cast<uint16_t>(standard ? length - 3 : length), tf);
  std::memcpy(out + 2, text, n - 2);
  return n;
}

}  // namespace

// ---- KvIString and KvCaseIString ----
//
// A block holds every value of an array member: a marker, the 16-bit length
// T of the texts, then each text and its terminator. Lengths given by a
// caller bound every read and write; T only bounds a block whose length
// nobody gave, and says whether a block was cut short (as index keys are).

namespace {

// The length of a block that nobody gave: its texts are trusted to be
// terminated, as a block that Store wrote is.
constexpr uint32_t kUnbounded = UINT32_MAX;

// The marker a plain store writes, and the format T is written in. The two
// classes differ here, and existing blocks keep them apart.
template <typename S>
uint8_t StoredMarker(uint8_t format) {
  if constexpr (std::is_same_v<S, KvCaseIString>) return (format & 0xF0) != 0 ? 0x01 : 0x40;
  return (format & 0x80) != 0 ? 0x01 : 0x40;
}

template <typename S>
uint8_t LengthFormat(uint8_t format) {
  if constexpr (std::is_same_v<S, KvCaseIString>) return format;
  return (format & 0x80) != 0 ? format & 15 : format;
}

void PutLength(uint8_t* block, uint32_t t, uint8_t format) {
  // T has 16 bits; a longer text saturates it rather than wrapping to a
  // small length that a reader would believe.
  uint16_t field = static_cast<uint16_t>(t > 0xFFFF ? 0xFFFF : t);
  ShortStore(block + 1, &field, format, 1);
}

// Bytes before the first zero among the `limit` bytes at p (limit when
// there is none).
uint32_t TextLength(const uint8_t* p, uint32_t limit) {
  if (limit == kUnbounded) {
    return static_cast<uint32_t>(std::strlen(reinterpret_cast<const char*>(p)));
  }
  const void* zero = std::memchr(p, 0, limit);
  return zero != nullptr ? static_cast<uint32_t>(static_cast<const uint8_t*>(zero) - p) : limit;
}

// Gives `value` the n bytes at p as its text.
template <typename S>
void AssignBytes(S& value, const uint8_t* p, uint32_t n) {
  char* text = static_cast<char*>(KvMemAlloc(n + 1));
  if (text == nullptr) return;
  if (n != 0) std::memcpy(text, p, n);
  text[n] = 0;
  value = text;
  KvMemFree(text);
}

// Reads count texts of the block at `stored`, `bytes` long, into values. A
// text that the bytes cut short is taken as far as it goes, and the values
// after it become empty. Returns the bytes read, header included.
template <typename S>
uint32_t LoadTexts(S* values, const uint8_t* stored, uint32_t bytes, uint32_t count) {
  uint32_t at = 3;
  for (uint32_t i = 0; i < count; ++i) {
    if (at >= bytes) {
      values[i] = static_cast<const char*>(nullptr);
      continue;
    }
    const uint32_t n = TextLength(stored + at, bytes == kUnbounded ? kUnbounded : bytes - at);
    if (at + n == bytes) {
      AssignBytes(values[i], stored + at, n);
      at = bytes;
      continue;
    }
    values[i] = reinterpret_cast<const char*>(stored + at);
    at += n + 1;
  }
  return at;
}

// Stored length of count values in memory: the plain block, or the block
// of their folded texts.
template <typename S>
uint32_t MemorySize(const S* values, bool folded, uint32_t count) {
  uint32_t n = 3;
  for (uint32_t i = 0; i < count; ++i) {
    const uint8_t* text = reinterpret_cast<const uint8_t*>(values[i].StrGet());
    const bool weights = (values[i].AttributesGet() & KvISTR_FOLDED) != 0;
    const uint32_t length = values[i].Len();
    n += 1 + (folded ? KvFoldKey<S>(nullptr, 0, text, length, weights) : length);
  }
  return n;
}

// Stored length of the block at `block` (`bytes` long) once folded: the
// folded texts of its count values and their terminators. A value the
// block does not hold counts as empty.
template <typename S>
uint32_t FoldedBlockSize(const uint8_t* block, uint32_t bytes, uint32_t count) {
  uint32_t n = 3;
  uint32_t at = 3;
  for (uint32_t i = 0; i < count; ++i) {
    if (at >= bytes) {
      // The values the block does not hold take their terminators alone,
      // counted at once: a count may be far larger than any block.
      n += count - i;
      break;
    }
    const uint32_t length = TextLength(block + at, bytes - at);
    n += KvFoldKey<S>(nullptr, 0, block + at, length, false) + 1;
    at += length + 1;
  }
  return n;
}

// Writes the key block of the n bytes at `text` into the tl bytes at out,
// which are zero: marker, T, the weights that fit before the last byte,
// and a terminator. T counts the weights of the whole text, plus one when
// the text itself was cut, so that a key cut here or before says so.
// Returns the bytes of the key, tl when it was cut.
template <typename S>
uint32_t WriteKey(uint8_t* out, uint8_t format, uint32_t tl, uint8_t marker,
                  const uint8_t* text, uint32_t n, bool folded, bool textCut) {
  const uint32_t room = tl - 4;
  const uint32_t weights = KvFoldKey<S>(out + 3, room, text, n, folded);
  const uint32_t written = weights < room ? weights : room;
  out[3 + written] = 0;
  out[0] = marker;
  PutLength(out, weights + 1 + (textCut ? 1 : 0), format);
  return written + 4;
}

}  // namespace

template <typename S>
uint32_t KvFoldKey(uint8_t* out, uint32_t room, const uint8_t* text, uint32_t n, bool folded) {
  uint32_t weights = 0;
  for (uint32_t i = 0; i < n; ++i) {
    uint8_t second = 0;
    const uint8_t w = folded ? text[i] : S::Fold(text[i], second);
    if (weights < room) out[weights] = w;
    ++weights;
    // Below 9 the secondary is an accent, which a key does not keep.
    if (second > 8) {
      if (weights < room) out[weights] = second;
      ++weights;
    }
  }
  return weights;
}

template <typename S>
void* KvInsensitiveSlots<S>::Create(uint32_t count) {
  if (count <= 1) return new (std::nothrow) S();
  if (count > (SIZE_MAX - 64) / sizeof(S)) return nullptr;
  return new (std::nothrow) S[count];
}

template <typename S>
void* KvInsensitiveSlots<S>::Delete(void* values, uint32_t count) {
  S* v = static_cast<S*>(values);
  if (count <= 1) {
    delete v;
  } else {
    delete[] v;
  }
  return nullptr;
}

template <typename S>
uint32_t KvInsensitiveSlots<S>::Store(void* stored, void* values, uint8_t format,
                                      uint32_t count) {
  uint8_t* out = static_cast<uint8_t*>(stored);
  const S* v = static_cast<const S*>(values);
  uint32_t at = 3;
  for (uint32_t i = 0; i < count; ++i) {
    const uint32_t n = v[i].Len();
    if (n != 0) std::memcpy(out + at, v[i].StrGet(), n);
    at += n;
    out[at++] = 0;
  }
  out[0] = StoredMarker<S>(format);
  PutLength(out, at - 3, LengthFormat<S>(format));
  return at;
}

template <typename S>
uint32_t KvInsensitiveSlots<S>::Load(void* values, void* stored, uint8_t, uint32_t count) {
  return LoadTexts(static_cast<S*>(values), static_cast<const uint8_t*>(stored), kUnbounded,
                   count);
}

template <typename S>
uint32_t KvInsensitiveSlots<S>::NullSize(uint32_t count) {
  return count + 3;
}

template <typename S>
uint32_t KvInsensitiveSlots<S>::Size(void* values, uint8_t valueFormat, uint8_t storedFormat,
                                     uint32_t count) {
  // There is no folded form in memory.
  if ((storedFormat & 8) != 0 && (storedFormat & 0x80) != 0) return 0;
  const bool folded = (storedFormat & 0x80) != 0;
  if ((valueFormat & 8) != 0) return MemorySize(static_cast<const S*>(values), folded, count);
  const uint8_t* block = static_cast<const uint8_t*>(values);
  const uint32_t t = KvInsensitiveLength(block, valueFormat);
  if (!folded || (block[0] & KvISTR_FOLDED) != 0) return t + 3;
  return FoldedBlockSize<S>(block, t + 3, count);
}

template <typename S>
uint32_t KvInsensitiveSlots<S>::FileSize(MemFile* file, uint8_t format, uint32_t count) {
  unsigned long header = 3;
  const uint8_t* block = file->Seek(0, KvSEEK_CUR, &header, 0);
  if (block == nullptr) return 0;
  const uint32_t left = file->EndGet() - file->PosGet();
  const uint32_t bytes = header == 3 ? KvInsensitiveLength(block, format) + 3 : UINT32_MAX;
  // A block that runs past the file's end is not followed: the result is
  // then 65535 per value, more than the file can hold.
  if (bytes > left) {
    const uint64_t missing = 65535ull * (count != 0 ? count : 1);
    return missing > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(missing);
  }
  return Size(const_cast<uint8_t*>(block), format & ~8u, format, count);
}

template <typename S>
void KvInsensitiveSlots<S>::Construct(void* values, uint32_t count, uint32_t) {
  S* v = static_cast<S*>(values);
  for (uint32_t i = 0; i < count; ++i) new (&v[i]) S();
}

template <typename S>
void KvInsensitiveSlots<S>::Destruct(void* values, uint32_t count, uint32_t) {
  S* v = static_cast<S*>(values);
  for (uint32_t i = 0; i < count; ++i) v[i].~S();
}

template <typename S>
void KvInsensitiveSlots<S>::Assign(void* target, void* source, uint32_t count, int32_t fill) {
  S* t = static_cast<S*>(target);
  const S* s = static_cast<const S*>(source);
  for (uint32_t i = 0; i < count; ++i) t[i] = s[fill != 0 ? 0 : i];
}

template <typename S>
void KvInsensitiveSlots<S>::CopyConstruct(void* target, void* source, uint32_t count,
                                          int32_t fill) {
  S* t = static_cast<S*>(target);
  const S* s = static_cast<const S*>(source);
  for (uint32_t i = 0; i < count; ++i) new (&t[i]) S(s[fill != 0 ? 0 : i]);
}

// Lengths of 0 are lengths nobody gave: a stored source is then bounded by
// its own block, a target only in the memory cases (as the number rows
// do).
template <typename S>
uint32_t KvInsensitiveSlots<S>::Translate(void* target, uint8_t tf, uint32_t tl, void* source,
                                          uint8_t sf, uint32_t sl, uint32_t count) {
  uint8_t* out = static_cast<uint8_t*>(target);
  const uint8_t* in = static_cast<const uint8_t*>(source);
  const bool fromMemory = (sf & 8) != 0;
  // Every stored source needs its header.
  if (!fromMemory && sl != 0 && sl < 3) return 0;
  const uint32_t sourceBytes = fromMemory ? sl : KvInsensitiveBlockBytes(in, sf, sl);

  if ((tf & 0x80) != 0) {
    // The key form of the first value. A key needs its header and its
    // terminator; no key lives in memory.
    if ((tf & 8) != 0 || count == 0 || tl < 4) return 0;
    if (fromMemory) {
      const S& value = *static_cast<const S*>(source);
      std::memset(out, 0, tl);
      return WriteKey<S>(out, tf, tl, KvISTR_MARKER_KEY,
                         reinterpret_cast<const uint8_t*>(value.StrGet()), value.Len(),
                         (value.AttributesGet() & KvISTR_FOLDED) != 0, false);
    }
    const uint8_t marker = in[0];
    if ((marker & KvISTR_FOLDED) != 0) {
      const uint32_t n = sourceBytes < tl ? sourceBytes : tl;
      if (sourceBytes < tl) std::memset(out, 0, tl);
      std::memmove(out, in, n);
      return n;
    }
    const uint32_t n = TextLength(in + 3, sourceBytes - 3);
    const bool cut = n == sourceBytes - 3;
    // The source may be the target: fold from a copy of the text.
    uint8_t* text = static_cast<uint8_t*>(KvMemAlloc(n + 1));
    if (text == nullptr) return 0;
    std::memcpy(text, in + 3, n);
    std::memset(out, 0, tl);
    const uint32_t written = WriteKey<S>(out, tf, tl, marker | KvISTR_MARKER_KEY, text, n,
                                         false, cut);
    KvMemFree(text);
    return written;
  }

  if ((tf & 8) != 0) {
    S* values = static_cast<S*>(target);
    if (fromMemory) {
      if (tl != 0 && tl / sizeof(S) < count) count = static_cast<uint32_t>(tl / sizeof(S));
      if (sl != 0 && sl / sizeof(S) < count) count = static_cast<uint32_t>(sl / sizeof(S));
      Assign(target, source, count, 0);
      return count * static_cast<uint32_t>(sizeof(S));
    }
    if constexpr (std::is_same_v<S, KvCaseIString>) {
      // A key turns back into text: capitals without accents, except
      // where a weight and its accent name a character.
      if ((in[0] & KvISTR_FOLDED) != 0 && count != 0) {
        const uint32_t t = KvInsensitiveLength(in, sf);
        const uint32_t present = sourceBytes - 3;
        const uint16_t limit = static_cast<uint16_t>(t < present ? t : present);
        char* text = static_cast<char*>(KvMemAllocZero(limit + 1u));
        if (text == nullptr) return 0;
        KvCaseIString::UnfoldText(text, reinterpret_cast<const char*>(in + 3), limit);
        values[0] = text;
        KvMemFree(text);
        for (uint32_t i = 1; i < count; ++i) values[i] = static_cast<const char*>(nullptr);
        return limit + 3u;
      }
    }
    return LoadTexts(values, in, sourceBytes, count);
  }

  if (fromMemory) {
    const S* values = static_cast<const S*>(source);
    const uint32_t size = MemorySize(values, false, count);
    if (tl == 0 || size <= tl) {
      if (tl != 0) std::memset(out, 0, tl);
      return Store(target, source, tf, count);
    }
    // The block does not fit: the target receives the first tl bytes of
    // it, a block cut short that its T tells as such.
    uint8_t* block = static_cast<uint8_t*>(KvMemAlloc(size));
    if (block == nullptr) return 0;
    Store(block, source, tf, count);
    std::memcpy(out, block, tl);
    KvMemFree(block);
    return tl;
  }

  const uint32_t n = sourceBytes < tl ? sourceBytes : tl;
  if (sourceBytes < tl) std::memset(out, 0, tl);
  if (n != 0) std::memmove(out, in, n);
  return n;
}

template uint32_t KvFoldKey<KvIString>(uint8_t*, uint32_t, const uint8_t*, uint32_t, bool);
template uint32_t KvFoldKey<KvCaseIString>(uint8_t*, uint32_t, const uint8_t*, uint32_t, bool);

// ---- Date and time rows ----
//
// Stored forms: a year through ShortStore in the format's byte order, every
// other field one byte as it is; a d_Time is its six held bytes, an interval
// a float. Every value of a row stores alike, so a null value takes the room
// of any other.

namespace {

// Values of the counted rows: one value for count 0 or 1, else a block of
// the 32-bit count followed by the values, given out at its first value.
// Every value of a new array is a copy of the first, so the dates and times
// of one array share one reading of the clock.
constexpr uint32_t kCountBytes = 4;

template <typename T>
void* CreateCounted(uint32_t count) {
  if (count <= 1) return new (std::nothrow) T;
  static_assert(kCountBytes % alignof(T) == 0, "values follow the count aligned");
  if (count > (UINT32_MAX - kCountBytes) / sizeof(T)) return nullptr;
  uint8_t* block =
      static_cast<uint8_t*>(::operator new(kCountBytes + count * sizeof(T), std::nothrow));
  if (block == nullptr) return nullptr;
  std::memcpy(block, &count, kCountBytes);
  T* values = reinterpret_cast<T*>(block + kCountBytes);
  new (&values[0]) T;
  for (uint32_t i = 1; i < count; ++i) new (&values[i]) T(values[0]);
  return values;
}

template <typename T>
void* DeleteCounted(void* values, uint32_t count) {
  if (values == nullptr) return nullptr;
  if (count < 2) {
    delete static_cast<T*>(values);
  } else {
    ::operator delete(static_cast<uint8_t*>(values) - kCountBytes);
  }
  return nullptr;
}

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
void FromView(d_Time* v, const KvDateTime& view) { *v = view.TimeGet(); }
void FromView(d_Timestamp* v, const KvDateTime& view) { *v = view; }
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

  // One value, whatever the count; a null format prints nothing.
  static KvString& Print(KvString& out, void* values, const char* format, uint32_t) {
    if (values == nullptr) return out;
    KvTextBuffer text;
    KvPrintDateTime(text, ViewOf(*static_cast<const T*>(values)), format);
    if (text.Length() != 0) out << text.Text();
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
KvTypeDescriptor DateRow(const char* name, const char* format, KvTypeCmpFunc compare,
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

// One value, whatever the count; a null format prints "%S".
KvString& PrintInt64(KvString& out, void* values, const char* format, uint32_t) {
  if (values == nullptr) return out;
  KvTextBuffer text;
  KvPrintInt64(text, *static_cast<const KvInt64*>(values), format);
  if (text.Length() != 0) out << text.Text();
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

KvTypeDescriptor Int64Row() {
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

// ---- bool rows ----
//
// One byte per value in memory and stored, copied as it is in every format.

namespace {

KvString* BoolList(void* values, uint32_t count) {
  if (values == nullptr) count = 0;
  return ListText(count, [values](uint32_t i, char* buffer, size_t size) {
    return std::snprintf(buffer, size, "%s", ValueAt<uint8_t>(values, i) != 0 ? "1," : "0,");
  });
}

// A value is true exactly when its item starts with "1".
void* BoolsOf(KvString* text, uint32_t count) {
  uint8_t* values = static_cast<uint8_t*>(CreateCounted<KvBoolean>(count));
  if (values == nullptr) return nullptr;
  ListItems items(text);
  for (uint32_t i = 0; i < count; ++i) {
    size_t length;
    const char* item = items.Next(&length);
    values[i] = length >= 1 && item[0] == '1' ? 1 : 0;
  }
  return values;
}

// The text replaces what the result held; the format is not read.
KvString& PrintBool(KvString& out, void* values, const char*, uint32_t) {
  if (values == nullptr) return out;
  out = ValueAt<uint8_t>(values, 0) != 0 ? "TRUE" : "FALSE";
  return out;
}

// True exactly for the whole texts below; every other text is false. The
// printed "TRUE" and "FALSE" read back as the values they came from.
void* ScanBool(void* values, KvString& text, const char*, uint32_t) {
  if (values == nullptr) return nullptr;
  KvString narrow;
  size_t length;
  const char* p = ScannedText(text, narrow, &length);
  bool truth = false;
  for (const char* word : {"T", "t", "TRUE", "true", "1"}) {
    if (std::strlen(word) == length && std::memcmp(p, word, length) == 0) truth = true;
  }
  *static_cast<KvBoolean*>(values) = truth ? 1L : 0L;
  return values;
}

uint32_t StoreBools(void* stored, void* values, uint8_t format, uint32_t count) {
  if (stored == nullptr || values == nullptr) return 0;
  return CharStore(stored, values, format, count);
}

uint32_t LoadBools(void* values, void* stored, uint8_t format, uint32_t count) {
  if (stored == nullptr || values == nullptr) return 0;
  return CharStore(values, stored, format, count);
}

KvTypeDescriptor BoolRow() {
  KvTypeDescriptor row = EmptyRow("bool", sizeof(KvBoolean), 1, "noop");
  row.Create = CreateCounted<KvBoolean>;
  row.Delete = DeleteCounted<KvBoolean>;
  row.Store = StoreBools;
  row.Load = LoadBools;
  row.NullSizeGet = CharNullSizeGet;
  row.SizeGet = CharSizeGet;
  row.SizeGetFromMemFile = FileSize1;
  row.Compare = BooleanCompare;
  row.EvalAndBound = KvEvalBool;
  row.ConvertToKvString = BoolList;
  row.ConvertFromKvString = BoolsOf;
  row.Constructor = ConstructNumbers<1>;
  row.Destructor = DestructNumbers;
  row.Assignment = AssignNumbers<1>;
  row.Copy = AssignNumbers<1>;
  row.Translate = TranslateChar;
  row.PrintToString = PrintBool;
  row.ScanFromString = ScanBool;
  return row;
}

}  // namespace

// ---- KvBlob rows ----
//
// Stored form of count blobs: a 32-bit total of the bytes that follow, then
// per blob its 32-bit length and its bytes as they are; 4 + total bytes in
// all. The block's total bounds every read of it: an element whose length
// runs past the total (or past a length the caller gives) is never read.

namespace {

// An array block: the 32-bit count in the last four bytes of a header that
// keeps the blobs aligned, then the blobs; given out at the first blob.
constexpr uint32_t kBlobHeaderBytes =
    alignof(KvBlob) > kCountBytes ? alignof(KvBlob) : kCountBytes;

void* CreateBlobs(uint32_t count) {
  if (count <= 1) return new (std::nothrow) KvBlob;
  if (count > (UINT32_MAX - kBlobHeaderBytes) / sizeof(KvBlob)) return nullptr;
  uint8_t* block = static_cast<uint8_t*>(
      ::operator new(kBlobHeaderBytes + size_t{count} * sizeof(KvBlob), std::nothrow));
  if (block == nullptr) return nullptr;
  std::memcpy(block + kBlobHeaderBytes - kCountBytes, &count, kCountBytes);
  KvBlob* values = reinterpret_cast<KvBlob*>(block + kBlobHeaderBytes);
  for (uint32_t i = 0; i < count; ++i) new (&values[i]) KvBlob;
  return values;
}

// A block's blobs are destroyed from the last to the first, as many as the
// block records: its own count is the one that is sure to be right.
void* DeleteBlobs(void* values, uint32_t count) {
  if (values == nullptr) return nullptr;
  if (count < 2) {
    delete static_cast<KvBlob*>(values);
    return nullptr;
  }
  uint8_t* block = static_cast<uint8_t*>(values) - kBlobHeaderBytes;
  uint32_t held;
  std::memcpy(&held, block + kBlobHeaderBytes - kCountBytes, kCountBytes);
  KvBlob* blobs = static_cast<KvBlob*>(values);
  for (uint32_t i = held; i > 0; --i) blobs[i - 1].~KvBlob();
  ::operator delete(block);
  return nullptr;
}

void DestructBlobs(void* values, uint32_t count, uint32_t) {
  KvBlob* blobs = static_cast<KvBlob*>(values);
  for (uint32_t i = count; i > 0; --i) blobs[i - 1].~KvBlob();
}

constexpr uint64_t kWholeBlock = UINT64_MAX;

uint32_t Clamp32(uint64_t n) { return n > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(n); }

uint32_t ReadLength(const uint8_t* p, uint8_t format) {
  uint32_t n;
  LongStore(&n, const_cast<uint8_t*>(p), format, 1);
  return n;
}

// 4 + the total of count blobs in memory.
uint64_t StoredBlobBytes(const KvBlob* blobs, uint32_t count) {
  uint64_t bytes = 4;
  for (uint32_t i = 0; i < count; ++i) bytes += 4 + static_cast<uint64_t>(blobs[i].Length());
  return bytes;
}

// Writes the stored form of count blobs at out, never past `room` bytes (a
// block cut there keeps the total of the whole); returns the bytes written.
uint32_t WriteBlobs(uint8_t* out, uint64_t room, const KvBlob* blobs, uint8_t format,
                    uint32_t count) {
  uint64_t at = 0;
  auto put = [&](const void* bytes, uint64_t n) {
    if (at < room && n != 0) {
      const uint64_t fits = n < room - at ? n : room - at;
      std::memcpy(out + at, bytes, static_cast<size_t>(fits));
    }
    at += n;
  };
  auto putLength = [&](uint64_t n) {
    uint32_t field = static_cast<uint32_t>(n);
    uint8_t stored[4];
    LongStore(stored, &field, format, 1);
    put(stored, 4);
  };
  putLength(StoredBlobBytes(blobs, count) - 4);
  for (uint32_t i = 0; i < count; ++i) {
    putLength(static_cast<uint64_t>(blobs[i].Length()));
    put(blobs[i].Data(), static_cast<uint64_t>(blobs[i].Length()));
  }
  return Clamp32(at < room ? at : room);
}

// Loads count blobs from the stored block at p, reading at most `available`
// bytes of it and nothing beyond the 4 + total bytes it claims. A blob whose
// length field or bytes lie beyond those is loaded empty, and so is every
// one after it; a negative length counts as 0. Returns the block's bytes
// within what may be read.
uint32_t ReadBlobs(KvBlob* blobs, const uint8_t* p, uint8_t format, uint32_t count,
                   uint64_t available) {
  uint64_t end = available < 4 ? 0 : uint64_t{ReadLength(p, format)} + 4;
  if (end > available) end = available;
  uint64_t at = 4;
  bool whole = end != 0;
  for (uint32_t i = 0; i < count; ++i) {
    uint64_t length = 0;
    if (whole && at + 4 <= end) {
      const int32_t field = static_cast<int32_t>(ReadLength(p + at, format));
      length = field > 0 ? static_cast<uint64_t>(field) : 0;
      whole = at + 4 + length <= end;
    } else {
      whole = false;
    }
    if (whole) {
      blobs[i].SetTo(p + at + 4, static_cast<long>(length));
      at += 4 + length;
    } else {
      blobs[i].SetTo(nullptr, 0);
    }
  }
  return Clamp32(end);
}

uint32_t StoreBlobs(void* stored, void* values, uint8_t format, uint32_t count) {
  if (stored == nullptr || values == nullptr) return 0;
  return WriteBlobs(static_cast<uint8_t*>(stored), kWholeBlock, static_cast<const KvBlob*>(values),
                    format, count);
}

uint32_t LoadBlobs(void* values, void* stored, uint8_t format, uint32_t count) {
  if (stored == nullptr || values == nullptr) return 0;
  return ReadBlobs(static_cast<KvBlob*>(values), static_cast<const uint8_t*>(stored), format,
                   count, kWholeBlock);
}

uint32_t NullSizeBlobs(uint32_t) { return 4; }

// In memory form the blobs are measured; in a stored form the block's total
// (read in the byte order of the buffer's own format) tells.
uint32_t SizeBlobs(void* values, uint8_t valueFormat, uint8_t, uint32_t count) {
  if (values == nullptr) return NullSizeBlobs(count);
  if (valueFormat & 8) return Clamp32(StoredBlobBytes(static_cast<const KvBlob*>(values), count));
  return Clamp32(uint64_t{ReadLength(static_cast<const uint8_t*>(values), valueFormat)} + 4);
}

// 0 when the file holds no whole total at its position.
uint32_t FileSizeBlobs(MemFile* file, uint8_t format, uint32_t) {
  if (file == nullptr) return 0;
  unsigned long wanted = 4;
  const uint8_t* at = file->Seek(0, KvSEEK_CUR, &wanted, 0);
  if (at == nullptr || wanted < 4) return 0;
  return Clamp32(uint64_t{ReadLength(at, format)} + 4);
}

// The four cases of every row; a nonzero length bounds the blobs converted
// in the memory cases and the bytes read or written in the stored ones.
uint32_t TranslateBlobs(void* target, uint8_t targetFormat, uint32_t targetLength, void* source,
                        uint8_t sourceFormat, uint32_t sourceLength, uint32_t count) {
  if (target == nullptr || source == nullptr) return 0;
  const bool targetInMemory = (targetFormat & 8) != 0;
  const bool sourceInMemory = (sourceFormat & 8) != 0;
  constexpr uint32_t size = sizeof(KvBlob);
  if (targetInMemory && targetLength != 0 && targetLength / size < count)
    count = targetLength / size;
  if (sourceInMemory && sourceLength != 0 && sourceLength / size < count)
    count = sourceLength / size;
  if (targetInMemory && sourceInMemory) {
    AssignValues<KvBlob>(target, source, count, 0);
    return count * size;
  }
  if (targetInMemory) {
    return ReadBlobs(static_cast<KvBlob*>(target), static_cast<const uint8_t*>(source),
                     sourceFormat, count, sourceLength != 0 ? sourceLength : kWholeBlock);
  }
  if (sourceInMemory) {
    return WriteBlobs(static_cast<uint8_t*>(target), targetLength != 0 ? targetLength : kWholeBlock,
                      static_cast<const KvBlob*>(source), targetFormat, count);
  }
  // Stored to stored: the bytes as they are, as every row copies them.
  const uint32_t n = sourceLength < targetLength ? sourceLength : targetLength;
  if (sourceLength < targetLength) std::memset(target, 0, targetLength);
  if (n != 0) std::memmove(target, source, n);
  return n;
}

// Blob contents have no text form: an empty list, and empty blobs from any.
KvString* BlobList(void*, uint32_t) { return new (std::nothrow) KvString(); }
void* BlobsOf(KvString*, uint32_t count) { return CreateBlobs(count); }

// The first blob under the format: "%L" its length, "%" before any other
// character that character ("%%" a percent sign), a "%" that ends the
// format nothing; every other character itself.
KvString& PrintBlob(KvString& out, void* values, const char* format, uint32_t) {
  if (values == nullptr || format == nullptr) return out;
  const KvBlob& blob = *static_cast<const KvBlob*>(values);
  KvTextBuffer text;
  for (const char* f = format; *f != 0; ++f) {
    if (*f == '%') {
      if (f[1] == 0) break;
      ++f;
      if (*f == 'L') {
        char number[24];
        const int n = std::snprintf(number, sizeof number, "%ld", blob.Length());
        text.Append(number, static_cast<size_t>(n));
        continue;
      }
    }
    text.Append(f, 1);
  }
  if (text.Length() != 0) out << text.Text();
  return out;
}

void* ScanBlob(void* values, KvString&, const char*, uint32_t) { return values; }

KvTypeDescriptor BlobRow() {
  KvTypeDescriptor row = EmptyRow("KvBlob", sizeof(KvBlob), 0, "[BLOB,len=%L]");
  row.Create = CreateBlobs;
  row.Delete = DeleteBlobs;
  row.Store = StoreBlobs;
  row.Load = LoadBlobs;
  row.NullSizeGet = NullSizeBlobs;
  row.SizeGet = SizeBlobs;
  row.SizeGetFromMemFile = FileSizeBlobs;
  row.Compare = BlobCompare;
  row.EvalAndBound = KvEvalBlob;
  row.ConvertToKvString = BlobList;
  row.ConvertFromKvString = BlobsOf;
  row.Constructor = ConstructValues<KvBlob>;
  row.Destructor = DestructBlobs;
  row.Assignment = AssignValues<KvBlob>;
  row.Copy = CopyValues<KvBlob>;
  row.Translate = TranslateBlobs;
  row.PrintToString = PrintBlob;
  row.ScanFromString = ScanBlob;
  return row;
}

}  // namespace

// ---- Strings: text lists, print and scan ----

namespace {

// The text of a string value in a list or under a format: a KvString's own,
// an insensitive string's 8-bit text in code set 0.
const KvString& TextOf(const KvString& v, KvString&) { return v; }
template <typename S>
const KvString& TextOf(const S& v, KvString& scratch) {
  scratch = KvString(v.StrGet());
  scratch.SetCodeSetCode(0);
  return scratch;
}

// Whether the units of `s` hold the unit `c`.
void MarkUnits(const KvString& s, uint64_t* used) {
  const uint8_t width = KvUnitWidth(s.CodeSetGet());
  const char* units = s.StrGet();
  for (size_t i = 0, n = s.Len(); i < n; ++i) {
    const uint16_t c = UnitAt(units, i, width);
    used[c / 64] |= uint64_t{1} << (c % 64);
  }
}

// ConvertToKvString of the string types: each value's text followed by a
// separator. The separator is the smallest unit from 1 up that occurs in
// none of the texts as the list holds them, compared unit for unit: a
// collating search would call a character absent that differs only in
// case, accent or a control code, and the list would not read back. When
// every unit occurs, 1 it is.
template <typename S>
KvString* StringListOf(void* values, uint32_t count, bool inNativeCodeSet) {
  KvString* list = new (std::nothrow) KvString();
  if (list == nullptr) return nullptr;
  if (inNativeCodeSet) list->SetCodeSetCode(KvLanguageContext::GetNativeCodeSet());
  if (values == nullptr) count = 0;
  const S* v = static_cast<const S*>(values);
  const uint8_t cs = list->CodeSetGet();
  const uint32_t last = KvCodeSetIsWide(cs) ? 0xFFFF : 0xFF;
  uint64_t used[1024] = {};
  KvString scratch;
  for (uint32_t i = 0; i < count; ++i) {
    KvString piece(cs, list->LanguageGet());
    piece += TextOf(v[i], scratch);
    MarkUnits(piece, used);
  }
  uint16_t separator = 1;
  while (separator < last && (used[separator / 64] >> (separator % 64) & 1) != 0) ++separator;
  if ((used[separator / 64] >> (separator % 64) & 1) != 0) separator = 1;
  KvString sep(cs, list->LanguageGet());
  const uint8_t narrow = static_cast<uint8_t>(separator);
  KvStringAccess::AssignUnits(sep, KvCodeSetIsWide(cs) ? reinterpret_cast<const char*>(&separator)
                                                       : reinterpret_cast<const char*>(&narrow),
                              cs, 1, 1);
  for (uint32_t i = 0; i < count; ++i) {
    *list += TextOf(v[i], scratch);
    *list += sep;
  }
  return list;
}

// The values of a string list: each the text before the next separator (the
// list's last character, "," for an empty list). The text is consumed.
void* StringsOf(KvString* text, uint32_t count, void* values, KvString* strings) {
  if (values == nullptr) return nullptr;
  ListItems items(text);
  for (uint32_t i = 0; i < count; ++i) {
    size_t length;
    const char* units = items.NextUnits(&length);
    KvString value(items.CodeSet(), items.Language());
    if (length != 0)
      KvStringAccess::AssignUnits(value, units, items.CodeSet(), static_cast<uint16_t>(length), 1);
    strings[i].Destruct(value);
  }
  return values;
}

// The value under `format`, in code set `cs`, into `out`: the format's
// literal text around its first "%s", which shows the value's first
// `precision` characters padded with blanks to `width` (C's rules, without
// handing the caller's format to the C library). Into an 8-bit code set the
// format's bytes are taken as they are, as the value's are; into a 16-bit
// one they are converted from the default 8-bit code set.
void FormatText(KvString& out, const char* format, const KvString& value, uint8_t cs,
                uint8_t language) {
  if (format == nullptr) format = "%s";
  const char* end = format + std::strlen(format);
  const KvStringDirective d = KvFindStringDirective(format);
  const uint8_t width = KvUnitWidth(cs);
  uint32_t shown = d.start != nullptr ? value.Len() : 0;
  if (d.hasPrecision && shown > d.precision) shown = d.precision;
  const uint32_t pad = d.width > shown ? d.width - shown : 0;

  KvTextBuffer before, padding, after;
  KvAppendLiteral(before, format, d.start != nullptr ? d.start : end);
  if (d.start != nullptr) KvAppendLiteral(after, d.end, end);
  for (uint32_t i = 0; i < pad && !padding.Refused(); ++i) padding.Append(" ", 1);
  KvString shownText(cs, language);
  if (shown != 0)
    KvStringAccess::AssignUnits(shownText, value.StrGet(), cs, static_cast<uint16_t>(shown), 1);

  KvString result(cs, language);
  KvString piece;
  auto add = [&](const KvTextBuffer& literal) {
    if (literal.Length() == 0) return;
    piece = KvString(literal.Text());
    // 8-bit literal text keeps its bytes; 16-bit text is converted.
    if (width == 1) piece.SetCodeSetCode(cs);
    result += piece;
  };
  if (before.Refused() || padding.Refused() || after.Refused()) {
    KvStringAccess::ReportOverflow();
    out = KvString(cs, language);
    return;
  }
  add(before);
  if (!d.left) add(padding);
  result += shownText;
  if (d.left) add(padding);
  add(after);
  out = result;
}

// The code set a 16-bit value prints into: out's own, else the default
// code set, else the native one.
uint8_t PrintCodeSet(const KvString& out) {
  uint8_t cs = out.CodeSetGet();
  if (cs == 0) cs = KvString::GetDefaultCodeSet();
  if (cs == 0) cs = KvLanguageContext::GetNativeCodeSet();
  return cs;
}

// Text of collation orders (code set 254) shown through the order names:
// "%1M" one character per order (its letter without accents), "%2M" the
// same with accented letters exact, "%3M" every order's name, "%4M" every
// order's character or its accent notation; each under the format with its
// marker read as "%s". Without a marker the characters of "%2M" fill the
// format's own "%s".
void PrintOrders(KvString& out, const KvString& value, const char* format) {
  if (format == nullptr) format = "%s";
  int mode = 0;
  const char* marker = nullptr;
  for (const char* m : {"%1M", "%2M", "%3M", "%4M"}) {
    ++mode;
    marker = std::strstr(format, m);
    if (marker != nullptr) break;
  }
  if (marker == nullptr) mode = 0;
  KvTextBuffer used;
  if (marker != nullptr) {
    used.Append(format, static_cast<size_t>(marker - format) + 1);
    used.Append("s", 1);
    used.Append(marker + 3, std::strlen(marker + 3));
  } else {
    used.Append(format, std::strlen(format));
  }
  const char* printFormat = used.Text();
  const uint8_t language = value.LanguageGet();
  const char* units = value.StrGet();
  const size_t n = value.Len();
  if (mode <= 2) {
    KvTextBuffer chars;
    for (size_t i = 0; i < n && !chars.Refused(); ++i) {
      unsigned char ch;
      KvConvertOrderToChar(UnitAt(units, i, 2), language, ch, mode == 1 ? 0 : 1, nullptr);
      const char c = ch != 0 ? static_cast<char>(ch) : '?';
      chars.Append(&c, 1);
    }
    if (mode == 1) {
      FormatText(out, printFormat, KvString(chars.Text()), KvString::GetDefault8CodeSet(), 0);
      return;
    }
    KvString text(chars.Text());
    text.SetCodeSetCode(KvCS_CP1252);
    const uint8_t cs = PrintCodeSet(out);
    KvString converted(cs, 0);
    converted += text;
    FormatText(out, printFormat, converted, cs, 0);
    return;
  }
  KvString result("");
  KvString name, piece;
  for (size_t i = 0; i < n; ++i) {
    const uint16_t order = UnitAt(units, i, 2);
    if (mode == 3) {
      KvConvertOrderToString(order, language, name);
    } else {
      unsigned char ch;
      const char* notation = nullptr;
      KvConvertOrderToChar(order, language, ch, 1, &notation);
      // A character without a notation of its own shows as itself.
      if (notation != nullptr && *notation != 0) {
        name = KvString(notation);
      } else {
        const char c[2] = {ch != 0 ? static_cast<char>(ch) : '?', 0};
        name = KvString(c);
      }
    }
    FormatText(piece, printFormat, name, name.CodeSetGet(), 0);
    result += piece;
  }
  out = result;
}

KvString* StringList(void* values, uint32_t count) {
  return StringListOf<KvString>(values, count, false);
}

void* StringsOfList(KvString* text, uint32_t count) {
  KvString* values = static_cast<KvString*>(CreateValues<KvString>(count));
  return StringsOf(text, count, values, values);
}

// PrintToString of KvString: the first value, whatever the count. An empty
// value is printed as itself.
KvString& PrintString(KvString& out, void* values, const char* format, uint32_t) {
  if (values == nullptr) return out;
  const KvString& value = *static_cast<const KvString*>(values);
  if (value.IsEmpty()) {
    out = value;
    return out;
  }
  const uint8_t cs = value.CodeSetGet();
  if (cs == KvCS_ORDERS) {
    PrintOrders(out, value, format);
  } else if (KvCodeSetIsWide(cs)) {
    const uint8_t target = PrintCodeSet(out);
    KvString converted(target, value.LanguageGet());
    converted += value;
    FormatText(out, format, converted, target, value.LanguageGet());
  } else {
    FormatText(out, format, value, cs, value.LanguageGet());
  }
  return out;
}

// ScanFromString of KvString: the whole text, code set and language
// included; the format is not used.
void* ScanString(void* values, KvString& text, const char*, uint32_t) {
  if (values == nullptr) return nullptr;
  *static_cast<KvString*>(values) = text;
  return values;
}

}  // namespace

template <typename S>
KvString* KvInsensitiveSlots<S>::ToText(void* values, uint32_t count) {
  return StringListOf<S>(values, count, true);
}

template <typename S>
void* KvInsensitiveSlots<S>::FromText(KvString* text, uint32_t count) {
  S* values = static_cast<S*>(Create(count));
  if (values == nullptr) return nullptr;
  ListItems items(text);
  for (uint32_t i = 0; i < count; ++i) {
    size_t length;
    const char* item = items.Next(&length);
    values[i] = S(item, static_cast<unsigned short>(length));
  }
  return values;
}

// PrintToString of the insensitive strings: 8-bit text under the format;
// an empty value is printed as its text.
template <typename S>
KvString& KvInsensitiveSlots<S>::Print(KvString& out, void* values, const char* format,
                                       uint32_t) {
  if (values == nullptr) return out;
  const S& value = *static_cast<const S*>(values);
  const KvString text(value.StrGet());
  if (!value) {
    out = text;
    return out;
  }
  FormatText(out, format, text, text.CodeSetGet(), text.LanguageGet());
  return out;
}

template <typename S>
void* KvInsensitiveSlots<S>::Scan(void* values, KvString& text, const char*, uint32_t) {
  if (values == nullptr) return nullptr;
  KvString narrow;
  size_t length;
  const char* p = ScannedText(text, narrow, &length);
  *static_cast<S*>(values) = S(p, static_cast<unsigned short>(length));
  return values;
}

template struct KvInsensitiveSlots<KvIString>;
template struct KvInsensitiveSlots<KvCaseIString>;
