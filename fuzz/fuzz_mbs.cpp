// fuzz_mbs — the UTF-8 conversions of kvmbs.h: decoding any bytes, from a
// block of exactly their length, one character or a whole text (into a
// fresh string and into the string that holds the bytes), and encoding
// strings of any code set into buffers of any size.
//
// Input: code set, language, the output size (2 bytes), a character
// count, then the bytes (the rest).
#include "fuzz_input.h"

KVTM_FUZZ_TARGET(input) {
  const uint8_t cs = input.Byte(), language = input.Byte();
  const uint16_t outSize = input.Word();
  const uint8_t characters = input.Byte();
  const FuzzBuffer bytes = input.Copy(input.Left());
  char* s = reinterpret_cast<char*>(bytes.Data());
  const unsigned n = static_cast<unsigned>(bytes.size);

  // Decoding: every character in turn, then the whole text.
  unsigned short wc;
  for (unsigned at = 0; at < n;) {
    const int used = KvMultiByte2WChar(&wc, s + at, n - at);
    at += used > 0 ? static_cast<unsigned>(used) : 1;
  }
  KvString decoded(1, language), in;
  KvMBS2KvString(s, decoded, static_cast<long>(n));
  KvMultiByteString2KvString(s, in, static_cast<long>(n / 2));

  // The bytes as a string's text, decoded from that string into itself.
  KvString text = FuzzString(bytes.Data(), n, cs, language);
  KvString copy = text, same = text;
  KvMultiByteString2KvString(copy, copy);
  KvMBS2KvString(same.StrGet(), same, same.SizeGet());

  // Encoding into a buffer of the given size, into a new buffer, and into
  // a block of exactly outSize bytes.
  for (const KvString* str : {&text, &decoded}) {
    const FuzzBuffer given(outSize), block(outSize);
    char* out = reinterpret_cast<char*>(given.Data());
    long room = outSize;
    KvString2MultiByteString(*str, out, room);
    // A size below 1 asks for a new buffer, which is then ours to free.
    if (out != reinterpret_cast<char*>(given.Data())) KvMemFree(out);
    char* fresh = nullptr;
    KvString2MultiByteString(*str, fresh, room = 0), KvMemFree(fresh);
    KvString2KvMBS(*str, reinterpret_cast<char*>(block.Data()), outSize);
    KvMBSLength(*str, characters);
    char one[3];
    if (str->Len() != 0) KvWChar2MultiByte(one, static_cast<unsigned short>(str->StrGet()[0]));
  }
}
