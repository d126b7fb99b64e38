// index_inputs.h — what the index checks share: the word lists, the texts
// and values made from them, and the conditions over them. Every input
// comes from a generator of fixed sequence, so each platform and run makes
// the same.
#ifndef KVTM_TESTS_INDEX_INPUTS_H
#define KVTM_TESTS_INDEX_INPUTS_H

#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <limits>
#include <random>
#include <thread>

#include "test_util.h"

using Strings = std::vector<std::string>;
using U16 = std::u16string;

// The generator's sequence is fixed by the standard, so every platform and
// run makes the same inputs.
struct Rng : std::mt19937_64 {
  using std::mt19937_64::mt19937_64;
  size_t Below(size_t n) { return n == 0 ? 0 : (*this)() % n; }
};

// A text in the code set and language of a configuration: decoded into
// 253, then mapped (a character code set 1 lacks becomes its substitute).
inline KvString MakeString(const std::string& utf8, uint8_t codeSet, uint8_t language) {
  KvString s(253, language);
  KvMBS2KvString(utf8.c_str(), s, static_cast<long>(utf8.size()));
  if (codeSet != 253) s.MapToCodeSet(codeSet);
  return s;
}

// Text of the Basic Multilingual Plane, as the word lists are, as units and back.
inline U16 Units(const std::string& utf8) {
  const KvString s = MakeString(utf8, 253, 1);
  return U16(reinterpret_cast<const char16_t*>(s.StrGet()), s.Len());
}
inline std::string Utf8(const U16& u) {
  std::string out;
  char bytes[4];
  for (char16_t c : u) out.append(bytes, KvWChar2MultiByte(bytes, c));
  return out;
}

// The values of one type in memory form, as the checks compare and show them.
struct Typed {
  char id;
  KvTypeMgr mgr = KvTypeMgr();
  // The full compare: -1, 0 or 1.
  int Full(const void* a, const void* b, unsigned short op) {
    int ignored = 0;
    return Sign(mgr.Cmp(id, 0, const_cast<void*>(a), 0, const_cast<void*>(b), op, 1, KvFORMAT_MEMORY, ignored));
  }
  // A value for a report, as the row prints it (doubles in full), in UTF-8 and shortened.
  std::string Show(const void* v) {
    KvString text(253, 1);
    mgr.PrintToKvString(id, text, const_cast<void*>(v), id == KvTYPE_DOUBLE ? "%.17g" : nullptr, 1).MapToCodeSet(253);
    const U16 units(reinterpret_cast<const char16_t*>(text.StrGet()), text.Len());
    return "\"" + Utf8(units.substr(0, 40)) + (units.size() > 40 ? "…\"" : "\"");
  }
};

inline bool Holds(unsigned short rel, long r) {
  return (r < 0 && (rel & KvREL_LESS)) || (r == 0 && (rel & KvREL_EQUAL)) || (r > 0 && (rel & KvREL_GREATER));
}

// What the index checks are asked for on their command line, and the words
// they read.
struct Options {
  size_t stride, threads, examples = 3;  // examples: the mismatches a report shows (of each kind)
  std::string only = {};                 // a type whose configurations alone run
  Strings words = {};
  size_t lines = 0;  // of the word lists
};

// Every stride-th line of Debian's French and German word lists, empty lines
// left out, with the count of lines read: the path of a missing list, else null.
inline const char* LoadWords(size_t stride, Strings& words, size_t& lines) {
  for (const char* path : {"/usr/share/dict/french", "/usr/share/dict/ngerman"}) {
    std::ifstream file(path);
    if (!file) return path;
    for (std::string w; std::getline(file, w); ++lines) if (lines % stride == 0 && !w.empty()) words.push_back(w);
  }
  return nullptr;
}

// Reads "--stride N" (every N-th word; "--full": every word), "--only TYPE",
// "--threads N" and "--examples N", then the stride-th words, and starts the
// library: -1 to go on, else the exit status (2: a wrong argument, 77: a
// word list is missing).
inline int Start(int argc, char** argv, Options& o, const char* name) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    size_t* n = a == "--stride" ? &o.stride : a == "--threads" ? &o.threads : a == "--examples" ? &o.examples : nullptr;
    if (a == "--full") o.stride = 1;
    else if (i + 1 < argc && a == "--only") o.only = argv[++i];
    else if (i + 1 < argc && n) *n = std::max<size_t>(std::strtoul(argv[++i], nullptr, 10), n != &o.examples);
    else return std::fprintf(stderr, "usage: %s [--stride N | --full] [--only TYPE] [--threads N] [--examples N]\n", name), 2;
  }
  if (const char* missing = LoadWords(o.stride, o.words, o.lines))
    return std::printf("%s missing (packages wfrench, wngerman): skipped\n", missing), 77;
  ___KvTypemgrContext(1);
  KvSetAssertHandler([](const char*, const char*, int) {});  // cut bounds are reported, as expected here
  return -1;
}

// Runs the jobs on `threads` threads, one at a time on each; their results in order.
template <class R>
std::vector<R> RunJobs(const std::vector<std::function<R()>>& jobs, size_t threads) {
  std::vector<R> results(jobs.size());
  std::atomic<size_t> next{0};
  std::vector<std::thread> pool(std::min(threads, jobs.size()));
  for (std::thread& t : pool)
    t = std::thread([&] { for (size_t j; (j = next++) < jobs.size();) results[j] = jobs[j](); });
  for (std::thread& t : pool) t.join();
  return results;
}

// ---- Texts.

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

