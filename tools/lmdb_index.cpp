// lmdb_index.cpp — an ordered index in LMDB driven by the type manager.
#include "lmdb_index.h"

#include <lmdb.h>
#include <stdlib.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

#include "kvtm/kvtm.h"

namespace kvlmdb {

namespace {

constexpr uint8_t kFormat = KvFORMAT_MSB_FIRST;
constexpr size_t kRowBytes = 4;  // a row number in index data, most significant byte first
constexpr uint8_t kMetaVersion = 1;

// The comparators LMDB calls have no context: they reach the library
// through a manager of their own (a manager owns nothing).
KvTypeMgr& Mgr() {
  static KvTypeMgr mgr;
  return mgr;
}

bool IsText(char id) { return id == KvTYPE_STRING || id == KvTYPE_ISTRING || id == KvTYPE_CASEISTRING; }

long Compare(char id, const void* a, size_t lengthA, const void* b, size_t lengthB, unsigned short op,
             int* status = nullptr) {
  int s = 0;
  const long r = Mgr().Cmp(id, lengthA, const_cast<void*>(a), lengthB, const_cast<void*>(b), op, 1, kFormat, s);
  if (status != nullptr) *status = s;
  return r;
}

int Sign(long r) { return (r > 0) - (r < 0); }

// The B-tree order: keys under the exact operator (a '*' held in a text is
// a character). Keys order as their values, so a non-zero result orders
// them whether it is incomplete or not; keys that tie are one LMDB key.
template <char Id>
int KeyOrder(const MDB_val* a, const MDB_val* b) {
  return Sign(Compare(Id, a->mv_data, a->mv_size, b->mv_data, b->mv_size, KvCMP_EXACT));
}

// The order of one key's duplicates: stored values by the full compare,
// then by row; references to the long database after them, by row.
template <char Id>
int DataOrder(const MDB_val* a, const MDB_val* b) {
  const bool heldA = a->mv_size > kRowBytes, heldB = b->mv_size > kRowBytes;
  if (heldA != heldB) return heldA ? -1 : 1;
  if (heldA) {
    if (const long r = Compare(Id, a->mv_data, a->mv_size - kRowBytes, b->mv_data, b->mv_size - kRowBytes,
                               KvCMP_EXACT))
      return Sign(r);
  }
  return std::memcmp(static_cast<const uint8_t*>(a->mv_data) + a->mv_size - kRowBytes,
                     static_cast<const uint8_t*>(b->mv_data) + b->mv_size - kRowBytes, kRowBytes);
}

struct Orders {
  char id;
  MDB_cmp_func* key;
  MDB_cmp_func* data;
};
template <char Id>
constexpr Orders OrdersOf() { return {Id, KeyOrder<Id>, DataOrder<Id>}; }
constexpr Orders kOrders[] = {OrdersOf<KvTYPE_STRING>(), OrdersOf<KvTYPE_ISTRING>(), OrdersOf<KvTYPE_CASEISTRING>(),
                              OrdersOf<KvTYPE_INT>(),    OrdersOf<KvTYPE_DOUBLE>(),  OrdersOf<KvTYPE_DATE>()};

const Orders* OrdersFor(char id) {
  for (const Orders& o : kOrders)
    if (o.id == id) return &o;
  return nullptr;
}

void Check(int rc, const std::string& what) {
  if (rc != 0) throw Error(what + ": " + mdb_strerror(rc));
}

void PutRow(uint8_t* at, uint32_t row) {
  for (size_t i = 0; i < kRowBytes; ++i) at[i] = static_cast<uint8_t>(row >> (8 * (kRowBytes - 1 - i)));
}
uint32_t RowAt(const uint8_t* at) {
  uint32_t row = 0;
  for (size_t i = 0; i < kRowBytes; ++i) row = row << 8 | at[i];
  return row;
}

// The meta record: version, type id, code set, language, format, rows.
const char kMetaKey[] = "index";
constexpr size_t kMetaBytes = 5 + kRowBytes;

std::string Name(char id) { return Mgr().NameGet(id, nullptr); }

bool Holds(unsigned short rel, long r) {
  return (r < 0 && (rel & KvREL_LESS)) || (r == 0 && (rel & KvREL_EQUAL)) || (r > 0 && (rel & KvREL_GREATER));
}

// Stores a value into `stored`, whose buffer is reused.
void StoreInto(char id, void* value, Bytes& stored) {
  stored.resize(Mgr().DiskLenGet(id, value, kFormat, 1, KvFORMAT_MEMORY));
  stored.resize(Mgr().Store(id, stored.data(), value, kFormat, 1));
  if (stored.empty()) throw Error("a " + Name(id) + " value that stores nothing (too long for its length field)");
}

Bytes StoredOf(char id, void* value) {
  Bytes stored;
  StoreInto(id, value, stored);
  return stored;
}

MDB_val Val(const void* data, size_t size) { return MDB_val{size, const_cast<void*>(data)}; }

// Opens the index and long databases with the type's orders, in `txn`.
void OpenTrees(MDB_txn* txn, char id, unsigned flags, unsigned* index, unsigned* longValues) {
  const Orders* orders = OrdersFor(id);
  Check(mdb_dbi_open(txn, "index", flags | MDB_DUPSORT, index), "opening the index database");
  Check(mdb_set_compare(txn, *index, orders->key), "setting the key order");
  Check(mdb_set_dupsort(txn, *index, orders->data), "setting the duplicate order");
  Check(mdb_dbi_open(txn, "long", flags, longValues), "opening the long values database");
}

MDB_env* NewEnv() {
  MDB_env* env = nullptr;
  Check(mdb_env_create(&env), "creating an LMDB environment");
  mdb_env_set_maxdbs(env, 3);
  return env;
}

}  // namespace

void EnvCloser::operator()(MDB_env* env) const { mdb_env_close(env); }
void TxnAborter::operator()(MDB_txn* txn) const { mdb_txn_abort(txn); }
Temporary::~Temporary() {
  std::error_code ignored;
  if (!path.empty()) std::filesystem::remove_all(path, ignored);
}

bool Handles(char id) { return OrdersFor(id) != nullptr; }

std::string Describe(const IndexType& type) {
  if (type.id != KvTYPE_STRING) return Name(type.id);
  return Name(type.id) + " (code set " + std::to_string(type.codeSet) + ", language " +
         std::to_string(type.language) + ")";
}

Builder::Builder(const std::string& path, const IndexType& type) : path_(path), type_(type) {
  if (!Handles(type.id))
    throw Error("an index of " + Name(type.id) + " values cannot be built (KvString, KvIString, KvCaseIString, int, "
                "double and KvDate can)");
  std::error_code error;
  if (std::filesystem::exists(path, error)) throw Error(path + " exists already");
  std::string pattern = path + ".building-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) throw Error("cannot create " + pattern + ": " + std::strerror(errno));
  temporary_.path = pattern;
  env_.reset(NewEnv());
  // No sync until the end (a failed build is thrown away), no lock file
  // (nobody else sees the temporary directory); room for any word list.
  mdb_env_set_mapsize(env_.get(), size_t(1) << (sizeof(size_t) > 4 ? 32 : 29));
  Check(mdb_env_open(env_.get(), pattern.c_str(), MDB_NOSYNC | MDB_NOLOCK, 0644), "opening " + pattern);
  MDB_txn* txn = nullptr;
  Check(mdb_txn_begin(env_.get(), nullptr, 0, &txn), "beginning the build");
  txn_.reset(txn);
  OpenTrees(txn, type.id, MDB_CREATE, &index_, &long_);
  Check(mdb_cursor_open(txn, index_, &cursor_), "opening a cursor");
  maxData_ = static_cast<size_t>(mdb_env_get_maxkeysize(env_.get()));
}

Builder::~Builder() = default;

void Builder::Add(void* value) {
  const char id = type_.id;
  Bytes& data = data_;  // reused from row to row
  StoreInto(id, value, data);
  if (id == KvTYPE_DATE && ((data[0] == 0xFF && data[1] == 0xFF) || data[2] == 0xFF || data[3] == 0xFF))
    throw Error("a date with a wildcard field cannot be indexed: it equals every date");
  uint8_t key[KvINDEX_MAX_KEYLEN];
  const size_t keyLength =
      IsText(id) ? Mgr().Translate(id, key, kFormat | KvFORMAT_KEY, sizeof key, data.data(), kFormat, data.size(), 1)
                 : (std::memcpy(key, data.data(), data.size()), data.size());
  uint8_t row[kRowBytes];
  PutRow(row, rows_);
  MDB_val k = Val(key, keyLength), rowKey = Val(row, kRowBytes);
  if (data.size() + kRowBytes > maxData_) {
    MDB_val stored = Val(data.data(), data.size());
    Check(mdb_put(txn_.get(), long_, &rowKey, &stored, MDB_APPEND), "storing a long value");
    data.clear();
  }
  data.insert(data.end(), row, row + kRowBytes);
  MDB_val d = Val(data.data(), data.size());
  // A key above every key so far goes at the end (MDB_APPEND): LMDB then
  // compares it with the last key alone instead of searching the tree, and
  // fills its pages. Values that come sorted, as a word list or a reload
  // does, take one compare a row here and one in LMDB.
  MDB_val largest = Val(largest_.data(), largest_.size());
  const bool above = rows_ == 0 || OrdersFor(id)->key(&k, &largest) > 0;
  Check(mdb_cursor_put(cursor_, &k, &d, above ? MDB_APPEND : 0), "adding to the index");
  if (above) largest_.assign(key, key + keyLength);
  ++rows_;
}

void Builder::Commit() {
  uint8_t meta[kMetaBytes] = {kMetaVersion, static_cast<uint8_t>(type_.id), type_.codeSet, type_.language, kFormat};
  PutRow(meta + 5, rows_);
  MDB_dbi dbi;
  Check(mdb_dbi_open(txn_.get(), "meta", MDB_CREATE, &dbi), "opening the meta database");
  MDB_val k = Val(kMetaKey, sizeof kMetaKey - 1), d = Val(meta, sizeof meta);
  Check(mdb_put(txn_.get(), dbi, &k, &d, 0), "writing the meta record");
  Check(mdb_txn_commit(txn_.release()), "committing the index");
  Check(mdb_env_sync(env_.get(), 1), "writing the index to disk");
  env_.reset();
  if (std::rename(temporary_.path.c_str(), path_.c_str()) != 0)
    throw Error("cannot rename " + temporary_.path + " to " + path_ + ": " + std::strerror(errno));
  temporary_.path.clear();
}

Index::Index(const std::string& path) {
  env_.reset(NewEnv());
  // Readers on several threads each hold a transaction of their own.
  Check(mdb_env_open(env_.get(), path.c_str(), MDB_RDONLY | MDB_NOTLS, 0644), "cannot open index " + path);
  MDB_txn* txn = nullptr;
  Check(mdb_txn_begin(env_.get(), nullptr, MDB_RDONLY, &txn), "reading " + path);
  std::unique_ptr<MDB_txn, TxnAborter> reading(txn);
  MDB_dbi meta;
  MDB_val k = Val(kMetaKey, sizeof kMetaKey - 1), d;
  if (mdb_dbi_open(txn, "meta", 0, &meta) != 0 || mdb_get(txn, meta, &k, &d) != 0 || d.mv_size != kMetaBytes ||
      static_cast<const uint8_t*>(d.mv_data)[0] != kMetaVersion)
    throw Error(path + " is not a kvtm index");
  const uint8_t* m = static_cast<const uint8_t*>(d.mv_data);
  type_ = {static_cast<char>(m[1]), m[2], m[3]};
  rows_ = RowAt(m + 5);
  if (!Handles(type_.id) || m[4] != kFormat) throw Error(path + " is an index this kvtm cannot read");
  OpenTrees(txn, type_.id, 0, &index_, &long_);
  // An index never changes once built: its first and last keys are read once.
  MDB_cursor* cursor = nullptr;
  Check(mdb_cursor_open(txn, index_, &cursor), "reading " + path);
  const std::unique_ptr<MDB_cursor, void (*)(MDB_cursor*)> closing(cursor, mdb_cursor_close);
  if (mdb_cursor_get(cursor, &k, &d, MDB_FIRST) == 0) {
    first_.assign(static_cast<uint8_t*>(k.mv_data), static_cast<uint8_t*>(k.mv_data) + k.mv_size);
    Check(mdb_cursor_get(cursor, &k, &d, MDB_LAST), "reading " + path);
    last_.assign(static_cast<uint8_t*>(k.mv_data), static_cast<uint8_t*>(k.mv_data) + k.mv_size);
  }
  Check(mdb_txn_commit(reading.release()), "reading " + path);
}

Index::~Index() = default;

Answer Index::Query(const std::vector<Part>& parts, const Visitor& visit) const {
  KvTypeMgr& mgr = Mgr();
  const char id = type_.id;
  std::vector<Bytes> values;
  for (const Part& p : parts) values.push_back(StoredOf(id, p.value));
  // A key compared with a stored text compares with the units the text's
  // own key holds, which the compare makes anew on every call. A whole key
  // of the text holds just those units, so compared with the keys it gives
  // the same result and status under every operator: made once here.
  std::vector<Bytes> probes = values;
  for (Bytes& v : probes) {
    Bytes key(id == KvTYPE_STRING ? std::min<size_t>(6 * v.size() + 8, 65535) : 0);
    key.resize(key.empty() ? 0 : mgr.Translate(id, key.data(), kFormat | KvFORMAT_KEY, key.size(), v.data(),
                                               kFormat, v.size(), 1));
    if (key.size() >= 6 && v[2] != KvCS_ORDERS && (key[0] << 8 | key[1]) + 2u == key.size()) v = key;
  }
  MDB_txn* txn = nullptr;
  Check(mdb_txn_begin(env_.get(), nullptr, MDB_RDONLY, &txn), "beginning a query");
  const std::unique_ptr<MDB_txn, TxnAborter> reading(txn);
  MDB_cursor* cursor = nullptr;
  Check(mdb_cursor_open(txn, index_, &cursor), "opening a cursor");
  const std::unique_ptr<MDB_cursor, void (*)(MDB_cursor*)> closing(cursor, mdb_cursor_close);
  MDB_val k, d;

  // The estimate weighs the condition against the smallest and largest
  // key. The bounds of the parts go into one record: a bound once set is
  // kept, so each part of a range adds its own end.
  Answer answer;
  KvIdxBounds range = {nullptr, nullptr, 0, 0}, bounds = {nullptr, nullptr, 0, 0};
  if (!first_.empty())
    range = {const_cast<uint8_t*>(first_.data()), const_cast<uint8_t*>(last_.data()),
             static_cast<uint8_t>(first_.size()), static_cast<uint8_t>(last_.size())};
  for (size_t j = 0; j < parts.size(); ++j) {
    // The evaluator rewrites the word (operator bits out, widened in): a copy.
    unsigned short word = static_cast<unsigned short>(parts[j].rel | parts[j].op);
    Bytes value = values[j];
    answer.estimates.push_back(
        mgr.EvalAndBound(id, first_.empty() ? nullptr : &range, word, value.data(), kFormat, 1, &bounds));
    answer.widened = answer.widened || (word & KvREL_WIDENED) != 0;
  }
  const Bytes low(bounds.low, bounds.low + (bounds.low ? bounds.lowLength : 0)),
      high(bounds.high, bounds.high + (bounds.high ? bounds.highLength : 0));
  KvMemFree(bounds.low);
  KvMemFree(bounds.high);

  // Rows the keys leave open are decided by their whole values in memory form.
  const std::unique_ptr<void, std::function<void(void*)>> row(mgr.Create(id, 1),
                                                              [&mgr, id](void* v) { mgr.Delete(id, v, 1); });
  std::vector<char> open(parts.size());  // a part the key left open
  // A row of a key that holds (or leaves the condition open).
  auto takeRow = [&](const MDB_val& duplicate, bool undecided) {
    const uint8_t* data = static_cast<const uint8_t*>(duplicate.mv_data);
    const uint32_t number = RowAt(data + duplicate.mv_size - kRowBytes);
    MDB_val stored = Val(data, duplicate.mv_size - kRowBytes);
    if (duplicate.mv_size == kRowBytes) {
      MDB_val rowKey = Val(data, kRowBytes);
      Check(mdb_get(txn, long_, &rowKey, &stored), "reading a long value");
    }
    bool match = true;
    if (undecided) {
      ++answer.decidedByValue;
      mgr.Load(id, row.get(), stored.mv_data, kFormat, 1);
      for (size_t j = 0; j < parts.size() && match; ++j)
        match = !open[j] ||
                Holds(parts[j].rel, mgr.Cmp(id, row.get(), parts[j].value, parts[j].op, 1, KvFORMAT_MEMORY));
    }
    if (match) {
      ++answer.matches;
      visit(number, static_cast<const uint8_t*>(stored.mv_data), stored.mv_size);
    }
  };
  MDB_val at = Val(low.data(), low.size());
  int rc = low.empty() ? mdb_cursor_get(cursor, &k, &d, MDB_FIRST) : mdb_cursor_get(cursor, &at, &d, MDB_SET_RANGE);
  if (!low.empty()) k = at;
  // One cursor step a row: MDB_NEXT walks a key's duplicates and then the
  // next key, whose node (and so the key's address) is another; the keys
  // that fail the condition are passed with their duplicates.
  const void* keyAt = nullptr;
  size_t keySize = 0;
  bool holds = false, undecided = false;
  for (; rc == 0; rc = mdb_cursor_get(cursor, &k, &d, holds ? MDB_NEXT : MDB_NEXT_NODUP)) {
    if (k.mv_data == keyAt && k.mv_size == keySize) {
      takeRow(d, undecided);
      continue;
    }
    keyAt = k.mv_data;
    keySize = k.mv_size;
    holds = true;
    undecided = false;
    for (size_t j = 0; j < parts.size(); ++j) {
      int status = 0;
      const long byKey = Compare(id, k.mv_data, k.mv_size, probes[j].data(), probes[j].size(), parts[j].op, &status);
      open[j] = status == KvCMP_INCOMPLETE;
      undecided = undecided || open[j];
      holds = holds && (open[j] || Holds(parts[j].rel, byKey));
    }
    // Every key that meets the condition lies within the bounds: only the
    // others are compared with the high bound, past which the scan ends.
    if ((!holds || undecided) && !high.empty() &&
        Compare(id, k.mv_data, k.mv_size, high.data(), high.size(), KvCMP_EXACT) > 0)
      break;
    ++answer.keys;
    if (holds) takeRow(d, undecided);
  }
  if (rc != 0 && rc != MDB_NOTFOUND) Check(rc, "scanning the index");
  return answer;
}

}  // namespace kvlmdb
