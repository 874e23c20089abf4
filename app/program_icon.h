#pragma once

#include <QIcon>

// The program's own icon, built into the program: set on the application
// at start-up, every window and message box shows it.
namespace ProgramIcon {

QIcon icon();

} // namespace ProgramIcon
