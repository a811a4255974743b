// Reading vCard files as text lines and writing single cards back, byte for
// byte in the file's own encoding.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "vcard/text_form.h"

namespace quillonet {

// Removes leading and trailing space characters (code 32) only.
std::u16string TrimSpaces(std::u16string_view text);

// How a file's text is stored: the decision the vCard reader makes too.
using TextEncoding = vcard::TextEncoding;

// Where a LineReader's bytes come from: fills up to size bytes at data and
// returns how many, 0 at the end. Throws std::system_error whose code is the
// cause when reading fails.
using ByteSource = std::function<std::size_t(char* data, std::size_t size)>;

// The lines of a byte source. A line ends at a carriage return, a carriage
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
  LineReader(ByteSource source, std::u16string name, std::size_t chunkSize = 64 * 1024);

  bool atEnd();
  // The next line; the empty string at the end. Throws FileError for a line
  // longer than the bound set below, having read no more of it than that.
  std::u16string readLine();
  // The same into line, whose room is used again: no allocation per line.
  void readLine(std::u16string& line);
  // Of 8-bit text (eightBit()): the line as its bytes, which are the
  // characters readLine gives as Latin-1 code points.
  void readLine(std::string& line);
  bool eightBit() { return encoding() == TextEncoding::Bytes || encoding() == TextEncoding::Utf8Bom; }
  void setMaxLineLength(std::size_t characters) { maxLine_ = characters; }
  TextEncoding encoding();

 private:
  void start();
  template <class Line>
  void readRawLine(Line& line);
  bool fill();  // more data in the buffer; false at the end of the source
  bool ensureUnits(std::size_t count);  // whole characters in the buffer; false at the end
  std::size_t available() const { return buffer_.size() - pos_; }
  char16_t unitAt(std::size_t offset) const;
  void appendUnits(std::u16string& line, std::size_t from, std::size_t to) const;
  void appendUnits(std::string& line, std::size_t from, std::size_t to) const;

  ByteSource source_;
  std::u16string name_;
  std::size_t chunkSize_;
  std::size_t maxLine_ = 0;  // 0: unbounded
  std::string buffer_;
  std::size_t pos_ = 0;
  std::size_t unit_ = 1;
  bool started_ = false;
  bool sourceEnded_ = false;
  bool skipLineFeed_ = false;
  bool nulSeen_ = false;  // a NUL byte has been read: lines are checked for them
  TextEncoding encoding_ = TextEncoding::Bytes;
};

// The bytes of text in the given encoding, led by its byte-order mark when it
// has one (none for Bytes).
std::string EncodeText(std::u16string_view text, TextEncoding encoding);

}  // namespace quillonet
