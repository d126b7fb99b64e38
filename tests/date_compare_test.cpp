// The compare and evaluate functions of the date and time rows: stored
// field orders in both byte orders, date wildcards (a run's walk going on
// past one), and the index bounds and estimates, with date wildcards
// widening the bounds. The walk over short buffers is the identifiers'
// (scalar_rows_test.cpp), whose compare rows share its template.
#include <algorithm>
#include <cmath>

#include <gtest/gtest.h>

#include "test_util.h"

namespace {

constexpr unsigned short kExact = KvCMP_EXACT, kEq = KvREL_EQUAL, kLess = KvREL_LESS, kGreater = KvREL_GREATER,
                         kNe = KvREL_LESS | KvREL_GREATER, kOpen = KvCMP_INCOMPLETE;
constexpr KvTypeCmpFunc kDate = DateCompare, kTime = TimeCompare, kDaTime = DaTimeCompare, kODate = d_DateCompare,
                        kOTime = d_TimeCompare, kStamp = d_TimestampCompare;

// Bytes from hex pairs, spaces ignored. The rows give stored values most
// significant byte first (format 2); a value with a year (all but the
// times) has its year's bytes swapped for format 1.
Bytes Hex(const char* s, uint8_t format = 2, bool year = false) {
  Bytes out = ::Hex(s);
  if (format == 1 && year && out.size() >= 2) std::swap(out[0], out[1]);
  return out;
}

bool Near(double a, double b) { return std::abs(a - b) < 1e-6; }

TEST(DateCompare, StoredFieldOrdersAndWildcards) {
  const struct { KvTypeCmpFunc compare; const char *a, *b; unsigned short op; long expected; } rows[] = {
      // KvDate: the year signed, month and day signed bytes. d_Date: the
      // year unsigned. KvTime: unsigned bytes. KvDateTime: the year signed,
      // five signed bytes. d_Time: six signed bytes, the zone first.
      // d_Timestamp: the d_Date, then the d_Time.
      {kDate, "07D10507", "FFFB0507", 0, 1},  {kDate, "07D18001", "07D10101", 0, -1}, {kDate, "07D10508", "07D10507", 0, 1},
      {kODate, "FFFB0101", "07D10101", 0, 1}, {kTime, "C80000", "100000", 0, 1},     {kTime, "010203", "0102F0", 0, -1},
      {kOTime, "010000000000", "0000173B3B63", 0, 1},                 {kOTime, "00000A000080", "00000A000001", 0, -1},
      {kDaTime, "07D10101000000", "07D00C1F173B3B", 0, 1},            {kDaTime, "07D10101000000", "FFFF0101000000", 0, 1},  // no wildcard
      {kDaTime, "07D10101C80000", "07D10101100000", 0, -1},           {kDaTime, "07D101010A0002", "07D101010A0001", 0, 1},
      {kStamp, "FFFB0101000000000000", "07D10101000017000000", 0, 1}, {kStamp, "07D101010000C8000000", "07D10101000010000000", 0, -1},
      {kStamp, "07D10101000009000002", "07D10101000009000001", 0, 1},
      // Operand 2's date fields of all ones are wildcards unless the
      // operator is exact (2001-05-07 against them); operand 1's never are.
      // Exact, d_Date reads the wildcard year as the highest.
      {kDate, "07D10507", "FFFF0507", 0, 0},  {kDate, "07D10507", "FFFF0507", kExact, 1}, {kDate, "07D10507", "FFFF0508", 0, -1},
      {kDate, "07D10507", "07D1FFFF", 0, 0},  {kDate, "07D10507", "07D1FFFF", kExact, 1}, {kDate, "07D10507", "07D2FFFF", 0, -1},
      {kDate, "07D10507", "07D1FF09", 0, -1}, {kDate, "07D10507", "07D103FF", 0, 1},      {kDate, "80008080", "FFFFFFFF", 0, 0},
      {kDate, "FFFF0507", "07D10507", 0, -1}, {kODate, "07D10507", "FFFF0507", 0, 0},     {kODate, "07D10507", "FFFF0507", kExact, -1},
      {kStamp, "07D1050700000A000000", "FFFF050700000A000000", 0, 0}, {kStamp, "07D1050700000A000000", "FFFF050700000A000000", kExact, -1},
      {kStamp, "07D1050700000A000000", "07D1FFFF00000B000000", 0, -1}};
  for (const auto& r : rows) {
    const bool year = r.compare != kTime && r.compare != kOTime;
    for (const uint8_t format : {2, 1, 3}) {  // format codes other than 2 read least significant byte first
      Bytes a = Hex(r.a, format == 2 ? 2 : 1, year), b = Hex(r.b, format == 2 ? 2 : 1, year);
      int status = 99;
      EXPECT_TRUE(r.compare(format, 0, a.data(), 0, b.data(), r.op, 1, status) == r.expected && status == 0)
          << r.a << " " << r.b << " " << r.op << " format " << int{format};
    }
  }
  int status = 99;
  // A wildcard element compares equal and the walk goes on to the next,
  // unless exact; one that matches, with the next one missing, leaves it open.
  Bytes a = Hex("07D10507 07D20101"), b = Hex("FFFF0507 07D20102");
  EXPECT_EQ(kDate(2, 0, a.data(), 0, b.data(), 0, 2, status) * 10 + kODate(2, 0, a.data(), 0, b.data(), 0, 2, status), -11);
  EXPECT_EQ(kDate(2, 0, a.data(), 0, b.data(), kExact, 2, status) * 10 + kODate(2, 0, a.data(), 0, b.data(), kExact, 2, status), 9);
  EXPECT_TRUE(kDate(2, 8, a.data(), 4, b.data(), 0, 2, status) == 0 && status == kOpen);
}

// ---- Evaluation ----

constexpr KvEvalFunc kEvalDate = KvEvalDate, kEvalTime = KvEvalTime, kEvalDaTime = KvEvalDateTime, kEvalODate = KvEvald_Date,
                     kEvalOTime = KvEvald_Time, kEvalStamp = KvEvald_Timestamp;

float Estimate(KvEvalFunc eval, const char* value, const char* lo, const char* hi, unsigned short relation,
               uint8_t format = 2, KvIdxBounds* bounds = nullptr, unsigned short* word = nullptr) {
  const bool year = eval != kEvalTime && eval != kEvalOTime;
  Bytes v = Hex(value, format, year), l = Hex(lo, format, year), h = Hex(hi, format, year);
  KvIdxBounds range = {l.data(), h.data(), static_cast<uint8_t>(l.size()), static_cast<uint8_t>(h.size())};
  unsigned short local = relation;
  const float e = eval(l.empty() ? nullptr : &range, word != nullptr ? *word : local, v.data(), format, 1, bounds);
  EXPECT_EQ(v, Hex(value, format, year)) << "the value itself is not written";
  return e;
}

TEST(DateEvaluate, EstimatesAndBounds) {
  const struct { KvEvalFunc eval; const char *value, *lo, *hi; unsigned short relation; double estimate; } rows[] = {
      // KvTime: seconds of the day; KvDateTime: minutes, the seconds taking
      // no part (midnight lies 60 minutes after 23:00); KvDate: day numbers,
      // 7 May being day 127 of 365. These cover the range's positions.
      {kEvalTime, "0C0000", "000000", "173B3B", kLess, 0.5}, {kEvalTime, "0C0000", "000000", "173B3B", kNe, 86399.0 / 86400},
      {kEvalDaTime, "07D105070C1E11", "07D105070C003B", "07D105070C3B00", kGreater, 29.0 / 60},
      {kEvalDaTime, "07D10508000000", "07D10507170000", "07D10508003B00", kLess, 0.5},
      {kEvalDate, "07D10507", "07D10101", "07D10C1F", kLess, 126.0 / 365},
      // d_Time: held hour, minute and second (zone and hundredths take no
      // part); d_Timestamp: seconds in whole minutes; d_Date: 31 positions a
      // month. These count positions by the relation.
      {kEvalOTime, "051E0C000032", "000000000000", "0000173B3B00", kLess, 0.5},
      {kEvalOTime, "00000C000000", "000000000000", "0000173B3B00", kGreater, 43199.0 / 86400},
      {kEvalStamp, "07D1050700000A1E3B63", "07D1050700000A000000", "07D1050700000A3B0000", kLess, 1800.0 / 3541},
      {kEvalODate, "07D10507", "07D10101", "07D10C1F", kGreater, 241.0 / 372}, {kEvalODate, "07D10507", "07D10101", "07D10C1F", kEq, 1.0 / 372},
      // Estimates stay within [0, 1]. Without a range the formulas count from
      // position 0; a value beyond the range; a range whose high key measures
      // below its low one (the index orders stored times and d_Date years
      // unsigned) is measured as none, and so is a key cut within an element.
      {kEvalOTime, "00000C000000", "", "", kLess, 1.0},  {kEvalOTime, "00000C000000", "", "", kGreater, 0.0},
      {kEvalTime, "0C0000", "", "", kEq, 0.0},          {kEvalTime, "000000", "", "", kEq, 1.0},
      {kEvalODate, "07D00507", "07D10101", "07D10C1F", kGreater, 1.0}, {kEvalTime, "0C0000", "100000", "C80000", kLess, 1.0},
      {kEvalODate, "07D10507", "07D10101", "FFFB0101", kLess, 1.0},    {kEvalDate, "07D10507", "07D101", "07D10C1F", kLess, 1.0}};
  for (const auto& r : rows) {
    for (const uint8_t format : {2, 1}) {
      // The bounds are the value's bytes (of every element): low unless less,
      // high unless greater; count 0 reads no value at all. Operator bits in
      // the word are cleared, the rest kept.
      const Bytes value = Hex(r.value, format, r.eval != kEvalTime && r.eval != kEvalOTime);
      Bytes two = value;
      two.insert(two.end(), value.begin(), value.end());
      Bounds bounds, both, none;
      unsigned short word = r.relation | 0x7FF0 | KvREL_KEEP, zero = r.relation;
      const float e = Estimate(r.eval, r.value, r.lo, r.hi, r.relation, format, &bounds, &word);
      r.eval(nullptr, zero, two.data(), format, 2, &both);
      EXPECT_TRUE(Near(e, r.estimate) && Near(Estimate(r.eval, r.value, r.lo, r.hi, r.relation, format), r.estimate) &&
                  word == (r.relation | KvREL_KEEP) && bounds.Low() == (r.relation & kLess ? Bytes() : value) &&
                  bounds.High() == (r.relation & kGreater ? Bytes() : value) && both.Low() == (r.relation & kLess ? Bytes() : two) &&
                  r.eval(nullptr, zero, nullptr, format, 0, &none) == 0.0f && none.lowLength == 0 && none.highLength == 0)
          << r.value << " relation " << r.relation << " format " << int{format} << ": " << e;
    }
  }
}

TEST(DateEvaluate, DateWildcardsWidenTheBounds) {
  // Over the range 2001-01-01 to 2001-12-31; expected bounds empty for none.
  const struct { KvEvalFunc eval; const char* value; unsigned short relation; const char *low, *high; double estimate; } rows[] = {
      // KvDate: the first and last valid dates the value matches; a wildcard
      // year spans every signed 16-bit year (32767 is no leap year).
      {kEvalDate, "07D1FFFF", kEq, "07D10101", "07D10C1F", 1.0},   {kEvalDate, "07D105FF", kEq, "07D10501", "07D1051F", 31.0 / 365},
      {kEvalDate, "07D105FF", kLess, "", "07D1051F", 120.0 / 365}, {kEvalDate, "07D105FF", kGreater, "07D10501", "", 214.0 / 365},
      {kEvalDate, "07D002FF", kEq, "07D00201", "07D0021D", 0.0},   {kEvalDate, "076C02FF", kEq, "076C0201", "076C021C", 0.0},
      {kEvalDate, "07D1FF07", kEq, "07D10107", "07D10C07", 335.0 / 365}, {kEvalDate, "FFFF0507", kEq, "80000507", "7FFF0507", 1.0},
      {kEvalDate, "FFFFFFFF", kEq, "80000101", "7FFF0C1F", 1.0},   {kEvalDate, "FFFF02FF", kEq, "80000201", "7FFF021C", 1.0},
      // d_Date: months and days over every signed byte, the value measured
      // at month 12 or day 31; a wildcard year takes every key and is
      // estimated 1 whatever the relation.
      {kEvalODate, "07D1FFFF", kEq, "07D18080", "07D17F7F", 1.0 / 372}, {kEvalODate, "07D1FF07", kLess, "", "07D17F07", 347.0 / 372},
      {kEvalODate, "07D105FF", kLess, "", "07D1057F", 154.0 / 372},     {kEvalODate, "07D105FF", kGreater, "07D10580", "", 217.0 / 372},
      {kEvalODate, "FFFF0507", kEq, "00008080", "FFFF7F7F", 1.0},       {kEvalODate, "FFFFFFFF", kLess, "", "FFFF7F7F", 1.0},
      {kEvalODate, "FFFF01FF", kGreater, "00008080", "", 1.0},     {kEvalODate, "800080FF", kEq, "80008080", "8000807F", 1.0 / 372},
      {kEvalDate, "EC78FFFF", kEq, "EC780101", "EC780C1F", 0.0},  // year -5000
  };
  for (const auto& r : rows) {
    for (const uint8_t format : {2, 1}) {
      Bounds bounds;
      unsigned short word = r.relation | KvCMP_EXACT, plain = r.relation;  // operator bits are cleared, never read
      const float e = Estimate(r.eval, r.value, "07D10101", "07D10C1F", 0, format, &bounds, &word);
      EXPECT_TRUE(Near(e, r.estimate) && Near(Estimate(r.eval, r.value, "07D10101", "07D10C1F", 0, format, nullptr, &plain), r.estimate) &&
                  word == (r.relation | KvREL_WIDENED) && plain == word && bounds.Low() == Hex(r.low, format, true) &&
                  bounds.High() == Hex(r.high, format, true)) << r.value << " relation " << r.relation << " format " << int{format} << ": " << e;
    }
  }
  for (KvEvalFunc eval : {kEvalDate, kEvalODate}) {
    // Of two elements only the first is widened; a bound from an earlier
    // condition is kept as it is, one made now is widened.
    Bytes value = Hex("07D105FF 07D2FFFF");
    Bounds bounds, later;
    unsigned short relation = KvREL_EQUAL;
    eval(nullptr, relation, value.data(), 2, 2, &bounds);
    ASSERT_EQ(bounds.lowLength, 8);
    EXPECT_TRUE(Bytes(bounds.low + 4, bounds.low + 8) == Hex("07D2FFFF") && bounds.low[2] == 5 && bounds.low[3] != 0xFF);
    later.low = static_cast<uint8_t*>(KvMemAlloc(4));
    std::memcpy(later.low, Hex("07D00303").data(), 4);
    later.lowLength = 4;
    eval(nullptr, relation, value.data(), 2, 1, &later);
    ASSERT_NE(later.high, nullptr);
    EXPECT_TRUE(later.Low() == Hex("07D00303") && later.high[2] == 5 && later.high[3] != 0xFF);
  }
}

}  // namespace
