// Path grammar by text alone, POSIX and Windows rules side by side.
#include "platform/path_form.h"

#include <vector>

namespace quillonet::platform {
namespace {

constexpr PathStyle kWindows = PathStyle::Windows;

bool IsDriveLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }

bool HasDrive(std::u16string_view path) { return path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == u':'; }

// The end of the component that starts at `at`, and the separator after it
// taken too when there is one.
std::size_t PastComponent(std::u16string_view path, std::size_t at) {
  while (at < path.size() && !IsSeparator(path[at], kWindows)) ++at;
  return at < path.size() ? at + 1 : at;
}

bool EqualsNoCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

PathRoot WindowsRoot(std::u16string_view path) {
  const auto sep = [&](std::size_t i) { return i < path.size() && IsSeparator(path[i], kWindows); };
  if (sep(0) && sep(1)) {
    // "\\?\" and "\\.\": a drive, "UNC\server\share", or a device or volume name.
    if (path.size() >= 4 && (path[2] == u'?' || path[2] == u'.') && sep(3)) {
      const std::u16string_view rest = path.substr(4);
      if (HasDrive(rest)) {
        return {sep(6) ? std::size_t{7} : std::size_t{6}, RootKind::Absolute, path.substr(4, 2)};
      }
      if (rest.size() >= 3 && EqualsNoCase(rest.substr(0, 3), u"UNC") && sep(7)) {
        return {PastComponent(path, PastComponent(path, 8)), RootKind::Absolute, {}};
      }
      return {PastComponent(path, 4), RootKind::Absolute, {}};
    }
    // A share: "\\server\share".
    return {PastComponent(path, PastComponent(path, 2)), RootKind::Absolute, {}};
  }
  if (HasDrive(path)) {
    return sep(2) ? PathRoot{3, RootKind::Absolute, path.substr(0, 2)}
                  : PathRoot{2, RootKind::DriveRelative, path.substr(0, 2)};
  }
  if (sep(0)) return {1, RootKind::CurrentDrive, {}};
  return {};
}

std::u16string CleanPosix(std::u16string_view path) {
  if (path.empty()) return {};
  const bool rooted = path.front() == u'/';
  std::vector<std::u16string_view> kept;
  for (std::size_t at = 0; at <= path.size();) {
    std::size_t end = path.find(u'/', at);
    if (end == std::u16string_view::npos) end = path.size();
    const std::u16string_view segment = path.substr(at, end - at);
    at = end + 1;
    if (segment.empty() || segment == u".") continue;
    if (segment == u".." && !kept.empty() && kept.back() != u"..") {
      kept.pop_back();
      continue;
    }
    kept.push_back(segment);
  }
  std::u16string out = rooted ? u"/" : u"";
  for (std::size_t i = 0; i < kept.size(); ++i) {
    if (i > 0) out += u'/';
    out += kept[i];
  }
  if (out.empty()) out = u".";
  return out;
}

std::u16string CleanWindows(std::u16string_view path) {
  if (path.empty()) return {};
  const PathRoot root = WindowsRoot(path);
  // The root with '\' for '/' and without a separator at its end.
  std::u16string out(path.substr(0, root.length));
  for (char16_t& c : out) {
    if (c == u'/') c = u'\\';
  }
  while (!out.empty() && out.back() == u'\\') out.pop_back();
  const bool fixed = root.kind == RootKind::Absolute || root.kind == RootKind::CurrentDrive;

  std::vector<std::u16string_view> kept;
  for (std::size_t at = root.length; at < path.size();) {
    std::size_t end = at;
    while (end < path.size() && !IsSeparator(path[end], kWindows)) ++end;
    const std::u16string_view segment = path.substr(at, end - at);
    at = end + 1;
    if (segment.empty() || segment == u".") continue;
    if (segment == u"..") {
      if (!kept.empty() && kept.back() != u"..") {
        kept.pop_back();
        continue;
      }
      if (fixed) continue;  // nothing is above a root
    }
    kept.push_back(segment);
  }
  // A drive's root and the current drive's root keep their separator; a
  // share or a device has none after it.
  const bool rootSeparator = root.kind == RootKind::CurrentDrive || (root.kind == RootKind::Absolute && !root.drive.empty());
  if (rootSeparator || (fixed && !kept.empty())) out += u'\\';
  for (std::size_t i = 0; i < kept.size(); ++i) {
    if (i > 0) out += u'\\';
    out += kept[i];
  }
  if (out.empty()) out = u".";
  return out;
}

}  // namespace

PathRoot RootOf(std::u16string_view path, PathStyle style) {
  if (style == kWindows) return WindowsRoot(path);
  if (!path.empty() && path.front() == u'/') return {1, RootKind::Absolute, {}};
  return {};
}

std::u16string CleanPath(std::u16string_view path, PathStyle style) {
  return style == kWindows ? CleanWindows(path) : CleanPosix(path);
}

std::u16string AbsolutePath(std::u16string_view path, std::u16string_view current, PathStyle style) {
  const PathRoot root = RootOf(path, style);
  if (root.kind == RootKind::Absolute || current.empty()) return CleanPath(path, style);
  std::u16string joined;
  switch (root.kind) {
    case RootKind::None:
      joined = std::u16string(current) + (style == kWindows ? u'\\' : u'/') + std::u16string(path);
      break;
    case RootKind::DriveRelative:
      // From that drive's current folder, or from its root when current is
      // on another drive.
      if (EqualsNoCase(RootOf(current, style).drive, root.drive)) {
        joined = std::u16string(current) + u'\\' + std::u16string(path.substr(root.length));
      } else {
        joined = std::u16string(root.drive) + u'\\' + std::u16string(path.substr(root.length));
      }
      break;
    case RootKind::CurrentDrive:
      joined = std::u16string(current.substr(0, RootOf(current, style).length)) + u'\\' + std::u16string(path);
      break;
    case RootKind::Absolute:
      break;
  }
  return CleanPath(joined, style);
}

std::u16string_view FileNameOf(std::u16string_view path, PathStyle style) {
  std::size_t start = RootOf(path, style).length;
  for (std::size_t i = path.size(); i > start; --i) {
    if (IsSeparator(path[i - 1], style)) {
      start = i;
      break;
    }
  }
  return path.substr(start);
}

std::u16string ExtendedLengthForm(std::u16string_view fullPath) {
  const PathRoot root = WindowsRoot(fullPath);
  if (root.kind != RootKind::Absolute || fullPath.starts_with(u"\\\\?\\") || fullPath.starts_with(u"\\\\.\\")) {
    return std::u16string(fullPath);
  }
  if (root.drive.empty()) return u"\\\\?\\UNC\\" + std::u16string(fullPath.substr(2));  // a share
  return u"\\\\?\\" + std::u16string(fullPath);
}

}  // namespace quillonet::platform
