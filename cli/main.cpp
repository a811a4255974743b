// quillonet-import: the import run without a window. Lists the given vCard
// files, creates the new store file in --dest and imports them into it.
#include <algorithm>
#include <iterator>
#include <clocale>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "automation/in_process.h"
#include "cli/terminal_view.h"
#include "import/import_run.h"
#include "import/listed_files.h"
#include "import/store_folders.h"
#include "platform/console.h"
#include "platform/folders.h"
#include "platform/native_path.h"
#include "platform/path_form.h"
#include "platform/regular_file.h"
#include "platform/stop_signals.h"
#include "scanner/card_files.h"
#include "scanner/scan_error.h"
#include "util/app_info.h"
#include "util/text.h"

namespace {

using quillonet::RunOutcome;
namespace text = quillonet::text;

constexpr int kExitOk = 0;
constexpr int kExitIncomplete = 1;
constexpr int kExitOutlookError = 2;
constexpr int kExitNotAllImported = 3;
constexpr int kExitUsage = 64;
constexpr int kExitInterrupted = 130;

const char kUsage[] =
    "Usage: quillonet-import --dest DIR PATH...\n"
    "\n"
    "Imports vCard files (.vcf) into a new Outlook personal folders file (.pst)\n"
    "created in DIR, recreating the folders the files lie in as contacts folders.\n"
    "A PATH that is a folder adds every .vcf file in the tree below it.\n"
    "A file that holds several cards is imported card by card.\n"
    "\n"
    "Options:\n"
    "  --dest DIR   the folder in which the new .pst file is created\n"
    "  --help       show this text and exit\n"
    "  --version    show the version and exit\n"
    "\n"
    "Progress goes to stderr; the new file's full path is the last line on stdout.\n"
    "Ctrl+C, SIGTERM or SIGHUP stops after the current card and still leaves a\n"
    "complete file; a second one ends the program at once.\n"
    "\n"
    "Exit status: 0 every card of every file imported, 1 the .pst file could\n"
    "not be completed or the import ended early (the summary says why), 2 the\n"
    "store could not be set up, 3 done, but files or cards could not be imported\n"
    "(each such file is named on stderr with the reason), 64 usage error, 130\n"
    "stopped by a signal.\n";

// Paths in the text are written back as they came (see platform/console.h).
void Print(std::FILE* out, const std::u16string& text) { quillonet::platform::WriteText(out, text + u'\n'); }

// The usage text without its last line end (Print adds it).
std::u16string Usage() {
  const std::string_view usage(kUsage, sizeof kUsage - 2);
  return std::u16string(usage.begin(), usage.end());
}

int UsageError(const std::u16string& problem) {
  Print(stderr, u"quillonet-import: " + problem);
  Print(stderr, Usage());
  return kExitUsage;
}

// The path made absolute and clean, as a folder chooser gives it (no
// trailing separator except for a drive's root), by string operations only,
// so no character of a name is changed. A Windows path "D:x" starts from the
// current folder of drive D.
std::u16string AbsoluteForm(const std::u16string& path) {
  namespace platform = quillonet::platform;
  const platform::PathRoot root = platform::RootOf(path);
  if (root.kind == platform::RootKind::Absolute) return platform::CleanPath(path);
  const bool otherDrive = root.kind == platform::RootKind::DriveRelative;
  return platform::AbsolutePath(path, platform::CurrentFolder(otherDrive ? root.drive : std::u16string_view()));
}

quillonet::platform::PathKind KindOf(const std::u16string& path) { return quillonet::platform::KindOf(path); }

// The command with its arguments (the program's name not among them); the exit status.
int Run(const std::vector<std::u16string>& args) {
  std::u16string dest;
  std::vector<std::u16string> paths;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::u16string& arg = args[i];
    if (optionsEnded || !arg.starts_with(u"--")) {
      paths.push_back(arg);
    } else if (arg == u"--") {
      optionsEnded = true;
    } else if (arg == u"--help") {
      Print(stdout, Usage());
      return kExitOk;
    } else if (arg == u"--version") {
      Print(stdout, quillonet::AppVersion());
      return kExitOk;
    } else if (arg == u"--dest") {
      if (++i >= args.size()) return UsageError(u"--dest needs a folder");
      dest = args[i];
    } else if (arg.starts_with(u"--dest=")) {
      dest = arg.substr(7);
    } else {
      return UsageError(text::Format(u"unknown option %1", {arg}));
    }
  }
  if (dest.empty()) return UsageError(u"--dest DIR is required");
  if (KindOf(dest) != quillonet::platform::PathKind::Folder) {
    return UsageError(text::Format(u"--dest %1 is not a folder", {dest}));
  }
  if (paths.empty()) return UsageError(u"no vCard file given");

