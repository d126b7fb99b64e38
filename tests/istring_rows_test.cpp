// Facts about the KvIString and KvCaseIString rows: stored blocks in both
// byte orders, loads, sizes, the key form, the compare functions with
// patterns and cut operands, and the evaluators.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "kvtable.h"
#include "kvtm/kvtm.h"
#include "test_util.h"

namespace {

constexpr char kI = KvTYPE_ISTRING;
constexpr char kCase = KvTYPE_CASEISTRING;
constexpr int kOpen = KvCMP_INCOMPLETE;

// Values of row `id` made by its Create (one object, or an array for more).
class Values {
  template <typename F>
  auto With(uint32_t i, F f) const {
    return id_ == kI ? f(static_cast<KvIString*>(p_)[i]) : f(static_cast<KvCaseIString*>(p_)[i]);
  }
  char id_;
  uint32_t n_;
  void* p_;

 public:
  Values(char id, std::vector<const char*> texts, uint8_t attributes = 0)
      : id_(id), n_(static_cast<uint32_t>(texts.size())), p_(KvTypeMgr().Create(id, n_)) {
    for (uint32_t i = 0; i < n_; ++i)
      With(i, [&](auto& v) { return (v = texts[i]).AttributesSet(attributes); });
  }
  ~Values() { KvTypeMgr().Delete(id_, p_, n_); }
  void* Get() const { return p_; }
  std::string Text(uint32_t i) const {
    return With(i, [](auto& v) { return std::string(v.StrGet()); });
  }
  bool Null(uint32_t i) const { return With(i, [](auto& v) { return !v != 0; }); }
};

// A stored block of one text in format 1.
Bytes Block(const std::string& text, uint8_t marker = 0x40) {
  const size_t t = text.size() + 1;
  Bytes b(t + 3, 0);
  b[0] = marker;
  b[1] = static_cast<uint8_t>(t);
  b[2] = static_cast<uint8_t>(t >> 8);
  std::copy(text.begin(), text.end(), b.begin() + 3);
  return b;
}

int Sign(long v) { return (v > 0) - (v < 0); }

TEST(IStringRows, StoredBlocksAndLoads) {
  struct Row { char id; std::vector<const char*> texts; uint8_t format; Bytes stored; };
  const Row rows[] = {
      {kI, {"ab"}, 1, {0x40, 0x03, 0x00, 'a', 'b', 0x00}},
      {kI, {"ab"}, 0x81, {0x01, 0x03, 0x00, 'a', 'b', 0x00}},
      {kI, {"ab"}, 0x82, {0x01, 0x00, 0x03, 'a', 'b', 0x00}},
      {kI, {"ab"}, 0x11, {0x40, 0x03, 0x00, 'a', 'b', 0x00}},
      {kCase, {"ab"}, 0x11, {0x01, 0x03, 0x00, 'a', 'b', 0x00}},
      {kCase, {"ab"}, 0x02, {0x40, 0x00, 0x03, 'a', 'b', 0x00}},
      {kI, {"ab", "", "c"}, 2, {0x40, 0x00, 0x06, 'a', 'b', 0x00, 0x00, 'c', 0x00}},
      {kI, {}, 1, {0x40, 0x00, 0x00}},
  };
  KvTypeMgr mgr;
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << int{r.id} << " format " << int{r.format});
    const uint32_t n = static_cast<uint32_t>(r.texts.size());
    Values values(r.id, r.texts);
    Bytes stored(r.stored.size() + 1, 0xEE);
    EXPECT_EQ(mgr.Store(r.id, stored.data(), values.Get(), r.format, n), r.stored.size());
    EXPECT_EQ(Bytes(stored.begin(), stored.end() - 1), r.stored);
    EXPECT_EQ(stored.back(), 0xEE);
    Values loaded(r.id, std::vector<const char*>(n, "old"));
    Bytes block = r.stored;
    EXPECT_EQ(mgr.Load(r.id, loaded.Get(), block.data(), r.format, n), r.stored.size());
    for (uint32_t i = 0; i < n; ++i) {
      EXPECT_EQ(loaded.Text(i), r.texts[i]);
      EXPECT_EQ(loaded.Null(i), r.texts[i][0] == 0);  // an empty text is held as null
    }
  }
}

