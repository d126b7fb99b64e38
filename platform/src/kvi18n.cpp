// kvi18n.cpp — the language context: process-wide defaults and the code
// set objects over the generated tables.
#include "kvplatform/kvi18n.h"

#include <atomic>
#include <cstring>

#include "kvi18n_tables.h"

// ---- Defaults ----

namespace {

// The defaults the setters change. Set-up and the setters run while no
// other thread uses the library; being atomic, a value read meanwhile is
// still whole. Relaxed loads are plain loads on the usual hosts.
constexpr uint8_t kFirstCodeSet = KvCS_CP1252;
constexpr uint8_t kFirstLanguage = KvLANG_NEUTRAL;
constexpr uint16_t kFirstCmpOp = 0x0010;  // exact: no wildcards, full collation
std::atomic<uint8_t> defaultCodeSet{kFirstCodeSet};
std::atomic<uint8_t> defaultLanguage{kFirstLanguage};
std::atomic<uint16_t> defaultCmpOp{kFirstCmpOp};

// Never changed: 8-bit text in Windows-1252, 16-bit text in Unicode, and
// Windows-1252 standing in for code set 0.
constexpr uint8_t kCodeSet8 = KvCS_CP1252;
constexpr uint8_t kCodeSet16 = KvCS_UNICODE;
constexpr uint8_t kNativeCodeSet = KvCS_CP1252;

}  // namespace

void ___KvI18NContext(int enter) {
  if (enter == 0) return;
  defaultCodeSet.store(kFirstCodeSet, std::memory_order_relaxed);
  defaultLanguage.store(kFirstLanguage, std::memory_order_relaxed);
  defaultCmpOp.store(kFirstCmpOp, std::memory_order_relaxed);
}

uint8_t KvLanguageContext::GetDefaultCodeSet() {
  return defaultCodeSet.load(std::memory_order_relaxed);
}
uint8_t KvLanguageContext::GetDefault8CodeSet() { return kCodeSet8; }
uint8_t KvLanguageContext::GetDefault16CodeSet() { return kCodeSet16; }
uint8_t KvLanguageContext::GetDefaultLanguage() {
  return defaultLanguage.load(std::memory_order_relaxed);
}
uint16_t KvLanguageContext::GetDefaultCmpOp() {
  return defaultCmpOp.load(std::memory_order_relaxed);
}
uint8_t KvLanguageContext::GetNativeCodeSet() { return kNativeCodeSet; }

void KvLanguageContext::SetDefaultCodeSet(uint8_t codeSet) {
  defaultCodeSet.store(codeSet, std::memory_order_relaxed);
}
void KvLanguageContext::SetDefaultLanguage(uint8_t language) {
  defaultLanguage.store(language, std::memory_order_relaxed);
}
void KvLanguageContext::SetDefaultCmpOp(uint16_t op) {
  defaultCmpOp.store(op, std::memory_order_relaxed);
}

// ---- Code sets ----

const KvCodeSet* KvLanguageContext::QueryCodeSet(uint8_t codeSet) {
  return &kvCodeSets[codeSet == KvCS_NATIVE ? kNativeCodeSet : codeSet];
}

const KvLanguage* KvLanguageContext::QueryLanguage(uint8_t language) {
  return kvLanguages[language];
}

const char* KvCodeSet::NameGet() const {
  return kvCodeSetTables[id_] != nullptr ? kvCodeSetTables[id_]->name : nullptr;
}

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

namespace {

uint16_t ReadTextUnit(const uint8_t* in, uint32_t i, bool wide, bool swap) {
  if (!wide) return in[i];
  uint16_t unit;
  std::memcpy(&unit, in + 2 * i, 2);
  return swap ? static_cast<uint16_t>(unit << 8 | unit >> 8) : unit;
}

void WriteTextUnit(uint8_t* out, uint32_t i, bool wide, uint16_t unit) {
  if (wide) {
    std::memcpy(out + 2 * i, &unit, 2);
  } else {
    out[i] = static_cast<uint8_t>(unit);
  }
}

}  // namespace

void KvCodeSet::MapText(const void* source, uint8_t sourceCodeSet, uint8_t unitFormat,
                        void* target, uint32_t count) const {
  if (sourceCodeSet == KvCS_NATIVE) sourceCodeSet = KvLanguageContext::GetNativeCodeSet();
  const KvCodeSet* from = KvLanguageContext::QueryCodeSet(sourceCodeSet);
  const uint8_t* in = static_cast<const uint8_t*>(source);
  uint8_t* out = static_cast<uint8_t*>(target);
  const bool wideIn = KvCodeSetIsWide(sourceCodeSet);
  const bool wideOut = KvCodeSetIsWide(id_);
  const bool swap = wideIn && unitFormat == 2;
  const uint16_t* toUnicode = from->tables_->toUnicode;      // null: units are Unicode
  const uint8_t* const* pages = tables_->fromUnicodePages;  // null: Unicode units
  // One loop per kind of step, so that each unit costs one or two table
  // reads and no call.
  if (sourceCodeSet == id_) {
    for (uint32_t i = 0; i < count; ++i)
      WriteTextUnit(out, i, wideOut, ReadTextUnit(in, i, wideIn, swap));
  } else if (pages == nullptr && toUnicode != nullptr) {
    for (uint32_t i = 0; i < count; ++i) {
      const uint16_t u = toUnicode[in[i]];
      std::memcpy(out + 2 * i, &u, 2);
    }
  } else if (pages != nullptr && toUnicode == nullptr) {
    for (uint32_t i = 0; i < count; ++i) {
      const uint16_t u = ReadTextUnit(in, i, true, swap);
      const uint8_t* page = pages[u >> 8];
      out[i] = page != nullptr ? page[u & 0xFF] : uint8_t{KvSUBSTITUTE_8};
    }
  } else {
    for (uint32_t i = 0; i < count; ++i) {
      const uint16_t unit = ReadTextUnit(in, i, wideIn, swap);
      WriteTextUnit(out, i, wideOut, FromUnicode(from->ToUnicode(unit)));
    }
  }
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

int KvCollationRecord::ContractionGet(int16_t index, const KvCollationRecord** record) const {
  if (contractionFlag == 0 || successors == nullptr || index < 0 ||
      index >= successors->count || contractionRecords == nullptr ||
      contractionRecords[index] == nullptr)
    return 1;
  *record = contractionRecords[index];
  return 0;
}
