// mbs_probe — runs the multibyte conversions for tests/check_utf8.py. Each
// line of standard input is one request, answered by one line; hex fields
// are "-" when empty.
//   u UNITS      16-bit text (4 hex digits a unit) in code set 253
//   b CS BYTES   8-bit text in code set CS (decimal)
//     -> T BYTES K L R BACK W
//        T, BYTES  KvString2MultiByteString into a new buffer
//        K         1 when KvString2KvMBS into exactly T bytes gives the same
//        L         KvMBSLength of every character
//        R, BACK   KvMBS2KvString of BYTES, and the units it gives
//        W         KvWChar2MultiByte of each unit, one after the other
//   d BYTES      bytes as UTF-8, in a block of exactly their length
//     -> R UNITS W UNIT
//        R, UNITS  KvMBS2KvString with n the length (far beyond it when
//                  the bytes end in a zero byte, which must stop it)
//        W, UNIT   KvMultiByte2WChar at the first byte
#include <cstdio>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "kvplatform/kvmemory.h"
#include "kvtm/kvmbs.h"
#include "kvtm/kvstring.h"

namespace {

using Items = std::vector<uint16_t>;

std::string Hex(const Items& items, int digits) {
  std::string out;
  char piece[8];
  for (uint16_t item : items) out += (std::snprintf(piece, sizeof piece, "%0*x", digits, item), piece);
  return out.empty() ? "-" : out;
}
Items Parse(const std::string& hex, size_t digits) {
  Items out;
  for (size_t i = 0; hex != "-" && i + digits <= hex.size(); i += digits) out.push_back(std::stoi(hex.substr(i, digits), nullptr, 16));
  return out;
}
// The bytes in a heap block of exactly their length.
std::unique_ptr<char[]> Block(const Items& bytes) {
  std::unique_ptr<char[]> block(new char[bytes.size()]);
  for (size_t i = 0; i < bytes.size(); ++i) block[i] = static_cast<char>(bytes[i]);
  return block;
}

std::string Decode(const Items& bytes) {
  KvString str;
  const long n = !bytes.empty() && bytes.back() == 0 ? 1L << 20 : static_cast<long>(bytes.size());
  const long result = KvMBS2KvString(Block(bytes).get(), str, n);
  const uint16_t* units = reinterpret_cast<const uint16_t*>(str.StrGet());
  return std::to_string(result) + " " + Hex(Items(units, units + str.Len()), 4);
}

std::string Encode(const KvString& str, const Items& units) {
  char* out = nullptr;
  long size = 0;
  const long t = KvString2MultiByteString(str, out, size);
  const Items bytes(reinterpret_cast<uint8_t*>(out), reinterpret_cast<uint8_t*>(out) + (t > 0 ? t : 0));
  std::unique_ptr<char[]> bounded(new char[bytes.size()]);
  const bool same = KvString2KvMBS(str, bounded.get(), t) == t && std::string(out, t) == std::string(bounded.get(), t);
  KvMemFree(out);
  Items each;
  char piece[3];
  for (uint16_t u : units)
    for (int i = 0, n = KvWChar2MultiByte(piece, u); i < n; ++i) each.push_back(static_cast<uint8_t>(piece[i]));
  std::ostringstream line;
  line << t << ' ' << Hex(bytes, 2) << ' ' << same << ' ' << KvMBSLength(str, 0xFFFF) << ' ' << Decode(bytes) << ' ' << Hex(each, 2);
  return line.str();
}

}  // namespace

int main() {
  std::string line, kind, field;
  while (std::getline(std::cin, line)) {
    std::istringstream in(line);
    int codeSet = 253;
    if ((in >> kind) && kind == "b") in >> codeSet;
    in >> field;
    Items items = Parse(field, kind == "u" ? 4 : 2);
    if (kind == "d") {
      unsigned short wc = 0xAAAA;
      const int w = KvMultiByte2WChar(&wc, Block(items).get(), static_cast<unsigned>(items.size()));
      std::cout << Decode(items) << ' ' << w << ' ' << Hex({wc}, 4) << '\n';
    } else if (kind == "u" || kind == "b") {
      items.push_back(0);
      std::string bytes(items.begin(), items.end());
      KvString str = kind == "u" ? KvString(reinterpret_cast<const unsigned short*>(items.data())) : KvString(bytes.c_str());
      str.SetCodeSetCode(static_cast<unsigned char>(codeSet));
      items.pop_back();
      std::cout << Encode(str, kind == "u" ? items : Items()) << '\n';
    } else {
      std::cerr << "mbs_probe: unknown request '" << kind << "'\n";
      return 2;
    }
  }
  return 0;
}
