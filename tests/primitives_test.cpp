// Facts about the number types through the type manager: creation,
// construction, assignment, stored bytes, sizes and translation.
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "kvtm/kvtm.h"
#include "test_util.h"

namespace {

struct StoredRow {
  const char* what;
  char id;
  Bytes memory;  // count values in memory form
  uint32_t count;
  uint8_t format;
  Bytes stored;
};

TEST(NumberRows, StoredBytesAndLoadBack) {
  const StoredRow rows[] = {
      {"char", KvTYPE_CHAR, {'A', 0x80}, 2, 2, {0x41, 0x80}},
      {"KvByte", KvTYPE_BYTE, {200}, 1, 1, {0xC8}},
      {"short msb", KvTYPE_SHORT, MemoryOf<int16_t>({-2, 258}), 2, 2, {0xFF, 0xFE, 0x01, 0x02}},
      {"short lsb", KvTYPE_SHORT, MemoryOf<int16_t>({-2, 258}), 2, 1, {0xFE, 0xFF, 0x02, 0x01}},
      {"KvWord msb", KvTYPE_WORD, MemoryOf<uint16_t>({65535}), 1, 2, {0xFF, 0xFF}},
      {"long msb", KvTYPE_LONG, MemoryOf<int32_t>({-1, 16909060}), 2, 2,
       {0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0x02, 0x03, 0x04}},
      {"KvDWord lsb", KvTYPE_DWORD, MemoryOf<uint32_t>({4294967295u}), 1, 1, {0xFF, 0xFF, 0xFF, 0xFF}},
      {"BlockId msb", KvTYPE_BLOCKID, MemoryOf<uint32_t>({42}), 1, 2, {0, 0, 0, 42}},
      {"int msb", KvTYPE_INT, MemoryOf<int32_t>({12345}), 1, 2, {0x00, 0x00, 0x30, 0x39}},
      {"int lsb", KvTYPE_INT, MemoryOf<int32_t>({12345}), 1, 1, {0x39, 0x30, 0x00, 0x00}},
      {"int flags", KvTYPE_INT, MemoryOf<int32_t>({12345}), 1, 0x12, {0x00, 0x00, 0x30, 0x39}},
      {"unsigned msb", KvTYPE_UNSIGNED, MemoryOf<uint32_t>({0x80000001u}), 1, 2, {0x80, 0, 0, 1}},
      {"enum msb", KvTYPE_ENUM, MemoryOf<int32_t>({3}), 1, 2, {0, 0, 0, 3}},
      {"float msb", KvTYPE_FLOAT, MemoryOf<float>({-0.5f}), 1, 2, {0xBF, 0x00, 0x00, 0x00}},
      {"float lsb", KvTYPE_FLOAT, MemoryOf<float>({1.0f}), 1, 1, {0x00, 0x00, 0x80, 0x3F}},
      {"double msb", KvTYPE_DOUBLE, MemoryOf<double>({3.141592653589793}), 1, 2,
       {0x40, 0x09, 0x21, 0xFB, 0x54, 0x44, 0x2D, 0x18}},
      {"double lsb", KvTYPE_DOUBLE, MemoryOf<double>({1.0}), 1, 1, {0, 0, 0, 0, 0, 0, 0xF0, 0x3F}},
  };
  for (unsigned long factory : {5ul, 3ul}) {
    KvTypeMgr mgr(factory);
    for (const StoredRow& r : rows) {
      SCOPED_TRACE(r.what);
      Bytes memory = r.memory;
      EXPECT_EQ(mgr.DiskLenGet(r.id, memory.data(), r.format, r.count, 8), r.stored.size());
      Bytes stored(r.stored.size());
      EXPECT_EQ(mgr.Store(r.id, stored.data(), memory.data(), r.format, r.count), r.stored.size());
      EXPECT_EQ(stored, r.stored);

      MemFile file(stored.data(), static_cast<uint32_t>(stored.size()));
      EXPECT_EQ(mgr.DiskLenGetFromMemFile(r.id, &file, r.format, r.count), r.stored.size());
      EXPECT_EQ(file.PosGet(), 0u);

      void* values = mgr.Create(r.id, r.count);
      ASSERT_NE(values, nullptr);
      EXPECT_EQ(mgr.Load(r.id, values, stored.data(), r.format, r.count), r.stored.size());
      EXPECT_EQ(std::memcmp(values, r.memory.data(), r.memory.size()), 0);
      EXPECT_EQ(mgr.Delete(r.id, values, r.count), nullptr);
    }
  }
}

TEST(NumberRows, CreateConstructAssignCopy) {
  KvTypeMgr mgr;
  struct Row {
    char id;
    unsigned width;
  };
  const Row rows[] = {{KvTYPE_CHAR, 1},    {KvTYPE_BYTE, 1},  {KvTYPE_SHORT, 2},   {KvTYPE_WORD, 2},
                      {KvTYPE_LONG, 4},    {KvTYPE_DWORD, 4}, {KvTYPE_BLOCKID, 4}, {KvTYPE_INT, 4},
                      {KvTYPE_UNSIGNED, 4}, {KvTYPE_ENUM, 4}, {KvTYPE_FLOAT, 4},   {KvTYPE_DOUBLE, 8}};
  for (const Row& r : rows) {
    SCOPED_TRACE(mgr.NameGet(r.id, nullptr));
    EXPECT_EQ(mgr.MemLenGet(r.id, 1), r.width);
    uint8_t* values = static_cast<uint8_t*>(mgr.Create(r.id, 3));
    ASSERT_NE(values, nullptr);
    if (r.width == 1) {
      EXPECT_EQ(values[0] | values[1] | values[2], 0);  // only 1-byte values start zeroed
    }
    std::memset(values, 0x5A, 3 * r.width);
    mgr.ConstructorPtrGet(r.id)(values, 3, 0);
    for (unsigned i = 0; i < 3 * r.width; ++i) ASSERT_EQ(values[i], 0);
    mgr.DestructorPtrGet(r.id)(values, 3, 0);

    Bytes source(3 * r.width);
    for (unsigned i = 0; i < source.size(); ++i) source[i] = static_cast<uint8_t>(i + 1);
    mgr.AssignmentPtrGet(r.id)(values, source.data(), 3, 0);
    EXPECT_EQ(std::memcmp(values, source.data(), source.size()), 0);
    mgr.CopyPtrGet(r.id)(values, source.data(), 3, 1);  // fill: every target gets value 0
    for (unsigned i = 0; i < 3; ++i)
      EXPECT_EQ(std::memcmp(values + i * r.width, source.data(), r.width), 0);
    mgr.Delete(r.id, values, 3);
  }
  void* none = mgr.Create(KvTYPE_INT, 0);  // count 0 still gives a pointer to free
  EXPECT_NE(none, nullptr);
  mgr.Delete(KvTYPE_INT, none, 0);
  // A count whose byte size does not fit in 32 bits is refused.
  EXPECT_EQ(mgr.Create(KvTYPE_DOUBLE, 0x20000000ul), nullptr);
  EXPECT_EQ(mgr.Delete(KvTYPE_DOUBLE, nullptr, 1), nullptr);
}

TEST(NumberRows, Translate) {
  KvTypeMgr mgr;
  const int32_t value = 0x01020304;
  struct Row {
    const char* what;
    uint8_t targetFormat;
    uint32_t targetLength;
    Bytes source;
    uint8_t sourceFormat;
    uint32_t sourceLength;
    Bytes expected;  // the target's first bytes
    uint32_t result;
  };
  const Bytes memory = MemoryOf<int32_t>({value});
  const Row rows[] = {
      {"memory to msb", 2, 4, memory, 8, 4, {1, 2, 3, 4}, 4},
      {"memory to lsb", 1, 4, memory, 8, 4, {4, 3, 2, 1}, 4},
      {"msb to memory", 8, 4, {1, 2, 3, 4}, 2, 4, memory, 4},
      {"memory to memory", 8, 4, memory, 8, 4, memory, 4},
      {"memory bit with flags", 0x18, 4, memory, 8, 4, memory, 4},
      // Stored to stored copies bytes as they are, whatever the codes.
      {"msb to lsb", 1, 4, {1, 2, 3, 4}, 2, 4, {1, 2, 3, 4}, 4},
      {"short source zero-fills", 1, 4, {9, 8}, 2, 2, {9, 8, 0, 0}, 2},
      {"short target cuts", 1, 2, {9, 8, 7, 6}, 2, 4, {9, 8}, 2},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    Bytes target(8, 0xEE);
    Bytes source = r.source;
    EXPECT_EQ(mgr.Translate(KvTYPE_INT, target.data(), r.targetFormat, r.targetLength,
                            source.data(), r.sourceFormat, r.sourceLength, 1),
              r.result);
    EXPECT_EQ(Bytes(target.begin(), target.begin() + r.expected.size()), r.expected);
    EXPECT_EQ(target[r.targetLength], 0xEE);  // nothing past the target length
  }
  // A length shorter than count values bounds the memory conversions.
  Bytes source = MemoryOf<int16_t>({1, 2, 3});
  Bytes target(6, 0xEE);
  EXPECT_EQ(mgr.Translate(KvTYPE_SHORT, target.data(), 2, 4, source.data(), 8, 6, 3), 4u);
  EXPECT_EQ(target, (Bytes{0, 1, 0, 2, 0xEE, 0xEE}));
}

TEST(NumberRows, IntervalBorrowsTheFloatFamily) {
  KvTypeMgr mgr;
  EXPECT_EQ(mgr.CmpFuncPtrGet(KvTYPE_D_INTERVAL), FloatCompare);
  EXPECT_EQ(mgr.DiskLenGet(KvTYPE_D_INTERVAL, nullptr, 2, 3, 8), 12u);
  const uint8_t stored[] = {0x3F, 0xC0, 0x00, 0x00};
  MemFile file(stored, 4);
  EXPECT_EQ(mgr.DiskLenGetFromMemFile(KvTYPE_D_INTERVAL, &file, 0xF2, 1), 4u);
  float out = 0;
  EXPECT_EQ(mgr.Translate(KvTYPE_D_INTERVAL, &out, 8, 4, const_cast<uint8_t*>(stored), 2, 4, 1), 4u);
  EXPECT_EQ(out, 1.5f);
}

TEST(NumberRows, SizesFromAMemoryFileDoNotReadIt) {
  KvTypeMgr mgr;
  MemFile empty(nullptr, 0);
  const struct {
    char id;
    uint32_t width;
  } rows[] = {{KvTYPE_CHAR, 1}, {KvTYPE_WORD, 2}, {KvTYPE_DWORD, 4}, {KvTYPE_BLOCKID, 4},
              {KvTYPE_ENUM, 4}, {KvTYPE_FLOAT, 4}, {KvTYPE_DOUBLE, 8}};
  for (const auto& r : rows)
    EXPECT_EQ(mgr.DiskLenGetFromMemFile(r.id, &empty, 2, 5), 5 * r.width);
}

}  // namespace
