// kvcollate.cpp — the collation engine: the byte path for texts without a
// code set, and the level walk over collation orders with wildcards.
#include "kvcollate.h"

#include <bit>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "kvkey.h"
#include "kvplatform/kvi18n.h"
#include "kvtm/kvchar.h"

namespace {

constexpr uint16_t kLastSymbolOrder = 0x3EFF;
constexpr uint16_t kFirstSymbolOrder = 0x50;

// ---- The byte path ----

long CompareBytes(const uint8_t* t1, const uint8_t* t2, int32_t limit) {
  if (t1 == nullptr) return t2 != nullptr && *t2 != 0 ? -1 : 0;
  if (t2 == nullptr) return *t1 != 0 ? 1 : 0;
  for (int32_t n = 0; limit < 0 || n < limit; ++n) {
    if (t1[n] != t2[n]) return static_cast<long>(t1[n]) - t2[n];
    if (t1[n] == 0) return 0;
  }
  return 0;
}

// Whether the plain comparison of t1 and t2 ends at the end of a cut text.
bool CutEndDecides(const uint8_t* t1, bool cut1, const uint8_t* t2, bool cut2, int32_t limit) {
  if (t1 == nullptr || t2 == nullptr) return true;
  int32_t n = 0;
  while ((limit < 0 || n < limit) && t1[n] == t2[n] && t1[n] != 0) ++n;
  if (limit >= 0 && n >= limit) return false;
  return (t1[n] == 0 && cut1) || (t2[n] == 0 && cut2);
}

// Matches text 1 against text 2 as a pattern of bytes. A '*' that has been
// passed is retried one byte further on whenever the rest of the pattern
// fails, also when the pattern runs out before the text does, so that the
// byte path matches exactly what the collating path matches.
long MatchBytes(const uint8_t* text, const uint8_t* pattern, int32_t limit) {
  if (pattern == nullptr) return text != nullptr && *text != 0 ? 1 : 0;
  if (text == nullptr) return *pattern == 0 ? 0 : -1;
  const uint8_t* s = text;
  const uint8_t* p = pattern;
  const uint8_t* afterStar = nullptr;  // the pattern right after the last stars
  const uint8_t* restart = nullptr;    // where the next retry of the star starts
  for (;;) {
    if (limit >= 0 && s - text >= limit) return 0;
    if (*p == '*' || (afterStar != nullptr && p == afterStar && restart != nullptr)) {
      // A star, met for the first time (p at '*') or retried (p after it).
      if (*p == '*') {
        while (*p == '*') ++p;
        if (*p == 0) return 0;
        afterStar = p;
        restart = s;
      }
      s = restart;
      if (*s == 0) return -1;
      restart = s + 1;
      // Skip to the next byte that can begin the rest of the pattern.
      if (*p != '?') {
        while (*s != 0 && *s != *p) ++s;
        if (*s == 0) return 0 - static_cast<long>(*p);
        if (limit >= 0 && s - text >= limit) return 0;
      }
      ++s;
      ++p;
      continue;
    }
    if (*p == 0) {
      if (*s == 0) return 0;
      if (afterStar == nullptr) return *s;
      p = afterStar;  // the text goes on: retry the star
      continue;
    }
    if (*p == '?') {
      if (*s == 0) return -1;
      ++s;
      ++p;
      continue;
    }
    if (*s != *p) {
      if (afterStar == nullptr || *s == 0) return static_cast<long>(*s) - *p;
      p = afterStar;
      continue;
    }
    ++s;
    ++p;
  }
}

// ---- The collating path ----

// The 32-bit weight of an order in collation class cls: letters put their
// letter in bits 8 to 14, their case in bits 5 and 6 and their accent in
// bits 0 to 4 under a letter flag (bit 22); everything else is the order.
uint32_t WeightOf(uint16_t order, uint8_t cls) {
  if (order == 0) return 0;
  const uint32_t c = static_cast<uint32_t>(cls) << 24;
  if (cls == KvCLASS_OUTSIDE_TABLES || (order & 0x8000) != 0 || (order & 0x4000) == 0)
    return c | static_cast<uint32_t>(order) << 8;
  return c | static_cast<uint32_t>(order & 0x407F) << 8 | ((order >> 7) & 0x7F);
}

constexpr uint32_t kPrimaryMask = 0xFFFFFF80;
constexpr uint32_t kLargestWeight = 0x7FFFFF00;  // above class 20, and a positive long
constexpr uint32_t kCaseMask = 0xFFFFFFE0;    // without the accent
constexpr uint32_t kAccentMask = 0xFFFFFF9F;  // without the case

uint32_t MatchMask(uint16_t op) {
  uint32_t mask = 0xFFFFFFFF;
  if (op & KvCMP_OP_IGNORE_CASE) mask &= 0xFFFFFF9F;
  if (op & KvCMP_OP_IGNORE_ACCENTS) mask &= 0xFFFFFFE0;
  return mask;
}

// The orders of the pattern characters, looked up on first use. A
// function-local static is initialised once even when threads make their
// first walks together; after that a use costs a load and a branch.
struct WildcardOrders {
  uint16_t star;
  uint16_t question;
};

const WildcardOrders& Wildcards() {
  static const WildcardOrders orders = {KvChar('*', KvCS_CP1252, KvLANG_NEUTRAL).OrderGet(),
                                        KvChar('?', KvCS_CP1252, KvLANG_NEUTRAL).OrderGet()};
  return orders;
}

// One text of the level walk.
struct Side {
  Side(const KvCollateText& t, uint8_t unitFormat)
      : it(const_cast<char*>(t.text != nullptr ? t.text : "\0\0"),
           t.codeSet == 0 ? KvLanguageContext::GetNativeCodeSet() : t.codeSet, t.language,
           unitFormat),
        cut(t.cut),
        orders(t.codeSet == KvCS_ORDERS) {}

