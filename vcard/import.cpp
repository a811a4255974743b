// importFile: read a .vcf file and convert its first card.
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
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw Error("Cannot read the vCard file " + path.string() + ": read error");
  std::vector<Card> cards = parseCards(bytes);
  if (cards.empty()) throw Error("The file " + path.string() + " holds no vCard (no BEGIN:VCARD line).");
  return toContact(std::move(cards.front()));
}

}  // namespace vcard
