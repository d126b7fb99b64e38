// Facts about the KvIString and KvCaseIString rows: stored blocks in both
// byte orders, loads, sizes, the key form, the compare functions with
// patterns and cut operands, and the evaluators.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "kvtable.h"
#include "kvtm/kvtm.h"
#include "test_util.h"

namespace {

constexpr char kI = KvTYPE_ISTRING;
constexpr char kCase = KvTYPE_CASEISTRING;

int reports = 0;
void CountReport(const char*, const char*, int) { ++reports; }

// count values of row `id` made by its Create, holding `texts`.
class Values {
 public:
  Values(char id, std::vector<const char*> texts, uint8_t attributes = 0)
      : id_(id), n_(static_cast<uint32_t>(texts.size())), p_(mgr_.Create(id, n_)) {
    for (uint32_t i = 0; i < n_; ++i) {
      if (id == kI) {
        At<KvIString>(i) = texts[i];
        At<KvIString>(i).AttributesSet(attributes);
      } else {
        At<KvCaseIString>(i) = texts[i];
        At<KvCaseIString>(i).AttributesSet(attributes);
      }
    }
  }
  ~Values() { mgr_.Delete(id_, p_, n_); }
  void* Get() const { return p_; }
  std::string Text(uint32_t i) const {
    return id_ == kI ? At<KvIString>(i).StrGet() : At<KvCaseIString>(i).StrGet();
  }
  bool Null(uint32_t i) const { return id_ == kI ? !At<KvIString>(i) : !At<KvCaseIString>(i); }

 private:
  template <typename S>
  S& At(uint32_t i) const {
    return static_cast<S*>(p_)[i];
  }
  KvTypeMgr mgr_;
  char id_;
  uint32_t n_;
  void* p_;
};

TEST(IStringRows, StoredBlocksAndLoads) {
  struct Row {
    char id;
    std::vector<const char*> texts;
    uint8_t format;
    Bytes stored;
  };
  const Row rows[] = {
      {kI, {"ab"}, 1, {0x40, 0x03, 0x00, 'a', 'b', 0x00}},
      {kI, {"ab"}, 2, {0x40, 0x00, 0x03, 'a', 'b', 0x00}},
      {kI, {"ab"}, 0x81, {0x01, 0x03, 0x00, 'a', 'b', 0x00}},
      {kI, {"ab"}, 0x82, {0x01, 0x00, 0x03, 'a', 'b', 0x00}},
      {kI, {"ab"}, 0x11, {0x40, 0x03, 0x00, 'a', 'b', 0x00}},
      {kCase, {"ab"}, 0x11, {0x01, 0x03, 0x00, 'a', 'b', 0x00}},
      {kCase, {"ab"}, 0x21, {0x01, 0x03, 0x00, 'a', 'b', 0x00}},
      {kCase, {"ab"}, 0x02, {0x40, 0x00, 0x03, 'a', 'b', 0x00}},
      {kI, {"ab", "", "c"}, 2, {0x40, 0x00, 0x06, 'a', 'b', 0x00, 0x00, 'c', 0x00}},
      {kCase, {"\xDF", ""}, 1, {0x40, 0x03, 0x00, 0xDF, 0x00, 0x00}},
      {kI, {}, 1, {0x40, 0x00, 0x00}},
  };
  KvTypeMgr mgr;
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << int{r.id} << " format " << int{r.format});
    const uint32_t n = static_cast<uint32_t>(r.texts.size());
    Values values(r.id, r.texts);
    Bytes stored(r.stored.size() + 4, 0xEE);
    EXPECT_EQ(mgr.Store(r.id, stored.data(), values.Get(), r.format, n), r.stored.size());
    EXPECT_EQ(Bytes(stored.begin(), stored.begin() + r.stored.size()), r.stored);
    EXPECT_EQ(stored.back(), 0xEE);
    EXPECT_EQ(mgr.DiskLenGet(r.id, values.Get(), r.format, n, 8), r.stored.size());

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
  struct Row {
    const char* what;
    char id;
    std::vector<const char*> texts;  // values in memory, when `stored` is empty
    Bytes stored;
    uint8_t valueFormat, storedFormat;
    uint32_t size;
  };
  const Row rows[] = {
      {"memory, plain", kI, {"ab", "", "c"}, {}, 8, 1, 9},
      {"memory, folded: 223 and 140 weigh twice", kI, {"Stra\xDF" "e", "\x8C"}, {}, 8, 0x81, 14},
      {"memory, no folded memory form", kI, {"ab"}, {}, 8, 0x88, 0},
      {"stored, T in format 2", kCase, {}, {0x40, 0x00, 0x06, 'a', 'b', 0, 0, 'c', 0}, 2, 1, 9},
      {"stored, folded", kCase, {}, {0x40, 0x02, 0x00, 0xDF, 0}, 1, 0x81, 6},
      {"stored key: its T", kI, {}, {0xC0, 0x09, 0x00, 0x4E, 0}, 1, 0x81, 12},
  };
  KvTypeMgr mgr;
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    Values values(r.id, r.texts);
    Bytes block = r.stored;
    void* p = block.empty() ? values.Get() : block.data();
    const uint32_t n = block.empty() ? static_cast<uint32_t>(r.texts.size()) : 1;
    EXPECT_EQ(mgr.DiskLenGet(r.id, p, r.storedFormat, n, r.valueFormat), r.size);
  }
  for (char id : {kI, kCase}) {
    const KvTypeDescriptor* row = kvStandardTable[KvTypeIndex(id)];
    EXPECT_EQ(row->NullSizeGet(0), 3u);
    EXPECT_EQ(row->NullSizeGet(3), 6u);
    EXPECT_EQ(mgr.MemLenGet(id, 2), 2 * sizeof(KvIString));
  }
}

