// Tests of pathLogger: keys, Count, pathPointers, order, failures, links and unreadable folders.
#include "scanner/pathLogger.h"
#include "tests/scanner/test_tree.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace quillonet;
using quillonet::test_support::AsUnprivilegedUser;
using quillonet::test_support::TestTree;

namespace {
using List = std::vector<std::u16string>;
List Values(const StringCollection& c) { return c.Items(); }
List Keys(const StringCollection& c) {
  List out;
  for (int i = 1; i <= c.Count(); ++i) out.push_back(c.Key(i));
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
  c.Add(u"a", u"K0");
  c.Add(u"b", u"K2");
  EXPECT_EQ(c.Count(), 2);
  EXPECT_EQ(c.Item(1), u"a");
  EXPECT_EQ(c.Item(u"K2"), u"b");
  EXPECT_EQ(ErrorNumber([&] { c.Add(u"c", u"K0"); }), 457);
  EXPECT_EQ(c.Count(), 2);
  EXPECT_EQ(ErrorNumber([&] { c.Item(0); }), 5);
  EXPECT_EQ(ErrorNumber([&] { c.Item(3); }), 5);
  EXPECT_EQ(ErrorNumber([&] { c.Item(u"K1"); }), 5);
}

TEST(PathLoggerTest, MissingRootLogsNothing) {
  pathLogger p;
  EXPECT_EQ(p.Count(), 0);
  p.PathLogInit();
  p.LogPath(u"/nonexistent/quillonet/root");
  p.LogPath(u"C:\\Cards");
  EXPECT_EQ(p.pathNames()->Count(), 0);
  EXPECT_EQ(p.fullFileNames()->Count(), 0);
  EXPECT_EQ(p.Count(), 0);
}

TEST(PathLoggerTest, EmptyRoot) {
  TestTree t;
  pathLogger p;
  p.PathLogInit();
  p.LogPath(t.Root());
  EXPECT_EQ(Values(*p.pathNames()), List({t.Root() + u"/"}));
  EXPECT_EQ(Keys(*p.pathNames()), List({u"K0"}));
  EXPECT_EQ(p.fullFileNames()->Count(), 0);
  EXPECT_EQ(p.Count(), 1);
}

TEST(PathLoggerTest, KeysCountAndParallelCollections) {
  TestTree t;
  t.File("one.vcf");
  t.File("two.txt");
  t.Folder("sub");
  t.File("sub/three.vcf");
  const std::u16string r = t.Root() + u"/";

  pathLogger p;
  p.PathLogInit();
  EXPECT_TRUE(p.fullFileNamesOnly());
  p.LogPath(t.Root());
  EXPECT_EQ(Values(*p.fullFileNames()), List({r + u"one.vcf", r + u"two.txt", r + u"sub/three.vcf"}));
  EXPECT_EQ(Keys(*p.fullFileNames()), List({u"K1", u"K2", u"K3"}));
  EXPECT_EQ(Values(*p.pathNames()), List({r, r + u"sub/"}));
  EXPECT_EQ(Keys(*p.pathNames()), List({u"K0", u"K2"}));
  EXPECT_EQ(p.Count(), 4);
  EXPECT_EQ(p.fileNames()->Count(), 0);
  EXPECT_EQ(p.pathPointers()->Count(), 0);

  pathLogger q;
  q.PathLogInit();
  q.setFullFileNamesOnly(false);
  q.LogPath(r);  // with the trailing separator: the same paths
  EXPECT_EQ(Values(*q.fullFileNames()), Values(*p.fullFileNames()));
  EXPECT_EQ(Values(*q.fileNames()), List({u"one.vcf", u"two.txt", u"three.vcf"}));
  EXPECT_EQ(Keys(*q.fileNames()), List({u"K1", u"K2", u"K3"}));
  std::vector<std::int32_t> pointers = q.pathPointers()->Items();
  EXPECT_EQ(pointers, (std::vector<std::int32_t>{1, 1, 2}));
  EXPECT_EQ(q.pathPointers()->Item(u"K3"), 2);
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
  const std::u16string r = t.Root() + u"/";
  pathLogger p;
  p.PathLogInit();
  p.LogPath(t.Root());
  EXPECT_EQ(Values(*p.fullFileNames()),
            List({r + u".hidden", r + u"z", r + u"a/v.vcf", r + u"a/w.vcf", r + u"b/y.bak", r + u"b/deep/x.VCF"}));
  EXPECT_EQ(Values(*p.pathNames()), List({r, r + u"a/", r + u"b/", r + u"b/deep/"}));
  EXPECT_EQ(Keys(*p.pathNames()), List({u"K0", u"K2", u"K3", u"K4"}));
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
  EXPECT_EQ(names->Item(u"K1"), t.Root() + u"/a.vcf");
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
  const std::u16string r = t.Root() + u"/";
  // Breadth-first in name order: again/ (the link) is reached before a/b/,
  // real/ before a/elsewhere/; the root and a/ are never entered again.
  EXPECT_EQ(Values(*p.pathNames()), List({r, r + u"a/", r + u"again/", r + u"real/"}));
  EXPECT_EQ(Values(*p.fullFileNames()), List({r + u"again/card.vcf", r + u"real/r.vcf"}));
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
  const std::u16string r = t.Root() + u"/";
  EXPECT_EQ(Values(*p.fullFileNames()), List({r + u"top.vcf", r + u"zlast/z.vcf", r + u"open/inner/deep.vcf"}));
  EXPECT_EQ(p.unreadableFolders(), List({r + u"closed/"}));
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
    p.LogPath(t.Root() + u"/locked");
  }
  EXPECT_EQ(p.fullFileNames()->Count(), 0);
  EXPECT_EQ(p.unreadableFolders(), List({t.Root() + u"/locked/"}));
  EXPECT_EQ(p.Count(), 1);
}
