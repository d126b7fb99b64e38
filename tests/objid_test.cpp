// Facts about KvObjId, KvClassId and KvRef as values and through their
// descriptor rows: operators, validity, stored bytes in both byte orders,
// sizes, arrays, translation and text lists.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "kvtm/kvtm.h"
#include "test_util.h"

namespace {

std::string ObjIdText(const KvObjId& id) {
  return std::to_string(id.BlockGet()) + ":" + std::to_string(id.HighGet()) + "/" +
         std::to_string(id.LowGet());
}

std::string RefText(const KvRef& r) {
  return ObjIdText(r.ObjIdGet()) + " o" + std::to_string(r.OriginGet()) + " c" +
         std::to_string(r.ClassIdGet().NumberGet()) + "v" +
         std::to_string(r.ClassIdGet().VersionGet());
}

// The fields of the identity value of type `id` at p, as text: what a copy
// has to keep. The padding bytes after KvObjId's high word and KvRef's
// class id hold nothing, and a value built from its fields leaves them
// undefined.
std::string FieldsOf(char id, const uint8_t* p) {
  KvRef ref;
  KvObjId objId;
  KvClassId classId;
  if (id == KvTYPE_REF) std::memcpy(&ref, p, sizeof ref);
  if (id == KvTYPE_OBJID) std::memcpy(&objId, p, sizeof objId);
  if (id == KvTYPE_CLASSID) std::memcpy(&classId, p, sizeof classId);
  return RefText(ref) + " " + ObjIdText(objId) + " c" + std::to_string(classId.NumberGet()) +
         "v" + std::to_string(classId.VersionGet());
}

TEST(KvObjIdValue, StepsWrapAt48Bits) {
  // The reference is plain 64-bit arithmetic on the 48-bit object number.
  struct Row {
    uint32_t low;
    uint16_t high;
    char op;  // '+' ++, '-' --, '=' += n
    short n;
  };
  const Row rows[] = {
      {4294967295u, 2, '+', 0},  {5, 0, '+', 0},          {4294967295u, 65535, '+', 0},
      {0, 3, '-', 0},            {0, 0, '-', 0},          {7, 1, '-', 0},
      {0, 3, '=', -1},           {4294967295u, 2, '=', 1}, {4294967290u, 0, '=', 10},
      {5, 0, '=', -10},          {5, 1, '=', 32767},      {10, 4, '=', -32768},
      {4294967295u, 65535, '=', 1}, {9, 9, '=', 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::to_string(r.high) + "/" + std::to_string(r.low) + " " + r.op +
                 std::to_string(r.n));
    KvObjId id(7, r.low, r.high);
    int64_t delta = r.n;
    if (r.op == '+') {
      EXPECT_EQ(&++id, &id);
      delta = 1;
    } else if (r.op == '-') {
      EXPECT_EQ(&--id, &id);
      delta = -1;
    } else {
      EXPECT_EQ(&(id += r.n), &id);
    }
    const uint64_t number =
        ((static_cast<uint64_t>(r.high) << 32 | r.low) + static_cast<uint64_t>(delta)) &
        0xFFFFFFFFFFFFull;
    EXPECT_EQ(id.LowGet(), static_cast<uint32_t>(number));
    EXPECT_EQ(id.HighGet(), static_cast<uint16_t>(number >> 32));
    EXPECT_EQ(id.BlockGet(), 7u);
  }
  KvObjId highest(9, 1, 2);
  highest.SetHighestValue();
  EXPECT_EQ(ObjIdText(highest), "0:65535/4294967295");
}

TEST(IdentityValues, EqualityAndOrder) {
  struct Row {
    KvObjId a, b;
    unsigned short equal;
    long order;
  };
  const Row objIds[] = {
      {{1, 5, 1}, {2, 5, 1}, 1, 0},  // the block takes no part
      {{0, 6, 1}, {0, 5, 1}, 0, 1},
      {{0, 5, 1}, {0, 6, 1}, 0, -1},
      {{0, 0, 2}, {0, 4294967295u, 1}, 0, 1},  // high first
      {{0, 4294967295u, 1}, {0, 0, 2}, 0, -1},
  };
  for (const Row& r : objIds) {
    SCOPED_TRACE(ObjIdText(r.a) + " vs " + ObjIdText(r.b));
    EXPECT_EQ(r.a == r.b, r.equal);
    EXPECT_EQ(r.a != r.b, r.order);
  }

  struct ClassRow {
    KvClassId a, b;
    long order;
  };
  const ClassRow classIds[] = {
      {{12, 3}, {12, 3}, 0}, {{12, 4}, {12, 3}, 1}, {{12, 3}, {12, 4}, -1},
      {{13, 0}, {12, 9}, 1}, {{11, 9}, {12, 0}, -1},
  };
  for (const ClassRow& r : classIds) {
    SCOPED_TRACE(std::to_string(r.a.NumberGet()) + "v" + std::to_string(r.a.VersionGet()));
    EXPECT_EQ(r.a != r.b, r.order);
    EXPECT_EQ(r.a > r.b, r.order > 0 ? 1 : 0);
  }

  struct RefRow {
    KvRef a, b;
    unsigned short equal;
    long order;
  };
  const RefRow refs[] = {
      {{{1, 5, 0}, 2, {30, 1}}, {{9, 5, 0}, 2, {31, 0}}, 1, 0},  // neither block nor class
      {{{0, 5, 0}, 3, {0, 0}}, {{0, 5, 0}, 2, {0, 0}}, 0, 1},
      {{{0, 5, 0}, 2, {0, 0}}, {{0, 5, 0}, 3, {0, 0}}, 0, -1},
      {{{0, 5, 0}, 9, {0, 0}}, {{0, 6, 0}, 2, {0, 0}}, 0, -1},  // the object first
      {{{0, 5, 1}, 0, {0, 0}}, {{0, 6, 0}, 9, {0, 0}}, 0, 1},
  };
  for (const RefRow& r : refs) {
    SCOPED_TRACE(RefText(r.a) + " vs " + RefText(r.b));
    EXPECT_EQ(r.a == r.b, r.equal);
    EXPECT_EQ(r.a != r.b, r.order);
  }
}

TEST(KvRefValue, AssignmentsSetOnePart) {
  KvRef ref(KvObjId(4, 9, 1), 2, KvClassId(30, 7));
  ref = KvClassId(31, 8);
  EXPECT_EQ(RefText(ref), "4:1/9 o2 c31v8");
  ref = KvObjId(5, 10, 2);
  EXPECT_EQ(RefText(ref), "5:2/10 o2 c31v8");
  ref = static_cast<unsigned short>(65535);
  EXPECT_EQ(RefText(ref), "5:2/10 o65535 c31v8");
  KvRef copy;
  EXPECT_EQ(RefText(copy), "0:0/0 o0 c0v0");
  copy = ref;
  EXPECT_EQ(RefText(copy), RefText(ref));
}

TEST(KvRefValue, ValidityPredicates) {
  struct Row {
    uint32_t low;
    uint16_t high, origin, classNumber;
    unsigned short invalid, valid, invalidOrigin, validOrigin;
  };
  const Row rows[] = {
      {0, 0, 1, 5, 1, 0, 1, 0},          // no object
      {0, 0, 65535, 0, 1, 0, 1, 0},
      {1, 0, 65535, 5, 1, 0, 0, 1},      // no origin: invalid, yet a valid origin id
      {0, 1, 65535, 0, 1, 0, 0, 1},
      {1, 0, 2, 5, 0, 1, 0, 1},
      {0, 7, 65534, 1, 0, 1, 0, 1},
      {1, 0, 2, 0, 1, 0, 1, 0},          // no class
  };
  for (const Row& r : rows) {
    const KvRef ref(KvObjId(3, r.low, r.high), r.origin, KvClassId(r.classNumber, 4));
    SCOPED_TRACE(RefText(ref));
    EXPECT_EQ(ref.IsInvalid(), r.invalid);
    EXPECT_EQ(ref.IsValid(), r.valid);
    EXPECT_EQ(ref.IsInvalidOriginId(), r.invalidOrigin);
    EXPECT_EQ(ref.IsValidOriginId(), r.validOrigin);
  }
}

// Stored bytes: format 2 most significant byte first, every other stored
// format least significant first.
TEST(IdentityRows, StoredBytesInBothByteOrders) {
  const KvObjId objId(7, 5, 1);
  const KvClassId classId(12, 3);
  const KvRef ref(KvObjId(4, 9, 0), 2, KvClassId(30, 7));
  const KvRef big(KvObjId(0x01020304, 0x05060708, 0x090A), 0x0B0C, KvClassId(0x0D0E, 0x0F10));
  struct Row {
    char id;
    const void* value;
    uint8_t format;
    Bytes bytes;
    std::string loaded;
  };
  const Row rows[] = {
      {KvTYPE_OBJID, &objId, 2, {0, 0, 0, 7, 0, 0, 0, 5, 0, 1}, "7:1/5"},
      {KvTYPE_OBJID, &objId, 1, {7, 0, 0, 0, 5, 0, 0, 0, 1, 0}, "7:1/5"},
      {KvTYPE_OBJID, &objId, 0, {7, 0, 0, 0, 5, 0, 0, 0, 1, 0}, "7:1/5"},
      {KvTYPE_OBJID, &objId, 0x12, {0, 0, 0, 7, 0, 0, 0, 5, 0, 1}, "7:1/5"},
      {KvTYPE_CLASSID, &classId, 2, {0, 12, 0, 3}, "12v3"},
      {KvTYPE_CLASSID, &classId, 1, {12, 0, 3, 0}, "12v3"},
      {KvTYPE_CLASSID, &classId, 3, {12, 0, 3, 0}, "12v3"},
      // The class version is not stored: it loads as 0.
      {KvTYPE_REF, &ref, 2, {0, 0, 0, 4, 0, 0, 0, 9, 0, 0, 0, 2, 0, 30}, "4:0/9 o2 c30v0"},
      {KvTYPE_REF, &ref, 1, {4, 0, 0, 0, 9, 0, 0, 0, 0, 0, 2, 0, 30, 0}, "4:0/9 o2 c30v0"},
      {KvTYPE_REF, &big, 2,
       {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E},
       "16909060:2314/84281096 o2828 c3342v0"},
      {KvTYPE_REF, &big, 1,
       {0x04, 0x03, 0x02, 0x01, 0x08, 0x07, 0x06, 0x05, 0x0A, 0x09, 0x0C, 0x0B, 0x0E, 0x0D},
       "16909060:2314/84281096 o2828 c3342v0"},
  };
  KvTypeMgr mgr;
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(mgr.NameGet(r.id, nullptr)) + " format " + std::to_string(r.format));
    // Two values back to back: the bytes twice.
    Bytes values(2 * mgr.MemLenGet(r.id, 1));
    std::memcpy(values.data(), r.value, values.size() / 2);
    std::memcpy(values.data() + values.size() / 2, r.value, values.size() / 2);
    Bytes stored(2 * r.bytes.size() + 3, 0xA5);
    EXPECT_EQ(mgr.Store(r.id, stored.data(), values.data(), r.format, 2), 2 * r.bytes.size());
    Bytes expected = r.bytes;
    expected.insert(expected.end(), r.bytes.begin(), r.bytes.end());
    expected.insert(expected.end(), 3, 0xA5);
    EXPECT_EQ(stored, expected);

