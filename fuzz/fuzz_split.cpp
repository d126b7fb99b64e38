// fuzz_split — KvSplitList over any list and separator, of either width,
// from any start, under any default compare operator (which decides
// whether '*' and '?' in the separator are wildcards), until the list is
// exhausted.
//
// Input: the list's code set, the separator's code set, language, default
// compare operator (2 bytes), start position (2 bytes), the separator's
// length, the separator, then the list (the rest).
#include <cstddef>
#include <cstdint>

#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzStartUp();
  FuzzInput input(data, size);
  const uint8_t listCodeSet = input.Byte();
  const uint8_t sepCodeSet = input.Byte();
  const uint8_t language = input.Byte();
  const uint16_t op = input.Word();
  unsigned short pos = input.Word();
  size_t n;
  const uint8_t* sepBytes = input.Take(input.Byte(), &n);
  KvString sep = FuzzString(sepBytes, n, sepCodeSet, language);
  const uint8_t* listBytes = input.TakeRest(&n);
  KvString list = FuzzString(listBytes, n, listCodeSet, language);

  const unsigned short defaultOp = KvString::GetDefaultCmpOp();
  KvString::SetDefaultCmpOp(op);
  KvString item;
  // Every item moves the position on, so a list has no more items than
  // units; more calls than that are a loop that never ends.
  const uint32_t limit = list.Len() + 2u;
  for (uint32_t calls = 0; KvSplitList(list, item, sep, pos) == 0; ++calls) {
    if (calls > limit) __builtin_trap();
  }
  KvString::SetDefaultCmpOp(defaultOp);
  return 0;
}
