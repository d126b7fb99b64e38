// Facts about strings in an index: keys sort as their texts collate, and
// the bounds of a condition hold exactly the keys that match it.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "kvtm/kvtm.h"
#include "test_util.h"

namespace {

// Windows-1252 words: accents in several places, both cases, ß and æ
// (expansions), ch and ll, words that are prefixes of others.
const char* const kWords[] = {
    "a", "A", "ab", "abc", "Abc", "abcd", "abd", "ae", "\xE6", "\xC6" "bler", "aether",
    "\xE6" "ther", "b", "ba", "Ba", "cote", "Cote", "c\xF4te", "cot\xE9", "c\xF4t\xE9", "COTE",
    "coter", "cotes", "c\xF4tes", "cotelette", "chico", "cuna", "calle", "cz", "ch",
    "strasse", "stra\xDF" "e", "Strasse", "STRASSE", "strassen", "stra\xDF" "en", "strasst",
    "ss", "\xDF", "s", "st", "\xE9t\xE9", "ete", "\xC9t\xE9", "etes", "\xE9tude", "m\xFCller",
    "mueller", "muller", "M\xFCller", "Mueller", "zebra", "z\xE8" "bre", "Zoo", "zoo", "z",
    "\xE5", "aa", "x", "xx", "xxx", "y", "\xFF", "\x9F", "na\xEFve", "naive", "NA\xCFVE",
    "r\xE9sum\xE9", "resume", "R\xC9SUM\xC9", "resumes", "\x9C" "uvre", "oeuvre", "OEUVRE",
};

struct Key {
  std::string word;
  KvString value;
  Bytes key;
};

KvString InCodeSet(const char* word, uint8_t cs) {
  KvString s(cs, 1);
  s += KvString(word);
  return s;
}

Bytes KeyOf(KvTypeMgr& mgr, KvString& value, uint8_t format) {
  Bytes target(600, 0);
  const uint32_t n = mgr.Translate(KvTYPE_STRING, target.data(), format | 0x80, 600, &value, 8, 0, 1);
  target.resize(n);
  return target;
}

Bytes StoredOf(KvTypeMgr& mgr, KvString& value, uint8_t format) {
  Bytes stored(mgr.DiskLenGet(KvTYPE_STRING, &value, format, 1, 8));
  mgr.Store(KvTYPE_STRING, stored.data(), &value, format, 1);
  return stored;
}

long CompareKeys(const Bytes& a, const Bytes& b, uint8_t format, uint16_t op) {
  int status = 0;
  const long r = StringCompare(format, a.size(), const_cast<uint8_t*>(a.data()), b.size(),
                               const_cast<uint8_t*>(b.data()), op, 1, status);
  EXPECT_EQ(status, 0);
  return r < 0 ? -1 : r > 0 ? 1 : 0;
}

class StringIndex : public testing::TestWithParam<std::pair<uint8_t, uint8_t>> {
 protected:
  void SetUp() override {
    ___KvI18NContext(1);
    KvString::SetDefaultCmpOp(0x0010);
    for (const char* w : kWords) {
      Key k{w, InCodeSet(w, CodeSet()), {}};
      k.key = KeyOf(mgr_, k.value, Format());
      keys_.push_back(k);
    }
  }
  uint8_t CodeSet() const { return GetParam().first; }
  uint8_t Format() const { return GetParam().second; }

