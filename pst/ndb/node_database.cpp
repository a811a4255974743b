// NodeDatabase over a File: blocks written as nodes are put, B-tree pages,
// AMaps and the header written at commit in an order that keeps the last
// committed state intact on disk at every moment.
#include "pst/ndb/node_database.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "pst/error.h"
#include "pst/ndb/allocation_map.h"
#include "pst/ndb/block.h"
#include "pst/ndb/btree.h"
#include "pst/ndb/btree_entries.h"
#include "pst/ndb/crypt.h"
#include "pst/ndb/fingerprint.h"
#include "pst/ndb/header.h"
#include "pst/ndb/layout.h"
#include "pst/ndb/page.h"

namespace pst::ndb {
namespace {

constexpr std::size_t kWriteBufferSize = 4u << 20;
constexpr std::uint64_t kFirstPageBid = 0x400;
// Small data blocks are shared between nodes when their bytes are equal
// (Outlook shares its identical empty tables the same way); this many recent
// ones are remembered, content included, so sharing never trusts a hash alone.
constexpr std::size_t kSharedBlockSlots = 4096;
constexpr std::size_t kSharedBlockMaxSize = 1024;

std::string hex(std::uint64_t v) {
  char buf[24];
  std::snprintf(buf, sizeof buf, "0x%llX", static_cast<unsigned long long>(v));
  return buf;
}

// Checks what a node asks for before anything is written, so bad input
// leaves the database untouched.
// kept: the stream this node had when last put, for blocks it keeps (empty
// ones); only the node's own stream and its direct subnodes' can keep blocks.
template <typename Known>
void validate(Nid nid, const NodeData& data, int depth, const Known& kept) {
  std::uint64_t total = 0;
  for (std::size_t i = 0; i < data.blocks.size(); ++i) {
    const auto& b = data.blocks[i];
    if (b.empty()) {
      const auto* previous = depth <= 1 && data.blocks.size() > 1 ? kept(nid) : nullptr;
      if (!previous || i >= previous->size())
        throw Error(ErrorKind::BadRequest, "node " + hex(nid) + ": empty data block");
      total += (*previous)[i].cb;
      continue;
    }
    if (b.size() > kMaxBlockData)
      throw Error(ErrorKind::BadRequest, "node " + hex(nid) + ": data block over 8176 bytes");
    total += b.size();
  }
  if (total > 0xFFFFFFFFu) throw Error(ErrorKind::BadRequest, "node " + hex(nid) + ": data over 4 GB");
  if (data.blocks.size() > kXBlockMaxEntries * kXBlockMaxEntries)
    throw Error(ErrorKind::BadRequest, "node " + hex(nid) + ": too many data blocks");
  if (data.subnodes.size() > kSLBlockMaxEntries * kSIBlockMaxEntries)
    throw Error(ErrorKind::BadRequest, "node " + hex(nid) + ": too many subnodes");
  if (depth > 16) throw Error(ErrorKind::BadRequest, "node " + hex(nid) + ": subnodes nested too deep");
  for (const auto& [sub, sd] : data.subnodes) {
    if (sub == 0) throw Error(ErrorKind::BadRequest, "node " + hex(nid) + ": subnode NID 0");
    validate(sub, sd, depth + 1, kept);
  }
}

class NodeDatabaseImpl final : public NodeDatabase {
 public:
  NodeDatabaseImpl(std::unique_ptr<File> file, CreateOptions options)
      : file_(std::move(file)), crypt_(options.cryptMethod) {
    if (crypt_ > 1) throw Error(ErrorKind::BadRequest, "unsupported bCryptMethod " + std::to_string(crypt_));
    rgnid_ = initialRgnid();
  }

  // Lays out a new file: zeroed header area, density list, the first
  // interval with its maps, empty B-trees, then the header.
  void initialise() {
    guard([&] {
      std::vector<std::uint8_t> zeros(kDListOffset, 0);
      file_->write(0, zeros);
      Page dlist = makeDListPage(bidNextP_++);
      file_->write(kDListOffset, dlist);
      inCommit_ = true;
      grow(1);
      inCommit_ = false;
      commitNow();
    });
  }

  Nid allocateNid(NidType type) override {
    checkUsable();
    std::uint32_t& counter = rgnid_[type & 0x1F];
    if (counter >= (1u << 27) - 1) throw Error(ErrorKind::BadRequest, "NID space of type " + hex(type) + " exhausted");
    changed_ = true;
    return makeNid(type, ++counter);
  }

