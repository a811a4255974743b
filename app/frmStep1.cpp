// frmStep1: controls, layout, Exit confirmation, Help, and the list buttons.
#include "app/frmStep1.h"

#include "app/fonts.h"
#include "filelist/add_files.h"
#include "filelist/add_folder.h"
#include "filelist/widget_dialogs.h"
#include "util/app_info.h"
#include "util/registry_gui.h"
#include "util/text.h"
#include "util/twips.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QMimeData>
#include <QScreen>
#include <QTimer>

#include <cstring>

namespace quillonet {
namespace {
const QColor kWhite(255, 255, 255);
const QColor kLightGrey(192, 192, 192);
const QColor kGrey(128, 128, 128);
constexpr int kStartColTwips = 50000;

void SetBackground(QWidget& widget, const QColor& colour) {
  QPalette pal = widget.palette();
  pal.setColor(QPalette::Window, colour);
  widget.setPalette(pal);
  widget.setAutoFillBackground(true);
}

void SetTextColour(QWidget& widget, const QColor& colour) {
  QPalette pal = widget.palette();
  pal.setColor(QPalette::WindowText, colour);
  widget.setPalette(pal);
}
}  // namespace

frmStep1::frmStep1(automation::ComponentFactory& components, UserDialogs* dialogs)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      Shape2(this, kWhite, kGrey),
      lblCount1(this),
      Shape1(this, kWhite, kLightGrey),
      lblTitle(this),
      lblCopyright(this),
      grdFiles1(this),
      cmdAdd(this),
      cmdClear1(this),
      CmdAddFolder(this),
      CmdExtractDBX(this),
      Picture3(this),
      cmdEnd(&Picture3),
      CmdHelp(&Picture3),
      FrameConversion(this),
      LblProgessCurrent(&FrameConversion),
      LblCurrentDBX(&FrameConversion),
      Label1(&FrameConversion),
      Label2(&FrameConversion),
      ProgressBar2(&FrameConversion),
      ProgressBar1(&FrameConversion),
      ownDialogs_(dialogs != nullptr ? nullptr : std::make_unique<WidgetDialogs>(this)),
      dialogs_(dialogs != nullptr ? dialogs : ownDialogs_.get()),
      fileList_(grdFiles1, lblCount1),
      cdlgFile(*dialogs_),
      drops_(
          fileList_, *dialogs_, [this](bool on) { CmdExtractDBX.setEnabled(on); }, [this] { processEvents(); },
          [this] { return run_.isRunning(); }),
      gridSource_(grdFiles1),
      run_(components, *this, gridSource_),
      dpi_(LogicalDpi(this)) {
  setWindowTitle(QString::fromStdU16String(AppTitle()));
  setWindowIcon(AppIcon());
  QFont font(ControlFontFamily());
  font.setPointSizeF(8.25);
  setFont(font);
  setFixedSize(Px(8145), Px(6750));
  SetUpControls();
  SetTabOrder();
  setAcceptDrops(true);
  // Load: the grid's column starts very wide.
  grdFiles1.SetColWidth(0, kStartColTwips);
  CentreOnScreen();
  cmdAdd.setFocus();
}

frmStep1::~frmStep1() = default;

int frmStep1::Px(int twips) const { return TwipsToPixels(twips, dpi_); }

void frmStep1::Place(QWidget& control, int left, int top, int width, int height) {
  control.setGeometry(Px(left), Px(top), Px(width), Px(height));
}

void frmStep1::SetUpControls() {
  const auto label = [](QLabel& l, const QString& text) {
    l.setText(text);
    l.setTextFormat(Qt::PlainText);
    l.setAlignment(Qt::AlignLeft | Qt::AlignTop);
  };
  const auto button = [](QPushButton& b, const QString& caption) {
    b.setText(caption);
    b.setAutoDefault(false);
    b.setDefault(false);
  };

  Place(FrameConversion, 240, 3480, 7695, 1815);
  FrameConversion.SetCaption(QStringLiteral("Details"));
  Place(ProgressBar1, 1800, 1320, 5775, 255);
  Place(ProgressBar2, 1800, 960, 5775, 255);
  Place(Label2, 120, 960, 1695, 255);
  label(Label2, QStringLiteral("Current File Progress : "));
  Place(Label1, 120, 1320, 1695, 255);
  label(Label1, QStringLiteral("Overall Progress        : "));
  Place(LblCurrentDBX, 120, 240, 7455, 255);
  label(LblCurrentDBX, QStringLiteral("Converting Contacts..."));
  Place(LblProgessCurrent, 1800, 600, 5775, 255);
  label(LblProgessCurrent, QStringLiteral("Contact 1 (of 1)"));
  SetTextColour(LblProgessCurrent, Qt::black);

  Place(Picture3, 240, 6240, 7695, 495);
  SetBackground(Picture3, kWhite);
  Place(CmdHelp, 0, 0, 1695, 375);
  button(CmdHelp, QStringLiteral("&Help Manual"));
  CmdHelp.setVisible(false);
  Place(cmdEnd, 6360, 0, 1335, 375);
  button(cmdEnd, QStringLiteral("E&xit"));

  Place(CmdExtractDBX, 2880, 5520, 2415, 435);
  button(CmdExtractDBX, QStringLiteral("Import &Contacts"));
  CmdExtractDBX.setEnabled(false);
  Place(CmdAddFolder, 2400, 960, 2775, 375);
  button(CmdAddFolder, QStringLiteral("Add Folder having vCard File(s)..."));
  Place(cmdClear1, 6240, 960, 1695, 375);
  button(cmdClear1, QStringLiteral("Clear File(s)..."));
  Place(cmdAdd, 240, 960, 1815, 375);
  button(cmdAdd, QStringLiteral("Add vCard File(s)..."));

  Place(grdFiles1, 240, 1800, 7695, 1575);
  Place(lblCopyright, 240, 480, 6135, 255);
  label(lblCopyright, CopyrightLine());
  SetBackground(lblCopyright, kWhite);
  SetTextColour(lblCopyright, Qt::black);
  Place(lblTitle, 240, 120, 6255, 375);
  label(lblTitle, QStringLiteral("Marlix Quillonet"));
  SetBackground(lblTitle, kWhite);
  SetTextColour(lblTitle, Qt::black);
  QFont title(ControlFontFamily());
  title.setPointSizeF(14.25);
  title.setBold(true);
  lblTitle.setFont(title);
  Place(Shape1, 0, 6120, 8415, 855);
  Place(lblCount1, 270, 1560, 7695, 255);
  label(lblCount1, QStringLiteral("0 files"));
  Place(Shape2, -120, 0, 8415, 855);

  Connect(cmdEnd, &frmStep1::cmdEnd_Click);
  Connect(CmdHelp, &frmStep1::CmdHelp_Click);
  Connect(cmdAdd, &frmStep1::cmdAdd_Click);
  Connect(cmdClear1, &frmStep1::cmdClear1_Click);
  Connect(CmdAddFolder, &frmStep1::CmdAddFolder_Click);
  Connect(CmdExtractDBX, &frmStep1::CmdExtractDBX_Click);
}

void frmStep1::Connect(QPushButton& button, void (frmStep1::*handler)()) {
  connect(&button, &QPushButton::clicked, this, [this, handler] { Guarded([this, handler] { (this->*handler)(); }); });
}

void frmStep1::Guarded(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& e) {
    dialogs_->MsgBox(text::FromUtf8(e.what()), MsgButtons::Ok, MsgIcon::Exclamation);
  }
}