    void* loaded = mgr.Create(r.id, 2);
    EXPECT_EQ(mgr.Load(r.id, loaded, stored.data(), r.format, 2), 2 * r.bytes.size());
    for (int i = 0; i < 2; ++i) {
      const uint8_t* p = static_cast<uint8_t*>(loaded) + i * mgr.MemLenGet(r.id, 1);
      std::string text;
      if (r.id == KvTYPE_OBJID) text = ObjIdText(*reinterpret_cast<const KvObjId*>(p));
      if (r.id == KvTYPE_REF) text = RefText(*reinterpret_cast<const KvRef*>(p));
      if (r.id == KvTYPE_CLASSID) {
        const KvClassId* c = reinterpret_cast<const KvClassId*>(p);
        text = std::to_string(c->NumberGet()) + "v" + std::to_string(c->VersionGet());
      }
      EXPECT_EQ(text, r.loaded);
    }
    EXPECT_EQ(mgr.Delete(r.id, loaded, 2), nullptr);
  }
}

TEST(IdentityRows, SizesAndLengths) {
  struct Row {
    char id;
    unsigned long stored;  // one value
    unsigned short memory;
    KvNullSizeFunc nullSize;
  };
  const Row rows[] = {{KvTYPE_OBJID, 10, 12, KvObjId::NullSizeGet},
                      {KvTYPE_CLASSID, 4, 4, KvClassId::NullSizeGet},
                      {KvTYPE_REF, 14, 20, KvRef::NullSizeGet}};
  KvTypeMgr mgr;
  for (const Row& r : rows) {
    SCOPED_TRACE(mgr.NameGet(r.id, nullptr));
    for (unsigned long count : {0ul, 1ul, 3ul}) {
      for (uint8_t format : {1, 2, 8}) {
        EXPECT_EQ(mgr.DiskLenGet(r.id, nullptr, format, count, 8), count * r.stored);
        EXPECT_EQ(mgr.DiskLenGetFromMemFile(r.id, nullptr, format, count), count * r.stored);
      }
    }
    EXPECT_EQ(r.nullSize(3), 3 * r.stored);
    EXPECT_EQ(mgr.MemLenGet(r.id, 1), r.memory);
    EXPECT_EQ(mgr.IsFixed(r.id), 1);
  }
}

