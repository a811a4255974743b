// Reads a PST file back through the oracle (libpff and readpst, see
// pst_readback.py) and our strict checker, in Qt terms for assertions in tests.
#pragma once

#include <QJsonObject>
#include <QMap>
#include <QString>
#include <QStringList>

#include <vector>

namespace quillonet::test_support {

struct ReadContact {
  QString displayName;
  QString givenName;
  QString surname;
  QStringList emails;
  QMap<QString, QString> phones;  // kind ("business", "mobile"...) -> number
  QString body;
};

struct ReadFolder {
  QString path;  // below the top of the store, names joined by '/'
  QString containerClass;
  std::vector<ReadContact> contacts;
};

struct PstReport {
  bool ok = false;        // both readers read the file without errors
  QStringList errors;     // the oracle's errors, or why it could not run
  QString displayName;    // the store's display name
  std::vector<ReadFolder> folders;  // the folders below the top, in the oracle's order
  QMap<QString, int> readpstContacts;  // contacts readpst found per folder path
  QJsonObject raw;

  const ReadFolder* folder(const QString& path) const;
  QStringList folderPaths() const;
  QStringList displayNames(const QString& path) const;  // contacts of a folder, sorted
};

PstReport CheckPst(const QString& pstPath);

// The strict checker's report: empty when it finds no structural problem.
QString StrictProblems(const QString& pstPath);

}  // namespace quillonet::test_support
