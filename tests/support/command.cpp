#include "tests/support/command.h"

#include <stdio.h>
#ifndef _WIN32
#include <sys/wait.h>
#endif

#include <array>

namespace quillonet::test_support {
namespace {

#ifdef _WIN32
// An argument as the C runtime splits a command line: in double quotes,
// backslashes doubled only before a quote.
std::string shellQuote(const std::string& s) {
  std::string out = "\"";
  std::size_t backslashes = 0;
  for (char c : s) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    out.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, '\\');
  return out + "\"";
}
#else
std::string shellQuote(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}
#endif

}  // namespace

CommandResult run(const std::vector<std::string>& argv) {
  std::string command;
  for (const auto& arg : argv) command += shellQuote(arg) + " ";
  command += "2>&1";
  CommandResult result;
#ifdef _WIN32
  // cmd.exe /c takes the line whole when it is wrapped in one more pair of quotes.
  command = "\"" + command + "\"";
  FILE* pipe = ::_popen(command.c_str(), "rb");
#else
  FILE* pipe = ::popen(command.c_str(), "r");
#endif
  if (pipe == nullptr) return result;
  std::array<char, 65536> buffer;
  std::size_t n;
  while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) result.output.append(buffer.data(), n);
#ifdef _WIN32
  result.exitCode = ::_pclose(pipe);
#else
  const int status = ::pclose(pipe);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
  return result;
}

}  // namespace quillonet::test_support
