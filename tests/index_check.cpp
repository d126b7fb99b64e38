// index_check — the index contract checked at scale. For every condition
// an engine scans the index (keys sorted by the compare function, bounds
// from the evaluator, key compares falling back to the whole values where
// a key cannot decide); it must return exactly the rows that a full scan
// comparing whole values returns. The French and German word lists (and
// Greek, Cyrillic, CJK, mixed and long texts made from them) feed the
// string types; random values and edges the number and date types.
//
//   index_check [--stride N | --full] [--only TYPE] [--threads N] [--examples N]
//
// Exit 0: no mismatch; 1: mismatches; 77: the word lists are missing.
#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cinttypes>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <deque>
#include <fstream>
#include <functional>
#include <limits>
#include <map>
#include <numeric>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "kvtm/kvtm.h"

namespace {

using Bytes = std::vector<uint8_t>;

// The generator's sequence is fixed by the standard, so every platform and
// run makes the same inputs.
struct Rng : std::mt19937_64 {
  using std::mt19937_64::mt19937_64;
  uint64_t Next() { return (*this)(); }
  size_t Below(size_t n) { return n == 0 ? 0 : Next() % n; }
};

int Sign(long v) { return (v > 0) - (v < 0); }

// Text of the Basic Multilingual Plane, as the word lists are.
std::u16string Units(const std::string& s) {
  std::u16string out;
  unsigned short unit;
  for (size_t i = 0; i < s.size();) {
    const int n = KvMultiByte2WChar(&unit, const_cast<char*>(s.data()) + i, static_cast<unsigned>(s.size() - i));
    if (n <= 0) break;
    out += static_cast<char16_t>(unit);
    i += static_cast<size_t>(n);
  }
  return out;
}

std::string Utf8(const std::u16string& u) {
  std::string out;
  char bytes[4];
  for (char16_t c : u) out.append(bytes, KvWChar2MultiByte(bytes, c));
  return out;
}

// A text in the code set and language of a configuration: decoded into
// 253, then mapped (a character code set 1 lacks becomes its substitute).
KvString MakeString(const std::string& utf8, uint8_t codeSet, uint8_t language) {
  KvString s(253, language);
  KvMBS2KvString(utf8.c_str(), s, static_cast<long>(utf8.size()));
  if (codeSet != 253) s.MapToCodeSet(codeSet);
  return s;
}

// A text for a report: UTF-8 (control characters, the substitute 0x1A
// among them, escaped), shortened, and its first characters in hex
// unless it is printable ASCII.
std::string ShowText(const KvString& s) {
  char* utf8 = nullptr;
  long size = 0;
  const long n = KvString2MultiByteString(s, utf8, size);
  const std::u16string u = Units(n > 0 ? std::string(utf8, n) : std::string());
  KvMemFree(utf8);
  std::string out = "\"", hex;
  bool plain = true;
  for (size_t i = 0; i < u.size(); ++i) {
    char piece[8];
    std::snprintf(piece, sizeof piece, "\\x%02X", u[i]);
    if (i < 40) out += u[i] < 0x20 ? piece : Utf8(u.substr(i, 1));
    if (i < 12) hex += (hex.empty() ? "" : " ") + std::string(piece + 2);
    plain = plain && u[i] >= 0x20 && u[i] < 0x80;
  }
  out += u.size() > 40 ? "…\" (" + std::to_string(u.size()) + " chars)" : "\"";
  return plain ? out : out + " [" + hex + (u.size() > 12 ? " …" : "") + "]";
}

// ---- The engine: rows, their keys, conditions, the index scan and the full scan.

struct Part {
  unsigned short rel, op;  // relation bits (eq 1, lt 2, gt 4) and compare operator
  void* value;             // the condition value in memory form
  Bytes stored;            // ... and stored in the configuration's format
};

struct Condition {
  std::vector<Part> parts;  // one, or a range: ge X and le Y
  // For a pattern "P*": whether row i's text is P, or P followed by a
  // character that is no letter, so that the row must match whatever the
  // scans say (null for other conditions).
  std::function<bool(size_t)> mustMatch;
};

struct Outcome {
  size_t mismatches = 0;
  std::string report;  // counts, mismatches by kind, the first few of each
};

bool Holds(unsigned short rel, long r) {
  return (r < 0 && (rel & KvREL_LESS)) || (r == 0 && (rel & KvREL_EQUAL)) || (r > 0 && (rel & KvREL_GREATER));
}

template <class T>
struct Table {
  Table(std::string n, char i, uint8_t f, bool k, std::function<std::string(const T&)> s)
      : name(std::move(n)), id(i), format(f), keyForm(k), show(std::move(s)) {}
  std::string name;
  char id;
  uint8_t format;
  bool keyForm;  // keys translated into the key form, else the stored form
  std::function<std::string(const T&)> show;
  std::vector<T> rows;
  std::deque<T> probes;  // condition values; a deque keeps their addresses
  std::vector<Condition> conditions;
  KvTypeMgr mgr;

