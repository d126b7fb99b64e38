// dates.h — date and time values at the terminal, in ISO 8601 forms.
//
//   KvDate, d_Date       2000-01-31 ('*' for a field: the wildcard)
//   KvTime               13:05:09
//   KvDateTime           2000-01-31T13:05:09 (or a blank for the T)
//   d_Time               13:05:09.25+02:00 (fraction and zone optional;
//                        without a zone, the default zone)
//   d_Timestamp          2000-01-31T13:05:09.25+02:00
//   d_Interval           seconds: 90061.5
#ifndef KVTM_TOOLS_DATES_H
#define KVTM_TOOLS_DATES_H

#include <string>

bool IsDateType(char id);

// One value parsed into `out` (memory form of the type); a bad text fails
// with a message naming the expected form.
void ParseDate(char id, const std::string& text, void* out);

// One memory-form value as terminal text.
std::string ShowDate(char id, const void* value);

#endif  // KVTM_TOOLS_DATES_H
