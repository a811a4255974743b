// ImportRun: the run's steps, its three failure regimes and its messages.
#include "import/import_run.h"

#include <QFile>

#include <utility>

#include "import/card_splitter.h"
#include "import/failures.h"
#include "import/store_folders.h"
#include "import/time_stamp.h"
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

void OpenForReading(QFile& file) {
  if (!file.open(QIODevice::ReadOnly)) {
    throw FileError(QStringLiteral("Cannot open %1: %2").arg(file.fileName(), file.errorString()));
  }
}

void WriteFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size() ||
      !file.flush()) {
    throw FileError(QStringLiteral("Cannot write %1: %2").arg(path, file.errorString()));
  }
  file.close();
}

QString Counted(std::int64_t n, const char* one, const char* many) {
  return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
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

  // From here on a failing step is skipped and the run goes on.
  if (!stopRequested_) {
    CreateStoreFolders(rdoSession_.get(), storeID, storeDisplayName_, folderList_, components_,
                       [this] { Yield(); });
  }
  if (!stopRequested_) ImportFiles();
  TearDown(store);

  if (stopRequested_) {
    outcome_.status = RunOutcome::Status::Stopped;
    return;
  }
  outcome_.status = RunOutcome::Status::Completed;
  // Every list problem is named in the details: there may be hundreds.
  view_.showMessage(AppTitle(), CompletionText(), outcome_.listProblems.join(QLatin1Char('\n')));
}

