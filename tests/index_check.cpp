// index_check — the index contract checked at scale. For every condition
// an engine scans the index (keys sorted by the compare function, bounds
// from the evaluator, key compares falling back to the whole values where
// a key cannot decide); it must return exactly the rows that a full scan
// comparing whole values returns, every final key compare must agree with
// the whole values, and keys must order as their values. The French and
// German word lists (and Greek, Cyrillic, CJK, mixed and long texts made
// from them) feed the string types; random values and edges the number and
// date types.
//
//   index_check [--stride N | --full] [--only TYPE] [--threads N] [--examples N]
//
// Exit 0: no mismatch; 1: mismatches; 2: a wrong argument; 77: the word
// lists are missing.
#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <cstdio>
#include <deque>
#include <fstream>
#include <functional>
#include <limits>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "kvtm/kvtm.h"

using Bytes = std::vector<uint8_t>;
using Strings = std::vector<std::string>;
using U16 = std::u16string;
using std::to_string;
size_t examples = 3;  // of each kind of mismatch in a report

// The generator's sequence is fixed by the standard, so every platform and
// run makes the same inputs.
struct Rng : std::mt19937_64 {
  using std::mt19937_64::mt19937_64;
  size_t Below(size_t n) { return n == 0 ? 0 : (*this)() % n; }
};

static int Sign(long v) { return (v > 0) - (v < 0); }

// A text in the code set and language of a configuration: decoded into
// 253, then mapped (a character code set 1 lacks becomes its substitute).
static KvString MakeString(const std::string& utf8, uint8_t codeSet, uint8_t language) {
  KvString s(253, language);
  KvMBS2KvString(utf8.c_str(), s, static_cast<long>(utf8.size()));
  if (codeSet != 253) s.MapToCodeSet(codeSet);
  return s;
}

// Text of the Basic Multilingual Plane, as the word lists are, as units and back.
static U16 Units(const std::string& utf8) {
  const KvString s = MakeString(utf8, 253, 1);
  return U16(reinterpret_cast<const char16_t*>(s.StrGet()), s.Len());
}
static std::string Utf8(const U16& u) {
  std::string out;
  char bytes[4];
  for (char16_t c : u) out.append(bytes, KvWChar2MultiByte(bytes, c));
  return out;
}

// ---- The engine: rows, their keys, conditions, the index scan and the full scan.

// One part of a condition: relation bits (eq 1, lt 2, gt 4), compare
// operator, the value in memory form and stored in the table's format.
struct Part { unsigned short rel, op; void* value; Bytes stored; };
// One part, or a range: ge X and le Y. For a pattern "P*", mustMatch tells
// whether row i's text is P, or P followed by a character that is no
// letter, so that the row must match whatever the scans say.
struct Condition { std::vector<Part> parts; std::function<bool(size_t)> mustMatch; };
using Outcome = std::pair<size_t, std::string>;  // mismatches; counts by kind, the first few of each

static bool Holds(unsigned short rel, long r) {
  return (r < 0 && (rel & KvREL_LESS)) || (r == 0 && (rel & KvREL_EQUAL)) || (r > 0 && (rel & KvREL_GREATER));
}

template <class T>
struct Table {
  std::string name;
  char id;
  uint8_t format;
  std::vector<T> rows = {};
  std::deque<T> probes = {};  // condition values; a deque keeps their addresses
  std::vector<Condition> conditions = {};
  KvTypeMgr mgr = KvTypeMgr();
  int status = 0, ignored = 0;  // of the last key compare, of full compares

  int Full(const void* a, const void* b, unsigned short op) {
    return Sign(mgr.Cmp(id, 0, const_cast<void*>(a), 0, const_cast<void*>(b), op, 1, 8, ignored));
  }
  long Key(const Bytes& a, const Bytes& b, unsigned short op) {
    return mgr.Cmp(id, a.size(), const_cast<uint8_t*>(a.data()), b.size(), const_cast<uint8_t*>(b.data()), op, 1,
                   format, status = 0);
  }
  Part MakePart(const T& value, unsigned short rel, unsigned short op) {
    Bytes stored(mgr.DiskLenGet(id, &probes.emplace_back(value), format, 1, 8));
    return {rel, op, &probes.back(), (stored.resize(mgr.Store(id, stored.data(), &probes.back(), format, 1)), stored)};
  }
  void Add(const T& v, unsigned short r, unsigned short o) { conditions.push_back({{MakePart(v, r, o)}, nullptr}); }
  void AddRange(const T& a, const T& b, unsigned short op) {  // in the order the values sort
    const bool swap = Full(&a, &b, op | KvCMP_EXACT) > 0;
    conditions.push_back({{MakePart(swap ? b : a, 5, op), MakePart(swap ? a : b, 3, op)}, nullptr});
  }

