// The core's text (std::u16string) and the tests' QString, both ways, and
// the core's clock from a QDateTime.
#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <string>
#include <vector>

#include "platform/clock.h"

namespace quillonet::test_support {

inline QString Q(const std::u16string& text) { return QString::fromStdU16String(text); }
inline std::u16string U(const QString& text) { return text.toStdU16String(); }
inline std::vector<std::u16string> U(const QStringList& list) {
  std::vector<std::u16string> out;
  out.reserve(static_cast<std::size_t>(list.size()));
  for (const QString& text : list) out.push_back(text.toStdU16String());
  return out;
}

// A moment of the local calendar as the import run's clock gives it.
inline platform::WallClock::time_point At(const QDateTime& local) {
  return platform::WallClock::time_point(std::chrono::milliseconds(local.toMSecsSinceEpoch()));
}

}  // namespace quillonet::test_support
