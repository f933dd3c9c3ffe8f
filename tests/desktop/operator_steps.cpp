#include "tests/desktop/operator_steps.h"

#include <QApplication>
#include <cmath>

#include "tests/desktop/screen_pictures.h"

namespace wl::desktop {
namespace {

constexpr int kStripWidth = 600;

// The main window's template in dialog units, as the window lays it out below its menu bar:
// 1.5 px across and 1.625 px down per unit.
int UnitsX(double units) {
    return static_cast<int>(std::lround(units * 1.5));
}
int UnitsY(double units) {
    return static_cast<int>(std::lround(units * 1.625));
}
constexpr int kTemplateHeightUnits = 80;

QRect PictureButton(const QRect& window, int leftUnits, int widthUnits) {
    // The menu bar takes what the window has above the template.
    const int top = window.height() - UnitsY(kTemplateHeightUnits);
    return QRect(window.left() + UnitsX(leftUnits), window.top() + top + UnitsY(6),
                 UnitsX(widthUnits), UnitsY(43));
}

}  // namespace

bool Operator::WaitForMainWindow(std::string& why, const QString& found) {
    const auto window = desktop_.WaitForWindow(kMainWindowName, kWindowLimit);
    if (!window) {
        why = "the main window did not come";
        return false;
    }
    main_.id = *window;
    main_.rect = desktop_.WindowRect(*window).value_or(QRect());
    // The buttons act on the instrument the last poll found: the first poll must have run.
    if (!WaitForText(main_, {found}, kWindowLimit)) {
        why = "the status line never said \"" + found.toStdString() + "\"";
        return false;
    }
    return true;
}

QRect Operator::UploadButton() const {
    return PictureButton(main_.rect, 7, 77);
}

QRect Operator::DownloadButton() const {
    return PictureButton(main_.rect, 91, 75);
}

void Operator::TickAllRoutes(const ShownWindow& dialog) const {
    // The list starts 7 units in; its header's first section (25 px) holds the check box.
    desktop_.Click(dialog.rect.topLeft() + QPoint(UnitsX(7) + 13, UnitsY(7) + 7));
    Pause(milliseconds(200));
}

bool Operator::PressButton(const ShownWindow& window, const QString& label) const {
    const QImage screen = GrabScreen();
    // Qt's own buttons ("&Yes") show their mnemonic underlined; the program's own ones do not.
    auto found = FindPlainText(screen, window.rect, label, QApplication::font());
    if (!found) {
        found = FindPlainText(screen, window.rect, "&" + label, QApplication::font(),
                              TextDrawing::kWithMnemonic);
    }
    if (!found) {
        return false;
    }
    desktop_.Click(found->center());
    return true;
}

bool Operator::SubmitFileDialog(const ShownWindow& dialog,
                                const std::filesystem::path& path) const {
    // Under load the name field's completion can take keys or a Return: each attempt types the
    // whole name anew over whatever the field holds.
    for (int attempt = 0; attempt < 4; ++attempt) {
        if (!desktop_.IsShown(dialog.id)) {
            return true;
        }
        desktop_.Focus(dialog.id);
        desktop_.Key("ctrl+a");
        desktop_.Type(path.string());
        desktop_.Key("Return");
        if (desktop_.WaitUntilGone(dialog.id, milliseconds(1000))) {
            return true;
        }
    }
    return false;
}

std::optional<ShownWindow> Operator::WaitForWindow(const std::string& namePattern,
                                                   const std::vector<WindowId>& known,
                                                   milliseconds limit) const {
    const auto window = desktop_.WaitForWindow(namePattern, limit, known);
    if (!window) {
        return std::nullopt;
    }
    const auto rect = desktop_.WindowRect(*window);
    if (!rect) {
        return std::nullopt;
    }
    // Mapped is not yet painted.
    Pause(milliseconds(300));
    return ShownWindow{*window, *rect};
}

std::optional<ShownWindow> Operator::WaitForStrip(milliseconds limit) const {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    do {
        for (WindowId window : desktop_.WindowsOf(program_)) {
            const auto rect = desktop_.WindowRect(window);
            if (rect && rect->width() == kStripWidth) {
                return ShownWindow{window, *rect};
            }
        }
        Pause(milliseconds(20));
    } while (std::chrono::steady_clock::now() < deadline);
    return std::nullopt;
}

bool Operator::WaitForText(const ShownWindow& window, const std::vector<QString>& lines,
                           milliseconds limit, QImage* screen) const {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        const QImage shown = GrabScreen();
        if (screen != nullptr) {
            *screen = shown;
        }
        bool all = true;
        for (const QString& line : lines) {
            all = all && FindPlainText(shown, window.rect, line, QApplication::font()).has_value();
        }
        if (all) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        Pause(milliseconds(100));
    }
}

}  // namespace wl::desktop