TEST(IStringRows, Sizes) {
  // Values in memory, unless `stored` holds a block.
  struct Row { const char* what; char id; std::vector<const char*> texts; Bytes stored;
               uint8_t valueFormat, storedFormat; uint32_t size; };
  const Row rows[] = {
      {"memory", kI, {"ab", "", "c"}, {}, 8, 1, 9},
      {"memory, folded: 223 and 140 weigh twice", kI, {"Stra\xDF" "e", "\x8C"}, {}, 8, 0x81, 14},
      {"no folded memory form", kI, {"ab"}, {}, 8, 0x88, 0},
      {"stored, T in format 2", kCase, {}, {0x40, 0x00, 0x06, 'a', 'b', 0, 0, 'c', 0}, 2, 1, 9},
      {"stored, folded", kCase, {}, {0x40, 0x02, 0x00, 0xDF, 0}, 1, 0x81, 6},
  };
  KvTypeMgr mgr;
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    Values values(r.id, r.texts);
    Bytes block = r.stored;
    const bool memory = block.empty();
    EXPECT_EQ(mgr.DiskLenGet(r.id, memory ? values.Get() : block.data(), r.storedFormat,
                             memory ? r.texts.size() : 1, r.valueFormat),
              r.size);
  }
  for (char id : {kI, kCase}) {
    EXPECT_EQ(kvStandardTable[KvTypeIndex(id)]->NullSizeGet(0), 3u);
    EXPECT_EQ(kvStandardTable[KvTypeIndex(id)]->NullSizeGet(3), 6u);
    EXPECT_EQ(mgr.MemLenGet(id, 2), 2 * sizeof(KvIString));
  }
}

