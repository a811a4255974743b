// ScanError: a failure of the folder scanner or its collections, with a number and a description.
#pragma once

#include <stdexcept>
#include <string>
#include <utility>

#include "util/text.h"

namespace quillonet {

class ScanError : public std::runtime_error {
 public:
  // The numbers follow the runtime errors the scanner's callers know.
  static constexpr int kInvalidArgument = 5;     // no such position or key
  static constexpr int kObjectNotSet = 91;       // LogPath without PathLogInit
  static constexpr int kDuplicateKey = 457;      // key already in the collection

  ScanError(int number, std::u16string description)
      : std::runtime_error(text::ToUtf8(description)), number_(number), description_(std::move(description)) {}
  int Number() const { return number_; }
  const std::u16string& Description() const { return description_; }

 private:
  int number_;
  std::u16string description_;
};

}  // namespace quillonet