void frmStep1::SetTabOrder() {
  // Of the tab order, only these accept the focus; labels, frame, panel and
  // progress bars are passed over.
  QWidget* order[] = {&cmdAdd, &cmdClear1, &CmdAddFolder, &grdFiles1, &CmdExtractDBX, &cmdEnd, &CmdHelp};
  for (size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);
}

void frmStep1::CentreOnScreen() {
  const QScreen* screen = this->screen() != nullptr ? this->screen() : QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect area = screen->availableGeometry();
  move(area.center() - QPoint(width() / 2, height() / 2));
}

void frmStep1::cmdEnd_Click() {
  if (dialogs_->MsgBox(u"Are you sure you want to exit now?", MsgButtons::YesNo, MsgIcon::Question) == MsgAnswer::Yes)
    close();
}

void frmStep1::CmdHelp_Click() { ShellOpen(HelpAddress()); }

void frmStep1::cmdAdd_Click() {
  AddFilesByDialog(fileList_, cdlgFile, *dialogs_, [this](bool on) { CmdExtractDBX.setEnabled(on); });
}

void frmStep1::cmdClear1_Click() { ConfirmAndClear(fileList_, *dialogs_); }

void frmStep1::CmdAddFolder_Click() {
  Paced([this] {
    AddFolderOfCards(
        fileList_, *dialogs_, [this](bool on) { CmdExtractDBX.setEnabled(on); }, [this] { processEvents(); });
  });
}

// Adding a folder yields twice per file, the run several times per line;
// serving the event loop at each would take longer than the work itself.
void frmStep1::Paced(const std::function<void()>& work) {
  struct Pace {
    frmStep1& w;
    ~Pace() {
      if (!w.run_.isRunning()) w.sinceEvents_.Stop();
    }
  } pace{*this};
  work();
}

void frmStep1::CmdExtractDBX_Click() {
  // A click during a run starts no other and returns with the first going.
  Paced([this] { run_.CmdExtractDBX_Click(); });
  ShowPending();
  // A close requested during the run waited for the run's tear-down.
  if (closePending_ && !run_.isRunning()) {
    closePending_ = false;
    close();
  }
}

