// ordered_index — an ordered index of strings built on the type manager, as
// an engine builds one: rows are stored records, the index holds their keys
// in the key form, sorted by the row's compare function, and a condition is
// answered by a range scan between the bounds the row's evaluator makes.
// Every answer is checked against a full scan of the records; the exit
// status is 1 when one differs.
#include <kvtm/kvtm.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// Records, keys and condition values are all in one byte order.
constexpr uint8_t kFormat = KvFORMAT_MSB_FIRST;

KvTypeMgr* mgr = nullptr;

const char* Name(char id) { return id == KvTYPE_STRING ? "KvString" : "KvCaseIString"; }

// The stored record of a text as a value of `id`: a KvString in Unicode, or
// a KvCaseIString, whose texts are 8-bit (Windows-1252).
Bytes RecordOf(char id, const std::string& utf8) {
  KvString text(KvCS_UNICODE, KvLANG_NEUTRAL);
  KvMBS2KvString(utf8.c_str(), text, static_cast<long>(utf8.size()));
  KvCaseIString eight;
  void* value = &text;
  if (id == KvTYPE_CASEISTRING) {
    text.MapToCodeSet(KvCS_CP1252);
    value = &(eight = text.StrGet());
  }
  Bytes record(mgr->DiskLenGet(id, value, kFormat, 1, KvFORMAT_MEMORY));
  record.resize(mgr->Store(id, record.data(), value, kFormat, 1));
  return record;
}

// The index key of a record: its key form, cut at KvINDEX_MAX_KEYLEN bytes.
Bytes KeyOf(char id, const Bytes& record) {
  uint8_t key[KvINDEX_MAX_KEYLEN];
  const unsigned long n = mgr->Translate(id, key, kFormat | KvFORMAT_KEY, sizeof key,
                                         const_cast<uint8_t*>(record.data()), kFormat,
                                         record.size(), 1);
  return Bytes(key, key + n);
}

// Compares two stored operands: keys, records or condition values. The
// status is KvCMP_INCOMPLETE when the bytes given could not decide.
long Compare(char id, const Bytes& a, const Bytes& b, unsigned short op, int* status = nullptr) {
  int s = 0;
  const long r = mgr->Cmp(id, a.size(), const_cast<uint8_t*>(a.data()), b.size(),
                          const_cast<uint8_t*>(b.data()), op, 1, kFormat, s);
  if (status != nullptr) *status = s;
  return r;
}

// An index entry; an engine would read the record from its row, the entry
// carries it to keep the example short.
struct Entry { Bytes key, record; size_t row; };

// The index order: by key under KvCMP_EXACT (a '*' held in a text is a
// character, not a pattern). Keys order as their values do, so any non-zero
// key compare decides, incomplete or not; keys that tie (the cut keys of
// long texts that begin alike; case variants, whose KvCaseIString keys are
// equal) are ordered by the whole records, and equal records by the row.
struct IndexOrder {
  using is_transparent = void;  // a bare key (a scan bound) is looked up too
  char id;
  bool operator()(const Entry& a, const Entry& b) const {
    if (const long k = Compare(id, a.key, b.key, KvCMP_EXACT); k != 0) return k < 0;
    if (const long v = Compare(id, a.record, b.record, KvCMP_EXACT); v != 0) return v < 0;
    return a.row < b.row;
  }
  bool operator()(const Entry& a, const Bytes& key) const { return Compare(id, a.key, key, KvCMP_EXACT) < 0; }
  bool operator()(const Bytes& key, const Entry& b) const { return Compare(id, key, b.key, KvCMP_EXACT) < 0; }
};
using Index = std::set<Entry, IndexOrder>;

bool Holds(unsigned short relation, long r) {
  return (r < 0 && (relation & KvREL_LESS)) || (r == 0 && (relation & KvREL_EQUAL)) ||
         (r > 0 && (relation & KvREL_GREATER));
}

// A condition: one part, or two for a range, each "column relation value"
// under a compare operator.
struct Part { unsigned short relation, op; std::string text; };
struct Query { char id; const char* shown; std::vector<Part> parts; };

std::string Shown(const std::string& text) {  // the long texts are ASCII at both ends
  return text.size() <= 20 ? text : text.substr(0, 8) + "..." + text.substr(text.size() - 6);
}

