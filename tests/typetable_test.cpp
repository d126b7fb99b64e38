// Facts about the descriptor table, the type manager's dispatch, the number
// rows' stored forms and the library's start-up.
#include <bit>
#include <cfloat>
#include <cmath>

#include <gtest/gtest.h>

#include "test_util.h"

namespace {

// Name, memory length, fixed and exchange format of every row, the same in
// both tables. A class holding a pointer grows with it on a 64-bit host,
// and its row reports what the host's arrays of it take; all others have
// the lengths of the 32-bit platform the stored forms were made on. Names
// are found by their exact spelling only.
TEST(TypeTable, RowsOfBothTables) {
  const struct { const char* name; size_t memLength; unsigned short fixed; const char* format; } rows[] = {
      {"char", 1, 1, "%c"}, {"short", 2, 1, "%hd"}, {"long", 4, 1, "%ld"}, {"double", 8, 1, "%lf"},
      {"float", 4, 1, "%f"}, {"KvWord", 2, 1, "%hu"}, {"KvDWord", 4, 1, "%lu"}, {"int", 4, 1, "%d"},
      {"unsigned", 4, 1, "%u"}, {"enum", 4, 1, "%d"}, {"KvByte", 1, 1, "%c"}, {"KvString", sizeof(KvString), 0, "%s"},
      {"KvDate", 4, 1, "%a %e.%b %Y"}, {"KvTime", 3, 1, "%I:%M:%S %p"}, {"BlockId", 4, 1, "#%lu"},
      {"KvObjId", 12, 1, "(%H-%L#%B)"}, {"KvClassId", 4, 1, "(%Cv%V)"}, {"KvRef", 20, 1, "(%D:%H-%L#%B, %C)"},
      {"KvBlob", sizeof(KvBlob), 0, "[BLOB,len=%L]"}, {"KvDateTime", 8, 1, "%a %e.%b %Y %I:%M:%S %p"},
      {"KvIString", sizeof(KvIString), 0, "%s"}, {"KvCaseIString", sizeof(KvCaseIString), 0, "%s"},
      {"d_Date", 4, 1, "%a %b %e"}, {"d_Time", 6, 1, "%I:%M:%S %p"}, {"d_Timestamp", 10, 1, "%a %b %e %I:%M:%S %p"},
      {"d_Interval", 4, 1, "%e days, %I hours, %M minutes, %S seconds"}, {"KvInt64", 8, 1, "%S"}, {"bool", 1, 1, "noop"}};
  static_assert(sizeof rows / sizeof rows[0] == KvTYPE_COUNT);
  for (KvTypeMgr mgr : {KvTypeMgr(5), KvTypeMgr(3)}) {
    for (char id = 0; id < KvTYPE_COUNT; ++id) {
      const auto& r = rows[static_cast<int>(id)];
      char found = -1;
      EXPECT_EQ(mgr.Name2KvTypeId(r.name, found) * 100 + found, id) << r.name;
      EXPECT_EQ(mgr.MemLenGet(id, 1) * 10 + mgr.IsFixed(id), r.memLength * 10 + r.fixed) << r.name;
      EXPECT_STREQ(mgr.ExchangeFormat(id, nullptr), r.format);
    }
    char found = -1, again = -1;  // names are found by their exact spelling only
    EXPECT_EQ(mgr.Name2KvTypeId("kvstring", found) + mgr.Name2KvTypeId(nullptr, again) + found + again, 2 + 2 * KvTYPE_COUNT);
  }
  KvTypeMgr mgr;
  char buffer[14];  // the longest name fits
  EXPECT_EQ(std::string(mgr.NameGet(KvTYPE_CASEISTRING, buffer)) + mgr.NameGet(KvTYPE_D_INTERVAL, nullptr), "KvCaseIStringd_Interval");
  // 3 KvObjId, 80000 bytes kept to 16 bits, a count of 32 bits.
  EXPECT_EQ((std::vector<int>{mgr.MemLenGet(KvTYPE_OBJID, 3), mgr.MemLenGet(KvTYPE_REF, 4000),
                              mgr.MemLenGet(KvTYPE_LONG, UnsignedLongOf(0x100000003)), mgr.MemLenGet(KvTYPE_LONG, 0)}),
            (std::vector<int>{36, 14464, 12, 0}));
  EXPECT_TRUE(mgr.StorePtrGet(KvTYPE_INT) == IntStore && mgr.LoadPtrGet(KvTYPE_INT) == IntLoad && !mgr.ComparePtrGet(KvTYPE_INT));
}

// Factory numbers (32-bit) choose the table, legacy below 4 and for 11,
// and are kept as they are from 0 to 10; 11 is kept as 3, 12 and up as 4.
TEST(TypeManager, FactoryNumbers) {
  const struct { unsigned long factory; int legacyAndKept; } rows[] = {
      {0, 100}, {1, 101}, {3, 103}, {4, 4}, {5, 5}, {10, 10}, {11, 103}, {12, 4}, {13, 4}, {4000000000ul, 4}, {UnsignedLongOf(0x100000005), 5}};
  KvTypeMgr mgr(7);
  for (const auto& r : rows) EXPECT_EQ((mgr.SetFactory(r.factory), mgr.IsLegacy() * 100 + mgr.FactoryGet()), r.legacyAndKept) << r.factory;
  EXPECT_EQ(KvTypeMgr().FactoryGet() + KvTypeMgr(2).IsLegacy() * 100, 105);
}

// The exchange operations write into a row in place: every manager sharing
// the row sees the change; a null format only queries.
TEST(TypeManager, ExchangedSlotsAreSharedByTheRow) {
  KvTypeMgr standard, legacy(3);
  const char* original = standard.ExchangeFormat(KvTYPE_LONG, "<%ld>");
  const KvTypeCmpFunc compare = standard.ExchangeKvTypeCmpFunc(KvTYPE_INT, LongCompare);
  EXPECT_STREQ(legacy.ExchangeFormat(KvTYPE_LONG, nullptr), "<%ld>");
  EXPECT_TRUE(legacy.ExchangeKvTypeCmpFunc(KvTYPE_INT, compare) == LongCompare && legacy.CmpFuncPtrGet(KvTYPE_INT) == IntCompare);
  EXPECT_STREQ(standard.ExchangeFormat(KvTYPE_LONG, original), "<%ld>");
}

// A print whose text a string cannot hold is refused whole in every row,
// after one overflow report: the rows that assign leave no text, those that
// append (dates and times, KvInt64, KvBlob) leave the result as it was,
// whether the text is too long or the result has no room for it.
TEST(TypeManager, APrintThatCannotHoldTheValueIsRefusedWhole) {
  std::vector<unsigned short> units(40, 0x500C);  // the order of 'a', 40 times
  units.push_back(0);
  KvString abc("abc"), orders(units.data());
  orders.SetCodeSetCode(KvCS_ORDERS);
  KvIString iabc("abc");
  KvCaseIString ciabc("abc");
  KvTime noon(12, 0, 0);
  KvDate y2k(2000, 1, 1);
  KvInt64 i64(255L);
  KvBlob blob(-42);
  KvObjId oid(7, 5, 1);
  const std::string x(65526, 'x');  // with "old" 65529 characters
  const struct { char id; void* value; std::string format; bool appends; std::string text; } rows[] = {  // text "": refused
      {KvTYPE_STRING, &abc, "%65532s", false, std::string(65529, ' ') + "abc"}, {KvTYPE_STRING, &abc, "x%65532s", false, ""},
      {KvTYPE_DATE, &y2k, x + "x%y", true, x + "x00"},
      {KvTYPE_DATE, &y2k, x + "xx%y", true, ""},  // fits, but not after "old"
      {KvTYPE_INT64, &i64, x + x + "%S", true, ""}, {KvTYPE_BLOB, &blob, x + "xxxx%L", true, ""},
      {KvTYPE_OBJID, &oid, x + "xxxx%B", false, x + "xxxx7"}, {KvTYPE_ISTRING, &iabc, "x%65532s", false, ""},
      {KvTYPE_CASEISTRING, &ciabc, "%-65532s", false, "abc" + std::string(65529, ' ')}, {KvTYPE_CASEISTRING, &ciabc, "%-65532sx", false, ""},
      {KvTYPE_STRING, &orders, std::string(2000, 'x') + "%3M", false, ""}, {KvTYPE_TIME, &noon, x + "xxxx%H%M", true, ""}};
  for (const auto& r : rows) {
    OverflowCounter reports;
    KvString out("old");
    KvTypeMgr().PrintToKvString(r.id, out, r.value, r.format.c_str(), 1);
    EXPECT_TRUE(out.StrGet() == (r.appends ? "old" : "") + r.text && reports.Count() == r.text.empty()) << int{r.id} << " " << r.format.size();
  }
}

// An id outside the table is reported once by every operation, which
// returns its empty result and never reads past the table; look-up and
// validity checks never report.
TEST(TypeManager, InvalidIdsAreReportedAndNeverDispatched) {
  ReportCounter reports;
  KvTypeMgr mgr;
  for (const char id : {28, 127, -1, -128}) {
    uint8_t buffer[16] = {};
    int status = 7;
    unsigned short relation = KvREL_EQUAL;
    KvString out("kept");
    MemFile file(buffer, sizeof buffer);
    const std::vector<bool> empty = {
        !mgr.Create(id, 1), !mgr.Delete(id, buffer, 1), !mgr.Store(id, buffer, buffer, 1, 1), !mgr.Load(id, buffer, buffer, 1, 1),
        !mgr.DiskLenGet(id, buffer, 1, 1, 8), !mgr.DiskLenGetFromMemFile(id, &file, 1, 1), !mgr.Cmp(id, 4, buffer, 4, buffer, 0, 1, 8, status),
        !status, !mgr.Cmp(id, buffer, buffer, 0, 1, 8), !mgr.EvalAndBound(id, nullptr, relation, buffer, 1, 1, nullptr),
        !mgr.Translate(id, buffer, 1, 4, buffer, 2, 4, 1), !mgr.ConvertToKvString(buffer, id, 1), !mgr.ConvertFromKvString(&out, id, 1),
        &mgr.PrintToKvString(id, out, buffer, nullptr, 1) == &out, mgr.ScanFromKvString(id, buffer, out, nullptr, 1) == buffer,
        std::strcmp(out.StrGet(), "kept") == 0, !mgr.NameGet(id, nullptr), !mgr.MemLenGet(id, 1), !mgr.IsFixed(id),
        !mgr.ConstructorPtrGet(id), !mgr.DestructorPtrGet(id), !mgr.AssignmentPtrGet(id), !mgr.CopyPtrGet(id), !mgr.LoadPtrGet(id),
        !mgr.StorePtrGet(id), !mgr.CmpFuncPtrGet(id), !mgr.ExchangeFormat(id, "x"), !mgr.ExchangeKvTypeCmpFunc(id, IntCompare),
        !mgr.ExchangePrintToKvStringFunc(id, nullptr), !mgr.ExchangeScanFromKvStringFunc(id, nullptr)};
    EXPECT_EQ(empty, std::vector<bool>(empty.size(), true)) << int{id};
  }
  char id = 0;
  EXPECT_EQ(mgr.IsValidType(28) + mgr.IsValidType(-1) + mgr.IsValidType(0) + mgr.IsValidType(27) + (mgr.Name2KvTypeId("nothing", id) != 0), 3);
  EXPECT_EQ(reports.Count(), 4 * 28);
}

// The values of a row back to back, as the manager takes arrays of them,
// and where given the rank of each in the row's order (equal values share
// one).
struct Values {
  const void* first;
  size_t n, size;
  std::vector<int> ranks;
  void* At(size_t i) const { return const_cast<uint8_t*>(static_cast<const uint8_t*>(first) + i * size); }
};
template <typename T> Values All(const std::vector<T>& v, std::vector<int> ranks = {}) { return {v.data(), v.size(), sizeof(T), ranks}; }

// Every row of both tables over edge values of its type. A record layer
// sizes its buffer with DiskLenGet and then calls Store, or Translate into
// a stored form: for every format byte, one value and three at a time,
// neither writes nor returns more than DiskLenGet gave (a canary follows).
// A B-tree whose comparator is not a total order loses keys: every compare
// slot must be antisymmetric and transitive, in memory form and in both
// stored byte orders, under the exact operator, and final: whole values
// leave nothing open; numbers order as numbers, a NaN first and equal to
// every NaN, -0 equal to +0. Keys hold three orders a character (¼ in
// Windows-1252), and are cut past 253 bytes.
TEST(TypeTable, EveryRowOrdersTotallyAndStaysWithinItsStoredSize) {
  ___KvI18NContext(1);
  const std::vector<double> doubles = {NAN, -NAN, std::bit_cast<double>(0x7FF0000000000001ull), std::bit_cast<double>(0xFFF800000000BEEFull),
      -INFINITY, -DBL_MAX, -1.0, -DBL_TRUE_MIN, -0.0, 0.0, DBL_TRUE_MIN, DBL_MIN, 1.0, DBL_MAX, INFINITY};
  const std::vector<float> floats = {NAN, -NAN, std::bit_cast<float>(0x7F800001u), std::bit_cast<float>(0xFFC0BEEFu),
      -INFINITY, -FLT_MAX, -1.0f, -FLT_TRUE_MIN, -0.0f, 0.0f, FLT_TRUE_MIN, FLT_MIN, 1.0f, FLT_MAX, INFINITY};
  // Ranks of values listed in signed order (three negative ones first) when
  // they are read as signed (shift 0) or unsigned (shift n - 3) numbers.
  auto Ranks = [](int n, int shift) { std::vector<int> r(n); for (int i = 0; i < n; ++i) r[i] = (i + shift) % n; return r; };
  const std::vector<int> realRanks = {0, 0, 0, 0, 1, 2, 3, 4, 5, 5, 6, 7, 8, 9, 10};
  // Bit patterns that are the edges of both the signed and the unsigned types.
  const std::vector<uint8_t> bytes = {0x80, 0x81, 0xFF, 0, 1, 0x7F};
  const std::vector<uint16_t> shorts = {0x8000, 0x8001, 0xFFFF, 0, 1, 0x0100, 0x7FFF};
  const std::vector<uint32_t> longs = {0x80000000, 0x80000001, 0xFFFFFFFF, 0, 1, 0x100, 0x10000, 0x7FFFFFFF};
  // Windows-1252: 201 É, 223 ß, 233 é, 156 œ, 140 Œ, 244 ô, 188 ¼.
  const std::string longText(300, 'x'), quarters(40, '\xBC');
  const unsigned short wide1[] = {0xE9, 0}, wide2[] = {0xBC, 0x20AC, 0x4E2D, 'a', 0};
  std::vector<KvString> strings = {KvString(), KvString(wide1), KvString(wide2)};
  std::vector<KvIString> iStrings(1);
  std::vector<KvCaseIString> caseIStrings(1);
  std::vector<KvBlob> blobs = {KvBlob(), KvBlob(1L), KvBlob("\xFF", 1)};
  for (const char* t : {"", "a", "A", "b", "e", "E", "\xE9", "\xC9", "ez", "\xE9" "a", "ss", "SS", "\xDF", "Stra\xDF" "e", "Strasse",
                        "oe", "\x9C", "\x8C", "a-b", "ab", "a b", "c\xF4te", "cot\xE9", "cote", "*", "a?", longText.c_str(), quarters.c_str()})
    strings.emplace_back(t), iStrings.emplace_back(t), caseIStrings.emplace_back(t), blobs.emplace_back(t, static_cast<long>(std::strlen(t)));
  const std::vector<KvDate> dates = {KvDate(INT16_MIN, 1, 1), KvDate(0, 0, 0), KvDate(1999, 12, 31), KvDate(2000, 1, 1),
                                     KvDate(2000, 127, -128), KvDate(INT16_MAX, 12, 31)};
  const std::vector<KvTime> times = {KvTime(0, 0, 0), KvTime(0, 0, 59), KvTime(23, 59, 59), KvTime(127, 0, 0), KvTime(-128, 0, 0),
                                     KvTime(0, -128, 127)};
  const std::vector<d_Date> odmgDates = {d_Date(0, 1, 1), d_Date(1582, 10, 4), d_Date(1582, 10, 10), d_Date(1582, 10, 15),
                                         d_Date(2000, 13, 0), d_Date(-32768, 1, 1), d_Date(32767, 12, 31)};
  // Hundredths on both sides of a second; zones that give equal zone-free times.
  const std::vector<d_Time> odmgTimes = {d_Time(0, 0, 0, 0, 0), d_Time(12, 0, 0, 0, 0), d_Time(12, 0, 0.5f, 0, 0),
      d_Time(12, 0, 1, 0, 0), d_Time(12, 0, 1.5f, 0, 0), d_Time(23, 59, 59.99f, 0, 0), d_Time(13, 0, 0, 1, 0), d_Time(12, 0, 0, -12, 0)};
  std::vector<KvDateTime> dateTimes;
  std::vector<d_Timestamp> timestamps;
  for (int d : {0, 3, 5})
    for (int t : {1, 2, 3}) dateTimes.emplace_back(dates[d], times[t]), timestamps.emplace_back(odmgDates[d], odmgTimes[t]);
  const std::vector<KvInt64> int64s = {KvInt64(0ul, long{INT32_MIN}), KvInt64(0ul, -1l), KvInt64(-1), KvInt64(0), KvInt64(1),
                                       KvInt64(0xFFFFFFFFul, 0l), KvInt64(0ul, 1l), KvInt64(0xFFFFFFFFul, long{INT32_MAX})};
  const std::vector<KvObjId> objIds = {KvObjId(0, 0, 0), KvObjId(7, 0, 0), KvObjId(0, 1, 0), KvObjId(0, 0x100, 0),
      KvObjId(0, 0xFFFFFFFF, 0), KvObjId(0, 0, 1), KvObjId(0, 0, 0x8000), KvObjId(0, 0xFFFFFFFF, 0xFFFF)};
  const std::vector<KvClassId> classIds = {KvClassId(0, 0), KvClassId(0, 1), KvClassId(1, 0), KvClassId(0x100, 0),
                                           KvClassId(0x8000, 1), KvClassId(0xFFFF, 0xFFFF)};
  std::vector<KvRef> refs;
  for (const KvObjId& o : {objIds[1], objIds[3], objIds[7]})
    for (uint16_t origin : {0, 0x100, 0xFFFF}) refs.emplace_back(o, origin, classIds[origin & 3]);
  const std::pair<char, Values> rows[] = {
      {KvTYPE_CHAR, All(bytes, Ranks(6, 0))}, {KvTYPE_BYTE, All(bytes, Ranks(6, 3))}, {KvTYPE_BOOL, All(bytes)},
      {KvTYPE_SHORT, All(shorts, Ranks(7, 0))}, {KvTYPE_WORD, All(shorts, Ranks(7, 4))}, {KvTYPE_LONG, All(longs, Ranks(8, 0))},
      {KvTYPE_DWORD, All(longs, Ranks(8, 5))}, {KvTYPE_INT, All(longs, Ranks(8, 0))}, {KvTYPE_UNSIGNED, All(longs, Ranks(8, 5))},
      {KvTYPE_ENUM, All(longs, Ranks(8, 0))}, {KvTYPE_BLOCKID, All(longs, Ranks(8, 5))}, {KvTYPE_DOUBLE, All(doubles, realRanks)},
      {KvTYPE_FLOAT, All(floats, realRanks)}, {KvTYPE_D_INTERVAL, All(floats, realRanks)}, {KvTYPE_STRING, All(strings)}, {KvTYPE_ISTRING, All(iStrings)},
      {KvTYPE_CASEISTRING, All(caseIStrings)}, {KvTYPE_BLOB, All(blobs)}, {KvTYPE_DATE, All(dates)}, {KvTYPE_TIME, All(times)},
      {KvTYPE_DATETIME, All(dateTimes)}, {KvTYPE_D_DATE, All(odmgDates)}, {KvTYPE_D_TIME, All(odmgTimes)},
      {KvTYPE_D_TIMESTAMP, All(timestamps)}, {KvTYPE_INT64, All(int64s, Ranks(8, 0))}, {KvTYPE_OBJID, All(objIds)}, {KvTYPE_CLASSID, All(classIds)},
      {KvTYPE_REF, All(refs)}};
  static_assert(sizeof rows / sizeof rows[0] == KvTYPE_COUNT);
  Bytes target(1 << 16);
  for (KvTypeMgr mgr : {KvTypeMgr(), KvTypeMgr(3)}) {
    for (const auto& [id, values] : rows) {
      const size_t n = values.n;
      ASSERT_TRUE(mgr.MemLenGet(id, 1) == values.size && mgr.CmpFuncPtrGet(id) != nullptr) << int{id};
      for (uint32_t count : {1u, 3u})
        for (size_t i = 0; i + count <= n; i += count)
          for (int f = 0; f < 256; ++f) {
            const uint8_t format = static_cast<uint8_t>(f);
            const unsigned long size = mgr.DiskLenGet(id, values.At(i), format, count, 8);
            Bytes stored(size + 64, 0xA5);
            const unsigned long s = mgr.Store(id, stored.data(), values.At(i), format, count);
            // Into a stored form (bit 3 names the memory form), with room to spare.
            const unsigned long t = (format & 8) != 0 ? 0 : mgr.Translate(id, target.data(), format, target.size(), values.At(i), 8, 0, count);
            ASSERT_TRUE(s <= size && t <= size && Bytes(stored.begin() + size, stored.end()) == Bytes(64, 0xA5))
                << "legacy " << mgr.IsLegacy() << " id " << int{id} << " value " << i << " format " << f << " count " << count;
          }
      for (uint8_t format : {8, 1, 2}) {
        // Memory form: the values themselves, length 0; else their stored forms.
        std::vector<Bytes> stored(n, Bytes(format == 8 ? 0 : 1024));
        std::vector<void*> at(n);
        for (size_t i = 0; i < n; ++i) {
          if (format != 8) stored[i].resize(mgr.Store(id, stored[i].data(), values.At(i), format, 1));
          at[i] = format == 8 ? values.At(i) : stored[i].data();
        }
        std::vector<int> s(n * n);  // the sign of each compare; 9 where it was left open
        for (size_t i = 0; i < n * n; ++i) {
          int status = 99;
          const long c = mgr.Cmp(id, stored[i / n].size(), at[i / n], stored[i % n].size(), at[i % n], KvCMP_EXACT, 1, format, status);
          s[i] = status != 0 ? 9 : (c > 0) - (c < 0);
        }
        const std::vector<int>& rank = values.ranks;
        for (size_t ij = 0, i = 0, j = 0; ij < n * n; j = ++ij % n, i = ij / n) {
          ASSERT_EQ(s[ij], -s[j * n + i]) << "type " << int{id} << " format " << int{format} << ": " << i << " vs " << j;
          ASSERT_TRUE(rank.empty() || s[ij] == (rank[i] > rank[j]) - (rank[i] < rank[j])) << int{id} << ": " << i << " vs " << j;
          for (size_t k = 0; k < n; ++k)
            ASSERT_FALSE(s[ij] <= 0 && s[j * n + k] <= 0 && s[i * n + k] > 0) << "type " << int{id} << ": " << i << " " << j << " " << k;
        }
      }
    }
  }
}

// The stored forms of the number rows, byte for byte: code 2 most
// significant byte first (the bytes below), every other code as this
// host's memory; sizes come from the count alone, so a memory file's bytes
// are not read. Load reads back the values.
TEST(NumberRows, StoredBytesInBothOrders) {
  const struct { char id; Bytes memory; const char* msb; } rows[] = {
      {KvTYPE_CHAR, {'A', 0x80}, "41 80"}, {KvTYPE_BYTE, {200}, "c8"}, {KvTYPE_SHORT, MemoryOf<int16_t>({-2, 258}), "fffe 0102"},
      {KvTYPE_WORD, MemoryOf<uint16_t>({65535, 1}), "ffff 0001"}, {KvTYPE_LONG, MemoryOf<int32_t>({-1, 16909060}), "ffffffff 01020304"},
      {KvTYPE_DWORD, MemoryOf<uint32_t>({0x89ABCDEF}), "89abcdef"}, {KvTYPE_BLOCKID, MemoryOf<uint32_t>({42}), "0000002a"},
      {KvTYPE_INT, MemoryOf<int32_t>({12345}), "00003039"}, {KvTYPE_UNSIGNED, MemoryOf<uint32_t>({0x80000001u}), "80000001"},
      {KvTYPE_ENUM, MemoryOf<int32_t>({3}), "00000003"}, {KvTYPE_FLOAT, MemoryOf<float>({-0.5f, 1.5f}), "bf000000 3fc00000"},
      {KvTYPE_D_INTERVAL, MemoryOf<float>({1.5f}), "3fc00000"}, {KvTYPE_DOUBLE, MemoryOf<double>({3.141592653589793}), "400921fb54442d18"}};
  MemFile empty(nullptr, 0);
  for (KvTypeMgr mgr : {KvTypeMgr(5), KvTypeMgr(3)}) {
    for (const auto& r : rows) {
      for (uint8_t format : {1, 2, 0x12, 0x75}) {
        SCOPED_TRACE(testing::Message() << int{r.id} << " format " << int{format});
        const uint32_t count = static_cast<uint32_t>(r.memory.size() / mgr.MemLenGet(r.id, 1));
        Bytes memory = r.memory, stored(r.memory.size() + 1, 0xEE);
        uint8_t* values = static_cast<uint8_t*>(mgr.Create(r.id, count));
        EXPECT_EQ((std::vector<unsigned long>{mgr.DiskLenGet(r.id, memory.data(), format, count, 8), mgr.DiskLenGetFromMemFile(r.id, &empty, format, count),
                                              mgr.Store(r.id, stored.data(), memory.data(), format, count), mgr.Load(r.id, values, stored.data(), format, count)}),
                  std::vector<unsigned long>(4, memory.size()));
        EXPECT_EQ((std::vector<Bytes>{Bytes(stored.begin(), stored.end() - 1), Bytes(values, values + memory.size())}),
                  (std::vector<Bytes>{(format & 15) == 2 ? Hex(r.msb) : r.memory, r.memory}));
        EXPECT_EQ(mgr.Delete(r.id, values, count), nullptr);
      }
    }
  }
}

// Create (only 1-byte values start zeroed; count 0 still makes a value; a
// count whose bytes pass 32 bits is refused), construct (zeroes), assign
// (value by value) and copy (fill: the first value into every target) of
// every number row.
TEST(NumberRows, CreateConstructAssignCopy) {
  KvTypeMgr mgr;
  for (char id : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 14}) {
    const unsigned w = mgr.MemLenGet(id, 1);
    Bytes source(3 * w), zeros(3 * w), filled;
    for (unsigned i = 0; i < source.size(); ++i) source[i] = static_cast<uint8_t>(i + 1), filled.push_back(static_cast<uint8_t>(i % w + 1));
    uint8_t* values = static_cast<uint8_t*>(mgr.Create(id, 3));
    EXPECT_TRUE(w > 1 || Bytes(values, values + 3) == Bytes(3, 0)) << int{id};
    std::memset(values, 0x5A, 3 * w);
    mgr.ConstructorPtrGet(id)(values, 3, 0);
    const Bytes constructed(values, values + 3 * w);
    mgr.DestructorPtrGet(id)(values, 3, 0);
    mgr.AssignmentPtrGet(id)(values, source.data(), 3, 0);
    const Bytes assigned(values, values + 3 * w);
    mgr.CopyPtrGet(id)(values, source.data(), 3, 1);
    EXPECT_EQ((std::vector<Bytes>{constructed, assigned, Bytes(values, values + 3 * w)}), (std::vector<Bytes>{zeros, source, filled}));
    mgr.Delete(id, values, 3);
  }
  mgr.Delete(KvTYPE_INT, mgr.Create(KvTYPE_INT, 0), 0);
  EXPECT_EQ(mgr.Create(KvTYPE_DOUBLE, 0x20000000ul), nullptr);
}

