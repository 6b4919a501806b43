#include "SystemEntry.h"

#include <array>

namespace corvale {

bool isSystemEntry(QByteArrayView path)
{
    static constexpr std::array<const char *, 11> prefixes = {
        "/System",
        "/Library",
        "/bin",
        "/boot",
        "/etc",
        "/lib",
        "/lib32",
        "/lib64",
        "/libx32",
        "/sbin",
        "/usr",
    };
    for (const char *prefix : prefixes) {
        if (path.startsWith(prefix))
            return true;
    }
    return false;
}

} // namespace corvale
