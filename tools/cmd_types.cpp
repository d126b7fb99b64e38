// cmd_types.cpp — kvtm types and kvtm info.
#include <dlfcn.h>

#include <cstdio>

#include "cli.h"

namespace {

void PrintTable(KvTypeMgr& mgr, const char* title) {
  std::printf("%s (factory %u)\n", title, mgr.FactoryGet());
  std::printf("%4s  %-14s %6s  %-5s  %s\n", "id", "name", "memory", "fixed", "exchange format");
  for (char id = 0; mgr.IsValidType(id); ++id) {
    std::printf("%4d  %-14s %6u  %-5s  \"%s\"\n", id, mgr.NameGet(id, nullptr),
                mgr.MemLenGet(id, 1), mgr.IsFixed(id) ? "yes" : "no",
                mgr.ExchangeFormat(id, nullptr));
  }
}

}  // namespace

int CmdTypes(Args& args) {
  if (!args.words.empty()) throw UsageError();
  KvTypeMgr standard(5);
  KvTypeMgr legacy(3);
  PrintTable(standard, "standard type table");
  std::printf("\n");
  PrintTable(legacy, "legacy type table");
  std::printf("\nThe legacy table differs only at id 11: its KvString row stores strings in\n"
              "the legacy form (texts without code set or language).\n");
  return 0;
}

int CmdInfo(Args& args) {
  if (!args.words.empty()) throw UsageError();
  const char* tool = nullptr;
  unsigned long toolVersion = 0;
  const char* description = nullptr;
  const char* date = nullptr;
  const char* module = nullptr;
  GetKvTypeMgrInfo(&tool, &toolVersion, &description, &date, &module);
  std::printf("description   %s\n", description);
  std::printf("module        %s\n", module);
  std::printf("build date    %s\n", date);
  std::printf("build tool    %s (version %lu)\n", tool, toolVersion);
  Dl_info info;
  if (dladdr(reinterpret_cast<void*>(&GetKvTypeMgrInfo), &info) != 0 && info.dli_fname != nullptr)
    std::printf("loaded from   %s\n", info.dli_fname);
  return 0;
}
