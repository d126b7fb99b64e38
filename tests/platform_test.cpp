// Facts about the platform layer: the base routines, the memory file, and
// the hooks tests and callers install.
#include <gtest/gtest.h>

#include "test_util.h"

namespace {

// The base routines' stored bytes are the number rows' (typetable_test);
// here: the count returned is the bytes, a store converts in place too,
// and the sizes.
TEST(BaseRoutines, InPlaceAndSizes) {
  typedef uint32_t (*Routine)(void*, void*, uint8_t, uint32_t);
  const struct { Routine store; uint32_t (*size)(void*, uint8_t, uint8_t, uint32_t), (*nullSize)(uint32_t), width; } rows[] = {
      {CharStore, CharSizeGet, CharNullSizeGet, 1},   {ShortStore, ShortSizeGet, ShortNullSizeGet, 2}, {LongStore, LongSizeGet, LongNullSizeGet, 4},
      {IntLoad, IntSizeGet, IntNullSizeGet, 4},       {UnsignedLoad, IntSizeGet, IntNullSizeGet, 4},   {FloatStore, FloatSizeGet, FloatNullSizeGet, 4},
      {DoubleStore, DoubleSizeGet, DoubleNullSizeGet, 8}};
  const Bytes memory = MemoryOf<uint32_t>({0x01020304, 0x05060708, 0x090A0B0C, 0x0D0E0F10});
  for (const auto& r : rows) {
    Bytes bytes = memory;
    EXPECT_EQ(r.store(bytes.data(), bytes.data(), 2, 16 / r.width) + r.store(bytes.data(), bytes.data(), 2, 0), 16u);
    EXPECT_EQ(bytes[r.width - 1] * 100 + bytes[0], memory[0] * 100 + memory[r.width - 1]) << r.width;
    r.store(bytes.data(), bytes.data(), 0xF2, 16 / r.width);  // the flags above the code are ignored
    EXPECT_EQ(bytes, memory) << r.width;
    EXPECT_EQ(r.size(nullptr, 8, 2, 1000) + r.nullSize(3), 1003 * r.width);
  }
}

// A memory file over 1 2 3 4 5 at position 1: a seek lands within the file
// or gives nothing and stays; mode 0 only looks, mode 1 moves past what it
// gives; offsets are 32-bit whatever the width of long.
TEST(MemFile, HostileSeeks) {
  const uint8_t data[] = {1, 2, 3, 4, 5};
  const unsigned long none = ~0ul;  // no length asked for
  const struct { long offset; unsigned short origin; unsigned long length; unsigned short mode; int first; unsigned long given;
                 uint32_t position; } rows[] = {  // first -1: nothing given
      {0, KvSEEK_CUR, 2, 0, 2, 2, 1},   {1, KvSEEK_CUR, 10, 1, 3, 3, 5},  {4, KvSEEK_CUR, 1, 0, -1, 0, 5},
      {-6, KvSEEK_END, 1, 0, -1, 0, 1}, {6, KvSEEK_SET, 1, 1, -1, 0, 1},  {-1, KvSEEK_END, 1, 0, 5, 1, 4},
      {0, 3, 1, 1, -1, 0, 1},           {-2, KvSEEK_CUR, 1, 0, -1, 0, 1}, {2, KvSEEK_SET, none, 0, -1, none, 2},
      {LongOf(0x100000002), KvSEEK_SET, 1, 1, 3, 1, 3}};
  for (const auto& r : rows) {
    MemFile file(data, 5, 1);
    unsigned long length = r.length;
    const uint8_t* p = file.Seek(r.offset, r.origin, r.length == none ? nullptr : &length, r.mode);
    EXPECT_EQ((std::vector<int64_t>{p == nullptr ? -1 : *p, static_cast<int64_t>(length), file.PosGet()}),
              (std::vector<int64_t>{r.first, static_cast<int64_t>(r.given), r.position})) << r.offset << " from " << r.origin;
  }
  MemFile empty(nullptr, 10);
  unsigned long length = 1;
  EXPECT_EQ(empty.Seek(0, KvSEEK_SET, &length, 0), nullptr);
  EXPECT_EQ((std::vector<uint32_t>{MemFile(data, 5).EndGet(), MemFile(data, 5, 9).PosGet(), empty.EndGet(), uint32_t(length)}),
            (std::vector<uint32_t>{5, 5, 0, 0}));
}

std::string lastReport;
void NoteReport(const char* expression, const char* file, int line) { lastReport = std::string(expression) + "|" + file + "|" + std::to_string(line); }

// A report goes to the handler installed, or (null) the default one, which
// writes it to standard error.
TEST(Assert, HandlerReceivesReportsAndCanBeRestored) {
  KvAssertHandler previous = KvSetAssertHandler(NoteReport);
  EXPECT_EQ(KIVO_assert("\"String overflow\" && 0", "src\\kvstring", 1149), 0);
  EXPECT_EQ(KvSetAssertHandler(nullptr), NoteReport);
  testing::internal::CaptureStderr();
  KIVO_assert("x > 0", "src\\kvtypes", 7);
  EXPECT_EQ(testing::internal::GetCapturedStderr() + lastReport,
            "assertion failed: x > 0 (src\\kvtypes:7)\n\"String overflow\" && 0|src\\kvstring|1149");
  KvSetAssertHandler(previous);
}

TEST(Clock, OverridePinsBothRoutines) {
  const bdate date = {2001, 5, 7};
  const btime time = {13, 45, 30, 0, 3600};
  bdate d = {};
  btime t = {};
  for (const bool pinned : {true, false}) {
    KvSetClockOverride(pinned ? &date : nullptr, pinned ? &time : nullptr);
    rozararoze(&d), dadavuvuve(&t);
    EXPECT_TRUE(pinned ? d.year == 2001 && d.month == 5 && d.day == 7 && t.hour == 13 && t.minute == 45 && t.second == 30 && t.zoneOffset == 3600
                       : d.year >= 2020 && d.month >= 1 && d.month <= 12 && t.hour <= 23 && t.second <= 59);
  }
}

// INI text: section and key names ignore case, values are integers; a
// malformed line costs one line on standard error. A missing file is
// reported, not fatal. The default configuration can be replaced.
TEST(Config, EntriesBySectionAndKey) {
  KvConfig config;
  testing::internal::CaptureStderr();
  EXPECT_EQ(config.LoadText("; comment\n# comment\n[debug]\nstringOverflow = 1\n  neg=-12  \n[Other]\n"
                            "hex = 0x1F\nbroken\nkey = 12abc\n[unterminated\n= 5\nbig = 4294967296\n", "inline"), 5);
  EXPECT_EQ(config.LoadFile("/nonexistent/kvtm.ini"), -1);
  const std::string errors = testing::internal::GetCapturedStderr();
  EXPECT_TRUE(errors.find("inline:8: malformed line ignored\n") != std::string::npos &&
              errors.find("inline:12: malformed line ignored\nkvtm config: cannot read /nonexistent/kvtm.ini\n") != std::string::npos) << errors;
  auto get = [&](const char* section, const char* key) { int32_t v = 99; return config.Get(section, key, &v) * 1000 + v; };  // v kept when absent
  config.Set("other", "HEX", 7);
  EXPECT_EQ((std::vector<int>{get("debug", "hex"), get("DEBUG", "STRINGOVERFLOW"), get("debug", "neg"), get("Other", "hex")}),
            (std::vector<int>{99, 1001, 1000 - 12, 1007}));
  KvConfig* builtIn = DefaultConfig(KV_CONFIG_CURRENT);
  EXPECT_TRUE(DefaultConfig(&config) == builtIn && DefaultConfig(nullptr) == &config && DefaultConfig(KV_CONFIG_CURRENT) == builtIn);
}

// Run by ctest in a process whose KVTM_CONFIG names tests/data/debug.ini.
TEST(ConfigFromEnvironment, FileNamedByTheVariableIsLoaded) {
  if (std::getenv("KVTM_CONFIG") == nullptr) GTEST_SKIP() << "KVTM_CONFIG is not set";
  int32_t v = 0, w = 0;
  EXPECT_EQ(DefaultConfig(KV_CONFIG_CURRENT)->Get("debug", "stringOverflow", &v) +
                DefaultConfig(KV_CONFIG_CURRENT)->Get("limits", "maxKey", &w), 2);
  EXPECT_EQ(v * 100 + w, 132);
}

// A failed malloc calls the memory handler and tries once more; the
// default handler aborts.
TEST(Memory, FailedAllocationCallsTheHandler) {
  AllocFailure failure(1);  // one more success, then failures
  void* ok = KvMemAlloc(16);
  EXPECT_TRUE(ok != nullptr && KvMemAlloc(40) == nullptr && failure.calls == 1 && failure.lastSize == 40);
  failure.End();
  uint8_t* zero = static_cast<uint8_t*>(KvMemAllocZero(3));
  EXPECT_EQ(Bytes(zero, zero + 3), Bytes(3, 0));
  KvMemFree(ok), KvMemFree(zero), KvMemFree(nullptr);
  EXPECT_DEATH(KvCallMemoryHandler(123), "out of memory allocating 123 bytes");
}

// A new process context gives the defaults back, whatever was set.
TEST(LanguageContext, DefaultsOfANewProcess) {
  using C = KvLanguageContext;
  C::SetDefaultCodeSet(253), C::SetDefaultLanguage(3), C::SetDefaultCmpOp(0x0030);
  ___KvI18NContext(1);
  EXPECT_EQ((std::vector<int>{C::GetDefaultCodeSet(), C::GetDefault8CodeSet(), C::GetDefault16CodeSet(), C::GetDefaultLanguage(),
                              C::GetDefaultCmpOp(), C::GetNativeCodeSet()}),
            (std::vector<int>{1, 1, 253, 1, 0x10, 1}));
}

}  // namespace
