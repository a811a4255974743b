// quillonet: starts the application and shows the main window.
#include "app/fonts.h"
#include "app/frmStep1.h"
#include "automation/in_process.h"
#include "platform/stop_signals.h"
#include "util/app_info.h"

#include <QApplication>
#include <QSocketNotifier>

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QCoreApplication::setApplicationName(QString::fromStdU16String(quillonet::AppName()));
  QCoreApplication::setApplicationVersion(QString::fromStdU16String(quillonet::AppVersion()));
  QCoreApplication::setOrganizationName(QString::fromStdU16String(quillonet::AppOrganisation()));
  // Matches the window to packaging/quillonet.desktop (name and icon).
  QGuiApplication::setDesktopFileName(QString::fromStdU16String(quillonet::AppName()));
  QApplication::setWindowIcon(quillonet::AppIcon());
  quillonet::automation::InProcessComponents components;
  quillonet::frmStep1 window(components);
  // Ctrl+C, SIGTERM and SIGHUP act as the close box: a run in progress
  // stops after its card and completes its file, then the window closes.
  quillonet::platform::InstallStopSignals();
  QSocketNotifier stop(quillonet::platform::StopNotifier(), QSocketNotifier::Read);
  QObject::connect(&stop, &QSocketNotifier::activated, &window, [&] {
    stop.setEnabled(false);
    window.close();
  });
  window.show();
  return QApplication::exec();
}
