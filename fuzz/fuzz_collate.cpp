// fuzz_collate — the collation engine: KvString::Compare, Find and the
// comparison operators over texts of any code sets and languages under any
// compare operator (wildcards included), the engine itself over copies of
// exactly the texts' size in either unit order (its fast path against its
// general walk), and the folded comparison
// of the insensitive strings.
//
// Input: code set and language of each text, compare operator (2 bytes),
// limit (2 bytes), start (2 bytes), flags (bit 0: units most significant
// byte first, bit 1: stars only, bit 2: a limit past 32767), attributes of
// each insensitive text, the length of text 1, text 1, then text 2 (the
// rest).
#include "fuzz_input.h"
#include "kvcollate.h"

KVTM_FUZZ_TARGET(input) {
  const uint8_t cs1 = input.Byte(), language1 = input.Byte(), cs2 = input.Byte(), language2 = input.Byte();
  const uint16_t op = input.Word();
  const short limit = static_cast<short>(input.Word());
  const uint16_t start = input.Word();
  const uint8_t flags = input.Byte(), attributes1 = input.Byte(), attributes2 = input.Byte();
  size_t n1, n2;
  const uint8_t* bytes1 = input.Take(input.Word(), &n1);
  const uint8_t* bytes2 = input.Take(input.Left(), &n2);
  const KvString a = FuzzString(bytes1, n1, cs1, language1), b = FuzzString(bytes2, n2, cs2, language2);
  for (const auto& [x, y] : {std::pair(&a, &b), std::pair(&b, &a)}) x->Compare(*y, limit, op), x->Find(*y, start, op);
  static_cast<void>(a.Compare(b, -1, KvCMP_DEFAULT) + (a == b) + (a < b));
  if (b.Len() != 0)
    a.Find(static_cast<char>(b.StrGet()[0]), start, op), a.Find(static_cast<unsigned short>(static_cast<uint8_t>(b.StrGet()[0])), start, op);

  // The engine over exact copies; 16-bit units in the order the flags say.
  if (a.SizeGet() != 0 && b.SizeGet() != 0) {
    const FuzzBuffer copy1(a.SizeGet(), reinterpret_cast<const uint8_t*>(a.StrGet()));
    const FuzzBuffer copy2(b.SizeGet(), reinterpret_cast<const uint8_t*>(b.StrGet()));
    const uint8_t unitFormat = (flags & 1) != 0 ? KvFORMAT_MSB_FIRST : KvFORMAT_LSB_FIRST;
    const KvCollateText t1{cs1, language1, reinterpret_cast<const char*>(copy1.Data()), static_cast<uint32_t>(copy1.size)};
    const KvCollateText t2{cs2, language2, reinterpret_cast<const char*>(copy2.Data()), static_cast<uint32_t>(copy2.size)};
    long primary = 0, generalPrimary = 0;
    int level = 0, generalLevel = 0;
    // The fast path gives what the general walk gives, to the last output.
    if (KvCollate(t1, t2, op, limit, unitFormat, &primary, &level) !=
            KvCollateGeneral(t1, t2, op, limit, unitFormat, &generalPrimary, &generalLevel) ||
        primary != generalPrimary || level != generalLevel)
      __builtin_trap();
    KvCollate(t1, t2, op, (flags & 4) != 0 ? 70000 : -1, unitFormat, nullptr, nullptr);
    uint32_t offset = 0;
    KvFindWildcard(t2, (flags & 2) != 0, limit, &offset, unitFormat);
  }

  // The folded comparisons take zero-terminated 8-bit texts.
  const FuzzBuffer text1 = FuzzInput{bytes1, n1}.Copy(n1, true), text2 = FuzzInput{bytes2, n2}.Copy(n2, true);
  const char *t1 = reinterpret_cast<const char*>(text1.Data()), *t2 = reinterpret_cast<const char*>(text2.Data());
  KvIString::FoldedCompare(t1, t2, static_cast<unsigned short>(limit), attributes1, attributes2);
  KvCaseIString::FoldedCompare(t1, t2, static_cast<unsigned short>(limit), attributes1, attributes2);
  KvIString i1(t1), i2(t2);
  i1.AttributesSet(attributes1), i2.AttributesSet(attributes2);
  static_cast<void>((i1 < i2) + i1.SubStringPos(i2));
}
