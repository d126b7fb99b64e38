// kvkey.h — the orders of a text as an index key holds them (internal).
#ifndef KVTM_SRC_KVKEY_H
#define KVTM_SRC_KVKEY_H

#include <cstdint>

#include "kvplatform/kvi18n.h"
#include "kvtm/kvchar.h"

// Units that end the orders of a text whose collation class changes: the
// rest of the text does not fit a key of one class, but these units place
// the key where the whole text collates among its neighbours. A text that
// goes on beyond the tables sorts above every order of class 1 (and below
// the largest element, 0xFFFE, that widens an upper bound); one that goes
// on in class 1 after characters beyond the tables sorts below every
// character of class 20 (all 512 and above).
enum : uint16_t {
  KvKEY_ABOVE_CLASS_1 = 0xFFFD,
  KvKEY_BELOW_CLASS_20 = 0x0001,
  KvKEY_LARGEST = 0xFFFE,  // the largest element, above every key unit
};

// The class a unit of order text in class `cls` announces when it is the
// unit that ends a key at a change of class, else 0.
inline uint8_t KvKeyClassAfter(uint16_t unit, uint8_t cls) {
  if (cls == KvCLASS_TABLES && unit == KvKEY_ABOVE_CLASS_1) return KvCLASS_OUTSIDE_TABLES;
  if (cls == KvCLASS_OUTSIDE_TABLES && unit == KvKEY_BELOW_CLASS_20) return KvCLASS_TABLES;
  return 0;
}

// Walks a zero-terminated text into the units of its index key: the
// collation orders of its characters in the class of the first one. At a
// change of class the walk gives one of the units above and then the end,
// and the key is marked as standing for more text.
class KvKeyWalk {
 public:
  // `cut`: the text is cut short; the walk stops where it stops, without
  // an end.
  KvKeyWalk(const char* text, uint8_t codeSet, uint8_t language, uint8_t unitFormat, bool cut);

  // The next unit: an order, or 0 where a whole text ends (and from then
  // on). False once a cut text is used up.
  bool Next(uint16_t* unit);

  // The key's collation class, with bit 0x80 when the text changed class.
  uint8_t ClassGet() const;

 private:
  KvStringIterator it_;
  bool cut_;
  bool started_ = false;
  bool ended_ = false;
  bool marked_ = false;
  uint8_t class_;
};

#endif  // KVTM_SRC_KVKEY_H
