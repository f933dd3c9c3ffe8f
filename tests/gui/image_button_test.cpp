// The picture button's drawing: face, edge, a centred picture that is never scaled, the colour
// key, and the picture of its current state.

#include "gui/image_button.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <QTest>

namespace wl {
namespace {

constexpr QRgb kPictureBlue = 0xFF2040C0;
constexpr QRgb kPictureRed = 0xFFC02020;

// A picture of `size` in one colour with a keyed (magenta) centre pixel and a transparent corner.
QImage Picture(QSize size, QRgb colour) {
    QImage picture(size, QImage::Format_ARGB32);
    picture.fill(colour);
    picture.setPixel(size.width() / 2, size.height() / 2, kPictureColourKey);
    picture.setPixel(0, 0, qRgba(0, 0, 0, 0));
    return picture;
}

QImage Drawn(CImageButton& button) {
    return button.grab().toImage().convertToFormat(QImage::Format_ARGB32);
}

// The bounding box of the pixels drawn in `colour`.
QRect Extent(const QImage& image, QRgb colour) {
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) == colour) {
                box |= QRect(x, y, 1, 1);
            }
        }
    }
    return box;
}

TEST(CImageButton, CentresThePictureByWholePixelsWithoutScaling) {
    struct Case {
        QSize button;
        QSize picture;
        QRect drawn;  // where the picture's colour shows
    };
    const Case cases[] = {
        {{116, 70}, {80, 32}, {18, 19, 80, 32}},
        {{113, 70}, {80, 32}, {16, 19, 80, 32}},
        {{117, 71}, {81, 33}, {18, 19, 81, 33}},
        // Smaller than the picture: centred and cut by the button's own edges.
        {{40, 20}, {80, 32}, {0, 0, 40, 20}},
    };
    for (const Case& c : cases) {
        CImageButton button;
        button.resize(c.button);
        button.SetPicture(PictureSlot::kEnabled, Picture(c.picture, kPictureBlue));
        const QImage drawn = Drawn(button);
        const QRect extent = Extent(drawn, kPictureBlue);
        if (c.button.width() > c.picture.width()) {
            EXPECT_EQ(extent, c.drawn) << c.button.width() << "x" << c.button.height();
        } else {
            // Centred, the picture's keyed middle pixel lands on the button's middle pixel,
            // with the picture's own colour unscaled around it.
            const QPoint middle(c.button.width() / 2, c.button.height() / 2);
            EXPECT_EQ(drawn.pixel(middle), button.palette().color(QPalette::Button).rgba());
            EXPECT_EQ(drawn.pixel(middle + QPoint(1, 0)), kPictureBlue);
            EXPECT_EQ(drawn.pixel(middle - QPoint(1, 0)), kPictureBlue);
            EXPECT_EQ(drawn.pixel(middle + QPoint(0, 1)), kPictureBlue);
        }
    }
}

TEST(CImageButton, SkipsKeyedAndTransparentPixels) {
    CImageButton button;
    button.resize(116, 70);
    button.SetPicture(PictureSlot::kEnabled, Picture({80, 32}, kPictureBlue));
    const QImage drawn = Drawn(button);
    const QRgb face = drawn.pixel(5, 5);
    // The picture's (40, 16) is keyed, its (0, 0) transparent: the face shows through both.
    EXPECT_EQ(drawn.pixel(18 + 40, 19 + 16), face);
    EXPECT_EQ(drawn.pixel(18, 19), face);
    EXPECT_EQ(drawn.pixel(18 + 1, 19), kPictureBlue);
    EXPECT_EQ(Extent(drawn, kPictureColourKey), QRect());
}

TEST(CImageButton, ShowsThePictureOfItsStateOnAPlainFace) {
    CImageButton button;
    button.resize(116, 70);
    button.SetPicture(PictureSlot::kEnabled, Picture({80, 32}, kPictureBlue));
    button.SetPicture(PictureSlot::kDisabled, Picture({80, 32}, kPictureRed));
    EXPECT_NE(Extent(Drawn(button), kPictureBlue), QRect());
    EXPECT_EQ(Extent(Drawn(button), kPictureRed), QRect());
    button.setEnabled(false);
    EXPECT_EQ(Extent(Drawn(button), kPictureBlue), QRect());
    EXPECT_EQ(Extent(Drawn(button), kPictureRed), QRect(18, 19, 80, 32));
    EXPECT_EQ(Drawn(button).pixel(5, 5), button.palette().color(QPalette::Button).rgba());

    // An empty slot draws the face and edge alone.
    button.SetPicture(PictureSlot::kDisabled, QImage());
    EXPECT_EQ(Extent(Drawn(button), kPictureRed), QRect());
}

TEST(CImageButton, APressSinksTheEdgeButLeavesThePictureWhereItWas) {
    CImageButton button;
    button.resize(116, 70);
    button.SetPicture(PictureSlot::kEnabled, Picture({80, 32}, kPictureBlue));
    const QImage up = Drawn(button);
    button.setDown(true);
    const QImage down = Drawn(button);
    EXPECT_EQ(Extent(down, kPictureBlue), Extent(up, kPictureBlue));
    // A sunken edge is two pixels deep, the etched one a groove of one dark and one light line.
    EXPECT_NE(down.pixel(1, 1), up.pixel(1, 1));
    EXPECT_EQ(up.pixel(0, 0), button.palette().color(QPalette::Dark).rgba());
    EXPECT_EQ(up.pixel(1, 1), button.palette().color(QPalette::Light).rgba());
}

TEST(CImageButton, LoadsNumberedPicturesAndEmptiesTheSlotForAnUnknownOne) {
    CImageButton button;
    EXPECT_TRUE(button.LoadPngResource(149, PictureSlot::kEnabled));
    EXPECT_EQ(button.picture(PictureSlot::kEnabled).size(), QSize(80, 32));
    EXPECT_FALSE(button.LoadPngResource(999, PictureSlot::kEnabled));
    EXPECT_TRUE(button.picture(PictureSlot::kEnabled).isNull());
}

}  // namespace
}  // namespace wl
