#include "tests/support/command.h"

#include <stdio.h>
#include <sys/wait.h>

#include <array>

namespace quillonet::test_support {
namespace {

std::string shellQuote(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

}  // namespace

CommandResult run(const std::vector<std::string>& argv) {
  std::string command;
  for (const auto& arg : argv) command += shellQuote(arg) + " ";
  command += "2>&1";
  CommandResult result;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return result;
  std::array<char, 65536> buffer;
  std::size_t n;
  while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) result.output.append(buffer.data(), n);
  const int status = ::pclose(pipe);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

}  // namespace quillonet::test_support
