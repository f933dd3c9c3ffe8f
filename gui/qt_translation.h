#pragma once
// Qt's own texts (the buttons of message boxes, the file dialogs) in the chosen language, from the
// translations Qt was installed with.

#include <QString>

namespace wl {

// Makes `localeName` ("de", "pt_BR") the default locale and installs Qt's translation for it in
// place of the one installed before. False when Qt has none for it (its translations are not
// installed, say): Qt's texts are then its built-in English ones.
bool ApplyQtLanguage(const QString& localeName);

}  // namespace wl
