// Tests of pathLogger: keys, Count, pathPointers, order, failures, links and unreadable folders.
#include "scanner/pathLogger.h"
#include "tests/scanner/test_tree.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace quillonet;
using quillonet::test_support::AsUnprivilegedUser;
using quillonet::test_support::TestTree;

namespace {
QStringList Values(const StringCollection& c) {
  QStringList out;
  for (const QString& s : c.Items()) out << s;
  return out;
}
QStringList Keys(const StringCollection& c) {
  QStringList out;
  for (int i = 1; i <= c.Count(); ++i) out << c.Key(i);
  return out;
}
int ErrorNumber(const std::function<void()>& f) {
  try {
    f();
  } catch (const ScanError& e) {
    return e.Number();
  }
  return 0;
}
}  // namespace

TEST(KeyedCollectionTest, PositionsFromOneAndUniqueKeys) {
  StringCollection c;
  c.Add("a", "K0");
  c.Add("b", "K2");
  EXPECT_EQ(c.Count(), 2);
  EXPECT_EQ(c.Item(1), "a");
  EXPECT_EQ(c.Item("K2"), "b");
  EXPECT_EQ(ErrorNumber([&] { c.Add("c", "K0"); }), 457);
  EXPECT_EQ(c.Count(), 2);
  EXPECT_EQ(ErrorNumber([&] { c.Item(0); }), 5);
  EXPECT_EQ(ErrorNumber([&] { c.Item(3); }), 5);
  EXPECT_EQ(ErrorNumber([&] { c.Item("K1"); }), 5);
}

TEST(PathLoggerTest, MissingRootLogsNothing) {
  pathLogger p;
  EXPECT_EQ(p.Count(), 0);
  p.PathLogInit();
  p.LogPath("/nonexistent/quillonet/root");
  p.LogPath("C:\\Cards");
  EXPECT_EQ(p.pathNames()->Count(), 0);
  EXPECT_EQ(p.fullFileNames()->Count(), 0);
  EXPECT_EQ(p.Count(), 0);
}

TEST(PathLoggerTest, EmptyRoot) {
  TestTree t;
  pathLogger p;
  p.PathLogInit();
  p.LogPath(t.Root());
  EXPECT_EQ(Values(*p.pathNames()), QStringList({t.Root() + "/"}));
  EXPECT_EQ(Keys(*p.pathNames()), QStringList({"K0"}));
  EXPECT_EQ(p.fullFileNames()->Count(), 0);
  EXPECT_EQ(p.Count(), 1);
}

TEST(PathLoggerTest, KeysCountAndParallelCollections) {
  TestTree t;
  t.File("one.vcf");
  t.File("two.txt");
  t.Folder("sub");
  t.File("sub/three.vcf");
  const QString r = t.Root() + "/";

  pathLogger p;
  p.PathLogInit();
  EXPECT_TRUE(p.fullFileNamesOnly());
  p.LogPath(t.Root());
  EXPECT_EQ(Values(*p.fullFileNames()), QStringList({r + "one.vcf", r + "two.txt", r + "sub/three.vcf"}));
  EXPECT_EQ(Keys(*p.fullFileNames()), QStringList({"K1", "K2", "K3"}));
  EXPECT_EQ(Values(*p.pathNames()), QStringList({r, r + "sub/"}));
  EXPECT_EQ(Keys(*p.pathNames()), QStringList({"K0", "K2"}));
  EXPECT_EQ(p.Count(), 4);
  EXPECT_EQ(p.fileNames()->Count(), 0);
  EXPECT_EQ(p.pathPointers()->Count(), 0);

  pathLogger q;
  q.PathLogInit();
  q.setFullFileNamesOnly(false);
  q.LogPath(r);  // with the trailing separator: the same paths
  EXPECT_EQ(Values(*q.fullFileNames()), Values(*p.fullFileNames()));
  EXPECT_EQ(Values(*q.fileNames()), QStringList({"one.vcf", "two.txt", "three.vcf"}));
  EXPECT_EQ(Keys(*q.fileNames()), QStringList({"K1", "K2", "K3"}));
  std::vector<qint32> pointers = q.pathPointers()->Items();
  EXPECT_EQ(pointers, (std::vector<qint32>{1, 1, 2}));
  EXPECT_EQ(q.pathPointers()->Item("K3"), 2);
}

TEST(PathLoggerTest, BreadthFirstInNameOrderEveryKindOfFile) {
  TestTree t;
  t.Folder("b/deep");
  t.Folder("a");
  t.File("z");
  t.File(".hidden");
  t.File("b/deep/x.VCF");
  t.File("b/y.bak");
  t.File("a/w.vcf");
  t.File("a/v.vcf");
  const QString r = t.Root() + "/";
  pathLogger p;
  p.PathLogInit();
  p.LogPath(t.Root());
  EXPECT_EQ(Values(*p.fullFileNames()),
            QStringList({r + ".hidden", r + "z", r + "a/v.vcf", r + "a/w.vcf", r + "b/y.bak", r + "b/deep/x.VCF"}));
  EXPECT_EQ(Values(*p.pathNames()), QStringList({r, r + "a/", r + "b/", r + "b/deep/"}));
  EXPECT_EQ(Keys(*p.pathNames()), QStringList({"K0", "K2", "K3", "K4"}));
}