  // A value for a report, as the row prints it (doubles in full), in UTF-8 and shortened.
  std::string Show(const T& v) {
    KvString text(253, 1);
    mgr.PrintToKvString(id, text, const_cast<T*>(&v), id == KvTYPE_DOUBLE ? "%.17g" : nullptr, 1).MapToCodeSet(253);
    const U16 units(reinterpret_cast<const char16_t*>(text.StrGet()), text.Len());
    return "\"" + Utf8(units.substr(0, 40)) + (units.size() > 40 ? "…\"" : "\"");
  }

  Outcome Run() {
    const size_t n = rows.size();
    std::map<std::string, size_t> kinds;  // mismatches by kind, the first few of each in samples
    std::string samples;
    auto record = [&](const std::string& kind, const std::function<std::string()>& text) {
      if (kinds[kind]++ < examples) samples += "    " + kind + ": " + text() + "\n";
    };
    std::vector<Bytes> keys(n);  // the key form of texts, the stored form of the others
    uint8_t k[KvINDEX_MAX_KEYLEN];
    const bool text = id == KvTYPE_STRING || id == KvTYPE_ISTRING || id == KvTYPE_CASEISTRING;
    for (size_t i = 0; i < n; ++i)
      keys[i].assign(k, k + (text ? mgr.Translate(id, k, format | 0x80, sizeof k, &rows[i], 8, 0, 1)
                                  : mgr.Store(id, k, &rows[i], format, 1)));
    // The order contract: values sorted by the full compare have keys in
    // the same order (equal values, equal keys): the index sorts by any
    // non-zero key compare, incomplete or not. The key compare is
    // antisymmetric (random pairs after the adjacent ones). Stable sorts
    // stay within bounds whatever the compare.
    std::vector<uint32_t> byValue(n), index(n);
    for (uint32_t i = 0; i < n; ++i) byValue[i] = index[i] = i;
    std::stable_sort(byValue.begin(), byValue.end(),
                     [&](uint32_t a, uint32_t b) { return Full(&rows[a], &rows[b], KvCMP_EXACT) < 0; });
    Rng pairs{n};
    for (size_t i = 1; i < n + std::min<size_t>(n, 20000); ++i) {
      const bool adjacent = i < n;
      const uint32_t a = adjacent ? byValue[i - 1] : uint32_t(pairs.Below(n));
      const uint32_t b = adjacent ? byValue[i] : uint32_t(pairs.Below(n));
      const int key = Sign(Key(keys[a], keys[b], KvCMP_EXACT)), back = Sign(Key(keys[b], keys[a], KvCMP_EXACT)),
                f = adjacent ? Full(&rows[a], &rows[b], KvCMP_EXACT) : 0;
      if (const char* kind = key != -back                                    ? "order: key compare not antisymmetric"
                             : adjacent && f > 0                             ? "order: full compare not transitive"
                             : adjacent && (key > 0 || (f == 0 && key != 0)) ? "order: keys not sorted as values"
                                                                             : nullptr)
        record(kind, [&] { return Show(rows[a]) + " then " + Show(rows[b]) + " | full " + to_string(f) + ", key " +
                                  to_string(key) + ", reversed " + to_string(back); });
    }
    // The index: by key, by value where the key compare gives 0, then by insertion.
    std::stable_sort(index.begin(), index.end(), [&](uint32_t a, uint32_t b) {
      const long key = Key(keys[a], keys[b], KvCMP_EXACT);
      return key != 0 ? key < 0 : Full(&rows[a], &rows[b], KvCMP_EXACT) < 0;
    });
    std::vector<uint8_t> state(n);
    enum : uint8_t { kFull = 1, kInBounds = 2, kScanned = 4, kWrongSign = 8 };
    for (const Condition& c : conditions) {
      const size_t m = c.parts.size();
      std::string shown;
      KvIdxBounds b = {nullptr, nullptr, 0, 0};
      for (const Part& p : c.parts) {  // the operator rides in the relation word; the value is a copy
        unsigned short relation = static_cast<unsigned short>(p.rel | p.op);
        mgr.EvalAndBound(id, nullptr, relation, Bytes(p.stored).data(), format, 1, &b);
        shown += "rel " + to_string(p.rel) + " op " + to_string(p.op) + " " + Show(*static_cast<T*>(p.value)) + " ";
      }
      const Bytes low(b.low, b.low + (b.low ? b.lowLength : 0)), high(b.high, b.high + (b.high ? b.highLength : 0));
      for (uint8_t* key : {b.low, b.high}) KvMemFree(key);
      std::vector<int8_t> full(n * m);
      for (size_t i = 0; i < n; ++i) {
        bool in = true;
        for (size_t j = 0; j < m; ++j)
          in = Holds(c.parts[j].rel, full[i * m + j] = int8_t(Full(&rows[i], c.parts[j].value, c.parts[j].op))) && in;
        if (!(state[i] = in ? kFull : 0) && c.mustMatch && c.mustMatch(i))
          record("pattern: a text beginning with its text does not match",
                 [&] { return shown + "| value " + Show(rows[i]); });
      }
      // From the first key at or above the low bound while keys stay at or
      // below the high bound (no bound: from the start, to the end).
      auto below = [&](uint32_t x, const Bytes& bound) { return Key(keys[x], bound, KvCMP_EXACT) < 0; };
      size_t pos = low.empty() ? 0 : std::lower_bound(index.begin(), index.end(), low, below) - index.begin();
      for (; pos < n && (high.empty() || Key(keys[index[pos]], high, KvCMP_EXACT) <= 0); ++pos) {
        uint8_t& s = state[index[pos]];
        bool keep = true;
        for (size_t j = 0; j < m; ++j) {
          const long r = Key(keys[index[pos]], c.parts[j].stored, c.parts[j].op), whole = full[index[pos] * m + j];
          if (status != KvCMP_INCOMPLETE && Sign(r) != whole) s |= kWrongSign;
          keep = Holds(c.parts[j].rel, status == KvCMP_INCOMPLETE ? whole : r) && keep;
        }
        s |= keep ? kInBounds | kScanned : kInBounds;
      }
      for (size_t i = 0; i < n; ++i)
        if (!(state[i] & kFull) != !(state[i] & kScanned) || (state[i] & kWrongSign))
          record(state[i] & kInBounds ? "key compare final but wrong sign" : "outside bounds",
                 [&] { return shown + "| value " + Show(rows[i]) + ((state[i] & kFull) ? " matches" : " no match"); });
    }
    size_t total = 0;
    std::string lines;
    for (const auto& [kind, count] : kinds) total += count, lines += "  " + to_string(count) + " " + kind + "\n";
    return {total, name + ": " + to_string(n) + " values, " + to_string(conditions.size()) + " conditions, " +
                       to_string(total) + " mismatches\n" + lines + samples};
  }
};

