// fuzz_scan — the text slots of every row of both descriptor tables:
// ConvertFromKvString and ScanFromKvString of any text in any code set
// under any format, then PrintToKvString under the same format and
// ConvertToKvString of the values read.
//
// Input: flags (bit 0 legacy table, bit 1 the row's own format, bit 2
// options bit 0: plain decimal, bit 3 print into a 16-bit string), type id, code set, language, count, the
// format's length, the format, then the text (the rest).
#include <cstddef>
#include <cstdint>

#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzStartUp();
  FuzzInput input(data, size);
  const uint8_t flags = input.Byte();
  const KvTypeId id = FuzzTypeId(input.Byte());
  const uint8_t cs = input.Byte();
  const uint8_t language = input.Byte();
  // Values are made by Create; a small count keeps them small.
  const uint32_t count = input.Byte() % 17;
  const FuzzBuffer format = input.Text(input.Byte());
  size_t n;
  const uint8_t* bytes = input.TakeRest(&n);
  KvTypeMgr& mgr = FuzzManager(flags);
  const char* fmt = (flags & 2) != 0 ? nullptr : reinterpret_cast<const char*>(format.Data());
  ___KvTypeMgrOptions() = (flags & 4) != 0 ? 1 : 0;

  KvString text = FuzzString(bytes, n, cs, language);
  KvString list = text;  // ConvertFromKvString consumes its text
  void* values = mgr.ConvertFromKvString(&list, id, count);
  if (values == nullptr) return 0;
  values = mgr.ScanFromKvString(id, values, text, fmt, count);
  KvString printed((flags & 8) != 0 ? KvCS_UNICODE : KvCS_NATIVE, language);
  mgr.PrintToKvString(id, printed, values, fmt, count);
  KvString* again = mgr.ConvertToKvString(values, id, count);
  delete again;
  mgr.Delete(id, values, count);
  return 0;
}