TEST(IStringRows, SizesFromAMemoryFile) {
  struct Row {
    const char* what;
    Bytes file;
    uint32_t position;
    uint8_t format;
    uint32_t count;
    uint32_t size;
  };
  const Row rows[] = {
      {"whole block", {0x40, 0x03, 0x00, 'a', 'b', 0, 0x77}, 0, 1, 1, 6},
      {"at a position, format 2", {0x77, 0x40, 0x00, 0x03, 'a', 'b', 0}, 1, 2, 1, 6},
      {"folded size", {0x40, 0x03, 0x00, 0xDF, 'a', 0}, 0, 0x81, 1, 7},
      {"the file ends inside the block", {0x40, 0x03, 0x00, 'a', 'b'}, 0, 1, 1, 65535},
      {"the same, two values", {0x40, 0x05, 0x00, 'a', 0, 'b'}, 0, 1, 2, 131070},
      {"a T that runs far past the end", {0x40, 0xFF, 0xFF, 'a', 0}, 0, 0x81, 1, 65535},
      {"the file ends inside the header", {0x77, 0x40, 0x03}, 1, 1, 1, 65535},
      {"nothing left to read", {0x40, 0x00, 0x00}, 3, 1, 1, 0},
  };
  KvTypeMgr mgr;
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    MemFile file(r.file.data(), static_cast<uint32_t>(r.file.size()), r.position);
    EXPECT_EQ(mgr.DiskLenGetFromMemFile(kI, &file, r.format, r.count), r.size);
    EXPECT_EQ(file.PosGet(), r.position);
  }
}

TEST(IStringRows, KeyForm) {
  struct Row {
    const char* what;
    char id;
    const char* text;  // a value in memory, when `source` is empty
    Bytes source;
    uint8_t targetFormat;
    uint32_t targetLength;
    Bytes key;  // the first targetLength bytes of the target
    uint32_t result;
  };
  const Row rows[] = {
      {"memory ab", kI, "ab", {}, 0x81, 10, {0xC0, 0x03, 0x00, 0x4E, 0x5A, 0, 0, 0, 0, 0}, 6},
      {"case folding", kCase, "ab", {}, 0x81, 6, {0xC0, 0x03, 0x00, 0x54, 0x5B, 0}, 6},
      {"format 2", kI, "ab", {}, 0x82, 6, {0xC0, 0x00, 0x03, 0x4E, 0x5A, 0}, 6},
      {"accents dropped, 223 as two weights", kI, "\xE9\xDF", {}, 0x81, 8,
       {0xC0, 0x04, 0x00, 0x64, 0x9C, 0x9C, 0, 0}, 7},
      {"cut: T tells the whole key", kI, "abcd", {}, 0x81, 6, {0xC0, 0x05, 0x00, 0x4E, 0x5A, 0}, 6},
      {"no room for a key", kI, "ab", {}, 0x81, 3, {0xEE, 0xEE, 0xEE}, 0},
      {"stored, marker 0x40", kI, "", {0x40, 0x03, 0x00, 'a', 'b', 0}, 0x81, 6,
       {0xC0, 0x03, 0x00, 0x4E, 0x5A, 0}, 6},
      {"stored, marker 0x01", kCase, "", {0x01, 0x00, 0x03, 'a', 'b', 0}, 0x82, 6,
       {0xC1, 0x00, 0x03, 0x54, 0x5B, 0}, 6},
      {"stored, cut to the target", kI, "", {0x40, 0x04, 0x00, 'a', 'b', 'c', 0}, 0x81, 5,
       {0xC0, 0x04, 0x00, 0x4E, 0}, 5},
      {"stored key: copied", kI, "", {0xC0, 0x03, 0x00, 0x4E, 0x5A, 0}, 0x81, 8,
       {0xC0, 0x03, 0x00, 0x4E, 0x5A, 0, 0, 0}, 6},
  };
  KvTypeMgr mgr;
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    Values value(r.id, {r.text});
    Bytes source = r.source;
    const bool memory = source.empty();
    Bytes target(r.targetLength + 8, 0xEE);
    EXPECT_EQ(mgr.Translate(r.id, target.data(), r.targetFormat, r.targetLength,
                            memory ? value.Get() : source.data(), memory ? 8 : 1,
                            static_cast<uint32_t>(source.size()), 1),
              r.result);
    EXPECT_EQ(Bytes(target.begin(), target.begin() + r.targetLength), r.key);
    EXPECT_EQ(Bytes(target.begin() + r.targetLength, target.end()), Bytes(8, 0xEE));
  }
}

