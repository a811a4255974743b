// The error every automation call raises on failure: a number and a text that
// says what failed and why.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "util/text.h"

namespace quillonet::automation {

// Numbers in the form the mail components report them (HRESULTs), plus the
// scripting runtime's "object not set" for a call on a missing object.
namespace errors {
inline constexpr std::int32_t kObjectNotSet = 91;
inline constexpr std::int32_t kCallFailed = static_cast<std::int32_t>(0x80004005);
inline constexpr std::int32_t kInvalidArgument = static_cast<std::int32_t>(0x80070057);
inline constexpr std::int32_t kNoAccess = static_cast<std::int32_t>(0x80070005);
inline constexpr std::int32_t kNoSupport = static_cast<std::int32_t>(0x80040102);
inline constexpr std::int32_t kObjectDeleted = static_cast<std::int32_t>(0x8004010A);
inline constexpr std::int32_t kNotFound = static_cast<std::int32_t>(0x8004010F);
inline constexpr std::int32_t kPathNotFound = static_cast<std::int32_t>(0x80070003);
inline constexpr std::int32_t kNotEnoughDisk = static_cast<std::int32_t>(0x8004010D);
inline constexpr std::int32_t kDiskError = static_cast<std::int32_t>(0x80040116);
inline constexpr std::int32_t kCorruptData = static_cast<std::int32_t>(0x8004011B);
inline constexpr std::int32_t kCollision = static_cast<std::int32_t>(0x80040604);
inline constexpr std::int32_t kNotInitialized = static_cast<std::int32_t>(0x80040605);
}  // namespace errors

class AutomationError : public std::runtime_error {
 public:
  AutomationError(std::int32_t number, std::u16string description);

  std::int32_t number() const { return number_; }
  const std::u16string& description() const { return description_; }

 private:
  std::int32_t number_;
  std::u16string description_;
};

// The object a call is made on; throws "object not set" when there is none,
// as a late-bound call on an empty reference does.
template <class Pointer>
auto& Require(const Pointer& object, const char* what) {
  if (!object) {
    throw AutomationError(errors::kObjectNotSet,
                          text::Format(u"Object variable not set: there is no %1", {text::FromUtf8(what)}));
  }
  return *object;
}

}  // namespace quillonet::automation
