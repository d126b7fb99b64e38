// Facts about the code sets: Unicode mappings, case properties, collation
// order records and languages.
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "kvtm/kvtm.h"

namespace {

const KvCodeSet* Cs(uint8_t id) { return KvLanguageContext::QueryCodeSet(id); }

TEST(CodeSets, NamesWidthsAndUnknownIds) {
  struct Row {
    uint8_t id;
    const char* name;  // null: unknown to the library
    uint8_t width;
  };
  const Row rows[] = {
      {1, "Windows-1252", 1}, {2, "ISO-8859-1", 1},   {3, "ISO-8859-15", 1},
      {4, "Windows-1250", 1}, {5, "ISO-8859-2", 1},   {253, "Unicode BMP", 2},
      {6, nullptr, 1},        {224, nullptr, 1},      {225, nullptr, 2},
      {254, nullptr, 2},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.id);
    const KvCodeSet* cs = Cs(r.id);
    ASSERT_NE(cs, nullptr);
    EXPECT_EQ(cs->IdGet(), r.id);  // unknown ids keep their own id
    EXPECT_EQ(cs->WidthGet(), r.width);
    if (r.name == nullptr) {
      EXPECT_EQ(cs->NameGet(), nullptr);
    } else {
      EXPECT_STREQ(cs->NameGet(), r.name);
    }
  }
  // An unknown 8-bit id behaves as ISO-8859-1, a 16-bit one as 253.
  EXPECT_EQ(Cs(6)->ToUnicode(0xA4), 0x00A4);
  EXPECT_EQ(Cs(254)->FromUnicode(0x20AC), 0x20AC);
  // Code set 0 is the native code set, Windows-1252.
  EXPECT_EQ(Cs(0)->IdGet(), 1);
}

TEST(CodeSets, UnicodeMappings) {
  struct Row {
    uint8_t cs;
    uint16_t unit;
    uint16_t unicode;
  };
  const Row rows[] = {
      {1, 0x80, 0x20AC}, {1, 0x8A, 0x0160}, {1, 0x9F, 0x0178}, {1, 0xE9, 0x00E9},
      {1, 0x81, 0x0081},  // undefined in the code set: the C1 control, so it round-trips
      {2, 0x80, 0x0080}, {2, 0xA4, 0x00A4}, {3, 0xA4, 0x20AC}, {3, 0xBC, 0x0152},
      {4, 0x8A, 0x0160}, {4, 0xA3, 0x0141}, {4, 0xE8, 0x010D}, {5, 0xA1, 0x0104},
      {5, 0xA3, 0x0141}, {5, 0xFF, 0x02D9}, {253, 0x4E2D, 0x4E2D},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << int(r.cs) << " " << r.unit);
    EXPECT_EQ(Cs(r.cs)->ToUnicode(r.unit), r.unicode);
    EXPECT_EQ(Cs(r.cs)->FromUnicode(r.unicode), r.unit);
    EXPECT_EQ(Cs(r.cs)->MapFrom(r.unicode, 253), r.unit);
    EXPECT_EQ(Cs(253)->MapFrom(r.unit, r.cs), r.unicode);
  }
  // Every byte of every 8-bit code set round-trips through Unicode.
  for (uint8_t cs = 1; cs <= 5; ++cs)
    for (uint16_t b = 0; b < 256; ++b)
      ASSERT_EQ(Cs(cs)->FromUnicode(Cs(cs)->ToUnicode(b)), b) << int(cs) << " " << b;
  // A character a code set lacks becomes its substitution character, never
  // a wildcard.
  EXPECT_EQ(Cs(1)->FromUnicode(0x4E2D), 0x1A);
  EXPECT_EQ(Cs(2)->FromUnicode(0x20AC), 0x1A);
  EXPECT_EQ(Cs(4)->MapFrom(0xE6, 1), 0x1A);   // æ is not in Windows-1250
  EXPECT_EQ(Cs(5)->MapFrom(0x80, 1), 0x1A);   // nor € in ISO-8859-2
  EXPECT_EQ(Cs(1)->MapFrom(0xA3, 4), 0x1A);   // Ł is not in Windows-1252
  EXPECT_EQ(Cs(253)->MapFrom(0x1A, 1), 0x1A);
  EXPECT_EQ(Cs(2)->ToUnicode(0x100), 0xFFFD);  // not a byte
  EXPECT_EQ(Cs(1)->MapFrom(0xE9, 0), 0xE9);    // 0: the native code set
}

