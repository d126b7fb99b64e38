// Facts about the kvtm command line tool: its outputs and exit statuses.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

namespace {

// Runs the tool with `input` on its standard input: its exit status, and
// its standard output and standard error together.
std::pair<int, std::string> Kvtm(const std::string& args, const std::string& input) {
  const std::string in = testing::TempDir() + "kvtm_cli_" + std::to_string(getpid()), out = in + ".out";
  std::ofstream(in, std::ios::binary) << input;
  const int status = std::system((std::string(KVTM_CLI_PATH) + " " + args + " < " + in + " > " + out + " 2>&1").c_str());
  std::ifstream file(out, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  std::remove(in.c_str()), std::remove(out.c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, text};
}

// (standard input, arguments, exit status, a text the output holds); an
// error is one line. Conversion reads and writes UTF-8 in pieces of 16384
// bytes cut between characters; zero bytes pass as the character 0,
// surrogates are 3-byte forms like other characters, and invalid input is
// reported with its offset and converts nothing.
TEST(Cli, CommandsAndTheirOutput) {
  const std::string db = testing::TempDir() + "kvtm_cli_index_" + std::to_string(getpid());
  const std::string notWhole =
      "kvtm: the bytes are not exactly whole values of type KvString in either byte order (a stored length runs past "
      "them, or bytes are left over)\n";
  const struct { std::string input; std::string args; int status; std::string expected; } rows[] = {
      {"caf\xE9 \x80", "convert --from 1 --to utf8", 0, "caf\xC3\xA9 \xE2\x82\xAC"},
      {std::string("a\0\xED\xA0\x80\0", 6), "convert --from utf8 --to utf8", 0, std::string("a\0\xED\xA0\x80\0", 6)},
      {std::string(16383, 'a') + "\xE2\x82\xAC\xC0", "convert --from utf8 --to utf8", 1,
       "kvtm: the input is not valid UTF-8 at byte offset 16386 (an invalid, cut or overlong sequence)\n"},
      {"ab\xF0\x9F\x98\x80", "convert --from utf8 --to utf8", 1,
       "kvtm: the input holds a character beyond 16 bits (or invalid UTF-8) at byte offset 2; code sets are made of 16-bit units\n"},
      {"c\xC3\xB4t\xC3\xA9\ncote\nCote\ncot\xC3\xA9\n", "sort", 0, "cote\nCote\ncot\xC3\xA9\nc\xC3\xB4t\xC3\xA9\n"},
      {"", "store int 12345", 0, "  format 1 (least significant byte first): 39 30 00 00\n  format 2 (most significant byte first): 00 00 30 39\n"},
      {"", "compare short 1,2,3 1,2", 0, "0 (A = B), incomplete"}, {"", "compare KvString abc ABC --op nocase", 0, "0 (A = B)"},
      {"", "bounds KvString 'Ab*' --rel eq --op nocase+bogus", 2, "kvtm: bad operator 'nocase+bogus' (a number, or exact, nocase, noaccent, nospace, simple, nosymbol)\n"},
      {"", "--version", 0, "kvtm 6."}, {"", "help load", 0, "usage: kvtm load TYPE HEX [--format N] [--count N]\n\nReads"},
      {"", "bounds x --help", 0, "  --op FLAGS "}, {"", "help nosuch", 2, "kvtm: unknown command 'nosuch' (see 'kvtm help')\n"},
      {"", "store int", 2, "kvtm: usage: kvtm store TYPE VALUE[,VALUE...] [--format N] [--cs N] [--lang N] (see 'kvtm help store')\n"},
      {"", "print KvString 'c\xC3\xB4te' '[%-6s|%.2s]' --cs 253", 0, "[c\xC3\xB4te  |%.2s]\n"},
      {"", "store KvString " + std::string(40000, 'a') + " --format 2", 0, "format 2 (most significant byte first): 9c 44 01 01 61 61"},
      {"", "store KvString " + std::string(65532, 'a') + " --format 2", 1,
       "kvtm: KvString stores nothing in format 2 (a value too long for its stored length field, or a format the type does not store in)\n"},
      {"", "load KvString '00 06 01 01 53 74 00 ff'", 0, "format 2 (most significant byte first, 8 bytes): \"St\""},
      {"", "load KvString '00 ff 01 01 53 74 00 ff'", 1, notWhole},
      {"", "load KvString '00 06 01 01 53 74 00 ff 00'", 1, notWhole},
      {"", "print short -5 '%s|%hd|%n|%'", 0, "%s|-5|%n|%\n"},
      {"", "store short 40000", 1, "kvtm: bad value '40000' for type short (expected an integer from -32768 to 32767)\n"},
      {"", "store float 1e39", 1, "kvtm: bad value '1e39' for type float (expected a number within +-3.40282e+38)\n"},
      {"", "store float -inf", 0, "ff 80 00 00"},
      {"", "store KvDate 2023-02-29", 1, "kvtm: bad value '2023-02-29' for type KvDate (expected YYYY-MM-DD, '*' for any field)\n"}, {"", "store KvDate '*-02-29'", 0, "02 1d"},
      {"", "store KvTime 25:00:00", 1, "kvtm: bad value '25:00:00' for type KvTime (expected HH:MM:SS)\n"}, {"", "scan KvTime 12:30:00", 0, "12:30:00\n"},
      {"", "scan KvDate garbage", 1, "kvtm: 'garbage' does not read as a value of type KvDate (what it read prints as 'Sun 01.Jan 0000')\n"},
      {"", "scan int abc", 1, "kvtm: 'abc' does not read as a value of type int\n"}, {"", "scan int 42", 0, "42\n"},
      {std::string(40000, 'a'), "sort", 1, "kvtm: the text has 40000 characters; a string holds at most 32765\n"},
      {"", "key $(printf 'a\\360\\237\\230\\200')", 1, "kvtm: the character U+1F600 at byte offset 1 has no 16-bit unit, which every code set is made of\n"},
      // An LMDB index: duplicates under one key, a build that fails leaves nothing behind.
      {"c\xC3\xB4te\ncote\nCote\nz\xC3\xA8" "bre\ncot\xC3\xA9\nCOTE\n", "index build " + db + " KvString", 0, db + ": an index of 6 KvString (code set 1, language 1) values\n"},
      {"", "index query " + db + " KvString 'cot*' --op nocase", 0, "cote\nCote\nCOTE\ncot\xC3\xA9\n4 of 6 values match (share 0.666667); estimate 0.000003, widened by a wildcard; keys scanned: 5, rows decided by their value: 0\n"},
      {"", "index query " + db + " int 5", 1, "kvtm: " + db + " is an index of KvString (code set 1, language 1) values, not of int\n"},
      {"cote\nCote\nc\xC3\xB4te\nCOTE\n", "index build " + db + "i KvCaseIString", 0, "an index of 4 KvCaseIString values\n"},
      {"", "index query " + db + "i KvCaseIString cote --op 0", 0, "cote\n1 of 4 values match (share 0.250000); estimate 1.000000; keys scanned: 1, rows decided by their value: 4\n"},
      {"", "index build " + db + "b nosuch", 1, "kvtm: unknown type 'nosuch' (see 'kvtm types')\n"},
      {"", "index build " + db + "b KvBlob", 1, "kvtm: an index of KvBlob values cannot be built (KvString, KvIString, KvCaseIString, int, double and KvDate can)\n"},
      {"1\nx\n", "index build " + db + "b int", 1, "kvtm: line 2: bad value 'x' for type int (expected an integer from -2147483648 to 2147483647)\n"},
      {"", "index query " + db + "b int 1", 1, "kvtm: cannot open index " + db + "b: No such file or directory\n"}};
  for (const auto& r : rows) {
#ifndef KVTM_WITH_LMDB
    if (r.args.rfind("index ", 0) == 0) continue;
#endif
    const auto [status, out] = Kvtm(r.args, r.input);
    EXPECT_TRUE(status == r.status && out.find(r.expected) != std::string::npos && (r.status == 0 || out.find('\n') == out.size() - 1))
        << r.args.substr(0, 100) << ": " << status << "\n" << testing::PrintToString(out.substr(0, 300));
  }
  for (const char* suffix : {"", "i"}) std::filesystem::remove_all(db + suffix);
  for (const auto& entry : std::filesystem::directory_iterator(testing::TempDir()))  // no half-written index
    EXPECT_NE(entry.path().string().rfind(db + "b", 0), 0u) << entry.path();
}

}  // namespace
