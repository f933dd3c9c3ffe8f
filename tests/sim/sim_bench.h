#pragma once
// One simulated instrument behind the simulated driver and the real transport, on a virtual
// clock, with the PC's side of the protocol on top.

#include <string>
#include <utility>

#include "instrument/ftdi.h"
#include "instrument/trace.h"
#include "sim/simulated_ftdi_driver.h"
#include "sim/simulated_instrument.h"
#include "tests/sim/pc_side.h"
#include "tests/support/virtual_clock.h"

namespace wl::test {

struct SimBench {
    explicit SimBench(SimulatedInstrumentConfig config = {})
        : instrument(std::move(config), clock), driver(instrument, clock) {}

    // Opens at the instrument's own description and speed.
    bool Open() {
        return ftdi.Open(instrument.config().usbDescription,
                         static_cast<int32_t>(instrument.config().baud));
    }
    // Opens and enters communication mode.
    bool OpenCommunicating() {
        return Open() && pc.Transact("COM;", 4, true, 5000).bytes == "ACK;";
    }

    VirtualClock clock;
    SimulatedInstrument instrument;
    SimulatedFtdiDriver driver;
    DiscardingTrace trace;
    FTDI ftdi{driver, clock, trace};
    PcSide pc{ftdi, clock};
};

// Every byte value, over and over, so that ";" and NUL bytes sit inside the blocks.
inline std::string PatternBytes(size_t length, unsigned seed = 0) {
    std::string bytes(length, '\0');
    for (size_t i = 0; i < length; ++i) {
        bytes[i] = static_cast<char>((i * 7 + seed) % 256);
    }
    return bytes;
}

}  // namespace wl::test
