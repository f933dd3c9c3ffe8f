#pragma once
// The clock-and-sleep port: a millisecond tick count that wraps like a 32-bit counter, and a
// sleep. The programs use the steady clock; tests use a virtual clock, so that protocol pauses
// and time-outs cost no real time.

#include <cstdint>

namespace wl {

class Clock {
  public:
    virtual ~Clock() = default;
    // Milliseconds since some fixed moment, modulo 2^32.
    virtual uint32_t TickCount() = 0;
    virtual void Sleep(uint32_t milliseconds) = 0;
};

// The steady clock of the machine.
class SteadyClock : public Clock {
  public:
    uint32_t TickCount() override;
    void Sleep(uint32_t milliseconds) override;
};

// One steady clock for the whole program.
Clock& ProgramClock();

}  // namespace wl
