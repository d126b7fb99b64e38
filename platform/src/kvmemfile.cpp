// kvmemfile.cpp — a read-only view of a byte buffer with a current position.
#include "kvplatform/kvmemfile.h"

MemFile::MemFile(const void* data, uint32_t length, uint32_t position)
    : data_(static_cast<const uint8_t*>(data)),
      end_(data == nullptr ? 0 : length),
      position_(position > end_ ? end_ : position) {}

const uint8_t* MemFile::Seek(long offset, unsigned short origin, unsigned long* length,
                             unsigned short mode) {
  int64_t base;
  switch (origin) {
    case KvSEEK_SET: base = 0; break;
    case KvSEEK_CUR: base = position_; break;
    case KvSEEK_END: base = end_; break;
    default: base = -1; break;
  }
  // Offsets are 32-bit quantities whatever the width of long on the host.
  const int64_t target = base + static_cast<int32_t>(offset);
  if (base < 0 || target < 0 || target > static_cast<int64_t>(end_)) {
    if (length != nullptr) *length = 0;
    return nullptr;
  }
  position_ = static_cast<uint32_t>(target);
  const uint32_t left = end_ - position_;
  uint32_t wanted = length == nullptr ? 0 : static_cast<uint32_t>(*length);
  if (wanted > left) wanted = left;
  if (length != nullptr) *length = wanted;
  if (wanted == 0) return nullptr;
  const uint8_t* bytes = data_ + position_;
  if (mode != 0) position_ += wanted;
  return bytes;
}
