// kvmemfile.h — a read-only view of a byte buffer with a current position.
#ifndef KVPLATFORM_KVMEMFILE_H
#define KVPLATFORM_KVMEMFILE_H

#include <cstdint>

#include "kvplatform/export.h"

// Seek origins, as in fseek.
enum : uint16_t {
  KvSEEK_SET = 0,
  KvSEEK_CUR = 1,
  KvSEEK_END = 2,
};

// The file does not own its bytes; the caller keeps them alive. The end is
// the number of bytes in the view and the position lies in [0, end].
class KVP_EXPORT MemFile {
 public:
  MemFile(const void* data, uint32_t length, uint32_t position = 0);

  uint32_t EndGet() const { return end_; }
  uint32_t PosGet() const { return position_; }

  // Moves the position to `origin` + `offset` (refused, with null and
  // *length 0, when that lies outside [0, end]). Then sets *length to the
  // smaller of *length and the bytes left, and returns a pointer to the
  // bytes at the position, or null when none are left. A nonzero `mode`
  // also moves the position past the bytes returned; mode 0 only looks.
  // A null `length` asks for no bytes.
  const uint8_t* Seek(long offset, unsigned short origin, unsigned long* length,
                      unsigned short mode);

 private:
  const uint8_t* data_;
  uint32_t end_;
  uint32_t position_;
};

#endif  // KVPLATFORM_KVMEMFILE_H
