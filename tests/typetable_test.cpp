// Facts about the descriptor table, the type manager's dispatch and the
// library's start-up.
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "kvtm/kvtm.h"
#include "test_util.h"

namespace {

TEST(TypeTable, RowsOfBothTables) {
  struct Row {
    const char* name;
    unsigned short memLength;  // bytes of one value on the 32-bit platform
    size_t pointerClassSize;   // sizeof the class when it holds a pointer, else 0
    unsigned short fixed;
    const char* format;
  };
  const Row rows[KvTYPE_COUNT] = {
      {"char", 1, 0, 1, "%c"},
      {"short", 2, 0, 1, "%hd"},
      {"long", 4, 0, 1, "%ld"},
      {"double", 8, 0, 1, "%lf"},
      {"float", 4, 0, 1, "%f"},
      {"KvWord", 2, 0, 1, "%hu"},
      {"KvDWord", 4, 0, 1, "%lu"},
      {"int", 4, 0, 1, "%d"},
      {"unsigned", 4, 0, 1, "%u"},
      {"enum", 4, 0, 1, "%d"},
      {"KvByte", 1, 0, 1, "%c"},
      {"KvString", 8, sizeof(KvString), 0, "%s"},
      {"KvDate", 4, 0, 1, "%a %e.%b %Y"},
      {"KvTime", 3, 0, 1, "%I:%M:%S %p"},
      {"BlockId", 4, 0, 1, "#%lu"},
      {"KvObjId", 12, 0, 1, "(%H-%L#%B)"},
      {"KvClassId", 4, 0, 1, "(%Cv%V)"},
      {"KvRef", 20, 0, 1, "(%D:%H-%L#%B, %C)"},
      {"KvBlob", 4, sizeof(KvBlob), 0, "[BLOB,len=%L]"},
      {"KvDateTime", 8, 0, 1, "%a %e.%b %Y %I:%M:%S %p"},
      {"KvIString", 8, sizeof(KvIString), 0, "%s"},
      {"KvCaseIString", 8, sizeof(KvCaseIString), 0, "%s"},
      {"d_Date", 4, 0, 1, "%a %b %e"},
      {"d_Time", 6, 0, 1, "%I:%M:%S %p"},
      {"d_Timestamp", 10, 0, 1, "%a %b %e %I:%M:%S %p"},
      {"d_Interval", 4, 0, 1, "%e days, %I hours, %M minutes, %S seconds"},
      {"KvInt64", 8, 0, 1, "%S"},
      {"bool", 1, 0, 1, "noop"},
  };
  // A 32-bit build has every memory length of the platform the stored forms
  // were made on; elsewhere a class holding a pointer grows with it, and its
  // row reports what the host's arrays of it take.
  const bool pointersOf32Bits = sizeof(void*) == 4;
  for (unsigned long factory : {5ul, 3ul}) {
    KvTypeMgr mgr(factory);
    for (char id = 0; id < KvTYPE_COUNT; ++id) {
      SCOPED_TRACE(rows[static_cast<int>(id)].name);
      const Row& r = rows[static_cast<int>(id)];
      EXPECT_STREQ(mgr.NameGet(id, nullptr), r.name);
      if (r.pointerClassSize == 0 || pointersOf32Bits)
        EXPECT_EQ(mgr.MemLenGet(id, 1), r.memLength);
      else
        EXPECT_EQ(mgr.MemLenGet(id, 1), r.pointerClassSize);
      EXPECT_EQ(mgr.IsFixed(id), r.fixed);
      EXPECT_STREQ(mgr.ExchangeFormat(id, nullptr), r.format);
      char found = -1;
      EXPECT_EQ(mgr.Name2KvTypeId(r.name, found), 0);
      EXPECT_EQ(found, id);
    }
  }
}

TEST(TypeTable, ValidIds) {
  KvTypeMgr mgr;
  for (int id = -128; id <= 127; ++id)
    EXPECT_EQ(mgr.IsValidType(static_cast<char>(id)), id >= 0 && id <= 27 ? 1 : 0) << id;
}

TEST(TypeTable, NameLookUp) {
  for (unsigned long factory : {5ul, 3ul}) {
    KvTypeMgr mgr(factory);
    char id = -1;
    EXPECT_EQ(mgr.Name2KvTypeId("KvString", id), 0);
    EXPECT_EQ(id, 11);
    EXPECT_EQ(mgr.Name2KvTypeId("kvstring", id), 1);
    EXPECT_EQ(id, 28);
    EXPECT_EQ(mgr.Name2KvTypeId("", id), 1);
    EXPECT_EQ(id, 28);
    EXPECT_EQ(mgr.Name2KvTypeId(nullptr, id), 1);
    EXPECT_EQ(id, 28);
    EXPECT_EQ(mgr.Name2KvTypeId("enum", id), 0);
    EXPECT_EQ(id, 9);
  }
}

TEST(TypeManager, SetFactoryMapping) {
  struct Row {
    unsigned long factory;
    int legacy;
    uint16_t stored;
  };
  const Row rows[] = {{0, 1, 0},   {1, 1, 1},   {3, 1, 3},  {4, 0, 4},          {5, 0, 5},
                      {10, 0, 10}, {11, 1, 3},  {12, 0, 4}, {4000000000ul, 0, 4}, {13, 0, 4}};
  for (const Row& r : rows) {
    KvTypeMgr mgr(7);
    mgr.SetFactory(r.factory);
    EXPECT_EQ(mgr.IsLegacy(), r.legacy) << r.factory;
    EXPECT_EQ(mgr.FactoryGet(), r.stored) << r.factory;
  }
  KvTypeMgr byDefault;
  EXPECT_EQ(byDefault.IsLegacy(), 0);
  EXPECT_EQ(byDefault.FactoryGet(), 5);
  KvTypeMgr copy = KvTypeMgr(2);
  EXPECT_EQ(copy.IsLegacy(), 1);
  EXPECT_EQ(copy.FactoryGet(), 2);
}

TEST(TypeManager, ReadingRows) {
  KvTypeMgr mgr;
  EXPECT_STREQ(mgr.NameGet(25, nullptr), "d_Interval");
  char buffer[14];
  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(mgr.NameGet(25, buffer), buffer);
  EXPECT_STREQ(buffer, "d_Interval");
  EXPECT_STREQ(mgr.NameGet(21, buffer), "KvCaseIString");  // the longest name fits
  EXPECT_EQ(mgr.MemLenGet(15, 3), 36);
  EXPECT_EQ(mgr.MemLenGet(17, 4000), 14464);  // 80000 kept to 16 bits
  EXPECT_EQ(mgr.MemLenGet(2, 0), 0);
  for (char id = 0; id < KvTYPE_COUNT; ++id) EXPECT_EQ(mgr.ComparePtrGet(id), nullptr);
  EXPECT_EQ(mgr.CmpFuncPtrGet(KvTYPE_INT), IntCompare);
  EXPECT_EQ(mgr.CmpFuncPtrGet(KvTYPE_ENUM), IntCompare);
  EXPECT_EQ(mgr.CmpFuncPtrGet(KvTYPE_BLOCKID), DwordCompare);
  EXPECT_EQ(mgr.CmpFuncPtrGet(KvTYPE_D_INTERVAL), FloatCompare);
  EXPECT_EQ(mgr.StorePtrGet(KvTYPE_INT), IntStore);
  EXPECT_EQ(mgr.LoadPtrGet(KvTYPE_INT), IntLoad);
  EXPECT_EQ(mgr.LoadPtrGet(KvTYPE_SHORT), ShortStore);
  EXPECT_NE(mgr.ConstructorPtrGet(KvTYPE_DOUBLE), nullptr);
  EXPECT_NE(mgr.DestructorPtrGet(KvTYPE_DOUBLE), nullptr);
  EXPECT_EQ(mgr.AssignmentPtrGet(KvTYPE_DOUBLE), mgr.CopyPtrGet(KvTYPE_DOUBLE));
}

TEST(TypeManager, ExchangedFormatIsSharedByAllManagers) {
  KvTypeMgr mgr;
  KvTypeMgr other(3);
  const char* original = mgr.ExchangeFormat(KvTYPE_LONG, nullptr);
  EXPECT_STREQ(original, "%ld");
  EXPECT_EQ(mgr.ExchangeFormat(KvTYPE_LONG, nullptr), original);  // null only queries
  static const char mine[] = "<%ld>";
  EXPECT_EQ(mgr.ExchangeFormat(KvTYPE_LONG, mine), original);
  EXPECT_EQ(other.ExchangeFormat(KvTYPE_LONG, nullptr), mine);
  EXPECT_EQ(mgr.ExchangeFormat(KvTYPE_LONG, original), mine);
}

long AlwaysLess(unsigned char, unsigned long, void*, unsigned long, void*, unsigned short,
                unsigned long, int& status) {
  status = 0;
  return -1;
}

TEST(TypeManager, ExchangedCompareFunctionStaysInItsRow) {
  KvTypeMgr standard;
  KvTypeMgr legacy(3);
  const KvTypeCmpFunc legacyBefore = legacy.CmpFuncPtrGet(KvTYPE_STRING);
  const KvTypeCmpFunc before = standard.ExchangeKvTypeCmpFunc(KvTYPE_STRING, AlwaysLess);
  EXPECT_EQ(standard.CmpFuncPtrGet(KvTYPE_STRING), AlwaysLess);
  EXPECT_EQ(legacy.CmpFuncPtrGet(KvTYPE_STRING), legacyBefore);  // a separate row
  EXPECT_EQ(standard.ExchangeKvTypeCmpFunc(KvTYPE_STRING, nullptr), AlwaysLess);
  if (before != nullptr) standard.ExchangeKvTypeCmpFunc(KvTYPE_STRING, before);

  // A row shared by both tables changes for both.
  const KvTypeCmpFunc intBefore = standard.ExchangeKvTypeCmpFunc(KvTYPE_INT, AlwaysLess);
  int a = 5, b = 5;
  EXPECT_EQ(legacy.Cmp(KvTYPE_INT, &a, &b, 0, 1, 8), -1);
  standard.ExchangeKvTypeCmpFunc(KvTYPE_INT, intBefore);
  EXPECT_EQ(legacy.Cmp(KvTYPE_INT, &a, &b, 0, 1, 8), 0);
}

KvString& PrintMarker(KvString& out, void*, const char* format, uint32_t count) {
  out = format;
  return out;
}

void* ScanMarker(void* values, KvString& text, const char* format, uint32_t) {
  std::strcpy(static_cast<char*>(values), format);
  return values;
}

TEST(TypeManager, PrintAndScanPassTheRowsFormat) {
  KvTypeMgr mgr;
  KvString out("unchanged");
  long value = 3;
  // With a print slot: the given format, or the row's exchange format.
  const KvPrintToKvStringFunc print = mgr.ExchangePrintToKvStringFunc(KvTYPE_LONG, PrintMarker);
  mgr.PrintToKvString(KvTYPE_LONG, out, &value, "%5ld", 1);
  EXPECT_STREQ(out.StrGet(), "%5ld");
  mgr.PrintToKvString(KvTYPE_LONG, out, &value, nullptr, 1);
  EXPECT_STREQ(out.StrGet(), "%ld");
  mgr.ExchangePrintToKvStringFunc(KvTYPE_LONG, print);

  char scanned[16] = {};
  const KvScanFromKvStringFunc scan = mgr.ExchangeScanFromKvStringFunc(KvTYPE_LONG, ScanMarker);
  EXPECT_EQ(mgr.ScanFromKvString(KvTYPE_LONG, scanned, out, nullptr, 1), scanned);
  EXPECT_STREQ(scanned, "%ld");
  mgr.ExchangeScanFromKvStringFunc(KvTYPE_LONG, scan);
}

// A print whose text a string cannot hold is refused whole in every row,
// after one overflow report: the rows that assign leave no text, those that
// append (dates and times, KvInt64, KvBlob) leave the result as it was,
// whether the text is too long or the result has no room for it.
TEST(TypeManager, APrintThatCannotHoldTheValueIsRefusedWhole) {
  KvString abc("abc");
  KvIString iabc("abc");
  KvCaseIString ciabc("abc");
  std::vector<unsigned short> units(40, 0x500C);  // the order of 'a', 40 times
  units.push_back(0);
  KvString orders(units.data());
  orders.SetCodeSetCode(KvCS_ORDERS);
  KvDate y2k(2000, 1, 1);
  KvTime noon(12, 0, 0);
  KvInt64 i64(255L);
  KvBlob blob(-42);
  int32_t five = 5;
  KvObjId oid(7, 5, 1);
  const std::string x(65526, 'x');  // with "old" 65529 characters
  struct Row {
    char id;
    void* value;
    std::string format;
    bool appends;
    std::string text;  // empty: refused
  };
  const Row rows[] = {
      {KvTYPE_STRING, &abc, "%65532s", false, std::string(65529, ' ') + "abc"},
      {KvTYPE_STRING, &abc, "x%65532s", false, ""},
      {KvTYPE_ISTRING, &iabc, "x%65532s", false, ""},
      {KvTYPE_CASEISTRING, &ciabc, "%-65532s", false, "abc" + std::string(65529, ' ')},
      {KvTYPE_CASEISTRING, &ciabc, "%-65532sx", false, ""},
      {KvTYPE_STRING, &orders, std::string(2000, 'x') + "%3M", false, ""},  // 40 names
      {KvTYPE_STRING, &orders, x + x + "%3M", false, ""},                   // one name
      {KvTYPE_DATE, &y2k, x + "x%y", true, x + "x00"},
      {KvTYPE_DATE, &y2k, x + "xx%y", true, ""},  // fits, but not after "old"
      {KvTYPE_TIME, &noon, x + "xxxx%H%M", true, ""},
      {KvTYPE_INT64, &i64, x + "%S", true, x + "255"},
      {KvTYPE_INT64, &i64, x + x + "%S", true, ""},
      {KvTYPE_BLOB, &blob, x + "xxxx%L", true, ""},
      {KvTYPE_INT, &five, x + "xxxxxx%d", false, ""},
      {KvTYPE_OBJID, &oid, x + "xxxx%B", false, x + "xxxx7"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::to_string(r.id) + " " + r.format.substr(r.format.size() - 4));
    OverflowCounter reports;
    KvString out("old");
    KvTypeMgr().PrintToKvString(r.id, out, r.value, r.format.c_str(), 1);
    const std::string text = (r.appends ? "old" : "") + r.text;
    EXPECT_EQ(out.Len(), text.size());
    EXPECT_TRUE(out.StrGet() == text);
    EXPECT_EQ(reports.Count(), r.text.empty() ? 1 : 0);
  }
}

TEST(TypeManager, InvalidIdsAreReportedAndNeverDispatched) {
  ReportCounter reports;
  KvTypeMgr mgr;
  int calls = 0;
  for (int raw : {28, 99, 100, 127, -1, -128}) {
    const char id = static_cast<char>(raw);
    uint8_t buffer[16] = {};
    int status = 7;
    unsigned short relation = KvREL_EQUAL;
    KvString out("kept");
    MemFile file(buffer, sizeof buffer);
    EXPECT_EQ(mgr.Create(id, 1), nullptr);
    EXPECT_EQ(mgr.Delete(id, buffer, 1), nullptr);
    EXPECT_EQ(mgr.Store(id, buffer, buffer, 1, 1), 0u);
    EXPECT_EQ(mgr.Load(id, buffer, buffer, 1, 1), 0u);
    EXPECT_EQ(mgr.DiskLenGet(id, buffer, 1, 1, 8), 0u);
    EXPECT_EQ(mgr.DiskLenGetFromMemFile(id, &file, 1, 1), 0u);
    EXPECT_EQ(mgr.Cmp(id, 4, buffer, 4, buffer, 0, 1, 8, status), 0);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(mgr.Cmp(id, buffer, buffer, 0, 1, 8), 0);
    EXPECT_EQ(mgr.EvalAndBound(id, nullptr, relation, buffer, 1, 1, nullptr), 0.0f);
    EXPECT_EQ(mgr.Translate(id, buffer, 1, 4, buffer, 2, 4, 1), 0u);
    EXPECT_EQ(mgr.ConvertToKvString(buffer, id, 1), nullptr);
    EXPECT_EQ(mgr.ConvertFromKvString(&out, id, 1), nullptr);
    EXPECT_EQ(&mgr.PrintToKvString(id, out, buffer, nullptr, 1), &out);
    EXPECT_EQ(mgr.ScanFromKvString(id, buffer, out, nullptr, 1), buffer);
    EXPECT_STREQ(out.StrGet(), "kept");
    EXPECT_EQ(mgr.NameGet(id, nullptr), nullptr);
    EXPECT_EQ(mgr.MemLenGet(id, 1), 0);
    EXPECT_EQ(mgr.IsFixed(id), 0);
    EXPECT_EQ(mgr.ConstructorPtrGet(id), nullptr);
    EXPECT_EQ(mgr.DestructorPtrGet(id), nullptr);
    EXPECT_EQ(mgr.AssignmentPtrGet(id), nullptr);
    EXPECT_EQ(mgr.CopyPtrGet(id), nullptr);
    EXPECT_EQ(mgr.LoadPtrGet(id), nullptr);
    EXPECT_EQ(mgr.StorePtrGet(id), nullptr);
    EXPECT_EQ(mgr.CmpFuncPtrGet(id), nullptr);
    EXPECT_EQ(mgr.ExchangeFormat(id, "x"), nullptr);
    EXPECT_EQ(mgr.ExchangeKvTypeCmpFunc(id, AlwaysLess), nullptr);
    EXPECT_EQ(mgr.ExchangePrintToKvStringFunc(id, PrintMarker), nullptr);
    EXPECT_EQ(mgr.ExchangeScanFromKvStringFunc(id, ScanMarker), nullptr);
    calls += 28;
  }
  EXPECT_EQ(reports.Count(), calls);
  // Name look-up and validity checks never report.
  char id = 0;
  mgr.Name2KvTypeId("nothing", id);
  mgr.IsValidType(100);
  EXPECT_EQ(reports.Count(), calls);
}

// A record layer sizes its buffer with DiskLenGet and then calls Store, or
// Translate into a stored form: for every row of both tables, every format
// byte and counts 1 and 3, neither writes nor returns more than DiskLenGet
// gave for the same values. A canary right after that many bytes stays.
TEST(TypeManager, StoreAndTranslateStayWithinDiskLenGet) {
  ___KvI18NContext(1);
  // Three values of each row: plain rows take these bytes; strings are
  // empty, 8-bit with characters of three orders each in a key (¼) and
  // 16-bit; blobs alike.
  Bytes plain(3 * 32);
  for (size_t i = 0; i < plain.size(); ++i) plain[i] = static_cast<uint8_t>(i * 37 + 1);
  const std::string quarters(40, '\xBC');
  const unsigned short units[] = {0xBC, 0x20AC, 0x4E2D, 'a', 0};
  KvString strings[3] = {KvString(), KvString(quarters.c_str()), KvString(units)};
  KvIString iStrings[3] = {KvIString(), KvIString("Stra\xDF" "e"), KvIString(quarters.c_str())};
  KvCaseIString caseIStrings[3] = {KvCaseIString(), KvCaseIString("\x8C" "a"),
                                   KvCaseIString(quarters.c_str())};
  KvBlob blobs[3] = {KvBlob(), KvBlob("abc", 3L), KvBlob(quarters.c_str())};
  auto valuesOf = [&](char id) -> void* {
    switch (id) {
      case KvTYPE_STRING: return strings;
      case KvTYPE_ISTRING: return iStrings;
      case KvTYPE_CASEISTRING: return caseIStrings;
      case KvTYPE_BLOB: return blobs;
      default: return plain.data();
    }
  };
  constexpr size_t kGuard = 64;
  constexpr uint32_t kRoom = 1 << 16;
  const Bytes canary(kGuard, 0xA5);
  Bytes target(kRoom);
  for (KvTypeMgr mgr : {KvTypeMgr(), KvTypeMgr(3)}) {
    for (char id = 0; id < KvTYPE_COUNT; ++id) {
      for (uint32_t count : {1u, 3u}) {
        for (int f = 0; f < 256; ++f) {
          const uint8_t format = static_cast<uint8_t>(f);
          void* values = valuesOf(id);
          const unsigned long size = mgr.DiskLenGet(id, values, format, count, 8);
          Bytes stored(size + kGuard, 0xA5);
          const unsigned long n = mgr.Store(id, stored.data(), values, format, count);
          EXPECT_LE(n, size) << "Store, " << mgr.IsLegacy() << " " << int{id} << " " << f
                             << " " << count;
          EXPECT_EQ(Bytes(stored.begin() + size, stored.end()), canary)
              << "Store, " << mgr.IsLegacy() << " " << int{id} << " " << f << " " << count;
          // Into a stored form (bit 3 names the memory form) with room
          // to spare.
          if ((format & 8) == 0) {
            const unsigned long t =
                mgr.Translate(id, target.data(), format, kRoom, values, 8, 0, count);
            EXPECT_LE(t, size) << "Translate, " << mgr.IsLegacy() << " " << int{id} << " " << f
                               << " " << count;
          }
        }
      }
    }
  }
}

TEST(TypeManager, ShortFormOfCmpDropsTheStatus) {
  KvTypeMgr mgr;
  short a[2] = {1, 2};
  short b[2] = {1, 3};
  EXPECT_EQ(mgr.Cmp(KvTYPE_SHORT, a, b, 0, 2, 8), -1);
  int status = 0;
  EXPECT_EQ(mgr.Cmp(KvTYPE_SHORT, 2, a, 4, b, 0, 2, 8, status), 0);
  EXPECT_EQ(status, KvCMP_INCOMPLETE);
}

TEST(StartUp, ContextCreatesAndDeletesTheDefaultManager) {
  ___KvTypemgrContext(0);
  EXPECT_EQ(DefaultTypeMgr(nullptr), nullptr);
  ___KvTypemgrContext(0);  // nothing to delete
  EXPECT_EQ(DefaultTypeMgr(nullptr), nullptr);

  ___KvTypemgrContext(1);
  KvTypeMgr* mgr = DefaultTypeMgr(nullptr);
  ASSERT_NE(mgr, nullptr);
  EXPECT_EQ(mgr->FactoryGet(), 5);
  EXPECT_EQ(mgr->IsFixed(12), 1);
  EXPECT_STREQ(mgr->NameGet(11, nullptr), "KvString");

  KvTypeMgr mine(3);
  EXPECT_EQ(DefaultTypeMgr(&mine), &mine);
  EXPECT_EQ(DefaultTypeMgr(nullptr), &mine);
  EXPECT_EQ(DefaultTypeMgr(mgr), mgr);  // `mine` is neither copied nor deleted
  ___KvTypemgrContext(0);
  EXPECT_EQ(DefaultTypeMgr(nullptr), nullptr);
  ___KvTypemgrContext(1);
}

TEST(StartUp, OptionsWord) {
  int32_t& options = ___KvTypeMgrOptions();
  EXPECT_EQ(&options, &___KvTypeMgrOptions());
  const int32_t saved = options;
  options |= 1;
  EXPECT_EQ(___KvTypeMgrOptions() & 1, 1);
  options = saved;
}

TEST(StartUp, ModuleInformation) {
  GetKvTypeMgrInfo(nullptr, nullptr, nullptr, nullptr, nullptr);
  const char* tool = nullptr;
  unsigned long version = 0;
  const char* description = nullptr;
  const char* date = nullptr;
  const char* module = nullptr;
  GetKvTypeMgrInfo(&tool, &version, &description, &date, &module);
  EXPECT_STREQ(description, "KIVO Typemanager library 6.0.3.50 ");
  EXPECT_STREQ(date, "Dec 12 2000");
  EXPECT_STREQ(module, "kv6tsn60");
  ASSERT_NE(tool, nullptr);
  EXPECT_NE(std::strlen(tool), 0u);
  EXPECT_GT(version, 0u);
  const char* again = nullptr;
  GetKvTypeMgrInfo(nullptr, nullptr, &again, nullptr, nullptr);
  EXPECT_EQ(again, description);
  EXPECT_STREQ(again, "KIVO Typemanager library 6.0.3.50 ");
}

}  // namespace
