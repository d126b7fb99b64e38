// kvstrcmp.h — the KvString compare function with its paths named (internal).
#ifndef KVTM_SRC_KVSTRCMP_H
#define KVTM_SRC_KVSTRCMP_H

// StringCompare (`secondFactory` false) or LegacyStringCompare (true) by
// the general walk alone, over copies of every element's text. The two
// rows first compare a pair of whole index keys in place, which must give
// the same result and status: the differential checks compare the two.
long KvCompareStrings(unsigned char format, unsigned long length1, void* values1,
                      unsigned long length2, void* values2, unsigned short op, unsigned long count,
                      int& status, bool secondFactory);

#endif  // KVTM_SRC_KVSTRCMP_H
