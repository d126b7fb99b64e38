// kvtypcmp.cpp — the compare function contract and the number compare functions.
#include "kvtm/kvtypcmp.h"

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <optional>
#include <type_traits>

#include "kvcollate.h"
#include "kvint64_rows.h"
#include "kvistring_rows.h"
#include "kvkey.h"
#include "kvnumber.h"
#include "kvplatform/kvi18n.h"
#include "kvplatform/kvmemory.h"
#include "kvstored.h"
#include "kvstrcmp.h"
#include "kvtm/kvblob.h"
#include "kvtm/kvboolean.h"
#include "kvtm/kvdate.h"
#include "kvtm/kvobjid.h"
#include "kvtm/kvodmg.h"
#include "kvtm/kvstring.h"

// ---- Numbers ----

namespace {

// -1, 0 or 1. A B-tree needs a total order, so NaN, which compares unordered
// with everything, is placed first: below -infinity and equal to every NaN
// whatever its sign and payload. +0 and -0 are equal.
template <typename T>
long Order(T a, T b) {
  if (a < b) return -1;
  if (a > b) return 1;
  if (a == b) return 0;
  return static_cast<long>(b != b) - static_cast<long>(a != a);
}

// Index of the first of n element pairs whose values are not equal, or n.
//
// Equal bytes are equal values in every byte order: for integers plainly,
// for floating point because a NaN equals any NaN. So a block of equal
// bytes is skipped with memcmp; only a block whose bytes differ is walked
// value by value, where +0 / -0 and NaNs of other payloads may still be
// equal values.
template <typename T>
uint32_t FirstUnequal(const uint8_t* a, const uint8_t* b, uint32_t n, uint8_t format) {
  constexpr uint32_t kBlock = 4096 / sizeof(T);
  uint32_t i = 0;
  while (i < n) {
    const uint32_t m = n - i < kBlock ? n - i : kBlock;
    const uint8_t* p = a + static_cast<size_t>(i) * sizeof(T);
    const uint8_t* q = b + static_cast<size_t>(i) * sizeof(T);
    if (std::memcmp(p, q, static_cast<size_t>(m) * sizeof(T)) != 0) {
      for (uint32_t j = 0; j < m; ++j) {
        const uint8_t* x = p + static_cast<size_t>(j) * sizeof(T);
        const uint8_t* y = q + static_cast<size_t>(j) * sizeof(T);
        if (Order(KvReadNumber<T>(x, format), KvReadNumber<T>(y, format)) != 0) return i + j;
      }
    }
    i += m;
  }
  return n;
}

// The element walk of every number compare function. Elements are
// compared in order until a pair differs; after each element, when a
// further one remains, the walk steps onto it only if it lies wholly
// within both buffers, and otherwise stops with KvCMP_INCOMPLETE (also
// when the element just compared already decided the result). Since the
// pairs before the first unequal one all compare 0 and step, the walk
// reduces to finding that pair among the elements both buffers hold.
template <typename T>
long CompareNumbers(unsigned char format, unsigned long length1, void* values1,
                    unsigned long length2, void* values2, unsigned long count, int& status) {
  // Counts and lengths are 32-bit quantities whatever the host's long.
  const uint32_t n = static_cast<uint32_t>(count);
  const uint32_t stride = sizeof(T);
  status = 0;
  if (n == 0) return 0;
  const uint32_t bytes1 = length1 != 0 ? static_cast<uint32_t>(length1) : n * stride;
  const uint32_t bytes2 = length2 != 0 ? static_cast<uint32_t>(length2) : n * stride;
  uint32_t present = n;
  if (bytes1 / stride < present) present = bytes1 / stride;
  if (bytes2 / stride < present) present = bytes2 / stride;
  const uint8_t* a = static_cast<const uint8_t*>(values1);
  const uint8_t* b = static_cast<const uint8_t*>(values2);
  const uint32_t k = FirstUnequal<T>(a, b, present, format);
  if (k == present) {
    if (present < n) status = KvCMP_INCOMPLETE;
    return 0;
  }
  const long result =
      Order(KvReadNumber<T>(a + k * stride, format), KvReadNumber<T>(b + k * stride, format));
  if (k + 1 < n && k + 1 >= present) status = KvCMP_INCOMPLETE;
  return result;
}

}  // namespace

long CharCompare(unsigned char format, unsigned long length1, void* values1,
                 unsigned long length2, void* values2, unsigned short, unsigned long count,
                 int& status) {
  return CompareNumbers<int8_t>(format, length1, values1, length2, values2, count, status);
}

long ByteCompare(unsigned char format, unsigned long length1, void* values1,
                 unsigned long length2, void* values2, unsigned short, unsigned long count,
                 int& status) {
  return CompareNumbers<uint8_t>(format, length1, values1, length2, values2, count, status);
}

long ShortCompare(unsigned char format, unsigned long length1, void* values1,
                  unsigned long length2, void* values2, unsigned short, unsigned long count,
                  int& status) {
  return CompareNumbers<int16_t>(format, length1, values1, length2, values2, count, status);
}

long WordCompare(unsigned char format, unsigned long length1, void* values1,
                 unsigned long length2, void* values2, unsigned short, unsigned long count,
                 int& status) {
  return CompareNumbers<uint16_t>(format, length1, values1, length2, values2, count, status);
}

long IntCompare(unsigned char format, unsigned long length1, void* values1,
                unsigned long length2, void* values2, unsigned short, unsigned long count,
                int& status) {
  return CompareNumbers<int32_t>(format, length1, values1, length2, values2, count, status);
}

long UnsignedCompare(unsigned char format, unsigned long length1, void* values1,
                     unsigned long length2, void* values2, unsigned short,
                     unsigned long count, int& status) {
  return CompareNumbers<uint32_t>(format, length1, values1, length2, values2, count, status);
}

long LongCompare(unsigned char format, unsigned long length1, void* values1,
                 unsigned long length2, void* values2, unsigned short, unsigned long count,
                 int& status) {
  return CompareNumbers<int32_t>(format, length1, values1, length2, values2, count, status);
}

long DwordCompare(unsigned char format, unsigned long length1, void* values1,
                  unsigned long length2, void* values2, unsigned short, unsigned long count,
                  int& status) {
  return CompareNumbers<uint32_t>(format, length1, values1, length2, values2, count, status);
}

long FloatCompare(unsigned char format, unsigned long length1, void* values1,
                  unsigned long length2, void* values2, unsigned short, unsigned long count,
                  int& status) {
  return CompareNumbers<float>(format, length1, values1, length2, values2, count, status);
}

