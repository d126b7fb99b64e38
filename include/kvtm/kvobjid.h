// kvobjid.h — the identities of persistent things: an object (KvObjId), a
// class and one of its versions (KvClassId), a reference (KvRef).
#ifndef KVTM_KVOBJID_H
#define KVTM_KVOBJID_H

#include <cstdint>

#include "kvtm/export.h"
#include "kvtm/kvtypevl.h"

class KvString;
class MemFile;

// The origin of a reference that has none.
enum : uint16_t { KvREF_NO_ORIGIN = 65535 };

// Text of the three types (PrintToString, ScanFromString, the lists):
//   %B block, %L low (32 bits); %H high, %D origin, %C class number,
//   %V class version (16 bits), each as an unsigned decimal number;
//   %h? and %l? (any one character after the h or l belongs to the
//   directive) are positional: the k-th of them in the format, counted from
//   0 over both, stands for KvObjId: high, low, block; KvClassId: number,
//   version; KvRef: origin, high, low, block, class number. One without a
//   field prints 0 and reads a number that goes nowhere;
//   %% a percent sign; % before any other character that character alone;
//   a % ending the format ends it.
// Printing replaces the text of `out`; a text longer than a string holds
// leaves `out` without text and is reported as every string overflow is.
// Scanning starts every field at 0, then walks the format with a cursor in
// the text: a literal character moves the cursor one on (it is not
// compared); a directive reads the field's number there as strtoul reads
// one into an unsigned number of the field's width: blanks, a sign, the
// digits ("-1" is the field's largest value, a number beyond the field's
// range gives its largest value); no digits leave the field and the cursor
// as they are. Nothing past the text's end is read; 16-bit text is read
// through an 8-bit copy. Directives that touch ("%H%L") cannot be told
// apart when read back; the exchange formats separate them.
//
// The descriptor row functions of each class (the static members named
// after the slots of KvTypeDescriptor, kvtypes.h) handle count values of the
// class; their contracts are the slots', and besides:
//   Create        zeroed values: KvObjId and KvRef one for count 0 or 1,
//                 else a block with the 32-bit count before the values;
//                 KvClassId max(count, 1) values without a count. Null
//                 when memory runs out. Delete takes the same count.
//   Store, Load   the stored fields back to back, in the byte order of the
//                 format (format & 15 == 2: most significant byte first,
//                 else least first); they return count × the stored size.
//   Translate     memory to memory by operator=, memory to stored and back
//                 by Store and Load, stored to stored as bytes into a
//                 zero-filled target; a nonzero length bounds the values
//                 converted in the memory cases.
//   ConvertToKvString    each value in the exchange format, "," between.
//   ConvertFromKvString  count values read from the text with the exchange
//                 format: the text's last character (',' for an empty
//                 text) ends each value, and a ',' right after it is
//                 passed over too; the text is consumed.
//   Compare       format 8: objects, by operator!=; else stored elements
//                 whose identity bytes are compared as unsigned bytes from
//                 the highest address down, whatever the format's byte
//                 order (equal values compare equal in both). The common
//                 walk: at most count elements, each read only when it
//                 lies wholly within its length (0: count elements); a
//                 further element beyond a length ends the walk with
//                 KvCMP_INCOMPLETE.

// An object identifier: the block holding the object, and a 48-bit object
// number whose upper 16 bits are `high` and lower 32 bits `low`. The object
// number alone is the identity: equality and order ignore the block.
// Stored form, 10 bytes: block (4), low (4), high (2).
class KVTM_EXPORT KvObjId {
 public:
  static constexpr uint32_t kStoredSize = 10;

  KvObjId() : block_(0), low_(0), high_(0) {}
  KvObjId(uint32_t block, uint32_t low, uint16_t high)
      : block_(block), low_(low), high_(high) {}

  uint32_t BlockGet() const { return block_; }
  uint32_t LowGet() const { return low_; }
  uint16_t HighGet() const { return high_; }

  // The highest object number (high 65535, low 4294967295) in block 0.
  void SetHighestValue();
  // The object number one on or back, wrapping at 2^48; the block stays.
  KvObjId& operator++();
  KvObjId& operator--();
  // The object number plus n (signed), wrapping at 2^48; the block stays.
  KvObjId& operator+=(short n);

  // 1 when the object numbers are equal.
  unsigned short operator==(const KvObjId& other) const;
  // 0 for equal object numbers, else 1 when this one is the greater, -1
  // when it is the smaller.
  long operator!=(const KvObjId& other) const;

  // `out` becomes the text of the exchange format "(%H-%L#%B)"; returns it.
  KvString& PrintToKvString(KvString& out) const;
  // The value read from `text` with the exchange format.
  void ScanFromKvString(const KvString& text);

