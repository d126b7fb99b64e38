// cmd_collate.cpp — kvtm collate and kvtm sort: the collation engine at
// the terminal.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "cli.h"
#include "kvplatform/kvi18n.h"
#include "kvtm/kvstring.h"

namespace {

uint8_t LanguageArg(const std::string& text) {
  char* end = nullptr;
  const long n = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || n < 0 || n > 255)
    throw CliError{"bad language '" + text + "' (expected a number from 0 to 255)", 2};
  return static_cast<uint8_t>(n);
}

// The terminal's UTF-8 as a string of code set cs.
KvString StringOf(const std::string& utf8, uint8_t cs, uint8_t language) {
  std::vector<uint16_t> chars = DecodeUtf8(utf8);
  chars.push_back(0);
  KvString wide(chars.data());
  wide.MapToCodeSet(cs);
  KvString s(cs, language);
  s += wide;
  return s;
}

// Which level decides a nonzero comparison, found by masking levels away.
const char* DecidingLevel(const KvString& a, const KvString& b, unsigned short op) {
  const unsigned short noCaseOrAccent = KvCMP_IGNORE_CASE | KvCMP_IGNORE_ACCENTS;
  if (op & KvCMP_SIMPLE) return "full weights";
  if (a.Compare(b, -1, op | noCaseOrAccent | KvCMP_SKIP_SPACES | KvCMP_SKIP_SYMBOLS) != 0) return "letters and digits";
  if (a.Compare(b, -1, op | noCaseOrAccent) != 0) return "punctuation";
  if (a.Compare(b, -1, op | KvCMP_IGNORE_CASE) != 0) return "accents";
  return "case";
}

}  // namespace

int CmdCollate(Args& args) {
  const unsigned short op = OpOf(args.Take("--op", "exact"));
  const uint8_t cs = CodeSetOf(args.Take("--cs", "1"));
  const uint8_t language = LanguageArg(args.Take("--lang", "1"));
  if (args.words.size() != 2) throw CliError{"usage: kvtm collate A B [--op FLAGS] [--cs N] [--lang N]", 2};
  const KvString a = StringOf(args.words[0], cs, language);
  const KvString b = StringOf(args.words[1], cs, language);
  const long r = a.Compare(b, -1, op);
  if (r == 0) {
    std::printf("0 (A = B)\n");
  } else {
    std::printf("%d (A %s B, decided by %s)\n", r < 0 ? -1 : 1, r < 0 ? "<" : ">", DecidingLevel(a, b, op));
  }
  return 0;
}

int CmdSort(Args& args) {
  const unsigned short op = OpOf(args.Take("--op", "exact"));
  const uint8_t language = LanguageArg(args.Take("--lang", "1"));
  if (!args.words.empty()) throw CliError{"usage: kvtm sort [--op FLAGS] [--lang N]", 2};
  std::vector<KvString> lines;
  std::string line;
  while (std::getline(std::cin, line)) lines.push_back(StringOf(line, KvCS_UNICODE, language));
  std::stable_sort(lines.begin(), lines.end(),
                   [op](const KvString& x, const KvString& y) { return x.Compare(y, -1, op) < 0; });
  for (const KvString& s : lines) std::printf("%s\n", Utf8Of(s).c_str());
  return 0;
}
