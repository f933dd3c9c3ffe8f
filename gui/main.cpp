// wayload: the window program.
#include <QApplication>
#include <QCommandLineParser>
#include <memory>

#include "app/demo_instruments.h"
#include "app/system_instruments.h"
#include "fs/file_ops.h"
#include "gui/main_window.h"
#include "gui/painting_clock.h"
#include "gui/qt_transfer_ui.h"
#include "locale/program_folder.h"
#include "locale/settings_file.h"
#include "platform/clock.h"
#include "platform/program_version.h"
#include "sim/demo_analyzer.h"
#include "transfer/transfer_sequences.h"

namespace {

std::unique_ptr<wl::IInstrumentSources> ChooseInstruments(bool demo, bool serial,
                                                          wl::Clock& clock) {
    if (!demo) {
        // The serial link follows the settings wayload-cli has: WAYLOAD_DRIVER and WAYLOAD_PORT.
        return std::make_unique<wl::SystemInstruments>(wl::SerialSettingsFromEnvironment(), clock);
    }
    return std::make_unique<wl::DemoInstruments>(
        serial ? wl::DemoInstrument::kSerial : wl::DemoInstrument::kAnalyzer, wl::DemoDataFolder(),
        clock);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("wayload"));
    QApplication::setApplicationVersion(QString::fromLatin1(wl::kProgramVersion));
    // Wayland compositors match the window to its menu entry, and so to its name and icon, by this.
    QGuiApplication::setDesktopFileName(QStringLiteral(WAYLOAD_APP_ID));
    using namespace wl;

    QCommandLineParser options;
    options.setApplicationDescription(
        QStringLiteral("Routes to portable measuring instruments and their data back."));
    options.addHelpOption();
    options.addVersionOption();
    const QCommandLineOption demo(
        QStringLiteral("demo"),
        QStringLiteral("Work with a simulated TKB analyzer (a folder in the user's data folder) "
                       "instead of real instruments."));
    const QCommandLineOption serial(
        QStringLiteral("serial"),
        QStringLiteral("With --demo: a simulated serial instrument instead of the analyzer."));
    options.addOption(demo);
    options.addOption(serial);
    options.process(application);

    // The windows keep painting while the serial link waits during a transfer.
    PaintingClock clock;
    const auto instruments = ChooseInstruments(options.isSet(demo), options.isSet(serial), clock);
    QtTransferUi ui(nullptr, clock);
    TransferSequences transfers(ui, instruments->instrument(), GetTempFolderPath());
    CWayloadDlg window(
        instruments->serial(), instruments->drives(), transfers,
        LanguageSetup{FindLanguageFolder(), SettingsFilePath(), BuiltProgramVersion()});
    ui.SetOwner(&window);
    window.Run();
    return 0;
}
