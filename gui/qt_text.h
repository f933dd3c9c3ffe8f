#pragma once
// The one place where the program's UTF-16 texts meet Qt's.

#include <QString>
#include <string>
#include <string_view>

namespace wl {

QString ToQString(std::u16string_view text);
std::u16string FromQString(const QString& text);

// A message text as shown: the "\r\n" line breaks the texts keep become Qt's "\n".
QString ToShownText(std::u16string_view text);

}  // namespace wl
