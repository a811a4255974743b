// The dump's text forms of values and nodes.
#include "pst/verify/contents.h"

#include "pst/verify/bytes.h"
#include "pst/verify/heap.h"

namespace pst::verify {
namespace {

constexpr std::size_t kShownBytes = 40;

std::string utf16ToUtf8(Bytes b) {
  std::string out;
  for (std::size_t i = 0; i + 1 < b.size(); i += 2) {
    std::uint32_t c = u16(b, i);
    if (c >= 0xD800 && c < 0xDC00 && i + 3 < b.size()) {
      const std::uint32_t low = u16(b, i + 2);
      if (low >= 0xDC00 && low < 0xE000) {
        c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        i += 2;
      }
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::string hexBytes(Bytes b) {
  static const char* digits = "0123456789abcdef";
  std::string out;
  out.reserve(b.size() * 2);
  for (auto v : b) {
    out += digits[v >> 4];
    out += digits[v & 15];
  }
  return out;
}

// A multi-valued string: count, offsets, then the strings back to back.
std::string multiString(std::uint16_t type, Bytes v) {
  const std::uint64_t count = u32(v, 0);
  if (v.size() < 4 || 4 + 4 * count > v.size()) return "hex:" + hexBytes(v);
  std::string out = "[";
  for (std::uint64_t k = 0; k < count; ++k) {
    const std::uint64_t from = u32(v, 4 + 4 * k), to = k + 1 < count ? u32(v, 8 + 4 * k) : v.size();
    if (from > to || to > v.size()) return "hex:" + hexBytes(v);
    const Bytes s = v.subspan(from, to - from);
    if (k) out += " | ";
    out += type == 0x101F ? utf16ToUtf8(s) : std::string(s.begin(), s.end());
  }
  return out + "]";
}

}  // namespace

std::string valueText(std::uint16_t type, std::span<const std::uint8_t> value) {
  if (type == 0x001F) return utf16ToUtf8(value);
  if (type == 0x001E) return std::string(value.begin(), value.end());
  if (type == 0x101F || type == 0x101E) return multiString(type, value);
  const auto fixed = fixedSize(type);
  if (fixed && fixed <= 8 && value.size() <= 8) {
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < value.size(); ++i) v |= std::uint64_t(value[i]) << (8 * i);
    return hex(v);
  }
  return "hex:" + hexBytes(value);
}

std::string streamText(std::span<const std::uint8_t> head, std::uint64_t size) {
  std::string out = "hex:" + hexBytes(head.first(std::min<std::size_t>(head.size(), kShownBytes)));
  if (size > kShownBytes) out += "..(" + std::to_string(size) + ")";
  return out;
}

const NodeContents::Cells* NodeContents::rowWith(std::uint32_t tag, const std::string& value) const {
  for (const auto& row : rows) {
    auto it = row.find(tag);
    if (it != row.end() && it->second == value) return &row;
  }
  return nullptr;
}

std::string dumpText(const Contents& contents) {
  auto tagText = [](std::uint32_t tag) {
    char t[12];
    std::snprintf(t, sizeof t, "%08x", tag);
    return std::string(t);
  };
  // Long values are cut for reading; the structure holds them whole.
  auto shown = [](const std::string& v) {
    return v.size() > 2 * kShownBytes + 4 ? v.substr(0, 2 * kShownBytes + 4) + "..(" + std::to_string(v.size()) + " chars)"
                                          : v;
  };
  std::string out;
  for (const auto& [nid, n] : contents.nodes) {
    out += "NID " + hex(nid) + " parent " + hex(n.parent) + " kind " + n.kind;
    if (!n.subnodes.empty()) {
      out += " subnodes";
      for (auto s : n.subnodes) out += " " + hex(s);
    }
    out += "\n";
    for (const auto& [tag, value] : n.properties) out += "   " + tagText(tag) + " = " + shown(value) + "\n";
    if (!n.columns.empty()) out += "   columns " + n.columns + "\n";
    for (const auto& row : n.rows) {
      out += "   row:";
      for (const auto& [tag, value] : row) out += " " + tagText(tag) + "=" + shown(value);
      out += "\n";
    }
    if (!n.stream.empty()) out += "   stream " + n.stream + "\n";
  }
  return out;
}

}  // namespace pst::verify
