#include "app/main_window_controller.h"

#include <utility>

#include "app/button_pictures.h"
#include "app/instrument_names.h"
#include "fs/file_ops.h"
#include "locale/language.h"
#include "locale/settings_file.h"
#include "locale/string_table.h"

namespace wl {
MainWindowController::MainWindowController(IMainWindowPort& window, ISerialLink& serial,
                                           IDriveLister& drives, ITransferHooks& transfers,
                                           LanguageSetup languages)
    : window_(window),
      serial_(serial),
      drives_(drives),
      transfers_(transfers),
      setup_(std::move(languages)) {}

void MainWindowController::LoadInitialPictures() {
    // A picture that does not load leaves its slot empty; start-up goes on.
    window_.LoadPicture(PictureButton::kPcToInstrument, PictureSlot::kEnabled,
                        kPictureGreyToInstrument);
    window_.LoadPicture(PictureButton::kPcToInstrument, PictureSlot::kDisabled,
                        kPictureGreyToInstrument);
    window_.LoadPicture(PictureButton::kInstrumentToPc, PictureSlot::kEnabled, kPictureGreyToPc);
    window_.LoadPicture(PictureButton::kInstrumentToPc, PictureSlot::kDisabled, kPictureGreyToPc);
}

void MainWindowController::OnInitDialog() {
    LoadInitialPictures();
    if (!FileExists(setup_.settingsFile)) {
        window_.ShowLanguageDialog();
    }
    BuildLanguageMenu();
    UpdateStatusLine();
    window_.StartTimer(kPollPeriodMs);
    window_.SetIcons(kLargeWindowIcon, kSmallWindowIcon);
    // Without notices the program still runs; the transfers then let the link go themselves.
    removalNoticesRegistered_ = window_.RegisterRemovalNotices();
}

void MainWindowController::OnTimer() {
    const bool found = DetectInstrument(serial_, drives_, instrument_);
    TellConverterRefusal();
    UpdateStatusLine();
    window_.EnableButtons(found);
    if (found && instrument_.kind != lastPictureKind_) {
        lastPictureKind_ = instrument_.kind;
        const ButtonPictures pictures = EnabledPicturesFor(lastPictureKind_);
        window_.LoadPicture(PictureButton::kPcToInstrument, PictureSlot::kEnabled,
                            pictures.toInstrument);
        window_.LoadPicture(PictureButton::kInstrumentToPc, PictureSlot::kEnabled, pictures.toPc);
        window_.InvalidateButtons();
    }
}

void MainWindowController::TellConverterRefusal() {
    const std::optional<ConverterRefusal> refusal = serial_.Refusal();
    // Told once, not on every tick; told again only after it went away and came back, or
    // changed (another device, another reason).
    if (refusal && refusal != toldRefusal_) {
        window_.ShowInstrumentProblem(ConverterRefusalText(*refusal));
    }
    toldRefusal_ = refusal;
}

void MainWindowController::OnDeviceChange(const DeviceNotice* notice) {
    if (notice == nullptr || !IsConverterRemoval(*notice)) {
        return;
    }
    // Let a connected instrument go at once rather than at the next failed transfer.
    if (serial_.IsConnected()) {
        serial_.Disconnect();
    }
    window_.InvalidateWindow();
}

void MainWindowController::OnPC2I() {
    const int32_t kind = instrument_.kind;
    if (IsAnalyzerKind(kind)) {
        transfers_.UploadToAnalyzer(instrument_);
    } else if (kind == kInstrumentSerial) {
        transfers_.UploadToSerialInstrument();
    }
}

void MainWindowController::OnI2PC() {
    const int32_t kind = instrument_.kind;
    if (IsAnalyzerKind(kind)) {
        transfers_.DownloadFromAnalyzer(instrument_);
    } else if (kind == kInstrumentSerial) {
        transfers_.DownloadFromSerialInstrument();
    }
}

void MainWindowController::UpdateStatusLine() {
    // Written on every call, also unchanged, as the menu bar is redrawn after it.
    window_.SetStatusText(StatusText(instrument_.kind));
    window_.RedrawMenuBar();
}

void MainWindowController::UpdateWindowTitle() {
    window_.SetTitle(WindowTitle(StringTable().AppTitle, setup_.version));
}

void MainWindowController::BuildLanguageMenu() {
    const std::u16string current = GetLanguageFileName(setup_.settingsFile);
    std::vector<LanguageMenuItem> items;
    std::optional<std::filesystem::path> chosen;
    for (LanguageEntry& entry : ListLanguagesForMenu(setup_.languageFolder)) {
        items.push_back(
            {entry.displayName, kFirstLanguageCommand + static_cast<int>(items.size())});
        // Exact comparison: a stored name in another letter case loads nothing.
        if (entry.fileName == current) {
            chosen = entry.path;
        }
        languages_.push_back(std::move(entry));
    }
    // Without a file the texts stay the built-in ones, and the window's own follow them.
    window_.ApplyLocale(chosen ? LoadLanguage(*chosen) : std::u16string(kBuiltInLocale));
    UpdateWindowTitle();
    window_.InstallMenuBar(StringTable().Language, items);
    menuBarInstalled_ = true;
}

bool MainWindowController::OnLanguageCommand(int command) {
    const int n = command - kFirstLanguageCommand;
    if (n < 0 || n >= kLanguageCommandCount || static_cast<size_t>(n) >= languages_.size()) {
        return false;
    }
    const LanguageEntry& entry = languages_[static_cast<size_t>(n)];
    SaveLanguageSetting(setup_.settingsFile, entry.fileName);
    window_.ApplyLocale(LoadLanguage(entry.path));
    UpdateWindowTitle();
    if (menuBarInstalled_) {
        window_.SetMenuBarCaption(StringTable().Language);
    }
    UpdateStatusLine();
    return true;
}

void MainWindowController::OnDestroy() {
    if (removalNoticesRegistered_) {
        window_.UnregisterRemovalNotices();
        removalNoticesRegistered_ = false;
    }
    if (menuBarInstalled_) {
        window_.DeleteMenuBar();
        menuBarInstalled_ = false;
    }
}

}  // namespace wl