  // Descriptor row functions (see above).
  static void* Create(uint32_t count);
  static void* Delete(void* values, uint32_t count);
  static uint32_t Store(void* stored, void* values, uint8_t format, uint32_t count);
  static uint32_t Load(void* values, void* stored, uint8_t format, uint32_t count);
  static uint32_t NullSizeGet(uint32_t count);  // count × 10, as SizeGet
  static uint32_t SizeGet(void* values, uint8_t valueFormat, uint8_t storedFormat,
                          uint32_t count);
  static uint32_t SizeGetFromMemFile(MemFile* file, uint8_t format, uint32_t count);
  static uint32_t Translate(void* target, uint8_t targetFormat, uint32_t targetLength,
                            void* source, uint8_t sourceFormat, uint32_t sourceLength,
                            uint32_t count);
  static KvString* ConvertToKvString(void* values, uint32_t count);
  static void* ConvertFromKvString(KvString* text, uint32_t count);
  static KvString& PrintToString(KvString& out, void* values, const char* format,
                                 uint32_t count);
  static void* ScanFromString(void* values, KvString& text, const char* format, uint32_t count);
  static void Constructor(void* values, uint32_t count, uint32_t reserved);
  static void Destructor(void* values, uint32_t count, uint32_t reserved);
  static void Assignment(void* target, void* source, uint32_t count, int32_t fill);
  static void Copy(void* target, void* source, uint32_t count, int32_t fill);
  // Stored elements: the object numbers, bytes 9 down to 4; the block
  // takes no part.
  static long Compare(unsigned char format, unsigned long length1, void* values1,
                      unsigned long length2, void* values2, unsigned short op,
                      unsigned long count, int& status);
  // The first value's position high × 65535 + low (the factor is the
  // stored indexes' own) against the range keys' positions: the coverage
  // of the relation over hi - lo + 1 positions, kept within [0, 1]; no
  // range (or keys shorter than one value, or a high key below the low
  // one) counts as lo = hi = 0. The bounds copy count stored values; the
  // relation word is left as it is. Count 0 returns 0.
  static float EvalAndBound(KvIdxBounds* range, unsigned short& relation, void* value,
                            uint8_t format, uint32_t count, KvIdxBounds* bounds);

 private:
  uint32_t block_;
  uint32_t low_;
  uint16_t high_;
};
static_assert(sizeof(KvObjId) == 12, "KvObjId is block, low and high in 12 bytes");

// A class identifier: the class number and one version of the class.
// Stored form, 4 bytes: number (2), version (2).
class KVTM_EXPORT KvClassId {
 public:
  static constexpr uint32_t kStoredSize = 4;

  KvClassId() : number_(0), version_(0) {}
  KvClassId(uint16_t number, uint16_t version) : number_(number), version_(version) {}

  uint16_t NumberGet() const { return number_; }
  uint16_t VersionGet() const { return version_; }

  // 0 when number and version are equal, else 1 or -1 by the number, at
  // equal numbers by the version.
  long operator!=(const KvClassId& other) const;
  // 1 when the number is greater, or equal with a greater version.
  unsigned short operator>(const KvClassId& other) const;

  // `out` becomes the text of the exchange format "(%Cv%V)"; returns it.
  KvString& PrintToKvString(KvString& out) const;
  // The value read from `text` with the exchange format.
  void ScanFromKvString(const KvString& text);

  // Descriptor row functions (see above).
  static void* Create(uint32_t count);
  static void* Delete(void* values, uint32_t count);
  static uint32_t Store(void* stored, void* values, uint8_t format, uint32_t count);
  static uint32_t Load(void* values, void* stored, uint8_t format, uint32_t count);
  static uint32_t NullSizeGet(uint32_t count);  // count × 4, as SizeGet
  static uint32_t SizeGet(void* values, uint8_t valueFormat, uint8_t storedFormat,
                          uint32_t count);
  static uint32_t SizeGetFromMemFile(MemFile* file, uint8_t format, uint32_t count);
  static uint32_t Translate(void* target, uint8_t targetFormat, uint32_t targetLength,
                            void* source, uint8_t sourceFormat, uint32_t sourceLength,
                            uint32_t count);
  static KvString* ConvertToKvString(void* values, uint32_t count);
  static void* ConvertFromKvString(KvString* text, uint32_t count);
  static KvString& PrintToString(KvString& out, void* values, const char* format,
                                 uint32_t count);
  static void* ScanFromString(void* values, KvString& text, const char* format, uint32_t count);
  static void Constructor(void* values, uint32_t count, uint32_t reserved);
  static void Destructor(void* values, uint32_t count, uint32_t reserved);
  static void Assignment(void* target, void* source, uint32_t count, int32_t fill);
  static void Copy(void* target, void* source, uint32_t count, int32_t fill);
  // Stored elements: bytes 1, 0 (the number), then 3, 2 (the version).
  static long Compare(unsigned char format, unsigned long length1, void* values1,
                      unsigned long length2, void* values2, unsigned short op,
                      unsigned long count, int& status);
  // 1.0; no bound is set and the relation word is left as it is.
  static float EvalAndBound(KvIdxBounds* range, unsigned short& relation, void* value,
                            uint8_t format, uint32_t count, KvIdxBounds* bounds);

