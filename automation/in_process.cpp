// The in-process session, stores, folders, items, application and namespace.
#include "automation/in_process.h"

#include <optional>
#include <string_view>
#include <utility>

#include "automation/contact_message.h"
#include "platform/regular_file.h"
#include "automation/dist_list.h"
#include "automation/error.h"
#include "automation/writer_error.h"
#include "pst/error.h"
#include "pst/messaging/store.h"
#include "vcard/contact.h"
#include "vcard/error.h"
#include "vcard/reader.h"
#include "vcard/group.h"
#include "util/text.h"

namespace quillonet::automation {

namespace {

const std::u16string kContactsClass = u"IPF.Contact";

// A name as the store keeps it: well-formed UTF-16. A folder named by bytes
// that are not UTF-8 reaches here with those bytes as lone surrogates, which
// no reader of the file could show; each becomes U+FFFD.
std::u16string StoreText(std::u16string_view text) {
  std::u16string out(text);
  for (std::size_t i = 0; i < out.size(); ++i) {
    const char16_t c = out[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < out.size() && out[i + 1] >= 0xDC00 && out[i + 1] <= 0xDFFF) {
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      out[i] = 0xFFFD;
    }
  }
  return out;
}

// Lower-case hexadecimal digits of bytes, two per byte.
std::u16string Hex(const std::vector<std::uint8_t>& bytes) {
  static constexpr char16_t kDigits[] = u"0123456789abcdef";
  std::u16string out;
  out.reserve(bytes.size() * 2);
  for (const std::uint8_t b : bytes) {
    out.push_back(kDigits[b >> 4]);
    out.push_back(kDigits[b & 0xF]);
  }
  return out;
}

// Runs a call into the PST writer; its failures become automation errors.
template <class Call>
auto Writing(std::u16string_view what, Call&& call) {
  try {
    return call();
  } catch (const pst::Error& e) {
    throw WriterError(what, e);
  }
}

struct SessionState {
  bool loggedOn = false;

