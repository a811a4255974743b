// CardTree: cards with names, e-mails, phones and a folded note.
#include "card_tree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <algorithm>

namespace quillonet::testing {

QString CardTree::StoreFolderOf(const QString& filePath) {
  return QFileInfo(filePath).absolutePath().mid(1);  // without the leading '/'
}

QString CardTree::addFile(const QString& relative, int cards, const QByteArray& lineEnd, bool bom) {
  const QString path = root_ + QLatin1Char('/') + relative;
  QDir().mkpath(QFileInfo(path).absolutePath());
  QByteArray text = bom ? QByteArray("\xEF\xBB\xBF") : QByteArray();
  auto line = [&](const QByteArray& l) { text += l + lineEnd; };
  for (int i = 0; i < cards; ++i) {
    const int n = ++serial_;
    ExpectedContact c;
    const QString given = n % 7 == 0 ? QStringLiteral("Zo\u00eb") : QStringLiteral("Given%1").arg(n);
    c.surname = QStringLiteral("Surname%1").arg(n);
    c.displayName = given + QLatin1Char(' ') + c.surname;
    c.emails << QStringLiteral("person%1@example.com").arg(n);
    if (n % 2 == 0) c.emails << QStringLiteral("p%1.home@example.org").arg(n);
    c.phones[QStringLiteral("business")] = QStringLiteral("+1 555 %1").arg(n, 4, 10, QLatin1Char('0'));
    if (n % 3 == 0) c.phones[QStringLiteral("mobile")] = QStringLiteral("+49 170 %1").arg(n);
    c.note = QStringLiteral("Note of card %1: a long remark that an exporter folds at seventy-five "
                            "characters, so the second line continues it.").arg(n);

    if (n % 5 == 0) text += "  \r\nX-OUTSIDE:lines between cards are ignored" + lineEnd;
    line("BEGIN:VCARD");
    line("VERSION:3.0");
    line("N:" + c.surname.toUtf8() + ";" + given.toUtf8() + ";;;");
    line("FN:" + c.displayName.toUtf8());
    line("EMAIL;TYPE=INTERNET,WORK:" + c.emails[0].toUtf8());
    if (c.emails.size() > 1) line("EMAIL;TYPE=INTERNET,HOME:" + c.emails[1].toUtf8());
    line("TEL;TYPE=WORK,VOICE:" + c.phones[QStringLiteral("business")].toUtf8());
    if (c.phones.contains(QStringLiteral("mobile"))) line("TEL;TYPE=CELL:" + c.phones[QStringLiteral("mobile")].toUtf8());
    // Folded after a space and with a tab: both must unfold to the value.
    const QByteArray note = c.note.toUtf8();
    const qsizetype cut = note.indexOf("seventy-five ") + 13;
    line("NOTE:" + note.left(cut));
    line(" " + note.mid(cut, 10));
    line("\t" + note.mid(cut + 10));
    line("END:VCARD");
    expected_[StoreFolderOf(path)].push_back(c);
  }
  QFile file(path);
  if (file.open(QIODevice::WriteOnly)) file.write(text);
  files_ << path;
  return path;
}

// Every expected contact is in its folder with its fields, read by libpff,
// and readpst finds as many contacts per folder.
void ExpectContacts(const PstReport& report, const CardTree& tree) {
  int total = 0;
  for (auto it = tree.expected().begin(); it != tree.expected().end(); ++it) {
    SCOPED_TRACE(it.key().toStdString());
    const ReadFolder* folder = report.folder(it.key());
    ASSERT_NE(folder, nullptr) << report.folderPaths().join(", ").toStdString();
    EXPECT_EQ(folder->containerClass, "IPF.Contact");
    std::vector<ExpectedContact> expected = it.value();
    std::vector<ReadContact> read = folder->contacts;
    ASSERT_EQ(read.size(), expected.size());
    auto byName = [](const auto& a, const auto& b) { return a.displayName < b.displayName; };
    std::sort(expected.begin(), expected.end(), byName);
    std::sort(read.begin(), read.end(), byName);
    for (std::size_t i = 0; i < read.size(); ++i) {
      EXPECT_EQ(read[i].displayName, expected[i].displayName);
      EXPECT_EQ(read[i].surname, expected[i].surname);
      EXPECT_EQ(read[i].emails, expected[i].emails);
      EXPECT_EQ(read[i].phones, expected[i].phones);
      EXPECT_EQ(read[i].body.trimmed(), expected[i].note);
    }
    EXPECT_EQ(report.readpstContacts.value(it.key()), static_cast<int>(expected.size()));
    total += static_cast<int>(expected.size());
  }
  EXPECT_EQ(total, tree.cardCount());
}

}  // namespace quillonet::testing
