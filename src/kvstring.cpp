// kvstring.cpp — the library's string value.
#include "kvtm/kvstring.h"

#include <cstring>

#include "kvplatform/kvi18n.h"
#include "kvplatform/kvmemory.h"

namespace {

// Reads as an empty text in either unit width.
char emptyText[4] = {0, 0, 0, 0};

bool IsWide(uint8_t codeSet) { return codeSet > 224; }

}  // namespace

KvString::KvString()
    : buffer_(nullptr),
      size_(0),
      codeSet_(GetDefaultCodeSet()),
      language_(GetDefaultLanguage()) {}

KvString::KvString(unsigned char codeSet, unsigned char language)
    : buffer_(nullptr), size_(0), codeSet_(codeSet), language_(language) {}

KvString::KvString(const char* text)
    : buffer_(nullptr),
      size_(0),
      codeSet_(GetDefault8CodeSet()),
      language_(GetDefaultLanguage()) {
  if (text != nullptr) AssignUnits(text, static_cast<uint32_t>(std::strlen(text)));
}

KvString::KvString(const KvString& other)
    : buffer_(nullptr), size_(0), codeSet_(other.codeSet_), language_(other.language_) {
  if (other.buffer_ != nullptr) AssignUnits(other.buffer_, other.Len());
}

KvString::~KvString() { d_deactivate(); }

KvString& KvString::operator=(const KvString& other) {
  if (&other == this) return *this;
  d_deactivate();
  codeSet_ = other.codeSet_;
  if (other.buffer_ != nullptr) AssignUnits(other.buffer_, other.Len());
  language_ = other.language_;
  return *this;
}

KvString& KvString::operator=(const char* text) {
  d_deactivate();
  codeSet_ = GetDefault8CodeSet();
  if (text != nullptr) AssignUnits(text, static_cast<uint32_t>(std::strlen(text)));
  language_ = GetDefaultLanguage();
  return *this;
}

char* KvString::StrGet() const { return buffer_ != nullptr ? buffer_ : emptyText; }

unsigned short KvString::Len() const {
  if (buffer_ == nullptr) return 0;
  if (!IsWide(codeSet_)) return static_cast<unsigned short>(std::strlen(buffer_));
  uint32_t n = 0;
  while (n * 2 + 1 < size_ && (buffer_[n * 2] != 0 || buffer_[n * 2 + 1] != 0)) ++n;
  return static_cast<unsigned short>(n);
}

unsigned short KvString::IsEmpty() const {
  if (buffer_ == nullptr) return 1;
  if (!IsWide(codeSet_)) return buffer_[0] == 0;
  return buffer_[0] == 0 && buffer_[1] == 0;
}

void KvString::d_deactivate() {
  KvMemFree(buffer_);
  buffer_ = nullptr;
  size_ = 0;
  codeSet_ = 0;
  language_ = 0;
}

void KvString::AssignUnits(const char* units, uint32_t count) {
  const uint32_t width = IsWide(codeSet_) ? 2 : 1;
  const uint32_t limit = 65533 / width - 1;
  if (count > limit) count = limit;
  const uint32_t size = (count + 1) * width;
  char* buffer = static_cast<char*>(KvMemAllocZero(size));
  if (buffer != nullptr) std::memcpy(buffer, units, count * width);
  KvMemFree(buffer_);
  buffer_ = buffer;
  size_ = buffer != nullptr ? static_cast<uint16_t>(size) : 0;
}

unsigned char KvString::GetDefaultCodeSet() { return KvLanguageContext::GetDefaultCodeSet(); }
unsigned char KvString::GetDefault8CodeSet() { return KvLanguageContext::GetDefault8CodeSet(); }
unsigned char KvString::GetDefault16CodeSet() { return KvLanguageContext::GetDefault16CodeSet(); }
unsigned char KvString::GetDefaultLanguage() { return KvLanguageContext::GetDefaultLanguage(); }
unsigned short KvString::GetDefaultCmpOp() { return KvLanguageContext::GetDefaultCmpOp(); }
void KvString::SetDefaultCodeSet(unsigned char cs) { KvLanguageContext::SetDefaultCodeSet(cs); }
void KvString::SetDefaultLanguage(unsigned char l) { KvLanguageContext::SetDefaultLanguage(l); }
void KvString::SetDefaultCmpOp(unsigned short op) { KvLanguageContext::SetDefaultCmpOp(op); }