TEST(IStringRows, SizesFromAMemoryFile) {
  struct Row { const char* what; Bytes file; uint32_t position; uint8_t format;
               uint32_t count, size; };
  const Row rows[] = {
      {"at a position, format 2", {0x77, 0x40, 0x00, 0x03, 'a', 'b', 0, 0x77}, 1, 2, 1, 6},
      {"folded", {0x40, 0x03, 0x00, 0xDF, 'a', 0}, 0, 0x81, 1, 7},
      {"the file ends inside the block", {0x40, 0x05, 0x00, 'a', 0, 'b'}, 0, 1, 2, 131070},
      {"folded, T runs far past the end", {0x40, 0xFF, 0xFF, 'a', 0}, 0, 0x81, 1, 65535},
      {"the file ends inside the header", {0x77, 0x40, 0x03}, 1, 1, 1, 65535},
      {"nothing left to read", {0x40, 0x00, 0x00}, 3, 1, 1, 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    MemFile file(r.file.data(), static_cast<uint32_t>(r.file.size()), r.position);
    EXPECT_EQ(KvTypeMgr().DiskLenGetFromMemFile(kI, &file, r.format, r.count), r.size);
    EXPECT_EQ(file.PosGet(), r.position);
  }
}

TEST(IStringRows, KeyForm) {
  // A value in memory, unless `source` holds a block; the target is as
  // long as `key`.
  struct Row { const char* what; char id; const char* text; Bytes source; uint8_t format;
               Bytes key; uint32_t result; };
  const Row rows[] = {
      {"memory", kI, "ab", {}, 0x81, {0xC0, 0x03, 0x00, 0x4E, 0x5A, 0, 0, 0, 0, 0}, 6},
      {"case weights, format 2", kCase, "ab", {}, 0x82, {0xC0, 0x00, 0x03, 0x54, 0x5B, 0}, 6},
      {"no accents; 223 weighs twice", kI, "\xE9\xDF", {}, 0x81,
       {0xC0, 0x04, 0x00, 0x64, 0x9C, 0x9C, 0}, 7},
      {"cut: T tells the whole key", kI, "abcd", {}, 0x81, {0xC0, 0x05, 0x00, 0x4E, 0x5A, 0}, 6},
      {"no room for a key", kI, "ab", {}, 0x81, {0xEE, 0xEE, 0xEE}, 0},
      {"stored, marker 0x40 folded", kI, "", Block("ab"), 0x81,
       {0xC0, 0x03, 0x00, 0x4E, 0x5A, 0}, 6},
      {"stored, marker 0x01 kept", kCase, "", Block("ab", 0x01), 0x81,
       {0xC1, 0x03, 0x00, 0x54, 0x5B, 0}, 6},
      {"stored, cut", kI, "", Block("abc"), 0x81, {0xC0, 0x04, 0x00, 0x4E, 0}, 5},
      {"a key is copied", kI, "", Block("\x4E", 0xC0), 0x81, {0xC0, 0x02, 0x00, 0x4E, 0, 0}, 5},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    Values value(r.id, {r.text});
    Bytes source = r.source;
    const bool memory = source.empty();
    const uint32_t length = static_cast<uint32_t>(r.key.size());
    Bytes target(length + 8, 0xEE);
    EXPECT_EQ(KvTypeMgr().Translate(r.id, target.data(), r.format, length,
                                    memory ? value.Get() : source.data(), memory ? 8 : 1,
                                    static_cast<uint32_t>(source.size()), 1),
              r.result);
    EXPECT_EQ(Bytes(target.begin(), target.begin() + length), r.key);
    EXPECT_EQ(Bytes(target.begin() + length, target.end()), Bytes(8, 0xEE));  // never past it
  }
}

TEST(IStringRows, TranslateOtherwise) {
  struct Row { const char* what; char id; Bytes source; uint8_t format;
               std::vector<const char*> texts; uint32_t result; };
  const Row rows[] = {
      {"a key back to capitals", kCase, {0xC0, 0x03, 0x00, 0x54, 0x5B, 0}, 0x81, {"AB"}, 6},
      {"a weight and its accent", kCase, {0xC0, 0x03, 0x00, 0x54, 0x03, 0}, 0x81, {"\xC0"}, 6},
      {"a cut key", kCase, {0xC0, 0x09, 0x00, 0x54, 0x5B, 0}, 0x81, {"AB", ""}, 6},
      {"a block, as Load", kI, {0x40, 0x05, 0x00, 'a', 'b', 0, 'c', 0}, 1, {"ab", "c"}, 8},
      {"a cut block", kI, {0x40, 0x05, 0x00, 'a', 'b', 0, 'c'}, 1, {"ab", "c"}, 7},
      {"a cut block, the rest empty", kI, {0x40, 0x05, 0x00, 'a', 'b'}, 1, {"ab", ""}, 5},
      {"no header", kI, {0x40, 0x05}, 1, {"old"}, 0},
  };
  KvTypeMgr mgr;
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    const uint32_t n = static_cast<uint32_t>(r.texts.size());
    Values values(r.id, std::vector<const char*>(n, "old"));
    Bytes source = r.source;  // exactly its length, so that a read past it is caught
    EXPECT_EQ(mgr.Translate(r.id, values.Get(), 8, 0, source.data(), r.format,
                            static_cast<uint32_t>(source.size()), n),
              r.result);
    for (uint32_t i = 0; i < n; ++i) EXPECT_EQ(values.Text(i), r.texts[i]);
  }
  // Memory into a short stored target: the block is cut at its length.
  Values text(kI, {"abcdef"});
  Bytes target(7, 0xEE);
  EXPECT_EQ(mgr.Translate(kI, target.data(), 1, 5, text.Get(), 8, 0, 1), 5u);
  EXPECT_EQ(target, (Bytes{0x40, 0x07, 0x00, 'a', 'b', 0xEE, 0xEE}));
  // Memory into a stored target it fits: the block, the rest zeroed; with
  // no length given, the block as Store writes it.
  Values ab(kCase, {"ab"});
  Bytes roomy(9, 0xEE);
  EXPECT_EQ(mgr.Translate(kCase, roomy.data(), 2, 8, ab.Get(), 8, 0, 1), 6u);
  EXPECT_EQ(roomy, (Bytes{0x40, 0x00, 0x03, 'a', 'b', 0, 0, 0, 0xEE}));
  Bytes unbounded(7, 0xEE);
  EXPECT_EQ(mgr.Translate(kCase, unbounded.data(), 1, 0, ab.Get(), 8, 0, 1), 6u);
  EXPECT_EQ(unbounded, (Bytes{0x40, 0x03, 0x00, 'a', 'b', 0, 0xEE}));
  // Stored to stored copies into a zeroed target, whatever the formats.
  Bytes block = Block("a");
  EXPECT_EQ(mgr.Translate(kI, target.data(), 2, 6, block.data(), 1, 5, 1), 5u);
  EXPECT_EQ(target, (Bytes{0x40, 0x02, 0x00, 'a', 0, 0, 0xEE}));
  // Memory to memory: as many values as both lengths hold.
  Values from(kCase, {"x", "y"}), to(kCase, {"", ""});
  EXPECT_EQ(mgr.Translate(kCase, to.Get(), 8, sizeof(KvCaseIString), from.Get(), 8, 0, 2),
            sizeof(KvCaseIString));
  EXPECT_EQ(to.Text(0) + to.Text(1), "x");
  EXPECT_EQ(mgr.Translate(kCase, to.Get(), 0x88, 64, from.Get(), 8, 0, 2), 0u);
}

