// The rows of the three string types (KvString in both tables, KvIString,
// KvCaseIString), one table per operation across the types: stored forms
// byte for byte in both byte orders, sizes, translation and the key forms,
// the compare functions over memory, stored, cut and hostile operands, the
// evaluators' bounds and estimates. That keys order as their values and
// that bounds hold exactly the matching keys is tests/index_check.cpp's.
#include <type_traits>

#include <gtest/gtest.h>

#include "kvtable.h"
#include "test_util.h"

namespace {

constexpr char kS = KvTYPE_STRING, kI = KvTYPE_ISTRING, kC = KvTYPE_CASEISTRING;
constexpr int kOpen = KvCMP_INCOMPLETE, kLong = KvCMP_KEY_TOO_LONG;
KvTypeMgr standard(5), legacy(3);
KvTypeMgr *const S = &standard, *const L = &legacy;
using V = std::vector<KvString>;

// A KvString of UTF-8 text in code set cs (253: 16-bit units).
KvString Str(const char* utf8, uint8_t cs = 1, uint8_t language = 1) {
  KvString wide(253, language), out(cs, language);
  KvMBS2KvString(utf8, wide, static_cast<long>(std::strlen(utf8)));
  return out += wide, out;
}

// A standard record of 8-bit text (format 1 or 2), an insensitive block of
// one text (format 1); the key (format with 0x80) or stored record of a
// KvString, of 16-bit text in W.
Bytes R(const std::string& t, uint8_t format = 1, uint8_t cs = 1) {
  const uint8_t n = uint8_t(t.size() + 4), high = uint8_t((t.size() + 4) >> 8);
  return Bytes{format == 2 ? high : n, format == 2 ? n : high, cs, 1} + Bytes(t.begin(), t.end()) + Bytes{0, 0xFF};
}
Bytes B(const std::string& t, uint8_t marker = 0x40) {
  return Bytes{marker, uint8_t(t.size() + 1), uint8_t((t.size() + 1) >> 8)} + Bytes(t.begin(), t.end()) + Bytes{0};
}
Bytes K(KvString v, uint8_t format = 0x81) {
  Bytes k(600);
  return k.resize(standard.Translate(kS, k.data(), format, 600, &v, 8, 0, 1)), k;
}
Bytes W(const char* utf8, uint8_t format = 0x81) { return K(Str(utf8, 253), format); }

// Values of a type in memory, made from KvStrings (the insensitive types
// take their 8-bit bytes); Text tells a KvString's code set, language and
// units, an insensitive value's text or "null".
struct Values {
  char id;
  V s;
  std::vector<KvIString> i;
  std::vector<KvCaseIString> c;
  Values(char type, const V& v, uint8_t attributes = 0) : id(type), s(v) {
    for (const KvString& x : (i.reserve(v.size()), c.reserve(v.size()), v))
      i.emplace_back(x.StrGet()).AttributesSet(attributes), c.emplace_back(x.StrGet()).AttributesSet(attributes);
  }
  void* Get() { return id == kS ? static_cast<void*>(s.data()) : id == kI ? static_cast<void*>(i.data()) : c.data(); }
  std::string Text(size_t k) const {
    if (id == kS)
      return std::to_string(s[k].CodeSetGet()) + "/" + std::to_string(s[k].LanguageGet()) + ":" +
             std::string(s[k].StrGet(), s[k].Len() * (s[k].CodeSetGet() > 224 ? 2 : 1));
    return (id == kI ? !i[k] : !c[k]) ? "null" : id == kI ? i[k].StrGet() : c[k].StrGet();
  }
};

class StringRows : public testing::Test {
 protected:
  void SetUp() override { ___KvI18NContext(1); }
};

// Stored, measured, found in a memory file and loaded by both tables; a
// legacy block holds 16-bit text in the default 8-bit code set. Format bit
// 0x10 keeps accents for KvCaseIString only (marker 0x01).
TEST_F(StringRows, StoredFormsInBothByteOrders) {
  struct Row { KvTypeMgr* mgr; char id; V values; uint8_t format; Bytes stored; bool readsBack = true; };
  const Row rows[] = {
      {S, kS, {KvString(1, 1)}, 1, {4, 0, 1, 1, 0, 0xFF}}, {S, kS, {Str("ab", 4, 3)}, 2, {0, 6, 4, 3, 'a', 'b', 0, 0xFF}},
      {S, kS, {Str("ab"), Str("")}, 1, R("ab") + R("")}, {S, kS, {Str("ł€", 253)}, 2, {0, 8, 253, 1, 0x01, 0x42, 0x20, 0xAC, 0, 0xFF}},
      {S, kS, {Str("ł€", 253)}, 1, {8, 0, 253, 1, 0x42, 0x01, 0xAC, 0x20, 0, 0xFF}}, {L, kS, {Str("ab")}, 2, {0, 3, 'a', 'b', 0}},
      {L, kS, {Str("ab"), Str("")}, 1, {4, 0, 'a', 'b', 0, 0}}, {L, kS, {Str("A€中", 253)}, 1, {4, 0, 'A', 0x80, 0x1A, 0}, false},
      {S, kI, {"ab"}, 1, {0x40, 3, 0, 'a', 'b', 0}}, {S, kI, {"ab"}, 0x82, {0x01, 0, 3, 'a', 'b', 0}}, {S, kI, {}, 1, {0x40, 0, 0}},
      {S, kC, {"ab"}, 0x11, {0x01, 3, 0, 'a', 'b', 0}}, {S, kI, {"ab"}, 0x11, {0x40, 3, 0, 'a', 'b', 0}},
      {S, kC, {"ab"}, 2, {0x40, 0, 3, 'a', 'b', 0}}, {S, kI, {"ab", "", "c"}, 2, {0x40, 0, 6, 'a', 'b', 0, 0, 'c', 0}}};
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << int{r.id} << " format " << int{r.format} << " " << r.stored.size());
    Values values(r.id, r.values);
    const uint32_t n = static_cast<uint32_t>(r.values.size()), size = static_cast<uint32_t>(r.stored.size());
    EXPECT_EQ(r.mgr->DiskLenGet(r.id, values.Get(), r.format, n, 8), size);
    Bytes stored(size + 1, 0xEE);
    EXPECT_EQ(r.mgr->Store(r.id, stored.data(), values.Get(), r.format, n), size);
    EXPECT_EQ(stored, r.stored + Bytes{0xEE});
    if ((r.format & 0x80) == 0) { EXPECT_EQ(r.mgr->DiskLenGet(r.id, stored.data(), r.format, n, r.format), size); }
    for (KvTypeMgr* mgr : {S, L}) {
      Values loaded(r.id, V(n, "old"));
      EXPECT_EQ(mgr->Load(r.id, loaded.Get(), stored.data(), r.format, n), size);
      for (uint32_t k = 0; k < n && r.readsBack; ++k) EXPECT_EQ(loaded.Text(k), values.Text(k));
    }
  }
}