long DoubleCompare(unsigned char format, unsigned long length1, void* values1,
                   unsigned long length2, void* values2, unsigned short, unsigned long count,
                   int& status) {
  return CompareNumbers<double>(format, length1, values1, length2, values2, count, status);
}

// ---- Strings ----

namespace {

// One operand of the string compare walk: where its next element starts,
// how many bytes are left (when the caller gave a length), and whether it
// has shown the plain (legacy) form, whose further elements are texts
// without a length field.
struct StringOperand {
  const uint8_t* p;
  uint32_t left;
  bool known;
  bool plain = false;
};

// Reads the next stored element of an operand; false when the buffer has
// no element left.
bool ReadElement(StringOperand& o, uint8_t format, bool secondFactory, KvStoredElement* e) {
  *e = KvStoredElement();
  if (o.plain) {
    // Further elements of a plain operand: zero-terminated 8-bit texts.
    if (o.known && o.left == 0) return false;
    const uint32_t bound = o.known ? o.left : 0xFFFF;
    const uint32_t n = static_cast<uint32_t>(strnlen(reinterpret_cast<const char*>(o.p), bound));
    e->plain = true;
    e->text = o.p;
    e->textBytes = n;
    e->available = n;
    e->cut = n == bound ? 2 : 0;
    e->stored = n + 1;
    return true;
  }
  if (o.known && o.left < 2) return false;
  e->length = KvStoredLength(o.p, format);
  const bool whole = !o.known || e->length + 2u <= o.left;
  const bool plain = (whole && e->length >= 1 && o.p[e->length + 1] == 0) ||
                     (secondFactory && o.known && o.left < e->length + 2u);
  if (plain) {
    // A legacy block: its texts follow the length, each with its zero
    // byte; this element is the first of them.
    o.plain = true;
    e->plain = true;
    e->text = o.p + 2;
    const uint32_t block = e->length >= 1 ? e->length - 1u : 0u;
    const uint32_t present = o.known && o.left - 2 < block ? o.left - 2 : block;
    const uint32_t n =
        static_cast<uint32_t>(strnlen(reinterpret_cast<const char*>(e->text), present));
    e->textBytes = n < present || whole ? n : block;
    e->available = n;
    e->cut = whole || n < present ? 0 : 2;
    e->stored = n + 3;
    return true;
  }
  if (o.known && o.left < 4) {
    // Not even the code set and language are there.
    e->cut = 2;
    e->text = o.p + o.left;
    e->stored = e->length + 2u;
    return true;
  }
  e->codeSet = o.p[2];
  e->language = o.p[3];
  e->text = o.p + 4;
  e->textBytes = e->length >= 4 ? e->length - 4u : 0u;
  e->available = o.known && o.left - 4 < e->textBytes ? o.left - 4 : e->textBytes;
  if (!whole) e->cut = e->length + 2u - o.left == 1 ? 1 : 2;
  e->stored = e->length + 2u;
  return true;
}

// A zero-terminated copy of an element's available text (two zero bytes
// close a text of either width), on the stack when it is small, so that
// the engine never reads past the caller's buffer.
struct ElementText {
  // Three zero bytes end the copy: a 16-bit text of an odd number of bytes
  // reads its last byte and the first zero as one more unit, as the key
  // walk does, and then still meets a whole zero unit.
  ElementText(const uint8_t* text, uint32_t bytes)
      : data(bytes + 3 <= sizeof local ? local : static_cast<char*>(KvMemAlloc(bytes + 3))),
        size(bytes + 2) {
    if (data == nullptr) return;
    if (bytes != 0) std::memcpy(data, text, bytes);
    data[bytes] = 0;
    data[bytes + 1] = 0;
    data[bytes + 2] = 0;
  }
  ~ElementText() {
    if (data != local) KvMemFree(data);
  }
  ElementText(const ElementText&) = delete;
  ElementText& operator=(const ElementText&) = delete;

  char local[256];
  char* data;
  uint32_t size;
};

// The units an index key of a text would hold (KvKeyWalk: its orders, in
// `unitFormat`), closed by a zero unit, on the stack while they are few.
// A key is compared with text through these, so that both count and cut
// in orders: an 'ß' is one character but two orders, and a key cut after
// n orders holds fewer than n characters of it.
struct KeyUnits {
  KeyUnits(const char* text, uint8_t codeSet, uint8_t language, uint8_t unitFormat, bool cut)
      : data(local), capacity(sizeof local) {
    KvKeyWalk walk(text, codeSet, language, unitFormat, cut);
    uint16_t unit;
    while (data != nullptr && walk.Next(&unit) && unit != 0) {
      if (bytes + 4 > capacity && !Grow()) break;
      KvStoreBits<uint16_t>(data + bytes, unit, unitFormat);
      bytes += 2;
    }
    if (data != nullptr) {
      data[bytes] = 0;
      data[bytes + 1] = 0;
    }
    keyClass = walk.ClassGet();
  }
  ~KeyUnits() {
    if (data != local) KvMemFree(data);
  }
  KeyUnits(const KeyUnits&) = delete;
  KeyUnits& operator=(const KeyUnits&) = delete;

  bool Grow() {
    uint8_t* more = static_cast<uint8_t*>(KvMemAlloc(capacity * 2));
    if (more == nullptr) {
      if (data != local) KvMemFree(data);
      data = nullptr;
      return false;
    }
    std::memcpy(more, data, bytes);
    if (data != local) KvMemFree(data);
    data = more;
    capacity *= 2;
    return true;
  }

