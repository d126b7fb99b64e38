// Facts about the bool and KvBlob rows: stored bytes in both byte orders,
// arrays and their count block, sizes, loads and translations of cut and
// lying blocks, text lists, print and scan.
#include <cstdint>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "kvtable.h"
#include "kvtm/kvtm.h"
#include "blob_block.h"
#include "test_util.h"

namespace {


std::string TextOf(const KvBlob& b) { return std::string(b.Data(), b.Data() + b.Length()); }

std::vector<std::string> TextsOf(const KvBlob* blobs, size_t n) {
  std::vector<std::string> out;
  for (size_t i = 0; i < n; ++i) out.push_back(TextOf(blobs[i]));
  return out;
}

uint32_t RecordedCount(const void* values) {
  uint32_t count;
  std::memcpy(&count, static_cast<const uint8_t*>(values) - 4, 4);
  return count;
}

// Raw room for n blobs (operator new aligns it for them).
struct BlobRoom {
  explicit BlobRoom(size_t n) : bytes(n * sizeof(KvBlob)) {}
  KvBlob* Blobs() { return reinterpret_cast<KvBlob*>(bytes.data()); }
  std::vector<uint8_t> bytes;
};

int handlerCalls = 0;
unsigned long handlerSize = 0;
int CountingHandler(unsigned long size) {
  ++handlerCalls;
  handlerSize = size;
  return 0;
}

TEST(BoolRows, EverySlotIsFilled) {
  for (KvTypeDescriptor* const* table : {kvStandardTable, kvLegacyTable}) {
    for (KvTypeId id : {KvTYPE_BOOL, KvTYPE_BLOB}) {
      const KvTypeDescriptor& row = *table[KvTypeIndex(id)];
      SCOPED_TRACE(row.name);
      EXPECT_NE(row.Create, nullptr);
      EXPECT_NE(row.Delete, nullptr);
      EXPECT_NE(row.Store, nullptr);
      EXPECT_NE(row.Load, nullptr);
      EXPECT_NE(row.NullSizeGet, nullptr);
      EXPECT_NE(row.SizeGet, nullptr);
      EXPECT_NE(row.SizeGetFromMemFile, nullptr);
      EXPECT_NE(row.ConvertToKvString, nullptr);
      EXPECT_NE(row.ConvertFromKvString, nullptr);
      EXPECT_NE(row.Constructor, nullptr);
      EXPECT_NE(row.Destructor, nullptr);
      EXPECT_NE(row.Assignment, nullptr);
      EXPECT_NE(row.Copy, nullptr);
      EXPECT_NE(row.Translate, nullptr);
      EXPECT_NE(row.PrintToString, nullptr);
      EXPECT_NE(row.ScanFromString, nullptr);
    }
  }
  KvTypeMgr mgr;
  EXPECT_EQ(mgr.CmpFuncPtrGet(KvTYPE_BOOL), BooleanCompare);
  EXPECT_EQ(mgr.CmpFuncPtrGet(KvTYPE_BLOB), BlobCompare);
  EXPECT_EQ(kvStandardTable[KvTYPE_BOOL]->EvalAndBound, KvEvalBool);
  EXPECT_EQ(kvStandardTable[KvTYPE_BLOB]->EvalAndBound, KvEvalBlob);
  EXPECT_EQ(mgr.MemLenGet(KvTYPE_BOOL, 3), 3);
  EXPECT_EQ(mgr.IsFixed(KvTYPE_BOOL), 1);
  EXPECT_EQ(mgr.MemLenGet(KvTYPE_BLOB, 1), sizeof(KvBlob));
  EXPECT_EQ(mgr.IsFixed(KvTYPE_BLOB), 0);
}

TEST(BoolRows, StoredBytesSizesAndArrays) {
  KvTypeMgr mgr;
  uint8_t values[3] = {1, 0, 0xFF};
  // One byte per value as it is, in every format.
  for (uint8_t format : {1, 2, 3}) {
    uint8_t stored[3] = {9, 9, 9};
    EXPECT_EQ(mgr.Store(KvTYPE_BOOL, stored, values, format, 3), 3u);
    EXPECT_EQ(Bytes(stored, stored + 3), Bytes({1, 0, 0xFF}));
    uint8_t loaded[3] = {};
    EXPECT_EQ(mgr.Load(KvTYPE_BOOL, loaded, stored, format, 3), 3u);
    EXPECT_EQ(Bytes(loaded, loaded + 3), Bytes({1, 0, 0xFF}));
    EXPECT_EQ(mgr.DiskLenGet(KvTYPE_BOOL, values, format, 3, 8), 3u);
    MemFile file(stored, 3);
    EXPECT_EQ(mgr.DiskLenGetFromMemFile(KvTYPE_BOOL, &file, format, 3), 3u);
  }
  EXPECT_EQ(kvStandardTable[KvTYPE_BOOL]->NullSizeGet(4), 4u);

  // Count 0 or 1: one false byte; more: a counted block of false bytes.
  for (unsigned long count : {0UL, 1UL}) {
    void* one = mgr.Create(KvTYPE_BOOL, count);
    ASSERT_NE(one, nullptr);
    EXPECT_EQ(*static_cast<uint8_t*>(one), 0);
    mgr.Delete(KvTYPE_BOOL, one, count);
  }
  uint8_t* block = static_cast<uint8_t*>(mgr.Create(KvTYPE_BOOL, 5));
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(RecordedCount(block), 5u);
  EXPECT_EQ(Bytes(block, block + 5), Bytes(5, 0));
  EXPECT_EQ(mgr.Delete(KvTYPE_BOOL, block, 5), nullptr);
  EXPECT_EQ(mgr.Delete(KvTYPE_BOOL, nullptr, 5), nullptr);

  uint8_t raw[3] = {7, 7, 7};
  mgr.ConstructorPtrGet(KvTYPE_BOOL)(raw, 3, 0);
  EXPECT_EQ(Bytes(raw, raw + 3), Bytes(3, 0));
  mgr.AssignmentPtrGet(KvTYPE_BOOL)(raw, values, 3, 0);
  EXPECT_EQ(Bytes(raw, raw + 3), Bytes({1, 0, 0xFF}));
  mgr.CopyPtrGet(KvTYPE_BOOL)(raw, values + 1, 3, 1);
  EXPECT_EQ(Bytes(raw, raw + 3), Bytes(3, 0));
}

TEST(BoolRows, Translate) {
  KvTypeMgr mgr;
  const uint8_t source[3] = {1, 0, 1};
  struct Row {
    const char* what;
    uint8_t targetFormat, sourceFormat;
    unsigned long targetLength, sourceLength, count;
    Bytes target;
    unsigned long result;
  };
  const Row rows[] = {
      {"memory to memory", 8, 8, 0, 0, 3, {1, 0, 1, 9}, 3},
      {"memory to memory, bounded", 8, 8, 2, 0, 3, {1, 0, 9, 9}, 2},
      {"memory to stored", 2, 8, 0, 0, 3, {1, 0, 1, 9}, 3},
      {"stored to memory", 8, 1, 0, 0, 3, {1, 0, 1, 9}, 3},
      {"stored to stored, longer target", 1, 2, 4, 2, 3, {1, 0, 0, 0}, 2},
      {"stored to stored, shorter target", 1, 2, 2, 3, 3, {1, 0, 9, 9}, 2},
  };
  for (const Row& r : rows) {
    uint8_t target[4] = {9, 9, 9, 9};
    EXPECT_EQ(mgr.Translate(KvTYPE_BOOL, target, r.targetFormat, r.targetLength,
                            const_cast<uint8_t*>(source), r.sourceFormat, r.sourceLength, r.count),
              r.result)
        << r.what;
    EXPECT_EQ(Bytes(target, target + 4), r.target) << r.what;
  }
}

TEST(BoolRows, TextListsPrintAndScan) {
  KvTypeMgr mgr;
  uint8_t values[3] = {1, 0, 5};
  KvString* list = mgr.ConvertToKvString(values, KvTYPE_BOOL, 3);
  ASSERT_NE(list, nullptr);
  EXPECT_STREQ(list->StrGet(), "1,0,1,");
  delete list;
  list = mgr.ConvertToKvString(values, KvTYPE_BOOL, 0);
  EXPECT_STREQ(list->StrGet(), "");
  delete list;

  struct ListRow {
    const char* text;
    uint32_t count;
    Bytes values;
  };
  const ListRow lists[] = {
      {"1,0,1,", 3, {1, 0, 1}},   {"1;0;", 2, {1, 0}},      {"10,x,", 2, {1, 0}},
      {"", 2, {0, 0}},            {"1,", 3, {1, 0, 0}},     {"true,1,", 2, {0, 1}},
      {" 1,1,", 2, {0, 1}},
      // Without a separator at its end, a list's last character is taken for
      // one: "1" is one empty item.
      {"1", 1, {0}},
  };
  for (const ListRow& r : lists) {
    KvString text(r.text);
    uint8_t* read = static_cast<uint8_t*>(mgr.ConvertFromKvString(&text, KvTYPE_BOOL, r.count));
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(Bytes(read, read + r.count), r.values) << r.text;
    mgr.Delete(KvTYPE_BOOL, read, r.count);
  }
  KvString wide("0,1,");
  wide.SetCodeSet(KvCS_UNICODE);
  uint8_t* read = static_cast<uint8_t*>(mgr.ConvertFromKvString(&wide, KvTYPE_BOOL, 2));
  EXPECT_EQ(Bytes(read, read + 2), Bytes({0, 1}));
  mgr.Delete(KvTYPE_BOOL, read, 2);

  // Printing replaces the result's text, whatever the format.
  uint8_t t = 1, f = 0, other = 0x80;
  struct PrintRow {
    uint8_t* value;
    const char* format;
    const char* text;
  };
  const PrintRow prints[] = {
      {&t, nullptr, "TRUE"}, {&f, nullptr, "FALSE"}, {&other, "%d", "TRUE"}, {&f, "x%sy", "FALSE"},
  };
  for (const PrintRow& r : prints) {
    KvString out("old text");
    mgr.PrintToKvString(KvTYPE_BOOL, out, r.value, r.format, 1);
    EXPECT_STREQ(out.StrGet(), r.text);
  }
  KvString kept("kept");
  kvStandardTable[KvTYPE_BOOL]->PrintToString(kept, nullptr, "noop", 1);
  EXPECT_STREQ(kept.StrGet(), "kept");

  // True for exactly these whole texts.
  struct ScanRow {
    const char* text;
    uint8_t value;
  };
  const ScanRow scans[] = {
      {"T", 1},     {"t", 1},     {"TRUE", 1},  {"true", 1}, {"1", 1},    {"True", 0},
      {"tRUE", 0},  {"TRUE ", 0}, {" 1", 0},    {"11", 0},   {"0", 0},    {"", 0},
      {"FALSE", 0}, {"yes", 0},   {"Tr", 0},
  };
  for (const ScanRow& r : scans) {
    uint8_t value = r.value != 0 ? 0 : 0x55;  // the scan always writes
    KvString text(r.text);
    EXPECT_EQ(mgr.ScanFromKvString(KvTYPE_BOOL, &value, text, nullptr, 1), &value);
    EXPECT_EQ(value, r.value) << r.text;
  }
  KvString wideTrue("TRUE");
  wideTrue.SetCodeSet(KvCS_UNICODE);
  uint8_t value = 0;
  mgr.ScanFromKvString(KvTYPE_BOOL, &value, wideTrue, nullptr, 1);
  EXPECT_EQ(value, 1);
  KvString any("1");
  EXPECT_EQ(kvStandardTable[KvTYPE_BOOL]->ScanFromString(nullptr, any, "noop", 1), nullptr);

  // What is printed scans back to the same value.
  for (uint8_t v : {0, 1}) {
    KvString printed;
    mgr.PrintToKvString(KvTYPE_BOOL, printed, &v, nullptr, 1);
    uint8_t back = 0x55;
    mgr.ScanFromKvString(KvTYPE_BOOL, &back, printed, nullptr, 1);
    EXPECT_EQ(back, v);
  }
}

TEST(BlobRows, StoredBytesInBothByteOrders) {
  KvTypeMgr mgr;
  KvBlob values[2] = {KvBlob("abc", 3L), KvBlob()};
  struct Row {
    uint8_t format;
    Bytes bytes;
  };
  const Row rows[] = {
      {1, {0x0B, 0, 0, 0, 3, 0, 0, 0, 'a', 'b', 'c', 0, 0, 0, 0}},
      {2, {0, 0, 0, 0x0B, 0, 0, 0, 3, 'a', 'b', 'c', 0, 0, 0, 0}},
      {3, {0x0B, 0, 0, 0, 3, 0, 0, 0, 'a', 'b', 'c', 0, 0, 0, 0}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(int{r.format});
    Bytes stored(15, 0xEE);
    EXPECT_EQ(mgr.Store(KvTYPE_BLOB, stored.data(), values, r.format, 2), 15u);
    EXPECT_EQ(stored, r.bytes);
    EXPECT_EQ(mgr.DiskLenGet(KvTYPE_BLOB, values, r.format, 2, 8), 15u);
    EXPECT_EQ(mgr.DiskLenGet(KvTYPE_BLOB, stored.data(), r.format, 2, r.format), 15u);

    KvBlob loaded[2] = {KvBlob("old"), KvBlob("old")};
    EXPECT_EQ(mgr.Load(KvTYPE_BLOB, loaded, stored.data(), r.format, 2), 15u);
    EXPECT_EQ(TextsOf(loaded, 2), std::vector<std::string>({"abc", ""}));
    EXPECT_EQ(loaded[1].Data(), nullptr);

    // The memory file's position stays; a file without a whole total left
    // measures 0.
    Bytes framed = {1, 2, 3};
    framed.insert(framed.end(), stored.begin(), stored.end());
    MemFile file(framed.data(), static_cast<uint32_t>(framed.size()), 3);
    EXPECT_EQ(mgr.DiskLenGetFromMemFile(KvTYPE_BLOB, &file, r.format, 2), 15u);
    EXPECT_EQ(file.PosGet(), 3u);
    MemFile shortFile(framed.data(), 6, 3);
    EXPECT_EQ(mgr.DiskLenGetFromMemFile(KvTYPE_BLOB, &shortFile, r.format, 2), 0u);
  }
  // No elements: the total alone.
  Bytes none(4, 0xEE);
  EXPECT_EQ(mgr.Store(KvTYPE_BLOB, none.data(), values, 2, 0), 4u);
  EXPECT_EQ(none, Bytes(4, 0));
  for (uint32_t count : {0u, 1u, 100u}) {
    EXPECT_EQ(kvStandardTable[KvTYPE_BLOB]->NullSizeGet(count), 4u);
  }
}

TEST(BlobRows, ArraysWithEmptyAndLargeElements) {
  KvTypeMgr mgr;
  const std::string big(1 << 20, 'q');
  KvBlob* blobs = static_cast<KvBlob*>(mgr.Create(KvTYPE_BLOB, 4));
  ASSERT_NE(blobs, nullptr);
  EXPECT_EQ(RecordedCount(blobs), 4u);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(blobs) % alignof(KvBlob), 0u);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(blobs[i].Length(), 0);
  blobs[1].SetTo(big.data(), static_cast<long>(big.size()));
  blobs[2] = KvBlob("z", 1L);

  const uint32_t size = static_cast<uint32_t>(mgr.DiskLenGet(KvTYPE_BLOB, blobs, 2, 4, 8));
  EXPECT_EQ(size, 4u + 4 + (4 + big.size()) + 5 + 4);
  Bytes stored(size);
  EXPECT_EQ(mgr.Store(KvTYPE_BLOB, stored.data(), blobs, 2, 4), size);
  EXPECT_EQ(Bytes(stored.begin(), stored.begin() + 8), Raw(2, {L(size - 4), L(0)}));

  KvBlob* loaded = static_cast<KvBlob*>(mgr.Create(KvTYPE_BLOB, 4));
  EXPECT_EQ(mgr.Load(KvTYPE_BLOB, loaded, stored.data(), 2, 4), size);
  EXPECT_EQ(TextsOf(loaded, 4), std::vector<std::string>({"", big, "z", ""}));
  int status = 7;
  EXPECT_EQ(mgr.Cmp(KvTYPE_BLOB, 0, blobs, 0, loaded, 0, 4, 8, status), 0);
  EXPECT_EQ(mgr.Cmp(KvTYPE_BLOB, size, stored.data(), 0, stored.data(), 0, 4, 2, status), 0);
  // Deleting destroys every blob of the block (the leak checker would see
  // one that is not).
  EXPECT_EQ(mgr.Delete(KvTYPE_BLOB, blobs, 4), nullptr);
  EXPECT_EQ(mgr.Delete(KvTYPE_BLOB, loaded, 4), nullptr);

  for (unsigned long count : {0UL, 1UL}) {
    KvBlob* one = static_cast<KvBlob*>(mgr.Create(KvTYPE_BLOB, count));
    ASSERT_NE(one, nullptr);
    EXPECT_EQ(one->Length(), 0);
    one->SetTo("abc", 3);
    mgr.Delete(KvTYPE_BLOB, one, count);
  }

  // Construction in raw memory, deep assignment and copies, destruction.
  BlobRoom room(3);
  mgr.ConstructorPtrGet(KvTYPE_BLOB)(room.Blobs(), 3, 0);
  EXPECT_EQ(TextsOf(room.Blobs(), 3), std::vector<std::string>(3, ""));
  KvBlob source[3] = {KvBlob("a", 1L), KvBlob("bb", 2L), KvBlob()};
  mgr.AssignmentPtrGet(KvTYPE_BLOB)(room.Blobs(), source, 3, 0);
  EXPECT_EQ(TextsOf(room.Blobs(), 3), std::vector<std::string>({"a", "bb", ""}));
  EXPECT_NE(room.Blobs()[0].Data(), source[0].Data());
  mgr.AssignmentPtrGet(KvTYPE_BLOB)(room.Blobs(), source + 1, 3, 1);
  EXPECT_EQ(TextsOf(room.Blobs(), 3), std::vector<std::string>(3, "bb"));
  EXPECT_NE(room.Blobs()[0].Data(), room.Blobs()[1].Data());
  mgr.DestructorPtrGet(KvTYPE_BLOB)(room.Blobs(), 3, 0);
  mgr.CopyPtrGet(KvTYPE_BLOB)(room.Blobs(), source, 3, 0);
  EXPECT_EQ(TextsOf(room.Blobs(), 3), std::vector<std::string>({"a", "bb", ""}));
  mgr.DestructorPtrGet(KvTYPE_BLOB)(room.Blobs(), 3, 0);
  mgr.CopyPtrGet(KvTYPE_BLOB)(room.Blobs(), source, 3, 1);
  EXPECT_EQ(TextsOf(room.Blobs(), 3), std::vector<std::string>(3, "a"));
  mgr.DestructorPtrGet(KvTYPE_BLOB)(room.Blobs(), 3, 0);
}

// Each block is loaded from a heap copy of exactly its bytes, so a read past
// it is caught by the address sanitizer.
TEST(BlobRows, LoadsAndSizesOfLyingBlocks) {
  struct Row {
    const char* what;
    Bytes block;
    std::vector<std::string> loaded;
    uint32_t result;
  };
  const Row rows[] = {
      {"whole", Raw(1, {L(13), L(2), D("ab"), L(3), D("cde")}), {"ab", "cde"}, 17},
      {"a length field beyond the total", Raw(1, {L(7), L(3), D("abc"), D("x")}), {"abc", ""}, 11},
      {"data beyond the total", Raw(1, {L(7), L(100), D("abc")}), {"", ""}, 11},
      {"an element past the total is empty", Raw(1, {L(9), L(1), D("a"), L(1), D("b")}),
       {"a", ""}, 13},
      {"after an empty one, all are", Raw(1, {L(14), L(50), D("a"), L(1), D("b")}), {"", ""},
       18},
      {"a negative length counts as 0", Raw(1, {L(10), L(0xFFFFFFFF), L(2), D("hi")}), {"", "hi"},
       14},
      {"most negative length", Raw(1, {L(10), L(0x80000000), L(2), D("hi")}), {"", "hi"}, 14},
      {"a total of 0", Raw(1, {L(0)}), {"", ""}, 4},
  };
  KvTypeMgr mgr;
  for (const Row& r : rows) {
    std::vector<uint8_t> block(r.block);
    KvBlob loaded[2] = {KvBlob("old"), KvBlob("old")};
    EXPECT_EQ(mgr.Load(KvTYPE_BLOB, loaded, block.data(), 1, 2), r.result) << r.what;
    EXPECT_EQ(TextsOf(loaded, 2), r.loaded) << r.what;
  }

  // A stored size is the block's total as it reads, in the byte order of the
  // buffer's format, and never wraps.
  struct SizeRow {
    Bytes block;
    uint8_t format;
    unsigned long size;
  };
  const SizeRow sizes[] = {
      {Raw(1, {L(1000)}), 1, 1004},        {Raw(2, {L(1000)}), 2, 1004},
      {Raw(1, {L(1000)}), 2, 0xE8030000 + 4UL}, {Raw(1, {L(0xFFFFFFF0)}), 1, 0xFFFFFFF4},
      {Raw(1, {L(0xFFFFFFFE)}), 1, 0xFFFFFFFF},
  };
  for (const SizeRow& r : sizes) {
    std::vector<uint8_t> block(r.block);
    EXPECT_EQ(mgr.DiskLenGet(KvTYPE_BLOB, block.data(), 1, 2, r.format), r.size);
    MemFile file(block.data(), static_cast<uint32_t>(block.size()));
    EXPECT_EQ(mgr.DiskLenGetFromMemFile(KvTYPE_BLOB, &file, r.format, 2), r.size);
  }
}

TEST(BlobRows, TranslateFourCases) {
  KvTypeMgr mgr;
  KvBlob source[2] = {KvBlob("ab", 2L), KvBlob("cde", 3L)};
  const Bytes lsb = Raw(1, {L(13), L(2), D("ab"), L(3), D("cde")});
  const Bytes msb = Raw(2, {L(13), L(2), D("ab"), L(3), D("cde")});

  // Memory to memory: deep copies, as many as the lengths hold.
  {
    KvBlob target[2];
    EXPECT_EQ(mgr.Translate(KvTYPE_BLOB, target, 8, 0, source, 8, 0, 2), 2 * sizeof(KvBlob));
    EXPECT_EQ(TextsOf(target, 2), std::vector<std::string>({"ab", "cde"}));
    EXPECT_NE(target[0].Data(), source[0].Data());
    KvBlob bounded[2];
    EXPECT_EQ(mgr.Translate(KvTYPE_BLOB, bounded, 8, sizeof(KvBlob), source, 8, 0, 2),
              sizeof(KvBlob));
    EXPECT_EQ(TextsOf(bounded, 2), std::vector<std::string>({"ab", ""}));
    KvBlob sourceBounded[2];
    EXPECT_EQ(mgr.Translate(KvTYPE_BLOB, sourceBounded, 8, 0, source, 8, sizeof(KvBlob), 2),
              sizeof(KvBlob));
    EXPECT_EQ(TextsOf(sourceBounded, 2), std::vector<std::string>({"ab", ""}));
  }

  // Memory to stored: never past the target length; a cut block keeps the
  // total of the whole.
  struct StoreRow {
    uint8_t format;
    unsigned long targetLength;
    Bytes expected;
    unsigned long result;
  };
  const StoreRow stores[] = {
      {1, 0, lsb, 17},
      {2, 0, msb, 17},
      {2, 17, msb, 17},
      {2, 40, msb, 17},
      {2, 9, Bytes(msb.begin(), msb.begin() + 9), 9},
      {1, 3, Bytes(lsb.begin(), lsb.begin() + 3), 3},
  };
  for (const StoreRow& r : stores) {
    Bytes target(20, 0xEE);
    EXPECT_EQ(mgr.Translate(KvTYPE_BLOB, target.data(), r.format, r.targetLength, source, 8, 0, 2),
              r.result);
    Bytes expected = r.expected;
    expected.resize(20, 0xEE);
    EXPECT_EQ(target, expected) << r.targetLength;
  }

  // Stored to memory: only the source length is read.
  struct LoadRow {
    const Bytes* block;
    uint8_t format;
    unsigned long sourceLength;
    std::vector<std::string> loaded;
    unsigned long result;
  };
  const LoadRow loads[] = {
      {&lsb, 1, 17, {"ab", "cde"}, 17},
      {&msb, 2, 17, {"ab", "cde"}, 17},
      {&msb, 2, 16, {"ab", ""}, 16},
      {&msb, 2, 10, {"ab", ""}, 10},
      {&msb, 2, 9, {"", ""}, 9},
      {&msb, 2, 3, {"", ""}, 0},
  };
  for (const LoadRow& r : loads) {
    std::vector<uint8_t> cut(r.block->begin(), r.block->begin() + r.sourceLength);
    KvBlob target[2] = {KvBlob("old"), KvBlob("old")};
    EXPECT_EQ(mgr.Translate(KvTYPE_BLOB, target, 8, 0, cut.data(), r.format, r.sourceLength, 2),
              r.result)
        << r.sourceLength;
    EXPECT_EQ(TextsOf(target, 2), r.loaded) << r.sourceLength;
  }

  // Stored to stored: the bytes as they are, into a zeroed longer target.
  Bytes longer(20, 0xEE);
  EXPECT_EQ(mgr.Translate(KvTYPE_BLOB, longer.data(), 2, 20, const_cast<uint8_t*>(lsb.data()), 1,
                          17, 2),
            17u);
  Bytes expected = lsb;
  expected.resize(20, 0);
  EXPECT_EQ(longer, expected);
  Bytes shorter(20, 0xEE);
  EXPECT_EQ(mgr.Translate(KvTYPE_BLOB, shorter.data(), 2, 5, const_cast<uint8_t*>(lsb.data()), 1,
                          17, 2),
            5u);
  expected = Bytes(lsb.begin(), lsb.begin() + 5);
  expected.resize(20, 0xEE);
  EXPECT_EQ(shorter, expected);
}

TEST(BlobRows, TextPrintAndScan) {
  KvTypeMgr mgr;
  KvBlob blob(1024L);
  KvString* text = mgr.ConvertToKvString(&blob, KvTYPE_BLOB, 1);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->Len(), 0);
  delete text;

