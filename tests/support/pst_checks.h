// The judges of the PST files tests write: our strict checker (in-process)
// and the read-back oracle pst_readback.py (libpff and readpst), and the
// Outlook-made samples in tests/data to compare against.
#pragma once
#include <filesystem>
#include <string>

#include "pst/verify/verify.h"

namespace quillonet::test_support {

std::filesystem::path samplePath(const std::string& name);  // a file in tests/data
std::filesystem::path readbackScript();                      // tests/support/pst_readback.py

// The strict checker's report; "" when it finds no problem.
std::string strictProblems(const std::filesystem::path& pst, const pst::verify::Options& options = {});

// The strict checker's report ("" when clean) and what it read from every node.
struct StrictRead {
  std::string problems;
  pst::verify::Contents contents;
};
StrictRead strictRead(const std::filesystem::path& pst, const pst::verify::Options& options = {});

// The oracle checks the file against an expectation (the keys are listed in
// pst_readback.py) and the strict checker runs beside it; "" when both agree
// with it. "crashed": true accepts the allocation maps a killed writer leaves.
std::string expectProblems(const std::filesystem::path& pst, const std::string& expectationJson);

}  // namespace quillonet::test_support
