#include "platform/native.h"

#include "platform/native_path.h"
#include "platform/path_form.h"
#include "util/text.h"

#ifdef _WIN32
#include <windows.h>

#include <cerrno>
#endif

namespace quillonet::platform::native {

#ifdef _WIN32

std::error_code FromWin32(unsigned long code) {
  int err = 0;
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_BAD_PATHNAME:
      err = ENOENT;
      break;
    case ERROR_DIRECTORY:
      err = ENOTDIR;
      break;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_NETWORK_ACCESS_DENIED:
      err = EACCES;
      break;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      err = EEXIST;
      break;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      err = ENOSPC;
      break;
    case ERROR_WRITE_PROTECT:
      err = EROFS;
      break;
    case ERROR_FILE_TOO_LARGE:
      err = EFBIG;
      break;
    case ERROR_DIR_NOT_EMPTY:
      err = ENOTEMPTY;
      break;
    case ERROR_FILENAME_EXCED_RANGE:
      err = ENAMETOOLONG;
      break;
    case ERROR_TOO_MANY_OPEN_FILES:
      err = EMFILE;
      break;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      err = ENOMEM;
      break;
    case ERROR_INVALID_HANDLE:
      err = EBADF;
      break;
    case ERROR_NOT_READY:
    case ERROR_CRC:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_GEN_FAILURE:
    case ERROR_IO_DEVICE:
      err = EIO;
      break;
    default:
      return {static_cast<int>(code), std::system_category()};
  }
  return {err, std::generic_category()};
}

std::error_code LastError() { return FromWin32(::GetLastError()); }

Path LongEnough(Path path) {
  if (path.size() < kShortPathLimit || path.starts_with(L"\\\\?\\") || path.starts_with(L"\\\\.\\")) {
    return path;
  }
  // The prefix turns the system's cleaning off, so the path is made full
  // ("." and "..", '/', a relative start resolved) by the system first.
  std::wstring full(path.size() + MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0) return path;  // left for the call that uses it to refuse
    if (length < full.size()) {
      full.resize(length);
      break;
    }
    full.resize(length);  // the size it needs, its terminating NUL included
  }
  const std::u16string extended = ExtendedLengthForm(FromNative(full));
  return Path(extended.begin(), extended.end());
}

Path ToNative(std::u16string_view text) { return LongEnough(Path(text.begin(), text.end())); }

std::string ForMessage(std::u16string_view path) { return text::ToUtf8(path); }

#else

std::string ToNative(std::u16string_view text) { return EncodeNativePath(text); }
std::u16string FromNative(std::string_view native) { return DecodeNativePath(native); }
std::string ForMessage(std::u16string_view path) { return EncodeNativePath(path); }

#endif

}  // namespace quillonet::platform::native
