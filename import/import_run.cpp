// ImportRun: the run's steps, its three failure regimes and its messages.
#include "import/import_run.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <future>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include "import/card_reading.h"
#include "import/card_splitter.h"
#include "import/failures.h"
#include "import/read_ahead.h"
#include "import/store_folders.h"
#include "import/time_stamp.h"
#include "platform/regular_file.h"
#include "util/app_info.h"
#include "util/registry.h"
#include "util/text.h"

namespace quillonet {

using automation::Require;

namespace {

constexpr std::u16string_view kOutlookHelpAddress = u"https://support.microsoft.com/outlook";

// The separator to append to a chosen folder: the one its path already uses.
char16_t SeparatorOf(const std::u16string& folder) {
  return folder.find(u'\\') != std::u16string::npos && folder.find(u'/') == std::u16string::npos ? u'\\' : u'/';
}

// Opens a listed file by its exact native name, and only a regular file:
// a FIFO, a device or a socket is refused without being read or waited on.
platform::FileDescriptor OpenForReading(const std::u16string& path) {
  try {
    return platform::OpenRegularFile(path);
  } catch (const std::system_error& e) {
    std::u16string cause = text::FromUtf8(e.code().message());
    throw FileError(text::Format(u"Cannot open %1: %2", {path, cause}), std::move(cause));
  }
}

// The bytes of an open file, for a LineReader.
ByteSource ReadingFrom(platform::FileDescriptor& file) {
  return [&file](char* data, std::size_t size) { return file.Read(data, size); };
}

// *error gets the cause of a failure (an errno value).
void WriteFile(const std::u16string& path, std::string_view bytes, int* error) {
  try {
    platform::WriteRegularFile(path, bytes);
  } catch (const std::system_error& e) {
    *error = e.code().value();
    std::u16string cause = text::FromUtf8(e.code().message());
    throw FileError(text::Format(u"Cannot write %1: %2", {path, cause}), std::move(cause));
  }
}

// A disk quota is exhausted (POSIX only: Windows reports a full disk).
bool IsQuotaExceeded(int error) {
#ifdef EDQUOT
  return error == EDQUOT;
#else
  (void)error;
  return false;
#endif
}

// How many later stamps a run tries, in all, when the store file's name is taken.
constexpr int kStampTries = 5;

std::u16string Counted(std::int64_t n, std::u16string_view one, std::u16string_view many) {
  return text::Format(u"%1 %2", {text::Number(n), n == 1 ? one : many});
}

// Keeps the first failure of a file: a few words, with the system's cause
// when there is one, and the full text.
void NoteFailure(FileResult& result, std::u16string_view reason, const std::u16string& detail,
                 const std::u16string& cause = {}) {
  if (!result.reason.empty()) return;
  result.reason = reason;
  if (!cause.empty()) result.reason += u": " + cause;
  result.detail = detail;
}

// One line of the completion message for a file not imported in full.
std::u16string DescribeResult(const FileResult& result) {
  const std::u16string what =
      result.saved == 0 && result.found <= 1
          ? std::u16string(u"not imported")
          : text::Format(u"%1 of %2 cards not imported",
                         {text::Number(result.notImported), text::Number(result.found)});
  return text::Format(u"%1: %2 (%3)", {result.path, what, result.reason});
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

std::u16string OutlookErrorText() {
  return std::u16string(
             u"Outlook Session Creation Error !\r\n"
             u"Check if Outlook is installed and configured.\r\n"
             u"For more details visit this link : ") +
         std::u16string(kOutlookHelpAddress);
}

ImportRun::ImportRun(automation::ComponentFactory& components, ImportView& view, FileListSource& files,
                     Clock clock)
    : components_(components), view_(view), files_(files), clock_(std::move(clock)) {
  if (!clock_) clock_ = [] { return platform::WallClock::now(); };
}

ImportRun::~ImportRun() = default;

void ImportRun::CmdExtractDBX_Click() {
  if (running_) return;
  RunningFlag running(running_);
  stopRequested_ = false;
  outcome_ = RunOutcome{};
  listFiles_.clear();

  // Destination.
  saveFolder_ = view_.BrowseForFolder(u"Choose Folder to Save...");
  if (saveFolder_.empty()) {
    outcome_.status = RunOutcome::Status::Cancelled;
    return;
  }
  if (!saveFolder_.ends_with(u'\\') && !saveFolder_.ends_with(u'/')) saveFolder_ += SeparatorOf(saveFolder_);
  Yield();

  // Progress range.
  for (const Bar bar : {Bar::ProgressBar1, Bar::ProgressBar2}) {
    view_.setProgressMin(bar, 0.0f);
    view_.setProgressMax(bar, 100.0f);
  }
  Yield();

  std::unique_ptr<automation::Store> store;
  std::vector<std::uint8_t> storeID;
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
  view_.showMessage(AppTitle(), CompletionText(), text::Join(outcome_.listProblems, u"\n"));
}

bool ImportRun::SetUp(std::unique_ptr<automation::Store>& store, std::vector<std::uint8_t>& storeID) {
  // Any failure here ends the run with the Outlook error message; nothing
  // is undone: the session stays logged on, an added store stays in the profile.
  try {
    auto session = components_.CreateRDOSession();
    Require(session, "store session");
    rdoSession_ = std::move(session);
    rdoSession_->Logon();

    // A name taken by an earlier run (one in the same second) is not an
    // error: the run waits for the next second's stamp.
    platform::WallClock::time_point when = clock_();
    for (int tries = 0;;) {
      const platform::WallClock::time_point first = when;
      const std::u16string pstPath = FreePstPath(when, tries);
      storeDisplayName_ = u"Marlix Contacts : Created - " + TimeStamp(when == first ? clock_() : when);
      try {
        store = Require(rdoSession_->Stores(), "store list")
                    .AddPSTStore(pstPath, automation::olStoreDefault, storeDisplayName_);
        outcome_.pstPath = pstPath;
        break;
      } catch (const automation::AutomationError& e) {
        // Another run took the name between the look and the creation.
        if (e.number() != automation::errors::kCollision || tries >= kStampTries ||
            !platform::PathExists(pstPath)) {
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
    view_.showMessage(kOutlookErrorCaption, OutlookErrorText(), outcome_.failure);
    return false;
  }
  return true;
}

std::u16string ImportRun::FreePstPath(platform::WallClock::time_point& when, int& tries) {
  const auto pathAt = [this](platform::WallClock::time_point at) {
    return saveFolder_ + u"MarlixContacts" + TimeStamp(at) + u".pst";
  };
  for (; tries < kStampTries && platform::PathExists(pathAt(when)); ++tries) {
    const platform::WallClock::time_point next = when + std::chrono::seconds(1);
    // The clock reaches the next second within one; one that stands still
    // (a test's) is not waited for longer.
    const auto waitEnds = std::chrono::steady_clock::now() + std::chrono::milliseconds(1100);
    while (clock_() < next && std::chrono::steady_clock::now() < waitEnds) {
      Yield();
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    const platform::WallClock::time_point now = clock_();
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
    const std::u16string text = files_.Text();
    std::u16string folder;
    std::u16string why;
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
    const std::u16string path = ListedFilePath(text);
    FileResult& result = CurrentFile(path, /*fresh=*/true);
    // Nothing to import from a FIFO or a device, and nothing to wait for.
    const platform::PathKind kind = platform::KindOf(path);
    const bool special = kind == platform::PathKind::Other || kind == platform::PathKind::Folder;
    std::u16string countWhy, cause;
    if (!special) {
      if (Skip([&] { CheckvCardType(path); }, &countWhy, &cause)) {
        result.found = vCardCount_;
      } else {
        NoteFailure(result, u"cannot be read", countWhy, cause);
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
        NoteFailure(result, u"not a regular file", {});
      } else if (rootFile) {
        NoteFailure(result, u"it lies directly in a root folder", why);
      } else {
        NoteFailure(result, u"its folder is not in the store", why);
      }
    } else if (!Ending()) {
      ImportVCardFile(rdoSession_.get(), path, u"\\\\" + storeDisplayName_ + u'\\' + relFolder_);
    }
    view_.setImportEnabled(false);
    view_.setCaption(Caption::FrameConversion, text::Format(u"Details : Converting - (%1 of %2) file(s)",
                                                            {text::Number(i + 1), text::Number(files_.Rows())}));
    view_.setCaption(Caption::LblCurrentDBX, text::Format(u"Importing Contacts... from (%1)", {relFolder_}));
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
  // Completing the file ends with syncs that wait for the disk, for a second
  // or more after a large import: they run aside while events are served.
  outcome_.storeRemoved = Skip(
      [&] {
        automation::Store& leaving = Require(store, "store");
        std::future<void> removed = std::async(std::launch::async, [&leaving] { leaving.Remove(); });
        while (removed.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready) Yield();
        removed.get();
      },
      &outcome_.removeFailure);
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
  std::u16string why;
  if (!Skip([&] { report = Require(store, "store").CompleteDistributionLists(); }, &why)) {
    outcome_.listProblems.push_back(text::Format(u"The distribution lists could not be completed: %1", {why}));
    return;
  }
  outcome_.listsSaved += report.saved;
  for (const automation::DistListProblem& problem : report.problems) {
    std::u16string list = u"\"" + problem.listName + u"\"";
    if (problem.list < listFiles_.size()) list += u" (" + listFiles_[problem.list] + u")";
    if (problem.member.empty()) {
      outcome_.listProblems.push_back(text::Format(u"List %1: %2", {list, problem.reason}));
    } else {
      ++outcome_.listMembersMissing;
      outcome_.listProblems.push_back(text::Format(u"List %1: member %2: %3", {list, problem.member, problem.reason}));
    }
  }
}

std::u16string ImportRun::CompletionText() const {
  std::u16string saved = Counted(outcome_.contactsSaved, u"contact", u"contacts");
  if (outcome_.listsSaved > 0) saved += u" and " + Counted(outcome_.listsSaved, u"list", u"lists");
  std::u16string message = text::Format(u"The import has finished.\n\n%1 saved in:\n%2", {saved, outcome_.pstPath});
  if (outcome_.filesFailed > 0 || outcome_.cardsFailed > 0) {
    std::vector<std::u16string> missing;
    if (outcome_.filesFailed > 0) missing.push_back(Counted(outcome_.filesFailed, u"file", u"files"));
    if (outcome_.cardsFailed > 0) missing.push_back(Counted(outcome_.cardsFailed, u"card", u"cards"));
    message += text::Format(u"\n\nCould not be imported: %1.", {text::Join(missing, u" and ")});
  }
  // Every file that did not go in whole, by name and why.
  const std::int64_t shown = std::max(0, view_.filesNamedInMessage());
  std::int64_t named = 0;
  std::int64_t rest = 0;
  for (const FileResult& result : outcome_.files) {
    if (result.complete()) continue;
    if (named < shown) {
      message += u"\n" + DescribeResult(result);
      ++named;
    } else {
      ++rest;
    }
  }
  if (rest > 0) {
    message += text::Format(u"\n... and %1 more %2.", {text::Number(rest), rest == 1 ? u"file" : u"files"});
  }
  if (!outcome_.endedBy.empty()) {
    message += text::Format(u"\n\nThe import ended at file %1 of %2: %3",
                            {text::Number(currentFile_), text::Number(fileTotal_), outcome_.endedBy});
  }
  if (outcome_.listMembersMissing > 0) {
    message += text::Format(u"\n\nList members not found: %1 (named in the details).",
                            {text::Number(outcome_.listMembersMissing)});
  } else if (!outcome_.listProblems.empty()) {
    message += u"\n\nDistribution lists: see the details.";
  }
  if (!outcome_.storeRemoved) {
    message += text::Format(u"\n\nThe file could not be completed: %1", {outcome_.removeFailure});
  }
  return message;
}

void ImportRun::ReportProgress(int file, int files) {
  RunProgress where;
  where.file = file;
  where.files = files;
  where.contactsSaved = outcome_.contactsSaved;
  view_.progress(where);
}

// A saved group waits in the store as a list until the end of the run.
void ImportRun::CountSaved(automation::ContactItem& item, const std::u16string& filePath) {
  std::u16string kind;
  Skip([&] { kind = item.MessageClass(); });
  if (kind == automation::kDistListClass) {
    listFiles_.push_back(filePath);
  } else {
    ++outcome_.contactsSaved;
  }
}

void ImportRun::CheckvCardType(const std::u16string& vCardFileName) {
  Yield();
  const std::u16string path = ListedFilePath(vCardFileName);
  platform::FileDescriptor file = OpenForReading(path);
  Yield();
  vCardCount_ = 0;
  LineReader reader(ReadingFrom(file), path);
  reader.setMaxLineLength(automation::kMaxCardBytes);
  // Counted as the file is cut: 8-bit text as its bytes.
  const auto count = [&]<class Unit>(BasicCardSplitter<Unit> cards) {
    std::basic_string<Unit> line;
    for (;;) {
      Yield();
      if (stopRequested_) break;  // the count is not needed any more
      if (reader.atEnd()) break;
      reader.readLine(line);
      if (cards.addLine(line)) ++vCardCount_;
    }
    if (cards.finish()) ++vCardCount_;
  };
  if (reader.eightBit()) {
    count(ByteCardSplitter(/*collect=*/false));
  } else {
    count(CardSplitter(/*collect=*/false));
  }
  Yield();
}

FileResult& ImportRun::CurrentFile(const std::u16string& path, bool fresh) {
  // A file imported on its own, outside a run's file loop, gets its result here.
  if (fresh || outcome_.files.empty() || outcome_.files.back().path != path) {
    outcome_.files.emplace_back();
    outcome_.files.back().path = path;
  }
  return outcome_.files.back();
}

void ImportRun::ImportVCardFile(automation::Session* session, const std::u16string& filePath,
                                const std::u16string& folderPath) {
  if (vCardCount_ < 2) {
    ImportWhole(session, filePath, folderPath);
  } else {
    ImportSplit(session, filePath, folderPath);
  }
}

void ImportRun::ImportWhole(automation::Session* session, const std::u16string& filePath,
                            const std::u16string& folderPath) {
  FileResult& result = CurrentFile(filePath);
  std::unique_ptr<automation::Folder> folder;
  std::unique_ptr<automation::ContactItem> item;
  std::u16string why;
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
  std::u16string saveWhy;
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
    NoteFailure(result, u"its folder in the store could not be opened", why);
  } else if (!imported) {
    NoteFailure(result, result.found == 0 ? u"holds no vCard" : u"could not be read", why);
  } else {
    NoteFailure(result, u"could not be saved", saveWhy);
  }
}

// A card's file, written ahead of its import; or, where the session reads
// cards from their bytes, the card read ahead, with no file. While the file
// holds a card, destroying it removes the file: a run that stops early leaves
// none of the files written ahead behind.
struct ImportRun::CardFile {
  CardFile() = default;
  CardFile(CardFile&& other) noexcept { *this = std::move(other); }
  CardFile& operator=(CardFile&& other) noexcept {
    if (this != &other) {
      remove();
      path = std::move(other.path);
      why = std::move(other.why);
      cause = std::move(other.cause);
      written = std::exchange(other.written, false);
      read = std::move(other.read);
      cutCard = std::move(other.cutCard);
      size = other.size;
      haveFolder = other.haveFolder;
      error = other.error;
    }
    return *this;
  }
  ~CardFile() { remove(); }
  void remove() {
    if (written) platform::RemoveFile(path);
    written = false;
  }

  std::u16string path;
  bool written = false;     // the file holds the card
  std::shared_ptr<const automation::ReadCard> read;  // the card read ahead, instead of a file
  std::shared_ptr<CardReading::Card> cutCard;        // the card to be read, instead of a file
  std::size_t size = 0;     // bytes written
  bool haveFolder = false;  // the temporary folder was there
  int error = 0;            // errno of a failed write
  std::u16string why, cause;
};

namespace {

// A card as its file holds it: in the source's encoding, with its byte-order
// mark, so that it reads exactly as it would in the whole file.
std::string CardBytes(std::u16string_view cardText, TextEncoding encoding) {
  std::u16string cardFile;
  cardFile.reserve(cardText.size() + 2);
  cardFile += cardText;
  cardFile += u"\r\n";
  return EncodeText(cardFile, encoding);
}

// The same of a card of 8-bit text cut as its bytes, which it keeps.
std::string CardBytes(std::string_view cardText, TextEncoding encoding) {
  const std::string_view mark = encoding == TextEncoding::Utf8Bom ? "\xEF\xBB\xBF" : "";
  std::string bytes;
  bytes.reserve(mark.size() + cardText.size() + 2);
  bytes += mark;
  bytes += cardText;
  bytes += "\r\n";
  return bytes;
}

}  // namespace

// Writes a card's file. One of the spares (card files imported already)
// takes the new name and bytes, so that no file is made or removed: the
// longest no longer than the card, which need not be cut.
ImportRun::CardFile ImportRun::WriteCardFile(std::string_view bytes, std::int64_t cardNumber,
                                             std::vector<CardFile>& spares) {
  CardFile file;
  file.written = Skip(
      [&] {
        file.path = GetTempFolderPath();
        file.haveFolder = true;
        file.path += u"vCard";
        file.path += text::Number(cardNumber);
        file.path += u".vcf";
        file.size = bytes.size();
        auto best = spares.end();
        for (auto it = spares.begin(); it != spares.end(); ++it) {
          if (it->size <= bytes.size() && (best == spares.end() || it->size > best->size)) best = it;
        }
        if (best != spares.end()) {
          CardFile spare = std::move(*best);
          *best = std::move(spares.back());
          spares.pop_back();
          spare.written = false;  // renamed or removed below: nothing of it is left to remove
          if (platform::RecycleRegularFile(spare.path, spare.size, file.path, bytes)) return;
        }
        WriteFile(file.path, bytes, &file.error);
      },
      &file.why, &file.cause);
  return file;
}

namespace {

// How far a split file is read ahead of its imports, in batches of lines:
// a few hundred lines, a few dozen cards.
constexpr std::size_t kBatchesAhead = 4;
constexpr std::size_t kLinesPerBatch = 512;
// Imported card files kept to take later cards' names and bytes.
constexpr std::size_t kSparesKept = 64;

}  // namespace

void ImportRun::ImportSplit(automation::Session* session, const std::u16string& filePath,
                            const std::u16string& folderPath) {
  FileResult& result = CurrentFile(filePath);
  Yield();
  platform::FileDescriptor file;
  std::u16string readWhy, readCause;
  const bool opened = Skip([&] { file = OpenForReading(filePath); }, &readWhy, &readCause);
  bool readFailed = !opened;
  Yield();
  std::pair<std::int64_t, std::int64_t> shownFrame{-1, -1};
  std::u16string frameCaption;
  std::int64_t cardsCut = 0;
  std::optional<CardReading> reading;  // cards cut are read here, when the session reads cards
  const auto importCard = [&](CardFile& card) {
    Yield();
    ++cardsCut;
    if (card.cutCard) {
      Skip([&] { card.read = reading->Take(*card.cutCard); }, &card.why, &card.cause);
      card.cutCard.reset();
    }
    std::u16string reason, detail;
    if (ImportCard(session, filePath, folderPath, card, &reason, &detail)) {
      ++result.saved;
    } else {
      ++outcome_.cardsFailed;
      ++result.notImported;
      NoteFailure(result, reason, detail);
    }
    ++contactCount_;
    view_.setCaption(Caption::LblProgessCurrent,
                     text::Format(u"Contact %1 (of %2)", {text::Number(contactCount_), text::Number(vCardCount_)}));
    ReportProgress(currentFile_, fileTotal_);
  };
  Yield();
  if (!readFailed) {
    // Card files that have served their purpose. The reading thread gives
    // them the names and bytes of the cards it writes next, so that a run
    // makes only as many files as it reads ahead; those left are removed when
    // this ends. A folder of a million spent card files is never slow, and
    // the next file's cards take their names from fresh files.
    class SpentFiles {
     public:
      // Cards read ahead come back too, to be freed on the thread that
      // made them: memory freed by another thread than its own costs a lock
      // both threads contend for.
      void add(CardFile&& file) {
        if (!file.written && !file.read) return;
        const std::lock_guard lock(mutex_);
        if (file.read) reads_.push_back(std::move(file.read));
        if (file.written) files_.push_back(std::move(file));
      }
      // Hands the files over to be given new names, or removed; frees the
      // cards read.
      void moveTo(std::vector<CardFile>& pool) {
        std::vector<std::shared_ptr<const automation::ReadCard>> reads;
        {
          const std::lock_guard lock(mutex_);
          for (CardFile& file : files_) pool.push_back(std::move(file));
          files_.clear();
          reads.swap(reads_);
        }
        // Spares no card was short enough for are not kept for ever.
        if (pool.size() > kSparesKept) {
          std::sort(pool.begin(), pool.end(), [](const CardFile& a, const CardFile& b) { return a.size < b.size; });
          pool.resize(kSparesKept);
        }
      }

     private:
      std::mutex mutex_;
      std::vector<CardFile> files_;
      std::vector<std::shared_ptr<const automation::ReadCard>> reads_;
    } spent;
    // What reading the file found at one of its lines, or after its last.
    struct SplitStep {
      enum class Kind {
        Line,      // a line was read; card: the card it ended, written
        TooLarge,  // the open card outgrew the largest card taken: reading stops
        Last,      // card: the card still open when reading ended, written
        End,       // reading ended; failed, why and cause when it failed
      };
      explicit SplitStep(Kind k = Kind::Line) : kind(k) {}
      Kind kind;
      bool inCard = false;  // Line: a card is open after it
      std::optional<CardFile> card;
      bool failed = false;
      std::u16string why, cause;
    };
    // The lines are read, cut into cards and the cards' files written on a
    // thread of their own, a few cards ahead of their imports, which stay
    // here in the order and with the yields and captions of reading them one
    // by one. Nothing the user sees depends on how far ahead it is.
    // Where the session reads cards from their bytes, no card file is
    // written: the cards cut are read by workers and by this thread (see
    // CardReading).
    std::shared_ptr<const automation::CardReader> cardReader;
    if (session) Skip([&] { cardReader = session->Cards(); });
    if (cardReader) reading.emplace(cardReader, CardReading::DefaultWorkers());
    ReadAhead<std::vector<SplitStep>> ahead(kBatchesAhead, [&file, &filePath, &spent, &reading](const auto& put) {
      LineReader reader(ReadingFrom(file), filePath);
      reader.setMaxLineLength(automation::kMaxCardBytes);
      std::int64_t cardNumber = 1;
      std::vector<SplitStep> batch;
      std::vector<CardFile> spares;
      const auto send = [&] {
        if (!put(std::move(batch))) return false;
        spent.moveTo(spares);
        batch.clear();  // moved from: valid, emptied for the next batch
        batch.reserve(kLinesPerBatch);
        return true;
      };
      SplitStep end(SplitStep::Kind::End);
      // 8-bit text is cut as its bytes, which the card's bytes then are.
      TextEncoding encoding = TextEncoding::Bytes;
      if (!Skip([&] { encoding = reader.encoding(); }, &end.why, &end.cause)) {
        end.failed = true;
      }
      // Returns false when no more cards are wanted.
      const auto split = [&]<class Unit>(BasicCardSplitter<Unit>& splitter) {
        const auto cardFile = [&] {
          std::string bytes = CardBytes(std::basic_string_view<Unit>(splitter.card()), encoding);
          if (!reading) return WriteCardFile(bytes, cardNumber++, spares);
          CardFile card;
          card.haveFolder = true;  // none is needed
          card.cutCard =
              reading->Add(std::move(bytes), text::Format(u"card %1 of the file", {text::Number(cardNumber++)}));
          return card;
        };
        std::basic_string<Unit> line;
        while (!end.failed) {
          bool atEnd = true;
          // A read that fails ends the file: what was read so far stays imported.
          if (!Skip([&] { atEnd = reader.atEnd(); }, &end.why, &end.cause)) end.failed = true;
          if (atEnd) break;
          if (!Skip([&] { reader.readLine(line); }, &end.why, &end.cause)) {
            end.failed = true;
            break;
          }
          const bool ended = splitter.addLine(line);
          if (!ended && splitter.cardSize() > static_cast<std::size_t>(automation::kMaxCardBytes)) {
            // Refused before more of it is held in memory; the rest of the file goes with it.
            SplitStep& step = batch.emplace_back(SplitStep::Kind::TooLarge);
            step.cause = text::Format(u"card %1 is larger than %2 MB, the largest card taken",
                                      {text::Number(cardNumber), text::Number(automation::kMaxCardBytes >> 20)});
            step.why = step.cause;
            break;
          }
          SplitStep& step = batch.emplace_back();
          if (ended) step.card = cardFile();
          step.inCard = splitter.inCard();
          if (batch.size() >= kLinesPerBatch && !send()) return false;
        }
        // A card still open at the end of the file (or where reading failed) is
        // imported as it stands.
        if (splitter.finish()) batch.emplace_back(SplitStep::Kind::Last).card = cardFile();
        return true;
      };
      if (reader.eightBit()) {  // decided above: cannot fail now
        ByteCardSplitter splitter;
        if (!split(splitter)) return;
      } else {
        CardSplitter splitter;
        if (!split(splitter)) return;
      }
      batch.push_back(std::move(end));
      send();
    });
    for (bool reading = true; reading;) {
      std::optional<std::vector<SplitStep>> batch = ahead.next();
      if (!batch) break;
      for (SplitStep& step : *batch) {
        if (step.kind == SplitStep::Kind::End) {
          if (step.failed) {
            readFailed = true;
            readWhy = std::move(step.why);
            readCause = std::move(step.cause);
          }
          reading = false;
          break;
        }
        if (step.kind == SplitStep::Kind::Last) {
          importCard(*step.card);
          spent.add(std::move(*step.card));
          continue;
        }
        Yield();
        if (step.kind == SplitStep::Kind::TooLarge) {
          readFailed = true;
          readWhy = std::move(step.why);
          readCause = std::move(step.cause);
          continue;  // the card open at that line comes next, as it stands
        }
        if (step.card) {
          importCard(*step.card);
          spent.add(std::move(*step.card));
        }
        Yield();
        // Set after every line, but only built anew when its numbers change.
        const std::pair<std::int64_t, std::int64_t> frame{contactCount_ + 1, files_.Rows() + contactCount_};
        if (frame != shownFrame) {
          frameCaption = text::Format(u"Details : Converting - (%1 of %2) file(s)",
                                      {text::Number(frame.first), text::Number(frame.second)});
          shownFrame = frame;
        }
        view_.setCaption(Caption::FrameConversion, frameCaption);
        // Cards read ahead beyond this line are dropped with their files.
        if (Ending() && !step.inCard) {
          reading = false;
          break;
        }
      }
    }
  }
  // Cards the count found that were never reached are named too.
  result.found = std::max(result.found, cardsCut);
  if (readFailed) {
    ++outcome_.filesFailed;
    result.failed = true;
    NoteFailure(result, opened ? u"reading stopped" : u"cannot be opened", readWhy, readCause);
  }
  if (const std::int64_t unreached = result.found - result.saved - result.notImported; unreached > 0) {
    result.notImported += unreached;
    NoteFailure(result, stopRequested_ ? u"the import was stopped" : u"the file changed while it was imported", {});
  }
  vCardCount_ = 0;
  Yield();
}

bool ImportRun::ImportCard(automation::Session* session, const std::u16string& filePath,
                           const std::u16string& folderPath, CardFile& card, std::u16string* reason,
                           std::u16string* detail) {
  std::u16string why = card.why;
  const bool written = card.written || card.read;
  if (!written && card.haveFolder && card.path.empty()) {  // reading it ahead failed
    *reason = u"a card could not be read";
    *detail = why;
  } else if (!written) {
    *reason = card.cause.empty() ? std::u16string(u"its card file could not be written")
                                 : u"its card file could not be written: " + card.cause;
    *detail = why;
  }
  // Without a temporary folder that takes cards (missing, full, read-only)
  // no card of any file can be imported: the run ends and says why.
  const int error = card.error;
  const bool folderFailed = !card.haveFolder || error == ENOSPC || IsQuotaExceeded(error) || error == EROFS ||
                            error == EACCES || error == ENOENT;
  if (!written && folderFailed && outcome_.endedBy.empty()) outcome_.endedBy = why;
  Yield();
  std::unique_ptr<automation::Folder> folder;
  std::unique_ptr<automation::ContactItem> item;
  const bool haveItem =
      Skip([&] { folder = Require(session, "store session").GetFolderFromPath(folderPath); }, &why) &&
      Skip([&] { item = Require(Require(folder, "folder").Items(), "item list").Add(automation::olContactItem); },
           &why);
  if (written && !haveItem) {
    *reason = u"its folder in the store could not be opened";
    *detail = why;
  }
  // A card file that could not be written would import a stale card left
  // by an earlier file under the same name: that import is not made.
  const bool imported =
      written && Skip(
                     [&] {
                       automation::ContactItem& contact = Require(item, "contact item");
                       if (card.read) {
                         contact.Import(card.read);
                       } else {
                         contact.Import(TrimSpaces(card.path), automation::olVCard);
                       }
                     },
                     &why);
  if (written && haveItem && !imported) {
    *reason = u"a card could not be read";
    *detail = why;
  }
  const bool saved = Skip([&] { SaveItem(Require(item, "contact item")); }, &why);
  if (imported && !saved) {
    *reason = u"a card could not be saved";
    *detail = why;
  }
  if (imported && saved) CountSaved(*item, filePath);
  return imported && saved;
}

void ImportRun::SaveItem(automation::ContactItem& item) {
  try {
    item.Save();
  } catch (const automation::AutomationError& e) {
    // A store that failed to write takes nothing more: the run ends here.
    if (e.number() == automation::errors::kNotEnoughDisk || e.number() == automation::errors::kDiskError) {
      if (outcome_.endedBy.empty()) outcome_.endedBy = DescribeFailure(e);
    }
    throw;
  }
}

}  // namespace quillonet
