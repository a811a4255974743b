// A new Unicode PST message store (MS-PST 2.4): the mandatory nodes and
// folders of an empty store, folders of any container class, messages with
// attachments, and the name-to-id map for named properties.
#pragma once
#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "pst/ltp/property_value.h"
#include "pst/messaging/named_property.h"
#include "pst/ndb/file.h"
#include "pst/ndb/node_data.h"

namespace pst {

// A property is addressed by its tag id (< 0x8000) or by name.
using PropertyKey = std::variant<ltp::PropId, NamedId, NamedString>;

struct Property {
  PropertyKey key;
  ltp::PropertyValue value;
};

struct Attachment {
  std::vector<Property> properties;  // PidTagAttachDataBinary, file name, method...
};

struct Message {
  std::vector<Property> properties;  // PidTagMessageClass included
  std::vector<Attachment> attachments;
};

using FolderId = ndb::Nid;
using MessageId = ndb::Nid;

struct StoreOptions {
  std::uint8_t cryptMethod = 1;
  // Commit at least this often while messages are added.
  std::uint32_t messagesPerCommit = 5000;
  double secondsPerCommit = 2.0;
  // Where create(path) makes and names the file; null: the local one.
  ndb::FileSystem* fileSystem = nullptr;
};

class Store {
 public:
  virtual ~Store() = default;

  // Creates a new store file at path (never overwriting an existing file)
  // with the given display name. Throws pst::Error naming the path and reason.
  static std::unique_ptr<Store> create(const std::filesystem::path& path,
                                       const std::u16string& displayName,
                                       const StoreOptions& options = {});
  // The same on a file the caller made (tests inject faults, benchmarks count
  // bytes); it holds a valid store once this returns.
  static std::unique_ptr<Store> create(std::unique_ptr<ndb::File> file, const std::u16string& displayName,
                                       const StoreOptions& options = {});

  virtual std::u16string displayName() const = 0;
  virtual const Guid& recordKey() const = 0;  // the store's provider UID
  // The 24-byte PST ENTRYID of a folder or message of this store.
  virtual std::vector<std::uint8_t> entryId(ndb::Nid nid) const = 0;

  virtual FolderId rootFolder() const = 0;    // NID 0x122
  virtual FolderId ipmSubtree() const = 0;    // "Top of Personal Folders"
  virtual FolderId deletedItems() const = 0;

  virtual std::u16string folderName(FolderId folder) const = 0;
  virtual std::u16string containerClass(FolderId folder) const = 0;
  virtual std::vector<FolderId> subfolders(FolderId folder) const = 0;  // in creation order
  virtual std::uint32_t messageCount(FolderId folder) const = 0;

  // A new folder under parent; throws pst::Error for an unknown parent.
  virtual FolderId createFolder(FolderId parent, const std::u16string& name,
                                const std::u16string& containerClass) = 0;
  // Adds a message to a folder; may commit (see StoreOptions).
  virtual MessageId addMessage(FolderId folder, const Message& message) = 0;
  // The same, taking the values over instead of copying them (a 5 MB photo);
  // after a failure the message may have lost values, the store nothing.
  virtual MessageId addMessage(FolderId folder, Message&& message) {
    return addMessage(folder, static_cast<const Message&>(message));
  }

  // The property id (>= 0x8000) a named property has in this store; one id
  // per name across the store, assigned on first use.
  virtual ltp::PropId namedPropertyId(const PropertyKey& key) = 0;

  virtual void commit() = 0;
  // Commits and closes. The destructor closes a store still open.
  virtual void close() = 0;
};

}  // namespace pst
