// The import run behind the Import button: destination, new store, folder
// tree, every listed file imported into its folder, tear-down, messages.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>

#include "automation/objects.h"
#include "import/import_view.h"
#include "import/text_lines.h"

namespace quillonet {

inline constexpr char kOutlookErrorCaption[] = "Outlook Error";

// The text of the message shown when the session or the store cannot be set up.
QString OutlookErrorText();

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
  QString pstPath;   // the new store file, once it has been created
  QString failure;   // why set-up failed
  std::int64_t contactsSaved = 0;
  std::int64_t filesFailed = 0;  // files of which nothing (or not all) could be imported
  std::int64_t cardsFailed = 0;  // single cards of split files that could not be imported
  bool storeRemoved = false;     // the store left the profile: its file is complete
  QString removeFailure;
};

class ImportRun {
 public:
  using Clock = std::function<QDateTime()>;

  ImportRun(automation::ComponentFactory& components, ImportView& view, FileListSource& files,
            Clock clock = &QDateTime::currentDateTime);
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

  // Counts the lines of the file that read "END:VCARD" into vCardCount.
  // A file that cannot be opened throws FileError and leaves the count as it was.
  void CheckvCardType(const QString& vCardFileName);
  // Imports one file into the folder at folderPath ("\\" + store display
  // name + "\" + folder): whole when vCardCount is below 2, otherwise card by
  // card through temporary files. Failing steps are skipped and counted.
  void ImportVCardFile(automation::Session* session, const QString& filePath, const QString& folderPath);

  // The fields kept between runs.
  const QString& saveFolder() const { return saveFolder_; }
  const QString& storeDisplayName() const { return storeDisplayName_; }
  const QStringList& folderList() const { return folderList_; }
  std::int64_t vCardCount() const { return vCardCount_; }

 private:
  bool SetUp(std::unique_ptr<automation::Store>& store, QByteArray& storeID);
  void ImportFiles();
  void ImportWhole(automation::Session* session, const QString& filePath, const QString& folderPath);
  void ImportSplit(automation::Session* session, const QString& filePath, const QString& folderPath);
  bool ImportCard(automation::Session* session, const QString& folderPath, const QString& cardText,
                  std::int64_t cardNumber, TextEncoding encoding);
  void TearDown(std::unique_ptr<automation::Store>& store);
  QString CompletionText() const;
  void ReportProgress(int file, int files);
  void Yield() { view_.processEvents(); }

  automation::ComponentFactory& components_;
  ImportView& view_;
  FileListSource& files_;
  Clock clock_;

  QString saveFolder_;
  QString storeDisplayName_;
  QStringList folderList_;
  std::unique_ptr<automation::Session> rdoSession_;
  std::int64_t contactCount_ = 0;
  std::int64_t vCardCount_ = 0;
  QString relFolder_;

  bool running_ = false;
  bool stopRequested_ = false;
  int currentFile_ = 0;
  int fileTotal_ = 0;
  RunOutcome outcome_;
};

}  // namespace quillonet
