// kvtypevl.cpp — index evaluation: bounds, coverage and the number evaluators.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "kvcollate.h"
#include "kvevaluate.h"
#include "kvint64_rows.h"
#include "kvistring_rows.h"
#include "kvkey.h"
#include "kvnumber.h"
#include "kvplatform/kvassert.h"
#include "kvplatform/kvi18n.h"
#include "kvplatform/kvmemory.h"
#include "kvstored.h"
#include "kvtable.h"
#include "kvtm/kvchar.h"
#include "kvtm/kvdate.h"
#include "kvtm/kvobjid.h"
#include "kvtm/kvtypcmp.h"

namespace {

uint8_t* CopyKey(const void* value, uint32_t size) {
  uint8_t* key = static_cast<uint8_t*>(KvMemAlloc(size));
  if (key != nullptr && size != 0) std::memcpy(key, value, size);
  return key;
}

// A number's place on the line the estimates measure. A NaN orders below
// every other value in the compare functions, so it stands at -infinity.
template <typename T>
double NumberPosition(const void* p, uint8_t format) {
  const double v = static_cast<double>(KvReadNumber<T>(p, format));
  return v != v ? -HUGE_VAL : v;
}

}  // namespace

void KvSetBounds(KvIdxBounds* bounds, unsigned short relation, const void* value, uint32_t size) {
  if (bounds == nullptr) return;
  if (bounds->low == nullptr && (relation & KvREL_LESS) == 0) {
    bounds->low = CopyKey(value, size);
    if (bounds->low != nullptr) bounds->lowLength = static_cast<uint8_t>(size);
  }
  if (bounds->high == nullptr && (relation & KvREL_GREATER) == 0) {
    bounds->high = CopyKey(value, size);
    if (bounds->high != nullptr) bounds->highLength = static_cast<uint8_t>(size);
  }
}

double KvCoverage(unsigned short relation, double a, double b, double lo, double hi,
                  double step) {
  double covered = 0.0;
  if (relation & KvREL_GREATER) {
    const double t = b >= lo ? b : lo - step;
    if (hi - t > 0) covered += hi - t;
  }
  if (relation & KvREL_LESS) {
    const double t = a <= hi ? a : hi + step;
    if (t - lo > 0) covered += t - lo;
  }
  if (relation & KvREL_EQUAL) {
    const double width = std::min(b, hi) + step - std::max(a, lo);
    if (width > 0) covered += width;
  }
  return covered;
}

template <typename T>
float KvEvalNumber(KvIdxBounds* range, unsigned short& relation, void* value, uint8_t format,
                   uint32_t count, KvIdxBounds* bounds) {
  float estimate = 0.0f;
  if (range != nullptr && range->low != nullptr && range->high != nullptr) {
    const double v = NumberPosition<T>(value, format);
    const double lo = NumberPosition<T>(range->low, format);
    const double hi = NumberPosition<T>(range->high, format);
    // A reversed range (hi below lo) or one of infinite or NaN keys has no
    // width to share out: it says nothing, as no range does.
    const double width = hi - lo + 1.0;
    const double share = width > 0 ? KvCoverage(relation, v, v, lo, hi, 1.0) / width : 0.0;
    if (share > 0) estimate = share < 1 ? static_cast<float>(share) : 1.0f;
  }
  KvSetBounds(bounds, relation, value, count * static_cast<uint32_t>(sizeof(T)));
  return estimate;
}

template float KvEvalNumber<int8_t>(KvIdxBounds*, unsigned short&, void*, uint8_t, uint32_t,
                                    KvIdxBounds*);
template float KvEvalNumber<uint8_t>(KvIdxBounds*, unsigned short&, void*, uint8_t, uint32_t,
                                     KvIdxBounds*);
template float KvEvalNumber<int16_t>(KvIdxBounds*, unsigned short&, void*, uint8_t, uint32_t,
                                     KvIdxBounds*);
template float KvEvalNumber<uint16_t>(KvIdxBounds*, unsigned short&, void*, uint8_t, uint32_t,
                                      KvIdxBounds*);
template float KvEvalNumber<int32_t>(KvIdxBounds*, unsigned short&, void*, uint8_t, uint32_t,
                                     KvIdxBounds*);
template float KvEvalNumber<uint32_t>(KvIdxBounds*, unsigned short&, void*, uint8_t, uint32_t,
                                      KvIdxBounds*);
template float KvEvalNumber<float>(KvIdxBounds*, unsigned short&, void*, uint8_t, uint32_t,
                                   KvIdxBounds*);
template float KvEvalNumber<double>(KvIdxBounds*, unsigned short&, void*, uint8_t, uint32_t,
                                    KvIdxBounds*);

// ---- Strings ----

namespace {

constexpr uint16_t kLetterBit = 0x4000;
constexpr uint16_t kCaseMask = 0x3000;
constexpr uint16_t kAccentMask = 0x0F80;
constexpr uint16_t kLastIgnorableOrder = 0x3EFF;  // spaces and symbols

bool IsLetterOrder(uint16_t order) { return (order & 0xC000) == kLetterBit; }

// A stored string element read for evaluation: its text copied and closed
// with a zero unit, so that nothing is read past the element and nothing
// is written into the caller's buffer.
struct EvalText {
  uint8_t codeSet = 0;
  uint8_t language = 0;
  std::vector<char> text;     // units, then a zero unit
  uint32_t characters = 0;    // characters present
  bool whole = true;          // the element ends in the buffer

