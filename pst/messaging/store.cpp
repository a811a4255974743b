// The message store: mandatory nodes of a new store, folders, messages,
// named properties, and when and how it commits.
#include "pst/messaging/store.h"

#include <cstdio>
#include <optional>
#include <random>
#include <utility>
#include <set>
#include <unordered_map>

#include "pst/error.h"
#include "pst/little_endian.h"
#include "pst/ltp/bth.h"
#include "pst/ltp/heap.h"
#include "pst/messaging/commit_policy.h"
#include "pst/messaging/entry_id.h"
#include "pst/messaging/folder.h"
#include "pst/messaging/message_builder.h"
#include "pst/messaging/name_to_id_map.h"
#include "pst/messaging/store_file.h"
#include "pst/messaging/tags.h"
#include "pst/messaging/templates.h"
#include "pst/ndb/node_database.h"

namespace pst {
namespace {

using ltp::PropertyValue;
using namespace templates;

constexpr std::int32_t FOLDER_IPM_SUBTREE_VALID = 0x01;
constexpr std::int32_t FOLDER_IPM_WASTEBASKET_VALID = 0x08;
constexpr std::int32_t FOLDER_COMMON_VIEWS_VALID = 0x40;
constexpr std::int32_t FOLDER_FINDER_VALID = 0x80;

ltp::PropId id(ltp::PropTag tag) { return ltp::tagId(tag); }

// The value of PidTag 0x66FA in every store Outlook 2007 and 2013 made.
constexpr std::int32_t kOutlookInternal66FA = 0x000E0011;
// Client signatures of the internal heaps 0xC01 and 0xE01.
constexpr std::uint8_t kClientSigReplicaItemMap = 0x9C;
constexpr std::uint8_t kClientSigInternalCounters = 0xCC;

// Outlook's internal nodes as an empty store of its own holds them, so that
// neither Outlook nor its repair tool finds them missing: two small heaps,
// each with an empty BTH under its root, and two nodes without data.
void writeInternalNodes(ndb::NodeDatabase& db) {
  {
    ltp::HeapBuilder heap(kClientSigReplicaItemMap);
    const ltp::Hid root = heap.allocate(4);
    const ltp::Hid bth = heap.allocate(ltp::kBthHeaderSize);
    ltp::writeBth(heap, bth, 16, 4, {});  // PidTagReplItemid -> NID
    le::put<std::uint32_t>(heap.at(root), 0, bth);
    heap.setUserRoot(root);
    db.putNode(NID_REPLICA_ITEM_MAP, 0, {heap.build(), {}});
  }
  {
    ltp::HeapBuilder heap(kClientSigInternalCounters);
    const ltp::Hid root = heap.allocate(56);
    const ltp::Hid bth = heap.allocate(ltp::kBthHeaderSize);
    ltp::writeBth(heap, bth, 4, 4, {});
    // The root's words as Outlook's empty store has them; their meaning is
    // not documented, the first is the BTH's HID.
    std::size_t offset = 0;
    for (std::uint32_t word : {bth, 1u, 0x200004u, 0u, 3u, 0u, 0x10u, 0u, 0x48B3u, 0u, 0u, 0u, 0u, 0x1E2u}) {
      le::put<std::uint32_t>(heap.at(root), offset, word);
      offset += 4;
    }
    heap.setUserRoot(root);
    db.putNode(NID_INTERNAL_COUNTERS, 0, {heap.build(), {}});
  }
  db.putNode(NID_INTERNAL_E41, 0, {});
  db.putNode(NID_INTERNAL_EC1, 0, {});
}

class StoreImpl final : public Store {
 public:
  StoreImpl(std::unique_ptr<ndb::NodeDatabase> db, std::u16string displayName, const StoreOptions& options);
  ~StoreImpl() override;

  std::u16string displayName() const override { return displayName_; }
  const Guid& recordKey() const override { return recordKey_; }
  std::vector<std::uint8_t> entryId(ndb::Nid nid) const override { return makeEntryId(recordKey_, nid); }

  FolderId rootFolder() const override { return NID_ROOT_FOLDER; }
  FolderId ipmSubtree() const override { return NID_IPM_SUBTREE; }
  FolderId deletedItems() const override { return NID_DELETED_ITEMS; }