// Of values in memory or stored, and from a memory file, whose records and
// blocks are walked within the file (one that runs past its end counts
// 65535 a value, a cut header too; nothing left counts 0). The key-size
// flag counts three orders of two bytes a character (¼ ½ ¾); the
// insensitive keys count two weights for 223, 140.
TEST_F(StringRows, Sizes) {
  struct Row { KvTypeMgr* mgr; char id; V values; Bytes stored; uint8_t valueFormat, storedFormat; uint32_t size; };
  const Bytes block = {4, 0, 'a', 'b', 0, 0};
  const Row rows[] = {
      {S, kS, {Str("ab")}, {}, 8, 0x81, 4 * 6 + 4}, {S, kS, {Str("ab", 253)}, {}, 8, 0x81, 6 * 3 + 4}, {S, kS, {}, block, 1, 1, 6},
      {S, kS, {}, R("ab", 1, 0), 1, 0x81, 8}, {L, kS, {}, block, 2, 2, 0x0402}, {S, kI, {"ab"}, {}, 8, 0x88, 0},
      {S, kI, {"Stra\xDF" "e", "\x8C"}, {}, 8, 0x81, 14}, {S, kC, {}, {0x40, 2, 0, 0xDF, 0}, 1, 0x81, 6},
      {S, kS, {}, R("abc", 2), 0x82, 0x82, 7 * 6 + 2}};
  for (const Row& r : rows) {
    Values values(r.id, r.values);
    Bytes b = r.stored;
    const size_t n = b.empty() ? r.values.size() : 1;
    EXPECT_EQ(r.mgr->DiskLenGet(r.id, b.empty() ? values.Get() : b.data(), r.storedFormat, n, r.valueFormat), r.size);
  }
  struct FileRow { KvTypeMgr* mgr; char id; Bytes file; uint32_t position; uint8_t format; uint32_t count, size; };
  const Bytes three = R("abc", 2) + R("d", 2) + R("", 2);
  const FileRow files[] = {
      {S, kS, three, 0, 2, 3, 22}, {S, kS, Bytes(three.begin(), three.begin() + 12), 0, 2, 3, 131070}, {L, kS, block, 0, 1, 2, 6},
      {S, kI, {0x77, 0x40, 0, 3, 'a', 'b', 0, 0x77}, 1, 2, 1, 6}, {S, kI, {0x40, 3, 0, 0xDF, 'a', 0}, 0, 0x81, 1, 7},
      {S, kI, {0x40, 5, 0, 'a', 0, 'b'}, 0, 1, 2, 131070}, {S, kI, {0x40, 0xFF, 0xFF, 'a', 0}, 0, 0x81, 1, 65535},
      {S, kS, {three[0]}, 0, 2, 3, 0}, {S, kI, {0x77, 0x40, 3}, 1, 1, 1, 65535}, {S, kI, {0x77, 0x77, 0x40, 5, 0, 'a', 'b', 0}, 2, 1, 1, 65535}};
  for (const FileRow& r : files) {
    MemFile file(r.file.data(), static_cast<uint32_t>(r.file.size()), r.position);
    EXPECT_EQ(r.mgr->DiskLenGetFromMemFile(r.id, &file, r.format, r.count), r.size) << r.size;
    EXPECT_EQ(file.PosGet(), r.position);
  }
  EXPECT_EQ(kvStandardTable[KvTYPE_STRING]->NullSizeGet(3), 18u);
  EXPECT_EQ(kvStandardTable[KvTYPE_ISTRING]->NullSizeGet(3) + kvLegacyTable[KvTYPE_STRING]->NullSizeGet(1), 6u + 6);
}

