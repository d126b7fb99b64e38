// kvtm — the command line face of the type manager library.
#include <cstdio>
#include <cstring>
#include <string>

#include "cli.h"

namespace {

struct Command {
  const char* name;
  int (*run)(Args&);
  const char* usage;    // the arguments, after "kvtm NAME"
  const char* summary;  // one line for the command list
  const char* help;     // what it does and its own options, for "kvtm help NAME"
  const char* example;  // command lines to try
};

// Options several commands share, described once.
const char kCsOption[] = "  --cs N       code set of string values: a number or name (see 'kvtm codesets'); 1\n";
const char kLangOption[] = "  --lang N     language of string values, 0 to 255; 1\n";
const char kOpOption[] =
    "  --op FLAGS   compare operator: a number (0x20) or names joined by ',' or '+':\n"
    "               exact, nocase, noaccent, nospace, simple, nosymbol; exact\n";

const Command kCommands[] = {
    {"demo", CmdDemo, "", "a short tour of the library",
     "Shows, step by step, values stored, compared, collated, indexed and printed.\n", "  kvtm demo\n"},
    {"types", CmdTypes, "", "the type descriptor tables",
     "Lists every type of the standard and legacy tables: id, name, memory length, whether it\n"
     "stores in a fixed width, and its exchange format.\n", "  kvtm types\n"},
    {"info", CmdInfo, "", "module information",
     "Shows the library's module description, module name, build date and tool, and the file\n"
     "it was loaded from.\n", "  kvtm info\n"},
    {"store", CmdStore, "TYPE VALUE[,VALUE...] [--format N] [--cs N] [--lang N]", "stored bytes of values",
     "Shows the bytes values store as, in both byte orders unless --format names one.\n"
     "Numbers and dates take a comma-separated list; strings, blobs and identifiers one value.\n"
     "  --format N   format byte, 0 to 255 (1 least, 2 most significant byte first)\n",
     "  kvtm store int 12345\n  kvtm store KvString 'côte' --format 2\n"},
    {"load", CmdLoad, "TYPE HEX [--format N] [--count N]", "values from stored bytes",
     "Reads values back from stored bytes given in hex; the bytes must hold whole values and\n"
     "nothing more, in the byte order asked for (both are tried without --format).\n"
     "  --format N   format byte, 0 to 255\n"
     "  --count N    how many values the bytes hold (for the variable-length types)\n",
     "  kvtm load int '00 00 30 39' --format 2\n"},
    {"compare", CmdCompare, "TYPE A B [--format N] [--op FLAGS] [--cs N] [--lang N]", "compare two values or lists",
     "Compares A with B through the type's compare function, in memory form (format 8) or\n"
     "stored under --format; lists of different lengths compare as far as both go.\n"
     "  --format N   8 for memory form (the default), else a stored format byte\n",
     "  kvtm compare short 1,2,3 1,2\n  kvtm compare KvString abc ABC --op nocase\n"},
    {"print", CmdPrint, "TYPE VALUE[,VALUE...] [FORMAT] [--cs N] [--lang N]", "values as text under a format",
     "Prints values through the type's text form: numbers under a C-like format (\"%d\",\n"
     "\"%x\"), dates and times under their directives (\"%Y-%m-%d\"), strings under \"%s\" with\n"
     "width and precision. Without FORMAT the type's own form applies.\n",
     "  kvtm print KvDate 2000-01-01 '%A %d %B %Y'\n  kvtm print KvString 'côte' '[%-8s]'\n"},
    {"scan", CmdScan, "TYPE TEXT [FORMAT] [--into VALUE[,VALUE...]]", "values read from text",
     "Reads a value from TEXT through the type's text form, and fails unless the text reads\n"
     "whole: numbers must come out the same whatever they were scanned into, dates, times\n"
     "and identifiers must print back as TEXT.\n"
     "  --into V     the values a number scan starts from (and keeps where TEXT does not say)\n",
     "  kvtm scan KvTime '01:05:09 pm'\n  kvtm scan int 42\n"},
    {"codesets", CmdCodesets, "", "the code sets",
     "Lists the code sets with their ids and unit widths.\n", "  kvtm codesets\n"},
    {"orders", CmdOrders, "TEXT [--cs N] [--lang N]", "collation order values of a text",
     "Shows each collation order of TEXT with its class and name.\n",
     "  kvtm orders 'Ærø 5.' --lang 3\n"},
    {"convert", CmdConvert, "--from CS --to CS", "standard input to standard output",
     "Converts text between code sets; a 16-bit code set meets the terminal as UTF-8.\n"
     "Invalid UTF-8 and characters beyond 16 bits are refused with their byte offset.\n"
     "  --from CS    code set of the input: a number or name (utf8 names 253)\n"
     "  --to CS      code set of the output\n",
     "  printf 'grüß\\n' | kvtm convert --from utf8 --to 2\n"},
    {"collate", CmdCollate, "A B [--op FLAGS] [--cs N] [--lang N]", "order two texts",
     "Orders A against B and tells which level decided: letters, punctuation, accents or case.\n",
     "  kvtm collate côte coté\n  kvtm collate Cote cote --op nocase\n"},
    {"sort", CmdSort, "[--op FLAGS] [--lang N]", "sort standard input's lines",
     "Sorts the lines of standard input (UTF-8) in collation order; equal lines keep their order.\n",
     "  printf 'côté\\ncote\\nCote\\n' | kvtm sort --op nocase\n"},
    {"key", CmdKey, "TEXT [--cs N] [--lang N] [--format N]", "the index key of a string",
     "Shows the index key of a string value and the collation orders it holds.\n"
     "  --format N   byte order of the key: 1 or 2; 1\n",
     "  kvtm key Straße --format 2\n"},
    {"bounds", CmdBounds, "TYPE VALUE [--rel REL] [--op FLAGS] [--range LOW HIGH] [--format N] [--cs N] [--lang N]",
     "index bounds of a condition",
     "Turns the condition \"key REL VALUE\" into index bounds and a selectivity estimate.\n"
     "  --rel REL    eq, lt, le, gt, ge or ne; eq\n"
     "  --range L H  the smallest and largest values the index holds, for the estimate\n"
     "  --format N   stored format of the value and bounds; 2\n",
     "  kvtm bounds KvString 'abc*' --range abbey zoology\n  kvtm bounds KvDate '2001-*-*'\n"},
    {"index", CmdDbIndex,
     "build DB TYPE [--codeset C] [--lang N] < VALUES | query DB TYPE VALUE [--rel REL] [--op FLAGS]",
     "an index database in LMDB",
     "build: makes the directory DB, an LMDB index of the values on standard input (one a line,\n"
     "UTF-8) ordered by the type's index keys and compare function; a failed build leaves\n"
     "nothing behind. query: answers \"key REL VALUE\" through the index (bounds, key compares,\n"
     "the whole value where a key cannot decide) and prints the matching values in index order,\n"
     "their share against the estimate, and the keys scanned. Types: KvString, KvIString,\n"
     "KvCaseIString, int, double, KvDate.\n"
     "  --codeset C  code set of KvString values: a number or name (see 'kvtm codesets'); 1\n"
     "  --rel REL    eq, lt, le, gt, ge or ne; eq\n",
     "  printf 'côte\\ncote\\nCote\\n' | kvtm index build words.db KvString\n"
     "  kvtm index query words.db KvString 'cot*' --op nocase\n"},
};

const Command* Find(const char* name) {
  for (const Command& c : kCommands)
    if (std::strcmp(name, c.name) == 0) return &c;
  return nullptr;
}

void PrintUsage(FILE* out) {
  std::fprintf(out, "usage: kvtm COMMAND [ARGS]   (kvtm help COMMAND tells more)\n\ncommands:\n");
  for (const Command& c : kCommands) std::fprintf(out, "  %-10s %s\n", c.name, c.summary);
  std::fprintf(out, "\nkvtm --version prints the version.\n");
}

void PrintHelp(const Command& c) {
  std::printf("usage: kvtm %s %s\n\n%s", c.name, c.usage, c.help);
  const std::string usage = c.usage;
  if (usage.find("--op") != std::string::npos) std::fputs(kOpOption, stdout);
  if (usage.find("--cs") != std::string::npos) std::fputs(kCsOption, stdout);
  if (usage.find("--lang") != std::string::npos) std::fputs(kLangOption, stdout);
  std::printf("Example:\n%s", c.example);
}

bool AsksForHelp(int argc, char** argv) {
  for (int i = 2; i < argc; ++i)
    if (std::strcmp(argv[i], "--help") == 0) return true;
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || (std::strcmp(argv[1], "help") == 0 && argc == 2)) {
    PrintUsage(argc < 2 ? stderr : stdout);
    return argc < 2 ? 2 : 0;
  }
  if (std::strcmp(argv[1], "--version") == 0) {
    std::printf("kvtm %s\n", KVTM_VERSION);
    return 0;
  }
  const bool help = std::strcmp(argv[1], "help") == 0;
  const char* name = help ? argv[2] : argv[1];
  const Command* c = Find(name);
  if (c == nullptr) {
    std::fprintf(stderr, "kvtm: unknown command '%s' (see 'kvtm help')\n", name);
    return 2;
  }
  if (help || AsksForHelp(argc, argv)) {
    PrintHelp(*c);
    return 0;
  }
  Args args;
  for (int i = 2; i < argc; ++i) args.words.push_back(argv[i]);
  try {
    return c->run(args);
  } catch (const UsageError&) {
    std::fprintf(stderr, "kvtm: usage: kvtm %s %s (see 'kvtm help %s')\n", c->name, c->usage, c->name);
  } catch (const CliError& e) {
    std::fprintf(stderr, "kvtm: %s\n", e.message.c_str());
    return e.status;
  }
  return 2;
}
