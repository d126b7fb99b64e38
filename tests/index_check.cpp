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
//   index_check [--stride N | --full | --orders] [--only TYPE] [--threads N] [--examples N]
//
// --orders checks every word, without the conditions: the order contract,
// and every key compare against the general walk (KvCompareStrings).
//
// Exit 0: no mismatch; 1: mismatches; 2: a wrong argument; 77: the word
// lists are missing.
#include <deque>
#include <map>

#include "index_inputs.h"
#include "kvstrcmp.h"
#include "kvcollate.h"

using std::to_string;
Options options{20, std::max(1u, std::thread::hardware_concurrency())};
bool ordersOnly = false;  // --orders: every word, the order contract alone, no conditions

// ---- The engine: rows, their keys, conditions, the index scan and the full scan.

// One part of a condition: relation bits (eq 1, lt 2, gt 4), compare
// operator, the value in memory form and stored in the table's format.
// A KvString part has its value's whole key too, which an index host may
// compare with its keys in place of the value (empty: the key is cut), and
// which keys compare with in place where it is a prefix and a '*'.
struct Part { unsigned short rel, op; void* value; Bytes stored, key = {}; };
// One part, or a range: ge X and le Y. For a pattern "P*", mustMatch tells
// whether row i's text is P, or P followed by a character that is no
// letter, so that the row must match whatever the scans say.
struct Condition { std::vector<Part> parts; std::function<bool(size_t)> mustMatch; };
using Outcome = std::pair<size_t, std::string>;  // mismatches; counts by kind, the first few of each

template <class T>
struct Table : Typed {
  std::string name;
  uint8_t format;
  std::vector<T> rows = {};
  std::deque<T> probes = {};  // condition values; a deque keeps their addresses
  std::vector<Condition> conditions = {};
  KvTypeMgr mgr = KvTypeMgr();
  int status = 0;  // of the last key compare

  size_t inPlaceDiffers = 0;  // key compares whose general walk gives another result or status
  std::function<T(size_t)> pattern = nullptr;  // KvString: row i's first characters and a '*'
  long Key(const Bytes& a, const Bytes& b, unsigned short op) {
    const long r = mgr.Cmp(id, a.size(), const_cast<uint8_t*>(a.data()), b.size(), const_cast<uint8_t*>(b.data()),
                           op, 1, format, status = 0);
    int general = 0;
    if (id == KvTYPE_STRING && (KvCompareStrings(format, a.size(), const_cast<uint8_t*>(a.data()), b.size(),
                                                 const_cast<uint8_t*>(b.data()), op, 1, general, false) != r ||
                                general != status))
      ++inPlaceDiffers;
    return r;
  }
  Part MakePart(const T& value, unsigned short rel, unsigned short op) {
    Bytes stored(mgr.DiskLenGet(id, &probes.emplace_back(value), format, 1, 8)), key(id == KvTYPE_STRING ? 65535 : 0);
    stored.resize(mgr.Store(id, stored.data(), &probes.back(), format, 1));
    key.resize(key.empty() ? 0 : mgr.Translate(id, key.data(), format | 0x80, key.size(), stored.data(), format, stored.size(), 1));
    if (key.size() < 6 || (format == 2 ? key[0] << 8 | key[1] : key[1] << 8 | key[0]) + 2u != key.size()) key.clear();
    return {rel, op, &probes.back(), stored, key};
  }
  void Add(const T& v, unsigned short r, unsigned short o) { conditions.push_back({{MakePart(v, r, o)}, nullptr}); }
  void AddRange(const T& a, const T& b, unsigned short op) {  // in the order the values sort
    const bool swap = Full(&a, &b, op | KvCMP_EXACT) > 0;
    conditions.push_back({{MakePart(swap ? b : a, 5, op), MakePart(swap ? a : b, 3, op)}, nullptr});
  }

