#include <cstdio>

#include "app/instrument_detection.h"
#include "app/instrument_names.h"
#include "app/system_instruments.h"
#include "cli/cli_output.h"
#include "cli/commands.h"

namespace wl::cli {

int RunDetect(const SerialSettings& settings) {
    SystemInstruments system(settings);
    DetectedInstrument state;
    // One pass, as the window's tick makes it: the serial link first, then the drives.
    const bool found = DetectInstrument(system.serial(), system.drives(), state);
    // A converter that is there but cannot be opened is not "nothing connected": it is told with
    // its device and the remedy, and has an exit code of its own.
    const std::optional<ConverterRefusal> refusal = system.serial().Refusal();
    if (refusal) {
        std::fflush(stdout);
        std::fprintf(stderr, "wayload-cli: %s\n",
                     ShownText(ConverterRefusalText(*refusal)).c_str());
    }
    if (!found) {
        if (refusal) {
            return kExitConverterRefused;
        }
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
