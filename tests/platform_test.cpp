// Facts about the platform layer: stored byte orders, sizes, the memory
// file, and the hooks tests and callers install.
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "kvtm/kvtm.h"

namespace {

typedef uint32_t (*Routine)(void*, void*, uint8_t, uint32_t);

TEST(BaseRoutines, StoredBytesInBothOrders) {
  struct Row {
    const char* name;
    Routine store;
    Routine load;
    std::vector<uint8_t> memory;  // the value in this host's layout
    uint8_t format;
    std::vector<uint8_t> stored;
  };
  const uint16_t s = 0x1234;
  const uint32_t l = 0x89ABCDEF;
  const float f = 1.5f;  // 0x3FC00000
  const double d = -2.0;  // 0xC000000000000000
  auto bytes = [](const void* p, size_t n) {
    const uint8_t* b = static_cast<const uint8_t*>(p);
    return std::vector<uint8_t>(b, b + n);
  };
  const Row rows[] = {
      {"char", CharStore, CharStore, {0xA5}, 2, {0xA5}},
      {"short lsb", ShortStore, ShortStore, bytes(&s, 2), 1, {0x34, 0x12}},
      {"short msb", ShortStore, ShortStore, bytes(&s, 2), 2, {0x12, 0x34}},
      {"short flags ignored", ShortStore, ShortStore, bytes(&s, 2), 0xF2, {0x12, 0x34}},
      {"short other code", ShortStore, ShortStore, bytes(&s, 2), 5, {0x34, 0x12}},
      {"long msb", LongStore, LongStore, bytes(&l, 4), 2, {0x89, 0xAB, 0xCD, 0xEF}},
      {"long lsb", LongStore, LongStore, bytes(&l, 4), 1, {0xEF, 0xCD, 0xAB, 0x89}},
      {"int msb", IntStore, IntLoad, bytes(&l, 4), 2, {0x89, 0xAB, 0xCD, 0xEF}},
      {"unsigned msb", UnsignedStore, UnsignedLoad, bytes(&l, 4), 2, {0x89, 0xAB, 0xCD, 0xEF}},
      {"float msb", FloatStore, FloatStore, bytes(&f, 4), 2, {0x3F, 0xC0, 0x00, 0x00}},
      {"float lsb", FloatStore, FloatStore, bytes(&f, 4), 1, {0x00, 0x00, 0xC0, 0x3F}},
      {"double msb", DoubleStore, DoubleStore, bytes(&d, 8), 2, {0xC0, 0, 0, 0, 0, 0, 0, 0}},
      {"double lsb", DoubleStore, DoubleStore, bytes(&d, 8), 1, {0, 0, 0, 0, 0, 0, 0, 0xC0}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    std::vector<uint8_t> memory = r.memory;
    std::vector<uint8_t> stored(r.stored.size());
    EXPECT_EQ(r.store(stored.data(), memory.data(), r.format, 1), r.stored.size());
    EXPECT_EQ(stored, r.stored);
    std::vector<uint8_t> back(r.memory.size());
    EXPECT_EQ(r.load(back.data(), stored.data(), r.format, 1), r.stored.size());
    EXPECT_EQ(back, r.memory);
  }
}

TEST(BaseRoutines, ManyValuesUnalignedAndInPlace) {
  // 1001 values from an odd address exercise the vector loop and its tail.
  std::vector<uint8_t> raw(1001 * 4 + 1);
  for (size_t i = 0; i < raw.size(); ++i) raw[i] = static_cast<uint8_t>(i * 7);
  std::vector<uint8_t> out(raw.size());
  EXPECT_EQ(LongStore(out.data() + 1, raw.data() + 1, 2, 1001), 4004u);
  for (size_t i = 0; i < 1001; ++i)
    for (size_t k = 0; k < 4; ++k) ASSERT_EQ(out[1 + i * 4 + k], raw[1 + i * 4 + 3 - k]);
  // Converting in place twice restores the bytes.
  std::vector<uint8_t> copy = raw;
  DoubleStore(copy.data(), copy.data(), 2, 500);
  DoubleStore(copy.data(), copy.data(), 2, 500);
  EXPECT_EQ(copy, raw);
  EXPECT_EQ(ShortStore(out.data(), raw.data(), 2, 0), 0u);
}

TEST(BaseRoutines, Sizes) {
  struct Row {
    uint32_t (*size)(void*, uint8_t, uint8_t, uint32_t);
    uint32_t (*nullSize)(uint32_t);
    uint32_t width;
  };
  const Row rows[] = {{CharSizeGet, CharNullSizeGet, 1},   {ShortSizeGet, ShortNullSizeGet, 2},
                      {LongSizeGet, LongNullSizeGet, 4},   {IntSizeGet, IntNullSizeGet, 4},
                      {FloatSizeGet, FloatNullSizeGet, 4}, {DoubleSizeGet, DoubleNullSizeGet, 8}};
  for (const Row& r : rows) {
    for (uint32_t count : {0u, 1u, 3u, 1000u}) {
      EXPECT_EQ(r.size(nullptr, 8, 2, count), count * r.width);
      EXPECT_EQ(r.size(nullptr, 8, 1, count), count * r.width);
      EXPECT_EQ(r.nullSize(count), count * r.width);
    }
  }
}

TEST(MemFile, SeekLooksAndMoves) {
  const uint8_t data[] = {1, 2, 3, 4, 5};
  MemFile file(data, 5, 1);
  EXPECT_EQ(file.EndGet(), 5u);
  EXPECT_EQ(file.PosGet(), 1u);

  unsigned long length = 2;
  const uint8_t* p = file.Seek(0, KvSEEK_CUR, &length, 0);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p[0], 2);
  EXPECT_EQ(length, 2u);
  EXPECT_EQ(file.PosGet(), 1u);  // mode 0 only looks

  length = 10;
  p = file.Seek(1, KvSEEK_CUR, &length, 1);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p[0], 3);
  EXPECT_EQ(length, 3u);  // only what is left
  EXPECT_EQ(file.PosGet(), 5u);

