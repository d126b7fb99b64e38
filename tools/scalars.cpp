// scalars.cpp — 64-bit integers, booleans, blobs and identifiers at the
// terminal.
#include "scalars.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "cli.h"
#include "kvtm/kvblob.h"
#include "kvtm/kvboolean.h"
#include "kvtm/kvint64.h"
#include "kvtm/kvobjid.h"

namespace {

const char* ExpectedForm(char id) {
  switch (id) {
    case KvTYPE_INT64:
      return "an integer from -9223372036854775808 to 9223372036854775807";
    case KvTYPE_BOOL:
      return "true, false, 1 or 0";
    case KvTYPE_BLOB:
      return "text, or hex:HEX";
    case KvTYPE_OBJID:
      return "HIGH-LOW#BLOCK";
    case KvTYPE_CLASSID:
      return "NUMBERvVERSION";
    default:
      return "ORIGIN:HIGH-LOW#BLOCK/NUMBERvVERSION";
  }
}

// Reads identifier fields.
class Reader : public TextReader {
 public:
  Reader(char id, const std::string& text) : TextReader(id, text, ExpectedForm(id)) {}

  // A decimal number of at most `max`.
  uint32_t Number(uint32_t max) {
    uint64_t v = 0;
    const size_t start = pos_;
    while (DigitNext()) {
      v = v * 10 + static_cast<uint64_t>(TakeDigit());
      if (v > max) Fail();
    }
    if (pos_ == start) Fail();
    return static_cast<uint32_t>(v);
  }
  KvObjId ObjId() {
    const uint32_t high = Number(0xFFFF);
    Expect('-');
    const uint32_t low = Number(0xFFFFFFFF);
    Expect('#');
    const uint32_t block = Number(0xFFFFFFFF);
    return KvObjId(block, low, static_cast<uint16_t>(high));
  }
  KvClassId ClassId() {
    const uint32_t number = Number(0xFFFF);
    Expect('v');
    const uint32_t version = Number(0xFFFF);
    return KvClassId(static_cast<uint16_t>(number), static_cast<uint16_t>(version));
  }
};

KvInt64 Int64Of(const std::string& text) {
  errno = 0;
  char* end = nullptr;
  const long long v = std::strtoll(text.c_str(), &end, 0);
  if (text.empty() || *end != '\0' || errno != 0) Reader(KvTYPE_INT64, text).Fail();
  const uint64_t bits = static_cast<uint64_t>(v);
  return KvInt64(static_cast<unsigned long>(bits & 0xFFFFFFFFu),
                 static_cast<long>(static_cast<int32_t>(bits >> 32)));
}

KvBlob BlobOf(const std::string& text) {
  if (text.compare(0, 4, "hex:") == 0) {
    const std::vector<uint8_t> bytes = BytesOfHex(text.substr(4));
    return KvBlob(bytes.data(), static_cast<long>(bytes.size()));
  }
  return KvBlob(text.data(), static_cast<long>(text.size()));
}

// The type's own text under its exchange format.
std::string Printed(char id, const void* value) {
  KvString out("");
  Manager().PrintToKvString(id, out, const_cast<void*>(value), nullptr, 1);
  return std::string(out.StrGet(), out.Len());
}

}  // namespace

bool IsScalarType(char id) {
  return id == KvTYPE_INT64 || id == KvTYPE_BOOL || id == KvTYPE_BLOB || id == KvTYPE_OBJID ||
         id == KvTYPE_CLASSID || id == KvTYPE_REF;
}

bool IsSingleValueType(char id) { return id == KvTYPE_BLOB || id == KvTYPE_OBJID || id == KvTYPE_CLASSID || id == KvTYPE_REF; }

void ParseScalar(char id, const std::string& text, void* out) {
  Reader in(id, text);
  switch (id) {
    case KvTYPE_INT64:
      *static_cast<KvInt64*>(out) = Int64Of(text);
      return;
    case KvTYPE_BOOL:
      if (text == "true" || text == "1") {
        *static_cast<KvBoolean*>(out) = 1L;
      } else if (text == "false" || text == "0") {
        *static_cast<KvBoolean*>(out) = 0L;
      } else {
        in.Fail();
      }
      return;
    case KvTYPE_BLOB:
      *static_cast<KvBlob*>(out) = BlobOf(text);
      return;
    case KvTYPE_OBJID:
      *static_cast<KvObjId*>(out) = in.ObjId();
      break;
    case KvTYPE_CLASSID:
      *static_cast<KvClassId*>(out) = in.ClassId();
      break;
    default: {
      const uint32_t origin = in.Number(0xFFFF);
      in.Expect(':');
      const KvObjId objId = in.ObjId();
      in.Expect('/');
      *static_cast<KvRef*>(out) = KvRef(objId, static_cast<uint16_t>(origin), in.ClassId());
      break;
    }
  }
  in.End();
}

std::string ShowScalar(char id, const void* value) {
  switch (id) {
    case KvTYPE_BOOL:
      return *static_cast<const uint8_t*>(value) != 0 ? "true" : "false";
    case KvTYPE_BLOB: {
      const KvBlob& blob = *static_cast<const KvBlob*>(value);
      const long shown = blob.Length() < 32 ? blob.Length() : 32;
      std::string text = "[" + std::to_string(blob.Length()) + " bytes]";
      if (shown != 0) text += " " + HexOf(blob.Data(), static_cast<size_t>(shown));
      if (shown < blob.Length()) text += " ...";
      return text;
    }
    case KvTYPE_REF: {
      const KvRef& ref = *static_cast<const KvRef*>(value);
      const KvObjId& o = ref.ObjIdGet();
      const KvClassId& c = ref.ClassIdGet();
      char text[80];
      std::snprintf(text, sizeof text, "%u:%u-%u#%u/%uv%u", ref.OriginGet(), o.HighGet(), o.LowGet(),
                    o.BlockGet(), c.NumberGet(), c.VersionGet());
      return text;
    }
    case KvTYPE_OBJID:
    case KvTYPE_CLASSID: {
      // The exchange texts "(1-5#7)" and "(12v3)" without their parentheses.
      const std::string printed = Printed(id, value);
      return printed.size() >= 2 ? printed.substr(1, printed.size() - 2) : printed;
    }
    default:
      return Printed(id, value);
  }
}
