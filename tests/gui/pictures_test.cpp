// The pictures of the transfer buttons and the window icons, as the program finds them in its
// resources. A contact sheet of all of them goes to the grab folder for a look by eye.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QString>
#include <algorithm>
#include <vector>

#include "gui/pictures/window_icon.h"
#include "tests/gui/grab_folder.h"

namespace wl {
namespace {

constexpr int kWidth = 80;
constexpr int kHeight = 32;
// The buttons skip pixels of exactly this colour.
constexpr QRgb kColourKey = 0xFFFF00FF;

// The arrow sits between the PC (left) and the instrument (right).
constexpr int kArrowLeft = 30;
constexpr int kArrowRight = 50;
// A row that crosses the arrow's head but not its shaft.
constexpr int kArrowHeadRow = 10;

// Each "PC to instrument" picture with its "instrument to PC" partner.
struct PicturePair {
    int to;
    int from;
    bool grey;
};

constexpr PicturePair kPairs[] = {
    {146, 147, true},   // disabled look
    {148, 151, false},  // TKA analyzer
    {149, 152, false},  // TKB analyzer
    {150, 153, false},  // serial instrument
    {156, 157, false},  // TKC analyzer
};

QImage LoadButtonPicture(int number) {
    return QImage(QString(":/png/%1.png").arg(number));
}

std::vector<int> AllNumbers() {
    std::vector<int> numbers;
    for (const PicturePair& pair : kPairs) {
        numbers.push_back(pair.to);
        numbers.push_back(pair.from);
    }
    return numbers;
}

int Chroma(QRgb pixel) {
    const int red = qRed(pixel);
    const int green = qGreen(pixel);
    const int blue = qBlue(pixel);
    return std::max({red, green, blue}) - std::min({red, green, blue});
}

// Whether any clearly visible pixel between columns `left` and `right` is of a strong colour.
bool HasSaturatedColour(const QImage& image, int left, int right) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = left; x < right; ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (qAlpha(pixel) > 128 && Chroma(pixel) > 60) {
                return true;
            }
        }
    }
    return false;
}

int MaxChroma(const QImage& image) {
    int most = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) > 0) {
                most = std::max(most, Chroma(image.pixel(x, y)));
            }
        }
    }
    return most;
}

// The mean column of the arrow head's visible pixels: right of the middle when it points right.
double ArrowHeadColumn(const QImage& image) {
    double sum = 0;
    int count = 0;
    for (int x = kArrowLeft; x < kArrowRight; ++x) {
        if (qAlpha(image.pixel(x, kArrowHeadRow)) > 128) {
            sum += x;
            ++count;
        }
    }
    return count == 0 ? 0 : sum / count;
}

QImage Columns(const QImage& image, int left, int right) {
    return image.copy(left, 0, right - left, image.height());
}

void ExpectSeeThroughPicture(const QImage& image, QSize size, const QString& name) {
    SCOPED_TRACE(name.toStdString());
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), size);
    EXPECT_TRUE(image.hasAlphaChannel());
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    bool opaque = false;
    bool transparent = false;
    bool colourKey = false;
    for (int y = 0; y < argb.height(); ++y) {
        for (int x = 0; x < argb.width(); ++x) {
            const QRgb pixel = argb.pixel(x, y);
            opaque |= qAlpha(pixel) == 255;
            transparent |= qAlpha(pixel) == 0;
            colourKey |= pixel == kColourKey;
        }
    }
    EXPECT_TRUE(opaque);
    EXPECT_TRUE(transparent);
    EXPECT_FALSE(colourKey);
}

TEST(ButtonPictures, AreSeeThroughPicturesOfButtonSizeWithoutTheColourKey) {
    for (int number : AllNumbers()) {
        ExpectSeeThroughPicture(LoadButtonPicture(number), QSize(kWidth, kHeight),
                                QString::number(number));
    }
}

TEST(ButtonPictures, DisabledLookIsGreyAndTheOthersHaveAColouredArrow) {
    for (const PicturePair& pair : kPairs) {
        for (int number : {pair.to, pair.from}) {
            SCOPED_TRACE(number);
            const QImage image = LoadButtonPicture(number).convertToFormat(QImage::Format_ARGB32);
            if (pair.grey) {
                EXPECT_LE(MaxChroma(image), 8);
            } else {
                EXPECT_TRUE(HasSaturatedColour(image, kArrowLeft, kArrowRight));
            }
        }
    }
}

