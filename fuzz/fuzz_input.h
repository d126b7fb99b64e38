// fuzz_input.h — what every fuzz target shares: the library's start-up with
// a pinned clock, a reader over the fuzzer's bytes, exactly sized copies of
// them, and strings and values in memory form made from them.
#ifndef KVTM_FUZZ_FUZZ_INPUT_H
#define KVTM_FUZZ_FUZZ_INPUT_H

#include <algorithm>
#include <cstring>
#include <memory>

#include "kvstring_access.h"
#include "kvtm/kvtm.h"

// The body of a target: it runs once per input, with `input` reading the
// fuzzer's bytes, after FuzzStart.
#define KVTM_FUZZ_TARGET(input)                                                  \
  static void FuzzOne(FuzzInput& input);                                         \
  extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {      \
    FuzzInput in = FuzzStart(data, size);                                        \
    return FuzzOne(in), 0;                                                       \
  }                                                                              \
  static void FuzzOne(FuzzInput& input)

// The manager of the standard descriptor table, or of the legacy one when
// bit 0 of `flags` is set; each made once.
inline KvTypeMgr& FuzzManager(uint8_t flags) {
  static KvTypeMgr standard(5), legacy(3);
  return (flags & 1) != 0 ? legacy : standard;
}

// A type id from one input byte: every row, and two ids past the table.
inline KvTypeId FuzzTypeId(uint8_t byte) { return static_cast<KvTypeId>(byte % 30); }

// A heap block of exactly `size` bytes (a copy of `bytes` when given), so
// that AddressSanitizer reports a read one byte past it. A size of 0 still
// has an address.
struct FuzzBuffer {
  explicit FuzzBuffer(size_t size, const uint8_t* bytes = nullptr) : block(new uint8_t[size]()), size(size) {
    if (size != 0 && bytes != nullptr) std::memcpy(block.get(), bytes, size);
  }
  uint8_t* Data() const { return block.get(); }
  std::unique_ptr<uint8_t[]> block;
  size_t size;
};

// A string of code set `cs` and language `language` whose units are the n
// bytes at p (16-bit units least significant byte first for a 16-bit code
// set; an odd last byte is dropped). Any code set and language are taken,
// those the library does not know included.
inline KvString FuzzString(const uint8_t* p, size_t n, uint8_t cs, uint8_t language) {
  KvString s(cs, language);
  // A count of KvSTRING_WHOLE would read up to a terminator instead.
  const size_t count = std::min<size_t>(KvCodeSetIsWide(cs) ? n / 2 : n, 0xFFFE);
  const FuzzBuffer copy(n, p);
  if (count != 0) KvStringAccess::AssignUnits(s, reinterpret_cast<const char*>(copy.Data()), cs, static_cast<uint16_t>(count), 1);
  return s;
}

// Reads the fuzzer's input from the front. Past its end every number reads
// as 0 and every run of bytes is empty, so a short input is still a case.
// Numbers are least significant byte first.
struct FuzzInput {
  size_t Left() const { return size - at; }
  uint8_t Byte() { return at < size ? data[at++] : 0; }
  uint16_t Word() { return static_cast<uint16_t>(Long(2)); }
  uint32_t Long(int bytes = 4) {
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i) v |= static_cast<uint32_t>(Byte()) << 8 * i;
    return v;
  }
  // The next n bytes, or fewer where the input ends; the pointer stays
  // valid while the input does.
  const uint8_t* Take(size_t n, size_t* taken) {
    at += *taken = std::min(n, Left());
    return data + at - *taken;
  }
  // A copy of the next n bytes (fewer where the input ends); as `text`, cut
  // at a zero among them and zero-terminated, for arguments whose contract
  // is a C string.
  FuzzBuffer Copy(size_t n, bool text = false) {
    size_t taken;
    const uint8_t* p = Take(n, &taken);
    FuzzBuffer copy(text ? strnlen(reinterpret_cast<const char*>(p), taken) + 1 : taken);
    if (copy.size > text) std::memcpy(copy.Data(), p, copy.size - text);
    return copy;
  }
  // A string made of the next n bytes (fewer where the input ends).
  KvString String(size_t n, uint8_t cs, uint8_t language) {
    size_t taken;
    const uint8_t* p = Take(n, &taken);
    return FuzzString(p, taken, cs, language);
  }
  const uint8_t* data;
  size_t size, at = 0;
};