// Counts are whole beyond 16 bits, and values whose length field cannot
// hold their size are refused whole (reported, nothing written, DiskLenGet
// 0) rather than stored with a length that wrapped; a block's texts count
// together.
TEST_F(StringRows, LengthFieldsAndCountsBeyondSixteenBits) {
  struct Row { KvTypeMgr* mgr; char id; std::vector<size_t> lengths; uint8_t format; uint32_t size; Bytes head; };
  const Row rows[] = {
      {S, kS, {65531}, 2, 65537, {0xFF, 0xFF, 1, 1, 'x'}}, {S, kS, {25000, 25000, 25000}, 1, 75018, {0xAC, 0x61, 1, 1, 'x'}},
      {S, kS, {65532}, 1, 0, {}}, {L, kS, {21846, 21846, 21846}, 2, 0, {}}, {L, kS, {21845, 21845, 21842}, 1, 65537, {0xFF, 0xFF, 'x'}},
      {S, kI, {65534}, 2, 65538, {0x40, 0xFF, 0xFF, 'x'}}, {S, kI, {65535}, 1, 0, {}}, {L, kC, {21846, 21846, 21846}, 2, 0, {}}};
  for (const Row& r : rows) {
    const uint32_t n = static_cast<uint32_t>(r.lengths.size());
    Values values(r.id, V(n, "")), loaded(r.id, V(n, "old"));
    for (uint32_t k = 0; k < n; ++k) {  // the insensitive texts are longer than a KvString holds
      const std::string x(r.lengths[k], 'x');
      r.id == kS ? void(values.s[k] = x.c_str()) : void((values.i[k] = x.c_str(), values.c[k] = x.c_str()));
    }
    OverflowCounter overflows;
    EXPECT_EQ(r.mgr->DiskLenGet(r.id, values.Get(), r.format, n, 8), r.size);
    Bytes stored(r.size + 16, 0xEE);
    EXPECT_EQ(r.mgr->Store(r.id, stored.data(), values.Get(), r.format, n), r.size);
    EXPECT_EQ(overflows.Count(), r.size == 0 ? 1 : 0);
    EXPECT_EQ(Bytes(stored.begin() + r.size, stored.end()), Bytes(16, 0xEE));
    if (r.size == 0) continue;
    EXPECT_EQ(Bytes(stored.begin(), stored.begin() + r.head.size()), r.head);
    MemFile file(stored.data(), r.size);
    EXPECT_EQ(r.mgr->DiskLenGetFromMemFile(r.id, &file, r.format, n), r.size);
    EXPECT_EQ(r.mgr->Load(r.id, loaded.Get(), stored.data(), r.format, n), r.size);
    for (uint32_t k = 0; k < n; ++k) EXPECT_EQ(loaded.Text(k), values.Text(k));
  }
}

