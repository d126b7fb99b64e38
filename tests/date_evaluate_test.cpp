// Facts about index evaluation of the date and time types: positions and
// estimates, bounds in both byte orders, date wildcards widening the
// bounds, and estimates kept within [0, 1].
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "kvtm/kvtm.h"
#include "test_util.h"

namespace {

KvIdxBounds RangeOf(Bytes& lo, Bytes& hi) {
  return {lo.data(), hi.data(), static_cast<uint8_t>(lo.size()), static_cast<uint8_t>(hi.size())};
}

constexpr unsigned short kEq = KvREL_EQUAL;
constexpr unsigned short kLess = KvREL_LESS;
constexpr unsigned short kGreater = KvREL_GREATER;
constexpr unsigned short kNotEqual = KvREL_LESS | KvREL_GREATER;

struct EstimateRow {
  const char* what;
  KvEvalFunc eval;
  uint8_t format;
  Bytes value, lo, hi;
  unsigned short relation;
  double estimate;
};

TEST(DateTimeEvaluate, EstimatesAndBounds) {
  const EstimateRow rows[] = {
      // KvTime: seconds of the day, coverage over the range.
      {"KvTime less", KvEvalTime, 2, {12, 0, 0}, {0, 0, 0}, {23, 59, 59}, kLess, 0.5},
      {"KvTime greater", KvEvalTime, 1, {12, 0, 0}, {0, 0, 0}, {23, 59, 59}, kGreater, 43199.0 / 86400},
      {"KvTime equal", KvEvalTime, 1, {12, 0, 0}, {0, 0, 0}, {23, 59, 59}, kEq, 1.0 / 86400},
      {"KvTime not equal", KvEvalTime, 2, {12, 0, 0}, {0, 0, 0}, {23, 59, 59}, kNotEqual, 86399.0 / 86400},
      // KvDateTime: minutes; the seconds take no part. 12:30:17 within
      // 12:00 to 12:59 of one day.
      {"KvDateTime less, msb", KvEvalDateTime, 2, {0x07, 0xD1, 5, 7, 12, 30, 17},
       {0x07, 0xD1, 5, 7, 12, 0, 0}, {0x07, 0xD1, 5, 7, 12, 59, 0}, kLess, 0.5},
      {"KvDateTime less, lsb", KvEvalDateTime, 1, {0xD1, 0x07, 5, 7, 12, 30, 17},
       {0xD1, 0x07, 5, 7, 12, 0, 59}, {0xD1, 0x07, 5, 7, 12, 59, 0}, kLess, 0.5},
      {"KvDateTime greater", KvEvalDateTime, 2, {0x07, 0xD1, 5, 7, 12, 30, 17},
       {0x07, 0xD1, 5, 7, 12, 0, 0}, {0x07, 0xD1, 5, 7, 12, 59, 0}, kGreater, 29.0 / 60},
      // Midnight of 8 May lies 60 minutes after 23:00 of 7 May.
      {"KvDateTime across midnight", KvEvalDateTime, 2, {0x07, 0xD1, 5, 8, 0, 0, 0},
       {0x07, 0xD1, 5, 7, 23, 0, 0}, {0x07, 0xD1, 5, 8, 0, 59, 0}, kLess, 0.5},
      // d_Time: held hour, minute, second; zone and hundredths take no part.
      {"d_Time less", KvEvald_Time, 2, {5, 30, 12, 0, 0, 50}, {0, 0, 0, 0, 0, 0},
       {0, 0, 23, 59, 59, 0}, kLess, 0.5},
      {"d_Time greater", KvEvald_Time, 1, {0, 0, 12, 0, 0, 0}, {0, 0, 0, 0, 0, 0},
       {0, 0, 23, 59, 59, 0}, kGreater, 43199.0 / 86400},
      {"d_Time equal", KvEvald_Time, 1, {0, 0, 12, 0, 0, 0}, {0, 0, 0, 0, 0, 0},
       {0, 0, 23, 59, 59, 0}, kEq, 1.0 / 86400},
      // d_Timestamp: seconds counted in whole minutes; 10:30 within 10:00 to
      // 10:59, 3541 positions.
      {"d_Timestamp less", KvEvald_Timestamp, 2, {0x07, 0xD1, 5, 7, 0, 0, 10, 30, 59, 99},
       {0x07, 0xD1, 5, 7, 0, 0, 10, 0, 0, 0}, {0x07, 0xD1, 5, 7, 0, 0, 10, 59, 0, 0}, kLess,
       1800.0 / 3541},
      {"d_Timestamp greater, lsb", KvEvald_Timestamp, 1, {0xD1, 0x07, 5, 7, 0, 0, 10, 30, 0, 0},
       {0xD1, 0x07, 5, 7, 0, 0, 10, 0, 0, 0}, {0xD1, 0x07, 5, 7, 0, 0, 10, 59, 0, 0}, kGreater,
       1740.0 / 3541},
      {"d_Timestamp equal", KvEvald_Timestamp, 2, {0x07, 0xD1, 5, 7, 0, 0, 10, 30, 0, 0},
       {0x07, 0xD1, 5, 7, 0, 0, 10, 0, 0, 0}, {0x07, 0xD1, 5, 7, 0, 0, 10, 59, 0, 0}, kEq,
       1.0 / 3541},
      // KvDate: day numbers; 7 May is day 127 of 365.
      {"KvDate less, msb", KvEvalDate, 2, {0x07, 0xD1, 5, 7}, {0x07, 0xD1, 1, 1}, {0x07, 0xD1, 12, 31}, kLess, 126.0 / 365},
      {"KvDate less, lsb", KvEvalDate, 1, {0xD1, 0x07, 5, 7}, {0xD1, 0x07, 1, 1}, {0xD1, 0x07, 12, 31}, kLess, 126.0 / 365},
      {"KvDate greater", KvEvalDate, 2, {0x07, 0xD1, 5, 7}, {0x07, 0xD1, 1, 1}, {0x07, 0xD1, 12, 31}, kGreater, 238.0 / 365},
      {"KvDate equal", KvEvalDate, 2, {0x07, 0xD1, 5, 7}, {0x07, 0xD1, 1, 1}, {0x07, 0xD1, 12, 31}, kEq, 1.0 / 365},
      // d_Date: 31 positions a month, so a year spans 372.
      {"d_Date less, msb", KvEvald_Date, 2, {0x07, 0xD1, 5, 7}, {0x07, 0xD1, 1, 1}, {0x07, 0xD1, 12, 31}, kLess, 130.0 / 372},
      {"d_Date less, lsb", KvEvald_Date, 1, {0xD1, 0x07, 5, 7}, {0xD1, 0x07, 1, 1}, {0xD1, 0x07, 12, 31}, kLess, 130.0 / 372},
      {"d_Date greater", KvEvald_Date, 2, {0x07, 0xD1, 5, 7}, {0x07, 0xD1, 1, 1}, {0x07, 0xD1, 12, 31}, kGreater, 241.0 / 372},
      {"d_Date equal", KvEvald_Date, 1, {0xD1, 0x07, 5, 7}, {0xD1, 0x07, 1, 1}, {0xD1, 0x07, 12, 31}, kEq, 1.0 / 372},
  };
  for (const EstimateRow& r : rows) {
    SCOPED_TRACE(r.what);
    Bytes value = r.value, lo = r.lo, hi = r.hi;
    KvIdxBounds range = RangeOf(lo, hi);
    Bounds bounds;
    unsigned short relation = r.relation;
    EXPECT_FLOAT_EQ(r.eval(&range, relation, value.data(), r.format, 1, &bounds),
                    static_cast<float>(r.estimate));
    EXPECT_EQ(relation, r.relation);
    // The bounds are the value's bytes: low unless less, high unless greater.
    EXPECT_EQ(Key(bounds.low, bounds.lowLength), (r.relation & kLess) ? Bytes() : r.value);
    EXPECT_EQ(Key(bounds.high, bounds.highLength), (r.relation & kGreater) ? Bytes() : r.value);
    // The estimate does not depend on whether bounds are wanted.
    relation = r.relation;
    EXPECT_FLOAT_EQ(r.eval(&range, relation, value.data(), r.format, 1, nullptr),
                    static_cast<float>(r.estimate));
  }
}

TEST(DateTimeEvaluate, RelationWordAndCounts) {
  struct Row {
    const char* what;
    KvEvalFunc eval;
    Bytes value;  // two elements, format 2
  };
  const Row rows[] = {
      {"KvDate", KvEvalDate, {0x07, 0xD1, 5, 7, 0x07, 0xD2, 6, 8}},
      {"KvTime", KvEvalTime, {1, 2, 3, 4, 5, 6}},
      {"KvDateTime", KvEvalDateTime, {0x07, 0xD1, 5, 7, 1, 2, 3, 0x07, 0xD2, 6, 8, 4, 5, 6}},
      {"d_Date", KvEvald_Date, {0x07, 0xD1, 5, 7, 0x07, 0xD2, 6, 8}},
      {"d_Time", KvEvald_Time, {0, 0, 1, 2, 3, 4, 1, 0, 5, 6, 7, 8}},
      {"d_Timestamp", KvEvald_Timestamp,
       {0x07, 0xD1, 5, 7, 0, 0, 1, 2, 3, 4, 0x07, 0xD2, 6, 8, 1, 0, 5, 6, 7, 8}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    Bytes value = r.value;
    // Operator bits in the word are cleared; 0x8000 and the relation stay.
    unsigned short relation = 0x7FF0 | KvREL_KEEP | KvREL_EQUAL;
    Bounds bounds;
    r.eval(nullptr, relation, value.data(), 2, 2, &bounds);
    EXPECT_EQ(relation, KvREL_KEEP | KvREL_EQUAL);
    // The bounds take both elements.
    EXPECT_EQ(Key(bounds.low, bounds.lowLength), r.value);
    EXPECT_EQ(Key(bounds.high, bounds.highLength), r.value);
    // Count 0 reads no value at all.
    relation = KvREL_EQUAL | 0x0010;
    Bounds empty;
    EXPECT_EQ(r.eval(nullptr, relation, nullptr, 2, 0, &empty), 0.0f);
    EXPECT_EQ(relation, KvREL_EQUAL);
    EXPECT_EQ(empty.lowLength, 0);
    EXPECT_EQ(empty.highLength, 0);
  }
}

struct WildcardRow {
  const char* what;
  KvEvalFunc eval;
  uint8_t format;
  Bytes value;
  unsigned short relation;
  Bytes low, high;  // expected bounds, empty for none
  double estimate;  // over the range 2001-01-01 to 2001-12-31
};

TEST(DateTimeEvaluate, DateWildcardsWidenTheBounds) {
  const WildcardRow rows[] = {
      // KvDate: the valid dates the value matches.
      {"KvDate any month and day", KvEvalDate, 2, {0x07, 0xD1, 0xFF, 0xFF}, kEq,
       {0x07, 0xD1, 1, 1}, {0x07, 0xD1, 12, 31}, 1.0},
      {"KvDate any month and day, lsb", KvEvalDate, 1, {0xD1, 0x07, 0xFF, 0xFF}, kEq,
       {0xD1, 0x07, 1, 1}, {0xD1, 0x07, 12, 31}, 1.0},
      {"KvDate any day of May", KvEvalDate, 2, {0x07, 0xD1, 5, 0xFF}, kEq,
       {0x07, 0xD1, 5, 1}, {0x07, 0xD1, 5, 31}, 31.0 / 365},
      {"KvDate any day of May, less", KvEvalDate, 2, {0x07, 0xD1, 5, 0xFF}, kLess,
       {}, {0x07, 0xD1, 5, 31}, 120.0 / 365},
      {"KvDate any day of May, greater", KvEvalDate, 1, {0xD1, 0x07, 5, 0xFF}, kGreater,
       {0xD1, 0x07, 5, 1}, {}, 214.0 / 365},
      {"KvDate any day of February 2000", KvEvalDate, 2, {0x07, 0xD0, 2, 0xFF}, kEq,
       {0x07, 0xD0, 2, 1}, {0x07, 0xD0, 2, 29}, 0.0},
      {"KvDate any day of February 1900", KvEvalDate, 1, {0x6C, 0x07, 2, 0xFF}, kEq,
       {0x6C, 0x07, 2, 1}, {0x6C, 0x07, 2, 28}, 0.0},
      {"KvDate the 7th of any month", KvEvalDate, 2, {0x07, 0xD1, 0xFF, 7}, kEq,
       {0x07, 0xD1, 1, 7}, {0x07, 0xD1, 12, 7}, 335.0 / 365},
      // A wildcard year spans every signed 16-bit year.
      {"KvDate 7 May of any year, msb", KvEvalDate, 2, {0xFF, 0xFF, 5, 7}, kEq,
       {0x80, 0x00, 5, 7}, {0x7F, 0xFF, 5, 7}, 1.0},
      {"KvDate 7 May of any year, lsb", KvEvalDate, 1, {0xFF, 0xFF, 5, 7}, kEq,
       {0x00, 0x80, 5, 7}, {0xFF, 0x7F, 5, 7}, 1.0},
      {"KvDate any date", KvEvalDate, 2, {0xFF, 0xFF, 0xFF, 0xFF}, kEq,
       {0x80, 0x00, 1, 1}, {0x7F, 0xFF, 12, 31}, 1.0},
      // 32767 is no leap year.
      {"KvDate any day of February of any year", KvEvalDate, 2, {0xFF, 0xFF, 2, 0xFF}, kEq,
       {0x80, 0x00, 2, 1}, {0x7F, 0xFF, 2, 28}, 1.0},
      // d_Date: months and days run over every signed byte; the value is
      // measured at month 12 or day 31.
      {"d_Date any month and day", KvEvald_Date, 2, {0x07, 0xD1, 0xFF, 0xFF}, kEq,
       {0x07, 0xD1, 0x80, 0x80}, {0x07, 0xD1, 0x7F, 0x7F}, 1.0 / 372},
      {"d_Date any month", KvEvald_Date, 1, {0xD1, 0x07, 0xFF, 7}, kLess,
       {}, {0xD1, 0x07, 0x7F, 7}, 347.0 / 372},
      {"d_Date any day", KvEvald_Date, 2, {0x07, 0xD1, 5, 0xFF}, kLess,
       {}, {0x07, 0xD1, 5, 0x7F}, 154.0 / 372},
      {"d_Date any day, greater", KvEvald_Date, 2, {0x07, 0xD1, 5, 0xFF}, kGreater,
       {0x07, 0xD1, 5, 0x80}, {}, 217.0 / 372},
      // A wildcard year takes every key, from the lowest to the highest,
      // and is estimated 1 whatever the relation.
      {"d_Date any year", KvEvald_Date, 2, {0xFF, 0xFF, 5, 7}, kEq,
       {0x00, 0x00, 0x80, 0x80}, {0xFF, 0xFF, 0x7F, 0x7F}, 1.0},
      {"d_Date any year, lsb", KvEvald_Date, 1, {0xFF, 0xFF, 5, 7}, kEq,
       {0x00, 0x00, 0x80, 0x80}, {0xFF, 0xFF, 0x7F, 0x7F}, 1.0},
      {"d_Date any year, less", KvEvald_Date, 2, {0xFF, 0xFF, 0xFF, 0xFF}, kLess,
       {}, {0xFF, 0xFF, 0x7F, 0x7F}, 1.0},
      {"d_Date any year, greater", KvEvald_Date, 1, {0xFF, 0xFF, 1, 0xFF}, kGreater,
       {0x00, 0x00, 0x80, 0x80}, {}, 1.0},
  };
  for (const WildcardRow& r : rows) {
    SCOPED_TRACE(r.what);
    const bool msb = r.format == 2;
    Bytes lo = msb ? Bytes{0x07, 0xD1, 1, 1} : Bytes{0xD1, 0x07, 1, 1};
    Bytes hi = msb ? Bytes{0x07, 0xD1, 12, 31} : Bytes{0xD1, 0x07, 12, 31};
    KvIdxBounds range = RangeOf(lo, hi);
    Bytes value = r.value;
    Bounds bounds;
    unsigned short relation = r.relation | KvCMP_EXACT;  // cleared, never read
    EXPECT_FLOAT_EQ(r.eval(&range, relation, value.data(), r.format, 1, &bounds),
                    static_cast<float>(r.estimate));
    EXPECT_EQ(relation, r.relation | KvREL_WIDENED);
    EXPECT_EQ(Key(bounds.low, bounds.lowLength), r.low);
    EXPECT_EQ(Key(bounds.high, bounds.highLength), r.high);
    EXPECT_EQ(value, r.value);  // the value itself is not written
    // The same estimate without a bounds record.
    relation = r.relation;
    EXPECT_FLOAT_EQ(r.eval(&range, relation, value.data(), r.format, 1, nullptr),
                    static_cast<float>(r.estimate));
    EXPECT_EQ(relation, r.relation | KvREL_WIDENED);
  }
}

TEST(DateTimeEvaluate, OnlyTheFirstElementAndNewBoundsAreWidened) {
  const KvEvalFunc evals[] = {KvEvalDate, KvEvald_Date};
  for (KvEvalFunc eval : evals) {
    // Two elements: the first is widened, the second copied as it is.
    Bytes value = {0x07, 0xD1, 5, 0xFF, 0x07, 0xD2, 0xFF, 0xFF};
    Bounds bounds;
    unsigned short relation = KvREL_EQUAL;
    eval(nullptr, relation, value.data(), 2, 2, &bounds);
    ASSERT_EQ(bounds.lowLength, 8);
    EXPECT_EQ(Bytes(bounds.low + 4, bounds.low + 8), Bytes({0x07, 0xD2, 0xFF, 0xFF}));
    EXPECT_EQ(bounds.low[2], 5);
    EXPECT_NE(bounds.low[3], 0xFF);
    // A low bound from an earlier condition is kept as it is; the high
    // bound made now is widened.
    Bounds later;
    Bytes earlier = {0x07, 0xD0, 3, 3};
    later.low = static_cast<uint8_t*>(KvMemAlloc(4));
    std::memcpy(later.low, earlier.data(), 4);
    later.lowLength = 4;
    relation = KvREL_EQUAL;
    eval(nullptr, relation, value.data(), 2, 1, &later);
    EXPECT_EQ(Key(later.low, later.lowLength), earlier);
    ASSERT_NE(later.high, nullptr);
    EXPECT_EQ(later.high[2], 5);
    EXPECT_NE(later.high[3], 0xFF);
  }
}

// A stored date in format 2.
Bytes DateBytes(uint16_t year, uint8_t month, uint8_t day) {
  return {static_cast<uint8_t>(year >> 8), static_cast<uint8_t>(year), month, day};
}

// Every stored date that a wildcard value matches lies within the bounds
// the evaluator gives for it, under the type's compare function, whether
// the bounds are read as exact values or, as a second operand, with their
// wildcards honoured.
void ExpectBoundsContainMatches(KvEvalFunc eval, KvTypeCmpFunc compare, const Bytes& wildcard,
                                const std::vector<Bytes>& dates) {
  SCOPED_TRACE(testing::Message() << "wildcard " << int(wildcard[0]) << " " << int(wildcard[1])
                                  << " " << int(wildcard[2]) << " " << int(wildcard[3]));
  for (uint8_t format : {uint8_t{2}, uint8_t{1}}) {
    auto inFormat = [format](Bytes b) {
      if (format == 1) std::swap(b[0], b[1]);
      return b;
    };
    Bytes value = inFormat(wildcard);
    Bounds bounds;
    unsigned short relation = KvREL_EQUAL;
    eval(nullptr, relation, value.data(), format, 1, &bounds);
    ASSERT_EQ(bounds.lowLength, 4);
    ASSERT_EQ(bounds.highLength, 4);
    int status = 0;
    EXPECT_LE(compare(format, 0, bounds.low, 0, bounds.high, KvCMP_EXACT, 1, status), 0);
    int matches = 0;
    for (const Bytes& d : dates) {
      Bytes date = inFormat(d);
      if (compare(format, 0, date.data(), 0, value.data(), 0, 1, status) != 0) continue;
      ++matches;
      SCOPED_TRACE(testing::Message() << "date " << int(d[0]) << " " << int(d[1]) << " "
                                      << int(d[2]) << " " << int(d[3]));
      EXPECT_LE(compare(format, 0, bounds.low, 0, date.data(), KvCMP_EXACT, 1, status), 0);
      EXPECT_LE(compare(format, 0, date.data(), 0, bounds.high, KvCMP_EXACT, 1, status), 0);
      EXPECT_GE(compare(format, 0, date.data(), 0, bounds.low, 0, 1, status), 0);
      EXPECT_LE(compare(format, 0, date.data(), 0, bounds.high, 0, 1, status), 0);
    }
    EXPECT_GT(matches, 0);
  }
}

TEST(DateTimeEvaluate, ODMGDateBoundsHoldEveryMatchingDate) {
  // Years around the unsigned order's ends and the signed one's middle;
  // months and days over the signed bytes' ends.
  const uint16_t years[] = {0x0000, 0x0001, 2001, 0x7FFF, 0x8000, 0xFFFB, 0xFFFE, 0xFFFF};
  const uint8_t fields[] = {0x80, 0xFE, 0x00, 1, 5, 7, 12, 31, 0x7F};
  std::vector<Bytes> dates;
  for (uint16_t y : years)
    for (uint8_t m : fields)
      for (uint8_t d : fields) dates.push_back(DateBytes(y, m, d));
  const Bytes wildcards[] = {
      DateBytes(0xFFFF, 5, 7),    DateBytes(0xFFFF, 0xFF, 0xFF), DateBytes(0xFFFF, 0xFF, 7),
      DateBytes(0xFFFF, 5, 0xFF), DateBytes(2001, 0xFF, 0xFF),   DateBytes(2001, 0xFF, 7),
      DateBytes(2001, 5, 0xFF),   DateBytes(0xFFFB, 0xFF, 0xFF), DateBytes(0x8000, 0x80, 0xFF),
  };
  for (const Bytes& w : wildcards) ExpectBoundsContainMatches(KvEvald_Date, d_DateCompare, w, dates);
}

TEST(DateTimeEvaluate, NativeDateBoundsHoldEveryMatchingValidDate) {
  const int16_t years[] = {-32768, -5000, -4713, -1, 0, 1900, 2000, 2001, 32766, 32767};
  const int8_t months[] = {1, 2, 5, 12};
  const int8_t days[] = {1, 7, 28, 29, 30, 31};
  std::vector<Bytes> dates;
  for (int16_t y : years)
    for (int8_t m : months)
      for (int8_t d : days)
        if (KvDate(y, m, d).IsDate())
          dates.push_back(DateBytes(static_cast<uint16_t>(y), static_cast<uint8_t>(m),
                                    static_cast<uint8_t>(d)));
  const Bytes wildcards[] = {
      DateBytes(0xFFFF, 5, 7),    DateBytes(0xFFFF, 0xFF, 0xFF), DateBytes(0xFFFF, 2, 0xFF),
      DateBytes(0xFFFF, 0xFF, 31), DateBytes(2000, 0xFF, 0xFF),  DateBytes(2000, 2, 0xFF),
      DateBytes(2001, 0xFF, 7),   DateBytes(0xEC78, 0xFF, 0xFF),  // -5000
  };
  for (const Bytes& w : wildcards) ExpectBoundsContainMatches(KvEvalDate, DateCompare, w, dates);
}

TEST(DateTimeEvaluate, EstimatesStayWithinZeroAndOne) {
  struct Row {
    const char* what;
    KvEvalFunc eval;
    uint8_t format;
    Bytes value;
    Bytes lo, hi;  // both empty: no range
    unsigned short relation;
    double estimate;
  };
  const Row rows[] = {
      // Without a range the formulas count from position 0: less of a
      // positive position is everything, never the position itself.
      {"d_Time less, no range", KvEvald_Time, 2, {0, 0, 12, 0, 0, 0}, {}, {}, kLess, 1.0},
      {"d_Time greater, no range", KvEvald_Time, 2, {0, 0, 12, 0, 0, 0}, {}, {}, kGreater, 0.0},
      {"d_Time equal, no range", KvEvald_Time, 2, {0, 0, 12, 0, 0, 0}, {}, {}, kEq, 1.0},
      {"d_Timestamp less, no range", KvEvald_Timestamp, 1, {0xD1, 0x07, 5, 7, 0, 0, 10, 30, 0, 0},
       {}, {}, kLess, 1.0},
      {"d_Date less, no range", KvEvald_Date, 2, {0x07, 0xD1, 5, 7}, {}, {}, kLess, 1.0},
      {"d_Date any day, less, no range", KvEvald_Date, 2, {0x07, 0xD1, 5, 0xFF}, {}, {}, kLess, 1.0},
      {"KvTime less, no range", KvEvalTime, 2, {12, 0, 0}, {}, {}, kLess, 1.0},
      {"KvTime equal, no range", KvEvalTime, 2, {12, 0, 0}, {}, {}, kEq, 0.0},
      {"KvTime midnight equal, no range", KvEvalTime, 2, {0, 0, 0}, {}, {}, kEq, 1.0},
      {"KvDate less, no range", KvEvalDate, 2, {0x07, 0xD1, 5, 7}, {}, {}, kLess, 1.0},
      {"KvDateTime not equal, no range", KvEvalDateTime, 2, {0x07, 0xD1, 5, 7, 1, 2, 3}, {}, {},
       kNotEqual, 1.0},
      // A value beyond the range.
      {"d_Time less, above the range", KvEvald_Time, 2, {0, 0, 23, 0, 0, 0},
       {0, 0, 1, 0, 0, 0}, {0, 0, 2, 0, 0, 0}, kLess, 1.0},
      {"d_Date greater, below the range", KvEvald_Date, 2, {0x07, 0xD0, 5, 7},
       {0x07, 0xD1, 1, 1}, {0x07, 0xD1, 12, 31}, kGreater, 1.0},
      {"d_Timestamp not equal, below the range", KvEvald_Timestamp, 2,
       {0x07, 0xD0, 5, 7, 0, 0, 10, 30, 0, 0}, {0x07, 0xD1, 5, 7, 0, 0, 10, 0, 0, 0},
       {0x07, 0xD1, 5, 7, 0, 0, 10, 59, 0, 0}, kNotEqual, 3540.0 / 3541},
      // The index orders stored times by unsigned bytes and d_Date years
      // unsigned, so its high key can measure below its low one; such a
      // range is measured as none.
      {"KvTime range ending at hour 0xC8", KvEvalTime, 1, {12, 0, 0}, {0x10, 0, 0},
       {0xC8, 0, 0}, kLess, 1.0},
      {"KvTime range ending at hour 0xC8, greater", KvEvalTime, 1, {12, 0, 0}, {0x10, 0, 0},
       {0xC8, 0, 0}, kGreater, 0.0},
      {"d_Date range ending at year -5", KvEvald_Date, 2, {0x07, 0xD1, 5, 7},
       {0x07, 0xD1, 1, 1}, {0xFF, 0xFB, 1, 1}, kLess, 1.0},
      {"d_Time range with zones", KvEvald_Time, 2, {0, 0, 12, 0, 0, 0},
       {0, 0, 20, 0, 0, 0}, {1, 0, 3, 0, 0, 0}, kEq, 1.0},
      // A range key shorter than one element is not read.
      {"KvDate range key cut", KvEvalDate, 2, {0x07, 0xD1, 5, 7}, {0x07, 0xD1, 1},
       {0x07, 0xD1, 12, 31}, kLess, 1.0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    Bytes value = r.value, lo = r.lo, hi = r.hi;
    KvIdxBounds range = RangeOf(lo, hi);
    unsigned short relation = r.relation;
    EXPECT_FLOAT_EQ(r.eval(lo.empty() ? nullptr : &range, relation, value.data(), r.format, 1,
                           nullptr),
                    static_cast<float>(r.estimate));
  }

  // Every relation over values and ranges at the ends of the fields.
  struct Type {
    KvEvalFunc eval;
    size_t size;
  };
  const Type types[] = {{KvEvalDate, 4}, {KvEvalTime, 3},   {KvEvalDateTime, 7},
                        {KvEvald_Date, 4}, {KvEvald_Time, 6}, {KvEvald_Timestamp, 10}};
  const uint8_t fills[] = {0x00, 0x01, 0x7F, 0x80, 0xFF};
  for (const Type& t : types) {
    for (uint8_t v : fills) {
      for (uint8_t a : fills) {
        for (uint8_t b : fills) {
          for (unsigned short relation = 0; relation <= 7; ++relation) {
            Bytes value(t.size, v), lo(t.size, a), hi(t.size, b);
            KvIdxBounds range = RangeOf(lo, hi);
            for (KvIdxBounds* given : {&range, static_cast<KvIdxBounds*>(nullptr)}) {
              unsigned short word = relation;
              const float e = t.eval(given, word, value.data(), 2, 1, nullptr);
              EXPECT_TRUE(e >= 0.0f && e <= 1.0f)
                  << "size " << t.size << " value " << int(v) << " range " << int(a) << ".."
                  << int(b) << " relation " << relation << ": " << e;
            }
          }
        }
      }
    }
  }
}

}  // namespace
