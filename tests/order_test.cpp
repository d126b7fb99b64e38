// Facts about the order names: collation order values described in words,
// as representative 8-bit characters with accent notations, and the symbol
// and digit fields taken out of them.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "kvtm/kvtm.h"

namespace {

std::string TextOf(uint16_t order, uint8_t cls) {
  KvString text;
  EXPECT_EQ(KvConvertOrderToString(order, cls, text), 0);
  return std::string(text.StrGet());
}

// A notation pointer the functions have not touched.
const char* const kUntouched = "untouched";

struct CharResult {
  unsigned char ch;
  const char* notation;
};

CharResult CharOf(uint16_t order, uint8_t cls, int exact) {
  CharResult r{0, kUntouched};
  EXPECT_EQ(KvConvertOrderToChar(order, cls, r.ch, exact, &r.notation), 0);
  return r;
}

// The orders a text of one character yields, expansions included.
std::vector<uint16_t> OrdersOf8(uint8_t ch, uint8_t cs, uint8_t language) {
  char text[2] = {static_cast<char>(ch), '\0'};
  KvStringIterator it(text, cs, language, 1);
  std::vector<uint16_t> out;
  for (uint16_t o; out.size() < 8 && (o = it.GetNextOrder(0)) != 0;) out.push_back(o);
  return out;
}

bool StartsWith(const std::string& s, const std::string& prefix) {
  return s.compare(0, prefix.size(), prefix) == 0;
}

TEST(OrderNames, TextsAndCharacters) {
  struct Row {
    uint16_t order;
    uint8_t cls;
    const char* text;
    unsigned char ch;  // exact 0
  };
  const Row rows[] = {
      // Spaces.
      {0, 1, "space", ' '},
      {13, 1, "undefined ordering indicator", ' '},
      {79, 1, "space", ' '},
      // Symbols: named ones, named ones without an ASCII character, unnamed.
      {80, 1, "symbol ", '7'},
      {80 + 33, 1, "symbol ", '7'},
      {80 + 46, 1, "symbol full stop", '.'},
      {80 + 32, 1, "symbol _", '_'},
      {80 + 52, 1, "symbol apostrophe", '\''},
      {80 + 55, 1, "symbol \"", '"'},
      {80 + 88, 1, "symbol '", '\''},
      {80 + 89, 1, "symbol `", '`'},
      {80 + 107, 1, "symbol |", '|'},
      {80 + 58, 1, "symbol left pointing double angle quotation mark", '.'},
      {80 + 139, 1, "symbol inverted question mark", '.'},
      {80 + 140, 1, "symbol ", '7'},
      {16127, 1, "symbol ", '7'},
      // Digits: bit 0 is the expanded form.
      {16128, 1, "digit 0", '0'},
      {16162, 1, "digit 3", '3'},
      {16163, 1, "digit 3 with expand", '3'},
      {16128 + 90, 1, "digit 9", '9'},
      {16383, 1, "digit 25 with expand", '0' + 25},
      // Letters: case, accent, index, extension.
      {0x400C, 1, "upper letter A", 'A'},
      {0x500C, 1, "lower letter a", 'a'},
      {0x600C, 1, "lower letter a", 'a'},
      {0x700C, 1, "lower letter a", 'a'},
      {0x4070, 1, "upper letter Z", 'Z'},
      {0x410C, 1, "upper letter A with accent acute", 'A'},
      {0x4094, 1, "upper letter C with cedilla", 'C'},
      {0x470C, 1, "upper letter A with accent double acute", 'A'},
      {0x5015, 1, "lower letter c with extension", 'c'},
      {0x4795, 1, "upper letter C with  with extension", 'C'},
      // Accent 15 (the parts of ligatures such as ß) has no name.
      {0x57D4, 1, "lower letter s with ", 's'},
      // Indexes beside A to Z name the bytes beside the letters as well.
      {0x4000, 1, "upper letter >", '>'},
      {0x4008, 1, "upper letter @", '@'},
      {0x5000, 1, "lower letter ^", '^'},
      {0x5008, 1, "lower letter `", '`'},
      {0x4074, 1, "upper letter [", '['},
      {0x4078, 1, "upper letter \\", '\\'},
      {0x507C, 1, "lower letter }", '}'},
      {0x4003, 1, "upper letter > with extension", '>'},
      {0x7FFF, 1, "lower letter } with  with extension", '}'},
      // Han: bit 15, or a class byte of 20 or more, whatever the value.
      {0x8000, 1, "HAN character 0x8000\n", 127},
      {0xABCD, 0, "HAN character 0xabcd\n", 127},
      {0xFFFF, 1, "HAN character 0xffff\n", 127},
      {0x500C, 20, "HAN character 0x500c\n", 127},
      {0, 255, "HAN character 0x0000\n", 127},
      {13, 20, "HAN character 0x000d\n", 127},
      {0x007E, 19, "symbol full stop", '.'},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.order);
    EXPECT_EQ(TextOf(r.order, r.cls), r.text);
    const CharResult c = CharOf(r.order, r.cls, 0);
    EXPECT_EQ(c.ch, r.ch);
    EXPECT_EQ(c.notation, kUntouched);
  }
}