  void reserveNid(Nid nid) override {
    checkUsable();
    std::uint32_t& counter = rgnid_[nidType(nid)];
    if (nidIndex(nid) > counter) {
      counter = nidIndex(nid);
      changed_ = true;
    }
  }

  void putNode(Nid nid, Nid parent, const NodeData& data) override {
    checkUsable();
    if (nid == 0) throw Error(ErrorKind::BadRequest, "node NID 0");
    validate(nid, data, 0, [&](Nid stream) { return previousStream(nid, stream == nid ? 0 : stream); });
    guard([&] {
      // Streams of several blocks are remembered by content, so that when the
      // node is put again the blocks it still has are kept, not rewritten.
      Streams fresh;
      std::uint64_t bidData = writeDataTree(data.blocks, previousStream(nid, 0), &fresh, {nid, 0});
      std::uint64_t bidSub = writeSubnodes(data.subnodes, &nid, &fresh);
      forgetStreams(nid);
      streams_.merge(fresh);
      const auto* old = nbt_.find(nid);
      std::uint64_t oldData = old ? unpackBid(old->data) : 0;
      std::uint64_t oldSub = old ? unpackBid(old->sub) : 0;
      nbt_.insertOrAssign({nid, parent, packBid(bidData), packBid(bidSub)});
      freeTree(oldData);
      freeTree(oldSub);
      std::uint32_t& counter = rgnid_[nidType(nid)];
      counter = std::max(counter, nidIndex(nid));
      changed_ = true;
    });
  }

  void removeNode(Nid nid) override {
    checkUsable();
    const auto* old = nbt_.find(nid);
    if (!old) throw Error(ErrorKind::BadRequest, "no node " + hex(nid) + " to remove");
    guard([&] {
      std::uint64_t oldData = unpackBid(old->data);
      std::uint64_t oldSub = unpackBid(old->sub);
      nbt_.erase(nid);
      forgetStreams(nid);
      freeTree(oldData);
      freeTree(oldSub);
      changed_ = true;
    });
  }

  bool contains(Nid nid) const override { return nbt_.find(nid) != nullptr; }

  void commit() override {
    checkUsable();
    if (!changed_) return;
    guard([&] { commitNow(); });
  }

  void close() override {
    if (closed_) return;
    if (failed_) {
      closed_ = true;
      file_.reset();
      throw Error(ErrorKind::Closed,
                  "node database not closed cleanly: an earlier write failed; the file holds the last commit");
    }
    closing_ = true;  // the last commit leaves no room ahead, and gives back what is left
    if (space_.freeTailIntervals() > 0) changed_ = true;
    commit();
    closed_ = true;
    guard([&] { file_->close(); });
  }

 private:
  using Nbt = PageTree<NbtTraits>;
  using Bbt = PageTree<BbtTraits>;

  void checkUsable() const {
    if (closed_) throw Error(ErrorKind::Closed, "node database is closed");
    if (failed_)
      throw Error(ErrorKind::Closed, "node database unusable after a failed write; the file holds the last commit");
  }

  // Runs an operation that writes; a failure leaves memory and disk apart, so
  // the database refuses further work (the disk still holds the last commit).
  template <class F>
  void guard(F&& f) {
    try {
      f();
    } catch (...) {
      failed_ = true;
      throw;
    }
  }

  // ----- blocks -----

  std::uint64_t newBid(bool internal) {
    std::uint64_t bid = bidNextB_;
    packBid(bid + 4);  // throws when out of range
    bidNextB_ += 4;
    return internal ? bid | 2 : bid;
  }

  std::uint64_t allocate(std::uint32_t size, bool page) {
    allocatedSinceCommit_ += size;
    for (;;) {
      if (auto ib = space_.allocate(size, page)) return *ib;
      // Commits grow the file ahead of what comes next; when that was not
      // enough, grow by four times what has been written since (at least an
      // eighth of the file), so a batch needs few growths of its own (each
      // costs syncs); closing gives back what is left unused.
      const std::uint64_t n = space_.intervals();
      const std::uint64_t written = (4 * allocatedSinceCommit_ + kIntervalSize - 1) / kIntervalSize;
      grow(std::clamp<std::uint64_t>(std::max(n / 8, written), 1, 128));
    }
  }

