// kvblob.h — a large object of raw bytes.
#ifndef KVTM_KVBLOB_H
#define KVTM_KVBLOB_H

#include <cstdint>

#include "kvtm/export.h"

class KvString;

// The bytes of one blob: `length` bytes at `data`. Made by KvBlob::AllocData
// and released by KvBlob::FreeData; the bytes come from KvMemAlloc.
struct KvBlobData {
  char* data;      // null when length is 0
  int32_t length;  // 0 to INT32_MAX
};

// A run of bytes owned by one blob alone; copies are deep. In memory a blob
// is one pointer to its KvBlobData (none while it is empty).
//
// Offsets, counts and lengths are 32-bit quantities, as on the platform the
// stored form was made on: a long argument is taken by its low 32 bits
// (signed), an unsigned long by its low 32 bits. Every operation bounds
// them to the blob: a negative, huge or overflowing value never reads or
// writes outside the bytes.
//
// When the bytes a blob needs cannot be allocated, the memory handler
// (KvCallMemoryHandler) is called with their size, as KvMemAlloc does, or
// directly for a size beyond INT32_MAX; the blob is then empty. A caller
// whose handler returns can tell by Length(). Nothing throws.
class KVTM_EXPORT KvBlob {
 public:
  // Empty.
  KvBlob();
  // n zero bytes (empty for n <= 0).
  explicit KvBlob(long n);
  // A copy of the n bytes at p (empty for n <= 0 or a null p).
  KvBlob(const void* p, long n);
  // A copy of the text s and its terminating zero: length strlen(s) + 1.
  // A null s gives an empty blob.
  KvBlob(const char* s);
  // A copy of the string's whole buffer, SizeGet() bytes, its terminating
  // zero unit included; empty for a string without a buffer.
  KvBlob(const KvString& s);
  // The decimal text of n and a zero byte ("-42" gives 4 bytes); an
  // unsigned long prints as 32 bits ("%lu" of the low 32 bits).
  KvBlob(int n);
  KvBlob(short n);
  KvBlob(unsigned long n);
  // The text of printf "%f" (six decimals) and a zero byte: 2.5 gives
  // "2.500000", 9 bytes.
  KvBlob(double d);
  KvBlob(const KvBlob& other);
  ~KvBlob();

  // Nothing on self-assignment; otherwise becomes a deep copy of other.
  KvBlob& operator=(const KvBlob& other);
  // p points at a 32-bit length in native byte order followed by that many
  // bytes (one element of the stored form as it lies in memory); the blob
  // becomes a copy of those bytes. A null p or a length <= 0 empties it.
  KvBlob& operator=(char* p);
  // Text, as KvBlob(const char*) makes it. Declared so that a literal, which
  // some compilers would pass as a char*, is never read as an image.
  KvBlob& operator=(const char* s);

  // The bytes read as text, up to the first zero byte or the blob's end
  // (never beyond): atoi (operator int, and operator short of its low 16
  // bits), atol and atof, in 32-bit arithmetic (beyond it they clamp).
  // An empty blob, or one without digits, gives 0.
  operator int() const;
  operator short() const;
  operator long() const;
  operator double() const;

  // When other is another blob: releases the own bytes, takes over other's
  // and leaves other empty.
  void Destroy(KvBlob& other);

  long Length() const;
  // The bytes; null when empty.
  char* Data() const;

  // 1 when both hold the same bytes (two empty blobs are equal), else 0.
  unsigned short operator==(const KvBlob& other) const;
  // Three-way order: the first differing byte (unsigned) decides, -1 when
  // this one's is smaller, 1 when larger; with an equal common part the
  // shorter blob is smaller; 0 when equal.
  long operator!=(const KvBlob& other) const;

  // Releases the bytes and becomes a copy of the n bytes at p (empty for
  // n <= 0 or a null p). p may point into this blob.
  void SetTo(const void* p, long n);
  // Appends n bytes from p (nothing for n <= 0 or a null p). p may point
  // into this blob.
  void Append(const void* p, long n);
  // Appends b's bytes (nothing when b is empty); b may be this blob.
  void Append(const KvBlob& b);
  KvBlob& operator+=(const KvBlob& b);

  // Becomes n bytes long, keeping the first min(n, Length()) bytes; new
  // bytes are zero. n <= 0 empties the blob.
  void Expand(long n);
  // n = 0 empties the blob; n above the length moves the bytes into a new
  // buffer of n bytes (the new ones zero); n not above it only shortens the
  // length, keeping the buffer.
  void Resize(unsigned long n);

  // The byte at offset when the n bytes from there lie within the blob
  // (n > 0, offset >= 0, offset + n <= Length()); else null.
  char* Seek(long offset, long n) const;
  // A new blob of the bytes from offset on, at most n of them and none
  // beyond the end. Empty when offset is negative or not below the length,
  // or n <= 0.
  KvBlob CopyFrom(long offset, long n) const;
  // Writes the first bytes of source over this blob from offset on: at most
  // n, none beyond this blob's end or source's end. Nothing for a negative
  // offset or when fewer than one byte would be copied. The length stays.
  void CopyTo(const KvBlob& source, long offset, long n);
  // Removes up to n bytes from offset on (as many as follow it). Nothing
  // when offset is negative or beyond the length, or n <= 0. Removing every
  // byte empties the blob.
  void Cut(long offset, long n);
  // The first offset at which pattern's bytes occur; 0 for an empty
  // pattern; 65535 when they do not occur. A match at offset 65535 reads
  // the same as none: callers written against this value test for it.
  long Search(const KvBlob& pattern) const;

  // A new KvBlobData of n + 1 zero bytes (length n + 1), which the caller
  // releases with FreeData. Null for n < 0, and, after the memory handler
  // has been called, when the bytes cannot be allocated (n + 1 beyond
  // INT32_MAX included).
  static KvBlobData* AllocData(long n);
  // Releases what AllocData made; null is ignored.
  static void FreeData(KvBlobData* data);

 private:
  // Releases the own bytes and holds `data` (which may be null) instead.
  void Take(KvBlobData* data);

  KvBlobData* data_;
};

static_assert(sizeof(KvBlob) == sizeof(void*), "a blob in memory is one pointer");

#endif  // KVTM_KVBLOB_H
