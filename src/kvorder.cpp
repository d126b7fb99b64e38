// kvorder.cpp — collation order values explained in words and as 8-bit
// characters.
//
// These are display aids: the string print shows index keys (texts whose
// units are order values) through them. Every field of an order value is
// decoded into a number that only ever selects from a table after a range
// check, so no value, however made, reads outside a table.
#include "kvtm/kvorder.h"

#include <array>
#include <cstdint>
#include <cstring>

#include "kvplatform/kvi18n.h"
#include "kvtm/kvchar.h"
#include "kvtm/kvstring.h"

namespace {

// Class thresholds of an order value.
constexpr uint16_t kFirstSymbol = 80;
constexpr uint16_t kFirstDigit = 16128;
constexpr uint16_t kFirstLetter = 16384;
constexpr uint16_t kHanBit = 0x8000;
// A class byte from here on marks a character outside the order tables.
constexpr uint8_t kHanClass = 20;
// The space that stands for characters the tables give no ordering.
constexpr uint16_t kUndefinedOrdering = 13;

// What a character form gives when the order has no representative.
constexpr unsigned char kNoCharacter = '7';
constexpr unsigned char kHanCharacter = 127;

constexpr unsigned kLastAccent = 14;

struct Symbol {
  uint16_t number;
  const char* name;
  char ch;  // '.' when the symbol has no ASCII character of its own
};

// The symbols with a name, ascending by number. The others (all symbols of
// the code sets that are not listed here) have neither name nor character.
constexpr Symbol kSymbols[] = {
    {32, "_", '_'},
    {34, "macron sign", '.'},
    {35, "soft hyphen", '.'},
    {36, "-", '-'},
    {37, ",", ','},
    {38, ";", ';'},
    {39, ":", ':'},
    {40, "!", '!'},
    {41, "inverted exclamation mark", '.'},
    {42, "?", '?'},
    {44, "solidus", '.'},
    {46, "full stop", '.'},
    {49, "middle dot", '.'},
    {50, "cedilla", '.'},
    {52, "apostrophe", '\''},
    {55, "\"", '"'},
    {58, "left pointing double angle quotation mark", '.'},
    {59, "right pointing double angle quotation mark", '.'},
    {60, "(", '('},
    {62, ")", ')'},
    {64, "[", '['},
    {65, "]", ']'},
    {66, "{", '{'},
    {67, "}", '}'},
    {68, "section sign", '.'},
    {69, "pilcrow sign", '.'},
    {70, "copyright sign", '.'},
    {71, "registered sign", '.'},
    {73, "@", '@'},
    {74, "currency sign", '.'},
    {75, "cent sign", '.'},
    {76, "$", '$'},
    {77, "pound sign", '.'},
    {78, "yen sign", '.'},
    {79, "*", '*'},
    {80, "reverse solidus", '.'},
    {81, "&", '&'},
    {82, "#", '#'},
    {83, "%", '%'},
    {85, "+", '+'},
    {87, "plus minus sign", '.'},
    {88, "'", '\''},
    {89, "`", '`'},
    {91, "^", '^'},
    {94, "diaeresis", '.'},
    {96, "~", '~'},
    {98, "division sign", '.'},
    {99, "multiplication sign", '.'},
    {101, "<", '<'},
    {103, "=", '='},
    {105, ">", '>'},
    {106, "not sign", '.'},
    {107, "|", '|'},
    {108, "broken bar", '.'},
    {109, "degree sign", '.'},
    {110, "micron sign", '.'},
    {139, "inverted question mark", '.'},
};
static_assert(sizeof kSymbols / sizeof kSymbols[0] == 57, "every named symbol");

const Symbol* FindSymbol(unsigned number) {
  for (const Symbol& s : kSymbols)
    if (s.number == number) return &s;
  return nullptr;
}

// By accent number; 0 is no accent.
constexpr const char* kAccentNames[kLastAccent + 1] = {
    "",
    "cedilla",
    "accent acute",
    "accent grave",
    "accent circumflex",
    "tilde",
    "diaeresis",
    "ring above",
    "stroke",
    "accent caron",
    "accent macron",
    "accent breve",
    "dot above",
    "ogonek",
    "accent double acute",
};

// The accent notation of the Windows-1252 characters 192 to 255: a
// backslash and a mark before the base letter, or a backslash and the
// letter pair of a ligature or a letter of its own. 215 and 247 (the
// multiplication and division signs) are no letters.
constexpr const char* kNotations[64] = {
    "\\`A", "\\'A", "\\^A", "\\~A", "\\\"A", "\\AA", "\\AE", "\\,C",   // 192
    "\\`E", "\\'E", "\\^E", "\\\"E", "\\`I", "\\'I", "\\^I", "\\\"I",  // 200
    "\\-D", "\\~N", "\\`O", "\\'O", "\\^O", "\\~O", "\\\"O", "",       // 208
    "\\-O", "\\`U", "\\'U", "\\^U", "\\\"U", "\\'Y", "\\TH", "\\ss",   // 216
    "\\`a", "\\'a", "\\^a", "\\~a", "\\\"a", "\\aa", "\\ae", "\\,c",   // 224
    "\\`e", "\\'e", "\\^e", "\\\"e", "\\`i", "\\'i", "\\^i", "\\\"i",  // 232
    "\\-d", "\\~n", "\\`o", "\\'o", "\\^o", "\\~o", "\\\"o", "",       // 240
    "\\-o", "\\`u", "\\'u", "\\^u", "\\\"u", "\\'y", "\\th", "\\\"y",  // 248
};

const char* NotationOf(unsigned char ch) { return ch >= 192 ? kNotations[ch - 192] : ""; }

// The fields of a letter's order value.
struct Letter {
  bool lower;
  unsigned accent;     // 0 to 31; names exist for 1 to 14
  unsigned index;      // 0 to 31; 3 is 'A', 28 is 'Z'
  unsigned extension;  // 0 to 3
};

Letter LetterOf(uint16_t order) {
  return Letter{((order >> 12) & 3) != 0, (order >> 7) & 31u, (order >> 2) & 31u, order & 3u};
}

// The character of a letter index: upper case index + 62, lower case
// index + 94, for every index. So 3 to 28 are 'A' to 'Z' and 'a' to 'z', and
// the indexes around them get the ASCII characters beside those: 0 to 2 give
// '>' '?' '@' (or '^' '_' '`'), and 29 to 31, where Danish puts æ ø å and
// Swedish å ä ö, give '[' '\' ']' (or '{' '|' '}'). An order value does not
// carry its language, and callers parse these names, so every index names
// one fixed ASCII character rather than one alphabet's letter.
unsigned char LetterCharacter(const Letter& l) {
  return static_cast<unsigned char>(l.index + (l.lower ? 94 : 62));
}

unsigned DigitOf(uint16_t order) { return ((order & ~1u) - kFirstDigit) / 10; }

bool IsHan(uint16_t order, unsigned char cls) { return (order & kHanBit) != 0 || cls >= kHanClass; }

// A text built in place. Every text this file makes has a known longest
// form well inside the buffer; appends past it are dropped rather than
// written beyond the end.
class TextBuffer {
 public:
  void Append(const char* s) {
    while (*s != '\0') Append(*s++);
  }
  void Append(char c) {
    if (length_ + 1 < sizeof data_) data_[length_++] = c;
    data_[length_] = '\0';
  }
  void AppendDecimal(unsigned v) {
    char digits[10];
    int n = 0;
    do {
      digits[n++] = static_cast<char>('0' + v % 10);
      v /= 10;
    } while (v != 0);
    while (n > 0) Append(digits[--n]);
  }
  void AppendHex(unsigned v, int minimumDigits) {
    char digits[8];
    int n = 0;
    do {
      digits[n++] = "0123456789abcdef"[v % 16];
      v /= 16;
    } while (v != 0 || n < minimumDigits);
    while (n > 0) Append(digits[--n]);
  }
  const char* Get() const { return data_; }

