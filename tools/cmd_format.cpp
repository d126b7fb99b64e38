// cmd_format.cpp — kvtm print and scan: values of the number, date and
// time types as text under a format, and back.
#include <strings.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "cli.h"
#include "kvplatform/kvi18n.h"
#include "dates.h"
#include "scalars.h"
#include "values.h"

namespace {

// The id of a type that print and scan handle (a usage error otherwise).
char FormattedTypeArg(const std::string& name, const char* command) {
  const char id = TypeIdOf(name);
  if (IsDateType(id) || IsScalarType(id) || (id == KvTYPE_STRING && std::strcmp(command, "print") == 0)) return id;
  return NumberTypeArg(name, command);
}

// Writes a printed text; the print leaves a buffer, if only an empty one,
// unless the text was refused as too long. The bytes go out as they are:
// literal text of the format passes through unchanged, whatever its
// encoding.
void WritePrinted(const KvString& out) {
  if (out.SizeGet() == 0)
    throw CliError{"the text would be longer than a string holds (65532 bytes)"};
  std::fwrite(out.StrGet(), 1, out.Len(), stdout);
  std::printf("\n");
}

// print and scan of the date, time, scalar and identifier types: one value,
// through the directives of the type's own format language.
int PrintValue(char id, const std::string& value, const char* format) {
  const std::unique_ptr<Values> values(ParseValues(id, value, TextOptions()));
  KvString out("");
  Manager().PrintToKvString(id, out, values->Data(), format, 1);
  WritePrinted(out);
  return 0;
}

// A string prints under a "%s" format. The library takes an 8-bit value's
// format in the value's code set and a 16-bit value's in the default 8-bit
// one, so the terminal's format goes into that code set, and the printed
// text comes back as UTF-8.
int PrintText(const std::string& value, const char* format, const TextOptions& options) {
  const std::unique_ptr<Values> values(ParseValues(KvTYPE_STRING, value, options));
  const KvString& text = *static_cast<const KvString*>(values->Data());
  const uint8_t formatCodeSet = KvCodeSetIsWide(options.codeSet) ? KvString::GetDefault8CodeSet() : options.codeSet;
  const KvString narrowFormat = StringOfUtf8(format != nullptr ? format : "%s", formatCodeSet, options.language);
  KvString out(KvCS_UNICODE, options.language);
  Manager().PrintToKvString(KvTYPE_STRING, out, values->Data(), narrowFormat.StrGet(), 1);
  if (out.SizeGet() == 0 && !text.IsEmpty())
    throw CliError{"the text would be longer than a string holds"};
  std::printf("%s\n", Utf8Of(out).c_str());
  return 0;
}

// Whether `printed` is `text`, letter case aside, or that and one more
// word without digits after a blank (a time may leave out its "am").
bool PrintsAs(const std::string& text, const char* printed) {
  const size_t n = std::strlen(printed);
  if (text.empty() || text.size() > n || strncasecmp(text.c_str(), printed, text.size()) != 0) return false;
  if (text.size() == n) return true;
  const std::string rest = printed + text.size();
  return rest.size() > 1 && rest[0] == ' ' && rest.find_first_of(" 0123456789", 1) == std::string::npos;
}

[[noreturn]] void Unread(char id, const std::string& text, const char* format, const std::string& why) {
  throw CliError{"'" + text + "' does not read as a value of type " + std::string(Manager().NameGet(id, nullptr)) +
                 (format != nullptr ? " under '" + std::string(format) + "'" : "") + why};
}

int ScanValue(char id, const std::string& text, const char* format) {
  // The value scanned into: the type's new value (today and now for the
  // dates and times, zero for the others). A text these readers cannot
  // read still gives a value (0000-01-01 for a date, -1 for a KvInt64,
  // zero fields for an identifier), and one they read in part gives what
  // that part said: the text is taken only when the value prints back
  // under the same format as that text, letter case and trailing fields
  // aside.
  Values value(id, 1);
  KvString in(text.c_str()), back("");
  Manager().ScanFromKvString(id, value.Data(), in, format, 1);
  Manager().PrintToKvString(id, back, value.Data(), format, 1);
  if (!PrintsAs(text, back.StrGet()))
    Unread(id, text, format, std::string(" (what it read prints as '") + back.StrGet() + "')");
  std::printf("%s\n", ShowValue(id, value, 0).c_str());
  return 0;
}

}  // namespace

int CmdPrint(Args& args) {
  const TextOptions options = TextOptionsOf(args);
  if (args.words.size() != 2 && args.words.size() != 3)
    throw UsageError();
  KvTypeMgr& mgr = Manager();
  const char id = FormattedTypeArg(args.words[0], "print");
  // Without a format the type's exchange format applies.
  const char* format = args.words.size() == 3 ? args.words[2].c_str() : nullptr;
  if (id == KvTYPE_STRING) return PrintText(args.words[1], format, options);
  if (IsDateType(id) || IsScalarType(id)) return PrintValue(id, args.words[1], format);
  uint32_t count = 0;
  std::vector<uint8_t> values = ParseNumbers(id, args.words[1], &count);
  KvString out;
  mgr.PrintToKvString(id, out, values.data(), format, count);
  WritePrinted(out);
  return 0;
}

int CmdScan(Args& args) {
  const std::string into = args.Take("--into", "");
  if (args.words.size() != 2 && args.words.size() != 3)
    throw UsageError();
  KvTypeMgr& mgr = Manager();
  const char id = FormattedTypeArg(args.words[0], "scan");
  const char* format = args.words.size() == 3 ? args.words[2].c_str() : nullptr;
  if (IsDateType(id) || IsScalarType(id)) return ScanValue(id, args.words[1], format);
  const unsigned width = mgr.MemLenGet(id, 1);
  // The values scanned into: those given (as many as given), else one 0. A
  // text that does not match leaves them as they were.
  uint32_t count = 1;
  std::vector<uint8_t> values =
      into.empty() ? std::vector<uint8_t>(width, 0) : ParseNumbers(id, into, &count);
  KvString text(args.words[1].c_str());
  // A text that does not match leaves the values as they were: scanned
  // into other starting bytes too, they must come out the same.
  std::vector<uint8_t> other(values.size(), 0x5A);
  mgr.ScanFromKvString(id, values.data(), text, format, count);
  mgr.ScanFromKvString(id, other.data(), text, format, count);
  if (values != other) Unread(id, args.words[1], format, "");
  for (uint32_t i = 0; i < count; ++i)
    std::printf("%s%s", i == 0 ? "" : ", ", FormatNumber(id, values.data() + i * width).c_str());
  std::printf("\n");
  return 0;
}
