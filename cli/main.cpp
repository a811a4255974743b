// quillonet-import: the import run without a window. Lists the given vCard
// files, creates the new store file in --dest and imports them into it.
#include <QCoreApplication>
#include <QDir>

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string>

#include "automation/in_process.h"
#include "cli/terminal_view.h"
#include "import/import_run.h"
#include "import/listed_files.h"
#include "platform/qt_path.h"
#include "platform/regular_file.h"
#include "platform/stop_signals.h"
#include "scanner/card_files.h"
#include "scanner/scan_error.h"
#include "util/app_info.h"

namespace {

using quillonet::RunOutcome;

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

// Paths in the text are written back as the bytes they came from.
void Print(std::FILE* out, const QString& text) {
  std::fputs(quillonet::NativePath(text).c_str(), out);
  std::fputc('\n', out);
}

int UsageError(const QString& problem) {
  Print(stderr, QStringLiteral("quillonet-import: ") + problem);
  std::fputs(kUsage, stderr);
  return kExitUsage;
}

// The path made absolute and clean, as a folder chooser gives it (no
// trailing separator except for the root), by string operations only, so
// no byte of a name is changed.
QString AbsoluteForm(const QString& path) {
  if (path.startsWith(QLatin1Char('/'))) return QDir::cleanPath(path);
  std::string cwd(4096, '\0');
  while (::getcwd(cwd.data(), cwd.size()) == nullptr) {
    if (errno != ERANGE) return QDir::cleanPath(path);
    cwd.resize(cwd.size() * 2);
  }
  cwd.resize(std::char_traits<char>::length(cwd.c_str()));
  return QDir::cleanPath(quillonet::PathFromNative(cwd) + QLatin1Char('/') + path);
}

quillonet::platform::PathKind KindOf(const QString& path) {
  return quillonet::platform::KindOf(path.toStdU16String());
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  // Taken from argv byte for byte: Qt's arguments() decode names that are
  // not valid UTF-8 lossily.
  QStringList args;
  for (int i = 1; i < argc; ++i) args << quillonet::PathFromNative(argv[i]);

  QString dest;
  QStringList paths;
  bool optionsEnded = false;
  for (qsizetype i = 0; i < args.size(); ++i) {
    const QString& arg = args[i];
    if (optionsEnded || !arg.startsWith(QLatin1String("--"))) {
      paths << arg;
    } else if (arg == QLatin1String("--")) {
      optionsEnded = true;
    } else if (arg == QLatin1String("--help")) {
      std::fputs(kUsage, stdout);
      return kExitOk;
    } else if (arg == QLatin1String("--version")) {
      Print(stdout, QString::fromStdU16String(quillonet::AppVersion()));
      return kExitOk;
    } else if (arg == QLatin1String("--dest")) {
      if (++i >= args.size()) return UsageError(QStringLiteral("--dest needs a folder"));
      dest = args[i];
    } else if (arg.startsWith(QLatin1String("--dest="))) {
      dest = arg.mid(7);
    } else {
      return UsageError(QStringLiteral("unknown option %1").arg(arg));
    }
  }
  if (dest.isEmpty()) return UsageError(QStringLiteral("--dest DIR is required"));
  if (KindOf(dest) != quillonet::platform::PathKind::Folder) {
    return UsageError(QStringLiteral("--dest %1 is not a folder").arg(dest));
  }
  if (paths.isEmpty()) return UsageError(QStringLiteral("no vCard file given"));

  QStringList listed;
  for (const QString& path : paths) {
    const quillonet::platform::PathKind kind = KindOf(path);
    if (kind == quillonet::platform::PathKind::Folder) {
      // A folder adds every vCard file under it, as the Add-folder button does.
      std::vector<std::u16string> unreadable;
      std::vector<std::u16string> notRegular;
      std::vector<std::u16string> found;
      try {
        found = quillonet::CollectVCardFiles(AbsoluteForm(path).toStdU16String(), &unreadable, &notRegular);
      } catch (const quillonet::ScanError& e) {
        return UsageError(QStringLiteral("cannot read the folder %1: %2").arg(path, QString::fromLocal8Bit(e.what())));
      }
      for (const std::u16string& folder : unreadable) {
        Print(stderr, QStringLiteral("quillonet-import: could not read the folder %1; files in it were not added")
                          .arg(QString::fromStdU16String(folder)));
      }
      for (const std::u16string& file : notRegular) {
        Print(stderr, QStringLiteral("quillonet-import: %1: not a regular file; not added")
                          .arg(QString::fromStdU16String(file)));
      }
      if (found.empty()) return UsageError(QStringLiteral("no vCard file (.vcf) under %1").arg(path));
      for (const std::u16string& file : found) listed << QString::fromStdU16String(file);
      continue;
    }
    if (kind == quillonet::platform::PathKind::Missing) return UsageError(QStringLiteral("%1: no such file").arg(path));
    if (kind != quillonet::platform::PathKind::RegularFile) {
      return UsageError(QStringLiteral("%1: not a regular file").arg(path));
    }
    if (!quillonet::IsVCardName(path.mid(path.lastIndexOf(QLatin1Char('/')) + 1).toStdU16String())) {
      return UsageError(QStringLiteral("%1 is not a vCard file (.vcf)").arg(path));
    }
    // cleanPath keeps a trailing space: it is part of the name.
    listed << AbsoluteForm(path);
  }

  quillonet::platform::InstallStopSignals();
  quillonet::automation::InProcessComponents components;
  quillonet::ListedFiles files(listed);
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
      Print(stderr, QStringLiteral("quillonet-import: stopped; %1 contacts saved").arg(outcome.contactsSaved));
      if (outcome.storeRemoved) {
        Print(stdout, outcome.pstPath);
      } else if (!outcome.removeFailure.isEmpty()) {
        Print(stderr, QStringLiteral("quillonet-import: %1").arg(outcome.removeFailure));
      }
      return kExitInterrupted;
    case RunOutcome::Status::Completed: {
      Print(stdout, outcome.pstPath);
      if (!outcome.storeRemoved || !outcome.endedBy.isEmpty()) return kExitIncomplete;
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
