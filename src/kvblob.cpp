// kvblob.cpp — a large object of raw bytes and its descriptor row.
#include "kvtm/kvblob.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "kvformat.h"
#include "kvplatform/kvmemory.h"
#include "kvtm/kvstring.h"
#include "kvplatform/kvbase.h"
#include "kvplatform/kvmemfile.h"
#include "kvrows.h"
#include "kvtable.h"
#include "kvtm/kvtypcmp.h"
#include "kvtm/kvtypevl.h"

namespace {

constexpr int64_t kLongestBlob = INT32_MAX;

// A long argument as the 32-bit platform received it.
int64_t Low32(long v) { return static_cast<int32_t>(static_cast<uint32_t>(v)); }

// A KvBlobData of n bytes (1 to any size), null when it cannot be had.
// Sizes a blob cannot hold count as failed allocations, so the handler
// hears of them like of any other.
KvBlobData* NewData(int64_t n) {
  if (n > kLongestBlob) {
    KvCallMemoryHandler(static_cast<unsigned long>(n));
    return nullptr;
  }
  char* bytes = static_cast<char*>(KvMemAlloc(static_cast<uint32_t>(n)));
  if (bytes == nullptr) return nullptr;  // KvMemAlloc called the handler
  KvBlobData* data = new (std::nothrow) KvBlobData{bytes, static_cast<int32_t>(n)};
  if (data == nullptr) {
    KvCallMemoryHandler(sizeof(KvBlobData));
    data = new (std::nothrow) KvBlobData{bytes, static_cast<int32_t>(n)};
    if (data == nullptr) KvMemFree(bytes);
  }
  return data;
}

// A copy of the n bytes at p; null for none.
KvBlobData* CopyOf(const void* p, int64_t n) {
  if (p == nullptr || n <= 0) return nullptr;
  KvBlobData* data = NewData(n);
  if (data != nullptr) std::memcpy(data->data, p, static_cast<size_t>(n));
  return data;
}

// The first `keep` bytes at p (within the first n), followed by zero bytes
// up to n; null for n <= 0.
KvBlobData* Widened(const char* p, int64_t keep, int64_t n) {
  if (n <= 0) return nullptr;
  KvBlobData* data = NewData(n);
  if (data == nullptr) return nullptr;
  if (p == nullptr || keep < 0) keep = 0;
  if (keep > n) keep = n;
  if (p != nullptr && keep > 0) std::memcpy(data->data, p, static_cast<size_t>(keep));
  std::memset(data->data + keep, 0, static_cast<size_t>(n - keep));
  return data;
}

// A number's text and its terminating zero.
template <typename T>
KvBlobData* TextOf(const char* format, T v) {
  char text[400];  // "%f" of the largest double takes 317 bytes
  const int n = std::snprintf(text, sizeof text, format, v);
  if (n < 0 || static_cast<size_t>(n) >= sizeof text) return nullptr;
  return CopyOf(text, n + 1);
}

// The bytes read as text: up to the first zero byte or the end, copied and
// closed so that the reader never passes the blob. 0 when there is no text
// or no memory for the copy.
template <typename T, T (*Read)(const char*)>
T ReadText(const KvBlobData* data) {
  if (data == nullptr || data->length <= 0) return T(0);
  const size_t length = static_cast<size_t>(data->length);
  // A zero byte within the blob ends the text where it lies.
  if (std::memchr(data->data, 0, length) != nullptr) return Read(data->data);
  char local[128];
  char* text = local;
  if (length >= sizeof local) {
    text = static_cast<char*>(KvMemAlloc(static_cast<uint32_t>(length + 1)));
    if (text == nullptr) return T(0);
  }
  std::memcpy(text, data->data, length);
  text[length] = 0;
  const T v = Read(text);
  if (text != local) KvMemFree(text);
  return v;
}

int32_t ReadLong(const char* text) { return KvTextToLong(text, true); }

}  // namespace

KvBlob::KvBlob() : data_(nullptr) {}

KvBlob::KvBlob(long n) : data_(Widened(nullptr, 0, Low32(n))) {}

KvBlob::KvBlob(const void* p, long n) : data_(CopyOf(p, Low32(n))) {}

KvBlob::KvBlob(const char* s) : data_(s != nullptr ? CopyOf(s, std::strlen(s) + 1) : nullptr) {}

