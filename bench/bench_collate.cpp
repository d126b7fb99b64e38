// The collation engine comparing pairs of French and German words beside
// ICU's ucol_strcoll (collators "fr" and "de") on the same pairs. The word
// lists come from Debian's wfrench and wngerman (bench/setup installs them).
#include <benchmark/benchmark.h>
#include <unicode/ucol.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <cstring>
#include <cstdint>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "kvtm/kvtm.h"

namespace {

constexpr size_t kPairs = 20000;

struct Words {
  std::vector<KvString> narrow;         // Windows-1252
  std::vector<KvString> wide;           // code set 253
  std::vector<std::u16string> utf16;    // for ICU
  bool ok = false;
};

std::u16string Utf16Of(const std::string& utf8) {
  std::u16string out(utf8.size() + 1, u'\0');
  int32_t length = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strFromUTF8(reinterpret_cast<UChar*>(out.data()), static_cast<int32_t>(out.size()), &length,
                utf8.data(), static_cast<int32_t>(utf8.size()), &status);
  out.resize(U_SUCCESS(status) ? length : 0);
  return out;
}

// 2 × kPairs words: runs of neighbours from the sorted list (pairs that
// share prefixes, as in a sort or an index), starting at random places.
const Words& WordsOf(const char* path) {
  static std::vector<std::pair<std::string, Words>> cache;
  for (auto& c : cache)
    if (c.first == path) return c.second;
  cache.emplace_back(path, Words());
  Words& w = cache.back().second;
  std::ifstream in(path);
  std::vector<std::string> all;
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) all.push_back(line);
  if (all.size() < 2 * kPairs) return w;
  std::mt19937 random(42);
  for (size_t i = 0; i < kPairs; ++i) {
    const size_t at = random() % (all.size() - 1);
    for (size_t k = 0; k < 2; ++k) {
      const std::string& utf8 = all[at + k];
      const std::u16string u = Utf16Of(utf8);
      std::vector<uint16_t> units(u.begin(), u.end());
      units.push_back(0);
      KvString wide(units.data());
      KvString narrow(wide);
      narrow.MapToCodeSet(KvCS_CP1252);
      w.wide.push_back(wide);
      w.narrow.push_back(narrow);
      w.utf16.push_back(u);
    }
  }
  w.ok = true;
  return w;
}

const char* PathOf(int language) {
  return language == 0 ? "/usr/share/dict/french" : "/usr/share/dict/ngerman";
}

