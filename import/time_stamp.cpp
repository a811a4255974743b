// TimeStamp: the pattern "d.m.YY H.m.ss" built field by field, locale-free.
#include "import/time_stamp.h"

namespace quillonet {

QString TimeStamp(const QDateTime& when) {
  const QDate date = when.date();
  const QTime time = when.time();
  return QStringLiteral("%1.%2.%3 %4.%5.%6")
      .arg(date.day())
      .arg(date.month())
      .arg(((date.year() % 100) + 100) % 100, 2, 10, QLatin1Char('0'))
      .arg(time.hour())
      .arg(time.minute())
      .arg(time.second(), 2, 10, QLatin1Char('0'));
}

}  // namespace quillonet