bool ImportRun::SetUp(std::unique_ptr<automation::Store>& store, QByteArray& storeID) {
  // Any failure here ends the run with the Outlook error message; nothing
  // is undone: the session stays logged on, an added store stays in the profile.
  try {
    auto session = components_.CreateRDOSession();
    Require(session, "store session");
    rdoSession_ = std::move(session);
    rdoSession_->Logon();

    const QString pstPath =
        saveFolder_ + QStringLiteral("MarlixContacts") + TimeStamp(clock_()) + QStringLiteral(".pst");
    storeDisplayName_ = QStringLiteral("Marlix Contacts") + QStringLiteral(" : Created - ") + TimeStamp(clock_());
    store = Require(rdoSession_->Stores(), "store list")
                .AddPSTStore(pstPath, automation::olStoreDefault, storeDisplayName_);
    outcome_.pstPath = pstPath;
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

void ImportRun::ImportFiles() {
  const int rows = files_.Rows();
  fileTotal_ = rows;
  for (int i = 0; i < rows && !stopRequested_; ++i) {
    // Rows cleared from the list while the run yielded are gone.
    if (i >= files_.Rows()) break;
    currentFile_ = i + 1;
    files_.setCurrentCell(i, 0);
    contactCount_ = 0;
    Yield();
    const QString text = files_.Text();
    QString folder;
    const bool haveFolder = Skip([&] { folder = GetRelativeFolder(text); });
    if (haveFolder) relFolder_ = folder;
    const QString path = TrimSpaces(text);
    Skip([&] { CheckvCardType(path); });
    if (haveFolder) {
      ImportVCardFile(rdoSession_.get(), path,
                      QStringLiteral("\\\\") + storeDisplayName_ + QLatin1Char('\\') + relFolder_);
    } else {
      // A row added during the run whose folder the store does not have:
      // importing it into the previous file's folder would misfile it.
      ++outcome_.filesFailed;
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
  QFile file(TrimSpaces(vCardFileName));
  OpenForReading(file);
  Yield();
  vCardCount_ = 0;
  LineReader reader(file, file.fileName());
  for (;;) {
    Yield();
    if (reader.atEnd()) break;
    if (TrimSpaces(reader.readLine()) == QLatin1String("END:VCARD")) ++vCardCount_;
  }
  Yield();
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
  std::unique_ptr<automation::Folder> folder;
  std::unique_ptr<automation::ContactItem> item;
  Skip([&] { folder = Require(session, "store session").GetFolderFromPath(folderPath); });
  Skip([&] { item = Require(Require(folder, "folder").Items(), "item list").Add(automation::olContactItem); });
  const bool imported = Skip([&] { Require(item, "contact item").Import(filePath, automation::olVCard); });
  const bool saved = Skip([&] { Require(item, "contact item").Save(); });
  if (imported && saved) {
    CountSaved(*item, filePath);
  } else {
    ++outcome_.filesFailed;
  }
}

void ImportRun::ImportSplit(automation::Session* session, const QString& filePath,
                            const QString& folderPath) {
  Yield();
  QFile file(filePath);
  bool readFailed = !Skip([&] { OpenForReading(file); });
  Yield();
  CardSplitter splitter;
  std::int64_t cardNumber = 1;
  std::pair<std::int64_t, std::int64_t> shownFrame{-1, -1};
  QString frameCaption;
  Yield();
  if (!readFailed) {
    LineReader reader(file, filePath);
    for (;;) {
      bool atEnd = true;
      QString line;
      // A read that fails ends the file: what was read so far stays imported.
      if (!Skip([&] { atEnd = reader.atEnd(); })) readFailed = true;
      if (atEnd) break;
      if (!Skip([&] { line = reader.readLine(); })) {
        readFailed = true;
        break;
      }
      Yield();
      if (splitter.addLine(line)) {
        Yield();
        TextEncoding encoding = TextEncoding::Bytes;
        Skip([&] { encoding = reader.encoding(); });
        if (!ImportCard(session, filePath, folderPath, splitter.card(), cardNumber, encoding)) {
          ++outcome_.cardsFailed;
        }
        ++cardNumber;
        ++contactCount_;
        view_.setCaption(Caption::LblProgessCurrent,
                         QStringLiteral("Contact %1 (of %2)").arg(contactCount_).arg(vCardCount_));
        ReportProgress(currentFile_, fileTotal_);
      }
      Yield();
      // Set after every line, but only built anew when its numbers change.
      const std::pair<std::int64_t, std::int64_t> frame{contactCount_ + 1, files_.Rows() + contactCount_};
      if (frame != shownFrame) {
        frameCaption = QStringLiteral("Details : Converting - (%1 of %2) file(s)").arg(frame.first).arg(frame.second);
        shownFrame = frame;
      }
      view_.setCaption(Caption::FrameConversion, frameCaption);
      if (stopRequested_ && !splitter.inCard()) break;
    }
  }
  if (readFailed) ++outcome_.filesFailed;
  vCardCount_ = 0;
  Yield();
  file.close();
}

bool ImportRun::ImportCard(automation::Session* session, const QString& filePath, const QString& folderPath,
                           const QString& cardText, std::int64_t cardNumber, TextEncoding encoding) {
  QString cardFilePath;
  // The card file keeps the source's encoding and byte-order mark, so the
  // card reads exactly as it would in the whole file.
  const bool written = Skip([&] {
    cardFilePath = GetTempFolderPath() + QStringLiteral("vCard") + QString::number(cardNumber) + QStringLiteral(".vcf");
    WriteFile(cardFilePath, EncodeText(cardText + QLatin1String("\r\n"), encoding));
  });
  Yield();
  std::unique_ptr<automation::Folder> folder;
  std::unique_ptr<automation::ContactItem> item;
  Skip([&] { folder = Require(session, "store session").GetFolderFromPath(folderPath); });
  Skip([&] { item = Require(Require(folder, "folder").Items(), "item list").Add(automation::olContactItem); });
  // A card file that could not be written would import a stale card left
  // by an earlier file under the same name: that import is not made.
  const bool imported =
      written && Skip([&] { Require(item, "contact item").Import(TrimSpaces(cardFilePath), automation::olVCard); });
  const bool saved = Skip([&] { Require(item, "contact item").Save(); });
  if (imported && saved) CountSaved(*item, filePath);
  item.reset();
  // The card file has served its purpose. Removed, it neither slows a folder
  // of a million spent card files down nor is truncated when the next file's
  // card takes its name (some file systems flush such a file on its close).
  if (written) QFile::remove(cardFilePath);
  return imported && saved;
}

}  // namespace quillonet
