// importFile, importCard: read a .vcf file and convert its first card.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "vcard/contact.h"
#include "vcard/group.h"
#include "vcard/reader.h"

namespace vcard {

namespace {

// Closes the descriptor however the read ends.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// The whole file, with one open, one fstat and as few reads as its size
// allows: an import reads one small card file per contact.
std::vector<std::uint8_t> readWhole(const std::filesystem::path& path) {
  const auto fail = [&](const std::string& why) { return Error("Cannot read the vCard file " + path.string() + ": " + why); };
  Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.get() < 0) throw fail(std::strerror(errno));
  struct stat info {};
  if (::fstat(file.get(), &info) != 0) throw fail(std::strerror(errno));
  if (S_ISDIR(info.st_mode)) throw fail("it is a folder");
  std::vector<std::uint8_t> bytes(S_ISREG(info.st_mode) ? static_cast<std::size_t>(info.st_size) + 1 : 64 * 1024);
  std::size_t used = 0;
  for (;;) {
    if (used == bytes.size()) bytes.resize(bytes.size() * 2);
    const ssize_t got = ::read(file.get(), bytes.data() + used, bytes.size() - used);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) throw fail(std::strerror(errno));
    if (got == 0) break;
    used += static_cast<std::size_t>(got);
  }
  bytes.resize(used);
  return bytes;
}

}  // namespace

namespace {

Card firstCard(const std::filesystem::path& path) {
  const std::vector<std::uint8_t> bytes = readWhole(path);
  std::vector<Card> cards = parseCards(bytes);
  if (cards.empty()) throw Error("The file " + path.string() + " holds no vCard (no BEGIN:VCARD line).");
  return std::move(cards.front());
}

}  // namespace

ContactItem importFile(const std::filesystem::path& path) { return toContact(firstCard(path)); }

ImportedCard importCard(const std::filesystem::path& path) { return toImportedCard(firstCard(path)); }

}  // namespace vcard
