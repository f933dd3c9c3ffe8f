// wayload: the window program.
#include <QApplication>

#include "app/instrument_detection.h"
#include "app/mounted_drive_lister.h"
#include "app/transfer_hooks.h"
#include "gui/main_window.h"
#include "instrument/driver_choice.h"
#include "instrument/t7300_instrument.h"
#include "instrument/trace.h"
#include "locale/program_folder.h"
#include "locale/settings_file.h"
#include "platform/clock.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    using namespace wl;

    // The serial link follows the same settings as wayload-cli: WAYLOAD_DRIVER and WAYLOAD_PORT.
    const SerialSettings settings = SerialSettingsFromEnvironment();
    const auto driver = MakeDriver(settings);
    CT7300Instrument instrument(*driver, ProgramClock(), ProgramTrace());
    T7300SerialProbe serial(instrument);
    BlkidLabelProbe labels;
    MountedDriveLister drives(kSystemMountInfo, kSystemByLabelFolder, labels);
    NoTransfers transfers;

    CWayloadDlg window(
        serial, drives, transfers,
        LanguageSetup{FindLanguageFolder(), SettingsFilePath(), BuiltProgramVersion()});
    window.Run();
    return 0;
}