TEST(IStringRows, CompareInMemory) {
  // attributes: operand 1's (0x80: its text is weights).
  struct Row { const char* what; char id; const char* a; uint8_t attributes; const char* b;
               unsigned short op; int sign, status; };
  const Row rows[] = {
      {"lower case below its capital", kI, "a", 0, "A", 0, -1, 0},
      {"equal weights: the bytes decide", kI, "\xE9", 0, "e", 0, 1, 0},
      {"exact: the weights alone", kI, "Stra\xDF" "e", 0, "Strasse", KvCMP_EXACT, 0, 0},
      {"case: accents weigh", kCase, "\xE9", 0, "e", KvCMP_EXACT, 1, 0},
      {"escaped star: a star", kI, "a*b", 0, "a\\*b", 0, 0, 0},
      {"escaped star: not another character", kI, "axb", 0, "a\\*b", 0, 1, 0},
      {"below the text before the pattern", kI, "", 0, "a\\*b", 0, -1, 0},
      {"c folds to a backslash byte but is no escape", kI, "cx", 0, "c*", 0, 0, 0},
      {"a question mark takes 223 whole", kI, "Stra\xDF" "e", 0, "Stra?e", 0, 0, 0},
      {"223 after a star matches its two weights", kI, "Strasse", 0, "S*\xDF" "e", 0, 0, 0},
      {"... and not one of them", kI, "Strase", 0, "S*\xDF" "e", 0, 1, 0},
      {"KvIString matching ignores accents, keeps case", kI, "\xE9T", 0, "eT*", 0, 0, 0},
      {"KvCaseIString matching ignores it", kCase, "Abc", 0, "a*", 0, 0, 0},
      {"backslash n is a line feed", kI, "\n", 0, "\\n", 0, 0, 0},
      {"a lone backslash never matches", kI, "a\\", 0, "a\\", 0, 1, 0},
      {"key against a lone star", kI, "\x4E\x5A", 0x80, "*", 0, 0, 0},
      {"key against a pattern: undecided", kI, "\x4E\x5A", 0x80, "a*", 0, 0, kOpen},
      {"case key against a pattern: matched", kCase, "\x54\x5B", 0x80, "b*", 0, -1, kOpen},
      {"key against text: never final", kI, "\x4E\x5A", 0x80, "ab", 0, 0, kOpen},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    Values a(r.id, {r.a}, r.attributes), b(r.id, {r.b});
    int status = 99;
    EXPECT_EQ(Sign(KvTypeMgr().Cmp(r.id, 0, a.Get(), 0, b.Get(), r.op, 1, 8, status)), r.sign);
    EXPECT_EQ(status, r.status);
  }
  // A key holding a star is a pattern of weights, matched weight by weight.
  for (char id : {kI, kCase}) {
    uint8_t second = 0;
    const uint8_t a = id == kI ? KvIString::Fold('a', second) : KvCaseIString::Fold('a', second);
    const uint8_t star = id == kI ? KvIString::Fold('*', second) : KvCaseIString::Fold('*', second);
    const char folded[] = {static_cast<char>(a), static_cast<char>(star), 0};
    Values pattern(id, {folded}, 0x80);
    struct Text { const char* text; int sign; };
    for (const Text& t : {Text{"abc", 0}, Text{"a", 0}, Text{"xbc", 1}, Text{"", -1}}) {
      SCOPED_TRACE(t.text);
      Values text(id, {t.text});
      int status = 99;
      EXPECT_EQ(Sign(KvTypeMgr().Cmp(id, 0, text.Get(), 0, pattern.Get(), 0, 1, 8, status)), t.sign);
      EXPECT_EQ(status, 0);
    }
  }
  // Arrays: an element lies wholly within its buffer, or it is missing.
  Values a(kI, {"a", "b", "c"}), b(kI, {"a", "b", "d"});
  const unsigned long one = sizeof(KvIString);
  struct Walk { unsigned long length1, count; int sign, status; };
  for (const Walk& w : {Walk{0, 3, -1, 0}, Walk{2 * one, 3, 0, kOpen}, Walk{2 * one, 2, 0, 0},
                        Walk{one - 1, 1, 0, kOpen}, Walk{0, 0, 0, 0}}) {
    int status = 99;
    EXPECT_EQ(Sign(KvIStringCompare(8, w.length1, a.Get(), 0, b.Get(), 0, w.count, status)),
              w.sign);
    EXPECT_EQ(status, w.status);
  }
}

