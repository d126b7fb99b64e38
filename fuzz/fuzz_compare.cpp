// fuzz_compare — the compare function of every row of both descriptor
// tables through KvTypeMgr::Cmp: stored operands of any bytes and lengths,
// any format, operator and count; values in memory form where the row's
// values can be made from bytes.
//
// Input: flags (bit 0 legacy table, bit 1 lengths 0 for a fixed row), type
// id, format, operator (2 bytes), count (4 bytes), the length of operand 1
// (2 bytes), operand 1, operand 2 (the rest). Numbers least significant
// byte first.
//
// Every row gets operands of exactly the lengths passed, whatever the
// count: a compare function must read within a length it is given. Only
// lengths of 0 (the values whole) come with a count the buffers hold.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzStartUp();
  FuzzInput input(data, size);
  const uint8_t flags = input.Byte();
  const KvTypeId id = FuzzTypeId(input.Byte());
  const uint8_t format = input.Byte();
  const uint16_t op = input.Word();
  const uint32_t count = input.Long();
  const uint16_t length1 = input.Word();
  KvTypeMgr& mgr = FuzzManager(flags);
  int status = 0;

  if (!mgr.IsValidType(id)) {
    mgr.Cmp(id, 0, nullptr, 0, nullptr, op, count, format, status);
    return 0;
  }

  if (format == KvFORMAT_MEMORY) {
    FuzzValues a(id, input, length1);
    FuzzValues b(id, input, input.Left());
    if ((flags & 2) != 0 && mgr.IsFixed(id)) {
      mgr.Cmp(id, 0, a.Data(), 0, b.Data(), op, std::min<uint32_t>(a.Count(), b.Count()), format, status);
      return 0;
    }
    if (a.Bytes() == 0 || b.Bytes() == 0) return 0;  // a length of 0 would mean count values
    mgr.Cmp(id, a.Bytes(), a.Data(), b.Bytes(), b.Data(), op, count, format, status);
    return 0;
  }

  const FuzzBuffer a = input.Copy(length1);
  const FuzzBuffer b = input.Copy(input.Left());
  const uint32_t size1 = static_cast<uint32_t>(a.Size());
  const uint32_t size2 = static_cast<uint32_t>(b.Size());
  const uint32_t element = mgr.IsFixed(id) ? mgr.DiskLenGet(id, nullptr, format, 1, 8) : 0;
  if ((flags & 2) != 0 && element != 0) {
    mgr.Cmp(id, 0, a.Data(), 0, b.Data(), op, std::min<uint32_t>(size1, size2) / element, format, status);
    return 0;
  }
  if (size1 == 0 || size2 == 0) return 0;
  mgr.Cmp(id, size1, a.Data(), size2, b.Data(), op, count, format, status);
  return 0;
}
