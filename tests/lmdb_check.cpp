// lmdb_check — the LMDB index host (tools/lmdb_index.h) checked end to end.
// The French and German word lists with the texts made from them (long
// texts among them, whose keys are cut and tie), and random numbers and
// dates, are each indexed once in LMDB; every condition answered through
// the index, on several reader threads at once, must return exactly the
// rows that a brute-force filter over all values returns under the same
// operator, and every estimate must lie in [0, 1].
//
//   lmdb_check [--stride N | --full] [--only TYPE] [--threads N] [--examples N]
//
// Exit 0: every answer agrees; 1: a mismatch; 2: a wrong argument; 77: the
// word lists are missing.
#include <stdlib.h>

#include <chrono>
#include <deque>
#include <filesystem>

#include "index_inputs.h"
#include "lmdb_index.h"

namespace {

Options options{1, 2};  // every word, two reader threads
std::string directory;  // of the indexes, removed at the end

template <class T>
struct Config : Typed {
  std::string name;
  uint8_t codeSet = 1, language = 1;
  std::vector<T> rows = {};
  std::deque<T> values = {};  // of the conditions; a deque keeps their addresses
  std::vector<std::vector<kvlmdb::Part>> conditions = {};

  void Add(const Cond<T>& c) {  // a range as at least the smaller, at most the larger
    if (!c.range) return conditions.push_back({{c.rel, c.op, &values.emplace_back(c.value)}});
    const bool swap = Full(&c.value, &c.upper, c.op | KvCMP_EXACT) > 0;
    T* low = &values.emplace_back(swap ? c.upper : c.value);
    conditions.push_back({{KvREL_GREATER | KvREL_EQUAL, c.op, low},
                          {KvREL_LESS | KvREL_EQUAL, c.op, &values.emplace_back(swap ? c.value : c.upper)}});
  }

  // Answers a condition through the index and by brute force: a line for a
  // mismatch, else nothing.
  std::string Check(const kvlmdb::Index& index, const std::vector<kvlmdb::Part>& parts, std::atomic<size_t>& decided) {
    std::vector<uint32_t> found, expected, differ;
    const kvlmdb::Answer answer = index.Query(parts, [&](uint32_t row, const uint8_t*, size_t) { found.push_back(row); });
    decided += answer.decidedByValue;
    for (uint32_t i = 0; i < rows.size(); ++i) {
      bool match = true;
      for (const kvlmdb::Part& p : parts) match = match && Holds(p.rel, Full(&rows[i], p.value, p.op));
      if (match) expected.push_back(i);
    }
    std::sort(found.begin(), found.end());
    std::set_symmetric_difference(found.begin(), found.end(), expected.begin(), expected.end(),
                                  std::back_inserter(differ));
    std::string report;
    for (float e : answer.estimates)
      if (!(e >= 0 && e <= 1)) report += " estimate " + std::to_string(e);
    if (!differ.empty())
      report += " the index finds " + std::to_string(found.size()) + " rows, brute force " +
                std::to_string(expected.size()) + "; the first that differs: " + Show(&rows[differ[0]]);
    if (report.empty()) return report;
    std::string shown;
    for (const kvlmdb::Part& p : parts)
      shown += " rel " + std::to_string(p.rel) + " op " + std::to_string(p.op) + " " + Show(p.value);
    return "   " + shown + ":" + report + "\n";
  }

  // Builds the index once, answers every condition on several threads and
  // prints a line of figures and the first few mismatches; returns how many
  // mismatches there are.
  size_t Run() {
    if (!options.only.empty() && options.only != name.substr(0, name.find(' '))) return 0;
    const auto start = std::chrono::steady_clock::now();
    const std::string path = directory + "/" + name;
    {
      kvlmdb::Builder builder(path, {id, codeSet, language});
      for (T& row : rows) builder.Add(&row);
      builder.Commit();
    }
    const kvlmdb::Index index(path);
    const auto built = std::chrono::steady_clock::now();
    std::atomic<size_t> decided{0};
    std::vector<std::function<std::string()>> queries;
    for (const std::vector<kvlmdb::Part>& parts : conditions) queries.push_back([&] { return Check(index, parts, decided); });
    size_t mismatches = 0;
    std::string lines;
    for (const std::string& r : RunJobs(queries, options.threads)) if (!r.empty() && ++mismatches <= options.examples) lines += r;
    std::filesystem::remove_all(path);
    const std::chrono::duration<double> building = built - start, answering = std::chrono::steady_clock::now() - built;
    std::printf("%s: %zu rows, %zu conditions, %zu mismatches; built in %.1f s, answered in %.1f s; %zu rows decided by their value\n%s",
                name.c_str(), rows.size(), conditions.size(), mismatches, building.count(), answering.count(), decided.load(), lines.c_str());
    return std::fflush(stdout), mismatches;
  }
};

// The first `generated` conditions of a list, and its last `fixed`.
template <class V>
std::vector<Cond<V>> Some(const std::vector<Cond<V>>& all, size_t generated, size_t fixed = 0) {
  std::vector<Cond<V>> some(all.begin(), all.begin() + generated);
  some.insert(some.end(), all.end() - fixed, all.end());
  return some;
}

template <class T>
size_t TextRun(Config<T> c, const Strings& sources, const std::vector<Cond<std::string>>& conds,
                                       const std::function<T(const std::string&)>& make) {
  for (const std::string& s : sources) c.rows.push_back(make(s));
  for (const Cond<std::string>& t : conds) c.Add({make(t.value), t.rel, t.op, t.range, make(t.upper)});
  return c.Run();
}

template <class T>
size_t ScalarRun(Config<T> c, const Scalars<T>& s) {
  c.rows = s.rows;
  for (const Cond<T>& t : Some(s.conditions, 25)) c.Add(t);
  return c.Run();
}

}  // namespace

