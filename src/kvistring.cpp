// kvistring.cpp — KvIString and KvCaseIString: owned 8-bit text, the
// folding tables and the folded comparison.
//
// The two classes are one implementation: the text operations below know
// nothing of folding, and the folding routines take the class's table. Each
// class only forwards to them.
#include "kvtm/kvistring.h"

#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string_view>

#include "kvplatform/kvmemory.h"

// A text pointer and the attribute byte after it, padded to the pointer's
// alignment: the memory form of type ids 20 and 21, which the compare
// functions read field by field.
static_assert(sizeof(KvIString) == (sizeof(void*) == 8 ? 16 : 8), "KvIString memory form");
static_assert(sizeof(KvCaseIString) == sizeof(KvIString), "KvCaseIString memory form");

namespace {

// ---- Folding tables ----

// Secondary values up to this one name an accent; above it they are a
// second weight (the character sorts as two letters).
constexpr uint8_t kLastAccent = 8;

struct FoldTable {
  uint8_t p64[64];    // primary weights of bytes 64 to 127
  uint8_t p192[64];   // primary weights of bytes 192 to 255
  uint8_t s192[64];   // secondary values of bytes 192 to 255
  uint8_t primary156;  // the ligature oe: its first letter differs by class
  uint8_t second156;
  bool accentWeights;  // honours KvISTR_ACCENTS
};

// These weights are stored in index keys and folded forms on disk: entries
// that look wrong (215 weighing as 0x4C, 209 without its tilde, 197 and 198
// after 'Z') are kept as they are, or existing keys would no longer match.
constexpr FoldTable kIFolding = {
    {0x40, 0x54, 0x5B, 0x5E, 0x61, 0x69, 0x6F, 0x71, 0x73, 0x79, 0x7F, 0x81, 0x83, 0x85, 0x87, 0x90,
     0x97, 0x99, 0x9B, 0x9D, 0x9F, 0xA5, 0xAB, 0xAD, 0xAF, 0xB3, 0xB7, 0x42, 0x43, 0x44, 0x45, 0x46,
     0x41, 0x4E, 0x5A, 0x5C, 0x60, 0x64, 0x6E, 0x70, 0x72, 0x74, 0x7E, 0x80, 0x82, 0x84, 0x86, 0x8A,
     0x96, 0x98, 0x9A, 0x9C, 0x9E, 0xA0, 0xAA, 0xAC, 0xAE, 0xB0, 0xB6, 0x47, 0x48, 0x49, 0x4A, 0x4B},
    {0x54, 0x54, 0x54, 0x54, 0x54, 0xBD, 0xB9, 0x5E, 0x69, 0x69, 0x69, 0x69, 0x79, 0x79, 0x79, 0x79,
     0x63, 0x89, 0x90, 0x90, 0x90, 0x90, 0x90, 0x4C, 0xBB, 0xA5, 0xA5, 0xA5, 0xA5, 0xB3, 0xBF, 0x9C,
     0x4E, 0x4E, 0x4E, 0x4E, 0x4E, 0xBC, 0xB8, 0x5C, 0x64, 0x64, 0x64, 0x64, 0x74, 0x74, 0x74, 0x74,
     0x62, 0x88, 0x8A, 0x8A, 0x8A, 0x8A, 0x8A, 0x4D, 0xBA, 0xA0, 0xA0, 0xA0, 0xA0, 0xB0, 0xBE, 0xB0},
    {3, 2, 4, 5, 1, 0, 0, 1, 3, 2, 4, 1, 3, 2, 4, 1,
     0, 0, 3, 2, 4, 5, 1, 0, 0, 3, 2, 4, 1, 2, 0, 0x9C,
     3, 2, 4, 5, 1, 0, 0, 1, 3, 2, 4, 1, 3, 2, 4, 1,
     0, 0, 3, 2, 4, 5, 1, 0, 0, 3, 2, 4, 1, 2, 0, 1},
    0x8A, 0x64, false};

constexpr FoldTable kCaseFolding = {
    {0x40, 0x54, 0x5B, 0x5E, 0x61, 0x69, 0x6F, 0x71, 0x73, 0x79, 0x7F, 0x81, 0x83, 0x85, 0x87, 0x90,
     0x97, 0x99, 0x9B, 0x9D, 0x9F, 0xA5, 0xAB, 0xAD, 0xAF, 0xB3, 0xB7, 0x42, 0x43, 0x44, 0x45, 0x46,
     0x41, 0x54, 0x5B, 0x5E, 0x61, 0x69, 0x6F, 0x71, 0x73, 0x79, 0x7F, 0x81, 0x83, 0x85, 0x87, 0x90,
     0x97, 0x99, 0x9B, 0x9D, 0x9F, 0xA5, 0xAB, 0xAD, 0xAF, 0xB3, 0xB7, 0x47, 0x48, 0x49, 0x4A, 0x4B},
    {0x54, 0x54, 0x54, 0x54, 0x54, 0xBD, 0xB9, 0x5E, 0x69, 0x69, 0x69, 0x69, 0x79, 0x79, 0x79, 0x79,
     0x63, 0x89, 0x90, 0x90, 0x90, 0x90, 0x90, 0x4C, 0xBB, 0xA5, 0xA5, 0xA5, 0xA5, 0xB3, 0xBF, 0x9D,
     0x54, 0x54, 0x54, 0x54, 0x54, 0xBD, 0xB9, 0x5E, 0x69, 0x69, 0x69, 0x69, 0x79, 0x79, 0x79, 0x79,
     0x63, 0x89, 0x90, 0x90, 0x90, 0x90, 0x90, 0x4D, 0xBB, 0xA5, 0xA5, 0xA5, 0xA5, 0xB3, 0xBF, 0xB3},
    {3, 2, 4, 5, 1, 0, 0, 1, 3, 2, 4, 1, 3, 2, 4, 1,
     0, 0, 3, 2, 4, 5, 1, 0, 0, 3, 2, 4, 1, 2, 0, 0x9D,
     3, 2, 4, 5, 1, 0, 0, 1, 3, 2, 4, 1, 3, 2, 4, 1,
     0, 0, 3, 2, 4, 5, 1, 0, 0, 3, 2, 4, 1, 2, 0, 1},
    0x90, 0x69, true};

uint8_t FoldByte(const FoldTable& t, uint8_t c, uint8_t& secondary) {
  secondary = 0;
  if (c < 64) return c;
  if (c < 128) return t.p64[c - 64];
  if (c < 160) {
    if (c == 140) {  // OE: 'O' then 'E'
      secondary = 0x69;
      return 0x90;
    }
    if (c == 156) {
      secondary = t.second156;
      return t.primary156;
    }
    if (c == 159) {  // Y with diaeresis
      secondary = 1;
      return 0xB3;
    }
    return static_cast<uint8_t>(c + 96);
  }
  if (c < 192) return static_cast<uint8_t>(c + 16);
  secondary = t.s192[c - 192];
  return t.p192[c - 192];
}

// One side of a folded comparison: the position in the text and the second
// weight still owed for the character read last.
struct WeightReader {
  const uint8_t* p;
  uint8_t pending;
  bool folded;  // the bytes are weights already

