// kvtable.h — the descriptor rows and the two id-to-row arrays (internal).
#ifndef KVTM_SRC_KVTABLE_H
#define KVTM_SRC_KVTABLE_H

#include "kvtm/kvtypes.h"

// The rows that live beside their classes: dates and times
// (kvdate_rows.cpp), KvInt64 (kvint64.cpp), bool (kvboolean.cpp) and
// KvBlob (kvblob.cpp). The others are in kvtypes.cpp.
extern KvTypeDescriptor kvDateRow;
extern KvTypeDescriptor kvTimeRow;
extern KvTypeDescriptor kvDateTimeRow;
extern KvTypeDescriptor kvODMGDateRow;
extern KvTypeDescriptor kvODMGTimeRow;
extern KvTypeDescriptor kvODMGTimestampRow;
extern KvTypeDescriptor kvIntervalRow;
extern KvTypeDescriptor kvInt64Row;
extern KvTypeDescriptor kvBoolRow;
extern KvTypeDescriptor kvBlobRow;

// 28 rows (ids 0 to 27) and an empty entry. They differ only at id 11.
extern KvTypeDescriptor* const kvStandardTable[KvTYPE_COUNT + 1];
extern KvTypeDescriptor* const kvLegacyTable[KvTYPE_COUNT + 1];

// Index of an id into an id-to-row array: the id below 100, id - 72 from
// 100 on. Valid exactly when it lies in 0 to 27.
inline int KvTypeIndex(KvTypeId id) { return id < 100 ? id : id - 72; }
inline bool KvTypeIsValid(KvTypeId id) {
  const int index = KvTypeIndex(id);
  return index >= 0 && index < KvTYPE_COUNT;
}

// Source names under which the library reports broken conditions.
inline constexpr const char* kvSourceTypes = "src\\kvtypes";
inline constexpr const char* kvSourceTypcmp = "src\\kvtypcmp";
inline constexpr const char* kvSourceTypevl = "src\\kvtypevl";
inline constexpr const char* kvSourceString = "src\\kvstring";

#endif  // KVTM_SRC_KVTABLE_H
