// Facts about the KvInt64 row: stored bytes in both byte orders, sizes,
// arrays and their count block, translation, text lists, the print and
// scan directives (hostile texts included), Int64Compare with cut buffers
// and the evaluator's estimates and bounds.
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "kvint64_rows.h"
#include "kvtable.h"
#include "kvtm/kvtm.h"
#include "test_util.h"

namespace {

constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
constexpr char kId = KvTYPE_INT64;

KvInt64 Of(int64_t v) {
  const uint64_t bits = static_cast<uint64_t>(v);
  return KvInt64(static_cast<unsigned long>(bits & 0xFFFFFFFFu),
                 static_cast<long>(static_cast<int32_t>(static_cast<uint32_t>(bits >> 32))));
}

int64_t ValueOf(const KvInt64& v) {
  return static_cast<int64_t>(static_cast<uint64_t>(static_cast<uint32_t>(v.HighGet())) << 32 |
                              v.LowGet());
}

std::vector<KvInt64> Values(std::initializer_list<int64_t> values) {
  std::vector<KvInt64> out;
  for (int64_t v : values) out.push_back(Of(v));
  return out;
}

// The stored form of values: 8 bytes each, the low word then the high
// word, each in the byte order of `format`.
Bytes Stored(std::initializer_list<int64_t> values, uint8_t format) {
  Bytes out;
  for (int64_t v : values) {
    const uint64_t bits = static_cast<uint64_t>(v);
    for (uint32_t word : {static_cast<uint32_t>(bits), static_cast<uint32_t>(bits >> 32)}) {
      for (int i = 0; i < 4; ++i) {
        const int shift = format == 2 ? 24 - 8 * i : 8 * i;
        out.push_back(static_cast<uint8_t>(word >> shift));
      }
    }
  }
  return out;
}

std::string Printed(int64_t value, const char* format) {
  KvString out;
  KvInt64 v = Of(value);
  KvTypeMgr().PrintToKvString(kId, out, &v, format, 1);
  return out.StrGet();
}

int64_t Scanned(KvString text, const char* format, int64_t start = 99) {
  KvInt64 v = Of(start);
  EXPECT_EQ(KvTypeMgr().ScanFromKvString(kId, &v, text, format, 1), &v);
  return ValueOf(v);
}

TEST(Int64Rows, StoredBytesInBothByteOrders) {
  struct Row {
    std::vector<KvInt64> values;
    uint8_t format;
    Bytes stored;
  };
  const Row rows[] = {
      {Values({0x0123456789ABCDEF}), 1, {0xEF, 0xCD, 0xAB, 0x89, 0x67, 0x45, 0x23, 0x01}},
      {Values({0x0123456789ABCDEF}), 2, {0x89, 0xAB, 0xCD, 0xEF, 0x01, 0x23, 0x45, 0x67}},
      {Values({0x0123456789ABCDEF}), 3, {0xEF, 0xCD, 0xAB, 0x89, 0x67, 0x45, 0x23, 0x01}},
      // Flags above the low four bits change nothing.
      {Values({0x0123456789ABCDEF}), 0x12, {0x89, 0xAB, 0xCD, 0xEF, 0x01, 0x23, 0x45, 0x67}},
      {Values({-2}), 1, {0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
      {Values({-2}), 2, {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF}},
      {Values({kMin, 1}), 2,
       {0x00, 0x00, 0x00, 0x00, 0x80, 0x00, 0x00, 0x00,
        0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00}},
      {Values({kMin, 1}), 1,
       {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80,
        0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}},
  };
  KvTypeMgr mgr;
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << "format " << int(r.format));
    const uint32_t n = static_cast<uint32_t>(r.values.size());
    std::vector<KvInt64> values = r.values;
    Bytes stored(r.stored.size() + 2, 0xAA);
    EXPECT_EQ(mgr.Store(kId, stored.data(), values.data(), r.format, n), r.stored.size());
    EXPECT_EQ(Bytes(stored.begin(), stored.begin() + r.stored.size()), r.stored);
    EXPECT_EQ(stored[r.stored.size()], 0xAA) << "wrote past its stored size";
    EXPECT_EQ(mgr.DiskLenGet(kId, values.data(), r.format, n, 8), r.stored.size());

    std::vector<KvInt64> loaded(n + 1, KvInt64(7));
    EXPECT_EQ(mgr.Load(kId, loaded.data(), stored.data(), r.format, n), r.stored.size());
    for (uint32_t i = 0; i < n; ++i) EXPECT_TRUE(loaded[i] == r.values[i]);
    EXPECT_TRUE(loaded[n] == KvInt64(7)) << "loaded past count";
  }
  KvInt64 v(5);
  uint8_t untouched = 0xAA;
  EXPECT_EQ(mgr.Store(kId, &untouched, &v, 1, 0), 0u);
  EXPECT_EQ(untouched, 0xAA);
}

TEST(Int64Rows, SizesArraysAndConstruction) {
  KvTypeMgr mgr;
  const KvTypeDescriptor& row = *kvStandardTable[KvTypeIndex(kId)];
  EXPECT_STREQ(row.name, "KvInt64");
  EXPECT_EQ(kvLegacyTable[KvTypeIndex(kId)], &row);
  EXPECT_EQ(mgr.MemLenGet(kId, 3), 24);
  EXPECT_EQ(mgr.IsFixed(kId), 1);
  EXPECT_EQ(mgr.DiskLenGet(kId, nullptr, 2, 5, 8), 40u);
  EXPECT_EQ(row.NullSizeGet(3), 24u);
  uint8_t none = 0;
  MemFile file(&none, 1, 0);
  EXPECT_EQ(mgr.DiskLenGetFromMemFile(kId, &file, 1, 4), 32u);
  EXPECT_EQ(mgr.CmpFuncPtrGet(kId), &Int64Compare);

  // One value for count 0 or 1, else a block with the count ahead of the
  // first value; every value 0.
  for (uint32_t count : {0u, 1u}) {
    auto* one = static_cast<KvInt64*>(mgr.Create(kId, count));
    ASSERT_NE(one, nullptr);
    EXPECT_TRUE(*one == KvInt64(0));
    mgr.Delete(kId, one, count);
  }
  auto* values = static_cast<KvInt64*>(mgr.Create(kId, 3));
  ASSERT_NE(values, nullptr);
  uint32_t count;
  std::memcpy(&count, reinterpret_cast<uint8_t*>(values) - 4, 4);
  EXPECT_EQ(count, 3u);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(values[i] == KvInt64(0));
  mgr.Delete(kId, values, 3);
  mgr.Delete(kId, nullptr, 3);

  KvInt64 raw[3] = {KvInt64(1), KvInt64(2), KvInt64(3)};
  mgr.ConstructorPtrGet(kId)(raw, 2, 0);
  EXPECT_EQ(ValueOf(raw[0]), 0);
  EXPECT_EQ(ValueOf(raw[1]), 0);
  EXPECT_EQ(ValueOf(raw[2]), 3);
  mgr.DestructorPtrGet(kId)(raw, 3, 0);

  struct Row {
    KvAssignFunc assign;
    int32_t fill;
    std::vector<int64_t> expected;
  };
  const Row rows[] = {
      {mgr.AssignmentPtrGet(kId), 0, {kMin, kMax, 0}},
      {mgr.AssignmentPtrGet(kId), 1, {kMin, kMin, 0}},
      {mgr.CopyPtrGet(kId), 0, {kMin, kMax, 0}},
      {mgr.CopyPtrGet(kId), 5, {kMin, kMin, 0}},
  };
  for (const Row& r : rows) {
    std::vector<KvInt64> source = Values({kMin, kMax, 9});
    std::vector<KvInt64> target(3);
    r.assign(target.data(), source.data(), 2, r.fill);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(ValueOf(target[i]), r.expected[i]);
  }
}

TEST(Int64Rows, Translate) {
  KvTypeMgr mgr;
  std::vector<KvInt64> values = Values({0x0123456789ABCDEF, -2});
  struct Row {
    uint8_t targetFormat, sourceFormat;
    uint32_t targetLength, sourceLength, count;
    uint32_t result;
    Bytes target;  // what the 16 target bytes hold afterwards
  };
  const Bytes msb = Stored({0x0123456789ABCDEF, -2}, 2);
  const Bytes lsb = Stored({0x0123456789ABCDEF, -2}, 1);
  const Bytes mem = MemoryOf<KvInt64>({values[0], values[1]});
  Bytes first8(lsb.begin(), lsb.begin() + 8);
  first8.resize(16, 0xAA);
  Bytes msbFirst8(msb.begin(), msb.begin() + 8);
  msbFirst8.resize(16, 0xAA);
  Bytes memFirst8(mem.begin(), mem.begin() + 8);
  memFirst8.resize(16, 0xAA);
  const Row rows[] = {
      // Memory to stored, stored to memory, memory to memory.
      {2, 8, 0, 0, 2, 16, msb},
      {1, 8, 16, 16, 2, 16, lsb},
      {8, 8, 0, 0, 2, 16, mem},
      // A length too short for count bounds the values converted.
      {2, 8, 15, 0, 2, 8, msbFirst8},
      {8, 8, 0, 8, 2, 8, memFirst8},
      {1, 8, 16, 12, 2, 8, first8},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << int(r.targetFormat) << " from " << int(r.sourceFormat)
                                    << " lengths " << r.targetLength << ", " << r.sourceLength);
    Bytes target(16, 0xAA);
    EXPECT_EQ(mgr.Translate(kId, target.data(), r.targetFormat, r.targetLength, values.data(),
                            r.sourceFormat, r.sourceLength, r.count),
              r.result);
    EXPECT_EQ(target, r.target);
  }

