// The import run's view in a terminal: the destination comes from the
// command line, progress is one line on stderr, messages go to stderr.
#pragma once

#include <chrono>
#include <cstdio>
#include <limits>
#include <string>

#include "import/import_run.h"
#include "import/import_view.h"

namespace quillonet {

class TerminalView : public ImportView {
 public:
  // stopRequested, when given and true, asks the run to stop.
  TerminalView(std::u16string destination, std::FILE* out, bool (*stopRequested)());

  void setRun(ImportRun* run) { run_ = run; }
  // Ends the progress line, if one was shown.
  void finish();

  std::u16string BrowseForFolder(const std::u16string& title) override;
  void setCaption(Caption, const std::u16string&) override {}
  void setProgressMin(Bar, float) override {}
  void setProgressMax(Bar, float) override {}
  void setProgressValue(Bar, float) override {}
  void setImportEnabled(bool) override {}
  void processEvents() override;
  void showMessage(const std::u16string& caption, const std::u16string& text, const std::u16string& details) override;
  void progress(const RunProgress& where) override;
  // Every file that was not imported in full is named on stderr.
  int filesNamedInMessage() const override { return std::numeric_limits<int>::max(); }

 private:
  void print(const std::u16string& text);

  std::u16string destination_;
  std::FILE* out_;
  bool (*stopRequested_)();
  ImportRun* run_ = nullptr;
  bool interactive_;
  bool clearsLine_;             // the terminal takes ESC [ K; otherwise spaces clear
  std::size_t lineLength_ = 0;  // of the progress line last shown
  bool lineShown_ = false;
  std::chrono::steady_clock::time_point shownAt_;
};

}  // namespace quillonet
