// Reading vCard files as text lines and writing single cards back, byte for
// byte in the file's own encoding.
#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>

namespace quillonet {

// Removes leading and trailing space characters (code 32) only.
QString TrimSpaces(const QString& text);

// How a file's text is stored. Files without a byte-order mark are taken as
// single bytes, each byte one character, so no byte is ever changed.
enum class TextEncoding {
  Bytes,    // no byte-order mark
  Utf8Bom,  // UTF-8 byte-order mark, then single bytes as above
  Utf16LE,  // UTF-16 with the little-endian mark
  Utf16BE,  // UTF-16 with the big-endian mark
};

// The lines of an open device. A line ends at a carriage return, a carriage
// return and line feed, or a line feed; the end is not part of the line and
// the last line needs none. A byte-order mark at the start is not part of the
// first line. Characters of a file without a UTF-16 mark are its bytes
// (Latin-1 code points), so EncodeText gives the same bytes back.
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
  bool fill();  // more data in the buffer; false at the end of the device
  bool ensureUnit();  // a whole character in the buffer; false at the end
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
  TextEncoding encoding_ = TextEncoding::Bytes;
};

// The bytes of text in the given encoding, led by its byte-order mark when it
// has one (none for Bytes).
QByteArray EncodeText(const QString& text, TextEncoding encoding);

}  // namespace quillonet