  void Set(const uint8_t* units, uint32_t bytes) {
    text.assign(reinterpret_cast<const char*>(units), reinterpret_cast<const char*>(units) + bytes);
    text.push_back(0);
    text.push_back(0);
    characters = KvCodeSetIsWide(codeSet) ? bytes / 2 : bytes;
  }
};

// The value of a condition: a whole stored element (no length is given
// for it). The plain form of the second table has no code set or language.
EvalText ReadValue(const uint8_t* p, uint8_t format, bool plain) {
  EvalText t;
  const uint16_t length = KvStoredLength(p, format);
  if (plain) {
    t.Set(p + 2, length >= 1 ? length - 1u : 0u);
  } else {
    t.codeSet = p[2];
    t.language = p[3];
    t.Set(p + 4, length >= 4 ? length - 4u : 0u);
  }
  return t;
}

// A range key or bound of `bytes` bytes. Header-form keys have a 4-byte
// header, plain-form ones 2 bytes.
EvalText ReadKey(const uint8_t* p, uint32_t bytes, uint8_t format, bool plain) {
  EvalText t;
  const uint32_t header = plain ? 2 : 4;
  if (p == nullptr || bytes < header) {
    t.Set(nullptr, 0);
    return t;
  }
  const uint16_t length = KvStoredLength(p, format);
  if (!plain) {
    t.codeSet = p[2];
    t.language = p[3] & ~KvKEY_MARKED;
  }
  const uint32_t claimed = plain ? (length >= 1 ? length - 1u : 0u) : (length >= 4 ? length - 4u : 0u);
  const uint32_t present = bytes - header;
  t.whole = claimed <= present;
  t.Set(p + header, claimed < present ? claimed : present);
  return t;
}

// The 16-bit orders of a text, walked as keys are made, masks applied
// (case and accent bits of letters cleared), up to `limit` elements. Code
// set 0 text gives its bytes.
std::vector<uint16_t> OrdersOf(const EvalText& t, uint8_t unitFormat, uint16_t masks,
                               uint32_t limit, uint8_t* firstClass) {
  std::vector<uint16_t> out;
  if (t.codeSet == 0) {
    for (uint32_t i = 0; i < limit && static_cast<uint8_t>(t.text[i]) != 0; ++i)
      out.push_back(static_cast<uint8_t>(t.text[i]));
    if (firstClass) *firstClass = 0;
    return out;
  }
  KvStringIterator it(const_cast<char*>(t.text.data()), t.codeSet, t.language, unitFormat);
  for (uint32_t i = 0; i < limit; ++i) {
    uint16_t o = it.GetNextOrder(1);
    if (i == 0 && firstClass) *firstClass = it.CollationClassGet();
    if (o == 0) break;
    if (IsLetterOrder(o)) o &= static_cast<uint16_t>(~masks);
    out.push_back(o);
  }
  return out;
}

// The position of a text after its first k elements, for the estimate:
// code set 0 text as a base-128 number of up to four further bytes; other
// text as its collation class and the next three orders of digits, letters
// and other significant characters (letters by letter only).
double PositionOf(const std::vector<uint16_t>& orders, uint32_t k, bool bytes, uint8_t cls) {
  if (bytes) {
    double v = 0;
    for (uint32_t i = 0; i < 4; ++i) {
      const uint32_t b = k + i < orders.size() ? (orders[k + i] > 0x7F ? 0x7F : orders[k + i]) : 0;
      v = v * 128 + b;
    }
    return v;
  }
  uint32_t digits[3] = {0, 0, 0};
  uint32_t found = 0;
  for (uint32_t i = k; i < orders.size() && found < 3; ++i) {
    const uint16_t o = orders[i];
    if (o < 0x3F00) continue;
    digits[found++] = IsLetterOrder(o) ? (o & 0x407F) : o;
  }
  return ((cls & 0x7F) * 65536.0 + digits[0]) * 4294967296.0 + (digits[1] * 65536.0 + digits[2]);
}

// A bound key in the form index keys have: the units of `prefix`'s key
// (KvKeyWalk), its letters at the smallest (lower) or largest (upper)
// variant under the masks, a largest element after them for an upper bound
// of a pattern, and the end. Under an operator that skips spaces or
// symbols the bound holds no space or symbol at all: a key without them
// orders at or below every key that differs from it only in them, so the
// bounds hold every value the skipping condition matches. Before a pattern
// character spaces and symbols are optional to the matcher ("a" and "ab"
// match "a -*"), so a pattern's bounds end at the prefix's last letter,
// digit or character of another class. Keys longer than
// KvINDEX_MAX_KEYLEN are cut there.
struct BoundKey {
  std::vector<uint8_t> bytes;
  bool cut = false;
};

// Which spaces and symbols of the prefix a bound leaves out.
enum class Ignorables { kKeep, kDropTrailing, kDropAll };

BoundKey MakeBoundKey(const EvalText& prefix, uint8_t format, bool plain, bool upper,
                      bool widen, uint16_t caseMask, uint16_t accentMask, Ignorables drop) {
  const uint8_t f = format & 15;
  BoundKey key;
  std::vector<uint8_t>& b = key.bytes;
  const bool byteText = plain || prefix.codeSet == 0;
  if (byteText) {
    // Keys of texts without a code set are the stored bytes themselves.
    b.resize(plain ? 2 : 4);
    if (!plain) {
      b[2] = 0;
      b[3] = prefix.language;
    }
    for (uint32_t i = 0; i < prefix.characters; ++i) b.push_back(static_cast<uint8_t>(prefix.text[i]));
    if (widen) b.push_back(0xFF);
  } else {
    KvKeyWalk walk(prefix.text.data(), prefix.codeSet, prefix.language, f, false);
    std::vector<uint16_t> orders;
    uint16_t unit;
    while (walk.Next(&unit) && unit != 0) orders.push_back(unit);
    // A prefix that changes class gives a bound marked as its key is: its
    // last unit stands for every text of the next class, so it needs no
    // widening either.
    const uint8_t cls = walk.ClassGet() & ~KvKEY_MARKED;
    const bool marked = (walk.ClassGet() & KvKEY_MARKED) != 0;
    if (marked) widen = false;
    if (drop == Ignorables::kDropTrailing && cls == KvCLASS_TABLES && !marked)
      while (!orders.empty() && orders.back() <= kLastIgnorableOrder) orders.pop_back();
    b.resize(4);
    b[2] = KvCS_ORDERS;
    b[3] = walk.ClassGet();
    for (uint16_t o : orders) {
      // Units of class 20 are characters: no letters to mask, nothing to skip.
      if (cls == KvCLASS_TABLES) {
        if (drop == Ignorables::kDropAll && o <= kLastIgnorableOrder) continue;
        // The smallest variant: no accent, lower case; the largest: every
        // accent bit, upper case.
        if (IsLetterOrder(o))
          o = upper ? static_cast<uint16_t>((o | accentMask) & ~caseMask)
                    : static_cast<uint16_t>((o & ~accentMask) | caseMask);
      }
      uint8_t bytes[2];
      KvStoreBits<uint16_t>(bytes, o, f);
      b.insert(b.end(), bytes, bytes + 2);
    }
    if (widen) {
      uint8_t largest[2];
      KvStoreBits<uint16_t>(largest, KvKEY_LARGEST, f);
      b.insert(b.end(), largest, largest + 2);
    }
  }
  // The end: a zero unit (one zero byte in the plain form), then the end
  // mark of the header form; a key cut to the longest key has none.
  const uint32_t unit = byteText ? 1 : 2;
  const uint32_t end = plain ? 1 : unit + (unit == 1 ? 1 : 0);
  if (b.size() + end > KvINDEX_MAX_KEYLEN) {
    key.cut = true;
    b.resize(KvINDEX_MAX_KEYLEN - (KvINDEX_MAX_KEYLEN - (plain ? 2 : 4)) % unit);
    if (upper) {
      // A cut upper bound still lies above every key it stands for.
      if (unit == 2)
        KvStoreBits<uint16_t>(&b[b.size() - 2], KvKEY_LARGEST, f);
      else
        b.back() = 0xFF;
    }
    KvStoredLengthSet(b.data(), static_cast<uint16_t>(b.size()), f);
    return key;
  }
  if (plain) {
    b.push_back(0);
  } else if (unit == 2) {
    b.push_back(0);
    b.push_back(KvSTORED_END_MARK);
  } else {
    b.push_back(0);
    b.push_back(KvSTORED_END_MARK);
  }
  KvStoredLengthSet(b.data(), static_cast<uint16_t>(b.size() - 2), f);
  return key;
}

uint8_t* CopyBound(const std::vector<uint8_t>& key) {
  uint8_t* p = static_cast<uint8_t*>(KvMemAlloc(static_cast<uint32_t>(key.size())));
  if (p != nullptr) std::memcpy(p, key.data(), key.size());
  return p;
}

float EvalString(KvIdxBounds* range, unsigned short& relation, void* valuePtr, uint8_t format,
                 KvIdxBounds* bounds, bool plain) {
  const uint16_t opBits = relation & 0x7FF0;
  relation &= 0x800F;
  const uint8_t f = format & 15;
  const EvalText value = ReadValue(static_cast<const uint8_t*>(valuePtr), format, plain);
  const uint32_t unit = KvCodeSetIsWide(value.codeSet) ? 2 : 1;

  // The wildcard, or a value that is a cut key standing for more text.
  int32_t w = -1;
  if ((opBits & KvCMP_EXACT) == 0) {
    w = KvFindWildcard(KvCollateText{value.codeSet, value.language, value.text.data()}, false, -1,
                       nullptr, f);
    if (w < 0 && !plain && (value.language & KvKEY_MARKED) && (value.language & 0x7F) != 1)
      w = static_cast<int32_t>(value.characters);
  }
  if (w >= 0) relation |= KvREL_WIDENED;

  uint16_t caseMask = 0;
  uint16_t accentMask = 0;
  if (value.codeSet != 0 && (value.language & 0x7F) < 20) {
    if (opBits & 0x0020) caseMask = kCaseMask;
    if (opBits & 0x0040) accentMask = kAccentMask;
  }
  if (bounds == nullptr) return 0.0f;

  const bool skipping = (opBits & (0x0080 | 0x0200)) != 0;
  const Ignorables drop = skipping ? Ignorables::kDropAll : w > 0 ? Ignorables::kDropTrailing : Ignorables::kKeep;
  const bool hadLow = bounds->low != nullptr;
  const bool hadHigh = bounds->high != nullptr;
  EvalText prefix = value;
  if (w >= 0) prefix.Set(reinterpret_cast<const uint8_t*>(value.text.data()), static_cast<uint32_t>(w) * unit);
  bool upperCut = false;
  std::vector<uint8_t> upperKey;
  if (w != 0) {
    if (!hadLow && (relation & KvREL_LESS) == 0) {
      const BoundKey key =
          MakeBoundKey(prefix, format, plain, false, false, caseMask, accentMask, drop);
      if (key.cut) KIVO_assert("actualLen <= KvINDEX_MAX_KEYLEN", kvSourceTypevl, __LINE__);
      bounds->low = CopyBound(key.bytes);
      if (bounds->low != nullptr) bounds->lowLength = static_cast<uint8_t>(key.bytes.size());
    }
    if (!hadHigh && (relation & KvREL_GREATER) == 0) {
      const BoundKey key =
          MakeBoundKey(prefix, format, plain, true, w > 0 || skipping, caseMask, accentMask, drop);
      if (key.cut) KIVO_assert("actualLen <= KvINDEX_MAX_KEYLEN", kvSourceTypevl, __LINE__);
      bounds->high = CopyBound(key.bytes);
      if (bounds->high != nullptr) bounds->highLength = static_cast<uint8_t>(key.bytes.size());
      upperKey = key.bytes;
      upperCut = key.cut;
    }
  }

  // The estimate: where the lower and upper sides of the condition lie
  // between the range's low and high keys.
  if (range == nullptr || range->low == nullptr || range->high == nullptr) return 0.0f;
  if (w == 0) return 1.0f;  // a leading wildcard selects every key
  const EvalText lowKey = ReadKey(range->low, range->lowLength, format, plain);
  const EvalText highKey = ReadKey(range->high, range->highLength, format, plain);
  const EvalText lowerSide =
      hadLow ? ReadKey(bounds->low, bounds->lowLength, format, plain) : value;
  const EvalText upperSide =
      bounds->high != nullptr ? ReadKey(bounds->high, bounds->highLength, format, plain) : value;
  const uint16_t masks = static_cast<uint16_t>(caseMask | accentMask);
  const bool bytes = value.codeSet == 0 || plain;
  // Known character counts bound the walk.
  uint32_t known = 0xFFFF;
  auto take = [&known](uint32_t n) {
    if (n < known) known = n;
  };
  if (w > 0) take(static_cast<uint32_t>(w));
  take(lowKey.characters);
  take(highKey.characters);
  if (hadLow) take(lowerSide.characters);
  if (hadHigh || upperCut) take(upperSide.characters);
  uint8_t classes[4] = {0, 0, 0, 0};
  const EvalText* texts[4] = {&lowerSide, &upperSide, &lowKey, &highKey};
  std::vector<uint16_t> orders[4];
  for (int i = 0; i < 4; ++i) orders[i] = OrdersOf(*texts[i], f, masks, 0xFFFF, &classes[i]);
  uint32_t k = 0;
  const bool sameClass = classes[0] == classes[1] && classes[1] == classes[2] && classes[2] == classes[3];
  while (sameClass && k < known && k < orders[0].size() && k < orders[1].size() &&
         k < orders[2].size() && k < orders[3].size() && orders[0][k] == orders[1][k] &&
         orders[1][k] == orders[2][k] && orders[2][k] == orders[3][k])
    ++k;
  const double step = bytes ? 0x80 : 0x100000;
  double pos[4];
  for (int i = 0; i < 4; ++i) pos[i] = PositionOf(orders[i], k, bytes, classes[i]);
  const double total = pos[3] - pos[2] + step;
  double covered = KvCoverage(relation, pos[0], pos[1], pos[2], pos[3], step);
  if (covered == 0) {
    // The positions are too coarse: the collation decides at the ends.
    const uint16_t op = static_cast<uint16_t>(relation | opBits);
    auto compare = [&](const EvalText& a, const EvalText& b, uint32_t limit) {
      const KvCollateText ta{a.codeSet, a.language, a.text.data()};
      const KvCollateText tb{b.codeSet, b.language, b.text.data()};
      return KvCollate(ta, tb, op, static_cast<int32_t>(limit), f, nullptr, nullptr);
    };
    if (((relation & KvREL_LESS) && pos[1] == pos[2]) || ((relation & KvREL_GREATER) && pos[0] == pos[3])) {
      if ((relation & KvREL_LESS) && compare(upperSide, lowKey, lowerSide.characters) >= 0) covered += step;
      const uint32_t limit = upperSide.characters < highKey.characters ? upperSide.characters : highKey.characters;
      if ((relation & KvREL_GREATER) && compare(lowerSide, highKey, limit) <= 0) covered += step;
    }
    if (covered == 0 && pos[2] == pos[3] && pos[3] < pos[1] && highKey.characters < upperSide.characters &&
        (relation & KvREL_EQUAL) && compare(upperSide, highKey, highKey.characters) == 0)
      covered += step;
  }
  return static_cast<float>(covered / total);
}

}  // namespace

