// Heap-on-node page layout and BTree-on-heap levels, read back by the test reader.
#include <gtest/gtest.h>

#include "ltp_reader.h"
#include "pst/error.h"
#include "pst/ltp/bth.h"
#include "pst/ltp/heap.h"

using namespace pst::ltp;
using ltptest::Bytes;

namespace {

pst::ndb::NodeData finish(HeapBuilder& heap) {
  pst::ndb::NodeData node;
  node.blocks = std::move(heap).build();
  return node;
}

Bytes pattern(std::size_t size, std::uint32_t seed) {
  Bytes b(size);
  for (std::size_t i = 0; i < size; ++i) b[i] = static_cast<std::uint8_t>(seed * 31 + i * 7);
  return b;
}

}  // namespace

TEST(Heap, SmallHeapIsOnePageWithHnhdr) {
  HeapBuilder heap(kClientSigPc);
  const Hid a = heap.allocate(Bytes{1, 2, 3});
  const Hid b = heap.allocate(Bytes{});
  const Hid c = heap.allocate(Bytes{9});
  heap.setUserRoot(c);
  EXPECT_EQ(a, 0x20u);
  EXPECT_EQ(b, 0x40u);
  EXPECT_EQ(c, 0x60u);
  const auto node = finish(heap);
  ASSERT_EQ(node.blocks.size(), 1u);
  const Bytes& p = node.blocks[0];
  // 12-byte header, 4 bytes of data, page map at the even offset 16.
  EXPECT_EQ(ltptest::u16(p.data()), 16);
  EXPECT_EQ(p[2], 0xEC);
  EXPECT_EQ(p[3], 0xBC);
  EXPECT_EQ(ltptest::u32(p.data() + 4), 0x60u);
  EXPECT_EQ(p.size(), 16u + 4 + 2 * 4);
  const auto h = ltptest::readHeap(node);
  EXPECT_EQ(h.get(a), (Bytes{1, 2, 3}));
  EXPECT_TRUE(h.get(b).empty());
  EXPECT_EQ(h.get(c), (Bytes{9}));
}

TEST(Heap, ManyPagesWithBitmapHeadersAndBlockIndexedHids) {
  HeapBuilder heap(kClientSigTc);
  std::vector<std::pair<Hid, Bytes>> written;
  // Allocations of 3000 to 3580 bytes: two per page; 320 of them fill 160
  // pages, past the bitmap pages 8 and 136.
  for (std::uint32_t i = 0; i < 320; ++i) {
    Bytes data = pattern(3000 + (i * 37) % 581, i);
    written.emplace_back(heap.allocate(data), std::move(data));
  }
  heap.setUserRoot(written.front().first);
  EXPECT_EQ(heap.pageCount(), 160u);
  const auto node = finish(heap);
  for (const auto& block : node.blocks) EXPECT_LE(block.size(), 8176u);
  const auto h = ltptest::readHeap(node);  // checks header sizes 12 / 66 / 2 per page index
  for (const auto& [hid, data] : written) ASSERT_EQ(h.get(hid), data) << hid;
  EXPECT_EQ(hidBlockIndex(written.back().first), node.blocks.size() - 1);
  // Fill levels: 4 bytes in HNHDR, 64 in each of the two bitmap headers.
  ASSERT_EQ(h.fillLevels.size(), 4u + 64 + 64);
  auto levelOf = [&](std::size_t page) {
    const std::uint8_t byte = page < 8 ? h.fillLevels[page / 2] : h.fillLevels[4 + (page - 8) / 2];
    return page % 2 ? byte >> 4 : byte & 0xF;
  };
  for (std::size_t page = 0; page + 1 < node.blocks.size(); ++page) {
    EXPECT_EQ(levelOf(page), heapFillLevel(8176 - node.blocks[page].size())) << page;
  }
}

TEST(Heap, NewPageBeforeHidIndexOverflows) {
  HeapBuilder heap(kClientSigPc);
  Hid last = 0;
  for (int i = 0; i < 2100; ++i) last = heap.allocate(Bytes{static_cast<std::uint8_t>(i)});
  EXPECT_EQ(heap.pageCount(), 2u);
  EXPECT_EQ(last, makeHid(1, 2100 - 2047));
  const auto h = ltptest::readHeap(finish(heap));
  EXPECT_EQ(h.pages[0].size(), 2047u);
  EXPECT_EQ(h.get(last), Bytes{static_cast<std::uint8_t>(2099)});
}