TEST(PathLoggerTest, CallsOutOfOrderFail) {
  TestTree t;
  t.File("a.vcf");
  pathLogger fresh;
  EXPECT_EQ(ErrorNumber([&] { fresh.LogPath(t.Root()); }), 91);

  pathLogger twice;
  twice.PathLogInit();
  twice.LogPath(t.Root());
  EXPECT_EQ(twice.Count(), 2);
  EXPECT_EQ(ErrorNumber([&] { twice.LogPath(t.Root()); }), 457);  // "K0" again
  EXPECT_EQ(twice.Count(), 1);
  EXPECT_EQ(twice.fullFileNames()->Count(), 1);  // what was logged before stays

  twice.PathLogInit();  // a new scan starts from empty collections; Count stays
  EXPECT_EQ(twice.Count(), 1);
  EXPECT_EQ(twice.pathNames()->Count(), 0);
  twice.LogPath(t.Root());
  EXPECT_EQ(twice.pathNames()->Count(), 1);

  twice.Terminate();
  EXPECT_EQ(ErrorNumber([&] { twice.LogPath(t.Root()); }), 91);
}

TEST(PathLoggerTest, TerminateKeepsReferencesTakenBefore) {
  TestTree t;
  t.File("a.vcf");
  pathLogger p;
  p.PathLogInit();
  p.LogPath(t.Root());
  const std::shared_ptr<StringCollection> names = p.fullFileNames();
  p.Terminate();
  EXPECT_EQ(names->Count(), 1);
  EXPECT_EQ(names->Item("K1"), t.Root() + "/a.vcf");
  EXPECT_EQ(p.fullFileNames()->Count(), 0);  // the scanner's own is a new, empty one
  EXPECT_EQ(p.Count(), 2);
}

TEST(PathLoggerTest, LinksBackIntoTheTreeAreNotWalkedTwice) {
  TestTree t;
  t.Folder("a/b");
  t.File("a/b/card.vcf");
  t.Link("a/b/up", t.Path("a"));    // loop
  t.Link("self", t.Path(""));       // loop to the root
  t.Link("again", t.Path("a/b"));   // a second way to the same folder
  t.Folder("real");
  t.File("real/r.vcf");
  t.Link("a/elsewhere", t.Path("real"));  // real/ is walked first (one level up)
  pathLogger p;
  p.PathLogInit();
  p.LogPath(t.Root());
  const QString r = t.Root() + "/";
  // Breadth-first in name order: again/ (the link) is reached before a/b/,
  // real/ before a/elsewhere/; the root and a/ are never entered again.
  EXPECT_EQ(Values(*p.pathNames()), QStringList({r, r + "a/", r + "again/", r + "real/"}));
  EXPECT_EQ(Values(*p.fullFileNames()), QStringList({r + "again/card.vcf", r + "real/r.vcf"}));
}

TEST(PathLoggerTest, UnreadableFolderDoesNotEndTheWalk) {
  TestTree t;
  t.Folder("open/inner");
  t.Folder("closed/hidden");
  t.File("top.vcf");
  t.File("open/inner/deep.vcf");
  t.File("closed/secret.vcf");
  t.File("closed/hidden/more.vcf");
  t.Folder("zlast");
  t.File("zlast/z.vcf");
  ASSERT_EQ(::chmod(t.Path("closed").c_str(), 0), 0);

  pathLogger p;
  p.PathLogInit();
  {
    AsUnprivilegedUser nobody;
    p.LogPath(t.Root());
  }
  const QString r = t.Root() + "/";
  EXPECT_EQ(Values(*p.fullFileNames()), QStringList({r + "top.vcf", r + "zlast/z.vcf", r + "open/inner/deep.vcf"}));
  EXPECT_EQ(p.unreadableFolders(), QStringList({r + "closed/"}));
  EXPECT_EQ(p.Count(), 4);
}

TEST(PathLoggerTest, UnreadableRootIsNotedToo) {
  TestTree t;
  t.Folder("locked");
  t.File("locked/a.vcf");
  ASSERT_EQ(::chmod(t.Path("locked").c_str(), 0), 0);
  pathLogger p;
  p.PathLogInit();
  {
    AsUnprivilegedUser nobody;
    p.LogPath(t.Root() + "/locked");
  }
  EXPECT_EQ(p.fullFileNames()->Count(), 0);
  EXPECT_EQ(p.unreadableFolders(), QStringList({t.Root() + "/locked/"}));
  EXPECT_EQ(p.Count(), 1);
}
