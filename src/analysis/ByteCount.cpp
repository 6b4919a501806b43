#include "ByteCount.h"

#include <QCoreApplication>

#include <array>
#include <cmath>

namespace corvale {

QString byteCountText(quint64 bytes, const QLocale &locale)
{
    if (bytes == 1)
        return QCoreApplication::translate("ByteCount", "1 byte");
    if (bytes < 1000)
        return QCoreApplication::translate("ByteCount", "%1 bytes").arg(bytes);

    struct Unit
    {
        const char *name;
        int decimals;
    };
    static constexpr std::array<Unit, 6> units {
        {{"kB", 0}, {"MB", 1}, {"GB", 2}, {"TB", 2}, {"PB", 2}, {"EB", 2}}};
    double divisor = 1000.0;
    for (std::size_t u = 0; u < units.size(); ++u, divisor *= 1000.0) {
        const double scale = std::pow(10.0, units[u].decimals);
        const double rounded = std::round(double(bytes) / divisor * scale) / scale;
        // 999,999 bytes rounds to 1000 kB: that is 1 MB.
        if (rounded >= 1000.0 && u + 1 < units.size())
            continue;
        QString number = locale.toString(rounded, 'f', units[u].decimals);
        if (units[u].decimals > 0) {
            const QString mark = locale.decimalPoint();
            while (number.endsWith(QLatin1Char('0')))
                number.chop(1);
            if (number.endsWith(mark))
                number.chop(mark.size());
        }
        return QCoreApplication::translate("ByteCount", "%1 %2").arg(number, QLatin1String(units[u].name));
    }
    return QString();
}

QString byteChangeText(quint64 now, quint64 then, const QLocale &locale)
{
    if (now == then)
        return QString();
    const QString amount = byteCountText(now > then ? now - then : then - now, locale);
    return now > then ? QCoreApplication::translate("ByteCount", "+%1").arg(amount)
                      : QCoreApplication::translate("ByteCount", "−%1").arg(amount);
}

} // namespace corvale
