// The program's built-in resources (res/orvane.qrc): dialog templates,
// string table, icon and help pages.
#pragma once

#include <QIcon>

namespace orvane::gui {

// Makes the resources reachable under ":/"; the library that holds them is
// static, so they have to be registered explicitly. Safe to call repeatedly.
void EnsureProgramResources();

// Icon resource 128: the program icon in its 32 x 32 and 16 x 16 images.
QIcon LoadProgramIcon();

}  // namespace orvane::gui
