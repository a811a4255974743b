// ScriptedDialogs: a UserDialogs that records every request and answers from a script.
#pragma once

#include "filelist/dialogs.h"

#include <gtest/gtest.h>

#include "tests/util/qstring_printer.h"

#include <QApplication>

#include <deque>
#include <memory>
#include <stdexcept>

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

// Each call takes the next scripted answer; a call without one fails the test.
class ScriptedDialogs : public UserDialogs {
 public:
  std::deque<MsgAnswer> answers;
  std::deque<QStringList> openResults;
  std::deque<QString> folders;

  std::vector<ShownMessage> messages;
  std::vector<OpenFileRequest> openRequests;
  QStringList folderTitles;

  MsgAnswer MsgBox(const QString& text, MsgButtons buttons, MsgIcon icon, const QString& caption = QString::fromStdU16String(AppTitle()),
                   const QString& details = QString()) override {
    messages.push_back({text, buttons, icon, caption, details});
    if (buttons == MsgButtons::Ok) return MsgAnswer::Ok;
    if (answers.empty()) {
      ADD_FAILURE() << "unexpected question: " << text.toStdString();
      return MsgAnswer::No;
    }
    const MsgAnswer a = answers.front();
    answers.pop_front();
    return a;
  }

  QStringList ShowOpen(const OpenFileRequest& request) override {
    openRequests.push_back(request);
    if (openResults.empty()) {
      ADD_FAILURE() << "unexpected open-file dialog";
      return {};
    }
    QStringList r = openResults.front();
    openResults.pop_front();
    return r;
  }

  QString BrowseForFolder(const QString& title) override {
    folderTitles << title;
    if (folders.empty()) {
      ADD_FAILURE() << "unexpected folder dialog";
      return {};
    }
    QString f = folders.front();
    folders.pop_front();
    return f;
  }
};

}  // namespace quillonet::test_support
