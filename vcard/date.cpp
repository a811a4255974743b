// vCard date values to FILETIME.
#include "vcard/date.h"

namespace vcard {

namespace {

bool isLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int daysInMonth(int y, int m) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && isLeap(y) ? 29 : kDays[m - 1];
}

// Reads exactly n digits at pos.
bool digits(std::u16string_view s, std::size_t& pos, int n, int& out) {
  out = 0;
  for (int k = 0; k < n; ++k, ++pos) {
    if (pos >= s.size() || s[pos] < u'0' || s[pos] > u'9') return false;
    out = out * 10 + (s[pos] - u'0');
  }
  return true;
}

}  // namespace

FileTime fileTimeOf(int year, int month, int day) {
  // Days from 1601-01-01, counted by whole years, then months.
  std::int64_t days = 0;
  const int y = year - 1601;
  days += static_cast<std::int64_t>(y) * 365 + y / 4 - y / 100 + y / 400;
  for (int m = 1; m < month; ++m) days += daysInMonth(year, m);
  days += day - 1;
  return FileTime{days * 864'000'000'000LL};
}

std::optional<FileTime> parseDate(std::u16string_view text) {
  while (!text.empty() && (text.front() == u' ' || text.front() == u'\t')) text.remove_prefix(1);
  std::size_t pos = 0;
  int year = kNoYear, month = 0, day = 0;
  if (text.substr(0, 2) == u"--") {
    pos = 2;
  } else if (!digits(text, pos, 4, year)) {
    return std::nullopt;
  }
  if (pos < text.size() && text[pos] == u'-') ++pos;
  if (!digits(text, pos, 2, month)) return std::nullopt;
  if (pos < text.size() && text[pos] == u'-') ++pos;
  if (!digits(text, pos, 2, day)) return std::nullopt;
  // Whatever follows must be a time part or nothing.
  if (pos < text.size() && text[pos] != u'T' && text[pos] != u't' && text[pos] != u' ')
    return std::nullopt;
  if (year < 1601 || year > 9999 || month < 1 || month > 12 || day < 1 ||
      day > daysInMonth(year, month))
    return std::nullopt;
  return fileTimeOf(year, month, day);
}

}  // namespace vcard