// Translate of a number row (count 2): between memory and a stored order
// it converts, bounded by either length; stored to stored copies the bytes
// whatever the codes, zero-filling a longer target and cutting at a
// shorter one. Nothing is written past the target length.
TEST(NumberRows, Translate) {
  const char* memory = "04030201";  // 0x01020304
  const struct { uint8_t targetFormat; uint32_t targetLength; const char* source; uint8_t sourceFormat; const char* target;
                 unsigned long result; } rows[] = {
      {2, 4, memory, 8, "01020304", 4},   {1, 4, memory, 8, "04030201", 4}, {8, 4, "01020304", 2, memory, 4},
      {0x18, 4, memory, 8, memory, 4},    {1, 4, "01020304", 2, "01020304", 4}, {1, 4, "0908", 2, "09080000", 2},
      {1, 2, "09080706", 2, "0908", 2},   {2, 4, "0100000002000000", 8, "00000001", 4}, {8, 8, "00000001", 2, "01000000", 4}};
  for (const auto& r : rows) {
    Bytes target(9, 0xEE), source = Hex(r.source), expected = Hex(r.target);
    EXPECT_EQ(KvTypeMgr().Translate(KvTYPE_INT, target.data(), r.targetFormat, r.targetLength, source.data(), r.sourceFormat,
                                    static_cast<uint32_t>(source.size()), 2), r.result) << r.source;
    EXPECT_EQ(Bytes(target.begin(), target.begin() + expected.size()), expected) << r.source;
    EXPECT_EQ(target[r.targetLength], 0xEE) << r.source;
  }
}

// The process context makes the default manager and deletes it; one set
// by the caller is neither copied nor deleted. Any argument of the module
// information may be null.
TEST(StartUp, ContextDefaultManagerAndModuleInformation) {
  ___KvTypemgrContext(0);
  ___KvTypemgrContext(0);  // nothing to delete
  EXPECT_EQ(DefaultTypeMgr(nullptr), nullptr);
  ___KvTypemgrContext(1);
  KvTypeMgr *mgr = DefaultTypeMgr(nullptr), mine(3);
  EXPECT_TRUE(mgr->FactoryGet() == 5 && DefaultTypeMgr(&mine) == &mine && DefaultTypeMgr(mgr) == mgr);
  const char *tool = nullptr, *description = nullptr, *date = nullptr, *module = nullptr;
  unsigned long version = 0;
  GetKvTypeMgrInfo(nullptr, nullptr, nullptr, nullptr, nullptr);
  GetKvTypeMgrInfo(&tool, &version, &description, &date, &module);
  EXPECT_EQ(std::string(description) + "|" + date + "|" + module + "|" + std::to_string(*tool != 0 && version > 0),
            "KIVO Typemanager library 6.0.3.50 |Dec 12 2000|kv6tsn60|1");
}

}  // namespace
