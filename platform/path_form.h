// The grammar of text paths, by text alone (no file is looked at): where a
// path's root ends, its shortest form, its absolute form, its file name.
// Each routine takes the system whose rules apply, so that both sets of rules
// can be checked anywhere; the default is this system's.
//
// POSIX: '/' separates, a path that begins with '/' is absolute.
// Windows: '\' and '/' both separate; a root is a drive ("C:\", or "C:" for
// the current folder of drive C), a share ("\\server\share", the share being
// the root), the current drive's root ("\"), or one of these behind the
// "\\?\" or "\\.\" prefix ("\\?\C:\", "\\?\UNC\server\share").
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quillonet::platform {

enum class PathStyle { Posix, Windows };
#ifdef _WIN32
inline constexpr PathStyle kNativeStyle = PathStyle::Windows;
#else
inline constexpr PathStyle kNativeStyle = PathStyle::Posix;
#endif

// The separator the system puts between a folder and a name in it.
inline constexpr char16_t kSeparator = kNativeStyle == PathStyle::Windows ? u'\\' : u'/';
// Whether a character separates path components: '/' on both systems, '\' on Windows too.
constexpr bool IsSeparator(char16_t c, PathStyle style = kNativeStyle) {
  return c == u'/' || (style == PathStyle::Windows && c == u'\\');
}

// How a path begins.
enum class RootKind {
  None,           // relative: "a/b", "a\b"
  DriveRelative,  // Windows "C:a": from the current folder of drive C
  CurrentDrive,   // Windows "\a": from the root of the current folder's drive or share
  Absolute,       // "/a"; "C:\a", "\\server\share\a", "\\?\C:\a"
};
// The root at the start of a path, as written (separators not yet changed):
// "/"; "C:\", "C:", "\\server\share\", "\\?\C:\", "\". Empty for a relative path.
struct PathRoot {
  std::size_t length = 0;     // characters of the path the root takes, a separator after it included
  RootKind kind = RootKind::None;
  std::u16string_view drive;  // "C:" for a drive's root, with or without a prefix; else empty
};
PathRoot RootOf(std::u16string_view path, PathStyle style = kNativeStyle);

// A path in its shortest form: repeated and trailing separators, "." and a
// name followed by ".." removed. On POSIX ".." that leads out of a relative
// path or above the root is kept, "" stays "", a relative path that comes to
// nothing is ".", the root is "/". On Windows every separator becomes '\',
// ".." above an absolute root is dropped (as the system does), a drive's root
// keeps its separator ("C:\") and a share's does not ("\\server\share").
// No character of a name is changed.
std::u16string CleanPath(std::u16string_view path, PathStyle style = kNativeStyle);

// path made absolute against current (the folder relative paths start from;
// for a Windows path "D:x" the current folder of drive D) and cleaned. A path
// that is absolute already, or an empty current folder, gives the path
// cleaned. A Windows path rooted at "\" takes current's drive or share.
std::u16string AbsolutePath(std::u16string_view path, std::u16string_view current, PathStyle style = kNativeStyle);

// The last component: the text after the last separator (after a Windows
// drive's colon when there is none).
std::u16string_view FileNameOf(std::u16string_view path, PathStyle style = kNativeStyle);

// The form of a full Windows path that the system takes past its usual
// limit of 260 characters: "C:\a" gives "\\?\C:\a", "\\server\share\a"
// gives "\\?\UNC\server\share\a"; a path with the prefix already, or one that
// is not absolute, is returned as it is. fullPath must be clean (see
// CleanPath): the prefix turns off the system's own cleaning.
std::u16string ExtendedLengthForm(std::u16string_view fullPath);

}  // namespace quillonet::platform
