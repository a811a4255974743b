// The import run behind the Import button: destination, new store, folder
// tree, every listed file imported into its folder, tear-down, messages.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "automation/objects.h"
#include "import/import_view.h"
#include "import/text_lines.h"
#include "platform/clock.h"

namespace quillonet {

inline constexpr char16_t kOutlookErrorCaption[] = u"Outlook Error";

// The text of the message shown when the session or the store cannot be set up.
std::u16string OutlookErrorText();

// What became of one listed file. Its cards are accounted for in full:
// saved + notImported = found.
struct FileResult {
  std::u16string path;
  std::int64_t found = 0;        // cards found in it
  std::int64_t saved = 0;        // contacts saved from them
  std::int64_t notImported = 0;  // its cards that could not be imported
  bool failed = false;           // the file itself could not be imported, or read to its end
  std::u16string reason;         // why not all of it went in, in a few words (the first failure)
  std::u16string detail;         // that failure's full text
  bool complete() const { return !failed && notImported == 0; }
};

// How the last run ended and what it did.
struct RunOutcome {
  enum class Status {
    NotRun,
    Cancelled,    // no destination chosen; nothing happened
    SetupFailed,  // the "Outlook Error" message was shown
    Completed,    // the completion message was shown
    Stopped,      // ended early on request, after its tear-down
  };
  Status status = Status::NotRun;
  std::u16string pstPath;  // the new store file, once it has been created
  std::u16string failure;  // why set-up failed
  std::int64_t contactsSaved = 0;
  std::int64_t filesFailed = 0;  // files of which nothing (or not all) could be imported
  std::int64_t cardsFailed = 0;  // single cards of split files that could not be imported
  std::int64_t listsSaved = 0;   // contact groups written as distribution lists
  std::int64_t listMembersMissing = 0;  // group members no list could take
  std::vector<std::u16string> listProblems;  // each missing member or unsaved list, named with its file
  std::vector<FileResult> files;  // one per listed file the run came to, in order
  bool storeRemoved = false;     // the store left the profile: its file is complete
  std::u16string removeFailure;
  std::u16string endedBy;        // why the run ended before its last file: the store or
                                 // the temporary folder took no more writes
};

class ImportRun {
 public:
  using Clock = std::function<platform::WallClock::time_point()>;

  // clock: the time the store file is named by; empty for the wall clock.
  ImportRun(automation::ComponentFactory& components, ImportView& view, FileListSource& files, Clock clock = {});
  ~ImportRun();
  ImportRun(const ImportRun&) = delete;
  ImportRun& operator=(const ImportRun&) = delete;

  // The whole run. A call while a run is in progress (a second click during
  // one of its yields) returns at once.
  void CmdExtractDBX_Click();
  bool isRunning() const { return running_; }
  // Ends the run in progress after the card or file at hand, through its
  // tear-down (store removed, session logged off); no completion message.
  void requestStop() { stopRequested_ = true; }
  const RunOutcome& outcome() const { return outcome_; }

  // Steps of the run, usable on their own.

  // Counts the file's cards into vCardCount, finding them as the splitter
  // and the vCard reader do. A file that cannot be opened throws FileError
  // and leaves the count as it was.
  void CheckvCardType(const std::u16string& vCardFileName);
  // Imports one file into the folder at folderPath ("\\" + store display
  // name + "\" + folder): whole when vCardCount is below 2, otherwise card by
  // card through temporary files. Failing steps are skipped, and counted and
  // named in the file's result (the last of outcome().files).
  void ImportVCardFile(automation::Session* session, const std::u16string& filePath,
                       const std::u16string& folderPath);

  // The fields kept between runs.
  const std::u16string& saveFolder() const { return saveFolder_; }
  const std::u16string& storeDisplayName() const { return storeDisplayName_; }
  const std::vector<std::u16string>& folderList() const { return folderList_; }
  std::int64_t vCardCount() const { return vCardCount_; }

 private:
  bool SetUp(std::unique_ptr<automation::Store>& store, std::vector<std::uint8_t>& storeID);
  void ImportFiles();
  void ImportWhole(automation::Session* session, const std::u16string& filePath, const std::u16string& folderPath);
  void ImportSplit(automation::Session* session, const std::u16string& filePath, const std::u16string& folderPath);
  // A card's file, written ahead of its import by the thread reading the file.
  struct CardFile;
  // bytes: the card as its file holds it.
  static CardFile WriteCardFile(std::string_view bytes, std::int64_t cardNumber, std::vector<CardFile>& spares);
  // Returns whether the card was saved; if not, why goes to *reason and *detail.
  bool ImportCard(automation::Session* session, const std::u16string& filePath, const std::u16string& folderPath,
                  CardFile& card, std::u16string* reason, std::u16string* detail);
  void CountSaved(automation::ContactItem& item, const std::u16string& filePath);
  void CompleteLists(automation::Store* store);
  // The result of the file at hand; fresh: a new file of the run.
  FileResult& CurrentFile(const std::u16string& path, bool fresh = false);
  void SaveItem(automation::ContactItem& item);
  // A stop was asked for, or the run cannot go on (see RunOutcome::endedBy).
  bool Ending() const { return stopRequested_ || !outcome_.endedBy.empty(); }
  // The store file's path at when, or at a later second (waited for) when
  // that name is taken; tries counts the later seconds tried in the run.
  std::u16string FreePstPath(platform::WallClock::time_point& when, int& tries);
  void TearDown(std::unique_ptr<automation::Store>& store);
  std::u16string CompletionText() const;
  void ReportProgress(int file, int files);
  void Yield() { view_.processEvents(); }

  automation::ComponentFactory& components_;
  ImportView& view_;
  FileListSource& files_;
  Clock clock_;

  std::u16string saveFolder_;
  std::u16string storeDisplayName_;
  std::vector<std::u16string> folderList_;
  std::unique_ptr<automation::Session> rdoSession_;
  std::int64_t contactCount_ = 0;
  std::int64_t vCardCount_ = 0;
  std::u16string relFolder_;
  std::vector<std::u16string> listFiles_;  // the file of each group saved, in the order saved

  bool running_ = false;
  bool stopRequested_ = false;
  int currentFile_ = 0;
  int fileTotal_ = 0;
  RunOutcome outcome_;
};

}  // namespace quillonet
