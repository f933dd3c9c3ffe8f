#pragma once
// The dialogs are laid out in dialog units of their 8-point font: 1.5 pixels across and 1.625
// pixels down at 96 dpi, rounded to the nearest pixel.

#include <QRect>
#include <cmath>

namespace wl {

inline int DialogUnitsX(int units) {
    return static_cast<int>(std::lround(units * 1.5));
}

inline int DialogUnitsY(int units) {
    return static_cast<int>(std::lround(units * 1.625));
}

inline QRect DialogUnitsRect(int x, int y, int width, int height) {
    return QRect(DialogUnitsX(x), DialogUnitsY(y), DialogUnitsX(width), DialogUnitsY(height));
}

}  // namespace wl
