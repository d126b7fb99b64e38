// Facts about the number compare functions: order per type, formats, the
// status rule for short buffers and NaN.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "kvtm/kvtm.h"
#include "test_util.h"

namespace {

struct OrderRow {
  const char* what;
  KvTypeCmpFunc compare;
  Bytes a;  // one value in memory form
  Bytes b;
  long expected;
};

TEST(NumberCompare, OrderOfEachType) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const float nanf = std::numeric_limits<float>::quiet_NaN();
  const OrderRow rows[] = {
      {"char signed", CharCompare, {0x80}, {0x01}, -1},
      {"byte unsigned", ByteCompare, {0x80}, {0x01}, 1},
      {"char equal", CharCompare, {0x7F}, {0x7F}, 0},
      {"short", ShortCompare, MemoryOf<int16_t>({-1}), MemoryOf<int16_t>({1}), -1},
      {"word", WordCompare, MemoryOf<uint16_t>({65535}), MemoryOf<uint16_t>({1}), 1},
      {"int", IntCompare, MemoryOf<int32_t>({INT32_MIN}), MemoryOf<int32_t>({INT32_MAX}), -1},
      {"unsigned", UnsignedCompare, MemoryOf<uint32_t>({0x80000000u}), MemoryOf<uint32_t>({1}), 1},
      {"long", LongCompare, MemoryOf<int32_t>({-5}), MemoryOf<int32_t>({-5}), 0},
      {"dword", DwordCompare, MemoryOf<uint32_t>({4294967295u}), MemoryOf<uint32_t>({0}), 1},
      {"float", FloatCompare, MemoryOf<float>({-0.0f}), MemoryOf<float>({0.0f}), 0},
      {"float nan first", FloatCompare, MemoryOf<float>({nanf}), MemoryOf<float>({1.0f}), -1},
      {"float nan second", FloatCompare, MemoryOf<float>({1.0f}), MemoryOf<float>({nanf}), -1},
      {"double nan both", DoubleCompare, MemoryOf<double>({nan}), MemoryOf<double>({nan}), -1},
      {"double nan first", DoubleCompare, MemoryOf<double>({nan}), MemoryOf<double>({1.0}), -1},
      {"double nan second", DoubleCompare, MemoryOf<double>({1.0}), MemoryOf<double>({nan}), -1},
      {"double", DoubleCompare, MemoryOf<double>({2.5}), MemoryOf<double>({-1e300}), 1},
      {"double inf", DoubleCompare, MemoryOf<double>({-INFINITY}), MemoryOf<double>({-1e300}), -1},
  };
  for (const OrderRow& r : rows) {
    SCOPED_TRACE(r.what);
    Bytes a = r.a, b = r.b;
    int status = 99;
    EXPECT_EQ(r.compare(8, 0, a.data(), 0, b.data(), 0, 1, status), r.expected);
    EXPECT_EQ(status, 0);
    // Format 1 stores like memory; format 2 after converting both sides.
    EXPECT_EQ(r.compare(1, 0, a.data(), 0, b.data(), 0, 1, status), r.expected);
    const size_t w = a.size();
    Bytes sa(w), sb(w);
    if (w == 1) {
      sa = a;
      sb = b;
    } else {
      auto swap = w == 2 ? ShortStore : w == 4 ? LongStore : DoubleStore;
      swap(sa.data(), a.data(), 2, 1);
      swap(sb.data(), b.data(), 2, 1);
    }
    EXPECT_EQ(r.compare(2, 0, sa.data(), 0, sb.data(), 0, 1, status), r.expected);
  }
}

TEST(NumberCompare, MostSignificantFirstIsConverted) {
  // 0x0100 and 0x0001 in format 2: 256 > 1, although the first bytes order
  // the other way round when read in memory order.
  uint8_t a[] = {0x01, 0x00};
  uint8_t b[] = {0x00, 0x01};
  int status = 0;
  EXPECT_EQ(ShortCompare(2, 0, a, 0, b, 0, 1, status), 1);
  EXPECT_EQ(ShortCompare(1, 0, a, 0, b, 0, 1, status), -1);
  // Bytes are bytes in every format.
  EXPECT_EQ(CharCompare(2, 0, a, 0, b, 0, 1, status), 1);
}

