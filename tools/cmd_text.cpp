// cmd_text.cpp — kvtm codesets, orders and convert: the character layer.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "cli.h"
#include "kvplatform/kvi18n.h"
#include "kvplatform/kvmemory.h"
#include "kvtm/kvchar.h"
#include "kvtm/kvmbs.h"
#include "kvtm/kvorder.h"

namespace {

// Code sets a user can name at the terminal.
const uint8_t kListed[] = {0, 1, 2, 3, 4, 5, 253, 254};

std::string CodeSetName(uint8_t id) {
  if (id == 0) return "native (" + std::string(KvLanguageContext::QueryCodeSet(0)->NameGet()) + ")";
  if (id == KvCS_ORDERS) return "collation order values";
  const char* name = KvLanguageContext::QueryCodeSet(id)->NameGet();
  return name != nullptr ? name : "unknown";
}

const char* OrderClass(uint16_t order, uint8_t collationClass) {
  if (collationClass >= 20 || order >= 32768) return "Han";
  if (order < 80) return order == 13 ? "undefined" : "space";
  if (order < 16128) return "symbol";
  if (order < 16384) return "digit";
  return "letter";
}

// The order's name for the terminal, on one line: a Han character's name
// ends in a newline.
std::string OrderName(uint16_t order, uint8_t collationClass) {
  KvString text;
  KvConvertOrderToString(order, collationClass, text);
  std::string name = Utf8Of(text);
  while (!name.empty() && name.back() == '\n') name.pop_back();
  return name;
}

}  // namespace

uint8_t CodeSetOf(const std::string& text) {
  for (uint8_t id : kListed) {
    const char* name = KvLanguageContext::QueryCodeSet(id)->NameGet();
    if (id != 0 && name != nullptr && text == name) return id;
  }
  if (text == "utf8" || text == "UTF-8" || text == "unicode") return KvCS_UNICODE;
  char* end = nullptr;
  const long n = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || n < 0 || n > 255)
    throw CliError{"bad code set '" + text + "' (see 'kvtm codesets')", 2};
  return static_cast<uint8_t>(n);
}

int CmdCodesets(Args& args) {
  if (!args.words.empty()) throw UsageError();
  std::printf("%4s  %-24s %s\n", "id", "name", "width");
  for (uint8_t id : kListed)
    std::printf("%4u  %-24s %u-bit\n", id, CodeSetName(id).c_str(),
                KvCodeSetIsWide(id) ? 16u : 8u);
  return 0;
}

int CmdOrders(Args& args) {
  const uint8_t cs = CodeSetOf(args.Take("--cs", "1"));
  const uint8_t language = LanguageOf(args.Take("--lang", "1"));
  if (args.words.size() != 1 || cs == KvCS_ORDERS)
    throw UsageError();
  // The terminal's UTF-8, as units of the code set asked for.
  const std::vector<uint16_t> chars = DecodeUtf8(args.words[0]);
  const KvCodeSet* codeSet = KvLanguageContext::QueryCodeSet(cs);
  std::vector<uint16_t> wide;
  std::string narrow;
  for (uint16_t ch : chars) {
    const uint16_t unit = codeSet->FromUnicode(ch);
    if (KvCodeSetIsWide(cs))
      wide.push_back(unit);
    else
      narrow.push_back(static_cast<char>(unit));
  }
  wide.push_back(0);
  KvStringIterator it = KvCodeSetIsWide(cs)
                            ? KvStringIterator(wide.data(), cs, language, 1)
                            : KvStringIterator(narrow.data(), cs, language, 1);
  std::printf("%-10s %-8s %-9s %s\n", "text", "order", "class", "name");
  const char* base = it.PositionGet();
  const unsigned width = KvCodeSetIsWide(cs) ? 2 : 1;
  // An expansion yields several orders before the position moves past its
  // character: the first is shown with the character, the others as
  // continuations.
  size_t labelled = static_cast<size_t>(-1);
  for (int guard = 0; guard < 65536; ++guard) {
    const size_t from = (it.PositionGet() - base) / width;
    const uint16_t order = it.GetNextOrder(1);
    if (order == 0) break;
    const size_t to = (it.PositionGet() - base) / width;
    std::string label = "  (cont.)";
    if (from != labelled) {
      const size_t end = to > from ? to : from + 1;
      label = "'" + EncodeUtf8(chars, from, end) + "'";
      labelled = to > from ? static_cast<size_t>(-1) : from;
    }
    // Pad by characters, not bytes, so that UTF-8 lines up.
    const size_t shown = DecodeUtf8(label).size();
    label.append(shown < 10 ? 10 - shown : 1, ' ');
    const uint8_t collationClass = it.CollationClassGet();
    std::printf("%s 0x%04X   %-9s %s\n", label.c_str(), order, OrderClass(order, collationClass),
                OrderName(order, collationClass).c_str());
  }
  return 0;
}