  uint8_t local[512];
  uint8_t* data;
  uint32_t capacity;
  uint32_t bytes = 0;     // units held, without the closing one
  uint8_t keyClass = 0;   // the key's class byte: class, bit 0x80 when marked
};

// Whether an operator is one that KvCollateKeys decides in place: exact
// (no wildcards) and neither insensitive nor simple, or one that takes
// wildcards without the simple bit. These are the compares an index makes
// of its keys, and of its keys with a condition's key in a scan.
bool InPlaceOperator(unsigned short op) {
  return (op & ~(KvCMP_OP_SKIP_SPACES | KvCMP_OP_SKIP_SYMBOLS)) == KvCMP_OP_EXACT ||
         (op & (KvCMP_OP_EXACT | KvCMP_OP_SIMPLE)) == 0;
}

// The text of the first element of a buffer of `length` bytes (0: unknown)
// when it is a whole header-form element of code set 254 with at least one
// unit: what ReadElement would read, in a few loads and no copies. `key[3]`
// is its class byte. False for anything else.
inline bool KeyText(const uint8_t* key, uint32_t length, uint8_t format, uint32_t* bytes) {
  if (length != 0 && length < 6) return false;
  const uint32_t stored = KvStoredLength(key, format);
  if (stored < 6 || (length != 0 && stored + 2u > length) || key[stored + 1] == 0 ||
      key[2] != KvCS_ORDERS)
    return false;
  *bytes = stored - 4u;
  return true;
}

// The compare an index makes of two of its keys (one element each),
// read and decided in place: true with the result, whose status is 0; false
// where the general walk decides.
bool KeysInPlace(unsigned char format, unsigned long length1, const void* values1,
                 unsigned long length2, const void* values2, unsigned short op, long* result) {
  const uint8_t* key1 = static_cast<const uint8_t*>(values1);
  const uint8_t* key2 = static_cast<const uint8_t*>(values2);
  uint32_t bytes1, bytes2;
  if (!InPlaceOperator(op) || !KeyText(key1, static_cast<uint32_t>(length1), format, &bytes1) ||
      !KeyText(key2, static_cast<uint32_t>(length2), format, &bytes2))
    return false;
  const uint8_t cls = key1[3];
  if (cls != key2[3] || (cls & KvKEY_MARKED) != 0 || (bytes1 | bytes2) % 2 != 0) return false;
  return KvCollateKeys(key1 + 4, bytes1, key2 + 4, bytes2,
                       cls == KvCLASS_OUTSIDE_TABLES ? KvCLASS_OUTSIDE_TABLES : KvCLASS_TABLES, op,
                       format & 15, result);
}

}  // namespace

long KvCompareStrings(unsigned char format, unsigned long length1, void* values1,
                      unsigned long length2, void* values2, unsigned short op, unsigned long count,
                      int& status, bool secondFactory) {
  status = 0;
  const uint32_t n = static_cast<uint32_t>(count);
  if (n == 0) return 0;
  long result = 0;
  if (format == 8) {
    // Values in memory are never cut, but a length given may hold fewer
    // objects than count: an object is read only when it lies wholly within.
    const KvString* a = static_cast<const KvString*>(values1);
    const KvString* b = static_cast<const KvString*>(values2);
    const uint64_t held1 = length1 != 0 ? static_cast<uint32_t>(length1) / sizeof(KvString) : n;
    const uint64_t held2 = length2 != 0 ? static_cast<uint32_t>(length2) / sizeof(KvString) : n;
    for (uint32_t i = 0; i < n && result == 0; ++i) {
      if (i >= held1 || i >= held2) {
        status = KvCMP_INCOMPLETE;
        return i >= held1 && i >= held2 ? 0 : i >= held1 ? -1 : 1;
      }
      const KvCollateText t1{a[i].CodeSetGet(), a[i].LanguageGet(), a[i].StrGet(), a[i].SizeGet()};
      const KvCollateText t2{b[i].CodeSetGet(), b[i].LanguageGet(), b[i].StrGet(), b[i].SizeGet()};
      result = KvCollate(t1, t2, op, -1, 8, nullptr, nullptr);
    }
    return result;
  }
  StringOperand o1{static_cast<const uint8_t*>(values1), static_cast<uint32_t>(length1), length1 != 0};
  StringOperand o2{static_cast<const uint8_t*>(values2), static_cast<uint32_t>(length2), length2 != 0};
  for (uint32_t i = 0; i < n && result == 0 && status == 0; ++i) {
    KvStoredElement e1, e2;
    const bool has1 = ReadElement(o1, format, secondFactory, &e1);
    const bool has2 = ReadElement(o2, format, secondFactory, &e2);
    if (!has1 || !has2) {
      status = KvCMP_INCOMPLETE;
      return !has1 && !has2 ? 0 : !has1 ? -1 : 1;
    }
    for (const KvStoredElement* e : {&e1, &e2}) {
      if (e->available < e->textBytes && e->available > 253) {
        status = KvCMP_KEY_TOO_LONG;
        return -1;
      }
    }
    const ElementText c1(e1.text, e1.available);
    const ElementText c2(e2.text, e2.available);
    if (c1.data == nullptr || c2.data == nullptr) {
      status = KvCMP_INCOMPLETE;
      return 0;
    }
    const char* text1 = c1.data;
    const char* text2 = c2.data;
    uint32_t size1 = c1.size;
    uint32_t size2 = c2.size;
    // A key against text: the text becomes the units its own key would
    // hold (unlimited in length), and is cut where its element was cut.
    const bool keys1 = e1.codeSet == KvCS_ORDERS;
    const bool keys2 = e2.codeSet == KvCS_ORDERS;
    const KvStoredElement& textSide = keys1 ? e2 : e1;
    const ElementText& textCopy = keys1 ? c2 : c1;
    std::optional<KeyUnits> units;
    if (keys1 != keys2) {
      units.emplace(textCopy.data, textSide.codeSet, textSide.language, format & 15,
                    textSide.cut == 2);
      if (units->data == nullptr) {
        status = KvCMP_INCOMPLETE;
        return 0;
      }
      KvStoredElement& e = keys1 ? e2 : e1;
      e.codeSet = KvCS_ORDERS;
      e.language = units->keyClass;
      (keys1 ? text2 : text1) = reinterpret_cast<const char*>(units->data);
      (keys1 ? size2 : size1) = units->bytes + 2;
    }
    // A text is cut when its buffer ends before it does: only its last
    // byte missing (the end mark) leaves it whole. A marked key stands for
    // more text than it holds, so past its last unit it is cut as well.
    bool cut1 = e1.cut == 2;
    bool cut2 = e2.cut == 2;
    uint8_t language1 = e1.language;
    uint8_t language2 = e2.language;
    if (e1.codeSet == KvCS_ORDERS && (language1 & KvKEY_MARKED)) {
      language1 &= ~KvKEY_MARKED;
      cut1 = true;
    }
    if (e2.codeSet == KvCS_ORDERS && (language2 & KvKEY_MARKED)) {
      language2 &= ~KvKEY_MARKED;
      cut2 = true;
    }
    // The engine walks what is there and says when a cut text ran out
    // before anything decided. Then the whole values may order either way:
    // the result is 0 and open, never a sign they could contradict, so that
    // an index ordered by these compares orders as its values do.
    const KvCollateText t1{e1.codeSet, language1, text1, size1, cut1};
    const KvCollateText t2{e2.codeSet, language2, text2, size2, cut2};
    int level = KvLEVEL_EQUAL;
    result = KvCollate(t1, t2, op, -1, format & 15, nullptr, &level);
    if (level == KvLEVEL_UNDECIDED) {
      status = KvCMP_INCOMPLETE;
      result = 0;
    }
    // The next element, when there is one.
    o1.p += e1.stored;
    o2.p += e2.stored;
    if (i + 1 < n) {
      for (StringOperand* o : {&o1, &o2}) {
        const uint32_t used = o == &o1 ? e1.stored : e2.stored;
        if (!o->known) continue;
        o->left = o->left > used ? o->left - used : 0;
        // Too few bytes for a further element: a record needs a header,
        // a text of a legacy block at least its zero byte.
        if (o->left < (o->plain ? 1u : 5u) && result == 0) status = KvCMP_INCOMPLETE;
      }
    }
  }
  return result;
}