  // Room for size bytes at ib in the write buffer, which holds one run of
  // consecutive bytes; a gap or a full buffer sends it to the file first.
  // The caller fills every byte.
  std::uint8_t* bufferAt(std::uint64_t ib, std::size_t size) {
    if (bufferUsed_ && (ib != bufferStart_ + bufferUsed_ || bufferUsed_ + size > kWriteBufferSize)) flushBuffer();
    if (!bufferUsed_) bufferStart_ = ib;
    std::uint8_t* at = buffer_.get() + bufferUsed_;
    bufferUsed_ += size;
    return at;
  }

  void flushBuffer() {
    if (!bufferUsed_) return;
    file_->write(bufferStart_, {buffer_.get(), bufferUsed_});
    file_->startWriteback(bufferStart_, bufferUsed_);
    bufferUsed_ = 0;
  }

  std::uint64_t writeBlock(std::span<const std::uint8_t> data, bool internal) {
    const std::uint32_t size = blockSizeOnDisk(data.size());
    const std::uint64_t ib = allocate(size, false);
    const std::uint64_t bid = newBid(internal);
    std::uint8_t* p = bufferAt(ib, size);
    std::memcpy(p, data.data(), data.size());
    if (!internal && crypt_ == 1) permuteEncode({p, data.size()});
    sealBlock({p, size}, data.size(), ib, bid);
    if (ib / kUnitSize > 0xFFFFFFFFu) throw Error(ErrorKind::BadRequest, "file offset beyond this writer's range");
    bbt_.insertOrAssign({packBid(bid), static_cast<std::uint32_t>(ib / kUnitSize),
                         static_cast<std::uint16_t>(data.size()), 2});
    return bid;
  }

  // XBLOCK (level 1) or XXBLOCK (level 2) over child BIDs.
  std::uint64_t writeXBlock(std::uint8_t level, std::span<const std::uint64_t> children, std::uint64_t total) {
    return writeBlock(makeXBlock(level, children, static_cast<std::uint32_t>(total)), true);
  }

  struct KnownBlock {
    Fingerprint print;
    std::uint64_t bid;
    std::uint16_t cb;
  };
  using StreamKey = std::pair<Nid, Nid>;  // node, and subnode (0: the node's own data)
  using Streams = std::map<StreamKey, std::vector<KnownBlock>>;

  const std::vector<KnownBlock>* previousStream(Nid nid, Nid sub) const {
    auto it = streams_.find({nid, sub});
    return it == streams_.end() ? nullptr : &it->second;
  }
  void forgetStreams(Nid nid) {
    streams_.erase(streams_.lower_bound({nid, 0}), streams_.lower_bound({nid + 1, 0}));
  }

  struct SharedBlock {
    std::uint64_t bid = 0;
    std::vector<std::uint8_t> data;
  };

  // A data block, shared with an earlier block of the same bytes if one is
  // remembered and still in use.
  std::uint64_t writeDataBlock(std::span<const std::uint8_t> data) {
    if (data.size() > kSharedBlockMaxSize) return writeBlock(data, false);
    SharedBlock& slot = sharedBlocks_[fingerprint(data).a % kSharedBlockSlots];
    if (slot.bid && std::equal(data.begin(), data.end(), slot.data.begin(), slot.data.end()) &&
        shareBlock(slot.bid))
      return slot.bid;
    slot.bid = writeBlock(data, false);
    slot.data.assign(data.begin(), data.end());
    return slot.bid;
  }

  // Another reference to an existing block.
  bool shareBlock(std::uint64_t bid) {
    const auto* e = bbt_.find(bid);
    if (!e || e->cRef == 0xFFFF) return false;
    auto copy = *e;
    ++copy.cRef;
    bbt_.insertOrAssign(copy);
    return true;
  }

