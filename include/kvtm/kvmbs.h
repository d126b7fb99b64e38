// kvmbs.h — strings to and from multibyte text: UTF-8 with sequences of up
// to six bytes, whose characters are the units of the 16-bit code set 253.
// A decoded value above 0xFFFF keeps its low 16 bits; encoding writes at
// most three bytes per character. Strings in other code sets go through
// code set 253.
#ifndef KVTM_KVMBS_H
#define KVTM_KVMBS_H

#include "kvtm/export.h"

class KvString;

// Results of the conversions.
enum : long {
  KvMBS_INVALID = -1,   // an invalid, cut or overlong sequence; an
                        // unencodable character; a caller buffer too small
  KvMBS_TOO_LONG = -2,  // input of 32768 bytes or more; output past `size`
};

// Decodes one character from at most n bytes at s into *wc. Returns the
// bytes used; KvMBS_INVALID (and *wc 0) for an invalid or cut sequence or
// n 0; 0 for a null s. A zero byte decodes to 0 using 1 byte.
KVTM_EXPORT int KvMultiByte2WChar(unsigned short* wc, char* s, unsigned int n);

// Encodes wc at s (1 to 3 bytes, no terminator); returns the bytes written,
// 0 for a null s.
KVTM_EXPORT int KvWChar2MultiByte(char* s, unsigned short wc);

// `str` becomes the decoding of at most n bytes of s (up to a zero byte), in
// code set 253 and `str`'s language. Returns the bytes used, KvMBS_INVALID
// at an invalid sequence or KvMBS_TOO_LONG once 32768 bytes are used; what
// was decoded before stays in `str`.
KVTM_EXPORT long KvMBS2KvString(const char* s, KvString& str, long n);
KVTM_EXPORT long KvMultiByteString2KvString(const char* s, KvString& str, long n);
// The bytes of m's text taken as UTF-8.
KVTM_EXPORT long KvMultiByteString2KvString(const KvString& m, KvString& str);

// The UTF-8 form of `str` and a terminator into `out`, which holds `size`
// bytes. A null `out` or a `size` below 1: a new buffer of the text's bytes
// + 1 from KvMemAlloc (the caller frees it with KvMemFree) into `out` and
// `size`. Returns the bytes of the text; when they do not fit, `size`
// becomes that count and the result is KvMBS_INVALID.
KVTM_EXPORT long KvString2MultiByteString(const KvString& str, char*& out, long& size);

// The UTF-8 form of `str` into `out`, at most `size` bytes, without a
// terminator (8-bit ASCII text zero-fills the rest of `out`). Returns the
// bytes written, or KvMBS_TOO_LONG when the next character would pass
// `size`.
KVTM_EXPORT long KvString2KvMBS(const KvString& str, char* out, long size);

// The UTF-8 bytes of the first n characters of `str`.
KVTM_EXPORT long KvMBSLength(const KvString& str, unsigned short n);

#endif  // KVTM_KVMBS_H
