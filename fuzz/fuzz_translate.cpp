// fuzz_translate — Translate of every row of both descriptor tables: a
// stored source of any bytes with its length, or values in memory form
// made from bytes, into a target of any length, under any pair of format
// codes.
//
// Input: flags (bit 0 legacy table), type id, source format, target format,
// target length (2 bytes), count (4 bytes), then the source (the rest).
// Numbers least significant byte first.
#include "fuzz_input.h"

KVTM_FUZZ_TARGET(input) {
  const uint8_t flags = input.Byte(), id = FuzzTypeId(input.Byte()), sourceFormat = input.Byte(), targetFormat = input.Byte();
  uint32_t targetLength = input.Word(), count = input.Long();
  KvTypeMgr& mgr = FuzzManager(flags);
  const bool sourceInMemory = (sourceFormat & 8) != 0, targetInMemory = (targetFormat & 8) != 0;
  // Rows of objects convert exactly count values in memory: the count is
  // one that both sides hold. The other rows bound the values they convert
  // by the lengths.
  const bool objects = FuzzValues::HoldObjects(id);
  // Values in memory form, or stored bytes as they come (an exact copy).
  const FuzzValues source(sourceInMemory ? id : FuzzValues::kBytes, input, input.Left());
  if (objects && sourceInMemory)
    count = std::min(count, source.Count());
  else if (source.Bytes() == 0)
    return;  // 0 would ask to trust the block's own lengths, or mean count values
  if (targetInMemory && objects) {
    count = std::min(count, FuzzValues::kMaxObjects);
    void* target = mgr.Create(id, count);  // exactly count objects, as a heap block
    mgr.Translate(id, target, targetFormat, mgr.MemLenGet(id, count), source.Data(), sourceFormat, source.Bytes(), count);
    return static_cast<void>(mgr.Delete(id, target, count));
  }
  // A target of 0 bytes would mean room for count values in memory, and is
  // one that nobody measured from memory: give it a byte.
  if (targetLength == 0 && (targetInMemory || sourceInMemory)) targetLength = 1;
  const FuzzBuffer target(targetLength);
  mgr.Translate(id, target.Data(), targetFormat, targetLength, source.Data(), sourceFormat, source.Bytes(), count);
}
