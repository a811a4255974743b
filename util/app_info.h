// The program's name, title and version, shared by the window, the import run and the command line.
#pragma once

#include <QString>

namespace quillonet {

// Caption of the main window and of the program's message boxes.
inline QString AppTitle() { return QStringLiteral("Marlix Quillonet Pro"); }
inline QString AppVersion() { return QStringLiteral("2.00"); }
inline QString AppOrganisation() { return QStringLiteral("Marlix Software"); }
// Name used for the executable, settings-free application name and icons.
inline QString AppName() { return QStringLiteral("quillonet"); }

}  // namespace quillonet
