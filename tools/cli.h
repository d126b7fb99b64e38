// cli.h — shared helpers of the kvtm command line tool.
#ifndef KVTM_TOOLS_CLI_H
#define KVTM_TOOLS_CLI_H

#include <cstdint>
#include <string>
#include <vector>

#include "kvtm/kvstring.h"
#include "kvtm/kvtypemgr.h"

// A failed command: the message is printed as one line, "kvtm: <message>",
// and the tool exits with status 1 (2 for a usage error).
struct CliError {
  std::string message;
  int status = 1;
};

// Arguments that do not fit the command: the tool prints the command's
// usage line and exits with status 2.
struct UsageError {};

// The command line after the command word, with options taken out.
struct Args {
  std::vector<std::string> words;
  // Returns the option's value and removes both words, or `fallback` when
  // the option is absent. A missing value is a usage error.
  std::string Take(const char* option, const std::string& fallback);
  bool Has(const char* option);
};

// The default type manager, set up on first use.
KvTypeMgr& Manager();

// Reads a value's text left to right; any mismatch is a bad value, reported
// with the type's name and the form it expects.
class TextReader {
 public:
  TextReader(char id, const std::string& text, const char* expected)
      : text_(text), id_(id), expected_(expected) {}

  [[noreturn]] void Fail() const;
  bool AtEnd() const { return pos_ == text_.size(); }
  // True, taking c, when c is next.
  bool Next(char c);
  void Expect(char c) {
    if (!Next(c)) Fail();
  }
  void End() const {
    if (!AtEnd()) Fail();
  }

 protected:
  bool DigitNext() const { return pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9'; }
  int TakeDigit() { return text_[pos_++] - '0'; }

  const std::string& text_;
  size_t pos_ = 0;

 private:
  char id_;
  const char* expected_;
};

// The id of a type named by its name or its number; unknown names fail.
char TypeIdOf(const std::string& name);

// A format code given as a number 0 to 255.
uint8_t FormatOf(const std::string& text);

// Compare operator bits given as a number ("0x30", "48") or as names joined
// by ',' or '+' ("nocase,noaccent"); anything else fails.
unsigned short OpOf(const std::string& text);

// A relation named eq, lt, le, gt, ge or ne as its KvREL_ bits (others
// are a usage error), and back.
unsigned short RelationOf(const std::string& text);
const char* RelationName(unsigned short bits);

// Bytes as "39 30 00 00"; hex text (blanks, ':' and a leading 0x allowed)
// back to bytes.
std::string HexOf(const void* bytes, size_t length);
std::vector<uint8_t> BytesOfHex(const std::string& text);

// The most characters a string holds in a 16-bit and in an 8-bit code set
// (its buffer, terminator included, is at most KvSTRING_MAX_SIZE bytes).
constexpr size_t kWideTextLimit = (KvSTRING_MAX_SIZE - 2) / 2;
constexpr size_t kNarrowTextLimit = KvSTRING_MAX_SIZE - 1;

// The terminal's UTF-8 as Unicode characters of the Basic Multilingual
// Plane, and back. Invalid UTF-8, a character beyond that plane and a text
// of more than `limit` characters fail.
std::vector<uint16_t> DecodeUtf8(const std::string& text, size_t limit = kWideTextLimit);
std::string EncodeUtf8(const std::vector<uint16_t>& chars, size_t from, size_t to);

// A string's text as UTF-8 for the terminal.
std::string Utf8Of(const KvString& s);

// The terminal's UTF-8 as a string of code set `cs` (characters it lacks
// become its substitute); a text longer than that code set's string holds
// fails.
KvString StringOfUtf8(const std::string& utf8, uint8_t cs, uint8_t language);

// A language given as a number 0 to 255.
uint8_t LanguageOf(const std::string& text);

// A code set named by id or name; "utf8" names 253.
uint8_t CodeSetOf(const std::string& text);

// Memory-form values of the number types.
bool IsNumberType(char id);
// The id of a number type named on the command line (a usage error for
// any other type).
char NumberTypeArg(const std::string& name, const char* command);
// A comma-separated list of values of a number type, in memory form.
std::vector<uint8_t> ParseNumbers(char id, const std::string& text, uint32_t* count);
// One memory-form value of a number type as text.
std::string FormatNumber(char id, const void* value);

// Commands.
int CmdTypes(Args& args);
int CmdInfo(Args& args);
int CmdStore(Args& args);
int CmdLoad(Args& args);
int CmdCompare(Args& args);
int CmdDemo(Args& args);
int CmdCodesets(Args& args);
int CmdOrders(Args& args);
int CmdConvert(Args& args);
int CmdCollate(Args& args);
int CmdKey(Args& args);
int CmdBounds(Args& args);
int CmdSort(Args& args);
int CmdPrint(Args& args);
int CmdScan(Args& args);
int CmdDbIndex(Args& args);

#endif  // KVTM_TOOLS_CLI_H
