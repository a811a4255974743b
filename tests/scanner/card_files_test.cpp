// Tests of the ".vcf" name test and collecting the vCard files of a tree.
#include "scanner/card_files.h"
#include "tests/scanner/test_tree.h"

#include <gtest/gtest.h>

using namespace quillonet;
using quillonet::test_support::AsUnprivilegedUser;
using quillonet::test_support::TestTree;

TEST(IsVCardNameTest, CaseInsensitiveAtTheEndOnly) {
  EXPECT_TRUE(IsVCardName("/a/b.vcf"));
  EXPECT_TRUE(IsVCardName("/a/B.VCF"));
  EXPECT_TRUE(IsVCardName("/a/b.VcF"));
  EXPECT_TRUE(IsVCardName(".vcf"));
  EXPECT_TRUE(IsVCardName("  /a/b.vcf  "));
  EXPECT_FALSE(IsVCardName("/a/b.vcf.bak"));
  EXPECT_FALSE(IsVCardName("/a/b.vcfx"));
  EXPECT_FALSE(IsVCardName("/a/b.vcard"));
  EXPECT_FALSE(IsVCardName("/a/bvcf"));
  EXPECT_FALSE(IsVCardName("vcf"));
  EXPECT_FALSE(IsVCardName(""));
  EXPECT_FALSE(IsVCardName("/a/b.vcf\t"));  // only spaces are trimmed
}

TEST(CollectVCardFilesTest, PicksCardsAndNamesUnreadableFolders) {
  TestTree t;
  t.File("a.vcf");
  t.File("b.VCF");
  t.File("c.vcf.bak");
  t.File("d.txt");
  t.Folder("sub/deeper");
  t.File("sub/deeper/e.vcf");
  t.Folder("shut");
  t.File("shut/f.vcf");
  ASSERT_EQ(::chmod(t.Path("shut").c_str(), 0), 0);
  QStringList unreadable;
  QStringList cards;
  {
    AsUnprivilegedUser nobody;
    cards = CollectVCardFiles(t.Root(), &unreadable);
  }
  const QString r = t.Root() + "/";
  EXPECT_EQ(cards, QStringList({r + "a.vcf", r + "b.VCF", r + "sub/deeper/e.vcf"}));
  EXPECT_EQ(unreadable, QStringList({r + "shut/"}));
}
