// TerminalView: a progress line that redraws at most ten times a second.
#include "cli/terminal_view.h"

#include <unistd.h>

#include "platform/qt_path.h"

namespace quillonet {

TerminalView::TerminalView(QString destination, std::FILE* out, bool (*stopRequested)())
    : destination_(std::move(destination)),
      out_(out),
      stopRequested_(stopRequested),
      interactive_(::isatty(::fileno(out)) == 1) {}

QString TerminalView::BrowseForFolder(const QString&) { return destination_; }

void TerminalView::processEvents() {
  if (run_ && stopRequested_ && stopRequested_()) run_->requestStop();
}

void TerminalView::progress(const RunProgress& where) {
  if (!interactive_) return;
  const bool last = where.file == where.files;
  if (lineShown_ && !last && sinceShown_.isValid() && sinceShown_.elapsed() < 100) return;
  const QString line = QStringLiteral("\rfile %1 of %2, %3 contacts saved")
                           .arg(where.file)
                           .arg(where.files)
                           .arg(where.contactsSaved);
  std::fputs(line.toLocal8Bit().constData(), out_);
  std::fputs("\x1b[K", out_);  // clear the rest of a longer earlier line
  std::fflush(out_);
  lineShown_ = true;
  sinceShown_.start();
}

void TerminalView::finish() {
  if (!lineShown_) return;
  std::fputc('\n', out_);
  lineShown_ = false;
}

void TerminalView::showMessage(const QString& caption, const QString& text, const QString& details) {
  finish();
  // The cause first: the window's own text ("Outlook Session Creation
  // Error ! Check if Outlook is installed...") says nothing of it.
  QString message;
  if (!details.isEmpty()) message = QStringLiteral("quillonet-import: ") + details + QStringLiteral("\n");
  message += caption + QStringLiteral(": ") + text;
  print(message);
}

void TerminalView::print(const QString& text) {
  QString plain = text;
  plain.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  std::fputs(NativePath(plain).c_str(), out_);
  std::fputc('\n', out_);
  std::fflush(out_);
}

}  // namespace quillonet