KvBlob::KvBlob(const KvString& s) : data_(CopyOf(s.StrGet(), s.SizeGet())) {}

KvBlob::KvBlob(int n) : data_(TextOf("%d", n)) {}

KvBlob::KvBlob(short n) : data_(TextOf("%d", static_cast<int>(n))) {}

KvBlob::KvBlob(unsigned long n) : data_(TextOf("%u", static_cast<uint32_t>(n))) {}

KvBlob::KvBlob(double d) : data_(TextOf("%f", d)) {}

KvBlob::KvBlob(const KvBlob& other) : data_(CopyOf(other.Data(), other.Length())) {}

KvBlob::~KvBlob() { FreeData(data_); }

KvBlob& KvBlob::operator=(const KvBlob& other) {
  if (this != &other) Take(CopyOf(other.Data(), other.Length()));
  return *this;
}

KvBlob& KvBlob::operator=(char* p) {
  if (p == nullptr) {
    Take(nullptr);
    return *this;
  }
  int32_t n;
  std::memcpy(&n, p, sizeof n);
  Take(CopyOf(p + sizeof n, n));
  return *this;
}

KvBlob& KvBlob::operator=(const char* s) {
  Take(s != nullptr ? CopyOf(s, std::strlen(s) + 1) : nullptr);
  return *this;
}

KvBlob::operator int() const { return ReadText<int32_t, ReadLong>(data_); }

KvBlob::operator short() const {
  return static_cast<short>(ReadText<int32_t, ReadLong>(data_));
}

KvBlob::operator long() const { return ReadText<int32_t, ReadLong>(data_); }

KvBlob::operator double() const { return ReadText<double, KvTextToDouble>(data_); }

void KvBlob::Destroy(KvBlob& other) {
  if (&other == this) return;
  FreeData(data_);
  data_ = other.data_;
  other.data_ = nullptr;
}

long KvBlob::Length() const { return data_ != nullptr ? data_->length : 0; }

char* KvBlob::Data() const { return data_ != nullptr ? data_->data : nullptr; }

unsigned short KvBlob::operator==(const KvBlob& other) const {
  const long n = Length();
  if (n != other.Length()) return 0;
  return n == 0 || std::memcmp(Data(), other.Data(), static_cast<size_t>(n)) == 0;
}

long KvBlob::operator!=(const KvBlob& other) const {
  const long n = Length();
  const long m = other.Length();
  const long common = n < m ? n : m;
  if (common > 0) {
    const int r = std::memcmp(Data(), other.Data(), static_cast<size_t>(common));
    if (r != 0) return r < 0 ? -1 : 1;
  }
  return n < m ? -1 : n > m ? 1 : 0;
}

// The new bytes are complete before the old ones go, so a source inside
// this blob stays readable throughout.
void KvBlob::SetTo(const void* p, long n) { Take(CopyOf(p, Low32(n))); }

void KvBlob::Append(const void* p, long count) {
  const int64_t n = Low32(count);
  if (p == nullptr || n <= 0) return;
  const int64_t old = Length();
  KvBlobData* grown = NewData(old + n);
  if (grown != nullptr) {
    if (old != 0) std::memcpy(grown->data, Data(), static_cast<size_t>(old));
    std::memcpy(grown->data + old, p, static_cast<size_t>(n));
  }
  Take(grown);
}

void KvBlob::Append(const KvBlob& b) { Append(b.Data(), b.Length()); }

KvBlob& KvBlob::operator+=(const KvBlob& b) {
  Append(b);
  return *this;
}

void KvBlob::Expand(long count) {
  const int64_t n = Low32(count);
  if (n <= Length() && n > 0) {
    data_->length = static_cast<int32_t>(n);
    return;
  }
  Take(Widened(Data(), Length(), n));
}

void KvBlob::Resize(unsigned long count) {
  const int64_t n = static_cast<uint32_t>(count);
  if (n == 0) {
    Take(nullptr);
  } else if (n <= Length()) {
    data_->length = static_cast<int32_t>(n);
  } else {
    Take(Widened(Data(), Length(), n));
  }
}

char* KvBlob::Seek(long offset, long count) const {
  const int64_t at = Low32(offset);
  const int64_t n = Low32(count);
  if (n <= 0 || at < 0 || at + n > Length()) return nullptr;
  return Data() + at;
}