  Outcome Run() {
    const size_t n = rows.size();
    std::map<std::string, size_t> kinds;  // mismatches by kind, the first few of each in samples
    std::string samples;
    auto record = [&](const std::string& kind, const std::function<std::string()>& text) {
      if (kinds[kind]++ < options.examples) samples += "    " + kind + ": " + text() + "\n";
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
    // antisymmetric (random pairs after the adjacent ones: 100,000 for
    // texts, fewer in the thin samples of the slow builds). Stable sorts
    // stay within bounds whatever the compare.
    std::vector<uint32_t> byValue(n), index(n);
    for (uint32_t i = 0; i < n; ++i) byValue[i] = index[i] = i;
    std::stable_sort(byValue.begin(), byValue.end(),
                     [&](uint32_t a, uint32_t b) { return Full(&rows[a], &rows[b], KvCMP_EXACT) < 0; });
    Rng pairs{n};
    const size_t random = text ? std::min<size_t>(100000, 2000000 / options.stride) : std::min<size_t>(n, 20000);
    for (size_t i = 1; i < n + random; ++i) {
      const bool adjacent = i < n;
      const uint32_t a = adjacent ? byValue[i - 1] : uint32_t(pairs.Below(n));
      const uint32_t b = adjacent ? byValue[i] : uint32_t(pairs.Below(n));
      for (unsigned short op : {0x0090, 0x0210, 0x0290})  // the other words of the in-place key compare
        Key(keys[a], keys[b], op), Key(keys[b], keys[a], op);
      if (pattern) {  // and a key against a prefix's, under operators with wildcards
        const T p = pattern(b);
        const Bytes prefix(k, k + mgr.Translate(id, k, format | 0x80, sizeof k, const_cast<T*>(&p), 8, 0, 1));
        // 0x60 (case and accents ignored), and each word of the bits 0x20,
        // 0x40, 0x80 and 0x200 in turn.
        const unsigned short mix = (i & 3) << 5 | (i & 4) << 5 | (i & 8) << 6;
        for (unsigned short op : {0x0060, int(mix)}) Key(keys[a], prefix, op);
      }
      const int key = Sign(Key(keys[a], keys[b], KvCMP_EXACT)), back = Sign(Key(keys[b], keys[a], KvCMP_EXACT)),
                f = adjacent ? Full(&rows[a], &rows[b], KvCMP_EXACT) : 0;
      if (const char* kind = key != -back                                    ? "order: key compare not antisymmetric"
                             : adjacent && f > 0                             ? "order: full compare not transitive"
                             : adjacent && (key > 0 || (f == 0 && key != 0)) ? "order: keys not sorted as values"
                                                                             : nullptr)
        record(kind, [&] { return Show(&rows[a]) + " then " + Show(&rows[b]) + " | full " + to_string(f) + ", key " +
                                  to_string(key) + ", reversed " + to_string(back); });
    }
    // The index: by key, by value where the key compare gives 0, then by insertion.
    std::stable_sort(index.begin(), index.end(), [&](uint32_t a, uint32_t b) {
      const long key = Key(keys[a], keys[b], KvCMP_EXACT);
      return key != 0 ? key < 0 : Full(&rows[a], &rows[b], KvCMP_EXACT) < 0;
    });
    std::vector<uint8_t> state(n);
    enum : uint8_t { kFull = 1, kInBounds = 2, kScanned = 4, kWrongSign = 8 };
    for (const Condition& c : ordersOnly ? std::vector<Condition>() : conditions) {
      const size_t m = c.parts.size();
      std::string shown;
      KvIdxBounds b = {nullptr, nullptr, 0, 0};
      for (const Part& p : c.parts) {  // the operator rides in the relation word; the value is a copy
        unsigned short relation = static_cast<unsigned short>(p.rel | p.op);
        mgr.EvalAndBound(id, nullptr, relation, Bytes(p.stored).data(), format, 1, &b);
        shown += "rel " + to_string(p.rel) + " op " + to_string(p.op) + " " + Show(p.value) + " ";
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
                 [&] { return shown + "| value " + Show(&rows[i]); });
      }
      // From the first key at or above the low bound while keys stay at or
      // below the high bound (no bound: from the start, to the end).
      auto below = [&](uint32_t x, const Bytes& bound) { return Key(keys[x], bound, KvCMP_EXACT) < 0; };
      size_t pos = low.empty() ? 0 : std::lower_bound(index.begin(), index.end(), low, below) - index.begin();
      for (; pos < n && (high.empty() || Key(keys[index[pos]], high, KvCMP_EXACT) <= 0); ++pos) {
        uint8_t& s = state[index[pos]];
        bool keep = true;
        for (size_t j = 0; j < m; ++j) {
          if (!c.parts[j].key.empty()) Key(keys[index[pos]], c.parts[j].key, c.parts[j].op);  // in place or not, alike
          const long r = Key(keys[index[pos]], c.parts[j].stored, c.parts[j].op), whole = full[index[pos] * m + j];
          if (status != KvCMP_INCOMPLETE && Sign(r) != whole) s |= kWrongSign;
          keep = Holds(c.parts[j].rel, status == KvCMP_INCOMPLETE ? whole : r) && keep;
        }
        s |= keep ? kInBounds | kScanned : kInBounds;
      }
      for (size_t i = 0; i < n; ++i)
        if (!(state[i] & kFull) != !(state[i] & kScanned) || (state[i] & kWrongSign))
          record(state[i] & kInBounds ? "key compare final but wrong sign" : "outside bounds",
                 [&] { return shown + "| value " + Show(&rows[i]) + ((state[i] & kFull) ? " matches" : " no match"); });
    }
    if (inPlaceDiffers != 0) kinds["key compare in place differs from the general walk"] = inPlaceDiffers;
    size_t total = 0;
    std::string lines;
    for (const auto& [kind, count] : kinds) total += count, lines += "  " + to_string(count) + " " + kind + "\n";
    return {total, name + ": " + to_string(n) + " values, " + to_string(conditions.size()) + " conditions, " +
                       to_string(total) + " mismatches\n" + lines + samples};
  }
};

