#pragma once
// A main window that records what the controller asks of it, one line per call, so that tests
// can check both the calls and their order.

#include <string>
#include <vector>

#include "app/main_window_port.h"
#include "common/utf16.h"

namespace wl::test {

class FakeWindow : public IMainWindowPort {
  public:
    bool LoadPicture(PictureButton button, PictureSlot slot, int number) override {
        calls.push_back(std::string("picture ") +
                        (button == PictureButton::kPcToInstrument ? "1004 " : "1005 ") +
                        (slot == PictureSlot::kEnabled ? "enabled " : "disabled ") +
                        std::to_string(number));
        return true;
    }
    void InvalidateButtons() override { calls.push_back("invalidate buttons"); }
    void EnableButtons(bool enabled) override { calls.push_back(enabled ? "enable" : "disable"); }
    void SetStatusText(const std::u16string& text) override {
        status = text;
        calls.push_back("status " + Utf16ToUtf8(text));
    }
    void SetTitle(const std::u16string& text) override {
        title = text;
        calls.push_back("title " + Utf16ToUtf8(text));
    }
    void SetIcons(int large, int small) override {
        calls.push_back("icons " + std::to_string(large) + " " + std::to_string(small));
    }
    void InvalidateWindow() override { calls.push_back("invalidate window"); }
    void InstallMenuBar(const std::u16string& caption,
                        const std::vector<LanguageMenuItem>& items) override {
        std::string line = "menu bar " + Utf16ToUtf8(caption) + ":";
        for (const LanguageMenuItem& item : items) {
            line += " " + Utf16ToUtf8(item.text) + "=" + std::to_string(item.command);
        }
        menuCaption = caption;
        calls.push_back(line);
    }
    void SetMenuBarCaption(const std::u16string& caption) override {
        menuCaption = caption;
        calls.push_back("menu caption " + Utf16ToUtf8(caption));
    }
    void RedrawMenuBar() override { calls.push_back("redraw menu bar"); }
    void DeleteMenuBar() override { calls.push_back("delete menu bar"); }
    void ShowLanguageDialog() override { calls.push_back("language dialog"); }
    void ApplyLocale(const std::u16string& name) override {
        locale = name;
        calls.push_back("locale " + Utf16ToUtf8(name));
    }
    void ShowInstrumentProblem(const std::u16string& text) override {
        problems.push_back(Utf16ToUtf8(text));
        calls.push_back("problem");
    }
    void StartTimer(uint32_t periodMs) override {
        calls.push_back("timer " + std::to_string(periodMs));
    }
    bool RegisterRemovalNotices() override {
        calls.push_back("register notices");
        return noticesAvailable;
    }
    void UnregisterRemovalNotices() override { calls.push_back("unregister notices"); }

    // The calls since the last look, which are forgotten.
    std::vector<std::string> Take() {
        std::vector<std::string> taken;
        taken.swap(calls);
        return taken;
    }

    std::vector<std::string> calls;
    std::u16string status;
    std::u16string title;
    std::u16string menuCaption;
    std::u16string locale;
    std::vector<std::string> problems;
    bool noticesAvailable = true;
};

}  // namespace wl::test
