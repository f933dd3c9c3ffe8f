// Draws the pictures of the two transfer buttons and the window icons, and writes them as
// NUMBER.png into the folder given on the command line. The build runs it and compiles the
// pictures into the program, so they are drawn from this code rather than kept as binaries.
// The window icon is also written as desktop-icon-SIZE.png in each size given after the folder:
// the sizes of the desktop's icon theme, which the install puts under share/icons/hicolor/.
//
// A button picture is 80 x 32 pixels: the PC at the left (0..30), the arrow in the middle
// (30..50), the instrument at the right (50..80). Nothing is drawn in opaque magenta, the
// buttons' colour key, and there is no text: fonts are not reliable in a build step.

#include <QColor>
#include <QDir>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRectF>
#include <QString>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

enum class Direction { ToInstrument, FromInstrument };
enum class Instrument { None, TkaHandHeld, TkbLightScreen, SerialSlim, TkcDarkScreen };

struct ButtonPicture {
    int number;
    Direction direction;
    Instrument instrument;
    bool grey;  // the disabled look: no instrument, everything grey
};

constexpr ButtonPicture kButtonPictures[] = {
    {146, Direction::ToInstrument, Instrument::None, true},
    {147, Direction::FromInstrument, Instrument::None, true},
    {148, Direction::ToInstrument, Instrument::TkaHandHeld, false},
    {151, Direction::FromInstrument, Instrument::TkaHandHeld, false},
    {149, Direction::ToInstrument, Instrument::TkbLightScreen, false},
    {152, Direction::FromInstrument, Instrument::TkbLightScreen, false},
    {150, Direction::ToInstrument, Instrument::SerialSlim, false},
    {153, Direction::FromInstrument, Instrument::SerialSlim, false},
    {156, Direction::ToInstrument, Instrument::TkcDarkScreen, false},
    {157, Direction::FromInstrument, Instrument::TkcDarkScreen, false},
};

constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 32;

// Dark outlines keep every part readable on the light grey button face.
const QColor kOutline(0x26, 0x2a, 0x2e);
const QColor kCaseDark(0x4a, 0x50, 0x57);
const QColor kCaseGrey(0x8a, 0x94, 0x9e);
const QColor kKey(0xd8, 0xdc, 0xe0);
const QColor kLcd(0xc4, 0xdc, 0xa8);

QLinearGradient VerticalGradient(const QRectF& rect, const QColor& top, const QColor& bottom) {
    QLinearGradient gradient(rect.topLeft(), rect.bottomLeft());
    gradient.setColorAt(0, top);
    gradient.setColorAt(1, bottom);
    return gradient;
}

// A shape with a one-pixel frame: filling twice instead of stroking keeps the frame crisp.
void FramedRect(QPainter& painter, const QRectF& rect, const QBrush& fill, qreal radius = 0,
                const QColor& frame = kOutline) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(frame);
    painter.drawRoundedRect(rect, radius, radius);
    if (rect.width() <= 2 || rect.height() <= 2) {
        return;  // all frame
    }
    painter.setBrush(fill);
    const qreal inner = radius > 1 ? radius - 1 : 0;
    painter.drawRoundedRect(rect.adjusted(1, 1, -1, -1), inner, inner);
}

// A light desktop screen with a window title band, so it reads as a PC and not a TV.
void DrawPcScreen(QPainter& painter, const QRectF& screen) {
    FramedRect(painter, screen,
               VerticalGradient(screen, QColor(0xf4, 0xf9, 0xff), QColor(0xb4, 0xd2, 0xf0)), 0,
               QColor(0x3a, 0x4c, 0x60));
    painter.fillRect(QRectF(screen.left() + 1, screen.top() + 1, screen.width() - 2, 2),
                     QColor(0x3c, 0x78, 0xc8));
}

// Monitor on a stand with the edge of a keyboard in front of it.
void DrawPc(QPainter& painter) {
    FramedRect(painter, QRectF(2, 1, 26, 21), kCaseDark, 2);
    DrawPcScreen(painter, QRectF(4, 3, 22, 16));
    FramedRect(painter, QRectF(13, 21, 4, 4), kCaseDark);
    FramedRect(painter, QRectF(8, 24, 14, 3), kCaseDark, 1);

    const QPolygonF keyboard({{4, 27.5}, {26, 27.5}, {29, 31.5}, {1, 31.5}});
    painter.setPen(QPen(kOutline, 1));
    painter.setBrush(QColor(0x9a, 0xa1, 0xa8));
    painter.drawPolygon(keyboard);
    for (int x = 5; x < 26; x += 3) {
        painter.fillRect(QRectF(x, 29, 2, 1), kKey);
    }
}

