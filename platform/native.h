// Inside the platform layer only: a text path in the system's own form, the
// path as a message shows it, and (on Windows) the system's error codes in
// the portable terms the rest of the program tests for.
#pragma once

#include <string>
#include <string_view>
#include <system_error>

namespace quillonet::platform::native {

#ifdef _WIN32
// UTF-16 as it is: wchar_t is 16 bits wide on Windows.
using Path = std::wstring;
// Paths this long or longer are given to the system in their extended form
// ("\\?\C:\..."), which has no limit of 260 characters: the limit for a
// folder to be made is 12 less (room for an 8.3 name).
inline constexpr std::size_t kShortPathLimit = 248;
// The text as wchar_t; a long one (see kShortPathLimit) made full by the
// system's own rules and put in its extended form.
Path ToNative(std::u16string_view text);
// A native path in its extended form when it is long, unchanged otherwise.
Path LongEnough(Path path);
inline std::u16string FromNative(std::wstring_view native) { return std::u16string(native.begin(), native.end()); }
// A GetLastError code as the errno value of the same cause (ENOENT, EACCES,
// ENOSPC...), so callers test one set of causes; a code without one stays a
// system error.
std::error_code FromWin32(unsigned long code);
// FromWin32(GetLastError()).
std::error_code LastError();
#else
using Path = std::string;
std::string ToNative(std::u16string_view text);
std::u16string FromNative(std::string_view native);
#endif

// The path for the text of a std::system_error: its bytes on POSIX, UTF-8 on Windows.
std::string ForMessage(std::u16string_view path);

}  // namespace quillonet::platform::native