// Into a stored target (its bytes `target`; past them it stays 0xEE) or
// into memory (`texts`, from values "old"). Sources in memory are `values`;
// stored ones are given exactly their length. Keys: one order a character,
// two for ß; a class change ends the key with a unit placing it among its
// neighbours, marked as standing for more; a key cut short has no end and
// claims two bytes more than it holds. A legacy block's code set 0 is taken
// as the native one; under flag 32 (code set 0) a key holds the bytes, and
// a key is copied as it is. Formats not supported together are reported.
TEST_F(StringRows, Translate) {
  struct Row { KvTypeMgr* mgr; char id; V values; Bytes source; uint8_t sf, tf; uint32_t tl; Bytes target; uint32_t result;
               V texts = {}; int reports = 0; };
  const Bytes abKey = {8, 0, 254, 1, 0x0C, 0x50, 0x10, 0x50, 0, 0xFF}, ab = R("ab"), ab0 = R("ab", 1, 0);
  const Bytes plain = {3, 0, 'a', 'b', 0}, ab2 = {0, 8, 254, 1, 0x50, 0x0C, 0x50, 0x10}, nz = B("\x4E\x5A", 0xC0);
  const V abs = {Str("ab")}, two = {Str("ab", 4, 3), Str("€", 253)};
  const uint32_t one = sizeof(KvCaseIString), pair = 2 * sizeof(KvString);
  const Row rows[] = {
      {S, kS, {}, plain, 1, 1, 8, {6, 0, 0, 0, 'a', 'b', 0, 0xFF}, 8}, {S, kS, {}, plain, 1, 1, 7, {6, 0, 0, 0, 'a', 'b', 0}, 7},
      {L, kS, {}, ab, 1, 1, 8, plain + Bytes{0, 0, 0}, 5}, {L, kS, {}, plain, 1, 2, 5, {0, 3, 'a', 'b', 0}, 5},
      {S, kS, abs, {}, 8, 0x81, 12, abKey, 10}, {S, kS, abs, {}, 8, 0x81, 7, {6, 0, 254, 1, 0x0C, 0x50}, 6},
      {S, kS, {}, {0, 8, 1, 1, 'a', 'b'}, 2, 0x82, 12, ab2, 8}, {S, kS, abs, {}, 8, 2, 9, R("ab", 2) + Bytes{0}, 8},
      {S, kS, abs, {}, 8, 2, 5, {0, 6, 1, 1, 'a'}, 5}, {S, kS, {}, ab, 0x21, 0x21, 8, ab0, 8}, {S, kS, {}, ab0, 1, 0x81, 8, ab0, 8},
      {L, kS, abs, {}, 8, 1, 3, {3, 0, 'a'}, 3}, {S, kS, {}, ab, 1, 2, 8, {}, 0, {}, 1}, {S, kS, {}, plain, 1, 0xC1, 12, abKey, 10},
      {S, kS, {Str("ß")}, {}, 8, 0x82, 10, {0, 8, 254, 1, 0x57, 0xD4, 0x57, 0xD4, 0, 0xFF}, 10},
      {S, kS, {Str("Aé", 253)}, {}, 8, 0x82, 14, {0, 8, 254, 1, 0x40, 0x0C, 0x51, 0x1C, 0, 0xFF}, 10},
      {S, kS, {Str("a中b", 253)}, {}, 8, 0x82, 14, {0, 8, 254, 0x81, 0x50, 0x0C, 0xFF, 0xFD, 0, 0xFF}, 10},
      {S, kS, {Str("中b", 253)}, {}, 8, 0x81, 14, {8, 0, 254, 0x94, 0x2D, 0x4E, 1, 0, 0, 0xFF}, 10},
      // Insensitive keys: weights without accents, ß twice; T tells the whole key.
      {S, kI, {"ab"}, {}, 8, 0x81, 10, nz + Bytes(4, 0), 6}, {S, kI, {"\xE9\xDF"}, {}, 8, 0x81, 7, B("\x64\x9C\x9C", 0xC0), 7},
      {S, kC, {"ab"}, {}, 8, 0x82, 6, {0xC0, 0, 3, 0x54, 0x5B, 0}, 6}, {S, kI, {"ab"}, {}, 8, 0x81, 3, {}, 0},
      {S, kI, {"abcd"}, {}, 8, 0x81, 6, {0xC0, 5, 0, 0x4E, 0x5A, 0}, 6}, {S, kI, {}, B("abc"), 1, 0x81, 5, {0xC0, 4, 0, 0x4E, 0}, 5},
      {S, kC, {}, B("ab", 1), 1, 0x81, 6, B("\x54\x5B", 0xC1), 6}, {S, kI, {}, B("\x4E", 0xC0), 1, 0x81, 6, B("\x4E", 0xC0) + Bytes{0}, 5},
      {S, kI, {"abcdef"}, {}, 8, 1, 5, {0x40, 7, 0, 'a', 'b'}, 5}, {L, kS, {}, {3, 0, 'x', 'y'}, 1, 8, 0, {}, 0, {"old"}},
      {S, kS, {}, {0, 6, 1, 3, 'a', 'b', 0, 0xFF}, 2, 8, 0, {}, 8, {Str("ab", 1, 3)}}, {L, kS, two, {}, 8, 8, 0, {}, pair, two},
      {S, kS, {}, {0, 10, 1, 1, 'a', 'b', 'c'}, 0x82, 8, 0, {}, 15, {Str("abc"), KvString(1, 1)}}, {S, kS, two, {}, 8, 8, 0, {}, pair, two},
      {S, kC, {}, B("\x54\x5B", 0xC0), 0x81, 8, 0, {}, 6, {"AB"}}, {S, kC, {}, {0xC0, 9, 0, 0x54, 0x5B, 0}, 0x81, 8, 0, {}, 6, {"AB", ""}},
      {S, kI, {}, {0x40, 5, 0, 'a', 'b'}, 1, 8, 0, {}, 5, {"ab", ""}}, {S, kI, {}, {0x40, 5}, 1, 8, 0, {}, 0, {"old"}},
      {S, kC, {"x", "y"}, {}, 8, 8, one, {}, one, {"x", "old"}}, {S, kC, {"x"}, {}, 8, 0x88, 64, {}, 0, {"old"}},
      {S, kI, {"x", "y"}, {}, 8, 8, 0, {}, 2 * one, {"x", "y"}}, {S, kS, {}, ab, 1, 8, 0, {}, 8, abs},
      {S, kS, {}, {0, 8, 1}, 2, 8, 0, {}, 5, {Str("", 1, 0)}},  // a cut header: no language
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << int{r.id} << " " << int{r.sf} << " to " << int{r.tf} << " in " << r.tl);
    Values values(r.id, r.values), texts(r.id, V(r.texts.size(), "old")), expected(r.id, r.texts);
    Bytes source = r.source;
    const bool toMemory = (r.tf & 8) != 0;
    const size_t count = toMemory ? r.texts.size() : std::max<size_t>(r.values.size(), 1);
    Bytes target(std::max<size_t>(r.tl, r.target.size()) + 8, 0xEE);
    ReportCounter reports;
    EXPECT_EQ(r.mgr->Translate(r.id, toMemory ? texts.Get() : target.data(), r.tf, r.tl,
                               r.sf & 8 ? values.Get() : source.data(), r.sf, source.size(), count), r.result);
    EXPECT_EQ(reports.Count(), r.reports);
    for (size_t k = 0; toMemory && k < count; ++k) EXPECT_EQ(texts.Text(k), expected.Text(k));
    if (!toMemory) { EXPECT_EQ(target, r.target + Bytes(target.size() - r.target.size(), 0xEE)); }
  }
}