  // The text is over only once its owed weight has been compared too:
  // otherwise byte 223 would end level with "ssa" after its two weights.
  bool Ended() const { return *p == 0 && pending == 0; }

  // Never moves past the terminator of a text that has not Ended().
  uint8_t Next(const FoldTable& t, bool accents) {
    if (folded) return *p++;
    if (pending != 0) {
      const uint8_t w = pending;
      pending = 0;
      return w;
    }
    uint8_t s;
    const uint8_t w = FoldByte(t, *p++, s);
    // Accent-sensitive weights lie between a letter and the next one: the
    // accent just above the letter, a two-letter character just below it.
    if (accents) return static_cast<uint8_t>(s > kLastAccent ? w - 1 : w + s);
    if (s > kLastAccent) pending = s;
    return w;
  }
};

int16_t CompareFolded(const FoldTable& t, const char* t1, const char* t2, uint16_t limit,
                      uint8_t a1, uint8_t a2) {
  if (t1 == nullptr) return t2 != nullptr ? -1 : 0;
  if (t2 == nullptr) return 1;
  const uint8_t* u1 = reinterpret_cast<const uint8_t*>(t1);
  const uint8_t* u2 = reinterpret_cast<const uint8_t*>(t2);
  if (u1[0] == 0 || u2[0] == 0) return static_cast<int16_t>(u1[0] - u2[0]);

  // Only the first operand says whether accents weigh: a search value
  // decides how the stored values it meets are compared.
  const bool accents = t.accentWeights && (a1 & KvISTR_ACCENTS) != 0;
  WeightReader r1{u1, 0, (a1 & KvISTR_FOLDED) != 0};
  WeightReader r2{u2, 0, (a2 & KvISTR_FOLDED) != 0};
  const uint32_t rounds = limit == 0 ? 65535 : limit;
  for (uint32_t i = 0; i < rounds; ++i) {
    // The terminator weighs 0, below every character, so a text sorts
    // before its extensions; both sides read their last weight first.
    const bool last = r1.Ended() || r2.Ended();
    const uint8_t w1 = r1.Next(t, accents);
    const uint8_t w2 = r2.Next(t, accents);
    if (w1 != w2) return static_cast<int16_t>(w1 - w2);
    if (last) return 0;
  }
  return 0;
}

uint16_t FoldInto(const FoldTable& t, char* target, const char* source, uint16_t limit) {
  if (target == nullptr || source == nullptr) return 0;
  const size_t room = limit == 0 ? SIZE_MAX : limit;
  size_t n = 0;
  for (const uint8_t* p = reinterpret_cast<const uint8_t*>(source); *p != 0 && n < room; ++p) {
    uint8_t s;
    target[n++] = static_cast<char>(FoldByte(t, *p, s));
    if (s > kLastAccent && n < room) target[n++] = static_cast<char>(s);
  }
  if (n < room) target[n++] = 0;
  // Kept to 16 bits, like every count of the stored forms.
  return static_cast<uint16_t>(n);
}

// The character that weight `w` (and, when it is that character's accent,
// the byte `next` after it) stands for; `used` grows by the bytes taken.
uint8_t Unweigh(const FoldTable& t, uint8_t w, uint8_t next, uint32_t& used) {
  for (int i = 0; i < 64; ++i) {
    if (t.p192[i] != w) continue;
    // A zero is the terminator, never an accent: taking it would leave the
    // text unterminated and read on. A second weight equal to the first is
    // two letters (223 comes back as "SS").
    if (next != 0 && t.s192[i] == next && next != w) {
      used += 2;
      return static_cast<uint8_t>(192 + i);
    }
    break;
  }
  ++used;
  for (int i = 0; i < 64; ++i)
    if (t.p64[i] == w) return static_cast<uint8_t>(64 + i);
  if (w >= 224) return static_cast<uint8_t>(w - 96);
  if (w >= 176 && w <= 207) return static_cast<uint8_t>(w - 16);
  return w;
}

uint16_t UnfoldInto(const FoldTable& t, char* target, const char* source, uint16_t limit) {
  if (target == nullptr || source == nullptr) return 0;
  if (limit == 0) return 1;
  const uint8_t* weights = reinterpret_cast<const uint8_t*>(source);
  uint32_t used = 0;
  size_t written = 0;
  while (used < limit) {
    const uint8_t w = weights[used];
    if (w == 0) {
      target[written] = 0;
      return static_cast<uint16_t>(used + 1);
    }
    const uint8_t next = used + 1 < limit ? weights[used + 1] : 0;
    target[written++] = static_cast<char>(Unweigh(t, w, next, used));
  }
  return static_cast<uint16_t>(used);
}

// ---- Text shared by both classes ----

size_t Length(const char* text) { return text != nullptr ? std::strlen(text) : 0; }

// n bytes and a terminator; null when that is beyond the allocator or
// memory ran out.
char* Allocate(size_t n) {
  if (n >= UINT32_MAX) return nullptr;
  return static_cast<char*>(KvMemAlloc(static_cast<uint32_t>(n + 1)));
}

// Replaces `text` by the pieces one after another, exactly sized; a null
// text when they are all empty. When memory runs out the old text stays.
// Pieces may lie inside the old text, which is released last.
void SetText(char*& text, std::initializer_list<std::string_view> pieces) {
  size_t n = 0;
  for (std::string_view piece : pieces) n += piece.size();
  char* fresh = nullptr;
  if (n != 0) {
    fresh = Allocate(n);
    if (fresh == nullptr) return;
    char* q = fresh;
    for (std::string_view piece : pieces) {
      if (!piece.empty()) std::memcpy(q, piece.data(), piece.size());
      q += piece.size();
    }
    *q = 0;
  }
  KvMemFree(text);
  text = fresh;
}

char* CopyOf(const char* s) {
  char* text = nullptr;
  SetText(text, {std::string_view(s != nullptr ? s : "")});
  return text;
}

char* CopyOfFirst(const char* s, unsigned short n) {
  if (n == 0) return nullptr;
  char* text = Allocate(n);
  if (text == nullptr) return nullptr;
  // Only the bytes before `s`'s terminator are read; the rest are zero.
  const size_t m = s != nullptr ? strnlen(s, n) : 0;
  if (m != 0) std::memcpy(text, s, m);
  std::memset(text + m, 0, n + 1 - m);
  return text;
}

// Formats into a text measured by a first pass: "%f" of a large double runs
// to more than 300 characters, so no fixed work area would do.
__attribute__((format(printf, 1, 2))) char* Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  const int n = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  char* text = n > 0 ? Allocate(static_cast<size_t>(n)) : nullptr;
  if (text != nullptr) std::vsnprintf(text, static_cast<size_t>(n) + 1, format, again);
  va_end(again);
  return text;
}

