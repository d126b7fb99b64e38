// fuzz_size — the stored length of values: SizeGetFromMemFile over a memory
// file holding any bytes (the file gives the length), SizeGet over the same
// bytes when the file says the values lie within them, and SizeGet of
// values in memory form made from bytes.
//
// Input: flags (bit 0 legacy table, bit 1 values in memory form), type id,
// stored format, count (4 bytes), the file position, then the bytes (the
// rest). Numbers least significant byte first.
#include "fuzz_input.h"

KVTM_FUZZ_TARGET(input) {
  const uint8_t flags = input.Byte(), id = FuzzTypeId(input.Byte()), format = input.Byte();
  uint32_t count = input.Long(), position = input.Byte();
  KvTypeMgr& mgr = FuzzManager(flags);
  if ((flags & 2) != 0) {
    const FuzzValues values(id, input, input.Left());
    if (FuzzValues::HoldObjects(id)) count = std::min(count, values.Count());
    return static_cast<void>(mgr.DiskLenGet(id, values.Data(), format, count, KvFORMAT_MEMORY));
  }
  const FuzzBuffer bytes = input.Copy(input.Left());
  MemFile file(bytes.Data(), static_cast<uint32_t>(bytes.size), position);
  const uint32_t start = file.PosGet(), length = static_cast<uint32_t>(mgr.DiskLenGetFromMemFile(id, &file, format, count));
  if (file.PosGet() != start) __builtin_trap();  // the file's position is the same afterwards
  // Flag 128 asks for the size of the key form, which is no extent of the
  // bytes: only without it does a size within the file say that the values
  // lie within the bytes. Then their stored length from the stored form
  // itself, as a caller that trusts whole records asks.
  if ((format & 128) == 0 && length != 0 && length <= file.EndGet() - start)
    mgr.DiskLenGet(id, bytes.Data() + start, format, count, format & ~KvFORMAT_MEMORY);
}
