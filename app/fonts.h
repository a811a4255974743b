// Application fonts: the Tahoma faces of fonts-wine, loaded at start.
#pragma once

#include <QString>

namespace quillonet {

// Registers tahoma.ttf and tahomabd.ttf with the application (once) and
// returns the family to use for the window's controls: "Tahoma" when the
// faces were found, else the system's general font family.
QString ControlFontFamily();

}  // namespace quillonet