  KvTypeMgr mgr_;
  std::vector<Key> keys_;
};

TEST_P(StringIndex, KeysSortAsTheirTextsCollate) {
  for (const Key& a : keys_) {
    for (const Key& b : keys_) {
      SCOPED_TRACE(a.word + " / " + b.word);
      const long text = a.value.Compare(b.value, -1, 0x0010);
      ASSERT_EQ(CompareKeys(a.key, b.key, Format(), 0x0010), text < 0 ? -1 : text > 0 ? 1 : 0);
    }
  }
}

// For each condition, the words whose keys lie within the bounds are
// exactly the words that match the condition.
TEST_P(StringIndex, BoundsHoldExactlyTheMatchingKeys) {
  struct Condition {
    const char* value;
    uint16_t op;  // ignoring case and accents, so that a range can be exact
  };
  const Condition conditions[] = {
      {"cote", 0x0060},      {"cote*", 0x0060},     {"cot*", 0x0060},   {"strasse", 0x0060},
      {"stra\xDF*", 0x0060}, {"strass*", 0x0060},   {"\xE6*", 0x0060},  {"ae*", 0x0060},
      {"\xE6", 0x0060},      {"ab*", 0x0060},       {"a*", 0x0060},     {"\xE9t\xE9", 0x0060},
      {"mu*", 0x0060},       {"m\xFC*", 0x0060},    {"z*", 0x0060},     {"xx", 0x0060},
      {"resum*", 0x0060},    {"\x9C*", 0x0060},     {"C\xD4TE", 0x0060}, {"s*", 0x0060},
  };
  for (const Condition& c : conditions) {
    SCOPED_TRACE(c.value);
    KvString condition = InCodeSet(c.value, CodeSet());
    Bytes value = StoredOf(mgr_, condition, Format());
    const Bytes before = value;
    unsigned short relation = static_cast<unsigned short>(KvREL_EQUAL | c.op);
    KvIdxBounds bounds = {nullptr, nullptr, 0, 0};
    mgr_.EvalAndBound(KvTYPE_STRING, nullptr, relation, value.data(), Format(), 1, &bounds);
    EXPECT_EQ(value, before);  // the caller's value is left as it was
    ASSERT_NE(bounds.low, nullptr);
    ASSERT_NE(bounds.high, nullptr);
    const Bytes low(bounds.low, bounds.low + bounds.lowLength);
    const Bytes high(bounds.high, bounds.high + bounds.highLength);
    EXPECT_EQ(relation & 0x8FFF, std::strchr(c.value, '*') ? 0x0009 : 0x0001);
    for (const Key& k : keys_) {
      SCOPED_TRACE(k.word);
      const bool inside = CompareKeys(k.key, low, Format(), 0x0010) >= 0 &&
                          CompareKeys(k.key, high, Format(), 0x0010) <= 0;
      const bool matches = k.value.Compare(condition, -1, c.op) == 0;
      EXPECT_EQ(inside, matches);
    }
    KvMemFree(bounds.low);
    KvMemFree(bounds.high);
  }
}

INSTANTIATE_TEST_SUITE_P(CodeSetsAndFormats, StringIndex,
                         testing::Values(std::make_pair(uint8_t{1}, uint8_t{1}),
                                         std::make_pair(uint8_t{1}, uint8_t{2}),
                                         std::make_pair(uint8_t{253}, uint8_t{1}),
                                         std::make_pair(uint8_t{253}, uint8_t{2})));

}  // namespace

namespace {

class StringBounds : public testing::Test {
 protected:
  void SetUp() override { ___KvI18NContext(1); }
  ~StringBounds() override { ClearBounds(); }
  void ClearBounds() {
    KvMemFree(bounds_.low);
    KvMemFree(bounds_.high);
    bounds_ = {nullptr, nullptr, 0, 0};
  }
  float Evaluate(const char* text, unsigned short relation, uint8_t format = 2,
                 KvIdxBounds* range = nullptr) {
    KvString value = InCodeSet(text, 1);
    value_ = StoredOf(mgr_, value, format);
    relation_ = relation;
    return mgr_.EvalAndBound(KvTYPE_STRING, range, relation_, value_.data(), format, 1, &bounds_);
  }
  Bytes Low() const { return bounds_.low ? Bytes(bounds_.low, bounds_.low + bounds_.lowLength) : Bytes(); }
  Bytes High() const { return bounds_.high ? Bytes(bounds_.high, bounds_.high + bounds_.highLength) : Bytes(); }