// The leading decimal number, clamped to 32 bits as atoi and atol of the
// 32-bit platform clamp it.
int32_t LeadingInteger(const char* text) {
  if (text == nullptr) return 0;
  const long long v = std::strtoll(text, nullptr, 10);
  if (v > INT32_MAX) return INT32_MAX;
  if (v < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(v);
}

double LeadingDouble(const char* text) { return text != nullptr ? std::atof(text) : 0.0; }

void Insert(char*& text, const char* s, unsigned short pos) {
  const size_t n = Length(s);
  if (n == 0) return;
  const size_t length = Length(text);
  const size_t at = pos < length ? pos : length;
  SetText(text, {{text, at}, {s, n}, {text + at, length - at}});
}

void Replace(char* text, const char* s, unsigned short pos) {
  const size_t length = Length(text);
  if (pos > length) return;
  size_t n = Length(s);
  if (n > length - pos) n = length - pos;
  // `s` may be this very text.
  if (n != 0) std::memmove(text + pos, s, n);
}

void Fill(char*& text, unsigned short n, char c) {
  if (n == 0) return;
  if (n > Length(text)) {
    char* fresh = Allocate(n);
    if (fresh == nullptr) return;
    fresh[n] = 0;
    KvMemFree(text);
    text = fresh;
  }
  std::memset(text, c, n);
}

void Expand(char*& text, unsigned short n, char c) {
  const size_t length = Length(text);
  if (length >= n) return;
  char* fresh = Allocate(n);
  if (fresh == nullptr) return;
  if (length != 0) std::memcpy(fresh, text, length);
  std::memset(fresh + length, c, n - length);
  fresh[n] = 0;
  KvMemFree(text);
  text = fresh;
}

void ToUpper(char* text) {
  if (text == nullptr) return;
  for (unsigned char* p = reinterpret_cast<unsigned char*>(text); *p != 0; ++p) {
    const unsigned char c = *p;
    if ((c >= 'a' && c <= 'z') || (c >= 224 && c <= 254 && c != 247)) {
      *p = static_cast<unsigned char>(c - 32);
    } else if (c == 156) {
      *p = 140;
    } else if (c == 255) {
      *p = 159;
    }
  }
}

void ToLower(char* text) {
  if (text == nullptr) return;
  for (unsigned char* p = reinterpret_cast<unsigned char*>(text); *p != 0; ++p) {
    const unsigned char c = *p;
    if ((c >= 'A' && c <= 'Z') || (c >= 192 && c <= 222 && c != 215)) {
      *p = static_cast<unsigned char>(c + 32);
    } else if (c == 140) {
      *p = 156;
    } else if (c == 159) {
      *p = 255;
    }
  }
}

void Swap(char* text, char from, char to) {
  if (text == nullptr) return;
  for (char* p = text; *p != 0; ++p)
    if (*p == from) *p = to;
}

int SubStringPos(const char* text, const char* s) {
  const size_t n = Length(s);
  if (n == 0) return static_cast<int>(Length(text));
  if (text == nullptr) return -1;
  const char* hit = std::strstr(text, s);
  return hit != nullptr ? static_cast<int>(hit - text) : -1;
}

// The part [pos, pos + n) that Cut and Copy work on, n cut to what remains;
// empty when `pos` is beyond the text.
std::string_view Part(const char* text, unsigned short pos, unsigned short n) {
  const size_t length = Length(text);
  if (pos > length) return {};
  return {text + pos, n < length - pos ? n : length - pos};
}

void Cut(char*& text, unsigned short pos, unsigned short n) {
  const std::string_view part = Part(text, pos, n);
  if (part.empty()) return;
  const size_t length = Length(text);
  const size_t end = pos + part.size();
  SetText(text, {{text, pos}, {text + end, length - end}});
}

}  // namespace

