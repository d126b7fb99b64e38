// kvtypes.cpp — the descriptor table: the rows of every type, and the
// family functions of the primitive number types.
#include "kvtm/kvtypes.h"

#include <cstring>
#include <new>

#include "kvevaluate.h"
#include "kvplatform/kvbase.h"
#include "kvplatform/kvmemfile.h"
#include "kvtable.h"
#include "kvtm/kvstring.h"
#include "kvtm/kvtypcmp.h"

// ---- Primitive families: one set of functions per memory width ----

namespace {

// Allocates count × width bytes with operator new; null when the product
// does not fit in 32 bits or the allocation fails.
void* AllocateNumbers(uint32_t count, uint32_t width, bool zero) {
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

// ---- Memory lengths of value classes built in later stages ----
//
// Each row's memory length is the size of its class on this host; these
// stand in for classes that are not part of the library yet and carry the
// same fields.
struct TextAndAttributes {  // KvIString, KvCaseIString
  char* text;
  uint8_t attributes;
};

}  // namespace

// ---- The rows ----

namespace {

// A primitive number row. The text slots stay empty until the number text
// forms exist.
constexpr KvTypeDescriptor NumberRow(const char* name, uint16_t width, KvCreateFunc create,
                                     KvStoreFunc store, KvLoadFunc load,
                                     KvNullSizeFunc nullSize, KvSizeFunc size,
                                     KvSizeFromMemFileFunc fileSize, KvTypeCmpFunc compare,
                                     KvEvalFunc eval, KvConstructFunc construct,
                                     KvAssignFunc assign, KvTranslateFunc translate,
                                     const char* format) {
  return KvTypeDescriptor{name,      create,  DeleteNumbers, store,    load,
                          nullSize,  size,    fileSize,      compare,  eval,
                          nullptr,   nullptr, construct,     DestructNumbers,
                          assign,    assign,  translate,     format,   nullptr,
                          nullptr,   width,   1};
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

KvTypeDescriptor charRow = NumberRow(
    "char", 1, Create1, CharStore, CharStore, CharNullSizeGet, CharSizeGet, FileSize1,
    CharCompare, KvEvalNumber<int8_t>, ConstructNumbers<1>, AssignNumbers<1>, TranslateChar,
    "%c");
KvTypeDescriptor shortRow = NumberRow(
    "short", 2, Create2, ShortStore, ShortStore, ShortNullSizeGet, ShortSizeGet, FileSize2,
    ShortCompare, KvEvalNumber<int16_t>, ConstructNumbers<2>, AssignNumbers<2>,
    TranslateShort, "%hd");
KvTypeDescriptor longRow = NumberRow(
    "long", 4, Create4, LongStore, LongStore, LongNullSizeGet, LongSizeGet, FileSizeLong,
    LongCompare, KvEvalNumber<int32_t>, ConstructNumbers<4>, AssignNumbers<4>, TranslateLong,
    "%ld");
KvTypeDescriptor doubleRow = NumberRow(
    "double", 8, Create8, DoubleStore, DoubleStore, DoubleNullSizeGet, DoubleSizeGet,
    FileSizeDouble, DoubleCompare, KvEvalNumber<double>, ConstructNumbers<8>,
    AssignNumbers<8>, TranslateDouble, "%lf");
KvTypeDescriptor floatRow = NumberRow(
    "float", 4, Create4, FloatStore, FloatStore, FloatNullSizeGet, FloatSizeGet,
    FileSizeFloat, FloatCompare, KvEvalNumber<float>, ConstructNumbers<4>, AssignNumbers<4>,
    TranslateFloat, "%f");
KvTypeDescriptor wordRow = NumberRow(
    "KvWord", 2, Create2, ShortStore, ShortStore, ShortNullSizeGet, ShortSizeGet, FileSize2,
    WordCompare, KvEvalNumber<uint16_t>, ConstructNumbers<2>, AssignNumbers<2>,
    TranslateShort, "%hu");
KvTypeDescriptor dwordRow = NumberRow(
    "KvDWord", 4, Create4, LongStore, LongStore, LongNullSizeGet, LongSizeGet, FileSizeLong,
    DwordCompare, KvEvalNumber<uint32_t>, ConstructNumbers<4>, AssignNumbers<4>,
    TranslateLong, "%lu");
KvTypeDescriptor intRow = NumberRow(
    "int", 4, Create4, IntStore, IntLoad, IntNullSizeGet, IntSizeGet, FileSizeInt, IntCompare,
    KvEvalNumber<int32_t>, ConstructNumbers<4>, AssignNumbers<4>, TranslateInt, "%d");
KvTypeDescriptor unsignedRow = NumberRow(
    "unsigned", 4, Create4, UnsignedStore, UnsignedLoad, IntNullSizeGet, IntSizeGet,
    FileSizeInt, UnsignedCompare, KvEvalNumber<uint32_t>, ConstructNumbers<4>,
    AssignNumbers<4>, TranslateUnsigned, "%u");
KvTypeDescriptor enumRow = NumberRow(
    "enum", 4, Create4, IntStore, IntLoad, IntNullSizeGet, IntSizeGet, FileSizeInt, IntCompare,
    KvEvalNumber<int32_t>, ConstructNumbers<4>, AssignNumbers<4>, TranslateInt, "%d");
KvTypeDescriptor byteRow = NumberRow(
    "KvByte", 1, Create1, CharStore, CharStore, CharNullSizeGet, CharSizeGet, FileSize1,
    ByteCompare, KvEvalNumber<uint8_t>, ConstructNumbers<1>, AssignNumbers<1>, TranslateChar,
    "%c");
KvTypeDescriptor blockIdRow = NumberRow(
    "BlockId", 4, Create4, LongStore, LongStore, LongNullSizeGet, LongSizeGet, FileSizeLong,
    DwordCompare, KvEvalNumber<uint32_t>, ConstructNumbers<4>, AssignNumbers<4>,
    TranslateLong, "#%lu");

KvTypeDescriptor stringRow = EmptyRow("KvString", sizeof(KvString), 0, "%s");
KvTypeDescriptor legacyStringRow = EmptyRow("KvString", sizeof(KvString), 0, "%s");
KvTypeDescriptor dateRow = EmptyRow("KvDate", 4, 1, "%a %e.%b %Y");
KvTypeDescriptor timeRow = EmptyRow("KvTime", 3, 1, "%I:%M:%S %p");
KvTypeDescriptor objIdRow = EmptyRow("KvObjId", 12, 1, "(%H-%L#%B)");
KvTypeDescriptor classIdRow = EmptyRow("KvClassId", 4, 1, "(%Cv%V)");
KvTypeDescriptor refRow = EmptyRow("KvRef", 20, 1, "(%D:%H-%L#%B, %C)");
KvTypeDescriptor blobRow = EmptyRow("KvBlob", sizeof(void*), 0, "[BLOB,len=%L]");
KvTypeDescriptor dateTimeRow = EmptyRow("KvDateTime", 8, 1, "%a %e.%b %Y %I:%M:%S %p");
KvTypeDescriptor iStringRow = EmptyRow("KvIString", sizeof(TextAndAttributes), 0, "%s");
KvTypeDescriptor caseIStringRow = EmptyRow("KvCaseIString", sizeof(TextAndAttributes), 0, "%s");
KvTypeDescriptor dDateRow = EmptyRow("d_Date", 4, 1, "%a %b %e");
KvTypeDescriptor dTimeRow = EmptyRow("d_Time", 6, 1, "%I:%M:%S %p");
KvTypeDescriptor dTimestampRow = EmptyRow("d_Timestamp", 10, 1, "%a %b %e %I:%M:%S %p");
KvTypeDescriptor int64Row = EmptyRow("KvInt64", 8, 1, "%S");
KvTypeDescriptor boolRow = EmptyRow("bool", 1, 1, "noop");

// The interval borrows the float family for its sizes, comparison,
// evaluation and translation; its own functions come with the date types.
KvTypeDescriptor IntervalRow() {
  KvTypeDescriptor row =
      EmptyRow("d_Interval", 4, 1, "%e days, %I hours, %M minutes, %S seconds");
  row.NullSizeGet = FloatNullSizeGet;
  row.SizeGet = FloatSizeGet;
  row.SizeGetFromMemFile = FileSizeFloat;
  row.Compare = FloatCompare;
  row.EvalAndBound = KvEvalNumber<float>;
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
