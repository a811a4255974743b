// Application fonts.
#include "app/fonts.h"

#include <QFileInfo>
#include <QFontDatabase>

namespace quillonet {
namespace {

QString LoadFamily() {
  // fonts-wine installs the faces without registering them with fontconfig.
  const QString folders[] = {QStringLiteral("/usr/share/wine/fonts/"), QStringLiteral("/usr/share/fonts/truetype/wine/")};
  QString family;
  for (const QString& folder : folders) {
    for (const char* face : {"tahoma.ttf", "tahomabd.ttf"}) {
      const QString path = folder + QLatin1String(face);
      if (!QFileInfo::exists(path)) continue;
      const int id = QFontDatabase::addApplicationFont(path);
      if (id >= 0 && family.isEmpty()) {
        const QStringList families = QFontDatabase::applicationFontFamilies(id);
        if (!families.isEmpty()) family = families.front();
      }
    }
    if (!family.isEmpty()) return family;
  }
  if (QFontDatabase::families().contains(QStringLiteral("Tahoma"))) return QStringLiteral("Tahoma");
  return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
}

}  // namespace

QString ControlFontFamily() {
  static const QString family = LoadFamily();
  return family;
}

QIcon AppIcon() {
  QIcon icon;
  for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
    icon.addFile(QStringLiteral(":/icons/quillonet-%1.png").arg(size), QSize(size, size));
  return icon;
}

}  // namespace quillonet