// Create gives zeroed values; KvObjId and KvRef arrays carry their count
// in the 4 bytes before the first value, KvClassId arrays none.
TEST(IdentityRows, CreateConstructAssignCopy) {
  KvTypeMgr mgr;
  struct Row {
    char id;
    bool counted;
  };
  const Row rows[] = {{KvTYPE_OBJID, true}, {KvTYPE_CLASSID, false}, {KvTYPE_REF, true}};
  for (const Row& r : rows) {
    SCOPED_TRACE(mgr.NameGet(r.id, nullptr));
    const size_t size = mgr.MemLenGet(r.id, 1);
    for (unsigned long count : {0ul, 1ul, 3ul}) {
      uint8_t* values = static_cast<uint8_t*>(mgr.Create(r.id, count));
      ASSERT_NE(values, nullptr);
      const size_t n = count < 2 ? 1 : count;
      EXPECT_EQ(Bytes(values, values + n * size), Bytes(n * size, 0));
      if (r.counted && count >= 2) {
        uint32_t recorded;
        std::memcpy(&recorded, values - 4, 4);
        EXPECT_EQ(recorded, count);
      }
      EXPECT_EQ(mgr.Delete(r.id, values, count), nullptr);
    }
    EXPECT_EQ(mgr.Delete(r.id, nullptr, 3), nullptr);

    // Constructor zeroes in place; Assignment and Copy take source i, or
    // with fill the first source for every target.
    Bytes target(3 * size, 0xA5);
    mgr.ConstructorPtrGet(r.id)(target.data(), 3, 0);
    EXPECT_EQ(target, Bytes(3 * size, 0));
    mgr.DestructorPtrGet(r.id)(target.data(), 3, 0);
    Bytes source(3 * size);
    const KvRef refs[3] = {{{1, 2, 3}, 4, {5, 6}}, {{7, 8, 9}, 10, {11, 12}},
                           {{13, 14, 15}, 16, {17, 18}}};
    for (int i = 0; i < 3; ++i) {
      const void* from = r.id == KvTYPE_REF ? static_cast<const void*>(&refs[i])
                         : r.id == KvTYPE_OBJID ? static_cast<const void*>(&refs[i].ObjIdGet())
                                                : static_cast<const void*>(&refs[i].ClassIdGet());
      std::memcpy(source.data() + i * size, from, size);
    }
    for (KvAssignFunc f : {mgr.AssignmentPtrGet(r.id), mgr.CopyPtrGet(r.id)}) {
      Bytes t(3 * size, 0);
      f(t.data(), source.data(), 3, 0);
      for (int i = 0; i < 3; ++i)
        EXPECT_EQ(FieldsOf(r.id, &t[i * size]), FieldsOf(r.id, &source[i * size]));
      f(t.data(), source.data() + size, 3, 1);
      for (int i = 0; i < 3; ++i)
        EXPECT_EQ(FieldsOf(r.id, &t[i * size]), FieldsOf(r.id, &source[size]));
      f(t.data(), source.data(), 0, 1);  // nothing, not even a read
    }
  }
}

