// TerminalView: a progress line that redraws at most ten times a second.
#include "cli/terminal_view.h"

#include "platform/console.h"
#include "util/text.h"

namespace quillonet {

TerminalView::TerminalView(std::u16string destination, std::FILE* out, bool (*stopRequested)())
    : destination_(std::move(destination)),
      out_(out),
      stopRequested_(stopRequested),
      interactive_(platform::IsTerminal(out)),
      clearsLine_(interactive_ && platform::ClearsToEndOfLine(out)) {}

std::u16string TerminalView::BrowseForFolder(const std::u16string&) { return destination_; }

void TerminalView::processEvents() {
  if (run_ && stopRequested_ && stopRequested_()) run_->requestStop();
}

void TerminalView::progress(const RunProgress& where) {
  if (!interactive_) return;
  const bool last = where.file == where.files;
  const auto now = std::chrono::steady_clock::now();
  if (lineShown_ && !last && now - shownAt_ < std::chrono::milliseconds(100)) return;
  std::string line = "file " + std::to_string(where.file) + " of " + std::to_string(where.files) + ", " +
                     std::to_string(where.contactsSaved) + " contacts saved";
  const std::size_t length = line.size();
  if (clearsLine_) {
    line += "\x1b[K";  // clear the rest of a longer earlier line
  } else if (length < lineLength_) {
    line.append(lineLength_ - length, ' ');  // overwrite it
  }
  lineLength_ = length;
  std::fputc('\r', out_);
  std::fputs(line.c_str(), out_);
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
  plain += u'\n';
  platform::WriteText(out_, plain);
  std::fflush(out_);
}

}  // namespace quillonet
