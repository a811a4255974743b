// frmStep1: the main window, its controls laid out in twips, and its button handlers.
#pragma once

#include "app/frame.h"
#include "app/metronome.h"
#include "app/progress_bar.h"
#include "app/shape.h"
#include "filelist/caption_label.h"
#include "filelist/common_dialog.h"
#include "filelist/dialogs.h"
#include "filelist/file_grid.h"
#include "filelist/file_drops.h"
#include "filelist/file_list.h"
#include "filelist/grid_list_source.h"
#include "import/import_run.h"
#include "import/import_view.h"
#include "util/app_info.h"

#include <QLabel>
#include <QPushButton>
#include <QWidget>

#include <array>
#include <chrono>
#include <functional>
#include <memory>

namespace quillonet {

// The window is the import run's view: it shows the run's captions and
// progress in the "Details" frame and asks its questions through UserDialogs.
class frmStep1 : public QWidget, public ImportView {
  Q_OBJECT

 public:
  // The product's web page, opened by the Help button.
  static QString HelpAddress() { return QString::fromStdU16String(AppHelpAddress()); }
  static QString CopyrightLine() { return QString::fromStdU16String(AppCopyrightLine()); }

  // components make the store session for the import run; dialogs answers
  // the window's questions (null: real message boxes and dialogs).
  explicit frmStep1(automation::ComponentFactory& components, UserDialogs* dialogs = nullptr);
  ~frmStep1() override;

  // Pixels for a length in twips at this window's DPI.
  int Px(int twips) const;

  // Handlers, also called by tests.
  void cmdEnd_Click();
  void CmdHelp_Click();
  void cmdAdd_Click();
  void cmdClear1_Click();
  void CmdAddFolder_Click();
  void CmdExtractDBX_Click();

  // ImportView.
  std::u16string BrowseForFolder(const std::u16string& title) override;
  void setCaption(Caption control, const std::u16string& caption) override;
  void setProgressMin(Bar bar, float value) override;
  void setProgressMax(Bar bar, float value) override;
  void setProgressValue(Bar bar, float value) override;
  void setImportEnabled(bool enabled) override;
  void processEvents() override;
  void showMessage(const std::u16string& caption, const std::u16string& text,
                   const std::u16string& details) override;

  const ImportRun& Run() const { return run_; }

  FileList& Files() { return fileList_; }

  // Controls, named as the rest of the program refers to them, declared back
  // to front: later siblings are stacked above earlier ones.
  Shape Shape2;
  CaptionLabel lblCount1;
  Shape Shape1;
  QLabel lblTitle;
  QLabel lblCopyright;
  FileGrid grdFiles1;
  QPushButton cmdAdd;
  QPushButton cmdClear1;
  QPushButton CmdAddFolder;
  QPushButton CmdExtractDBX;
  QWidget Picture3;
  QPushButton cmdEnd;
  QPushButton CmdHelp;
  Frame FrameConversion;
  QLabel LblProgessCurrent;
  QLabel LblCurrentDBX;
  QLabel Label1;
  QLabel Label2;
  ProgressBar ProgressBar2;
  ProgressBar ProgressBar1;

 protected:
  void closeEvent(QCloseEvent* event) override;
  // Files and folders dropped from a file manager are added as the Add
  // buttons add them (see FileDrops).
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  // Connects a button to a handler; a failure the handler does not catch
  // ends the click with a message instead of escaping the event loop.
  void Connect(QPushButton& button, void (frmStep1::*handler)());
  // Runs a handler; a failure it does not catch ends it with a message.
  void Guarded(const std::function<void()>& handler);
  // Accepts a drag or drop that FileDrops accepts, as a copy; ignores it otherwise.
  bool TakeDrag(QDropEvent& event);
  ProgressBar& BarFor(Bar bar);
  void Place(QWidget& control, int left, int top, int width, int height);
  void SetUpControls();
  void SetTabOrder();
  void CentreOnScreen();
  // Does work that serves the event loop through processEvents (a run, an
  // addition of files), then ends the pace kept for it unless a run goes on.
  void Paced(const std::function<void()>& work);
  // Notes that the run changed what the window shows, for ShowPending.
  void Pending();
  // Puts what the run set since the last call on the controls: captions,
  // bar positions, the grid's current cell.
  void ShowPending();
  void ShowBar(Bar bar);

  std::unique_ptr<UserDialogs> ownDialogs_;
  UserDialogs* dialogs_;
  FileList fileList_;
  CommonDialog cdlgFile;
  FileDrops drops_;
  GridListSource gridSource_;
  ImportRun run_;
  bool closePending_ = false;
  // The run sets captions after every card and line, far more often than
  // the window can show them, and setting a control's text or a bar's
  // position is dear (size hints, repaints; a bar repaints at once). The
  // latest wait here and go onto their controls before the window next
  // serves events, and so before it next paints.
  struct PendingCaption {
    std::u16string text;   // the latest the run set
    bool given = false;    // text holds one
    bool pending = false;  // not yet on its control
  };
  struct PendingValue {
    float value = 0;
    bool pending = false;
  };
  std::array<PendingCaption, 3> captions_;  // by Caption
  std::array<PendingValue, 2> bars_;        // by Bar
  bool showQueued_ = false;                 // a ShowPending call is queued
  // During a run: 16 ms since the run last served the event loop.
  Metronome sinceEvents_{std::chrono::milliseconds(16)};
  double dpi_;
};

}  // namespace quillonet