float KvEvalString(KvIdxBounds* range, unsigned short& relation, void* value, uint8_t format,
                   uint32_t, KvIdxBounds* bounds) {
  return EvalString(range, relation, value, format, bounds, false);
}

float KvEvalLegacyString(KvIdxBounds* range, unsigned short& relation, void* value, uint8_t format,
                         uint32_t, KvIdxBounds* bounds) {
  return EvalString(range, relation, value, format, bounds, true);
}

// ---- KvIString and KvCaseIString ----
//
// Index keys of these types are folded texts (kvistring_rows.h), which
// order as their values do. A position on the key range is a key's first
// four weights read as a big-endian number.

namespace {

// The first element's text of a condition value: an S object in memory
// form, else a stored block, whose T bounds the text.
struct ValueText {
  const uint8_t* bytes;
  uint32_t length;
  bool folded;
};

uint32_t TextBytes(const uint8_t* text, const void* end) {
  return static_cast<uint32_t>(static_cast<const uint8_t*>(end) - text);
}

template <typename S>
ValueText TextOfValue(const void* value, uint8_t format) {
  if ((format & 8) != 0) {
    const S& v = *static_cast<const S*>(value);
    return {reinterpret_cast<const uint8_t*>(v.StrGet()), v.Len(),
            (v.AttributesGet() & KvISTR_FOLDED) != 0};
  }
  const uint8_t* block = static_cast<const uint8_t*>(value);
  const uint32_t t = KvInsensitiveLength(block, format);
  const void* zero = std::memchr(block + 3, 0, t);
  const uint32_t n = zero != nullptr ? TextBytes(block + 3, zero) : t;
  return {block + 3, n, (block[0] & KvISTR_FOLDED) != 0};
}

// The position of the first `digits` weights of `key`, filled with zero
// bytes to four.
int64_t PositionOf(const uint8_t* key, uint32_t digits) {
  int64_t position = 0;
  for (uint32_t i = 0; i < 4; ++i) position = (position << 8) | (i < digits ? key[i] : 0);
  return position;
}

// The position of a range key, `length` bytes of a stored block. A range
// key that is not in key form is folded here, so that both ends of the
// range and the value are measured alike.
template <typename S>
int64_t RangePosition(const uint8_t* key, uint8_t length, uint8_t format) {
  if (length < 4) return 0;
  const void* zero = std::memchr(key + 3, 0, length - 3u);
  const uint32_t n = zero != nullptr ? TextBytes(key + 3, zero) : length - 3u;
  uint8_t weights[4];
  const uint32_t all = KvFoldKey<S>(weights, 4, key + 3, n, (key[0] & KvISTR_FOLDED) != 0);
  return PositionOf(weights, all < 4 ? all : 4);
}

// A bound: the key block of the k weights at `key`, with one weight 0xFF
// after them when `widen` (above every weight a character has, so that the
// bound passes every key that begins with them). A key longer than an
// index key may be is cut to the longest one; an upper bound then ends in
// 0xFF, so that it still passes the value.
uint8_t* BoundKey(const uint8_t* key, uint32_t k, bool widen, bool upper, uint8_t format,
                  uint8_t* length) {
  constexpr uint32_t kMaxWeights = KvINDEX_MAX_KEYLEN - 4;
  uint32_t kept = k;
  if (k + (widen ? 1 : 0) > kMaxWeights) {
    KIVO_assert("actualLen <= KvINDEX_MAX_KEYLEN", kvSourceTypevl, __LINE__);
    widen = upper;
    kept = upper ? kMaxWeights - 1 : kMaxWeights;
  }
  const uint32_t weights = kept + (widen ? 1 : 0);
  const uint32_t size = weights + 4;
  uint8_t* bound = static_cast<uint8_t*>(KvMemAlloc(size));
  if (bound == nullptr) return nullptr;
  bound[0] = KvISTR_MARKER_KEY;
  uint16_t t = static_cast<uint16_t>(weights + 1);
  ShortStore(bound + 1, &t, format, 1);
  if (kept != 0) std::memcpy(bound + 3, key, kept);
  if (widen) bound[3 + kept] = 0xFF;
  bound[3 + weights] = 0;
  *length = static_cast<uint8_t>(size);
  return bound;
}

}  // namespace