TEST(IStringRows, TranslateOtherwise) {
  struct Row {
    const char* what;
    char id;
    Bytes source;
    uint8_t sourceFormat;
    uint32_t sourceLength;
    uint32_t count;
    std::vector<const char*> texts;
    uint32_t result;
  };
  const Row rows[] = {
      {"a key back to capitals", kCase, {0xC0, 0x03, 0x00, 0x54, 0x5B, 0}, 0x81, 6, 1, {"AB"}, 6},
      {"a weight and its accent", kCase, {0xC0, 0x03, 0x00, 0x54, 0x03, 0}, 0x81, 6, 1, {"\xC0"}, 6},
      {"a cut key, as far as it goes", kCase, {0xC0, 0x09, 0x00, 0x54, 0x5B, 0}, 0x81, 6, 2,
       {"AB", ""}, 6},
      {"a block, as Load", kI, {0x40, 0x05, 0x00, 'a', 'b', 0, 'c', 0}, 1, 8, 2, {"ab", "c"}, 8},
      {"a cut block ends the text", kI, {0x40, 0x05, 0x00, 'a', 'b', 0, 'c'}, 1, 7, 2, {"ab", "c"}, 7},
      {"the rest is empty", kI, {0x40, 0x05, 0x00, 'a', 'b'}, 1, 5, 2, {"ab", ""}, 5},
      {"no header", kI, {0x40, 0x05}, 1, 2, 1, {"old"}, 0},
  };
  KvTypeMgr mgr;
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    Values values(r.id, std::vector<const char*>(r.count, "old"));
    Bytes source = r.source;
    EXPECT_EQ(mgr.Translate(r.id, values.Get(), 8, 0, source.data(), r.sourceFormat,
                            r.sourceLength, r.count),
              r.result);
    for (uint32_t i = 0; i < r.count; ++i) EXPECT_EQ(values.Text(i), r.texts[i]);
  }

  // Memory into a short stored target: the block is cut at its length.
  Values long_(kI, {"abcdef"});
  Bytes target(9, 0xEE);
  EXPECT_EQ(mgr.Translate(kI, target.data(), 1, 5, long_.Get(), 8, 0, 1), 5u);
  EXPECT_EQ(target, (Bytes{0x40, 0x07, 0x00, 'a', 'b', 0xEE, 0xEE, 0xEE, 0xEE}));
  // Stored to stored copies, zero-filling a longer target.
  Bytes block = {0x40, 0x02, 0x00, 'a', 0};
  EXPECT_EQ(mgr.Translate(kI, target.data(), 2, 7, block.data(), 1, 5, 1), 5u);
  EXPECT_EQ(target, (Bytes{0x40, 0x02, 0x00, 'a', 0, 0, 0, 0xEE, 0xEE}));
  // Memory to memory assigns as many values as both lengths hold.
  Values from(kCase, {"x", "y"}), to(kCase, {"", ""});
  EXPECT_EQ(mgr.Translate(kCase, to.Get(), 8, sizeof(KvCaseIString), from.Get(), 8, 0, 2),
            sizeof(KvCaseIString));
  EXPECT_EQ(to.Text(0), "x");
  EXPECT_EQ(to.Text(1), "");
  EXPECT_EQ(mgr.Translate(kCase, to.Get(), 0x88, 64, from.Get(), 8, 0, 2), 0u);  // no memory key
}

