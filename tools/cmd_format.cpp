// cmd_format.cpp — kvtm print and scan: values of the number types as text
// under a format, and back.
#include <cstdio>
#include <string>
#include <vector>

#include "cli.h"

int CmdPrint(Args& args) {
  if (args.words.size() != 2 && args.words.size() != 3)
    throw CliError{"usage: kvtm print TYPE VALUE[,VALUE...] [FORMAT]", 2};
  KvTypeMgr& mgr = Manager();
  const char id = NumberTypeArg(args.words[0], "print");
  uint32_t count = 0;
  std::vector<uint8_t> values = ParseNumbers(id, args.words[1], &count);
  // Without a format the type's exchange format applies.
  const char* format = args.words.size() == 3 ? args.words[2].c_str() : nullptr;
  KvString out;
  mgr.PrintToKvString(id, out, values.data(), format, count);
  // The print leaves a buffer, if only an empty one, unless the text was
  // refused as too long.
  if (out.SizeGet() == 0)
    throw CliError{"the text would be longer than a string holds (65532 bytes)"};
  // The bytes as they are: literal text of the format passes through
  // unchanged, whatever its encoding.
  std::fwrite(out.StrGet(), 1, out.Len(), stdout);
  std::printf("\n");
  return 0;
}

int CmdScan(Args& args) {
  const std::string into = args.Take("--into", "");
  if (args.words.size() != 2 && args.words.size() != 3)
    throw CliError{"usage: kvtm scan TYPE TEXT [FORMAT] [--into VALUE[,VALUE...]]", 2};
  KvTypeMgr& mgr = Manager();
  const char id = NumberTypeArg(args.words[0], "scan");
  const unsigned width = mgr.MemLenGet(id, 1);
  // The values scanned into: those given (as many as given), else one 0. A
  // text that does not match leaves them as they were.
  uint32_t count = 1;
  std::vector<uint8_t> values =
      into.empty() ? std::vector<uint8_t>(width, 0) : ParseNumbers(id, into, &count);
  const char* format = args.words.size() == 3 ? args.words[2].c_str() : nullptr;
  KvString text(args.words[1].c_str());
  mgr.ScanFromKvString(id, values.data(), text, format, count);
  for (uint32_t i = 0; i < count; ++i)
    std::printf("%s%s", i == 0 ? "" : ", ", FormatNumber(id, values.data() + i * width).c_str());
  std::printf("\n");
  return 0;
}
