// LineReader and EncodeText: lines ending in CR, CRLF or LF; byte-order marks.
#include "import/text_lines.h"

#include "import/failures.h"

#include <algorithm>
#include <cstring>

namespace quillonet {

QString TrimSpaces(const QString& text) {
  qsizetype begin = 0;
  qsizetype end = text.size();
  while (begin < end && text[begin] == QLatin1Char(' ')) ++begin;
  while (end > begin && text[end - 1] == QLatin1Char(' ')) --end;
  if (begin == 0 && end == text.size()) return text;  // shared, not copied
  return text.mid(begin, end - begin);
}

LineReader::LineReader(QIODevice& device, const QString& name, qsizetype chunkSize)
    : device_(device), name_(name), chunkSize_(chunkSize > 0 ? chunkSize : 1) {}

TextEncoding LineReader::encoding() {
  start();
  return encoding_;
}

void LineReader::start() {
  if (started_) return;
  started_ = true;
  while (available() < static_cast<qsizetype>(vcard::kTextFormProbe) && fill()) {
  }
  const auto* head = reinterpret_cast<const std::uint8_t*>(buffer_.constData() + pos_);
  const vcard::TextForm form = vcard::detectTextForm(
      {head, static_cast<std::size_t>(std::min(available(), static_cast<qsizetype>(vcard::kTextFormProbe)))});
  encoding_ = form.encoding;
  pos_ += static_cast<qsizetype>(form.markSize);
  if (encoding_ == TextEncoding::Utf16LE || encoding_ == TextEncoding::Utf16BE) unit_ = 2;
  // A UTF-16 file cut after an odd number of bytes: its last byte is kept
  // as a character of its own rather than lost.
  if (deviceEnded_ && available() % unit_ != 0) buffer_.append('\0');
}

bool LineReader::fill() {
  if (deviceEnded_) return false;
  buffer_.remove(0, pos_);
  pos_ = 0;
  const qsizetype old = buffer_.size();
  buffer_.resize(old + chunkSize_);
  const qint64 got = device_.read(buffer_.data() + old, chunkSize_);
  if (got < 0) {
    buffer_.resize(old);
    throw FileError(QStringLiteral("Cannot read %1: %2").arg(name_, device_.errorString()), device_.errorString());
  }
  buffer_.resize(old + got);
  if (!nulSeen_ && std::memchr(buffer_.constData() + old, '\0', static_cast<std::size_t>(got))) nulSeen_ = true;
  if (got == 0) {
    deviceEnded_ = true;
    if (started_ && available() % unit_ != 0) buffer_.append('\0');
    return false;
  }
  return true;
}

char16_t LineReader::unitAt(qsizetype offset) const {
  const auto b0 = static_cast<unsigned char>(buffer_[offset]);
  if (unit_ == 1) return b0;
  const auto b1 = static_cast<unsigned char>(buffer_[offset + 1]);
  return encoding_ == TextEncoding::Utf16LE ? static_cast<char16_t>(b0 | (b1 << 8))
                                            : static_cast<char16_t>((b0 << 8) | b1);
}

void LineReader::appendUnits(QString& line, qsizetype from, qsizetype to) const {
  if (from == to) return;
  // NUL characters are dropped, as the vCard reader drops them.
  if (unit_ == 1) {
    const char* data = buffer_.constData() + from;
    if (!nulSeen_ || !std::memchr(data, '\0', static_cast<std::size_t>(to - from))) {
      line.append(QLatin1StringView(data, to - from));
      return;
    }
    for (qsizetype i = 0; i < to - from; ++i) {
      if (data[i] != '\0') line.append(QLatin1Char(data[i]));
    }
    return;
  }
  line.reserve(line.size() + (to - from) / 2);
  for (qsizetype i = from; i < to; i += 2) {
    if (const char16_t c = unitAt(i)) line.append(QChar(c));
  }
}

bool LineReader::ensureUnits(qsizetype count) {
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

QString LineReader::readLine() {
  QString line = readRawLine();
  if (const std::size_t mark = vcard::lineMarkSize(Units(line), encoding_); mark > 0) {
    line.remove(0, static_cast<qsizetype>(mark));
  }
  return line;
}

QString LineReader::readRawLine() {
  QString line;
  if (atEnd()) return line;
  for (;;) {
    if (!ensureUnits(1)) return line;
    const qsizetype end = pos_ + available() / unit_ * unit_;
    qsizetype i = pos_;
    char16_t c = 0;
    if (unit_ == 1) {
      // The nearer of the next CR and LF, found a block at a time.
      const char* data = buffer_.constData();
      const char* from = data + pos_;
      const char* lf = static_cast<const char*>(std::memchr(from, '\n', static_cast<std::size_t>(end - pos_)));
      const char* stop = lf ? lf : data + end;
      const char* cr = static_cast<const char*>(std::memchr(from, '\r', static_cast<std::size_t>(stop - from)));
      if (cr) stop = cr;
      i = stop - data;
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
      throw FileError(QStringLiteral("Cannot read %1: a line is longer than %2 MB, more than any card holds")
                          .arg(name_)
                          .arg(maxLine_ >> 20));
    }
    if (i < end) {
      pos_ = i + unit_;
      skipLineFeed_ = (c == u'\r');
      return line;
    }
    pos_ = i;
  }
}

QByteArray EncodeText(const QString& text, TextEncoding encoding) {
  QByteArray bytes;
  switch (encoding) {
    case TextEncoding::Bytes:
      return text.toLatin1();
    case TextEncoding::Utf8Bom:
      return QByteArray("\xEF\xBB\xBF") + text.toLatin1();
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE: {
      const bool little = encoding == TextEncoding::Utf16LE;
      bytes.reserve(2 + text.size() * 2);
      bytes.append(little ? "\xFF\xFE" : "\xFE\xFF", 2);
      for (const QChar c : text) {
        const char16_t u = c.unicode();
        const char lo = static_cast<char>(u & 0xFF);
        const char hi = static_cast<char>(u >> 8);
        bytes.append(little ? lo : hi);
        bytes.append(little ? hi : lo);
      }
      return bytes;
    }
  }
  return bytes;
}

}  // namespace quillonet
