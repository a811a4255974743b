// quillonet: starts the application and shows the main window.
#include "app/fonts.h"
#include "app/frmStep1.h"
#include "automation/in_process.h"
#include "util/app_info.h"

#include <QApplication>

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QCoreApplication::setApplicationName(quillonet::AppName());
  QCoreApplication::setApplicationVersion(quillonet::AppVersion());
  QCoreApplication::setOrganizationName(quillonet::AppOrganisation());
  // Matches the window to packaging/quillonet.desktop (name and icon).
  QGuiApplication::setDesktopFileName(quillonet::AppName());
  QApplication::setWindowIcon(quillonet::AppIcon());
  quillonet::automation::InProcessComponents components;
  quillonet::frmStep1 window(components);
  window.show();
  return QApplication::exec();
}
