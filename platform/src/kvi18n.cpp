// kvi18n.cpp — the language context: process-wide defaults and the code
// set objects over the generated tables.
#include "kvplatform/kvi18n.h"

#include <new>

#include "kvi18n_tables.h"

// ---- Defaults ----

namespace {

struct Defaults {
  uint8_t codeSet = KvCS_CP1252;
  uint8_t codeSet8 = KvCS_CP1252;
  uint8_t codeSet16 = KvCS_UNICODE;
  uint8_t language = KvLANG_NEUTRAL;
  uint16_t cmpOp = 0x0010;  // exact: no wildcards, full collation
  uint8_t nativeCodeSet = KvCS_CP1252;
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

// ---- Code sets ----

namespace {

// An id the library does not know behaves as ISO-8859-1 or as 253, by its
// width, and keeps its own id.
const KvCodeSetTables* TablesOf(int id) {
  if (kvCodeSetTables[id] != nullptr) return kvCodeSetTables[id];
  return kvCodeSetTables[KvCodeSetIsWide(static_cast<uint8_t>(id)) ? KvCS_UNICODE : KvCS_LATIN1];
}

struct CodeSetObjects {
  alignas(KvCodeSet) unsigned char storage[256][sizeof(KvCodeSet)];
  CodeSetObjects() {
    for (int id = 0; id < 256; ++id)
      new (storage[id]) KvCodeSet(static_cast<uint8_t>(id), TablesOf(id));
  }
  const KvCodeSet* Get(uint8_t id) const {
    return reinterpret_cast<const KvCodeSet*>(storage[id]);
  }
};

const CodeSetObjects& Objects() {
  static const CodeSetObjects objects;
  return objects;
}

}  // namespace

const KvCodeSet* KvLanguageContext::QueryCodeSet(uint8_t codeSet) {
  if (codeSet == KvCS_NATIVE) codeSet = GetNativeCodeSet();
  return Objects().Get(codeSet);
}

const KvLanguage* KvLanguageContext::QueryLanguage(uint8_t language) {
  return kvLanguages[language];
}

const char* KvCodeSet::NameGet() const {
  return kvCodeSetTables[id_] != nullptr ? kvCodeSetTables[id_]->name : nullptr;
}

uint8_t KvCodeSet::CollationClassGet(uint8_t) const { return 1; }

uint16_t KvCodeSet::ToUnicode(uint16_t unit) const {
  if (tables_->toUnicode == nullptr) return unit;
  return unit < 256 ? tables_->toUnicode[unit] : uint16_t{KvSUBSTITUTE_16};
}

uint16_t KvCodeSet::FromUnicode(uint16_t ch) const {
  if (tables_->fromUnicodePages == nullptr) return ch;
  const uint8_t* page = tables_->fromUnicodePages[ch >> 8];
  return page != nullptr ? page[ch & 0xFF] : uint16_t{KvSUBSTITUTE_8};
}

uint16_t KvCodeSet::MapFrom(uint16_t ch, uint8_t sourceCodeSet) const {
  if (sourceCodeSet == KvCS_NATIVE) sourceCodeSet = KvLanguageContext::GetNativeCodeSet();
  if (sourceCodeSet == id_) return ch;
  return FromUnicode(KvLanguageContext::QueryCodeSet(sourceCodeSet)->ToUnicode(ch));
}

const KvUnicodeProps* KvCodeSet::GetUnicodeProps(uint16_t ch, uint8_t) const {
  const KvCaseEntry* entries = tables_->cases;
  uint32_t low = 0, high = tables_->caseCount;
  while (low < high) {
    const uint32_t mid = (low + high) / 2;
    if (entries[mid].unit < ch)
      low = mid + 1;
    else
      high = mid;
  }
  return low < tables_->caseCount && entries[low].unit == ch ? &entries[low].props : nullptr;
}

const KvOrderTable* KvCodeSet::OrderTableGet() const { return tables_->orders; }

int KvCollationRecord::ContractionGet(int16_t index, const KvCollationRecord** record) const {
  if (contractionFlag == 0 || successors == nullptr || index < 0 ||
      index >= successors->count || contractionRecords == nullptr ||
      contractionRecords[index] == nullptr)
    return 1;
  *record = contractionRecords[index];
  return 0;
}
