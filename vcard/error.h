// The one error type of the vCard library: a clear description of what failed.
#pragma once
#include <stdexcept>

namespace vcard {

class Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace vcard
