#include "HexColor.h"

#include <algorithm>
#include <cstdint>

namespace corvale {

namespace {

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

} // namespace

QColor colorWithHexColorString(const QString &string)
{
    qsizetype i = 0;
    const qsizetype n = string.size();
    while (i < n && string.at(i).isSpace())
        ++i;
    // The prefix counts only when a digit follows it; otherwise the "0" itself is the number.
    if (i + 2 < n && string.at(i) == u'0' && (string.at(i + 1) == u'x' || string.at(i + 1) == u'X')
        && hexDigit(string.at(i + 2)) >= 0)
        i += 2;

    std::uint64_t value = 0;
    for (; i < n; ++i) {
        const int digit = hexDigit(string.at(i));
        if (digit < 0)
            break;
        // Saturates but keeps consuming digits, so "FFFFFFFFFF" is white, not a wrapped value.
        value = std::min<std::uint64_t>(value * 16 + digit, 0xFFFFFFFFu);
    }
    const auto v = static_cast<std::uint32_t>(value);
    return QColor::fromRgb((v >> 16) & 255, (v >> 8) & 255, v & 255);
}

} // namespace corvale
