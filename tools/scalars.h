// scalars.h — 64-bit integers, booleans, blobs and identifiers at the
// terminal.
//
//   KvInt64     -9223372036854775808 to 9223372036854775807, or 0x hex
//   bool        true, false, 1, 0
//   KvBlob      its bytes as text, or hex after "hex:" (hex:00ff10)
//   KvObjId     HIGH-LOW#BLOCK, as it prints: 1-5#7
//   KvClassId   NUMBERvVERSION: 12v3
//   KvRef       ORIGIN:HIGH-LOW#BLOCK/NUMBERvVERSION: 2:0-9#4/30v1
//
// KvInt64 and bool take comma-separated lists; the others one value.
#ifndef KVTM_TOOLS_SCALARS_H
#define KVTM_TOOLS_SCALARS_H

#include <string>

bool IsScalarType(char id);
// Whether a text holds one value only (no list).
bool IsSingleValueType(char id);

// One value parsed into `out` (memory form of the type, constructed); a bad
// text fails with a message naming the expected form.
void ParseScalar(char id, const std::string& text, void* out);

// One memory-form value as terminal text.
std::string ShowScalar(char id, const void* value);

#endif  // KVTM_TOOLS_SCALARS_H
