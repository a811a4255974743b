// An independent reader of a Heap-on-Node (MS-PST 2.3.1) that checks its page maps as it parses them.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "pst/verify/ltp.h"

namespace pst::verify {

class Heap {
 public:
  // Parses and checks every page's header and page map; problems go to c.
  Heap(Context& c, std::string where, const DataTree& data);

  // The bytes of an allocation; reports a problem naming user when hid does not resolve.
  std::optional<Bytes> alloc(std::uint32_t hid, const std::string& user) const;
  bool exists(std::uint32_t hid) const;

  bool usable() const { return usable_; }
  std::uint8_t clientSig() const { return clientSig_; }
  std::uint32_t userRoot() const { return userRoot_; }
  const std::string& where() const { return where_; }
  Context& context() const { return c_; }

 private:
  struct Page {
    Bytes bytes;
    std::vector<std::uint16_t> bounds;  // rgibAlloc: cAlloc + 1 offsets
  };
  void parsePage(std::size_t index, Bytes block);
  void checkFillLevels();

  Context& c_;
  std::string where_;
  std::vector<Page> pages_;
  bool usable_ = true;
  std::uint8_t clientSig_ = 0;
  std::uint32_t userRoot_ = 0;
};

// A BTH's leaf records in key order (MS-PST 2.3.2), after checking its header,
// levels and key order. Nothing when the header itself is unusable.
struct BthRecord {
  Bytes key;
  Bytes data;
};
std::optional<std::vector<BthRecord>> readBth(const Heap& heap, std::uint32_t hidHeader, int wantKey, int wantEnt,
                                              const std::string& what);

// Size of a value of a fixed-size property type; 0 for variable-size types.
std::size_t fixedSize(std::uint16_t type);

void checkPropertyContext(const Heap& heap, const Subnodes& subnodes, HeapSummary& summary);
void checkTableContext(const Heap& heap, const Subnodes& subnodes, HeapSummary& summary);
// The bytes of a value stored by HNID (heap allocation or subnode stream),
// for the dump; empty when it cannot be found (the checks report that).
std::vector<std::uint8_t> valueBytes(const Heap& heap, const Subnodes& subnodes, std::uint32_t hnid);
// Checks a value of property type `type` stored inline or by HNID; the bytes
// it takes when stored by HNID.
std::uint64_t checkValue(const Heap& heap, const Subnodes& subnodes, std::uint16_t type, std::uint32_t value,
                const std::string& what);

}  // namespace pst::verify
