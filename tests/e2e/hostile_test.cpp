// The import against a disk that fills up, special files where cards are
// expected, file names that are not plain text, and runs in the same second.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "automation/in_process.h"
#include "card_tree.h"
#include "import/import_run.h"
#include "import/listed_files.h"
#include "import/time_stamp.h"
#include "platform/qt_path.h"
#include "pst/error.h"
#include "pst/messaging/store.h"
#include "pst/ndb/file.h"
#include "tests/support/pst_report.h"
#include "tests/support/qt_text.h"

#if defined(__SANITIZE_ADDRESS__)
#define QUILLONET_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUILLONET_ASAN 1
#endif
#endif

namespace quillonet::testing {
namespace {

// A file system with little room left, as a real one behaves: a write that
// needs 4 KB pages the file does not have yet takes them from the room left
// and fails with "no space" when there are too few (the file is sparse, so a
// write into a hole needs room too); overwriting pages the file has and
// shortening it always work. room < 0: no limit.
class NearlyFullDisk final : public pst::ndb::File {
 public:
  NearlyFullDisk(std::unique_ptr<File> file, std::shared_ptr<std::int64_t> room)
      : file_(std::move(file)), room_(std::move(room)) {}

  void write(std::uint64_t offset, std::span<const std::uint8_t> data) override {
    std::vector<std::uint64_t> fresh;
    for (std::uint64_t page = offset / kPage; page * kPage < offset + data.size(); ++page) {
      if (!pages_.count(page)) fresh.push_back(page);
    }
    const auto need = static_cast<std::int64_t>(fresh.size() * kPage);
    if (*room_ >= 0 && need > *room_) {
      throw pst::Error(pst::ErrorKind::DiskFull, "cannot write the file: No space left on device");
    }
    if (*room_ >= 0) *room_ -= need;
    pages_.insert(fresh.begin(), fresh.end());
    file_->write(offset, data);
  }
  void read(std::uint64_t offset, std::span<std::uint8_t> out) override { file_->read(offset, out); }
  void sync() override { file_->sync(); }
  std::uint64_t size() override { return file_->size(); }
  void close() override { file_->close(); }
  bool truncate(std::uint64_t size) override {
    const bool done = file_->truncate(size);
    for (auto it = pages_.lower_bound((size + kPage - 1) / kPage); it != pages_.end(); it = pages_.erase(it)) {
      if (*room_ >= 0) *room_ += kPage;
    }
    return done;
  }

 private:
  static constexpr std::uint64_t kPage = 4096;
  std::unique_ptr<File> file_;
  std::shared_ptr<std::int64_t> room_;
  std::set<std::uint64_t> pages_;
};

// The local file system, with the store files made on a nearly full disk.
class NearlyFullFileSystem final : public pst::ndb::FileSystem {
 public:
  explicit NearlyFullFileSystem(std::shared_ptr<std::int64_t> room) : room_(std::move(room)) {}
  std::unique_ptr<pst::ndb::File> createNew(const std::filesystem::path& path) override {
    return std::make_unique<NearlyFullDisk>(local().createNew(path), room_);
  }
  bool exists(const std::filesystem::path& path) override { return local().exists(path); }
  void renameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to) override {
    local().renameNoReplace(from, to);
  }
  void remove(const std::filesystem::path& path) noexcept override { local().remove(path); }
  void syncFolder(const std::filesystem::path& folder) noexcept override { local().syncFolder(folder); }

 private:
  std::shared_ptr<std::int64_t> room_;
};

class DiskView : public ImportView {
 public:
  QString destination;
  std::function<void(const RunProgress&)> onProgress;
  std::vector<QString> texts;

