// The open-file dialog's filter and result as the Windows window passes and reads them.
#include "win32/native_dialogs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using quillonet::win32::ChosenFiles;
using quillonet::win32::DialogFilter;

TEST(NativeOpenDialog, FilterPairsEndInNulsAndTheWholeInTwo) {
  EXPECT_EQ(DialogFilter(u"vCard Contacts (*.vcf)|*.vcf"), std::wstring(L"vCard Contacts (*.vcf)\0*.vcf\0\0", 30));
}

TEST(NativeOpenDialog, ResultOfOneFileSeveralFilesAndARootFolder) {
  EXPECT_EQ(ChosenFiles(L"C:\\Cards\\a.vcf\0\0"), (std::vector<std::u16string>{u"C:\\Cards\\a.vcf"}));
  EXPECT_EQ(ChosenFiles(L"C:\\Cards\0a.vcf\0b c.vcf\0\0"),
            (std::vector<std::u16string>{u"C:\\Cards\\a.vcf", u"C:\\Cards\\b c.vcf"}));
  EXPECT_EQ(ChosenFiles(L"D:\\\0a.vcf\0b.vcf\0\0"), (std::vector<std::u16string>{u"D:\\a.vcf", u"D:\\b.vcf"}));
  EXPECT_TRUE(ChosenFiles(L"\0\0").empty());
}