  KvTypeMgr mgr_;
  Bytes value_;
  unsigned short relation_ = 0;
  KvIdxBounds bounds_ = {nullptr, nullptr, 0, 0};
};

TEST_F(StringBounds, KeysOfPatternsAndMasks) {
  struct Row {
    const char* what;
    const char* value;
    unsigned short relation;
    Bytes low;
    Bytes high;
    unsigned short after;  // the relation word written back
  };
  const Row rows[] = {
      {"abc* equal", "abc*", KvREL_EQUAL, {0, 10, 254, 1, 0x50, 0x0C, 0x50, 0x10, 0x50, 0x14, 0, 0xFF},
       {0, 12, 254, 1, 0x50, 0x0C, 0x50, 0x10, 0x50, 0x14, 0xFF, 0xFE, 0, 0xFF}, 0x0009},
      {"exact: the star is text", "ab*", KvREL_EQUAL | 0x0010,
       {0, 10, 254, 1, 0x50, 0x0C, 0x50, 0x10, 0x00, 0x9F, 0, 0xFF},
       {0, 10, 254, 1, 0x50, 0x0C, 0x50, 0x10, 0x00, 0x9F, 0, 0xFF}, 0x0001},
      {"ignore case: lower bound lower case, upper upper case", "Ab", KvREL_EQUAL | 0x0020,
       {0, 8, 254, 1, 0x70, 0x0C, 0x70, 0x10, 0, 0xFF}, {0, 8, 254, 1, 0x40, 0x0C, 0x40, 0x10, 0, 0xFF}, 0x0001},
      {"ignore accents", "\xE9", KvREL_EQUAL | 0x0040, {0, 6, 254, 1, 0x50, 0x1C, 0, 0xFF},
       {0, 6, 254, 1, 0x5F, 0x9C, 0, 0xFF}, 0x0001},
      {"less: only the upper bound", "b", KvREL_LESS, {}, {0, 6, 254, 1, 0x50, 0x10, 0, 0xFF}, 0x0002},
      {"greater: only the lower bound", "b", KvREL_GREATER | KvREL_KEEP, {0, 6, 254, 1, 0x50, 0x10, 0, 0xFF}, {},
       0x8004},
      {"a leading star: no bound", "*b", KvREL_EQUAL, {}, {}, 0x0009},
      {"ß expands in the key", "\xDF*", KvREL_EQUAL, {0, 8, 254, 1, 0x57, 0xD4, 0x57, 0xD4, 0, 0xFF},
       {0, 10, 254, 1, 0x57, 0xD4, 0x57, 0xD4, 0xFF, 0xFE, 0, 0xFF}, 0x0009},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    ClearBounds();
    Evaluate(r.value, r.relation);
    EXPECT_EQ(Low(), r.low);
    EXPECT_EQ(High(), r.high);
    EXPECT_EQ(relation_, r.after);
  }
}

TEST_F(StringBounds, MasksApplyInTheKeysByteOrder) {
  Evaluate("Ab", KvREL_EQUAL | 0x0020, 1);
  EXPECT_EQ(Low(), (Bytes{8, 0, 254, 1, 0x0C, 0x70, 0x10, 0x70, 0, 0xFF}));
  EXPECT_EQ(High(), (Bytes{8, 0, 254, 1, 0x0C, 0x40, 0x10, 0x40, 0, 0xFF}));
}

TEST_F(StringBounds, LongKeysAreCutTo254BytesAndReported) {
  static int reports = 0;
  reports = 0;
  KvAssertHandler previous = KvSetAssertHandler([](const char* e, const char*, int) {
    if (std::string(e) == "actualLen <= KvINDEX_MAX_KEYLEN") ++reports;
  });
  const std::string long150(150, 'q');  // 4 + 300 + 2 bytes of key
  Evaluate(long150.c_str(), KvREL_EQUAL);
  EXPECT_EQ(bounds_.lowLength, 254);
  EXPECT_EQ(bounds_.highLength, 254);
  // A cut key claims two bytes more than it holds and has no end.
  EXPECT_EQ(Low()[0] << 8 | Low()[1], 254);
  EXPECT_EQ(High()[252], 0xFF);  // the cut upper bound ends in the largest element
  EXPECT_EQ(High()[253], 0xFE);
  EXPECT_EQ(reports, 2);
  // 125 characters still fit: 4 + 250 bytes, no end... 124 fit with it.
  reports = 0;
  ClearBounds();
  Evaluate(std::string(124, 'q').c_str(), KvREL_EQUAL);
  EXPECT_EQ(bounds_.lowLength, 254);
  EXPECT_EQ(Low()[253], 0xFF);
  EXPECT_EQ(reports, 0);
  // A leading star sets nothing and reports nothing.
  ClearBounds();
  Evaluate(("*" + long150).c_str(), KvREL_EQUAL);
  EXPECT_EQ(bounds_.low, nullptr);
  EXPECT_EQ(reports, 0);
  KvSetAssertHandler(previous);
}

TEST_F(StringBounds, ExistingBoundsStay) {
  Evaluate("m", KvREL_GREATER | KvREL_EQUAL);
  uint8_t* low = bounds_.low;
  ASSERT_NE(low, nullptr);
  EXPECT_EQ(bounds_.high, nullptr);
  Evaluate("p", KvREL_LESS);
  EXPECT_EQ(bounds_.low, low);
  EXPECT_EQ(High(), (Bytes{0, 6, 254, 1, 0x50, 0x48, 0, 0xFF}));
}

TEST_F(StringBounds, EstimatesOverRealRanges) {
  // Keys of real words as the index's smallest and largest.
  KvString lowWord = InCodeSet("abbey", 1);
  KvString highWord = InCodeSet("zoology", 1);
  Bytes lowKey = KeyOf(mgr_, lowWord, 2);
  Bytes highKey = KeyOf(mgr_, highWord, 2);
  const Bytes lowBefore = lowKey;
  const Bytes highBefore = highKey;
  KvIdxBounds range = {lowKey.data(), highKey.data(), static_cast<uint8_t>(lowKey.size()),
                       static_cast<uint8_t>(highKey.size())};
  struct Row {
    const char* value;
    unsigned short relation;
    float low, high;  // the estimate lies in [low, high]
  };
  const Row rows[] = {
      // Positions count letters in steps of four (the letter field's low
      // bits are the extension), and a pattern widens by one element: "m*"
      // covers one position of the hundred between a and z.
      {"m*", KvREL_EQUAL, 0.0099f, 0.0101f},
      {"m", KvREL_LESS, 0.47f, 0.48f},            // 48 of the 100 from a to m
      {"m", KvREL_GREATER, 0.52f, 0.53f},
      {"b", KvREL_LESS | KvREL_GREATER, 0.99f, 1.0f},
      {"*x", KvREL_EQUAL, 1.0f, 1.0f},            // a leading star: everything
      {"aa", KvREL_LESS, 0.0f, 0.0f},             // below the range
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.value);
    ClearBounds();
    const float estimate = Evaluate(r.value, r.relation, 2, &range);
    EXPECT_GE(estimate, r.low);
    EXPECT_LE(estimate, r.high);
  }
  // The range keys are left as they were.
  EXPECT_EQ(lowKey, lowBefore);
  EXPECT_EQ(highKey, highBefore);
  // Without a bounds record nothing is estimated.
  KvString value = InCodeSet("m", 1);
  Bytes stored = StoredOf(mgr_, value, 2);
  unsigned short relation = KvREL_LESS;
  EXPECT_EQ(mgr_.EvalAndBound(KvTYPE_STRING, &range, relation, stored.data(), 2, 1, nullptr), 0.0f);
}

