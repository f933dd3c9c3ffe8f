#include "gui/pictures/window_icon.h"

namespace wl {

QIcon WindowIcon(int largeIcon, int smallIcon) {
    QIcon icon(QStringLiteral(":/icons/%1.png").arg(smallIcon));
    icon.addFile(QStringLiteral(":/icons/%1.png").arg(largeIcon));
    icon.addFile(QStringLiteral(":/icons/%1-48.png").arg(largeIcon));
    return icon;
}

}  // namespace wl
