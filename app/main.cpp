// quillonet: starts the application and shows the main window.
#include "app/frmStep1.h"
#include "util/app_info.h"

#include <QApplication>

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QCoreApplication::setApplicationName(quillonet::AppName());
  QCoreApplication::setApplicationVersion(quillonet::AppVersion());
  QCoreApplication::setOrganizationName(quillonet::AppOrganisation());
  quillonet::frmStep1 window;
  window.show();
  return QApplication::exec();
}
