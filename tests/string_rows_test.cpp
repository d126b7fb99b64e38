// Facts about KvString values in the database: the standard and legacy
// stored forms, their sizes and translation, the key form.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "kvtable.h"
#include "kvtm/kvtm.h"
#include "test_util.h"

namespace {

KvString Narrow(const char* text, uint8_t cs = 1, uint8_t language = 1) {
  KvString s(cs, language);
  s += KvString(text);
  return s;
}

KvString Wide(std::vector<uint16_t> units, uint8_t language = 1) {
  units.push_back(0);
  KvString s(units.data());
  KvString out(253, language);
  out += s;
  return out;
}

std::string Text(const KvString& s) { return std::string(s.StrGet(), s.Len()); }

class StringRows : public testing::Test {
 protected:
  void SetUp() override { ___KvI18NContext(1); }
  KvTypeMgr standard_{5};
  KvTypeMgr legacy_{3};
};

TEST_F(StringRows, StandardStoredForm) {
  struct Row {
    const char* what;
    KvString value;
    uint8_t format;
    Bytes stored;
  };
  const Row rows[] = {
      {"empty, no buffer", KvString(1, 1), 1, {0x04, 0x00, 1, 1, 0x00, 0xFF}},
      {"empty, a buffer", Narrow(""), 2, {0x00, 0x04, 1, 1, 0x00, 0xFF}},
      {"ab, format 2", Narrow("ab", 1, 3), 2, {0x00, 0x06, 1, 3, 'a', 'b', 0x00, 0xFF}},
      {"ab, format 1", Narrow("ab", 4, 1), 1, {0x06, 0x00, 4, 1, 'a', 'b', 0x00, 0xFF}},
      {"16-bit A, format 2", Wide({0x41}), 2, {0x00, 0x06, 253, 1, 0x00, 0x41, 0x00, 0xFF}},
      {"16-bit A, format 1", Wide({0x41}), 1, {0x06, 0x00, 253, 1, 0x41, 0x00, 0x00, 0xFF}},
      {"16-bit two units", Wide({0x0142, 0x20AC}), 2,
       {0x00, 0x08, 253, 1, 0x01, 0x42, 0x20, 0xAC, 0x00, 0xFF}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    KvString value = r.value;
    EXPECT_EQ(standard_.DiskLenGet(KvTYPE_STRING, &value, r.format, 1, 8), r.stored.size());
    Bytes stored(r.stored.size() + 4, 0xEE);
    EXPECT_EQ(standard_.Store(KvTYPE_STRING, stored.data(), &value, r.format, 1), r.stored.size());
    EXPECT_EQ(Bytes(stored.begin(), stored.begin() + r.stored.size()), r.stored);
    EXPECT_EQ(stored[r.stored.size()], 0xEE);
    MemFile file(stored.data(), static_cast<uint32_t>(r.stored.size()));
    EXPECT_EQ(standard_.DiskLenGetFromMemFile(KvTYPE_STRING, &file, r.format, 1), r.stored.size());
    EXPECT_EQ(standard_.DiskLenGet(KvTYPE_STRING, stored.data(), r.format, 1, r.format), r.stored.size());
    // Both tables load the standard form.
    for (KvTypeMgr* mgr : {&standard_, &legacy_}) {
      KvString loaded("junk");
      EXPECT_EQ(mgr->Load(KvTYPE_STRING, &loaded, stored.data(), r.format, 1), r.stored.size());
      EXPECT_EQ(loaded.CodeSetGet(), r.value.CodeSetGet());
      EXPECT_EQ(loaded.LanguageGet(), r.value.LanguageGet());
      EXPECT_EQ(loaded.Len(), r.value.Len());
      const size_t width = r.value.CodeSetGet() > 224 ? 2 : 1;
      EXPECT_EQ(std::memcmp(loaded.StrGet(), r.value.StrGet(), width * r.value.Len()), 0);
    }
  }
  EXPECT_EQ(standard_.DiskLenGet(KvTYPE_STRING, nullptr, 1, 0, 8), 0u);
}

TEST_F(StringRows, ArraysAndTheLegacyForm) {
  KvString values[2] = {Narrow("ab"), Narrow("")};
  // Standard: one record per value.
  Bytes stored(20, 0xEE);
  EXPECT_EQ(standard_.Store(KvTYPE_STRING, stored.data(), values, 1, 2), 14u);
  EXPECT_EQ(Bytes(stored.begin(), stored.begin() + 14),
            (Bytes{6, 0, 1, 1, 'a', 'b', 0, 0xFF, 4, 0, 1, 1, 0, 0xFF}));
  // Legacy: one block of zero-terminated texts.
  Bytes block(10, 0xEE);
  EXPECT_EQ(legacy_.DiskLenGet(KvTYPE_STRING, values, 1, 2, 8), 6u);
  EXPECT_EQ(legacy_.Store(KvTYPE_STRING, block.data(), values, 1, 2), 6u);
  EXPECT_EQ(Bytes(block.begin(), block.begin() + 6), (Bytes{4, 0, 'a', 'b', 0, 0}));
  MemFile file(block.data(), 6);
  EXPECT_EQ(legacy_.DiskLenGetFromMemFile(KvTYPE_STRING, &file, 1, 2), 6u);
  EXPECT_EQ(standard_.DiskLenGet(KvTYPE_STRING, block.data(), 1, 2, 1), 6u);  // seen as legacy
  for (KvTypeMgr* mgr : {&standard_, &legacy_}) {
    void* loaded = mgr->Create(KvTYPE_STRING, 2);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(mgr->Load(KvTYPE_STRING, loaded, block.data(), 1, 2), 6u);
    KvString* v = static_cast<KvString*>(loaded);
    EXPECT_EQ(Text(v[0]), "ab");
    EXPECT_EQ(Text(v[1]), "");
    EXPECT_EQ(v[1].SizeGet(), 1);  // "" has a buffer
    mgr->Delete(KvTYPE_STRING, loaded, 2);
  }
  EXPECT_EQ(standard_.DiskLenGetFromMemFile(KvTYPE_STRING, &file, 1, 0), 0u);
  EXPECT_EQ(legacy_.DiskLenGetFromMemFile(KvTYPE_STRING, &file, 2, 1), 0x0400u + 2);
  EXPECT_EQ(standard_.MemLenGet(KvTYPE_STRING, 1), sizeof(KvString));
  EXPECT_EQ(legacy_.DiskLenGet(KvTYPE_STRING, block.data(), 2, 2, 2), 0x0400u + 2);
  EXPECT_EQ(legacy_.DiskLenGet(KvTYPE_STRING, block.data(), 1, 2, 1), 6u);
  // 16-bit text is held in the default 8-bit code set, where a character
  // it lacks becomes 0x1A.
  KvString wide = Wide({'A', 0x20AC, 0x4E2D});
  Bytes narrow(7, 0xEE);
  EXPECT_EQ(legacy_.DiskLenGet(KvTYPE_STRING, &wide, 1, 1, 8), 6u);
  EXPECT_EQ(legacy_.Store(KvTYPE_STRING, narrow.data(), &wide, 1, 1), 6u);
  EXPECT_EQ(narrow, (Bytes{4, 0, 'A', 0x80, 0x1A, 0, 0xEE}));
  // An empty value stores as six bytes in either form.
  EXPECT_EQ(kvStandardTable[KvTYPE_STRING]->NullSizeGet(3), 18u);
  EXPECT_EQ(kvLegacyTable[KvTYPE_STRING]->NullSizeGet(1), 6u);

  // The constructor and destructor slots make and end values in place.
  alignas(KvString) unsigned char raw[2 * sizeof(KvString)];
  standard_.ConstructorPtrGet(KvTYPE_STRING)(raw, 2, 0);
  KvString* made = reinterpret_cast<KvString*>(raw);
  EXPECT_EQ(made[0].SizeGet(), 0);
  EXPECT_EQ(made[1].SizeGet(), 0);
  made[1] = "text the destructor frees";
  standard_.DestructorPtrGet(KvTYPE_STRING)(raw, 2, 0);
}

TEST_F(StringRows, SizesFromAMemoryFileStayInTheFile) {
  KvString values[3] = {Narrow("abc"), Narrow("d"), Narrow("")};
  Bytes stored(32, 0);
  const uint32_t n = standard_.Store(KvTYPE_STRING, stored.data(), values, 2, 3);
  EXPECT_EQ(n, 9u + 7 + 6);
  MemFile whole(stored.data(), n);
  EXPECT_EQ(standard_.DiskLenGetFromMemFile(KvTYPE_STRING, &whole, 2, 3), n);
  // A file that ends inside the second record: 65535 per value left.
  MemFile cut(stored.data(), 12);
  EXPECT_EQ(standard_.DiskLenGetFromMemFile(KvTYPE_STRING, &cut, 2, 3), 2u * 65535);
  MemFile none(stored.data(), 1);
  EXPECT_EQ(standard_.DiskLenGetFromMemFile(KvTYPE_STRING, &none, 2, 3), 0u);
  EXPECT_EQ(whole.PosGet(), 0u);
  // The key-size flag: a byte of 8-bit text may take three orders of two
  // bytes (¼).
  KvString ab = Narrow("ab");
  EXPECT_EQ(standard_.DiskLenGet(KvTYPE_STRING, &ab, 0x81, 1, 8), 4u * 6 + 4);
  EXPECT_EQ(standard_.DiskLenGet(KvTYPE_STRING, stored.data(), 0x82, 1, 0x82), (7u * 6) + 2);
}

// Sizes beyond 16 bits: counts are whole, and a value or block whose
// length field cannot hold its size is refused whole (reported, nothing
// written, DiskLenGet 0) rather than stored with a length that wrapped.
TEST_F(StringRows, LengthFieldsAndCountsBeyondSixteenBits) {
  struct Row {
    const char* what;
    KvTypeMgr* mgr;
    char id;
    std::vector<size_t> lengths;  // texts of 'x'
    uint8_t format;
    uint32_t size;  // 0: refused
    Bytes head;
  };
  const Row rows[] = {
      {"the longest record", &standard_, KvTYPE_STRING, {65531}, 2, 65537, {0xFF, 0xFF, 1, 1, 'x'}},
      {"65532 characters", &standard_, KvTYPE_STRING, {65532}, 1, 0, {}},
      {"records past 16 bits", &standard_, KvTYPE_STRING, {25000, 25000, 25000}, 1, 75018,
       {0xAC, 0x61, 1, 1, 'x'}},
      {"the longest legacy block", &legacy_, KvTYPE_STRING, {21845, 21845, 21842}, 1, 65537,
       {0xFF, 0xFF, 'x'}},
      {"a legacy block past 16 bits", &legacy_, KvTYPE_STRING, {21846, 21846, 21846}, 2, 0, {}},
      {"the longest insensitive block", &standard_, KvTYPE_ISTRING, {65534}, 2, 65538,
       {0x40, 0xFF, 0xFF, 'x'}},
      {"an insensitive block past 16 bits", &standard_, KvTYPE_ISTRING, {65535}, 1, 0, {}},
      {"three texts past 16 bits", &legacy_, KvTYPE_CASEISTRING, {21846, 21846, 21846}, 2, 0, {}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    const uint32_t n = static_cast<uint32_t>(r.lengths.size());
    void* values = r.mgr->Create(r.id, n);
    void* loaded = r.mgr->Create(r.id, n);
    auto length = [&](void* v, uint32_t i) -> size_t {
      if (r.id == KvTYPE_STRING) return static_cast<KvString*>(v)[i].Len();
      if (r.id == KvTYPE_ISTRING) return static_cast<KvIString*>(v)[i].Len();
      return static_cast<KvCaseIString*>(v)[i].Len();
    };
    for (uint32_t i = 0; i < n; ++i) {
      const std::string text(r.lengths[i], 'x');
      if (r.id == KvTYPE_STRING) static_cast<KvString*>(values)[i] = Narrow(text.c_str());
      if (r.id == KvTYPE_ISTRING) static_cast<KvIString*>(values)[i] = text.c_str();
      if (r.id == KvTYPE_CASEISTRING) static_cast<KvCaseIString*>(values)[i] = text.c_str();
      ASSERT_EQ(length(values, i), r.lengths[i]);
    }
    OverflowCounter overflows;
    EXPECT_EQ(r.mgr->DiskLenGet(r.id, values, r.format, n, 8), r.size);
    Bytes stored(r.size + 16, 0xEE);
    EXPECT_EQ(r.mgr->Store(r.id, stored.data(), values, r.format, n), r.size);
    EXPECT_EQ(overflows.Count(), r.size == 0 ? 1 : 0);
    EXPECT_EQ(Bytes(stored.begin() + r.size, stored.end()), Bytes(16, 0xEE));
    if (r.size != 0) {
      EXPECT_EQ(Bytes(stored.begin(), stored.begin() + r.head.size()), r.head);
      MemFile file(stored.data(), r.size);
      EXPECT_EQ(r.mgr->DiskLenGetFromMemFile(r.id, &file, r.format, n), r.size);
      EXPECT_EQ(r.mgr->Load(r.id, loaded, stored.data(), r.format, n), r.size);
      for (uint32_t i = 0; i < n; ++i) EXPECT_EQ(length(loaded, i), r.lengths[i]);
    }
    r.mgr->Delete(r.id, values, n);
    r.mgr->Delete(r.id, loaded, n);
  }
}

TEST_F(StringRows, Translate) {
  struct Row {
    const char* what;
    KvTypeMgr* mgr;
    Bytes source;  // stored (empty: the memory value "ab" in code set 1)
    uint8_t sf, tf;
    uint32_t tl;
    Bytes target;
    uint32_t result;
  };
  Row rows[] = {
      {"legacy block to a standard record", &standard_, {3, 0, 'a', 'b', 0}, 1, 1, 8,
       {6, 0, 0, 0, 'a', 'b', 0, 0xFF}, 8},
      {"... without room for the end mark", &standard_, {3, 0, 'a', 'b', 0}, 1, 1, 7,
       {6, 0, 0, 0, 'a', 'b', 0}, 7},
      {"standard record to a legacy block", &legacy_, {6, 0, 1, 1, 'a', 'b', 0, 0xFF}, 1, 1, 8,
       {3, 0, 'a', 'b', 0, 0, 0, 0}, 5},
      {"legacy block to legacy, other order", &legacy_, {3, 0, 'a', 'b', 0}, 1, 2, 5,
       {0, 3, 'a', 'b', 0}, 5},
      // The key form writes its records and nothing after them.
      {"memory to the key form", &standard_, {}, 8, 0x81, 12,
       {8, 0, 254, 1, 0x0C, 0x50, 0x10, 0x50, 0, 0xFF, 0xEE, 0xEE}, 10},
      {"memory to the key form, msb first", &standard_, {}, 8, 0x82, 10,
       {0, 8, 254, 1, 0x50, 0x0C, 0x50, 0x10, 0, 0xFF}, 10},
      // A cut key has no end and claims two bytes more than it holds.
      {"key form with too little room: cut", &standard_, {}, 8, 0x81, 7,
       {6, 0, 254, 1, 0x0C, 0x50, 0xEE}, 6},
      {"stored record to the key form", &standard_, {0, 6, 1, 1, 'a', 'b', 0, 0xFF}, 2, 0x82, 12,
       {0, 8, 254, 1, 0x50, 0x0C, 0x50, 0x10, 0, 0xFF, 0xEE, 0xEE}, 10},
      {"cut record to the key form: no end", &standard_, {0, 8, 1, 1, 'a', 'b'}, 2, 0x82, 12,
       {0, 8, 254, 1, 0x50, 0x0C, 0x50, 0x10, 0xEE, 0xEE, 0xEE, 0xEE}, 8},
      {"memory to stored", &standard_, {}, 8, 2, 9, {0, 6, 1, 1, 'a', 'b', 0, 0xFF, 0}, 8},
      {"memory to stored, cut to the target", &standard_, {}, 8, 2, 5, {0, 6, 1, 1, 'a'}, 5},
      {"same format: copied", &standard_, {6, 0, 1, 1, 'a', 'b', 0, 0xFF}, 1, 1, 8,
       {6, 0, 1, 1, 'a', 'b', 0, 0xFF}, 8},
      {"flag 32: code set 0", &standard_, {6, 0, 1, 1, 'a', 'b', 0, 0xFF}, 0x21, 0x21, 8,
       {6, 0, 0, 1, 'a', 'b', 0, 0xFF}, 8},
      {"key form of code set 0: the bytes", &standard_, {6, 0, 0, 1, 'a', 'b', 0, 0xFF}, 1, 0x81, 8,
       {6, 0, 0, 1, 'a', 'b', 0, 0xFF}, 8},
      {"memory to the key form under flag 32: the stored bytes in code set 0", &standard_, {}, 8,
       0xA1, 10, {6, 0, 0, 1, 'a', 'b', 0, 0xFF, 0, 0}, 8},
      {"... cut to the target", &standard_, {}, 8, 0xA1, 5, {6, 0, 0, 1, 'a'}, 5},
      {"legacy block to the key form, code set 0 taken as native", &standard_,
       {3, 0, 'a', 'b', 0}, 1, 0xC1, 12, {8, 0, 254, 1, 0x0C, 0x50, 0x10, 0x50, 0, 0xFF, 0xEE, 0xEE},
       10},
      {"memory to a legacy block", &legacy_, {}, 8, 2, 6, {0, 3, 'a', 'b', 0, 0}, 5},
      {"memory to a legacy block, cut to the target", &legacy_, {}, 8, 1, 3, {3, 0, 'a'}, 3},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    KvString ab = Narrow("ab");
    Bytes source = r.source;
    void* from = source.empty() ? static_cast<void*>(&ab) : source.data();
    Bytes target(r.tl + 2, 0xEE);
    EXPECT_EQ(r.mgr->Translate(KvTYPE_STRING, target.data(), r.tf, r.tl, from, r.sf,
                               static_cast<uint32_t>(source.size()), 1),
              r.result);
    EXPECT_EQ(Bytes(target.begin(), target.begin() + r.tl), r.target);
    EXPECT_EQ(target[r.tl], 0xEE);  // never past the target length
  }
}

TEST_F(StringRows, TranslateToMemory) {
  // A whole stored record is a load.
  Bytes record = {0, 6, 1, 3, 'a', 'b', 0, 0xFF};
  KvString value;
  EXPECT_EQ(standard_.Translate(KvTYPE_STRING, &value, 8, 0, record.data(), 2, 8, 1), 8u);
  EXPECT_EQ(Text(value), "ab");
  EXPECT_EQ(value.LanguageGet(), 3);
  // A cut one (an index key) gives the text it holds.
  Bytes key = {0, 10, 1, 1, 'a', 'b', 'c'};
  KvString two[2];
  EXPECT_EQ(standard_.Translate(KvTYPE_STRING, two, 0x88, 0, key.data(), 0x82, 7, 2), 7u + 2 + 6);
  EXPECT_EQ(Text(two[0]), "abc");
  EXPECT_EQ(two[1].SizeGet(), 0);
  // Memory to memory assigns, in either table.
  for (KvTypeMgr* mgr : {&standard_, &legacy_}) {
    KvString from[2] = {Narrow("ab", 4, 3), Wide({0x20AC})};
    KvString to[2];
    EXPECT_EQ(mgr->Translate(KvTYPE_STRING, to, 8, 0, from, 8, 0, 2), 2 * sizeof(KvString));
    EXPECT_EQ(Text(to[0]), "ab");
    EXPECT_EQ(to[0].CodeSetGet(), 4);
    EXPECT_EQ(to[0].LanguageGet(), 3);
    EXPECT_EQ(to[1].CodeSetGet(), 253);
    EXPECT_EQ(to[1].Len(), 1);
  }
  // The legacy table loads a whole legacy block, and nothing from a block
  // whose length runs past the source.
  Bytes block = {3, 0, 'x', 'y', 0};
  KvString loaded("old");
  EXPECT_EQ(legacy_.Translate(KvTYPE_STRING, &loaded, 8, 0, block.data(), 1, 5, 1), 5u);
  EXPECT_EQ(Text(loaded), "xy");
  EXPECT_EQ(legacy_.Translate(KvTYPE_STRING, &loaded, 8, 0, block.data(), 1, 4, 1), 0u);
  EXPECT_EQ(legacy_.Translate(KvTYPE_STRING, &loaded, 8, 0, block.data(), 1, 1, 1), 0u);
  EXPECT_EQ(Text(loaded), "xy");

  // Formats that are not supported together are reported.
  int reports = 0;
  static int* counter = &reports;
  KvAssertHandler previous = KvSetAssertHandler([](const char*, const char*, int) { ++*counter; });
  Bytes target(8);
  EXPECT_EQ(standard_.Translate(KvTYPE_STRING, target.data(), 2, 8, record.data(), 1, 8, 1), 0u);
  KvSetAssertHandler(previous);
  EXPECT_EQ(reports, 1);
}

TEST_F(StringRows, KeyFormOfSixteenBitTextAndExpansions) {
  // The key of a 16-bit value: one order unit per character.
  KvString wide = Wide({'A', 0xE9});
  Bytes target(14, 0xEE);
  EXPECT_EQ(standard_.Translate(KvTYPE_STRING, target.data(), 0x82, 14, &wide, 8, 0, 1), 10u);
  EXPECT_EQ(Bytes(target.begin(), target.begin() + 10),
            (Bytes{0, 8, 254, 1, 0x40, 0x0C, 0x51, 0x1C, 0, 0xFF}));
  // ß takes two order units.
  KvString sharp = Narrow("\xDF");
  EXPECT_EQ(standard_.Translate(KvTYPE_STRING, target.data(), 0x82, 14, &sharp, 8, 0, 1), 10u);
  EXPECT_EQ(Bytes(target.begin(), target.begin() + 10),
            (Bytes{0, 8, 254, 1, 0x57, 0xD4, 0x57, 0xD4, 0, 0xFF}));
  // A class change (a character beyond the order tables) ends the key with
  // a unit above every order of class 1, and marks it as standing for more.
  KvString han = Wide({'a', 0x4E2D, 'b'});
  EXPECT_EQ(standard_.Translate(KvTYPE_STRING, target.data(), 0x82, 14, &han, 8, 0, 1), 10u);
  EXPECT_EQ(Bytes(target.begin(), target.begin() + 10),
            (Bytes{0, 8, 254, 0x81, 0x50, 0x0C, 0xFF, 0xFD, 0, 0xFF}));
  // A text that starts beyond the tables takes their class, 20, and ends at
  // the first character back in the tables with a unit below every
  // character of class 20.
  KvString hanFirst = Wide({0x4E2D, 'b'});
  EXPECT_EQ(standard_.Translate(KvTYPE_STRING, target.data(), 0x81, 14, &hanFirst, 8, 0, 1), 10u);
  EXPECT_EQ(Bytes(target.begin(), target.begin() + 10),
            (Bytes{8, 0, 254, 0x94, 0x2D, 0x4E, 1, 0, 0, 0xFF}));
}

}  // namespace
