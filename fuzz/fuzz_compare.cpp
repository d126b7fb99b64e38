// fuzz_compare — the compare function of every row of both descriptor
// tables through KvTypeMgr::Cmp: stored operands of any bytes and lengths,
// any format, operator and count; values in memory form where the row's
// values can be made from bytes. Ids past the table are reported and
// compare nothing.
//
// Input: flags (bit 0 legacy table, bit 1 lengths 0 for a fixed row), type
// id, format, operator (2 bytes), count (4 bytes), the length of operand 1
// (2 bytes), operand 1, operand 2 (the rest). Numbers least significant
// byte first.
//
// Every row gets operands of exactly the lengths passed, whatever the
// count: a compare function must read within a length it is given. Only
// lengths of 0 (the values whole) come with a count the buffers hold.
#include "fuzz_input.h"
#include "kvstrcmp.h"

KVTM_FUZZ_TARGET(input) {
  const uint8_t flags = input.Byte(), id = FuzzTypeId(input.Byte()), format = input.Byte();
  const uint32_t op = input.Word(), count = input.Long(), length1 = input.Word();
  KvTypeMgr& mgr = FuzzManager(flags);
  // Values in memory form, or stored bytes as they come (an exact copy).
  const bool memory = format == KvFORMAT_MEMORY;
  const FuzzValues a(memory ? id : FuzzValues::kBytes, input, length1);
  const FuzzValues b(memory ? id : FuzzValues::kBytes, input, input.Left());
  const uint32_t element = !mgr.IsFixed(id) ? 0 : memory ? mgr.MemLenGet(id, 1) : mgr.DiskLenGet(id, nullptr, format, 1, 8);
  int status = 0;
  if ((flags & 2) != 0 && element != 0)
    mgr.Cmp(id, 0, a.Data(), 0, b.Data(), op, std::min(a.Bytes(), b.Bytes()) / element, format, status);
  else if (a.Bytes() != 0 && b.Bytes() != 0) {  // a length of 0 would mean count values
    const long result = mgr.Cmp(id, a.Bytes(), a.Data(), b.Bytes(), b.Data(), op, count, format, status);
    // Index keys compared in place give what the general walk gives.
    int general = 0;
    if (id == KvTYPE_STRING && !memory &&
        (KvCompareStrings(format, a.Bytes(), a.Data(), b.Bytes(), b.Data(), static_cast<unsigned short>(op), count,
                          general, (flags & 1) != 0) != result || general != status))
      __builtin_trap();
  }
}