// Stored operands, each given exactly its length (0: the whole element, a
// length the caller did not give): a key cut to 100 of 150 characters, a
// buffer that cuts only the end mark (whole), a length field that runs past
// the buffer, a cut plain text; a lone backslash never matches; a first key
// of a block, cut by its buffer, may end there.
TEST_F(StringRows, CompareStoredAndCutOperands) {
  struct Row { KvTypeCmpFunc f; Bytes a; unsigned long la; Bytes b; unsigned long lb; uint16_t op; int sign, status;
               unsigned long count = 1; uint8_t format = 1; };
  const KvTypeCmpFunc kSC = StringCompare, kLSC = LegacyStringCompare, kBoth = nullptr;  // both insensitive ones
  const KvTypeCmpFunc kIC = KvIStringCompare, kCC = KvCaseIStringCompare;
  const Bytes k150 = R(std::string(150, 'k')), three = R("ab") + R("cd") + R("ef"), abKey = K(Str("ab"));
  const Bytes abc = B("abc"), iKey = B("\x4E\x5A", 0xC0), cutKey = {0xC0, 5, 0, 0x54, 0x5B, 0};  // "ABCD" cut
  const Bytes two = {0x40, 6, 0, 'a', 'b', 0, 'c', 'd', 0}, twoKeys = {0xC0, 6, 0, 'a', 'b', 0, 'c', 'd', 0};
  const Bytes marked = {8, 0, 254, 0x81, 0x0C, 0x50, 0x10, 0x50, 0, 0xFF}, abc4 = R("abcd");
  const Row rows[] = {
      // A result is final when elements present on both sides decided it.
      {kSC, R("abc"), 8, R("abc"), 9, 0x10, 0, 0}, {kSC, k150, 104, R(std::string(150, 'k')), 156, 0x10, 0, kOpen},
      {kSC, k150, 104, R(std::string(50, 'k')), 56, 0x10, 1, 0}, {kSC, k150, 104, R("kkk*"), 10, 0, 0, 0},
      {kSC, k150, 104, R("kkk*x"), 11, 0, 0, kOpen}, {kSC, R(std::string(400, 'a')), 304, R("a"), 7, 0x10, -1, kLong},
      {kSC, {0xE8, 3, 1, 1, 'a', 'b'}, 6, R("ab"), 8, 0x10, 0, kOpen}, {kSC, R("ab"), 1, R("ab"), 8, 0x10, -1, kOpen},
      {kSC, R("ab"), 8, R("ab"), 1, 0x10, 1, kOpen}, {kSC, R("ab"), 8, abc4, 7, 0x10, -1, 0}, {kSC, R("abd"), 9, R("abcx"), 7, 0x10, 1, 0},
      {kSC, abc4, 7, R("abxd"), 7, 0x10, -1, 0}, {kSC, abc4, 6, R("abce"), 7, 0x10, 0, kOpen}, {kSC, {}, 0, {}, 0, 0x10, 0, 0, 0},
      {kSC, three, 24, R("ab") + R("xd") + R("ef"), 24, 0x10, -1, 0, 3}, {kSC, three, 20, three, 24, 0x10, 0, kOpen, 3},
      {kSC, abKey, 0, marked, 0, 0x10, 0, kOpen}, {kSC, abKey, 0, R("ab"), 8, 0x10, 0, 0},
      // A marked key's last unit stands for a character of the next class:
      // it decides against an end or another class, not against its own
      // class or in a pattern (the star is of class 1).
      {kSC, W("ab日本"), 0, W("ab"), 0, 0x10, 1, 0}, {kSC, W("ab日本"), 0, W("ab本"), 0, 0x10, 0, kOpen},
      {kSC, W("日本ab"), 0, W("日本中"), 0, 0x10, -1, 0}, {kSC, W("ab日本"), 0, W("abz", 1), 0, 0x10, 1, 0},
      {kSC, W("日本ab"), 0, W("日本z", 1), 0, 0x10, 0, kOpen}, {kSC, W("€uro"), 0, W("?uro", 1), 0, 0, 0, kOpen},
      {kSC, W("ρεβ"), 0, W("ρ*τ", 1), 0, 0, 0, kOpen},
      // Legacy blocks; insensitive blocks, through both functions.
      {kBoth, abc, 5, B("ab"), 0, 0, 1, 0}, {kBoth, abc, 5, B("b*"), 0, 0, -1, 0}, {kBoth, abc, 5, B("abd"), 0, 0, 0, kOpen},
      {kLSC, {9, 0, 'a', 'b', 'c'}, 5, {4, 0, 'a', 'b', 'c', 0}, 6, 0x10, 0, kOpen}, {kBoth, abc, 5, B("a*c"), 0, 0, 0, kOpen},
      {kLSC, {7, 0, 'a', 0, 'b', 0, 'c', 'd', 0}, 0, {7, 0, 'a', 0, 'b', 0, 'c', 'e', 0}, 0, 0x10, -1, 0, 3},  // the third decides
      {kBoth, {0x40, 0, 3, 'a', 'b', 0}, 0, {0x40, 0, 4, 'a', 'b', 'c', 0}, 0, 0, -1, 0, 1, 2}, {kBoth, cutKey, 6, B("*"), 0, 0, 0, 0},
      {kBoth, B("abz"), 5, B("abc\\"), 0, 0, 0, kOpen}, {kBoth, B("b"), 0, B("a*cdef"), 7, 0, 1, 0},
      {kBoth, B("abc"), 0, B("a*cdef"), 7, 0, 0, kOpen}, {kBoth, B("a*b"), 0, B("a\\*b"), 0, 0, 0, 0},
      {kBoth, B("\x4E\x5A", 0xC0), 0, B("\x4E\x5C", 0xC0), 0, 0, -1, 0}, {kBoth, cutKey, 6, B("ABZZ"), 0, 0, 0, kOpen},
      {kBoth, {0x40, 3}, 2, B("ab"), 0, 0, 0, kOpen}, {kBoth, cutKey, 0, B("\x54\x5B\x5E", 0xC0), 0, 0, 0, kOpen},
      {kBoth, {0x40, 0xFF, 0xFF, 'a', 'b'}, 5, B("ab"), 6, 0, 1, 0}, {kBoth, two, 9, two, 5, 0, 0, kOpen, 2},
      {kBoth, two, 9, {0x40, 6, 0, 'a', 'b', 0, 'c', 'e', 0}, 9, 0, -1, 0, 2}, {kBoth, twoKeys, 6, twoKeys, 9, 0, 0, kOpen, 2},
      // What follows a cut text outranks an accent before its end; a star
      // may follow the cut, or only the zero may be missing.
      {kBoth, B("\xE9" "a"), 0, B("ez"), 4, 0, 0, kOpen}, {kBoth, B("\xE9" "b"), 0, B("e*b"), 5, 0, 0, kOpen},
      {kBoth, B("ab"), 0, B("ab*"), 5, 0, -1, kOpen}, {kBoth, B("ab"), 0, B("ab"), 5, 0, 0, 0},
      // Insensitive values order as their keys: the weights without accents
      // first, then KvCaseIString's accents, then the bytes ("e" < "é" <
      // "éa" < "ez"). Patterns match without accents; '\*' is a star, '\n' a
      // line feed, a lone '\' never matches; a key (0xC0) holding a star is a
      // pattern of weights; a key against a pattern or text is left open. The
      // letter c folds to a backslash byte but is no escape.
      {kIC, B("a"), 0, B("A"), 0, 0, -1, 0}, {kIC, B("\xE9"), 0, B("e"), 0, 0, 1, 0}, {kCC, B("\xE9"), 0, B("e"), 0, 0x10, 1, 0},
      {kIC, B("axb"), 0, B("a\\*b"), 0, 0, 1, 0}, {kIC, B("cx"), 0, B("c*"), 0, 0, 0, 0}, {kIC, B("\xE9T"), 0, B("eT*"), 0, 0, 0, 0},
      {kIC, B("Stra\xDF" "e"), 0, B("Stra?e"), 0, 0, 0, 0}, {kIC, B("Strasse"), 0, B("S*\xDF" "e"), 0, 0, 0, 0},
      {kCC, B("Abc"), 0, B("a*"), 0, 0, 0, 0}, {kIC, B("\n"), 0, B("\\n"), 0, 0, 0, 0}, {kIC, B("a\\"), 0, B("a\\"), 0, 0, 1, 0},
      {kCC, B("\x54\x5B", 0xC0), 0, B("b*"), 0, 0, -1, kOpen}, {kIC, iKey, 0, B("ab"), 0, 0, 0, kOpen},
      {kIC, B("abc"), 0, B("\x4E*", 0xC0), 0, 0, 0, 0}, {kCC, B("e"), 0, B("\xE9"), 0, 0, -1, 0}, {kCC, B("\xDF"), 0, B("ss"), 0, 0, -1, 0},
      {kCC, B("\xE9" "a"), 0, B("ez"), 0, 0, -1, 0}, {kCC, B("ABC"), 0, B("abc"), 0, 0, -1, 0}, {kCC, B("ABC"), 0, B("abc"), 0, 0x10, 0, 0},
      {kCC, B("\xC9"), 0, B("E"), 0, 0x10, 1, 0}, {kCC, B("eb"), 0, B("\xE9*c"), 0, 0, -1, 0},
      {kCC, B("\xE9" "a"), 0, B("ez*"), 0, 0, -1, 0}, {kCC, B("\xE9" "b"), 0, B("E*B"), 0, 0, 0, 0},
      // A cut operand 2 holds at most 253 bytes of text, as a key does.
      {kBoth, B("b"), 0, B(std::string(300, 'a')), 257, 0, -1, kLong}, {kBoth, B("b"), 0, B(std::string(300, 'a')), 256, 0, 1, 0}};
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << r.a.size() << "/" << r.la << " : " << r.b.size() << "/" << r.lb);
    Bytes a(r.a.begin(), r.a.begin() + (r.la != 0 ? r.la : r.a.size()));
    Bytes b(r.b.begin(), r.b.begin() + (r.lb != 0 ? r.lb : r.b.size()));
    for (KvTypeCmpFunc f : {r.f ? r.f : KvIStringCompare, r.f ? r.f : KvCaseIStringCompare}) {
      int status = 99;
      EXPECT_EQ(Sign(f(r.format, r.la, a.data(), r.lb, b.data(), r.op, r.count, status)), r.sign);
      EXPECT_EQ(status, r.status);
    }
  }
  // Without memory for a text beyond 254 bytes, which the stack does not
  // hold, the compare is left open.
  Bytes a = R(std::string(300, 'a')), b = R(std::string(300, 'b'));
  static int calls = 0;
  const KvMemoryHandler previous = KvSetMemoryHandler([](unsigned long) { return ++calls, 0; });
  int status = (KvSetAllocFailure(0), 99);
  const long result = StringCompare(1, a.size(), a.data(), b.size(), b.data(), 0x10, 1, status);
  KvSetAllocFailure(-1), KvSetMemoryHandler(previous);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(status, kOpen);
  EXPECT_GE(calls, 1);
}

