// The recording stand-in for the mail components.
#include "fake_automation.h"

#include <QFile>

#include "automation/error.h"

namespace quillonet::testing {

using automation::AutomationError;
namespace errors = automation::errors;

std::shared_ptr<FakeFolder> FakeFolder::child(const QString& childName) const {
  for (const auto& c : children) {
    if (c->name == childName) return c;
  }
  return nullptr;
}

std::shared_ptr<FakeFolder> FakeFolder::find(const QString& path) const {
  std::shared_ptr<FakeFolder> at;
  const FakeFolder* current = this;
  for (const QString& part : path.split(QLatin1Char('\\'))) {
    at = current->child(part);
    if (!at) return nullptr;
    current = at.get();
  }
  return at;
}

QStringList FakeFolder::tree() const {
  QStringList out;
  for (const auto& c : children) {
    out << c->name;
    for (const QString& below : c->tree()) out << c->name + QLatin1Char('\\') + below;
  }
  return out;
}

void FakeWorld::failCall(const QString& prefix, int occurrence) { once_.push_back({prefix, occurrence}); }

void FakeWorld::enter(const QString& call) {
  const std::lock_guard lock(mutex_);
  calls << call;
  for (const QString& prefix : failing_) {
    if (call.startsWith(prefix)) throw AutomationError(errors::kCallFailed, U(QStringLiteral("injected: ") + call));
  }
  for (Once& once : once_) {
    if (call.startsWith(once.prefix) && ++once.seen == once.occurrence) {
      throw AutomationError(errors::kCallFailed, U(QStringLiteral("injected: ") + call));
    }
  }
}

QStringList FakeWorld::callsStartingWith(const QString& prefix) const {
  const std::lock_guard lock(mutex_);
  QStringList out;
  for (const QString& call : calls) {
    if (call.startsWith(prefix)) out << call;
  }
  return out;
}

std::shared_ptr<FakeStore> FakeWorld::storeNamed(const QString& displayName) const {
  for (const auto& store : profile) {
    if (store->displayName == displayName) return store;
  }
  return nullptr;
}

namespace {

class Item : public automation::ContactItem {
 public:
  Item(FakeWorld& world, std::shared_ptr<FakeFolder> folder) : world_(world), folder_(std::move(folder)) {}
  void Import(const std::u16string& path16, int format) override {
    const QString path = Q(path16);
    world_.enter(QStringLiteral("Item.Import(%1, %2)").arg(path).arg(format));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) throw AutomationError(errors::kNotFound, U(QStringLiteral("no file ") + path));
    item_->importedPath = path;
    item_->importedContent = file.readAll();
    if (item_->importedContent.toUpper().contains("KIND:GROUP")) {
      item_->messageClass = QString::fromUtf16(automation::kDistListClass);
    }
  }
  std::u16string MessageClass() override { return U(item_->messageClass); }
  void Save() override {
    world_.enter(QStringLiteral("Item.Save"));
    item_->saved = true;
    folder_->items.push_back(item_);
  }

 private:
  FakeWorld& world_;
  std::shared_ptr<FakeFolder> folder_;
  std::shared_ptr<FakeItem> item_ = std::make_shared<FakeItem>();
};

class Items : public automation::ItemCollection {
 public:
  Items(FakeWorld& world, std::shared_ptr<FakeFolder> folder) : world_(world), folder_(std::move(folder)) {}
  std::unique_ptr<automation::ContactItem> Add(int type) override {
    world_.enter(QStringLiteral("Items.Add(%1)").arg(type));
    return std::make_unique<Item>(world_, folder_);
  }

 private:
  FakeWorld& world_;
  std::shared_ptr<FakeFolder> folder_;
};

class Folder;

class Folders : public automation::FolderCollection {
 public:
  using List = std::vector<std::shared_ptr<FakeFolder>>;
  Folders(FakeWorld& world, std::shared_ptr<List> list, std::vector<QString> names = {})
      : world_(world), list_(list), names_(std::move(names)) {}
  int Count() override;
  std::unique_ptr<automation::Folder> Item(int index) override;
  std::unique_ptr<automation::Folder> Item(const std::u16string& name) override;
  std::unique_ptr<automation::Folder> Add(const std::u16string& name, int type) override;

