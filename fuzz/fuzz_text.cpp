// fuzz_text — the library's own text readers and writers of single values
// under any format: KvInt64, dates and times, the identifiers, numbers
// under a printf-like format, and the KvString number conversions. Every
// reader is given the text's bytes in a block of exactly their length.
//
// Input: the value's kind and flags, the format's length, the format, eight
// bytes of a value to print, then the text (the rest).
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "fuzz_input.h"
#include "kvdatefmt.h"
#include "kvformat.h"
#include "kvint64_rows.h"

namespace {

const KvValueKind kKinds[] = {KvValueKind::kByte, KvValueKind::kShort, KvValueKind::kLong,
                              KvValueKind::kReal};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzStartUp();
  FuzzInput input(data, size);
  const uint8_t flags = input.Byte();
  const FuzzBuffer format = input.Text(input.Byte());
  uint8_t raw[8] = {};
  for (uint8_t& b : raw) b = input.Byte();
  const FuzzBuffer text = input.Copy(input.Left());
  const char* fmt = reinterpret_cast<const char*>(format.Data());
  const char* p = reinterpret_cast<const char*>(text.Data());
  const size_t n = text.Size();

  // KvInt64: read, printed under the format, and through the class.
  const KvInt64 start(static_cast<unsigned long>(raw[0] | raw[1] << 8), static_cast<long>(raw[2]));
  const KvInt64 read = KvScanInt64(p, n, (flags & 1) != 0 ? nullptr : fmt, start);
  {
    KvTextBuffer out;
    KvPrintInt64(out, KvReadInt64(raw, 1), fmt);
    KvPrintInt64(out, read, fmt);
  }

  // Dates and times: read, and a view of any bytes printed.
  const KvDateTime view = KvScanDateTime(p, n, fmt);
  {
    KvDateTime any;
    std::memcpy(static_cast<void*>(&any), raw, sizeof any);
    KvTextBuffer out;
    KvPrintDateTime(out, any, fmt);
    KvPrintDateTime(out, view, fmt);
  }

  // One number under the format, of the kind the flags choose.
  const KvValueKind kind = kKinds[(flags >> 1) & 3];
  KvNumber number;
  std::memcpy(&number.bits, raw, sizeof number.bits);
  std::memcpy(&number.real, raw, sizeof number.real);
  KvScanValue(p, n, fmt, kind, &number);
  {
    KvTextBuffer out;
    KvPrintValue(out, fmt, kind, number);
    const KvStringDirective d = KvFindStringDirective(fmt);
    if (d.start != nullptr) KvAppendLiteral(out, fmt, d.start);
  }

  // The same text as a string of the code set the next byte names.
  const uint8_t cs = (flags & 8) != 0 ? KvCS_UNICODE : KvCS_CP1252;
  const KvString s = FuzzString(text.Data(), n, cs, 1);
  KvInt64 value;
  value.ScanFromKvString(s);
  KvObjId objId;
  objId.ScanFromKvString(s);
  KvClassId classId;
  classId.ScanFromKvString(s);
  KvRef ref;
  ref.ScanFromKvString(s);
  ___KvTypeMgrOptions() = (flags & 16) != 0 ? 1 : 0;
  static_cast<void>(static_cast<int>(s));
  static_cast<void>(static_cast<short>(s));
  static_cast<void>(static_cast<long>(s));
  static_cast<void>(static_cast<double>(s));
  long v;
  s.Atol(v);
  s.Strtol(v);
  return 0;
}