  // Stored to memory, in each byte order.
  for (uint8_t format : {1, 2}) {
    Bytes source = Stored({kMin, 77}, format);
    std::vector<KvInt64> back(2);
    EXPECT_EQ(mgr.Translate(kId, back.data(), 8, 16, source.data(), format, 16, 2), 16u);
    EXPECT_EQ(ValueOf(back[0]), kMin);
    EXPECT_EQ(ValueOf(back[1]), 77);
    // A source shorter than count values: only the whole ones.
    std::vector<KvInt64> one(2, KvInt64(5));
    EXPECT_EQ(mgr.Translate(kId, one.data(), 8, 0, source.data(), format, 15, 2), 8u);
    EXPECT_EQ(ValueOf(one[0]), kMin);
    EXPECT_EQ(ValueOf(one[1]), 5);
  }

  // Stored to stored copies the bytes, a shorter source into a zeroed
  // target.
  const uint8_t source[3] = {1, 2, 3};
  uint8_t target[8] = {0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA};
  EXPECT_EQ(mgr.Translate(kId, target, 1, 8, const_cast<uint8_t*>(source), 2, 3, 1), 3u);
  EXPECT_EQ(Bytes(target, target + 8), (Bytes{1, 2, 3, 0, 0, 0, 0, 0}));
  uint8_t shorter[2] = {0xAA, 0xAA};
  EXPECT_EQ(mgr.Translate(kId, shorter, 2, 2, const_cast<uint8_t*>(source), 1, 3, 1), 2u);
  EXPECT_EQ(Bytes(shorter, shorter + 2), (Bytes{1, 2}));
}

