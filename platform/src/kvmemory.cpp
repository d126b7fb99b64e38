// kvmemory.cpp — allocation of the memory library and its failure handler.
#include "kvplatform/kvmemory.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int DefaultMemoryHandler(unsigned long size) {
  std::fprintf(stderr, "kvtm: out of memory allocating %lu bytes\n", size);
  std::abort();
}

// Every allocation reads both, from any thread: atomic, so that a setter
// that runs meanwhile is seen whole. The count is a test's, and -1 but
// while one runs.
std::atomic<KvMemoryHandler> handler{DefaultMemoryHandler};
std::atomic<int32_t> allocationsBeforeFailure{-1};

void* TryMalloc(size_t bytes) {
  const int32_t left = allocationsBeforeFailure.load(std::memory_order_relaxed);
  if (left == 0) return nullptr;
  void* p = std::malloc(bytes);
  if (p != nullptr && left > 0) allocationsBeforeFailure.fetch_sub(1, std::memory_order_relaxed);
  return p;
}

}  // namespace

int KvCallMemoryHandler(unsigned long size) {
  return handler.load(std::memory_order_acquire)(size);
}

KvMemoryHandler KvSetMemoryHandler(KvMemoryHandler next) {
  return handler.exchange(next != nullptr ? next : DefaultMemoryHandler, std::memory_order_acq_rel);
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

void KvSetAllocFailure(int32_t successes) {
  allocationsBeforeFailure.store(successes, std::memory_order_relaxed);
}

void KvMemFree(void* p) { std::free(p); }
