// Tests of folder listings with names that are not UTF-8, whole-file writes
// and removing trees, where the platform layer meets the file system.
#include "platform/folders.h"
#include "platform/native_path.h"
#include "platform/regular_file.h"

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace quillonet::platform;
using quillonet::test_support::TempDir;

namespace {

std::u16string Text(const std::filesystem::path& path) { return DecodeNativePath(path.string()); }

void Write(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string Read(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

TEST(ListFolder, NamesComeBackByteForByteInByteOrderWithTheirKinds) {
  TempDir dir;
  // Byte order and UTF-16 order differ for these: 0x80 (escaped as U+DC80)
  // sorts before U+D7FF by bytes only, U+FF41 before U+1F600 likewise.
  const std::vector<std::string> files = {"\x80", "\xed\x9f\xbf", "\xef\xbd\x81", "\xf0\x9f\x98\x80", "b\xff.vcf"};
  for (const std::string& name : files) Write(dir / name, name);
  std::filesystem::create_directory(dir / "d\xfe");
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  std::filesystem::create_symlink(dir / "gone", dir / "broken");
  std::filesystem::create_directory_symlink(dir / "d\xfe", dir / "linked");

  const FolderListing listing = ListFolder(Text(dir.path()));
  EXPECT_FALSE(listing.error);
  std::vector<std::string> names;
  std::vector<EntryKind> kinds;
  for (const FolderEntry& entry : listing.entries) {
    names.push_back(EncodeNativePath(entry.name));
    kinds.push_back(entry.kind);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"broken", "b\xff.vcf", "d\xfe", "fifo", "linked", "\x80", "\xed\x9f\xbf",
                                             "\xef\xbd\x81", "\xf0\x9f\x98\x80"}));
  using K = EntryKind;
  EXPECT_EQ(kinds, (std::vector<K>{K::Other, K::RegularFile, K::Folder, K::Other, K::Folder, K::RegularFile,
                                   K::RegularFile, K::RegularFile, K::RegularFile}));
  // The text of each name opens the file it came from.
  for (const std::string& name : files) {
    EXPECT_EQ(ReadRegularFile(Text(dir.path()) + u"/" + DecodeNativePath(name), 100), name);
  }
}

TEST(ListFolder, AFolderThatCannotBeReadNamesTheCause) {
  TempDir dir;
  const FolderListing missing = ListFolder(Text(dir / "none"));
  EXPECT_EQ(missing.error, std::errc::no_such_file_or_directory);
  EXPECT_TRUE(missing.entries.empty());
  Write(dir / "file", "x");
  EXPECT_EQ(ListFolder(Text(dir / "file")).error, std::errc::not_a_directory);
}

TEST(WriteRegularFile, PrivateTruncatesAndNeverWritesThroughALink) {
  TempDir dir;
  const std::u16string card = Text(dir / "card.vcf");
  WriteRegularFile(card, "BEGIN:VCARD\r\nEND:VCARD\r\n");
  WriteRegularFile(card, "short");
  EXPECT_EQ(Read(dir / "card.vcf"), "short");
  struct stat st {};
  ASSERT_EQ(::stat((dir / "card.vcf").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);

  Write(dir / "target", "kept");
  std::filesystem::create_symlink(dir / "target", dir / "planted.vcf");
  try {
    WriteRegularFile(Text(dir / "planted.vcf"), "overwritten");
    ADD_FAILURE() << "a link was written through";
  } catch (const std::system_error& e) {
    EXPECT_EQ(e.code(), std::errc::too_many_symbolic_link_levels);
    EXPECT_NE(std::string(e.what()).find((dir / "planted.vcf").string()), std::string::npos) << e.what();
  }
  EXPECT_EQ(Read(dir / "target"), "kept");
}

TEST(RemoveTree, LinksInsideGoWhatTheyNameStays) {
  TempDir dir;
  std::filesystem::create_directories(dir / "outside");
  Write(dir / "outside" / "keep.vcf", "kept");
  std::filesystem::create_directories(dir / "tree" / "sub\xff");
  Write(dir / "tree" / "sub\xff" / "a.vcf", "a");
  std::filesystem::create_directory_symlink(dir / "outside", dir / "tree" / "sub\xff" / "out");
  std::filesystem::create_symlink(dir / "outside" / "keep.vcf", dir / "tree" / "file-link");

  EXPECT_FALSE(RemoveTree(Text(dir / "tree")));
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(dir / "tree")));
  EXPECT_EQ(Read(dir / "outside" / "keep.vcf"), "kept");
  EXPECT_FALSE(RemoveTree(Text(dir / "tree")));  // gone already: no error
  EXPECT_FALSE(RemoveFile(Text(dir / "none")));
}

