// Typed property values: factories for every supported type and the checks
// that keep a malformed value out of a property or table context.
#include "pst/ltp/property_value.h"

#include <bit>
#include <cstdio>
#include <cstring>

#include "pst/error.h"
#include "pst/little_endian.h"

namespace pst::ltp {

namespace {

std::string typeName(PropType type) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%04X", static_cast<unsigned>(type));
  return buf;
}

template <typename T>
PropertyValue fixedValue(PropType type, T v) {
  PropertyValue out{type, std::vector<std::uint8_t>(sizeof(T))};
  if constexpr (sizeof(T) == 1) {
    out.data[0] = static_cast<std::uint8_t>(v);
  } else if constexpr (sizeof(T) == 2) {
    le::put<std::uint16_t>(out.data.data(), static_cast<std::uint16_t>(v));
  } else if constexpr (sizeof(T) == 4) {
    le::put<std::uint32_t>(out.data.data(), static_cast<std::uint32_t>(v));
  } else {
    le::put<std::uint64_t>(out.data.data(), static_cast<std::uint64_t>(v));
  }
  return out;
}

template <typename T>
PropertyValue fixedArray(PropType type, std::span<const T> v) {
  PropertyValue out{type, {}};
  out.data.reserve(v.size() * sizeof(T));
  for (T x : v) {
    if constexpr (sizeof(T) == 2) {
      le::append<std::uint16_t>(out.data, static_cast<std::uint16_t>(x));
    } else if constexpr (sizeof(T) == 4) {
      le::append<std::uint32_t>(out.data, static_cast<std::uint32_t>(x));
    } else {
      le::append<std::uint64_t>(out.data, static_cast<std::uint64_t>(x));
    }
  }
  return out;
}

void appendUtf16(std::vector<std::uint8_t>& out, std::u16string_view s) {
  const std::size_t at = out.size();
  out.resize(at + 2 * s.size());
  if constexpr (std::endian::native == std::endian::little) {
    if (!s.empty()) std::memcpy(out.data() + at, s.data(), 2 * s.size());  // already UTF-16LE
  } else {
    for (std::size_t i = 0; i < s.size(); ++i) le::put<std::uint16_t>(out.data() + at + 2 * i, s[i]);
  }
}

// ulCount, rgulDataOffsets (from the start of the value), then the elements.
template <typename Range, typename Append>
PropertyValue offsetTable(PropType type, const Range& elements, Append append) {
  PropertyValue out{type, {}};
  const std::size_t count = elements.size();
  out.data.resize(4 + 4 * count);
  le::put<std::uint32_t>(out.data.data(), static_cast<std::uint32_t>(count));
  for (std::size_t i = 0; i < count; ++i) {
    if (out.data.size() > UINT32_MAX) throw Error(ErrorKind::BadRequest, "multi-valued property larger than 4 GB");
    le::put<std::uint32_t>(out.data.data() + 4 + 4 * i, static_cast<std::uint32_t>(out.data.size()));
    append(out.data, elements[i]);
  }
  return out;
}

}  // namespace

std::size_t fixedSize(PropType type) {
  switch (type) {
    case PropType::Boolean:
      return 1;
    case PropType::Integer16:
      return 2;
    case PropType::Integer32:
    case PropType::Floating32:
    case PropType::ErrorCode:
      return 4;
    case PropType::Floating64:
    case PropType::Currency:
    case PropType::FloatingTime:
    case PropType::Integer64:
    case PropType::Time:
      return 8;
    default:
      return 0;
  }
}

std::size_t elementSize(PropType type) {
  switch (type) {
    case PropType::MultipleInteger16:
      return 2;
    case PropType::MultipleInteger32:
      return 4;
    case PropType::MultipleInteger64:
    case PropType::MultipleTime:
      return 8;
    case PropType::MultipleGuid:
      return 16;
    default:
      return 0;
  }
}

bool isKnownType(PropType type) {
  switch (type) {
    case PropType::String8:
    case PropType::String:
    case PropType::Guid:
    case PropType::Binary:
    case PropType::MultipleString8:
    case PropType::MultipleString:
    case PropType::MultipleBinary:
      return true;
    default:
      return fixedSize(type) != 0 || elementSize(type) != 0;
  }
}

