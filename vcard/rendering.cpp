// A picture icon as a Windows metafile (MS-WMF): header, text and background
// colours, two META_DIBSTRETCHBLT records (mask, colour image), end of file.
#include "vcard/rendering.h"

#include "vcard/bytes.h"

#include <cstddef>

namespace vcard {

namespace {

constexpr int kSize = 40;  // pixels, square

using detail::appendLe16;
using detail::appendLe32;

struct Rgb {
  std::uint8_t r, g, b;
};

// The icon: a framed landscape (sky, sun, two hills) on a white card.
Rgb pixel(int x, int y) {  // y counts down from the top
  constexpr Rgb kWhite{255, 255, 255}, kFrame{96, 96, 96}, kSky{170, 210, 245}, kSun{250, 200, 40},
      kHill{70, 150, 70}, kFarHill{120, 180, 110};
  constexpr int left = 4, right = 35, top = 7, bottom = 32;
  if (x < left || x > right || y < top || y > bottom) return kWhite;
  if (x == left || x == right || y == top || y == bottom) return kFrame;
  const int dx = x - 27, dy = y - 14;
  if (dx * dx + dy * dy <= 10) return kSun;
  if (y >= bottom - (x - left) * 2 / 3 && y >= 16 + (right - x) / 3) return kFarHill;
  const int peak = 15, distance = x > peak ? x - peak : peak - x;
  if (y >= 17 + distance) return kHill;
  return kSky;
}

// META_DIBSTRETCHBLT drawing the whole bitmap at the origin, kSize square.
void stretchBlt(std::vector<std::uint8_t>& out, std::uint32_t rasterOp, const std::vector<std::uint8_t>& dib) {
  const std::size_t words = (6 + 4 + 16 + dib.size()) / 2;
  appendLe32(out, static_cast<std::uint32_t>(words));
  appendLe16(out, 0x0B41);  // META_DIBSTRETCHBLT
  appendLe32(out, rasterOp);
  for (int v : {kSize, kSize, 0, 0, kSize, kSize, 0, 0}) appendLe16(out, static_cast<std::uint16_t>(v));  // source, then destination
  out.insert(out.end(), dib.begin(), dib.end());
}

// BITMAPINFOHEADER of a bottom-up DIB.
void bitmapHeader(std::vector<std::uint8_t>& out, int height, int bitCount, std::size_t imageSize) {
  appendLe32(out, 40);
  appendLe32(out, kSize);
  appendLe32(out, static_cast<std::uint32_t>(height));
  appendLe16(out, 1);  // planes
  appendLe16(out, static_cast<std::uint16_t>(bitCount));
  appendLe32(out, 0);  // BI_RGB
  appendLe32(out, static_cast<std::uint32_t>(imageSize));
  for (int i = 0; i < 4; ++i) appendLe32(out, 0);  // resolution, colours used, important
}

std::vector<std::uint8_t> build() {
  // The mask: an icon's monochrome AND and XOR halves, all zero: every pixel opaque.
  constexpr std::size_t maskStride = (kSize + 31) / 32 * 4;
  std::vector<std::uint8_t> mask;
  bitmapHeader(mask, 2 * kSize, 1, maskStride * 2 * kSize);
  appendLe32(mask, 0x00000000);  // palette: black
  appendLe32(mask, 0x00FFFFFF);  // white
  mask.resize(mask.size() + maskStride * 2 * kSize, 0);

  constexpr std::size_t stride = (kSize * 3 + 3) / 4 * 4;
  std::vector<std::uint8_t> colour;
  bitmapHeader(colour, kSize, 24, stride * kSize);
  for (int row = kSize - 1; row >= 0; --row) {  // bottom-up
    const std::size_t start = colour.size();
    for (int x = 0; x < kSize; ++x) {
      const Rgb p = pixel(x, row);
      colour.insert(colour.end(), {p.b, p.g, p.r});
    }
    colour.resize(start + stride, 0);
  }

  std::vector<std::uint8_t> records;
  appendLe32(records, 5);
  appendLe16(records, 0x0209);  // META_SETTEXTCOLOR
  appendLe32(records, 0x00000000);
  appendLe32(records, 5);
  appendLe16(records, 0x0201);  // META_SETBKCOLOR
  appendLe32(records, 0x00FFFFFF);
  stretchBlt(records, 0x008800C6, mask);    // SRCAND
  stretchBlt(records, 0x00660046, colour);  // SRCINVERT
  appendLe32(records, 3);
  appendLe16(records, 0x0000);  // META_EOF

  std::vector<std::uint8_t> out;
  const std::size_t words = (18 + records.size()) / 2;
  appendLe16(out, 1);       // memory metafile
  appendLe16(out, 9);       // header words
  appendLe16(out, 0x0300);  // version
  appendLe32(out, static_cast<std::uint32_t>(words));
  appendLe16(out, 0);  // objects
  appendLe32(out, static_cast<std::uint32_t>((6 + 4 + 16 + colour.size()) / 2));  // the largest record
  appendLe16(out, 0);
  out.insert(out.end(), records.begin(), records.end());
  return out;
}

}  // namespace

const std::vector<std::uint8_t>& photoRendering() {
  static const std::vector<std::uint8_t> kRendering = build();
  return kRendering;
}

}  // namespace vcard
