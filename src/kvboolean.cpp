// kvboolean.cpp — the one-byte truth value and its descriptor row.
#include "kvtm/kvboolean.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>
#include "kvplatform/kvbase.h"
#include "kvplatform/kvmemfile.h"
#include "kvrows.h"
#include "kvtable.h"
#include "kvtm/kvtypcmp.h"
#include "kvtm/kvtypevl.h"

KvBoolean::KvBoolean(long v) : value_(v != 0 ? 1 : 0) {}

KvBoolean& KvBoolean::operator=(long v) {
  value_ = v != 0 ? 1 : 0;
  return *this;
}

unsigned short KvBoolean::operator==(long v) const { return IsTrue() == (v != 0); }

unsigned short KvBoolean::operator==(const KvBoolean& other) const {
  return IsTrue() == other.IsTrue();
}

// A long lies below a true value only when it is not positive: that is the
// order queries were written against, so it stays, although == takes every
// non-zero v as true.
unsigned short KvBoolean::operator>(long v) const { return IsTrue() && v <= 0; }

// Another KvBoolean is taken by its truth, not its byte: a loaded byte of
// 0xFF is as true as 1, so that == and > never both hold and the order is
// the same from either side.
unsigned short KvBoolean::operator>(const KvBoolean& other) const {
  return IsTrue() && !other.IsTrue();
}

unsigned short KvBoolean::operator<(long v) const { return !(*this > v) && !(*this == v); }

unsigned short KvBoolean::operator<(const KvBoolean& other) const {
  return !(*this > other) && !(*this == other);
}

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

constexpr KvTypeDescriptor BoolRow() {
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
  row.Translate = TranslateNumbers<1, CharStore, CharStore>;
  row.PrintToString = PrintBool;
  row.ScanFromString = ScanBool;
  return row;
}

}  // namespace

constinit KvTypeDescriptor kvBoolRow = BoolRow();