  // Whether the side stands at the end of a text that goes on unseen.
  bool AtCutEnd() const { return cut && order == 0; }

  KvStringIterator it;
  bool cut;
  bool orders;  // order text: an index key
  // The element is the unit that ends a key at a change of class: it
  // stands for an unknown character of the class it names, and weighs
  // as the smallest weight of that class.
  bool vague = false;
  int32_t characters = 0;  // characters read, against the limit
  uint16_t order = 0;      // the element the fetch stopped at
  uint32_t weight = 0;
  uint16_t ignorable = 0;  // the last ignorable order since the last element
  bool stopped = false;
  bool star = false;
  bool question = false;
};

// The next order of a side, or 0 once more than `limit` characters have
// been read. Only orders that begin a character count: the further orders
// of an expansion belong to the character already counted.
uint16_t NextOrder(Side& s, int32_t limit, unsigned short setClass) {
  if (!s.it.OverflowPendingGet()) {
    if (limit >= 0 && s.characters >= limit) return 0;
    const uint16_t order = s.it.GetNextOrder(setClass);
    if (order != 0) ++s.characters;
    return order;
  }
  return s.it.GetNextOrder(setClass);
}

// The weight of an order a side has read in its current class. In order
// text, the unit that ends a key at a change of class weighs as the
// smallest weight of the class it names (Side::vague), and the largest
// element of a bound above every character of every class, so that a
// bound widened by it passes every text it begins.
uint32_t SideWeight(const Side& s, uint16_t order, bool* vague) {
  const uint8_t cls = s.it.CollationClassGet();
  *vague = false;
  if (s.orders) {
    if (order == KvKEY_LARGEST) return kLargestWeight;
    const uint8_t next = s.cut ? KvKeyClassAfter(order, cls) : 0;
    if (next != 0) {
      *vague = true;
      return static_cast<uint32_t>(next) << 24;
    }
  }
  return WeightOf(order, cls);
}

// Whether a pair with a vague element is undecided: it decides only
// against an end or a character of another class.
bool VaguePairUndecided(bool vague1, uint16_t o1, uint32_t w1, bool vague2, uint16_t o2,
                        uint32_t w2) {
  if (!vague1 && !vague2) return false;
  return (vague1 && vague2) || (o1 != 0 && o2 != 0 && (w1 >> 24) == (w2 >> 24));
}

// One fetch step of a side that has not stopped: stops at an element (an
// order above the symbols, a class of 20 or more, the end) or at a
// wildcard of the pattern, records an ignorable order and goes on later,
// or skips it as the operator says.
void FetchStep(Side& s, bool pattern, uint16_t op, int32_t limit, unsigned short setClass) {
  const uint16_t order = NextOrder(s, limit, setClass);
  const uint8_t cls = s.it.CollationClassGet();
  s.order = order;
  s.weight = SideWeight(s, order, &s.vague);
  s.star = s.question = false;
  if (pattern && (op & KvCMP_OP_EXACT) == 0 && order != 0) {
    const WildcardOrders& w = Wildcards();
    if (order == w.star) {
      s.star = s.stopped = true;
      return;
    }
    if (order == w.question) {
      s.question = s.stopped = true;
      return;
    }
  }
  if (order > kLastSymbolOrder || cls > 19 || order == 0) {
    s.stopped = true;
    return;
  }
  const uint16_t skip = order >= kFirstSymbolOrder ? KvCMP_OP_SKIP_SYMBOLS : KvCMP_OP_SKIP_SPACES;
  if ((op & skip) == 0) s.ignorable = order;
}

// A restart point of the pattern after a '*': the pattern's position and
// what the walk had gathered when the pattern stood there.
struct Restart {
  KvStringIterator it;
  int32_t characters;
  long caseTie;
  long accentTie;
  long punctuation;
};

struct Ties {
  long primary = 0;
  long caseTie = 0;    // the first case difference
  long accentTie = 0;  // the last accent difference
  long punctuation = 0;
};

// The primary difference of two element weights.
long PrimaryOf(uint32_t w1, uint32_t w2) {
  return static_cast<long>(w1 & kPrimaryMask) - static_cast<long>(w2 & kPrimaryMask);
}

// Gathers the tie-breaks of two elements whose primaries are equal: the
// first case difference (lower case first) and the last accent difference.
void GatherTies(Ties& t, uint32_t w1, uint32_t w2) {
  if (t.caseTie == 0)
    t.caseTie = static_cast<long>(w2 & kCaseMask) - static_cast<long>(w1 & kCaseMask);
  const long accent = static_cast<long>(w1 & kAccentMask) - static_cast<long>(w2 & kAccentMask);
  if (accent != 0) t.accentTie = accent;
}

// A result that a cut text's end had a part in is undecided: the level
// says so, the result stays what the texts present give.
long Undecided(long result, int* level) {
  if (level) *level = KvLEVEL_UNDECIDED;
  return result;
}

long Conclude(const Ties& t, uint16_t op, int* level) {
  if (t.primary != 0) {
    if (level) *level = KvLEVEL_PRIMARY;
    return t.primary;
  }
  if ((op & KvCMP_OP_IGNORE_ACCENTS) == 0 && t.accentTie != 0) {
    if (level) *level = KvLEVEL_ACCENT;
    return t.accentTie;
  }
  if ((op & KvCMP_OP_IGNORE_CASE) == 0 && t.caseTie != 0) {
    if (level) *level = KvLEVEL_CASE;
    return t.caseTie;
  }
  if (t.punctuation != 0) {
    if (level) *level = KvLEVEL_PUNCTUATION;
    return t.punctuation;
  }
  if (level) *level = KvLEVEL_EQUAL;
  return 0;
}

long CompareSimple(Side& a, Side& b, int32_t limit, int* level) {
  long result = 0;
  for (;;) {
    const uint16_t o1 = NextOrder(a, limit, 1);
    const uint16_t o2 = NextOrder(b, limit, 1);
    bool vague1, vague2;
    const uint32_t w1 = SideWeight(a, o1, &vague1);
    const uint32_t w2 = SideWeight(b, o2, &vague2);
    result = static_cast<long>(w1) - static_cast<long>(w2);
    if (VaguePairUndecided(vague1, o1, w1, vague2, o2, w2)) return Undecided(result, level);
    if (result != 0 || o1 == 0 || o2 == 0) {
      if ((o1 == 0 && a.cut) || (o2 == 0 && b.cut)) return Undecided(result, level);
      break;
    }
  }
  if (level) *level = result != 0 ? KvLEVEL_PRIMARY : KvLEVEL_EQUAL;
  return result;
}

// Whether text 1's element matches the pattern element of weight w (or a
// '?') under the operator's mask.
bool ElementMatches(uint32_t textWeight, uint16_t textOrder, uint32_t w, bool question,
                    uint32_t mask) {
  if (question) return textOrder != 0;
  return (textWeight & mask) == (w & mask);
}

// Each text keeps its own collation class as it goes (order text keeps the
// class its key was made in), so a character beyond the tables weighs as
// one wherever it stands.
long LevelWalk(Side& a, Side& b, uint16_t op, int32_t limit, long* primaryOut, int* level) {
  const uint32_t mask = MatchMask(op);
  const unsigned short setClass = 1;
  Ties t;
  bool starActive = false;
  // The pattern right after the stars, the first element there, and the
  // tie-breaks gathered when the star was met.
  KvStringIterator restartIt;
  int32_t restartCharacters = 0;
  long savedCase = 0;
  long savedAccent = 0;
  long savedPunctuation = 0;
  uint32_t firstWeight = 0;
  bool firstQuestion = false;
  bool atRestart = false;  // the pattern stands right after its stars
  std::vector<Restart> candidates;  // allocated only when a '*' has candidates

  for (;;) {
    // Fetch steps until both texts stand at an element. The ignorable
    // orders recorded since the last element are compared after each step;
    // a text that recorded none counts 0. A star stands for any characters,
    // spaces and symbols included: what text 1 holds before the element
    // that follows a star is the star's, so a difference there counts for
    // nothing.
    a.stopped = b.stopped = false;
    a.ignorable = b.ignorable = 0;
    bool stepDiffers = false;
    long stepPunctuation = 0;
    while (!a.stopped || !b.stopped) {
      if (!a.stopped) FetchStep(a, false, op, limit, setClass);
      if (!b.stopped) FetchStep(b, true, op, limit, setClass);
      if (a.ignorable != b.ignorable) {
        stepDiffers = true;
        stepPunctuation = static_cast<long>(a.ignorable) - static_cast<long>(b.ignorable);
      }
    }
    if (stepDiffers && !b.star && !atRestart) t.punctuation = stepPunctuation;
    atRestart = false;

    if (b.star) {
      // Candidates of an earlier star end here; the pattern restarts after
      // the stars.
      candidates.clear();
      do {
        restartIt = b.it;
        restartCharacters = b.characters;
        b.stopped = false;
        b.ignorable = 0;
        while (!b.stopped) FetchStep(b, true, op, limit, setClass);
      } while (b.star);
      savedCase = t.caseTie;
      savedAccent = t.accentTie;
      savedPunctuation = t.punctuation;
      if (b.order == 0) {
        // The pattern ends in stars: whatever follows in text 1 matches,
        // unless the pattern itself was cut there.
        const long result = Conclude(t, op, level);
        return b.cut ? Undecided(result, level) : result;
      }
      starActive = true;
      firstWeight = b.weight;
      firstQuestion = b.question;
    }

    if (starActive) {
      // Every alignment still alive takes one more pattern element against
      // text 1's element; then a new one starts here if the first element
      // after the stars matches.
      for (size_t i = 0; i < candidates.size();) {
        Restart& c = candidates[i];
        Side probe{KvCollateText{0, 0, nullptr}, 1};
        probe.it = c.it;
        probe.characters = c.characters;
        while (!probe.stopped) FetchStep(probe, true, op, limit, setClass);
        c.it = probe.it;
        c.characters = probe.characters;
        if (!probe.star && ElementMatches(a.weight, a.order, probe.weight, probe.question, mask))
          ++i;
        else
          candidates.erase(candidates.begin() + static_cast<long>(i));
      }
      if (ElementMatches(a.weight, a.order, firstWeight, firstQuestion, mask)) {
        Side probe{KvCollateText{0, 0, nullptr}, 1};
        probe.it = restartIt;
        probe.characters = restartCharacters;
        while (!probe.stopped) FetchStep(probe, true, op, limit, setClass);
        candidates.push_back(
            Restart{probe.it, probe.characters, t.caseTie, t.accentTie, t.punctuation});
      }
    }

    bool differs;
    if (b.question) {
      if (a.order == 0) {
        if (a.cut) return Undecided(-1, level);
        if (level) *level = KvLEVEL_WILDCARD;
        return -1;
      }
      differs = false;
    } else {
      // A unit standing for an unknown character decides only against an
      // end or a character of another class; in a pattern it may hide a
      // wildcard, and under a star it may be what the star takes.
      if ((starActive && (a.vague || b.vague)) || (b.vague && (op & KvCMP_OP_EXACT) == 0) ||
          VaguePairUndecided(a.vague, a.order, a.weight, b.vague, b.order, b.weight))
        return Undecided(Conclude(t, op, level), level);
      t.primary = PrimaryOf(a.weight, b.weight);
      GatherTies(t, a.weight, b.weight);
      differs = (a.weight & mask) != (b.weight & mask);
    }

    if (starActive && differs) {
      if (!candidates.empty()) {
        b.it = candidates.front().it;
        b.characters = candidates.front().characters;
        t.caseTie = candidates.front().caseTie;
        t.accentTie = candidates.front().accentTie;
        t.punctuation = candidates.front().punctuation;
        candidates.erase(candidates.begin());
      } else {
        b.it = restartIt;
        b.characters = restartCharacters;
        t.caseTie = savedCase;
        t.accentTie = savedAccent;
        t.punctuation = savedPunctuation;
        atRestart = true;
      }
      t.primary = 0;
      if (a.order == 0) {
        // Text 1 ended but the pattern after the star did not: no match.
        if (a.cut) return Undecided(-1, level);
        if (level) *level = KvLEVEL_WILDCARD;
        return -1;
      }
    }

    if (primaryOut != nullptr && (op & KvCMP_OP_SKIP_SPACES) != 0 &&
        (limit < 0 || (a.characters <= limit && b.characters <= limit)))
      *primaryOut = t.primary;

    if (t.primary != 0 || a.order == 0 || (b.order == 0 && !starActive)) break;
  }
  const long result = Conclude(t, op, level);
  return a.AtCutEnd() || b.AtCutEnd() ? Undecided(result, level) : result;
}

// The order table of a text, read directly where a character collates as
// one plain element: one record, no contraction, no expansion, no variant
// of the language. Such characters need no iterator.
struct PlainReader {
  PlainReader(const KvCodeSet* codeSet, uint8_t language, uint8_t unitFormat)
      : table(codeSet->OrderTableGet()),
        limit(table != nullptr ? table->limit : 0),
        weights(table != nullptr ? table->plainWeights : nullptr),
        wide(KvCodeSetIsWide(codeSet->IdGet())),
        msbFirst(unitFormat == 2),
        orders(codeSet->IdGet() == KvCS_ORDERS),
        variants(false),
        cls(codeSet->CollationClassGet(language)) {
    // The neutral language has no variants; the look-up is for the others.
    if (language != KvLANG_NEUTRAL) {
      const KvLanguage* lang = KvLanguageContext::QueryLanguage(language);
      variants = lang != nullptr && lang->hasVariants != 0;
    }
    plainBound = variants ? KvPLAIN_HAS_VARIANTS - 1 : 0xFFFFFFFFu;
  }

