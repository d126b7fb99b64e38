// kvchar.cpp — characters, the text walker and collation order values.
#include "kvtm/kvchar.h"

#include <cctype>
#include <cstring>

#include "kvplatform/kvmemory.h"
#include "kvtm/kvstring.h"

namespace {

// Characters at and above this value have no collation record: their order
// value is the value itself, in collation class 20.
constexpr uint16_t kTableLimit = 512;

uint8_t Default8(uint8_t cs) { return cs == 255 ? KvLanguageContext::GetDefault8CodeSet() : cs; }
uint8_t Default16(uint8_t cs) {
  return cs == 255 ? KvLanguageContext::GetDefault16CodeSet() : cs;
}
uint8_t DefaultLanguage(uint8_t language) {
  return language == 255 ? KvLanguageContext::GetDefaultLanguage() : language;
}
uint8_t Native(uint8_t cs) { return cs == 0 ? KvLanguageContext::GetNativeCodeSet() : cs; }

// One unit at p: a byte, or a 16-bit unit in the unit format (2: most
// significant byte first; any other format: this host's order).
uint16_t ReadUnit(const uint8_t* p, uint8_t cs, uint8_t format) {
  if (!KvCodeSetIsWide(cs)) return *p;
  uint16_t v;
  std::memcpy(&v, p, 2);
  return format == 2 ? static_cast<uint16_t>(p[0] << 8 | p[1]) : v;
}

void WriteUnit(uint8_t* p, uint8_t cs, uint8_t format, uint16_t value) {
  if (!KvCodeSetIsWide(cs)) {
    *p = static_cast<uint8_t>(value);
  } else if (format == 2) {
    p[0] = static_cast<uint8_t>(value >> 8);
    p[1] = static_cast<uint8_t>(value);
  } else {
    std::memcpy(p, &value, 2);
  }
}

// Whether p lies in the text that strings without a buffer share, which
// must never be written.
bool InSharedEmptyText(const uint8_t* p) {
  const KvString none;
  const uint8_t* empty = reinterpret_cast<const uint8_t*>(none.StrGet());
  return p >= empty && p < empty + 4;
}

// The language's collation record of `ch` in `table`, variants applied.
const KvCollationRecord* RecordOf(const KvOrderTable* table, uint16_t ch, uint8_t language) {
  const KvCollationRecord* r = table->RecordGet(ch);
  if (r == nullptr || r->variantFlag == 0) return r;
  const KvLanguage* lang = KvLanguageContext::QueryLanguage(language);
  if (lang == nullptr || lang->hasVariants == 0) return r;
  for (int16_t i = 0; i < r->variantCount; ++i)
    if (r->variantLanguages[i] == lang) return r->variantRecords[i];
  return r;
}

}  // namespace

// ---- KvChar ----

KvChar::KvChar(unsigned short ch, unsigned char cs, unsigned char language)
    : reference_(nullptr),
      codeSet_(Default16(cs)),
      language_(DefaultLanguage(language)),
      unitFormat_(1),
      value_(KvCodeSetIsWide(codeSet_) ? ch : static_cast<uint8_t>(ch)) {}

KvChar::KvChar(char ch, unsigned char cs, unsigned char language)
    : reference_(nullptr),
      codeSet_(Default8(cs)),
      language_(DefaultLanguage(language)),
      unitFormat_(1),
      value_(static_cast<unsigned char>(ch)) {}

KvChar::KvChar(char* p, unsigned char cs, unsigned char language, unsigned char format)
    : reference_(reinterpret_cast<uint8_t*>(p)),
      codeSet_(Default8(cs)),
      language_(DefaultLanguage(language)),
      unitFormat_(format == 255 ? 1 : format),
      value_(0) {}

KvChar::KvChar(KvString& s, int offset)
    : reference_(reinterpret_cast<uint8_t*>(s.StrGet()) + offset),
      codeSet_(s.CodeSetGet()),
      language_(s.LanguageGet()),
      unitFormat_(1),
      value_(0) {}

KvChar::KvChar(const KvChar& ch)
    : reference_(nullptr),
      codeSet_(ch.codeSet_),
      language_(DefaultLanguage(ch.language_)),
      unitFormat_(1),
      value_(ch.ValueGet()) {}

unsigned short KvChar::ValueGet() const {
  if (reference_ == nullptr) return value_;
  return ReadUnit(reference_, codeSet_, unitFormat_);
}

