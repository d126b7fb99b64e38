// An ordered index in LMDB over every word of Debian's French and German
// lists: the library's index keys under its compare function
// (tools/lmdb_index) beside ICU sort keys (root collator, tertiary
// strength) under LMDB's own byte order, same words, same run. Building
// the index, and answering 100 prefix queries that ignore case and
// accents: the library's bounds and key compares, ICU's primary-level
// bounds of the prefix's sort key (ucol_getBound).
#include <benchmark/benchmark.h>
#include <lmdb.h>
#include <stdlib.h>
#include <unicode/ucol.h>
#include <unicode/ustring.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "kvtm/kvtm.h"
#include "lmdb_index.h"

namespace {

struct Words {
  std::vector<KvString> text;         // Windows-1252
  std::vector<std::u16string> utf16;  // for ICU
  std::vector<KvString> prefixes;     // "abcd*"
  std::vector<std::u16string> prefixes16;
};

std::u16string Utf16Of(const std::string& utf8) {
  std::u16string out(utf8.size() + 1, u'\0');
  int32_t length = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strFromUTF8(reinterpret_cast<UChar*>(out.data()), static_cast<int32_t>(out.size()), &length, utf8.data(),
                static_cast<int32_t>(utf8.size()), &status);
  out.resize(U_SUCCESS(status) ? length : 0);
  return out;
}

KvString TextOf(std::u16string u) {
  std::vector<uint16_t> units(u.begin(), u.end());
  units.push_back(0);
  KvString s(units.data());
  s.MapToCodeSet(KvCS_CP1252);
  return s;
}

// Every word of both lists; the prefixes are the first four characters of
// 100 words spread over them.
const Words* AllWords() {
  static const std::unique_ptr<Words> words = [] {
    auto w = std::make_unique<Words>();
    for (const char* path : {"/usr/share/dict/french", "/usr/share/dict/ngerman"}) {
      std::ifstream in(path);
      if (!in) return std::unique_ptr<Words>();
      for (std::string line; std::getline(in, line);)
        if (!line.empty()) w->utf16.push_back(Utf16Of(line));
    }
    for (const std::u16string& u : w->utf16) w->text.push_back(TextOf(u));
    for (size_t i = 0; i < 100; ++i) {
      w->prefixes16.push_back(w->utf16[i * w->utf16.size() / 100].substr(0, 4));
      w->prefixes.push_back(TextOf(w->prefixes16.back() + u"*"));
    }
    return w;
  }();
  return words.get();
}

std::string TemporaryPath() {
  std::string path = (std::filesystem::temp_directory_path() / "bench_lmdb.XXXXXX").string();
  if (mkdtemp(path.data()) == nullptr) path.clear();
  return path;
}

// ---- The library's keys and compare function (tools/lmdb_index).

void BuildKvtm(const Words& w, const std::string& path) {
  kvlmdb::Builder builder(path, {KvTYPE_STRING, KvCS_CP1252, 1});
  for (const KvString& word : w.text) builder.Add(const_cast<KvString*>(&word));
  builder.Commit();
}

size_t QueryKvtm(const Words& w, const kvlmdb::Index& index) {
  size_t found = 0;
  for (const KvString& prefix : w.prefixes) {
    const kvlmdb::Part part = {KvREL_EQUAL, KvCMP_IGNORE_CASE | KvCMP_IGNORE_ACCENTS, const_cast<KvString*>(&prefix)};
    found += index.Query({part}, [](uint32_t, const uint8_t*, size_t) {}).matches;
  }
  return found;
}

// ---- ICU sort keys under LMDB's byte order, the same database layout:
// the word (UTF-8) and its row as duplicate data.

struct IcuIndex {
  MDB_env* env = nullptr;
  MDB_dbi dbi = 0;
  UCollator* collator = nullptr;
  IcuIndex() {
    UErrorCode status = U_ZERO_ERROR;
    collator = ucol_open("", &status);
    mdb_env_create(&env);
    mdb_env_set_maxdbs(env, 1);
    mdb_env_set_mapsize(env, size_t(1) << 32);
  }
  ~IcuIndex() {
    mdb_env_close(env);
    ucol_close(collator);
  }
  std::vector<uint8_t> Key(const std::u16string& u) {
    std::vector<uint8_t> key(512);
    key.resize(ucol_getSortKey(collator, reinterpret_cast<const UChar*>(u.data()), static_cast<int32_t>(u.size()),
                               key.data(), static_cast<int32_t>(key.size())));
    return key;
  }
};

void BuildIcu(const Words& w, const std::string& path) {
  IcuIndex icu;
  mdb_env_open(icu.env, path.c_str(), MDB_NOSYNC | MDB_NOLOCK, 0644);
  MDB_txn* txn = nullptr;
  mdb_txn_begin(icu.env, nullptr, 0, &txn);
  mdb_dbi_open(txn, "index", MDB_CREATE | MDB_DUPSORT, &icu.dbi);
  // Puts as the library's builder makes them: through one cursor, and at
  // the end (MDB_APPEND) for a key above every key so far.
  MDB_cursor* cursor = nullptr;
  mdb_cursor_open(txn, icu.dbi, &cursor);
  std::vector<uint8_t> largest;
  std::string data;
  for (uint32_t row = 0; row < w.utf16.size(); ++row) {
    std::vector<uint8_t> key = icu.Key(w.utf16[row]);
    data.assign(w.utf16[row].size() * 3 + 4, '\0');
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strToUTF8(data.data(), static_cast<int32_t>(data.size()), &length,
                reinterpret_cast<const UChar*>(w.utf16[row].data()), static_cast<int32_t>(w.utf16[row].size()),
                &status);
    data.resize(length);
    for (int shift = 24; shift >= 0; shift -= 8) data += static_cast<char>(row >> shift);
    MDB_val k = {key.size(), key.data()}, d = {data.size(), data.data()};
    MDB_val top = {largest.size(), largest.data()};
    const bool above = row == 0 || mdb_cmp(txn, icu.dbi, &k, &top) > 0;
    mdb_cursor_put(cursor, &k, &d, above ? MDB_APPEND : 0);
    if (above) largest = key;
  }
  mdb_txn_commit(txn);
  mdb_env_sync(icu.env, 1);
}

size_t QueryIcu(const Words& w, IcuIndex& icu) {
  size_t found = 0;
  MDB_txn* txn = nullptr;
  mdb_txn_begin(icu.env, nullptr, MDB_RDONLY, &txn);
  MDB_cursor* cursor = nullptr;
  mdb_cursor_open(txn, icu.dbi, &cursor);
  uint8_t low[512], high[512];
  for (const std::u16string& prefix : w.prefixes16) {
    const std::vector<uint8_t> key = icu.Key(prefix);
    UErrorCode status = U_ZERO_ERROR;
    const int32_t lowLength = ucol_getBound(key.data(), static_cast<int32_t>(key.size()), UCOL_BOUND_LOWER, 1, low,
                                            sizeof low, &status);
    const int32_t highLength = ucol_getBound(key.data(), static_cast<int32_t>(key.size()), UCOL_BOUND_UPPER_LONG, 1,
                                             high, sizeof high, &status);
    MDB_val k = {static_cast<size_t>(lowLength), low}, d, upper = {static_cast<size_t>(highLength), high};
    for (int rc = mdb_cursor_get(cursor, &k, &d, MDB_SET_RANGE); rc == 0 && mdb_cmp(txn, icu.dbi, &k, &upper) <= 0;
         rc = mdb_cursor_get(cursor, &k, &d, MDB_NEXT)) {
      benchmark::DoNotOptimize(static_cast<const char*>(d.mv_data)[0]);
      ++found;
    }
  }
  mdb_cursor_close(cursor);
  mdb_txn_abort(txn);
  return found;
}

// ---- The benchmarks: argument 0 the library, 1 ICU.

void BM_LmdbBuild(benchmark::State& state) {
  const Words* w = AllWords();
  if (w == nullptr) return state.SkipWithError("word list missing: run bench/setup");
  for (auto _ : state) {
    const std::string directory = TemporaryPath(), path = directory + "/index";
    if (state.range(0) == 0) BuildKvtm(*w, path);
    else std::filesystem::create_directory(path), BuildIcu(*w, path);
    state.PauseTiming();
    std::filesystem::remove_all(directory);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(w->text.size()));
}

void BM_LmdbPrefixQueries(benchmark::State& state) {
  const Words* w = AllWords();
  if (w == nullptr) return state.SkipWithError("word list missing: run bench/setup");
  const std::string directory = TemporaryPath(), path = directory + "/index";
  size_t found = 0;
  if (state.range(0) == 0) {
    BuildKvtm(*w, path);
    const kvlmdb::Index index(path);
    for (auto _ : state) found = QueryKvtm(*w, index);
  } else {
    std::filesystem::create_directory(path);
    BuildIcu(*w, path);
    IcuIndex icu;
    mdb_env_open(icu.env, path.c_str(), MDB_RDONLY, 0644);
    MDB_txn* txn = nullptr;
    mdb_txn_begin(icu.env, nullptr, MDB_RDONLY, &txn);
    mdb_dbi_open(txn, "index", MDB_DUPSORT, &icu.dbi);
    mdb_txn_commit(txn);
    for (auto _ : state) found = QueryIcu(*w, icu);
  }
  std::filesystem::remove_all(directory);
  state.counters["matches"] = static_cast<double>(found);
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(w->prefixes.size()));
}

BENCHMARK(BM_LmdbBuild)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LmdbPrefixQueries)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