// Bounds are index keys of the text before a wildcard, letters at their
// smallest and largest variant under the operator's masks (ignore case
// 0x20, accents 0x40); a long one is cut to 254 bytes and reported, an
// upper bound of a pattern ends in the largest element. A marked key of
// class 20 is a prefix whose bounds keep its class, unmarked; one of class
// 1 is whole. Under the exact operator a star is text; a leading star sets
// no bound; operator bits go from the relation word; a key, or a folded
// value in memory, is the key it is. A stored value is read, never
// written; a bound set stays.
TEST_F(StringRows, Bounds) {
  struct Row { KvTypeMgr* mgr; char id; Bytes value; uint8_t format; unsigned short relation, after; Bytes low, high;
               int reports = 0; V memory = {}; uint8_t attributes = 0; };
  auto q = [](size_t n) { Bytes out; while (n-- > 0) out = out + Bytes{0x50, 0x4C}; return out; };
  const Bytes abc = {0, 10, 254, 1, 0x50, 0x0C, 0x50, 0x10, 0x50, 0x14}, ab = B("\x4E\x5A", 0xC0);
  const Bytes abMore = B("\x4E\x5A\xFF", 0xC0), b2 = {0, 6, 254, 1, 0x50, 0x10, 0, 0xFF}, q0 = {0, 254, 0, 1};
  const Bytes offset = {0x50, 0x44, 0x50, 0x20, 0x50, 0x20, 0x50, 0x54, 0x50, 0x1C, 0x50, 0x58};
  const Bytes one = {0, 6, 254, 1, 0x50, 0x0C, 0, 0xFF}, abStar = {0, 10, 254, 1, 0x50, 0x0C, 0x50, 0x10, 0, 0x9F, 0, 0xFF};
  const Bytes q4 = {0, 254, 254, 1}, q2 = {0, 252, 254, 1}, c20 = {0, 6, 254, 20, 0x4E, 0x2D, 0, 0xFF};
  const Row rows[] = {
      {S, kS, R("abc*", 2), 2, 1, 9, abc + Bytes{0, 0xFF}, Bytes{0, 12} + Bytes(abc.begin() + 2, abc.end()) + Bytes{0xFF, 0xFE, 0, 0xFF}},
      {S, kS, R("ab*", 2), 2, 0x11, 1, abStar, abStar}, {S, kS, R("b", 2), 2, KvREL_GREATER | KvREL_KEEP, 0x8004, b2, {}},
      {S, kS, R("Ab"), 1, 0x21, 1, {8, 0, 254, 1, 0x0C, 0x70, 0x10, 0x70, 0, 0xFF}, {8, 0, 254, 1, 0x0C, 0x40, 0x10, 0x40, 0, 0xFF}},
      {S, kS, R("Ab", 2), 2, 0x21, 1, {0, 8, 254, 1, 0x70, 0x0C, 0x70, 0x10, 0, 0xFF}, {0, 8, 254, 1, 0x40, 0x0C, 0x40, 0x10, 0, 0xFF}},
      {S, kS, R("\xE9", 2), 2, 0x41, 1, {0, 6, 254, 1, 0x50, 0x1C, 0, 0xFF}, {0, 6, 254, 1, 0x5F, 0x9C, 0, 0xFF}},
      {S, kS, R("\xDF*", 2), 2, 1, 9, {0, 8, 254, 1, 0x57, 0xD4, 0x57, 0xD4, 0, 0xFF}, {0, 10, 254, 1, 0x57, 0xD4, 0x57, 0xD4, 0xFF, 0xFE, 0, 0xFF}},
      {S, kS, R("ab", 2, 0), 2, 1, 1, R("ab", 2, 0), R("ab", 2, 0)}, {S, kS, R("*b", 2), 2, 1, 9, {}, {}},
      {S, kS, R("ab*", 1, 0), 1, 1, 9, R("ab", 1, 0), {7, 0, 0, 1, 'a', 'b', 0xFF, 0, 0xFF}},
      {S, kS, R(std::string(300, 'q') + "*", 2, 0), 2, 1, 9, q0 + Bytes(250, 'q'), q0 + Bytes(249, 'q') + Bytes{0xFF}, 2},
      {S, kS, {0, 6, 254, 0x94, 0x4E, 0x2D, 0, 0xFF}, 2, 1, 9, c20, {0, 8, 254, 20, 0x4E, 0x2D, 0xFF, 0xFE, 0, 0xFF}},
      {S, kS, {0, 6, 254, 0x81, 0x50, 0x0C, 0, 0xFF}, 2, 1, 1, one, one},
      {S, kS, R(std::string(150, 'q'), 2), 2, 1, 1, q4 + q(125), q4 + q(124) + Bytes{0xFF, 0xFE}, 2},
      {S, kS, R(std::string(124, 'q'), 2), 2, 1, 1, q2 + q(124) + Bytes{0, 0xFF}, q2 + q(124) + Bytes{0, 0xFF}},
      // Skipped symbols: no symbol in the bounds, the upper one widened.
      {S, kS, R("offs-et", 2), 2, 0x201, 1, K(Str("offset"), 0x82), Bytes{0, 18, 254, 1} + offset + Bytes{0xFF, 0xFE, 0, 0xFF}},
      // Legacy plain keys; insensitive keys of weights, 0xFF the largest.
      {S, kI, ab, 1, 1, 1, ab, ab}, {S, kI, B("ab*c"), 1, 1, 9, ab, abMore}, {S, kI, B("c"), 1, 1, 1, B("\x5C", 0xC0), B("\x5C", 0xC0)},
      {L, kS, {0, 4, 'a', 'b', '*', 0}, 2, 1, 9, {0, 3, 'a', 'b', 0}, {0, 4, 'a', 'b', 0xFF, 0}}, {S, kI, B("*ab"), 1, 1, 9, {}, {}},
      {S, kI, B(std::string(300, 'a')), 1, 1, 1, B(std::string(250, '\x4E'), 0xC0), B(std::string(249, '\x4E') + '\xFF', 0xC0), 2},
      {S, kI, B("ab"), 1, 0x8031, 0x8001, ab, ab}, {S, kC, B("aB?"), 1, 1, 9, B("\x54\x5B", 0xC0), B("\x54\x5B\xFF", 0xC0)},
      {S, kI, {0x40, 0, 3, 'a', 'b', 0}, 2, 1, 1, {0xC0, 0, 3, 0x4E, 0x5A, 0}, {0xC0, 0, 3, 0x4E, 0x5A, 0}},
      {S, kI, {}, 8, 1, 1, ab, ab, 0, {"\x4E\x5A"}, 0x80}};
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << int{r.id} << " " << r.value.size() << " relation " << r.relation);
    Values memory(r.id, r.memory, r.attributes);
    Bytes value = r.value, m = r.id == kS ? R("m", 2) : B("m");
    Bounds bounds;
    unsigned short relation = r.relation, both = KvREL_LESS | KvREL_GREATER;
    ReportCounter reports;
    const float estimate = r.mgr->EvalAndBound(r.id, nullptr, relation, r.memory.empty() ? value.data() : memory.Get(),
                                               r.format, r.id != kS && r.memory.empty() ? 2 : 1, &bounds);
    EXPECT_EQ(relation, r.after);
    EXPECT_EQ(bounds.Low(), r.low);
    EXPECT_EQ(bounds.High(), r.high);
    EXPECT_EQ(value, r.value);
    EXPECT_EQ(reports.Count(), r.reports);
    if (r.id != kS && r.low.empty() && r.high.empty()) { EXPECT_EQ(estimate, 1.0f); }  // a leading wildcard: every key
    if (!r.low.empty()) r.mgr->EvalAndBound(r.id, nullptr, both, m.data(), r.id == kS ? 2 : 1, 1, &bounds);
    EXPECT_EQ(bounds.Low(), r.low);
  }
}

