// cmd_values.cpp — kvtm store, load and compare.
#include <cstdio>
#include <vector>

#include "cli.h"
#include "kvplatform/kvmemfile.h"

namespace {

const char* FormatName(uint8_t format) {
  if (format == 8) return "memory form";
  return KvFormatIsMsbFirst(format) ? "most significant byte first"
                                    : "least significant byte first";
}

// The formats a command shows: the one asked for, or both byte orders.
std::vector<uint8_t> FormatsOf(Args& args) {
  const std::string f = args.Take("--format", "");
  if (f.empty()) return {1, 2};
  return {FormatOf(f)};
}

char NumberTypeArg(const std::string& name, const char* command) {
  const char id = TypeIdOf(name);
  if (!IsNumberType(id))
    throw CliError{std::string(command) + " does not handle type " +
                   Manager().NameGet(id, nullptr) + " yet"};
  return id;
}

}  // namespace

int CmdStore(Args& args) {
  const std::vector<uint8_t> formats = FormatsOf(args);
  if (args.words.size() != 2) throw CliError{"usage: kvtm store TYPE VALUE[,VALUE...] [--format N]", 2};
  KvTypeMgr& mgr = Manager();
  const char id = NumberTypeArg(args.words[0], "store");
  uint32_t count = 0;
  std::vector<uint8_t> values = ParseNumbers(id, args.words[1], &count);
  std::printf("%s %s (%u value%s)\n", mgr.NameGet(id, nullptr), args.words[1].c_str(), count,
              count == 1 ? "" : "s");
  for (uint8_t format : formats) {
    std::vector<uint8_t> stored(mgr.DiskLenGet(id, values.data(), format, count, 8) + 1);
    const unsigned long n = mgr.Store(id, stored.data(), values.data(), format, count);
    std::printf("  format %u (%s): %s\n", format, FormatName(format), HexOf(stored.data(), n).c_str());
  }
  return 0;
}

int CmdLoad(Args& args) {
  const std::vector<uint8_t> formats = FormatsOf(args);
  if (args.words.size() != 2) throw CliError{"usage: kvtm load TYPE HEX [--format N]", 2};
  KvTypeMgr& mgr = Manager();
  const char id = NumberTypeArg(args.words[0], "load");
  std::vector<uint8_t> stored = BytesOfHex(args.words[1]);
  const unsigned width = mgr.MemLenGet(id, 1);
  if (stored.empty() || stored.size() % width != 0)
    throw CliError{"bad hex for type " + std::string(mgr.NameGet(id, nullptr)) + ": " +
                   std::to_string(stored.size()) + " bytes are not a whole number of " +
                   std::to_string(width) + "-byte values"};
  const uint32_t count = static_cast<uint32_t>(stored.size() / width);
  for (uint8_t format : formats) {
    MemFile file(stored.data(), static_cast<uint32_t>(stored.size()));
    const unsigned long length = mgr.DiskLenGetFromMemFile(id, &file, format, count);
    void* values = mgr.Create(id, count);
    if (values == nullptr) throw CliError{"out of memory"};
    mgr.Load(id, values, stored.data(), format, count);
    std::printf("  format %u (%s, %lu bytes):", format, FormatName(format), length);
    for (uint32_t i = 0; i < count; ++i)
      std::printf("%s %s", i == 0 ? "" : ",", FormatNumber(id, static_cast<uint8_t*>(values) + i * width).c_str());
    std::printf("\n");
    mgr.Delete(id, values, count);
  }
  return 0;
}

int CmdCompare(Args& args) {
  const std::string f = args.Take("--format", "8");
  const uint8_t format = FormatOf(f);
  if (args.words.size() != 3) throw CliError{"usage: kvtm compare TYPE A B [--format N]", 2};
  KvTypeMgr& mgr = Manager();
  const char id = NumberTypeArg(args.words[0], "compare");
  uint32_t countA = 0;
  uint32_t countB = 0;
  std::vector<uint8_t> a = ParseNumbers(id, args.words[1], &countA);
  std::vector<uint8_t> b = ParseNumbers(id, args.words[2], &countB);
  // Lists of different lengths compare as far as both go: the shorter
  // buffer ends early and the result may be incomplete.
  const uint32_t count = countA > countB ? countA : countB;
  if (format != 8) {
    std::vector<uint8_t> storedA(a.size()), storedB(b.size());
    mgr.Store(id, storedA.data(), a.data(), format, countA);
    mgr.Store(id, storedB.data(), b.data(), format, countB);
    a.swap(storedA);
    b.swap(storedB);
  }
  int status = 0;
  const long result = mgr.Cmp(id, a.size(), a.data(), b.size(), b.data(), 0, count, format, status);
  const char* relation = result < 0 ? "A < B" : result > 0 ? "A > B" : "A = B";
  std::printf("%ld (%s)%s\n", result, relation,
              status == KvCMP_INCOMPLETE ? ", incomplete: the values end before the comparison was decided" : "");
  return 0;
}
