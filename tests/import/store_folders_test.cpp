// Relative folders, the folder list, the walk by path and folder creation,
// against the recording stand-in.
#include <gtest/gtest.h>

#include <QDir>

#include "fake_automation.h"
#include "import/failures.h"
#include "import/store_folders.h"
#include "recording_view.h"

namespace quillonet {
namespace {

using testing::FakeComponents;
using testing::FakeWorld;
using testing::VectorFileList;

TEST(ImportRelativeFolder, WindowsAndPosixForms) {
  EXPECT_EQ(GetRelativeFolder(u"C:\\Cards\\Work\\team.vcf"), u"Cards\\Work");
  EXPECT_EQ(GetRelativeFolder(u"  C:\\Cards\\a.vcf  "), u"Cards");
  EXPECT_EQ(GetRelativeFolder(u"D:\\Export\\a.vcf"), u"Export");
  EXPECT_EQ(GetRelativeFolder(u"/home/ann/Cards/Work/a.vcf"), u"home\\ann\\Cards\\Work");
  EXPECT_EQ(GetRelativeFolder(u"/home//ann/./Cards/a.vcf"), u"home\\ann\\Cards");
  EXPECT_EQ(GetRelativeFolder(u"/srv/a:b/x.vcf"), u"srv\\a:b");  // a colon in a POSIX name is no drive
}

TEST(ImportRelativeFolder, FailsWithoutDriveOrFolder) {
  EXPECT_THROW(GetRelativeFolder(u"C:\\a.vcf"), PathError);
  EXPECT_THROW(GetRelativeFolder(u"/a.vcf"), PathError);
  EXPECT_THROW(GetRelativeFolder(u"Cards\\a.vcf"), PathError);
  EXPECT_THROW(GetRelativeFolder(u""), PathError);
  EXPECT_THROW(GetRelativeFolder(u"C:"), PathError);
}

// On Windows a file's folder is found as on POSIX: Z:\a\b\x.vcf lands in
// a\b as /a/b/x.vcf does, whatever form the path is written in.
TEST(ImportRelativeFolder, WindowsRulesGiveTheFolderPosixGives) {
  constexpr platform::PathStyle kWin = platform::PathStyle::Windows;
  EXPECT_EQ(GetRelativeFolder(u"/a/b/x.vcf", platform::PathStyle::Posix), u"a\\b");
  for (const std::u16string row :
       {u"Z:\\a\\b\\x.vcf", u"z:/a/b/x.vcf", u" Z:\\a\\.\\c\\..\\b\\\\x.vcf ", u"\\\\srv\\share\\a\\b\\x.vcf",
        u"\\\\?\\Z:\\a\\b\\x.vcf", u"\\\\?\\UNC\\srv\\share\\a\\b\\x.vcf", u"/a/b/x.vcf", u"\\a\\b\\x.vcf"}) {
    EXPECT_EQ(GetRelativeFolder(row, kWin), u"a\\b") << QString::fromStdU16String(row).toStdString();
  }
  // A file in a root folder (a share is one) is named, not imported; a
  // relative path has no drive at all.
  for (const std::u16string row : {u"Z:\\x.vcf", u"Z:\\a\\..\\x.vcf", u"\\\\srv\\share\\x.vcf", u"/x.vcf"}) {
    EXPECT_THROW(GetRelativeFolder(row, kWin), RootFileError) << QString::fromStdU16String(row).toStdString();
  }
  for (const std::u16string row : {u"a\\x.vcf", u"C:a\\x.vcf", u""}) {
    try {
      GetRelativeFolder(row, kWin);
      ADD_FAILURE() << QString::fromStdU16String(row).toStdString();
    } catch (const RootFileError&) {
      ADD_FAILURE() << QString::fromStdU16String(row).toStdString();
    } catch (const PathError&) {
    }
  }
  EXPECT_EQ(ListedFilePath(u"/a/x.vcf ", kWin), u"/a/x.vcf");
  EXPECT_EQ(ListedFilePath(u"/a/x.vcf ", platform::PathStyle::Posix), u"/a/x.vcf ");
}

// Paths are cleaned by text alone, exactly as the window's toolkit cleans
// them, so both front ends give a file the same folder.
TEST(ImportCleanPath, AgreesWithTheToolkitOnEveryShortPath) {
  const char16_t alphabet[] = {u'a', u'.', u'/', u' '};
  std::u16string path;
  for (int length = 0; length <= 7; ++length) {
    int total = 1;
    for (int i = 0; i < length; ++i) total *= 4;
    for (int k = 0; k < total; ++k) {
      path.clear();
      for (int i = 0, v = k; i < length; ++i, v /= 4) path.push_back(alphabet[v % 4]);
      ASSERT_EQ(CleanPath(path), QDir::cleanPath(QString::fromStdU16String(path)).toStdU16String())
          << QString::fromStdU16String(path).toStdString();
    }
  }
}

QStringList FolderListOf(const QStringList& paths) {
  VectorFileList files;
  files.set(paths);
  int yields = 0;
  QStringList list;
  for (const std::u16string& folder : BuildFolderList(files, [&] { ++yields; })) list << QString::fromStdU16String(folder);
  return list;
}

TEST(ImportFolderList, AncestorsOnceParentsFirst) {
  EXPECT_EQ(FolderListOf({"C:\\x\\y\\1.vcf", "C:\\x\\z\\2.vcf", "D:\\w\\3.vcf"}),
            (QStringList{"w", "x", "x\\y", "x\\z"}));
  EXPECT_EQ(FolderListOf({"C:\\Cards\\Work\\a.vcf", "D:\\Cards\\b.vcf", "C:\\Cards\\Work\\c.vcf"}),
            (QStringList{"Cards", "Cards\\Work"}));
  EXPECT_EQ(FolderListOf({"C:\\a\\b\\c\\d.vcf"}), (QStringList{"a", "a\\b", "a\\b\\c"}));
  EXPECT_EQ(FolderListOf({"C:\\Data\\1.vcf", "C:\\DATA\\2.vcf", "/data/3.vcf"}),
            (QStringList{"DATA", "Data", "data"}));
}

TEST(ImportFolderList, ABadRowFailsAFileInARootFolderAddsNoFolder) {
  EXPECT_THROW(FolderListOf({}), PathError);  // the single empty row
  EXPECT_THROW(FolderListOf({"C:\\Cards\\a.vcf", "no drive.vcf"}), PathError);
  EXPECT_EQ(FolderListOf({"C:\\Cards\\a.vcf", "C:\\root.vcf", "/top.vcf"}), (QStringList{"Cards"}));
}

TEST(ImportOpenMAPIFolder, WalksByNameAndSkipsWhatIsMissing) {
  FakeWorld world;
  FakeComponents components(world);
  auto store = std::make_shared<testing::FakeStore>();
  store->displayName = "S";
  world.profile.push_back(store);
  auto other = std::make_shared<testing::FakeStore>();
  other->displayName = "a";
  world.profile.push_back(other);
  // S holds a, which holds b and c; the store named "a" holds nothing.
  auto a = std::make_shared<testing::FakeFolder>();
  a->name = "a";
  for (const char* name : {"b", "c"}) {
    auto f = std::make_shared<testing::FakeFolder>();
    f->name = name;
    a->children.push_back(f);
  }
  store->root->children.push_back(a);

  auto nameOf = [&](const QString& path) {
    auto folder = OpenMAPIFolder(components, path.toStdU16String());
    return folder ? QString::fromStdU16String(folder->Name()) : QStringLiteral("<none>");
  };
  EXPECT_EQ(nameOf("\\S\\a\\b"), "b");
  EXPECT_EQ(nameOf("\\S\\a\\x\\b"), "b");     // x is skipped
  EXPECT_EQ(nameOf("\\S\\a\\x"), "a");        // the parent of a missing last name
  EXPECT_EQ(nameOf("\\S\\a\\\\c"), "c");      // an empty name is skipped
  EXPECT_EQ(nameOf("\\T\\a"), "a");           // no store T: "a" is looked up at the top
  EXPECT_EQ(nameOf("\\T\\U"), "<none>");
  EXPECT_EQ(nameOf("S\\a"), "a");             // no client window: starts at the top
  EXPECT_EQ(nameOf(""), "<none>");

  world.hasExplorer = true;
  world.explorerFolder = a;
  EXPECT_EQ(nameOf("c"), "c");  // relative to the folder the window shows
  EXPECT_EQ(nameOf(""), "a");

  world.failCalls("CreateOutlookApplication");
  EXPECT_EQ(nameOf("\\S\\a"), "<none>");
}

TEST(ImportCreateStoreFolders, CreatesParentsFirstAndKeepsAnExistingTopFolder) {
  FakeWorld world;
  FakeComponents components(world);
  auto session = components.CreateRDOSession();
  auto store = session->Stores()->AddPSTStore(u"/out/x.pst", 1, u"S");
  const std::vector<std::uint8_t> id = store->EntryID();
  // "Cards" exists already at the top of the store.
  store->IPMRootFolder()->Folders()->Add(u"Cards", 10);
  world.calls.clear();

  CreateStoreFolders(session.get(), id, u"S", {u"Cards", u"Cards\\Work", u"DATA", u"Data", u"x", u"x\\y", u"x\\y\\z"},
                     components, [] {});
  EXPECT_EQ(world.profile[0]->root->tree(),
            (QStringList{"Cards", "Cards\\Work", "DATA", "Data", "x", "x\\y", "x\\y\\z"}));
  // Top-level folders are added through the store found by its ID; nested
  // ones through the folder walk to their parent.
  EXPECT_EQ(world.callsStartingWith("Folders.Add"),
            (QStringList{"Folders.Add(Work, 10)", "Folders.Add(DATA, 10)", "Folders.Add(Data, 10)",
                         "Folders.Add(x, 10)", "Folders.Add(y, 10)", "Folders.Add(z, 10)"}));
  EXPECT_EQ(world.callsStartingWith("Stores.GetStoreFromID").size(), 4);
  EXPECT_TRUE(world.calls.contains("Folders.Item(\"S\")"));
}

TEST(ImportCreateStoreFolders, FailuresAreSkipped) {
  FakeWorld world;
  FakeComponents components(world);
  auto session = components.CreateRDOSession();
  auto store = session->Stores()->AddPSTStore(u"/out/x.pst", 1, u"S");
  const std::vector<std::uint8_t> id = store->EntryID();
  world.failCall("Folders.Add(a, 10)", 1);
  world.failCall("Folders.Count", 2);  // the walk for "c" fails: "c" is not added
  CreateStoreFolders(session.get(), id, u"S", {u"a", u"a\\b", u"c", u"d"}, components, [] {});
  // a failed, so its child lands where the walk stopped: at the store's top.
  EXPECT_EQ(world.profile[0]->root->tree(), (QStringList{"b", "d"}));
}

}  // namespace
}  // namespace quillonet
