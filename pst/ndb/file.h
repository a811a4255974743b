// The file a node database writes to, and the file system it is made in. All
// I/O goes through these interfaces so tests can inject faults (a full disk,
// a crash after N bytes, a failed rename).
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

// The file system the files live in: creating them and giving them their
// names (as a LevelDB Env owns creating, renaming and removing files), so
// tests can fail or crash every step, publishing a finished file included.
// Failures throw pst::Error with the kind the system's reason gives.
class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // This machine's file system.
  static FileSystem& local();

  // Creates a new file exclusively (O_CREAT|O_EXCL): an existing path is
  // never opened, let alone overwritten (ErrorKind::Exists).
  virtual std::unique_ptr<File> createNew(const std::filesystem::path& path) = 0;
  // Whether anything is at path, a link that leads nowhere included.
  virtual bool exists(const std::filesystem::path& path) = 0;
  // Gives the file at from the name to, never replacing anything there
  // (ErrorKind::Exists); open files stay valid.
  virtual void renameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
  // Removes the file at path if it is there; never throws.
  virtual void remove(const std::filesystem::path& path) noexcept = 0;
  // Makes the names in folder durable (fsync of the folder). Only a best
  // effort: a file system that cannot sync folders keeps its own order.
  virtual void syncFolder(const std::filesystem::path& folder) noexcept = 0;
};

// FileSystem::local().createNew(path).
std::unique_ptr<File> createNewFile(const std::filesystem::path& path);

}  // namespace pst::ndb
