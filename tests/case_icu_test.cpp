// The case counterparts of every character of the BMP, as KvChar and
// KvString give them, against ICU's.
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
  for (UChar32 u = 1; u <= 0xFFFF; ++u) {
    if (U_IS_SURROGATE(u) || NewerThanTables(u) || NewerThanTables(u_toupper(u)) || NewerThanTables(u_tolower(u)))
      continue;
    // Several characters (ß, ŉ): the counterpart is the first, and a string
    // upper-cases to all of them.
    UChar source = static_cast<UChar>(u), full[4];
    UErrorCode error = U_ZERO_ERROR;
    const int32_t n = u_strToUpper(full, 4, &source, 1, "", &error);
    ASSERT_TRUE(U_SUCCESS(error)) << u;
    const KvChar ch(static_cast<unsigned short>(u), KvCS_UNICODE, 1);
    KvString s(static_cast<unsigned short>(u));
    s.ToUpper();
    const std::u16string upper(reinterpret_cast<const char16_t*>(s.StrGet()), s.Len());
    const unsigned ours[] = {ch.ToLower(nullptr).ValueGet(), ch.ToUpper(nullptr).ValueGet(), upper == std::u16string(full, full + n)};
    const unsigned icu[] = {unsigned(u_tolower(u)), unsigned(n == 1 ? u_toupper(u) : full[0]), 1};
    for (int i = 0; i < 3; ++i)  // in decimal: which character, which mapping, ours and ICU's
      if (ours[i] != icu[i]) differences.push_back(std::to_string(u) + (i ? " upper " : " lower ") + std::to_string(ours[i]) + " " + std::to_string(icu[i]));
  }
  EXPECT_EQ(differences, std::vector<std::string>{});
}

}  // namespace