  int Full(const void* a, const void* b, unsigned short op) {
    int status = 0;
    return Sign(mgr.Cmp(id, 0, const_cast<void*>(a), 0, const_cast<void*>(b), op, 1, 8, status));
  }
  long KeyCmp(const Bytes& a, const Bytes& b, unsigned short op, int& status) {
    status = 0;
    return mgr.Cmp(id, a.size(), const_cast<uint8_t*>(a.data()), b.size(), const_cast<uint8_t*>(b.data()), op, 1,
                   format, status);
  }
  Part MakePart(const T& value, unsigned short rel, unsigned short op) {
    probes.push_back(value);
    Bytes stored(mgr.DiskLenGet(id, &probes.back(), format, 1, 8));
    stored.resize(mgr.Store(id, stored.data(), &probes.back(), format, 1));
    return {rel, op, &probes.back(), stored};
  }
  void Add(const T& v, unsigned short rel, unsigned short op) {
    conditions.push_back({{MakePart(v, rel, op)}, nullptr});
  }
  // ge low and le high, the two in the order the values sort.
  void AddRange(const T& a, const T& b, unsigned short op) {
    const bool swap = Full(&a, &b, op | KvCMP_EXACT) > 0;
    conditions.push_back({{MakePart(swap ? b : a, 5, op), MakePart(swap ? a : b, 3, op)}, nullptr});
  }
  std::string ShowCondition(const Condition& c) {
    static const char* const names[] = {"?", "eq", "lt", "le", "gt", "ge", "ne", "?"};
    std::string out;
    for (const Part& p : c.parts) out += std::string(names[p.rel & 7]) + " " + show(*static_cast<T*>(p.value)) + " ";
    char op[16];
    std::snprintf(op, sizeof op, "op 0x%04X", c.parts[0].op);
    return out + op;
  }
  Outcome Run(size_t examplesPerKind);
};

template <class T>
Outcome Table<T>::Run(size_t examplesPerKind) {
  const size_t n = rows.size();
  std::map<std::string, std::pair<size_t, std::string>> kinds;  // count, examples
  auto record = [&](const std::string& kind, const std::function<std::string()>& text) {
    if (kinds[kind].first++ < examplesPerKind) kinds[kind].second += "    " + kind + ": " + text() + "\n";
  };
  std::vector<Bytes> keys(n);
  uint8_t buffer[KvINDEX_MAX_KEYLEN];
  for (size_t i = 0; i < n; ++i) {
    const unsigned long length = keyForm ? mgr.Translate(id, buffer, format | 0x80, sizeof buffer, &rows[i], 8, 0, 1)
                                         : mgr.Store(id, buffer, &rows[i], format, 1);
    keys[i].assign(buffer, buffer + length);
  }

  // The order contract: values sorted by the full compare have keys in
  // the same order (equal values, equal keys): the index sorts by any
  // non-zero key compare, incomplete or not. The key compare is
  // antisymmetric. Stable sorts stay within bounds whatever the compare.
  std::vector<uint32_t> byValue(n);
  std::iota(byValue.begin(), byValue.end(), 0);
  std::stable_sort(byValue.begin(), byValue.end(),
                   [&](uint32_t a, uint32_t b) { return Full(&rows[a], &rows[b], KvCMP_EXACT) < 0; });
  Rng pairs{n};
  for (size_t i = 1; i < n + std::min<size_t>(n, 20000); ++i) {
    const bool adjacent = i < n;  // then random pairs, for antisymmetry
    const uint32_t a = adjacent ? byValue[i - 1] : static_cast<uint32_t>(pairs.Below(n));
    const uint32_t b = adjacent ? byValue[i] : static_cast<uint32_t>(pairs.Below(n));
    int status;
    const int k = Sign(KeyCmp(keys[a], keys[b], KvCMP_EXACT, status));
    const int back = Sign(KeyCmp(keys[b], keys[a], KvCMP_EXACT, status));
    const int f = adjacent ? Full(&rows[a], &rows[b], KvCMP_EXACT) : 0;
    const char* kind = k != -back                                  ? "order: key compare not antisymmetric"
                       : adjacent && f > 0                         ? "order: full compare not transitive"
                       : adjacent && (k > 0 || (f == 0 && k != 0)) ? "order: keys not sorted as values"
                                                                   : nullptr;
    if (kind != nullptr) {
      record(kind, [&] {
        return show(rows[a]) + " then " + show(rows[b]) + " | full compare " + std::to_string(f) +
               ", key compare " + std::to_string(k) + ", reversed " + std::to_string(back);
      });
    }
  }

  // The index: by key, by value where the key compare gives 0, then by
  // insertion.
  std::vector<uint32_t> index(n);
  std::iota(index.begin(), index.end(), 0);
  std::stable_sort(index.begin(), index.end(), [&](uint32_t a, uint32_t b) {
    int status;
    const long k = KeyCmp(keys[a], keys[b], KvCMP_EXACT, status);
    return k != 0 ? k < 0 : Full(&rows[a], &rows[b], KvCMP_EXACT) < 0;
  });

  std::vector<int8_t> full;
  std::vector<uint8_t> state(n);
  enum : uint8_t { kFull = 1, kInBounds = 2, kScanned = 4, kWrongSign = 8 };
  for (const Condition& c : conditions) {
    const std::vector<Part>& parts = c.parts;
    const size_t m = parts.size();
    KvIdxBounds bounds = {nullptr, nullptr, 0, 0};
    for (const Part& p : parts) {  // the operator rides in the relation word
      unsigned short relation = static_cast<unsigned short>(p.rel | p.op);
      Bytes value = p.stored;
      mgr.EvalAndBound(id, nullptr, relation, value.data(), format, 1, &bounds);
    }
    const Bytes low(bounds.low, bounds.low + (bounds.low ? bounds.lowLength : 0));
    const Bytes high(bounds.high, bounds.high + (bounds.high ? bounds.highLength : 0));
    KvMemFree(bounds.low);
    KvMemFree(bounds.high);
    full.assign(n * m, 0);
    for (size_t i = 0; i < n; ++i) {
      bool in = true;
      for (size_t j = 0; j < m; ++j) {
        full[i * m + j] = static_cast<int8_t>(Full(&rows[i], parts[j].value, parts[j].op));
        in = Holds(parts[j].rel, full[i * m + j]) && in;
      }
      state[i] = in ? kFull : 0;
      if (!in && c.mustMatch && c.mustMatch(i)) {
        record("pattern: a text beginning with its text does not match", [&] {
          return ShowCondition(c) + " | value " + show(rows[i]) + " | full compare " + std::to_string(full[i * m]);
        });
      }
    }
    // From the first key at or above the low bound while keys stay at or
    // below the high bound (no bound: from the start, to the end).
    int status;
    auto below = [&](uint32_t x, const Bytes& bound) { return KeyCmp(keys[x], bound, KvCMP_EXACT, status) < 0; };
    size_t pos = low.empty() ? 0 : std::lower_bound(index.begin(), index.end(), low, below) - index.begin();
    for (; pos < n && (high.empty() || KeyCmp(keys[index[pos]], high, KvCMP_EXACT, status) <= 0); ++pos) {
      const uint32_t x = index[pos];
      bool keep = true;
      state[x] |= kInBounds;
      for (size_t j = 0; j < m; ++j) {
        long r = KeyCmp(keys[x], parts[j].stored, parts[j].op, status);
        if (status == KvCMP_INCOMPLETE) {
          r = full[x * m + j];
        } else if (Sign(r) != full[x * m + j]) {
          state[x] |= kWrongSign;
        }
        keep = Holds(parts[j].rel, r) && keep;
      }
      if (keep) state[x] |= kScanned;
    }
    for (size_t i = 0; i < n; ++i) {
      const uint8_t s = state[i];
      if (!(s & kFull) == !(s & kScanned) && !(s & kWrongSign)) continue;
      record((s & kFull) && !(s & kInBounds) ? "outside bounds" : "key compare final but wrong sign", [&] {
        std::string scan = !(s & kInBounds) ? "outside bounds" : (s & kScanned) ? "returned" : "not returned";
        std::string whole = (s & kFull) ? "matches" : "no match";
        for (size_t j = 0; j < m; ++j) {
          const long r = KeyCmp(keys[i], parts[j].stored, parts[j].op, status);
          if (s & kInBounds)
            scan += ", key " + std::to_string(Sign(r)) + (status == KvCMP_INCOMPLETE ? " incomplete" : " final");
          whole += ", cmp " + std::to_string(full[i * m + j]);
        }
        return ShowCondition(c) + " | value " + show(rows[i]) + " | scan: " + scan + " | full: " + whole;
      });
    }
  }
  Outcome out;
  std::string lines;
  for (const auto& [kind, count] : kinds) {
    out.mismatches += count.first;
    lines += "  " + std::to_string(count.first) + " " + kind + "\n";
  }
  out.report = name + ": " + std::to_string(n) + " values, " + std::to_string(conditions.size()) + " conditions, " +
               std::to_string(out.mismatches) + " mismatches\n" + lines;
  for (const auto& [kind, count] : kinds) out.report += count.second;
  return out;
}

// ---- Inputs.

struct TextPart {
  std::string text;
  unsigned short rel, op;
};
using TextCondition = std::vector<TextPart>;

struct Inputs {
  std::vector<std::string> texts;  // KvString rows, UTF-8
  std::vector<std::string> eight;  // KvIString rows, UTF-8 of Windows-1252 texts
  std::vector<TextCondition> stringConditions, insensitiveConditions;
};

const char16_t kGreek[] = u"αβψδεφγηιξκλμνοπθρστυβωχυζ";  // a to z, letter by letter
const char16_t kCyrillic[] = u"абцдефгхийклмнопярстувшжыз";

std::u16string Transliterate(const std::u16string& w, const char16_t* table, Rng& rng) {
  static const std::u16string plain = u"αεηιουω", tonos = u"άέήίόύώ";
  std::u16string out;
  for (char16_t c : w) {
    const bool upper = c >= 'A' && c <= 'Z';
    if (!upper && (c < 'a' || c > 'z')) continue;
    char16_t t = table[(c | 0x20) - 'a'];
    const size_t v = plain.find(t);
    if (table == kGreek && v != std::u16string::npos && rng.Below(6) == 0) t = tonos[v];
    out += upper ? static_cast<char16_t>(t - 0x20) : t;
  }
  return out;
}

// Conditions over a pool of texts: equal, patterns (a trailing star at any
// length or after a character that expands or is ignorable, '?', a star
// in the middle), every relation, ranges; escapes for the insensitive types.
std::vector<TextCondition> MakeTextConditions(const std::vector<std::string>& pool, size_t count, bool insensitive) {
  static const unsigned short kOps[] = {0, 0x10, 0x20, 0x40, 0x60, 0x80, 0x200, 0x280, 0x2E0, 0xA0, 0x30, 0x220};
  static const std::u16string special = u"ßæœÆŒ -'’€.äöü";
  Rng rng{insensitive ? 2u : 1u};
  std::vector<std::pair<size_t, size_t>> afterSpecial;  // a text and a special character in it
  for (size_t i = 0; i < pool.size(); ++i) {
    const std::u16string u = Units(pool[i]);
    const size_t at = u.find_first_of(special, rng.Below(u.size()));
    if (at != std::u16string::npos && at + 1 < u.size()) afterSpecial.push_back({i, at});
  }
  std::vector<TextCondition> out;
  while (out.size() < count) {
    const unsigned short op = insensitive ? (rng.Below(2) ? 0 : 0x10) : kOps[rng.Below(std::size(kOps))];
    const std::u16string w = Units(pool[rng.Below(pool.size())]);
    if (w.empty()) continue;
    const size_t i = rng.Below(w.size()), j = i + rng.Below(w.size() - i);
    const auto [t, at] =
        afterSpecial.empty() ? std::pair<size_t, size_t>() : afterSpecial[rng.Below(afterSpecial.size())];
    std::u16string text = w;
    unsigned short rel = KvREL_EQUAL;
    switch (rng.Below(insensitive ? 8 : 7)) {
      case 1: text = w.substr(0, i + 1) + u"*"; break;
      case 2: text = Units(pool[t]).substr(0, at + 1) + u"*"; break;
      case 3: text[i] = u'?'; break;
      case 4: text = w.substr(0, i) + u"*" + w.substr(j + 1); break;
      case 5:
        if (rng.Below(3) == 0) ++text.back();
        rel = static_cast<unsigned short>(2 + rng.Below(5));  // lt, le, gt, ge, ne
        break;
      case 6: out.push_back({{Utf8(w), 5, op}, {pool[rng.Below(pool.size())], 3, op}}); continue;
      case 7: text.insert(i, rng.Below(2) ? u"\\" : rng.Below(2) ? u"\\*" : u"\\?"); break;  // escapes
    }
    out.push_back({{Utf8(text), rel, op}});
  }
  return out;
}

Inputs MakeInputs(const std::vector<std::string>& words, size_t stride) {
  const size_t scale = std::min<size_t>(stride, 10);  // generated rows: a tenth in a sample
  Inputs in;
  Rng rng{7};
  auto word = [&] { return Units(words[rng.Below(words.size())]); };
  auto cjk = [&](size_t n) {  // unified ideographs
    std::u16string out;
    while (n-- > 0) out += static_cast<char16_t>(0x4E00 + rng.Below(0x51A6));
    return out;
  };
  std::vector<std::string> nonLatin, longTexts;
  for (size_t k = 0; k < 4000 / scale; ++k) {
    const size_t what = rng.Below(5);
    const std::u16string t = what < 2 ? Transliterate(word(), kGreek, rng)
                             : what < 4 ? Transliterate(word(), kCyrillic, rng) : cjk(2 + rng.Below(2));
    if (!t.empty()) nonLatin.push_back(Utf8(t));
  }
  // The rows of the fixed conditions below first, then mixed scripts,
  // symbols, spaces and digits.
  std::vector<std::string> mixed = {
      "удщ", "日本", "€uro", "abc", "ab", "a b", "ab日本", "abz", "aujourd’hui", "aujourd'hui", "a-b",
      "l'eau", "x y", "x", "offset", "offs-et", "Straßenbahnhaltestelle" + std::string(150, 'x'),
      "ß" + std::string(130, 'a'), "ß" + std::string(123, 'a'), "gullydeckel" + std::string(130, 'x'), "æther",
      "œuvre", "Ærø", "naïve", "Müller", "Stra-ße"};
  static const std::u16string inserts[] = {u"-", u"'", u" ", u"’", u"€", u"æ", u"œ", u"ß", u"0", u"42"};
  for (size_t k = 0; k < 400; ++k) {
    std::u16string w = word();
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
  static const std::u16string heads[] = {u"ß", u"æ", u"œ", u"ä", u"ö", u"ü", u"Æ", u"Œ"};
  std::vector<std::u16string> starts;
  for (size_t k = 0; k < 40; ++k) {
    std::u16string b = word();
    while (b.size() < 100 + rng.Below(50)) b += (rng.Below(3) ? u" " : u"-") + word();
    if (k % 3 == 0) b.insert(rng.Below(10), heads[rng.Below(std::size(heads))]);
    starts.push_back(b);
  }
  for (size_t k = 0; k < 2500 / scale; ++k) {
    std::u16string t = rng.Below(2) ? starts[rng.Below(starts.size())] : word();
    const size_t length = 200 + rng.Below(201);
    while (t.size() < length) t += (rng.Below(3) ? u" " : u"-") + word();
    longTexts.push_back(Utf8(t.substr(0, length)));
  }
  in.texts = words;
  for (auto* more : {&nonLatin, &mixed, &longTexts}) in.texts.insert(in.texts.end(), more->begin(), more->end());

  // Conditions from words mostly, the generated texts too; then the cases
  // of faults once found.
  std::vector<std::string> pool;
  for (size_t k = 0; k < 3000; ++k) pool.push_back(words[rng.Below(words.size())]);
  const std::vector<std::string>* others[] = {&nonLatin, &mixed, &longTexts};
  for (size_t k = 0; k < 600; ++k) pool.push_back((*others[k % 3])[rng.Below(others[k % 3]->size())]);
  in.stringConditions = MakeTextConditions(pool, 283, false);
  in.stringConditions.insert(
      in.stringConditions.end(),
      {{{"удщ", 1, 0x10}}, {{"x", 2, 0x10}}, {{"abc", 4, 0x10}}, {{"Straß*", 1, 0}}, {{"Straß*", 1, 0x20}},
       {{"ß" + std::string(123, 'a'), 1, 0x10}}, {{"offs-et", 1, 0x200}}, {{"a b", 1, 0x80}},
       {{"abz", 5, 0x10}}, {{"aujourdz", 5, 0x10}}, {{"a*", 1, 0}}, {{"l*", 1, 0}}, {{"x*", 1, 0}},
       {{"offset", 1, 0x200}}, {{"ab", 1, 0x80}}, {{" *", 4, 0}}, {{"gu-*", 1, 0x200}}, {{"STRA*", 1, 0x20}}});

  const std::vector<std::string> extras = {"éa", "ez", "a*b", "a?b", "what?", "c:\\dir", "a\\b", "50%"};
  in.eight = words;
  in.eight.insert(in.eight.end(), extras.begin(), extras.end());
  pool.resize(3000);
  pool.insert(pool.end(), extras.begin(), extras.end());
  in.insensitiveConditions = MakeTextConditions(pool, 296, true);
  in.insensitiveConditions.insert(in.insensitiveConditions.end(),
                                  {{{"ez", 4, 0}}, {{"ez", 4, 0x10}}, {{"a\\*b", 1, 0}}, {{"a\\\\b", 1, 0}}});
  return in;
}

// ---- The configurations.

// Rows made from `sources` one by one, with `conditions`.
template <class T>
Outcome TextCheck(Table<T> t, const std::vector<std::string>& sources, const std::vector<TextCondition>& conditions,
                  const std::function<T(const std::string&)>& make, size_t examples) {
  t.rows.reserve(sources.size());
  for (const std::string& s : sources) t.rows.push_back(make(s));
  for (const TextCondition& c : conditions) {
    if (c.size() == 2) {
      t.AddRange(make(c[0].text), make(c[1].text), c[0].op);
      continue;
    }
    t.Add(make(c[0].text), c[0].rel, c[0].op);
    // A trailing star matches whatever follows its text; a letter after
    // it is left out (Danish "aa" is one letter: "Baad" is no "Ba*").
    const std::string p = c[0].text.substr(0, c[0].text.size() - 1);
    if (c[0].rel == KvREL_EQUAL && (c[0].op & 0x0110) == 0 && !p.empty() && c[0].text.back() == '*' &&
        p.find_first_of("*?\\") == std::string::npos) {
      t.conditions.back().mustMatch = [&sources, p](size_t i) {
        const unsigned char next = sources[i].size() > p.size() ? sources[i][p.size()] : 0;
        return sources[i].compare(0, p.size(), p) == 0 && next < 0x80 && !std::isalpha(next);
      };
    }
  }
  return t.Run(examples);
}

// Rows: edges, then random values. Conditions: edges, random values and
// rows (passed through `condition`) under every relation, a fifth ranges.
template <class T>
Outcome ScalarCheck(Table<T> t, size_t count, const std::vector<T>& edges, const std::function<T(Rng&)>& random,
                    size_t examples, const std::function<T(Rng&, T)>& condition = [](Rng&, T v) { return v; }) {
  Rng rng{11};
  t.rows = edges;
  while (t.rows.size() < count) t.rows.push_back(random(rng));
  auto pick = [&] {
    const size_t what = rng.Below(4);
    return condition(rng, what == 0   ? edges[rng.Below(edges.size())]
                          : what == 1 ? random(rng)
                                      : t.rows[rng.Below(count)]);
  };
  for (size_t k = 0; k < 300; ++k) {
    if (k % 5 == 4) {
      t.AddRange(pick(), pick(), 0);
    } else {
      t.Add(pick(), static_cast<unsigned short>(1 + rng.Below(6)), 0);
    }
  }
  return t.Run(examples);
}

template <class T>
T Eight(const std::string& s) {  // a KvIString or KvCaseIString of the text in Windows-1252
  return T(MakeString(s, 1, 1).StrGet());
}

std::string ShowDouble(const double& v) {
  uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  char text[64];
  std::snprintf(text, sizeof text, "%.17g (%016" PRIX64 ")", v, bits);
  return text;
}

std::string ShowDate(const KvDate& d) {
  auto field = [](int v) { return v == -1 ? std::string("*") : std::to_string(v); };
  return field(d.YearGet()) + "-" + field(d.MonthGet()) + "-" + field(d.DayGet());
}

int RandomInt(Rng& r) {  // any, or small
  return static_cast<int>(r.Below(2) ? static_cast<uint32_t>(r.Next()) : static_cast<uint32_t>(r.Below(2001)) - 1000u);
}

double RandomDouble(Rng& r) {
  const size_t what = r.Below(4);
  const uint64_t bits = r.Next();
  double d;
  std::memcpy(&d, &bits, sizeof d);  // any bits: NaNs and denormals too
  return what == 0   ? d
         : what == 1 ? (static_cast<double>(r.Below(2000001)) - 1e6) / 1024
         : what == 2 ? static_cast<double>(r.Below(201)) - 100
                     : std::ldexp(r.Below(2) ? 1.0 : -1.0, static_cast<int>(r.Below(2100)) - 1075);
}

KvDate RandomDate(Rng& r) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  int year = -4713 + static_cast<int>(r.Below(14713));
  if (year == -1) year = -2;  // -1 is the wildcard year, on either side of a compare
  const int month = 1 + static_cast<int>(r.Below(12));
  const bool leap = month == 2 && year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
  return KvDate(static_cast<short>(year), static_cast<signed char>(month),
                static_cast<signed char>(1 + r.Below(days[month - 1] + leap)));
}

KvDate WithWildcards(Rng& r, KvDate d) {  // -1: any year, month, day, or month and day
  const size_t what = r.Below(8);
  const signed char any = -1;
  return KvDate(what == 0 ? short{-1} : d.YearGet(), what == 1 || what == 3 ? any : d.MonthGet(),
                what == 2 || what == 3 ? any : d.DayGet());
}

bool ReadWords(const char* path, size_t stride, std::vector<std::string>& words, size_t& line) {
  std::ifstream file(path);
  for (std::string w; std::getline(file, w); ++line)
    if (line % stride == 0 && !w.empty()) words.push_back(w);
  return file.is_open();
}

}  // namespace

