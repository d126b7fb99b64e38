// fuzz_scan — the text slots of every row of both descriptor tables:
// ConvertFromKvString and ScanFromKvString of any text in any code set
// under any format, then PrintToKvString under the same format and
// ConvertToKvString of the values read.
//
// Input: flags (bit 0 legacy table, bit 1 the row's own format, bit 2
// options bit 0: plain decimal, bit 3 print into a 16-bit string), type id,
// code set, language, count, the format's length, the format, then the
// text (the rest).
#include "fuzz_input.h"

KVTM_FUZZ_TARGET(input) {
  const uint8_t flags = input.Byte(), id = FuzzTypeId(input.Byte()), cs = input.Byte(), language = input.Byte();
  const uint32_t count = input.Byte() % 17;  // values are made by Create: a small count keeps them small
  const FuzzBuffer format = input.Copy(input.Byte(), true);
  KvString text = input.String(input.Left(), cs, language);
  KvTypeMgr& mgr = FuzzManager(flags);
  const char* fmt = (flags & 2) != 0 ? nullptr : reinterpret_cast<const char*>(format.Data());
  ___KvTypeMgrOptions() = (flags & 4) != 0 ? 1 : 0;
  KvString list = text;  // ConvertFromKvString consumes its text
  void* values = mgr.ConvertFromKvString(&list, id, count);
  if (values == nullptr) return;
  values = mgr.ScanFromKvString(id, values, text, fmt, count);
  KvString printed((flags & 8) != 0 ? KvCS_UNICODE : KvCS_NATIVE, language);
  mgr.PrintToKvString(id, printed, values, fmt, count);
  delete mgr.ConvertToKvString(values, id, count);
  mgr.Delete(id, values, count);
}
