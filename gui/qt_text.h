#pragma once
// The one place where the program's UTF-16 texts meet Qt's.

#include <QString>
#include <string>
#include <string_view>

namespace wl {

QString ToQString(std::u16string_view text);
std::u16string FromQString(const QString& text);

// Texts from outside the program (names from a drive or a container, paths, language files) are
// shown literally, whatever they hold: never as rich text, never with a mnemonic or placeholder.

// A message text as shown: the "\r\n" line breaks the texts keep become Qt's "\n". Show it in a
// widget set to plain text.
QString ToShownText(std::u16string_view text);

// For a menu item or a button: an '&' is shown, not taken for the mark of a shortcut key.
QString ToActionText(std::u16string_view text);

// For a window title: "[*]" is shown, not taken for the place of the "modified" mark.
QString ToWindowTitle(std::u16string_view text);

// For a tooltip, which Qt would take for rich text when it looks like some: the text escaped,
// on one line.
QString ToToolTip(std::u16string_view text);

}  // namespace wl
