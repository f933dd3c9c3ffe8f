#pragma once
// One simulated instrument behind the simulated driver, driven by the program's own instrument
// class on a virtual clock. Lone words go over the same transport, since the simulated driver,
// like the chip, takes only one opener.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "common/format.h"
#include "common/utf16.h"
#include "instrument/ftdi.h"
#include "instrument/t7300_instrument.h"
#include "instrument/trace.h"
#include "sim/simulated_ftdi_driver.h"
#include "sim/simulated_instrument.h"
#include "tests/sim/pc_words.h"
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
        return Open() && words.Transact("COM;", 4, true, 5000).bytes == "ACK;";
    }

    VirtualClock clock;
    SimulatedInstrument instrument;
    SimulatedFtdiDriver driver;
    DiscardingTrace trace;
    CT7300Instrument pc{driver, clock, trace};
    FTDI& ftdi = pc.transport();
    PcWords words{pc.transport(), clock};
};

// Every byte value, over and over, so that ";" and NUL bytes sit inside the blocks.
inline std::string PatternBytes(size_t length, unsigned seed = 0) {
    std::string bytes(length, '\0');
    for (size_t i = 0; i < length; ++i) {
        bytes[i] = static_cast<char>((i * 7 + seed) % 256);
    }
    return bytes;
}

inline std::vector<uint8_t> AsVector(const std::string& bytes) {
    return {bytes.begin(), bytes.end()};
}

inline const uint8_t* BytesOf(const std::string& bytes) {
    return reinterpret_cast<const uint8_t*>(bytes.data());
}

// How the PC writes lengths: uppercase hexadecimal without leading zeros.
inline std::string UpperHex(size_t value) {
    return Utf16ToUtf8(Format("%X", {value}));
}

// Version texts are ASCII here; the program widens each byte to one code point.
inline std::u16string Widened(const std::string& text) {
    return {text.begin(), text.end()};
}

}  // namespace wl::test