namespace {

// Both string rows: a pair of index keys in place, anything else by the walk.
inline long CompareStringRow(unsigned char format, unsigned long length1, void* values1,
                             unsigned long length2, void* values2, unsigned short op,
                             unsigned long count, int& status, bool secondFactory) {
  long result;
  if (count == 1 && format != 8 &&
      KeysInPlace(format, length1, values1, length2, values2, op, &result)) {
    status = 0;
    return result;
  }
  return KvCompareStrings(format, length1, values1, length2, values2, op, count, status,
                          secondFactory);
}

}  // namespace

long StringCompare(unsigned char format, unsigned long length1, void* values1,
                   unsigned long length2, void* values2, unsigned short op, unsigned long count,
                   int& status) {
  return CompareStringRow(format, length1, values1, length2, values2, op, count, status, false);
}

long LegacyStringCompare(unsigned char format, unsigned long length1, void* values1,
                         unsigned long length2, void* values2, unsigned short op,
                         unsigned long count, int& status) {
  return CompareStringRow(format, length1, values1, length2, values2, op, count, status, true);
}

// ---- KvIString and KvCaseIString ----
//
// An operand is count S objects (format 8) or one stored block of count
// texts. A stored text is read only within the length its caller gave (or
// its own block when none was given); a block that ends before its T says
// has its last text cut, and a comparison that the missing bytes could
// still turn ends KvCMP_INCOMPLETE.

namespace {

// A text of one element, as far as its buffer holds it.
struct InsensitiveText {
  const uint8_t* bytes;
  uint32_t length;  // bytes present, terminator excluded
  bool folded;      // the bytes are weights already
  bool cut;         // the text goes on beyond its buffer
  // Cut, but possibly only by its zero: a further text of the block
  // follows, so the text may end where its buffer does.
  bool mayEnd = false;
};

enum class WeightMode { kBytes, kPlain, kAccents };

// The weights of a text: its bytes (kBytes, and always for a folded text),
// the primary and second weights without accents (kPlain), or the accent
// sensitive weights of KvCaseIString (kAccents: an accent is added to the
// letter's weight, a character of two letters weighs just below its first).
template <typename S>
class Weights {
 public:
  Weights(const InsensitiveText& t, WeightMode mode)
      : p_(t.bytes), end_(t.bytes + t.length), mode_(t.folded ? WeightMode::kBytes : mode) {}

  bool Ended() const { return p_ == end_ && pending_ == 0; }
  // Whether the next weight begins a character.
  bool AtCharacter() const { return pending_ == 0; }

  // Never called once Ended().
  uint8_t Next() {
    if (pending_ != 0) {
      const uint8_t w = pending_;
      pending_ = 0;
      return w;
    }
    const uint8_t c = *p_++;
    if (mode_ == WeightMode::kBytes) return c;
    uint8_t s;
    const uint8_t w = S::Fold(c, s);
    if (mode_ == WeightMode::kAccents) return static_cast<uint8_t>(s > 8 ? w - 1 : w + s);
    if (s > 8) pending_ = s;
    return w;
  }

  void SkipCharacter() {
    Next();
    while (!AtCharacter()) Next();
  }

 private:
  const uint8_t* p_;
  const uint8_t* end_;
  WeightMode mode_;
  uint8_t pending_ = 0;
};

// The order of two weight sequences. Every weight of a character is above
// 0, so a cut text that runs out sorts after a text that has ended there
// (unless it may end there too); against a text that goes on, it leaves
// the order open.
struct WeightOrder {
  long result;
  bool open1;  // text 1 ran out while cut
  bool open2;
};

template <typename S>
WeightOrder CompareFoldedTexts(const InsensitiveText& t1, const InsensitiveText& t2,
                               WeightMode mode) {
  Weights<S> a(t1, mode);
  Weights<S> b(t2, mode);
  for (;;) {
    const bool end1 = a.Ended();
    const bool end2 = b.Ended();
    const bool open1 = end1 && t1.cut;
    const bool open2 = end2 && t2.cut;
    if (open1 || open2) {
      if (open1 && end2 && !t2.cut && !t1.mayEnd) return {1, false, false};
      if (open2 && end1 && !t1.cut && !t2.mayEnd) return {-1, false, false};
      return {0, open1, open2};
    }
    const uint8_t w1 = end1 ? 0 : a.Next();
    const uint8_t w2 = end2 ? 0 : b.Next();
    if (w1 != w2) return {static_cast<long>(w1) - static_cast<long>(w2), false, false};
    if (w1 == 0) return {0, false, false};
  }
}

// The three pattern characters, as text or as weights in a folded pattern.
template <typename S>
struct PatternMarks {
  uint8_t star, question, escape, newline, carriageReturn, tab;

  explicit PatternMarks(bool folded) {
    star = Weigh('*', folded);
    question = Weigh('?', folded);
    escape = Weigh('\\', folded);
    newline = Weigh('n', folded);
    carriageReturn = Weigh('r', folded);
    tab = Weigh('t', folded);
  }

  static uint8_t Weigh(char c, bool folded) {
    uint8_t s;
    return folded ? S::Fold(static_cast<uint8_t>(c), s) : static_cast<uint8_t>(c);
  }
};

// Whether the pattern ends in a backslash that escapes nothing.
template <typename S>
bool EndsInEscape(const InsensitiveText& pattern) {
  const PatternMarks<S> marks(pattern.folded);
  for (uint32_t i = 0; i < pattern.length; ++i) {
    if (pattern.bytes[i] != marks.escape) continue;
    if (i + 1 == pattern.length) return true;
    ++i;
  }
  return false;
}

// Reads a pattern as stars, question marks and the weights of literal
// characters. The pattern must not end in a lone backslash.
template <typename S>
class PatternReader {
 public:
  explicit PatternReader(const InsensitiveText& t)
      : p_(t.bytes), end_(t.bytes + t.length), folded_(t.folded), marks_(t.folded) {}

