// kvtm — the command line face of the type manager library.
#include <cstdio>
#include <cstring>
#include <string>

#include "cli.h"

namespace {

struct Command {
  const char* name;
  int (*run)(Args&);
  const char* usage;
};

const Command kCommands[] = {
    {"demo", CmdDemo, "demo                          a short tour of the library"},
    {"types", CmdTypes, "types                         the type descriptor tables"},
    {"info", CmdInfo, "info                          module information"},
    {"store", CmdStore, "store TYPE VALUE[,VALUE...] [--format N]   stored bytes"},
    {"load", CmdLoad, "load TYPE HEX [--format N]    values from stored bytes"},
    {"compare", CmdCompare, "compare TYPE A B [--format N] [--op FLAGS]   compare two values or lists"},
    {"print", CmdPrint, "print TYPE VALUE[,VALUE...] [FORMAT]   values as text under a format"},
    {"scan", CmdScan, "scan TYPE TEXT [FORMAT] [--into VALUE[,VALUE...]]   values read from text"},
    {"codesets", CmdCodesets, "codesets                      the code sets"},
    {"orders", CmdOrders, "orders TEXT [--cs N] [--lang N]   collation order values of a text"},
    {"convert", CmdConvert, "convert --from CS --to CS     standard input to standard output"},
    {"collate", CmdCollate, "collate A B [--op FLAGS] [--cs N] [--lang N]   order two texts"},
    {"sort", CmdSort, "sort [--op FLAGS] [--lang N]  sort standard input's lines"},
    {"key", CmdKey, "key TEXT [--cs N] [--lang N] [--format N]   the index key of a string"},
    {"bounds", CmdBounds,
     "bounds TYPE VALUE --rel eq|lt|le|gt|ge|ne [--op FLAGS] [--range LOW HIGH]   index bounds"},
};

void PrintUsage(FILE* out) {
  std::fprintf(out, "usage: kvtm COMMAND [ARGS]\n\ncommands:\n");
  for (const Command& c : kCommands) std::fprintf(out, "  kvtm %s\n", c.usage);
  std::fprintf(out, "\nFLAGS: compare operator bits, a number or names joined by ',' or '+':\n"
                    "  exact, nocase, noaccent, nospace, simple, nosymbol\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || std::strcmp(argv[1], "help") == 0 || std::strcmp(argv[1], "--help") == 0) {
    PrintUsage(argc < 2 ? stderr : stdout);
    return argc < 2 ? 2 : 0;
  }
  if (std::strcmp(argv[1], "--version") == 0) {
    std::printf("kvtm %s\n", KVTM_VERSION);
    return 0;
  }
  Args args;
  for (int i = 2; i < argc; ++i) args.words.push_back(argv[i]);
  for (const Command& c : kCommands) {
    if (std::strcmp(argv[1], c.name) != 0) continue;
    try {
      return c.run(args);
    } catch (const CliError& e) {
      std::fprintf(stderr, "kvtm: %s\n", e.message.c_str());
      return e.status;
    }
  }
  std::fprintf(stderr, "kvtm: unknown command '%s' (see 'kvtm help')\n", argv[1]);
  return 2;
}
