// The character layer and collation: code sets and their Unicode mappings,
// case, collation orders and languages, characters and the text walker, the
// names of order values, and the collation engine with its byte path.
#include <cstdio>

#include <gtest/gtest.h>

#include "kvcollate.h"
#include "test_util.h"

namespace {

using Units = std::vector<uint16_t>;
using L = std::vector<int64_t>;  // results in the order listed, which braces keep
const KvCodeSet* Cs(uint8_t id) { return KvLanguageContext::QueryCodeSet(id); }

// Text of the units in the code set's width (16-bit units in this host's
// byte order), terminated.
std::string TextOf(const Units& units, uint8_t cs) {
  std::string text;
  for (uint16_t u : units) text += Cs(cs)->WidthGet() == 1 ? std::string(1, char(u)) : std::string((char*)&u, 2);
  return text + std::string(Cs(cs)->WidthGet(), '\0');
}

// The orders GetNextOrder yields for the units in code set `cs`.
Units OrdersOf(const Units& units, uint8_t cs, uint8_t language = 1, uint8_t format = 1) {
  std::string text = TextOf(units, cs);
  KvStringIterator it(text.data(), cs, language, format);
  Units out;
  for (uint16_t o; out.size() < 20 && (o = it.GetNextOrder(1)) != 0;) out.push_back(o);
  return out;
}

TEST(CodeSets, IdsAndUnicodeMappings) {
  const std::tuple<uint8_t, const char*, int> rows[] = {
      {1, "Windows-1252", 1}, {2, "ISO-8859-1", 1}, {3, "ISO-8859-15", 1}, {4, "Windows-1250", 1},
      {5, "ISO-8859-2", 1},   {253, "Unicode BMP", 2}, {6, nullptr, 1}, {224, nullptr, 1}, {225, nullptr, 2}};
  for (const auto& [id, name, width] : rows)  // unknown ids keep their own id
    EXPECT_EQ(std::tuple(Cs(id)->IdGet(), Cs(id)->WidthGet(), std::string(Cs(id)->NameGet() ? Cs(id)->NameGet() : "?")), std::tuple(id, width, name ? name : "?"));
  // Unknown ids behave as ISO-8859-1 or as 253; 0 is the native code set.
  EXPECT_EQ(Cs(6)->ToUnicode(0xA4) + Cs(254)->FromUnicode(0x20AC) + Cs(0)->IdGet(), 0xA4 + 0x20AC + 1);
  // Every byte of every 8-bit code set (whose characters check_utf8.py
  // checks against Python's codecs) into every code set, by MapText, MapFrom
  // and FromUnicode: the same character, or 0x1A; and back.
  std::string every;
  for (int b = 1; b < 256; ++b) every += char(b);
  for (uint8_t from = 1; from <= 5; ++from) {
    for (uint8_t to : {1, 2, 3, 4, 5, 253}) {
      Units expected;
      for (int b = 1; b < 256; ++b) {
        const uint16_t u = Cs(from)->ToUnicode(b);
        expected.push_back(to == 253 ? u : 0x1A);
        for (int t = 1; t < 256 && to != 253; ++t) expected.back() = Cs(to)->ToUnicode(t) == u ? t : expected.back();
        ASSERT_EQ((L{Cs(to)->MapFrom(b, from), Cs(to)->FromUnicode(u)}), L(2, expected.back())) << int(from) << int(to) << b;
      }
      std::string out(2 * 255, '\0');
      Cs(to)->MapText(every.data(), from, 1, out.data(), 255);
      ASSERT_EQ(out.substr(0, 255 * Cs(to)->WidthGet()) + '\0', TextOf(expected, to).substr(0, 255 * Cs(to)->WidthGet() + 1));
    }
  }
  // What a code set lacks becomes its substitution character; 0 is native.
  EXPECT_EQ(Cs(1)->FromUnicode(0x4E2D) + Cs(4)->MapFrom(0xE6, 1) + Cs(2)->ToUnicode(0x100), 0x1A + 0x1A + 0xFFFD);
  EXPECT_EQ(Cs(1)->MapFrom(0xE9, 0), 0xE9);
  // MapText, one loop per kind of step: source bytes, target units.
  struct Row { std::vector<uint8_t> source; uint8_t from, unitFormat, to; Units target; };
  const Row steps[] = {
      {{0xAC, 0x20, 'a', 0}, 253, 8, 253, {0x20AC, 'a'}},  {{0x20, 0xAC, 0, 'a'}, 253, 2, 253, {0x20AC, 'a'}},
      {{0x80, 0x81}, 1, 2, 1, {0x80, 0x81}},               {{0x80, 'a'}, 0, 1, 253, {0x20AC, 'a'}},
      {{0x20, 0xAC, 0x4E, 0x2D}, 253, 2, 1, {0x80, 0x1A}}, {{0x41, 0x01}, 253, 1, 4, {0xA3}},
      {{0x8A, 0xE6, 0xA3}, 1, 1, 4, {0x8A, 0x1A, 0x1A}},   {{0x40, 0x0C}, 254, 2, 253, {0x400C}}, {{}, 1, 1, 253, {}}};
  for (const Row& r : steps) {
    const size_t size = r.target.size() * Cs(r.to)->WidthGet();
    std::string out(size + 2, '\xEE');
    Cs(r.to)->MapText(r.source.data(), r.from, r.unitFormat, out.data(), static_cast<uint32_t>(r.target.size()));
    EXPECT_EQ(out, TextOf(r.target, r.to).substr(0, size) + "\xEE\xEE") << &r - steps;  // nothing past the count
  }
}

// Order values: letters 0x4000 | case << 12 | accent << 7 | letter << 2 |
// extension, digits 0x3F00 + 10 × digit (bit 0 for expanded forms), symbols
// 80 + number, spaces below 80; ligatures expand, languages vary records.
TEST(CodeSets, CollationOrdersAndLanguages) {
  struct Row { uint8_t cs; Units units; uint8_t language; Units orders; };
  const Row rows[] = {
      {1, {'A', 'a', 'z', 0xE9, 0xC9, 0xE7, 0xD8, 0xD0}, 1, {0x400C, 0x500C, 0x5070, 0x511C, 0x411C, 0x5094, 0x4444, 0x4418}},
      {1, {0xDF, 0xC6, 0x9C, 0xFE}, 1, {0x57D4, 0x57D4, 0x478C, 0x479C, 0x57C4, 0x579C, 0x57D8, 0x57A8}},  // ß Æ œ þ
      {1, {9, 10, 13, 32, 0xA0, 1, 0x81}, 1, {9, 10, 14, 32, 33, 13, 13}},  // tab LF CR space nbsp control undefined
      {1, {'_', '-', '*', '?', '%', '\'', 0xB4, 0xB5, 0x80}, 1, {112, 116, 159, 122, 163, 132, 168, 190, 243}},
      {3, {0xBF, 0xA4}, 1, {80 + 139, 80 + 163}},                                       // ¿ €
      {1, {'0', '9', 0xB2, 0xBE}, 1, {0x3F00, 0x3F5A, 0x3F15, 0x3F1F, 80 + 162, 0x3F28}},  // ² ¾
      {253, {'A', 0x0142, 0x1C5, 0x4E2D}, 1, {0x400C, 0x5438, 0x4798, 0x57F0, 0x4E2D}},    // from 512 the value itself
      {254, {0x400C, 0x9999, 0x3F00}, 1, {0x400C, 0x9999, 0x3F00}},                      // units that are orders
      {1, {'c', 'h', 'C', 'h', 'C', 'H', 'l', 'l', 0xF1, 0xD1, 'c'}, 2, {0x5015, 0x4015, 0x4015, 0x5039, 0x5041, 0x4041, 0x5014}},
      {253, {'c', 'h'}, 2, {0x5015}},  {1, {'c', 'h', 0xF1}, 1, {0x5014, 0x5028, 0x52C0}},  // Spanish, neutral
      {1, {'a', 'a', 'A', 'a', 'a', 'b', 0xE5, 0xC6, 0xF8}, 3, {0x507C, 0x407C, 0x500C, 0x5010, 0x507C, 0x4074, 0x5078}},
      {1, {0xE5, 0xE4, 0xE6}, 4, {0x5074, 0x5078, 0x57F8}},  {1, {0xE4, 0xDC}, 5, {0x530C, 0x501C, 0x435C, 0x401C}},
      {1, {0xE5, 0xE4}, 9, {0x538C, 0x530C}},  // an unknown language is neutral
  };
  for (const Row& r : rows) EXPECT_EQ(OrdersOf(r.units, r.cs, r.language), r.orders) << &r - rows;
  EXPECT_EQ(OrdersOf({0x4100, 0x6200}, 253, 1, 2), (Units{0x400C, 0x5010}));  // most significant byte first
  EXPECT_EQ((L{Cs(253)->OrderTableGet()->limit, Cs(1)->OrderTableGet()->limit}), (L{512, 256}));
  EXPECT_EQ(Cs(253)->OrderTableGet()->RecordGet(512), nullptr);
  // Contractions: Spanish c begins one (with h) at index 0, no other.
  const KvCollationRecord *c = Cs(1)->OrderTableGet()->RecordGet('c')->variantRecords[0], *found = nullptr;
  EXPECT_EQ((L{c->ContractionGet(-1, &found), c->ContractionGet(2, &found), found != nullptr}), (L{1, 1, 0}));
  ASSERT_EQ(c->ContractionGet(0, &found), 0);
  EXPECT_EQ(found->order, 0x5015);
  EXPECT_EQ((L{KvLanguageContext::QueryLanguage(1)->hasVariants, KvLanguageContext::QueryLanguage(5)->hasVariants}), (L{0, 1}));
  EXPECT_TRUE(KvLanguageContext::QueryLanguage(0) == nullptr && KvLanguageContext::QueryLanguage(6) == nullptr);
}

TEST(Iterator, ClassEndOverflowStepsAndTransform) {
  Units units = {0x4E2D, 'a', 0}, orders = {0x400C, 0};
  KvStringIterator it(units.data(), 253, 1, 1), it2(units.data(), 253, 1, 1), it3(orders.data(), 254, 1, 1);
  EXPECT_EQ((L{it.GetNextOrder(0), it.CollationClassGet()}), (L{0x4E2D, 1}));  // setClass 0 leaves the class
  EXPECT_EQ((L{it2.GetNextOrder(1), it2.CollationClassGet(), it2.GetNextOrder(1), it2.CollationClassGet(), it3.GetNextOrder(1)}),
            (L{0x4E2D, 20, 0x500C, 1, 0x400C}));
  for (KvStringIterator* end : {&it2, &it3}) {  // at the end it stays, order text too
    char* at = end->PositionGet();
    EXPECT_EQ((L{end->GetNextOrder(1), end->GetNextOrder(1), end->PositionGet() - at}), (L{0, 0, 0}));
  }
  // Overflow characters are delivered before the iterator moves on.
  char text[] = "x";
  KvStringIterator over(text, 1, 1, 1);
  const uint16_t extra[] = {'Y', 'Z'};
  const KvWCharList list = {2, extra};
  EXPECT_EQ((++over).IsEOS(), 1);
  over.SetOverflow(&list, 255);  // 255: the iterator's code set
  EXPECT_EQ((L{over.IsEOS(), (*over).ValueGet(), (over++, (*over).ValueGet()), (*over).CodeSetGet(), over.PositionGet() - text,
               (++over).PositionGet() - text, (--over).PositionGet() - text}), (L{0, 'Y', 'Z', 1, 1, 2, 1}));
  Units abc = {'a', 'b', 'c', 0};
  KvStringIterator walk(abc.data(), 253, 1, 1), start(walk), before = walk++, none;  // none: no text, and stays so
  EXPECT_EQ((L{before == start, walk == start, (walk.Step(1), (*walk).ValueGet()), (walk.Step(0), walk--).PositionGet() - start.PositionGet(),
               walk == start, (none++, none--, none.PositionGet() == nullptr)}), (L{1, 0, 'c', 2, 1, 1}));
  // Over a single character, which it owns; copies share it.
  KvChar q('q', 1, 1), han(static_cast<unsigned short>(0x4E2D), 253, 1);
  KvStringIterator single(q), copy(single), assigned;
  assigned = single;
  EXPECT_EQ((L{(++copy).IsEOS(), assigned.GetNextOrder(1), KvStringIterator(han).GetNextOrder(1)}), (L{1, 0x504C, 0x4E2D}));
  // Case mapping grows the text: ß to SS, ÿ to Ÿ, ŉ to ʼN; an 8-bit code set
  // maps a character only to counterparts it holds (ISO-8859-1 has no Ÿ, no Μ).
  const std::tuple<bool, uint8_t, Units, Units> rows[] = {
      {true, 1, {'s', 0xDF, '1', 0xFF, 0xB5}, {'S', 'S', 'S', '1', 0x9F, 0xB5}}, {false, 1, {0xC0, 0xC9, 'X', 0x9F}, {0xE0, 0xE9, 'x', 0xFF}},
      {true, 2, {0xFF, 0xE9}, {0xFF, 0xC9}}, {true, 4, {0xB9}, {0xA5}}, {true, 253, {0x0149, 'a', 0xB5}, {0x02BC, 'N', 'A', 0x039C}}};
  for (const auto& [upper, cs, in, out] : rows) {
    std::string source = TextOf(in, cs), target(16, '#');
    KvStringIterator from(source.data(), cs, 1, 1), to(target.data(), cs, 1, 1);
    ToUpperOperation up; ToLowerOperation down;
    from.Transform(to, upper ? static_cast<KvCharOperation&>(up) : down);
    const std::string expected = TextOf(out, cs);
    EXPECT_EQ(target.substr(0, expected.size() + 1), expected + '#');
    EXPECT_EQ(to.PositionGet(), target.data() + expected.size());  // past the terminator
  }
}

// Writes into 8-bit text write one byte, into 16-bit text one whole unit in
// the text's byte order; a copy holds the value as read and writes nowhere.
TEST(Char, WritesCopiesMappingsAndClasses) {
  KvString s("abc"), empty;
  char bytes[] = "ab";
  uint8_t units[] = {0x41, 0x41, 0, 0}, msb[] = {0x00, 0x41, 0, 0};
  KvChar x(s, 1), none(empty, 0), big(reinterpret_cast<char*>(msb), 253, 1, 2), free('a', 1, 1);  // none: the shared empty text
  KvChar copy(x = 'X');
  copy = 'Y';
  KvChar(s, 2) = KvChar(static_cast<unsigned short>(0x20AC), 253, 1);  // € mapped to 0x80
  none = 'X';
  none = static_cast<unsigned short>(0x4142);
  KvChar(bytes, 1, 1, 1) = static_cast<unsigned short>(0x4142);
  KvChar(reinterpret_cast<char*>(units), 253, 1, 1) = 'x';
  EXPECT_EQ(std::string(s.StrGet()) + char(copy.ValueGet()) + bytes + char(units[0]) + char('0' + units[1]), "aX\x80YBbx0");
  EXPECT_EQ((L{KvString().StrGet()[0], none.ValueGet(), big.ValueGet(), KvChar(big).ValueGet()}), (L{0, 0, 0x41, 0x41}));
  free = (big = static_cast<unsigned short>(0x0142));
  EXPECT_EQ((L{free.ValueGet(), free.CodeSetGet(), msb[0], msb[1], (free = 'Z', msb[1])}), (L{0x0142, 253, 0x01, 0x42, 0x42}));
  free = KvChar('\x80', 4, 5);
  free = free;
  EXPECT_EQ((L{free.ValueGet(), free.CodeSetGet(), free.LanguageGet()}), (L{0x80, 4, 5}));
  const std::tuple<KvChar, KvChar, int> pairs[] = {
      {KvChar('a', 255, 255), KvChar('a', 1, 1), 1}, {KvChar('\xA3', 4, 1), KvChar('\xA3', 5, 1), 1},  // Ł, Ł
      {KvChar('\xA3', 1, 1), KvChar('\xA3', 4, 1), 0}, {KvChar('a', 1, 1), KvChar('A', 1, 1), 0},      // £, Ł
      {KvChar('\x80', 1, 1), KvChar(static_cast<unsigned short>(0x20AC), 253, 1), 1}};
  for (const auto& [a, b, equal] : pairs) EXPECT_EQ((L{a == b, a != b}), (L{equal, !equal}));
  EXPECT_EQ((L{KvChar('a', 255, 255) == 'a', KvChar(uint16_t('a')) == uint16_t('a'), KvChar('\x80', 1, 1).MapTo(253).ValueGet(),
               KvChar('\x80', 1, 1).MapTo(2).ValueGet(), KvChar('\x80', 1, 1).MapTo(0).CodeSetGet(), KvChar('\xE9', 1, 1).ToUpper(nullptr).ValueGet(),
               // Code set 0 cases as the C locale does.
               KvChar('\xC9', 0, 1).ToLower(nullptr).ValueGet(), KvChar('Q', 0, 1).ToLower(nullptr).ValueGet(), KvChar('\xE9', 0, 1).ToUpper(nullptr).ValueGet()}),
            (L{1, 1, 0x20AC, 0x1A, 1, 0xC9, 0xC9, 'q', 0xE9}));
  // Classes by order: 0 space, 1 symbol, 2 digit, 3 letter, 4 Han.
  const std::pair<uint16_t, int> classes[] = {{' ', 0}, {1, 0}, {'_', 1}, {512, 1}, {16127, 1}, {'7', 2}, {0xB2, 2},
                                              {16128, 2}, {0xE9, 3}, {16384, 3}, {32767, 3}, {32768, 4}, {40000, 4}};
  for (const auto& [unit, cls] : classes) {
    const KvChar ch = unit < 256 ? KvChar(static_cast<char>(unit), 1, 1) : KvChar(unit, 253, 1);
    EXPECT_EQ(ch.IsSpace() | ch.IsSymbol() << 1 | ch.IsDigit() << 2 | ch.IsAlpha() << 3 | ch.IsHan() << 4, 1 << cls) << unit;
  }
}

std::string NameOf(uint16_t order, uint8_t cls) {
  KvString text;
  EXPECT_EQ(KvConvertOrderToString(order, cls, text), 0);
  return text.StrGet();
}
const char* const kUntouched = "untouched";  // a notation the functions did not set
std::pair<unsigned char, std::string> CharOf(uint16_t order, uint8_t cls, int exact) {
  unsigned char ch = 0, plain = 0;  // plain: without a place for the notation, the same
  const char* notation = kUntouched;
  EXPECT_EQ(KvConvertOrderToChar(order, cls, ch, exact, &notation) + KvConvertOrderToChar(order, cls, plain, exact, nullptr), 0);
  EXPECT_EQ(plain, ch);
  return {ch, notation};
}

TEST(OrderNames, NamedSymbolsAccentsAndNotations) {
  const std::pair<uint16_t, const char*> rows[] = {
      {80 + 46, "symbol full stop"}, {80 + 52, "symbol apostrophe"}, {80 + 55, "symbol \""}, {80 + 88, "symbol '"},
      {80 + 58, "symbol left pointing double angle quotation mark"}, {80 + 139, "symbol inverted question mark"},
      {0x57D4, "lower letter s with "},  // accent 15, the parts of ligatures: no name
      {0x4795, "upper letter C with  with extension"}, {0x007E, "symbol full stop"}};  // class 19 is not Han
  for (const auto& [order, text] : rows) EXPECT_EQ(NameOf(order, order == 0x7E ? 19 : 1), text) << order;
  const std::pair<uint16_t, const char*> accents[] = {  // each accent's name, on a letter that carries it
      {0xE7, "c with cedilla"},     {0xE9, "e with accent acute"},   {0xE8, "e with accent grave"},
      {0xEA, "e with accent circumflex"}, {0xF1, "n with tilde"},    {0xEB, "e with diaeresis"},
      {0xE5, "a with ring above"},  {0x142, "l with stroke"},        {0x161, "s with accent caron"},
      {0x101, "a with accent macron"}, {0x103, "a with accent breve"}, {0x17C, "z with dot above"},
      {0x105, "a with ogonek"},     {0x151, "o with accent double acute"}};
  for (const auto& [ch, text] : accents) EXPECT_EQ(NameOf(OrdersOf({ch}, 253)[0], 1), std::string("lower letter ") + text);
  // The notation of every letter 192 to 255 of Windows-1252: a backslash, the
  // mark of its accent, its letter; the ring and the letters that expand
  // have two letters, and æ begins with the order of ª, which comes first.
  const char marks[] = {0, ',', '\'', '`', '^', '~', '"', 0, '-'};
  const std::tuple<uint8_t, unsigned char, const char*> specials[] = {
      {0xC5, 0xC5, "\\AA"}, {0xE5, 0xE5, "\\aa"}, {0xC6, 0xC6, "\\AE"}, {0xE6, 0xAA, ""},
      {0xDE, 0xDE, "\\TH"}, {0xFE, 0xFE, "\\th"}, {0xDF, 0xDF, "\\ss"}};
  for (unsigned c = 192; c <= 255; ++c) {
    if (c == 215 || c == 247) continue;  // × and ÷
    const uint16_t order = OrdersOf({uint16_t(c)}, 1)[0];
    const unsigned accent = (order >> 7) & 31;
    std::pair<unsigned char, std::string> expected = {
        uint8_t(c), {'\\', marks[accent < 9 ? accent : 0], char((order & 0x3000 ? 'a' : 'A') + ((order >> 2) & 31) - 3)}};
    for (const auto& [ch, found, notation] : specials) expected = ch == c ? std::pair{found, std::string(notation)} : expected;
    EXPECT_EQ(CharOf(order, 1, 1), expected) << c;
  }
  // Ÿ is found but below 192 has no notation; for no character of the order, the plain letter.
  EXPECT_EQ((std::vector{CharOf(0x511C, 1, -1), CharOf(0x436C, 1, 1), CharOf(0x4774, 1, 1)}),
            (std::vector<std::pair<unsigned char, std::string>>{{0xE9, "\\'e"}, {0x9F, ""}, {'[', ""}}));
  // The printable ASCII symbols name and give back themselves, or are named
  // in words and give '.'.
  int symbols = 0;
  for (unsigned c = 0x21; c < 0x7F; ++c) {
    const uint16_t order = OrdersOf({uint16_t(c)}, 1)[0];
    if (order < 80 || order >= 16128) continue;
    const std::string name = NameOf(order, 1).substr(7);
    const unsigned char ch = CharOf(order, 1, 0).first;
    EXPECT_TRUE(name.size() == 1 ? name[0] == char(c) && ch == c : name.size() > 1 && (ch == c || ch == '.')) << c;
    ++symbols;
  }
  EXPECT_EQ(symbols, 32);
  unsigned short field = 999, digit = 999, expanded = 999;  // unchanged on refusal
  EXPECT_EQ((L{KvExtractSymbolFromOrder(79, field), KvExtractSymbolFromOrder(16128, field), KvExtractDigitFromOrder(16127, digit, expanded),
               KvExtractDigitFromOrder(16384, digit, expanded), field, digit, expanded}), (L{-2002, -2002, -2002, -2002, 999, 999, 999}));
}

// Every order value, in ordinary classes and in the Han class, through the
// names, the characters and the fields: each result is of the class the
// value's range describes.
TEST(OrderNames, EveryOrderValue) {
  for (uint8_t cls : {0, 1, 5, 20}) {
    for (unsigned v = 0; v <= 0xFFFF; ++v) {
      const std::string text = NameOf(uint16_t(v), cls);
      const auto plain = CharOf(uint16_t(v), cls, 0), exact = CharOf(uint16_t(v), cls, 1);
      unsigned short symbol = 0, digit = 0, expanded = 0;
      ASSERT_EQ(KvExtractSymbolFromOrder(uint16_t(v), symbol) == 0, v >= 80 && v < 16128) << v;  // whatever the class
      ASSERT_EQ(KvExtractDigitFromOrder(uint16_t(v), digit, expanded) == 0, v >= 16128 && v < 16384) << v;
      if (cls >= 20 || v >= 0x8000) {
        char expected[32];
        std::snprintf(expected, sizeof expected, "HAN character 0x%04x\n", v);
        ASSERT_EQ(std::tuple(text, plain.first, exact.first, exact.second), std::tuple(expected, 127, 127, kUntouched)) << v;
      } else if (v < 80) {
        ASSERT_EQ(text + char(plain.first), v == 13 ? "undefined ordering indicator " : "space ") << v;
      } else if (v < 16128) {
        ASSERT_EQ(text.substr(0, 7) + std::to_string(symbol), "symbol " + std::to_string(v - 80)) << v;
        // A name and a character come together, for the numbers 32 to 139.
        ASSERT_EQ(text.size() > 7, plain.first != '7') << v;
        ASSERT_TRUE(text.size() == 7 || (symbol >= 32 && symbol <= 139)) << v;
      } else if (v < 16384) {
        const unsigned d = (v - 16128) / 10;  // bit 0 never reaches the next ten
        ASSERT_EQ(std::tuple(digit, expanded), std::tuple(d, v & 1)) << v;
        ASSERT_EQ(text, "digit " + std::to_string(d) + ((v & 1) ? " with expand" : "")) << v;
        ASSERT_TRUE(d > 9 || plain.first == '0' + d) << v;
      } else {
        // A letter's character is its index + 62 (upper case) or + 94 (lower),
        // so that it reads back to its index whatever the language.
        const bool lower = ((v >> 12) & 3) != 0;
        const unsigned accent = (v >> 7) & 31, extension = v & 3;
        const std::string letter(2, static_cast<char>(((v >> 2) & 31) + (lower ? 94 : 62)));
        ASSERT_EQ(text.substr(0, 14) + char(plain.first), (lower ? "lower letter " : "upper letter ") + letter) << v;
        ASSERT_EQ(text.find(" with ") != std::string::npos, accent != 0 || extension != 0) << v;
        ASSERT_EQ(text.size() >= 15 && text.compare(text.size() - 15, 15, " with extension") == 0, extension != 0) << v;
        ASSERT_TRUE(accent == 0 ? exact.second == kUntouched : exact.second.empty() || exact.second.size() == 3) << v;
        // A character of the upper half found is one of exactly this order.
        ASSERT_TRUE(accent == 0 || exact.first < 128 || exact.first == plain.first || OrdersOf({exact.first}, 1)[0] == v) << v;
      }
    }
  }
}

constexpr int kAny = -1;  // a level not checked

// Texts in Windows-1252 (code set 1) or bytes (code set 0) under an
// operator: the sign and level expected, under a character limit and a language.
struct Row { const char *a, *b; uint16_t op; int sign, level = kAny; int32_t limit = -1; uint8_t language = 1; };

TEST(Collation, LevelsOperatorsWildcardsLimitsAndLanguages) {
  const Row rows[] = {
      // Accents: the difference nearest the end decides; accents before case.
      {"cote", "c\xF4te", 0x10, -1, KvLEVEL_ACCENT}, {"c\xF4te", "cot\xE9", 0x10, -1, KvLEVEL_ACCENT},
      {"\xC9", "e", 0x10, 1, KvLEVEL_ACCENT},
      // Case: lower before upper, the first difference decides.
      {"a", "A", 0x10, -1, KvLEVEL_CASE}, {"Ab", "aB", 0x10, 1, KvLEVEL_CASE},
      // Punctuation last: a text without ignorables counts 0; the last differing pair decides.
      {"ab", "a-b", 0x10, -1, KvLEVEL_PUNCTUATION}, {"a-b", "a_b", 0x10, 1, KvLEVEL_PUNCTUATION},
      {"a-b-c", "a-b_c", 0x10, 1, KvLEVEL_PUNCTUATION}, {"a_b-c", "a-b-c", 0x10, -1, KvLEVEL_PUNCTUATION},
      // The primary level beats all others; digits before letters.
      {"a-c", "ab", 0x10, 1, KvLEVEL_PRIMARY}, {"\xE9z", "fa", 0x10, -1, KvLEVEL_PRIMARY},
      {"a\x01" "c", "ab", 0x10, 1, KvLEVEL_PRIMARY},  // a control character is ignorable, not an end
      {"ab", "abc", 0x10, -1, KvLEVEL_PRIMARY}, {"", "", 0x10, 0, KvLEVEL_EQUAL},
      {"1", "a", 0x10, -1, KvLEVEL_PRIMARY},
      // Expansions: ß is s s with an accent, Æ is A E.
      {"stra\xDF" "e", "strasse", 0x10, 1, KvLEVEL_ACCENT}, {"\xC6", "AF", 0x10, -1, KvLEVEL_PRIMARY},
      // Ignore case 0x20, accents 0x40; skip spaces 0x80, symbols 0x200; simple order 0x100.
      {"a", "A", 0x30, 0}, {"c\xF4te", "cote", 0x30, 1}, {"a", "A", 0x50, -1}, {"C\xF4TE", "cote", 0x70, 0},
      {"\xDF", "ss", 0x50, 0}, {"a b", "ab", 0x90, 0}, {"a-b", "ab", 0x90, 1}, {"a-b", "ab", 0x210, 0},
      {"a b", "ab", 0x210, 1}, {"a", "A", 0x110, 1}, {"ab", "a-b", 0x110, 1}, {"abc", "a*c", 0x100, 1},
      // Wildcards: only operand 2's, without bit 0x10 (exact); a star retries.
      {"abc", "a?c", 0, 0}, {"", "*", 0, 0}, {"abc", "**c", 0, 0}, {"abcxc", "a*c", 0, 0}, {"aXbXbc", "a*bc", 0, 0},
      {"abab", "*ab", 0, 0}, {"abcd", "a*c*d", 0, 0}, {"abc", "a*d", 0, -1}, {"abac", "*ab", 0, -1},
      {"a", "a?", 0, -1}, {"abc", "a?", 0, 1}, {"ABC", "a*c", 0x20, 0}, {"\xE1" "bc", "a*c", 0x40, 0},
      {"abc", "a*c", 0x10, -1, KvLEVEL_PRIMARY},  // '*' a symbol
      {"a*c", "abc", 0, 1},
      // A star stands for characters, spaces and symbols, adding no punctuation difference.
      {"l'eau", "l*", 0, 0}, {"a-bc", "a*c", 0, 0},
      // The limit counts characters; ß is one character of two orders.
      {"abcd", "abcx", 0x10, 0, kAny, 3}, {"abcd", "abcx", 0x10, -1, kAny, 4}, {"abcd", "abcx", 0x10, 0, kAny, 0},
      {"\xDF" "a", "ssb", 0x10, 1, kAny, 2}, {"\xDF" "x", "\xDF" "y", 0x10, 0, kAny, 1},
      // Languages: Spanish ch and ñ, Danish aa, Swedish æ, German phone book ä.
      {"cz", "ch", 0x10, -1, kAny, -1, 2}, {"\xF1", "nz", 0x10, 1, kAny, -1, 2}, {"aa", "z", 0x10, 1, kAny, -1, 3},
      {"\xE6", "z", 0x10, 1, kAny, -1, 4}, {"M\xE4" "dchen", "Maedchen", 0x10, 1, kAny, -1, 5}};
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(r.a) + " / " + r.b + " op " + std::to_string(r.op) + " limit " + std::to_string(r.limit));
    int level = -1;
    long primary = 12345;
    const KvCollateText a{1, r.language, r.a}, b{1, r.language, r.b};
    EXPECT_EQ(Sign(KvCollate(a, b, r.op, r.limit, 1, &primary, &level)), r.sign);
    EXPECT_TRUE(r.level == kAny || level == r.level) << level;
    EXPECT_TRUE(r.op != 0x10 || Sign(KvCollate(b, a, r.op, r.limit, 1, nullptr, nullptr)) == -r.sign);
    EXPECT_TRUE((r.op & 0x80) != 0 || primary == 12345);  // set only under bit 0x80
  }
  // Under bit 0x80 the primary difference is given too, within the limit,
  // the skipped space of "a c" included.
  const std::pair<int32_t, int> limits[] = {{-1, 1}, {3, 1}, {2, -1}, {1, 0}};
  for (const auto& [limit, sign] : limits) {
    long primary = 12345;
    const int result = Sign(KvCollate({1, 1, "a c"}, {1, 1, "ab"}, 0x90, limit, 1, &primary, nullptr));
    EXPECT_EQ((L{result, Sign(primary)}), (L{sign, sign})) << limit;
  }
  // Texts of two code sets compare by their characters.
  const std::string e16 = TextOf({0xE9}, 253);  // é and é, Ł and Ł
  EXPECT_EQ((L{KvCollate({1, 1, "\xE9"}, {253, 1, e16.data()}, 0x10, -1, 1, nullptr, nullptr), KvCollate({4, 1, "\xA3"}, {5, 1, "\xA3"}, 0x10, -1, 1,
               nullptr, nullptr), KvCollate({1, 1, nullptr}, {1, 1, "a"}, 0x10, -1, 1, nullptr, nullptr) < 0}), (L{0, 0, 1}));
}

