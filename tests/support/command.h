// Runs a program for a test and collects what it printed.
#pragma once
#include <string>
#include <vector>

namespace quillonet::test_support {

struct CommandResult {
  int exitCode = -1;   // -1 when it could not start or did not exit normally
  std::string output;  // stdout and stderr together
};

CommandResult run(const std::vector<std::string>& argv);

}  // namespace quillonet::test_support
