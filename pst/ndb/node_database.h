// The node database (NDB layer, MS-PST 2.2): a new Unicode PST file holding
// nodes, their blocks and subnode trees, the NBT and BBT, allocation maps and
// the header. Node data is written to blocks when a node is put; B-trees,
// maps and the header are written at commit, header last, so data already
// committed is never overwritten in place.
#pragma once
#include <cstdint>
#include <filesystem>
#include <memory>

#include "pst/ndb/file.h"
#include "pst/ndb/node_data.h"

namespace pst::ndb {

struct CreateOptions {
  // bCryptMethod: 0 = NDB_CRYPT_NONE, 1 = NDB_CRYPT_PERMUTE (Outlook's default).
  std::uint8_t cryptMethod = 1;
  // Where create(path) makes the file; null: FileSystem::local().
  FileSystem* fileSystem = nullptr;
};

class NodeDatabase {
 public:
  virtual ~NodeDatabase() = default;

  // A new, empty PST at path (which must not exist) with a valid header,
  // maps and empty B-trees already on disk. Throws pst::Error.
  static std::unique_ptr<NodeDatabase> create(const std::filesystem::path& path,
                                              CreateOptions options = {});
  static std::unique_ptr<NodeDatabase> create(std::unique_ptr<File> file,
                                              CreateOptions options = {});

  // The next unused NID of a type (header rgnid[]).
  virtual Nid allocateNid(NidType type) = 0;
  // Keeps allocateNid(nidType(nid)) above nid; for fixed, well-known NIDs.
  virtual void reserveNid(Nid nid) = 0;

  // Writes the node's blocks and subnode tree now and adds the node to the
  // NBT, or replaces it (its old blocks are freed once the next commit is on
  // disk). The node becomes durable at the next commit.
  virtual void putNode(Nid nid, Nid parent, const NodeData& data) = 0;
  virtual void removeNode(Nid nid) = 0;
  virtual bool contains(Nid nid) const = 0;

  // Writes B-trees, allocation maps and finally the header. After it returns
  // the file on disk is a valid PST holding every node put so far.
  virtual void commit() = 0;
  // Commits and closes the file. Further calls fail; a second close is a no-op.
  virtual void close() = 0;
};

}  // namespace pst::ndb
