// When the store commits, what a commit leaves on disk, and a writer killed
// at random moments.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <chrono>
#include <random>
#include <thread>

#include "pst/error.h"
#include "pst/messaging/commit_policy.h"
#include "pst/messaging/store.h"
#include "test_support.h"

namespace pst {
namespace {

using namespace std::chrono_literals;
constexpr std::uint64_t kAMapInterval = 0x3E000;

std::u16string number(std::size_t i) {
  const std::string s = std::to_string(i);
  return {s.begin(), s.end()};
}

TEST(CommitPolicy, DueAfterSoManyMessagesOrSoMuchTimeWhicheverFirst) {
  CommitPolicy policy(3, 2.0);
  const auto t0 = CommitPolicy::Clock::now();
  EXPECT_FALSE(policy.due(t0 + 10s));  // nothing changed
  policy.messageAdded(t0);
  policy.messageAdded(t0 + 100ms);
  EXPECT_FALSE(policy.due(t0 + 1s));
  policy.messageAdded(t0 + 1s);
  EXPECT_TRUE(policy.due(t0 + 1s));
  policy.committed();
  EXPECT_FALSE(policy.due(t0 + 1s));
  policy.changed(t0 + 2s);  // a folder, say
  EXPECT_FALSE(policy.due(t0 + 3900ms));
  EXPECT_TRUE(policy.due(t0 + 4s));
}

// A copy of the file taken while the store is open holds the last commit.
TEST(StoreCommits, CommitsOnItsOwnEverySoManyMessages) {
  test::TempDir dir;
  const auto file = dir / "count.pst";
  StoreOptions options;
  options.messagesPerCommit = 10;
  options.secondsPerCommit = 1e6;
  auto store = Store::create(file, u"Count", options);
  const FolderId folder = store->createFolder(store->ipmSubtree(), u"Cards", u"IPF.Contact");
  for (std::size_t i = 0; i < 25; ++i) store->addMessage(folder, test::simpleContact(u"Card", number(i)));
  std::filesystem::copy_file(file, dir / "snapshot.pst");
  store->close();
  EXPECT_EQ(test::expectProblems(dir / "snapshot.pst",
                                 R"({"folders": [{"path": "Top of Personal Folders/Cards", "messages": 20}],
                                     "readpst_counts": {"Cards": 20}})"),
            "");
  EXPECT_EQ(test::expectProblems(file, R"({"readpst_counts": {"Cards": 25}})"), "");
}

TEST(StoreCommits, CommitsOnItsOwnAfterSoMuchTime) {
  test::TempDir dir;
  const auto file = dir / "time.pst";
  StoreOptions options;
  options.messagesPerCommit = 5000;
  options.secondsPerCommit = 0.05;
  auto store = Store::create(file, u"Time", options);
  const FolderId folder = store->createFolder(store->ipmSubtree(), u"Cards", u"IPF.Contact");
  store->addMessage(folder, test::simpleContact(u"Early", u"Card"));
  std::this_thread::sleep_for(100ms);
  store->addMessage(folder, test::simpleContact(u"Late", u"Card"));
  std::filesystem::copy_file(file, dir / "snapshot.pst");
  EXPECT_EQ(test::expectProblems(dir / "snapshot.pst",
                                 R"({"folders": [{"path": "Top of Personal Folders/Cards", "messages": 2}]})"),
            "");
}

TEST(StoreCommits, SpaceFreedByACommitIsReused) {
  test::TempDir dir;
  auto write = [&](const std::string& name, std::uint32_t perCommit) {
    StoreOptions options;
    options.messagesPerCommit = perCommit;
    options.secondsPerCommit = 1e6;
    auto store = Store::create(dir / name, u"Reuse", options);
    const FolderId folder = store->createFolder(store->ipmSubtree(), u"Cards", u"IPF.Contact");
    // Each commit rewrites the growing contents table and both B-trees.
    for (std::size_t i = 0; i < 3000; ++i) store->addMessage(folder, test::simpleContact(u"Card", number(i)));
    store->close();
    return std::filesystem::file_size(dir / name);
  };
  const auto once = write("once.pst", 1000000);
  const auto often = write("often.pst", 25);
  EXPECT_LE(often, once + once / 4 + 2 * kAMapInterval) << "once " << once << " bytes";
  EXPECT_EQ(test::expectProblems(dir / "often.pst", R"({"readpst_counts": {"Cards": 3000}})"), "");
}

// A disk that fills up after so many bytes.
class FillingFile final : public ndb::File {
 public:
  FillingFile(std::unique_ptr<ndb::File> file, std::uint64_t budget) : file_(std::move(file)), budget_(budget) {}
  void write(std::uint64_t offset, std::span<const std::uint8_t> data) override {
    if (data.size() > budget_) throw Error(ErrorKind::DiskFull, "No space left on device");
    budget_ -= data.size();
    file_->write(offset, data);
  }
  void read(std::uint64_t offset, std::span<std::uint8_t> out) override { file_->read(offset, out); }
  void sync() override { file_->sync(); }
  std::uint64_t size() override { return file_->size(); }
  void close() override { file_->close(); }

