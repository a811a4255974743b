// Helpers for the messaging tests.
#include "test_support.h"

#include "pst/verify/verify.h"

#include <stdio.h>
#include <stdlib.h>

#include <array>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace pst::test {
namespace {

std::string shellQuote(const std::string& s) {
  std::string out = "'";
  for (char c : s) {
    if (c == '\'') {
      out += "'\\''";
    } else {
      out += c;
    }
  }
  return out + "'";
}

}  // namespace

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "pst-msg-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

CommandResult run(const std::vector<std::string>& argv) {
  std::string command;
  for (const auto& arg : argv) command += shellQuote(arg) + " ";
  command += "2>&1";
  CommandResult result;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return result;
  std::array<char, 4096> buffer;
  std::size_t n;
  while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) result.output.append(buffer.data(), n);
  const int status = ::pclose(pipe);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

std::string toolPath(const std::string& name) { return std::string(QUILLONET_SHARED_TOOLS) + "/" + name; }
std::string samplePath(const std::string& name) { return std::string(QUILLONET_SAMPLES) + "/" + name; }

std::string strictProblems(const std::filesystem::path& pst) {
  auto r = run({toolPath("pststrict"), pst.string()});
  std::string problems = r.exitCode == 0 ? "" : r.output;
  const auto own = verify::checkFile(pst);
  if (!own.clean()) problems += "quillonet-pstverify:\n" + own.text();
  return problems;
}

std::string expectProblems(const std::filesystem::path& pst, const std::string& expectationJson) {
  const auto file = pst.string() + ".expect.json";
  std::ofstream(file) << expectationJson;
  ::setenv("QUILLONET_SHARED_TOOLS", QUILLONET_SHARED_TOOLS, 1);
  auto r = run({"python3", QUILLONET_PST_EXPECT, "check", pst.string(), file});
  std::string problems;
  if (r.exitCode != 0) problems = r.output.empty() ? "pst_expect.py failed without output" : r.output;
  // Our own checker beside the readers; a killed writer leaves maps to rebuild.
  verify::Options options;
  options.allowInvalidMaps = expectationJson.find("\"crashed\": true") != std::string::npos;
  const auto own = verify::checkFile(pst, options);
  if (!own.clean()) problems += "quillonet-pstverify:\n" + own.text();
  return problems;
}

std::string hex(std::span<const std::uint8_t> bytes) {
  static const char* digits = "0123456789abcdef";
  std::string s;
  s.reserve(bytes.size() * 2);
  for (auto b : bytes) {
    s += digits[b >> 4];
    s += digits[b & 15];
  }
  return s;
}

std::string utf8(std::u16string_view s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    std::uint32_t c = s[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < s.size()) c = 0x10000 + ((c - 0xD800) << 10) + (s[++i] - 0xDC00);
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::string tagKey(ltp::PropTag tag) {
  char text[16];
  std::snprintf(text, sizeof text, "%08x", tag);
  return text;
}

std::string Json::quote(std::string_view text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char esc[8];
      std::snprintf(esc, sizeof esc, "\\u%04x", c);
      out += esc;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

}  // namespace pst::test

namespace pst::test {

const std::string* DumpNode::rowWith(const std::string& cell) const {
  for (const auto& row : rows) {
    if (row.find(cell) != std::string::npos) return &row;
  }
  return nullptr;
}

std::map<std::uint32_t, DumpNode> dumpNodes(const std::filesystem::path& pst) {
  auto r = run({toolPath("pststrict"), "--dump", pst.string()});
  if (r.exitCode != 0) throw std::runtime_error("pststrict --dump failed: " + r.output.substr(0, 2000));
  std::map<std::uint32_t, DumpNode> nodes;
  DumpNode* current = nullptr;
  std::istringstream lines(r.output);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.rfind("NID ", 0) == 0) {
      std::istringstream words(line);
      std::string word, nid, parent;
      words >> word >> nid >> word >> parent;
      DumpNode node;
      node.nid = static_cast<std::uint32_t>(std::stoul(nid, nullptr, 16));
      node.parent = static_cast<std::uint32_t>(std::stoul(parent, nullptr, 16));
      node.kind = line.substr(line.rfind(" kind ") + 6);
      const auto open = line.find("subnodes [");
      if (open != std::string::npos) node.subnodes = line.substr(open + 10, line.find(']', open) - open - 10);
      current = &(nodes[node.nid] = node);
      continue;
    }
    if (current == nullptr || line.rfind("   ", 0) != 0) continue;
    const std::string body = line.substr(3);
    if (body.rfind("cols ", 0) == 0) {
      current->columns = body.substr(5);
    } else if (body.rfind("row: ", 0) == 0) {
      current->rows.push_back(body.substr(5));
    } else if (body.rfind("raw: ", 0) == 0) {
      current->raw = body.substr(5);
    } else if (body.size() > 11 && body.substr(8, 3) == " = ") {
      current->properties[body.substr(0, 8)] = body.substr(11);
    }
  }
  return nodes;
}

}  // namespace pst::test

namespace pst::test {

Message simpleContact(const std::u16string& given, const std::u16string& surname) {
  using ltp::PropertyValue;
  const std::u16string display = given + u" " + surname;
  Message m;
  auto add = [&](PropertyKey key, PropertyValue value) { m.properties.push_back({std::move(key), std::move(value)}); };
  add(ltp::PropId{0x001A}, PropertyValue::string(u"IPM.Contact"));
  add(ltp::PropId{0x3001}, PropertyValue::string(display));
  add(ltp::PropId{0x0037}, PropertyValue::string(display));
  add(ltp::PropId{0x0E1D}, PropertyValue::string(display));
  add(ltp::PropId{0x3A06}, PropertyValue::string(given));
  add(ltp::PropId{0x3A11}, PropertyValue::string(surname));
  add(ltp::PropId{0x3A16}, PropertyValue::string(u"Example Ltd"));
  add(ltp::PropId{0x3A08}, PropertyValue::string(u"+1 555 0100"));
  add(NamedId{PSETID_Address, 0x8005}, PropertyValue::string(surname + u", " + given));
  add(NamedId{PSETID_Address, 0x8080}, PropertyValue::string(display));
  add(NamedId{PSETID_Address, 0x8082}, PropertyValue::string(u"SMTP"));
  add(NamedId{PSETID_Address, 0x8083}, PropertyValue::string(given + u"@example.com"));
  return m;
}

}  // namespace pst::test
