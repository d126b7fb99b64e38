// kvblob.cpp — a large object of raw bytes.
#include "kvtm/kvblob.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "kvformat.h"
#include "kvplatform/kvmemory.h"
#include "kvtm/kvstring.h"

namespace {

constexpr int64_t kLongestBlob = INT32_MAX;

// A long argument as the 32-bit platform received it.
int64_t Low32(long v) { return static_cast<int32_t>(static_cast<uint32_t>(v)); }

// A KvBlobData of n bytes (1 to any size), null when it cannot be had.
// Sizes a blob cannot hold count as failed allocations, so the handler
// hears of them like of any other.
KvBlobData* NewData(int64_t n) {
  if (n > kLongestBlob) {
    KvCallMemoryHandler(static_cast<unsigned long>(n));
    return nullptr;
  }
  char* bytes = static_cast<char*>(KvMemAlloc(static_cast<uint32_t>(n)));
  if (bytes == nullptr) return nullptr;  // KvMemAlloc called the handler
  KvBlobData* data = new (std::nothrow) KvBlobData{bytes, static_cast<int32_t>(n)};
  if (data == nullptr) {
    KvCallMemoryHandler(sizeof(KvBlobData));
    data = new (std::nothrow) KvBlobData{bytes, static_cast<int32_t>(n)};
    if (data == nullptr) KvMemFree(bytes);
  }
  return data;
}

// A copy of the n bytes at p; null for none.
KvBlobData* CopyOf(const void* p, int64_t n) {
  if (p == nullptr || n <= 0) return nullptr;
  KvBlobData* data = NewData(n);
  if (data != nullptr) std::memcpy(data->data, p, static_cast<size_t>(n));
  return data;
}

// The first `keep` bytes at p (within the first n), followed by zero bytes
// up to n; null for n <= 0.
KvBlobData* Widened(const char* p, int64_t keep, int64_t n) {
  if (n <= 0) return nullptr;
  KvBlobData* data = NewData(n);
  if (data == nullptr) return nullptr;
  if (p == nullptr || keep < 0) keep = 0;
  if (keep > n) keep = n;
  if (p != nullptr && keep > 0) std::memcpy(data->data, p, static_cast<size_t>(keep));
  std::memset(data->data + keep, 0, static_cast<size_t>(n - keep));
  return data;
}

// A number's text and its terminating zero.
template <typename T>
KvBlobData* TextOf(const char* format, T v) {
  char text[400];  // "%f" of the largest double takes 317 bytes
  const int n = std::snprintf(text, sizeof text, format, v);
  if (n < 0 || static_cast<size_t>(n) >= sizeof text) return nullptr;
  return CopyOf(text, n + 1);
}

// The bytes read as text: up to the first zero byte or the end, copied and
// closed so that the reader never passes the blob. 0 when there is no text
// or no memory for the copy.
template <typename T, T (*Read)(const char*)>
T ReadText(const KvBlobData* data) {
  if (data == nullptr || data->length <= 0) return T(0);
  const size_t length = static_cast<size_t>(data->length);
  // A zero byte within the blob ends the text where it lies.
  if (std::memchr(data->data, 0, length) != nullptr) return Read(data->data);
  char local[128];
  char* text = local;
  if (length >= sizeof local) {
    text = static_cast<char*>(KvMemAlloc(static_cast<uint32_t>(length + 1)));
    if (text == nullptr) return T(0);
  }
  std::memcpy(text, data->data, length);
  text[length] = 0;
  const T v = Read(text);
  if (text != local) KvMemFree(text);
  return v;
}

int32_t ReadLong(const char* text) { return KvTextToLong(text, true); }

}  // namespace

KvBlob::KvBlob() : data_(nullptr) {}

KvBlob::KvBlob(long n) : data_(Widened(nullptr, 0, Low32(n))) {}

KvBlob::KvBlob(const void* p, long n) : data_(CopyOf(p, Low32(n))) {}

KvBlob::KvBlob(const char* s) : data_(s != nullptr ? CopyOf(s, std::strlen(s) + 1) : nullptr) {}

KvBlob::KvBlob(const KvString& s) : data_(CopyOf(s.StrGet(), s.SizeGet())) {}

KvBlob::KvBlob(int n) : data_(TextOf("%d", n)) {}

KvBlob::KvBlob(short n) : data_(TextOf("%d", static_cast<int>(n))) {}

KvBlob::KvBlob(unsigned long n) : data_(TextOf("%u", static_cast<uint32_t>(n))) {}

KvBlob::KvBlob(double d) : data_(TextOf("%f", d)) {}

KvBlob::KvBlob(const KvBlob& other) : data_(CopyOf(other.Data(), other.Length())) {}

KvBlob::~KvBlob() { FreeData(data_); }

KvBlob& KvBlob::operator=(const KvBlob& other) {
  if (this != &other) Take(CopyOf(other.Data(), other.Length()));
  return *this;
}

KvBlob& KvBlob::operator=(char* p) {
  if (p == nullptr) {
    Take(nullptr);
    return *this;
  }
  int32_t n;
  std::memcpy(&n, p, sizeof n);
  Take(CopyOf(p + sizeof n, n));
  return *this;
}

KvBlob& KvBlob::operator=(const char* s) {
  Take(s != nullptr ? CopyOf(s, std::strlen(s) + 1) : nullptr);
  return *this;
}