TEST(Heap, RejectsAllocationsOver3580Bytes) {
  HeapBuilder heap(kClientSigPc);
  EXPECT_THROW(heap.allocate(kMaxHeapAlloc + 1), pst::Error);
  EXPECT_NO_THROW(heap.allocate(kMaxHeapAlloc));
  EXPECT_THROW(heap.at(0x60), pst::Error);
}

TEST(Heap, FillLevelThresholds) {
  EXPECT_EQ(heapFillLevel(8176), 0);
  EXPECT_EQ(heapFillLevel(3584), 0);
  EXPECT_EQ(heapFillLevel(3583), 1);
  EXPECT_EQ(heapFillLevel(2048), 2);
  EXPECT_EQ(heapFillLevel(8), 14);
  EXPECT_EQ(heapFillLevel(7), 15);
  EXPECT_EQ(heapFillLevel(0), 15);
}

namespace {

// A BTH of `count` 4+4 records with keys 3*i+1, data i; read back and compared.
ltptest::Bth roundTrip(std::size_t count) {
  HeapBuilder heap(kClientSigBth);
  const Hid header = heap.allocate(kBthHeaderSize);
  heap.setUserRoot(header);
  Bytes records(count * 8);
  for (std::size_t i = 0; i < count; ++i) {
    const auto key = static_cast<std::uint32_t>(3 * i + 1);
    for (int b = 0; b < 4; ++b) {
      records[8 * i + b] = static_cast<std::uint8_t>(key >> (8 * b));
      records[8 * i + 4 + b] = static_cast<std::uint8_t>(i >> (8 * b));
    }
  }
  writeBth(heap, header, 4, 4, records);
  const auto node = finish(heap);
  const auto h = ltptest::readHeap(node);
  auto bth = ltptest::readBth(h, h.userRoot);
  EXPECT_EQ(bth.records.size(), count);
  for (std::size_t i = 0; i < bth.records.size(); ++i) {
    EXPECT_EQ(bth.records[i].first, 3 * i + 1);
    EXPECT_EQ(ltptest::u32(bth.records[i].second.data()), i);
  }
  return bth;
}

}  // namespace

TEST(Bth, LevelsGrowWhenRecordsOutgrowOneAllocation) {
  EXPECT_EQ(roundTrip(0).levels, 0);
  EXPECT_EQ(roundTrip(1).levels, 0);
  EXPECT_EQ(roundTrip(447).levels, 0);   // 447 * 8 = 3576 bytes: one leaf
  EXPECT_EQ(roundTrip(448).levels, 1);
  EXPECT_EQ(roundTrip(447 * 447).levels, 1);
  EXPECT_EQ(roundTrip(447 * 447 + 1).levels, 2);
}

TEST(Bth, EmptyTreeHasNoRoot) {
  HeapBuilder heap(kClientSigBth);
  const Hid header = heap.allocate(kBthHeaderSize);
  writeBth(heap, header, 2, 6, {});
  const auto h = ltptest::readHeap(finish(heap));
  EXPECT_EQ(h.get(header), (Bytes{0xB5, 2, 6, 0, 0, 0, 0, 0}));
}

TEST(Bth, RejectsUnsortedOrRepeatedKeysAndBadSizes) {
  HeapBuilder heap(kClientSigBth);
  const Hid header = heap.allocate(kBthHeaderSize);
  EXPECT_THROW(writeBth(heap, header, 2, 2, Bytes{2, 0, 0, 0, 1, 0, 0, 0}), pst::Error);
  EXPECT_THROW(writeBth(heap, header, 2, 2, Bytes{1, 0, 0, 0, 1, 0, 0, 0}), pst::Error);
  EXPECT_THROW(writeBth(heap, header, 3, 2, Bytes(5)), pst::Error);
  EXPECT_THROW(writeBth(heap, header, 2, 2, Bytes(5)), pst::Error);
  // Keys compare as little-endian integers: 0x0100 > 0x00FF.
  EXPECT_NO_THROW(writeBth(heap, header, 2, 2, Bytes{0xFF, 0, 0, 0, 0, 1, 0, 0}));
}

TEST(Heap, CopiesShareNoChanges) {
  HeapBuilder heap(kClientSigPc);
  const Hid a = heap.allocate(Bytes{1, 2});
  HeapBuilder copy = heap;
  heap.at(a)[0] = 9;                              // writes to the original only
  const Hid b = copy.allocate(Bytes{3});          // grows the copy only
  EXPECT_EQ(copy.at(a)[0], 1);
  EXPECT_THROW((void)std::as_const(heap).at(b), pst::Error);
  EXPECT_EQ(ltptest::readHeap({copy.build(), {}}).get(b), Bytes{3});
  EXPECT_EQ(ltptest::readHeap({heap.build(), {}}).get(a), (Bytes{9, 2}));
}