TEST(OrderNames, ExactCharactersAndNotations) {
  struct Row {
    uint16_t order;
    uint8_t cls;
    int exact;
    unsigned char ch;
    const char* notation;  // kUntouched: not set
  };
  const Row rows[] = {
      {0x410C, 1, 1, 0xC1, "\\'A"},
      {0x511C, 1, 1, 0xE9, "\\'e"},
      {0x511C, 1, -1, 0xE9, "\\'e"},
      {0x511C, 1, 0, 'e', kUntouched},
      {0x400C, 1, 1, 'A', kUntouched},  // no accent: no search
      {0x57D4, 1, 1, 0xDF, "\\ss"},
      {0x536C, 1, 1, 0xFF, "\\\"y"},
      {0x47D8, 1, 1, 0xDE, "\\TH"},
      {0x5418, 1, 1, 0xF0, "\\-d"},
      // The first character of that order wins; below 192 it has no notation.
      {0x578C, 1, 1, 0xAA, ""},  // ª before the a of æ
      {0x436C, 1, 1, 0x9F, ""},  // Ÿ
      {0x44D4, 1, 1, 0x8A, ""},  // Š
      // No character of the code set has the order: the plain letter.
      {0x470C, 1, 1, 'A', ""},
      {0x4774, 1, 1, '[', ""},
      {0x4780, 1, 1, '>', ""},
      // Other classes never search.
      {0x8000, 1, 1, 127, kUntouched},
      {0x511C, 20, 1, 127, kUntouched},
      {80 + 46, 1, 1, '.', kUntouched},
      {16163, 1, 1, '3', kUntouched},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.order);
    const CharResult c = CharOf(r.order, r.cls, r.exact);
    EXPECT_EQ(c.ch, r.ch);
    if (r.notation == kUntouched)
      EXPECT_EQ(c.notation, kUntouched);
    else
      EXPECT_STREQ(c.notation, r.notation);
    // Without a place for the notation the character is the same.
    unsigned char ch = 0;
    EXPECT_EQ(KvConvertOrderToChar(r.order, r.cls, ch, r.exact, nullptr), 0);
    EXPECT_EQ(ch, r.ch);
  }
}

