// fuzz_input.h — what every fuzz target shares: the library's start-up with
// a pinned clock, a reader over the fuzzer's bytes, exactly sized copies of
// them, and strings and values in memory form made from them.
#ifndef KVTM_FUZZ_FUZZ_INPUT_H
#define KVTM_FUZZ_FUZZ_INPUT_H

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

#include "kvstring_access.h"
#include "kvtm/kvtm.h"

// Sets up the library once per process: the process context, a silent
// assertion handler (reports are expected on hostile input and are not
// faults) and a clock pinned to one instant, so every run of an input is
// the same run.
inline void FuzzStartUp() {
  static bool started = false;
  if (started) return;
  started = true;
  ___KvTypemgrContext(1);
  KvSetAssertHandler([](const char*, const char*, int) {});
  static const bdate kToday = {2001, 5, 7};
  static const btime kNow = {13, 5, 9, 0, 3600};
  KvSetClockOverride(&kToday, &kNow);
}

// The manager of the standard descriptor table, or of the legacy one when
// bit 0 of `flags` is set; each made once.
inline KvTypeMgr& FuzzManager(uint8_t flags) {
  static KvTypeMgr standard(5);
  static KvTypeMgr legacy(3);
  return (flags & 1) != 0 ? legacy : standard;
}

// A type id from one input byte: every row, and two ids past the table.
inline KvTypeId FuzzTypeId(uint8_t byte) { return static_cast<KvTypeId>(byte % 30); }

// A heap block of exactly `size` bytes, so that AddressSanitizer reports a
// read one byte past it. A size of 0 still has an address.
class FuzzBuffer {
 public:
  explicit FuzzBuffer(size_t size) : data_(new uint8_t[size]()), size_(size) {}
  FuzzBuffer(const uint8_t* bytes, size_t size) : FuzzBuffer(size) {
    if (size != 0) std::memcpy(data_.get(), bytes, size);
  }
  uint8_t* Data() const { return data_.get(); }
  size_t Size() const { return size_; }

 private:
  std::unique_ptr<uint8_t[]> data_;
  size_t size_;
};

