// The strict PST checker: re-reads a Unicode PST (wVer 23) with its own reader,
// independent of the writer, and reports every broken invariant Outlook relies on.
#pragma once
#include <cstdint>
#include <filesystem>
#include <span>

#include "pst/verify/contents.h"
#include "pst/verify/report.h"

namespace pst::verify {

struct Options {
  // Rules of a message store on top of the node and table layers: folder,
  // message, attachment and table NIDs hold a heap (PC or TC), every
  // nidParent is a node, folder tables list exactly the folder's children,
  // folder counts agree, named property IDs are mapped. Off for the lower
  // layers' own test files, which store raw bytes or loose tables.
  bool storeRules = true;
  // A writer killed during a commit leaves fAMapValid 0, and a reader then
  // rebuilds the allocation maps: accept that state and skip the map checks.
  bool allowInvalidMaps = false;
};

// Checks the header, the allocation maps, both B-trees, every block, every
// node's data and subnode trees and every heap, property context and table.
// With contents, also what each node holds, as far as it could be read.
Report checkFile(const std::filesystem::path& file, const Options& options = {}, Contents* contents = nullptr);
// The same on a file already in memory.
Report checkBytes(std::span<const std::uint8_t> file, const Options& options = {}, Contents* contents = nullptr);

}  // namespace pst::verify
