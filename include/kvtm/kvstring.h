// kvstring.h — the library's string value: 8-bit or 16-bit code units
// labelled with a code set and a language.
#ifndef KVTM_KVSTRING_H
#define KVTM_KVSTRING_H

#include <cstdint>

#include "kvtm/export.h"
#include "kvtm/kvchar.h"

// The largest buffer a string may have, in bytes, terminator included: at
// most 65532 8-bit units or 32765 16-bit units.
enum : uint16_t { KvSTRING_MAX_SIZE = 65533 };

// A count of 0xFFFF stands for the whole text.
enum : uint16_t { KvSTRING_WHOLE = 0xFFFF };

// An argument outside the accepted range (a code set, an order value).
enum : int { KvERR_OUT_OF_RANGE = -2002 };

// KvSplitList: the list has no further item.
enum : int { KvERR_NO_ITEM = -2005 };

// A compare operator argument of 0xFFFF stands for the default compare
// operator of the language context.
enum : unsigned short { KvCMP_DEFAULT = 0xFFFF };

// Text is a zero-terminated run of code units; code sets above 224 hold
// 16-bit units (in native byte order), every other code set (0 included)
// 8-bit units. Code set 0 stands for the native code set wherever text is
// converted. The buffer is owned, exactly sized (terminator included) and
// at most KvSTRING_MAX_SIZE bytes.
//
// Empty strings come in two forms: no buffer at all (default construction,
// a null pointer or a zero character, after release) and a buffer holding
// only the terminator (construction from ""). Both have length 0.
//
// A change whose result would exceed KvSTRING_MAX_SIZE bytes is refused and
// leaves the string as it was; it is reported through KIVO_assert when the
// configuration entry "stringOverflow" of section "debug" is nonzero. Texts
// are measured at full width, so a text too long for the string is refused,
// never cut or wrapped.
//
// New strings take their code set and language from the language context at
// the moment they are made: 8-bit text the default 8-bit code set, 16-bit
// text the default 16-bit code set, numbers and no text the default code set.
class KVTM_EXPORT KvString {
 public:
  // No text; the default code set and language.
  KvString();
  // No text; the given code set and language.
  KvString(unsigned char codeSet, unsigned char language);
  // `other`'s text up to its terminator, code set and language; no text
  // when `other` has no buffer.
  KvString(const KvString& other);
  // One character; 0 gives no text.
  KvString(char c);
  KvString(unsigned short c);
  // The text up to its terminator; null gives no text, "" an empty text
  // with a buffer.
  KvString(const char* text);
  KvString(const unsigned short* text);
  // The first `count` units of `text`, which must hold that many (a zero
  // among them ends the text for every later measure, though the buffer
  // keeps them all). KvSTRING_WHOLE takes the text up to its terminator;
  // 0 or a null `text` gives no text.
  KvString(const char* text, unsigned short count);
  KvString(const unsigned short* text, unsigned short count);
  // Numbers in decimal, in the default code set: "%d", "%d", "%u", "%ld",
  // "%lu" and "%.15g" (15 significant digits) of the value.
  KvString(short v);
  KvString(int v);
  KvString(unsigned int v);
  KvString(long v);
  KvString(unsigned long v);
  KvString(double v);
  ~KvString();

  // Takes `other`'s code set, text and language; self-assignment does
  // nothing.
  KvString& operator=(const KvString& other);
  // The old text is released first, then the string takes the default 8-bit
  // (or 16-bit) code set, the text and the default language. A text too
  // long for a string leaves it with no text.
  KvString& operator=(const char* text);
  KvString& operator=(const unsigned short* text);

  // Appends `other`'s text, converted into this string's code set; code set
  // and language stay. A string with no buffer gains one (possibly empty).
  void operator+=(const KvString& other);

  // Append the argument as the matching constructor makes it, converted into
  // this string's code set. An unsigned short is one 16-bit character when
  // this string is 16-bit, and a number in decimal when it is 8-bit. A float
  // is widened to double ("%.15g": 0.1f appends "0.100000001490116").
  KvString& operator<<(char c);
  KvString& operator<<(unsigned short c);
  KvString& operator<<(const char* text);
  KvString& operator<<(const unsigned short* text);
  KvString& operator<<(const KvString& other);
  KvString& operator<<(short v);
  KvString& operator<<(int v);
  KvString& operator<<(unsigned int v);
  KvString& operator<<(long v);
  KvString& operator<<(unsigned long v);
  KvString& operator<<(double v);
  KvString& operator<<(float v);

  // The buffer, or a static empty text that reads as empty in either width
  // (never null; do not write to it).
  char* StrGet() const;
  // Units before the first zero unit; 0 without a buffer.
  unsigned short Len() const;
  // 1 when there is no buffer or its first unit is zero, else 0.
  unsigned short IsEmpty() const;
  unsigned short operator!() const { return IsEmpty(); }

