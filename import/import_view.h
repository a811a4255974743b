// What the import run needs from its surroundings: a view to show progress
// and ask questions (the main window, the terminal, or a test recorder), and
// the list of files to import (the main window's grid).
#pragma once

#include <cstdint>
#include <string>

namespace quillonet {

// The controls whose captions the run sets.
enum class Caption { FrameConversion, LblCurrentDBX, LblProgessCurrent };
// The two progress bars.
enum class Bar { ProgressBar1, ProgressBar2 };

// Where the run stands, for views that show their own progress line.
struct RunProgress {
  int file = 0;                  // the file being worked on, from 1
  int files = 0;                 // the number of listed files
  std::int64_t contactsSaved = 0;  // contacts saved so far in the whole run
};

class ImportView {
 public:
  virtual ~ImportView() = default;

  // Asks for a folder; the chosen path without a trailing separator (except
  // for a root), or the empty string when the user cancelled.
  virtual std::u16string BrowseForFolder(const std::u16string& title) = 0;
  virtual void setCaption(Caption control, const std::u16string& caption) = 0;
  // Progress bar range and position, single precision so 100/3 stays 33.33.
  virtual void setProgressMin(Bar bar, float value) = 0;
  virtual void setProgressMax(Bar bar, float value) = 0;
  virtual void setProgressValue(Bar bar, float value) = 0;
  // Enables or disables the Import button (CmdExtractDBX).
  virtual void setImportEnabled(bool enabled) = 0;
  // Lets the window process pending events (paint, clicks) and returns.
  virtual void processEvents() = 0;
  // A modal message box with the information icon and an OK button. details
  // says more about a failure (may be empty); a window may show it on demand.
  virtual void showMessage(const std::u16string& caption, const std::u16string& text,
                           const std::u16string& details) = 0;
  // Called after every card and every file; a window may ignore it.
  virtual void progress(const RunProgress& where) { (void)where; }
  // How many of the files that were not imported in full the completion
  // message names (the rest are counted): a few for a message box.
  virtual int filesNamedInMessage() const { return 5; }
};

// The file list: one full path per row in column 0; the empty list is one
// row with an empty cell. Reading a cell makes it the current cell.
class FileListSource {
 public:
  virtual ~FileListSource() = default;
  virtual int Rows() = 0;
  virtual void setCurrentCell(int row, int col) = 0;
  // The text of the current cell.
  virtual std::u16string Text() = 0;
};

}  // namespace quillonet
