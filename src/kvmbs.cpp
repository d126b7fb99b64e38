// kvmbs.cpp — strings to and from UTF-8 with sequences of up to six bytes.
#include "kvtm/kvmbs.h"

#include <cstdint>
#include <cstring>

#include "kvplatform/kvbase.h"
#include "kvplatform/kvi18n.h"
#include "kvplatform/kvmemory.h"
#include "kvstring_access.h"
#include "kvtm/kvstring.h"

namespace {

// One row per sequence length, tried in order: a lead byte whose bits under
// `leadMask` equal `leadValue` starts a sequence of `length` bytes holding a
// value from `smallest` to `largest`. The lead carries the value's high bits
// (those outside `leadMask`), each continuation byte (10xxxxxx) six more.
struct Utf8Form {
  uint8_t length;
  uint8_t leadMask;
  uint8_t leadValue;
  uint32_t smallest;  // anything below has a shorter form: overlong
  uint32_t largest;
};

constexpr Utf8Form kForms[] = {
    {1, 0x80, 0x00, 0, 0x7F},
    {2, 0xE0, 0xC0, 0x80, 0x7FF},
    {3, 0xF0, 0xE0, 0x800, 0xFFFF},
    {4, 0xF8, 0xF0, 0x10000, 0x1FFFFF},
    {5, 0xFC, 0xF8, 0x200000, 0x3FFFFFF},
    {6, 0xFE, 0xFC, 0x4000000, 0x7FFFFFFF},
};

// A decoding stops once it has used this many bytes.
constexpr uint32_t kInputLimit = 32768;

// Characters a string of code set 253 holds.
constexpr uint32_t kMaxUnits = KvSTRING_MAX_SIZE / 2 - 1;

// Decoded characters reach the string this many at a time.
constexpr uint32_t kChunkUnits = 256;

// A long argument as the 32-bit platform received it; negative counts as 0.
uint32_t Count32(long v) {
  const int32_t low = static_cast<int32_t>(static_cast<uint32_t>(v));
  return low < 0 ? 0 : static_cast<uint32_t>(low);
}

// The character at s, from at most n bytes: its length with *unit set, or
// KvMBS_INVALID with *unit 0. The lead decides the length before any further
// byte is read, and a byte that is not a continuation ends the reading, so
// nothing past n or past a zero byte is touched.
int DecodeOne(const uint8_t* s, uint32_t n, uint16_t* unit) {
  *unit = 0;
  if (n == 0) return KvMBS_INVALID;
  const uint8_t lead = s[0];
  for (const Utf8Form& form : kForms) {
    if ((lead & form.leadMask) != form.leadValue) continue;
    if (form.length > n) return KvMBS_INVALID;
    uint32_t value = lead & static_cast<uint8_t>(~form.leadMask);
    for (uint32_t i = 1; i < form.length; ++i) {
      if ((s[i] & 0xC0) != 0x80) return KvMBS_INVALID;
      value = value << 6 | (s[i] & 0x3F);
    }
    if (value < form.smallest) return KvMBS_INVALID;
    // A value beyond 16 bits keeps its low bits. When those are ASCII the
    // sequence would be a second spelling of an ASCII character, which
    // passes byte-level checks for '/' or '"' just as an overlong form
    // would; low bits 0 would be the terminator and end the text unseen.
    if (value > 0xFFFF && (value & 0xFFFF) < 0x80) return KvMBS_INVALID;
    *unit = static_cast<uint16_t>(value);
    return form.length;
  }
  return KvMBS_INVALID;  // a continuation byte, 0xFE or 0xFF
}

const Utf8Form& FormOf(uint16_t ch) {
  for (const Utf8Form& form : kForms)
    if (ch <= form.largest) return form;
  return kForms[2];  // not reached: three bytes hold every 16-bit value
}

uint32_t EncodedLength(uint16_t ch) { return FormOf(ch).length; }

uint32_t EncodeOne(uint16_t ch, uint8_t* out) {
  const Utf8Form& form = FormOf(ch);
  uint32_t value = ch;
  for (uint32_t i = form.length - 1; i > 0; --i) {
    out[i] = static_cast<uint8_t>(0x80 | (value & 0x3F));
    value >>= 6;
  }
  out[0] = static_cast<uint8_t>(form.leadValue | value);
  return form.length;
}

// Reads a string's text as characters of code set 253, a batch at a time: a
// 16-bit text's own units, an 8-bit text's units mapped from its code set (0:
// the native one). Mapping as it goes, rather than converting the string,
// keeps 8-bit text too long for a 16-bit string whole.
class CharacterReader {
 public:
  explicit CharacterReader(const KvString& str)
      : text_(str.StrGet()),
        codeSet_(str.CodeSetGet()),
        width_(KvUnitWidth(str.CodeSetGet())),
        count_(str.Len()),
        next_(0) {}

