// kvassert.cpp — reports of broken internal conditions.
#include "kvplatform/kvassert.h"

#include <atomic>
#include <cstdio>

namespace {

void DefaultAssertHandler(const char* expression, const char* file, int line) {
  std::fprintf(stderr, "assertion failed: %s (%s:%d)\n", expression ? expression : "",
               file ? file : "", line);
}

// Reports come from any thread: atomic, so that one made while a handler
// is installed calls the old handler or the new one.
std::atomic<KvAssertHandler> handler{DefaultAssertHandler};

}  // namespace

int KIVO_assert(const char* expression, const char* file, int line) {
  handler.load(std::memory_order_acquire)(expression, file, line);
  return 0;
}

KvAssertHandler KvSetAssertHandler(KvAssertHandler next) {
  return handler.exchange(next != nullptr ? next : DefaultAssertHandler, std::memory_order_acq_rel);
}
