// values.h — values of the types the tool handles, parsed from and shown
// as terminal text.
#ifndef KVTM_TOOLS_VALUES_H
#define KVTM_TOOLS_VALUES_H

#include <cstdint>
#include <string>
#include <vector>

#include "cli.h"

// Code set and language of string values given at the terminal.
struct TextOptions {
  uint8_t codeSet = 1;
  uint8_t language = 1;
};

// Takes --cs and --lang out of the arguments.
TextOptions TextOptionsOf(Args& args);

// `count` values of a type in memory form, made by the type's Create and
// freed by its Delete.
class Values {
 public:
  Values(char id, uint32_t count);
  ~Values();
  Values(const Values&) = delete;
  Values& operator=(const Values&) = delete;

  void* Data() const { return data_; }
  uint32_t Count() const { return count_; }
  // The address of value i.
  void* At(uint32_t i) const;

 private:
  char id_;
  uint32_t count_;
  void* data_;
};

// Whether the tool parses and shows values of the type; the id of a type
// named on the command line that it does (a usage error otherwise).
bool IsHandledType(char id);
char HandledTypeArg(const std::string& name, const char* command);

// Number, date and time types, KvInt64 and bool: a comma-separated list
// (in the forms of dates.h and scalars.h); blobs and identifiers: one value
// (scalars.h); string types: one text (UTF-8 at the terminal) in the code
// set and language of `options`.
Values* ParseValues(char id, const std::string& text, const TextOptions& options);

// The values stored under `format`; values that store nothing (too long
// for their length field, or a format the type does not store in) fail.
std::vector<uint8_t> StoredOf(char id, const Values& values, uint8_t format);

// Value i as terminal text.
std::string ShowValue(char id, const Values& values, uint32_t i);

#endif  // KVTM_TOOLS_VALUES_H