  std::u16string BrowseForFolder(const std::u16string&) override { return destination.toStdU16String(); }
  void setCaption(Caption, const std::u16string&) override {}
  void setProgressMin(Bar, float) override {}
  void setProgressMax(Bar, float) override {}
  void setProgressValue(Bar, float) override {}
  void setImportEnabled(bool) override {}
  void processEvents() override {}
  void showMessage(const std::u16string&, const std::u16string& text, const std::u16string& details) override {
    texts.push_back(QString::fromStdU16String(text + u'\n' + details));
  }
  void progress(const RunProgress& where) override {
    if (onProgress) onProgress(where);
  }
};

int ContactsRead(const PstReport& report) {
  int count = 0;
  for (const ReadFolder& folder : report.folders) count += static_cast<int>(folder.contacts.size());
  return count;
}

TEST(ImportHostile, AFullDiskEndsTheRunAndLeavesTheLastGoodCommit) {
  for (const bool atClose : {false, true}) {
    SCOPED_TRACE(atClose ? "full at the close" : "full in mid-run");
    QTemporaryDir dir;
    CardTree tree(dir.path() + "/c");
    for (int i = 0; i < 6; ++i) tree.addFile(QStringLiteral("f%1/cards.vcf").arg(i), 40, "\r\n");
    tree.addFile("last/many.vcf", 150, "\r\n");

    auto room = std::make_shared<std::int64_t>(-1);
    pst::StoreOptions options;
    options.messagesPerCommit = 100;
    options.secondsPerCommit = 1e6;
    NearlyFullFileSystem disk(room);
    options.fileSystem = &disk;
    automation::Profile profile(options);
    automation::InProcessComponents components(profile);
    DiskView view;
    view.destination = dir.path();
    view.onProgress = [&](const RunProgress& where) {
      // Mid-run: a little room once the third file is done. At the close:
      // none once the last card is saved; the close's commit needs more
      // than the space earlier commits gave back.
      if (*room < 0 && !atClose && where.file == 4) *room = 64 * 1024;
      if (*room < 0 && atClose && where.contactsSaved == tree.cardCount()) *room = 0;
    };
    ListedFiles files(test_support::U(tree.files()));
    ImportRun run(components, view, files);
    run.CmdExtractDBX_Click();

    const RunOutcome& outcome = run.outcome();
    ASSERT_EQ(outcome.status, RunOutcome::Status::Completed);
    EXPECT_FALSE(outcome.storeRemoved);  // the command line's exit status 1
    const QString removeFailure = test_support::Q(outcome.removeFailure);
    EXPECT_TRUE(removeFailure.contains("disk full")) << removeFailure.toStdString();
    EXPECT_TRUE(removeFailure.contains(test_support::Q(outcome.pstPath))) << removeFailure.toStdString();
    if (!atClose) {
      EXPECT_FALSE(outcome.endedBy.empty());  // the run stopped there
    }
    ASSERT_EQ(view.texts.size(), 1u);
    EXPECT_TRUE(view.texts[0].contains("could not be completed")) << view.texts[0].toStdString();
    EXPECT_TRUE(profile.stores().empty());

    EXPECT_EQ(StrictProblems(test_support::Q(outcome.pstPath)), "");
    const PstReport report = CheckPst(test_support::Q(outcome.pstPath));
    ASSERT_TRUE(report.ok) << report.errors.join("; ").toStdString();
    EXPECT_EQ(outcome.contactsSaved, ContactsRead(report));
    EXPECT_LT(outcome.contactsSaved, tree.cardCount());
    if (!atClose) {
      EXPECT_GT(outcome.contactsSaved, 0);
    }
  }
}

// The result of a program started with argv taken byte for byte.
struct Exit {
  int status = -1;  // exit code, or -signal
  std::string out;
  std::string err;
};

std::string ReadAll(int fd) {
  std::string text;
  char buffer[4096];
  for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) != 0;) {
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) break;
    text.append(buffer, static_cast<std::size_t>(n));
  }
  return text;
}

