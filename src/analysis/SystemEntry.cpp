#include "SystemEntry.h"

#include <algorithm>
#include <array>

namespace corvale {

namespace {

bool isNumber(QByteArrayView text)
{
    return !text.isEmpty()
        && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// `path` is `folder` or lies below it.
bool isAtOrBelow(QByteArrayView path, QByteArrayView folder)
{
    return path.startsWith(folder) && (path.size() == folder.size() || path[folder.size()] == '/');
}

} // namespace

bool isSystemEntry(QByteArrayView path)
{
    if (path.startsWith("/System") || path.startsWith("/Library"))
        return true;
    if (!path.startsWith('/'))
        return false;
    const qsizetype slash = path.indexOf('/', 1);
    if (slash < 0)
        return path.size() > 1;
    // Below these, everything belongs to the system and its package manager. /opt too: the
    // FHS reserves it for add-on packages, which packages install and remove. Not /srv (the
    // site's own data, laid out as the administrator likes), nor /home, /root, /media, /mnt
    // and /tmp. /var/tmp lies in /var but is scratch space anyone may fill, as /tmp is: what
    // lies in it is the user's. What lies on the user's own removable drives
    // below /run/media/USER is the user's.
    static constexpr std::array<const char *, 11> systemFolders
        = {"bin", "boot", "dev", "etc", "opt", "proc", "run", "sbin", "snap", "sys", "usr"};
    const QByteArrayView top = path.sliced(1, slash - 1);
    const bool system = top.startsWith("lib") || top == "var"
        || std::any_of(systemFolders.begin(), systemFolders.end(), [&](const char *f) { return top == f; });
    if (!system)
        return false;
    if (path.startsWith("/var/tmp/"))
        return false;
    if (path.startsWith("/run/media/")) {
        // /run/media/USER/DRIVE/...: the user folder and the drive's mount point stay.
        const qsizetype user = path.indexOf('/', qsizetype(sizeof "/run/media/" - 1));
        return user < 0 || path.indexOf('/', user + 1) < 0;
    }
    return true;
}

bool isInTrash(QByteArrayView path, QByteArrayView homeTrash)
{
    if (!homeTrash.isEmpty() && isAtOrBelow(path, homeTrash))
        return true;
    QByteArrayView previous;
    qsizetype start = 1;
    while (start <= path.size()) {
        qsizetype end = path.indexOf('/', start);
        if (end < 0)
            end = path.size();
        const QByteArrayView component = path.sliced(start, end - start);
        if ((component.startsWith(".Trash-") && isNumber(component.sliced(7)))
            || (previous == ".Trash" && isNumber(component)))
            return true;
        previous = component;
        start = end + 1;
    }
    // Another user's home trash, at its usual place (root looking at /home).
    const qsizetype usual = path.indexOf("/.local/share/Trash");
    return usual >= 0 && isAtOrBelow(path.sliced(usual), "/.local/share/Trash");
}

} // namespace corvale