PropertyValue PropertyValue::integer16(std::int16_t v) { return fixedValue(PropType::Integer16, v); }
PropertyValue PropertyValue::integer32(std::int32_t v) { return fixedValue(PropType::Integer32, v); }
PropertyValue PropertyValue::floating32(float v) {
  return fixedValue(PropType::Floating32, std::bit_cast<std::uint32_t>(v));
}
PropertyValue PropertyValue::floating64(double v) {
  return fixedValue(PropType::Floating64, std::bit_cast<std::uint64_t>(v));
}
PropertyValue PropertyValue::currency(std::int64_t v) { return fixedValue(PropType::Currency, v); }
PropertyValue PropertyValue::floatingTime(double v) {
  return fixedValue(PropType::FloatingTime, std::bit_cast<std::uint64_t>(v));
}
PropertyValue PropertyValue::errorCode(std::uint32_t v) { return fixedValue(PropType::ErrorCode, v); }
PropertyValue PropertyValue::boolean(bool v) {
  return fixedValue(PropType::Boolean, static_cast<std::uint8_t>(v ? 1 : 0));
}
PropertyValue PropertyValue::integer64(std::int64_t v) { return fixedValue(PropType::Integer64, v); }
PropertyValue PropertyValue::time(std::uint64_t filetime) { return fixedValue(PropType::Time, filetime); }

PropertyValue PropertyValue::string(std::u16string_view v) {
  PropertyValue out{PropType::String, {}};
  appendUtf16(out.data, v);
  return out;
}

PropertyValue PropertyValue::stringFromUtf8(std::string_view s) {
  PropertyValue out{PropType::String, {}};
  out.data.reserve(s.size() * 2);
  const auto* p = reinterpret_cast<const std::uint8_t*>(s.data());
  const std::size_t n = s.size();
  for (std::size_t i = 0; i < n;) {
    const std::uint8_t b = p[i];
    std::uint32_t cp = 0;
    std::size_t len = 0;
    if (b < 0x80) {
      cp = b;
      len = 1;
    } else if ((b & 0xE0) == 0xC0) {
      cp = b & 0x1F;
      len = 2;
    } else if ((b & 0xF0) == 0xE0) {
      cp = b & 0x0F;
      len = 3;
    } else if ((b & 0xF8) == 0xF0) {
      cp = b & 0x07;
      len = 4;
    } else {
      throw Error(ErrorKind::BadRequest, "invalid UTF-8 at byte " + std::to_string(i));
    }
    if (i + len > n) throw Error(ErrorKind::BadRequest, "truncated UTF-8 sequence at byte " + std::to_string(i));
    for (std::size_t k = 1; k < len; ++k) {
      if ((p[i + k] & 0xC0) != 0x80)
        throw Error(ErrorKind::BadRequest, "invalid UTF-8 at byte " + std::to_string(i + k));
      cp = (cp << 6) | (p[i + k] & 0x3F);
    }
    static constexpr std::uint32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      throw Error(ErrorKind::BadRequest, "invalid UTF-8 code point at byte " + std::to_string(i));
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      le::append<std::uint16_t>(out.data, static_cast<std::uint16_t>(0xD800 + (cp >> 10)));
      le::append<std::uint16_t>(out.data, static_cast<std::uint16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      le::append<std::uint16_t>(out.data, static_cast<std::uint16_t>(cp));
    }
    i += len;
  }
  return out;
}

PropertyValue PropertyValue::string8(std::string_view v) {
  return PropertyValue{PropType::String8, std::vector<std::uint8_t>(v.begin(), v.end())};
}

PropertyValue PropertyValue::binary(std::span<const std::uint8_t> v) {
  return PropertyValue{PropType::Binary, std::vector<std::uint8_t>(v.begin(), v.end())};
}

PropertyValue PropertyValue::guid(const std::array<std::uint8_t, 16>& v) {
  return PropertyValue{PropType::Guid, std::vector<std::uint8_t>(v.begin(), v.end())};
}

PropertyValue PropertyValue::multipleInteger16(std::span<const std::int16_t> v) {
  return fixedArray(PropType::MultipleInteger16, v);
}
PropertyValue PropertyValue::multipleInteger32(std::span<const std::int32_t> v) {
  return fixedArray(PropType::MultipleInteger32, v);
}
PropertyValue PropertyValue::multipleInteger64(std::span<const std::int64_t> v) {
  return fixedArray(PropType::MultipleInteger64, v);
}
PropertyValue PropertyValue::multipleTime(std::span<const std::uint64_t> filetimes) {
  return fixedArray(PropType::MultipleTime, filetimes);
}
PropertyValue PropertyValue::multipleGuid(std::span<const std::array<std::uint8_t, 16>> v) {
  PropertyValue out{PropType::MultipleGuid, {}};
  out.data.reserve(v.size() * 16);
  for (const auto& g : v) out.data.insert(out.data.end(), g.begin(), g.end());
  return out;
}