struct ArrowColours {
    QColor light;
    QColor dark;
    QColor frame;
};

const ArrowColours kColouredArrow{QColor(0x6c, 0xd4, 0x5c), QColor(0x1e, 0x8c, 0x2e),
                                  QColor(0x14, 0x58, 0x1c)};
const ArrowColours kGreyArrow{QColor(0xb4, 0xb4, 0xb4), QColor(0x80, 0x80, 0x80),
                              QColor(0x50, 0x50, 0x50)};

// The arrow pointing right, from x 32 to 48; the other direction mirrors it about x 40.
void DrawRightArrow(QPainter& painter, const ArrowColours& colours) {
    const QPolygonF arrow({{32.5, 12.5},
                           {40.5, 12.5},
                           {40.5, 7.5},
                           {48.5, 15},
                           {40.5, 22.5},
                           {40.5, 17.5},
                           {32.5, 17.5}});
    painter.setPen(QPen(colours.frame, 1, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.setBrush(VerticalGradient(QRectF(0, 7.5, 1, 15), colours.light, colours.dark));
    painter.drawPolygon(arrow);
}

void DrawArrowToInstrument(QPainter& painter, const ArrowColours& colours) {
    DrawRightArrow(painter, colours);
}

void DrawArrowToPc(QPainter& painter, const ArrowColours& colours) {
    painter.save();
    painter.translate(kButtonWidth, 0);
    painter.scale(-1, 1);
    DrawRightArrow(painter, colours);
    painter.restore();
}

// A spectrum-like trace, the thing an analyzer's screen shows.
void DrawTrace(QPainter& painter, const QRectF& screen, const QColor& colour) {
    const qreal x = screen.left() + 2;
    const qreal bottom = screen.bottom() - 2.5;
    const QPolygonF trace({{x, bottom},
                           {x + 4, bottom - 1},
                           {x + 6, bottom - 6},
                           {x + 8, bottom - 1},
                           {x + 11, bottom - 2},
                           {x + 13, bottom - 4},
                           {x + 15, bottom}});
    painter.setPen(QPen(colour, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawPolyline(trace);
}

// Small yellow hand-held: dark face, tiny display, keypad.
void DrawTka(QPainter& painter) {
    const QRectF body(58, 4, 16, 26);
    FramedRect(painter, body,
               VerticalGradient(body, QColor(0xff, 0xd8, 0x50), QColor(0xe0, 0xa8, 0x18)), 3);
    FramedRect(painter, QRectF(60, 6, 12, 22), kCaseDark, 1);
    FramedRect(painter, QRectF(61, 7, 10, 7), kLcd, 0, QColor(0x1c, 0x20, 0x24));
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            painter.fillRect(QRectF(62 + 3 * column, 16 + 3 * row, 2, 2), kKey);
        }
    }
}

const QRectF kAnalyzerScreen(55, 6, 21, 15);

// Large analyzer body with a big screen and a row of keys under it; TKB and TKC share it.
void DrawScreenAnalyzer(QPainter& painter, const QBrush& screenFill, const QColor& traceColour) {
    const QRectF body(52, 3, 27, 26);
    FramedRect(painter, body,
               VerticalGradient(body, QColor(0xa4, 0xae, 0xb8), QColor(0x70, 0x7a, 0x84)), 3);
    FramedRect(painter, kAnalyzerScreen, screenFill, 0, QColor(0x1c, 0x20, 0x24));
    DrawTrace(painter, kAnalyzerScreen, traceColour);
    for (int key = 0; key < 5; ++key) {
        FramedRect(painter, QRectF(55 + 4.5 * key, 23, 3, 3), kKey, 0, kCaseDark);
    }
}

void DrawTkb(QPainter& painter) {
    DrawScreenAnalyzer(
        painter,
        VerticalGradient(kAnalyzerScreen, QColor(0xe8, 0xf4, 0xff), QColor(0xa8, 0xd0, 0xf4)),
        QColor(0x18, 0x50, 0xa0));
}

void DrawTkc(QPainter& painter) {
    DrawScreenAnalyzer(
        painter,
        VerticalGradient(kAnalyzerScreen, QColor(0x2c, 0x38, 0x48), QColor(0x10, 0x16, 0x20)),
        QColor(0x5c, 0xe8, 0x78));
}

// Narrow tall hand-held with a short serial cable and its plug.
void DrawSerial(QPainter& painter) {
    QPainterPath cable(QPointF(65.5, 26));
    cable.lineTo(65.5, 27.5);
    cable.quadTo(65.5, 29.5, 68, 29.5);
    cable.lineTo(73, 29.5);
    painter.setPen(QPen(kOutline, 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(cable);
    FramedRect(painter, QRectF(72, 27, 6, 5), kCaseGrey, 1);

    const QRectF body(61, 1, 9, 26);
    FramedRect(painter, body,
               VerticalGradient(body, QColor(0x3c, 0x6c, 0xb0), QColor(0x22, 0x44, 0x7c)), 2);
    FramedRect(painter, QRectF(62, 3, 7, 8), kLcd, 0, QColor(0x1c, 0x20, 0x24));
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 2; ++column) {
            painter.fillRect(QRectF(63 + 3 * column, 13 + 3 * row, 2, 2), kKey);
        }
    }
}

void DrawInstrument(QPainter& painter, Instrument instrument) {
    switch (instrument) {
        case Instrument::None:
            break;
        case Instrument::TkaHandHeld:
            DrawTka(painter);
            break;
        case Instrument::TkbLightScreen:
            DrawTkb(painter);
            break;
        case Instrument::SerialSlim:
            DrawSerial(painter);
            break;
        case Instrument::TkcDarkScreen:
            DrawTkc(painter);
            break;
    }
}

// The disabled look: grey, and a little lighter, as a disabled control is drawn.
void MakeGrey(QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int lighter = 64 + qGray(line[x]) * 3 / 4;
            line[x] = qRgba(lighter, lighter, lighter, qAlpha(line[x]));
        }
    }
}

