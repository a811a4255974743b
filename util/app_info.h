// The program's name, title and version, shared by the window, the import run and the command line.
#pragma once

#include <string>

namespace quillonet {

// Caption of the main window and of the program's message boxes.
inline std::u16string AppTitle() { return u"Marlix Quillonet Pro"; }
inline std::u16string AppVersion() { return u"2.00"; }
inline std::u16string AppOrganisation() { return u"Marlix Software"; }
// Name used for the executable, settings-free application name and icons.
inline std::u16string AppName() { return u"quillonet"; }

}  // namespace quillonet
