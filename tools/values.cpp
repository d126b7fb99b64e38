// values.cpp — values of the types the tool handles.
#include "values.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "dates.h"
#include "scalars.h"
#include "kvplatform/kvi18n.h"
#include "kvtm/kvistring.h"
#include "kvtm/kvstring.h"

TextOptions TextOptionsOf(Args& args) {
  TextOptions o;
  o.codeSet = CodeSetOf(args.Take("--cs", "1"));
  o.language = LanguageOf(args.Take("--lang", "1"));
  return o;
}

Values::Values(char id, uint32_t count)
    : id_(id), count_(count), data_(Manager().Create(id, count)) {
  if (data_ == nullptr) throw CliError{"out of memory"};
}

std::vector<uint8_t> StoredOf(char id, const Values& values, uint8_t format) {
  KvTypeMgr& mgr = Manager();
  std::vector<uint8_t> stored(mgr.DiskLenGet(id, values.Data(), format, values.Count(), 8));
  stored.resize(mgr.Store(id, stored.data(), values.Data(), format, values.Count()));
  if (stored.empty() && values.Count() > 0)
    throw CliError{std::string(mgr.NameGet(id, nullptr)) + " stores nothing in format " + std::to_string(format) +
                   " (a value too long for its stored length field, or a format the type does not store in)"};
  return stored;
}

Values::~Values() { Manager().Delete(id_, data_, count_); }

void* Values::At(uint32_t i) const {
  return static_cast<uint8_t*>(data_) + static_cast<size_t>(i) * Manager().MemLenGet(id_, 1);
}

bool IsHandledType(char id) {
  return IsNumberType(id) || IsDateType(id) || IsScalarType(id) || id == KvTYPE_STRING || id == KvTYPE_ISTRING ||
         id == KvTYPE_CASEISTRING;
}

namespace {

// The terminal's UTF-8 as Windows-1252 text, the repertoire of the
// insensitive strings.
std::string Cp1252Of(const std::string& utf8) {
  std::vector<uint16_t> chars = DecodeUtf8(utf8);
  chars.push_back(0);
  KvString wide(chars.data());
  wide.MapToCodeSet(KvCS_CP1252);
  return std::string(wide.StrGet(), wide.Len());
}

}  // namespace

char HandledTypeArg(const std::string& name, const char* command) {
  const char id = TypeIdOf(name);
  if (!IsHandledType(id))
    throw CliError{std::string(command) + " does not handle type " +
                   Manager().NameGet(id, nullptr) + " yet"};
  return id;
}

Values* ParseValues(char id, const std::string& text, const TextOptions& options) {
  // The text is read before any value is made: a text the tool refuses
  // leaves nothing behind.
  if (id == KvTYPE_STRING) {
    const KvString s = StringOfUtf8(text, options.codeSet, options.language);
    Values* v = new Values(id, 1);
    *static_cast<KvString*>(v->Data()) = s;
    return v;
  }
  if (id == KvTYPE_ISTRING || id == KvTYPE_CASEISTRING) {
    const std::string narrow = Cp1252Of(text);
    Values* v = new Values(id, 1);
    if (id == KvTYPE_ISTRING)
      *static_cast<KvIString*>(v->Data()) = narrow.c_str();
    else
      *static_cast<KvCaseIString*>(v->Data()) = narrow.c_str();
    return v;
  }
  if (IsDateType(id) || IsScalarType(id)) {
    std::vector<std::string> items;
    size_t start = 0;
    if (!IsSingleValueType(id)) {
      for (size_t comma; (comma = text.find(',', start)) != std::string::npos; start = comma + 1)
        items.push_back(text.substr(start, comma - start));
    }
    items.push_back(text.substr(start));
    std::unique_ptr<Values> v(new Values(id, static_cast<uint32_t>(items.size())));
    for (size_t i = 0; i < items.size(); ++i) {
      void* at = v->At(static_cast<uint32_t>(i));
      if (IsDateType(id))
        ParseDate(id, items[i], at);
      else
        ParseScalar(id, items[i], at);
    }
    return v.release();
  }
  uint32_t count = 0;
  const std::vector<uint8_t> bytes = ParseNumbers(id, text, &count);
  Values* v = new Values(id, count);
  std::memcpy(v->Data(), bytes.data(), bytes.size());
  return v;
}

std::string ShowValue(char id, const Values& values, uint32_t i) {
  if (id == KvTYPE_STRING) {
    const KvString& s = *static_cast<const KvString*>(values.At(i));
    char tail[64];
    std::snprintf(tail, sizeof tail, "\" (code set %u, language %u)", s.CodeSetGet(), s.LanguageGet());
    return "\"" + Utf8Of(s) + tail;
  }
  if (id == KvTYPE_ISTRING || id == KvTYPE_CASEISTRING) {
    const char* text = id == KvTYPE_ISTRING ? static_cast<const KvIString*>(values.At(i))->StrGet()
                                            : static_cast<const KvCaseIString*>(values.At(i))->StrGet();
    return "\"" + Utf8Of(KvString(text)) + "\"";
  }
  if (IsDateType(id)) return ShowDate(id, values.At(i));
  if (IsScalarType(id)) return ShowScalar(id, values.At(i));
  return FormatNumber(id, values.At(i));
}
