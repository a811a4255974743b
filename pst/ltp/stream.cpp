// Cuts a plain data stream into node data blocks.
#include "pst/ltp/stream.h"

#include <algorithm>

namespace pst::ltp {

ndb::NodeData streamNode(std::span<const std::uint8_t> bytes) {
  ndb::NodeData out;
  out.blocks.reserve((bytes.size() + ndb::kMaxBlockData - 1) / ndb::kMaxBlockData);
  for (std::size_t at = 0; at < bytes.size(); at += ndb::kMaxBlockData) {
    const auto part = bytes.subspan(at, std::min(ndb::kMaxBlockData, bytes.size() - at));
    out.blocks.emplace_back(part.begin(), part.end());
  }
  return out;
}

}  // namespace pst::ltp