// ---- KvIString ----

KvIString::KvIString(const KvIString& s) : text_(CopyOf(s.text_)), attributes_(0) {}
KvIString::KvIString(char c) : text_(CopyOfFirst(&c, c != 0 ? 1 : 0)), attributes_(0) {}
KvIString::KvIString(const char* s) : text_(CopyOf(s)), attributes_(0) {}
KvIString::KvIString(const char* s, unsigned short n) : text_(CopyOfFirst(s, n)), attributes_(0) {}
KvIString::KvIString(int v) : text_(Format("%d", v)), attributes_(0) {}
KvIString::KvIString(short v) : text_(Format("%d", v)), attributes_(0) {}
// A long is a 32-bit quantity in every text, whatever the host's long.
KvIString::KvIString(long v) : text_(Format("%d", static_cast<int32_t>(v))), attributes_(0) {}
KvIString::KvIString(unsigned long v)
    : text_(Format("%u", static_cast<uint32_t>(v))), attributes_(0) {}
KvIString::KvIString(double v) : text_(Format("%f", v)), attributes_(0) {}

KvIString::~KvIString() {
  // The compare functions find the attributes right after the pointer.
  static_assert(offsetof(KvIString, attributes_) == sizeof(char*), "KvIString memory form");
  KvMemFree(text_);
  text_ = nullptr;
}