  std::vector<std::u16string> listed;
  for (const std::u16string& path : paths) {
    const quillonet::platform::PathKind kind = KindOf(path);
    if (kind == quillonet::platform::PathKind::Folder) {
      // A folder adds every vCard file under it, as the Add-folder button does.
      std::vector<std::u16string> unreadable;
      std::vector<std::u16string> notRegular;
      std::vector<std::u16string> found;
      try {
        found = quillonet::CollectVCardFiles(AbsoluteForm(path), &unreadable, &notRegular);
      } catch (const quillonet::ScanError& e) {
        return UsageError(text::Format(u"cannot read the folder %1: %2", {path, e.Description()}));
      }
      for (const std::u16string& folder : unreadable) {
        Print(stderr, text::Format(u"quillonet-import: could not read the folder %1; files in it were not added",
                                   {folder}));
      }
      for (const std::u16string& file : notRegular) {
        Print(stderr, text::Format(u"quillonet-import: %1: not a regular file; not added", {file}));
      }
      if (found.empty()) return UsageError(text::Format(u"no vCard file (.vcf) under %1", {path}));
      listed.insert(listed.end(), std::make_move_iterator(found.begin()), std::make_move_iterator(found.end()));
      continue;
    }
    if (kind == quillonet::platform::PathKind::Missing) return UsageError(text::Format(u"%1: no such file", {path}));
    if (kind != quillonet::platform::PathKind::RegularFile) {
      return UsageError(text::Format(u"%1: not a regular file", {path}));
    }
    if (!quillonet::IsVCardName(quillonet::platform::FileNameOf(path))) {
      return UsageError(text::Format(u"%1 is not a vCard file (.vcf)", {path}));
    }
    // cleanPath keeps a trailing space: it is part of the name.
    listed.push_back(AbsoluteForm(path));
  }

  quillonet::platform::InstallStopSignals();
  quillonet::automation::InProcessComponents components;
  quillonet::ListedFiles files(std::move(listed));
  quillonet::TerminalView view(AbsoluteForm(dest), stderr, &quillonet::platform::StopRequested);
  quillonet::ImportRun run(components, view, files);
  view.setRun(&run);
  run.CmdExtractDBX_Click();
  view.finish();

  const RunOutcome& outcome = run.outcome();
  switch (outcome.status) {
    case RunOutcome::Status::SetupFailed:
      return kExitOutlookError;
    case RunOutcome::Status::Stopped:
      Print(stderr,
            text::Format(u"quillonet-import: stopped; %1 contacts saved", {text::Number(outcome.contactsSaved)}));
      if (outcome.storeRemoved) {
        Print(stdout, outcome.pstPath);
      } else if (!outcome.removeFailure.empty()) {
        Print(stderr, u"quillonet-import: " + outcome.removeFailure);
      }
      return kExitInterrupted;
    case RunOutcome::Status::Completed: {
      Print(stdout, outcome.pstPath);
      if (!outcome.storeRemoved || !outcome.endedBy.empty()) return kExitIncomplete;
      const bool allImported = std::all_of(outcome.files.begin(), outcome.files.end(),
                                           [](const quillonet::FileResult& file) { return file.complete(); });
      return allImported ? kExitOk : kExitNotAllImported;
    }
    case RunOutcome::Status::NotRun:
    case RunOutcome::Status::Cancelled:
      break;
  }
  return kExitIncomplete;
}

}  // namespace

#ifdef _WIN32
// The arguments as the system has them, in UTF-16: every name arrives whole,
// whatever the console's code page.
int wmain(int argc, wchar_t** argv) {
  std::setlocale(LC_ALL, "");
  std::vector<std::u16string> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(reinterpret_cast<const char16_t*>(argv[i]));
  return Run(args);
}
#else
int main(int argc, char** argv) {
  // The messages of the C library in the user's language, as before.
  std::setlocale(LC_ALL, "");
  // Taken from argv byte for byte: names that are not valid UTF-8 are kept.
  std::vector<std::u16string> args;
  for (int i = 1; i < argc; ++i) args.push_back(quillonet::platform::DecodeNativePath(argv[i]));
  return Run(args);
}
#endif
