// threads_check — the library used by many threads at once from a cold
// start. Eight threads wait at a latch, then make the library's first calls
// together and run a fixed workload several times: collation under several
// operators (patterns included), compares of stored values and index keys,
// translation to the key form and to memory, store, print and scan of
// dates, times, 64-bit integers and identifiers, and the bounds of string
// and date conditions, and queries on one LMDB index (where the host is
// built). Every value belongs to one thread. Afterwards each
// workload runs again on one thread; every threaded round must give its
// results exactly. Built with ThreadSanitizer (scripts/tsan), the run must
// also leave no report.
//
//   threads_check [rounds]
//
// Exit 0: every result equal; 1: a difference.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <latch>
#include <string>
#include <thread>
#include <vector>

#include "kvtm/kvtm.h"
#ifdef KVTM_WITH_LMDB
#include <filesystem>

#include "lmdb_index.h"
#endif

namespace {

using Bytes = std::vector<uint8_t>;

std::string Hex(const uint8_t* p, size_t n) {
  std::string out;
  for (size_t i = 0; i < n; ++i) out += {"0123456789ABCDEF"[p[i] >> 4], "0123456789ABCDEF"[p[i] & 15]};
  return out;
}

const char* const kTexts[] = {"côte", "Côté", "coté", "Straße", "STRASSE", "Ærø 5.", "x *", "日本語", "Ελλάδα", ""};
const char* const kPatterns[] = {"c*t?", "*ß*", "a*", "?", "x", "Strasse", "*", "c?te"};
const unsigned short kOperators[] = {0, KvCMP_EXACT, KvCMP_IGNORE_CASE, KvCMP_IGNORE_CASE | KvCMP_IGNORE_ACCENTS,
                                     KvCMP_SKIP_SPACES | KvCMP_SKIP_SYMBOLS, KvCMP_SIMPLE, KvCMP_DEFAULT};

// Values scanned from their exchange format and printed under another.
struct Typed { char id; const char* text; const char* print; };
const Typed kTyped[] = {
    {KvTYPE_DATE, "Wed 05.Jan 2000", "%A %d %B %Y"}, {KvTYPE_DATE, "Tue 29.Feb 2000", "%Y-%m-%d"},
    {KvTYPE_TIME, "01:05:09 pm", "%H:%M:%S"}, {KvTYPE_DATETIME, "Sat 01.Jan 2000 01:05:09 pm", nullptr},
    {KvTYPE_D_TIME, "11:59:59 pm", "%H.%M.%S"}, {KvTYPE_D_TIMESTAMP, "Sat Jan 01 01:05:09 pm", nullptr},
    {KvTYPE_INT64, "-255", "%x"}, {KvTYPE_INT64, "9223372036854775807", "%S"}, {KvTYPE_DOUBLE, "1.5", "%e"},
    {KvTYPE_OBJID, "(1-5#7)", nullptr}, {KvTYPE_REF, "(2:0-9#4, 30)", nullptr}};

// One thread's workload; each thread starts the tables at its own row, so
// that the first calls differ. The results are one line a step, so that a
// difference shows where it is.
struct Workload {
  KvTypeMgr mgr{5};  // its own manager: the library's context is never set up
  std::vector<std::string> out;

  Bytes Store(char id, void* value, uint8_t format) {
    Bytes b(mgr.DiskLenGet(id, value, format, 1, KvFORMAT_MEMORY));
    b.resize(mgr.Store(id, b.data(), value, format, 1));
    return b;
  }
  // The sign and status of a compare of two stored operands.
  std::string Cmp(char id, Bytes& a, Bytes& b, unsigned short op, uint8_t format) {
    int status = 0;
    const long r = mgr.Cmp(id, a.size(), a.data(), b.size(), b.data(), op, 1, format, status);
    return std::to_string((r > 0) - (r < 0)) + "/" + std::to_string(status) + " ";
  }
  std::string Bounds(char id, unsigned short word, Bytes& value, uint8_t format) {
    KvIdxBounds b = {nullptr, nullptr, 0, 0};
    const float estimate = mgr.EvalAndBound(id, nullptr, word, value.data(), format, 1, &b);
    const std::string s = std::to_string(word) + " " + std::to_string(estimate) + " " +
                          Hex(b.low, b.low ? b.lowLength : 0) + " " + Hex(b.high, b.high ? b.highLength : 0);
    KvMemFree(b.low), KvMemFree(b.high);
    return s;
  }

