// Native paths and the text shown for them. On POSIX a path is a byte string
// that need not be valid UTF-8; the text form keeps every byte: valid UTF-8
// decodes as usual and each byte that is not part of valid UTF-8 becomes the
// lone surrogate U+DC80 + byte, so encoding the text gives the same bytes back.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace quillonet::platform {

// The text of a native path, without loss.
std::u16string DecodeNativePath(std::string_view native);
// The native path of a text made by DecodeNativePath (or typed by a user):
// escaped bytes become their byte again, everything else UTF-8. A lone
// surrogate outside the escape range becomes U+FFFD.
std::string EncodeNativePath(std::u16string_view text);

// A text path as the standard library's path, for code that opens files
// through it: the encoded bytes on POSIX, the UTF-16 text itself on Windows.
std::filesystem::path FileSystemPath(std::u16string_view text);

}  // namespace quillonet::platform
