// The platform layer and the folder walk on Windows, with names only UTF-16
// holds (a character outside the BMP, letters outside the ANSI code page):
// listed, opened and walked with every name intact.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "platform/folders.h"
#include "platform/regular_file.h"
#include "scanner/card_files.h"

namespace {

using namespace quillonet::platform;

// A new folder under the temporary folder, removed at the end.
class Folder {
 public:
  Folder() {
    wchar_t temp[MAX_PATH + 1];
    const DWORD n = ::GetTempPathW(MAX_PATH + 1, temp);
    const std::string pid = std::to_string(::GetCurrentProcessId());
    path_ = std::u16string(temp, temp + n) + u"quillonet-\u00D8\u0436-" + std::u16string(pid.begin(), pid.end());
    ::CreateDirectoryW(Wide(path_).c_str(), nullptr);
  }
  ~Folder() { RemoveTree(path_); }
  const std::u16string& path() const { return path_; }
  static std::wstring Wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

  void Make(const std::u16string& relative, const std::string& bytes) const {
    const HANDLE file = ::CreateFileW(Wide(path_ + u"\\" + relative).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
  }
  void MakeFolder(const std::u16string& relative) const {
    ASSERT_TRUE(::CreateDirectoryW(Wide(path_ + u"\\" + relative).c_str(), nullptr));
  }

 private:
  std::u16string path_;
};

const std::u16string kSmiley = u"\U0001F600";

TEST(WindowsPlatform, NamesOnlyUtf16HoldsAreListedReadAndWalked) {
  Folder dir;
  dir.MakeFolder(u"Gr\u00F6\u00DFe \u65E5\u672C");
  dir.Make(u"Gr\u00F6\u00DFe \u65E5\u672C\\" + kSmiley + u".VCF", "BEGIN:VCARD\r\nEND:VCARD\r\n");
  dir.Make(u"\u0141\u00F3d\u017A.vcf", "card");
  dir.Make(u"notes.txt", "x");

  const FolderListing listing = ListFolder(dir.path());
  EXPECT_FALSE(listing.error) << listing.error.message();
  std::vector<std::u16string> names;
  for (const FolderEntry& entry : listing.entries) names.push_back(entry.name);
  EXPECT_EQ(names, (std::vector<std::u16string>{u"Gr\u00F6\u00DFe \u65E5\u672C", u"notes.txt", u"\u0141\u00F3d\u017A.vcf"}));
  ASSERT_EQ(listing.entries.size(), 3u);
  EXPECT_EQ(listing.entries[0].kind, EntryKind::Folder);
  EXPECT_EQ(listing.entries[2].kind, EntryKind::RegularFile);

  const std::u16string inner = dir.path() + u"\\Gr\u00F6\u00DFe \u65E5\u672C\\" + kSmiley + u".VCF";
  EXPECT_EQ(KindOf(inner), PathKind::RegularFile);
  EXPECT_EQ(KindOf(dir.path() + u"\\none"), PathKind::Missing);
  EXPECT_EQ(ReadRegularFile(inner, 100), "BEGIN:VCARD\r\nEND:VCARD\r\n");
  // '/' separates as '\' does.
  EXPECT_EQ(ReadRegularFile(dir.path() + u"/\u0141\u00F3d\u017A.vcf", 100), "card");

  std::vector<std::u16string> unreadable;
  const std::vector<std::u16string> cards = quillonet::CollectVCardFiles(dir.path(), &unreadable);
  EXPECT_TRUE(unreadable.empty());
  ASSERT_EQ(cards.size(), 2u);
  EXPECT_EQ(cards[0].substr(cards[0].size() - 8), u"\u0141\u00F3d\u017A.vcf");
  EXPECT_EQ(KindOf(cards[1]), PathKind::RegularFile);
  EXPECT_NE(cards[1].find(kSmiley + u".VCF"), std::u16string::npos);
}

}  // namespace
