// Helpers for the messaging tests: the shared test support under its short
// names, what the strict checker read from each node, and expectations.
#pragma once
#include <cstdint>
#include <filesystem>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "pst/ltp/property_value.h"
#include "pst/messaging/store.h"
#include "pst/verify/contents.h"
#include "tests/support/command.h"
#include "tests/support/pst_checks.h"
#include "tests/support/temp_dir.h"

namespace pst::test {

using quillonet::test_support::CommandResult;
using quillonet::test_support::expectProblems;
using quillonet::test_support::run;
using quillonet::test_support::samplePath;
using quillonet::test_support::strictProblems;
using quillonet::test_support::TempDir;

std::string hex(std::span<const std::uint8_t> bytes);
std::string utf8(std::u16string_view s);
// A property tag as pst_readback.py writes it: 8 lowercase hex digits.
std::string tagKey(ltp::PropTag tag);

// A small JSON writer for expectations.
class Json {
 public:
  static std::string quote(std::string_view utf8Text);
  static std::string quote(std::u16string_view text) { return quote(utf8(text)); }
};

}  // namespace pst::test

namespace pst::test {

// One node as the strict checker read it.
using DumpNode = verify::NodeContents;
// Every node of the file; fails the calling test when the checker finds a problem.
std::map<std::uint32_t, DumpNode> dumpNodes(const std::filesystem::path& pst);
// A property or cell value as the checker shows it, "(absent)" when missing.
std::string shown(const DumpNode::Cells& cells, std::uint32_t tag);

}  // namespace pst::test

namespace pst::test {

// A plain contact as the import writes many of: names, company, phone,
// e-mail and file-as (named), about a dozen properties.
Message simpleContact(const std::u16string& given, const std::u16string& surname);

}  // namespace pst::test
