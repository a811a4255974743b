// Native paths as the QStrings the front ends show and the import passes
// around, without the loss of QFile::decodeName / encodeName.
#pragma once

#include <QString>

#include <string>

#include "platform/native_path.h"

namespace quillonet {

inline QString PathFromNative(std::string_view native) {
  return QString::fromStdU16String(platform::DecodeNativePath(native));
}

inline std::string NativePath(const QString& path) {
  return platform::EncodeNativePath(std::u16string_view(reinterpret_cast<const char16_t*>(path.utf16()),
                                                        static_cast<std::size_t>(path.size())));
}

}  // namespace quillonet