template <typename S>
float KvEvalInsensitive(KvIdxBounds* range, unsigned short& relation, void* value,
                        uint8_t format, uint32_t, KvIdxBounds* bounds) {
  relation &= KvREL_KEEP | 0x000F;

  // Without a range the whole key space is the range.
  int64_t lo = 0;
  int64_t hi = 0xFFFFFFFF;
  if (range != nullptr && range->low != nullptr && range->high != nullptr) {
    const int64_t low = RangePosition<S>(range->low, range->lowLength, format);
    const int64_t high = RangePosition<S>(range->high, range->highLength, format);
    if (low <= high) {
      lo = low;
      hi = high;
    }
  }
  const int64_t total = hi - lo + 1;

  const ValueText text = TextOfValue<S>(value, format);
  const int32_t wild = KvFirstPatternChar<S>(text.bytes, text.length, text.folded);
  // A value that begins with a pattern character takes every key.
  if (wild == 0) {
    relation |= KvREL_WIDENED;
    return 1.0f;
  }
  uint32_t n = text.length;
  if (wild > 0) {
    relation |= KvREL_WIDENED;
    n = static_cast<uint32_t>(wild);
  }
  uint8_t key[KvINDEX_MAX_KEYLEN];
  const uint32_t k = KvFoldKey<S>(key, sizeof key, text.bytes, n, text.folded);

  // A key of fewer than four weights also stands for the keys that extend
  // it: the byte after its weights runs up to 0xFF.
  const uint32_t digits = k < 4 ? k : 4;
  const int64_t pad = digits < 4 ? int64_t{0xFF} << (8 * (3 - digits)) : 0;
  const int64_t position = std::clamp(PositionOf(key, digits), lo - 1, hi + 1);
  const int64_t positionHigh = std::clamp(PositionOf(key, digits) + pad, lo - 1, hi + 1);
  const int64_t a = position - lo + 1;
  const int64_t b = positionHigh - lo + 1;
  int64_t share = 0;
  if (relation & KvREL_LESS) share += a;
  if (relation & KvREL_GREATER) share += std::max<int64_t>(total - b, 0);
  if (relation & KvREL_EQUAL) share += 1 + b - a;

  if (bounds != nullptr) {
    if (bounds->low == nullptr && (relation & KvREL_LESS) == 0)
      bounds->low = BoundKey(key, k, false, false, format, &bounds->lowLength);
    if (bounds->high == nullptr && (relation & KvREL_GREATER) == 0)
      bounds->high = BoundKey(key, k, wild > 0, true, format, &bounds->highLength);
  }
  return static_cast<float>(static_cast<double>(share) / static_cast<double>(total));
}