  KvString list("1,2,");
  KvBlob* blobs = static_cast<KvBlob*>(mgr.ConvertFromKvString(&list, KvTYPE_BLOB, 3));
  ASSERT_NE(blobs, nullptr);
  EXPECT_EQ(TextsOf(blobs, 3), std::vector<std::string>(3, ""));
  EXPECT_STREQ(list.StrGet(), "1,2,");  // not read
  mgr.Delete(KvTYPE_BLOB, blobs, 3);

  struct PrintRow {
    const char* format;
    const char* text;
  };
  const PrintRow prints[] = {
      {nullptr, "pre:[BLOB,len=1024]"},
      {"[BLOB,len=%L]", "pre:[BLOB,len=1024]"},
      {"%L%L", "pre:10241024"},
      {"100%%", "pre:100%"},
      {"%x%d%s", "pre:xds"},
      {"ab%", "pre:ab"},
      {"", "pre:"},
  };
  for (const PrintRow& r : prints) {
    KvString out("pre:");
    EXPECT_EQ(&mgr.PrintToKvString(KvTYPE_BLOB, out, &blob, r.format, 1), &out);
    EXPECT_STREQ(out.StrGet(), r.text) << (r.format != nullptr ? r.format : "null");
  }
  KvBlob empty;
  KvString out;
  mgr.PrintToKvString(KvTYPE_BLOB, out, &empty, nullptr, 1);
  EXPECT_STREQ(out.StrGet(), "[BLOB,len=0]");

  KvString scanned("[BLOB,len=3]");
  EXPECT_EQ(mgr.ScanFromKvString(KvTYPE_BLOB, &blob, scanned, nullptr, 1), &blob);
  EXPECT_EQ(blob.Length(), 1024);
}

TEST(BlobRows, FailedAllocationInALoad) {
  KvTypeMgr mgr;
  const Bytes block = Raw(1, {L(13), L(2), D("ab"), L(3), D("cde")});
  KvBlob loaded[2];
  KvMemoryHandler previous = KvSetMemoryHandler(CountingHandler);
  handlerCalls = 0;
  KvSetAllocFailure(1);  // the first element's bytes, then nothing
  EXPECT_EQ(mgr.Load(KvTYPE_BLOB, loaded, const_cast<uint8_t*>(block.data()), 1, 2), 17u);
  KvSetAllocFailure(-1);
  KvSetMemoryHandler(previous);
  EXPECT_EQ(handlerCalls, 1);
  EXPECT_EQ(handlerSize, 3u);
  EXPECT_EQ(TextsOf(loaded, 2), std::vector<std::string>({"ab", ""}));
}

}  // namespace
