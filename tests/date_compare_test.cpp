// Facts about the compare functions of the date and time types: stored
// field orders in both byte orders, date wildcards, memory forms, and the
// element walk with short buffers.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "kvtm/kvtm.h"
#include "test_util.h"

namespace {

// The bytes of live objects, back to back.
template <typename T>
Bytes ObjectsOf(std::initializer_list<T> values) {
  Bytes out(values.size() * sizeof(T));
  size_t i = 0;
  for (const T& v : values) std::memcpy(out.data() + sizeof(T) * i++, &v, sizeof(T));
  return out;
}

constexpr unsigned short kExact = KvCMP_EXACT;

struct StoredRow {
  const char* what;
  KvTypeCmpFunc compare;
  uint8_t format;
  Bytes a;
  Bytes b;
  unsigned short op;
  long expected;
};

TEST(DateTimeCompare, StoredFieldOrders) {
  const StoredRow rows[] = {
      // KvDate: year signed, read in the format's byte order.
      {"KvDate year signed, msb", DateCompare, 2, {0x07, 0xD1, 5, 7}, {0xFF, 0xFB, 5, 7}, 0, 1},
      {"KvDate year signed, lsb", DateCompare, 1, {0xD1, 0x07, 5, 7}, {0xFB, 0xFF, 5, 7}, 0, 1},
      {"KvDate 256 after 2, msb", DateCompare, 2, {0x01, 0x00, 1, 1}, {0x00, 0x02, 1, 1}, 0, 1},
      {"KvDate same bytes, lsb: 1 before 512", DateCompare, 1, {0x01, 0x00, 1, 1}, {0x00, 0x02, 1, 1}, 0, -1},
      {"KvDate other codes are lsb", DateCompare, 3, {0x01, 0x00, 1, 1}, {0x00, 0x02, 1, 1}, 0, -1},
      {"KvDate month signed", DateCompare, 2, {0x07, 0xD1, 0x80, 1}, {0x07, 0xD1, 1, 1}, 0, -1},
      {"KvDate day decides", DateCompare, 2, {0x07, 0xD1, 5, 8}, {0x07, 0xD1, 5, 7}, 0, 1},
      {"KvDate equal", DateCompare, 1, {0xD1, 0x07, 5, 7}, {0xD1, 0x07, 5, 7}, 0, 0},
      // d_Date: the same layout, year unsigned.
      {"d_Date year unsigned, msb", d_DateCompare, 2, {0xFF, 0xFB, 1, 1}, {0x07, 0xD1, 1, 1}, 0, 1},
      {"d_Date year unsigned, lsb", d_DateCompare, 1, {0xFB, 0xFF, 1, 1}, {0xD1, 0x07, 1, 1}, 0, 1},
      {"d_Date month signed", d_DateCompare, 2, {0x07, 0xD1, 0x80, 1}, {0x07, 0xD1, 0x7F, 1}, 0, -1},
      {"d_Date day signed", d_DateCompare, 1, {0xD1, 0x07, 5, 0x7F}, {0xD1, 0x07, 5, 0x80}, 0, 1},
      // KvTime stored: unsigned bytes.
      {"KvTime hour 0xC8 after 0x10", TimeCompare, 1, {0xC8, 0, 0}, {0x10, 0, 0}, 0, 1},
      {"KvTime hour 0xC8 after 0x10, msb", TimeCompare, 2, {0xC8, 0, 0}, {0x10, 0, 0}, 0, 1},
      {"KvTime second decides", TimeCompare, 2, {1, 2, 3}, {1, 2, 0xF0}, 0, -1},
      {"KvTime knows no wildcard", TimeCompare, 2, {5, 0, 0}, {0xFF, 0xFF, 0xFF}, 0, -1},
      // KvDateTime: 7 bytes, year signed, then five signed bytes.
      {"KvDateTime year first, msb", DaTimeCompare, 2, {0x07, 0xD1, 1, 1, 0, 0, 0},
       {0x07, 0xD0, 12, 31, 23, 59, 59}, 0, 1},
      {"KvDateTime year first, lsb", DaTimeCompare, 1, {0xD1, 0x07, 1, 1, 0, 0, 0},
       {0xD0, 0x07, 12, 31, 23, 59, 59}, 0, 1},
      {"KvDateTime year -1 is a year", DaTimeCompare, 2, {0x07, 0xD1, 1, 1, 0, 0, 0},
       {0xFF, 0xFF, 1, 1, 0, 0, 0}, 0, 1},
      {"KvDateTime hour signed", DaTimeCompare, 2, {0x07, 0xD1, 1, 1, 0xC8, 0, 0},
       {0x07, 0xD1, 1, 1, 0x10, 0, 0}, 0, -1},
      {"KvDateTime second decides", DaTimeCompare, 1, {0xD1, 0x07, 1, 1, 10, 0, 2},
       {0xD1, 0x07, 1, 1, 10, 0, 1}, 0, 1},
      // d_Time: six signed bytes, zone first.
      {"d_Time zone hour first", d_TimeCompare, 1, {1, 0, 0, 0, 0, 0}, {0, 0, 23, 59, 59, 99}, 0, 1},
      {"d_Time hundredths signed", d_TimeCompare, 2, {0, 0, 10, 0, 0, 0x80}, {0, 0, 10, 0, 0, 1}, 0, -1},
      {"d_Time equal", d_TimeCompare, 2, {2, 0, 12, 30, 0, 5}, {2, 0, 12, 30, 0, 5}, 0, 0},
      // d_Timestamp: the d_Date, then the d_Time.
      {"d_Timestamp year unsigned", d_TimestampCompare, 2, {0xFF, 0xFB, 1, 1, 0, 0, 0, 0, 0, 0},
       {0x07, 0xD1, 1, 1, 0, 0, 23, 0, 0, 0}, 0, 1},
      {"d_Timestamp time signed", d_TimestampCompare, 1, {0xD1, 0x07, 1, 1, 0, 0, 0xC8, 0, 0, 0},
       {0xD1, 0x07, 1, 1, 0, 0, 0x10, 0, 0, 0}, 0, -1},
      {"d_Timestamp last byte", d_TimestampCompare, 2, {0x07, 0xD1, 1, 1, 0, 0, 9, 0, 0, 2},
       {0x07, 0xD1, 1, 1, 0, 0, 9, 0, 0, 1}, 0, 1},
  };
  for (const StoredRow& r : rows) {
    SCOPED_TRACE(r.what);
    Bytes a = r.a, b = r.b;
    int status = 99;
    EXPECT_EQ(r.compare(r.format, 0, a.data(), 0, b.data(), r.op, 1, status), r.expected);
    EXPECT_EQ(status, 0);
    // Reversed operands order the other way (no wildcard in these rows).
    EXPECT_EQ(r.compare(r.format, 0, b.data(), 0, a.data(), r.op, 1, status), -r.expected);
  }
}

TEST(DateTimeCompare, DateWildcardsOfOperandTwo) {
  const StoredRow rows[] = {
      // 2001-05-07 against wildcards, both byte orders.
      {"any year, msb", DateCompare, 2, {0x07, 0xD1, 5, 7}, {0xFF, 0xFF, 5, 7}, 0, 0},
      {"any year, lsb", DateCompare, 1, {0xD1, 0x07, 5, 7}, {0xFF, 0xFF, 5, 7}, 0, 0},
      {"any year exact: 2001 after -1", DateCompare, 2, {0x07, 0xD1, 5, 7}, {0xFF, 0xFF, 5, 7}, kExact, 1},
      {"any year, day decides", DateCompare, 2, {0x07, 0xD1, 5, 7}, {0xFF, 0xFF, 5, 8}, 0, -1},
      {"any month and day", DateCompare, 2, {0x07, 0xD1, 5, 7}, {0x07, 0xD1, 0xFF, 0xFF}, 0, 0},
      {"any month and day, lsb", DateCompare, 1, {0xD1, 0x07, 5, 7}, {0xD1, 0x07, 0xFF, 0xFF}, 0, 0},
      {"any month and day exact", DateCompare, 2, {0x07, 0xD1, 5, 7}, {0x07, 0xD1, 0xFF, 0xFF}, kExact, 1},
      {"any month and day, year decides", DateCompare, 2, {0x07, 0xD1, 5, 7}, {0x07, 0xD2, 0xFF, 0xFF}, 0, -1},
      {"any month: days alone", DateCompare, 2, {0x07, 0xD1, 5, 7}, {0x07, 0xD1, 0xFF, 9}, 0, -1},
      {"any month: days alone, equal", DateCompare, 2, {0x07, 0xD1, 12, 9}, {0x07, 0xD1, 0xFF, 9}, 0, 0},
      {"any day: months alone", DateCompare, 2, {0x07, 0xD1, 5, 7}, {0x07, 0xD1, 3, 0xFF}, 0, 1},
      {"any day: months alone, equal", DateCompare, 1, {0xD1, 0x07, 3, 30}, {0xD1, 0x07, 3, 0xFF}, 0, 0},
      {"any day exact: day 30 after -1", DateCompare, 1, {0xD1, 0x07, 3, 30}, {0xD1, 0x07, 3, 0xFF}, kExact, 1},
      {"all three", DateCompare, 2, {0x80, 0x00, 0x80, 0x80}, {0xFF, 0xFF, 0xFF, 0xFF}, 0, 0},
      // Operand 1's fields are never wildcards: year -1 is a year before 2001.
      {"operand 1 year -1", DateCompare, 2, {0xFF, 0xFF, 5, 7}, {0x07, 0xD1, 5, 7}, 0, -1},
      {"operand 1 month -1", DateCompare, 2, {0x07, 0xD1, 0xFF, 7}, {0x07, 0xD1, 5, 7}, 0, -1},
      // d_Date: the same wildcards; exact reads 0xFFFF as the highest year.
      {"d_Date any year", d_DateCompare, 2, {0x07, 0xD1, 5, 7}, {0xFF, 0xFF, 5, 7}, 0, 0},
      {"d_Date any year, lsb", d_DateCompare, 1, {0xD1, 0x07, 5, 7}, {0xFF, 0xFF, 5, 7}, 0, 0},
      {"d_Date any year exact", d_DateCompare, 2, {0x07, 0xD1, 5, 7}, {0xFF, 0xFF, 5, 7}, kExact, -1},
      {"d_Date any month and day", d_DateCompare, 1, {0xD1, 0x07, 5, 7}, {0xD1, 0x07, 0xFF, 0xFF}, 0, 0},
      {"d_Date any month and day exact", d_DateCompare, 1, {0xD1, 0x07, 5, 7}, {0xD1, 0x07, 0xFF, 0xFF}, kExact, 1},
      {"d_Date any month: days alone", d_DateCompare, 2, {0x07, 0xD1, 5, 7}, {0x07, 0xD1, 0xFF, 6}, 0, 1},
      {"d_Date any day: months alone", d_DateCompare, 2, {0x07, 0xD1, 5, 7}, {0x07, 0xD1, 6, 0xFF}, 0, -1},
      // d_Timestamp: the date part takes the wildcards, then the time decides.
      {"d_Timestamp any year", d_TimestampCompare, 2, {0x07, 0xD1, 5, 7, 0, 0, 10, 0, 0, 0},
       {0xFF, 0xFF, 5, 7, 0, 0, 10, 0, 0, 0}, 0, 0},
      {"d_Timestamp any year exact", d_TimestampCompare, 2, {0x07, 0xD1, 5, 7, 0, 0, 10, 0, 0, 0},
       {0xFF, 0xFF, 5, 7, 0, 0, 10, 0, 0, 0}, kExact, -1},
      {"d_Timestamp any month and day, time decides", d_TimestampCompare, 1,
       {0xD1, 0x07, 5, 7, 0, 0, 10, 0, 0, 0}, {0xD1, 0x07, 0xFF, 0xFF, 0, 0, 11, 0, 0, 0}, 0, -1},
      // Other types have no wildcards.
      {"KvDateTime any year is no wildcard", DaTimeCompare, 2, {0x07, 0xD1, 5, 7, 0, 0, 0},
       {0xFF, 0xFF, 5, 7, 0, 0, 0}, 0, 1},
  };
  for (const StoredRow& r : rows) {
    SCOPED_TRACE(r.what);
    Bytes a = r.a, b = r.b;
    int status = 99;
    EXPECT_EQ(r.compare(r.format, 0, a.data(), 0, b.data(), r.op, 1, status), r.expected);
    EXPECT_EQ(status, 0);
  }
}

struct MemoryRow {
  const char* what;
  KvTypeCmpFunc compare;
  Bytes a;  // one object
  Bytes b;
  int sign;        // of the memory comparison
  int storedSign;  // of the same bytes compared as format 1, or 2 for none
};

int SignOf(long v) { return v < 0 ? -1 : v > 0 ? 1 : 0; }

TEST(DateTimeCompare, MemoryFormUsesTheValueOrder) {
  const MemoryRow rows[] = {
      // Signed in memory, unsigned stored.
      {"KvTime hour 0xC8 before 0x10", TimeCompare, ObjectsOf({KvTime(-56, 0, 0)}),
       ObjectsOf({KvTime(0x10, 0, 0)}), -1, 1},
      // A -1 field on either side is skipped in memory; stored, only
      // operand 2's wildcards count.
      {"KvDate year -1 first", DateCompare, ObjectsOf({KvDate(-1, 5, 7)}),
       ObjectsOf({KvDate(2001, 5, 7)}), 0, -1},
      {"KvDate month and day -1 second", DateCompare, ObjectsOf({KvDate(2001, 5, 7)}),
       ObjectsOf({KvDate(2001, -1, -1)}), 0, 0},
      {"KvDate day decides", DateCompare, ObjectsOf({KvDate(2001, 5, 7)}),
       ObjectsOf({KvDate(2001, 5, 9)}), -1, -1},
      // d_Date in memory: day numbers, so a negative year is early.
      {"d_Date negative year", d_DateCompare, ObjectsOf({d_Date(-5, 1, 1)}),
       ObjectsOf({d_Date(2001, 1, 1)}), -1, 1},
      {"d_Date 31 April is 1 May", d_DateCompare, ObjectsOf({d_Date(2001, 4, 31)}),
       ObjectsOf({d_Date(2001, 5, 1)}), 0, -1},
      {"KvDateTime time decides", DaTimeCompare,
       ObjectsOf({KvDateTime(KvDate(2001, 5, 7), KvTime(10, 0, 1))}),
       ObjectsOf({KvDateTime(KvDate(2001, 5, 7), KvTime(10, 0, 0))}), 1, 2},
      // d_Time in memory orders zone-free; stored, the zone byte comes first.
      {"d_Time zone-free", d_TimeCompare, ObjectsOf({d_Time(10, 0, 0, 2, 0)}),
       ObjectsOf({d_Time(11, 0, 0, 0, 0)}), -1, 1},
      {"d_Timestamp date first", d_TimestampCompare,
       ObjectsOf({d_Timestamp(d_Date(2001, 5, 7), d_Time(23, 0, 0, 0, 0))}),
       ObjectsOf({d_Timestamp(d_Date(2001, 5, 8), d_Time(1, 0, 0, 0, 0))}), -1, -1},
  };
  for (const MemoryRow& r : rows) {
    SCOPED_TRACE(r.what);
    Bytes a = r.a, b = r.b;
    int status = 99;
    EXPECT_EQ(SignOf(r.compare(8, 0, a.data(), 0, b.data(), 0, 1, status)), r.sign);
    EXPECT_EQ(status, 0);
    if (r.storedSign != 2) {
      EXPECT_EQ(r.compare(1, 0, a.data(), 0, b.data(), 0, 1, status), r.storedSign);
    }
  }
}

// Runs of three elements: the first two equal, the third ordering a
// before b. Element bytes are given once; stride is the element size.
// Memory forms may return differences of any size, so signs are compared.
struct RunRow {
  const char* what;
  KvTypeCmpFunc compare;
  uint8_t format;
  Bytes same;  // the first two elements of both runs
  Bytes low;   // the third element of a
  Bytes high;  // the third element of b
};

Bytes Concat(const Bytes& first, const Bytes& second, const Bytes& third) {
  Bytes out = first;
  out.insert(out.end(), second.begin(), second.end());
  out.insert(out.end(), third.begin(), third.end());
  return out;
}

TEST(DateTimeCompare, RunsAndShortBuffers) {
  const RunRow rows[] = {
      {"KvDate stored", DateCompare, 2, {0x07, 0xD1, 5, 7}, {0x07, 0xD1, 5, 8}, {0x07, 0xD1, 5, 9}},
      {"KvDate memory", DateCompare, 8, ObjectsOf({KvDate(2001, 5, 7)}),
       ObjectsOf({KvDate(2001, 5, 8)}), ObjectsOf({KvDate(2001, 5, 9)})},
      {"KvTime stored", TimeCompare, 1, {1, 2, 3}, {1, 2, 4}, {0xC8, 0, 0}},
      {"KvTime memory", TimeCompare, 8, ObjectsOf({KvTime(1, 2, 3)}), ObjectsOf({KvTime(-56, 0, 0)}),
       ObjectsOf({KvTime(1, 2, 4)})},
      {"KvDateTime stored", DaTimeCompare, 2, {0x07, 0xD1, 5, 7, 1, 2, 3},
       {0x07, 0xD1, 5, 7, 1, 2, 4}, {0x07, 0xD1, 5, 7, 1, 2, 5}},
      {"KvDateTime memory", DaTimeCompare, 8,
       ObjectsOf({KvDateTime(KvDate(2001, 5, 7), KvTime(1, 2, 3))}),
       ObjectsOf({KvDateTime(KvDate(2001, 5, 7), KvTime(1, 2, 4))}),
       ObjectsOf({KvDateTime(KvDate(2001, 5, 7), KvTime(1, 2, 5))})},
      {"d_Date stored", d_DateCompare, 1, {0xD1, 0x07, 5, 7}, {0xD1, 0x07, 5, 8}, {0xFB, 0xFF, 1, 1}},
      {"d_Date memory", d_DateCompare, 8, ObjectsOf({d_Date(2001, 5, 7)}),
       ObjectsOf({d_Date(-5, 1, 1)}), ObjectsOf({d_Date(2001, 5, 8)})},
      {"d_Time stored", d_TimeCompare, 2, {0, 0, 1, 2, 3, 4}, {0, 0, 1, 2, 3, 0x80}, {0, 0, 1, 2, 3, 5}},
      {"d_Time memory", d_TimeCompare, 8, ObjectsOf({d_Time(1, 2, 3, 0, 0)}),
       ObjectsOf({d_Time(1, 2, 3, 0, 0)}), ObjectsOf({d_Time(1, 2, 5, 0, 0)})},
      {"d_Timestamp stored", d_TimestampCompare, 2, {0x07, 0xD1, 5, 7, 0, 0, 1, 2, 3, 4},
       {0x07, 0xD1, 5, 7, 0, 0, 1, 2, 3, 5}, {0x07, 0xD2, 1, 1, 0, 0, 0, 0, 0, 0}},
      {"d_Timestamp memory", d_TimestampCompare, 8,
       ObjectsOf({d_Timestamp(d_Date(2001, 5, 7), d_Time(1, 2, 3, 0, 0))}),
       ObjectsOf({d_Timestamp(d_Date(2001, 5, 7), d_Time(1, 2, 3, 0, 0))}),
       ObjectsOf({d_Timestamp(d_Date(2001, 5, 8), d_Time(0, 0, 0, 0, 0))})},
  };
  struct Cut {
    const char* what;
    int length1;  // in elements and extra bytes: elements * stride + extra; -1 for 0
    int extra1;
    int length2;
    int extra2;
    unsigned long count;
    long result;
    int status;
  };
  const Cut cuts[] = {
      {"whole runs", -1, 0, -1, 0, 3, -1, 0},
      {"explicit lengths", 3, 0, 3, 0, 3, -1, 0},
      {"longer buffers", 3, 5, 4, 0, 3, -1, 0},
      {"first two only", -1, 0, -1, 0, 2, 0, 0},
      {"count 0", -1, 0, -1, 0, 0, 0, 0},
      {"operand 1 holds two", 2, 0, -1, 0, 3, 0, KvCMP_INCOMPLETE},
      {"operand 2 holds two", -1, 0, 2, 0, 3, 0, KvCMP_INCOMPLETE},
      // An element cut short is never read.
      {"third element cut", 2, 1, 3, 0, 3, 0, KvCMP_INCOMPLETE},
      {"first element cut", 0, 1, 3, 0, 3, 0, KvCMP_INCOMPLETE},
  };
  for (const RunRow& r : rows) {
    SCOPED_TRACE(r.what);
    const uint32_t stride = static_cast<uint32_t>(r.same.size());
    Bytes a = Concat(r.same, r.same, r.low);
    Bytes b = Concat(r.same, r.same, r.high);
    // The buffers end where they end, so that a sanitizer catches a read
    // past a cut.
    for (const Cut& c : cuts) {
      SCOPED_TRACE(c.what);
      const unsigned long l1 = c.length1 < 0 ? 0 : c.length1 * stride + c.extra1;
      const unsigned long l2 = c.length2 < 0 ? 0 : c.length2 * stride + c.extra2;
      Bytes x(a.begin(), a.begin() + std::min<size_t>(a.size(), l1 == 0 ? a.size() : l1));
      Bytes y(b.begin(), b.begin() + std::min<size_t>(b.size(), l2 == 0 ? b.size() : l2));
      int status = 99;
      EXPECT_EQ(SignOf(r.compare(r.format, l1, x.data(), l2, y.data(), 0, c.count, status)),
                c.result);
      EXPECT_EQ(status, c.status);
    }
    // A first element that decides, with a second element missing, gives
    // both its order and KvCMP_INCOMPLETE.
    Bytes x = r.low, y = r.high;
    int status = 0;
    EXPECT_EQ(SignOf(r.compare(r.format, stride, x.data(), stride, y.data(), 0, 2, status)), -1);
    EXPECT_EQ(status, KvCMP_INCOMPLETE);
  }
  // Count 0 reads nothing at all.
  int status = 99;
  EXPECT_EQ(d_TimestampCompare(2, 0, nullptr, 0, nullptr, 0, 0, status), 0);
  EXPECT_EQ(status, 0);
}

TEST(DateTimeCompare, WildcardElementsInRuns) {
  // A wildcard element compares equal and the walk goes on to the next.
  Bytes a = {0x07, 0xD1, 5, 7, 0x07, 0xD2, 1, 1};
  Bytes b = {0xFF, 0xFF, 5, 7, 0x07, 0xD2, 1, 2};
  int status = 99;
  EXPECT_EQ(DateCompare(2, 0, a.data(), 0, b.data(), 0, 2, status), -1);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(d_DateCompare(2, 0, a.data(), 0, b.data(), 0, 2, status), -1);
  // Exact: the first element decides.
  EXPECT_EQ(DateCompare(2, 0, a.data(), 0, b.data(), kExact, 2, status), 1);
  EXPECT_EQ(d_DateCompare(2, 0, a.data(), 0, b.data(), kExact, 2, status), -1);
  // A wildcard element that matches, with the next one missing.
  EXPECT_EQ(DateCompare(2, 8, a.data(), 4, b.data(), 0, 2, status), 0);
  EXPECT_EQ(status, KvCMP_INCOMPLETE);
}

}  // namespace