  // Buffer size in bytes, terminator included; 0 without a buffer.
  unsigned short SizeGet() const { return size_; }
  unsigned char CodeSetGet() const { return codeSet_; }
  unsigned char LanguageGet() const { return language_; }

  // Releases the buffer; every field becomes zero (code set and language
  // included).
  void d_deactivate();

  // Moves `other` into this string: the own buffer is released and
  // `other`'s four fields taken; `other` is left with no buffer and size 0
  // but keeps its code set and language. Nothing happens when `other` is
  // this string.
  void Destruct(KvString& other);

  // Relabels the text without touching it. KvERR_OUT_OF_RANGE, and no
  // change, when `codeSet` has the other unit width; else 0.
  int SetCodeSetCode(unsigned char codeSet);

  // Sets the code set, converting the text only when the unit width changes
  // (0 converts into the native code set); between code sets of one width
  // only the label changes. A conversion whose result would exceed
  // KvSTRING_MAX_SIZE bytes is refused: text and label stay.
  void SetCodeSet(unsigned char codeSet);

  // Converts every character into `codeSet` (one lacking there becomes
  // 0x1A, or U+FFFD in a 16-bit code set) and relabels; 0. Code set 0, or a
  // result that would exceed KvSTRING_MAX_SIZE bytes: KvERR_OUT_OF_RANGE and
  // no change.
  int MapToCodeSet(unsigned char codeSet);

  // ---- Editing ----
  // Positions and counts are in units of this string's code set. Text
  // taken from arguments is converted into this code set; results keep it.

  // Inserts `s` before `pos` (`pos` equal to the length appends); a `pos`
  // beyond the length, or an `s` without units, changes nothing.
  KvString& Insert(const KvString& s, unsigned short pos);
  // Overwrites units from `pos` with the first units of `s`, never growing
  // the text.
  KvString& Replace(const KvString& s, unsigned short pos);
  // The whole text becomes n copies of `c` (n = 0: an empty text with a
  // buffer).
  KvString& Fill(unsigned short n, char c);
  KvString& Fill(unsigned short n, unsigned short c);
  // Appends copies of `c` until the length is n.
  KvString& Expand(unsigned short n, char c);
  KvString& Expand(unsigned short n, unsigned short c);
  // Removes n units from `pos`; n = -1, or more than there are, removes the
  // rest. Nothing when no unit would go.
  KvString& Cut(unsigned short pos, short n);
  // Remove characters classed as space (collation order below 80) from
  // both ends, the start or the end.
  KvString& Trim();
  KvString& LeftTrim();
  KvString& RightTrim();
  // Replaces every character by op's result; extra characters an operation
  // hands back (ß upper-cases to SS) grow the text. The result keeps its
  // working allocation (twice the old size, or more when needed) and sets
  // the size to the bytes written; one that would exceed KvSTRING_MAX_SIZE
  // is refused. A string without a buffer stays as it is.
  KvString& Transform(KvCharOperation& op);
  KvString& ToUpper();
  KvString& ToLower();
  // Replaces every occurrence of `from` found from `start` on (under the
  // default compare operator) by `to`; replacements are not searched
  // again. An empty `from` replaces nothing. Stops, with the overflow
  // report, before a replacement that would exceed KvSTRING_MAX_SIZE.
  KvString& ReplaceAll(const KvString& from, const KvString& to, unsigned short start);
  KvString& ReplaceAll(char from, char to, unsigned short start);
  KvString& ReplaceAll(unsigned short from, unsigned short to, unsigned short start);

  // ---- Reading ----

  // The n units from `pos` in this code set and language; n = -1, or more
  // than there are, takes the rest; any other negative n gives an empty
  // string; `pos` at or beyond the length gives KvString("").
  KvString Copy(unsigned short pos, short n) const;
  KvString Left(unsigned short n) const;
  KvString Right(unsigned short n) const;
  // Position of the first match of `s` at or after `start` under compare
  // operator `op` (KvCMP_DEFAULT: the default), or -1. `s`'s '*' and '?'
  // are wildcards unless `op` is exact. A match is as many characters as
  // `s` has; texts of either width find each other.
  short Find(const KvString& s, unsigned short start, unsigned short op) const;
  short Find(char c, unsigned short start, unsigned short op) const;
  short Find(unsigned short c, unsigned short start, unsigned short op) const;
  short SubStringPos(const KvString& s, unsigned short op);
  // Collation order against `s` over at most n characters (-1: all; 0
  // gives 0), under `op`: <0, 0 or >0.
  long Compare(const KvString& s, short n, unsigned short op) const;
  // Compare(s, -1, KvCMP_DEFAULT) against 0; `s`'s wildcards count unless
  // the default operator is exact.
  unsigned short operator==(const KvString& s) const { return Compare(s, -1, KvCMP_DEFAULT) == 0; }
  unsigned short operator!=(const KvString& s) const { return Compare(s, -1, KvCMP_DEFAULT) != 0; }
  unsigned short operator<(const KvString& s) const { return Compare(s, -1, KvCMP_DEFAULT) < 0; }
  unsigned short operator>(const KvString& s) const { return Compare(s, -1, KvCMP_DEFAULT) > 0; }
  unsigned short operator<=(const KvString& s) const { return Compare(s, -1, KvCMP_DEFAULT) <= 0; }
  unsigned short operator>=(const KvString& s) const { return Compare(s, -1, KvCMP_DEFAULT) >= 0; }
  // The character at `i`, referring into the text (assigning to it changes
  // the string); `i` equal to the length is the terminator. Outside that,
  // or without a buffer, a free null character.
  KvChar operator[](int i);

