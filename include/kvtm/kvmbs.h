// kvmbs.h — strings to and from multibyte text: UTF-8 in its original
// definition (RFC 2279), with sequences of up to six bytes, whose characters
// are the units of the 16-bit code set 253. A decoded value above 0xFFFF
// keeps its low 16 bits; encoding writes at most three bytes per character.
// Strings in other code sets go through code set 253: 8-bit text is mapped
// character by character, 16-bit text is taken unit by unit whatever its
// code set.
//
// Counts and sizes of type long are taken as 32-bit numbers, as on the
// 32-bit platform; a negative one counts as 0.
#ifndef KVTM_KVMBS_H
#define KVTM_KVMBS_H

#include "kvtm/export.h"

class KvString;

// Results of the conversions.
enum : long {
  KvMBS_INVALID = -1,   // an invalid, cut or overlong sequence, or one above
                        // 0xFFFF whose low 16 bits are ASCII; a caller
                        // buffer too small
  KvMBS_TOO_LONG = -2,  // input of 32768 bytes or more, or of more characters
                        // than a string holds; output past `size`
};

// Decodes one character from at most n bytes at s into *wc (when wc is not
// null). Returns the bytes used; KvMBS_INVALID (and *wc 0) for n 0, a
// continuation byte or 0xFE/0xFF as lead, a cut or overlong sequence, or a
// value above 0xFFFF whose low 16 bits are below 0x80 (a second spelling of
// an ASCII character, or of the terminator); 0 (and *wc 0) for a null s. A
// zero byte decodes to 0 using 1 byte. Reads no byte past n, and none past
// a byte that does not continue the sequence (so none past a zero byte).
KVTM_EXPORT int KvMultiByte2WChar(unsigned short* wc, char* s, unsigned int n);

// Encodes wc at s (1 to 3 bytes, no terminator; 0 gives the byte 0);
// returns the bytes written, 0 for a null s.
KVTM_EXPORT int KvWChar2MultiByte(char* s, unsigned short wc);

// `str` becomes the decoding of at most n bytes of s, up to a zero byte, in
// code set 253; it keeps its language. n 0 or a null s: no text and 0.
// Returns the bytes used (the zero byte not counted), KvMBS_INVALID at an
// invalid sequence, or KvMBS_TOO_LONG once 32768 bytes are used (the
// character that reached the limit is kept) or before a character beyond
// the 32765 a string holds. What was decoded before stays in `str`. `s` may
// point into `str`'s own text.
KVTM_EXPORT long KvMBS2KvString(const char* s, KvString& str, long n);
KVTM_EXPORT long KvMultiByteString2KvString(const char* s, KvString& str, long n);
// The bytes of m's text taken as UTF-8: an 8-bit text's units; a 16-bit
// text's units each taken as one byte (a unit above 0xFF is no byte: the
// units before it are decoded and the result is KvMBS_INVALID). `m` may be
// `str`.
KVTM_EXPORT long KvMultiByteString2KvString(const KvString& m, KvString& str);

// The UTF-8 form of `str` and a terminator into `out`, which holds `size`
// bytes. A null `out` or a `size` below 1: a new buffer of the text's bytes
// + 1 from KvMemAlloc (the caller frees it with KvMemFree) into `out` and
// `size`. Returns the bytes of the text. When they and the terminator do
// not fit, nothing is written, `size` becomes the text's bytes (one less
// than the buffer needs) and the result is KvMBS_INVALID; the same when the
// new buffer cannot be had (`out` then null).
KVTM_EXPORT long KvString2MultiByteString(const KvString& str, char*& out, long& size);

// The UTF-8 form of `str` into `out`, at most `size` bytes, without a
// terminator; ASCII text of code sets 0 to 5 zero-fills the rest of the
// `size` bytes. Returns the bytes written, or KvMBS_TOO_LONG when the text
// does not fit (the characters that fit are written). A null `out` holds 0
// bytes.
KVTM_EXPORT long KvString2KvMBS(const KvString& str, char* out, long size);

// The UTF-8 bytes of the first n characters of `str` (all when it has
// fewer).
KVTM_EXPORT long KvMBSLength(const KvString& str, unsigned short n);

#endif  // KVTM_KVMBS_H
