// kvtypemgr.cpp — the type manager's dispatch, the library's start-up and
// its module information.
#include "kvtm/kvtypemgr.h"

#include <dlfcn.h>

#include <atomic>
#include <cstring>
#include <new>

#include "kvplatform/kvassert.h"
#include "kvplatform/kvi18n.h"
#include "kvtable.h"
#include "kvtm/kvstring.h"

// ---- Dispatch ----

KvTypeMgr::KvTypeMgr(unsigned long factory) : table_(kvStandardTable), factory_(5) {
  SetFactory(factory);
}

void KvTypeMgr::SetFactory(unsigned long factory) {
  // Factory numbers are 32-bit whatever the host's long.
  const uint32_t f = static_cast<uint32_t>(factory);
  if (f >= 12) {
    table_ = kvStandardTable;
    factory_ = 4;
  } else if (f == 11) {
    table_ = kvLegacyTable;
    factory_ = 3;
  } else if (f >= 4) {
    table_ = kvStandardTable;
    factory_ = static_cast<uint16_t>(f);
  } else {
    table_ = kvLegacyTable;
    factory_ = static_cast<uint16_t>(f);
  }
}

int KvTypeMgr::IsLegacy() const { return table_ == kvLegacyTable; }

int KvTypeMgr::IsValidType(char id) const {
  return KvTypeIsValid(static_cast<KvTypeId>(id)) ? 1 : 0;
}

int KvTypeMgr::Name2KvTypeId(const char* name, char& id) const {
  id = 0;
  while (IsValidType(id)) {
    if (name != nullptr && std::strcmp(table_[KvTypeIndex(id)]->name, name) == 0) return 0;
    ++id;
  }
  return 1;
}

KvTypeDescriptor* KvTypeMgr::Row(char id) const {
  const KvTypeId typeId = static_cast<KvTypeId>(id);
  if (!KvTypeIsValid(typeId)) {
    KIVO_assert("\"Invalid type id\" && 0", kvSourceTypes, __LINE__);
    return nullptr;
  }
  return table_[KvTypeIndex(typeId)];
}

void* KvTypeMgr::Create(char id, unsigned long count) {
  const KvTypeDescriptor* row = Row(id);
  if (row == nullptr || row->Create == nullptr) return nullptr;
  return row->Create(static_cast<uint32_t>(count));
}

void* KvTypeMgr::Delete(char id, void* values, unsigned long count) {
  const KvTypeDescriptor* row = Row(id);
  if (row == nullptr || row->Delete == nullptr) return nullptr;
  return row->Delete(values, static_cast<uint32_t>(count));
}

unsigned long KvTypeMgr::Store(char id, void* stored, void* values, unsigned char format,
                               unsigned long count) {
  const KvTypeDescriptor* row = Row(id);
  if (row == nullptr || row->Store == nullptr) return 0;
  return row->Store(stored, values, format, static_cast<uint32_t>(count));
}

unsigned long KvTypeMgr::Load(char id, void* values, void* stored, unsigned char format,
                              unsigned long count) {
  const KvTypeDescriptor* row = Row(id);
  if (row == nullptr || row->Load == nullptr) return 0;
  return row->Load(values, stored, format, static_cast<uint32_t>(count));
}

unsigned long KvTypeMgr::DiskLenGet(char id, void* values, unsigned char format,
                                    unsigned long count, unsigned char valueFormat) {
  const KvTypeDescriptor* row = Row(id);
  if (row == nullptr || row->SizeGet == nullptr) return 0;
  return row->SizeGet(values, valueFormat, format, static_cast<uint32_t>(count));
}

unsigned long KvTypeMgr::DiskLenGetFromMemFile(char id, MemFile* file, unsigned char format,
                                               unsigned long count) {
  const KvTypeDescriptor* row = Row(id);
  if (row == nullptr || row->SizeGetFromMemFile == nullptr) return 0;
  return row->SizeGetFromMemFile(file, format, static_cast<uint32_t>(count));
}

long KvTypeMgr::Cmp(char id, unsigned long lengthA, void* a, unsigned long lengthB, void* b,
                    unsigned short op, unsigned long count, unsigned char format, int& error) {
  const KvTypeDescriptor* row = Row(id);
  if (row == nullptr || row->Compare == nullptr) {
    error = 0;
    return 0;
  }
  return row->Compare(format, lengthA, a, lengthB, b, op, count, error);
}