  void Strings(int t) {
    for (size_t i = 0; i < std::size(kTexts); ++i) {
      const char* text = kTexts[(i + t) % std::size(kTexts)];
      const uint8_t format = 1 + (i + t) % 2;
      KvString value(KvCS_UNICODE, KvLANG_NEUTRAL);
      KvMBS2KvString(text, value, static_cast<long>(std::strlen(text)));
      if (i % 3 == 0) value.MapToCodeSet(KvCS_CP1252);
      Bytes record = Store(KvTYPE_STRING, &value, format), key(KvINDEX_MAX_KEYLEN);
      key.resize(mgr.Translate(KvTYPE_STRING, key.data(), format | KvFORMAT_KEY, key.size(), record.data(),
                               format, record.size(), 1));
      for (size_t j = 0; j < std::size(kPatterns); ++j) {
        const char* p = kPatterns[(j + t) % std::size(kPatterns)];
        KvString pattern(KvCS_UNICODE, KvLANG_NEUTRAL);
        KvMBS2KvString(p, pattern, static_cast<long>(std::strlen(p)));
        Bytes stored = Store(KvTYPE_STRING, &pattern, format);
        std::string line = Hex(record.data(), record.size()) + " " + Hex(key.data(), key.size()) + " ~ " + p + ": ";
        for (unsigned short op : kOperators) {
          const long r = value.Compare(pattern, -1, op);
          line += std::to_string((r > 0) - (r < 0)) + " " + Cmp(KvTYPE_STRING, record, stored, op, format) +
                  Cmp(KvTYPE_STRING, key, stored, op, format);
        }
        out.push_back(line + Bounds(KvTYPE_STRING, KvREL_EQUAL | (i == 0 ? KvCMP_IGNORE_CASE : 0), stored, format));
      }
    }
  }

