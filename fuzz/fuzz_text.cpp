// fuzz_text — the library's own text readers and writers of single values
// under any format: KvInt64, dates and times, the identifiers, numbers
// under a printf-like format, and the KvString number conversions. Every
// reader is given the text's bytes in a block of exactly their length.
//
// Input: the value's kind and flags, the format's length, the format, eight
// bytes of a value to print, then the text (the rest).
#include "fuzz_input.h"
#include "kvdatefmt.h"
#include "kvformat.h"
#include "kvint64_rows.h"

KVTM_FUZZ_TARGET(input) {
  const uint8_t flags = input.Byte();
  const FuzzBuffer format = input.Copy(input.Byte(), true);
  uint8_t raw[8] = {};
  for (uint8_t& b : raw) b = input.Byte();
  const FuzzBuffer text = input.Copy(input.Left());
  const char *fmt = reinterpret_cast<const char*>(format.Data()), *p = reinterpret_cast<const char*>(text.Data());
  const size_t n = text.size;
  KvTextBuffer int64Text, dateText, numberText;  // what the writers append to

  // KvInt64: read, printed under the format, and through the class.
  const KvInt64 start(static_cast<unsigned long>(raw[0] | raw[1] << 8), static_cast<long>(raw[2]));
  const KvInt64 read = KvScanInt64(p, n, (flags & 1) != 0 ? nullptr : fmt, start);
  KvPrintInt64(int64Text, KvReadInt64(raw, 1), fmt);
  KvPrintInt64(int64Text, read, fmt);

  // Dates and times: read, and a view of any bytes printed.
  KvDateTime any;
  std::memcpy(static_cast<void*>(&any), raw, sizeof any);
  KvPrintDateTime(dateText, any, fmt);
  KvPrintDateTime(dateText, KvScanDateTime(p, n, fmt), fmt);

  // One number under the format, of the kind the flags choose.
  const KvValueKind kind = static_cast<KvValueKind>((flags >> 1) & 3);  // byte, short, long, real
  KvNumber number;
  std::memcpy(&number.bits, raw, sizeof number.bits), std::memcpy(&number.real, raw, sizeof number.real);
  KvScanValue(p, n, fmt, kind, &number);
  KvPrintValue(numberText, fmt, kind, number);
  const KvStringDirective d = KvFindStringDirective(fmt);
  if (d.start != nullptr) KvAppendLiteral(numberText, fmt, d.start);

  // The same text as a string of the code set the flags names, read by
  // KvInt64 and the KvString number conversions (the identifiers' own
  // readers are their rows' scan slots, which fuzz_scan reaches).
  const KvString s = FuzzString(text.Data(), n, (flags & 8) != 0 ? KvCS_UNICODE : KvCS_CP1252, 1);
  KvInt64().ScanFromKvString(s);
  ___KvTypeMgrOptions() = (flags & 16) != 0 ? 1 : 0;
  volatile double converted = static_cast<int>(s) + 0.0 + static_cast<short>(s) + static_cast<long>(s) + static_cast<double>(s);
  long v;
  s.Atol(v), s.Strtol(v);
  static_cast<void>(converted);
}
