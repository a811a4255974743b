// A view and a file list for tests: the view records what the run shows and
// answers the destination prompt; the list is a plain vector of rows.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "import/import_view.h"

namespace quillonet::testing {

class RecordingView : public ImportView {
 public:
  QString destination;          // what BrowseForFolder answers
  QStringList events;           // captions, progress, button and message events in order
  std::map<Caption, QStringList> captions;  // every caption set, per control
  std::vector<float> bar1Values;
  QStringList promptTitles;
  int yields = 0;
  std::function<void()> onYield;  // runs inside processEvents, e.g. a second click

  struct Message {
    QString caption, text, details;
  };
  std::vector<Message> messages;

  std::u16string BrowseForFolder(const std::u16string& title) override {
    promptTitles << QString::fromStdU16String(title);
    return destination.toStdU16String();
  }
  void setCaption(Caption control, const std::u16string& caption16) override {
    const QString caption = QString::fromStdU16String(caption16);
    captions[control] << caption;
    events << QStringLiteral("caption %1: %2").arg(static_cast<int>(control)).arg(caption);
  }
  void setProgressMin(Bar bar, float value) override {
    events << QStringLiteral("min %1 = %2").arg(static_cast<int>(bar)).arg(value);
  }
  void setProgressMax(Bar bar, float value) override {
    events << QStringLiteral("max %1 = %2").arg(static_cast<int>(bar)).arg(value);
  }
  void setProgressValue(Bar bar, float value) override {
    if (bar == Bar::ProgressBar1) bar1Values.push_back(value);
    events << QStringLiteral("value %1 = %2").arg(static_cast<int>(bar)).arg(value);
  }
  void setImportEnabled(bool enabled) override {
    events << QStringLiteral("import enabled %1").arg(enabled);
  }
  void processEvents() override {
    ++yields;
    if (onYield) onYield();
  }
  void showMessage(const std::u16string& caption16, const std::u16string& text,
                   const std::u16string& details) override {
    const QString caption = QString::fromStdU16String(caption16);
    messages.push_back({caption, QString::fromStdU16String(text), QString::fromStdU16String(details)});
    events << QStringLiteral("message %1").arg(caption);
  }
  QString last(Caption control) const {
    auto it = captions.find(control);
    return it == captions.end() || it->second.isEmpty() ? QString() : it->second.last();
  }
};

class VectorFileList : public FileListSource {
 public:
  QStringList rows{QString()};  // the empty list is one empty row
  int row = -1;
  int col = -1;

  void set(const QStringList& paths) { rows = paths.isEmpty() ? QStringList{QString()} : paths; }
  int Rows() override { return static_cast<int>(rows.size()); }
  void setCurrentCell(int r, int c) override {
    row = r;
    col = c;
  }
  std::u16string Text() override { return rows.value(row).toStdU16String(); }
};

}  // namespace quillonet::testing