// Answers a query through the index and through a full scan; false when
// they differ.
bool Run(const Query& q, const std::vector<std::string>& texts, const std::vector<Bytes>& records,
         const Index& index) {
  std::printf("%s %s\n", Name(q.id), q.shown);
  std::vector<Bytes> values;
  KvIdxBounds bounds = {nullptr, nullptr, 0, 0};
  bool widened = false;
  for (const Part& p : q.parts) {
    values.push_back(RecordOf(q.id, p.text));
    // The operator rides in the relation word, which comes back holding the
    // relation bits alone, and KvREL_WIDENED when the value was a pattern.
    // A bound once set stays: the parts of a range each add their own.
    unsigned short word = static_cast<unsigned short>(p.relation | p.op);
    mgr->EvalAndBound(q.id, nullptr, word, values.back().data(), kFormat, 1, &bounds);
    widened = widened || (word & KvREL_WIDENED) != 0;
  }
  // The bound keys were allocated by the library; the caller frees them.
  const Bytes low = bounds.low ? Bytes(bounds.low, bounds.low + bounds.lowLength) : Bytes();
  const Bytes high = bounds.high ? Bytes(bounds.high, bounds.high + bounds.highLength) : Bytes();
  KvMemFree(bounds.low);
  KvMemFree(bounds.high);

  // The scan: from the first key not below the low bound while keys are
  // not above the high one; a missing bound leaves that end open. Each key
  // is compared with each value under the part's operator.
  std::vector<size_t> found;
  size_t scanned = 0, undecided = 0;
  for (auto it = low.empty() ? index.begin() : index.lower_bound(low);
       it != index.end() && (high.empty() || Compare(q.id, it->key, high, KvCMP_EXACT) <= 0); ++it) {
    ++scanned;
    bool match = true;
    for (size_t j = 0; j < q.parts.size(); ++j) {
      int status = 0;
      long r = Compare(q.id, it->key, values[j], q.parts[j].op, &status);
      // The key could not decide (it is cut, or blind to accents or bytes
      // that count): the whole record does.
      if (status == KvCMP_INCOMPLETE) {
        r = Compare(q.id, it->record, values[j], q.parts[j].op);
        ++undecided;
      }
      match = Holds(q.parts[j].relation, r) && match;
    }
    if (match) found.push_back(it->row);
  }
  std::printf("  bounds: %s, %s%s; %zu of %zu keys scanned, %zu left to the record\n  ",
              low.empty() ? "no low" : "low", high.empty() ? "no high" : "high",
              widened ? " (widened)" : "", scanned, index.size(), undecided);
  for (size_t row : found) std::printf("%s | ", Shown(texts[row]).c_str());
  std::printf("%zu rows\n", found.size());

  // The full scan: every record against every part.
  std::vector<size_t> expected;
  for (size_t i = 0; i < records.size(); ++i) {
    bool match = true;
    for (size_t j = 0; j < q.parts.size(); ++j)
      match = Holds(q.parts[j].relation, Compare(q.id, records[i], values[j], q.parts[j].op)) && match;
    if (match) expected.push_back(i);
  }
  std::sort(found.begin(), found.end());
  if (found == expected) return true;
  std::printf("  MISMATCH: the full scan finds %zu rows\n", expected.size());
  return false;
}

}  // namespace

int main() {
  ___KvTypemgrContext(1);
  mgr = DefaultTypeMgr(nullptr);
  // A bound longer than an index key is cut to KvINDEX_MAX_KEYLEN bytes and
  // reported; it still holds every key it must.
  KvSetAssertHandler([](const char* expression, const char*, int) {
    std::printf("  reported: %s\n", expression);
  });

  // Two long texts that begin alike: their keys are cut, and tie.
  std::string prose;
  while (prose.size() < 260) prose += "Le chat de la voisine dort au soleil sur le rebord de la fenêtre. ";
  const std::vector<std::string> texts = {
      "cote", "Cote", "COTE", "côte", "coté", "côté", "Côte", "coteau", "cotée", "Straße",
      "strasse", "STRASSE", "zèbre", "Zebra", prose + "Fin A.", prose + "Fin B.", "abc"};
  const std::vector<Query> queries = {
      {KvTYPE_STRING, "= 'COT*' ignoring case and accents",
       {{KvREL_EQUAL, KvCMP_IGNORE_CASE | KvCMP_IGNORE_ACCENTS, "COT*"}}},
      {KvTYPE_STRING, ">= 'côte' and < 'strasse'",
       {{KvREL_EQUAL | KvREL_GREATER, 0, "côte"}, {KvREL_LESS, 0, "strasse"}}},
      {KvTYPE_STRING, "= the long text ending 'Fin B.'", {{KvREL_EQUAL, 0, prose + "Fin B."}}},
      {KvTYPE_STRING, "= '*e' (a leading wildcard: no bounds)", {{KvREL_EQUAL, 0, "*e"}}},
      {KvTYPE_CASEISTRING, "= 'cote' (operator 0: equal weights ordered by bytes)",
       {{KvREL_EQUAL, 0, "cote"}}},
      {KvTYPE_CASEISTRING, "= 'cote' (exact: case does not count)", {{KvREL_EQUAL, KvCMP_EXACT, "cote"}}},
      {KvTYPE_CASEISTRING, "= 'STRA*'", {{KvREL_EQUAL, 0, "STRA*"}}},
      {KvTYPE_CASEISTRING, "> the long text ending 'Fin A.'", {{KvREL_GREATER, 0, prose + "Fin A."}}},
  };

  bool ok = true;
  for (char id : {KvTYPE_STRING, KvTYPE_CASEISTRING}) {
    std::vector<Bytes> records;
    Index index(IndexOrder{id});
    for (size_t row = 0; row < texts.size(); ++row) {
      records.push_back(RecordOf(id, texts[row]));
      index.insert(Entry{KeyOf(id, records.back()), records.back(), row});
    }
    std::printf("%s index in key order:\n  ", Name(id));
    for (const Entry& e : index) std::printf("%s | ", Shown(texts[e.row]).c_str());
    std::printf("\n");
    for (const Query& q : queries)
      if (q.id == id) ok = Run(q, texts, records, index) && ok;
  }

  ___KvTypemgrContext(0);
  std::printf(ok ? "every answer agrees with the full scan\n" : "an answer differs from the full scan\n");
  return ok ? 0 : 1;
}
