// Tests of the open-file dialog wrapper and adding files by dialog.
#include "filelist/add_files.h"
#include "filelist/widget_dialogs.h"
#include "filelist/caption_label.h"
#include "filelist/file_grid.h"
#include "tests/filelist/scripted_dialogs.h"

#include <gtest/gtest.h>

using namespace quillonet;
using quillonet::test_support::ScriptedDialogs;

namespace {
const QChar NUL(0);

struct AddFixture : ::testing::Test, test_support::WithApp {
  FileGrid grid;
  CaptionLabel count{"0 files"};
  FileList list{grid, count};
  ScriptedDialogs dialogs;
  CommonDialog cdlgFile{dialogs};
  int importState = -1;  // -1 untouched, 0 disabled, 1 enabled
  void Click() {
    AddFilesByDialog(list, cdlgFile, dialogs, [this](bool on) { importState = on ? 1 : 0; });
  }
};
}  // namespace

TEST(DialogResult, SplitsSingleAndExplorerForms) {
  const auto split = [](const QString& result) {
    return test_support::AsQt(FilesFromDialogResult(result.toStdU16String()));
  };
  EXPECT_EQ(split("/home/ann/a.vcf"), QStringList({"/home/ann/a.vcf"}));
  EXPECT_EQ(split(QString("/home/ann") + NUL + "a.vcf" + NUL + "b.vcf"),
            QStringList({"/home/ann/a.vcf", "/home/ann/b.vcf"}));
  // A root folder already ends with a separator.
  EXPECT_EQ(split(QString("/") + NUL + "a.vcf" + NUL + "b.vcf" + NUL), QStringList({"/a.vcf", "/b.vcf"}));
  // One name after a trailing NUL is still a single file.
  EXPECT_EQ(split(QString("/x/a.vcf") + NUL), QStringList({"/x/a.vcf"}));
}

TEST(CommonDialogTest, BuildsTheResultStringAndHonoursTheBufferSize) {
  ScriptedDialogs dialogs;
  CommonDialog dlg(dialogs);
  dlg.SetFlags(CommonDialog::kExplorer | CommonDialog::kAllowMultiSelect);
  dlg.SetFilter(u"vCard Contacts (*.vcf)|*.vcf");
  dlg.SetMaxFileSize(1000);

  dialogs.openResults = {{"/home/ann/a.vcf", "/home/ann/b.vcf"}};
  dlg.ShowOpen();
  EXPECT_EQ(QString::fromStdU16String(dlg.FileName()), QString("/home/ann") + NUL + "a.vcf" + NUL + "b.vcf");
  ASSERT_EQ(dialogs.openRequests.size(), 1u);
  EXPECT_TRUE(dialogs.openRequests[0].multiSelect);
  EXPECT_EQ(dialogs.openRequests[0].filter, "vCard Contacts (*.vcf)|*.vcf");

  // "/d" NUL then names of 99 characters + NUL each: 3 + 100k + 1 <= 1000 fits k = 9.
  QStringList many;
  for (int i = 0; i < 12; ++i) many << "/d/" + QString(95, QChar('a' + i)) + ".vcf";
  dialogs.openResults = {many};
  try {
    dlg.ShowOpen();
    ADD_FAILURE() << "no error for 12 long names";
  } catch (const DialogError& e) {
    EXPECT_EQ(e.Number(), 20476);
  }
  EXPECT_EQ(dlg.FileName(), u"");
  EXPECT_EQ(dlg.FilesThatFit(), 9);

  dialogs.openResults = {{}};
  dlg.ShowOpen();
  EXPECT_EQ(dlg.FileName(), u"");
}

TEST(CommonDialogTest, ExactlyFullBufferFits) {
  ScriptedDialogs dialogs;
  CommonDialog dlg(dialogs);
  dlg.SetMaxFileSize(20);
  dialogs.openResults = {{"/" + QString(18, 'x')}};  // 19 characters + NUL
  dlg.ShowOpen();
  EXPECT_EQ(dlg.FileName().size(), 19);
  dialogs.openResults = {{"/" + QString(19, 'x')}};
  EXPECT_THROW(dlg.ShowOpen(), DialogError);
}

TEST_F(AddFixture, CancelChangesNothing) {
  dialogs.openResults = {{}};
  Click();
  EXPECT_EQ(importState, -1);
  EXPECT_TRUE(list.IsEmpty());
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(AddFixture, OneFileSeveralFilesAndRepeats) {
  dialogs.openResults = {{"/home/ann/Cards/a.vcf"},
                         {"/home/ann/Cards/x.vcf", "/home/ann/Cards/y.vcf", "/home/ann/Cards/z.vcf"},
                         {"/home/ann/Cards/a.vcf"}};
  Click();
  EXPECT_EQ(importState, 1);
  EXPECT_EQ(test_support::AsQt(list.Entries()), QStringList({"/home/ann/Cards/a.vcf"}));
  Click();
  Click();
  EXPECT_EQ(test_support::AsQt(list.Entries()),
            QStringList({"/home/ann/Cards/a.vcf", "/home/ann/Cards/x.vcf", "/home/ann/Cards/y.vcf",
                         "/home/ann/Cards/z.vcf", "/home/ann/Cards/a.vcf"}));
  EXPECT_EQ(count.text(), "5 files");
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(cdlgFile.MaxFileSize(), 1000);
  EXPECT_EQ(cdlgFile.Flags(), 0x80200);
}

TEST_F(AddFixture, FilesInTheRootFolder) {
  dialogs.openResults = {{"/a.vcf", "/b.vcf"}};
  Click();
  EXPECT_EQ(test_support::AsQt(list.Entries()), QStringList({"/a.vcf", "/b.vcf"}));
}

TEST_F(AddFixture, TooManyNamesAddsNothingAndSaysHowMany) {
  QStringList many;
  for (int i = 0; i < 40; ++i) many << QString("/home/ann/Cards/contact-with-a-long-name-%1.vcf").arg(i, 3, 10, QChar('0'));
  dialogs.openResults = {many};
  Click();
  EXPECT_TRUE(list.IsEmpty());
  EXPECT_EQ(importState, -1);
  ASSERT_EQ(dialogs.messages.size(), 1u);
  // 15 characters of folder + NUL, then 32 + NUL per name, and a last NUL:
  // 16 + 33 * 29 + 1 = 974 fits 1000, 30 names would not.
  EXPECT_EQ(dialogs.messages[0].text, "Please select only 29 files at a time");
  EXPECT_EQ(dialogs.messages[0].icon, MsgIcon::Exclamation);
  EXPECT_EQ(dialogs.messages[0].buttons, MsgButtons::Ok);
  EXPECT_EQ(dialogs.messages[0].caption, "Marlix Quillonet Pro");
}

TEST_F(AddFixture, OtherDialogFailuresShowNumberAndDescription) {
  dialogs.openResults = {{"/one/a.vcf", "/two/b.vcf"}};
  Click();
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, "20477:The chosen files are not all in one folder");
  EXPECT_TRUE(list.IsEmpty());
}

TEST(WidgetDialogsTest, FilterBecomesQtNameFilters) {
  EXPECT_EQ(WidgetDialogs::NameFilters("vCard Contacts (*.vcf)|*.vcf"), QStringList({"vCard Contacts (*.vcf)"}));
  EXPECT_EQ(WidgetDialogs::NameFilters("Cards|*.vcf;*.vcard|All|*.*"),
            QStringList({"Cards (*.vcf *.vcard)", "All (*.*)"}));
}
