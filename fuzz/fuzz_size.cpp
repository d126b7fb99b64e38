// fuzz_size — the stored length of values: SizeGetFromMemFile over a memory
// file holding any bytes (the file gives the length), SizeGet over the same
// bytes when the file says the values lie within them, and SizeGet of
// values in memory form made from bytes.
//
// Input: flags (bit 0 legacy table, bit 1 values in memory form), type id,
// stored format, count (4 bytes), the file position, then the bytes (the
// rest). Numbers least significant byte first.
#include <cstddef>
#include <cstdint>

#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzStartUp();
  FuzzInput input(data, size);
  const uint8_t flags = input.Byte();
  const KvTypeId id = FuzzTypeId(input.Byte());
  const uint8_t format = input.Byte();
  uint32_t count = input.Long();
  const uint8_t position = input.Byte();
  KvTypeMgr& mgr = FuzzManager(flags);

  if (!mgr.IsValidType(id)) {
    mgr.DiskLenGet(id, nullptr, format, count, 8);
    return 0;
  }

  if ((flags & 2) != 0) {
    FuzzValues values(id, input, input.Left());
    if (FuzzRowHoldsObjects(id) && count > values.Count()) count = values.Count();
    mgr.DiskLenGet(id, values.Data(), format, count, KvFORMAT_MEMORY);
    return 0;
  }

  const FuzzBuffer bytes = input.Copy(input.Left());
  MemFile file(bytes.Data(), static_cast<uint32_t>(bytes.Size()), position);
  const uint32_t start = file.PosGet();
  const uint32_t length = static_cast<uint32_t>(mgr.DiskLenGetFromMemFile(id, &file, format, count));
  // The file's position is the same afterwards.
  if (file.PosGet() != start) __builtin_trap();
  const uint32_t left = file.EndGet() - start;
  // Flag 128 asks for the size of the key form, which is no extent of the
  // bytes: only without it does a size within the file say that the
  // values lie within the bytes.
  if ((format & 128) == 0 && length != 0 && length <= left) {
    // Their stored length from the stored form itself, as a caller that
    // trusts whole records asks.
    mgr.DiskLenGet(id, bytes.Data() + start, format, count, format & ~KvFORMAT_MEMORY);
  }
  return 0;
}