  bool Ended() const { return p_ == end_ && pending_ == 0; }
  bool AtStar() const { return pending_ == 0 && p_ != end_ && *p_ == marks_.star; }
  void SkipStar() { ++p_; }

  // The next element after no star: true for a question mark, else false
  // with `weight` set.
  bool Next(uint8_t* weight) {
    if (pending_ != 0) {
      *weight = pending_;
      pending_ = 0;
      return false;
    }
    uint8_t c = *p_++;
    if (c == marks_.question) return true;
    bool escaped = false;
    if (c == marks_.escape) {
      c = *p_++;
      escaped = true;
    }
    if (folded_) {
      *weight = escaped ? Escaped(c) : c;
      return false;
    }
    if (escaped) c = Escaped(c);
    uint8_t s;
    *weight = S::Fold(c, s);
    if (s > 8) pending_ = s;
    return false;
  }

 private:
  // \n, \r and \t stand for control characters, which weigh as themselves.
  uint8_t Escaped(uint8_t c) const {
    if (c == marks_.newline) return '\n';
    if (c == marks_.carriageReturn) return '\r';
    if (c == marks_.tab) return '\t';
    return c;
  }

  const uint8_t* p_;
  const uint8_t* end_;
  bool folded_;
  PatternMarks<S> marks_;
  uint8_t pending_ = 0;
};

enum class Match { kNo, kYes, kOpen };

// Matches a text against a pattern weight by weight: a star takes any run,
// a question mark one character. One star is remembered for backtracking
// (the last one seen), which is enough when only stars take runs. A cut
// text that runs out could still match: kOpen.
template <typename S>
Match MatchPattern(const InsensitiveText& text, const InsensitiveText& pattern) {
  if (EndsInEscape<S>(pattern)) return Match::kNo;
  Weights<S> t(text, WeightMode::kPlain);
  PatternReader<S> p(pattern);
  bool star = false;
  Weights<S> starText = t;
  PatternReader<S> starPattern = p;
  for (;;) {
    if (p.AtStar()) {
      p.SkipStar();
      star = true;
      starText = t;
      starPattern = p;
      continue;
    }
    if (t.Ended()) {
      if (text.cut) return Match::kOpen;
      while (p.AtStar()) p.SkipStar();
      return p.Ended() ? Match::kYes : Match::kNo;
    }
    if (!p.Ended()) {
      uint8_t w = 0;
      if (p.Next(&w)) {
        t.SkipCharacter();
        continue;
      }
      if (t.Next() == w) continue;
    }
    if (!star) return Match::kNo;
    // The star takes one more weight; the text after it is tried again.
    starText.Next();
    t = starText;
    p = starPattern;
  }
}

template <typename S>
bool OnlyStars(const InsensitiveText& pattern) {
  const PatternMarks<S> marks(pattern.folded);
  for (uint32_t i = 0; i < pattern.length; ++i)
    if (pattern.bytes[i] != marks.star) return false;
  return true;
}

// Compares one pair of elements.
//
// Values order as their index keys do, or a query on an index would miss
// values that the compare function puts on the queried side: keys hold
// the weights without accents, so those decide first. KvCaseIString lets
// the accents decide only between texts whose weights are equal to the
// end ("e" < "é" < "ez"), so that values still differ by their accents.
template <typename S>
long CompareTexts(const InsensitiveText& a, const InsensitiveText& b, unsigned short op,
                  int& status) {
  constexpr bool kCase = std::is_same_v<S, KvCaseIString>;
  const bool patterns = (op & (KvCMP_OP_EXACT | KvCMP_OP_SIMPLE)) == 0;
  // A key has lost its accents and its text bytes, so it is compared with
  // text by plain weights, and the result is never final: the text may
  // differ where the key cannot tell.
  const bool mixed = a.folded != b.folded;
  const bool accents = kCase && !a.folded && !b.folded;

  // Whether a ends exactly where the first n bytes of b do, by plain
  // weights: a text that a pattern still matches when only stars follow.
  auto endsWith = [&](uint32_t n) {
    InsensitiveText head = b;
    head.length = n;
    head.cut = false;
    return CompareFoldedTexts<S>(a, head, WeightMode::kPlain).result == 0;
  };

  const int32_t first = patterns ? KvFirstPatternChar<S>(b.bytes, b.length, b.folded) : -1;
  if (first < 0) {
    WeightOrder order = CompareFoldedTexts<S>(a, b, WeightMode::kPlain);
    // A cut text whose weights are equal so far is still open: a weight
    // beyond its buffer outranks every accent before it.
    if (accents && order.result == 0 && !order.open1 && !order.open2)
      order = CompareFoldedTexts<S>(a, b, WeightMode::kAccents);
    // So is a cut operand 2 that a ends with: a star may follow the cut.
    if (order.open1 || order.open2 || mixed || (patterns && b.cut && endsWith(b.length))) {
      status = KvCMP_INCOMPLETE;
      return order.result;
    }
    if (order.result != 0 || !patterns || a.folded) return order.result;
    // Equal weights: the bytes decide ("e" before "é"), so that only equal
    // texts compare equal.
    return CompareFoldedTexts<S>(a, b, WeightMode::kBytes).result;
  }

  // Operand 2 is a pattern.
  if (!b.cut && OnlyStars<S>(b)) return 0;
  if (a.folded && !kCase) {
    status = KvCMP_INCOMPLETE;
    return 0;
  }
  // The text before the first pattern character, as a cut text: its end
  // says nothing of what follows. Matching ignores accents, so only the
  // plain weights tell a text that cannot match.
  InsensitiveText prefix = b;
  prefix.length = static_cast<uint32_t>(first);
  prefix.cut = true;
  prefix.mayEnd = false;
  const WeightOrder before = CompareFoldedTexts<S>(a, prefix, WeightMode::kPlain);
  if (b.cut) {
    // A pattern cut short can only tell texts apart before its first
    // pattern character; a text that ends right there still matches when
    // only stars follow it.
    if (before.result == 0 || endsWith(prefix.length)) status = KvCMP_INCOMPLETE;
    return before.result;
  }
  long result = 0;
  switch (MatchPattern<S>(a, b)) {
    case Match::kYes:
      break;
    case Match::kOpen:
      status = KvCMP_INCOMPLETE;
      return 0;
    case Match::kNo:
      // Texts that do not match order by that first part (its accents
      // only where its weights are equal), and after the texts that begin
      // with it.
      if (before.open1) {
        status = KvCMP_INCOMPLETE;
        return 0;
      }
      result = before.result;
      if (result == 0 && accents)
        result = CompareFoldedTexts<S>(a, prefix, WeightMode::kAccents).result;
      if (result == 0) result = 1;
      break;
  }
  if (a.folded) status = KvCMP_INCOMPLETE;
  return result;
}

// One operand of a compare call: count objects in memory form, or the
// texts of one stored block.
template <typename S>
class InsensitiveOperand {
 public:
  InsensitiveOperand(unsigned char format, unsigned long length, const void* values,
                     uint32_t count)
      : base_(static_cast<const uint8_t*>(values)), memory_(format == 8) {
    const uint32_t given = static_cast<uint32_t>(length);
    if (memory_) {
      const uint64_t whole = uint64_t{count} * sizeof(S);
      bytes_ = given != 0 ? given : whole;
      return;
    }
    // Without its header a block has no text at all.
    if (given != 0 && given < 3) {
      bytes_ = 0;
      return;
    }
    folded_ = (base_[0] & KvISTR_FOLDED) != 0;
    bytes_ = KvInsensitiveBlockBytes(base_, format, given);
    const uint64_t whole = uint64_t{KvInsensitiveLength(base_, format)} + 3;
    cut_ = bytes_ < whole;
    // A buffer that lacks only the block's last byte holds every text
    // whole: the missing byte is the zero that ends the last one.
    endsBeforeLastZero_ = bytes_ + 1 == whole;
    at_ = 3;
  }