void KvChar::WriteValue(uint16_t value) {
  if (reference_ == nullptr) {
    value_ = KvCodeSetIsWide(codeSet_) ? value : static_cast<uint8_t>(value);
    return;
  }
  if (InSharedEmptyText(reference_)) return;
  WriteUnit(reference_, codeSet_, unitFormat_, value);
}

KvChar& KvChar::operator=(const KvChar& ch) {
  if (this == &ch) return *this;
  if (reference_ != nullptr) {
    WriteValue(ch.MapTo(codeSet_).value_);
    return *this;
  }
  codeSet_ = ch.codeSet_;
  language_ = ch.language_;
  unitFormat_ = 1;
  value_ = ch.ValueGet();
  return *this;
}

KvChar& KvChar::operator=(char ch) {
  WriteValue(static_cast<unsigned char>(ch));
  return *this;
}

KvChar& KvChar::operator=(unsigned short ch) {
  WriteValue(ch);
  return *this;
}

unsigned short KvChar::operator==(const KvChar& ch) const {
  return ch.MapTo(codeSet_).value_ == ValueGet();
}

unsigned short KvChar::operator==(char ch) const {
  return *this == KvChar(ch, 255, 255);
}

unsigned short KvChar::operator==(unsigned short ch) const {
  return *this == KvChar(ch, 255, 255);
}

KvChar KvChar::MapTo(unsigned char cs) const {
  if (cs == codeSet_ || cs == 0) return KvChar(*this);
  const uint16_t mapped =
      KvLanguageContext::QueryCodeSet(cs)->MapFrom(ValueGet(), Native(codeSet_));
  return KvChar(mapped, cs, language_, 1, true);
}

KvChar KvChar::ToUpper(KvStringIterator* it) const {
  const uint16_t v = ValueGet();
  if (codeSet_ == 0)
    return KvChar(static_cast<uint16_t>(std::toupper(v & 0xFF)), 0, language_, 1, true);
  const KvUnicodeProps* props =
      KvLanguageContext::QueryCodeSet(codeSet_)->GetUnicodeProps(v, language_);
  if (props == nullptr || props->upper == 0) return KvChar(*this);
  if (props->upperMore != nullptr && props->upperMore->CountGet() > 0 && it != nullptr)
    it->SetOverflow(props->upperMore, 255);
  return KvChar(props->upper, KvCS_UNICODE, language_, 1, true).MapTo(codeSet_);
}

KvChar KvChar::ToLower(KvStringIterator*) const {
  const uint16_t v = ValueGet();
  if (codeSet_ == 0)
    return KvChar(static_cast<uint16_t>(std::tolower(v & 0xFF)), 0, language_, 1, true);
  const KvUnicodeProps* props =
      KvLanguageContext::QueryCodeSet(codeSet_)->GetUnicodeProps(v, language_);
  if (props == nullptr || props->lower == 0) return KvChar(*this);
  return KvChar(props->lower, KvCS_UNICODE, language_, 1, true).MapTo(codeSet_);
}

unsigned short KvChar::OrderGet() const {
  const uint8_t cs = Native(codeSet_);
  uint16_t v = ValueGet();
  // A unit of order text is its own order.
  if (cs == KvCS_ORDERS) return v;
  const KvCodeSet* codeSet = KvLanguageContext::QueryCodeSet(cs);
  const KvOrderTable* table = codeSet->OrderTableGet();
  if (table == nullptr) {
    v = KvLanguageContext::QueryCodeSet(KvCS_UNICODE)->MapFrom(v, cs);
    table = KvLanguageContext::QueryCodeSet(KvCS_UNICODE)->OrderTableGet();
  }
  if (v >= kTableLimit) return v;
  const KvCollationRecord* r = table->RecordGet(v);
  return r != nullptr ? r->order : v;
}

unsigned short KvChar::IsSpace() const { return OrderGet() < 80; }
unsigned short KvChar::IsSymbol() const {
  const uint16_t o = OrderGet();
  return o >= 80 && o < 16128;
}
unsigned short KvChar::IsDigit() const {
  const uint16_t o = OrderGet();
  return o >= 16128 && o < 16384;
}
unsigned short KvChar::IsAlpha() const {
  const uint16_t o = OrderGet();
  return o >= 16384 && o < 32768;
}
unsigned short KvChar::IsHan() const { return OrderGet() >= 32768; }

