#include "tests/support/pst_checks.h"

#include <fstream>

#include "tests/support/command.h"

namespace quillonet::test_support {

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
  const auto file = pst.string() + ".expect.json";
  std::ofstream(file) << expectationJson;
  const auto r = run({"python3", readbackScript().string(), "check", pst.string(), file});
  std::string problems;
  if (r.exitCode != 0) problems = r.output.empty() ? "pst_readback.py failed without output" : r.output;
  pst::verify::Options options;
  options.allowInvalidMaps = expectationJson.find("\"crashed\": true") != std::string::npos;
  return problems + strictProblems(pst, options);
}

}  // namespace quillonet::test_support
