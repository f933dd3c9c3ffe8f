#include "gui/info_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <utility>

#include "gui/qt_text.h"

namespace wl {
namespace {

// Faster updates only cost time in the transfer that reports them.
constexpr uint32_t kRepaintInterval = 50;
constexpr int kTextMargin = 5;
const QColor kBarColour(200, 200, 200);
const QColor kFrameColour(105, 105, 105);
// A window manager maps a new window in a few milliseconds; a display that never shows it must
// not hold the transfer up.
constexpr int kLongestWaitForShowingMs = 2000;
constexpr int kShowingPollMs = 10;

}  // namespace

int CMyInfoWindow::openCount_ = 0;

void CMyInfoWindow::LetWindowsPaint() {
    // Socket notices (device removals) wait for the transfer's end; timers run, but the main
    // window's tick waits while a strip is open, and input reaches only the strip and the dialogs
    // above it, since the strip is modal for the program.
    QCoreApplication::processEvents(QEventLoop::ExcludeSocketNotifiers);
}

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
    setWindowTitle(ToWindowTitle(title));
    setWindowModality(Qt::ApplicationModal);
    ++openCount_;
    show();
    WaitUntilShown();
    repaint();
    LetWindowsPaint();
}

CMyInfoWindow::~CMyInfoWindow() {
    hide();
    --openCount_;
}

void CMyInfoWindow::WaitUntilShown() {
    // Qt paints a window only once the window system has shown it.
    QElapsedTimer waited;
    waited.start();
    while (windowHandle() != nullptr && !windowHandle()->isExposed() &&
           waited.elapsed() < kLongestWaitForShowingMs) {
        QEventLoop wait;
        QTimer::singleShot(kShowingPollMs, &wait, &QEventLoop::quit);
        wait.exec(QEventLoop::ExcludeSocketNotifiers);
    }
}

void CMyInfoWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
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
    setWindowTitle(ToWindowTitle(title));
}

void CMyInfoWindow::RepaintWhenDue() {
    const uint32_t now = clock_.TickCount();
    // Unsigned difference: right across the wrap of the tick count.
    if (now - lastRepaint_ > kRepaintInterval) {
        lastRepaint_ = now;
        repaint();
        LetWindowsPaint();
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