  std::uint64_t writeDataTree(const std::vector<std::vector<std::uint8_t>>& blocks,
                              const std::vector<KnownBlock>* previous = nullptr, Streams* record = nullptr,
                              StreamKey key = {}) {
    if (blocks.empty()) return 0;
    std::vector<std::uint64_t> bids;
    bids.reserve(blocks.size());
    std::vector<KnownBlock>* known = nullptr;
    if (record && blocks.size() > 1) {
      known = &(*record)[key];
      known->reserve(blocks.size());
    }
    std::uint64_t total = 0;
    for (std::size_t i = 0; i < blocks.size(); ++i) {
      const auto& b = blocks[i];
      if (b.empty() && known && previous && i < previous->size()) {
        // Kept from the last put (checked by validate()).
        const KnownBlock& k = (*previous)[i];
        if (!shareBlock(k.bid))
          throw Error(ErrorKind::Corrupt, "block " + hex(k.bid) + " to keep is gone or shared too often");
        total += k.cb;
        bids.push_back(k.bid);
        known->push_back(k);
        continue;
      }
      total += b.size();
      if (!known) {
        bids.push_back(writeDataBlock(b));
        continue;
      }
      Fingerprint print = fingerprint(b);
      std::uint64_t bid = 0;
      if (previous && i < previous->size() && (*previous)[i].cb == b.size() && (*previous)[i].print == print &&
          shareBlock((*previous)[i].bid))
        bid = (*previous)[i].bid;
      else
        bid = writeBlock(b, false);
      bids.push_back(bid);
      known->push_back({print, bid, static_cast<std::uint16_t>(b.size())});
    }
    if (bids.size() == 1) return bids[0];
    if (bids.size() <= kXBlockMaxEntries) return writeXBlock(1, bids, total);
    std::vector<std::uint64_t> xbids;
    for (std::size_t i = 0; i < bids.size(); i += kXBlockMaxEntries) {
      std::size_t n = std::min(kXBlockMaxEntries, bids.size() - i);
      std::uint64_t part = 0;
      for (std::size_t j = i; j < i + n; ++j) part += blocks[j].empty() ? (*previous)[j].cb : blocks[j].size();
      xbids.push_back(writeXBlock(1, std::span(bids).subspan(i, n), part));
    }
    return writeXBlock(2, xbids, total);
  }

  // owner: the top-level node whose direct subnodes these are (their streams
  // are remembered), or null for deeper levels.
  std::uint64_t writeSubnodes(const std::map<Nid, NodeData>& subnodes, const Nid* owner = nullptr,
                              Streams* record = nullptr) {
    if (subnodes.empty()) return 0;
    std::vector<SLEntry> entries;
    entries.reserve(subnodes.size());
    for (const auto& [nid, sd] : subnodes) {
      std::uint64_t d = owner ? writeDataTree(sd.blocks, previousStream(*owner, nid), record, {*owner, nid})
                              : writeDataTree(sd.blocks);
      std::uint64_t s = writeSubnodes(sd.subnodes);
      entries.push_back({nid, d, s});
    }
    if (entries.size() <= kSLBlockMaxEntries) return writeBlock(makeSLBlock(entries), true);
    std::vector<SIEntry> children;
    for (std::size_t i = 0; i < entries.size(); i += kSLBlockMaxEntries) {
      std::size_t n = std::min(kSLBlockMaxEntries, entries.size() - i);
      children.push_back({entries[i].nid, writeBlock(makeSLBlock(std::span(entries).subspan(i, n)), true)});
    }
    return writeBlock(makeSIBlock(children), true);
  }

  std::vector<std::uint8_t> readBlock(const BbtTraits::Entry& e) {
    std::vector<std::uint8_t> out(e.cb);
    std::uint64_t ib = std::uint64_t(e.ibUnit) * kUnitSize;
    if (bufferUsed_ && ib >= bufferStart_ && ib + e.cb <= bufferStart_ + bufferUsed_)
      std::memcpy(out.data(), buffer_.get() + (ib - bufferStart_), e.cb);
    else
      file_->read(ib, out);
    return out;
  }

  // Drops one reference to a block and, when it was the last, the block and
  // everything it references.
  void freeTree(std::uint64_t bid) {
    if (bid == 0) return;
    const auto* found = bbt_.find(bid);
    if (!found) throw Error(ErrorKind::Corrupt, "block " + hex(bid) + " missing from the block B-tree");
    BbtTraits::Entry e = *found;
    if (e.cRef > 2) {
      --e.cRef;
      bbt_.insertOrAssign(e);
      return;
    }
    if (bid & 2) {
      const auto children = internalBlockReferences(readBlock(e));
      if (!children)
        throw Error(ErrorKind::Corrupt,
                    "internal block " + hex(bid) + " is not an XBLOCK, XXBLOCK, SLBLOCK or SIBLOCK");
      for (std::uint64_t c : *children) freeTree(c);
    }
    bbt_.erase(bid);
    space_.release(std::uint64_t(e.ibUnit) * kUnitSize, blockSizeOnDisk(e.cb));
  }