// The byte path matches the same texts as the collating path.
TEST(Collation, BytePath) {
  const Row rows[] = {
      {"abc", "a*c", 0, 0}, {"abc", "a?c", 0, 0}, {"abc", "a*d", 0, -1}, {"abcxc", "a*c", 0, 0},
      {"abxbc", "a*bc", 0, 0}, {"abxbd", "a*bc", 0, -1}, {"abc", "a*", 0, 0}, {"ab", "a?c", 0, -1},
      {"a", "a?", 0, -1}, {"abc", "a*c", 0x10, 1}, {"abc", "a?c", 0x100, 1}, {"a", "A", 0x10, 1},
      {"\xE9", "f", 0x10, 1}, {"abcd", "abcx", 0x10, 0, kAny, 3},  // bytes; the limit counts text 1's
      {nullptr, "a", 0x10, -1}, {nullptr, "", 0x10, 0}, {"a", nullptr, 0x10, 1}, {"", nullptr, 0x10, 0},
      {nullptr, "a", 0, -1}, {nullptr, "", 0, 0}, {"a", nullptr, 0, 1}, {"", nullptr, 0, 0}};
  for (const Row& r : rows)
    EXPECT_EQ(Sign(KvCollate({0, 1, r.a}, {0, 1, r.b}, r.op, r.limit, 1, nullptr, nullptr)), r.sign) << &r - rows;
}