long KvTypeMgr::Cmp(char id, void* a, void* b, unsigned short op, unsigned long count,
                    unsigned char format) {
  int scratch = 0;
  return Cmp(id, 0, a, 0, b, op, count, format, scratch);
}

float KvTypeMgr::EvalAndBound(char id, KvIdxBounds* range, unsigned short& relation,
                              void* value, unsigned char format, unsigned long count,
                              KvIdxBounds* bounds) {
  const KvTypeDescriptor* row = Row(id);
  if (row == nullptr || row->EvalAndBound == nullptr) return 0.0f;
  return row->EvalAndBound(range, relation, value, format, static_cast<uint32_t>(count),
                           bounds);
}

unsigned long KvTypeMgr::Translate(char id, void* target, unsigned char targetFormat,
                                   unsigned long targetLength, void* source,
                                   unsigned char sourceFormat, unsigned long sourceLength,
                                   unsigned long count) {
  const KvTypeDescriptor* row = Row(id);
  if (row == nullptr || row->Translate == nullptr) return 0;
  return row->Translate(target, targetFormat, static_cast<uint32_t>(targetLength), source,
                        sourceFormat, static_cast<uint32_t>(sourceLength),
                        static_cast<uint32_t>(count));
}

KvString* KvTypeMgr::ConvertToKvString(void* values, char id, unsigned long count) {
  const KvTypeDescriptor* row = Row(id);
  if (row == nullptr || row->ConvertToKvString == nullptr) return nullptr;
  return row->ConvertToKvString(values, static_cast<uint32_t>(count));
}

void* KvTypeMgr::ConvertFromKvString(KvString* text, char id, unsigned long count) {
  const KvTypeDescriptor* row = Row(id);
  if (row == nullptr || row->ConvertFromKvString == nullptr) return nullptr;
  return row->ConvertFromKvString(text, static_cast<uint32_t>(count));
}

KvString& KvTypeMgr::PrintToKvString(char id, KvString& out, void* values, const char* format,
                                     unsigned long count) {
  const KvTypeDescriptor* row = Row(id);
  if (row == nullptr) return out;
  const uint32_t n = static_cast<uint32_t>(count);
  if (row->PrintToString != nullptr)
    return row->PrintToString(out, values, format != nullptr ? format : row->exchangeFormat, n);
  if (row->ConvertToKvString != nullptr) {
    KvString* text = row->ConvertToKvString(values, n);
    if (text != nullptr) {
      out = *text;
      delete text;
    }
  }
  return out;
}

void* KvTypeMgr::ScanFromKvString(char id, void* values, KvString& text, const char* format,
                                  unsigned long count) {
  const KvTypeDescriptor* row = Row(id);
  if (row == nullptr) return values;
  const uint32_t n = static_cast<uint32_t>(count);
  if (row->ScanFromString != nullptr)
    return row->ScanFromString(values, text, format != nullptr ? format : row->exchangeFormat,
                               n);
  if (row->ConvertFromKvString != nullptr) {
    if (row->Delete != nullptr) row->Delete(values, n);
    return row->ConvertFromKvString(&text, n);
  }
  return values;
}

// ---- Reading a row ----

namespace {

// A slot of a row, or null for the missing row of an invalid id.
template <typename Slot>
Slot SlotOf(const KvTypeDescriptor* row, Slot KvTypeDescriptor::*slot) {
  return row != nullptr ? row->*slot : nullptr;
}

// Replaces a slot unless `value` is null, and returns its previous content.
template <typename Slot>
Slot ReplaceSlot(KvTypeDescriptor* row, Slot KvTypeDescriptor::*slot, Slot value) {
  if (row == nullptr) return nullptr;
  const Slot previous = row->*slot;
  if (value != nullptr) row->*slot = value;
  return previous;
}

}  // namespace

char* KvTypeMgr::NameGet(char id, char* buffer) {
  const KvTypeDescriptor* row = Row(id);
  if (row == nullptr) return nullptr;
  if (buffer == nullptr) return const_cast<char*>(row->name);
  std::strcpy(buffer, row->name);
  return buffer;
}

unsigned short KvTypeMgr::MemLenGet(char id, unsigned long count) {
  const KvTypeDescriptor* row = Row(id);
  if (row == nullptr) return 0;
  return static_cast<unsigned short>(row->memLength * static_cast<uint32_t>(count));
}

unsigned short KvTypeMgr::IsFixed(char id) {
  const KvTypeDescriptor* row = Row(id);
  return row != nullptr ? row->fixed : 0;
}

KvConstructFunc KvTypeMgr::ConstructorPtrGet(char id) { return SlotOf(Row(id), &KvTypeDescriptor::Constructor); }