std::string List(std::vector<KvInt64> values) {
  KvString* text = KvTypeMgr().ConvertToKvString(values.data(), kId, values.size());
  std::string out = text->StrGet();
  delete text;
  return out;
}

std::vector<int64_t> FromList(KvString text, uint32_t count, std::string* rest = nullptr) {
  auto* values = static_cast<KvInt64*>(KvTypeMgr().ConvertFromKvString(&text, kId, count));
  std::vector<int64_t> out;
  for (uint32_t i = 0; i < (count < 2 ? 1 : count); ++i) out.push_back(ValueOf(values[i]));
  KvTypeMgr().Delete(kId, values, count);
  if (rest != nullptr) *rest = text.StrGet();
  return out;
}

TEST(Int64Rows, TextLists) {
  EXPECT_EQ(List(Values({12, -3, kMin, kMax, 0})),
            "12,-3,-9223372036854775808,9223372036854775807,0,");
  EXPECT_EQ(List({}), "");

  struct Row {
    const char* text;
    uint32_t count;
    std::vector<int64_t> values;
    const char* rest;
  };
  const Row rows[] = {
      {"12,-3,-9223372036854775808,9223372036854775807,0,", 5, {12, -3, kMin, kMax, 0}, ""},
      {"1,2,3,", 2, {1, 2}, "3,"},
      // Each item reads by "%S": other bases, -1 for what is no number, and
      // an empty item leaves its value as created.
      {"0x10,017,x,,", 4, {16, 15, -1, 0}, ""},
      // Values beyond the text stay 0.
      {"5,", 3, {5, 0, 0}, ""},
      {"", 2, {0, 0}, ""},
      // The separator is the text's last character.
      {"7;8;", 2, {7, 8}, ""},
      {"9223372036854775808,", 1, {-1}, ""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.text);
    std::string rest;
    EXPECT_EQ(FromList(r.text, r.count, &rest), r.values);
    EXPECT_EQ(rest, r.rest) << "the items read are consumed";
  }

  // A list in the 16-bit code set reads as its 8-bit counterpart.
  KvString wide("-9223372036854775808,42,");
  wide.SetCodeSet(KvCS_UNICODE);
  EXPECT_EQ(FromList(wide, 2), (std::vector<int64_t>{kMin, 42}));

  // What the row writes, it reads back.
  std::vector<KvInt64> many = Values({0, -1, 1, kMin, kMax, 4294967296, -4294967296});
  EXPECT_EQ(FromList(KvString(List(many).c_str()), 7),
            (std::vector<int64_t>{0, -1, 1, kMin, kMax, 4294967296, -4294967296}));
}