  length = 1;
  EXPECT_EQ(file.Seek(0, KvSEEK_CUR, &length, 0), nullptr);  // at the end
  EXPECT_EQ(length, 0u);
  length = 1;
  EXPECT_EQ(file.Seek(-6, KvSEEK_END, &length, 0), nullptr);  // before the start
  EXPECT_EQ(length, 0u);
  length = 1;
  EXPECT_EQ(file.Seek(6, KvSEEK_SET, &length, 0), nullptr);  // past the end
  length = 1;
  p = file.Seek(-1, KvSEEK_END, &length, 0);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(*p, 5);
  EXPECT_EQ(file.Seek(0, KvSEEK_SET, nullptr, 0), nullptr);  // no length asks nothing
  file.Seek(2, KvSEEK_SET, nullptr, 0);
  length = 1;
  EXPECT_EQ(file.Seek(0, 3, &length, 1), nullptr);  // no such origin: refused
  EXPECT_EQ(length, 0u);
  EXPECT_EQ(file.PosGet(), 2u);

  MemFile empty(nullptr, 10);
  EXPECT_EQ(empty.EndGet(), 0u);
  length = 1;
  EXPECT_EQ(empty.Seek(0, KvSEEK_SET, &length, 0), nullptr);
}

std::vector<std::string> reports;
void CountReport(const char* expression, const char* file, int line) {
  reports.push_back(std::string(expression) + "|" + file + "|" + std::to_string(line));
}

TEST(Assert, HandlerReceivesReportsAndCanBeRestored) {
  reports.clear();
  KvAssertHandler previous = KvSetAssertHandler(CountReport);
  EXPECT_EQ(KIVO_assert("\"String overflow\" && 0", "src\\kvstring", 1149), 0);
  EXPECT_EQ(KvSetAssertHandler(previous), CountReport);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0], "\"String overflow\" && 0|src\\kvstring|1149");

  testing::internal::CaptureStderr();
  KvSetAssertHandler(nullptr);  // the default handler
  KIVO_assert("x > 0", "src\\kvtypes", 7);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "assertion failed: x > 0 (src\\kvtypes:7)\n");
  KvSetAssertHandler(previous);
}

TEST(Clock, OverridePinsBothRoutines) {
  const bdate date = {2001, 5, 7};
  const btime time = {13, 45, 30, 0, 3600};
  KvSetClockOverride(&date, &time);
  bdate d = {};
  btime t = {};
  rozararoze(&d);
  dadavuvuve(&t);
  EXPECT_EQ(d.year, 2001);
  EXPECT_EQ(d.month, 5);
  EXPECT_EQ(d.day, 7);
  EXPECT_EQ(t.hour, 13);
  EXPECT_EQ(t.minute, 45);
  EXPECT_EQ(t.second, 30);
  EXPECT_EQ(t.zoneOffset, 3600);

  KvSetClockOverride(nullptr, nullptr);
  rozararoze(&d);
  dadavuvuve(&t);
  EXPECT_GE(d.year, 2020);
  EXPECT_GE(d.month, 1);
  EXPECT_LE(d.month, 12);
  EXPECT_LE(t.hour, 23);
  EXPECT_LE(t.second, 59);
}

TEST(Config, EntriesBySectionAndKey) {
  KvConfig config;
  testing::internal::CaptureStderr();
  const int skipped = config.LoadText(
      "; comment\n# comment\n[debug]\nstringOverflow = 1\n  neg=-12  \n[Other]\nhex = 0x1F\n"
      "broken\nkey = 12abc\n[unterminated\n= 5\nbig = 4294967296\n",
      "inline");
  const std::string errors = testing::internal::GetCapturedStderr();
  EXPECT_EQ(skipped, 5);
  EXPECT_NE(errors.find("inline:8: malformed line ignored"), std::string::npos);
  EXPECT_NE(errors.find("inline:12: malformed line ignored"), std::string::npos);

  int32_t v = 99;
  EXPECT_EQ(config.Get("debug", "stringOverflow", &v), 1);
  EXPECT_EQ(v, 1);
  EXPECT_EQ(config.Get("DEBUG", "STRINGOVERFLOW", &v), 1);  // INI names ignore case
  EXPECT_EQ(config.Get("debug", "neg", &v), 1);
  EXPECT_EQ(v, -12);
  EXPECT_EQ(config.Get("other", "hex", &v), 1);
  EXPECT_EQ(v, 31);
  v = 99;
  EXPECT_EQ(config.Get("debug", "hex", &v), 0);
  EXPECT_EQ(v, 99);  // untouched when absent
  config.Set("debug", "hex", 7);
  EXPECT_EQ(config.Get("debug", "hex", &v), 1);
  EXPECT_EQ(v, 7);
  config.Set("debug", "hex", 8);
  EXPECT_EQ(config.Get("debug", "hex", &v), 1);
  EXPECT_EQ(v, 8);
}