template float KvEvalInsensitive<KvIString>(KvIdxBounds*, unsigned short&, void*, uint8_t,
                                            uint32_t, KvIdxBounds*);
template float KvEvalInsensitive<KvCaseIString>(KvIdxBounds*, unsigned short&, void*,
                                                uint8_t, uint32_t, KvIdxBounds*);

// ---- Date and time ----
//
// A position is a linear index of a stored value's fields, computed in
// double: a timestamp's position counts seconds from year -40000 on and
// needs more than 32 bits. The index orders some of these types by unsigned fields
// (stored times, the year of d_Date) while positions read them signed, so
// the high key of a range can measure below its low key; such a range
// says nothing about the keys between and is measured as no range.

namespace {

constexpr unsigned short kDateRelationBits = KvREL_KEEP | 0x000F;

typedef double (*StoredPosition)(const uint8_t* p, uint8_t format);

int SignedByte(const uint8_t* p, uint32_t i) { return static_cast<int8_t>(p[i]); }

// Year, month and day of a stored KvDate or d_Date.
struct DateFields {
  int16_t year;
  int8_t month;
  int8_t day;
};

DateFields ReadDate(const uint8_t* p, uint8_t format) {
  return {KvReadNumber<int16_t>(p, format), static_cast<int8_t>(p[2]),
          static_cast<int8_t>(p[3])};
}

void WriteDate(uint8_t* p, const DateFields& d, uint8_t format) {
  KvStoreBits<uint16_t>(p, static_cast<uint16_t>(d.year), format);
  p[2] = static_cast<uint8_t>(d.month);
  p[3] = static_cast<uint8_t>(d.day);
}

double DayNumber(const DateFields& d) {
  return static_cast<double>(static_cast<long>(KvDate(d.year, d.month, d.day)));
}

int8_t DaysOfMonth(int16_t year, int8_t month) {
  // Month 13 is January of the next year.
  const long next = static_cast<long>(KvDate(year, static_cast<signed char>(month + 1), 1));
  return static_cast<int8_t>(next - static_cast<long>(KvDate(year, month, 1)));
}

double KvDatePosition(const uint8_t* p, uint8_t format) { return DayNumber(ReadDate(p, format)); }

double KvTimePosition(const uint8_t* p, uint8_t) {
  return SignedByte(p, 0) * 3600.0 + SignedByte(p, 1) * 60.0 + SignedByte(p, 2);
}

// Minutes; the seconds take no part.
double KvDateTimePosition(const uint8_t* p, uint8_t format) {
  const double year = KvReadNumber<int16_t>(p, format);
  return (((year * 12 + SignedByte(p, 2)) * 31 + SignedByte(p, 3)) * 24 + SignedByte(p, 4)) *
             60 +
         SignedByte(p, 5);
}

double ODMGDatePosition(double year, double month, double day) {
  return ((year + 40000) * 12 + month) * 31 + day;
}

double StoredODMGDatePosition(const uint8_t* p, uint8_t format) {
  return ODMGDatePosition(KvReadNumber<int16_t>(p, format), SignedByte(p, 2), SignedByte(p, 3));
}

// Seconds of the held hour, minute and second; zone and hundredths take
// no part.
double ODMGTimePosition(const uint8_t* p, uint8_t) {
  return SignedByte(p, 2) * 3600.0 + SignedByte(p, 3) * 60.0 + SignedByte(p, 4);
}

// Seconds, counted in whole minutes.
double TimestampPosition(const uint8_t* p, uint8_t format) {
  return ((StoredODMGDatePosition(p, format) * 24 + SignedByte(p, 6)) * 60 + SignedByte(p, 7)) *
         60;
}

// The positions of a range's keys; 0 and 0 for no range.
struct PositionRange {
  double lo = 0.0;
  double hi = 0.0;
};

PositionRange RangeOf(const KvIdxBounds* range, uint8_t format, uint32_t size,
                      StoredPosition position) {
  PositionRange r;
  if (range == nullptr || range->low == nullptr || range->high == nullptr) return r;
  // A key must hold a whole element to be read at all.
  if (range->lowLength < size || range->highLength < size) return r;
  const double lo = position(range->low, format);
  const double hi = position(range->high, format);
  if (hi < lo) return r;
  r.lo = lo;
  r.hi = hi;
  return r;
}

// The share of the range's positions that a measure counts. The measures
// can count positions outside the range: without a range every value lies
// outside it, and "less" of a position p counts p itself. So the share is
// kept within [0, 1]. The width is at least 1, as hi never lies below lo.
float ShareOfRange(double measure, const PositionRange& r) {
  return static_cast<float>(std::clamp(measure / (r.hi - r.lo + 1.0), 0.0, 1.0));
}

// The positions the relation selects around a value at v, from the first
// position of the range on.
double RelationMeasure(unsigned short relation, double v, const PositionRange& r) {
  double measure = 0.0;
  if (relation & KvREL_LESS) measure += v - r.lo;
  if (relation & KvREL_GREATER) measure += (r.hi - r.lo + 1.0) - (v - r.lo + 1.0);
  if (relation & KvREL_EQUAL) measure += 1.0;
  return measure;
}

enum class Measure { kCoverage, kRelation };

// The evaluators of the date and time rows without wildcards.
float EvalTimeValue(KvIdxBounds* range, unsigned short& relation, void* value, uint8_t format,
                    uint32_t count, KvIdxBounds* bounds, uint32_t size, StoredPosition position,
                    Measure measure) {
  relation &= kDateRelationBits;
  KvSetBounds(bounds, relation, value, count * size);
  if (count == 0) return 0.0f;
  const PositionRange r = RangeOf(range, format, size, position);
  const double v = position(static_cast<const uint8_t*>(value), format);
  return ShareOfRange(measure == Measure::kCoverage ? KvCoverage(relation, v, v, r.lo, r.hi, 1.0)
                                                    : RelationMeasure(relation, v, r),
                      r);
}

// The bounds a date evaluator makes in this call; only those are widened,
// as a bound set before belongs to an earlier condition. Null when not
// made, or when it cannot hold one date (count 0).
struct MadeBounds {
  uint8_t* low = nullptr;
  uint8_t* high = nullptr;
};

MadeBounds SetDateBounds(KvIdxBounds* bounds, unsigned short relation, const void* value,
                         uint32_t count) {
  MadeBounds made;
  if (bounds == nullptr) return made;
  uint8_t* const low = bounds->low;
  uint8_t* const high = bounds->high;
  const uint32_t size = count * 4;
  KvSetBounds(bounds, relation, value, size);
  if (size < 4) return made;
  if (low == nullptr) made.low = bounds->low;
  if (high == nullptr) made.high = bounds->high;
  return made;
}

void WidenBounds(const MadeBounds& made, const DateFields& low, const DateFields& high,
                 uint8_t format) {
  if (made.low != nullptr) WriteDate(made.low, low, format);
  if (made.high != nullptr) WriteDate(made.high, high, format);
}

}  // namespace

