// HEADER and ROOT (MS-PST 2.2.2.5, 2.2.2.6): magic, version, CRCs and the ROOT fields.
#include "pst/verify/codec.h"
#include "pst/verify/context.h"

namespace pst::verify {

namespace {

void checkSizeAndMaps(Context& c) {
  const auto& h = c.header;
  const std::uint64_t size = c.file.size();
  if (h.ibFileEof != size) c.problem("ROOT: ibFileEof is " + hex(h.ibFileEof) + " but the file has " + hex(size) + " bytes");
  // The file grows one whole AMap interval at a time.
  if ((size - kFirstAMap) % kAMapInterval != 0)
    c.problem("ROOT: file size " + hex(size) + " does not end on an AMap interval (0x4400 + n * 0x3E000)");
  const std::uint64_t intervals = (size - kFirstAMap + kAMapInterval - 1) / kAMapInterval;
  const std::uint64_t lastAMap = kFirstAMap + (intervals - 1) * kAMapInterval;
  if (h.ibAMapLast != lastAMap)
    c.problem("ROOT: ibAMapLast is " + hex(h.ibAMapLast) + ", the last AMap of the file is at " + hex(lastAMap));
  if (h.fAMapValid == 0) {
    c.problem("ROOT: fAMapValid is 0 (maps invalid)");
  } else if (h.fAMapValid == 1) {
    c.note("ROOT: fAMapValid is 1 (VALID_AMAP1, deprecated)");
  } else if (h.fAMapValid != 2) {
    c.problem("ROOT: fAMapValid is " + hex(h.fAMapValid) + ", not 2");
  }
}

}  // namespace

bool checkHeader(Context& c) {
  const Bytes f = c.file;
  if (f.size() < kFirstAMap + kPageSize) {
    c.problem("header: file is " + std::to_string(f.size()) + " bytes, too short for a PST");
    return false;
  }
  if (u32(f, 0) != 0x4E444221) {
    c.problem("header: dwMagic is " + hex(u32(f, 0)) + ", not \"!BDN\"");
    return false;
  }
  const auto wVer = u16(f, 0x0A);
  if (wVer != 23) {
    c.problem("header: wVer is " + std::to_string(wVer) +
              (wVer == 14 || wVer == 15 ? " (an ANSI PST)" : "") + "; only Unicode PSTs (wVer 23) are checked");
    return false;
  }
  if (u16(f, 0x08) != 0x4D53) c.problem("header: wMagicClient is " + hex(u16(f, 0x08)) + ", not \"SM\"");
  const auto partial = pstCrc(f.subspan(0x08, 471));
  if (u32(f, 0x04) != partial)
    c.problem("header: dwCRCPartial is " + hex(u32(f, 0x04)) + ", the bytes give " + hex(partial));
  const auto full = pstCrc(f.subspan(0x08, 516));
  if (u32(f, 0x20C) != full) c.problem("header: dwCRCFull is " + hex(u32(f, 0x20C)) + ", the bytes give " + hex(full));
  if (u8(f, 0x200) != 0x80) c.problem("header: bSentinel is " + hex(u8(f, 0x200)) + ", not 0x80");

  auto& h = c.header;
  h.bidNextP = u64(f, 0x20);
  for (int t = 0; t < 32; ++t) h.rgnid[t] = u32(f, 0x2C + 4 * static_cast<std::size_t>(t));
  h.ibFileEof = u64(f, 0xB8);
  h.ibAMapLast = u64(f, 0xC0);
  h.cbAMapFree = u64(f, 0xC8);
  h.cbPMapFree = u64(f, 0xD0);
  h.nbtBid = u64(f, 0xD8);
  h.nbtIb = u64(f, 0xE0);
  h.bbtBid = u64(f, 0xE8);
  h.bbtIb = u64(f, 0xF0);
  h.fAMapValid = u8(f, 0xF8);
  h.cryptMethod = u8(f, 0x201);
  h.bidNextB = u64(f, 0x204);

  if (h.cryptMethod > 2) {
    c.problem("header: bCryptMethod is " + hex(h.cryptMethod) + ", not 0, 1 or 2");
  } else if (h.cryptMethod == 2) {
    c.note("header: cyclic encoding (bCryptMethod 2); the contents of data blocks are not checked");
  }
  if (h.fAMapValid == 0 && c.options.allowInvalidMaps) {
    c.mapsInvalid = true;
    c.note("ROOT: fAMapValid is 0 (maps to be rebuilt); allocation maps and file size not checked");
    if (h.ibFileEof > f.size()) c.problem("ROOT: ibFileEof " + hex(h.ibFileEof) + " is past the end of the file");
  } else {
    checkSizeAndMaps(c);
  }
  if (h.bidNextB & 3) c.problem("header: bidNextB " + hex(h.bidNextB) + " has its low two bits set");
  return true;
}

}  // namespace pst::verify