  uint16_t UnitAt(const char* text, uint32_t i) const {
    if (!wide) return static_cast<uint8_t>(text[i]);
    const uint8_t* p = reinterpret_cast<const uint8_t*>(text + 2 * i);
    if (msbFirst) return static_cast<uint16_t>(p[0] << 8 | p[1]);
    uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
  }

  // The weight of a plain significant element (0 for the end of the text),
  // or false for any other character.
  bool PlainWeight(uint16_t unit, uint32_t* weight) const {
    if (!orders && unit < limit) {
      // The common case first: one table read. A weight passes when it is
      // nonzero and, for a language with variants, unmarked; the end of
      // the text has weight 0 and passes too. Told apart without a branch:
      // where a text ends is as good as random.
      const uint32_t w = weights[unit];
      *weight = w & ~KvPLAIN_HAS_VARIANTS;
      return (w - 1 < plainBound) | (unit == 0);
    }
    if (unit == 0) {
      *weight = 0;
      return true;
    }
    if (orders) {
      // Order text (index keys): each unit is its order; ignorable ones
      // and the unit that ends a key at a change of class take the
      // general walk.
      if (unit <= kLastSymbolOrder || KvKeyClassAfter(unit, cls) != 0) return false;
      *weight = unit == KvKEY_LARGEST ? kLargestWeight : WeightOf(unit, cls);
      return true;
    }
    // Beyond the records the order is the value itself, in class 20.
    *weight = WeightOf(unit, KvCLASS_OUTSIDE_TABLES);
    return true;
  }