  void Values(int t) {
    for (size_t i = 0; i < std::size(kTyped); ++i) {
      const Typed& row = kTyped[(i + t) % std::size(kTyped)];
      const uint8_t format = 1 + (i + t) % 2;
      KvString text(row.text), printed, again;
      void* value = mgr.ScanFromKvString(row.id, mgr.Create(row.id, 1), text, nullptr, 1);
      mgr.PrintToKvString(row.id, printed, value, row.print, 1);
      Bytes stored = Store(row.id, value, format);
      // Back to memory through Translate, then stored in the other byte order.
      void* loaded = mgr.Create(row.id, 1);
      mgr.Translate(row.id, loaded, KvFORMAT_MEMORY, 0, stored.data(), format, stored.size(), 1);
      mgr.PrintToKvString(row.id, again, loaded, nullptr, 1);
      Bytes other = Store(row.id, loaded, format ^ 3);
      out.push_back(std::string(printed.StrGet()) + " | " + again.StrGet() + " | " + Hex(stored.data(), stored.size()) +
                    " " + Hex(other.data(), other.size()) + " " + Cmp(row.id, stored, stored, 0, format) +
                    Bounds(row.id, KvREL_LESS | KvREL_EQUAL, stored, format));
      mgr.Delete(row.id, loaded, 1), mgr.Delete(row.id, value, 1);
    }
    // Dates with wildcards: any year, any month of 2001, any day of February.
    for (KvDate pattern : {KvDate(-1, 3, 15), KvDate(2001, -1, -1), KvDate(2001, 2, -1)}) {
      KvDate probe(2001, 3, 15);
      Bytes a = Store(KvTYPE_DATE, &probe, 1 + t % 2), b = Store(KvTYPE_DATE, &pattern, 1 + t % 2);
      out.push_back(Cmp(KvTYPE_DATE, a, b, 0, 1 + t % 2) + Bounds(KvTYPE_DATE, KvREL_EQUAL, b, 1 + t % 2));
    }
    const char* description = nullptr;
    GetKvTypeMgrInfo(nullptr, nullptr, &description, nullptr, nullptr);
    out.push_back(description);
  }
#ifdef KVTM_WITH_LMDB
  // Queries on one LMDB index of kTexts and kPatterns (as texts), opened
  // before the threads start; each query reads in a transaction of its own.
  static inline const kvlmdb::Index* index = nullptr;
  void Queries(int t) {
    const unsigned short ops[] = {KvCMP_IGNORE_CASE | KvCMP_IGNORE_ACCENTS, 0, KvCMP_EXACT};
    for (size_t i = 0; i < std::size(kPatterns); ++i) {
      const char* p = kPatterns[(i + t) % std::size(kPatterns)];
      KvString value(KvCS_UNICODE, KvLANG_NEUTRAL);
      KvMBS2KvString(p, value, static_cast<long>(std::strlen(p)));
      std::string line = p;
      for (unsigned short rel : {KvREL_EQUAL, KvREL_LESS}) {
        const kvlmdb::Answer a = index->Query({{rel, ops[(i + rel) % 3], &value}},
                                              [&](uint32_t row, const uint8_t*, size_t) { line += " " + std::to_string(row); });
        line += " | " + std::to_string(a.estimates[0]) + " " + std::to_string(a.keys) + " ";
      }
      out.push_back(line);
    }
  }
  // Builds the index in a child process, so that this one stays cold.
  static std::string Build() {
    const std::string path = (std::filesystem::temp_directory_path() / ("threads_check." + std::to_string(getpid()))).string();
    const pid_t child = fork();
    if (child == 0) {
      ___KvTypemgrContext(1);
      kvlmdb::Builder builder(path, {KvTYPE_STRING, KvCS_UNICODE, 1});
      for (const char* const* list : {kTexts, kPatterns})
        for (size_t i = 0; i < 8; ++i) {
          KvString value(KvCS_UNICODE, KvLANG_NEUTRAL);
          KvMBS2KvString(list[i], value, static_cast<long>(std::strlen(list[i])));
          builder.Add(&value);
        }
      builder.Commit();
      _exit(0);
    }
    int status = 1;
    waitpid(child, &status, 0);
    return status == 0 ? path : "";
  }
#else
  void Queries(int) {}
#endif

  explicit Workload(int t) { Strings(t), Values(t), Queries(t); }
};

}  // namespace

int main(int argc, char** argv) {
  const int threads = 8, rounds = argc > 1 ? std::stoi(argv[1]) : 20;
#ifdef KVTM_WITH_LMDB
  const std::string path = Workload::Build();
  if (path.empty()) return std::puts("threads_check: the LMDB index was not built"), 1;
  const kvlmdb::Index index(path);
  Workload::index = &index;
#endif
  std::vector<std::vector<Workload>> done(threads);
  std::latch start(threads);  // the library is not touched before it opens
  std::vector<std::thread> pool;
  for (int t = 0; t < threads; ++t)
    pool.emplace_back([&, t] {
      start.arrive_and_wait();
      for (int r = 0; r < rounds; ++r) done[t].emplace_back(t);
    });
  for (std::thread& thread : pool) thread.join();
  // Each threaded round against the same workload run alone; the first
  // line that differs is shown.
  int differences = 0;
  for (int t = 0; t < threads; ++t) {
    const std::vector<std::string> want = Workload(t).out;
    for (const Workload& round : done[t]) {
      const auto [w, g] = std::mismatch(want.begin(), want.end(), round.out.begin(), round.out.end());
      if ((w == want.end() && g == round.out.end()) || ++differences > 5) continue;
      std::printf("thread %d line %zu:\n  alone:    %s\n  threaded: %s\n", t, static_cast<size_t>(w - want.begin()),
                  w != want.end() ? w->c_str() : "(none)", g != round.out.end() ? g->c_str() : "(none)");
    }
  }
  std::printf("%d threads x %d rounds: %d rounds differ\n", threads, rounds, differences);
#ifdef KVTM_WITH_LMDB
  std::filesystem::remove_all(path);
#endif
  return differences == 0 ? 0 : 1;
}
