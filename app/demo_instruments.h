#pragma once
// The demo's instruments: a folder laid out as a TKB analyzer, found as a drive labelled
// "TKB_DEMO", or a simulated serial instrument in this process. One of the two is connected.

#include <filesystem>
#include <vector>

#include "app/instrument_sources.h"
#include "platform/clock.h"
#include "sim/simulated_ftdi_driver.h"
#include "sim/simulated_instrument.h"

namespace wl {

enum class DemoInstrument { kAnalyzer, kSerial };

class DemoInstruments : public IInstrumentSources {
  public:
    // `dataFolder` holds the demo analyzer (DemoDataFolder()); `clock` times the serial link's
    // pauses and waits on the program's side.
    DemoInstruments(DemoInstrument connected, const std::filesystem::path& dataFolder,
                    Clock& clock = ProgramClock());

    CT7300Instrument& instrument() override { return instrument_; }
    ISerialLink& serial() override { return serial_; }
    IDriveLister& drives() override { return drives_; }

    // The demo analyzer's drive root; empty when it could not be laid out.
    const std::filesystem::path& analyzerRoot() const { return analyzerRoot_; }
    SimulatedInstrument& simulatedInstrument() { return simulated_; }

  private:
    class DemoDrives : public IDriveLister {
      public:
        bool ListDrives(std::vector<DriveInfo>& drives) override;
        std::vector<DriveInfo> drives_;
    };

    std::filesystem::path analyzerRoot_;
    SimulatedInstrument simulated_;
    SimulatedFtdiDriver driver_;
    CT7300Instrument instrument_;
    T7300SerialProbe serial_;
    DemoDrives drives_;
};

}  // namespace wl
