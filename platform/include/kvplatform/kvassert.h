// kvassert.h — reports of broken internal conditions.
#ifndef KVPLATFORM_KVASSERT_H
#define KVPLATFORM_KVASSERT_H

#include "kvplatform/export.h"

typedef void (*KvAssertHandler)(const char* expression, const char* file, int line);

// Passes the report to the installed handler and returns 0; the caller goes
// on after the report. The default handler writes one line to standard
// error: "assertion failed: <expression> (<file>:<line>)".
KVP_EXPORT int KIVO_assert(const char* expression, const char* file, int line);

// Installs `handler` (null restores the default) and returns the previous
// one. A report made meanwhile in another thread calls one or the other.
KVP_EXPORT KvAssertHandler KvSetAssertHandler(KvAssertHandler handler);

#endif  // KVPLATFORM_KVASSERT_H