TEST(IStringRows, CompareStored) {
  // A length of 0 passes the whole block as unknown length.
  struct Row { const char* what; uint8_t format; Bytes a; unsigned long length1; Bytes b;
               unsigned long length2, count; int sign, status; };
  const Bytes abc = Block("abc");
  // "ABCD" cut to 6 bytes; capitals weigh alike in both classes.
  const Bytes cutKey = {0xC0, 0x05, 0x00, 0x54, 0x5B, 0x00};
  const Bytes two = {0x40, 0x06, 0x00, 'a', 'b', 0, 'c', 'd', 0};
  const Bytes twoKeys = {0xC0, 0x06, 0x00, 'a', 'b', 0, 'c', 'd', 0};
  const Row rows[] = {
      {"exact lengths", 1, Block("ab"), 6, Block("ab"), 6, 1, 0, 0},
      {"format 2", 2, {0x40, 0x00, 0x03, 'a', 'b', 0}, 0, {0x40, 0x00, 0x04, 'a', 'b', 'c', 0}, 0,
       1, -1, 0},
      {"cut operand 1, equal so far", 1, abc, 5, Block("abd"), 0, 1, 0, kOpen},
      {"cut operand 1, longer than operand 2", 1, abc, 5, Block("ab"), 0, 1, 1, 0},
      {"cut operand 1, may still match", 1, abc, 5, Block("a*c"), 0, 1, 0, kOpen},
      {"cut operand 1, cannot match", 1, abc, 5, Block("b*"), 0, 1, -1, 0},
      // A lone backslash never matches, but where a cut text stands against
      // the text before it is unknown.
      {"cut operand 1 against a failing pattern", 1, Block("abz"), 5, Block("abc\\"), 0, 1, 0,
       kOpen},
      {"cut pattern: decided before its wildcard", 1, Block("b"), 0, Block("a*cdef"), 7, 1, 1, 0},
      {"cut pattern: open after it", 1, Block("abc"), 0, Block("a*cdef"), 7, 1, 0, kOpen},
      {"a pattern with marker 0x40", 1, Block("a*b"), 0, Block("a\\*b"), 0, 1, 0, 0},
      {"cut key against text", 1, cutKey, 6, Block("ABZZ"), 0, 1, 0, kOpen},
      {"cut key against a lone star", 1, cutKey, 6, Block("*"), 0, 1, 0, 0},
      {"cut key, its length not given", 1, cutKey, 0, Block("\x54\x5B\x5E", 0xC0), 0, 1, 0,
       kOpen},
      {"two keys", 1, Block("\x4E\x5A", 0xC0), 0, Block("\x4E\x5C", 0xC0), 0, 1, -1, 0},
      {"a length field past the buffer", 1, {0x40, 0xFF, 0xFF, 'a', 'b'}, 5, Block("ab"), 6, 1,
       1, 0},
      {"no header", 1, {0x40, 0x03}, 2, Block("ab"), 0, 1, 0, kOpen},
      {"arrays: the second element decides", 1, two, 9,
       {0x40, 0x06, 0x00, 'a', 'b', 0, 'c', 'e', 0}, 9, 2, -1, 0},
      {"arrays: the last element at the end", 1, two, 9, two, 9, 2, 0, 0},
      {"arrays: buffer 2 ends after the first", 1, two, 9, two, 6, 2, 0, kOpen},
      // What follows a cut text outranks an accent before its end.
      {"cut operand 2, equal letters so far", 1, Block("\xE9" "a"), 0, Block("ez"), 4, 1, 0, kOpen},
      {"cut pattern, equal letters so far", 1, Block("\xE9" "b"), 0, Block("e*b"), 5, 1, 0, kOpen},
      // A star may follow the cut, or only the zero may be missing.
      {"cut operand 2 where operand 1 ends", 1, Block("ab"), 0, Block("ab*"), 5, 1, -1, kOpen},
      {"cut pattern where operand 1 ends", 1, Block("ab"), 0, Block("ab**"), 6, 1, -1, kOpen},
      {"only the last zero cut off", 1, Block("ab"), 0, Block("ab"), 5, 1, 0, 0},
      {"arrays: a cut first text may end at the cut", 1, two, 9, two, 5, 2, 0, kOpen},
      {"arrays of keys: a first key may end at the cut", 1, twoKeys, 6, twoKeys, 9, 2, 0, kOpen},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    // Exactly the bytes given, so that a read past them is caught.
    Bytes a(r.a.begin(), r.a.begin() + (r.length1 != 0 ? r.length1 : r.a.size()));
    Bytes b(r.b.begin(), r.b.begin() + (r.length2 != 0 ? r.length2 : r.b.size()));
    for (KvTypeCmpFunc compare : {KvIStringCompare, KvCaseIStringCompare}) {
      int status = 99;
      const long result =
          compare(r.format, r.length1, a.data(), r.length2, b.data(), 0, r.count, status);
      EXPECT_EQ(Sign(result), r.sign);
      EXPECT_EQ(status, r.status);
    }
  }
  // A cut operand 2 holds at most 253 bytes of text, as a key does.
  const Bytes whole = Block(std::string(300, 'a'));
  for (unsigned long length2 : {257ul, 256ul}) {
    Bytes a = Block("b"), b(whole.begin(), whole.begin() + length2);
    int status = 99;
    EXPECT_EQ(Sign(KvIStringCompare(1, 0, a.data(), length2, b.data(), 0, 1, status)),
              length2 == 257 ? -1 : 1);
    EXPECT_EQ(status, length2 == 257 ? KvCMP_KEY_TOO_LONG : 0);
  }
}

