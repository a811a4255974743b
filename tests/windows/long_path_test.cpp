// Paths past the system's usual 260 characters: files in such a tree are
// found, read, written and removed through the platform layer, whichever
// separator the path uses.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "import/store_folders.h"
#include "platform/folders.h"
#include "platform/regular_file.h"
#include "scanner/card_files.h"

namespace {

using namespace quillonet::platform;

std::wstring Wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

// Made by the test itself in the extended form, which has no length limit.
void MakeFolder(const std::u16string& path) { ASSERT_TRUE(::CreateDirectoryW(Wide(u"\\\\?\\" + path).c_str(), nullptr)); }

TEST(WindowsLongPaths, ATreeDeeperThan260CharactersIsWalkedReadAndRemoved) {
  wchar_t temp[MAX_PATH + 1];
  const DWORD n = ::GetTempPathW(MAX_PATH + 1, temp);
  ASSERT_GT(n, 0u);
  const std::string pid = std::to_string(::GetCurrentProcessId());
  const std::u16string top = std::u16string(temp, temp + n) + u"quillonet-long-" + std::u16string(pid.begin(), pid.end());
  MakeFolder(top);
  const std::u16string name(60, u'\u00E9');  // 60 characters, none of them ASCII
  std::u16string deep = top;
  for (int i = 0; i < 5; ++i) {
    deep += u"\\" + name + static_cast<char16_t>(u'0' + i);
    MakeFolder(deep);
  }
  ASSERT_GT(deep.size(), 300u);
  const std::u16string card = deep + u"\\x.vcf";
  WriteRegularFile(card, "BEGIN:VCARD\r\nEND:VCARD\r\n");

  EXPECT_EQ(KindOf(card), PathKind::RegularFile);
  EXPECT_EQ(ReadRegularFile(card, 100), "BEGIN:VCARD\r\nEND:VCARD\r\n");
  // '/' and ".." in a long path mean what they mean in a short one.
  std::u16string slashed = deep + u"/../" + name + u"4/x.vcf";
  EXPECT_EQ(ReadRegularFile(slashed, 100), "BEGIN:VCARD\r\nEND:VCARD\r\n");

  const FolderListing listing = ListFolder(deep);
  EXPECT_FALSE(listing.error) << listing.error.message();
  ASSERT_EQ(listing.entries.size(), 1u);
  EXPECT_EQ(listing.entries[0].name, u"x.vcf");
  EXPECT_EQ(listing.entries[0].kind, EntryKind::RegularFile);

  std::vector<std::u16string> unreadable;
  const std::vector<std::u16string> cards = quillonet::CollectVCardFiles(top, &unreadable);
  EXPECT_TRUE(unreadable.empty());
  ASSERT_EQ(cards.size(), 1u);
  EXPECT_EQ(KindOf(cards[0]), PathKind::RegularFile);
  // Its store folder is its folder below the drive, however long.
  const std::u16string folder = quillonet::GetRelativeFolder(cards[0]);
  EXPECT_TRUE(folder.ends_with(u"\\" + name + u"3\\" + name + u"4")) << folder.size();

  EXPECT_FALSE(RemoveFile(card));
  EXPECT_EQ(KindOf(card), PathKind::Missing);
  WriteRegularFile(card, "again");
  EXPECT_FALSE(RemoveTree(top));
  EXPECT_EQ(KindOf(top), PathKind::Missing);
}

}  // namespace
