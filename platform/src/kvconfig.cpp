// kvconfig.cpp — process configuration: integer entries by section and key.
#include "kvplatform/kvconfig.h"

#include <strings.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

struct KvConfig::Entries {
  struct Entry {
    std::string section;
    std::string key;
    int32_t value;
  };
  std::vector<Entry> list;

  Entry* Find(const char* section, const char* key) {
    for (Entry& e : list) {
      if (strcasecmp(e.section.c_str(), section) == 0 && strcasecmp(e.key.c_str(), key) == 0)
        return &e;
    }
    return nullptr;
  }
};

namespace {

std::string Trimmed(const std::string& s) {
  const char* blanks = " \t\r\n";
  const size_t first = s.find_first_not_of(blanks);
  if (first == std::string::npos) return std::string();
  const size_t last = s.find_last_not_of(blanks);
  return s.substr(first, last - first + 1);
}

// Parses a whole text as a 32-bit integer.
bool ParseInteger(const std::string& text, int32_t* value) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const long long v = std::strtoll(text.c_str(), &end, 0);
  if (errno != 0 || *end != '\0' || v < INT32_MIN || v > INT32_MAX) return false;
  *value = static_cast<int32_t>(v);
  return true;
}

}  // namespace

KvConfig::KvConfig() : entries_(new Entries) {}

KvConfig::~KvConfig() { delete entries_; }

int KvConfig::LoadText(const char* text, const char* origin) {
  if (text == nullptr) return 0;
  std::istringstream in(text);
  std::string line;
  std::string section;
  int lineNumber = 0;
  int skipped = 0;
  while (std::getline(in, line)) {
    ++lineNumber;
    const std::string t = Trimmed(line);
    if (t.empty() || t[0] == ';' || t[0] == '#') continue;
    if (t[0] == '[') {
      if (t.size() >= 3 && t.back() == ']') {
        section = Trimmed(t.substr(1, t.size() - 2));
        continue;
      }
    } else {
      const size_t eq = t.find('=');
      int32_t value = 0;
      if (eq != std::string::npos && eq > 0 && ParseInteger(Trimmed(t.substr(eq + 1)), &value)) {
        Set(section.c_str(), Trimmed(t.substr(0, eq)).c_str(), value);
        continue;
      }
    }
    std::fprintf(stderr, "kvtm config: %s:%d: malformed line ignored\n",
                 origin ? origin : "(text)", lineNumber);
    ++skipped;
  }
  return skipped;
}

int KvConfig::LoadFile(const char* path) {
  std::ifstream file(path ? path : "");
  if (!file) {
    std::fprintf(stderr, "kvtm config: cannot read %s\n", path ? path : "(null)");
    return -1;
  }
  std::stringstream content;
  content << file.rdbuf();
  return LoadText(content.str().c_str(), path);
}

void KvConfig::Set(const char* section, const char* key, int32_t value) {
  if (section == nullptr || key == nullptr) return;
  if (Entries::Entry* e = entries_->Find(section, key)) {
    e->value = value;
    return;
  }
  entries_->list.push_back({section, key, value});
}

int KvConfig::Get(const char* section, const char* key, int32_t* value) const {
  if (section == nullptr || key == nullptr) return 0;
  const Entries::Entry* e = entries_->Find(section, key);
  if (e == nullptr) return 0;
  if (value != nullptr) *value = e->value;
  return 1;
}

namespace {

// The built-in object lives for the whole process: configuration may be
// read from static destructors of callers.
KvConfig* BuiltInConfig() {
  static KvConfig* config = [] {
    KvConfig* c = new KvConfig;
    if (const char* path = std::getenv("KVTM_CONFIG"); path != nullptr && *path != '\0')
      c->LoadFile(path);
    return c;
  }();
  return config;
}

// Reports read the configuration from any thread: atomic, so that one
// installed meanwhile is seen whole.
std::atomic<KvConfig*> installed{nullptr};

}  // namespace

KvConfig* DefaultConfig(KvConfig* config) {
  if (config == KV_CONFIG_CURRENT) {
    KvConfig* current = installed.load(std::memory_order_acquire);
    return current != nullptr ? current : BuiltInConfig();
  }
  KvConfig* previous = installed.exchange(config, std::memory_order_acq_rel);
  return previous != nullptr ? previous : BuiltInConfig();
}