QImage TransparentImage(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    return image;
}

QImage DrawButtonPicture(const ButtonPicture& picture) {
    QImage image = TransparentImage(kButtonWidth, kButtonHeight);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    DrawPc(painter);
    const ArrowColours& arrow = picture.grey ? kGreyArrow : kColouredArrow;
    if (picture.direction == Direction::ToInstrument) {
        DrawArrowToInstrument(painter, arrow);
    } else {
        DrawArrowToPc(painter, arrow);
    }
    DrawInstrument(painter, picture.instrument);
    painter.end();
    if (picture.grey) {
        MakeGrey(image);
    }
    return image;
}

// The double arrow under the icon's PC. Its straight edges fall on whole pixels at every size,
// so it stays sharp; at 16 pixels there is no room for a frame.
void DrawIconArrow(QPainter& painter, int size) {
    const qreal unit = size / 16.0;
    const bool framed = size >= 32;
    // A one-pixel frame is sharp on pixel centres, a plain fill on pixel edges.
    const auto snap = [framed](qreal value) {
        return framed ? std::floor(value) + 0.5 : std::round(value);
    };
    const qreal top = snap(11 * unit);
    const qreal bottom = framed ? size - 0.5 : size;
    const qreal middle = (top + bottom) / 2;
    const qreal shaftTop = snap(middle - 0.75 * unit);
    const qreal shaftBottom = 2 * middle - shaftTop;
    const qreal left = framed ? 0.5 : 0;
    const qreal right = framed ? 10 * unit - 0.5 : 10 * unit;
    const qreal leftHead = snap(left + (bottom - top) / 2);
    const qreal rightHead = right - (leftHead - left);
    const QPolygonF arrow({{left, middle},
                           {leftHead, top},
                           {leftHead, shaftTop},
                           {rightHead, shaftTop},
                           {rightHead, top},
                           {right, middle},
                           {rightHead, bottom},
                           {rightHead, shaftBottom},
                           {leftHead, shaftBottom},
                           {leftHead, bottom}});
    if (framed) {
        painter.setPen(QPen(kColouredArrow.frame, 1, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        painter.setBrush(VerticalGradient(QRectF(0, top, 1, bottom - top), kColouredArrow.light,
                                          kColouredArrow.dark));
    } else {
        painter.setPen(Qt::NoPen);
        painter.setBrush(kColouredArrow.dark);
    }
    painter.drawPolygon(arrow);
}

// The window icon on a 16-unit grid, `size` / 16 pixels to a unit: a PC at the top left, a
// yellow hand-held at the right and a double arrow under the PC. Frames stay one pixel wide.
QImage DrawIcon(int size) {
    const qreal unit = size / 16.0;
    const auto grid = [unit](qreal x, qreal y, qreal width, qreal height) {
        return QRectF(x * unit, y * unit, width * unit, height * unit);
    };
    const bool detailed = size >= 32;
    QImage image = TransparentImage(size, size);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    const QRectF monitor = grid(0, 0, 10, 8);
    FramedRect(painter, monitor, kCaseDark, detailed ? unit : 0);
    const QRectF screen = monitor.adjusted(unit, unit, -unit, -unit);
    if (detailed) {
        DrawPcScreen(painter, screen);
    } else {
        painter.fillRect(screen, QColor(0xc8, 0xe0, 0xf8));
    }
    FramedRect(painter, grid(4, 8, 2, 1), kCaseDark);
    FramedRect(painter, grid(2, 9, 6, 1), kCaseDark);

    const QRectF body = grid(11, 3, 5, 13);
    FramedRect(painter, body,
               VerticalGradient(body, QColor(0xff, 0xd8, 0x50), QColor(0xe0, 0xa8, 0x18)),
               detailed ? unit : 0);
    if (detailed) {
        FramedRect(painter, grid(12, 4, 3, 3), kLcd, 0, QColor(0x1c, 0x20, 0x24));
    } else {
        painter.fillRect(grid(12, 4, 3, 3), kLcd);
    }
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 2; ++column) {
            painter.fillRect(grid(12 + 2 * column, 8 + 2 * row, 1, 1), kCaseDark);
        }
    }

    DrawIconArrow(painter, size);
    return image;
}