KvBlob::operator int() const { return ReadText<int32_t, ReadLong>(data_); }

KvBlob::operator short() const {
  return static_cast<short>(ReadText<int32_t, ReadLong>(data_));
}

KvBlob::operator long() const { return ReadText<int32_t, ReadLong>(data_); }

KvBlob::operator double() const { return ReadText<double, KvTextToDouble>(data_); }

void KvBlob::Destroy(KvBlob& other) {
  if (&other == this) return;
  FreeData(data_);
  data_ = other.data_;
  other.data_ = nullptr;
}

long KvBlob::Length() const { return data_ != nullptr ? data_->length : 0; }

char* KvBlob::Data() const { return data_ != nullptr ? data_->data : nullptr; }

unsigned short KvBlob::operator==(const KvBlob& other) const {
  const long n = Length();
  if (n != other.Length()) return 0;
  return n == 0 || std::memcmp(Data(), other.Data(), static_cast<size_t>(n)) == 0;
}

long KvBlob::operator!=(const KvBlob& other) const {
  const long n = Length();
  const long m = other.Length();
  const long common = n < m ? n : m;
  if (common > 0) {
    const int r = std::memcmp(Data(), other.Data(), static_cast<size_t>(common));
    if (r != 0) return r < 0 ? -1 : 1;
  }
  return n < m ? -1 : n > m ? 1 : 0;
}

// The new bytes are complete before the old ones go, so a source inside
// this blob stays readable throughout.
void KvBlob::SetTo(const void* p, long n) { Take(CopyOf(p, Low32(n))); }

void KvBlob::Append(const void* p, long count) {
  const int64_t n = Low32(count);
  if (p == nullptr || n <= 0) return;
  const int64_t old = Length();
  KvBlobData* grown = NewData(old + n);
  if (grown != nullptr) {
    if (old != 0) std::memcpy(grown->data, Data(), static_cast<size_t>(old));
    std::memcpy(grown->data + old, p, static_cast<size_t>(n));
  }
  Take(grown);
}

void KvBlob::Append(const KvBlob& b) { Append(b.Data(), b.Length()); }

KvBlob& KvBlob::operator+=(const KvBlob& b) {
  Append(b);
  return *this;
}

void KvBlob::Expand(long count) {
  const int64_t n = Low32(count);
  if (n <= Length() && n > 0) {
    data_->length = static_cast<int32_t>(n);
    return;
  }
  Take(Widened(Data(), Length(), n));
}

void KvBlob::Resize(unsigned long count) {
  const int64_t n = static_cast<uint32_t>(count);
  if (n == 0) {
    Take(nullptr);
  } else if (n <= Length()) {
    data_->length = static_cast<int32_t>(n);
  } else {
    Take(Widened(Data(), Length(), n));
  }
}

char* KvBlob::Seek(long offset, long count) const {
  const int64_t at = Low32(offset);
  const int64_t n = Low32(count);
  if (n <= 0 || at < 0 || at + n > Length()) return nullptr;
  return Data() + at;
}

KvBlob KvBlob::CopyFrom(long offset, long count) const {
  const int64_t at = Low32(offset);
  int64_t n = Low32(count);
  KvBlob copy;
  if (at < 0 || at >= Length() || n <= 0) return copy;
  if (n > Length() - at) n = Length() - at;
  copy.data_ = CopyOf(Data() + at, n);
  return copy;
}

void KvBlob::CopyTo(const KvBlob& source, long offset, long count) {
  const int64_t at = Low32(offset);
  int64_t n = Low32(count);
  if (at < 0 || at > Length()) return;
  if (n > Length() - at) n = Length() - at;
  if (n > source.Length()) n = source.Length();
  if (n < 1) return;
  std::memmove(Data() + at, source.Data(), static_cast<size_t>(n));
}

void KvBlob::Cut(long offset, long count) {
  const int64_t at = Low32(offset);
  int64_t n = Low32(count);
  const int64_t length = Length();
  if (at < 0 || at > length || n <= 0) return;
  if (n > length - at) n = length - at;
  if (n == 0) return;
  if (n == length) {
    Take(nullptr);
    return;
  }
  // The bytes close up in place: the buffer keeps its size, so cutting
  // never allocates and cannot fail.
  std::memmove(Data() + at, Data() + at + n, static_cast<size_t>(length - at - n));
  data_->length = static_cast<int32_t>(length - n);
}

long KvBlob::Search(const KvBlob& pattern) const {
  const long n = pattern.Length();
  if (n == 0) return 0;
  if (n > Length()) return 65535;
  const void* at = memmem(Data(), static_cast<size_t>(Length()), pattern.Data(),
                          static_cast<size_t>(n));
  return at != nullptr ? static_cast<const char*>(at) - Data() : 65535;
}

KvBlobData* KvBlob::AllocData(long n) {
  const int64_t count = Low32(n);
  if (count < 0) return nullptr;
  return Widened(nullptr, 0, count + 1);
}

void KvBlob::FreeData(KvBlobData* data) {
  if (data == nullptr) return;
  KvMemFree(data->data);
  delete data;
}

void KvBlob::Take(KvBlobData* data) {
  FreeData(data_);
  data_ = data;
}