// Each accent name, on a letter that carries that accent.
TEST(OrderNames, AccentNamesOfRealLetters) {
  struct Row {
    uint16_t unicode;
    const char* text;
  };
  const Row rows[] = {
      {0x00E7, "lower letter c with cedilla"},
      {0x00E9, "lower letter e with accent acute"},
      {0x00C8, "upper letter E with accent grave"},
      {0x00EA, "lower letter e with accent circumflex"},
      {0x00F1, "lower letter n with tilde"},
      {0x00EB, "lower letter e with diaeresis"},
      {0x00E5, "lower letter a with ring above"},
      {0x0141, "upper letter L with stroke"},
      {0x0161, "lower letter s with accent caron"},
      {0x0101, "lower letter a with accent macron"},
      {0x0103, "lower letter a with accent breve"},
      {0x017C, "lower letter z with dot above"},
      {0x0105, "lower letter a with ogonek"},
      {0x0151, "lower letter o with accent double acute"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.unicode);
    unsigned short text[2] = {r.unicode, 0};
    KvStringIterator it(text, KvCS_UNICODE, 1, 1);
    const uint16_t order = it.GetNextOrder(1);
    EXPECT_EQ(TextOf(order, it.CollationClassGet()), r.text);
  }
}

// The notation of every letter 192 to 255 of Windows-1252 against its order
// in the tables: a backslash, the mark of its accent, its letter.
TEST(OrderNames, NotationsAgreeWithTheOrderTables) {
  const char marks[] = {0, ',', '\'', '`', '^', '~', '"', 0, '-'};
  struct Special {
    uint8_t ch;
    unsigned char found;
    const char* notation;
  };
  // The ring and the letters that expand have notations of two letters; æ
  // begins with the order of ª, which comes first.
  const Special specials[] = {
      {0xC5, 0xC5, "\\AA"}, {0xE5, 0xE5, "\\aa"}, {0xC6, 0xC6, "\\AE"}, {0xE6, 0xAA, ""},
      {0xDE, 0xDE, "\\TH"}, {0xFE, 0xFE, "\\th"}, {0xDF, 0xDF, "\\ss"},
  };
  int checked = 0;
  for (unsigned c = 192; c <= 255; ++c) {
    SCOPED_TRACE(c);
    if (c == 215 || c == 247) continue;  // × and ÷
    const std::vector<uint16_t> orders = OrdersOf8(static_cast<uint8_t>(c), KvCS_CP1252, 1);
    ASSERT_FALSE(orders.empty());
    const uint16_t order = orders[0];
    ASSERT_GE(order, 0x4000);
    ASSERT_LT(order, 0x8000);
    const CharResult r = CharOf(order, 1, 1);
    const Special* special = nullptr;
    for (const Special& s : specials)
      if (s.ch == c) special = &s;
    if (special != nullptr) {
      EXPECT_EQ(r.ch, special->found);
      EXPECT_STREQ(r.notation, special->notation);
    } else {
      const unsigned accent = (order >> 7) & 31;
      const unsigned index = (order >> 2) & 31;
      ASSERT_LT(accent, sizeof marks);
      ASSERT_NE(marks[accent], 0);
      const char letter = static_cast<char>((((order >> 12) & 3) != 0 ? 'a' : 'A') + index - 3);
      EXPECT_EQ(r.ch, c);
      const std::string expected = {'\\', marks[accent], letter};
      EXPECT_EQ(std::string(r.notation), expected);
    }
    ++checked;
  }
  EXPECT_EQ(checked, 62);
}

TEST(OrderNames, SymbolAndDigitFields) {
  struct Row {
    uint16_t order;
    int symbolResult;
    unsigned short symbol;  // 999: unchanged
    int digitResult;
    unsigned short digit, expanded;  // 999: unchanged
  };
  const Row rows[] = {
      {0, -2002, 999, -2002, 999, 999},
      {79, -2002, 999, -2002, 999, 999},
      {80, 0, 0, -2002, 999, 999},
      {126, 0, 46, -2002, 999, 999},
      {16127, 0, 16047, -2002, 999, 999},
      {16128, -2002, 999, 0, 0, 0},
      {16129, -2002, 999, 0, 0, 1},
      {16162, -2002, 999, 0, 3, 0},
      {16163, -2002, 999, 0, 3, 1},
      {16137, -2002, 999, 0, 0, 1},
      {16138, -2002, 999, 0, 1, 0},
      {16383, -2002, 999, 0, 25, 1},
      {16384, -2002, 999, -2002, 999, 999},
      {0xFFFF, -2002, 999, -2002, 999, 999},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.order);
    unsigned short symbol = 999, digit = 999, expanded = 999;
    EXPECT_EQ(KvExtractSymbolFromOrder(r.order, symbol), r.symbolResult);
    EXPECT_EQ(symbol, r.symbol);
    EXPECT_EQ(KvExtractDigitFromOrder(r.order, digit, expanded), r.digitResult);
    EXPECT_EQ(digit, r.digit);
    EXPECT_EQ(expanded, r.expanded);
  }
  EXPECT_EQ(KvORDER_WRONG_CLASS, -2002);
}

