// vCard dates (BDAY, ANNIVERSARY, X-MS-ANNIVERSARY) to FILETIME.
#pragma once
#include <optional>
#include <string_view>

#include "vcard/contact.h"

namespace vcard {

// Year-less dates (--MMDD) get this year: the one Apple writes for "no year".
constexpr int kNoYear = 1604;

// The calendar date of a vCard date or date-time value at 00:00 UTC; a time
// and zone offset, if any, are ignored (the date is kept as written).
// Accepts YYYYMMDD, YYYY-MM-DD, --MMDD, --MM-DD, with an optional time part.
std::optional<FileTime> parseDate(std::u16string_view text);

// 00:00 UTC of a calendar date; the date must be valid.
FileTime fileTimeOf(int year, int month, int day);

}  // namespace vcard