KvBlob KvBlob::CopyFrom(long offset, long count) const {
  const int64_t at = Low32(offset);
  int64_t n = Low32(count);
  KvBlob copy;
  if (at < 0 || at >= Length() || n <= 0) return copy;
  if (n > Length() - at) n = Length() - at;
  copy.data_ = CopyOf(Data() + at, n);
  return copy;
}

void KvBlob::CopyTo(const KvBlob& source, long offset, long count) {
  const int64_t at = Low32(offset);
  int64_t n = Low32(count);
  if (at < 0 || at > Length()) return;
  if (n > Length() - at) n = Length() - at;
  if (n > source.Length()) n = source.Length();
  if (n < 1) return;
  std::memmove(Data() + at, source.Data(), static_cast<size_t>(n));
}

void KvBlob::Cut(long offset, long count) {
  const int64_t at = Low32(offset);
  int64_t n = Low32(count);
  const int64_t length = Length();
  if (at < 0 || at > length || n <= 0) return;
  if (n > length - at) n = length - at;
  if (n == 0) return;
  if (n == length) {
    Take(nullptr);
    return;
  }
  // The bytes close up in place: the buffer keeps its size, so cutting
  // never allocates and cannot fail.
  std::memmove(Data() + at, Data() + at + n, static_cast<size_t>(length - at - n));
  data_->length = static_cast<int32_t>(length - n);
}

long KvBlob::Search(const KvBlob& pattern) const {
  const long n = pattern.Length();
  if (n == 0) return 0;
  if (n > Length()) return 65535;
  const void* at = memmem(Data(), static_cast<size_t>(Length()), pattern.Data(),
                          static_cast<size_t>(n));
  return at != nullptr ? static_cast<const char*>(at) - Data() : 65535;
}

KvBlobData* KvBlob::AllocData(long n) {
  const int64_t count = Low32(n);
  if (count < 0) return nullptr;
  return Widened(nullptr, 0, count + 1);
}

void KvBlob::FreeData(KvBlobData* data) {
  if (data == nullptr) return;
  KvMemFree(data->data);
  delete data;
}

void KvBlob::Take(KvBlobData* data) {
  FreeData(data_);
  data_ = data;
}

// ---- KvBlob rows ----
//
// Stored form of count blobs: a 32-bit total of the bytes that follow, then
// per blob its 32-bit length and its bytes as they are; 4 + total bytes in
// all. The block's total bounds every read of it: an element whose length
// runs past the total (or past a length the caller gives) is never read.

