// Tests of adding dropped files and folders: what is taken, the messages, and when a drop is refused.
#include "filelist/file_drops.h"
#include "filelist/caption_label.h"
#include "filelist/file_grid.h"
#include "tests/filelist/scripted_dialogs.h"
#include "tests/scanner/test_tree.h"

#include <gtest/gtest.h>

using namespace quillonet;
using quillonet::test_support::AsUnprivilegedUser;
using quillonet::test_support::ScriptedDialogs;
using quillonet::test_support::TestTree;

namespace {
struct DropFixture : ::testing::Test, test_support::WithApp {
  FileGrid grid;
  CaptionLabel count{"0 files"};
  FileList list{grid, count};
  ScriptedDialogs dialogs;
  int importState = -1;
  std::function<void()> onYield = [] {};
  FileDrops drops{list, dialogs, [this](bool on) { importState = on ? 1 : 0; }, [this] { onYield(); },
                  [] { return false; }};

  static QUrl Local(const QString& path) { return QUrl::fromLocalFile(path); }
};
}  // namespace

TEST_F(DropFixture, LocalPathsAreTakenAsTheFileSystemNamesThem) {
  const DroppedItems items =
      LocalItems({QUrl("file:///home/ann/My%20Cards/a%23b.vcf"), QUrl("file:///home/ann/x/../y/"),
                  QUrl("file://localhost/srv/c.vcf"), QUrl("https://example.com/d.vcf"),
                  QUrl("file://fileserver/share/e.vcf")});
  EXPECT_EQ(items.paths, QStringList({"/home/ann/My Cards/a#b.vcf", "/home/ann/x/../y/", "/srv/c.vcf"}));
  EXPECT_EQ(items.notLocal, 2);
}

TEST_F(DropFixture, NothingAddedLeavesTheImportButtonAlone) {
  TestTree empty;
  EXPECT_TRUE(drops.Drop({Local("/cards/notes.txt"), Local(empty.QRoot())}));
  EXPECT_EQ(importState, -1);
  EXPECT_TRUE(list.IsEmpty());
  ASSERT_EQ(dialogs.messages.size(), 2u);
  EXPECT_EQ(dialogs.messages[0].text, "0 Files Added to List.");
  EXPECT_TRUE(dialogs.messages[1].text.startsWith("1 dropped item(s) not added"));
}

TEST_F(DropFixture, UnreadableFoldersOfADroppedFolderAreNamed) {
  TestTree t;
  t.File("a.vcf");
  t.Folder("locked");
  t.File("locked/b.vcf");
  ASSERT_EQ(::chmod(t.Path("locked").c_str(), 0), 0);
  {
    AsUnprivilegedUser nobody;
    EXPECT_TRUE(drops.Drop({Local(t.QRoot())}));
  }
  EXPECT_EQ(test_support::AsQt(list.Entries()), QStringList({t.QRoot() + "/a.vcf"}));
  ASSERT_EQ(dialogs.messages.size(), 2u);
  EXPECT_EQ(dialogs.messages[0].text, "1 Files Added to List.");
  EXPECT_TRUE(dialogs.messages[1].text.contains(t.QRoot() + "/locked/"));
}

TEST_F(DropFixture, RefusedWithoutLocalFilesAndWhileADropIsBeingAdded) {
  EXPECT_FALSE(drops.Accepts({QUrl("https://example.com/a.vcf")}));
  EXPECT_FALSE(drops.Accepts({}));
  EXPECT_TRUE(drops.Accepts({Local("/cards/a.vcf")}));

  // A second drop arriving while the first yields to the window is refused.
  bool secondTaken = true;
  bool tried = false;
  onYield = [&] {
    if (tried) return;
    tried = true;
    secondTaken = drops.Drop({Local("/cards/second.vcf")});
  };
  EXPECT_TRUE(drops.Drop({Local("/cards/first.vcf")}));
  EXPECT_FALSE(secondTaken);
  EXPECT_EQ(test_support::AsQt(list.Entries()), QStringList({"/cards/first.vcf"}));
  EXPECT_TRUE(drops.Accepts({Local("/cards/a.vcf")}));  // free again afterwards
  EXPECT_TRUE(dialogs.messages.empty());
}
