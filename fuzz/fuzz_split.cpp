// fuzz_split — KvSplitList over any list and separator, of either width,
// from any start, under any default compare operator (which decides
// whether '*' and '?' in the separator are wildcards), until the list is
// exhausted.
//
// Input: the list's code set, the separator's code set, language, default
// compare operator (2 bytes), start position (2 bytes), the separator's
// length, the separator, then the list (the rest).
#include "fuzz_input.h"

KVTM_FUZZ_TARGET(input) {
  const uint8_t listCodeSet = input.Byte(), sepCodeSet = input.Byte(), language = input.Byte();
  uint16_t op = input.Word(), pos = input.Word();
  const KvString sep = input.String(input.Byte(), sepCodeSet, language);
  KvString list = input.String(input.Left(), listCodeSet, language);
  const unsigned short defaultOp = KvString::GetDefaultCmpOp();
  KvString::SetDefaultCmpOp(op);
  KvString item;
  // Every item moves the position on, so a list has no more items than
  // units; more calls than that are a loop that never ends.
  for (uint32_t calls = 0; KvSplitList(list, item, sep, pos) == 0; ++calls)
    if (calls > list.Len() + 2u) __builtin_trap();
  KvString::SetDefaultCmpOp(defaultOp);
}
