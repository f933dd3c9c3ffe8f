#pragma once
// Where a program looks for instruments: the serial instrument and the drives. On a real machine
// they are the converter and the mounted filesystems; in the demo, simulated ones.

#include "app/drive_list.h"
#include "app/instrument_detection.h"
#include "instrument/t7300_instrument.h"

namespace wl {

class IInstrumentSources {
  public:
    virtual ~IInstrumentSources() = default;
    virtual CT7300Instrument& instrument() = 0;
    virtual ISerialLink& serial() = 0;
    virtual IDriveLister& drives() = 0;
};

}  // namespace wl
