// KvInt64 multiplication, division and remainder beside the same native
// int64_t operations, over the same operand arrays. Every result is kept
// (DoNotOptimize), so neither loop is folded or vectorised away.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "kvtm/kvtm.h"

namespace {

constexpr size_t kCount = 4096;

// Operands of every size from 1 bit to 64, divisors never 0 and never -1
// against MIN, so that the native division is defined for every pair.
struct Operands {
  std::vector<int64_t> a, b;
  std::vector<KvInt64> x, y;

  Operands() {
    std::mt19937_64 random(64);
    const auto any = [&random]() {
      return static_cast<int64_t>(random()) >> (random() % 64);
    };
    for (size_t i = 0; i < kCount; ++i) {
      const int64_t dividend = any();
      int64_t divisor = any();
      if (divisor == 0 ||
          (divisor == -1 && dividend == std::numeric_limits<int64_t>::min())) {
        divisor = 3;
      }
      a.push_back(dividend);
      b.push_back(divisor);
      x.push_back(Of(dividend));
      y.push_back(Of(divisor));
    }
  }

  static KvInt64 Of(int64_t v) {
    const uint64_t bits = static_cast<uint64_t>(v);
    return KvInt64(static_cast<unsigned long>(bits & 0xFFFFFFFFu),
                   static_cast<long>(static_cast<int32_t>(static_cast<uint32_t>(bits >> 32))));
  }
};

const Operands& Shared() {
  static const Operands operands;
  return operands;
}

void Finish(benchmark::State& state) {
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kCount);
}

// Native multiplication wraps in unsigned arithmetic: the same instruction,
// without the undefined behaviour of a signed overflow.
void BM_Int64Multiply_Native(benchmark::State& state) {
  const Operands& o = Shared();
  for (auto _ : state) {
    for (size_t i = 0; i < kCount; ++i) {
      benchmark::DoNotOptimize(static_cast<int64_t>(static_cast<uint64_t>(o.a[i]) *
                                                    static_cast<uint64_t>(o.b[i])));
    }
  }
  Finish(state);
}

void BM_Int64Multiply_KvInt64(benchmark::State& state) {
  const Operands& o = Shared();
  for (auto _ : state) {
    for (size_t i = 0; i < kCount; ++i) benchmark::DoNotOptimize(o.x[i] * o.y[i]);
  }
  Finish(state);
}

void BM_Int64Divide_Native(benchmark::State& state) {
  const Operands& o = Shared();
  for (auto _ : state) {
    for (size_t i = 0; i < kCount; ++i) benchmark::DoNotOptimize(o.a[i] / o.b[i]);
  }
  Finish(state);
}

void BM_Int64Divide_KvInt64(benchmark::State& state) {
  const Operands& o = Shared();
  for (auto _ : state) {
    for (size_t i = 0; i < kCount; ++i) benchmark::DoNotOptimize(o.x[i] / o.y[i]);
  }
  Finish(state);
}

void BM_Int64Remainder_Native(benchmark::State& state) {
  const Operands& o = Shared();
  for (auto _ : state) {
    for (size_t i = 0; i < kCount; ++i) benchmark::DoNotOptimize(o.a[i] % o.b[i]);
  }
  Finish(state);
}

void BM_Int64Remainder_KvInt64(benchmark::State& state) {
  const Operands& o = Shared();
  for (auto _ : state) {
    for (size_t i = 0; i < kCount; ++i) benchmark::DoNotOptimize(o.x[i] % o.y[i]);
  }
  Finish(state);
}

}  // namespace

BENCHMARK(BM_Int64Multiply_Native);
BENCHMARK(BM_Int64Multiply_KvInt64);
BENCHMARK(BM_Int64Divide_Native);
BENCHMARK(BM_Int64Divide_KvInt64);
BENCHMARK(BM_Int64Remainder_Native);
BENCHMARK(BM_Int64Remainder_KvInt64);
