// Errors raised by the PST library: one type, with a message naming what failed.
#pragma once
#include <stdexcept>
#include <string>

namespace pst {

class Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace pst
