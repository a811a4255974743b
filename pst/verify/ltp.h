// What the node walk hands the LTP checks: a node's data stream and its subnodes.
#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "pst/verify/context.h"

namespace pst::verify {

// A node's data stream as blocks (decoded), as the data tree lists them.
struct DataTree {
  std::vector<std::vector<std::uint8_t>> blocks;
  std::uint64_t size = 0;
  bool ok = true;  // every block could be read and the tree is well formed
};

// The subnodes of one node: NID -> data stream (null for bidData 0).
using Subnodes = std::map<std::uint32_t, std::shared_ptr<const DataTree>>;

// Checks an HN (MS-PST 2.3.1) and, by its client signature, the BTH, PC or TC on it.
HeapSummary checkHeap(Context& c, const std::string& where, const DataTree& data, const Subnodes& subnodes);

}  // namespace pst::verify