int main(int argc, char** argv) {
  if (const int status = Start(argc, argv, options, "lmdb_check"); status >= 0) return status;
  directory = (std::filesystem::temp_directory_path() / "lmdb_check.XXXXXX").string();
  if (mkdtemp(directory.data()) == nullptr) return std::perror("lmdb_check: a temporary directory"), 1;

  const Inputs in = MakeInputs(options.words, options.stride);
  // The insensitive rows: the words and the long texts (in Windows-1252).
  Strings eight = in.eight, longTexts;
  for (const std::string& s : in.texts)
    if (s.size() >= 200) eight.push_back(s), longTexts.push_back(s);
  auto textConds = Some(TextConditions(in.pool, false), 24, kStringCases.size()),
       eightConds = Some(TextConditions(in.eightPool, true), 30, kInsensitiveCases.size());
  // Conditions that cut keys leave open: long texts, and patterns that
  // reach past a key.
  for (size_t k = 0; k < 2; ++k) {
    const std::string& t = longTexts[k * longTexts.size() / 2];
    for (const Cond<std::string>& c : {Cond<std::string>{t, KvREL_EQUAL, 0}, {t, KvREL_LESS | KvREL_EQUAL, 0x20},
                                       {t, KvREL_GREATER, 0x10}, {Utf8(Units(t).substr(0, 150)) + "*", KvREL_EQUAL, 0}})
      textConds.push_back(c), eightConds.push_back(c);
  }
  const size_t scalars = std::max<size_t>(100000 / options.stride, 1000);
  size_t total = 0;
  std::printf("the LMDB index against brute force: stride %zu over %zu words\n", options.stride, options.lines);
  try {
    for (auto [cs, lang] : {std::pair<uint8_t, uint8_t>{1, 1}, {253, 1}, {253, 3}, {1, 5}})
      total += TextRun<KvString>({{KvTYPE_STRING}, "KvString cs " + std::to_string(cs) + " lang " + std::to_string(lang), cs, lang},
                                 in.texts, textConds, [=](auto& s) { return MakeString(s, cs, lang); });
    total += TextRun<KvIString>({{KvTYPE_ISTRING}, "KvIString"}, eight, eightConds,
                                [](auto& s) { return KvIString(MakeString(s, 1, 1).StrGet()); });
    total += TextRun<KvCaseIString>({{KvTYPE_CASEISTRING}, "KvCaseIString"}, eight, eightConds,
                                    [](auto& s) { return KvCaseIString(MakeString(s, 1, 1).StrGet()); });
    total += ScalarRun<int>({{KvTYPE_INT}, "int"}, MakeScalars<int>(scalars, kIntEdges, RandomInt));
    total += ScalarRun<double>({{KvTYPE_DOUBLE}, "double"}, MakeScalars<double>(scalars, kDoubleEdges, RandomDouble));
    total += ScalarRun<KvDate>({{KvTYPE_DATE}, "KvDate"}, MakeScalars<KvDate>(scalars, kDateEdges, RandomDate, WithWildcards));
  } catch (const kvlmdb::Error& e) {
    std::printf("lmdb_check: %s\n", e.what());
    total = 1;
  }
  std::error_code ignored;
  std::filesystem::remove_all(directory, ignored);
  std::printf("%zu mismatches\n", total);
  ___KvTypemgrContext(0);
  return total == 0 ? 0 : 1;
}
