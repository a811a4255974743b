// Tests of the ".vcf" name test and collecting the vCard files of a tree.
#include "scanner/card_files.h"
#include "tests/scanner/test_tree.h"

#include <gtest/gtest.h>

using namespace quillonet;
using quillonet::test_support::AsUnprivilegedUser;
using quillonet::test_support::TestTree;

TEST(IsVCardNameTest, CaseInsensitiveAtTheEndOnly) {
  EXPECT_TRUE(IsVCardName(u"/a/b.vcf"));
  EXPECT_TRUE(IsVCardName(u"/a/B.VCF"));
  EXPECT_TRUE(IsVCardName(u"/a/b.VcF"));
  EXPECT_TRUE(IsVCardName(u".vcf"));
  EXPECT_TRUE(IsVCardName(u"  /a/b.vcf  "));
  EXPECT_FALSE(IsVCardName(u"/a/b.vcf.bak"));
  EXPECT_FALSE(IsVCardName(u"/a/b.vcfx"));
  EXPECT_FALSE(IsVCardName(u"/a/b.vcard"));
  EXPECT_FALSE(IsVCardName(u"/a/bvcf"));
  EXPECT_FALSE(IsVCardName(u"vcf"));
  EXPECT_FALSE(IsVCardName(u""));
  EXPECT_FALSE(IsVCardName(u"/a/b.vcf\t"));  // only spaces are trimmed
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
  std::vector<std::u16string> unreadable;
  std::vector<std::u16string> cards;
  {
    AsUnprivilegedUser nobody;
    cards = CollectVCardFiles(t.Root(), &unreadable);
  }
  const std::u16string r = t.Root() + u"/";
  EXPECT_EQ(cards, std::vector<std::u16string>({r + u"a.vcf", r + u"b.VCF", r + u"sub/deeper/e.vcf"}));
  EXPECT_EQ(unreadable, std::vector<std::u16string>({r + u"shut/"}));
}
