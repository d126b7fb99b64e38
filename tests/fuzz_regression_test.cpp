// Inputs the fuzz targets (fuzz/) found faults with, as literal bytes: each
// read past a buffer, wrapped a size or ran for billions of steps. Under
// AddressSanitizer a return of the fault fails the test outright; the
// results checked here are those of the repaired code.

#include <gtest/gtest.h>

#include "test_util.h"

namespace {

// Strings in memory: a length that holds fewer objects than count ends the
// walk at the first object beyond it, as the stored forms do.
TEST(FuzzRegression, StringCompareInMemoryStaysWithinTheLengths) {
  const int open = KvCMP_INCOMPLETE;  // status
  const struct { std::vector<const char*> a, b; unsigned long count; bool lengthsGiven; int signAndStatus; } rows[] = {
      {{"x"}, {"x"}, 3, true, open},      {{"x"}, {"x", "y"}, 3, true, -10000 + open}, {{"x", "y"}, {"x"}, 3, true, 10000 + open},
      {{"x", "y"}, {"x", "z"}, 3, true, -10000}, {{"x", "y"}, {"x", "y"}, 2, true, 0}, {{"x", "y"}, {"x", "y"}, 2, false, 0}};
  for (const auto& r : rows) {
    std::vector<KvString> a(r.a.begin(), r.a.end()), b(r.b.begin(), r.b.end());  // exactly sized blocks
    int status = 99;
    const long result = KvTypeMgr().Cmp(KvTYPE_STRING, r.lengthsGiven ? a.size() * sizeof(KvString) : 0, a.data(),
                                        r.lengthsGiven ? b.size() * sizeof(KvString) : 0, b.data(), 0x10, r.count, 8, status);
    EXPECT_EQ(((result > 0) - (result < 0)) * 10000 + status, r.signAndStatus) << r.a.size() << " " << r.b.size() << " " << r.count;
  }
}

// Count 0 makes one value in every number row: print and scan read and
// write the first value whatever the count, and a list read for count 0 is
// one value, 0.
TEST(FuzzRegression, NumberValuesOfCountZeroHoldOneValue) {
  const struct { char id; const char* text; const char* printed; const char* zero; } rows[] = {
      {KvTYPE_SHORT, "12", "12", "0"}, {KvTYPE_LONG, "-5", "-5", "0"}, {KvTYPE_DOUBLE, "2.5", "2.500000", "0.000000"},
      {KvTYPE_FLOAT, "0.25", "0.250000", "0.000000"}, {KvTYPE_WORD, "7", "7", "0"}, {KvTYPE_DWORD, "8", "8", "0"}, {KvTYPE_INT, "9", "9", "0"},
      {KvTYPE_UNSIGNED, "10", "10", "0"}, {KvTYPE_ENUM, "11", "11", "0"}, {KvTYPE_BLOCKID, "#12", "#12", "#0"}};
  KvTypeMgr mgr;
  for (const auto& r : rows) {
    KvString text(r.text), list(r.text), printed, zero;  // print and scan of count 0
    void* value = mgr.ScanFromKvString(r.id, mgr.Create(r.id, 0), text, nullptr, 0);
    void* listed = mgr.ConvertFromKvString(&list, r.id, 0);
    EXPECT_EQ(Text(mgr.PrintToKvString(r.id, printed, value, nullptr, 0)) + " " + Text(mgr.PrintToKvString(r.id, zero, listed, nullptr, 0)),
              r.printed + std::string(" ") + r.zero);
    mgr.Delete(r.id, value, 0), mgr.Delete(r.id, listed, 0);
  }
}

// Stored KvString records translated into memory: nothing is read beyond
// the source length, whatever the count asks for, in either table.
TEST(FuzzRegression, StringTranslateIntoMemoryStaysWithinTheSource) {
  const struct { bool legacy; Bytes source; unsigned long count, result; const char* texts; } rows[] = {  // texts of the two targets
      {true, {0x06, 0x00, 1, 1, 'a', 'b', 0x00, 0xFF}, 2, 0, "|"},  // the second record missing
      {true, {0x06, 0x00, 1, 1, 'a', 'b', 0x00, 0xFF}, 1, 8, "ab|"},
      {true, {0x05, 0x00, 'a', 0x00, 'b', 0x00, 0x00}, 2, 7, "a|b"},  // a legacy block holds both
      {false, {0x25, 0x0A}, 0, 0, "|"},                               // a length past the source
      {true, {0x25, 0x0A}, 0, 0, "|"}};
  for (const auto& r : rows) {
    KvString target[2];
    Bytes source = r.source;  // a copy of exactly its bytes
    const unsigned long n = KvTypeMgr(r.legacy ? 3 : 5).Translate(KvTYPE_STRING, target, 8, sizeof target, source.data(), 1, source.size(), r.count);
    EXPECT_EQ(std::to_string(n) + ":" + Text(target[0]) + "|" + Text(target[1]), std::to_string(r.result) + ":" + r.texts);
  }
}

// 16-bit text whose record holds an odd number of text bytes: the last
// byte and the first zero after it read as one more unit, and the key walk
// never reads past its copy of the text (held on the heap from 254 bytes).
TEST(FuzzRegression, KeyOfOddSixteenBitText) {
  for (uint16_t units : {1, 126, 127, 200}) {  // whole units of 'a' before the odd byte 'a'
    // The record: length, code set 253, language 1, the units and the odd
    // byte, 0x00 0xFF. Its key: length, code set 254, class 1, the order of
    // 'a' (0x500C) for every unit and for the odd byte, the zero unit and
    // the end mark.
    Bytes source = MemoryOf<uint16_t>({uint16_t(2 * units + 5), 0x01FD}), key = MemoryOf<uint16_t>({uint16_t(2 * units + 6), 0x01FE});
    for (uint16_t i = 0; i <= units; ++i) source.insert(source.end(), {0x61, 0x00}), key.insert(key.end(), {0x0C, 0x50});
    source.push_back(0xFF), source.shrink_to_fit();
    key.insert(key.end(), {0x00, 0xFF});
    Bytes target(1024, 0xEE);
    const unsigned long n = KvTypeMgr().Translate(KvTYPE_STRING, target.data(), 0x81, target.size(), source.data(), 1, source.size(), 1);
    EXPECT_EQ(Bytes(target.begin(), target.begin() + n), key) << units;
  }
}

// Stored sizes: a record of length 0 has no code set byte to read, a
// record past a memory file's end is reported as more than the file holds
// (65535 per value left, saturating at 2^32 - 1 instead of wrapping), and
// the values an insensitive block does not hold are counted at once.
TEST(FuzzRegression, StoredSizes) {
  Bytes empty = {0x00, 0x00};  // an exact copy
  EXPECT_EQ(KvTypeMgr().DiskLenGet(KvTYPE_STRING, empty.data(), 1, 1, 1) + KvTypeMgr().DiskLenGet(KvTYPE_STRING, empty.data(), 0x81, 1, 1), 4u);
  const Bytes cut = {0x00, 0x00, 0x09, 0x00, 0x00, 0x00, 0x00}, block = {0x40, 0x02, 0x00, 'a', 0x00};
  const struct { char id; Bytes file; uint8_t format; unsigned long count, size; } rows[] = {
      {KvTYPE_STRING, cut, 1, 3, 2 * 65535},           {KvTYPE_STRING, cut, 1, 0x00FFFF00, 0xFFFFFFFF},
      {KvTYPE_STRING, cut, 1, 2, 13},                  {KvTYPE_STRING, {0x00}, 1, 0x00FFFF00, 0},
      {KvTYPE_ISTRING, block, 0x81, 3000000000u, 3000000004u}, {KvTYPE_CASEISTRING, block, 0x81, 3000000000u, 3000000004u},
      {KvTYPE_ISTRING, block, 0x81, 1, 5}};
  for (const auto& r : rows) {
    MemFile file(r.file.data(), static_cast<uint32_t>(r.file.size()));
    const unsigned long size = KvTypeMgr().DiskLenGetFromMemFile(r.id, &file, r.format, r.count);
    EXPECT_EQ(std::make_pair(size, file.PosGet()), std::make_pair(r.size, 0u)) << int{r.id} << " " << r.count;
  }
}

}  // namespace
