// quillonet-import: the import run without a window. Lists the given vCard
// files, creates the new store file in --dest and imports them into it.
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>

#include "automation/in_process.h"
#include "cli/terminal_view.h"
#include "import/import_run.h"
#include "import/listed_files.h"
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

std::atomic<bool> stopRequested{false};

extern "C" void OnStopSignal(int) { stopRequested.store(true); }

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
    "Ctrl+C stops after the current card and still leaves a complete file.\n"
    "\n"
    "Exit status: 0 every card of every file imported, 1 the .pst file could\n"
    "not be completed, 2 the store could not be set up, 3 done, but files or\n"
    "cards could not be imported (each such file is named on stderr with the\n"
    "reason), 64 usage error, 130 stopped by a signal.\n";

void Print(std::FILE* out, const QString& text) {
  std::fputs(text.toLocal8Bit().constData(), out);
  std::fputc('\n', out);
}

int UsageError(const QString& problem) {
  Print(stderr, QStringLiteral("quillonet-import: ") + problem);
  std::fputs(kUsage, stderr);
  return kExitUsage;
}

// The folder as a folder chooser gives it: absolute, no trailing separator
// except for the root.
QString FolderForm(const QString& path) {
  return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

void CatchStopSignals() {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESETHAND;  // a second signal ends the program at once
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  QStringList args = QCoreApplication::arguments();
  args.removeFirst();

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
      Print(stdout, quillonet::AppVersion());
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
  if (!QFileInfo(dest).isDir()) return UsageError(QStringLiteral("--dest %1 is not a folder").arg(dest));
  if (paths.isEmpty()) return UsageError(QStringLiteral("no vCard file given"));

  QStringList listed;
  for (const QString& path : paths) {
    const QFileInfo info(path);
    if (info.isDir()) {
      // A folder adds every vCard file under it, as the Add-folder button does.
      QStringList unreadable;
      QStringList found;
      try {
        found = quillonet::CollectVCardFiles(QDir::cleanPath(info.absoluteFilePath()), &unreadable);
      } catch (const quillonet::ScanError& e) {
        return UsageError(QStringLiteral("cannot read the folder %1: %2").arg(path, QString::fromLocal8Bit(e.what())));
      }
      for (const QString& folder : unreadable) {
        Print(stderr, QStringLiteral("quillonet-import: could not read the folder %1; files in it were not added")
                          .arg(folder));
      }
      if (found.isEmpty()) return UsageError(QStringLiteral("no vCard file (.vcf) under %1").arg(path));
      listed << found;
      continue;
    }
    if (!info.isFile()) return UsageError(QStringLiteral("%1: no such file").arg(path));
    if (!info.fileName().endsWith(QLatin1String(".vcf"), Qt::CaseInsensitive)) {
      return UsageError(QStringLiteral("%1 is not a vCard file (.vcf)").arg(path));
    }
    listed << QDir::cleanPath(info.absoluteFilePath());
  }

  CatchStopSignals();
  quillonet::automation::InProcessComponents components;
  quillonet::ListedFiles files(listed);
  quillonet::TerminalView view(FolderForm(dest), stderr, &stopRequested);
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
      if (outcome.storeRemoved) Print(stdout, outcome.pstPath);
      return kExitInterrupted;
    case RunOutcome::Status::Completed: {
      Print(stdout, outcome.pstPath);
      if (!outcome.storeRemoved) return kExitIncomplete;
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
