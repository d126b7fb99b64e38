// Facts about collation: the levels, the operator bits, wildcards, the
// character limit and the byte path.
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "kvcollate.h"
#include "kvtm/kvtm.h"

namespace {

int Sign(long v) { return v < 0 ? -1 : v > 0 ? 1 : 0; }

// Compares two Windows-1252 texts (code set 1) under a language.
int Collate(const char* a, const char* b, uint16_t op, int32_t limit = -1, uint8_t language = 1,
            int* level = nullptr) {
  return Sign(KvCollate(KvCollateText{1, language, a}, KvCollateText{1, language, b}, op, limit, 1,
                        nullptr, level));
}

TEST(Collation, Levels) {
  struct Row {
    const char* a;
    const char* b;
    int sign;
    int level;
  };
  const Row rows[] = {
      // Accents: the difference nearest the end decides.
      {"cote", "c\xF4te", -1, KvLEVEL_ACCENT},
      {"c\xF4te", "cot\xE9", -1, KvLEVEL_ACCENT},
      {"cot\xE9", "c\xF4t\xE9", -1, KvLEVEL_ACCENT},
      {"cote", "cot\xE9", -1, KvLEVEL_ACCENT},
      {"c\xF4t\xE9", "cote", 1, KvLEVEL_ACCENT},
      // Case: lower before upper, the first difference decides.
      {"a", "A", -1, KvLEVEL_CASE},
      {"Ab", "aB", 1, KvLEVEL_CASE},
      // Accent before case.
      {"\xC9", "e", 1, KvLEVEL_ACCENT},
      // Punctuation last: a text without an ignorable counts 0.
      {"ab", "a-b", -1, KvLEVEL_PUNCTUATION},
      {"a-b", "a_b", 1, KvLEVEL_PUNCTUATION},
      {"a b", "ab", 1, KvLEVEL_PUNCTUATION},
      {"a-b-c", "a-b_c", 1, KvLEVEL_PUNCTUATION},   // the last differing pair
      {"a_b-c", "a-b-c", -1, KvLEVEL_PUNCTUATION},
      // The primary level beats all others.
      {"a-c", "ab", 1, KvLEVEL_PRIMARY},
      {"\xE9z", "fa", -1, KvLEVEL_PRIMARY},
      {"ab", "abc", -1, KvLEVEL_PRIMARY},
      {"", "a", -1, KvLEVEL_PRIMARY},
      {"", "", 0, KvLEVEL_EQUAL},
      {"1", "a", -1, KvLEVEL_PRIMARY},  // digits before letters
      // Expansions: ß is s s with an accent, Æ is A E.
      {"\xDF", "ss", 1, KvLEVEL_ACCENT},
      {"stra\xDF" "e", "strasse", 1, KvLEVEL_ACCENT},
      {"\xC6", "AE", 1, KvLEVEL_ACCENT},
      {"\xC6", "AF", -1, KvLEVEL_PRIMARY},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(r.a) + " / " + r.b);
    int level = -1;
    EXPECT_EQ(Collate(r.a, r.b, 0x0010, -1, 1, &level), r.sign);
    EXPECT_EQ(level, r.level);
    EXPECT_EQ(Collate(r.b, r.a, 0x0010), -r.sign);
  }
}

TEST(Collation, OperatorBits) {
  struct Row {
    const char* a;
    const char* b;
    uint16_t op;
    int sign;
  };
  const Row rows[] = {
      {"a", "A", 0x0030, 0},            // ignore case
      {"c\xF4te", "cote", 0x0030, 1},   // ... but not accents
      {"c\xF4te", "cote", 0x0050, 0},   // ignore accents
      {"a", "A", 0x0050, -1},           // ... but not case
      {"C\xF4TE", "cote", 0x0070, 0},   // both
      {"\xDF", "ss", 0x0050, 0},
      {"a b", "ab", 0x0090, 0},         // skip spaces
      {"a-b", "ab", 0x0090, 1},         // ... not symbols
      {"a-b", "ab", 0x0210, 0},         // skip symbols
      {"a b", "ab", 0x0210, 1},         // ... not spaces
      {"a b-c", "abc", 0x0290, 0},      // both
      {"a", "A", 0x0110, 1},            // simple order: full weights, lower case after
      {"ab", "a-b", 0x0110, 1},         // letters weigh more than symbols
      {"a*c", "abc", 0x0110, -1},       // no wildcards either
      {"abc", "a*c", 0x0100, 1},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(r.a) + " / " + r.b + " op " + std::to_string(r.op));
    EXPECT_EQ(Collate(r.a, r.b, r.op), r.sign);
  }
}

