// Facts about the kvtm command line tool: outputs and exit statuses.
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

namespace {

struct CliRun {
  int status;
  std::string out;  // standard output and standard error together
};

CliRun Kvtm(const std::string& args) {
  const std::string command = std::string(KVTM_CLI_PATH) + " " + args + " 2>&1";
  CliRun run{-1, ""};
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
  const int raw = pclose(pipe);
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return run;
}

TEST(Cli, ConvertBetweenCodeSets) {
  struct Row {
    const char* input;  // printf text for the shell
    const char* from;
    const char* to;
    const char* output;
  };
  const Row rows[] = {
      {"caf\\351 \\200", "1", "utf8", "caf\xC3\xA9 \xE2\x82\xAC"},
      {"\\305\\201\\303\\263d\\305\\272 \\342\\202\\254", "utf8", "4", "\xA3\xF3" "d\x9F \x80"},
      {"\\305\\201 \\342\\202\\254", "utf8", "5", "\xA3 \x1A"},  // no euro in ISO-8859-2
      {"\\244", "3", "Windows-1252", "\x80"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.input);
    const std::string command = std::string("sh -c \"printf '") + r.input + "' | " + KVTM_CLI_PATH +
                                " convert --from " + r.from + " --to " + r.to + "\"";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string out;
    char buffer[256];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    EXPECT_EQ(pclose(pipe), 0);
    EXPECT_EQ(out, r.output);
  }
}

// Runs the tool with `input` on its standard input.
CliRun KvtmWithInput(const std::string& args, const std::string& input) {
  char path[] = "/tmp/kvtm_cli_input_XXXXXX";
  const int fd = mkstemp(path);
  CliRun run{-1, ""};
  if (fd < 0) return run;
  FILE* file = fdopen(fd, "wb");
  std::fwrite(input.data(), 1, input.size(), file);
  std::fclose(file);
  run = Kvtm(args + " < " + path);
  std::remove(path);
  return run;
}

std::string Repeat(const std::string& piece, size_t times) {
  std::string out;
  for (size_t i = 0; i < times; ++i) out += piece;
  return out;
}

TEST(Cli, ConvertReadsAndWritesUtf8InPieces) {
  const std::string bad =
      " (an invalid, cut or overlong sequence, or a character with no 16-bit unit)\n";
  struct Row {
    std::string input;
    const char* from;
    const char* to;
    int status;
    std::string output;
  };
  const Row rows[] = {
      // Texts longer than one decoding takes, cut between characters (16384
      // is not a multiple of 3).
      {Repeat("\xE2\x82\xAC", 20000), "utf8", "utf8", 0, Repeat("\xE2\x82\xAC", 20000)},
      {Repeat("\xE2\x82\xAC", 20000), "utf8", "1", 0, std::string(20000, '\x80')},
      {Repeat("\xC3\xA9", 40000), "utf8", "2", 0, std::string(40000, '\xE9')},
      {std::string(70000, '\xE9'), "1", "utf8", 0, Repeat("\xC3\xA9", 70000)},
      // Zero bytes pass as the character 0.
      {std::string("a\0\xC3\xA9\0", 5), "utf8", "utf8", 0, std::string("a\0\xC3\xA9\0", 5)},
      {std::string("\0\xE9", 2), "1", "utf8", 0, std::string("\0\xC3\xA9", 3)},
      // Surrogates are 3-byte forms like other characters.
      {"\xED\xA0\x80", "utf8", "utf8", 0, "\xED\xA0\x80"},
      // Invalid input: one line, nothing converted.
      {"ab\xC0\x80", "utf8", "1", 1, "kvtm: the input is not valid UTF-8 at byte offset 2" + bad},
      {"ab\xE2\x82", "utf8", "1", 1, "kvtm: the input is not valid UTF-8 at byte offset 2" + bad},
      {"\xFF", "utf8", "utf8", 1, "kvtm: the input is not valid UTF-8 at byte offset 0" + bad},
      {"x\xF0\x90\x80\x80", "utf8", "utf8", 1, "kvtm: the input is not valid UTF-8 at byte offset 1" + bad},
      {std::string(20000, 'a') + "\x80", "utf8", "1", 1,
       "kvtm: the input is not valid UTF-8 at byte offset 20000" + bad},
      {std::string(16383, 'a') + "\xE2\x82\xAC\xC0", "utf8", "utf8", 1,
       "kvtm: the input is not valid UTF-8 at byte offset 16386" + bad},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::PrintToString(r.input.substr(0, 16)) + " from " + r.from + " to " + r.to);
    const CliRun run = KvtmWithInput(std::string("convert --from ") + r.from + " --to " + r.to, r.input);
    EXPECT_EQ(run.status, r.status);
    EXPECT_TRUE(run.out == r.output) << testing::PrintToString(run.out.substr(0, 200));
  }
}

