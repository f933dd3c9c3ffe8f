#include "gui/dialog_units.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <cmath>

namespace wl {
namespace {

// The average width is taken over the letters, as the dialog units always were.
constexpr char16_t kLetters[] = u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
constexpr int kLetterCount = 52;

}  // namespace

DialogUnits::DialogUnits(const QFont& font) {
    const double averageWidth =
        QFontMetricsF(font).horizontalAdvance(QString::fromUtf16(kLetters, kLetterCount)) /
        kLetterCount;
    across_ = averageWidth / 4;
    // The whole-pixel height a label draws its line in: eight units hold one line exactly.
    down_ = QFontMetrics(font).height() / 8.0;
}

int DialogUnits::X(int units) const {
    return static_cast<int>(std::lround(units * across_));
}

int DialogUnits::Y(int units) const {
    return static_cast<int>(std::lround(units * down_));
}

QRect DialogUnits::Rect(int x, int y, int width, int height) const {
    return QRect(X(x), Y(y), X(width), Y(height));
}

}  // namespace wl
