// Reads a PST file back through the shared checkers (libpff and readpst via
// pstcheck, the structure via pststrict and our own checker) for assertions in tests.
#pragma once

#include <QJsonObject>
#include <QMap>
#include <QString>
#include <QStringList>

#include <vector>

namespace quillonet::testing {

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
  QStringList errors;     // pstcheck's errors, or why it could not run
  QString displayName;    // the store's display name
  std::vector<ReadFolder> folders;  // the folders below the top, in the checker's order
  QMap<QString, int> readpstContacts;  // contacts readpst found per folder path
  QJsonObject raw;

  const ReadFolder* folder(const QString& path) const;
  QStringList folderPaths() const;
  QStringList displayNames(const QString& path) const;  // contacts of a folder, sorted
};

PstReport CheckPst(const QString& pstPath);

// The verdict of pststrict and of our own checker: empty when neither finds
// a structural problem, otherwise their reports.
QString StrictProblems(const QString& pstPath);

}  // namespace quillonet::testing
