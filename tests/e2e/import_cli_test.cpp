// quillonet-import on generated trees of vCard files, every result read
// back by both PST readers; its usage errors and its "Outlook Error" exit.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>

#include "card_tree.h"
#include "import/time_stamp.h"
#include "tests/support/qt_text.h"
#include "tests/support/qt_text.h"
#include "tests/support/pst_report.h"

namespace quillonet::testing {
namespace {

struct CliResult {
  int exitCode = -1;
  QString out;
  QString err;
  QString lastOutLine() const {
    const QStringList lines = out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return lines.isEmpty() ? QString() : lines.last();
  }
};

CliResult RunCli(const QStringList& args) {
  QProcess process;
  process.start(QStringLiteral(QUILLONET_BIN_DIR "/quillonet-import"), args);
  CliResult result;
  if (!process.waitForFinished(900000)) {
    result.err = process.errorString();
    return result;
  }
  result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  result.out = QString::fromLocal8Bit(process.readAllStandardOutput());
  result.err = QString::fromLocal8Bit(process.readAllStandardError());
  return result;
}

TEST(ImportCli, TreeOfMultiCardFilesLandsInItsFolders) {
  QTemporaryDir dir;
  const QString out = dir.path() + "/out";
  QDir().mkpath(out);
  CardTree tree(dir.path() + "/Cards");
  tree.addFile("Work/crlf.vcf", 3, "\r\n");
  tree.addFile("Work/Team/lf.vcf", 4, "\n");
  tree.addFile("Work/Team/Core/cr.vcf", 2, "\r");
  tree.addFile("Work/Team/Core/single.vcf", 1, "\r\n");
  tree.addFile("Home/bom.vcf", 3, "\r\n", true);
  tree.addFile("Home/one-lf.vcf", 1, "\n");

  const CliResult result = RunCli(QStringList{"--dest", out} + tree.files());
  ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
  const QString pst = result.lastOutLine();
  EXPECT_TRUE(QFileInfo(pst).isAbsolute());
  EXPECT_EQ(QFileInfo(pst).absolutePath(), QFileInfo(out).absoluteFilePath());
  EXPECT_TRUE(QFileInfo(pst).fileName().startsWith("MarlixContacts"));
  EXPECT_TRUE(pst.endsWith(".pst"));
  EXPECT_TRUE(result.err.contains("14 contacts saved")) << result.err.toStdString();

  const PstReport report = CheckPst(pst);
  ASSERT_TRUE(report.ok) << report.errors.join("; ").toStdString();
  EXPECT_TRUE(report.displayName.startsWith("Marlix Contacts : Created - "));
  ExpectContacts(report, tree);
  // Every ancestor of the source folders is a folder of the store, and no other.
  QStringList folders = report.folderPaths();
  folders.removeAll("Deleted Items");
  const QString base = QFileInfo(dir.path() + "/Cards").absoluteFilePath().mid(1);
  QStringList expectedFolders;
  QString ancestor;
  for (const QString& part : base.split('/')) {
    ancestor = ancestor.isEmpty() ? part : ancestor + '/' + part;
    expectedFolders << ancestor;
  }
  for (const char* below : {"/Home", "/Work", "/Work/Team", "/Work/Team/Core"}) expectedFolders << base + below;
  folders.sort();
  expectedFolders.sort();
  EXPECT_EQ(folders, expectedFolders);
  EXPECT_EQ(StrictProblems(pst), "");
}

TEST(ImportCli, HundredFilesOfTwentyCardsInThreeLevels) {
  QTemporaryDir dir;
  CardTree tree(dir.path() + "/tree");
  const QByteArray ends[] = {"\r\n", "\n", "\r"};
  for (int f = 0; f < 100; ++f) {
    tree.addFile(QString("L1_%1/L2_%2/L3_%3/f%4.vcf").arg(f % 4).arg(f % 3).arg(f % 5).arg(f), 20, ends[f % 3]);
  }
  const CliResult result = RunCli(QStringList{"--dest", dir.path()} + tree.files());
  ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
  EXPECT_TRUE(result.err.contains("2000 contacts saved")) << result.err.toStdString();
  const PstReport report = CheckPst(result.lastOutLine());
  ASSERT_TRUE(report.ok) << report.errors.join("; ").toStdString();
  ExpectContacts(report, tree);
}

TEST(ImportCli, FolderAddsEveryVCardFileBelowIt) {
  QTemporaryDir dir;
  CardTree tree(dir.path() + "/src");
  tree.addFile("a/one.vcf", 2, "\r\n");
  tree.addFile("a/b/TWO.VCF", 3, "\n");
  tree.addFile("c/three.Vcf", 1, "\r\n");
  QFile ignored(dir.path() + "/src/a/notes.vcf.bak");
  ASSERT_TRUE(ignored.open(QIODevice::WriteOnly));
  ignored.write("BEGIN:VCARD\r\nFN:Not Me\r\nEND:VCARD\r\n");
  ignored.close();
  QDir().mkpath(dir.path() + "/out");
  const CliResult result = RunCli({"--dest", dir.path() + "/out", dir.path() + "/src"});
  ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
  const PstReport report = CheckPst(result.lastOutLine());
  ASSERT_TRUE(report.ok) << report.errors.join("; ").toStdString();
  ExpectContacts(report, tree);
}

TEST(ImportCli, SameFileTwiceIsImportedTwice) {
  QTemporaryDir dir;
  CardTree tree(dir.path() + "/c");
  const QString file = tree.addFile("x.vcf", 2, "\r\n");
  const CliResult result = RunCli({"--dest", dir.path(), file, file});
  ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
  const PstReport report = CheckPst(result.lastOutLine());
  ASSERT_TRUE(report.ok) << report.errors.join("; ").toStdString();
  EXPECT_EQ(report.displayNames(CardTree::StoreFolderOf(file)).size(), 4);
}

TEST(ImportCli, UsageErrors) {
  QTemporaryDir dir;
  CardTree tree(dir.path() + "/c");
  const QString file = tree.addFile("x.vcf", 1, "\r\n");
  QDir().mkpath(dir.path() + "/empty/sub");
  QFile other(dir.path() + "/c/notes.txt");
  ASSERT_TRUE(other.open(QIODevice::WriteOnly));
  other.close();
  const std::vector<QStringList> usage = {
      {},
      {file},                                      // no --dest
      {"--dest", dir.path()},                      // no file
      {"--dest", dir.path() + "/missing", file},   // no such folder
      {"--dest", dir.path(), dir.path() + "/c/missing.vcf"},
      {"--dest", dir.path(), other.fileName()},    // not a vCard file
      {"--dest", dir.path(), dir.path() + "/empty"},  // a folder without vCard files
      {"--frobnicate", "--dest", dir.path(), file},
      {"--dest"},
  };
  for (const QStringList& args : usage) {
    const CliResult result = RunCli(args);
    EXPECT_EQ(result.exitCode, 64) << args.join(' ').toStdString();
    EXPECT_TRUE(result.err.contains("Usage: quillonet-import --dest DIR PATH...")) << args.join(' ').toStdString();
    EXPECT_TRUE(result.out.isEmpty());
  }
  EXPECT_EQ(QDir(dir.path()).entryList({"*.pst"}).size(), 0);

  const CliResult help = RunCli({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_TRUE(help.out.startsWith("Usage: quillonet-import --dest DIR PATH..."));
  const CliResult version = RunCli({"--version"});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out.trimmed(), "2.00");
}

TEST(ImportCli, StoreThatCannotBeCreatedIsTheOutlookError) {
  QTemporaryDir dir;
  CardTree tree(dir.path() + "/c");
  const QString file = tree.addFile("x.vcf", 1, "\r\n");
  // Files of every name the next seconds can give: the store cannot be
  // created, and none of them may be touched.
  const QDateTime now = QDateTime::currentDateTime();
  QStringList blockers;
  for (int s = -1; s < 30; ++s) {
    QFile blocker(dir.path() + "/MarlixContacts" + test_support::Q(TimeStamp(test_support::At(now.addSecs(s)))) + ".pst");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.write("not a store");
    blockers << blocker.fileName();
  }
  const CliResult result = RunCli({"--dest", dir.path(), file});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_TRUE(result.err.contains("Outlook Error: Outlook Session Creation Error !\n"
                                  "Check if Outlook is installed and configured.\n"
                                  "For more details visit this link : "))
      << result.err.toStdString();
  EXPECT_TRUE(result.err.contains("already exists")) << result.err.toStdString();
  EXPECT_TRUE(result.out.isEmpty());
  for (const QString& blocker : blockers) {
    QFile f(blocker);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "not a store");
  }
}

}  // namespace
}  // namespace quillonet::testing
