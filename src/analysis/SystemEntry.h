#pragma once

#include <QByteArrayView>

namespace corvale {

// Whether a file-list entry belongs to the operating system, so that the list refuses to check
// it: every entry directly in "/", everything below the folders the Filesystem Hierarchy
// Standard gives to the system and its package manager, and anything starting with "/System"
// or "/Library" (a plain prefix test, as the program always had: "/SystemBackup" counts too,
// which errs on the side of not moving things).
bool isSystemEntry(QByteArrayView path);

// Whether an entry lies inside a trash (the folder itself included): the home trash
// `homeTrash`, the home trash of any user at its usual place, or a drive's .Trash-UID or
// .Trash/UID. Moving it again frees nothing and loses where it came from.
bool isInTrash(QByteArrayView path, QByteArrayView homeTrash);

} // namespace corvale