  const KvOrderTable* table;
  uint16_t limit;            // the table's, held here so that the walk keeps
  const uint32_t* weights;   // them in registers
  bool wide;
  bool msbFirst;
  bool orders;
  bool variants;
  uint8_t cls;
  // Table weights w with w - 1 below this are plain for the language:
  // nonzero, and without the variant mark where the language has variants.
  uint32_t plainBound;
};

// `first` where `useFirst`, else `second`, chosen without a branch.
uint32_t Pick(bool useFirst, uint32_t first, uint32_t second) {
  const uint32_t mask = 0u - static_cast<uint32_t>(useFirst);  // all ones or none
  return (first & mask) | (second & ~mask);
}

// The first of the `units` units of 1 byte (2 when `wide`) that two
// buffers both hold where they differ or `a` holds a zero unit, or `units`
// when there is none. Eight 16-bit units a load with SSE2, eight bytes a
// load otherwise (the better for 8-bit texts, which are mostly short) on a
// little-endian machine, elsewhere unit by unit: the first stop is the
// lowest flagged lane, whatever the units' own byte order. Loads stay
// within the units given: the last ones are read by a load that overlaps
// the ones before, and the two last loads are combined without a branch
// (where texts part is as good as random).
uint32_t FirstStop(const char* a, const char* b, uint32_t units, bool wide) {
  // Divisions by the unit's width are shifts by `wide`.
  const uint32_t bytes = units << wide;
  uint32_t n = 0;  // bytes known equal and free of zero units
#if defined(__SSE2__)
  if (wide && bytes >= 16) {
    auto stopsIn = [&](uint32_t at) {
      const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + at));
      const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + at));
      const __m128i same =
          _mm_andnot_si128(_mm_cmpeq_epi16(x, _mm_setzero_si128()), _mm_cmpeq_epi16(x, y));
      return ~static_cast<uint32_t>(_mm_movemask_epi8(same)) & 0xFFFF;
    };
    for (; n + 32 <= bytes; n += 16)
      if (const uint32_t stop = stopsIn(n); stop != 0) return (n + std::countr_zero(stop)) >> 1;
    // A bit above the lanes keeps the count of trailing zeros from
    // branching on an empty mask: the second load then points to `bytes`.
    const uint32_t first = stopsIn(n), second = stopsIn(bytes - 16);
    const uint32_t inFirst = n + std::countr_zero(first | 0x10000u);
    const uint32_t inSecond = bytes - 16 + std::countr_zero(second | 0x10000u);
    return Pick(first != 0, inFirst, inSecond) >> 1;
  }
