// registry: private temporary folder and directory part of a path.
#include "util/registry.h"

#include <stdexcept>

#include "platform/temp_folder.h"

namespace quillonet {

std::u16string GetTempFolderPath() { return platform::PrivateTempFolder(); }

std::u16string GetDirectoryPart(std::u16string_view path) {
  if (path.empty()) throw std::invalid_argument("GetDirectoryPart: the path is empty");
  const std::size_t last = path.find_last_of(u"\\/");
  return std::u16string(path.substr(0, last == std::u16string_view::npos ? 0 : last + 1));
}

}  // namespace quillonet
