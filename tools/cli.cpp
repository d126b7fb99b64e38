// cli.cpp — shared helpers of the kvtm command line tool.
#include "cli.h"

#include "kvplatform/kvi18n.h"
#include "kvtm/kvtypevl.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

std::string Args::Take(const char* option, const std::string& fallback) {
  for (size_t i = 0; i < words.size(); ++i) {
    if (words[i] != option) continue;
    if (i + 1 >= words.size()) throw CliError{std::string("option ") + option + " needs a value", 2};
    std::string value = words[i + 1];
    words.erase(words.begin() + static_cast<long>(i), words.begin() + static_cast<long>(i) + 2);
    return value;
  }
  return fallback;
}

bool Args::Has(const char* option) {
  for (size_t i = 0; i < words.size(); ++i) {
    if (words[i] != option) continue;
    words.erase(words.begin() + static_cast<long>(i));
    return true;
  }
  return false;
}

KvTypeMgr& Manager() {
  if (DefaultTypeMgr(nullptr) == nullptr) ___KvTypemgrContext(1);
  return *DefaultTypeMgr(nullptr);
}

void TextReader::Fail() const {
  throw CliError{"bad value '" + text_ + "' for type " + Manager().NameGet(id_, nullptr) +
                 " (expected " + expected_ + ")"};
}

bool TextReader::Next(char c) {
  if (pos_ < text_.size() && text_[pos_] == c) {
    ++pos_;
    return true;
  }
  return false;
}

char TypeIdOf(const std::string& name) {
  KvTypeMgr& mgr = Manager();
  char id = 0;
  if (mgr.Name2KvTypeId(name.c_str(), id) == 0) return id;
  char* end = nullptr;
  const long n = std::strtol(name.c_str(), &end, 10);
  if (!name.empty() && *end == '\0' && n >= -128 && n <= 127 && mgr.IsValidType(static_cast<char>(n)))
    return static_cast<char>(n);
  throw CliError{"unknown type '" + name + "' (see 'kvtm types')"};
}

namespace {

struct OpName {
  const char* name;
  unsigned short bit;
};

const OpName kOpNames[] = {
    {"exact", KvCMP_EXACT},         {"nocase", KvCMP_IGNORE_CASE}, {"noaccent", KvCMP_IGNORE_ACCENTS},
    {"nospace", KvCMP_SKIP_SPACES}, {"simple", KvCMP_SIMPLE},      {"nosymbol", KvCMP_SKIP_SYMBOLS},
};

}  // namespace

unsigned short OpOf(const std::string& text) {
  char* end = nullptr;
  const long n = std::strtol(text.c_str(), &end, 0);
  if (!text.empty() && *end == '\0') {
    if (n < 0 || n > 0xFFFF) throw CliError{"bad operator '" + text + "'", 2};
    return static_cast<unsigned short>(n);
  }
  unsigned short op = 0;
  size_t start = 0;
  while (start <= text.size()) {
    const size_t stop = text.find_first_of(",+", start);
    const std::string word = text.substr(start, stop == std::string::npos ? std::string::npos : stop - start);
    const OpName* found = nullptr;
    for (const OpName& o : kOpNames)
      if (word == o.name) found = &o;
    if (found == nullptr)
      throw CliError{"bad operator '" + text + "' (a number, or exact, nocase, noaccent, nospace, simple, nosymbol)", 2};
    op |= found->bit;
    if (stop == std::string::npos) break;
    start = stop + 1;
  }
  return op;
}

namespace {

struct Relation {
  const char* name;
  unsigned short bits;
};

const Relation kRelations[] = {{"eq", KvREL_EQUAL}, {"lt", KvREL_LESS},
                               {"le", KvREL_LESS | KvREL_EQUAL}, {"gt", KvREL_GREATER},
                               {"ge", KvREL_GREATER | KvREL_EQUAL}, {"ne", KvREL_LESS | KvREL_GREATER}};

}  // namespace