// ---- The configurations.

// Rows made from `sources` by `make`, conditions from TextConditions. A
// trailing star matches whatever follows its text: mustMatch, but for a
// letter after it (Danish "aa" is one letter: "Baad" is no "Ba*"). The
// insensitive rows hold the texts in Windows-1252.
template <class T>
static Outcome TextCheck(Table<T> t, const Inputs& in, const std::function<T(const std::string&)>& make = [](auto& s) {
  return T(MakeString(s, 1, 1).StrGet());
}) {
  const bool insensitive = t.id != KvTYPE_STRING;
  const Strings &sources = insensitive ? in.eight : in.texts, &pool = insensitive ? in.eightPool : in.pool;
  for (const std::string& s : sources) t.rows.push_back(make(s));
  if (!insensitive)  // 1 to 8 characters and a '*'
    t.pattern = [&](size_t i) { return make(Utf8(Units(sources[i]).substr(0, i % 8 + 1)) + "*"); };
  for (const Cond<std::string>& c : TextConditions(pool, insensitive)) {
    const std::string& text = c.value;
    if (c.range) {
      t.AddRange(make(text), make(c.upper), c.op);
      continue;
    }
    t.Add(make(text), c.rel, c.op);
    if (c.rel == KvREL_EQUAL && (c.op & 0x0110) == 0 && text.size() > 1 &&
        text.find_first_of("*?\\") == text.size() - 1 && text.back() == '*')
      t.conditions.back().mustMatch = [&sources, p = text.substr(0, text.size() - 1)](size_t i) {
        const unsigned char next = sources[i].size() > p.size() ? sources[i][p.size()] | 0x20 : 0;
        return sources[i].compare(0, p.size(), p) == 0 && next < 0x80 && (next < 'a' || next > 'z');
      };
  }
  return t.Run();
}

template <class T>
static Outcome ScalarCheck(Table<T> t, const Scalars<T>& s) {
  t.rows = s.rows;
  for (const Cond<T>& c : s.conditions)
    if (c.range) t.AddRange(c.value, c.upper, 0);
    else t.Add(c.value, c.rel, 0);
  return t.Run();
}

// The collation fast path against the general walk: every stride-th pair of
// neighbouring words of the whole lists, then 100,000 / stride random pairs,
// under the default operator, wildcards and each operator word in turn, with
// no limit and a short one: the same results, levels and primary differences.
static Outcome CollateCheck(uint8_t cs, uint8_t lang, uint8_t unitFormat, size_t stride) {
  Strings all, texts;  // texts: each word's units, terminator included, in unitFormat
  size_t n = 0, mismatches = 0, pairs = 0;
  LoadWords(1, all, n);
  for (const std::string& w : all) {
    const KvString s = MakeString(w, cs, lang);
    std::string& t = texts.emplace_back(s.StrGet(), s.SizeGet());
    for (size_t i = 0; unitFormat == 2 && i + 1 < t.size(); i += 2) std::swap(t[i], t[i + 1]);
  }
  Rng random{cs * 16u + lang};
  std::string samples;
  for (size_t k = 0, neighbours = (all.size() - 1) / stride; k < neighbours + 100000 / stride; ++k) {
    const size_t i = k < neighbours ? k * stride : random.Below(all.size()), j = k < neighbours ? i + 1 : random.Below(all.size());
    const KvCollateText a{cs, lang, texts[i].data(), uint32_t(texts[i].size())}, b{cs, lang, texts[j].data(), uint32_t(texts[j].size())};
    for (uint16_t op : {0x10, 0, int(k % 64 << 4)})  // the last: bits 0x10 to 0x200 in turn
      for (int32_t limit : {-1, int32_t(k % 7)}) {
        ++pairs;
        int l1 = 0, l2 = 0;
        long p1 = 0, p2 = 0, fast = KvCollate(a, b, op, limit, unitFormat, &p1, &l1);
        if ((fast != KvCollateGeneral(a, b, op, limit, unitFormat, &p2, &l2) || p1 != p2 || l1 != l2) && mismatches++ < options.examples)
          samples += "    " + all[i] + " / " + all[j] + " op " + to_string(op) + " limit " + to_string(limit) + "\n";
      }
  }
  return {mismatches, "collate fast path cs " + to_string(cs) + " lang " + to_string(lang) + " format " + to_string(unitFormat) +
                          ": " + to_string(pairs) + " compares, " + to_string(mismatches) + " mismatches\n" + samples};
}