int main(int argc, char** argv) {
  size_t stride = 20, threads = std::max(1u, std::thread::hardware_concurrency()), examples = 3;
  std::string only;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const bool value = i + 1 < argc;
    if (a == "--full") {
      stride = 1;
    } else if (a == "--only" && value) {
      only = argv[++i];
    } else if (value && (a == "--stride" || a == "--threads" || a == "--examples")) {
      size_t& target = a == "--stride" ? stride : a == "--threads" ? threads : examples;
      target = std::max<size_t>(std::strtoul(argv[++i], nullptr, 10), a != "--examples");  // strides, threads >= 1
    } else {
      std::fprintf(stderr, "usage: index_check [--stride N | --full] [--only TYPE] [--threads N] [--examples N]\n");
      return 2;
    }
  }
  std::vector<std::string> words;
  size_t lines = 0;
  if (!ReadWords("/usr/share/dict/french", stride, words, lines) ||
      !ReadWords("/usr/share/dict/ngerman", stride, words, lines)) {
    std::printf("word lists /usr/share/dict/french and ngerman missing (packages wfrench, wngerman): skipped\n");
    return 77;
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
  auto showInsensitive = [](const auto& v) { return ShowText(KvString(v.StrGet())); };
  for (uint8_t f : {1, 2}) {
    const std::string format = " format " + std::to_string(f);
    for (uint8_t cs : {253, 1}) {
      for (uint8_t lang : {1, 3, 5}) {
        const std::string config = " cs " + std::to_string(cs) + " lang " + std::to_string(lang) + format;
        add("KvString", config, [=, &in](std::string name) {
          return TextCheck<KvString>({name, KvTYPE_STRING, f, true, ShowText}, in.texts, in.stringConditions,
                                     [=](const std::string& s) { return MakeString(s, cs, lang); }, examples);
        });
      }
    }
    add("KvIString", format, [=, &in](std::string name) {
      return TextCheck<KvIString>({name, KvTYPE_ISTRING, f, true, showInsensitive}, in.eight, in.insensitiveConditions,
                                  Eight<KvIString>, examples);
    });
    add("KvCaseIString", format, [=, &in](std::string name) {
      return TextCheck<KvCaseIString>({name, KvTYPE_CASEISTRING, f, true, showInsensitive}, in.eight,
                                      in.insensitiveConditions, Eight<KvCaseIString>, examples);
    });
    add("int", format, [=](std::string name) {
      return ScalarCheck<int>({name, KvTYPE_INT, f, false, [](const int& v) { return std::to_string(v); }}, scalars,
                              {INT_MIN, INT_MIN + 1, -1, 0, 1, INT_MAX - 1, INT_MAX}, RandomInt, examples);
    });
    add("double", format, [=](std::string name) {
      return ScalarCheck<double>({name, KvTYPE_DOUBLE, f, false, ShowDouble}, scalars, doubles, RandomDouble, examples);
    });
    add("KvDate", format, [=](std::string name) {
      return ScalarCheck<KvDate>({name, KvTYPE_DATE, f, false, ShowDate}, scalars, dates, RandomDate, examples,
                                 WithWildcards);
    });
  }
  // One configuration at a time on each thread.
  std::vector<Outcome> outcomes(jobs.size());
  std::atomic<size_t> next{0};
  auto work = [&] {
    for (size_t j; (j = next++) < jobs.size();) {
      const auto start = std::chrono::steady_clock::now();
      outcomes[j] = jobs[j]();
      const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      const std::string& report = outcomes[j].report;
      std::fprintf(stderr, "%.1f s: %s", seconds, report.substr(0, report.find('\n') + 1).c_str());
    }
  };
  std::vector<std::thread> pool;
  for (size_t k = 1; k < std::min(threads, jobs.size()); ++k) pool.emplace_back(work);
  work();
  for (std::thread& t : pool) t.join();

  size_t total = 0;
  std::printf("index against full scan: stride %zu over %zu words\n", stride, lines);
  for (const Outcome& o : outcomes) {
    total += o.mismatches;
    std::fputs(o.report.c_str(), stdout);
  }
  std::printf("%zu mismatches in %zu configurations\n", total, outcomes.size());
  ___KvTypemgrContext(0);
  return total == 0 ? 0 : 1;
}