inline U16 Transliterate(const U16& w, const char16_t* table, Rng& rng) {
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

inline Inputs MakeInputs(const Strings& words, size_t stride) {
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

// A condition over values of V: "rel value" under op, or a range: at least
// the smaller and at most the larger of value and upper.
template <class V>
struct Cond { V value; unsigned short rel, op; bool range = false; V upper = V(); };

// Conditions over a pool of texts: equal, patterns (a trailing star at any
// length or after a character that expands or is ignorable, '?', a star in
// the middle), every relation, ranges, escapes for the insensitive types;
// then the cases of faults once found.
inline std::vector<Cond<std::string>> TextConditions(const Strings& pool, bool insensitive) {
  static const unsigned short kOps[] = {0, 0x10, 0x20, 0x40, 0x60, 0x80, 0x200, 0x280, 0x2E0, 0xA0, 0x30, 0x220};
  static const U16 special = u"ßæœÆŒ -'’€.äöü";
  std::vector<Cond<std::string>> out;
  Rng rng{insensitive ? 2u : 1u};
  std::vector<std::pair<size_t, size_t>> spots;  // a text and a special character in it
  for (size_t i = 0, at; i < pool.size(); ++i)
    if (const U16 u = Units(pool[i]); (at = u.find_first_of(special, rng.Below(u.size()))) < u.size() - 1)
      spots.push_back({i, at});
  while (out.size() < (insensitive ? 296 : 283)) {
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
      case 6: out.push_back({Utf8(w), 0, op, true, pool[rng.Below(pool.size())]}); continue;
      case 7: text.insert(i, rng.Below(2) ? u"\\" : rng.Below(2) ? u"\\*" : u"\\?"); break;  // escapes
    }
    out.push_back({Utf8(text), rel, op});
  }
  for (const TextPart& c : insensitive ? kInsensitiveCases : kStringCases) out.push_back({c.text, c.rel, c.op});
  return out;
}

// ---- Numbers and dates.

// Rows: edges, then random values. Conditions: edges, random values and
// rows (passed through `condition`) under every relation, a fifth ranges.
template <class T>
struct Scalars { std::vector<T> rows; std::vector<Cond<T>> conditions; };
template <class T>
Scalars<T> MakeScalars(size_t count, const std::vector<T>& edges, const std::function<T(Rng&)>& random,
                       const std::function<T(Rng&, T)>& condition = [](Rng&, T v) { return v; }) {
  Rng rng{11};
  Scalars<T> s;
  for (s.rows = edges; s.rows.size() < count;) s.rows.push_back(random(rng));
  auto pick = [&] {
    const size_t what = rng.Below(4);
    return condition(rng, what == 0   ? edges[rng.Below(edges.size())]
                          : what == 1 ? random(rng) : s.rows[rng.Below(count)]);
  };
  for (size_t k = 0; k < 300; ++k)
    if (k % 5 == 4) s.conditions.push_back({pick(), 0, 0, true, pick()});
    else s.conditions.push_back({pick(), static_cast<unsigned short>(1 + rng.Below(6)), 0});
  return s;
}

inline int RandomInt(Rng& r) {  // any, or small
  return static_cast<int>(r.Below(2) ? static_cast<uint32_t>(r()) : static_cast<uint32_t>(r.Below(2001)) - 1000u);
}

inline double RandomDouble(Rng& r) {
  const uint64_t what = r.Below(4), bits = r();
  return what == 0 ? std::bit_cast<double>(bits)  // any bits: NaNs and denormals too
         : what == 1 ? (double(r.Below(2000001)) - 1e6) / 1024 : what == 2 ? double(r.Below(201)) - 100
                     : std::ldexp(r.Below(2) ? 1.0 : -1.0, int(r.Below(2100)) - 1075);
}

inline KvDate RandomDate(Rng& r) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  // -1 is the wildcard year.
  const int y = -4713 + int(r.Below(14713)), year = y == -1 ? -2 : y, month = 1 + int(r.Below(12));
  const bool leap = month == 2 && year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
  return KvDate(short(year), (signed char)month, (signed char)(1 + r.Below(days[month - 1] + leap)));
}

inline KvDate WithWildcards(Rng& r, KvDate d) {  // -1: any year, month, day, or month and day
  const size_t what = r.Below(8);
  return KvDate(what == 0 ? short{-1} : d.YearGet(), what == 1 || what == 3 ? (signed char)-1 : d.MonthGet(),
                what == 2 || what == 3 ? (signed char)-1 : d.DayGet());
}

// Edge values: the extremes, zero, NaNs and denormals, calendar turns.
using DL = std::numeric_limits<double>;
inline const std::vector<int> kIntEdges = {-2147483647 - 1, -2147483647, -1, 0, 1, 2147483646, 2147483647};
inline const std::vector<double> kDoubleEdges = {0.0, -0.0, DL::infinity(), -DL::infinity(), DL::quiet_NaN(),
    -DL::quiet_NaN(), DL::signaling_NaN(), DL::denorm_min(), -DL::denorm_min(), 3 * DL::denorm_min(), DL::min(),
    -DL::min(), DL::max(), DL::lowest(), 1.0, -1.0, std::nextafter(1.0, 2.0)};
inline const std::vector<KvDate> kDateEdges = {{-4713, 1, 1}, {9999, 12, 31}, {0, 2, 29},     {0, 1, 1},     {-2, 12, 31},
                                               {1, 1, 1},     {1582, 10, 4},  {1582, 10, 15}, {1900, 2, 28}, {2000, 2, 29},
                                               {1970, 1, 1},  {4600, 3, 1},   {9999, 1, 1}};

#endif  // KVTM_TESTS_INDEX_INPUTS_H
