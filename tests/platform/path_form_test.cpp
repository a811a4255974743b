// The path rules of both systems, checked here whatever the system: roots,
// the shortest form, the absolute form, file names and the long form.
#include "platform/path_form.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using namespace quillonet::platform;

namespace {

constexpr PathStyle kWin = PathStyle::Windows;
constexpr PathStyle kPosix = PathStyle::Posix;

std::string Shown(const std::u16string& text) { return std::string(text.begin(), text.end()); }

}  // namespace

TEST(PathRoot, WindowsDrivesSharesAndPrefixes) {
  struct Case {
    std::u16string path;
    std::size_t length;
    RootKind kind;
    std::u16string drive;
  };
  const std::vector<Case> cases = {
      {u"C:\\a", 3, RootKind::Absolute, u"C:"},
      {u"c:/a", 3, RootKind::Absolute, u"c:"},
      {u"C:a", 2, RootKind::DriveRelative, u"C:"},
      {u"\\a", 1, RootKind::CurrentDrive, u""},
      {u"/a", 1, RootKind::CurrentDrive, u""},
      {u"\\\\srv\\share\\a", 12, RootKind::Absolute, u""},
      {u"//srv/share", 11, RootKind::Absolute, u""},
      {u"\\\\?\\C:\\a", 7, RootKind::Absolute, u"C:"},
      {u"\\\\?\\UNC\\srv\\share\\a", 18, RootKind::Absolute, u""},
      {u"\\\\.\\COM1", 8, RootKind::Absolute, u""},
      {u"a\\b", 0, RootKind::None, u""},
      {u"1:\\a", 0, RootKind::None, u""},
      {u"", 0, RootKind::None, u""},
  };
  for (const Case& c : cases) {
    const PathRoot root = RootOf(c.path, kWin);
    EXPECT_EQ(root.length, c.length) << Shown(c.path);
    EXPECT_EQ(root.kind, c.kind) << Shown(c.path);
    EXPECT_EQ(root.drive, c.drive) << Shown(c.path);
  }
  EXPECT_EQ(RootOf(u"/a", kPosix).kind, RootKind::Absolute);
  EXPECT_EQ(RootOf(u"C:\\a", kPosix).kind, RootKind::None);
  EXPECT_EQ(RootOf(u"\\\\srv\\share", kPosix).kind, RootKind::None);
}

TEST(CleanPath, WindowsFormsBothSeparatorsNothingAboveARoot) {
  const std::vector<std::pair<std::u16string, std::u16string>> cases = {
      {u"C:/a//b/./c/../x.vcf", u"C:\\a\\b\\x.vcf"},
      {u"C:\\", u"C:\\"},
      {u"C:\\..\\a\\", u"C:\\a"},
      {u"C:", u"C:"},
      {u"C:..\\a", u"C:..\\a"},
      {u"a\\..\\..\\b", u"..\\b"},
      {u"a\\..", u"."},
      {u"\\\\srv\\share\\a\\..\\..", u"\\\\srv\\share"},
      {u"//srv/share/a/", u"\\\\srv\\share\\a"},
      {u"\\\\?\\C:\\a\\b\\", u"\\\\?\\C:\\a\\b"},
      {u"\\\\?\\UNC\\srv\\share\\a", u"\\\\?\\UNC\\srv\\share\\a"},
      {u"/a/./b", u"\\a\\b"},
      {u"/", u"\\"},
      {u"Z:\\M\u00FC \\ \U0001F600.vcf ", u"Z:\\M\u00FC \\ \U0001F600.vcf "},  // no character of a name changes
      {u"", u""},
  };
  for (const auto& [path, clean] : cases) EXPECT_EQ(CleanPath(path, kWin), clean) << Shown(path);
  // By POSIX rules '\' and a drive are parts of names.
  EXPECT_EQ(CleanPath(u"a\\b/../c", kPosix), u"c");
  EXPECT_EQ(CleanPath(u"C:\\a/./b", kPosix), u"C:\\a/b");
  EXPECT_EQ(CleanPath(u"/../a", kPosix), u"/../a");
}

TEST(AbsolutePath, RelativeFormsStartWhereTheSystemStartsThem) {
  const std::u16string home = u"C:\\Users\\ann";
  EXPECT_EQ(AbsolutePath(u"x.vcf", home, kWin), u"C:\\Users\\ann\\x.vcf");
  EXPECT_EQ(AbsolutePath(u"../b/x.vcf", home, kWin), u"C:\\Users\\b\\x.vcf");
  EXPECT_EQ(AbsolutePath(u"\\a\\x.vcf", home, kWin), u"C:\\a\\x.vcf");
  EXPECT_EQ(AbsolutePath(u"\\a\\x.vcf", u"\\\\srv\\share\\w", kWin), u"\\\\srv\\share\\a\\x.vcf");
  EXPECT_EQ(AbsolutePath(u"c:x.vcf", home, kWin), u"C:\\Users\\ann\\x.vcf");  // drive letters in either case
  EXPECT_EQ(AbsolutePath(u"D:x.vcf", home, kWin), u"D:\\x.vcf");  // another drive's current folder not known: its root
  EXPECT_EQ(AbsolutePath(u"Z:/a/b/x.vcf", home, kWin), u"Z:\\a\\b\\x.vcf");
  EXPECT_EQ(AbsolutePath(u"a\\x.vcf", u"", kWin), u"a\\x.vcf");
  EXPECT_EQ(AbsolutePath(u"a/./x.vcf", u"/home/ann", kPosix), u"/home/ann/a/x.vcf");
  EXPECT_EQ(AbsolutePath(u"C:\\x.vcf", u"/home/ann", kPosix), u"/home/ann/C:\\x.vcf");
}

TEST(FileNameOf, AfterTheLastSeparatorOrTheDrive) {
  EXPECT_EQ(FileNameOf(u"C:\\a/b.vcf", kWin), u"b.vcf");
  EXPECT_EQ(FileNameOf(u"C:b.vcf", kWin), u"b.vcf");
  EXPECT_EQ(FileNameOf(u"\\\\srv\\share", kWin), u"");
  EXPECT_EQ(FileNameOf(u"/a/b\\c.vcf", kPosix), u"b\\c.vcf");
  EXPECT_EQ(FileNameOf(u"c.vcf", kPosix), u"c.vcf");
}

TEST(ExtendedLengthForm, DrivesAndSharesOnlyOnce) {
  EXPECT_EQ(ExtendedLengthForm(u"C:\\a"), u"\\\\?\\C:\\a");
  EXPECT_EQ(ExtendedLengthForm(u"\\\\srv\\share\\a"), u"\\\\?\\UNC\\srv\\share\\a");
  EXPECT_EQ(ExtendedLengthForm(u"\\\\?\\C:\\a"), u"\\\\?\\C:\\a");
  EXPECT_EQ(ExtendedLengthForm(u"\\\\?\\UNC\\srv\\share\\a"), u"\\\\?\\UNC\\srv\\share\\a");
  EXPECT_EQ(ExtendedLengthForm(u"a\\b"), u"a\\b");
  EXPECT_EQ(ExtendedLengthForm(u"\\a"), u"\\a");
}