#endif
  if (std::endian::native == std::endian::little && bytes >= 8) {
    const uint64_t ones = wide ? 0x0001000100010001ull : 0x0101010101010101ull;
    const uint64_t highs = ones << (wide ? 15 : 7);
    auto stopsIn = [&](uint32_t at) {
      uint64_t x, y;
      std::memcpy(&x, a + at, 8);
      std::memcpy(&y, b + at, 8);
      // Zero flags are exact for the lowest zero unit; the units below it,
      // all nonzero, borrow nothing into it.
      return (x ^ y) | ((x - ones) & ~x & highs);
    };
    for (; n + 16 <= bytes; n += 8) {
      const uint64_t stop = stopsIn(n);
      if (stop != 0) return (n + std::countr_zero(stop) / 8) >> wide;
    }
    constexpr uint64_t kTop = uint64_t{1} << 63;
    const uint64_t first = stopsIn(n), second = stopsIn(bytes - 8);
    const uint32_t inFirst = n + std::countr_zero(first | kTop) / 8;
    const uint32_t inSecond = bytes - 8 + std::countr_zero(second | kTop) / 8 + (second == 0);
    return Pick(first != 0, inFirst, inSecond) >> wide;
  }
  for (n = 0; n < units; ++n) {
    const char* x = a + (n << wide);
    const char* y = b + (n << wide);
    if (x[0] != y[0] || (wide && x[1] != y[1]) || (x[0] == 0 && (!wide || x[1] == 0))) break;
  }
  return n;
}

// The number of identical leading units of two texts, the terminator
// excluded: several units a load within `safeBytes`, the bytes both
// buffers hold, and unit by unit beyond (each text ends in a zero unit, so
// this stops within the shorter one).
uint32_t CommonUnits(const char* a, const char* b, uint32_t safeBytes, bool wide) {
  uint32_t n = 0;
  if (safeBytes >= 8) {  // shorter buffers go straight to the unit walk
    const uint32_t safe = safeBytes >> wide;
    n = FirstStop(a, b, safe, wide);
    if (n < safe) return n;
  }
  if (!wide) {
    while (a[n] == b[n] && a[n] != 0) ++n;
  } else {
    while (a[2 * n] == b[2 * n] && a[2 * n + 1] == b[2 * n + 1] &&
           (a[2 * n] != 0 || a[2 * n + 1] != 0))
      ++n;
  }
  return n;
}