KvIString::operator int() const { return LeadingInteger(text_); }
KvIString::operator short() const { return static_cast<short>(LeadingInteger(text_)); }
KvIString::operator long() const { return LeadingInteger(text_); }
KvIString::operator double() const { return LeadingDouble(text_); }

KvIString& KvIString::operator=(const KvIString& s) {
  if (&s == this) return *this;
  SetText(text_, {std::string_view(s.StrGet())});
  attributes_ = s.attributes_;
  return *this;
}

KvIString& KvIString::operator=(const char* s) {
  SetText(text_, {std::string_view(s != nullptr ? s : "")});
  attributes_ = 0;
  return *this;
}

KvIString& KvIString::operator+=(const KvIString& s) {
  if (s.text_ != nullptr) SetText(text_, {StrGet(), s.text_});
  return *this;
}

KvIString operator+(const KvIString& a, const KvIString& b) {
  KvIString sum(a);
  sum += b;
  return sum;
}

void KvIString::Insert(const KvIString& s, unsigned short pos) { ::Insert(text_, s.text_, pos); }
void KvIString::Replace(const KvIString& s, unsigned short pos) { ::Replace(text_, s.text_, pos); }
void KvIString::Fill(unsigned short n, char c) { ::Fill(text_, n, c); }
void KvIString::Expand(unsigned short n, char c) { ::Expand(text_, n, c); }
void KvIString::ToUpper() { ::ToUpper(text_); }
void KvIString::ToLower() { ::ToLower(text_); }
void KvIString::SpaceToZero() { Swap(text_, ' ', '0'); }
void KvIString::ZeroToSpace() { Swap(text_, '0', ' '); }
int KvIString::SubStringPos(const KvIString& s) const { return ::SubStringPos(text_, s.text_); }
void KvIString::Cut(unsigned short pos, unsigned short n) { ::Cut(text_, pos, n); }

KvIString KvIString::Copy(unsigned short pos, unsigned short n) const {
  KvIString part;
  SetText(part.text_, {Part(text_, pos, n)});
  return part;
}

uint32_t KvIString::Len() const { return static_cast<uint32_t>(Length(text_)); }

unsigned char KvIString::Fold(unsigned char c, unsigned char& secondary) {
  return FoldByte(kIFolding, c, secondary);
}

short KvIString::FoldedCompare(const char* t1, const char* t2, unsigned short limit,
                               unsigned char attributes1, unsigned char attributes2) {
  return CompareFolded(kIFolding, t1, t2, limit, attributes1, attributes2);
}

unsigned short KvIString::FoldText(char* target, const char* source, unsigned short limit) {
  return FoldInto(kIFolding, target, source, limit);
}

// ---- KvCaseIString ----