  // Up to `room` further characters into `batch`; 0 at the end.
  uint32_t Next(uint16_t* batch, uint32_t room) {
    uint32_t n = count_ - next_;
    if (n > room) n = room;
    const char* from = text_ + size_t{width_} * next_;
    if (width_ == 2) {
      std::memcpy(batch, from, 2 * size_t{n});
    } else {
      KvLanguageContext::QueryCodeSet(KvCS_UNICODE)->MapText(from, codeSet_, KvFORMAT_LSB_FIRST,
                                                             batch, n);
    }
    next_ += n;
    return n;
  }

 private:
  const char* text_;
  uint8_t codeSet_;
  uint8_t width_;
  uint32_t count_;
  uint32_t next_;
};

// Code sets whose bytes below 0x80 are ASCII, so such text is its own UTF-8.
bool IsAsciiCodeSet(uint8_t codeSet) { return codeSet <= KvCS_LATIN2; }

// Bytes from the start of `text` (of `length` bytes) that are below 0x80.
uint32_t AsciiPrefix(const char* text, uint32_t length) {
  uint32_t i = 0;
  while (i < length && static_cast<uint8_t>(text[i]) < 0x80) ++i;
  return i;
}

// True when s lies within `str`'s buffer, which the decoding releases first.
bool PointsInto(const char* s, const KvString& str) {
  const char* buffer = KvStringAccess::BufferGet(str);
  if (buffer == nullptr) return false;
  const uintptr_t at = reinterpret_cast<uintptr_t>(s);
  const uintptr_t start = reinterpret_cast<uintptr_t>(buffer);
  return at >= start && at - start < str.SizeGet();
}

void AppendUnits(KvString& str, uint32_t held, const uint16_t* units, uint32_t count) {
  KvStringAccess::EditUnits(str, reinterpret_cast<const char*>(units), KvCS_UNICODE, held, 0,
                            count, 1, KvEDIT_REPLACE_TAIL, KvUNIT_FORMAT_DEFAULT);
}

}  // namespace

int KvMultiByte2WChar(unsigned short* wc, char* s, unsigned int n) {
  uint16_t unit = 0;
  const int used = s != nullptr ? DecodeOne(reinterpret_cast<const uint8_t*>(s), n, &unit) : 0;
  if (wc != nullptr) *wc = unit;
  return used;
}

int KvWChar2MultiByte(char* s, unsigned short wc) {
  if (s == nullptr) return 0;
  return static_cast<int>(EncodeOne(wc, reinterpret_cast<uint8_t*>(s)));
}

long KvMBS2KvString(const char* s, KvString& str, long n) {
  uint32_t limit = s != nullptr ? Count32(n) : 0;
  // Text taken from `str` itself is copied first: `str` is emptied before
  // anything is decoded. Only the bytes up to the end of its buffer exist.
  char* copy = nullptr;
  if (limit > 0 && PointsInto(s, str)) {
    const uint32_t left = static_cast<uint32_t>(KvStringAccess::BufferGet(str) + str.SizeGet() - s);
    if (limit > left) limit = left;
    copy = static_cast<char*>(KvMemAlloc(limit));
    if (copy == nullptr) limit = 0;
    else std::memcpy(copy, s, limit);
    s = copy;
  }
  KvStringAccess::Adopt(str, nullptr, 0);
  str.SetCodeSet(KvCS_UNICODE);
  if (limit == 0) {
    KvMemFree(copy);
    return 0;
  }

  const uint8_t* bytes = reinterpret_cast<const uint8_t*>(s);
  uint16_t chunk[kChunkUnits];
  uint32_t inChunk = 0;
  uint32_t stored = 0;  // characters already appended to `str`
  uint32_t used = 0;
  long result = 0;
  for (;;) {
    uint16_t unit = 0;
    const int length = DecodeOne(bytes + used, limit - used, &unit);
    if (length < 0) {
      result = KvMBS_INVALID;
      break;
    }
    if (unit == 0) break;  // a zero byte ends the text
    if (stored + inChunk == kMaxUnits) {
      // Appending would be refused and lose text silently; stop at the last
      // character the string holds.
      KvStringAccess::ReportOverflow();
      result = KvMBS_TOO_LONG;
      break;
    }
    chunk[inChunk++] = unit;
    if (inChunk == kChunkUnits) {
      AppendUnits(str, stored, chunk, inChunk);
      stored += inChunk;
      inChunk = 0;
    }
    used += static_cast<uint32_t>(length);
    if (used >= kInputLimit) {
      result = KvMBS_TOO_LONG;
      break;
    }
    if (used >= limit) break;
  }
  if (inChunk > 0) AppendUnits(str, stored, chunk, inChunk);
  KvMemFree(copy);
  return result != 0 ? result : static_cast<long>(used);
}

