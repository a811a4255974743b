// Text on the standard streams, so that every name shows as it is: on POSIX
// the bytes of the text (paths as the bytes they came from); on Windows a
// console gets the UTF-16 text itself, and a file or pipe gets UTF-8.
#pragma once

#include <cstdio>
#include <string_view>

namespace quillonet::platform {

// Writes text to stream (no line end added).
void WriteText(std::FILE* stream, std::u16string_view text);

// Whether stream is a terminal someone watches: isatty on POSIX; a console
// on Windows (the NUL device, which isatty counts, is none).
bool IsTerminal(std::FILE* stream);

// Whether the terminal of stream takes "ESC [ K" to clear the rest of a line:
// always on POSIX; on Windows when the console's escape sequences can be
// turned on (they are, by this call).
bool ClearsToEndOfLine(std::FILE* stream);

}  // namespace quillonet::platform