// ---- Inputs.

struct TextPart { std::string text; unsigned short rel, op; };
// The cases of faults once found (their rows are among the mixed texts).
const std::vector<TextPart> kStringCases = {
    {"удщ", 1, 0x10}, {"x", 2, 0x10}, {"abc", 4, 0x10}, {"Straß*", 1, 0}, {"Straß*", 1, 0x20},
    {"ß" + std::string(123, 'a'), 1, 0x10}, {"offs-et", 1, 0x200}, {"a b", 1, 0x80}, {"abz", 5, 0x10},
    {"aujourdz", 5, 0x10}, {"a*", 1, 0}, {"l*", 1, 0}, {"x*", 1, 0}, {"offset", 1, 0x200}, {"ab", 1, 0x80},
    {" *", 4, 0}, {"gu-*", 1, 0x200}, {"STRA*", 1, 0x20}, {"x *", 1, 0}, {"a -*", 1, 0x60}};
const std::vector<TextPart> kInsensitiveCases = {{"ez", 4, 0}, {"ez", 4, 0x10}, {"a\\*b", 1, 0}, {"a\\\\b", 1, 0}};
const char16_t kGreek[] = u"αβψδεφγηιξκλμνοπθρστυβωχυζ";  // a to z, letter by letter
const char16_t kCyrillic[] = u"абцдефгхийклмнопярстувшжыз";