// The symbols of the printable ASCII characters, as the tables number them,
// name and give back those characters.
TEST(OrderNames, SymbolsAgreeWithTheOrderTables) {
  int symbols = 0;
  for (unsigned c = 0x21; c < 0x7F; ++c) {
    SCOPED_TRACE(c);
    const std::vector<uint16_t> orders = OrdersOf8(static_cast<uint8_t>(c), KvCS_CP1252, 1);
    ASSERT_EQ(orders.size(), 1u);
    if (orders[0] < 80 || orders[0] >= 16128) continue;
    const std::string text = TextOf(orders[0], 1);
    const unsigned char ch = CharOf(orders[0], 1, 0).ch;
    ASSERT_TRUE(StartsWith(text, "symbol "));
    const std::string name = text.substr(7);
    if (name.size() == 1) {
      EXPECT_EQ(name[0], static_cast<char>(c));
      EXPECT_EQ(ch, c);
    } else {
      // Named in words ("full stop", "solidus"): the character, or '.'.
      EXPECT_FALSE(name.empty());
      EXPECT_TRUE(ch == c || ch == '.') << name;
    }
    ++symbols;
  }
  EXPECT_EQ(symbols, 32);
}

// Every order value, in ordinary classes and in the Han class, through both
// functions: each result is of the class the value's range describes.
TEST(OrderNames, EveryOrderValue) {
  for (uint8_t cls : {0, 1, 5, 20}) {
    for (unsigned v = 0; v <= 0xFFFF; ++v) {
      const uint16_t order = static_cast<uint16_t>(v);
      const std::string text = TextOf(order, cls);
      const CharResult plain = CharOf(order, cls, 0);
      const CharResult exact = CharOf(order, cls, 1);
      unsigned short symbol = 0, digit = 0, expanded = 0;
      const bool isSymbol = KvExtractSymbolFromOrder(order, symbol) == 0;
      const bool isDigit = KvExtractDigitFromOrder(order, digit, expanded) == 0;
      ASSERT_FALSE(isSymbol && isDigit) << v;
      if (cls >= 20 || v >= 0x8000) {
        char expected[32];
        std::snprintf(expected, sizeof expected, "HAN character 0x%04x\n", v);
        ASSERT_EQ(text, expected) << v;
        ASSERT_EQ(plain.ch, 127) << v;
        ASSERT_EQ(exact.ch, 127) << v;
        ASSERT_EQ(exact.notation, kUntouched) << v;
      } else if (v < 80) {
        ASSERT_EQ(text, v == 13 ? "undefined ordering indicator" : "space") << v;
        ASSERT_EQ(plain.ch, ' ') << v;
        ASSERT_FALSE(isSymbol || isDigit) << v;
      } else if (v < 16128) {
        ASSERT_TRUE(StartsWith(text, "symbol ")) << v;
        ASSERT_TRUE(isSymbol) << v;
        ASSERT_EQ(symbol, v - 80) << v;
        // A name and a character come together, for the numbers 32 to 139.
        const bool named = text.size() > 7;
        ASSERT_EQ(named, plain.ch != '7') << v;
        if (named) {
          ASSERT_GE(symbol, 32) << v;
          ASSERT_LE(symbol, 139) << v;
        }
      } else if (v < 16384) {
        ASSERT_TRUE(isDigit) << v;
        const unsigned d = (v - 16128) / 10;  // bit 0 never reaches the next ten
        ASSERT_EQ(digit, d) << v;
        ASSERT_EQ(expanded, v & 1) << v;
        ASSERT_EQ(text, "digit " + std::to_string(d) + ((v & 1) ? " with expand" : "")) << v;
        if (d <= 9) {
          ASSERT_EQ(plain.ch, '0' + d) << v;
        }
      } else {
        const bool lower = ((v >> 12) & 3) != 0;
        const unsigned accent = (v >> 7) & 31, index = (v >> 2) & 31, extension = v & 3;
        ASSERT_TRUE(StartsWith(text, lower ? "lower letter " : "upper letter ")) << v;
        ASSERT_FALSE(isSymbol || isDigit) << v;
        const char letter = static_cast<char>(index + (lower ? 'a' : 'A') - 3);
        ASSERT_EQ(text[13], letter) << v;
        ASSERT_EQ(plain.ch, static_cast<unsigned char>(letter)) << v;
        ASSERT_EQ(text.find(" with ") != std::string::npos, accent != 0 || extension != 0) << v;
        ASSERT_EQ(text.size() >= 15 && text.compare(text.size() - 15, 15, " with extension") == 0,
                  extension != 0)
            << v;
        if (accent == 0) {
          ASSERT_EQ(exact.notation, kUntouched) << v;
        } else {
          ASSERT_NE(exact.notation, kUntouched) << v;
          ASSERT_NE(exact.notation, nullptr) << v;
          const size_t length = std::string(exact.notation).size();
          ASSERT_TRUE(length == 0 || length == 3) << v;
          // A character of the upper half found is one of exactly this order.
          if (exact.ch >= 128 && exact.ch != plain.ch) {
            ASSERT_EQ(OrdersOf8(exact.ch, KvCS_CP1252, 1)[0], order) << v;
          }
        }
      }
    }
  }
}