// A stored block of one text in format 1.
Bytes Block(const std::string& text, uint8_t marker = 0x40) {
  Bytes b = {marker, static_cast<uint8_t>(text.size() + 1), static_cast<uint8_t>((text.size() + 1) >> 8)};
  b.insert(b.end(), text.begin(), text.end());
  b.push_back(0);
  return b;
}

TEST(IStringRows, CompareInMemory) {
  struct Row {
    const char* what;
    char id;
    const char* a;
    uint8_t attributes;  // operand 1's; 0x80: its text is weights
    const char* b;
    unsigned short op;
    int sign, status;
  };
  const int kOpen = KvCMP_INCOMPLETE;
  const Row rows[] = {
      {"lower case below its capital", kI, "a", 0, "A", 0, -1, 0},
      {"equal weights: the bytes decide", kI, "\xE9", 0, "e", 0, 1, 0},
      {"exact: the weights alone", kI, "Stra\xDF" "e", 0, "Strasse", KvCMP_EXACT, 0, 0},
      {"case: equal weights, the bytes decide", kCase, "ABC", 0, "abc", 0, -1, 0},
      {"case: accents weigh", kCase, "\xE9", 0, "e", KvCMP_EXACT, 1, 0},
      {"escaped star: a star", kI, "a*b", 0, "a\\*b", 0, 0, 0},
      {"escaped star: not another character", kI, "axb", 0, "a\\*b", 0, 1, 0},
      {"escaped star: not a shorter text", kI, "ab", 0, "a\\*b", 0, 1, 0},
      {"below the text before the pattern", kI, "", 0, "a\\*b", 0, -1, 0},
      {"c folds to a backslash byte but is no escape", kI, "cx", 0, "c*", 0, 0, 0},
      {"c in a plain text", kI, "ab", 0, "abc", 0, -1, 0},
      {"a question mark takes 223 whole", kI, "Stra\xDF" "e", 0, "Stra?e", 0, 0, 0},
      {"matching ignores accents", kI, "\xE9t\xE9", 0, "et*", 0, 0, 0},
      {"KvIString matching keeps case", kI, "Abc", 0, "a*", 0, 1, 0},
      {"KvCaseIString matching ignores it", kCase, "Abc", 0, "a*", 0, 0, 0},
      {"backslash n is a line feed", kI, "\n", 0, "\\n", 0, 0, 0},
      {"a lone backslash never matches", kI, "a\\", 0, "a\\", 0, 1, 0},
      {"exact: a star is a character", kI, "ab", 0, "a*", KvCMP_EXACT, 1, 0},
      {"key against a lone star", kI, "\x4E\x5A", 0x80, "*", 0, 0, 0},
      {"key against a pattern: undecided", kI, "\x4E\x5A", 0x80, "a*", 0, 0, kOpen},
      {"case key against a pattern: matched", kCase, "\x54\x5B", 0x80, "a*", 0, 0, kOpen},
      {"case key against another pattern", kCase, "\x54\x5B", 0x80, "b*", 0, -1, kOpen},
      {"key against text: never final", kI, "\x4E\x5A", 0x80, "ab", 0, 0, kOpen},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    Values a(r.id, {r.a}, r.attributes), b(r.id, {r.b});
    int status = 99;
    const long result = KvTypeMgr().Cmp(r.id, 0, a.Get(), 0, b.Get(), r.op, 1, 8, status);
    EXPECT_EQ((result > 0) - (result < 0), r.sign);
    EXPECT_EQ(status, r.status);
  }
  Values a(kI, {"a", "b", "c"}), b(kI, {"a", "b", "d"});
  const unsigned long one = sizeof(KvIString);
  struct Walk { unsigned long length1; unsigned long count; int sign, status; };
  for (const Walk& w : {Walk{0, 3, -1, 0}, Walk{2 * one, 3, 0, kOpen}, Walk{one - 1, 1, 0, kOpen},
                        Walk{0, 0, 0, 0}}) {
    int status = 99;
    const long result = KvIStringCompare(8, w.length1, a.Get(), 0, b.Get(), 0, w.count, status);
    EXPECT_EQ((result > 0) - (result < 0), w.sign);
    EXPECT_EQ(status, w.status);
  }
}