static U16 Transliterate(const U16& w, const char16_t* table, Rng& rng) {
  static const U16 plain = u"αεηιουω", tonos = u"άέήίόύώ";
  U16 out;
  for (char16_t c : w) {
    if ((c < 'a' || c > 'z') && (c < 'A' || c > 'Z')) continue;
    char16_t t = table[(c | 0x20) - 'a'];
    if (const size_t v = plain.find(t); table == kGreek && v != U16::npos && rng.Below(6) == 0) t = tonos[v];
    out += c <= 'Z' ? char16_t(t - 0x20) : t;  // capitals stay capitals
  }
  return out;
}

// KvString rows (UTF-8), insensitive rows (UTF-8 of Windows-1252 texts),
// the texts the conditions of each are made from.
struct Inputs { Strings texts, eight, pool, eightPool; };

static Inputs MakeInputs(const Strings& words, size_t stride) {
  const size_t scale = std::min<size_t>(stride, 10);  // generated rows: a tenth in a sample
  Inputs in;
  Rng rng{7};
  auto word = [&] { return Units(words[rng.Below(words.size())]); };
  auto cjk = [&](size_t n) { U16 out; while (n-- > 0) out += char16_t(0x4E00 + rng.Below(0x51A6)); return out; };
  Strings nonLatin, longTexts;
  for (size_t k = 0; k < 4000 / scale; ++k) {
    const size_t what = rng.Below(5);
    const U16 t = what < 2 ? Transliterate(word(), kGreek, rng)
                  : what < 4 ? Transliterate(word(), kCyrillic, rng) : cjk(2 + rng.Below(2));
    if (!t.empty()) nonLatin.push_back(Utf8(t));
  }
  // The rows of the fixed conditions below first, then mixed scripts,
  // symbols, spaces and digits.
  Strings mixed = {"удщ", "日本", "€uro", "abc", "ab", "a b", "ab日本", "abz", "aujourd’hui", "aujourd'hui", "a-b",
                   "l'eau", "x y", "x", "offset", "offs-et", "Straßenbahnhaltestelle" + std::string(150, 'x'),
                   "ß" + std::string(130, 'a'), "ß" + std::string(123, 'a'), "gullydeckel" + std::string(130, 'x'),
                   "æther", "œuvre", "Ærø", "naïve", "Müller", "Stra-ße"};
  static const U16 inserts[] = {u"-", u"'", u" ", u"’", u"€", u"æ", u"œ", u"ß", u"0", u"42"};
  for (size_t k = 0; k < 400; ++k) {
    U16 w = word();
    switch (rng.Below(6)) {
      case 0: w += Transliterate(word(), kGreek, rng).substr(0, 1 + rng.Below(3)); break;
      case 1: w = Transliterate(word(), kCyrillic, rng).substr(0, 1 + rng.Below(3)) + w; break;
      case 2: w += cjk(1 + rng.Below(2)); break;
      case 3: w = cjk(1) + w; break;
      default: w.insert(rng.Below(w.size() + 1), inserts[rng.Below(std::size(inserts))]); break;
    }
    mixed.push_back(Utf8(w));
  }
  // Texts of 200 to 400 characters, whose keys are cut; half of them share
  // one of 40 starts of 100 to 150 characters, so that their cut keys tie.
  static const U16 heads[] = {u"ß", u"æ", u"œ", u"ä", u"ö", u"ü", u"Æ", u"Œ"};
  std::vector<U16> starts(40);
  for (size_t k = 0; k < 40; ++k) {
    U16& b = starts[k] = word();
    while (b.size() < 100 + rng.Below(50)) b += (rng.Below(3) ? u" " : u"-") + word();
    if (k % 3 == 0) b.insert(rng.Below(10), heads[rng.Below(std::size(heads))]);
  }
  for (size_t k = 0; k < 2500 / scale; ++k) {
    U16 t = rng.Below(2) ? starts[rng.Below(starts.size())] : word();
    const size_t length = 200 + rng.Below(201);
    while (t.size() < length) t += (rng.Below(3) ? u" " : u"-") + word();
    longTexts.push_back(Utf8(t.substr(0, length)));
  }
  in.texts = words;
  for (auto* more : {&nonLatin, &mixed, &longTexts}) in.texts.insert(in.texts.end(), more->begin(), more->end());
  // Conditions from words mostly, the generated texts too; then the cases
  // of faults once found.
  Strings& pool = in.pool;
  for (size_t k = 0; k < 3000; ++k) pool.push_back(words[rng.Below(words.size())]);
  const Strings* others[] = {&nonLatin, &mixed, &longTexts};
  for (size_t k = 0; k < 600; ++k) pool.push_back((*others[k % 3])[rng.Below(others[k % 3]->size())]);
  const Strings extras = {"éa", "ez", "a*b", "a?b", "what?", "c:\\dir", "a\\b", "50%"};
  in.eight = words, in.eightPool.assign(pool.begin(), pool.begin() + 3000);
  for (Strings* s : {&in.eight, &in.eightPool}) s->insert(s->end(), extras.begin(), extras.end());
  return in;
}