TEST(Int64Rows, PrintDirectives) {
  struct Row {
    int64_t value;
    const char* format;
    const char* text;
  };
  const Row rows[] = {
      {255, "%x", "0xff"},
      {255, "%X", "0XFF"},
      {255, "%o", "0377"},
      {255, "%S", "255"},
      {255, "%d", "255"},
      {255, "%i", "255"},
      {-255, "%x", "-0xff"},
      {-255, "%o", "-0377"},
      {0, "%S", "0"},
      {0, "%d", "0"},
      {0, "%o", "00"},
      {0, "%x", "0x0"},
      {255, nullptr, "255"},
      {kMax, "%S", "9223372036854775807"},
      {kMax, "%X", "0X7FFFFFFFFFFFFFFF"},
      {kMin, "%S", "-9223372036854775808"},
      {kMin, "%x", "-0x8000000000000000"},
      {kMin, "%o", "-01000000000000000000000"},
      {-1, "%x", "-0x1"},
      {0x0123456789ABCDEF, "%X", "0X123456789ABCDEF"},
      // Literal text; a '%' before a non-directive is copied with it.
      {42, "<%S> and <%x>", "<42> and <0x2a>"},
      {42, "%q%%d 100%", "%q%%d 100%"},
      {42, "%%%d", "%%42"},
      {42, "", ""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.format != nullptr ? r.format : "null");
    EXPECT_EQ(Printed(r.value, r.format), r.text);
  }

  // The text is appended.
  KvString out("n=");
  KvInt64 v(-7);
  KvTypeMgr().PrintToKvString(kId, out, &v, "%d", 1);
  EXPECT_STREQ(out.StrGet(), "n=-7");
  EXPECT_EQ(&KvTypeMgr().PrintToKvString(kId, out, nullptr, "%d", 1), &out);
  EXPECT_STREQ(out.StrGet(), "n=-7");
}