// Units of an identical start of both texts that the walk may skip: the
// same units in the same code set and language collate alike, so they add
// nothing to any level. The start is cut back to just after a plain
// significant element (so that it cuts no contraction and no ignorable
// order before it can matter after it), and is empty when a wildcard of
// the pattern lies in it.
uint32_t SkippablePrefix(const KvCollateText& a, const KvCollateText& b, const PlainReader& r,
                         uint16_t op) {
  if (a.text == nullptr || b.text == nullptr || a.language != b.language) return 0;
  uint32_t n = CommonUnits(a.text, b.text, a.bytes < b.bytes ? a.bytes : b.bytes, r.wide);
  if (n == 0) return 0;
  if ((op & KvCMP_OP_EXACT) == 0) {
    // '*' and '?' have these units in every code set the library knows;
    // in order text, their orders.
    const uint16_t star = r.orders ? KvStarOrder() : uint16_t{'*'};
    const uint16_t question = r.orders ? KvQuestionOrder() : uint16_t{'?'};
    for (uint32_t i = 0; i < n; ++i) {
      const uint16_t u = r.UnitAt(a.text, i);
      if (u == star || u == question) return 0;
    }
  }
  uint32_t weight;
  while (n > 0 && !r.PlainWeight(r.UnitAt(a.text, n - 1), &weight)) --n;
  return n;
}

// The walk of texts in one code set and language while both stand at
// plain significant elements (letters and digits without contraction or
// expansion), compared straight from the order table, tie-breaks and all.
// Most texts are made of nothing else. Without a limit, an identical start
// is passed over first (and `from1`, `from2` move past it). Returns false,
// with nothing decided, at the first element that is not plain or
// significant (an ignorable order, a wildcard, an expansion): the general
// walk then takes over from the texts' (new) start.
bool CollatePlain(const PlainReader& reader, KvCollateText* from1, KvCollateText* from2,
                  uint16_t op, int32_t limit, long* primary, int* level, long* result) {
  if (limit < 0) {
    const uint32_t skip = SkippablePrefix(*from1, *from2, reader, op) * (reader.wide ? 2 : 1);
    from1->text += skip;
    from2->text += skip;
  }
  if (op & KvCMP_OP_SIMPLE) return false;
  Ties t;
  for (int32_t n = 0;; ++n) {
    uint32_t w1 = 0, w2 = 0;
    if ((limit < 0 || n < limit) && (!reader.PlainWeight(reader.UnitAt(from1->text, n), &w1) ||
                                     !reader.PlainWeight(reader.UnitAt(from2->text, n), &w2)))
      return false;
    t.primary = PrimaryOf(w1, w2);
    if (primary != nullptr && (op & KvCMP_OP_SKIP_SPACES) != 0) *primary = t.primary;
    if ((t.primary != 0) | (w1 == 0)) {
      *result = Conclude(t, op, level);
      if ((w1 == 0 && from1->cut) || (w2 == 0 && from2->cut)) Undecided(*result, level);
      return true;
    }
    GatherTies(t, w1, w2);
  }
}

// ---- Index keys in place ----

// Unit i of key text in `unitFormat`.
uint16_t KeyUnitAt(const uint8_t* p, uint32_t i, bool msbFirst) {
  if (msbFirst) return static_cast<uint16_t>(p[2 * i] << 8 | p[2 * i + 1]);
  uint16_t v;
  std::memcpy(&v, p + 2 * i, 2);
  return v;
}

// Whether a key unit is a letter or digit of either class that weighs as
// WeightOf says: above the ignorable orders, below the unit that closes a
// marked key of class 1 and the largest element.
bool PlainKeyUnit(uint32_t unit) { return unit > kLastSymbolOrder && unit < KvKEY_ABOVE_CLASS_1; }

// The weight of a key unit that the walk takes as a plain significant
// element (0 for the end), or false for one it treats otherwise: an
// ignorable order, or the unit that closes a marked key. As PlainReader
// weighs order text.
bool KeyUnitWeight(uint16_t unit, uint8_t cls, uint32_t* weight) {
  if (unit == 0) {
    *weight = 0;
    return true;
  }
  if (unit <= kLastSymbolOrder || KvKeyClassAfter(unit, cls) != 0) return false;
  *weight = unit == KvKEY_LARGEST ? kLargestWeight : WeightOf(unit, cls);
  return true;
}