  // The current element, the block's last when `last`; false when the
  // buffer does not hold it.
  bool Element(InsensitiveText* t, bool last) const {
    t->mayEnd = false;
    if (memory_) {
      if (at_ + sizeof(S) > bytes_) return false;
      const S& value = *reinterpret_cast<const S*>(base_ + at_);
      t->bytes = reinterpret_cast<const uint8_t*>(value.StrGet());
      t->length = value.Len();
      t->folded = (value.AttributesGet() & KvISTR_FOLDED) != 0;
      t->cut = false;
      return true;
    }
    if (at_ >= bytes_) return false;
    const uint8_t* p = base_ + at_;
    const uint64_t left = bytes_ - at_;
    const void* zero = std::memchr(p, 0, left);
    t->bytes = p;
    t->folded = folded_;
    if (zero == nullptr) {
      t->length = static_cast<uint32_t>(left);
      t->cut = !endsBeforeLastZero_;
      t->mayEnd = t->cut && !last;
    } else {
      t->length = static_cast<uint32_t>(static_cast<const uint8_t*>(zero) - p);
      // A key cut to its buffer still ends in a zero, in its last byte;
      // in a plain block a zero always ends a text. In a folded block of
      // further texts that zero may as well end this one whole.
      t->cut = cut_ && folded_ && t->length + 1 == left;
      t->mayEnd = t->cut && !last;
    }
    return true;
  }

  // Moves past the current element, which Element() returned.
  void Step() {
    if (memory_) {
      at_ += sizeof(S);
      return;
    }
    const uint64_t left = bytes_ - at_;
    const void* zero = std::memchr(base_ + at_, 0, left);
    at_ = zero != nullptr ? static_cast<const uint8_t*>(zero) - base_ + 1 : bytes_;
  }

 private:
  const uint8_t* base_;
  bool memory_;
  bool folded_ = false;
  bool cut_ = false;
  bool endsBeforeLastZero_ = false;
  uint64_t bytes_ = 0;
  uint64_t at_ = 0;
};

template <typename S>
long CompareInsensitive(unsigned char format, unsigned long length1, void* values1,
                        unsigned long length2, void* values2, unsigned short op,
                        unsigned long count, int& status) {
  status = 0;
  const uint32_t n = static_cast<uint32_t>(count);
  if (n == 0) return 0;
  InsensitiveOperand<S> a(format, length1, values1, n);
  InsensitiveOperand<S> b(format, length2, values2, n);
  for (uint32_t i = 0;;) {
    InsensitiveText t1, t2;
    // The first element is missing only when a buffer lacks even that; a
    // further one is missing when the buffers end after the ones compared.
    if (!a.Element(&t1, i + 1 == n) || !b.Element(&t2, i + 1 == n)) {
      status = KvCMP_INCOMPLETE;
      return 0;
    }
    // A key holds at most 253 bytes of text.
    if (t2.cut && t2.length > 253) {
      status = KvCMP_KEY_TOO_LONG;
      return -1;
    }
    const long result = CompareTexts<S>(t1, t2, op, status);
    if (result != 0 || status != 0 || ++i == n) return result;
    a.Step();
    b.Step();
  }
}

}  // namespace

template <typename S>
int32_t KvFirstPatternChar(const uint8_t* pattern, uint32_t n, bool folded) {
  const PatternMarks<S> marks(folded);
  for (uint32_t i = 0; i < n; ++i) {
    const uint8_t c = pattern[i];
    if (c == marks.star || c == marks.question || c == marks.escape)
      return static_cast<int32_t>(i);
  }
  return -1;
}

template int32_t KvFirstPatternChar<KvIString>(const uint8_t*, uint32_t, bool);
template int32_t KvFirstPatternChar<KvCaseIString>(const uint8_t*, uint32_t, bool);

long KvIStringCompare(unsigned char format, unsigned long length1, void* values1,
                      unsigned long length2, void* values2, unsigned short op,
                      unsigned long count, int& status) {
  return CompareInsensitive<KvIString>(format, length1, values1, length2, values2, op, count,
                                       status);
}

long KvCaseIStringCompare(unsigned char format, unsigned long length1, void* values1,
                          unsigned long length2, void* values2, unsigned short op,
                          unsigned long count, int& status) {
  return CompareInsensitive<KvCaseIString>(format, length1, values1, length2, values2, op,
                                           count, status);
}

// ---- Date and time ----

