// kvformat.cpp — number texts: reading numbers from text.
#include "kvformat.h"

#include <cstdlib>
#include <cstring>

// ---- Reading a number ----

namespace {

// A 32-bit long clamps where the host's wider one does not.
int32_t ClampToLong32(long long v) {
  if (v < INT32_MIN) return INT32_MIN;
  if (v > INT32_MAX) return INT32_MAX;
  return static_cast<int32_t>(v);
}

uint16_t UnitAt(const char* units, size_t i) {
  uint16_t u;
  std::memcpy(&u, units + 2 * i, 2);
  return u;
}


}  // namespace

int32_t KvTextToLong(const char* text, bool plainDecimal) {
  // strtoll clamps only at 64 bits; clamping its result again gives what a
  // 32-bit strtol (and atol, which is strtol with base 10) gives.
  return ClampToLong32(std::strtoll(text, nullptr, plainDecimal ? 10 : 0));
}

double KvTextToDouble(const char* text) { return std::strtod(text, nullptr); }

int32_t KvUnitsToLong(const char* units) {
  // Unsigned, so that the wrap is defined; it is the 32-bit platform's.
  uint32_t value = 0;
  for (size_t i = 0; UnitAt(units, i) != 0; ++i)
    value = value * 10u + (static_cast<uint32_t>(UnitAt(units, i)) - '0');
  return static_cast<int32_t>(value);
}

double KvUnitsToDouble(const char* units) {
  // The whole part is a real number here: a double has no 32-bit range to
  // wrap in.
  size_t i = 0;
  double value = 0.0;
  for (uint16_t u; (u = UnitAt(units, i)) != 0 && u != '.'; ++i)
    value = value * 10.0 + (static_cast<int>(u) - '0');
  if (UnitAt(units, i) != '.') return value;
  double scale = 1.0;
  for (uint16_t u; (u = UnitAt(units, ++i)) != 0;) {
    scale *= 10.0;
    value += (static_cast<int>(u) - '0') / scale;
  }
  return value;
}
