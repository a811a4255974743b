// The import run over the real automation layer, for the cases the command
// line cannot set up: files that vanish after listing, an empty list, the
// window's second click and close request.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "automation/in_process.h"
#include "card_tree.h"
#include "import/import_run.h"
#include "import/listed_files.h"
#include "pst_check.h"

namespace quillonet::testing {
namespace {

class QuietView : public ImportView {
 public:
  QString destination;
  std::function<void()> onYield;
  std::vector<std::pair<QString, QString>> messages;

  QString BrowseForFolder(const QString&) override { return destination; }
  void setCaption(Caption, const QString&) override {}
  void setProgressMin(Bar, float) override {}
  void setProgressMax(Bar, float) override {}
  void setProgressValue(Bar, float) override {}
  void setImportEnabled(bool) override {}
  void processEvents() override {
    if (onYield) onYield();
  }
  void showMessage(const QString& caption, const QString& text, const QString&) override {
    messages.emplace_back(caption, text);
  }
};

TEST(ImportRealRun, VanishedFileIsReportedAndLeavesNoEmptyContact) {
  QTemporaryDir dir;
  CardTree tree(dir.path() + "/c");
  const QString kept = tree.addFile("a.vcf", 2, "\r\n");
  const QString gone = tree.addFile("gone.vcf", 3, "\r\n");
  const QString single = tree.addFile("b.vcf", 1, "\r\n");
  QFile::remove(gone);

  automation::Profile profile;
  automation::InProcessComponents components(profile);
  QuietView view;
  view.destination = dir.path();
  ListedFiles files({kept, gone, single});
  ImportRun run(components, view, files);
  run.CmdExtractDBX_Click();

  const RunOutcome& outcome = run.outcome();
  ASSERT_EQ(outcome.status, RunOutcome::Status::Completed);
  EXPECT_EQ(outcome.contactsSaved, 3);
  EXPECT_EQ(outcome.filesFailed, 1);
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_TRUE(view.messages[0].second.contains("Could not be imported: 1 file.")) << view.messages[0].second.toStdString();
  EXPECT_TRUE(profile.stores().empty());

  const PstReport report = CheckPst(outcome.pstPath);
  ASSERT_TRUE(report.ok) << report.errors.join("; ").toStdString();
  EXPECT_EQ(report.displayNames(CardTree::StoreFolderOf(kept)),
            (QStringList{"Given1 Surname1", "Given2 Surname2", "Given6 Surname6"}));
}

TEST(ImportRealRun, EmptyListLeavesAValidStoreInTheProfile) {
  QTemporaryDir dir;
  QString pst;
  {
    automation::Profile profile;
    automation::InProcessComponents components(profile);
    QuietView view;
    view.destination = dir.path();
    ListedFiles files({});
    ImportRun run(components, view, files);
    run.CmdExtractDBX_Click();
    ASSERT_EQ(run.outcome().status, RunOutcome::Status::SetupFailed);
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].first, "Outlook Error");
    ASSERT_EQ(profile.stores().size(), 1u);  // nothing is undone
    pst = run.outcome().pstPath;
  }
  // The profile's end completed the file.
  const PstReport report = CheckPst(pst);
  EXPECT_TRUE(report.ok) << report.errors.join("; ").toStdString();
}

TEST(ImportRealRun, CloseRequestEndsAfterTheCurrentCardWithACompleteFile) {
  QTemporaryDir dir;
  CardTree tree(dir.path() + "/c");
  const QString many = tree.addFile("many.vcf", 50, "\n");
  automation::Profile profile;
  automation::InProcessComponents components(profile);
  QuietView view;
  view.destination = dir.path();
  ListedFiles files({many, tree.addFile("later.vcf", 1, "\n")});
  ImportRun run(components, view, files);
  int yields = 0;
  view.onYield = [&] {
    if (++yields == 200) run.requestStop();
    if (yields == 201) run.CmdExtractDBX_Click();  // a second click is ignored
  };
  run.CmdExtractDBX_Click();
  ASSERT_EQ(run.outcome().status, RunOutcome::Status::Stopped);
  EXPECT_TRUE(view.messages.empty());
  EXPECT_TRUE(run.outcome().storeRemoved);
  const qint64 saved = run.outcome().contactsSaved;
  EXPECT_GT(saved, 0);
  EXPECT_LT(saved, 50);
  const PstReport report = CheckPst(run.outcome().pstPath);
  ASSERT_TRUE(report.ok) << report.errors.join("; ").toStdString();
  EXPECT_EQ(report.displayNames(CardTree::StoreFolderOf(many)).size(), saved);
}

}  // namespace
}  // namespace quillonet::testing
