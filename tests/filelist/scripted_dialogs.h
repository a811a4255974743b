// ScriptedDialogs: a UserDialogs that records every request and answers from a script.
#pragma once

#include "filelist/dialogs.h"

#include <gtest/gtest.h>

#include "tests/util/qstring_printer.h"

#include <QApplication>
#include <QStringList>

#include <deque>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace quillonet::test_support {

// Owns the test program's QApplication and destroys it when the tests end,
// before the exit handlers tear down Qt's own statics.
class AppEnvironment : public ::testing::Environment {
 public:
  static std::unique_ptr<QApplication>& App() {
    static std::unique_ptr<QApplication> app;
    return app;
  }
  void TearDown() override { App().reset(); }
};
// gtest takes ownership of the environment.
inline ::testing::Environment* const kAppEnvironment = ::testing::AddGlobalTestEnvironment(new AppEnvironment);

// One QApplication for a test program, offscreen, without native dialogs.
inline QApplication& TestApp() {
  std::unique_ptr<QApplication>& app = AppEnvironment::App();
  if (!app) {
    static int argc = 1;
    static char name[] = "quillonet_tests";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    app = std::make_unique<QApplication>(argc, argv);
  }
  return *app;
}

// Base of fixtures whose members are widgets: the application comes first.
struct WithApp {
  WithApp() { TestApp(); }
};

struct ShownMessage {
  QString text;
  MsgButtons buttons;
  MsgIcon icon;
  QString caption;
  QString details;
};

struct RecordedOpen {
  QString filter;
  bool multiSelect;
};

// The list's entries as a QStringList, for comparing with one.
inline QStringList AsQt(const std::vector<std::u16string>& entries) {
  QStringList out;
  for (const std::u16string& e : entries) out << QString::fromStdU16String(e);
  return out;
}

// Each call takes the next scripted answer; a call without one fails the test.
class ScriptedDialogs : public UserDialogs {
 public:
  std::deque<MsgAnswer> answers;
  std::deque<QStringList> openResults;
  std::deque<QString> folders;

  std::vector<ShownMessage> messages;
  std::vector<RecordedOpen> openRequests;
  QStringList folderTitles;

  int busyDepth = 0;  // the busy pointer is on while above 0

  MsgAnswer MsgBox(const std::u16string& text, MsgButtons buttons, MsgIcon icon,
                   const std::u16string& caption = AppTitle(), const std::u16string& details = {}) override {
    messages.push_back({QString::fromStdU16String(text), buttons, icon, QString::fromStdU16String(caption),
                        QString::fromStdU16String(details)});
    if (buttons == MsgButtons::Ok) return MsgAnswer::Ok;
    if (answers.empty()) {
      ADD_FAILURE() << "unexpected question: " << messages.back().text.toStdString();
      return MsgAnswer::No;
    }
    const MsgAnswer a = answers.front();
    answers.pop_front();
    return a;
  }

  std::vector<std::u16string> ShowOpen(const OpenFileRequest& request) override {
    openRequests.push_back({QString::fromStdU16String(request.filter), request.multiSelect});
    if (openResults.empty()) {
      ADD_FAILURE() << "unexpected open-file dialog";
      return {};
    }
    std::vector<std::u16string> r;
    for (const QString& f : openResults.front()) r.push_back(f.toStdU16String());
    openResults.pop_front();
    return r;
  }

  std::u16string BrowseForFolder(const std::u16string& title) override {
    folderTitles << QString::fromStdU16String(title);
    if (folders.empty()) {
      ADD_FAILURE() << "unexpected folder dialog";
      return {};
    }
    QString f = folders.front();
    folders.pop_front();
    return f.toStdU16String();
  }

  void SetBusyPointer(bool busy) override { busyDepth += busy ? 1 : -1; }
};

}  // namespace quillonet::test_support
