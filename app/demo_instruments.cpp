#include "app/demo_instruments.h"

#include "instrument/trace.h"
#include "platform/clock.h"
#include "sim/demo_analyzer.h"

namespace wl {
namespace {

SimulatedInstrumentConfig DemoSerialInstrument() {
    SimulatedInstrumentConfig config;
    config.routeBlock = "DEMO ROUTE BLOCK\nNorth hall fans: P1 P2 P3\n";
    config.dataBlock = "DEMO DATA BLOCK\nP1;1.8;1.9;2.1\nP2;0.9;1.0;0.9\nP3;2.4;2.2;2.5\n";
    return config;
}

}  // namespace

DemoInstruments::DemoInstruments(DemoInstrument connected, const std::filesystem::path& dataFolder,
                                 Clock& clock)
    : simulated_(DemoSerialInstrument(), ProgramClock()),
      driver_(simulated_, clock),
      instrument_(driver_, clock, ProgramTrace()),
      serial_(instrument_) {
    if (connected == DemoInstrument::kSerial) {
        return;
    }
    driver_.Unplug();
    analyzerRoot_ = PrepareDemoAnalyzer(dataFolder);
    if (!analyzerRoot_.empty()) {
        drives_.drives_.push_back({analyzerRoot_, kDemoAnalyzerLabel});
    }
}

bool DemoInstruments::DemoDrives::ListDrives(std::vector<DriveInfo>& drives) {
    drives = drives_;
    return true;
}

}  // namespace wl