long KvMultiByteString2KvString(const char* s, KvString& str, long n) {
  return KvMBS2KvString(s, str, n);
}

long KvMultiByteString2KvString(const KvString& m, KvString& str) {
  // The bytes are copied out of m (which may be `str`, emptied first); a
  // 16-bit text contributes its units up to the first that is no byte.
  const uint32_t units = m.Len();
  if (units == 0) return KvMBS2KvString(m.StrGet(), str, 0);
  char* bytes = static_cast<char*>(KvMemAlloc(units));
  if (bytes == nullptr) return KvMBS2KvString(nullptr, str, 0);
  uint32_t count = units;
  if (KvCodeSetIsWide(m.CodeSetGet())) {
    const char* text = m.StrGet();
    for (uint32_t i = 0; i < units; ++i) {
      uint16_t unit;
      std::memcpy(&unit, text + 2 * size_t{i}, 2);
      if (unit > 0xFF) {
        count = i;
        break;
      }
      bytes[i] = static_cast<char>(unit);
    }
  } else {
    std::memcpy(bytes, m.StrGet(), units);
  }
  long result = KvMBS2KvString(bytes, str, static_cast<long>(count));
  // Every byte before the unit that is none decoded: that unit is the fault.
  if (count < units && result == static_cast<long>(count)) result = KvMBS_INVALID;
  KvMemFree(bytes);
  return result;
}

long KvString2MultiByteString(const KvString& str, char*& out, long& size) {
  uint16_t batch[kChunkUnits];
  uint32_t total = 0;
  CharacterReader counter(str);
  for (uint32_t n; (n = counter.Next(batch, kChunkUnits)) > 0;)
    for (uint32_t i = 0; i < n; ++i) total += EncodedLength(batch[i]);

  uint32_t room = Count32(size);
  if (out == nullptr || room < 1) {
    out = static_cast<char*>(KvMemAlloc(total + 1));
    if (out == nullptr) {
      size = static_cast<long>(total);
      return KvMBS_INVALID;
    }
    room = total + 1;
    size = static_cast<long>(room);
  }
  if (room <= total) {
    size = static_cast<long>(total);
    return KvMBS_INVALID;
  }
  uint8_t* to = reinterpret_cast<uint8_t*>(out);
  CharacterReader reader(str);
  for (uint32_t n; (n = reader.Next(batch, kChunkUnits)) > 0;)
    for (uint32_t i = 0; i < n; ++i) to += EncodeOne(batch[i], to);
  *to = 0;
  return static_cast<long>(total);
}

long KvString2KvMBS(const KvString& str, char* out, long size) {
  const uint32_t room = out != nullptr ? Count32(size) : 0;
  if (IsAsciiCodeSet(str.CodeSetGet())) {
    const char* text = str.StrGet();
    const uint32_t length = str.Len();
    const uint32_t ascii = AsciiPrefix(text, length);
    if (ascii == length) {
      // A text that does not fit is reported as every other code set
      // reports it, not cut at `size` with a result that looks whole.
      if (length > room) {
        if (room > 0) std::memcpy(out, text, room);
        return KvMBS_TOO_LONG;
      }
      if (room > 0) {
        std::memcpy(out, text, length);
        std::memset(out + length, 0, room - length);
      }
      return static_cast<long>(length);
    }
  }
  uint16_t batch[kChunkUnits];
  uint32_t written = 0;
  uint8_t* to = reinterpret_cast<uint8_t*>(out);
  CharacterReader reader(str);
  for (uint32_t n; (n = reader.Next(batch, kChunkUnits)) > 0;) {
    for (uint32_t i = 0; i < n; ++i) {
      if (written + EncodedLength(batch[i]) > room) return KvMBS_TOO_LONG;
      written += EncodeOne(batch[i], to + written);
    }
  }
  return static_cast<long>(written);
}

long KvMBSLength(const KvString& str, unsigned short n) {
  if (n == 0) return 0;
  if (IsAsciiCodeSet(str.CodeSetGet())) {
    const uint32_t length = str.Len();
    if (AsciiPrefix(str.StrGet(), length) == length) return length < n ? length : n;
  }
  uint16_t batch[kChunkUnits];
  uint32_t left = n;
  long total = 0;
  CharacterReader reader(str);
  for (uint32_t got; left > 0 && (got = reader.Next(batch, left < kChunkUnits ? left : kChunkUnits)) > 0;) {
    for (uint32_t i = 0; i < got; ++i) total += EncodedLength(batch[i]);
    left -= got;
  }
  return total;
}