// The common case of KeyOrder, decided in a few steps: after a plain
// unit, the units at k are letters or digits (or a key's end) whose
// primary fields differ, or both keys end. A letter's primary field is its
// letter bits, anything else's the whole unit, under the class (as WeightOf
// weighs them); an end weighs 0. False where KeyOrder must look further.
inline bool PrimaryDecides(const uint8_t* key1, uint32_t n1, const uint8_t* key2, uint32_t n2,
                           uint32_t k, uint8_t cls, bool msbFirst, long* result) {
  if (k > 0 && !PlainKeyUnit(KeyUnitAt(key1, k - 1, msbFirst))) return false;
  const uint32_t u1 = k < n1 ? KeyUnitAt(key1, k, msbFirst) : 0;
  const uint32_t u2 = k < n2 ? KeyUnitAt(key2, k, msbFirst) : 0;
  if ((u1 != 0 && !PlainKeyUnit(u1)) || (u2 != 0 && !PlainKeyUnit(u2))) return false;
  // No unit of class 20 is taken for a letter.
  const uint32_t letter = cls == KvCLASS_OUTSIDE_TABLES ? 0x10000 : 0x4000;
  auto primary = [&](uint32_t u) {
    const uint32_t field = (u & 0xC000) == letter ? u & 0x407F : u;
    return u == 0 ? 0 : static_cast<uint32_t>(cls) << 24 | field << 8;
  };
  const uint32_t p1 = primary(u1);
  const uint32_t p2 = primary(u2);
  if (p1 == p2 && u1 != 0) return false;  // the tie-breaks decide, or a later unit
  *result = static_cast<long>(p1) - static_cast<long>(p2);
  return true;
}

// The order of two keys from unit k, the first where they differ or end.
// Kept out of line: PrimaryDecides settles most compares without it.
[[gnu::noinline]] bool KeyOrder(const uint8_t* key1, uint32_t n1, const uint8_t* key2,
                                uint32_t n2, uint32_t k, uint8_t cls, uint16_t op, bool msbFirst,
                                long* result) {
  // The walk starts there only when the unit before is a plain element;
  // otherwise it goes back over ignorable orders, which is the general
  // walk's business.
  if (k > 0) {
    const uint16_t before = KeyUnitAt(key1, k - 1, msbFirst);
    if (before <= kLastSymbolOrder || KvKeyClassAfter(before, cls) != 0) return false;
  }
  // Mostly the first differing unit differs in its primary field and
  // decides; the tie-breaks are gathered only while primaries stay equal.
  Ties t;
  for (uint32_t i = k;; ++i) {
    const uint16_t u1 = i < n1 ? KeyUnitAt(key1, i, msbFirst) : 0;
    const uint16_t u2 = i < n2 ? KeyUnitAt(key2, i, msbFirst) : 0;
    // The same letter or digit in both adds nothing to any level: after an
    // accent or a case, keys mostly go on alike.
    if (u1 == u2 && PlainKeyUnit(u1)) continue;
    uint32_t w1, w2;
    if (!KeyUnitWeight(u1, cls, &w1) || !KeyUnitWeight(u2, cls, &w2)) return false;
    t.primary = PrimaryOf(w1, w2);
    if (t.primary != 0 || w1 == 0) {
      *result = Conclude(t, op, nullptr);
      return true;
    }
    GatherTies(t, w1, w2);
  }
}

// A key against a pattern key whose units are plain elements up to a '*'
// that ends it: the condition "begins with", which an index scan meets on
// every key. The prefix decides as the exact walk does, and a key that
// holds it matches with the tie-breaks the prefix gathered: whatever
// follows, ignorable orders included, is the star's and counts for
// nothing. Patterns that hold anything else (a '?', a '*' within,
// ignorable orders), and keys that hold an ignorable order within the
// prefix, take the general walk.
[[gnu::noinline]] bool KeyPrefixOrder(const uint8_t* key1, uint32_t n1, const uint8_t* key2,
                                      uint32_t n2, uint8_t cls, uint16_t op, bool msbFirst,
                                      long* result) {
  const WildcardOrders& wildcards = Wildcards();
  Ties t;
  uint32_t i = 0;
  for (;; ++i) {
    const uint16_t unit = i < n2 ? KeyUnitAt(key2, i, msbFirst) : 0;
    if (unit == wildcards.star) break;
    const uint16_t own = i < n1 ? KeyUnitAt(key1, i, msbFirst) : 0;
    // The same letter or digit in both adds nothing to any level: most
    // keys a scan meets begin with the prefix itself.
    if (own == unit && PlainKeyUnit(unit)) continue;
    uint32_t w1, w2;
    if (unit == 0 || unit == wildcards.question || !KeyUnitWeight(unit, cls, &w2) ||
        !KeyUnitWeight(own, cls, &w1))
      return false;
    t.primary = PrimaryOf(w1, w2);
    if (t.primary != 0) {
      *result = Conclude(t, op, nullptr);
      return true;
    }
    GatherTies(t, w1, w2);
  }
  if (i + 1 < n2 && KeyUnitAt(key2, i + 1, msbFirst) != 0) return false;
  *result = Conclude(t, op, nullptr);
  return true;
}

}  // namespace

uint16_t KvStarOrder() { return Wildcards().star; }

uint16_t KvQuestionOrder() { return Wildcards().question; }