TEST(Int64Rows, ScanDirectives) {
  struct Row {
    const char* text;
    const char* format;
    int64_t value;  // from a start of 99
  };
  const std::string overlongZeros = std::string(200, '0') + "17";
  const std::string overlongDigits(200, '9');
  const Row rows[] = {
      {"0x1F", "%x", 31},
      {"0X1f", "%X", 31},
      {"31", "%x", -1},
      {"-017", "%S", -15},
      {"017", "%o", 15},
      {"017", "%d", -1},
      {"0x1F", "%d", -1},
      {"0x1F", "%S", 31},
      {"+42", "%i", 42},
      {"9223372036854775807", "%S", kMax},
      {"9223372036854775808", "%S", -1},
      {"-9223372036854775808", "%S", kMin},
      {"-9223372036854775809", "%S", -1},
      {"-0x8000000000000000", "%x", kMin},
      {"0x8000000000000000", "%x", -1},
      {"18446744073709551616", "%S", -1},
      {"0xFFFFFFFFFFFFFFFFF", "%x", -1},
      {"12,34", "%S,%S", 34},
      {"12,x", "%S,%S", -1},
      // A lone zero is zero under every directive.
      {"0", "%d", 0},
      {"0", "%i", 0},
      {"-0", "%d", 0},
      {"0", "%x", 0},
      {"0", "%o", 0},
      {"00", "%o", 0},
      {"0,5", "%d,%d", 5},
      // Literal text must match.
      {"<42>", "<%d>", 42},
      {"[42>", "<%d>", -1},
      {"%%42", "%%%d", 42},
      {"%q42", "%q%d", 42},
      // The digits must end where the format goes on.
      {"12", "%S,", -1},
      {"12 ", "%S", -1},
      // The text ending first keeps what was read.
      {"12,", "%S,%S", 12},
      {"<", "<%d>", 99},
      {"", "%S", 99},
      {"anything", "", 99},
      // Hostile texts.
      {"-", "%S", -1},
      {"+", "%d", -1},
      {"0x", "%x", -1},
      {"--5", "%S", -1},
      {" 12", "%S", -1},
      {"12a", "%d", -1},
      {"1f", "%x", -1},
      {"08", "%S", -1},
      {"\xff\xfe", "%S", -1},
      {"\xef\xbc\x91\xef\xbc\x92", "%S", -1},  // fullwidth digits in UTF-8
      {"1\x80", "%S", -1},
      {overlongZeros.c_str(), "%S", 15},
      {overlongDigits.c_str(), "%S", -1},
      {"12", nullptr, 12},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << '"' << r.text << "\" under " << (r.format ? r.format : "null"));
    EXPECT_EQ(Scanned(r.text, r.format), r.value);
  }

  // Only the text's own length is read: an exactly sized buffer, no
  // terminator.
  struct Cut {
    const char* text;
    size_t length;
    int64_t value;
  };
  const Cut cuts[] = {{"0x1F", 3, 1}, {"0x1F", 2, -1}, {"-12", 1, -1}, {"123", 2, 12},
                      {"12,34", 3, 12}, {"", 0, 99}};
  for (const Cut& c : cuts) {
    SCOPED_TRACE(c.text);
    std::unique_ptr<char[]> exact(new char[c.length == 0 ? 1 : c.length]);
    std::memcpy(exact.get(), c.text, c.length);
    const char* format = std::strchr(c.text, ',') != nullptr ? "%S,%S" : "%S";
    EXPECT_EQ(ValueOf(KvScanInt64(exact.get(), c.length, format, KvInt64(99))), c.value);
  }

  // 16-bit text reads as its 8-bit counterpart; characters without one do
  // not read as digits.
  KvString wide("<-0x10>");
  wide.SetCodeSet(KvCS_UNICODE);
  EXPECT_EQ(Scanned(wide, "<%x>"), -16);
  const unsigned short fullwidth[] = {0xFF11, 0xFF12, 0};
  EXPECT_EQ(Scanned(KvString(fullwidth), "%S"), -1);
  const unsigned short arabic[] = {0x0661, 0};
  EXPECT_EQ(Scanned(KvString(arabic), "%d"), -1);

  KvString text("5");
  EXPECT_EQ(KvTypeMgr().ScanFromKvString(kId, nullptr, text, "%S", 1), nullptr);
}