// ---- The configurations.

// Rows made from `sources` by `make`. Conditions over a pool of texts:
// equal, patterns (a trailing star at any length or after a character that
// expands or is ignorable, '?', a star in the middle), every relation,
// ranges, escapes for the insensitive types; then the cases of faults once
// found. A trailing star matches whatever follows its text: mustMatch, but
// for a letter after it (Danish "aa" is one letter: "Baad" is no "Ba*").
// The insensitive rows hold the texts in Windows-1252.
template <class T>
static Outcome TextCheck(Table<T> t, const Inputs& in, const std::function<T(const std::string&)>& make = [](auto& s) {
  return T(MakeString(s, 1, 1).StrGet());
}) {
  const bool insensitive = t.id != KvTYPE_STRING;
  const Strings &sources = insensitive ? in.eight : in.texts, &pool = insensitive ? in.eightPool : in.pool;
  for (const std::string& s : sources) t.rows.push_back(make(s));
  auto add = [&](const std::string& text, unsigned short rel, unsigned short op) {
    t.Add(make(text), rel, op);
    if (rel == KvREL_EQUAL && (op & 0x0110) == 0 && text.size() > 1 && text.find_first_of("*?\\") == text.size() - 1 &&
        text.back() == '*')
      t.conditions.back().mustMatch = [&sources, p = text.substr(0, text.size() - 1)](size_t i) {
        const unsigned char next = sources[i].size() > p.size() ? sources[i][p.size()] | 0x20 : 0;
        return sources[i].compare(0, p.size(), p) == 0 && next < 0x80 && (next < 'a' || next > 'z');
      };
  };
  static const unsigned short kOps[] = {0, 0x10, 0x20, 0x40, 0x60, 0x80, 0x200, 0x280, 0x2E0, 0xA0, 0x30, 0x220};
  static const U16 special = u"ßæœÆŒ -'’€.äöü";
  Rng rng{insensitive ? 2u : 1u};
  std::vector<std::pair<size_t, size_t>> spots;  // a text and a special character in it
  for (size_t i = 0, at; i < pool.size(); ++i)
    if (const U16 u = Units(pool[i]); (at = u.find_first_of(special, rng.Below(u.size()))) < u.size() - 1)
      spots.push_back({i, at});
  while (t.conditions.size() < (insensitive ? 296 : 283)) {
    const unsigned short op = insensitive ? (rng.Below(2) ? 0 : 0x10) : kOps[rng.Below(std::size(kOps))];
    const U16 w = Units(pool[rng.Below(pool.size())]);
    if (w.empty()) continue;
    const size_t i = rng.Below(w.size()), j = i + rng.Below(w.size() - i);
    const auto [p, at] = spots.empty() ? std::pair<size_t, size_t>() : spots[rng.Below(spots.size())];
    U16 text = w;
    unsigned short rel = KvREL_EQUAL;
    switch (rng.Below(insensitive ? 8 : 7)) {
      case 1: text = w.substr(0, i + 1) + u"*"; break;
      case 2: text = Units(pool[p]).substr(0, at + 1) + u"*"; break;
      case 3: text[i] = u'?'; break;
      case 4: text = w.substr(0, i) + u"*" + w.substr(j + 1); break;
      case 5: text.back() += rng.Below(3) == 0, rel = static_cast<unsigned short>(2 + rng.Below(5)); break;  // lt to ne
      case 6: t.AddRange(make(Utf8(w)), make(pool[rng.Below(pool.size())]), op); continue;
      case 7: text.insert(i, rng.Below(2) ? u"\\" : rng.Below(2) ? u"\\*" : u"\\?"); break;  // escapes
    }
    add(Utf8(text), rel, op);
  }
  for (const TextPart& c : insensitive ? kInsensitiveCases : kStringCases) add(c.text, c.rel, c.op);
  return t.Run();
}

