// State shared by the checker's passes: the file, what the B-trees hold, what is live, the report.
#pragma once
#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "pst/verify/bytes.h"
#include "pst/verify/contents.h"
#include "pst/verify/report.h"
#include "pst/verify/verify.h"

namespace pst::verify {

// Layout constants of a Unicode PST (MS-PST 2.2.2.7).
constexpr std::uint64_t kPageSize = 512;
constexpr std::uint64_t kFirstAMap = 0x4400;
constexpr std::uint64_t kAMapInterval = 0x3E000;  // 496 bytes * 8 bits * 64 bytes
constexpr std::uint64_t kDListOffset = 0x4200;
constexpr std::size_t kMaxBlockData = 8176;
constexpr std::size_t kMaxHeapAlloc = 3580;
constexpr std::uint64_t kHeaderSize = 0x234;

struct BbtEntry {
  std::uint64_t bid = 0;
  std::uint64_t ib = 0;
  std::uint16_t cb = 0;
  std::uint16_t cRef = 0;
  bool blockOk = false;  // trailer, signature and CRC passed
};

struct NbtEntry {
  std::uint32_t nid = 0;
  std::uint64_t bidData = 0;
  std::uint64_t bidSub = 0;
  std::uint32_t nidParent = 0;
};

// One live item of the file, for the allocation map and overlap checks.
struct Extent {
  std::uint64_t ib = 0;
  std::uint64_t size = 0;
  std::string what;
};

struct Header {
  std::uint64_t bidNextP = 0, bidNextB = 0;
  std::uint32_t rgnid[32] = {};
  std::uint64_t ibFileEof = 0, ibAMapLast = 0, cbAMapFree = 0, cbPMapFree = 0;
  std::uint64_t nbtBid = 0, nbtIb = 0, bbtBid = 0, bbtIb = 0;
  std::uint8_t fAMapValid = 0;
  std::uint8_t cryptMethod = 0;
};

// What the LTP checks read from a heap node, for the checks across nodes.
struct HeapSummary {
  std::uint8_t clientSig = 0;
  struct Value {
    std::uint16_t type = 0;
    std::uint32_t value = 0;  // inline value or HNID
    std::uint64_t size = 0;   // bytes of a value stored by HNID
  };
  // PC: the properties stored inline (up to four bytes) and PidTagNameidStreamEntry, by ID.
  std::vector<std::pair<std::uint16_t, Value>> properties;
  const Value* property(std::uint16_t id) const {
    auto it = std::lower_bound(properties.begin(), properties.end(), id,
                               [](const auto& p, std::uint16_t key) { return p.first < key; });
    return it != properties.end() && it->first == id ? &it->second : nullptr;
  }
  std::vector<std::uint32_t> rowIds;          // TC: in row-index order
  // TC: the cells of up to four bytes present in each row, as (tag, value).
  std::vector<std::vector<std::pair<std::uint32_t, std::uint32_t>>> rowCells;
};

class Context {
 public:
  Context(Bytes file, Report& report) : file(file), report(report) {}

  void problem(std::string message);
  void note(std::string message);

  // The block's stored data bytes (decoded when it is an encoded data block),
  // or nothing when the BID is unknown or the block failed its own checks.
  std::optional<std::vector<std::uint8_t>> blockData(std::uint64_t bid, const std::string& user);

  Bytes file;
  Report& report;
  Options options;
  Header header;
  std::map<std::uint64_t, BbtEntry> bbt;  // by BID with bit 0 cleared
  std::vector<NbtEntry> nbt;
  std::vector<Extent> extents;
  std::map<std::uint64_t, std::uint32_t> references;  // BID -> references found from nodes
  std::uint64_t highestPageBid = 0;
  bool mapsInvalid = false;
  std::map<std::uint32_t, std::shared_ptr<const HeapSummary>> heaps;  // top-level heap nodes by NID
  std::map<std::uint16_t, std::string> namedUse;  // property IDs >= 0x8000 -> first user
  // What was read, when the caller asked for it; current is the top-level
  // node whose heap is being checked (null while a subnode is).
  Contents* contents = nullptr;
  NodeContents* current = nullptr;
};

inline std::uint64_t bidKey(std::uint64_t bid) { return bid & ~std::uint64_t(1); }
inline bool isInternal(std::uint64_t bid) { return (bid & 2) != 0; }

// Checks a page's trailer (MS-PST 2.2.2.7.1): ptype twice, signature, CRC and
// BID. Map pages carry wSig 0 and their own offset as BID; others ComputeSig.
// bid 0 means any BID (the DList). False when the page is unusable.
bool checkPageTrailer(Context& c, std::uint64_t ib, std::uint8_t ptype, std::uint64_t bid, bool mapPage,
                      const std::string& what);

// The passes, in the order checkBytes runs them.
bool checkHeader(Context& c);                 // false: not a Unicode PST, stop
void checkMapPages(Context& c);               // AMap/PMap/FMap/FPMap/DList trailers
void checkBTrees(Context& c);                 // NBT and BBT pages and entries
void checkBlocks(Context& c);                 // every BBT block's placement and trailer
void checkNodes(Context& c);                  // data trees, subnode trees, heaps, PCs, TCs
void checkReferences(Context& c);             // cRef against the references found
void checkAllocation(Context& c);             // AMap bits and free counters against the live extents
void checkStore(Context& c);                  // folders, tables and named properties across nodes

}  // namespace pst::verify