KvCaseIString::KvCaseIString(const KvCaseIString& s) : text_(CopyOf(s.text_)), attributes_(0) {}
KvCaseIString::KvCaseIString(char c) : text_(CopyOfFirst(&c, c != 0 ? 1 : 0)), attributes_(0) {}
KvCaseIString::KvCaseIString(const char* s) : text_(CopyOf(s)), attributes_(0) {}
KvCaseIString::KvCaseIString(const char* s, unsigned short n)
    : text_(CopyOfFirst(s, n)), attributes_(0) {}
KvCaseIString::KvCaseIString(int v) : text_(Format("%d", v)), attributes_(0) {}
KvCaseIString::KvCaseIString(short v) : text_(Format("%d", v)), attributes_(0) {}
KvCaseIString::KvCaseIString(long v)
    : text_(Format("%d", static_cast<int32_t>(v))), attributes_(0) {}
KvCaseIString::KvCaseIString(unsigned long v)
    : text_(Format("%u", static_cast<uint32_t>(v))), attributes_(0) {}
KvCaseIString::KvCaseIString(double v) : text_(Format("%f", v)), attributes_(0) {}

KvCaseIString::~KvCaseIString() {
  static_assert(offsetof(KvCaseIString, attributes_) == sizeof(char*),
                "KvCaseIString memory form");
  KvMemFree(text_);
  text_ = nullptr;
}

KvCaseIString::operator int() const { return LeadingInteger(text_); }
KvCaseIString::operator short() const { return static_cast<short>(LeadingInteger(text_)); }
KvCaseIString::operator long() const { return LeadingInteger(text_); }
KvCaseIString::operator double() const { return LeadingDouble(text_); }

KvCaseIString& KvCaseIString::operator=(const KvCaseIString& s) {
  if (&s == this) return *this;
  SetText(text_, {std::string_view(s.StrGet())});
  attributes_ = s.attributes_;
  return *this;
}

KvCaseIString& KvCaseIString::operator=(const char* s) {
  SetText(text_, {std::string_view(s != nullptr ? s : "")});
  attributes_ = 0;
  return *this;
}

KvCaseIString& KvCaseIString::operator+=(const KvCaseIString& s) {
  if (s.text_ != nullptr) SetText(text_, {StrGet(), s.text_});
  return *this;
}

KvCaseIString operator+(const KvCaseIString& a, const KvCaseIString& b) {
  KvCaseIString sum(a);
  sum += b;
  return sum;
}

void KvCaseIString::Insert(const KvCaseIString& s, unsigned short pos) {
  ::Insert(text_, s.text_, pos);
}
void KvCaseIString::Replace(const KvCaseIString& s, unsigned short pos) {
  ::Replace(text_, s.text_, pos);
}
void KvCaseIString::Fill(unsigned short n, char c) { ::Fill(text_, n, c); }
void KvCaseIString::Expand(unsigned short n, char c) { ::Expand(text_, n, c); }
void KvCaseIString::ToUpper() { ::ToUpper(text_); }
void KvCaseIString::ToLower() { ::ToLower(text_); }
void KvCaseIString::SpaceToZero() { Swap(text_, ' ', '0'); }
void KvCaseIString::ZeroToSpace() { Swap(text_, '0', ' '); }
int KvCaseIString::SubStringPos(const KvCaseIString& s) const {
  return ::SubStringPos(text_, s.text_);
}
void KvCaseIString::Cut(unsigned short pos, unsigned short n) { ::Cut(text_, pos, n); }

KvCaseIString KvCaseIString::Copy(unsigned short pos, unsigned short n) const {
  KvCaseIString part;
  SetText(part.text_, {Part(text_, pos, n)});
  return part;
}

uint32_t KvCaseIString::Len() const { return static_cast<uint32_t>(Length(text_)); }

unsigned char KvCaseIString::Fold(unsigned char c, unsigned char& secondary) {
  return FoldByte(kCaseFolding, c, secondary);
}

short KvCaseIString::FoldedCompare(const char* t1, const char* t2, unsigned short limit,
                                   unsigned char attributes1, unsigned char attributes2) {
  return CompareFolded(kCaseFolding, t1, t2, limit, attributes1, attributes2);
}

unsigned short KvCaseIString::FoldText(char* target, const char* source, unsigned short limit) {
  return FoldInto(kCaseFolding, target, source, limit);
}

unsigned short KvCaseIString::UnfoldText(char* target, const char* source,
                                         unsigned short limit) {
  return UnfoldInto(kCaseFolding, target, source, limit);
}