TEST(IStringRows, CompareStored) {
  struct Row {
    const char* what;
    uint8_t format;
    Bytes a;
    unsigned long length1;
    Bytes b;
    unsigned long length2;
    unsigned long count;
    int sign, status;
  };
  const int kOpen = KvCMP_INCOMPLETE;
  const Bytes abc = Block("abc");
  // "ABCD" cut to 6 bytes; capitals weigh alike in both classes.
  const Bytes cutKey = {0xC0, 0x05, 0x00, 0x54, 0x5B, 0x00};
  const Bytes two = {0x40, 0x06, 0x00, 'a', 'b', 0, 'c', 'd', 0};
  const Row rows[] = {
      {"exact lengths", 1, Block("ab"), 6, Block("ab"), 6, 1, 0, 0},
      {"format 2", 2, {0x40, 0x00, 0x03, 'a', 'b', 0}, 0, {0x40, 0x00, 0x04, 'a', 'b', 'c', 0}, 0, 1, -1, 0},
      {"cut operand 1, equal so far", 1, abc, 5, Block("abd"), 0, 1, 0, kOpen},
      {"cut operand 1, longer than operand 2", 1, abc, 5, Block("ab"), 0, 1, 1, 0},
      {"cut operand 1, different", 1, abc, 5, Block("b"), 0, 1, -1, 0},
      {"cut operand 1, may still match", 1, abc, 5, Block("a*c"), 0, 1, 0, kOpen},
      {"cut operand 1, cannot match", 1, abc, 5, Block("b*"), 0, 1, -1, 0},
      {"a pattern with marker 0x40", 1, Block("a*b"), 0, Block("a\\*b"), 0, 1, 0, 0},
      {"cut key against text", 1, cutKey, 6, Block("ABZZ"), 0, 1, 0, kOpen},
      {"cut key against a lone star", 1, cutKey, 6, Block("*"), 0, 1, 0, 0},
      {"cut key without its length", 1, cutKey, 0, {0xC0, 0x04, 0x00, 0x54, 0x5B, 0x5E, 0}, 0, 1, 0, kOpen},
      {"two keys", 1, Block("\x4E\x5A", 0xC0), 0, Block("\x4E\x5C", 0xC0), 0, 1, -1, 0},
      {"a length field past the buffer", 1, {0x40, 0xFF, 0xFF, 'a', 'b'}, 5, Block("ab"), 6, 1, 1, 0},
      {"no header", 1, {0x40, 0x03}, 2, Block("ab"), 0, 1, 0, kOpen},
      {"arrays: the second element decides", 1, two, 9, {0x40, 0x06, 0x00, 'a', 'b', 0, 'c', 'e', 0}, 9, 2, -1, 0},
      {"arrays: the last element at the end", 1, two, 9, two, 9, 2, 0, 0},
      {"arrays: buffer 2 ends after the first", 1, two, 9, two, 6, 2, 0, kOpen},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    // Exactly the bytes given, so that a read past them is caught.
    Bytes a(r.a.begin(), r.a.begin() + (r.length1 != 0 ? r.length1 : r.a.size()));
    Bytes b(r.b.begin(), r.b.begin() + (r.length2 != 0 ? r.length2 : r.b.size()));
    for (char id : {kI, kCase}) {
      int status = 99;
      const long result = KvTypeMgr().Cmp(id, r.length1, a.data(), r.length2, b.data(), 0, r.count, r.format, status);
      EXPECT_EQ((result > 0) - (result < 0), r.sign) << int{id};
      EXPECT_EQ(status, r.status) << int{id};
    }
  }
}

TEST(IStringRows, CutOperand2LongerThanAKey) {
  const Bytes whole = Block(std::string(300, 'a'));
  for (unsigned long length2 : {257ul, 256ul}) {
    Bytes a = Block("b"), b(whole.begin(), whole.begin() + length2);
    int status = 99;
    const long result = KvIStringCompare(1, 0, a.data(), length2, b.data(), 0, 1, status);
    EXPECT_EQ(result > 0 ? 1 : result < 0 ? -1 : 0, length2 == 257 ? -1 : 1);
    EXPECT_EQ(status, length2 == 257 ? KvCMP_KEY_TOO_LONG : 0);
  }
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
  EXPECT_EQ(mgr.Delete(id, nullptr, 3), nullptr);
}

TEST(IStringRows, ConstructAssignCopyDestroy) {
  ConstructAssignCopyDestroy<KvIString>(kI);
  ConstructAssignCopyDestroy<KvCaseIString>(kCase);
}

}  // namespace