namespace {

// A text with the code set and language its walk reads it in: the
// character layer takes 255 for the default code set and language.
KvCollateText ReadAs(const KvCollateText& t) {
  KvCollateText r = t;
  if (r.codeSet == 255) r.codeSet = KvLanguageContext::GetDefault8CodeSet();
  if (r.language == 255) r.language = KvLanguageContext::GetDefaultLanguage();
  return r;
}

long Collate(const KvCollateText& a, const KvCollateText& b, uint16_t op, int32_t limit,
             uint8_t unitFormat, long* primary, int* level, bool fast) {
  if (level) *level = KvLEVEL_EQUAL;
  if (limit == 0) return 0;
  if (a.codeSet == 0 && b.codeSet == 0) {
    const uint8_t* t1 = reinterpret_cast<const uint8_t*>(a.text);
    const uint8_t* t2 = reinterpret_cast<const uint8_t*>(b.text);
    const bool bytes = (op & (KvCMP_OP_EXACT | KvCMP_OP_SIMPLE)) != 0;
    const long result = bytes ? CompareBytes(t1, t2, limit) : MatchBytes(t1, t2, limit);
    if (level && result != 0) *level = KvLEVEL_BYTES;
    // With a cut text, bytes decide where both hold one; a pattern walk is
    // left to the whole texts.
    if ((a.cut || b.cut) && (!bytes || CutEndDecides(t1, a.cut, t2, b.cut, limit)))
      return Undecided(result, level);
    return result;
  }
  // The fast path must read each text as the walk does (0: the native
  // code set; 255: the default 8-bit code set and the default language).
  KvCollateText from1 = ReadAs(a);
  KvCollateText from2 = ReadAs(b);
  const uint8_t cs1 = from1.codeSet == 0 ? KvLanguageContext::GetNativeCodeSet() : from1.codeSet;
  const uint8_t cs2 = from2.codeSet == 0 ? KvLanguageContext::GetNativeCodeSet() : from2.codeSet;
  if (fast && cs1 == cs2 && from1.language == from2.language && a.text != nullptr &&
      b.text != nullptr) {
    const PlainReader reader(KvLanguageContext::QueryCodeSet(cs1), from1.language, unitFormat);
    long result;
    if ((reader.table != nullptr || reader.orders) &&
        CollatePlain(reader, &from1, &from2, op, limit, primary, level, &result))
      return result;
  }
  Side s1(from1, unitFormat);
  Side s2(from2, unitFormat);
  if (op & KvCMP_OP_SIMPLE) return CompareSimple(s1, s2, limit, level);
  return LevelWalk(s1, s2, op, limit, primary, level);
}

}  // namespace

long KvCollate(const KvCollateText& a, const KvCollateText& b, uint16_t op, int32_t limit,
               uint8_t unitFormat, long* primary, int* level) {
  return Collate(a, b, op, limit, unitFormat, primary, level, true);
}

long KvCollateGeneral(const KvCollateText& a, const KvCollateText& b, uint16_t op, int32_t limit,
                      uint8_t unitFormat, long* primary, int* level) {
  return Collate(a, b, op, limit, unitFormat, primary, level, false);
}

int16_t KvFindWildcard(const KvCollateText& t, bool starOnly, int32_t limit,
                       uint32_t* byteOffset, uint8_t unitFormat) {
  if (t.text == nullptr) return -1;
  const uint8_t cs = t.codeSet == 0 ? KvLanguageContext::GetNativeCodeSet() : t.codeSet;
  const uint32_t width = KvCodeSetIsWide(cs) ? 2 : 1;
  for (int32_t i = 0; limit < 0 || i < limit; ++i) {
    const char* p = t.text + i * width;
    KvChar ch(const_cast<char*>(p), cs, t.language, unitFormat);
    const uint16_t v = ch.ValueGet();
    if (v == 0) return -1;
    // Code set 0 text is matched by bytes; the others by collation order,
    // as the engine matches them.
    const uint16_t order = t.codeSet == 0 ? v : ch.OrderGet();
    const bool star = t.codeSet == 0 ? v == '*' : order == KvStarOrder();
    const bool question = t.codeSet == 0 ? v == '?' : order == KvQuestionOrder();
    if (star || (!starOnly && question)) {
      if (byteOffset) *byteOffset = static_cast<uint32_t>(i * width);
      return static_cast<int16_t>(i);
    }
  }
  return -1;
}

bool KvCollateKeys(const uint8_t* key1, uint32_t bytes1, const uint8_t* key2, uint32_t bytes2,
                   uint8_t cls, uint16_t op, uint8_t unitFormat, long* result) {
  const bool msbFirst = unitFormat == 2;
  const uint32_t n1 = bytes1 / 2;
  const uint32_t n2 = bytes2 / 2;
  if ((op & KvCMP_OP_EXACT) == 0)
    return KeyPrefixOrder(key1, n1, key2, n2, cls, op, msbFirst, result);
  // The units equal in both add nothing to any level (as SkippablePrefix
  // finds): the walk starts where they part.
  const uint32_t k = FirstStop(reinterpret_cast<const char*>(key1),
                               reinterpret_cast<const char*>(key2), n1 < n2 ? n1 : n2, true);
  return PrimaryDecides(key1, n1, key2, n2, k, cls, msbFirst, result) ||
         KeyOrder(key1, n1, key2, n2, k, cls, op, msbFirst, result);
}