KvCharOperation::~KvCharOperation() = default;

// ---- KvStringIterator ----

void KvStringIterator::Init(uint8_t* p, uint8_t cs, uint8_t language, uint8_t format) {
  const KvCodeSet* codeSet = KvLanguageContext::QueryCodeSet(cs);
  position_ = p;
  codeSet_ = cs;
  language_ = language;
  collationClass_ = codeSet->CollationClassGet(language);
  overflow_ = nullptr;
  overflowIndex_ = 0;
  overflowCodeSet_ = cs;
  unitFormat_ = format;
  ownsBuffer_ = 0;
  buffer_ = nullptr;
  // The fast path of GetNextOrder reads the table directly; a null text is
  // left to the full path, which stops at once, and order text has none.
  table_ = p != nullptr && cs != KvCS_ORDERS ? codeSet->OrderTableGet() : nullptr;
  tableClass_ = collationClass_;
}

KvStringIterator::KvStringIterator()
    : position_(nullptr),
      codeSet_(0),
      language_(0),
      collationClass_(0),
      overflow_(nullptr),
      overflowIndex_(0),
      overflowCodeSet_(0),
      unitFormat_(1),
      ownsBuffer_(0),
      buffer_(nullptr),
      table_(nullptr),
      tableClass_(0) {}

KvStringIterator::KvStringIterator(KvString& s) {
  Init(reinterpret_cast<uint8_t*>(s.StrGet()), s.CodeSetGet(), DefaultLanguage(s.LanguageGet()),
       8);
}

KvStringIterator::KvStringIterator(char* p, unsigned char cs, unsigned char language,
                                   unsigned char format) {
  Init(reinterpret_cast<uint8_t*>(p), Default8(cs), DefaultLanguage(language),
       format == 255 ? 1 : format);
}

KvStringIterator::KvStringIterator(unsigned short* p, unsigned char cs, unsigned char language,
                                   unsigned char format) {
  Init(reinterpret_cast<uint8_t*>(p), Default16(cs), DefaultLanguage(language),
       format == 255 ? 1 : format);
}

KvStringIterator::KvStringIterator(KvChar& ch) {
  const uint8_t width = KvCodeSetIsWide(ch.CodeSetGet()) ? 2 : 1;
  uint8_t* buffer = static_cast<uint8_t*>(KvMemAllocZero(2u * width));
  Init(buffer, ch.CodeSetGet(), DefaultLanguage(ch.LanguageGet()), 1);
  if (buffer != nullptr) {
    WriteUnit(buffer, codeSet_, 1, ch.ValueGet());
    ownsBuffer_ = 1;
    buffer_ = buffer;
  }
}

KvStringIterator::KvStringIterator(const KvStringIterator& other)
    : position_(other.position_),
      codeSet_(other.codeSet_),
      language_(other.language_),
      collationClass_(other.collationClass_),
      overflow_(other.overflow_),
      overflowIndex_(other.overflowIndex_),
      overflowCodeSet_(other.overflowCodeSet_),
      unitFormat_(other.unitFormat_),
      ownsBuffer_(0),
      buffer_(nullptr),
      table_(other.table_),
      tableClass_(other.tableClass_) {}

KvStringIterator& KvStringIterator::operator=(const KvStringIterator& other) {
  if (this == &other) return *this;
  if (ownsBuffer_ != 0) KvMemFree(buffer_);
  position_ = other.position_;
  codeSet_ = other.codeSet_;
  language_ = other.language_;
  collationClass_ = other.collationClass_;
  overflow_ = other.overflow_;
  overflowIndex_ = other.overflowIndex_;
  overflowCodeSet_ = other.overflowCodeSet_;
  unitFormat_ = other.unitFormat_;
  ownsBuffer_ = 0;
  buffer_ = nullptr;
  table_ = other.table_;
  tableClass_ = other.tableClass_;
  return *this;
}

KvStringIterator::~KvStringIterator() {
  if (ownsBuffer_ != 0) KvMemFree(buffer_);
}

bool KvStringIterator::OverflowPending() const {
  return overflow_ != nullptr && overflowIndex_ < overflow_->CountGet();
}

KvStringIterator& KvStringIterator::operator++() {
  if (OverflowPending()) return *this;
  overflow_ = nullptr;
  overflowIndex_ = 0;
  if (position_ != nullptr) position_ += Width();
  return *this;
}