float KvEvalDate(KvIdxBounds* range, unsigned short& relation, void* value, uint8_t format,
                 uint32_t count, KvIdxBounds* bounds) {
  relation &= kDateRelationBits;
  const MadeBounds made = SetDateBounds(bounds, relation, value, count);
  if (count == 0) return 0.0f;
  const DateFields v = ReadDate(static_cast<const uint8_t*>(value), format);
  DateFields low = v;
  DateFields high = v;
  const bool anyYear = v.year == -1;
  const bool anyMonth = v.month == -1;
  const bool anyDay = v.day == -1;
  if (anyYear || anyMonth || anyDay) {
    relation |= KvREL_WIDENED;
    // The first and last valid date that the value matches under
    // DateCompare, whose years are signed. A wildcard year takes in every
    // 16-bit year: dates before day number 0 (4714 BC) and in year 32767
    // are valid dates too, and a scan that starts or stops short of them
    // would miss them. The estimate measures the same two dates.
    if (anyYear) {
      low.year = INT16_MIN;
      high.year = INT16_MAX;
    }
    if (anyMonth) {
      low.month = 1;
      high.month = 12;
    }
    if (anyDay) {
      low.day = 1;
      high.day = DaysOfMonth(high.year, high.month);
    }
    WidenBounds(made, low, high, format);
  }
  const PositionRange r = RangeOf(range, format, 4, KvDatePosition);
  return ShareOfRange(KvCoverage(relation, DayNumber(low), DayNumber(high), r.lo, r.hi, 1.0), r);
}