TEST_F(StringBounds, KeysOfTextsWithoutACodeSetAreTheirBytes) {
  struct Row {
    const char* what;
    std::string value;
    uint8_t format;
    Bytes low, high;
  };
  const Row rows[] = {
      {"whole", "ab", 2, {0, 6, 0, 1, 'a', 'b', 0, 0xFF}, {0, 6, 0, 1, 'a', 'b', 0, 0xFF}},
      {"a pattern", "ab*", 1, {6, 0, 0, 1, 'a', 'b', 0, 0xFF},
       {7, 0, 0, 1, 'a', 'b', 0xFF, 0, 0xFF}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    ClearBounds();
    KvString value = InCodeSet(r.value.c_str(), 0);
    ASSERT_EQ(value.CodeSetGet(), 0);
    Bytes stored = StoredOf(mgr_, value, r.format);
    relation_ = KvREL_EQUAL;
    mgr_.EvalAndBound(KvTYPE_STRING, nullptr, relation_, stored.data(), r.format, 1, &bounds_);
    EXPECT_EQ(Low(), r.low);
    EXPECT_EQ(High(), r.high);
  }
  // A long pattern: the upper bound is cut to the longest key and still
  // ends in the largest byte.
  ClearBounds();
  const KvAssertHandler previous = KvSetAssertHandler([](const char*, const char*, int) {});
  KvString value = InCodeSet((std::string(300, 'q') + "*").c_str(), 0);
  Bytes stored = StoredOf(mgr_, value, 2);
  relation_ = KvREL_EQUAL;
  mgr_.EvalAndBound(KvTYPE_STRING, nullptr, relation_, stored.data(), 2, 1, &bounds_);
  KvSetAssertHandler(previous);
  ASSERT_EQ(bounds_.highLength, 254);
  EXPECT_EQ(High()[252], 'q');
  EXPECT_EQ(High()[253], 0xFF);
  EXPECT_EQ(Low()[253], 'q');
}

TEST_F(StringBounds, AMarkedKeyStandsForLongerText) {
  // The key of a text that went on beyond the tables' class: its orders
  // are a prefix, widened like a pattern.
  Bytes key = {0, 6, 254, 0x94, 0x4E, 0x2D, 0, 0xFF};
  relation_ = KvREL_EQUAL;
  mgr_.EvalAndBound(KvTYPE_STRING, nullptr, relation_, key.data(), 2, 1, &bounds_);
  EXPECT_EQ(relation_, KvREL_EQUAL | KvREL_WIDENED);
  // Order text keeps the class its key was made in; the bounds are not
  // marked.
  EXPECT_EQ(Low(), (Bytes{0, 6, 254, 20, 0x4E, 0x2D, 0, 0xFF}));
  EXPECT_EQ(High(), (Bytes{0, 8, 254, 20, 0x4E, 0x2D, 0xFF, 0xFE, 0, 0xFF}));
  // A marked key of class 1 is a whole text.
  ClearBounds();
  Bytes classOne = {0, 6, 254, 0x81, 0x50, 0x0C, 0, 0xFF};
  relation_ = KvREL_EQUAL;
  mgr_.EvalAndBound(KvTYPE_STRING, nullptr, relation_, classOne.data(), 2, 1, &bounds_);
  EXPECT_EQ(relation_, KvREL_EQUAL);
  EXPECT_EQ(High(), (Bytes{0, 6, 254, 1, 0x50, 0x0C, 0, 0xFF}));
}

TEST_F(StringBounds, EstimatesAtTheEdgesOfTheRange) {
  struct Row {
    const char* what;
    const char* lowWord;
    const char* highWord;
    const char* value;
    unsigned short relation;
    float low, high;  // the estimate lies in [low, high]
  };
  // One step of the position arithmetic is 2^20 of the 2^32 a letter
  // spans; a to z are a hundred letter numbers apart.
  const float oneStep = 1.0f / (100 * 4096);
  const Row rows[] = {
      {"a shared start is passed over: g is one of the 48 from d to p", "mad", "map", "mag*",
       KvREL_EQUAL, 1.0f / 48 - 0.0001f, 1.0f / 48 + 0.0001f},
      {"less than the smallest key: the collation finds it at the edge", "abbey", "zoology",
       "abbey", KvREL_LESS, 0.99f * oneStep, oneStep},
      {"greater than the largest key", "abbey", "zoology", "zoology", KvREL_GREATER,
       0.99f * oneStep, oneStep},
      {"below the range: nothing", "abbey", "zoology", "aardvark", KvREL_LESS, 0, 0},
      {"a range of one key the pattern covers", "ab", "ab", "ab*", KvREL_EQUAL, 1, 1},
      // A key shorter than the pattern may stand for text that matches it.
      {"a range of one shorter key", "ab", "ab", "abc*", KvREL_EQUAL, 1, 1},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    KvString lowWord = InCodeSet(r.lowWord, 1);
    KvString highWord = InCodeSet(r.highWord, 1);
    Bytes lowKey = KeyOf(mgr_, lowWord, 2);
    Bytes highKey = KeyOf(mgr_, highWord, 2);
    KvIdxBounds range = {lowKey.data(), highKey.data(), static_cast<uint8_t>(lowKey.size()),
                         static_cast<uint8_t>(highKey.size())};
    ClearBounds();
    const float estimate = Evaluate(r.value, r.relation, 2, &range);
    EXPECT_GE(estimate, r.low);
    EXPECT_LE(estimate, r.high);
  }
  // A range key too short for its header reads as an empty text, the
  // smallest there is.
  KvString lowWord = InCodeSet("abbey", 1);
  KvString highWord = InCodeSet("zoology", 1);
  Bytes lowKey = KeyOf(mgr_, lowWord, 2);
  Bytes highKey = KeyOf(mgr_, highWord, 2);
  KvIdxBounds shortLow = {lowKey.data(), highKey.data(), 3, static_cast<uint8_t>(highKey.size())};
  ClearBounds();
  const float estimate = Evaluate("m", KvREL_LESS, 2, &shortLow);
  EXPECT_GT(estimate, 0.47f);
  EXPECT_LT(estimate, 1.0f);
}

TEST_F(StringBounds, LegacyTableUsesThePlainForm) {
  KvTypeMgr legacy(3);
  KvString value("ab*");
  Bytes stored(16);
  const uint32_t n = legacy.Store(KvTYPE_STRING, stored.data(), &value, 2, 1);
  stored.resize(n);
  EXPECT_EQ(stored, (Bytes{0, 4, 'a', 'b', '*', 0}));
  unsigned short relation = KvREL_EQUAL;
  // Range keys in the plain form have a two-byte header.
  Bytes low = {0, 3, 'a', 'a', 0};
  Bytes high = {0, 3, 'z', 'z', 0};
  KvIdxBounds range = {low.data(), high.data(), 5, 5};
  const float estimate = legacy.EvalAndBound(KvTYPE_STRING, &range, relation, stored.data(), 2, 1, &bounds_);
  EXPECT_EQ(Low(), (Bytes{0, 3, 'a', 'b', 0}));
  EXPECT_EQ(High(), (Bytes{0, 4, 'a', 'b', 0xFF, 0}));
  EXPECT_EQ(relation, 0x0009);
  EXPECT_GT(estimate, 0.0f);
  EXPECT_LT(estimate, 0.05f);
}

}  // namespace
