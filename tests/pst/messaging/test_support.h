// Helpers for the messaging tests: temporary folders, running the PST
// checkers on written files, and the expectations they are checked against.
#pragma once
#include <cstdint>
#include <filesystem>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "pst/ltp/property_value.h"
#include "pst/messaging/store.h"

namespace pst::test {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

struct CommandResult {
  int exitCode = -1;
  std::string output;  // stdout and stderr
};
CommandResult run(const std::vector<std::string>& argv);

std::string toolPath(const std::string& name);  // a shared checker: pstcheck, pststrict
std::string samplePath(const std::string& name);

// Runs pststrict and our own checker; "" when neither finds a problem, their reports otherwise.
std::string strictProblems(const std::filesystem::path& pst);
// Runs pst_expect.py and our own checker on the file; "" when everything matches.
std::string expectProblems(const std::filesystem::path& pst, const std::string& expectationJson);

std::string hex(std::span<const std::uint8_t> bytes);
std::string utf8(std::u16string_view s);
// A property tag as pst_expect.py writes it: 8 lowercase hex digits.
std::string tagKey(ltp::PropTag tag);

// A small JSON writer for expectations.
class Json {
 public:
  static std::string quote(std::string_view utf8Text);
  static std::string quote(std::u16string_view text) { return quote(utf8(text)); }
};

}  // namespace pst::test

namespace pst::test {

// One node as `pststrict --dump` prints it.
struct DumpNode {
  std::uint32_t nid = 0;
  std::uint32_t parent = 0;
  std::string kind;                               // PC, TC, raw, empty, ...
  std::map<std::string, std::string> properties;  // PC: "3001001f" -> "'Name'"
  std::string columns;                            // TC: "rgib=(...): tag@ib/cb/bit ..."
  std::vector<std::string> rows;                  // TC: each row as printed
  std::string raw;
  std::string subnodes;  // as printed: '0x692', '0x671', ...
  // The printed row holding a cell as printed: "'67f20003': '0x8022'".
  const std::string* rowWith(const std::string& cell) const;
};
// Parses `pststrict --dump FILE`; fails the calling test on a checker error.
std::map<std::uint32_t, DumpNode> dumpNodes(const std::filesystem::path& pst);

}  // namespace pst::test

namespace pst::test {

// A plain contact as the import writes many of: names, company, phone,
// e-mail and file-as (named), about a dozen properties.
Message simpleContact(const std::u16string& given, const std::u16string& surname);

}  // namespace pst::test
