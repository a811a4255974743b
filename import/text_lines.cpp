// LineReader and EncodeText: lines ending in CR, CRLF or LF; byte-order marks.
#include "import/text_lines.h"

#include "import/failures.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <system_error>
#include <utility>

#include "util/text.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quillonet {

namespace {

// Bytes as the characters of their Latin-1 code points, 16 at a time where
// the processor has SSE2: every card's text passes through here twice.
void WidenLatin1(const unsigned char* in, std::size_t count, char16_t* out) {
  std::size_t i = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  for (; i + 16 <= count; i += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_unpacklo_epi8(bytes, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 8), _mm_unpackhi_epi8(bytes, zero));
  }
#endif
  for (; i < count; ++i) out[i] = in[i];
}

// The reverse: characters beyond U+00FF, which 8-bit text cannot hold, become '?'.
void NarrowLatin1(const char16_t* in, std::size_t count, char* out) {
  std::size_t i = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  for (; i + 16 <= count; i += 16) {
    const __m128i lo = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
    const __m128i hi = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i + 8));
    const __m128i high = _mm_srli_epi16(_mm_or_si128(lo, hi), 8);
    if (_mm_movemask_epi8(_mm_cmpeq_epi8(high, zero)) != 0xFFFF) break;  // the rest one by one
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(lo, hi));
  }
#endif
  for (; i < count; ++i) out[i] = in[i] < 0x100 ? static_cast<char>(in[i]) : '?';
}

}  // namespace

std::u16string TrimSpaces(std::u16string_view text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && text[begin] == u' ') ++begin;
  while (end > begin && text[end - 1] == u' ') --end;
  return std::u16string(text.substr(begin, end - begin));
}

LineReader::LineReader(ByteSource source, std::u16string name, std::size_t chunkSize)
    : source_(std::move(source)), name_(std::move(name)), chunkSize_(chunkSize > 0 ? chunkSize : 1) {}

TextEncoding LineReader::encoding() {
  start();
  return encoding_;
}

void LineReader::start() {
  if (started_) return;
  started_ = true;
  while (available() < vcard::kTextFormProbe && fill()) {
  }
  const auto* head = reinterpret_cast<const std::uint8_t*>(buffer_.data() + pos_);
  const vcard::TextForm form =
      vcard::detectTextForm({head, std::min<std::size_t>(available(), vcard::kTextFormProbe)});
  encoding_ = form.encoding;
  pos_ += form.markSize;
  if (encoding_ == TextEncoding::Utf16LE || encoding_ == TextEncoding::Utf16BE) unit_ = 2;
  // A UTF-16 file cut after an odd number of bytes: its last byte is kept
  // as a character of its own rather than lost.
  if (sourceEnded_ && available() % unit_ != 0) buffer_.push_back('\0');
}

bool LineReader::fill() {
  if (sourceEnded_) return false;
  buffer_.erase(0, pos_);
  pos_ = 0;
  const std::size_t old = buffer_.size();
  buffer_.resize(old + chunkSize_);
  std::size_t got = 0;
  try {
    got = source_(buffer_.data() + old, chunkSize_);
  } catch (const std::system_error& e) {
    buffer_.resize(old);
    std::u16string cause = text::FromUtf8(e.code().message());
    throw FileError(text::Format(u"Cannot read %1: %2", {name_, cause}), std::move(cause));
  }
  buffer_.resize(old + got);
  if (!nulSeen_ && std::memchr(buffer_.data() + old, '\0', got)) nulSeen_ = true;
  if (got == 0) {
    sourceEnded_ = true;
    if (started_ && available() % unit_ != 0) buffer_.push_back('\0');
    return false;
  }
  return true;
}

char16_t LineReader::unitAt(std::size_t offset) const {
  const auto b0 = static_cast<unsigned char>(buffer_[offset]);
  if (unit_ == 1) return b0;
  const auto b1 = static_cast<unsigned char>(buffer_[offset + 1]);
  return encoding_ == TextEncoding::Utf16LE ? static_cast<char16_t>(b0 | (b1 << 8))
                                            : static_cast<char16_t>((b0 << 8) | b1);
}

void LineReader::appendUnits(std::u16string& line, std::size_t from, std::size_t to) const {
  if (from == to) return;
  // NUL characters are dropped, as the vCard reader drops them.
  if (unit_ == 1) {
    const auto* data = reinterpret_cast<const unsigned char*>(buffer_.data() + from);
    const std::size_t count = to - from;
    if (!nulSeen_ || !std::memchr(data, '\0', count)) {
      // Each byte is the character of its Latin-1 code point.
      const std::size_t old = line.size();
      line.resize(old + count);
      WidenLatin1(data, count, line.data() + old);
      return;
    }
    for (std::size_t i = 0; i < count; ++i) {
      if (data[i] != 0) line.push_back(data[i]);
    }
    return;
  }
  line.reserve(line.size() + (to - from) / 2);
  for (std::size_t i = from; i < to; i += 2) {
    if (const char16_t c = unitAt(i)) line.push_back(c);
  }
}