unsigned short RelationOf(const std::string& text) {
  for (const Relation& r : kRelations)
    if (text == r.name) return r.bits;
  throw CliError{"bad relation '" + text + "' (eq, lt, le, gt, ge or ne)", 2};
}

const char* RelationName(unsigned short bits) {
  for (const Relation& r : kRelations)
    if (r.bits == bits) return r.name;
  return "?";
}

KvString StringOfUtf8(const std::string& utf8, uint8_t cs, uint8_t language) {
  const std::vector<uint16_t> chars = DecodeUtf8(utf8, KvCodeSetIsWide(cs) ? kWideTextLimit : kNarrowTextLimit);
  // Mapped in pieces, as 16-bit text holds fewer characters than an 8-bit
  // string. An empty text still makes one piece, so that the string gets
  // its (empty) text as a value made from "" does.
  const size_t kPiece = 16384;
  KvString s(cs, language);
  size_t at = 0;
  do {
    const size_t n = std::min(kPiece, chars.size() - at);
    std::vector<uint16_t> units(chars.begin() + static_cast<long>(at), chars.begin() + static_cast<long>(at + n));
    units.push_back(0);
    KvString piece(units.data());
    piece.MapToCodeSet(cs);
    s += piece;
    at += n;
  } while (at < chars.size());
  return s;
}

uint8_t LanguageOf(const std::string& text) {
  char* end = nullptr;
  const long n = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || n < 0 || n > 255)
    throw CliError{"bad language '" + text + "' (expected a number from 0 to 255)", 2};
  return static_cast<uint8_t>(n);
}

uint8_t FormatOf(const std::string& text) {
  char* end = nullptr;
  errno = 0;
  const long n = std::strtol(text.c_str(), &end, 0);
  if (text.empty() || *end != '\0' || errno != 0 || n < 0 || n > 255)
    throw CliError{"bad format '" + text + "' (expected a number from 0 to 255)", 2};
  return static_cast<uint8_t>(n);
}

std::string HexOf(const void* bytes, size_t length) {
  std::string out;
  const uint8_t* b = static_cast<const uint8_t*>(bytes);
  for (size_t i = 0; i < length; ++i) {
    char piece[4];
    std::snprintf(piece, sizeof piece, "%02x", b[i]);
    if (i != 0) out += ' ';
    out += piece;
  }
  return out;
}

std::vector<uint8_t> BytesOfHex(const std::string& text) {
  std::string digits;
  size_t start = 0;
  if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) start = 2;
  for (size_t i = start; i < text.size(); ++i) {
    const char c = text[i];
    if (std::isxdigit(static_cast<unsigned char>(c))) {
      digits += c;
    } else if (c != ' ' && c != ':' && c != '\t') {
      throw CliError{"bad hex '" + text + "' (unexpected character '" + std::string(1, c) + "')"};
    }
  }
  if (digits.size() % 2 != 0)
    throw CliError{"bad hex '" + text + "' (odd number of hex digits)"};
  std::vector<uint8_t> bytes;
  for (size_t i = 0; i < digits.size(); i += 2)
    bytes.push_back(static_cast<uint8_t>(std::strtoul(digits.substr(i, 2).c_str(), nullptr, 16)));
  return bytes;
}

std::vector<uint16_t> DecodeUtf8(const std::string& text, size_t limit) {
  std::vector<uint16_t> out;
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text.data());
  const size_t n = text.size();
  size_t i = 0;
  while (i < n) {
    const unsigned char b = p[i];
    unsigned length = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
    uint32_t c = length == 1 ? b : length == 2 ? b & 0x1F : length == 3 ? b & 0x0F : b & 0x07;
    bool ok = length != 0 && i + length <= n;
    for (unsigned k = 1; ok && k < length; ++k) {
      ok = (p[i + k] & 0xC0) == 0x80;
      c = c << 6 | (p[i + k] & 0x3F);
    }
    const uint32_t minimum[] = {0, 0, 0x80, 0x800, 0x10000};
    if (!ok || c < minimum[length] || (c >= 0xD800 && c <= 0xDFFF))
      throw CliError{"the text is not valid UTF-8 at byte offset " + std::to_string(i)};
    if (c > 0xFFFF) {
      char code[16];
      std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
      throw CliError{"the character " + std::string(code) + " at byte offset " + std::to_string(i) +
                     " has no 16-bit unit, which every code set is made of"};
    }
    out.push_back(static_cast<uint16_t>(c));
    i += length;
  }
  // Every text from the terminal becomes a string, and the library refuses
  // a text longer than a string holds, leaving it empty: it is refused here
  // with the reason instead.
  if (out.size() > limit)
    throw CliError{"the text has " + std::to_string(out.size()) + " characters; a string holds at most " +
                   std::to_string(limit)};
  return out;
}