  std::u16string folderName(FolderId folder) const override { return get(folder).name; }
  std::u16string containerClass(FolderId folder) const override { return get(folder).containerClass; }
  std::vector<FolderId> subfolders(FolderId folder) const override { return get(folder).children; }
  std::uint32_t messageCount(FolderId folder) const override { return get(folder).contentCount; }

  FolderId createFolder(FolderId parent, const std::u16string& name, const std::u16string& containerClass) override;
  MessageId addMessage(FolderId folder, const Message& message) override { return add(folder, message); }
  MessageId addMessage(FolderId folder, Message&& message) override { return add(folder, std::move(message)); }
  ltp::PropId namedPropertyId(const PropertyKey& key) override;

  void commit() override;
  void close() override;
  std::uint64_t committedMessageCount() const override { return messagesCommitted_; }

 private:
  const Folder& get(FolderId nid) const;
  Folder& get(FolderId nid);
  Folder& normalFolder(FolderId nid, const char* what);
  void checkWritable() const;
  // Runs a step that writes; a failure leaves the store unusable (fail-stop).
  template <typename F>
  auto writing(F&& step) {
    try {
      return step();
    } catch (const Error& e) {
      fail(e.what(), e.kind());
      throw;
    } catch (const std::exception& e) {
      fail(e.what(), ErrorKind::Io);
      throw;
    }
  }
  void fail(const std::string& what, ErrorKind kind) {
    if (!failure_.empty()) return;  // the first failure is the cause
    failure_ = what;
    failureKind_ = kind == ErrorKind::DiskFull ? kind : ErrorKind::Io;
  }
  template <typename M>
  MessageId add(FolderId folder, M&& message);
  void maybeCommit();
  void commitNow();
  void writeChanges();  // the nodes of everything changed since the last commit

  Folder& addFolder(ndb::Nid nid, ndb::Nid parent, std::u16string name, std::u16string containerClass,
                    std::optional<std::u16string> comment = std::nullopt);
  void touch(Folder& folder);  // its counts or children changed
  void writeMandatoryNodes();
  void writeFolderNodes(Folder& folder);
  std::array<std::uint8_t, 16> randomKey() { return randomBytes<16>(); }
  template <std::size_t N>
  std::array<std::uint8_t, N> randomBytes();

  std::unique_ptr<ndb::NodeDatabase> db_;
  std::u16string displayName_;
  StoreOptions options_;
  Guid recordKey_{};
  std::mt19937_64 random_;
  std::unordered_map<FolderId, Folder> folders_;
  std::set<FolderId> dirtyFolders_;
  NameToIdMap names_;
  bool namesDirty_ = true;
  std::uint32_t rowVer_ = 0;
  CommitPolicy policy_;
  bool closed_ = false;
  std::string failure_;  // why the store stopped accepting writes
  ErrorKind failureKind_ = ErrorKind::Io;
  std::uint64_t messagesAdded_ = 0;
  std::uint64_t messagesCommitted_ = 0;  // what the file on disk holds