void LineReader::appendUnits(std::string& line, std::size_t from, std::size_t to) const {
  // NUL characters are dropped, as the vCard reader drops them.
  const char* data = buffer_.data() + from;
  const std::size_t count = to - from;
  if (!nulSeen_ || !std::memchr(data, '\0', count)) {
    line.append(data, count);
    return;
  }
  for (std::size_t i = 0; i < count; ++i) {
    if (data[i] != 0) line.push_back(data[i]);
  }
}

bool LineReader::ensureUnits(std::size_t count) {
  while (available() < count * unit_) {
    if (!fill()) return available() >= count * unit_;
  }
  return true;
}

bool LineReader::atEnd() {
  start();
  if (!ensureUnits(1)) return true;
  if (skipLineFeed_) {
    skipLineFeed_ = false;
    if (unitAt(pos_) == u'\n') {
      pos_ += unit_;
      return atEnd();
    }
    // CR CR LF is a CR LF written twice in text mode: one line end, as the
    // vCard reader reads it.
    if (unitAt(pos_) == u'\r' && ensureUnits(2) && unitAt(pos_ + unit_) == u'\n') {
      pos_ += 2 * unit_;
      return atEnd();
    }
  }
  return false;
}

std::u16string LineReader::readLine() {
  std::u16string line;
  readLine(line);
  return line;
}

void LineReader::readLine(std::u16string& line) {
  readRawLine(line);
  if (const std::size_t mark = vcard::lineMarkSize(std::u16string_view(line), encoding_); mark > 0) line.erase(0, mark);
}

void LineReader::readLine(std::string& line) {
  if (!eightBit()) throw std::logic_error("LineReader: UTF-16 lines have no bytes of their own");
  readRawLine(line);
  if (const std::size_t mark = vcard::lineMarkSize(std::string_view(line), encoding_); mark > 0) line.erase(0, mark);
}

template <class Line>
void LineReader::readRawLine(Line& line) {
  line.clear();
  if (atEnd()) return;
  for (;;) {
    if (!ensureUnits(1)) return;
    const std::size_t end = pos_ + available() / unit_ * unit_;
    std::size_t i = pos_;
    char16_t c = 0;
    if (unit_ == 1) {
      // The nearer of the next CR and LF, found a block at a time.
      const char* data = buffer_.data();
      const char* from = data + pos_;
      const char* lf = static_cast<const char*>(std::memchr(from, '\n', end - pos_));
      const char* stop = lf ? lf : data + end;
      const char* cr = static_cast<const char*>(std::memchr(from, '\r', static_cast<std::size_t>(stop - from)));
      if (cr) stop = cr;
      i = static_cast<std::size_t>(stop - data);
      if (i < end) c = static_cast<char16_t>(*stop);
    } else {
      for (; i < end; i += unit_) {
        c = unitAt(i);
        if (c == u'\r' || c == u'\n') break;
      }
    }
    appendUnits(line, pos_, i);
    if (maxLine_ > 0 && line.size() > maxLine_) {
      pos_ = i;
      throw FileError(text::Format(u"Cannot read %1: a line is longer than %2 MB, more than any card holds",
                                   {name_, text::Number(static_cast<std::int64_t>(maxLine_ >> 20))}));
    }
    if (i < end) {
      pos_ = i + unit_;
      skipLineFeed_ = (c == u'\r');
      return;
    }
    pos_ = i;
  }
}

std::string EncodeText(std::u16string_view text, TextEncoding encoding) {
  std::string bytes;
  switch (encoding) {
    case TextEncoding::Bytes:
    case TextEncoding::Utf8Bom: {
      // 8-bit text holds Latin-1 code points; anything beyond becomes '?'.
      const std::string_view mark = encoding == TextEncoding::Utf8Bom ? "\xEF\xBB\xBF" : "";
      bytes.resize(mark.size() + text.size());
      mark.copy(bytes.data(), mark.size());
      NarrowLatin1(text.data(), text.size(), bytes.data() + mark.size());
      return bytes;
    }
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE: {
      const bool little = encoding == TextEncoding::Utf16LE;
      bytes.reserve(2 + text.size() * 2);
      bytes.append(little ? "\xFF\xFE" : "\xFE\xFF", 2);
      for (const char16_t u : text) {
        const char lo = static_cast<char>(u & 0xFF);
        const char hi = static_cast<char>(u >> 8);
        bytes.push_back(little ? lo : hi);
        bytes.push_back(little ? hi : lo);
      }
      return bytes;
    }
  }
  return bytes;
}

}  // namespace quillonet
