// kvstrcmp.h — the KvString compare function with its paths named (internal).
#ifndef KVTM_SRC_KVSTRCMP_H
#define KVTM_SRC_KVSTRCMP_H

// StringCompare (`secondFactory` false) or LegacyStringCompare (true).
// With `inPlaceKeys` false, pairs of index keys take the general walk over
// copies of their texts instead of the in-place compare, which must give
// the same result and status: the differential checks compare the two.
long KvCompareStrings(unsigned char format, unsigned long length1, void* values1,
                      unsigned long length2, void* values2, unsigned short op, unsigned long count,
                      int& status, bool secondFactory, bool inPlaceKeys);

#endif  // KVTM_SRC_KVSTRCMP_H
