// kvtypes.h — type identifiers and the type descriptor table.
#ifndef KVTM_KVTYPES_H
#define KVTM_KVTYPES_H

#include <cstdint>

#include "kvplatform/kvbase.h"
#include "kvtm/kvtypcmp.h"
#include "kvtm/kvtypevl.h"

class KvString;
class MemFile;

// A type identifier: signed 8-bit, valid 0 to 27. The ids are stored in
// databases; they never change.
typedef int8_t KvTypeId;

enum : KvTypeId {
  KvTYPE_CHAR = 0,
  KvTYPE_SHORT = 1,
  KvTYPE_LONG = 2,
  KvTYPE_DOUBLE = 3,
  KvTYPE_FLOAT = 4,
  KvTYPE_WORD = 5,
  KvTYPE_DWORD = 6,
  KvTYPE_INT = 7,
  KvTYPE_UNSIGNED = 8,
  KvTYPE_ENUM = 9,
  KvTYPE_BYTE = 10,
  KvTYPE_STRING = 11,
  KvTYPE_DATE = 12,
  KvTYPE_TIME = 13,
  KvTYPE_BLOCKID = 14,
  KvTYPE_OBJID = 15,
  KvTYPE_CLASSID = 16,
  KvTYPE_REF = 17,
  KvTYPE_BLOB = 18,
  KvTYPE_DATETIME = 19,
  KvTYPE_ISTRING = 20,
  KvTYPE_CASEISTRING = 21,
  KvTYPE_D_DATE = 22,
  KvTYPE_D_TIME = 23,
  KvTYPE_D_TIMESTAMP = 24,
  KvTYPE_D_INTERVAL = 25,
  KvTYPE_INT64 = 26,
  KvTYPE_BOOL = 27,
};

// Number of rows addressed by an id-to-row array.
enum : int { KvTYPE_COUNT = 28 };

// The function slots of a descriptor row. `count` is always the number of
// consecutive values (an array member); `format` is a format code (kvbase.h;
// bits 5 to 7 are string flags).
typedef void* (*KvCreateFunc)(uint32_t count);
typedef void* (*KvDeleteFunc)(void* values, uint32_t count);
typedef uint32_t (*KvStoreFunc)(void* stored, void* values, uint8_t format, uint32_t count);
typedef uint32_t (*KvLoadFunc)(void* values, void* stored, uint8_t format, uint32_t count);
typedef uint32_t (*KvNullSizeFunc)(uint32_t count);
typedef uint32_t (*KvSizeFunc)(void* values, uint8_t valueFormat, uint8_t storedFormat,
                               uint32_t count);
typedef uint32_t (*KvSizeFromMemFileFunc)(MemFile* file, uint8_t format, uint32_t count);
typedef KvString* (*KvToKvStringFunc)(void* values, uint32_t count);
typedef void* (*KvFromKvStringFunc)(KvString* text, uint32_t count);
typedef void (*KvConstructFunc)(void* values, uint32_t count, uint32_t reserved);
typedef void (*KvDestructFunc)(void* values, uint32_t count, uint32_t reserved);
typedef void (*KvAssignFunc)(void* target, void* source, uint32_t count, int32_t fill);
typedef uint32_t (*KvTranslateFunc)(void* target, uint8_t targetFormat, uint32_t targetLength,
                                    void* source, uint8_t sourceFormat, uint32_t sourceLength,
                                    uint32_t count);
typedef KvString& (*KvPrintToKvStringFunc)(KvString& out, void* values, const char* format,
                                           uint32_t count);
typedef void* (*KvScanFromKvStringFunc)(void* values, KvString& text, const char* format,
                                        uint32_t count);

// One row of the descriptor table. Rows are process-wide static data; a
// slot is changed only by the exchange operations of KvTypeMgr. A null slot
// belongs to a type whose function is not available.
struct KvTypeDescriptor {
  const char* name;
  KvCreateFunc Create;                    // count 0 or 1: one object
  KvDeleteFunc Delete;                    // frees what Create made; null ignored
  KvStoreFunc Store;                      // returns the bytes written, at most SizeGet
  KvLoadFunc Load;                        // returns the stored bytes consumed
  KvNullSizeFunc NullSizeGet;             // stored length of count null values
  KvSizeFunc SizeGet;                     // stored length of count values; 0: unstorable
  KvSizeFromMemFileFunc SizeGetFromMemFile;  // the file's position is kept
  KvTypeCmpFunc Compare;
  KvEvalFunc EvalAndBound;
  KvToKvStringFunc ConvertToKvString;     // the caller deletes the string
  KvFromKvStringFunc ConvertFromKvString; // a new value made by Create
  KvConstructFunc Constructor;            // default values into raw memory
  KvDestructFunc Destructor;              // destroys without freeing
  KvAssignFunc Assignment;                // fill: every target gets source 0
  KvAssignFunc Copy;                      // as Assignment, into raw memory
  KvTranslateFunc Translate;              // returns the bytes produced
  const char* exchangeFormat;             // default format of print and scan
  KvPrintToKvStringFunc PrintToString;
  KvScanFromKvStringFunc ScanFromString;
  uint16_t memLength;                     // bytes of one value in memory
  uint16_t fixed;                         // 1: every value stores alike
};

#endif  // KVTM_KVTYPES_H
