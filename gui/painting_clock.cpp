#include "gui/painting_clock.h"

#include "gui/info_window.h"

namespace wl {
namespace {

constexpr uint32_t kPaintInterval = 50;

}  // namespace

void PaintingClock::Sleep(uint32_t milliseconds) {
    const uint32_t start = steady_.TickCount();
    if (CMyInfoWindow::openCount() > 0 && start - lastPainted_ >= kPaintInterval) {
        lastPainted_ = start;
        CMyInfoWindow::LetWindowsPaint();
    }
    // What painting took counts towards the wait.
    const uint32_t spent = steady_.TickCount() - start;
    if (spent < milliseconds) {
        steady_.Sleep(milliseconds - spent);
    }
}

}  // namespace wl
