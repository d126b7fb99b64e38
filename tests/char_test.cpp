// Facts about characters and the text walker: references into text, code
// set mapping, case, classes, overflow lists and collation orders.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "kvtm/kvtm.h"

namespace {

// The orders GetNextOrder yields for 8-bit text, up to the end.
std::vector<uint16_t> Orders8(const std::string& text, uint8_t cs, uint8_t language) {
  std::string copy = text;
  KvStringIterator it(copy.data(), cs, language, 1);
  std::vector<uint16_t> out;
  for (int guard = 0; guard < 100; ++guard) {
    const uint16_t o = it.GetNextOrder(1);
    if (o == 0) break;
    out.push_back(o);
  }
  return out;
}

std::vector<uint16_t> Orders16(std::vector<uint16_t> units, uint8_t cs, uint8_t language,
                               uint8_t format = 1) {
  units.push_back(0);
  KvStringIterator it(units.data(), cs, language, format);
  std::vector<uint16_t> out;
  for (int guard = 0; guard < 100; ++guard) {
    const uint16_t o = it.GetNextOrder(1);
    if (o == 0) break;
    out.push_back(o);
  }
  return out;
}

TEST(GetNextOrder, ContractionsExpansionsAndVariants) {
  struct Row {
    const char* what;
    std::string text;  // Windows-1252
    uint8_t language;
    std::vector<uint16_t> orders;
  };
  const Row rows[] = {
      {"ch is one letter in Spanish", "chico", 2, {0x5015, 0x502C, 0x5014, 0x5044}},
      {"Ch", "Chico", 2, {0x4015, 0x502C, 0x5014, 0x5044}},
      {"CH", "CHICO", 2, {0x4015, 0x402C, 0x4014, 0x4044}},
      {"c then h in the neutral language", "chi", 1, {0x5014, 0x5028, 0x502C}},
      {"ll", "calle", 2, {0x5014, 0x500C, 0x5039, 0x501C}},
      {"c at the end", "ac", 2, {0x500C, 0x5014}},
      {"ch at the end", "ch", 2, {0x5015}},
      {"ñ follows n in Spanish", "\xF1", 2, {0x5041}},
      {"aa is å in Danish", "aab", 3, {0x507C, 0x5010}},
      {"Aa", "Aa", 3, {0x407C}},
      {"a then b in Danish", "ab", 3, {0x500C, 0x5010}},
      {"å after z in Danish", "\xE5z", 3, {0x507C, 0x5070}},
      {"ß expands to s s", "a\xDF", 1, {0x500C, 0x57D4, 0x57D4}},
      {"Æ expands to A E", "\xC6", 1, {0x478C, 0x479C}},
      {"ä as ae in the phone book", "M\xE4" "d", 5, {0x403C, 0x530C, 0x501C, 0x5018}},
      {"¼", "\xBC", 1, {0x3F0B, 80 + 162, 0x3F28}},
      {"spaces and symbols", "a b-", 1, {0x500C, 32, 0x5010, 80 + 36}},
      {"empty", "", 1, {}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    EXPECT_EQ(Orders8(r.text, 1, r.language), r.orders);
  }
}

TEST(GetNextOrder, SixteenBitTextAndOrderText) {
  struct Row {
    const char* what;
    std::vector<uint16_t> units;
    uint8_t cs;
    uint8_t format;
    std::vector<uint16_t> orders;
  };
  const Row rows[] = {
      {"Unicode", {'A', 0xE9, 0x0142}, 253, 1, {0x400C, 0x511C, 0x5438}},
      {"most significant byte first", {0x4100, 0x6200}, 253, 2, {0x400C, 0x5010}},
      {"from 512 on the value itself", {0x4E2D, 'a'}, 253, 1, {0x4E2D, 0x500C}},
      {"units that are orders", {0x400C, 0x9999, 0x3F00}, 254, 1, {0x400C, 0x9999, 0x3F00}},
      {"Spanish ch in Unicode", {'c', 'h'}, 253, 1, {0x5015}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    const uint8_t language = r.what[0] == 'S' ? 2 : 1;
    EXPECT_EQ(Orders16(r.units, r.cs, language, r.format), r.orders);
  }
}

TEST(GetNextOrder, ClassAndTheEnd) {
  std::vector<uint16_t> units = {0x4E2D, 'a', 0};
  KvStringIterator it(units.data(), 253, 1, 1);
  EXPECT_EQ(it.CollationClassGet(), 1);
  EXPECT_EQ(it.GetNextOrder(0), 0x4E2D);
  EXPECT_EQ(it.CollationClassGet(), 1);  // setClass 0 leaves it
  std::vector<uint16_t> again = units;
  KvStringIterator it2(again.data(), 253, 1, 1);
  EXPECT_EQ(it2.GetNextOrder(1), 0x4E2D);
  EXPECT_EQ(it2.CollationClassGet(), 20);
  EXPECT_EQ(it2.GetNextOrder(1), 0x500C);
  EXPECT_EQ(it2.CollationClassGet(), 1);
  // At the end it stays: 0 again and again, the position unchanged.
  char* end = it2.PositionGet();
  EXPECT_EQ(it2.GetNextOrder(1), 0);
  EXPECT_EQ(it2.GetNextOrder(1), 0);
  EXPECT_EQ(it2.PositionGet(), end);
  // So does order text.
  std::vector<uint16_t> orders = {0x400C, 0};
  KvStringIterator it3(orders.data(), 254, 1, 1);
  EXPECT_EQ(it3.GetNextOrder(1), 0x400C);
  char* orderEnd = it3.PositionGet();
  EXPECT_EQ(it3.GetNextOrder(1), 0);
  EXPECT_EQ(it3.PositionGet(), orderEnd);
}

TEST(Iterator, OverflowListIsDeliveredFirst) {
  char text[] = "x";
  KvStringIterator it(text, 1, 1, 1);
  const uint16_t extra[] = {'Y', 'Z'};
  const KvWCharList list = {2, extra};
  ++it;  // at the terminator
  EXPECT_EQ(it.IsEOS(), 1);
  it.SetOverflow(&list, 255);
  EXPECT_EQ(it.IsEOS(), 0);  // pending characters keep it going
  char* at = it.PositionGet();
  EXPECT_EQ((*it).ValueGet(), 'Y');
  ++it;
  EXPECT_EQ(it.PositionGet(), at);  // still pending: no move
  EXPECT_EQ((*it).ValueGet(), 'Z');
  EXPECT_EQ((*it).CodeSetGet(), 1);  // 255: the iterator's code set
  ++it;  // the list is done: the position moves on
  EXPECT_EQ(it.PositionGet(), at + 1);
  --it;
  EXPECT_EQ(it.PositionGet(), at);

  char empty[] = "";
  KvStringIterator none(empty, 1, 1, 1);
  EXPECT_EQ(none.IsEOS(), 1);
}

TEST(Iterator, StepsBothWaysAndComparesPositions) {
  struct Row {
    const char* what;
    uint8_t cs;
    std::vector<uint8_t> text;  // three units and the terminator
  };
  const Row rows[] = {
      {"8-bit", 1, {'a', 'b', 'c', 0}},
      {"16-bit", 253, {'a', 0, 'b', 0, 'c', 0, 0, 0}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    std::vector<uint8_t> text = r.text;
    char* base = reinterpret_cast<char*>(text.data());
    const int width = r.cs == 253 ? 2 : 1;
    KvStringIterator it = r.cs == 253
                              ? KvStringIterator(reinterpret_cast<unsigned short*>(text.data()), 253, 1, 1)
                              : KvStringIterator(base, 1, 1, 1);
    KvStringIterator start(it);
    KvStringIterator before = it++;
    EXPECT_EQ(before.PositionGet(), base);  // the value before the step
    EXPECT_EQ(it.PositionGet(), base + width);
    EXPECT_EQ(before == start, 1);
    EXPECT_EQ(it == start, 0);
    it.Step(1);
    EXPECT_EQ(it.PositionGet(), base + 2 * width);
    EXPECT_EQ((*it).ValueGet(), 'c');
    it.Step(0);
    EXPECT_EQ(it.PositionGet(), base + width);
    KvStringIterator after = it--;
    EXPECT_EQ(after.PositionGet(), base + width);
    EXPECT_EQ(it == start, 1);
    EXPECT_EQ((*it).ValueGet(), 'a');
  }
  // While overflow characters wait, a step delivers them instead of moving.
  char text[] = "x";
  KvStringIterator it(text, 1, 1, 1);
  const uint16_t extra[] = {'Y'};
  const KvWCharList list = {1, extra};
  it.SetOverflow(&list, 255);
  it++;
  EXPECT_EQ(it.PositionGet(), text);
  // A default iterator has no text: steps leave it without one.
  KvStringIterator none;
  none++;
  none--;
  EXPECT_EQ(none.PositionGet(), nullptr);
}

TEST(Iterator, TransformCaseMappingGrowsTheText) {
  struct Row {
    const char* what;
    bool upper;
    std::string in;
    std::string out;
  };
  const Row rows[] = {
      {"ß to SS", true, "stra\xDF" "e", "STRASSE"},
      {"ÿ to Ÿ in Windows-1252", true, "\xFF", "\x9F"},
      {"lower case", false, "\xC0\xC9X", "\xE0\xE9x"},
      {"digits stay", true, "a1", "A1"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    std::string source = r.in;
    std::vector<char> target(2 * (source.size() + 1), '#');
    KvStringIterator from(source.data(), 1, 1, 1);
    KvStringIterator to(target.data(), 1, 1, 1);
    ToUpperOperation up;
    ToLowerOperation down;
    from.Transform(to, r.upper ? static_cast<KvCharOperation&>(up) : down);
    EXPECT_STREQ(target.data(), r.out.c_str());
    EXPECT_EQ(to.PositionGet(), target.data() + r.out.size() + 1);  // past the terminator
  }
  // Unicode: ŉ upper-cases to ʼN.
  std::vector<uint16_t> source = {0x0149, 'a', 0};
  std::vector<uint16_t> target(6, 0xFFFF);
  KvStringIterator from(source.data(), 253, 1, 1);
  KvStringIterator to(target.data(), 253, 1, 1);
  ToUpperOperation up;
  from.Transform(to, up);
  EXPECT_EQ(target, (std::vector<uint16_t>{0x02BC, 'N', 'A', 0, 0xFFFF, 0xFFFF}));
}

TEST(Char, ReferringAndFreeCharacters) {
  KvString s("abc");
  KvChar x(s, 1);
  x = 'X';
  EXPECT_STREQ(s.StrGet(), "aXc");
  KvChar copy(x);  // a free copy no longer refers to the text
  copy = 'Y';
  EXPECT_STREQ(s.StrGet(), "aXc");
  EXPECT_EQ(copy.ValueGet(), 'Y');
  KvChar(s, 2) = KvChar(static_cast<unsigned short>(0x20AC), 253, 1);  // € mapped to 0x80
  EXPECT_STREQ(s.StrGet(), "aX\x80");

  // A 16-bit value written into 8-bit text takes one byte only.
  char bytes[] = "ab";
  KvChar first(bytes, 1, 1, 1);
  first = static_cast<unsigned short>(0x4142);
  EXPECT_EQ(std::string(bytes), "Bb");

  // A byte written into 16-bit text sets the whole unit.
  uint8_t units[] = {0x41, 0x41, 0, 0};
  KvChar wide(reinterpret_cast<char*>(units), 253, 1, 1);
  wide = 'x';
  EXPECT_EQ(wide.ValueGet(), 'x');
  EXPECT_EQ(units[1], 0);

  // Text stored most significant byte first: written and read in that order,
  // and a copy holds the value, not the raw bytes.
  uint8_t msb[] = {0x00, 0x41, 0, 0};
  KvChar big(reinterpret_cast<char*>(msb), 253, 1, 2);
  EXPECT_EQ(big.ValueGet(), 0x41);
  EXPECT_EQ(KvChar(big).ValueGet(), 0x41);
  big = static_cast<unsigned short>(0x0142);
  EXPECT_EQ(msb[0], 0x01);
  EXPECT_EQ(msb[1], 0x42);

  // A free character assigned another becomes a copy of it, as read, and
  // writes nowhere.
  KvChar free('a', 1, 1);
  free = big;
  EXPECT_EQ(free.ValueGet(), 0x0142);
  EXPECT_EQ(free.CodeSetGet(), 253);
  free = 'Z';
  EXPECT_EQ(msb[1], 0x42);
  free = KvChar('\x80', 4, 5);
  EXPECT_EQ(free.ValueGet(), 0x80);
  EXPECT_EQ(free.CodeSetGet(), 4);
  EXPECT_EQ(free.LanguageGet(), 5);
  free = free;
  EXPECT_EQ(free.ValueGet(), 0x80);
}

TEST(Char, TheSharedEmptyTextIsNeverWritten) {
  KvString empty;
  KvChar c(empty, 0);
  c = 'X';
  c = static_cast<unsigned short>(0x4142);
  EXPECT_EQ(empty.StrGet()[0], 0);
  EXPECT_EQ(KvString().StrGet()[0], 0);
  EXPECT_EQ(c.ValueGet(), 0);
}

TEST(Char, EqualityAndMapping) {
  struct Row {
    const char* what;
    KvChar a, b;
    unsigned short equal;
  };
  const Row rows[] = {
      {"same character", KvChar('a', 255, 255), KvChar('a', 1, 1), 1},
      {"Ł in two code sets", KvChar('\xA3', 4, 1), KvChar('\xA3', 5, 1), 1},
      {"£ is not Ł", KvChar('\xA3', 1, 1), KvChar('\xA3', 4, 1), 0},
      {"€ in 8 and 16 bits", KvChar('\x80', 1, 1), KvChar(static_cast<unsigned short>(0x20AC), 253, 1), 1},
      {"case counts", KvChar('a', 1, 1), KvChar('A', 1, 1), 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    EXPECT_EQ(r.a == r.b, r.equal);
    EXPECT_EQ(r.a != r.b, !r.equal);
  }
  EXPECT_EQ(KvChar('a', 255, 255) == 'a', 1);
  EXPECT_EQ(KvChar(static_cast<unsigned short>('a')) == static_cast<unsigned short>('a'), 1);
  EXPECT_EQ(KvChar('\x80', 1, 1).MapTo(253).ValueGet(), 0x20AC);
  EXPECT_EQ(KvChar('\x80', 1, 1).MapTo(2).ValueGet(), 0x1A);
  EXPECT_EQ(KvChar('\x80', 1, 1).MapTo(0).CodeSetGet(), 1);  // 0: a copy
  EXPECT_EQ(KvChar('\xE9', 1, 1).ToUpper(nullptr).ValueGet(), 0xC9);
  EXPECT_EQ(KvChar('\xC9', 0, 1).ToLower(nullptr).ValueGet(), 0xC9);  // code set 0: C locale
  EXPECT_EQ(KvChar('Q', 0, 1).ToLower(nullptr).ValueGet(), 'q');
  EXPECT_EQ(KvChar('q', 0, 1).ToUpper(nullptr).ValueGet(), 'Q');
  EXPECT_EQ(KvChar('\xE9', 0, 1).ToUpper(nullptr).ValueGet(), 0xE9);
  EXPECT_EQ(KvChar('\xDF', 0, 1).ToUpper(nullptr).CodeSetGet(), 0);
}

TEST(Char, ClassesByOrder) {
  struct Row {
    const char* what;
    KvChar ch;
    int cls;  // 0 space, 1 symbol, 2 digit, 3 letter, 4 Han
  };
  const Row rows[] = {
      {"space", KvChar(' ', 1, 1), 0},
      {"control", KvChar('\x01', 1, 1), 0},
      {"underscore", KvChar('_', 1, 1), 1},
      {"512 is its own order, a symbol", KvChar(static_cast<unsigned short>(512), 253, 1), 1},
      {"16127", KvChar(static_cast<unsigned short>(16127), 253, 1), 1},
      {"digit", KvChar('7', 1, 1), 2},
      {"superscript", KvChar('\xB2', 1, 1), 2},
      {"16128", KvChar(static_cast<unsigned short>(16128), 253, 1), 2},
      {"letter", KvChar('\xE9', 1, 1), 3},
      {"16384", KvChar(static_cast<unsigned short>(16384), 253, 1), 3},
      {"32767", KvChar(static_cast<unsigned short>(32767), 253, 1), 3},
      {"32768", KvChar(static_cast<unsigned short>(32768), 253, 1), 4},
      {"40000", KvChar(static_cast<unsigned short>(40000), 253, 1), 4},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    EXPECT_EQ(r.ch.IsSpace(), r.cls == 0);
    EXPECT_EQ(r.ch.IsSymbol(), r.cls == 1);
    EXPECT_EQ(r.ch.IsDigit(), r.cls == 2);
    EXPECT_EQ(r.ch.IsAlpha(), r.cls == 3);
    EXPECT_EQ(r.ch.IsHan(), r.cls == 4);
  }
}

TEST(Iterator, OverASingleCharacterAndCopies) {
  KvChar c('q', 1, 1);
  KvStringIterator it(c);
  EXPECT_EQ((*it).ValueGet(), 'q');
  KvStringIterator copy(it);  // shares the text, owns nothing
  ++copy;
  EXPECT_EQ(copy.IsEOS(), 1);
  KvStringIterator assigned;
  assigned = it;
  EXPECT_EQ(assigned.GetNextOrder(1), 0x504C);
  KvChar w(static_cast<unsigned short>(0x4E2D), 253, 1);
  KvStringIterator wide(w);
  EXPECT_EQ(wide.GetNextOrder(1), 0x4E2D);
}

}  // namespace