  // The defaults of the language context, asked anew on every call.
  static unsigned char GetDefaultCodeSet();
  static unsigned char GetDefault8CodeSet();
  static unsigned char GetDefault16CodeSet();
  static unsigned char GetDefaultLanguage();
  static unsigned short GetDefaultCmpOp();
  static void SetDefaultCodeSet(unsigned char codeSet);
  static void SetDefaultLanguage(unsigned char language);
  static void SetDefaultCmpOp(unsigned short op);

  // ---- Numbers ----
  //
  // The value of the text; 0 for a string without text. Values are 32-bit
  // quantities whatever the host's long, as in every text the library
  // reads or writes.
  //
  // 8-bit text is read as strtol reads it with base 0 (leading blanks and a
  // sign are skipped, "0x1F" is 31, "017" is 15) or, when bit 0 of the
  // options word (___KvTypeMgrOptions) is set, as plain decimal like atoi
  // and atol ("0x10" is 0). Reading stops at the first character that does
  // not continue the number; text beginning with none gives 0; a value
  // beyond the 32-bit range gives -2147483648 or 2147483647.
  //
  // 16-bit text is taken as decimal digits only: every unit u up to the
  // terminator makes value × 10 + (u − '0'), wrapping in 32 bits. A sign, a
  // blank or any other unit is taken as a digit too, so only texts made of
  // the digits 0 to 9 give their value.
  //
  // operator short keeps the low 16 bits ("70000" gives 4464).
  operator int() const;
  operator short() const;
  operator long() const;
  // 8-bit text as atof reads it. 16-bit text: the units before the first
  // '.' by the digit rule above, computed as a real number (no wrap), plus
  // (u − '0') / 10^k for the k-th unit u after it ("12.5" gives 12.5).
  operator double() const;

  // v := 0; -1 when the first character is neither a digit (KvChar::IsDigit)
  // nor '-', so " 12" and "+12" are refused. Otherwise v := the value and
  // 0, even when what follows is not a number. 8-bit text is read by Atol
  // as decimal (atol) and by Strtol with base 0 (strtol), whatever the
  // options word; 16-bit text by the unit rule above.
  int Atol(long& v) const;
  int Strtol(long& v) const;

 private:
  // The library's own sources reach the unit primitives through this
  // (src/kvstring_access.h).
  friend struct KvStringAccess;

  // The one primitive through which the text of a string changes; the
  // contract is in src/kvstring_access.h.
  void EditUnits(const char* source, uint8_t sourceCodeSet, uint32_t position,
                 uint32_t sourceStart, uint32_t count, uint32_t repeat, uint8_t mode,
                 uint8_t unitFormat);
  void AssignUnits(const char* source, uint8_t sourceCodeSet, uint16_t count,
                   uint8_t unitFormat);
  static uint16_t ConvertUnits(uint8_t sourceCodeSet, uint8_t targetCodeSet,
                               const char* source, char** out);
  static uint32_t CopyUnits(char* target, const char* source, uint8_t width,
                            uint8_t unitFormat, uint32_t byteCount);
  static void ReportOverflow();

  // Replaces the buffer and size, releasing the old buffer.
  void Adopt(char* buffer, uint16_t size);
  // Takes the digits of a number formatted in the default 8-bit code set.
  void AssignNumber(const char* digits);

  char* buffer_;     // null when the string holds no text
  uint16_t size_;    // bytes in buffer_, terminator included; 0 without one
  uint8_t codeSet_;
  uint8_t language_;
};

// A new string with `a`'s code set and language holding `a`'s text followed
// by `b`'s, converted into that code set.
KVTM_EXPORT KvString operator+(const KvString& a, const KvString& b);

// Takes the next item of `list`, separated by the text `sep`, from `pos`:
// `item` becomes it, trimmed, and `pos` moves past the separator; 0. A
// separator at the very start of the list is skipped. KvERR_NO_ITEM, with
// `item` and `pos` unchanged, when the list is exhausted.
KVTM_EXPORT int KvSplitList(KvString& list, KvString& item, const KvString& sep,
                            unsigned short& pos);

#endif  // KVTM_KVSTRING_H
