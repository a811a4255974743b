// The process-wide mail profile: the stores open in it, each a PST file
// written by our own writer, found by identifier or display name. Stores
// still in the profile when it ends (at process exit for the shared one)
// are committed and closed, so their files are complete on every path.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace pst {
class Store;
struct StoreOptions;
}

namespace quillonet::automation {

class DistributionLists;

// One store of the profile, shared by every reference to it.
struct ProfileStore {
  std::u16string path;
  std::u16string displayName;
  std::vector<std::uint8_t> entryID;
  std::unique_ptr<pst::Store> pst;
  // The contact groups saved into the store, written as lists at the end.
  std::unique_ptr<DistributionLists> lists;
  bool inProfile = true;
  std::int64_t itemsInFile = 0;  // once the file is closed: the items it holds

  ProfileStore();
  ~ProfileStore();
  // Throws AutomationError (object deleted) once the store left the profile.
  pst::Store& open();
};

class Profile {
 public:
  // The profile of this process.
  static Profile& instance();

  Profile();
  // A profile whose store files are written with these options.
  explicit Profile(const pst::StoreOptions& options);
  ~Profile();
  Profile(const Profile&) = delete;
  Profile& operator=(const Profile&) = delete;

  // Creates a new Unicode PST at path (never over an existing file) and adds
  // it under displayName, which no other store of the profile may have.
  std::shared_ptr<ProfileStore> add(const std::u16string& path, const std::u16string& displayName);
  // Writes the lists still waiting, commits and closes the store's file and
  // takes it out of the profile. When the file cannot be completed (a write
  // failed, now or earlier) it ends at its last good commit, the store leaves
  // the profile all the same and an error of the failure's kind says so.
  void remove(const std::shared_ptr<ProfileStore>& store);

  std::shared_ptr<ProfileStore> findById(const std::vector<std::uint8_t>& entryID) const;
  std::shared_ptr<ProfileStore> findByName(const std::u16string& displayName) const;
  const std::vector<std::shared_ptr<ProfileStore>>& stores() const { return stores_; }

 private:
  std::vector<std::shared_ptr<ProfileStore>> stores_;
  std::unique_ptr<pst::StoreOptions> options_;
};

}  // namespace quillonet::automation