 private:
  char data_[64] = {};
  size_t length_ = 0;
};

// The order value that a text of just this Windows-1252 character yields
// first in the neutral language, for the characters 128 to 255: the
// candidates of the exact character form. Computed once (the order tables
// never change), on first use, safely from any thread.
const std::array<uint16_t, 128>& UpperHalfOrders() {
  static const std::array<uint16_t, 128> orders = [] {
    std::array<uint16_t, 128> o{};
    for (unsigned i = 0; i < o.size(); ++i) {
      char text[2] = {static_cast<char>(128 + i), '\0'};
      KvStringIterator it(text, KvCS_CP1252, KvLANG_NEUTRAL, 1);
      o[i] = it.GetNextOrder(0);
    }
    return o;
  }();
  return orders;
}

}  // namespace

int KvExtractSymbolFromOrder(unsigned short order, unsigned short& symbol) {
  if (order < kFirstSymbol || order >= kFirstDigit) return KvORDER_WRONG_CLASS;
  symbol = static_cast<unsigned short>(order - kFirstSymbol);
  return 0;
}

int KvExtractDigitFromOrder(unsigned short order, unsigned short& digit,
                            unsigned short& expanded) {
  if (order < kFirstDigit || order >= kFirstLetter) return KvORDER_WRONG_CLASS;
  expanded = order & 1;
  digit = static_cast<unsigned short>(DigitOf(order));
  return 0;
}