 private:
  std::unique_ptr<ndb::File> file_;
  std::uint64_t budget_;
};

TEST(StoreCommits, AFullDiskStopsTheStoreAndKeepsTheLastCommit) {
  test::TempDir dir;
  const auto file = dir / "full.pst";
  StoreOptions options;
  options.messagesPerCommit = 100;
  auto store = Store::create(std::make_unique<FillingFile>(ndb::createNewFile(file), 2'000'000), u"Full", options);
  const FolderId folder = store->createFolder(store->ipmSubtree(), u"Cards", u"IPF.Contact");
  store->commit();
  std::size_t added = 0;
  try {
    for (;; ++added) store->addMessage(folder, test::simpleContact(u"Card", number(added)));
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find("No space left"), std::string::npos) << e.what();
  }
  EXPECT_GT(added, 100u);
  // Nothing more is accepted, and nothing claims to have worked.
  EXPECT_THROW(store->addMessage(folder, test::simpleContact(u"After", u"Failure")), Error);
  EXPECT_THROW(store->createFolder(store->ipmSubtree(), u"After", u"IPF.Contact"), Error);
  EXPECT_THROW(store->commit(), Error);
  store.reset();  // the destructor neither throws nor writes over the last commit
  EXPECT_EQ(test::expectProblems(file, R"({"crashed": true, "min_messages": {"Top of Personal Folders/Cards": )" +
                                           std::to_string(added / 100 * 100) + "}}"),
            "");
}

#ifndef _WIN32  // a writer killed at random: fork and SIGKILL
// A writer that reports each explicit commit through a pipe, then is killed.
[[noreturn]] void crashingWriter(const std::filesystem::path& file, int reportFd, unsigned seed) {
  auto report = [&](std::uint32_t committed) { (void)!::write(reportFd, &committed, sizeof committed); };
  try {
    StoreOptions options;
    options.messagesPerCommit = 5 + seed % 60;
    options.secondsPerCommit = 0.01 * (1 + seed % 7);
    auto store = Store::create(file, u"Crash", options);
    const FolderId folder = store->createFolder(store->ipmSubtree(), u"Crash", u"IPF.Contact");
    store->commit();
    report(0);
    for (std::uint32_t i = 0; i < 1500; ++i) {
      store->addMessage(folder, test::simpleContact(u"Crash", number(i)));
      if (i % 200 == 199) store->createFolder(folder, u"Sub " + number(i), u"IPF.Contact");
      if (i % 37 == 36) {
        store->commit();
        report(i + 1);
      }
    }
    store->close();
    report(1500);
  } catch (...) {
    ::_exit(3);
  }
  for (;;) ::pause();
}

class KilledWriter : public testing::TestWithParam<int> {};

TEST_P(KilledWriter, LeavesAFileHoldingTheLastCommit) {
  constexpr int kRuns = 10;
  std::mt19937 random(static_cast<unsigned>(GetParam()) * 7919u + 1);
  for (int run = 0; run < kRuns; ++run) {
    SCOPED_TRACE(testing::Message() << "run " << run);
    test::TempDir dir;
    const auto file = dir / "crash.pst";
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ::close(fds[0]);
      crashingWriter(file, fds[1], random());
    }
    ::close(fds[1]);
    std::this_thread::sleep_for(std::chrono::microseconds(random() % 300000));
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the writer ended before it was killed: status " << status;
    std::int64_t committed = -1;
    std::uint32_t value;
    while (::read(fds[0], &value, sizeof value) == sizeof value) committed = value;
    ::close(fds[0]);
    if (!std::filesystem::exists(file)) {
      EXPECT_EQ(committed, -1) << "a reported store is missing";
      continue;
    }
    const std::string expect = committed < 0 ? R"({"crashed": true})" :
        R"({"crashed": true, "min_messages": {"Top of Personal Folders/Crash": )" + std::to_string(committed) + "}}";
    EXPECT_EQ(test::expectProblems(file, expect), "") << committed << " messages committed";
  }
}

INSTANTIATE_TEST_SUITE_P(FiftyKills, KilledWriter, testing::Range(0, 5));
#endif

}  // namespace
}  // namespace pst
