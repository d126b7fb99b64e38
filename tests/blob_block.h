// Stored blob blocks written by hand, for the blob tests.
#ifndef KVTM_TESTS_BLOB_BLOCK_H
#define KVTM_TESTS_BLOB_BLOCK_H

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "test_util.h"

// A stored blob block written by hand: total, then per element a length and
// its bytes; lengths most significant byte first for format 2.
inline void PutLength(Bytes& out, uint32_t n, uint8_t format) {
  for (int i = 0; i < 4; ++i) {
    const int shift = format == 2 ? 24 - 8 * i : 8 * i;
    out.push_back(static_cast<uint8_t>(n >> shift));
  }
}

inline Bytes Block(uint8_t format, std::vector<std::string> elements) {
  Bytes out;
  uint32_t total = 0;
  for (const std::string& e : elements) total += 4 + static_cast<uint32_t>(e.size());
  PutLength(out, total, format);
  for (const std::string& e : elements) {
    PutLength(out, static_cast<uint32_t>(e.size()), format);
    out.insert(out.end(), e.begin(), e.end());
  }
  return out;
}

// A block whose fields are given one by one: each entry is a length field
// (when `isLength`) or data bytes.
struct Piece {
  bool isLength;
  uint32_t length;
  std::string bytes;
};
inline Bytes Raw(uint8_t format, std::vector<Piece> pieces) {
  Bytes out;
  for (const Piece& p : pieces) {
    if (p.isLength)
      PutLength(out, p.length, format);
    else
      out.insert(out.end(), p.bytes.begin(), p.bytes.end());
  }
  return out;
}
inline Piece L(uint32_t n) { return {true, n, ""}; }
inline Piece D(std::string bytes) { return {false, 0, std::move(bytes)}; }

#endif  // KVTM_TESTS_BLOB_BLOCK_H
