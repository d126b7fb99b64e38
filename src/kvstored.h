// kvstored.h — reading stored KvString elements (internal).
#ifndef KVTM_SRC_KVSTORED_H
#define KVTM_SRC_KVSTORED_H

#include <cstdint>
#include <cstring>

#include "kvplatform/kvbyteorder.h"

// A stored KvString element is a 16-bit length L (in the format's byte
// order) and then either the header form
//   code set, language, L - 4 text bytes, 0x00, 0xFF
// or the plain form of the legacy blocks
//   L - 1 bytes of 8-bit text, 0x00   (code set and language 0).
// The last stored byte tells them apart: 0xFF in the header form, 0 in the
// plain form.
//
// Index keys are header-form elements of code set 254 whose text is 16-bit
// collation orders; a key cut to fit an index has L larger than the bytes
// present, and a key whose language byte has bit 0x80 stands for a longer
// text (a "marked" key).
enum : uint8_t {
  KvSTORED_END_MARK = 0xFF,  // last byte of a header-form element
  KvKEY_MARKED = 0x80,       // language bit of a key that stands for more text
};

// Reads the 16-bit length field at p in `format`.
inline uint16_t KvStoredLength(const void* p, uint8_t format) {
  return KvLoadBits<uint16_t>(p, format & 15);
}

// Writes a 16-bit length field at p in `format`.
inline void KvStoredLengthSet(void* p, uint16_t length, uint8_t format) {
  KvStoreBits<uint16_t>(p, length, format & 15);
}

// One element as a buffer holds it, possibly cut short.
struct KvStoredElement {
  uint16_t length = 0;         // L as stored
  bool plain = false;          // plain form (legacy): no code set or language
  uint8_t codeSet = 0;
  uint8_t language = 0;
  const uint8_t* text = nullptr;
  uint32_t textBytes = 0;      // text bytes the element claims
  uint32_t available = 0;      // text bytes present in the buffer
  int cut = 0;                 // 0 whole, 1 only the last byte missing, 2 text missing
  uint32_t stored = 0;         // bytes the element occupies when whole
};

#endif  // KVTM_SRC_KVSTORED_H
