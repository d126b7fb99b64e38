// kvassert.cpp — reports of broken internal conditions.
#include "kvplatform/kvassert.h"

#include <cstdio>

namespace {

void DefaultAssertHandler(const char* expression, const char* file, int line) {
  std::fprintf(stderr, "assertion failed: %s (%s:%d)\n", expression ? expression : "",
               file ? file : "", line);
}

KvAssertHandler handler = DefaultAssertHandler;

}  // namespace

int KIVO_assert(const char* expression, const char* file, int line) {
  handler(expression, file, line);
  return 0;
}

KvAssertHandler KvSetAssertHandler(KvAssertHandler next) {
  KvAssertHandler previous = handler;
  handler = next != nullptr ? next : DefaultAssertHandler;
  return previous;
}
