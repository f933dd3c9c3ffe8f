#pragma once
// What the main-window controller asks of its window. The window program implements it with Qt;
// tests implement it with a recording fake.

#include <cstdint>
#include <string>
#include <vector>

namespace wl {

enum class PictureButton { kPcToInstrument, kInstrumentToPc };
enum class PictureSlot { kEnabled, kDisabled };

// One item of the language drop-down: its text and its command identifier.
struct LanguageMenuItem {
    std::u16string text;
    int command = 0;
};

class IMainWindowPort {
  public:
    virtual ~IMainWindowPort() = default;

    // Decodes picture `number` into the slot; false leaves the slot empty.
    virtual bool LoadPicture(PictureButton button, PictureSlot slot, int number) = 0;
    // Repaints both buttons (their face is erased first).
    virtual void InvalidateButtons() = 0;
    virtual void EnableButtons(bool enabled) = 0;

    virtual void SetStatusText(const std::u16string& text) = 0;
    virtual void SetTitle(const std::u16string& title) = 0;
    virtual void SetIcons(int largeIcon, int smallIcon) = 0;
    virtual void InvalidateWindow() = 0;

    // The menu bar with one entry, `caption`, whose drop-down lists `items`.
    virtual void InstallMenuBar(const std::u16string& caption,
                                const std::vector<LanguageMenuItem>& items) = 0;
    virtual void SetMenuBarCaption(const std::u16string& caption) = 0;
    virtual void RedrawMenuBar() = 0;
    virtual void DeleteMenuBar() = 0;

    // Shows the language dialog modally; it stores the choice itself.
    virtual void ShowLanguageDialog() = 0;
    // The language just loaded is that of `locale` ("de", "en"): the window system's own texts
    // (the buttons of message boxes, the file dialogs) and its formats follow it.
    virtual void ApplyLocale(const std::u16string& locale) = 0;

    virtual void StartTimer(uint32_t periodMs) = 0;
    // Tells the user of a problem that polling found, without stopping the polling: a converter
    // that is there but cannot be opened, with the remedy.
    virtual void ShowInstrumentProblem(const std::u16string& text) = 0;
    // Starts the notices of device removals; false when the platform gives none.
    virtual bool RegisterRemovalNotices() = 0;
    virtual void UnregisterRemovalNotices() = 0;
};

}  // namespace wl
