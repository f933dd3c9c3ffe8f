#pragma once
// A clock that moves only when slept on (or advanced by a fake device), so that pauses and
// time-outs cost no real time in tests.

#include <cstdint>

#include "platform/clock.h"

namespace wl::test {

class VirtualClock : public Clock {
  public:
    explicit VirtualClock(uint32_t start = 1000) : now_(start) {}
    uint32_t TickCount() override { return now_; }
    void Sleep(uint32_t milliseconds) override {
        now_ += milliseconds;
        slept_ += milliseconds;
    }
    void Advance(uint32_t milliseconds) { now_ += milliseconds; }
    uint64_t slept() const { return slept_; }

  private:
    uint32_t now_;
    uint64_t slept_ = 0;
};

}  // namespace wl::test