// Rows: edges, then random values. Conditions: edges, random values and
// rows (passed through `condition`) under every relation, a fifth ranges.
template <class T>
static Outcome ScalarCheck(Table<T> t, size_t count, const std::vector<T>& edges, const std::function<T(Rng&)>& random,
                           const std::function<T(Rng&, T)>& condition = [](Rng&, T v) { return v; }) {
  Rng rng{11};
  for (t.rows = edges; t.rows.size() < count;) t.rows.push_back(random(rng));
  auto pick = [&] {
    const size_t what = rng.Below(4);
    return condition(rng, what == 0   ? edges[rng.Below(edges.size())]
                          : what == 1 ? random(rng) : t.rows[rng.Below(count)]);
  };
  for (size_t k = 0; k < 300; ++k)
    if (k % 5 == 4) t.AddRange(pick(), pick(), 0);
    else t.Add(pick(), static_cast<unsigned short>(1 + rng.Below(6)), 0);
  return t.Run();
}

static int RandomInt(Rng& r) {  // any, or small
  return static_cast<int>(r.Below(2) ? static_cast<uint32_t>(r()) : static_cast<uint32_t>(r.Below(2001)) - 1000u);
}

static double RandomDouble(Rng& r) {
  const uint64_t what = r.Below(4), bits = r();
  return what == 0 ? std::bit_cast<double>(bits)  // any bits: NaNs and denormals too
         : what == 1 ? (double(r.Below(2000001)) - 1e6) / 1024 : what == 2 ? double(r.Below(201)) - 100
                     : std::ldexp(r.Below(2) ? 1.0 : -1.0, int(r.Below(2100)) - 1075);
}

static KvDate RandomDate(Rng& r) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  // -1 is the wildcard year.
  const int y = -4713 + int(r.Below(14713)), year = y == -1 ? -2 : y, month = 1 + int(r.Below(12));
  const bool leap = month == 2 && year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
  return KvDate(short(year), (signed char)month, (signed char)(1 + r.Below(days[month - 1] + leap)));
}

static KvDate WithWildcards(Rng& r, KvDate d) {  // -1: any year, month, day, or month and day
  const size_t what = r.Below(8);
  return KvDate(what == 0 ? short{-1} : d.YearGet(), what == 1 || what == 3 ? (signed char)-1 : d.MonthGet(),
                what == 2 || what == 3 ? (signed char)-1 : d.DayGet());
}

