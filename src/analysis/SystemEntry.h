#pragma once

#include <QByteArrayView>

namespace corvale {

// Whether a file-list entry lies in a location the operating system owns, so that the list
// refuses to check it. A plain, case-sensitive prefix test on the path bytes: "/SystemBackup"
// counts too, which errs on the side of not moving things.
bool isSystemEntry(QByteArrayView path);

} // namespace corvale
