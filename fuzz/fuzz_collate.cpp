// fuzz_collate — the collation engine: KvString::Compare, Find and the
// comparison operators over texts of any code sets and languages under any
// compare operator (wildcards included), the engine itself over copies of
// exactly the texts' size in either unit order, and the folded comparison
// of the insensitive strings.
//
// Input: code set and language of each text, compare operator (2 bytes),
// limit (2 bytes), start (2 bytes), flags (bit 0: units most significant
// byte first, bit 1: stars only), attributes of each insensitive text, the
// length of text 1, text 1, then text 2 (the rest).
#include <cstddef>
#include <cstdint>

#include "fuzz_input.h"
#include "kvcollate.h"

namespace {

// A copy of the string's buffer, exactly its size, for the engine.
FuzzBuffer BufferOf(const KvString& s) {
  return FuzzBuffer(reinterpret_cast<const uint8_t*>(s.StrGet()), s.SizeGet());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzStartUp();
  FuzzInput input(data, size);
  const uint8_t cs1 = input.Byte();
  const uint8_t language1 = input.Byte();
  const uint8_t cs2 = input.Byte();
  const uint8_t language2 = input.Byte();
  const uint16_t op = input.Word();
  const short limit = static_cast<short>(input.Word());
  const uint16_t start = input.Word();
  const uint8_t flags = input.Byte();
  const uint8_t attributes1 = input.Byte();
  const uint8_t attributes2 = input.Byte();
  size_t n1;
  const uint8_t* bytes1 = input.Take(input.Word(), &n1);
  size_t n2;
  const uint8_t* bytes2 = input.TakeRest(&n2);
  const KvString a = FuzzString(bytes1, n1, cs1, language1);
  const KvString b = FuzzString(bytes2, n2, cs2, language2);

  a.Compare(b, limit, op);
  b.Compare(a, limit, op);
  a.Compare(b, -1, KvCMP_DEFAULT);
  static_cast<void>(a == b);
  static_cast<void>(a < b);
  a.Find(b, start, op);
  b.Find(a, start, op);
  if (b.Len() != 0) {
    a.Find(static_cast<char>(b.StrGet()[0]), start, op);
    a.Find(static_cast<unsigned short>(static_cast<uint8_t>(b.StrGet()[0])), start, op);
  }

  // The engine over exact copies; 16-bit units in the order the flags say.
  if (a.SizeGet() != 0 && b.SizeGet() != 0) {
    const FuzzBuffer copy1 = BufferOf(a);
    const FuzzBuffer copy2 = BufferOf(b);
    const uint8_t unitFormat = (flags & 1) != 0 ? KvFORMAT_MSB_FIRST : KvFORMAT_LSB_FIRST;
    const KvCollateText t1{cs1, language1, reinterpret_cast<const char*>(copy1.Data()),
                           static_cast<uint32_t>(copy1.Size())};
    const KvCollateText t2{cs2, language2, reinterpret_cast<const char*>(copy2.Data()),
                           static_cast<uint32_t>(copy2.Size())};
    long primary = 0;
    int level = 0;
    KvCollate(t1, t2, op, limit, unitFormat, &primary, &level);
    KvCollate(t1, t2, op, (flags & 4) != 0 ? 70000 : -1, unitFormat, nullptr, nullptr);
    uint32_t offset = 0;
    KvFindWildcard(t2, (flags & 2) != 0, limit, &offset, unitFormat);
  }

  // The folded comparisons take zero-terminated 8-bit texts.
  const FuzzBuffer text1 = FuzzInput(bytes1, n1).Text(n1);
  const FuzzBuffer text2 = FuzzInput(bytes2, n2).Text(n2);
  const char* t1 = reinterpret_cast<const char*>(text1.Data());
  const char* t2 = reinterpret_cast<const char*>(text2.Data());
  KvIString::FoldedCompare(t1, t2, static_cast<unsigned short>(limit), attributes1, attributes2);
  KvCaseIString::FoldedCompare(t1, t2, static_cast<unsigned short>(limit), attributes1,
                               attributes2);
  KvIString i1(t1);
  KvIString i2(t2);
  i1.AttributesSet(attributes1);
  i2.AttributesSet(attributes2);
  static_cast<void>(i1 < i2);
  i1.SubStringPos(i2);
  return 0;
}
