// LineReader and EncodeText: lines ending in CR, CRLF or LF; byte-order marks.
#include "import/text_lines.h"

#include "import/failures.h"

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
  while (available() < 3 && fill()) {
  }
  const auto byte = [this](qsizetype i) { return static_cast<unsigned char>(buffer_[pos_ + i]); };
  if (available() >= 3 && byte(0) == 0xEF && byte(1) == 0xBB && byte(2) == 0xBF) {
    encoding_ = TextEncoding::Utf8Bom;
    pos_ += 3;
  } else if (available() >= 2 && byte(0) == 0xFF && byte(1) == 0xFE) {
    encoding_ = TextEncoding::Utf16LE;
    pos_ += 2;
    unit_ = 2;
  } else if (available() >= 2 && byte(0) == 0xFE && byte(1) == 0xFF) {
    encoding_ = TextEncoding::Utf16BE;
    pos_ += 2;
    unit_ = 2;
  }
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
    throw FileError(QStringLiteral("Cannot read %1: %2").arg(name_, device_.errorString()));
  }
  buffer_.resize(old + got);
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
  if (unit_ == 1) {
    line.append(QLatin1StringView(buffer_.constData() + from, to - from));
    return;
  }
  line.reserve(line.size() + (to - from) / 2);
  for (qsizetype i = from; i < to; i += 2) line.append(QChar(unitAt(i)));
}

bool LineReader::ensureUnit() {
  while (available() < unit_) {
    if (!fill()) return available() >= unit_;
  }
  return true;
}

bool LineReader::atEnd() {
  start();
  if (!ensureUnit()) return true;
  if (skipLineFeed_) {
    skipLineFeed_ = false;
    if (unitAt(pos_) == u'\n') {
      pos_ += unit_;
      return atEnd();
    }
  }
  return false;
}

QString LineReader::readLine() {
  QString line;
  if (atEnd()) return line;
  for (;;) {
    if (!ensureUnit()) return line;
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