namespace {

// The order of one pair of elements, each wholly within its buffer.
typedef long (*ElementOrder)(const uint8_t* a, const uint8_t* b, uint8_t format,
                             unsigned short op);

// The element walk of the fixed-size elements here (dates and times,
// KvInt64, bool, the identifiers, blobs in memory), with the step rule of the
// numbers' walk: after each element, a further one is compared only when
// it lies wholly within both buffers, and otherwise the walk stops with
// KvCMP_INCOMPLETE, also when the element just compared decided.
long CompareElements(unsigned char format, unsigned long length1, void* values1,
                     unsigned long length2, void* values2, unsigned short op,
                     unsigned long count, int& status, uint32_t stride, ElementOrder order) {
  const uint32_t n = static_cast<uint32_t>(count);
  status = 0;
  if (n == 0) return 0;
  const uint32_t bytes1 = length1 != 0 ? static_cast<uint32_t>(length1) : n * stride;
  const uint32_t bytes2 = length2 != 0 ? static_cast<uint32_t>(length2) : n * stride;
  uint32_t present = n;
  if (bytes1 / stride < present) present = bytes1 / stride;
  if (bytes2 / stride < present) present = bytes2 / stride;
  const uint8_t* a = static_cast<const uint8_t*>(values1);
  const uint8_t* b = static_cast<const uint8_t*>(values2);
  long result = 0;
  uint32_t compared = 0;
  while (compared < present && result == 0) {
    const size_t at = static_cast<size_t>(compared) * stride;
    result = order(a + at, b + at, format, op);
    ++compared;
  }
  if (compared < n && compared >= present) status = KvCMP_INCOMPLETE;
  return result;
}

template <typename T>
long Order3(T a, T b) {
  return a < b ? -1 : a > b ? 1 : 0;
}

long SignedBytes(const uint8_t* a, const uint8_t* b, uint32_t n) {
  for (uint32_t i = 0; i < n; ++i) {
    const long r = Order3(static_cast<int8_t>(a[i]), static_cast<int8_t>(b[i]));
    if (r != 0) return r;
  }
  return 0;
}

// A stored date: the year in the format's byte order (signed for KvDate,
// unsigned for d_Date), then month and day as signed bytes, with the
// wildcards of operand 2 unless the operator asks for exact values.
template <typename Year>
long StoredDateOrder(const uint8_t* a, const uint8_t* b, uint8_t format, unsigned short op) {
  const bool wildcards = (op & KvCMP_EXACT) == 0;
  const long years = Order3(KvReadNumber<Year>(a, format), KvReadNumber<Year>(b, format));
  // -1 has every bit set, so the wildcard year reads the same in both
  // byte orders.
  const bool anyYear = b[0] == 0xFF && b[1] == 0xFF;
  if (years != 0 && !(wildcards && anyYear)) return years;
  const long months = Order3(static_cast<int8_t>(a[2]), static_cast<int8_t>(b[2]));
  const long days = Order3(static_cast<int8_t>(a[3]), static_cast<int8_t>(b[3]));
  if (wildcards && b[2] == 0xFF) return b[3] == 0xFF ? 0 : days;
  if (wildcards && b[3] == 0xFF) return months;
  return months != 0 ? months : days;
}

long StoredTimeOrder(const uint8_t* a, const uint8_t* b, uint8_t, unsigned short) {
  for (uint32_t i = 0; i < 3; ++i) {
    const long r = Order3(a[i], b[i]);
    if (r != 0) return r;
  }
  return 0;
}

long StoredDateTimeOrder(const uint8_t* a, const uint8_t* b, uint8_t format, unsigned short) {
  const long years = Order3(KvReadNumber<int16_t>(a, format), KvReadNumber<int16_t>(b, format));
  return years != 0 ? years : SignedBytes(a + 2, b + 2, 5);
}

long StoredODMGTimeOrder(const uint8_t* a, const uint8_t* b, uint8_t, unsigned short) {
  return SignedBytes(a, b, 6);
}

long StoredTimestampOrder(const uint8_t* a, const uint8_t* b, uint8_t format,
                          unsigned short op) {
  const long dates = StoredDateOrder<uint16_t>(a, b, format, op);
  return dates != 0 ? dates : SignedBytes(a + 4, b + 4, 6);
}

// Memory forms: the value class's own comparison.
template <typename T>
long MemoryOrder(const uint8_t* a, const uint8_t* b, uint8_t, unsigned short) {
  return *reinterpret_cast<const T*>(a) != *reinterpret_cast<const T*>(b);
}

// A row of values of class T: in memory by the class's own comparison,
// stored `kStoredSize` bytes apart by `kStored`; both take the common walk.
template <typename T, uint32_t kStoredSize, ElementOrder kStored>
long CompareFixed(unsigned char format, unsigned long length1, void* values1,
                  unsigned long length2, void* values2, unsigned short op, unsigned long count,
                  int& status) {
  if (format == 8)
    return CompareElements(format, length1, values1, length2, values2, op, count, status,
                           sizeof(T), MemoryOrder<T>);
  return CompareElements(format, length1, values1, length2, values2, op, count, status,
                         kStoredSize, kStored);
}

}  // namespace

long DateCompare(unsigned char format, unsigned long length1, void* values1,
                 unsigned long length2, void* values2, unsigned short op, unsigned long count,
                 int& status) {
  return CompareFixed<KvDate, 4, StoredDateOrder<int16_t>>(
      format, length1, values1, length2, values2, op, count, status);
}

long TimeCompare(unsigned char format, unsigned long length1, void* values1,
                 unsigned long length2, void* values2, unsigned short op, unsigned long count,
                 int& status) {
  return CompareFixed<KvTime, 3, StoredTimeOrder>(
      format, length1, values1, length2, values2, op, count, status);
}

long DaTimeCompare(unsigned char format, unsigned long length1, void* values1,
                   unsigned long length2, void* values2, unsigned short op,
                   unsigned long count, int& status) {
  return CompareFixed<KvDateTime, 7, StoredDateTimeOrder>(
      format, length1, values1, length2, values2, op, count, status);
}

long d_DateCompare(unsigned char format, unsigned long length1, void* values1,
                   unsigned long length2, void* values2, unsigned short op,
                   unsigned long count, int& status) {
  return CompareFixed<d_Date, 4, StoredDateOrder<uint16_t>>(
      format, length1, values1, length2, values2, op, count, status);
}

long d_TimeCompare(unsigned char format, unsigned long length1, void* values1,
                   unsigned long length2, void* values2, unsigned short op,
                   unsigned long count, int& status) {
  return CompareFixed<d_Time, 6, StoredODMGTimeOrder>(
      format, length1, values1, length2, values2, op, count, status);
}

long d_TimestampCompare(unsigned char format, unsigned long length1, void* values1,
                        unsigned long length2, void* values2, unsigned short op,
                        unsigned long count, int& status) {
  return CompareFixed<d_Timestamp, 10, StoredTimestampOrder>(
      format, length1, values1, length2, values2, op, count, status);
}

// ---- KvInt64 ----

namespace {

long Int64Order(const uint8_t* a, const uint8_t* b, uint8_t format, unsigned short) {
  const KvInt64 x = KvReadInt64(a, format);
  const KvInt64 y = KvReadInt64(b, format);
  if (x < y) return -1;
  return x > y ? 1 : 0;
}

}  // namespace

