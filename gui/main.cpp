// wayload: the window program.
#include <QApplication>

#include "app/system_instruments.h"
#include "transfer/transfer_hooks.h"
#include "gui/main_window.h"
#include "locale/program_folder.h"
#include "locale/settings_file.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    using namespace wl;

    // The serial link follows the same settings as wayload-cli: WAYLOAD_DRIVER and WAYLOAD_PORT.
    SystemInstruments system(SerialSettingsFromEnvironment());
    NoTransfers transfers;

    CWayloadDlg window(
        system.serial(), system.drives(), transfers,
        LanguageSetup{FindLanguageFolder(), SettingsFilePath(), BuiltProgramVersion()});
    window.Run();
    return 0;
}
