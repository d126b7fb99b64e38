// The rows of KvInt64, bool, KvObjId, KvClassId, KvRef and KvBlob side by
// side: stored bytes in both byte orders, sizes, arrays, the four cases of
// Translate, the compare functions over cut buffers and the evaluators.
// Operands that a compare or a load must not read past lie in vectors of
// exactly their size, so that the address sanitizer sees such a read.
#include <algorithm>
#include <random>

#include <gtest/gtest.h>

#include "kvtable.h"
#include "test_util.h"

namespace {

constexpr char kIds[] = {KvTYPE_INT64, KvTYPE_BOOL, KvTYPE_OBJID, KvTYPE_CLASSID, KvTYPE_REF, KvTYPE_BLOB};

// Three values of each row, in memory.
struct Samples {
  KvInt64 int64s[3] = {Of(0x0123456789ABCDEF), Of(INT64_MIN), Of(-2)};
  uint8_t bools[3] = {1, 0, 0xFF};
  KvObjId objIds[3] = {{0x01020304, 0x05060708, 0x090A}, {7, 5, 1}, {9, 0, 0}};
  KvClassId classIds[3] = {{0x0D0E, 0x0F10}, {12, 3}, {65535, 1}};
  KvRef refs[3] = {{objIds[0], 0x0B0C, classIds[0]}, {objIds[1], 2, classIds[1]}, {objIds[2], 65535, classIds[2]}};
  KvBlob blobs[3] = {KvBlob("abc", 3L), KvBlob("z", 1L), KvBlob()};
  uint8_t* At(char id) {
    void* const all[] = {int64s, bools, objIds, classIds, refs, blobs};
    return static_cast<uint8_t*>(all[std::find(kIds, kIds + 6, id) - kIds]);
  }
};

// The stored form of n values.
Bytes StoredOf(char id, void* values, uint32_t n, uint8_t format = 2) {
  Bytes out(KvTypeMgr().DiskLenGet(id, values, format, n, 8));
  out.resize(KvTypeMgr().Store(id, out.data(), values, format, n));
  return out;
}

// Format 2 puts the most significant byte first, every other format the
// least; flags above the low four bits change nothing. Loaded, the values
// store as they were, and the value after them, beyond the count, is not
// touched.
TEST(ScalarRows, StoredBytesInBothByteOrders) {
  const struct { char id; uint32_t count, nullSize; Bytes lsb, msb; } rows[] = {  // nullSize: of 3 values
      // The low word, then the high word.
      {KvTYPE_INT64, 2, 24, {0xEF, 0xCD, 0xAB, 0x89, 0x67, 0x45, 0x23, 0x01, 0, 0, 0, 0, 0, 0, 0, 0x80},
       {0x89, 0xAB, 0xCD, 0xEF, 0x01, 0x23, 0x45, 0x67, 0, 0, 0, 0, 0x80, 0, 0, 0}},
      {KvTYPE_BOOL, 3, 3, {1, 0, 0xFF}, {1, 0, 0xFF}},
      // Block, low, high; number, version; the object, origin and class
      // number (the class version is not stored).
      {KvTYPE_OBJID, 1, 30, {4, 3, 2, 1, 8, 7, 6, 5, 0x0A, 9}, {1, 2, 3, 4, 5, 6, 7, 8, 9, 0x0A}},
      {KvTYPE_CLASSID, 2, 12, {0x0E, 0x0D, 0x10, 0x0F, 12, 0, 3, 0}, {0x0D, 0x0E, 0x0F, 0x10, 0, 12, 0, 3}},
      {KvTYPE_REF, 1, 42, {4, 3, 2, 1, 8, 7, 6, 5, 0x0A, 9, 0x0C, 0x0B, 0x0E, 0x0D}, {1, 2, 3, 4, 5, 6, 7, 8, 9, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E}},
      // A 32-bit total of the bytes that follow, then each length and its bytes.
      {KvTYPE_BLOB, 2, 4, {12, 0, 0, 0, 3, 0, 0, 0, 'a', 'b', 'c', 1, 0, 0, 0, 'z'}, {0, 0, 0, 12, 0, 0, 0, 3, 'a', 'b', 'c', 0, 0, 0, 1, 'z'}},
      {KvTYPE_INT64, 0, 24, {}, {}}, {KvTYPE_BLOB, 0, 4, {0, 0, 0, 0}, {0, 0, 0, 0}}};  // no values: nothing, but a blob block's total
  KvTypeMgr mgr;
  Samples s;
  for (const auto& r : rows) {
    EXPECT_EQ(kvStandardTable[KvTypeIndex(r.id)]->NullSizeGet(3), r.nullSize);
    for (uint8_t format : {0, 1, 2, 3, 0x12}) {
      SCOPED_TRACE(testing::Message() << mgr.NameGet(r.id, nullptr) << ", format " << int{format});
      Bytes expected = (format & 15) == 2 ? r.msb : r.lsb, stored(expected.size() + 4, 0xA5);
      const uint32_t size = static_cast<uint32_t>(expected.size());
      EXPECT_EQ(mgr.Store(r.id, stored.data(), s.At(r.id), format, r.count), size);
      EXPECT_EQ(mgr.DiskLenGet(r.id, s.At(r.id), format, r.count, 8), size);
      EXPECT_EQ(mgr.DiskLenGet(r.id, stored.data(), format, r.count, format), size);
      MemFile file(stored.data(), size);
      EXPECT_EQ(mgr.DiskLenGetFromMemFile(r.id, &file, format, r.count), size);
      uint8_t* loaded = static_cast<uint8_t*>(mgr.Create(r.id, r.count + 1));
      uint8_t* after = loaded + r.count * mgr.MemLenGet(r.id, 1);
      mgr.AssignmentPtrGet(r.id)(after, s.At(r.id), 1, 0);
      EXPECT_EQ(mgr.Load(r.id, loaded, expected.data(), format, r.count), size);
      EXPECT_EQ(StoredOf(r.id, loaded, r.count, format), expected);
      EXPECT_EQ(r.id == KvTYPE_REF ? reinterpret_cast<KvRef*>(loaded)->ClassIdGet().VersionGet() : 0, 0);  // not stored: 0
      EXPECT_EQ(StoredOf(r.id, after, 1), StoredOf(r.id, s.At(r.id), 1));
      mgr.Delete(r.id, loaded, r.count + 1);
      expected.resize(size + 4, 0xA5);
      EXPECT_EQ(stored, expected);
    }
  }
}

// Create gives zeroed values, an array of two or more with its count in
// the 4 bytes before the first value (KvClassId arrays carry none); the
// constructor zeroes raw memory; assignment and copy take source i, or
// with fill the first source for every target, blobs as deep copies.
TEST(ScalarRows, ArraysConstructionAndAssignment) {
  KvTypeMgr mgr;
  Samples s;
  for (char id : kIds) {
    SCOPED_TRACE(mgr.NameGet(id, nullptr));
    const size_t size = mgr.MemLenGet(id, 1);
    for (uint32_t count : {0u, 1u, 3u}) {
      uint8_t* values = static_cast<uint8_t*>(mgr.Create(id, count));
      const uint32_t n = count < 2 ? 1 : count, counted = count >= 2 && id != KvTYPE_CLASSID ? count : 0;
      EXPECT_EQ(StoredOf(id, values, n), StoredOf(id, Bytes(n * size, 0).data(), n));
      EXPECT_EQ((counted != 0 ? *reinterpret_cast<uint32_t*>(values - 4) : 0) + reinterpret_cast<uintptr_t>(values) % alignof(KvBlob) * (id == KvTYPE_BLOB), counted);
      EXPECT_EQ(mgr.Delete(id, values, count), nullptr);
    }
    EXPECT_EQ(mgr.Delete(id, nullptr, 3), nullptr);
    std::vector<uint8_t> room(3 * size, 0xA5);
    uint8_t* const t = room.data();
    mgr.ConstructorPtrGet(id)(t, 2, 0);
    EXPECT_EQ(Bytes(t, t + 2 * size + 1), [&] { Bytes e(2 * size, 0); e.push_back(0xA5); return e; }());
    mgr.DestructorPtrGet(id)(t, 2, 0);
    for (int k = 0; k < 4; ++k) {  // assignment into constructed values, then copy into raw memory; each without and with fill
      if (k < 2) mgr.ConstructorPtrGet(id)(t, 3, 0);
      uint8_t* source = s.At(id) + (k & 1) * size;
      (k < 2 ? mgr.AssignmentPtrGet(id) : mgr.CopyPtrGet(id))(t, source, 3, k & 1);
      for (int i = 0; i < 3; ++i) EXPECT_EQ(StoredOf(id, t + i * size, 1), StoredOf(id, source + (k & 1 ? 0 : i * size), 1)) << k;
      mgr.DestructorPtrGet(id)(t, 3, 0);
    }
  }
}

// Memory to stored, stored to memory, memory to memory, stored to stored.
// A nonzero length bounds what is converted: whole values of the fixed
// rows, the bytes of a blob block (a blob that does not fit loads empty);
// a value not converted stays 0.
TEST(ScalarRows, TranslateFourCases) {
  KvTypeMgr mgr;
  Samples s;
  for (char id : kIds) {
    SCOPED_TRACE(mgr.NameGet(id, nullptr));
    const uint32_t memory = mgr.MemLenGet(id, 1);
    uint8_t* values = s.At(id);
    const Bytes stored = StoredOf(id, values, 2);
    const uint32_t size = static_cast<uint32_t>(stored.size()), cut = id == KvTYPE_BLOB ? size - 1 : size / 2;
    // Into a stored form: from memory, whole and within a target length
    // one byte short; from a stored form, the bytes as they are, into a
    // zero-filled longer target or cut by a shorter one.
    const struct { uint8_t from; uint32_t length, written; uint8_t rest; } stores[] = {
        {8, 0, size, 0xA5}, {8, size - 1, cut, 0xA5}, {2, size + 4, size, 0}, {2, size - 1, size - 1, 0xA5}};
    for (const auto& t : stores) {
      Bytes target(size + 4, 0xA5), expected(stored.begin(), stored.begin() + t.written);
      EXPECT_EQ(mgr.Translate(id, target.data(), t.from == 8 ? 2 : 1, t.length, t.from == 8 ? values : const_cast<uint8_t*>(stored.data()), t.from,
                              t.from == 8 ? 0 : size, 2), t.written);
      expected.resize(size + 4, t.rest);
      EXPECT_EQ(target, expected) << t.length;
    }
    // Into memory: from a stored form, whole and one byte short; from
    // memory, as many as both lengths hold. A value not converted stays 0.
    const struct { uint8_t from; uint32_t targetLength, sourceLength, result; bool both; } loads[] = {
        {2, 0, size, size, true}, {2, 0, size - 1, cut, false}, {8, 0, 0, 2 * memory, true}, {8, memory, 0, memory, false}, {8, 0, memory, memory, false}};
    for (const auto& t : loads) {
      uint8_t* out = static_cast<uint8_t*>(mgr.Create(id, 2));
      Bytes given(stored.begin(), stored.begin() + t.sourceLength);
      EXPECT_EQ(mgr.Translate(id, out, 8, t.targetLength, t.from == 8 ? values : given.data(),
                              t.from, t.sourceLength, 2), t.result);
      EXPECT_EQ(StoredOf(id, out, 1), StoredOf(id, values, 1));
      EXPECT_EQ(t.both ? StoredOf(id, out + memory, 1) : Bytes(out + memory, out + 2 * memory), t.both ? StoredOf(id, values + memory, 1) : Bytes(memory, 0));
      mgr.Delete(id, out, 2);
    }
  }
}

// Stored KvInt64 values, or their memory form (format 8).
Bytes I64(std::initializer_list<int64_t> values, uint8_t format = 1) {
  std::vector<KvInt64> v;
  for (int64_t x : values) v.push_back(Of(x));
  return format == 8 ? Bytes(reinterpret_cast<uint8_t*>(v.data()), reinterpret_cast<uint8_t*>(v.data() + v.size())) : StoredOf(KvTYPE_INT64, v.data(), v.size(), format);
}

// Stored identifiers order by their bytes read as one number from the
// highest address down, whatever the byte order, as the indexes of existing
// databases hold them: the result is the difference of the deciding bytes.
// Every fixed-size row walks alike: an element is compared only when it
// lies wholly within both lengths (0: count elements); when a length ends
// before count elements, the walk stops with KvCMP_INCOMPLETE, also after
// an element that decided. An identifier is read from its last byte on, so
// a cut one could decide nothing; they used to read count elements
// whatever the lengths. Bool takes every non-zero byte for true.
TEST(ScalarCompare, StoredIdentifiersAndCutBuffers) {
  const Bytes o751 = {7, 0, 0, 0, 5, 0, 0, 0, 1, 0}, o951 = {9, 0, 0, 0, 5, 0, 0, 0, 1, 0}, o731 = {7, 0, 0, 0, 3, 0, 0, 0, 1, 0};
  const Bytes o790 = {7, 0, 0, 0, 9, 0, 0, 0, 0, 0}, low1 = {0, 0, 0, 0, 1, 0, 0, 0, 0, 0}, low256 = {0, 0, 0, 0, 0, 1, 0, 0, 0, 0};
  const Bytes low1Msb = {0, 0, 0, 0, 0, 0, 0, 1, 0, 0}, low256Msb = {0, 0, 0, 0, 0, 0, 1, 0, 0, 0};
  const Bytes ref = {4, 0, 0, 0, 9, 0, 0, 0, 0, 0, 2, 0, 30, 0}, refBlockClass = {8, 0, 0, 0, 9, 0, 0, 0, 0, 0, 2, 0, 31, 0};
  const Bytes refOrigin3 = {4, 0, 0, 0, 9, 0, 0, 0, 0, 0, 3, 0, 30, 0}, refHigh1 = {4, 0, 0, 0, 9, 0, 0, 0, 1, 0, 2, 0, 30, 0};
  const Bytes objs = MemoryOf<KvObjId>({{7, 5, 1}, {7, 5, 1}});  // in memory the classes' sizes measure the lengths
  const int kOpen = KvCMP_INCOMPLETE;
  const struct { char id; uint8_t format; Bytes a, b; uint32_t length1, length2, count; long result; int status; } rows[] = {
      {KvTYPE_OBJID, 1, o751, o951, 0, 0, 1, 0, 0}, {KvTYPE_OBJID, 2, o751, o951, 0, 0, 1, 0, 0},  // the block takes no part
      {KvTYPE_OBJID, 1, o751, o731, 0, 0, 1, 2, 0}, {KvTYPE_OBJID, 1, o790, o751, 0, 0, 1, -1, 0},  // high before low
      {KvTYPE_OBJID, 1, low1, low256, 0, 0, 1, -1, 0}, {KvTYPE_OBJID, 2, low1Msb, low256Msb, 0, 0, 1, 1, 0},
      {KvTYPE_OBJID, 1, o751 + o731, o751 + o751, 0, 0, 2, -2, 0}, {KvTYPE_CLASSID, 1, {12, 0, 9, 0}, {13, 0, 3, 0}, 0, 0, 1, -1, 0},
      {KvTYPE_CLASSID, 1, {12, 0, 9, 0}, {12, 0, 3, 0}, 0, 0, 1, 6, 0}, {KvTYPE_CLASSID, 2, {0, 1, 0, 0}, {255, 0, 0, 0}, 0, 0, 1, 1, 0},
      {KvTYPE_CLASSID, 2, {0, 1, 0, 0, 0, 5, 0, 7}, {0, 1, 0, 0, 0, 5, 0, 9}, 0, 0, 2, -2, 0},
      {KvTYPE_REF, 1, ref, refBlockClass, 0, 0, 1, 0, 0}, {KvTYPE_REF, 1, refOrigin3, ref, 0, 0, 1, 1, 0},  // neither block nor class
      {KvTYPE_REF, 1, ref, refHigh1, 0, 0, 1, -1, 0}, {KvTYPE_REF, 2, refOrigin3, refHigh1, 0, 0, 1, 1, 0},  // origin before high
      {KvTYPE_REF, 1, ref + ref, ref + refOrigin3, 0, 0, 2, -1, 0},
      {KvTYPE_OBJID, 1, o751, o731, 5, 0, 1, 0, kOpen}, {KvTYPE_OBJID, 2, o751, o731, 0, 9, 1, 0, kOpen},
      {KvTYPE_OBJID, 1, o751 + o731, o751, 0, 10, 2, 0, kOpen}, {KvTYPE_CLASSID, 1, {12, 0, 9, 0}, {13, 0, 3, 0}, 3, 0, 1, 0, kOpen},
      {KvTYPE_OBJID, 1, o751 + o731 + Bytes{1, 2}, o731 + o751 + o751, 22, 0, 3, 2, 0},
      {KvTYPE_REF, 1, ref, ref + ref, 13, 0, 1, 0, kOpen}, {KvTYPE_OBJID, 8, objs, objs, sizeof(KvObjId), 2 * sizeof(KvObjId), 2, 0, kOpen},
      {KvTYPE_INT64, 1, I64({5, 6, 7}), I64({5, 6, 8}), 0, 0, 3, -1, 0},
      {KvTYPE_INT64, 2, I64({5, 6, 7}, 2), I64({5, 6, 8}, 2), 16, 0, 3, 0, kOpen}, {KvTYPE_INT64, 1, I64({5, 6, 7}), I64({5, 6, 8}), 0, 23, 3, 0, kOpen},
      {KvTYPE_INT64, 1, I64({5, 9, 7}), I64({5, 6, 8}), 16, 0, 3, 1, kOpen}, {KvTYPE_INT64, 1, I64({5, 9}), I64({5, 6}), 16, 16, 2, 1, 0},
      {KvTYPE_INT64, 1, I64({4}), I64({5}), 7, 0, 1, 0, kOpen}, {KvTYPE_INT64, 1, I64({4}), I64({5}), 0, 0, 0, 0, 0},
      {KvTYPE_BOOL, 2, {1, 1, 1}, {1, 1, 0}, 2, 0, 3, 0, kOpen}, {KvTYPE_BOOL, 1, {1, 0}, {1, 1, 1}, 2, 0, 3, -1, kOpen},
      {KvTYPE_BOOL, 8, {1, 0}, {1, 1}, 2, 2, 2, -1, 0}, {KvTYPE_BOOL, 8, {0xFF}, {1}, 0, 0, 1, 0, 0}, {KvTYPE_BOOL, 2, {0x80}, {0}, 0, 0, 1, 1, 0}};
  for (const auto& r : rows)
    for (uint32_t whole : {0u, 1u}) {
      Bytes a(r.a.begin(), r.a.begin() + (r.length1 ? r.length1 : r.a.size())), b(r.b.begin(), r.b.begin() + (r.length2 ? r.length2 : r.b.size()));
      const uint32_t length1 = r.length1 ? r.length1 : whole * a.size(), length2 = r.length2 ? r.length2 : whole * b.size();
      int status = -5;
      EXPECT_EQ(KvTypeMgr().Cmp(r.id, length1, a.data(), length2, b.data(), KvCMP_EXACT, r.count, r.format, status), r.result)
          << int{r.id} << ": lengths " << length1 << ", " << length2 << ", result " << r.result;
      EXPECT_EQ(status, r.status) << int{r.id} << ": lengths " << length1 << ", " << length2 << ", result " << r.result;
    }
  // KvInt64 orders as its values in every format.
  std::mt19937_64 random(5);
  for (int i = 0; i < 20000; ++i) {
    const int64_t x = static_cast<int64_t>(random()) >> (random() % 64);
    const int64_t y = (random() & 1) != 0 ? x : static_cast<int64_t>(random()) >> (random() % 64);
    for (uint8_t format : {1, 2, 3, 8})
      ASSERT_EQ(KvTypeMgr().Cmp(KvTYPE_INT64, I64({x}, format).data(), I64({y}, format).data(), 0, 1, format), x < y ? -1 : x > y)
          << x << " : " << y << " in format " << int{format};
  }
}

Bytes Obj(uint32_t low, uint16_t high, uint8_t format = 1) { KvObjId id(3, low, high); return StoredOf(KvTYPE_OBJID, &id, 1, format); }
Bytes Ref(uint32_t low, uint16_t high, uint16_t origin, uint8_t format = 1) {
  KvRef ref(KvObjId(77, low, high), origin, KvClassId(5, 6));
  return StoredOf(KvTYPE_REF, &ref, 1, format);
}

// Estimates, the relation word afterwards, and bounds: equal sets both,
// less only the high one, greater only the low one, each the count values
// as given; KvClassId and KvBlob set none. Without a whole range a KvInt64
// estimates 0 and a KvObjId measures against [0, 0]; KvRef reads no range.
// Count 0 reads no value.
TEST(ScalarEvaluate, EstimatesAndBounds) {
  constexpr double kRefs = 18446744065119617024.0;  // 2^64 - 2^33 positions
  const unsigned short kLess = KvREL_LESS, kEq = KvREL_EQUAL, kGt = KvREL_GREATER, kNe = kLess | kGt, kAll = kNe | kEq;
  const struct { char id; Bytes value, lo, hi; unsigned short relation; uint8_t format; double estimate; unsigned short after; } rows[] = {
      {KvTYPE_INT64, I64({50}), I64({0}), I64({99}), kLess, 1, 0.5, kLess}, {KvTYPE_INT64, I64({50}), I64({0}), I64({99}), kEq, 1, 0.01, kEq},
      {KvTYPE_INT64, I64({50}, 2), I64({0}, 2), I64({99}, 2), kNe, 2, 0.99, kNe},
      // The high word counts, signed; positions round near 2^63, but a
      // share stays within 1; a high key below the low one, a key shorter
      // than a value, or none, measure nothing.
      {KvTYPE_INT64, I64({1LL << 32}, 2), I64({0}, 2), I64({(1LL << 33) - 1}, 2), kLess, 2, 0.5, kLess},
      {KvTYPE_INT64, I64({-(1LL << 32)}), I64({-(1LL << 33)}), I64({-1}), kGt, 1, 0.5, kGt},
      {KvTYPE_INT64, I64({INT64_MAX}), I64({INT64_MIN}), I64({INT64_MAX}), kAll, 1, 1.0, kAll}, {KvTYPE_INT64, I64({5}), {}, {}, kEq, 1, 0.0, kEq},
      {KvTYPE_INT64, I64({5}), I64({10}), I64({0}), kLess, 1, 0.0, kLess}, {KvTYPE_INT64, I64({5, 6}), Bytes(4, 0), I64({100}), kEq, 1, 0.0, kEq},
      // Relation bits outside the three stay; the high word counts 65535
      // low words.
      {KvTYPE_OBJID, Obj(50, 0), Obj(0, 0), Obj(99, 0), kLess | 0x30, 1, 0.5, kLess | 0x30},
      {KvTYPE_OBJID, Obj(50, 0, 2), Obj(0, 0, 2), Obj(99, 0, 2), kGt, 2, 0.49, kGt}, {KvTYPE_OBJID, Obj(20, 0), Obj(100, 0), Obj(199, 0), kGt, 1, 1.0, kGt},
      {KvTYPE_OBJID, Obj(0, 1), Obj(0, 0), Obj(0, 2), kLess, 1, 65535.0 / 131071.0, kLess}, {KvTYPE_OBJID, Obj(50, 0), {}, {}, kLess, 1, 1.0, kLess},
      {KvTYPE_OBJID, Obj(50, 0), {}, {}, kGt, 1, 0.0, kGt}, {KvTYPE_OBJID, Obj(0, 0), {}, {}, kEq, 1, 1.0, kEq},
      {KvTYPE_OBJID, Obj(50, 0), Obj(70000, 0), Obj(0, 1), kLess, 1, 1.0, kLess}, {KvTYPE_OBJID, Obj(50, 0), Bytes(9, 0), Obj(99, 0), kLess, 1, 1.0, kLess},
      // Bits outside 0x800F go.
      {KvTYPE_REF, Ref(0, 0, 0), {}, {}, kLess | 0x8130, 1, 0.0, kLess | 0x8000}, {KvTYPE_REF, Ref(0, 0, 0), {0}, {0}, kGt, 1, (kRefs - 1) / kRefs, kGt},
      {KvTYPE_REF, Ref(0, 0, 0), {}, {}, kEq, 1, 1 / kRefs, kEq}, {KvTYPE_REF, Ref(0, 0, 1, 2), {}, {}, kLess, 2, 281470681677825.0 / kRefs, kLess},
      {KvTYPE_REF, Ref(1, 1, 0), {}, {}, kLess, 1, 4294967296.0 / kRefs, kLess}, {KvTYPE_REF, Ref(4294967295u, 65535, 65535), {}, {}, kAll, 1, 1.0, kAll},
      {KvTYPE_REF, Ref(4294967295u, 65535, 65535), {}, {}, kGt, 1, (kRefs - 4294967295.0 * 4294901761.0 - 1) / kRefs, kGt},
      // Two values cannot be placed in a range: half of it.
      {KvTYPE_BOOL, {1, 0, 1}, {0}, {1}, kEq | KvREL_KEEP, 1, 0.5, kEq | KvREL_KEEP}, {KvTYPE_BOOL, {1, 0, 1}, {0}, {}, kGt, 1, 0.0, kGt},
      {KvTYPE_BOOL, {1, 0, 1}, {}, {}, kNe, 1, 0.0, kNe}, {KvTYPE_CLASSID, {12, 0, 3, 0}, {0, 0, 0, 0}, {1, 0, 0, 0}, 0x8136, 1, 1.0, 0x8136},
      {KvTYPE_BLOB, {4, 0, 0, 0, 0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, KvREL_KEEP | kLess, 1, 1.0, KvREL_KEEP | kLess}};
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::Message() << "type " << int{r.id} << ", relation " << r.relation << ", estimate " << r.estimate);
    Bytes value = r.value, lo = r.lo, hi = r.hi;
    KvIdxBounds range{lo.empty() ? nullptr : lo.data(), hi.empty() ? nullptr : hi.data(), static_cast<uint8_t>(lo.size()), static_cast<uint8_t>(hi.size())};
    KvIdxBounds* given = lo.empty() && hi.empty() ? nullptr : &range;
    const uint32_t bounded = r.id != KvTYPE_CLASSID && r.id != KvTYPE_BLOB, size = r.id == KvTYPE_INT64 ? 8 : r.id == KvTYPE_OBJID ? 10 : r.id == KvTYPE_REF ? 14 : 1;
    unsigned short relation = r.relation;
    Bounds bounds;
    EXPECT_FLOAT_EQ(KvTypeMgr().EvalAndBound(r.id, given, relation, value.data(), r.format, r.value.size() / size, &bounds), r.estimate);
    EXPECT_EQ(relation, r.after);
    EXPECT_EQ(std::make_pair(bounds.Low(), bounds.High()),
              std::make_pair(bounded && (r.relation & kLess) == 0 ? r.value : Bytes(), bounded && (r.relation & kGt) == 0 ? r.value : Bytes()));
    EXPECT_EQ(KvTypeMgr().EvalAndBound(r.id, given, relation, nullptr, r.format, 0, nullptr),
              !bounded ? 1.0f : r.id == KvTYPE_BOOL && !lo.empty() && !hi.empty() ? 0.5f : 0.0f);
  }
}

}  // namespace
