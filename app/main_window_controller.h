#pragma once
// The main window's logic, free of any window system: start-up, the polling tick, the status
// line, the two buttons, the pictures, removal notices and the language menu. The window program
// forwards its events here; tests drive it with a fake window.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include "app/device_notice.h"
#include "app/drive_list.h"
#include "app/instrument_detection.h"
#include "app/main_window_port.h"
#include "app/window_title.h"
#include "locale/language_list.h"
#include "transfer/transfer_hooks.h"

namespace wl {

inline constexpr uint32_t kPollPeriodMs = 500;
inline constexpr int kLargeWindowIcon = 145;
inline constexpr int kSmallWindowIcon = 155;

// Where the languages come from and where the choice is kept.
struct LanguageSetup {
    std::filesystem::path languageFolder;
    std::filesystem::path settingsFile;
    // Absent when the program carries no version: the title is then the product title alone.
    std::optional<ProgramVersion> version;
};

class MainWindowController {
  public:
    MainWindowController(IMainWindowPort& window, ISerialLink& serial, IDriveLister& drives,
                         ITransferHooks& transfers, LanguageSetup languages);

    // Prepares the window, before it is shown.
    void OnInitDialog();
    // One polling tick.
    void OnTimer();
    // A device event; null when the event carries none.
    void OnDeviceChange(const DeviceNotice* notice);
    // Button "PC to instrument".
    void OnPC2I();
    // Button "instrument to PC".
    void OnI2PC();
    // A language command; false when the identifier is not one this window serves.
    bool OnLanguageCommand(int command);
    void UpdateStatusLine();
    void UpdateWindowTitle();
    // Releases what the window registered.
    void OnDestroy();

    const DetectedInstrument& instrument() const { return instrument_; }
    int32_t lastPictureKind() const { return lastPictureKind_; }
    const std::vector<LanguageEntry>& languages() const { return languages_; }

  private:
    void BuildLanguageMenu();
    void TellConverterRefusal();
    void LoadInitialPictures();

    IMainWindowPort& window_;
    ISerialLink& serial_;
    IDriveLister& drives_;
    ITransferHooks& transfers_;
    LanguageSetup setup_;
    DetectedInstrument instrument_;
    int32_t lastPictureKind_ = kInstrumentNone;
    std::vector<LanguageEntry> languages_;
    bool menuBarInstalled_ = false;
    bool removalNoticesRegistered_ = false;
    // The converter refusal last told, so that the same one is not told on every tick.
    std::optional<ConverterRefusal> toldRefusal_;
};

}  // namespace wl