std::string EncodeUtf8(const std::vector<uint16_t>& chars, size_t from, size_t to) {
  std::string out;
  for (size_t i = from; i < to && i < chars.size(); ++i) {
    uint32_t c = chars[i];
    if (c >= 0xD800 && c <= 0xDFFF) c = 0xFFFD;
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | c >> 6);
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | c >> 12);
      out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::string Utf8Of(const KvString& s) {
  // In pieces, as 16-bit text holds fewer characters than an 8-bit string.
  const size_t kPiece = 16384;
  const uint8_t cs = s.CodeSetGet();
  const size_t length = s.Len();
  std::string out;
  for (size_t at = 0; at < length; at += kPiece) {
    const auto n = static_cast<unsigned short>(std::min(kPiece, length - at));
    KvString piece = KvCodeSetIsWide(cs) ? KvString(reinterpret_cast<const unsigned short*>(s.StrGet()) + at, n)
                                         : KvString(s.StrGet() + at, n);
    piece.SetCodeSetCode(cs);
    piece.MapToCodeSet(KvCS_UNICODE);
    std::vector<uint16_t> chars(piece.Len());
    if (!chars.empty()) std::memcpy(chars.data(), piece.StrGet(), 2 * chars.size());
    out += EncodeUtf8(chars, 0, chars.size());
  }
  return out;
}

// ---- Values of the number types ----

namespace {

enum class Kind { kSigned, kUnsigned, kFloat };

struct NumberType {
  char id;
  Kind kind;
  uint32_t width;
};

const NumberType kNumberTypes[] = {
    {KvTYPE_CHAR, Kind::kSigned, 1},      {KvTYPE_SHORT, Kind::kSigned, 2},
    {KvTYPE_LONG, Kind::kSigned, 4},      {KvTYPE_DOUBLE, Kind::kFloat, 8},
    {KvTYPE_FLOAT, Kind::kFloat, 4},      {KvTYPE_WORD, Kind::kUnsigned, 2},
    {KvTYPE_DWORD, Kind::kUnsigned, 4},   {KvTYPE_INT, Kind::kSigned, 4},
    {KvTYPE_UNSIGNED, Kind::kUnsigned, 4}, {KvTYPE_ENUM, Kind::kSigned, 4},
    {KvTYPE_BYTE, Kind::kUnsigned, 1},    {KvTYPE_BLOCKID, Kind::kUnsigned, 4},
};

const NumberType* FindNumberType(char id) {
  for (const NumberType& t : kNumberTypes)
    if (t.id == id) return &t;
  return nullptr;
}

std::string TypeName(char id) { return Manager().NameGet(id, nullptr); }

[[noreturn]] void BadValue(char id, const std::string& text, const std::string& expected) {
  throw CliError{"bad value '" + text + "' for type " + TypeName(id) + " (expected " + expected + ")"};
}

void ParseOne(const NumberType& t, const std::string& text, uint8_t* out) {
  if (t.kind == Kind::kFloat) {
    char* end = nullptr;
    const double d = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0') BadValue(t.id, text, "a number");
    // A finite number beyond the type's range is refused rather than stored
    // as an infinity; "inf" itself is a value.
    const bool namedInfinity = text.find_first_of("iI") != std::string::npos;
    if (!namedInfinity && (std::isinf(d) || (t.width == 4 && std::isinf(static_cast<float>(d)))))
      BadValue(t.id, text, t.width == 4 ? "a number within +-3.40282e+38" : "a number within +-1.79769e+308");
    if (t.width == 4) {
      const float f = static_cast<float>(d);
      std::memcpy(out, &f, 4);
    } else {
      std::memcpy(out, &d, 8);
    }
    return;
  }
  const int bits = static_cast<int>(t.width * 8);
  const long long low = t.kind == Kind::kSigned ? -(1LL << (bits - 1)) : 0;
  const long long high = t.kind == Kind::kSigned ? (1LL << (bits - 1)) - 1 : (1LL << bits) - 1;
  long long v = 0;
  // A single non-digit character stands for its byte in the one-byte types.
  if (t.width == 1 && text.size() == 1 && !std::isdigit(static_cast<unsigned char>(text[0]))) {
    v = static_cast<unsigned char>(text[0]);
    if (t.kind == Kind::kSigned && v > 127) v -= 256;
  } else {
    char* end = nullptr;
    errno = 0;
    v = std::strtoll(text.c_str(), &end, 0);
    if (text.empty() || *end != '\0' || errno != 0 || v < low || v > high)
      BadValue(t.id, text, "an integer from " + std::to_string(low) + " to " + std::to_string(high) +
                               (t.width == 1 ? " or one character" : ""));
  }
  const uint8_t v8 = static_cast<uint8_t>(v);
  const uint16_t v16 = static_cast<uint16_t>(v);
  const uint32_t v32 = static_cast<uint32_t>(v);
  std::memcpy(out, t.width == 1 ? static_cast<const void*>(&v8)
                   : t.width == 2 ? static_cast<const void*>(&v16)
                                  : static_cast<const void*>(&v32),
              t.width);
}

}  // namespace

