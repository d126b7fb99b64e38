// kvchar.h — one character of a code set, a walker over text, and the
// operations applied to characters one at a time.
#ifndef KVTM_KVCHAR_H
#define KVTM_KVCHAR_H

#include <cstdint>

#include "kvplatform/kvi18n.h"
#include "kvtm/export.h"

class KvString;
class KvStringIterator;

// A code set or language argument of 255 stands for the default from the
// language context. A unit format says how a 16-bit unit lies in a buffer:
// 2 most significant byte first; 1 and 8 native order.
//
// A character either refers to a unit inside some text (assigning to it
// writes into that text) or holds its own value. It owns nothing.
class KVTM_EXPORT KvChar {
 public:
  // Holds `ch` (its low byte in an 8-bit code set); cs 255: the default
  // 16-bit code set.
  KvChar(unsigned short ch = 0, unsigned char cs = 255, unsigned char language = 255);
  // Holds `ch`; cs 255: the default 8-bit code set.
  KvChar(char ch, unsigned char cs, unsigned char language);
  // Refers to the unit at `p`; cs 255: the default 8-bit code set; format
  // 255: 1.
  KvChar(char* p, unsigned char cs, unsigned char language, unsigned char format);
  // Refers to the unit at byte `offset` of the string's text, in its code
  // set and language. A string without text offers only the shared empty
  // text, which is never written: assignments through such a character are
  // ignored.
  KvChar(KvString& s, int offset);
  // A free copy holding the character's value as read (whatever the unit
  // format of the text it refers to), in unit format 1.
  KvChar(const KvChar& ch);
  ~KvChar() { reference_ = nullptr; }

  // A referring character writes `ch`, mapped into its code set, into its
  // text; a free one becomes a copy of `ch`.
  KvChar& operator=(const KvChar& ch);
  // Writes the unit value (the byte taken unsigned, or the 16-bit value)
  // as one unit of this character's width and unit format.
  KvChar& operator=(char ch);
  KvChar& operator=(unsigned short ch);

  // 1 when the values are equal once `ch` is mapped into this code set.
  unsigned short operator==(const KvChar& ch) const;
  unsigned short operator!=(const KvChar& ch) const { return !(*this == ch); }
  // Against a character of the default 8-bit / 16-bit code set.
  unsigned short operator==(char ch) const;
  unsigned short operator!=(char ch) const { return !(*this == ch); }
  unsigned short operator==(unsigned short ch) const;
  unsigned short operator!=(unsigned short ch) const { return !(*this == ch); }

  // A free character of code set `cs` (0 or this code set: a free copy);
  // a character `cs` lacks becomes its substitution character.
  KvChar MapTo(unsigned char cs) const;

  // The case counterpart as a free character (the character itself when
  // it has none). When the upper-case form is several characters and `it`
  // is given, the further ones are handed to `it` to deliver next.
  KvChar ToUpper(KvStringIterator* it) const;
  KvChar ToLower(KvStringIterator* it) const;

  // Classes by collation order value: space below 80, symbol below 16128,
  // digit below 16384, letter below 32768, Han from 32768.
  unsigned short IsSpace() const;
  unsigned short IsSymbol() const;
  unsigned short IsDigit() const;
  unsigned short IsAlpha() const;
  unsigned short IsHan() const;

  // The unit value as read with the unit format.
  unsigned short ValueGet() const;
  unsigned char CodeSetGet() const { return codeSet_; }
  unsigned char LanguageGet() const { return language_; }
  // The collation order value (no contraction, expansion or language
  // variant applies to a single character).
  unsigned short OrderGet() const;

 private:
  KvChar(uint16_t value, uint8_t cs, uint8_t language, uint8_t format, bool)
      : reference_(nullptr), codeSet_(cs), language_(language), unitFormat_(format),
        value_(value) {}
  void WriteValue(uint16_t value);

  uint8_t* reference_;
  uint8_t codeSet_;
  uint8_t language_;
  uint8_t unitFormat_;
  uint16_t value_;
};

// An operation applied to every character of a text. It may hand extra
// characters to the iterator (its overflow list) to be delivered next.
class KVTM_EXPORT KvCharOperation {
 public:
  virtual ~KvCharOperation();
  virtual KvChar Apply(KvChar& ch, KvStringIterator* it) = 0;
};

class KVTM_EXPORT ToUpperOperation : public KvCharOperation {
 public:
  KvChar Apply(KvChar& ch, KvStringIterator* it) override { return ch.ToUpper(it); }
};

