// vCard 2.1 / 3.0 / 4.0 reader: bytes in, raw cards out, tolerant of real-world files.
#pragma once
#include <cstdint>
#include <span>
#include <vector>

#include "vcard/card.h"
#include "vcard/error.h"

namespace vcard {

// Every card of the bytes, in file order, nested AGENT cards attached to their
// property. Never throws on malformed input: lines that cannot be read are
// skipped, text outside cards is ignored. An empty result means no card.
std::vector<Card> parseCards(std::span<const std::uint8_t> bytes);

}  // namespace vcard
