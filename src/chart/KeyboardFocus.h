#pragma once

#include <QtGlobal>

namespace corvale {

// Whether a widget that draws the keyboard's focus itself (a bar's focused sector, the file list's
// current row) shows it after gaining the focus for `reason`: not after a click; as it was when
// the window, a popup or the menu bar hands the focus back; after Tab, a shortcut or a key, yes.
inline bool focusShownAfter(Qt::FocusReason reason, bool shownBefore)
{
    switch (reason) {
    case Qt::MouseFocusReason:
        return false;
    case Qt::ActiveWindowFocusReason:
    case Qt::PopupFocusReason:
    case Qt::MenuBarFocusReason:
        return shownBefore;
    default:
        return true;
    }
}

} // namespace corvale
