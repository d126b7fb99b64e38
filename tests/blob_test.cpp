// Facts about KvBoolean and KvBlob: truth and its order, blob construction
// and number texts, ordering, edits with offsets and counts of every size,
// large blobs, and the state a failed allocation leaves.
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "kvtm/kvtm.h"
#include "test_util.h"

namespace {

Bytes BytesOf(const KvBlob& b) {
  const uint8_t* p = reinterpret_cast<const uint8_t*>(b.Data());
  return Bytes(p, p + b.Length());
}

Bytes TextBytes(const char* text, size_t n) {
  return Bytes(reinterpret_cast<const uint8_t*>(text), reinterpret_cast<const uint8_t*>(text) + n);
}

KvBoolean RawBoolean(uint8_t byte) {
  KvBoolean b;
  std::memcpy(&b, &byte, 1);
  return b;
}

uint8_t ByteOf(const KvBoolean& b) {
  uint8_t byte;
  std::memcpy(&byte, &b, 1);
  return byte;
}

// Counts the calls of the memory handler and the sizes it was given.
int handlerCalls = 0;
unsigned long handlerSize = 0;
int CountingHandler(unsigned long size) {
  ++handlerCalls;
  handlerSize = size;
  return 0;
}

// Installs the counting handler, and makes allocations fail after
// `successes` more, for the life of the object.
class FailingMemory {
 public:
  explicit FailingMemory(int32_t successes) : previous_(KvSetMemoryHandler(CountingHandler)) {
    handlerCalls = 0;
    handlerSize = 0;
    KvSetAllocFailure(successes);
  }
  ~FailingMemory() {
    KvSetAllocFailure(-1);
    KvSetMemoryHandler(previous_);
  }

