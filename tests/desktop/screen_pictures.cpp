#include "tests/desktop/screen_pictures.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <algorithm>
#include <filesystem>
#include <vector>

namespace wl::desktop {
namespace {

const QRgb kBarColour = qRgb(200, 200, 200);

// Text is black on light ground in every window looked at here. A glyph's soft edge turns out
// lighter or darker with the ground it is blended with (a button's gradient, a white list), so
// only clear ink and clear ground count; the shades between match either.
enum class Tone : unsigned char { kInk, kEdge, kGround };

Tone ToneOf(QRgb pixel) {
    const int grey = qGray(pixel);
    return grey < 96 ? Tone::kInk : grey > 170 ? Tone::kGround : Tone::kEdge;
}

bool Contradicts(Tone expected, Tone seen) {
    return (expected == Tone::kInk && seen == Tone::kGround) ||
           (expected == Tone::kGround && seen == Tone::kInk);
}

struct InkMask {
    int width = 0;
    int height = 0;
    std::vector<Tone> tones;  // row by row
    int inkCount = 0;
    QPoint firstInk;  // the first clear ink pixel in reading order, where a search anchors
};

// The text's tones, cropped to where it left any mark.
InkMask RenderedInk(const QString& text, const QFont& font, TextDrawing drawing) {
    const QFontMetrics metrics(font);
    QImage canvas(metrics.horizontalAdvance(text) + 8, metrics.height() + 8, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    {
        QPainter painter(&canvas);
        painter.setFont(font);
        painter.setPen(Qt::black);
        if (drawing == TextDrawing::kWithMnemonic) {
            // The underlined letter is shaped apart from the rest, as in a button's label.
            painter.drawText(canvas.rect().adjusted(4, 4, -4, -4),
                             Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic, text);
        } else {
            painter.drawText(QPoint(4, 4 + metrics.ascent()), text);
        }
    }
    QRect bounds;
    for (int y = 0; y < canvas.height(); ++y) {
        for (int x = 0; x < canvas.width(); ++x) {
            if (ToneOf(canvas.pixel(x, y)) != Tone::kGround) {
                bounds |= QRect(x, y, 1, 1);
            }
        }
    }
    InkMask mask;
    if (bounds.isEmpty()) {
        return mask;
    }
    mask.width = bounds.width();
    mask.height = bounds.height();
    mask.tones.resize(static_cast<size_t>(mask.width * mask.height));
    bool anchored = false;
    for (int y = 0; y < mask.height; ++y) {
        for (int x = 0; x < mask.width; ++x) {
            const Tone tone = ToneOf(canvas.pixel(bounds.x() + x, bounds.y() + y));
            mask.tones[static_cast<size_t>(y * mask.width + x)] = tone;
            if (tone == Tone::kInk) {
                ++mask.inkCount;
                if (!anchored) {
                    mask.firstInk = QPoint(x, y);
                    anchored = true;
                }
            }
        }
    }
    return mask;
}

}  // namespace

QImage GrabScreen() {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return {};
    }
    return screen->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
}

void SaveScreenshot(const QImage& picture, const std::string& name) {
    std::filesystem::create_directories(WAYLOAD_SCREENSHOT_FOLDER);
    picture.save(
        QString::fromStdString(std::string(WAYLOAD_SCREENSHOT_FOLDER) + "/" + name + ".png"));
}

std::optional<QRect> FindPlainText(const QImage& picture, const QRect& area, const QString& text,
                                   const QFont& font, TextDrawing drawing) {
    const InkMask mask = RenderedInk(text, font, drawing);
    if (mask.inkCount == 0) {
        return std::nullopt;
    }
    // A stray pixel or two is allowed; a glyph missing or a word shifted contradicts many.
    const int allowed = std::max(2, mask.inkCount / 25);
    const QRect searched = area.intersected(picture.rect());
    const int lastX = searched.right() - mask.width + 1;
    const int lastY = searched.bottom() - mask.height + 1;
    std::optional<QRect> best;
    int bestMismatches = allowed + 1;
    for (int top = searched.top(); top <= lastY; ++top) {
        for (int left = searched.left(); left <= lastX; ++left) {
            if (ToneOf(picture.pixel(left + mask.firstInk.x(), top + mask.firstInk.y())) ==
                Tone::kGround) {
                continue;
            }
            int mismatches = 0;
            for (int y = 0; y < mask.height && mismatches < bestMismatches; ++y) {
                const auto* row = reinterpret_cast<const QRgb*>(picture.constScanLine(top + y));
                for (int x = 0; x < mask.width; ++x) {
                    if (Contradicts(mask.tones[static_cast<size_t>(y * mask.width + x)],
                                    ToneOf(row[left + x]))) {
                        ++mismatches;
                    }
                }
            }
            if (mismatches < bestMismatches) {
                bestMismatches = mismatches;
                best = QRect(left, top, mask.width, mask.height);
            }
        }
    }
    return best;
}

int ProgressBarWidth(const QImage& screen, const QRect& strip) {
    const int row = strip.top() + 1;
    if (row < 0 || row >= screen.height()) {
        return 0;
    }
    int width = 0;
    for (int x = std::max(strip.left() + 1, 0); x < std::min(strip.right(), screen.width()); ++x) {
        if (screen.pixel(x, row) == kBarColour) {
            ++width;
        }
    }
    return width;
}

double NonWhiteShare(const QImage& screen, const QRect& area, const QRect& covered) {
    const QRect looked = area.intersected(screen.rect());
    int counted = 0;
    int nonWhite = 0;
    for (int y = looked.top(); y <= looked.bottom(); ++y) {
        for (int x = looked.left(); x <= looked.right(); ++x) {
            if (covered.contains(x, y)) {
                continue;
            }
            ++counted;
            if ((screen.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF) {
                ++nonWhite;
            }
        }
    }
    return counted == 0 ? 0.0 : static_cast<double>(nonWhite) / counted;
}

int ColouredPixels(const QImage& screen, const QRect& area) {
    const QRect looked = area.intersected(screen.rect());
    int coloured = 0;
    for (int y = looked.top(); y <= looked.bottom(); ++y) {
        for (int x = looked.left(); x <= looked.right(); ++x) {
            const QRgb pixel = screen.pixel(x, y);
            const int highest = std::max({qRed(pixel), qGreen(pixel), qBlue(pixel)});
            const int lowest = std::min({qRed(pixel), qGreen(pixel), qBlue(pixel)});
            if (highest - lowest > 60) {
                ++coloured;
            }
        }
    }
    return coloured;
}

}  // namespace wl::desktop