// Estimates of the share of a range of keys a condition takes. Letters
// are a hundred positions apart in steps of four; a pattern widens by one
// element; a key shorter than a pattern may stand for text that matches it;
// at the edge of the range the collation finds a key one step (2^20 of the
// 2^32 a letter spans) in. Without a range the whole key space is the
// range; without a bounds record a KvString condition is not estimated.
TEST_F(StringRows, Estimates) {
  struct Row { KvTypeMgr* mgr; char id; Bytes low, high; Bytes value; unsigned short relation; float estimate, tolerance; };
  const Bytes abbey = K(Str("abbey"), 0x82), zoology = K(Str("zoology"), 0x82);
  const Bytes apple = {0xC0, 6, 0, 0x4E, 0x96, 0x96, 0x82, 0x64, 0}, zebra = {0xC0, 6, 0, 0xB6, 0x64, 0x5A, 0x9A, 0x4E, 0};
  const Bytes ab = K(Str("ab"), 0x82);
  const float span = 1741538329, step = 1.0f / (100 * 4096);  // positions: apple 0x4E969682, zebra 0xB6645A9A
  const Row rows[] = {
      {S, kS, abbey, zoology, R("m*", 2), 1, 0.01f, 0.0001f}, {S, kS, abbey, zoology, R("*x", 2), 1, 1, 0},
      {L, kS, {0, 3, 'a', 'a', 0}, {0, 3, 'z', 'z', 0}, {0, 4, 'a', 'b', '*', 0}, 1, 0.025f, 0.025f},
      {S, kS, ab, ab, R("abc*", 2), 1, 1, 0}, {S, kS, abbey, zoology, R("m", 2), KvREL_LESS, 0.475f, 0.005f},
      {S, kS, abbey, zoology, R("abbey", 2), KvREL_LESS, 0.995f * step, 0.005f * step}, {S, kI, apple, zebra, B("mango"), 1, 1 / span, 0},
      {S, kS, abbey, zoology, R("m", 2), KvREL_LESS, 0, -1}, {S, kI, apple, zebra, B("mango"), KvREL_LESS, 901246959 / span, 0},
      {S, kI, {0xC0, 2, 0, 0x4E, 0}, B("\xB6", 0xC0), B("ab"), 1, 65281.0f / 0x68000001, 0},
      {S, kI, {}, {}, B("ab"), KvREL_LESS, 0x4E5A0001 / 4294967296.0f, 0},
      {S, kS, R("ma", 2, 0), R("mz", 2, 0), R("mm", 2, 0), KvREL_LESS, 0.48f, 0.0001f}, {S, kI, B("", 0xC0), B("\xB6", 0xC0), B("ab"), KvREL_LESS, 0x4E5A0001 / 3053453312.0f, 0},
  };
  for (const Row& r : rows) {
    Bytes low = r.low, high = r.high, value = r.value;
    KvIdxBounds range = {low.data(), high.data(), uint8_t(low.size()), uint8_t(high.size())};
    Bounds bounds;
    unsigned short relation = r.relation;
    const float e = r.mgr->EvalAndBound(r.id, low.empty() ? nullptr : &range, relation, value.data(),
                                        r.id == kS ? 2 : 1, 1, r.tolerance < 0 ? nullptr : &bounds);
    EXPECT_NEAR(e, r.estimate, std::max(r.tolerance, 0.0f) + 1e-6f * r.estimate) << r.estimate;
    EXPECT_EQ(low, r.low);  // the range keys are left as they were
  }
}