 private:
  KvMemoryHandler previous_;
};

TEST(KvBoolean, TruthAndOrder) {
  static_assert(sizeof(KvBoolean) == 1);
  EXPECT_EQ(ByteOf(KvBoolean()), 0);
  EXPECT_EQ(ByteOf(KvBoolean(5)), 1);
  EXPECT_EQ(ByteOf(KvBoolean(-1)), 1);
  KvBoolean assigned;
  assigned = 7L;
  EXPECT_EQ(ByteOf(assigned), 1);
  assigned = 0L;
  EXPECT_EQ(ByteOf(assigned), 0);

  struct Row {
    long a;
    long v;
    unsigned short eq, gt, lt;
  };
  const Row withLong[] = {
      {1, 1, 1, 0, 0},   {1, 0, 0, 1, 0},  {1, -3, 1, 1, 0}, {1, 5, 1, 0, 0},
      {0, 0, 1, 0, 0},   {0, 1, 0, 0, 1},  {0, -3, 0, 0, 1}, {5, 1, 1, 0, 0},
  };
  for (const Row& r : withLong) {
    const KvBoolean b(r.a);
    EXPECT_EQ(b == r.v, r.eq) << r.a << " " << r.v;
    EXPECT_EQ(b > r.v, r.gt) << r.a << " " << r.v;
    EXPECT_EQ(b < r.v, r.lt) << r.a << " " << r.v;
  }
  EXPECT_EQ(KvBoolean(5) == KvBoolean(1), 1);

  // Between two values every non-zero byte is true, from either side.
  struct Pair {
    uint8_t a, b;
    unsigned short eq, gt, lt;
  };
  const Pair pairs[] = {
      {0, 0, 1, 0, 0},    {1, 0, 0, 1, 0},    {0, 1, 0, 0, 1},    {0xFF, 1, 1, 0, 0},
      {1, 0xFF, 1, 0, 0}, {0x80, 0, 0, 1, 0}, {0, 0x80, 0, 0, 1}, {0xFF, 0xFF, 1, 0, 0},
  };
  for (const Pair& p : pairs) {
    const KvBoolean a = RawBoolean(p.a);
    const KvBoolean b = RawBoolean(p.b);
    EXPECT_EQ(a == b, p.eq) << int{p.a} << " " << int{p.b};
    EXPECT_EQ(a > b, p.gt) << int{p.a} << " " << int{p.b};
    EXPECT_EQ(a < b, p.lt) << int{p.a} << " " << int{p.b};
  }
}

TEST(KvBlob, Construction) {
  const char raw[] = {'x', 0, 'y', 'z'};
  struct Row {
    const char* what;
    KvBlob blob;
    Bytes bytes;
  };
  const Row rows[] = {
      {"default", KvBlob(), {}},
      {"text", KvBlob("ab"), TextBytes("ab", 3)},
      {"empty text", KvBlob(""), {0}},
      {"null text", KvBlob(static_cast<const char*>(nullptr)), {}},
      {"bytes", KvBlob(raw, 4L), TextBytes(raw, 4)},
      {"no bytes", KvBlob(raw, 0L), {}},
      {"negative count", KvBlob(raw, -3L), {}},
      {"null bytes", KvBlob(static_cast<const void*>(nullptr), 5L), {}},
      {"count taken by its low 32 bits", KvBlob(raw, LongOf((int64_t{1} << 32) + 2)),
       TextBytes(raw, 2)},
      {"n zero bytes", KvBlob(5L), {0, 0, 0, 0, 0}},
      {"negative size", KvBlob(-1L), {}},
      {"int", KvBlob(-42), TextBytes("-42", 4)},
      {"int 0", KvBlob(0), TextBytes("0", 2)},
      {"int min", KvBlob(INT_MIN), TextBytes("-2147483648", 12)},
      {"short", KvBlob(static_cast<short>(-32768)), TextBytes("-32768", 7)},
      {"unsigned long", KvBlob(4294967295UL), TextBytes("4294967295", 11)},
      {"unsigned long, low 32 bits", KvBlob(UnsignedLongOf((uint64_t{1} << 32) + 7)),
       TextBytes("7", 2)},
      {"double", KvBlob(2.5), TextBytes("2.500000", 9)},
      {"double negative", KvBlob(-0.0000004), TextBytes("-0.000000", 10)},
      {"KvString", KvBlob(KvString("xy")), TextBytes("xy", 3)},
      {"KvString without buffer", KvBlob(KvString()), {}},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(BytesOf(r.blob), r.bytes) << r.what;
    EXPECT_EQ(r.blob.Data() == nullptr, r.bytes.empty()) << r.what;
  }
  // A 16-bit string gives its whole buffer, the zero unit included.
  KvString wide(static_cast<unsigned short>('A'));
  KvBlob w(wide);
  EXPECT_EQ(w.Length(), wide.SizeGet());
  EXPECT_EQ(w.Length(), 4);
  // The largest double prints in full.
  EXPECT_EQ(KvBlob(1.7976931348623157e308).Length(), 309 + 7 + 1);
}

TEST(KvBlob, NumbersFromTheBytes) {
  struct Row {
    const char* what;
    KvBlob blob;
    int asInt;
    short asShort;
    long asLong;
    double asDouble;
  };
  const char digits[] = {'1', '2', '3', '4'};
  const Row rows[] = {
      {"from int", KvBlob(123), 123, 123, 123, 123.0},
      {"from negative int", KvBlob(-42), -42, -42, -42, -42.0},
      {"from double", KvBlob(2.5), 2, 2, 2, 2.5},
      {"from text", KvBlob("  -7x"), -7, -7, -7, -7.0},
      {"empty", KvBlob(), 0, 0, 0, 0.0},
      {"no digits", KvBlob("abc"), 0, 0, 0, 0.0},
      {"read only within the length", KvBlob(digits, 2L), 12, 12, 12, 12.0},
      {"up to the first zero byte", KvBlob("5\0" "9", 3L), 5, 5, 5, 5.0},
      {"short keeps 16 bits", KvBlob(70000), 70000, 4464, 70000, 70000.0},
      {"clamped to 32 bits", KvBlob("99999999999"), INT_MAX, -1, INT_MAX, 99999999999.0},
      {"clamped below", KvBlob("-99999999999"), INT_MIN, 0, INT_MIN, -99999999999.0},
      {"decimal, not octal", KvBlob("010"), 10, 10, 10, 10.0},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(static_cast<int>(r.blob), r.asInt) << r.what;
    EXPECT_EQ(static_cast<short>(r.blob), r.asShort) << r.what;
    EXPECT_EQ(static_cast<long>(r.blob), r.asLong) << r.what;
    EXPECT_DOUBLE_EQ(static_cast<double>(r.blob), r.asDouble) << r.what;
  }
  // A megabyte of digits without a zero byte is read to its end, no further.
  KvBlob big(std::string(1 << 20, '7').data(), 1L << 20);
  EXPECT_EQ(static_cast<long>(big), INT_MAX);
  KvBlob nines(std::string(400, '9').data(), 400L);
  EXPECT_EQ(static_cast<double>(nines), HUGE_VAL);
}

TEST(KvBlob, CopiesAreDeepAndOwnershipMoves) {
  KvBlob a("abc");
  KvBlob b(a);
  EXPECT_NE(a.Data(), b.Data());
  EXPECT_EQ(a == b, 1);
  b.Data()[0] = 'z';
  EXPECT_EQ(a.Data()[0], 'a');

  KvBlob c;
  c = a;
  EXPECT_EQ(BytesOf(c), TextBytes("abc", 4));
  EXPECT_NE(c.Data(), a.Data());
  const char* before = c.Data();
  c = c;  // nothing on self-assignment
  EXPECT_EQ(c.Data(), before);
  c = KvBlob();
  EXPECT_EQ(c.Length(), 0);
  EXPECT_EQ(c.Data(), nullptr);

  // Destroy takes the other's bytes and leaves it empty.
  char* held = a.Data();
  KvBlob d("xy");
  d.Destroy(a);
  EXPECT_EQ(d.Data(), held);
  EXPECT_EQ(a.Length(), 0);
  EXPECT_EQ(a.Data(), nullptr);
  d.Destroy(d);
  EXPECT_EQ(d.Data(), held);

  // One stored element as it lies in memory: a native 32-bit length and
  // its bytes.
  char image[4 + 3];
  const int32_t three = 3;
  std::memcpy(image, &three, 4);
  std::memcpy(image + 4, "pqr", 3);
  KvBlob e;
  e = image;
  EXPECT_EQ(BytesOf(e), TextBytes("pqr", 3));
  const int32_t negative = -5;
  std::memcpy(image, &negative, 4);
  e = image;
  EXPECT_EQ(e.Length(), 0);
  e = static_cast<char*>(nullptr);
  EXPECT_EQ(e.Length(), 0);
  // A literal, or any constant text, is text, not an image.
  e = "pq";
  EXPECT_EQ(BytesOf(e), TextBytes("pq", 3));
  const char* text = "rs";
  e = text;
  EXPECT_EQ(BytesOf(e), TextBytes("rs", 3));
  e = static_cast<const char*>(nullptr);
  EXPECT_EQ(e.Length(), 0);
}

TEST(KvBlob, Order) {
  struct Row {
    KvBlob a, b;
    long order;
  };
  const Row rows[] = {
      {KvBlob("abc", 3L), KvBlob("abd", 3L), -1},
      {KvBlob("ab", 2L), KvBlob("abc", 3L), -1},
      {KvBlob("abc", 3L), KvBlob("ab", 2L), 1},
      {KvBlob(), KvBlob(), 0},
      {KvBlob(), KvBlob("", 1L), -1},
      {KvBlob("\x80", 1L), KvBlob("\x01", 1L), 1},  // bytes are unsigned
      {KvBlob("abc"), KvBlob("abc"), 0},
      {KvBlob("b", 1L), KvBlob("abc", 3L), 1},  // the first difference decides
  };
  for (const Row& r : rows) {
    EXPECT_EQ(r.a != r.b, r.order);
    EXPECT_EQ(r.b != r.a, -r.order);
    EXPECT_EQ(r.a == r.b, r.order == 0 ? 1 : 0);
  }
}

TEST(KvBlob, ReplaceAppendExpandResize) {
  KvBlob b("abcdef", 6L);
  // A source inside the blob itself.
  b.SetTo(b.Data() + 2, 3);
  EXPECT_EQ(BytesOf(b), TextBytes("cde", 3));
  b.SetTo("x", 0);
  EXPECT_EQ(b.Length(), 0);

  b.SetTo("ab", 2);
  b.Append("cd", 2);
  EXPECT_EQ(BytesOf(b), TextBytes("abcd", 4));
  b.Append("zz", 0);
  b.Append("zz", -2);
  b.Append(static_cast<const void*>(nullptr), 2);
  EXPECT_EQ(BytesOf(b), TextBytes("abcd", 4));
  b.Append(b.Data() + 1, 2);
  EXPECT_EQ(BytesOf(b), TextBytes("abcdbc", 6));
  b += b;
  EXPECT_EQ(BytesOf(b), TextBytes("abcdbcabcdbc", 12));
  b.Append(KvBlob());
  EXPECT_EQ(b.Length(), 12);
  KvBlob empty;
  empty.Append(KvBlob("q", 1L));
  EXPECT_EQ(BytesOf(empty), TextBytes("q", 1));

  struct Row {
    const char* what;
    long n;
    Bytes bytes;
  };
  const Row expands[] = {
      {"longer: zero bytes follow", 5, {'a', 'b', 'c', 0, 0}},
      {"shorter", 2, {'a', 'b'}},
      {"same", 3, {'a', 'b', 'c'}},
      {"zero", 0, {}},
      {"negative", -4, {}},
  };
  for (const Row& r : expands) {
    KvBlob e("abc", 3L);
    e.Expand(r.n);
    EXPECT_EQ(BytesOf(e), r.bytes) << r.what;
  }

  struct ResizeRow {
    const char* what;
    unsigned long n;
    Bytes bytes;
    bool sameBuffer;
  };
  const ResizeRow resizes[] = {
      {"longer: a new buffer", 5, {'a', 'b', 'c', 0, 0}, false},
      {"shorter keeps the buffer", 2, {'a', 'b'}, true},
      {"same", 3, {'a', 'b', 'c'}, true},
      {"zero releases", 0, {}, false},
      {"2^32 is 0", UnsignedLongOf(uint64_t{1} << 32), {}, false},
  };
  for (const ResizeRow& r : resizes) {
    KvBlob e("abc", 3L);
    const char* before = e.Data();
    e.Resize(r.n);
    EXPECT_EQ(BytesOf(e), r.bytes) << r.what;
    EXPECT_EQ(e.Data() == before, r.sameBuffer) << r.what;
  }
  // Shortened, then lengthened again: the bytes past the short length are
  // not brought back.
  KvBlob s("abc", 3L);
  s.Resize(1);
  s.Resize(3);
  EXPECT_EQ(BytesOf(s), Bytes({'a', 0, 0}));
}

TEST(KvBlob, SeekWithinTheBytesOnly) {
  const KvBlob b("abcdef", 6L);
  struct Row {
    long offset, n;
    long expected;  // offset of the pointer, -1 for null
  };
  const Row rows[] = {
      {0, 1, 0},          {0, 6, 0},          {5, 1, 5},         {2, 4, 2},
      {6, 1, -1},         {5, 2, -1},         {0, 7, -1},        {0, 0, -1},
      {2, -1, -1},        {-1, 1, -1},        {-1, 2, -1},       {1, INT32_MAX, -1},
      {INT32_MAX, 1, -1}, {INT32_MAX, INT32_MAX, -1},            {INT32_MIN, INT32_MIN, -1},
      // Taken by their low 32 bits where long has 64.
      {LongOf(int64_t{1} << 32), 1, 0}, {0, LongOf(int64_t{1} << 32), -1},
      {LongOf(INT64_MIN), 1, 0},        {LongOf(INT64_MAX), 1, -1},
  };
  for (const Row& r : rows) {
    const char* p = b.Seek(r.offset, r.n);
    if (r.expected < 0)
      EXPECT_EQ(p, nullptr) << r.offset << " " << r.n;
    else
      EXPECT_EQ(p, b.Data() + r.expected) << r.offset << " " << r.n;
  }
  EXPECT_EQ(KvBlob().Seek(0, 1), nullptr);
}

TEST(KvBlob, CopyFromCopyToCut) {
  struct CopyFromRow {
    long offset, n;
    const char* bytes;
  };
  const CopyFromRow froms[] = {
      {0, 6, "abcdef"},  {0, 100, "abcdef"}, {1, 2, "bc"},       {4, 100, "ef"},
      {5, 1, "f"},       {6, 1, ""},         {7, 1, ""},         {0, 0, ""},
      {0, -1, ""},       {-1, 2, ""},        {2, INT32_MAX, "cdef"},
      {INT32_MAX, INT32_MAX, ""},            {INT32_MIN, 3, ""},
      {LongOf((int64_t{1} << 32) + 1), 2, "bc"},
  };
  const KvBlob source("abcdef", 6L);
  for (const CopyFromRow& r : froms) {
    const KvBlob copy = source.CopyFrom(r.offset, r.n);
    EXPECT_EQ(BytesOf(copy), TextBytes(r.bytes, std::strlen(r.bytes))) << r.offset << " " << r.n;
  }

  struct CopyToRow {
    long offset, n;
    const char* source;
    const char* result;
  };
  const CopyToRow tos[] = {
      {0, 3, "xyz", "xyzdef"},       {4, 3, "xyz", "abcdxy"},  // not beyond the end
      {2, 1, "xyz", "abxdef"},       {6, 3, "xyz", "abcdef"},  // at the end: nothing
      {7, 3, "xyz", "abcdef"},       {-1, 3, "xyz", "abcdef"}, {0, 0, "xyz", "abcdef"},
      {0, -5, "xyz", "abcdef"},      {0, 100, "xy", "xycdef"},  // not beyond the source
      {1, INT32_MAX, "uvwxyz", "auvwxy"}, {INT32_MAX, 1, "x", "abcdef"},
      {0, 3, "", "abcdef"},
  };
  for (const CopyToRow& r : tos) {
    KvBlob target("abcdef", 6L);
    target.CopyTo(KvBlob(r.source, static_cast<long>(std::strlen(r.source))), r.offset, r.n);
    EXPECT_EQ(BytesOf(target), TextBytes(r.result, 6)) << r.offset << " " << r.n;
  }
  KvBlob self("abcdef", 6L);
  self.CopyTo(self, 2, 4);
  EXPECT_EQ(BytesOf(self), TextBytes("ababcd", 6));

  struct CutRow {
    long offset, n;
    const char* result;
  };
  const CutRow cuts[] = {
      {0, 2, "cdef"}, {2, 2, "abef"},  {4, 100, "abcd"}, {0, 6, ""},  {0, INT32_MAX, ""},
      {6, 1, "abcdef"}, {7, 1, "abcdef"}, {2, 0, "abcdef"}, {2, -1, "abcdef"},
      {-1, 2, "abcdef"}, {INT32_MAX, INT32_MAX, "abcdef"}, {5, INT32_MAX, "abcde"},
  };
  for (const CutRow& r : cuts) {
    KvBlob b("abcdef", 6L);
    b.Cut(r.offset, r.n);
    EXPECT_EQ(BytesOf(b), TextBytes(r.result, std::strlen(r.result))) << r.offset << " " << r.n;
    if (std::strlen(r.result) == 0) {
      EXPECT_EQ(b.Data(), nullptr);
    }
  }
}

TEST(KvBlob, Search) {
  const KvBlob b("abcabd", 6L);
  struct Row {
    KvBlob pattern;
    long offset;
  };
  const Row rows[] = {
      {KvBlob("abcabd", 6L), 0}, {KvBlob(), 0},          {KvBlob("abd", 3L), 3},
      {KvBlob("ca", 2L), 2},     {KvBlob("abe", 3L), 65535}, {KvBlob("abcabdx", 7L), 65535},
      {KvBlob("abd"), 65535},  // its zero byte is part of the pattern
  };
  for (const Row& r : rows) EXPECT_EQ(b.Search(r.pattern), r.offset);
  EXPECT_EQ(KvBlob().Search(KvBlob()), 0);
  EXPECT_EQ(KvBlob().Search(KvBlob("a", 1L)), 65535);
}

TEST(KvBlob, LargeBlobs) {
  const long mib = 1L << 20;
  std::string bytes(mib, '\0');
  uint32_t state = 12345;  // bytes without a period, so that every piece is found once
  for (long i = 0; i < mib; ++i) {
    state = state * 1664525u + 1013904223u;
    bytes[i] = static_cast<char>(state >> 24);
  }
  KvBlob big(bytes.data(), mib);
  ASSERT_EQ(big.Length(), mib);
  EXPECT_EQ(std::memcmp(big.Data(), bytes.data(), mib), 0);

  KvBlob twice(big);
  twice += big;
  EXPECT_EQ(twice.Length(), 2 * mib);
  EXPECT_EQ(twice.CopyFrom(mib, mib) == big, 1);
  EXPECT_EQ(twice.Search(big), 0);
  EXPECT_EQ(twice.Search(twice.CopyFrom(mib - 3, 10)), mib - 3);

  twice.Cut(0, mib);
  EXPECT_EQ(twice == big, 1);
  twice.Expand(mib + 1);
  EXPECT_EQ(twice != big, 1);
  EXPECT_EQ(twice.Data()[mib], 0);
}

TEST(KvBlob, AllocData) {
  KvBlobData* d = KvBlob::AllocData(4);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->length, 5);
  EXPECT_EQ(Bytes(d->data, d->data + 5), Bytes(5, 0));
  KvBlob::FreeData(d);
  d = KvBlob::AllocData(0);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->length, 1);
  KvBlob::FreeData(d);
  EXPECT_EQ(KvBlob::AllocData(-1), nullptr);
  KvBlob::FreeData(nullptr);

  FailingMemory memory(-1);  // only the handler: nothing fails but what is too large
  EXPECT_EQ(KvBlob::AllocData(INT32_MAX), nullptr);
  EXPECT_EQ(handlerCalls, 1);
  EXPECT_EQ(handlerSize, 2147483648UL);
}

