// cmd_dbindex.cpp — kvtm index: an index database in LMDB built from values
// on standard input and queried through the library's bounds and compares
// (tools/lmdb_index.h).
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <memory>
#include <string>

#include "cli.h"
#include "values.h"

#ifdef KVTM_WITH_LMDB
#include "lmdb_index.h"

namespace {

// A value as one line of output: texts as they are, others as shown.
std::string Line(char id, const Values& value) {
  if (id == KvTYPE_STRING) return Utf8Of(*static_cast<const KvString*>(value.Data()));
  const std::string shown = ShowValue(id, value, 0);
  return id == KvTYPE_ISTRING || id == KvTYPE_CASEISTRING ? shown.substr(1, shown.size() - 2) : shown;
}

int Build(Args& args) {
  TextOptions options;
  options.codeSet = CodeSetOf(args.Take("--codeset", "1"));
  options.language = LanguageOf(args.Take("--lang", "1"));
  if (args.words.size() != 2) throw UsageError();
  const std::string& path = args.words[0];
  const char id = TypeIdOf(args.words[1]);
  if (id != KvTYPE_STRING) options = TextOptions();
  kvlmdb::Builder builder(path, {id, options.codeSet, options.language});
  const bool terminal = isatty(STDERR_FILENO) != 0;
  std::string line;
  for (size_t n = 1; std::getline(std::cin, line); ++n) {
    try {
      const std::unique_ptr<Values> value(ParseValues(id, line, options));
      if (value->Count() != 1) throw CliError{"one value a line, not " + std::to_string(value->Count())};
      builder.Add(value->Data());
    } catch (const CliError& e) {
      throw CliError{"line " + std::to_string(n) + ": " + e.message};
    } catch (const kvlmdb::Error& e) {
      throw CliError{"line " + std::to_string(n) + ": " + e.what()};
    }
    if (terminal && n % 100000 == 0) std::fprintf(stderr, "\r%zu values", n);
  }
  if (terminal && builder.Rows() >= 100000) std::fprintf(stderr, "\r%20s\r", "");  // the progress line cleared
  builder.Commit();
  std::printf("%s: an index of %u %s values\n", path.c_str(), builder.Rows(), kvlmdb::Describe({id, options.codeSet,
              options.language}).c_str());
  return 0;
}

int Query(Args& args) {
  const unsigned short relation = RelationOf(args.Take("--rel", "eq"));
  const unsigned short op = OpOf(args.Take("--op", "exact"));
  if (args.words.size() != 3) throw UsageError();
  const std::string& path = args.words[0];
  const char id = TypeIdOf(args.words[1]);
  const kvlmdb::Index index(path);
  const kvlmdb::IndexType& type = index.Type();
  if (type.id != id)
    throw CliError{path + " is an index of " + kvlmdb::Describe(type) + " values, not of " +
                   Manager().NameGet(id, nullptr)};
  // The condition's value is made as the index's values were.
  TextOptions options;
  options.codeSet = type.codeSet;
  options.language = type.language;
  const std::unique_ptr<Values> value(ParseValues(id, args.words[2], options));
  if (value->Count() != 1) throw CliError{"a condition takes one value, not " + std::to_string(value->Count())};
  Values row(id, 1);
  const kvlmdb::Answer answer =
      index.Query({{relation, op, value->Data()}}, [&](uint32_t, const uint8_t* stored, size_t) {
        Manager().Load(id, row.Data(), const_cast<uint8_t*>(stored), KvFORMAT_MSB_FIRST, 1);
        std::printf("%s\n", Line(id, row).c_str());
      });
  std::printf("%u of %u values match (share %.6f); estimate %.6f%s; keys scanned: %u, rows decided by their value: %u\n",
              answer.matches, index.Rows(), index.Rows() ? double(answer.matches) / index.Rows() : 0.0,
              answer.estimates[0], answer.widened ? ", widened by a wildcard" : "", answer.keys,
              answer.decidedByValue);
  return 0;
}

}  // namespace

int CmdDbIndex(Args& args) {
  if (args.words.empty()) throw UsageError();
  const std::string verb = args.words[0];
  args.words.erase(args.words.begin());
  try {
    if (verb == "build") return Build(args);
    if (verb == "query") return Query(args);
  } catch (const kvlmdb::Error& e) {
    throw CliError{e.what()};
  }
  throw UsageError();
}

#else

int CmdDbIndex(Args&) { throw CliError{"this kvtm was built without LMDB (liblmdb-dev): it has no index databases"}; }

#endif