TEST(CodeSets, MapTextByKindOfStep) {
  struct Row {
    const char* what;
    std::vector<uint8_t> source;  // as it lies in memory
    uint8_t from;
    uint8_t unitFormat;
    uint8_t to;
    std::vector<uint16_t> target;  // units of the target code set
  };
  const Row rows[] = {
      {"16-bit copy, native order", {0xAC, 0x20, 'a', 0}, 253, 1, 253, {0x20AC, 'a'}},
      {"16-bit copy, format 8 is native", {0xAC, 0x20, 'a', 0}, 253, 8, 253, {0x20AC, 'a'}},
      {"16-bit copy, most significant byte first", {0x20, 0xAC, 0, 'a'}, 253, 2, 253,
       {0x20AC, 'a'}},
      {"8-bit copy", {0x80, 0x81}, 1, 2, 1, {0x80, 0x81}},
      {"native 8-bit into Unicode", {0x80, 'a'}, 0, 1, 253, {0x20AC, 'a'}},
      {"8-bit into Unicode", {0xA4}, 3, 2, 253, {0x20AC}},
      {"Unicode into 8-bit, most significant byte first", {0x20, 0xAC, 0x4E, 0x2D}, 253, 2, 1,
       {0x80, 0x1A}},
      {"Unicode into 8-bit, native order", {0x41, 0x01}, 253, 1, 4, {0xA3}},
      {"8-bit into 8-bit", {0x8A, 0xE6, 0xA3}, 1, 1, 4, {0x8A, 0x1A, 0x1A}},
      {"8-bit into 8-bit, Ł", {0xA3}, 4, 1, 5, {0xA3}},
      {"16-bit into another 16-bit code set", {0x40, 0x0C}, 254, 2, 253, {0x400C}},
      {"nothing", {}, 1, 1, 253, {}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    const KvCodeSet* target = Cs(r.to);
    const size_t count = r.target.size();
    std::vector<uint8_t> out(2 * count + 2, 0xEE);
    target->MapText(r.source.data(), r.from, r.unitFormat, out.data(), static_cast<uint32_t>(count));
    std::vector<uint16_t> units;
    for (size_t i = 0; i < count; ++i)
      units.push_back(target->WidthGet() == 2 ? static_cast<uint16_t>(out[2 * i] | out[2 * i + 1] << 8)
                                              : out[i]);
    EXPECT_EQ(units, r.target);
    EXPECT_EQ(out[count * target->WidthGet()], 0xEE);  // nothing past the count
  }
}

TEST(CodeSets, CaseProperties) {
  struct Row {
    uint8_t cs;
    uint16_t unit;
    bool present;
    uint16_t upper, lower;
    std::vector<uint16_t> more;  // in the code set's own units
  };
  const Row rows[] = {
      {1, 'a', true, 'A', 0, {}},
      {1, 'A', true, 0, 'a', {}},
      {1, 0xDF, true, 'S', 0, {'S'}},  // ß: SS
      {253, 0xDF, true, 'S', 0, {'S'}},
      {1, 0xFF, true, 0x0178, 0, {}},  // ÿ: Ÿ is 0x9F in Windows-1252
      {2, 0xFF, false, 0, 0, {}},      // ISO-8859-1 has no Ÿ
      {1, 0x9F, true, 0, 0xFF, {}},
      {253, 0x0149, true, 0x02BC, 0, {'N'}},  // ŉ: ʼN
      {253, 0x00B5, true, 0x039C, 0, {}},     // µ: Greek capital mu
      {1, 0xB5, false, 0, 0, {}},             // which Windows-1252 lacks
      {4, 0xB9, true, 0x0104, 0, {}},         // ą: Ą
      {253, '1', false, 0, 0, {}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << int(r.cs) << " " << r.unit);
    const KvUnicodeProps* p = Cs(r.cs)->GetUnicodeProps(r.unit, 1);
    ASSERT_EQ(p != nullptr, r.present);
    if (p == nullptr) continue;
    EXPECT_EQ(p->upper, r.upper);
    EXPECT_EQ(p->lower, r.lower);
    std::vector<uint16_t> more;
    if (p->upperMore != nullptr)
      for (int16_t i = 0; i < p->upperMore->CountGet(); ++i) more.push_back(p->upperMore->ElementGet(i));
    EXPECT_EQ(more, r.more);
  }
}

// The collation record of a unit, variants of `language` applied.
const KvCollationRecord* RecordOf(uint8_t cs, uint16_t unit, uint8_t language) {
  const KvCollationRecord* r = Cs(cs)->OrderTableGet()->RecordGet(unit);
  const KvLanguage* lang = KvLanguageContext::QueryLanguage(language);
  for (int16_t i = 0; r->variantFlag && i < r->variantCount; ++i)
    if (r->variantLanguages[i] == lang) r = r->variantRecords[i];
  return r;
}

// The collation record of a unit, variants of `language` applied, with its
// expansion as a list of orders.
std::vector<uint16_t> OrdersOf(uint8_t cs, uint16_t unit, uint8_t language = 1) {
  const KvCollationRecord* r = RecordOf(cs, unit, language);
  std::vector<uint16_t> out = {r->order};
  for (int16_t i = 0; i < r->expansionCount; ++i) out.push_back(r->expansionOrders->ElementGet(i));
  return out;
}

TEST(CodeSets, CollationOrders) {
  struct Row {
    const char* what;
    uint8_t cs;
    uint16_t unit;
    std::vector<uint16_t> orders;
  };
  const Row rows[] = {
      {"A", 1, 'A', {0x400C}},
      {"a", 1, 'a', {0x500C}},
      {"z", 253, 'z', {0x5070}},
      {"é", 1, 0xE9, {0x511C}},         // e, lower, accent 2
      {"É", 253, 0xC9, {0x411C}},
      {"ç", 2, 0xE7, {0x5094}},         // c with cedilla (1)
      {"Ø", 1, 0xD8, {0x4444}},         // O with stroke (8)
      {"Ð", 1, 0xD0, {0x4418}},         // eth is D with stroke
      {"ł", 4, 0xB3, {0x5438}},
      {"ß", 1, 0xDF, {0x57D4, 0x57D4}},  // s s, each with accent 15
      {"Æ", 253, 0xC6, {0x478C, 0x479C}},
      {"œ", 1, 0x9C, {0x57C4, 0x579C}},
      {"þ", 1, 0xFE, {0x57D8, 0x57A8}},
      {"ǅ", 253, 0x1C5, {0x4798, 0x57F0}},
      {"tab", 1, 9, {9}},
      {"line feed", 1, 10, {10}},
      {"carriage return", 1, 13, {14}},
      {"space", 1, 32, {32}},
      {"no-break space", 1, 0xA0, {33}},
      {"control", 1, 1, {13}},
      {"undefined byte", 1, 0x81, {13}},
      {"_", 1, '_', {80 + 32}},
      {"-", 1, '-', {80 + 36}},
      {"*", 1, '*', {80 + 79}},
      {"?", 1, '?', {80 + 42}},
      {"%", 1, '%', {80 + 83}},
      {"apostrophe", 1, '\'', {80 + 52}},
      {"acute accent", 1, 0xB4, {80 + 88}},
      {"¿", 2, 0xBF, {80 + 139}},
      {"µ is a symbol", 1, 0xB5, {80 + 110}},
      {"€", 1, 0x80, {80 + 163}},
      {"€ in ISO-8859-15", 3, 0xA4, {80 + 163}},
      {"0", 1, '0', {0x3F00}},
      {"9", 253, '9', {0x3F5A}},
      {"²", 1, 0xB2, {0x3F15}},
      {"¾", 1, 0xBE, {0x3F1F, 80 + 162, 0x3F28}},  // 3 expanded, fraction slash, 4
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    EXPECT_EQ(OrdersOf(r.cs, r.unit), r.orders);
  }
  EXPECT_EQ(Cs(253)->OrderTableGet()->limit, 512);
  EXPECT_EQ(Cs(253)->OrderTableGet()->RecordGet(512), nullptr);
  EXPECT_EQ(Cs(1)->OrderTableGet()->limit, 256);
}

TEST(CodeSets, ContractionRecords) {
  struct Row {
    const char* what;
    uint16_t unit;
    uint8_t language;
    int16_t index;
    int result;
    uint16_t order;  // of the contraction found
  };
  const Row rows[] = {
      {"Spanish c with h", 'c', 2, 0, 0, 0x5015},
      {"Spanish c, a negative index", 'c', 2, -1, 1, 0},
      {"Spanish c, past its successors", 'c', 2, 2, 1, 0},
      {"neutral c begins none", 'c', 1, 0, 1, 0},
      {"a begins none", 'a', 2, 0, 1, 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    const KvCollationRecord* record = RecordOf(1, r.unit, r.language);
    const KvCollationRecord* found = nullptr;
    EXPECT_EQ(record->ContractionGet(r.index, &found), r.result);
    if (r.result == 0) {
      ASSERT_NE(found, nullptr);
      EXPECT_EQ(found->order, r.order);
    } else {
      EXPECT_EQ(found, nullptr);  // left as it was
    }
  }
}

TEST(CodeSets, LanguageVariants) {
  struct Row {
    const char* what;
    uint8_t cs;
    uint16_t unit;
    uint8_t language;
    std::vector<uint16_t> orders;
  };
  const Row rows[] = {
      {"ñ neutral", 1, 0xF1, 1, {0x52C0}},
      {"ñ Spanish follows n", 1, 0xF1, 2, {0x5041}},
      {"Ñ Spanish", 253, 0xD1, 2, {0x4041}},
      {"å Danish after z", 1, 0xE5, 3, {0x507C}},
      {"Æ Danish", 253, 0xC6, 3, {0x4074}},
      {"ø Danish", 1, 0xF8, 3, {0x5078}},
      {"å Swedish", 1, 0xE5, 4, {0x5074}},
      {"ä Swedish", 1, 0xE4, 4, {0x5078}},
      {"æ Swedish as ä", 1, 0xE6, 4, {0x57F8}},
      {"ä phone book", 1, 0xE4, 5, {0x530C, 0x501C}},
      {"Ü phone book", 253, 0xDC, 5, {0x435C, 0x401C}},
      {"ä neutral", 1, 0xE4, 1, {0x530C}},
      {"unknown language is neutral", 1, 0xE5, 9, {0x538C}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    EXPECT_EQ(OrdersOf(r.cs, r.unit, r.language), r.orders);
  }
  struct Lang {
    uint8_t id;
    bool present;
    uint16_t hasVariants;
  };
  for (const Lang& l : {Lang{1, true, 0}, Lang{2, true, 1}, Lang{5, true, 1}, Lang{0, false, 0},
                        Lang{6, false, 0}}) {
    const KvLanguage* language = KvLanguageContext::QueryLanguage(l.id);
    ASSERT_EQ(language != nullptr, l.present) << int(l.id);
    if (language != nullptr) {
      EXPECT_EQ(language->hasVariants, l.hasVariants);
    }
  }
}

}  // namespace
