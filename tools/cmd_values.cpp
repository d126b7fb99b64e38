// cmd_values.cpp — kvtm store, load and compare.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "cli.h"
#include "dates.h"
#include "scalars.h"
#include "values.h"
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

}  // namespace

int CmdStore(Args& args) {
  const std::vector<uint8_t> formats = FormatsOf(args);
  const TextOptions options = TextOptionsOf(args);
  if (args.words.size() != 2)
    throw UsageError();
  KvTypeMgr& mgr = Manager();
  const char id = HandledTypeArg(args.words[0], "store");
  const std::unique_ptr<Values> values(ParseValues(id, args.words[1], options));
  const uint32_t count = values->Count();
  // Stored first: a value that does not store fails before anything is shown.
  std::vector<std::vector<uint8_t>> stored;
  for (uint8_t format : formats) stored.push_back(StoredOf(id, *values, format));
  std::printf("%s", mgr.NameGet(id, nullptr));
  for (uint32_t i = 0; i < count; ++i) std::printf("%s %s", i == 0 ? "" : ",", ShowValue(id, *values, i).c_str());
  std::printf(" (%u value%s)\n", count, count == 1 ? "" : "s");
  for (size_t i = 0; i < formats.size(); ++i)
    std::printf("  format %u (%s): %s\n", formats[i], FormatName(formats[i]), HexOf(stored[i].data(), stored[i].size()).c_str());
  return 0;
}

int CmdLoad(Args& args) {
  const std::vector<uint8_t> formats = FormatsOf(args);
  const std::string countText = args.Take("--count", "");
  if (args.words.size() != 2) throw UsageError();
  KvTypeMgr& mgr = Manager();
  const char id = HandledTypeArg(args.words[0], "load");
  std::vector<uint8_t> stored = BytesOfHex(args.words[1]);
  uint32_t count = 1;
  if (IsNumberType(id) || IsDateType(id) || (IsScalarType(id) && mgr.IsFixed(id))) {
    // Values of these types store in a fixed width: the bytes tell how many.
    const unsigned width =
        IsNumberType(id) ? mgr.MemLenGet(id, 1) : mgr.DiskLenGet(id, nullptr, 1, 1, 8);
    if (stored.empty() || stored.size() % width != 0)
      throw CliError{"bad hex for type " + std::string(mgr.NameGet(id, nullptr)) + ": " +
                     std::to_string(stored.size()) + " bytes are not a whole number of " +
                     std::to_string(width) + "-byte values"};
    count = static_cast<uint32_t>(stored.size() / width);
  } else if (!countText.empty()) {
    count = static_cast<uint32_t>(std::strtoul(countText.c_str(), nullptr, 10));
    if (count == 0 || count > 1000) throw CliError{"bad count '" + countText + "'", 2};
  }
  // The bytes must be read whole under at least one format, or the command
  // fails with one line: a stored length beyond them is not read, and one
  // short of them leaves bytes over.
  std::string lines;
  bool read = false;
  for (uint8_t format : formats) {
    MemFile file(stored.data(), static_cast<uint32_t>(stored.size()));
    const unsigned long length = mgr.DiskLenGetFromMemFile(id, &file, format, count);
    lines += "  format " + std::to_string(format) + " (" + FormatName(format);
    if (length > stored.size() || length == 0) {
      lines += "): the bytes hold no whole value\n";
    } else if (length < stored.size()) {
      lines += "): " + std::to_string(length) + " of the " + std::to_string(stored.size()) +
               " bytes hold the values, the rest is left over\n";
    } else {
      read = true;
      Values values(id, count);
      mgr.Load(id, values.Data(), stored.data(), format, count);
      lines += ", " + std::to_string(length) + " bytes):";
      for (uint32_t i = 0; i < count; ++i) lines += (i == 0 ? " " : ", ") + ShowValue(id, values, i);
      lines += "\n";
    }
  }
  if (!read)
    throw CliError{"the bytes are not exactly whole values of type " + std::string(mgr.NameGet(id, nullptr)) +
                   (formats.size() == 1 ? " in format " + std::to_string(formats[0]) : " in either byte order") +
                   " (a stored length runs past them, or bytes are left over)"};
  std::fputs(lines.c_str(), stdout);
  return 0;
}

int CmdCompare(Args& args) {
  const std::string f = args.Take("--format", "8");
  const uint8_t format = FormatOf(f);
  const std::string opText = args.Take("--op", "exact");
  const TextOptions options = TextOptionsOf(args);
  if (args.words.size() != 3)
    throw UsageError();
  KvTypeMgr& mgr = Manager();
  const char id = HandledTypeArg(args.words[0], "compare");
  const unsigned short op = OpOf(opText);
  const std::unique_ptr<Values> a(ParseValues(id, args.words[1], options));
  const std::unique_ptr<Values> b(ParseValues(id, args.words[2], options));
  // Lists of different lengths compare as far as both go: the shorter
  // buffer ends early and the result may be incomplete.
  const uint32_t count = a->Count() > b->Count() ? a->Count() : b->Count();
  std::vector<uint8_t> storedA, storedB;
  void* pa = a->Data();
  void* pb = b->Data();
  unsigned long lengthA = 0, lengthB = 0;
  if (format != 8) {
    storedA = StoredOf(id, *a, format);
    storedB = StoredOf(id, *b, format);
    pa = storedA.data();
    pb = storedB.data();
    lengthA = storedA.size();
    lengthB = storedB.size();
  } else if (a->Count() != b->Count()) {
    // In memory the lengths tell how many values each side holds.
    lengthA = a->Count() * mgr.MemLenGet(id, 1);
    lengthB = b->Count() * mgr.MemLenGet(id, 1);
  }
  int status = 0;
  const long result = mgr.Cmp(id, lengthA, pa, lengthB, pb, op, count, format, status);
  const char* relation = result < 0 ? "A < B" : result > 0 ? "A > B" : "A = B";
  std::printf("%d (%s)%s\n", result < 0 ? -1 : result > 0 ? 1 : 0, relation,
              status == KvCMP_INCOMPLETE ? ", incomplete: the values end before the comparison was decided"
              : status == KvCMP_KEY_TOO_LONG ? ", key too long" : "");
  return 0;
}
