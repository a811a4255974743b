// Checks the MS-PST CRC and the permute encoding against known values.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <string_view>
#include <vector>

#include "pst/ndb/crc.h"
#include "pst/ndb/crypt.h"

namespace pst::ndb {
namespace {

std::span<const std::uint8_t> bytesOf(std::string_view s) {
  return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

std::uint32_t bitwiseCrc(std::span<const std::uint8_t> data) {
  std::uint32_t r = 0;
  for (auto b : data) {
    r ^= b;
    for (int k = 0; k < 8; ++k) r = (r >> 1) ^ (0xEDB88320u & (0u - (r & 1u)));
  }
  return r;
}

TEST(Crc, KnownValues) {
  EXPECT_EQ(computeCrc(bytesOf("123456789")), 0x2DFD2D88u);
  std::vector<std::uint8_t> zeros(496, 0);
  EXPECT_EQ(computeCrc(zeros), 0u);
  EXPECT_EQ(computeCrc({}), 0u);
}

TEST(Crc, SlicedMatchesBitwiseAtEveryLengthAndContinues) {
  std::vector<std::uint8_t> data(300);
  std::iota(data.begin(), data.end(), std::uint8_t{7});
  for (std::size_t n = 0; n <= data.size(); ++n) {
    std::span<const std::uint8_t> part(data.data(), n);
    ASSERT_EQ(computeCrc(part), bitwiseCrc(part)) << "length " << n;
  }
  std::span<const std::uint8_t> all(data);
  EXPECT_EQ(computeCrc(all.subspan(123), computeCrc(all.first(123))), computeCrc(all));
}

// Long runs take the folding path where the processor has one: any length,
// any alignment, any register to continue from.
TEST(Crc, LongRunsMatchBitwise) {
  std::vector<std::uint8_t> data(9100);
  std::uint32_t seed = 12345;
  for (auto& b : data) b = static_cast<std::uint8_t>((seed = seed * 1103515245u + 12345u) >> 24);
  for (std::size_t n : {256u, 257u, 271u, 320u, 511u, 512u, 1000u, 4096u, 8191u, 8999u}) {
    for (std::size_t offset : {0u, 1u, 7u}) {
      const std::span<const std::uint8_t> part(data.data() + offset, n);
      ASSERT_EQ(computeCrc(part), bitwiseCrc(part)) << n << " at " << offset;
      const std::uint32_t head = bitwiseCrc(std::span<const std::uint8_t>(data.data(), offset + 5));
      std::uint32_t r = head;
      for (auto b : part) {
        r ^= b;
        for (int k = 0; k < 8; ++k) r = (r >> 1) ^ (0xEDB88320u & (0u - (r & 1u)));
      }
      ASSERT_EQ(computeCrc(part, head), r) << n << " at " << offset << " continued";
    }
  }
}

TEST(Permute, TableValuesAndInverse) {
  std::vector<std::uint8_t> b(256);
  std::iota(b.begin(), b.end(), std::uint8_t{0});
  permuteEncode(b);
  EXPECT_EQ(b[0x00], 0x41);
  EXPECT_EQ(b[0x01], 0x36);
  std::vector<std::uint8_t> sorted = b;
  std::sort(sorted.begin(), sorted.end());
  for (int i = 0; i < 256; ++i) ASSERT_EQ(sorted[i], i) << "not a permutation";
  permuteDecode(b);
  for (int i = 0; i < 256; ++i) ASSERT_EQ(b[i], i);
  // Every length, so the bytes after the last whole group of eight are coded too.
  std::vector<std::uint8_t> table(256);
  std::iota(table.begin(), table.end(), std::uint8_t{0});
  permuteEncode(table);
  for (std::size_t n = 0; n <= 17; ++n) {
    std::vector<std::uint8_t> part(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(n));
    permuteEncode(part);
    for (std::size_t i = 0; i < n; ++i) ASSERT_EQ(part[i], table[i]) << "length " << n << ", byte " << i;
    permuteDecode(part);
    ASSERT_TRUE(std::equal(part.begin(), part.end(), b.begin())) << "length " << n;
  }
  // Long runs (coded many bytes at a time where the processor can), at any
  // length and alignment, code each byte as the table does.
  std::vector<std::uint8_t> data(5000);
  std::uint32_t seed = 99;
  for (auto& x : data) x = static_cast<std::uint8_t>((seed = seed * 1103515245u + 12345u) >> 24);
  for (std::size_t n : {128u, 129u, 191u, 200u, 1024u, 4999u}) {
    std::vector<std::uint8_t> part(data.begin() + 1, data.begin() + 1 + static_cast<std::ptrdiff_t>(n));
    permuteEncode(part);
    for (std::size_t i = 0; i < n; ++i) ASSERT_EQ(part[i], table[data[1 + i]]) << "length " << n << ", byte " << i;
    permuteDecode(part);
    ASSERT_TRUE(std::equal(part.begin(), part.end(), data.begin() + 1)) << "length " << n;
  }
  std::vector<std::uint8_t> z{0x00, 0x01};
  permuteDecode(z);
  EXPECT_EQ(z[0], 0x47);
  EXPECT_EQ(z[1], 0xF1);
}

}  // namespace
}  // namespace pst::ndb