void frmStep1::closeEvent(QCloseEvent* event) {
  // Closing in the middle of a run would skip its tear-down, which removes
  // the new store from the profile and so completes the file. The run is
  // asked to stop after the card at hand instead; the window closes when
  // it has (see CmdExtractDBX_Click).
  if (run_.isRunning()) {
    closePending_ = true;
    run_.requestStop();
    event->ignore();
    return;
  }
  event->accept();
}

void frmStep1::dragEnterEvent(QDragEnterEvent* event) { TakeDrag(*event); }
void frmStep1::dragMoveEvent(QDragMoveEvent* event) { TakeDrag(*event); }

bool frmStep1::TakeDrag(QDropEvent& event) {
  if (!drops_.Accepts(event.mimeData()->urls())) {
    event.ignore();
    return false;
  }
  // The files stay where they are: a move would let the file manager
  // delete what it thinks was moved.
  if (event.possibleActions() & Qt::CopyAction) {
    event.setDropAction(Qt::CopyAction);
    event.accept();
  } else {
    event.acceptProposedAction();
  }
  return true;
}

void frmStep1::dropEvent(QDropEvent* event) {
  if (!TakeDrag(*event)) return;
  // The file manager waits until the drop has been taken; the adding, with
  // its messages, follows after that.
  QTimer::singleShot(0, this, [this, urls = event->mimeData()->urls()] {
    Paced([&] { Guarded([&] { drops_.Drop(urls); }); });
  });
}

std::u16string frmStep1::BrowseForFolder(const std::u16string& title) {
  ShowPending();
  return dialogs_->BrowseForFolder(title);
}

void frmStep1::setCaption(Caption control, const std::u16string& caption) {
  PendingCaption& latest = captions_[static_cast<std::size_t>(control)];
  // Most calls repeat the caption the run set last (the frame's, after every line).
  if (latest.given && latest.text.size() == caption.size() &&
      std::memcmp(latest.text.data(), caption.data(), caption.size() * sizeof(char16_t)) == 0)
    return;
  latest.text = caption;
  latest.given = true;
  latest.pending = true;
  Pending();
}

// Shown by the run's next turn of the event loop; the queued call covers
// any other event loop, such as a message box's.
void frmStep1::Pending() {
  if (showQueued_) return;
  showQueued_ = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        showQueued_ = false;
        ShowPending();
      },
      Qt::QueuedConnection);
}

// A caption that did not change is not set again.
void frmStep1::ShowPending() {
  for (std::size_t i = 0; i < captions_.size(); ++i) {
    PendingCaption& latest = captions_[i];
    if (!latest.pending) continue;
    latest.pending = false;
    const QStringView text(latest.text.data(), static_cast<qsizetype>(latest.text.size()));
    switch (static_cast<Caption>(i)) {
      case Caption::FrameConversion:
        if (FrameConversion.Caption() != text) FrameConversion.SetCaption(text.toString());
        break;
      case Caption::LblCurrentDBX:
        if (LblCurrentDBX.text() != text) LblCurrentDBX.setText(text.toString());
        break;
      case Caption::LblProgessCurrent:
        if (LblProgessCurrent.text() != text) LblProgessCurrent.setText(text.toString());
        break;
    }
  }
  for (const Bar bar : {Bar::ProgressBar1, Bar::ProgressBar2}) ShowBar(bar);
  grdFiles1.ShowCurrentCell();
}

void frmStep1::ShowBar(Bar bar) {
  PendingValue& latest = bars_[static_cast<std::size_t>(bar)];
  if (!latest.pending) return;
  latest.pending = false;
  BarFor(bar).SetValue(latest.value);
}

ProgressBar& frmStep1::BarFor(Bar bar) { return bar == Bar::ProgressBar1 ? ProgressBar1 : ProgressBar2; }

// A range change applies to the position set before it, as it would have.
void frmStep1::setProgressMin(Bar bar, float value) {
  ShowBar(bar);
  BarFor(bar).SetMin(value);
}
void frmStep1::setProgressMax(Bar bar, float value) {
  ShowBar(bar);
  BarFor(bar).SetMax(value);
}
void frmStep1::setProgressValue(Bar bar, float value) {
  bars_[static_cast<std::size_t>(bar)] = {value, true};
  Pending();
}
void frmStep1::setImportEnabled(bool enabled) { CmdExtractDBX.setEnabled(enabled); }
// The run yields several times per line of a file; serving the event loop
// (and repainting) at each would cost more than the import itself. It is
// served when 16 ms have passed since it last was: about once a frame of a
// 60 Hz screen, so the window keeps painting smoothly and answers a click
// at once, and painting more often would only draw frames no one sees.
void frmStep1::processEvents() {
  if (sinceEvents_.Running() && !sinceEvents_.Beat()) return;
  ShowPending();
  QCoreApplication::processEvents();
  sinceEvents_.Restart();
}

void frmStep1::showMessage(const std::u16string& caption, const std::u16string& text,
                           const std::u16string& details) {
  ShowPending();
  dialogs_->MsgBox(text, MsgButtons::Ok, MsgIcon::Information, caption, details);
}

}  // namespace quillonet
