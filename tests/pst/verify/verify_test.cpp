// The strict checker passes the files we write and Outlook's own samples, and
// names each fault planted in a good file.
#include "pst/verify/verify.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "pst/messaging/store.h"
#include "pst/verify/bytes.h"
#include "pst/verify/codec.h"
#include "tests/support/pst_checks.h"
#include "tests/support/temp_dir.h"

namespace pst::verify {
namespace {

std::vector<std::uint8_t> readAll(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A store with a contacts folder, messages with a value large enough for a
// subnode, and a second interval, written once for all tests.
const std::vector<std::uint8_t>& goodFile() {
  static const std::vector<std::uint8_t> bytes = [] {
    quillonet::test_support::TempDir dir("verifytest");
    const auto path = dir / "good.pst";
    {
      auto store = Store::create(path, u"Verify");
      const auto folder = store->createFolder(store->ipmSubtree(), u"Contacts", u"IPF.Contact");
      for (int i = 0; i < 300; ++i) {
        Message m;
        m.properties.push_back({ltp::PropId{0x001A}, ltp::PropertyValue::string(u"IPM.Contact")});
        m.properties.push_back({ltp::PropId{0x3001}, ltp::PropertyValue::stringFromUtf8("Contact " + std::to_string(i))});
        m.properties.push_back({ltp::PropId{0x1000}, ltp::PropertyValue::string(std::u16string(2500 + i, u'x'))});
        store->addMessage(folder, m);
      }
      store->close();
    }
    return readAll(path);
  }();
  return bytes;
}

std::string problemsOf(const Report& r) { return r.text(); }
bool mentions(const Report& r, std::string_view text) {
  for (const auto& p : r.problems)
    if (p.find(text) != std::string::npos) return true;
  return false;
}

// A copy of the good file to damage, with the little helpers a fault needs.
class Image {
 public:
  Image() : b(goodFile()) {}

  std::uint64_t get(std::uint64_t off, int n) const {
    std::uint64_t v = 0;
    for (int i = 0; i < n; ++i) v |= std::uint64_t(b[off + i]) << (8 * i);
    return v;
  }
  void put(std::uint64_t off, int n, std::uint64_t v) {
    for (int i = 0; i < n; ++i) b[off + i] = static_cast<std::uint8_t>(v >> (8 * i));
  }
  void fixPage(std::uint64_t ib) { put(ib + 0x1F4, 4, pstCrc(std::span(b).subspan(ib, 0x1F0))); }
  void fixBlock(std::uint64_t ib, std::uint64_t cb) {
    put(ib + (cb + 16 + 63) / 64 * 64 - 12, 4, pstCrc(std::span(b).subspan(ib, cb)));
  }
  void fixHeader() {
    put(0x04, 4, pstCrc(std::span(b).subspan(0x08, 471)));
    put(0x20C, 4, pstCrc(std::span(b).subspan(0x08, 516)));
  }
  // File offsets of the leaf entries of the NBT (0xD8) or BBT (0xE8).
  std::vector<std::uint64_t> leafEntries(std::uint64_t rootField) const {
    std::vector<std::uint64_t> out;
    walk(get(rootField + 8, 8), out);
    return out;
  }
  Report check() const { return checkBytes(b); }

  std::vector<std::uint8_t> b;

 private:
  void walk(std::uint64_t ib, std::vector<std::uint64_t>& out) const {
    const auto cEnt = b[ib + 0x1E8], cbEnt = b[ib + 0x1EA], level = b[ib + 0x1EB];
    for (int k = 0; k < cEnt; ++k) {
      if (level)
        walk(get(ib + k * cbEnt + 16, 8), out);
      else
        out.push_back(ib + k * cbEnt);
    }
  }
};

TEST(StrictChecker, PassesOurFileAndOutlookSamples) {
  const auto good = checkBytes(goodFile());
  EXPECT_TRUE(good.clean()) << problemsOf(good);
  EXPECT_GT(goodFile().size(), 0x4400u + 0x3E000u) << "the test file should span two AMap intervals";

  for (const char* name : {"outlook-empty.pst", "dist-list.pst", "pstsdk-sample1.pst"}) {
    const auto r = checkFile(quillonet::test_support::samplePath(name));
    EXPECT_TRUE(r.clean()) << name << ":\n" << problemsOf(r);
  }
  // dist-list carries a leaked block; Outlook leaves those, so it is a note.
  EXPECT_FALSE(checkFile(quillonet::test_support::samplePath("dist-list.pst")).notes.empty());

  const auto ansi = checkFile(quillonet::test_support::samplePath("pstsdk-sample2.pst"));
  EXPECT_FALSE(ansi.readable);
  EXPECT_TRUE(mentions(ansi, "ANSI")) << problemsOf(ansi);
  EXPECT_FALSE(checkFile("/nonexistent/x.pst").readable);
  const std::vector<std::uint8_t> tiny(100, 0);
  EXPECT_FALSE(checkBytes(tiny).readable);
}

TEST(StrictChecker, NamesHeaderFaults) {
  Image crc;
  crc.b[0x10] ^= 1;  // dwReserved1, covered by both CRCs
  auto r = crc.check();
  EXPECT_TRUE(mentions(r, "dwCRCPartial")) << problemsOf(r);
  EXPECT_TRUE(mentions(r, "dwCRCFull")) << problemsOf(r);

  Image eof;
  eof.put(0xB8, 8, eof.get(0xB8, 8) - 0x200);
  eof.put(0x204, 8, 4);  // bidNextB below the blocks in use
  eof.fixHeader();
  r = eof.check();
  EXPECT_EQ(r.problems.size(), 2u) << problemsOf(r);
  EXPECT_TRUE(mentions(r, "ibFileEof")) << problemsOf(r);
  EXPECT_TRUE(mentions(r, "bidNextB")) << problemsOf(r);
}

TEST(StrictChecker, NamesBlockAndReferenceFaults) {
  Image img;
  const auto bbt = img.leafEntries(0xE8);
  ASSERT_GT(bbt.size(), 10u);
  // One block's data changed: its CRC no longer matches.
  const auto e = bbt[5];
  img.b[img.get(e + 8, 8)] ^= 0x40;
  auto r = img.check();
  EXPECT_TRUE(mentions(r, "block " + hex(img.get(e, 8)) + " at")) << problemsOf(r);
  EXPECT_TRUE(mentions(r, "block CRC")) << problemsOf(r);

  // Another block's cRef one too high (the BBT page CRC repaired).
  Image ref;
  const auto f = bbt[7];
  ref.put(f + 18, 2, ref.get(f + 18, 2) + 1);
  ref.fixPage(f - (f - 0x4400) % 512);
  r = ref.check();
  ASSERT_EQ(r.problems.size(), 1u) << problemsOf(r);
  EXPECT_NE(r.problems[0].find("has cRef"), std::string::npos) << problemsOf(r);
}

TEST(StrictChecker, NamesAllocationMapFaults) {
  Image img;
  // The last unit of the last interval is free; the first block, at 0x4800, is live.
  const std::uint64_t last = img.get(0xC0, 8);
  ASSERT_EQ(img.b[last + 495] & 1, 0);
  img.b[last + 495] |= 1;
  img.fixPage(last);
  img.b[0x4400 + 2] &= 0x7F;  // 0x4800..0x4840
  img.fixPage(0x4400);
  const auto r = img.check();
  EXPECT_TRUE(mentions(r, "marked allocated but no page or block")) << problemsOf(r);
  EXPECT_TRUE(mentions(r, "bytes 0x4800..0x4840 hold")) << problemsOf(r);
  EXPECT_FALSE(mentions(r, "cbAMapFree")) << "one bit set and one cleared leave the sum alone: " << problemsOf(r);

  Image counter;
  counter.put(0xC8, 8, counter.get(0xC8, 8) + 64);
  counter.fixHeader();
  EXPECT_TRUE(mentions(counter.check(), "cbAMapFree"));
}

TEST(StrictChecker, NamesBTreeOrderFaults) {
  Image img;
  const auto nbt = img.leafEntries(0xD8);
  ASSERT_GT(nbt.size(), 3u);
  // Swap the first two entries of the first NBT leaf page.
  const auto a = nbt[0], b = nbt[1];
  for (int i = 0; i < 32; ++i) std::swap(img.b[a + i], img.b[b + i]);
  img.fixPage(a - (a - 0x4400) % 512);
  const auto r = img.check();
  EXPECT_TRUE(mentions(r, "is not above the previous key")) << problemsOf(r);

  // The root page: padding that must stay zero, and an entry whose key is
  // below the first key of the page it leads to.
  Image tree;
  const auto root = tree.get(0xD8 + 8, 8);
  ASSERT_GT(tree.b[root + 0x1EB], 0) << "the test expects an NBT of two levels";
  tree.put(root + 0x1EC, 4, 1);
  const auto childFirst = tree.get(tree.get(root + 24 + 16, 8), 8);
  ASSERT_GT(childFirst - 1, tree.get(root, 8));
  tree.put(root + 24, 8, childFirst - 1);
  tree.fixPage(root);
  const auto t = tree.check();
  EXPECT_TRUE(mentions(t, "dwPadding is 0x1")) << problemsOf(t);
  EXPECT_TRUE(mentions(t, "differs from the parent entry's key")) << problemsOf(t);
}

TEST(StrictChecker, ShowsWhatItReadFromEachNode) {
  Contents contents;
  ASSERT_TRUE(checkBytes(goodFile(), {}, &contents).clean());
  const NodeContents* seventh = nullptr;
  for (const auto& [nid, node] : contents.nodes)
    if (node.kind == "PC" && node.properties.count(0x3001001F) && node.properties.at(0x3001001F) == "Contact 7")
      seventh = &node;
  ASSERT_NE(seventh, nullptr);
  EXPECT_EQ(seventh->properties.at(0x001A001F), "IPM.Contact");
  EXPECT_EQ(seventh->properties.at(0x1000001F), std::string(2507, 'x'));  // from a subnode
  const auto& table = contents.nodes.at((seventh->parent & ~0x1Fu) | 0x0E);
  EXPECT_EQ(table.kind, "TC");
  EXPECT_EQ(table.rows.size(), 300u);
  char nid[16];
  std::snprintf(nid, sizeof nid, "0x%x", seventh->nid);
  const auto* row = table.rowWith(0x67F20003, nid);
  ASSERT_NE(row, nullptr);
  EXPECT_EQ(row->at(0x001A001F), "IPM.Contact");
  EXPECT_EQ(valueText(0x0003, std::vector<std::uint8_t>{0xD2, 0x04, 0, 0}), "0x4d2");
  EXPECT_EQ(valueText(0x101F, std::vector<std::uint8_t>{2, 0, 0, 0, 12, 0, 0, 0, 14, 0, 0, 0, 'a', 0, 'b', 0}), "[a | b]");
  EXPECT_EQ(valueText(0x0102, std::vector<std::uint8_t>{0x01, 0xAB}), "hex:01ab");
}

TEST(StrictChecker, NamesHeapPageMapFaults) {
  Image img;
  // The message store PC (NID 0x21): its block, found through both trees.
  std::uint64_t bidData = 0;
  for (auto e : img.leafEntries(0xD8))
    if (img.get(e, 4) == 0x21) bidData = img.get(e + 8, 8);
  ASSERT_NE(bidData, 0u);
  std::uint64_t ib = 0, cb = 0;
  for (auto e : img.leafEntries(0xE8))
    if (img.get(e, 8) == bidData) ib = img.get(e + 8, 8), cb = img.get(e + 16, 2);
  ASSERT_NE(ib, 0u);
  ASSERT_EQ(img.b[0x201], 1) << "the test expects permuted data blocks";
  // Data blocks are permuted: decode ibHnpm, move it past the block, encode it again.
  std::array<std::uint8_t, 256> encode{};
  for (int v = 0; v < 256; ++v) {
    std::uint8_t x = static_cast<std::uint8_t>(v);
    permuteDecode(std::span(&x, 1));
    encode[x] = static_cast<std::uint8_t>(v);
  }
  std::array<std::uint8_t, 2> hnpm = {img.b[ib], img.b[ib + 1]};
  permuteDecode(hnpm);
  const unsigned bad = (hnpm[0] | hnpm[1] << 8) + 2;
  img.b[ib] = encode[bad & 0xFF];
  img.b[ib + 1] = encode[bad >> 8];
  img.fixBlock(ib, cb);
  const auto r = img.check();
  EXPECT_TRUE(mentions(r, "node 0x21: heap page 0")) << problemsOf(r);
}

TEST(StrictChecker, NamesFolderTableFaults) {
  Image img;
  // Move one message to the IPM subtree in the NBT only: the folder tables and
  // counts of both folders now disagree with the tree.
  std::uint64_t moved = 0;
  for (auto e : img.leafEntries(0xD8))
    if ((img.get(e, 4) & 0x1F) == 0x04 && !moved) moved = e;
  ASSERT_NE(moved, 0u);
  img.put(moved + 24, 4, 0x8022);
  img.fixPage(moved - (moved - 0x4400) % 512);
  const auto r = img.check();
  EXPECT_TRUE(mentions(r, "folder 0x8022: contents table 0x802e has no row for")) << problemsOf(r);
  EXPECT_TRUE(mentions(r, "which is not a child of the folder")) << problemsOf(r);
  EXPECT_TRUE(mentions(r, "PidTagContentCount is 300 but it holds 299 messages")) << problemsOf(r);
}

}  // namespace
}  // namespace pst::verify
