// Native paths to text and back without loss.
#include "platform/native_path.h"
#include "platform/qt_path.h"

#include <gtest/gtest.h>

using namespace quillonet;
using platform::DecodeNativePath;
using platform::EncodeNativePath;

TEST(NativePath, EveryByteStringComesBackUnchanged) {
  const std::string cases[] = {
      "/home/ann/Cards/a.vcf",
      "/tmp/dup.vcf ",                 // a trailing space is part of the name
      "/tmp/bad\xff.vcf",              // not UTF-8
      "/tmp/Zo\xc3\xab \xe2\x82\xac \xf0\x9f\x98\x80",  // UTF-8 of 2, 3 and 4 bytes
      "/tmp/\xc0\xaf",                 // an overlong '/'
      "/tmp/\xed\xb3\xbf",             // UTF-8 of a surrogate, itself invalid
      "/tmp/\xe2\x82",                 // a sequence cut short
      std::string("\x80\x81\xfe\xff", 4),
  };
  for (const std::string& native : cases) {
    SCOPED_TRACE(native);
    EXPECT_EQ(EncodeNativePath(DecodeNativePath(native)), native);
    EXPECT_EQ(NativePath(PathFromNative(native)), native);
  }
  // Valid UTF-8 reads as its text; a stray byte as its escape.
  EXPECT_EQ(PathFromNative("/tmp/Zo\xc3\xab"), QStringLiteral("/tmp/Zo\u00eb"));
  EXPECT_EQ(DecodeNativePath("a\xff"), std::u16string(u"a\xdcff"));
  // Two names that differ only in a bad byte stay two names.
  EXPECT_NE(PathFromNative("x\xfe.vcf"), PathFromNative("x\xff.vcf"));
}
