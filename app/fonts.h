// Application fonts and icon: the Tahoma faces of fonts-wine, loaded at start; the program's icon.
#pragma once

#include <QIcon>
#include <QString>

namespace quillonet {

// Registers tahoma.ttf and tahomabd.ttf with the application (once) and
// returns the family to use for the window's controls: "Tahoma" when the
// faces were found, else the system's general font family.
QString ControlFontFamily();

// The program's icon in every size of the icon theme set.
QIcon AppIcon();

}  // namespace quillonet