TEST(ReadRegularFile, WholeFilesUpToTheBoundOnlyRegularOnes) {
  TempDir dir;
  for (const std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{4095}, std::size_t{4096},
                                 std::size_t{70000}}) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>('a' + i % 26);
    Write(dir / "card.vcf", bytes);
    EXPECT_EQ(ReadRegularFile(Text(dir / "card.vcf"), 70000), bytes) << size << " bytes";
  }
  Write(dir / "big.vcf", std::string(101, 'x'));
  try {
    ReadRegularFile(Text(dir / "big.vcf"), 100);
    ADD_FAILURE() << "a file over the bound was read";
  } catch (const std::system_error& e) {
    EXPECT_EQ(e.code(), std::errc::file_too_large);
  }
  // A FIFO with no writer is refused at once, not waited on.
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  try {
    ReadRegularFile(Text(dir / "fifo"), 100);
    ADD_FAILURE() << "a FIFO was read";
  } catch (const std::system_error& e) {
    EXPECT_EQ(e.code(), NotRegularFile());
  }
  EXPECT_THROW(ReadRegularFile(Text(dir / "none.vcf"), 100), std::system_error);
}

TEST(RecycleRegularFile, ASpentFileTakesTheNewNameAndExactlyTheNewBytes) {
  TempDir dir;
  const std::u16string spent = Text(dir / "vCard1.vcf");
  const std::u16string next = Text(dir / "vCard2.vcf");
  WriteRegularFile(spent, "a longer card than the next one");
  ASSERT_TRUE(RecycleRegularFile(spent, 31, next, "short"));
  EXPECT_FALSE(PathExists(spent));
  EXPECT_EQ(Read(dir / "vCard2.vcf"), "short");
  struct stat info {};
  ASSERT_EQ(::stat((dir / "vCard2.vcf").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  // Longer than before, and over a stale file of the same name.
  Write(dir / "vCard3.vcf", "stale");
  ASSERT_TRUE(RecycleRegularFile(next, 5, Text(dir / "vCard3.vcf"), "a card longer than the last"));
  EXPECT_EQ(Read(dir / "vCard3.vcf"), "a card longer than the last");
  // A link at the new name is replaced, what it names is not written.
  Write(dir / "target", "keep");
  ASSERT_EQ(::symlink((dir / "target").c_str(), (dir / "vCard4.vcf").c_str()), 0);
  ASSERT_TRUE(RecycleRegularFile(Text(dir / "vCard3.vcf"), 27, Text(dir / "vCard4.vcf"), "card"));
  EXPECT_EQ(Read(dir / "target"), "keep");
  EXPECT_EQ(Read(dir / "vCard4.vcf"), "card");
  // A folder at the new name refuses it: the spent file goes, the folder stays.
  std::filesystem::create_directory(dir / "vCard5.vcf");
  EXPECT_FALSE(RecycleRegularFile(Text(dir / "vCard4.vcf"), 4, Text(dir / "vCard5.vcf"), "card"));
  EXPECT_FALSE(PathExists(Text(dir / "vCard4.vcf")));
  EXPECT_TRUE(std::filesystem::is_directory(dir / "vCard5.vcf"));
}