int main(int argc, char** argv) {
  size_t stride = 20, threads = std::max(1u, std::thread::hardware_concurrency()), lines = 0;
  std::string only;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    size_t* n = a == "--stride" ? &stride : a == "--threads" ? &threads : a == "--examples" ? &examples : nullptr;
    if (a == "--full") stride = 1;
    else if (i + 1 < argc && a == "--only") only = argv[++i];
    else if (i + 1 < argc && n) *n = std::max<size_t>(std::strtoul(argv[++i], nullptr, 10), n != &examples);
    else return std::fputs("usage: index_check [--stride N | --full] [--only TYPE] [--threads N] [--examples N]\n",
                           stderr), 2;
  }
  Strings words;
  for (const char* path : {"/usr/share/dict/french", "/usr/share/dict/ngerman"}) {
    std::ifstream file(path);
    if (!file) return std::printf("%s missing (packages wfrench, wngerman): skipped\n", path), 77;
    for (std::string w; std::getline(file, w); ++lines) if (lines % stride == 0 && !w.empty()) words.push_back(w);
  }
  ___KvTypemgrContext(1);
  KvSetAssertHandler([](const char*, const char*, int) {});  // cut bounds are reported, as expected here
  const Inputs in = MakeInputs(words, stride);
  // Number and date rows: 100,000 in the full run, 10,000 in the sample, fewer in thinner samples.
  const size_t scalars = stride <= 20 ? 100000 / std::min<size_t>(stride, 10) : 200000 / stride;
  using L = std::numeric_limits<double>;
  const std::vector<double> doubles = {0.0, -0.0, L::infinity(), -L::infinity(), L::quiet_NaN(), -L::quiet_NaN(),
                                       L::signaling_NaN(), L::denorm_min(), -L::denorm_min(), 3 * L::denorm_min(),
                                       L::min(), -L::min(), L::max(), L::lowest(), 1.0, -1.0, std::nextafter(1.0, 2.0)};
  const std::vector<KvDate> dates = {{-4713, 1, 1}, {9999, 12, 31}, {0, 2, 29},     {0, 1, 1},     {-2, 12, 31},
                                     {1, 1, 1},     {1582, 10, 4},  {1582, 10, 15}, {1900, 2, 28}, {2000, 2, 29},
                                     {1970, 1, 1},  {4600, 3, 1},   {9999, 1, 1}};
  // Each job makes and checks one configuration; --only keeps a type's.
  std::vector<std::function<Outcome()>> jobs;
  auto add = [&](const std::string& type, const std::string& config, auto check) {
    if (only.empty() || only == type) jobs.push_back([=] { return check(type + config); });
  };
  for (uint8_t f : {1, 2}) {
    const std::string format = " format " + to_string(f);
    for (uint8_t cs : {253, 1})
      for (uint8_t lang : {1, 3, 5})
        add("KvString", " cs " + to_string(cs) + " lang " + to_string(lang) + format, [=, &in](std::string n) {
          return TextCheck<KvString>({n, KvTYPE_STRING, f}, in, [=](auto& s) { return MakeString(s, cs, lang); });
        });
    add("KvIString", format, [=, &in](std::string n) { return TextCheck<KvIString>({n, KvTYPE_ISTRING, f}, in); });
    add("KvCaseIString", format,
        [=, &in](std::string n) { return TextCheck<KvCaseIString>({n, KvTYPE_CASEISTRING, f}, in); });
    const std::vector<int> ints = {-2147483647 - 1, -2147483647, -1, 0, 1, 2147483646, 2147483647};
    add("int", format, [=](std::string n) { return ScalarCheck<int>({n, KvTYPE_INT, f}, scalars, ints, RandomInt); });
    add("double", format,
        [=](std::string n) { return ScalarCheck<double>({n, KvTYPE_DOUBLE, f}, scalars, doubles, RandomDouble); });
    add("KvDate", format, [=](std::string n) {
      return ScalarCheck<KvDate>({n, KvTYPE_DATE, f}, scalars, dates, RandomDate, WithWildcards);
    });
  }
  // One configuration at a time on each thread.
  std::vector<Outcome> outcomes(jobs.size());
  std::atomic<size_t> next{0};
  std::vector<std::thread> pool(std::min(threads, jobs.size()));
  for (std::thread& t : pool)
    t = std::thread([&] { for (size_t j; (j = next++) < jobs.size();) outcomes[j] = jobs[j](); });
  for (std::thread& t : pool) t.join();
  size_t total = 0;
  std::printf("index against full scan: stride %zu over %zu words\n", stride, lines);
  for (const Outcome& o : outcomes) total += o.first, std::fputs(o.second.c_str(), stdout);
  std::printf("%zu mismatches in %zu configurations\n", total, outcomes.size());
  ___KvTypemgrContext(0);
  return total == 0 ? 0 : 1;
}
