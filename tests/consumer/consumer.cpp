// Uses the installed library through its umbrella header: stores an int
// most significant byte first and reads the module description.
#include <kvtm/kvtm.h>

#include <cstdio>
#include <cstring>

int main() {
  ___KvTypemgrContext(1);
  KvTypeMgr* mgr = DefaultTypeMgr(nullptr);
  int value = 0x01020304;
  unsigned char stored[4] = {};
  mgr->Store(KvTYPE_INT, stored, &value, 2, 1);
  const char* description = nullptr;
  GetKvTypeMgrInfo(nullptr, nullptr, &description, nullptr, nullptr);
  const bool ok = stored[0] == 1 && stored[3] == 4 &&
                  std::strcmp(description, "KIVO Typemanager library 6.0.3.50 ") == 0;
  ___KvTypemgrContext(0);
  std::printf("consumer: %s\n", ok ? "ok" : "FAILED");
  return ok ? 0 : 1;
}
