// The file a node database writes to. All I/O goes through this interface so
// tests can inject faults (a full disk, a crash after N bytes).
#pragma once
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>

namespace pst::ndb {

class File {
 public:
  virtual ~File() = default;
  // Writes all of data at offset, growing the file as needed; throws pst::Error.
  virtual void write(std::uint64_t offset, std::span<const std::uint8_t> data) = 0;
  // Reads exactly out.size() bytes at offset; throws pst::Error on a short read.
  virtual void read(std::uint64_t offset, std::span<std::uint8_t> out) = 0;
  // Makes everything written so far durable (fsync); throws pst::Error.
  virtual void sync() = 0;
  virtual std::uint64_t size() = 0;
  virtual void close() = 0;
  // Asks for written data to start going to the disk now, without waiting,
  // so that a later sync() has less left to do. Only a hint: no ordering or
  // durability follows from it.
  virtual void startWriteback(std::uint64_t offset, std::uint64_t size) {
    (void)offset;
    (void)size;
  }
  // Shortens the file to size bytes; throws pst::Error. Returns false,
  // changing nothing, for a file that cannot be shortened.
  virtual bool truncate(std::uint64_t size) {
    (void)size;
    return false;
  }
};

// Creates a new file exclusively (O_CREAT|O_EXCL): an existing path is never
// opened, let alone overwritten. Throws pst::Error naming the path and reason.
std::unique_ptr<File> createNewFile(const std::filesystem::path& path);

}  // namespace pst::ndb
