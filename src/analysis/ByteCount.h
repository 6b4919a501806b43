#pragma once

#include <QLocale>
#include <QString>

namespace corvale {

// The text of every size the program shows: decimal units (1 kB = 1000 bytes), "1 byte",
// "999 bytes", kB without decimals, MB with one, GB and above with two, trailing zeros dropped,
// in the locale's decimal mark.
QString byteCountText(quint64 bytes, const QLocale &locale = QLocale());
// The change from `then` to `now` in the same units, signed: "+1.2 GB", "−300 MB"; empty when
// there is none.
QString byteChangeText(quint64 now, quint64 then, const QLocale &locale = QLocale());

} // namespace corvale
