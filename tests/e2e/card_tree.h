// Generated trees of vCard files with the contacts each should give.
#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

#include <vector>

#include "tests/support/pst_report.h"

namespace quillonet::testing {

using test_support::CheckPst;
using test_support::PstReport;
using test_support::ReadContact;
using test_support::ReadFolder;
using test_support::StrictProblems;

struct ExpectedContact {
  QString displayName;
  QString surname;
  QStringList emails;
  QMap<QString, QString> phones;  // as the checker names them: business, home, mobile
  QString note;                   // unfolded
};

class CardTree {
 public:
  explicit CardTree(QString root) : root_(std::move(root)) {}

  // Writes a file of cards at root/relative, lines ended by lineEnd.
  // Returns its path. Each card gets a unique name from serial().
  QString addFile(const QString& relative, int cards, const QByteArray& lineEnd, bool bom = false);

  QStringList files() const { return files_; }
  // Contacts expected per store folder, keyed by the folder's path in the
  // checker's form ('/'-joined, below the top of the store).
  const QMap<QString, std::vector<ExpectedContact>>& expected() const { return expected_; }
  int cardCount() const { return serial_; }
  // The checker's folder path for a file under the tree.
  static QString StoreFolderOf(const QString& filePath);

 private:
  QString root_;
  QStringList files_;
  QMap<QString, std::vector<ExpectedContact>> expected_;
  int serial_ = 0;
};

// Every expected contact of the tree is in its folder with its fields, read by
// libpff, and readpst finds as many contacts per folder.
void ExpectContacts(const PstReport& report, const CardTree& tree);

}  // namespace quillonet::testing