KvStringIterator KvStringIterator::operator++(int) {
  KvStringIterator before(*this);
  ++*this;
  return before;
}

KvStringIterator& KvStringIterator::operator--() {
  if (position_ != nullptr) position_ -= Width();
  return *this;
}

KvStringIterator KvStringIterator::operator--(int) {
  KvStringIterator before(*this);
  --*this;
  return before;
}

void KvStringIterator::Step(unsigned short forward) {
  if (forward != 0)
    ++*this;
  else
    --*this;
}

unsigned short KvStringIterator::operator==(KvStringIterator& other) const {
  return position_ == other.position_;
}

KvChar KvStringIterator::operator*() {
  if (OverflowPending()) {
    const uint16_t value = overflow_->ElementGet(overflowIndex_++);
    return KvChar(value, overflowCodeSet_, language_);
  }
  return KvChar(reinterpret_cast<char*>(position_), codeSet_, language_, unitFormat_);
}

unsigned short KvStringIterator::IsEOS() const {
  if (position_ != nullptr && ReadUnit(position_, codeSet_, 1) != 0) return 0;
  return overflow_ == nullptr ? 1 : 0;
}

void KvStringIterator::SetOverflow(const KvWCharList* list, unsigned char cs) {
  overflow_ = list;
  overflowIndex_ = 0;
  overflowCodeSet_ = cs == 255 ? codeSet_ : cs;
}

void KvStringIterator::Transform(KvStringIterator& target, KvCharOperation& op) {
  while (!IsEOS()) {
    KvChar ch = **this;
    KvChar result = op.Apply(ch, this);
    KvChar out = *target;
    out = result;
    ++target;
    ++*this;
  }
  KvChar terminator = **this;
  KvChar out = *target;
  out = terminator;
  ++target;
  ++*this;
}

unsigned short KvStringIterator::NextOrderFull(unsigned short setClass) {
  // The current character: a pending overflow element (consumed here) or
  // the unit at the position.
  uint16_t v;
  uint8_t cs;
  if (OverflowPending()) {
    v = overflow_->ElementGet(overflowIndex_++);
    cs = overflowCodeSet_;
  } else {
    if (position_ == nullptr) return 0;
    v = ReadUnit(position_, codeSet_, unitFormat_);
    cs = codeSet_;
  }
  // Units that are order values already; the end stays the end.
  if (cs == KvCS_ORDERS) {
    if (v != 0) ++*this;
    return v;
  }
  if (v == 0) return 0;
  cs = Native(cs);
  const KvCodeSet* codeSet = KvLanguageContext::QueryCodeSet(cs);
  const KvOrderTable* table = codeSet->OrderTableGet();
  // A code set without records collates through Unicode's.
  const bool viaUnicode = table == nullptr;
  if (viaUnicode) {
    const KvCodeSet* unicode = KvLanguageContext::QueryCodeSet(KvCS_UNICODE);
    v = unicode->MapFrom(v, cs);
    codeSet = unicode;
    table = unicode->OrderTableGet();
  }
  const KvCollationRecord* r = v < kTableLimit ? table->RecordGet(v) : nullptr;
  if (r == nullptr) {
    ++*this;
    if (setClass != 0) collationClass_ = KvCLASS_OUTSIDE_TABLES;
    return v;
  }
  if (r->variantFlag != 0) r = RecordOf(table, v, language_);
  while (r->contractionFlag != 0 && !IsEOS()) {
    ++*this;
    KvChar next = **this;
    if (viaUnicode) next = next.MapTo(KvCS_UNICODE);
    const uint16_t nextValue = next.ValueGet();
    const KvCollationRecord* matched = nullptr;
    for (int16_t i = 0; r->successors != nullptr && i < r->successors->CountGet(); ++i) {
      const KvCollationRecord* candidate = nullptr;
      if (r->successors->ElementGet(i) == nextValue && r->ContractionGet(i, &candidate) == 0) {
        matched = candidate;
        break;
      }
    }
    if (matched == nullptr) {
      --*this;
      break;
    }
    r = matched;
  }
  if (setClass != 0)
    collationClass_ = r->collationClass != nullptr ? *r->collationClass
                                                   : codeSet->CollationClassGet(language_);
  if (r->expansionCount != 0) SetOverflow(r->expansionOrders, KvCS_ORDERS);
  ++*this;
  return r->order;
}