TEST(Int64Rows, PrintedTextScansBackWithItsDirective) {
  std::vector<int64_t> values = {0, 1, -1, 7, 8, -8, 10, 15, 16, kMin, kMin + 1, kMax, kMax - 1,
                                 4294967295, 4294967296, -4294967296};
  std::mt19937_64 random(64);
  for (int i = 0; i < 2000; ++i) {
    values.push_back(static_cast<int64_t>(random()) >> (random() % 64));
  }
  const char* formats[] = {"%S", "%d", "%i", "%o", "%x", "%X", "<%d>", "v=%x;", "%%%o"};
  for (const char* format : formats) {
    for (int64_t v : values) {
      const std::string text = Printed(v, format);
      ASSERT_EQ(Scanned(KvString(text.c_str()), format, v == 99 ? 98 : 99), v)
          << text << " under " << format;
    }
  }
}

// ---- Int64Compare ----

struct CompareCase {
  std::vector<int64_t> a, b;
  uint32_t length1, length2, count;
  long result;
  int status;
};

TEST(Int64Compare, StoredAndMemoryForms) {
  const CompareCase cases[] = {
      {{1}, {2}, 0, 0, 1, -1, 0},
      {{2}, {1}, 0, 0, 1, 1, 0},
      {{-1}, {0}, 0, 0, 1, -1, 0},
      {{kMin}, {kMax}, 0, 0, 1, -1, 0},
      // Words: the high word orders first, signed; the low word unsigned.
      {{0x100000000}, {0xFFFFFFFF}, 0, 0, 1, 1, 0},
      {{0x80000000}, {0x7FFFFFFF}, 0, 0, 1, 1, 0},
      {{-0x100000000}, {-0xFFFFFFFF}, 0, 0, 1, -1, 0},
      {{5, 6, 7}, {5, 6, 8}, 0, 0, 3, -1, 0},
      {{5, 6, 7}, {5, 6, 7}, 0, 0, 3, 0, 0},
      {{5}, {6}, 0, 0, 0, 0, 0},
      // Cut buffers: elements beyond a length are not read.
      {{5, 6, 7}, {5, 6, 8}, 16, 0, 3, 0, KvCMP_INCOMPLETE},
      {{5, 6, 7}, {5, 6, 8}, 0, 23, 3, 0, KvCMP_INCOMPLETE},
      {{5, 9, 7}, {5, 6, 8}, 16, 0, 3, 1, KvCMP_INCOMPLETE},
      {{5, 9}, {5, 6}, 16, 16, 2, 1, 0},
      {{4, 9}, {5, 6}, 8, 0, 2, -1, KvCMP_INCOMPLETE},
      {{4}, {5}, 7, 0, 1, 0, KvCMP_INCOMPLETE},
  };
  for (uint8_t format : {8, 1, 2, 3}) {
    for (const CompareCase& c : cases) {
      SCOPED_TRACE(testing::Message() << "format " << int(format) << ", " << c.a[0] << " : "
                                      << c.b[0] << ", lengths " << c.length1 << ", " << c.length2);
      // Exactly the bytes each length allows, so that a read past them
      // would be seen.
      Bytes a;
      Bytes b;
      for (int64_t v : c.a) {
        const Bytes e = format == 8 ? MemoryOf<KvInt64>({Of(v)}) : Stored({v}, format);
        a.insert(a.end(), e.begin(), e.end());
      }
      for (int64_t v : c.b) {
        const Bytes e = format == 8 ? MemoryOf<KvInt64>({Of(v)}) : Stored({v}, format);
        b.insert(b.end(), e.begin(), e.end());
      }
      if (c.length1 != 0) a.resize(c.length1);
      if (c.length2 != 0) b.resize(c.length2);
      std::unique_ptr<uint8_t[]> x(new uint8_t[a.size() + 1]);
      std::unique_ptr<uint8_t[]> y(new uint8_t[b.size() + 1]);
      std::memcpy(x.get(), a.data(), a.size());
      std::memcpy(y.get(), b.data(), b.size());
      int status = -5;
      EXPECT_EQ(Int64Compare(format, c.length1, x.get(), c.length2, y.get(), 0, c.count, status),
                c.result);
      EXPECT_EQ(status, c.status);
      EXPECT_EQ(KvTypeMgr().Cmp(kId, c.length1, x.get(), c.length2, y.get(), 0, c.count, format,
                                status),
                c.result);
    }
  }
}