TEST(Cli, SortsLinesByCollation) {
  const std::string command = std::string("printf 'c\\303\\264t\\303\\251\\ncote\\nCote\\ncot\\303\\251\\n' | ") +
                              KVTM_CLI_PATH + " sort";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string out;
  char buffer[256];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  EXPECT_EQ(pclose(pipe), 0);
  EXPECT_EQ(out, "cote\nCote\ncot\xC3\xA9\nc\xC3\xB4t\xC3\xA9\n");
}

TEST(Cli, CommandsAndTheirOutput) {
  struct Row {
    const char* args;
    int status;
    const char* expected;  // a line the output holds
  };
  const Row rows[] = {
      {"store int 12345", 0, "  format 1 (least significant byte first): 39 30 00 00\n"},
      {"store int 12345", 0, "  format 2 (most significant byte first): 00 00 30 39\n"},
      {"store short -2,258 --format 2", 0, "  format 2 (most significant byte first): ff fe 01 02\n"},
      {"store KvByte A", 0, "  format 1 (least significant byte first): 41\n"},
      {"store double 1", 0, "  format 2 (most significant byte first): 3f f0 00 00 00 00 00 00\n"},
      {"load int '00 00 30 39' --format 2", 0, "  format 2 (most significant byte first, 4 bytes): 12345\n"},
      {"load KvWord 0x0102", 0, "  format 1 (least significant byte first, 2 bytes): 513\n"},
      {"load KvWord 0x0102", 0, "  format 2 (most significant byte first, 2 bytes): 258\n"},
      {"load char 41", 0, ": 65 'A'\n"},
      {"compare short 1,2,3 1,2,4", 0, "-1 (A < B)\n"},
      {"compare short 1,2,3 1,2", 0, "0 (A = B), incomplete"},
      {"compare KvByte 128 1 --format 2", 0, "1 (A > B)\n"},
      {"compare double nan 1", 0, "-1 (A < B)\n"},
      {"types", 0, "  25  d_Interval          4  yes    \"%e days, %I hours, %M minutes, %S seconds\"\n"},
      {"types", 0, "legacy type table (factory 3)\n"},
      {"info", 0, "description   KIVO Typemanager library 6.0.3.50 \n"},
      {"demo", 0, "int 12345,-2 in format 2: 00 00 30 39 ff ff ff fe\n"},
      {"codesets", 0, "   4  Windows-1250             8-bit\n"},
      {"codesets", 0, " 253  Unicode BMP              16-bit\n"},
      {"orders chico --lang 2", 0, "'ch'       0x5015   letter    lower letter c with extension\n"},
      {"orders 'Stra\xC3\x9F" "e'", 0,
       "'\xC3\x9F'        0x57D4   letter    lower letter s with \n"
       "  (cont.)  0x57D4   letter    lower letter s with \n"},
      {"orders '\xC2\xBC' --cs 253", 0, "  (cont.)  0x00F2   symbol    symbol \n"},
      {"orders 'x\xC3\xA9.'", 0,
       "text       order    class     name\n"
       "'x'        0x5068   letter    lower letter x\n"
       "'\xC3\xA9'        0x511C   letter    lower letter e with accent acute\n"
       "'.'        0x007E   symbol    symbol full stop\n"},
      {"orders '\xC3\xA5' --lang 3", 0, "'\xC3\xA5'        0x507C   letter    lower letter }\n"},
      {"orders '\xE4\xB8\xAD' --cs 253", 0, "0x4E2D   Han       HAN character 0x4e2d\n"},
      {"demo", 0, "upper case grows the text: \"STRASSE \xE2\x82\xAC" "5\"\n"},
      {"print BlockId 42", 0, "#42\n"},
      {"print char 65,7 %c", 0, "A0x07\n"},
      {"print KvDWord 4294967295 %ld", 0, "-1\n"},
      {"print KvWord 65535 '%hu %x'", 0, "65535 %x\n"},
      {"print short -5 '%s|%hd|%n|%'", 0, "%s|-5|%n|%\n"},
      {"print double 1.5 '%+08.2f'", 0, "+0001.50\n"},
      {"scan BlockId '#42'", 0, "42\n"},
      {"scan BlockId 42 '#%lu' --into 7", 0, "7\n"},
      {"scan short 70000 %d", 0, "4464\n"},
      {"scan KvDWord -1", 0, "4294967295\n"},
      {"scan KvByte 0x41BC --into 0,0", 0, "188, 120 'x'\n"},
      {"scan double ' 1.5e3x' '%lf'", 0, "1500\n"},
      {"collate c\xC3\xB4te cot\xC3\xA9", 0, "-1 (A < B, decided by accents)\n"},
      {"collate a A", 0, "-1 (A < B, decided by case)\n"},
      {"collate a A --op nocase", 0, "0 (A = B)\n"},
      {"collate ab a-b", 0, "-1 (A < B, decided by punctuation)\n"},
      {"collate abcxc 'a*c' --op 0", 0, "0 (A = B)\n"},
      {"collate cz ch --lang 2", 0, "-1 (A < B, decided by letters and digits)\n"},
      {"demo", 0, "cote < co-te < Cote < c\xC3\xB4te < cot\xC3\xA9 < c\xC3\xB4t\xC3\xA9\n"},
      {"store KvString ab --format 2", 0, "  format 2 (most significant byte first): 00 06 01 01 61 62 00 ff\n"},
      {"store KvString A --cs 253 --format 1", 0, "  format 1 (least significant byte first): 06 00 fd 01 41 00 00 ff\n"},
      {"load KvString '00 06 01 03 61 62 00 ff' --format 2", 0, ": \"ab\" (code set 1, language 3)\n"},
      {"load KvString '04 00 61 62 00 00' --format 1", 0, ": \"ab\" (code set 1, language 1)\n"},
      {"compare KvString abc 'a*' --op 0", 0, "0 (A = B)\n"},
      {"store KvIString ab --format 1", 0, "  format 1 (least significant byte first): 40 03 00 61 62 00\n"},
      {"load KvCaseIString '40 03 00 61 62 00' --format 1", 0, ": \"ab\"\n"},
      {"compare KvCaseIString \xC3\x89T\xC3\x89 \xC3\xA9t\xC3\xA9", 0, "0 (A = B)\n"},
      {"key ab --format 2", 0, "  00 08 fe 01 50 0c 50 10 00 ff\n  orders 500C 5010\n"},
      {"bounds KvString 'abc*' --rel eq --op 0", 0, "  high  00 0c fe 01 50 0c 50 10 50 14 ff fe 00 ff  (orders 500C 5010 5014 FFFE)\n"},
      {"bounds short 50 --rel lt --range 0 99", 0, "short 50 lt: estimate 0.500000, relation 0x0002\n"},
      {"demo", 0, "the key of \"Stra\xC3\x9F" "e\" lies within the bounds\n"},
      {"print KvDate 2000-01-01", 0, "Sat 01.Jan 2000\n"},
      {"print KvDate 2000-01-01 '%A %d %B %Y'", 0, "Saturday 01 Januar 2000\n"},
      {"print KvTime 13:05:09", 0, "01:05:09 pm\n"},
      {"print d_Interval 90061.5", 0, "01 days, 01 hours, 01 minutes, 01 seconds\n"},
      {"print d_Time 10:00:00+02:00 '%H:%M'", 0, "10:00\n"},
      {"scan KvDate 'Sat 01.Jan 2000'", 0, "2000-01-01\n"},
      {"scan KvDate 'Sat 31.Feb 2000'", 0, "0000-01-01\n"},
      {"scan KvTime '01:05:09 pm'", 0, "13:05:09\n"},
      {"scan d_Interval '00 days, 01 hours, 00 minutes, 00 seconds'", 0, "86400 s\n"},
      {"store KvDate 2000-01-31,*-12-* --format 2", 0, "  format 2 (most significant byte first): 07 d0 01 1f ff ff 0c ff\n"},
      {"store d_Timestamp 2000-02-29T23:59:59.50+02:00", 0, "  format 1 (least significant byte first): d0 07 02 1d 02 00 19 3b 3b 32\n"},
      {"load KvDateTime '07 d0 01 1f 0d 05 09' --format 2", 0, "  format 2 (most significant byte first, 7 bytes): 2000-01-31T13:05:09\n"},
      {"load d_Time '02 00 0c 1e 0f 19'", 0, ": 10:30:15.25+02:00\n"},
      {"demo", 0, "d_Timestamp 2000-03-01 00:00 minus two days: 2000-02-28 00:00\n"},
      {"store KvInt64 -1,4294967296 --format 2", 0, "  format 2 (most significant byte first): ff ff ff ff ff ff ff ff 00 00 00 00 00 00 00 01\n"},
      {"print KvInt64 -255 %x", 0, "-0xff\n"},
      {"scan KvInt64 -017", 0, "-15\n"},
      {"scan KvInt64 31 %x", 0, "-1\n"},
      {"compare KvInt64 5 -5 --format 2", 0, "1 (A > B)\n"},
      {"print bool 1", 0, "TRUE\n"},
      {"scan bool True", 0, "false\n"},
      {"store KvBlob abc --format 1", 0, "  format 1 (least significant byte first): 07 00 00 00 03 00 00 00 61 62 63\n"},
      {"load KvBlob '0b 00 00 00 03 00 00 00 61 62 63 00 00 00 00' --count 2 --format 1", 0, ": [3 bytes] 61 62 63, [0 bytes]\n"},
      {"compare KvBlob ab abc --format 1", 0, "-1 (A < B)\n"},
      {"store KvObjId 1-5#7 --format 2", 0, "  format 2 (most significant byte first): 00 00 00 07 00 00 00 05 00 01\n"},
      {"compare KvObjId 1-5#7 1-5#8 --format 1", 0, "0 (A = B)\n"},
      {"print KvClassId 12v3 '(%hu,%hu)'", 0, "(12,3)\n"},
      {"load KvRef '04 00 00 00 09 00 00 00 00 00 02 00 1e 00' --format 1", 0, ": 2:0-9#4/30v0\n"},
      {"scan KvRef '(2:0-9#4, 30)'", 0, "2:0-9#4/30v0\n"},
      {"store KvObjId 1-5", 1, "kvtm: bad value '1-5' for type KvObjId (expected HIGH-LOW#BLOCK)\n"},
      {"store KvDate 2000-13-01x", 1, "kvtm: bad value '2000-13-01x' for type KvDate (expected YYYY-MM-DD, '*' for any field)\n"},
      // Errors: one line, non-zero status.
      {"bounds short 5 --rel xx", 2, "kvtm: bad relation 'xx' (eq, lt, le, gt, ge or ne)\n"},
      {"load KvString '00 60 01 01 61' --format 2", 0, "  format 2 (most significant byte first): the bytes hold no whole value\n"},
      {"collate a b --op bogus", 2, "kvtm: bad operator 'bogus' (a number, or exact, nocase, noaccent, nospace, simple, nosymbol)\n"},
      {"orders x --cs 999", 2, "kvtm: bad code set '999' (see 'kvtm codesets')\n"},
      {"convert --from 1", 2, "kvtm: bad code set '' (see 'kvtm codesets')\n"},
      {"store nosuchtype 1", 1, "kvtm: unknown type 'nosuchtype' (see 'kvtm types')\n"},
      {"store short 40000", 1, "kvtm: bad value '40000' for type short (expected an integer from -32768 to 32767)\n"},
      {"store int 12x", 1, "kvtm: bad value '12x' for type int"},
      {"load int 0x123", 1, "kvtm: bad hex '0x123' (odd number of hex digits)\n"},
      {"load int zz", 1, "kvtm: bad hex 'zz' (unexpected character 'z')\n"},
      {"load int 0102", 1, "kvtm: bad hex for type int: 2 bytes are not a whole number of 4-byte values\n"},
      {"store int 1 --format 300", 2, "kvtm: bad format '300' (expected a number from 0 to 255)\n"},
      {"store short", 2, "usage: kvtm store TYPE"},
      {"frobnicate", 2, "kvtm: unknown command 'frobnicate' (see 'kvtm help')\n"},
      {"store int", 2, "kvtm: usage: kvtm store TYPE VALUE[,VALUE...] [--format N] [--cs N] [--lang N]\n"},
      {"print int 5 %100000d%100000d", 1,
       "kvtm: the text would be longer than a string holds (65532 bytes)\n"},
      {"print KvString a", 1, "kvtm: print does not handle type KvString yet\n"},
      {"print short 40000", 1, "kvtm: bad value '40000' for type short"},
      {"print int", 2, "kvtm: usage: kvtm print TYPE VALUE[,VALUE...] [FORMAT]\n"},
      {"scan nosuchtype 1", 1, "kvtm: unknown type 'nosuchtype' (see 'kvtm types')\n"},
      {"scan int 1 %d --into 1x", 1, "kvtm: bad value '1x' for type int"},
      {"scan short 1 --into", 2, "kvtm: option --into needs a value\n"},
      {"scan int 1 %d extra", 2,
       "kvtm: usage: kvtm scan TYPE TEXT [FORMAT] [--into VALUE[,VALUE...]]\n"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.args);
    const CliRun run = Kvtm(r.args);
    EXPECT_EQ(run.status, r.status);
    EXPECT_NE(run.out.find(r.expected), std::string::npos) << run.out;
    if (r.status != 0) {
      EXPECT_EQ(run.out.find('\n'), run.out.size() - 1) << "one line";
    }
  }
}

}  // namespace
