// The program's name, title and version, shared by the window, the import run and the command line.
#pragma once

#include <string>

namespace quillonet {

// Caption of the main window and of the program's message boxes.
inline std::u16string AppTitle() { return u"Marlix Quillonet Pro"; }
inline std::u16string AppVersion() { return u"2.00"; }
inline std::u16string AppOrganisation() { return u"Marlix Software"; }
// The maker's copyright line under the window's title.
inline std::u16string AppCopyrightLine() { return u"Copyright \u00A9 2024 Marlix Software. All rights reserved."; }
// The product's web page, opened by the window's Help button.
inline std::u16string AppHelpAddress() { return u"https://www.marlix.example/quillonet-pro/help/"; }
// Name used for the executable, settings-free application name and icons.
inline std::u16string AppName() { return u"quillonet"; }

}  // namespace quillonet
