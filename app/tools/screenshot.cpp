// quillonet-screenshot: shows the main window with a few listed files and saves what the screen shows of it.
#include "app/frmStep1.h"
#include "automation/in_process.h"

#include <QApplication>
#include <QPixmap>
#include <QScreen>
#include <QTimer>

#include <cstdio>

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: quillonet-screenshot OUT.png [FILE...]\n");
    return 2;
  }
  const QString out = QString::fromLocal8Bit(argv[1]);
  quillonet::automation::InProcessComponents components;
  quillonet::frmStep1 window(components);
  for (int i = 2; i < argc; ++i) window.Files().AddFileToList(QString::fromLocal8Bit(argv[i]).toStdU16String());
  if (argc > 2) window.CmdExtractDBX.setEnabled(true);
  window.show();
  int status = 1;
  // Give the window time to be mapped and painted, then read the screen.
  QTimer::singleShot(1500, [&] {
    const QPixmap shot = window.screen()->grabWindow(window.winId());
    status = shot.save(out) ? 0 : 1;
    if (status != 0) std::fprintf(stderr, "quillonet-screenshot: cannot write %s\n", argv[1]);
    QApplication::quit();
  });
  QApplication::exec();
  return status;
}
