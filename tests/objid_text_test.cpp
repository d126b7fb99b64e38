// Facts about the texts of KvObjId, KvClassId and KvRef: every directive
// printed, hostile texts scanned, and printed texts read back by the same
// format.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "kvtm/kvtm.h"
#include "test_util.h"

namespace {

// One value of any of the three types, with every field.
struct Value {
  char id;
  uint32_t block, low;
  uint16_t high, origin, number, version;
};

std::vector<uint8_t> MemoryOf(const Value& v) {
  std::vector<uint8_t> bytes(20);
  if (v.id == KvTYPE_OBJID) {
    const KvObjId id(v.block, v.low, v.high);
    std::memcpy(bytes.data(), &id, sizeof id);
  } else if (v.id == KvTYPE_CLASSID) {
    const KvClassId id(v.number, v.version);
    std::memcpy(bytes.data(), &id, sizeof id);
  } else {
    const KvRef ref(KvObjId(v.block, v.low, v.high), v.origin, KvClassId(v.number, v.version));
    std::memcpy(bytes.data(), &ref, sizeof ref);
  }
  return bytes;
}

Value ValueOf(char id, const std::vector<uint8_t>& bytes) {
  Value v{id, 0, 0, 0, 0, 0, 0};
  if (id == KvTYPE_CLASSID) {
    const KvClassId* c = reinterpret_cast<const KvClassId*>(bytes.data());
    v.number = c->NumberGet();
    v.version = c->VersionGet();
    return v;
  }
  const KvObjId* o = reinterpret_cast<const KvObjId*>(bytes.data());
  v.block = o->BlockGet();
  v.low = o->LowGet();
  v.high = o->HighGet();
  if (id == KvTYPE_REF) {
    const KvRef* r = reinterpret_cast<const KvRef*>(bytes.data());
    v.origin = r->OriginGet();
    v.number = r->ClassIdGet().NumberGet();
    v.version = r->ClassIdGet().VersionGet();
  }
  return v;
}

std::string Fields(const Value& v) {
  return "B" + std::to_string(v.block) + " L" + std::to_string(v.low) + " H" +
         std::to_string(v.high) + " D" + std::to_string(v.origin) + " C" +
         std::to_string(v.number) + " V" + std::to_string(v.version);
}

std::string Printed(const Value& v, const char* format) {
  KvString out("old");
  std::vector<uint8_t> bytes = MemoryOf(v);
  EXPECT_EQ(&KvTypeMgr().PrintToKvString(v.id, out, bytes.data(), format, 1), &out);
  return std::string(out.StrGet(), out.Len());
}

Value Scanned(char id, KvString text, const char* format) {
  // The value scanned into holds other fields first: a scan sets them all.
  std::vector<uint8_t> bytes = MemoryOf({id, 11, 22, 33, 44, 55, 66});
  EXPECT_EQ(KvTypeMgr().ScanFromKvString(id, bytes.data(), text, format, 1), bytes.data());
  return ValueOf(id, bytes);
}

const Value kObjId{KvTYPE_OBJID, 7, 5, 1, 0, 0, 0};
const Value kBigObjId{KvTYPE_OBJID, 4294967295u, 70000, 3, 0, 0, 0};
const Value kClassId{KvTYPE_CLASSID, 0, 0, 0, 0, 12, 3};
const Value kRef{KvTYPE_REF, 4, 9, 0, 2, 30, 7};
const Value kMaxRef{KvTYPE_REF, 4294967295u, 4294967295u, 65535, 65535, 65535, 65535};

TEST(IdentityText, PrintEveryDirective) {
  struct Row {
    Value value;
    const char* format;
    std::string text;
  };
  const Row rows[] = {
      {kObjId, nullptr, "(1-5#7)"},  // the exchange format
      {kObjId, "(%H-%L#%B)", "(1-5#7)"},
      {kObjId, "%B|%L|%H", "7|5|1"},
      {kObjId, "%hu-%lu#%lu", "1-5#7"},
      {kObjId, "%lu %lu %lu %lu %hu", "1 5 7 0 0"},  // positions without a field print 0
      {kObjId, "%hd,%lx,%hh", "1,5,7"},  // the character after h or l belongs to it
      {kObjId, "[%hu]", "[1]"},
      {kObjId, "[%h]", "[1"},
      {kObjId, "%h", "1"},
      {kObjId, "%l%H", "1H"},  // here the '%' after the l belongs to it
      {kObjId, "100%%", "100%"},
      {kObjId, "%x%Y%D%C%V%b", "xYDCVb"},  // not directives of KvObjId
      {kObjId, "abc%", "abc"},
      {kObjId, "", ""},
      {kBigObjId, "%H-%L#%B", "3-70000#4294967295"},
      // A positional directive prints its field whole, whatever its
      // modifier: low under "%hu" is 70000, not 4464.
      {kBigObjId, "%hu %hu %hu", "3 70000 4294967295"},
      {kClassId, nullptr, "(12v3)"},
      {kClassId, "(%hu,%hu)", "(12,3)"},
      {kClassId, "%V.%C %B%L%H%D", "3.12 BLHD"},
      {kClassId, "%lu %lu %lu", "12 3 0"},
      {kRef, nullptr, "(2:0-9#4, 30)"},
      {kRef, "%V", "7"},
      {kRef, "%hu %hu %hu %hu %hu %hu", "2 0 9 4 30 0"},
      {kMaxRef, nullptr, "(65535:65535-4294967295#4294967295, 65535)"},
      {kMaxRef, "%D %H %L %B %C %V", "65535 65535 4294967295 4294967295 65535 65535"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.format != nullptr ? r.format : "(exchange format)");
    EXPECT_EQ(Printed(r.value, r.format), r.text);
  }

  // The members print with the exchange format.
  KvString out("old");
  EXPECT_STREQ(KvObjId(7, 5, 1).PrintToKvString(out).StrGet(), "(1-5#7)");
  EXPECT_STREQ(KvClassId(12, 3).PrintToKvString(out).StrGet(), "(12v3)");
  EXPECT_STREQ(KvRef(KvObjId(4, 9, 0), 2, KvClassId(30, 7)).PrintToKvString(out).StrGet(),
               "(2:0-9#4, 30)");
}

// A text longer than a string holds is refused as every string overflow
// is: no text, one report.
TEST(IdentityText, PrintTooLongIsRefused) {
  struct Row {
    std::string format;
    size_t length;  // of the text, 0 when refused
  };
  std::string fits;
  for (int i = 0; i < 6553; ++i) fits += "%L";  // 65530 bytes
  const Row rows[] = {
      {fits, 65530},
      {fits + "xx", 65532},
      {fits + "xxx", 0},
      {fits + "%L", 0},
      {std::string(70000, 'x'), 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.format.size());
    OverflowCounter reports;
    const Value v{KvTYPE_OBJID, 0, 4294967295u, 0, 0, 0, 0};
    EXPECT_EQ(Printed(v, r.format.c_str()).size(), r.length);
    EXPECT_EQ(reportCount, r.length == 0 ? 1 : 0);
  }
}

TEST(IdentityText, ScanHostileTexts) {
  const unsigned short wideDigits[] = {'(', '1', '-', '5', '#', '7', ')', 0};
  const unsigned short wideOmega[] = {'(', 0x03A9, '1', '-', '5', '#', '7', ')', 0};
  struct Row {
    char id;
    KvString text;
    const char* format;
    std::string fields;
  };
  const std::string zero = "B0 L0 H0 D0 C0 V0";
  const Row rows[] = {
      {KvTYPE_OBJID, "(1-5#7)", nullptr, "B7 L5 H1 D0 C0 V0"},
      {KvTYPE_OBJID, "(1-5#7)", "(%H-%L#%B)", "B7 L5 H1 D0 C0 V0"},
      {KvTYPE_OBJID, "", nullptr, zero},
      {KvTYPE_OBJID, KvString(), nullptr, zero},
      {KvTYPE_OBJID, "(", nullptr, zero},
      {KvTYPE_OBJID, "(1-5#", nullptr, "B0 L5 H1 D0 C0 V0"},  // cut short
      {KvTYPE_OBJID, "(1-5#7)", "", zero},
      {KvTYPE_OBJID, "(1-5#7)", "(%H", "B0 L0 H1 D0 C0 V0"},  // unnamed fields become 0
      // Literal characters are passed over, not compared.
      {KvTYPE_OBJID, "[1x5y7]", nullptr, "B7 L5 H1 D0 C0 V0"},
      {KvTYPE_OBJID, "( 1-\t5#\n7)", nullptr, "B7 L5 H1 D0 C0 V0"},  // blanks before numbers
      // An unreadable number leaves the cursor where it was, so the next
      // literal passes over what stopped it: here low reads "-5".
      {KvTYPE_OBJID, "(x-5#7)", nullptr, "B7 L4294967291 H0 D0 C0 V0"},
      // Numbers beyond a field give its largest value; '-' negates within
      // the field's width, as strtoul does.
      {KvTYPE_OBJID, "(99999999999999999999-99999999999999999999#4294967296)", nullptr,
       "B4294967295 L4294967295 H65535 D0 C0 V0"},
      {KvTYPE_OBJID, "(65536-4294967295#4294967295)", nullptr,
       "B4294967295 L4294967295 H65535 D0 C0 V0"},
      {KvTYPE_OBJID, "(-1--1#-2)", nullptr, "B4294967294 L4294967295 H65535 D0 C0 V0"},
      {KvTYPE_OBJID, "(+1-+5#-0)", nullptr, "B0 L5 H1 D0 C0 V0"},
      {KvTYPE_OBJID, "(--1-5#7)", nullptr, "B5 L4294967295 H0 D0 C0 V0"},
      // Non-ASCII text: an 8-bit byte, a 16-bit character with no 8-bit
      // counterpart. Neither is a digit; each takes one position.
      {KvTYPE_OBJID, "(\xE9" "1-5#7)", nullptr, "B5 L1 H0 D0 C0 V0"},
      {KvTYPE_OBJID, KvString(wideDigits), nullptr, "B7 L5 H1 D0 C0 V0"},
      {KvTYPE_OBJID, KvString(wideOmega), nullptr, "B5 L1 H0 D0 C0 V0"},
      // Positional forms; one without a field reads its number away.
      {KvTYPE_OBJID, "1-5#7", "%hu-%lu#%lu", "B7 L5 H1 D0 C0 V0"},
      {KvTYPE_OBJID, "1 5 7 0 8", "%lu %lu %lu %lu %H", "B7 L5 H8 D0 C0 V0"},
      {KvTYPE_OBJID, "70000", "%h%l", "B0 L0 H65535 D0 C0 V0"},
      {KvTYPE_OBJID, "%1", "%%%H", "B0 L0 H1 D0 C0 V0"},
      {KvTYPE_CLASSID, "(12v3)", nullptr, "B0 L0 H0 D0 C12 V3"},
      {KvTYPE_CLASSID, "(12,3)", "(%hu,%hu)", "B0 L0 H0 D0 C12 V3"},
      {KvTYPE_CLASSID, "(12v", nullptr, "B0 L0 H0 D0 C12 V0"},
      {KvTYPE_CLASSID, "(70000v-1)", nullptr, "B0 L0 H0 D0 C65535 V65535"},
      {KvTYPE_CLASSID, "3 4", "%H %L", zero},  // not directives of KvClassId
      {KvTYPE_REF, "(2:0-9#4, 30)", nullptr, "B4 L9 H0 D2 C30 V0"},
      {KvTYPE_REF, "7", "%V", "B0 L0 H0 D0 C0 V7"},
      {KvTYPE_REF, "2 0 9 4 30 5", "%hu %hu %hu %hu %hu %hu", "B4 L9 H0 D2 C30 V0"},
      {KvTYPE_REF, "(2:0-9#4,", nullptr, "B4 L9 H0 D2 C0 V0"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::to_string(r.id) + " '" + std::string(KvString(r.text).StrGet()) + "' " +
                 (r.format != nullptr ? r.format : "(exchange format)"));
    EXPECT_EQ(Fields(Scanned(r.id, r.text, r.format)), r.fields);
  }

  // A null value is returned at once.
  KvString text("(1-5#7)");
  EXPECT_EQ(KvTypeMgr().ScanFromKvString(KvTYPE_OBJID, nullptr, text, nullptr, 1), nullptr);

  // The members scan with the exchange format.
  KvObjId id(1, 2, 3);
  id.ScanFromKvString(KvString("(1-5#7)"));
  EXPECT_EQ(id.BlockGet(), 7u);
  EXPECT_EQ(id.LowGet(), 5u);
  EXPECT_EQ(id.HighGet(), 1);
  KvClassId c(1, 1);
  c.ScanFromKvString(KvString("(12v3)"));
  EXPECT_EQ(c != KvClassId(12, 3), 0);
  KvRef ref(KvObjId(1, 1, 1), 1, KvClassId(1, 1));
  ref.ScanFromKvString(KvString("(2:0-9#4, 30)"));
  EXPECT_EQ(ref.ObjIdGet().BlockGet(), 4u);
  EXPECT_EQ(ref.ClassIdGet().NumberGet(), 30);
  EXPECT_EQ(ref.ClassIdGet().VersionGet(), 0);
}

// What a format prints, the same format reads back: every field it names
// keeps its value, every other field becomes 0.
TEST(IdentityText, PrintedTextScansBack) {
  struct Row {
    char id;
    const char* format;
    std::string named;  // letters of the fields the format names
  };
  const Row rows[] = {
      {KvTYPE_OBJID, "(%H-%L#%B)", "HLB"},
      {KvTYPE_OBJID, "%B", "B"},
      {KvTYPE_OBJID, "%L", "L"},
      {KvTYPE_OBJID, "%H", "H"},
      {KvTYPE_OBJID, "%hu-%lu#%lu", "HLB"},
      {KvTYPE_OBJID, "%hu %hu %hu", "HLB"},
      {KvTYPE_OBJID, "%lu %lu %lu %lu %lu;%B", "HLB"},
      {KvTYPE_OBJID, "%% %x %H%%%L %", "HL"},
      {KvTYPE_OBJID, "0%H", "H"},
      {KvTYPE_CLASSID, "(%Cv%V)", "CV"},
      {KvTYPE_CLASSID, "(%hu,%hu)", "CV"},
      {KvTYPE_CLASSID, "%lu,%lu,%lu,%V", "CV"},
      {KvTYPE_CLASSID, "%C", "C"},
      {KvTYPE_CLASSID, "%V", "V"},
      {KvTYPE_REF, "(%D:%H-%L#%B, %C)", "DHLBC"},
      {KvTYPE_REF, "%D %H %L %B %C %V", "DHLBCV"},
      {KvTYPE_REF, "%hu %hu %hu %hu %hu %hu %V", "DHLBCV"},
      {KvTYPE_REF, "%V", "V"},
      {KvTYPE_REF, "%D", "D"},
  };
  const Value values[] = {
      {0, 0, 0, 0, 0, 0, 0},
      {0, 7, 5, 1, 2, 30, 4},
      {0, 4294967295u, 4294967295u, 65535, 65535, 65535, 65535},
      {0, 4294967294u, 65536, 65534, 1, 10, 100},
  };
  for (const Row& r : rows) {
    for (Value v : values) {
      v.id = r.id;
      SCOPED_TRACE(std::string(r.format) + " " + Fields(v));
      const std::string text = Printed(v, r.format);
      Value expected{r.id, 0, 0, 0, 0, 0, 0};
      for (char letter : r.named) {
        if (letter == 'B') expected.block = v.block;
        if (letter == 'L') expected.low = v.low;
        if (letter == 'H') expected.high = v.high;
        if (letter == 'D') expected.origin = v.origin;
        if (letter == 'C') expected.number = v.number;
        if (letter == 'V') expected.version = v.version;
      }
      EXPECT_EQ(Fields(Scanned(r.id, KvString(text.c_str()), r.format)), Fields(expected))
          << text;
    }
  }
}

}  // namespace
