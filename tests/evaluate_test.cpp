// Facts about index evaluation of the number types: estimates, bounds and
// the relation word.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "kvtm/kvtm.h"
#include "test_util.h"

namespace {

TEST(NumberEvaluate, EstimatesAndBounds) {
  struct Row {
    const char* what;
    int16_t value, lo, hi;
    unsigned short relation;
    float estimate;
    bool low, high;  // which bounds are set
  };
  const Row rows[] = {
      {"less", 50, 0, 99, KvREL_LESS, 0.5f, false, true},
      {"at most", 50, 0, 99, KvREL_LESS | KvREL_EQUAL, 0.51f, false, true},
      {"greater", 50, 0, 99, KvREL_GREATER, 0.49f, true, false},
      {"at least", 50, 0, 99, KvREL_GREATER | KvREL_EQUAL, 0.5f, true, false},
      {"equal", 50, 0, 99, KvREL_EQUAL, 0.01f, true, true},
      {"not equal", 50, 0, 99, KvREL_LESS | KvREL_GREATER, 0.99f, false, false},
      {"greater, value below the range", 20, 100, 199, KvREL_GREATER, 1.0f, true, false},
      {"less, value below the range", 20, 100, 199, KvREL_LESS, 0.0f, false, true},
      {"less, value above the range", 500, 100, 199, KvREL_LESS, 1.0f, false, true},
      {"equal, value outside", 500, 100, 199, KvREL_EQUAL, 0.0f, true, true},
      {"kept bits are ignored", 50, 0, 99, KvREL_KEEP | KvREL_LESS, 0.5f, false, true},
      // A reversed range has no width to share out.
      {"reversed range", 50, 99, 0, KvREL_LESS, 0.0f, false, true},
      {"range of no width", 50, 100, 99, KvREL_GREATER | KvREL_EQUAL, 0.0f, true, false},
  };
  KvTypeMgr mgr;
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    int16_t value = r.value, lo = r.lo, hi = r.hi;
    KvIdxBounds range = {reinterpret_cast<uint8_t*>(&lo), reinterpret_cast<uint8_t*>(&hi), 2, 2};
    Bounds bounds;
    unsigned short relation = r.relation;
    EXPECT_FLOAT_EQ(mgr.EvalAndBound(KvTYPE_SHORT, &range, relation, &value, 8, 1, &bounds), r.estimate);
    EXPECT_EQ(relation, r.relation);  // number evaluators leave the word alone
    const Bytes v(reinterpret_cast<uint8_t*>(&value), reinterpret_cast<uint8_t*>(&value) + 2);
    EXPECT_EQ(Key(bounds.low, bounds.lowLength), r.low ? v : Bytes());
    EXPECT_EQ(Key(bounds.high, bounds.highLength), r.high ? v : Bytes());
  }
}

TEST(NumberEvaluate, EachTypeReadsItsOwnWidthAndSign) {
  struct Row {
    const char* what;
    char id;
    Bytes value, lo, hi;  // stored in format 2
    unsigned short relation;
    float estimate;
  };
  const Row rows[] = {
      // char is signed: -1 lies below 0..9; KvByte reads 0xFF as 255.
      {"char", KvTYPE_CHAR, {0xFF}, {0x00}, {0x09}, KvREL_LESS, 0.0f},
      {"KvByte", KvTYPE_BYTE, {0xFF}, {0x00}, {0x09}, KvREL_LESS, 1.0f},
      {"short", KvTYPE_SHORT, {0xFF, 0xFF}, {0, 0}, {0, 9}, KvREL_LESS, 0.0f},
      {"KvWord", KvTYPE_WORD, {0xFF, 0xFF}, {0, 0}, {0, 9}, KvREL_LESS, 1.0f},
      {"int", KvTYPE_INT, {0xFF, 0xFF, 0xFF, 0xFF}, {0, 0, 0, 0}, {0, 0, 0, 9}, KvREL_LESS, 0.0f},
      {"enum", KvTYPE_ENUM, {0, 0, 0, 5}, {0, 0, 0, 0}, {0, 0, 0, 9}, KvREL_LESS, 0.5f},
      {"unsigned", KvTYPE_UNSIGNED, {0xFF, 0xFF, 0xFF, 0xFF}, {0, 0, 0, 0}, {0, 0, 0, 9}, KvREL_LESS, 1.0f},
      {"long", KvTYPE_LONG, {0xFF, 0xFF, 0xFF, 0xFF}, {0, 0, 0, 0}, {0, 0, 0, 9}, KvREL_LESS, 0.0f},
      {"KvDWord", KvTYPE_DWORD, {0xFF, 0xFF, 0xFF, 0xFF}, {0, 0, 0, 0}, {0, 0, 0, 9}, KvREL_LESS, 1.0f},
      {"BlockId", KvTYPE_BLOCKID, {0, 0, 0, 5}, {0, 0, 0, 0}, {0, 0, 0, 9}, KvREL_GREATER, 0.4f},
      // float 2.5 over 0..9: less covers 2.5 of 10.
      {"float", KvTYPE_FLOAT, {0x40, 0x20, 0, 0}, {0, 0, 0, 0}, {0x41, 0x10, 0, 0}, KvREL_LESS, 0.25f},
      {"d_Interval", KvTYPE_D_INTERVAL, {0x40, 0x20, 0, 0}, {0, 0, 0, 0}, {0x41, 0x10, 0, 0}, KvREL_LESS, 0.25f},
      {"double", KvTYPE_DOUBLE, {0x40, 0x04, 0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0, 0},
       {0x40, 0x22, 0, 0, 0, 0, 0, 0}, KvREL_EQUAL, 0.1f},
      // A NaN orders below every number, as the compare functions order it.
      {"float NaN, less", KvTYPE_FLOAT, {0x7F, 0xC0, 0, 0}, {0, 0, 0, 0}, {0x41, 0x10, 0, 0}, KvREL_LESS, 0.0f},
      {"double NaN, greater", KvTYPE_DOUBLE, {0xFF, 0xF8, 0, 0, 0, 0, 0, 1}, {0, 0, 0, 0, 0, 0, 0, 0},
       {0x40, 0x22, 0, 0, 0, 0, 0, 0}, KvREL_GREATER, 1.0f},
  };
  KvTypeMgr mgr;
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    Bytes value = r.value, lo = r.lo, hi = r.hi;
    KvIdxBounds range = {lo.data(), hi.data(), static_cast<uint8_t>(lo.size()), static_cast<uint8_t>(hi.size())};
    unsigned short relation = r.relation;
    Bounds bounds;
    EXPECT_NEAR(mgr.EvalAndBound(r.id, &range, relation, value.data(), 2, 1, &bounds), r.estimate, 1e-6);
    const Bytes& set = (r.relation & KvREL_LESS) ? Key(bounds.high, bounds.highLength) : Key(bounds.low, bounds.lowLength);
    EXPECT_EQ(set, value);  // the key is the stored value, bytes unchanged
  }
}

