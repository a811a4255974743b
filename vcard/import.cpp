// importFile: read a .vcf file and convert its first card.
#include <array>
#include <cerrno>
#include <cstring>
#include <fstream>

#include "vcard/contact.h"
#include "vcard/reader.h"

namespace vcard {

ContactItem importFile(const std::filesystem::path& path) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec))
    throw Error("Cannot read the vCard file " + path.string() + ": it is a folder");
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    throw Error("Cannot read the vCard file " + path.string() + ": " + std::strerror(errno));
  }
  std::vector<std::uint8_t> bytes;
  if (const auto size = std::filesystem::file_size(path, ec); !ec) bytes.reserve(size);
  std::array<char, 64 * 1024> chunk;
  while (in) {
    in.read(chunk.data(), chunk.size());
    bytes.insert(bytes.end(), chunk.data(), chunk.data() + in.gcount());
  }
  if (in.bad()) throw Error("Cannot read the vCard file " + path.string() + ": read error");
  std::vector<Card> cards = parseCards(bytes);
  if (cards.empty()) throw Error("The file " + path.string() + " holds no vCard (no BEGIN:VCARD line).");
  return toContact(std::move(cards.front()));
}

}  // namespace vcard