TEST(Int64Compare, AgreesWithTheValueOrder) {
  std::mt19937_64 random(5);
  for (int i = 0; i < 20000; ++i) {
    const int64_t a = static_cast<int64_t>(random()) >> (random() % 64);
    const int64_t b = (random() & 1) != 0 ? a : static_cast<int64_t>(random()) >> (random() % 64);
    const long expected = a < b ? -1 : a > b ? 1 : 0;
    for (uint8_t format : {1, 2}) {
      Bytes x = Stored({a}, format);
      Bytes y = Stored({b}, format);
      int status;
      ASSERT_EQ(Int64Compare(format, 8, x.data(), 8, y.data(), 0, 1, status), expected)
          << a << " : " << b << " in format " << int(format);
    }
  }
}

// ---- The evaluator ----

struct Keys {
  Bytes low, high;
  KvIdxBounds range() {
    return {low.empty() ? nullptr : low.data(), high.empty() ? nullptr : high.data(),
            static_cast<uint8_t>(low.size()), static_cast<uint8_t>(high.size())};
  }
};

void FreeBounds(KvIdxBounds& b) {
  KvMemFree(b.low);
  KvMemFree(b.high);
  b = {};
}

TEST(Int64Evaluate, EstimatesAndBounds) {
  struct Row {
    int64_t value, lo, hi;
    unsigned short relation;
    float estimate;
  };
  const Row rows[] = {
      {50, 0, 99, KvREL_LESS, 0.5f},
      {50, 0, 99, KvREL_LESS | KvREL_GREATER, 0.99f},
      {50, 0, 99, KvREL_EQUAL, 0.01f},
      {50, 0, 99, KvREL_EQUAL | KvREL_LESS | KvREL_GREATER, 1.0f},
      {20, 100, 199, KvREL_GREATER, 1.0f},
      {20, 100, 199, KvREL_LESS, 0.0f},
      {500, 100, 199, KvREL_LESS, 1.0f},
      // The high word counts: 2^32 within [0, 2^33 - 1] lies halfway.
      {4294967296, 0, 8589934591, KvREL_LESS, 0.5f},
      {-4294967296, -8589934592, -1, KvREL_GREATER, 0.5f},
      // The whole range of values; positions round near 2^63 but the share
      // stays within 1.
      {0, kMin, kMax, KvREL_LESS, 0.5f},
      {kMax, kMin, kMax, KvREL_EQUAL | KvREL_LESS | KvREL_GREATER, 1.0f},
      {kMin, kMin, kMax, KvREL_GREATER | KvREL_EQUAL, 1.0f},
      // A high key below the low one measures nothing.
      {5, 10, 0, KvREL_LESS, 0.0f},
  };
  for (uint8_t format : {1, 2}) {
    for (const Row& r : rows) {
      SCOPED_TRACE(testing::Message() << r.value << " in [" << r.lo << ", " << r.hi
                                      << "], relation " << r.relation << ", format "
                                      << int(format));
      Keys keys{Stored({r.lo}, format), Stored({r.hi}, format)};
      KvIdxBounds range = keys.range();
      Bytes value = Stored({r.value}, format);
      unsigned short relation = r.relation;
      KvIdxBounds bounds{};
      const float estimate =
          KvTypeMgr().EvalAndBound(kId, &range, relation, value.data(), format, 1, &bounds);
      EXPECT_NEAR(estimate, r.estimate, 1e-6);
      EXPECT_EQ(relation, r.relation);
      // Equal sets both bounds, less only the upper, greater only the lower.
      const bool low = (r.relation & KvREL_LESS) == 0;
      const bool high = (r.relation & KvREL_GREATER) == 0;
      ASSERT_EQ(bounds.low != nullptr, low);
      ASSERT_EQ(bounds.high != nullptr, high);
      if (low) {
        EXPECT_EQ(Bytes(bounds.low, bounds.low + bounds.lowLength), value);
      }
      if (high) {
        EXPECT_EQ(Bytes(bounds.high, bounds.high + bounds.highLength), value);
      }
      FreeBounds(bounds);
    }
  }
}

