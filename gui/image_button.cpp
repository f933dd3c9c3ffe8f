#include "gui/image_button.h"

#include <qdrawutil.h>
#include <QPainter>
#include <QString>

namespace wl {
namespace {

// The keyed pixels become transparent, so drawing the copy skips them.
QImage WithColourKeyApplied(const QImage& picture) {
    QImage keyed = picture.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < keyed.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(keyed.scanLine(y));
        for (int x = 0; x < keyed.width(); ++x) {
            if (line[x] == kPictureColourKey) {
                line[x] = qRgba(0, 0, 0, 0);
            }
        }
    }
    return keyed;
}

}  // namespace

CImageButton::CImageButton(QWidget* parent) : QPushButton(parent) {
    setAutoDefault(false);
    setDefault(false);
}

bool CImageButton::LoadPngResource(int number, PictureSlot slot) {
    SetPicture(slot, QImage());
    const QImage decoded(QStringLiteral(":/png/%1.png").arg(number), "PNG");
    if (decoded.isNull()) {
        return false;
    }
    SetPicture(slot, decoded);
    return true;
}

void CImageButton::SetPicture(PictureSlot slot, const QImage& picture) {
    QImage& target = slot == PictureSlot::kEnabled ? enabledPicture_ : disabledPicture_;
    target = picture.isNull() ? QImage() : WithColourKeyApplied(picture);
}

const QImage& CImageButton::picture(PictureSlot slot) const {
    return slot == PictureSlot::kEnabled ? enabledPicture_ : disabledPicture_;
}

void CImageButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect face = rect();
    painter.fillRect(face, palette().color(QPalette::Button));
    if (isDown()) {
        qDrawWinPanel(&painter, face, palette(), true);
    } else {
        // One dark and one light line: an etched groove.
        qDrawShadeRect(&painter, face, palette(), true, 1, 0);
    }
    const QImage& shown = picture(isEnabled() ? PictureSlot::kEnabled : PictureSlot::kDisabled);
    if (shown.isNull()) {
        return;
    }
    // Centred by whole pixels and never scaled, so a small face cuts the picture at its edges.
    const int x = width() / 2 - shown.width() / 2;
    const int y = height() / 2 - shown.height() / 2;
    painter.drawImage(QPoint(x, y), shown);
}

}  // namespace wl
