// The in-process session and mail client: each call's contract and failure,
// the profile seen from both sides, and what the readers find in the file.
#include <gtest/gtest.h>

#include <thread>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "automation/error.h"
#include "automation/in_process.h"
#include "tests/support/pst_report.h"

namespace quillonet::automation {
namespace {

using test_support::CheckPst;
using test_support::StrictProblems;

QString Q(const std::u16string& text) { return QString::fromStdU16String(text); }
std::u16string U(const QString& text) { return text.toStdU16String(); }

// Runs call and returns the AutomationError it throws (number 0 if none).
template <class Call>
AutomationError FailureOf(Call&& call) {
  try {
    call();
  } catch (const AutomationError& e) {
    return e;
  }
  return AutomationError(0, u"");
}

class InProcessTest : public ::testing::Test {
 protected:
  QString path(const QString& name) const { return dir.path() + QLatin1Char('/') + name; }
  QString writeCard(const QString& name, const QByteArray& text) {
    QFile file(path(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
    return file.fileName();
  }
  std::unique_ptr<Session> loggedOn() {
    auto session = components.CreateRDOSession();
    session->Logon();
    return session;
  }

  QTemporaryDir dir;
  Profile profile;
  InProcessComponents components{profile};
};

TEST_F(InProcessTest, AddPSTStoreCreatesOnlyNewUnicodeStores) {
  auto notLoggedOn = components.CreateRDOSession();
  EXPECT_EQ(FailureOf([&] { notLoggedOn->Stores(); }).number(), errors::kNotInitialized);

  auto session = loggedOn();
  auto stores = session->Stores();
  auto one = stores->AddPSTStore(U(path("one.pst")), olStoreDefault, u"One");
  auto two = stores->AddPSTStore(U(path("two.pst")), olStoreUnicode, u"Two");
  EXPECT_TRUE(QFile::exists(path("one.pst")));
  EXPECT_NE(one->EntryID(), two->EntryID());

  const AutomationError ansi = FailureOf([&] { stores->AddPSTStore(U(path("ansi.pst")), 3, u"Ansi"); });
  EXPECT_EQ(ansi.number(), errors::kInvalidArgument);
  EXPECT_FALSE(QFile::exists(path("ansi.pst")));

  // An existing file is never overwritten.
  QFile existing(path("old.pst"));
  ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
  existing.write("keep me");
  existing.close();
  const AutomationError exists = FailureOf([&] { stores->AddPSTStore(U(path("old.pst")), 1, u"Old"); });
  EXPECT_EQ(exists.number(), errors::kCollision);
  EXPECT_TRUE(Q(exists.description()).contains(path("old.pst")));
  ASSERT_TRUE(existing.open(QIODevice::ReadOnly));
  EXPECT_EQ(existing.readAll(), "keep me");

  // Two stores of one name could not be told apart by path or namespace.
  EXPECT_EQ(FailureOf([&] { stores->AddPSTStore(U(path("dup.pst")), 1, u"One"); }).number(), errors::kCollision);
  EXPECT_FALSE(QFile::exists(path("dup.pst")));
  // A folder that cannot be written.
  const AutomationError missing = FailureOf([&] { stores->AddPSTStore(U(path("no/such/x.pst")), 1, u"X"); });
  EXPECT_NE(missing.number(), 0);
  EXPECT_TRUE(Q(missing.description()).contains("no/such/x.pst"));
  EXPECT_EQ(profile.stores().size(), 2u);
}

// The writer's kind of failure decides the number, so callers can tell a
// missing folder or a collision from a failing disk.
TEST_F(InProcessTest, WriterFailuresAreNumberedByWhatWentWrong) {
  auto session = loggedOn();
  auto stores = session->Stores();
  const AutomationError missing = FailureOf([&] { stores->AddPSTStore(U(path("no/such/x.pst")), 1, u"X"); });
  EXPECT_EQ(missing.number(), errors::kPathNotFound) << Q(missing.description()).toStdString();
  auto folders = stores->AddPSTStore(U(path("s.pst")), 1, u"S")->IPMRootFolder()->Folders();
  folders->Add(u"Cards", olFolderContacts);
  const AutomationError twice = FailureOf([&] { folders->Add(u"Cards", olFolderContacts); });
  EXPECT_EQ(twice.number(), errors::kCollision);
  EXPECT_TRUE(Q(twice.description()).contains("\"Cards\"")) << Q(twice.description()).toStdString();
}

TEST_F(InProcessTest, FoldersByPositionNameAndPath) {
  auto session = loggedOn();
  auto store = session->Stores()->AddPSTStore(U(path("s.pst")), 1, u"S");
  auto found = session->Stores()->GetStoreFromID(store->EntryID());
  auto top = found->IPMRootFolder()->Folders();
  const int before = top->Count();
  top->Add(u"Cards", olFolderContacts)->Folders()->Add(u"Work", olFolderContacts);
  top->Add(u"cards", olFolderContacts);  // names differ in case only: both exist
  EXPECT_EQ(top->Count(), before + 2);
  EXPECT_EQ(top->Item(before + 1)->Name(), u"Cards");
  EXPECT_EQ(top->Item(before + 2)->Name(), u"cards");
  EXPECT_EQ(FailureOf([&] { top->Item(before + 3); }).number(), errors::kInvalidArgument);

  EXPECT_EQ(FailureOf([&] { top->Add(u"Cards", olFolderContacts); }).number(), errors::kCollision);
  EXPECT_EQ(FailureOf([&] { top->Add(u"Mail", 6); }).number(), errors::kInvalidArgument);
  EXPECT_EQ(FailureOf([&] { top->Add(u"", olFolderContacts); }).number(), errors::kInvalidArgument);

  EXPECT_EQ(session->GetFolderFromPath(u"\\\\S\\Cards\\Work")->Name(), u"Work");
  EXPECT_EQ(session->GetFolderFromPath(u"\\\\S\\cards")->Name(), u"cards");
  const AutomationError noFolder = FailureOf([&] { session->GetFolderFromPath(u"\\\\S\\Cards\\WORK"); });
  EXPECT_EQ(noFolder.number(), errors::kNotFound);
  EXPECT_TRUE(Q(noFolder.description()).contains("WORK"));
  EXPECT_EQ(FailureOf([&] { session->GetFolderFromPath(u"\\\\T\\Cards"); }).number(), errors::kNotFound);
  EXPECT_EQ(FailureOf([&] { session->GetFolderFromPath(u"\\S\\Cards"); }).number(), errors::kInvalidArgument);
  EXPECT_EQ(FailureOf([&] { session->Stores()->GetStoreFromID(std::vector<std::uint8_t>{'n', 'o', 'p', 'e'}); }).number(), errors::kNotFound);
}

TEST_F(InProcessTest, ItemsImportAndSave) {
  auto session = loggedOn();
  session->Stores()->AddPSTStore(U(path("s.pst")), 1, u"S")->IPMRootFolder()->Folders()->Add(u"C", 10);
  auto items = session->GetFolderFromPath(u"\\\\S\\C")->Items();
  EXPECT_EQ(FailureOf([&] { items->Add(1); }).number(), errors::kInvalidArgument);

  const QString card = writeCard("a.vcf", "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ann\r\nEND:VCARD\r\n");
  auto item = items->Add(olContactItem);
  EXPECT_EQ(FailureOf([&] { item->Import(U(card), 5); }).number(), errors::kInvalidArgument);
  // Nothing imported yet: an empty contact is not stored.
  EXPECT_NE(FailureOf([&] { item->Save(); }).number(), 0);
  item->Import(U(card), olVCard);
  item->Save();
  EXPECT_NE(FailureOf([&] { item->Save(); }).number(), 0);  // saved once only

  auto bad = items->Add(olContactItem);
  const AutomationError missing = FailureOf([&] { bad->Import(U(path("missing.vcf")), olVCard); });
  EXPECT_NE(missing.number(), 0);
  EXPECT_TRUE(Q(missing.description()).contains("missing.vcf"));
  const QString empty = writeCard("empty.vcf", "no card\r\n");
  EXPECT_NE(FailureOf([&] { bad->Import(U(empty), olVCard); }).number(), 0);
}

// Cards read from their bytes on another thread fill items as files of those
// bytes do, and carry what was wrong with them to the Import that takes them.
TEST_F(InProcessTest, CardsReadAheadImportAsTheirFilesDo) {
  auto session = loggedOn();
  auto store = session->Stores()->AddPSTStore(U(path("ahead.pst")), 1, u"Ahead");
  store->IPMRootFolder()->Folders()->Add(u"Files", 10);
  store->IPMRootFolder()->Folders()->Add(u"Ahead", 10);
  const QByteArray ann =
      "\xEF\xBB\xBF" "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ann L\xC3\xA9\r\nN:L\xC3\xA9;Ann;;;\r\n"
      "EMAIL;TYPE=INTERNET:ann@example.com\r\nTEL;TYPE=CELL:+1 555 0100\r\nEND:VCARD\r\n";
  const QByteArray group = "BEGIN:VCARD\r\nVERSION:4.0\r\nKIND:group\r\nFN:Team\r\n"
                           "MEMBER:mailto:ann@example.com\r\nEND:VCARD\r\n";
  const std::shared_ptr<const CardReader> reader = session->Cards();
  ASSERT_NE(reader, nullptr);
  std::shared_ptr<const ReadCard> readAnn, readGroup, readNone;
  std::thread([&] {
    readAnn = reader->Read(std::string_view(ann.constData(), ann.size()), u"card 1");
    readGroup = reader->Read(std::string_view(group.constData(), group.size()), u"card 2");
    readNone = reader->Read("no card here\r\n", u"card 3");
  }).join();

  auto fromFile = session->GetFolderFromPath(u"\\\\Ahead\\Files")->Items()->Add(olContactItem);
  fromFile->Import(U(writeCard("ann.vcf", ann)), olVCard);
  fromFile->Save();
  auto items = session->GetFolderFromPath(u"\\\\Ahead\\Ahead")->Items();
  auto ahead = items->Add(olContactItem);
  ahead->Import(readAnn);
  EXPECT_EQ(ahead->MessageClass(), kContactClass);
  ahead->Save();
  auto list = items->Add(olContactItem);
  list->Import(readGroup);
  EXPECT_EQ(list->MessageClass(), kDistListClass);
  list->Save();
  auto none = items->Add(olContactItem);
  const AutomationError why = FailureOf([&] { none->Import(readNone); });
  EXPECT_EQ(why.number(), errors::kCorruptData);
  EXPECT_TRUE(Q(why.description()).startsWith("Cannot import card 3: ")) << Q(why.description()).toStdString();
  EXPECT_NE(FailureOf([&] { none->Save(); }).number(), 0);  // nothing was imported into it
  store->Remove();

  const auto report = CheckPst(path("ahead.pst"));
  ASSERT_TRUE(report.ok) << report.errors.join("; ").toStdString();
  ASSERT_EQ(report.folder("Files")->contacts.size(), 1u);
  ASSERT_EQ(report.folder("Ahead")->contacts.size(), 1u);
  const auto& a = report.folder("Files")->contacts[0];
  const auto& b = report.folder("Ahead")->contacts[0];
  EXPECT_EQ(b.displayName, QString::fromUtf8("Ann L\xC3\xA9"));
  EXPECT_EQ(std::tie(a.displayName, a.givenName, a.surname, a.emails, a.phones, a.body),
            std::tie(b.displayName, b.givenName, b.surname, b.emails, b.phones, b.body));
  EXPECT_EQ(StrictProblems(path("ahead.pst")), "");
}

TEST_F(InProcessTest, NamespaceSeesStoresWhileInTheProfile) {
  auto app = components.CreateOutlookApplication();
  EXPECT_EQ(FailureOf([&] { app->ActiveExplorer(); }).number(), errors::kNoSupport);
  EXPECT_EQ(FailureOf([&] { app->GetNamespace(u"IMAP"); }).number(), errors::kInvalidArgument);

  auto session = loggedOn();
  auto store = session->Stores()->AddPSTStore(U(path("s.pst")), 1, u"Marlix Contacts : Created - 1.1.27 23.59.07");
  auto top = app->GetNamespace(u"MAPI")->Folders()->Item(u"Marlix Contacts : Created - 1.1.27 23.59.07");
  EXPECT_EQ(top->Name(), u"Marlix Contacts : Created - 1.1.27 23.59.07");
  // A folder added from the client's side is the same folder the session sees.
  top->Folders()->Add(u"Cards", olFolderContacts);
  EXPECT_EQ(session->GetFolderFromPath(u"\\\\Marlix Contacts : Created - 1.1.27 23.59.07\\Cards")->Name(), u"Cards");
  EXPECT_EQ(FailureOf([&] { app->GetNamespace(u"MAPI")->Folders()->Item(u"Marlix Contacts"); }).number(),
            errors::kNotFound);

  const std::vector<std::uint8_t> id = store->EntryID();
  store->Remove();
  EXPECT_TRUE(profile.stores().empty());
  EXPECT_EQ(FailureOf([&] { app->GetNamespace(u"MAPI")->Folders()->Item(u"Marlix Contacts : Created - 1.1.27 23.59.07"); })
                .number(),
            errors::kNotFound);
  EXPECT_EQ(FailureOf([&] { session->Stores()->GetStoreFromID(id); }).number(), errors::kNotFound);
  EXPECT_EQ(FailureOf([&] { store->IPMRootFolder(); }).number(), errors::kObjectDeleted);
  EXPECT_EQ(FailureOf([&] { top->Folders(); }).number(), errors::kObjectDeleted);
  session->Logoff();
  EXPECT_EQ(FailureOf([&] { session->Stores(); }).number(), errors::kNotInitialized);
  EXPECT_TRUE(CheckPst(path("s.pst")).ok);
}

TEST_F(InProcessTest, ContactsAndFoldersReadBackByBothReaders) {
  auto session = loggedOn();
  auto store = session->Stores()->AddPSTStore(U(path("read.pst")), 1, u"Read");
  store->IPMRootFolder()->Folders()->Add(u"Cards", 10)->Folders()->Add(u"Work", 10);
  const QString ann = writeCard("ann.vcf",
                                "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ann Lee\r\nN:Lee;Ann;;;\r\n"
                                "EMAIL;TYPE=INTERNET:ann@example.com\r\nTEL;TYPE=WORK:+1 555 0100\r\nEND:VCARD\r\n");
  const QString bob = writeCard("bob.vcf",
                                "BEGIN:VCARD\nVERSION:2.1\nN:Ortiz;Bob\nFN:Bob Ortiz\nTEL;CELL:0170 1234\n"
                                "EMAIL;INTERNET:bob@example.org\nEND:VCARD\n");
  for (const auto& [folder, file] : {std::pair{u"\\\\Read\\Cards\\Work", ann}, std::pair{u"\\\\Read\\Cards", bob}}) {
    auto item = session->GetFolderFromPath(folder)->Items()->Add(olContactItem);
    item->Import(U(file), olVCard);
    item->Save();
  }
  store->Remove();

  const auto report = CheckPst(path("read.pst"));
  ASSERT_TRUE(report.ok) << report.errors.join("; ").toStdString();
  EXPECT_EQ(report.displayName, "Read");
  ASSERT_NE(report.folder("Cards/Work"), nullptr) << report.folderPaths().join(", ").toStdString();
  EXPECT_EQ(report.folder("Cards")->containerClass, "IPF.Contact");
  ASSERT_EQ(report.folder("Cards/Work")->contacts.size(), 1u);
  const auto& a = report.folder("Cards/Work")->contacts[0];
  EXPECT_EQ(a.displayName, "Ann Lee");
  EXPECT_EQ(a.emails, QStringList{"ann@example.com"});
  EXPECT_EQ(a.phones.value("business"), "+1 555 0100");
  ASSERT_EQ(report.folder("Cards")->contacts.size(), 1u);
  const auto& b = report.folder("Cards")->contacts[0];
  EXPECT_EQ(b.displayName, "Bob Ortiz");
  EXPECT_EQ(b.surname, "Ortiz");
  EXPECT_EQ(b.emails, QStringList{"bob@example.org"});
  EXPECT_EQ(b.phones.value("mobile"), "0170 1234");
  EXPECT_EQ(report.readpstContacts.value("Cards"), 1);
  EXPECT_EQ(report.readpstContacts.value("Cards/Work"), 1);
  EXPECT_EQ(StrictProblems(path("read.pst")), "");
}

TEST(InProcessProfile, StoresLeftInTheProfileAreCompletedAtItsEnd) {
  QTemporaryDir dir;
  const QString pst = dir.path() + "/left.pst";
  QFile card(dir.path() + "/c.vcf");
  ASSERT_TRUE(card.open(QIODevice::WriteOnly));
  card.write("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Left Behind\r\nEND:VCARD\r\n");
  card.close();
  {
    Profile profile;
    InProcessComponents components(profile);
    auto session = components.CreateRDOSession();
    session->Logon();
    session->Stores()->AddPSTStore(U(pst), 1, u"Left")->IPMRootFolder()->Folders()->Add(u"C", 10);
    auto item = session->GetFolderFromPath(u"\\\\Left\\C")->Items()->Add(olContactItem);
    item->Import(U(card.fileName()), olVCard);
    item->Save();
    // No Remove, no Logoff: the run's error path leaves the store like this.
  }
  const auto report = CheckPst(pst);
  ASSERT_TRUE(report.ok) << report.errors.join("; ").toStdString();
  EXPECT_EQ(report.displayNames("C"), QStringList{"Left Behind"});
}

}  // namespace
}  // namespace quillonet::automation