// The library's start-up, once per process: the process context, a silent
// assertion handler (reports are expected on hostile input and are not
// faults) and a clock pinned to one instant, so every run of an input is
// the same run. Then a reader over the input.
inline FuzzInput FuzzStart(const uint8_t* data, size_t size) {
  static const bdate today = {2001, 5, 7};
  static const btime now = {13, 5, 9, 0, 3600};
  [[maybe_unused]] static const bool started =
      (___KvTypemgrContext(1), KvSetAssertHandler([](const char*, const char*, int) {}), KvSetClockOverride(&today, &now), true);
  return {data, size};
}

// Values of row `id` in memory form (either table: the KvString row's
// memory form is the same in both), made from the input's next n bytes and
// held in a block of exactly their size.
//   - The rows whose memory form is plain data (numbers, dates and times,
//     identifiers, KvInt64, bool) take the bytes as they are: every bit
//     pattern is a value. So kBytes gives an exact copy of any bytes.
//   - KvString, KvBlob, KvIString and KvCaseIString take pieces: a length
//     byte, a code set (attributes for the insensitive strings; unused for
//     blobs), a language, then that many bytes of text. At most kMaxObjects.
struct FuzzValues {
  static constexpr KvTypeId kBytes = KvTYPE_CHAR;  // the row of any bytes, as they are
  static constexpr uint32_t kMaxObjects = 16;
  static bool HoldObjects(KvTypeId id) { return id == KvTYPE_STRING || id == KvTYPE_BLOB || id == KvTYPE_ISTRING || id == KvTYPE_CASEISTRING; }

  FuzzValues(KvTypeId id, FuzzInput& input, size_t n) : block_(0) {
    size_t taken;
    const uint8_t* bytes = input.Take(n, &taken);
    const FuzzInput pieces{bytes, taken};
    if (id == KvTYPE_STRING) Make<KvString>(pieces); else if (id == KvTYPE_BLOB) Make<KvBlob>(pieces);
    else if (id == KvTYPE_ISTRING) Make<KvIString>(pieces); else if (id == KvTYPE_CASEISTRING) Make<KvCaseIString>(pieces);
    else block_ = FuzzBuffer(taken, bytes);
  }
  ~FuzzValues() { destroy_(Data(), count_); }  // its block refuses copies
  void* Data() const { return block_.Data(); }
  uint32_t Bytes() const { return static_cast<uint32_t>(block_.size); }
  uint32_t Count() const { return count_; }  // objects held

  template <typename T>
  void Make(FuzzInput pieces) {
    // Count the pieces first: the block holds exactly that many objects.
    size_t taken;
    for (FuzzInput walk = pieces; walk.Left() != 0 && count_ < kMaxObjects; ++count_) walk.Take(walk.Byte() + 2u, &taken);
    block_ = FuzzBuffer(count_ * sizeof(T));
    for (uint32_t i = 0; i < count_; ++i) {
      const uint8_t length = pieces.Byte(), first = pieces.Byte(), second = pieces.Byte();
      const uint8_t* text = pieces.Take(length, &taken);
      T* at = reinterpret_cast<T*>(block_.Data()) + i;
      if constexpr (std::is_same_v<T, KvString>)
        new (at) KvString(FuzzString(text, taken, first, second));
      else if constexpr (std::is_same_v<T, KvBlob>)
        new (at) KvBlob(text, static_cast<long>(taken));
      else
        new (at) T(reinterpret_cast<const char*>(text), static_cast<unsigned short>(taken)), at->AttributesSet(first);
    }
    destroy_ = [](void* p, uint32_t n) { std::destroy_n(static_cast<T*>(p), n); };
  }

  FuzzBuffer block_;
  uint32_t count_ = 0;
  void (*destroy_)(void*, uint32_t) = [](void*, uint32_t) {};  // plain rows hold no objects
};

#endif  // KVTM_FUZZ_FUZZ_INPUT_H
