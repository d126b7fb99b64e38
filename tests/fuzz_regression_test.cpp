// Inputs the fuzz targets (fuzz/) found faults with, as literal bytes: each
// read past a buffer, wrapped a size or ran for billions of steps. Under
// AddressSanitizer a return of the fault fails the test outright; the
// results checked here are those of the repaired code.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "kvtm/kvtm.h"
#include "test_util.h"

namespace {

class FuzzRegression : public testing::Test {
 protected:
  void SetUp() override { ___KvI18NContext(1); }
  KvTypeMgr standard_{5};
  KvTypeMgr legacy_{3};
};

KvString Narrow(const char* text) {
  KvString s(1, 1);
  s += KvString(text);
  return s;
}

std::string Text(const KvString& s) { return std::string(s.StrGet(), s.Len()); }

// Strings in memory: a length that holds fewer objects than count ends the
// walk at the first object beyond it, as the stored forms do.
TEST_F(FuzzRegression, StringCompareInMemoryStaysWithinTheLengths) {
  struct Row {
    std::vector<const char*> a;
    std::vector<const char*> b;
    unsigned long count;
    bool lengthsGiven;
    int sign;
    int status;
  };
  const Row rows[] = {
      {{"x"}, {"x"}, 3, true, 0, KvCMP_INCOMPLETE},
      {{"x"}, {"x", "y"}, 3, true, -1, KvCMP_INCOMPLETE},
      {{"x", "y"}, {"x"}, 3, true, 1, KvCMP_INCOMPLETE},
      {{"x", "y"}, {"x", "z"}, 3, true, -1, 0},
      {{"x", "y"}, {"x", "y"}, 2, true, 0, 0},
      {{"x", "y"}, {"x", "y"}, 2, false, 0, 0},
  };
  for (const Row& r : rows) {
    std::vector<KvString> a, b;
    for (const char* t : r.a) a.push_back(Narrow(t));
    for (const char* t : r.b) b.push_back(Narrow(t));
    const unsigned long length1 = r.lengthsGiven ? a.size() * sizeof(KvString) : 0;
    const unsigned long length2 = r.lengthsGiven ? b.size() * sizeof(KvString) : 0;
    int status = 99;
    const long result = standard_.Cmp(KvTYPE_STRING, length1, a.data(), length2, b.data(), 0x10,
                                      r.count, 8, status);
    EXPECT_EQ(result < 0 ? -1 : result > 0 ? 1 : 0, r.sign);
    EXPECT_EQ(status, r.status);
  }
}

// Count 0 makes one value in every row: the number rows' print and scan
// read and write the first value whatever the count.
TEST_F(FuzzRegression, NumberValuesOfCountZeroHoldOneValue) {
  struct Row {
    KvTypeId id;
    const char* text;
    const char* printed;  // the value scanned from the text
    const char* zero;     // the value a list gives for count 0
  };
  const Row rows[] = {
      {KvTYPE_SHORT, "12", "12", "0"},
      {KvTYPE_LONG, "-5", "-5", "0"},
      {KvTYPE_DOUBLE, "2.5", "2.500000", "0.000000"},
      {KvTYPE_FLOAT, "0.25", "0.250000", "0.000000"},
      {KvTYPE_WORD, "7", "7", "0"},
      {KvTYPE_DWORD, "8", "8", "0"},
      {KvTYPE_INT, "9", "9", "0"},
      {KvTYPE_UNSIGNED, "10", "10", "0"},
      {KvTYPE_ENUM, "11", "11", "0"},
      {KvTYPE_BLOCKID, "#12", "#12", "#0"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(static_cast<int>(r.id));
    void* values = standard_.Create(r.id, 0);
    ASSERT_NE(values, nullptr);
    KvString text(r.text);
    values = standard_.ScanFromKvString(r.id, values, text, nullptr, 0);
    KvString printed;
    standard_.PrintToKvString(r.id, printed, values, nullptr, 0);
    EXPECT_EQ(Text(printed), r.printed);
    standard_.Delete(r.id, values, 0);

    // A list read for count 0 is one value, 0: no item is read.
    KvString list(r.text);
    values = standard_.ConvertFromKvString(&list, r.id, 0);
    ASSERT_NE(values, nullptr);
    standard_.PrintToKvString(r.id, printed, values, nullptr, 0);
    EXPECT_EQ(Text(printed), r.zero);
    standard_.Delete(r.id, values, 0);
  }
}

// Stored KvString records translated into memory: nothing is read beyond
// the source length, whatever the count asks for, in either table.
TEST_F(FuzzRegression, StringTranslateIntoMemoryStaysWithinTheSource) {
  struct Row {
    const char* what;
    bool legacy;
    Bytes source;
    unsigned long count;
    unsigned long result;
    std::vector<const char*> texts;  // of the two target values
  };
  const Row rows[] = {
      {"legacy table, second record missing", true,
       {0x06, 0x00, 1, 1, 'a', 'b', 0x00, 0xFF}, 2, 0, {"", ""}},
      {"legacy table, one record", true, {0x06, 0x00, 1, 1, 'a', 'b', 0x00, 0xFF}, 1, 8,
       {"ab", ""}},
      {"legacy table, a legacy block holds both", true, {0x05, 0x00, 'a', 0x00, 'b', 0x00, 0x00},
       2, 7, {"a", "b"}},
      {"standard table, count 0, length past the source", false, {0x25, 0x0A}, 0, 0, {"", ""}},
      {"legacy table, count 0", true, {0x25, 0x0A}, 0, 0, {"", ""}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    KvTypeMgr& mgr = r.legacy ? legacy_ : standard_;
    KvString target[2];
    Bytes source = r.source;  // exactly its bytes, so a read past them is seen
    EXPECT_EQ(mgr.Translate(KvTYPE_STRING, target, 8, sizeof target, source.data(), 1,
                            source.size(), r.count),
              r.result);
    EXPECT_EQ(Text(target[0]), r.texts[0]);
    EXPECT_EQ(Text(target[1]), r.texts[1]);
  }
}

// 16-bit text whose record holds an odd number of text bytes: the last
// byte and the first zero after it read as one more unit, and the key walk
// never reads past its copy of the text (held on the heap from 254 bytes).
TEST_F(FuzzRegression, KeyOfOddSixteenBitText) {
  struct Row {
    uint16_t units;  // whole units of 'a' before the odd byte 'a'
  };
  const Row rows[] = {{1}, {126}, {127}, {200}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.units);
    const uint16_t textBytes = static_cast<uint16_t>(2 * r.units + 1);
    Bytes source = {static_cast<uint8_t>((textBytes + 4) & 0xFF),
                    static_cast<uint8_t>((textBytes + 4) >> 8), 253, 1};
    for (uint16_t i = 0; i < r.units; ++i) source.insert(source.end(), {0x61, 0x00});
    source.insert(source.end(), {0x61, 0x00, 0xFF});
    // Length, code set 254, class 1, the order of 'a' (0x500C) for every
    // unit and for the odd byte, then the zero unit and the end mark.
    const uint16_t keyLength = static_cast<uint16_t>(4 + 2 * (r.units + 1));
    Bytes key = {static_cast<uint8_t>(keyLength & 0xFF), static_cast<uint8_t>(keyLength >> 8),
                 254, 1};
    for (uint16_t i = 0; i <= r.units; ++i) key.insert(key.end(), {0x0C, 0x50});
    key.insert(key.end(), {0x00, 0xFF});
    Bytes target(1024, 0xEE);
    const unsigned long n = standard_.Translate(KvTYPE_STRING, target.data(), 0x81,
                                                target.size(), source.data(), 1, source.size(), 1);
    EXPECT_EQ(Bytes(target.begin(), target.begin() + n), key);
  }
}

// Stored sizes: a record of length 0 has no code set byte to read, a
// record past a memory file's end is reported as more than the file holds
// (65535 per value left, saturating at 2^32 - 1 instead of wrapping), and
// the values an insensitive block does not hold are counted at once.
TEST_F(FuzzRegression, StoredSizes) {
  Bytes empty = {0x00, 0x00};
  EXPECT_EQ(standard_.DiskLenGet(KvTYPE_STRING, empty.data(), 1, 1, 1), 2u);
  EXPECT_EQ(standard_.DiskLenGet(KvTYPE_STRING, empty.data(), 0x81, 1, 1), 2u);

  struct Row {
    KvTypeId id;
    Bytes file;
    uint8_t format;
    unsigned long count;
    unsigned long size;
  };
  const Row rows[] = {
      {KvTYPE_STRING, {0x00, 0x00, 0x09, 0x00, 0x00, 0x00, 0x00}, 1, 3, 2 * 65535},
      {KvTYPE_STRING, {0x00, 0x00, 0x09, 0x00, 0x00, 0x00, 0x00}, 1, 0x00FFFF00, 0xFFFFFFFF},
      {KvTYPE_STRING, {0x00, 0x00, 0x09, 0x00, 0x00, 0x00, 0x00}, 1, 2, 13},
      {KvTYPE_STRING, {0x00}, 1, 0x00FFFF00, 0},
      {KvTYPE_ISTRING, {0x40, 0x02, 0x00, 'a', 0x00}, 0x81, 3000000000u, 3000000004u},
      {KvTYPE_CASEISTRING, {0x40, 0x02, 0x00, 'a', 0x00}, 0x81, 3000000000u, 3000000004u},
      {KvTYPE_ISTRING, {0x40, 0x02, 0x00, 'a', 0x00}, 0x81, 1, 5},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(static_cast<int>(r.id));
    MemFile file(r.file.data(), static_cast<uint32_t>(r.file.size()));
    EXPECT_EQ(standard_.DiskLenGetFromMemFile(r.id, &file, r.format, r.count), r.size);
    EXPECT_EQ(file.PosGet(), 0u);
  }
}

}  // namespace