float KvEvalTime(KvIdxBounds* range, unsigned short& relation, void* value, uint8_t format,
                 uint32_t count, KvIdxBounds* bounds) {
  return EvalTimeValue(range, relation, value, format, count, bounds, 3, KvTimePosition,
                       Measure::kCoverage);
}

float KvEvalDateTime(KvIdxBounds* range, unsigned short& relation, void* value, uint8_t format,
                     uint32_t count, KvIdxBounds* bounds) {
  return EvalTimeValue(range, relation, value, format, count, bounds, 7, KvDateTimePosition,
                       Measure::kCoverage);
}

float KvEvald_Date(KvIdxBounds* range, unsigned short& relation, void* value, uint8_t format,
                   uint32_t count, KvIdxBounds* bounds) {
  relation &= kDateRelationBits;
  const MadeBounds made = SetDateBounds(bounds, relation, value, count);
  if (count == 0) return 0.0f;
  const uint8_t* p = static_cast<const uint8_t*>(value);
  const DateFields v = ReadDate(p, format);
  const bool anyYear = p[0] == 0xFF && p[1] == 0xFF;
  const bool anyMonth = p[2] == 0xFF;
  const bool anyDay = p[3] == 0xFF;
  if (!(anyYear || anyMonth || anyDay)) {
    const PositionRange r = RangeOf(range, format, 4, StoredODMGDatePosition);
    return ShareOfRange(RelationMeasure(relation, StoredODMGDatePosition(p, format), r), r);
  }
  relation |= KvREL_WIDENED;
  // d_DateCompare orders years as unsigned and months and days as signed
  // bytes, so the bounds run from the lowest to the highest of those.
  DateFields low = v;
  DateFields high = v;
  if (anyYear) {
    // Every key. The highest year, 0xFFFF, is the wildcard year too: a
    // bound compared as the second operand would match every year and be
    // ordered by its month and day alone, which as the highest bytes keep
    // it above every key in that reading as well.
    low = {0, INT8_MIN, INT8_MIN};
    high = {-1, INT8_MAX, INT8_MAX};
    WidenBounds(made, low, high, format);
    return 1.0f;
  }
  if (anyMonth) {
    low.month = INT8_MIN;
    high.month = INT8_MAX;
  }
  if (anyDay) {
    low.day = INT8_MIN;
    high.day = INT8_MAX;
  }
  WidenBounds(made, low, high, format);
  // The value is measured at the last month or day it stands for, whether
  // or not bounds were asked for.
  const double position =
      ODMGDatePosition(v.year, anyMonth ? 12 : v.month, anyDay ? 31 : v.day);
  const PositionRange r = RangeOf(range, format, 4, StoredODMGDatePosition);
  return ShareOfRange(RelationMeasure(relation, position, r), r);
}

