// The profile: adding, finding and removing stores; closing at the end.
#include "automation/profile.h"

#include <algorithm>
#include <optional>

#include "platform/native_path.h"
#include "platform/regular_file.h"

#include "automation/dist_list.h"
#include "automation/error.h"
#include "automation/writer_error.h"
#include "pst/error.h"
#include "pst/messaging/store.h"
#include "util/text.h"

namespace quillonet::automation {

ProfileStore::ProfileStore() : lists(std::make_unique<DistributionLists>()) {}
ProfileStore::~ProfileStore() = default;

pst::Store& ProfileStore::open() {
  if (!inProfile || !pst) {
    throw AutomationError(errors::kObjectDeleted,
                          text::Format(u"The store \"%1\" has been removed from the profile", {displayName}));
  }
  return *pst;
}

Profile& Profile::instance() {
  static Profile profile;
  return profile;
}

Profile::Profile() : options_(std::make_unique<pst::StoreOptions>()) {}
Profile::Profile(const pst::StoreOptions& options) : options_(std::make_unique<pst::StoreOptions>(options)) {}

Profile::~Profile() {
  for (const auto& store : stores_) {
    if (!store->pst) continue;
    try {
      if (store->lists->pending()) store->lists->complete(*store->pst);
      store->pst->close();
    } catch (const std::exception&) {
      // Nothing is left to report to at the end of the process; the writer
      // keeps the last committed state of the file.
    }
    store->pst.reset();
    store->inProfile = false;
  }
}

std::shared_ptr<ProfileStore> Profile::add(const std::u16string& path, const std::u16string& displayName) {
  if (path.empty()) throw AutomationError(errors::kInvalidArgument, u"The store file path is empty");
  if (findByName(displayName)) {
    throw AutomationError(errors::kCollision,
                          text::Format(u"A store named \"%1\" is already in the profile", {displayName}));
  }
  auto store = std::make_shared<ProfileStore>();
  store->path = path;
  store->displayName = displayName;
  try {
    store->pst = pst::Store::create(platform::FileSystemPath(path), displayName, *options_);
  } catch (const pst::Error& e) {
    if (e.kind() == pst::ErrorKind::Exists) {
      throw AutomationError(ErrorNumber(e.kind()),
                            text::Format(u"Cannot create the store file %1: the file already exists and is never "
                                         u"overwritten",
                                         {path}));
    }
    throw WriterError(text::Format(u"Cannot create the store file %1", {path}), e);
  }
  const auto& key = store->pst->recordKey();
  store->entryID.assign(key.begin(), key.end());
  stores_.push_back(store);
  return store;
}

void Profile::remove(const std::shared_ptr<ProfileStore>& store) {
  pst::Store& file = store->open();
  // Lists the import did not complete itself are written before the file
  // closes; a list is never lost with its store.
  std::optional<AutomationError> failure;
  try {
    if (store->lists->pending()) store->lists->complete(file);
  } catch (const pst::Error&) {
    // The store took no more writes; closing it says why and ends the file.
  }
  try {
    file.close();
  } catch (const pst::Error& e) {
    // The writer takes nothing more after a failure: the file is what it is.
    const bool full = e.kind() == pst::ErrorKind::DiskFull;
    failure.emplace(ErrorNumber(e.kind()), text::Format(u"The store file %1 could not be completed%2: %3",
                                                        {store->path, full ? u" (disk full)" : u"",
                                                         text::FromUtf8(e.what())}));
  }
  store->itemsInFile = static_cast<std::int64_t>(file.committedMessageCount());
  store->pst.reset();
  store->inProfile = false;
  stores_.erase(std::remove(stores_.begin(), stores_.end(), store), stores_.end());
  if (failure) throw *failure;
}

std::shared_ptr<ProfileStore> Profile::findById(const std::vector<std::uint8_t>& entryID) const {
  for (const auto& store : stores_) {
    if (store->entryID == entryID) return store;
  }
  return nullptr;
}

std::shared_ptr<ProfileStore> Profile::findByName(const std::u16string& displayName) const {
  for (const auto& store : stores_) {
    if (store->displayName == displayName) return store;
  }
  return nullptr;
}

}  // namespace quillonet::automation