  // ----- file growth, header, commit -----

  void writeHeader(HeaderFields h, std::uint8_t valid) {
    h.fAMapValid = valid;
    h.bidNextB = bidNextB_;
    h.bidNextP = bidNextP_;
    h.rgnid = rgnid_;
    h.dwUnique = ++dwUnique_;
    h.cryptMethod = crypt_;
    auto bytes = serializeHeader(h);
    file_->write(0, bytes);
  }

  // Marks the maps on disk as not to be trusted before anything overwrites
  // them in place or the file grows past the committed end.
  void invalidateDiskHeader() {
    if (!diskHeaderValid_) return;
    writeHeader(committed_, kAMapInvalid);
    file_->sync();
    diskHeaderValid_ = false;
  }

  // Appends count whole intervals with their map pages. Outside a commit the
  // committed state is then re-published with the larger file, so the header
  // is valid again at once.
  void grow(std::uint64_t count) {
    flushBuffer();
    invalidateDiskHeader();
    appendIntervals(count);
    // The map pages must be on disk before anything can make the file
    // reach past them.
    file_->sync();
    endFileAtLastInterval();
    if (!inCommit_) {
      file_->sync();
      writeHeader(committed_, kAMapValid2);
      file_->sync();
      diskHeaderValid_ = true;
    }
  }

  // Writes the map pages of count new intervals past the current end; the
  // header on disk must not claim valid maps while the file grows.
  void appendIntervals(std::uint64_t count) {
    for (std::uint64_t k = 0; k < count; ++k) {
      const std::uint64_t i = space_.intervals();
      PageType types[4];
      int n = mapPagesOfInterval(i, types);
      space_.addInterval(n);
      std::vector<std::uint8_t> maps(static_cast<std::size_t>(n) * kPageSize);
      std::array<std::uint8_t, kMapBytes> ff;
      ff.fill(0xFF);
      for (int p = 0; p < n; ++p) {
        const std::uint64_t ib = intervalOffset(i) + static_cast<std::uint64_t>(p) * kPageSize;
        // PMap, FMap and FPMap are deprecated: all 0xFF, as Outlook writes them.
        Page page = makeMapPage(types[p], ib, types[p] == ptypeAMap ? space_.amapBits(i) : std::span(ff));
        std::memcpy(maps.data() + p * kPageSize, page.data(), kPageSize);
      }
      file_->write(intervalOffset(i), maps);
      space_.clearDirty(i);
    }
  }

  // Makes the file end with its last interval (free space there reads as
  // zeros) and the committed state's header fields say so.
  void endFileAtLastInterval() {
    std::array<std::uint8_t, kUnitSize> tail{};
    file_->write(space_.fileEnd() - kUnitSize, tail);
    committed_.ibFileEof = space_.fileEnd();
    committed_.ibAMapLast = intervalOffset(space_.intervals() - 1);
    committed_.cbAMapFree = space_.committedFreeBytes();
  }

  // Intervals to add at a commit so that a batch like the last one finds its
  // space without growing the file (each growth costs syncs of its own).
  // Growing costs a commit one sync more, so it grows for about three such
  // batches at a time; closing gives back what is left unused.
  std::uint64_t intervalsAhead() const {
    if (closing_) return 0;
    const std::uint64_t have = space_.freeBytes();
    if (have >= allocatedSinceCommit_ + allocatedSinceCommit_ / 4) return 0;
    const std::uint64_t want = 3 * allocatedSinceCommit_;
    const std::uint64_t usable = kIntervalSize - 4 * kPageSize;
    return std::min<std::uint64_t>((want - have + usable - 1) / usable, 512);
  }

