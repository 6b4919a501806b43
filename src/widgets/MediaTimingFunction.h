#pragma once

#include <QEasingCurve>

namespace corvale {

// The two standard timing curves of the program's animations, as cubic Béziers through
// (0,0) and (1,1): ease-in-ease-out (0.42,0)–(0.58,1) and ease-out (0,0)–(0.58,1).
class MediaTimingFunction
{
public:
    static QEasingCurve easeInEaseOut();
    static QEasingCurve easeOut();
};

} // namespace corvale
