// fuzz_translate — Translate of every row of both descriptor tables: a
// stored source of any bytes with its length, or values in memory form
// made from bytes, into a target of any length, under any pair of format
// codes.
//
// Input: flags (bit 0 legacy table), type id, source format, target format,
// target length (2 bytes), count (4 bytes), then the source (the rest).
// Numbers least significant byte first.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzStartUp();
  FuzzInput input(data, size);
  const uint8_t flags = input.Byte();
  const KvTypeId id = FuzzTypeId(input.Byte());
  const uint8_t sourceFormat = input.Byte();
  const uint8_t targetFormat = input.Byte();
  uint32_t targetLength = input.Word();
  uint32_t count = input.Long();
  KvTypeMgr& mgr = FuzzManager(flags);
  const bool sourceInMemory = (sourceFormat & 8) != 0;
  const bool targetInMemory = (targetFormat & 8) != 0;

  if (!mgr.IsValidType(id)) {
    mgr.Translate(id, nullptr, targetFormat, 0, nullptr, sourceFormat, 0, count);
    return 0;
  }
  // Rows of objects convert exactly count values in memory: the count is
  // one that both sides hold. The other rows bound the values they convert
  // by the lengths.
  const bool objects = FuzzRowHoldsObjects(id);

  std::unique_ptr<FuzzValues> sourceValues;
  std::unique_ptr<FuzzBuffer> sourceBytes;
  void* source;
  uint32_t sourceLength;
  if (sourceInMemory) {
    sourceValues = std::make_unique<FuzzValues>(id, input, input.Left());
    if (objects) count = std::min<uint32_t>(count, sourceValues->Count());
    source = sourceValues->Data();
    sourceLength = sourceValues->Bytes();
    // A length of 0 would mean count values, which these bytes may not hold.
    if (sourceLength == 0 && !objects) return 0;
  } else {
    sourceBytes = std::make_unique<FuzzBuffer>(input.Copy(input.Left()));
    source = sourceBytes->Data();
    sourceLength = static_cast<uint32_t>(sourceBytes->Size());
    if (sourceLength == 0) return 0;  // 0 would ask to trust the block's own lengths
  }

  if (targetInMemory) {
    if (objects) {
      FuzzValues target(id, count, 0);
      count = std::min<uint32_t>(count, target.Count());
      mgr.Translate(id, target.Data(), targetFormat, target.Bytes(), source, sourceFormat,
                    sourceLength, count);
      return 0;
    }
    if (targetLength == 0) targetLength = 1;  // 0 would mean room for count values
    FuzzValues target(id, 0, targetLength);
    mgr.Translate(id, target.Data(), targetFormat, targetLength, source, sourceFormat,
                  sourceLength, count);
    return 0;
  }

  // A stored target of 0 bytes is one that nobody measured; from memory
  // that means room for everything, so give it a byte.
  if (targetLength == 0 && sourceInMemory) targetLength = 1;
  FuzzBuffer target(targetLength);
  mgr.Translate(id, target.Data(), targetFormat, targetLength, source, sourceFormat,
                sourceLength, count);
  return 0;
}
