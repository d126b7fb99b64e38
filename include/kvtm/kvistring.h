// kvistring.h — 8-bit strings compared without regard to accents
// (KvIString) or to accents and case (KvCaseIString).
#ifndef KVTM_KVISTRING_H
#define KVTM_KVISTRING_H

#include <cstdint>

#include "kvtm/export.h"

// Bits of the attribute byte, read by the folded comparison.
enum : uint8_t {
  KvISTR_FOLDED = 0x80,        // the text is held in folded form: its bytes are weights
  KvISTR_NO_WILD_FOLD = 0x40,  // wildcard handling needs no folding of the text
  KvISTR_ACCENTS = 0x20,       // KvCaseIString only: accents weigh (operand 1's bit decides)
};

// A zero-terminated 8-bit text in one fixed repertoire (no code set, no
// language) and an attribute byte. Comparisons fold every byte to a primary
// weight through a fixed table; accents never count, and for KvIString a
// lower-case letter weighs just below its capital ("a" < "A" < "b"). A few
// characters weigh as two letters (byte 223 as "ss").
//
// The text is owned and null when empty; copies are exactly length + 1
// bytes. Every constructor sets the attributes to 0. Positions and counts
// are bytes; no operation but operator[] reads or writes outside the text.
class KVTM_EXPORT KvIString {
 public:
  // A null text, as the type's descriptor creates values.
  KvIString() : text_(nullptr), attributes_(0) {}
  // A copy of `s`'s text (null when empty); attributes 0.
  KvIString(const KvIString& s);
  // The one-character text; 0 gives a null text.
  KvIString(char c);
  // A copy of `s` up to its terminator; null or "" gives a null text.
  KvIString(const char* s);
  // n = 0: a null text. Otherwise a text of n + 1 bytes: the first n bytes
  // of `s` (zero-filled past its terminator, or wholly when `s` is null)
  // and a terminator.
  KvIString(const char* s, unsigned short n);
  // Decimal: "%d"; a long or unsigned long as its 32-bit value ("%d",
  // "%u"); a double with "%f" (0.5 gives "0.500000"), at any magnitude.
  KvIString(int v);
  KvIString(short v);
  KvIString(long v);
  KvIString(unsigned long v);
  KvIString(double v);
  ~KvIString();

  // The leading number of the text (atoi, atof); a null text gives 0.
  // Integers are clamped to the 32-bit range; short keeps the low 16 bits.
  operator int() const;
  operator short() const;
  operator long() const;
  operator double() const;

  // Takes a copy of `s`'s text and its attributes; self-assignment does
  // nothing.
  KvIString& operator=(const KvIString& s);
  // Takes a copy of `s` (null or "" gives a null text); attributes 0.
  KvIString& operator=(const char* s);
  // Appends `s`'s text; the attributes stay.
  KvIString& operator+=(const KvIString& s);

  // FoldedCompare(this, s, no limit, own attributes, s's attributes)
  // against 0: 1 or 0. A null text sorts before every other text.
  unsigned short operator==(const KvIString& s) const { return Cmp(s) == 0; }
  unsigned short operator!=(const KvIString& s) const { return Cmp(s) != 0; }
  unsigned short operator<(const KvIString& s) const { return Cmp(s) < 0; }
  unsigned short operator>(const KvIString& s) const { return Cmp(s) > 0; }
  unsigned short operator<=(const KvIString& s) const { return Cmp(s) <= 0; }
  unsigned short operator>=(const KvIString& s) const { return Cmp(s) >= 0; }

  // 1 when the text is null.
  unsigned short operator!() const { return text_ == nullptr; }
  // Byte i of the text, unchecked: the caller keeps i within the text (a
  // null text has no bytes).
  char& operator[](int i) { return text_[i]; }
  char operator[](int i) const { return text_[i]; }

  // Inserts `s`'s text before `pos`; a `pos` beyond the length appends. An
  // empty `s` changes nothing.
  void Insert(const KvIString& s, unsigned short pos);
  // Overwrites bytes from `pos` with `s`'s text, never growing the text:
  // only as many bytes as remain after `pos` are written.
  void Replace(const KvIString& s, unsigned short pos);
  // Sets the first n bytes to `c`. When n exceeds the length the text is
  // first replaced by one of length n; otherwise the bytes after n stay.
  void Fill(unsigned short n, char c);
  // Appends copies of `c` until the length is at least n.
  void Expand(unsigned short n, char c);
  // Byte by byte: a-z and 224-254 but 247 <-> A-Z and 192-222 but 215;
  // 156 <-> 140; 255 <-> 159.
  void ToUpper();
  void ToLower();
  // Every ' ' becomes '0', or every '0' becomes ' '.
  void SpaceToZero();
  void ZeroToSpace();
  // The first position of `s`'s bytes, matched exactly (no folding); -1
  // when absent. An empty `s` is found at the end of the text.
  int SubStringPos(const KvIString& s) const;
  // Removes bytes [pos, pos + n), n cut to what remains; a `pos` beyond the
  // length or n = 0 changes nothing. Removing every byte leaves a null text.
  void Cut(unsigned short pos, unsigned short n);
  // A new value of bytes [pos, pos + n), n cut to what remains; null text
  // when `pos` is beyond the length or n = 0. Attributes 0.
  KvIString Copy(unsigned short pos, unsigned short n) const;

