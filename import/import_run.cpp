// ImportRun: the run's steps, its three failure regimes and its messages.
#include "import/import_run.h"

#include <QElapsedTimer>
#include <QFile>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>
#include <utility>

#include "import/card_splitter.h"
#include "import/failures.h"
#include "import/store_folders.h"
#include "import/time_stamp.h"
#include "platform/qt_path.h"
#include "platform/regular_file.h"
#include "util/app_info.h"
#include "util/registry.h"

namespace quillonet {

using automation::Require;

namespace {

const QString kOutlookHelpAddress = QStringLiteral("https://support.microsoft.com/outlook");

// The separator to append to a chosen folder: the one its path already uses.
QChar SeparatorOf(const QString& folder) {
  return folder.contains(QLatin1Char('\\')) && !folder.contains(QLatin1Char('/')) ? QLatin1Char('\\')
                                                                                    : QLatin1Char('/');
}

// Opens a listed file by its exact native name, and only a regular file:
// a FIFO, a device or a socket is refused without being read or waited on.
void OpenForReading(QFile& file, const QString& path) {
  platform::FileDescriptor fd;
  try {
    fd = platform::OpenRegularFile(path.toStdU16String());
  } catch (const std::system_error& e) {
    const QString cause = QString::fromStdString(e.code().message());
    throw FileError(QStringLiteral("Cannot open %1: %2").arg(path, cause), cause);
  }
  if (!file.open(fd.get(), QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
    throw FileError(QStringLiteral("Cannot open %1: %2").arg(path, file.errorString()));
  }
  fd.release();
}

// *error gets the errno of a failure.
void WriteFile(const QString& path, const QByteArray& bytes, int* error) {
  const auto fail = [&](int err) {
    *error = err;
    const QString cause = QString::fromLocal8Bit(std::strerror(err));
    return FileError(QStringLiteral("Cannot write %1: %2").arg(path, cause), cause);
  };
  platform::FileDescriptor file(
      ::open(NativePath(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (file.get() < 0) throw fail(errno);
  const char* data = bytes.constData();
  std::size_t left = static_cast<std::size_t>(bytes.size());
  while (left > 0) {
    const ssize_t n = ::write(file.get(), data, left);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw fail(errno);
    data += n;
    left -= static_cast<std::size_t>(n);
  }
  if (::close(file.release()) != 0) throw fail(errno);
}

// How many later stamps a run tries, in all, when the store file's name is taken.
constexpr int kStampTries = 5;

QString Counted(std::int64_t n, const char* one, const char* many) {
  return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
}

// Keeps the first failure of a file: a few words, with the system's cause
// when there is one, and the full text.
void NoteFailure(FileResult& result, const QString& reason, const QString& detail, const QString& cause = QString()) {
  if (!result.reason.isEmpty()) return;
  result.reason = cause.isEmpty() ? reason : reason + QStringLiteral(": ") + cause;
  result.detail = detail;
}

// One line of the completion message for a file not imported in full.
QString DescribeResult(const FileResult& result) {
  const QString what = result.saved == 0 && result.found <= 1
                           ? QStringLiteral("not imported")
                           : QStringLiteral("%1 of %2 cards not imported").arg(result.notImported).arg(result.found);
  return QStringLiteral("%1: %2 (%3)").arg(result.path, what, result.reason);
}

// Marks the run as in progress for as long as it lives.
class RunningFlag {
 public:
  explicit RunningFlag(bool& flag) : flag_(flag) { flag_ = true; }
  ~RunningFlag() { flag_ = false; }
  RunningFlag(const RunningFlag&) = delete;
  RunningFlag& operator=(const RunningFlag&) = delete;

 private:
  bool& flag_;
};

}  // namespace

QString OutlookErrorText() {
  return QStringLiteral(
             "Outlook Session Creation Error !\r\n"
             "Check if Outlook is installed and configured.\r\n"
             "For more details visit this link : ") +
         kOutlookHelpAddress;
}

ImportRun::ImportRun(automation::ComponentFactory& components, ImportView& view, FileListSource& files,
                     Clock clock)
    : components_(components), view_(view), files_(files), clock_(std::move(clock)) {}

ImportRun::~ImportRun() = default;

void ImportRun::CmdExtractDBX_Click() {
  if (running_) return;
  RunningFlag running(running_);
  stopRequested_ = false;
  outcome_ = RunOutcome{};
  listFiles_.clear();

  // Destination.
  saveFolder_ = view_.BrowseForFolder(QStringLiteral("Choose Folder to Save..."));
  if (saveFolder_.isEmpty()) {
    outcome_.status = RunOutcome::Status::Cancelled;
    return;
  }
  if (!saveFolder_.endsWith(QLatin1Char('\\')) && !saveFolder_.endsWith(QLatin1Char('/'))) {
    saveFolder_ += SeparatorOf(saveFolder_);
  }
  Yield();

  // Progress range.
  for (const Bar bar : {Bar::ProgressBar1, Bar::ProgressBar2}) {
    view_.setProgressMin(bar, 0.0f);
    view_.setProgressMax(bar, 100.0f);
  }
  Yield();

  std::unique_ptr<automation::Store> store;
  QByteArray storeID;
  if (!SetUp(store, storeID)) return;

  // From here on a failing step is skipped and the run goes on, unless the
  // store itself failed: then nothing more can be saved.
  if (!Ending()) {
    CreateStoreFolders(rdoSession_.get(), storeID, storeDisplayName_, folderList_, components_,
                       [this] { Yield(); });
  }
  if (!Ending()) ImportFiles();
  TearDown(store);

  if (stopRequested_) {
    outcome_.status = RunOutcome::Status::Stopped;
    return;
  }
  outcome_.status = RunOutcome::Status::Completed;
  // Every list problem is named in the details: there may be hundreds.
  view_.showMessage(QString::fromStdU16String(AppTitle()), CompletionText(),
                    outcome_.listProblems.join(QLatin1Char('\n')));
}

bool ImportRun::SetUp(std::unique_ptr<automation::Store>& store, QByteArray& storeID) {
  // Any failure here ends the run with the Outlook error message; nothing
  // is undone: the session stays logged on, an added store stays in the profile.
  try {
    auto session = components_.CreateRDOSession();
    Require(session, "store session");
    rdoSession_ = std::move(session);
    rdoSession_->Logon();

    // A name taken by an earlier run (one in the same second) is not an
    // error: the run waits for the next second's stamp.
    QDateTime when = clock_();
    for (int tries = 0;;) {
      const QDateTime first = when;
      const QString pstPath = FreePstPath(when, tries);
      storeDisplayName_ = QStringLiteral("Marlix Contacts") + QStringLiteral(" : Created - ") +
                          TimeStamp(when == first ? clock_() : when);
      try {
        store = Require(rdoSession_->Stores(), "store list")
                    .AddPSTStore(pstPath, automation::olStoreDefault, storeDisplayName_);
        outcome_.pstPath = pstPath;
        break;
      } catch (const automation::AutomationError& e) {
        // Another run took the name between the look and the creation.
        if (e.number() != automation::errors::kCollision || tries >= kStampTries ||
            !platform::PathExists(pstPath.toStdU16String())) {
          throw;
        }
      }
    }
    storeID = Require(store, "store").EntryID();

    folderList_ = BuildFolderList(files_, [this] { Yield(); });
  } catch (const std::exception& failure) {
    store.reset();
    outcome_.status = RunOutcome::Status::SetupFailed;
    outcome_.failure = DescribeFailure(failure);
    view_.showMessage(QString::fromLatin1(kOutlookErrorCaption), OutlookErrorText(), outcome_.failure);
    return false;
  }
  return true;
}

QString ImportRun::FreePstPath(QDateTime& when, int& tries) {
  const auto pathAt = [this](const QDateTime& at) {
    return saveFolder_ + QStringLiteral("MarlixContacts") + TimeStamp(at) + QStringLiteral(".pst");
  };
  for (; tries < kStampTries && platform::PathExists(pathAt(when).toStdU16String()); ++tries) {
    const QDateTime next = when.addSecs(1);
    // The clock reaches the next second within one; one that stands still
    // (a test's) is not waited for longer.
    QElapsedTimer waited;
    waited.start();
    while (clock_() < next && waited.elapsed() < 1100) {
      Yield();
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    const QDateTime now = clock_();
    when = now > next ? now : next;
  }
  return pathAt(when);
}

void ImportRun::ImportFiles() {
  const int rows = files_.Rows();
  fileTotal_ = rows;
  for (int i = 0; i < rows && !Ending(); ++i) {
    // Rows cleared from the list while the run yielded are gone.
    if (i >= files_.Rows()) break;
    currentFile_ = i + 1;
    files_.setCurrentCell(i, 0);
    contactCount_ = 0;
    Yield();
    const QString text = files_.Text();
    QString folder;
    QString why;
    bool rootFile = false;
    const bool haveFolder = Skip(
        [&] {
          try {
            folder = GetRelativeFolder(text);
          } catch (const RootFileError&) {
            rootFile = true;
            throw;
          }
        },
        &why);
    if (haveFolder) relFolder_ = folder;
    const QString path = ListedFilePath(text);
    FileResult& result = CurrentFile(path, /*fresh=*/true);
    // Nothing to import from a FIFO or a device, and nothing to wait for.
    const platform::PathKind kind = platform::KindOf(path.toStdU16String());
    const bool special = kind == platform::PathKind::Other || kind == platform::PathKind::Folder;
    QString countWhy, cause;
    if (!special) {
      if (Skip([&] { CheckvCardType(path); }, &countWhy, &cause)) {
        result.found = vCardCount_;
      } else {
        NoteFailure(result, QStringLiteral("cannot be read"), countWhy, cause);
      }
    }
    if (!haveFolder || special) {
      // A file directly in a root folder, or a row added during the run
      // whose folder the store does not have: importing it into the
      // previous file's folder would misfile it.
      ++outcome_.filesFailed;
      result.failed = true;
      result.notImported = result.found;
      result.reason.clear();  // why it cannot go in matters more than a failed count
      if (special) {
        NoteFailure(result, QStringLiteral("not a regular file"), QString());
      } else if (rootFile) {
        NoteFailure(result, QStringLiteral("it lies directly in a root folder"), why);
      } else {
        NoteFailure(result, QStringLiteral("its folder is not in the store"), why);
      }
    } else if (!Ending()) {
      ImportVCardFile(rdoSession_.get(), path,
                      QStringLiteral("\\\\") + storeDisplayName_ + QLatin1Char('\\') + relFolder_);
    }
    view_.setImportEnabled(false);
    view_.setCaption(Caption::FrameConversion, QStringLiteral("Details : Converting - (%1 of %2) file(s)")
                                                   .arg(i + 1)
                                                   .arg(files_.Rows()));
    view_.setCaption(Caption::LblCurrentDBX, QStringLiteral("Importing Contacts... from (%1)").arg(relFolder_));
    view_.setProgressValue(Bar::ProgressBar1,
                           static_cast<float>(static_cast<double>(i + 1) / rows * 100.0));
    ReportProgress(i + 1, rows);
  }
}

void ImportRun::TearDown(std::unique_ptr<automation::Store>& store) {
  Yield();
  // Groups become lists once every card has been read, so members from any
  // file of the run are found, and before the store leaves the profile.
  CompleteLists(store.get());
  outcome_.storeRemoved = Skip([&] { Require(store, "store").Remove(); }, &outcome_.removeFailure);
  // A file that could not be completed holds what its last good write
  // holds, not what was saved after it.
  if (!outcome_.storeRemoved) Skip([&] { outcome_.contactsSaved = Require(store, "store").ItemsInFile(); });
  store.reset();
  Yield();
  Skip([&] { Require(rdoSession_, "store session").Logoff(); });
  rdoSession_.reset();
}

void ImportRun::CompleteLists(automation::Store* store) {
  automation::DistListReport report;
  QString why;
  if (!Skip([&] { report = Require(store, "store").CompleteDistributionLists(); }, &why)) {
    outcome_.listProblems << QStringLiteral("The distribution lists could not be completed: %1").arg(why);
    return;
  }
  outcome_.listsSaved += report.saved;
  for (const automation::DistListProblem& problem : report.problems) {
    QString list = QStringLiteral("\"%1\"").arg(problem.listName);
    if (problem.list < static_cast<std::size_t>(listFiles_.size())) {
      list += QStringLiteral(" (%1)").arg(listFiles_[static_cast<qsizetype>(problem.list)]);
    }
    if (problem.member.isEmpty()) {
      outcome_.listProblems << QStringLiteral("List %1: %2").arg(list, problem.reason);
    } else {
      ++outcome_.listMembersMissing;
      outcome_.listProblems << QStringLiteral("List %1: member %2: %3").arg(list, problem.member, problem.reason);
    }
  }
}

QString ImportRun::CompletionText() const {
  QString saved = Counted(outcome_.contactsSaved, "contact", "contacts");
  if (outcome_.listsSaved > 0) saved += QStringLiteral(" and ") + Counted(outcome_.listsSaved, "list", "lists");
  QString text = QStringLiteral("The import has finished.\n\n%1 saved in:\n%2").arg(saved, outcome_.pstPath);
  if (outcome_.filesFailed > 0 || outcome_.cardsFailed > 0) {
    QStringList missing;
    if (outcome_.filesFailed > 0) missing << Counted(outcome_.filesFailed, "file", "files");
    if (outcome_.cardsFailed > 0) missing << Counted(outcome_.cardsFailed, "card", "cards");
    text += QStringLiteral("\n\nCould not be imported: %1.").arg(missing.join(QStringLiteral(" and ")));
  }
  // Every file that did not go in whole, by name and why.
  const std::int64_t shown = std::max(0, view_.filesNamedInMessage());
  std::int64_t named = 0;
  std::int64_t rest = 0;
  for (const FileResult& result : outcome_.files) {
    if (result.complete()) continue;
    if (named < shown) {
      text += QStringLiteral("\n") + DescribeResult(result);
      ++named;
    } else {
      ++rest;
    }
  }
  if (rest > 0) {
    text += QStringLiteral("\n... and %1 more %2.").arg(rest).arg(QLatin1String(rest == 1 ? "file" : "files"));
  }
  if (!outcome_.endedBy.isEmpty()) {
    text += QStringLiteral("\n\nThe import ended at file %1 of %2: %3").arg(currentFile_).arg(fileTotal_).arg(
        outcome_.endedBy);
  }
  if (outcome_.listMembersMissing > 0) {
    text += QStringLiteral("\n\nList members not found: %1 (named in the details).").arg(outcome_.listMembersMissing);
  } else if (!outcome_.listProblems.isEmpty()) {
    text += QStringLiteral("\n\nDistribution lists: see the details.");
  }
  if (!outcome_.storeRemoved) {
    text += QStringLiteral("\n\nThe file could not be completed: %1").arg(outcome_.removeFailure);
  }
  return text;
}

void ImportRun::ReportProgress(int file, int files) {
  RunProgress where;
  where.file = file;
  where.files = files;
  where.contactsSaved = outcome_.contactsSaved;
  view_.progress(where);
}

// A saved group waits in the store as a list until the end of the run.
void ImportRun::CountSaved(automation::ContactItem& item, const QString& filePath) {
  QString kind;
  Skip([&] { kind = item.MessageClass(); });
  if (kind == QLatin1String(automation::kDistListClass)) {
    listFiles_ << filePath;
  } else {
    ++outcome_.contactsSaved;
  }
}

void ImportRun::CheckvCardType(const QString& vCardFileName) {
  Yield();
  const QString path = ListedFilePath(vCardFileName);
  QFile file;
  OpenForReading(file, path);
  Yield();
  vCardCount_ = 0;
  LineReader reader(file, path);
  reader.setMaxLineLength(automation::kMaxCardBytes);
  CardSplitter cards(/*collect=*/false);
  for (;;) {
    Yield();
    if (stopRequested_) break;  // the count is not needed any more
    if (reader.atEnd()) break;
    if (cards.addLine(reader.readLine())) ++vCardCount_;
  }
  if (cards.finish()) ++vCardCount_;
  Yield();
}

FileResult& ImportRun::CurrentFile(const QString& path, bool fresh) {
  // A file imported on its own, outside a run's file loop, gets its result here.
  if (fresh || outcome_.files.empty() || outcome_.files.back().path != path) {
    outcome_.files.emplace_back();
    outcome_.files.back().path = path;
  }
  return outcome_.files.back();
}

void ImportRun::ImportVCardFile(automation::Session* session, const QString& filePath,
                                const QString& folderPath) {
  if (vCardCount_ < 2) {
    ImportWhole(session, filePath, folderPath);
  } else {
    ImportSplit(session, filePath, folderPath);
  }
}

void ImportRun::ImportWhole(automation::Session* session, const QString& filePath,
                            const QString& folderPath) {
  FileResult& result = CurrentFile(filePath);
  std::unique_ptr<automation::Folder> folder;
  std::unique_ptr<automation::ContactItem> item;
  QString why;
  const bool haveItem =
      Skip([&] { folder = Require(session, "store session").GetFolderFromPath(folderPath); }, &why) &&
      Skip([&] { item = Require(Require(folder, "folder").Items(), "item list").Add(automation::olContactItem); },
           &why);
  const bool imported = Skip([&] { Require(item, "contact item").Import(filePath, automation::olVCard); }, &why);
  if (!imported && haveItem) {
    // A contact takes one card. A file the count saw as one card or none that
    // holds several after all (it changed, or could not be counted) is split.
    const std::int64_t counted = vCardCount_;
    if (Skip([&] { CheckvCardType(filePath); }) && vCardCount_ >= 2) {
      item.reset();
      result.found = vCardCount_;
      ImportSplit(session, filePath, folderPath);
      return;
    }
    vCardCount_ = counted;
  }
  QString saveWhy;
  const bool saved = Skip([&] { SaveItem(Require(item, "contact item")); }, &saveWhy);
  if (imported && saved) {
    CountSaved(*item, filePath);
    ++result.saved;
    result.found = std::max<std::int64_t>(result.found, 1);
    return;
  }
  ++outcome_.filesFailed;
  result.failed = true;
  result.notImported = result.found - result.saved;
  if (!haveItem) {
    NoteFailure(result, QStringLiteral("its folder in the store could not be opened"), why);
  } else if (!imported) {
    NoteFailure(result, result.found == 0 ? QStringLiteral("holds no vCard") : QStringLiteral("could not be read"),
                why);
  } else {
    NoteFailure(result, QStringLiteral("could not be saved"), saveWhy);
  }
}

void ImportRun::ImportSplit(automation::Session* session, const QString& filePath,
                            const QString& folderPath) {
  FileResult& result = CurrentFile(filePath);
  Yield();
  QFile file;
  QString readWhy, readCause;
  const bool opened = Skip([&] { OpenForReading(file, filePath); }, &readWhy, &readCause);
  bool readFailed = !opened;
  Yield();
  CardSplitter splitter;
  std::int64_t cardNumber = 1;
  std::pair<std::int64_t, std::int64_t> shownFrame{-1, -1};
  QString frameCaption;
  std::int64_t cardsCut = 0;
  const auto importCard = [&](TextEncoding encoding) {
    Yield();
    ++cardsCut;
    QString reason, detail;
    if (ImportCard(session, filePath, folderPath, splitter.card(), cardNumber, encoding, &reason, &detail)) {
      ++result.saved;
    } else {
      ++outcome_.cardsFailed;
      ++result.notImported;
      NoteFailure(result, reason, detail);
    }
    ++cardNumber;
    ++contactCount_;
    view_.setCaption(Caption::LblProgessCurrent,
                     QStringLiteral("Contact %1 (of %2)").arg(contactCount_).arg(vCardCount_));
    ReportProgress(currentFile_, fileTotal_);
  };
  Yield();
  if (!readFailed) {
    LineReader reader(file, filePath);
    reader.setMaxLineLength(automation::kMaxCardBytes);
    TextEncoding encoding = TextEncoding::Bytes;
    for (;;) {
      bool atEnd = true;
      QString line;
      // A read that fails ends the file: what was read so far stays imported.
      if (!Skip([&] { atEnd = reader.atEnd(); }, &readWhy, &readCause)) readFailed = true;
      if (atEnd) break;
      if (!Skip([&] { line = reader.readLine(); }, &readWhy, &readCause)) {
        readFailed = true;
        break;
      }
      Yield();
      const bool ended = splitter.addLine(line);
      if (!ended && splitter.cardSize() > automation::kMaxCardBytes) {
        // Refused before more of it is held in memory; the rest of the file goes with it.
        readCause = QStringLiteral("card %1 is larger than %2 MB, the largest card taken").arg(cardNumber).arg(
            automation::kMaxCardBytes >> 20);
        readWhy = readCause;
        readFailed = true;
        break;
      }
      if (ended) {
        Skip([&] { encoding = reader.encoding(); });
        importCard(encoding);
      }
      Yield();
      // Set after every line, but only built anew when its numbers change.
      const std::pair<std::int64_t, std::int64_t> frame{contactCount_ + 1, files_.Rows() + contactCount_};
      if (frame != shownFrame) {
        frameCaption = QStringLiteral("Details : Converting - (%1 of %2) file(s)").arg(frame.first).arg(frame.second);
        shownFrame = frame;
      }
      view_.setCaption(Caption::FrameConversion, frameCaption);
      if (Ending() && !splitter.inCard()) break;
    }
    // A card still open at the end of the file (or where reading failed) is
    // imported as it stands.
    if (splitter.finish()) {
      Skip([&] { encoding = reader.encoding(); });
      importCard(encoding);
    }
  }
  // Cards the count found that were never reached are named too.
  result.found = std::max(result.found, cardsCut);
  if (readFailed) {
    ++outcome_.filesFailed;
    result.failed = true;
    NoteFailure(result, opened ? QStringLiteral("reading stopped") : QStringLiteral("cannot be opened"), readWhy,
                readCause);
  }
  if (const std::int64_t unreached = result.found - result.saved - result.notImported; unreached > 0) {
    result.notImported += unreached;
    NoteFailure(result, stopRequested_ ? QStringLiteral("the import was stopped")
                                       : QStringLiteral("the file changed while it was imported"),
                QString());
  }
  vCardCount_ = 0;
  Yield();
  file.close();
}

bool ImportRun::ImportCard(automation::Session* session, const QString& filePath, const QString& folderPath,
                           const QString& cardText, std::int64_t cardNumber, TextEncoding encoding, QString* reason,
                           QString* detail) {
  QString cardFilePath;
  QString why, cause;
  // The card file keeps the source's encoding and byte-order mark, so the
  // card reads exactly as it would in the whole file.
  bool haveFolder = false;
  int error = 0;
  const bool written = Skip(
      [&] {
        const QString folder = QString::fromStdU16String(GetTempFolderPath());
        haveFolder = true;
        cardFilePath = folder + QStringLiteral("vCard") + QString::number(cardNumber) + QStringLiteral(".vcf");
        WriteFile(cardFilePath, EncodeText(cardText + QLatin1String("\r\n"), encoding), &error);
      },
      &why, &cause);
  if (!written) {
    *reason = cause.isEmpty() ? QStringLiteral("its card file could not be written")
                              : QStringLiteral("its card file could not be written: ") + cause;
    *detail = why;
  }
  // Without a temporary folder that takes cards (missing, full, read-only)
  // no card of any file can be imported: the run ends and says why.
  const bool folderFailed = !haveFolder || error == ENOSPC || error == EDQUOT || error == EROFS ||
                            error == EACCES || error == ENOENT;
  if (!written && folderFailed && outcome_.endedBy.isEmpty()) outcome_.endedBy = why;
  Yield();
  std::unique_ptr<automation::Folder> folder;
  std::unique_ptr<automation::ContactItem> item;
  const bool haveItem =
      Skip([&] { folder = Require(session, "store session").GetFolderFromPath(folderPath); }, &why) &&
      Skip([&] { item = Require(Require(folder, "folder").Items(), "item list").Add(automation::olContactItem); },
           &why);
  if (written && !haveItem) {
    *reason = QStringLiteral("its folder in the store could not be opened");
    *detail = why;
  }
  // A card file that could not be written would import a stale card left
  // by an earlier file under the same name: that import is not made.
  const bool imported =
      written && Skip([&] { Require(item, "contact item").Import(TrimSpaces(cardFilePath), automation::olVCard); },
                      &why);
  if (written && haveItem && !imported) {
    *reason = QStringLiteral("a card could not be read");
    *detail = why;
  }
  const bool saved = Skip([&] { SaveItem(Require(item, "contact item")); }, &why);
  if (imported && !saved) {
    *reason = QStringLiteral("a card could not be saved");
    *detail = why;
  }
  if (imported && saved) CountSaved(*item, filePath);
  item.reset();
  // The card file has served its purpose. Removed, it neither slows a folder
  // of a million spent card files down nor is truncated when the next file's
  // card takes its name (some file systems flush such a file on its close).
  if (written) ::unlink(NativePath(cardFilePath).c_str());
  return imported && saved;
}

void ImportRun::SaveItem(automation::ContactItem& item) {
  try {
    item.Save();
  } catch (const automation::AutomationError& e) {
    // A store that failed to write takes nothing more: the run ends here.
    if (e.number() == automation::errors::kNotEnoughDisk || e.number() == automation::errors::kDiskError) {
      if (outcome_.endedBy.isEmpty()) outcome_.endedBy = DescribeFailure(e);
    }
    throw;
  }
}

}  // namespace quillonet
