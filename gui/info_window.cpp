#include "gui/info_window.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <utility>

#include "gui/qt_text.h"

namespace wl {
namespace {

// Faster updates only cost time in the transfer that reports them.
constexpr uint32_t kRepaintInterval = 50;
constexpr int kTextMargin = 5;
const QColor kBarColour(200, 200, 200);
const QColor kFrameColour(105, 105, 105);

}  // namespace

CMyInfoWindow::CMyInfoWindow(QWidget* owner, Clock& clock, std::u16string title,
                             std::u16string text, bool centred)
    : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint),
      clock_(clock),
      text_(std::move(text)),
      centred_(centred),
      lastRepaint_(clock.TickCount()) {
    font_.setFamily(QStringLiteral("Arial"));
    font_.setPixelSize(12);
    font_.setWeight(QFont::Normal);
    const int lineHeight = QFontMetrics(font_).height();
    setFixedSize(kStripWidth, 2 * kFrameWidth + 8 + lineHeight);
    CentreOverOwner(owner);
    setWindowTitle(ToQString(title));
    show();
    grabMouse();
    repaint();
}

CMyInfoWindow::~CMyInfoWindow() {
    releaseMouse();
    close();
}

void CMyInfoWindow::CentreOverOwner(QWidget* owner) {
    QPoint centre;
    if (owner != nullptr) {
        centre = owner->mapToGlobal(owner->rect().center());
    } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        centre = screen->availableGeometry().center();
    }
    move(centre - QPoint(width() / 2, height() / 2));
}

void CMyInfoWindow::SetText(const std::u16string& text) {
    text_ = text;
    RepaintWhenDue();
}

void CMyInfoWindow::SetProgress(double percent) {
    percent_ = percent;
    RepaintWhenDue();
}

void CMyInfoWindow::SetTextAndProgress(const std::u16string& text, double percent) {
    text_ = text;
    percent_ = percent;
    RepaintWhenDue();
}

void CMyInfoWindow::SetTitle(const std::u16string& title) {
    setWindowTitle(ToQString(title));
}

void CMyInfoWindow::RepaintWhenDue() {
    const uint32_t now = clock_.TickCount();
    // Unsigned difference: right across the wrap of the tick count.
    if (now - lastRepaint_ > kRepaintInterval) {
        lastRepaint_ = now;
        repaint();
    }
}

QRect CMyInfoWindow::clientRect() const {
    return rect().adjusted(kFrameWidth, kFrameWidth, -kFrameWidth, -kFrameWidth);
}

void CMyInfoWindow::paintEvent(QPaintEvent*) {
    ++paintCount_;
    QPainter painter(this);
    painter.setPen(kFrameColour);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));

    const QRect client = clientRect();
    painter.fillRect(client, Qt::white);
    if (percent_ != 0) {
        // Truncated like an integer cast; out-of-range and NaN percentages stay inside the bar.
        const double bar = client.width() * percent_ / 100;
        const int filled = bar >= client.width() ? client.width()
                           : bar > 0             ? static_cast<int>(bar)
                                                 : 0;
        painter.fillRect(QRect(client.topLeft(), QSize(filled, client.height())), kBarColour);
    }

    painter.setFont(font_);
    painter.setPen(Qt::black);
    const QRect textRect = client.adjusted(kTextMargin, kTextMargin, -kTextMargin, -kTextMargin);
    // The margins leave the line 2 px less than its height: it is drawn whole, not clipped.
    const int alignment = centred_ ? Qt::AlignCenter : (Qt::AlignLeft | Qt::AlignTop);
    painter.drawText(textRect, alignment | Qt::TextSingleLine | Qt::TextDontClip, ToQString(text_));
}

}  // namespace wl
