// lmdb_index.h — an ordered index in LMDB driven by the type manager: the
// library's index keys and compare function order the B-tree, and a
// condition is answered by the scan its bounds describe. A module an engine
// may copy; it uses the public API alone (kvtm.h) and LMDB.
//
// An index database is an LMDB environment (a directory) of three
// databases:
//   meta   the type, code set, language, byte order and row count
//   index  key: the value's index key (the key form of a string, the
//          stored form of the others) under the type's compare function;
//          data: the stored value and its row number, ordered by the full
//          compare, then the row: values whose keys are equal (cut keys of
//          long texts, case variants of an insensitive type, equal values)
//          are duplicates of one key
//   long   the stored values too long to be duplicate data (LMDB keeps
//          duplicates to its key size, 511 bytes): their index data is the
//          row number alone, ordered after the others by row
// Every stored form is most significant byte first (format 2). The caller
// sets up the library's process context (___KvTypemgrContext) first.
#ifndef KVTM_TOOLS_LMDB_INDEX_H
#define KVTM_TOOLS_LMDB_INDEX_H

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

struct MDB_env;
struct MDB_txn;
struct MDB_cursor;

namespace kvlmdb {

using Bytes = std::vector<uint8_t>;

// A failed LMDB call, a value an index refuses, or a path holding no index.
struct Error : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// What an index holds: the type and, for KvString, the code set and
// language its values were made in.
struct IndexType {
  char id;
  uint8_t codeSet = 1, language = 1;
};

struct EnvCloser { void operator()(MDB_env* env) const; };
struct TxnAborter { void operator()(MDB_txn* txn) const; };
// A directory removed with everything in it, unless its path is cleared.
struct Temporary {
  std::string path;
  ~Temporary();
};

// Whether an index of the type can be built: KvString, KvIString,
// KvCaseIString, int, double and KvDate.
bool Handles(char id);
// "KvString (code set 1, language 1)", "int".
std::string Describe(const IndexType& type);

// Builds an index at `path` (a directory that must not exist) in a
// temporary directory beside it, renamed to `path` by Commit. A builder
// destroyed before Commit removes everything it wrote.
class Builder {
 public:
  Builder(const std::string& path, const IndexType& type);
  ~Builder();
  Builder(const Builder&) = delete;
  Builder& operator=(const Builder&) = delete;

  // Adds a value in memory form (a KvString*, int*, ...) as the next row,
  // numbered from 0. A value that stores nothing, or a KvDate with a
  // wildcard field (which compares equal to every date), is refused.
  void Add(void* value);
  uint32_t Rows() const { return rows_; }
  void Commit();

 private:
  std::string path_;
  IndexType type_;
  Temporary temporary_;  // closed last: after the environment
  std::unique_ptr<MDB_env, EnvCloser> env_;
  std::unique_ptr<MDB_txn, TxnAborter> txn_;
  unsigned index_ = 0, long_ = 0;
  // Puts go through one cursor, which lets LMDB look in the cursor's page
  // before it searches the tree (keys of a sorted run mostly fall there).
  // The transaction closes it.
  MDB_cursor* cursor_ = nullptr;
  size_t maxData_ = 0;  // the longest duplicate data
  uint32_t rows_ = 0;
  std::vector<uint8_t> data_;  // the row being added
  Bytes largest_;              // the largest key so far, the index's last
};

// One part of a condition: "key rel value" under a compare operator, the
// value in memory form (it must outlive the query). A range is two parts.
struct Part {
  unsigned short rel;  // KvREL_EQUAL, KvREL_LESS, KvREL_GREATER bits
  unsigned short op;   // compare operator bits of kvtypcmp.h
  void* value;
};

// What a query found, besides the rows it passed to its visitor.
struct Answer {
  std::vector<float> estimates;  // EvalAndBound's, one per part
  bool widened = false;          // a part's bounds were widened (a pattern)
  uint32_t matches = 0;
  uint32_t keys = 0;            // distinct keys the scan met
  uint32_t decidedByValue = 0;  // rows whose key left the condition open
};

// An index opened for reading. Query may run on several threads at once,
// each in its own read transaction (the library's own rules for threads
// apply to the calls it makes).
class Index {
 public:
  // Opens the index at `path` for reading; fails unless it is one.
  explicit Index(const std::string& path);
  ~Index();
  Index(const Index&) = delete;
  Index& operator=(const Index&) = delete;

  const IndexType& Type() const { return type_; }
  uint32_t Rows() const { return rows_; }

  // The rows where every part holds, in index order: row number and stored
  // value (format 2) to `visit`.
  using Visitor = std::function<void(uint32_t row, const uint8_t* stored, size_t length)>;
  Answer Query(const std::vector<Part>& parts, const Visitor& visit) const;

 private:
  IndexType type_ = {0};
  std::unique_ptr<MDB_env, EnvCloser> env_;
  unsigned index_ = 0, long_ = 0;
  uint32_t rows_ = 0;
  Bytes first_, last_;  // the smallest and largest key, for the estimates
};

}  // namespace kvlmdb

#endif  // KVTM_TOOLS_LMDB_INDEX_H