// Every order the character layer yields, for every character of the 8-bit
// code sets and every unit of the 16-bit one, in every language, has a
// described class that agrees with the character's; letters are named.
TEST(OrderNames, EveryOrderTheTablesMake) {
  auto check = [](KvStringIterator& it, unsigned unit) {
    for (int guard = 0; guard < 8; ++guard) {
      const uint16_t order = it.GetNextOrder(1);
      if (order == 0) return;
      const uint8_t cls = it.CollationClassGet();
      const std::string text = TextOf(order, cls);
      const char* expected = cls >= 20 || order >= 0x8000 ? "HAN character "
                             : order < 80                ? (order == 13 ? "undefined" : "space")
                             : order < 16128             ? "symbol "
                             : order < 16384             ? "digit "
                             : order < 0x5000            ? "upper letter "
                                                         : "lower letter ";
      ASSERT_TRUE(StartsWith(text, expected)) << unit << ": " << text;
      if (order >= 16384 && order < 0x8000 && cls < 20) {
        ASSERT_GT(text.size(), 13u) << unit << ": a letter without a character";
        ASSERT_NE(text[13], ' ') << unit;
      }
    }
    FAIL() << unit << ": too many orders";
  };
  for (uint8_t language = 1; language <= 5; ++language) {
    SCOPED_TRACE(language);
    for (uint8_t cs = 1; cs <= 5; ++cs) {
      for (unsigned c = 1; c < 256; ++c) {
        char text[2] = {static_cast<char>(c), '\0'};
        KvStringIterator it(text, cs, language, 1);
        check(it, cs * 1000 + c);
      }
    }
    for (unsigned u = 1; u <= 0xFFFF; ++u) {
      unsigned short text[2] = {static_cast<unsigned short>(u), 0};
      KvStringIterator it(text, KvCS_UNICODE, language, 1);
      check(it, u);
    }
  }
}

}  // namespace
