// kvi18n.cpp — the language context: process-wide defaults.
#include "kvplatform/kvi18n.h"

namespace {

struct Defaults {
  uint8_t codeSet = 1;
  uint8_t codeSet8 = 1;
  uint8_t codeSet16 = 253;
  uint8_t language = 1;
  uint16_t cmpOp = 0x0010;  // exact: no wildcards, full collation
  uint8_t nativeCodeSet = 1;
};

Defaults defaults;

}  // namespace

void ___KvI18NContext(int enter) {
  if (enter != 0) defaults = Defaults();
}

uint8_t KvLanguageContext::GetDefaultCodeSet() { return defaults.codeSet; }
uint8_t KvLanguageContext::GetDefault8CodeSet() { return defaults.codeSet8; }
uint8_t KvLanguageContext::GetDefault16CodeSet() { return defaults.codeSet16; }
uint8_t KvLanguageContext::GetDefaultLanguage() { return defaults.language; }
uint16_t KvLanguageContext::GetDefaultCmpOp() { return defaults.cmpOp; }
uint8_t KvLanguageContext::GetNativeCodeSet() { return defaults.nativeCodeSet; }

void KvLanguageContext::SetDefaultCodeSet(uint8_t codeSet) { defaults.codeSet = codeSet; }

void KvLanguageContext::SetDefaultLanguage(uint8_t language) { defaults.language = language; }
void KvLanguageContext::SetDefaultCmpOp(uint16_t op) { defaults.cmpOp = op; }
