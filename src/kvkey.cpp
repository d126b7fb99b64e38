// kvkey.cpp — the orders of a text as an index key holds them.
#include "kvkey.h"

#include "kvplatform/kvi18n.h"
#include "kvstored.h"

KvKeyWalk::KvKeyWalk(const char* text, uint8_t codeSet, uint8_t language, uint8_t unitFormat,
                     bool cut)
    : it_(const_cast<char*>(text), codeSet, language, unitFormat),
      cut_(cut),
      class_(it_.CollationClassGet()) {}

bool KvKeyWalk::Next(uint16_t* unit) {
  if (ended_) {
    *unit = 0;
    return true;
  }
  if (cut_ && !it_.OverflowPendingGet() && it_.IsEOS()) return false;
  uint16_t order = it_.GetNextOrder(1);
  const uint8_t now = it_.CollationClassGet();
  if (order != 0 && now != class_) {
    if (started_) {
      // The rest is of another class: one unit says which, then the end.
      order = class_ == KvCLASS_OUTSIDE_TABLES ? KvKEY_BELOW_CLASS_20 : KvKEY_ABOVE_CLASS_1;
      marked_ = true;
      ended_ = true;
      *unit = order;
      return true;
    }
    class_ = now;
  }
  started_ = true;
  if (order == 0) ended_ = true;
  *unit = order;
  return true;
}

uint8_t KvKeyWalk::ClassGet() const {
  return static_cast<uint8_t>(class_ | (marked_ ? KvKEY_MARKED : 0));
}