TEST(IStringRows, CaseIStringOrdersAsItsKeys) {
  // Windows-1252: 201 É, 223 ß, 233 é.
  struct Row { const char* what; const char* a; const char* b; unsigned short op; int sign; };
  const Row rows[] = {
      {"the letters before the accents", "\xE9" "a", "ez", 0, -1},
      {"accents between equal letters", "e", "\xE9", 0, -1},
      {"223 is ss, then just below it", "\xDF", "ss", 0, -1},
      {"... and after sr", "\xDF", "sr", 0, 1},
      {"case variants: the bytes decide", "ABC", "abc", 0, -1},
      {"... not under the exact operator", "ABC", "abc", KvCMP_EXACT, 0},
      {"... where accents still weigh", "\xC9", "E", KvCMP_EXACT, 1},
      {"a pattern: its letters before the accents", "\xE9" "a", "ez*", 0, -1},
      {"... a text that ends with them", "\xE9", "e?", 0, -1},
      {"... its accents where the letters are equal", "eb", "\xE9*c", 0, -1},
      {"... matching ignores them", "\xE9" "b", "E*B", 0, 0},
  };
  KvTypeMgr mgr;
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    Values a(kCase, {r.a}), b(kCase, {r.b});
    for (uint8_t format : {8, 1, 2}) {
      Bytes sa(32), sb(32);
      const bool memory = format == 8;
      const unsigned long la = memory ? 0 : mgr.Store(kCase, sa.data(), a.Get(), format, 1);
      const unsigned long lb = memory ? 0 : mgr.Store(kCase, sb.data(), b.Get(), format, 1);
      int status = 99;
      EXPECT_EQ(Sign(mgr.Cmp(kCase, la, memory ? a.Get() : sa.data(), lb,
                             memory ? b.Get() : sb.data(), r.op, 1, format, status)),
                r.sign) << int{format};
      EXPECT_EQ(status, 0);
    }
  }
  // Wherever two keys differ, the values order as the keys do.
  const std::vector<const char*> words = {"", "a", "A", "\xE0", "ab", "e", "E", "\xE9", "\xC9",
      "\xE9" "a", "ea", "ez", "\xEA" "z", "f", "ss", "\xDF", "st", "sr", "Stra\xDF" "e",
      "Strasse", "Strase", "oe", "\x9C", "\x8C", "od", "of", "n", "\xF1", "y", "\xFF", "z"};
  Values values(kCase, words);
  KvCaseIString* v = static_cast<KvCaseIString*>(values.Get());
  for (uint8_t format : {1, 2}) {
    std::vector<Bytes> keys(words.size(), Bytes(254));
    for (uint32_t i = 0; i < words.size(); ++i)
      keys[i].resize(mgr.Translate(kCase, keys[i].data(), format | 0x80, 254, v + i, 8, 0, 1));
    for (uint32_t i = 0; i < words.size(); ++i)
      for (uint32_t j = 0; j < words.size(); ++j) {
        int status = 99;
        const int key = Sign(mgr.Cmp(kCase, keys[i].size(), keys[i].data(), keys[j].size(),
                                     keys[j].data(), 0, 1, format, status));
        const int value = Sign(mgr.Cmp(kCase, 0, v + i, 0, v + j, 0, 1, 8, status));
        EXPECT_TRUE(key == 0 || value == key) << words[i] << " vs " << words[j];
      }
  }
}

