#pragma once
// What an operator does with the window program, step by step on the real display: waits for
// its window, presses its picture buttons, answers its dialogs, and reads what its windows show.

#include <sys/types.h>

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tests/desktop/desktop_driver.h"

namespace wl::desktop {

// Window names as the English texts give them.
inline const std::string kMainWindowName = "^Tarvek Trailpack v";
inline const std::string kMessageBoxName = "^Tarvek Trailpack$";
inline const std::string kRouteSelectionName = "^Select Routes$";
inline const std::string kSaveDialogName = "^Save As$";
inline const std::string kOpenDialogName = "^Open$";

// Long enough for a start under a sanitizer on a busy machine; every wait still ends.
inline constexpr milliseconds kWindowLimit(15000);
// A download of the long data set ends well within this, also under a sanitizer.
inline constexpr milliseconds kTransferLimit(30000);

struct ShownWindow {
    WindowId id = 0;
    QRect rect;
};

class Operator {
  public:
    Operator(const Desktop& desktop, pid_t program) : desktop_(desktop), program_(program) {}

    // Waits for the main window and for its status line to say the demo analyzer was found;
    // false, with the reason in `why`, when it did not come.
    // Waits for the main window and for its first poll, whose status line says `found`.
    bool WaitForMainWindow(std::string& why,
                           const QString& found = QStringLiteral("Found instrument TKBMax"));
    const ShownWindow& mainWindow() const { return main_; }
    QRect UploadButton() const;    // PC -> instrument, the left picture
    QRect DownloadButton() const;  // instrument -> PC, the right picture

    // Clicks the header's check box of the route selection dialog, which ticks every row.
    void TickAllRoutes(const ShownWindow& dialog) const;
    // Clicks the button of the window that shows `label`; false when no such text is shown.
    bool PressButton(const ShownWindow& window, const QString& label) const;

    // Types the path into a file dialog's name field and confirms it with Return (again while
    // the name field's completion list takes the first one) until the dialog has gone.
    bool SubmitFileDialog(const ShownWindow& dialog, const std::filesystem::path& path) const;

    // The next shown window of that name, not one of `known`, once it has been painted.
    std::optional<ShownWindow> WaitForWindow(const std::string& namePattern,
                                             const std::vector<WindowId>& known = {},
                                             milliseconds limit = kWindowLimit) const;
    // The progress strip: the program's shown window 600 px wide.
    std::optional<ShownWindow> WaitForStrip(milliseconds limit) const;

    // Waits until each line of text is shown as plain text in the window; the last screen taken
    // goes to `screen`. False when some line was not shown in time.
    bool WaitForText(const ShownWindow& window, const std::vector<QString>& lines,
                     milliseconds limit, QImage* screen = nullptr) const;

    const Desktop& desktop() const { return desktop_; }

  private:
    const Desktop& desktop_;
    pid_t program_;
    ShownWindow main_;
};

}  // namespace wl::desktop
