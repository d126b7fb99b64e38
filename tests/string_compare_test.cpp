// Facts about the string compare functions over memory, stored and cut
// operands: results and statuses.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "kvtm/kvtm.h"
#include "test_util.h"

namespace {

// A stored standard record (format 1) of 8-bit text in code set 1.
Bytes Record(const std::string& text, uint8_t cs = 1, uint8_t language = 1) {
  Bytes r(text.size() + 6);
  r[0] = static_cast<uint8_t>((text.size() + 4) & 0xFF);
  r[1] = static_cast<uint8_t>((text.size() + 4) >> 8);
  r[2] = cs;
  r[3] = language;
  std::copy(text.begin(), text.end(), r.begin() + 4);
  r[text.size() + 4] = 0;
  r[text.size() + 5] = 0xFF;
  return r;
}

struct Outcome {
  int sign;
  int status;
};

Outcome Compare(const Bytes& a, size_t lengthA, const Bytes& b, size_t lengthB, uint16_t op = 0x10,
                unsigned long count = 1, KvTypeCmpFunc f = StringCompare) {
  int status = 99;
  const long r = f(1, lengthA, const_cast<uint8_t*>(a.data()), lengthB, const_cast<uint8_t*>(b.data()), op,
                   count, status);
  return {r < 0 ? -1 : r > 0 ? 1 : 0, status};
}

TEST(StringCompareFunction, CutKeysAndStatuses) {
  const std::string long150(150, 'k');
  const Bytes full = Record(long150);
  struct Row {
    const char* what;
    Bytes a;
    size_t lengthA;  // bytes given for operand 1
    Bytes b;
    uint16_t op;
    Outcome expected;
  };
  const Row rows[] = {
      {"whole records", Record("abc"), 9, Record("abd"), 0x10, {-1, 0}},
      {"equal whole records", Record("abc"), 9, Record("abc"), 0x10, {0, 0}},
      {"length 0: the record's own", Record("abc"), 0, Record("abc"), 0x10, {0, 0}},
      {"key cut to 100 of 150 against the whole value", full, 104, Record(long150), 0x10,
       {0, KvCMP_INCOMPLETE}},
      {"... against a value of 50: decided", full, 104, Record(std::string(50, 'k')), 0x10, {1, 0}},
      {"... against a smaller value", full, 104, Record("kkj"), 0x10, {1, 0}},
      {"only the end mark missing: the text is whole", Record("abc"), 8, Record("abc"), 0x10, {0, 0}},
      {"cut key against a pattern", full, 104, Record("kkk*"), 0x00, {0, 0}},
      {"cut key against a longer pattern", full, 104, Record("kkk*x"), 0x00, {0, KvCMP_INCOMPLETE}},
      {"more than 253 bytes cut", Record(std::string(400, 'a')), 304, Record("a"), 0x10,
       {-1, KvCMP_KEY_TOO_LONG}},
      {"a length field past the buffer", Bytes{0xE8, 0x03, 1, 1, 'a', 'b'}, 6, Record("ab"), 0x10,
       {0, KvCMP_INCOMPLETE}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    const Outcome o = Compare(r.a, r.lengthA, r.b, r.b.size(), r.op);
    EXPECT_EQ(o.sign, r.expected.sign);
    EXPECT_EQ(o.status, r.expected.status);
  }
}

TEST(StringCompareFunction, CutOrMissingElementsOnEitherSide) {
  struct Row {
    const char* what;
    Bytes a;
    size_t lengthA;
    Bytes b;
    size_t lengthB;
    uint16_t op;
    Outcome expected;
  };
  const Row rows[] = {
      {"operand 1 without a whole length field", Record("ab"), 1, Record("ab"), 8, 0x10,
       {-1, KvCMP_INCOMPLETE}},
      {"operand 2 without one", Record("ab"), 8, Record("ab"), 1, 0x10, {1, KvCMP_INCOMPLETE}},
      {"neither with one", Record("ab"), 1, Record("ab"), 1, 0x10, {0, KvCMP_INCOMPLETE}},
      {"operand 1 without code set and language", Record("ab"), 3, Record("ab"), 8, 0x10,
       {0, KvCMP_INCOMPLETE}},
      {"cut operand 2 longer than operand 1: decided", Record("ab"), 8, Record("abcd"), 7, 0x10,
       {-1, 0}},
      {"cut operand 2 within operand 1: open", Record("abcd"), 10, Record("abcx"), 7, 0x10,
       {0, KvCMP_INCOMPLETE}},
      // Letters present on both sides decide, whatever follows a cut.
      {"cut operand 2 as long as operand 1", Record("abd"), 9, Record("abcx"), 7, 0x10, {1, 0}},
      {"both cut, equal so far", Record("abcd"), 7, Record("abce"), 7, 0x10,
       {0, KvCMP_INCOMPLETE}},
      {"both cut, differing within", Record("abcd"), 7, Record("abxd"), 7, 0x10, {-1, 0}},
      {"both cut, one shorter", Record("abcd"), 6, Record("abce"), 7, 0x10,
       {0, KvCMP_INCOMPLETE}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    // Exactly the bytes given, so that a read past them is caught.
    const Bytes a(r.a.begin(), r.a.begin() + r.lengthA);
    const Bytes b(r.b.begin(), r.b.begin() + r.lengthB);
    const Outcome o = Compare(a, r.lengthA, b, r.lengthB, r.op);
    EXPECT_EQ(o.sign, r.expected.sign);
    EXPECT_EQ(o.status, r.expected.status);
  }
}

int memoryHandlerCalls = 0;
int ReturnWithoutMemory(unsigned long) {
  ++memoryHandlerCalls;
  return 0;
}

TEST(StringCompareFunction, NoMemoryForALongTextLeavesItUndecided) {
  // Texts up to 254 bytes are copied on the stack; longer ones need memory.
  const Bytes a = Record(std::string(300, 'a'));
  const Bytes b = Record(std::string(300, 'b'));
  const KvMemoryHandler previous = KvSetMemoryHandler(ReturnWithoutMemory);
  memoryHandlerCalls = 0;
  KvSetAllocFailure(0);
  const Outcome o = Compare(a, a.size(), b, b.size());
  KvSetAllocFailure(-1);
  KvSetMemoryHandler(previous);
  EXPECT_EQ(o.sign, 0);
  EXPECT_EQ(o.status, KvCMP_INCOMPLETE);
  EXPECT_GE(memoryHandlerCalls, 1);
  EXPECT_EQ(Compare(a, a.size(), b, b.size()).sign, -1);  // with memory it is decided
}

TEST(StringCompareFunction, ArraysAndBufferEnds) {
  Bytes three;
  for (const char* t : {"ab", "cd", "ef"}) {
    const Bytes r = Record(t);
    three.insert(three.end(), r.begin(), r.end());
  }
  // Whole arrays, exact lengths: the last element ends with status 0.
  Outcome o = Compare(three, three.size(), three, three.size(), 0x10, 3);
  EXPECT_EQ(o.sign, 0);
  EXPECT_EQ(o.status, 0);
  // A buffer that ends four bytes after the second element stops there.
  o = Compare(three, 8 + 8 + 4, three, three.size(), 0x10, 3);
  EXPECT_EQ(o.sign, 0);
  EXPECT_EQ(o.status, KvCMP_INCOMPLETE);
  // A difference in the second element decides.
  Bytes other = three;
  other[8 + 4] = 'x';
  o = Compare(three, three.size(), other, other.size(), 0x10, 3);
  EXPECT_EQ(o.sign, -1);
  EXPECT_EQ(o.status, 0);
  // Count 0 reads nothing.
  int status = 7;
  EXPECT_EQ(StringCompare(1, 0, nullptr, 0, nullptr, 0x10, 0, status), 0);
  EXPECT_EQ(status, 0);
}

TEST(StringCompareFunction, MemoryValuesAreNeverCut) {
  KvString a[2] = {KvString("x"), KvString("ab")};
  KvString b[2] = {KvString("x"), KvString("ab")};
  int status = 99;
  EXPECT_EQ(StringCompare(8, 0, a, 0, b, 0x10, 2, status), 0);
  EXPECT_EQ(status, 0);
  b[1] = "aB";
  EXPECT_LT(StringCompare(8, 0, a, 0, b, 0x10, 2, status), 0);
  EXPECT_EQ(StringCompare(8, 0, a, 0, b, 0x30, 2, status), 0);
}

TEST(StringCompareFunction, MarkedKeysAreUndecided) {
  KvTypeMgr mgr;
  KvString text("ab");
  Bytes key(16);
  key.resize(mgr.Translate(KvTYPE_STRING, key.data(), 0x81, 16, &text, 8, 0, 1));
  Bytes marked = key;
  marked[3] |= 0x80;
  Outcome o = Compare(key, key.size(), key, key.size());
  EXPECT_EQ(o.sign, 0);
  EXPECT_EQ(o.status, 0);
  o = Compare(key, key.size(), marked, marked.size());
  EXPECT_EQ(o.sign, 0);
  EXPECT_EQ(o.status, KvCMP_INCOMPLETE);
  o = Compare(marked, marked.size(), key, key.size());
  EXPECT_EQ(o.sign, 0);
  EXPECT_EQ(o.status, KvCMP_INCOMPLETE);
  // A key against the stored value it was made from.
  o = Compare(key, key.size(), Record("ab"), 8);
  EXPECT_EQ(o.sign, 0);
  EXPECT_EQ(o.status, 0);
  o = Compare(key, key.size(), Record("ac"), 8);
  EXPECT_EQ(o.sign, -1);
}

TEST(StringCompareFunction, LegacyPlainForm) {
  const Bytes ab = {3, 0, 'a', 'b', 0};
  const Bytes ac = {3, 0, 'a', 'c', 0};
  Outcome o = Compare(ab, ab.size(), ac, ac.size(), 0x10, 1, LegacyStringCompare);
  EXPECT_EQ(o.sign, -1);
  EXPECT_EQ(o.status, 0);
  // Two texts in one block.
  const Bytes two = {6, 0, 'a', 'b', 0, 'c', 'd', 0};
  const Bytes twoOther = {6, 0, 'a', 'b', 0, 'c', 'e', 0};
  o = Compare(two, two.size(), twoOther, twoOther.size(), 0x10, 2, LegacyStringCompare);
  EXPECT_EQ(o.sign, -1);
  // The legacy function takes a buffer shorter than the length as a cut
  // plain text.
  o = Compare(Bytes{9, 0, 'a', 'b', 'c'}, 5, Bytes{4, 0, 'a', 'b', 'c', 0}, 6, 0x10, 1, LegacyStringCompare);
  EXPECT_EQ(o.sign, 0);
  EXPECT_EQ(o.status, KvCMP_INCOMPLETE);
}

}  // namespace

namespace {

// Keys of texts that change collation class close with a unit standing for
// an unknown character of the next class: it decides against an end or a
// character of another class, and leaves the result open against one of
// its own, or in a pattern, where it may hide a wildcard.
TEST(StringCompareFunction, KeysOfTextsThatChangeClass) {
  KvTypeMgr mgr;
  auto text = [](const char* utf8) {
    KvString s(253, 1);
    KvMBS2KvString(utf8, s, static_cast<long>(std::strlen(utf8)));
    return s;
  };
  auto key = [&](const char* utf8) {
    KvString s = text(utf8);
    Bytes k(254);
    k.resize(mgr.Translate(KvTYPE_STRING, k.data(), 0x81, 254, &s, 8, 0, 1));
    return k;
  };
  auto stored = [&](const char* utf8) {
    KvString s = text(utf8);
    Bytes b(mgr.DiskLenGet(KvTYPE_STRING, &s, 1, 1, 8));
    mgr.Store(KvTYPE_STRING, b.data(), &s, 1, 1);
    return b;
  };
  struct Row {
    const char* a;  // its key is operand 1
    const char* b;
    bool bIsKey;    // else the stored text
    uint16_t op;
    Outcome expected;
  };
  const Row rows[] = {
      {"ab日本", "abz", true, 0x10, {1, 0}},
      {"ab日本", "ab", true, 0x10, {1, 0}},
      {"ab日本", "ab本", true, 0x10, {0, KvCMP_INCOMPLETE}},
      {"ab日本", "abz", false, 0x10, {1, 0}},
      {"ab日本", "ab本x", false, 0x10, {0, KvCMP_INCOMPLETE}},
      {"日本ab", "日本", true, 0x10, {1, 0}},
      {"日本ab", "日本中", true, 0x10, {-1, 0}},
      {"日本ab", "日本z", false, 0x10, {0, KvCMP_INCOMPLETE}},
      {"€uro", "?uro", false, 0x00, {0, KvCMP_INCOMPLETE}},
      {"ρεβ", "ρ*τ", false, 0x00, {0, KvCMP_INCOMPLETE}},  // the pattern's star is of class 1
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(r.a) + " / " + r.b);
    const Bytes a = key(r.a);
    const Bytes b = r.bIsKey ? key(r.b) : stored(r.b);
    const Outcome o = Compare(a, a.size(), b, b.size(), r.op);
    EXPECT_EQ(o.sign, r.expected.sign);
    EXPECT_EQ(o.status, r.expected.status);
  }
}

}  // namespace
