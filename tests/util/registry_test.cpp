// Tests of GetDirectoryPart and the private temporary folder.
#include "util/registry.h"

#include <gtest/gtest.h>

#include "platform/native_path.h"
#include "tests/util/qstring_printer.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <stdexcept>
#include <sys/stat.h>

using namespace quillonet;

TEST(GetDirectoryPart, WindowsAndPosixForms) {
  EXPECT_EQ(GetDirectoryPart(u"C:\\a\\b\\c.vcf"), u"C:\\a\\b\\");
  EXPECT_EQ(GetDirectoryPart(u"a\\b.vcf"), u"a\\");
  EXPECT_EQ(GetDirectoryPart(u"c.vcf"), u"");
  EXPECT_EQ(GetDirectoryPart(u"C:\\a\\"), u"C:\\a\\");
  EXPECT_EQ(GetDirectoryPart(u"D:\\x.vcf"), u"D:\\");
  EXPECT_EQ(GetDirectoryPart(u"/home/ann/Cards/a.vcf"), u"/home/ann/Cards/");
  EXPECT_EQ(GetDirectoryPart(u"/a.vcf"), u"/");
  EXPECT_EQ(GetDirectoryPart(u"/"), u"/");
  EXPECT_EQ(GetDirectoryPart(u"dir/"), u"dir/");
  // A backslash is an ordinary character in a POSIX name, but counts here.
  EXPECT_EQ(GetDirectoryPart(u"/home/ann/odd\\name.vcf"), u"/home/ann/odd\\");
  EXPECT_EQ(GetDirectoryPart(u"C:\\a/b\\c/d.vcf"), u"C:\\a/b\\c/");
  EXPECT_EQ(GetDirectoryPart(u" "), u"");
}

TEST(GetDirectoryPart, EmptyPathIsAnError) {
  EXPECT_THROW(GetDirectoryPart(u""), std::invalid_argument);
}

TEST(TempFolder, PrivateStableAndEndsInSeparator) {
  const std::u16string folder = GetTempFolderPath();
  ASSERT_TRUE(folder.ends_with(u'/'));
  EXPECT_EQ(GetTempFolderPath(), folder);
  EXPECT_TRUE(QString::fromStdU16String(folder).startsWith(QDir::tempPath()));
  struct stat st {};
  ASSERT_EQ(::lstat(platform::EncodeNativePath(folder).c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
  EXPECT_EQ(st.st_mode & 07777, 0700u);
  EXPECT_EQ(st.st_uid, ::getuid());
}

namespace {
// Starts the probe with TMPDIR set; returns the folder it printed.
QString StartProbe(QProcess& probe, const QString& tmpdir) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("TMPDIR", tmpdir);
  probe.setProcessEnvironment(env);
  probe.start(TEMP_FOLDER_PROBE, {});
  if (!probe.waitForStarted(10000)) return {};
  if (!probe.waitForReadyRead(10000)) return {};  // exited without a line
  return QString::fromLocal8Bit(probe.readLine()).trimmed();
}
}  // namespace

TEST(TempFolder, TwoProcessesGetSeparateFoldersRemovedAtExit) {
  QTemporaryDir base;
  ASSERT_TRUE(base.isValid());
  // A folder planted where a predictable name would have been must not be used.
  ASSERT_TRUE(QDir(base.path()).mkdir("quillonet"));

  QProcess first;
  QProcess second;
  const QString a = StartProbe(first, base.path());
  const QString b = StartProbe(second, base.path());
  ASSERT_FALSE(a.isEmpty());
  ASSERT_FALSE(b.isEmpty());
  EXPECT_NE(a, b);
  EXPECT_TRUE(a.startsWith(base.path() + "/"));
  EXPECT_TRUE(b.startsWith(base.path() + "/"));
  EXPECT_TRUE(a.endsWith('/'));
  EXPECT_NE(a, base.path() + "/quillonet/");
  // Both wrote vCard1.vcf; each has its own.
  EXPECT_TRUE(QFileInfo::exists(a + "vCard1.vcf"));
  EXPECT_TRUE(QFileInfo::exists(b + "vCard1.vcf"));

  for (QProcess* p : {&first, &second}) {
    p->write("\n");
    p->closeWriteChannel();
    ASSERT_TRUE(p->waitForFinished(10000));
    EXPECT_EQ(p->exitCode(), 0);
  }
  // The folders and the card files in them are gone; the planted one is untouched.
  EXPECT_FALSE(QFileInfo::exists(a));
  EXPECT_FALSE(QFileInfo::exists(b));
  EXPECT_TRUE(QFileInfo(base.path() + "/quillonet").isDir());
}

TEST(TempFolder, UnusableTempRootIsAnErrorNotTheWorkingFolder) {
  QProcess probe;
  const QString folder = StartProbe(probe, "/nonexistent/quillonet-test");
  probe.waitForFinished(10000);
  EXPECT_TRUE(folder.isEmpty());
  EXPECT_EQ(probe.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(probe.exitCode(), 3);
  EXPECT_TRUE(probe.readAllStandardError().contains("/nonexistent/quillonet-test"));
}

TEST(TempFolder, AKilledRunsFolderGoesAtTheNextStartALiveOnesStays) {
  QTemporaryDir base;
  ASSERT_TRUE(base.isValid());
  QProcess alive;
  QProcess killed;
  const QString kept = StartProbe(alive, base.path());
  const QString left = StartProbe(killed, base.path());
  ASSERT_FALSE(kept.isEmpty());
  ASSERT_FALSE(left.isEmpty());
  killed.kill();  // SIGKILL: no clean-up of its own
  ASSERT_TRUE(killed.waitForFinished(10000));
  ASSERT_TRUE(QFileInfo(left).isDir());

  QProcess next;
  ASSERT_FALSE(StartProbe(next, base.path()).isEmpty());
  EXPECT_FALSE(QFileInfo::exists(left));
  EXPECT_TRUE(QFileInfo(kept + "vCard1.vcf").isFile());
  for (QProcess* p : {&alive, &next}) {
    p->closeWriteChannel();
    p->waitForFinished(10000);
  }
}
