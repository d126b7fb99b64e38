// Facts about the number compare functions: order per type, formats, the
// status rule for short buffers and NaN; every row's order is total.
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
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
      {"float nan second", FloatCompare, MemoryOf<float>({1.0f}), MemoryOf<float>({nanf}), 1},
      {"float nan below -inf", FloatCompare, MemoryOf<float>({nanf}), MemoryOf<float>({-INFINITY}), -1},
      {"double nan both", DoubleCompare, MemoryOf<double>({nan}), MemoryOf<double>({nan}), 0},
      {"double nans of other signs", DoubleCompare, MemoryOf<double>({nan}), MemoryOf<double>({-nan}), 0},
      {"double nan first", DoubleCompare, MemoryOf<double>({nan}), MemoryOf<double>({1.0}), -1},
      {"double nan second", DoubleCompare, MemoryOf<double>({1.0}), MemoryOf<double>({nan}), 1},
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
// as their bytes: -0 equals +0, infinities equal themselves, a NaN equals
// every NaN, in both byte orders.
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
    // NaNs of other signs are equal; the pair after them decides.
    std::vector<T> na = a, nb = b;
    na[7000] = std::numeric_limits<T>::quiet_NaN();
    nb[7000] = -std::numeric_limits<T>::quiet_NaN();
    na[8000] = static_cast<T>(1);
    nb[8000] = static_cast<T>(2);
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