// Characters from 512 on are their own orders, in class 20, after every
// character of the tables; the fast path skips only a truly identical start.
TEST(Collation, SixteenBitTextBeyondTheTablesAndWildcardPositions) {
  const std::tuple<Units, Units, int> rows[] = {
      {{0x4E2D}, {0x4E2E}, -1}, {{'a', 0x4E2E}, {'a', 0x4E2D}, 1}, {{0x4E2D, 'a'}, {0x4E2D, 'a'}, 0},
      {{0x4E2D}, {'z'}, 1},     {{0x0200}, {0x01FF}, 1},
      {{'A', 0x142}, {0x4241, 0x142}, -1},  // a first unit's high byte is the next unit's low byte
      {{'a', 'b', 'c', 'd', 'e', 0xE9}, {'a', 'b', 'c', 'd', 'e', 'e'}, 1}};
  for (const auto& [a, b, sign] : rows) {
    const std::string sa = TextOf(a, 253), sb = TextOf(b, 253);
    const KvCollateText ta{253, 1, sa.data(), uint32_t(sa.size())}, tb{253, 1, sb.data(), uint32_t(sb.size())};
    EXPECT_EQ((L{Sign(KvCollate(ta, tb, 0x10, -1, 1, nullptr, nullptr)), Sign(KvCollate(tb, ta, 0x10, -1, 1, nullptr, nullptr)),
                 Sign(KvCollate(ta, tb, 0x10, 8, 1, nullptr, nullptr))}), (L{sign, -sign, sign})) << a[0];
  }
  const std::tuple<uint8_t, std::string, bool, int32_t, int16_t, uint32_t> wildcards[] = {  // where the first one is
      {1, "ab*c?", false, -1, 2, 2}, {1, "ab?c*", false, -1, 2, 2}, {1, "ab?c*", true, -1, 4, 4},  // true: stars only
      {1, "abc", false, -1, -1, 999}, {1, "ab*c", false, 2, -1, 999}, {0, "x?", false, -1, 1, 1},
      {253, TextOf({'a', 'b', '*'}, 253), false, -1, 2, 4}};
  for (const auto& [cs, text, starOnly, limit, index, at] : wildcards) {
    uint32_t offset = 999;
    const int found = KvFindWildcard(KvCollateText{cs, 1, text.c_str()}, starOnly, limit, &offset, 1);
    EXPECT_EQ((L{found, offset}), (L{index, at})) << text;
  }
  EXPECT_EQ((L{KvStarOrder(), KvQuestionOrder()}), (L{80 + 79, 80 + 42}));
  // Code set 255 is the default 8-bit one, byte by byte, on every path.
  const KvCollateText d1{255, 255, "\x9d\x0b\x8b"}, d2{255, 255, "\x9c\x88\x2a"};
  EXPECT_EQ(KvCollate(d1, d2, 0x10, -1, 2, nullptr, nullptr), KvCollateGeneral(d1, d2, 0x10, -1, 2, nullptr, nullptr));
}

}  // namespace
