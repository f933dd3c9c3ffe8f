#pragma once
// A push button that shows a picture instead of text: one picture while enabled, another while
// disabled, centred on a plain face with an etched edge (sunken while pressed), never scaled.

#include <QImage>
#include <QPushButton>

#include "app/main_window_port.h"

namespace wl {

// Pixels of exactly this colour (opaque magenta) are not drawn.
inline constexpr QRgb kPictureColourKey = 0xFFFF00FF;

class CImageButton : public QPushButton {
    Q_OBJECT

  public:
    explicit CImageButton(QWidget* parent = nullptr);

    // Decodes ":/png/NUMBER.png" into the slot; false, with the slot empty, when it cannot.
    bool LoadPngResource(int number, PictureSlot slot);
    // Places a decoded picture in the slot (the colour key is applied here, once).
    void SetPicture(PictureSlot slot, const QImage& picture);
    const QImage& picture(PictureSlot slot) const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QImage enabledPicture_;
    QImage disabledPicture_;
};

}  // namespace wl
