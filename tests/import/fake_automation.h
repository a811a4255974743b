// A recording stand-in for the mail components: an in-memory profile of
// stores, folders and items that logs every call and fails the calls a test
// names.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "automation/objects.h"
#include "tests/support/qt_text.h"

namespace quillonet::testing {

using test_support::Q;
using test_support::U;

struct FakeItem {
  QString importedPath;
  QByteArray importedContent;  // the file's bytes at the time of Import
  QString messageClass = QString::fromUtf16(automation::kContactClass);  // a group's card makes a list
  bool saved = false;
};

struct FakeFolder {
  QString name;
  std::vector<std::shared_ptr<FakeFolder>> children;
  std::vector<std::shared_ptr<FakeItem>> items;  // saved items only

  std::shared_ptr<FakeFolder> child(const QString& childName) const;
  // "a\b": the folders under this one, for assertions; nullptr when absent.
  std::shared_ptr<FakeFolder> find(const QString& path) const;
  // Every folder path below this one, depth first in creation order.
  QStringList tree() const;
};

struct FakeStore {
  QString path;
  QString displayName;
  QByteArray entryID;
  std::shared_ptr<FakeFolder> root = std::make_shared<FakeFolder>();
};

class FakeWorld {
 public:
  // Every call, in order, e.g. "Items.Add(2)".
  QStringList calls;
  // Stores in the profile, in the order added.
  std::vector<std::shared_ptr<FakeStore>> profile;
  // Stores taken out of the profile by Remove.
  std::vector<std::shared_ptr<FakeStore>> removed;
  // What Store.CompleteDistributionLists returns.
  automation::DistListReport distLists;
  bool hasExplorer = false;
  // Runs at the start of Store.Remove (on whatever thread removes it).
  std::function<void()> onRemove;
  std::shared_ptr<FakeFolder> explorerFolder;

  // Makes every call whose log text starts with prefix fail.
  void failCalls(const QString& prefix) { failing_.append(prefix); }
  // Makes only the n-th (from 1) such call fail.
  void failCall(const QString& prefix, int occurrence);

  // Records a call and throws when it is one of those to fail. The run may
  // remove its store on another thread while a test looks at the calls from
  // the view's yields: these two take a lock.
  void enter(const QString& call);
  // Calls whose text starts with prefix.
  QStringList callsStartingWith(const QString& prefix) const;
  std::shared_ptr<FakeStore> storeNamed(const QString& displayName) const;

 private:
  mutable std::mutex mutex_;
  QStringList failing_;
  struct Once {
    QString prefix;
    int occurrence;
    int seen = 0;
  };
  std::vector<Once> once_;
};

class FakeComponents : public automation::ComponentFactory {
 public:
  explicit FakeComponents(FakeWorld& world) : world_(world) {}
  std::unique_ptr<automation::Session> CreateRDOSession() override;
  std::unique_ptr<automation::Application> CreateOutlookApplication() override;

 private:
  FakeWorld& world_;
};

}  // namespace quillonet::testing