TEST(IdentityRows, Translate) {
  KvTypeMgr mgr;
  const KvObjId ids[2] = {{7, 5, 1}, {8, 6, 2}};
  const Bytes lsb = {7, 0, 0, 0, 5, 0, 0, 0, 1, 0, 8, 0, 0, 0, 6, 0, 0, 0, 2, 0};
  const Bytes msb = {0, 0, 0, 7, 0, 0, 0, 5, 0, 1, 0, 0, 0, 8, 0, 0, 0, 6, 0, 2};

  // Memory to stored, in the target format's byte order.
  Bytes stored(20, 0xA5);
  EXPECT_EQ(mgr.Translate(KvTYPE_OBJID, stored.data(), 2, 20, const_cast<KvObjId*>(ids), 8, 0, 2),
            20u);
  EXPECT_EQ(stored, msb);
  // A target length bounds the values written.
  Bytes shortTarget(15, 0xA5);
  EXPECT_EQ(mgr.Translate(KvTYPE_OBJID, shortTarget.data(), 1, 15, const_cast<KvObjId*>(ids), 8,
                          0, 2),
            10u);
  Bytes expected(lsb.begin(), lsb.begin() + 10);
  expected.insert(expected.end(), 5, 0xA5);
  EXPECT_EQ(shortTarget, expected);

  // Stored to memory.
  KvObjId back[2];
  Bytes source = msb;
  EXPECT_EQ(mgr.Translate(KvTYPE_OBJID, back, 8, 0, source.data(), 2, 20, 2), 20u);
  EXPECT_EQ(ObjIdText(back[0]), "7:1/5");
  EXPECT_EQ(ObjIdText(back[1]), "8:2/6");

  // Memory to memory: operator=, count × 12 bytes.
  KvObjId copies[2];
  EXPECT_EQ(mgr.Translate(KvTYPE_OBJID, copies, 8, 0, back, 8, 0, 2), 24u);
  EXPECT_EQ(ObjIdText(copies[1]), "8:2/6");

  // Stored to stored: bytes unchanged into a zero-filled target.
  Bytes wide(24, 0xA5);
  source = lsb;
  EXPECT_EQ(mgr.Translate(KvTYPE_OBJID, wide.data(), 2, 24, source.data(), 1, 20, 2), 20u);
  expected = lsb;
  expected.insert(expected.end(), 4, 0);
  EXPECT_EQ(wide, expected);

  // KvClassId each way; stored to stored copies the bytes as they are.
  const KvClassId classIds[2] = {{12, 3}, {0x0102, 0x0304}};
  Bytes classStored(9, 0xA5);
  EXPECT_EQ(mgr.Translate(KvTYPE_CLASSID, classStored.data(), 2, 8,
                          const_cast<KvClassId*>(classIds), 8, 0, 2),
            8u);
  EXPECT_EQ(classStored, (Bytes{0, 12, 0, 3, 0x01, 0x02, 0x03, 0x04, 0xA5}));
  KvClassId classBack[2];
  EXPECT_EQ(mgr.Translate(KvTYPE_CLASSID, classBack, 8, 0, classStored.data(), 2, 8, 2), 8u);
  EXPECT_EQ(classBack[0] != classIds[0], 0);
  EXPECT_EQ(classBack[1] != classIds[1], 0);
  KvClassId classCopies[2];
  EXPECT_EQ(mgr.Translate(KvTYPE_CLASSID, classCopies, 8, 4, classBack, 8, 0, 2), 4u);
  EXPECT_EQ(classCopies[0] != classIds[0], 0);
  EXPECT_EQ(classCopies[1] != KvClassId(), 0);  // beyond the target length
  Bytes classCut(8, 0xA5);
  EXPECT_EQ(mgr.Translate(KvTYPE_CLASSID, classCut.data(), 1, 6, classStored.data(), 2, 8, 2), 6u);
  EXPECT_EQ(classCut, (Bytes{0, 12, 0, 3, 0x01, 0x02, 0xA5, 0xA5}));

  // KvRef through memory: the version is lost in the stored form.
  const KvRef ref(KvObjId(4, 9, 0), 2, KvClassId(30, 7));
  Bytes refStored(14);
  EXPECT_EQ(mgr.Translate(KvTYPE_REF, refStored.data(), 2, 0, const_cast<KvRef*>(&ref), 8, 0, 1),
            14u);
  KvRef refBack;
  EXPECT_EQ(mgr.Translate(KvTYPE_REF, &refBack, 8, 0, refStored.data(), 2, 0, 1), 14u);
  EXPECT_EQ(RefText(refBack), "4:0/9 o2 c30v0");
}

