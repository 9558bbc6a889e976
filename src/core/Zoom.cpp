#include "core/Zoom.h"

#include <algorithm>

namespace Zoom {

const QList<int>& steps()
{
    static const QList<int> all = {50, 67, 75, 80, 90, 100, 110, 125, 150, 175, 200, 250, 300};
    return all;
}

int step(int percent, int by)
{
    const QList<int>& s = steps();
    if (by == 0)
        return normal;
    if (by > 0) {
        const auto it = std::upper_bound(s.begin(), s.end(), percent);
        return it == s.end() ? s.last() : *it;
    }
    const auto it = std::lower_bound(s.begin(), s.end(), percent);
    return it == s.begin() ? s.first() : *(it - 1);
}

}