TEST(KvBlob, FailedAllocationCallsTheHandlerAndLeavesTheBlobEmpty) {
  const KvBlob source("abc");
  struct Row {
    const char* what;
    void (*make)(KvBlob& b, const KvBlob& source);
    unsigned long size;  // the size the handler is given
  };
  const Row rows[] = {
      {"sized", [](KvBlob& b, const KvBlob&) { b = KvBlob(10L); }, 10},
      {"bytes", [](KvBlob& b, const KvBlob&) { b = KvBlob("abcdefg", 7L); }, 7},
      {"text", [](KvBlob& b, const KvBlob&) { b = KvBlob("abcdef"); }, 7},
      {"number", [](KvBlob& b, const KvBlob&) { b = KvBlob(-42); }, 4},
      {"copy", [](KvBlob& b, const KvBlob& s) { b = KvBlob(s); }, 4},
      {"assignment", [](KvBlob& b, const KvBlob& s) { b = s; }, 4},
      {"set", [](KvBlob& b, const KvBlob&) { b.SetTo("xy", 2); }, 2},
      {"append", [](KvBlob& b, const KvBlob&) { b.Append("xy", 2); }, 5},
      {"append a blob", [](KvBlob& b, const KvBlob& s) { b += s; }, 7},
      {"expand", [](KvBlob& b, const KvBlob&) { b.Expand(8); }, 8},
      {"resize", [](KvBlob& b, const KvBlob&) { b.Resize(9); }, 9},
      {"copy from", [](KvBlob& b, const KvBlob& s) { b = s.CopyFrom(0, 2); }, 2},
  };
  for (const Row& r : rows) {
    KvBlob b("xyz", 3L);
    {
      FailingMemory memory(0);
      r.make(b, source);
    }
    EXPECT_EQ(handlerCalls, 1) << r.what;
    EXPECT_EQ(handlerSize, r.size) << r.what;
    EXPECT_EQ(b.Length(), 0) << r.what;
    EXPECT_EQ(b.Data(), nullptr) << r.what;
    // The blob works on afterwards.
    b.Append("ok", 2);
    EXPECT_EQ(BytesOf(b), TextBytes("ok", 2)) << r.what;
  }

  // Sizes no blob can hold reach the handler without an allocation.
  const char byte = 'x';
  struct TooLarge {
    const char* what;
    void (*make)(KvBlob& b, const char* p);
    unsigned long size;
  };
  const TooLarge large[] = {
      {"append past INT32_MAX", [](KvBlob& b, const char* p) { b.Append(p, INT32_MAX); },
       2147483650UL},
      {"resize past INT32_MAX", [](KvBlob& b, const char*) { b.Resize(0x80000000UL); },
       2147483648UL},
      {"resize to all ones", [](KvBlob& b, const char*) { b.Resize(ULONG_MAX); }, 4294967295UL},
  };
  for (const TooLarge& r : large) {
    KvBlob b("xyz", 3L);
    {
      FailingMemory memory(-1);
      r.make(b, &byte);
    }
    EXPECT_EQ(handlerCalls, 1) << r.what;
    EXPECT_EQ(handlerSize, r.size) << r.what;
    EXPECT_EQ(b.Length(), 0) << r.what;
  }

  // Edits that need no memory keep working when there is none.
  KvBlob b("abcdef", 6L);
  {
    FailingMemory memory(0);
    b.Cut(1, 2);
    b.Resize(2);
    b.Expand(1);
    b.CopyTo(KvBlob(), 0, 1);
    EXPECT_EQ(handlerCalls, 0);
  }
  EXPECT_EQ(BytesOf(b), TextBytes("a", 1));
}

}  // namespace