TEST(IdentityRows, AListLongerThanAStringEndsAfterAWholeValue) {
  // "(65535v65535)" and a ',' before each further one: 4680 values fit in
  // the 65532 characters of an 8-bit string, the 4681st does not.
  std::vector<KvClassId> ids(5000, KvClassId(65535, 65535));
  KvString* list = nullptr;
  {
    OverflowCounter reports;
    list = KvTypeMgr().ConvertToKvString(ids.data(), KvTYPE_CLASSID, ids.size());
  }
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(reportCount, 1);
  EXPECT_EQ(list->Len(), 4680 * 14 - 1);
  EXPECT_EQ(std::string(list->StrGet() + list->Len() - 14), ",(65535v65535)");
  delete list;
}

// Text lists: the exchange format of each value, "," between them. Read
// back, the list's last character ends each value.
TEST(IdentityRows, TextListsRoundTrip) {
  KvTypeMgr mgr;
  {
    KvClassId ids[2] = {{1, 0}, {2, 5}};
    KvString* list = mgr.ConvertToKvString(ids, KvTYPE_CLASSID, 2);
    EXPECT_STREQ(list->StrGet(), "(1v0),(2v5)");
    KvClassId* back = static_cast<KvClassId*>(mgr.ConvertFromKvString(list, KvTYPE_CLASSID, 2));
    EXPECT_EQ(back[0] != ids[0], 0);
    EXPECT_EQ(back[1] != ids[1], 0);
    EXPECT_EQ(list->Len(), 0) << list->StrGet();
    mgr.Delete(KvTYPE_CLASSID, back, 2);
    delete list;
  }
  {
    KvObjId ids[3] = {{7, 5, 1}, {0, 4294967295u, 65535}, {9, 0, 0}};
    KvString* list = mgr.ConvertToKvString(ids, KvTYPE_OBJID, 3);
    EXPECT_STREQ(list->StrGet(), "(1-5#7),(65535-4294967295#0),(0-0#9)");
    KvObjId* back = static_cast<KvObjId*>(mgr.ConvertFromKvString(list, KvTYPE_OBJID, 3));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(ObjIdText(back[i]), ObjIdText(ids[i])) << i;
    mgr.Delete(KvTYPE_OBJID, back, 3);
    delete list;
  }
  {
    // The ", " inside a reference's text is not a separator.
    KvRef refs[2] = {{{4, 9, 0}, 2, {30, 7}}, {{1, 2, 3}, 65535, {65535, 1}}};
    KvString* list = mgr.ConvertToKvString(refs, KvTYPE_REF, 2);
    EXPECT_STREQ(list->StrGet(), "(2:0-9#4, 30),(65535:3-2#1, 65535)");
    KvRef* back = static_cast<KvRef*>(mgr.ConvertFromKvString(list, KvTYPE_REF, 2));
    EXPECT_EQ(RefText(back[0]), "4:0/9 o2 c30v0");
    EXPECT_EQ(RefText(back[1]), "1:3/2 o65535 c65535v0");
    mgr.Delete(KvTYPE_REF, back, 2);
    delete list;
  }

  struct Row {
    std::string text;
    uint32_t count;
    std::string values;  // "number v version" of each
    std::string rest;
  };
  const Row rows[] = {
      {"(1v0),(2v5)", 1, "1v0 ", "(2v5)"},    // the ',' after a value goes with it
      {"(1v0);(2v5);", 2, "1v0 2v5 ", ""},    // a separator after every value
      {"(1v0),(2v5),", 2, "1v0 2v5 ", ""},
      {"(1v0)x(2v5)x", 2, "1v0 2v5 ", ""},
      {"(1v0),(2v5)", 3, "1v0 2v5 0v0 ", ""},  // values beyond the list are 0
      {"", 2, "0v0 0v0 ", ""},
      {"(1v0),(2v5)", 0, "", "(1v0),(2v5)"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.text + " count " + std::to_string(r.count));
    KvString text(r.text.c_str());
    KvClassId* back = static_cast<KvClassId*>(mgr.ConvertFromKvString(&text, KvTYPE_CLASSID, r.count));
    std::string values;
    for (uint32_t i = 0; i < r.count; ++i)
      values += std::to_string(back[i].NumberGet()) + "v" + std::to_string(back[i].VersionGet()) + " ";
    EXPECT_EQ(values, r.values);
    EXPECT_EQ(std::string(text.StrGet()), r.rest);
    mgr.Delete(KvTYPE_CLASSID, back, r.count);
  }

  // A 16-bit list reads as its 8-bit counterpart.
  const unsigned short units[] = {'(', '3', 'v', '4', ')', ',', '(', '5', 'v', '6', ')', 0};
  KvString wide(units);
  ASSERT_TRUE(KvCodeSetIsWide(wide.CodeSetGet()));
  KvClassId* back = static_cast<KvClassId*>(mgr.ConvertFromKvString(&wide, KvTYPE_CLASSID, 2));
  EXPECT_EQ(back[0] != KvClassId(3, 4), 0);
  EXPECT_EQ(back[1] != KvClassId(5, 6), 0);
  EXPECT_EQ(wide.Len(), 0);
  mgr.Delete(KvTYPE_CLASSID, back, 2);

  // No values: an empty list.
  KvString* none = mgr.ConvertToKvString(nullptr, KvTYPE_REF, 0);
  EXPECT_EQ(none->Len(), 0);
  delete none;
}

}  // namespace
