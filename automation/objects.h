// The object model the import drives: the store session with its stores,
// folders and contact items, and the mail client with its namespace. Every
// member may throw AutomationError. A returned object is a reference the
// caller owns; dropping it releases it. Names are those of the components.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quillonet::automation {

// Codes the calls take.
inline constexpr int olStoreDefault = 1;   // AddPSTStore: the default (Unicode) format
inline constexpr int olStoreUnicode = 2;   // AddPSTStore: Unicode
inline constexpr int olContactItem = 2;    // Items.Add: a contact
inline constexpr int olVCard = 6;          // ContactItem.Import: a vCard file
inline constexpr int olFolderContacts = 10;  // Folders.Add: a contacts folder

// The largest card taken, in bytes: a larger vCard file is refused by Import,
// and the run refuses a larger card of a multi-card file, before reading it
// into memory. Real cards with a photo stay far below it.
inline constexpr std::int64_t kMaxCardBytes = std::int64_t{64} << 20;

inline constexpr char16_t kContactClass[] = u"IPM.Contact";
inline constexpr char16_t kDistListClass[] = u"IPM.DistList";

// Not a call of the components: a card read from its bytes by a CardReader,
// ready to fill an item.
class ReadCard {
 public:
  virtual ~ReadCard() = default;
};

// Not a call of the components: reads cards from the bytes a vCard file of
// one card would hold, on any thread, while the calls of this model go on
// on another. A caller that cuts a file into cards has each one read ahead
// of the item it fills, without a file for it. Components that import only
// from files have none (Session::Cards gives nothing).
class CardReader {
 public:
  virtual ~CardReader() = default;
  // Never throws: what reading the card found wrong is thrown by the
  // Import that takes it. name stands for the card in those errors.
  virtual std::shared_ptr<const ReadCard> Read(std::string_view bytes, const std::u16string& name) const = 0;
};

class ContactItem {
 public:
  virtual ~ContactItem() = default;
  // Fills the item from a file of the given format (olVCard). A contact
  // group's card makes the item a distribution list (kDistListClass).
  virtual void Import(const std::u16string& path, int format) = 0;
  // Not a call of the components: fills the item from a card its session's
  // CardReader read, throwing what Import of a file of those bytes throws.
  // The item keeps the card, unchanged, as long as it lives: the caller may
  // have the card freed where it was read once the item is gone.
  virtual void Import(std::shared_ptr<const ReadCard> card);
  // kContactClass, or kDistListClass for an item filled from a group.
  virtual std::u16string MessageClass() = 0;
  // Stores the item in its folder.
  virtual void Save() = 0;
};

class ItemCollection {
 public:
  virtual ~ItemCollection() = default;
  // A new, unsaved item of the given kind (olContactItem).
  virtual std::unique_ptr<ContactItem> Add(int type) = 0;
};

class Folder;

class FolderCollection {
 public:
  virtual ~FolderCollection() = default;
  virtual int Count() = 0;
  // The folder at a position counted from 1, in the collection's order.
  virtual std::unique_ptr<Folder> Item(int index) = 0;
  // The folder with this name (exact, case-sensitive).
  virtual std::unique_ptr<Folder> Item(const std::u16string& name) = 0;
  // A new subfolder of the given kind (olFolderContacts).
  virtual std::unique_ptr<Folder> Add(const std::u16string& name, int type) = 0;
};

class Folder {
 public:
  virtual ~Folder() = default;
  virtual std::u16string Name() = 0;
  virtual std::unique_ptr<FolderCollection> Folders() = 0;
  virtual std::unique_ptr<ItemCollection> Items() = 0;
};

// A member of a distribution list that could not be resolved, or a whole
// list that could not be written (member empty).
struct DistListProblem {
  std::size_t list = 0;  // the list's position among those the store took, from 0
  std::u16string listName;
  std::u16string member;
  std::u16string reason;
};

struct DistListReport {
  std::int64_t saved = 0;  // lists written
  std::vector<DistListProblem> problems;
};

class Store {
 public:
  virtual ~Store() = default;
  // An opaque identifier that GetStoreFromID takes back.
  virtual std::vector<std::uint8_t> EntryID() = 0;
  // The top of the store's folder tree that the user sees.
  virtual std::unique_ptr<Folder> IPMRootFolder() = 0;
  // Writes the distribution lists saved into the store so far, their
  // members found among every contact the store holds by then. Lists not
  // completed by this call are completed when the store leaves the profile.
  virtual DistListReport CompleteDistributionLists() = 0;
  // Takes the store out of the profile; its file stays. Its file's last
  // syncs may wait for the disk: it may be called on another thread while
  // the caller only serves its window's events, calling nothing else here.
  virtual void Remove() = 0;
  // Not a call of the components: how many items the store's file holds as
  // of its last good write (after Remove, what the finished file holds), so
  // a run whose file could not be completed reports what it really holds.
  virtual std::int64_t ItemsInFile() = 0;
};

class StoreCollection {
 public:
  virtual ~StoreCollection() = default;
  // Creates a new store file at path and adds it to the profile under
  // displayName; format is olStoreDefault or olStoreUnicode.
  virtual std::unique_ptr<Store> AddPSTStore(const std::u16string& path, int format,
                                             const std::u16string& displayName) = 0;
  virtual std::unique_ptr<Store> GetStoreFromID(const std::vector<std::uint8_t>& entryID) = 0;
};

// The store session ("RDOSession").
class Session {
 public:
  virtual ~Session() = default;
  virtual void Logon() = 0;
  virtual std::unique_ptr<StoreCollection> Stores() = 0;
  // path: "\\" + store display name + "\" + folder path inside the store.
  virtual std::unique_ptr<Folder> GetFolderFromPath(const std::u16string& path) = 0;
  virtual void Logoff() = 0;
  // Not a call of the components: the session's reader of cards from bytes,
  // shared with any thread, or nothing when its items import only files.
  virtual std::shared_ptr<const CardReader> Cards() { return nullptr; }
};

// The mail client's window showing a folder.
class Explorer {
 public:
  virtual ~Explorer() = default;
  virtual std::unique_ptr<Folder> CurrentFolder() = 0;
};

// The mail client's view of the profile: one top-level folder per store,
// named by the store's display name.
class Namespace {
 public:
  virtual ~Namespace() = default;
  virtual std::unique_ptr<FolderCollection> Folders() = 0;
};

// The mail client ("Outlook.Application").
class Application {
 public:
  virtual ~Application() = default;
  virtual std::unique_ptr<Explorer> ActiveExplorer() = 0;
  virtual std::unique_ptr<Namespace> GetNamespace(const std::u16string& type) = 0;
};

// Creates the two outside components; either may throw AutomationError when
// the component is not available.
class ComponentFactory {
 public:
  virtual ~ComponentFactory() = default;
  virtual std::unique_ptr<Session> CreateRDOSession() = 0;
  virtual std::unique_ptr<Application> CreateOutlookApplication() = 0;
};

}  // namespace quillonet::automation