TEST(Config, MissingFileIsReportedNotFatal) {
  KvConfig config;
  testing::internal::CaptureStderr();
  EXPECT_EQ(config.LoadFile("/nonexistent/kvtm.ini"), -1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "kvtm config: cannot read /nonexistent/kvtm.ini\n");
}

TEST(Config, DefaultObjectCanBeReplaced) {
  KvConfig* builtIn = DefaultConfig(KV_CONFIG_CURRENT);
  ASSERT_NE(builtIn, nullptr);
  EXPECT_EQ(DefaultConfig(KV_CONFIG_CURRENT), builtIn);
  KvConfig mine;
  mine.Set("debug", "stringOverflow", 1);
  EXPECT_EQ(DefaultConfig(&mine), builtIn);
  EXPECT_EQ(DefaultConfig(KV_CONFIG_CURRENT), &mine);
  EXPECT_EQ(DefaultConfig(nullptr), &mine);
  EXPECT_EQ(DefaultConfig(KV_CONFIG_CURRENT), builtIn);
}

// Run by ctest in a process whose KVTM_CONFIG names tests/data/debug.ini.
TEST(ConfigFromEnvironment, FileNamedByTheVariableIsLoaded) {
  if (std::getenv("KVTM_CONFIG") == nullptr) GTEST_SKIP() << "KVTM_CONFIG is not set";
  int32_t v = 0;
  EXPECT_EQ(DefaultConfig(KV_CONFIG_CURRENT)->Get("debug", "stringOverflow", &v), 1);
  EXPECT_EQ(v, 1);
  EXPECT_EQ(DefaultConfig(KV_CONFIG_CURRENT)->Get("limits", "maxKey", &v), 1);
  EXPECT_EQ(v, 32);
}

int handlerCalls = 0;
unsigned long handlerSize = 0;
int NoteFailure(unsigned long size) {
  ++handlerCalls;
  handlerSize = size;
  return 0;
}

TEST(Memory, FailedAllocationCallsTheHandler) {
  KvMemoryHandler previous = KvSetMemoryHandler(NoteFailure);
  handlerCalls = 0;
  KvSetAllocFailure(1);  // one more success, then failures
  void* ok = KvMemAlloc(16);
  EXPECT_NE(ok, nullptr);
  EXPECT_EQ(KvMemAlloc(40), nullptr);
  EXPECT_EQ(handlerCalls, 1);
  EXPECT_EQ(handlerSize, 40u);
  KvSetAllocFailure(-1);
  void* zero = KvMemAllocZero(3);
  ASSERT_NE(zero, nullptr);
  EXPECT_EQ(std::memcmp(zero, "\0\0\0", 3), 0);
  EXPECT_EQ(handlerCalls, 1);
  KvMemFree(ok);
  KvMemFree(zero);
  KvMemFree(nullptr);
  EXPECT_EQ(KvSetMemoryHandler(previous), NoteFailure);
}

TEST(Memory, DefaultHandlerAborts) {
  EXPECT_DEATH(KvCallMemoryHandler(123), "out of memory allocating 123 bytes");
}

TEST(LanguageContext, DefaultsOfANewProcessAndSetters) {
  ___KvI18NContext(1);
  EXPECT_EQ(KvLanguageContext::GetDefaultCodeSet(), 1);
  EXPECT_EQ(KvLanguageContext::GetDefault8CodeSet(), 1);
  EXPECT_EQ(KvLanguageContext::GetDefault16CodeSet(), 253);
  EXPECT_EQ(KvLanguageContext::GetDefaultLanguage(), 1);
  EXPECT_EQ(KvLanguageContext::GetDefaultCmpOp(), 0x0010);
  EXPECT_EQ(KvLanguageContext::GetNativeCodeSet(), 1);
  KvLanguageContext::SetDefaultCodeSet(253);
  KvLanguageContext::SetDefaultLanguage(3);
  KvLanguageContext::SetDefaultCmpOp(0x0030);
  EXPECT_EQ(KvLanguageContext::GetDefaultCodeSet(), 253);
  EXPECT_EQ(KvLanguageContext::GetDefault8CodeSet(), 1);
  EXPECT_EQ(KvLanguageContext::GetDefaultLanguage(), 3);
  EXPECT_EQ(KvLanguageContext::GetDefaultCmpOp(), 0x0030);
  ___KvI18NContext(1);
  EXPECT_EQ(KvLanguageContext::GetDefaultCodeSet(), 1);
}

}  // namespace
