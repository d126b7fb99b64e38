// kvtypemgr.h — the type manager: every operation on a value of any type,
// by type id, and the library's start-up and module information.
#ifndef KVTM_KVTYPEMGR_H
#define KVTM_KVTYPEMGR_H

#include <cstdint>

#include "kvtm/export.h"
#include "kvtm/kvtypes.h"

// Dispatches by type id through one of two id-to-row arrays: the standard
// type table, or the legacy one whose KvString row reads and writes the
// legacy stored form. The manager owns nothing; copies share the rows.
//
// Every operation but IsValidType and Name2KvTypeId expects an id of 0 to
// 27. Another id is reported through KIVO_assert and the operation returns
// its empty result (null, 0, or its KvString or values argument) without
// touching the table. So does an operation whose slot is empty.
class KVTM_EXPORT KvTypeMgr {
 public:
  explicit KvTypeMgr(unsigned long factory = 5);

  // 12 and more: standard table, factory 4. 11: legacy table, factory 3.
  // 4 to 10: standard table. 0 to 3: legacy table. The number is kept
  // otherwise unchanged (FactoryGet); the library does not read it.
  void SetFactory(unsigned long factory);
  uint16_t FactoryGet() const { return factory_; }
  // 1 when the manager dispatches through the legacy table.
  int IsLegacy() const;

  // 1 when id is 0 to 27, else 0.
  int IsValidType(char id) const;
  // 0 with id set to the first id whose row's name equals `name` byte for
  // byte; 1 with id 28 when no row has that name.
  int Name2KvTypeId(const char* name, char& id) const;

  // Calls through the row's slots; results are the slots' own.
  void* Create(char id, unsigned long count);
  void* Delete(char id, void* values, unsigned long count);
  // Writes count values in `format`; returns the bytes written, never more
  // than DiskLenGet gives for the same values and format. Values whose
  // stored length field cannot hold their size (a KvString record, a
  // legacy or insensitive string block of more than 65535 bytes after the
  // field) are refused whole with the string overflow report
  // (configuration "debug"/"stringOverflow"): nothing is written and the
  // result is 0. So is a format no stored form has (an insensitive string
  // format with bits 3 and 7).
  unsigned long Store(char id, void* stored, void* values, unsigned char format,
                      unsigned long count);
  // Reads count values; returns the stored bytes consumed (32 bits).
  unsigned long Load(char id, void* values, void* stored, unsigned char format,
                     unsigned long count);
  // Stored length, in `format`, of count values given in `valueFormat`: at
  // least what Store and Translate write for them. 0 for values that Store
  // refuses.
  unsigned long DiskLenGet(char id, void* values, unsigned char format, unsigned long count,
                           unsigned char valueFormat);
  unsigned long DiskLenGetFromMemFile(char id, MemFile* file, unsigned char format,
                                      unsigned long count);
  long Cmp(char id, unsigned long lengthA, void* a, unsigned long lengthB, void* b,
           unsigned short op, unsigned long count, unsigned char format, int& error);
  // As above with lengths 0 (count elements each) and the status dropped.
  long Cmp(char id, void* a, void* b, unsigned short op, unsigned long count,
           unsigned char format);
  float EvalAndBound(char id, KvIdxBounds* range, unsigned short& relation, void* value,
                     unsigned char format, unsigned long count, KvIdxBounds* bounds);
  unsigned long Translate(char id, void* target, unsigned char targetFormat,
                          unsigned long targetLength, void* source, unsigned char sourceFormat,
                          unsigned long sourceLength, unsigned long count);
  // Note the argument order: the value or text first, the id second.
  KvString* ConvertToKvString(void* values, char id, unsigned long count);
  void* ConvertFromKvString(KvString* text, char id, unsigned long count);

  // The value as text under `format` (null: the row's exchange format). A
  // row without a print function falls back to ConvertToKvString; without
  // either, `out` is returned unchanged. A text longer than a string holds
  // is refused whole and reported as every string overflow: `out` is left
  // without text, or as it was where the row appends (dates and times,
  // KvInt64, KvBlob). Under its exchange format every date and time prints
  // a text that scans back to it, but for the fields the format leaves out.
  KvString& PrintToKvString(char id, KvString& out, void* values, const char* format,
                            unsigned long count);
  // The value read from `text`. A row without a scan function deletes
  // `values` and returns a new value from ConvertFromKvString, which the
  // caller then uses instead; without either, `values` is returned.
  void* ScanFromKvString(char id, void* values, KvString& text, const char* format,
                         unsigned long count);

  // The row's name; with a buffer (14 bytes always suffice) a copy of it,
  // returning the buffer.
  char* NameGet(char id, char* buffer);
  // Memory length × count, kept to 16 bits.
  unsigned short MemLenGet(char id, unsigned long count);
  unsigned short IsFixed(char id);
  KvConstructFunc ConstructorPtrGet(char id);
  KvDestructFunc DestructorPtrGet(char id);
  KvAssignFunc AssignmentPtrGet(char id);
  KvAssignFunc CopyPtrGet(char id);
  KvLoadFunc LoadPtrGet(char id);
  KvStoreFunc StorePtrGet(char id);
  KvTypeCmpFunc CmpFuncPtrGet(char id);
  // Always null: no row has a two-operand compare function.
  int (*ComparePtrGet(char id))(void*, void*);

  // Each replaces a slot of the row itself, for every manager whose table
  // holds that row, and returns the previous content; null only queries.
  // An exchanged format text is not copied: the caller keeps it alive.
  const char* ExchangeFormat(char id, const char* format);
  KvTypeCmpFunc ExchangeKvTypeCmpFunc(char id, KvTypeCmpFunc func);
  KvPrintToKvStringFunc ExchangePrintToKvStringFunc(char id, KvPrintToKvStringFunc func);
  KvScanFromKvStringFunc ExchangeScanFromKvStringFunc(char id, KvScanFromKvStringFunc func);

 private:
  // The row of a valid id; null, after a report, for any other.
  KvTypeDescriptor* Row(char id) const;

  KvTypeDescriptor* const* table_;
  uint16_t factory_;
};

// Returns the process-wide default manager; a non-null `manager` becomes
// the new default (the previous one is neither copied nor deleted).
KVTM_EXPORT KvTypeMgr* DefaultTypeMgr(KvTypeMgr* manager);

// Sets up (enter nonzero) or tears down (0) the library's process context:
// first the language context, then the default manager, which set-up
// creates with factory 5 and tear-down deletes.
KVTM_EXPORT void ___KvTypemgrContext(int enter);

// The process-wide options word, 0 at load. Bit 0: the KvString conversions
// to int, short and long read 8-bit text as plain decimal.
KVTM_EXPORT int32_t& ___KvTypeMgrOptions();

// Module information; each non-null argument receives its item. The texts
// are the library's constants; the description is
// "KIVO Typemanager library 6.0.3.50 ".
extern "C" KVTM_EXPORT void GetKvTypeMgrInfo(const char** tool, unsigned long* toolVersion,
                                             const char** description, const char** date,
                                             const char** module);

#endif  // KVTM_KVTYPEMGR_H
