#pragma once
// The window program's clock: the steady clock, except that while a transfer's progress strip is
// open, a wait of the serial link (a hand-shake pause, an erase of up to 80 s) first lets the
// windows paint, at most once per 50 ms, so that nothing on the screen goes blank meanwhile.

#include <cstdint>

#include "platform/clock.h"

namespace wl {

class PaintingClock : public Clock {
  public:
    uint32_t TickCount() override { return steady_.TickCount(); }
    void Sleep(uint32_t milliseconds) override;

  private:
    SteadyClock steady_;
    uint32_t lastPainted_ = 0;
};

}  // namespace wl
