// pathLogger: the walk, with name-ordered siblings, a visited set against link loops, and unreadable folders noted.
#include "scanner/pathLogger.h"

#include "platform/folders.h"
#include "platform/regular_file.h"

#include <set>

namespace quillonet {
namespace {

std::u16string Key(std::int64_t n) { return u"K" + text::Number(n); }

}  // namespace

void pathLogger::PathLogInit() {
  ready_ = true;
  fullFileNamesOnly_ = true;
  fileNames_.reset();
  pathPointers_.reset();
  pathNames_.reset();
  fullFileNames_.reset();
  unreadable_.clear();
  notRegular_.clear();
}

void pathLogger::Terminate() {
  ready_ = false;
  fileNames_.reset();
  pathPointers_.reset();
  pathNames_.reset();
  fullFileNames_.reset();
  unreadable_.clear();
  notRegular_.clear();
}

std::shared_ptr<StringCollection> pathLogger::fileNames() {
  if (!fileNames_) fileNames_ = std::make_shared<StringCollection>();
  return fileNames_;
}

std::shared_ptr<StringCollection> pathLogger::pathNames() {
  if (!pathNames_) pathNames_ = std::make_shared<StringCollection>();
  return pathNames_;
}

std::shared_ptr<PointerCollection> pathLogger::pathPointers() {
  if (!pathPointers_) pathPointers_ = std::make_shared<PointerCollection>();
  return pathPointers_;
}

std::shared_ptr<StringCollection> pathLogger::fullFileNames() {
  if (!fullFileNames_) fullFileNames_ = std::make_shared<StringCollection>();
  return fullFileNames_;
}

void pathLogger::LogPath(const std::u16string& strPARENT) {
  if (!ready_) throw ScanError(ScanError::kObjectNotSet, u"The scanner was not initialised (PathLogInit)");
  if (platform::KindOf(strPARENT) != platform::PathKind::Folder) return;

  constexpr char16_t sep = platform::kSeparator;
  std::int32_t j = 1;
  std::int32_t i = 1;
  fileCounter_ = 1;
  std::u16string root = strPARENT;
  if (!platform::IsSeparator(root.back())) root += sep;
  const std::shared_ptr<StringCollection> folders = pathNames();
  folders->Add(root, u"K0");

  std::set<platform::FolderIdentity> walked;
  if (const auto id = platform::IdentityOf(root)) walked.insert(*id);

  const std::shared_ptr<StringCollection> full = fullFileNames();
  const std::shared_ptr<StringCollection> names = fullFileNamesOnly_ ? nullptr : fileNames();
  const std::shared_ptr<PointerCollection> pointers = fullFileNamesOnly_ ? nullptr : pathPointers();
  unreadable_.clear();
  notRegular_.clear();

  while (i <= j) {
    const std::u16string P = folders->Item(i);
    const platform::FolderListing listing = platform::ListFolder(P);
    if (listing.error) unreadable_.push_back(P);

    for (const platform::FolderEntry& entry : listing.entries) {
      if (entry.kind != platform::EntryKind::Folder) continue;
      std::u16string sub = P + entry.name + sep;
      const auto id = platform::IdentityOf(sub);
      if (id && !walked.insert(*id).second) continue;  // walked already
      ++j;
      folders->Add(sub, Key(j));
    }
    for (const platform::FolderEntry& entry : listing.entries) {
      if (entry.kind == platform::EntryKind::Other) notRegular_.push_back(P + entry.name);
    }
    for (const platform::FolderEntry& entry : listing.entries) {
      if (entry.kind != platform::EntryKind::RegularFile) continue;
      const std::u16string key = Key(fileCounter_);
      if (fullFileNamesOnly_) {
        full->Add(P + entry.name, key);
      } else {
        names->Add(entry.name, key);
        full->Add(P + entry.name, key);
        pointers->Add(i, key);
      }
      ++fileCounter_;
    }
    ++i;
  }
}

}  // namespace quillonet