KvDestructFunc KvTypeMgr::DestructorPtrGet(char id) { return SlotOf(Row(id), &KvTypeDescriptor::Destructor); }

KvAssignFunc KvTypeMgr::AssignmentPtrGet(char id) { return SlotOf(Row(id), &KvTypeDescriptor::Assignment); }

KvAssignFunc KvTypeMgr::CopyPtrGet(char id) { return SlotOf(Row(id), &KvTypeDescriptor::Copy); }

KvLoadFunc KvTypeMgr::LoadPtrGet(char id) { return SlotOf(Row(id), &KvTypeDescriptor::Load); }

KvStoreFunc KvTypeMgr::StorePtrGet(char id) { return SlotOf(Row(id), &KvTypeDescriptor::Store); }

KvTypeCmpFunc KvTypeMgr::CmpFuncPtrGet(char id) { return SlotOf(Row(id), &KvTypeDescriptor::Compare); }

int (*KvTypeMgr::ComparePtrGet(char))(void*, void*) { return nullptr; }

// ---- Replacing a slot ----

const char* KvTypeMgr::ExchangeFormat(char id, const char* format) {
  return ReplaceSlot(Row(id), &KvTypeDescriptor::exchangeFormat, format);
}

KvTypeCmpFunc KvTypeMgr::ExchangeKvTypeCmpFunc(char id, KvTypeCmpFunc func) {
  return ReplaceSlot(Row(id), &KvTypeDescriptor::Compare, func);
}

KvPrintToKvStringFunc KvTypeMgr::ExchangePrintToKvStringFunc(char id, KvPrintToKvStringFunc func) {
  return ReplaceSlot(Row(id), &KvTypeDescriptor::PrintToString, func);
}

KvScanFromKvStringFunc KvTypeMgr::ExchangeScanFromKvStringFunc(char id, KvScanFromKvStringFunc func) {
  return ReplaceSlot(Row(id), &KvTypeDescriptor::ScanFromString, func);
}

// ---- The default manager and the process context ----

namespace {

// Atomic so that a thread that reads the default while start-up sets it
// sees a whole pointer to a whole manager.
std::atomic<KvTypeMgr*> defaultManager{nullptr};
int32_t options = 0;

// The library's module handle, kept when the library is loaded: the base
// address of the shared object that holds this code.
const void* moduleHandle = nullptr;

struct LoadNotification {
  LoadNotification() {
    Dl_info info;
    if (dladdr(reinterpret_cast<void*>(&GetKvTypeMgrInfo), &info) != 0)
      moduleHandle = info.dli_fbase;
  }
};
LoadNotification loadNotification;

}  // namespace

KvTypeMgr* DefaultTypeMgr(KvTypeMgr* manager) {
  if (manager != nullptr) defaultManager.store(manager, std::memory_order_release);
  return defaultManager.load(std::memory_order_acquire);
}

void ___KvTypemgrContext(int enter) {
  ___KvI18NContext(enter);
  KvTypeMgr* previous = defaultManager.exchange(
      enter != 0 ? new (std::nothrow) KvTypeMgr(5) : nullptr, std::memory_order_acq_rel);
  if (enter == 0) delete previous;
}

int32_t& ___KvTypeMgrOptions() { return options; }

// ---- Module information ----

namespace {

#if defined(__clang__)
constexpr const char* kToolName = "clang++ " __clang_version__;
constexpr unsigned long kToolVersion =
    __clang_major__ * 10000UL + __clang_minor__ * 100UL + __clang_patchlevel__;
#elif defined(__GNUC__)
constexpr const char* kToolName = "g++ " __VERSION__;
constexpr unsigned long kToolVersion =
    __GNUC__ * 10000UL + __GNUC_MINOR__ * 100UL + __GNUC_PATCHLEVEL__;
#else
constexpr const char* kToolName = "C++ compiler";
constexpr unsigned long kToolVersion = 0;
#endif

}  // namespace

void GetKvTypeMgrInfo(const char** tool, unsigned long* toolVersion, const char** descr,
                      const char** date, const char** module) {
  // The description is a constant, so that threads may ask at once.
  if (descr != nullptr) *descr = "KIVO Typemanager library 6.0.3.50 ";
  if (date != nullptr) *date = "Dec 12 2000";
  if (tool != nullptr) *tool = kToolName;
  if (toolVersion != nullptr) *toolVersion = kToolVersion;
  if (module != nullptr) *module = "kv6tsn60";
}