PropertyValue PropertyValue::multipleString(std::span<const std::u16string> v) {
  return offsetTable(PropType::MultipleString, v,
                     [](std::vector<std::uint8_t>& out, const std::u16string& s) { appendUtf16(out, s); });
}
PropertyValue PropertyValue::multipleString8(std::span<const std::string> v) {
  return offsetTable(PropType::MultipleString8, v, [](std::vector<std::uint8_t>& out, const std::string& s) {
    out.insert(out.end(), s.begin(), s.end());
  });
}
PropertyValue PropertyValue::multipleBinary(std::span<const std::vector<std::uint8_t>> v) {
  return offsetTable(PropType::MultipleBinary, v,
                     [](std::vector<std::uint8_t>& out, const std::vector<std::uint8_t>& b) {
                       out.insert(out.end(), b.begin(), b.end());
                     });
}

PropertyValue PropertyValue::fromBytes(PropType type, std::vector<std::uint8_t> data) {
  PropertyValue out{type, std::move(data)};
  out.validate();
  return out;
}

namespace {

// Checks a multi-valued value and hands each element to take, in order;
// throws pst::Error as validate() does.
template <typename Take>
void walkElements(const PropertyValue& v, Take&& take) {
  const PropType type = v.type;
  const std::vector<std::uint8_t>& data = v.data;
  if (!isMultiValued(type) || !isKnownType(type)) {
    throw Error(ErrorKind::BadRequest, "property type " + typeName(type) + " is not multi-valued");
  }
  const std::span<const std::uint8_t> all(data);
  if (const std::size_t size = elementSize(type)) {
    if (data.size() % size != 0) {
      throw Error(ErrorKind::BadRequest, "multi-valued property of type " + typeName(type) + ": " +
                                             std::to_string(data.size()) + " bytes is not a whole number of elements");
    }
    for (std::size_t i = 0; i < data.size(); i += size) take(all.subspan(i, size));
    return;
  }
  // An empty value (no bytes at all) reads as zero elements.
  if (data.empty()) return;
  if (data.size() < 4) throw Error(ErrorKind::BadRequest, "multi-valued property shorter than its count");
  const std::uint32_t count = le::get<std::uint32_t>(data.data());
  if (count > (data.size() - 4) / 4)
    throw Error(ErrorKind::BadRequest, "multi-valued property: offset table past the value");
  const std::size_t tableEnd = 4 + 4 * static_cast<std::size_t>(count);
  std::size_t prev = tableEnd;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::size_t start = le::get<std::uint32_t>(data.data() + 4 + 4 * i);
    const std::size_t end = i + 1 < count ? le::get<std::uint32_t>(data.data() + 8 + 4 * i) : data.size();
    if (start < prev || end < start || end > data.size()) {
      throw Error(ErrorKind::BadRequest, "multi-valued property: element " + std::to_string(i) + " has a bad offset");
    }
    if (type == PropType::MultipleString && (end - start) % 2 != 0) {
      throw Error(ErrorKind::BadRequest, "multi-valued string: element " + std::to_string(i) + " is not UTF-16");
    }
    take(all.subspan(start, end - start));
    prev = end;
  }
  if (count == 0 && data.size() != 4)
    throw Error(ErrorKind::BadRequest, "multi-valued property: bytes after an empty offset table");
}

}  // namespace

void PropertyValue::validate() const {
  if (!isKnownType(type)) throw Error(ErrorKind::BadRequest, "unsupported property type " + typeName(type));
  if (const std::size_t size = fixedSize(type)) {
    if (data.size() != size) {
      throw Error(ErrorKind::BadRequest, "property of type " + typeName(type) + " holds " +
                                             std::to_string(data.size()) + " bytes, want " + std::to_string(size));
    }
    return;
  }
  if (type == PropType::Guid && data.size() != 16) {
    throw Error(ErrorKind::BadRequest, "GUID property holds " + std::to_string(data.size()) + " bytes, want 16");
  }
  if (type == PropType::String && data.size() % 2 != 0) {
    throw Error(ErrorKind::BadRequest, "string property of " + std::to_string(data.size()) + " bytes is not UTF-16");
  }
  if (data.size() > UINT32_MAX) throw Error(ErrorKind::BadRequest, "property value larger than 4 GB");
  if (isMultiValued(type)) walkElements(*this, [](std::span<const std::uint8_t>) {});
}

std::vector<std::span<const std::uint8_t>> PropertyValue::elements() const {
  std::vector<std::span<const std::uint8_t>> out;
  walkElements(*this, [&](std::span<const std::uint8_t> element) { out.push_back(element); });
  return out;
}

}  // namespace pst::ltp