long Int64Compare(unsigned char format, unsigned long length1, void* values1,
                  unsigned long length2, void* values2, unsigned short op, unsigned long count,
                  int& status) {
  return CompareElements(format, length1, values1, length2, values2, op, count, status,
                         sizeof(KvInt64), Int64Order);
}

// ---- Identity types ----
//
// A stored identity is ordered by the bytes that make it up, read as one
// little-endian number from its highest byte down, whatever the format's
// byte order: that is the order the indexes of stored databases hold. In
// the most-significant-first form this is not the numeric order, but equal
// values still compare equal and the order is total. The walk is the
// common one: an element is read only when it lies wholly within its
// buffer, and the first byte compared is an element's last, so a cut
// element can decide nothing.

namespace {

// Identity bytes of one stored element, most significant first.
constexpr uint8_t kObjIdBytes[] = {9, 8, 7, 6, 5, 4};
constexpr uint8_t kClassIdBytes[] = {1, 0, 3, 2};
constexpr uint8_t kRefBytes[] = {11, 10, 9, 8, 7, 6, 5, 4};

template <const auto& kBytes>
long StoredIdentityOrder(const uint8_t* a, const uint8_t* b, uint8_t, unsigned short) {
  for (const uint8_t i : kBytes) {
    const long d = static_cast<long>(a[i]) - static_cast<long>(b[i]);
    if (d != 0) return d;
  }
  return 0;
}

}  // namespace

long KvObjId::Compare(unsigned char format, unsigned long length1, void* values1,
                      unsigned long length2, void* values2, unsigned short op,
                      unsigned long count, int& status) {
  return CompareFixed<KvObjId, KvObjId::kStoredSize, StoredIdentityOrder<kObjIdBytes>>(
      format, length1, values1, length2, values2, op, count, status);
}

long KvClassId::Compare(unsigned char format, unsigned long length1, void* values1,
                        unsigned long length2, void* values2, unsigned short op,
                        unsigned long count, int& status) {
  return CompareFixed<KvClassId, KvClassId::kStoredSize, StoredIdentityOrder<kClassIdBytes>>(
      format, length1, values1, length2, values2, op, count, status);
}

long KvRef::Compare(unsigned char format, unsigned long length1, void* values1,
                    unsigned long length2, void* values2, unsigned short op,
                    unsigned long count, int& status) {
  return CompareFixed<KvRef, KvRef::kStoredSize, StoredIdentityOrder<kRefBytes>>(
      format, length1, values1, length2, values2, op, count, status);
}

// ---- KvBoolean and KvBlob ----

namespace {

// One byte in every format; the byte as loaded is the value.
long BooleanOrder(const uint8_t* a, const uint8_t* b, uint8_t, unsigned short) {
  KvBoolean x, y;
  std::memcpy(&x, a, 1);
  std::memcpy(&y, b, 1);
  if (x < y) return -1;
  if (x > y) return 1;
  return 0;
}

// A stored blob block as far as its buffer holds it.
struct StoredBlobs {
  const uint8_t* base;
  uint64_t bytes;  // bytes that may be read at base
  uint64_t at;     // the current element's length field

  // The current element: its claimed length and the data bytes present.
  // False when its length field lies beyond the buffer.
  bool Element(uint8_t format, uint64_t* claimed, uint64_t* present) const {
    if (at + 4 > bytes) return false;
    const int32_t length = KvReadNumber<int32_t>(base + at, format);
    *claimed = length > 0 ? static_cast<uint64_t>(length) : 0;
    const uint64_t left = bytes - at - 4;
    *present = *claimed < left ? *claimed : left;
    return true;
  }
};

StoredBlobs StoredBlobsAt(const void* values, unsigned long length, uint8_t format) {
  StoredBlobs s{static_cast<const uint8_t*>(values), static_cast<uint32_t>(length), 4};
  // Without a length the block's total says how far it reaches.
  if (s.bytes == 0) s.bytes = uint64_t{KvLoadBits<uint32_t>(s.base, format)} + 4;
  return s;
}

// A stored block's elements pair by pair. A difference within the bytes
// both buffers hold decides for good; where the bytes given end before
// anything decides (a length field or data the comparison still needs
// lie beyond a buffer), the result is 0 with KvCMP_INCOMPLETE.
long CompareStoredBlobs(unsigned char format, unsigned long length1, void* values1,
                        unsigned long length2, void* values2, uint32_t count, int& status) {
  StoredBlobs a = StoredBlobsAt(values1, length1, format);
  StoredBlobs b = StoredBlobsAt(values2, length2, format);
  for (uint32_t i = 0; i < count; ++i) {
    uint64_t claimedA, presentA, claimedB, presentB;
    if (!a.Element(format, &claimedA, &presentA) || !b.Element(format, &claimedB, &presentB)) {
      status = KvCMP_INCOMPLETE;
      return 0;
    }
    const uint64_t common = claimedA < claimedB ? claimedA : claimedB;
    uint64_t held = common;
    if (presentA < held) held = presentA;
    if (presentB < held) held = presentB;
    if (held != 0) {
      const int r = std::memcmp(a.base + a.at + 4, b.base + b.at + 4, static_cast<size_t>(held));
      if (r != 0) return r < 0 ? -1 : 1;
    }
    if (held < common) {
      status = KvCMP_INCOMPLETE;
      return 0;
    }
    if (claimedA != claimedB) return claimedA < claimedB ? -1 : 1;
    a.at += 4 + claimedA;
    b.at += 4 + claimedB;
  }
  return 0;
}

long BlobObjectOrder(const uint8_t* a, const uint8_t* b, uint8_t, unsigned short) {
  const long r = *reinterpret_cast<const KvBlob*>(a) != *reinterpret_cast<const KvBlob*>(b);
  return r < 0 ? -1 : r > 0 ? 1 : 0;
}

}  // namespace

long BooleanCompare(unsigned char format, unsigned long length1, void* values1,
                    unsigned long length2, void* values2, unsigned short op,
                    unsigned long count, int& status) {
  return CompareElements(format, length1, values1, length2, values2, op, count, status, 1,
                         BooleanOrder);
}

long BlobCompare(unsigned char format, unsigned long length1, void* values1,
                 unsigned long length2, void* values2, unsigned short, unsigned long count,
                 int& status) {
  if (format == 8)
    return CompareElements(format, length1, values1, length2, values2, 0, count, status,
                           sizeof(KvBlob), BlobObjectOrder);
  status = 0;
  const uint32_t n = static_cast<uint32_t>(count);
  if (n == 0) return 0;
  return CompareStoredBlobs(format, length1, values1, length2, values2, n, status);
}
