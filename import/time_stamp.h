// The time stamp in store file and display names: "d.m.YY H.m.ss".
#pragma once

#include <QDateTime>
#include <QString>

namespace quillonet {

// Day and month without leading zeros, two-digit year, hour 0-23 and minute
// without leading zeros, seconds with two digits: 7.12.26 9.5.03.
QString TimeStamp(const QDateTime& when);

}  // namespace quillonet
