// Facts about the compare functions and evaluators of the bool and KvBlob
// rows: truth order in every format, blob walks in memory and in both
// stored byte orders, cut buffers and lengths that lie.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "kvtm/kvtm.h"
#include "blob_block.h"
#include "test_util.h"

namespace {


TEST(BooleanCompare, TruthInEveryFormat) {
  struct Row {
    uint8_t a, b;
    long expected;
  };
  const Row rows[] = {
      {0, 1, -1}, {1, 0, 1}, {0, 0, 0}, {1, 1, 0}, {0xFF, 1, 0}, {1, 0xFF, 0},
      {0x80, 0, 1}, {0, 0x80, -1},
  };
  for (uint8_t format : {1, 2, 3, 8}) {
    for (const Row& r : rows) {
      uint8_t a = r.a, b = r.b;
      int status = 7;
      EXPECT_EQ(BooleanCompare(format, 0, &a, 0, &b, 0, 1, status), r.expected)
          << int{format} << " " << int{r.a} << " " << int{r.b};
      EXPECT_EQ(status, 0);
    }
  }
}

TEST(BooleanCompare, ElementWalk) {
  struct Row {
    const char* what;
    Bytes a, b;
    unsigned long length1, length2, count;
    long expected;
    int status;
  };
  const Row rows[] = {
      {"second element decides", {1, 0, 1}, {1, 1, 0}, 0, 0, 3, -1, 0},
      {"all equal", {1, 0, 2}, {5, 0, 1}, 0, 0, 3, 0, 0},
      {"count 0", {0}, {1}, 0, 0, 0, 0, 0},
      {"first buffer short", {1, 1}, {1, 1, 0}, 2, 0, 3, 0, KvCMP_INCOMPLETE},
      {"second buffer short", {1, 1, 0}, {1, 1}, 0, 2, 3, 0, KvCMP_INCOMPLETE},
      {"decided, still short", {1, 0}, {1, 1, 1}, 2, 0, 3, -1, KvCMP_INCOMPLETE},
      {"decided at the last element held", {1, 0}, {1, 1}, 2, 2, 2, -1, 0},
  };
  for (const Row& r : rows) {
    Bytes a = r.a, b = r.b;
    int status = 0;
    EXPECT_EQ(BooleanCompare(1, r.length1, a.data(), r.length2, b.data(), 0, r.count, status),
              r.expected)
        << r.what;
    EXPECT_EQ(status, r.status) << r.what;
  }
}

TEST(BlobCompare, StoredBlocksInBothByteOrders) {
  struct Row {
    const char* what;
    std::vector<std::string> a, b;
    unsigned long count;
    long expected;
    int status = 0;
  };
  const Row rows[] = {
      {"prefix is smaller", {"ab"}, {"abc"}, 1, -1},
      {"longer is larger", {"abc"}, {"ab"}, 1, 1},
      {"two empty blobs are equal", {""}, {""}, 1, 0},
      {"empty before any", {""}, {std::string(1, '\0')}, 1, -1},
      {"first difference decides", {"abc"}, {"abd"}, 1, -1},
      {"difference before length", {"b"}, {"abc"}, 1, 1},
      {"bytes are unsigned", {"\x80"}, {"\x01"}, 1, 1},
      {"second element decides", {"a", "b"}, {"a", "c"}, 2, -1},
      {"only the first compared", {"a", "b"}, {"a", "c"}, 1, 0},
      {"next element follows the data", {"abc", "x"}, {"abc", "w"}, 2, 1},
      {"empty elements step by their length field", {"", "", "q"}, {"", "", "r"}, 3, -1},
      {"count beyond the elements", {"a", "b"}, {"a", "b"}, 5, 0, KvCMP_INCOMPLETE},
      {"count 0", {"a"}, {"b"}, 0, 0},
  };
  for (uint8_t format : {1, 2}) {
    for (const Row& r : rows) {
      Bytes a = Block(format, r.a);
      Bytes b = Block(format, r.b);
      SCOPED_TRACE(std::string(r.what) + (format == 2 ? ", msb" : ", lsb"));
      // With the lengths of the buffers, and with 0: the blocks' totals.
      int status = 7;
      EXPECT_EQ(BlobCompare(format, a.size(), a.data(), b.size(), b.data(), 0, r.count, status),
                r.expected);
      EXPECT_EQ(status, r.status);
      EXPECT_EQ(BlobCompare(format, 0, a.data(), 0, b.data(), 0, r.count, status), r.expected);
      EXPECT_EQ(status, r.status);
    }
  }
  // The lengths are read in the format's byte order: an lsb block read as
  // msb claims 0x03000000 bytes, cut by its buffer.
  Bytes a = Block(1, {"abc"});
  Bytes b = Block(1, {"abd"});
  int status = 0;
  EXPECT_EQ(BlobCompare(2, a.size(), a.data(), b.size(), b.data(), 0, 1, status), -1);
  Bytes c = Block(1, {"abc"});
  EXPECT_EQ(BlobCompare(2, a.size(), a.data(), c.size(), c.data(), 0, 1, status), 0);
}

// Every buffer below is exactly as long as the length given, so that a read
// past it is caught by the address sanitizer. A difference within the bytes
// given is final; where they end before anything decides, the result is 0
// and open.
TEST(BlobCompare, CutBuffersAndLyingLengths) {
  constexpr int kOpen = KvCMP_INCOMPLETE;
  struct Row {
    const char* what;
    Bytes a, b;
    unsigned long count;
    long expected;
    int status = 0;
  };
  const Row rows[] = {
      {"data cut, the bytes held differ", Raw(1, {L(104), L(100), D("abc")}),
       Block(1, {"abd"}), 1, -1},
      {"data cut, equal as far as held, equal claims", Raw(1, {L(104), L(100), D("abc")}),
       Raw(1, {L(104), L(100), D("abc")}), 2, 0, kOpen},
      {"data cut, the longer claim is larger", Raw(1, {L(104), L(100), D("abc")}),
       Block(1, {"abc"}), 1, 1},
      {"data cut in the second buffer before the shorter ends", Block(1, {"abc"}),
       Raw(1, {L(104), L(100), D("ab")}), 1, 0, kOpen},
      {"length field cut", Raw(1, {L(8), D(std::string("\x01\x00", 2))}), Block(1, {"a"}), 1, 0,
       kOpen},
      {"only the total", Raw(1, {L(4)}), Block(1, {"a"}), 1, 0, kOpen},
      {"less than a total", Raw(1, {D("\x04\x00")}), Block(1, {"a"}), 1, 0, kOpen},
      {"the walk stops where a buffer ends", Raw(1, {L(9), L(1), D("a")}),
       Raw(1, {L(9), L(1), D("a"), L(0)}), 2, 0, kOpen},
      {"a total that lies is not read", Raw(1, {L(0xFFFFFFF0), L(1), D("b")}),
       Block(1, {"a"}), 1, 1},
      {"a negative length counts as 0", Raw(1, {L(8), L(0xFFFFFFFF), L(0)}),
       Block(1, {"", ""}), 2, 0},
      {"a negative length is shorter than any", Raw(1, {L(5), L(0x80000000), D("z")}),
       Block(1, {std::string(1, '\0')}), 1, -1},
      {"a huge length after an element", Raw(1, {L(13), L(1), D("a"), L(0x7FFFFFFF), D("xyz")}),
       Block(1, {"a", "xyz"}), 2, 1},
  };
  for (const Row& r : rows) {
    // Heap copies of the exact sizes.
    std::vector<uint8_t> a(r.a), b(r.b);
    int status = 7;
    EXPECT_EQ(BlobCompare(1, a.size(), a.data(), b.size(), b.data(), 0, r.count, status),
              r.expected)
        << r.what;
    EXPECT_EQ(status, r.status) << r.what;
    EXPECT_EQ(BlobCompare(1, b.size(), b.data(), a.size(), a.data(), 0, r.count, status),
              -r.expected)
        << r.what;
    EXPECT_EQ(status, r.status) << r.what;
  }
  // A megabyte element against one that differs in its last byte.
  std::string big(1 << 20, 'm');
  std::string other = big;
  other.back() = 'n';
  Bytes a = Block(2, {"", big}), b = Block(2, {"", other});
  int status = 0;
  EXPECT_EQ(BlobCompare(2, a.size(), a.data(), b.size(), b.data(), 0, 2, status), -1);
  EXPECT_EQ(status, 0);
  // The same, with the second buffer cut before that byte: open. So is a
  // kilobyte blob given with 600 bytes against one that differs at 1000.
  EXPECT_EQ(BlobCompare(2, a.size(), a.data(), b.size() - 1, b.data(), 0, 2, status), 0);
  EXPECT_EQ(status, KvCMP_INCOMPLETE);
  std::string kilo(1024, 'k'), late = kilo;
  late[1000] = 'l';
  Bytes c = Block(1, {kilo}), d = Block(1, {late});
  std::vector<uint8_t> cut(c.begin(), c.begin() + 600);
  EXPECT_EQ(BlobCompare(1, cut.size(), cut.data(), d.size(), d.data(), 0, 1, status), 0);
  EXPECT_EQ(status, KvCMP_INCOMPLETE);
}

TEST(BlobCompare, MemoryForm) {
  KvBlob a[] = {KvBlob("abc", 3L), KvBlob("x", 1L)};
  KvBlob b[] = {KvBlob("abc", 3L), KvBlob("y", 1L)};
  KvBlob c[] = {KvBlob("ab", 2L), KvBlob()};
  struct Row {
    const char* what;
    KvBlob* a;
    KvBlob* b;
    unsigned long length1, length2, count;
    long expected;
    int status = 0;
  };
  const Row rows[] = {
      {"second pair decides", a, b, 0, 0, 2, -1},
      {"first pair equal", a, b, 0, 0, 1, 0},
      {"shorter is smaller", c, a, 0, 0, 2, -1},
      {"longer is larger", a, c, 0, 0, 2, 1},
      {"same objects", a, a, 0, 0, 2, 0},
      // Only objects wholly within a length are read; where they end
      // before a difference, the result is open.
      {"a length admits whole objects only", a, b, sizeof(KvBlob), 0, 2, 0, KvCMP_INCOMPLETE},
      {"a length of two objects", a, b, 2 * sizeof(KvBlob), 2 * sizeof(KvBlob), 2, -1},
      {"a length shorter than one object", c, a, sizeof(KvBlob) - 1, 0, 2, 0, KvCMP_INCOMPLETE},
      {"the second length admits one object", a, b, 0, sizeof(KvBlob), 2, 0, KvCMP_INCOMPLETE},
      {"the second length admits none", c, a, 0, sizeof(KvBlob) - 1, 2, 0, KvCMP_INCOMPLETE},
  };
  for (const Row& r : rows) {
    int status = 7;
    EXPECT_EQ(BlobCompare(8, r.length1, r.a, r.length2, r.b, 0, r.count, status), r.expected)
        << r.what;
    EXPECT_EQ(status, r.status) << r.what;
  }
}

TEST(BoolEvaluate, HalfWithARangeAndBoundsOfCountBytes) {
  uint8_t lo = 0, hi = 1;
  KvIdxBounds both = {&lo, &hi, 1, 1};
  KvIdxBounds lowOnly = {&lo, nullptr, 1, 0};
  struct Row {
    const char* what;
    KvIdxBounds* range;
    unsigned short relation;
    float estimate;
    bool low, high;
  };
  const Row rows[] = {
      {"equal with a range", &both, KvREL_EQUAL, 0.5f, true, true},
      {"less with a range", &both, KvREL_LESS, 0.5f, false, true},
      {"greater with a range", &both, KvREL_GREATER, 0.5f, true, false},
      {"not equal with a range", &both, KvREL_LESS | KvREL_GREATER, 0.5f, false, false},
      {"kept and widened bits stay", &both, KvREL_KEEP | KvREL_WIDENED | KvREL_EQUAL, 0.5f, true,
       true},
      {"no range", nullptr, KvREL_EQUAL, 0.0f, true, true},
      {"a range without its high key", &lowOnly, KvREL_LESS, 0.0f, false, true},
  };
  uint8_t value[3] = {1, 0, 1};
  for (const Row& r : rows) {
    Bounds bounds;
    unsigned short relation = r.relation;
    EXPECT_EQ(KvEvalBool(r.range, relation, value, 1, 3, &bounds), r.estimate)
        << r.what;
    EXPECT_EQ(relation, r.relation) << r.what;
    EXPECT_EQ(Key(bounds.low, bounds.lowLength), r.low ? Bytes(value, value + 3) : Bytes())
        << r.what;
    EXPECT_EQ(Key(bounds.high, bounds.highLength), r.high ? Bytes(value, value + 3) : Bytes())
        << r.what;
  }
  // Only the estimate.
  unsigned short relation = KvREL_EQUAL;
  EXPECT_EQ(KvEvalBool(&both, relation, value, 1, 1, nullptr), 0.5f);
  EXPECT_EQ(KvEvalBool(&both, relation, value, 1, 0, nullptr), 0.5f);
}

TEST(BlobEvaluate, OneAndNoBound) {
  uint8_t lo[4] = {}, hi[4] = {};
  KvIdxBounds range = {lo, hi, 4, 4};
  const Bytes value = Block(1, {"abc"});
  const unsigned short relations[] = {KvREL_EQUAL, KvREL_LESS, KvREL_GREATER | KvREL_EQUAL,
                                      KvREL_KEEP | KvREL_LESS};
  for (unsigned short relation0 : relations) {
    for (KvIdxBounds* r : {&range, static_cast<KvIdxBounds*>(nullptr)}) {
      Bounds bounds;
      unsigned short relation = relation0;
      EXPECT_EQ(KvEvalBlob(r, relation, const_cast<uint8_t*>(value.data()), 1, 1, &bounds), 1.0f);
      EXPECT_EQ(relation, relation0);
      EXPECT_EQ(bounds.low, nullptr);
      EXPECT_EQ(bounds.high, nullptr);
      EXPECT_EQ(bounds.lowLength, 0);
      EXPECT_EQ(bounds.highLength, 0);
    }
  }
}

}  // namespace