float KvEvald_Time(KvIdxBounds* range, unsigned short& relation, void* value, uint8_t format,
                   uint32_t count, KvIdxBounds* bounds) {
  return EvalTimeValue(range, relation, value, format, count, bounds, 6, ODMGTimePosition,
                       Measure::kRelation);
}

float KvEvald_Timestamp(KvIdxBounds* range, unsigned short& relation, void* value,
                        uint8_t format, uint32_t count, KvIdxBounds* bounds) {
  return EvalTimeValue(range, relation, value, format, count, bounds, 10, TimestampPosition,
                       Measure::kRelation);
}

// ---- KvInt64 ----

namespace {

// The position of a stored value; beyond 2^53 positions round, as every
// position of the number evaluators is a double.
double Int64Position(const void* p, uint8_t format) {
  const KvInt64 v = KvReadInt64(p, format);
  return v.LowGet() + v.HighGet() * 4294967296.0;
}

}  // namespace

float KvEvalInt64(KvIdxBounds* range, unsigned short& relation, void* value, uint8_t format,
                  uint32_t count, KvIdxBounds* bounds) {
  constexpr uint32_t kSize = sizeof(KvInt64);
  float estimate = 0.0f;
  if (count != 0 && range != nullptr && range->low != nullptr && range->high != nullptr &&
      range->lowLength >= kSize && range->highLength >= kSize) {
    const double v = Int64Position(value, format);
    const double lo = Int64Position(range->low, format);
    const double hi = Int64Position(range->high, format);
    // A range whose high key lies below its low one measures nothing; the
    // rounding of positions near 2^63 can make a share pass 1 a little.
    if (lo <= hi) {
      const double share = KvCoverage(relation, v, v, lo, hi, 1.0) / (hi - lo + 1.0);
      estimate = static_cast<float>(std::clamp(share, 0.0, 1.0));
    }
  }
  KvSetBounds(bounds, relation, value, count * kSize);
  return estimate;
}

// ---- Identity types ----

namespace {

// The position of a stored KvObjId. The factor is 65535, not 65536, as in
// every estimate the stored indexes were planned with; positions of
// neighbouring high words overlap by one, which an estimate can bear.
double ObjectNumberPosition(const uint8_t* p, uint8_t format) {
  return KvReadNumber<uint16_t>(p + 8, format) * 65535.0 + KvReadNumber<uint32_t>(p + 4, format);
}

// Positions a KvRef can take: 2^64 - 2^33.
constexpr double kRefPositions = 18446744065119617024.0;

}  // namespace

float KvObjId::EvalAndBound(KvIdxBounds* range, unsigned short& relation, void* value,
                            uint8_t format, uint32_t count, KvIdxBounds* bounds) {
  KvSetBounds(bounds, relation, value, count * kStoredSize);
  if (count == 0) return 0.0f;
  const double v = ObjectNumberPosition(static_cast<const uint8_t*>(value), format);
  // A range key must hold a whole value to be read; a high key below the
  // low one (the overlap of the factor can make one) says nothing about
  // the keys between.
  double lo = 0.0;
  double hi = 0.0;
  if (range != nullptr && range->low != nullptr && range->high != nullptr &&
      range->lowLength >= kStoredSize && range->highLength >= kStoredSize) {
    const double l = ObjectNumberPosition(range->low, format);
    const double h = ObjectNumberPosition(range->high, format);
    if (h >= l) {
      lo = l;
      hi = h;
    }
  }
  // The coverage counts positions outside the range too (without a range
  // every position lies outside it), so the share is kept within [0, 1].
  const double share = KvCoverage(relation, v, v, lo, hi, 1.0) / (hi - lo + 1.0);
  return static_cast<float>(std::clamp(share, 0.0, 1.0));
}

float KvClassId::EvalAndBound(KvIdxBounds*, unsigned short&, void*, uint8_t, uint32_t,
                              KvIdxBounds*) {
  return 1.0f;
}

float KvRef::EvalAndBound(KvIdxBounds*, unsigned short& relation, void* value, uint8_t format,
                          uint32_t count, KvIdxBounds* bounds) {
  relation &= KvREL_KEEP | 0x000F;
  KvSetBounds(bounds, relation, value, count * kStoredSize);
  if (count == 0) return 0.0f;
  const uint8_t* p = static_cast<const uint8_t*>(value);
  const double position =
      (KvReadNumber<uint16_t>(p + 10, format) * 65535.0 + KvReadNumber<uint16_t>(p + 8, format)) *
          4294967295.0 +
      KvReadNumber<uint32_t>(p + 4, format);
  double share = 0.0;
  if (relation & KvREL_LESS) share += position;
  if (relation & KvREL_GREATER) share += kRefPositions - (position + 1.0);
  if (relation & KvREL_EQUAL) share += 1.0;
  return static_cast<float>(std::clamp(share / kRefPositions, 0.0, 1.0));
}

// ---- bool and KvBlob ----

// Two values cannot be placed in a range: half of it, whatever the relation.
float KvEvalBool(KvIdxBounds* range, unsigned short& relation, void* value, uint8_t,
                 uint32_t count, KvIdxBounds* bounds) {
  KvSetBounds(bounds, relation, value, count);
  const bool ranged = range != nullptr && range->low != nullptr && range->high != nullptr;
  return ranged ? 0.5f : 0.0f;
}

// A blob's share of a range cannot be told from its bytes, and its stored
// form may be far longer than an index key, so no bound is made.
float KvEvalBlob(KvIdxBounds*, unsigned short&, void*, uint8_t, uint32_t, KvIdxBounds*) {
  return 1.0f;
}
