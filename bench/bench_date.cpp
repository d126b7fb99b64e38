// The native day number beside <chrono>'s civil calendar: KvDate(long) and
// operator long over the same 1,048,576 day numbers (every third day from
// 0001-01-01, into the ninth millennium) as year_month_day{sys_days{...}}
// and sys_days{ymd}. The counter "conversion" is the time of one conversion.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <vector>

#include "kvtm/kvtm.h"

namespace {

constexpr long kCount = 1 << 20;
constexpr long kFirstDay = 1721426;  // 0001-01-01
constexpr long kUnixEpochDay = 2440588;  // 1970-01-01

struct Dates {
  std::vector<long> numbers;
  std::vector<KvDate> native;
  std::vector<std::chrono::year_month_day> civil;
  Dates() {
    for (long i = 0; i < kCount; ++i) {
      const long n = kFirstDay + 3 * i;
      numbers.push_back(n);
      native.push_back(KvDate(n));
      civil.push_back(std::chrono::year_month_day{
          std::chrono::sys_days{std::chrono::days{n - kUnixEpochDay}}});
    }
  }
};

const Dates& Shared() {
  static const Dates dates;
  return dates;
}

void Finish(benchmark::State& state) {
  state.counters["conversion"] = benchmark::Counter(
      static_cast<double>(kCount),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_DateFromNumber_KvDate(benchmark::State& state) {
  const Dates& d = Shared();
  for (auto _ : state) {
    for (long n : d.numbers) {
      KvDate date(n);
      benchmark::DoNotOptimize(date);
    }
  }
  Finish(state);
}

void BM_DateFromNumber_Chrono(benchmark::State& state) {
  const Dates& d = Shared();
  for (auto _ : state) {
    for (long n : d.numbers) {
      std::chrono::year_month_day date{std::chrono::sys_days{std::chrono::days{n - kUnixEpochDay}}};
      benchmark::DoNotOptimize(date);
    }
  }
  Finish(state);
}

void BM_DateToNumber_KvDate(benchmark::State& state) {
  const Dates& d = Shared();
  for (auto _ : state) {
    for (const KvDate& date : d.native) {
      long n = date;
      benchmark::DoNotOptimize(n);
    }
  }
  Finish(state);
}

void BM_DateToNumber_Chrono(benchmark::State& state) {
  const Dates& d = Shared();
  for (auto _ : state) {
    for (const std::chrono::year_month_day& date : d.civil) {
      long n = std::chrono::sys_days{date}.time_since_epoch().count() + kUnixEpochDay;
      benchmark::DoNotOptimize(n);
    }
  }
  Finish(state);
}

BENCHMARK(BM_DateFromNumber_KvDate);
BENCHMARK(BM_DateFromNumber_Chrono);
BENCHMARK(BM_DateToNumber_KvDate);
BENCHMARK(BM_DateToNumber_Chrono);

}  // namespace