  void requireLogon(const char* call) const {
    if (!loggedOn) {
      throw AutomationError(errors::kNotInitialized,
                            text::Format(u"%1: the session is not logged on", {text::FromUtf8(call)}));
    }
  }
};

// Reads the one card of a vCard file's bytes; name stands for the file in
// the error.
vcard::ImportedCard ReadCardBytes(std::string_view bytes, const std::u16string& name) {
  try {
    std::vector<vcard::Card> cards =
        vcard::parseCards(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
    if (cards.empty()) throw vcard::Error("The file holds no vCard (no BEGIN:VCARD line).");
    return vcard::toImportedCard(std::move(cards.front()));
  } catch (const vcard::Error& e) {
    throw AutomationError(errors::kCorruptData, text::Format(u"Cannot import %1: %2", {name, text::FromUtf8(e.what())}));
  }
}

std::u16string TooLarge() {
  return text::Format(u"it is larger than %1 MB, the largest card taken", {text::Number(kMaxCardBytes >> 20)});
}

// A card read ahead, or what Import is to throw. Items only read it, so that
// it can be freed on the thread that made it.
class InProcessReadCard : public ReadCard {
 public:
  std::optional<vcard::ImportedCard> card;
  std::optional<AutomationError> error;
};

class InProcessCardReader : public CardReader {
 public:
  std::shared_ptr<const ReadCard> Read(std::string_view bytes, const std::u16string& name) const override {
    auto read = std::make_shared<InProcessReadCard>();
    try {
      if (bytes.size() > static_cast<std::uint64_t>(kMaxCardBytes)) {
        throw AutomationError(errors::kCorruptData, text::Format(u"Cannot import %1: %2", {name, TooLarge()}));
      }
      read->card = ReadCardBytes(bytes, name);
    } catch (const AutomationError& e) {
      read->card.reset();
      read->error = e;
    }
    return read;
  }
};

class InProcessItem : public ContactItem {
 public:
  InProcessItem(std::shared_ptr<ProfileStore> store, pst::FolderId folder)
      : store_(std::move(store)), folder_(folder) {}

  void Import(const std::u16string& path, int format) override {
    if (format != olVCard) {
      throw AutomationError(errors::kInvalidArgument,
                            text::Format(u"Import of %1: format %2 is not supported; only vCard (%3) is",
                                         {path, text::Number(format), text::Number(olVCard)}));
    }
    std::string bytes;
    try {
      bytes = platform::ReadRegularFile(path, kMaxCardBytes);
    } catch (const std::system_error& e) {
      const std::u16string why =
          e.code() == std::errc::file_too_large ? TooLarge() : text::FromUtf8(e.code().message());
      throw AutomationError(e.code() == std::errc::no_such_file_or_directory ? errors::kNotFound : errors::kCorruptData,
                            text::Format(u"Cannot import %1: %2", {path, why}));
    }
    ownCard_ = ReadCardBytes(bytes, path);
    card_ = &*ownCard_;
    readCard_.reset();
  }

  void Import(std::shared_ptr<const ReadCard> card) override {
    auto read = std::dynamic_pointer_cast<const InProcessReadCard>(card);
    if (!read) {
      throw AutomationError(errors::kInvalidArgument, u"Import: the card was not read by this session's reader");
    }
    if (read->error) throw *read->error;
    readCard_ = std::move(read);
    card_ = &*readCard_->card;
    ownCard_.reset();
  }

  std::u16string MessageClass() override {
    return card_ && card_->members ? kDistListClass : kContactClass;
  }

  void Save() override {
    if (saved_) throw AutomationError(errors::kNoSupport, u"The contact has been saved already");
    // An item that was never filled (its import failed) would be an empty
    // contact in the user's folder: it is not stored.
    if (!card_) {
      throw AutomationError(errors::kCallFailed,
                            u"The contact holds nothing to save: no vCard was imported into it");
    }
    pst::Store& file = store_->open();
    if (card_->members) {
      // A group's members may be cards not read yet: the list is written
      // when the store completes its lists.
      store_->lists->addList(folder_, ListName(card_->contact), card_->uidKey,
                             ownCard_ ? std::move(*ownCard_->members) : *card_->members);
      saved_ = true;
      return;
    }
    // The store takes the converted values over, so a photo is copied once
    // (into the message), not twice; the card stays whole should saving fail.
    const pst::MessageId id = Writing(text::Format(u"Cannot save the contact in %1", {store_->path}),
                                      [&] { return file.addMessage(folder_, ToMessage(card_->contact)); });
    saved_ = true;
    store_->lists->addContact(card_->uidKey, id, card_->contact);
  }

 private:
  static std::u16string ListName(const vcard::ContactItem& group) {
    const vcard::Value* name = group.find(std::uint16_t{0x3001});  // PidTagDisplayName
    const auto* text = name ? std::get_if<std::u16string>(name) : nullptr;
    return text && !text->empty() ? *text : std::u16string(u"Contact group");
  }

  std::shared_ptr<ProfileStore> store_;
  pst::FolderId folder_;
  const vcard::ImportedCard* card_ = nullptr;  // imported: ownCard_'s or readCard_'s
  std::optional<vcard::ImportedCard> ownCard_;  // read from a file
  std::shared_ptr<const InProcessReadCard> readCard_;  // read ahead
  bool saved_ = false;
};

class InProcessItems : public ItemCollection {
 public:
  InProcessItems(std::shared_ptr<ProfileStore> store, pst::FolderId folder)
      : store_(std::move(store)), folder_(folder) {}

  std::unique_ptr<ContactItem> Add(int type) override {
    store_->open();
    if (type != olContactItem) {
      throw AutomationError(errors::kInvalidArgument,
                            text::Format(u"Items.Add: item type %1 is not supported; only contacts (%2) are",
                                         {text::Number(type), text::Number(olContactItem)}));
    }
    return std::make_unique<InProcessItem>(store_, folder_);
  }

 private:
  std::shared_ptr<ProfileStore> store_;
  pst::FolderId folder_;
};

class InProcessFolder : public Folder {
 public:
  // name overrides the folder's own name: a store's top folder as the mail
  // client shows it carries the store's display name.
  InProcessFolder(std::shared_ptr<ProfileStore> store, pst::FolderId id, std::optional<std::u16string> name = {})
      : store_(std::move(store)), id_(id), name_(std::move(name)) {}

  std::u16string Name() override {
    if (name_) return *name_;
    pst::Store& file = store_->open();
    return Writing(u"Cannot read a folder name", [&] { return file.folderName(id_); });
  }
  std::unique_ptr<FolderCollection> Folders() override;
  std::unique_ptr<ItemCollection> Items() override {
    store_->open();
    return std::make_unique<InProcessItems>(store_, id_);
  }

 private:
  std::shared_ptr<ProfileStore> store_;
  pst::FolderId id_;
  std::optional<std::u16string> name_;
};

class InProcessFolders : public FolderCollection {
 public:
  InProcessFolders(std::shared_ptr<ProfileStore> store, pst::FolderId parent)
      : store_(std::move(store)), parent_(parent) {}

  int Count() override { return static_cast<int>(children().size()); }

  std::unique_ptr<Folder> Item(int index) override {
    const auto list = children();
    if (index < 1 || static_cast<std::size_t>(index) > list.size()) {
      throw AutomationError(errors::kInvalidArgument,
                            text::Format(u"Folders.Item: there is no folder at position %1 "
                                         u"(the folder has %2 subfolders)",
                                         {text::Number(index), text::Number(static_cast<std::int64_t>(list.size()))}));
    }
    return std::make_unique<InProcessFolder>(store_, list[static_cast<std::size_t>(index - 1)]);
  }

  std::unique_ptr<Folder> Item(const std::u16string& name) override {
    if (auto id = find(name)) return std::make_unique<InProcessFolder>(store_, *id);
    throw AutomationError(errors::kNotFound,
                          text::Format(u"There is no folder \"%1\" in \"%2\"", {name, parentName()}));
  }

  std::unique_ptr<Folder> Add(const std::u16string& name, int type) override {
    if (type != olFolderContacts) {
      throw AutomationError(errors::kInvalidArgument,
                            text::Format(u"Folders.Add(\"%1\"): folder type %2 is not supported; "
                                         u"only contacts folders (%3) are",
                                         {name, text::Number(type), text::Number(olFolderContacts)}));
    }
    if (name.empty()) {
      throw AutomationError(errors::kInvalidArgument,
                            text::Format(u"Folders.Add: a folder needs a name (in \"%1\")", {parentName()}));
    }
    pst::Store& file = store_->open();
    try {
      const pst::FolderId id = file.createFolder(parent_, StoreText(name), kContactsClass);
      return std::make_unique<InProcessFolder>(store_, id);
    } catch (const pst::Error& e) {
      // A second subfolder of one name is a collision the store reports.
      throw WriterError(
          text::Format(u"Folders.Add: cannot create the folder \"%1\" in \"%2\"", {name, parentName()}), e);
    }
  }

 private:
  std::vector<pst::FolderId> children() {
    pst::Store& file = store_->open();
    return Writing(u"Cannot list folders", [&] { return file.subfolders(parent_); });
  }
  std::optional<pst::FolderId> find(const std::u16string& name) {
    pst::Store& file = store_->open();
    const std::u16string wanted = StoreText(name);
    for (const pst::FolderId id : children()) {
      if (Writing(u"Cannot read a folder name", [&] { return file.folderName(id); }) == wanted) {
        return id;
      }
    }
    return std::nullopt;
  }
  std::u16string parentName() {
    pst::Store& file = store_->open();
    if (parent_ == file.ipmSubtree()) return store_->displayName;
    return file.folderName(parent_);
  }

  std::shared_ptr<ProfileStore> store_;
  pst::FolderId parent_;
};

std::unique_ptr<FolderCollection> InProcessFolder::Folders() {
  store_->open();
  return std::make_unique<InProcessFolders>(store_, id_);
}

class InProcessStore : public Store {
 public:
  InProcessStore(Profile& profile, std::shared_ptr<ProfileStore> store) : profile_(profile), store_(std::move(store)) {}

  std::vector<std::uint8_t> EntryID() override {
    store_->open();
    return store_->entryID;
  }
  std::unique_ptr<Folder> IPMRootFolder() override {
    pst::Store& file = store_->open();
    return std::make_unique<InProcessFolder>(store_, file.ipmSubtree());
  }
  DistListReport CompleteDistributionLists() override {
    pst::Store& file = store_->open();
    return store_->lists->complete(file);
  }
  void Remove() override { profile_.remove(store_); }
  std::int64_t ItemsInFile() override {
    if (store_->pst) return static_cast<std::int64_t>(store_->pst->committedMessageCount());
    return store_->itemsInFile;
  }

 private:
  Profile& profile_;
  std::shared_ptr<ProfileStore> store_;
};

class InProcessStores : public StoreCollection {
 public:
  InProcessStores(Profile& profile, std::shared_ptr<SessionState> session)
      : profile_(profile), session_(std::move(session)) {}

  std::unique_ptr<Store> AddPSTStore(const std::u16string& path, int format,
                                     const std::u16string& displayName) override {
    session_->requireLogon("AddPSTStore");
    if (format != olStoreDefault && format != olStoreUnicode) {
      throw AutomationError(errors::kInvalidArgument,
                            text::Format(u"AddPSTStore(%1): store format %2 is not supported; "
                                         u"only Unicode (%3 or %4) is",
                                         {path, text::Number(format), text::Number(olStoreDefault),
                                          text::Number(olStoreUnicode)}));
    }
    return std::make_unique<InProcessStore>(profile_, profile_.add(path, displayName));
  }

  std::unique_ptr<Store> GetStoreFromID(const std::vector<std::uint8_t>& entryID) override {
    session_->requireLogon("GetStoreFromID");
    if (auto store = profile_.findById(entryID)) return std::make_unique<InProcessStore>(profile_, store);
    throw AutomationError(errors::kNotFound,
                          text::Format(u"GetStoreFromID: no store of the profile has the identifier %1",
                                       {Hex(entryID)}));
  }

 private:
  Profile& profile_;
  std::shared_ptr<SessionState> session_;
};

class InProcessSession : public Session {
 public:
  explicit InProcessSession(Profile& profile) : profile_(profile) {}

  void Logon() override { state_->loggedOn = true; }

  std::unique_ptr<StoreCollection> Stores() override {
    state_->requireLogon("Stores");
    return std::make_unique<InProcessStores>(profile_, state_);
  }

  std::unique_ptr<Folder> GetFolderFromPath(const std::u16string& path) override {
    state_->requireLogon("GetFolderFromPath");
    if (!path.starts_with(u"\\\\")) {
      throw AutomationError(errors::kInvalidArgument,
                            text::Format(u"GetFolderFromPath(\"%1\"): a folder path begins with two backslashes "
                                         u"and the store's name",
                                         {path}));
    }
    const std::vector<std::u16string> parts = text::Split(std::u16string_view(path).substr(2), u"\\");
    auto store = profile_.findByName(parts[0]);
    if (!store) {
      throw AutomationError(errors::kNotFound,
                            text::Format(u"GetFolderFromPath(\"%1\"): no store named \"%2\" is in the profile",
                                         {path, parts[0]}));
    }
    std::unique_ptr<Folder> folder = std::make_unique<InProcessFolder>(store, store->open().ipmSubtree());
    for (std::size_t i = 1; i < parts.size(); ++i) {
      try {
        folder = folder->Folders()->Item(parts[i]);
      } catch (const AutomationError& e) {
        throw AutomationError(e.number(), text::Format(u"GetFolderFromPath(\"%1\"): %2", {path, e.description()}));
      }
    }
    return folder;
  }

  void Logoff() override {
    state_->requireLogon("Logoff");
    state_->loggedOn = false;
  }

  std::shared_ptr<const CardReader> Cards() override { return reader_; }

 private:
  Profile& profile_;
  std::shared_ptr<SessionState> state_ = std::make_shared<SessionState>();
  std::shared_ptr<const CardReader> reader_ = std::make_shared<InProcessCardReader>();
};

// The mail client's top level: one folder per store, named by its display name.
class TopFolders : public FolderCollection {
 public:
  explicit TopFolders(Profile& profile) : profile_(profile) {}

  int Count() override { return static_cast<int>(profile_.stores().size()); }

  std::unique_ptr<Folder> Item(int index) override {
    const auto& stores = profile_.stores();
    if (index < 1 || static_cast<std::size_t>(index) > stores.size()) {
      throw AutomationError(errors::kInvalidArgument,
                            text::Format(u"Folders.Item: there is no store at position %1 (the profile has %2)",
                                         {text::Number(index),
                                          text::Number(static_cast<std::int64_t>(stores.size()))}));
    }
    return top(stores[static_cast<std::size_t>(index - 1)]);
  }

  std::unique_ptr<Folder> Item(const std::u16string& name) override {
    if (auto store = profile_.findByName(name)) return top(store);
    throw AutomationError(errors::kNotFound, text::Format(u"No store named \"%1\" is in the profile", {name}));
  }

  std::unique_ptr<Folder> Add(const std::u16string& name, int) override {
    throw AutomationError(errors::kNoSupport,
                          text::Format(u"Cannot add the folder \"%1\" at the top level: stores are added by "
                                       u"the session",
                                       {name}));
  }

 private:
  static std::unique_ptr<Folder> top(const std::shared_ptr<ProfileStore>& store) {
    return std::make_unique<InProcessFolder>(store, store->open().ipmSubtree(), store->displayName);
  }
  Profile& profile_;
};

class InProcessNamespace : public Namespace {
 public:
  explicit InProcessNamespace(Profile& profile) : profile_(profile) {}
  std::unique_ptr<FolderCollection> Folders() override { return std::make_unique<TopFolders>(profile_); }

 private:
  Profile& profile_;
};

class InProcessApplication : public Application {
 public:
  explicit InProcessApplication(Profile& profile) : profile_(profile) {}

  std::unique_ptr<Explorer> ActiveExplorer() override {
    throw AutomationError(errors::kNoSupport,
                          u"ActiveExplorer: there is no mail client window showing a folder");
  }

  std::unique_ptr<Namespace> GetNamespace(const std::u16string& type) override {
    if (type != u"MAPI") {
      throw AutomationError(errors::kInvalidArgument,
                            text::Format(u"GetNamespace(\"%1\"): only the \"MAPI\" namespace exists", {type}));
    }
    return std::make_unique<InProcessNamespace>(profile_);
  }

 private:
  Profile& profile_;
};

}  // namespace

std::unique_ptr<Session> InProcessComponents::CreateRDOSession() {
  return std::make_unique<InProcessSession>(profile_);
}

std::unique_ptr<Application> InProcessComponents::CreateOutlookApplication() {
  return std::make_unique<InProcessApplication>(profile_);
}

}  // namespace quillonet::automation