void BM_KvCollate(benchmark::State& state) {
  const Words& w = WordsOf(PathOf(static_cast<int>(state.range(0))));
  if (!w.ok) {
    state.SkipWithError("word list missing: run bench/setup");
    return;
  }
  const std::vector<KvString>& words = state.range(1) == 8 ? w.narrow : w.wide;
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(words[i].Compare(words[i + 1], -1, 0x0010));
    i = i + 2 < words.size() ? i + 2 : 0;
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_IcuCollate(benchmark::State& state) {
  const Words& w = WordsOf(PathOf(static_cast<int>(state.range(0))));
  if (!w.ok) {
    state.SkipWithError("word list missing: run bench/setup");
    return;
  }
  UErrorCode status = U_ZERO_ERROR;
  UCollator* collator = ucol_open(state.range(0) == 0 ? "fr" : "de", &status);
  if (U_FAILURE(status)) {
    state.SkipWithError("ICU has no collator");
    return;
  }
  size_t i = 0;
  for (auto _ : state) {
    const std::u16string& a = w.utf16[i];
    const std::u16string& b = w.utf16[i + 1];
    benchmark::DoNotOptimize(ucol_strcoll(collator, reinterpret_cast<const UChar*>(a.data()),
                                          static_cast<int32_t>(a.size()),
                                          reinterpret_cast<const UChar*>(b.data()),
                                          static_cast<int32_t>(b.size())));
    i = i + 2 < w.utf16.size() ? i + 2 : 0;
  }
  state.SetItemsProcessed(state.iterations());
  ucol_close(collator);
}

// Index keys: our key form (Translate into format 0x81) beside ICU's sort
// keys, made and compared.
void BM_KvKey(benchmark::State& state) {
  const Words& w = WordsOf(PathOf(static_cast<int>(state.range(0))));
  if (!w.ok) {
    state.SkipWithError("word list missing: run bench/setup");
    return;
  }
  KvTypeMgr mgr;
  std::vector<KvString> words = w.narrow;
  uint8_t key[512];
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        mgr.Translate(KvTYPE_STRING, key, 0x81, sizeof key, &words[i], 8, 0, 1));
    i = i + 1 < words.size() ? i + 1 : 0;
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_IcuSortKey(benchmark::State& state) {
  const Words& w = WordsOf(PathOf(static_cast<int>(state.range(0))));
  if (!w.ok) {
    state.SkipWithError("word list missing: run bench/setup");
    return;
  }
  UErrorCode status = U_ZERO_ERROR;
  UCollator* collator = ucol_open(state.range(0) == 0 ? "fr" : "de", &status);
  uint8_t key[512];
  size_t i = 0;
  for (auto _ : state) {
    const std::u16string& u = w.utf16[i];
    benchmark::DoNotOptimize(ucol_getSortKey(collator, reinterpret_cast<const UChar*>(u.data()),
                                             static_cast<int32_t>(u.size()), key, sizeof key));
    i = i + 1 < w.utf16.size() ? i + 1 : 0;
  }
  state.SetItemsProcessed(state.iterations());
  ucol_close(collator);
}

void BM_KvKeyCompare(benchmark::State& state) {
  const Words& w = WordsOf(PathOf(static_cast<int>(state.range(0))));
  if (!w.ok) {
    state.SkipWithError("word list missing: run bench/setup");
    return;
  }
  KvTypeMgr mgr;
  std::vector<KvString> words = w.narrow;
  std::vector<std::vector<uint8_t>> keys;
  for (KvString& word : words) {
    std::vector<uint8_t> key(512);
    key.resize(mgr.Translate(KvTYPE_STRING, key.data(), 0x81, 512, &word, 8, 0, 1));
    keys.push_back(key);
  }
  size_t i = 0;
  for (auto _ : state) {
    int status = 0;
    std::vector<uint8_t>& a = keys[i];
    std::vector<uint8_t>& b = keys[i + 1];
    benchmark::DoNotOptimize(StringCompare(1, a.size(), a.data(), b.size(), b.data(), 0x0010, 1, status));
    i = i + 2 < keys.size() ? i + 2 : 0;
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_IcuKeyMemcmp(benchmark::State& state) {
  const Words& w = WordsOf(PathOf(static_cast<int>(state.range(0))));
  if (!w.ok) {
    state.SkipWithError("word list missing: run bench/setup");
    return;
  }
  UErrorCode status = U_ZERO_ERROR;
  UCollator* collator = ucol_open(state.range(0) == 0 ? "fr" : "de", &status);
  std::vector<std::vector<uint8_t>> keys;
  for (const std::u16string& u : w.utf16) {
    std::vector<uint8_t> key(512);
    key.resize(ucol_getSortKey(collator, reinterpret_cast<const UChar*>(u.data()),
                               static_cast<int32_t>(u.size()), key.data(), 512));
    keys.push_back(key);
  }
  ucol_close(collator);
  size_t i = 0;
  for (auto _ : state) {
    const std::vector<uint8_t>& a = keys[i];
    const std::vector<uint8_t>& b = keys[i + 1];
    benchmark::DoNotOptimize(std::memcmp(a.data(), b.data(), a.size() < b.size() ? a.size() : b.size()));
    i = i + 2 < keys.size() ? i + 2 : 0;
  }
  state.SetItemsProcessed(state.iterations());
}

BENCHMARK(BM_KvKey)->Arg(0)->Arg(1);
BENCHMARK(BM_IcuSortKey)->Arg(0)->Arg(1);
BENCHMARK(BM_KvKeyCompare)->Arg(0)->Arg(1);
BENCHMARK(BM_IcuKeyMemcmp)->Arg(0)->Arg(1);

// Arguments: 0 French, 1 German; then the code set width of our strings.
BENCHMARK(BM_KvCollate)->Args({0, 8})->Args({0, 16})->Args({1, 8})->Args({1, 16});
BENCHMARK(BM_IcuCollate)->Arg(0)->Arg(1);

}  // namespace