// The icon at a size of the desktop's icon theme. The drawing lies on a 16-unit grid, so a size
// that is no multiple of 16 gets the largest such drawing that fits, centred: whole-pixel edges
// keep it sharp where a scaled drawing would blur.
QImage DrawDesktopIcon(int size) {
    const int drawn = size / 16 * 16;
    if (drawn == size) {
        return DrawIcon(size);
    }
    QImage image = TransparentImage(size, size);
    QPainter painter(&image);
    const int margin = (size - drawn) / 2;
    painter.drawImage(margin, margin, DrawIcon(drawn));
    painter.end();
    return image;
}

bool Save(const QImage& image, const QDir& folder, const QString& name) {
    const QString path = folder.filePath(name + ".png");
    if (image.save(path, "PNG")) {
        return true;
    }
    std::fprintf(stderr, "picture_maker: cannot write %s\n", qPrintable(path));
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: picture_maker OUTPUT_FOLDER [DESKTOP_ICON_SIZE...]\n");
        return 2;
    }
    std::vector<int> desktopIconSizes;
    for (int i = 2; i < argc; ++i) {
        bool number = false;
        const int size = QString::fromLatin1(argv[i]).toInt(&number);
        if (!number || size < 16) {
            std::fprintf(stderr, "picture_maker: not an icon size of 16 or more: %s\n", argv[i]);
            return 2;
        }
        desktopIconSizes.push_back(size);
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.mkpath(".")) {
        std::fprintf(stderr, "picture_maker: cannot create %s\n", argv[1]);
        return 1;
    }
    bool written = true;
    for (const ButtonPicture& picture : kButtonPictures) {
        written &= Save(DrawButtonPicture(picture), folder, QString::number(picture.number));
    }
    written &= Save(DrawIcon(32), folder, "145");
    written &= Save(DrawIcon(48), folder, "145-48");
    written &= Save(DrawIcon(16), folder, "155");
    for (int size : desktopIconSizes) {
        written &= Save(DrawDesktopIcon(size), folder, QStringLiteral("desktop-icon-%1").arg(size));
    }
    return written ? 0 : 1;
}
