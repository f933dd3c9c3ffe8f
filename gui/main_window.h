#pragma once
// The main window: two picture buttons, the status line and the "Language" menu, polled twice a
// second. Its logic is the controller's; this class is the controller's window.

#include <QDialog>
#include <QTimer>
#include <optional>
#include <vector>

#include "app/main_window_controller.h"
#include "gui/image_button.h"
#include "gui/removal_watcher.h"

class QLabel;
class QMenu;
class QMenuBar;

namespace wl {

class CWayloadDlg final : public QDialog, public IMainWindowPort {
    Q_OBJECT

  public:
    CWayloadDlg(ISerialLink& serial, IDriveLister& drives, ITransferHooks& transfers,
                LanguageSetup languages, QWidget* parent = nullptr);
    ~CWayloadDlg() override;

    // Prepares the window (the first-start language question among it) before it is shown.
    void Initialise();
    // Initialises, then runs the window until the user closes it.
    void Run();

    MainWindowController& controller() { return controller_; }
    CImageButton& pcToInstrumentButton() { return *pcToInstrument_; }
    CImageButton& instrumentToPcButton() { return *instrumentToPc_; }
    QLabel& statusLine() { return *statusLine_; }
    QMenuBar* menuBar() const { return menuBar_; }

    // The window's port, for the controller.
    bool LoadPicture(PictureButton button, PictureSlot slot, int number) override;
    void InvalidateButtons() override;
    void EnableButtons(bool enabled) override;
    void SetStatusText(const std::u16string& text) override;
    void SetTitle(const std::u16string& title) override;
    void SetIcons(int largeIcon, int smallIcon) override;
    void InvalidateWindow() override;
    void InstallMenuBar(const std::u16string& caption,
                        const std::vector<LanguageMenuItem>& items) override;
    void SetMenuBarCaption(const std::u16string& caption) override;
    void RedrawMenuBar() override;
    void DeleteMenuBar() override;
    void ShowLanguageDialog() override;
    void ApplyLocale(const std::u16string& locale) override;
    void StartTimer(uint32_t periodMs) override;
    void ShowInstrumentProblem(const std::u16string& text) override;
    bool RegisterRemovalNotices() override;
    void UnregisterRemovalNotices() override;

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void OnTick();
    void OnDeviceNotice(const DeviceNotice& notice);
    CImageButton& Button(PictureButton button);
    void PlaceControls();
    void Destroy();

    LanguageSetup languages_;
    MainWindowController controller_;
    QTimer timer_;
    RemovalWatcher removals_;
    CImageButton* pcToInstrument_;
    CImageButton* instrumentToPc_;
    QLabel* statusLine_;
    QMenuBar* menuBar_ = nullptr;
    QMenu* languageMenu_ = nullptr;
    bool destroyed_ = false;
    // Removal notices that came while a transfer held the instruments.
    std::vector<DeviceNotice> deferredNotices_;
};

}  // namespace wl
