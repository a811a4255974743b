// Relative folders, the folder list, the folder walk and folder creation.
#include "import/store_folders.h"

#include <QDir>

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

// The directory part of a path, as text the run works with.
QString DirectoryPart(const QString& path) {
  return QString::fromStdU16String(GetDirectoryPart(path.toStdU16String()));
}

QString DropLastSeparator(const QString& rowText, QString directory) {
  if (directory.isEmpty()) {
    throw RootFileError(QStringLiteral("\"%1\" lies directly in the root folder of its drive; "
                                   "only files inside a folder can be imported")
                        .arg(rowText));
  }
  directory.chop(1);
  return directory;
}

}  // namespace

QString GetRelativeFolder(const QString& rowText) {
  const QString text = TrimSpaces(rowText);
  if (text.startsWith(QLatin1Char('/'))) {
    // POSIX form: the root stands for the drive.
    const QString rest = QDir::cleanPath(text).mid(1);
    QString folder = DropLastSeparator(rowText, rest.isEmpty() ? QString() : DirectoryPart(rest));
    folder.replace(QLatin1Char('/'), QLatin1Char('\\'));
    return folder;
  }
  const QStringList pieces = text.split(QLatin1Char(':'));
  if (pieces.size() < 2) {
    throw PathError(QStringLiteral("\"%1\" is not a full path with a drive or root").arg(rowText));
  }
  // The text after the drive's colon, without the separator that follows it.
  const QString afterDrive = TrimSpaces(pieces[1]).mid(1);
  return DropLastSeparator(rowText, afterDrive.isEmpty() ? QString() : DirectoryPart(afterDrive));
}

QString ListedFilePath(const QString& rowText) {
  return rowText.startsWith(QLatin1Char('/')) ? rowText : TrimSpaces(rowText);
}

QStringList BuildFolderList(FileListSource& files, const std::function<void()>& yield) {
  const int rows = files.Rows();
  if (rows < 1) throw PathError(QStringLiteral("The file list is empty"));
  std::vector<std::u16string> list(static_cast<std::size_t>(rows) + 1);  // the last entry stays empty
  int kept = 0;
  for (int r = 0; r < rows; ++r) {
    files.setCurrentCell(r, 0);
    try {
      list[static_cast<std::size_t>(kept)] = GetRelativeFolder(files.Text()).toStdU16String();
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
  QStringList result;
  result.reserve(static_cast<qsizetype>(list.size()));
  for (const std::u16string& folder : list) result << QString::fromStdU16String(folder);
  return result;
}

std::unique_ptr<automation::Folder> OpenMAPIFolder(automation::ComponentFactory& components,
                                                   QString szPath) {
  std::unique_ptr<automation::Folder> folder;
  std::unique_ptr<automation::Application> app;
  Skip([&] { app = components.CreateOutlookApplication(); });

  if (szPath.startsWith(QLatin1Char('\\'))) {
    szPath.remove(0, 1);
  } else {
    Skip([&] {
      auto explorer = Require(app, "mail client").ActiveExplorer();
      auto current = Require(explorer, "explorer window").CurrentFolder();
      folder = std::move(current);
    });
  }

  while (!szPath.isEmpty()) {
    const qsizetype p = szPath.indexOf(QLatin1Char('\\'));
    QString name;
    if (p >= 0) {
      name = szPath.left(p);
      szPath = szPath.mid(p + 1);
    } else {
      name = szPath;
      szPath.clear();
    }
    Skip([&] {
      std::unique_ptr<automation::FolderCollection> candidates;
      if (!folder) {
        auto ns = Require(app, "mail client").GetNamespace(QStringLiteral("MAPI"));
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

void CreateStoreFolders(automation::Session* session, const QByteArray& storeID,
                        const QString& storeDisplayName, const QStringList& folderList,
                        automation::ComponentFactory& components, const std::function<void()>& yield) {
  for (const QString& entry : folderList) {
    const qsizetype lastSeparator = entry.lastIndexOf(QLatin1Char('\\'));
    if (lastSeparator < 0) {
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
      const QString leaf = entry.mid(lastSeparator + 1);
      const QString parentPath = entry.left(lastSeparator);
      auto parent = OpenMAPIFolder(components, QLatin1Char('\\') + storeDisplayName + QLatin1Char('\\') + parentPath);
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