int CmdConvert(Args& args) {
  const uint8_t from = CodeSetOf(args.Take("--from", ""));
  const uint8_t to = CodeSetOf(args.Take("--to", ""));
  if (!args.words.empty()) throw UsageError();
  const std::string input((std::istreambuf_iterator<char>(std::cin)), std::istreambuf_iterator<char>());
  // A 16-bit code set meets the terminal as UTF-8, read and written by the
  // library. One decoding takes fewer than 32768 bytes and gives a string of
  // at most 32765 characters, so the text goes in pieces of at most kPiece
  // bytes (or characters), cut between characters. A zero byte ends a
  // decoded text and no string holds a zero unit, so it passes on its own.
  const size_t kPiece = 16384;
  std::vector<uint16_t> units;
  if (KvCodeSetIsWide(from)) {
    // The library's reader keeps only the low 16 bits of a character beyond
    // them; such a character is refused here instead. No byte from 0xF0 up
    // is part of a shorter sequence, so each one starts such a character or
    // an invalid sequence.
    const auto beyond = std::find_if(input.begin(), input.end(), [](char c) { return static_cast<uint8_t>(c) >= 0xF0; });
    if (beyond != input.end())
      throw CliError{"the input holds a character beyond 16 bits (or invalid UTF-8) at byte offset " +
                     std::to_string(beyond - input.begin()) + "; code sets are made of 16-bit units"};
    char* bytes = const_cast<char*>(input.data());
    const auto isContinuation = [&](size_t i) { return (static_cast<uint8_t>(bytes[i]) & 0xC0) == 0x80; };
    size_t at = 0;
    while (at < input.size()) {
      if (bytes[at] == '\0') {
        units.push_back(0);
        ++at;
        continue;
      }
      size_t end = std::min(input.size(), at + kPiece);
      // A character has at most five continuation bytes; more before the cut
      // are invalid anyway, and decoding stops at the first of them.
      for (size_t back = 0; end < input.size() && back < 5 && isContinuation(end); ++back) --end;
      if (end < input.size() && isContinuation(end)) end = at + kPiece;
      KvString piece;
      const long used = KvMBS2KvString(bytes + at, piece, static_cast<long>(end - at));
      if (used < 0) {
        // Find the sequence at fault by walking up to it.
        size_t bad = at;
        unsigned short ch = 0;
        for (int n; (n = KvMultiByte2WChar(&ch, bytes + bad, static_cast<unsigned>(end - bad))) > 0 && ch != 0;)
          bad += static_cast<size_t>(n);
        throw CliError{"the input is not valid UTF-8 at byte offset " + std::to_string(bad) +
                       " (an invalid, cut or overlong sequence)"};
      }
      const size_t count = piece.Len();
      const size_t held = units.size();
      units.resize(held + count);
      if (count > 0) std::memcpy(units.data() + held, piece.StrGet(), 2 * count);
      at += static_cast<size_t>(used);
    }
  } else {
    for (unsigned char c : input) units.push_back(c);
  }
  const KvCodeSet* target = KvLanguageContext::QueryCodeSet(to);
  std::vector<uint16_t> out;
  out.reserve(units.size());
  for (uint16_t u : units) out.push_back(target->MapFrom(u, from == 0 ? KvLanguageContext::GetNativeCodeSet() : from));
  std::string bytes;
  if (KvCodeSetIsWide(to)) {
    size_t at = 0;
    while (at < out.size()) {
      if (out[at] == 0) {
        bytes.push_back('\0');
        ++at;
        continue;
      }
      size_t end = at;
      while (end < out.size() && out[end] != 0 && end - at < kPiece) ++end;
      std::vector<unsigned short> run(out.begin() + static_cast<long>(at), out.begin() + static_cast<long>(end));
      run.push_back(0);
      KvString piece(run.data());
      piece.SetCodeSetCode(to);
      char* text = nullptr;
      long size = 0;
      const long n = KvString2MultiByteString(piece, text, size);
      if (n < 0) throw CliError{"out of memory for the UTF-8 output"};
      bytes.append(text, static_cast<size_t>(n));
      KvMemFree(text);
      at = end;
    }
  } else {
    for (uint16_t u : out) bytes.push_back(static_cast<char>(u));
  }
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
  return 0;
}
