// kvi18n_tables.h — the generated character tables behind the code sets
// (internal to the platform layer).
#ifndef KVPLATFORM_SRC_KVI18N_TABLES_H
#define KVPLATFORM_SRC_KVI18N_TABLES_H

#include <cstdint>

#include "kvplatform/kvi18n.h"

// Case properties of one unit of a code set; arrays of them are sorted by
// unit.
struct KvCaseEntry {
  uint16_t unit;
  KvUnicodeProps props;
};

struct KvCodeSetTables {
  const char* name;
  // 8-bit code sets: the Unicode character of each byte, and the byte of a
  // Unicode character by its high byte (a null page, or a 0x1A entry other
  // than U+001A's own: not in the code set). Null for 16-bit code sets,
  // whose units are Unicode characters.
  const uint16_t* toUnicode;
  const uint8_t* const* fromUnicodePages;
  const KvCaseEntry* cases;
  uint32_t caseCount;
  const KvOrderTable* orders;
};

// The tables of the code sets the library knows, by id; null for others.
extern const KvCodeSetTables* const kvCodeSetTables[256];

// The code set object of every id. An id the library does not know behaves
// as ISO-8859-1 or as 253, by its width, and keeps its own id.
extern const KvCodeSet kvCodeSets[256];

// The languages, by id; null for ids without an entry.
extern const KvLanguage* const kvLanguages[256];

// The Unicode version the tables were generated from.
extern const char kvUnicodeVersion[];

#endif  // KVPLATFORM_SRC_KVI18N_TABLES_H
