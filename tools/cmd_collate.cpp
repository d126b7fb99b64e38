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
  const uint8_t language = LanguageOf(args.Take("--lang", "1"));
  if (args.words.size() != 2) throw UsageError();
  const KvString a = StringOfUtf8(args.words[0], cs, language);
  const KvString b = StringOfUtf8(args.words[1], cs, language);
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
  const uint8_t language = LanguageOf(args.Take("--lang", "1"));
  if (!args.words.empty()) throw UsageError();
  std::vector<KvString> lines;
  std::string line;
  while (std::getline(std::cin, line)) lines.push_back(StringOfUtf8(line, KvCS_UNICODE, language));
  std::stable_sort(lines.begin(), lines.end(),
                   [op](const KvString& x, const KvString& y) { return x.Compare(y, -1, op) < 0; });
  for (const KvString& s : lines) std::printf("%s\n", Utf8Of(s).c_str());
  return 0;
}
