// The case counterparts of every character of the BMP, as KvChar and
// KvString give them, against ICU's.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <unicode/uchar.h>
#include <unicode/ustring.h>

#include "kvtm/kvtm.h"

namespace {

// Characters (and counterparts) that Unicode added after the tables' 14.0.
bool NewerThanTables(UChar32 c) {
  UVersionInfo age;
  u_charAge(c, age);
  return age[0] > 14;
}

TEST(CaseAgainstIcu, EveryCharacterOfTheBmp) {
  std::vector<std::string> differences;
  auto differ = [&](UChar32 u, const char* what, unsigned ours, unsigned icu) {
    char line[64];
    std::snprintf(line, sizeof line, "U+%04X %s: U+%04X, ICU U+%04X", u, what, ours, icu);
    differences.push_back(line);
  };
  for (UChar32 u = 1; u <= 0xFFFF; ++u) {
    const UChar32 upper = u_toupper(u), lower = u_tolower(u);
    if (U_IS_SURROGATE(u) || NewerThanTables(u) || NewerThanTables(upper) || NewerThanTables(lower))
      continue;
    const KvChar ch(static_cast<unsigned short>(u), KvCS_UNICODE, 1);
    if (ch.ToLower(nullptr).ValueGet() != lower)
      differ(u, "lower", ch.ToLower(nullptr).ValueGet(), lower);
    UChar source = static_cast<UChar>(u), full[4];
    UErrorCode error = U_ZERO_ERROR;
    const int32_t n = u_strToUpper(full, 4, &source, 1, "", &error);
    ASSERT_TRUE(U_SUCCESS(error)) << u;
    if (n == 1) {
      if (ch.ToUpper(nullptr).ValueGet() != upper)
        differ(u, "upper", ch.ToUpper(nullptr).ValueGet(), upper);
      continue;
    }
    // Several characters (ß, ŉ): the counterpart is the first, and a string
    // upper-cases to all of them.
    KvString s(static_cast<unsigned short>(u));
    s.ToUpper();
    std::u16string text(s.Len(), u'\0');
    std::memcpy(text.data(), s.StrGet(), 2 * text.size());
    if (ch.ToUpper(nullptr).ValueGet() != full[0] || text != std::u16string(full, full + n))
      differ(u, "full upper", ch.ToUpper(nullptr).ValueGet(), full[0]);
  }
  EXPECT_EQ(differences, std::vector<std::string>{});
}

}  // namespace
