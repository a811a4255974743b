// Character sets by name: bytes in a named charset to UTF-16 text. On POSIX
// the names and tables are ICU's; on Windows a table of names and aliases
// picks the code page MultiByteToWideChar converts from.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace quillonet::platform {

class CharsetDecoder {
 public:
  // The decoder for a charset name (any case; "-", "_" and spaces ignored in
  // the alias table), or nullptr for a name this platform does not know.
  static std::unique_ptr<CharsetDecoder> Open(std::string_view name);
  virtual ~CharsetDecoder() = default;

  // Appends the text of bytes to out, each invalid or unmapped sequence as a
  // replacement character. Decodes every call afresh (no state is carried
  // over). Returns false if any sequence was invalid or unmapped.
  virtual bool Decode(std::string_view bytes, std::u16string& out) = 0;
};

}  // namespace quillonet::platform