TEST(IStringRows, EvaluatorBounds) {
  struct Row { const char* what; char id; Bytes value; uint8_t format;
               unsigned short relation, relationAfter; Bytes low, high; };
  const Bytes ab = {0xC0, 0x03, 0x00, 0x4E, 0x5A, 0x00};
  const Bytes abAndMore = {0xC0, 0x04, 0x00, 0x4E, 0x5A, 0xFF, 0x00};
  const Row rows[] = {
      {"equal", kI, Block("ab"), 1, KvREL_EQUAL, KvREL_EQUAL, ab, ab},
      {"format 2", kI, {0x40, 0x00, 0x03, 'a', 'b', 0}, 2, KvREL_EQUAL, KvREL_EQUAL,
       {0xC0, 0x00, 0x03, 0x4E, 0x5A, 0x00}, {0xC0, 0x00, 0x03, 0x4E, 0x5A, 0x00}},
      {"a pattern widens the upper bound", kI, Block("ab*c"), 1, KvREL_EQUAL, 0x0009, ab,
       abAndMore},
      {"case weights", kCase, Block("aB?"), 1, KvREL_EQUAL, 0x0009,
       {0xC0, 0x03, 0x00, 0x54, 0x5B, 0x00}, {0xC0, 0x04, 0x00, 0x54, 0x5B, 0xFF, 0x00}},
      {"c is no escape", kI, Block("c"), 1, KvREL_EQUAL, KvREL_EQUAL,
       {0xC0, 0x02, 0x00, 0x5C, 0x00}, {0xC0, 0x02, 0x00, 0x5C, 0x00}},
      {"a key is taken as it is", kI, ab, 1, KvREL_EQUAL, KvREL_EQUAL, ab, ab},
      {"less: the upper bound", kI, Block("ab"), 1, KvREL_LESS, KvREL_LESS, {}, ab},
      {"operator bits go, the kept bit stays", kI, Block("ab"), 1, 0x8031, 0x8001, ab, ab},
      {"a leading star: no bound", kI, Block("*ab"), 1, KvREL_EQUAL, 0x0009, {}, {}},
      {"a leading escape: no bound", kI, Block("\\*"), 1, KvREL_EQUAL, 0x0009, {}, {}},
      {"an array: its first value", kI, {0x40, 0x06, 0x00, 'a', 'b', 0, 'c', 'd', 0}, 1,
       KvREL_EQUAL, KvREL_EQUAL, ab, ab},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    Bytes value = r.value;
    Bounds bounds;
    unsigned short relation = r.relation;
    const float estimate =
        KvTypeMgr().EvalAndBound(r.id, nullptr, relation, value.data(), r.format, 2, &bounds);
    if (r.low.empty() && r.high.empty()) {
      EXPECT_EQ(estimate, 1.0f);  // a leading pattern character takes every key
    }
    EXPECT_EQ(relation, r.relationAfter);
    EXPECT_EQ(bounds.Low(), r.low);
    EXPECT_EQ(bounds.High(), r.high);
  }
  // A value in memory form bounds as its stored block does; a folded one
  // is taken as the key it is.
  struct MemoryRow { char id; const char* text; uint8_t attributes; Bytes low, high; };
  const MemoryRow memoryRows[] = {
      {kI, "ab*c", 0, ab, abAndMore},
      {kCase, "aB?", 0, {0xC0, 0x03, 0x00, 0x54, 0x5B, 0x00},
       {0xC0, 0x04, 0x00, 0x54, 0x5B, 0xFF, 0x00}},
      {kI, "\x4E\x5A", 0x80, ab, ab},
  };
  for (const MemoryRow& r : memoryRows) {
    SCOPED_TRACE(r.text);
    Values value(r.id, {r.text}, r.attributes);
    Bounds bounds;
    unsigned short relation = KvREL_EQUAL;
    KvTypeMgr().EvalAndBound(r.id, nullptr, relation, value.Get(), 8, 1, &bounds);
    EXPECT_EQ(bounds.Low(), r.low);
    EXPECT_EQ(bounds.High(), r.high);
  }
}

