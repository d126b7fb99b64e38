// kvtypes.cpp — the descriptor table: both id-to-row arrays, the rows of the
// primitive number types with their width families, and the rows of the
// three string types. The other families' rows live beside their classes
// (kvtable.h names them).
#include "kvtm/kvtypes.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <type_traits>

#include "kvevaluate.h"
#include "kvformat.h"
#include "kvistring_rows.h"
#include "kvkey.h"
#include "kvplatform/kvassert.h"
#include "kvplatform/kvbase.h"
#include "kvplatform/kvi18n.h"
#include "kvplatform/kvmemfile.h"
#include "kvplatform/kvmemory.h"
#include "kvrows.h"
#include "kvstored.h"
#include "kvstring_access.h"
#include "kvtable.h"
#include "kvtm/kvobjid.h"
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


// The stored length of the numbers at a memory file's position does not
// depend on their bytes, so the file is not read.
uint32_t FileSize2(MemFile*, uint8_t, uint32_t count) { return 2 * count; }
uint32_t FileSizeLong(MemFile*, uint8_t, uint32_t count) { return 4 * count; }
uint32_t FileSizeInt(MemFile*, uint8_t format, uint32_t count) {
  return IntSizeGet(nullptr, 8, format, count);
}
uint32_t FileSizeDouble(MemFile*, uint8_t format, uint32_t count) {
  return DoubleSizeGet(nullptr, 8, format & 15, count);
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
void SetValueAt(void* values, uint32_t i, M v) {
  std::memcpy(static_cast<char*>(values) + sizeof(M) * size_t{i}, &v, sizeof(M));
}

// The text of one list item: the value as the KvString number constructors
// write it ("%d", or "%.15g" for reals), then the separator.
int ItemText(char* item, size_t size, int32_t v) { return std::snprintf(item, size, "%d,", v); }
int ItemText(char* item, size_t size, double v) { return std::snprintf(item, size, "%.15g,", v); }


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
int8_t ReadByteItem(const char* p) {
  return static_cast<int8_t>(KvTextToLong(p, PlainDecimal()));
}
int16_t ReadShortItem(const char* p) {
  return static_cast<int16_t>(KvTextToLong(p, PlainDecimal()));
}
float ReadFloatItem(const char* p) { return static_cast<float>(KvTextToDouble(p)); }
double ReadDoubleItem(const char* p) { return KvTextToDouble(p); }


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
constexpr KvTypeDescriptor StringRow(bool legacy) {
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

constinit KvTypeDescriptor charRow = NumberRow(
    "char", 1, Create1, CharStore, CharStore, CharNullSizeGet, CharSizeGet, FileSize1,
    CharCompare, KvEvalNumber<int8_t>, ConstructNumbers<1>, AssignNumbers<1>, TranslateChar,
    kByteText, "%c");
constinit KvTypeDescriptor shortRow = NumberRow(
    "short", 2, Create2, ShortStore, ShortStore, ShortNullSizeGet, ShortSizeGet, FileSize2,
    ShortCompare, KvEvalNumber<int16_t>, ConstructNumbers<2>, AssignNumbers<2>, TranslateShort,
    kShortText, "%hd");
constinit KvTypeDescriptor longRow = NumberRow(
    "long", 4, Create4, LongStore, LongStore, LongNullSizeGet, LongSizeGet, FileSizeLong,
    LongCompare, KvEvalNumber<int32_t>, ConstructNumbers<4>, AssignNumbers<4>, TranslateLong,
    kLongText, "%ld");
constinit KvTypeDescriptor doubleRow = NumberRow(
    "double", 8, Create8, DoubleStore, DoubleStore, DoubleNullSizeGet, DoubleSizeGet,
    FileSizeDouble, DoubleCompare, KvEvalNumber<double>, ConstructNumbers<8>, AssignNumbers<8>,
    TranslateDouble, kDoubleText, "%lf");
constinit KvTypeDescriptor floatRow = NumberRow(
    "float", 4, Create4, FloatStore, FloatStore, FloatNullSizeGet, FloatSizeGet, FileSizeFloat,
    FloatCompare, KvEvalNumber<float>, ConstructNumbers<4>, AssignNumbers<4>, TranslateFloat,
    kFloatText, "%f");
constinit KvTypeDescriptor wordRow = NumberRow(
    "KvWord", 2, Create2, ShortStore, ShortStore, ShortNullSizeGet, ShortSizeGet, FileSize2,
    WordCompare, KvEvalNumber<uint16_t>, ConstructNumbers<2>, AssignNumbers<2>, TranslateShort,
    kShortText, "%hu");
constinit KvTypeDescriptor dwordRow = NumberRow(
    "KvDWord", 4, Create4, LongStore, LongStore, LongNullSizeGet, LongSizeGet, FileSizeLong,
    DwordCompare, KvEvalNumber<uint32_t>, ConstructNumbers<4>, AssignNumbers<4>, TranslateLong,
    kLongText, "%lu");
constinit KvTypeDescriptor intRow = NumberRow(
    "int", 4, Create4, IntStore, IntLoad, IntNullSizeGet, IntSizeGet, FileSizeInt, IntCompare,
    KvEvalNumber<int32_t>, ConstructNumbers<4>, AssignNumbers<4>, TranslateInt, kLongText,
    "%d");
constinit KvTypeDescriptor unsignedRow = NumberRow(
    "unsigned", 4, Create4, UnsignedStore, UnsignedLoad, IntNullSizeGet, IntSizeGet,
    FileSizeInt, UnsignedCompare, KvEvalNumber<uint32_t>, ConstructNumbers<4>,
    AssignNumbers<4>, TranslateUnsigned, kLongText, "%u");
constinit KvTypeDescriptor enumRow = NumberRow(
    "enum", 4, Create4, IntStore, IntLoad, IntNullSizeGet, IntSizeGet, FileSizeInt, IntCompare,
    KvEvalNumber<int32_t>, ConstructNumbers<4>, AssignNumbers<4>, TranslateInt, kLongText,
    "%d");
constinit KvTypeDescriptor byteRow = NumberRow(
    "KvByte", 1, Create1, CharStore, CharStore, CharNullSizeGet, CharSizeGet, FileSize1,
    ByteCompare, KvEvalNumber<uint8_t>, ConstructNumbers<1>, AssignNumbers<1>, TranslateChar,
    kByteText, "%c");
constinit KvTypeDescriptor blockIdRow = NumberRow(
    "BlockId", 4, Create4, LongStore, LongStore, LongNullSizeGet, LongSizeGet, FileSizeLong,
    DwordCompare, KvEvalNumber<uint32_t>, ConstructNumbers<4>, AssignNumbers<4>, TranslateLong,
    kLongText, "#%lu");

constinit KvTypeDescriptor stringRow = StringRow(false);
constinit KvTypeDescriptor legacyStringRow = StringRow(true);
constinit KvTypeDescriptor objIdRow = IdentityRow<KvObjId>("KvObjId", "(%H-%L#%B)");
constinit KvTypeDescriptor classIdRow = IdentityRow<KvClassId>("KvClassId", "(%Cv%V)");
constinit KvTypeDescriptor refRow = IdentityRow<KvRef>("KvRef", "(%D:%H-%L#%B, %C)");
constinit KvTypeDescriptor iStringRow =
    KvInsensitiveRow<KvIString>("KvIString", KvIStringCompare);
constinit KvTypeDescriptor caseIStringRow =
    KvInsensitiveRow<KvCaseIString>("KvCaseIString", KvCaseIStringCompare);

}  // namespace

KvTypeDescriptor* const kvStandardTable[KvTYPE_COUNT + 1] = {
    &charRow,       &shortRow,       &longRow,       &doubleRow,          &floatRow,
    &wordRow,       &dwordRow,       &intRow,        &unsignedRow,        &enumRow,
    &byteRow,       &stringRow,      &kvDateRow,     &kvTimeRow,          &blockIdRow,
    &objIdRow,      &classIdRow,     &refRow,        &kvBlobRow,          &kvDateTimeRow,
    &iStringRow,    &caseIStringRow, &kvODMGDateRow, &kvODMGTimeRow,      &kvODMGTimestampRow,
    &kvIntervalRow, &kvInt64Row,     &kvBoolRow,     nullptr,
};

KvTypeDescriptor* const kvLegacyTable[KvTYPE_COUNT + 1] = {
    &charRow,       &shortRow,       &longRow,       &doubleRow,          &floatRow,
    &wordRow,       &dwordRow,       &intRow,        &unsignedRow,        &enumRow,
    &byteRow,       &legacyStringRow, &kvDateRow,    &kvTimeRow,          &blockIdRow,
    &objIdRow,      &classIdRow,     &refRow,        &kvBlobRow,          &kvDateTimeRow,
    &iStringRow,    &caseIStringRow, &kvODMGDateRow, &kvODMGTimeRow,      &kvODMGTimestampRow,
    &kvIntervalRow, &kvInt64Row,     &kvBoolRow,     nullptr,
};

// ---- KvString: values, stored forms and translation ----

namespace {


// Text bytes of a stored standard record of `s`: the buffer less its
// terminator unit (an 8-bit text keeps its zero byte as the first of the
// two closing bytes).
uint32_t StoredTextBytes(const KvString& s) {
  if (s.SizeGet() == 0) return 0;
  return s.SizeGet() - KvUnitWidth(s.CodeSetGet());
}

// Every stored length field (a record's L, a legacy or insensitive
// block's T) has 16 bits: a value or block that would need more (an 8-bit
// text of 65532 characters) cannot be stored, as a wrapped or saturated
// length would make it come back as another one; a key longer than that
// is cut, and marked as such.
constexpr uint32_t kLargestLength = 0xFFFF;

bool RecordFits(const KvString& s) { return StoredTextBytes(s) + 4 <= kLargestLength; }

// Whether every one of count values has a record.
bool RecordsHold(const KvString* v, uint32_t count) {
  for (uint32_t i = 0; i < count; ++i)
    if (!RecordFits(v[i])) return false;
  return true;
}

// Writes one standard record, which fits; returns its size.
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

// Values that cannot all be stored are refused whole, after the report
// of a text too long for a string: nothing is written and the result is 0,
// as DiskLenGet says beforehand.
uint32_t StoreString(void* stored, void* values, uint8_t format, uint32_t count) {
  uint8_t* p = static_cast<uint8_t*>(stored);
  const KvString* v = static_cast<const KvString*>(values);
  if (!RecordsHold(v, count)) {
    KvStringAccess::ReportOverflow();
    return 0;
  }
  uint32_t total = 0;
  for (uint32_t i = 0; i < count; ++i) total += StoreRecord(p + total, v[i], format & 15);
  return total;
}

// The text a legacy block holds for a value: 8-bit text as it is, 16-bit
// text in the default 8-bit code set (the substitution character for what
// it lacks), as printing shows it. `narrow` keeps a converted copy.
const KvString& LegacyText(const KvString& value, KvString& narrow) {
  if (!KvCodeSetIsWide(value.CodeSetGet())) return value;
  narrow = value;
  narrow.SetCodeSet(KvString::GetDefault8CodeSet());
  return narrow;
}

// T of the legacy block of count values: their texts and zero bytes.
uint64_t LegacyTotal(const KvString* v, uint32_t count) {
  uint64_t t = 0;
  KvString narrow;
  for (uint32_t i = 0; i < count; ++i) t += LegacyText(v[i], narrow).Len() + 1u;
  return t;
}

uint32_t StoreLegacyString(void* stored, void* values, uint8_t format, uint32_t count) {
  uint8_t* p = static_cast<uint8_t*>(stored);
  const KvString* v = static_cast<const KvString*>(values);
  // T has 16 bits: a block it cannot measure is refused whole.
  if (LegacyTotal(v, count) > kLargestLength) {
    KvStringAccess::ReportOverflow();
    return 0;
  }
  uint32_t t = 0;
  KvString narrow;
  for (uint32_t i = 0; i < count; ++i) {
    const KvString& text = LegacyText(v[i], narrow);
    const uint32_t n = text.Len();
    if (n != 0) std::memcpy(p + 2 + t, text.StrGet(), n);
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
  return total;
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

// The size of a record of s bytes after a `header` of 4 (values in memory)
// or 2 (stored records). Flag 128 asks for the size of the key form: a
// character takes up to three orders (¼ ½ ¾ expand into digit, fraction
// slash, digit) of two bytes each, so six bytes per byte of 8-bit text and
// three per byte of 16-bit text; a key record is never larger than a
// length field can describe.
uint32_t KeySized(uint32_t s, uint32_t header, uint8_t cs, uint8_t ownCodeSet, uint8_t format) {
  if ((format & 128) == 0 || cs == 0 || cs == KvCS_ORDERS) return s + header;
  const uint32_t key = s * (KvCodeSetIsWide(ownCodeSet) ? 3 : 6) + header;
  return key < kLargestLength + 2 ? key : kLargestLength + 2;
}

// Values in memory that cannot be stored (RecordFits) have no stored
// length: 0, what Store returns for them.
uint32_t SizeString(void* values, uint8_t valueFormat, uint8_t storedFormat, uint32_t count) {
  uint32_t total = 0;
  if (valueFormat & 8) {
    const KvString* v = static_cast<const KvString*>(values);
    if (!RecordsHold(v, count)) return 0;
    for (uint32_t i = 0; i < count; ++i) {
      const uint32_t s = StoredTextBytes(v[i]) + 2;
      const uint8_t cs = EffectiveCodeSet(v[i].CodeSetGet(), storedFormat);
      total += KeySized(s, 4, cs, v[i].CodeSetGet(), storedFormat);
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
    total += KeySized(length, 2, cs, own, storedFormat);
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
    total += KeySized(length, 2, EffectiveCodeSet(cs, format), cs, format);
    offset += length + 2u;
  }
  return total;
}

uint32_t SizeLegacyString(void* values, uint8_t valueFormat, uint8_t storedFormat,
                          uint32_t count) {
  if (valueFormat & 8) {
    // 0 for a block that Store refuses.
    const uint64_t t = LegacyTotal(static_cast<const KvString*>(values), count);
    return t <= kLargestLength ? static_cast<uint32_t>(t) + 2 : 0;
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
  if (room > kLargestLength) room = kLargestLength;
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
  return total;
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
    // Values that cannot be stored size as 0; Store refuses them.
    const uint32_t size = SizeString(source, sf & 15, tf, count);
    uint8_t* scratch = static_cast<uint8_t*>(KvMemAllocZero(size != 0 ? size : 1));
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

// A stored block's T never passes kLargestLength (Store refuses one that
// would); a key's T counts the weights of its whole text, which may be
// more, and saturates: the key holds fewer weights than that
// (kLargestKeyWeights), so it still reads as cut.
constexpr uint32_t kLargestKeyWeights = kLargestLength - 2;

void PutLength(uint8_t* block, uint32_t t, uint8_t format) {
  uint16_t field = static_cast<uint16_t>(t > kLargestLength ? kLargestLength : t);
  ShortStore(block + 1, &field, format, 1);
}

// A format with bit 3 (memory) and bit 7 (folded) names a folded form in
// memory, which does not exist: nothing is stored in it, and its size is 0.
bool NoSuchForm(uint8_t format) { return (format & 0x88) == 0x88; }

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
  const uint32_t room = tl - 4 < kLargestKeyWeights ? tl - 4 : kLargestKeyWeights;
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
  if (NoSuchForm(format)) return 0;
  // A block T cannot measure is refused whole, with the report of a text
  // too long for a string: a saturated T would read back as another block.
  if (MemorySize(v, false, count) - 3 > kLargestLength) {
    KvStringAccess::ReportOverflow();
    return 0;
  }
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
  if (NoSuchForm(storedFormat)) return 0;
  const bool folded = (storedFormat & 0x80) != 0;
  if ((valueFormat & 8) != 0) {
    const uint64_t size = MemorySize(static_cast<const S*>(values), folded, count);
    // 0 for a plain block that Store refuses.
    return folded || size - 3 <= kLargestLength ? static_cast<uint32_t>(size) : 0;
  }
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
    const uint32_t stored = Store(block, source, tf, count);
    if (stored != 0) {
      std::memcpy(out, block, tl);
    } else {
      std::memset(out, 0, tl);  // refused, as a block that fits would be
    }
    KvMemFree(block);
    return stored != 0 ? tl : 0;
  }

  const uint32_t n = sourceBytes < tl ? sourceBytes : tl;
  if (sourceBytes < tl) std::memset(out, 0, tl);
  if (n != 0) std::memmove(out, in, n);
  return n;
}

template uint32_t KvFoldKey<KvIString>(uint8_t*, uint32_t, const uint8_t*, uint32_t, bool);
template uint32_t KvFoldKey<KvCaseIString>(uint8_t*, uint32_t, const uint8_t*, uint32_t, bool);

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

// What a print gives that a string of code set `cs` cannot hold: no text
// rather than a cut one, after the overflow report.
void RefusePrint(KvString& out, uint8_t cs) {
  KvStringAccess::ReportOverflow();
  out = KvString(cs, KvString::GetDefaultLanguage());
}

// The most units a string of code set `cs` holds.
size_t UnitLimit(uint8_t cs) { return KvSTRING_MAX_SIZE / KvUnitWidth(cs) - 1; }

// The value under `format`, in code set `cs`, into `out`: the format's
// literal text around its first "%s", which shows the value's first
// `precision` characters padded with blanks to `width` (C's rules, without
// handing the caller's format to the C library). Into an 8-bit code set the
// format's bytes are taken as they are, as the value's are; into a 16-bit
// one they are converted from the default 8-bit code set. Printed text is
// new text: it has the default language, whatever the value's. A text
// longer than the string holds is refused whole (false).
bool FormatText(KvString& out, const char* format, const KvString& value, uint8_t cs) {
  if (format == nullptr) format = "%s";
  const char* end = format + std::strlen(format);
  const KvStringDirective d = KvFindStringDirective(format);
  const uint8_t width = KvUnitWidth(cs);
  uint32_t shown = d.start != nullptr ? value.Len() : 0;
  if (d.hasPrecision && shown > d.precision) shown = d.precision;
  const uint32_t pad = d.width > shown ? d.width - shown : 0;

  // Every byte of literal text is one unit in any code set.
  KvTextBuffer before, padding, after;
  KvAppendLiteral(before, format, d.start != nullptr ? d.start : end);
  if (d.start != nullptr) KvAppendLiteral(after, d.end, end);
  if (before.Refused() || after.Refused() ||
      before.Length() + pad + shown + after.Length() > UnitLimit(cs)) {
    RefusePrint(out, cs);
    return false;
  }
  for (uint32_t i = 0; i < pad; ++i) padding.Append(" ", 1);
  const uint8_t language = KvString::GetDefaultLanguage();
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
  add(before);
  if (!d.left) add(padding);
  result += shownText;
  if (d.left) add(padding);
  add(after);
  out = result;
  return true;
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
  // A format a string cannot hold prints no text a string could hold.
  if (used.Refused()) {
    RefusePrint(out, KvString::GetDefault8CodeSet());
    return;
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
      FormatText(out, printFormat, KvString(chars.Text()), KvString::GetDefault8CodeSet());
      return;
    }
    KvString text(chars.Text());
    text.SetCodeSetCode(KvCS_CP1252);
    const uint8_t cs = PrintCodeSet(out);
    KvString converted(cs, 0);
    converted += text;
    FormatText(out, printFormat, converted, cs);
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
    // Each piece whole, and the whole text or none of it.
    if (!FormatText(piece, printFormat, name, name.CodeSetGet())) {
      out = KvString(result.CodeSetGet(), KvString::GetDefaultLanguage());
      return;
    }
    if (result.Len() + piece.Len() > UnitLimit(result.CodeSetGet())) {
      RefusePrint(out, result.CodeSetGet());
      return;
    }
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

// PrintToString of KvString: the first value, whatever the count, in its
// code set (16-bit text in the code set PrintCodeSet chooses) and the
// default language. An empty value is printed as itself, language included.
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
    FormatText(out, format, converted, target);
  } else {
    FormatText(out, format, value, cs);
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
  FormatText(out, format, text, text.CodeSetGet());
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
