#include "tests/support/pst_checks.h"

#include <cstdlib>
#include <fstream>

#include "tests/support/command.h"

#ifdef _WIN32
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#endif

namespace quillonet::test_support {

#ifdef _WIN32
namespace {

// The read-back oracle runs on Linux (libpff's Python module and readpst),
// not under Wine: here a file to check is put, with its expectation and the
// test's name, into the folder QUILLONET_ORACLE_QUEUE names, and
// check_oracle_queue.sh judges every queued file once the tests have run.
// Attachment files the expectation names are queued beside it.
std::string queueForOracle(const std::filesystem::path& pst, std::string expectationJson) {
  const char* queue = std::getenv("QUILLONET_ORACLE_QUEUE");
  if (queue == nullptr || *queue == '\0')
    return "the read-back oracle runs on Linux: set QUILLONET_ORACLE_QUEUE to the folder "
           "check_oracle_queue.sh judges\n";
  static std::atomic<int> counter{0};
  const std::string stem =
      std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(counter++);
  const std::filesystem::path folder(queue);
  std::error_code ec;
  const std::string key = "\"data_file\": \"";
  for (std::size_t at = expectationJson.find(key); at != std::string::npos; at = expectationJson.find(key, at)) {
    const std::size_t begin = at + key.size();
    std::size_t end = begin;
    std::string path;
    for (; end < expectationJson.size() && expectationJson[end] != '"'; ++end) {
      if (expectationJson[end] == '\\' && end + 1 < expectationJson.size()) ++end;
      path += expectationJson[end];
    }
    const std::string copy = stem + "-data-" + std::to_string(begin);
    std::filesystem::copy_file(path, folder / copy, ec);
    if (ec) return "cannot queue " + path + " for the oracle: " + ec.message() + "\n";
    expectationJson.replace(begin, end - begin, copy);
    at = begin + copy.size();
  }
  std::filesystem::copy_file(pst, folder / (stem + ".pst"), ec);
  if (ec) return "cannot queue " + pst.string() + " for the oracle: " + ec.message() + "\n";
  std::ofstream(folder / (stem + ".pst.expect.json"), std::ios::binary) << expectationJson;
  const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
  std::ofstream(folder / (stem + ".pst.test"), std::ios::binary)
      << (test ? std::string(test->test_suite_name()) + "." + test->name() : std::string("?")) << " ("
      << pst.filename().string() << ")\n";
  return "";
}

}  // namespace
#endif

std::filesystem::path samplePath(const std::string& name) { return std::filesystem::path(QUILLONET_SAMPLES) / name; }

std::filesystem::path readbackScript() { return QUILLONET_READBACK; }

std::string strictProblems(const std::filesystem::path& pst, const pst::verify::Options& options) {
  const auto report = pst::verify::checkFile(pst, options);
  return report.clean() ? "" : "quillonet-pstverify " + pst.string() + ":\n" + report.text();
}

StrictRead strictRead(const std::filesystem::path& pst, const pst::verify::Options& options) {
  StrictRead read;
  const auto report = pst::verify::checkFile(pst, options, &read.contents);
  if (!report.clean()) read.problems = "quillonet-pstverify " + pst.string() + ":\n" + report.text();
  return read;
}

std::string expectProblems(const std::filesystem::path& pst, const std::string& expectationJson) {
#ifdef _WIN32
  std::string problems = queueForOracle(pst, expectationJson);
#else
  const auto file = pst.string() + ".expect.json";
  std::ofstream(file) << expectationJson;
  const auto r = run({"python3", readbackScript().string(), "check", pst.string(), file});
  std::string problems;
  if (r.exitCode != 0) problems = r.output.empty() ? "pst_readback.py failed without output" : r.output;
#endif
  pst::verify::Options options;
  options.allowInvalidMaps = expectationJson.find("\"crashed\": true") != std::string::npos;
  return problems + strictProblems(pst, options);
}

}  // namespace quillonet::test_support
