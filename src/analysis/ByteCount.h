#pragma once

#include <QLocale>
#include <QString>

namespace corvale {

// The text of every size the program shows: decimal units (1 kB = 1000 bytes), "1 byte",
// "999 bytes", kB without decimals, MB with one, GB and above with two, trailing zeros dropped,
// in the locale's decimal mark.
QString byteCountText(quint64 bytes, const QLocale &locale = QLocale());

} // namespace corvale
