// kvrows.h — what the descriptor rows of the type families share
// (internal): allocation of class values and counted arrays, text lists,
// the text a scan reads, and the translation of a number width.
#ifndef KVTM_SRC_KVROWS_H
#define KVTM_SRC_KVROWS_H

#include <cstdint>
#include <cstring>
#include <new>

#include "kvformat.h"
#include "kvplatform/kvbase.h"
#include "kvstring_access.h"
#include "kvtm/kvstring.h"
#include "kvtm/kvtypemgr.h"
#include "kvtm/kvtypes.h"

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

inline uint16_t UnitAt(const char* units, size_t i, uint8_t width) {
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

// Values of a number width (the bool row is one byte of them): zeroed when
// constructed, assigned by their bytes; the first value read as M.
template <uint32_t W>
void ConstructNumbers(void* values, uint32_t count, uint32_t) {
  std::memset(values, 0, static_cast<size_t>(count) * W);
}

inline void DestructNumbers(void*, uint32_t, uint32_t) {}

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

template <typename M>
M ValueAt(const void* values, uint32_t i) {
  M v;
  std::memcpy(&v, static_cast<const char*>(values) + sizeof(M) * size_t{i}, sizeof(M));
  return v;
}

inline uint32_t FileSize1(MemFile*, uint8_t, uint32_t count) { return count; }

// Whether 8-bit text reads as plain decimal (options bit 0), and a list
// item of a 32-bit family as operator long reads it.
inline bool PlainDecimal() { return (___KvTypeMgrOptions() & 1) != 0; }
inline int32_t ReadLongItem(const char* p) { return KvTextToLong(p, PlainDecimal()); }

// The text a scan reads: 8-bit text itself, 16-bit text through an 8-bit
// copy kept in `narrow`.
inline const char* ScannedText(KvString& text, KvString& narrow, size_t* length) {
  *length = text.Len();
  if (!KvCodeSetIsWide(text.CodeSetGet())) return text.StrGet();
  narrow = text;
  narrow.SetCodeSet(KvString::GetDefault8CodeSet());
  // The copy's own length: nothing may be read past its text.
  *length = narrow.Len();
  return narrow.StrGet();
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

// The stored size of floats, in a memory file or not.
inline uint32_t FileSizeFloat(MemFile*, uint8_t format, uint32_t count) {
  return FloatSizeGet(nullptr, 8, format & 15, count);
}

#endif  // KVTM_SRC_KVROWS_H
