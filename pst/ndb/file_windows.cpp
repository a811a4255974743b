// Windows implementation of ndb::File (positioned ReadFile/WriteFile and
// FlushFileBuffers on a file created with CREATE_NEW) and of ndb::FileSystem.
#ifdef _WIN32
#include <windows.h>

#include <string>

#include "pst/error.h"
#include "pst/ndb/file.h"

namespace pst::ndb {
namespace {

ErrorKind kindOf(DWORD err) {
  switch (err) {
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return ErrorKind::Exists;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
    case ERROR_FILE_TOO_LARGE:
      return ErrorKind::DiskFull;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_SHARING_VIOLATION:
      return ErrorKind::NoAccess;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
      return ErrorKind::NotFound;
    default:
      return ErrorKind::Io;
  }
}

// The system's text for an error, in UTF-8 without the trailing line break.
std::string reasonOf(DWORD err) {
  wchar_t* text = nullptr;
  const DWORD length =
      ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, err, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string out;
  if (length > 0 && text != nullptr) {
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    out.resize(static_cast<std::size_t>(bytes));
    ::WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), out.data(), bytes, nullptr, nullptr);
  }
  if (text != nullptr) ::LocalFree(text);
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r' || out.back() == ' ' || out.back() == '.'))
    out.pop_back();
  if (out.empty()) out = "system error " + std::to_string(err);
  return out;
}

[[noreturn]] void fail(DWORD err, const std::string& message) { throw Error(kindOf(err), message + ": " + reasonOf(err)); }

// A path for a message, in UTF-8.
std::string shown(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

// Reads and writes of at most this many bytes each (the calls take a DWORD).
constexpr std::size_t kMaxChunk = 1u << 30;

OVERLAPPED at(std::uint64_t offset) {
  OVERLAPPED where{};
  where.Offset = static_cast<DWORD>(offset);
  where.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return where;
}

class WindowsFile final : public File {
 public:
  WindowsFile(HANDLE handle, std::filesystem::path path) : handle_(handle), path_(std::move(path)) {}
  ~WindowsFile() override {
    if (handle_ != INVALID_HANDLE_VALUE) ::CloseHandle(handle_);
  }

  void write(std::uint64_t offset, std::span<const std::uint8_t> data) override {
    checkOpen();
    const std::uint8_t* p = data.data();
    std::size_t left = data.size();
    while (left > 0) {
      OVERLAPPED where = at(offset);
      DWORD done = 0;
      const DWORD chunk = static_cast<DWORD>(left < kMaxChunk ? left : kMaxChunk);
      if (!::WriteFile(handle_, p, chunk, &done, &where)) fail("write");
      if (done == 0) ndb::fail(ERROR_WRITE_FAULT, "cannot write the file");
      p += done;
      left -= done;
      offset += done;
    }
  }

  void read(std::uint64_t offset, std::span<std::uint8_t> out) override {
    checkOpen();
    std::uint8_t* p = out.data();
    std::size_t left = out.size();
    while (left > 0) {
      OVERLAPPED where = at(offset);
      DWORD done = 0;
      const DWORD chunk = static_cast<DWORD>(left < kMaxChunk ? left : kMaxChunk);
      if (!::ReadFile(handle_, p, chunk, &done, &where) && ::GetLastError() != ERROR_HANDLE_EOF) fail("read");
      if (done == 0)
        throw Error(ErrorKind::Corrupt, "short read in " + shown(path_) + " at offset " + std::to_string(offset));
      p += done;
      left -= done;
      offset += done;
    }
  }

  void sync() override {
    checkOpen();
    if (!::FlushFileBuffers(handle_)) fail("sync");
  }

  std::uint64_t size() override {
    checkOpen();
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(handle_, &size)) fail("stat");
    return static_cast<std::uint64_t>(size.QuadPart);
  }

  bool truncate(std::uint64_t size) override {
    checkOpen();
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = static_cast<LONGLONG>(size);
    if (!::SetFileInformationByHandle(handle_, FileEndOfFileInfo, &end, sizeof end)) fail("shorten");
    return true;
  }

  void close() override {
    if (handle_ == INVALID_HANDLE_VALUE) return;
    HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    if (!::CloseHandle(handle)) fail("close");
  }

 private:
  void checkOpen() const {
    if (handle_ == INVALID_HANDLE_VALUE) throw Error(ErrorKind::Closed, "file " + shown(path_) + " is closed");
  }
  [[noreturn]] void fail(const char* what) const {
    // Not the path: the caller names the file (see the POSIX file).
    ndb::fail(::GetLastError(), std::string("cannot ") + what + " the file");
  }

  HANDLE handle_;
  std::filesystem::path path_;
};

class LocalFileSystem final : public FileSystem {
 public:
  std::unique_ptr<File> createNew(const std::filesystem::path& path) override {
    // Shared for deleting too, so that the open file can be given its final
    // name (renamed) while it is open, as on POSIX.
    HANDLE handle = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) fail(::GetLastError(), "cannot create " + shown(path));
    return std::make_unique<WindowsFile>(handle, path);
  }

  bool exists(const std::filesystem::path& path) override {
    std::error_code ec;
    return std::filesystem::symlink_status(path, ec).type() != std::filesystem::file_type::not_found;
  }

  void renameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to) override {
    // Without MOVEFILE_REPLACE_EXISTING the move fails on an existing name.
    if (!::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH))
      fail(::GetLastError(), "cannot give " + shown(from) + " the name " + shown(to));
  }

  void remove(const std::filesystem::path& path) noexcept override { ::DeleteFileW(path.c_str()); }

  // Windows has no way to flush a folder's names on their own; NTFS logs
  // them with its metadata.
  void syncFolder(const std::filesystem::path&) noexcept override {}
};

}  // namespace

FileSystem& FileSystem::local() {
  static LocalFileSystem fileSystem;
  return fileSystem;
}

std::unique_ptr<File> createNewFile(const std::filesystem::path& path) { return FileSystem::local().createNew(path); }

}  // namespace pst::ndb

#endif  // _WIN32
