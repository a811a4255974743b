// Relative folders, the folder list, the folder walk and folder creation.
#include "import/store_folders.h"

#include <string>
#include <vector>

#include "import/failures.h"
#include "import/text_lines.h"
#include "util/modMain.h"
#include "util/registry.h"
#include "util/text.h"

namespace quillonet {

using automation::Require;

namespace {

std::u16string DropLastSeparator(std::u16string_view rowText, std::u16string directory) {
  if (directory.empty()) {
    throw RootFileError(text::Format(u"\"%1\" lies directly in the root folder of its drive; "
                                     u"only files inside a folder can be imported",
                                     {rowText}));
  }
  directory.pop_back();
  return directory;
}

}  // namespace

std::u16string GetRelativeFolder(std::u16string_view rowText, platform::PathStyle style) {
  const std::u16string text = TrimSpaces(rowText);
  if (style == platform::PathStyle::Windows) {
    const platform::PathRoot root = platform::RootOf(text, style);
    if (root.kind != platform::RootKind::Absolute && root.kind != platform::RootKind::CurrentDrive) {
      throw PathError(text::Format(u"\"%1\" is not a full path with a drive or root", {rowText}));
    }
    const std::u16string clean = CleanPath(text, style);
    const std::u16string_view rest = std::u16string_view(clean).substr(platform::RootOf(clean, style).length);
    return DropLastSeparator(rowText, rest.empty() ? std::u16string() : GetDirectoryPart(rest));
  }
  if (text.starts_with(u'/')) {
    // POSIX form: the root stands for the drive.
    const std::u16string rest = CleanPath(text, style).substr(1);
    std::u16string folder = DropLastSeparator(rowText, rest.empty() ? std::u16string() : GetDirectoryPart(rest));
    for (char16_t& c : folder) {
      if (c == u'/') c = u'\\';
    }
    return folder;
  }
  const std::vector<std::u16string> pieces = text::Split(text, u":");
  if (pieces.size() < 2) {
    throw PathError(text::Format(u"\"%1\" is not a full path with a drive or root", {rowText}));
  }
  // The text after the drive's colon, without the separator that follows it.
  const std::u16string afterDrive = TrimSpaces(pieces[1]);
  const std::u16string_view rest = std::u16string_view(afterDrive).substr(afterDrive.empty() ? 0 : 1);
  return DropLastSeparator(rowText, rest.empty() ? std::u16string() : GetDirectoryPart(rest));
}

std::u16string ListedFilePath(std::u16string_view rowText, platform::PathStyle style) {
  return style == platform::PathStyle::Posix && rowText.starts_with(u'/') ? std::u16string(rowText)
                                                                          : TrimSpaces(rowText);
}

std::vector<std::u16string> BuildFolderList(FileListSource& files, const std::function<void()>& yield) {
  const int rows = files.Rows();
  if (rows < 1) throw PathError(u"The file list is empty");
  std::vector<std::u16string> list(static_cast<std::size_t>(rows) + 1);  // the last entry stays empty
  int kept = 0;
  for (int r = 0; r < rows; ++r) {
    files.setCurrentCell(r, 0);
    try {
      list[static_cast<std::size_t>(kept)] = GetRelativeFolder(files.Text());
      ++kept;
    } catch (const RootFileError&) {
      // Named by the run as not imported; the other files still are.
    }
  }
  list.resize(static_cast<std::size_t>(kept) + 1);
  if (kept > 0) SortStrings(list, 0, kept - 1);
  yield();
  RemoveDuplicates(list);

  // Add every ancestor of each folder (and the folder itself once more).
  const std::size_t folders = list.size();
  for (std::size_t i = 0; i < folders; ++i) {
    const std::vector<std::u16string> parts = text::Split(list[i], u"\\");
    std::u16string path = parts[0];
    list.push_back(path);
    for (std::size_t k = 1; k < parts.size(); ++k) {
      path += u'\\';
      path += parts[k];
      list.push_back(path);
    }
  }
  yield();
  if (!list.empty()) SortStrings(list, 0, static_cast<int>(list.size()) - 1);
  yield();
  RemoveDuplicates(list);
  return list;
}

std::unique_ptr<automation::Folder> OpenMAPIFolder(automation::ComponentFactory& components,
                                                   std::u16string szPath) {
  std::unique_ptr<automation::Folder> folder;
  std::unique_ptr<automation::Application> app;
  Skip([&] { app = components.CreateOutlookApplication(); });

  if (szPath.starts_with(u'\\')) {
    szPath.erase(0, 1);
  } else {
    Skip([&] {
      auto explorer = Require(app, "mail client").ActiveExplorer();
      auto current = Require(explorer, "explorer window").CurrentFolder();
      folder = std::move(current);
    });
  }

  while (!szPath.empty()) {
    const std::size_t p = szPath.find(u'\\');
    std::u16string name;
    if (p != std::u16string::npos) {
      name = szPath.substr(0, p);
      szPath.erase(0, p + 1);
    } else {
      name = std::move(szPath);
      szPath.clear();
    }
    Skip([&] {
      std::unique_ptr<automation::FolderCollection> candidates;
      if (!folder) {
        auto ns = Require(app, "mail client").GetNamespace(u"MAPI");
        candidates = Require(ns, "namespace").Folders();
      } else {
        candidates = folder->Folders();
      }
      auto next = Require(candidates, "folder list").Item(name);
      Require(next, "folder");
      folder = std::move(next);
    });
  }
  return folder;
}

void CreateStoreFolders(automation::Session* session, const std::vector<std::uint8_t>& storeID,
                        const std::u16string& storeDisplayName, const std::vector<std::u16string>& folderList,
                        automation::ComponentFactory& components, const std::function<void()>& yield) {
  for (const std::u16string& entry : folderList) {
    const std::size_t lastSeparator = entry.rfind(u'\\');
    if (lastSeparator == std::u16string::npos) {
      // A top-level folder: added unless the store's top already has it.
      std::unique_ptr<automation::Store> store;
      Skip([&] { store = Require(Require(session, "session").Stores(), "store list").GetStoreFromID(storeID); });
      bool found = false;
      const bool walked = Skip([&] {
        auto root = Require(store, "store").IPMRootFolder();
        auto folders = Require(root, "root folder").Folders();
        const int count = Require(folders, "folder list").Count();
        for (int k = 1; k <= count; ++k) {
          auto folder = folders->Item(k);
          if (Require(folder, "folder").Name() == entry) found = true;
        }
      });
      if (walked && !found) {
        Skip([&] {
          auto root = Require(store, "store").IPMRootFolder();
          auto added = Require(Require(root, "root folder").Folders(), "folder list")
                           .Add(entry, automation::olFolderContacts);
        });
      }
      yield();
      store.reset();
    } else {
      const std::u16string leaf = entry.substr(lastSeparator + 1);
      auto parent = OpenMAPIFolder(components, u"\\" + storeDisplayName + u"\\" + entry.substr(0, lastSeparator));
      yield();
      std::unique_ptr<automation::Folder> added;
      Skip([&] {
        added = Require(Require(parent, "parent folder").Folders(), "folder list")
                    .Add(leaf, automation::olFolderContacts);
      });
      yield();
      added.reset();
      parent.reset();
    }
  }
}

}  // namespace quillonet
