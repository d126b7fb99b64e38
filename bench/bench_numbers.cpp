// Number values through the type manager beside their anchors: memcpy for
// the straight stored form (format 1) and a plain byte-swap loop for the
// most-significant-byte-first form (format 2), over the same 1,000,000 values.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "kvtm/kvtm.h"

namespace {

constexpr uint32_t kCount = 1000000;

template <typename T>
struct Data {
  std::vector<T> values;
  std::vector<uint8_t> stored;
  std::vector<uint8_t> stored2;
  std::vector<T> out;
  Data() : values(kCount), stored(kCount * sizeof(T)), stored2(kCount * sizeof(T)), out(kCount) {
    for (uint32_t i = 0; i < kCount; ++i) values[i] = static_cast<T>(i * 2654435761u % 1000003);
  }
};

template <typename T>
Data<T>& Shared() {
  static Data<T> data;
  return data;
}

template <typename T>
char IdOf() {
  return sizeof(T) == 8 ? KvTYPE_DOUBLE : KvTYPE_INT;
}

template <typename T>
void Finish(benchmark::State& state) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kCount * sizeof(T));
}

// ---- Anchors ----

template <typename T>
void BM_Memcpy(benchmark::State& state) {
  Data<T>& d = Shared<T>();
  for (auto _ : state) {
    std::memcpy(d.stored.data(), d.values.data(), kCount * sizeof(T));
    benchmark::ClobberMemory();
  }
  Finish<T>(state);
}

template <typename T>
void BM_ByteSwapLoop(benchmark::State& state) {
  using U = std::conditional_t<sizeof(T) == 8, uint64_t, uint32_t>;
  Data<T>& d = Shared<T>();
  for (auto _ : state) {
    const uint8_t* s = reinterpret_cast<const uint8_t*>(d.values.data());
    uint8_t* t = d.stored.data();
    for (uint32_t i = 0; i < kCount; ++i) {
      U v;
      std::memcpy(&v, s + i * sizeof(U), sizeof(U));
      v = sizeof(U) == 8 ? __builtin_bswap64(v) : __builtin_bswap32(static_cast<uint32_t>(v));
      std::memcpy(t + i * sizeof(U), &v, sizeof(U));
    }
    benchmark::ClobberMemory();
  }
  Finish<T>(state);
}

// ---- Through the type manager ----

template <typename T>
void BM_Store(benchmark::State& state) {
  const uint8_t format = static_cast<uint8_t>(state.range(0));
  Data<T>& d = Shared<T>();
  KvTypeMgr mgr;
  for (auto _ : state) {
    benchmark::DoNotOptimize(mgr.Store(IdOf<T>(), d.stored.data(), d.values.data(), format, kCount));
    benchmark::ClobberMemory();
  }
  Finish<T>(state);
}

template <typename T>
void BM_Load(benchmark::State& state) {
  const uint8_t format = static_cast<uint8_t>(state.range(0));
  Data<T>& d = Shared<T>();
  KvTypeMgr mgr;
  mgr.Store(IdOf<T>(), d.stored.data(), d.values.data(), format, kCount);
  for (auto _ : state) {
    benchmark::DoNotOptimize(mgr.Load(IdOf<T>(), d.out.data(), d.stored.data(), format, kCount));
    benchmark::ClobberMemory();
  }
  Finish<T>(state);
}

template <typename T>
void BM_Translate(benchmark::State& state) {
  const uint8_t format = static_cast<uint8_t>(state.range(0));
  Data<T>& d = Shared<T>();
  KvTypeMgr mgr;
  const uint32_t bytes = kCount * sizeof(T);
  for (auto _ : state) {
    benchmark::DoNotOptimize(mgr.Translate(IdOf<T>(), d.stored.data(), format, bytes,
                                           d.values.data(), 8, bytes, kCount));
    benchmark::ClobberMemory();
  }
  Finish<T>(state);
}

// Two equal arrays, so the walk visits every element.
template <typename T>
void BM_Cmp(benchmark::State& state) {
  const uint8_t format = static_cast<uint8_t>(state.range(0));
  Data<T>& d = Shared<T>();
  KvTypeMgr mgr;
  mgr.Store(IdOf<T>(), d.stored.data(), d.values.data(), format, kCount);
  mgr.Store(IdOf<T>(), d.stored2.data(), d.values.data(), format, kCount);
  for (auto _ : state) {
    int status = 0;
    benchmark::DoNotOptimize(mgr.Cmp(IdOf<T>(), 0, d.stored.data(), 0, d.stored2.data(), 0,
                                     kCount, format, status));
  }
  Finish<T>(state);
}

BENCHMARK(BM_Memcpy<int32_t>);
BENCHMARK(BM_ByteSwapLoop<int32_t>);
BENCHMARK(BM_Store<int32_t>)->Arg(1)->Arg(2);
BENCHMARK(BM_Load<int32_t>)->Arg(1)->Arg(2);
BENCHMARK(BM_Translate<int32_t>)->Arg(1)->Arg(2);
BENCHMARK(BM_Cmp<int32_t>)->Arg(1)->Arg(2);
BENCHMARK(BM_Memcpy<double>);
BENCHMARK(BM_ByteSwapLoop<double>);
BENCHMARK(BM_Store<double>)->Arg(1)->Arg(2);
BENCHMARK(BM_Load<double>)->Arg(1)->Arg(2);
BENCHMARK(BM_Translate<double>)->Arg(1)->Arg(2);
BENCHMARK(BM_Cmp<double>)->Arg(1)->Arg(2);

}  // namespace
