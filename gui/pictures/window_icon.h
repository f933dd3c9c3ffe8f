#pragma once
// The program's window icon, in every size the resources hold.

#include <QIcon>

namespace wl {

// The large icon (32 and 48 pixels) and the small one (16 pixels) of those numbers as one icon,
// so each window system picks the size it shows.
QIcon WindowIcon(int largeIcon, int smallIcon);

}  // namespace wl