TEST(NumberCompare, ElementWalkAndShortBuffers) {
  Bytes a = MemoryOf<int16_t>({7, 8, 1});
  Bytes b = MemoryOf<int16_t>({7, 8, 2});
  struct Row {
    const char* what;
    unsigned long length1;
    unsigned long length2;
    unsigned long count;
    long result;
    int status;
  };
  const Row rows[] = {
      {"whole arrays", 0, 0, 3, -1, 0},
      {"explicit lengths", 6, 6, 3, -1, 0},
      {"count 0 reads nothing", 0, 0, 0, 0, 0},
      {"first two elements only", 0, 0, 2, 0, 0},
      {"first buffer holds two", 4, 0, 3, 0, KvCMP_INCOMPLETE},
      {"second buffer holds two", 0, 4, 3, 0, KvCMP_INCOMPLETE},
      // A buffer ending inside an element never has that element read.
      {"half a third element", 5, 6, 3, 0, KvCMP_INCOMPLETE},
      {"half a first element", 1, 6, 3, 0, KvCMP_INCOMPLETE},
      {"longer than needed", 100, 100, 3, -1, 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    int status = 99;
    EXPECT_EQ(ShortCompare(8, r.length1, a.data(), r.length2, b.data(), 0, r.count, status), r.result);
    EXPECT_EQ(status, r.status);
  }
  // A decided element with a missing next one reports both.
  Bytes c = MemoryOf<int16_t>({1, 5, 5});
  Bytes d = MemoryOf<int16_t>({2, 5, 5});
  int status = 0;
  EXPECT_EQ(ShortCompare(8, 2, c.data(), 0, d.data(), 0, 3, status), -1);
  EXPECT_EQ(status, KvCMP_INCOMPLETE);
  // Null buffers with count 0 are never touched.
  EXPECT_EQ(DoubleCompare(8, 0, nullptr, 0, nullptr, 0, 0, status), 0);
  EXPECT_EQ(status, 0);
}

TEST(NumberCompare, LengthsAreThirtyTwoBit) {
  // A length whose low 32 bits are 4 limits the walk to two shorts even on
  // a host whose unsigned long is wider.
  Bytes a = MemoryOf<int16_t>({7, 8, 1});
  Bytes b = MemoryOf<int16_t>({7, 8, 2});
  const unsigned long length = sizeof(unsigned long) > 4 ? 0x100000004ul : 4ul;
  int status = 0;
  EXPECT_EQ(ShortCompare(8, length, a.data(), 0, b.data(), 0, 3, status), 0);
  EXPECT_EQ(status, KvCMP_INCOMPLETE);
}

TEST(NumberCompare, LongArraysDecideAtTheFirstDifference) {
  std::vector<int32_t> a(100000), b(100000);
  for (int i = 0; i < 100000; ++i) a[i] = b[i] = i * 7 - 50000;
  int status = 0;
  EXPECT_EQ(IntCompare(8, 0, a.data(), 0, b.data(), 0, 100000, status), 0);
  b[76543] += 1;
  EXPECT_EQ(IntCompare(8, 0, a.data(), 0, b.data(), 0, 100000, status), -1);
  a[1] = INT32_MAX;
  EXPECT_EQ(IntCompare(8, 0, a.data(), 0, b.data(), 0, 100000, status), 1);
  EXPECT_EQ(status, 0);
}

}  // namespace

namespace {

// Long arrays take the block scan; these pin the values it must not treat
// as their bytes: -0 equals +0, infinities equal themselves, NaN equals
// nothing, in both byte orders.
template <typename T>
void CheckLongFloatArrays(KvTypeCmpFunc compare) {
  const uint32_t n = 10000;
  std::vector<T> a(n), b(n);
  for (uint32_t i = 0; i < n; ++i) a[i] = b[i] = static_cast<T>(i) * static_cast<T>(0.5);
  a[3000] = static_cast<T>(0.0);
  b[3000] = -static_cast<T>(0.0);
  a[5000] = b[5000] = std::numeric_limits<T>::infinity();
  for (uint8_t format : {8, 1, 2}) {
    SCOPED_TRACE(format);
    std::vector<T> sa = a, sb = b;
    if (format == 2) {
      auto swap = sizeof(T) == 8 ? DoubleStore : FloatStore;
      swap(sa.data(), a.data(), 2, n);
      swap(sb.data(), b.data(), 2, n);
    }
    int status = 99;
    EXPECT_EQ(compare(format, 0, sa.data(), 0, sb.data(), 0, n, status), 0);
    EXPECT_EQ(status, 0);
    // The same NaN bytes on both sides still order -1.
    std::vector<T> na = a, nb = b;
    na[7000] = nb[7000] = std::numeric_limits<T>::quiet_NaN();
    na[8000] = static_cast<T>(1);
    nb[8000] = static_cast<T>(2);  // later, and never reached
    if (format == 2) {
      auto swap = sizeof(T) == 8 ? DoubleStore : FloatStore;
      swap(na.data(), na.data(), 2, n);
      swap(nb.data(), nb.data(), 2, n);
    }
    EXPECT_EQ(compare(format, 0, na.data(), 0, nb.data(), 0, n, status), -1);
    // A difference after the equal special values decides.
    std::vector<T> da = a, db = b;
    da[9999] = static_cast<T>(5);
    db[9999] = static_cast<T>(4);
    if (format == 2) {
      auto swap = sizeof(T) == 8 ? DoubleStore : FloatStore;
      swap(da.data(), da.data(), 2, n);
      swap(db.data(), db.data(), 2, n);
    }
    EXPECT_EQ(compare(format, 0, da.data(), 0, db.data(), 0, n, status), 1);
    // Cut short: everything present is equal, the rest is missing.
    EXPECT_EQ(compare(format, (n - 1) * sizeof(T) + 1, sa.data(), 0, sb.data(), 0, n, status), 0);
    EXPECT_EQ(status, KvCMP_INCOMPLETE);
  }
}

TEST(NumberCompare, LongFloatArraysCompareValuesNotBytes) {
  CheckLongFloatArrays<double>(DoubleCompare);
  CheckLongFloatArrays<float>(FloatCompare);
}

}  // namespace
