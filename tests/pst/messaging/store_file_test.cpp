// Publishing a new store under its name, through a file system that fails or
// crashes where told, and the kinds of error the store reports.
#include <gtest/gtest.h>

#include <fstream>

#include "pst/error.h"
#include "pst/messaging/store.h"
#include "pst/verify/verify.h"
#include "test_support.h"
#include "tests/pst/ndb/fault_file.h"

namespace pst {
namespace {

using ndb::test::FaultFileSystem;
using ndb::test::MemoryDisk;

const std::filesystem::path kFolder = "/cards";
const std::filesystem::path kDestination = kFolder / "new.pst";

std::unique_ptr<Store> createOn(FaultFileSystem& fileSystem) {
  StoreOptions options;
  options.fileSystem = &fileSystem;
  return Store::create(kDestination, u"New", options);
}

// "" when the bytes are a whole store (a crash may leave its maps invalid).
std::string problems(const std::vector<std::uint8_t>& bytes) {
  const auto report = verify::checkBytes(bytes, {.allowInvalidMaps = true});
  return report.clean() ? "" : report.text();
}

TEST(StorePublish, TheNameComesOnlyOverADurableStoreAndIsMadeDurable) {
  FaultFileSystem fs;
  bool dataDurableAtRename = false;
  fs.beforeRename = [&] {
    ASSERT_EQ(fs.names.size(), 1u);
    dataDurableAtRename = fs.names.begin()->second->pending.empty();
  };
  auto store = createOn(fs);
  EXPECT_TRUE(dataDurableAtRename);
  ASSERT_EQ(fs.steps.size(), 3u);
  EXPECT_EQ(fs.steps[0].rfind("create /cards/.new.pst.", 0), 0u) << fs.steps[0];
  EXPECT_EQ(fs.steps[1], "rename " + fs.steps[0].substr(7) + " /cards/new.pst");
  EXPECT_EQ(fs.steps[2], "sync folder /cards");
  ASSERT_EQ(fs.durableNames.size(), 1u);
  ASSERT_TRUE(fs.durableNames.count(kDestination));
  EXPECT_EQ(problems(fs.durableNames.at(kDestination)->durable), "");

  // The store goes on in the file it was built in.
  const FolderId folder = store->createFolder(store->ipmSubtree(), u"Cards", u"IPF.Contact");
  store->addMessage(folder, test::simpleContact(u"Ann", u"Lee"));
  store->close();
  const auto report = verify::checkBytes(fs.names.at(kDestination)->image());
  EXPECT_TRUE(report.clean()) << report.text();
}

// Killed at each sync of the new file and at the rename: the name is then
// missing or holds a whole store, as the process left it and after a power
// loss alike.
TEST(StorePublish, ACrashAtAnyStepLeavesNoNameOrAWholeStore) {
  for (std::uint64_t step = 0;; ++step) {
    FaultFileSystem fs;
    fs.syncBudget = step;
    bool last = false;
    try {
      createOn(fs).reset();  // closing after it may crash too
      last = true;
    } catch (const Error&) {
      EXPECT_TRUE(fs.crashed()) << "step " << step;
    }
    if (fs.names.count(kDestination)) {
      EXPECT_EQ(problems(fs.names.at(kDestination)->image()), "") << "killed at step " << step;
    }
    if (fs.durableNames.count(kDestination)) {
      EXPECT_EQ(problems(fs.durableNames.at(kDestination)->durable), "") << "power lost at step " << step;
    }
    if (last) break;
    ASSERT_LT(step, 100u);
  }
  FaultFileSystem fs;
  fs.renameBudget = 0;
  EXPECT_THROW(createOn(fs), Error);
  EXPECT_FALSE(fs.names.count(kDestination));
  EXPECT_TRUE(fs.durableNames.empty());
}

TEST(StorePublish, AFailedRenameLeavesNothingAndSaysWhy) {
  for (const ErrorKind kind : {ErrorKind::DiskFull, ErrorKind::NoAccess, ErrorKind::Io}) {
    FaultFileSystem fs;
    fs.renameFails = kind;
    try {
      createOn(fs);
      ADD_FAILURE() << "created";
    } catch (const Error& e) {
      EXPECT_EQ(e.kind(), kind) << e.what();
    }
    EXPECT_TRUE(fs.names.empty()) << "the temporary file is left";
  }
}

TEST(StorePublish, AFileThatAppearsMeanwhileIsNeverReplaced) {
  FaultFileSystem fs;
  auto other = std::make_shared<MemoryDisk>();
  other->durable = {'k', 'e', 'e', 'p'};
  fs.beforeRename = [&] { fs.names[kDestination] = other; };
  try {
    createOn(fs);
    ADD_FAILURE() << "created";
  } catch (const Error& e) {
    EXPECT_EQ(e.kind(), ErrorKind::Exists);
    EXPECT_NE(std::string(e.what()).find(kDestination.string()), std::string::npos) << e.what();
  }
  ASSERT_EQ(fs.names.size(), 1u);
  EXPECT_EQ(fs.names.at(kDestination), other);
  EXPECT_EQ(other->image(), (std::vector<std::uint8_t>{'k', 'e', 'e', 'p'}));
}

TEST(StoreErrors, EachFailureSaysWhatKindItIs) {
  auto kindOf = [](auto&& call) {
    try {
      call();
    } catch (const Error& e) {
      return e.kind();
    }
    ADD_FAILURE() << "no error";
    return ErrorKind::Io;
  };
  test::TempDir dir;
  std::ofstream(dir / "old.pst") << "keep";
  EXPECT_EQ(kindOf([&] { Store::create(dir / "old.pst", u"Old"); }), ErrorKind::Exists);
  EXPECT_EQ(kindOf([&] { Store::create(dir / "no" / "new.pst", u"New"); }), ErrorKind::NotFound);

  auto store = Store::create(dir / "new.pst", u"New");
  const FolderId folder = store->createFolder(store->ipmSubtree(), u"Cards", u"IPF.Contact");
  EXPECT_EQ(kindOf([&] { store->createFolder(store->ipmSubtree(), u"Cards", u"IPF.Contact"); }), ErrorKind::Exists);
  EXPECT_EQ(kindOf([&] { store->createFolder(folder + 0x20, u"Work", u"IPF.Contact"); }), ErrorKind::BadRequest);
  store->close();
  EXPECT_EQ(kindOf([&] { store->addMessage(folder, test::simpleContact(u"Ann", u"Lee")); }), ErrorKind::Closed);

  // A disk that fills up: the write says so, and the store then takes nothing more.
  auto disk = std::make_shared<MemoryDisk>();
  auto full = Store::create(std::make_unique<ndb::test::FaultFile>(disk), u"Full");
  disk->budget = 0;
  disk->budgetKind = ErrorKind::DiskFull;
  EXPECT_EQ(kindOf([&] {
              full->createFolder(full->ipmSubtree(), u"A", u"IPF.Contact");
              full->commit();
            }),
            ErrorKind::DiskFull);
  EXPECT_EQ(kindOf([&] { full->createFolder(full->ipmSubtree(), u"B", u"IPF.Contact"); }), ErrorKind::Closed);
}

}  // namespace
}  // namespace pst
