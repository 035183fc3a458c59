// Who the program is to the desktop: the ASCII name that window managers take as its window
// class (and that the launcher's StartupWMClass names, so taskbars group the two), and the
// shipped icon. The operator-facing title stays with Application.
// Window thread, after QApplication exists.
#pragma once

#include <QIcon>
#include <string_view>

namespace window {

inline constexpr std::string_view kProgramName = "vlk240";

// Names the application and gives every window the program's icon.
void SetProgramIdentity();

// The icon of packaging/vlk240.svg, compiled into the program, at the usual icon sizes.
QIcon ProgramIcon();

}  // namespace window