TEST(Collation, Wildcards) {
  struct Row {
    const char* text;
    const char* pattern;
    uint16_t op;
    int sign;
  };
  const Row rows[] = {
      {"abc", "a*c", 0, 0},
      {"abc", "a?c", 0, 0},
      {"abc", "a*", 0, 0},
      {"abc", "*", 0, 0},
      {"", "*", 0, 0},
      {"abc", "**c", 0, 0},
      {"abcxc", "a*c", 0, 0},        // the star retries past the first 'c'
      {"abcbc", "a*bc", 0, 0},
      {"aXbXbc", "a*bc", 0, 0},
      {"abab", "*ab", 0, 0},
      {"abcd", "a*c*d", 0, 0},
      {"abc", "a*d", 0, -1},         // the pattern must be used up
      {"abac", "*ab", 0, -1},
      {"ac", "a?c", 0, -1},
      {"a", "a?", 0, -1},
      {"abc", "a?", 0, 1},
      {"abc", "b*", 0, -1},
      {"ABC", "a*c", 0x0020, 0},     // with the operator's mask
      {"\xE1" "bc", "a*c", 0x0040, 0},
      {"abc", "a*c", 0x0010, -1},    // exact: '*' is an ignorable symbol, b < c
      {"a*c", "a*c", 0x0010, 0},
      {"a*c", "abc", 0, 1},          // only operand 2's wildcards count: c > b
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(r.text) + " / " + r.pattern + " op " + std::to_string(r.op));
    EXPECT_EQ(Collate(r.text, r.pattern, r.op), r.sign);
  }
}

TEST(Collation, LimitCountsCharacters) {
  struct Row {
    const char* a;
    const char* b;
    int32_t limit;
    int sign;
  };
  const Row rows[] = {
      {"abcd", "abcx", 3, 0},
      {"abcd", "abcx", 4, -1},
      {"abcd", "abcx", 0, 0},
      {"abcd", "abcx", -1, -1},
      // ß is one character of two orders: two characters of each side are
      // ß a against s s.
      {"\xDF" "a", "ssb", 2, 1},
      {"\xDF" "x", "\xDF" "y", 1, 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(r.a) + " / " + r.b + " limit " + std::to_string(r.limit));
    EXPECT_EQ(Collate(r.a, r.b, 0x0010, r.limit), r.sign);
  }
}

TEST(Collation, Languages) {
  struct Row {
    const char* a;
    const char* b;
    uint8_t language;
    int sign;
  };
  const Row rows[] = {
      {"cz", "ch", 1, 1},
      {"cz", "ch", 2, -1},   // ch follows c in Spanish
      {"lz", "ll", 2, -1},
      {"\xF1", "nz", 2, 1},  // ñ follows n
      {"\xE5", "z", 1, -1},
      {"\xE5", "z", 3, 1},   // å follows z in Danish
      {"aa", "z", 3, 1},     // aa is å
      {"\xE6", "z", 4, 1},
      {"\xE4", "\xF6", 4, -1},
      {"M\xE4" "dchen", "Maedchen", 5, 1},  // ä is ae with an accent
      {"M\xE4" "dchen", "Mafia", 5, -1},
      {"M\xE4" "dchen", "Mafia", 1, -1},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(r.a) + " / " + r.b + " language " + std::to_string(r.language));
    EXPECT_EQ(Collate(r.a, r.b, 0x0010, -1, r.language), r.sign);
  }
  // Texts of two code sets compare by their characters.
  const uint16_t e16[] = {0xE9, 0};
  EXPECT_EQ(KvCollate(KvCollateText{1, 1, "\xE9"},
                      KvCollateText{253, 1, reinterpret_cast<const char*>(e16)}, 0x0010, -1, 1,
                      nullptr, nullptr),
            0);
  EXPECT_EQ(KvCollate(KvCollateText{4, 1, "\xA3"}, KvCollateText{5, 1, "\xA3"}, 0x0010, -1, 1,
                      nullptr, nullptr),
            0);  // Ł in Windows-1250 and ISO-8859-2
}

TEST(Collation, BytePath) {
  struct Row {
    const char* a;
    const char* b;
    uint16_t op;
    int sign;
  };
  const Row rows[] = {
      {"abc", "a*c", 0, 0},
      {"abc", "a?c", 0, 0},
      {"abc", "a*d", 0, -1},
      {"abcxc", "a*c", 0, 0},  // as the collating path matches it
      {"abxbc", "a*bc", 0, 0},  // a mismatch after the star retries it
      {"abxbd", "a*bc", 0, -1},
      {"abc", "a*", 0, 0},
      {"ab", "a?c", 0, -1},
      {"abc", "abd", 0, -1},
      {"abc", "a*c", 0x0010, 1},  // exact: plain bytes ('b' after '*')
      {"abc", "a?c", 0x0100, 1},
      {"a", "A", 0x0010, 1},      // bytes, not collation
      {"\xE9", "f", 0x0010, 1},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(r.a) + " / " + r.b);
    EXPECT_EQ(Sign(KvCollate(KvCollateText{0, 1, r.a}, KvCollateText{0, 1, r.b}, r.op, -1, 1,
                             nullptr, nullptr)),
              r.sign);
  }
  // Missing texts.
  EXPECT_EQ(KvCollate(KvCollateText{0, 1, nullptr}, KvCollateText{0, 1, "a"}, 0x10, -1, 1, nullptr, nullptr), -1);
  EXPECT_EQ(KvCollate(KvCollateText{0, 1, nullptr}, KvCollateText{0, 1, ""}, 0x10, -1, 1, nullptr, nullptr), 0);
  EXPECT_EQ(KvCollate(KvCollateText{0, 1, "a"}, KvCollateText{0, 1, nullptr}, 0, -1, 1, nullptr, nullptr), 1);
  EXPECT_EQ(KvCollate(KvCollateText{1, 1, nullptr}, KvCollateText{1, 1, "a"}, 0x10, -1, 1, nullptr, nullptr) < 0, true);
  // The byte path's limit counts bytes of text 1.
  EXPECT_EQ(KvCollate(KvCollateText{0, 1, "abcd"}, KvCollateText{0, 1, "abcx"}, 0x10, 3, 1, nullptr, nullptr), 0);
}