  void commitNow() {
    inCommit_ = true;
    auto place = [&] {
      std::uint64_t ib = allocate(kPageSize, true);
      return Bref{bidNextP_++, ib};
    };
    auto write = [&](const Page& page, Bref ref) {
      std::memcpy(bufferAt(ref.ib, kPageSize), page.data(), kPageSize);
    };
    HeaderFields next = committed_;
    next.nbt = nbt_.flush(place, write);
    next.bbt = bbt_.flush(place, write);
    for (const Bref& r : nbt_.takeRetired()) space_.release(r.ib, kPageSize);
    for (const Bref& r : bbt_.takeRetired()) space_.release(r.ib, kPageSize);
    flushBuffer();
    // Blocks and pages of the new state are in space the committed state
    // does not use; make them durable, and say the maps are in flux.
    if (diskHeaderValid_) writeHeader(committed_, kAMapInvalid);
    diskHeaderValid_ = false;
    file_->sync();
    // The header on disk says the maps are invalid: maps may now change in
    // place and the file may grow, made durable by the syncs below.
    for (std::uint64_t i = 0; i < space_.intervals(); ++i) {
      if (!space_.isDirty(i)) continue;
      file_->write(intervalOffset(i), makeMapPage(ptypeAMap, intervalOffset(i), space_.amapBits(i)));
      space_.clearDirty(i);
    }
    if (const std::uint64_t ahead = intervalsAhead()) {
      // The new map pages are on disk before the file reaches past them.
      appendIntervals(ahead);
      file_->sync();
      endFileAtLastInterval();
    } else if (const std::uint64_t spare = closing_ ? space_.freeTailIntervals() : 0) {
      // The last commit gives back the room grown ahead that nothing used.
      // Neither state uses it; the header on disk must stop reaching past
      // the end before the end moves.
      const std::uint64_t kept = space_.intervals() - spare;
      committed_.ibFileEof = intervalOffset(kept);
      committed_.ibAMapLast = intervalOffset(kept - 1);
      writeHeader(committed_, kAMapInvalid);
      file_->sync();
      if (file_->truncate(intervalOffset(kept))) space_.removeTailIntervals(spare);
    }
    file_->sync();
    next.ibFileEof = space_.fileEnd();
    next.ibAMapLast = intervalOffset(space_.intervals() - 1);
    next.cbAMapFree = space_.freeBytes();
    next.cbPMapFree = 0;
    writeHeader(next, kAMapValid2);
    file_->sync();
    committed_ = next;
    diskHeaderValid_ = true;
    space_.commitDone();
    changed_ = false;
    inCommit_ = false;
    allocatedSinceCommit_ = 0;
  }

  std::unique_ptr<File> file_;
  std::uint8_t crypt_;
  std::array<std::uint32_t, 32> rgnid_{};
  std::uint64_t bidNextB_ = 4;
  std::uint64_t bidNextP_ = kFirstPageBid;
  std::uint32_t dwUnique_ = 0;
  HeaderFields committed_;        // what the last valid header says
  bool diskHeaderValid_ = false;  // the header on disk has fAMapValid = 2
  bool inCommit_ = false;
  bool closing_ = false;
  std::uint64_t allocatedSinceCommit_ = 0;  // bytes of blocks and pages
  bool changed_ = true;
  bool closed_ = false;
  bool failed_ = false;
  AllocationMap space_;
  Streams streams_;  // content of the multi-block streams of current nodes
  std::vector<SharedBlock> sharedBlocks_ = std::vector<SharedBlock>(kSharedBlockSlots);
  Nbt nbt_;
  Bbt bbt_;
  std::unique_ptr<std::uint8_t[]> buffer_ = std::make_unique_for_overwrite<std::uint8_t[]>(kWriteBufferSize);
  std::size_t bufferUsed_ = 0;
  std::uint64_t bufferStart_ = 0;
};

}  // namespace

std::unique_ptr<NodeDatabase> NodeDatabase::create(std::unique_ptr<File> file, CreateOptions options) {
  if (!file) throw Error(ErrorKind::BadRequest, "no file to create the node database in");
  auto db = std::make_unique<NodeDatabaseImpl>(std::move(file), options);
  db->initialise();
  return db;
}

std::unique_ptr<NodeDatabase> NodeDatabase::create(const std::filesystem::path& path, CreateOptions options) {
  if (options.cryptMethod > 1)
    throw Error(ErrorKind::BadRequest, "unsupported bCryptMethod " + std::to_string(options.cryptMethod));
  FileSystem& fileSystem = options.fileSystem ? *options.fileSystem : FileSystem::local();
  auto file = fileSystem.createNew(path);
  try {
    return create(std::move(file), options);
  } catch (...) {
    // The file is ours and holds no valid PST yet.
    fileSystem.remove(path);
    throw;
  }
}

}  // namespace pst::ndb
