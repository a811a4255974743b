// ScanError: a failure of the folder scanner or its collections, with a number and a description.
#pragma once

#include <QString>

#include <stdexcept>

namespace quillonet {

class ScanError : public std::runtime_error {
 public:
  // The numbers follow the runtime errors the scanner's callers know.
  static constexpr int kInvalidArgument = 5;     // no such position or key
  static constexpr int kObjectNotSet = 91;       // LogPath without PathLogInit
  static constexpr int kDuplicateKey = 457;      // key already in the collection

  ScanError(int number, const QString& description)
      : std::runtime_error(description.toStdString()), number_(number), description_(description) {}
  int Number() const { return number_; }
  const QString& Description() const { return description_; }

 private:
  int number_;
  QString description_;
};

}  // namespace quillonet
