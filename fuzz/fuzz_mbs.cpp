// fuzz_mbs — the UTF-8 conversions of kvmbs.h: decoding any bytes, from a
// block of exactly their length, one character or a whole text (into a
// fresh string and into the string that holds the bytes), and encoding
// strings of any code set into buffers of any size.
//
// Input: code set, language, the output size (2 bytes), a character
// count, then the bytes (the rest).
#include <cstddef>
#include <cstdint>

#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzStartUp();
  FuzzInput input(data, size);
  const uint8_t cs = input.Byte();
  const uint8_t language = input.Byte();
  const uint16_t outSize = input.Word();
  const uint8_t characters = input.Byte();
  const FuzzBuffer bytes = input.Copy(input.Left());
  char* s = reinterpret_cast<char*>(bytes.Data());
  const unsigned n = static_cast<unsigned>(bytes.Size());

  // Decoding: every character in turn, then the whole text.
  unsigned short wc;
  for (unsigned at = 0; at < n;) {
    const int used = KvMultiByte2WChar(&wc, s + at, n - at);
    at += used > 0 ? static_cast<unsigned>(used) : 1;
  }
  KvString decoded(1, language);
  KvMBS2KvString(s, decoded, static_cast<long>(n));
  KvString in;
  KvMultiByteString2KvString(s, in, static_cast<long>(n / 2));

  // The bytes as a string's text, decoded from that string into itself.
  KvString text = FuzzString(bytes.Data(), n, cs, language);
  KvString copy = text;
  KvMultiByteString2KvString(copy, copy);
  KvString same = text;
  KvMBS2KvString(same.StrGet(), same, same.SizeGet());

  // Encoding into a buffer of the given size, into a new buffer, and into
  // a block of exactly outSize bytes.
  for (const KvString* str : {&text, &decoded}) {
    FuzzBuffer given(outSize);
    char* out = reinterpret_cast<char*>(given.Data());
    long room = outSize;
    KvString2MultiByteString(*str, out, room);
    // A size below 1 asks for a new buffer, which is then ours to free.
    if (out != reinterpret_cast<char*>(given.Data())) KvMemFree(out);
    char* fresh = nullptr;
    long freshSize = 0;
    KvString2MultiByteString(*str, fresh, freshSize);
    KvMemFree(fresh);
    FuzzBuffer block(outSize);
    KvString2KvMBS(*str, reinterpret_cast<char*>(block.Data()), outSize);
    KvMBSLength(*str, characters);
    char one[3];
    if (str->Len() != 0) KvWChar2MultiByte(one, static_cast<unsigned short>(str->StrGet()[0]));
  }
  return 0;
}