int KvConvertOrderToString(unsigned short order, unsigned char cls, KvString& text) {
  TextBuffer b;
  if (IsHan(order, cls)) {
    b.Append("HAN character 0x");
    b.AppendHex(order, 4);
    b.Append('\n');
  } else if (order < kFirstSymbol) {
    b.Append(order == kUndefinedOrdering ? "undefined ordering indicator" : "space");
  } else if (order < kFirstDigit) {
    b.Append("symbol ");
    if (const Symbol* s = FindSymbol(order - kFirstSymbol)) b.Append(s->name);
  } else if (order < kFirstLetter) {
    b.Append("digit ");
    b.AppendDecimal(DigitOf(order));
    if (order & 1) b.Append(" with expand");
  } else {
    const Letter l = LetterOf(order);
    b.Append(l.lower ? "lower letter " : "upper letter ");
    b.Append(static_cast<char>(LetterCharacter(l)));
    if (l.accent != 0) {
      b.Append(" with ");
      if (l.accent <= kLastAccent) b.Append(kAccentNames[l.accent]);
    }
    if (l.extension != 0) b.Append(" with extension");
  }
  text = b.Get();
  return 0;
}

int KvConvertOrderToChar(unsigned short order, unsigned char cls, unsigned char& ch, int exact,
                         const char** notation) {
  ch = kNoCharacter;
  if (IsHan(order, cls)) {
    ch = kHanCharacter;
  } else if (order < kFirstSymbol) {
    ch = ' ';
  } else if (order < kFirstDigit) {
    if (const Symbol* s = FindSymbol(order - kFirstSymbol)) ch = static_cast<unsigned char>(s->ch);
  } else if (order < kFirstLetter) {
    ch = static_cast<unsigned char>('0' + DigitOf(order));
  } else {
    const Letter l = LetterOf(order);
    ch = LetterCharacter(l);
    if (l.accent == 0 || exact == 0) return 0;
    const std::array<uint16_t, 128>& orders = UpperHalfOrders();
    for (unsigned i = 0; i < orders.size(); ++i) {
      if (orders[i] == order) {
        ch = static_cast<unsigned char>(128 + i);
        break;
      }
    }
    if (notation != nullptr) *notation = NotationOf(ch);
  }
  return 0;
}