 private:
  QString nameAt(std::size_t i) const { return names_.empty() ? (*list_)[i]->name : names_[i]; }
  FakeWorld& world_;
  std::shared_ptr<List> list_;
  std::vector<QString> names_;  // the namespace shows store roots under the stores' names
};

class Folder : public automation::Folder {
 public:
  Folder(FakeWorld& world, std::shared_ptr<FakeFolder> folder, QString name)
      : world_(world), folder_(std::move(folder)), name_(std::move(name)) {}
  std::u16string Name() override {
    world_.enter(QStringLiteral("Folder.Name"));
    return U(name_);
  }
  std::unique_ptr<automation::FolderCollection> Folders() override {
    world_.enter(QStringLiteral("Folder(%1).Folders").arg(name_));
    return std::make_unique<class Folders>(world_, std::shared_ptr<Folders::List>(folder_, &folder_->children));
  }
  std::unique_ptr<automation::ItemCollection> Items() override {
    world_.enter(QStringLiteral("Folder(%1).Items").arg(name_));
    return std::make_unique<class Items>(world_, folder_);
  }

 private:
  FakeWorld& world_;
  std::shared_ptr<FakeFolder> folder_;
  QString name_;
};

int Folders::Count() {
  world_.enter(QStringLiteral("Folders.Count"));
  return static_cast<int>(list_->size());
}

std::unique_ptr<automation::Folder> Folders::Item(int index) {
  world_.enter(QStringLiteral("Folders.Item(%1)").arg(index));
  if (index < 1 || static_cast<std::size_t>(index) > list_->size()) {
    throw AutomationError(errors::kInvalidArgument, U(QStringLiteral("index out of range")));
  }
  return std::make_unique<Folder>(world_, (*list_)[index - 1], nameAt(index - 1));
}

std::unique_ptr<automation::Folder> Folders::Item(const std::u16string& name16) {
  const QString name = Q(name16);
  world_.enter(QStringLiteral("Folders.Item(\"%1\")").arg(name));
  for (std::size_t i = 0; i < list_->size(); ++i) {
    if (nameAt(i) == name) return std::make_unique<Folder>(world_, (*list_)[i], name);
  }
  throw AutomationError(errors::kNotFound, U(QStringLiteral("no folder ") + name));
}

std::unique_ptr<automation::Folder> Folders::Add(const std::u16string& name16, int type) {
  const QString name = Q(name16);
  world_.enter(QStringLiteral("Folders.Add(%1, %2)").arg(name).arg(type));
  if (!names_.empty()) throw AutomationError(errors::kNoSupport, U(QStringLiteral("cannot add a store here")));
  for (const auto& f : *list_) {
    if (f->name == name) throw AutomationError(errors::kCollision, U(QStringLiteral("exists: ") + name));
  }
  auto folder = std::make_shared<FakeFolder>();
  folder->name = name;
  list_->push_back(folder);
  return std::make_unique<Folder>(world_, folder, name);
}

class Store : public automation::Store {
 public:
  Store(FakeWorld& world, std::shared_ptr<FakeStore> store) : world_(world), store_(std::move(store)) {}
  std::vector<std::uint8_t> EntryID() override {
    world_.enter(QStringLiteral("Store.EntryID"));
    return std::vector<std::uint8_t>(store_->entryID.begin(), store_->entryID.end());
  }
  std::unique_ptr<automation::Folder> IPMRootFolder() override {
    world_.enter(QStringLiteral("Store.IPMRootFolder"));
    return std::make_unique<Folder>(world_, store_->root, QStringLiteral("Top of Personal Folders"));
  }
  automation::DistListReport CompleteDistributionLists() override {
    world_.enter(QStringLiteral("Store.CompleteDistributionLists"));
    return world_.distLists;
  }
  void Remove() override {
    if (world_.onRemove) world_.onRemove();
    world_.enter(QStringLiteral("Store.Remove"));
    auto& p = world_.profile;
    for (auto it = p.begin(); it != p.end(); ++it) {
      if (*it == store_) {
        world_.removed.push_back(*it);
        p.erase(it);
        return;
      }
    }
    throw AutomationError(errors::kNotFound, U(QStringLiteral("not in the profile")));
  }
  // Not logged: the stand-in's own query, not a call of the components.
  std::int64_t ItemsInFile() override {
    std::int64_t count = 0;
    std::vector<const FakeFolder*> folders{store_->root.get()};
    while (!folders.empty()) {
      const FakeFolder* folder = folders.back();
      folders.pop_back();
      // An item saved without a successful import is no contact in a real file.
      for (const auto& item : folder->items) count += item->importedPath.isEmpty() ? 0 : 1;
      for (const auto& child : folder->children) folders.push_back(child.get());
    }
    return count;
  }