namespace {

// An array block: the 32-bit count in the last four bytes of a header that
// keeps the blobs aligned, then the blobs; given out at the first blob.
constexpr uint32_t kBlobHeaderBytes =
    alignof(KvBlob) > kCountBytes ? alignof(KvBlob) : kCountBytes;

void* CreateBlobs(uint32_t count) {
  if (count <= 1) return new (std::nothrow) KvBlob;
  if (count > (UINT32_MAX - kBlobHeaderBytes) / sizeof(KvBlob)) return nullptr;
  uint8_t* block = static_cast<uint8_t*>(
      ::operator new(kBlobHeaderBytes + size_t{count} * sizeof(KvBlob), std::nothrow));
  if (block == nullptr) return nullptr;
  std::memcpy(block + kBlobHeaderBytes - kCountBytes, &count, kCountBytes);
  KvBlob* values = reinterpret_cast<KvBlob*>(block + kBlobHeaderBytes);
  for (uint32_t i = 0; i < count; ++i) new (&values[i]) KvBlob;
  return values;
}

// A block's blobs are destroyed from the last to the first, as many as the
// block records: its own count is the one that is sure to be right.
void* DeleteBlobs(void* values, uint32_t count) {
  if (values == nullptr) return nullptr;
  if (count < 2) {
    delete static_cast<KvBlob*>(values);
    return nullptr;
  }
  uint8_t* block = static_cast<uint8_t*>(values) - kBlobHeaderBytes;
  uint32_t held;
  std::memcpy(&held, block + kBlobHeaderBytes - kCountBytes, kCountBytes);
  KvBlob* blobs = static_cast<KvBlob*>(values);
  for (uint32_t i = held; i > 0; --i) blobs[i - 1].~KvBlob();
  ::operator delete(block);
  return nullptr;
}

void DestructBlobs(void* values, uint32_t count, uint32_t) {
  KvBlob* blobs = static_cast<KvBlob*>(values);
  for (uint32_t i = count; i > 0; --i) blobs[i - 1].~KvBlob();
}

constexpr uint64_t kWholeBlock = UINT64_MAX;

uint32_t Clamp32(uint64_t n) { return n > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(n); }

uint32_t ReadLength(const uint8_t* p, uint8_t format) {
  uint32_t n;
  LongStore(&n, const_cast<uint8_t*>(p), format, 1);
  return n;
}

// 4 + the total of count blobs in memory.
uint64_t StoredBlobBytes(const KvBlob* blobs, uint32_t count) {
  uint64_t bytes = 4;
  for (uint32_t i = 0; i < count; ++i) bytes += 4 + static_cast<uint64_t>(blobs[i].Length());
  return bytes;
}

// Writes the stored form of count blobs at out, never past `room` bytes (a
// block cut there keeps the total of the whole); returns the bytes written.
uint32_t WriteBlobs(uint8_t* out, uint64_t room, const KvBlob* blobs, uint8_t format,
                    uint32_t count) {
  uint64_t at = 0;
  auto put = [&](const void* bytes, uint64_t n) {
    if (at < room && n != 0) {
      const uint64_t fits = n < room - at ? n : room - at;
      std::memcpy(out + at, bytes, static_cast<size_t>(fits));
    }
    at += n;
  };
  auto putLength = [&](uint64_t n) {
    uint32_t field = static_cast<uint32_t>(n);
    uint8_t stored[4];
    LongStore(stored, &field, format, 1);
    put(stored, 4);
  };
  putLength(StoredBlobBytes(blobs, count) - 4);
  for (uint32_t i = 0; i < count; ++i) {
    putLength(static_cast<uint64_t>(blobs[i].Length()));
    put(blobs[i].Data(), static_cast<uint64_t>(blobs[i].Length()));
  }
  return Clamp32(at < room ? at : room);
}

// Loads count blobs from the stored block at p, reading at most `available`
// bytes of it and nothing beyond the 4 + total bytes it claims. A blob whose
// length field or bytes lie beyond those is loaded empty, and so is every
// one after it; a negative length counts as 0. Returns the block's bytes
// within what may be read.
uint32_t ReadBlobs(KvBlob* blobs, const uint8_t* p, uint8_t format, uint32_t count,
                   uint64_t available) {
  uint64_t end = available < 4 ? 0 : uint64_t{ReadLength(p, format)} + 4;
  if (end > available) end = available;
  uint64_t at = 4;
  bool whole = end != 0;
  for (uint32_t i = 0; i < count; ++i) {
    uint64_t length = 0;
    if (whole && at + 4 <= end) {
      const int32_t field = static_cast<int32_t>(ReadLength(p + at, format));
      length = field > 0 ? static_cast<uint64_t>(field) : 0;
      whole = at + 4 + length <= end;
    } else {
      whole = false;
    }
    if (whole) {
      blobs[i].SetTo(p + at + 4, static_cast<long>(length));
      at += 4 + length;
    } else {
      blobs[i].SetTo(nullptr, 0);
    }
  }
  return Clamp32(end);
}

uint32_t StoreBlobs(void* stored, void* values, uint8_t format, uint32_t count) {
  if (stored == nullptr || values == nullptr) return 0;
  return WriteBlobs(static_cast<uint8_t*>(stored), kWholeBlock, static_cast<const KvBlob*>(values),
                    format, count);
}

uint32_t LoadBlobs(void* values, void* stored, uint8_t format, uint32_t count) {
  if (stored == nullptr || values == nullptr) return 0;
  return ReadBlobs(static_cast<KvBlob*>(values), static_cast<const uint8_t*>(stored), format,
                   count, kWholeBlock);
}

uint32_t NullSizeBlobs(uint32_t) { return 4; }

// In memory form the blobs are measured; in a stored form the block's total
// (read in the byte order of the buffer's own format) tells.
uint32_t SizeBlobs(void* values, uint8_t valueFormat, uint8_t, uint32_t count) {
  if (values == nullptr) return NullSizeBlobs(count);
  if (valueFormat & 8) return Clamp32(StoredBlobBytes(static_cast<const KvBlob*>(values), count));
  return Clamp32(uint64_t{ReadLength(static_cast<const uint8_t*>(values), valueFormat)} + 4);
}

// 0 when the file holds no whole total at its position.
uint32_t FileSizeBlobs(MemFile* file, uint8_t format, uint32_t) {
  if (file == nullptr) return 0;
  unsigned long wanted = 4;
  const uint8_t* at = file->Seek(0, KvSEEK_CUR, &wanted, 0);
  if (at == nullptr || wanted < 4) return 0;
  return Clamp32(uint64_t{ReadLength(at, format)} + 4);
}

// The four cases of every row; a nonzero length bounds the blobs converted
// in the memory cases and the bytes read or written in the stored ones.
uint32_t TranslateBlobs(void* target, uint8_t targetFormat, uint32_t targetLength, void* source,
                        uint8_t sourceFormat, uint32_t sourceLength, uint32_t count) {
  if (target == nullptr || source == nullptr) return 0;
  const bool targetInMemory = (targetFormat & 8) != 0;
  const bool sourceInMemory = (sourceFormat & 8) != 0;
  constexpr uint32_t size = sizeof(KvBlob);
  if (targetInMemory && targetLength != 0 && targetLength / size < count)
    count = targetLength / size;
  if (sourceInMemory && sourceLength != 0 && sourceLength / size < count)
    count = sourceLength / size;
  if (targetInMemory && sourceInMemory) {
    AssignValues<KvBlob>(target, source, count, 0);
    return count * size;
  }
  if (targetInMemory) {
    return ReadBlobs(static_cast<KvBlob*>(target), static_cast<const uint8_t*>(source),
                     sourceFormat, count, sourceLength != 0 ? sourceLength : kWholeBlock);
  }
  if (sourceInMemory) {
    return WriteBlobs(static_cast<uint8_t*>(target), targetLength != 0 ? targetLength : kWholeBlock,
                      static_cast<const KvBlob*>(source), targetFormat, count);
  }
  // Stored to stored: the bytes as they are, as every row copies them.
  const uint32_t n = sourceLength < targetLength ? sourceLength : targetLength;
  if (sourceLength < targetLength) std::memset(target, 0, targetLength);
  if (n != 0) std::memmove(target, source, n);
  return n;
}

// Blob contents have no text form: an empty list, and empty blobs from any.
KvString* BlobList(void*, uint32_t) { return new (std::nothrow) KvString(); }
void* BlobsOf(KvString*, uint32_t count) { return CreateBlobs(count); }

// The first blob under the format, appended to `out`: "%L" its length, "%"
// before any other character that character ("%%" a percent sign), a "%"
// that ends the format nothing; every other character itself. A text longer
// than a string holds is refused whole.
KvString& PrintBlob(KvString& out, void* values, const char* format, uint32_t) {
  if (values == nullptr || format == nullptr) return out;
  const KvBlob& blob = *static_cast<const KvBlob*>(values);
  KvTextBuffer text;
  for (const char* f = format; *f != 0; ++f) {
    if (*f == '%') {
      if (f[1] == 0) break;
      ++f;
      if (*f == 'L') {
        char number[24];
        const int n = std::snprintf(number, sizeof number, "%ld", blob.Length());
        text.Append(number, static_cast<size_t>(n));
        continue;
      }
    }
    text.Append(f, 1);
  }
  text.AppendTo(out);
  return out;
}

void* ScanBlob(void* values, KvString&, const char*, uint32_t) { return values; }

constexpr KvTypeDescriptor BlobRow() {
  KvTypeDescriptor row = EmptyRow("KvBlob", sizeof(KvBlob), 0, "[BLOB,len=%L]");
  row.Create = CreateBlobs;
  row.Delete = DeleteBlobs;
  row.Store = StoreBlobs;
  row.Load = LoadBlobs;
  row.NullSizeGet = NullSizeBlobs;
  row.SizeGet = SizeBlobs;
  row.SizeGetFromMemFile = FileSizeBlobs;
  row.Compare = BlobCompare;
  row.EvalAndBound = KvEvalBlob;
  row.ConvertToKvString = BlobList;
  row.ConvertFromKvString = BlobsOf;
  row.Constructor = ConstructValues<KvBlob>;
  row.Destructor = DestructBlobs;
  row.Assignment = AssignValues<KvBlob>;
  row.Copy = CopyValues<KvBlob>;
  row.Translate = TranslateBlobs;
  row.PrintToString = PrintBlob;
  row.ScanFromString = ScanBlob;
  return row;
}

}  // namespace

constinit KvTypeDescriptor kvBlobRow = BlobRow();