 private:
  uint16_t number_;
  uint16_t version_;
};
static_assert(sizeof(KvClassId) == 4, "KvClassId is number and version in 4 bytes");

// A reference: the object identifier, the origin it came from (or
// KvREF_NO_ORIGIN) and the class of the referenced object.
// Stored form, 14 bytes: block (4), low (4), high (2), origin (2), class
// number (2); the class version is not stored and loads as 0.
class KVTM_EXPORT KvRef {
 public:
  static constexpr uint32_t kStoredSize = 14;

  KvRef() : origin_(0) {}
  KvRef(const KvObjId& objId, uint16_t origin, const KvClassId& classId)
      : objId_(objId), origin_(origin), classId_(classId) {}

  const KvObjId& ObjIdGet() const { return objId_; }
  uint16_t OriginGet() const { return origin_; }
  const KvClassId& ClassIdGet() const { return classId_; }

  // Each sets one part only: the class identifier, the object identifier
  // (block included), the origin.
  KvRef& operator=(const KvClassId& classId);
  KvRef& operator=(const KvObjId& objId);
  KvRef& operator=(unsigned short origin);
  KvRef& operator=(const KvRef& other) = default;
  KvRef(const KvRef& other) = default;

  // 1 when the object numbers and the origins are equal; the class
  // identifier takes no part.
  unsigned short operator==(const KvRef& other) const;
  // The KvObjId order when it is nonzero, else 0, 1 or -1 by the origin.
  long operator!=(const KvRef& other) const;

  // 1 when the object number is 0, the class number 0 or there is no
  // origin; IsValid is its negation.
  unsigned short IsInvalid() const;
  unsigned short IsValid() const;
  // 1 when the object number is 0, or there is an origin and the class
  // number is 0; IsValidOriginId is its negation.
  unsigned short IsInvalidOriginId() const;
  unsigned short IsValidOriginId() const;

  // `out` becomes the text of the exchange format "(%D:%H-%L#%B, %C)"
  // (the class version is not part of it); returns it.
  KvString& PrintToKvString(KvString& out) const;
  // The value read from `text` with the exchange format.
  void ScanFromKvString(const KvString& text);

  // Descriptor row functions (see above).
  static void* Create(uint32_t count);
  static void* Delete(void* values, uint32_t count);
  static uint32_t Store(void* stored, void* values, uint8_t format, uint32_t count);
  static uint32_t Load(void* values, void* stored, uint8_t format, uint32_t count);
  static uint32_t NullSizeGet(uint32_t count);  // count × 14, as SizeGet
  static uint32_t SizeGet(void* values, uint8_t valueFormat, uint8_t storedFormat,
                          uint32_t count);
  static uint32_t SizeGetFromMemFile(MemFile* file, uint8_t format, uint32_t count);
  static uint32_t Translate(void* target, uint8_t targetFormat, uint32_t targetLength,
                            void* source, uint8_t sourceFormat, uint32_t sourceLength,
                            uint32_t count);
  static KvString* ConvertToKvString(void* values, uint32_t count);
  static void* ConvertFromKvString(KvString* text, uint32_t count);
  static KvString& PrintToString(KvString& out, void* values, const char* format,
                                 uint32_t count);
  static void* ScanFromString(void* values, KvString& text, const char* format, uint32_t count);
  static void Constructor(void* values, uint32_t count, uint32_t reserved);
  static void Destructor(void* values, uint32_t count, uint32_t reserved);
  static void Assignment(void* target, void* source, uint32_t count, int32_t fill);
  static void Copy(void* target, void* source, uint32_t count, int32_t fill);
  // Stored elements: origin, high and low, bytes 11 down to 4; the block
  // and the class number take no part.
  static long Compare(unsigned char format, unsigned long length1, void* values1,
                      unsigned long length2, void* values2, unsigned short op,
                      unsigned long count, int& status);
  // Keeps only the bits 0x800F of the relation word. The first value's
  // position (origin × 65535 + high) × 4294967295 + low, over 2^64 - 2^33
  // positions: less counts the positions below it, greater those above,
  // equal one; the share is kept within [0, 1]. The range is not read.
  // The bounds copy count stored values. Count 0 returns 0.
  static float EvalAndBound(KvIdxBounds* range, unsigned short& relation, void* value,
                            uint8_t format, uint32_t count, KvIdxBounds* bounds);

 private:
  KvObjId objId_;
  uint16_t origin_;
  KvClassId classId_;
};
static_assert(sizeof(KvRef) == 20, "KvRef is object id, origin and class id in 20 bytes");

#endif  // KVTM_KVOBJID_H