TEST(Collation, PrimaryOutputWithSkippedSpaces) {
  long primary = 12345;
  KvCollate(KvCollateText{1, 1, "a c"}, KvCollateText{1, 1, "ab"}, 0x0090, -1, 1, &primary, nullptr);
  EXPECT_GT(primary, 0);
  primary = 12345;
  KvCollate(KvCollateText{1, 1, "ab"}, KvCollateText{1, 1, "ab"}, 0x0010, -1, 1, &primary, nullptr);
  EXPECT_EQ(primary, 12345);  // not without bit 0x0080
  // Under a limit only the characters within it count, the skipped space
  // of "a c" included: within two characters it is "a" against "ab".
  struct Row {
    int32_t limit;
    int sign;
  };
  for (const Row& r : {Row{3, 1}, Row{2, -1}, Row{1, 0}}) {
    SCOPED_TRACE(r.limit);
    primary = 12345;
    EXPECT_EQ(Sign(KvCollate(KvCollateText{1, 1, "a c"}, KvCollateText{1, 1, "ab"}, 0x0090, r.limit,
                             1, &primary, nullptr)),
              r.sign);
    EXPECT_EQ(Sign(primary), r.sign);
  }
}

TEST(Collation, CharactersBeyondTheTablesInOneCodeSet) {
  // Characters from 512 on are their own orders, in class 20, after every
  // character of the tables.
  struct Row {
    std::vector<uint16_t> a, b;
    int sign;
  };
  const Row rows[] = {
      {{0x4E2D}, {0x4E2E}, -1},
      {{'a', 0x4E2E}, {'a', 0x4E2D}, 1},
      {{0x4E2D, 'a'}, {0x4E2D, 'a'}, 0},
      {{0x4E2D}, {'z'}, 1},
      {{0x0200}, {0x01FF}, 1},
  };
  for (const Row& r : rows) {
    std::vector<uint16_t> a = r.a, b = r.b;
    a.push_back(0);
    b.push_back(0);
    const KvCollateText ta{253, 1, reinterpret_cast<const char*>(a.data()), 2 * static_cast<uint32_t>(a.size())};
    const KvCollateText tb{253, 1, reinterpret_cast<const char*>(b.data()), 2 * static_cast<uint32_t>(b.size())};
    EXPECT_EQ(Sign(KvCollate(ta, tb, 0x0010, -1, 1, nullptr, nullptr)), r.sign) << r.a[0];
    EXPECT_EQ(Sign(KvCollate(tb, ta, 0x0010, -1, 1, nullptr, nullptr)), -r.sign) << r.a[0];
    EXPECT_EQ(Sign(KvCollate(ta, tb, 0x0010, 5, 1, nullptr, nullptr)), r.sign) << r.a[0];
  }
}

TEST(Collation, WildcardPosition) {
  struct Row {
    uint8_t cs;
    const char* text;
    bool starOnly;
    int32_t limit;
    int16_t index;
  };
  const Row rows[] = {
      {1, "ab*c?", false, -1, 2}, {1, "ab?c*", false, -1, 2}, {1, "ab?c*", true, -1, 4},
      {1, "abc", false, -1, -1},  {1, "ab*c", false, 2, -1},  {0, "x?", false, -1, 1},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.text);
    uint32_t offset = 999;
    EXPECT_EQ(KvFindWildcard(KvCollateText{r.cs, 1, r.text}, r.starOnly, r.limit, &offset, 1), r.index);
    if (r.index >= 0) {
      EXPECT_EQ(offset, static_cast<uint32_t>(r.index));
    }
  }
  const uint16_t wide[] = {'a', 'b', '*', 0};
  uint32_t offset = 0;
  EXPECT_EQ(KvFindWildcard(KvCollateText{253, 1, reinterpret_cast<const char*>(wide)}, false, -1, &offset, 1), 2);
  EXPECT_EQ(offset, 4u);
  EXPECT_EQ(KvStarOrder(), 80 + 79);
  EXPECT_EQ(KvQuestionOrder(), 80 + 42);
}

}  // namespace