TEST(Int64Evaluate, MissingRangesCountsAndKeptBounds) {
  Bytes value = Stored({7, 8}, 1);
  unsigned short relation = KvREL_EQUAL;

  // No range, a key missing, or a key shorter than a value: estimate 0,
  // and the bounds are still set, count values long.
  Keys shortKey{Bytes(4, 0), Stored({100}, 1)};
  Keys noHigh{Stored({0}, 1), {}};
  KvIdxBounds ranges[] = {shortKey.range(), noHigh.range()};
  for (KvIdxBounds* range : {static_cast<KvIdxBounds*>(nullptr), &ranges[0], &ranges[1]}) {
    KvIdxBounds bounds{};
    EXPECT_EQ(KvEvalInt64(range, relation, value.data(), 1, 2, &bounds), 0.0f);
    ASSERT_NE(bounds.low, nullptr);
    EXPECT_EQ(Bytes(bounds.low, bounds.low + bounds.lowLength), value);
    EXPECT_EQ(bounds.highLength, 16);
    FreeBounds(bounds);
  }

  // A bound already set is kept.
  Keys keys{Stored({0}, 1), Stored({99}, 1)};
  KvIdxBounds range = keys.range();
  uint8_t* earlier = static_cast<uint8_t*>(KvMemAlloc(8));
  std::memset(earlier, 0x5A, 8);
  KvIdxBounds bounds{earlier, nullptr, 8, 0};
  KvEvalInt64(&range, relation, value.data(), 1, 1, &bounds);
  EXPECT_EQ(bounds.low, earlier);
  EXPECT_EQ(Bytes(bounds.high, bounds.high + 8), Stored({7}, 1));
  FreeBounds(bounds);

  // Only the estimate.
  EXPECT_NEAR(KvEvalInt64(&range, relation, value.data(), 1, 1, nullptr), 0.01f, 1e-6);
}

TEST(Int64Evaluate, EstimatesStayWithinZeroAndOne) {
  std::mt19937_64 random(11);
  const auto any = [&random]() {
    return static_cast<int64_t>(random()) >> (random() % 64);
  };
  for (int i = 0; i < 20000; ++i) {
    int64_t lo = any();
    int64_t hi = any();
    if (hi < lo && (random() & 7) != 0) std::swap(lo, hi);
    Keys keys{Stored({lo}, 2), Stored({hi}, 2)};
    KvIdxBounds range = keys.range();
    Bytes value = Stored({(random() & 1) != 0 ? any() : lo}, 2);
    unsigned short relation = static_cast<unsigned short>(random() & 7);
    const float estimate = KvEvalInt64(&range, relation, value.data(), 2, 1, nullptr);
    ASSERT_GE(estimate, 0.0f);
    ASSERT_LE(estimate, 1.0f) << lo << " " << hi << " relation " << relation;
  }
}

}  // namespace
