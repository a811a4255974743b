// A plain data stream (a large property value, a row matrix) as node data:
// blocks of exactly 8176 bytes except the last, as readers locate byte n in block n / 8176.
#pragma once
#include <cstdint>
#include <span>

#include "pst/ndb/node_data.h"

namespace pst::ltp {

ndb::NodeData streamNode(std::span<const std::uint8_t> bytes);

}  // namespace pst::ltp