// Runs quillonet-import; limits is applied in the child, onStarted runs in
// the parent while the child runs.
Exit RunImport(const std::vector<std::string>& args, const std::function<void()>& limits = {},
               const std::function<void(pid_t)>& onStarted = {}) {
  int out[2], err[2];
  if (::pipe(out) != 0 || ::pipe(err) != 0) return {};
  const std::string program = QUILLONET_BIN_DIR "/quillonet-import";
  const pid_t child = ::fork();
  if (child == 0) {
    ::dup2(out[1], 1);
    ::dup2(err[1], 2);
    ::close(out[0]);
    ::close(err[0]);
    if (limits) limits();
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  ::close(out[1]);
  ::close(err[1]);
  if (onStarted) onStarted(child);
  Exit result;
  std::thread errReader([&] { result.err = ReadAll(err[0]); });
  result.out = ReadAll(out[0]);
  errReader.join();
  ::close(out[0]);
  ::close(err[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
  return result;
}

std::string LastLine(const std::string& text) {
  std::string t = text;
  while (!t.empty() && t.back() == '\n') t.pop_back();
  return t.substr(t.rfind('\n') == std::string::npos ? 0 : t.rfind('\n') + 1);
}

TEST(ImportHostile, AFileSizeLimitIsReportedNotFatal) {
  QTemporaryDir dir;
  CardTree tree(dir.path() + "/c");
  tree.addFile("big/cards.vcf", 3000, "\r\n");
  const Exit result = RunImport({"--dest", NativePath(dir.path()), NativePath(tree.files()[0])}, [] {
    const rlimit limit{768 * 1024, 768 * 1024};  // ulimit -f: SIGXFSZ would kill
    ::setrlimit(RLIMIT_FSIZE, &limit);
  });
  ASSERT_EQ(result.status, 1) << result.err;
  EXPECT_NE(result.err.find("disk full"), std::string::npos) << result.err;
  const QStringList made = QDir(dir.path()).entryList({"*.pst"}, QDir::Files);
  ASSERT_EQ(made.size(), 1);
  EXPECT_EQ(StrictProblems(dir.path() + "/" + made[0]), "");
}

TEST(ImportHostile, SpecialFilesAreNamedNotReadAndAStopIsHonoured) {
  QTemporaryDir dir;
  CardTree tree(dir.path() + "/c");
  tree.addFile("good.vcf", 2, "\r\n");
  tree.addFile("sub/good.vcf", 1, "\r\n");
  const std::string c = NativePath(dir.path() + "/c/");
  ASSERT_EQ(::mkfifo((c + "fifo.vcf").c_str(), 0600), 0);
  ASSERT_EQ(::symlink("/dev/zero", (c + "zero.vcf").c_str()), 0);
  ASSERT_EQ(::symlink("/dev/urandom", (c + "sub/random.vcf").c_str()), 0);
  // A sparse file far past the card bound: refused, not read into memory.
  const int sparse = ::open((c + "sparse.vcf").c_str(), O_WRONLY | O_CREAT, 0600);
  ASSERT_GE(sparse, 0);
  ASSERT_EQ(::ftruncate(sparse, off_t{1} << 31), 0);
  ::close(sparse);

  const auto started = std::chrono::steady_clock::now();
  const Exit result = RunImport({"--dest", NativePath(dir.path()), c}, [] {
#if !defined(QUILLONET_ASAN)  // the sanitizer's shadow memory counts as data
    const rlimit memory{rlim_t{3} << 30, rlim_t{3} << 30};
    ::setrlimit(RLIMIT_DATA, &memory);
#endif
  });
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(120));
  ASSERT_EQ(result.status, 3) << result.err;  // done, with files named as not imported
  for (const char* name : {"fifo.vcf: not a regular file", "zero.vcf: not a regular file",
                           "random.vcf: not a regular file", "sparse.vcf"}) {
    EXPECT_NE(result.err.find(name), std::string::npos) << name << "\n" << result.err;
  }
  const PstReport report = CheckPst(PathFromNative(LastLine(result.out)));
  ASSERT_TRUE(report.ok) << report.errors.join("; ").toStdString();
  EXPECT_EQ(ContactsRead(report), 3);

  // Named directly: refused at once, nothing created.
  const Exit fifo = RunImport({"--dest", NativePath(dir.path()), c + "fifo.vcf"});
  EXPECT_EQ(fifo.status, 64);
  EXPECT_NE(fifo.err.find("fifo.vcf: not a regular file"), std::string::npos) << fifo.err;

  // One Ctrl+C stops a long run after its card, and the file is complete.
  CardTree many(dir.path() + "/many");
  many.addFile("m/all.vcf", 20000, "\r\n");
  const std::string out = NativePath(dir.path() + "/stop");
  ::mkdir(out.c_str(), 0700);
  const Exit stopped = RunImport({"--dest", out, NativePath(many.files()[0])}, {}, [&](pid_t child) {
    // Stop once the store file exists, so the run is under way.
    for (int i = 0; i < 600 && QDir(PathFromNative(out)).entryList({"*.pst"}, QDir::Files).isEmpty(); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    ::kill(child, SIGINT);
  });
  ASSERT_EQ(stopped.status, 130) << stopped.err;
  const PstReport partial = CheckPst(PathFromNative(LastLine(stopped.out)));
  ASSERT_TRUE(partial.ok) << partial.errors.join("; ").toStdString();
  EXPECT_LT(ContactsRead(partial), 20000);
}

TEST(ImportHostile, PathsAreUsedByteForByte) {
  QTemporaryDir dir;
  const std::string root = NativePath(dir.path());
  const std::string cards = root + "/cards ";  // a folder name ending in a space
  const std::string dest = root + "/out\xff ";  // not UTF-8, and a trailing space
  ASSERT_EQ(::mkdir(cards.c_str(), 0700), 0);
  ASSERT_EQ(::mkdir(dest.c_str(), 0700), 0);
  const auto card = [](const char* name) {
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nN:" + std::string(name) + ";Ann;;;\r\nFN:Ann " + name + "\r\nEND:VCARD\r\n";
  };
  const auto write = [](const std::string& path, const std::string& text) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    ASSERT_GE(fd, 0) << path;
    ASSERT_EQ(::write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    ::close(fd);
  };
  write(cards + "/dup.vcf", card("Plain"));
  write(cards + "/dup.vcf ", card("Spaced"));
  write(cards + "/bad\xff.vcf", card("Latin"));

  const auto imported = [&](const std::vector<std::string>& inputs) {
    std::vector<std::string> args{"--dest", dest};
    args.insert(args.end(), inputs.begin(), inputs.end());
    const Exit result = RunImport(args);
    EXPECT_EQ(result.status, 0) << result.err;
    const std::string pst = LastLine(result.out);
    EXPECT_EQ(pst.rfind(dest + "/MarlixContacts", 0), 0u) << pst;
    // The readers take a plain name.
    const std::string plain = root + "/check.pst";
    ::unlink(plain.c_str());
    EXPECT_EQ(::link(pst.c_str(), plain.c_str()), 0) << pst;
    return CheckPst(PathFromNative(plain)).displayNames(PathFromNative(cards.substr(1)));
  };
  const QStringList all{"Ann Latin", "Ann Plain", "Ann Spaced"};
  EXPECT_EQ(imported({cards}), all);  // the folder scanned
  EXPECT_EQ(imported({cards + "/dup.vcf ", cards + "/bad\xff.vcf", cards + "/dup.vcf"}), all);  // named
}

TEST(ImportHostile, RunsInTheSameSecondBothSucceed) {
  QTemporaryDir dir;
  CardTree tree(dir.path() + "/c");
  tree.addFile("a/one.vcf", 1, "\r\n");
  const QDateTime fixed(QDate(2026, 12, 7), QTime(9, 5, 3));
  QStringList made;
  for (int i = 0; i < 2; ++i) {
    automation::Profile profile;
    automation::InProcessComponents components(profile);
    DiskView view;
    view.destination = dir.path();
    ListedFiles files(test_support::U(tree.files()));
    ImportRun run(components, view, files, [&] { return test_support::At(fixed); });
    run.CmdExtractDBX_Click();
    ASSERT_EQ(run.outcome().status, RunOutcome::Status::Completed) << i;
    EXPECT_TRUE(run.outcome().storeRemoved);
    made << test_support::Q(run.outcome().pstPath);
  }
  EXPECT_EQ(made[0], dir.path() + "/MarlixContacts" + test_support::Q(TimeStamp(test_support::At(fixed))) + ".pst");
  EXPECT_EQ(made[1], dir.path() + "/MarlixContacts" + test_support::Q(TimeStamp(test_support::At(fixed.addSecs(1)))) + ".pst");
}

}  // namespace
}  // namespace quillonet::testing