// Reads the fuzzer's input from the front. Past its end every number reads
// as 0 and every run of bytes is empty, so a short input is still a case.
class FuzzInput {
 public:
  FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  size_t Left() const { return size_ - at_; }
  uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
  // Least significant byte first.
  uint16_t Word() {
    const uint16_t low = Byte();
    return static_cast<uint16_t>(low | Byte() << 8);
  }
  uint32_t Long() {
    const uint32_t low = Word();
    return low | static_cast<uint32_t>(Word()) << 16;
  }
  // The next n bytes, or fewer where the input ends; the pointer stays
  // valid while the input does.
  const uint8_t* Take(size_t n, size_t* taken) {
    *taken = n < Left() ? n : Left();
    const uint8_t* p = data_ + at_;
    at_ += *taken;
    return p;
  }
  const uint8_t* TakeRest(size_t* taken) { return Take(Left(), taken); }
  // A copy of the next n bytes (fewer where the input ends).
  FuzzBuffer Copy(size_t n) {
    size_t taken;
    const uint8_t* p = Take(n, &taken);
    return FuzzBuffer(p, taken);
  }
  // A zero-terminated copy of the next n bytes, cut at a zero among them,
  // for arguments whose contract is a C string.
  FuzzBuffer Text(size_t n) {
    size_t taken;
    const uint8_t* p = Take(n, &taken);
    const void* zero = std::memchr(p, 0, taken);
    if (zero != nullptr) taken = static_cast<size_t>(static_cast<const uint8_t*>(zero) - p);
    FuzzBuffer text(taken + 1);
    if (taken != 0) std::memcpy(text.Data(), p, taken);
    return text;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

// A string of code set `cs` and language `language` whose units are the n
// bytes at p (16-bit units least significant byte first for a 16-bit code
// set; an odd last byte is dropped). Any code set and language are taken,
// those the library does not know included.
inline KvString FuzzString(const uint8_t* p, size_t n, uint8_t cs, uint8_t language) {
  KvString s(cs, language);
  const size_t units = KvCodeSetIsWide(cs) ? n / 2 : n;
  // A count of KvSTRING_WHOLE would read up to a terminator instead.
  const uint16_t count = static_cast<uint16_t>(units < 0xFFFE ? units : 0xFFFE);
  if (count != 0) {
    const FuzzBuffer copy(p, n);
    KvStringAccess::AssignUnits(s, reinterpret_cast<const char*>(copy.Data()), cs, count, 1);
  }
  return s;
}

// Values of one row in memory form, made from the fuzzer's bytes and held
// in a block of exactly their size.
//   - The rows whose memory form is plain data (numbers, dates and times,
//     identifiers, KvInt64, bool) take the bytes as they are: every bit
//     pattern is a value.
//   - KvString, KvBlob, KvIString and KvCaseIString take pieces: a length
//     byte, a code set (attributes for the insensitive strings; unused for
//     blobs), a language, then that many bytes of text. At most kMaxObjects.
class FuzzValues {
 public:
  static constexpr uint32_t kMaxObjects = 16;

  // Values of row `id` (either table: the KvString row's memory form is
  // the same in both) read from `input`'s next n bytes.
  FuzzValues(KvTypeId id, FuzzInput& input, size_t n);
  // count default values (at most kMaxObjects for the object rows), as a
  // Translate target; plain rows get `plainBytes` zero bytes instead.
  FuzzValues(KvTypeId id, uint32_t count, size_t plainBytes);
  ~FuzzValues();
  FuzzValues(const FuzzValues&) = delete;
  FuzzValues& operator=(const FuzzValues&) = delete;

  void* Data() const { return block_->Data(); }
  uint32_t Bytes() const { return static_cast<uint32_t>(block_->Size()); }
  // Objects held; for plain rows the whole values the bytes hold.
  uint32_t Count() const { return count_; }

 private:
  template <typename T>
  void Make(FuzzInput& input, size_t n);
  template <typename T>
  void MakeDefaults(uint32_t count);
  template <typename T>
  void Destroy();

  KvTypeId id_;
  std::unique_ptr<FuzzBuffer> block_;
  uint32_t count_ = 0;
};

// The rows whose memory form is objects, not plain bytes.
inline bool FuzzRowHoldsObjects(KvTypeId id) {
  return id == KvTYPE_STRING || id == KvTYPE_BLOB || id == KvTYPE_ISTRING ||
         id == KvTYPE_CASEISTRING;
}

namespace fuzz_detail {

inline void Build(KvString* at, const uint8_t* text, size_t n, uint8_t cs, uint8_t language) {
  new (at) KvString(FuzzString(text, n, cs, language));
}
inline void Build(KvBlob* at, const uint8_t* bytes, size_t n, uint8_t, uint8_t) {
  new (at) KvBlob(bytes, static_cast<long>(n));
}
inline void Build(KvIString* at, const uint8_t* text, size_t n, uint8_t attributes, uint8_t) {
  new (at) KvIString(reinterpret_cast<const char*>(text), static_cast<unsigned short>(n));
  at->AttributesSet(attributes);
}
inline void Build(KvCaseIString* at, const uint8_t* text, size_t n, uint8_t attributes,
                  uint8_t) {
  new (at) KvCaseIString(reinterpret_cast<const char*>(text), static_cast<unsigned short>(n));
  at->AttributesSet(attributes);
}

}  // namespace fuzz_detail

template <typename T>
void FuzzValues::Make(FuzzInput& input, size_t n) {
  size_t taken;
  const uint8_t* bytes = input.Take(n, &taken);
  FuzzInput pieces(bytes, taken);
  // Count the pieces first: the block holds exactly that many objects.
  uint32_t count = 0;
  for (FuzzInput walk = pieces; walk.Left() != 0 && count < kMaxObjects; ++count) {
    const uint8_t length = walk.Byte();
    walk.Byte();
    walk.Byte();
    size_t skipped;
    walk.Take(length, &skipped);
  }
  block_ = std::make_unique<FuzzBuffer>(count * sizeof(T));
  T* objects = reinterpret_cast<T*>(block_->Data());
  for (uint32_t i = 0; i < count; ++i) {
    const uint8_t length = pieces.Byte();
    const uint8_t first = pieces.Byte();
    const uint8_t second = pieces.Byte();
    const uint8_t* text = pieces.Take(length, &taken);
    fuzz_detail::Build(&objects[i], text, taken, first, second);
  }
  count_ = count;
}

template <typename T>
void FuzzValues::MakeDefaults(uint32_t count) {
  if (count > kMaxObjects) count = kMaxObjects;
  block_ = std::make_unique<FuzzBuffer>(count * sizeof(T));
  T* objects = reinterpret_cast<T*>(block_->Data());
  for (uint32_t i = 0; i < count; ++i) new (&objects[i]) T();
  count_ = count;
}

template <typename T>
void FuzzValues::Destroy() {
  T* objects = reinterpret_cast<T*>(block_->Data());
  for (uint32_t i = 0; i < count_; ++i) objects[i].~T();
}

inline FuzzValues::FuzzValues(KvTypeId id, FuzzInput& input, size_t n) : id_(id) {
  switch (id) {
    case KvTYPE_STRING: Make<KvString>(input, n); return;
    case KvTYPE_BLOB: Make<KvBlob>(input, n); return;
    case KvTYPE_ISTRING: Make<KvIString>(input, n); return;
    case KvTYPE_CASEISTRING: Make<KvCaseIString>(input, n); return;
    default: break;
  }
  block_ = std::make_unique<FuzzBuffer>(input.Copy(n));
  const uint16_t width = DefaultTypeMgr(nullptr)->MemLenGet(id, 1);
  count_ = width != 0 ? static_cast<uint32_t>(block_->Size() / width) : 0;
}

inline FuzzValues::FuzzValues(KvTypeId id, uint32_t count, size_t plainBytes) : id_(id) {
  switch (id) {
    case KvTYPE_STRING: MakeDefaults<KvString>(count); return;
    case KvTYPE_BLOB: MakeDefaults<KvBlob>(count); return;
    case KvTYPE_ISTRING: MakeDefaults<KvIString>(count); return;
    case KvTYPE_CASEISTRING: MakeDefaults<KvCaseIString>(count); return;
    default: break;
  }
  block_ = std::make_unique<FuzzBuffer>(plainBytes);
  const uint16_t width = DefaultTypeMgr(nullptr)->MemLenGet(id, 1);
  count_ = width != 0 ? static_cast<uint32_t>(plainBytes / width) : 0;
}

inline FuzzValues::~FuzzValues() {
  switch (id_) {
    case KvTYPE_STRING: Destroy<KvString>(); break;
    case KvTYPE_BLOB: Destroy<KvBlob>(); break;
    case KvTYPE_ISTRING: Destroy<KvIString>(); break;
    case KvTYPE_CASEISTRING: Destroy<KvCaseIString>(); break;
    default: break;
  }
}

#endif  // KVTM_FUZZ_FUZZ_INPUT_H
