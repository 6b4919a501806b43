#pragma once

#include <QLocale>

namespace corvale {

// Installs into the application Corvale's own translation for `locale` (built into the program)
// and Qt's own for its dialogs and standard buttons (from Qt's translations folder). A locale
// with no translation leaves the English texts. Returns how many translations were installed.
int installTranslations(const QLocale &locale = QLocale());

} // namespace corvale
