// The progress strip: its size and place, the bar's pixels, the text's place, the repaint
// throttle on a virtual clock, and the mouse it holds while it lives.

#include "gui/info_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <memory>

#include "tests/gui/grab_folder.h"
#include "tests/support/virtual_clock.h"

namespace wl {
namespace {

constexpr int kFrame = CMyInfoWindow::kFrameWidth;
const QRgb kGrey = qRgb(200, 200, 200);
const QRgb kWhite = qRgb(255, 255, 255);

int LineHeight() {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(12);
    return QFontMetrics(font).height();
}

// What the strip last painted on the screen, as opposed to grab(), which paints it anew.
QImage Shown(CMyInfoWindow& strip) {
    return strip.screen()
        ->grabWindow(strip.winId())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

QImage Painted(CMyInfoWindow& strip) {
    return strip.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// The dark pixels of the client area: where the text was drawn.
QRect InkBounds(const QImage& image) {
    QRect bounds;
    for (int y = kFrame; y < image.height() - kFrame; ++y) {
        for (int x = kFrame; x < image.width() - kFrame; ++x) {
            if (qGray(image.pixel(x, y)) < 128) {
                bounds |= QRect(x, y, 1, 1);
            }
        }
    }
    return bounds;
}

// The client column where grey turns to white; -1 when the columns are not split so cleanly.
int BarEnd(const QImage& image) {
    int end = -1;
    for (int x = kFrame; x < image.width() - kFrame; ++x) {
        const QRgb top = image.pixel(x, kFrame);
        for (int y = kFrame; y < image.height() - kFrame; ++y) {
            if (image.pixel(x, y) != top) {
                return -1;
            }
        }
        const bool grey = top == kGrey;
        if (!grey && top != kWhite) {
            return -1;
        }
        if (grey && end != -1) {
            return -1;  // grey after white
        }
        if (!grey && end == -1) {
            end = x - kFrame;
        }
    }
    return end == -1 ? image.width() - 2 * kFrame : end;
}

TEST(InfoWindow, IsAStripOfOneLineCentredOverItsOwner) {
    QWidget owner;
    owner.setGeometry(100, 80, 900, 500);
    owner.show();
    test::VirtualClock clock;
    CMyInfoWindow strip(&owner, clock, u"Uploading", u"", true);
    EXPECT_TRUE(strip.isWindow());
    EXPECT_TRUE(strip.isVisible());
    EXPECT_TRUE(strip.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(strip.windowTitle(), "Uploading");
    EXPECT_EQ(strip.size(), QSize(600, 2 + 8 + LineHeight()));
    EXPECT_EQ(strip.clientRect().width(), 600 - 2 * kFrame);
    const QPoint centre = owner.mapToGlobal(owner.rect().center());
    EXPECT_LE((strip.frameGeometry().center() - centre).manhattanLength(), 2);

    CMyInfoWindow alone(nullptr, clock, u"", u"", true);
    const QPoint screenCentre = QGuiApplication::primaryScreen()->availableGeometry().center();
    EXPECT_LE((alone.frameGeometry().center() - screenCentre).manhattanLength(), 2);

    strip.SetTitle(u"Downloading");
    EXPECT_EQ(strip.windowTitle(), "Downloading");
}

TEST(InfoWindow, BarFillsTheTruncatedShareOfTheClientWidth) {
    struct BarCase {
        double percent;
        int end;  // client columns [0, end) grey
    };
    const int client = 600 - 2 * kFrame;
    const BarCase cases[] = {
        {0, 0},
        {0.1, 0},
        {33.3, static_cast<int>(client * 33.3 / 100)},
        {50, client / 2},
        {99.9, static_cast<int>(client * 99.9 / 100)},
        {100, client},
        {150, client},
        {-20, 0},
    };
    test::VirtualClock clock;
    CMyInfoWindow strip(nullptr, clock, u"", u"", true);
    for (const BarCase& c : cases) {
        strip.SetProgress(c.percent);
        const QImage image = Painted(strip);
        EXPECT_EQ(BarEnd(image), c.end) << c.percent;
        EXPECT_NE(image.pixel(0, 0), kWhite) << "the frame";
        EXPECT_NE(image.pixel(image.width() - 1, image.height() - 1), kWhite) << "the frame";
    }
    strip.SetProgress(50);
    const QImage half = Painted(strip);
    EXPECT_EQ(half.pixel(299, 3), kGrey);
    EXPECT_EQ(half.pixel(300, 3), kWhite);
}

TEST(InfoWindow, TextIsCentredOrStartsTopLeft) {
    test::VirtualClock clock;
    const std::u16string text = u"Route North hall";
    CMyInfoWindow centred(nullptr, clock, u"", text, true);
    CMyInfoWindow topLeft(nullptr, clock, u"", text, false);

    const QImage centredImage = Painted(centred);
    const QRect centredInk = InkBounds(centredImage);
    ASSERT_FALSE(centredInk.isEmpty());
    EXPECT_LE(std::abs(centredInk.center().x() - centredImage.width() / 2), 3);
    EXPECT_LE(std::abs(centredInk.center().y() - centredImage.height() / 2), 3);

    const QRect topLeftInk = InkBounds(Painted(topLeft));
    ASSERT_FALSE(topLeftInk.isEmpty());
    EXPECT_GE(topLeftInk.left(), kFrame + 5);
    EXPECT_LE(topLeftInk.left(), kFrame + 7);
    EXPECT_GE(topLeftInk.top(), kFrame + 5);
    EXPECT_LE(topLeftInk.top(), kFrame + 5 + LineHeight() / 2);
    // The same line, placed elsewhere: antialiasing at another fraction of a pixel may widen
    // its ink by one.
    EXPECT_NEAR(topLeftInk.width(), centredInk.width(), 1);
}

TEST(InfoWindow, RepaintsAtMostOnceIn50Milliseconds) {
    // Starts just before the tick count wraps, so the throttle is seen across the wrap too.
    test::VirtualClock clock(0xFFFFFFF0u);
    CMyInfoWindow strip(nullptr, clock, u"", u"", true);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&strip));
    QApplication::processEvents();
    const int opened = strip.paintCount();
    ASSERT_GE(opened, 1);

    clock.Advance(50);
    strip.SetProgress(10);  // 50 ms after opening: not yet
    EXPECT_EQ(strip.paintCount(), opened);
    clock.Advance(1);
    strip.SetProgress(20);
    EXPECT_EQ(strip.paintCount(), opened + 1);
    EXPECT_EQ(BarEnd(Shown(strip)), 598 * 20 / 100);

    clock.Advance(10);
    strip.SetProgress(30);
    EXPECT_EQ(strip.paintCount(), opened + 1);
    clock.Advance(40);
    strip.SetText(u"Still 20");
    strip.SetTitle(u"Titles never repaint");
    EXPECT_EQ(strip.paintCount(), opened + 1);
    EXPECT_EQ(BarEnd(Shown(strip)), 598 * 20 / 100);

    clock.Advance(1);
    strip.SetTextAndProgress(u"", 40);
    EXPECT_EQ(strip.paintCount(), opened + 2);
    EXPECT_EQ(BarEnd(Shown(strip)), 598 * 40 / 100);

    clock.Advance(51);
    strip.SetText(u"");
    EXPECT_EQ(strip.paintCount(), opened + 3);
}

// Clicks on the main window's buttons start nothing while the strip exists: it is modal for the
// program. It grabs nothing, so other programs and the transfer's questions keep the pointer.
TEST(InfoWindow, IsModalForTheProgramAndGrabsNothing) {
    QWidget owner;
    owner.resize(400, 300);
    auto* button = new QPushButton("Upload", &owner);
    button->setGeometry(20, 20, 120, 30);
    owner.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
    int clicks = 0;
    QObject::connect(button, &QPushButton::clicked, [&] { ++clicks; });
    const QPoint onButton = button->geometry().center();

    test::VirtualClock clock;
    auto strip = std::make_unique<CMyInfoWindow>(&owner, clock, u"", u"", true);
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
    EXPECT_EQ(CMyInfoWindow::openCount(), 1);
    QTest::mouseClick(owner.windowHandle(), Qt::LeftButton, {}, onButton);
    EXPECT_EQ(clicks, 0);

    // A question asked while the strip is open takes clicks.
    QMessageBox question(QMessageBox::Question, "Tarvek Trailpack", "Overwrite?",
                         QMessageBox::Yes | QMessageBox::No, &owner);
    QTimer::singleShot(0, [&] {
        QPushButton* yes = qobject_cast<QPushButton*>(question.button(QMessageBox::Yes));
        QTest::mouseClick(yes, Qt::LeftButton);
    });
    EXPECT_EQ(question.exec(), QMessageBox::Yes);

    strip.reset();
    EXPECT_EQ(CMyInfoWindow::openCount(), 0);
    QTest::mouseClick(owner.windowHandle(), Qt::LeftButton, {}, onButton);
    EXPECT_EQ(clicks, 1);
}

TEST(InfoWindow, PictureAtHalfWay) {
    test::VirtualClock clock;
    CMyInfoWindow strip(nullptr, clock, u"Uploading", u"Route 'North hall fans' 3 of 6", true);
    clock.Advance(51);
    strip.SetProgress(50);
    EXPECT_TRUE(test::SaveGrab(strip, "progress_strip"));
}

}  // namespace
}  // namespace wl