  // Tables every folder or message starts with.
  ndb::NodeData emptyHierarchy_;
  ndb::NodeData emptyContents_;
  ndb::NodeData emptyAssocContents_;
  ndb::NodeData emptyRecipients_;
};

StoreImpl::StoreImpl(std::unique_ptr<ndb::NodeDatabase> db, std::u16string displayName, const StoreOptions& options)
    : db_(std::move(db)),
      displayName_(std::move(displayName)),
      options_(options),
      random_(std::random_device{}()),
      policy_(options.messagesPerCommit, options.secondsPerCommit) {
  std::random_device device;
  for (auto& b : recordKey_) b = static_cast<std::uint8_t>(device());
  random_.seed((static_cast<std::uint64_t>(device()) << 32) ^ device());
  emptyHierarchy_ = tableWith(hierarchyColumns()).build();
  emptyContents_ = tableWith(contentsColumns()).build();
  emptyAssocContents_ = tableWith(assocContentsColumns()).build();
  emptyRecipients_ = tableWith(recipientColumns()).build();
  // libpff refuses a map with an empty entry or GUID stream, so a store
  // always maps one name from a set of its own: PidLidSideEffects, which any
  // item may carry and Outlook's own empty store maps too.
  names_.idFor(NamedId{PSETID_Common, 0x8510});
  writing([&] {
    writeMandatoryNodes();
    commitNow();
  });
}

StoreImpl::~StoreImpl() {
  try {
    close();
  } catch (...) {
    // A destructor cannot report; the file holds the last successful commit.
  }
}

template <std::size_t N>
std::array<std::uint8_t, N> StoreImpl::randomBytes() {
  std::array<std::uint8_t, N> out{};
  for (std::size_t i = 0; i < N; i += 8) {
    std::uint64_t v = random_();
    for (std::size_t j = i; j < N && j < i + 8; ++j, v >>= 8) out[j] = static_cast<std::uint8_t>(v);
  }
  return out;
}

const Folder& StoreImpl::get(FolderId nid) const {
  auto it = folders_.find(nid);
  if (it == folders_.end()) {
    char text[64];
    std::snprintf(text, sizeof text, "no folder with NID 0x%X in this store", nid);
    throw Error(ErrorKind::BadRequest, text);
  }
  return it->second;
}

Folder& StoreImpl::get(FolderId nid) { return const_cast<Folder&>(std::as_const(*this).get(nid)); }

Folder& StoreImpl::normalFolder(FolderId nid, const char* what) {
  Folder& folder = get(nid);
  if (folder.search) throw Error(ErrorKind::BadRequest, std::string("cannot ") + what + " a search folder");
  return folder;
}

void StoreImpl::checkWritable() const {
  if (closed_) throw Error(ErrorKind::Closed, "the store is closed");
  if (!failure_.empty())
    throw Error(ErrorKind::Closed, "the store stopped accepting changes after a write failed: " + failure_);
}

Folder& StoreImpl::addFolder(ndb::Nid nid, ndb::Nid parent, std::u16string name, std::u16string containerClass,
                             std::optional<std::u16string> comment) {
  Folder folder;
  folder.nid = nid;
  folder.parent = parent;
  folder.name = std::move(name);
  folder.containerClass = std::move(containerClass);
  folder.comment = std::move(comment);
  auto [it, inserted] = folders_.emplace(nid, std::move(folder));
  if (!inserted) throw Error(ErrorKind::Corrupt, "folder NID already in use");
  dirtyFolders_.insert(nid);
  if (nid != parent) {
    Folder& p = get(parent);
    const bool firstChild = p.children.empty();
    p.children.push_back(nid);
    p.hierarchyDirty = true;
    dirtyFolders_.insert(parent);
    if (firstChild) touch(p);
  }
  policy_.changed();
  return it->second;
}

void StoreImpl::touch(Folder& folder) {
  folder.pcDirty = true;
  folder.rowStale = true;
  dirtyFolders_.insert(folder.nid);
}

void StoreImpl::writeMandatoryNodes() {
  for (ndb::Nid nid : {NID_MESSAGE_STORE, NID_NAME_TO_ID_MAP, NID_ROOT_FOLDER, NID_SEARCH_MANAGEMENT_QUEUE,
                       NID_SEARCH_ACTIVITY_LIST, NID_SEARCH_DOMAIN_OBJECT, NID_HIERARCHY_TABLE_TEMPLATE,
                       NID_CONTENTS_TABLE_TEMPLATE, NID_ASSOC_CONTENTS_TABLE_TEMPLATE,
                       NID_SEARCH_CONTENTS_TABLE_TEMPLATE, NID_RECEIVE_FOLDER_TABLE, NID_OUTGOING_QUEUE_TABLE,
                       NID_ATTACHMENT_TABLE, NID_RECIPIENT_TABLE, NID_INTERNAL_TABLE_16, NID_INTERNAL_TABLE_17,
                       NID_INTERNAL_TABLE_18, NID_REPLICA_ITEM_MAP, NID_INTERNAL_COUNTERS, NID_INTERNAL_E41,
                       NID_INTERNAL_EC1, NID_SPAM_SEARCH_FOLDER, NID_SPAM_SEARCH_UPDATE_QUEUE,
                       NID_SPAM_SEARCH_CRITERIA, NID_SPAM_SEARCH_CONTENTS})
    db_->reserveNid(nid);
  for (ndb::Nid folder : {NID_ROOT_FOLDER, NID_IPM_SUBTREE, NID_SEARCH_ROOT, NID_DELETED_ITEMS, NID_COMMON_VIEWS}) {
    db_->reserveNid(folder);
    db_->reserveNid(hierarchyTableOf(folder));
    db_->reserveNid(contentsTableOf(folder));
    db_->reserveNid(assocContentsTableOf(folder));
  }

  ltp::PropertyContextBuilder store;
  store.set(id(tags::RecordKey), PropertyValue::binary(recordKey_));
  store.set(id(tags::DisplayName), PropertyValue::string(displayName_));
  store.set(id(tags::ValidFolderMask), PropertyValue::integer32(FOLDER_IPM_SUBTREE_VALID | FOLDER_IPM_WASTEBASKET_VALID |
                                                                  FOLDER_COMMON_VIEWS_VALID | FOLDER_FINDER_VALID));
  store.set(id(tags::IpmSubTreeEntryId), PropertyValue::binary(entryId(NID_IPM_SUBTREE)));
  store.set(id(tags::IpmWastebasketEntryId), PropertyValue::binary(entryId(NID_DELETED_ITEMS)));
  store.set(id(tags::CommonViewsEntryId), PropertyValue::binary(entryId(NID_COMMON_VIEWS)));
  store.set(id(tags::FinderEntryId), PropertyValue::binary(entryId(NID_SEARCH_ROOT)));
  store.set(id(tags::ReplFlags), PropertyValue::integer32(0));
  store.set(id(tags::PstLrNoRestrictions), PropertyValue::boolean(true));
  store.set(id(tags::PstPassword), PropertyValue::integer32(0));
  store.set(id(tags::PstInternal66FA), PropertyValue::integer32(kOutlookInternal66FA));
  db_->putNode(NID_MESSAGE_STORE, 0, store.build());
  writeInternalNodes(*db_);

  // Templates and store-wide tables.
  db_->putNode(NID_HIERARCHY_TABLE_TEMPLATE, 0, emptyHierarchy_);
  db_->putNode(NID_CONTENTS_TABLE_TEMPLATE, 0, emptyContents_);
  db_->putNode(NID_ASSOC_CONTENTS_TABLE_TEMPLATE, 0, emptyAssocContents_);
  db_->putNode(NID_SEARCH_CONTENTS_TABLE_TEMPLATE, 0, tableWith(searchContentsColumns()).build());
  db_->putNode(NID_ATTACHMENT_TABLE, 0, tableWith(attachmentColumns()).build());
  db_->putNode(NID_RECIPIENT_TABLE, 0, emptyRecipients_);
  db_->putNode(NID_OUTGOING_QUEUE_TABLE, 0, tableWith(outgoingQueueColumns()).build());
  db_->putNode(NID_INTERNAL_TABLE_16, 0, tableWith(internalTable16Columns()).build());
  db_->putNode(NID_INTERNAL_TABLE_17, 0, tableWith(internalTable17Columns()).build());
  db_->putNode(NID_INTERNAL_TABLE_18, 0, tableWith(internalTable18Columns()).build());
  {
    // Messages of any class are received in the root folder.
    auto receive = tableWith(receiveFolderColumns());
    receive.setRow(1, {{tags::LtpRowId, PropertyValue::integer32(1)},
                       {tags::LtpRowVer, PropertyValue::integer32(2)},
                       {tags::MessageClass, PropertyValue::string(u"")},
                       {ltp::makeTag(0x6605, ltp::PropType::Integer32),
                        PropertyValue::integer32(static_cast<std::int32_t>(NID_ROOT_FOLDER))}});
    db_->putNode(NID_RECEIVE_FOLDER_TABLE, 0, receive.build());
  }

  // Search management: empty queue and domain, the SPAM folder as the one active search.
  db_->putNode(NID_SEARCH_MANAGEMENT_QUEUE, 0, {});
  db_->putNode(NID_SEARCH_DOMAIN_OBJECT, 0, {});
  ndb::NodeData activity;
  activity.blocks.push_back({});
  for (int i = 0; i < 4; ++i) activity.blocks[0].push_back(static_cast<std::uint8_t>(NID_SPAM_SEARCH_FOLDER >> (8 * i)));
  db_->putNode(NID_SEARCH_ACTIVITY_LIST, 0, activity);
  db_->putNode(NID_SPAM_SEARCH_UPDATE_QUEUE, 0, {});
  ltp::PropertyContextBuilder criteria;
  criteria.set(id(tags::SearchFolderCriteria), PropertyValue::integer32(0));
  db_->putNode(NID_SPAM_SEARCH_CRITERIA, 0, criteria.build());
  db_->putNode(NID_SPAM_SEARCH_CONTENTS, 0, tableWith(searchContentsColumns()).build());

  // The folder tree of a new store.
  addFolder(NID_ROOT_FOLDER, NID_ROOT_FOLDER, u"", u"");
  addFolder(NID_IPM_SUBTREE, NID_ROOT_FOLDER, u"Top of Personal Folders", u"");
  addFolder(NID_SEARCH_ROOT, NID_ROOT_FOLDER, u"Search Root", u"");
  addFolder(NID_DELETED_ITEMS, NID_IPM_SUBTREE, u"Deleted Items", u"", u"Deleted Items folder");
  addFolder(NID_COMMON_VIEWS, NID_ROOT_FOLDER, u"IPM_COMMON_VIEWS", u"", u"");
  addFolder(NID_SPAM_SEARCH_FOLDER, NID_ROOT_FOLDER, u"SPAM Search Folder 2", u"").search = true;
}

FolderId StoreImpl::createFolder(FolderId parent, const std::u16string& name, const std::u16string& containerClass) {
  checkWritable();
  Folder& p = normalFolder(parent, "create a folder in");
  if (name.empty()) throw Error(ErrorKind::BadRequest, "a folder needs a name");
  for (FolderId child : p.children) {
    if (get(child).name == name) throw Error(ErrorKind::Exists, "the folder already has a subfolder with that name");
  }
  return writing([&] {
    const ndb::Nid nid = db_->allocateNid(ndb::NID_TYPE_NORMAL_FOLDER);
    db_->reserveNid(hierarchyTableOf(nid));
    db_->reserveNid(contentsTableOf(nid));
    db_->reserveNid(assocContentsTableOf(nid));
    // As Outlook keeps a folder it made and filled: an empty comment and the hidden counts.
    addFolder(nid, parent, name, containerClass, u"").hiddenCounts = true;
    maybeCommit();
    return nid;
  });
}

template <typename M>
MessageId StoreImpl::add(FolderId folderId, M&& message) {
  checkWritable();
  Folder& folder = normalFolder(folderId, "add a message to");
  // Input errors surface here, before anything is written.
  MessageBuilder builder({&names_, [this] { return db_->allocateNid(ndb::NID_TYPE_ATTACHMENT); },
                          [this] { return randomKey(); }, &emptyRecipients_, fileTimeNow()});
  const std::size_t namesBefore = names_.size();
  BuiltMessage built = builder.build(std::forward<M>(message));
  if (names_.size() != namesBefore) namesDirty_ = true;

  return writing([&] {
    const ndb::Nid nid = db_->allocateNid(ndb::NID_TYPE_NORMAL_MESSAGE);
    db_->putNode(nid, folder.nid, built.node);
    built.node = {};
    ++messagesAdded_;
    if (!folder.contents) folder.contents = tableWith(contentsColumns());
    setCell(built.contentsRow, tags::LtpRowId, PropertyValue::integer32(static_cast<std::int32_t>(nid)));
    setCell(built.contentsRow, tags::LtpRowVer, PropertyValue::integer32(static_cast<std::int32_t>(++rowVer_)));
    folder.contents->setRow(nid, built.contentsRow);
    folder.contentsDirty = true;
    ++folder.contentCount;
    if (!built.read) ++folder.unreadCount;
    touch(folder);
    policy_.messageAdded();
    maybeCommit();
    return nid;
  });
}

ltp::PropId StoreImpl::namedPropertyId(const PropertyKey& key) {
  const std::size_t before = names_.size();
  const ltp::PropId result = resolvePropertyKey(key, names_);
  if (names_.size() != before) {
    namesDirty_ = true;
    policy_.changed();
  }
  return result;
}

void StoreImpl::maybeCommit() {
  if (policy_.due()) commitNow();
}

void StoreImpl::writeFolderNodes(Folder& folder) {
  if (folder.pcDirty) {
    db_->putNode(folder.nid, folder.parent, folder.propertyContext().build());
    folder.pcDirty = false;
  }
  if (folder.search) return;  // its tables are written with the store
  if (folder.hierarchyDirty) {
    db_->putNode(hierarchyTableOf(folder.nid), 0, folder.hierarchy ? folder.hierarchy->build() : emptyHierarchy_);
    folder.hierarchyDirty = false;
  }
  if (folder.contentsDirty) {
    db_->putNode(contentsTableOf(folder.nid), 0, folder.contents ? folder.contents->build() : emptyContents_);
    // Messages are only ever added, with ascending NIDs: the rows and values
    // stored now stay as they are, on disk only.
    if (folder.contents) folder.contents->dropWrittenBlocks();
    folder.contentsDirty = false;
  }
  if (folder.assocContentsDirty) {
    db_->putNode(assocContentsTableOf(folder.nid), 0, emptyAssocContents_);
    folder.assocContentsDirty = false;
  }
}

void StoreImpl::commitNow() {
  writeChanges();
  db_->commit();
  messagesCommitted_ = messagesAdded_;
  policy_.committed();
}

void StoreImpl::writeChanges() {
  // Rows first: a folder's row lives in its parent's hierarchy table.
  std::vector<FolderId> parents;
  for (FolderId nid : dirtyFolders_) {
    Folder& folder = get(nid);
    if (!folder.rowStale) continue;
    folder.rowStale = false;
    if (folder.parent == folder.nid) continue;  // the root has no row
    Folder& parent = get(folder.parent);
    if (!parent.hierarchy) parent.hierarchy = tableWith(hierarchyColumns());
    parent.hierarchy->setRow(nid, folder.hierarchyRow(++rowVer_));
    parent.hierarchyDirty = true;
    parents.push_back(parent.nid);
  }
  dirtyFolders_.insert(parents.begin(), parents.end());
  for (FolderId nid : dirtyFolders_) writeFolderNodes(get(nid));
  dirtyFolders_.clear();
  if (namesDirty_) {
    db_->putNode(NID_NAME_TO_ID_MAP, 0, names_.build().build());
    namesDirty_ = false;
  }
}

void StoreImpl::commit() {
  checkWritable();
  writing([&] { commitNow(); });
}

void StoreImpl::close() {
  if (closed_) return;
  if (failure_.empty()) {
    try {
      writing([&] {
        writeChanges();
        db_->close();  // commits: the last commit, which leaves no spare room at the end
        messagesCommitted_ = messagesAdded_;
      });
      closed_ = true;
      return;
    } catch (const std::exception&) {
      // failure_ says why; the file is ended as below.
    }
  }
  {
    // Keep the last good commit, cut back to its end, and say so: the
    // changes since that commit are not in the file.
    closed_ = true;
    std::string end = "; the file holds its last good commit";
    try {
      db_->closeAtLastCommit();
    } catch (const std::exception& e) {
      end += ", but its end could not be cut back: " + std::string(e.what());
    }
    db_.reset();
    throw Error(failureKind_, "the file could not be completed: " + failure_ + end);
  }

}

}  // namespace

std::unique_ptr<Store> Store::create(const std::filesystem::path& path, const std::u16string& displayName,
                                     const StoreOptions& options) {
  ndb::FileSystem& fileSystem = options.fileSystem ? *options.fileSystem : ndb::FileSystem::local();
  PendingStoreFile file(fileSystem, path);
  std::unique_ptr<ndb::NodeDatabase> db;
  try {
    db = ndb::NodeDatabase::create(fileSystem.createNew(file.temporaryPath()), {options.cryptMethod});
  } catch (const Error& e) {
    throw Error(e.kind(), path.string() + ": cannot create the store: " + e.what());
  }
  auto store = std::make_unique<StoreImpl>(std::move(db), displayName, options);
  file.publish();
  return store;
}

std::unique_ptr<Store> Store::create(std::unique_ptr<ndb::File> file, const std::u16string& displayName,
                                     const StoreOptions& options) {
  return std::make_unique<StoreImpl>(ndb::NodeDatabase::create(std::move(file), {options.cryptMethod}), displayName,
                                     options);
}

}  // namespace pst
