// kvconfig.h — process configuration: integer entries by section and key.
#ifndef KVPLATFORM_KVCONFIG_H
#define KVPLATFORM_KVCONFIG_H

#include <cstdint>

#include "kvplatform/export.h"

// Entries are found by section and key, both compared without regard to
// ASCII case, as in INI files.
class KVP_EXPORT KvConfig {
 public:
  KvConfig();
  ~KvConfig();
  KvConfig(const KvConfig&) = delete;
  KvConfig& operator=(const KvConfig&) = delete;

  // Reads INI text: "[section]" lines, "key = integer" lines (decimal,
  // 0x hexadecimal or 0 octal), blank lines and lines starting with ';' or
  // '#'. Each malformed line is skipped with one line on standard error
  // naming `origin` and the line number. Returns the lines skipped.
  int LoadText(const char* text, const char* origin);

  // LoadText of a file's content; an unreadable file is reported in one
  // line on standard error and returns -1.
  int LoadFile(const char* path);

  // Creates or replaces an entry.
  void Set(const char* section, const char* key, int32_t value);

  // 1 and *value set when the entry exists; 0 and *value untouched if not.
  int Get(const char* section, const char* key, int32_t* value) const;

 private:
  struct Entries;
  Entries* entries_;
};

// The argument of DefaultConfig that asks for the current object.
inline KvConfig* const KV_CONFIG_CURRENT = reinterpret_cast<KvConfig*>(~uintptr_t{0});

// With KV_CONFIG_CURRENT: returns the process object, which on first use
// loads the INI file named by the environment variable KVTM_CONFIG when it
// is set. With any other argument: installs it as the process object (null
// restores the built-in one) and returns the previous object; the caller
// keeps an installed object alive.
KVP_EXPORT KvConfig* DefaultConfig(KvConfig* config);

#endif  // KVPLATFORM_KVCONFIG_H
