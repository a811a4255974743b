// checkFile/checkBytes: reads the file and runs the passes in order; the report's text.
#include "pst/verify/verify.h"

#include <fstream>

#include "pst/verify/codec.h"
#include "pst/verify/context.h"

namespace pst::verify {

std::string Report::text() const {
  std::string out;
  for (const auto& p : problems) out += p + "\n";
  if (suppressed) out += "... and " + std::to_string(suppressed) + " more problems\n";
  for (const auto& n : notes) out += "note: " + n + "\n";
  return out;
}

void Context::problem(std::string message) {
  if (report.problems.size() >= Report::kMaxProblems) {
    ++report.suppressed;
    return;
  }
  report.problems.push_back(std::move(message));
}

void Context::note(std::string message) {
  if (report.notes.size() < Report::kMaxProblems) report.notes.push_back(std::move(message));
}

std::optional<std::vector<std::uint8_t>> Context::blockData(std::uint64_t bid, const std::string& user) {
  auto it = bbt.find(bidKey(bid));
  if (it == bbt.end()) {
    problem(user + ": block " + hex(bid) + " is not in the BBT");
    return std::nullopt;
  }
  if (!it->second.blockOk) return std::nullopt;  // already reported by checkBlocks
  const auto& e = it->second;
  std::vector<std::uint8_t> data(file.begin() + static_cast<std::ptrdiff_t>(e.ib),
                                 file.begin() + static_cast<std::ptrdiff_t>(e.ib + e.cb));
  if (!isInternal(e.bid) && header.cryptMethod == 1) permuteDecode(data);
  return data;
}

Report checkBytes(std::span<const std::uint8_t> file, const Options& options, Contents* contents) {
  Report report;
  Context c(file, report);
  c.options = options;
  if (contents) *contents = {};
  c.contents = contents;
  if (!checkHeader(c)) {
    report.readable = false;
    return report;
  }
  if (!c.mapsInvalid) checkMapPages(c);
  checkBTrees(c);
  if (contents) contents->blocks = c.bbt.size();
  checkBlocks(c);
  checkNodes(c);
  checkReferences(c);
  if (!c.mapsInvalid) checkAllocation(c);
  checkStore(c);
  return report;
}

Report checkFile(const std::filesystem::path& file, const Options& options, Contents* contents) {
  std::ifstream in(file, std::ios::binary);
  std::error_code ec;
  const auto size = std::filesystem::file_size(file, ec);
  if (!in || ec) {
    Report r;
    r.readable = false;
    r.problems.push_back("cannot open " + file.string());
    return r;
  }
  std::vector<std::uint8_t> bytes(size);
  if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size))) {
    Report r;
    r.readable = false;
    r.problems.push_back("cannot read " + file.string());
    return r;
  }
  return checkBytes(bytes, options, contents);
}

}  // namespace pst::verify
