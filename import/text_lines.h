// Reading vCard files as text lines and writing single cards back, byte for
// byte in the file's own encoding.
#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <string_view>

#include "vcard/text_form.h"

namespace quillonet {

// Removes leading and trailing space characters (code 32) only.
QString TrimSpaces(const QString& text);

// The text's UTF-16 code units, for the vCard library's line rules.
inline std::u16string_view Units(const QString& text) {
  return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())};
}

// How a file's text is stored: the decision the vCard reader makes too.
using TextEncoding = vcard::TextEncoding;

// The lines of an open device. A line ends at a carriage return, a carriage
// return and line feed, or a line feed (CR CR LF is one end, as the vCard
// reader takes it); the end is not part of the line and the last line needs
// none. NUL characters are dropped, as the reader drops them. The encoding is decided from the first bytes as
// the vCard reader decides it (UTF-16 with or without a byte-order mark, else
// 8-bit). A byte-order mark at the start of any line is not part of it
// (joined exports carry one per part). Characters of 8-bit text are its bytes
// (Latin-1 code points), so EncodeText gives the same bytes back (but NULs).
class LineReader {
 public:
  // name is used in error messages. Throws FileError when reading fails.
  LineReader(QIODevice& device, const QString& name, qsizetype chunkSize = 64 * 1024);

  bool atEnd();
  // The next line; the empty string at the end. Throws FileError for a line
  // longer than the bound set below, having read no more of it than that.
  QString readLine();
  void setMaxLineLength(qsizetype characters) { maxLine_ = characters; }
  TextEncoding encoding();

 private:
  void start();
  QString readRawLine();
  bool fill();  // more data in the buffer; false at the end of the device
  bool ensureUnits(qsizetype count);  // whole characters in the buffer; false at the end
  qsizetype available() const { return buffer_.size() - pos_; }
  char16_t unitAt(qsizetype offset) const;
  void appendUnits(QString& line, qsizetype from, qsizetype to) const;

  QIODevice& device_;
  QString name_;
  qsizetype chunkSize_;
  qsizetype maxLine_ = 0;  // 0: unbounded
  QByteArray buffer_;
  qsizetype pos_ = 0;
  qsizetype unit_ = 1;
  bool started_ = false;
  bool deviceEnded_ = false;
  bool skipLineFeed_ = false;
  bool nulSeen_ = false;  // a NUL byte has been read: lines are checked for them
  TextEncoding encoding_ = TextEncoding::Bytes;
};

// The bytes of text in the given encoding, led by its byte-order mark when it
// has one (none for Bytes).
QByteArray EncodeText(const QString& text, TextEncoding encoding);

}  // namespace quillonet