TEST(NumberEvaluate, WithoutARangeOnlyBoundsAreSet) {
  KvTypeMgr mgr;
  int32_t values[3] = {1, 2, 3};
  unsigned short relation = KvREL_EQUAL;
  Bounds bounds;
  EXPECT_EQ(mgr.EvalAndBound(KvTYPE_INT, nullptr, relation, values, 8, 3, &bounds), 0.0f);
  // The bounds take all count elements.
  ASSERT_EQ(bounds.lowLength, 12);
  EXPECT_EQ(std::memcmp(bounds.low, values, 12), 0);
  ASSERT_EQ(bounds.highLength, 12);
  // Estimate only: no bounds record.
  int16_t lo = 0, hi = 99, v = 50;
  KvIdxBounds range = {reinterpret_cast<uint8_t*>(&lo), reinterpret_cast<uint8_t*>(&hi), 2, 2};
  relation = KvREL_LESS;
  EXPECT_FLOAT_EQ(mgr.EvalAndBound(KvTYPE_SHORT, &range, relation, &v, 8, 1, nullptr), 0.5f);
}

TEST(NumberEvaluate, ABoundAlreadySetIsKept) {
  KvTypeMgr mgr;
  int16_t first = 10, second = 20;
  Bounds bounds;
  unsigned short relation = KvREL_GREATER | KvREL_EQUAL;
  mgr.EvalAndBound(KvTYPE_SHORT, nullptr, relation, &first, 8, 1, &bounds);
  ASSERT_NE(bounds.low, nullptr);
  EXPECT_EQ(bounds.high, nullptr);
  uint8_t* low = bounds.low;
  relation = KvREL_EQUAL;
  mgr.EvalAndBound(KvTYPE_SHORT, nullptr, relation, &second, 8, 1, &bounds);
  EXPECT_EQ(bounds.low, low);
  int16_t kept;
  std::memcpy(&kept, bounds.low, 2);
  EXPECT_EQ(kept, 10);
  ASSERT_NE(bounds.high, nullptr);
  std::memcpy(&kept, bounds.high, 2);
  EXPECT_EQ(kept, 20);
}

TEST(NumberEvaluate, KeyLengthKeepsItsLowEightBits) {
  KvTypeMgr mgr;
  std::vector<int32_t> values(100, 7);  // 400 bytes
  unsigned short relation = KvREL_EQUAL;
  Bounds bounds;
  mgr.EvalAndBound(KvTYPE_INT, nullptr, relation, values.data(), 8, 100, &bounds);
  EXPECT_EQ(bounds.lowLength, 400 & 0xFF);
}

int handlerCalls = 0;
int ReturnWithoutMemory(unsigned long) {
  ++handlerCalls;
  return 0;
}

TEST(NumberEvaluate, FailedKeyAllocationLeavesTheBoundNull) {
  KvTypeMgr mgr;
  KvMemoryHandler previous = KvSetMemoryHandler(ReturnWithoutMemory);
  handlerCalls = 0;
  KvSetAllocFailure(0);
  int16_t v = 5;
  unsigned short relation = KvREL_EQUAL;
  Bounds bounds;
  mgr.EvalAndBound(KvTYPE_SHORT, nullptr, relation, &v, 8, 1, &bounds);
  KvSetAllocFailure(-1);
  KvSetMemoryHandler(previous);
  EXPECT_EQ(handlerCalls, 2);
  EXPECT_EQ(bounds.low, nullptr);
  EXPECT_EQ(bounds.lowLength, 0);
  EXPECT_EQ(bounds.high, nullptr);
}

}  // namespace
