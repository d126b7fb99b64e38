// cmd_index.cpp — kvtm key and kvtm bounds: index keys of strings and the
// bounds and estimate of a condition.
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "cli.h"
#include "kvplatform/kvbyteorder.h"
#include "kvplatform/kvmemory.h"
#include "values.h"

namespace {

// The index key of a string value.
std::vector<uint8_t> KeyOf(Values& value, uint8_t format) {
  KvTypeMgr& mgr = Manager();
  const uint32_t room = mgr.DiskLenGet(KvTYPE_STRING, value.Data(), format | KvFORMAT_KEY, 1, 8) + 8;
  std::vector<uint8_t> key(room);
  key.resize(mgr.Translate(KvTYPE_STRING, key.data(), format | KvFORMAT_KEY, room, value.Data(), 8, 0, 1));
  if (key.empty()) throw CliError{"the value has no index key: it is longer than a stored string holds"};
  return key;
}

// The orders of a key (code set 254) as hex words.
std::string OrdersOfKey(const uint8_t* key, size_t length, uint8_t format) {
  std::string out;
  if (length < 4 || key[2] != KvCS_ORDERS) return out;
  // A whole key ends in a zero unit with the end mark (00 FF); a cut one
  // (length field beyond its bytes) just stops.
  const size_t claimed = KvLoadBits<uint16_t>(key, format) + 2u;
  const size_t end = claimed <= length ? length - 2 : length;
  for (size_t i = 4; i + 1 < end; i += 2) {
    const uint16_t o = KvLoadBits<uint16_t>(key + i, format);
    char piece[8];
    std::snprintf(piece, sizeof piece, "%s%04X", out.empty() ? "" : " ", o);
    out += piece;
  }
  return out;
}

void ShowBound(const char* name, char id, const uint8_t* key, uint8_t length, uint8_t format) {
  if (key == nullptr) {
    std::printf("  %-5s none\n", name);
    return;
  }
  std::printf("  %-5s %s", name, HexOf(key, length).c_str());
  if (id == KvTYPE_STRING) {
    const std::string orders = OrdersOfKey(key, length, format);
    if (!orders.empty()) std::printf("  (orders %s)", orders.c_str());
  } else {
    Values value(id, 1);
    Manager().Load(id, value.Data(), const_cast<uint8_t*>(key), format, 1);
    std::printf("  (%s)", ShowValue(id, value, 0).c_str());
  }
  std::printf("\n");
}

}  // namespace

int CmdKey(Args& args) {
  const uint8_t format = FormatOf(args.Take("--format", "1"));
  const TextOptions options = TextOptionsOf(args);
  if (args.words.size() != 1) throw UsageError();
  const std::unique_ptr<Values> value(ParseValues(KvTYPE_STRING, args.words[0], options));
  const std::vector<uint8_t> key = KeyOf(*value, format);
  std::printf("key of %s, format %u:\n  %s\n", ShowValue(KvTYPE_STRING, *value, 0).c_str(), format,
              HexOf(key.data(), key.size()).c_str());
  std::printf("  orders %s\n", OrdersOfKey(key.data(), key.size(), format).c_str());
  return 0;
}

int CmdBounds(Args& args) {
  const uint8_t format = FormatOf(args.Take("--format", "2"));
  const unsigned short relation = RelationOf(args.Take("--rel", "eq"));
  const std::string opText = args.Take("--op", "exact");
  const TextOptions options = TextOptionsOf(args);
  std::string low, high;
  for (size_t i = 0; i < args.words.size(); ++i) {
    if (args.words[i] != "--range") continue;
    if (i + 2 >= args.words.size()) throw CliError{"option --range needs two values", 2};
    low = args.words[i + 1];
    high = args.words[i + 2];
    args.words.erase(args.words.begin() + static_cast<long>(i), args.words.begin() + static_cast<long>(i) + 3);
    break;
  }
  if (args.words.size() != 2)
    throw UsageError();
  KvTypeMgr& mgr = Manager();
  const char id = HandledTypeArg(args.words[0], "bounds");
  const unsigned short op = OpOf(opText);
  const std::unique_ptr<Values> value(ParseValues(id, args.words[1], options));
  std::vector<uint8_t> stored = StoredOf(id, *value, format);
  // The range: keys of the index's smallest and largest values.
  std::vector<uint8_t> lowKey, highKey;
  KvIdxBounds range = {nullptr, nullptr, 0, 0};
  if (!low.empty()) {
    const std::unique_ptr<Values> lo(ParseValues(id, low, options));
    const std::unique_ptr<Values> hi(ParseValues(id, high, options));
    lowKey = id == KvTYPE_STRING ? KeyOf(*lo, format) : StoredOf(id, *lo, format);
    highKey = id == KvTYPE_STRING ? KeyOf(*hi, format) : StoredOf(id, *hi, format);
    range = {lowKey.data(), highKey.data(), static_cast<uint8_t>(lowKey.size()),
             static_cast<uint8_t>(highKey.size())};
  }
  // String conditions carry their compare operator in the relation word.
  unsigned short word = static_cast<unsigned short>(relation | (id == KvTYPE_STRING ? (op & 0x7FF0) : 0));
  KvIdxBounds bounds = {nullptr, nullptr, 0, 0};
  const float estimate =
      mgr.EvalAndBound(id, low.empty() ? nullptr : &range, word, stored.data(), format, value->Count(), &bounds);
  std::printf("%s %s %s: estimate %.6f, relation 0x%04X%s\n", mgr.NameGet(id, nullptr),
              args.words[1].c_str(), RelationName(relation), estimate, word, (word & KvREL_WIDENED) ? " (widened by a wildcard)" : "");
  ShowBound("low", id, bounds.low, bounds.lowLength, format);
  ShowBound("high", id, bounds.high, bounds.highLength, format);
  KvMemFree(bounds.low);
  KvMemFree(bounds.high);
  return 0;
}
