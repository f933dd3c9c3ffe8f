#pragma once
// What the display shows, taken the way a person looks at it: the whole screen's pixels, read
// back from the X server, and the few things the tests look for in them.

#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>
#include <optional>
#include <string>

namespace wl::desktop {

// The whole screen as the X server holds it now (32-bit RGB); null when it cannot be read.
QImage GrabScreen();

// Saves a picture as NAME.png in build/screenshots/desktop/ for a person to look at.
void SaveScreenshot(const QImage& picture, const std::string& name);

// How a text is drawn: as it is, or as a button's label, where "&Yes" is "Yes" with the Y
// underlined.
enum class TextDrawing { kPlain, kWithMnemonic };

// Where `text`, drawn as plain text in `font`, stands within `area` of the picture: its dark
// pixels match those of a rendering of the text, up to a few at the glyphs' soft edges. Text drawn
// otherwise (as rich text, where "<b>x" is a bold "x") is not found.
std::optional<QRect> FindPlainText(const QImage& picture, const QRect& area, const QString& text,
                                   const QFont& font, TextDrawing drawing = TextDrawing::kPlain);

// The length of the progress bar's colour, RGB(200,200,200), along the strip's top row inside
// its one-pixel frame, where no text is drawn: 0 while no bar is painted.
int ProgressBarWidth(const QImage& screen, const QRect& strip);

// The share of the area's pixels that are not white, leaving out what `covered` hides.
double NonWhiteShare(const QImage& screen, const QRect& area, const QRect& covered);

// How many pixels of the area have a clear colour (not a shade of grey): the pictures' arrows and
// screens, which a blank or merely grey window lacks.
int ColouredPixels(const QImage& screen, const QRect& area);

}  // namespace wl::desktop