int main(int argc, char** argv) {
  // --orders is this check's own; the rest are the index checks' common options.
  std::vector<char*> args{argv[0], const_cast<char*>("--full")};  // --full unless a stride is given
  for (int i = 1; i < argc; ++i)
    if (std::string(argv[i]) != "--orders") args.push_back(argv[i]);
    else ordersOnly = true;
  if (!ordersOnly) args.erase(args.begin() + 1);
  if (const int status = Start(int(args.size()), args.data(), options, "index_check"); status >= 0) return status;
  const Inputs in = MakeInputs(options.words, options.stride);
  // Number and date rows: 100,000 in the full run, 10,000 in the sample, fewer in thinner samples.
  const size_t stride = options.stride, scalars = stride <= 20 ? 100000 / std::min<size_t>(stride, 10) : 200000 / stride;
  // Each job makes and checks one configuration; --only keeps a type's.
  std::vector<std::function<Outcome()>> jobs;
  auto add = [&](const std::string& type, const std::string& config, auto check) {
    if (options.only.empty() || options.only == type) jobs.push_back([=] { return check(type + config); });
  };
  for (uint8_t f : {1, 2}) {
    const std::string format = " format " + to_string(f);
    for (uint8_t cs : {253, 1})
      for (uint8_t lang : {1, 3, 5})
        add("KvString", " cs " + to_string(cs) + " lang " + to_string(lang) + format, [=, &in](std::string n) {
          return TextCheck<KvString>({{KvTYPE_STRING}, n, f}, in, [=](auto& s) { return MakeString(s, cs, lang); });
        });
    add("KvIString", format, [=, &in](std::string n) { return TextCheck<KvIString>({{KvTYPE_ISTRING}, n, f}, in); });
    add("KvCaseIString", format, [=, &in](std::string n) { return TextCheck<KvCaseIString>({{KvTYPE_CASEISTRING}, n, f}, in); });
    add("int", format, [=](std::string n) { return ScalarCheck<int>({{KvTYPE_INT}, n, f}, MakeScalars<int>(scalars, kIntEdges, RandomInt)); });
    add("double", format,
        [=](std::string n) { return ScalarCheck<double>({{KvTYPE_DOUBLE}, n, f}, MakeScalars<double>(scalars, kDoubleEdges, RandomDouble)); });
    add("KvDate", format, [=](std::string n) {
      return ScalarCheck<KvDate>({{KvTYPE_DATE}, n, f}, MakeScalars<KvDate>(scalars, kDateEdges, RandomDate, WithWildcards));
    });
  }
  for (auto [cs, lang, f] : {std::tuple{1, 1, 1}, {1, 3, 1}, {1, 5, 1}, {253, 1, 1}, {253, 3, 1}, {253, 5, 1}, {253, 1, 2}})
    add("collate", "", [=](std::string) { return CollateCheck(uint8_t(cs), uint8_t(lang), uint8_t(f), stride); });
  // One configuration at a time on each thread.
  const std::vector<Outcome> outcomes = RunJobs(jobs, options.threads);
  size_t total = 0;
  std::printf("index against full scan: stride %zu over %zu words\n", stride, options.lines);
  for (const Outcome& o : outcomes) total += o.first, std::fputs(o.second.c_str(), stdout);
  std::printf("%zu mismatches in %zu configurations\n", total, outcomes.size());
  ___KvTypemgrContext(0);
  return total == 0 ? 0 : 1;
}
