#pragma once
// Where a program looks for instruments on this machine: the serial instrument behind the chosen
// converter driver, and the mounted filesystems with their labels.

#include <memory>

#include "app/instrument_detection.h"
#include "app/instrument_sources.h"
#include "app/mounted_drive_lister.h"
#include "instrument/driver_choice.h"
#include "instrument/t7300_instrument.h"
#include "platform/clock.h"

namespace wl {

class SystemInstruments : public IInstrumentSources {
  public:
    // `clock` times the serial link's pauses and waits (the window program's lets it paint).
    explicit SystemInstruments(const SerialSettings& settings, Clock& clock = ProgramClock());

    CT7300Instrument& instrument() override { return instrument_; }
    ISerialLink& serial() override { return serial_; }
    IDriveLister& drives() override { return drives_; }

  private:
    std::unique_ptr<IFtdiDriver> driver_;
    CT7300Instrument instrument_;
    T7300SerialProbe serial_;
    BlkidLabelProbe labels_;
    MountedDriveLister drives_;
};

}  // namespace wl
