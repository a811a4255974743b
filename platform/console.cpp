// The standard streams: WriteConsoleW for a Windows console, bytes elsewhere.
#include "platform/console.h"

#include <string>

#include "platform/native_path.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>

#include "util/text.h"
#else
#include <unistd.h>
#endif

namespace quillonet::platform {

#ifdef _WIN32

namespace {

// The console behind stream, or nothing when it goes to a file or a pipe.
HANDLE ConsoleOf(std::FILE* stream) {
  const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(stream)));
  DWORD mode = 0;
  return handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode) ? handle : nullptr;
}

}  // namespace

void WriteText(std::FILE* stream, std::u16string_view text) {
  if (const HANDLE console = ConsoleOf(stream)) {
    std::fflush(stream);  // what the C library holds comes first
    while (!text.empty()) {
      std::size_t chunk = text.size() < 8192 ? text.size() : 8192;
      if (chunk < text.size() && text[chunk - 1] >= 0xD800 && text[chunk - 1] <= 0xDBFF) --chunk;  // a pair stays whole
      DWORD written = 0;
      if (!::WriteConsoleW(console, text.data(), static_cast<DWORD>(chunk), &written, nullptr) || written == 0) return;
      text.remove_prefix(written);
    }
    return;
  }
  const std::string bytes = text::ToUtf8(text);
  std::fwrite(bytes.data(), 1, bytes.size(), stream);
}

bool IsTerminal(std::FILE* stream) { return ConsoleOf(stream) != nullptr; }

bool ClearsToEndOfLine(std::FILE* stream) {
  const HANDLE console = ConsoleOf(stream);
  DWORD mode = 0;
  if (console == nullptr || !::GetConsoleMode(console, &mode)) return false;
  return (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0 ||
         ::SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
}

#else

void WriteText(std::FILE* stream, std::u16string_view text) { std::fputs(EncodeNativePath(text).c_str(), stream); }

bool IsTerminal(std::FILE* stream) { return ::isatty(::fileno(stream)) == 1; }

bool ClearsToEndOfLine(std::FILE*) { return true; }

#endif

}  // namespace quillonet::platform