bool IsNumberType(char id) { return FindNumberType(id) != nullptr; }

char NumberTypeArg(const std::string& name, const char* command) {
  const char id = TypeIdOf(name);
  if (!IsNumberType(id))
    throw CliError{std::string(command) + " does not handle type " +
                   Manager().NameGet(id, nullptr) + " yet"};
  return id;
}

std::vector<uint8_t> ParseNumbers(char id, const std::string& text, uint32_t* count) {
  const NumberType* t = FindNumberType(id);
  if (t == nullptr) throw CliError{"type " + TypeName(id) + " is not a number type"};
  std::vector<uint8_t> values;
  size_t start = 0;
  *count = 0;
  for (;;) {
    const size_t comma = text.find(',', start);
    const std::string item = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    values.resize(values.size() + t->width);
    ParseOne(*t, item, values.data() + values.size() - t->width);
    ++*count;
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return values;
}

std::string FormatNumber(char id, const void* value) {
  const NumberType* t = FindNumberType(id);
  char text[64];
  if (t->kind == Kind::kFloat) {
    double d;
    if (t->width == 4) {
      float f;
      std::memcpy(&f, value, 4);
      d = f;
      std::snprintf(text, sizeof text, "%.9g", d);
    } else {
      std::memcpy(&d, value, 8);
      std::snprintf(text, sizeof text, "%.17g", d);
    }
    return text;
  }
  uint8_t v8;
  uint16_t v16;
  uint32_t v32;
  uint64_t bits;
  if (t->width == 1) {
    std::memcpy(&v8, value, 1);
    bits = v8;
  } else if (t->width == 2) {
    std::memcpy(&v16, value, 2);
    bits = v16;
  } else {
    std::memcpy(&v32, value, 4);
    bits = v32;
  }
  if (t->kind == Kind::kSigned) {
    const int shift = 64 - static_cast<int>(t->width * 8);
    const long long v = static_cast<long long>(bits << shift) >> shift;
    std::snprintf(text, sizeof text, "%lld", v);
  } else {
    std::snprintf(text, sizeof text, "%llu", static_cast<unsigned long long>(bits));
  }
  std::string out = text;
  if (t->width == 1 && std::isprint(static_cast<int>(bits))) out += " '" + std::string(1, static_cast<char>(bits)) + "'";
  return out;
}