 private:
  FakeWorld& world_;
  std::shared_ptr<FakeStore> store_;
};

class Stores : public automation::StoreCollection {
 public:
  explicit Stores(FakeWorld& world) : world_(world) {}
  std::unique_ptr<automation::Store> AddPSTStore(const std::u16string& path16, int format,
                                                 const std::u16string& displayName16) override {
    const QString path = Q(path16);
    const QString displayName = Q(displayName16);
    world_.enter(QStringLiteral("Stores.AddPSTStore(%1, %2, %3)").arg(path).arg(format).arg(displayName));
    auto store = std::make_shared<FakeStore>();
    store->path = path;
    store->displayName = displayName;
    store->entryID = QByteArray("id-") + QByteArray::number(static_cast<int>(world_.profile.size() + world_.removed.size()));
    world_.profile.push_back(store);
    return std::make_unique<Store>(world_, store);
  }
  std::unique_ptr<automation::Store> GetStoreFromID(const std::vector<std::uint8_t>& id) override {
    const QByteArray entryID(reinterpret_cast<const char*>(id.data()), static_cast<qsizetype>(id.size()));
    world_.enter(QStringLiteral("Stores.GetStoreFromID(%1)").arg(QString::fromLatin1(entryID)));
    for (const auto& store : world_.profile) {
      if (store->entryID == entryID) return std::make_unique<Store>(world_, store);
    }
    throw AutomationError(errors::kNotFound, U(QStringLiteral("no store")));
  }

 private:
  FakeWorld& world_;
};

class Session : public automation::Session {
 public:
  explicit Session(FakeWorld& world) : world_(world) {}
  void Logon() override { world_.enter(QStringLiteral("Session.Logon")); }
  std::unique_ptr<automation::StoreCollection> Stores() override {
    world_.enter(QStringLiteral("Session.Stores"));
    return std::make_unique<class Stores>(world_);
  }
  std::unique_ptr<automation::Folder> GetFolderFromPath(const std::u16string& path16) override {
    const QString path = Q(path16);
    world_.enter(QStringLiteral("Session.GetFolderFromPath(%1)").arg(path));
    if (!path.startsWith(QLatin1String("\\\\"))) throw AutomationError(errors::kInvalidArgument, U(path));
    const QStringList parts = path.mid(2).split(QLatin1Char('\\'));
    auto store = world_.storeNamed(parts[0]);
    if (!store) throw AutomationError(errors::kNotFound, U(QStringLiteral("no store ") + parts[0]));
    std::shared_ptr<FakeFolder> folder = store->root;
    for (qsizetype i = 1; i < parts.size(); ++i) {
      folder = folder->child(parts[i]);
      if (!folder) throw AutomationError(errors::kNotFound, U(QStringLiteral("no folder ") + path));
    }
    return std::make_unique<Folder>(world_, folder, parts.last());
  }
  void Logoff() override { world_.enter(QStringLiteral("Session.Logoff")); }

 private:
  FakeWorld& world_;
};

class Namespace : public automation::Namespace {
 public:
  explicit Namespace(FakeWorld& world) : world_(world) {}
  std::unique_ptr<automation::FolderCollection> Folders() override {
    world_.enter(QStringLiteral("Namespace.Folders"));
    auto roots = std::make_shared<Folders::List>();
    std::vector<QString> names;
    for (const auto& store : world_.profile) {
      roots->push_back(store->root);
      names.push_back(store->displayName);
    }
    return std::make_unique<class Folders>(world_, roots, names);
  }

 private:
  FakeWorld& world_;
};

class Explorer : public automation::Explorer {
 public:
  explicit Explorer(FakeWorld& world) : world_(world) {}
  std::unique_ptr<automation::Folder> CurrentFolder() override {
    world_.enter(QStringLiteral("Explorer.CurrentFolder"));
    return std::make_unique<Folder>(world_, world_.explorerFolder, world_.explorerFolder->name);
  }

 private:
  FakeWorld& world_;
};

class Application : public automation::Application {
 public:
  explicit Application(FakeWorld& world) : world_(world) {}
  std::unique_ptr<automation::Explorer> ActiveExplorer() override {
    world_.enter(QStringLiteral("Application.ActiveExplorer"));
    if (!world_.hasExplorer) throw AutomationError(errors::kNoSupport, U(QStringLiteral("no explorer")));
    return std::make_unique<Explorer>(world_);
  }
  std::unique_ptr<automation::Namespace> GetNamespace(const std::u16string& type16) override {
    const QString type = Q(type16);
    world_.enter(QStringLiteral("Application.GetNamespace(%1)").arg(type));
    return std::make_unique<Namespace>(world_);
  }

 private:
  FakeWorld& world_;
};

}  // namespace

std::unique_ptr<automation::Session> FakeComponents::CreateRDOSession() {
  world_.enter(QStringLiteral("CreateRDOSession"));
  return std::make_unique<Session>(world_);
}

std::unique_ptr<automation::Application> FakeComponents::CreateOutlookApplication() {
  world_.enter(QStringLiteral("CreateOutlookApplication"));
  return std::make_unique<Application>(world_);
}

}  // namespace quillonet::testing
