// The content of one node as the LTP layer lays it out for the NDB layer.
#pragma once
#include <cstdint>
#include <map>
#include <vector>

namespace pst::ndb {

using Nid = std::uint32_t;
using Bid = std::uint64_t;

// NID types (MS-PST 2.2.2.1): the low five bits of a NID.
enum NidType : std::uint8_t {
  NID_TYPE_HID = 0x00,
  NID_TYPE_INTERNAL = 0x01,
  NID_TYPE_NORMAL_FOLDER = 0x02,
  NID_TYPE_SEARCH_FOLDER = 0x03,
  NID_TYPE_NORMAL_MESSAGE = 0x04,
  NID_TYPE_ATTACHMENT = 0x05,
  NID_TYPE_SEARCH_UPDATE_QUEUE = 0x06,
  NID_TYPE_SEARCH_CRITERIA_OBJECT = 0x07,
  NID_TYPE_ASSOC_MESSAGE = 0x08,
  NID_TYPE_CONTENTS_TABLE_INDEX = 0x0A,
  NID_TYPE_RECEIVE_FOLDER_TABLE = 0x0B,
  NID_TYPE_OUTGOING_QUEUE_TABLE = 0x0C,
  NID_TYPE_HIERARCHY_TABLE = 0x0D,
  NID_TYPE_CONTENTS_TABLE = 0x0E,
  NID_TYPE_ASSOC_CONTENTS_TABLE = 0x0F,
  NID_TYPE_SEARCH_CONTENTS_TABLE = 0x10,
  NID_TYPE_ATTACHMENT_TABLE = 0x11,
  NID_TYPE_RECIPIENT_TABLE = 0x12,
  NID_TYPE_SEARCH_TABLE_INDEX = 0x13,
  NID_TYPE_LTP = 0x1F,
};

constexpr Nid makeNid(NidType type, std::uint32_t index) { return (index << 5) | type; }
constexpr NidType nidType(Nid nid) { return static_cast<NidType>(nid & 0x1F); }
constexpr std::uint32_t nidIndex(Nid nid) { return nid >> 5; }

// Largest payload of one data block (8192 minus the 16-byte trailer).
constexpr std::size_t kMaxBlockData = 8176;

// A node's data stream, already cut into blocks (each at most kMaxBlockData
// bytes; a heap's pages map one to one onto blocks), and its subnodes.
// No blocks means the node has no data (bidData 0). More than one block is
// stored as an XBLOCK/XXBLOCK tree by the NDB layer.
// In a stream of several blocks (a node's own or a direct subnode's), an
// empty block stands for the block at the same position when that stream
// was last put: the NDB layer keeps it, so a large node that changed only at
// its end is put without holding its unchanged blocks in memory.
struct NodeData {
  std::vector<std::vector<std::uint8_t>> blocks;
  std::map<Nid, NodeData> subnodes;
};

}  // namespace pst::ndb