TEST(IStringRows, EvaluatorEstimates) {
  struct Row { const char* what; const char* value; unsigned short relation; float estimate; };
  // Positions: apple 0x4E969682, zebra 0xB6645A9A, mango 0x844E8670; a
  // two-weight key stands for 0xFF01 positions (pad 0xFF00).
  const Row rows[] = {
      {"equal", "mango", KvREL_EQUAL, 1.0f / 1741538329},
      {"less", "mango", KvREL_LESS, 901246959.0f / 1741538329},
      {"greater", "mango", KvREL_GREATER, 840291370.0f / 1741538329},
      {"not equal", "mango", 0x0006, 1.0f},
      {"less, below the range", "aardvark", KvREL_LESS, 0.0f},
      {"greater, above the range", "zoo", KvREL_GREATER, 0.0f},
      {"a two-weight key, clamped below the range", "ab", KvREL_EQUAL, 1.0f / 1741538329},
  };
  Bytes apple = {0xC0, 0x06, 0x00, 0x4E, 0x96, 0x96, 0x82, 0x64, 0x00};
  Bytes zebra = {0xC0, 0x06, 0x00, 0xB6, 0x64, 0x5A, 0x9A, 0x4E, 0x00};
  KvIdxBounds words = {apple.data(), zebra.data(), 9, 9};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    Bytes value = Block(r.value);
    unsigned short relation = r.relation;
    EXPECT_FLOAT_EQ(KvTypeMgr().EvalAndBound(kI, &words, relation, value.data(), 1, 1, nullptr),
                    r.estimate);
  }
  Bytes a = {0xC0, 0x02, 0x00, 0x4E, 0x00}, z = Block("\xB6", 0xC0), ab = Block("ab");
  KvIdxBounds letters = {a.data(), z.data(), 5, 5};
  unsigned short relation = KvREL_EQUAL;
  EXPECT_FLOAT_EQ(KvTypeMgr().EvalAndBound(kI, &letters, relation, ab.data(), 1, 1, nullptr),
                  65281.0f / 0x68000001);
  // Without a range the whole key space is the range.
  relation = KvREL_LESS;
  EXPECT_FLOAT_EQ(KvTypeMgr().EvalAndBound(kI, nullptr, relation, ab.data(), 1, 1, nullptr),
                  0x4E5A0001 / 4294967296.0f);
}

TEST(IStringRows, EvaluatorKeepsBoundsWithinAKey) {
  Bytes value = Block(std::string(300, 'a')), ab = Block("ab");
  Bounds bounds;
  unsigned short relation = KvREL_EQUAL;
  {
    ReportCounter reports;
    KvTypeMgr().EvalAndBound(kI, nullptr, relation, value.data(), 1, 1, &bounds);
    EXPECT_EQ(reports.Count(), 2);
  }
  // 250 weights; the upper bound ends in 0xFF so that it still passes the value.
  EXPECT_EQ(bounds.Low(), Block(std::string(250, '\x4E'), 0xC0));
  EXPECT_EQ(bounds.High(), Block(std::string(249, '\x4E') + '\xFF', 0xC0));
  KvTypeMgr().EvalAndBound(kI, nullptr, relation, ab.data(), 1, 1, &bounds);
  EXPECT_EQ(bounds.lowLength, 254);  // a bound already set stays
}

template <typename S>
void ConstructAssignCopyDestroy(char id) {
  KvTypeMgr mgr;
  Values source(id, {"p", "q"}, 0x20);
  alignas(S) unsigned char raw[3 * sizeof(S)];
  S* v = reinterpret_cast<S*>(raw);
  mgr.ConstructorPtrGet(id)(raw, 3, 0);
  EXPECT_EQ(!v[2], 1);
  mgr.AssignmentPtrGet(id)(raw, source.Get(), 2, 0);  // pairwise, attributes taken
  EXPECT_STREQ(v[1].StrGet(), "q");
  EXPECT_EQ(v[1].AttributesGet(), 0x20);
  mgr.AssignmentPtrGet(id)(raw, source.Get(), 3, 1);  // every one from the first
  EXPECT_STREQ(v[2].StrGet(), "p");
  mgr.DestructorPtrGet(id)(raw, 3, 0);
  mgr.CopyPtrGet(id)(raw, source.Get(), 2, 0);  // copy construction: attributes 0
  EXPECT_STREQ(v[1].StrGet(), "q");
  EXPECT_EQ(v[1].AttributesGet(), 0);
  mgr.DestructorPtrGet(id)(raw, 2, 0);
}

TEST(IStringRows, ConstructAssignCopyDestroy) {
  ConstructAssignCopyDestroy<KvIString>(kI);
  ConstructAssignCopyDestroy<KvCaseIString>(kCase);
}

}  // namespace
