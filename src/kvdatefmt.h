// kvdatefmt.h — the text of a date and time under a format of '%'
// directives, printed and scanned through the fields of a KvDateTime
// (internal).
//
// Directives: %A %a weekday name and its first three letters; %B %b month
// name and its first three letters; %d %e day; %m month; %Y year; %y year
// of the century; %H hour; %I hour on a 12-hour clock; %M minute; %S
// second; %P %p AM/PM and am/pm; %% a percent sign.
#ifndef KVTM_SRC_KVDATEFMT_H
#define KVTM_SRC_KVDATEFMT_H

#include <cstddef>

#include "kvtm/kvdate.h"

class KvTextBuffer;

// Appends the text of `view` under `format` to `text`. Any other character
// is copied; '%' before a character that is no directive copies that
// character alone, and a '%' ending the format ends the text.
void KvPrintDateTime(KvTextBuffer& text, const KvDateTime& view, const char* format);

// The fields read from the first `length` bytes of `text` under `format`,
// starting from 0000-01-01 00:00:00. Each format character that is not a
// directive skips one text character; numbers take a fixed number of
// characters (two; for %Y four, or a sign and four). %p (%P) ending the
// format with the rest of the text "pm" ("PM") adds 12 to an hour below 12,
// so "12:30:00 pm" is 12:30 and "00:30:00 am" 00:30, as they print. Fields
// that do not read keep their start value; a result that is no valid date
// and time is 0000-01-01 00:00:00. Nothing beyond `length` is read.
KvDateTime KvScanDateTime(const char* text, size_t length, const char* format);

#endif  // KVTM_SRC_KVDATEFMT_H