namespace {

template <typename T>
std::vector<const void*> AddressesOf(const std::vector<T>& values) {
  std::vector<const void*> out;
  for (const T& v : values) out.push_back(&v);
  return out;
}

// A B-tree whose comparator is not a total order loses keys. So every
// compare slot of both tables must be reflexive, antisymmetric and
// transitive over the edge values of its type, in memory form and in both
// stored byte orders, under the exact operator (no wildcards).
TEST(TotalOrder, EveryRowOfBothTables) {
  const double inf = INFINITY, nan = std::numeric_limits<double>::quiet_NaN();
  const std::vector<double> doubles = {nan, -nan, std::bit_cast<double>(0x7FF0000000000001ull),
      std::bit_cast<double>(0xFFF800000000BEEFull), -inf, -DBL_MAX, -1.0, -DBL_TRUE_MIN, -0.0,
      0.0, DBL_TRUE_MIN, DBL_MIN, 1.0, DBL_MAX, inf};
  const float inff = INFINITY, nanf = std::numeric_limits<float>::quiet_NaN();
  const std::vector<float> floats = {nanf, -nanf, std::bit_cast<float>(0x7F800001u),
      std::bit_cast<float>(0xFFC0BEEFu), -inff, -FLT_MAX, -1.0f, -FLT_TRUE_MIN, -0.0f, 0.0f,
      FLT_TRUE_MIN, FLT_MIN, 1.0f, FLT_MAX, inff};
  // Bit patterns that are the edges of both the signed and the unsigned types.
  const std::vector<uint8_t> bytes = {0, 1, 0x7F, 0x80, 0x81, 0xFF};
  const std::vector<uint16_t> shorts = {0, 1, 0x0100, 0x7FFF, 0x8000, 0x8001, 0xFFFF};
  const std::vector<uint32_t> longs = {0, 1, 0x100, 0x10000, 0x7FFFFFFF, 0x80000000, 0x80000001,
                                       0xFFFFFFFF};
  // Windows-1252: 201 É, 223 ß, 233 é, 156 œ, 140 Œ, 244 ô.
  const std::string longText(300, 'x');
  const std::vector<const char*> texts = {"", "a", "A", "b", "e", "E", "\xE9", "\xC9", "ez",
      "\xE9" "a", "ss", "SS", "\xDF", "Stra\xDF" "e", "Strasse", "oe", "\x9C", "\x8C", "a-b",
      "ab", "a b", "c\xF4te", "cot\xE9", "cote", "*", "a?", longText.c_str()};
  const unsigned short wide1[] = {0xE9, 0}, wide2[] = {0x20AC, 'a', 0};
  std::vector<KvString> strings = {KvString(), KvString(wide1), KvString(wide2)};
  std::vector<KvIString> iStrings;
  std::vector<KvCaseIString> caseIStrings;
  std::vector<KvBlob> blobs = {KvBlob(1L), KvBlob("\xFF", 1)};
  for (const char* t : texts) {
    strings.emplace_back(t);
    iStrings.emplace_back(t);
    caseIStrings.emplace_back(t);
    blobs.emplace_back(t, static_cast<long>(std::strlen(t)));
  }
  const std::vector<KvDate> dates = {KvDate(INT16_MIN, 1, 1), KvDate(0, 0, 0),
      KvDate(1999, 12, 31), KvDate(2000, 1, 1), KvDate(2000, 127, -128), KvDate(INT16_MAX, 12, 31)};
  const std::vector<KvTime> times = {KvTime(0, 0, 0), KvTime(0, 0, 59), KvTime(23, 59, 59),
      KvTime(127, 0, 0), KvTime(-128, 0, 0), KvTime(0, -128, 127)};
  const std::vector<d_Date> odmgDates = {d_Date(0, 1, 1), d_Date(1582, 10, 4),
      d_Date(1582, 10, 10), d_Date(1582, 10, 15), d_Date(2000, 13, 0), d_Date(-32768, 1, 1),
      d_Date(32767, 12, 31)};
  // Hundredths on both sides of a second; zones that give equal zone-free times.
  const std::vector<d_Time> odmgTimes = {d_Time(0, 0, 0, 0, 0), d_Time(12, 0, 0, 0, 0),
      d_Time(12, 0, 0.5f, 0, 0), d_Time(12, 0, 1, 0, 0), d_Time(12, 0, 1.5f, 0, 0),
      d_Time(23, 59, 59.99f, 0, 0), d_Time(13, 0, 0, 1, 0), d_Time(12, 0, 0, -12, 0)};
  std::vector<KvDateTime> dateTimes;
  std::vector<d_Timestamp> timestamps;
  for (int d : {0, 3, 5})
    for (int t : {1, 2, 3}) {
      dateTimes.emplace_back(dates[d], times[t]);
      timestamps.emplace_back(odmgDates[d], odmgTimes[t]);
    }
  const std::vector<KvInt64> int64s = {KvInt64(0ul, long{INT32_MIN}), KvInt64(0ul, -1l),
      KvInt64(-1), KvInt64(0), KvInt64(1), KvInt64(0xFFFFFFFFul, 0l), KvInt64(0ul, 1l),
      KvInt64(0xFFFFFFFFul, long{INT32_MAX})};
  const std::vector<KvObjId> objIds = {KvObjId(0, 0, 0), KvObjId(7, 0, 0), KvObjId(0, 1, 0),
      KvObjId(0, 0x100, 0), KvObjId(0, 0xFFFFFFFF, 0), KvObjId(0, 0, 1), KvObjId(0, 0, 0x8000),
      KvObjId(0, 0xFFFFFFFF, 0xFFFF)};
  const std::vector<KvClassId> classIds = {KvClassId(0, 0), KvClassId(0, 1), KvClassId(1, 0),
      KvClassId(0x100, 0), KvClassId(0x8000, 1), KvClassId(0xFFFF, 0xFFFF)};
  std::vector<KvRef> refs;
  for (const KvObjId& o : {objIds[1], objIds[3], objIds[7]})
    for (uint16_t origin : {0, 0x100, 0xFFFF}) refs.emplace_back(o, origin, classIds[origin & 3]);

  const std::pair<char, std::vector<const void*>> rows[] = {
      {KvTYPE_CHAR, AddressesOf(bytes)}, {KvTYPE_BYTE, AddressesOf(bytes)},
      {KvTYPE_BOOL, AddressesOf(bytes)}, {KvTYPE_SHORT, AddressesOf(shorts)},
      {KvTYPE_WORD, AddressesOf(shorts)}, {KvTYPE_LONG, AddressesOf(longs)},
      {KvTYPE_DWORD, AddressesOf(longs)}, {KvTYPE_INT, AddressesOf(longs)},
      {KvTYPE_UNSIGNED, AddressesOf(longs)}, {KvTYPE_ENUM, AddressesOf(longs)},
      {KvTYPE_BLOCKID, AddressesOf(longs)}, {KvTYPE_DOUBLE, AddressesOf(doubles)},
      {KvTYPE_FLOAT, AddressesOf(floats)}, {KvTYPE_D_INTERVAL, AddressesOf(floats)},
      {KvTYPE_STRING, AddressesOf(strings)}, {KvTYPE_ISTRING, AddressesOf(iStrings)},
      {KvTYPE_CASEISTRING, AddressesOf(caseIStrings)}, {KvTYPE_BLOB, AddressesOf(blobs)},
      {KvTYPE_DATE, AddressesOf(dates)}, {KvTYPE_TIME, AddressesOf(times)},
      {KvTYPE_DATETIME, AddressesOf(dateTimes)}, {KvTYPE_D_DATE, AddressesOf(odmgDates)},
      {KvTYPE_D_TIME, AddressesOf(odmgTimes)}, {KvTYPE_D_TIMESTAMP, AddressesOf(timestamps)},
      {KvTYPE_INT64, AddressesOf(int64s)}, {KvTYPE_OBJID, AddressesOf(objIds)},
      {KvTYPE_CLASSID, AddressesOf(classIds)}, {KvTYPE_REF, AddressesOf(refs)},
  };
  int covered = 0;
  for (KvTypeMgr mgr : {KvTypeMgr(), KvTypeMgr(3)}) {
    for (const auto& [id, values] : rows) {
      if (mgr.CmpFuncPtrGet(id) == nullptr) continue;
      covered += 1;
      const size_t n = values.size();
      for (uint8_t format : {8, 1, 2}) {
        SCOPED_TRACE(testing::Message() << "type " << int{id} << " legacy " << mgr.IsLegacy()
                                        << " format " << int{format});
        // Memory form: the values themselves, length 0.
        std::vector<Bytes> stored(n);
        std::vector<void*> at(n);
        for (size_t i = 0; i < n; ++i) {
          at[i] = const_cast<void*>(values[i]);
          if (format == 8) continue;
          stored[i].resize(1024);
          stored[i].resize(mgr.Store(id, stored[i].data(), at[i], format, 1));
          at[i] = stored[i].data();
        }
        std::vector<int> sign(n * n);
        int open = 0;
        for (size_t i = 0; i < n; ++i)
          for (size_t j = 0; j < n; ++j) {
            int status = 99;
            const long c = mgr.Cmp(id, stored[i].size(), at[i], stored[j].size(), at[j],
                                   KvCMP_EXACT, 1, format, status);
            sign[i * n + j] = (c > 0) - (c < 0);
            open += status != 0;
          }
        EXPECT_EQ(open, 0);
        auto s = [&](size_t i, size_t j) { return sign[i * n + j]; };
        for (size_t i = 0; i < n; ++i)
          for (size_t j = 0; j < n; ++j) {
            ASSERT_EQ(s(i, j), -s(j, i)) << i << " vs " << j;
            for (size_t k = 0; k < n; ++k)
              ASSERT_FALSE(s(i, j) <= 0 && s(j, k) <= 0 && s(i, k) > 0)
                  << i << " <= " << j << " <= " << k;
          }
      }
    }
  }
  EXPECT_EQ(covered, 2 * KvTYPE_COUNT);
}

}  // namespace
