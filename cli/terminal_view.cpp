// TerminalView: a progress line that redraws at most ten times a second.
#include "cli/terminal_view.h"

#include <unistd.h>

#include "platform/native_path.h"
#include "util/text.h"

namespace quillonet {

TerminalView::TerminalView(std::u16string destination, std::FILE* out, bool (*stopRequested)())
    : destination_(std::move(destination)),
      out_(out),
      stopRequested_(stopRequested),
      interactive_(::isatty(::fileno(out)) == 1) {}

std::u16string TerminalView::BrowseForFolder(const std::u16string&) { return destination_; }

void TerminalView::processEvents() {
  if (run_ && stopRequested_ && stopRequested_()) run_->requestStop();
}

void TerminalView::progress(const RunProgress& where) {
  if (!interactive_) return;
  const bool last = where.file == where.files;
  const auto now = std::chrono::steady_clock::now();
  if (lineShown_ && !last && now - shownAt_ < std::chrono::milliseconds(100)) return;
  const std::string line = "\rfile " + std::to_string(where.file) + " of " + std::to_string(where.files) + ", " +
                           std::to_string(where.contactsSaved) + " contacts saved";
  std::fputs(line.c_str(), out_);
  std::fputs("\x1b[K", out_);  // clear the rest of a longer earlier line
  std::fflush(out_);
  lineShown_ = true;
  shownAt_ = now;
}

void TerminalView::finish() {
  if (!lineShown_) return;
  std::fputc('\n', out_);
  lineShown_ = false;
}

void TerminalView::showMessage(const std::u16string& caption, const std::u16string& text,
                               const std::u16string& details) {
  finish();
  // The cause first: the window's own text ("Outlook Session Creation
  // Error ! Check if Outlook is installed...") says nothing of it.
  std::u16string message;
  if (!details.empty()) message = u"quillonet-import: " + details + u"\n";
  message += caption + u": " + text;
  print(message);
}

void TerminalView::print(const std::u16string& text) {
  std::u16string plain;
  plain.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') continue;
    plain.push_back(text[i]);
  }
  std::fputs(platform::EncodeNativePath(plain).c_str(), out_);
  std::fputc('\n', out_);
  std::fflush(out_);
}

}  // namespace quillonet
