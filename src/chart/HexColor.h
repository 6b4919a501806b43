#pragma once

#include <QColor>
#include <QString>

namespace corvale {

// The program's one way to write a fixed colour: six hexadecimal digits such as "00D93F".
// Leading white space and a 0x/0X prefix are skipped, digits are read up to the first other
// character, only the lowest 24 bits count. Never fails: no digits (or a null string) give
// opaque black, a number too large for 32 bits gives opaque white.
QColor colorWithHexColorString(const QString &string);

} // namespace corvale
