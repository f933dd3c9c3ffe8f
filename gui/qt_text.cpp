#include "gui/qt_text.h"

#include <QTextDocument>

namespace wl {

QString ToQString(std::u16string_view text) {
    return QString(reinterpret_cast<const QChar*>(text.data()),
                   static_cast<qsizetype>(text.size()));
}

std::u16string FromQString(const QString& text) {
    return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()),
                          static_cast<size_t>(text.size()));
}

QString ToShownText(std::u16string_view text) {
    QString shown = ToQString(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return shown;
}

QString ToActionText(std::u16string_view text) {
    QString shown = ToQString(text);
    shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return shown;
}

QString ToWindowTitle(std::u16string_view text) {
    QString shown = ToQString(text);
    // Qt shows "[*][*]" as one literal "[*]".
    shown.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
    return shown;
}

QString ToToolTip(std::u16string_view text) {
    return Qt::convertFromPlainText(ToQString(text), Qt::WhiteSpaceNoWrap);
}

}  // namespace wl
