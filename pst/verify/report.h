// What the strict checker found in a PST file: problems, notes and whether it could read it at all.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

namespace pst::verify {

struct Report {
  // false when the file could not be read as a Unicode PST at all (missing,
  // too short, wrong magic or version); problems then says why.
  bool readable = true;
  // Broken invariants: each names the structure, where it is and what is wrong.
  std::vector<std::string> problems;
  // Oddities that Outlook's own files carry (a leaked block, junk in unused
  // bytes); never a reason to fail.
  std::vector<std::string> notes;
  // Problems left out after the first kMaxProblems.
  std::size_t suppressed = 0;

  static constexpr std::size_t kMaxProblems = 200;

  bool clean() const { return readable && problems.empty() && suppressed == 0; }
  // Every problem (then every note, prefixed "note: ") on its own line.
  std::string text() const;
};

}  // namespace pst::verify
