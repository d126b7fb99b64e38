// Text through the character layer beside glibc's iconv on the same text:
// code set conversion of a 60 KB text between Windows-1252 and Unicode, and
// the collation order walk over it.
#include <benchmark/benchmark.h>
#include <iconv.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "kvtm/kvtm.h"

namespace {

// 30,000 characters of Western European text in Windows-1252: 60 KB in
// Unicode, close to the largest 16-bit string (32,765 units).
const std::string& Text() {
  static const std::string text = [] {
    const char* sentences[] = {
        "Le c\xF4t\xE9 na\xEFve de l'\xE9t\xE9 fran\xE7" "ais, ",
        "die Stra\xDF" "e f\xFChrt \xFC" "ber den Gr\xFCn\xE4" "ther M\xFChlbach; ",
        "el ni\xF1o espa\xF1ol come chorizo con \xE1nimo, ",
        "K\xF8" "benhavns \xE6" "bler og \xE5" "en \x96 \x80" "12,50. ",
    };
    std::string t;
    for (int i = 0; t.size() < 30000; ++i) t += sentences[i % 4];
    t.resize(30000);
    return t;
  }();
  return text;
}

// Windows-1252 to Unicode and back, once each per iteration.
void BM_MapToCodeSetRoundTrip(benchmark::State& state) {
  KvString s(Text().c_str());
  s.SetCodeSetCode(1);
  for (auto _ : state) {
    s.MapToCodeSet(253);
    s.MapToCodeSet(1);
    benchmark::DoNotOptimize(s.StrGet());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 2 * Text().size());
}

void BM_IconvRoundTrip(benchmark::State& state) {
  iconv_t toUnicode = iconv_open("UCS-2LE", "WINDOWS-1252");
  iconv_t fromUnicode = iconv_open("WINDOWS-1252", "UCS-2LE");
  if (toUnicode == reinterpret_cast<iconv_t>(-1) || fromUnicode == reinterpret_cast<iconv_t>(-1)) {
    state.SkipWithError("iconv lacks WINDOWS-1252");
    return;
  }
  std::string narrow = Text();
  std::vector<char> wide(2 * narrow.size());
  for (auto _ : state) {
    char* in = narrow.data();
    size_t inLeft = narrow.size();
    char* out = wide.data();
    size_t outLeft = wide.size();
    iconv(toUnicode, &in, &inLeft, &out, &outLeft);
    in = wide.data();
    inLeft = wide.size();
    out = narrow.data();
    outLeft = narrow.size();
    iconv(fromUnicode, &in, &inLeft, &out, &outLeft);
    benchmark::DoNotOptimize(narrow.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 2 * Text().size());
  iconv_close(toUnicode);
  iconv_close(fromUnicode);
}

// The collation order walk; nanoseconds per character are 1e9 divided by
// items_per_second.
void BM_GetNextOrder(benchmark::State& state) {
  const uint8_t cs = static_cast<uint8_t>(state.range(0));
  KvString s(Text().c_str());
  s.MapToCodeSet(cs);
  for (auto _ : state) {
    KvStringIterator it(s);
    uint32_t sum = 0;
    while (uint16_t order = it.GetNextOrder(1)) sum += order;
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * Text().size());
}

BENCHMARK(BM_MapToCodeSetRoundTrip);
BENCHMARK(BM_IconvRoundTrip);
BENCHMARK(BM_GetNextOrder)->Arg(1)->Arg(253);

}  // namespace
