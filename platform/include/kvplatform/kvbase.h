// kvbase.h — number conversion between memory form and stored byte orders.
#ifndef KVPLATFORM_KVBASE_H
#define KVPLATFORM_KVBASE_H

#include <cstdint>

#include "kvplatform/export.h"

// Format codes. The low four bits choose the stored byte order: 2 is most
// significant byte first, every other value least significant byte first,
// which is also the memory layout of the supported hosts. Bit 3 marks
// values in memory form; bits 4 to 7 are flags that these routines ignore.
enum : uint8_t {
  KvFORMAT_LSB_FIRST = 1,
  KvFORMAT_MSB_FIRST = 2,
  KvFORMAT_MEMORY = 8,
};

// True when `format` names the most-significant-byte-first stored form.
inline bool KvFormatIsMsbFirst(uint8_t format) { return (format & 15) == 2; }

// Each routine converts `count` values of its width from `source` to
// `target` and returns the stored byte count (count × width, 32-bit).
// Char, short, long, float and double are symmetric: the same routine
// stores and loads. `int` and `unsigned` are stored in 4 bytes and have
// one routine per direction. `target` may equal `source` (conversion in
// place); otherwise the buffers must not overlap.
KVP_EXPORT uint32_t CharStore(void* target, void* source, uint8_t format, uint32_t count);
KVP_EXPORT uint32_t ShortStore(void* target, void* source, uint8_t format, uint32_t count);
KVP_EXPORT uint32_t LongStore(void* target, void* source, uint8_t format, uint32_t count);
KVP_EXPORT uint32_t FloatStore(void* target, void* source, uint8_t format, uint32_t count);
KVP_EXPORT uint32_t DoubleStore(void* target, void* source, uint8_t format, uint32_t count);
KVP_EXPORT uint32_t IntStore(void* stored, void* values, uint8_t format, uint32_t count);
KVP_EXPORT uint32_t IntLoad(void* values, void* stored, uint8_t format, uint32_t count);
KVP_EXPORT uint32_t UnsignedStore(void* stored, void* values, uint8_t format, uint32_t count);
KVP_EXPORT uint32_t UnsignedLoad(void* values, void* stored, uint8_t format, uint32_t count);

// Stored length of `count` values: count × width whatever the formats;
// `value` is not read (callers pass null and value format 8).
KVP_EXPORT uint32_t CharSizeGet(void* value, uint8_t valueFormat, uint8_t storedFormat, uint32_t count);
KVP_EXPORT uint32_t ShortSizeGet(void* value, uint8_t valueFormat, uint8_t storedFormat, uint32_t count);
KVP_EXPORT uint32_t LongSizeGet(void* value, uint8_t valueFormat, uint8_t storedFormat, uint32_t count);
KVP_EXPORT uint32_t IntSizeGet(void* value, uint8_t valueFormat, uint8_t storedFormat, uint32_t count);
KVP_EXPORT uint32_t FloatSizeGet(void* value, uint8_t valueFormat, uint8_t storedFormat, uint32_t count);
KVP_EXPORT uint32_t DoubleSizeGet(void* value, uint8_t valueFormat, uint8_t storedFormat, uint32_t count);

// Stored length of `count` null values: count × width.
KVP_EXPORT uint32_t CharNullSizeGet(uint32_t count);
KVP_EXPORT uint32_t ShortNullSizeGet(uint32_t count);
KVP_EXPORT uint32_t LongNullSizeGet(uint32_t count);
KVP_EXPORT uint32_t IntNullSizeGet(uint32_t count);
KVP_EXPORT uint32_t FloatNullSizeGet(uint32_t count);
KVP_EXPORT uint32_t DoubleNullSizeGet(uint32_t count);

#endif  // KVPLATFORM_KVBASE_H
