// Facts about the compare functions and evaluators of KvObjId, KvClassId
// and KvRef: stored bytes ordered from the highest identity byte down in
// either byte order, memory forms by the classes' operators, estimates and
// bounds.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "kvtm/kvtm.h"
#include "test_util.h"

namespace {

// The sign of a result.
int Sign(long r) { return r < 0 ? -1 : r > 0 ? 1 : 0; }

// Exactly the bytes given, on the heap, so that a read past them is caught
// by the address sanitizer.
std::unique_ptr<uint8_t[]> Exact(const Bytes& bytes) {
  std::unique_ptr<uint8_t[]> p(new uint8_t[bytes.size() + (bytes.empty() ? 1 : 0)]);
  if (!bytes.empty()) std::memcpy(p.get(), bytes.data(), bytes.size());
  return p;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

TEST(IdentityCompare, StoredElements) {
  // KvObjId: block (4), low (4), high (2), least significant byte first
  // unless said otherwise.
  const Bytes obj_7_5_1 = {7, 0, 0, 0, 5, 0, 0, 0, 1, 0};
  const Bytes obj_9_5_1 = {9, 0, 0, 0, 5, 0, 0, 0, 1, 0};
  const Bytes obj_7_3_1 = {7, 0, 0, 0, 3, 0, 0, 0, 1, 0};
  const Bytes obj_7_9_0 = {7, 0, 0, 0, 9, 0, 0, 0, 0, 0};
  const Bytes objLow1 = {0, 0, 0, 0, 1, 0, 0, 0, 0, 0};
  const Bytes objLow256 = {0, 0, 0, 0, 0, 1, 0, 0, 0, 0};
  const Bytes objLow1Msb = {0, 0, 0, 0, 0, 0, 0, 1, 0, 0};
  const Bytes objLow256Msb = {0, 0, 0, 0, 0, 0, 1, 0, 0, 0};
  // KvRef: block, low, high, origin, class number.
  const Bytes ref = {4, 0, 0, 0, 9, 0, 0, 0, 0, 0, 2, 0, 30, 0};
  const Bytes refOtherBlockClass = {8, 0, 0, 0, 9, 0, 0, 0, 0, 0, 2, 0, 31, 0};
  const Bytes refOrigin3 = {4, 0, 0, 0, 9, 0, 0, 0, 0, 0, 3, 0, 30, 0};
  const Bytes refHigh1 = {4, 0, 0, 0, 9, 0, 0, 0, 1, 0, 2, 0, 30, 0};
  struct Row {
    std::string what;
    KvTypeCmpFunc compare;
    uint8_t format;
    Bytes a, b;
    unsigned long count;
    long result;  // exact: the difference of the deciding bytes
  };
  const Row rows[] = {
      {"objid equal", KvObjId::Compare, 1, obj_7_5_1, obj_7_5_1, 1, 0},
      {"objid block only", KvObjId::Compare, 1, obj_7_5_1, obj_9_5_1, 1, 0},
      {"objid block only, format 2", KvObjId::Compare, 2, obj_7_5_1, obj_9_5_1, 1, 0},
      {"objid low", KvObjId::Compare, 1, obj_7_5_1, obj_7_3_1, 1, 2},
      {"objid high before low", KvObjId::Compare, 1, obj_7_9_0, obj_7_5_1, 1, -1},
      {"objid 1 < 256", KvObjId::Compare, 1, objLow1, objLow256, 1, -1},
      // The bytes are read from the highest address down in every format:
      // in the most-significant-first form 1 and 256 order the other way.
      {"objid 1, 256 msb", KvObjId::Compare, 2, objLow1Msb, objLow256Msb, 1, 1},
      {"objid second element", KvObjId::Compare, 1, Concat({obj_7_5_1, obj_7_3_1}),
       Concat({obj_9_5_1, obj_7_5_1}), 2, -2},
      {"objid count 1 of 2", KvObjId::Compare, 1, Concat({obj_7_5_1, obj_7_3_1}),
       Concat({obj_9_5_1, obj_7_5_1}), 1, 0},
      {"classid equal", KvClassId::Compare, 1, {12, 0, 3, 0}, {12, 0, 3, 0}, 1, 0},
      {"classid number first", KvClassId::Compare, 1, {12, 0, 9, 0}, {13, 0, 3, 0}, 1, -1},
      {"classid version", KvClassId::Compare, 1, {12, 0, 9, 0}, {12, 0, 3, 0}, 1, 6},
      {"classid high byte of number", KvClassId::Compare, 1, {0, 1, 0, 0}, {255, 0, 0, 0}, 1, 1},
      {"classid msb", KvClassId::Compare, 2, {0, 1, 0, 0}, {255, 0, 0, 0}, 1, 1},
      {"classid second element", KvClassId::Compare, 2, {0, 1, 0, 0, 0, 5, 0, 7},
       {0, 1, 0, 0, 0, 5, 0, 9}, 2, -2},
      {"ref equal", KvRef::Compare, 1, ref, ref, 1, 0},
      {"ref block and class only", KvRef::Compare, 1, ref, refOtherBlockClass, 1, 0},
      {"ref origin", KvRef::Compare, 1, refOrigin3, ref, 1, 1},
      {"ref high", KvRef::Compare, 1, ref, refHigh1, 1, -1},
      {"ref origin before high", KvRef::Compare, 2, refOrigin3, refHigh1, 1, 1},
      {"ref second element", KvRef::Compare, 1, Concat({ref, ref}), Concat({ref, refOrigin3}), 2,
       -1},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    // Exactly count elements each, so that no read past them goes unseen.
    const size_t stored = r.compare == KvObjId::Compare ? 10 : r.compare == KvRef::Compare ? 14 : 4;
    const Bytes a(r.a.begin(), r.a.begin() + r.count * stored);
    const Bytes b(r.b.begin(), r.b.begin() + r.count * stored);
    auto pa = Exact(a);
    auto pb = Exact(b);
    int status = -7;
    EXPECT_EQ(r.compare(r.format, 0, pa.get(), 0, pb.get(), 0, r.count, status), r.result);
    EXPECT_EQ(status, 0);
    status = -7;
    EXPECT_EQ(r.compare(r.format, a.size(), pa.get(), b.size(), pb.get(), KvCMP_EXACT, r.count,
                        status),
              r.result);
    EXPECT_EQ(status, 0);
  }

  // Lengths bound the walk: an element is read only when it lies wholly
  // within its buffer (its most significant byte is its last), and where
  // the bytes given end before a difference the result is open.
  struct Cut {
    std::string what;
    KvTypeCmpFunc compare;
    uint8_t format;
    Bytes a, b;
    unsigned long count;
    long result;
    int status;
  };
  const Cut cuts[] = {
      {"objid of 5 bytes", KvObjId::Compare, 1, Bytes(obj_7_5_1.begin(), obj_7_5_1.begin() + 5),
       obj_7_3_1, 1, 0, KvCMP_INCOMPLETE},
      {"objid, operand 2 one byte short", KvObjId::Compare, 2, obj_7_5_1,
       Bytes(obj_7_3_1.begin(), obj_7_3_1.begin() + 9), 1, 0, KvCMP_INCOMPLETE},
      {"classid of 3 bytes", KvClassId::Compare, 1, {12, 0, 9}, {13, 0, 3, 0}, 1, 0,
       KvCMP_INCOMPLETE},
      {"ref of 13 bytes", KvRef::Compare, 1, Bytes(ref.begin(), ref.end() - 1), refOrigin3, 1, 0,
       KvCMP_INCOMPLETE},
      {"objid: the second element missing", KvObjId::Compare, 1, Concat({obj_7_5_1, obj_7_3_1}),
       obj_7_5_1, 2, 0, KvCMP_INCOMPLETE},
      {"objid: decided before the cut element", KvObjId::Compare, 1,
       Concat({obj_7_5_1, obj_7_3_1, {1, 2}}), Concat({obj_7_3_1, obj_7_5_1, obj_7_5_1}), 3, 2,
       0},
  };
  for (const Cut& r : cuts) {
    SCOPED_TRACE(r.what);
    auto pa = Exact(r.a);
    auto pb = Exact(r.b);
    int status = -7;
    EXPECT_EQ(r.compare(r.format, r.a.size(), pa.get(), r.b.size(), pb.get(), 0, r.count, status),
              r.result);
    EXPECT_EQ(status, r.status);
  }
  // In memory form the objects' own sizes bound the walk.
  const KvObjId objs[2] = {KvObjId(7, 5, 1), KvObjId(7, 5, 1)};
  int status = -7;
  EXPECT_EQ(KvObjId::Compare(8, sizeof(KvObjId), const_cast<KvObjId*>(objs), 2 * sizeof(KvObjId),
                             const_cast<KvObjId*>(objs), 0, 2, status),
            0);
  EXPECT_EQ(status, KvCMP_INCOMPLETE);

  // Count 0 reads nothing.
  status = -7;
  EXPECT_EQ(KvRef::Compare(1, 0, nullptr, 0, nullptr, 0, 0, status), 0);
  EXPECT_EQ(status, 0);

  // The rows carry the functions.
  KvTypeMgr mgr;
  EXPECT_EQ(mgr.CmpFuncPtrGet(KvTYPE_OBJID), KvObjId::Compare);
  EXPECT_EQ(mgr.CmpFuncPtrGet(KvTYPE_CLASSID), KvClassId::Compare);
  EXPECT_EQ(mgr.CmpFuncPtrGet(KvTYPE_REF), KvRef::Compare);
  Bytes x = obj_7_5_1, y = obj_9_5_1;
  EXPECT_EQ(mgr.Cmp(KvTYPE_OBJID, x.data(), y.data(), 0, 1, 1), 0);
}

// Memory forms (format 8) order by the classes' operators, element by
// element with the classes' own sizes.
TEST(IdentityCompare, MemoryForms) {
  struct Row {
    std::string what;
    std::vector<KvRef> a, b;
    long objIds, refs;
    long classIds;
  };
  const KvRef r1(KvObjId(1, 5, 0), 2, KvClassId(30, 1));
  const KvRef r1Block(KvObjId(9, 5, 0), 2, KvClassId(31, 0));
  const KvRef r1Origin(KvObjId(1, 5, 0), 3, KvClassId(30, 1));
  const KvRef r2(KvObjId(1, 6, 0), 0, KvClassId(29, 9));
  const KvRef rHigh(KvObjId(1, 0, 1), 0, KvClassId(30, 0));
  const Row rows[] = {
      {"equal", {r1, r1, r1}, {r1, r1, r1}, 0, 0, 0},
      {"block and class", {r1}, {r1Block}, 0, 0, -1},
      {"origin", {r1, r1}, {r1, r1Origin}, 0, -1, 0},
      {"third element", {r1, r1, r2}, {r1, r1, r1}, 1, 1, -1},
      {"high first", {rHigh}, {r2}, 1, 1, 1},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    const unsigned long n = r.a.size();
    std::vector<KvObjId> objA, objB;
    std::vector<KvClassId> classA, classB;
    for (size_t i = 0; i < n; ++i) {
      objA.push_back(r.a[i].ObjIdGet());
      objB.push_back(r.b[i].ObjIdGet());
      classA.push_back(r.a[i].ClassIdGet());
      classB.push_back(r.b[i].ClassIdGet());
    }
    std::vector<KvRef> refA = r.a, refB = r.b;
    int status = -7;
    EXPECT_EQ(Sign(KvObjId::Compare(8, 0, objA.data(), 0, objB.data(), 0, n, status)), r.objIds);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(Sign(KvRef::Compare(8, 0, refA.data(), 0, refB.data(), 0, n, status)), r.refs);
    EXPECT_EQ(Sign(KvClassId::Compare(8, 0, classA.data(), 0, classB.data(), 0, n, status)),
              r.classIds);
  }
}

Bytes ObjIdStored(uint32_t block, uint32_t low, uint16_t high, uint8_t format) {
  KvObjId id(block, low, high);
  Bytes out(10);
  KvObjId::Store(out.data(), &id, format, 1);
  return out;
}

TEST(IdentityEvaluate, ObjIdEstimatesAndBounds) {
  struct Row {
    std::string what;
    Bytes value;
    Bytes low, high;  // the range; empty for none
    unsigned short relation;
    uint8_t format;
    double estimate;
  };
  const Bytes lo = ObjIdStored(0, 0, 0, 1);
  const Bytes hi99 = ObjIdStored(0, 99, 0, 1);
  const Row rows[] = {
      {"less", ObjIdStored(3, 50, 0, 1), lo, hi99, KvREL_LESS, 1, 0.5},
      {"less or equal", ObjIdStored(3, 50, 0, 1), lo, hi99, KvREL_LESS | KvREL_EQUAL, 1, 0.51},
      {"equal", ObjIdStored(3, 50, 0, 1), lo, hi99, KvREL_EQUAL, 1, 0.01},
      {"greater", ObjIdStored(3, 50, 0, 1), lo, hi99, KvREL_GREATER, 1, 0.49},
      {"not equal", ObjIdStored(3, 50, 0, 1), lo, hi99, KvREL_LESS | KvREL_GREATER, 1, 0.99},
      {"below the range, greater", ObjIdStored(0, 20, 0, 1), ObjIdStored(0, 100, 0, 1),
       ObjIdStored(0, 199, 0, 1), KvREL_GREATER, 1, 1.0},
      {"format 2", ObjIdStored(3, 50, 0, 2), ObjIdStored(0, 0, 0, 2), ObjIdStored(0, 99, 0, 2),
       KvREL_LESS, 2, 0.5},
      // The high word counts 65535 low words.
      {"high word", ObjIdStored(0, 0, 1, 1), lo, ObjIdStored(0, 0, 2, 1), KvREL_LESS, 1,
       65535.0 / 131071.0},
      // No range: lo = hi = 0.
      {"no range, less", ObjIdStored(0, 50, 0, 1), {}, {}, KvREL_LESS, 1, 1.0},
      {"no range, greater", ObjIdStored(0, 50, 0, 1), {}, {}, KvREL_GREATER, 1, 0.0},
      {"no range, equal 0", ObjIdStored(0, 0, 0, 1), {}, {}, KvREL_EQUAL, 1, 1.0},
      // A high key below the low one, or a key shorter than a value, is
      // no range.
      {"high key below low key", ObjIdStored(0, 50, 0, 1), ObjIdStored(0, 70000, 0, 1),
       ObjIdStored(0, 0, 1, 1), KvREL_LESS, 1, 1.0},
      {"short keys", ObjIdStored(0, 50, 0, 1), Bytes(lo.begin(), lo.begin() + 9),
       Bytes(hi99.begin(), hi99.begin() + 9), KvREL_LESS, 1, 1.0},
      {"all relations", ObjIdStored(0, 50, 0, 1), lo, hi99, 0x0007, 1, 1.0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    Bytes low = r.low, high = r.high;
    KvIdxBounds range{low.empty() ? nullptr : low.data(), high.empty() ? nullptr : high.data(),
                      static_cast<uint8_t>(low.size()), static_cast<uint8_t>(high.size())};
    Bytes value = r.value;
    unsigned short relation = r.relation | 0x0030;
    Bounds bounds;
    const float estimate = KvTypeMgr().EvalAndBound(KvTYPE_OBJID, r.low.empty() ? nullptr : &range,
                                                    relation, value.data(), r.format, 1,
                                                    &bounds);
    EXPECT_FLOAT_EQ(estimate, static_cast<float>(r.estimate));
    EXPECT_GE(estimate, 0.0f);
    EXPECT_LE(estimate, 1.0f);
    EXPECT_EQ(relation, r.relation | 0x0030);  // not reduced
    EXPECT_EQ(bounds.Low(), (r.relation & KvREL_LESS) ? Bytes() : r.value);
    EXPECT_EQ(bounds.High(), (r.relation & KvREL_GREATER) ? Bytes() : r.value);
  }

  // count values go into the bounds; count 0 reads no value.
  Bytes two = Concat({ObjIdStored(1, 2, 3, 1), ObjIdStored(4, 5, 6, 1)});
  unsigned short relation = KvREL_EQUAL;
  Bounds bounds;
  KvObjId::EvalAndBound(nullptr, relation, two.data(), 1, 2, &bounds);
  EXPECT_EQ(bounds.Low(), two);
  EXPECT_EQ(bounds.High(), two);
  EXPECT_EQ(KvObjId::EvalAndBound(nullptr, relation, nullptr, 1, 0, nullptr), 0.0f);
}

TEST(IdentityEvaluate, RefAndClassId) {
  constexpr double kPositions = 18446744065119617024.0;  // 2^64 - 2^33
  auto refStored = [](uint32_t low, uint16_t high, uint16_t origin, uint8_t format) {
    KvRef ref(KvObjId(77, low, high), origin, KvClassId(5, 6));
    Bytes out(14);
    KvRef::Store(out.data(), &ref, format, 1);
    return out;
  };
  struct Row {
    std::string what;
    Bytes value;
    unsigned short relation;
    uint8_t format;
    double estimate;
  };
  const Row rows[] = {
      {"zero, less", refStored(0, 0, 0, 1), KvREL_LESS, 1, 0.0},
      {"zero, greater", refStored(0, 0, 0, 1), KvREL_GREATER, 1, (kPositions - 1) / kPositions},
      {"zero, equal", refStored(0, 0, 0, 1), KvREL_EQUAL, 1, 1 / kPositions},
      {"origin 1, less", refStored(0, 0, 1, 1), KvREL_LESS, 1, 281470681677825.0 / kPositions},
      {"origin 1, less, format 2", refStored(0, 0, 1, 2), KvREL_LESS, 2,
       281470681677825.0 / kPositions},
      {"high 1 low 1, less", refStored(1, 1, 0, 1), KvREL_LESS, 1, 4294967296.0 / kPositions},
      {"largest, less", refStored(4294967295u, 65535, 65535, 1), KvREL_LESS, 1,
       4294967295.0 * 4294901761.0 / kPositions},
      {"largest, greater", refStored(4294967295u, 65535, 65535, 1), KvREL_GREATER, 1,
       (kPositions - 4294967295.0 * 4294901761.0 - 1) / kPositions},
      {"all relations", refStored(4294967295u, 65535, 65535, 1), 0x0007, 1, 1.0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    Bytes value = r.value;
    // Bits outside 0x800F go; the range is not read.
    unsigned short relation = r.relation | 0x8000 | 0x0130;
    Bytes junk(3, 0xFF);
    KvIdxBounds range{junk.data(), junk.data(), 3, 3};
    Bounds bounds;
    const float estimate =
        KvTypeMgr().EvalAndBound(KvTYPE_REF, &range, relation, value.data(), r.format, 1,
                                 &bounds);
    EXPECT_FLOAT_EQ(estimate, static_cast<float>(r.estimate));
    EXPECT_GE(estimate, 0.0f);
    EXPECT_LE(estimate, 1.0f);
    EXPECT_EQ(relation, r.relation | 0x8000);
    EXPECT_EQ(bounds.Low(), (r.relation & KvREL_LESS) ? Bytes() : r.value);
    EXPECT_EQ(bounds.High(), (r.relation & KvREL_GREATER) ? Bytes() : r.value);
  }

  // count values of 14 bytes go into the bounds; count 0 reads no value.
  Bytes two = Concat({refStored(1, 2, 3, 2), refStored(4, 5, 6, 2)});
  unsigned short relation = KvREL_EQUAL;
  Bounds bounds;
  KvRef::EvalAndBound(nullptr, relation, two.data(), 2, 2, &bounds);
  EXPECT_EQ(bounds.Low(), two);
  EXPECT_EQ(bounds.High(), two);
  EXPECT_EQ(KvRef::EvalAndBound(nullptr, relation, nullptr, 2, 0, nullptr), 0.0f);

  // KvClassId: 1.0, no bound, the relation word as it was.
  for (unsigned short rel : {0x0001, 0x0002, 0x0004, 0x8136}) {
    Bytes value = {12, 0, 3, 0};
    unsigned short relation2 = rel;
    Bounds classBounds;
    EXPECT_EQ(KvTypeMgr().EvalAndBound(KvTYPE_CLASSID, nullptr, relation2, value.data(), 1, 1,
                                       &classBounds),
              1.0f);
    EXPECT_EQ(relation2, rel);
    EXPECT_EQ(classBounds.low, nullptr);
    EXPECT_EQ(classBounds.high, nullptr);
  }
}

}  // namespace
