// kvmemory.h — allocation of the memory library and its failure handler.
#ifndef KVPLATFORM_KVMEMORY_H
#define KVPLATFORM_KVMEMORY_H

#include <cstdint>

#include "kvplatform/export.h"

typedef int (*KvMemoryHandler)(unsigned long size);

// Calls the installed handler with the size of an allocation that failed.
// The default handler writes one line to standard error and aborts the
// process, so by default it never returns.
KVP_EXPORT int KvCallMemoryHandler(unsigned long size);

// Installs `handler` (null restores the default) and returns the previous
// one. A handler that returns has either freed memory or accepts that the
// allocation fails. An allocation failing meanwhile in another thread calls
// one or the other.
KVP_EXPORT KvMemoryHandler KvSetMemoryHandler(KvMemoryHandler handler);

// malloc of `size` bytes (at least one byte is allocated, so the result of
// a successful call is never null). On failure calls the memory handler
// and tries once more; returns null only when that fails too.
KVP_EXPORT void* KvMemAlloc(uint32_t size);

// calloc-like: as KvMemAlloc, with every byte zero.
KVP_EXPORT void* KvMemAllocZero(uint32_t size);

// Test hook for a single thread: after `successes` more successful
// KvMemAlloc calls, every allocation fails (before and after the handler)
// until the hook is reset with a negative count, the initial state.
KVP_EXPORT void KvSetAllocFailure(int32_t successes);

// free; null is ignored.
KVP_EXPORT void KvMemFree(void* p);

#endif  // KVPLATFORM_KVMEMORY_H
