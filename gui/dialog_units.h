#pragma once
// The dialogs are laid out in dialog units of their font, as dialog templates always were: a unit
// across is a quarter of the font's average character width, a unit down an eighth of its
// character height. The layout so follows the font and its size, and no text is cut.

#include <QFont>
#include <QRect>

namespace wl {

class DialogUnits {
  public:
    explicit DialogUnits(const QFont& font);

    // Pixels for so many units, rounded to the nearest pixel.
    int X(int units) const;
    int Y(int units) const;
    QRect Rect(int x, int y, int width, int height) const;

    double pixelsAcross() const { return across_; }
    double pixelsDown() const { return down_; }

  private:
    double across_;
    double down_;
};

}  // namespace wl
