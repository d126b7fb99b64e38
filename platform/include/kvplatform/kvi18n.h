// kvi18n.h — the language context: process-wide code set, language and
// compare operator defaults.
#ifndef KVPLATFORM_KVI18N_H
#define KVPLATFORM_KVI18N_H

#include <cstdint>

#include "kvplatform/export.h"

// Sets up (enter nonzero) or tears down (enter 0) the context. Set-up
// restores the defaults of a new process.
KVP_EXPORT void ___KvI18NContext(int enter);

// The defaults are process-wide and unsynchronised: set them while no other
// thread reads them.
class KVP_EXPORT KvLanguageContext {
 public:
  // Code set of new strings, of new 8-bit text (at most 224) and of new
  // 16-bit text (above 224).
  static uint8_t GetDefaultCodeSet();
  static uint8_t GetDefault8CodeSet();
  static uint8_t GetDefault16CodeSet();
  static uint8_t GetDefaultLanguage();
  // The compare operator used where a caller passes 0xFFFF.
  static uint16_t GetDefaultCmpOp();
  // The code set that stands in for code set 0.
  static uint8_t GetNativeCodeSet();

  // Each setter changes only its own default: a 16-bit default code set
  // leaves the default 8-bit code set of 8-bit text as it was.
  static void SetDefaultCodeSet(uint8_t codeSet);
  static void SetDefaultLanguage(uint8_t language);
  static void SetDefaultCmpOp(uint16_t op);
};

#endif  // KVPLATFORM_KVI18N_H
