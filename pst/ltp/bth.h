// BTree-on-heap writer (MS-PST 2.3.2): sorted records in leaf allocations,
// index levels above them when one allocation cannot hold them all.
#pragma once
#include <cstdint>
#include <span>

#include "pst/ltp/heap.h"

namespace pst::ltp {

constexpr std::uint8_t kBthType = 0xB5;
constexpr std::size_t kBthHeaderSize = 8;

// Fills the BTHHEADER allocation `header` (8 bytes, allocated by the caller so
// it can sit where the client wants it) and writes the records below it.
// records holds count records of cbKey + cbEnt bytes each, sorted ascending by
// key with no key twice; throws pst::Error otherwise.
void writeBth(HeapBuilder& heap, Hid header, std::uint8_t cbKey, std::uint8_t cbEnt,
              std::span<const std::uint8_t> records);
// The same where the first leaves are already in the heap: `leaves` holds
// per leaf its first key (cbKey bytes) and its HID (4 bytes), in key order;
// every key in records sorts after the keys those leaves hold.
void writeBth(HeapBuilder& heap, Hid header, std::uint8_t cbKey, std::uint8_t cbEnt,
              std::span<const std::uint8_t> leaves, std::span<const std::uint8_t> records);

}  // namespace pst::ltp
