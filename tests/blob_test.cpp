// KvBlob: construction, numbers, copies, order, edits with offsets and counts of
// every size, allocation failure reaching the memory handler; the blob
// row's loads of cut and lying blocks, its print, and BlobCompare over cut
// buffers and lying lengths. Blocks a load or a compare must not read past
// lie in heap copies of exactly their size. Stored bytes, arrays and the
// four cases of Translate are in scalar_rows_test.cpp, the bool row's texts
// in scalar_text_test.cpp, each with the other rows'.
#include <climits>
#include <cmath>
#include <tuple>
#include <variant>

#include <gtest/gtest.h>

#include "test_util.h"

using namespace std::string_literals;

namespace {

std::string TextOf(const KvBlob& b) { return b.Data() == nullptr ? "" : std::string(b.Data(), b.Length()); }

// A compare's result * 10 + its status, the status read after the call.
long Compared(uint8_t format, unsigned long length1, void* a, unsigned long length2, void* b, unsigned long count) {
  int status = 7;
  const long result = BlobCompare(format, length1, a, length2, b, 0, count, status);
  return result * 10 + status;
}

// A stored block written by hand: length fields (numbers) and data (texts).
Bytes Raw(uint8_t format, const std::vector<std::variant<uint32_t, std::string>>& pieces) {
  Bytes out;
  for (const auto& p : pieces) {
    for (int i = 0; i < 4 && p.index() == 0; ++i) out.push_back(static_cast<uint8_t>(std::get<0>(p) >> 8 * (format == 2 ? 3 - i : i)));
    if (p.index() == 1) out.insert(out.end(), std::get<1>(p).begin(), std::get<1>(p).end());
  }
  return Bytes(out);  // a heap block of exactly its size
}
// The stored block of the elements: their total, then each length and its bytes.
Bytes Block(uint8_t format, const std::vector<std::string>& elements) {
  std::vector<std::variant<uint32_t, std::string>> pieces = {0u};
  for (const std::string& e : elements) pieces.insert(pieces.end(), {static_cast<uint32_t>(e.size()), e});
  for (const std::string& e : elements) std::get<0>(pieces[0]) += 4 + static_cast<uint32_t>(e.size());
  return Raw(format, pieces);
}

int handlerCalls = 0;
unsigned long handlerSize = 0;
int CountingHandler(unsigned long size) { return ++handlerCalls, handlerSize = size, 0; }

// Runs f with the counting handler, and allocations failing after
// `successes` more (-1: none fails, but sizes no blob can hold).
template <typename F>
void WithFailingMemory(int32_t successes, F f) {
  const KvMemoryHandler previous = KvSetMemoryHandler(CountingHandler);
  handlerCalls = 0, handlerSize = 0, KvSetAllocFailure(successes);
  f();
  KvSetAllocFailure(-1), KvSetMemoryHandler(previous);
}

TEST(KvBlob, ConstructionAndNumbers) {
  const char raw[] = {'x', 0, 'y', 'z'};
  const struct { KvBlob blob; std::string bytes; } rows[] = {
      {KvBlob(), ""}, {KvBlob("ab"), "ab\0"s}, {KvBlob(""), "\0"s}, {KvBlob(static_cast<const char*>(nullptr)), ""}, {KvBlob(raw, 4L), "x\0yz"s},
      {KvBlob(raw, 0L), ""}, {KvBlob(raw, -3L), ""}, {KvBlob(static_cast<const void*>(nullptr), 5L), ""}, {KvBlob(5L), std::string(5, '\0')},
      {KvBlob(-1L), ""}, {KvBlob(KvString("xy")), "xy\0"s}, {KvBlob(KvString()), ""}, {KvBlob(KvString(static_cast<unsigned short>('A'))), "A\0\0\0"s},
      // Counts and sizes are taken by their low 32 bits, as the 32-bit
      // platform received them; numbers give their text and its zero.
      {KvBlob(raw, LongOf((int64_t{1} << 32) + 2)), "x\0"s}, {KvBlob(UnsignedLongOf((uint64_t{1} << 32) + 7)), "7\0"s},
      {KvBlob(-42), "-42\0"s}, {KvBlob(INT_MIN), "-2147483648\0"s}, {KvBlob(short{-32768}), "-32768\0"s},
      {KvBlob(4294967295UL), "4294967295\0"s}, {KvBlob(2.5), "2.500000\0"s}, {KvBlob(-0.0000004), "-0.000000\0"s}};
  for (const auto& r : rows) EXPECT_EQ(TextOf(r.blob) + (r.blob.Data() == nullptr ? "null" : ""), r.bytes + (r.bytes.empty() ? "null" : ""));
  EXPECT_EQ(KvBlob(1.7976931348623157e308).Length(), 309 + 7 + 1);  // the largest double in full
  // The bytes read as decimal text, up to a zero byte or the blob's end and
  // no further; int and long clamped to 32 bits, short keeps 16.
  const char digits[] = {'1', '2', '3', '4'};
  const std::string mib(1 << 20, '7'), nines(400, '9');
  const struct { KvBlob blob; int asInt; short asShort; double asDouble; } numbers[] = {
      {KvBlob(123), 123, 123, 123.0}, {KvBlob(2.5), 2, 2, 2.5}, {KvBlob("  -7x"), -7, -7, -7.0}, {KvBlob(), 0, 0, 0.0}, {KvBlob("abc"), 0, 0, 0.0},
      {KvBlob(digits, 2L), 12, 12, 12.0}, {KvBlob("5\0" "9", 3L), 5, 5, 5.0}, {KvBlob(70000), 70000, 4464, 70000.0},
      {KvBlob("99999999999"), INT_MAX, -1, 99999999999.0}, {KvBlob("-99999999999"), INT_MIN, 0, -99999999999.0}, {KvBlob("010"), 10, 10, 10.0},
      {KvBlob(mib.data(), 1L << 20), INT_MAX, -1, HUGE_VAL}, {KvBlob(nines.data(), 400L), INT_MAX, -1, HUGE_VAL}};
  for (const auto& r : numbers)
    EXPECT_EQ(std::vector<double>({1.0 * static_cast<int>(r.blob), 1.0 * static_cast<long>(r.blob), 1.0 * static_cast<short>(r.blob), r.blob}),
              std::vector<double>({1.0 * r.asInt, 1.0 * r.asInt, 1.0 * r.asShort, r.asDouble})) << TextOf(r.blob).substr(0, 12);
}

TEST(KvBlob, CopiesOrderAndSearch) {
  KvBlob a("abc"), b(a), c, d("xy");
  b.Data()[0] = 'z';
  c = a;
  const char *before = c.Data(), *held = a.Data();
  c = c;  // nothing on self-assignment
  EXPECT_EQ(TextOf(a) + TextOf(b) + TextOf(c) + (c.Data() == before ? "" : " moved"), "abc\0zbc\0abc\0"s);
  // Destroy takes the other's bytes and leaves it empty.
  d.Destroy(a), d.Destroy(d);
  EXPECT_TRUE(d.Data() == held && a.Data() == nullptr);
  // A char* is one stored element in memory, a native 32-bit length and its
  // bytes; constant text is text.
  char image[7] = {0, 0, 0, 0, 'p', 'q', 'r'};
  std::string seen;
  for (int32_t n : {3, -5}) std::memcpy(image, &n, 4), c = image, seen += TextOf(c) + "|";
  for (KvBlob* e : {&a, &c}) *e = static_cast<char*>(nullptr), seen += TextOf(*e) + "|";
  c = "rs", seen += TextOf(c) + "|", c = static_cast<const char*>(nullptr);
  EXPECT_EQ(seen + TextOf(c), "pqr||||rs\0|"s);
  // The first differing byte, unsigned, decides; then the length.
  const struct { KvBlob a, b; long order; } rows[] = {
      {KvBlob("abc", 3L), KvBlob("abd", 3L), -1}, {KvBlob("ab", 2L), KvBlob("abc", 3L), -1}, {KvBlob(), KvBlob(), 0},
      {KvBlob(), KvBlob("", 1L), -1}, {KvBlob("\x80", 1L), KvBlob("\x01", 1L), 1}, {KvBlob("abc"), KvBlob("abc"), 0}, {KvBlob("b", 1L), KvBlob("abc", 3L), 1}};
  for (const auto& r : rows)
    EXPECT_EQ(std::vector<long>({r.a != r.b, -(r.b != r.a), r.a == r.b}), std::vector<long>({r.order, r.order, r.order == 0})) << TextOf(r.a) << " " << TextOf(r.b);
  // The offset of a pattern, 65535 for none; its zero byte is part of it.
  const KvBlob s("abcabd", 6L);
  const std::pair<KvBlob, long> searches[] = {{KvBlob("abcabd", 6L), 0}, {KvBlob(), 0}, {KvBlob("abd", 3L), 3}, {KvBlob("ca", 2L), 2},
                                              {KvBlob("abe", 3L), 65535}, {KvBlob("abcabdx", 7L), 65535}, {KvBlob("abd"), 65535}};
  for (const auto& [pattern, at] : searches) EXPECT_EQ(s.Search(pattern), at) << TextOf(pattern);
}

TEST(KvBlob, EditsWithOffsetsAndCountsOfEverySize) {
  KvBlob b("abcdef", 6L), empty;
  b.SetTo(b.Data() + 2, 3);  // a source inside the blob itself
  EXPECT_EQ(TextOf(b), "cde");
  b.SetTo("ab", 2);
  for (long n : {2L, 0L, -2L}) b.Append("cd", n);
  b.Append(static_cast<const void*>(nullptr), 2), b.Append(b.Data() + 1, 2), b += b, b.Append(KvBlob()), empty.Append(KvBlob("q", 1L));
  EXPECT_EQ(TextOf(b) + TextOf(empty), "abcdbcabcdbcq");
  // Expand keeps the bytes up to n, zero bytes after them; Resize alike,
  // keeping the buffer when it shrinks, and 0 (or 2^32) releasing it; the
  // bytes past a short length do not come back.
  for (long n : {5L, 2L, 3L, 0L, -4L}) {
    KvBlob e("abc", 3L), r("abc", 3L);
    const char* before = r.Data();
    e.Expand(n);
    r.Resize(UnsignedLongOf(n == -4 ? uint64_t{1} << 32 : static_cast<uint64_t>(n)));
    EXPECT_EQ(TextOf(e), n <= 0 ? "" : std::string("abc\0\0", static_cast<size_t>(n))) << n;
    EXPECT_EQ(TextOf(r) + (r.Data() == before ? "kept" : ""), TextOf(e) + (n == 2 || n == 3 ? "kept" : "")) << n;
  }
  b.SetTo("abc", 3), b.Resize(1), b.Resize(3);
  EXPECT_EQ(TextOf(b), "a\0\0"s);
  // offset, count: Seek's offset (-1 for null), and the bytes CopyFrom
  // gives, CopyTo leaves of "abcdef" with "uvwxyz", Cut leaves.
  const KvBlob s("abcdef", 6L);
  const struct { long offset, n, seek; const char *from, *to, *cut; } rows[] = {
      {0, 1, 0, "a", "ubcdef", "bcdef"}, {0, 6, 0, "abcdef", "uvwxyz", ""}, {5, 1, 5, "f", "abcdeu", "abcde"},
      {2, 4, 2, "cdef", "abuvwx", "ab"}, {6, 1, -1, "", "abcdef", "abcdef"}, {5, 2, -1, "f", "abcdeu", "abcde"},
      {4, 100, -1, "ef", "abcduv", "abcd"}, {0, 7, -1, "abcdef", "uvwxyz", ""}, {0, 0, -1, "", "abcdef", "abcdef"},
      {2, -1, -1, "", "abcdef", "abcdef"}, {-1, 2, -1, "", "abcdef", "abcdef"}, {7, 1, -1, "", "abcdef", "abcdef"},
      {1, INT32_MAX, -1, "bcdef", "auvwxy", "a"}, {INT32_MAX, 1, -1, "", "abcdef", "abcdef"},
      {INT32_MAX, INT32_MAX, -1, "", "abcdef", "abcdef"}, {INT32_MIN, INT32_MIN, -1, "", "abcdef", "abcdef"},
      // Taken by their low 32 bits where long has 64.
      {LongOf(int64_t{1} << 32), 1, 0, "a", "ubcdef", "bcdef"}, {0, LongOf(int64_t{1} << 32), -1, "", "abcdef", "abcdef"},
      {LongOf((int64_t{1} << 32) + 1), 2, 1, "bc", "auvdef", "adef"}, {LongOf(INT64_MAX), 1, -1, "", "abcdef", "abcdef"}};
  for (const auto& r : rows) {
    KvBlob to("abcdef", 6L), cut("abcdef", 6L);
    to.CopyTo(KvBlob("uvwxyz", 6L), r.offset, r.n);
    cut.Cut(r.offset, r.n);
    EXPECT_EQ(s.Seek(r.offset, r.n), r.seek < 0 ? nullptr : s.Data() + r.seek) << r.offset << ", " << r.n;
    EXPECT_EQ(TextOf(s.CopyFrom(r.offset, r.n)) + "|" + TextOf(to) + "|" + TextOf(cut) + (cut.Data() ? "" : "null"),
              r.from + "|"s + r.to + "|" + r.cut + (*r.cut ? "" : "null")) << r.offset << ", " << r.n;
  }
  EXPECT_EQ(KvBlob().Seek(0, 1), nullptr);
  // Not beyond the source; a blob copied into itself.
  KvBlob to("abcdef", 6L);
  to.CopyTo(KvBlob("xy", 2L), 0, 100), to.CopyTo(KvBlob(), 0, 3), to.CopyTo(to, 2, 4);
  EXPECT_EQ(TextOf(to), "xyxycd");
}

TEST(KvBlob, FailedAllocationCallsTheHandlerAndLeavesTheBlobEmpty) {
  KvBlobData* data = KvBlob::AllocData(4);  // n bytes and a zero
  EXPECT_EQ(std::string(data->data, data->length), std::string(5, '\0'));
  KvBlob::FreeData(data), KvBlob::FreeData(nullptr);
  EXPECT_EQ(KvBlob::AllocData(-1), nullptr);
  const KvBlob source("abc");
  using B = KvBlob;
  const struct { void (*make)(B& b, const B& source); unsigned long size; int32_t successes; } rows[] = {
      {[](B& b, const B&) { b = B(10L); }, 10, 0}, {[](B& b, const B&) { b = B("abcdefg", 7L); }, 7, 0}, {[](B& b, const B&) { b = B("abcdef"); }, 7, 0},
      {[](B& b, const B&) { b = B(-42); }, 4, 0}, {[](B& b, const B& s) { b = B(s); }, 4, 0}, {[](B& b, const B& s) { b = s; }, 4, 0},
      {[](B& b, const B&) { b.SetTo("xy", 2); }, 2, 0}, {[](B& b, const B&) { b.Append("xy", 2); }, 5, 0}, {[](B& b, const B& s) { b += s; }, 7, 0},
      {[](B& b, const B&) { b.Expand(8); }, 8, 0}, {[](B& b, const B&) { b.Resize(9); }, 9, 0}, {[](B& b, const B& s) { b = s.CopyFrom(0, 2); }, 2, 0},
      // Sizes no blob can hold reach the handler without an allocation.
      {[](B& b, const B&) { b.Append("x", INT32_MAX); }, 2147483650UL, -1}, {[](B& b, const B&) { b.Resize(0x80000000UL); }, 2147483648UL, -1},
      {[](B& b, const B&) { b.Resize(ULONG_MAX); }, 4294967295UL, -1},
      {[](B& b, const B&) { KvBlob::FreeData(KvBlob::AllocData(INT32_MAX)), b = B(); }, 2147483648UL, -1}};
  for (const auto& r : rows) {
    KvBlob b("xyz", 3L);
    WithFailingMemory(r.successes, [&] { r.make(b, source); });
    EXPECT_EQ(std::make_tuple(handlerCalls, handlerSize, b.Data()), std::make_tuple(1, r.size, nullptr));
    EXPECT_EQ(TextOf((b.Append("ok", 2), b)), "ok");  // and it works on
  }
  // Edits that need no memory keep working when there is none.
  KvBlob b("abcdef", 6L);
  WithFailingMemory(0, [&] { b.Cut(1, 2), b.Resize(2), b.Expand(1), b.CopyTo(KvBlob(), 0, 1); });
  EXPECT_EQ(TextOf(b) + std::to_string(handlerCalls), "a0");
  // A load whose allocation fails leaves that blob empty and goes on.
  Bytes block = Block(1, {"ab", "cde"});
  KvBlob loaded[2];
  WithFailingMemory(1, [&] { EXPECT_EQ(KvTypeMgr().Load(KvTYPE_BLOB, loaded, block.data(), 1, 2), 17u); });
  EXPECT_EQ(std::make_pair(handlerCalls, handlerSize), std::make_pair(1, 3UL));
  EXPECT_EQ(TextOf(loaded[0]) + "|" + TextOf(loaded[1]), "ab|");
}

// A block is read within its total and the length a caller gives: an
// element whose length field or bytes lie beyond them loads empty, and so
// does every one after it; a negative length counts as 0. A stored size is
// the block's total as it reads in the buffer's byte order, and never
// wraps; a memory file without a whole total left measures 0, and keeps
// its position.
TEST(BlobRows, LoadsAndSizesOfCutAndLyingBlocks) {
  const Bytes whole = Raw(2, {13u, 2u, "ab"s, 3u, "cde"s});
  const struct { Bytes block; uint32_t length; std::string loaded; uint32_t result; } rows[] = {  // length 0: Load
      {Raw(1, {13u, 2u, "ab"s, 3u, "cde"s}), 0, "ab|cde|", 17}, {Raw(1, {7u, 3u, "abc"s, "x"s}), 0, "abc||", 11},
      {Raw(1, {7u, 100u, "abc"s}), 0, "||", 11}, {Raw(1, {9u, 1u, "a"s, 1u, "b"s}), 0, "a||", 13},
      {Raw(1, {14u, 50u, "a"s, 1u, "b"s}), 0, "||", 18}, {Raw(1, {10u, 0xFFFFFFFFu, 2u, "hi"s}), 0, "|hi|", 14},
      {Raw(1, {10u, 0x80000000u, 2u, "hi"s}), 0, "|hi|", 14}, {Raw(1, {0u}), 0, "||", 4}, {whole, 16, "ab||", 16},
      {whole, 10, "ab||", 10}, {whole, 9, "||", 9}, {whole, 3, "||", 0}};
  KvTypeMgr mgr;
  for (const auto& r : rows) {
    std::vector<uint8_t> block(r.block.begin(), r.block.begin() + (r.length ? r.length : r.block.size()));
    KvBlob loaded[2] = {KvBlob("old"), KvBlob("old")};
    EXPECT_EQ(r.length == 0 ? mgr.Load(KvTYPE_BLOB, loaded, block.data(), 1, 2) : mgr.Translate(KvTYPE_BLOB, loaded, 8, 0, block.data(), 2, r.length, 2),
              r.result);
    EXPECT_EQ(TextOf(loaded[0]) + "|" + TextOf(loaded[1]) + "|", r.loaded) << r.result << " " << r.length;
  }
  const struct { Bytes block; uint8_t format; unsigned long size; } sizes[] = {
      {Raw(1, {1000u}), 1, 1004}, {Raw(2, {1000u}), 2, 1004}, {Raw(1, {1000u}), 2, 0xE8030000 + 4UL}, {Raw(1, {0xFFFFFFF0u}), 1, 0xFFFFFFF4},
      {Raw(1, {0xFFFFFFFEu}), 1, 0xFFFFFFFF}};
  for (const auto& r : sizes) {
    Bytes framed = {1, 2, 3};
    framed.insert(framed.end(), r.block.begin(), r.block.end());
    MemFile file(framed.data(), static_cast<uint32_t>(framed.size()), 3), cut(framed.data(), 6, 3);
    EXPECT_EQ(mgr.DiskLenGet(KvTYPE_BLOB, framed.data() + 3, 1, 2, r.format), r.size);
    EXPECT_EQ(mgr.DiskLenGetFromMemFile(KvTYPE_BLOB, &file, r.format, 2), r.size);
    EXPECT_EQ(file.PosGet(), 3u);
    EXPECT_EQ(mgr.DiskLenGetFromMemFile(KvTYPE_BLOB, &cut, r.format, 2), 0u);
  }
}

// A megabyte element among others: stored and loaded whole (the byte
// counts pass 16 bits), searched past 16 bits, and compared with one that
// differs in its last byte, whole, then with that byte cut off.
TEST(BlobRows, MegabyteElements) {
  const long mib = 1L << 20;
  const std::string big = std::string(mib - 1, 'm') + "n";
  KvBlob blobs[3] = {KvBlob(), KvBlob(big.data(), mib), KvBlob("z", 1L)}, loaded[3];
  const uint32_t size = 4 + 4 + (4 + mib) + 5, last = size - 6;  // the megabyte's last byte
  Bytes b(size);
  EXPECT_EQ(KvTypeMgr().Store(KvTYPE_BLOB, b.data(), blobs, 2, 3), size);
  EXPECT_EQ(KvTypeMgr().Load(KvTYPE_BLOB, loaded, b.data(), 2, 3), size);
  int status = 7;
  EXPECT_EQ(KvTypeMgr().Cmp(KvTYPE_BLOB, 0, blobs, 0, loaded, 0, 3, 8, status), 0);
  EXPECT_EQ(loaded[1].Search(KvBlob("mn", 2L)), mib - 2);
  Bytes a = b;
  a[last] = 'm';
  EXPECT_EQ(Compared(2, size, a.data(), size, b.data(), 3), -10);
  EXPECT_EQ(Compared(2, size, a.data(), last, b.data(), 3), KvCMP_INCOMPLETE);
}

// "%L" prints the length, appended; a scan leaves the blob (its lists are
// with the other rows' in scalar_text_test.cpp).
TEST(BlobRows, Texts) {
  KvTypeMgr mgr;
  KvBlob blob(1024L);
  const char endsInPercent[] = "ab%\0Z";  // nothing after the zero is read
  const struct { const char* format; std::string text; } rows[] = {
      {nullptr, "pre:[BLOB,len=1024]"}, {"%L%L", "pre:10241024"}, {"100%%", "pre:100%"}, {"%x%d%s", "pre:xds"}, {"ab%", "pre:ab"},
      {"", "pre:"}, {endsInPercent, "pre:ab"}};
  for (const auto& r : rows) {
    KvString out("pre:");
    EXPECT_EQ(&mgr.PrintToKvString(KvTYPE_BLOB, out, &blob, r.format, 1), &out);
    EXPECT_EQ(std::string(out.StrGet(), out.Len()), r.text) << (r.format ? r.format : "null");
  }
  KvString text("[BLOB,len=3]");
  EXPECT_TRUE(mgr.ScanFromKvString(KvTYPE_BLOB, &blob, text, nullptr, 1) == &blob && blob.Length() == 1024);
}

// A difference within the bytes both buffers hold decides for good; where
// the bytes given end before anything decides, the result is 0 and open (a
// cut blob used to compare final). With length 0 the totals tell. In
// memory, the blobs' order, for objects wholly within a length.
TEST(BlobCompare, CutBuffersAndLyingLengths) {
  const int kOpen = KvCMP_INCOMPLETE;
  const struct { std::vector<std::string> a, b; uint32_t count; long result; int status; } blocks[] = {
      {{"ab"}, {"abc"}, 1, -1, 0}, {{""}, {""}, 1, 0, 0}, {{""}, {"\0"s}, 1, -1, 0}, {{"abc"}, {"abd"}, 1, -1, 0}, {{"b"}, {"abc"}, 1, 1, 0},
      {{"\x80"}, {"\x01"}, 1, 1, 0}, {{"a", "b"}, {"a", "c"}, 2, -1, 0}, {{"a", "b"}, {"a", "c"}, 1, 0, 0}, {{"abc", "x"}, {"abc", "w"}, 2, 1, 0},
      {{"", "", "q"}, {"", "", "r"}, 3, -1, 0}, {{"a", "b"}, {"a", "b"}, 5, 0, kOpen}, {{"a"}, {"b"}, 0, 0, 0}};
  for (uint8_t format : {1, 2})
    for (const auto& r : blocks)
      for (uint32_t given : {1u, 0u}) {
        Bytes a = Block(format, r.a), b = Block(format, r.b);
        EXPECT_EQ(Compared(format, given * a.size(), a.data(), given * b.size(), b.data(), r.count), r.result * 10 + r.status)
            << r.a[0] << " : " << r.b[0] << " in format " << int{format};
      }
  const Bytes cut100 = Raw(1, {104u, 100u, "abc"s});
  const struct { Bytes a, b; uint32_t count; long result; int status; } rows[] = {
      {cut100, Block(1, {"abd"}), 1, -1, 0}, {cut100, cut100, 2, 0, kOpen}, {cut100, Block(1, {"abc"}), 1, 1, 0},
      {Block(1, {"abc"}), Raw(1, {104u, 100u, "ab"s}), 1, 0, kOpen}, {Raw(1, {8u, "\x01\x00"s}), Block(1, {"a"}), 1, 0, kOpen},  // a cut length field
      {Raw(1, {4u}), Block(1, {"a"}), 1, 0, kOpen}, {Raw(1, {"\x04\x00"s}), Block(1, {"a"}), 1, 0, kOpen},
      {Raw(1, {9u, 1u, "a"s}), Raw(1, {9u, 1u, "a"s, 0u}), 2, 0, kOpen},
      {Raw(1, {0xFFFFFFF0u, 1u, "b"s}), Block(1, {"a"}), 1, 1, 0},        // a lying total is not read
      {Raw(1, {8u, 0xFFFFFFFFu, 0u}), Block(1, {"", ""}), 2, 0, 0},       // a negative length counts as 0
      {Raw(1, {5u, 0x80000000u, "z"s}), Block(1, {"\0"s}), 1, -1, 0}, {Raw(1, {13u, 1u, "a"s, 0x7FFFFFFFu, "xyz"s}), Block(1, {"a", "xyz"}), 2, 1, 0}};
  for (const auto& r : rows) {
    std::vector<uint8_t> a(r.a), b(r.b);  // heap copies of the exact sizes
    EXPECT_EQ(Compared(1, a.size(), a.data(), b.size(), b.data(), r.count), r.result * 10 + r.status) << r.a.size();
    EXPECT_EQ(Compared(1, b.size(), b.data(), a.size(), a.data(), r.count), -r.result * 10 + r.status) << r.a.size();
  }
  // A kilobyte blob given with 600 bytes against one that differs at 1000:
  // open.
  std::string kilo(1024, 'k'), late = kilo;
  late[1000] = 'l';
  std::vector<uint8_t> c(600), d = Block(1, {late});
  std::memcpy(c.data(), Block(1, {kilo}).data(), 600);
  EXPECT_EQ(Compared(1, c.size(), c.data(), d.size(), d.data(), 1), kOpen);
  KvBlob x[] = {KvBlob("abc", 3L), KvBlob("x", 1L)}, y[] = {KvBlob("abc", 3L), KvBlob("y", 1L)}, z[] = {KvBlob("ab", 2L), KvBlob()};
  const unsigned long one = sizeof(KvBlob);
  const struct { KvBlob *a, *b; unsigned long length1, length2, count; long result; int status; } memory[] = {
      {x, y, 0, 0, 2, -1, 0}, {y, x, 0, 0, 2, 1, 0}, {x, y, 0, 0, 1, 0, 0}, {z, x, 0, 0, 2, -1, 0}, {x, z, 0, 0, 2, 1, 0},
      {x, y, one, 0, 2, 0, kOpen}, {x, y, 2 * one, 2 * one, 2, -1, 0}, {z, x, one - 1, 0, 2, 0, kOpen}, {z, x, 0, one - 1, 2, 0, kOpen}};
  for (const auto& r : memory)
    EXPECT_EQ(Compared(8, r.length1, r.a, r.length2, r.b, r.count), r.result * 10 + r.status) << r.length1 << " " << r.count;
}

}  // namespace
