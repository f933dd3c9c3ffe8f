#include "gui/qt_translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QTranslator>
#include <memory>

namespace wl {
namespace {

// The translation installed last. It belongs to the application object, which deletes it at
// the end; the pointer forgets it then.
QPointer<QTranslator>& InstalledTranslator() {
    static QPointer<QTranslator> translator;
    return translator;
}

}  // namespace

bool ApplyQtLanguage(const QString& localeName) {
    const QLocale locale(localeName);
    // Formats follow the language also where Qt has no translation for it.
    QLocale::setDefault(locale);
    QPointer<QTranslator>& installed = InstalledTranslator();
    if (installed) {
        QCoreApplication::removeTranslator(installed);
        delete installed;
    }
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        return false;
    }
    translator->setParent(QCoreApplication::instance());
    if (!QCoreApplication::installTranslator(translator.get())) {
        return false;
    }
    installed = translator.release();
    return true;
}

}  // namespace wl
