// importFile, importCard: read a .vcf file of one card and convert it.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef _WIN32
#include <io.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

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

#ifdef _WIN32
// The C runtime's calls with UTF-16 paths and 64-bit sizes.
using FileInfo = struct _stat64;
int openForReading(const std::filesystem::path& path) { return ::_wopen(path.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT); }
int fileInfo(int fd, FileInfo& info) { return ::_fstat64(fd, &info); }
#else
using FileInfo = struct stat;
int openForReading(const std::filesystem::path& path) { return ::open(path.c_str(), O_RDONLY | O_CLOEXEC); }
int fileInfo(int fd, FileInfo& info) { return ::fstat(fd, &info); }
#endif

// The whole file, with one open, one fstat and as few reads as its size
// allows: an import reads one small card file per contact.
std::vector<std::uint8_t> readWhole(const std::filesystem::path& path) {
  const auto fail = [&](const std::string& why) { return Error("Cannot read the vCard file " + path.string() + ": " + why); };
  Descriptor file(openForReading(path));
  if (file.get() < 0) throw fail(std::strerror(errno));
  FileInfo info{};
  if (fileInfo(file.get(), info) != 0) throw fail(std::strerror(errno));
  if (S_ISDIR(info.st_mode)) throw fail("it is a folder");
  std::vector<std::uint8_t> bytes(S_ISREG(info.st_mode) ? static_cast<std::size_t>(info.st_size) + 1 : 64 * 1024);
  std::size_t used = 0;
  for (;;) {
    if (used == bytes.size()) bytes.resize(bytes.size() * 2);
    const std::size_t room = std::min<std::size_t>(bytes.size() - used, 1u << 30);
    const auto got = ::read(file.get(), bytes.data() + used, static_cast<unsigned>(room));
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

Card onlyCard(const std::filesystem::path& path) {
  const std::vector<std::uint8_t> bytes = readWhole(path);
  std::vector<Card> cards = parseCards(bytes);
  if (cards.empty()) throw Error("The file " + path.string() + " holds no vCard (no BEGIN:VCARD line).");
  // Taking the first card would drop the others without a word.
  if (cards.size() > 1) {
    throw Error("The file " + path.string() + " holds " + std::to_string(cards.size()) +
                " cards; a contact takes one, so the file must be imported card by card.");
  }
  return std::move(cards.front());
}

}  // namespace

ContactItem importFile(const std::filesystem::path& path) { return toContact(onlyCard(path)); }

ImportedCard importCard(const std::filesystem::path& path) { return toImportedCard(onlyCard(path)); }

}  // namespace vcard
