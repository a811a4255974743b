// importFile: the first card of a file, and the errors for files that cannot be used.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>

#include "helpers.h"

namespace vcard::test {
namespace {

class ImportFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("vcard-import-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::filesystem::path write(const std::string& name, const std::string& bytes) {
    const auto path = dir_ / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }

  std::filesystem::path dir_;
};

TEST_F(ImportFile, OneCardOnlyWithItsAgent) {
  const auto c = importFile(write("agent.vcf", "BEGIN:VCARD\nVERSION:2.1\nFN:One\nAGENT:\nBEGIN:VCARD\nFN:Aide\n"
                                              "END:VCARD\nEMAIL:one@example.com\nEND:VCARD\n"));
  EXPECT_EQ(str(c, tag::DisplayName), "One");
  EXPECT_EQ(str(c, tag::Assistant), "Aide");
  // Two cards would leave one of them behind: the import refuses.
  try {
    importFile(write("two.vcf", "BEGIN:VCARD\nFN:One\nEND:VCARD\nbegin:vcard\nFN:Two\nend:vcard\n"));
    ADD_FAILURE() << "two cards imported as one";
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find("holds 2 cards"), std::string::npos) << e.what();
  }
}

TEST_F(ImportFile, FileWithoutCardIsAnErrorSayingSo) {
  for (const char* content : {"", "hello\nworld\n", "BEGIN:VCALENDAR\nEND:VCALENDAR\n"}) {
    const auto path = write("none.vcf", content);
    try {
      importFile(path);
      ADD_FAILURE() << "no error for " << content;
    } catch (const Error& e) {
      EXPECT_NE(std::string(e.what()).find("holds no vCard"), std::string::npos) << e.what();
      EXPECT_NE(std::string(e.what()).find("none.vcf"), std::string::npos) << e.what();
    }
  }
}

TEST_F(ImportFile, MissingFileIsAnErrorNamingTheReason) {
  try {
    importFile(dir_ / "missing.vcf");
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find("Cannot read"), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find("No such file"), std::string::npos) << e.what();
  }
  EXPECT_THROW(importFile(dir_), Error);  // a folder
}

TEST_F(ImportFile, LargePhotoIsReadWhole) {
  // 15 MB of photo data, folded the 3.0 way: only a linear pass finishes this
  // (bench_vcard times 50 MB).
  constexpr std::size_t kBytes = 3u * (5u << 20);  // whole base64 groups
  std::string b64;
  b64.reserve(kBytes / 3 * 4 + kBytes / 75 * 3 + 16);
  const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::size_t column = 0;
  for (std::size_t i = 0; i < kBytes / 3 * 4; ++i) {
    if (column == 74) {
      b64 += "\r\n ";
      column = 0;
    }
    b64 += alphabet[i % 64];
    ++column;
  }
  const auto path = write("big.vcf", "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Big\r\nPHOTO;ENCODING=b;TYPE=JPEG:" + b64 +
                                         "\r\nEND:VCARD\r\n");
  b64.clear();
  b64.shrink_to_fit();
  const auto c = importFile(path);
  ASSERT_EQ(c.attachments.size(), 1u);
  ContactItem att{c.attachments[0].properties, {}};
  EXPECT_EQ(get<std::vector<std::uint8_t>>(att, tag::AttachDataBinary)->size(), kBytes);
  EXPECT_EQ(str(c, tag::DisplayName), "Big");
}

}  // namespace
}  // namespace vcard::test
