#include <cstdio>

#include "app/instrument_detection.h"
#include "app/instrument_names.h"
#include "app/mounted_drive_lister.h"
#include "cli/cli_output.h"
#include "cli/commands.h"
#include "instrument/t7300_instrument.h"
#include "platform/clock.h"

namespace wl::cli {

int RunDetect(const SerialSettings& settings) {
    const auto driver = MakeDriver(settings);
    CT7300Instrument instrument(*driver, ProgramClock(), ProgramTrace());
    T7300SerialProbe serial(instrument);
    BlkidLabelProbe labels;
    MountedDriveLister drives(kSystemMountInfo, kSystemByLabelFolder, labels);
    DetectedInstrument state;
    // One pass, as the window's tick makes it: the serial link first, then the drives.
    if (!DetectInstrument(serial, drives, state)) {
        std::printf("no instrument connected\n");
        return kExitFailure;
    }
    if (state.kind == kInstrumentSerial) {
        std::printf("%d\t%s\n", state.kind, Printable(InstrumentDisplayName(state.kind)).c_str());
    } else {
        std::printf("%d\t%s\t%s\n", state.kind,
                    Printable(InstrumentDisplayName(state.kind)).c_str(), state.drivePath.c_str());
    }
    return kExitSuccess;
}

}  // namespace wl::cli
