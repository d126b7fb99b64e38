// kvmemory.cpp — allocation of the memory library and its failure handler.
#include "kvplatform/kvmemory.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int DefaultMemoryHandler(unsigned long size) {
  std::fprintf(stderr, "kvtm: out of memory allocating %lu bytes\n", size);
  std::abort();
}

KvMemoryHandler handler = DefaultMemoryHandler;
int32_t allocationsBeforeFailure = -1;

void* TryMalloc(size_t bytes) {
  if (allocationsBeforeFailure == 0) return nullptr;
  void* p = std::malloc(bytes);
  if (p != nullptr && allocationsBeforeFailure > 0) --allocationsBeforeFailure;
  return p;
}

}  // namespace

int KvCallMemoryHandler(unsigned long size) { return handler(size); }

KvMemoryHandler KvSetMemoryHandler(KvMemoryHandler next) {
  KvMemoryHandler previous = handler;
  handler = next != nullptr ? next : DefaultMemoryHandler;
  return previous;
}

void* KvMemAlloc(uint32_t size) {
  const size_t bytes = size == 0 ? 1 : size;
  void* p = TryMalloc(bytes);
  if (p == nullptr) {
    KvCallMemoryHandler(size);
    p = TryMalloc(bytes);
  }
  return p;
}

void* KvMemAllocZero(uint32_t size) {
  void* p = KvMemAlloc(size);
  if (p != nullptr) std::memset(p, 0, size == 0 ? 1 : size);
  return p;
}

void KvSetAllocFailure(int32_t successes) { allocationsBeforeFailure = successes; }

void KvMemFree(void* p) { std::free(p); }