class KVTM_EXPORT ToLowerOperation : public KvCharOperation {
 public:
  KvChar Apply(KvChar& ch, KvStringIterator* it) override { return ch.ToLower(it); }
};

// Walks a zero-terminated text of 8-bit or 16-bit units. Extra characters
// (from a case mapping or a collation expansion) wait in an overflow list
// and are delivered before the position moves on.
class KVTM_EXPORT KvStringIterator {
 public:
  KvStringIterator();
  // Over the string's text (unit format 8), in its code set and language.
  explicit KvStringIterator(KvString& s);
  // Over 8-bit text; cs 255: the default 8-bit code set.
  KvStringIterator(char* p, unsigned char cs, unsigned char language, unsigned char format);
  // Over 16-bit text; cs 255: the default 16-bit code set.
  KvStringIterator(unsigned short* p, unsigned char cs, unsigned char language,
                   unsigned char format);
  // Over a text of its own holding just `ch`.
  explicit KvStringIterator(KvChar& ch);
  // Copies share the text; a copy never owns it.
  KvStringIterator(const KvStringIterator& other);
  KvStringIterator& operator=(const KvStringIterator& other);
  ~KvStringIterator();

  // Delivers the next overflow character, or moves one unit on.
  KvStringIterator& operator++();
  KvStringIterator operator++(int);
  // Moves one unit back (the overflow list is not consulted).
  KvStringIterator& operator--();
  KvStringIterator operator--(int);
  void Step(unsigned short forward);
  unsigned short operator==(KvStringIterator& other) const;

  // The pending overflow character (which it consumes), else a character
  // referring to the unit at the position.
  KvChar operator*();
  // 1 at the terminator when no overflow list is set.
  unsigned short IsEOS() const;
  // Characters to deliver before moving on; cs 255: the iterator's code set.
  void SetOverflow(const KvWCharList* list, unsigned char cs);

  // Replaces every character by op's result, writing at `target`, and
  // copies the terminator.
  void Transform(KvStringIterator& target, KvCharOperation& op);

  // The next collation order value, contractions, expansions and language
  // variants applied; 0 at the end of the text, where it stays. A nonzero
  // setClass updates the collation class.
  unsigned short GetNextOrder(unsigned short setClass) {
    // Most characters are plain: one record, no variant, contraction or
    // expansion. They are read here; everything else takes the full path.
    if (overflow_ == nullptr && table_ != nullptr) {
      const uint16_t v = KvCodeSetIsWide(codeSet_) ? ReadWide() : *position_;
      if (v != 0 && v < table_->limit) {
        const KvCollationRecord& r = table_->records[v];
        if ((r.variantFlag | r.contractionFlag | r.expansionCount) == 0 &&
            r.collationClass == nullptr) {
          if (setClass != 0) collationClass_ = tableClass_;
          position_ += Width();
          return r.order;
        }
      }
    }
    return NextOrderFull(setClass);
  }

  // 1 while overflow characters wait to be delivered: the next order or
  // character comes from the list, not from the text.
  unsigned short OverflowPendingGet() const { return OverflowPending() ? 1 : 0; }

  unsigned char CodeSetGet() const { return codeSet_; }
  unsigned char LanguageGet() const { return language_; }
  unsigned char CollationClassGet() const { return collationClass_; }
  unsigned char UnitFormatGet() const { return unitFormat_; }
  // The current unit's address.
  char* PositionGet() const { return reinterpret_cast<char*>(position_); }

 private:
  void Init(uint8_t* p, uint8_t cs, uint8_t language, uint8_t format);
  bool OverflowPending() const;
  unsigned short NextOrderFull(unsigned short setClass);
  uint16_t ReadWide() const {
    if (unitFormat_ == 2) return static_cast<uint16_t>(position_[0] << 8 | position_[1]);
    uint16_t v;
    __builtin_memcpy(&v, position_, 2);
    return v;
  }
  uint8_t Width() const { return KvCodeSetIsWide(codeSet_) ? 2 : 1; }

  uint8_t* position_;
  uint8_t codeSet_;
  uint8_t language_;
  uint8_t collationClass_;
  const KvWCharList* overflow_;
  int16_t overflowIndex_;
  uint8_t overflowCodeSet_;
  uint8_t unitFormat_;
  uint16_t ownsBuffer_;
  // The start of the owned text: the position moves away from it.
  uint8_t* buffer_;
  // The order table of the text's code set (null for order text, or a code
  // set without one) and its collation class for the language, looked up
  // once for the fast path of GetNextOrder.
  const KvOrderTable* table_;
  uint8_t tableClass_;
};

#endif  // KVTM_KVCHAR_H
