// A 128-bit fingerprint of a block's content, by which the node database
// recognises blocks it has written before without keeping their bytes.
#pragma once
#include <cstdint>
#include <span>

namespace pst::ndb {

struct Fingerprint {
  std::uint64_t a = 0, b = 0;
  bool operator==(const Fingerprint&) const = default;
};

// Seeded per process, so that colliding content cannot be prepared in advance.
Fingerprint fingerprint(std::span<const std::uint8_t> data);

}  // namespace pst::ndb