// The constructor, destructor, assignment and copy slots work in place,
// pairwise or every value from the first; assignment takes the attributes,
// a copy starts without.
template <typename T>
void Slots(char id) {
  Values source(id, {"p", "q"}, 0x20);
  alignas(T) unsigned char raw[3 * sizeof(T)];
  T* v = reinterpret_cast<T*>(raw);
  standard.ConstructorPtrGet(id)(raw, 3, 0);
  standard.AssignmentPtrGet(id)(raw, source.Get(), 2, 0);
  const std::string pairwise = std::string(v[0].StrGet()) + v[1].StrGet() + v[2].StrGet();
  standard.AssignmentPtrGet(id)(raw, source.Get(), 3, 1);
  EXPECT_EQ(pairwise + v[1].StrGet() + v[2].StrGet(), "pqpp");
  if constexpr (!std::is_same_v<T, KvString>) { EXPECT_EQ(v[1].AttributesGet(), 0x20); }
  standard.DestructorPtrGet(id)(raw, 3, 0);
  standard.CopyPtrGet(id)(raw, source.Get(), 2, 0);
  if constexpr (!std::is_same_v<T, KvString>) { EXPECT_EQ(v[1].AttributesGet(), 0); }
  EXPECT_EQ(std::string(v[1].StrGet()), "q");
  standard.DestructorPtrGet(id)(raw, 2, 0);
}

TEST_F(StringRows, ConstructAssignCopyDestroySlots) { Slots<KvString>(kS), Slots<KvIString>(kI), Slots<KvCaseIString>(kC); }

}  // namespace
