// mbs_probe — runs the multibyte conversions for tests/check_utf8.py. Each
// line of standard input is one request, answered by one line on standard
// output; hex fields are "-" when empty.
//
//   u UNITS      16-bit text (4 hex digits a unit) in code set 253
//   b CS BYTES   8-bit text in code set CS (decimal)
//     -> T BYTES K KBYTES L R BACK
//        T, BYTES   KvString2MultiByteString into a new buffer (terminator
//                   not shown)
//        K, KBYTES  KvString2KvMBS into a block of exactly T bytes
//        L          KvMBSLength of every character
//        R, BACK    KvMBS2KvString of BYTES, and the units it gives
//   d BYTES      bytes as UTF-8, in a block of exactly their length
//     -> R UNITS W UNIT
//        R, UNITS   KvMBS2KvString with n the length
//        W, UNIT    KvMultiByte2WChar at the first byte
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "kvplatform/kvi18n.h"
#include "kvplatform/kvmemory.h"
#include "kvtm/kvmbs.h"
#include "kvtm/kvstring.h"

namespace {

std::vector<uint8_t> BytesOf(const std::string& hex) {
  std::vector<uint8_t> out;
  if (hex == "-") return out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2)
    out.push_back(static_cast<uint8_t>(std::strtoul(hex.substr(i, 2).c_str(), nullptr, 16)));
  return out;
}

std::string HexOf(const uint8_t* bytes, size_t n) {
  if (n == 0) return "-";
  std::string out;
  char piece[3];
  for (size_t i = 0; i < n; ++i) {
    std::snprintf(piece, sizeof piece, "%02x", bytes[i]);
    out += piece;
  }
  return out;
}

std::string HexOfUnits(const KvString& s) {
  const size_t n = s.Len();
  if (n == 0) return "-";
  std::string out;
  char piece[5];
  for (size_t i = 0; i < n; ++i) {
    uint16_t unit;
    std::memcpy(&unit, s.StrGet() + 2 * i, 2);
    std::snprintf(piece, sizeof piece, "%04x", unit);
    out += piece;
  }
  return out;
}

// Decodes `bytes` from a heap block of exactly their length.
long Decode(const std::vector<uint8_t>& bytes, KvString& str) {
  std::unique_ptr<char[]> block(new char[bytes.size()]);
  if (!bytes.empty()) std::memcpy(block.get(), bytes.data(), bytes.size());
  return KvMBS2KvString(block.get(), str, static_cast<long>(bytes.size()));
}

std::string Encode(const KvString& str) {
  char* out = nullptr;
  long size = 0;
  const long t = KvString2MultiByteString(str, out, size);
  std::vector<uint8_t> bytes;
  if (t >= 0) bytes.assign(out, out + t);
  KvMemFree(out);

  const size_t room = t > 0 ? static_cast<size_t>(t) : 0;
  std::unique_ptr<char[]> bounded(new char[room]);
  const long k = KvString2KvMBS(str, bounded.get(), static_cast<long>(room));
  KvString back;
  const long r = Decode(bytes, back);

  std::ostringstream line;
  line << t << ' ' << HexOf(bytes.data(), bytes.size()) << ' ' << k << ' '
       << HexOf(reinterpret_cast<uint8_t*>(bounded.get()), k > 0 ? static_cast<size_t>(k) : 0)
       << ' ' << KvMBSLength(str, 0xFFFF) << ' ' << r << ' ' << HexOfUnits(back);
  return line.str();
}

}  // namespace

int main() {
  std::string line;
  while (std::getline(std::cin, line)) {
    std::istringstream in(line);
    std::string kind, field;
    in >> kind;
    if (kind == "u") {
      in >> field;
      std::vector<unsigned short> units;
      for (size_t i = 0; field != "-" && i + 3 < field.size(); i += 4)
        units.push_back(static_cast<unsigned short>(std::strtoul(field.substr(i, 4).c_str(), nullptr, 16)));
      units.push_back(0);
      KvString str(units.data());
      str.SetCodeSetCode(KvCS_UNICODE);
      std::cout << Encode(str) << '\n';
    } else if (kind == "b") {
      int codeSet = 0;
      in >> codeSet >> field;
      std::vector<uint8_t> bytes = BytesOf(field);
      bytes.push_back(0);
      KvString str(reinterpret_cast<const char*>(bytes.data()));
      str.SetCodeSetCode(static_cast<unsigned char>(codeSet));
      std::cout << Encode(str) << '\n';
    } else if (kind == "d") {
      in >> field;
      const std::vector<uint8_t> bytes = BytesOf(field);
      KvString str;
      const long r = Decode(bytes, str);
      std::unique_ptr<char[]> block(new char[bytes.size()]);
      if (!bytes.empty()) std::memcpy(block.get(), bytes.data(), bytes.size());
      unsigned short wc = 0xAAAA;
      const int w = KvMultiByte2WChar(&wc, block.get(), static_cast<unsigned>(bytes.size()));
      char unit[5];
      std::snprintf(unit, sizeof unit, "%04x", wc);
      std::cout << r << ' ' << HexOfUnits(str) << ' ' << w << ' ' << unit << '\n';
    } else {
      std::cerr << "mbs_probe: unknown request '" << kind << "'\n";
      return 2;
    }
  }
  return 0;
}
