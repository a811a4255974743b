// The profile: adding, finding and removing stores; closing at the end.
#include "automation/profile.h"

#include <QFile>

#include <algorithm>

#include "automation/error.h"
#include "automation/writer_error.h"
#include "pst/error.h"
#include "pst/messaging/store.h"

namespace quillonet::automation {

ProfileStore::ProfileStore() = default;
ProfileStore::~ProfileStore() = default;

pst::Store& ProfileStore::open() {
  if (!inProfile || !pst) {
    throw AutomationError(errors::kObjectDeleted,
                          QStringLiteral("The store \"%1\" has been removed from the profile").arg(displayName));
  }
  return *pst;
}

Profile& Profile::instance() {
  static Profile profile;
  return profile;
}

Profile::Profile() = default;

Profile::~Profile() {
  for (const auto& store : stores_) {
    if (!store->pst) continue;
    try {
      store->pst->close();
    } catch (const std::exception&) {
      // Nothing is left to report to at the end of the process; the writer
      // keeps the last committed state of the file.
    }
    store->pst.reset();
    store->inProfile = false;
  }
}

std::shared_ptr<ProfileStore> Profile::add(const QString& path, const QString& displayName) {
  if (path.isEmpty()) throw AutomationError(errors::kInvalidArgument, QStringLiteral("The store file path is empty"));
  if (findByName(displayName)) {
    throw AutomationError(errors::kCollision,
                          QStringLiteral("A store named \"%1\" is already in the profile").arg(displayName));
  }
  auto store = std::make_shared<ProfileStore>();
  store->path = path;
  store->displayName = displayName;
  try {
    store->pst = pst::Store::create(std::filesystem::path(QFile::encodeName(path).toStdString()),
                                    displayName.toStdU16String());
  } catch (const pst::Error& e) {
    if (e.kind() == pst::ErrorKind::Exists) {
      throw AutomationError(ErrorNumber(e.kind()), QStringLiteral("Cannot create the store file %1: the file already "
                                                                  "exists and is never overwritten")
                                                       .arg(path));
    }
    throw WriterError(QStringLiteral("Cannot create the store file %1").arg(path), e);
  }
  const auto& key = store->pst->recordKey();
  store->entryID = QByteArray(reinterpret_cast<const char*>(key.data()), static_cast<qsizetype>(key.size()));
  stores_.push_back(store);
  return store;
}

void Profile::remove(const std::shared_ptr<ProfileStore>& store) {
  pst::Store& file = store->open();
  try {
    file.close();
  } catch (const pst::Error& e) {
    throw WriterError(QStringLiteral("Cannot complete the store file %1").arg(store->path), e);
  }
  store->pst.reset();
  store->inProfile = false;
  stores_.erase(std::remove(stores_.begin(), stores_.end(), store), stores_.end());
}

std::shared_ptr<ProfileStore> Profile::findById(const QByteArray& entryID) const {
  for (const auto& store : stores_) {
    if (store->entryID == entryID) return store;
  }
  return nullptr;
}

std::shared_ptr<ProfileStore> Profile::findByName(const QString& displayName) const {
  for (const auto& store : stores_) {
    if (store->displayName == displayName) return store;
  }
  return nullptr;
}

}  // namespace quillonet::automation