  // The text, or a static "" when null (never written through).
  const char* StrGet() const { return text_ != nullptr ? text_ : ""; }
  // Bytes before the terminator; 0 for a null text. 32 bits: unlike
  // KvString, the text has no size limit.
  uint32_t Len() const;
  unsigned char AttributesGet() const { return attributes_; }
  void AttributesSet(unsigned char attributes) { attributes_ = attributes; }

  // Folding, shared with the stored forms, compare functions and index
  // evaluation of this type.

  // The primary weight of byte `c`. `secondary` receives 0, an accent (1
  // to 8: 1 diaeresis or cedilla, 2 acute, 3 grave, 4 circumflex, 5 tilde)
  // or, above 8, a second weight that follows the primary.
  static unsigned char Fold(unsigned char c, unsigned char& secondary);
  // Compares folded weights, at most `limit` of them (0: 65535); returns the
  // difference of the first unequal weights, or 0. A null text sorts first;
  // when either text is "" the result is the difference of the first bytes.
  // A text whose attributes have KvISTR_FOLDED is compared as weights.
  static short FoldedCompare(const char* t1, const char* t2, unsigned short limit,
                             unsigned char attributes1, unsigned char attributes2);
  // Writes the weights of `source` (accents dropped, second weights kept)
  // to `target`; returns the bytes written. limit 0: no bound (the target
  // holds up to 2 x length + 1 bytes) and a terminator is always written;
  // otherwise at most `limit` bytes, the terminator included when it fits.
  // A null target or source gives 0.
  static unsigned short FoldText(char* target, const char* source, unsigned short limit);

 private:
  short Cmp(const KvIString& s) const {
    return FoldedCompare(text_, s.text_, 0, attributes_, s.attributes_);
  }

  char* text_;  // null when empty
  uint8_t attributes_;
};

// A new value holding `a`'s text followed by `b`'s; attributes 0.
KVTM_EXPORT KvIString operator+(const KvIString& a, const KvIString& b);

// As KvIString in every operation, but both cases of a letter weigh the
// same ("ABC" equals "abc"), and with KvISTR_ACCENTS in the first operand's
// attributes accents weigh too: an accented letter then sorts just after
// its base letter, and a character of two letters just before its first.
class KVTM_EXPORT KvCaseIString {
 public:
  KvCaseIString() : text_(nullptr), attributes_(0) {}
  KvCaseIString(const KvCaseIString& s);
  KvCaseIString(char c);
  KvCaseIString(const char* s);
  KvCaseIString(const char* s, unsigned short n);
  KvCaseIString(int v);
  KvCaseIString(short v);
  KvCaseIString(long v);
  KvCaseIString(unsigned long v);
  KvCaseIString(double v);
  ~KvCaseIString();

  operator int() const;
  operator short() const;
  operator long() const;
  operator double() const;

  KvCaseIString& operator=(const KvCaseIString& s);
  KvCaseIString& operator=(const char* s);
  KvCaseIString& operator+=(const KvCaseIString& s);

  unsigned short operator==(const KvCaseIString& s) const { return Cmp(s) == 0; }
  unsigned short operator!=(const KvCaseIString& s) const { return Cmp(s) != 0; }
  unsigned short operator<(const KvCaseIString& s) const { return Cmp(s) < 0; }
  unsigned short operator>(const KvCaseIString& s) const { return Cmp(s) > 0; }
  unsigned short operator<=(const KvCaseIString& s) const { return Cmp(s) <= 0; }
  unsigned short operator>=(const KvCaseIString& s) const { return Cmp(s) >= 0; }

  unsigned short operator!() const { return text_ == nullptr; }
  char& operator[](int i) { return text_[i]; }
  char operator[](int i) const { return text_[i]; }

  void Insert(const KvCaseIString& s, unsigned short pos);
  void Replace(const KvCaseIString& s, unsigned short pos);
  void Fill(unsigned short n, char c);
  void Expand(unsigned short n, char c);
  void ToUpper();
  void ToLower();
  void SpaceToZero();
  void ZeroToSpace();
  int SubStringPos(const KvCaseIString& s) const;
  void Cut(unsigned short pos, unsigned short n);
  KvCaseIString Copy(unsigned short pos, unsigned short n) const;

  const char* StrGet() const { return text_ != nullptr ? text_ : ""; }
  uint32_t Len() const;
  unsigned char AttributesGet() const { return attributes_; }
  void AttributesSet(unsigned char attributes) { attributes_ = attributes; }

  // As in KvIString, with this class's weights; FoldedCompare also honours
  // KvISTR_ACCENTS of `attributes1` for both texts.
  static unsigned char Fold(unsigned char c, unsigned char& secondary);
  static short FoldedCompare(const char* t1, const char* t2, unsigned short limit,
                             unsigned char attributes1, unsigned char attributes2);
  static unsigned short FoldText(char* target, const char* source, unsigned short limit);
  // Turns folded weights back into text: capitals without accents, except
  // that a weight followed by the accent of the first character of that
  // weight gives that character (0x54 0x03: 192). Reads at most `limit`
  // source bytes and writes no more than that; a zero weight writes the
  // terminator and ends. Returns the source bytes read, the zero included;
  // a null target or source gives 0, limit 0 gives 1.
  static unsigned short UnfoldText(char* target, const char* source, unsigned short limit);

 private:
  short Cmp(const KvCaseIString& s) const {
    return FoldedCompare(text_, s.text_, 0, attributes_, s.attributes_);
  }

  char* text_;  // null when empty
  uint8_t attributes_;
};

KVTM_EXPORT KvCaseIString operator+(const KvCaseIString& a, const KvCaseIString& b);

#endif  // KVTM_KVISTRING_H