TEST(ButtonPictures, AreAllDifferent) {
    const std::vector<int> numbers = AllNumbers();
    for (size_t first = 0; first < numbers.size(); ++first) {
        for (size_t second = first + 1; second < numbers.size(); ++second) {
            EXPECT_NE(LoadButtonPicture(numbers[first]), LoadButtonPicture(numbers[second]))
                << numbers[first] << " and " << numbers[second];
        }
    }
}

TEST(ButtonPictures, PartnersShowTheSameInstrumentWithTheArrowTurned) {
    for (const PicturePair& pair : kPairs) {
        SCOPED_TRACE(pair.to);
        const QImage to = LoadButtonPicture(pair.to).convertToFormat(QImage::Format_ARGB32);
        const QImage from = LoadButtonPicture(pair.from).convertToFormat(QImage::Format_ARGB32);
        EXPECT_EQ(Columns(to, 0, kArrowLeft), Columns(from, 0, kArrowLeft));
        EXPECT_EQ(Columns(to, kArrowRight, kWidth), Columns(from, kArrowRight, kWidth));
        EXPECT_GT(ArrowHeadColumn(to), (kArrowLeft + kArrowRight) / 2.0);
        EXPECT_GT(ArrowHeadColumn(from), kArrowLeft);
        EXPECT_LT(ArrowHeadColumn(from), (kArrowLeft + kArrowRight) / 2.0);
    }
}

TEST(ButtonPictures, InstrumentsOfEachFamilyDiffer) {
    for (size_t first = 0; first < std::size(kPairs); ++first) {
        for (size_t second = first + 1; second < std::size(kPairs); ++second) {
            EXPECT_NE(Columns(LoadButtonPicture(kPairs[first].to), kArrowRight, kWidth),
                      Columns(LoadButtonPicture(kPairs[second].to), kArrowRight, kWidth))
                << kPairs[first].to << " and " << kPairs[second].to;
        }
    }
}

TEST(WindowIcons, LoadAtTheirSizes) {
    const struct {
        const char* path;
        int size;
    } icons[] = {{":/icons/145.png", 32}, {":/icons/145-48.png", 48}, {":/icons/155.png", 16}};
    for (const auto& icon : icons) {
        ExpectSeeThroughPicture(QImage(icon.path), QSize(icon.size, icon.size), icon.path);
    }

    EXPECT_EQ(WindowIcon(145, 155).availableSizes(),
              QList<QSize>({QSize(16, 16), QSize(32, 32), QSize(48, 48)}));
}

// All pictures at four times their size, with a 1:1 copy beside each number, on the light grey
// of a button face.
QImage ContactSheet() {
    constexpr int kScale = 4;
    constexpr int kMargin = 16;
    constexpr int kLabel = 40;
    constexpr int kCellWidth = kWidth * kScale + kMargin;
    constexpr int kCellHeight = kLabel + kHeight * kScale + kMargin;
    constexpr int kIconRow = kLabel + 48 * kScale + kMargin;
    QImage sheet(kMargin + 2 * kCellWidth, kMargin + 5 * kCellHeight + kIconRow,
                 QImage::Format_ARGB32);
    sheet.fill(QColor(0xf0, 0xf0, 0xf0));
    QPainter painter(&sheet);

    const auto place = [&](const QImage& image, int x, int y, const QString& label) {
        painter.setPen(Qt::black);
        painter.drawText(QRect(x, y, 60, kLabel - 4), Qt::AlignLeft | Qt::AlignVCenter, label);
        painter.drawImage(x + 60, y + (kLabel - 4 - image.height()) / 2, image);
        painter.drawImage(QRect(x, y + kLabel, image.width() * kScale, image.height() * kScale),
                          image);
    };
    int y = kMargin;
    for (const PicturePair& pair : kPairs) {
        place(LoadButtonPicture(pair.to), kMargin, y, QString::number(pair.to));
        place(LoadButtonPicture(pair.from), kMargin + kCellWidth, y, QString::number(pair.from));
        y += kCellHeight;
    }
    int x = kMargin;
    for (const char* name : {"145", "145-48", "155"}) {
        const QImage icon(QString(":/icons/%1.png").arg(name));
        place(icon, x, y, name);
        x += std::max(icon.width() * kScale, 60 + icon.width()) + kMargin;
    }
    return sheet;
}

TEST(ButtonPictures, ContactSheetIsSaved) {
    EXPECT_TRUE(test::SaveGrabImage(ContactSheet(), "pictures"));
}

}  // namespace
}  // namespace wl
